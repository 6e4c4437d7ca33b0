// Picture codecs: BMP of every bit depth and orientation, PNG alpha, JPEG colours, GIF transparency.
#include <gtest/gtest.h>

#include <cstdlib>

#include "sample_pictures.h"

using namespace PictureCodecs;

namespace {

QImage Gradient(int w, int h, bool alpha) {
  QImage img(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgba(x * 37 % 256, y * 53 % 256, (x + y) * 11 % 256, alpha ? (x * 7 + y * 13) % 256 : 255));
  return img;
}

void ExpectSamePixels(const QImage& a, const QImage& b) {
  ASSERT_EQ(a.size(), b.size());
  QImage ca = a.convertToFormat(QImage::Format_ARGB32), cb = b.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) ASSERT_EQ(ca.pixel(x, y), cb.pixel(x, y)) << "at " << x << "," << y;
}

}  // namespace

// Odd widths exercise the 4-byte row padding of every depth.
TEST(BmpCodec, WritesAndReadsBackEveryDepthLosslessly) {
  struct Case {
    int bits;
    int width;
  } cases[] = {{1, 13}, {4, 7}, {8, 9}, {24, 5}, {24, 6}, {32, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    QImage source = Gradient(c.width, 4, c.bits == 32);
    if (c.bits == 1) source = source.convertToFormat(QImage::Format_Mono);
    if (c.bits == 4) source = source.convertToFormat(QImage::Format_Indexed8, {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255)});
    if (c.bits == 8) source = source.convertToFormat(QImage::Format_Indexed8);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(EncodeBmp(source, c.bits, bytes));
    EXPECT_EQ(bytes[28], c.bits);
    DecodeResult r = DecodeBmp(bytes);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.bitsPerPixel, c.bits);
    ExpectSamePixels(source, r.image);
  }
}

TEST(BmpCodec, ReadsTopDownRowsInTheirOrder) {
  QImage source = Gradient(3, 4, false);
  std::vector<std::uint8_t> bottomUp;
  ASSERT_TRUE(EncodeBmp(source, 24, bottomUp));
  // Same file with a negative height and the rows stored first-row-first.
  std::vector<std::uint8_t> topDown(bottomUp.begin(), bottomUp.begin() + 54);
  std::int32_t h = -4;
  std::memcpy(&topDown[22], &h, 4);
  const std::size_t row = 12;
  for (int y = 3; y >= 0; --y)
    topDown.insert(topDown.end(), bottomUp.begin() + 54 + y * row, bottomUp.begin() + 54 + (y + 1) * row);
  DecodeResult r = DecodeBmp(topDown);
  ASSERT_TRUE(r.ok()) << r.error;
  ExpectSamePixels(source, r.image);
}

TEST(BmpCodec, ReadsRunLengthEncoded8Bit) {
  // 4 x 2, bottom row: run of 3 x index 1, then literal index 2; top row: delta-free end of line.
  std::vector<std::uint8_t> b = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0,
                                 1, 0, 8, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0};
  std::uint8_t palette[] = {0, 0, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};  // black, red, blue
  b.insert(b.end(), palette, palette + 12);
  std::uint32_t off = std::uint32_t(b.size());
  std::memcpy(&b[10], &off, 4);
  std::uint8_t rle[] = {3, 1, 1, 2, 0, 0, 4, 2, 0, 1};
  b.insert(b.end(), rle, rle + sizeof rle);
  DecodeResult r = DecodeBmp(b);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.image.pixel(0, 1), qRgb(255, 0, 0));
  EXPECT_EQ(r.image.pixel(2, 1), qRgb(255, 0, 0));
  EXPECT_EQ(r.image.pixel(3, 1), qRgb(0, 0, 255));
  EXPECT_EQ(r.image.pixel(0, 0), qRgb(0, 0, 255));
}

TEST(PngCodec, AlphaSurvivesDecodingExactly) {
  QImage source = samples::AlphaPattern();
  DecodeResult r = DecodePng(samples::QtPng(source));
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_TRUE(r.hasAlpha);
  QImage got = r.image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      QRgb want = source.pixel(x, y), have = got.pixel(x, y);
      EXPECT_EQ(qAlpha(have), qAlpha(want)) << x << "," << y;
      if (qAlpha(want) == 255) {
        EXPECT_EQ(have, want);
      }
    }
}

TEST(PngCodec, OwnEncoderRoundTripsAlpha) {
  QImage source = samples::AlphaPattern();
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(EncodePng(source, bytes));
  DecodeResult r = DecodePng(bytes);
  ASSERT_TRUE(r.ok());
  ExpectSamePixels(source, r.image);
}

