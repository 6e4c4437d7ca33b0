// Drag and drop between controls: the drag under way holds the mouse through a hidden window of its
// own, finds the control under the mouse, asks it whether it takes the source, shows the cursor that
// says so, and drops or cancels.
#include "platform/controls/dragdrop.h"

#include <cstdlib>
#include <memory>

// The one drag there can be at a time.
struct TDragRun {
  TControl* Source = nullptr;  // nullptr once the source went away
  TDragObject* Object = nullptr;
  std::unique_ptr<TDragObject> Owned;  // the drag's own object (none when the source gave one)
  bool Active = false;                 // the mouse has moved past the threshold (or it was immediate)
  bool Ending = false;                 // dropping or cancelling: the handlers are being told
  TPoint Start;                        // screen point where the drag began
  int Threshold = 0;
  TControl* Target = nullptr;  // the control under the mouse, asked through DragOver
  bool Accepted = false;       // and its answer
  TPoint TargetPos;            // the mouse in the target's client coordinates

  // What targets see as the source: the dragged control itself, or the program's own object.
  TObject* SourceObject() const {
    if (auto* c = dynamic_cast<TDragControlObject*>(Object)) return c->Control();
    return Object;
  }
  // Sets where the drag is (as the object reports it).
  void Place(const TPoint& Screen) {
    Object->FDragPos = Screen;
    Object->FDragTarget = Target;
  }
};

