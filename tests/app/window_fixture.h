#pragma once
// One window of the program on its own: the platform started headless (imaging, forms, an empty window
// manager) on a fake clock with scripted dialogs. Fixtures of single windows derive from it and make
// their window in SetUp after calling StartPlatform.

#include <gtest/gtest.h>

#include "app/Communal.h"
#include "platform/forms/forms.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/win/clock.h"
#include "platform/win/dialogs.h"
#include "platform/win/testing.h"

class HeadlessWindowTest : public ::testing::Test {
 protected:
  void StartPlatform() {
    static bool imaging = false;
    if (!imaging) {
      ULONG_PTR token = 0;
      GdiplusStartupInput input;
      GdiplusStartup(&token, &input, nullptr);
      imaging = true;
    }
    FormsUnit::Initialize();
    win::ResetWindowManager();
    clock_.Install();
    dialogs_.Install();
    ExePath = ExecutableFolder();
  }

  // Checks that no message box came up unless one was expected, and resets the platform.
  void StopPlatform(bool ExpectMessage = false) {
    if (!ExpectMessage) {
      EXPECT_TRUE(dialogs_.MessageTexts().empty()) << "unexpected message box: " << dialogs_.MessageTexts()[0];
    }
    if (Application) Application->OnIdle = nullptr;
    win::ResetWindowManager();
    dialogs_.Uninstall();
    clock_.Uninstall();
  }

  win::FakeClock clock_;
  win::ScriptedDialogs dialogs_;
};
