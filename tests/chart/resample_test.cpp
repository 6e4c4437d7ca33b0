// Smooth-stretch resampling: kernels, contributor lists, the two passes and the edge cases.
#include <numeric>
#include <random>

#include "chart/ChartResample.h"
#include "tests/chart/chart_fixture.h"

namespace {

int SumOf(const TContributorList& L) {
  return std::accumulate(L.begin(), L.end(), 0, [](int s, const TWeightEntry& e) { return s + e.Weight; });
}

TEST(Kernels, Values) {
  EXPECT_EQ(LanczosKernel(0), 1.0f);
  EXPECT_EQ(LanczosKernel(3), 0.0f);
  EXPECT_EQ(LanczosKernel(-3.5f), 0.0f);
  EXPECT_NEAR(LanczosKernel(0.5f), 0.6079271f, 1e-6);
  EXPECT_EQ(LanczosKernel(1.25f), LanczosKernel(-1.25f));
  EXPECT_LT(LanczosKernel(1.5f), 0.0f);
  EXPECT_EQ(TriangleKernel(0.25f), 0.75f);
  EXPECT_EQ(TriangleKernel(-1), 0.0f);
  EXPECT_NEAR(SincValue(1), std::sin(1.0f), 1e-7);
}

std::vector<std::pair<int, int>> Entries(const TContributorList& L) {
  std::vector<std::pair<int, int>> v;
  for (const auto& e : L) v.emplace_back(e.Pixel, e.Weight);
  return v;
}

// Whole lists, mirrored at the edges, zero weights left out.
TEST(Contributors, ListsOfSmallStretches) {
  // 4 -> 7: scale 2, centre 0.5 of index 1; Round(1024 * L(0.5)) = 623, L(1.5) -> -138, L(2.5) -> 25.
  auto up = BuildContributors(4, 7, 2.0f, LanczosKernel, 3);
  EXPECT_EQ(Entries(up[1]), (std::vector<std::pair<int, int>>{{2, 25}, {1, -138}, {0, 623}, {1, 623}, {2, -138}, {3, 25}}));
  EXPECT_EQ(Entries(up[0]), (std::vector<std::pair<int, int>>{{0, 1024}}));
  // Centre 2.5 of index 5 reaches past the far edge: source 4 mirrors to 2 * 4 - 4 - 1 = 3 and 5 to 2, so
  // the list ends with pixel 2's weight L(2.5) -> 25 (6 would mirror to 1 but L(3.5) is 0).
  EXPECT_EQ(Entries(up[5]), (std::vector<std::pair<int, int>>{{0, 25}, {1, -138}, {2, 623}, {3, 623}, {3, -138}, {2, 25}}));
  // 7 -> 4: scale 0.5, centre 2 of index 1, weights scaled by K = 0.5; the right edge mirrors 7 to 6.
  auto down = BuildContributors(7, 4, 0.5f, LanczosKernel, 3);
  EXPECT_EQ(Entries(down[1]),
            (std::vector<std::pair<int, int>>{{3, 12}, {1, -69}, {1, 311}, {2, 512}, {3, 311}, {5, -69}, {6, 12}}));
}

TEST(Contributors, ShrinkingListsFollowTheScaledKernel) {
  // 9 -> 3: scale 0.25, window 12 source pixels each side, weights scaled by K.
  auto lists = BuildContributors(9, 3, 0.25f, LanczosKernel, 3);
  ASSERT_EQ(lists.size(), 3u);
  // Centre 0: weights mirrored at the left edge, indices in the source.
  for (const auto& l : lists)
    for (const auto& e : l) {
      EXPECT_GE(e.Pixel, 0);
      EXPECT_LT(e.Pixel, 9);
    }
  const TWeightEntry centre = *std::find_if(lists[1].begin(), lists[1].end(), [](auto& e) { return e.Pixel == 4; });
  EXPECT_EQ(centre.Weight, 256);  // Round(1 * 0.25 * 1024)
  for (const auto& l : lists) EXPECT_NEAR(SumOf(l), 1024, 12);
}

// Enlarging takes its window from the kernel's support; the narrower window lost most of the kernel and
// the picture darkened (grey 200 came out near 179).
TEST(Contributors, EnlargingListsSumToAbout1024) {
  for (auto [src, dst] : {std::pair{100, 199}, {10, 37}, {4000, 8000}, {2, 3}, {3, 2000}}) {
    auto lists = BuildContributors(src, dst, static_cast<float>(double(dst - 1) / double(src - 1)), LanczosKernel, 3);
    for (size_t i = 0; i < lists.size(); ++i) {
      ASSERT_NEAR(SumOf(lists[i]), 1024, 8) << src << "->" << dst << " at " << i;
      for (const auto& e : lists[i]) ASSERT_TRUE(e.Pixel >= 0 && e.Pixel < src) << src << "->" << dst;
    }
  }
}

// Tiny destinations reach past the mirrored edge; those indices are held inside the source.
TEST(Contributors, TinyDestinationsStayInsideTheSource) {
  for (auto [src, dst] : {std::pair{1000, 2}, {1000, 3}, {7, 2}, {2, 2}}) {
    auto lists = BuildContributors(src, dst, static_cast<float>(double(dst - 1) / double(src - 1)), LanczosKernel, 3);
    for (const auto& l : lists) {
      ASSERT_FALSE(l.empty());
      for (const auto& e : l) ASSERT_TRUE(e.Pixel >= 0 && e.Pixel < src) << src << "->" << dst << ": " << e.Pixel;
    }
  }
}

TEST(Resample, OnePixelSidesLeaveTheDestinationAlone) {
  for (auto [sw, sh, dw, dh] : {std::tuple{1, 5, 4, 4}, {5, 1, 4, 4}, {5, 5, 1, 4}, {5, 5, 4, 1}}) {
    auto src = MakeBitmap(sw, sh, Distinct);
    auto dst = MakeBitmap(dw, dh, [](int, int) { return Rgb{1, 2, 3}; });
    StretchSmooth(src.get(), dst.get());
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x) ASSERT_EQ(PixelOf(dst.get(), x, y), (Rgb{1, 2, 3}));
  }
  StretchSmooth(nullptr, nullptr);
}

