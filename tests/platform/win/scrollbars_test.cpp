// Window scroll bars and scroll-bar controls: ranges, visibility, and every SB_ code from the mouse.
#include "platform/win/scrollbars.h"
#include "tests/platform/win/fixture.h"

namespace {

struct Scroll {
  UINT msg;
  int code;
  int pos;
  HWND bar;
};

class ScrollBarTest : public WinTest {
 protected:
  // A child with a vertical bar of range 0..99, page 10, that follows its own scroll messages the way
  // programs do (lines by 1, pages by 10, the thumb as tracked).
  HWND ScrolledChild(HWND top, DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL) {
    HWND h = Child(top, 0, 0, 120, 200, style);
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = 99;
    si.nPage = 10;
    si.nPos = 0;
    SetScrollInfo(h, SB_VERT, &si, TRUE);
    rec().hooks[{h, WM_VSCROLL}] = [this](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
      scrolls.push_back({m, LOWORD(wp), static_cast<short>(HIWORD(wp)), reinterpret_cast<HWND>(lp)});
      int pos = GetScrollPos(w, SB_VERT);
      switch (LOWORD(wp)) {
        case SB_LINEUP: pos -= 1; break;
        case SB_LINEDOWN: pos += 1; break;
        case SB_PAGEUP: pos -= 10; break;
        case SB_PAGEDOWN: pos += 10; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: pos = static_cast<short>(HIWORD(wp)); break;
        default: return 0;
      }
      SetScrollPos(w, SB_VERT, pos, TRUE);
      return 0;
    };
    return h;
  }
  // Screen point at the middle of a rectangle given in a window's coordinates.
  POINT ScreenMid(HWND h, const RECT& r, int dy = 0) {
    RECT wr;
    GetWindowRect(h, &wr);
    return POINT{wr.left + (r.left + r.right) / 2, wr.top + (r.top + r.bottom) / 2 + dy};
  }
  std::vector<int> Codes() const {
    std::vector<int> c;
    for (auto& s : scrolls) c.push_back(s.code);
    return c;
  }
  std::vector<Scroll> scrolls;
  std::vector<int> trackSeen, posSeen;
};

TEST_F(ScrollBarTest, InfoIsClampedAndTheBarShowsOnlyWithARange) {
  HWND top = Top(0, 0, 300, 300);
  HWND h = Child(top, 0, 0, 100, 100);
  RECT before;
  GetClientRect(h, &before);
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = 49;
  si.nPage = 80;  // more than the range: cut to it
  si.nPos = 30;
  SetScrollInfo(h, SB_VERT, &si, TRUE);
  SCROLLINFO got;
  got.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(h, SB_VERT, &got));
  EXPECT_EQ(got.nPage, 50u);
  EXPECT_EQ(got.nPos, 0);  // a page that covers everything leaves no room to scroll
  EXPECT_EQ(GetWindowLongPtr(h, GWL_STYLE) & WS_VSCROLL, 0) << "nothing to scroll: no bar";

  si.fMask = SIF_PAGE | SIF_POS;
  si.nPage = 10;
  si.nPos = 45;  // beyond the last whole page (40)
  EXPECT_EQ(SetScrollInfo(h, SB_VERT, &si, TRUE), 40);
  EXPECT_NE(GetWindowLongPtr(h, GWL_STYLE) & WS_VSCROLL, 0);
  RECT after;
  GetClientRect(h, &after);
  EXPECT_EQ(after.right, before.right - GetSystemMetrics(SM_CXVSCROLL));
  got.fMask = SIF_TRACKPOS | SIF_POS;
  GetScrollInfo(h, SB_VERT, &got);
  EXPECT_EQ(got.nTrackPos, 40) << "outside a drag the track position is the position";

