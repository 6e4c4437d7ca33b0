#include "datagrid/DBPopupGridX.h"

#include "dataedit/VarValuesX.h"

// ---------------------------------------------------------------------------------------------------
// Pop-up data grid

TPopupDataGridX::TPopupDataGridX(TComponent* AOwner) : TDBLookupGridX(AOwner) {
  FSizeGrip = new TSizeGripX(this);
  FSizeGrip->SetParent(this);
  FSizeGrip->SetTriangular(true);
  SetVisible(false);
}

void TPopupDataGridX::CreateParams(TCreateParams& Params) {
  TDBLookupGridX::CreateParams(Params);
  Params.Style = WS_POPUP | WS_CLIPCHILDREN | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WindowClassStyle = CS_SAVEBITS | CS_HREDRAW;
  Params.WndParent = nullptr;
}

void TPopupDataGridX::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEACTIVATE:
      Message.Result = MA_NOACTIVATE;
      return;
    case WM_DROPDOWNSIDE:
      FSizeGrip->ShiftToSide(static_cast<int>(Message.WParam));
      return;
    case WM_SIZE:
      TDBLookupGridX::Dispatch(Message);
      FSizeGrip->MoveToCorner();
      FWasResized = true;
      return;
    default:
      TDBLookupGridX::Dispatch(Message);
  }
}

void TPopupDataGridX::MouseDown(TMouseButton, TShiftState, int, int) {
  // The pop-up never takes the focus and picks on release.
}

void TPopupDataGridX::MouseMove(TShiftState Shift, int X, int Y) {
  if (Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle)) return;
  TGridCoord c = MouseCoord(X, Y);
  Variant before = KeyValue();
  if (c.Y >= 0 && SelectRecordAtRow(c.Y) && !VarValuesEqual(before, KeyValue())) KeyValueChangedByUser();
}

void TPopupDataGridX::MouseUp(TMouseButton, TShiftState, int X, int Y) {
  if (GridState() != gsNormal) return;
  bool inside = X >= 0 && Y >= 0 && X < Width() && Y < Height();
  if (!inside) {
    if (OnPickByMouse) OnPickByMouse(this, false);
    return;
  }
  TGridCoord c = MouseCoord(X, Y);
  if (c.Y >= 0 && SelectRecordAtRow(c.Y) && OnPickByMouse) OnPickByMouse(this, true);
}
