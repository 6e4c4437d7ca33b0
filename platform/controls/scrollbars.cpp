// TScrollBar: the class library's scroll-bar control over the Win32 level's scroll-bar procedure.
#include "platform/controls/scrollbars.h"

#include <algorithm>

#include "platform/win/scrollbars.h"

TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner) {
  // The Win32 level tracks the mouse on the bar itself: the control must not take the capture.
  FControlStyle = TControlStyle{csFramed, csDoubleClicks, csOpaque};
  FWidth = 121;
  FHeight = GetSystemMetrics(SM_CYHSCROLL);
  FTabStop = true;
}

void TScrollBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style &= ~WS_CLIPCHILDREN;
  Params.Style |= FKind == sbVertical ? win::SBS_VERT : win::SBS_HORZ;
}

void TScrollBar::CreateWindowHandle(const TCreateParams& Params) {
  TWinControl::CreateWindowHandle(Params);
  UpdateWindow();
}

void TScrollBar::UpdateWindow() {
  if (!HandleAllocated()) return;
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = FMin;
  si.nMax = FMax;
  si.nPage = static_cast<UINT>(FPageSize);
  si.nPos = FPosition;
  SetScrollInfo(FHandle, SB_CTL, &si, TRUE);
}

void TScrollBar::SetKind(TScrollBarKind Value) {
  if (Value == FKind) return;
  FKind = Value;
  SetBounds(FLeft, FTop, FHeight, FWidth);
  RecreateWnd();
}

int TScrollBar::LastPosition() const { return FPageSize > 0 ? FMax - FPageSize + 1 : FMax; }

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
  if (AMax < AMin || AMax < FPageSize) throw EInvalidOperation("Scroll bar property out of range");
  FMin = AMin;
  FMax = AMax;
  int pos = std::clamp(APosition, FMin, std::max(FMin, LastPosition()));
  bool changed = pos != FPosition;
  FPosition = pos;
  UpdateWindow();
  if (changed) Change();
}

void TScrollBar::SetPageSize(int Value) {
  // A page beyond Max is ignored, as the class library does (callers set the page after the range and
  // rely on it).
  if (Value == FPageSize || Value < 0 || Value > FMax) return;
  FPageSize = Value;
  SetParams(FPosition, FMin, FMax);
}

void TScrollBar::Change() {
  if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, int& ScrollPos) {
  if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}

void TScrollBar::DoScroll(TMessage& Message) {
  int code = LOWORD(Message.WParam);
  int pos = FPosition;
  switch (code) {
    case SB_LINEUP: pos -= FSmallChange; break;
    case SB_LINEDOWN: pos += FSmallChange; break;
    case SB_PAGEUP: pos -= FLargeChange; break;
    case SB_PAGEDOWN: pos += FLargeChange; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      // The track position in full (the message carries only 16 bits of it).
      SCROLLINFO si;
      si.fMask = SIF_TRACKPOS;
      HWND bar = reinterpret_cast<HWND>(Message.LParam);
      pos = bar && GetScrollInfo(bar, SB_CTL, &si) ? si.nTrackPos : static_cast<short>(HIWORD(Message.WParam));
      break;
    }
    case SB_TOP: pos = FMin; break;
    case SB_BOTTOM: pos = FMax; break;
    case SB_ENDSCROLL: break;
    default: return;
  }
  pos = std::clamp(pos, FMin, std::max(FMin, LastPosition()));
  Scroll(static_cast<TScrollCode>(code), pos);
  SetPosition(pos);
}

void TScrollBar::WndProc(TMessage& Message) {
  // The bar paints itself: its procedure draws the whole client area.
  if (Message.Msg == WM_PAINT || Message.Msg == WM_ERASEBKGND) {
    DefaultHandler(Message);
    return;
  }
  TWinControl::WndProc(Message);
}

void TScrollBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL:
      DoScroll(Message);
      return;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      return;
    default:
      TWinControl::Dispatch(Message);
  }
}

void TScrollBar::DefaultHandler(TMessage& Message) {
  if (HandleAllocated())
    Message.Result = win::ScrollBarControlProc(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TScrollBar::KeyDown(WORD& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  if (!Key || !WantsKey(Key, Shift)) return;
  TMessage m{WM_KEYDOWN, Key, 0, 0};
  DefaultHandler(m);
  Key = 0;
}

bool TScrollBar::WantsKey(WORD Key, TShiftState /*Shift*/) {
  switch (Key) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
      return true;
  }
  return false;
}
