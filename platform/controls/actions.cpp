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

namespace {

bool Offer(TControl* Control, UINT Msg, TBasicAction* Action) {
  return Control->Perform(Msg, 0, reinterpret_cast<LPARAM>(Action)) != 0;
}

// Every visible control inside Parent (Skip aside), depth first.
bool OfferInside(TWinControl* Parent, TControl* Skip, UINT Msg, TBasicAction* Action) {
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* c = Parent->Controls(i);
    if (!c->Visible()) continue;
    if (c != Skip && Offer(c, Msg, Action)) return true;
    if (auto* w = dynamic_cast<TWinControl*>(c); w && OfferInside(w, Skip, Msg, Action)) return true;
  }
  return false;
}

// The focused control decides first; then the window it is on (the form) and every visible control
// there, so that a data-set action run from a button reaches the data-aware control that offers its
// data source.
bool DispatchAction(UINT Msg, TBasicAction* Action) {
  TWinControl* focused = FocusedControl();
  if (focused && Offer(focused, Msg, Action)) return true;
  TWinControl* top = focused;
  if (!top) {
    for (HWND h = GetActiveWindow(); h && !top; h = GetParent(h)) top = TWinControl::FindControl(h);
  }
  if (!top) return false;
  while (top->Parent()) top = top->Parent();
  if (!top->Showing()) return false;
  if (top != focused && Offer(top, Msg, Action)) return true;
  return OfferInside(top, focused, Msg, Action);
}

}  // namespace

bool TBasicAction::Execute() {
  if (OnExecute) {
    OnExecute(this);
    return true;
  }
  return DispatchAction(CM_ACTIONEXECUTE, this);
}

bool TAction::Execute() {
  Update();
  if (!FEnabled) return false;
  return TBasicAction::Execute();
}

bool TBasicAction::Update() {
  if (OnUpdate) {
    OnUpdate(this);
    return true;
  }
  return DispatchAction(CM_ACTIONUPDATE, this);
}

bool ExecuteActionOn(TBasicAction* Action, TObject* Target) {
  if (!Action || !Target || !Action->HandlesTarget(Target)) return false;
  Action->ExecuteTarget(Target);
  return true;
}

bool UpdateActionOn(TBasicAction* Action, TObject* Target) {
  if (!Action || !Target || !Action->HandlesTarget(Target)) return false;
  Action->UpdateTarget(Target);
  return true;
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
