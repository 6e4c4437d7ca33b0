// Pixel routines and drawing routines of the effects bitmap, and the tables that choose between them.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "effects/EffectsBitmap.h"
#include "effects/EffectsProbes.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// ---------------------------------------------------------------------------------------------------------
// Pixel routines

int EffectsWidestVectors = 512;

std::uint32_t PlainBlendPixel(std::uint32_t s, std::uint32_t d) {
  const std::uint32_t a = s >> 24;
  if (a == 255) return s;
  if (a == 0) return d;
  const std::uint32_t na = 255 - a;
  const std::uint32_t b = ((s & 0xFF) * a + (d & 0xFF) * na) >> 8;
  const std::uint32_t g = (((s >> 8) & 0xFF) * a + ((d >> 8) & 0xFF) * na) >> 8;
  const std::uint32_t r = (((s >> 16) & 0xFF) * a + ((d >> 16) & 0xFF) * na) >> 8;
  return 0xFF000000u | r << 16 | g << 8 | b;
}

void PlainBlendRow(const std::uint32_t* src, std::uint32_t* dst, int count) {
  for (int i = 0; i < count; ++i) dst[i] = PlainBlendPixel(src[i], dst[i]);
}

std::uint32_t MMXBlendPixel(std::uint32_t s, std::uint32_t d) {
  const std::uint32_t a = s >> 24;
  std::uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
    result |= ((sc * a + dc * (256 - a)) >> 8) << shift;
  }
  return result;
}

namespace {
inline std::uint32_t MMXBlendOrCopy(std::uint32_t s, std::uint32_t d) {
  const std::uint32_t a = s >> 24;
  if (a == 0) return d;
  if (a == 255) return s;
  return MMXBlendPixel(s, d);
}
}  // namespace

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define EFFECTS_AVX2 1

namespace {

// The same lanes eight pixels at a time, on processors that have AVX2. Each 16-bit lane holds one
// channel: blue and red in the even lanes (masked), green and alpha in the odd ones (shifted down), so
// only the alpha needs a byte shuffle. Each lane takes d * 256 + (s - d) * a, the same value as
// s * a + d * (256 - a) with one multiplication instead of two: it wraps in 16 bits on the way, but the
// true value lies in 0..65280, so its high byte is the result. Alpha 255 is taken as 256, where the
// formula gives the source exactly, and alpha 0 gives the destination by the formula itself, so no
// per-pixel choice is needed.
__attribute__((target("avx2"))) inline __m256i BlendEight(__m256i s, __m256i d) {
  const __m256i spread = _mm256_setr_epi8(3, -128, 3, -128, 7, -128, 7, -128, 11, -128, 11, -128, 15, -128, 15, -128,  //
                                          3, -128, 3, -128, 7, -128, 7, -128, 11, -128, 11, -128, 15, -128, 15, -128);
  const __m256i c255 = _mm256_set1_epi16(255);
  const __m256i low = _mm256_set1_epi16(0x00FF), high = _mm256_set1_epi16(static_cast<short>(0xFF00));
  __m256i a = _mm256_shuffle_epi8(s, spread);
  a = _mm256_sub_epi16(a, _mm256_cmpeq_epi16(a, c255));
  const __m256i rE = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_sub_epi16(_mm256_and_si256(s, low),
                                                                          _mm256_and_si256(d, low)), a),
                                      _mm256_slli_epi16(d, 8));
  const __m256i rO = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_sub_epi16(_mm256_srli_epi16(s, 8),
                                                                          _mm256_srli_epi16(d, 8)), a),
                                      _mm256_and_si256(d, high));
  return _mm256_or_si256(_mm256_srli_epi16(rE, 8), _mm256_and_si256(rO, high));
}

