// Controls written by the component writer and read back: geometry, caption, tag, font, visibility
// and enabling survive, and child controls come back inside their parent; a reading direction and a
// 3-D look set on a parent come back with it, and its children follow it again.
#include <gtest/gtest.h>

#include "platform/classes/filer.h"
#include "platform/controls/buttons.h"
#include "platform/controls/edits.h"
#include "platform/controls/extctrls.h"

namespace {

// Writes Root with the component writer and reads it back into Copy.
void RoundTrip(TComponent* Root, TComponent* Copy) {
  TMemoryStream S;
  TWriter(&S).WriteRootComponent(Root);
  S.SetPosition(0);
  TReader(&S).ReadRootComponent(Copy);
}

TEST(ControlStreaming, ControlsRoundTripInsideTheirParent) {
  RegisterClasses<TPanel, TSpeedButton>();
  TPanel Root(nullptr);
  Root.SetName("Root");
  auto* Inner = new TPanel(&Root);
  Inner->SetName("Inner");
  Inner->SetParent(&Root);
  Inner->SetBounds(3, 4, 50, 40);
  auto* B = new TSpeedButton(&Root);
  B->SetName("Key");
  B->SetParent(Inner);
  B->SetBounds(5, 6, 27, 22);
  B->SetCaption("sqrt");
  B->SetTag(17);
  B->Font()->SetName("MS Sans Serif");
  B->Font()->SetHeight(-11);
  B->Font()->SetColor(clRed);
  B->Font()->SetStyle(TFontStyles{fsBold});
  B->SetVisible(false);
  B->SetEnabled(false);

  TPanel Copy(nullptr);
  RoundTrip(&Root, &Copy);

  auto* In = dynamic_cast<TPanel*>(Copy.FindComponent("Inner"));
  auto* K = dynamic_cast<TSpeedButton*>(Copy.FindComponent("Key"));
  ASSERT_NE(In, nullptr);
  ASSERT_NE(K, nullptr);
  EXPECT_EQ(In->Parent(), &Copy);
  EXPECT_EQ(K->Parent(), In);
  EXPECT_EQ(K->BoundsRect(), TRect(5, 6, 32, 28));
  EXPECT_EQ(In->BoundsRect(), TRect(3, 4, 53, 44));
  EXPECT_EQ(K->Caption(), "sqrt");
  EXPECT_EQ(K->Tag(), 17);
  EXPECT_EQ(K->Font()->Name(), "MS Sans Serif");
  EXPECT_EQ(K->Font()->Height(), -11);
  EXPECT_EQ(K->Font()->Color(), clRed);
  EXPECT_TRUE(K->Font()->Style().Contains(fsBold));
  EXPECT_FALSE(K->Visible());
  EXPECT_FALSE(K->Enabled());
  EXPECT_TRUE(In->Visible());
  UnRegisterClasses<TPanel, TSpeedButton>();
}

TEST(ControlStreaming, BiDiModeAndCtl3DRoundTripWithTheirParentFlags) {
  RegisterClasses<TPanel, TEdit>();
  TPanel Root(nullptr);
  Root.SetName("Root");
  auto* Inner = new TPanel(&Root);
  Inner->SetName("Inner");
  Inner->SetParent(&Root);
  Inner->SetBiDiMode(bdRightToLeft);
  Inner->SetCtl3D(false);
  auto* E = new TEdit(&Root);
  E->SetName("Field");
  E->SetParent(Inner);

  TPanel Copy(nullptr);
  RoundTrip(&Root, &Copy);
  auto* In = dynamic_cast<TPanel*>(Copy.FindComponent("Inner"));
  auto* F = dynamic_cast<TEdit*>(Copy.FindComponent("Field"));
  ASSERT_NE(In, nullptr);
  ASSERT_NE(F, nullptr);
  EXPECT_EQ(In->BiDiMode(), bdRightToLeft);
  EXPECT_FALSE(In->ParentBiDiMode());
  EXPECT_FALSE(In->Ctl3D());
  EXPECT_FALSE(In->ParentCtl3D());
  // The edit follows its parent: nothing of its own was stored.
  EXPECT_TRUE(F->ParentBiDiMode());
  EXPECT_EQ(F->BiDiMode(), bdRightToLeft);
  EXPECT_TRUE(F->ParentCtl3D());
  EXPECT_FALSE(F->Ctl3D());
  UnRegisterClasses<TPanel, TEdit>();
}

}  // namespace
