// Graphics objects: drawing images (rectangles, parallelograms, colour matrices), lines, paths and text
// onto a device context's target or a bitmap, through one QPainter per call.
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdiplus/gdiplus_internal.h"
#include "platform/graphics/codecs.h"
#include "platform/win/surface.h"

namespace Gdiplus {
namespace {

// One painter set up for a graphics object: target, DC origins and clip, world transform, smoothing.
// Qt blends transformed pictures into 24-bit targets through slow generic paths, so when the caller
// names the world-space shape it will draw, a 24-bit target is painted through a 32-bit copy of just the
// pixels under that shape, written back at the end.
class PaintScope {
 public:
  explicit PaintScope(GpGraphics* g, const QPolygonF* worldShape = nullptr) : g_(g) {
    QImage* image = nullptr;
    if (g->bitmap) {
      image = &g->bitmap->pixels;
    } else {
      win::DCSurface s;
      if (!win::GetDCSurface(g->hdc, s) || !s.image) return;
      image = s.image;
      POINT vp, wo;
      GetViewportOrgEx(g->hdc, &vp);
      GetWindowOrgEx(g->hdc, &wo);
      device_ = QTransform::fromTranslate(s.origin.x() + vp.x - wo.x, s.origin.y() + vp.y - wo.y);
      clip_ = s.clip;
      hasClip_ = true;
      dirty_ = s.clip.boundingRect();
    }
    if (image->isNull()) return;
    QImage* paintOn = image;
    const QImage::Format f = image->format();
    if (worldShape && (f == QImage::Format_BGR888 || f == QImage::Format_RGB888)) {
      QRect area = full().map(*worldShape).boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1) & image->rect();
      if (hasClip_) area &= clip_.boundingRect();
      if (area.isEmpty()) return;
      shadow_ = QImage(image->constScanLine(area.y()) + 3 * area.x(), area.width(), area.height(),
                       image->bytesPerLine(), f)
                    .convertToFormat(QImage::Format_RGB32);
      if (shadow_.isNull()) return;
      target_ = image;
      area_ = area;
      paintOn = &shadow_;
      device_ = device_ * QTransform::fromTranslate(-area.x(), -area.y());
      clip_.translate(-area.x(), -area.y());
      dirty_ = area;
    }
    if (!painter_.begin(paintOn)) return;
    if (hasClip_) painter_.setClipRegion(clip_);
    bool smooth = g->smoothing == SmoothingModeHighQuality || g->smoothing == SmoothingModeAntiAlias ||
                  g->smoothing == SmoothingModeAntiAlias8x8;
    painter_.setRenderHint(QPainter::Antialiasing, smooth);
    painter_.setRenderHint(QPainter::TextAntialiasing, g->textHint != TextRenderingHintSingleBitPerPixel &&
                                                           g->textHint != TextRenderingHintSingleBitPerPixelGridFit);
    painter_.setTransform(g->world * device_);
  }
  ~PaintScope() {
    if (!painter_.isActive()) return;
    painter_.end();
    if (target_) {
      QImage back = shadow_.convertToFormat(target_->format());
      for (int y = 0; y < area_.height(); ++y)
        std::memcpy(target_->scanLine(area_.y() + y) + 3 * area_.x(), back.constScanLine(y), 3 * std::size_t(area_.width()));
    }
    if (g_->bitmap) {
      // Drawing over an opaque bitmap keeps it opaque; only clearing with a translucent colour can make
      // it translucent, and drawing over a translucent one may have covered every hole.
      if (!g_->bitmap->opaque || replacesAlpha_)
        g_->bitmap->opaque = !PictureCodecs::ImageHasTranslucency(g_->bitmap->pixels);
      g_->bitmap->Invalidate();
    } else
      win::MarkDCDirty(g_->hdc, dirty_);
  }
  bool ok() const { return painter_.isActive(); }
  // The drawing writes alpha instead of blending over what is there.
  void ReplacesAlpha() { replacesAlpha_ = true; }
  QPainter& painter() { return painter_; }
  // World to painted-image pixels.
  QTransform full() const { return g_->world * device_; }

