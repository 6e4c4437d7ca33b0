// The resampling passes on AVX2 processors: the same integer sums as the plain passes, in another order.
//
// Horizontal pass: eight source rows at a time are turned into columns of 24 channel values (8 rows x
// blue, green, red) as 16-bit numbers, each column interleaved with its right neighbour, so that one
// multiply-add instruction applies two neighbouring weights to all 24 values. Vertical pass: two work
// rows interleaved the same way, 16 channel bytes at a time. Weights fit 16 bits (|w| <= 1024 for the
// library's kernels; lists with larger weights take the plain passes).
#include <immintrin.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "chart/ChartPixelWide.h"
#include "chart/ChartResample.h"

namespace ResampleDetail {
void ResampleRowsPlain(const uint8_t* Src, int SrcStride, int Rows, uint8_t* Dst, int DstStride,
                       const std::vector<TContributorList>& Lists);
void ResampleColumnsPlain(const uint8_t* Src, int SrcStride, int Columns, uint8_t* Dst, int DstStride,
                          const std::vector<TContributorList>& Lists);

namespace {

// Weights w0 and w1 for the source indices P and P + 1, packed as two 16-bit numbers.
struct TPairOp {
  int32_t P;
  int32_t Weights;
};

inline int32_t PackWeights(int32_t W0, int32_t W1) {
  return static_cast<int32_t>((static_cast<uint32_t>(W0) & 0xFFFFu) | (static_cast<uint32_t>(W1) << 16));
}

bool WeightsFit(const std::vector<TContributorList>& Lists) {
  for (const auto& l : Lists)
    for (const auto& e : l)
      if (e.Weight > 32767 || e.Weight < -32768) return false;
  return true;
}

// A list as pair operations: a run of increasing indices becomes pairs of neighbours (gaps weigh 0);
// anything else (mirrored edges, indices held at the edge) one operation per entry.
std::vector<TPairOp> PairOps(const TContributorList& L) {
  std::vector<TPairOp> ops;
  bool increasing = !L.empty();
  for (size_t i = 1; i < L.size(); ++i) increasing = increasing && L[i].Pixel > L[i - 1].Pixel;
  if (increasing && L.back().Pixel - L.front().Pixel + 1 <= static_cast<int>(2 * L.size() + 2)) {
    const int first = L.front().Pixel, span = L.back().Pixel - first + 1;
    std::vector<int32_t> dense(static_cast<size_t>(span + 1), 0);
    for (const auto& e : L) dense[static_cast<size_t>(e.Pixel - first)] = e.Weight;
    for (int k = 0; k < span; k += 2)
      ops.push_back({first + k, PackWeights(dense[static_cast<size_t>(k)], dense[static_cast<size_t>(k + 1)])});
    return ops;
  }
  for (const auto& e : L) ops.push_back({e.Pixel, PackWeights(e.Weight, 0)});
  return ops;
}

}  // namespace

bool WideAvailable() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has && ChartWidePaths;
}

