// Fast forms of the byte-wise filters, with exactly the results of their definitions: channel shifts by
// saturating byte arithmetic (AVX2), byte maps through a table of byte pairs, and 3 x 3 convolutions
// whose weights are whole multiples of 1/8 through exact 16-bit integer sums.
#include "chart/ChartPixelWide.h"

#include <immintrin.h>

#include <cmath>
#include <cstring>

bool ChartWidePaths = true;
int ChartWidestVectors = 512;

namespace PixelDetail {

namespace {

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has && ChartWidePaths;
}

bool HasAvx512() {
  static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  return has && ChartWidePaths && ChartWidestVectors >= 512;
}

bool HasVbmi() {
  static const bool has = __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw");
  return has && ChartWidePaths && ChartWidestVectors >= 512;
}

// 64 bytes per step: two 128-entry byte permutes cover the table, the top bit picks between them.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void MapSpanVbmi(uint8_t* P, size_t Count,
                                                                       const uint8_t (&Table)[256]) {
  const __m512i t0 = _mm512_loadu_si512(Table), t1 = _mm512_loadu_si512(Table + 64),
                t2 = _mm512_loadu_si512(Table + 128), t3 = _mm512_loadu_si512(Table + 192);
  size_t i = 0;
  for (; i < Count; i += 64) {
    const __mmask64 m = Count - i >= 64 ? ~__mmask64(0) : (__mmask64(1) << (Count - i)) - 1;
    const __m512i v = _mm512_maskz_loadu_epi8(m, P + i);
    const __m512i lo = _mm512_permutex2var_epi8(t0, v, t1);
    const __m512i hi = _mm512_permutex2var_epi8(t2, v, t3);
    _mm512_mask_storeu_epi8(P + i, m, _mm512_mask_blend_epi8(_mm512_movepi8_mask(v), lo, hi));
  }
}

inline uint8_t Clamp(int V) { return static_cast<uint8_t>(V < 0 ? 0 : (V > 255 ? 255 : V)); }

__attribute__((target("avx2"))) void ShiftSpanWide(uint8_t* P, size_t Count, const uint8_t (&Up)[96],
                                                   const uint8_t (&Down)[96]) {
  __m256i up[3], down[3];
  for (int k = 0; k < 3; ++k) {
    up[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Up + 32 * k));
    down[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Down + 32 * k));
  }
  size_t i = 0;
  for (; i + 96 <= Count; i += 96)
    for (int k = 0; k < 3; ++k) {
      auto* q = reinterpret_cast<__m256i*>(P + i + 32 * k);
      _mm256_storeu_si256(q, _mm256_subs_epu8(_mm256_adds_epu8(_mm256_loadu_si256(q), up[k]), down[k]));
    }
  for (; i < Count; ++i) P[i] = Clamp(int(P[i]) + Up[i % 96] - Down[i % 96]);
}

}  // namespace

void ShiftChannels(const std::vector<uint8_t*>& Rows, const TRect& R, int64_t B, int64_t G, int64_t Red) {
  // The offsets of bytes 0..95 of a span that starts on a blue byte, split into a raise and a lowering.
  uint8_t up[96], down[96];
  const int64_t d[3] = {B, G, Red};
  for (int i = 0; i < 96; ++i) {
    const int64_t v = d[i % 3];
    up[i] = static_cast<uint8_t>(v > 0 ? (v > 255 ? 255 : v) : 0);
    down[i] = static_cast<uint8_t>(v < 0 ? (v < -255 ? 255 : -v) : 0);
  }
  const size_t from = 3 * static_cast<size_t>(R.Left), count = 3 * static_cast<size_t>(R.Right - R.Left + 1);
  for (int y = R.Top; y <= R.Bottom; ++y) {
    uint8_t* p = Rows[static_cast<size_t>(y)] + from;
    if (HasAvx2()) {
      ShiftSpanWide(p, count, up, down);
    } else {
      for (size_t i = 0; i < count; ++i) p[i] = Clamp(int(p[i]) + up[i % 96] - down[i % 96]);
    }
  }
}

namespace {

__attribute__((target("avx2"))) size_t InvertSpanWide(uint8_t* P, size_t Count) {
  const __m256i ones = _mm256_set1_epi8(-1);
  size_t i = 0;
  for (; i + 32 <= Count; i += 32) {
    auto* q = reinterpret_cast<__m256i*>(P + i);
    _mm256_storeu_si256(q, _mm256_xor_si256(_mm256_loadu_si256(q), ones));
  }
  return i;
}

// Written with explicit vector operations so that no build type falls back to a byte at a time.
size_t InvertSpanSse2(uint8_t* P, size_t Count) {
  const __m128i ones = _mm_set1_epi8(-1);
  size_t i = 0;
  for (; i + 16 <= Count; i += 16) {
    auto* q = reinterpret_cast<__m128i*>(P + i);
    _mm_storeu_si128(q, _mm_xor_si128(_mm_loadu_si128(q), ones));
  }
  return i;
}

}  // namespace

