// Block transfers between device contexts: BitBlt, StretchBlt, PatBlt, AlphaBlend, TransparentBlt, DIBs.
#include <algorithm>
#include <cstring>

#include "platform/win/gdi_painter.h"

using namespace win::detail;

namespace {

// What a source DC offers: the image (as GDI sees it: alpha ignored unless asked) and where its
// device origin lies.
struct Source {
  QImage view;  // shares memory with the DC's target
  QPoint origin;
  QImage* image = nullptr;
};

bool ResolveSource(HDC src, Source& s) {
  DC* dc = D(src);
  if (!dc) return false;
  Target t;
  if (dc->kind == DCKind::Memory) {
    auto* b = GdiAs<BitmapObj>(dc->s.bitmap, GdiKind::Bitmap);
    if (!b || b->image.isNull()) return false;
    t.image = &b->image;
  } else if (dc->kind == DCKind::Window) {
    Window* w = W(dc->hwnd);
    QImage* buffer = w ? BackBuffer(TopLevelOf(w)) : nullptr;
    if (!buffer) return false;
    t.image = buffer;
    t.origin = dc->windowDC ? WindowOriginInBuffer(w) : ClientOriginInBuffer(w);
  } else {
    return false;
  }
  s.image = t.image;
  s.origin = t.origin + LogicalOffset(dc->s);
  const QImage& img = *t.image;
  if (img.format() == QImage::Format_ARGB32)
    s.view = QImage(img.constBits(), img.width(), img.height(), img.bytesPerLine(), QImage::Format_RGB32);
  else
    s.view = QImage(img.constBits(), img.width(), img.height(), img.bytesPerLine(), img.format());
  return true;
}

bool SameLayout(QImage::Format a, QImage::Format b) {
  if (a == b) return true;
  // RGB32 rows copied into ARGB32 keep their 0xFF alpha.
  return a == QImage::Format_RGB32 && b == QImage::Format_ARGB32;
}

// Plain row copies where formats agree: the fast path of the common SRCCOPY.
bool RawCopy(GdiPainter& gp, const Source& src, QRect dstLogical, QPoint srcLogical) {
  const Target& t = gp.target();
  DC* dc = gp.dc();
  if (!SameLayout(src.image->format(), t.image->format())) return false;
  QPoint dOff = t.origin + LogicalOffset(dc->s);
  QRect dst = dstLogical.translated(dOff);
  QPoint shift = (srcLogical + src.origin) - dst.topLeft();  // image dst -> image src
  QRect srcBounds = src.image->rect().translated(-shift);
  QRegion area = t.clip & dst & srcBounds & t.image->rect();
  if (area.isEmpty()) return true;
  int bpp = t.image->depth() / 8;
  bool same = src.image == t.image;
  QImage copy;
  const QImage* from = src.image;
  if (same) {
    copy = src.image->copy();
    from = &copy;
  }
  for (const QRect& r : area) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
      uchar* d = t.image->scanLine(y) + r.left() * bpp;
      const uchar* s = from->constScanLine(y + shift.y()) + (r.left() + shift.x()) * bpp;
      std::memcpy(d, s, static_cast<std::size_t>(r.width() * bpp));
    }
  }
  gp.Touched(dstLogical);
  return true;
}

// Unstretched copies between different formats: the source area is converted once by Qt's converters,
// then copied row by row into the clip rectangles.
bool ConvertCopy(GdiPainter& gp, const Source& src, QRect dstLogical, QPoint srcLogical) {
  const Target& t = gp.target();
  DC* dc = gp.dc();
  QImage::Format tf = t.image->format();
  if (tf == QImage::Format_ARGB32) tf = QImage::Format_RGB32;
  if (tf != QImage::Format_RGB32 && tf != QImage::Format_BGR888) return false;
  if (src.image == t.image) return false;
  QPoint dOff = t.origin + LogicalOffset(dc->s);
  QRect dst = dstLogical.translated(dOff);
  QPoint shift = (srcLogical + src.origin) - dst.topLeft();
  QRegion area = t.clip & dst & src.view.rect().translated(-shift) & t.image->rect();
  if (area.isEmpty()) return true;
  QRect box = area.boundingRect();
  QRect sbox = box.translated(shift);
  int sbpp = src.view.depth() / 8;
  if (sbpp < 3) return false;
  if (src.view.format() == QImage::Format_BGR888 && tf == QImage::Format_RGB32) {
    // The common case of a 24-bit picture shown in a window: a plain loop beats the generic converter.
    for (const QRect& r : area) {
      for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* d = reinterpret_cast<std::uint32_t*>(t.image->scanLine(y)) + r.left();
        const uchar* sp = src.view.constScanLine(y + shift.y()) + (r.left() + shift.x()) * 3;
        for (int x = 0; x < r.width(); ++x, sp += 3)
          d[x] = 0xFF000000u | (std::uint32_t{sp[2]} << 16) | (std::uint32_t{sp[1]} << 8) | sp[0];
      }
    }
    gp.Touched(dstLogical);
    return true;
  }
  QImage part(src.view.constScanLine(sbox.y()) + sbox.x() * sbpp, sbox.width(), sbox.height(), src.view.bytesPerLine(),
              src.view.format());
  QImage conv = part.convertToFormat(tf);
  int bpp = conv.depth() / 8;
  for (const QRect& r : area) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
      uchar* d = t.image->scanLine(y) + r.left() * bpp;
      const uchar* sp = conv.constScanLine(y - box.top()) + (r.left() - box.left()) * bpp;
      std::memcpy(d, sp, static_cast<std::size_t>(r.width() * bpp));
    }
  }
  gp.Touched(dstLogical);
  return true;
}

