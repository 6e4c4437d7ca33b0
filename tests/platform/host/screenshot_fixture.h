#pragma once
// What the host's screenshot tests share: a top-level pop-up window in button face to place controls
// on, and a fixture that starts the Qt application once, the fake clock and the theme painter.
#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

#include "platform/controls/controls.h"
#include "platform/host/theme_painter.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"

class TShotWindow : public TCustomControl {
  DECLARE_CLASS(TShotWindow, TCustomControl)
  explicit TShotWindow(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
  void Paint() override { FillSolidRect(Canvas()->Handle(), RECT{0, 0, Width(), Height()}, ColorRef(clBtnFace)); }
};

class ScreenshotTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "screenshot_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) App() = std::make_unique<QApplication>(argc, argv);
  }
  static void TearDownTestSuite() {
    QCoreApplication::processEvents();
    App().reset();
  }
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    host::InstallThemePainter();
    owner = std::make_unique<TComponent>(nullptr);
  }
  void TearDown() override {
    owner.reset();
    host::UninstallThemePainter();
    win::ResetWindowManager();
    clock.Uninstall();
  }
  static std::unique_ptr<QApplication>& App() {
    static std::unique_ptr<QApplication> app;
    return app;
  }
  win::FakeClock clock;
  std::unique_ptr<TComponent> owner;
};
