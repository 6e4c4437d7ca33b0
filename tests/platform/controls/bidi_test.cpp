// Reading direction (BiDiMode) and the 3-D look (Ctl3D) of controls, driven as a program and a user
// reach them: a parent's setting reaching its children, the windows' extended styles, an edit reading
// right to left under typed keys and clicks, a list box's scroll bar on the left, a single-line border
// in place of the sunken edge.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/controls/edits.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/lists.h"
#include "platform/controls/stdctrls.h"
#include "platform/win/testing.h"
#include "tests/platform/controls/host_fixture.h"

namespace {

// An edit whose window is made right-aligned, reading left to right (the mirror image of an edit
// reading right to left).
class TRightAlignedEdit : public TEdit {
  DECLARE_CLASS(TRightAlignedEdit, TEdit)
  explicit TRightAlignedEdit(TComponent* AOwner) : TEdit(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TEdit::CreateParams(Params);
    Params.Style |= ES_RIGHT;
  }
};

class BiDiTest : public ControlHostTest {
 protected:
  BiDiTest() : ControlHostTest(400, 240, clWhite) {}
  void SetUp() override {
    ControlHostTest::SetUp();
    win::PumpMessages();
  }
  static DWORD ExStyle(TWinControl* C) { return static_cast<DWORD>(GetWindowLong(C->Handle(), GWL_EXSTYLE)); }
  static void Type(const std::string& S) {
    win::InjectChar(S);
    win::PumpMessages();
  }
  static int CaretX() {
    POINT p{0, 0};
    GetCaretPos(&p);
    return p.x;
  }
  // The columns of a control's client area that hold ink (pixels other than white), left and right.
  static std::pair<int, int> InkColumns(TWinControl* C, int Top, int Bottom) {
    int first = -1, last = -1;
    const TRect r = C->ClientRect();
    for (int x = 0; x < r.Width(); ++x)
      for (int y = Top; y < Bottom; ++y)
        if (win::GetWindowPixel(C->Handle(), x, y) != RGB(255, 255, 255)) {
          if (first < 0) first = x;
          last = x;
          break;
        }
    return {first, last};
  }
};

// ---------------------------------------------------------------------------------------------------
// BiDiMode

TEST(BiDiModes, EachModeAnswersTheThreeQuestions) {
  struct Case {
    TBiDiMode Mode;
    bool Alignment, Reading, ScrollBar;
    UINT LeftText, RightText;  // DrawTextBiDiModeFlags of DT_LEFT and DT_RIGHT
  };
  const Case cases[] = {
      {bdLeftToRight, false, false, false, DT_LEFT, DT_RIGHT},
      {bdRightToLeft, true, true, true, DT_RIGHT | DT_RTLREADING, DT_LEFT | DT_RTLREADING},
      {bdRightToLeftNoAlign, false, true, true, DT_LEFT | DT_RTLREADING, DT_RIGHT | DT_RTLREADING},
      {bdRightToLeftReadingOnly, false, true, false, DT_LEFT | DT_RTLREADING, DT_RIGHT | DT_RTLREADING},
  };
  TPanel P(nullptr);
  for (const Case& c : cases) {
    P.SetBiDiMode(c.Mode);
    EXPECT_EQ(P.UseRightToLeftAlignment(), c.Alignment) << c.Mode;
    EXPECT_EQ(P.UseRightToLeftReading(), c.Reading) << c.Mode;
    EXPECT_EQ(P.UseRightToLeftScrollBar(), c.ScrollBar) << c.Mode;
    EXPECT_EQ(P.DrawTextBiDiModeFlags(DT_LEFT), c.LeftText) << c.Mode;
    EXPECT_EQ(P.DrawTextBiDiModeFlags(DT_RIGHT), c.RightText) << c.Mode;
    // Centred text stays centred.
    EXPECT_EQ(P.DrawTextBiDiModeFlags(DT_CENTER) & (DT_CENTER | DT_RIGHT), DT_CENTER) << c.Mode;
  }
}

TEST_F(BiDiTest, AParentsModeReachesItsChildrenAndTheirWindows) {
  auto* panel = MakeChild<TPanel>(host, 0, 0, 400, 240);
  auto* edit = MakeChild<TEdit>(panel, 10, 10, 200, 21);
  auto* own = MakeChild<TEdit>(panel, 10, 40, 200, 21);
  own->SetBiDiMode(bdLeftToRight);  // its own setting: it stops following the panel
  win::PumpMessages();
  EXPECT_EQ(ExStyle(edit) & (WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR), 0u);

  host->SetBiDiMode(bdRightToLeft);
  win::PumpMessages();
  EXPECT_EQ(panel->BiDiMode(), bdRightToLeft);
  EXPECT_EQ(edit->BiDiMode(), bdRightToLeft);
  EXPECT_TRUE(edit->ParentBiDiMode());
  EXPECT_FALSE(own->ParentBiDiMode());
  EXPECT_EQ(own->BiDiMode(), bdLeftToRight);
  // The edit's window has the extended styles of the mode.
  EXPECT_EQ(ExStyle(edit) & (WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR),
            WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR);
  EXPECT_EQ(ExStyle(own) & (WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR), 0u);

  // Reading only: no alignment, no scroll bar on the left.
  panel->SetBiDiMode(bdRightToLeftReadingOnly);
  win::PumpMessages();
  EXPECT_EQ(ExStyle(edit) & (WS_EX_RTLREADING | WS_EX_RIGHT | WS_EX_LEFTSCROLLBAR), WS_EX_RTLREADING);

  // Following the parent again takes its mode at once.
  own->SetParentBiDiMode(true);
  EXPECT_EQ(own->BiDiMode(), bdRightToLeftReadingOnly);
}

TEST_F(BiDiTest, AnEditReadingRightToLeftPlacesTheCaretFromTheRight) {
  host->SetBiDiMode(bdRightToLeft);
  auto* edit = MakeChild<TEdit>(host, 20, 20, 200, 23);
  edit->Font()->SetName("DejaVu Sans");
  edit->Font()->SetSize(12);
  edit->SetFocus();
  win::PumpMessages();
  const int empty = CaretX();
  EXPECT_GT(empty, edit->ClientWidth() - 10) << "an empty right-aligned edit keeps its caret at the right";
  // Hebrew letters typed one by one: each stands left of the one before, and the caret moves leftwards.
  Type("\xD7\x90");  // alef
  const int one = CaretX();
  Type("\xD7\x91");  // bet
  const int two = CaretX();
  EXPECT_LT(one, empty);
  EXPECT_LT(two, one);
  EXPECT_EQ(edit->Text(), "\xD7\x90\xD7\x91");

  // Left steps forward through the text, Right back (Home is the start: the right end).
  Key(VK_HOME);
  EXPECT_EQ(edit->CaretIndex(), 0);
  EXPECT_EQ(CaretX(), empty);
  Key(VK_LEFT);
  EXPECT_EQ(edit->CaretIndex(), 1);
  EXPECT_EQ(CaretX(), one);
  Key(VK_RIGHT);
  EXPECT_EQ(edit->CaretIndex(), 0);

  // The first letter selected (Shift+Left from the start) is highlighted where it stands: between the
  // right end and the caret after it, not over the second letter.
  win::InjectKey(WM_KEYDOWN, VK_SHIFT);
  Key(VK_LEFT);
  win::InjectKey(WM_KEYUP, VK_SHIFT);
  win::PumpMessages();
  EXPECT_EQ(edit->SelText(), "\xD7\x90");
  const COLORREF hl = GetSysColor(COLOR_HIGHLIGHT);
  const int y = 4;
  EXPECT_EQ(win::GetWindowPixel(edit->Handle(), (one + empty) / 2, y), hl);
  EXPECT_NE(win::GetWindowPixel(edit->Handle(), (two + one) / 2, y), hl);

  // A click near the left end of the text puts the caret after the last letter.
  const TPoint p = edit->ClientToScreen(TPoint(two + 1, 10));
  win::Click(p.X, p.Y);
  EXPECT_EQ(edit->CaretIndex(), 2);
}

TEST_F(BiDiTest, AnEditReadingRightToLeftShowsTheTextInThatOrder) {
  // "ab!" read right to left ends with the mark at its left: it looks as "!ab" read left to right.
  auto* rtl = MakeChild<TEdit>(host, 20, 20, 200, 23);
  rtl->SetBiDiMode(bdRightToLeft);
  auto* ltr = MakeChild<TRightAlignedEdit>(host, 20, 60, 200, 23);
  for (TEdit* e : {static_cast<TEdit*>(rtl), static_cast<TEdit*>(ltr)}) {
    e->Font()->SetName("DejaVu Sans");
    e->Font()->SetSize(14);
  }
  rtl->SetText("ab!");
  ltr->SetText("!ab");
  win::PumpMessages();
  const auto a = InkColumns(rtl, 2, 17), b = InkColumns(ltr, 2, 17);
  ASSERT_GE(a.first, 0);
  EXPECT_EQ(a, b);
  for (int x = a.first; x <= a.second; ++x)
    for (int y = 2; y < 17; ++y)
      ASSERT_EQ(win::GetWindowPixel(rtl->Handle(), x, y), win::GetWindowPixel(ltr->Handle(), x, y)) << x << "," << y;

  // Mixed text selected whole is lit without a gap where the digits meet the Hebrew words.
  rtl->SetText("\xD7\x90\xD7\x91 12!");
  rtl->SetFocus();
  rtl->SelectAll();
  win::PumpMessages();
  const COLORREF hl = GetSysColor(COLOR_HIGHLIGHT);
  int first = -1, last = -1, lit = 0;
  for (int x = 0; x < rtl->ClientWidth(); ++x)
    if (win::GetWindowPixel(rtl->Handle(), x, 3) == hl) {
      if (first < 0) first = x;
      last = x;
      ++lit;
    }
  ASSERT_GE(first, 0);
  EXPECT_GE(lit, last - first) << "one lit piece (the caret may take a column)";
  EXPECT_GT(last - first, 30);

}

TEST_F(BiDiTest, AListBoxReadingRightToLeftHasItsScrollBarOnTheLeft) {
  auto* list = MakeChild<TListBox>(host, 20, 20, 150, 100);
  list->SetBiDiMode(bdRightToLeft);
  for (int i = 0; i < 30; ++i) list->Items()->Add("x" + std::to_string(i));
  win::PumpMessages();
  EXPECT_TRUE(ExStyle(list) & WS_EX_LEFTSCROLLBAR);
  // The client area starts right of the bar.
  const TPoint origin = list->ClientOrigin();
  const TPoint window = host->ClientToScreen(TPoint(20, 20));
  EXPECT_EQ(origin.X - window.X, 2 + GetSystemMetrics(SM_CXVSCROLL));
  // A click on the bar's lower arrow (at the left) scrolls the list.
  const int bar = GetSystemMetrics(SM_CXVSCROLL), arrow = GetSystemMetrics(SM_CYVSCROLL);
  win::Click(window.X + 2 + bar / 2, window.Y + 100 - 2 - arrow / 2);
  EXPECT_EQ(list->TopIndex(), 1);
  // Items are written from the right edge.
  list->Items()->Clear();
  list->Items()->Add("i");
  win::PumpMessages();
  const auto ink = InkColumns(list, 1, list->ItemHeight() - 1);
  ASSERT_GE(ink.first, 0);
  EXPECT_GT(ink.first, list->ClientWidth() - 12);
}

// ---------------------------------------------------------------------------------------------------
// Ctl3D

TEST_F(BiDiTest, Ctl3DOffReachesTheChildrenThatFollowAndGivesEditsASingleLine) {
  auto* panel = MakeChild<TPanel>(host, 0, 0, 400, 240);
  auto* edit = MakeChild<TEdit>(panel, 10, 10, 200, 21);
  auto* own = MakeChild<TEdit>(panel, 10, 40, 200, 21);
  own->SetCtl3D(true);  // set on its own: stops following
  auto* list = MakeChild<TListBox>(panel, 10, 80, 150, 100);
  win::PumpMessages();
  int changes = 0;
  edit->SetWindowProc([&, edit](TMessage& M) {
    if (M.Msg == CM_CTL3DCHANGED) ++changes;
    edit->WndProc(M);
  });
  EXPECT_TRUE(ExStyle(edit) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(edit->ClientWidth(), 200 - 4);

  panel->SetCtl3D(false);
  win::PumpMessages();
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(edit->Ctl3D());
  EXPECT_TRUE(edit->ParentCtl3D());
  EXPECT_TRUE(own->Ctl3D());
  EXPECT_FALSE(own->ParentCtl3D());
  // The edit's border is one line in the window-frame colour inside its client area.
  EXPECT_FALSE(ExStyle(edit) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(edit->ClientWidth(), 200);
  const COLORREF frame = GetSysColor(COLOR_WINDOWFRAME);
  EXPECT_EQ(win::GetWindowPixel(edit->Handle(), 0, 0), frame);
  EXPECT_EQ(win::GetWindowPixel(edit->Handle(), 199, 20), frame);
  EXPECT_NE(win::GetWindowPixel(edit->Handle(), 1, 1), frame);
  // Typed text starts inside the line.
  edit->SetFocus();
  win::PumpMessages();
  EXPECT_GE(CaretX(), 2);
  // The list box gets a single line around it.
  EXPECT_TRUE(GetWindowLong(list->Handle(), GWL_STYLE) & WS_BORDER);
  EXPECT_EQ(list->ClientWidth(), 150 - 2);

  // Back on: the sunken edge again; a repeated value sends nothing.
  panel->SetCtl3D(true);
  panel->SetCtl3D(true);
  win::PumpMessages();
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(ExStyle(edit) & WS_EX_CLIENTEDGE);
  edit->SetWindowProc(nullptr);
}

}  // namespace
