#include "dataedit/PopupsX.h"

#include <algorithm>
#include <functional>

#include "platform/controls/themes.h"
#include "platform/rtl/sysutils.h"

// ---------------------------------------------------------------------------------------------------
// TSizeGripX

TSizeGripX::TSizeGripX(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYVSCROLL));
  SetColor(clBtnFace);
  SetCursor(crSizeNWSE);
}

void TSizeGripX::CreateWnd() {
  TCustomControl::CreateWnd();
  UpdateShape();
}

void TSizeGripX::UpdateShape() {
  if (!HandleAllocated()) return;
  if (FTriangular) {
    std::vector<POINT> T = GripTriangle(FCorner, Width(), Height());
    SetWindowRgn(Handle(), CreatePolygonRgn(T.data(), 3, WINDING), TRUE);
  } else {
    SetWindowRgn(Handle(), nullptr, TRUE);
  }
  MoveToCorner();
  SetCursor(FCorner == 0 || FCorner == 2 ? crSizeNWSE : crSizeNESW);
}

void TSizeGripX::SetCorner(int Value) {
  if (Value == FCorner || Value < 0 || Value > 3) return;
  FCorner = Value;
  UpdateShape();
  MoveToCorner();
  Invalidate();
}

void TSizeGripX::SetTriangular(bool Value) {
  if (Value == FTriangular) return;
  FTriangular = Value;
  UpdateShape();
  Invalidate();
}

void TSizeGripX::MoveToCorner() {
  if (!Parent()) return;
  const int CW = Parent()->ClientWidth(), CH = Parent()->ClientHeight();
  const int X = (FCorner == 1 || FCorner == 2) ? CW - Width() : 0;
  const int Y = (FCorner == 2 || FCorner == 3) ? CH - Height() : 0;
  FInternalMove = true;
  SetBounds(X, Y, Width(), Height());
  FInternalMove = false;
}

void TSizeGripX::Dispatch(TMessage& Message) {
  TCustomControl::Dispatch(Message);
  if (Message.Msg == WM_MOVE && !FInternalMove && HandleAllocated()) MoveToCorner();
}

void TSizeGripX::SetGripVisible(bool Value) {
  if (HandleAllocated()) ShowWindow(Handle(), Value ? SW_SHOW : SW_HIDE);
}

void TSizeGripX::Paint() {
  const int W = Width(), H = Height();
  TCanvas* C = Canvas();
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(TRect(0, 0, W, H));
  const COLORREF Colors[4] = {GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW),
                              GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE)};
  HDC DC = C->Handle();
  // Lines parallel to the long side; t is the distance from the corner (as for the bottom right).
  for (int p = 1; p < W; p += 4)
    for (int k = 0; k < 4; ++k) {
      const int t = W - (p + k);
      if (t < 0) break;
      for (int a = 0; a <= t; ++a) {
        int x = W - 1 - a, y = H - 1 - (t - a);
        if (FCorner == 0 || FCorner == 3) x = W - 1 - x;
        if (FCorner == 0 || FCorner == 1) y = H - 1 - y;
        SetPixel(DC, x, y, Colors[k]);
      }
    }
}

void TSizeGripX::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Parent()) return;
  TPoint P = ClientToScreen(TPoint(X, Y));
  FStart.Mouse = {P.X, P.Y};
  TWinControl* Par = Parent();
  TPoint TL = Par->Parent() ? Par->Parent()->ClientToScreen(TPoint(Par->Left(), Par->Top()))
                            : TPoint(Par->Left(), Par->Top());
  FStart.Bounds = {TL.X, TL.Y, TL.X + Par->Width(), TL.Y + Par->Height()};
  FStart.ClientWidth = Par->ClientWidth();
  FStart.ClientHeight = Par->ClientHeight();
  FLastPoint = FStart.Mouse;
}