bool PatternBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  DC* dc = D(hdc);
  if (!dc) return false;
  GdiPainter gp(hdc);
  if (!gp.ok()) return true;
  QRect r = QRect(x, y, w, h).normalized();
  QPainter& p = gp.p();
  switch (rop) {
    case BLACKNESS: p.fillRect(r, Qt::black); break;
    case WHITENESS: p.fillRect(r, Qt::white); break;
    case DSTINVERT:
      p.setCompositionMode(QPainter::RasterOp_NotDestination);
      p.fillRect(r, Qt::black);
      break;
    case PATINVERT:
    case PATCOPY:
    case PATPAINT: {
      QBrush b = MakeBrush(dc, dc->s.brush);
      if (b.style() == Qt::NoBrush) break;
      if (rop == PATINVERT) p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      p.fillRect(r, b);
      break;
    }
    default: return false;
  }
  gp.Touched(r);
  return true;
}

}  // namespace

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) { return PatternBlt(hdc, x, y, w, h, rop) ? TRUE : FALSE; }

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, DWORD rop) {
  if (!D(dst)) return FALSE;
  if (rop == BLACKNESS || rop == WHITENESS || rop == DSTINVERT || rop == PATCOPY || rop == PATINVERT || rop == PATPAINT)
    return PatBlt(dst, x, y, w, h, rop);
  Source s;
  if (!ResolveSource(src, s)) return FALSE;
  GdiPainter gp(dst);
  if (!gp.ok()) return TRUE;
  // Row copies only while logical units are device pixels; a scaled or mirrored destination goes
  // through the painter's mapping (a mirrored one turns the picture round, as the extents say).
  if (w == ws && h == hs && w > 0 && h > 0 && rop == SRCCOPY && !IsScaled(D(dst)->s) &&
      (RawCopy(gp, s, QRect(x, y, w, h), QPoint(xs, ys)) || ConvertCopy(gp, s, QRect(x, y, w, h), QPoint(xs, ys))))
    return TRUE;
  QPainter::CompositionMode mode;
  if (!RopToComposition(rop, mode)) mode = QPainter::CompositionMode_Source;
  bool flipX = (w < 0) != (ws < 0), flipY = (h < 0) != (hs < 0);
  QRect dr = QRect(x, y, w, h).normalized();
  // A negative extent runs from x towards the left: x + w + 1 .. x.
  if (w < 0) dr = QRect(x + w + 1, dr.y(), -w, dr.height());
  if (h < 0) dr = QRect(dr.x(), y + h + 1, dr.width(), -h);
  QRect sr(ws < 0 ? xs + ws + 1 : xs, hs < 0 ? ys + hs + 1 : ys, std::abs(ws), std::abs(hs));
  sr.translate(s.origin);
  if (dr.isEmpty() || sr.isEmpty()) return TRUE;
  QImage part;
  QRect clipped = sr & s.view.rect();
  if (clipped.isEmpty()) return TRUE;
  // The part of the source inside its image; the destination shrinks in proportion.
  part = s.view.copy(sr);
  if (flipX || flipY) part = part.mirrored(flipX, flipY);
  QPainter& p = gp.p();
  p.setCompositionMode(mode);
  int mode2 = D(dst)->s.stretchMode;
  p.setRenderHint(QPainter::SmoothPixmapTransform, mode2 == HALFTONE);
  p.drawImage(dr, part);
  gp.Touched(dr);
  return TRUE;
}

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, DWORD rop) {
  return StretchBlt(dst, x, y, w, h, src, xs, ys, w, h, rop);
}

