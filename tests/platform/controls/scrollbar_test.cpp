// TScrollBar driven by the mouse and keys through the queue, and a replaced WindowProc.
#include <string>
#include <vector>

#include "platform/controls/scrollbars.h"
#include "platform/win/scrollbars.h"
#include "tests/platform/controls/popup_fixture.h"

namespace {

using ScrollBarControlTest = PopupTest;

TEST_F(ScrollBarControlTest, ParamsAreCheckedAndReachTheWindow) {
  auto* bar = Make<TScrollBar>(host, 10, 10, 200, 17);
  int changes = 0;
  bar->OnChange = [&](TObject*) { ++changes; };
  bar->SetParams(50, 10, 60);
  EXPECT_EQ(changes, 1);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(bar->Handle(), SB_CTL, &si));
  EXPECT_EQ(si.nMin, 10);
  EXPECT_EQ(si.nMax, 60);
  EXPECT_EQ(si.nPos, 50);
  bar->SetPageSize(20);  // the last position is now 60 - 20 + 1
  EXPECT_EQ(bar->Position(), 41);
  EXPECT_EQ(changes, 2);
  EXPECT_THROW(bar->SetParams(0, 10, 5), EInvalidOperation);
  EXPECT_THROW(bar->SetParams(0, 0, 10), EInvalidOperation) << "Max below the page";
  bar->SetPageSize(61);
  EXPECT_EQ(bar->PageSize(), 20) << "a page beyond Max is ignored";
  EXPECT_EQ(bar->Min(), 10);
  EXPECT_EQ(bar->Max(), 60);
  bar->SetPosition(41);
  EXPECT_EQ(changes, 2) << "the same position is no change";
  // A vertical bar turns its window.
  bar->SetKind(sbVertical);
  EXPECT_EQ(bar->Width(), 17);
  EXPECT_EQ(bar->Height(), 200);
  EXPECT_NE(GetWindowLongPtr(bar->Handle(), GWL_STYLE) & win::SBS_VERT, 0);
  GetScrollInfo(bar->Handle(), SB_CTL, &si);
  EXPECT_EQ(si.nPos, 41);
  EXPECT_EQ(si.nPage, 20u);
}

