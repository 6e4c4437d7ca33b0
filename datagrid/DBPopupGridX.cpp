#include "datagrid/DBPopupGridX.h"

#include <algorithm>

#include "dataedit/ToolCtrlsX.h"

TPopupDataGridX::TPopupDataGridX(TComponent* AOwner) : TDBLookupGridX(AOwner) {
  FControlStyle.Include(csNoDesignVisible);
  SetNeverFocuses(true);
  FSizeGrip = new TSizeGripX(this);
  FSizeGrip->SetParent(this);
  FSizeGrip->SetTriangular(true);
  SetShowHint(true);
  SetVisible(false);
}

TPopupDataGridX::~TPopupDataGridX() = default;

void TPopupDataGridX::CreateParams(TCreateParams& Params) {
  TDBLookupGridX::CreateParams(Params);
  // A top-level tool window. The list's scroll bars stay: on this platform a window shows only the
  // bars its style names.
  DWORD bars = Params.Style & (WS_VSCROLL | WS_HSCROLL);
  Params.Style = WS_POPUP | WS_CLIPCHILDREN | bars;
  if (!FCtl3D) Params.Style |= WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW;
  AddBiDiModeExStyle(Params.ExStyle);
  Params.WindowClassStyle = CS_SAVEBITS | CS_HREDRAW;
  Params.WndParent = nullptr;
}

bool TPopupDataGridX::LimitNewSize(int& AWidth, int& AHeight) {
  AWidth = std::max(AWidth, GetSystemMetrics(SM_CXVSCROLL));
  AHeight = std::max(AHeight, GetSystemMetrics(SM_CYVSCROLL));
  return true;
}

void TPopupDataGridX::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if ((AWidth != Width() || AHeight != Height()) && !IsLoading() && !(ComponentState().Contains(csDestroying)))
    LimitNewSize(AWidth, AHeight);
  TDBLookupGridX::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TPopupDataGridX::KeyValueChanged() {
  TDBLookupGridX::KeyValueChanged();
  if (OnKeyValueChangedByUser && FInUserAction) OnKeyValueChangedByUser(this);
}

void TPopupDataGridX::UserKeyDown(WORD& Key, TShiftState Shift) { KeyDown(Key, Shift); }
void TPopupDataGridX::UserKeyPress(WideChar& Key) { KeyPress(Key); }

void TPopupDataGridX::KeyDown(WORD& Key, TShiftState Shift) {
  UserAction u(this);
  TDBLookupGridX::KeyDown(Key, Shift);
}

void TPopupDataGridX::KeyPress(WideChar& Key) {
  UserAction u(this);
  TDBLookupGridX::KeyPress(Key);
}

void TPopupDataGridX::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  UserAction u(this);
  TDBLookupGridX::MouseDown(Button, Shift, X, Y);
}

void TPopupDataGridX::MouseMove(TShiftState Shift, int X, int Y) {
  {
    UserAction u(this);
    TDBLookupGridX::MouseMove(Shift, X, Y);
  }
  // The choice follows the hovering pointer.
  bool button = Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle);
  if (!button && !LookupLink()->ReadOnly() && X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight()) {
    UserAction u(this);
    SelectRecordAt(X, Y);
  }
}

void TPopupDataGridX::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGridState before = GridState();
  {
    UserAction u(this);
    TDBLookupGridX::MouseUp(Button, Shift, X, Y);
  }
  if (before != gsNormal || !OnPickByMouse) return;
  bool inside = X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight();
  if (!inside) {
    // Outside the whole window (the frame and scroll bars count as inside).
    TPoint p = ClientToScreen(TPoint(X, Y));
    RECT wr{};
    GetWindowRect(Handle(), &wr);
    if (p.X < wr.left || p.X >= wr.right || p.Y < wr.top || p.Y >= wr.bottom) OnPickByMouse(this, false);
    return;
  }
  int c = 0, r = -1;
  MouseToCell(X, Y, c, r);
  bool onSpec = SpecGridRow() >= 0 && r == SpecGridRow();
  bool onData = r >= TitleOffset() && DataLink()->Active() && r - TitleOffset() < DataLink()->RecordCount() &&
                c >= FixedCols();
  if (onSpec || onData) OnPickByMouse(this, true);
}

void TPopupDataGridX::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_DROPDOWNSIDE:
      FSizeGrip->ShiftToSide(static_cast<int>(Message.WParam));
      Message.Result = 0;
      return;
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_MOUSEACTIVATE:
      Message.Result = MA_NOACTIVATE;
      return;
    case CM_CTL3DCHANGED:
      TDBLookupGridX::Dispatch(Message);
      if (HandleAllocated()) RecreateWnd();
      return;
    case WM_NCCALCSIZE:
      TDBLookupGridX::Dispatch(Message);
      if (FCtl3D)
        if (auto* R = reinterpret_cast<RECT*>(Message.LParam)) InflateRect(R, -1, -1);
      return;
    case WM_NCPAINT:
      TDBLookupGridX::Dispatch(Message);
      if (FCtl3D && HandleAllocated()) {
        HDC DC = GetWindowDC(Handle());
        RECT WR;
        GetWindowRect(Handle(), &WR);
        RECT R{0, 0, WR.right - WR.left, WR.bottom - WR.top};
        DrawEdge(DC, &R, BDR_RAISEDOUTER, BF_RECT);
        ReleaseDC(Handle(), DC);
      }
      return;
    default:
      break;
  }
  TDBLookupGridX::Dispatch(Message);
  if (Message.Msg == WM_SIZE) {
    FSizeGrip->MoveToCorner();
    FWasResized = true;
  }
}
