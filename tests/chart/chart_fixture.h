#pragma once
// Shared by the chart library's tests: the library's units started once, small 24-bit bitmaps built
// from a pixel function, and pixel reads.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

#include "chart/ChartConst.h"
#include "chart/ChartFilters.h"

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

class TChartUnitsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ChartConst::Initialize();
    ChartFilters::Initialize();
  }
  void TearDown() override {
    ChartFilters::Finalize();
    ChartConst::Finalize();
  }
};
inline ::testing::Environment* const kChartUnits = ::testing::AddGlobalTestEnvironment(new TChartUnitsEnvironment);

inline std::unique_ptr<TBitmap> MakeBitmap(int W, int H, const std::function<Rgb(int, int)>& F) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(W, H);
  if (W <= 0) return b;
  for (int y = 0; y < H; ++y) {
    auto* p = static_cast<uint8_t*>(b->ScanLine(y));
    for (int x = 0; x < W; ++x) {
      Rgb c = F(x, y);
      p[3 * x] = static_cast<uint8_t>(c.b);
      p[3 * x + 1] = static_cast<uint8_t>(c.g);
      p[3 * x + 2] = static_cast<uint8_t>(c.r);
    }
  }
  return b;
}

inline Rgb PixelOf(TBitmap* B, int X, int Y) {
  const auto* p = static_cast<const uint8_t*>(B->ScanLine(Y)) + 3 * X;
  return {p[2], p[1], p[0]};
}

// A picture with distinct values everywhere (so moved pixels are recognised).
inline Rgb Distinct(int X, int Y) { return {(X * 37 + Y * 11) % 256, (X * 5 + Y * 53 + 7) % 256, (X * 71 + Y * 3 + 100) % 256}; }

// Every pixel of two bitmaps equal (and the sizes).
inline ::testing::AssertionResult SamePixels(TBitmap* A, TBitmap* B) {
  if (A->Width() != B->Width() || A->Height() != B->Height())
    return ::testing::AssertionFailure() << "sizes " << A->Width() << "x" << A->Height() << " and " << B->Width()
                                         << "x" << B->Height();
  for (int y = 0; y < A->Height(); ++y)
    for (int x = 0; x < A->Width(); ++x)
      if (!(PixelOf(A, x, y) == PixelOf(B, x, y)))
        return ::testing::AssertionFailure() << "pixel " << x << "," << y << ": " << PixelOf(A, x, y) << " vs "
                                             << PixelOf(B, x, y);
  return ::testing::AssertionSuccess();
}

template <typename T>
std::unique_ptr<T> NewFilter() {
  return std::make_unique<T>(nullptr);
}
