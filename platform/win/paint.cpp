// Invalidation, WM_PAINT with BeginPaint/EndPaint, window device contexts, scrolling, the caret.
#include <QPainter>

#include <cstring>

#include "platform/win/internal.h"
#include "platform/win/surface.h"

namespace win::detail {

void SendNcPaintIfNeeded(Window* w) {
  if (!w->ncDirty) return;
  w->ncDirty = false;
  if (w->client.size() == w->rect.size() && w->client.topLeft() == QPoint(0, 0)) return;
  if (!IsVisibleChain(w)) return;
  SendMessage(w->handle, WM_NCPAINT, 1, 0);
}

}  // namespace win::detail

using namespace win::detail;

static QRegion RegionFromRect(Window* w, const RECT* r) {
  if (!r) return QRegion(ClientRectLocal(w));
  return QRegion(QRect(QPoint(r->left, r->top), QPoint(r->right - 1, r->bottom - 1)));
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!hwnd) {
    for (Window* t : S().topLevels) InvalidateWholeWindow(t);
    return TRUE;
  }
  Window* w = W(hwnd);
  if (!w) return FALSE;
  InvalidateRegion(w, RegionFromRect(w, rect), erase != FALSE, ChildMode::Default);
  return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  Window* w = W(hwnd);
  if (!w) return FALSE;
  auto* r = GdiAs<RegionObj>(rgn, GdiKind::Region);
  InvalidateRegion(w, r ? r->region : QRegion(ClientRectLocal(w)), erase != FALSE, ChildMode::Default);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  Window* w = W(hwnd);
  if (!w) return FALSE;
  w->update -= RegionFromRect(w, rect);
  if (w->update.isEmpty()) w->erase = false;
  return TRUE;
}

BOOL ValidateRgn(HWND hwnd, HRGN rgn) {
  Window* w = W(hwnd);
  if (!w) return FALSE;
  auto* r = GdiAs<RegionObj>(rgn, GdiKind::Region);
  if (r)
    w->update -= r->region;
  else
    w->update = QRegion();
  if (w->update.isEmpty()) w->erase = false;
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  Window* w = W(hwnd);
  if (!w) return FALSE;
  SendNcPaintIfNeeded(w);
  if ((w = W(hwnd)) && IsVisibleChain(w) && !w->update.isEmpty()) SendMessage(hwnd, WM_PAINT, 0, 0);
  FlushDirty();
  return TRUE;
}

static void UpdateTree(HWND hwnd, bool children) {
  UpdateWindow(hwnd);
  Window* w = W(hwnd);
  if (!w || !children) return;
  std::vector<HWND> kids;
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) kids.push_back((*it)->handle);
  for (HWND k : kids) UpdateTree(k, true);
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN rgn, UINT flags) {
  if (!hwnd) {
    for (Window* t : std::vector<Window*>(S().topLevels)) RedrawWindow(t->handle, nullptr, nullptr, flags);
    return TRUE;
  }
  Window* w = W(hwnd);
  if (!w) return FALSE;
  QRegion region;
  if (auto* r = GdiAs<RegionObj>(rgn, GdiKind::Region))
    region = r->region;
  else
    region = RegionFromRect(w, rect);
  ChildMode mode = (flags & RDW_ALLCHILDREN) ? ChildMode::All
                   : (flags & RDW_NOCHILDREN) ? ChildMode::None
                                              : ChildMode::Default;
  if (flags & RDW_FRAME) w->ncDirty = true;
  if (flags & RDW_INVALIDATE) InvalidateRegion(w, region, (flags & RDW_ERASE) != 0, mode);
  if (flags & RDW_INTERNALPAINT) w->internalPaint = true;
  if (flags & RDW_VALIDATE) {
    w->update -= region;
    if (flags & RDW_NOINTERNALPAINT) w->internalPaint = false;
  }
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) UpdateTree(hwnd, mode != ChildMode::None);
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL) {
  Window* w = W(hwnd);
  if (!w) return FALSE;
  QRect b = w->update.boundingRect();
  if (rect) *rect = b.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
  return b.isEmpty() ? FALSE : TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL) {
  Window* w = W(hwnd);
  auto* r = GdiAs<RegionObj>(rgn, GdiKind::Region);
  if (!w || !r) return RGN_ERROR;
  r->region = w->update;
  if (w->update.isEmpty()) return NULLREGION;
  return w->update.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  Window* w = W(hwnd);
  if (!w) return nullptr;
  SendNcPaintIfNeeded(w);
  if (!(w = W(hwnd))) return nullptr;
  CaretHideForPaint(w);
  QRegion region = w->update;
  bool erase = w->erase;
  w->update = QRegion();
  w->erase = false;
  w->internalPaint = false;
  HDC hdc = NewDC(DCKind::Window, hwnd, false);
  DC* dc = D(hdc);
  dc->paintDC = true;
  dc->hasPaintRegion = true;
  dc->paintRegion = region;
  PAINTSTRUCT local;
  if (!ps) ps = &local;
  *ps = PAINTSTRUCT{};
  ps->hdc = hdc;
  QRect b = region.boundingRect();
  ps->rcPaint = b.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
  ps->fErase = FALSE;
  if (erase && !region.isEmpty()) ps->fErase = SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
  return hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (ps && ps->hdc) FreeDC(ps->hdc);
  if (Window* w = W(hwnd)) CaretRestoreAfterPaint(w);
  FlushDirty();
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  if (!hwnd) return NewDC(DCKind::Screen, nullptr, false);
  if (!W(hwnd)) return nullptr;
  return NewDC(DCKind::Window, hwnd, false);
}