void InvertBytes(const std::vector<uint8_t*>& Rows, const TRect& R) {
  const size_t from = 3 * static_cast<size_t>(R.Left), count = 3 * static_cast<size_t>(R.Right - R.Left + 1);
  const bool avx2 = HasAvx2();
  for (int y = R.Top; y <= R.Bottom; ++y) {
    uint8_t* p = Rows[static_cast<size_t>(y)] + from;
    size_t i = avx2 ? InvertSpanWide(p, count) : 0;
    i += InvertSpanSse2(p + i, count - i);
    for (; i < count; ++i) p[i] = static_cast<uint8_t>(~p[i]);
  }
}

void MapBytes(const std::vector<uint8_t*>& Rows, const TRect& R, const uint8_t (&Table)[256]) {
  if (HasVbmi()) {
    const size_t from = 3 * static_cast<size_t>(R.Left), count = 3 * static_cast<size_t>(R.Right - R.Left + 1);
    for (int y = R.Top; y <= R.Bottom; ++y) MapSpanVbmi(Rows[static_cast<size_t>(y)] + from, count, Table);
    return;
  }
  // Two bytes per look-up: a table of every byte pair (128 KB, built in a few microseconds).
  std::vector<uint16_t> pairs(65536);
  for (int hi = 0; hi < 256; ++hi)
    for (int lo = 0; lo < 256; ++lo) pairs[size_t(hi << 8 | lo)] = static_cast<uint16_t>(Table[lo] | Table[hi] << 8);
  const uint16_t* t = pairs.data();
  const size_t from = 3 * static_cast<size_t>(R.Left), count = 3 * static_cast<size_t>(R.Right - R.Left + 1);
  for (int y = R.Top; y <= R.Bottom; ++y) {
    uint8_t* p = Rows[static_cast<size_t>(y)] + from;
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
      uint64_t v;
      std::memcpy(&v, p + i, 8);
      const uint64_t out = uint64_t(t[v & 0xFFFF]) | uint64_t(t[(v >> 16) & 0xFFFF]) << 16 |
                           uint64_t(t[(v >> 32) & 0xFFFF]) << 32 | uint64_t(t[v >> 48]) << 48;
      std::memcpy(p + i, &out, 8);
    }
    for (; i < count; ++i) p[i] = Table[p[i]];
  }
}

// ---------------------------------------------------------------------------------------------------