void TSizeGripX::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (!Shift.Contains(ssLeft) || !MouseCapture() || FInternalMove || !Parent()) return;
  TPoint P = ClientToScreen(TPoint(X, Y));
  if (P.X == FLastPoint.x && P.Y == FLastPoint.y) return;
  FLastPoint = {P.X, P.Y};
  RECT Work{};
  SystemParametersInfo(SPI_GETWORKAREA, 0, &Work, 0);
  TWinControl* Par = Parent();
  const int OldCW = Par->ClientWidth(), OldCH = Par->ClientHeight();
  RECT B = GripDragBounds(FCorner, FStart, FLastPoint, Work, Width(), Height());
  TPoint Origin = Par->Parent() ? Par->Parent()->ScreenToClient(TPoint(B.left, B.top)) : TPoint(B.left, B.top);
  Par->SetBounds(Origin.X, Origin.Y, B.right - B.left, B.bottom - B.top);
  if ((Par->ClientWidth() != OldCW || Par->ClientHeight() != OldCH) && OnParentResized) OnParentResized(this);
  MoveToCorner();
}

// ---------------------------------------------------------------------------------------------------
// The pop-ups' frame: a one-pixel line (WS_BORDER) without Ctl3D, else no line and a raised outer
// and raised inner edge of BorderWidth 2 drawn in the non-client area.

static int PopupFrameSize(bool Ctl3D) { return Ctl3D ? 2 : 1; }

// WM_NCCALCSIZE and WM_NCPAINT after the default handling: inset the client area by BorderWidth and
// paint the raised edges there. True when the message was one of the two.
static bool HandlePopupFrame(TWinControl* Control, TMessage& Message, int BorderWidth,
                             const std::function<void(TMessage&)>& Inherited) {
  if (Message.Msg == WM_NCCALCSIZE) {
    Inherited(Message);
    if (auto* R = reinterpret_cast<RECT*>(Message.LParam)) {
      InflateRect(R, -BorderWidth, -BorderWidth);
      if (R->right < R->left) R->right = R->left;
      if (R->bottom < R->top) R->bottom = R->top;
    }
    return true;
  }
  if (Message.Msg == WM_NCPAINT) {
    Inherited(Message);
    if (BorderWidth > 0 && Control->HandleAllocated()) {
      HDC DC = GetWindowDC(Control->Handle());
      RECT WR;
      GetWindowRect(Control->Handle(), &WR);
      RECT R{0, 0, WR.right - WR.left, WR.bottom - WR.top};
      DrawEdge(DC, &R, EDGE_RAISED, BF_RECT);
      ReleaseDC(Control->Handle(), DC);
    }
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------------------
// TPopupListboxX

TPopupListboxX::TPopupListboxX(TComponent* AOwner) : TCustomListBox(AOwner) {
  SetStyle(lbOwnerDrawFixed);
  SetBorderStyle(0);
  SetParentCtl3D(false);
  FGrip = new TSizeGripX(this);
  FGrip->SetParent(this);
}

void TPopupListboxX::CreateParams(TCreateParams& Params) {
  TCustomListBox::CreateParams(Params);
  Params.Style = (Params.Style & ~(WS_CHILD | WS_VISIBLE | WS_BORDER)) | WS_POPUP | WS_CLIPCHILDREN;
  if (!FCtl3D) Params.Style |= WS_BORDER;
  Params.ExStyle = (Params.ExStyle & ~WS_EX_CLIENTEDGE) | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WindowClassStyle |= CS_SAVEBITS;
  Params.WndParent = nullptr;
}

int TPopupListboxX::BorderHeight() const { return 2 * PopupFrameSize(FCtl3D); }

TRect TPopupListboxX::ClientRect() const {
  if (HandleAllocated()) {
    // The window's own client area: inside the frame and left of a shown scroll bar.
    RECT R;
    GetClientRect(FHandle, &R);
    return TRect(0, 0, R.right, R.bottom);
  }
  const int F = PopupFrameSize(FCtl3D);
  return TRect(0, 0, std::max(0, Width() - 2 * F), std::max(0, Height() - 2 * F));
}


void TPopupListboxX::AssignImageList(TCustomImageList* Value) {
  if (Value == FImageList) return;
  FImageList = Value;
  Invalidate();
}

void TPopupListboxX::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (!FImageList) {
    TCustomListBox::DrawItem(Index, Rect, State);
    return;
  }
  TCanvas* C = Canvas();
  HDC DC = C->Handle();
  const bool Selected = State.Contains(odSelected);
  // The image column leads the row: at the left, or at the right when the list reads right to left.
  const bool Rtl = UseRightToLeftReading();
  const int ImageArea = FImageList->Width() + 4;
  RECT ImageRect{Rect.Left, Rect.Top, Rect.Left + ImageArea, Rect.Bottom};
  RECT TextRect{Rect.Left + ImageArea, Rect.Top, Rect.Right, Rect.Bottom};
  if (Rtl) {
    ImageRect = RECT{Rect.Right - ImageArea, Rect.Top, Rect.Right, Rect.Bottom};
    TextRect = RECT{Rect.Left, Rect.Top, Rect.Right - ImageArea, Rect.Bottom};
  }
  // The image column keeps the list's colour; only the text is highlighted.
  HBRUSH Back = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Color())));
  FillRect(DC, &ImageRect, Back);
  DeleteObject(Back);
  if (Index >= 0 && Index < FImageList->Count())
    DrawImageCentered(DC, ImageRect, FImageList, Selected, Index);
  C->Brush()->SetColor(Selected ? clHighlight : Color());
  C->Font()->SetColor(Selected ? clHighlightText : Font()->Color());
  const std::string Text = Index >= 0 && Index < Count() ? Items()->Get(Index) : std::string();
  const int TextY = Rect.Top + (Rect.Height() - C->TextHeight("Wg")) / 2;
  const int TextX = Rtl ? TextRect.right - 2 - C->TextWidth(Text) : Rect.Left + FImageList->Width() + 5;
  C->TextRect(TRect(TextRect.left, TextRect.top, TextRect.right, TextRect.bottom), TextX, TextY, Text);
}