// Whole rows sixteen pixels a step with no test per pixel or per block (a transparent pixel is written
// back unchanged). Returns how many pixels it did.
__attribute__((target("avx2"))) int MMXBlendRowWide(const std::uint32_t* src, std::uint32_t* dst, int count) {
  int i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m256i s0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    const __m256i s1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i + 8));
    const __m256i d0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
    const __m256i d1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i + 8));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), BlendEight(s0, d0));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i + 8), BlendEight(s1, d1));
  }
  for (; i + 8 <= count; i += 8) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), BlendEight(s, d));
  }
  return i;
}

#define EFFECTS_AVX512 __attribute__((target("avx512f,avx512bw")))

// The same lanes sixteen pixels at a time. The alpha-255 fix and the final merge are one masked add and
// one three-way logic operation.
EFFECTS_AVX512 inline __m512i BlendSixteen(__m512i s, __m512i d) {
  const __m512i spread = _mm512_set4_epi32(int(0x800F800F), int(0x800B800B), int(0x80078007), int(0x80038003));
  const __m512i low = _mm512_set1_epi16(0x00FF), high = _mm512_set1_epi16(static_cast<short>(0xFF00));
  __m512i a = _mm512_shuffle_epi8(s, spread);
  a = _mm512_mask_add_epi16(a, _mm512_cmpeq_epi16_mask(a, low), a, _mm512_set1_epi16(1));
  const __m512i rE = _mm512_add_epi16(_mm512_mullo_epi16(_mm512_sub_epi16(_mm512_and_si512(s, low),
                                                                          _mm512_and_si512(d, low)), a),
                                      _mm512_slli_epi16(d, 8));
  const __m512i rO = _mm512_add_epi16(_mm512_mullo_epi16(_mm512_sub_epi16(_mm512_srli_epi16(s, 8),
                                                                          _mm512_srli_epi16(d, 8)), a),
                                      _mm512_and_si512(d, high));
  return _mm512_ternarylogic_epi32(_mm512_srli_epi16(rE, 8), rO, high, 0xF8);  // first | (second & third)
}

// The first N (1..16) pixels, the others neither read nor written.
EFFECTS_AVX512 inline void BlendPart(const std::uint32_t* src, std::uint32_t* dst, int n) {
  const __mmask16 m = static_cast<__mmask16>((1u << n) - 1);
  _mm512_mask_storeu_epi32(dst, m, BlendSixteen(_mm512_maskz_loadu_epi32(m, src), _mm512_maskz_loadu_epi32(m, dst)));
}

// A whole row: a masked block first so that the stores of the loop fall on whole cache lines (a store
// that splits two lines costs more than the blend), then 32 pixels a step and a masked block for the
// rest.
EFFECTS_AVX512 void MMXBlendRowWidest(const std::uint32_t* src, std::uint32_t* dst, int count) {
  int i = std::min(static_cast<int>((64 - (reinterpret_cast<std::uintptr_t>(dst) & 63)) / 4 & 15), count);
  if (i > 0) BlendPart(src, dst, i);
  for (; i + 32 <= count; i += 32) {
    // Four lines ahead: the loop is bound by the reads of both pictures, which the processor's own
    // prefetcher starts too late for at this pace.
    _mm_prefetch(reinterpret_cast<const char*>(src + i + 64), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(src + i + 80), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(dst + i + 64), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(dst + i + 80), _MM_HINT_T0);
    const __m512i s0 = _mm512_loadu_si512(src + i), s1 = _mm512_loadu_si512(src + i + 16);
    const __m512i d0 = _mm512_loadu_si512(dst + i), d1 = _mm512_loadu_si512(dst + i + 16);
    _mm512_storeu_si512(dst + i, BlendSixteen(s0, d0));
    _mm512_storeu_si512(dst + i + 16, BlendSixteen(s1, d1));
  }
  for (; i < count; i += 16) BlendPart(src + i, dst + i, std::min(16, count - i));
}

bool HasAVX2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has && EffectsWidestVectors >= 256;
}

bool HasAVX512() {
  static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  return has && EffectsWidestVectors >= 512;
}

}  // namespace
#endif