namespace {

std::unique_ptr<TDragRun> gRun;
HWND gDragWnd = nullptr;

void DragWndProc(TMessage& Message);

HWND DragWindow() {
  if (!gDragWnd || !IsWindow(gDragWnd)) {
    DeallocateHWnd(gDragWnd);
    gDragWnd = AllocateHWnd(DragWndProc);
  }
  return gDragWnd;
}

// The control a drop at a screen point would reach: the window there, then a graphic control on it.
TControl* FindDragTarget(const TPoint& Screen) {
  HWND h = WindowFromPoint(POINT{Screen.X, Screen.Y});
  TWinControl* w = nullptr;
  while (h && !(w = TWinControl::FindControl(h))) h = GetParent(h);
  if (!w) return nullptr;
  if (TControl* c = w->ControlAtPos(w->ScreenToClient(Screen), false)) return c;
  return w;
}

// The drag reached Screen: the control left hears it, the one under the mouse decides.
void DragTo(const TPoint& Screen) {
  TDragRun* run = gRun.get();
  TControl* target = FindDragTarget(Screen);
  TObject* source = run->SourceObject();
  TDragState state = dsDragMove;
  if (target != run->Target) {
    if (TControl* left = run->Target) {
      bool ignored = false;
      TPoint p = left->ScreenToClient(Screen);
      left->DragOver(source, p.X, p.Y, dsDragLeave, ignored);
      if (gRun.get() != run || run->Ending) return;
    }
    run->Target = target;
    run->Accepted = false;
    state = dsDragEnter;
  }
  run->TargetPos = target ? target->ScreenToClient(Screen) : TPoint();
  run->Place(Screen);
  if (target) {
    bool accept = false;
    target->DragOver(source, run->TargetPos.X, run->TargetPos.Y, state, accept);
    if (gRun.get() != run || run->Ending) return;
    run->Accepted = accept && run->Target == target;
  }
  ::SetCursor(GetCursorHandle(run->Object->GetDragCursor(run->Accepted, run->TargetPos.X, run->TargetPos.Y)));
}

// The mouse moved to Screen: a waiting drag starts once it is Threshold pixels away from its start.
void MoveTo(const TPoint& Screen) {
  TDragRun* run = gRun.get();
  if (!run->Active) {
    run->Place(Screen);
    if (std::abs(Screen.X - run->Start.X) < run->Threshold && std::abs(Screen.Y - run->Start.Y) < run->Threshold)
      return;
    run->Active = true;
  }
  DragTo(Screen);
}

void DragDone(bool Drop) {
  TDragRun* run = gRun.get();
  if (!run || run->Ending) return;
  run->Ending = true;
  // The mouse goes back to the windows under it first.
  if (GetCapture() == gDragWnd) ReleaseCapture();
  const bool dropped = Drop && run->Active && run->Target && run->Accepted;
  TObject* source = run->SourceObject();
  if (run->Target && !dropped) {
    bool ignored = false;
    run->Target->DragOver(source, run->TargetPos.X, run->TargetPos.Y, dsDragLeave, ignored);
  }
  if (dropped && run->Target) run->Target->DragDrop(source, run->TargetPos.X, run->TargetPos.Y);
  // A source that went away meanwhile hears nothing (its own drag object went with it).
  const bool told = run->Source || !run->Owned;
  TControl* target = dropped ? run->Target : nullptr;
  TPoint pos = target ? run->TargetPos : TPoint();
  if (told && run->Object) run->Object->Finished(target, pos.X, pos.Y, target != nullptr);
  gRun.reset();
  // The cursor of whatever is under the mouse now.
  POINT p;
  GetCursorPos(&p);
  if (HWND under = WindowFromPoint(p))
    SendMessage(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  else
    ::SetCursor(GetCursorHandle(crArrow));
}

TPoint ScreenPoint(const TMessage& Message) {
  POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
  if (gDragWnd) ::ClientToScreen(gDragWnd, &p);
  return TPoint(p.x, p.y);
}

void DragWndProc(TMessage& Message) {
  const bool running = gRun && !gRun->Ending;
  switch (Message.Msg) {
    case WM_MOUSEMOVE:
      if (running) MoveTo(ScreenPoint(Message));
      return;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (!running) return;
      if (gRun->Active) DragTo(ScreenPoint(Message));
      DragDone(true);
      return;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      // The mouse was taken away (a box came up, another window captured it): no drop.
      if (running) DragDone(false);
      return;
    default:
      Message.Result = DefWindowProc(gDragWnd, Message.Msg, Message.WParam, Message.LParam);
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Drag objects

TCursor TDragObject::GetDragCursor(bool Accepted, int, int) { return Accepted ? crDrag : crNoDrop; }

void TDragObject::Finished(TObject*, int, int, bool) {}

TCursor TDragControlObject::GetDragCursor(bool Accepted, int, int) {
  return Accepted ? FControl->DragCursor() : crNoDrop;
}

void TDragControlObject::Finished(TObject* Target, int X, int Y, bool Accepted) {
  if (!Accepted) FControl->DragCanceled();
  FControl->DoEndDrag(Target, X, Y);
}

TMouse* Mouse() {
  static TMouse mouse;
  return &mouse;
}

// ---------------------------------------------------------------------------------------------------
// The drag under way

void CancelDrag() { DragDone(false); }

bool DragInProgress() { return gRun && !gRun->Ending; }

TControl* DragSourceControl() { return gRun ? gRun->Source : nullptr; }

void DragControlGone(TControl* Control) {
  if (!gRun) return;
  if (gRun->Target == Control) {
    gRun->Target = nullptr;
    gRun->Accepted = false;
  }
  if (gRun->Source == Control) {
    gRun->Source = nullptr;
    if (!gRun->Ending) DragDone(false);
  }
}

// ---------------------------------------------------------------------------------------------------
// TControl's side

void TControl::BeginDrag(bool Immediate, int Threshold) {
  if (gRun) return;
  if (Threshold < 0) Threshold = Mouse()->DragThreshold();
  // A press of this control ends here: the mouse belongs to the drag, and its release is no click.
  FControlState.Exclude(csLButtonDown);
  FControlState.Exclude(csClicked);
  if (GetCaptureControl() == this) SetCaptureControl(nullptr);
  gRun = std::make_unique<TDragRun>();
  TDragRun* run = gRun.get();
  run->Source = this;
  run->Threshold = Threshold;
  DWORD pos = GetMessagePos();
  run->Start = TPoint(GET_X_LPARAM(pos), GET_Y_LPARAM(pos));
  TDragObject* object = nullptr;
  DoStartDrag(object);
  if (gRun.get() != run || !run->Source) return;
  if (!object) {
    run->Owned = std::make_unique<TDragControlObject>(this);
    object = run->Owned.get();
  }
  run->Object = object;
  run->Place(run->Start);
  SetCapture(DragWindow());
  if (Immediate) {
    run->Active = true;
    DragTo(run->Start);
  }
}

void TControl::EndDrag(bool Drop) {
  if (Dragging()) DragDone(Drop);
}

bool TControl::Dragging() const { return gRun && !gRun->Ending && gRun->Source == this; }

void TControl::BeginAutoDrag() { BeginDrag(Mouse()->DragImmediate(), Mouse()->DragThreshold()); }

void TControl::DoStartDrag(TDragObject*& DragObject) {
  if (OnStartDrag) OnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
  if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
  Accept = static_cast<bool>(OnDragOver);
  if (OnDragOver) OnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
  if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}
