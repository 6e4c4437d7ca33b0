// GIF through giflib, first frame only. Records are read one by one (not slurped) so that a hostile
// frame size is checked before anything is allocated.
#include "platform/graphics/codecs.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace PictureCodecs {
namespace {

struct GifSource {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos;
};

int GifReadBytes(GifFileType* gif, GifByteType* out, int n) {
  auto* src = static_cast<GifSource*>(gif->UserData);
  if (n <= 0) return 0;
  std::size_t k = std::min<std::size_t>(std::size_t(n), src->size - src->pos);
  std::memcpy(out, src->data + src->pos, k);
  src->pos += k;
  return int(k);
}

struct GifCloser {
  GifFileType* gif;
  ~GifCloser() {
    int err = 0;
    if (gif) DGifCloseFile(gif, &err);
  }
};

}  // namespace

DecodeResult DecodeGif(std::span<const std::uint8_t> data) {
  DecodeResult r;
  if (data.size() < 6 || std::memcmp(data.data(), "GIF8", 4) != 0) {
    r.error = "not a GIF file";
    return r;
  }
  GifSource src{data.data(), data.size(), 0};
  int err = 0;
  GifCloser gif{DGifOpen(&src, GifReadBytes, &err)};
  if (!gif.gif) {
    r.error = GifErrorString(err) ? GifErrorString(err) : "GIF decoding failed";
    return r;
  }
  GifFileType* g = gif.gif;
  int transparent = -1;
  while (true) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(g, &type) != GIF_OK) {
      r.error = "GIF file truncated";
      return r;
    }
    if (type == TERMINATE_RECORD_TYPE) {
      r.error = "GIF file holds no picture";
      return r;
    }
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* ext = nullptr;
      if (DGifGetExtension(g, &code, &ext) != GIF_OK) {
        r.error = "GIF extension damaged";
        return r;
      }
      if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) transparent = (ext[1] & 1) ? ext[4] : -1;
      while (ext) {
        if (DGifGetExtensionNext(g, &ext) != GIF_OK) {
          r.error = "GIF extension damaged";
          return r;
        }
      }
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(g) != GIF_OK) {
      r.error = "GIF picture header damaged";
      return r;
    }
    const GifImageDesc& desc = g->Image;
    const int fw = desc.Width, fh = desc.Height;
    if (!SizeAcceptable(fw, fh)) {
      r.error = "GIF picture size out of range";
      return r;
    }
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : g->SColorMap;
    if (!map || !map->Colors || map->ColorCount <= 0) {
      r.error = "GIF picture has no colour map";
      return r;
    }
    // An LZW code gives at most 4096 pixels and takes at least 3 bits, so fewer bytes than that for the
    // frame's pixels end before them: refused before the frame's memory is taken.
    if ((std::uint64_t(data.size() - src.pos) * 8 / 3 + 1) * 4096 < std::uint64_t(fw) * std::uint64_t(fh)) {
      r.error = "GIF file truncated";
      return r;
    }
    std::vector<GifPixelType> raster(std::size_t(fw) * std::size_t(fh));
    if (desc.Interlace) {
      static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < fh; y += step[pass])
          if (DGifGetLine(g, raster.data() + std::size_t(y) * fw, fw) != GIF_OK) {
            r.error = "GIF file truncated";
            return r;
          }
    } else {
      for (int y = 0; y < fh; ++y)
        if (DGifGetLine(g, raster.data() + std::size_t(y) * fw, fw) != GIF_OK) {
          r.error = "GIF file truncated";
          return r;
        }
    }
    // The logical screen frames the picture; a frame outside it is clipped, a missing screen size
    // takes the frame's.
    int sw = g->SWidth, sh = g->SHeight;
    int left = desc.Left, top = desc.Top;
    if (!SizeAcceptable(sw, sh)) sw = fw, sh = fh, left = top = 0;
    QImage img(sw, sh, QImage::Format_ARGB32);
    if (img.isNull()) {
      r.error = "out of memory";
      return r;
    }
    img.fill(Qt::transparent);
    bool covered = left <= 0 && top <= 0 && left + fw >= sw && top + fh >= sh;
    bool anyTransparent = false;
    for (int y = 0; y < fh; ++y) {
      int ty = top + y;
      if (ty < 0 || ty >= sh) continue;
      QRgb* o = reinterpret_cast<QRgb*>(img.scanLine(ty));
      const GifPixelType* s = raster.data() + std::size_t(y) * fw;
      for (int x = 0; x < fw; ++x) {
        int tx = left + x;
        if (tx < 0 || tx >= sw) continue;
        int idx = s[x];
        if (idx == transparent) {
          anyTransparent = true;
          continue;
        }
        if (idx >= map->ColorCount) idx = 0;
        const GifColorType& c = map->Colors[idx];
        o[tx] = qRgb(c.Red, c.Green, c.Blue);
      }
    }
    r.hasAlpha = anyTransparent || !covered;
    if (!r.hasAlpha) img.reinterpretAsFormat(QImage::Format_RGB32);
    r.image = std::move(img);
    r.bitsPerPixel = 8;
    return r;
  }
}

}  // namespace PictureCodecs
