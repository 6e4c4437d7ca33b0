// The data-aware edit's surroundings of the text: the separators and events of the button strip, the
// buttons' drop-down menus and short cuts, the flat border that lights up, the cursor over the strip,
// the image at the leading edge, the height that follows the font, and the MRU list's size.
#include <algorithm>

#include "dataedit/DBCtrlsX_edit.h"
#include "platform/controls/imglist.h"
#include "platform/controls/menus.h"

TShape* TCustomDBEditX::ButtonSeparator(int I) const {
  return I >= 0 && I < static_cast<int>(FSeparators.size()) ? FSeparators[I] : nullptr;
}

int TCustomDBEditX::ButtonControlIndex(TEditButtonControlX* Control) const {
  for (size_t I = 0; I < FButtonControls.size(); ++I)
    if (FButtonControls[I] == Control) return static_cast<int>(I);
  return -1;
}

std::unique_ptr<TEditImageX> TCustomDBEditX::NewEditImage() { return std::make_unique<TEditImageX>(this); }

// ---------------------------------------------------------------------------------------------------
// Rectangles

RECT TCustomDBEditX::GetEditButtonsRect() const {
  const TRect CR = ClientRect();
  // A 3-D frame is the client edge, so the strip takes the whole client height; a single border lies
  // inside the client area and the strip inside it.
  return EditButtonsRect(CR.Right - CR.Left, CR.Bottom - CR.Top, FStripWidth, BorderInsideClient(),
                         UseRightToLeftAlignment());
}

RECT TCustomDBEditX::GetImageRect() const {
  const TRect CR = ClientRect();
  return EditImageRect(CR.Right - CR.Left, CR.Bottom - CR.Top, FImageWidth, UseRightToLeftAlignment());
}

RECT TCustomDBEditX::CalcTextRect() {
  const TRect CR = ClientRect();
  const bool ImageShown = FEditImage->Visible() && FEditImage->Images();
  const int In = BorderInsideClient() ? 1 : 0;
  RECT R = EditFormatRect(CR.Right - CR.Left - 2 * In, CR.Bottom - CR.Top - 2 * In, FStripWidth,
                          ImageShown ? FImageWidth : 0, UseRightToLeftAlignment());
  OffsetRect(&R, In, In);
  return R;
}

void TCustomDBEditX::UpdateImageWidth() {
  if (!FEditImage->Visible() || !FEditImage->Images())
    FImageWidth = 0;
  else if (FEditImage->Width() > 0)
    FImageWidth = FEditImage->Width() + 4;
  else
    FImageWidth = FEditImage->Images()->Width() + 4;
}

void TCustomDBEditX::UpdateTextRect() {
  if (!HandleAllocated()) return;
  RECT TR = CalcTextRect();
  Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&TR));
  Perform(EM_SCROLLCARET, 0, 0);
}

bool TCustomDBEditX::PointOnButtonsOrImage(POINT P) const {
  const RECT S = GetEditButtonsRect();
  const RECT I = GetImageRect();
  return (FStripWidth > 0 && PtInRect(&S, P)) || (FImageWidth > 0 && PtInRect(&I, P));
}

// ---------------------------------------------------------------------------------------------------
// Height

void TCustomDBEditX::SetAutoSize(bool Value) {
  if (Value == AutoSize()) return;
  TCustomMaskEdit::SetAutoSize(Value);
  UpdateHeightStyle();
}

void TCustomDBEditX::UpdateHeightStyle() {
  if (AutoSize() && BorderStyle() != 0) {
    FControlStyle.Include(csFixedHeight);
    FitHeightToFont();
  } else {
    FControlStyle.Exclude(csFixedHeight);
  }
}

namespace {
// The character height of the system font and of Font, on the screen.
void MeasureFontHeights(TFont* Font, int& SystemHeight, int& FontHeight) {
  HDC DC = GetDC(nullptr);
  TEXTMETRIC SysTM{}, TM{};
  GetTextMetrics(DC, &SysTM);
  HGDIOBJ Old = SelectObject(DC, Font->Handle());
  GetTextMetrics(DC, &TM);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  SystemHeight = SysTM.tmHeight;
  FontHeight = TM.tmHeight;
}
}  // namespace

