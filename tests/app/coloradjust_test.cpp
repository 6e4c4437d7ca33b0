#include "app/ColorAdjust.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <vector>

namespace {

std::uint32_t Argb(int a, int r, int g, int b) {
  return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(r) << 16 |
         static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b);
}

TColorSettings Bars(int b, int contrast, int s, int h, int gamma) {
  TColorSettings st;
  st.Brightness = b;
  st.ContrastPosition = contrast;
  st.Saturation = s;
  st.Hue = h;
  st.GammaPosition = gamma;
  return st;
}

// One pixel through the fast whole-picture path, with a padded stride so rows are not contiguous.
std::uint32_t FastPixel(std::uint32_t px, const TColorSettings& st) {
  std::vector<std::uint32_t> src = {px, 0, 0};
  std::vector<std::uint32_t> dst(3, 0xDEADBEEF);
  AdjustPicture({src.data(), 1, 1, 3}, {dst.data(), 1, 1, 3}, st, 1);
  EXPECT_EQ(dst[1], 0xDEADBEEFu) << "wrote outside the 1 x 1 target";
  return dst[0];
}

struct TRgb {
  int R, G, B;
  bool operator==(const TRgb&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TRgb& c) {
  return os << "(" << c.R << ", " << c.G << ", " << c.B << ")";
}

TRgb HueSat(TRgb c, int s, int h) {
  AdjustHueSaturation(c.R, c.G, c.B, s, h);
  return c;
}

}  // namespace

TEST(ColorAdjust, ClampByte) {
  const int cases[][2] = {{-5, 0}, {0, 0}, {17, 17}, {255, 255}, {256, 255}, {100000, 255}};
  for (auto [in, out] : cases) {
    int c = in;
    ClampByte(c);
    EXPECT_EQ(c, out) << in;
  }
}

TEST(ColorAdjust, ContrastZeroGivesMiddleGrey) {
  const TColorSettings st = Bars(0, 0, 0, 0, 10);
  EXPECT_DOUBLE_EQ(st.ContrastOffset(), 127.5);
  for (std::uint32_t px : {Argb(255, 0, 0, 0), Argb(255, 255, 255, 255), Argb(200, 12, 240, 99), Argb(50, 1, 2, 3)}) {
    const std::uint32_t want = (px & 0xFF000000u) | 0x808080u;
    EXPECT_EQ(AdjustPixelReference(px, st), want) << std::hex << px;
    EXPECT_EQ(FastPixel(px, st), want) << std::hex << px;
  }
}

