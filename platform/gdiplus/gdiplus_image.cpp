// Bitmaps: made from files, GDI bitmaps and memory; pixel access; area clones; encoders and saving.
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/gdiplus/gdiplus_internal.h"
#include "platform/graphics/codecs.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/surface.h"

namespace Gdiplus {
namespace {

std::u16string_view View(const char16_t* s) { return s ? std::u16string_view(s) : std::u16string_view(); }

// UTF-16 name to a UTF-8 path. Names written with backslashes by code made for another system are
// tried with slashes when the literal name does not exist.
std::string PathFromName(const char16_t* name, bool forReading) {
  std::string path = Utf16ToUtf8(View(name));
  if (path.find('\\') != std::string::npos) {
    std::string slashed = NormalizePathDelimiters(path);
    if (forReading ? !FileExists(path) : !DirectoryExists(ExtractFileDir(path))) return slashed;
  }
  return path;
}

GpBitmapImpl* NewBitmap(QImage argb, PixelFormat format, bool opaque) {
  auto* b = new GpBitmapImpl;
  b->pixels = std::move(argb);
  b->format = format;
  b->opaque = opaque;
  return b;
}

// The encoders we offer. Class identifiers are our own values; callers find an encoder by MIME type.
struct Encoder {
  ImageCodecInfo info;
  int kind;  // 0 BMP, 1 JPEG, 2 PNG
};
const Encoder* Encoders(UINT* count) {
  static const Encoder list[3] = {
      {{{0x7E550001, 0x5452, 0x4553, {'T', 'R', 'S', 'B', 'M', 'P', 0, 1}},
        {0x7E550101, 0x5452, 0x4553, {'T', 'R', 'S', 'B', 'M', 'P', 1, 1}},
        u"Built-in BMP Codec", nullptr, u"BMP", u"*.BMP;*.DIB;*.RLE", u"image/bmp", 0x10007, 1, 0, 0, nullptr,
        nullptr},
       0},
      {{{0x7E550002, 0x5452, 0x4553, {'T', 'R', 'S', 'J', 'P', 'G', 0, 1}},
        {0x7E550102, 0x5452, 0x4553, {'T', 'R', 'S', 'J', 'P', 'G', 1, 1}},
        u"Built-in JPEG Codec", nullptr, u"JPEG", u"*.JPG;*.JPEG;*.JPE;*.JFIF", u"image/jpeg", 0x10007, 1, 0, 0,
        nullptr, nullptr},
       1},
      {{{0x7E550003, 0x5452, 0x4553, {'T', 'R', 'S', 'P', 'N', 'G', 0, 1}},
        {0x7E550103, 0x5452, 0x4553, {'T', 'R', 'S', 'P', 'N', 'G', 1, 1}},
        u"Built-in PNG Codec", nullptr, u"PNG", u"*.PNG", u"image/png", 0x10007, 1, 0, 0, nullptr, nullptr},
       2},
  };
  *count = 3;
  return list;
}

}  // namespace

const QImage& GpBitmapImpl::DrawCache() {
  if (!cacheValid) {
    cache = pixels.convertToFormat(opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    cacheValid = true;
  }
  return cache;
}

const QImage& GpBitmapImpl::Reduced(int level) {
  QImage& r = reduced[level - 1];
  if (r.isNull()) {
    auto half = [](const QImage& from) {
      return from.scaled(std::max(1, (from.width() + 1) / 2), std::max(1, (from.height() + 1) / 2),
                         Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    if (level == 2)
      r = half(Reduced(1));
    else if (cacheValid)
      r = half(cache);
    else
      // The draw cache's pixels, made for this and let go: a picture only ever drawn reduced (a
      // thumbnail) does not keep a full-size copy.
      r = half(pixels.convertToFormat(opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied));
  }
  return r;
}

GpStatus GdipPrepareBitmapForDrawing(GpBitmap* bitmap, REAL scale) {
  if (!bitmap || !(scale > 0)) return InvalidParameter;
  auto* b = AsBitmap(bitmap);
  // The same choice of level as drawing makes for an unturned picture.
  const int level = scale < 0.25f ? 2 : scale < 0.5f ? 1 : 0;
  if (level > 0 && b->pixels.width() >= 8 && b->pixels.height() >= 8)
    b->Reduced(level);
  else
    b->DrawCache();
  return Ok;
}

GpStatus GdipCreateBitmapFromFile(const char16_t* filename, GpBitmap** bitmap) {
  if (!bitmap) return InvalidParameter;
  *bitmap = nullptr;
  if (!filename) return InvalidParameter;
  auto* b = NewBitmap(QImage(), PixelFormat32bppARGB, true);
  *bitmap = b;
  std::vector<std::uint8_t> bytes;
  if (!PictureCodecs::ReadWholeFile(PathFromName(filename, true), bytes)) {
    b->loadStatus = FileNotFound;
    return b->loadStatus;
  }
  if (PictureCodecs::SniffPicture(bytes) == PictureCodecs::PictureKind::Unknown) {
    b->loadStatus = UnknownImageFormat;
    return b->loadStatus;
  }
  PictureCodecs::DecodeResult r = PictureCodecs::DecodeAny(bytes);
  if (!r.ok()) {
    b->loadStatus = OutOfMemory;  // what callers of the original library saw for a damaged picture
    return b->loadStatus;
  }
  // A large photo is held once, not twice, while it opens: a JPEG's pixels already carry opaque alpha
  // bytes and are taken as they are; other formats convert in place where they can.
  if (PictureCodecs::SniffPicture(bytes) == PictureCodecs::PictureKind::Jpeg && r.image.format() == QImage::Format_RGB32)
    r.image.reinterpretAsFormat(QImage::Format_ARGB32);
  b->pixels = std::move(r.image).convertToFormat(QImage::Format_ARGB32);
  if (b->pixels.isNull()) {
    b->loadStatus = OutOfMemory;
    return b->loadStatus;
  }
  b->opaque = !r.hasAlpha;
  b->format = r.hasAlpha ? PixelFormat32bppARGB : (r.bitsPerPixel == 32 ? PixelFormat32bppRGB : PixelFormat24bppRGB);
  return Ok;
}

GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP hbm, HPALETTE /*hpal*/, GpBitmap** bitmap) {
  if (!bitmap) return InvalidParameter;
  *bitmap = nullptr;
  QImage* source = hbm ? win::BitmapImage(hbm) : nullptr;
  if (!source || source->isNull()) return InvalidParameter;
  QImage argb = source->convertToFormat(QImage::Format_ARGB32);
  if (argb.isNull()) return OutOfMemory;
  // GDI bitmaps carry no trustworthy alpha: the copy is opaque.
  for (int y = 0; y < argb.height(); ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(argb.scanLine(y));
    for (int x = 0; x < argb.width(); ++x) row[x] |= 0xFF000000u;
  }
  PixelFormat format = source->depth() == 24 ? PixelFormat24bppRGB : PixelFormat32bppRGB;
  *bitmap = NewBitmap(std::move(argb), format, true);
  return Ok;
}

GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0,
                                   GpBitmap** bitmap) {
  if (!bitmap) return InvalidParameter;
  *bitmap = nullptr;
  if (!PictureCodecs::SizeAcceptable(width, height)) return InvalidParameter;
  QImage argb(width, height, QImage::Format_ARGB32);
  if (argb.isNull()) return OutOfMemory;
  const bool alphaFormat = format == PixelFormat32bppARGB || format == PixelFormat32bppPARGB || format == 0;
  if (!scan0) {
    // A new bitmap starts black: transparent when its format has alpha, opaque otherwise.
    argb.fill(alphaFormat ? 0u : 0xFF000000u);
    *bitmap = NewBitmap(std::move(argb), format ? format : PixelFormat32bppARGB, !alphaFormat);
    return Ok;
  }
  const int bpp = format == PixelFormat24bppRGB ? 3 : 4;
  if (stride < width * bpp && -stride < width * bpp) return InvalidParameter;
  const bool sameLayout = format == PixelFormat32bppARGB || format == 0;  // bytes B, G, R, A as ours
  for (int y = 0; y < height; ++y) {
    const BYTE* s = scan0 + std::ptrdiff_t(stride) * y;
    QRgb* o = reinterpret_cast<QRgb*>(argb.scanLine(y));
    if (sameLayout) {
      std::memcpy(o, s, 4 * std::size_t(width));
      continue;
    }
    for (int x = 0; x < width; ++x) {
      const BYTE* p = s + bpp * x;
      QRgb c = qRgba(p[2], p[1], p[0], bpp == 4 && alphaFormat ? p[3] : 255);
      o[x] = format == PixelFormat32bppPARGB ? qUnpremultiply(c) : c;
    }
  }
  const bool opaque = !alphaFormat || !PictureCodecs::ImageHasTranslucency(argb);
  *bitmap = NewBitmap(std::move(argb), format, opaque);
  return Ok;
}

GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* hbmReturn, ARGB background) {
  if (!hbmReturn) return InvalidParameter;
  *hbmReturn = nullptr;
  auto* b = AsBitmap(bitmap);
  if (!b || b->pixels.isNull()) return InvalidParameter;
  QImage out = b->pixels.copy();
  if (qAlpha(background) != 0 && !b->opaque) {
    // Lay the picture over the background colour.
    QImage under(out.size(), QImage::Format_ARGB32_Premultiplied);
    under.fill(QColor::fromRgba(background));
    QPainter p(&under);
    p.drawImage(0, 0, b->DrawCache());
    p.end();
    out = under.convertToFormat(QImage::Format_ARGB32);
  }
  if (out.isNull()) return OutOfMemory;
  *hbmReturn = win::CreateBitmapFromImage(std::move(out));
  return *hbmReturn ? Ok : OutOfMemory;
}

GpStatus GdipCloneBitmapAreaI(INT x, INT y, INT width, INT height, PixelFormat format, GpBitmap* src,
                              GpBitmap** dst) {
  if (!dst) return InvalidParameter;
  *dst = nullptr;
  auto* b = AsBitmap(src);
  if (!b || b->pixels.isNull() || width <= 0 || height <= 0 || x < 0 || y < 0 ||
      std::int64_t(x) + width > b->pixels.width() || std::int64_t(y) + height > b->pixels.height())
    return InvalidParameter;
  QImage area = b->pixels.copy(x, y, width, height);
  if (area.isNull()) return OutOfMemory;
  bool opaque = b->opaque;
  PixelFormat f = format ? format : b->format;
  if (format && !(format & PixelFormatAlpha)) {
    for (int row = 0; row < area.height(); ++row) {
      QRgb* o = reinterpret_cast<QRgb*>(area.scanLine(row));
      for (int col = 0; col < area.width(); ++col) o[col] |= 0xFF000000u;
    }
    opaque = true;
  }
  *dst = NewBitmap(std::move(area), f, opaque);
  return Ok;
}

GpStatus GdipCloneImage(GpImage* image, GpImage** clone) {
  if (!clone) return InvalidParameter;
  *clone = nullptr;
  auto* b = AsBitmap(image);
  if (!b) return InvalidParameter;
  auto* c = NewBitmap(b->pixels.copy(), b->format, b->opaque);
  c->loadStatus = b->loadStatus;
  *clone = c;
  return Ok;
}

GpStatus GdipGetImageWidth(GpImage* image, UINT* width) {
  if (!width) return InvalidParameter;
  *width = 0;
  if (!image) return InvalidParameter;
  *width = UINT(AsBitmap(image)->pixels.width());
  return Ok;
}

GpStatus GdipGetImageHeight(GpImage* image, UINT* height) {
  if (!height) return InvalidParameter;
  *height = 0;
  if (!image) return InvalidParameter;
  *height = UINT(AsBitmap(image)->pixels.height());
  return Ok;
}

GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format) {
  if (!format || !image) return InvalidParameter;
  *format = AsBitmap(image)->format;
  return Ok;
}

GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color) {
  if (!color) return InvalidParameter;
  auto* b = AsBitmap(bitmap);
  if (!b || x < 0 || y < 0 || x >= b->pixels.width() || y >= b->pixels.height()) return InvalidParameter;
  *color = reinterpret_cast<const QRgb*>(b->pixels.constScanLine(y))[x];
  return Ok;
}

GpStatus GdipBitmapSetPixel(GpBitmap* bitmap, INT x, INT y, ARGB color) {
  auto* b = AsBitmap(bitmap);
  if (!b || x < 0 || y < 0 || x >= b->pixels.width() || y >= b->pixels.height()) return InvalidParameter;
  // Alpha is kept whatever the source format was, so that every value written reads back unchanged.
  reinterpret_cast<QRgb*>(b->pixels.scanLine(y))[x] = color;
  if (qAlpha(color) != 255) b->opaque = false;
  b->Invalidate();
  return Ok;
}

GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, UINT flags, PixelFormat format,
                            BitmapData* lockedData) {
  auto* b = AsBitmap(bitmap);
  if (!b || !lockedData || b->pixels.isNull() || format != PixelFormat32bppARGB ||
      (flags & ImageLockModeUserInputBuf) || !(flags & (ImageLockModeRead | ImageLockModeWrite)))
    return InvalidParameter;
  if (b->lockFlags) return WrongState;
  GpRect r = rect ? *rect : GpRect{0, 0, b->pixels.width(), b->pixels.height()};
  if (r.X < 0 || r.Y < 0 || r.Width <= 0 || r.Height <= 0 || std::int64_t(r.X) + r.Width > b->pixels.width() ||
      std::int64_t(r.Y) + r.Height > b->pixels.height())
    return InvalidParameter;
  b->lockFlags = flags;
  lockedData->Width = UINT(r.Width);
  lockedData->Height = UINT(r.Height);
  lockedData->Stride = INT(b->pixels.bytesPerLine());
  lockedData->PixelFormat = PixelFormat32bppARGB;
  // The caller works on the bitmap's own rows: no copy is made. A read-only lock must not make a
  // private copy of pixels another image still shares.
  uchar* row = flags & ImageLockModeWrite ? b->pixels.scanLine(r.Y) : const_cast<uchar*>(b->pixels.constScanLine(r.Y));
  lockedData->Scan0 = row + 4 * std::size_t(r.X);
  lockedData->Reserved = 0;
  return Ok;
}

GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* lockedData) {
  auto* b = AsBitmap(bitmap);
  if (!b || !lockedData) return InvalidParameter;
  if (!b->lockFlags) return WrongState;
  if (b->lockFlags & ImageLockModeWrite) {
    b->opaque = !PictureCodecs::ImageHasTranslucency(b->pixels);
    b->Invalidate();
  }
  b->lockFlags = 0;
  return Ok;
}

GpStatus GdipGetImageEncodersSize(UINT* numEncoders, UINT* size) {
  if (!numEncoders || !size) return InvalidParameter;
  Encoders(numEncoders);
  *size = *numEncoders * UINT(sizeof(ImageCodecInfo));
  return Ok;
}

GpStatus GdipGetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders) {
  UINT count = 0;
  const Encoder* list = Encoders(&count);
  if (!encoders || numEncoders != count || size < count * sizeof(ImageCodecInfo)) return InvalidParameter;
  for (UINT i = 0; i < count; ++i) encoders[i] = list[i].info;
  return Ok;
}

GpStatus GdipSaveImageToFile(GpImage* image, const char16_t* filename, const CLSID* clsidEncoder,
                             const EncoderParameters* /*params*/) {
  auto* b = AsBitmap(image);
  if (!b || !filename || !clsidEncoder || b->pixels.isNull()) return InvalidParameter;
  UINT count = 0;
  const Encoder* list = Encoders(&count);
  const Encoder* enc = nullptr;
  for (UINT i = 0; i < count; ++i)
    if (list[i].info.Clsid == *clsidEncoder) enc = &list[i];
  if (!enc) return FileNotFound;
  std::vector<std::uint8_t> bytes;
  bool ok = false;
  switch (enc->kind) {
    case 0: {
      bool alpha = !b->opaque && PictureCodecs::ImageHasTranslucency(b->pixels);
      ok = PictureCodecs::EncodeBmp(b->pixels, alpha ? 32 : 24, bytes);
      break;
    }
    case 1: ok = PictureCodecs::EncodeJpeg(b->pixels, 75, bytes); break;
    default: ok = PictureCodecs::EncodePng(b->opaque ? b->pixels.convertToFormat(QImage::Format_RGB32) : b->pixels, bytes);
  }
  if (!ok) return GenericError;
  return PictureCodecs::WriteWholeFile(PathFromName(filename, false), bytes) ? Ok : Win32Error;
}

GpStatus GdipDisposeImage(GpImage* image) {
  if (!image) return InvalidParameter;
  delete AsBitmap(image);
  return Ok;
}

}  // namespace Gdiplus
