// Scroll bars: the window's own bars (WS_HSCROLL/WS_VSCROLL, drawn in the non-client area) and
// scroll-bar controls (SB_CTL); their ranges, layout, painting and the mouse on them (arrows and page
// areas that repeat while held, the thumb dragged with SB_THUMBTRACK and dropped with
// SB_THUMBPOSITION, SB_ENDSCROLL when the button is released).
#include "platform/win/scrollbars.h"

#include <algorithm>

#include "platform/win/internal.h"

namespace win {
namespace {
ScrollBarPainter& Painter() {
  static ScrollBarPainter p;
  return p;
}
}  // namespace

void SetScrollBarPainter(ScrollBarPainter painter) { Painter() = std::move(painter); }
namespace {
ScrollBarMenu& Menu() {
  static ScrollBarMenu m;
  return m;
}
}  // namespace
void SetScrollBarMenu(ScrollBarMenu menu) { Menu() = std::move(menu); }
}  // namespace win

namespace win::detail {

ScrollBarState* BarState(Window* w, int bar) {
  if (!w) return nullptr;
  if (bar == SB_HORZ || bar == SB_VERT) return &w->scroll[static_cast<std::size_t>(bar)];
  if (bar == SB_CTL) return &w->ctlScroll;
  return nullptr;
}

static bool IsVerticalBar(const Window* w, int bar) {
  return bar == SB_VERT || (bar == SB_CTL && (w->style & win::SBS_VERT));
}

QRect ScrollBarRect(const Window* w, int bar) {
  if (bar == SB_CTL) return QRect(QPoint(0, 0), w->client.size());
  int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
  if (bar == SB_VERT && (w->style & WS_VSCROLL))
    return QRect((w->exStyle & WS_EX_LEFTSCROLLBAR) ? w->client.left() - cx : w->client.right() + 1, w->client.top(),
                 cx, w->client.height());
  if (bar == SB_HORZ && (w->style & WS_HSCROLL))
    return QRect(w->client.left(), w->client.bottom() + 1, w->client.width(), cy);
  return {};
}

// Parts of a bar along its axis: [arrow][track before][thumb][track after][arrow].
struct BarGeometry {
  QRect rect;
  bool vertical = true;
  int length = 0, thick = 0, arrow = 0, thumbStart = 0, thumbLen = 0;
  int Track() const { return length - 2 * arrow; }
};

static int MaxScrollPos(const SCROLLINFO& si) {
  return std::max(si.nMin, si.nMax - std::max<int>(static_cast<int>(si.nPage) - 1, 0));
}

// Whether the bar takes no input: disabled on both arrows, shown only because of
// SIF_DISABLENOSCROLL, or its window is disabled.
static bool BarDisabled(const Window* w, const ScrollBarState& s) {
  return s.disabled == ESB_DISABLE_BOTH || s.noScrollDisabled || (w->style & WS_DISABLED);
}

// How many bar widths to the side of a bar a dragged thumb lets go.
constexpr int kThumbLetGoDistance = 8;

static BarGeometry Geometry(Window* w, int bar) {
  BarGeometry g;
  g.rect = ScrollBarRect(w, bar);
  g.vertical = IsVerticalBar(w, bar);
  g.length = g.vertical ? g.rect.height() : g.rect.width();
  g.thick = g.vertical ? g.rect.width() : g.rect.height();
  g.arrow = std::min(g.thick, g.length / 2);
  ScrollBarState* s = BarState(w, bar);
  if (!s || BarDisabled(w, *s)) return g;
  const SCROLLINFO& si = s->info;
  long long range = static_cast<long long>(si.nMax) - si.nMin + 1;
  int track = g.Track();
  int minThumb = std::max(6, std::min(g.thick / 2, 8));
  if (range <= 0 || track < minThumb || (si.nPage && static_cast<long long>(si.nPage) >= range)) return g;
  g.thumbLen = si.nPage ? std::max<int>(minThumb, static_cast<int>(track * static_cast<long long>(si.nPage) / range))
                        : std::min(g.thick, track);
  g.thumbLen = std::min(g.thumbLen, track);
  // While the thumb is dragged it shows where the mouse holds it, not the program's position.
  auto& tr = S().scrollTrack;
  int pos = (tr.hwnd == w->handle && tr.bar == bar && tr.part == SB_THUMBTRACK) ? si.nTrackPos : si.nPos;
  int maxPos = MaxScrollPos(si);
  pos = std::clamp(pos, si.nMin, maxPos);
  long long span = static_cast<long long>(maxPos) - si.nMin;
  g.thumbStart = g.arrow + (span > 0 ? static_cast<int>((track - g.thumbLen) * (pos - static_cast<long long>(si.nMin)) / span) : 0);
  return g;
}

static RECT PartRect(const BarGeometry& g, int start, int len) {
  const QRect& r = g.rect;
  return g.vertical ? RECT{r.left(), r.top() + start, r.right() + 1, r.top() + start + len}
                    : RECT{r.left() + start, r.top(), r.left() + start + len, r.bottom() + 1};
}

static win::ScrollBarLook LookOf(Window* w, int bar) {
  BarGeometry g = Geometry(w, bar);
  ScrollBarState* s = BarState(w, bar);
  win::ScrollBarLook look;
  look.bar = RECT{g.rect.left(), g.rect.top(), g.rect.right() + 1, g.rect.bottom() + 1};
  look.vertical = g.vertical;
  look.arrowUp = PartRect(g, 0, g.arrow);
  look.arrowDown = PartRect(g, g.length - g.arrow, g.arrow);
  bool disabled = !s || BarDisabled(w, *s);
  look.enabled = !disabled;
  look.upEnabled = !disabled && !(s->disabled & ESB_DISABLE_LTUP);
  look.downEnabled = !disabled && !(s->disabled & ESB_DISABLE_RTDN);
  if (g.thumbLen > 0) {
    look.pageUp = PartRect(g, g.arrow, g.thumbStart - g.arrow);
    look.thumb = PartRect(g, g.thumbStart, g.thumbLen);
    look.pageDown = PartRect(g, g.thumbStart + g.thumbLen, g.length - g.arrow - g.thumbStart - g.thumbLen);
  } else {
    look.pageUp = PartRect(g, g.arrow, g.Track());
    look.thumb = RECT{0, 0, 0, 0};
    look.pageDown = RECT{0, 0, 0, 0};
  }
  auto& tr = S().scrollTrack;
  if (tr.hwnd == w->handle && tr.bar == bar && (tr.over || tr.part == SB_THUMBTRACK)) look.pressed = tr.part;
  return look;
}

static void PaintBar(Window* w, int bar, HDC hdc) {
  if (ScrollBarRect(w, bar).isEmpty()) return;
  win::ScrollBarLook look = LookOf(w, bar);
  if (win::Painter())
    win::Painter()(hdc, look);
  else
    win::PaintScrollBarPlain(hdc, look);
}

void PaintScrollBars(Window* w, HDC hdc) {
  for (int bar : {SB_VERT, SB_HORZ}) PaintBar(w, bar, hdc);
}

// Bar coordinates (window coordinates for the window's bars, client ones for a control) of a screen
// point.
static QPoint BarPoint(Window* w, int bar, QPoint screen) {
  QPoint clientOrigin = ClientOriginOnScreen(w);
  return bar == SB_CTL ? screen - clientOrigin : screen - (clientOrigin - w->client.topLeft());
}

static int PartAt(Window* w, int bar, QPoint p) {
  BarGeometry g = Geometry(w, bar);
  if (!g.rect.contains(p)) return -1;
  int at = g.vertical ? p.y() - g.rect.top() : p.x() - g.rect.left();
  if (at < g.arrow) return SB_LINEUP;
  if (at >= g.length - g.arrow) return SB_LINEDOWN;
  if (g.thumbLen <= 0) return -1;
  if (at < g.thumbStart) return SB_PAGEUP;
  if (at >= g.thumbStart + g.thumbLen) return SB_PAGEDOWN;
  return SB_THUMBTRACK;
}

static void Redraw(Window* w, int bar) {
  if (bar == SB_CTL) {
    InvalidateRect(w->handle, nullptr, FALSE);
  } else {
    w->ncDirty = true;
  }
}

// The scroll message of a bar: to the window itself for its own bars, to the parent (or owner) with
// the bar's handle for a control.
static void SendScroll(Window* w, int bar, int code, int pos) {
  HWND h = w->handle;
  WPARAM wp = MAKEWPARAM(static_cast<DWORD>(code), static_cast<WORD>(pos));
  if (bar == SB_CTL) {
    HWND to = w->parent ? w->parent->handle : w->owner;
    if (to) SendMessage(to, (w->style & win::SBS_VERT) ? WM_VSCROLL : WM_HSCROLL, wp, reinterpret_cast<LPARAM>(h));
  } else {
    SendMessage(h, bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, wp, 0);
  }
}

static bool PartAllowed(const ScrollBarState& s, int part) {
  if (part == SB_LINEUP) return !(s.disabled & ESB_DISABLE_LTUP);
  if (part == SB_LINEDOWN) return !(s.disabled & ESB_DISABLE_RTDN);
  return true;
}

static void RepeatTick(HWND, UINT, UINT_PTR, DWORD) {
  auto& st = S();
  ScrollTrack tr = st.scrollTrack;
  Window* w = W(tr.hwnd);
  if (!w) return;
  KillTimer(tr.hwnd, win::kScrollRepeatTimerId);
  if (tr.part == SB_THUMBTRACK || tr.part < 0) return;
  // A page area repeats while the mouse stays on it: it stops once the thumb reached the mouse.
  int now = PartAt(w, tr.bar, tr.last);
  bool over = now == tr.part;
  if (over != st.scrollTrack.over) {
    st.scrollTrack.over = over;
    Redraw(w, tr.bar);
  }
  if (over) SendScroll(w, tr.bar, tr.part, 0);
  if (W(tr.hwnd) && st.scrollTrack.hwnd == tr.hwnd)
    SetTimer(tr.hwnd, win::kScrollRepeatTimerId, win::kScrollRepeatInterval, RepeatTick);
}

// A press on a bar at a point in bar coordinates: starts tracking. Returns whether the press was on
// the bar (a disabled bar swallows it).
static bool BeginTrack(Window* w, int bar, QPoint p) {
  ScrollBarState* s = BarState(w, bar);
  if (!s || ScrollBarRect(w, bar).isEmpty()) return false;
  if (BarDisabled(w, *s)) return true;
  int part = PartAt(w, bar, p);
  if (part < 0 || !PartAllowed(*s, part)) return true;
  BarGeometry g = Geometry(w, bar);
  int at = g.vertical ? p.y() - g.rect.top() : p.x() - g.rect.left();
  auto& st = S();
  HWND h = w->handle;
  st.scrollTrack = ScrollTrack{};
  st.scrollTrack.hwnd = h;
  st.scrollTrack.bar = bar;
  st.scrollTrack.part = part;
  st.scrollTrack.grabOffset = at - g.thumbStart;
  st.scrollTrack.over = true;
  st.scrollTrack.last = p;
  st.scrollTrack.startPos = s->info.nPos;
  s->info.nTrackPos = s->info.nPos;
  Redraw(w, bar);
  if (part == SB_THUMBTRACK) {
    SendScroll(w, bar, SB_THUMBTRACK, s->info.nPos);
  } else {
    SendScroll(w, bar, part, 0);
    if (W(h) && st.scrollTrack.hwnd == h) SetTimer(h, win::kScrollRepeatTimerId, win::kScrollRepeatDelay, RepeatTick);
  }
  return true;
}

bool ScrollBarMouse(Window* w, UINT message, QPoint windowPt, int bar) {
  if (message != WM_NCLBUTTONDOWN && message != WM_NCLBUTTONDBLCLK) return false;
  return BeginTrack(w, bar, windowPt);
}

void ScrollTrackCancel(HWND hwnd) {
  auto& st = S();
  if (!st.scrollTrack.hwnd || (hwnd && st.scrollTrack.hwnd != hwnd)) return;
  HWND h = st.scrollTrack.hwnd;
  int bar = st.scrollTrack.bar;
  st.scrollTrack = ScrollTrack{};
  KillTimer(h, win::kScrollRepeatTimerId);
  if (Window* w = W(h)) Redraw(w, bar);
}

void ScrollTrackMouse(UINT message, QPoint screenPt) {
  auto& st = S();
  ScrollTrack tr = st.scrollTrack;
  Window* w = W(tr.hwnd);
  ScrollBarState* s = BarState(w, tr.bar);
  if (!w || !s) {
    st.scrollTrack = ScrollTrack{};
    return;
  }
  SCROLLINFO& si = s->info;
  QPoint p = BarPoint(w, tr.bar, screenPt);
  if (message == WM_MOUSEMOVE) {
    st.scrollTrack.last = p;
    if (tr.part == SB_THUMBTRACK) {
      BarGeometry g = Geometry(w, tr.bar);
      int at = (g.vertical ? p.y() - g.rect.top() : p.x() - g.rect.left()) - tr.grabOffset;
      int room = g.Track() - g.thumbLen;
      int maxPos = MaxScrollPos(si);
      int pos = si.nMin;
      if (room > 0) pos = si.nMin + MulDiv(std::clamp(at - g.arrow, 0, room), maxPos - si.nMin, room);
      // Dragged far to the side of the bar, the thumb goes back to where it was taken (and follows
      // again when the mouse returns): a drag can be abandoned.
      int side = g.vertical ? std::max(g.rect.left() - p.x(), p.x() - g.rect.right())
                            : std::max(g.rect.top() - p.y(), p.y() - g.rect.bottom());
      if (side > kThumbLetGoDistance * g.thick) pos = tr.startPos;
      if (pos != si.nTrackPos) {
        si.nTrackPos = pos;
        Redraw(w, tr.bar);
        SendScroll(w, tr.bar, SB_THUMBTRACK, pos);
      }
    } else {
      bool over = PartAt(w, tr.bar, p) == tr.part;
      if (over != tr.over) {
        st.scrollTrack.over = over;
        Redraw(w, tr.bar);
      }
    }
  } else if (message == WM_LBUTTONUP) {
    HWND h = tr.hwnd;
    KillTimer(h, win::kScrollRepeatTimerId);
    // The drop is told while the drag still stands, so SIF_TRACKPOS reads where the thumb was let go.
    if (tr.part == SB_THUMBTRACK) SendScroll(w, tr.bar, SB_THUMBPOSITION, si.nTrackPos);
    if (st.scrollTrack.hwnd == h) st.scrollTrack = ScrollTrack{};
    if (!(w = W(h))) return;
    Redraw(w, tr.bar);
    SendScroll(w, tr.bar, SB_ENDSCROLL, 0);
  }
}

bool ScrollBarContextMenu(Window* w, int bar, QPoint screen) {
  ScrollBarState* s = BarState(w, bar);
  if (!s || ScrollBarRect(w, bar).isEmpty()) return false;
  if (BarDisabled(w, *s) || !win::Menu()) return true;
  HWND h = w->handle;
  bool vertical = IsVerticalBar(w, bar);
  int code = win::Menu()(h, vertical, POINT{screen.x(), screen.y()});
  if (!(w = W(h)) || code == -1) return true;
  if (code == win::kScrollHere) {
    // The position whose thumb centre is at the point.
    BarGeometry g = Geometry(w, bar);
    QPoint p = BarPoint(w, bar, screen);
    int at = (g.vertical ? p.y() - g.rect.top() : p.x() - g.rect.left()) - g.thumbLen / 2;
    int room = g.Track() - g.thumbLen;
    SCROLLINFO& si = s->info;
    int pos = si.nMin;
    if (room > 0) pos = si.nMin + MulDiv(std::clamp(at - g.arrow, 0, room), MaxScrollPos(si) - si.nMin, room);
    si.nTrackPos = pos;
    SendScroll(w, bar, SB_THUMBPOSITION, pos);
  } else {
    SendScroll(w, bar, code, 0);
  }
  if ((w = W(h))) SendScroll(w, bar, SB_ENDSCROLL, 0);
  return true;
}

void RegisterSystemClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASS wc{};
  wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = win::ScrollBarControlProc;
  wc.lpszClassName = win::kScrollBarClassName;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  RegisterClass(&wc);
}

}  // namespace win::detail