 private:
  GpGraphics* g_;
  QPainter painter_;
  QTransform device_;
  QRegion clip_;
  bool hasClip_ = false;
  QRect dirty_;
  QImage shadow_;            // 32-bit copy of the area being painted on a 24-bit target
  QImage* target_ = nullptr;  // where the copy goes back
  QRect area_;
  bool replacesAlpha_ = false;
};

QColor ToQColor(ARGB c) { return QColor::fromRgba(c); }

const ColorMatrix* BitmapMatrix(const GpImageAttributes* a, ColorMatrixFlags* flags) {
  if (!a) return nullptr;
  for (int type : {int(ColorAdjustTypeBitmap), int(ColorAdjustTypeDefault)})
    if (a->byType[type].enabled) {
      *flags = a->byType[type].flags;
      return &a->byType[type].matrix;
    }
  return nullptr;
}

// Identity: 0; identity except the alpha scale [3][3]: 1; anything else: 2.
int MatrixKind(const ColorMatrix& m) {
  bool alphaOnly = true;
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j) {
      if (i == 3 && j == 3) continue;
      if (m.m[i][j] != (i == j ? 1.0f : 0.0f)) alphaOnly = false;
    }
  if (!alphaOnly) return 2;
  return m.m[3][3] == 1.0f ? 0 : 1;
}

// Corners given in single precision make a turned or mirrored picture's matrix a rotation only to about
// seven digits; the raster engine then sees a shear and fills the picture as a general polygon, several
// times slower than the span path it keeps for exact rotations and uniform scales. Within that
// precision (a few thousandths of a pixel across the largest picture) the matrix is made exact.
QTransform SnapToSimilarity(const QTransform& t) {
  const double m11 = t.m11(), m12 = t.m12(), m21 = t.m21(), m22 = t.m22();
  if (t.type() > QTransform::TxShear || (m12 == 0 && m21 == 0)) return t;
  const double sx = std::hypot(m11, m12), sy = std::hypot(m21, m22);
  if (sx == 0 || sy == 0) return t;
  constexpr double kTolerance = 4e-6;
  if (std::abs(sx - sy) > kTolerance * std::max(sx, sy) || std::abs(m11 * m21 + m12 * m22) > kTolerance * sx * sy)
    return t;
  const double s = (sx + sy) / 2, c = m11 / sx * s, n = m12 / sx * s;
  // A mirrored picture keeps its mirror: the second row is the first turned by -90 or +90 degrees.
  const bool mirrored = m11 * m22 - m12 * m21 < 0;
  return QTransform(c, n, mirrored ? n : -n, mirrored ? -c : c, t.dx(), t.dy());
}

// An opaque picture placed unscaled on whole pixels of a 32-bit DC target: its rows are copied straight
// into the clip rectangles. The raster engine would produce the same pixels (opaque colours over
// anything are themselves, alpha 0xFF), but through a painter and its worker threads. False when the
// case does not apply; the caller then paints.
bool CopyOpaqueRows(GpGraphics* g, GpBitmapImpl* b, const QTransform& toWorld, const QRectF& visible) {
  if (!g->hdc || g->bitmap || visible != QRectF(visible.toAlignedRect())) return false;
  win::DCSurface s;
  if (!win::GetDCSurface(g->hdc, s) || !s.image || s.image->isNull()) return false;
  const QImage::Format f = s.image->format();
  if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied) return false;
  POINT vp, wo;
  GetViewportOrgEx(g->hdc, &vp);
  GetWindowOrgEx(g->hdc, &wo);
  const QTransform total =
      toWorld * g->world * QTransform::fromTranslate(s.origin.x() + vp.x - wo.x, s.origin.y() + vp.y - wo.y);
  if (total.type() > QTransform::TxTranslate || total.dx() != std::floor(total.dx()) ||
      total.dy() != std::floor(total.dy()) || std::abs(total.dx()) > 1e9 || std::abs(total.dy()) > 1e9)
    return false;
  const QImage& source = b->DrawCache();
  if (source.format() != QImage::Format_RGB32) return false;
  const QPoint shift(int(total.dx()), int(total.dy()));
  const QRegion area = s.clip & (visible.toAlignedRect() & source.rect()).translated(shift) & s.image->rect();
  uchar* to = s.image->bits();
  const uchar* from = source.constBits();
  const std::size_t toStride = std::size_t(s.image->bytesPerLine()), fromStride = std::size_t(source.bytesPerLine());
  for (const QRect& r : area)
    for (int y = r.top(); y <= r.bottom(); ++y)
      std::memcpy(to + toStride * std::size_t(y) + 4 * std::size_t(r.left()),
                  from + fromStride * std::size_t(y - shift.y()) + 4 * std::size_t(r.left() - shift.x()),
                  4 * std::size_t(r.width()));
  if (!area.isEmpty()) win::MarkDCDirty(g->hdc, area.boundingRect());
  return true;
}

