// Window regions (SetWindowRgn): a window that is not a rectangle draws and takes the mouse only
// inside its shape; a top-level's shape goes to the host as the real window's mask.
#include "platform/win/host.h"
#include "platform/win/internal.h"

namespace win::detail {

QRegion WindowShape(const Window* w) {
  if (!w->hasRegion) return QRegion(w->rect);
  return (w->region & QRect(QPoint(0, 0), w->rect.size())).translated(w->rect.topLeft());
}

}  // namespace win::detail

using namespace win::detail;

int SetWindowRgn(HWND hwnd, HRGN rgn, BOOL redraw) {
  Window* w = W(hwnd);
  if (!w) return 0;
  RegionObj* r = rgn ? GdiAs<RegionObj>(rgn, GdiKind::Region) : nullptr;
  if (rgn && !r) return 0;
  // What the old shape covered in the parent must show again.
  if (redraw && IsWindowVisible(hwnd)) InvalidateParentArea(w);
  w->hasRegion = r != nullptr;
  w->region = r ? r->region : QRegion();
  if (r) DeleteObject(rgn);  // the window owns it from now on
  GeometryChanged();
  if (!w->parent)
    if (auto* host = win::CurrentHost()) {
      std::vector<RECT> rects;
      for (const QRect& q : w->region) rects.push_back(RECT{q.left(), q.top(), q.right() + 1, q.bottom() + 1});
      host->TopLevelShapeChanged(hwnd, w->hasRegion, rects);
    }
  if (redraw) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  return 1;
}

int GetWindowRgn(HWND hwnd, HRGN rgn) {
  Window* w = W(hwnd);
  RegionObj* r = GdiAs<RegionObj>(rgn, GdiKind::Region);
  if (!w || !r || !w->hasRegion) return RGN_ERROR;
  r->region = w->region;
  if (r->region.isEmpty()) return NULLREGION;
  return r->region.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
