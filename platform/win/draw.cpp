// GDI drawing primitives over QPainter, following GDI's pixel rules.
#include <QPainterPath>
#include <QtMath>

#include <functional>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/win/gdi_painter.h"

namespace win::detail {

QColor Q(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

GdiPainter::GdiPainter(HDC hdc) {
  dc_ = D(hdc);
  if (!ResolveTarget(dc_, t_)) return;
  QImage* img = t_.image;
  if (img->format() == QImage::Format_ARGB32) {
    // GDI writes opaque pixels and ignores alpha: paint through an RGB32 view of the same memory.
    view_ = QImage(img->bits(), img->width(), img->height(), img->bytesPerLine(), QImage::Format_RGB32);
    if (!painter_.begin(&view_)) return;
  } else if (!painter_.begin(img)) {
    return;
  }
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setClipRegion(t_.clip);
  painter_.setWorldTransform(LogicalToDevice(dc_->s) * QTransform::fromTranslate(t_.origin.x(), t_.origin.y()));
  painter_.setBrushOrigin(IsScaled(dc_->s) ? ToLogical(dc_->s, dc_->s.brushOrg) : dc_->s.brushOrg - LogicalOffset(dc_->s));
  ok_ = true;
}

void GdiPainter::Touched(const QRect& logical) {
  if (deviceSpace_) {
    TouchedDevice(logical);
    return;
  }
  TouchedDevice(LogicalToDevice(dc_->s).mapRect(logical.normalized()));
}

void GdiPainter::TouchedDevice(const QRect& device) {
  QRect r = device.normalized().adjusted(-2, -2, 2, 2).translated(t_.origin);
  touchedRect_ = touched_ ? touchedRect_.united(r) : r;
  touched_ = true;
}

void GdiPainter::DeviceSpace() {
  deviceSpace_ = true;
  painter_.setWorldTransform(QTransform::fromTranslate(t_.origin.x(), t_.origin.y()));
}

GdiPainter::~GdiPainter() {
  if (painter_.isActive()) painter_.end();
  if (ok_ && t_.top) {
    QRect area = t_.clip.boundingRect();
    if (touched_) area &= touchedRect_;
    MarkDirty(t_.top, area);
  }
}

bool ApplyRop2(QPainter& p, int rop2, QColor& color) {
  using CM = QPainter::CompositionMode;
  CM mode = CM::CompositionMode_SourceOver;
  switch (rop2) {
    case R2_BLACK: color = Qt::black; break;
    case R2_WHITE: color = Qt::white; break;
    case R2_NOP: return false;
    case R2_NOT: mode = CM::RasterOp_NotDestination; break;
    case R2_XORPEN: mode = CM::RasterOp_SourceXorDestination; break;
    case R2_NOTXORPEN: mode = CM::RasterOp_NotSourceXorDestination; break;
    case R2_MASKPEN: mode = CM::RasterOp_SourceAndDestination; break;
    case R2_MERGEPEN: mode = CM::RasterOp_SourceOrDestination; break;
    case R2_NOTCOPYPEN: mode = CM::RasterOp_NotSource; break;
    case R2_NOTMERGEPEN: mode = CM::RasterOp_NotSourceAndNotDestination; break;
    case R2_NOTMASKPEN: mode = CM::RasterOp_NotSourceOrNotDestination; break;
    case R2_MASKNOTPEN: mode = CM::RasterOp_NotSourceAndDestination; break;
    case R2_MASKPENNOT: mode = CM::RasterOp_SourceAndNotDestination; break;
    case R2_MERGENOTPEN: mode = CM::RasterOp_NotSourceOrDestination; break;
    case R2_MERGEPENNOT: mode = CM::RasterOp_SourceOrNotDestination; break;
    default: break;
  }
  p.setCompositionMode(mode);
  return true;
}

bool RopToComposition(DWORD rop, QPainter::CompositionMode& mode) {
  using CM = QPainter::CompositionMode;
  switch (rop) {
    case SRCCOPY: mode = CM::CompositionMode_Source; return true;
    case SRCPAINT: mode = CM::RasterOp_SourceOrDestination; return true;
    case SRCAND: mode = CM::RasterOp_SourceAndDestination; return true;
    case SRCINVERT: mode = CM::RasterOp_SourceXorDestination; return true;
    case SRCERASE: mode = CM::RasterOp_SourceAndNotDestination; return true;
    case NOTSRCCOPY: mode = CM::RasterOp_NotSource; return true;
    case NOTSRCERASE: mode = CM::RasterOp_NotSourceAndNotDestination; return true;
    case MERGEPAINT: mode = CM::RasterOp_NotSourceOrDestination; return true;
  }
  return false;
}

COLORREF PenColor(DC* dc, PenObj* pen) { return pen->dcPen ? dc->s.dcPenColor : pen->color; }

BrushObj* BrushOf(HBRUSH brush) {
  auto v = reinterpret_cast<std::uintptr_t>(brush);
  if (v >= 1 && v <= 31) return GdiAs<BrushObj>(SysColorBrushInternal(static_cast<int>(v) - 1), GdiKind::Brush);
  return GdiAs<BrushObj>(brush, GdiKind::Brush);
}

// 8x8 hatch patterns, one bit per pixel, leftmost pixel in the high bit.
static const std::uint8_t kHatch[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // horizontal
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal: top-left to bottom-right
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
};

QBrush MakeBrush(DC* dc, HBRUSH brush) {
  BrushObj* b = BrushOf(brush);
  if (!b || b->style == BS_NULL) return Qt::NoBrush;
  if (b->dcBrush) return QBrush(Q(dc->s.dcBrushColor));
  if (b->style == BS_HATCHED) {
    QImage tex(8, 8, QImage::Format_ARGB32);
    QRgb fg = Q(b->color).rgb();
    QRgb bg = dc->s.bkMode == OPAQUE ? Q(dc->s.bkColor).rgb() : qRgba(0, 0, 0, 0);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) tex.setPixel(x, y, (kHatch[b->hatch][y] & (0x80 >> x)) ? fg : bg);
    return QBrush(tex);
  }
  if (b->style == BS_PATTERN && !b->pattern.isNull()) return QBrush(b->pattern);
  return QBrush(Q(b->sysColor >= 0 ? SysColor(b->sysColor) : b->color));
}

// ---- thin lines -----------------------------------------------------------------------------------

struct LineStyle {
  std::vector<int> pattern;  // on, off, on, off... lengths; empty: solid
  std::size_t index = 0;
  int left = 0;
  bool Next() {
    if (pattern.empty()) return true;
    for (std::size_t guard = 0; left == 0 && guard <= pattern.size(); ++guard) {
      index = (index + 1) % pattern.size();
      left = pattern[index];
    }
    if (left == 0) return true;
    --left;
    return index % 2 == 0;
  }
};

static LineStyle StyleFor(int style) {
  LineStyle s;
  switch (style) {
    case PS_DASH: s.pattern = {18, 6}; break;
    case PS_DOT: s.pattern = {3, 3}; break;
    case PS_DASHDOT: s.pattern = {9, 6, 3, 6}; break;
    case PS_DASHDOTDOT: s.pattern = {9, 3, 3, 3, 3, 3}; break;
    case PS_ALTERNATE: s.pattern = {1, 1}; break;
    default: break;
  }
  if (!s.pattern.empty()) s.left = s.pattern[0];
  return s;
}

// Pixels of a line from a to b, without b (Bresenham).
static void LinePixels(QPoint a, QPoint b, LineStyle& st, QVector<QPoint>& on, QVector<QPoint>& off) {
  int dx = std::abs(b.x() - a.x()), dy = -std::abs(b.y() - a.y());
  int sx = a.x() < b.x() ? 1 : -1, sy = a.y() < b.y() ? 1 : -1;
  int err = dx + dy;
  int x = a.x(), y = a.y();
  while (x != b.x() || y != b.y()) {
    (st.Next() ? on : off).push_back(QPoint(x, y));
    int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

// Cap and join of a wide pen: a geometric pen says which; other wide pens are round.
static void WidePenShape(const PenObj* pen, Qt::PenCapStyle& cap, Qt::PenJoinStyle& join) {
  cap = Qt::RoundCap;
  join = Qt::RoundJoin;
  if (!(pen->fullStyle & PS_GEOMETRIC)) return;
  switch (pen->fullStyle & PS_ENDCAP_MASK) {
    case PS_ENDCAP_FLAT: cap = Qt::FlatCap; break;
    case PS_ENDCAP_SQUARE: cap = Qt::SquareCap; break;
    default: break;
  }
  switch (pen->fullStyle & PS_JOIN_MASK) {
    case PS_JOIN_MITER: join = Qt::MiterJoin; break;
    case PS_JOIN_BEVEL: join = Qt::BevelJoin; break;
    default: break;
  }
}

// Draws a polyline with the DC's pen: segments exclude their last point (so joints are drawn once).
// One-pixel lines are stepped through in device pixels, after mapping their points, as GDI does.
static void StrokePolyline(GdiPainter& gp, const QVector<QPoint>& pts, bool closed) {
  DC* dc = gp.dc();
  auto* pen = GdiAs<PenObj>(dc->s.pen, GdiKind::Pen);
  if (!pen || pen->style == PS_NULL || pts.size() < 2) return;
  QPainter& p = gp.p();
  QColor color = Q(PenColor(dc, pen));
  p.save();
  if (!ApplyRop2(p, dc->s.rop2, color)) {
    p.restore();
    return;
  }
  if (pen->width > 1) {
    Qt::PenCapStyle cap;
    Qt::PenJoinStyle join;
    WidePenShape(pen, cap, join);
    QPen qp(color, pen->width, Qt::SolidLine, cap, join);
    qp.setMiterLimit(10);
    p.setPen(qp);
    p.setBrush(Qt::NoBrush);
    // Through pixel centres, so that a line of odd width covers whole pixels on both sides.
    QPolygonF poly;
    for (const QPoint& q : pts) poly << QPointF(q) + QPointF(0.5, 0.5);
    if (closed)
      p.drawPolygon(poly);
    else
      p.drawPolyline(poly);
    QRect b = QPolygon(pts).boundingRect().adjusted(-pen->width, -pen->width, pen->width, pen->width);
    gp.Touched(b);
  } else {
    QVector<QPoint> dev;
    for (const QPoint& q : pts) dev << ToDevice(dc->s, q);
    gp.DeviceSpace();
    LineStyle st = StyleFor(pen->style);
    if (pen->style == PS_USERSTYLE && !pen->userStyle.empty()) {
      // Dashes and gaps as given; an odd count repeats with dashes and gaps swapped, as pairs do.
      st.pattern = pen->userStyle;
      if (st.pattern.size() % 2) st.pattern.insert(st.pattern.end(), pen->userStyle.begin(), pen->userStyle.end());
      st.index = 0;
      st.left = st.pattern[0];
      // Zero lengths are skipped as the pattern runs.
    }
    QVector<QPoint> on, off;
    int n = static_cast<int>(dev.size());
    int segs = closed ? n : n - 1;
    for (int i = 0; i < segs; ++i) LinePixels(dev[i], dev[(i + 1) % n], st, on, off);
    p.setBrush(Qt::NoBrush);
    QPen qp(color, 1);
    qp.setCosmetic(true);
    p.setPen(qp);
    if (!on.isEmpty()) p.drawPoints(on.data(), static_cast<int>(on.size()));
    if (!off.isEmpty() && dc->s.bkMode == OPAQUE) {
      QColor bk = Q(dc->s.bkColor);
      ApplyRop2(p, dc->s.rop2, bk);
      qp.setColor(bk);
      p.setPen(qp);
      p.drawPoints(off.data(), static_cast<int>(off.size()));
    }
    gp.TouchedDevice(QPolygon(dev).boundingRect().adjusted(-1, -1, 1, 1));
  }
  p.restore();
}

static void FillShape(GdiPainter& gp, const std::function<void(QPainter&)>& draw, const QRect& bounds) {
  DC* dc = gp.dc();
  QBrush brush = MakeBrush(dc, dc->s.brush);
  if (brush.style() == Qt::NoBrush) return;
  QPainter& p = gp.p();
  p.save();
  QColor c = brush.color();
  if (!ApplyRop2(p, dc->s.rop2, c)) {
    p.restore();
    return;
  }
  if (brush.style() == Qt::SolidPattern) brush.setColor(c);
  p.setPen(Qt::NoPen);
  p.setBrush(brush);
  draw(p);
  p.restore();
  gp.Touched(bounds);
}

static QRect Norm(int l, int t, int r, int b) {
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  return QRect(l, t, r - l, b - t);
}

}  // namespace win::detail

using namespace win::detail;

BOOL MoveToEx(HDC hdc, int x, int y, POINT* old) {
  DC* dc = D(hdc);
  if (!dc) return FALSE;
  if (old) *old = POINT{dc->s.pos.x(), dc->s.pos.y()};
  dc->s.pos = QPoint(x, y);
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, POINT* pt) {
  DC* dc = D(hdc);
  if (!dc || !pt) return FALSE;
  *pt = POINT{dc->s.pos.x(), dc->s.pos.y()};
  return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
  DC* dc = D(hdc);
  if (!dc) return FALSE;
  QPoint from = dc->s.pos;
  dc->s.pos = QPoint(x, y);
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  StrokePolyline(gp, {from, QPoint(x, y)}, false);
  return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* pts, int count) {
  if (!D(hdc) || !pts || count < 2) return FALSE;
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  QVector<QPoint> v;
  for (int i = 0; i < count; ++i) v << QPoint(pts[i].x, pts[i].y);
  StrokePolyline(gp, v, false);
  return TRUE;
}

BOOL PolyPolyline(HDC hdc, const POINT* pts, const DWORD* counts, DWORD polylines) {
  if (!D(hdc) || !pts || !counts) return FALSE;
  for (DWORD i = 0; i < polylines; ++i)
    if (counts[i] < 2) return FALSE;
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  std::size_t offset = 0;
  for (DWORD i = 0; i < polylines; ++i) {
    QVector<QPoint> v;
    for (DWORD k = 0; k < counts[i]; ++k) v << QPoint(pts[offset + k].x, pts[offset + k].y);
    offset += counts[i];
    StrokePolyline(gp, v, false);
  }
  return TRUE;
}

BOOL PolyBezier(HDC hdc, const POINT* pts, DWORD count) {
  if (!D(hdc) || !pts || count < 4) return FALSE;
  QPainterPath path(QPointF(pts[0].x, pts[0].y));
  for (DWORD i = 1; i + 2 < count; i += 3)
    path.cubicTo(QPointF(pts[i].x, pts[i].y), QPointF(pts[i + 1].x, pts[i + 1].y), QPointF(pts[i + 2].x, pts[i + 2].y));
  QVector<QPoint> v;
  for (const QPolygonF& poly : path.toSubpathPolygons())
    for (const QPointF& q : poly) v << q.toPoint();
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  StrokePolyline(gp, v, false);
  return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* pts, int count) {
  DC* dc = D(hdc);
  if (!dc || !pts || count < 2) return FALSE;
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  QPolygon poly;
  for (int i = 0; i < count; ++i) poly << QPoint(pts[i].x, pts[i].y);
  Qt::FillRule rule = dc->s.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
  FillShape(gp, [&](QPainter& p) { p.drawPolygon(poly, rule); }, poly.boundingRect());
  StrokePolyline(gp, QVector<QPoint>(poly.begin(), poly.end()), true);
  return TRUE;
}

BOOL PolyPolygon(HDC hdc, const POINT* pts, const INT* counts, int polygons) {
  if (!pts || !counts) return FALSE;
  int offset = 0;
  for (int i = 0; i < polygons; ++i) {
    Polygon(hdc, pts + offset, counts[i]);
    offset += counts[i];
  }
  return TRUE;
}

// Frame bars of a rectangle outline for solid pens (exact pixels, any width).
static void FrameBars(QPainter& p, const QRect& outer, int w, const QColor& c) {
  if (outer.width() <= 0 || outer.height() <= 0) return;
  if (outer.width() <= 2 * w || outer.height() <= 2 * w) {
    p.fillRect(outer, c);
    return;
  }
  p.fillRect(QRect(outer.left(), outer.top(), outer.width(), w), c);
  p.fillRect(QRect(outer.left(), outer.bottom() - w + 1, outer.width(), w), c);
  p.fillRect(QRect(outer.left(), outer.top() + w, w, outer.height() - 2 * w), c);
  p.fillRect(QRect(outer.right() - w + 1, outer.top() + w, w, outer.height() - 2 * w), c);
}

BOOL Rectangle(HDC hdc, int l, int t, int r, int b) {
  DC* dc = D(hdc);
  if (!dc) return FALSE;
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  QRect box = Norm(l, t, r, b);
  auto* pen = GdiAs<PenObj>(dc->s.pen, GdiKind::Pen);
  bool noPen = !pen || pen->style == PS_NULL;
  if (noPen) {
    // Without a pen the filled area is one pixel smaller, as with GDI.
    QRect fill(box.left(), box.top(), box.width() - 1, box.height() - 1);
    FillShape(gp, [&](QPainter& p) { p.drawRect(fill); }, fill);
    return TRUE;
  }
  int w = std::max(1, pen->width);
  QRect outer = box;
  if (w > 1 && pen->style != PS_INSIDEFRAME) outer = box.adjusted(-(w - 1) / 2, -(w - 1) / 2, w / 2, w / 2);
  QRect inner = outer.adjusted(w, w, -w, -w);
  if (inner.width() > 0 && inner.height() > 0) FillShape(gp, [&](QPainter& p) { p.drawRect(inner); }, inner);
  if (pen->style == PS_SOLID || pen->style == PS_INSIDEFRAME || w > 1) {
    QPainter& p = gp.p();
    p.save();
    QColor c = Q(PenColor(dc, pen));
    if (ApplyRop2(p, dc->s.rop2, c)) FrameBars(p, outer, w, c);
    p.restore();
    gp.Touched(outer);
  } else {
    QVector<QPoint> pts{box.topLeft(), QPoint(box.right(), box.top()), box.bottomRight(), QPoint(box.left(), box.bottom())};
    StrokePolyline(gp, pts, true);
  }
  return TRUE;
}

BOOL RoundRect(HDC hdc, int l, int t, int r, int b, int w, int h) {
  DC* dc = D(hdc);
  if (!dc) return FALSE;
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  QRect box = Norm(l, t, r, b);
  QRect shape(box.left(), box.top(), box.width() - 1, box.height() - 1);
  FillShape(gp, [&](QPainter& p) { p.drawRoundedRect(shape, w / 2.0, h / 2.0); }, box);
  auto* pen = GdiAs<PenObj>(dc->s.pen, GdiKind::Pen);
  if (pen && pen->style != PS_NULL) {
    QPainter& p = gp.p();
    p.save();
    QColor c = Q(PenColor(dc, pen));
    if (ApplyRop2(p, dc->s.rop2, c)) {
      QPen qp(c, std::max(1, pen->width));
      if (pen->width <= 1) qp.setCosmetic(true);
      p.setPen(qp);
      p.setBrush(Qt::NoBrush);
      p.drawRoundedRect(shape, w / 2.0, h / 2.0);
    }
    p.restore();
    gp.Touched(box);
  }
  return TRUE;
}

static void OutlineShape(GdiPainter& gp, const std::function<void(QPainter&)>& draw, const QRect& bounds) {
  DC* dc = gp.dc();
  auto* pen = GdiAs<PenObj>(dc->s.pen, GdiKind::Pen);
  if (!pen || pen->style == PS_NULL) return;
  QPainter& p = gp.p();
  p.save();
  QColor c = Q(PenColor(dc, pen));
  if (ApplyRop2(p, dc->s.rop2, c)) {
    QPen qp(c, std::max(1, pen->width));
    if (pen->width <= 1) qp.setCosmetic(true);
    if (pen->style == PS_DASH) qp.setStyle(Qt::DashLine);
    if (pen->style == PS_DOT || pen->style == PS_ALTERNATE) qp.setStyle(Qt::DotLine);
    if (pen->style == PS_DASHDOT) qp.setStyle(Qt::DashDotLine);
    if (pen->style == PS_DASHDOTDOT) qp.setStyle(Qt::DashDotDotLine);
    p.setPen(qp);
    p.setBrush(Qt::NoBrush);
    draw(p);
  }
  p.restore();
  gp.Touched(bounds);
}

BOOL Ellipse(HDC hdc, int l, int t, int r, int b) {
  if (!D(hdc)) return FALSE;
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  QRect box = Norm(l, t, r, b);
  QRect shape(box.left(), box.top(), box.width() - 1, box.height() - 1);
  FillShape(gp, [&](QPainter& p) { p.drawEllipse(shape); }, box);
  OutlineShape(gp, [&](QPainter& p) { p.drawEllipse(shape); }, box);
  return TRUE;
}

// Start and sweep (in 1/16 degree, counter-clockwise) of an arc given by two radial points.
static void ArcAngles(const QRect& box, int xs, int ys, int xe, int ye, int& start, int& span) {
  QPointF c = QRectF(box).center();
  double a0 = qRadiansToDegrees(std::atan2(-(ys - c.y()), xs - c.x()));
  double a1 = qRadiansToDegrees(std::atan2(-(ye - c.y()), xe - c.x()));
  double sweep = a1 - a0;
  while (sweep <= 0) sweep += 360;
  start = static_cast<int>(std::nearbyint(a0 * 16));
  span = static_cast<int>(std::nearbyint(sweep * 16));
}

BOOL Arc(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  if (!D(hdc)) return FALSE;
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  QRect box = Norm(l, t, r, b);
  QRect shape(box.left(), box.top(), box.width() - 1, box.height() - 1);
  int start, span;
  ArcAngles(box, xs, ys, xe, ye, start, span);
  OutlineShape(gp, [&](QPainter& p) { p.drawArc(shape, start, span); }, box);
  return TRUE;
}

BOOL Pie(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  if (!D(hdc)) return FALSE;
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  QRect box = Norm(l, t, r, b);
  QRect shape(box.left(), box.top(), box.width() - 1, box.height() - 1);
  int start, span;
  ArcAngles(box, xs, ys, xe, ye, start, span);
  FillShape(gp, [&](QPainter& p) { p.drawPie(shape, start, span); }, box);
  OutlineShape(gp, [&](QPainter& p) { p.drawPie(shape, start, span); }, box);
  return TRUE;
}

BOOL Chord(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  if (!D(hdc)) return FALSE;
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  QRect box = Norm(l, t, r, b);
  QRect shape(box.left(), box.top(), box.width() - 1, box.height() - 1);
  int start, span;
  ArcAngles(box, xs, ys, xe, ye, start, span);
  FillShape(gp, [&](QPainter& p) { p.drawChord(shape, start, span); }, box);
  OutlineShape(gp, [&](QPainter& p) { p.drawChord(shape, start, span); }, box);
  return TRUE;
}

int FillRect(HDC hdc, const RECT* rc, HBRUSH brush) {
  DC* dc = D(hdc);
  if (!dc || !rc) return 0;
  GdiPainter gp(hdc);
  if (!gp.ok()) return 1;
  QBrush b = MakeBrush(dc, brush);
  if (b.style() == Qt::NoBrush) return 1;
  QRect r = Norm(rc->left, rc->top, rc->right, rc->bottom);
  if (b.style() == Qt::SolidPattern)
    gp.p().fillRect(r, b.color());
  else
    gp.p().fillRect(r, b);
  gp.Touched(r);
  return 1;
}

int FrameRect(HDC hdc, const RECT* rc, HBRUSH brush) {
  DC* dc = D(hdc);
  if (!dc || !rc) return 0;
  GdiPainter gp(hdc);
  if (!gp.ok()) return 1;
  QBrush b = MakeBrush(dc, brush);
  QRect r = Norm(rc->left, rc->top, rc->right, rc->bottom);
  if (b.style() == Qt::NoBrush || r.isEmpty()) return 1;
  QPainter& p = gp.p();
  p.fillRect(QRect(r.left(), r.top(), r.width(), 1), b);
  p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), b);
  p.fillRect(QRect(r.left(), r.top(), 1, r.height()), b);
  p.fillRect(QRect(r.right(), r.top(), 1, r.height()), b);
  gp.Touched(r);
  return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rc) {
  if (!D(hdc) || !rc) return FALSE;
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  QRect r = Norm(rc->left, rc->top, rc->right, rc->bottom);
  gp.p().setCompositionMode(QPainter::RasterOp_NotDestination);
  gp.p().fillRect(r, Qt::black);
  gp.Touched(r);
  return TRUE;
}