// Draws the source rectangle `src` (pixels) of an image so that its corners land on p0 (upper-left),
// p1 (upper-right) and p2 (lower-left), in world coordinates.
GpStatus DrawImageCore(GpGraphics* g, GpImage* image, QPointF p0, QPointF p1, QPointF p2, QRectF src,
                       const GpImageAttributes* attributes) {
  if (!g || !image) return InvalidParameter;
  auto* b = AsBitmap(image);
  if (b->pixels.isNull()) return b->loadStatus != Ok ? b->loadStatus : InvalidParameter;
  const double sw = src.width(), sh = src.height();
  if (sw == 0 || sh == 0 || !std::isfinite(sw) || !std::isfinite(sh)) return InvalidParameter;
  // Source pixel coordinates to world coordinates.
  const double m11 = (p1.x() - p0.x()) / sw, m12 = (p1.y() - p0.y()) / sw;
  const double m21 = (p2.x() - p0.x()) / sh, m22 = (p2.y() - p0.y()) / sh;
  QTransform toWorld(m11, m12, m21, m22, p0.x() - src.x() * m11 - src.y() * m21,
                     p0.y() - src.x() * m12 - src.y() * m22);
  QRectF visible = src.normalized() & QRectF(b->pixels.rect());
  if (visible.isEmpty()) return Ok;
  if (std::abs(m11 * m22 - m12 * m21) < 1e-12) return Ok;  // a flat parallelogram covers no pixel

  ColorMatrixFlags flags = ColorMatrixFlagsDefault;
  const ColorMatrix* cm = BitmapMatrix(attributes, &flags);
  int kind = cm ? MatrixKind(*cm) : 0;
  double opacity = 1.0;
  if (kind == 1 && cm->m[3][3] <= 1.0f) {
    opacity = std::max(0.0f, cm->m[3][3]);
    if (opacity <= 0) return Ok;
    kind = 0;
  }

  // Unscaled, unturned opaque copies blend fast on any target; everything else may go through a copy.
  const bool plainCopy = (toWorld * g->world).type() <= QTransform::TxTranslate && opacity == 1.0 && kind == 0 && b->opaque;
  if (plainCopy && CopyOpaqueRows(g, b, toWorld, visible)) return Ok;
  const QPolygonF shape = toWorld.map(QPolygonF(visible));
  PaintScope ps(g, plainCopy ? nullptr : &shape);
  if (!ps.ok()) return Ok;  // the DC draws nowhere, or nothing of the picture can show
  QPainter& p = ps.painter();
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  p.setOpacity(opacity);
  const QTransform total = SnapToSimilarity(toWorld * ps.full());
  p.setTransform(total);
  if (kind == 0) {
    // How many target pixels one source pixel spans along each source axis.
    const double spanX = std::hypot(total.m11(), total.m12()), spanY = std::hypot(total.m21(), total.m22());
    const double span = std::max(spanX, spanY);
    const int level = span < 0.25 ? 2 : span < 0.5 ? 1 : 0;
    // The draw cache is the pixels' size; a reduced picture is drawn without it.
    const QSize full = b->pixels.size();
    // An opaque picture on whole pixels replaces what is under it: a plain copy of rows.
    if (plainCopy && total.dx() == std::floor(total.dx()) && total.dy() == std::floor(total.dy()) &&
        visible == visible.toAlignedRect())
      p.setCompositionMode(QPainter::CompositionMode_Source);
    if (level == 0 || full.width() < 8 || full.height() < 8) {
      p.drawImage(visible, b->DrawCache(), visible);
    } else {
      const QImage& small = b->Reduced(level);
      const double fx = double(small.width()) / full.width(), fy = double(small.height()) / full.height();
      p.setTransform(SnapToSimilarity(QTransform::fromScale(1 / fx, 1 / fy) * total));
      QRectF part(visible.x() * fx, visible.y() * fy, visible.width() * fx, visible.height() * fy);
      p.drawImage(part, small, part);
    }
  } else {
    // Per pixel, on a copy of just the pixels that can show.
    QRect area = visible.toAlignedRect() & b->pixels.rect();
    QImage adjusted = ApplyColorMatrix(b->pixels.copy(area), *cm, flags);
    p.drawImage(visible, adjusted, visible.translated(-area.topLeft()));
  }
  return Ok;
}

