// Enter and exit pair up for the containers of the focused control, also when the focus arrives from
// another window: a panel whose control takes the focus as its form comes up is entered, and left
// when the focus goes out of it again, once each.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/controls/extctrls.h"
#include "platform/controls/stdctrls.h"
#include "platform/forms/forms.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"

namespace {

class EnterExitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    FormsUnit::Initialize();
    Application->Initialize();
    // Form B, shown first: the window the focus comes from.
    Application->CreateForm(formB);
    formB->SetBounds(500, 100, 200, 100);
    other = new TEdit(formB);
    other->SetBounds(10, 10, 150, 21);
    other->SetParent(formB);
    // Form A: a panel first in the tab order holding one edit, and an edit outside it.
    Application->CreateForm(formA);
    formA->SetBounds(100, 100, 300, 160);
    panel = new TPanel(formA);
    panel->SetBounds(10, 10, 200, 60);
    panel->SetParent(formA);
    inner = new TEdit(formA);
    inner->SetBounds(10, 10, 150, 21);
    inner->SetParent(panel);
    outer = new TEdit(formA);
    outer->SetBounds(10, 100, 150, 21);
    outer->SetParent(formA);
    Watch(panel, "panel");
    Watch(inner, "inner");
    Watch(outer, "outer");
    Watch(other, "other");
  }
  void TearDown() override {
    FormsUnit::Finalize();
    win::ResetWindowManager();
    clock.Uninstall();
  }
  void Watch(TWinControl* C, const std::string& Name) {
    C->OnEnter = [this, Name](TObject*) { log.push_back("enter " + Name); };
    C->OnExit = [this, Name](TObject*) { log.push_back("exit " + Name); };
  }
  static void ClickOn(TControl* C) {
    const TPoint P = C->ClientToScreen(TPoint(5, 5));
    win::Click(P.X, P.Y);
    Application->ProcessMessages();
  }

  win::FakeClock clock;
  TForm* formA = nullptr;
  TForm* formB = nullptr;
  TPanel* panel = nullptr;
  TEdit* inner = nullptr;
  TEdit* outer = nullptr;
  TEdit* other = nullptr;
  std::vector<std::string> log;
};

// Each watched control's enters and exits alternate, beginning with an enter; none is left entered
// but the one holding the focus (and its containers).
void ExpectPaired(const std::vector<std::string>& Log, const std::vector<std::string>& StillEntered) {
  for (const char* Name : {"panel", "inner", "outer", "other"}) {
    SCOPED_TRACE(Name);
    bool in = false;
    for (const std::string& L : Log) {
      if (L == std::string("enter ") + Name) {
        EXPECT_FALSE(in) << "entered twice";
        in = true;
      } else if (L == std::string("exit ") + Name) {
        EXPECT_TRUE(in) << "left without being entered";
        in = false;
      }
    }
    const bool held = std::find(StillEntered.begin(), StillEntered.end(), Name) != StillEntered.end();
    EXPECT_EQ(in, held);
  }
}

TEST_F(EnterExitTest, APanelEnteredFromAnotherWindowIsLeftOnce) {
  formB->Show();
  ClickOn(other);
  ASSERT_TRUE(other->Focused());
  // Form A comes up: its first control, inside the panel, takes the focus from form B's edit.
  formA->Show();
  Application->ProcessMessages();
  ASSERT_TRUE(inner->Focused());
  ClickOn(outer);
  ASSERT_TRUE(outer->Focused());
  EXPECT_EQ(log, (std::vector<std::string>{"enter other", "exit other", "enter panel", "enter inner", "exit inner",
                                           "exit panel", "enter outer"}));
  ExpectPaired(log, {"outer"});
}

// The focus goes to the other window from inside the panel and comes back to the control outside it,
// or inside it, a few times over.
TEST_F(EnterExitTest, LeavingForAnotherWindowAndComingBackPairsTheContainers) {
  formA->Show();
  formB->Show();
  ClickOn(inner);
  ASSERT_TRUE(inner->Focused());
  ClickOn(other);
  ClickOn(outer);
  ASSERT_TRUE(outer->Focused());
  ExpectPaired(log, {"outer"});
  ClickOn(inner);
  ClickOn(other);
  ClickOn(inner);
  ClickOn(other);
  ClickOn(outer);
  ClickOn(other);
  ClickOn(inner);
  ASSERT_TRUE(inner->Focused());
  ExpectPaired(log, {"panel", "inner"});
}

}  // namespace