void MMXBlendRow(const std::uint32_t* src, std::uint32_t* dst, int count) {
  int i = 0;
#ifdef EFFECTS_AVX2
  if (count >= 16 && HasAVX512()) return MMXBlendRowWidest(src, dst, count);
  if (count >= 8 && HasAVX2()) i = MMXBlendRowWide(src, dst, count);
#endif
#if defined(__SSE2__)
  // Four pixels at a time in 16-bit lanes, as the MMX code did two at a time: dst * 256 + (src - dst) * a
  // wraps in 16 bits but its true value lies in 0..65280, so the logical shift gives the exact byte.
  const __m128i zero = _mm_setzero_si128();
  const __m128i all255 = _mm_set1_epi32(255);
  for (; i + 4 <= count; i += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i alpha = _mm_srli_epi32(s, 24);
    const __m128i is0 = _mm_cmpeq_epi32(alpha, zero);
    if (_mm_movemask_epi8(is0) == 0xFFFF) continue;
    const __m128i sLo = _mm_unpacklo_epi8(s, zero), sHi = _mm_unpackhi_epi8(s, zero);
    const __m128i dLo = _mm_unpacklo_epi8(d, zero), dHi = _mm_unpackhi_epi8(d, zero);
    const __m128i aLo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sLo, 0xFF), 0xFF);
    const __m128i aHi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sHi, 0xFF), 0xFF);
    const __m128i rLo = _mm_srli_epi16(
        _mm_add_epi16(_mm_slli_epi16(dLo, 8), _mm_mullo_epi16(_mm_sub_epi16(sLo, dLo), aLo)), 8);
    const __m128i rHi = _mm_srli_epi16(
        _mm_add_epi16(_mm_slli_epi16(dHi, 8), _mm_mullo_epi16(_mm_sub_epi16(sHi, dHi), aHi)), 8);
    __m128i r = _mm_packus_epi16(rLo, rHi);
    const __m128i is255 = _mm_cmpeq_epi32(alpha, all255);
    r = _mm_or_si128(_mm_andnot_si128(_mm_or_si128(is0, is255), r),
                     _mm_or_si128(_mm_and_si128(is0, d), _mm_and_si128(is255, s)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), r);
  }
#endif
  for (; i < count; ++i) dst[i] = MMXBlendOrCopy(src[i], dst[i]);
}

void KeyRow(const std::uint32_t* src, std::uint32_t* dst, int count) {
  for (int i = 0; i < count; ++i)
    if ((src[i] & 0xFFFFFF) != EffectsKeyColour) dst[i] = src[i] | 0xFF000000u;
}

void CopyRow(const std::uint32_t* src, std::uint32_t* dst, int count) {
  if (count < 1 || src == dst) return;
  std::memmove(dst, src, static_cast<std::size_t>(count) * sizeof(std::uint32_t));
}

namespace {

void FillRowImpl(std::uint32_t* row, int count, std::uint32_t value) {
  if (count < 1) return;
  std::fill(row, row + count, value);
}

void FillRectPixelsImpl(std::uint32_t* buffer, int stride, std::uint32_t value, int bottom, int right, int top,
                        int left) {
  for (int y = top; y <= bottom; ++y) FillRowImpl(buffer + static_cast<std::ptrdiff_t>(y) * stride + left, right - left + 1, value);
}

void SetAlphaRowImpl(std::uint32_t* row, int count, std::uint8_t alpha) {
  const std::uint32_t a = static_cast<std::uint32_t>(alpha) << 24;
  for (int i = 0; i < count; ++i) row[i] = (row[i] & 0xFFFFFF) | a;
}

void SetAlphaRectImpl(std::uint32_t* buffer, int stride, std::uint8_t alpha, int bottom, int right, int top,
                      int left) {
  for (int y = top; y <= bottom; ++y)
    SetAlphaRowImpl(buffer + static_cast<std::ptrdiff_t>(y) * stride + left, right - left + 1, alpha);
}

void ClearAlphaByColourImpl(std::uint32_t* row, int count, std::uint32_t colour) {
  const std::uint32_t key = colour & 0xFFFFFF;
  for (int i = 0; i < count; ++i)
    if ((row[i] & 0xFFFFFF) == key) row[i] &= 0xFFFFFF;
}

}  // namespace