TEST(JpegCodec, DecodesToRoughlyTheRightColours) {
  QImage source = samples::Quadrants();
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(EncodeJpeg(source, 90, bytes));
  DecodeResult r = DecodeJpeg(bytes);
  ASSERT_TRUE(r.ok()) << r.error;
  ASSERT_EQ(r.image.size(), source.size());
  for (QPoint p : {QPoint(8, 8), QPoint(24, 8), QPoint(8, 24), QPoint(24, 24)}) {
    QRgb want = source.pixel(p), have = r.image.pixel(p);
    EXPECT_LE(std::abs(qRed(want) - qRed(have)), 12) << p.x() << "," << p.y();
    EXPECT_LE(std::abs(qGreen(want) - qGreen(have)), 12);
    EXPECT_LE(std::abs(qBlue(want) - qBlue(have)), 12);
  }
}

TEST(GifCodec, TransparentIndexBecomesAlphaZero) {
  DecodeResult r = DecodeGif(samples::Gif4x2());
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_TRUE(r.hasAlpha);
  QImage img = r.image.convertToFormat(QImage::Format_ARGB32);
  EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
  EXPECT_EQ(img.pixel(1, 0), qRgb(255, 0, 0));
  EXPECT_EQ(img.pixel(2, 0), qRgb(0, 255, 0));
  EXPECT_EQ(img.pixel(3, 0), qRgb(0, 0, 255));
  EXPECT_EQ(img.pixel(0, 1), qRgb(0, 0, 255));
  EXPECT_EQ(qAlpha(img.pixel(3, 1)), 0);
}

TEST(Sniffing, RecognisesEachFormatByContent) {
  std::vector<std::uint8_t> bmp, png, jpg;
  EncodeBmp(samples::Quadrants(4), 24, bmp);
  EncodePng(samples::Quadrants(4), png);
  EncodeJpeg(samples::Quadrants(8), 80, jpg);
  EXPECT_EQ(SniffPicture(bmp), PictureKind::Bmp);
  EXPECT_EQ(SniffPicture(png), PictureKind::Png);
  EXPECT_EQ(SniffPicture(jpg), PictureKind::Jpeg);
  EXPECT_EQ(SniffPicture(samples::Gif4x2()), PictureKind::Gif);
  EXPECT_EQ(SniffPicture(std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'}), PictureKind::Unknown);
}

TEST(JpegCodec, MissingEndMarkerIsToleratedButMissingRowsAreNot) {
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(EncodeJpeg(samples::Quadrants(), 90, bytes));
  ASSERT_EQ(bytes[bytes.size() - 2], 0xFF);
  ASSERT_EQ(bytes[bytes.size() - 1], 0xD9);
  std::vector<std::uint8_t> noEnd(bytes.begin(), bytes.end() - 2);
  EXPECT_TRUE(DecodeJpeg(noEnd).ok());
  std::vector<std::uint8_t> half(bytes.begin(), bytes.begin() + bytes.size() * 2 / 3);
  EXPECT_FALSE(DecodeJpeg(half).ok());
}

namespace {

// A BMP file around the given header (after the 14-byte file header) and pixel bytes.
std::vector<std::uint8_t> BmpFile(std::vector<std::uint8_t> header, const std::vector<std::uint8_t>& pixels) {
  std::vector<std::uint8_t> f = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  std::uint32_t off = std::uint32_t(14 + header.size());
  std::memcpy(&f[10], &off, 4);
  f.insert(f.end(), header.begin(), header.end());
  f.insert(f.end(), pixels.begin(), pixels.end());
  return f;
}

std::vector<std::uint8_t> Le(std::initializer_list<std::pair<std::uint32_t, int>> fields) {
  std::vector<std::uint8_t> out;
  for (auto [v, bytes] : fields)
    for (int i = 0; i < bytes; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
  return out;
}

}  // namespace

TEST(BmpCodec, ReadsCoreHeadersAndColourMasks) {
  // Core (12-byte) header, 2 x 1, 24 bits: blue-green-red bytes, row padded to 8.
  auto core = BmpFile(Le({{12, 4}, {2, 2}, {1, 2}, {1, 2}, {24, 2}}), {1, 2, 3, 4, 5, 6, 0, 0});
  DecodeResult r = DecodeBmp(core);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.image.pixel(0, 0), qRgb(3, 2, 1));
  EXPECT_EQ(r.image.pixel(1, 0), qRgb(6, 5, 4));
  // 16 bits with 5-6-5 masks after a 40-byte header: pure red, pure green.
  auto masks = BmpFile(Le({{40, 4}, {2, 4}, {1, 4}, {1, 2}, {16, 2}, {3, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4},
                           {0xF800, 4}, {0x07E0, 4}, {0x001F, 4}}),
                       {0x00, 0xF8, 0xE0, 0x07});
  r = DecodeBmp(masks);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(r.image.pixel(1, 0), qRgb(0, 255, 0));
}
