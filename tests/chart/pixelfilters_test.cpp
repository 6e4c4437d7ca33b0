// Pixel, convolution and mosaic filters on tiny bitmaps.
#include <random>
#include <tuple>

#include "chart/ChartPixelWide.h"
#include "tests/chart/chart_fixture.h"

namespace {

std::unique_ptr<TBitmap> Solid(int W, int H, Rgb C) {
  return MakeBitmap(W, H, [C](int, int) { return C; });
}

// The value a point filter gives one channel, through a 1 x 1 bitmap holding (v, v, v).
template <typename F>
int ChannelThrough(F& Filter, int V) {
  auto b = Solid(1, 1, {V, V, V});
  Filter.FilterBitmap(b.get());
  return PixelOf(b.get(), 0, 0).r;
}

TEST(PointFilters, InvertAndGrey) {
  auto b = MakeBitmap(3, 3, Distinct);
  NewFilter<TInvertFilter>()->FilterBitmap(b.get());
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) {
      Rgb o = Distinct(x, y);
      EXPECT_EQ(PixelOf(b.get(), x, y), (Rgb{255 - o.r, 255 - o.g, 255 - o.b}));
    }
  struct {
    TGrayMethod m;
    int want;
  } cases[] = {{gmSimple, 116}, {gmEye, 124 /* Round(124.5) goes to even */}, {gmEye2, 126}};
  for (auto c : cases) {
    auto p = Solid(4, 2, {200, 100, 50});
    TGrayScaleFilter g(nullptr);
    g.SetMethod(c.m);
    g.FilterBitmap(p.get());
    EXPECT_EQ(PixelOf(p.get(), 3, 1), (Rgb{c.want, c.want, c.want})) << c.m;
  }
}

TEST(PointFilters, Brightness) {
  TBrightnessFilter f(nullptr);
  f.SetAmount(50);  // Round(127.5) = 128
  EXPECT_EQ(ChannelThrough(f, 0), 128);
  EXPECT_EQ(ChannelThrough(f, 127), 255);
  f.SetAmount(-1);  // Round(-2.55) = -3
  EXPECT_EQ(ChannelThrough(f, 10), 7);
  f.SetPercent(false);
  f.SetAmount(-300);
  EXPECT_EQ(ChannelThrough(f, 255), 0);
  f.SetAmount(7);
  EXPECT_EQ(ChannelThrough(f, 250), 255);
  EXPECT_EQ(ChannelThrough(f, 10), 17);
  // Amount 0 does nothing at all, not even the switch to 24 bits.
  TBitmap b;
  b.SetPixelFormat(pf32bit);
  b.SetSize(2, 2);
  f.SetAmount(0);
  f.FilterBitmap(&b);
  EXPECT_EQ(b.PixelFormat(), pf32bit);
}

TEST(PointFilters, Contrast) {
  TContrastFilter f(nullptr);
  for (int amount : {-100, -5, 0, 5, 50, 100, 255}) {
    f.SetAmount(amount);
    f.SetPercent(true);
    EXPECT_EQ(ChannelThrough(f, 128), 128) << amount;
    f.SetPercent(false);
    EXPECT_EQ(ChannelThrough(f, 128), 128) << amount;
  }
  f.SetPercent(true);
  f.SetAmount(50);  // F = 0.5
  EXPECT_EQ(ChannelThrough(f, 200), 228);  // 200 + (100 * 72) div 256
  EXPECT_EQ(ChannelThrough(f, 10), 8);     // 10 + (5 * -118) div 256, truncated toward zero
  EXPECT_EQ(ChannelThrough(f, 3), 3);      // Round(1.5) = 2; -250 div 256 = 0
  f.SetPercent(false);
  f.SetAmount(100);
  EXPECT_EQ(ChannelThrough(f, 200), 228);
  EXPECT_EQ(ChannelThrough(f, 0), 0);
  EXPECT_EQ(ChannelThrough(f, 255), 255);
}

TEST(PointFilters, GammaTable) {
  TGammaCorrectionFilter f(nullptr);  // 70: g = 0.7
  const std::pair<int, int> table[] = {{0, 0}, {1, 0}, {64, 35}, {128, 95}, {200, 180}, {254, 254}, {255, 255}};
  for (auto [in, out] : table) EXPECT_EQ(ChannelThrough(f, in), out) << in;
  f.SetAmount(-70);  // the magnitude counts
  EXPECT_EQ(ChannelThrough(f, 128), 95);
  f.SetAmount(0);  // g held at 0.001: 255 * (254 / 255)^1000
  EXPECT_EQ(ChannelThrough(f, 254), 5);
  EXPECT_EQ(ChannelThrough(f, 128), 0);
  EXPECT_EQ(ChannelThrough(f, 255), 255);
}

