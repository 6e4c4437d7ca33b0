#pragma once
// Actions: a command object (caption, enabled state, OnExecute/OnUpdate) that menus and buttons share,
// and the standard edit actions (copy, cut, paste, select all, delete) whose target is the control
// that has the focus.
//
// An action without its own OnExecute or OnUpdate is offered to the focused control, then to the
// window it is on (the form, or the active one when nothing has the focus) and every visible control
// there: Execute sends CM_ACTIONEXECUTE and Update CM_ACTIONUPDATE, with the action in LParam; the
// first control that handles the action answers non-zero. Controls that know the edit actions
// recognise them by their class (TEditCopy...), so an edit action of any caption reaches them; they
// take them only while they have the focus. The data-set actions (platform/dbactns) reach the data
// source a data-aware control offers.

#include <string>

#include "platform/controls/controls.h"

constexpr UINT CM_ACTIONUPDATE = CM_BASE + 63;   // $B03F
constexpr UINT CM_ACTIONEXECUTE = CM_BASE + 64;  // $B040

class TBasicAction : public TComponent {
  DECLARE_CLASS(TBasicAction, TComponent)
  explicit TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

  // OnExecute when assigned, else the focused control; true when something handled it.
  virtual bool Execute();
  // OnUpdate when assigned, else the focused control; true when something handled it.
  virtual bool Update();
  // Whether the action can act on Target (edit actions: a focused windowed control).
  virtual bool HandlesTarget(TObject* Target) { (void)Target; return false; }
  // Acts on (sets the state for) a target that HandlesTarget accepted; a control or a data link offers
  // itself this way when it takes the action on its own behalf.
  virtual void ExecuteTarget(TObject* Target) { (void)Target; }
  virtual void UpdateTarget(TObject* Target) { (void)Target; }

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;
};

class TAction : public TBasicAction {
  DECLARE_CLASS(TAction, TBasicAction)
  explicit TAction(TComponent* AOwner) : TBasicAction(AOwner) {}
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  // Updates first, so that the state is that of now; a disabled action then runs nothing and answers
  // false.
  bool Execute() override;
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value) { FCaption = Value; }

 private:
  bool FEnabled = true;
  std::string FCaption;
};

// Edit actions act on the focused control; the control decides what copy, cut... mean for it.
class TEditAction : public TAction {
  DECLARE_CLASS(TEditAction, TAction)
  explicit TEditAction(TComponent* AOwner) : TAction(AOwner) {}
  bool HandlesTarget(TObject* Target) override;
  // On a text edit: copy, cut, paste, select all or delete its selection. Other targets decide for
  // themselves (CM_ACTIONEXECUTE), so nothing happens here for them.
  void ExecuteTarget(TObject* Target) override;
  // On a text edit: enabled when there is something to act on (a selection to copy, cut or delete, text
  // on the clipboard, text to select) and, for changes, the edit is not read-only.
  void UpdateTarget(TObject* Target) override;
};

class TEditCopy : public TEditAction {
  DECLARE_CLASS(TEditCopy, TEditAction)
  explicit TEditCopy(TComponent* AOwner);
};
class TEditCut : public TEditAction {
  DECLARE_CLASS(TEditCut, TEditAction)
  explicit TEditCut(TComponent* AOwner);
};
class TEditPaste : public TEditAction {
  DECLARE_CLASS(TEditPaste, TEditAction)
  explicit TEditPaste(TComponent* AOwner);
};
class TEditSelectAll : public TEditAction {
  DECLARE_CLASS(TEditSelectAll, TEditAction)
  explicit TEditSelectAll(TComponent* AOwner);
};
class TEditDelete : public TEditAction {
  DECLARE_CLASS(TEditDelete, TEditAction)
  explicit TEditDelete(TComponent* AOwner);
};

// The control that has the keyboard focus, or nullptr.
TWinControl* FocusedControl();

// Offers Action the object a control stands for (a data link its data source): when the action
// handles Target it runs on it (or, updating, takes its state from it); true when it did.
bool ExecuteActionOn(TBasicAction* Action, TObject* Target);
bool UpdateActionOn(TBasicAction* Action, TObject* Target);
