// Pictures crafted to attack the decoders: run-length BMPs whose runs and deltas leave the picture, a PNG
// chunk that claims gigabytes, a progressive JPEG with thousands of scans. Each must decode what lies
// inside the picture or be refused, quickly and without touching memory outside it.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include "sample_pictures.h"

using namespace PictureCodecs;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Run-length escapes.
const Bytes EOL = {0, 0}, EOP = {0, 1};
Bytes Delta(int dx, int dy) { return {0, 2, std::uint8_t(dx), std::uint8_t(dy)}; }
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Palette indices of the decoded picture, one string per row from the top, one hex digit per pixel.
std::vector<std::string> Indices(const QImage& img) {
  std::vector<std::string> rows;
  for (int y = 0; y < img.height(); ++y) {
    std::string r;
    for (int x = 0; x < img.width(); ++x) r += "0123456789ABCDEF"[img.pixelIndex(x, y) & 15];
    rows.push_back(r);
  }
  return rows;
}

long PeakKilobytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

}  // namespace

TEST(RunLengthBmp, RunsAndDeltasStayInsideThePicture) {
  struct Case {
    const char* name;
    int w, h, bits;
    Bytes rle;
    bool ok;
    std::vector<std::string> top_down;
  };
  const Case cases[] = {
      {"plain rows", 4, 3, 8, Cat({{2, 1, 2, 2}, EOL, {4, 3}, EOL, {1, 5}, EOP}), true, {"5000", "3333", "1122"}},
      {"run past the row end is cut, not wrapped", 4, 3, 8, Cat({{255, 7, 1, 9}, EOL, {3, 4}, EOP}), true,
       {"0000", "4440", "7777"}},
      {"literal past the row end is cut, its bytes skipped", 4, 2, 8,
       Cat({{0, 5, 1, 2, 3, 4, 5, 0, 1, 6}, EOL, {1, 8}, EOP}), true, {"8000", "1234"}},
      {"delta right and up", 4, 2, 8, Cat({{1, 1}, Delta(2, 1), {1, 2}, EOP}), true, {"0002", "1000"}},
      {"delta to the row end: the next run lands nowhere", 4, 2, 8, Cat({Delta(4, 0), {3, 9}, EOL, {1, 1}, EOP}),
       true, {"1000", "0000"}},
      {"delta past the row end ends the picture", 4, 2, 8, Cat({{1, 1}, Delta(5, 0), EOL, {1, 2}, EOP}), true,
       {"0000", "1000"}},
      {"delta far right and up ends the picture", 4, 2, 8, Cat({{1, 1}, Delta(255, 255), {4, 2}, EOP}), true,
       {"0000", "1000"}},
      {"delta above the last row ends the picture", 4, 2, 8, Cat({Delta(0, 2), {4, 5}, EOP}), true,
       {"0000", "0000"}},
      {"end of line first leaves an empty row", 4, 2, 8, Cat({EOL, {2, 6}, EOP}), true, {"6600", "0000"}},
      {"end of line past the last row ends the picture", 4, 2, 8, Cat({EOL, EOL, EOL, {4, 1}, EOP}), true,
       {"0000", "0000"}},
      {"end of picture mid-row", 4, 2, 8, Cat({{2, 3}, EOP, {4, 9}}), true, {"0000", "3300"}},
      {"end of picture first", 2, 1, 8, EOP, true, {"00"}},
      {"no end of picture", 4, 2, 8, {2, 3}, false, {}},
      {"delta cut short", 4, 2, 8, {0, 2, 1}, false, {}},
      {"literal cut short", 4, 2, 8, {0, 6, 1, 2}, false, {}},
      {"4-bit run and literal", 4, 2, 4, Cat({{3, 0x12}, EOL, {0, 3, 0x45, 0x60}, EOP}), true, {"4560", "1210"}},
      {"4-bit run past the row end", 4, 1, 4, Cat({{9, 0x12, 1, 0xF0}, EOP}), true, {"1212"}},
      {"4-bit odd literal is word-aligned", 8, 1, 4, Cat({{0, 5, 0x12, 0x34, 0x50, 0, 2, 0x77}, EOP}), true,
       {"12345770"}},
      {"4-bit literal past the row end", 3, 1, 4, Cat({{0, 6, 0x12, 0x34, 0x56, 0, 1, 0x90}, EOP}), true,
       {"123"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DecodeResult r = DecodeBmp(samples::RleBmp(c.w, c.h, c.bits, c.rle));
    ASSERT_EQ(r.ok(), c.ok) << r.error;
    if (!c.ok) {
      EXPECT_FALSE(r.error.empty());
      continue;
    }
    EXPECT_EQ(r.bitsPerPixel, c.bits);
    EXPECT_EQ(Indices(r.image), c.top_down);
  }
}

// More runs on one row than an int can count: the column must stop at the row's end, not wrap round to
// a negative column and write before the row.
TEST(RunLengthBmp, BillionsOfPixelsOnOneRowStopAtTheRowEnd) {
  Bytes rle;
  const std::size_t runs = (std::size_t(1) << 31) / 255 + 1000;
  rle.reserve(runs * 2 + 8);
  for (std::size_t i = 0; i < runs; ++i) rle.push_back(255), rle.push_back(7);
  rle.insert(rle.end(), {0, 0, 2, 3, 0, 1});
  DecodeResult r = DecodeBmp(samples::RleBmp(4, 2, 8, rle));
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(Indices(r.image), (std::vector<std::string>{"3300", "7777"}));
}

namespace {

Bytes OnePixelPngChunks(std::vector<samples::PngChunk> extra, Bytes* idatOut = nullptr) {
  const Bytes ihdr = {0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0};  // 1 x 1, 8-bit RGB
  const Bytes raw = {0, 10, 120, 230};                           // filter byte, then the pixel
  uLongf size = compressBound(uLong(raw.size()));
  Bytes idat(size);
  compress(idat.data(), &size, raw.data(), uLong(raw.size()));
  idat.resize(size);
  if (idatOut) *idatOut = idat;
  std::vector<samples::PngChunk> chunks = {{"IHDR", ihdr}};
  chunks.insert(chunks.end(), extra.begin(), extra.end());
  chunks.push_back({"IDAT", idat});
  chunks.push_back({"IEND", {}});
  return samples::PngOf(chunks);
}

}  // namespace

TEST(HostilePng, ChunkLengthsBeyondTheFileAreRefusedBeforeAnyAllocation) {
  const std::string text = std::string("Comment") + '\0' + "made by hand";
  const Bytes good = OnePixelPngChunks({{"tEXt", Bytes(text.begin(), text.end())}});
  DecodeResult sound = DecodePng(good);
  ASSERT_TRUE(sound.ok()) << sound.error;
  EXPECT_EQ(sound.image.pixel(0, 0), qRgb(10, 120, 230));

  // The text chunk's length claims nearly 2 GB; the file is cut a few bytes later (106 bytes in all).
  const std::size_t textLengthAt = 8 + 12 + 13;
  for (std::uint32_t claimed : {0x7FFFFFF0u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 4096u}) {
    SCOPED_TRACE(claimed);
    Bytes bad(good.begin(), good.begin() + std::ptrdiff_t(textLengthAt + 8 + text.size()));
    bad.resize(106, 'x');
    for (int i = 0; i < 4; ++i) bad[textLengthAt + i] = std::uint8_t(claimed >> (24 - 8 * i));
    const long before = PeakKilobytes();
    DecodeResult r = DecodePng(bad);
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.error.empty());
    EXPECT_LT(PeakKilobytes() - before, 64 * 1024) << "kilobytes of peak memory for a 106-byte file";
  }
  // A damaged length in the middle of the file (the image data claims more than is left) is refused too.
  Bytes idat;
  Bytes plain = OnePixelPngChunks({}, &idat);
  const std::size_t idatLengthAt = 8 + 12 + 13;
  plain[idatLengthAt + 2] = 0x10;
  EXPECT_FALSE(DecodePng(plain).ok());
}

TEST(HostileJpeg, AProgressiveFileWithThousandsOfScansIsRefused) {
  const Bytes jpeg = samples::ProgressiveJpeg(samples::Quadrants(64));
  DecodeResult plain = DecodeJpeg(jpeg);
  ASSERT_TRUE(plain.ok()) << plain.error;
  // A few repeated scans are odd but harmless; thousands are an attack on the decoding time.
  DecodeResult few = DecodeJpeg(samples::WithLastScanRepeated(jpeg, 20));
  ASSERT_TRUE(few.ok()) << few.error;
  EXPECT_EQ(few.image.pixel(5, 5), plain.image.pixel(5, 5));
  DecodeResult many = DecodeJpeg(samples::WithLastScanRepeated(jpeg, 5000));
  EXPECT_FALSE(many.ok());
  EXPECT_FALSE(many.error.empty());
}

namespace {

// The picture size in a JPEG's frame header, or in a GIF's screen and first frame, replaced.
Bytes WithJpegSize(Bytes jpeg, int w, int h) {
  for (std::size_t i = 2; i + 9 < jpeg.size();) {
    const int marker = jpeg[i + 1], length = jpeg[i + 2] << 8 | jpeg[i + 3];
    if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
      jpeg[i + 5] = std::uint8_t(h >> 8), jpeg[i + 6] = std::uint8_t(h);
      jpeg[i + 7] = std::uint8_t(w >> 8), jpeg[i + 8] = std::uint8_t(w);
      break;
    }
    i += 2 + std::size_t(length);
  }
  return jpeg;
}
Bytes WithGifSize(Bytes gif, int w, int h) {
  gif[6] = std::uint8_t(w), gif[7] = std::uint8_t(w >> 8), gif[8] = std::uint8_t(h), gif[9] = std::uint8_t(h >> 8);
  for (std::size_t i = 13 + 3 * 4; i + 9 < gif.size(); ++i)
    if (gif[i] == 0x2C) {  // the frame: left, top, width, height
      gif[i + 5] = std::uint8_t(w), gif[i + 6] = std::uint8_t(w >> 8);
      gif[i + 7] = std::uint8_t(h), gif[i + 8] = std::uint8_t(h >> 8);
      break;
    }
  return gif;
}

}  // namespace