BOOL InvertRgn(HDC hdc, HRGN rgn) {
  auto* r = GdiAs<RegionObj>(rgn, GdiKind::Region);
  if (!r) return FALSE;
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  gp.p().setCompositionMode(QPainter::RasterOp_NotDestination);
  gp.DeviceSpace();  // regions are in device coordinates
  for (const QRect& rc : r->region) gp.p().fillRect(rc, Qt::black);
  gp.TouchedDevice(r->region.boundingRect());
  return TRUE;
}

BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush) {
  auto* r = GdiAs<RegionObj>(rgn, GdiKind::Region);
  DC* dc = D(hdc);
  if (!r || !dc) return FALSE;
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  QBrush b = MakeBrush(dc, brush);
  if (b.style() == Qt::NoBrush) return TRUE;
  // Regions are in device coordinates; a brush pattern keeps its device alignment.
  gp.p().setBrushOrigin(dc->s.brushOrg);
  gp.DeviceSpace();
  for (const QRect& rc : r->region) gp.p().fillRect(rc, b);
  gp.TouchedDevice(r->region.boundingRect());
  return TRUE;
}

BOOL PaintRgn(HDC hdc, HRGN rgn) {
  DC* dc = D(hdc);
  return dc ? FillRgn(hdc, rgn, dc->s.brush) : FALSE;
}