TRect TPopupListboxX::ItemFocusRect(int Index, const TRect& Rect) {
  if (!FImageList) return TCustomListBox::ItemFocusRect(Index, Rect);
  TRect R = Rect;
  if (UseRightToLeftReading())
    R.Right = std::max(R.Left, R.Right - FImageList->Width() - 4);
  else
    R.Left = std::min(R.Right, R.Left + FImageList->Width() + 4);
  return R;
}

void TPopupListboxX::SetVisibleRows(int Rows) {
  SetHeight(std::max(Rows, 1) * ItemHeight() + BorderHeight());
}

void TPopupListboxX::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int IH = ItemHeight() > 0 ? ItemHeight() : 16;
  const int MinW = GetSystemMetrics(SM_CXVSCROLL), MinH = GetSystemMetrics(SM_CYVSCROLL);
  if (!ComponentState().Contains(csLoading) && !ComponentState().Contains(csDestroying)) {
    AWidth = std::max(AWidth, MinW);
    AHeight = std::max(AHeight, MinH);
  }
  FRowsShown = std::max(1, (AHeight - BorderHeight()) / IH);
  AHeight = BorderHeight() + FRowsShown * IH;
  TCustomListBox::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TPopupListboxX::Resize() {
  TCustomListBox::Resize();
  if (FGrip) FGrip->MoveToCorner();
}

