// BMP reading and writing: our own code, every field bounds-checked against the bytes we were given.
#include "platform/graphics/codecs.h"

#include <cerrno>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/graphics/replacefile.h"

namespace PictureCodecs {
namespace {

constexpr std::uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;

struct Bytes {
  std::span<const std::uint8_t> d;
  bool has(std::uint64_t off, std::uint64_t n) const { return off <= d.size() && n <= d.size() - off; }
  std::uint32_t u8(std::uint64_t o) const { return has(o, 1) ? d[o] : 0; }
  std::uint32_t u16(std::uint64_t o) const { return has(o, 2) ? std::uint32_t(d[o] | d[o + 1] << 8) : 0; }
  std::uint32_t u32(std::uint64_t o) const {
    return has(o, 4) ? std::uint32_t(d[o]) | std::uint32_t(d[o + 1]) << 8 | std::uint32_t(d[o + 2]) << 16 |
                           std::uint32_t(d[o + 3]) << 24
                     : 0;
  }
};

DecodeResult Fail(const char* why) {
  DecodeResult r;
  r.error = why;
  return r;
}

// One colour channel described by a bit mask, scaled to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;
  explicit Channel(std::uint32_t m) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    max = m >> shift;
  }
  int get(std::uint32_t px, int fallback) const {
    if (!max) return fallback;
    return int((std::uint64_t((px & mask) >> shift) * 255 + max / 2) / max);
  }
};

void PutLe16(std::vector<std::uint8_t>& o, std::uint32_t v) {
  o.push_back(std::uint8_t(v));
  o.push_back(std::uint8_t(v >> 8));
}
void PutLe32(std::vector<std::uint8_t>& o, std::uint32_t v) {
  PutLe16(o, v & 0xFFFF);
  PutLe16(o, v >> 16);
}

// Run-length data: rows bottom-up, escapes for end of line, end of picture and delta moves. The file
// chooses every count, so the position is kept inside the picture: a run or literal past the row's end
// is cut (its bytes are still consumed), a delta is applied in 64-bit and a delta that leaves the
// picture ends it, and an end of line past the last row ends it too. Returns false when the data ends
// before the end-of-picture mark. Without a picture it only reads the stream through, so that a stream
// that stops early is refused before the picture's memory is taken and filled.
bool DecodeRle(const Bytes& b, std::uint64_t pos, int bpp, int w, int h, QImage* img) {
  std::int64_t x = 0, y = 0;  // y counts from the bottom row; 0 <= x <= w and 0 <= y < h between escapes
  auto put = [&](int idx) {  // callers keep x < w
    if (img) img->scanLine(int(h - 1 - y))[x] = std::uint8_t(idx);
    ++x;
  };
  while (true) {
    if (!b.has(pos, 2)) return false;
    int n = b.d[pos], v = b.d[pos + 1];
    pos += 2;
    if (n > 0) {
      for (int i = 0; i < n && x < w; ++i) put(bpp == 8 ? v : ((i & 1) ? (v & 15) : (v >> 4)));
      continue;
    }
    if (v == 0) {
      x = 0;
      ++y;
    } else if (v == 1) {
      return true;
    } else if (v == 2) {
      if (!b.has(pos, 2)) return false;
      x += b.d[pos];
      y += b.d[pos + 1];
      pos += 2;
      if (x > w) return true;  // moved off the picture: nothing more can land
    } else {
      std::uint64_t bytes = bpp == 8 ? std::uint64_t(v) : std::uint64_t(v + 1) / 2;
      if (!b.has(pos, bytes)) return false;
      for (int i = 0; i < v && x < w; ++i) {
        int byte = b.d[pos + (bpp == 8 ? i : i / 2)];
        put(bpp == 8 ? byte : ((i & 1) ? (byte & 15) : (byte >> 4)));
      }
      pos += (bytes + 1) & ~std::uint64_t(1);  // runs are word-aligned
    }
    if (y >= h) return true;  // ran past the last row: nothing more can land
  }
}

}  // namespace

bool SizeAcceptable(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= MaxSide && height <= MaxSide && width * height <= MaxPixels;
}

