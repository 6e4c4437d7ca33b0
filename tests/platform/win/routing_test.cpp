// Focus, capture, activation and mouse routing.
#include "platform/win/host.h"
#include "tests/platform/win/fixture.h"

namespace {

TEST_F(WinTest, FocusChangesCarryTheOtherWindow) {
  HWND top = Top(0, 0, 200, 200);
  HWND a = Child(top, 0, 0, 50, 50);
  HWND b = Child(top, 60, 0, 50, 50);
  SetFocus(a);
  rec().log.clear();
  EXPECT_EQ(SetFocus(b), a);
  ASSERT_EQ(rec().log.size(), 2u);
  EXPECT_EQ(rec().log[0].hwnd, a);
  EXPECT_EQ(rec().log[0].msg, static_cast<UINT>(WM_KILLFOCUS));
  EXPECT_EQ(reinterpret_cast<HWND>(rec().log[0].wParam), b);
  EXPECT_EQ(rec().log[1].hwnd, b);
  EXPECT_EQ(rec().log[1].msg, static_cast<UINT>(WM_SETFOCUS));
  EXPECT_EQ(reinterpret_cast<HWND>(rec().log[1].wParam), a);
  EXPECT_EQ(GetFocus(), b);
  DestroyWindow(b);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WinTest, MouseGoesToTheDeepestEnabledWindowUnderThePoint) {
  HWND top = Top(100, 100, 300, 200);
  HWND panel = Child(top, 10, 10, 200, 100);
  HWND button = Child(panel, 20, 20, 40, 30);
  win::PumpMessages();
  rec().log.clear();
  win::InjectMouse(100 + 10 + 20 + 5, 100 + 10 + 20 + 7, WM_LBUTTONDOWN);
  win::PumpMessages();
  ASSERT_EQ(rec().Count(button, WM_LBUTTONDOWN), 1);
  for (auto& l : rec().log)
    if (l.msg == WM_LBUTTONDOWN) {
      EXPECT_EQ(GET_X_LPARAM(l.lParam), 5);
      EXPECT_EQ(GET_Y_LPARAM(l.lParam), 7);
      EXPECT_EQ(l.wParam & MK_LBUTTON, MK_LBUTTON);
    }
  win::InjectMouse(135, 137, WM_LBUTTONUP);
  // A disabled control is passed over: its enabled parent gets the click. So is a control whose hit
  // test says it is transparent.
  EnableWindow(button, FALSE);
  rec().log.clear();
  win::InjectMouse(135, 137, WM_LBUTTONDOWN);
  win::InjectMouse(135, 137, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(rec().Count(button, WM_LBUTTONDOWN), 0);
  EXPECT_EQ(rec().Count(panel, WM_LBUTTONDOWN), 1);
  EnableWindow(button, TRUE);
  rec().hooks[{button, WM_NCHITTEST}] = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return HTTRANSPARENT; };
  rec().log.clear();
  win::InjectMouse(135, 137, WM_LBUTTONDOWN);
  win::PumpMessages();
  EXPECT_EQ(rec().Count(button, WM_LBUTTONDOWN), 0);
  EXPECT_EQ(rec().Count(panel, WM_LBUTTONDOWN), 1);
}

TEST_F(WinTest, CaptureTakesAllMouseInputUntilReleased) {
  HWND top = Top(0, 0, 300, 200);
  HWND a = Child(top, 10, 10, 50, 50);
  HWND b = Child(top, 100, 10, 50, 50);
  win::PumpMessages();
  SetCapture(a);
  rec().log.clear();
  win::InjectMouse(120, 20, WM_MOUSEMOVE);
  win::PumpMessages();
  ASSERT_EQ(rec().Count(a, WM_MOUSEMOVE), 1);
  EXPECT_EQ(rec().Count(b, WM_MOUSEMOVE), 0);
  for (auto& l : rec().log)
    if (l.msg == WM_MOUSEMOVE) { EXPECT_EQ(GET_X_LPARAM(l.lParam), 110); }  // a's client coordinates
  SetCapture(b);
  EXPECT_EQ(rec().Count(a, WM_CAPTURECHANGED), 1);
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
  rec().log.clear();
  win::InjectMouse(20, 20, WM_MOUSEMOVE);
  win::PumpMessages();
  EXPECT_EQ(rec().Count(a, WM_MOUSEMOVE), 1);
  EXPECT_EQ(rec().Count(a, WM_SETCURSOR), 1);
}

TEST_F(WinTest, ClickActivatesUnlessTheWindowEatsIt) {
  HWND one = Top(0, 0, 100, 100);
  HWND two = Top(200, 0, 100, 100);
  EXPECT_EQ(GetActiveWindow(), two);
  HWND c = Child(one, 0, 0, 50, 50);
  win::PumpMessages();
  rec().hooks[{c, WM_MOUSEACTIVATE}] = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return MA_NOACTIVATEANDEAT; };
  win::InjectMouse(10, 10, WM_LBUTTONDOWN);
  win::PumpMessages();
  EXPECT_EQ(GetActiveWindow(), two);
  EXPECT_EQ(rec().Count(c, WM_LBUTTONDOWN), 0);
  rec().hooks.clear();
  win::InjectMouse(10, 10, WM_LBUTTONUP);
  win::InjectMouse(10, 10, WM_LBUTTONDOWN);
  win::PumpMessages();
  EXPECT_EQ(GetActiveWindow(), one);
  EXPECT_EQ(rec().Count(c, WM_LBUTTONDOWN), 1);
  EXPECT_EQ(GetFocus(), one) << "activation focuses the window";
}

