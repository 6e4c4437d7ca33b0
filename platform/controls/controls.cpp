#include "platform/controls/controls.h"
#include "platform/controls/dragdrop.h"
#include "platform/controls/hints.h"
#include "platform/controls/menus.h"
#include "platform/win/scrollbars.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <unordered_map>

static void ForgetEnteredWhileAway(HWND Top);

namespace {

TControl* gMouseControl = nullptr;
TControl* gCaptureControl = nullptr;
// Windows being made again: the focus leaving and coming back is no exit from a control nor entry.
int gRecreating = 0;
TCursor gScreenCursor = crDefault;
std::map<TCursor, HCURSOR>& CursorTable() {
  static std::map<TCursor, HCURSOR> table;
  return table;
}
TExceptionHandler& ExceptionHandler() {
  static TExceptionHandler handler;
  return handler;
}
std::unordered_map<HWND, TWinControl*>& WindowMap() {
  static std::unordered_map<HWND, TWinControl*> map;
  return map;
}
// The control whose window is being made: messages sent during CreateWindowEx reach it.
TWinControl* gCreatingControl = nullptr;

const char* const kControlClass = "TressoraControl";
const char* const kUtilClass = "TressoraUtilWindow";

bool IsMouseMessage(UINT Msg) {
  return (Msg >= WM_MOUSEFIRST && Msg <= WM_MOUSELAST && Msg != WM_MOUSEWHEEL && Msg != WM_MOUSEHWHEEL);
}

}  // namespace

LRESULT ControlWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

// ---------------------------------------------------------------------------------------------------
// Shared services

TShiftState KeysToShiftState(WPARAM Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s.Include(ssShift);
  if (Keys & MK_CONTROL) s.Include(ssCtrl);
  if (Keys & MK_LBUTTON) s.Include(ssLeft);
  if (Keys & MK_RBUTTON) s.Include(ssRight);
  if (Keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyboardStateToShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TControl* GetMouseControl() { return gMouseControl; }
TControl* GetCaptureControl() { return gCaptureControl; }

void SetCaptureControl(TControl* Control) {
  gCaptureControl = nullptr;
  if (!Control) {
    if (GetCapture()) ReleaseCapture();
    return;
  }
  auto* win = dynamic_cast<TWinControl*>(Control);
  if (win) {
    SetCapture(win->Handle());
    gCaptureControl = Control;
    return;
  }
  if (Control->Parent() && Control->Parent()->HandleAllocated()) {
    SetCapture(Control->Parent()->Handle());
    gCaptureControl = Control;
  }
}

void SetMouseControl(TControl* Control) {
  if (Control == gMouseControl) return;
  TControl* old = gMouseControl;
  gMouseControl = Control;
  if (!Control) Hints::MouseMessage(nullptr, WM_MOUSEMOVE, TPoint());
  if (old) old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
  if (Control && gMouseControl == Control) Control->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Control));
}

HCURSOR GetCursorHandle(TCursor Cursor) {
  auto& table = CursorTable();
  auto it = table.find(Cursor);
  if (it != table.end() && it->second) return it->second;
  // The class library's own cursors come from the program's resources.
  const char* own = nullptr;
  switch (Cursor) {
    case crHSplit: own = "HSPLIT"; break;
    case crVSplit: own = "VSPLIT"; break;
    case crDrag: own = "DRAG"; break;
    case crMultiDrag: own = "MULTIDRAG"; break;
    case crNoDrop: own = "NODROP"; break;
    case crSQLWait: own = "SQLWAIT"; break;
    default: break;
  }
  if (own) {
    if (HCURSOR h = LoadCursor(GetModuleHandle(nullptr), own)) {
      table[Cursor] = h;
      return h;
    }
  }
  int id = IDC_ARROW;
  switch (Cursor) {
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: case crVSplit: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: case crHSplit: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: case crSQLWait: id = IDC_WAIT; break;
    case crNo: case crNoDrop: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    case crNone: return nullptr;
    default: break;
  }
  HCURSOR h = LoadCursor(nullptr, id);
  table[Cursor] = h;
  return h;
}

void SetCursorHandle(TCursor Cursor, HCURSOR Handle) { CursorTable()[Cursor] = Handle; }
TCursor GetScreenCursor() { return gScreenCursor; }
void SetScreenCursor(TCursor Cursor) {
  gScreenCursor = Cursor;
  if (Cursor != crDefault) {
    ::SetCursor(GetCursorHandle(Cursor));
  } else {
    POINT p;
    GetCursorPos(&p);
    HWND w = WindowFromPoint(p);
    if (w) SendMessage(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  }
}

void SetApplicationExceptionHandler(TExceptionHandler Handler) { ExceptionHandler() = std::move(Handler); }

void HandleControlException(std::exception_ptr E) {
  if (ExceptionHandler()) {
    ExceptionHandler()(E);
    return;
  }
  try {
    std::rethrow_exception(E);
  } catch (const EAbort&) {
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "unknown exception\n");
  }
}

COLORREF ColorRef(TColor Color) { return static_cast<COLORREF>(ColorToRGB(Color)); }

std::string Utf8FromCodePoint(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x110000) {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

size_t Utf8PrevBoundary(const std::string& S, size_t Pos) {
  if (Pos == 0) return 0;
  if (Pos > S.size()) Pos = S.size();
  size_t p = Pos - 1;
  while (p > 0 && (static_cast<unsigned char>(S[p]) & 0xC0) == 0x80) --p;
  return p;
}

size_t Utf8NextBoundary(const std::string& S, size_t Pos) {
  if (Pos >= S.size()) return S.size();
  size_t p = Pos + 1;
  while (p < S.size() && (static_cast<unsigned char>(S[p]) & 0xC0) == 0x80) ++p;
  return p;
}

// ---------------------------------------------------------------------------------------------------
// Hidden utility windows

namespace {
std::unordered_map<HWND, std::function<void(TMessage&)>>& UtilMap() {
  static std::unordered_map<HWND, std::function<void(TMessage&)>> map;
  return map;
}

LRESULT UtilWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto& map = UtilMap();
  auto it = map.find(Wnd);
  if (it == map.end() || !it->second) return DefWindowProc(Wnd, Msg, WParam, LParam);
  TMessage m{Msg, WParam, LParam, 0};
  auto method = it->second;  // the handler may deallocate the window
  try {
    method(m);
  } catch (...) {
    HandleControlException(std::current_exception());
  }
  return m.Result;
}

void RegisterClasses() {
  static bool done = false;
  WNDCLASS probe;
  if (done && GetClassInfo(nullptr, kControlClass, &probe)) return;
  WNDCLASS wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = ControlWindowProc;
  wc.lpszClassName = kControlClass;
  if (!GetClassInfo(nullptr, kControlClass, &probe)) RegisterClass(&wc);
  WNDCLASS uc;
  uc.lpfnWndProc = UtilWindowProc;
  uc.lpszClassName = kUtilClass;
  if (!GetClassInfo(nullptr, kUtilClass, &probe)) RegisterClass(&uc);
  win::SetScrollBarMenu(ScrollBarMenuChoice);
  done = true;
}
}  // namespace

bool InputMethodPresent() { return ImmIsIME(GetKeyboardLayout(0)) != FALSE; }

TImeName DefaultImeName() {
  HKL layout = GetKeyboardLayout(0);
  if (!ImmIsIME(layout)) return {};
  char name[256] = {};
  ImmGetDescription(layout, name, sizeof name);
  return name;
}