// Plain variants until the unit's start-up has run, so nothing ever calls through a null entry.
TPixelRoutines PixelRoutines = {&PlainBlendPixel, &PlainBlendRow, &KeyRow, &CopyRow, &FillRowImpl,
                                &FillRectPixelsImpl, &SetAlphaRowImpl, &SetAlphaRectImpl, &ClearAlphaByColourImpl};

void InitPixelRoutines() {
  const bool mmx = EffectsProbes::HasMMX();
  PixelRoutines.BlendPixel = mmx ? &MMXBlendPixel : &PlainBlendPixel;
  PixelRoutines.BlendRow = mmx ? &MMXBlendRow : &PlainBlendRow;
  PixelRoutines.KeyRow = &KeyRow;
  PixelRoutines.CopyRow = &CopyRow;
  PixelRoutines.FillRow = &FillRowImpl;
  PixelRoutines.FillRectPixels = &FillRectPixelsImpl;
  PixelRoutines.SetAlphaRow = &SetAlphaRowImpl;
  PixelRoutines.SetAlphaRect = &SetAlphaRectImpl;
  PixelRoutines.ClearAlphaByColour = &ClearAlphaByColourImpl;
}

// ---------------------------------------------------------------------------------------------------------
// Stretching and copying between pixel buffers

