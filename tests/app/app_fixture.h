#pragma once
// Starts the whole program headless (its units, its five windows, the main window shown) on a fake
// clock with scripted dialogs, and drives it with mouse input through the window manager's queue.

#include <deque>
#include <functional>
#include <gtest/gtest.h>

#include "app/Program.h"
#include "app/UfrmMain.h"
#include "platform/classes/units.h"
#include "platform/forms/forms.h"
#include "platform/win/clock.h"
#include "platform/win/dialogs.h"
#include "platform/win/testing.h"

class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    clock.Install();
    dialogs.Install();
    Program::AddUnits();
    InitializeUnits();
    Program::CreateForms();
    Application->MainForm()->Show();
    win::PumpMessages();
  }

  void TearDown() override {
    if (Application) Application->OnIdle = nullptr;
    Program::Shutdown();
    ClearUnits();
    win::ResetWindowManager();
    dialogs.Uninstall();
    clock.Uninstall();
  }

  // A mouse message at a client point of a control, delivered through the queue.
  static void Mouse(TControl* Control, int X, int Y, UINT Message, WPARAM Keys = 0) {
    const TPoint p = Control->ClientToScreen(TPoint(X, Y));
    win::InjectMouse(p.X, p.Y, Message, Keys);
    win::PumpMessages();
  }
  static void ClickAt(TControl* Control, int X, int Y) {
    Mouse(Control, X, Y, WM_LBUTTONDOWN, MK_LBUTTON);
    Mouse(Control, X, Y, WM_LBUTTONUP, 0);
  }
  static void Click(TControl* Control) { ClickAt(Control, Control->Width() / 2, Control->Height() / 2); }
  // A press at (X1, Y1), a drag to (X2, Y2) in a few moves, and the release.
  static void Drag(TControl* Control, int X1, int Y1, int X2, int Y2, int Steps = 4) {
    Mouse(Control, X1, Y1, WM_LBUTTONDOWN, MK_LBUTTON);
    for (int i = 1; i <= Steps; ++i)
      Mouse(Control, X1 + (X2 - X1) * i / Steps, Y1 + (Y2 - Y1) * i / Steps, WM_MOUSEMOVE, MK_LBUTTON);
    Mouse(Control, X2, Y2, WM_LBUTTONUP, 0);
  }

  // Runs Steps one by one whenever the application's loop is idle (inside modal windows too), so a
  // test can act in a window that a click opened modally. Every script must end by closing it.
  void WhenIdle(std::deque<std::function<void()>> Steps) {
    script = std::move(Steps);
    Application->OnIdle = [this](TObject*, bool& Done) {
      if (script.empty()) return;
      auto step = std::move(script.front());
      script.pop_front();
      step();
      Done = false;
    };
  }

  // Picture-space point of imgMain (y up) to its client pixels.
  static int PixelY(Single Y) { return frmMain->imgMain->Height() - int(Y); }

  win::FakeClock clock;
  win::ScriptedDialogs dialogs;
  std::deque<std::function<void()>> script;
};