RECT WorkAreaAt(int X, int Y) {
  MONITORINFO mi;
  if (GetMonitorInfo(MonitorFromPoint(POINT{X, Y}, MONITOR_DEFAULTTONEAREST), &mi)) return mi.rcWork;
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

HWND AllocateHWnd(std::function<void(TMessage&)> Method) {
  RegisterClasses();
  HWND h = CreateWindowEx(WS_EX_TOOLWINDOW, kUtilClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                          nullptr);
  if (h) UtilMap()[h] = std::move(Method);
  return h;
}

void DeallocateHWnd(HWND Wnd) {
  if (!Wnd) return;
  UtilMap().erase(Wnd);
  if (IsWindow(Wnd)) DestroyWindow(Wnd);
}

// ---------------------------------------------------------------------------------------------------
// TSizeConstraints

void TSizeConstraints::SetMinWidth(int Value) {
  if (Value == FMinWidth) return;
  FMinWidth = Value;
  if (FMaxWidth > 0 && FMaxWidth < FMinWidth) FMaxWidth = FMinWidth;
  Changed();
}
void TSizeConstraints::SetMaxWidth(int Value) {
  if (Value == FMaxWidth) return;
  FMaxWidth = Value;
  if (FMaxWidth > 0 && FMaxWidth < FMinWidth) FMinWidth = FMaxWidth;
  Changed();
}
void TSizeConstraints::SetMinHeight(int Value) {
  if (Value == FMinHeight) return;
  FMinHeight = Value;
  if (FMaxHeight > 0 && FMaxHeight < FMinHeight) FMaxHeight = FMinHeight;
  Changed();
}
void TSizeConstraints::SetMaxHeight(int Value) {
  if (Value == FMaxHeight) return;
  FMaxHeight = Value;
  if (FMaxHeight > 0 && FMaxHeight < FMinHeight) FMinHeight = FMaxHeight;
  Changed();
}
void TSizeConstraints::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TSizeConstraints*>(Source)) {
    FMinWidth = s->FMinWidth;
    FMaxWidth = s->FMaxWidth;
    FMinHeight = s->FMinHeight;
    FMaxHeight = s->FMaxHeight;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}
void TSizeConstraints::Constrain(int& Width, int& Height) const {
  if (FMaxWidth > 0 && Width > FMaxWidth) Width = FMaxWidth;
  if (Width < FMinWidth) Width = FMinWidth;
  if (FMaxHeight > 0 && Height > FMaxHeight) Height = FMaxHeight;
  if (Height < FMinHeight) Height = FMinHeight;
}
void TSizeConstraints::Changed() {
  if (FControl) FControl->SetBounds(FControl->Left(), FControl->Top(), FControl->Width(), FControl->Height());
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), FConstraints(std::make_unique<TSizeConstraints>(this)), FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this](TObject*) {
    // A font set on the control itself stops following the parent's.
    if (!FTakingParentFont) FParentFont = false;
    Perform(CM_FONTCHANGED);
  };
}

TControl::~TControl() {
  FFont->OnChange = nullptr;
  Hints::ControlDestroyed(this);
  DragControlGone(this);
  if (gMouseControl == this) gMouseControl = nullptr;
  if (gCaptureControl == this) {
    gCaptureControl = nullptr;
    if (GetCapture()) ReleaseCapture();
  }
  if (FParent) FParent->RemoveControl(this);
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* Value) {
  // nil takes the control out of its parent (the reader does so before it frees what a failed read made).
  if (!Value) SetParent(nullptr);
  else if (auto* W = dynamic_cast<TWinControl*>(Value)) SetParent(W);
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  if (Root == this) TControl::GetChildren(Proc, Root);
  for (TControl* C : FControls)
    if (C->Owner() == Root) Proc(C);
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  // A chain of parents that comes back to this control would never end.
  for (const TControl* p = AParent; p; p = p->FParent)
    if (p == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

TWinControl* TControl::ParentFormControl() const {
  const TControl* c = this;
  while (c->FParent) c = c->FParent;
  auto* w = dynamic_cast<const TWinControl*>(c);
  return (w && w->IsForm()) ? const_cast<TWinControl*>(w) : nullptr;
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  FConstraints->Constrain(AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  bool sized = AWidth != FWidth || AHeight != FHeight;
  if (!dynamic_cast<TWinControl*>(this)) Invalidate();
  DoSetBounds(ALeft, ATop, AWidth, AHeight);
  if (!dynamic_cast<TWinControl*>(this)) Invalidate();
  RequestAlign();
  if (sized) Resize();
}

void TControl::DoSetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
}

TRect TControl::ClientRect() const { return TRect(0, 0, FWidth, FHeight); }

void TControl::SetClientSize(int AWidth, int AHeight) {
  TRect r = ClientRect();
  SetBounds(FLeft, FTop, FWidth + AWidth - r.Right, FHeight + AHeight - r.Bottom);
}

TPoint TControl::ClientOrigin() const {
  if (!FParent) return TPoint(FLeft, FTop);
  TPoint p = FParent->ClientOrigin();
  return TPoint(p.X + FLeft, p.Y + FTop);
}

TPoint TControl::ClientToScreen(const TPoint& P) const {
  TPoint o = ClientOrigin();
  return TPoint(P.X + o.X, P.Y + o.Y);
}

TPoint TControl::ScreenToClient(const TPoint& P) const {
  TPoint o = ClientOrigin();
  return TPoint(P.X - o.X, P.Y - o.Y);
}

TPoint TControl::ClientToParent(const TPoint& P, TWinControl* AParent) const {
  if (!AParent) AParent = FParent;
  TPoint r(P.X, P.Y);
  const TControl* c = this;
  while (c && c != AParent) {
    r.X += c->FLeft;
    r.Y += c->FTop;
    c = c->FParent;
  }
  return r;
}

void TControl::SetAlign(TAlign Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  if (Value == alLeft || Value == alRight || Value == alClient)
    FAnchors = TAnchors{akLeft, akTop, akBottom};
  else if (Value == alTop || Value == alBottom)
    FAnchors = TAnchors{akLeft, akTop, akRight};
  RequestAlign();
}

void TControl::RequestAlign() {
  if (FParent && !FAdjustingSize) FParent->Realign(this);
}

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  VisibleChanging();
  if (!dynamic_cast<TWinControl*>(this) && FVisible) Invalidate();
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0);
  if (!dynamic_cast<TWinControl*>(this)) Invalidate();
  if (!Value && gMouseControl == this) gMouseControl = nullptr;
  RequestAlign();
}

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::EnabledChanged() { Invalidate(); }

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetText(const std::string& Value) {
  if (Value == FText) return;
  FText = Value;
  Perform(CM_TEXTCHANGED);
}

void TControl::TextChanged() {
  AdjustSize();
  Invalidate();
}

void TControl::SetColor(TColor Value) {
  if (Value == FColor && !FParentColor) return;
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool Value) {
  if (Value == FParentColor) return;
  FParentColor = Value;
  if (Value && FParent) {
    FColor = FParent->Color();
    Perform(CM_COLORCHANGED);
  }
}

void TControl::ColorChanged() { Invalidate(); }

void TControl::SetParentFont(bool Value) {
  if (Value == FParentFont) return;
  FParentFont = Value;
  if (Value) TakeParentFont();
}

void TControl::FontChanged() {
  // A font set directly stops following the parent's; the parent's own changes set it back to true.
  AdjustSize();
  Invalidate();
}

void TControl::TakeParentFont() {
  if (!FParent) return;
  FTakingParentFont = true;
  try {
    FFont->Assign(FParent->Font());
  } catch (...) {
    FTakingParentFont = false;
    throw;
  }
  FTakingParentFont = false;
}

