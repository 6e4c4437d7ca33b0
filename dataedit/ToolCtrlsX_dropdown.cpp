// Drop-down placement against the monitor's work area and the size grip's geometry.
#include <algorithm>

#include "dataedit/ToolCtrlsX.h"
#include "platform/controls/controls.h"

TDropDownPlacement PlaceDropDown(const RECT& R, const RECT& Work, int Width, int Height, TDropDownAlign Align,
                                 int MinHeight) {
  TDropDownPlacement P;
  P.Width = Width;
  P.Height = Height;
  const int H = Height;
  const bool FitsBelow = Work.bottom >= R.bottom + H;
  const bool FitsAbove = R.top - H >= Work.top;
  const bool Above = (!FitsBelow && FitsAbove) || (!FitsAbove && !FitsBelow && Work.bottom - R.bottom < R.top - Work.top);
  // Even a squeezed drop-down keeps one row: a height of 0 or less would show nothing to pick.
  const int Floor = std::max(1, MinHeight);
  if (Above) {
    if (R.top - H < Work.top) P.Height = R.top - Work.top;
    P.Height = std::max(P.Height, Floor);
    P.Pos.y = R.top - P.Height;
    P.VertSide = 2;
  } else {
    if (Work.bottom < R.bottom + H) P.Height = Work.bottom - R.bottom;
    P.Height = std::max(P.Height, Floor);
    P.Pos.y = R.bottom;
    P.VertSide = 3;
  }
  const int RW = R.right - R.left;
  if (Align == daLeft) P.Pos.x = R.left;
  else if (Align == daRight) P.Pos.x = R.right - P.Width;
  else P.Pos.x = R.left - (P.Width - RW) / 2;
  if (Work.right - Work.left < P.Width) P.Width = Work.right - Work.left;
  if (P.Pos.x + P.Width > Work.right) {
    P.Pos.x = Work.right - P.Width;
    P.HorzSide = 0;
  } else if (P.Pos.x < Work.left) {
    P.Pos.x = Work.left;
    P.HorzSide = 1;
  } else {
    P.HorzSide = Align == daRight ? 0 : 1;
  }
  return P;
}

void PositionDropDownAtRect(const RECT& Rect, TWinControl* DropDown, TDropDownAlign Align, POINT& Pos, int MinHeight) {
  MONITORINFO Info;
  HMONITOR M = MonitorFromRect(&Rect, MONITOR_DEFAULTTONEAREST);
  if (!GetMonitorInfo(M, &Info)) SystemParametersInfo(SPI_GETWORKAREA, 0, &Info.rcWork, 0);
  TDropDownPlacement P =
      PlaceDropDown(Rect, Info.rcWork, DropDown->Width(), DropDown->Height(), Align, MinHeight);
  DropDown->SetBounds(DropDown->Left(), DropDown->Top(), P.Width, P.Height);
  HWND Wnd = DropDown->Handle();
  SendMessage(Wnd, WM_DROPDOWNSIDE, P.VertSide, 0);
  SendMessage(Wnd, WM_DROPDOWNSIDE, P.HorzSide, 0);
  Pos = P.Pos;
}

void PositionDropDownWindow(TControl* EditControl, TWinControl* DropDown, TDropDownAlign Align, POINT& Pos,
                            int MinHeight) {
  TPoint TL(EditControl->Left(), EditControl->Top());
  if (EditControl->Parent()) TL = EditControl->Parent()->ClientToScreen(TL);
  RECT R{TL.X, TL.Y, TL.X + EditControl->Width(), TL.Y + EditControl->Height()};
  PositionDropDownAtRect(R, DropDown, Align, Pos, MinHeight);
}

void HideDropDownWindow(TWinControl* DropDown, TWinControl* Owner) {
  if (HWND Cap = GetCapture()) SendMessage(Cap, WM_CANCELMODE, 0, 0);
  const bool HadFocus = DropDown->HandleAllocated() && GetFocus() == DropDown->Handle();
  SetWindowPos(DropDown->Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  DropDown->SetVisible(false);
  if (HadFocus && Owner->HandleAllocated()) ::SetFocus(Owner->Handle());
}

int GripCornerForSide(int Corner, int Side) {
  switch (Side) {
    case 0: return Corner == 1 ? 0 : Corner == 2 ? 3 : Corner;
    case 1: return Corner == 0 ? 1 : Corner == 3 ? 2 : Corner;
    case 2: return Corner == 2 ? 1 : Corner == 3 ? 0 : Corner;
    case 3: return Corner == 1 ? 2 : Corner == 0 ? 3 : Corner;
    default: return Corner;
  }
}

std::vector<POINT> GripTriangle(int Corner, int W, int H) {
  switch (Corner) {
    case 0: return {{W - 1, 0}, {0, 0}, {0, H - 1}};
    case 1: return {{W, H - 1}, {W, 0}, {1, 0}};
    case 3: return {{W, H}, {0, H}, {0, 0}};
    default: return {{0, H}, {W, H}, {W, 0}};
  }
}

RECT GripDragBounds(int Corner, const TGripDragStart& S, POINT Mouse, const RECT& Work, int MinClientWidth,
                    int MinClientHeight) {
  RECT B = S.Bounds;
  const int FrameW = (S.Bounds.right - S.Bounds.left) - S.ClientWidth;
  const int FrameH = (S.Bounds.bottom - S.Bounds.top) - S.ClientHeight;
  const int MinW = FrameW + std::max(0, MinClientWidth), MinH = FrameH + std::max(0, MinClientHeight);
  if (Corner == 1 || Corner == 2) {
    int W = FrameW + S.ClientWidth + (Mouse.x - S.Mouse.x);
    if (B.left + W > Work.right) W = Work.right - B.left;
    B.right = B.left + std::max(W, MinW);
  } else {
    int W = (S.Bounds.right - S.Bounds.left) + (S.Mouse.x - Mouse.x);
    if (S.Bounds.right - W < Work.left) W = S.Bounds.right - Work.left;
    W = std::max(W, MinW);
    B.left = S.Bounds.right - W;
  }
  if (Corner == 2 || Corner == 3) {
    int H = FrameH + S.ClientHeight + (Mouse.y - S.Mouse.y);
    if (B.top + H > Work.bottom) H = Work.bottom - B.top;
    B.bottom = B.top + std::max(H, MinH);
  } else {
    int H = (S.Bounds.bottom - S.Bounds.top) + (S.Mouse.y - Mouse.y);
    if (S.Bounds.bottom - H < Work.top) H = S.Bounds.bottom - Work.top;
    H = std::max(H, MinH);
    B.top = S.Bounds.bottom - H;
  }
  return B;
}