BOOL AlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, BLENDFUNCTION bf) {
  Source s;
  if (!D(dst) || !ResolveSource(src, s) || w <= 0 || h <= 0 || ws <= 0 || hs <= 0) return FALSE;
  GdiPainter gp(dst);
  if (!gp.ok()) return TRUE;
  QRect sr = QRect(xs, ys, ws, hs).translated(s.origin);
  if (!s.image->rect().contains(sr)) return FALSE;
  QImage part;
  if ((bf.AlphaFormat & AC_SRC_ALPHA) && s.image->format() == QImage::Format_ARGB32) {
    // Per-pixel alpha: the source holds premultiplied colours.
    QImage pm(s.image->constBits(), s.image->width(), s.image->height(), s.image->bytesPerLine(),
              QImage::Format_ARGB32_Premultiplied);
    part = pm.copy(sr);
  } else {
    part = s.view.copy(sr);
  }
  QPainter& p = gp.p();
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setOpacity(bf.SourceConstantAlpha / 255.0);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  p.drawImage(QRect(x, y, w, h), part);
  gp.Touched(QRect(x, y, w, h));
  return TRUE;
}

BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, UINT key) {
  Source s;
  if (!D(dst) || !ResolveSource(src, s) || w <= 0 || h <= 0 || ws <= 0 || hs <= 0) return FALSE;
  GdiPainter gp(dst);
  if (!gp.ok()) return TRUE;
  QRect sr = QRect(xs, ys, ws, hs).translated(s.origin);
  QImage part = s.view.copy(sr).convertToFormat(QImage::Format_ARGB32);
  QRgb k = qRgb(GetRValue(key), GetGValue(key), GetBValue(key));
  for (int yy = 0; yy < part.height(); ++yy) {
    auto* row = reinterpret_cast<QRgb*>(part.scanLine(yy));
    for (int xx = 0; xx < part.width(); ++xx)
      if ((row[xx] | 0xFF000000u) == k) row[xx] = 0;
  }
  QPainter& p = gp.p();
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.drawImage(QRect(x, y, w, h), part);
  gp.Touched(QRect(x, y, w, h));
  return TRUE;
}

// A caller's DIB as an image (top-down), or a null image for unsupported layouts.
static QImage DibImage(const void* bits, const BITMAPINFO* bmi) {
  if (!bits || !bmi) return {};
  const auto& hd = bmi->bmiHeader;
  int w = hd.biWidth, h = hd.biHeight < 0 ? -hd.biHeight : hd.biHeight;
  if (w <= 0 || h <= 0 || (hd.biBitCount != 24 && hd.biBitCount != 32)) return {};
  int stride = ((w * hd.biBitCount + 31) / 32) * 4;
  QImage img(static_cast<const uchar*>(bits), w, h, stride,
             hd.biBitCount == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32);
  return hd.biHeight > 0 ? img.mirrored(false, true) : img.copy();
}

int StretchDIBits(HDC hdc, int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs, const void* bits,
                  const BITMAPINFO* bmi, UINT, DWORD rop) {
  QImage img = DibImage(bits, bmi);
  if (img.isNull() || !D(hdc)) return 0;
  GdiPainter gp(hdc);
  if (!gp.ok()) return hs;
  QPainter::CompositionMode mode;
  if (!RopToComposition(rop, mode)) mode = QPainter::CompositionMode_Source;
  // Source coordinates count from the bottom-left for bottom-up DIBs.
  int sy = bmi->bmiHeader.biHeight > 0 ? img.height() - ys - hs : ys;
  QImage part = img.copy(QRect(xs, sy, std::abs(ws), std::abs(hs)));
  if (ws < 0 || hs < 0) part = part.mirrored(ws < 0, hs < 0);
  QRect dr(wd < 0 ? xd + wd + 1 : xd, hd < 0 ? yd + hd + 1 : yd, std::abs(wd), std::abs(hd));
  if (wd < 0 || hd < 0) part = part.mirrored(wd < 0, hd < 0);
  QPainter& p = gp.p();
  p.setCompositionMode(mode);
  p.setRenderHint(QPainter::SmoothPixmapTransform, D(hdc)->s.stretchMode == HALFTONE);
  p.drawImage(dr, part);
  gp.Touched(dr);
  return hs;
}

int SetDIBitsToDevice(HDC hdc, int xd, int yd, DWORD w, DWORD h, int xs, int ys, UINT, UINT lines, const void* bits,
                      const BITMAPINFO* bmi, UINT usage) {
  StretchDIBits(hdc, xd, yd, static_cast<int>(w), static_cast<int>(h), xs, ys, static_cast<int>(w), static_cast<int>(h),
                bits, bmi, usage, SRCCOPY);
  return static_cast<int>(lines);
}