bool IntegerConvolution::Prepare(const float (&W)[9], float Factor) {
  if (!HasAvx2()) return false;
  for (int m : {1, 8}) {
    bool whole = true;
    int sum = 0, low = 0, high = 0;
    for (int k = 0; k < 9; ++k) {
      const float v = W[k] * static_cast<float>(m);
      whole = whole && v == std::nearbyint(v) && std::fabs(v) <= 127;
      if (!whole) break;
      Weights[k] = static_cast<int16_t>(v);
      sum += std::abs(Weights[k]) * 255;
      (Weights[k] < 0 ? low : high) += Weights[k] * 255;
    }
    // Every partial sum stays inside 16 bits, and the sum of the definition is exact too.
    if (!whole || sum > 32767) continue;
    ScaledFactor = Factor / static_cast<float>(m);  // exact: m is a power of two
    if (!std::isfinite(ScaledFactor) || ScaledFactor == 0) return false;
    // A power of two up to 1: rounding the product is rounding a shifted integer (the shift stays small
    // enough that the sums cannot saturate below 255 times the power).
    int e = 0;
    const float mant = std::frexp(std::fabs(ScaledFactor), &e);  // |factor| = mant * 2^e
    if (mant == 0.5f && e <= 1 && e >= -6) {
      Scaling = scShift;
      Shift = 1 - e;
      if (ScaledFactor < 0) {
        // A negative power: the negated sums times the positive power, the same products.
        for (auto& w : Weights) w = static_cast<int16_t>(-w);
        ScaledFactor = -ScaledFactor;
      }
      return true;
    }
    // The exact rounded product of every reachable sum, clamped as the result will be.
    auto exact = [&](int s) {
      const double v = std::nearbyint(static_cast<double>(s) * static_cast<double>(ScaledFactor));
      return v < 0 ? 0 : (v > 255 ? 255 : static_cast<int>(v));
    };
    // A 16-bit multiplier with rounding, (s * 2^p * M + 2^14) >> 15, where one gives every reachable
    // sum's result: tried near the factor with the most precision the sums leave room for, and taken
    // only when checked for every sum.
    const int widest = std::max(-low, high);
    int p = 0;
    while ((widest << (p + 1)) <= 32767 && p < 14) ++p;
    for (int q = p; q >= std::max(0, p - 1); --q) {
      const double near = static_cast<double>(ScaledFactor) * std::ldexp(1.0, 15 - q);
      for (long m = std::lround(std::floor(near)) - 2; m <= std::lround(std::ceil(near)) + 2; ++m) {
        if (m < -32767 || m > 32767) continue;
        bool agrees = true;
        for (int s = low; agrees && s <= high; ++s) {
          const long v = ((static_cast<long>(s) << q) * m + (1 << 14)) >> 15;
          agrees = (v < 0 ? 0 : (v > 255 ? 255 : v)) == exact(s);
        }
        if (agrees) {
          Scaling = scMulHigh;
          Shift = q;
          Multiplier = static_cast<int16_t>(m);
          return true;
        }
      }
    }
    // Sums that are never negative: the high half of an unsigned 16-bit product with a multiplier near
    // the factor times 2^(16 + j), rounded by adding 2^(j - 1) and shifting by j.
    if (low >= 0)
      for (int j = 8; j >= 1; --j) {
        const double near = static_cast<double>(ScaledFactor) * std::ldexp(1.0, 16 + j);
        for (long m = std::lround(std::floor(near)) - 1; m <= std::lround(std::ceil(near)) + 1; ++m) {
          if (m < 1 || m > 65535) continue;
          bool agrees = true;
          for (int s = 0; agrees && s <= high; ++s) {
            const long v = (((s * m) >> 16) + (1L << (j - 1))) >> j;
            agrees = (v > 255 ? 255 : v) == exact(s);
          }
          if (agrees) {
            Scaling = scMulHighUnsigned;
            Shift = j;
            Multiplier = static_cast<int16_t>(static_cast<uint16_t>(m));
            return true;
          }
        }
      }
    // A Single product is rounded once more before the rounding to an integer; where that moves no
    // result for any reachable sum, Single arithmetic gives the exact answers and is the faster.
    bool single = true;
    for (int s = low; single && s <= high; ++s)
      single = std::nearbyint(static_cast<float>(s) * ScaledFactor) ==
               std::nearbyint(static_cast<double>(s) * static_cast<double>(ScaledFactor));
    Scaling = single ? scSingle : scDouble;
    return true;
  }
  return false;
}