bool TCustomDBEditX::CanAutoSize(int& NewWidth, int& NewHeight) {
  if (InplaceMode()) return false;  // the holder's cell decides
  if (BorderStyle() == 0) return TCustomMaskEdit::CanAutoSize(NewWidth, NewHeight);
  int SysH = 0, FontH = 0;
  MeasureFontHeights(Font(), SysH, FontH);
  TCustomImageList* IL = FEditImage->Images();
  const int Allowance = EditBorderAllowance(true, Ctl3D(), FFlat, GetSystemMetrics(SM_CYBORDER), SysH, FontH);
  NewHeight = FitEditHeight(Allowance, FontH, IL != nullptr, FEditImage->UseImageHeight(), IL ? IL->Height() : 0);
  return true;
}

void TCustomDBEditX::FitHeightToFont() {
  int W = Width(), H = Height();
  if (CanAutoSize(W, H) && H != Height()) SetHeight(H);
}

void TCustomDBEditX::FontChanged() {
  TCustomMaskEdit::FontChanged();
  const TComponentState S = ComponentState();
  if (FControlStyle.Contains(csFixedHeight) && !(S.Contains(csDesigning) && S.Contains(csLoading)))
    FitHeightToFont();
  UpdateTextRect();
}

// ---------------------------------------------------------------------------------------------------
// Button events, drop-down menus and short cuts

void TCustomDBEditX::ButtonControlMouseMove(TEditButtonControlX* /*Sender*/, TShiftState /*Shift*/, int /*X*/,
                                            int /*Y*/) {}

void TCustomDBEditX::ButtonControlMouseUp(TEditButtonControlX* Sender, TMouseButton /*Button*/,
                                          TShiftState /*Shift*/, int X, int Y) {
  // A release away from the button ends the click that opened a drop-down.
  const TRect CR = Sender->ClientRect();
  if (X < 0 || X > CR.Right - 1 || Y < 0 || Y > CR.Bottom) FIgnoreCloseUp = false;
}

bool TCustomDBEditX::PopupDropdownMenu(TEditButtonX* Button, TEditButtonControlX* Control) {
  TPopupMenu* Menu = Button->DropdownMenu();
  if (!Menu) return false;
  const TPoint At = Control->ClientToScreen(
      TPoint(Menu->Alignment() == paRight ? Control->Width() : 0, Control->Height()));
  Menu->SetPopupComponent(this);
  Menu->Popup(At.X, At.Y);
  // The click that dismissed the menu on this button must not pop it up again: the next button-down
  // of this control finds this message and is skipped.
  if (HandleAllocated()) PostMessage(Handle(), WM_SKIPBUTTONDOWN, reinterpret_cast<WPARAM>(Control), 0);
  Control->Perform(WM_LBUTTONUP, 0, MAKELPARAM(0, 0));
  return true;
}

void TCustomDBEditX::PushEditButton(int I) {
  TEditButtonControlX* C = ButtonControl(I);
  if (!C) return;
  bool AutoRepeat = false, Handled = false;
  ButtonControlDown(C, false, AutoRepeat, Handled);
  ButtonControlClick(C);
}

// ---------------------------------------------------------------------------------------------------
// Flat border

bool TCustomDBEditX::IsFlatBorderDrawn() const { return FFlat && BorderStyle() != 0 && Ctl3D(); }

void TCustomDBEditX::DrawFlatBorder() {
  if (!HandleAllocated() || !IsFlatBorderDrawn()) return;
  HDC DC = GetWindowDC(Handle());
  RECT WR;
  GetWindowRect(Handle(), &WR);
  RECT R{0, 0, WR.right - WR.left, WR.bottom - WR.top};
  HBRUSH Face = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(clBtnFace)));
  if (FBorderActive)
    DrawEdge(DC, &R, BDR_SUNKENOUTER, BF_RECT);
  else
    FrameRect(DC, &R, Face);
  InflateRect(&R, -1, -1);
  FrameRect(DC, &R, Face);
  DeleteObject(Face);
  ReleaseDC(Handle(), DC);
}

