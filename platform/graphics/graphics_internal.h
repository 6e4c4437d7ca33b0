#pragma once
// Shared by the graphics sources (platform-internal: Qt types allowed).
#include <QImage>

#include "platform/graphics/graphics.h"
#include "platform/graphics/pictures.h"

namespace GraphicsInternal {

// Draws a picture stretched into a canvas rectangle: blended by its alpha (`blend`) or copied.
// Pictures are drawn without smoothing, as GDI stretches.
void DrawImageOnCanvas(TCanvas* Canvas, const TRect& Rect, const QImage& Image, bool Blend);

// The pixels of a bitmap (nullptr while empty).
QImage* BitmapPixels(TBitmap* Bitmap);
// Replaces a bitmap's pixels with a picture (pf32bit keeps alpha, pf24bit drops it).
void SetBitmapPixels(TBitmap* Bitmap, const QImage& Image, TPixelFormat Format);

// Reads a whole stream from its position on.
std::vector<uint8_t> ReadRest(TStream* Stream);

}  // namespace GraphicsInternal

struct TRasterGraphic::TImpl {
  QImage image;  // Format_ARGB32 or Format_RGB32; null while empty
};