TEST_F(ScrollBarControlTest, MouseAndKeysScrollThroughOnScroll) {
  auto* bar = Make<TScrollBar>(host, 10, 10, 200, 17);
  bar->SetParams(0, 0, 100);
  bar->SetSmallChange(2);
  bar->SetLargeChange(25);
  std::vector<std::pair<TScrollCode, int>> seen;
  bar->OnScroll = [&](TObject*, TScrollCode Code, int& Pos) {
    seen.emplace_back(Code, Pos);
    if (Code == scPageDown && Pos > 60) Pos = 60;  // the handler may hold the position back
  };
  win::PumpMessages();
  win::ScrollBarLook look;
  ASSERT_TRUE(win::GetScrollBarLook(bar->Handle(), SB_CTL, look));
  ClickAt(At(bar, (look.arrowDown.left + look.arrowDown.right) / 2, 8));
  EXPECT_EQ(bar->Position(), 2);
  // Holding the page area right of the thumb repeats on the clock; the handler stops it at 60.
  TPoint page = At(bar, look.arrowDown.left - 3, 8);
  win::InjectMouse(page.X, page.Y, WM_LBUTTONDOWN);
  win::PumpMessages();
  EXPECT_EQ(bar->Position(), 27);
  win::AdvanceAndPump(clock, win::kScrollRepeatDelay + 5 * win::kScrollRepeatInterval);
  win::InjectMouse(page.X, page.Y, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(bar->Position(), 60);
  EXPECT_EQ(seen.back().first, scEndScroll);
  EXPECT_TRUE(bar->Focused()) << "a click gives a tab-stop bar the focus";
  Key(VK_HOME);
  EXPECT_EQ(bar->Position(), 0);
  Key(VK_END);
  EXPECT_EQ(bar->Position(), 100);
  Key(VK_LEFT);
  EXPECT_EQ(bar->Position(), 98);
  // Dragging the thumb to the far left moves it while tracking.
  ASSERT_TRUE(win::GetScrollBarLook(bar->Handle(), SB_CTL, look));
  TPoint thumb = At(bar, (look.thumb.left + look.thumb.right) / 2, 8);
  seen.clear();
  win::InjectMouse(thumb.X, thumb.Y, WM_LBUTTONDOWN);
  win::InjectMouse(thumb.X - 1000, thumb.Y, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  EXPECT_EQ(bar->Position(), 0);
  win::InjectMouse(thumb.X - 1000, thumb.Y, WM_LBUTTONUP);
  win::PumpMessages();
  std::vector<TScrollCode> codes;
  for (auto& s : seen) codes.push_back(s.first);
  EXPECT_EQ(codes, (std::vector<TScrollCode>{scTrack, scTrack, scPosition, scEndScroll}));
  EXPECT_EQ(seen[2].second, 0);
  EXPECT_FALSE(bar->MouseCapture());
}

TEST_F(ScrollBarControlTest, AReplacedWindowProcSeesTheNotificationsFirst) {
  auto* bar = Make<TScrollBar>(host, 10, 10, 200, 17);
  bar->SetParams(0, 0, 10);
  EXPECT_TRUE(bar->WindowProcIsOwn());
  std::vector<UINT> watched;
  auto own = bar->WindowProc();
  bar->SetWindowProc([&](TMessage& M) {
    if (M.Msg == CN_HSCROLL) watched.push_back(LOWORD(M.WParam));
    own(M);
  });
  EXPECT_FALSE(bar->WindowProcIsOwn());
  win::PumpMessages();
  win::ScrollBarLook look;
  ASSERT_TRUE(win::GetScrollBarLook(bar->Handle(), SB_CTL, look));
  ClickAt(At(bar, (look.arrowDown.left + look.arrowDown.right) / 2, 8));
  EXPECT_EQ(watched, (std::vector<UINT>{SB_LINEDOWN, SB_ENDSCROLL}));
  EXPECT_EQ(bar->Position(), 1) << "passed on, the bar still moves";
  bar->SetWindowProc(nullptr);
  EXPECT_TRUE(bar->WindowProcIsOwn());
  ClickAt(At(bar, (look.arrowDown.left + look.arrowDown.right) / 2, 8));
  EXPECT_EQ(watched.size(), 2u);
  EXPECT_EQ(bar->Position(), 2);
}

}  // namespace

namespace {
TEST_F(ScrollBarControlTest, TheBarPaintsItsArrowsAndThumb) {
  auto* bar = Make<TScrollBar>(host, 10, 10, 200, 17);
  bar->SetParams(0, 0, 10);
  win::PumpMessages();
  win::ScrollBarLook look;
  ASSERT_TRUE(win::GetScrollBarLook(bar->Handle(), SB_CTL, look));
  // The arrow's face and the track's colour where the layout put them.
  EXPECT_EQ(win::GetWindowPixel(bar->Handle(), look.arrowUp.left + 3, 3), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(win::GetWindowPixel(bar->Handle(), look.pageDown.right - 3, 8), GetSysColor(COLOR_SCROLLBAR));
}
}  // namespace

namespace {
TEST_F(ScrollBarControlTest, ItsContextMenuScrollsToTheChosenPlace) {
  auto* bar = Make<TScrollBar>(host, 10, 10, 200, 17);
  bar->SetParams(50, 0, 100);
  win::PumpMessages();
  TPoint p = At(bar, 100, 8);
  // The menu's loop takes the keys: Scroll Here is lit first, then the line, then Left Edge.
  win::InjectMouse(p.X, p.Y, WM_RBUTTONDOWN);
  win::InjectMouse(p.X, p.Y, WM_RBUTTONUP);
  for (UINT k : {VK_DOWN, VK_DOWN, VK_RETURN}) win::InjectKey(WM_KEYDOWN, k);
  win::PumpMessages();
  EXPECT_EQ(bar->Position(), 0);
  win::InjectMouse(p.X, p.Y, WM_RBUTTONDOWN);
  win::InjectMouse(p.X, p.Y, WM_RBUTTONUP);
  for (UINT k : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) win::InjectKey(WM_KEYDOWN, k);
  win::PumpMessages();
  EXPECT_EQ(bar->Position(), 100) << "Right Edge";
}
}  // namespace
