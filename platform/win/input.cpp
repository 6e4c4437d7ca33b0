// Input: routing mouse and keyboard input to windows, key state, cursor position, mouse tracking.
#include <QString>

#include "platform/win/host.h"
#include "platform/win/internal.h"

namespace win::detail {

static bool IsButtonDown(UINT m) {
  return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN || m == WM_LBUTTONDBLCLK ||
         m == WM_RBUTTONDBLCLK || m == WM_MBUTTONDBLCLK;
}

static void UpdateButtonState(std::array<BYTE, 256>& k, UINT m) {
  switch (m) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: k[VK_LBUTTON] |= 0x80; break;
    case WM_LBUTTONUP: k[VK_LBUTTON] &= 0x7F; break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: k[VK_RBUTTON] |= 0x80; break;
    case WM_RBUTTONUP: k[VK_RBUTTON] &= 0x7F; break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: k[VK_MBUTTON] |= 0x80; break;
    case WM_MBUTTONUP: k[VK_MBUTTON] &= 0x7F; break;
  }
}

static WPARAM KeysFromState() {
  auto& k = S().asyncKeys;
  WPARAM r = 0;
  if (k[VK_LBUTTON] & 0x80) r |= MK_LBUTTON;
  if (k[VK_RBUTTON] & 0x80) r |= MK_RBUTTON;
  if (k[VK_MBUTTON] & 0x80) r |= MK_MBUTTON;
  if (k[VK_SHIFT] & 0x80) r |= MK_SHIFT;
  if (k[VK_CONTROL] & 0x80) r |= MK_CONTROL;
  return r;
}

static MSG Make(HWND h, UINT msg, WPARAM wp, LPARAM lp, const InputEntry* e = nullptr) {
  MSG m;
  m.hwnd = h;
  m.message = msg;
  m.wParam = wp;
  m.lParam = lp;
  m.time = e ? e->time : static_cast<DWORD>(NowMs());
  QPoint p = e && e->kind == InputEntry::Kind::Mouse ? e->screen : S().cursorPos;
  m.pt = POINT{p.x(), p.y()};
  return m;
}

static void LeaveTracked(HWND now, std::vector<MSG>& out) {
  auto& st = S();
  if (st.mouseTracked && st.mouseTracked != now) {
    out.push_back(Make(st.mouseTracked, WM_MOUSELEAVE, 0, 0));
    st.mouseTracked = nullptr;
  }
}

void RouteMouse(int sx, int sy, UINT message, WPARAM keys, int wheelDelta) {
  auto& st = S();
  st.cursorPos = QPoint(sx, sy);
  UpdateButtonState(st.asyncKeys, message);
  if (keys == 0) keys = KeysFromState();
  // Mouse moves coalesce: only the latest position matters.
  if (message == WM_MOUSEMOVE && !st.input.empty() && st.input.back().kind == InputEntry::Kind::Mouse &&
      st.input.back().message == WM_MOUSEMOVE) {
    st.input.back().screen = QPoint(sx, sy);
    st.input.back().keys = keys;
    st.input.back().time = static_cast<DWORD>(NowMs());
    return;
  }
  InputEntry e;
  e.kind = InputEntry::Kind::Mouse;
  e.screen = QPoint(sx, sy);
  e.message = message;
  e.keys = keys;
  e.wheel = wheelDelta;
  e.time = static_cast<DWORD>(NowMs());
  st.input.push_back(std::move(e));
}