void TPopupListboxX::KeyPress(WideChar& Key) {
  TCustomListBox::KeyPress(Key);
  if (Key == 8 || Key == 27) {
    FSearchText.clear();
    FTypedChar.Clear();
    return;
  }
  if (Key < 32) return;
  const char32_t Typed = FTypedChar.Join(Key);
  Key = 0;
  if (!Typed) return;  // the first half of a character beyond the BMP waits for its second
  const uint64_t Now = GetTickCount64();
  if (Now - FLastKeyTick > 2000) FSearchText.clear();
  FLastKeyTick = Now;
  if (Utf8Length(FSearchText) < 32) Utf8Append(FSearchText, Typed);
  const int Chars = Utf8Length(FSearchText);
  for (int i = 0; i < Count(); ++i)
    if (AnsiStrLIComp(Items()->Get(i), FSearchText, Chars) == 0) {
      SetItemIndex(i);
      break;
    }
}

void TPopupListboxX::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomListBox::MouseMove(Shift, X, Y);
  if (Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle)) return;
  if (X == FLastMouse.x && Y == FLastMouse.y) return;
  FLastMouse = {X, Y};
  const int I = ItemAtPos(TPoint(X, Y), true);
  if (I >= 0) SetItemIndex(I);
}

bool TPopupListboxX::DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) {
  if (TCustomListBox::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  SetTopIndex(TopIndex() + (WheelDelta < 0 ? 1 : -1));
  return true;
}

void TPopupListboxX::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_MOUSEACTIVATE) {
    // A click on an item must leave the window active and the focus in the control that opened
    // the list: the control closes its list when it loses the focus.
    Message.Result = MA_NOACTIVATE;
    return;
  }
  if (Message.Msg == WM_DROPDOWNSIDE) {
    FGrip->ShiftToSide(static_cast<int>(Message.WParam));
    Message.Result = 0;
    return;
  }
  if (Message.Msg == CM_CTL3DCHANGED) {
    // The frame changes: the window is made again and the rows fit inside the new one.
    TCustomListBox::Dispatch(Message);
    if (HandleAllocated()) RecreateWnd();
    SetBounds(Left(), Top(), Width(), Height());
    if (FGrip) FGrip->MoveToCorner();
    return;
  }
  if (HandlePopupFrame(this, Message, PopupBorderWidth(), [this](TMessage& M) { TCustomListBox::Dispatch(M); }))
    return;
  TCustomListBox::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------------
// TPopupMonthCalendarX

TPopupMonthCalendarX::TPopupMonthCalendarX(TComponent* AOwner) : TMonthCalendar(AOwner) {
  SetAutoSize(true);
  SetCtl3D(true);
  // A window of its own, not a stop of its owner's tab order; a click on it does not take the focus.
  SetTabStop(false);
}

void TPopupMonthCalendarX::CreateParams(TCreateParams& Params) {
  TMonthCalendar::CreateParams(Params);
  Params.Style = (Params.Style & ~(WS_CHILD | WS_VISIBLE | WS_BORDER)) | WS_POPUP;
  if (!FCtl3D) Params.Style |= WS_BORDER;
  Params.ExStyle = (Params.ExStyle & ~WS_EX_CLIENTEDGE) | WS_EX_TOOLWINDOW;
  Params.WindowClassStyle |= CS_SAVEBITS;
  Params.WndParent = nullptr;
}

int TPopupMonthCalendarX::FrameSize() const { return PopupFrameSize(FCtl3D); }

TRect TPopupMonthCalendarX::ClientRect() const {
  const int F = FrameSize();
  return TRect(0, 0, std::max(0, Width() - 2 * F), std::max(0, Height() - 2 * F));
}

void TPopupMonthCalendarX::FitToFrame() {
  // The calendar's own size plus its frame on each side.
  TRect R = MinReqRect();
  SetBounds(Left(), Top(), R.Width() + 2 * FrameSize(), R.Height() + 2 * FrameSize());
}

void TPopupMonthCalendarX::CreateWnd() {
  TMonthCalendar::CreateWnd();
  FitToFrame();
}