QPen MakePen(const GpPen* pen) {
  QPen q(ToQColor(pen->color));
  q.setWidthF(pen->width);
  q.setCosmetic(pen->unit == UnitPixel || pen->width == 0);
  q.setCapStyle(Qt::FlatCap);
  q.setJoinStyle(Qt::MiterJoin);
  return q;
}

QColor BrushColor(const GpBrush* brush) {
  auto* solid = dynamic_cast<const GpSolidFillImpl*>(brush);
  return solid ? ToQColor(solid->color) : QColor(Qt::black);
}

}  // namespace

QImage ApplyColorMatrix(const QImage& source, const ColorMatrix& cm, ColorMatrixFlags flags) {
  QImage argb = source.convertToFormat(QImage::Format_ARGB32);
  QImage out(argb.size(), QImage::Format_ARGB32_Premultiplied);
  if (out.isNull()) return out;
  float m[5][5];
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j) m[i][j] = cm.m[i][j];
  auto clamp = [](float v) { return v <= 0 ? 0 : v >= 1 ? 255 : int(v * 255.0f + 0.5f); };
  for (int y = 0; y < argb.height(); ++y) {
    const QRgb* s = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < argb.width(); ++x) {
      const QRgb c = s[x];
      if ((flags & ColorMatrixFlagsSkipGrays) && qRed(c) == qGreen(c) && qGreen(c) == qBlue(c)) {
        o[x] = qPremultiply(c);
        continue;
      }
      const float v[4] = {qRed(c) / 255.0f, qGreen(c) / 255.0f, qBlue(c) / 255.0f, qAlpha(c) / 255.0f};
      int r[4];
      for (int j = 0; j < 4; ++j)
        r[j] = clamp(v[0] * m[0][j] + v[1] * m[1][j] + v[2] * m[2][j] + v[3] * m[3][j] + m[4][j]);
      o[x] = qPremultiply(qRgba(r[0], r[1], r[2], r[3]));
    }
  }
  return out;
}

GpStatus GdipCreateFromHDC(HDC hdc, GpGraphics** graphics) {
  if (!graphics) return InvalidParameter;
  *graphics = nullptr;
  // A DC that draws nowhere yet (a hidden window) still gets a graphics object; its drawing is lost.
  if (!hdc) return OutOfMemory;
  auto* g = new GpGraphics;
  g->hdc = hdc;
  *graphics = g;
  return Ok;
}

GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics) {
  if (!graphics) return InvalidParameter;
  *graphics = nullptr;
  auto* b = AsBitmap(image);
  if (!b || b->pixels.isNull()) return InvalidParameter;
  auto* g = new GpGraphics;
  g->bitmap = b;
  *graphics = g;
  return Ok;
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics) {
  if (!graphics) return InvalidParameter;
  delete graphics;
  return Ok;
}

GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color) {
  if (!graphics) return InvalidParameter;
  PaintScope ps(graphics);
  if (!ps.ok()) return Ok;
  ps.ReplacesAlpha();
  QPainter& p = ps.painter();
  p.resetTransform();
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.fillRect(QRect(0, 0, p.device()->width(), p.device()->height()), ToQColor(color));
  return Ok;
}

GpStatus GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode) {
  if (!graphics || mode < SmoothingModeDefault || mode > SmoothingModeAntiAlias8x8) return InvalidParameter;
  graphics->smoothing = mode;
  return Ok;
}

GpStatus GdipGetSmoothingMode(GpGraphics* graphics, SmoothingMode* mode) {
  if (!graphics || !mode) return InvalidParameter;
  *mode = graphics->smoothing;
  return Ok;
}

GpStatus GdipSetTextRenderingHint(GpGraphics* graphics, TextRenderingHint hint) {
  if (!graphics || hint < TextRenderingHintSystemDefault || hint > TextRenderingHintClearTypeGridFit)
    return InvalidParameter;
  graphics->textHint = hint;
  return Ok;
}

GpStatus GdipSetWorldTransform(GpGraphics* graphics, GpMatrix* matrix) {
  if (!graphics || !matrix) return InvalidParameter;
  graphics->world = matrix->m;
  return Ok;
}

GpStatus GdipGetWorldTransform(GpGraphics* graphics, GpMatrix* matrix) {
  if (!graphics || !matrix) return InvalidParameter;
  matrix->m = graphics->world;
  return Ok;
}

GpStatus GdipResetWorldTransform(GpGraphics* graphics) {
  if (!graphics) return InvalidParameter;
  graphics->world.reset();
  return Ok;
}

GpStatus GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height) {
  if (!image) return InvalidParameter;
  const QImage& px = AsBitmap(image)->pixels;
  return DrawImageCore(graphics, image, {x, y}, {x + width, y}, {x, y + height},
                       QRectF(0, 0, px.width(), px.height()), nullptr);
}

GpStatus GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height) {
  return GdipDrawImageRect(graphics, image, REAL(x), REAL(y), REAL(width), REAL(height));
}

GpStatus GdipDrawImageI(GpGraphics* graphics, GpImage* image, INT x, INT y) {
  if (!image) return InvalidParameter;
  const QImage& px = AsBitmap(image)->pixels;
  return GdipDrawImageRect(graphics, image, REAL(x), REAL(y), REAL(px.width()), REAL(px.height()));
}

GpStatus GdipDrawImagePoints(GpGraphics* graphics, GpImage* image, const GpPointF* points, INT count) {
  if (!image || !points || count != 3) return InvalidParameter;
  const QImage& px = AsBitmap(image)->pixels;
  return DrawImageCore(graphics, image, {points[0].X, points[0].Y}, {points[1].X, points[1].Y},
                       {points[2].X, points[2].Y}, QRectF(0, 0, px.width(), px.height()), nullptr);
}

GpStatus GdipDrawImagePointsRect(GpGraphics* graphics, GpImage* image, const GpPointF* points, INT count,
                                 REAL srcx, REAL srcy, REAL srcwidth, REAL srcheight, GpUnit srcUnit,
                                 const GpImageAttributes* attributes, DrawImageAbort, void*) {
  if (!points || count != 3 || (srcUnit != UnitPixel && srcUnit != UnitWorld)) return InvalidParameter;
  return DrawImageCore(graphics, image, {points[0].X, points[0].Y}, {points[1].X, points[1].Y},
                       {points[2].X, points[2].Y}, QRectF(srcx, srcy, srcwidth, srcheight), attributes);
}

GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty, REAL dstwidth,
                               REAL dstheight, REAL srcx, REAL srcy, REAL srcwidth, REAL srcheight,
                               GpUnit srcUnit, const GpImageAttributes* attributes, DrawImageAbort, void*) {
  if (srcUnit != UnitPixel && srcUnit != UnitWorld) return InvalidParameter;
  return DrawImageCore(graphics, image, {dstx, dsty}, {dstx + dstwidth, dsty}, {dstx, dsty + dstheight},
                       QRectF(srcx, srcy, srcwidth, srcheight), attributes);
}