// Files of a few hundred bytes whose headers claim 8190 x 8190 pixels (what a loader would spend a
// quarter of a gigabyte and seconds on) end long before their pixels: each is refused with its decoder's
// error, read from a real file, before memory of the claimed size is taken.
TEST(HostileFiles, PicturesWhoseDataEndsBeforeTheirPixelsAreRefusedFirst) {
  QImage noise(64, 64, QImage::Format_RGB32);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) noise.setPixel(x, y, qRgb(x * 4, y * 4, (x * y) & 255));
  Bytes baseline;
  ASSERT_TRUE(EncodeJpeg(noise, 90, baseline));
  const struct {
    const char* name;
    Bytes file;
    const char* error;
  } cases[] = {
      {"baseline JPEG", WithJpegSize(baseline, 8190, 8190), "Premature end of JPEG file"},
      {"progressive JPEG", WithJpegSize(samples::ProgressiveJpeg(samples::Quadrants(64)), 8190, 8190),
       "Premature end of JPEG file"},
      {"run-length BMP without its end", samples::RleBmp(8190, 8190, 8, {255, 1, 255, 2, 0, 0}),
       "BMP run-length data truncated"},
      {"GIF", WithGifSize(samples::Gif4x2(), 8190, 8190), "GIF file truncated"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_LT(c.file.size(), 4096u);
    const std::string path = samples::TempPath("claims-8190.pic");
    samples::WriteFile(path, c.file);
    Bytes read;
    ASSERT_TRUE(ReadWholeFile(path, read));
    const long before = PeakKilobytes();
    DecodeResult r = DecodeAny(read);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.error, c.error);
    EXPECT_LT(PeakKilobytes() - before, 16 * 1024) << "kilobytes of peak memory for " << c.file.size() << " bytes";
  }
}

// A JPEG whose scan is cut half way and closed with its end marker: the rows after the cut would be
// made up from nothing, so it is refused like a file that ends early.
TEST(HostileFiles, AJpegWhoseScanStopsAtAMarkerIsRefused) {
  QImage noise(256, 256, QImage::Format_RGB32);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) noise.setPixel(x, y, qRgb((x * 7) & 255, (y * 13) & 255, (x * y) & 255));
  Bytes jpeg;
  ASSERT_TRUE(EncodeJpeg(noise, 90, jpeg));
  ASSERT_TRUE(DecodeJpeg(jpeg).ok());
  std::size_t sos = 0;
  for (std::size_t i = 2; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) sos = i;
  ASSERT_GT(sos, 0u);
  Bytes cut(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(sos + (jpeg.size() - sos) / 2));
  if (cut.back() == 0xFF) cut.pop_back();
  cut.push_back(0xFF), cut.push_back(0xD9);
  DecodeResult r = DecodeJpeg(cut);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.error, "Corrupt JPEG data: premature end of data segment");
}