TEST(PointFilters, ColorShiftsEachChannel) {
  auto b = Solid(2, 2, {250, 100, 10});
  TColorFilter f(nullptr);
  f.SetRed(10);
  f.SetBlue(-20);
  f.FilterBitmap(b.get());
  EXPECT_EQ(PixelOf(b.get(), 1, 1), (Rgb{255, 100, 0}));
}

TEST(Hls, ConversionsOnThe240Scale) {
  uint16_t h, l, s;
  RgbToHls(0, 255, 0, h, l, s);
  EXPECT_EQ(std::vector<int>({h, l, s}), std::vector<int>({80, 120, 240}));
  RgbToHls(255, 0, 0, h, l, s);
  EXPECT_EQ(std::vector<int>({h, l, s}), std::vector<int>({0, 120, 240}));
  RgbToHls(0, 0, 255, h, l, s);
  EXPECT_EQ(std::vector<int>({h, l, s}), std::vector<int>({160, 120, 240}));
  RgbToHls(90, 90, 90, h, l, s);
  EXPECT_EQ(std::vector<int>({h, l, s}), std::vector<int>({160, 85, 0}));
  uint8_t r, g, b;
  HlsToRgb(80, 120, 240, r, g, b);
  EXPECT_EQ(std::vector<int>({r, g, b}), std::vector<int>({0, 255, 0}));
  HlsToRgb(160, 240, 0, r, g, b);
  EXPECT_EQ(std::vector<int>({r, g, b}), std::vector<int>({255, 255, 255}));
  // Round trips come back near the colour (the 0..240 scale is coarser than bytes).
  std::mt19937 rng(5);
  for (int i = 0; i < 500; ++i) {
    const int R = rng() % 256, G = rng() % 256, B = rng() % 256;
    RgbToHls(R, G, B, h, l, s);
    HlsToRgb(h, l, s, r, g, b);
    EXPECT_NEAR(r, R, 8) << R << "," << G << "," << B;
    EXPECT_NEAR(g, G, 8) << R << "," << G << "," << B;
    EXPECT_NEAR(b, B, 8) << R << "," << G << "," << B;
  }
}

TEST(Hls, HueAloneKeepsGreysGrey) {
  auto b = MakeBitmap(4, 2, [](int x, int) { return Rgb{x * 60, x * 60, x * 60}; });
  THueLumSatFilter f(nullptr);
  f.SetHue(100);
  f.FilterBitmap(b.get());
  for (int x = 0; x < 4; ++x) {
    Rgb p = PixelOf(b.get(), x, 0);
    EXPECT_TRUE(p.r == p.g && p.g == p.b) << p;
    EXPECT_NEAR(p.r, x * 60, 2);
  }
  // Luminance brightens, saturation of a grey stays 0.
  auto c = Solid(1, 1, {0, 255, 0});
  THueLumSatFilter lum(nullptr);
  lum.SetLuminance(60);
  lum.FilterBitmap(c.get());
  EXPECT_EQ(PixelOf(c.get(), 0, 0), (Rgb{128, 255, 129}));  // H 80, L 180, S 240
}

TEST(FlipReverse, SwapRowsAndColumnsAroundTheMiddle) {
  for (int h : {9, 10}) {
    auto b = MakeBitmap(3, h, Distinct);
    NewFilter<TFlipFilter>()->FilterBitmap(b.get());
    for (int y = 0; y < h; ++y) EXPECT_EQ(PixelOf(b.get(), 2, y), Distinct(2, h - 1 - y)) << h << " " << y;
  }
  auto b = MakeBitmap(5, 2, Distinct);
  TReverseFilter rev(nullptr);
  rev.Region()->SetLeft(1);
  rev.Region()->SetWidth(2);  // columns 1..3
  rev.FilterBitmap(b.get());
  const int want[] = {0, 3, 2, 1, 4};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelOf(b.get(), x, 1), Distinct(want[x], 1)) << x;
}

TEST(Convolution, EmbossOnA3x3RegionChangesOnlyTheCentre) {
  auto b = MakeBitmap(10, 10, Distinct);
  TEmbossFilter f(nullptr);
  f.Region()->SetWidth(2);   // columns 0..2
  f.Region()->SetHeight(2);  // rows 0..2
  f.FilterBitmap(b.get());
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      if (x != 1 || y != 1) {
        ASSERT_EQ(PixelOf(b.get(), x, y), Distinct(x, y)) << x << "," << y;
      }
    }
  EXPECT_EQ(PixelOf(b.get(), 1, 1), (Rgb{0, 55, 32}));  // -(sum) per channel, clamped
}