void TControl::ParentFontChanged() {
  if (FParentFont) TakeParentFont();
}

void TControl::SetBiDiMode(TBiDiMode Value) {
  FParentBiDiMode = false;
  if (Value == FBiDiMode) return;
  FBiDiMode = Value;
  Perform(CM_BIDIMODECHANGED);
}

void TControl::SetParentBiDiMode(bool Value) {
  if (Value == FParentBiDiMode) return;
  FParentBiDiMode = Value;
  if (Value) ParentBiDiModeChanged();
}

void TControl::ParentBiDiModeChanged() {
  if (!FParentBiDiMode || !FParent || FParent->FBiDiMode == FBiDiMode) return;
  FBiDiMode = FParent->FBiDiMode;
  Perform(CM_BIDIMODECHANGED);
}

void TControl::BiDiModeChanged(TMessage& /*Message*/) { Invalidate(); }

void TControl::UpdateTextFlags(TCanvas* Canvas) const {
  Canvas->SetTextFlags((Canvas->TextFlags() & ~ETO_RTLREADING) | (UseRightToLeftReading() ? ETO_RTLREADING : 0));
}

UINT TControl::DrawTextBiDiModeFlags(UINT Flags) const {
  if (UseRightToLeftAlignment() && !(Flags & DT_CENTER)) Flags ^= DT_RIGHT;
  return Flags | DrawTextBiDiModeFlagsReadingOnly();
}

void TControl::ParentColorChanged() {
  if (FParentColor && FParent) {
    FColor = FParent->Color();
    Perform(CM_COLORCHANGED);
    FParentColor = true;
  }
}

void TControl::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED);
}

bool TControl::MouseCapture() const { return gCaptureControl == this; }

void TControl::SetMouseCapture(bool Value) {
  if (Value == MouseCapture()) return;
  if (Value)
    SetCaptureControl(this);
  else
    SetCaptureControl(nullptr);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  if (FWindowProc) {
    auto proc = FWindowProc;
    proc(m);
  } else {
    WndProc(m);
  }
  return m.Result;
}

TControl::TWndMethod TControl::WindowProc() {
  if (FWindowProc) return FWindowProc;
  return [this](TMessage& Message) { WndProc(Message); };
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
  if (Value == FPopupMenu) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

bool TControl::ContextMenu(TMessage& Message) {
  if (Message.Result) return true;
  int sx = GET_X_LPARAM(Message.LParam), sy = GET_Y_LPARAM(Message.LParam);
  bool fromKeyboard = sx == -1 && sy == -1;
  TPoint screen = fromKeyboard ? ClientToScreen(TPoint(0, 0)) : TPoint(sx, sy);
  TPoint local = fromKeyboard ? TPoint(0, 0) : ScreenToClient(screen);
  bool handled = false;
  if (OnContextPopup) OnContextPopup(this, local, handled);
  if (handled) {
    Message.Result = 1;
    return true;
  }
  if (FPopupMenu && FPopupMenu->AutoPopup()) {
    if (TWinControl* form = ParentFormControl()) form->SendCancelMode(nullptr);
    FPopupMenu->SetPopupComponent(this);
    FPopupMenu->Popup(screen.X, screen.Y);
    Message.Result = 1;
    return true;
  }
  return false;
}

void TControl::SetMessageHandler(UINT Msg, TMessageHandler Handler) {
  for (auto& e : FMessageMap)
    if (e.first == Msg) {
      e.second = std::move(Handler);
      return;
    }
  FMessageMap.emplace_back(Msg, std::move(Handler));
}

void TControl::DispatchMapped(TMessage& Message) {
  for (auto& e : FMessageMap)
    if (e.first == Message.Msg && e.second) {
      auto handler = e.second;
      handler(Message);
      return;
    }
  Dispatch(Message);
}

void TControl::WndProc(TMessage& Message) {
  if (IsMouseMessage(Message.Msg)) {
    // A dmAutomatic control is dragged by a press, which then is no press for the control.
    if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && FDragMode == dmAutomatic &&
        FEnabled && !IsDesigning()) {
      BeginAutoDrag();
      return;
    }
    MouseMessage(Message);
    return;
  }
  DispatchMapped(Message);
}

void TControl::MouseMessage(TMessage& Message) {
  int x = GET_X_LPARAM(Message.LParam);
  int y = GET_Y_LPARAM(Message.LParam);
  TShiftState shift = KeysToShiftState(Message.WParam);
  switch (Message.Msg) {
    case WM_MOUSEMOVE:
      MouseMove(shift, x, y);
      break;
    case WM_LBUTTONDBLCLK:
      if (FControlStyle.Contains(csDoubleClicks)) {
        if (!FEnabled) break;
        shift.Include(ssDouble);
        DblClick();
        MouseDown(mbLeft, shift, x, y);
        break;
      }
      [[fallthrough]];
    case WM_LBUTTONDOWN:
      if (!FEnabled) break;
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
      if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
      FControlState.Include(csLButtonDown);
      MouseDown(mbLeft, shift, x, y);
      break;
    case WM_LBUTTONUP: {
      bool clicked = FControlState.Contains(csClicked);
      FControlState.Exclude(csClicked);
      FControlState.Exclude(csLButtonDown);
      if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
      MouseUp(mbLeft, shift, x, y);
      if (clicked && x >= 0 && y >= 0 && x < FWidth && y < FHeight) Click();
      break;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      if (FEnabled) MouseDown(mbRight, shift, x, y);
      break;
    case WM_RBUTTONUP:
      if (FEnabled) MouseUp(mbRight, shift, x, y);
      // A graphic control has no window to ask for the context menu: its parent asks for it, and
      // hands it to the control under the point first.
      if (FEnabled && !dynamic_cast<TWinControl*>(this) && FParent && FParent->HandleAllocated()) {
        TPoint s = ClientToScreen(TPoint(x, y));
        FParent->Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(FParent->Handle()),
                         MAKELPARAM(static_cast<WORD>(s.X), static_cast<WORD>(s.Y)));
      }
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      if (FEnabled) MouseDown(mbMiddle, shift, x, y);
      break;
    case WM_MBUTTONUP:
      if (FEnabled) MouseUp(mbMiddle, shift, x, y);
      break;
    default:
      break;
  }
  DispatchMapped(Message);
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED: TextChanged(); return;
    case CM_FONTCHANGED: FontChanged(); return;
    case CM_COLORCHANGED: ColorChanged(); return;
    case CM_ENABLEDCHANGED: EnabledChanged(); return;
    case CM_VISIBLECHANGED: return;
    case CM_PARENTFONTCHANGED: ParentFontChanged(); return;
    case CM_PARENTCOLORCHANGED: ParentColorChanged(); return;
    case CM_BIDIMODECHANGED: BiDiModeChanged(Message); return;
    case CM_PARENTBIDIMODECHANGED: ParentBiDiModeChanged(); return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      // A control's own interest; the parent hears about its children too.
      if (FParent && Message.LParam == reinterpret_cast<LPARAM>(this)) FParent->Perform(Message.Msg, 0, Message.LParam);
      return;
    case CM_CURSORCHANGED: {
      POINT p;
      GetCursorPos(&p);
      if (gMouseControl == this) ::SetCursor(GetCursorHandle(GetScreenCursor() != crDefault ? GetScreenCursor() : FCursor));
      return;
    }
    case CM_HITTEST:
      Message.Result = 1;
      return;
    case WM_CONTEXTMENU:
      if (!ContextMenu(Message)) DefaultHandler(Message);
      return;
    default:
      DefaultHandler(Message);
  }
}

