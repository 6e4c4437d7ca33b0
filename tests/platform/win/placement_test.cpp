// Window placement: a maximised or minimised top-level window remembers the bounds it comes back to
// when restored, and those bounds can be read and replaced while it is not normal.
#include "tests/platform/win/fixture.h"

namespace {

TEST_F(WinTest, RestoredWindowComesBackToItsNormalPosition) {
  HWND form = Top(100, 100, 300, 200);
  WINDOWPLACEMENT P;
  ASSERT_TRUE(GetWindowPlacement(form, &P));
  EXPECT_EQ(P.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
  EXPECT_EQ(P.rcNormalPosition.left, 100);
  EXPECT_EQ(P.rcNormalPosition.right, 400);

  ShowWindow(form, SW_MAXIMIZE);
  RECT R;
  GetWindowRect(form, &R);
  EXPECT_GT(R.right - R.left, 300);
  ASSERT_TRUE(GetWindowPlacement(form, &P));
  EXPECT_EQ(P.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
  EXPECT_EQ(P.rcNormalPosition.top, 100) << "the bounds before maximising";
  EXPECT_EQ(P.rcNormalPosition.bottom, 300);
  ShowWindow(form, SW_RESTORE);
  GetWindowRect(form, &R);
  EXPECT_EQ(R.left, 100);
  EXPECT_EQ(R.bottom, 300);

  // Replacing the normal position of a maximised window keeps it maximised until restored.
  ShowWindow(form, SW_MAXIMIZE);
  GetWindowRect(form, &R);
  const RECT Max = R;
  GetWindowPlacement(form, &P);
  P.rcNormalPosition = RECT{20, 30, 220, 130};
  ASSERT_TRUE(SetWindowPlacement(form, &P));
  GetWindowRect(form, &R);
  EXPECT_EQ(R.right, Max.right);
  ShowWindow(form, SW_RESTORE);
  GetWindowRect(form, &R);
  EXPECT_EQ(R.left, 20);
  EXPECT_EQ(R.bottom, 130);

  // A normal window simply moves; a showCmd that differs changes the state.
  P.rcNormalPosition = RECT{5, 6, 105, 56};
  P.showCmd = SW_SHOWMINIMIZED;
  ASSERT_TRUE(SetWindowPlacement(form, &P));
  EXPECT_TRUE(GetWindowLong(form, GWL_STYLE) & WS_MINIMIZE);
  ShowWindow(form, SW_RESTORE);
  GetWindowRect(form, &R);
  EXPECT_EQ(R.left, 5);
  EXPECT_EQ(R.right, 105);
}

}  // namespace