PictureKind SniffPicture(std::span<const std::uint8_t> d) {
  if (d.size() >= 2 && d[0] == 'B' && d[1] == 'M') return PictureKind::Bmp;
  if (d.size() >= 8 && std::memcmp(d.data(), "\x89PNG\r\n\x1a\n", 8) == 0) return PictureKind::Png;
  if (d.size() >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) return PictureKind::Jpeg;
  if (d.size() >= 4 && std::memcmp(d.data(), "GIF8", 4) == 0) return PictureKind::Gif;
  return PictureKind::Unknown;
}

DecodeResult DecodeAny(std::span<const std::uint8_t> data) {
  switch (SniffPicture(data)) {
    case PictureKind::Bmp: return DecodeBmp(data);
    case PictureKind::Png: return DecodePng(data);
    case PictureKind::Jpeg: return DecodeJpeg(data);
    case PictureKind::Gif: return DecodeGif(data);
    default: return Fail("unknown picture format");
  }
}

DecodeResult DecodeBmp(std::span<const std::uint8_t> data) {
  Bytes b{data};
  if (!b.has(0, 18) || data[0] != 'B' || data[1] != 'M') return Fail("not a BMP file");
  std::uint32_t offBits = b.u32(10);
  std::uint32_t hdr = b.u32(14);
  std::int64_t w = 0, h = 0;
  std::uint32_t bpp = 0, compression = BI_RGB, clrUsed = 0;
  std::uint32_t masks[4] = {0, 0, 0, 0};
  int paletteEntry = 4;
  if (hdr == 12) {
    if (!b.has(14, 12)) return Fail("BMP header truncated");
    w = b.u16(18);
    h = std::int16_t(b.u16(20));
    bpp = b.u16(24);
    paletteEntry = 3;
  } else if (hdr >= 40 && hdr <= 1024) {
    if (!b.has(14, hdr)) return Fail("BMP header truncated");
    w = std::int32_t(b.u32(18));
    h = std::int32_t(b.u32(22));
    bpp = b.u16(28);
    compression = b.u32(30);
    clrUsed = b.u32(46);
    if (compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS) {
      std::uint64_t at = hdr >= 52 ? 54 : 14 + hdr;
      int count = (compression == BI_ALPHABITFIELDS || hdr >= 56) ? 4 : 3;
      if (!b.has(at, 4 * count)) return Fail("BMP colour masks truncated");
      for (int i = 0; i < count; ++i) masks[i] = b.u32(at + 4 * i);
    }
  } else {
    return Fail("unsupported BMP header");
  }
  bool topDown = h < 0;
  if (topDown) h = -h;
  if (!SizeAcceptable(w, h)) return Fail("BMP picture size out of range");
  bool rle = compression == BI_RLE8 || compression == BI_RLE4;
  bool fields = compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS;
  if (!(compression == BI_RGB && (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32)) &&
      !(compression == BI_RLE8 && bpp == 8) && !(compression == BI_RLE4 && bpp == 4) &&
      !(fields && (bpp == 16 || bpp == 32)))
    return Fail("unsupported BMP pixel format");
  if (rle && topDown) return Fail("top-down BMP cannot be run-length encoded");

  std::uint64_t afterHeader = 14 + std::uint64_t(hdr);
  if (compression == BI_BITFIELDS && hdr == 40) afterHeader += 12;
  if (compression == BI_ALPHABITFIELDS && hdr == 40) afterHeader += 16;

  DecodeResult r;
  r.bitsPerPixel = int(bpp);
  QList<QRgb> palette;
  if (bpp <= 8) {
    std::uint32_t colours = clrUsed ? clrUsed : (1u << bpp);
    if (colours > 256) return Fail("BMP palette too large");
    if (!b.has(afterHeader, std::uint64_t(colours) * paletteEntry)) return Fail("BMP palette truncated");
    for (std::uint32_t i = 0; i < colours; ++i) {
      std::uint64_t at = afterHeader + std::uint64_t(i) * paletteEntry;
      palette.push_back(qRgb(b.u8(at + 2), b.u8(at + 1), b.u8(at)));
    }
    // Pixel values past the palette's end read as black instead of reading outside it.
    while (palette.size() < (1 << bpp)) palette.push_back(qRgb(0, 0, 0));
    afterHeader += std::uint64_t(colours) * paletteEntry;
  }
  // Some writers leave the pixel offset 0; one that points outside the file is damage.
  if (offBits >= data.size()) return Fail("BMP pixel offset outside the file");
  std::uint64_t pixels = offBits >= 14 + 12 ? offBits : afterHeader;
  int W = int(w), H = int(h);

  if (rle) {
    if (!DecodeRle(b, pixels, int(bpp), W, H, nullptr)) return Fail("BMP run-length data truncated");
    QImage img(W, H, QImage::Format_Indexed8);
    if (img.isNull()) return Fail("out of memory");
    img.setColorTable(palette);
    img.fill(0);
    DecodeRle(b, pixels, int(bpp), W, H, &img);
    r.image = std::move(img);
    return r;
  }

  std::uint64_t rowBytes = ((std::uint64_t(w) * bpp + 31) / 32) * 4;
  if (!b.has(pixels, rowBytes * std::uint64_t(h))) return Fail("BMP pixel data truncated");
  auto row = [&](int y) { return data.data() + pixels + rowBytes * std::uint64_t(topDown ? y : H - 1 - y); };

  if (bpp == 1) {
    QImage img(W, H, QImage::Format_Mono);
    if (img.isNull()) return Fail("out of memory");
    img.setColorTable(palette.mid(0, 2));
    for (int y = 0; y < H; ++y) std::memcpy(img.scanLine(y), row(y), size_t((W + 7) / 8));
    r.image = std::move(img);
  } else if (bpp == 4 || bpp == 8) {
    QImage img(W, H, QImage::Format_Indexed8);
    if (img.isNull()) return Fail("out of memory");
    img.setColorTable(palette);
    for (int y = 0; y < H; ++y) {
      const std::uint8_t* s = row(y);
      std::uint8_t* o = img.scanLine(y);
      if (bpp == 8)
        std::memcpy(o, s, size_t(W));
      else
        for (int x = 0; x < W; ++x) o[x] = (x & 1) ? (s[x / 2] & 15) : (s[x / 2] >> 4);
    }
    r.image = std::move(img);
  } else if (bpp == 24) {
    QImage img(W, H, QImage::Format_BGR888);
    if (img.isNull()) return Fail("out of memory");
    // Format_BGR888 rows are blue-green-red in memory, exactly like the file's.
    for (int y = 0; y < H; ++y) std::memcpy(img.scanLine(y), row(y), size_t(W) * 3);
    r.image = std::move(img);
  } else {  // 16 or 32 bits, plain or with masks
    if (!fields) {
      if (bpp == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F, masks[3] = 0;
      } else {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF, masks[3] = 0xFF000000;
      }
    }
    Channel cr(masks[0]), cg(masks[1]), cb(masks[2]), ca(masks[3]);
    QImage img(W, H, QImage::Format_ARGB32);
    if (img.isNull()) return Fail("out of memory");
    bool anyAlpha = false;
    for (int y = 0; y < H; ++y) {
      const std::uint8_t* s = row(y);
      QRgb* o = reinterpret_cast<QRgb*>(img.scanLine(y));
      for (int x = 0; x < W; ++x) {
        std::uint32_t px = bpp == 16 ? std::uint32_t(s[2 * x] | s[2 * x + 1] << 8)
                                     : std::uint32_t(s[4 * x]) | std::uint32_t(s[4 * x + 1]) << 8 |
                                           std::uint32_t(s[4 * x + 2]) << 16 | std::uint32_t(s[4 * x + 3]) << 24;
        int a = ca.get(px, 255);
        anyAlpha |= a != 0;
        o[x] = qRgba(cr.get(px, 0), cg.get(px, 0), cb.get(px, 0), a);
      }
    }
    // A fourth byte that is zero everywhere is padding, not transparency.
    if (!anyAlpha) {
      for (int y = 0; y < H; ++y) {
        QRgb* o = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < W; ++x) o[x] |= 0xFF000000u;
      }
    }
    r.hasAlpha = anyAlpha && ImageHasTranslucency(img);
    if (!r.hasAlpha) img.reinterpretAsFormat(QImage::Format_RGB32);
    r.image = std::move(img);
  }
  return r;
}