void TControl::DefaultHandler(TMessage& /*Message*/) {}

void TControl::Invalidate() {
  if (!FVisible || !FParent || !FParent->HandleAllocated()) return;
  RECT r{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
  InvalidateRect(FParent->Handle(), &r, !FControlStyle.Contains(csOpaque));
}

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::BringToFront() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.push_back(this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    SetWindowPos(w->FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

void TControl::SendToBack() {
  if (!FParent) return;
  auto& list = FParent->FControls;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.insert(list.begin(), this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    SetWindowPos(w->FHandle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Invalidate();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::Changed() { Invalidate(); }

void TControl::SetAutoSizeFlag(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  if (Value) AdjustSize();
}

void TControl::AdjustSize() {
  if (!FAutoSize || FAdjustingSize) return;
  int w = FWidth, h = FHeight;
  if (!CanAutoSize(w, h)) return;
  FAdjustingSize = true;
  try {
    SetBounds(FLeft, FTop, w, h);
  } catch (...) {
    FAdjustingSize = false;
    throw;
  }
  FAdjustingSize = false;
  RequestAlign();
}

// ---------------------------------------------------------------------------------------------------
// TWinControl

LRESULT ControlWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* control = TWinControl::FindControl(Wnd);
  if (!control && gCreatingControl) {
    control = gCreatingControl;
    control->FHandle = Wnd;
    WindowMap()[Wnd] = control;
  }
  if (!control) return DefWindowProc(Wnd, Msg, WParam, LParam);
  if (Msg == WM_NCDESTROY) {
    WindowMap().erase(Wnd);
    ForgetEnteredWhileAway(Wnd);
    if (control->FHandle == Wnd) control->FHandle = nullptr;
    if (gCaptureControl && (gCaptureControl == control || gCaptureControl->Parent() == control)) gCaptureControl = nullptr;
    return DefWindowProc(Wnd, Msg, WParam, LParam);
  }
  if (control->IsDestroying()) return DefWindowProc(Wnd, Msg, WParam, LParam);
  // Esc ends a drag, whichever control has the focus.
  if (Msg == WM_KEYDOWN && WParam == VK_ESCAPE && DragInProgress()) {
    CancelDrag();
    return 1;  // taken: no Escape character follows
  }
  if (IsMouseMessage(Msg) && Msg != WM_MOUSEWHEEL) {
    // The control the mouse is on (a graphic child of this window or the window itself) hears it
    // first through the hints and, for a press, the form's focused control through CM_CANCELMODE.
    TPoint pt(GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam));
    TControl* on = control->ControlAtPos(pt, false);
    if (!on) on = control;
    TPoint screen = control->ClientToScreen(pt);
    if ((Msg == WM_LBUTTONDOWN || Msg == WM_LBUTTONDBLCLK) && control->Enabled())
      if (TWinControl* form = control->ParentFormControl()) form->SendCancelMode(on);
    if (TWinControl::FindControl(Wnd) == control) Hints::MouseMessage(on, Msg, screen);
    if (!TWinControl::FindControl(Wnd)) return 0;
  }
  TMessage m{Msg, WParam, LParam, 0};
  try {
    if (control->FWindowProc) {
      auto proc = control->FWindowProc;
      proc(m);
    } else {
      control->WndProc(m);
    }
  } catch (...) {
    HandleControlException(std::current_exception());
  }
  return m.Result;
}

TWinControl* TWinControl::FindControl(HWND Wnd) {
  if (!Wnd) return nullptr;
  auto& map = WindowMap();
  auto it = map.find(Wnd);
  return it == map.end() ? nullptr : it->second;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FColor = clBtnFace;
}

TWinControl::~TWinControl() {
  Destroying();
  // Children parented here go with this control (they leave their owners' lists as they are freed).
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    if (c->Owner()) {
      delete c;
    } else {
      RemoveControl(c);
      delete c;
    }
  }
  if (FHandle) {
    HWND h = FHandle;
    WindowMap().erase(h);
    FHandle = nullptr;
    if (IsWindow(h)) DestroyWindow(h);
  }
  if (gMouseControl == this) gMouseControl = nullptr;
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return FHandle;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  if (!FHandle) CreateHandle();
}

void TWinControl::CreateHandle() {
  if (FHandle) return;
  CreateWnd();
  CreateChildHandles();
}

void TWinControl::CreateChildHandles() {
  std::vector<TControl*> children = FControls;
  for (TControl* c : children) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->HandleNeeded();
  }
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  if (FVisible) Params.Style |= WS_VISIBLE;
  if (!FEnabled) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.ExStyle = 0;
  AddBiDiModeExStyle(Params.ExStyle);
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  Params.WndParent = FParent ? FParent->FHandle : nullptr;
  Params.WindowClassStyle = CS_DBLCLKS;
  Params.WinClassName = kControlClass;
}

void TWinControl::AddBiDiModeExStyle(DWORD& ExStyle) const {
  if (UseRightToLeftReading()) ExStyle |= WS_EX_RTLREADING;
  if (UseRightToLeftScrollBar()) ExStyle |= WS_EX_LEFTSCROLLBAR;
  if (UseRightToLeftAlignment() && GetControlsAlignment() == taLeftJustify) ExStyle |= WS_EX_RIGHT;
}

void TWinControl::BiDiModeChanged(TMessage& Message) {
  TControl::BiDiModeChanged(Message);
  if (FHandle && Message.WParam == 0) {
    // The window takes the reading-direction styles of the new mode; its frame follows (the scroll
    // bar changes sides). A class whose other styles depend on the mode makes its window again.
    constexpr DWORD kBiDi = WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR | WS_EX_RIGHT;
    TCreateParams params;
    CreateParams(params);
    const DWORD old = static_cast<DWORD>(GetWindowLong(FHandle, GWL_EXSTYLE));
    if ((old & kBiDi) != (params.ExStyle & kBiDi)) {
      SetWindowLong(FHandle, GWL_EXSTYLE, static_cast<LONG>((old & ~kBiDi) | (params.ExStyle & kBiDi)));
      SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      Invalidate();
    }
  }
  NotifyChildren(CM_PARENTBIDIMODECHANGED);
}

void TWinControl::SetCtl3D(bool Value) {
  FParentCtl3D = false;
  if (Value == FCtl3D) return;
  FCtl3D = Value;
  Perform(CM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool Value) {
  if (Value == FParentCtl3D) return;
  FParentCtl3D = Value;
  if (Value && FParent) Perform(CM_PARENTCTL3DCHANGED, FParent->FCtl3D ? 1 : 0);
}

void TWinControl::Ctl3DChanged() {
  Invalidate();
  std::vector<TControl*> list = FControls;
  for (TControl* c : list) c->Perform(CM_PARENTCTL3DCHANGED, FCtl3D ? 1 : 0);
}

void TWinControl::CreateWnd() {
  RegisterClasses();
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  CreateWindowHandle(params);
  if (!FHandle) throw EOSError("Error creating window for '" + Name() + "'");
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  TWinControl* saved = gCreatingControl;
  gCreatingControl = this;
  HWND h = nullptr;
  try {
    h = CreateWindowEx(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(), Params.Style, Params.X,
                       Params.Y, Params.Width, Params.Height, Params.WndParent, nullptr, nullptr, nullptr);
  } catch (...) {
    gCreatingControl = saved;
    throw;
  }
  gCreatingControl = saved;
  if (h) {
    FHandle = h;
    WindowMap()[h] = this;
  }
}

void TWinControl::DestroyWnd() {
  if (!FHandle) return;
  HWND h = FHandle;
  if (IsWindow(h)) DestroyWindow(h);
  WindowMap().erase(h);
  FHandle = nullptr;
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  FControlState.Include(csDestroyingHandle);
  // Children's windows go with ours; forget them first so they are made again on demand.
  for (TControl* c : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  DestroyWnd();
  FControlState.Exclude(csDestroyingHandle);
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  // The control that had the focus here gets it back in its new window.
  HWND f = GetFocus();
  TWinControl* focused = f && (f == FHandle || IsChild(FHandle, f)) ? FindControl(f) : nullptr;
  ++gRecreating;
  try {
    DestroyHandle();
    HandleNeeded();
    if (focused && focused->FHandle && IsWindowVisible(focused->FHandle)) ::SetFocus(focused->FHandle);
  } catch (...) {
    --gRecreating;
    throw;
  }
  --gRecreating;
}

void TWinControl::InsertControl(TControl* AControl) {
  if (!AControl || ContainsControl(AControl)) return;
  AControl->FParent = this;
  FControls.push_back(AControl);
  if (AControl->FParentFont) AControl->TakeParentFont();
  if (AControl->FParentColor) {
    AControl->FColor = FColor;
    AControl->Perform(CM_COLORCHANGED);
    AControl->FParentColor = true;
  }
  AControl->Perform(CM_PARENTBIDIMODECHANGED);
  AControl->Perform(CM_PARENTCTL3DCHANGED, FCtl3D ? 1 : 0);
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (FHandle) {
      if (w->FHandle)
        ::SetParent(w->FHandle, FHandle);
      else
        w->HandleNeeded();
    }
  } else {
    AControl->Invalidate();
  }
  Realign();
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it == FControls.end()) return;
  if (TWinControl* form = ParentFormControl()) form->ChildControlRemoved(AControl);
  if (!dynamic_cast<TWinControl*>(AControl)) AControl->Invalidate();
  FControls.erase(it);
  AControl->FParent = nullptr;
  if (gMouseControl == AControl) gMouseControl = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (w->FHandle && !IsDestroying()) w->DestroyHandle();
  }
  if (!IsDestroying()) Realign();
}

bool TWinControl::ContainsControl(const TControl* Control) const {
  return std::find(FControls.begin(), FControls.end(), Control) != FControls.end();
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    bool isWin = dynamic_cast<TWinControl*>(c) != nullptr;
    if (isWin && !AllowWinControls) continue;
    if (!c->FVisible || (!c->FEnabled && !AllowDisabled)) continue;
    if (Pos.X >= c->FLeft && Pos.Y >= c->FTop && Pos.X < c->FLeft + c->FWidth && Pos.Y < c->FTop + c->FHeight) {
      if (!isWin && c->Perform(CM_HITTEST, 0, MAKELPARAM(Pos.X - c->FLeft, Pos.Y - c->FTop)) == 0) continue;
      return c;
    }
  }
  return nullptr;
}