static std::vector<MSG> RouteMouseEntry(const InputEntry& e) {
  std::vector<MSG> out;
  auto& st = S();
  QPoint sp = e.screen;
  int sx = sp.x(), sy = sp.y();
  UINT message = e.message;
  WPARAM keys = e.keys;
  if (st.drag.hwnd) {
    Window* w = W(st.drag.hwnd);
    if (!w) {
      st.drag = DragState{};
    } else if (message == WM_MOUSEMOVE) {
      QPoint d = sp - st.drag.start;
      QRect r = st.drag.startRect;
      LRESULT hit = st.drag.hit;
      if (hit == HTCAPTION) r.translate(d);
      if (hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT) r.setLeft(std::min(r.left() + d.x(), r.right() - 1));
      if (hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT) r.setRight(std::max(r.right() + d.x(), r.left()));
      if (hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT) r.setTop(std::min(r.top() + d.y(), r.bottom() - 1));
      if (hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT) r.setBottom(std::max(r.bottom() + d.y(), r.top()));
      SetWindowPos(st.drag.hwnd, nullptr, r.x(), r.y(), r.width(), r.height(), SWP_NOZORDER | SWP_NOACTIVATE);
      return out;
    } else if (message == WM_LBUTTONUP) {
      HWND h = st.drag.hwnd;
      st.drag = DragState{};
      SendMessage(h, WM_EXITSIZEMOVE, 0, 0);
      return out;
    }
    return out;
  }
  if (st.scrollTrack.hwnd) {
    ScrollTrackMouse(message, sp);
    return out;
  }

  if (message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL) {
    HWND target = st.focus ? st.focus : st.active;
    if (!target) {
      Window* under = HitWindow(sp, true);
      target = H(under);
    }
    if (target)
      out.push_back(Make(target, message, MAKEWPARAM(static_cast<DWORD>(keys), static_cast<WORD>(static_cast<SHORT>(e.wheel))),
                         MAKELPARAM(static_cast<WORD>(sx), static_cast<WORD>(sy)), &e));
    return out;
  }

  Window* target = nullptr;
  LRESULT hit = HTCLIENT;
  if (st.capture && W(st.capture)) {
    target = W(st.capture);
  } else {
    target = HitWindow(sp, true);
    while (target) {
      HWND h = target->handle;
      hit = SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(sx), static_cast<WORD>(sy)));
      if (!(target = W(h))) return out;
      if (hit != HTTRANSPARENT) break;
      target = target->parent;
    }
    if (!target) {
      LeaveTracked(nullptr, out);
      return out;
    }
    if (!IsEnabledChain(target)) {
      if (IsButtonDown(message)) MessageBeep(0);
      return out;
    }
  }
  HWND h = target->handle;
  if (!st.capture) {
    SendMessage(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(static_cast<WORD>(hit), message));
    if (!W(h)) return out;
  }
  if (IsButtonDown(message) && !st.capture) {
    Window* top = TopLevelOf(W(h));
    if (top->handle != st.active && !(top->exStyle & WS_EX_NOACTIVATE)) {
      LRESULT ma = SendMessage(h, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top->handle),
                               MAKELPARAM(static_cast<WORD>(hit), message));
      if (ma != MA_NOACTIVATE && ma != MA_NOACTIVATEANDEAT && W(top->handle)) ActivateFromClick(top->handle);
      if (ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT) return out;
    }
  }
  if (!(target = W(h))) return out;
  if ((message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK) &&
      !(target->cls->wc.style & CS_DBLCLKS))
    message -= 2;  // a second button-down for windows that take no double clicks
  LeaveTracked(h, out);
  MSG m;
  if (hit == HTCLIENT || st.capture == h) {
    QPoint c = sp - ClientOriginOnScreen(target);
    m = Make(h, message, keys, MAKELPARAM(static_cast<WORD>(c.x()), static_cast<WORD>(c.y())), &e);
  } else {
    m = Make(h, message - (WM_MOUSEMOVE - WM_NCMOUSEMOVE), static_cast<WPARAM>(hit),
             MAKELPARAM(static_cast<WORD>(sx), static_cast<WORD>(sy)), &e);
  }
  st.lastMouseWindow = h;
  if (st.hoverTracked == h && message == WM_MOUSEMOVE) st.hoverDue = NowMs() + st.hoverDelay;
  out.push_back(m);
  return out;
}

static void ApplyKey(std::array<BYTE, 256>& keys, UINT message, UINT vk) {
  vk &= 0xFF;
  bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  auto set = [&](UINT k) {
    if (down) {
      if (!(keys[k] & 0x80)) keys[k] ^= 1;
      keys[k] |= 0x80;
    } else {
      keys[k] &= 0x7F;
    }
  };
  set(vk);
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) set(VK_SHIFT);
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) set(VK_CONTROL);
  if (vk == VK_LMENU || vk == VK_RMENU) set(VK_MENU);
}