bool TPopupMonthCalendarX::CanAutoSize(int& NewWidth, int& NewHeight) {
  TRect R = MinReqRect();
  NewWidth = R.Width() + 2 * FrameSize();
  NewHeight = R.Height() + 2 * FrameSize();
  return true;
}

void TPopupMonthCalendarX::DrawBorder() {
  if (!HandleAllocated() || PopupBorderWidth() == 0) return;
  HDC DC = GetWindowDC(Handle());
  RECT R{0, 0, Width(), Height()};
  DrawEdge(DC, &R, EDGE_RAISED, BF_RECT);
  ReleaseDC(Handle(), DC);
}

void TPopupMonthCalendarX::CloseUp(bool Accept) {
  if (auto* R = dynamic_cast<ICloseUpReceiverX*>(Owner())) R->CloseUp(Accept);
}

void TPopupMonthCalendarX::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_RETURN || Key == VK_ESCAPE) {
    CloseUp(Key == VK_RETURN);
    Key = 0;
    return;
  }
  TMonthCalendar::KeyDown(Key, Shift);
}

bool TPopupMonthCalendarX::WantsKey(WORD Key, TShiftState Shift) {
  if (Key == VK_RETURN || Key == VK_ESCAPE) {
    CloseUp(Key == VK_RETURN);
    return true;
  }
  return (Perform(WM_GETDLGCODE, Key, 0) & DLGC_WANTALLKEYS) != 0 || TMonthCalendar::WantsKey(Key, Shift);
}

void TPopupMonthCalendarX::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TMonthCalendar::MouseUp(Button, Shift, X, Y);
  if (X < 0 || Y < 0 || X >= ClientWidth() || Y >= ClientHeight()) return;
  const UINT Hit = HitTest(X, Y);
  if ((Hit & MCHT_CALENDARDATE) != 0 && Hit != MCHT_CALENDARDAY && Hit != MCHT_TITLEBTNNEXT &&
      Hit != MCHT_TITLEBTNPREV)
    CloseUp(true);
}

bool TPopupMonthCalendarX::DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) {
  if (TMonthCalendar::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  SetDate(Date() + (WheelDelta < 0 ? 1 : -1));
  return true;
}

void TPopupMonthCalendarX::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_MOUSEACTIVATE) {
    // A click on a day leaves the window active and the focus in the control that opened the
    // calendar, which closes it when it loses the focus; its mouse-up takes the day.
    Message.Result = MA_NOACTIVATE;
    return;
  }
  if (Message.Msg == CM_CTL3DCHANGED) {
    TMonthCalendar::Dispatch(Message);
    if (HandleAllocated()) RecreateWnd();
    FitToFrame();
    return;
  }
  if (Message.Msg == WM_NCCALCSIZE) {
    HandlePopupFrame(this, Message, PopupBorderWidth(), [this](TMessage& M) { TMonthCalendar::Dispatch(M); });
    return;
  }
  if (Message.Msg == WM_NCPAINT) {
    TMonthCalendar::Dispatch(Message);
    DrawBorder();
    return;
  }
  if (Message.Msg == WM_GETDLGCODE) {
    TMonthCalendar::Dispatch(Message);
    Message.Result |= DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
    return;
  }
  if (Message.Msg == WM_KILLFOCUS) {
    HWND To = reinterpret_cast<HWND>(Message.WParam);
    if (!HandleAllocated() || !To || !IsChild(Handle(), To)) PostMessage(Handle(), CM_CLOSEPOPUPX, 0, 0);
  } else if (Message.Msg == CM_CLOSEPOPUPX) {
    CloseUp(false);
    return;
  } else if (Message.Msg == WM_LBUTTONDOWN) {
    const int X = static_cast<short>(LOWORD(Message.LParam)), Y = static_cast<short>(HIWORD(Message.LParam));
    if (X < 0 || Y < 0 || X >= ClientWidth() || Y >= ClientHeight()) {
      CloseUp(false);
      return;
    }
  }
  TMonthCalendar::Dispatch(Message);
}