namespace {

// The ways sums become results (the loops are made once for each).
enum { kSum, kShift, kMulHigh, kMulHighUnsigned, kSingle, kDouble };

int ModeOf(const IntegerConvolution& C) {
  switch (C.Scaling) {
    case IntegerConvolution::scShift: return C.Shift == 0 ? kSum : kShift;
    case IntegerConvolution::scMulHigh: return kMulHigh;
    case IntegerConvolution::scMulHighUnsigned: return kMulHighUnsigned;
    case IntegerConvolution::scSingle: return kSingle;
    default: return kDouble;
  }
}

// The terms of a line with a non-zero weight: where they read, and their weights. When every weight is
// 1 or -1 (Unit) the terms of weight 1 come first (Plus of them) and the rest are subtracted.
struct TTerms {
  const uint8_t* P[9];
  int16_t Scalar[9];
  int N = 0, Plus = 0;
  bool Unit = true;
};

inline uint8_t ScaleOne(int S, const IntegerConvolution& C) {
  const double v = std::nearbyint(static_cast<double>(S) * static_cast<double>(C.ScaledFactor));
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

}  // namespace

// The convolution's loops once with 256-bit and once with 512-bit vectors.
#pragma GCC push_options
#pragma GCC target("avx2")
namespace Lanes256 {
namespace {
struct V {
  using T = __m256i;
  using Fs = __m256;
  using Fd = __m256d;
  static constexpr int Lanes = 16;
  static T Zero() { return _mm256_setzero_si256(); }
  static T Set(int16_t v) { return _mm256_set1_epi16(v); }
  static Fs SetSingle(float v) { return _mm256_set1_ps(v); }
  static Fd SetDouble(double v) { return _mm256_set1_pd(v); }
  static T Add(T a, T b) { return _mm256_add_epi16(a, b); }
  static T Sub(T a, T b) { return _mm256_sub_epi16(a, b); }
  static T Mul(T a, T b) { return _mm256_mullo_epi16(a, b); }
  static T And(T a, T b) { return _mm256_and_si256(a, b); }
  static T AddSat(T a, T b) { return _mm256_adds_epi16(a, b); }
  static T ShiftRightArith(T a, __m128i n) { return _mm256_sra_epi16(a, n); }
  static T ShiftRight(T a, __m128i n) { return _mm256_srl_epi16(a, n); }
  static T ShiftLeft(T a, __m128i n) { return _mm256_sll_epi16(a, n); }
  static T MulHighRound(T a, T b) { return _mm256_mulhrs_epi16(a, b); }
  static T MulHighUnsigned(T a, T b) { return _mm256_mulhi_epu16(a, b); }
  static T Sign(T a, T s) { return _mm256_sign_epi16(a, s); }  // s is never 0
  static T Bytes(const uint8_t* p) { return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))); }
  static T Load(const int16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
  static void Store(int16_t* p, T v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
  // The packs work in 128-bit halves; the permutation puts the two results back in order.
  static void StoreBytes(uint8_t* p, T a, T b) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8));
  }
  static T Pack(__m256i lo, __m256i hi) { return _mm256_permute4x64_epi64(_mm256_packs_epi32(lo, hi), 0xD8); }
  static __m256i Low(T s) { return _mm256_cvtepi16_epi32(_mm256_castsi256_si128(s)); }
  static __m256i High(T s) { return _mm256_cvtepi16_epi32(_mm256_extracti128_si256(s, 1)); }
  static T ScaleSingle(T s, Fs f) {
    return Pack(_mm256_cvtps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(Low(s)), f)),
                _mm256_cvtps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(High(s)), f)));
  }
  // Eight 32-bit sums times the factor in Double (exact), rounded half to even.
  static __m256i Double8(__m256i v, Fd f) {
    const __m128i a = _mm256_cvtpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(v)), f));
    const __m128i b = _mm256_cvtpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(v, 1)), f));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(a), b, 1);
  }
  static T ScaleDouble(T s, Fd f) { return Pack(Double8(Low(s), f), Double8(High(s), f)); }
};
#include "chart/ChartConvolveLanes.inc"
}  // namespace
}  // namespace Lanes256
#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw")
// The compiler's own 512-bit conversions start from an "undefined" vector it then warns about.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
namespace Lanes512 {
namespace {
struct V {
  using T = __m512i;
  using Fs = __m512;
  using Fd = __m512d;
  static constexpr int Lanes = 32;
  static T Zero() { return _mm512_setzero_si512(); }
  static T Set(int16_t v) { return _mm512_set1_epi16(v); }
  static Fs SetSingle(float v) { return _mm512_set1_ps(v); }
  static Fd SetDouble(double v) { return _mm512_set1_pd(v); }
  static T Add(T a, T b) { return _mm512_add_epi16(a, b); }
  static T Sub(T a, T b) { return _mm512_sub_epi16(a, b); }
  static T Mul(T a, T b) { return _mm512_mullo_epi16(a, b); }
  static T And(T a, T b) { return _mm512_and_si512(a, b); }
  static T AddSat(T a, T b) { return _mm512_adds_epi16(a, b); }
  static T ShiftRightArith(T a, __m128i n) { return _mm512_sra_epi16(a, n); }
  static T ShiftRight(T a, __m128i n) { return _mm512_srl_epi16(a, n); }
  static T ShiftLeft(T a, __m128i n) { return _mm512_sll_epi16(a, n); }
  static T MulHighRound(T a, T b) { return _mm512_mulhrs_epi16(a, b); }
  static T MulHighUnsigned(T a, T b) { return _mm512_mulhi_epu16(a, b); }
  // No sign instruction at this width: negate the lanes where s is negative.
  static T Sign(T a, T s) { return _mm512_mask_sub_epi16(a, _mm512_movepi16_mask(s), _mm512_setzero_si512(), a); }
  static T Bytes(const uint8_t* p) { return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))); }
  static T Load(const int16_t* p) { return _mm512_loadu_si512(p); }
  static void Store(int16_t* p, T v) { _mm512_storeu_si512(p, v); }
  // The packs work in 128-bit quarters; the permutation puts the 64-bit pieces back in order.
  static T InOrder(T v) { return _mm512_permutexvar_epi64(_mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7), v); }
  static void StoreBytes(uint8_t* p, T a, T b) { _mm512_storeu_si512(p, InOrder(_mm512_packus_epi16(a, b))); }
  static T Pack(__m512i lo, __m512i hi) { return InOrder(_mm512_packs_epi32(lo, hi)); }
  static __m512i Low(T s) { return _mm512_cvtepi16_epi32(_mm512_castsi512_si256(s)); }
  static __m512i High(T s) { return _mm512_cvtepi16_epi32(_mm512_extracti64x4_epi64(s, 1)); }
  static T ScaleSingle(T s, Fs f) {
    return Pack(_mm512_cvtps_epi32(_mm512_mul_ps(_mm512_cvtepi32_ps(Low(s)), f)),
                _mm512_cvtps_epi32(_mm512_mul_ps(_mm512_cvtepi32_ps(High(s)), f)));
  }
  // Sixteen 32-bit sums times the factor in Double (exact), rounded half to even.
  static __m512i Double16(__m512i v, Fd f) {
    const __m256i a = _mm512_cvtpd_epi32(_mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_castsi512_si256(v)), f));
    const __m256i b = _mm512_cvtpd_epi32(_mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(v, 1)), f));
    return _mm512_inserti64x4(_mm512_castsi256_si512(a), b, 1);
  }
  static T ScaleDouble(T s, Fd f) { return Pack(Double16(Low(s), f), Double16(High(s), f)); }
};
#include "chart/ChartConvolveLanes.inc"
}  // namespace
}  // namespace Lanes512
#pragma GCC diagnostic pop
#pragma GCC pop_options

