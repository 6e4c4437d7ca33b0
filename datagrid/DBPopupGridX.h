#pragma once
// The pop-up data grid: the lookup grid shown as a borderless tool window that drops down under an
// edit control (the lookup combo box, or a grid cell). It never takes the focus and never activates
// its window, so typing stays in the control that dropped it; the row under the hovering mouse is
// chosen as the pointer moves, a mouse release on a row reports a pick to the owner (a release
// outside the window reports a cancel), and a size grip sits in the corner away from the control.

#include <functional>

#include "datagrid/DBLookupGridX.h"
#include "dataedit/PopupsX.h"

class TPopupDataGridX : public TDBLookupGridX {
  DECLARE_CLASS(TPopupDataGridX, TDBLookupGridX)
  explicit TPopupDataGridX(TComponent* AOwner);
  ~TPopupDataGridX() override;

  using TPickByMouseEventX = std::function<void(TObject* Sender, bool Accept)>;
  // Called when a mouse button is released: Accept for a row, not for a point outside the window.
  TPickByMouseEventX OnPickByMouse;
  // Called when the key value changed through the user's keys or mouse.
  TNotifyEvent OnKeyValueChangedByUser;

  TSizeGripX* SizeGrip() const { return FSizeGrip; }
  bool WasResized() const { return FWasResized; }
  void SetWasResized(bool Value) { FWasResized = Value; }
  bool InUserAction() const { return FInUserAction; }
  // Ctl3D: a raised outer edge around the window, else a single line (WS_BORDER); a change makes the
  // window again. The owner gives the list its own BiDiMode when it drops it down: the list has no
  // parent to follow.

  bool CanFocus() const override { return false; }
  // Never smaller than a scroll bar's arrow box; always true.
  virtual bool LimitNewSize(int& AWidth, int& AHeight);
  void KeyValueChanged() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // The key handling of the lookup grid, entered by the owner for the keys it passes on.
  void UserKeyDown(WORD& Key, TShiftState Shift);
  void UserKeyPress(WideChar& Key);
  void UserKeyUp(WORD& Key, TShiftState Shift) { KeyUp(Key, Shift); }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(WideChar& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  struct UserAction {
    TPopupDataGridX* G;
    bool Old;
    explicit UserAction(TPopupDataGridX* AG) : G(AG), Old(AG->FInUserAction) { G->FInUserAction = true; }
    ~UserAction() { G->FInUserAction = Old; }
  };
  TSizeGripX* FSizeGrip = nullptr;  // owned as a child component
  bool FWasResized = false;
  bool FInUserAction = false;
};