TEST(Resample, FullSumsGive255AndNegativeSumsGive0) {
  // Pixels 255, 128, 255, 0 in one row.
  std::vector<uint8_t> src{255, 255, 255, 128, 128, 128, 255, 255, 255, 0, 0, 0};
  const std::vector<TContributorList> lists{
      {{0, 1024}, {1, 8}},     // exactly 262144: 255, never a wrapped 0
      {{0, 1024}, {1, 7}},     // 262016: 255 by the shift
      {{3, 1024}, {2, -600}},  // negative: 0
      {{1, 2}},                // 256 >> 10 = 0
      {{0, 1100}}};            // past 262144: 255
  std::vector<uint8_t> out(3 * lists.size(), 77);
  ResampleRows(src.data(), 12, 1, out.data(), 15, lists);
  const int want[] = {255, 255, 0, 0, 255};
  for (size_t i = 0; i < lists.size(); ++i) EXPECT_EQ(out[3 * i], want[i]) << i;
  // The vertical pass clamps the same way.
  std::vector<uint8_t> col(3 * 4);
  for (int r = 0; r < 4; ++r) col[size_t(3 * r)] = src[size_t(3 * r)];
  std::vector<uint8_t> res(3 * lists.size());
  ResampleColumns(col.data(), 3, 1, res.data(), 3, lists);
  for (size_t i = 0; i < lists.size(); ++i) EXPECT_EQ(res[3 * i], want[i]) << i;
}

TEST(Resample, FastTwoByTwoToThreeByThreeKeepsTheCorners) {
  auto src = MakeBitmap(2, 2, [](int x, int y) { return Rgb{x * 200 + 10, y * 100 + 20, 30 + x * y * 90}; });
  auto dst = MakeBitmap(3, 3, [](int, int) { return Rgb{}; });
  StretchSmoothQuality(src.get(), dst.get(), true);
  EXPECT_EQ(PixelOf(dst.get(), 0, 0), PixelOf(src.get(), 0, 0));
  EXPECT_EQ(PixelOf(dst.get(), 2, 0), PixelOf(src.get(), 1, 0));
  EXPECT_EQ(PixelOf(dst.get(), 0, 2), PixelOf(src.get(), 0, 1));
  EXPECT_EQ(PixelOf(dst.get(), 2, 2), PixelOf(src.get(), 1, 1));
  EXPECT_EQ(PixelOf(dst.get(), 1, 0), (Rgb{110, 20, 30}));  // halves of 10 and 210
}

