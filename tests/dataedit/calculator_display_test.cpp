// The calculator's display is the label of its form resource; the keys' look comes from the resource
// through the key class's published properties; the pop-up calculator's frame, dialog code and special
// keys. Also the parser's messages as resource strings and the pick list's focus rectangle beside
// images.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "dataedit/CalculatorX.h"
#include "dataedit/DbUtilsX.h"
#include "dataedit/PopupsX.h"
#include "platform/classes/filer.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/imglist.h"
#include "platform/controls/stdctrls.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/testing.h"

namespace {

int FormFontTextHeight() {
  TBitmap B;
  B.SetSize(8, 8);
  B.Canvas()->Font()->SetName("MS Sans Serif");
  B.Canvas()->Font()->SetHeight(-11);
  return B.Canvas()->TextHeight("0");
}

TEST(CalculatorXDisplay, DisplayIsTheLabelInsideThePanel) {
  TCalculatorX C(nullptr);
  const int Num = FormFontTextHeight(), Den = 13;
  auto* Panel = dynamic_cast<TPanel*>(C.FindComponent("Panel1"));
  ASSERT_NE(Panel, nullptr);
  ASSERT_NE(C.TextBox(), nullptr);
  EXPECT_EQ(C.TextBox(), C.FindComponent("TextBox"));
  EXPECT_EQ(C.TextBox()->Parent(), Panel);
  EXPECT_EQ(Panel->Parent(), &C);
  EXPECT_EQ(Panel->BoundsRect(), TRect(MulDiv(6, Num, Den), MulDiv(4, Num, Den), MulDiv(6, Num, Den) + MulDiv(171, Num, Den),
                                       MulDiv(4, Num, Den) + MulDiv(19, Num, Den)));
  EXPECT_EQ(Panel->BevelOuter(), bvNone);
  EXPECT_EQ(Panel->BorderWidth(), 2);
  EXPECT_EQ(Panel->Color(), clHighlightText);
  TLabel* L = C.TextBox();
  EXPECT_EQ(L->Alignment(), taRightJustify);
  EXPECT_EQ(L->Layout(), tlCenter);
  EXPECT_FALSE(L->AutoSize());
  EXPECT_EQ(L->Width(), MulDiv(166, Num, Den));
  EXPECT_EQ(L->Caption(), "0");
  // Every display change shows in the label.
  const struct {
    const char* Keys;
    const char* Shown;
  } Steps[] = {{"12", "12"}, {"\b", "1"}, {"+3=", "4"}, {"/0=", "Error"}, {"C", "0"}};
  for (const auto& S : Steps) {
    for (const char* K = S.Keys; *K; ++K) C.HandleKey(*K);
    EXPECT_EQ(C.DisplayText(), S.Shown);
    EXPECT_EQ(L->Caption(), S.Shown) << S.Keys;
  }
  C.SetDisplayValue(2.5);
  EXPECT_EQ(L->Caption(), "2.5");
}

TEST(CalculatorXDisplay, KeysTakeFlatAndGlyphSideFromTheResource) {
  TCalculatorX C(nullptr);
  for (int Tag = 1; Tag < 24; ++Tag) {
    TSpeedButtonX* B = C.Key(Tag);
    ASSERT_NE(B, nullptr);
    EXPECT_TRUE(B->Flat()) << Tag;
    EXPECT_EQ(B->Layout(), blGlyphRight) << Tag;
    EXPECT_EQ(B->Style(), ebsGlyphX) << Tag;
    EXPECT_TRUE(B->Active()) << Tag;
  }
  // The key class stores its look: a key written and read back keeps it.
  RegisterClasses<TPanel, TSpeedButtonX, TLabel>();
  TPanel Root(nullptr);
  Root.SetName("Root");
  auto* K = new TSpeedButtonX(&Root);
  K->SetName("Key");
  K->SetParent(&Root);
  K->SetFlat(true);
  K->SetLayout(blGlyphBottom);
  K->SetStyle(ebsUpDownX);
  K->SetActive(true);
  TMemoryStream S;
  TWriter(&S).WriteRootComponent(&Root);
  S.SetPosition(0);
  TPanel Copy(nullptr);
  TReader(&S).ReadRootComponent(&Copy);
  auto* K2 = dynamic_cast<TSpeedButtonX*>(Copy.FindComponent("Key"));
  ASSERT_NE(K2, nullptr);
  EXPECT_TRUE(K2->Flat());
  EXPECT_EQ(K2->Layout(), blGlyphBottom);
  EXPECT_EQ(K2->Style(), ebsUpDownX);
  EXPECT_TRUE(K2->Active());
  // The classes stay registered: the calculator's form reads with them.
}

class TReceiver : public TComponent, public ICloseUpReceiverX {
 public:
  TReceiver() : TComponent(nullptr) {}
  void CloseUp(bool Accept) override { Calls.push_back(Accept); }
  std::vector<bool> Calls;
};

class TOpenPopupCalculator : public TPopupCalculatorX {
 public:
  explicit TOpenPopupCalculator(TComponent* AOwner) : TPopupCalculatorX(AOwner) {}
  using TPopupCalculatorX::WantsKey;
};

TEST(PopupCalculatorXFrame, DialogCodeSpecialKeysAndThe3DFrame) {
  win::ResetWindowManager();
  TReceiver Owner;
  auto* P = new TOpenPopupCalculator(&Owner);
  EXPECT_EQ(P->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTCHARS);
  EXPECT_TRUE(P->WantsKey(VK_RETURN, TShiftState{}));
  EXPECT_TRUE(P->WantsKey(VK_ESCAPE, TShiftState{}));
  EXPECT_EQ(Owner.Calls, (std::vector<bool>{true, false})) << "Enter accepts, Esc cancels";
  EXPECT_FALSE(P->WantsKey('5', TShiftState{}));

  EXPECT_TRUE(P->Ctl3D());
  EXPECT_EQ(P->PopupBorderWidth(), 2);
  P->SetBounds(50, 50, P->Width(), P->Height());
  ShowWindow(P->Handle(), SW_SHOWNOACTIVATE);
  win::PumpMessages();
  EXPECT_EQ(P->Width() - P->ClientWidth(), 4) << "a frame of two pixels on each side";
  EXPECT_EQ(P->ClientWidth(), P->StoredClientWidth()) << "sized to the stored client area";
  EXPECT_FALSE(GetWindowLong(P->Handle(), GWL_STYLE) & WS_BORDER);
  HDC DC = GetWindowDC(P->Handle());
  EXPECT_EQ(GetPixel(DC, 0, 0), ColorRef(cl3DDkShadow)) << "the outer line in the dark shadow colour";
  EXPECT_EQ(GetPixel(DC, 1, 1), ColorRef(clBtnHighlight)) << "then a raised inner edge";
  EXPECT_EQ(GetPixel(DC, P->Width() - 2, P->Height() - 2), ColorRef(clBtnShadow));
  ReleaseDC(P->Handle(), DC);

  P->SetCtl3D(false);
  win::PumpMessages();
  EXPECT_EQ(P->PopupBorderWidth(), 0);
  EXPECT_TRUE(GetWindowLong(P->Handle(), GWL_STYLE) & WS_BORDER) << "a one-pixel line instead";
  EXPECT_EQ(P->Width() - P->ClientWidth(), 2);
  EXPECT_EQ(P->ClientWidth(), P->StoredClientWidth());
  win::ResetWindowManager();
}

TEST(DbUtilsXMessages, ParserMessagesAreResourceStrings) {
  TSTFilterExpressionX E;
  // Registered on first use (the unit's start-up registers them too), under fixed ids.
  EXPECT_THROW(ParseSTFilterText("= 'abc", E), Exception);
  EXPECT_EQ(LoadResString(DbUtilsXMessages::SQuoteIsAbsentId), "Quote is absent: ");
  EXPECT_EQ(LoadResString(DbUtilsXMessages::SUnexpectedANDorORId), "Unexpected AND or OR: ");
  std::string ByName;
  EXPECT_TRUE(FindResourceString("SIncorrectExpression", ByName));
  EXPECT_EQ(ByName, "Incorrect expression: ");
  // A translation registered under the id is what the parser says.
  RegisterResourceString(DbUtilsXMessages::SQuoteIsAbsentId, "SQuoteIsAbsent", "Anführungszeichen fehlt: ");
  try {
    ParseSTFilterText("= 'abc", E);
    ADD_FAILURE() << "no error";
  } catch (const Exception& X) {
    EXPECT_EQ(X.Message(), "Anführungszeichen fehlt: = 'abc");
  }
  DbUtilsXMessages::RegisterMessages();
  try {
    ParseSTFilterText("= 'abc", E);
  } catch (const Exception& X) {
    EXPECT_EQ(X.Message(), "Quote is absent: = 'abc");
  }
}

class TFocusRectList : public TPopupListboxX {
 public:
  explicit TFocusRectList(TComponent* AOwner) : TPopupListboxX(AOwner) {}
  using TPopupListboxX::ItemFocusRect;
};

TEST(PopupListboxFocus, FocusRectangleCoversTheTextBesideImages) {
  TFocusRectList L(nullptr);
  const TRect Row(0, 16, 120, 32);
  EXPECT_EQ(L.ItemFocusRect(1, Row), Row) << "plain rows: the whole row";
  TImageList Images(nullptr);
  Images.SetWidth(12);
  Images.SetHeight(12);
  L.AssignImageList(&Images);
  EXPECT_EQ(L.ItemFocusRect(1, Row), TRect(16, 16, 120, 32)) << "right of the image area (image width + 4)";
  L.AssignImageList(nullptr);
}

}  // namespace