TEST_F(WinTest, MouseMovesCoalesceAndWheelGoesToFocus) {
  HWND top = Top(0, 0, 300, 200);
  HWND a = Child(top, 0, 0, 100, 100);
  win::PumpMessages();
  SetFocus(a);
  rec().log.clear();
  for (int i = 0; i < 5; ++i) win::InjectMouse(10 + i, 10, WM_MOUSEMOVE);
  win::InjectMouse(250, 150, WM_MOUSEWHEEL, 0, -WHEEL_DELTA);
  win::PumpMessages();
  ASSERT_EQ(rec().Count(a, WM_MOUSEMOVE), 1);
  for (auto& l : rec().log) {
    if (l.msg == WM_MOUSEMOVE) { EXPECT_EQ(GET_X_LPARAM(l.lParam), 14); }
    if (l.msg == WM_MOUSEWHEEL && l.hwnd == a) {
      EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(l.wParam), -WHEEL_DELTA);
      EXPECT_EQ(GET_X_LPARAM(l.lParam), 250) << "wheel positions are screen coordinates";
    }
  }
  EXPECT_EQ(rec().Count(a, WM_MOUSEWHEEL), 1);
  EXPECT_EQ(rec().Count(top, WM_MOUSEWHEEL), 1) << "unhandled wheel messages go up to the parent";
}

TEST_F(WinTest, PaintComesAfterInvalidationOnlyAndErasesWithTheClassBrush) {
  HWND top = Top(0, 0, 100, 80);
  win::PumpMessages();
  EXPECT_GE(rec().Count(top, WM_PAINT), 1);
  rec().log.clear();
  win::PumpMessages();
  EXPECT_EQ(rec().Count(top, WM_PAINT), 0) << "a valid window gets no WM_PAINT";
  RECT r{10, 10, 20, 30};
  RECT seen{};
  rec().hooks[{top, WM_PAINT}] = [&](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    seen = ps.rcPaint;
    EndPaint(h, &ps);
    return 0;
  };
  InvalidateRect(top, &r, TRUE);
  InvalidateRect(top, &r, TRUE);
  win::PumpMessages();
  EXPECT_EQ(rec().Count(top, WM_PAINT), 1);
  EXPECT_EQ(rec().Count(top, WM_ERASEBKGND), 1);
  EXPECT_TRUE(EqualRect(&seen, &r));
  EXPECT_EQ(win::GetWindowPixel(top, 15, 15), GetSysColor(COLOR_WINDOW));
  rec().log.clear();
  InvalidateRect(top, &r, FALSE);
  ValidateRect(top, nullptr);
  win::PumpMessages();
  EXPECT_EQ(rec().Count(top, WM_PAINT), 0);
  InvalidateRect(top, nullptr, FALSE);
  UpdateWindow(top);
  EXPECT_EQ(rec().Count(top, WM_PAINT), 1) << "UpdateWindow paints at once";
  EXPECT_EQ(rec().Count(top, WM_ERASEBKGND), 0);
}