bool IntegerConvolution::IsBox() const {
  for (int k : {1, 2, 3, 5, 6, 7, 8})
    if (Weights[k] != Weights[0]) return false;
  return Weights[0] != 0;
}

void IntegerConvolution::RowSums(const uint8_t* Row, int16_t* To, int Count) {
  int i = HasAvx512() ? Lanes512::RowSums(Row, To, Count) : (HasAvx2() ? Lanes256::RowSums(Row, To, Count) : 0);
  for (; i < Count; ++i) To[i] = static_cast<int16_t>(Row[i - 3] + Row[i] + Row[i + 3]);
}

// The sums wrap in 16 bits on the way (A times the box may pass 32767 before the centre's part comes
// off); the final sum fits, and wrapping arithmetic gives it exactly.
void IntegerConvolution::LineBox(const int16_t* SumAbove, const int16_t* SumHere, int16_t* SumBelow,
                                 const uint8_t* Below, uint8_t* Centre, int Count) const {
  const int16_t a = Weights[0], d = static_cast<int16_t>(Weights[4] - Weights[0]);
  if (HasAvx512()) return Lanes512::LineBox(*this, SumAbove, SumHere, SumBelow, Below, Centre, a, d, Count);
  if (HasAvx2()) return Lanes256::LineBox(*this, SumAbove, SumHere, SumBelow, Below, Centre, a, d, Count);
  for (int i = 0; i < Count; ++i) {
    SumBelow[i] = static_cast<int16_t>(Below[i - 3] + Below[i] + Below[i + 3]);
    Centre[i] = ScaleOne(static_cast<int16_t>(a * (SumAbove[i] + SumHere[i] + SumBelow[i]) + d * Centre[i]), *this);
  }
}

void IntegerConvolution::Line(const uint8_t* Above, const uint8_t* Here, const uint8_t* Below, uint8_t* Out,
                              int Count) const {
  const uint8_t* rows[3] = {Above, Here, Below};
  TTerms terms;
  for (int16_t w : Weights) terms.Unit = terms.Unit && (w == 0 || w == 1 || w == -1);
  // Weights of 1 first, so that unit terms can be summed in two runs.
  for (int pass = 0; pass < 2; ++pass)
    for (int k = 0; k < 9; ++k) {
      if (Weights[k] == 0 || (Weights[k] == 1) != (pass == 0)) continue;
      terms.P[terms.N] = rows[k / 3] + 3 * (k % 3 - 1);
      terms.Scalar[terms.N] = Weights[k];
      ++terms.N;
      if (pass == 0) ++terms.Plus;
    }
  if (HasAvx512()) return Lanes512::Line(*this, terms, Out, Count);
  if (HasAvx2()) return Lanes256::Line(*this, terms, Out, Count);
  for (int i = 0; i < Count; ++i) {
    int s = 0;
    for (int k = 0; k < terms.N; ++k) s += terms.Scalar[k] * terms.P[k][i];
    Out[i] = ScaleOne(s, *this);
  }
}

}  // namespace PixelDetail