HDC GetWindowDC(HWND hwnd) {
  if (!hwnd) return NewDC(DCKind::Screen, nullptr, false);
  if (!W(hwnd)) return nullptr;
  return NewDC(DCKind::Window, hwnd, true);
}

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags) {
  HDC hdc = (flags & DCX_WINDOW) ? GetWindowDC(hwnd) : GetDC(hwnd);
  DC* dc = D(hdc);
  auto* r = GdiAs<RegionObj>(clip, GdiKind::Region);
  if (dc && r && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) {
    // The region is in screen coordinates.
    QRegion rr = r->region;
    if (Window* w = W(hwnd)) {
      QPoint o = flags & DCX_WINDOW ? ClientOriginOnScreen(w) - w->client.topLeft() : ClientOriginOnScreen(w);
      rr.translate(-o);
    }
    dc->hasPaintRegion = true;
    QRegion all(QRect(-100000, -100000, 200000, 200000));
    dc->paintRegion = (flags & DCX_INTERSECTRGN) ? rr : all - rr;
  }
  return hdc;
}

int ReleaseDC(HWND, HDC hdc) {
  DC* dc = D(hdc);
  if (!dc || dc->kind == DCKind::Memory) return 0;
  FreeDC(hdc);
  FlushDirty();
  return 1;
}

HWND WindowFromDC(HDC hdc) {
  DC* dc = D(hdc);
  return dc ? dc->hwnd : nullptr;
}

// Scrolling moves the pixels already in the back buffer and invalidates only what was uncovered (and
// what could not be copied because it was hidden). Pending invalid areas move with the contents.
static QRegion ScrollContents(Window* w, int dx, int dy, const RECT* scrollRect, const RECT* clipRect, bool children,
                              bool invalidate, bool erase) {
  QRect client = ClientRectLocal(w);
  QRect area = scrollRect ? QRect(QPoint(scrollRect->left, scrollRect->top), QPoint(scrollRect->right - 1, scrollRect->bottom - 1)) & client
                          : client;
  QRect clip = clipRect ? QRect(QPoint(clipRect->left, clipRect->top), QPoint(clipRect->right - 1, clipRect->bottom - 1)) & client
                        : area;
  QPoint d(dx, dy);
  CaretHideForPaint(w);
  QRegion exposed = QRegion(area & clip);
  Window* top = TopLevelOf(w);
  QImage* topBuffer = IsVisibleChain(w) && (dx || dy) ? BackBuffer(top) : nullptr;
  if (topBuffer) {
    QPoint origin = ClientOriginInBuffer(w);
    QRegion visible = VisibleRegion(w, true).translated(-origin);  // client coordinates
    // Destination pixels whose source was inside both the scroll area and the clip rectangle, and
    // visible: what scrolls in from outside the clip (a footer below it) is painted afresh.
    QRegion valid = QRegion((area & clip).translated(d) & clip) & visible & visible.translated(d);
    QImage& buf = *topBuffer;
    QRect box = valid.boundingRect();
    if (!box.isEmpty()) {
      QImage source = buf.copy(box.translated(-d).translated(origin));
      int bpp = buf.depth() / 8;
      for (const QRect& r : valid) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
          uchar* dst = buf.scanLine(y + origin.y()) + (r.left() + origin.x()) * bpp;
          const uchar* src = source.constScanLine(y - box.top()) + (r.left() - box.left()) * bpp;
          std::memcpy(dst, src, static_cast<std::size_t>(r.width() * bpp));
        }
      }
      MarkDirty(top, box.translated(origin));
    }
    exposed = (QRegion(area & clip) | (QRegion(area.translated(d)) & clip)) - valid;
    // What was waiting to be painted inside the area moves along.
    QRegion inside = w->update & area;
    if (!inside.isEmpty()) w->update = (w->update - inside) | (inside.translated(d) & clip);
  }
  if (children) {
    for (Window* c : w->children) c->rect.translate(dx, dy);
    GeometryChanged();
    for (Window* c : w->children)
      if (c->style & WS_VISIBLE) InvalidateWholeWindow(c);
  }
  if (invalidate) InvalidateRegion(w, exposed, erase, ChildMode::None);
  CaretRestoreAfterPaint(w);
  return exposed;
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scrollRect, const RECT* clipRect) {
  Window* w = W(hwnd);
  if (!w) return FALSE;
  ScrollContents(w, dx, dy, scrollRect, clipRect, scrollRect == nullptr, true, true);
  return TRUE;
}

