// Rules of the data-aware controls: the check box's value lists and state changes, the edit's style,
// height, button strip and rectangles, and the combo box's stepping, matching and drop-down width.
#include <gtest/gtest.h>

#include "dataedit/DBCtrlsXRules.h"

namespace {

// ---------------------------------------------------------------------------------------------------
// Check box mappings

struct TextStateCase {
  const char* Text;
  const char* Checked;
  const char* Unchecked;
  TCheckBoxState Expected;
};

TEST(CheckBoxMapping, TextAgainstValueLists) {
  const TextStateCase Cases[] = {
      {"yes", "Yes;Y;1", "No;N;0", cbChecked},         // case ignored
      {"Y", "Yes; Y ;1", "No;N;0", cbChecked},         // entries trimmed
      {"1", "Yes;Y;1", "No;N;0", cbChecked},           // last entry
      {"n", "Yes;Y;1", "No;N;0", cbUnchecked},
      {"maybe", "Yes;Y;1", "No;N;0", cbGrayed},        // in neither list
      {"", "Yes;Y;1", "No;N;0", cbGrayed},
      {"", "Yes;;1", "No", cbChecked},                 // an empty entry matches the empty text
      {"x", "x", "x", cbChecked},                      // the checked list is asked first
      {"True", "True", "False", cbChecked},
      {"FALSE", "True", "False", cbUnchecked},
      {"ÄPFEL", "äpfel", "", cbChecked},               // non-ASCII case folding
      {"Ye", "Yes", "No", cbGrayed},                   // no prefix matching
  };
  for (const auto& C : Cases)
    EXPECT_EQ(CheckBoxStateOfText(C.Text, C.Checked, C.Unchecked), C.Expected)
        << "text '" << C.Text << "' against '" << C.Checked << "' / '" << C.Unchecked << "'";
}

TEST(CheckBoxMapping, FirstEntryIsWhatAStateWrites) {
  EXPECT_EQ(FirstValueEntry("Yes;Y;1"), "Yes");
  EXPECT_EQ(FirstValueEntry("  Yes  ; Y"), "Yes");
  EXPECT_EQ(FirstValueEntry("single"), "single");
  EXPECT_EQ(FirstValueEntry(""), "");
  EXPECT_EQ(FirstValueEntry(";second"), "");
}

TEST(CheckBoxMapping, IndependentValueRoundTrips) {
  struct Case {
    const char* Name;
    Variant Value;
    TCheckBoxState Expected;
  };
  const Case Cases[] = {
      {"true", Variant(true), cbChecked},
      {"false", Variant(false), cbUnchecked},
      {"the starting number 0", Variant(0), cbUnchecked},
      {"null", Null, cbGrayed},
      {"unassigned", Unassigned, cbGrayed},
      {"an unrelated text", Variant("maybe"), cbGrayed},
      {"the number 7", Variant(7), cbGrayed},
  };
  for (const auto& C : Cases) EXPECT_EQ(CheckBoxStateOfValue(C.Value), C.Expected) << C.Name;
  for (TCheckBoxState S : {cbUnchecked, cbChecked, cbGrayed})
    EXPECT_EQ(CheckBoxStateOfValue(CheckBoxValueOfState(S)), S) << int(S);
  EXPECT_TRUE(VarIsNull(CheckBoxValueOfState(cbGrayed)));
}

TEST(CheckBoxMapping, ToggleCycles) {
  struct Case {
    TCheckBoxState From;
    bool AllowGrayed;
    TCheckBoxState To;
  };
  const Case Cases[] = {
      {cbUnchecked, false, cbChecked}, {cbChecked, false, cbUnchecked}, {cbGrayed, false, cbChecked},
      {cbUnchecked, true, cbGrayed},   {cbChecked, true, cbUnchecked},  {cbGrayed, true, cbChecked},
  };
  for (const auto& C : Cases)
    EXPECT_EQ(ToggledCheckBoxState(C.From, C.AllowGrayed), C.To) << int(C.From) << " grayed " << C.AllowGrayed;
  // Three toggles with grayed allowed come back to the start.
  TCheckBoxState S = cbUnchecked;
  for (int I = 0; I < 3; ++I) S = ToggledCheckBoxState(S, true);
  EXPECT_EQ(S, cbUnchecked);
}

// ---------------------------------------------------------------------------------------------------
// Edit style and height

TEST(DBEditStyle, AlignmentTable) {
  struct Case {
    bool WordWrap, RightToLeft;
    DWORD Left, Right, Center;
  };
  const Case Cases[] = {
      {false, false, ES_LEFT, ES_LEFT, ES_LEFT},
      {false, true, ES_RIGHT, ES_RIGHT, ES_RIGHT},
      {true, false, ES_LEFT, ES_RIGHT, ES_CENTER},
      {true, true, ES_RIGHT, ES_LEFT, ES_CENTER},
  };
  for (const auto& C : Cases) {
    EXPECT_EQ(EditAlignmentStyle(C.WordWrap, C.RightToLeft, taLeftJustify), C.Left);
    EXPECT_EQ(EditAlignmentStyle(C.WordWrap, C.RightToLeft, taRightJustify), C.Right);
    EXPECT_EQ(EditAlignmentStyle(C.WordWrap, C.RightToLeft, taCenter), C.Center);
  }
}

TEST(DBEditStyle, WrapDropsAutoScrollAndPasswordKeepsSingleLine) {
  const DWORD Base = ES_AUTOHSCROLL | ES_RIGHT;  // an alignment bit left over is replaced
  EXPECT_EQ(DBEditWindowStyle(Base, false, false, false, taRightJustify), ES_AUTOHSCROLL | ES_MULTILINE);
  EXPECT_EQ(DBEditWindowStyle(Base, true, false, false, taRightJustify), ES_MULTILINE | ES_RIGHT);
  EXPECT_EQ(DBEditWindowStyle(Base, false, true, false, taLeftJustify), ES_AUTOHSCROLL);
  EXPECT_EQ(DBEditWindowStyle(0, true, true, true, taCenter), ES_CENTER);
}

TEST(DBEditHeight, BorderAllowanceAndImages) {
  EXPECT_EQ(EditBorderAllowance(true, true, false, 1, 16, 13), 8);
  EXPECT_EQ(EditBorderAllowance(true, false, true, 1, 16, 13), 4);
  EXPECT_EQ(EditBorderAllowance(true, true, true, 1, 16, 13), 6);
  EXPECT_EQ(EditBorderAllowance(true, false, false, 1, 16, 13), 6);
  EXPECT_EQ(EditBorderAllowance(true, true, false, 2, 16, 13), 16);
  EXPECT_EQ(EditBorderAllowance(false, true, false, 1, 16, 13), 4 + 13 / 4);
  EXPECT_EQ(EditBorderAllowance(false, true, false, 1, 12, 20), 4 + 12 / 4);

  EXPECT_EQ(FitEditHeight(8, 13, false, true, 32), 21);
  EXPECT_EQ(FitEditHeight(8, 13, true, true, 32), 40);
  EXPECT_EQ(FitEditHeight(8, 13, true, false, 32), 21);
  EXPECT_EQ(FitEditHeight(8, 13, true, true, 10), 21);  // a smaller image does not shrink it
}

// ---------------------------------------------------------------------------------------------------
// Button strip

TEST(ButtonStrip, InvisibleButtonTakesNoRoomAndFlatButtonsGetSeparators) {
  // Main button, EditButtons[0] invisible, EditButtons[1] visible; client 100 x 20; flat width 13.
  const std::vector<TStripButtonX> B = {{true, 0}, {false, 0}, {true, 0}};
  TButtonStripLayoutX L = LayoutButtonStrip(B, 100, 20, true, false, 13, 17);
  ASSERT_EQ(L.Widths.size(), 3u);
  EXPECT_EQ(L.Widths[1], 0);
  EXPECT_EQ(L.Buttons[1].right - L.Buttons[1].left, 0);
  EXPECT_EQ(L.Separators[1].right - L.Separators[1].left, 0);
  // Read left to right: separator, main, separator, (empty), last button.
  EXPECT_EQ(L.Buttons[2].right, 100);
  EXPECT_EQ(L.Buttons[2].left, 87);
  EXPECT_EQ(L.Separators[2].left, 86);
  EXPECT_EQ(L.Buttons[0].right, 86);
  EXPECT_EQ(L.Buttons[0].left, 73);
  EXPECT_EQ(L.Separators[0].left, 72);
  EXPECT_EQ(L.StripWidth, 28);

  // Not flat: no separators, the scroll bar's width.
  L = LayoutButtonStrip(B, 100, 20, false, false, 13, 17);
  EXPECT_EQ(L.StripWidth, 34);
  for (const RECT& S : L.Separators) EXPECT_EQ(S.right - S.left, 0);
}

TEST(ButtonStrip, HeightSquareWhileItFitsElseClientHeight) {
  const std::vector<TStripButtonX> One = {{true, 17}};
  EXPECT_EQ(LayoutButtonStrip(One, 100, 40, false, false, 13, 17).ButtonHeight, 17);
  EXPECT_EQ(LayoutButtonStrip(One, 100, 20, false, false, 13, 17).ButtonHeight, 20);
  // 17 x 1.5 = 25.5 rounds to 26 (half to even): 26 is not below 26, so the client height.
  EXPECT_EQ(LayoutButtonStrip(One, 100, 26, false, false, 13, 17).ButtonHeight, 26);
  EXPECT_EQ(LayoutButtonStrip(One, 100, 27, false, false, 13, 17).ButtonHeight, 17);
  // 11 x 1.5 = 16.5 rounds to 16: below 17, square.
  EXPECT_EQ(LayoutButtonStrip({{true, 11}}, 100, 17, false, false, 13, 17).ButtonHeight, 11);
  // The least of the visible buttons'.
  EXPECT_EQ(LayoutButtonStrip({{true, 17}, {true, 10}}, 100, 40, false, false, 13, 17).ButtonHeight, 10);
}

TEST(ButtonStrip, NoVisibleButtonGivesZeroHeightNotTheIntegerLimit) {
  TButtonStripLayoutX L = LayoutButtonStrip({{false, 0}, {false, 20}}, 100, 20, true, false, 13, 17);
  EXPECT_EQ(L.ButtonHeight, 0);
  EXPECT_EQ(L.StripWidth, 0);
  for (const RECT& R : L.Buttons) EXPECT_EQ(R.bottom, 0);
}

TEST(ButtonStrip, RightToLeftMirrors) {
  const std::vector<TStripButtonX> B = {{true, 0}, {true, 10}};
  TButtonStripLayoutX L = LayoutButtonStrip(B, 100, 20, true, true, 13, 17);
  EXPECT_EQ(L.Buttons[1].left, 0);
  EXPECT_EQ(L.Buttons[1].right, 10);
  EXPECT_EQ(L.Separators[1].left, 10);
  EXPECT_EQ(L.Buttons[0].left, 11);
  EXPECT_EQ(L.Buttons[0].right, 24);
  EXPECT_EQ(L.StripWidth, 25);
}

TEST(ButtonStrip, Rectangles) {
  auto Eq = [](RECT R, LONG L, LONG T, LONG Rt, LONG B) {
    return R.left == L && R.top == T && R.right == Rt && R.bottom == B;
  };
  EXPECT_TRUE(Eq(EditButtonsRect(100, 20, 30, false, false), 70, 0, 100, 20));
  EXPECT_TRUE(Eq(EditButtonsRect(100, 20, 30, true, false), 69, 1, 99, 19));
  EXPECT_TRUE(Eq(EditButtonsRect(100, 20, 30, false, true), 0, 0, 30, 20));
  EXPECT_TRUE(Eq(EditImageRect(100, 20, 20, false), 0, 0, 20, 20));
  EXPECT_TRUE(Eq(EditImageRect(100, 20, 20, true), 80, 0, 100, 20));
  EXPECT_TRUE(Eq(EditFormatRect(100, 20, 30, 20, false), 20, 0, 70, 20));
  EXPECT_TRUE(Eq(EditFormatRect(100, 20, 30, 20, true), 30, 0, 80, 20));
  EXPECT_TRUE(Eq(EditPaintTextRect(100, 20, 30, 20, false, false), 20, 0, 69, 20));
  EXPECT_TRUE(Eq(EditPaintTextRect(100, 20, 30, 20, true, false), 21, 1, 68, 19));
  EXPECT_TRUE(Eq(EditPaintTextRect(100, 20, 30, 20, false, true), 30, 0, 79, 20));

  const RECT P{0, 0, 69, 20};
  EXPECT_EQ(EditPaintTextX(taLeftJustify, P, 30, 2), 2);
  EXPECT_EQ(EditPaintTextX(taRightJustify, P, 30, 2), 37);
  EXPECT_EQ(EditPaintTextX(taCenter, P, 30, 2), 19);
}

// ---------------------------------------------------------------------------------------------------
// Combo box

TEST(ComboItems, EffectiveCountAndStepping) {
  EXPECT_EQ(EffectiveItemCount(3, 0), 3);
  EXPECT_EQ(EffectiveItemCount(3, 2), 2);  // three items, two keys: two offered
  EXPECT_EQ(EffectiveItemCount(2, 5), 2);

  struct Case {
    int Index, Count;
    bool Up;
    int Expected;
  };
  const Case Cases[] = {
      {0, 3, true, 0},   // up on item 0 stays
      {-1, 3, true, 2},  // up from none selects the last
      {2, 3, false, 2},  // down on the last stays
      {-1, 3, false, 0}, {1, 3, true, 0}, {1, 3, false, 2}, {-1, 0, false, -1}, {-1, 0, true, -1},
      {5, 3, false, 0},  // out of range counts as none
  };
  for (const auto& C : Cases)
    EXPECT_EQ(SteppedItemIndex(C.Index, C.Count, C.Up), C.Expected)
        << C.Index << " of " << C.Count << (C.Up ? " up" : " down");
}

TEST(ComboItems, MatchingTypedText) {
  const std::vector<std::string> Items = {"Alpha", "Beta", "Betamax", "Ärger"};
  EXPECT_EQ(MatchItemText(Items, 4, "be", true), 1);
  EXPECT_EQ(MatchItemText(Items, 4, "BETAM", true), 2);
  EXPECT_EQ(MatchItemText(Items, 4, "be", false), -1);
  EXPECT_EQ(MatchItemText(Items, 4, "beta", false), 1);
  EXPECT_EQ(MatchItemText(Items, 4, "är", true), 3);
  EXPECT_EQ(MatchItemText(Items, 2, "betam", true), -1);  // beyond the effective count
  EXPECT_EQ(MatchItemText(Items, 4, "", true), 0);
  EXPECT_EQ(MatchItemText(Items, 4, "x", true), -1);
}

TEST(ComboItems, DropDownWidth) {
  EXPECT_EQ(DropDownClientWidth(0, 120, 300, false, 0), 120);
  EXPECT_EQ(DropDownClientWidth(-5, 120, 300, false, 0), 120);
  EXPECT_EQ(DropDownClientWidth(-1, 120, 300, false, 0), 305);
  EXPECT_EQ(DropDownClientWidth(-1, 120, 300, true, 16), 325);
  EXPECT_EQ(DropDownClientWidth(-1, 120, 50, false, 0), 120);  // never narrower than the control
  EXPECT_EQ(DropDownClientWidth(200, 120, 50, false, 0), 200);
  EXPECT_EQ(DropDownClientWidth(80, 120, 50, false, 0), 120);
}

}  // namespace