// Whole pixels worked out by hand from the window's rules, through the plain path and the whole-picture
// path (nine equal pixels, so the eight-at-a-time hue step runs too, with the vector path on and off).
TEST(ColorAdjust, HandWorkedPixels) {
  struct Case {
    const char* why;
    TRgb in;
    TColorSettings bars;
    TRgb want;
  };
  const Case cases[] = {
      // G is max: H = (B - R) x 60 div delta + 120 = 20 + 120, + 30 = 170: sector 2, f = 50; S = 153, L = 125:
      // m = 213 - 85 x 102 div 255 = 179, then 179 + (179 x -3) div 128 = 175; sector 2 is (min, max, m).
      {"green-max hue", {50, 200, 100}, Bars(0, 10, 0, 30, 10), {50, 200, 175}},
      // B is max: H = (R - G) x 60 div delta + 240 = 260, + 50 = 310: sector 5, f = 60 - 10; S = 183, L = 130:
      // m = 213 - 85 x 72 div 255 = 189, then 189 + (66 x 2 + 64) div 128 = 190; sector 5 is (max, min, m).
      {"blue-max hue", {100, 40, 220}, Bars(0, 10, 0, 50, 10), {220, 40, 190}},
      // Saturation raised: brightness first (211, 130, 90), then S = 147, S' = 155, factor 164 around L = 150.
      {"brightness before a saturation rise", {200, 100, 50}, Bars(50, 10, 100, 0, 10), {250, 118, 52}},
      // Saturation lowered: factor -100 around L = 125 gives (171, 109, 79), then brightness -50.
      {"brightness after a saturation fall", {200, 100, 50}, Bars(-50, 10, -100, 0, 10), {137, 88, 64}},
      // Contrast 2: c x 2 - 127.5 is always a half; half to even, where half up would give 73, 75 and 1.
      {"contrast ties round to even", {100, 101, 64}, Bars(0, 20, 0, 0, 10), {72, 74, 0}},
      // Contrast 0.4: o = 0.6 x 127.5 held in extended precision is just below 76.5, so 45 x k + o is just
      // below 94.5 (rounding o to a double first would give 95).
      {"contrast offset in extended precision", {45, 45, 46}, Bars(0, 4, 0, 0, 10), {94, 94, 95}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const std::uint32_t px = Argb(255, c.in.R, c.in.G, c.in.B);
    const std::uint32_t want = Argb(255, c.want.R, c.want.G, c.want.B);
    EXPECT_EQ(AdjustPixelReference(px, c.bars), want) << std::hex << AdjustPixelReference(px, c.bars);
    const bool vector = ColorAdjustVectorPath();
    for (bool on : {false, true}) {
      SetColorAdjustVectorPath(on);
      std::vector<std::uint32_t> src(9, px), dst(9, 0);
      AdjustPicture({src.data(), 9, 1, 9}, {dst.data(), 9, 1, 9}, c.bars, 1);
      for (std::uint32_t d : dst) EXPECT_EQ(d, want) << "vector path " << on;
    }
    SetColorAdjustVectorPath(vector);
  }
}

TEST(ColorAdjust, BrightnessChannel) {
  struct Case { int c, b, want; };
  const Case cases[] = {
      {0, 200, 200},    // 0 + 200 * 255 / 255
      {255, 200, 255},  // already white
      {255, -200, 55},  // 255 - 200 * 255 / 255
      {0, -200, 0},
      {100, 50, 130},   // 100 + 7750 / 255 = 130.39
      {100, -50, 80},   // 100 - 5000 / 255 = 80.39
      {128, 0, 128},
  };
  for (const Case& k : cases) EXPECT_EQ(BrightnessChannel(k.c, k.b), k.want) << k.c << " " << k.b;
}

TEST(ColorAdjust, GreyIsUntouchedByHueAndSaturation) {
  for (int v : {0, 1, 77, 128, 254, 255})
    for (int s : {-200, -1, 1, 100, 200})
      for (int h : {0, 1, 180, 360}) EXPECT_EQ(HueSat({v, v, v}, s, h), (TRgb{v, v, v})) << v << " " << s << " " << h;

  // Brightness and gamma still apply: 100 lightened by 50 is 130, then (130 / 255)^2 * 255 = 66.27.
  for (auto [s, h] : {std::pair{0, 0}, {150, 90}, {-150, 90}, {200, 360}}) {
    const TColorSettings st = Bars(50, 10, s, h, 20);
    EXPECT_EQ(AdjustPixelReference(Argb(255, 100, 100, 100), st), Argb(255, 66, 66, 66)) << s << " " << h;
    EXPECT_EQ(FastPixel(Argb(255, 100, 100, 100), st), Argb(255, 66, 66, 66)) << s << " " << h;
  }
}

TEST(ColorAdjust, AlphaAtMost49IsSkipped) {
  const TColorSettings st = Bars(120, 25, -80, 200, 7);
  struct Case { int a; bool adjusted; };
  for (Case k : {Case{0, false}, {1, false}, {49, false}, {50, true}, {128, true}, {255, true}}) {
    const std::uint32_t px = Argb(k.a, 200, 40, 90);
    const std::uint32_t ref = AdjustPixelReference(px, st);
    EXPECT_EQ(FastPixel(px, st), ref) << k.a;
    EXPECT_EQ(ref >> 24, static_cast<std::uint32_t>(k.a)) << "alpha is kept";
    EXPECT_EQ(ref != px, k.adjusted) << k.a;
  }
}

TEST(ColorAdjust, HueRotation) {
  struct Case { TRgb in; int h; TRgb want; };
  const Case cases[] = {
      // Sector 6 is laid out as sector 0 (max, m, min); for pure red m = 0.
      {{255, 0, 0}, 360, {255, 0, 0}},
      // Hue 0 + 360: sector 6, f = 0, S = 156, L = 124: m = 0 + 128 * 99 div 255 = 49, then 49 - 196 div 128 = 48.
      {{200, 50, 48}, 360, {200, 48, 48}},
      // Without rotation the channels stay as they are.
      {{200, 50, 48}, 0, {200, 50, 48}},
      // Pure red to sector 2 (min, max, m) is pure green.
      {{255, 0, 0}, 120, {0, 255, 0}},
      // Sector 1, odd: f = 60 - 0, m = 255, L = 127 pulls it to 255 - 255 div 128 = 254.
      {{255, 0, 0}, 60, {254, 255, 0}},
  };
  for (const Case& k : cases) EXPECT_EQ(HueSat(k.in, 0, k.h), k.want) << k.in << " h=" << k.h;
}

TEST(ColorAdjust, HueOfSector6EqualsSector0Layout) {
  // For pixels whose own hue is 0, a rotation by 360 lands on 360 (sector 6), which must lay the channels
  // out as sector 0 does: (max, m, min). m itself may fall outside min..max.
  for (TRgb c : {TRgb{255, 0, 0}, {200, 50, 48}, {90, 10, 10}, {250, 120, 119}}) {
    const TRgb r = HueSat(c, 0, 360);
    const int max = std::max({c.R, c.G, c.B}), min = std::min({c.R, c.G, c.B});
    EXPECT_EQ(r.R, max) << c;
    EXPECT_EQ(r.B, min) << c;
  }
}

TEST(ColorAdjust, SaturationFactors) {
  EXPECT_EQ(ColourSaturation(71, 31), 100);  // L = 51: 40 * 255 div 102
  EXPECT_EQ(ColourSaturation(19, 15), 30);   // L = 17: 4 * 255 div 34
  EXPECT_EQ(ColourSaturation(255, 254), 255);  // L >= 128: 255 div (510 - 509)
  struct Case { int S, s, factor; };
  const Case cases[] = {
      {100, 200, 395},  // S + s >= 255: S' = S, 65025 div 100 - 255
      {30, 200, 927},   // S' = 255 - 200 = 55, 1182 - 255
      {255, 1, 0},      // 65025 div 255 - 255
      {1, 100, 65025 / 155 - 255},
      {100, -50, -50},  // lowering uses s itself
  };
  for (const Case& k : cases) EXPECT_EQ(SaturationFactor(k.S, k.s), k.factor) << k.S << " " << k.s;

  // The channels are pushed away from L and clamped: (71, 50, 31), L = 51, factor 395.
  EXPECT_EQ(HueSat({71, 50, 31}, 200, 0), (TRgb{101, 49, 1}));
  // (19, 17, 15), L = 17, factor 927.
  EXPECT_EQ(HueSat({19, 17, 15}, 200, 0), (TRgb{26, 17, 8}));
  // Lowering by 200: (71 - 51) * -200 div 255 = -15 each way, 200 div 255 = 0 in the middle.
  EXPECT_EQ(HueSat({71, 50, 31}, -200, 0), (TRgb{56, 50, 46}));
  // S = 255 gives factor 0.
  EXPECT_EQ(HueSat({255, 128, 0}, 200, 0), (TRgb{255, 128, 0}));
  // S = 244, factor 65025 div 244 - 255 = 11: red is clamped at 255.
  EXPECT_EQ(HueSat({250, 128, 10}, 150, 0), (TRgb{255, 128, 5}));
}

TEST(ColorAdjust, GammaZeroGivesWhite) {
  const TColorSettings st = Bars(0, 10, 0, 0, 0);
  for (std::uint32_t px : {Argb(255, 0, 0, 0), Argb(60, 1, 128, 254), Argb(255, 255, 255, 255)}) {
    const std::uint32_t want = (px & 0xFF000000u) | 0xFFFFFFu;
    EXPECT_EQ(AdjustPixelReference(px, st), want);
    EXPECT_EQ(FastPixel(px, st), want);
  }
  EXPECT_EQ(GammaChannel(0, Bars(0, 10, 0, 0, 20)), 0);
  EXPECT_EQ(GammaChannel(255, Bars(0, 10, 0, 0, 40)), 255);
}

TEST(ColorAdjust, InitialBarsLeaveThePictureUnchanged) {
  const TColorSettings st;
  ASSERT_TRUE(st.IsIdentity());
  std::mt19937 rng(7);
  std::vector<std::uint32_t> src(300 * 7);
  for (auto& p : src) p = rng();
  std::vector<std::uint32_t> dst(src.size(), 0);
  AdjustPicture({src.data(), 300, 7, 300}, {dst.data(), 300, 7, 300}, st, 3);
  EXPECT_EQ(dst, src);
  for (int i = 0; i < 2000; ++i) EXPECT_EQ(AdjustPixelReference(src[i], st), src[i]);
}

// Runs a test body with the eight-pixel path on (where the processor has it) and off.
class ColorAdjustPaths : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { SetColorAdjustVectorPath(GetParam()); }
  void TearDown() override { SetColorAdjustVectorPath(true); }
};
INSTANTIATE_TEST_SUITE_P(VectorOnAndOff, ColorAdjustPaths, ::testing::Bool());

