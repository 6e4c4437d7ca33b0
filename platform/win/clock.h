// The clock the message queue reads for timers, GetTickCount and message times. The real clock is a
// monotonic millisecond counter; tests install a FakeClock and advance it by hand.
#pragma once

#include <cstdint>

namespace win {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::uint64_t NowMs() = 0;
};

// Borrowed: the caller keeps the clock alive while it is installed. nullptr restores the real clock.
void InstallClock(Clock* clock);
Clock& CurrentClock();
bool IsFakeClockInstalled();

// A clock that moves only when told to. Install() makes it the queue's clock; the destructor
// uninstalls it when it is still installed.
class FakeClock : public Clock {
 public:
  explicit FakeClock(std::uint64_t startMs = 1000) : now_(startMs) {}
  ~FakeClock() override { Uninstall(); }
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;

  std::uint64_t NowMs() override { return now_; }
  void Advance(std::uint64_t ms) { now_ += ms; }
  void Set(std::uint64_t ms) { now_ = ms; }
  void Install();
  void Uninstall();

 private:
  std::uint64_t now_;
};

}  // namespace win