  // SIF_DISABLENOSCROLL keeps a shown bar that lost its range, disabled: a click does nothing.
  si.fMask = SIF_RANGE | SIF_DISABLENOSCROLL;
  si.nMin = 0;
  si.nMax = 5;
  SetScrollInfo(h, SB_VERT, &si, TRUE);
  EXPECT_NE(GetWindowLongPtr(h, GWL_STYLE) & WS_VSCROLL, 0);
  win::ScrollBarLook look;
  ASSERT_TRUE(win::GetScrollBarLook(h, SB_VERT, look));
  EXPECT_FALSE(look.enabled);
  EXPECT_EQ(look.thumb.right - look.thumb.left, 0);
  rec().log.clear();
  POINT p = ScreenMid(h, look.arrowDown);
  win::Click(p.x, p.y);
  EXPECT_EQ(rec().Count(h, WM_VSCROLL), 0);
  // Without the flag it goes away.
  si.fMask = SIF_RANGE;
  SetScrollInfo(h, SB_VERT, &si, TRUE);
  EXPECT_EQ(GetWindowLongPtr(h, GWL_STYLE) & WS_VSCROLL, 0);

  // ShowScrollBar forces a bar regardless of the range; hiding gives the client area back.
  ShowScrollBar(h, SB_BOTH, TRUE);
  EXPECT_EQ(GetWindowLongPtr(h, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL), static_cast<LONG_PTR>(WS_VSCROLL | WS_HSCROLL));
  ShowScrollBar(h, SB_BOTH, FALSE);
  GetClientRect(h, &after);
  EXPECT_EQ(after.right, before.right);
  EXPECT_EQ(after.bottom, before.bottom);
}

TEST_F(ScrollBarTest, HeldArrowRepeatsOnTheClockWhileTheMouseStaysOnIt) {
  HWND top = Top(0, 0, 300, 300);
  HWND h = ScrolledChild(top);
  win::PumpMessages();
  win::ScrollBarLook look;
  ASSERT_TRUE(win::GetScrollBarLook(h, SB_VERT, look));
  POINT down = ScreenMid(h, look.arrowDown);
  win::InjectMouse(down.x, down.y, WM_LBUTTONDOWN);
  win::PumpMessages();
  EXPECT_EQ(Codes(), std::vector<int>{SB_LINEDOWN});
  ASSERT_TRUE(win::GetScrollBarLook(h, SB_VERT, look));
  EXPECT_EQ(look.pressed, SB_LINEDOWN);
  win::AdvanceAndPump(clock_, win::kScrollRepeatDelay - 1);
  EXPECT_EQ(scrolls.size(), 1u) << "no repeat before the delay";
  win::AdvanceAndPump(clock_, 1);
  EXPECT_EQ(scrolls.size(), 2u);
  win::AdvanceAndPump(clock_, 3 * win::kScrollRepeatInterval);
  EXPECT_EQ(scrolls.size(), 5u);
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 5);
  // Off the arrow: it stops repeating and no longer shows pressed; back on it, it goes on.
  win::InjectMouse(down.x - 60, down.y, WM_MOUSEMOVE, MK_LBUTTON);
  win::AdvanceAndPump(clock_, 5 * win::kScrollRepeatInterval);
  EXPECT_EQ(scrolls.size(), 5u);
  ASSERT_TRUE(win::GetScrollBarLook(h, SB_VERT, look));
  EXPECT_EQ(look.pressed, -1);
  win::InjectMouse(down.x, down.y, WM_MOUSEMOVE, MK_LBUTTON);
  win::AdvanceAndPump(clock_, win::kScrollRepeatInterval);
  EXPECT_EQ(scrolls.size(), 6u);
  win::InjectMouse(down.x, down.y, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(scrolls.back().code, SB_ENDSCROLL);
  size_t n = scrolls.size();
  win::AdvanceAndPump(clock_, 1000);
  EXPECT_EQ(scrolls.size(), n) << "released: no more repeats";
  for (auto& s : scrolls) EXPECT_EQ(s.bar, nullptr) << "a window's own bar sends no bar handle";
}

