#pragma once
// Fast forms of byte-wise filter steps, giving exactly what the plain definitions give (internal to
// the chart library's filters).
#include <cstdint>
#include <vector>

#include "platform/graphics/graphics.h"

// False makes every filter and the resampler take their plain loops (for tests of both paths).
extern bool ChartWidePaths;
// The widest vectors, in bits, the wide paths may use where the processor has them (512 or 256; tests
// lower it to reach each path).
extern int ChartWidestVectors;

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
// extended precision): by an integer shift when the factor is a power of two, by a rounding 16-bit
// multiplication or through Single arithmetic when that was checked to agree for every sum the weights
// can give, else through Double, where the product is exact.
struct IntegerConvolution {
  enum TScaling { scShift, scMulHigh, scMulHighUnsigned, scSingle, scDouble };
  int16_t Weights[9] = {};  // negated with the factor when that makes a negative power of two positive
  float ScaledFactor = 0;
  TScaling Scaling = scDouble;
  int Shift = 0;            // scShift: the factor is 2^-Shift; scMulHigh: the sums' shift before the
                            // multiplier; scMulHighUnsigned: the shift of the product's high half
  int16_t Multiplier = 0;   // scMulHigh, scMulHighUnsigned (as unsigned)
  // False when the weights (or the processor) do not allow it.
  bool Prepare(const float (&W)[9], float Factor);
  // Count output bytes straight from three rows of channel bytes, each pointing at the first output
  // byte's column (the neighbours lie 3 bytes to each side): widening, sums and rounding in one pass.
  // Out may be none of the three rows.
  void Line(const uint8_t* Above, const uint8_t* Here, const uint8_t* Below, uint8_t* Out, int Count) const;
  // True when the eight neighbours share one (non-zero) weight: the sum is then that weight times the
  // 3 x 3 box (three row sums of three) plus the centre's own difference.
  bool IsBox() const;
  // Sums of each byte of a row with its neighbours 3 bytes to each side, Row pointing at the first.
  static void RowSums(const uint8_t* Row, int16_t* To, int Count);
  // A box convolution's Count output bytes from the row sums above and here and the bytes of the row
  // below (whose sums it makes into SumBelow), written over the centre row's bytes (each is read before
  // it is written). Below and Centre point at the first output byte's column.
  void LineBox(const int16_t* SumAbove, const int16_t* SumHere, int16_t* SumBelow, const uint8_t* Below,
               uint8_t* Centre, int Count) const;
};

}  // namespace PixelDetail
