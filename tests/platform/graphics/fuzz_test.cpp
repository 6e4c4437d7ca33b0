// Damaged and hostile picture files: cut at many lengths, bytes flipped at random (fixed seed), absurd
// header sizes. Every decoder must either decode or refuse with a reason; the class-library pictures must
// raise EInvalidGraphic and nothing else. Run under -fsanitize=address to catch reads out of bounds.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>

#include "platform/graphics/graphics.h"
#include "platform/graphics/pictures.h"
#include "sample_pictures.h"

using Bytes = std::vector<std::uint8_t>;

namespace {

struct Sample {
  std::string name;
  Bytes bytes;
};

// Run-length BMP of `w` x `h` made of runs, literals and deltas of every length up to a row: flipped
// count bytes then make runs and deltas that leave the row and the picture.
Bytes RleSample(int w, int h, int bits, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes rle;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w;) {
      const int n = std::min(w - x, 1 + int(rng() % std::min(w, 255)));
      const int kind = int(rng() % 5);
      if (kind == 0 && n >= 3) {  // literal
        rle.insert(rle.end(), {0, std::uint8_t(n)});
        const int bytes = bits == 8 ? n : (n + 1) / 2;
        for (int i = 0; i < bytes; ++i) rle.push_back(std::uint8_t(rng()));
        if (bytes & 1) rle.push_back(0);
      } else if (kind == 1) {  // delta along the row
        rle.insert(rle.end(), {0, 2, std::uint8_t(n), 0});
      } else {
        rle.insert(rle.end(), {std::uint8_t(n), std::uint8_t(rng())});
      }
      x += n;
    }
    rle.insert(rle.end(), {0, 0});
  }
  rle.insert(rle.end(), {0, 1});
  return samples::RleBmp(w, h, bits, rle);
}

std::vector<Sample> ValidSamples() {
  std::vector<Sample> s;
  Bytes b;
  s.push_back({"bmp rle8", RleSample(600, 12, 8, 7u)});
  s.push_back({"bmp rle4", RleSample(333, 9, 4, 8u)});
  PictureCodecs::EncodeBmp(samples::Quadrants(96), 24, b);
  s.push_back({"bmp24 large", b});
  s.push_back({"jpeg progressive", samples::ProgressiveJpeg(samples::Quadrants(80))});
  PictureCodecs::EncodeBmp(samples::Quadrants(9), 24, b);
  s.push_back({"bmp24", b});
  PictureCodecs::EncodeBmp(samples::AlphaPattern(), 32, b);
  s.push_back({"bmp32", b});
  PictureCodecs::EncodeBmp(samples::Quadrants(9).convertToFormat(QImage::Format_Indexed8), 8, b);
  s.push_back({"bmp8", b});
  PictureCodecs::EncodeBmp(samples::Quadrants(9).convertToFormat(QImage::Format_Indexed8), 4, b);
  s.push_back({"bmp4", b});
  PictureCodecs::EncodeBmp(samples::Quadrants(9).convertToFormat(QImage::Format_Mono), 1, b);
  s.push_back({"bmp1", b});
  s.push_back({"png", samples::QtPng(samples::AlphaPattern())});
  s.push_back({"png-opaque", samples::QtPng(samples::Quadrants(12))});
  PictureCodecs::EncodeJpeg(samples::Quadrants(24), 85, b);
  s.push_back({"jpeg", b});
  s.push_back({"gif", samples::Gif4x2()});
  return s;
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) { std::memcpy(&b[at], &v, 4); }
void PutBE32(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = std::uint8_t(v >> 24), b[at + 1] = std::uint8_t(v >> 16), b[at + 2] = std::uint8_t(v >> 8), b[at + 3] = std::uint8_t(v);
}

