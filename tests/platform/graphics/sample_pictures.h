#pragma once
// Small picture files made in memory for the tests: each format written by a second, independent
// writer where one exists (Qt's PNG writer, giflib's encoder), so decoding is not checked against itself.
// Before the C libraries: jpeglib defines TRUE and FALSE as macros.
#include "platform/win/testing.h"

#include <QBuffer>
#include <QImage>

#include <gif_lib.h>
#include <zlib.h>
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/graphics/codecs.h"

namespace samples {

inline std::vector<std::uint8_t> QtPng(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return {bytes.begin(), bytes.end()};
}

// A picture with every alpha step the tests look at.
inline QImage AlphaPattern() {
  QImage img(5, 3, QImage::Format_ARGB32);
  const int alphas[5] = {0, 1, 128, 254, 255};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) img.setPixel(x, y, qRgba(40 * x + 10, 200 - 50 * y, 77, alphas[x]));
  return img;
}

inline int GifWrite(GifFileType* gif, const GifByteType* data, int n) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
  out->insert(out->end(), data, data + n);
  return n;
}

// 4 x 2 GIF: index 0 is transparent, 1 red, 2 green, 3 blue; row 0 = 0 1 2 3, row 1 = 3 2 1 0.
inline std::vector<std::uint8_t> Gif4x2() {
  std::vector<std::uint8_t> out;
  int err = 0;
  GifFileType* gif = EGifOpen(&out, GifWrite, &err);
  GifColorType colours[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  ColorMapObject* map = GifMakeMapObject(4, colours);
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, 4, 2, 2, 0, map);
  GraphicsControlBlock gcb;
  gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
  gcb.UserInputFlag = false;
  gcb.DelayTime = 0;
  gcb.TransparentColor = 0;
  GifByteType ext[4];
  EGifGCBToExtension(&gcb, ext);
  EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
  EGifPutImageDesc(gif, 0, 0, 4, 2, false, nullptr);
  GifPixelType rows[2][4] = {{0, 1, 2, 3}, {3, 2, 1, 0}};
  EGifPutLine(gif, rows[0], 4);
  EGifPutLine(gif, rows[1], 4);
  EGifCloseFile(gif, &err);
  GifFreeMapObject(map);
  return out;
}

// Four flat quadrants, large enough that JPEG keeps their colours.
inline QImage Quadrants(int size = 32) {
  QImage img(size, size, QImage::Format_RGB32);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      bool right = x >= size / 2, bottom = y >= size / 2;
      img.setPixel(x, y, !right && !bottom ? qRgb(220, 30, 30) : right && !bottom ? qRgb(30, 200, 40)
                                      : !right ? qRgb(20, 40, 210) : qRgb(240, 240, 240));
    }
  return img;
}

// A run-length BMP (8 bits with RLE8, 4 bits with RLE4) around the given run-length data; the palette
// entry i is grey level 16 x i so a decoded pixel tells its index.
inline std::vector<std::uint8_t> RleBmp(int width, int height, int bits, const std::vector<std::uint8_t>& rle) {
  const std::uint32_t colours = 1u << bits, offBits = 14 + 40 + 4 * colours;
  std::vector<std::uint8_t> b;
  auto le16 = [&](std::uint32_t v) { b.push_back(std::uint8_t(v)), b.push_back(std::uint8_t(v >> 8)); };
  auto le32 = [&](std::uint32_t v) { le16(v & 0xFFFF), le16(v >> 16); };
  b.push_back('B'), b.push_back('M');
  le32(offBits + std::uint32_t(rle.size())), le32(0), le32(offBits);
  le32(40), le32(std::uint32_t(width)), le32(std::uint32_t(height)), le16(1), le16(std::uint32_t(bits));
  le32(bits == 8 ? 1 : 2), le32(std::uint32_t(rle.size())), le32(3780), le32(3780), le32(colours), le32(0);
  for (std::uint32_t i = 0; i < colours; ++i) {
    const std::uint8_t g = std::uint8_t(i * 16);
    b.push_back(g), b.push_back(g), b.push_back(g), b.push_back(0);
  }
  b.insert(b.end(), rle.begin(), rle.end());
  return b;
}

// A PNG made of the given chunks after the signature; each chunk gets its length and a valid CRC.
struct PngChunk {
  const char* type;
  std::vector<std::uint8_t> data;
};
inline void PutBE32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(std::uint8_t(v >> s));
}
inline std::vector<std::uint8_t> PngOf(const std::vector<PngChunk>& chunks) {
  std::vector<std::uint8_t> b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const PngChunk& c : chunks) {
    PutBE32(b, std::uint32_t(c.data.size()));
    const std::size_t start = b.size();
    b.insert(b.end(), c.type, c.type + 4);
    b.insert(b.end(), c.data.begin(), c.data.end());
    PutBE32(b, std::uint32_t(crc32(0, b.data() + start, uInt(b.size() - start))));
  }
  return b;
}

// A progressive JPEG written by the library's own encoder with its usual scan script.
inline std::vector<std::uint8_t> ProgressiveJpeg(const QImage& source) {
  const QImage img = source.convertToFormat(QImage::Format_RGB32);
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(img.width());
  cinfo.image_height = JDIMENSION(img.height());
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(&cinfo);
  jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(img.constScanLine(int(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// The same JPEG with its last scan (start-of-scan marker to the end-of-image marker) repeated so that
// the file holds `extra` more scans than it should.
inline std::vector<std::uint8_t> WithLastScanRepeated(const std::vector<std::uint8_t>& jpeg, int extra) {
  std::size_t sos = 0;
  for (std::size_t i = 2; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) sos = i;
  const std::size_t eoi = jpeg.size() - 2;
  std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(eoi));
  for (int i = 0; i < extra; ++i) out.insert(out.end(), jpeg.begin() + std::ptrdiff_t(sos), jpeg.begin() + std::ptrdiff_t(eoi));
  out.push_back(0xFF), out.push_back(0xD9);
  return out;
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::string TempPath(const std::string& name) {
  static const std::string dir = win::TempFolder("graphics");
  return dir + "/" + name;
}

}  // namespace samples