TEST(Resample, SwitchesBothBitmapsTo24Bits) {
  TBitmap src, dst;
  src.SetPixelFormat(pf32bit);
  src.SetSize(6, 6);
  dst.SetPixelFormat(pf32bit);
  dst.SetSize(3, 3);
  StretchSmooth(&src, &dst);
  EXPECT_EQ(src.PixelFormat(), pf24bit);
  EXPECT_EQ(dst.PixelFormat(), pf24bit);
  // White halved: the rounded weights of a list sum to a little under 1024.
  EXPECT_EQ(PixelOf(&dst, 1, 1), (Rgb{253, 253, 253}));
}

TEST(Resample, UniformGreyStaysWithinAFewUnits) {
  // Strong shrinking (64 -> 2, 300 -> 3) rounds weights of a few units each and drifts further; those
  // follow the stored arithmetic and are not part of this check.
  for (auto [sw, dw] : {std::pair{100, 199}, {100, 40}, {50, 50}, {30, 61}, {7, 300}}) {
    auto src = MakeBitmap(sw, sw / 2 + 2, [](int, int) { return Rgb{200, 200, 200}; });
    auto dst = MakeBitmap(dw, dw / 2 + 2, [](int, int) { return Rgb{}; });
    StretchSmooth(src.get(), dst.get());
    for (int y = 0; y < dst->Height(); ++y)
      for (int x = 0; x < dw; ++x) ASSERT_NEAR(PixelOf(dst.get(), x, y).g, 200, 5) << sw << "->" << dw << " " << x;
  }
}

// The wide passes and the plain ones are the same sums: compare on odd sizes of a noisy picture.
TEST(Resample, WholeStretchMatchesThePlainPasses) {
  std::mt19937 rng(3);
  for (auto [sw, sh, dw, dh] :
       {std::tuple{37, 29, 11, 53}, {100, 9, 301, 7}, {8, 8, 8, 8}, {17, 41, 2, 3}, {300, 20, 97, 20}}) {
    auto src = MakeBitmap(sw, sh, [&](int, int) { return Rgb{int(rng() % 256), int(rng() % 256), int(rng() % 256)}; });
    for (bool fast : {false, true}) {
      auto dst = MakeBitmap(dw, dh, [](int, int) { return Rgb{}; });
      StretchSmoothQuality(src.get(), dst.get(), fast);
      // Reference: the plain passes through the public functions.
      TResampleKernel k = fast ? TriangleKernel : LanczosKernel;
      const float support = fast ? 1 : 3;
      auto hl = BuildContributors(sw, dw, float(double(dw - 1) / double(sw - 1)), k, support);
      auto vl = BuildContributors(sh, dh, float(double(dh - 1) / double(sh - 1)), k, support);
      std::vector<uint8_t> work(size_t(3 * dw * sh)), out(size_t(3 * dw * dh));
      const int stride = static_cast<int>(static_cast<uint8_t*>(src->ScanLine(1)) - static_cast<uint8_t*>(src->ScanLine(0)));
      ResampleRows(static_cast<uint8_t*>(src->ScanLine(0)), stride, sh, work.data(), 3 * dw, hl);
      ResampleColumns(work.data(), 3 * dw, dw, out.data(), 3 * dw, vl);
      for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) {
          const uint8_t* p = &out[size_t(3 * (y * dw + x))];
          ASSERT_EQ(PixelOf(dst.get(), x, y), (Rgb{p[2], p[1], p[0]})) << sw << "x" << sh << "->" << dw << "x" << dh << " at " << x << "," << y;
        }
    }
  }
}

}  // namespace