TEST_F(ScrollBarTest, HeldPageAreaStopsWhenTheThumbReachesTheMouse) {
  HWND top = Top(0, 0, 300, 300);
  HWND h = ScrolledChild(top);
  win::PumpMessages();
  win::ScrollBarLook look;
  ASSERT_TRUE(win::GetScrollBarLook(h, SB_VERT, look));
  // Hold the track low down, near the down arrow.
  RECT low = look.pageDown;
  low.top = low.bottom - 6;
  POINT p = ScreenMid(h, low);
  win::InjectMouse(p.x, p.y, WM_LBUTTONDOWN);
  win::PumpMessages();
  win::AdvanceAndPump(clock_, 3000);
  win::InjectMouse(p.x, p.y, WM_LBUTTONUP);
  win::PumpMessages();
  ASSERT_GE(scrolls.size(), 3u);
  for (size_t i = 0; i + 1 < scrolls.size(); ++i) EXPECT_EQ(scrolls[i].code, SB_PAGEDOWN);
  EXPECT_EQ(scrolls.back().code, SB_ENDSCROLL);
  // The thumb stopped under the mouse, not at the end of the range.
  ASSERT_TRUE(win::GetScrollBarLook(h, SB_VERT, look));
  RECT wr;
  GetWindowRect(h, &wr);
  int mouseY = p.y - wr.top;
  EXPECT_LE(look.thumb.top, mouseY);
  EXPECT_GT(look.thumb.bottom, mouseY - 1);
  // A page up click starts from the top arrow side.
  scrolls.clear();
  RECT up = look.pageUp;
  POINT q = ScreenMid(h, up);
  win::Click(q.x, q.y);
  EXPECT_EQ(Codes(), (std::vector<int>{SB_PAGEUP, SB_ENDSCROLL}));
}