TEST(Convolution, SharpenKeepsUniformAreasAndBlurAverages) {
  auto b = Solid(10, 10, {17, 130, 250});
  NewFilter<TSharpenFilter>()->FilterBitmap(b.get());
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(PixelOf(b.get(), x, y), (Rgb{17, 130, 250}));
  // A single bright dot spreads over its neighbours: 90 / 9 = 10.
  auto d = Solid(5, 5, {0, 0, 0});
  static_cast<uint8_t*>(d->ScanLine(2))[3 * 2 + 1] = 90;
  TBlurFilter blur(nullptr);
  blur.FilterBitmap(d.get());
  for (int y = 1; y <= 3; ++y)
    for (int x = 1; x <= 3; ++x) EXPECT_EQ(PixelOf(d.get(), x, y).g, 10) << x << "," << y;
  EXPECT_EQ(PixelOf(d.get(), 0, 0).g, 0);
  // Two steps reach further inside; none when Steps is 0.
  blur.SetSteps(0);
  auto e = MakeBitmap(6, 6, Distinct);
  blur.FilterBitmap(e.get());
  auto orig = MakeBitmap(6, 6, Distinct);
  EXPECT_TRUE(SamePixels(e.get(), orig.get()));
}

// A reference sum in the fixed order, for pictures where each step must match exactly: Single weights
// and a Single factor (the reciprocal of the weights' sum), every expression in extended precision.
Rgb Reference(TBitmap* B, int X, int Y, const float (&W)[9]) {
  long double sum = W[0];
  for (int i = 1; i < 9; ++i) sum += W[i];
  const float f = static_cast<float>(1 / sum);
  int out[3];
  for (int c = 0; c < 3; ++c) {
    long double s = 0;
    int k = 0;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const auto* p = static_cast<const uint8_t*>(B->ScanLine(Y + dy)) + 3 * (X + dx);
        const long double term = static_cast<long double>(W[k++]) * p[c];
        s = (k == 1) ? term : s + term;
      }
    out[c] = static_cast<int>(std::clamp<int64_t>(Round(s * f), 0, 255));
  }
  return {out[2], out[1], out[0]};
}

TEST(Convolution, EveryKernelMatchesTheOrderedSumOnANoisyPicture) {
  std::mt19937 rng(11);
  auto noise = [&](int, int) { return Rgb{int(rng() % 256), int(rng() % 256), int(rng() % 256)}; };
  struct Case {
    std::function<std::unique_ptr<TChartFilter>()> make;
    float w[9];
  } cases[] = {
      {[] { return NewFilter<TSharpenFilter>(); }, {-0.125f, -0.125f, -0.125f, -0.125f, 2, -0.125f, -0.125f, -0.125f, -0.125f}},
      {[] { return NewFilter<TEmbossFilter>(); }, {0, -1, 0, -1, 1, 1, 0, -1, 0}},
      {[] { return NewFilter<TSoftenFilter>(); }, {0, 0, 0, 0, 1, 1, 0, 1, 1}},
      {[] { auto b = NewFilter<TBlurFilter>(); b->SetAmount(3); return std::unique_ptr<TChartFilter>(std::move(b)); },
       {1, 1, 1, 1, 3, 1, 1, 1, 1}},
      {[] { auto b = NewFilter<TBlurFilter>(); b->SetAmount(-7); return std::unique_ptr<TChartFilter>(std::move(b)); },
       {1, 1, 1, 1, -7, 1, 1, 1, 1}},
      // Too large for 16-bit sums, and weights that are no multiples of 1/8: the Single path.
      {[] { auto b = NewFilter<TBlurFilter>(); b->SetAmount(200); return std::unique_ptr<TChartFilter>(std::move(b)); },
       {1, 1, 1, 1, 200, 1, 1, 1, 1}},
      {[] {
         auto c = NewFilter<TConvolveFilter>();
         const float w[9] = {0.1f, 0.2f, 0.3f, 0.15f, 1.7f, -0.05f, 0.33f, 0.11f, 0.2f};
         std::copy(w, w + 9, c->Weights);
         return std::unique_ptr<TChartFilter>(std::move(c));
       },
       {0.1f, 0.2f, 0.3f, 0.15f, 1.7f, -0.05f, 0.33f, 0.11f, 0.2f}},
  };
  for (auto& c : cases) {
    auto b = MakeBitmap(37, 9, noise);
    TBitmap before;
    before.Assign(b.get());
    c.make()->FilterBitmap(b.get());
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 37; ++x) {
        const bool edge = x == 0 || y == 0 || x == 36 || y == 8;
        Rgb want = edge ? PixelOf(&before, x, y) : Reference(&before, x, y, c.w);
        ASSERT_EQ(PixelOf(b.get(), x, y), want) << x << "," << y << " w5 " << c.w[4];
      }
  }
}