// The fast path against the plain per-pixel transcription on random pixels and settings.
TEST_P(ColorAdjustPaths, FastPathEqualsReference) {
  std::mt19937 rng(20240611);
  auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const int width = 97, height = 41, stride = 100;
  std::vector<std::uint32_t> src(static_cast<std::size_t>(stride) * height);
  std::vector<std::uint32_t> fast(src.size()), ref(src.size());
  for (int round = 0; round < 96; ++round) {
    for (auto& p : src) {
      p = rng();
      if (uni(0, 9) == 0) {  // some greys and near-greys
        const int v = uni(0, 255);
        p = Argb(uni(0, 255), v, std::min(255, v + uni(0, 1)), v);
      }
    }
    TColorSettings st = Bars(uni(-200, 200), uni(0, 50), uni(-200, 200), uni(0, 360), uni(0, 40));
    // Hit each branch often: zero brightness, saturation and hue, and the range ends.
    switch (round % 8) {
      case 0: st.Brightness = 0; break;
      case 1: st.Saturation = 0; break;
      case 2: st.Hue = 0; break;
      case 3: st.Hue = 360; st.Saturation = 200; break;
      case 4: st.Saturation = 0; st.Hue = 0; break;
      case 5: st.Saturation = -200; st.Brightness = 200; break;
      default: break;
    }
    std::fill(fast.begin(), fast.end(), 0x12345678u);
    std::fill(ref.begin(), ref.end(), 0x12345678u);
    AdjustPicture({src.data(), width, height, stride}, {fast.data(), width, height, stride}, st,
                  round % 2 ? 1 : 4);
    AdjustPictureReference({src.data(), width, height, stride}, {ref.data(), width, height, stride}, st);
    ASSERT_EQ(fast, ref) << "b=" << st.Brightness << " k=" << st.ContrastPosition << " s=" << st.Saturation
                         << " h=" << st.Hue << " g=" << st.GammaPosition;
  }
}