TEST_F(ScrollBarTest, ThumbDragTracksThenSetsThePosition) {
  HWND top = Top(0, 0, 300, 300);
  HWND h = ScrolledChild(top);
  // This window moves only when the thumb is dropped.
  rec().hooks[{h, WM_VSCROLL}] = [this](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    scrolls.push_back({m, LOWORD(wp), static_cast<short>(HIWORD(wp)), reinterpret_cast<HWND>(lp)});
    if (LOWORD(wp) == SB_THUMBTRACK) {
      SCROLLINFO si;
      si.fMask = SIF_TRACKPOS | SIF_POS;
      GetScrollInfo(w, SB_VERT, &si);
      trackSeen.push_back(si.nTrackPos);
      posSeen.push_back(si.nPos);
    }
    if (LOWORD(wp) == SB_THUMBPOSITION) SetScrollPos(w, SB_VERT, static_cast<short>(HIWORD(wp)), TRUE);
    return 0;
  };
  win::PumpMessages();
  win::ScrollBarLook look;
  ASSERT_TRUE(win::GetScrollBarLook(h, SB_VERT, look));
  POINT t = ScreenMid(h, look.thumb);
  int trackLen = look.arrowDown.top - look.arrowUp.bottom;
  int thumbLen = look.thumb.bottom - look.thumb.top;
  win::InjectMouse(t.x, t.y, WM_LBUTTONDOWN);
  win::PumpMessages();
  // Half way down the free track is half the scrollable range (0..90).
  win::InjectMouse(t.x, t.y + (trackLen - thumbLen) / 2, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  // Far past the end it stops at the last whole page.
  win::InjectMouse(t.x, t.y + 1000, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  ASSERT_TRUE(win::GetScrollBarLook(h, SB_VERT, look));
  EXPECT_EQ(look.thumb.bottom, look.arrowDown.top) << "the thumb shows where it is held";
  win::InjectMouse(t.x, t.y + 1000, WM_LBUTTONUP);
  win::PumpMessages();
  ASSERT_EQ(Codes(), (std::vector<int>{SB_THUMBTRACK, SB_THUMBTRACK, SB_THUMBTRACK, SB_THUMBPOSITION, SB_ENDSCROLL}));
  EXPECT_EQ(scrolls[0].pos, 0);
  EXPECT_NEAR(scrolls[1].pos, 45, 1);
  EXPECT_EQ(scrolls[2].pos, 90);
  EXPECT_EQ(scrolls[3].pos, 90);
  EXPECT_EQ(trackSeen.back(), 90);
  EXPECT_EQ(posSeen.back(), 0) << "the position moves only when the program sets it";
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 90);
}

TEST_F(ScrollBarTest, ThumbDraggedFarToTheSideGoesBack) {
  HWND top = Top(0, 0, 800, 400);
  HWND h = ScrolledChild(top);
  win::PumpMessages();
  win::ScrollBarLook look;
  ASSERT_TRUE(win::GetScrollBarLook(h, SB_VERT, look));
  POINT t = ScreenMid(h, look.thumb);
  int width = look.bar.right - look.bar.left;
  win::InjectMouse(t.x, t.y, WM_LBUTTONDOWN);
  win::InjectMouse(t.x, t.y + 60, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  int dragged = GetScrollPos(h, SB_VERT);
  EXPECT_GT(dragged, 0);
  // Near the bar it still follows; far to the side it goes back to 0; back near, it follows again.
  win::InjectMouse(t.x + 3 * width, t.y + 60, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  EXPECT_EQ(GetScrollPos(h, SB_VERT), dragged);
  win::InjectMouse(t.x + 10 * width, t.y + 60, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 0);
  win::InjectMouse(t.x, t.y + 60, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  EXPECT_EQ(GetScrollPos(h, SB_VERT), dragged);
  win::InjectMouse(t.x + 10 * width, t.y + 60, WM_MOUSEMOVE, MK_LBUTTON);
  win::InjectMouse(t.x + 10 * width, t.y + 60, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(scrolls[scrolls.size() - 2].code, SB_THUMBPOSITION);
  EXPECT_EQ(scrolls[scrolls.size() - 2].pos, 0);
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 0);
}

TEST_F(ScrollBarTest, DisabledArrowsAndCancelMode) {
  HWND top = Top(0, 0, 300, 300);
  HWND h = ScrolledChild(top);
  win::PumpMessages();
  EnableScrollBar(h, SB_VERT, ESB_DISABLE_LTUP);
  win::ScrollBarLook look;
  ASSERT_TRUE(win::GetScrollBarLook(h, SB_VERT, look));
  EXPECT_FALSE(look.upEnabled);
  EXPECT_TRUE(look.downEnabled);
  POINT up = ScreenMid(h, look.arrowUp), down = ScreenMid(h, look.arrowDown);
  win::Click(up.x, up.y);
  EXPECT_TRUE(scrolls.empty());
  win::Click(down.x, down.y);
  EXPECT_EQ(Codes(), (std::vector<int>{SB_LINEDOWN, SB_ENDSCROLL}));
  // WM_CANCELMODE ends a held arrow: no more repeats, and the next input goes to windows again.
  scrolls.clear();
  win::InjectMouse(down.x, down.y, WM_LBUTTONDOWN);
  win::PumpMessages();
  SendMessage(h, WM_CANCELMODE, 0, 0);
  win::AdvanceAndPump(clock_, 1000);
  EXPECT_EQ(scrolls.size(), 1u);
  rec().log.clear();
  win::InjectMouse(200, 250, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(rec().Count(top, WM_LBUTTONUP), 1);
}

TEST_F(ScrollBarTest, ScrollBarControlNotifiesItsParentWithItsHandle) {
  HWND top = Top(0, 0, 300, 300);
  HWND bar = CreateWindowEx(0, win::kScrollBarClassName, "", WS_CHILD | WS_VISIBLE | win::SBS_HORZ, 10, 10, 200, 17,
                            top, nullptr, nullptr, nullptr);
  ASSERT_NE(bar, nullptr);
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 10;
  si.nMax = 20;
  si.nPage = 0;
  si.nPos = 12;
  SetScrollInfo(bar, SB_CTL, &si, TRUE);
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 12);
  int mn = 0, mx = 0;
  GetScrollRange(bar, SB_CTL, &mn, &mx);
  EXPECT_EQ(mn, 10);
  EXPECT_EQ(mx, 20);
  rec().hooks[{top, WM_HSCROLL}] = [this](HWND, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    scrolls.push_back({m, LOWORD(wp), static_cast<short>(HIWORD(wp)), reinterpret_cast<HWND>(lp)});
    return 0;
  };
  win::PumpMessages();
  win::ScrollBarLook look;
  ASSERT_TRUE(win::GetScrollBarLook(bar, SB_CTL, look));
  EXPECT_FALSE(look.vertical);
  // A right arrow press, a key and a drop of the thumb at the far right.
  win::Click(10 + (look.arrowDown.left + look.arrowDown.right) / 2, 18);
  SetFocus(bar);
  win::InjectKey(WM_KEYDOWN, VK_END);
  win::PumpMessages();
  int tx = 10 + (look.thumb.left + look.thumb.right) / 2;
  win::InjectMouse(tx, 18, WM_LBUTTONDOWN);
  win::InjectMouse(tx + 500, 18, WM_MOUSEMOVE, MK_LBUTTON);
  win::InjectMouse(tx + 500, 18, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(Codes(), (std::vector<int>{SB_LINERIGHT, SB_ENDSCROLL, SB_RIGHT, SB_ENDSCROLL, SB_THUMBTRACK,
                                       SB_THUMBTRACK, SB_THUMBPOSITION, SB_ENDSCROLL}));
  EXPECT_EQ(scrolls[4].pos, 12);
  EXPECT_EQ(scrolls[6].pos, 20);
  for (auto& s : scrolls) EXPECT_EQ(s.bar, bar);
  // It paints itself: the arrows' face colour shows in its client area.
  EXPECT_EQ(win::GetWindowPixel(bar, 3, 8), GetSysColor(COLOR_BTNFACE));
}

TEST_F(ScrollBarTest, RightClickOnABarOffersItsMenu) {
  HWND top = Top(0, 0, 300, 300);
  HWND h = ScrolledChild(top);
  std::vector<int> answers{SB_BOTTOM, win::kScrollHere, -1};
  std::vector<bool> asked;
  win::SetScrollBarMenu([&](HWND, bool vertical, POINT) {
    asked.push_back(vertical);
    int a = answers.front();
    answers.erase(answers.begin());
    return a;
  });
  win::PumpMessages();
  win::ScrollBarLook look;
  ASSERT_TRUE(win::GetScrollBarLook(h, SB_VERT, look));
  POINT p = ScreenMid(h, look.pageDown);
  auto rightClick = [&](POINT at) {
    win::InjectMouse(at.x, at.y, WM_RBUTTONDOWN);
    win::InjectMouse(at.x, at.y, WM_RBUTTONUP);
    win::PumpMessages();
  };
  rightClick(p);
  EXPECT_EQ(Codes(), (std::vector<int>{SB_BOTTOM, SB_ENDSCROLL}));
  // "Scroll here": the thumb's middle goes to the point (here the middle of the track: about 45).
  scrolls.clear();
  RECT mid{look.arrowUp.left, look.arrowUp.bottom, look.arrowDown.right, look.arrowDown.top};
  rightClick(ScreenMid(h, mid));
  ASSERT_EQ(Codes(), (std::vector<int>{SB_THUMBPOSITION, SB_ENDSCROLL}));
  EXPECT_NEAR(scrolls[0].pos, 45, 2);
  // Nothing chosen: nothing sent. A right click in the client area asks no bar menu.
  scrolls.clear();
  rightClick(p);
  EXPECT_TRUE(scrolls.empty());
  rightClick(POINT{20, 20});
  EXPECT_EQ(asked, (std::vector<bool>{true, true, true}));
  win::SetScrollBarMenu(nullptr);
}

TEST_F(ScrollBarTest, AnInstalledPainterDrawsEveryBar) {
  HWND top = Top(0, 0, 300, 300);
  HWND h = ScrolledChild(top);
  std::vector<win::ScrollBarLook> seen;
  win::SetScrollBarPainter([&](HDC dc, const win::ScrollBarLook& look) {
    seen.push_back(look);
    FillRect(dc, &look.bar, GetSysColorBrush(COLOR_HIGHLIGHT));
  });
  RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
  win::PumpMessages();
  win::SetScrollBarPainter(nullptr);
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(seen.back().vertical);
  // The bar sits at the right edge of the window, in window coordinates.
  EXPECT_EQ(seen.back().bar.right, 120);
  EXPECT_EQ(seen.back().bar.left, 120 - GetSystemMetrics(SM_CXVSCROLL));
}

}  // namespace