bool TWinControl::CanFocus() const {
  const TControl* c = this;
  while (c) {
    if (!c->FVisible || !c->FEnabled) return false;
    c = c->FParent;
  }
  return true;
}

bool TWinControl::Focused() const { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  ::SetFocus(Handle());
}

int TWinControl::TabOrder() const {
  if (!FParent) return -1;
  int n = 0;
  for (TControl* c : FParent->FControls) {
    if (c == this) return n;
    if (dynamic_cast<TWinControl*>(c)) ++n;
  }
  return -1;
}

void TWinControl::SetTabOrder(int Value) {
  if (!FParent) return;
  auto& list = FParent->FControls;
  std::vector<TWinControl*> wins;
  for (TControl* c : list)
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w != this) wins.push_back(w);
  if (Value < 0) Value = 0;
  if (Value > static_cast<int>(wins.size())) Value = static_cast<int>(wins.size());
  wins.insert(wins.begin() + Value, this);
  // Rebuild the list: graphic controls keep their places; windows take the new order.
  size_t k = 0;
  for (auto& c : list)
    if (dynamic_cast<TWinControl*>(c)) c = wins[k++];
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TControl* c : FControls) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      List.push_back(w);
      w->GetTabOrderList(List);
    }
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  int start = -1;
  for (int i = 0; i < n; ++i)
    if (list[static_cast<size_t>(i)] == CurControl) start = i;
  if (start < 0) start = GoForward ? n - 1 : 0;
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = GoForward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* w = list[static_cast<size_t>(i)];
    if (CheckTabStop && !w->FTabStop) continue;
    if (CheckParent && w->FParent != this) continue;
    if (w->CanFocus()) return w;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, false);
  if (next) next->SetFocus();
}

void TWinControl::EnableAlign() {
  if (FAlignLevel > 0) --FAlignLevel;
  if (FAlignLevel == 0) Realign();
}

void TWinControl::SetBorderWidth(int Value) {
  if (Value == FBorderWidth) return;
  FBorderWidth = Value;
  Realign();
  Invalidate();
}

void TWinControl::Realign(TControl* AControl) {
  if (FAlignLevel > 0 || IsDestroying()) return;
  TRect r = ClientRect();
  ++FAlignLevel;
  try {
    AlignControls(AControl, r);
  } catch (...) {
    --FAlignLevel;
    throw;
  }
  --FAlignLevel;
}

void TWinControl::AdjustClientRect(TRect& Rect) {
  Rect.Left += FBorderWidth;
  Rect.Top += FBorderWidth;
  Rect.Right -= FBorderWidth;
  Rect.Bottom -= FBorderWidth;
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  TRect client = ClientRect();
  // Anchored children follow the client area's change of size.
  if (FLastAlignWidth >= 0) {
    int dx = client.Right - FLastAlignWidth;
    int dy = client.Bottom - FLastAlignHeight;
    if (dx != 0 || dy != 0) {
      for (TControl* c : FControls) {
        if (c->FAlign != alNone) continue;
        TAnchors a = c->FAnchors;
        int l = c->FLeft, t = c->FTop, w = c->FWidth, h = c->FHeight;
        if (a.Contains(akRight)) {
          if (a.Contains(akLeft)) w += dx; else l += dx;
        }
        if (a.Contains(akBottom)) {
          if (a.Contains(akTop)) h += dy; else t += dy;
        }
        if (l != c->FLeft || t != c->FTop || w != c->FWidth || h != c->FHeight) {
          c->FAdjustingSize = true;
          try { c->SetBounds(l, t, w, h); } catch (...) { c->FAdjustingSize = false; throw; }
          c->FAdjustingSize = false;
        }
      }
    }
  }
  FLastAlignWidth = client.Right;
  FLastAlignHeight = client.Bottom;

  AdjustClientRect(Rect);
  const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
  for (TAlign align : order) {
    // The control that asked goes first; another one goes before a control only when it lies
    // strictly further towards the edge.
    auto before = [align](TControl* a, TControl* b) {
      switch (align) {
        case alTop: return a->FTop < b->FTop;
        case alBottom: return a->FTop + a->FHeight > b->FTop + b->FHeight;
        case alLeft: return a->FLeft < b->FLeft;
        case alRight: return a->FLeft + a->FWidth > b->FLeft + b->FWidth;
        default: return false;
      }
    };
    std::vector<TControl*> list;
    if (AControl && AControl->FParent == this && AControl->FAlign == align && AControl->FVisible)
      list.push_back(AControl);
    for (TControl* c : FControls) {
      if (c == AControl || c->FAlign != align || !c->FVisible) continue;
      size_t j = 0;
      while (j < list.size() && !before(c, list[j])) ++j;
      list.insert(list.begin() + static_cast<long>(j), c);
    }
    for (TControl* c : list) {
      int w = Rect.Right - Rect.Left;
      int h = Rect.Bottom - Rect.Top;
      if (w < 0) w = 0;
      if (h < 0) h = 0;
      c->FAdjustingSize = true;
      try {
        switch (align) {
          case alTop:
            c->SetBounds(Rect.Left, Rect.Top, w, c->FHeight);
            Rect.Top += c->FHeight;
            break;
          case alBottom: {
            int ch = c->FHeight;
            int cw = w;
            c->FConstraints->Constrain(cw, ch);
            c->SetBounds(Rect.Left, Rect.Bottom - ch, w, ch);
            Rect.Bottom -= c->FHeight;
            break;
          }
          case alLeft:
            c->SetBounds(Rect.Left, Rect.Top, c->FWidth, h);
            Rect.Left += c->FWidth;
            break;
          case alRight: {
            int cw = c->FWidth;
            int ch = h;
            c->FConstraints->Constrain(cw, ch);
            c->SetBounds(Rect.Right - cw, Rect.Top, cw, h);
            Rect.Right -= c->FWidth;
            break;
          }
          case alClient:
            c->SetBounds(Rect.Left, Rect.Top, w, h);
            break;
          default:
            break;
        }
      } catch (...) {
        c->FAdjustingSize = false;
        throw;
      }
      c->FAdjustingSize = false;
    }
  }
}

