// Drop-down pop-ups: tool windows that never take the activation, stay on top, and shaped windows.
#include "tests/platform/win/fixture.h"

namespace {

HWND Popup(HWND owner, int x, int y, int w, int h, DWORD ex = WS_EX_TOOLWINDOW | WS_EX_TOPMOST) {
  return CreateWindowEx(ex, "TestWindow", "drop", WS_POPUP, x, y, w, h, owner, nullptr, nullptr, nullptr);
}

TEST_F(WinTest, ToolPopupShownWithoutActivationLeavesFocusWithItsOwner) {
  HWND form = Top(100, 100, 300, 200);
  HWND edit = Child(form, 10, 10, 100, 20);
  SetActiveWindow(form);
  SetFocus(edit);
  HWND drop = Popup(form, 110, 130, 120, 80);
  // A drop-down answers the click with MA_NOACTIVATE.
  rec().hooks[{drop, WM_MOUSEACTIVATE}] = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return MA_NOACTIVATE; };
  SetWindowPos(drop, HWND_TOPMOST, 110, 130, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
  win::PumpMessages();
  EXPECT_TRUE(IsWindowVisible(drop));
  EXPECT_EQ(GetActiveWindow(), form);
  EXPECT_EQ(GetFocus(), edit);
  rec().log.clear();
  win::Click(150, 160);
  EXPECT_EQ(rec().Count(drop, WM_LBUTTONDOWN), 1);
  EXPECT_EQ(rec().Count(drop, WM_MOUSEACTIVATE), 1);
  EXPECT_EQ(GetActiveWindow(), form);
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(rec().Count(edit, WM_KILLFOCUS), 0);
  // Another ordinary window shown later still stays below the topmost drop-down.
  HWND other = Top(120, 140, 100, 100);
  SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  POINT p{150, 160};
  EXPECT_EQ(WindowFromPoint(p), drop);
  // Hidden with SWP_HIDEWINDOW | SWP_NOACTIVATE: the activation stays where it was.
  HWND active = GetActiveWindow();
  SetWindowPos(drop, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  EXPECT_FALSE(IsWindowVisible(drop));
  EXPECT_EQ(GetActiveWindow(), active);
  EXPECT_EQ(WindowFromPoint(p), other);
}

TEST_F(WinTest, WindowRegionClipsDrawingAndTheMouse) {
  HWND top = Top(0, 0, 200, 200);
  rec().paintColor[top] = RGB(255, 255, 255);
  HWND grip = Child(top, 100, 100, 20, 20);
  rec().paintColor[grip] = RGB(255, 0, 0);
  // The bottom-right triangle of the grip, as a size grip has it.
  POINT tri[3] = {{0, 20}, {20, 20}, {20, 0}};
  HRGN rgn = CreatePolygonRgn(tri, 3, WINDING);
  ASSERT_EQ(SetWindowRgn(grip, rgn, TRUE), 1);
  win::PumpMessages();
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(grip, copy), RGN_ERROR);
  RECT box;
  GetRgnBox(copy, &box);
  EXPECT_EQ(box.right, 20);
  DeleteObject(copy);
  EXPECT_EQ(win::GetWindowPixel(top, 118, 118), RGB(255, 0, 0)) << "inside the triangle";
  EXPECT_EQ(win::GetWindowPixel(top, 102, 102), RGB(255, 255, 255)) << "outside it the parent shows";
  rec().log.clear();
  win::Click(102, 102);
  EXPECT_EQ(rec().Count(grip, WM_LBUTTONDOWN), 0);
  EXPECT_EQ(rec().Count(top, WM_LBUTTONDOWN), 1);
  win::Click(118, 118);
  EXPECT_EQ(rec().Count(grip, WM_LBUTTONDOWN), 1);
  // No region: the whole rectangle again.
  SetWindowRgn(grip, nullptr, TRUE);
  win::PumpMessages();
  EXPECT_EQ(win::GetWindowPixel(top, 102, 102), RGB(255, 0, 0));
  HRGN none = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(grip, none), RGN_ERROR);
  DeleteObject(none);
}

}  // namespace
