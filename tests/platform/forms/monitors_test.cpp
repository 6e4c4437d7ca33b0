// The screen's monitors: the one nearest a rectangle, point or window, and its work area.
#include <gtest/gtest.h>

#include "platform/forms/forms.h"
#include "platform/win/host.h"
#include "platform/win/testing.h"

namespace {

class SideBySide : public win::Host {
 public:
  std::vector<Monitor> Monitors() override {
    return {Monitor{RECT{0, 0, 1024, 768}, RECT{0, 0, 1024, 738}},
            Monitor{RECT{-1600, 0, 0, 900}, RECT{-1600, 30, 0, 900}}};
  }
};

TEST(ScreenMonitors, TheMonitorNearestARectangleGivesItsWorkArea) {
  SideBySide host;
  win::InstallHost(&host);
  TScreen screen(nullptr);
  EXPECT_EQ(screen.MonitorCount(), 2);
  TMonitor* left = screen.MonitorFromRect(TRect(-300, 100, -100, 200));
  ASSERT_NE(left, nullptr);
  EXPECT_FALSE(left->Primary());
  EXPECT_EQ(left->WorkareaRect().Top, 30) << "its task bar is at the top";
  EXPECT_EQ(left->Width(), 1600);
  EXPECT_EQ(screen.MonitorFromRect(TRect(-300, 100, -100, 200)), left) << "one object per monitor";
  TMonitor* primary = screen.MonitorFromPoint(TPoint(500, 500));
  ASSERT_NE(primary, nullptr);
  EXPECT_TRUE(primary->Primary());
  EXPECT_EQ(primary->WorkareaRect().Bottom, 738);
  EXPECT_EQ(screen.MonitorFromPoint(TPoint(500, 5000), mdNull), nullptr);
  EXPECT_EQ(screen.MonitorFromPoint(TPoint(-500, 5000), mdNearest), left);
  EXPECT_EQ(screen.MonitorFromPoint(TPoint(-500, 5000), mdPrimary), primary);
  win::InstallHost(nullptr);
  EXPECT_EQ(screen.MonitorCount(), 1);
}

}  // namespace