TEST_F(WinTest, CreationSendsItsMessagesAndDestructionReachesChildren) {
  HWND top = Top(0, 0, 100, 80, WS_OVERLAPPEDWINDOW);
  std::vector<UINT> created = rec().Messages(top, {WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE});
  EXPECT_EQ(created, (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE}));
  HWND c = Child(top, 0, 0, 10, 10);
  rec().log.clear();
  DestroyWindow(top);
  EXPECT_EQ(rec().Messages(top, {WM_DESTROY, WM_NCDESTROY}), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
  EXPECT_EQ(rec().Count(c, WM_DESTROY), 1);
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(c));
  // Creation can be refused.
  static HWND refused = nullptr;
  WNDCLASS wc;
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    refused = h;
    return m == WM_CREATE ? -1 : DefWindowProc(h, m, w, l);
  };
  wc.lpszClassName = "Refusing";
  RegisterClass(&wc);
  EXPECT_EQ(CreateWindowEx(0, "Refusing", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_FALSE(IsWindow(refused));
}

TEST_F(WinTest, GeometryAndTextRoundTrip) {
  HWND top = Top(50, 60, 300, 200);
  HWND c = Child(top, 10, 20, 100, 50, WS_CHILD | WS_VISIBLE | WS_BORDER, WS_EX_CLIENTEDGE);
  RECT r;
  GetClientRect(c, &r);
  EXPECT_EQ(r.right, 100 - 6);
  EXPECT_EQ(r.bottom, 50 - 6);
  GetWindowRect(c, &r);
  EXPECT_EQ(r.left, 60);
  EXPECT_EQ(r.top, 80);
  POINT p{0, 0};
  ClientToScreen(c, &p);
  EXPECT_EQ(p.x, 63);
  EXPECT_EQ(p.y, 83);
  EXPECT_EQ(WindowFromPoint(POINT{65, 85}), c);
  SetWindowPos(c, nullptr, 0, 0, 40, 40, SWP_NOZORDER);
  EXPECT_GE(rec().Count(c, WM_SIZE), 2);
  SetWindowText(top, "标题 caption");
  char buf[64];
  EXPECT_EQ(GetWindowText(top, buf, sizeof buf), static_cast<int>(std::string("标题 caption").size()));
  EXPECT_STREQ(buf, "标题 caption");
  EXPECT_EQ(GetWindowText(top, buf, 3), 0) << "a multi-byte character is never split";
}

}  // namespace

namespace {

// Input that arrived together is routed as it is taken, after the messages before it ran.
TEST_F(WinTest, QueuedInputFollowsCaptureAndFocusSetByEarlierMessages) {
  HWND top = Top(0, 0, 300, 200);
  HWND a = Child(top, 10, 10, 50, 50);
  HWND b = Child(top, 100, 10, 50, 50);
  win::PumpMessages();
  rec().hooks[{a, WM_LBUTTONDOWN}] = [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    SetCapture(h);
    return 0;
  };
  rec().hooks[{a, WM_KEYDOWN}] = [b](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
    SetFocus(b);
    return 0;
  };
  SetFocus(a);
  rec().log.clear();
  win::InjectMouse(20, 20, WM_LBUTTONDOWN);
  win::InjectMouse(120, 20, WM_MOUSEMOVE);  // over b, but a captured the mouse before this is taken
  win::InjectMouse(120, 20, WM_LBUTTONUP);
  win::InjectKey(WM_KEYDOWN, VK_TAB);
  win::InjectChar("x");
  win::PumpMessages();
  EXPECT_EQ(rec().Count(a, WM_MOUSEMOVE), 1);
  EXPECT_EQ(rec().Count(a, WM_LBUTTONUP), 1);
  EXPECT_EQ(rec().Count(b, WM_MOUSEMOVE), 0);
  int charsToB = 0;
  for (auto& l : rec().log)
    if (l.msg == WM_CHAR && l.hwnd == b && l.wParam == 'x') ++charsToB;
  EXPECT_EQ(charsToB, 1);
}

}  // namespace

