#pragma once
// Fast forms of byte-wise filter steps, giving exactly what the plain definitions give (internal to
// the chart library's filters).
#include <cstdint>
#include <vector>

#include "platform/graphics/graphics.h"

// False makes every filter and the resampler take their plain loops (for tests of both paths).
extern bool ChartWidePaths;

namespace PixelDetail {

// Adds B, G and Red to the blue, green and red bytes of the rectangle, clamped to 0..255.
void ShiftChannels(const std::vector<uint8_t*>& Rows, const TRect& R, int64_t B, int64_t G, int64_t Red);
// Replaces every channel byte of the rectangle by its table entry.
void MapBytes(const std::vector<uint8_t*>& Rows, const TRect& R, const uint8_t (&Table)[256]);

// A 3 x 3 convolution whose Single weights are whole multiples of 1 or 1/8 small enough that every sum
// fits 16 bits: the Single sums of the definition are then exact, and integer sums give the same
// values, which the Single factor then scales and rounds as the definition does.
struct IntegerConvolution {
  int16_t Weights[9] = {};
  float ScaledFactor = 0;
  // False when the weights (or the processor) do not allow it.
  bool Prepare(const float (&W)[9], float Factor);
  // Count output bytes from three rows of channel values widened to 16 bits, each pointing at the
  // first output byte's column (the neighbours lie 3 values to each side).
  void Line(const int16_t* Above, const int16_t* Here, const int16_t* Below, uint8_t* Out, int Count) const;
  // True when the eight neighbours share one weight: the sum is then that weight times the 3 x 3 box
  // (three row sums of three) plus the centre's own difference.
  bool IsBox() const;
  // Count output bytes from the three row sums around the centre row and the centre row itself.
  void LineBox(const int16_t* SumAbove, const int16_t* SumHere, const int16_t* SumBelow, const int16_t* Centre,
               uint8_t* Out, int Count) const;
};

}  // namespace PixelDetail
