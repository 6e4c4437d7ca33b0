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
    int sum = 0;
    for (int k = 0; k < 9; ++k) {
      const float v = W[k] * static_cast<float>(m);
      whole = whole && v == std::nearbyint(v) && std::fabs(v) <= 127;
      if (whole) Weights[k] = static_cast<int16_t>(v);
      if (whole) sum += std::abs(Weights[k]) * 255;
    }
    // Every partial sum stays inside 16 bits, and the Single sum of the definition is exact too.
    if (whole && sum <= 32767) {
      ScaledFactor = Factor / static_cast<float>(m);  // exact: m is a power of two
      return true;
    }
  }
  return false;
}

namespace {
struct TTerm {
  const int16_t* P;
  int16_t W;
};
}  // namespace

__attribute__((target("avx2"))) void IntegerConvolution::Line(const int16_t* Above, const int16_t* Here,
                                                              const int16_t* Below, uint8_t* Out, int Count) const {
  const int16_t* rows[3] = {Above, Here, Below};
  TTerm terms[9];
  int n = 0;
  for (int k = 0; k < 9; ++k)
    if (Weights[k] != 0) terms[n++] = {rows[k / 3] + 3 * (k % 3 - 1), Weights[k]};
  const __m256 f = _mm256_set1_ps(ScaledFactor);
  int i = 0;
  for (; i + 16 <= Count; i += 16) {
    __m256i s = _mm256_setzero_si256();
    for (int t = 0; t < n; ++t) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(terms[t].P + i));
      if (terms[t].W == 1)
        s = _mm256_add_epi16(s, v);
      else if (terms[t].W == -1)
        s = _mm256_sub_epi16(s, v);
      else
        s = _mm256_add_epi16(s, _mm256_mullo_epi16(v, _mm256_set1_epi16(terms[t].W)));
    }
    // Sum times the factor in Single, rounded half to even, clamped by the saturating packs.
    const __m256i lo = _mm256_cvtps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(_mm256_castsi256_si128(s))), f));
    const __m256i hi = _mm256_cvtps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(_mm256_extracti128_si256(s, 1))), f));
    const __m256i w = _mm256_permute4x64_epi64(_mm256_packs_epi32(lo, hi), 0xD8);
    const __m256i b = _mm256_permute4x64_epi64(_mm256_packus_epi16(w, w), 0x08);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + i), _mm256_castsi256_si128(b));
  }
  for (; i < Count; ++i) {
    int s = 0;
    for (int t = 0; t < n; ++t) s += terms[t].W * terms[t].P[i];
    const float v = std::nearbyint(static_cast<float>(s) * ScaledFactor);
    Out[i] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
  }
}

bool IntegerConvolution::IsBox() const {
  for (int k : {0, 1, 2, 3, 5, 6, 7, 8})
    if (Weights[k] != Weights[0]) return false;
  return Weights[0] != 0;
}

// Sums wrap in 16 bits on the way (a * box may pass 32767 before the centre's difference comes off);
// the final sum fits, and wrapping arithmetic gives it exactly.
__attribute__((target("avx2"))) void IntegerConvolution::LineBox(const int16_t* SumAbove, const int16_t* SumHere,
                                                                 const int16_t* SumBelow, const int16_t* Centre,
                                                                 uint8_t* Out, int Count) const {
  const int16_t a = Weights[0], d = static_cast<int16_t>(Weights[4] - Weights[0]);
  const __m256i av = _mm256_set1_epi16(a), dv = _mm256_set1_epi16(d);
  const __m256 f = _mm256_set1_ps(ScaledFactor);
  int i = 0;
  for (; i + 16 <= Count; i += 16) {
    __m256i box = _mm256_add_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(SumAbove + i)),
                                   _mm256_loadu_si256(reinterpret_cast<const __m256i*>(SumHere + i)));
    box = _mm256_add_epi16(box, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(SumBelow + i)));
    if (a != 1) box = _mm256_mullo_epi16(box, av);
    const __m256i s =
        _mm256_add_epi16(box, _mm256_mullo_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(Centre + i)), dv));
    const __m256i lo = _mm256_cvtps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(_mm256_castsi256_si128(s))), f));
    const __m256i hi = _mm256_cvtps_epi32(_mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_cvtepi16_epi32(_mm256_extracti128_si256(s, 1))), f));
    const __m256i w = _mm256_permute4x64_epi64(_mm256_packs_epi32(lo, hi), 0xD8);
    const __m256i b = _mm256_permute4x64_epi64(_mm256_packus_epi16(w, w), 0x08);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + i), _mm256_castsi256_si128(b));
  }
  for (; i < Count; ++i) {
    const int s = static_cast<int16_t>(a * (SumAbove[i] + SumHere[i] + SumBelow[i]) + d * Centre[i]);
    const float v = std::nearbyint(static_cast<float>(s) * ScaledFactor);
    Out[i] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
  }
}

}  // namespace PixelDetail
