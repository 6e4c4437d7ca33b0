#pragma once
// The objects behind the opaque GDI+-like handles (platform-internal: Qt types allowed).
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QTransform>

#include <vector>

#include "platform/gdiplus/gdiplus.h"

namespace Gdiplus {

class GpBitmapImpl final : public GpBitmap {
 public:
  // Format_ARGB32 (not premultiplied) so that GetPixel/SetPixel round-trip exactly; null when the
  // bitmap could not be made (it then reads 0 x 0 and draws nothing).
  QImage pixels;
  PixelFormat format = PixelFormat32bppARGB;
  GpStatus loadStatus = Ok;  // what making the bitmap reported
  bool opaque = true;        // no pixel below alpha 255, so drawing may skip blending
  UINT lockFlags = 0;        // ImageLockMode bits of the current lock, 0 when unlocked

  // The pixels in the form QPainter draws fastest; rebuilt after a pixel changed.
  const QImage& DrawCache();
  // The draw cache shrunk by 2^level (level 1 or 2), for pictures drawn at less than half their size:
  // sampling a smaller picture is faster and does not alias.
  const QImage& Reduced(int level);
  void Invalidate() {
    cacheValid = false;
    reduced[0] = reduced[1] = QImage();
  }

 private:
  QImage cache;
  bool cacheValid = false;
  QImage reduced[2];
};

class GpSolidFillImpl final : public GpSolidFill {
 public:
  ARGB color = 0xFF000000;
};

struct GpMatrix {
  QTransform m;  // same row-vector convention: m11 m12 m21 m22 dx dy
};

struct GpPath {
  struct Figure {
    bool ellipse = false;
    bool closed = true;
    QRectF bounds;             // ellipses
    std::vector<QPointF> pts;  // polygons and lines
  };
  FillMode fillMode = FillModeAlternate;
  std::vector<Figure> figures;
  QPainterPath ToPainterPath() const;
};

struct GpPen {
  ARGB color = 0xFF000000;
  REAL width = 1;
  GpUnit unit = UnitWorld;
};

struct GpImageAttributes {
  struct Adjust {
    bool enabled = false;
    ColorMatrix matrix;
    ColorMatrixFlags flags = ColorMatrixFlagsDefault;
  };
  Adjust byType[ColorAdjustTypeCount];
};

struct GpFontFamily {
  QString name;
};

struct GpFont {
  QString family;
  REAL emSize = 10;
  INT style = 0;
  GpUnit unit = UnitPoint;
  QFont ToQFont(TextRenderingHint hint) const;
};

struct GpGraphics {
  HDC hdc = nullptr;                  // drawing on a device context
  GpBitmapImpl* bitmap = nullptr;     // or straight into a bitmap
  QTransform world;
  SmoothingMode smoothing = SmoothingModeDefault;
  TextRenderingHint textHint = TextRenderingHintSystemDefault;
};

// The bitmap behind an image handle (every image is a bitmap here), or nullptr.
inline GpBitmapImpl* AsBitmap(GpImage* image) { return static_cast<GpBitmapImpl*>(image); }
inline const GpBitmapImpl* AsBitmap(const GpImage* image) { return static_cast<const GpBitmapImpl*>(image); }

// Applies a colour matrix to every pixel of an ARGB32 picture; returns a premultiplied picture ready
// to draw. Channels are clamped to 0..1 after the product.
QImage ApplyColorMatrix(const QImage& argb, const ColorMatrix& m, ColorMatrixFlags flags);

}  // namespace Gdiplus
