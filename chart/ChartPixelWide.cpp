// Fast forms of the byte-wise filters, with exactly the results of their definitions: channel shifts by
// saturating byte arithmetic (AVX2), byte maps through a table of byte pairs, and 3 x 3 convolutions
// whose weights are whole multiples of 1/8 through exact 16-bit integer sums.
#include "chart/ChartPixelWide.h"

#include <immintrin.h>

#include <cmath>
#include <cstring>

bool ChartWidePaths = true;

namespace PixelDetail {

namespace {

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has && ChartWidePaths;
}

bool HasVbmi() {
  static const bool has = __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw");
  return has && ChartWidePaths;
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
      Negate = ScaledFactor < 0;
      return true;
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

bool IntegerConvolution::IsBox() const {
  for (int k : {0, 1, 2, 3, 5, 6, 7, 8})
    if (Weights[k] != Weights[0]) return false;
  return true;
}

void IntegerConvolution::Prefetch(const uint8_t* From, int Count) {
  for (int i = 0; i < Count; i += 64) _mm_prefetch(reinterpret_cast<const char*>(From + i), _MM_HINT_T0);
}

__attribute__((target("avx2"))) void IntegerConvolution::Widen(const uint8_t* From, int16_t* To, int Count) {
  int i = 0;
  for (; i + 16 <= Count; i += 16)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(To + i),
                        _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(From + i))));
  for (; i < Count; ++i) To[i] = From[i];
}

__attribute__((target("avx2"))) void IntegerConvolution::RowSums(const int16_t* Row, int16_t* To, int Count) {
  int i = 0;
  for (; i + 16 <= Count; i += 16) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Row + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Row + i + 3));
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Row + i + 6));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(To + i), _mm256_add_epi16(_mm256_add_epi16(a, b), c));
  }
  for (; i < Count; ++i) To[i] = static_cast<int16_t>(Row[i] + Row[i + 3] + Row[i + 6]);
}

namespace {

// Eight 32-bit sums times the factor in Double (exact), rounded half to even.
__attribute__((target("avx2"))) inline __m256i ScaleDoubleEight(__m256i V, __m256d F) {
  const __m128i a = _mm256_cvtpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(V)), F));
  const __m128i b = _mm256_cvtpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(V, 1)), F));
  return _mm256_inserti128_si256(_mm256_castsi128_si256(a), b, 1);
}

// How sums become results, fixed for a whole call so that the loops hold no choices.
struct TScale {
  __m256i Bias, One;
  __m128i Shift;
  __m256 Single;
  __m256d Double;
};

__attribute__((target("avx2"))) inline TScale ScaleOf(const IntegerConvolution& C) {
  TScale t;
  t.Bias = _mm256_set1_epi16(static_cast<int16_t>(C.Shift > 0 ? (1 << (C.Shift - 1)) - 1 : 0));
  t.One = _mm256_set1_epi16(C.Shift > 0 ? 1 : 0);  // no shift: the sum itself, nothing to round
  t.Shift = _mm_cvtsi32_si128(C.Shift);
  t.Single = _mm256_set1_ps(C.ScaledFactor);
  t.Double = _mm256_set1_pd(C.ScaledFactor);
  return t;
}

// Sixteen sums (in natural order) scaled and rounded to sixteen 16-bit results, in natural order.
template <int Mode>
__attribute__((target("avx2"))) inline __m256i ScaleSixteen(__m256i S, const TScale& T) {
  if constexpr (Mode == 0 || Mode == 1) {
    // A power of two: half to even is (t + half - 1 + (floor(t / 2^k) and 1)) shifted right by k,
    // saturating on the way (a saturated sum is far above 255 either way). Mode 1 negates first.
    const __m256i t = Mode == 1 ? _mm256_sub_epi16(_mm256_setzero_si256(), S) : S;
    const __m256i odd = _mm256_and_si256(_mm256_sra_epi16(t, T.Shift), T.One);
    return _mm256_sra_epi16(_mm256_adds_epi16(_mm256_adds_epi16(t, T.Bias), odd), T.Shift);
  } else {
    const __m256i lo = _mm256_cvtepi16_epi32(_mm256_castsi256_si128(S));
    const __m256i hi = _mm256_cvtepi16_epi32(_mm256_extracti128_si256(S, 1));
    __m256i rl, rh;
    if constexpr (Mode == 2) {
      rl = _mm256_cvtps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(lo), T.Single));
      rh = _mm256_cvtps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(hi), T.Single));
    } else {
      rl = ScaleDoubleEight(lo, T.Double);
      rh = ScaleDoubleEight(hi, T.Double);
    }
    return _mm256_permute4x64_epi64(_mm256_packs_epi32(rl, rh), 0xD8);
  }
}

// Thirty-two 16-bit results to bytes, clamped to 0..255 by the saturating pack.
__attribute__((target("avx2"))) inline void StoreBytes(uint8_t* Out, __m256i A, __m256i B) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(Out), _mm256_permute4x64_epi64(_mm256_packus_epi16(A, B), 0xD8));
}

inline uint8_t ScaleOne(int S, const IntegerConvolution& C) {
  const double v = std::nearbyint(static_cast<double>(S) * static_cast<double>(C.ScaledFactor));
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

inline __attribute__((target("avx2"))) __m256i Load(const int16_t* P) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(P));
}

