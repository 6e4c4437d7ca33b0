#pragma once
// Smooth stretch of one bitmap onto another of another size: two separable passes (horizontal into a
// work bitmap DstW x SrcH, then vertical) with a windowed kernel and integer weights where 1024 is 1.0.
// The weights of each destination index are computed once per axis in Single precision and shared by
// every row or column, so the result depends only on the sizes and the pixels.

#include <cstdint>
#include <vector>

#include "platform/graphics/graphics.h"

using TResampleKernel = float (*)(float X);

float SincValue(float X);
// Lanczos with three lobes (support 3).
float LanczosKernel(float X);
// Tent (support 1).
float TriangleKernel(float X);

// One source index and its weight (1024 = 1.0).
struct TWeightEntry {
  int32_t Pixel;
  int32_t Weight;
};
// The weighted source indices of one destination index, by increasing source index.
using TContributorList = std::vector<TWeightEntry>;

// The lists of every destination index of one axis. Scale is (DstLen-1)/(SrcLen-1) as a Single.
// Sources are mirrored at both edges; an index still outside after mirroring is held at the edge.
std::vector<TContributorList> BuildContributors(int SrcLen, int DstLen, float Scale, TResampleKernel Kernel,
                                                float Support);

// The stretch itself; Dest keeps its size. Nothing happens unless both bitmaps exist and every side
// is larger than 1. Both bitmaps are switched to pf24bit.
void ResampleBitmap(TBitmap* Source, TBitmap* Dest, TResampleKernel Kernel, float Support);
// Fast = false: Lanczos-3; true: triangle.
void StretchSmoothQuality(TBitmap* Source, TBitmap* Dest, bool Fast);
void StretchSmooth(TBitmap* Source, TBitmap* Dest);

// The two passes on raw 24-bit rows (exposed for tests and benchmarks). Source rows are SrcStride
// bytes apart, destination rows DstStride.
void ResampleRows(const uint8_t* Src, int SrcStride, int Rows, uint8_t* Dst, int DstStride,
                  const std::vector<TContributorList>& Lists);
void ResampleColumns(const uint8_t* Src, int SrcStride, int Columns, uint8_t* Dst, int DstStride,
                     const std::vector<TContributorList>& Lists);
