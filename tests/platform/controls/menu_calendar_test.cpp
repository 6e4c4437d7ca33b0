// Pop-up menus and the month calendar, driven through the queue.
#include <string>
#include <vector>

#include "platform/controls/menus.h"
#include "platform/controls/monthcal.h"
#include "platform/controls/stdctrls.h"
#include "platform/win/host.h"
#include "tests/platform/controls/popup_fixture.h"

namespace {

class MenuTest : public PopupTest {
 protected:
  void SetUp() override {
    PopupTest::SetUp();
    menu = new TPopupMenu(owner.get());
    for (const char* c : {"&Cut", "C&opy", "-", "&Paste", "Delete"}) {
      auto* i = new TMenuItem(nullptr);
      i->SetCaption(c);
      i->OnClick = [this, c](TObject*) { clicked.push_back(c); };
      menu->Items()->Add(i);
    }
    menu->Items()->Items(0)->SetShortCut(ShortCut('X', TShiftState{ssCtrl}));
    menu->Items()->Items(3)->SetShortCut(ShortCut('V', TShiftState{ssCtrl}));
    menu->Items()->Items(4)->SetEnabled(false);
  }
  // Screen point in the middle of a row of the menu as it opens at (X, Y) aligned left.
  TPoint RowPoint(int X, int Y, int Row) {
    menu->ShowAt(X, Y);
    TRect r = menu->MenuWindow()->RowRect(Row);
    TPoint p = menu->MenuWindow()->ClientToScreen(TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    menu->CloseMenu();
    return p;
  }
  TPopupMenu* menu = nullptr;
  std::vector<std::string> clicked;
};

TEST_F(MenuTest, KeysMoveOverEnabledItemsAndEnterChooses) {
  HWND active = GetActiveWindow();
  // Down twice skips nothing, a third Down jumps the line to Paste, Enter chooses it.
  for (UINT k : {VK_DOWN, VK_DOWN, VK_DOWN}) win::InjectKey(WM_KEYDOWN, k);
  win::InjectKey(WM_KEYDOWN, VK_RETURN);
  menu->Popup(150, 150);
  EXPECT_EQ(clicked, std::vector<std::string>{"&Paste"});
  EXPECT_FALSE(menu->IsOpen());
  EXPECT_FALSE(IsWindowVisible(menu->MenuWindow()->Handle()));
  EXPECT_EQ(GetActiveWindow(), active) << "a menu never takes the activation";
  // Down past the end wraps and never stops on the disabled Delete; Up from the top goes to Paste.
  clicked.clear();
  for (UINT k : {VK_UP, VK_RETURN}) win::InjectKey(WM_KEYDOWN, k);
  menu->Popup(150, 150);
  EXPECT_EQ(clicked, std::vector<std::string>{"&Paste"});
  // A caption's letter chooses its item; Esc closes without a choice.
  clicked.clear();
  win::InjectChar("o");
  menu->Popup(150, 150);
  EXPECT_EQ(clicked, std::vector<std::string>{"C&opy"});
  clicked.clear();
  win::InjectKey(WM_KEYDOWN, VK_ESCAPE);
  menu->Popup(150, 150);
  EXPECT_TRUE(clicked.empty());
}

TEST_F(MenuTest, MouseChoosesAndAPressOutsideClosesAndGoesThrough) {
  TPoint copy = RowPoint(150, 150, 1);
  TPoint line = RowPoint(150, 150, 2);
  TPoint del = RowPoint(150, 150, 4);
  win::InjectMouse(copy.X, copy.Y, WM_MOUSEMOVE);
  win::InjectMouse(copy.X, copy.Y, WM_LBUTTONDOWN);
  win::InjectMouse(copy.X, copy.Y, WM_LBUTTONUP);
  menu->Popup(150, 150);
  EXPECT_EQ(clicked, std::vector<std::string>{"C&opy"});
  // A release on the line or on a disabled item chooses nothing; the menu stays until the outside
  // press, which the window under it still gets.
  clicked.clear();
  int hostDowns = 0;
  host->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++hostDowns; };
  win::InjectMouse(line.X, line.Y, WM_LBUTTONUP);
  win::InjectMouse(del.X, del.Y, WM_LBUTTONUP);
  TPoint outside = At(host, 380, 280);
  win::InjectMouse(outside.X, outside.Y, WM_LBUTTONDOWN);
  win::InjectMouse(outside.X, outside.Y, WM_LBUTTONUP);
  menu->Popup(150, 150);
  EXPECT_TRUE(clicked.empty());
  win::PumpMessages();
  EXPECT_EQ(hostDowns, 1) << "the press that closed the menu reached the window";
}

TEST_F(MenuTest, AlignmentPlacesTheMenuAndTheWorkAreaKeepsIt) {
  menu->ShowAt(300, 200);
  TPopupMenuWindow* w = menu->MenuWindow();
  RECT r;
  GetWindowRect(w->Handle(), &r);
  EXPECT_EQ(r.left, 300);
  EXPECT_EQ(r.top, 200);
  int width = r.right - r.left;
  EXPECT_GT(width, 80);
  EXPECT_NE(GetWindowLongPtr(w->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  menu->CloseMenu();
  menu->SetAlignment(paRight);
  menu->ShowAt(300, 200);
  GetWindowRect(w->Handle(), &r);
  EXPECT_EQ(r.right, 300);
  menu->CloseMenu();
  menu->SetAlignment(paCenter);
  menu->ShowAt(300, 200);
  GetWindowRect(w->Handle(), &r);
  EXPECT_EQ(r.left, 300 - width / 2);
  menu->CloseMenu();
  // At the bottom of the work area it opens upwards from the point.
  RECT work;
  SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  menu->SetAlignment(paLeft);
  menu->ShowAt(work.right - 10, work.bottom - 5);
  GetWindowRect(w->Handle(), &r);
  EXPECT_EQ(r.bottom, work.bottom - 5);
  EXPECT_EQ(r.right, work.right);
  menu->CloseMenu();
}

TEST_F(MenuTest, AnotherProgramTakingTheActivationClosesTheMenu) {
  menu->ShowAt(150, 150);
  ASSERT_TRUE(menu->IsOpen());
  win::NotifyTopLevelActivated(host->Handle(), false);
  win::PumpMessages();
  EXPECT_FALSE(menu->IsOpen());
  EXPECT_FALSE(IsWindowVisible(menu->MenuWindow()->Handle()));
}

TEST_F(MenuTest, RightClickPopsUpTheControlsMenuAtTheMouse) {
  auto* panel = Make<TPlainHost>(host, 10, 10, 100, 60);
  (void)panel;
  auto* child = new TCustomControl(owner.get());
  child->SetBounds(20, 100, 80, 40);
  child->SetParent(host);
  child->SetPopupMenu(menu);
  win::PumpMessages();
  TPoint p = At(child, 10, 10);
  // The keys wait in the queue: the menu's loop takes them.
  win::InjectMouse(p.X, p.Y, WM_RBUTTONDOWN);
  win::InjectMouse(p.X, p.Y, WM_RBUTTONUP);
  win::InjectKey(WM_KEYDOWN, VK_DOWN);
  win::InjectKey(WM_KEYDOWN, VK_RETURN);
  win::PumpMessages();
  EXPECT_EQ(clicked, std::vector<std::string>{"&Cut"});
  EXPECT_EQ(menu->PopupComponent(), child);
  RECT r;
  GetWindowRect(menu->MenuWindow()->Handle(), &r);
  EXPECT_EQ(r.left, p.X);
  EXPECT_EQ(r.top, p.Y);
  // OnContextPopup may take the click; without a menu the parent is asked.
  bool asked = false;
  child->OnContextPopup = [&](TObject*, TPoint Pos, bool& Handled) {
    asked = Pos.X == 10 && Pos.Y == 10;
    Handled = true;
  };
  clicked.clear();
  win::InjectMouse(p.X, p.Y, WM_RBUTTONDOWN);
  win::InjectMouse(p.X, p.Y, WM_RBUTTONUP);
  win::PumpMessages();
  EXPECT_TRUE(asked);
  EXPECT_TRUE(clicked.empty());
  child->OnContextPopup = nullptr;
  child->SetPopupMenu(nullptr);
  host->SetPopupMenu(menu);
  win::InjectMouse(p.X, p.Y, WM_RBUTTONDOWN);
  win::InjectMouse(p.X, p.Y, WM_RBUTTONUP);
  win::InjectKey(WM_KEYDOWN, VK_ESCAPE);
  win::PumpMessages();
  EXPECT_EQ(menu->PopupComponent(), host) << "the parent's menu";
  // A graphic control's menu comes through its parent window.
  host->SetPopupMenu(nullptr);
  auto* label = new TLabel(owner.get());
  label->SetBounds(200, 100, 80, 20);
  label->SetCaption("label");
  label->SetParent(host);
  label->SetPopupMenu(menu);
  win::PumpMessages();
  TPoint q = At(label, 5, 5);
  win::InjectMouse(q.X, q.Y, WM_RBUTTONDOWN);
  win::InjectMouse(q.X, q.Y, WM_RBUTTONUP);
  win::InjectKey(WM_KEYDOWN, VK_ESCAPE);
  win::PumpMessages();
  EXPECT_EQ(menu->PopupComponent(), label);
  host->SetPopupMenu(menu);
  // A freed menu is forgotten.
  delete menu;
  menu = nullptr;
  EXPECT_EQ(host->PopupMenu(), nullptr);
}

TEST_F(MenuTest, ItemsWithChildrenOpenTheirOwnMenu) {
  auto* more = new TMenuItem(nullptr);
  more->SetCaption("&More");
  for (const char* c : {"Alpha", "Beta"}) {
    auto* i = new TMenuItem(nullptr);
    i->SetCaption(c);
    i->OnClick = [this, c](TObject*) { clicked.push_back(c); };
    more->Add(i);
  }
  menu->Items()->Add(more);  // row 5
  more->Items(1)->SetShortCut(ShortCut('B', TShiftState{ssCtrl}));
  // Keys: End lands on More, Right opens it with Alpha lit, Down, Enter picks Beta.
  for (UINT k : {VK_END, VK_RIGHT, VK_DOWN, VK_RETURN}) win::InjectKey(WM_KEYDOWN, k);
  menu->Popup(150, 150);
  EXPECT_EQ(clicked, std::vector<std::string>{"Beta"});
  // Left closes the child again: Enter then opens it anew instead of picking.
  clicked.clear();
  for (UINT k : {VK_END, VK_RIGHT, VK_LEFT, VK_ESCAPE}) win::InjectKey(WM_KEYDOWN, k);
  menu->Popup(150, 150);
  EXPECT_TRUE(clicked.empty());
  // The mouse: resting on More opens its window beside the row; a click there picks Alpha.
  menu->ShowAt(150, 150);
  TPopupMenuWindow* w = menu->MenuWindow();
  TRect row = w->RowRect(5);
  TPoint onMore = w->ClientToScreen(TPoint((row.Left + row.Right) / 2, (row.Top + row.Bottom) / 2));
  win::InjectMouse(onMore.X, onMore.Y, WM_MOUSEMOVE);
  win::PumpMessages();
  TPopupMenuWindow* sub = w->SubMenu();
  ASSERT_NE(sub, nullptr);
  EXPECT_TRUE(IsWindowVisible(sub->Handle()));
  RECT wr, sr;
  GetWindowRect(w->Handle(), &wr);
  GetWindowRect(sub->Handle(), &sr);
  EXPECT_GE(sr.left, wr.right - 4) << "beside the parent window";
  TRect alpha = sub->RowRect(0);
  TPoint onAlpha = sub->ClientToScreen(TPoint((alpha.Left + alpha.Right) / 2, (alpha.Top + alpha.Bottom) / 2));
  menu->CloseMenu();
  win::InjectMouse(onMore.X, onMore.Y, WM_MOUSEMOVE);
  // (A key between the two moves keeps them apart: queued moves in a row merge into the last.)
  win::InjectKey(WM_KEYDOWN, VK_SHIFT);
  win::InjectKey(WM_KEYUP, VK_SHIFT);
  win::InjectMouse(onAlpha.X, onAlpha.Y, WM_MOUSEMOVE);
  win::InjectMouse(onAlpha.X, onAlpha.Y, WM_LBUTTONDOWN);
  win::InjectMouse(onAlpha.X, onAlpha.Y, WM_LBUTTONUP);
  menu->Popup(150, 150);
  EXPECT_EQ(clicked, std::vector<std::string>{"Alpha"});
  EXPECT_FALSE(IsWindowVisible(sub->Handle()));
  // Shortcuts reach into children.
  clicked.clear();
  EXPECT_TRUE(menu->IsShortCut('B', TShiftState{ssCtrl}));
  EXPECT_EQ(clicked, std::vector<std::string>{"Beta"});
}

// Two monitors: the primary one, and one to its left with its task bar at the top.
class TwoMonitors : public win::Host {
 public:
  std::vector<Monitor> Monitors() override {
    return {Monitor{RECT{0, 0, 1024, 768}, RECT{0, 0, 1024, 738}},
            Monitor{RECT{-1600, 0, 0, 900}, RECT{-1600, 30, 0, 900}}};
  }
};

TEST_F(MenuTest, TheMenuStaysInTheWorkAreaOfTheMonitorItOpensOn) {
  TwoMonitors screens;
  win::InstallHost(&screens);
  // Near the right edge of the left monitor: pushed back left of 0, not onto the primary one.
  menu->ShowAt(-5, 400);
  RECT r;
  GetWindowRect(menu->MenuWindow()->Handle(), &r);
  EXPECT_EQ(r.right, 0);
  menu->CloseMenu();
  // Near the bottom of the primary monitor's work area it opens upwards.
  menu->ShowAt(500, 730);
  GetWindowRect(menu->MenuWindow()->Handle(), &r);
  EXPECT_EQ(r.bottom, 730);
  menu->CloseMenu();
  win::InstallHost(nullptr);
}

TEST_F(MenuTest, ShortCutsClickTheirItem) {
  EXPECT_EQ(ShortCutToText(ShortCut('X', TShiftState{ssCtrl})), "Ctrl+X");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, TShiftState{ssShift, ssCtrl})), "Shift+Ctrl+Del");
  EXPECT_TRUE(menu->IsShortCut('V', TShiftState{ssCtrl}));
  EXPECT_FALSE(menu->IsShortCut('V', TShiftState{}));
  EXPECT_FALSE(menu->IsShortCut('Q', TShiftState{ssCtrl}));
  EXPECT_EQ(clicked, std::vector<std::string>{"&Paste"});
  menu->Items()->Items(3)->SetEnabled(false);
  EXPECT_FALSE(menu->IsShortCut('V', TShiftState{ssCtrl})) << "a disabled item takes no shortcut";
}

