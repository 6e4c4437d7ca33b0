// The hint system: the pause, CM_HINTSHOWPAUSE and CM_HINTSHOW, the hint window, and hiding it.
#include "platform/controls/hints.h"

#include <algorithm>

#include "platform/controls/stdctrls.h"

std::string GetShortHint(const std::string& Hint) {
  size_t bar = Hint.find('|');
  return bar == std::string::npos ? Hint : Hint.substr(0, bar);
}

std::string GetLongHint(const std::string& Hint) {
  size_t bar = Hint.find('|');
  return bar == std::string::npos ? Hint : Hint.substr(bar + 1);
}

// ---------------------------------------------------------------------------------------------------
// THintWindow

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  FColor = clInfoBk;
  FParentColor = false;
  FParentFont = false;
  FFont->SetColor(clInfoText);
  FVisible = false;
  FCanvas->Font()->Assign(FFont.get());
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT;
  Params.WndParent = nullptr;
  Params.WindowClassStyle |= CS_SAVEBITS;
}

TRect THintWindow::CalcHintRect(int MaxWidth, const std::string& Hint, void* /*Data*/) {
  // Measured in the canvas's font (a descendant may set it from Data first; the hint is then shown
  // in it); the text keeps two pixels from the frame at the left and top, four at the right and
  // bottom.
  SIZE s = MeasureControlText(Hint, FCanvas->Font(), MaxWidth > 0 ? MaxWidth : 0);
  return TRect(0, 0, s.cx + 6 + 2, s.cy + 4 + 2);
}

void THintWindow::ActivateHint(TRect Rect, const std::string& Hint) { ActivateHintData(Rect, Hint, nullptr); }

void THintWindow::ActivateHintData(TRect Rect, const std::string& Hint, void* /*Data*/) {
  FText = Hint;
  FFont->Assign(FCanvas->Font());  // painting starts from Font: the canvas's (as measured) it is
  SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
  HandleNeeded();
  SetWindowPos(FHandle, HWND_TOPMOST, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FVisible = true;
  FShowing = true;
  Invalidate();
}

void THintWindow::ReleaseHandle() {
  FShowing = false;
  FVisible = false;
  if (FHandle) ShowWindow(FHandle, SW_HIDE);
}

void THintWindow::Paint() {
  HDC dc = Canvas()->Handle();
  RECT r{0, 0, ClientWidth(), ClientHeight()};
  HBRUSH b = CreateSolidBrush(ColorRef(FColor));
  FillRect(dc, &r, b);
  DeleteObject(b);
  r.left += 2;
  r.top += 2;
  DrawControlText(dc, FText, r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK | DT_EXPANDTABS, FFont.get(), true);
}

void THintWindow::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEACTIVATE:
      Message.Result = MA_NOACTIVATE;
      return;
    case WM_NCHITTEST:
      Message.Result = HTTRANSPARENT;
      return;
    case WM_ACTIVATEAPP:
      if (!Message.WParam && FShowing) Hints::CancelHint();
      break;
  }
  TCustomControl::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------------
// The running hint