int ModeOf(const IntegerConvolution& C) {
  if (C.Scaling == IntegerConvolution::scShift) return C.Negate ? 1 : 0;
  return C.Scaling == IntegerConvolution::scSingle ? 2 : 3;
}

struct TTerm16 {
  const int16_t* P;
  int16_t W;
};

// The non-zero terms only; weights of 1 and -1 add or subtract without a multiplication.
template <int Mode>
__attribute__((target("avx2"))) int LineOf(const TTerm16* Terms, int N, const TScale& T, uint8_t* Out, int Count) {
  int i = 0;
  for (; i + 32 <= Count; i += 32) {
    __m256i s[2] = {_mm256_setzero_si256(), _mm256_setzero_si256()};
    for (int t = 0; t < N; ++t) {
      const int16_t w = Terms[t].W;
      for (int h = 0; h < 2; ++h) {
        const __m256i v = Load(Terms[t].P + i + 16 * h);
        if (w == 1)
          s[h] = _mm256_add_epi16(s[h], v);
        else if (w == -1)
          s[h] = _mm256_sub_epi16(s[h], v);
        else
          s[h] = _mm256_add_epi16(s[h], _mm256_mullo_epi16(v, _mm256_set1_epi16(w)));
      }
    }
    StoreBytes(Out + i, ScaleSixteen<Mode>(s[0], T), ScaleSixteen<Mode>(s[1], T));
  }
  return i;
}

template <int Mode>
__attribute__((target("avx2"))) int LineBoxOf(int16_t A, int16_t D, const int16_t* SumAbove, const int16_t* SumHere,
                                              const int16_t* SumBelow, const int16_t* Centre, const TScale& T,
                                              uint8_t* Out, int Count) {
  const __m256i av = _mm256_set1_epi16(A), dv = _mm256_set1_epi16(D);
  int i = 0;
  for (; i + 32 <= Count; i += 32) {
    __m256i s[2];
    for (int h = 0; h < 2; ++h) {
      const int j = i + 16 * h;
      __m256i box = _mm256_add_epi16(_mm256_add_epi16(Load(SumAbove + j), Load(SumHere + j)), Load(SumBelow + j));
      if (A == -1)
        box = _mm256_sub_epi16(_mm256_setzero_si256(), box);
      else if (A != 1)
        box = _mm256_mullo_epi16(box, av);
      s[h] = _mm256_add_epi16(box, _mm256_mullo_epi16(Load(Centre + j), dv));
    }
    StoreBytes(Out + i, ScaleSixteen<Mode>(s[0], T), ScaleSixteen<Mode>(s[1], T));
  }
  return i;
}

}  // namespace

__attribute__((target("avx2"))) void IntegerConvolution::Line(const int16_t* Above, const int16_t* Here,
                                                              const int16_t* Below, uint8_t* Out, int Count) const {
  const int16_t* rows[3] = {Above, Here, Below};
  TTerm16 terms[9];
  int n = 0;
  for (int k = 0; k < 9; ++k)
    if (Weights[k] != 0) terms[n++] = {rows[k / 3] + 3 * (k % 3 - 1), Weights[k]};
  const TScale t = ScaleOf(*this);
  int i = 0;
  switch (ModeOf(*this)) {
    case 0: i = LineOf<0>(terms, n, t, Out, Count); break;
    case 1: i = LineOf<1>(terms, n, t, Out, Count); break;
    case 2: i = LineOf<2>(terms, n, t, Out, Count); break;
    default: i = LineOf<3>(terms, n, t, Out, Count); break;
  }
  for (; i < Count; ++i) {
    int s = 0;
    for (int k = 0; k < n; ++k) s += terms[k].W * terms[k].P[i];
    Out[i] = ScaleOne(s, *this);
  }
}

// Sums wrap in 16 bits on the way (a * box may pass 32767 before the centre's difference comes off);
// the final sum fits, and wrapping arithmetic gives it exactly.
__attribute__((target("avx2"))) void IntegerConvolution::LineBox(const int16_t* SumAbove, const int16_t* SumHere,
                                                                 const int16_t* SumBelow, const int16_t* Centre,
                                                                 uint8_t* Out, int Count) const {
  const int16_t a = Weights[0], d = static_cast<int16_t>(Weights[4] - Weights[0]);
  const TScale t = ScaleOf(*this);
  int i = 0;
  switch (ModeOf(*this)) {
    case 0: i = LineBoxOf<0>(a, d, SumAbove, SumHere, SumBelow, Centre, t, Out, Count); break;
    case 1: i = LineBoxOf<1>(a, d, SumAbove, SumHere, SumBelow, Centre, t, Out, Count); break;
    case 2: i = LineBoxOf<2>(a, d, SumAbove, SumHere, SumBelow, Centre, t, Out, Count); break;
    default: i = LineBoxOf<3>(a, d, SumAbove, SumHere, SumBelow, Centre, t, Out, Count); break;
  }
  for (; i < Count; ++i) {
    const int s = static_cast<int16_t>(a * (SumAbove[i] + SumHere[i] + SumBelow[i]) + d * Centre[i]);
    Out[i] = ScaleOne(s, *this);
  }
}

}  // namespace PixelDetail