BOOL FrameRgn(HDC hdc, HRGN rgn, HBRUSH brush, int w, int h) {
  auto* r = GdiAs<RegionObj>(rgn, GdiKind::Region);
  DC* dc = D(hdc);
  if (!r || !dc) return FALSE;
  QRegion inner = r->region & r->region.translated(w, 0) & r->region.translated(-w, 0) & r->region.translated(0, h) &
                  r->region.translated(0, -h);
  QRegion frame = r->region - inner;
  auto tmp = std::make_unique<RegionObj>();
  tmp->region = frame;
  HRGN fr = static_cast<HRGN>(AddGdi(std::move(tmp)));
  FillRgn(hdc, fr, brush);
  DeleteObject(fr);
  return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rc) {
  if (!D(hdc) || !rc) return FALSE;
  GdiPainter gp(hdc);
  if (!gp.ok()) return TRUE;
  // The rectangle is mapped as a whole (a mirrored DC keeps its frame on the same pixels), then the
  // dots are set in device pixels.
  QRect r = ToDeviceRect(gp.dc()->s, Norm(rc->left, rc->top, rc->right, rc->bottom));
  if (r.isEmpty()) return TRUE;
  gp.DeviceSpace();
  // Every other pixel of the frame is inverted, so drawing it twice restores the picture.
  QVector<QPoint> pts;
  for (int x = r.left(); x <= r.right(); ++x) {
    if ((x + r.top()) % 2 == 0) pts << QPoint(x, r.top());
    if (r.bottom() != r.top() && (x + r.bottom()) % 2 == 0) pts << QPoint(x, r.bottom());
  }
  for (int y = r.top() + 1; y < r.bottom(); ++y) {
    if ((r.left() + y) % 2 == 0) pts << QPoint(r.left(), y);
    if (r.right() != r.left() && (r.right() + y) % 2 == 0) pts << QPoint(r.right(), y);
  }
  QPainter& p = gp.p();
  p.setCompositionMode(QPainter::RasterOp_NotDestination);
  QPen pen(Qt::black, 1);
  pen.setCosmetic(true);
  p.setPen(pen);
  p.drawPoints(pts.data(), static_cast<int>(pts.size()));
  gp.Touched(r);
  return TRUE;
}

