#pragma once
// Drag and drop between the program's own controls (not with other programs): the object a drag
// carries, the mouse settings that decide when a drag begins, and cancelling the drag under way.
//
// A drag starts with TControl::BeginDrag (or a press on a control whose DragMode is dmAutomatic).
// A non-immediate drag waits until the mouse has moved Threshold pixels from where it began; until
// then nothing is dragged over anything. While it runs the mouse belongs to the drag: the control under
// the mouse (the window manager's hit test, then a graphic control on that window) is asked through
// DragOver whether it accepts the source, and the cursor shows the source's DragCursor (crDrag) where
// it does and crNoDrop elsewhere. Releasing the button drops on an accepting control (DragDrop);
// releasing elsewhere, Esc, or losing the mouse ends the drag without a target. Either way the source
// hears OnEndDrag last, with the target or nullptr.

#include "platform/controls/controls.h"

// What a drag carries. The source control's OnStartDrag may hand in one of its own (not owned by the
// drag; the program frees it); otherwise the drag makes a TDragControlObject for the source.
class TDragObject : public TObject {
  DECLARE_CLASS(TDragObject, TObject)
  TDragObject() = default;
  // The cursor over a control that accepts (Accepted) or refuses the drop: crDrag or crNoDrop.
  virtual TCursor GetDragCursor(bool Accepted, int X, int Y);
  // The drag ended: Target is the control it was dropped on, nullptr when it was not (cancelled or
  // released over no accepting control); (X, Y) in the target's client coordinates.
  virtual void Finished(TObject* Target, int X, int Y, bool Accepted);
  // Where the mouse is (screen) and the control under it, while the drag runs.
  TPoint DragPos() const { return FDragPos; }
  TControl* DragTarget() const { return FDragTarget; }

 private:
  friend struct TDragRun;
  TPoint FDragPos;
  TControl* FDragTarget = nullptr;
};

// The drag of a control: targets see the control itself as the source.
class TDragControlObject : public TDragObject {
  DECLARE_CLASS(TDragControlObject, TDragObject)
  explicit TDragControlObject(TControl* AControl) : FControl(AControl) {}
  TControl* Control() const { return FControl; }
  // The control's DragCursor where accepted.
  TCursor GetDragCursor(bool Accepted, int X, int Y) override;
  // Tells the control: DragCanceled when nothing took the drop, then its OnEndDrag.
  void Finished(TObject* Target, int X, int Y, bool Accepted) override;

 private:
  TControl* FControl;
};

// The mouse settings of the class library: whether a press on a dmAutomatic control drags at once,
// and how far the mouse moves before a drag that is not immediate starts.
class TMouse {
 public:
  bool DragImmediate() const { return FDragImmediate; }
  void SetDragImmediate(bool Value) { FDragImmediate = Value; }
  int DragThreshold() const { return FDragThreshold; }
  void SetDragThreshold(int Value) { FDragThreshold = Value; }

 private:
  bool FDragImmediate = true;
  int FDragThreshold = 5;
};
TMouse* Mouse();

// Ends the drag under way, if any, without a drop (as Esc does).
void CancelDrag();
// A drag has begun (also one still waiting for its threshold).
bool DragInProgress();
// The source of the drag under way, or nullptr.
TControl* DragSourceControl();
// A control goes away: a drag it is the source of ends, and it is no longer a target.
void DragControlGone(TControl* Control);
