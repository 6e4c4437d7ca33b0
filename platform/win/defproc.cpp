// DefWindowProc: the default behaviour of every window, the non-client frame and window scroll bars.
#include <algorithm>
#include <cstring>

#include "platform/win/host.h"
#include "platform/win/internal.h"

namespace win::detail {

static int BorderWidth(const Window* w) {
  int b = 0;
  if (w->exStyle & WS_EX_CLIENTEDGE) b += 2;
  if (w->exStyle & WS_EX_STATICEDGE) b += 1;
  if (w->style & WS_BORDER) b += 1;
  if ((w->style & WS_POPUP) && (w->style & (WS_THICKFRAME | WS_DLGFRAME))) b += 3;
  return b;
}

static bool HasFrame(const Window* w) { return w->parent || (w->style & WS_POPUP); }

QRect ScrollBarRect(const Window* w, int bar) {
  int b = HasFrame(w) ? BorderWidth(w) : 0;
  int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
  if (bar == SB_VERT && (w->style & WS_VSCROLL))
    return QRect(w->client.right() + 1, w->client.top(), cx, w->client.height());
  if (bar == SB_HORZ && (w->style & WS_HSCROLL))
    return QRect(w->client.left(), w->client.bottom() + 1, w->client.width(), cy);
  (void)b;
  return {};
}

// Parts of a scroll bar along its axis: [arrow][track before][thumb][track after][arrow].
struct BarGeometry {
  int length = 0, arrow = 0, thumbStart = 0, thumbLen = 0;
};

static BarGeometry Geometry(const Window* w, int bar) {
  QRect r = ScrollBarRect(w, bar);
  BarGeometry g;
  g.length = bar == SB_VERT ? r.height() : r.width();
  int thick = bar == SB_VERT ? r.width() : r.height();
  g.arrow = std::min(thick, g.length / 2);
  int track = g.length - 2 * g.arrow;
  const SCROLLINFO& si = w->scroll[static_cast<std::size_t>(bar)].info;
  int range = si.nMax - si.nMin + 1;
  if (range <= 0 || track <= 8) {
    g.thumbLen = 0;
    return g;
  }
  g.thumbLen = si.nPage ? std::max(8, static_cast<int>(static_cast<long long>(track) * si.nPage / range)) : std::min(thick, track);
  g.thumbLen = std::min(g.thumbLen, track);
  int maxPos = si.nMax - std::max<int>(static_cast<int>(si.nPage) - 1, 0);
  int span = maxPos - si.nMin;
  int pos = std::clamp(si.nPos, si.nMin, std::max(si.nMin, maxPos));
  g.thumbStart = g.arrow + (span > 0 ? static_cast<int>(static_cast<long long>(track - g.thumbLen) * (pos - si.nMin) / span) : 0);
  return g;
}

void PaintScrollBars(Window* w, HDC hdc) {
  for (int bar : {SB_VERT, SB_HORZ}) {
    QRect r = ScrollBarRect(w, bar);
    if (r.isEmpty()) continue;
    RECT all{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    FillRect(hdc, &all, GetSysColorBrush(COLOR_SCROLLBAR));
    BarGeometry g = Geometry(w, bar);
    auto part = [&](int start, int len) {
      return bar == SB_VERT ? RECT{r.left(), r.top() + start, r.right() + 1, r.top() + start + len}
                            : RECT{r.left() + start, r.top(), r.left() + start + len, r.bottom() + 1};
    };
    RECT a1 = part(0, g.arrow), a2 = part(g.length - g.arrow, g.arrow);
    for (RECT* a : {&a1, &a2}) {
      RECT e = *a;
      DrawEdge(hdc, &e, EDGE_RAISED, BF_RECT | BF_MIDDLE);
      // Arrow glyph: a small triangle.
      int cx = (a->left + a->right) / 2, cy = (a->top + a->bottom) / 2;
      bool first = a == &a1;
      POINT tri[3];
      if (bar == SB_VERT) {
        int d = first ? -1 : 1;
        tri[0] = POINT{cx - 3, cy - d * 1};
        tri[1] = POINT{cx + 3, cy - d * 1};
        tri[2] = POINT{cx, cy + d * 2};
      } else {
        int d = first ? -1 : 1;
        tri[0] = POINT{cx - d * 1, cy - 3};
        tri[1] = POINT{cx - d * 1, cy + 3};
        tri[2] = POINT{cx + d * 2, cy};
      }
      HGDIOBJ ob = SelectObject(hdc, GetSysColorBrush(COLOR_BTNTEXT));
      HGDIOBJ op = SelectObject(hdc, GetStockObject(NULL_PEN));
      Polygon(hdc, tri, 3);
      SelectObject(hdc, ob);
      SelectObject(hdc, op);
    }
    if (g.thumbLen > 0) {
      RECT t = part(g.thumbStart, g.thumbLen);
      DrawEdge(hdc, &t, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
  }
}

static void SendScroll(HWND h, int bar, int code, int pos) {
  SendMessage(h, bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(static_cast<DWORD>(code), static_cast<WORD>(pos)), 0);
}

bool ScrollBarMouse(Window* w, UINT message, QPoint windowPt, int bar) {
  if (message != WM_NCLBUTTONDOWN && message != WM_NCLBUTTONDBLCLK) return false;
  QRect r = ScrollBarRect(w, bar);
  if (r.isEmpty() || (w->scroll[static_cast<std::size_t>(bar)].disabled == ESB_DISABLE_BOTH)) return true;
  BarGeometry g = Geometry(w, bar);
  int at = bar == SB_VERT ? windowPt.y() - r.top() : windowPt.x() - r.left();
  int code;
  if (at < g.arrow)
    code = SB_LINEUP;
  else if (at >= g.length - g.arrow)
    code = SB_LINEDOWN;
  else if (g.thumbLen > 0 && at < g.thumbStart)
    code = SB_PAGEUP;
  else if (g.thumbLen > 0 && at >= g.thumbStart + g.thumbLen)
    code = SB_PAGEDOWN;
  else
    code = SB_THUMBTRACK;
  auto& st = S();
  st.scrollTrack.hwnd = w->handle;
  st.scrollTrack.bar = bar;
  st.scrollTrack.part = code;
  st.scrollTrack.grabOffset = at - g.thumbStart;
  auto& si = w->scroll[static_cast<std::size_t>(bar)].info;
  si.nTrackPos = si.nPos;
  if (code == SB_THUMBTRACK)
    SendScroll(w->handle, bar, SB_THUMBTRACK, si.nPos);
  else
    SendScroll(w->handle, bar, code, 0);
  return true;
}

void ScrollTrackMouse(UINT message, QPoint screenPt) {
  auto& st = S();
  ScrollTrack tr = st.scrollTrack;
  Window* w = W(tr.hwnd);
  if (!w) {
    st.scrollTrack = ScrollTrack{};
    return;
  }
  auto& si = w->scroll[static_cast<std::size_t>(tr.bar)].info;
  if (message == WM_MOUSEMOVE && tr.part == SB_THUMBTRACK) {
    QPoint windowOrigin = ClientOriginOnScreen(w) - w->client.topLeft();
    QPoint p = screenPt - windowOrigin;
    QRect r = ScrollBarRect(w, tr.bar);
    BarGeometry g = Geometry(w, tr.bar);
    int at = (tr.bar == SB_VERT ? p.y() - r.top() : p.x() - r.left()) - tr.grabOffset;
    int track = g.length - 2 * g.arrow - g.thumbLen;
    int maxPos = si.nMax - std::max<int>(static_cast<int>(si.nPage) - 1, 0);
    int pos = si.nMin;
    if (track > 0) pos = si.nMin + static_cast<int>(static_cast<long long>(std::clamp(at - g.arrow, 0, track)) * (maxPos - si.nMin) / track);
    si.nTrackPos = pos;
    SendScroll(tr.hwnd, tr.bar, SB_THUMBTRACK, pos);
  } else if (message == WM_LBUTTONUP) {
    st.scrollTrack = ScrollTrack{};
    if (tr.part == SB_THUMBTRACK) SendScroll(tr.hwnd, tr.bar, SB_THUMBPOSITION, si.nTrackPos);
    if (W(tr.hwnd)) SendScroll(tr.hwnd, tr.bar, SB_ENDSCROLL, 0);
  }
}

}  // namespace win::detail

using namespace win::detail;

static LRESULT HitTest(Window* w, QPoint screen) {
  QPoint windowOrigin = ClientOriginOnScreen(w) - w->client.topLeft();
  QPoint p = screen - windowOrigin;
  if (!QRect(QPoint(0, 0), w->rect.size()).contains(p)) return HTNOWHERE;
  if (w->client.contains(p)) return HTCLIENT;
  if (ScrollBarRect(w, SB_VERT).contains(p)) return HTVSCROLL;
  if (ScrollBarRect(w, SB_HORZ).contains(p)) return HTHSCROLL;
  return HTBORDER;
}

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = W(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCT*>(lParam);
      if (cs && cs->lpszName) w->text = cs->lpszName;
      return TRUE;
    }
    case WM_NCCALCSIZE: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r) return 0;
      if (HasFrame(w)) {
        int b = BorderWidth(w);
        r->left += b;
        r->top += b;
        r->right -= b;
        r->bottom -= b;
      }
      if (w->style & WS_VSCROLL) r->right -= GetSystemMetrics(SM_CXVSCROLL);
      if (w->style & WS_HSCROLL) r->bottom -= GetSystemMetrics(SM_CYHSCROLL);
      if (r->right < r->left) r->right = r->left;
      if (r->bottom < r->top) r->bottom = r->top;
      return 0;
    }
    case WM_NCPAINT: {
      HDC hdc = GetWindowDC(hwnd);
      if (HasFrame(w)) {
        RECT r{0, 0, w->rect.width(), w->rect.height()};
        if (w->style & WS_BORDER) {
          FrameRect(hdc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
          InflateRect(&r, -1, -1);
        }
        if ((w->style & WS_POPUP) && (w->style & (WS_THICKFRAME | WS_DLGFRAME))) {
          DrawEdge(hdc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
          FrameRect(hdc, &r, GetSysColorBrush(COLOR_BTNFACE));
          InflateRect(&r, -1, -1);
        }
        if (w->exStyle & WS_EX_CLIENTEDGE) DrawEdge(hdc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        if (w->exStyle & WS_EX_STATICEDGE) DrawEdge(hdc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
      }
      PaintScrollBars(w, hdc);
      if ((w->style & WS_VSCROLL) && (w->style & WS_HSCROLL)) {
        QRect v = ScrollBarRect(w, SB_VERT), h = ScrollBarRect(w, SB_HORZ);
        RECT corner{v.left(), h.top(), v.right() + 1, h.bottom() + 1};
        FillRect(hdc, &corner, GetSysColorBrush(COLOR_BTNFACE));
      }
      ReleaseDC(hwnd, hdc);
      return 0;
    }
    case WM_NCHITTEST:
      return HitTest(w, QPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
      QPoint screen(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      QPoint wp = screen - (ClientOriginOnScreen(w) - w->client.topLeft());
      if (wParam == HTVSCROLL) return ScrollBarMouse(w, WM_NCLBUTTONDOWN, wp, SB_VERT) ? 0 : 0;
      if (wParam == HTHSCROLL) return ScrollBarMouse(w, WM_NCLBUTTONDOWN, wp, SB_HORZ) ? 0 : 0;
      LRESULT hit = static_cast<LRESULT>(wParam);
      if (hit == HTCAPTION || (hit >= HTLEFT && hit <= HTBOTTOMRIGHT)) {
        if (hit == HTCAPTION && !w->parent && !(w->style & WS_POPUP)) return 0;  // the host moves framed windows
        auto& st = S();
        st.drag.hwnd = hwnd;
        st.drag.hit = hit;
        st.drag.start = screen;
        st.drag.startRect = w->rect;
        SendMessage(hwnd, WM_ENTERSIZEMOVE, 0, 0);
      }
      return 0;
    }
    case WM_MOUSEACTIVATE:
      if (w->parent) {
        LRESULT r = SendMessage(w->parent->handle, WM_MOUSEACTIVATE, wParam, lParam);
        if (r) return r;
      }
      return MA_ACTIVATE;
    case WM_SETCURSOR: {
      if (w->parent && SendMessage(w->parent->handle, WM_SETCURSOR, wParam, lParam)) return TRUE;
      int hit = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam)));
      HCURSOR c = nullptr;
      switch (hit) {
        case HTLEFT: case HTRIGHT: c = LoadCursor(nullptr, IDC_SIZEWE); break;
        case HTTOP: case HTBOTTOM: c = LoadCursor(nullptr, IDC_SIZENS); break;
        case HTTOPLEFT: case HTBOTTOMRIGHT: c = LoadCursor(nullptr, IDC_SIZENWSE); break;
        case HTTOPRIGHT: case HTBOTTOMLEFT: c = LoadCursor(nullptr, IDC_SIZENESW); break;
        case HTCLIENT:
          if (reinterpret_cast<HWND>(wParam) != hwnd) return FALSE;
          c = w->cls->wc.hCursor;
          if (!c) return FALSE;
          break;
        default: c = LoadCursor(nullptr, IDC_ARROW); break;
      }
      SetCursor(c);
      return TRUE;
    }
    case WM_ERASEBKGND: {
      HBRUSH b = w->cls->wc.hbrBackground;
      if (!b) return 0;
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, b);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_WINDOWPOSCHANGED: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!wp) return 0;
      if (!(wp->flags & SWP_NOMOVE)) {
        QPoint co = w->rect.topLeft() + w->client.topLeft();
        SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(co.x()), static_cast<WORD>(co.y())));
      }
      if (!(wp->flags & SWP_NOSIZE) && (w = W(hwnd))) {
        WPARAM kind = (w->style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : (w->style & WS_MINIMIZE) ? SIZE_MINIMIZED : SIZE_RESTORED;
        SendMessage(hwnd, WM_SIZE, kind, MAKELPARAM(static_cast<WORD>(w->client.width()), static_cast<WORD>(w->client.height())));
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(hwnd)) {
        Window* f = W(S().focus);
        if (!f || !IsDescendant(w, f)) SetFocus(hwnd);
      }
      return 0;
    case WM_SETTEXT: {
      const char* t = reinterpret_cast<const char*>(lParam);
      w->text = t ? t : "";
      if (!w->parent)
        if (auto* host = win::CurrentHost()) host->CaptionChanged(hwnd, w->text);
      return TRUE;
    }
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<char*>(lParam);
      int size = static_cast<int>(wParam);
      if (!buf || size <= 0) return 0;
      int n = std::min(size - 1, static_cast<int>(w->text.size()));
      // Never split a UTF-8 character.
      while (n > 0 && n < static_cast<int>(w->text.size()) && (static_cast<unsigned char>(w->text[static_cast<std::size_t>(n)]) & 0xC0) == 0x80) --n;
      std::memcpy(buf, w->text.data(), static_cast<std::size_t>(n));
      buf[n] = 0;
      return n;
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->text.size());
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessage(hwnd, WM_CLOSE, 0, 0);
      if ((wParam & 0xFFF0) == SC_MINIMIZE) ShowWindow(hwnd, SW_MINIMIZE);
      if ((wParam & 0xFFF0) == SC_MAXIMIZE) ShowWindow(hwnd, SW_MAXIMIZE);
      if ((wParam & 0xFFF0) == SC_RESTORE) ShowWindow(hwnd, SW_RESTORE);
      return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_CONTEXTMENU:
      if (w->parent) return SendMessage(w->parent->handle, msg, wParam, lParam);
      return 0;
    case WM_CANCELMODE:
      if (S().capture == hwnd) ReleaseCapture();
      return 0;
    case WM_GETMINMAXINFO:
    case WM_SHOWWINDOW:
    case WM_GETDLGCODE:
      return 0;
    case WM_NCACTIVATE:
      return TRUE;
    case WM_SETFONT:
      return 0;
    case WM_GETFONT:
      return 0;
    case WM_GETICON:
      return reinterpret_cast<LRESULT>(w->icon);
    case WM_SETICON: {
      HICON old = w->icon;
      w->icon = reinterpret_cast<HICON>(lParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_IME_CHAR:
      // Without an input-method-aware window procedure the character arrives as WM_CHAR.
      PostMessage(hwnd, WM_CHAR, wParam, lParam);
      return 0;
  }
  return 0;
}

