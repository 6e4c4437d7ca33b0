#pragma once
// The pop-up data grid: the lookup grid shown as a borderless tool window that drops down under an
// edit control (a grid cell, or the lookup combo box). It never takes the focus and never activates
// its window; the row under the hovering mouse is chosen as the pointer moves, a mouse release on a row
// reports a pick to the owner (a release outside the window reports a cancel), and a size grip sits in
// a corner.
//
// Filled in by the lookup grid work (see DBLookupGridX.h).

#include <functional>

#include "datagrid/DBLookupGridX.h"
#include "dataedit/PopupsX.h"

class TPopupDataGridX : public TDBLookupGridX {
  DECLARE_CLASS(TPopupDataGridX, TDBLookupGridX)
  explicit TPopupDataGridX(TComponent* AOwner);

  using TPickByMouseEventX = std::function<void(TObject* Sender, bool Accept)>;
  // (Sender, Accept): a mouse button was released inside on a record (True) or outside (False).
  TPickByMouseEventX OnPickByMouse;
  // The user moved to another record (keys or mouse).
  TNotifyEvent OnKeyValueChangedByUser;

  bool CanFocus() const override { return false; }
  // Shown, it marks its current row as a focused list does (it never takes the focus itself).
  bool HasFocusInside() override { return Visible(); }
  TSizeGripX* SizeGrip() const { return FSizeGrip; }
  bool WasResized() const { return FWasResized; }
  void SetWasResized(bool Value) { FWasResized = Value; }
  // The key handling of the list, entered by the owner for the keys it passes on.
  void UserKeyDown(WORD& Key, TShiftState Shift) { KeyDown(Key, Shift); }
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyValueChangedByUser() override {
    if (OnKeyValueChangedByUser) OnKeyValueChangedByUser(this);
  }

 private:
  TSizeGripX* FSizeGrip;
  bool FWasResized = false;
};