TRect TWinControl::ClientRect() const { return TRect(0, 0, FWidth, FHeight); }

bool TWinControl::Showing() const {
  if (!FVisible) return false;
  if (!FParent) return FHandle && IsWindowVisible(FHandle);
  return FParent->Showing();
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  FConstraints->Constrain(AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  bool sized = AWidth != FWidth || AHeight != FHeight;
  DoSetBounds(ALeft, ATop, AWidth, AHeight);
  RequestAlign();
  if (sized) {
    Realign();
    Resize();
  }
}

void TWinControl::DoSetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TControl::DoSetBounds(ALeft, ATop, AWidth, AHeight);
  if (FHandle) {
    FSettingBounds = true;
    try {
      SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    } catch (...) {
      FSettingBounds = false;
      throw;
    }
    FSettingBounds = false;
  }
}

void TWinControl::UpdateBoundsFromWindow() {
  if (!FHandle) return;
  RECT r;
  GetWindowRect(FHandle, &r);
  if (FParent && FParent->FHandle && (GetWindowLong(FHandle, GWL_STYLE) & WS_CHILD)) {
    POINT p{r.left, r.top};
    ::ScreenToClient(FParent->FHandle, &p);
    r.right += p.x - r.left;
    r.bottom += p.y - r.top;
    r.left = p.x;
    r.top = p.y;
  }
  int w = r.right - r.left, h = r.bottom - r.top;
  if (r.left == FLeft && r.top == FTop && w == FWidth && h == FHeight) return;
  bool sized = w != FWidth || h != FHeight;
  TControl::DoSetBounds(r.left, r.top, w, h);
  if (sized) {
    RequestAlign();
    Realign();
    Resize();
  }
}

void TWinControl::WMWindowPosChanged(TMessage& Message) {
  DefaultHandler(Message);
  if (!FSettingBounds) UpdateBoundsFromWindow();
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  size_t start = 0;
  if (First) {
    auto it = std::find(FControls.begin(), FControls.end(), First);
    if (it != FControls.end()) start = static_cast<size_t>(it - FControls.begin());
  }
  std::vector<TControl*> list(FControls.begin() + static_cast<long>(start), FControls.end());
  for (TControl* c : list) {
    if (dynamic_cast<TWinControl*>(c) || !c->FVisible) continue;
    RECT r{c->FLeft, c->FTop, c->FLeft + c->FWidth, c->FTop + c->FHeight};
    if (!RectVisible(DC, &r)) continue;
    int saved = SaveDC(DC);
    OffsetViewportOrgEx(DC, c->FLeft, c->FTop, nullptr);
    IntersectClipRect(DC, 0, 0, c->FWidth, c->FHeight);
    try {
      c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    } catch (...) {
      RestoreDC(DC, saved);
      throw;
    }
    RestoreDC(DC, saved);
  }
}

void TWinControl::PaintWindow(HDC /*DC*/) {}

void TWinControl::EraseBackground(HDC DC) {
  RECT r{0, 0, FWidth, FHeight};
  GetClientRect(FHandle, &r);
  HBRUSH b = CreateSolidBrush(ColorRef(FColor));
  FillRect(DC, &r, b);
  DeleteObject(b);
}

void TWinControl::ExcludeOpaqueControls(HDC DC) {
  for (TControl* c : FControls)
    if (c->FVisible && c->FControlStyle.Contains(csOpaque) && !dynamic_cast<TWinControl*>(c))
      ExcludeClipRect(DC, c->FLeft, c->FTop, c->FLeft + c->FWidth, c->FTop + c->FHeight);
}

void TWinControl::WMPaint(TMessage& Message) {
  if (Message.WParam) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    const int saved = SaveDC(dc);
    ExcludeOpaqueControls(dc);
    PaintWindow(dc);
    RestoreDC(dc, saved);
    PaintControls(dc, nullptr);
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(FHandle, &ps);
  try {
    const int saved = SaveDC(dc);
    ExcludeOpaqueControls(dc);
    if (ps.fErase) EraseBackground(dc);
    PaintWindow(dc);
    RestoreDC(dc, saved);
    PaintControls(dc, nullptr);
  } catch (...) {
    EndPaint(FHandle, &ps);
    throw;
  }
  EndPaint(FHandle, &ps);
}

void TWinControl::WMSetCursor(TMessage& Message) {
  if (reinterpret_cast<HWND>(Message.WParam) == FHandle && LOWORD(static_cast<DWORD_PTR>(Message.LParam)) == HTCLIENT) {
    TCursor cursor = GetScreenCursor();
    if (cursor == crDefault) {
      POINT p;
      GetCursorPos(&p);
      ::ScreenToClient(FHandle, &p);
      TControl* c = ControlAtPos(TPoint(p.x, p.y), false);
      cursor = (c && c->FCursor != crDefault) ? c->FCursor : FCursor;
      if (gCaptureControl && gCaptureControl->Parent() == this && gCaptureControl->FCursor != crDefault)
        cursor = gCaptureControl->FCursor;
    }
    if (cursor == crDefault) cursor = crArrow;
    ::SetCursor(GetCursorHandle(cursor));
    Message.Result = 1;
    return;
  }
  DefaultHandler(Message);
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
  TControl* target = nullptr;
  int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
  if (gCaptureControl && gCaptureControl->Parent() == this && !dynamic_cast<TWinControl*>(gCaptureControl))
    target = gCaptureControl;
  else if (!gCaptureControl || gCaptureControl == this)
    target = ControlAtPos(TPoint(x, y), false);
  if (Message.Msg == WM_MOUSEMOVE) {
    SetMouseControl(target ? target : this);
    TRACKMOUSEEVENT tme;
    tme.dwFlags = TME_LEAVE;
    tme.hwndTrack = FHandle;
    TrackMouseEvent(&tme);
  }
  if (!target) return false;
  TMessage m = Message;
  m.LParam = MAKELPARAM(static_cast<DWORD>(x - target->FLeft), static_cast<DWORD>(y - target->FTop));
  target->WndProc(m);
  Message.Result = m.Result;
  return true;
}

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      if (TWinControl* form = ParentFormControl()) form->FocusedControlChanged(this);
      SetIme();
      if (!gRecreating) EnterFrom(reinterpret_cast<HWND>(Message.WParam));
      Invalidate();
      break;
    }
    case WM_KILLFOCUS:
      ResetIme();
      if (!gRecreating) ExitTo(reinterpret_cast<HWND>(Message.WParam));
      Invalidate();
      break;
    case WM_MOUSELEAVE:
      // Only this window and the graphic controls on it are left; a child window under the mouse
      // reports itself with its own mouse moves.
      if (gMouseControl && (gMouseControl == this || (gMouseControl->Parent() == this &&
                                                      !dynamic_cast<TWinControl*>(gMouseControl)))) {
        POINT p;
        GetCursorPos(&p);
        if (WindowFromPoint(p) != FHandle) SetMouseControl(nullptr);
      }
      break;
    default:
      break;
  }
  if (IsMouseMessage(Message.Msg)) {
    if (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) {
      // A click on a window that can take the focus gives it the focus.
      if (FTabStop && CanFocus() && !Focused() && FHandle) ::SetFocus(FHandle);
    }
    if (IsControlMouseMsg(Message)) return;
    TControl::WndProc(Message);
    return;
  }
  if (Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN || Message.Msg == WM_KEYUP ||
      Message.Msg == WM_SYSKEYUP || Message.Msg == WM_CHAR || Message.Msg == WM_IME_CHAR) {
    DoKeyMessage(Message);
    return;
  }
  TControl::WndProc(Message);
}