// Every colour on a grid of channel values, for a few settings with hue and saturation both on, including
// in-place recomputation and several threads over a tall picture; rows of 61 pixels end in a partial
// group of eight.
TEST_P(ColorAdjustPaths, FastPathEqualsReferenceOnColourGrid) {
  std::vector<std::uint32_t> src;
  for (int r = 0; r < 256; r += 5)
    for (int g = 0; g < 256; g += 3)
      for (int b = 0; b < 256; b += 7) src.push_back(Argb(255, r, g, b));
  const int width = 61;
  const int height = static_cast<int>(src.size()) / width;
  src.resize(static_cast<std::size_t>(width) * height);
  for (const TColorSettings& st : {Bars(37, 13, 120, 17, 9), Bars(-150, 7, -60, 299, 31), Bars(0, 10, 200, 360, 10),
                                   Bars(200, 50, 1, 1, 1), Bars(0, 10, 0, 360, 10), Bars(-20, 10, -200, 0, 10)}) {
    std::vector<std::uint32_t> ref(src.size());
    AdjustPictureReference({src.data(), width, height, width}, {ref.data(), width, height, width}, st);
    std::vector<std::uint32_t> inplace = src;
    AdjustPicture({inplace.data(), width, height, width}, {inplace.data(), width, height, width}, st, 8);
    ASSERT_EQ(inplace, ref) << "h=" << st.Hue << " s=" << st.Saturation;
  }
}

TEST(ColorAdjust, RecomputingDoesNotAccumulate) {
  std::vector<std::uint32_t> src(40 * 40);
  std::mt19937 rng(3);
  for (auto& p : src) p = rng() | 0xFF000000u;
  std::vector<std::uint32_t> dst(src.size());
  AdjustPicture({src.data(), 40, 40, 40}, {dst.data(), 40, 40, 40}, Bars(80, 30, 90, 45, 15));
  AdjustPicture({src.data(), 40, 40, 40}, {dst.data(), 40, 40, 40}, TColorSettings{});
  EXPECT_EQ(dst, src);
}