using CalendarTest = PopupTest;

TEST_F(CalendarTest, HitTestNamesEveryPart) {
  auto* cal = Make<TMonthCalendar>(host, 10, 10, 10, 10);
  cal->SetAutoSize(true);
  cal->SetToday(EncodeDate(2026, 12, 10));
  cal->SetDate(EncodeDate(2026, 12, 10));  // December 2026 begins on a Tuesday
  TRect min = cal->MinReqRect();
  EXPECT_GE(cal->ClientWidth(), min.Width());
  EXPECT_GE(cal->ClientHeight(), min.Height());
  TRect prev, next;
  // Scan the title row for its buttons and the month and year texts.
  std::vector<UINT> seen;
  for (int x = 0; x < min.Width(); ++x) {
    UINT h = cal->HitTest(x, 8);
    if (seen.empty() || seen.back() != h) seen.push_back(h);
  }
  ASSERT_GE(seen.size(), 5u);
  EXPECT_EQ(seen[1], MCHT_TITLEBTNPREV) << "after the margin";
  EXPECT_EQ(seen[seen.size() - 2], MCHT_TITLEBTNNEXT);
  EXPECT_NE(std::find(seen.begin(), seen.end(), MCHT_TITLEMONTH), seen.end());
  EXPECT_NE(std::find(seen.begin(), seen.end(), MCHT_TITLEYEAR), seen.end());
  // Walk down the first column (Sundays): day names, then 29 Nov (previous month) ... 3 Jan (next).
  std::vector<std::pair<UINT, TDateTime>> days;
  for (int y = 0; y < min.Height(); ++y) {
    TDateTime d = 0;
    UINT h = cal->HitTest(8, y, &d);
    if (days.empty() || days.back().first != h || days.back().second != d) days.emplace_back(h, d);
  }
  auto has = [&](UINT code, TDateTime d) {
    return std::find(days.begin(), days.end(), std::make_pair(code, d)) != days.end();
  };
  EXPECT_TRUE(has(MCHT_CALENDARDAY, 0));
  EXPECT_TRUE(has(MCHT_CALENDARDATEPREV, EncodeDate(2026, 11, 29)));
  EXPECT_TRUE(has(MCHT_CALENDARDATE, EncodeDate(2026, 12, 6)));
  EXPECT_TRUE(has(MCHT_CALENDARDATENEXT, EncodeDate(2027, 1, 3)));
  EXPECT_EQ(days.back().first, MCHT_TODAYLINK);
  EXPECT_EQ(cal->HitTest(min.Width() + 5, 5), MCHT_NOWHERE);
  RECT req{};
  EXPECT_TRUE(cal->Perform(MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&req)));
  EXPECT_EQ(req.right, min.Width());
  EXPECT_EQ(req.bottom, min.Height());
  // A larger font needs a larger calendar; with AutoSize it grows.
  int before = cal->Width();
  cal->Font()->SetSize(cal->Font()->Size() * 2);
  EXPECT_GT(cal->MinReqRect().Width(), min.Width());
  EXPECT_GT(cal->Width(), before);
  // The codes a drop-down calendar tells apart: a date shares the date bit, the buttons do not.
  EXPECT_NE(MCHT_CALENDARDATEPREV & MCHT_CALENDARDATE, 0u);
  EXPECT_EQ(MCHT_TITLEBTNNEXT, 0x1010003u);
  EXPECT_EQ(MCHT_TITLEBTNPREV, 0x2010003u);
  EXPECT_EQ(MCHT_CALENDARDAY, 0x20002u);
}