namespace {

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kHideTimer = 2;
constexpr int kCursorHeightMargin = 20;  // the hint sits below the arrow cursor

struct HintState {
  bool showHint = true;
  int pause = 500;
  int shortPause = 50;
  int hidePause = 2500;
  TColor color = clInfoBk;
  TShowHintEvent onShowHint;
  HWND timerWnd = nullptr;
  TControl* pending = nullptr;    // waiting for its pause to end
  TControl* shown = nullptr;      // its hint is on screen
  TControl* suppressed = nullptr; // hidden by a click, a key or the timeout: not again until left
  TRect cursorRect;               // screen coordinates
  TPoint lastCursor;
  bool recentlyActive = false;
  std::unique_ptr<THintWindow> window;
};

HintState& St() {
  static HintState s;
  return s;
}

void OnTimer(TMessage& Message);

HWND TimerWindow() {
  auto& s = St();
  if (!s.timerWnd || !IsWindow(s.timerWnd)) s.timerWnd = AllocateHWnd(OnTimer);
  return s.timerWnd;
}

TControl* HintTarget(TControl* Control) {
  if (!St().showHint) return nullptr;
  for (TControl* c = Control; c; c = c->Parent())
    if (c->ShowHint()) return c;
  return nullptr;
}

void HideWindow() {
  auto& s = St();
  if (s.window) s.window->ReleaseHandle();
  if (s.timerWnd && IsWindow(s.timerWnd)) KillTimer(s.timerWnd, kHideTimer);
  s.shown = nullptr;
}

void ShowFor(TControl* Control, const TPoint& Cursor);

void StartPause(TControl* Target) {
  auto& s = St();
  s.pending = Target;
  int pause = s.recentlyActive ? s.shortPause : s.pause;
  Target->Perform(CM_HINTSHOWPAUSE, s.recentlyActive ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
  if (pause <= 0) {
    ShowFor(Target, s.lastCursor);  // at once, as the control asked
    return;
  }
  SetTimer(TimerWindow(), kShowTimer, static_cast<UINT>(pause), nullptr);
}

void ShowFor(TControl* Control, const TPoint& Cursor) {
  auto& s = St();
  s.pending = nullptr;
  if (s.timerWnd && IsWindow(s.timerWnd)) KillTimer(s.timerWnd, kShowTimer);
  THintInfo info;
  info.HintControl = Control;
  info.HintPos = TPoint(Cursor.X, Cursor.Y + kCursorHeightMargin);
  info.HintMaxWidth = GetSystemMetrics(SM_CXSCREEN);
  info.HintColor = s.color;
  info.CursorRect = Control->ClientRect();
  info.CursorPos = Control->ScreenToClient(Cursor);
  info.HideTimeout = s.hidePause;
  info.HintStr = GetShortHint(Control->Hint());
  LRESULT refused = Control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  bool canShow = refused == 0;
  if (canShow && s.onShowHint) s.onShowHint(info.HintStr, canShow, info);
  if (!canShow || info.HintStr.empty()) {
    s.suppressed = Control;
    return;
  }
  std::unique_ptr<THintWindow> w = info.HintWindowClass ? info.HintWindowClass() : std::make_unique<THintWindow>(nullptr);
  if (!w) return;
  w->SetColor(info.HintColor);
  TRect r = w->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  int width = r.Width(), height = r.Height();
  RECT work = WorkAreaAt(Cursor.X, Cursor.Y);
  int x = std::max<int>(work.left, std::min<int>(info.HintPos.X, work.right - width));
  int y = info.HintPos.Y;
  // No room below: above the cursor instead.
  if (y + height > work.bottom) y = std::max<int>(work.top, Cursor.Y - height - 2);
  if (s.window) s.window->ReleaseHandle();
  s.window = std::move(w);
  s.window->ActivateHintData(TRect(x, y, x + width, y + height), info.HintStr, info.HintData);
  s.shown = Control;
  s.recentlyActive = true;
  TPoint tl = Control->ClientToScreen(TPoint(info.CursorRect.Left, info.CursorRect.Top));
  s.cursorRect = TRect(tl.X, tl.Y, tl.X + info.CursorRect.Width(), tl.Y + info.CursorRect.Height());
  if (info.HideTimeout > 0) SetTimer(TimerWindow(), kHideTimer, static_cast<UINT>(info.HideTimeout), nullptr);
}

void OnTimer(TMessage& Message) {
  if (Message.Msg != WM_TIMER) {
    Message.Result = DefWindowProc(St().timerWnd, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  auto& s = St();
  KillTimer(s.timerWnd, Message.WParam);
  if (Message.WParam == kShowTimer && s.pending) {
    POINT p;
    GetCursorPos(&p);
    ShowFor(s.pending, TPoint(p.x, p.y));
  } else if (Message.WParam == kHideTimer && s.shown) {
    s.suppressed = s.shown;
    HideWindow();
  }
}

bool Inside(const TRect& R, const TPoint& P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }

}  // namespace

namespace Hints {

bool ShowHint() { return St().showHint; }
void SetShowHint(bool Value) {
  St().showHint = Value;
  if (!Value) CancelHint();
}
int HintPause() { return St().pause; }
void SetHintPause(int Value) { St().pause = Value; }
int HintShortPause() { return St().shortPause; }
void SetHintShortPause(int Value) { St().shortPause = Value; }
int HintHidePause() { return St().hidePause; }
void SetHintHidePause(int Value) { St().hidePause = Value; }
TColor HintColor() { return St().color; }
void SetHintColor(TColor Value) { St().color = Value; }
void SetOnShowHint(TShowHintEvent Event) { St().onShowHint = std::move(Event); }

void CancelHint() {
  auto& s = St();
  HideWindow();
  s.pending = nullptr;
  if (s.timerWnd && IsWindow(s.timerWnd)) KillTimer(s.timerWnd, kShowTimer);
}

void ActivateHint(const TPoint& CursorPos) {
  POINT p{CursorPos.X, CursorPos.Y};
  HWND h = WindowFromPoint(p);
  TWinControl* w = TWinControl::FindControl(h);
  if (!w) return;
  TControl* c = w->ControlAtPos(w->ScreenToClient(CursorPos), false);
  TControl* target = HintTarget(c ? c : w);
  if (!target) return;
  HideWindow();
  ShowFor(target, CursorPos);
}

THintWindow* ShownHintWindow() {
  auto& s = St();
  return s.shown && s.window && s.window->IsHintShowing() ? s.window.get() : nullptr;
}

TControl* HintControl() { return St().shown; }

void MouseMessage(TControl* Control, UINT Msg, const TPoint& Screen) {
  auto& s = St();
  switch (Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_MOUSEWHEEL: {
      TControl* t = HintTarget(Control);
      CancelHint();
      s.suppressed = t;
      return;
    }
    case WM_MOUSEMOVE:
      break;
    default:
      return;
  }
  TControl* target = HintTarget(Control);
  TPoint screen = Control ? Screen : s.lastCursor;
  s.lastCursor = screen;
  if (target != s.suppressed) s.suppressed = nullptr;
  if (s.shown) {
    if (target == s.shown && Inside(s.cursorRect, screen)) return;
    HideWindow();
    // The hint belongs elsewhere now: ask again, quickly, for wherever the mouse is.
    if (target && target != s.suppressed) StartPause(target);
    return;
  }
  if (!target) {
    s.pending = nullptr;
    s.recentlyActive = false;
    if (s.timerWnd && IsWindow(s.timerWnd)) KillTimer(s.timerWnd, kShowTimer);
    return;
  }
  if (target == s.pending || target == s.suppressed) return;
  // While a window holds the mouse (a drag, a held button) no hint begins.
  if (GetCapture()) return;
  StartPause(target);
}

void KeyPressed() {
  auto& s = St();
  if (s.shown) s.suppressed = s.shown;
  CancelHint();
}

void ControlDestroyed(TControl* Control) {
  auto& s = St();
  if (s.shown == Control) HideWindow();
  if (s.pending == Control) {
    s.pending = nullptr;
    if (s.timerWnd && IsWindow(s.timerWnd)) KillTimer(s.timerWnd, kShowTimer);
  }
  if (s.suppressed == Control) s.suppressed = nullptr;
  if (s.window.get() == Control) s.window.release();
}

void Finalize() {
  auto& s = St();
  s.window.reset();
  s.shown = s.pending = s.suppressed = nullptr;
  s.recentlyActive = false;
  if (s.timerWnd) DeallocateHWnd(s.timerWnd);
  s.timerWnd = nullptr;
}

}  // namespace Hints