// The point filters over long rows (the wide paths and their tails) against their formulas per pixel.
TEST(PointFilters, LongRowsMatchTheFormulas) {
  std::mt19937 rng(9);
  auto noise = [&](int, int) { return Rgb{int(rng() % 256), int(rng() % 256), int(rng() % 256)}; };
  auto orig = MakeBitmap(67, 4, noise);
  struct Case {
    std::function<std::unique_ptr<TChartFilter>()> make;
    std::function<Rgb(Rgb)> want;
  } cases[] = {
      {[] { auto f = NewFilter<TBrightnessFilter>(); f->SetAmount(-17); f->SetPercent(false); return std::unique_ptr<TChartFilter>(std::move(f)); },
       [](Rgb c) { return Rgb{std::max(c.r - 17, 0), std::max(c.g - 17, 0), std::max(c.b - 17, 0)}; }},
      {[] { auto f = NewFilter<TBrightnessFilter>(); f->SetAmount(999); f->SetPercent(false); return std::unique_ptr<TChartFilter>(std::move(f)); },
       [](Rgb) { return Rgb{255, 255, 255}; }},
      {[] { auto f = NewFilter<TColorFilter>(); f->SetRed(40); f->SetGreen(-300); f->SetBlue(3); return std::unique_ptr<TChartFilter>(std::move(f)); },
       [](Rgb c) { return Rgb{std::min(c.r + 40, 255), 0, std::min(c.b + 3, 255)}; }},
      {[] { auto f = NewFilter<TContrastFilter>(); f->SetAmount(-60); f->SetPercent(false); return std::unique_ptr<TChartFilter>(std::move(f)); },
       [](Rgb c) {
         auto k = [](int v) { return std::clamp(v + (-60 * (v - 128)) / 256, 0, 255); };
         return Rgb{k(c.r), k(c.g), k(c.b)};
       }},
  };
  for (auto& c : cases) {
    auto b = MakeBitmap(67, 4, [&](int x, int y) { return PixelOf(orig.get(), x, y); });
    auto f = c.make();
    f->Region()->SetLeft(1);  // columns 1..65 of 67
    f->Region()->SetWidth(64);
    f->FilterBitmap(b.get());
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 67; ++x) {
        const Rgb o = PixelOf(orig.get(), x, y);
        ASSERT_EQ(PixelOf(b.get(), x, y), (x >= 1 && x <= 65) ? c.want(o) : o) << f->ClassName() << " " << x << "," << y;
      }
  }
}

TEST(Convolution, WeightsSummingToZeroRaiseBeforeAnyPixelChanges) {
  auto b = MakeBitmap(6, 6, Distinct);
  TBlurFilter f(nullptr);
  f.SetAmount(-8);
  EXPECT_THROW(f.FilterBitmap(b.get()), EZeroDivide);
  auto orig = MakeBitmap(6, 6, Distinct);
  EXPECT_TRUE(SamePixels(b.get(), orig.get()));
  EXPECT_FALSE(f.KeepRows);
}

TEST(Mosaic, BandsAndBlocks) {
  // 10 x 10 with Amount 4: blocks of 4, 4 and 2; 9 x 9: 4 and 5.
  for (auto [size, edges] : {std::pair{10, std::vector<int>{0, 4, 8, 10}}, {9, std::vector<int>{0, 4, 9}}}) {
    auto b = MakeBitmap(size, size, Distinct);
    TMosaicFilter f(nullptr);
    f.SetAmount(4);
    f.FilterBitmap(b.get());
    for (size_t by = 0; by + 1 < edges.size(); ++by)
      for (size_t bx = 0; bx + 1 < edges.size(); ++bx) {
        int64_t sum[3] = {0, 0, 0};
        const int n = (edges[by + 1] - edges[by]) * (edges[bx + 1] - edges[bx]);
        for (int y = edges[by]; y < edges[by + 1]; ++y)
          for (int x = edges[bx]; x < edges[bx + 1]; ++x) {
            Rgb o = Distinct(x, y);
            sum[0] += o.r;
            sum[1] += o.g;
            sum[2] += o.b;
          }
        const long double f1 = 1.0f / static_cast<float>(n);  // a Single reciprocal, the product in extended
        Rgb mean{int(Round(sum[0] * f1)), int(Round(sum[1] * f1)), int(Round(sum[2] * f1))};
        for (int y = edges[by]; y < edges[by + 1]; ++y)
          for (int x = edges[bx]; x < edges[bx + 1]; ++x)
            ASSERT_EQ(PixelOf(b.get(), x, y), mean) << size << ": " << x << "," << y;
      }
  }
  auto c = MakeBitmap(5, 5, Distinct);
  TMosaicFilter none(nullptr);
  none.SetAmount(0);
  none.FilterBitmap(c.get());
  auto orig = MakeBitmap(5, 5, Distinct);
  EXPECT_TRUE(SamePixels(c.get(), orig.get()));
}