namespace {

TEST_F(WinTest, TrackedWindowsHearWhenTheMouseLeavesOrRests) {
  HWND top = Top(0, 0, 300, 200);
  HWND a = Child(top, 10, 10, 50, 50);
  win::PumpMessages();
  win::InjectMouse(20, 20, WM_MOUSEMOVE);
  win::PumpMessages();
  TRACKMOUSEEVENT tme;
  tme.dwFlags = TME_LEAVE | TME_HOVER;
  tme.hwndTrack = a;
  tme.dwHoverTime = 500;
  ASSERT_TRUE(TrackMouseEvent(&tme));
  rec().log.clear();
  win::AdvanceAndPump(clock_, 300);
  win::InjectMouse(22, 21, WM_MOUSEMOVE);  // moving restarts the rest period
  win::AdvanceAndPump(clock_, 400);
  EXPECT_EQ(rec().Count(a, WM_MOUSEHOVER), 0);
  win::AdvanceAndPump(clock_, 200);
  ASSERT_EQ(rec().Count(a, WM_MOUSEHOVER), 1);
  for (auto& l : rec().log)
    if (l.msg == WM_MOUSEHOVER) {
      EXPECT_EQ(GET_X_LPARAM(l.lParam), 12);
    }
  win::AdvanceAndPump(clock_, 2000);
  EXPECT_EQ(rec().Count(a, WM_MOUSEHOVER), 1) << "one hover per request";
  win::InjectMouse(200, 150, WM_MOUSEMOVE);
  win::PumpMessages();
  EXPECT_EQ(rec().Count(a, WM_MOUSELEAVE), 1);
  win::InjectMouse(210, 150, WM_MOUSEMOVE);
  win::PumpMessages();
  EXPECT_EQ(rec().Count(a, WM_MOUSELEAVE), 1) << "one leave per request";
}

}  // namespace

namespace {

TEST_F(WinTest, LosingActivationToAnotherProgramDeactivatesAndTellsEveryWindow) {
  HWND one = Top(0, 0, 100, 100);
  HWND two = Top(200, 0, 100, 100);
  HWND edit = Child(two, 0, 0, 50, 20);
  SetFocus(edit);
  rec().log.clear();
  win::NotifyTopLevelActivated(two, false);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(rec().Count(edit, WM_KILLFOCUS), 1);
  EXPECT_EQ(rec().Count(two, WM_ACTIVATE), 1);
  EXPECT_EQ(rec().Count(one, WM_ACTIVATEAPP), 1);
  EXPECT_EQ(rec().Count(two, WM_ACTIVATEAPP), 1);
  for (auto& l : rec().log)
    if (l.msg == WM_ACTIVATEAPP) {
      EXPECT_EQ(l.wParam, static_cast<WPARAM>(FALSE));
    }
  rec().log.clear();
  win::NotifyTopLevelActivated(one, false);  // not the active one: nothing happens
  EXPECT_TRUE(rec().log.empty());
  win::NotifyTopLevelActivated(two, true);
  EXPECT_EQ(GetActiveWindow(), two);
  EXPECT_EQ(rec().Count(one, WM_ACTIVATEAPP), 1);
  EXPECT_EQ(GetFocus(), two);
}

}  // namespace
