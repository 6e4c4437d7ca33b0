// Key and mouse state as input arrives and as messages are taken, the double-click settings, the
// monitor nearest a rectangle, and cursors loaded by resource name.
#include <gtest/gtest.h>

#include <vector>

#include "fixture.h"
#include "platform/win/host.h"
#include "platform/win/resources.h"

namespace {

TEST_F(WinTest, KeyStateFollowsTheMessagesTakenAndAsyncStateTheInput) {
  HWND top = Top(0, 0, 100, 100);
  win::PumpMessages();
  SetFocus(top);
  win::InjectKey(WM_KEYDOWN, VK_SHIFT);
  EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0) << "down as soon as the input arrived";
  EXPECT_GE(GetKeyState(VK_SHIFT), 0) << "not yet: its message is still queued";
  win::PumpMessages();
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  win::InjectKey(WM_KEYUP, VK_SHIFT);
  win::PumpMessages();
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  EXPECT_GE(GetAsyncKeyState(VK_SHIFT), 0);
  // A toggle key flips its low bit with every press.
  int before = GetKeyState(VK_CAPITAL) & 1;
  win::InjectKey(WM_KEYDOWN, VK_CAPITAL);
  win::InjectKey(WM_KEYUP, VK_CAPITAL);
  win::PumpMessages();
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 1 - before);
  // Mouse buttons and the cursor position.
  win::InjectMouse(30, 40, WM_LBUTTONDOWN, MK_LBUTTON);
  EXPECT_LT(GetAsyncKeyState(VK_LBUTTON), 0);
  POINT p;
  ASSERT_TRUE(GetCursorPos(&p));
  EXPECT_EQ(p.x, 30);
  EXPECT_EQ(p.y, 40);
  win::PumpMessages();
  EXPECT_LT(GetKeyState(VK_LBUTTON), 0);
  win::InjectMouse(30, 40, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_GE(GetKeyState(VK_LBUTTON), 0);
}

TEST_F(WinTest, DoubleClickTimeAndRectangle) {
  EXPECT_EQ(GetDoubleClickTime(), 500u);
  SetDoubleClickTime(350);
  EXPECT_EQ(GetDoubleClickTime(), 350u);
  SetDoubleClickTime(0);
  EXPECT_EQ(GetDoubleClickTime(), 500u) << "0 restores the default";
  EXPECT_EQ(GetSystemMetrics(SM_CXDOUBLECLK), 4);
  EXPECT_EQ(GetSystemMetrics(SM_CYDOUBLECLK), 4);
}

// Two monitors side by side, the second with a task bar at its bottom.
class TwoMonitors : public win::Host {
 public:
  std::vector<Monitor> Monitors() override {
    return {Monitor{RECT{0, 0, 1280, 1024}, RECT{0, 0, 1280, 984}},
            Monitor{RECT{1280, 0, 3200, 1080}, RECT{1280, 0, 3200, 1040}}};
  }
};

TEST_F(WinTest, TheMonitorNearestARectangleGivesItsWorkArea) {
  TwoMonitors host;
  win::InstallHost(&host);
  MONITORINFO mi;
  RECT mostlyRight{1200, 100, 1500, 200};
  HMONITOR m = MonitorFromRect(&mostlyRight, MONITOR_DEFAULTTONEAREST);
  ASSERT_TRUE(GetMonitorInfo(m, &mi));
  EXPECT_EQ(mi.rcWork.bottom, 1040) << "the monitor holding most of it";
  EXPECT_EQ(mi.dwFlags, 0u);
  RECT left{10, 10, 50, 50};
  ASSERT_TRUE(GetMonitorInfo(MonitorFromRect(&left, MONITOR_DEFAULTTONEAREST), &mi));
  EXPECT_EQ(mi.rcWork.bottom, 984);
  EXPECT_EQ(mi.dwFlags, MONITORINFOF_PRIMARY);
  RECT below{2000, 1500, 2100, 1600};
  EXPECT_EQ(MonitorFromRect(&below, MONITOR_DEFAULTTONULL), nullptr);
  ASSERT_TRUE(GetMonitorInfo(MonitorFromRect(&below, MONITOR_DEFAULTTONEAREST), &mi));
  EXPECT_EQ(mi.rcMonitor.left, 1280) << "off every screen: the nearest";
  ASSERT_TRUE(GetMonitorInfo(MonitorFromRect(&below, MONITOR_DEFAULTTOPRIMARY), &mi));
  EXPECT_EQ(mi.rcMonitor.left, 0);
  POINT pt{3000, 10};
  ASSERT_TRUE(GetMonitorInfo(MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST), &mi));
  EXPECT_EQ(mi.rcMonitor.right, 3200);
  EXPECT_FALSE(GetMonitorInfo(reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(0x999)), &mi));
  win::InstallHost(nullptr);
  ASSERT_TRUE(GetMonitorInfo(MonitorFromRect(&below, MONITOR_DEFAULTTONEAREST), &mi));
  EXPECT_EQ(mi.rcWork.bottom, 984) << "headless: one monitor";
}

TEST_F(WinTest, CursorsLoadByResourceName) {
  HINSTANCE program = GetModuleHandle(nullptr);
  HCURSOR split = LoadCursor(program, "HSPLIT");
  ASSERT_NE(split, nullptr);
  EXPECT_EQ(LoadCursor(program, "hsplit"), split) << "names ignore case; the cursor is shared";
  for (const char* name : {"VSPLIT", "DRAG", "MULTIDRAG", "NODROP", "SQLWAIT"}) {
    HCURSOR c = LoadCursor(program, name);
    EXPECT_NE(c, nullptr) << name;
    EXPECT_NE(c, split) << name;
  }
  EXPECT_EQ(LoadCursor(program, "NO SUCH CURSOR"), nullptr);
  EXPECT_EQ(LoadCursor(nullptr, "HSPLIT"), nullptr) << "the system has no cursors by name";

  // A library registers its own: the image and hot spot come back.
  std::vector<std::uint32_t> pixels(16 * 16, 0u);
  for (int i = 0; i < 16; ++i) pixels[static_cast<std::size_t>(i) * 16 + i] = 0xFF000000u;
  EXPECT_FALSE(win::RegisterCursorResource("DOWNCURX", 16, 16, std::vector<std::uint32_t>(3), 0, 0)) << "wrong size";
  ASSERT_TRUE(win::RegisterCursorResource("DownCurX", 16, 16, pixels, 7, 9));
  EXPECT_TRUE(win::HasCursorResource("DOWNCURX"));
  HCURSOR down = LoadCursor(program, "DOWNCURX");
  ASSERT_NE(down, nullptr);
  ICONINFO ii;
  ASSERT_TRUE(GetIconInfo(down, &ii));
  EXPECT_EQ(ii.xHotspot, 7u);
  EXPECT_EQ(ii.yHotspot, 9u);
  BITMAP bm;
  GetObject(ii.hbmColor, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 16);
  DeleteObject(ii.hbmColor);
  EXPECT_TRUE(DestroyCursor(down));
  EXPECT_EQ(LoadCursor(program, "DOWNCURX"), down) << "a shared cursor outlives DestroyCursor";
  // Set as the cursor, it is what the host is told about.
  SetCursor(split);
  EXPECT_EQ(GetCursor(), split);
}

}  // namespace