TEST_F(CalendarTest, MouseAndKeysMoveTheDate) {
  auto* cal = Make<TMonthCalendar>(host, 10, 10, 10, 10);
  cal->SetAutoSize(true);
  cal->SetToday(EncodeDate(2026, 12, 10));
  cal->SetDate(EncodeDate(2026, 1, 31));
  int changes = 0, clicks = 0;
  cal->OnChange = [&](TObject*) { ++changes; };
  cal->OnClick = [&](TObject*) { ++clicks; };
  win::PumpMessages();
  // The next-month button keeps the day where February has none: 28 Feb.
  TRect min = cal->MinReqRect();
  int nx = -1;
  for (int x = min.Width() - 1; x >= 0 && nx < 0; --x)
    if (cal->HitTest(x, 8) == MCHT_TITLEBTNNEXT) nx = x;
  ASSERT_GE(nx, 0);
  ClickAt(At(cal, nx - 3, 8));
  EXPECT_EQ(cal->Date(), EncodeDate(2026, 2, 28));
  EXPECT_EQ(cal->VisibleMonth(), EncodeDate(2026, 2, 1));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(clicks, 0) << "month buttons pick no date";
  // A grey day of the next month picks it and turns the page (clicked in the middle of its cell).
  TPoint target;
  bool found = false;
  for (int y = min.Height() - 1; y >= 0 && !found; --y)
    for (int x = 0; x < min.Width() && !found; ++x) {
      TDateTime d = 0;
      if (cal->HitTest(x, y, &d) == MCHT_CALENDARDATENEXT) {
        TDateTime e = d;
        int x2 = x, y2 = y;
        while (cal->HitTest(x2 + 1, y, &e) == MCHT_CALENDARDATENEXT && e == d) ++x2;
        while (cal->HitTest(x, y2 - 1, &e) == MCHT_CALENDARDATENEXT && e == d) --y2;
        target = TPoint((x + x2) / 2, (y + y2) / 2);
        found = true;
      }
    }
  ASSERT_TRUE(found);
  TDateTime d = 0;
  cal->HitTest(target.X, target.Y, &d);
  ClickAt(At(cal, target.X, target.Y));
  EXPECT_EQ(cal->Date(), d);
  EXPECT_EQ(cal->VisibleMonth(), EncodeDate(2026, 3, 1));
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(cal->Focused());
  // Keys: a day, a week, a month, the month's ends.
  cal->SetDate(EncodeDate(2026, 3, 31));
  Key(VK_RIGHT);
  EXPECT_EQ(cal->Date(), EncodeDate(2026, 4, 1));
  Key(VK_UP);
  EXPECT_EQ(cal->Date(), EncodeDate(2026, 3, 25));
  Key(VK_NEXT);
  EXPECT_EQ(cal->Date(), EncodeDate(2026, 4, 25));
  Key(VK_END);
  EXPECT_EQ(cal->Date(), EncodeDate(2026, 4, 30));
  Key(VK_HOME);
  EXPECT_EQ(cal->Date(), EncodeDate(2026, 4, 1));
  // The today line.
  int ty = min.Height() - 4;
  ASSERT_EQ(cal->HitTest(20, ty), MCHT_TODAYLINK);
  ClickAt(At(cal, 20, ty));
  EXPECT_EQ(cal->Date(), EncodeDate(2026, 12, 10));
}

}  // namespace
