// Actions and the standard edit actions: execution and update routed to the focused control.
#include "platform/controls/actions.h"

TWinControl* FocusedControl() {
  HWND h = GetFocus();
  // The focus may sit in a control's own child window (an in-place editor): walk up to a control.
  while (h) {
    if (TWinControl* c = TWinControl::FindControl(h)) return c;
    h = GetParent(h);
  }
  return nullptr;
}

bool TBasicAction::Execute() {
  if (OnExecute) {
    OnExecute(this);
    return true;
  }
  TWinControl* c = FocusedControl();
  return c && HandlesTarget(c) && c->Perform(CM_ACTIONEXECUTE, 0, reinterpret_cast<LPARAM>(this)) != 0;
}

bool TBasicAction::Update() {
  if (OnUpdate) {
    OnUpdate(this);
    return true;
  }
  TWinControl* c = FocusedControl();
  return c && HandlesTarget(c) && c->Perform(CM_ACTIONUPDATE, 0, reinterpret_cast<LPARAM>(this)) != 0;
}

bool TEditAction::HandlesTarget(TObject* Target) {
  auto* c = dynamic_cast<TWinControl*>(Target);
  return c && c->HandleAllocated();
}

TEditCopy::TEditCopy(TComponent* AOwner) : TEditAction(AOwner) { SetCaption("&Copy"); }
TEditCut::TEditCut(TComponent* AOwner) : TEditAction(AOwner) { SetCaption("Cu&t"); }
TEditPaste::TEditPaste(TComponent* AOwner) : TEditAction(AOwner) { SetCaption("&Paste"); }
TEditSelectAll::TEditSelectAll(TComponent* AOwner) : TEditAction(AOwner) { SetCaption("Select &All"); }
TEditDelete::TEditDelete(TComponent* AOwner) : TEditAction(AOwner) { SetCaption("&Delete"); }
