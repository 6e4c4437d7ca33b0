// Controls written by the component writer and read back: geometry, caption, tag, font, visibility
// and enabling survive, and child controls come back inside their parent; a reading direction and a
// 3-D look set on a parent come back with it, and its children follow it again; system colours keep
// their values (older streams' included) and any font height read back measures within bounds.
#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <string>

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

namespace {

// System colours are $FF000000 | index (the info background is $FF000018): a control's default and a
// colour set on it come back from a stream unchanged, and a stream that stored them in the older
// $80000000 | index form reads as the same colours.
TEST(ControlStreaming, SystemColoursRoundTripAndTheOlderFormStillResolves) {
  EXPECT_EQ(clInfoBk, static_cast<TColor>(0xFF000018u));
  EXPECT_EQ(clBtnFace, static_cast<TColor>(0xFF00000Fu));
  RegisterClasses<TPanel>();
  TPanel Root(nullptr);
  Root.SetName("Root");
  EXPECT_EQ(Root.Color(), static_cast<TColor>(0xFF00000Fu));  // the panel's default, the button face
  auto* Info = new TPanel(&Root);
  Info->SetName("Info");
  Info->SetParent(&Root);
  Info->SetColor(clInfoBk);
  auto* Old = new TPanel(&Root);
  Old->SetName("Old");
  Old->SetParent(&Root);
  Old->SetColor(static_cast<TColor>(0x80000018u));  // written as an older version stored it
  auto* OldFace = new TPanel(&Root);
  OldFace->SetName("OldFace");
  OldFace->SetParent(&Root);
  OldFace->SetColor(static_cast<TColor>(0x8000000Fu));
  auto* Plain = new TPanel(&Root);
  Plain->SetName("Plain");
  Plain->SetParent(&Root);
  Plain->SetColor(static_cast<TColor>(0x00123456));

  TPanel Copy(nullptr);
  RoundTrip(&Root, &Copy);
  const struct { const char* Name; TColor Color; int SysIndex; } cases[] = {
      {"Info", static_cast<TColor>(0xFF000018u), COLOR_INFOBK},
      {"Old", static_cast<TColor>(0xFF000018u), COLOR_INFOBK},
      {"OldFace", static_cast<TColor>(0xFF00000Fu), COLOR_BTNFACE},
      {"Plain", 0x00123456, -1},
  };
  EXPECT_EQ(Copy.Color(), clBtnFace);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto* P = dynamic_cast<TPanel*>(Copy.FindComponent(c.Name));
    ASSERT_NE(P, nullptr);
    EXPECT_EQ(P->Color(), c.Color);
    EXPECT_EQ(ColorToRGB(P->Color()), c.SysIndex < 0 ? c.Color : static_cast<int32_t>(GetSysColor(c.SysIndex)));
  }
  UnRegisterClasses<TPanel>();
}

// A font height of any size read from a stream measures text without overflowing the font code: beyond
// the largest height a screen could show it measures as that largest height (16384 pixels).
TEST(ControlStreaming, AHugeFontHeightFromAStreamIsClamped) {
  RegisterClasses<TPanel>();
  TPanel Root(nullptr);
  Root.SetName("Root");
  const int heights[] = {INT_MAX, INT_MIN, -INT_MAX, 2000000, -2000000};
  for (size_t i = 0; i < std::size(heights); ++i) {
    auto* P = new TPanel(&Root);
    P->SetName("P" + std::to_string(i));
    P->SetParent(&Root);
    P->Font()->SetHeight(heights[i]);
  }
  TPanel Copy(nullptr);
  RoundTrip(&Root, &Copy);
  auto measure = [](TFont* F) {
    TBitmap B;
    B.SetSize(8, 8);
    B.Canvas()->Font()->Assign(F);
    return B.Canvas()->TextExtent("Ag");
  };
  TFont largest, largestCell;
  largest.SetHeight(-16384);
  largestCell.SetHeight(16384);
  const SIZE em = measure(&largest), cell = measure(&largestCell);
  EXPECT_GT(em.cy, 16000);
  EXPECT_GT(cell.cy, 10000);
  for (size_t i = 0; i < std::size(heights); ++i) {
    SCOPED_TRACE(heights[i]);
    auto* P = dynamic_cast<TPanel*>(Copy.FindComponent("P" + std::to_string(i)));
    ASSERT_NE(P, nullptr);
    EXPECT_EQ(P->Font()->Height(), heights[i]);  // the stream's value is kept; only drawing is bounded
    const SIZE s = measure(P->Font());
    EXPECT_EQ(s.cy, heights[i] > 0 ? cell.cy : em.cy);
    EXPECT_EQ(s.cx, heights[i] > 0 ? cell.cx : em.cx);
  }
  UnRegisterClasses<TPanel>();
}

}  // namespace
