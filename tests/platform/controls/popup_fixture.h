// Fixture of the scroll-bar, calendar, menu and hint tests: a fake clock, a clean window manager and
// a plain top-level window to put controls on.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/controls.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"
#include "tests/platform/controls/make_control.h"

class TPlainHost : public TCustomControl {
  DECLARE_CLASS(TPlainHost, TCustomControl)
  explicit TPlainHost(TComponent* AOwner) : TCustomControl(AOwner) { FColor = clBtnFace; }

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
  void Paint() override {
    RECT r{0, 0, Width(), Height()};
    FillRect(Canvas()->Handle(), &r, GetSysColorBrush(COLOR_BTNFACE));
  }
};

class PopupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    owner = std::make_unique<TComponent>(nullptr);
    host = new TPlainHost(owner.get());
    host->SetBounds(100, 100, 400, 300);
    host->HandleNeeded();
    win::PumpMessages();
  }
  void TearDown() override {
    owner.reset();
    win::ResetWindowManager();
    clock.Uninstall();
  }
  static TPoint At(TControl* C, int X, int Y) { return C->ClientToScreen(TPoint(X, Y)); }
  static void ClickAt(TPoint P) { win::Click(P.X, P.Y); }
  static void Key(UINT Vk) {
    win::InjectKey(WM_KEYDOWN, Vk);
    win::InjectKey(WM_KEYUP, Vk);
    win::PumpMessages();
  }
  template <typename T>
  T* Make(TWinControl* Parent, int L, int T_, int W, int H) {
    return MakeControl<T>(owner.get(), Parent, L, T_, W, H);
  }

  win::FakeClock clock;
  std::unique_ptr<TComponent> owner;
  TPlainHost* host = nullptr;
};
