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
// Inverts every channel byte of the rectangle (255 - v, which is v with every bit flipped), 16 or 32
// bytes at a time whatever the build's optimisation.
void InvertBytes(const std::vector<uint8_t*>& Rows, const TRect& R);
// Replaces every channel byte of the rectangle by its table entry.
void MapBytes(const std::vector<uint8_t*>& Rows, const TRect& R, const uint8_t (&Table)[256]);

// A 3 x 3 convolution whose Single weights are whole multiples of 1 or 1/8 small enough that every sum
// fits 16 bits: the sums of the definition are then exact, and integer sums give the same values. Each
// sum times the Single factor is rounded as the exact product would be (the definition evaluates it in
// extended precision): by an integer shift when the factor is a power of two, through Single arithmetic
// when that was checked to agree for every sum the weights can give, else through Double, where the
// product is exact.
struct IntegerConvolution {
  enum TScaling { scShift, scSingle, scDouble };
  int16_t Weights[9] = {};
  float ScaledFactor = 0;
  TScaling Scaling = scDouble;
  int Shift = 0;          // scShift: the factor is 2^-Shift, negated when Negate
  bool Negate = false;
  // False when the weights (or the processor) do not allow it.
  bool Prepare(const float (&W)[9], float Factor);
  // True when the eight neighbours share one weight: the sum is then that weight times the 3 x 3 box
  // (three row sums of three) plus the centre's own difference.
  bool IsBox() const;
  // Asks the processor to bring Count bytes into the cache.
  static void Prefetch(const uint8_t* From, int Count);
  // Channel bytes widened to 16 bits.
  static void Widen(const uint8_t* From, int16_t* To, int Count);
  // Sums of each widened value with its right neighbours 3 and 6 values on.
  static void RowSums(const int16_t* Row, int16_t* To, int Count);
  // Count output bytes from three widened rows, each pointing at the first output byte's column (the
  // neighbours lie 3 values to each side).
  void Line(const int16_t* Above, const int16_t* Here, const int16_t* Below, uint8_t* Out, int Count) const;
  // The same from the row sums around the centre row (each at the first output's left neighbour) and
  // the centre row itself.
  void LineBox(const int16_t* SumAbove, const int16_t* SumHere, const int16_t* SumBelow, const int16_t* Centre,
               uint8_t* Out, int Count) const;
};

}  // namespace PixelDetail