// Headers that promise far more than the file holds.
std::vector<Sample> HostileSamples(const std::vector<Sample>& valid) {
  std::vector<Sample> out;
  auto find = [&](const char* n) {
    for (const auto& s : valid)
      if (s.name == n) return s.bytes;
    return Bytes();
  };
  Bytes bmp = find("bmp24");
  {
    Bytes b = bmp;
    Put32(b, 18, 100000), Put32(b, 22, 100000);
    out.push_back({"bmp 100000 x 100000", b});
  }
  {
    Bytes b = bmp;
    Put32(b, 18, 20000), Put32(b, 22, 20000);  // accepted size, but the data is missing
    out.push_back({"bmp 20000 x 20000", b});
  }
  {
    Bytes b = bmp;
    Put32(b, 22, 0x80000000u);
    out.push_back({"bmp height INT_MIN", b});
  }
  {
    Bytes b = bmp;
    Put32(b, 10, 0xFFFFFFF0u);
    out.push_back({"bmp offset past the end", b});
  }
  {
    Bytes b = find("bmp8");
    Put32(b, 46, 0xFFFFFFFFu);
    out.push_back({"bmp palette of 4 billion colours", b});
  }
  {
    Bytes b = bmp;
    Put32(b, 14, 0x7FFFFFFF);
    out.push_back({"bmp header size huge", b});
  }
  {
    Bytes b = find("png");
    PutBE32(b, 16, 100000), PutBE32(b, 20, 100000);
    PutBE32(b, 29, std::uint32_t(crc32(0, b.data() + 12, 17)));  // keep the header chunk's CRC valid
    out.push_back({"png 100000 x 100000", b});
  }
  {
    Bytes b = find("png");
    PutBE32(b, 16, 8000), PutBE32(b, 20, 8000);
    PutBE32(b, 29, std::uint32_t(crc32(0, b.data() + 12, 17)));
    out.push_back({"png 8000 x 8000 without the data", b});
  }
  {
    Bytes b = find("gif");
    if (b.size() < 16) return out;
    b[6] = b[7] = b[8] = b[9] = 0xFF;  // screen 65535 x 65535
    for (std::size_t i = 10; i + 9 < b.size(); ++i)
      if (b[i] == 0x2C) {  // image descriptor: frame 65535 x 65535
        b[i + 5] = b[i + 6] = b[i + 7] = b[i + 8] = 0xFF;
        break;
      }
    out.push_back({"gif 65535 x 65535", b});
  }
  {
    Bytes b = find("jpeg");
    for (std::size_t i = 2; i + 8 < b.size(); ++i)
      if (b[i] == 0xFF && b[i + 1] == 0xC0) {
        b[i + 5] = b[i + 6] = b[i + 7] = b[i + 8] = 0xFF;
        break;
      }
    out.push_back({"jpeg 65535 x 65535", b});
  }
  return out;
}

// Files too large for the cut-and-flip rounds, each aimed at one path: a row of more runs than an int
// counts, a chunk that claims 2 GB, a progressive picture with thousands of scans, many small chunks.
std::vector<Sample> LargeHostileSamples() {
  std::vector<Sample> out;
  {
    Bytes rle;
    const std::size_t runs = (std::size_t(1) << 31) / 255 + 1000;
    rle.reserve(runs * 2 + 8);
    for (std::size_t i = 0; i < runs; ++i) rle.push_back(255), rle.push_back(std::uint8_t(i));
    rle.insert(rle.end(), {0, 2, 255, 0, 0, 2, 255, 255, 5, 5, 0, 1});
    out.push_back({"bmp rle8 runs past the int range", samples::RleBmp(16, 4, 8, rle)});
  }
  {
    Bytes deltas;
    for (int i = 0; i < 9000000; ++i) deltas.insert(deltas.end(), {0, 2, 255, 0});
    deltas.insert(deltas.end(), {3, 3, 0, 1});
    out.push_back({"bmp rle4 deltas past the int range", samples::RleBmp(16, 4, 4, deltas)});
  }
  {
    Bytes png = samples::QtPng(samples::Quadrants(16));
    Bytes b(png.begin(), png.begin() + 33);
    samples::PutBE32(b, 0x7FFFFFF0u);
    for (char c : std::string("tEXtComment")) b.push_back(std::uint8_t(c));
    b.resize(106, 0);
    out.push_back({"png chunk claiming 2 GB", b});
  }
  {
    std::vector<samples::PngChunk> chunks;
    Bytes png = samples::QtPng(samples::Quadrants(16));
    for (int i = 0; i < 5000; ++i) chunks.push_back({"tEXt", {'k', 0, 'v'}});
    Bytes b = samples::PngOf(chunks);
    b.insert(b.begin() + 8, png.begin() + 8, png.begin() + 33);  // the header chunk first
    b.insert(b.end(), png.begin() + 33, png.end());
    out.push_back({"png with 5000 text chunks", b});
  }
  out.push_back({"jpeg with 5000 scans",
                 samples::WithLastScanRepeated(samples::ProgressiveJpeg(samples::Quadrants(64)), 5000)});
  return out;
}

