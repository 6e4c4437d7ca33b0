// Actions and the standard edit actions: execution and update routed to the focused control.
#include "platform/controls/actions.h"

#include "platform/controls/edits.h"
#include "platform/graphics/clipbrd.h"

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
  // The control decides: it may act on the action itself or hand it on (to its data, say).
  return c && c->Perform(CM_ACTIONEXECUTE, 0, reinterpret_cast<LPARAM>(this)) != 0;
}

bool TBasicAction::Update() {
  if (OnUpdate) {
    OnUpdate(this);
    return true;
  }
  TWinControl* c = FocusedControl();
  // The control decides: it may act on the action itself or hand it on (to its data, say).
  return c && c->Perform(CM_ACTIONUPDATE, 0, reinterpret_cast<LPARAM>(this)) != 0;
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

void TEditAction::ExecuteTarget(TObject* Target) {
  auto* e = dynamic_cast<TCustomEdit*>(Target);
  if (!e) return;
  if (dynamic_cast<TEditCopy*>(this)) e->CopyToClipboard();
  else if (dynamic_cast<TEditCut*>(this)) e->CutToClipboard();
  else if (dynamic_cast<TEditPaste*>(this)) e->PasteFromClipboard();
  else if (dynamic_cast<TEditSelectAll*>(this)) e->SelectAll();
  else if (dynamic_cast<TEditDelete*>(this)) e->ClearSelection();
}

void TEditAction::UpdateTarget(TObject* Target) {
  auto* e = dynamic_cast<TCustomEdit*>(Target);
  if (!e) return;
  const bool sel = e->SelLength() > 0;
  const bool secret = e->PasswordChar() != 0;  // a password never leaves the edit
  if (dynamic_cast<TEditCopy*>(this)) {
    SetEnabled(sel && !secret);
  } else if (dynamic_cast<TEditCut*>(this)) {
    SetEnabled(sel && !secret && !e->ReadOnly());
  } else if (dynamic_cast<TEditPaste*>(this)) {
    TClipboard* c = Clipboard();
    SetEnabled(!e->ReadOnly() && (c->HasFormat(CF_TEXT) || c->HasFormat(CF_UNICODETEXT)));
  } else if (dynamic_cast<TEditSelectAll*>(this)) {
    SetEnabled(!e->Text().empty());
  } else if (dynamic_cast<TEditDelete*>(this)) {
    SetEnabled(sel && !e->ReadOnly());
  }
}
