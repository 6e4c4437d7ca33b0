// DefWindowProc: the default behaviour of every window and its non-client frame (the bars in it are
// scrollbars.cpp's).
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
      // The vertical bar stands at the right, or at the left with WS_EX_LEFTSCROLLBAR.
      if (w->style & WS_VSCROLL) {
        if (w->exStyle & WS_EX_LEFTSCROLLBAR)
          r->left += GetSystemMetrics(SM_CXVSCROLL);
        else
          r->right -= GetSystemMetrics(SM_CXVSCROLL);
      }
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
    case WM_RBUTTONUP: {
      // A right click asks for the window's context menu, at the screen point.
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hwnd, &p);
      SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
      return 0;
    }
    case WM_NCRBUTTONUP:
      // On the non-client area too: the context menu (a bar's own one, when it is on a bar).
      SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), lParam);
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == hwnd) {
        QPoint screen(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        QPoint wp = screen - (ClientOriginOnScreen(w) - w->client.topLeft());
        for (int bar : {SB_VERT, SB_HORZ})
          if (ScrollBarRect(w, bar).contains(wp)) return ScrollBarContextMenu(w, bar, screen) ? 0 : 0;
      }
      if (w->parent) return SendMessage(w->parent->handle, msg, wParam, lParam);
      return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      if (w->parent) return SendMessage(w->parent->handle, msg, wParam, lParam);
      return 0;
    case WM_CANCELMODE:
      ScrollTrackCancel(hwnd);
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