std::vector<Sample> Mutations(const Sample& s) {
  std::vector<Sample> out;
  if (s.name == "bmp8") {
    Bytes b = s.bytes;
    Put32(b, 30, 1);  // claims run-length data: it is not
    out.push_back({"bmp8 as rle", b});
  }
  const std::size_t n = s.bytes.size();
  for (std::size_t len = 0; len < n; len += (len < 300 ? 1 : 37))
    out.push_back({s.name + " cut at " + std::to_string(len), Bytes(s.bytes.begin(), s.bytes.begin() + len)});
  std::mt19937 rng(20240611u);
  // TRESSORA_FUZZ_ROUNDS raises the number of corrupted copies for a longer run by hand.
  const char* rounds = std::getenv("TRESSORA_FUZZ_ROUNDS");
  const int count = rounds ? std::max(1, std::atoi(rounds)) : 250;
  for (int i = 0; i < count; ++i) {
    Bytes b = s.bytes;
    int flips = 1 + int(rng() % 8);
    for (int f = 0; f < flips; ++f) b[rng() % n] ^= std::uint8_t(1u << (rng() % 8));
    out.push_back({s.name + " flip " + std::to_string(i), b});
  }
  return out;
}

// The class-library picture that reads a format.
std::unique_ptr<TGraphic> GraphicFor(const std::string& name) {
  if (name.rfind("bmp", 0) == 0) return std::make_unique<TBitmap>();
  if (name.rfind("png", 0) == 0) return std::make_unique<TPngImage>();
  if (name.rfind("jpeg", 0) == 0) return std::make_unique<TJPEGImage>();
  return std::make_unique<TGIFImage>();
}

void Feed(const Sample& s, int& decoded, int& refused) {
  SCOPED_TRACE(s.name);
  using Decoder = PictureCodecs::DecodeResult (*)(std::span<const std::uint8_t>);
  for (Decoder d : {&PictureCodecs::DecodeBmp, &PictureCodecs::DecodePng, &PictureCodecs::DecodeJpeg,
                    &PictureCodecs::DecodeGif, &PictureCodecs::DecodeAny}) {
    PictureCodecs::DecodeResult r = d(s.bytes);
    if (r.ok()) {
      EXPECT_TRUE(PictureCodecs::SizeAcceptable(r.image.width(), r.image.height()));
    } else {
      EXPECT_FALSE(r.error.empty());
    }
  }
  std::unique_ptr<TGraphic> g = GraphicFor(s.name);
  TMemoryStream stream;
  if (!s.bytes.empty()) stream.WriteBuffer(s.bytes.data(), int64_t(s.bytes.size()));
  stream.SetPosition(0);
  try {
    g->LoadFromStream(&stream);
    ++decoded;
  } catch (const EInvalidGraphic& e) {
    EXPECT_FALSE(e.Message().empty());
    ++refused;
  }
}

}  // namespace

TEST(DamagedPictures, TruncatedAndCorruptedFilesNeverCrashAnyDecoder) {
  int decoded = 0, refused = 0;
  for (const Sample& s : ValidSamples()) {
    ASSERT_TRUE(PictureCodecs::DecodeAny(s.bytes).ok()) << s.name;  // the samples themselves are sound
    for (const Sample& m : Mutations(s)) Feed(m, decoded, refused);
  }
  for (const Sample& s : HostileSamples(ValidSamples())) Feed(s, decoded, refused);
  for (const Sample& s : LargeHostileSamples()) Feed(s, decoded, refused);
  // Cutting a file short must be refused, not half-decoded, for most lengths.
  EXPECT_GT(refused, 1000);
  std::printf("damaged pictures: %d decoded, %d refused\n", decoded, refused);
  EXPECT_GT(decoded, 0);
}

TEST(DamagedPictures, AbsurdHeaderSizesAreRefused) {
  std::vector<Sample> valid = ValidSamples();
  for (const Sample& s : HostileSamples(valid)) {
    SCOPED_TRACE(s.name);
    EXPECT_FALSE(PictureCodecs::DecodeAny(s.bytes).ok());
    std::unique_ptr<TGraphic> g = GraphicFor(s.name);
    TMemoryStream stream;
    stream.WriteBuffer(s.bytes.data(), int64_t(s.bytes.size()));
    stream.SetPosition(0);
    EXPECT_THROW(g->LoadFromStream(&stream), EInvalidGraphic);
  }
}