// ---- window scroll bars ------------------------------------------------------------------------------

static void UpdateBarVisibility(Window* w, int bar, bool disableNoScroll) {
  const SCROLLINFO& si = w->scroll[static_cast<std::size_t>(bar)].info;
  DWORD flag = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
  bool needed = si.nMax > si.nMin && (si.nPage == 0 || static_cast<int>(si.nPage) <= si.nMax - si.nMin);
  bool show = needed || (disableNoScroll && (w->style & flag));
  bool has = (w->style & flag) != 0;
  if (show != has) {
    if (show)
      w->style |= flag;
    else
      w->style &= ~flag;
    SetWindowPos(w->handle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
}

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
  Window* w = W(hwnd);
  if (!w || !info || bar < 0 || bar > 1) return 0;
  SCROLLINFO& si = w->scroll[static_cast<std::size_t>(bar)].info;
  if (info->fMask & SIF_RANGE) si.nMin = info->nMin, si.nMax = info->nMax;
  if (info->fMask & SIF_PAGE) si.nPage = info->nPage;
  if (info->fMask & SIF_POS) si.nPos = info->nPos;
  int maxPos = si.nMax - std::max<int>(static_cast<int>(si.nPage) - 1, 0);
  si.nPos = std::clamp(si.nPos, si.nMin, std::max(si.nMin, maxPos));
  if (info->fMask & (SIF_RANGE | SIF_PAGE)) UpdateBarVisibility(w, bar, (info->fMask & SIF_DISABLENOSCROLL) != 0);
  if (redraw && (w = W(hwnd))) {
    w->ncDirty = true;
  }
  return si.nPos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
  Window* w = W(hwnd);
  if (!w || !info || bar < 0 || bar > 1) return FALSE;
  const SCROLLINFO& si = w->scroll[static_cast<std::size_t>(bar)].info;
  if (info->fMask & SIF_RANGE) info->nMin = si.nMin, info->nMax = si.nMax;
  if (info->fMask & SIF_PAGE) info->nPage = si.nPage;
  if (info->fMask & SIF_POS) info->nPos = si.nPos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = si.nTrackPos;
  return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  Window* w = W(hwnd);
  if (!w || bar < 0 || bar > 1) return 0;
  int old = w->scroll[static_cast<std::size_t>(bar)].info.nPos;
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = pos;
  SetScrollInfo(hwnd, bar, &si, redraw);
  return old;
}

int GetScrollPos(HWND hwnd, int bar) {
  Window* w = W(hwnd);
  return w && bar >= 0 && bar <= 1 ? w->scroll[static_cast<std::size_t>(bar)].info.nPos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = minPos;
  si.nMax = maxPos;
  return W(hwnd) ? (SetScrollInfo(hwnd, bar, &si, redraw), TRUE) : FALSE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
  Window* w = W(hwnd);
  if (!w || bar < 0 || bar > 1) return FALSE;
  if (minPos) *minPos = w->scroll[static_cast<std::size_t>(bar)].info.nMin;
  if (maxPos) *maxPos = w->scroll[static_cast<std::size_t>(bar)].info.nMax;
  return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  Window* w = W(hwnd);
  if (!w) return FALSE;
  DWORD flags = 0;
  if (bar == SB_VERT || bar == SB_BOTH) flags |= WS_VSCROLL;
  if (bar == SB_HORZ || bar == SB_BOTH) flags |= WS_HSCROLL;
  DWORD old = w->style;
  if (show)
    w->style |= flags;
  else
    w->style &= ~flags;
  if (old != w->style)
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

BOOL EnableScrollBar(HWND hwnd, UINT bar, UINT arrows) {
  Window* w = W(hwnd);
  if (!w) return FALSE;
  if (bar == SB_VERT || bar == SB_BOTH) w->scroll[SB_VERT].disabled = arrows;
  if (bar == SB_HORZ || bar == SB_BOTH) w->scroll[SB_HORZ].disabled = arrows;
  w->ncDirty = true;
  return TRUE;
}