using namespace win::detail;

namespace win {

int ScrollBarPartAt(HWND hwnd, int bar, POINT pt) {
  Window* w = W(hwnd);
  if (!w || !BarState(w, bar)) return -1;
  return PartAt(w, bar, QPoint(pt.x, pt.y));
}

bool GetScrollBarLook(HWND hwnd, int bar, ScrollBarLook& look) {
  Window* w = W(hwnd);
  if (!w || !BarState(w, bar) || ScrollBarRect(w, bar).isEmpty()) return false;
  look = LookOf(w, bar);
  return true;
}

static void Arrow(HDC dc, const RECT& r, bool vertical, bool first, bool enabled, bool pressed) {
  RECT e = r;
  if (pressed) {
    FillRect(dc, &e, GetSysColorBrush(COLOR_BTNFACE));
    HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW);
    FrameRect(dc, &e, shadow);
  } else {
    DrawEdge(dc, &e, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
  int w = r.right - r.left, h = r.bottom - r.top;
  int size = std::max(2, std::min(w, h) / 4);
  int cx = (r.left + r.right) / 2 + (pressed ? 1 : 0), cy = (r.top + r.bottom) / 2 + (pressed ? 1 : 0);
  POINT tri[3];
  if (vertical) {
    int tip = first ? cy - size / 2 - 1 : cy + size / 2 + 1;
    int base = first ? tip + size : tip - size;
    tri[0] = POINT{cx - size, base};
    tri[1] = POINT{cx + size, base};
    tri[2] = POINT{cx, tip};
  } else {
    int tip = first ? cx - size / 2 - 1 : cx + size / 2 + 1;
    int base = first ? tip + size : tip - size;
    tri[0] = POINT{base, cy - size};
    tri[1] = POINT{base, cy + size};
    tri[2] = POINT{tip, cy};
  }
  auto glyph = [&](int color, int dx) {
    POINT t[3] = {{tri[0].x + dx, tri[0].y + dx}, {tri[1].x + dx, tri[1].y + dx}, {tri[2].x + dx, tri[2].y + dx}};
    HGDIOBJ ob = SelectObject(dc, GetSysColorBrush(color));
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(color));
    HGDIOBJ op = SelectObject(dc, pen);
    Polygon(dc, t, 3);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(pen);
  };
  if (enabled) {
    glyph(COLOR_BTNTEXT, 0);
  } else {
    glyph(COLOR_BTNHIGHLIGHT, 1);
    glyph(COLOR_BTNSHADOW, 0);
  }
}

void PaintScrollBarPlain(HDC dc, const ScrollBarLook& look) {
  // The track: the scroll-bar colour, darker where a page area is held down.
  FillRect(dc, &look.bar, GetSysColorBrush(COLOR_SCROLLBAR));
  if (look.pressed == SB_PAGEUP) FillRect(dc, &look.pageUp, GetSysColorBrush(COLOR_3DDKSHADOW));
  if (look.pressed == SB_PAGEDOWN) FillRect(dc, &look.pageDown, GetSysColorBrush(COLOR_3DDKSHADOW));
  Arrow(dc, look.arrowUp, look.vertical, true, look.upEnabled, look.pressed == SB_LINEUP);
  Arrow(dc, look.arrowDown, look.vertical, false, look.downEnabled, look.pressed == SB_LINEDOWN);
  if (look.thumb.right > look.thumb.left && look.thumb.bottom > look.thumb.top) {
    RECT t = look.thumb;
    DrawEdge(dc, &t, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
}

LRESULT ScrollBarControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = W(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      PaintBar(w, SB_CTL, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      BeginTrack(w, SB_CTL, QPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
      return 0;
    case WM_SIZE:
      InvalidateRect(hwnd, nullptr, FALSE);
      break;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_CANCELMODE:
      ScrollTrackCancel(hwnd);
      break;
    case WM_KEYDOWN: {
      // The keys of a focused bar scroll as its parts do.
      int code = -1;
      bool vert = (w->style & SBS_VERT) != 0;
      switch (wParam) {
        case VK_UP: code = vert ? SB_LINEUP : -1; break;
        case VK_DOWN: code = vert ? SB_LINEDOWN : -1; break;
        case VK_LEFT: code = vert ? -1 : SB_LINELEFT; break;
        case VK_RIGHT: code = vert ? -1 : SB_LINERIGHT; break;
        case VK_PRIOR: code = SB_PAGEUP; break;
        case VK_NEXT: code = SB_PAGEDOWN; break;
        case VK_HOME: code = SB_TOP; break;
        case VK_END: code = SB_BOTTOM; break;
      }
      if (code >= 0) {
        SendScroll(w, SB_CTL, code, 0);
        if ((w = W(hwnd))) SendScroll(w, SB_CTL, SB_ENDSCROLL, 0);
      }
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_CONTEXTMENU:
      ScrollBarContextMenu(w, SB_CTL, QPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
      return 0;
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace win

// ---- range and position --------------------------------------------------------------------------

// Shows or hides a window's own bar by its range; with SIF_DISABLENOSCROLL a shown bar without range
// stays and is disabled instead.
static void UpdateBarVisibility(Window* w, int bar, bool disableNoScroll) {
  ScrollBarState& s = w->scroll[static_cast<std::size_t>(bar)];
  const SCROLLINFO& si = s.info;
  DWORD flag = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
  bool needed = si.nMax > si.nMin && (si.nPage == 0 || static_cast<long long>(si.nPage) <= static_cast<long long>(si.nMax) - si.nMin);
  bool has = (w->style & flag) != 0;
  bool show = needed || (disableNoScroll && has);
  s.noScrollDisabled = !needed && show;
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
  ScrollBarState* s = BarState(w, bar);
  if (!s || !info) return 0;
  SCROLLINFO& si = s->info;
  if (info->fMask & SIF_RANGE) si.nMin = info->nMin, si.nMax = info->nMax;
  if (info->fMask & SIF_PAGE) si.nPage = info->nPage;
  if (info->fMask & SIF_POS) si.nPos = info->nPos;
  // The page never exceeds the range; the position stays where a whole page still fits.
  long long range = static_cast<long long>(si.nMax) - si.nMin + 1;
  if (range < 0) range = 0;
  if (static_cast<long long>(si.nPage) > range) si.nPage = static_cast<UINT>(range);
  si.nPos = std::clamp(si.nPos, si.nMin, MaxScrollPos(si));
  int pos = si.nPos;
  if (bar != SB_CTL && (info->fMask & (SIF_RANGE | SIF_PAGE)))
    UpdateBarVisibility(w, bar, (info->fMask & SIF_DISABLENOSCROLL) != 0);
  if (bar == SB_CTL && (info->fMask & (SIF_RANGE | SIF_PAGE))) {
    bool needed = si.nMax > si.nMin && static_cast<long long>(si.nPage) < range;
    s->noScrollDisabled = !needed && (info->fMask & SIF_DISABLENOSCROLL);
  }
  if (redraw && (w = W(hwnd))) Redraw(w, bar);
  return pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
  ScrollBarState* s = BarState(W(hwnd), bar);
  if (!s || !info) return FALSE;
  const SCROLLINFO& si = s->info;
  if (info->fMask & SIF_RANGE) info->nMin = si.nMin, info->nMax = si.nMax;
  if (info->fMask & SIF_PAGE) info->nPage = si.nPage;
  if (info->fMask & SIF_POS) info->nPos = si.nPos;
  if (info->fMask & SIF_TRACKPOS) {
    // Outside a drag of this bar's thumb the track position is the position.
    auto& tr = S().scrollTrack;
    bool dragging = tr.hwnd == hwnd && tr.bar == bar && tr.part == SB_THUMBTRACK;
    info->nTrackPos = dragging ? si.nTrackPos : si.nPos;
  }
  return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  ScrollBarState* s = BarState(W(hwnd), bar);
  if (!s) return 0;
  int old = s->info.nPos;
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = pos;
  SetScrollInfo(hwnd, bar, &si, redraw);
  return old;
}

int GetScrollPos(HWND hwnd, int bar) {
  ScrollBarState* s = BarState(W(hwnd), bar);
  return s ? s->info.nPos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
  if (!BarState(W(hwnd), bar)) return FALSE;
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = minPos;
  si.nMax = maxPos;
  SetScrollInfo(hwnd, bar, &si, redraw);
  return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
  ScrollBarState* s = BarState(W(hwnd), bar);
  if (!s) return FALSE;
  if (minPos) *minPos = s->info.nMin;
  if (maxPos) *maxPos = s->info.nMax;
  return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  Window* w = W(hwnd);
  if (!w) return FALSE;
  if (bar == SB_CTL) {
    ShowWindow(hwnd, show ? SW_SHOWNA : SW_HIDE);
    return TRUE;
  }
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
  auto apply = [&](int b) {
    ScrollBarState* s = BarState(w, b);
    s->disabled = arrows & ESB_DISABLE_BOTH;
    // Enabling both arrows also ends the disabled look SIF_DISABLENOSCROLL gave.
    if (arrows == ESB_ENABLE_BOTH) s->noScrollDisabled = false;
    if (S().scrollTrack.hwnd == hwnd && S().scrollTrack.bar == b && s->disabled) ScrollTrackCancel(hwnd);
    Redraw(w, b);
  };
  if (bar == SB_CTL) apply(SB_CTL);
  if (bar == SB_VERT || bar == SB_BOTH) apply(SB_VERT);
  if (bar == SB_HORZ || bar == SB_BOTH) apply(SB_HORZ);
  return TRUE;
}