GpStatus GdipDrawImageRectRectI(GpGraphics* graphics, GpImage* image, INT dstx, INT dsty, INT dstwidth,
                                INT dstheight, INT srcx, INT srcy, INT srcwidth, INT srcheight, GpUnit srcUnit,
                                const GpImageAttributes* attributes, DrawImageAbort callback,
                                void* callbackData) {
  return GdipDrawImageRectRect(graphics, image, REAL(dstx), REAL(dsty), REAL(dstwidth), REAL(dstheight),
                               REAL(srcx), REAL(srcy), REAL(srcwidth), REAL(srcheight), srcUnit, attributes,
                               callback, callbackData);
}

GpStatus GdipDrawLine(GpGraphics* graphics, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2) {
  if (!graphics || !pen) return InvalidParameter;
  PaintScope ps(graphics);
  if (!ps.ok()) return Ok;
  ps.painter().setPen(MakePen(pen));
  ps.painter().drawLine(QPointF(x1, y1), QPointF(x2, y2));
  return Ok;
}

GpStatus GdipDrawLineI(GpGraphics* graphics, GpPen* pen, INT x1, INT y1, INT x2, INT y2) {
  return GdipDrawLine(graphics, pen, REAL(x1), REAL(y1), REAL(x2), REAL(y2));
}

GpStatus GdipDrawRectangle(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height) {
  if (!graphics || !pen) return InvalidParameter;
  PaintScope ps(graphics);
  if (!ps.ok()) return Ok;
  ps.painter().setPen(MakePen(pen));
  ps.painter().setBrush(Qt::NoBrush);
  ps.painter().drawRect(QRectF(x, y, width, height));
  return Ok;
}

GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height) {
  if (!graphics || !brush) return InvalidParameter;
  PaintScope ps(graphics);
  if (!ps.ok()) return Ok;
  ps.painter().fillRect(QRectF(x, y, width, height), BrushColor(brush));
  return Ok;
}

GpStatus GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path) {
  if (!graphics || !pen || !path) return InvalidParameter;
  PaintScope ps(graphics);
  if (!ps.ok()) return Ok;
  ps.painter().strokePath(path->ToPainterPath(), MakePen(pen));
  return Ok;
}

GpStatus GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path) {
  if (!graphics || !brush || !path) return InvalidParameter;
  PaintScope ps(graphics);
  if (!ps.ok()) return Ok;
  ps.painter().fillPath(path->ToPainterPath(), BrushColor(brush));
  return Ok;
}

GpStatus GdipDrawString(GpGraphics* graphics, const char16_t* string, INT length, const GpFont* font,
                        const GpRectF* layoutRect, const GpStringFormat* /*format*/, const GpBrush* brush) {
  if (!graphics || !string || !font || !layoutRect || !brush) return InvalidParameter;
  // Fonts need the GUI application's font database.
  win::EnsureGuiApplication();
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return GdiplusNotInitialized;
  std::size_t n = 0;
  if (length < 0)
    while (string[n]) ++n;
  else
    n = std::size_t(length);
  QString text = QString::fromUtf16(string, qsizetype(n));
  if (text.isEmpty()) return Ok;
  PaintScope ps(graphics);
  if (!ps.ok()) return Ok;
  QPainter& p = ps.painter();
  p.setFont(font->ToQFont(graphics->textHint));
  p.setPen(BrushColor(brush));
  const GpRectF& r = *layoutRect;
  if (r.Width <= 0 && r.Height <= 0) {
    // Unbounded layout: lines start at the origin, nothing is wrapped or clipped.
    p.drawText(QRectF(r.X, r.Y, 1e6, 1e6), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
  } else {
    QRectF box(r.X, r.Y, r.Width > 0 ? r.Width : 1e6, r.Height > 0 ? r.Height : 1e6);
    p.setClipRect(box, Qt::IntersectClip);
    p.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
  }
  return Ok;
}

}  // namespace Gdiplus
