// Hints on a form (pause, CM_HINTSHOWPAUSE, CM_HINTSHOW, hiding), CM_CANCELMODE on presses and
// message dialogs with the button sets the libraries ask for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/controls/hints.h"
#include "platform/controls/stdctrls.h"
#include "platform/forms/dialogs.h"
#include "platform/forms/forms.h"
#include "platform/win/clock.h"
#include "platform/win/dialogs.h"
#include "platform/win/testing.h"

namespace {

// An edit that records the cancel-mode messages it hears and answers CM_HINTSHOW its own way.
class TWatchEdit : public TCustomEdit {
  DECLARE_CLASS(TWatchEdit, TCustomEdit)
  explicit TWatchEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
  std::vector<TControl*> cancelModes;
  std::function<void(THintInfo&)> onHintShow;
  int pauseWanted = -1;
  void Dispatch(TMessage& M) override {
    if (M.Msg == CM_CANCELMODE) cancelModes.push_back(reinterpret_cast<TControl*>(M.LParam));
    if (M.Msg == CM_HINTSHOW && onHintShow) onHintShow(*reinterpret_cast<THintInfo*>(M.LParam));
    if (M.Msg == CM_HINTSHOWPAUSE && pauseWanted >= 0) *reinterpret_cast<int*>(M.LParam) = pauseWanted;
    TCustomEdit::Dispatch(M);
  }
};

class HintsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    dialogs.Install();
    FormsUnit::Initialize();
    Application->Initialize();
    form = new TForm(Application);
    form->SetBounds(100, 100, 400, 300);
    edit = new TWatchEdit(form);
    edit->SetBounds(10, 10, 150, 22);
    edit->SetParent(form);
    button = new TButton(form);
    button->SetBounds(10, 100, 80, 25);
    button->SetCaption("Go");
    button->SetParent(form);
    form->Show();
    win::PumpMessages();
  }
  void TearDown() override {
    FormsUnit::Finalize();
    win::ResetWindowManager();
    dialogs.Uninstall();
    clock.Uninstall();
  }
  static void MoveTo(TControl* C, int X, int Y) {
    TPoint p = C->ClientToScreen(TPoint(X, Y));
    win::InjectMouse(p.X, p.Y, WM_MOUSEMOVE);
    win::PumpMessages();
  }

  win::FakeClock clock;
  win::ScriptedDialogs dialogs;
  TForm* form = nullptr;
  TWatchEdit* edit = nullptr;
  TButton* button = nullptr;
};

