// JPEG through libjpeg. Errors arrive by longjmp, so library calls run in frames without destructors.
// A file that ends early is rejected (the library would otherwise fill the rest with grey).
#include "platform/graphics/codecs.h"

#include <cstdio>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <sys/mman.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

namespace PictureCodecs {
namespace {

// A progressive picture needs a dozen scans or so; each extra scan costs a pass over every coefficient, so
// a file that repeats one scan thousands of times would keep the window's thread busy for minutes.
constexpr int MaxJpegScans = 256;

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  bool allRowsRead;  // a missing end marker after the last row is harmless
};

[[noreturn]] void JpegFail(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Data that ends before the last row, at the end of the file or at a marker inside it, is refused: the
// library would otherwise decode the whole picture from zeros.
void JpegMessage(j_common_ptr cinfo, int level) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  const int code = cinfo->err->msg_code;
  if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER) && !err->allRowsRead) JpegFail(cinfo);
}

// Huffman-coded scans spend at least one bit on every block of a component (its DC code), so a file
// whose remaining bytes cannot hold that for the first component ends before its pixels: refused before
// any picture-sized memory is taken.
bool JpegDataCanHoldPicture(const jpeg_decompress_struct& cinfo) {
  if (cinfo.arith_code || cinfo.num_components < 1) return true;
  const jpeg_component_info& c = cinfo.comp_info[0];
  const std::uint64_t blocks = std::uint64_t(c.width_in_blocks) * c.height_in_blocks;
  return std::uint64_t(cinfo.src->bytes_in_buffer) * 8 >= blocks;
}

void JpegProgress(j_common_ptr cinfo) {
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > MaxJpegScans) {
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "JPEG file holds more than %d scans", MaxJpegScans);
    std::longjmp(err->jump, 1);
  }
}

// A picture of many megabytes is held on huge pages where the system offers them: a 24-megapixel photo
// then faults in a few dozen pages as it is decoded instead of tens of thousands.
QImage NewDecodedImage(int w, int h) {
  constexpr std::size_t kHuge = std::size_t(2) << 20;
  const std::size_t bytes = std::size_t(w) * 4 * std::size_t(h);
  if (bytes < 4 * kHuge) return QImage(w, h, QImage::Format_RGB32);
  const std::size_t rounded = (bytes + kHuge - 1) / kHuge * kHuge;
  void* memory = std::aligned_alloc(kHuge, rounded);
  if (!memory) return QImage();
  madvise(memory, rounded, MADV_HUGEPAGE);  // only advice: without huge pages it is an ordinary block
  return QImage(static_cast<uchar*>(memory), w, h, qsizetype(w) * 4, QImage::Format_RGB32,
                [](void* p) { std::free(p); }, memory);
}

bool JpegDecodeRaw(const std::uint8_t* data, std::size_t size, JpegError& err, QImage* out) {
  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegFail;
  err.mgr.emit_message = JpegMessage;
  err.allRowsRead = false;
  std::uint8_t* volatile cmykRow = nullptr;
  if (setjmp(err.jump)) {
    std::free(cmykRow);
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_progress_mgr progress{};
  progress.progress_monitor = JpegProgress;
  cinfo.progress = &progress;
  // Progressive pictures keep every coefficient in memory; a hostile header must not claim gigabytes.
  cinfo.mem->max_memory_to_use = 512L << 20;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  if (!SizeAcceptable(cinfo.image_width, cinfo.image_height)) {
    std::snprintf(err.message, sizeof err.message, "JPEG picture size out of range");
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  if (!JpegDataCanHoldPicture(cinfo)) {
    cinfo.err->msg_code = JWRN_JPEG_EOF;  // the library's own words for it
    (*cinfo.err->format_message)(reinterpret_cast<j_common_ptr>(&cinfo), err.message);
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  // The fourth byte of each pixel is written as 0xFF, so the pixels also read as opaque ARGB32.
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  jpeg_start_decompress(&cinfo);
  const int w = int(cinfo.output_width), h = int(cinfo.output_height);
  *out = NewDecodedImage(w, h);
  if (out->isNull()) ERREXIT(&cinfo, JERR_OUT_OF_MEMORY);
  if (cmyk) {
    cmykRow = static_cast<std::uint8_t*>(std::malloc(std::size_t(w) * 4));
    if (!cmykRow) ERREXIT(&cinfo, JERR_OUT_OF_MEMORY);
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    int y = int(cinfo.output_scanline);
    JSAMPROW row = cmyk ? cmykRow : out->scanLine(y);
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) ERREXIT(&cinfo, JERR_INPUT_EOF);
    if (cmyk) {
      // Adobe writes inverted CMYK; that is what nearly every CMYK JPEG in the wild holds.
      QRgb* o = reinterpret_cast<QRgb*>(out->scanLine(y));
      for (int x = 0; x < w; ++x) {
        const std::uint8_t* p = cmykRow + 4 * x;
        int k = p[3];
        o[x] = qRgb(p[0] * k / 255, p[1] * k / 255, p[2] * k / 255);
      }
    }
  }
  err.allRowsRead = true;
  jpeg_finish_decompress(&cinfo);
  std::free(cmykRow);
  cmykRow = nullptr;
  jpeg_destroy_decompress(&cinfo);
  return true;
}

bool JpegEncodeRaw(const QImage* img, int quality, JpegError& err, unsigned char** buffer, unsigned long* size) {
  jpeg_compress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegFail;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, buffer, size);
  cinfo.image_width = JDIMENSION(img->width());
  cinfo.image_height = JDIMENSION(img->height());
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(img->constScanLine(int(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

DecodeResult DecodeJpeg(std::span<const std::uint8_t> data) {
  DecodeResult r;
  if (data.size() < 3 || data[0] != 0xFF || data[1] != 0xD8) {
    r.error = "not a JPEG file";
    return r;
  }
  JpegError err;
  std::memset(err.message, 0, sizeof err.message);
  QImage img;
  if (!JpegDecodeRaw(data.data(), data.size(), err, &img)) {
    r.error = err.message[0] ? err.message : "JPEG decoding failed";
    return r;
  }
  r.image = std::move(img);
  r.bitsPerPixel = 24;
  return r;
}

bool EncodeJpeg(const QImage& image, int quality, std::vector<std::uint8_t>& out) {
  if (image.isNull()) return false;
  QImage img = image.convertToFormat(QImage::Format_RGB32);
  JpegError err;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  bool ok = JpegEncodeRaw(&img, quality < 1 ? 1 : quality > 100 ? 100 : quality, err, &buffer, &size);
  if (ok) out.assign(buffer, buffer + size);
  std::free(buffer);
  return ok;
}

}  // namespace PictureCodecs
