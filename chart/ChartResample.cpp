// Two-pass separable resampling with integer weights (Lanczos-3 and triangle kernels).
#include "chart/ChartResample.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "chart/ChartCanvasFilters.h"

namespace {
constexpr float kPi = 3.14159265358979323846f;

// A channel sum back to a byte: 255 from 256 * 1024 up, 0 below 0, else the sum / 1024.
inline uint8_t ChannelOf(int32_t V) {
  if (V >= 262144) return 255;
  if (V < 0) return 0;
  return static_cast<uint8_t>(V >> 10);
}
}  // namespace

float SincValue(float X) { return std::sin(X) / X; }

float LanczosKernel(float X) {
  if (X == 0) return 1;
  float a = std::fabs(X);
  if (a >= 3) return 0;
  return SincValue(a * kPi) * SincValue(a * kPi / 3);
}

float TriangleKernel(float X) {
  float a = std::fabs(X);
  return a < 1 ? 1 - a : 0;
}

std::vector<TContributorList> BuildContributors(int SrcLen, int DstLen, float Scale, TResampleKernel Kernel,
                                                float Support) {
  std::vector<TContributorList> lists(static_cast<size_t>(std::max(DstLen, 0)));
  if (SrcLen <= 0 || DstLen <= 0) return lists;
  const float inv = 1 / Scale;
  const float k = std::min(Scale, 1.0f);
  // Shrinking reaches Support / Scale source pixels each side. Enlarging needs the kernel's own support:
  // the narrower window of Support / Scale would cut the kernel and darken the picture.
  const float halfWidth = Scale < 1 ? Support * inv : Support / k;
  for (int i = 0; i < DstLen; ++i) {
    const float centre = inv * static_cast<float>(i);
    const int64_t first = Floor(centre - halfWidth);
    const int64_t last = Ceil(centre + halfWidth);
    TContributorList& list = lists[static_cast<size_t>(i)];
    list.reserve(static_cast<size_t>(last - first + 1));
    for (int64_t j = first; j <= last; ++j) {
      const float x = k * (centre - static_cast<float>(j));
      const int32_t w = static_cast<int32_t>(Round(Kernel(x) * k * 1024.0f));
      if (w == 0) continue;
      int64_t p = j < 0 ? -j : (j < SrcLen ? j : 2 * int64_t(SrcLen) - j - 1);
      if (p < 0) p = -p;
      // Small sources (and tiny destinations) reach past the mirror: hold those at the edge.
      p = std::clamp<int64_t>(p, 0, SrcLen - 1);
      list.push_back({static_cast<int32_t>(p), w});
    }
  }
  return lists;
}

// ---------------------------------------------------------------------------------------------------
// Plain passes. The vectorised ones in ChartResampleWide.cpp give the same sums in another order.

namespace ResampleDetail {
bool WideAvailable();
void ResampleRowsWide(const uint8_t* Src, int SrcStride, int SrcWidth, int Rows, uint8_t* Dst, int DstStride,
                      const std::vector<TContributorList>& Lists);
void ResampleColumnsWide(const uint8_t* Src, int SrcStride, int Columns, uint8_t* Dst, int DstStride,
                         const std::vector<TContributorList>& Lists);

void ResampleRowsPlain(const uint8_t* Src, int SrcStride, int Rows, uint8_t* Dst, int DstStride,
                       const std::vector<TContributorList>& Lists) {
  const int dstW = static_cast<int>(Lists.size());
  for (int y = 0; y < Rows; ++y) {
    const uint8_t* s = Src + static_cast<ptrdiff_t>(y) * SrcStride;
    uint8_t* d = Dst + static_cast<ptrdiff_t>(y) * DstStride;
    for (int x = 0; x < dstW; ++x) {
      int32_t b = 0, g = 0, r = 0;
      for (const TWeightEntry& e : Lists[static_cast<size_t>(x)]) {
        const uint8_t* p = s + 3 * e.Pixel;
        b += e.Weight * p[0];
        g += e.Weight * p[1];
        r += e.Weight * p[2];
      }
      d[3 * x] = ChannelOf(b);
      d[3 * x + 1] = ChannelOf(g);
      d[3 * x + 2] = ChannelOf(r);
    }
  }
}

void ResampleColumnsPlain(const uint8_t* Src, int SrcStride, int Columns, uint8_t* Dst, int DstStride,
                          const std::vector<TContributorList>& Lists) {
  const int dstH = static_cast<int>(Lists.size());
  const int bytes = 3 * Columns;
  std::vector<int32_t> acc(static_cast<size_t>(bytes));
  for (int y = 0; y < dstH; ++y) {
    std::fill(acc.begin(), acc.end(), 0);
    for (const TWeightEntry& e : Lists[static_cast<size_t>(y)]) {
      const uint8_t* s = Src + static_cast<ptrdiff_t>(e.Pixel) * SrcStride;
      for (int i = 0; i < bytes; ++i) acc[static_cast<size_t>(i)] += e.Weight * s[i];
    }
    uint8_t* d = Dst + static_cast<ptrdiff_t>(y) * DstStride;
    for (int i = 0; i < bytes; ++i) d[i] = ChannelOf(acc[static_cast<size_t>(i)]);
  }
}
}  // namespace ResampleDetail

