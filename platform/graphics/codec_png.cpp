// PNG through libpng. libpng reports errors by longjmp, so the library calls live in functions whose
// frames hold no object with a destructor; the picture lives in the caller's frame.
#include "platform/graphics/codecs.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

namespace PictureCodecs {
namespace {

struct PngSource {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos;
  char message[160];
};

void PngReadBytes(png_structp png, png_bytep out, png_size_t n) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (n > src->size - src->pos) png_error(png, "file truncated");
  std::memcpy(out, src->data + src->pos, n);
  src->pos += n;
}

void PngFail(png_structp png, png_const_charp message) {
  auto* src = static_cast<PngSource*>(png_get_error_ptr(png));
  if (src) std::snprintf(src->message, sizeof src->message, "%s", message ? message : "PNG error");
  png_longjmp(png, 1);
}

void PngWarn(png_structp, png_const_charp) {}

// Sets up the transforms that turn any PNG into 8-bit BGRA or BGRX rows; returns the QImage format
// through the out parameters, or false (via longjmp) for bad data.
bool PngDecodeRaw(PngSource& src, QImage* out, bool* hasAlpha, int* bits) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &src, PngFail, PngWarn);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  png_bytep* volatile rows = nullptr;
  if (setjmp(png_jmpbuf(png))) {
    std::free(rows);
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &src, PngReadBytes);
  png_set_user_limits(png, png_uint_32(MaxSide), png_uint_32(MaxSide));
  // No chunk needs more than this, and a file with thousands of text chunks gets no more kept.
  png_set_chunk_malloc_max(png, 16u << 20);
  png_set_chunk_cache_max(png, 128);
  png_read_info(png, info);
  png_uint_32 w = 0, h = 0;
  int depth = 0, colourType = 0, interlace = 0;
  png_get_IHDR(png, info, &w, &h, &depth, &colourType, &interlace, nullptr, nullptr);
  if (!SizeAcceptable(w, h)) png_error(png, "PNG picture size out of range");
  bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
  *bits = depth * png_get_channels(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if (!alpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != std::size_t(w) * 4) png_error(png, "unexpected PNG row layout");
  *out = QImage(int(w), int(h), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (out->isNull()) png_error(png, "out of memory");
  rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * h));
  if (!rows) png_error(png, "out of memory");
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = out->scanLine(int(y));
  png_read_image(png, rows);
  std::free(rows);
  rows = nullptr;
  png_destroy_read_struct(&png, &info, nullptr);
  *hasAlpha = alpha;
  return true;
}

struct PngSink {
  std::vector<std::uint8_t>* out;
};

void PngWriteBytes(png_structp png, png_bytep data, png_size_t n) {
  auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
  sink->out->insert(sink->out->end(), data, data + n);
}
void PngFlush(png_structp) {}

bool PngEncodeRaw(const QImage* img, bool alpha, PngSink& sink) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngWarn);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &sink, PngWriteBytes, PngFlush);
  png_set_IHDR(png, info, png_uint_32(img->width()), png_uint_32(img->height()), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  if (!alpha) png_set_filler(png, 0, PNG_FILLER_AFTER);
  for (int y = 0; y < img->height(); ++y) png_write_row(png, const_cast<png_bytep>(img->constScanLine(y)));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

// Walks the chunk list before libpng sees it: every chunk's declared length must fit in the bytes that
// are left, or libpng would allocate (and clear) whatever length the file claims before noticing that
// the data is not there. Chunks after the end chunk are not looked at.
const char* CheckChunkLengths(std::span<const std::uint8_t> data) {
  std::size_t pos = 8;
  while (pos < data.size()) {
    if (data.size() - pos < 8) return "PNG chunk header truncated";
    const std::uint32_t length = std::uint32_t(data[pos]) << 24 | std::uint32_t(data[pos + 1]) << 16 |
                                 std::uint32_t(data[pos + 2]) << 8 | data[pos + 3];
    if (length > 0x7FFFFFFFu) return "PNG chunk length out of range";
    if (std::uint64_t(length) + 12 > data.size() - pos) return "PNG chunk longer than the file";
    if (std::memcmp(&data[pos + 4], "IEND", 4) == 0) break;
    pos += std::size_t(length) + 12;
  }
  return nullptr;
}

}  // namespace

DecodeResult DecodePng(std::span<const std::uint8_t> data) {
  DecodeResult r;
  if (data.size() < 8 || png_sig_cmp(data.data(), 0, 8) != 0) {
    r.error = "not a PNG file";
    return r;
  }
  if (const char* damage = CheckChunkLengths(data)) {
    r.error = damage;
    return r;
  }
  PngSource src{data.data(), data.size(), 0, "PNG decoding failed"};
  QImage img;
  bool alpha = false;
  int bits = 0;
  if (!PngDecodeRaw(src, &img, &alpha, &bits)) {
    r.error = src.message;
    return r;
  }
  r.image = std::move(img);
  r.hasAlpha = alpha;
  r.bitsPerPixel = bits;
  return r;
}

bool EncodePng(const QImage& image, std::vector<std::uint8_t>& out) {
  if (image.isNull()) return false;
  bool alpha = image.hasAlphaChannel();
  QImage img = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  out.clear();
  PngSink sink{&out};
  return PngEncodeRaw(&img, alpha, sink);
}

}  // namespace PictureCodecs