void TCustomDBEditX::RefreshBorderState() {
  if (ComponentState().Contains(csLoading)) return;
  const bool Active = ComponentState().Contains(csDesigning) || FFocused || FMouseAbove || FAlwaysShowBorder;
  if (Active != FBorderActive) {
    FBorderActive = Active;
    DrawFlatBorder();
  }
  RefreshButtonControls();
}

// ---------------------------------------------------------------------------------------------------
// The MRU list's size

void TCustomDBEditX::MRUListBoxResized() {
  if (!FMRUListBox || !FMRUList->DroppedDown) return;
  FMRUList->SetRows(std::max(1, FMRUListBox->RowsShown()));
}

bool TCustomDBEditX::DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) {
  if (FMRUList->DroppedDown && FMRUListBox && FMRUListBox->HandleAllocated()) {
    const WPARAM W = MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(WheelDelta)));
    if (SendMessage(FMRUListBox->Handle(), WM_MOUSEWHEEL, W, MAKELPARAM(MousePos.X, MousePos.Y)) != 0) return true;
  }
  return TCustomMaskEdit::DoMouseWheel(Shift, WheelDelta, MousePos);
}

// ---------------------------------------------------------------------------------------------------
// Messages

bool TCustomDBEditX::DispatchStripMessage(TMessage& Message) {
  switch (Message.Msg) {
    case CM_BIDIMODECHANGED:
      // The alignment style of the window follows the mode too: the window is made again, and the
      // strip and the image change sides.
      TCustomMaskEdit::Dispatch(Message);
      if (HandleAllocated()) RecreateWnd();
      return true;
    case CM_EDITIMAGECHANGEDX:
      UpdateImageWidth();
      if (HandleAllocated()) RecreateWnd();
      Invalidate();
      return true;
    case WM_NCPAINT:
      if (IsFlatBorderDrawn()) {
        DrawFlatBorder();
        Message.Result = 0;
        return true;
      }
      return false;
    case WM_SETCURSOR:
      if (HandleAllocated()) {
        POINT P;
        GetCursorPos(&P);
        ::ScreenToClient(Handle(), &P);
        if (PointOnButtonsOrImage(P)) {
          ::SetCursor(LoadCursor(nullptr, IDC_ARROW));
          Message.Result = 1;
          return true;
        }
      }
      return false;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      TCustomMaskEdit::Dispatch(Message);
      {
        // Above the edit or one of its buttons.
        TControl* M = GetMouseControl();
        FMouseAbove = M && (M == this || M->Parent() == this);
        RefreshBorderState();
      }
      return true;
    case CM_SYSCOLORCHANGE:
      TCustomMaskEdit::Dispatch(Message);
      ResetButtonsBitmapCache();
      RefreshButtonControls();
      return true;
    case CM_COLORCHANGED:
      TCustomMaskEdit::Dispatch(Message);
      RefreshButtonControls();
      return true;
    case WM_SKIPBUTTONDOWN:
      // Only looked for by the next button-down; a stray one means nothing.
      return true;
    case CM_CANCELMODE: {
      TCustomMaskEdit::Dispatch(Message);
      if (TControl* C = GetCaptureControl(); C && C != this && C->Parent() == this)
        C->Perform(WM_CANCELMODE, 0, 0);
      // Another control took over: the MRU list closes unless that control is the edit, one of its
      // children, the list or one of the list's children.
      auto* Other = reinterpret_cast<TControl*>(Message.LParam);
      bool Ours = Other == this || Other == FMRUListBox;
      for (TControl* C = Other; C && !Ours; C = C->Parent())
        if (C->Parent() == this || (FMRUListBox && C->Parent() == FMRUListBox)) Ours = true;
      if (FMRUList->DroppedDown && !Ours) FMRUList->CloseList(false);
      return true;
    }
    default:
      return false;
  }
}
