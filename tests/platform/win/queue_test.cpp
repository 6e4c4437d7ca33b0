// The message queue through a fake clock: ordering, peeking, timers, quitting, key translation.
#include "tests/platform/win/fixture.h"

namespace {

constexpr UINT kA = WM_USER + 1, kB = WM_USER + 2, kC = WM_USER + 3, kD = WM_USER + 4;

TEST_F(WinTest, SentMessagesRunAtOnceAndPostedOnesInOrderLater) {
  HWND h = Top(0, 0, 100, 100, WS_OVERLAPPEDWINDOW);
  rec().hooks[{h, kA}] = [](HWND w, UINT, WPARAM, LPARAM) -> LRESULT {
    PostMessage(w, kB, 0, 0);
    SendMessage(w, kC, 0, 0);
    return 0;
  };
  rec().log.clear();
  PostMessage(h, kA, 1, 2);
  SendMessage(h, kD, 0, 0);
  EXPECT_EQ(rec().Messages(h, {kA, kB, kC, kD}), (std::vector<UINT>{kD}));
  win::PumpMessages();
  EXPECT_EQ(rec().Messages(h, {kA, kB, kC, kD}), (std::vector<UINT>{kD, kA, kC, kB}));
  EXPECT_EQ(SendMessage(reinterpret_cast<HWND>(0x12345), kA, 0, 0), 0);
  EXPECT_FALSE(PostMessage(reinterpret_cast<HWND>(0x12345), kA, 0, 0));
}

TEST_F(WinTest, PeekWithoutRemovalLeavesTheMessageAndFiltersSelect) {
  HWND a = Top(0, 0, 50, 50, WS_OVERLAPPEDWINDOW);
  HWND b = Top(0, 0, 50, 50, WS_OVERLAPPEDWINDOW);
  HWND child = Child(a, 0, 0, 10, 10, WS_CHILD);
  PostMessage(a, kA, 10, 0);
  PostMessage(b, kB, 20, 0);
  PostMessage(child, kC, 30, 0);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, kA);
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, kA) << "no-remove peeks see the same message again";
  // Range filter skips over the first message.
  ASSERT_TRUE(PeekMessage(&m, nullptr, kB, kC, PM_REMOVE));
  EXPECT_EQ(m.message, kB);
  EXPECT_EQ(m.wParam, 20u);
  // Window filter takes the window and its children only.
  ASSERT_TRUE(PeekMessage(&m, a, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, kA);
  ASSERT_TRUE(PeekMessage(&m, a, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.hwnd, child);
  EXPECT_FALSE(PeekMessage(&m, b, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PeekMessage(&m, nullptr, WM_USER, WM_USER + 10, PM_REMOVE));
}

TEST_F(WinTest, QuitEndsGetMessageWithItsCode) {
  HWND h = Top(0, 0, 50, 50, WS_OVERLAPPEDWINDOW);
  PostMessage(h, kA, 0, 0);
  PostQuitMessage(7);
  MSG m;
  EXPECT_TRUE(GetMessage(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, kA) << "messages posted before the quit come first";
  EXPECT_FALSE(GetMessage(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 7u);
}

TEST_F(WinTest, TimersFireAtTheirIntervalsUntilKilled) {
  HWND h = Top(0, 0, 50, 50, WS_OVERLAPPEDWINDOW);
  DWORD start = GetTickCount();
  std::vector<std::pair<UINT_PTR, DWORD>> fired;
  rec().hooks[{h, WM_TIMER}] = [&](HWND, UINT, WPARAM id, LPARAM) -> LRESULT {
    fired.push_back({id, GetTickCount() - start});
    return 0;
  };
  SetTimer(h, 1, 100, nullptr);
  SetTimer(h, 2, 250, nullptr);
  win::AdvanceAndPump(clock_, 99);
  EXPECT_TRUE(fired.empty());
  win::AdvanceAndPump(clock_, 901);  // to 1000 ms
  int ones = 0, twos = 0;
  for (auto& [id, t] : fired) {
    if (id == 1) { EXPECT_EQ(t, static_cast<DWORD>(++ones * 100)); }
    if (id == 2) { EXPECT_EQ(t, static_cast<DWORD>(++twos * 250)); }
  }
  EXPECT_EQ(ones, 10);
  EXPECT_EQ(twos, 4);
  EXPECT_TRUE(KillTimer(h, 1));
  EXPECT_FALSE(KillTimer(h, 1));
  fired.clear();
  win::AdvanceAndPump(clock_, 500);
  ASSERT_EQ(fired.size(), 2u);
  EXPECT_EQ(fired[0].first, 2u);
  // Timers die with their window.
  DestroyWindow(h);
  win::AdvanceAndPump(clock_, 1000);
  EXPECT_EQ(fired.size(), 2u);
}

static int g_procCalls = 0;
static void CALLBACK_Timer(HWND, UINT msg, UINT_PTR, DWORD) {
  if (msg == WM_TIMER) ++g_procCalls;
}

TEST_F(WinTest, ThreadTimerWithCallbackAndGetMessageWaitsForIt) {
  g_procCalls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 4000, CALLBACK_Timer);
  ASSERT_NE(id, 0u);
  DWORD before = GetTickCount();
  MSG m;
  // Nothing queued: GetMessage moves the fake clock to the timer instead of hanging.
  ASSERT_TRUE(GetMessage(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(GetTickCount() - before, 4000u);
  DispatchMessage(&m);
  EXPECT_EQ(g_procCalls, 1);
  KillTimer(nullptr, id);
  // With nothing that could ever arrive, a headless GetMessage gives up instead of hanging.
  EXPECT_FALSE(GetMessage(&m, nullptr, 0, 0));
}

TEST_F(WinTest, KeyDownTranslatesToCharactersForTheFocusWindow) {
  HWND h = Top(0, 0, 100, 100);
  HWND edit = Child(h, 0, 0, 50, 20);
  SetFocus(edit);
  win::PumpMessages();
  rec().log.clear();
  win::InjectKey(WM_KEYDOWN, 'A');
  win::InjectKey(WM_KEYUP, 'A');
  win::InjectKey(WM_KEYDOWN, VK_SHIFT);
  win::InjectKey(WM_KEYDOWN, '1');
  win::InjectKey(WM_KEYUP, '1');
  win::InjectKey(WM_KEYUP, VK_SHIFT);
  win::InjectChar("汉");
  win::PumpMessages();
  std::vector<WPARAM> chars;
  for (auto& l : rec().log)
    if (l.msg == WM_CHAR) {
      EXPECT_EQ(l.hwnd, edit);
      chars.push_back(l.wParam);
    }
  EXPECT_EQ(chars, (std::vector<WPARAM>{'a', '!', 0x6C49}));
  EXPECT_EQ(rec().Count(edit, WM_KEYDOWN), 3);
  EXPECT_EQ(rec().Count(h, WM_KEYDOWN), 0);
  EXPECT_FALSE(GetKeyState(VK_SHIFT) < 0);
}

}  // namespace