bool ImageHasTranslucency(const QImage& image) {
  if (!image.hasAlphaChannel()) return false;
  const QImage::Format f = image.format();
  // Both 32-bit alpha layouts keep alpha in the top byte; others are converted once.
  const bool direct = f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
  const QImage a = direct ? image : image.convertToFormat(QImage::Format_ARGB32);
  const int w = a.width();
  // AND of whole rows without a branch per pixel (the compiler vectorises it); one test per row.
  for (int y = 0; y < a.height(); ++y) {
    const QRgb* s = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    QRgb all = 0xFF000000u;
    for (int x = 0; x < w; ++x) all &= s[x];
    if ((all & 0xFF000000u) != 0xFF000000u) return true;
  }
  return false;
}

bool EncodeBmp(const QImage& source, int bpp, std::vector<std::uint8_t>& out) {
  if (source.isNull() || !(bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32)) return false;
  QImage img;
  if (bpp == 1)
    img = source.format() == QImage::Format_Mono ? source : source.convertToFormat(QImage::Format_Mono);
  else if (bpp <= 8)
    img = source.format() == QImage::Format_Indexed8 ? source : source.convertToFormat(QImage::Format_Indexed8);
  else
    img = source.format() == QImage::Format_ARGB32 ? source : source.convertToFormat(QImage::Format_ARGB32);
  if (img.isNull()) return false;
  if (bpp == 4 && img.colorCount() > 16) {
    img = img.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    if (img.colorCount() > 16) return false;
  }
  const int w = img.width(), h = img.height();
  const std::uint32_t colours = bpp <= 8 ? std::uint32_t(1) << bpp : 0;
  const std::uint64_t rowBytes = ((std::uint64_t(w) * bpp + 31) / 32) * 4;
  const std::uint64_t offBits = 14 + 40 + 4ull * colours;
  const std::uint64_t total = offBits + rowBytes * h;
  if (total > 0xFFFFFFFFull) return false;
  out.clear();
  out.reserve(total);
  out.push_back('B');
  out.push_back('M');
  PutLe32(out, std::uint32_t(total));
  PutLe32(out, 0);
  PutLe32(out, std::uint32_t(offBits));
  PutLe32(out, 40);
  PutLe32(out, std::uint32_t(w));
  PutLe32(out, std::uint32_t(h));  // positive: bottom-up
  PutLe16(out, 1);
  PutLe16(out, std::uint32_t(bpp));
  PutLe32(out, BI_RGB);
  PutLe32(out, std::uint32_t(rowBytes * h));
  PutLe32(out, 3780);  // 96 dots per inch
  PutLe32(out, 3780);
  PutLe32(out, colours);
  PutLe32(out, 0);
  for (std::uint32_t i = 0; i < colours; ++i) {
    QRgb c = int(i) < img.colorCount() ? img.color(int(i)) : 0;
    out.push_back(std::uint8_t(qBlue(c)));
    out.push_back(std::uint8_t(qGreen(c)));
    out.push_back(std::uint8_t(qRed(c)));
    out.push_back(0);
  }
  for (int y = h - 1; y >= 0; --y) {
    const std::uint8_t* s = img.constScanLine(y);
    std::size_t start = out.size();
    if (bpp == 1) {
      out.insert(out.end(), s, s + (w + 7) / 8);
    } else if (bpp == 8) {
      out.insert(out.end(), s, s + w);
    } else if (bpp == 4) {
      for (int x = 0; x < w; x += 2)
        out.push_back(std::uint8_t((s[x] & 15) << 4 | (x + 1 < w ? (s[x + 1] & 15) : 0)));
    } else {
      const QRgb* p = reinterpret_cast<const QRgb*>(s);
      for (int x = 0; x < w; ++x) {
        out.push_back(std::uint8_t(qBlue(p[x])));
        out.push_back(std::uint8_t(qGreen(p[x])));
        out.push_back(std::uint8_t(qRed(p[x])));
        if (bpp == 32) out.push_back(std::uint8_t(qAlpha(p[x])));
      }
    }
    out.resize(start + rowBytes, 0);
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
  out.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::uint8_t buf[65536];
  bool ok = true;
  while (true) {
    std::size_t n = std::fread(buf, 1, sizeof buf, f);
    out.insert(out.end(), buf, buf + n);
    if (n < sizeof buf) {
      ok = !std::ferror(f);
      break;
    }
  }
  std::fclose(f);
  return ok;
}

bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> data) {
  const int err = PictureFiles::ReplaceFile(path, data);
  errno = err;  // the reason stays readable for the caller, like the system's last-error value
  return err == 0;
}

}  // namespace PictureCodecs
