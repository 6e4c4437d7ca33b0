// A control's input-method mode, applied when it gains the focus (moved there as a user would, by a
// click) and undone when it loses it: whether the focused window takes input-method text, as the host
// asks the window manager.

#include <gtest/gtest.h>

#include "platform/controls/edits.h"
#include "platform/win/host.h"
#include "tests/platform/controls/host_fixture.h"

namespace {

class ImeModeTest : public ControlHostTest {
 protected:
  ImeModeTest() : ControlHostTest(300, 100) {}
  void SetUp() override {
    ControlHostTest::SetUp();
    edit = new TEdit(owner.get());
    edit->SetBounds(10, 10, 120, 21);
    edit->SetParent(host);
    other = new TEdit(owner.get());
    other->SetBounds(10, 50, 120, 21);
    other->SetParent(host);
    win::PumpMessages();
  }
  static void ClickOn(TControl* C) {
    TPoint p = C->ClientToScreen(TPoint(5, 5));
    win::Click(p.X, p.Y);
  }
  TEdit* edit = nullptr;
  TEdit* other = nullptr;
};

TEST_F(ImeModeTest, TheModeHoldsWhileTheControlHasTheFocus) {
  ASSERT_TRUE(InputMethodPresent());
  struct Case {
    TImeMode Mode;
    bool Takes;  // the focused edit takes input-method text
  };
  const Case Cases[] = {{imDontCare, true}, {imOpen, true}, {imClose, false}, {imDisable, false}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(static_cast<int>(C.Mode));
    edit->SetImeMode(C.Mode);
    ClickOn(edit);
    ASSERT_EQ(GetFocus(), edit->Handle());
    EXPECT_EQ(win::ImeEnabledFor(edit->Handle()), C.Takes);
    if (C.Mode == imDisable) {
      EXPECT_EQ(ImmGetContext(edit->Handle()), nullptr);
    }
    ClickOn(other);
    ASSERT_EQ(GetFocus(), other->Handle());
    EXPECT_TRUE(win::ImeEnabledFor(other->Handle()));
    EXPECT_TRUE(win::ImeEnabledFor(edit->Handle())) << "undone when the focus left";
  }
}

TEST_F(ImeModeTest, AModeSetWhileFocusedAppliesAtOnce) {
  ClickOn(edit);
  EXPECT_TRUE(win::ImeEnabledFor(edit->Handle()));
  edit->SetImeMode(imClose);
  EXPECT_FALSE(win::ImeEnabledFor(edit->Handle()));
  edit->SetImeMode(imDisable);
  EXPECT_FALSE(win::ImeEnabledFor(edit->Handle()));
  edit->SetImeMode(imDontCare);
  EXPECT_TRUE(win::ImeEnabledFor(edit->Handle()));
  // A name is kept; there is no other input method for it to select.
  HKL layout = GetKeyboardLayout(0);
  edit->SetImeName("Pinyin");
  ClickOn(other);
  ClickOn(edit);
  EXPECT_EQ(edit->ImeName(), "Pinyin");
  EXPECT_EQ(GetKeyboardLayout(0), layout);
  EXPECT_TRUE(win::ImeEnabledFor(edit->Handle()));
}

}  // namespace
