// A headless top-level window with painted children, rendered to its back buffer and saved as PNG.
#include "tests/platform/win/fixture.h"

#include <fstream>

namespace {

TEST_F(WinTest, TopLevelWithPaintedChildrenRendersInZOrder) {
  HWND top = Top(0, 0, 320, 220, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND left = Child(top, 10, 10, 140, 120, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
  HWND right = Child(top, 120, 60, 150, 100, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);  // above `left`
  HWND inner = Child(right, 20, 20, 60, 40, WS_CHILD | WS_VISIBLE, WS_EX_CLIENTEDGE);
  HWND hidden = Child(top, 200, 10, 50, 30, WS_CHILD);
  rec().paintColor[left] = RGB(200, 40, 40);
  rec().paintColor[right] = RGB(40, 160, 60);
  rec().paintColor[inner] = RGB(30, 60, 200);
  rec().paintColor[hidden] = RGB(0, 0, 0);
  // The top-level draws a framed caption strip and some text.
  rec().hooks[{top, WM_PAINT}] = [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT band{0, 180, 320, 220};
    FillRect(dc, &band, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &band, EDGE_RAISED, BF_RECT);
    SetBkMode(dc, TRANSPARENT);
    RECT text = band;
    DrawText(dc, "头发 Tressora", -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(h, &ps);
    return 0;
  };
  win::PumpMessages();
  EXPECT_EQ(win::GetWindowPixel(top, 5, 5), GetSysColor(COLOR_WINDOW)) << "class background";
  EXPECT_EQ(win::GetWindowPixel(left, 5, 5), RGB(200, 40, 40));
  EXPECT_EQ(win::GetWindowPixel(top, 130, 70), RGB(40, 160, 60)) << "the upper sibling covers the lower one";
  EXPECT_EQ(win::GetWindowPixel(top, 130, 50), RGB(200, 40, 40));
  EXPECT_EQ(win::GetWindowPixel(inner, 3, 3), RGB(30, 60, 200));
  EXPECT_EQ(win::GetWindowPixel(top, 120 + 20, 60 + 20), GetSysColor(COLOR_BTNSHADOW)) << "client edge frame";
  EXPECT_EQ(win::GetWindowPixel(top, 210, 20), GetSysColor(COLOR_WINDOW)) << "hidden children draw nothing";
  EXPECT_EQ(win::GetWindowPixel(top, 1, 181), GetSysColor(COLOR_BTNHIGHLIGHT));
  // Repainting one child leaves the others as they were.
  rec().paintColor[left] = RGB(250, 200, 0);
  InvalidateRect(left, nullptr, TRUE);
  win::PumpMessages();
  EXPECT_EQ(win::GetWindowPixel(left, 5, 5), RGB(250, 200, 0));
  EXPECT_EQ(win::GetWindowPixel(top, 130, 70), RGB(40, 160, 60));
  std::string path = win::ArtifactPath("platform_win_children.png");
  ASSERT_TRUE(win::SaveWindowPng(top, path));
  std::ifstream f(path, std::ios::binary);
  char sig[4] = {};
  f.read(sig, 4);
  EXPECT_EQ(std::string(sig + 1, 3), "PNG");
}

TEST_F(WinTest, HidingAndMovingChildrenExposesTheParent) {
  HWND top = Top(0, 0, 200, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND c = Child(top, 10, 10, 50, 50);
  rec().paintColor[c] = RGB(0, 0, 0);
  win::PumpMessages();
  EXPECT_EQ(win::GetWindowPixel(top, 20, 20), RGB(0, 0, 0));
  MoveWindow(c, 100, 10, 50, 50, TRUE);
  win::PumpMessages();
  EXPECT_EQ(win::GetWindowPixel(top, 20, 20), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(win::GetWindowPixel(top, 110, 20), RGB(0, 0, 0));
  ShowWindow(c, SW_HIDE);
  win::PumpMessages();
  EXPECT_EQ(win::GetWindowPixel(top, 110, 20), GetSysColor(COLOR_WINDOW));
}

TEST_F(WinTest, WindowScrollBarsTakeRoomAndScroll) {
  HWND top = Top(0, 0, 200, 200);
  HWND c = Child(top, 0, 0, 100, 100, WS_CHILD | WS_VISIBLE | WS_VSCROLL);
  RECT r;
  GetClientRect(c, &r);
  EXPECT_EQ(r.right, 100 - GetSystemMetrics(SM_CXVSCROLL));
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = 99;
  si.nPage = 10;
  si.nPos = 200;
  EXPECT_EQ(SetScrollInfo(c, SB_VERT, &si, TRUE), 90) << "position clamps to max - page + 1";
  win::PumpMessages();
  rec().log.clear();
  win::InjectMouse(95, 95, WM_LBUTTONDOWN);  // lower arrow
  win::PumpMessages();
  win::InjectMouse(95, 95, WM_LBUTTONUP);
  win::PumpMessages();
  std::vector<int> codes;
  for (auto& l : rec().log)
    if (l.msg == WM_VSCROLL) codes.push_back(LOWORD(l.wParam));
  EXPECT_EQ(codes, (std::vector<int>{SB_LINEDOWN, SB_ENDSCROLL}));
  // Dragging the thumb reports track positions, then the final one.
  rec().log.clear();
  win::InjectMouse(92, 20, WM_LBUTTONDOWN);  // the thumb sits at the bottom (position 90)
  win::InjectMouse(92, 5, WM_MOUSEMOVE);
  win::InjectMouse(92, 5, WM_LBUTTONUP);
  win::PumpMessages();
  codes.clear();
  for (auto& l : rec().log)
    if (l.msg == WM_VSCROLL) codes.push_back(LOWORD(l.wParam));
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes.back(), SB_ENDSCROLL);
  ASSERT_TRUE(win::SaveWindowPng(top, win::ArtifactPath("platform_win_scrollbar.png")));
}

}  // namespace

namespace {

TEST_F(WinTest, ScrollingMovesPixelsAndRepaintsOnlyTheUncoveredStrip) {
  HWND top = Top(0, 0, 120, 120);
  HWND list = Child(top, 0, 0, 100, 100);
  // Rows of 10 pixels, coloured by their logical index (scroll offset + row).
  static int offset = 0;
  static std::vector<RECT> painted;
  offset = 0;
  painted.clear();
  rec().hooks[{list, WM_PAINT}] = [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    painted.push_back(ps.rcPaint);
    for (int row = 0; row < 10; ++row) {
      RECT r{0, row * 10, 100, row * 10 + 10};
      HBRUSH b = CreateSolidBrush(RGB((row + offset) * 20, 0, 0));
      FillRect(dc, &r, b);
      DeleteObject(b);
    }
    EndPaint(h, &ps);
    return 0;
  };
  win::PumpMessages();
  EXPECT_EQ(win::GetWindowPixel(list, 5, 35), RGB(60, 0, 0));
  painted.clear();
  offset = 2;
  RECT area{0, 0, 100, 100};
  ScrollWindowEx(list, 0, -20, &area, &area, nullptr, nullptr, SW_INVALIDATE);
  EXPECT_EQ(win::GetWindowPixel(list, 5, 15), RGB(60, 0, 0)) << "row 3 moved up by two rows";
  ASSERT_EQ(painted.size(), 1u);
  EXPECT_EQ(painted[0].top, 80) << "only the uncovered strip is painted";
  EXPECT_EQ(painted[0].bottom, 100);
  EXPECT_EQ(win::GetWindowPixel(list, 5, 95), RGB(220, 0, 0));
  EXPECT_EQ(win::GetWindowPixel(top, 110, 50), GetSysColor(COLOR_WINDOW)) << "nothing outside the window moved";
}

// A top-level window's back buffer is the face colour at the window's latest size, however many sizes it
// went through while hidden; drawn pixels stay while the size does and are gone with a new size.
TEST_F(WinTest, BackBufferIsTheFaceColourAtTheLatestSizeAndStartsAfreshWithANewSize) {
  HWND top = Top(0, 0, 300, 200, WS_POPUP);
  for (int size : {500, 40, 160}) SetWindowPos(top, nullptr, 0, 0, size, size / 2, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(win::GetWindowPixel(top, 0, 0), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(win::GetWindowPixel(top, 159, 79), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(win::GetWindowPixel(top, 160, 10), CLR_INVALID) << "the buffer ends with the window";

  rec().hooks[{top, WM_ERASEBKGND}] = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 1; };
  rec().hooks[{top, WM_PAINT}] = [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    EndPaint(h, &ps);
    return 0;
  };
  ShowWindow(top, SW_SHOW);
  win::PumpMessages();
  HDC dc = GetDC(top);
  RECT r{0, 0, 20, 20};
  HBRUSH red = CreateSolidBrush(RGB(200, 0, 0));
  FillRect(dc, &r, red);
  DeleteObject(red);
  ReleaseDC(top, dc);
  SetWindowPos(top, nullptr, 30, 30, 160, 80, SWP_NOSIZE | SWP_NOZORDER);
  win::PumpMessages();
  EXPECT_EQ(win::GetWindowPixel(top, 5, 5), RGB(200, 0, 0)) << "moved, same size: the pixels stay";
  SetWindowPos(top, nullptr, 0, 0, 170, 80, SWP_NOMOVE | SWP_NOZORDER);
  win::PumpMessages();
  EXPECT_EQ(win::GetWindowPixel(top, 5, 5), GetSysColor(COLOR_BTNFACE)) << "a new size starts afresh";
  EXPECT_EQ(win::GetWindowPixel(top, 169, 79), GetSysColor(COLOR_BTNFACE));
}

}  // namespace