int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scrollRect, const RECT* clipRect, HRGN updateRgn,
                   RECT* updateRect, UINT flags) {
  Window* w = W(hwnd);
  if (!w) return RGN_ERROR;
  QRegion r = ScrollContents(w, dx, dy, scrollRect, clipRect, (flags & SW_SCROLLCHILDREN) != 0,
                             (flags & SW_INVALIDATE) != 0, (flags & SW_ERASE) != 0);
  if (auto* u = GdiAs<RegionObj>(updateRgn, GdiKind::Region)) u->region = r;
  if (updateRect) {
    QRect b = r.boundingRect();
    *updateRect = b.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
  }
  if (r.isEmpty()) return NULLREGION;
  return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

BOOL LockWindowUpdate(HWND) { return TRUE; }

// ---- caret: a steady inverted bar, removed while its window paints ------------------------------

namespace win::detail {

static void CaretInvert() {
  auto& c = S().caret;
  Window* w = W(c.hwnd);
  if (!w) return;
  HDC hdc = GetDC(c.hwnd);
  RECT r{c.pos.x(), c.pos.y(), c.pos.x() + c.width, c.pos.y() + c.height};
  InvertRect(hdc, &r);
  ReleaseDC(c.hwnd, hdc);
}

static void CaretErase() {
  auto& c = S().caret;
  if (c.drawn) {
    CaretInvert();
    c.drawn = false;
  }
}

static void CaretDraw() {
  auto& c = S().caret;
  if (!c.drawn && c.hideCount <= 0 && W(c.hwnd)) {
    CaretInvert();
    c.drawn = true;
  }
}

void CaretHideForPaint(Window* w) {
  if (S().caret.hwnd == w->handle) CaretErase();
}
void CaretRestoreAfterPaint(Window* w) {
  if (S().caret.hwnd == w->handle) CaretDraw();
}
void CaretForget(HWND hwnd) {
  if (S().caret.hwnd == hwnd) S().caret = Caret{};
}

}  // namespace win::detail

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
  if (!W(hwnd)) return FALSE;
  DestroyCaret();
  auto& c = S().caret;
  c.hwnd = hwnd;
  c.width = width > 0 ? width : 1;
  c.height = height > 0 ? height : 1;
  c.hideCount = 1;
  c.drawn = false;
  return TRUE;
}

BOOL DestroyCaret() {
  CaretErase();
  S().caret = Caret{};
  return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
  auto& c = S().caret;
  if (!c.hwnd || (hwnd && hwnd != c.hwnd)) return FALSE;
  if (c.hideCount > 0) --c.hideCount;
  CaretDraw();
  return TRUE;
}

BOOL HideCaret(HWND hwnd) {
  auto& c = S().caret;
  if (!c.hwnd || (hwnd && hwnd != c.hwnd)) return FALSE;
  CaretErase();
  ++c.hideCount;
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  auto& c = S().caret;
  if (!c.hwnd) return FALSE;
  bool was = c.drawn;
  CaretErase();
  c.pos = QPoint(x, y);
  if (was) CaretDraw();
  return TRUE;
}

BOOL GetCaretPos(POINT* pt) {
  if (!pt) return FALSE;
  pt->x = S().caret.pos.x();
  pt->y = S().caret.pos.y();
  return TRUE;
}
