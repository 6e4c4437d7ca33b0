// Actions on the data-aware controls: each control answers first (an edit takes the edit actions while
// it has the focus), then its data link offers the action to the data source (data-set actions).
#include "dataedit/DBCtrlsX.h"
#include "dataedit/DBCtrlsX_checkbox.h"
#include "dataedit/DBCtrlsX_combo.h"
#include "dataedit/DBCtrlsX_edit.h"
#include "platform/controls/actions.h"

namespace {

// Whether Control takes Action itself: the edit actions act on the text edit that has the focus only
// (another control, or an edit without the focus, leaves them to whoever comes next); any other action
// decides by its own HandlesTarget.
bool ControlTakesAction(TWinControl* Control, TBasicAction* Action) {
  if (dynamic_cast<TEditAction*>(Action))
    return dynamic_cast<TCustomEdit*>(Control) && Control->Focused() && Action->HandlesTarget(Control);
  return Action->HandlesTarget(Control);
}

// The edit actions that change the text.
bool ChangesText(TBasicAction* Action) {
  return dynamic_cast<TEditCut*>(Action) || dynamic_cast<TEditPaste*>(Action) ||
         dynamic_cast<TEditDelete*>(Action);
}

}  // namespace

bool TFieldDataLinkX::ExecuteAction(TBasicAction* Action) { return ExecuteActionOn(Action, DataSource()); }

bool TFieldDataLinkX::UpdateAction(TBasicAction* Action) { return UpdateActionOn(Action, DataSource()); }

bool TCustomDBEditX::CanChangeText() {
  if (ReadOnly()) return false;
  if (FInplaceIntf && !FInplaceIntf->EditorCanModify(this)) return false;
  return FDataLink->CanModify() || static_cast<bool>(OnUpdateData);
}

bool TCustomDBEditX::ExecuteAction(TBasicAction* Action) {
  if (!Action) return false;
  if (ControlTakesAction(this, Action)) {
    Action->ExecuteTarget(this);
    return true;
  }
  return FDataLink->ExecuteAction(Action);
}

bool TCustomDBEditX::UpdateAction(TBasicAction* Action) {
  if (!Action) return false;
  if (ControlTakesAction(this, Action)) {
    Action->UpdateTarget(this);
    // The window is read-only while the data set browses, yet a change starts editing: whether the
    // text may change is the edit's own rule, not the window's.
    if (ChangesText(Action) && !CanChangeText())
      if (auto* A = dynamic_cast<TAction*>(Action)) A->SetEnabled(false);
    return true;
  }
  return FDataLink->UpdateAction(Action);
}

bool TCustomDBCheckBoxX::ExecuteAction(TBasicAction* Action) {
  if (!Action) return false;
  if (ControlTakesAction(this, Action)) {
    Action->ExecuteTarget(this);
    return true;
  }
  return FDataLink->ExecuteAction(Action);
}

bool TCustomDBCheckBoxX::UpdateAction(TBasicAction* Action) {
  if (!Action) return false;
  if (ControlTakesAction(this, Action)) {
    Action->UpdateTarget(this);
    return true;
  }
  return FDataLink->UpdateAction(Action);
}

bool TCustomDBComboBoxX::ExecuteAction(TBasicAction* Action) {
  const bool Fixed = Action && FKeyBased && (dynamic_cast<TEditCut*>(Action) || dynamic_cast<TEditDelete*>(Action));
  if (Fixed && ControlTakesAction(this, Action)) return true;
  return TCustomDBEditX::ExecuteAction(Action);
}

bool TCustomDBComboBoxX::UpdateAction(TBasicAction* Action) {
  if (!TCustomDBEditX::UpdateAction(Action)) return false;
  const bool Fixed = FKeyBased && (dynamic_cast<TEditCut*>(Action) || dynamic_cast<TEditDelete*>(Action));
  if (Fixed && ControlTakesAction(this, Action))
    if (auto* A = dynamic_cast<TAction*>(Action)) A->SetEnabled(false);
  return true;
}