// Only the factors are Single; their products are taken in extended precision and rounded once, half to
// even. Worked by hand at ties that a Single product would move:
// - Single(0.3) = 5033165 / 2^24 = 0.300000011920928955078125, times 255 = 76.50000303983688... -> 77;
//   Single(0.9) = 15099494 / 2^24 = 0.89999997615814208984375, times 255 = 229.49999392032623... -> 229.
//   (A Single product would round to 76.5 and 229.5 first, giving 76 and 230.)
// - Single(0.1) = 13421773 / 2^27 = 0.100000001490116119384765625; 25 times it = 2.5000000372529... -> 3.
TEST(SingleFactors, ProductsRoundOnceAtTies) {
  TBrightnessFilter bright(nullptr);
  const std::pair<int, int> brightness[] = {{30, 77}, {-30, -77}, {90, 229}, {-90, -229}};
  for (auto [amount, d] : brightness) {
    bright.SetAmount(amount);
    const int base = d > 0 ? 0 : 255;  // far enough from the clamp on the side it moves to
    EXPECT_EQ(ChannelThrough(bright, base), base + d) << amount;
  }
  // Contrast 10%: Round(25 * Single(0.1)) = 3, 25 + (3 * -103) div 256 = 25 - 1 = 24.
  // Contrast 90%: 175 * Single(0.9) = 157.4999958276748... -> 157, 175 + (157 * 47) div 256 = 175 + 28 = 203.
  TContrastFilter contrast(nullptr);
  const std::tuple<int, int, int> contrasts[] = {{10, 25, 24}, {90, 175, 203}};
  for (auto [amount, v, want] : contrasts) {
    contrast.SetAmount(amount);
    EXPECT_EQ(ChannelThrough(contrast, v), want) << amount << " on " << v;
  }
  // Mosaic: one block of 5 x 2 = 10 pixels whose channel sums to 25: Round(25 * Single(1/10)) = 3.
  auto m = MakeBitmap(5, 2, [](int x, int y) { return (x + y) % 2 ? Rgb{5, 5, 5} : Rgb{0, 0, 0}; });
  NewFilter<TMosaicFilter>()->FilterBitmap(m.get());
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelOf(m.get(), x, y), (Rgb{3, 3, 3})) << x << "," << y;
  // Blur with Amount 2: weights summing to 10, so the factor is Single(0.1) too; a centre of 0 among
  // neighbours summing to 25 gives 3, on both the plain and the vectorised path.
  for (bool wide : {true, false}) {
    ChartWidePaths = wide;
    auto b = MakeBitmap(40, 3, [](int, int) { return Rgb{}; });
    for (int x = 0; x < 40; x += 3) {
      // Neighbours 3,3,3 / 3,_,4 / 3,3,3 around column x + 1 of row 1, in every channel.
      for (int dy = 0; dy < 3; ++dy)
        for (int dx = 0; dx < 3; ++dx)
          if (x + dx < 40) {
            const int v = dy == 1 && dx == 1 ? 0 : (dy == 1 && dx == 2 ? 4 : 3);
            auto* p = static_cast<uint8_t*>(b->ScanLine(dy)) + 3 * (x + dx);
            p[0] = p[1] = p[2] = static_cast<uint8_t>(v);
          }
    }
    auto f = NewFilter<TBlurFilter>();
    f->SetAmount(2);
    f->FilterBitmap(b.get());
    ChartWidePaths = true;
    for (int x = 1; x < 38; x += 3) EXPECT_EQ(PixelOf(b.get(), x, 1), (Rgb{3, 3, 3})) << x << (wide ? " wide" : " plain");
  }
}

}  // namespace