void ApplyInputToKeys(std::array<BYTE, 256>& keys, const MSG& m) {
  if (m.message >= WM_KEYDOWN && m.message <= WM_SYSKEYUP && m.message != WM_CHAR && m.message != WM_DEADCHAR)
    ApplyKey(keys, m.message, static_cast<UINT>(m.wParam));
  else
    UpdateButtonState(keys, m.message);
}

void RouteKey(UINT message, UINT vk, LPARAM keyData, const std::string& text) {
  auto& st = S();
  vk &= 0xFF;
  bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  ApplyKey(st.asyncKeys, message, vk);
  if (keyData == 0) keyData = down ? 1 : static_cast<LPARAM>(static_cast<std::int32_t>(0xC0000001u));
  InputEntry e;
  e.kind = InputEntry::Kind::Key;
  e.message = message;
  e.vk = vk;
  e.keyData = keyData;
  e.text = down ? text : std::string();
  e.time = static_cast<DWORD>(NowMs());
  st.input.push_back(std::move(e));
}

void RouteChars(const std::string& utf8, bool ime) {
  auto& st = S();
  QString q = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  for (QChar c : q) {
    InputEntry e;
    e.kind = InputEntry::Kind::Char;
    e.unit = c.unicode();
    e.ime = ime;
    e.time = static_cast<DWORD>(NowMs());
    st.input.push_back(std::move(e));
  }
}

void RouteComposition(bool start) {
  InputEntry e;
  e.kind = InputEntry::Kind::Composition;
  e.message = start ? WM_IME_STARTCOMPOSITION : WM_IME_ENDCOMPOSITION;
  e.time = static_cast<DWORD>(NowMs());
  S().input.push_back(std::move(e));
}

std::vector<MSG> RouteEntry(const InputEntry& e) {
  auto& st = S();
  switch (e.kind) {
    case InputEntry::Kind::Routed: return {e.msg};
    case InputEntry::Kind::Mouse: return RouteMouseEntry(e);
    case InputEntry::Kind::Key: {
      // Keys go to the focus window as it is when they are taken.
      HWND target = st.focus ? st.focus : st.active;
      if (!target || !W(target)) return {};
      return {Make(target, e.message, e.vk, e.keyData, &e)};
    }
    case InputEntry::Kind::Char: {
      HWND target = st.focus ? st.focus : st.active;
      if (!target || !W(target)) return {};
      return {Make(target, e.ime ? WM_IME_CHAR : WM_CHAR, e.unit, 1, &e)};
    }
    case InputEntry::Kind::Composition: {
      // The composition starts where the text will go: the focus window as it is then.
      HWND target = st.focus ? st.focus : st.active;
      if (!target || !W(target)) return {};
      return {Make(target, e.message, 0, 0, &e)};
    }
  }
  return {};
}

void SetCursorInternal(HCURSOR c) {
  auto& st = S();
  if (st.cursor == c) return;
  st.cursor = c;
  if (auto* host = win::CurrentHost()) host->CursorChanged(c);
}

}  // namespace win::detail

using namespace win::detail;

