// Start-up, matrices, paths with hit tests, pens, brushes, image attributes and fonts.
#include <cmath>

#include "platform/gdiplus/gdiplus_internal.h"

namespace Gdiplus {
namespace {

ULONG_PTR NextToken = 1;

QTransform Apply(const QTransform& m, const QTransform& op, MatrixOrder order) {
  // Row vectors: prepending applies `op` first.
  return order == MatrixOrderAppend ? m * op : op * m;
}

// Odd-even crossing test of one closed polygon: toggles for every edge a rightward ray crosses.
bool PolygonContains(const std::vector<QPointF>& pts, double x, double y) {
  bool inside = false;
  const std::size_t n = pts.size();
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
    const QPointF& a = pts[i];
    const QPointF& b = pts[j];
    if ((a.y() > y) != (b.y() > y)) {
      double cross = a.x() + (y - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
      if (x < cross) inside = !inside;
    }
  }
  return inside;
}

int PolygonWinding(const std::vector<QPointF>& pts, double x, double y) {
  int wn = 0;
  const std::size_t n = pts.size();
  for (std::size_t i = 0; i < n; ++i) {
    const QPointF& a = pts[i];
    const QPointF& b = pts[(i + 1) % n];
    double side = (b.x() - a.x()) * (y - a.y()) - (x - a.x()) * (b.y() - a.y());
    if (a.y() <= y) {
      if (b.y() > y && side > 0) ++wn;
    } else if (b.y() <= y && side < 0) {
      --wn;
    }
  }
  return wn;
}

bool EllipseContains(const QRectF& r, double x, double y) {
  const double rx = r.width() / 2, ry = r.height() / 2;
  if (rx == 0 || ry == 0) return false;
  const double dx = (x - r.center().x()) / rx, dy = (y - r.center().y()) / ry;
  return dx * dx + dy * dy <= 1.0;
}

}  // namespace

GpStatus GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  if (!token || !input) return InvalidParameter;
  *token = 0;
  if (input->GdiplusVersion != 1) return UnsupportedGdiplusVersion;
  if (input->SuppressBackgroundThread && !output) return InvalidParameter;
  if (output) *output = GdiplusStartupOutput{};
  *token = NextToken++;
  return Ok;
}

void GdiplusShutdown(ULONG_PTR) {}

// --- matrices

GpStatus GdipCreateMatrix(GpMatrix** matrix) {
  if (!matrix) return InvalidParameter;
  *matrix = new GpMatrix;
  return Ok;
}

GpStatus GdipCreateMatrix2(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy, GpMatrix** matrix) {
  if (!matrix) return InvalidParameter;
  *matrix = new GpMatrix{QTransform(m11, m12, m21, m22, dx, dy)};
  return Ok;
}

GpStatus GdipSetMatrixElements(GpMatrix* matrix, REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy) {
  if (!matrix) return InvalidParameter;
  matrix->m = QTransform(m11, m12, m21, m22, dx, dy);
  return Ok;
}

GpStatus GdipGetMatrixElements(const GpMatrix* matrix, REAL* e) {
  if (!matrix || !e) return InvalidParameter;
  const QTransform& m = matrix->m;
  e[0] = REAL(m.m11()), e[1] = REAL(m.m12()), e[2] = REAL(m.m21()), e[3] = REAL(m.m22());
  e[4] = REAL(m.dx()), e[5] = REAL(m.dy());
  return Ok;
}

GpStatus GdipTranslateMatrix(GpMatrix* matrix, REAL offsetX, REAL offsetY, MatrixOrder order) {
  if (!matrix) return InvalidParameter;
  matrix->m = Apply(matrix->m, QTransform::fromTranslate(offsetX, offsetY), order);
  return Ok;
}

GpStatus GdipScaleMatrix(GpMatrix* matrix, REAL scaleX, REAL scaleY, MatrixOrder order) {
  if (!matrix) return InvalidParameter;
  matrix->m = Apply(matrix->m, QTransform::fromScale(scaleX, scaleY), order);
  return Ok;
}