void ResampleRows(const uint8_t* Src, int SrcStride, int Rows, uint8_t* Dst, int DstStride,
                  const std::vector<TContributorList>& Lists) {
  ResampleDetail::ResampleRowsPlain(Src, SrcStride, Rows, Dst, DstStride, Lists);
}

void ResampleColumns(const uint8_t* Src, int SrcStride, int Columns, uint8_t* Dst, int DstStride,
                     const std::vector<TContributorList>& Lists) {
  ResampleDetail::ResampleColumnsPlain(Src, SrcStride, Columns, Dst, DstStride, Lists);
}

void ResampleBitmap(TBitmap* Source, TBitmap* Dest, TResampleKernel Kernel, float Support) {
  if (!Source || !Dest) return;
  const int srcW = Source->Width(), srcH = Source->Height();
  const int dstW = Dest->Width(), dstH = Dest->Height();
  if (srcW <= 1 || srcH <= 1 || dstW <= 1 || dstH <= 1) return;
  CheckFilterBitmapSize(dstW, srcH);
  Source->SetPixelFormat(pf24bit);
  Dest->SetPixelFormat(pf24bit);

  // The work picture between the passes: DstW x SrcH, rows padded so wide stores may run over.
  const int workStride = 3 * dstW + 32;
  std::vector<uint8_t> work(static_cast<size_t>(workStride) * static_cast<size_t>(srcH) + 32);

  const uint8_t* src = static_cast<const uint8_t*>(Source->ScanLine(0));
  const int srcStride = static_cast<int>(static_cast<const uint8_t*>(Source->ScanLine(1)) - src);
  uint8_t* dst = static_cast<uint8_t*>(Dest->ScanLine(0));
  const int dstStride = static_cast<int>(static_cast<uint8_t*>(Dest->ScanLine(1)) - dst);

  const bool wide = ResampleDetail::WideAvailable();
  auto lists = BuildContributors(srcW, dstW, static_cast<float>(double(dstW - 1) / double(srcW - 1)), Kernel, Support);
  if (wide)
    ResampleDetail::ResampleRowsWide(src, srcStride, srcW, srcH, work.data(), workStride, lists);
  else
    ResampleDetail::ResampleRowsPlain(src, srcStride, srcH, work.data(), workStride, lists);

  lists = BuildContributors(srcH, dstH, static_cast<float>(double(dstH - 1) / double(srcH - 1)), Kernel, Support);
  if (wide)
    ResampleDetail::ResampleColumnsWide(work.data(), workStride, dstW, dst, dstStride, lists);
  else
    ResampleDetail::ResampleColumnsPlain(work.data(), workStride, dstW, dst, dstStride, lists);
}

void StretchSmoothQuality(TBitmap* Source, TBitmap* Dest, bool Fast) {
  if (Fast)
    ResampleBitmap(Source, Dest, TriangleKernel, 1);
  else
    ResampleBitmap(Source, Dest, LanczosKernel, 3);
}

void StretchSmooth(TBitmap* Source, TBitmap* Dest) { StretchSmoothQuality(Source, Dest, false); }
