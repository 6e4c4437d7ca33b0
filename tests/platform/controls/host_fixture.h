// Fixture of the control, edit and grid tests: a clean window manager, a fake clock, an owner that
// frees every control of a test, and a plain top-level window to put controls on (no form needed).
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/controls.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"
#include "tests/platform/controls/make_control.h"

class TTestHost : public TCustomControl {
  DECLARE_CLASS(TTestHost, TCustomControl)
  explicit TTestHost(TComponent* AOwner) : TCustomControl(AOwner) {}
  // The colour the window paints itself; clNone paints it in its own Color.
  TColor Fill = clNone;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
  void Paint() override {
    RECT r{0, 0, Width(), Height()};
    HBRUSH b = CreateSolidBrush(ColorRef(Fill == clNone ? Color() : Fill));
    FillRect(Canvas()->Handle(), &r, b);
    DeleteObject(b);
  }
};

// Makes the host at (100, 100) with the size and fill the test asks for; its handle exists, the
// queue is not pumped yet (a test's SetUp adds its controls first).
class ControlHostTest : public ::testing::Test {
 protected:
  ControlHostTest(int Width, int Height, TColor Fill = clNone) : hostWidth_(Width), hostHeight_(Height), hostFill_(Fill) {}
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    owner = std::make_unique<TComponent>(nullptr);
    host = new TTestHost(owner.get());
    host->Fill = hostFill_;
    host->SetBounds(100, 100, hostWidth_, hostHeight_);
    host->HandleNeeded();
  }
  void TearDown() override {
    owner.reset();
    win::ResetWindowManager();
    clock.Uninstall();
  }
  static void Key(UINT Vk) {
    win::InjectKey(WM_KEYDOWN, Vk);
    win::InjectKey(WM_KEYUP, Vk);
    win::PumpMessages();
  }
  // A control of the test at the given bounds inside Parent.
  template <typename T>
  T* MakeChild(TWinControl* Parent, int L, int T_, int W, int H) {
    return MakeControl<T>(owner.get(), Parent, L, T_, W, H);
  }

  win::FakeClock clock;
  std::unique_ptr<TComponent> owner;  // frees every control of a test
  TTestHost* host = nullptr;

 private:
  int hostWidth_, hostHeight_;
  TColor hostFill_;
};