GpStatus GdipRotateMatrix(GpMatrix* matrix, REAL angle, MatrixOrder order) {
  if (!matrix) return InvalidParameter;
  const double a = double(angle) * M_PI / 180.0;
  matrix->m = Apply(matrix->m, QTransform(std::cos(a), std::sin(a), -std::sin(a), std::cos(a), 0, 0), order);
  return Ok;
}

GpStatus GdipTransformMatrixPoints(GpMatrix* matrix, GpPointF* points, INT count) {
  if (!matrix || !points || count <= 0) return InvalidParameter;
  for (INT i = 0; i < count; ++i) {
    QPointF q = matrix->m.map(QPointF(points[i].X, points[i].Y));
    points[i] = {REAL(q.x()), REAL(q.y())};
  }
  return Ok;
}

GpStatus GdipDeleteMatrix(GpMatrix* matrix) {
  if (!matrix) return InvalidParameter;
  delete matrix;
  return Ok;
}

// --- paths

QPainterPath GpPath::ToPainterPath() const {
  QPainterPath path;
  path.setFillRule(fillMode == FillModeAlternate ? Qt::OddEvenFill : Qt::WindingFill);
  for (const Figure& f : figures) {
    if (f.ellipse) {
      path.addEllipse(f.bounds);
      continue;
    }
    if (f.pts.empty()) continue;
    path.moveTo(f.pts[0]);
    for (std::size_t i = 1; i < f.pts.size(); ++i) path.lineTo(f.pts[i]);
    if (f.closed) path.closeSubpath();
  }
  return path;
}

GpStatus GdipCreatePath(FillMode fillMode, GpPath** path) {
  if (!path || (fillMode != FillModeAlternate && fillMode != FillModeWinding)) return InvalidParameter;
  *path = new GpPath;
  (*path)->fillMode = fillMode;
  return Ok;
}

GpStatus GdipResetPath(GpPath* path) {
  if (!path) return InvalidParameter;
  path->figures.clear();
  path->fillMode = FillModeAlternate;
  return Ok;
}

GpStatus GdipAddPathPolygon(GpPath* path, const GpPointF* points, INT count) {
  if (!path || !points || count < 3) return InvalidParameter;
  GpPath::Figure f;
  for (INT i = 0; i < count; ++i) f.pts.emplace_back(points[i].X, points[i].Y);
  path->figures.push_back(std::move(f));
  return Ok;
}

GpStatus GdipAddPathEllipse(GpPath* path, REAL x, REAL y, REAL width, REAL height) {
  if (!path) return InvalidParameter;
  GpPath::Figure f;
  f.ellipse = true;
  f.bounds = QRectF(x, y, width, height);
  path->figures.push_back(std::move(f));
  return Ok;
}

GpStatus GdipAddPathRectangle(GpPath* path, REAL x, REAL y, REAL width, REAL height) {
  if (!path) return InvalidParameter;
  GpPath::Figure f;
  f.pts = {{x, y}, {x + width, y}, {x + width, y + height}, {x, y + height}};
  path->figures.push_back(std::move(f));
  return Ok;
}

GpStatus GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2) {
  if (!path) return InvalidParameter;
  GpPath::Figure f;
  f.closed = false;
  f.pts = {{x1, y1}, {x2, y2}};
  path->figures.push_back(std::move(f));
  return Ok;
}

GpStatus GdipGetPointCount(GpPath* path, INT* count) {
  if (!path || !count) return InvalidParameter;
  INT n = 0;
  for (const auto& f : path->figures) n += f.ellipse ? 13 : INT(f.pts.size());  // an ellipse is 4 Béziers
  *count = n;
  return Ok;
}

GpStatus GdipIsVisiblePathPoint(GpPath* path, REAL x, REAL y, GpGraphics*, BOOL* result) {
  if (!path || !result) return InvalidParameter;
  bool odd = false;
  int winding = 0;
  for (const auto& f : path->figures) {
    if (f.ellipse) {
      if (EllipseContains(f.bounds, x, y)) {
        odd = !odd;
        ++winding;
      }
    } else if (f.closed && f.pts.size() >= 3) {
      if (PolygonContains(f.pts, x, y)) odd = !odd;
      winding += PolygonWinding(f.pts, x, y);
    }
  }
  *result = (path->fillMode == FillModeAlternate ? odd : winding != 0) ? TRUE : FALSE;
  return Ok;
}

