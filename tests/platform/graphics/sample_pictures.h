#pragma once
// Small picture files made in memory for the tests: each format written by a second, independent
// writer where one exists (Qt's PNG writer, giflib's encoder), so decoding is not checked against itself.
#include <QBuffer>
#include <QImage>

#include <gif_lib.h>

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

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::string TempPath(const std::string& name) {
  return std::string(::testing::TempDir()) + "tressora_graphics_" + name;
}

}  // namespace samples
