// Rotation by inverse mapping on AVX2 processors: eight work pixels at a time, the source points computed
// with the same double arithmetic as the plain loop and fetched with one gather.
#include <immintrin.h>

#include <cstdint>

#include "chart/ChartPixelWide.h"

namespace RotateDetail {

namespace {
__attribute__((target("avx2"))) inline __m256d RoundEven(__m256d V, __m256d Magic) {
  return _mm256_sub_pd(_mm256_add_pd(V, Magic), Magic);
}
}  // namespace

bool WideAvailable() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has && ChartWidePaths;
}

// Fills work pixels First.. of the range First..Last-1 in blocks of eight and returns the first pixel
// it left to the caller (the range's last pixels, and any block that reaches the source's final bytes).
// A block also writes the background over the three pixels after it.
__attribute__((target("avx2"))) int RotateRowWide(uint8_t* Dst, int First, int Last, int DW, int HalfDW, double Co, double Si, double YSi,
                                                  double YCo, double HalfW, double HalfH, int W, int H, int Stride,
                                                  const uint8_t* Base, int LastWide, uint32_t Background) {
  const __m256d co = _mm256_set1_pd(Co), si = _mm256_set1_pd(Si), ysi = _mm256_set1_pd(YSi),
                yco = _mm256_set1_pd(YCo), hw = _mm256_set1_pd(HalfW), hh = _mm256_set1_pd(HalfH),
                magic = _mm256_set1_pd(6755399441055744.0), four = _mm256_set1_pd(4);
  const __m256i wv = _mm256_set1_epi32(W), hv = _mm256_set1_epi32(H), minus1 = _mm256_set1_epi32(-1),
                stride = _mm256_set1_epi32(Stride), last = _mm256_set1_epi32(LastWide),
                bg = _mm256_set1_epi32(static_cast<int>(Background));
  const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0, 1, 2, 4, 5, 6, 8,
                                        9, 10, 12, 13, 14, -1, -1, -1, -1);
  const __m256i order = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
  // The background repeated pixel after pixel: the eight bytes stored past a block's 24 keep it.
  alignas(32) uint8_t pattern[32];
  for (int i = 0; i < 32; ++i) pattern[i] = static_cast<uint8_t>(Background >> (8 * (i % 3)));
  const __m256i fill = _mm256_load_si256(reinterpret_cast<const __m256i*>(pattern));
  int c = First;
  for (; c + 8 <= Last && c + 11 <= DW; c += 8) {
    const double x0 = static_cast<double>(c - HalfDW);
    const __m256d xl = _mm256_setr_pd(x0, x0 + 1, x0 + 2, x0 + 3), xh = _mm256_add_pd(xl, four);
    // ((x * Co - YSi) + HalfW) and ((x * Si + YCo) + HalfH), each step rounded as the plain loop rounds.
    const __m256d fxl = RoundEven(_mm256_add_pd(_mm256_sub_pd(_mm256_mul_pd(xl, co), ysi), hw), magic);
    const __m256d fxh = RoundEven(_mm256_add_pd(_mm256_sub_pd(_mm256_mul_pd(xh, co), ysi), hw), magic);
    const __m256d fyl = RoundEven(_mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(xl, si), yco), hh), magic);
    const __m256d fyh = RoundEven(_mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(xh, si), yco), hh), magic);
    const __m256i sx = _mm256_setr_m128i(_mm256_cvttpd_epi32(fxl), _mm256_cvttpd_epi32(fxh));
    const __m256i sy = _mm256_setr_m128i(_mm256_cvttpd_epi32(fyl), _mm256_cvttpd_epi32(fyh));
    const __m256i inside = _mm256_and_si256(_mm256_and_si256(_mm256_cmpgt_epi32(wv, sx), _mm256_cmpgt_epi32(sx, minus1)),
                                            _mm256_and_si256(_mm256_cmpgt_epi32(hv, sy), _mm256_cmpgt_epi32(sy, minus1)));
    const __m256i off = _mm256_add_epi32(_mm256_mullo_epi32(sy, stride), _mm256_add_epi32(sx, _mm256_add_epi32(sx, sx)));
    // A four-byte fetch of the source's very last pixels would read past the picture: leave those.
    if (_mm256_movemask_epi8(_mm256_and_si256(inside, _mm256_cmpgt_epi32(off, last)))) break;
    const __m256i px = _mm256_mask_i32gather_epi32(bg, reinterpret_cast<const int*>(Base), off, inside, 1);
    const __m256i bytes = _mm256_blend_epi32(_mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(px, pack), order), fill, 0xC0);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Dst + 3 * c), bytes);  // 24 bytes, then background
  }
  return c;
}

}  // namespace RotateDetail