TEST_F(HintsTest, HintShowsAfterThePauseAndGoesWhenTheMouseLeaves) {
  button->SetHint("Starts it|Starts the whole thing");
  button->SetShowHint(true);
  EXPECT_EQ(Application->HintPause(), 500);
  MoveTo(button, 10, 10);
  win::AdvanceAndPump(clock, 499);
  EXPECT_EQ(Hints::ShownHintWindow(), nullptr);
  win::AdvanceAndPump(clock, 1);
  THintWindow* w = Hints::ShownHintWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Caption(), "Starts it") << "the short part before '|'";
  EXPECT_TRUE(IsWindowVisible(w->Handle()));
  EXPECT_NE(GetWindowLongPtr(w->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(GetActiveWindow(), form->Handle()) << "a hint never takes the activation";
  // It sits below the cursor and is as large as CalcHintRect said.
  RECT wr;
  GetWindowRect(w->Handle(), &wr);
  TPoint cursor = button->ClientToScreen(TPoint(10, 10));
  EXPECT_GT(wr.top, cursor.Y);
  TRect calc = w->CalcHintRect(1000, "Starts it", nullptr);
  EXPECT_EQ(wr.right - wr.left, calc.Width());
  EXPECT_EQ(GetLongHint(button->Hint()), "Starts the whole thing");
  // Moving inside the button keeps it; leaving hides it.
  MoveTo(button, 30, 12);
  EXPECT_NE(Hints::ShownHintWindow(), nullptr);
  MoveTo(form, 300, 250);
  EXPECT_EQ(Hints::ShownHintWindow(), nullptr);
  EXPECT_FALSE(IsWindowVisible(w->Handle()));
  // A press hides it, and it stays away while the mouse stays on the button.
  MoveTo(button, 10, 10);
  win::AdvanceAndPump(clock, 600);
  ASSERT_NE(Hints::ShownHintWindow(), nullptr);
  TPoint p = button->ClientToScreen(TPoint(10, 10));
  win::Click(p.X, p.Y);
  EXPECT_EQ(Hints::ShownHintWindow(), nullptr);
  MoveTo(button, 12, 10);
  win::AdvanceAndPump(clock, 600);
  EXPECT_EQ(Hints::ShownHintWindow(), nullptr);
  // No hint begins while a window holds the mouse.
  MoveTo(form, 300, 250);
  form->SetHint("The form");
  form->SetShowHint(true);
  SetCapture(form->Handle());
  MoveTo(form, 310, 250);
  win::AdvanceAndPump(clock, 600);
  EXPECT_EQ(Hints::ShownHintWindow(), nullptr);
  ReleaseCapture();
  form->SetShowHint(false);
  MoveTo(form, 300, 250);
  // Shown again after leaving and coming back, and gone by itself after HintHidePause.
  MoveTo(form, 300, 250);
  MoveTo(button, 10, 10);
  win::AdvanceAndPump(clock, 600);
  ASSERT_NE(Hints::ShownHintWindow(), nullptr);
  win::AdvanceAndPump(clock, Application->HintHidePause());
  EXPECT_EQ(Hints::ShownHintWindow(), nullptr);
}

TEST_F(HintsTest, TheControlShapesItsHintThroughCmHintShow) {
  edit->SetHint("plain");
  edit->SetShowHint(true);
  edit->pauseWanted = 0;  // a control may ask for the hint at once
  struct Seen {
    TControl* control;
    TRect cursorRect;
    TPoint cursorPos;
    int hideTimeout;
  } seen{};
  edit->onHintShow = [&](THintInfo& I) {
    seen = {I.HintControl, I.CursorRect, I.CursorPos, I.HideTimeout};
    // A cell-like hint: only over the left half, with its own text and place.
    I.CursorRect = TRect(0, 0, 75, 22);
    I.HintStr = "cell text";
    I.HintPos = edit->ClientToScreen(TPoint(-1, -2));
    I.HintMaxWidth = 60;
  };
  MoveTo(edit, 5, 5);
  win::AdvanceAndPump(clock, 1);
  THintWindow* w = Hints::ShownHintWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(seen.control, edit);
  EXPECT_EQ(seen.cursorRect.Right, edit->ClientWidth());
  EXPECT_EQ(seen.cursorPos.X, 5);
  EXPECT_EQ(seen.hideTimeout, Application->HintHidePause());
  EXPECT_EQ(w->Caption(), "cell text");
  RECT wr;
  GetWindowRect(w->Handle(), &wr);
  TPoint at = edit->ClientToScreen(TPoint(-1, -2));
  EXPECT_EQ(wr.left, at.X);
  EXPECT_EQ(wr.top, at.Y);
  // Moving inside the cursor rectangle asks nothing; leaving it (still over the edit) asks again,
  // at once with this control's pause of 0.
  seen = {};
  MoveTo(edit, 40, 5);
  EXPECT_EQ(seen.control, nullptr);
  MoveTo(edit, 100, 5);
  EXPECT_EQ(seen.control, edit);
  EXPECT_EQ(seen.cursorPos.X, 100);
  EXPECT_NE(Hints::ShownHintWindow(), nullptr);
  // A non-zero answer shows nothing.
  Hints::CancelHint();
  edit->onHintShow = nullptr;
  edit->SetMessageHandler(CM_HINTSHOW, [](TMessage& M) { M.Result = 1; });
  MoveTo(form, 300, 250);
  MoveTo(edit, 5, 5);
  win::AdvanceAndPump(clock, 600);
  EXPECT_EQ(Hints::ShownHintWindow(), nullptr);
}

TEST_F(HintsTest, AGraphicControlAndAParentWithShowHintGiveTheirHints) {
  auto* label = new TLabel(form);
  label->SetBounds(200, 10, 80, 20);
  label->SetCaption("Name");
  label->SetHint("The name of the client");
  label->SetShowHint(true);
  label->SetParent(form);
  win::PumpMessages();
  MoveTo(label, 5, 5);
  win::AdvanceAndPump(clock, Application->HintPause());
  ASSERT_NE(Hints::ShownHintWindow(), nullptr);
  EXPECT_EQ(Hints::HintControl(), label);
  EXPECT_EQ(Hints::ShownHintWindow()->Caption(), "The name of the client");
  // Moving to another hinted control while a hint shows uses the short pause.
  button->SetHint("Go on");
  button->SetShowHint(true);
  MoveTo(button, 5, 5);
  EXPECT_EQ(Hints::ShownHintWindow(), nullptr);
  win::AdvanceAndPump(clock, Application->HintShortPause());
  ASSERT_NE(Hints::ShownHintWindow(), nullptr);
  EXPECT_EQ(Hints::ShownHintWindow()->Caption(), "Go on");
  // Switched off for the whole program, nothing shows.
  Application->SetShowHint(false);
  EXPECT_EQ(Hints::ShownHintWindow(), nullptr);
  MoveTo(label, 5, 5);
  win::AdvanceAndPump(clock, 1000);
  EXPECT_EQ(Hints::ShownHintWindow(), nullptr);
  Application->SetShowHint(true);
}

// A tool-tip window of a descendant class that takes its font from the hint data, as cell tips do.
class TCellTipWindow : public THintWindow {
  DECLARE_CLASS(TCellTipWindow, THintWindow)
  explicit TCellTipWindow(TComponent* AOwner) : THintWindow(AOwner) {}
  TRect CalcHintRect(int MaxWidth, const std::string& Hint, void* Data) override {
    Canvas()->Font()->Assign(static_cast<TFont*>(Data));
    Canvas()->Font()->SetColor(clWindowText);
    return THintWindow::CalcHintRect(MaxWidth, Hint, Data);
  }
};

TEST_F(HintsTest, TheHintWindowClassAndDataComeFromTheControl) {
  TFont big;
  big.SetSize(20);
  edit->SetHint("x");
  edit->SetShowHint(true);
  edit->onHintShow = [&](THintInfo& I) {
    I.HintStr = "Wide cell text";
    I.HintWindowClass = HintWindowClassOf<TCellTipWindow>();
    I.HintData = &big;
  };
  MoveTo(edit, 5, 5);
  win::AdvanceAndPump(clock, Application->HintPause());
  THintWindow* w = Hints::ShownHintWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_NE(dynamic_cast<TCellTipWindow*>(w), nullptr);
  EXPECT_EQ(w->Font()->Size(), 20) << "shown in the font it was measured in";
  EXPECT_EQ(w->Font()->Color(), clWindowText);
  THintWindow plain(nullptr);
  EXPECT_GT(w->Width(), plain.CalcHintRect(1000, "Wide cell text", nullptr).Width());
}

TEST_F(HintsTest, PressingAnotherControlSendsCancelModeToTheFocusedOne) {
  edit->SetFocus();
  win::PumpMessages();
  TPoint p = button->ClientToScreen(TPoint(5, 5));
  win::Click(p.X, p.Y);
  ASSERT_FALSE(edit->cancelModes.empty());
  EXPECT_EQ(edit->cancelModes.back(), button) << "the message names the pressed control";
}

TEST_F(HintsTest, MessageDialogsOfferExactlyTheButtonsAsked) {
  // Yes, No and All: a dialog of its own, answered by the script.
  dialogs.PushResult(mrAll);
  EXPECT_EQ(MessageDlg("Error while inserting value", mtError, TMsgDlgButtons{mbYes, mbNo, mbAll}), mrAll);
  ASSERT_EQ(dialogs.Requests().size(), 1u);
  const auto& q = dialogs.Requests()[0];
  EXPECT_EQ(q.kind, win::DialogKind::MessageDialog);
  EXPECT_EQ(q.text, "Error while inserting value");
  EXPECT_EQ(q.caption, "Error");
  EXPECT_EQ(q.buttons, (std::vector<int>{mrYes, mrNo, mrAll}));
  EXPECT_EQ(q.defaultButton, mrYes);
  EXPECT_EQ(win::DialogButtonCaption(mrAll), "&All");
  // Without an answer the default button; a cancel answer is No (there is no Cancel).
  EXPECT_EQ(MessageDlg("again", mtError, TMsgDlgButtons{mbYes, mbNo, mbAll}), mrYes);
  dialogs.PushCancel();
  EXPECT_EQ(MessageDlg("again", mtError, TMsgDlgButtons{mbYes, mbNo, mbAll}), mrNo);
  // OK and Cancel is a plain message box.
  dialogs.PushResult(mrCancel);
  EXPECT_EQ(MessageDlg("Delete record?", mtConfirmation, TMsgDlgButtons{mbOK, mbCancel}), mrCancel);
  const auto& box = dialogs.Requests().back();
  EXPECT_EQ(box.kind, win::DialogKind::MessageBox);
  EXPECT_EQ(box.flags & MB_TYPEMASK, static_cast<UINT>(MB_OKCANCEL));
  EXPECT_EQ(box.caption, "Confirm");
  EXPECT_EQ(dialogs.MessageTexts().back(), "Delete record?");
}

}  // namespace