namespace {

// Runs ClearMMXState when a stretch routine ends, however it ends.
struct TMMXStateGuard {
  ~TMMXStateGuard() { EffectsProbes::ClearMMXState(); }
};

// A destination: a top-down effects bitmap, or a bottom-up buffer whose image row y is buffer row H - 1 - y.
struct TTarget {
  std::uint32_t* Pixels;
  int Width;
  int Height;
  bool BottomUp;
  std::uint32_t* Row(int y) const {
    const int r = BottomUp ? Height - 1 - y : y;
    return Pixels + static_cast<std::ptrdiff_t>(r) * Width;
  }
};

struct TSource {
  const std::uint32_t* Pixels;
  int Width;
  int Height;
  const std::uint32_t* Row(int y) const { return Pixels + static_cast<std::ptrdiff_t>(y) * Width; }
};

bool Intersect(TRect& r, const TRect& a) {
  r.Left = std::max(r.Left, a.Left);
  r.Top = std::max(r.Top, a.Top);
  r.Right = std::min(r.Right, a.Right);
  r.Bottom = std::min(r.Bottom, a.Bottom);
  return r.Left < r.Right && r.Top < r.Bottom;
}

bool SourceInside(const TRect& S, const TSource& src) {
  return S.Left < S.Right && S.Top < S.Bottom && S.Left >= 0 && S.Top >= 0 && S.Right <= src.Width &&
         S.Bottom <= src.Height;
}

bool Usable(const TTarget& t) { return t.Pixels && t.Width > 0 && t.Height > 0; }
bool Usable(const TSource& s) { return s.Pixels && s.Width > 0 && s.Height > 0; }

TSource SourceOf(TEffectsBitmap* b) {
  if (!b || b->IsEmpty()) return {nullptr, 0, 0};
  return {b->Pixels(), b->PixelWidth(), b->PixelHeight()};
}

TTarget TargetOf(TEffectsBitmap* b) {
  if (!b || b->IsEmpty()) return {nullptr, 0, 0, false};
  return {b->Pixels(), b->PixelWidth(), b->PixelHeight(), false};
}

// The equal-size case: K (inside the target) from the source block starting at P (inside the source).
void CopyBlock(const TTarget& t, const TRect& K, const TPoint& P, const TSource& s, TDrawKind kind) {
  if (!Usable(t) || !Usable(s)) return;
  TRect k = K;
  if (!Intersect(k, TRect(0, 0, t.Width, t.Height)) || !(k == K)) return;
  const TRect from = Bounds(P.X, P.Y, K.Width(), K.Height());
  if (!SourceInside(from, s)) return;
  for (int j = 0; j < K.Height(); ++j) {
    const std::uint32_t* in = s.Row(P.Y + j) + P.X;
    std::uint32_t* out = t.Row(K.Top + j) + K.Left;
    switch (kind) {
      case dkCopy: PixelRoutines.CopyRow(in, out, K.Width()); break;
      case dkKey: PixelRoutines.KeyRow(in, out, K.Width()); break;
      case dkBlend: PixelRoutines.BlendRow(in, out, K.Width()); break;
    }
  }
}

// Source coordinate of destination offset n (from D's start) along one axis.
int MapCoord(long long n, float ratio, int sourceStart, bool round) {
  const long double v = static_cast<long double>(n) * ratio + sourceStart;
  return static_cast<int>(round ? std::nearbyint(v) : std::trunc(v));
}

// One axis' map for the destination range [k0, k1) of D = [d0, d1) from S = [s0, s1).
void AxisMap(std::vector<int>& map, int k0, int k1, int d0, int d1, int s0, int s1, bool round) {
  map.resize(static_cast<std::size_t>(k1 - k0));
  const long long dw = static_cast<long long>(d1) - d0;
  const long long sw = static_cast<long long>(s1) - s0;
  if (dw < 2) {
    std::fill(map.begin(), map.end(), static_cast<int>((static_cast<long long>(s0) + s1 - 1) / 2));
    return;
  }
  const float ratio = static_cast<float>(static_cast<long double>(sw - 1) / static_cast<long double>(dw - 1));
  for (int i = 0; i < k1 - k0; ++i) {
    const int v = MapCoord(static_cast<long long>(i) + k0 - d0, ratio, s0, round);
    // Single precision may land a hair past the last column; never read outside S.
    map[static_cast<std::size_t>(i)] = std::clamp(v, s0, s1 - 1);
  }
}

void Stretch(const TTarget& t, const TRect& D, const TRect& Kin, const TRect& S, const TSource& s, TDrawKind kind,
             bool round) {
  TMMXStateGuard guard;
  if (S.Right <= S.Left || S.Bottom <= S.Top) return;
  if (!Usable(t) || !Usable(s)) return;
  TRect K = Kin;
  if (!Intersect(K, TRect(0, 0, t.Width, t.Height)) || !Intersect(K, D)) return;
  if (!SourceInside(S, s)) return;

  const long long dw = static_cast<long long>(D.Right) - D.Left, dh = static_cast<long long>(D.Bottom) - D.Top;
  if (dw == S.Width() && dh == S.Height()) {
    CopyBlock(t, K, TPoint(S.Left + K.Left - D.Left, S.Top + K.Top - D.Top), s, kind);
    return;
  }

  std::vector<int> xs;
  AxisMap(xs, K.Left, K.Right, D.Left, D.Right, S.Left, S.Right, round);
  const int kw = K.Width();
  std::vector<int> ys;
  if (kind == dkCopy) {
    AxisMap(ys, K.Top, K.Bottom, D.Top, D.Bottom, S.Top, S.Bottom, round);
    for (int j = 0; j < K.Height(); ++j) {
      std::uint32_t* out = t.Row(K.Top + j) + K.Left;
      if (j > 0 && ys[j] == ys[j - 1]) {
        PixelRoutines.CopyRow(t.Row(K.Top + j - 1) + K.Left, out, kw);
        continue;
      }
      const std::uint32_t* in = s.Row(ys[j]);
      for (int i = 0; i < kw; ++i) out[i] = in[xs[i]];
    }
    return;
  }

  std::vector<std::uint32_t> gathered(static_cast<std::size_t>(kw));
  int gatheredY = -1;
  std::vector<int> one;
  for (int j = 0; j < K.Height(); ++j) {
    // The row's mapping is floating point: leave the MMX state first.
    EffectsProbes::ClearMMXState();
    AxisMap(one, K.Top + j, K.Top + j + 1, D.Top, D.Bottom, S.Top, S.Bottom, round);
    const int y = one[0];
    if (y != gatheredY) {
      const std::uint32_t* in = s.Row(y);
      for (int i = 0; i < kw; ++i) gathered[static_cast<std::size_t>(i)] = in[xs[i]];
      gatheredY = y;
    }
    std::uint32_t* out = t.Row(K.Top + j) + K.Left;
    if (kind == dkKey)
      PixelRoutines.KeyRow(gathered.data(), out, kw);
    else
      PixelRoutines.BlendRow(gathered.data(), out, kw);
  }
}

template <TDrawKind Kind>
void StretchRectOf(TEffectsBitmap* dest, const TRect& D, const TRect& K, const TRect& S, TEffectsBitmap* source) {
  Stretch(TargetOf(dest), D, K, S, SourceOf(source), Kind, false);
}

template <TDrawKind Kind>
void CopyRectOf(TEffectsBitmap* dest, const TRect& K, const TPoint& P, TEffectsBitmap* source) {
  CopyBlock(TargetOf(dest), K, P, SourceOf(source), Kind);
}

template <TDrawKind Kind>
void StretchToDIBOf(std::uint32_t* buffer, const TRect& D, const TRect& K, const TRect& S, TEffectsBitmap* source,
                    int height, int width) {
  Stretch(TTarget{buffer, width, height, true}, D, K, S, SourceOf(source), Kind, true);
}

template <TDrawKind Kind>
void CopyToDIBOf(std::uint32_t* buffer, const TRect& K, const TPoint& P, TEffectsBitmap* source, int height,
                 int width) {
  CopyBlock(TTarget{buffer, width, height, true}, K, P, SourceOf(source), Kind);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// Device contexts

void DrawOpaqueToDC(HDC DC, const TRect& Dest, TEffectsBitmap* Bitmap, const TRect& Source) {
  if (!DC || !Bitmap || !Bitmap->ContainsRect(Source)) return;
  ::SetStretchBltMode(DC, COLORONCOLOR);
  ::StretchBlt(DC, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Bitmap->MemoryDC(), Source.Left, Source.Top,
               Source.Width(), Source.Height(), SRCCOPY);
}

namespace {

// Copies the device context's destination area into a temporary bitmap, draws into it with the bitmap's
// own flags and copies it back. Only the part of Dest that the DC can show is fetched, so a huge Dest does
// not become a huge temporary; the pixels drawn are the same.
void DrawThroughTemporary(HDC DC, const TRect& Dest, TEffectsBitmap* Bitmap, const TRect& Source) {
  if (!DC || !Bitmap || !Bitmap->ContainsRect(Source) || Dest.IsEmpty()) return;
  TRect area = Dest;
  RECT clip{};
  if (::GetClipBox(DC, &clip) != 0 /* ERROR */ && !Intersect(area, TRect(clip))) return;
  TEffectsBitmap temp;
  temp.SetSize(area.Width(), area.Height());
  ::BitBlt(temp.MemoryDC(), 0, 0, area.Width(), area.Height(), DC, area.Left, area.Top, SRCCOPY);
  Bitmap->DrawTo(&temp,
                 TRect(Dest.Left - area.Left, Dest.Top - area.Top, Dest.Right - area.Left, Dest.Bottom - area.Top),
                 Source);
  ::BitBlt(DC, area.Left, area.Top, area.Width(), area.Height(), temp.MemoryDC(), 0, 0, SRCCOPY);
}

}  // namespace

void DrawAlphaToDC(HDC DC, const TRect& Dest, TEffectsBitmap* Bitmap, const TRect& Source) {
  DrawThroughTemporary(DC, Dest, Bitmap, Source);
}

void DrawKeyToDC(HDC DC, const TRect& Dest, TEffectsBitmap* Bitmap, const TRect& Source) {
  DrawThroughTemporary(DC, Dest, Bitmap, Source);
}

void DrawKeyTransparentBlt(HDC DC, const TRect& Dest, TEffectsBitmap* Bitmap, const TRect& Source) {
  if (!DC || !Bitmap || !Bitmap->ContainsRect(Source) || !EffectsProbes::TransparentBltProc) return;
  EffectsProbes::TransparentBltProc(DC, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Bitmap->MemoryDC(),
                                    Source.Left, Source.Top, Source.Width(), Source.Height(), EffectsKeyColour);
}

int ScreenColourDepth() {
  HDC dc = ::GetDC(nullptr);
  if (!dc) return 0;
  const int depth = ::GetDeviceCaps(dc, BITSPIXEL) * ::GetDeviceCaps(dc, PLANES);
  ::ReleaseDC(nullptr, dc);
  return depth;
}

bool IsTrueColourScreen() { return ScreenColourDepth() > 23; }

TDCBitmapInfo GetDCBitmapInfo(HDC DC) {
  TDCBitmapInfo info;
  HGDIOBJ bitmap = DC ? ::GetCurrentObject(DC, OBJ_BITMAP) : nullptr;
  if (!bitmap) return info;
  DIBSECTION ds;
  if (::GetObject(bitmap, sizeof ds, &ds) != static_cast<int>(sizeof ds)) return info;
  info.Bits = ds.dsBm.bmBits;
  info.Width = ds.dsBm.bmWidth;
  info.Height = ds.dsBm.bmHeight;
  info.BitCount = ds.dsBm.bmBitsPixel;
  return info;
}

TDrawRoutines DrawRoutines = {
    {&DrawOpaqueToDC, &DrawKeyToDC, &DrawAlphaToDC},
    {&StretchRectOf<dkCopy>, &StretchRectOf<dkKey>, &StretchRectOf<dkBlend>},
    {&CopyRectOf<dkCopy>, &CopyRectOf<dkKey>, &CopyRectOf<dkBlend>},
    {&StretchToDIBOf<dkCopy>, &StretchToDIBOf<dkKey>, &StretchToDIBOf<dkBlend>},
    {&CopyToDIBOf<dkCopy>, &CopyToDIBOf<dkKey>, &CopyToDIBOf<dkBlend>},
};

void InitDrawRoutines() {
  DrawRoutines.ToDC[dkCopy] = &DrawOpaqueToDC;
  DrawRoutines.ToDC[dkKey] =
      EffectsProbes::TransparentBltAvailable && IsTrueColourScreen() ? &DrawKeyTransparentBlt : &DrawKeyToDC;
  DrawRoutines.ToDC[dkBlend] = &DrawAlphaToDC;
  DrawRoutines.StretchRect[dkCopy] = &StretchRectOf<dkCopy>;
  DrawRoutines.StretchRect[dkKey] = &StretchRectOf<dkKey>;
  DrawRoutines.StretchRect[dkBlend] = &StretchRectOf<dkBlend>;
  DrawRoutines.CopyRect[dkCopy] = &CopyRectOf<dkCopy>;
  DrawRoutines.CopyRect[dkKey] = &CopyRectOf<dkKey>;
  DrawRoutines.CopyRect[dkBlend] = &CopyRectOf<dkBlend>;
  DrawRoutines.StretchToDIB[dkCopy] = &StretchToDIBOf<dkCopy>;
  DrawRoutines.StretchToDIB[dkKey] = &StretchToDIBOf<dkKey>;
  DrawRoutines.StretchToDIB[dkBlend] = &StretchToDIBOf<dkBlend>;
  DrawRoutines.CopyToDIB[dkCopy] = &CopyToDIBOf<dkCopy>;
  DrawRoutines.CopyToDIB[dkKey] = &CopyToDIBOf<dkKey>;
  DrawRoutines.CopyToDIB[dkBlend] = &CopyToDIBOf<dkBlend>;
}
