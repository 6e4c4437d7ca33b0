// A QPainter set up the way a GDI call draws on a DC: target image, clip, logical origin, no
// anti-aliasing; and the conversions from GDI pens, brushes and raster operations.
#pragma once

#include <QPainter>

#include "platform/win/internal.h"

namespace win::detail {

class GdiPainter {
 public:
  explicit GdiPainter(HDC hdc);
  ~GdiPainter();
  GdiPainter(const GdiPainter&) = delete;
  GdiPainter& operator=(const GdiPainter&) = delete;

  bool ok() const { return ok_; }
  QPainter& p() { return painter_; }
  DC* dc() { return dc_; }
  const Target& target() const { return t_; }
  // Marks a logical rectangle as changed (for the host); whole clip when never called.
  void Touched(const QRect& logical);
  void TouchedDevice(const QRect& device);
  // Drops the logical mapping: from now on the painter takes device pixels.
  void DeviceSpace();

 private:
  DC* dc_ = nullptr;
  Target t_;
  QImage view_;
  QPainter painter_;
  bool ok_ = false;
  bool touched_ = false;
  bool deviceSpace_ = false;
  QRect touchedRect_;
};

// Sets composition and colour for a ROP2 code; returns false when nothing is to be drawn (R2_NOP).
bool ApplyRop2(QPainter& p, int rop2, QColor& color);
// Composition mode for a ternary raster operation that combines source and destination.
bool RopToComposition(DWORD rop, QPainter::CompositionMode& mode);

QColor Q(COLORREF c);
COLORREF PenColor(DC* dc, PenObj* pen);
// Brush for filling; Qt::NoBrush for null brushes.
QBrush MakeBrush(DC* dc, HBRUSH brush);
BrushObj* BrushOf(HBRUSH brush);

}  // namespace win::detail
