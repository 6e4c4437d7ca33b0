// Timers while the program's loop is idle: idle work that runs past a timer's due time must not make
// the loop wait for something else; the timer's tick comes at once. Shown with the fake clock and once
// with the real one.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "platform/controls/extctrls.h"
#include "platform/forms/forms.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"

namespace {

class IdleTimersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    FormsUnit::Initialize();
    Application->Initialize();
  }
  void TearDown() override {
    Application->OnIdle = nullptr;
    FormsUnit::Finalize();
    win::ResetWindowManager();
    win::InstallClock(nullptr);
  }
  // A shown form with two timers: the one the test watches, and one that falls due a millisecond
  // before it, so that the idle work after that one's tick runs across the watched one's due time.
  void MakeForm(unsigned Interval, std::vector<std::uint64_t>& Ticks) {
    Application->CreateForm(form);
    form->SetBounds(100, 100, 200, 100);
    form->Show();
    auto* watched = new TTimer(form);
    watched->SetInterval(Interval);
    watched->OnTimer = [&Ticks](TObject*) { Ticks.push_back(GetTickCount64()); };
    auto* earlier = new TTimer(form);
    earlier->SetInterval(Interval - 1);
    earlier->OnTimer = [](TObject*) {};
  }
  // The gaps between consecutive ticks, middle one.
  static std::uint64_t MedianGap(const std::vector<std::uint64_t>& Ticks) {
    std::vector<std::uint64_t> gaps;
    for (size_t i = 1; i < Ticks.size(); ++i) gaps.push_back(Ticks[i] - Ticks[i - 1]);
    if (gaps.empty()) return UINT64_MAX;
    std::sort(gaps.begin(), gaps.end());
    return gaps[gaps.size() / 2];
  }

  TForm* form = nullptr;
};

TEST_F(IdleTimersTest, ATimerThatFallsDueDuringIdleWorkTicksAtItsIntervalFakeClock) {
  win::FakeClock clock;
  clock.Install();
  std::vector<std::uint64_t> ticks;
  MakeForm(100, ticks);
  // The idle work takes a millisecond.
  Application->OnIdle = [&clock](TObject*, bool& Done) {
    clock.Advance(1);
    Done = true;
  };
  const std::uint64_t start = clock.NowMs();
  for (int turns = 0; clock.NowMs() < start + 1000 && turns < 100000; ++turns) Application->HandleMessage();
  ASSERT_GE(ticks.size(), 9u);
  EXPECT_EQ(ticks.front(), start + 100);
  for (size_t i = 1; i < ticks.size(); ++i) EXPECT_EQ(ticks[i] - ticks[i - 1], 100u) << "tick " << i;
}

TEST_F(IdleTimersTest, ATimerThatFallsDueDuringIdleWorkTicksAtItsIntervalRealClock) {
  win::InstallClock(nullptr);
  std::vector<std::uint64_t> ticks;
  const unsigned interval = 50;
  MakeForm(interval, ticks);
  Application->OnIdle = [](TObject*, bool& Done) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Done = true;
  };
  // Eleven ticks, or give up after a generous time on a slow, loaded machine.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (ticks.size() < 11 && std::chrono::steady_clock::now() < deadline) Application->HandleMessage();
  ASSERT_GE(ticks.size(), 11u);
  // At its interval: a stall until the other timer comes round would nearly double the gaps. Half
  // an interval of slack takes a busy machine's late wake-ups.
  EXPECT_LT(MedianGap(ticks), interval * 3 / 2);
}

}  // namespace