__attribute__((target("avx2"))) void ResampleRowsWide(const uint8_t* Src, int SrcStride, int SrcWidth, int Rows,
                                                      uint8_t* Dst, int DstStride,
                                                      const std::vector<TContributorList>& Lists) {
  if (!WeightsFit(Lists)) {
    ResampleRowsPlain(Src, SrcStride, Rows, Dst, DstStride, Lists);
    return;
  }
  const int dstW = static_cast<int>(Lists.size());
  std::vector<std::vector<TPairOp>> ops(Lists.size());
  for (size_t i = 0; i < Lists.size(); ++i) {
    ops[i] = PairOps(Lists[i]);
    // An operation on the last column also reads the one after it, which is kept at zero below.
  }
  // Per source column: 24 values as 16-bit numbers, then columns P and P + 1 interleaved (3 x 32 bytes).
  std::vector<int16_t> cols(static_cast<size_t>(SrcWidth + 1) * 24, 0);
  std::vector<int16_t> pairStore(static_cast<size_t>(SrcWidth) * 48 + 16);
  auto* pairs = reinterpret_cast<__m256i*>((reinterpret_cast<uintptr_t>(pairStore.data()) + 31) & ~uintptr_t(31));
  const __m256i zero = _mm256_setzero_si256(), top = _mm256_set1_epi32(255);
  const __m256i order = _mm256_setr_epi32(0, 1, 4, 5, 2, 6, 3, 7);
  alignas(32) uint8_t out[32];
  const int strips = Rows / 8;
  for (int s = 0; s < strips; ++s) {
    const uint8_t* rows[8];
    for (int r = 0; r < 8; ++r) rows[r] = Src + static_cast<ptrdiff_t>(8 * s + r) * SrcStride;
    for (int j = 0; j < SrcWidth; ++j) {
      int16_t* c = &cols[static_cast<size_t>(j) * 24];
      for (int r = 0; r < 8; ++r) {
        const uint8_t* p = rows[r] + 3 * j;
        c[3 * r] = p[0];
        c[3 * r + 1] = p[1];
        c[3 * r + 2] = p[2];
      }
    }
    for (int j = 0; j < SrcWidth; ++j) {
      const int16_t* a = &cols[static_cast<size_t>(j) * 24];
      const int16_t* b = a + 24;
      const __m256i a16 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a));
      const __m256i b16 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b));
      const __m128i a8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 16));
      const __m128i b8 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 16));
      __m256i* d = &pairs[static_cast<size_t>(j) * 3];
      d[0] = _mm256_unpacklo_epi16(a16, b16);  // values 0..3 | 8..11
      d[1] = _mm256_unpackhi_epi16(a16, b16);  // values 4..7 | 12..15
      d[2] = _mm256_setr_m128i(_mm_unpacklo_epi16(a8, b8), _mm_unpackhi_epi16(a8, b8));  // 16..23
    }
    for (int x = 0; x < dstW; ++x) {
      __m256i acc0 = zero, acc1 = zero, acc2 = zero;
      for (const TPairOp& op : ops[static_cast<size_t>(x)]) {
        const __m256i w = _mm256_set1_epi32(op.Weights);
        const __m256i* p = &pairs[static_cast<size_t>(op.P) * 3];
        acc0 = _mm256_add_epi32(acc0, _mm256_madd_epi16(p[0], w));
        acc1 = _mm256_add_epi32(acc1, _mm256_madd_epi16(p[1], w));
        acc2 = _mm256_add_epi32(acc2, _mm256_madd_epi16(p[2], w));
      }
      // 255 from 256 * 1024 up, 0 below 0, else the sum / 1024.
      acc0 = _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(acc0, 10), zero), top);
      acc1 = _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(acc1, 10), zero), top);
      acc2 = _mm256_min_epi32(_mm256_max_epi32(_mm256_srai_epi32(acc2, 10), zero), top);
      const __m256i v01 = _mm256_packs_epi32(acc0, acc1);  // values 0..7 | 8..15
      const __m256i v2 = _mm256_packs_epi32(acc2, acc2);   // 16..19 x2 | 20..23 x2
      const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(v01, v2), order);
      _mm256_store_si256(reinterpret_cast<__m256i*>(out), bytes);
      for (int r = 0; r < 8; ++r)  // four bytes: the fourth is overwritten by the next column or padding
        std::memcpy(Dst + static_cast<ptrdiff_t>(8 * s + r) * DstStride + 3 * x, out + 3 * r, 4);
    }
  }
  const int done = strips * 8;
  if (done < Rows)
    ResampleRowsPlain(Src + static_cast<ptrdiff_t>(done) * SrcStride, SrcStride, Rows - done,
                      Dst + static_cast<ptrdiff_t>(done) * DstStride, DstStride, Lists);
}

__attribute__((target("avx2"))) void ResampleColumnsWide(const uint8_t* Src, int SrcStride, int Columns,
                                                         uint8_t* Dst, int DstStride,
                                                         const std::vector<TContributorList>& Lists) {
  if (!WeightsFit(Lists)) {
    ResampleColumnsPlain(Src, SrcStride, Columns, Dst, DstStride, Lists);
    return;
  }
  const int bytes = 3 * Columns;
  const int whole = bytes / 16 * 16;
  std::vector<uint8_t> zeros(static_cast<size_t>(bytes) + 32, 0);
  struct TRowPair {
    const uint8_t* A;
    const uint8_t* B;
    int32_t Weights;
  };
  std::vector<TRowPair> ops;
  const __m256i zero = _mm256_setzero_si256();
  for (size_t y = 0; y < Lists.size(); ++y) {
    const TContributorList& l = Lists[y];
    ops.clear();
    for (size_t k = 0; k < l.size(); k += 2) {
      const uint8_t* a = Src + static_cast<ptrdiff_t>(l[k].Pixel) * SrcStride;
      if (k + 1 < l.size())
        ops.push_back({a, Src + static_cast<ptrdiff_t>(l[k + 1].Pixel) * SrcStride, PackWeights(l[k].Weight, l[k + 1].Weight)});
      else
        ops.push_back({a, zeros.data(), PackWeights(l[k].Weight, 0)});
    }
    uint8_t* d = Dst + static_cast<ptrdiff_t>(y) * DstStride;
    for (int i = 0; i < whole; i += 16) {
      __m256i lo = zero, hi = zero;
      for (const TRowPair& op : ops) {
        const __m256i w = _mm256_set1_epi32(op.Weights);
        const __m256i a = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(op.A + i)));
        const __m256i b = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(op.B + i)));
        lo = _mm256_add_epi32(lo, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), w));
        hi = _mm256_add_epi32(hi, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), w));
      }
      // Saturating packs give 255 for sums from 256 * 1024 up and 0 for negative ones.
      const __m256i v = _mm256_packs_epi32(_mm256_srai_epi32(lo, 10), _mm256_srai_epi32(hi, 10));  // 0..15
      const __m256i b8 = _mm256_permute4x64_epi64(_mm256_packus_epi16(v, v), 0x08);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm256_castsi256_si128(b8));
    }
    for (int i = whole; i < bytes; ++i) {
      int32_t v = 0;
      for (const auto& e : l) v += e.Weight * Src[static_cast<ptrdiff_t>(e.Pixel) * SrcStride + i];
      d[i] = static_cast<uint8_t>(v >= 262144 ? 255 : (v < 0 ? 0 : v >> 10));
    }
  }
}

}  // namespace ResampleDetail