namespace win {

void QueueMouseInput(int sx, int sy, UINT message, WPARAM keys, int wheelDelta) {
  RouteMouse(sx, sy, message, keys, wheelDelta);
}
void QueueKeyInput(UINT message, UINT vk, LPARAM keyData) { RouteKey(message, vk, keyData, {}); }
void QueueKeyInputWithText(UINT message, UINT vk, LPARAM keyData, const std::string& text) {
  RouteKey(message, vk, keyData, text);
}
void QueueCharInput(const std::string& text, bool ime) { RouteChars(text, ime); }
void QueueImeComposition(bool start) { RouteComposition(start); }
void QueueCloseRequest(HWND top) {
  if (W(top)) PostMessage(top, WM_SYSCOMMAND, SC_CLOSE, 0);
}
void NotifyTopLevelGeometry(HWND top, const RECT& r) {
  Window* w = W(top);
  if (!w || w->parent) return;
  if (w->rect == QRect(r.left, r.top, r.right - r.left, r.bottom - r.top)) return;
  SetWindowPos(top, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}
void NotifyTopLevelActivated(HWND top, bool active) {
  if (!W(top)) return;
  // Keys let go while another window had the keyboard are up here too.
  if (active) SyncModifierKeys();
  if (active && S().active != top) SetActiveWindow(top);
  if (!active && S().active == top) DeactivateProgram();
}

void SyncModifierKeys() {
  Host* host = CurrentHost();
  unsigned down = 0;
  if (!host || !host->QueryModifierKeys(down)) return;
  auto& st = S();
  auto apply = [&](unsigned bit, int generic, int left, int right) {
    for (auto* keys : {&st.keys, &st.asyncKeys}) {
      auto& k = *keys;
      if (down & bit)
        k[static_cast<std::size_t>(generic)] |= 0x80;  // held: the host does not say which side
      else
        for (int vk : {generic, left, right}) k[static_cast<std::size_t>(vk)] &= 0x7F;
    }
  };
  apply(kModifierShift, VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
  apply(kModifierControl, VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
  apply(kModifierAlt, VK_MENU, VK_LMENU, VK_RMENU);
}

}  // namespace win

BOOL GetCursorPos(POINT* pt) {
  if (!pt) return FALSE;
  pt->x = S().cursorPos.x();
  pt->y = S().cursorPos.y();
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  S().cursorPos = QPoint(x, y);
  return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR old = S().cursor;
  SetCursorInternal(cursor);
  return old;
}

HCURSOR GetCursor() { return S().cursor; }

int ShowCursor(BOOL show) { return show ? ++S().cursorShowCount : --S().cursorShowCount; }

SHORT GetKeyState(int vk) {
  BYTE b = S().keys[static_cast<std::size_t>(vk & 0xFF)];
  std::uint16_t r = (b & 0x80) ? 0xFF80 : 0;
  if (b & 1) r |= 1;
  return static_cast<SHORT>(r);
}

SHORT GetAsyncKeyState(int vk) {
  BYTE b = S().asyncKeys[static_cast<std::size_t>(vk & 0xFF)];
  return static_cast<SHORT>((b & 0x80) ? 0x8000 : 0);
}

BOOL GetKeyboardState(BYTE* state) {
  if (!state) return FALSE;
  for (int i = 0; i < 256; ++i) state[i] = S().keys[static_cast<std::size_t>(i)];
  return TRUE;
}

UINT GetDoubleClickTime() { return S().doubleClickTime; }

BOOL SetDoubleClickTime(UINT ms) {
  S().doubleClickTime = ms == 0 ? 500 : ms;
  return TRUE;
}

BOOL MessageBeep(UINT) { return TRUE; }

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme) {
  if (!tme) return FALSE;
  auto& st = S();
  if (tme->dwFlags & TME_CANCEL) {
    if ((tme->dwFlags & TME_LEAVE) && st.mouseTracked == tme->hwndTrack) st.mouseTracked = nullptr;
    if ((tme->dwFlags & TME_HOVER) && st.hoverTracked == tme->hwndTrack) st.hoverTracked = nullptr;
    return TRUE;
  }
  if ((tme->dwFlags & TME_HOVER) && W(tme->hwndTrack)) {
    st.hoverTracked = tme->hwndTrack;
    st.hoverDelay = tme->dwHoverTime == HOVER_DEFAULT || tme->dwHoverTime == 0 ? 400 : tme->dwHoverTime;
    st.hoverDue = NowMs() + st.hoverDelay;
  }
  if ((tme->dwFlags & TME_LEAVE) && W(tme->hwndTrack)) {
    // Already outside: the leave comes at once.
    Window* under = HitWindow(st.cursorPos, true);
    if (H(under) != tme->hwndTrack && st.capture != tme->hwndTrack) {
      PostMessage(tme->hwndTrack, WM_MOUSELEAVE, 0, 0);
      return TRUE;
    }
    st.mouseTracked = tme->hwndTrack;
  }
  return TRUE;
}