static bool DevicePoint(HDC hdc, int x, int y, Target& t, QPoint& img) {
  DC* dc = D(hdc);
  if (!ResolveTarget(dc, t)) return false;
  img = ToDevice(dc->s, QPoint(x, y)) + t.origin;
  return t.image->rect().contains(img) && t.clip.contains(img);
}

static COLORREF ReadPixel(const QImage& img, QPoint p) {
  if (img.format() == QImage::Format_BGR888) {
    const uchar* s = img.constScanLine(p.y()) + p.x() * 3;
    return RGB(s[2], s[1], s[0]);
  }
  if (img.depth() == 32) {
    QRgb v = reinterpret_cast<const QRgb*>(img.constScanLine(p.y()))[p.x()];
    return RGB(qRed(v), qGreen(v), qBlue(v));
  }
  QRgb v = img.pixel(p);
  return RGB(qRed(v), qGreen(v), qBlue(v));
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF c) {
  Target t;
  QPoint p;
  if (!DevicePoint(hdc, x, y, t, p)) return CLR_INVALID;
  QImage& img = *t.image;
  c &= 0xFFFFFF;
  if (img.format() == QImage::Format_BGR888) {
    uchar* s = img.scanLine(p.y()) + p.x() * 3;
    s[0] = GetBValue(c), s[1] = GetGValue(c), s[2] = GetRValue(c);
  } else if (img.depth() == 32) {
    reinterpret_cast<QRgb*>(img.scanLine(p.y()))[p.x()] = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
  } else {
    img.setPixel(p, qRgb(GetRValue(c), GetGValue(c), GetBValue(c)));
  }
  if (t.top) MarkDirty(t.top, QRect(p, QSize(1, 1)));
  return c;
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF c) { return SetPixel(hdc, x, y, c) != CLR_INVALID ? TRUE : FALSE; }