void TWinControl::DoKeyMessage(TMessage& Message) {
  TWinControl* form = ParentFormControl();
  TWinControl* formControl = form;
  TShiftState shift = KeyboardStateToShiftState();
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      WORD key = static_cast<WORD>(Message.WParam);
      Hints::KeyPressed();
      // A key taken here answers 1, so that the message loop does not type it as a character too.
      Message.Result = 1;
      if (formControl && formControl != this && form->KeyPreviewEnabled()) {
        formControl->KeyDown(key, shift);
        if (key == 0) return;
      }
      KeyDown(key, shift);
      if (key == 0) return;
      if (form && !WantsKey(key, shift) && form->DialogKey(this, key, shift)) return;
      // A key nobody took goes to the window's own procedure (an edit moves its caret there).
      Message.Result = 0;
      DefaultHandler(Message);
      return;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      WORD key = static_cast<WORD>(Message.WParam);
      if (formControl && formControl != this && form->KeyPreviewEnabled()) {
        formControl->KeyUp(key, shift);
        if (key == 0) return;
      }
      KeyUp(key, shift);
      return;
    }
    default: {
      WideChar ch = static_cast<WideChar>(Message.WParam);
      if (formControl && formControl != this && form->KeyPreviewEnabled()) {
        formControl->KeyPress(ch);
        if (ch == 0) return;
      }
      KeyPress(ch);
      if (ch == 0) return;
      Message.WParam = ch;
      DispatchMapped(Message);
      return;
    }
  }
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      WMPaint(Message);
      return;
    case WM_ERASEBKGND:
      EraseBackground(reinterpret_cast<HDC>(Message.WParam));
      Message.Result = 1;
      return;
    case WM_WINDOWPOSCHANGED:
      WMWindowPosChanged(Message);
      return;
    case WM_SIZE:
    case WM_MOVE:
      if (!FSettingBounds) UpdateBoundsFromWindow();
      return;
    case WM_SETCURSOR:
      WMSetCursor(Message);
      return;
    case WM_MOUSEWHEEL: {
      POINT p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
      TShiftState shift = KeysToShiftState(GET_KEYSTATE_WPARAM(Message.WParam));
      if (DoMouseWheel(shift, GET_WHEEL_DELTA_WPARAM(Message.WParam), TPoint(p.x, p.y))) {
        Message.Result = 1;
        return;
      }
      // Not handled here: the parent window may want it.
      if (FParent && FParent->FHandle) {
        Message.Result = FParent->Perform(WM_MOUSEWHEEL, Message.WParam, Message.LParam);
        return;
      }
      DefaultHandler(Message);
      return;
    }
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS;
      return;
    case WM_COMMAND:
      // A child control's notification goes back to that control (EN_CHANGE of an edit).
      if (TWinControl* child = FindControl(reinterpret_cast<HWND>(Message.LParam)); child && child != this) {
        Message.Result = child->Perform(CN_COMMAND, Message.WParam, Message.LParam);
        return;
      }
      DefaultHandler(Message);
      return;
    case WM_DRAWITEM:
      // An owner-drawn child draws its items itself (CN_DRAWITEM).
      if (auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam)) {
        if (TWinControl* child = FindControl(dis->hwndItem); child && child != this) {
          Message.Result = child->Perform(CN_BASE + WM_DRAWITEM, Message.WParam, Message.LParam);
          return;
        }
      }
      DefaultHandler(Message);
      return;
    case CM_VISIBLECHANGED:
      if (FHandle && !IsForm()) ShowWindow(FHandle, FVisible ? SW_SHOWNOACTIVATE : SW_HIDE);
      return;
    case CM_ENTER:
      DoEnter();
      return;
    case CM_EXIT:
      DoExit();
      return;
    case CM_CTL3DCHANGED:
      Ctl3DChanged();
      return;
    case CM_PARENTCTL3DCHANGED:
      if (FParentCtl3D && (Message.WParam != 0) != FCtl3D) {
        FCtl3D = Message.WParam != 0;
        Perform(CM_CTL3DCHANGED);
      }
      return;
    case CM_RECREATEWND:
      if (!ComponentState().Contains(csDestroying)) RecreateWnd();
      return;
    case WM_CHAR:
    case WM_IME_CHAR:
      return;
    case WM_CONTEXTMENU: {
      // A graphic child under the point has the first say, then this control; what neither takes
      // goes on to the parent window (DefWindowProc). Outside the client area (on a scroll bar, say)
      // the window's own handling comes first.
      int sx = GET_X_LPARAM(Message.LParam), sy = GET_Y_LPARAM(Message.LParam);
      if (!(sx == -1 && sy == -1) && FHandle && reinterpret_cast<HWND>(Message.WParam) == FHandle) {
        POINT c{sx, sy};
        ::ScreenToClient(FHandle, &c);
        RECT cr;
        GetClientRect(FHandle, &cr);
        if (c.x < cr.left || c.y < cr.top || c.x >= cr.right || c.y >= cr.bottom) {
          DefaultHandler(Message);
          return;
        }
      }
      if (!(sx == -1 && sy == -1) && !Message.Result) {
        TControl* child = ControlAtPos(ScreenToClient(TPoint(sx, sy)), false);
        if (child) Message.Result = child->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
        if (Message.Result) return;
      }
      if (!ContextMenu(Message)) DefaultHandler(Message);
      return;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      // A scroll-bar control's notification goes back to that control.
      if (Message.LParam) {
        if (TWinControl* bar = FindControl(reinterpret_cast<HWND>(Message.LParam)); bar && bar != this) {
          Message.Result = bar->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
          return;
        }
      }
      DefaultHandler(Message);
      return;
    default:
      TControl::Dispatch(Message);
  }
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (FHandle)
    Message.Result = DefWindowProc(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(WideChar& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

bool TWinControl::DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  return handled;
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

// Whether the window of C is Wnd or holds it.
static bool WindowHolds(TWinControl* C, HWND Wnd) {
  return C->HandleAllocated() && (C->Handle() == Wnd || IsChild(C->Handle(), Wnd));
}

// Whether two windows lie in one top-level window.
static bool SameTopLevel(HWND A, HWND B) {
  if (!A || !B || !IsWindow(A) || !IsWindow(B)) return false;
  return GetAncestor(A, GA_ROOT) == GetAncestor(B, GA_ROOT);
}

// Per top-level window, while the focus is away from it: the windowed containers (innermost first)
// that the control left last still holds entered. The focus coming back settles them against the
// control it comes to, so that each container's enter and exit pair up.
static std::map<HWND, std::vector<HWND>>& EnteredWhileAway() {
  static std::map<HWND, std::vector<HWND>> m;
  return m;
}

static void ForgetEnteredWhileAway(HWND Top) { EnteredWhileAway().erase(Top); }

// The windowed containers of C below its top-level window, innermost first.
static std::vector<TWinControl*> ContainersBelowTop(TWinControl* C) {
  std::vector<TWinControl*> out;
  if (!C->HandleAllocated()) return out;
  HWND top = GetAncestor(C->Handle(), GA_ROOT);
  for (TWinControl* p = C->Parent(); p && p->HandleAllocated() && p->Handle() != top; p = p->Parent())
    out.push_back(p);
  return out;
}

void TWinControl::ExitTo(HWND NewFocus) {
  // Inside one window only the controls that stop holding the focus are left: the focus going into a
  // child (a grid's cell editor) does not leave the parent. Towards another window or nowhere only
  // the focused control is left; its window keeps it as the control to come back to, and its
  // containers stay entered until the focus comes back.
  if (!SameTopLevel(FHandle, NewFocus)) {
    if (FHandle && IsWindow(FHandle)) {
      std::vector<HWND> held;
      for (TWinControl* c : ContainersBelowTop(this)) held.push_back(c->Handle());
      EnteredWhileAway()[GetAncestor(FHandle, GA_ROOT)] = std::move(held);
    }
    Perform(CM_EXIT);
    return;
  }
  TWinControl* c = this;
  while (c && !WindowHolds(c, NewFocus)) {
    TWinControl* next = c->Parent();
    c->Perform(CM_EXIT);
    c = next;
  }
}

void TWinControl::EnterFrom(HWND OldFocus) {
  // The mirror of ExitTo: the controls that now hold the focus and did not before are entered,
  // outermost first. Coming from another window, the containers still entered from the last visit
  // that do not hold this control are left first.
  if (!SameTopLevel(FHandle, OldFocus)) {
    std::vector<HWND> held;
    if (FHandle) {
      auto& away = EnteredWhileAway();
      auto it = away.find(GetAncestor(FHandle, GA_ROOT));
      if (it != away.end()) {
        held = std::move(it->second);
        away.erase(it);
      }
    }
    for (HWND h : held)
      if (TWinControl* c = FindControl(h); c && !WindowHolds(c, FHandle)) c->Perform(CM_EXIT);
    std::vector<TWinControl*> mine = ContainersBelowTop(this);
    for (auto it = mine.rbegin(); it != mine.rend(); ++it)
      if ((*it)->HandleAllocated() && std::find(held.begin(), held.end(), (*it)->Handle()) == held.end())
        (*it)->Perform(CM_ENTER);
    Perform(CM_ENTER);
    return;
  }
  std::vector<TWinControl*> entered;
  for (TWinControl* c = this; c && !WindowHolds(c, OldFocus); c = c->Parent()) entered.push_back(c);
  for (auto it = entered.rbegin(); it != entered.rend(); ++it) (*it)->Perform(CM_ENTER);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::NotifyChildren(UINT Msg) {
  std::vector<TControl*> list = FControls;
  for (TControl* c : list) c->Perform(Msg);
}

void TWinControl::SetImeMode(TImeMode Value) {
  if (Value == FImeMode) return;
  FImeMode = Value;
  // The focused window takes a new mode at once; others when they gain the focus.
  if (FHandle && GetFocus() == FHandle) SetIme();
}

void TWinControl::SetIme() {
  if (!FHandle || !InputMethodPresent()) return;
  ResetIme();
  switch (FImeMode) {
    case imDisable: ImmAssociateContext(FHandle, nullptr); break;
    case imClose:
    case imOpen: ImmSetOpenStatus(ImmGetContext(FHandle), FImeMode == imOpen ? TRUE : FALSE); break;
    case imDontCare: break;
  }
  FImeApplied = FImeMode;
}

void TWinControl::ResetIme() {
  // A closed or removed input method lasts only while the control that asked for it has the focus:
  // the user has no way of opening it again elsewhere.
  if (FHandle) {
    if (FImeApplied == imDisable) ImmAssociateContextEx(FHandle, nullptr, IACE_DEFAULT);
    else if (FImeApplied == imClose) ImmSetOpenStatus(ImmGetContext(FHandle), TRUE);
  }
  FImeApplied = imDontCare;
}

void TWinControl::EnabledChanged() {
  if (FHandle) EnableWindow(FHandle, FEnabled ? TRUE : FALSE);
  Invalidate();
}

void TWinControl::TextChanged() {
  if (FHandle) SetWindowText(FHandle, FText.c_str());
  TControl::TextChanged();
}

void TWinControl::FontChanged() {
  TControl::FontChanged();
  NotifyChildren(CM_PARENTFONTCHANGED);
}

void TWinControl::ColorChanged() {
  TControl::ColorChanged();
  NotifyChildren(CM_PARENTCOLORCHANGED);
}

// ---------------------------------------------------------------------------------------------------
// TCustomControl

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() { ReleaseCanvasDC(); }

void TCustomControl::ReleaseCanvasDC() {
  if (FCanvasDC && FCanvasDCOwned) {
    FCanvas->SetHandle(nullptr);
    if (FHandle) ReleaseDC(FHandle, FCanvasDC);
  }
  FCanvasDC = nullptr;
  FCanvasDCOwned = false;
}

void TCustomControl::DestroyWnd() {
  ReleaseCanvasDC();
  TWinControl::DestroyWnd();
}

TCanvas* TCustomControl::Canvas() {
  if (!FCanvas->HandleAllocated() && FHandle) {
    // Drawing outside Paint: a DC of the window, given back at the next paint.
    FCanvasDC = GetDC(FHandle);
    FCanvasDCOwned = true;
    FCanvas->SetHandle(FCanvasDC);
  }
  return FCanvas.get();
}

void TCustomControl::PaintWindow(HDC DC) {
  ReleaseCanvasDC();
  FCanvas->SetHandle(DC);
  try {
    FCanvas->Font()->Assign(FFont.get());
    FCanvas->Brush()->SetColor(FColor);
    UpdateTextFlags(FCanvas.get());
    Paint();
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    throw;
  }
  FCanvas->SetHandle(nullptr);
}

// ---------------------------------------------------------------------------------------------------
// TGraphicControl

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() = default;

TCanvas* TGraphicControl::Canvas() { return FCanvas.get(); }

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT && Message.WParam) {
    FCanvas->SetHandle(reinterpret_cast<HDC>(Message.WParam));
    try {
      FCanvas->Font()->Assign(FFont.get());
      FCanvas->Brush()->SetColor(FColor);
      UpdateTextFlags(FCanvas.get());
      Paint();
    } catch (...) {
      FCanvas->SetHandle(nullptr);
      throw;
    }
    FCanvas->SetHandle(nullptr);
    return;
  }
  TControl::Dispatch(Message);
}

bool IsAccel(WORD VK, const std::string& Str) {
  for (size_t i = 0; i + 1 < Str.size(); ++i) {
    if (Str[i] != '&') continue;
    if (Str[i + 1] == '&') {
      ++i;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(Str[i + 1]);
    return c < 128 && std::toupper(c) == std::toupper(static_cast<int>(VK & 0xFF)) && VK < 256;
  }
  return false;
}