GpStatus GdipDeletePath(GpPath* path) {
  if (!path) return InvalidParameter;
  delete path;
  return Ok;
}

// --- pens and brushes

GpStatus GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen) {
  if (!pen || width < 0 || !(unit == UnitWorld || unit == UnitPixel)) return InvalidParameter;
  *pen = new GpPen{color, width, unit};
  return Ok;
}

GpStatus GdipDeletePen(GpPen* pen) {
  if (!pen) return InvalidParameter;
  delete pen;
  return Ok;
}

GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush) {
  if (!brush) return InvalidParameter;
  auto* b = new GpSolidFillImpl;
  b->color = color;
  *brush = b;
  return Ok;
}

GpStatus GdipDeleteBrush(GpBrush* brush) {
  if (!brush) return InvalidParameter;
  delete brush;
  return Ok;
}

// --- image attributes

GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes) {
  if (!attributes) return InvalidParameter;
  *attributes = new GpImageAttributes;
  return Ok;
}

GpStatus GdipSetImageAttributesColorMatrix(GpImageAttributes* attributes, ColorAdjustType type, BOOL enableFlag,
                                           const ColorMatrix* colorMatrix, const ColorMatrix*,
                                           ColorMatrixFlags flags) {
  if (!attributes || type < ColorAdjustTypeDefault || type >= ColorAdjustTypeCount) return InvalidParameter;
  auto& adjust = attributes->byType[type];
  if (!enableFlag) {
    adjust.enabled = false;
    return Ok;
  }
  if (!colorMatrix) return InvalidParameter;
  adjust.enabled = true;
  adjust.matrix = *colorMatrix;
  adjust.flags = flags;
  return Ok;
}

GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes) {
  if (!attributes) return InvalidParameter;
  delete attributes;
  return Ok;
}

// --- fonts

GpStatus GdipCreateFontFamilyFromName(const char16_t* name, GpFontCollection*, GpFontFamily** family) {
  if (!name || !family) return InvalidParameter;
  std::size_t n = 0;
  while (name[n]) ++n;
  *family = new GpFontFamily{QString::fromUtf16(name, qsizetype(n))};
  return Ok;
}

GpStatus GdipDeleteFontFamily(GpFontFamily* family) {
  if (!family) return InvalidParameter;
  delete family;
  return Ok;
}

GpStatus GdipCreateFont(const GpFontFamily* family, REAL emSize, INT style, GpUnit unit, GpFont** font) {
  if (!family || !font || !(emSize > 0) || unit == UnitDisplay) return InvalidParameter;
  *font = new GpFont{family->name, emSize, style, unit};
  return Ok;
}

GpStatus GdipDeleteFont(GpFont* font) {
  if (!font) return InvalidParameter;
  delete font;
  return Ok;
}

QFont GpFont::ToQFont(TextRenderingHint hint) const {
  double px = emSize;
  switch (unit) {
    case UnitPoint: px = emSize * 96.0 / 72.0; break;
    case UnitInch: px = emSize * 96.0; break;
    case UnitDocument: px = emSize * 96.0 / 300.0; break;
    case UnitMillimeter: px = emSize * 96.0 / 25.4; break;
    default: break;
  }
  QFont f;
  // Glyphs the named family lacks (Chinese text) come from the CJK fallback.
  f.setFamilies({family, QStringLiteral("WenQuanYi Micro Hei")});
  f.setPixelSize(std::max(1, int(std::lround(px))));
  f.setBold(style & FontStyleBold);
  f.setItalic(style & FontStyleItalic);
  f.setUnderline(style & FontStyleUnderline);
  f.setStrikeOut(style & FontStyleStrikeout);
  bool aliased = hint == TextRenderingHintSingleBitPerPixel || hint == TextRenderingHintSingleBitPerPixelGridFit;
  f.setStyleStrategy(aliased ? QFont::NoAntialias : QFont::PreferAntialias);
  return f;
}

}  // namespace Gdiplus