COLORREF GetPixel(HDC hdc, int x, int y) {
  Target t;
  QPoint p;
  if (!DevicePoint(hdc, x, y, t, p)) return CLR_INVALID;
  return ReadPixel(*t.image, p);
}

BOOL ExtFloodFill(HDC hdc, int x, int y, COLORREF color, UINT type) {
  DC* dc = D(hdc);
  Target t;
  QPoint start;
  if (!DevicePoint(hdc, x, y, t, start)) return FALSE;
  QImage& img = *t.image;
  auto match = [&](QPoint p) {
    COLORREF c = ReadPixel(img, p);
    return type == FLOODFILLSURFACE ? c == (color & 0xFFFFFF) : c != (color & 0xFFFFFF);
  };
  if (!match(start)) return FALSE;
  QRegion filled;
  std::vector<QPoint> stack{start};
  std::vector<bool> seen(static_cast<std::size_t>(img.width()) * static_cast<std::size_t>(img.height()), false);
  while (!stack.empty()) {
    QPoint p = stack.back();
    stack.pop_back();
    if (!img.rect().contains(p) || !t.clip.contains(p)) continue;
    std::size_t idx = static_cast<std::size_t>(p.y()) * static_cast<std::size_t>(img.width()) + static_cast<std::size_t>(p.x());
    if (seen[idx] || !match(p)) continue;
    seen[idx] = true;
    int l = p.x(), r = p.x();
    while (l - 1 >= 0 && t.clip.contains(QPoint(l - 1, p.y())) && match(QPoint(l - 1, p.y()))) seen[idx - (p.x() - l + 1)] = true, --l;
    while (r + 1 < img.width() && t.clip.contains(QPoint(r + 1, p.y())) && match(QPoint(r + 1, p.y()))) seen[idx + (r + 1 - p.x())] = true, ++r;
    filled += QRect(l, p.y(), r - l + 1, 1);
    for (int xx = l; xx <= r; ++xx) {
      stack.push_back(QPoint(xx, p.y() - 1));
      stack.push_back(QPoint(xx, p.y() + 1));
    }
  }
  auto tmp = std::make_unique<RegionObj>();
  tmp->region = filled.translated(-t.origin);
  HRGN rg = static_cast<HRGN>(AddGdi(std::move(tmp)));
  FillRgn(hdc, rg, dc->s.brush);
  DeleteObject(rg);
  return TRUE;
}
