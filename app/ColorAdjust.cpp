#include "app/ColorAdjust.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define COLOR_ADJUST_AVX2 1
#endif

namespace {

// Round half to even in the current (default: to nearest) rounding mode.
int RoundExt(long double x) { return static_cast<int>(std::nearbyint(x)); }

int Clamped(int c) { return c < 0 ? 0 : (c > 255 ? 255 : c); }

// Hue of a colour from its unsorted channels, rotated by h and brought into 0..360 (360 stays 360).
int RotatedHue(int R, int G, int B, int max, int delta, int h) {
  int H;
  if (R == max)
    H = (G - B) * 60 / delta;
  else if (G == max)
    H = (B - R) * 60 / delta + 120;
  else
    H = (R - G) * 60 / delta + 240;
  H += h;
  // With h in 0..360 one step is enough; the loops only matter for a caller passing h outside that range.
  while (H < 0) H += 360;
  while (H > 360) H -= 360;
  return H;
}

// The middle channel after the rotation, from the position f inside the sector, S and L.
int RotatedMiddle(int f, int S, int L) {
  int m = (f * 255 + 30) / 60;
  m = m - (m - 128) * (255 - S) / 255;
  const int t = L - 128;
  if (t > 0)
    m = m + ((255 - m) * t + 64) / 128;
  else if (t < 0)
    m = m + (m * t) / 128;
  return Clamped(m);
}

// New channels by sector; max and min keep their values.
inline void PlaceBySector(int sector, int max, int m, int min, int& R, int& G, int& B) {
  switch (sector) {
    case 1: R = m; G = max; B = min; break;
    case 2: R = min; G = max; B = m; break;
    case 3: R = min; G = m; B = max; break;
    case 4: R = m; G = min; B = max; break;
    case 5: R = max; G = min; B = m; break;
    default: R = max; G = m; B = min; break; // 0 and 6
  }
}

}  // namespace

double TColorSettings::Contrast() const { return ContrastPosition / 10.0; }

long double TColorSettings::ContrastOffset() const {
  const double k = Contrast();
  return (1.0L - k) * 127.5L;
}

double TColorSettings::Gamma() const { return GammaPosition / 10.0; }

bool TColorSettings::IsIdentity() const {
  return Brightness == 0 && ContrastPosition == 10 && Saturation == 0 && Hue == 0 && GammaPosition == 10;
}

void ClampByte(int& c) {
  if (c < 0)
    c = 0;
  else if (c > 255)
    c = 255;
}

int BrightnessChannel(int c, int b) {
  if (b > 0)
    c = RoundExt(c + static_cast<long double>(b * (255 - c)) / 255.0L);
  else if (b < 0)
    c = RoundExt(c + static_cast<long double>(b * c) / 255.0L);
  ClampByte(c);
  return c;
}

void AdjustBrightness(int& R, int& G, int& B, int b) {
  R = BrightnessChannel(R, b);
  G = BrightnessChannel(G, b);
  B = BrightnessChannel(B, b);
}

int ColourSaturation(int max, int min) {
  const int sum = max + min;
  const int delta = max - min;
  const int L = sum >> 1;
  return L < 128 ? delta * 255 / sum : delta * 255 / (510 - sum);
}

int SaturationFactor(int S, int s) {
  if (s > 0) {
    const int S2 = S + s >= 255 ? S : 255 - s;
    return 65025 / S2 - 255;
  }
  return s;
}

void AdjustHueSaturation(int& R, int& G, int& B, int s, int h) {
  const int max = std::max({R, G, B});
  const int min = std::min({R, G, B});
  if (max == min) return;
  const int sum = max + min;
  const int delta = max - min;
  const int L = sum >> 1;
  const int S = ColourSaturation(max, min);

  if (h != 0) {
    const int H = RotatedHue(R, G, B, max, delta, h);
    const int sector = H / 60;
    int f = H % 60;
    if (sector % 2 == 1) f = 60 - f;
    const int m = RotatedMiddle(f, S, L);
    PlaceBySector(sector, max, m, min, R, G, B);
  }

  if (s != 0) {
    const int factor = SaturationFactor(S, s);
    int* channels[3] = {&R, &G, &B};
    for (int* c : channels) {
      *c = *c + (*c - L) * factor / 255;
      ClampByte(*c);
    }
  }
}

int ContrastChannel(int c, const TColorSettings& settings) {
  const long double k = settings.Contrast();
  const long double o = settings.ContrastOffset();
  int v = RoundExt(c * k + o);
  ClampByte(v);
  return v;
}

int GammaChannel(int c, const TColorSettings& settings) {
  const long double g = settings.Gamma();
  const long double p = g == 0 ? 1.0L : std::pow(c / 255.0L, g);
  return std::min(RoundExt(p * 255.0L), 255);
}

std::uint32_t AdjustPixelReference(std::uint32_t argb, const TColorSettings& st) {
  const int A = static_cast<int>(argb >> 24);
  if (A <= 49) return argb;
  int R = (argb >> 16) & 0xFF;
  int G = (argb >> 8) & 0xFF;
  int B = argb & 0xFF;
  const int b = st.Brightness;
  const int s = st.Saturation;

  R = ContrastChannel(R, st);
  G = ContrastChannel(G, st);
  B = ContrastChannel(B, st);
  if (s > 0 && b != 0) AdjustBrightness(R, G, B, b);
  AdjustHueSaturation(R, G, B, s, st.Hue);
  if (b != 0 && s <= 0) AdjustBrightness(R, G, B, b);
  R = GammaChannel(R, st);
  G = GammaChannel(G, st);
  B = GammaChannel(B, st);
  return static_cast<std::uint32_t>(A) << 24 | static_cast<std::uint32_t>(R) << 16 |
         static_cast<std::uint32_t>(G) << 8 | static_cast<std::uint32_t>(B);
}

void AdjustPictureReference(const TArgbView& source, const TArgbTarget& dest, const TColorSettings& settings) {
  const int width = std::min(source.Width, dest.Width);
  const int height = std::min(source.Height, dest.Height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      dest.Pixels[y * dest.Stride + x] = AdjustPixelReference(source.Pixels[y * source.Stride + x], settings);
}

// ---------------------------------------------------------------------------------------------------------
// Fast path. The per-channel stages (contrast, brightness, gamma) depend on one channel only, so they become
// 256-entry tables built with the very functions above. The hue and saturation step couples the channels;
// its divisions by run-time values are replaced by tables: S by (max, min), the hue quotient by an exact
// reciprocal, and the saturation factor by S.

namespace {

// S for every (max, min) with max > min.
const std::array<std::uint8_t, 256 * 256>& SaturationTable() {
  static const auto table = [] {
    std::array<std::uint8_t, 256 * 256> t{};
    for (int max = 1; max < 256; ++max)
      for (int min = 0; min < max; ++min) t[max * 256 + min] = static_cast<std::uint8_t>(ColourSaturation(max, min));
    return t;
  }();
  return table;
}

// ceil(2^22 / d): for 0 <= n <= 255 * 60 and 1 <= d <= 255, n * M >> 22 == n / d exactly, because
// n * d < 2^22 keeps the error of the rounded-up reciprocal below 1 / d.
const std::array<std::uint64_t, 256>& ReciprocalTable() {
  static const auto table = [] {
    std::array<std::uint64_t, 256> t{};
    for (std::uint64_t d = 1; d < 256; ++d) t[d] = ((std::uint64_t{1} << 22) + d - 1) / d;
    return t;
  }();
  return table;
}

// (f * 255 + 30) div 60 then the pull towards 128 by S, for every f (0..60) and S (0..255).
const std::array<std::uint8_t, 61 * 256>& MiddleTable() {
  static const auto table = [] {
    std::array<std::uint8_t, 61 * 256> t{};
    for (int f = 0; f <= 60; ++f)
      for (int S = 0; S < 256; ++S) {
        int m = (f * 255 + 30) / 60;
        m = m - (m - 128) * (255 - S) / 255;
        t[f * 256 + S] = static_cast<std::uint8_t>(m);
      }
    return t;
  }();
  return table;
}

// The lightness step of the middle channel for every m (0..255) and L (0..255), clamped.
const std::array<std::uint8_t, 256 * 256>& LightnessTable() {
  static const auto table = [] {
    std::array<std::uint8_t, 256 * 256> t{};
    for (int m0 = 0; m0 < 256; ++m0)
      for (int L = 0; L < 256; ++L) {
        int m = m0;
        const int t2 = L - 128;
        if (t2 > 0)
          m = m + ((255 - m) * t2 + 64) / 128;
        else if (t2 < 0)
          m = m + (m * t2) / 128;
        t[L * 256 + m0] = static_cast<std::uint8_t>(Clamped(m));
      }
    return t;
  }();
  return table;
}

struct TAdjustPlan {
  std::uint8_t Pre[256];   // contrast, then brightness when it comes before the saturation change
  std::uint8_t Post[256];  // brightness when it comes after the saturation change, then gamma
  std::uint8_t Whole[256]; // Post of Pre: used when hue and saturation change nothing
  int Factor[256];         // saturation factor by S
  int Hue = 0;
  int Saturation = 0;
  const std::uint8_t* Sat = nullptr;
  const std::uint64_t* Recip = nullptr;
  const std::uint8_t* Middle = nullptr;
  const std::uint8_t* Light = nullptr;
};

void BuildPlan(TAdjustPlan& plan, const TColorSettings& st) {
  const int b = st.Brightness;
  const int s = st.Saturation;
  for (int c = 0; c < 256; ++c) {
    int pre = ContrastChannel(c, st);
    if (s > 0 && b != 0) pre = BrightnessChannel(pre, b);
    int post = c;
    if (b != 0 && s <= 0) post = BrightnessChannel(post, b);
    post = GammaChannel(post, st);
    plan.Pre[c] = static_cast<std::uint8_t>(pre);
    plan.Post[c] = static_cast<std::uint8_t>(post);
  }
  for (int c = 0; c < 256; ++c) plan.Whole[c] = plan.Post[plan.Pre[c]];
  for (int S = 0; S < 256; ++S) plan.Factor[S] = s != 0 && S > 0 ? SaturationFactor(S, s) : 0;
  plan.Hue = st.Hue;
  plan.Saturation = s;
  if (s != 0 || st.Hue != 0) {
    plan.Sat = SaturationTable().data();
    plan.Recip = ReciprocalTable().data();
    plan.Middle = MiddleTable().data();
    plan.Light = LightnessTable().data();
  }
}

// Where (max, m, min) = indices 0, 1, 2 go in (R, G, B), by sector; 6 as 0.
constexpr std::uint8_t kSectorPlace[7][3] = {{0, 1, 2}, {1, 0, 2}, {2, 0, 1}, {2, 1, 0},
                                             {1, 2, 0}, {0, 2, 1}, {0, 1, 2}};

// n div d, truncating toward zero, for |n| <= 255 * 60.
inline int DivByDelta(int n, const std::uint64_t* recip, int d) {
  const int sign = n >> 31;  // 0 or -1
  const std::uint64_t a = static_cast<std::uint32_t>((n ^ sign) - sign);
  const int q = static_cast<int>((a * recip[d]) >> 22);
  return (q ^ sign) - sign;
}

template <bool DoHue, bool DoSat>
void AdjustRows(const TArgbView& src, const TArgbTarget& dst, int width, int y0, int y1, const TAdjustPlan& p) {
  for (int y = y0; y < y1; ++y) {
    const std::uint32_t* in = src.Pixels + y * src.Stride;
    std::uint32_t* out = dst.Pixels + y * dst.Stride;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t px = in[x];
      if ((px >> 24) <= 49) {
        out[x] = px;
        continue;
      }
      if constexpr (!DoHue && !DoSat) {
        out[x] = (px & 0xFF000000u) | std::uint32_t{p.Whole[(px >> 16) & 0xFF]} << 16 |
                 std::uint32_t{p.Whole[(px >> 8) & 0xFF]} << 8 | p.Whole[px & 0xFF];
      } else {
        int R = p.Pre[(px >> 16) & 0xFF];
        int G = p.Pre[(px >> 8) & 0xFF];
        int B = p.Pre[px & 0xFF];
        const int max = std::max(R, std::max(G, B));
        const int min = std::min(R, std::min(G, B));
        if (max != min) {
          const int delta = max - min;
          const int L = (max + min) >> 1;
          const int S = p.Sat[max * 256 + min];
          if constexpr (DoHue) {
            // Branch-free on the colour: which channel is largest (R first, then G) picks the difference
            // and the base angle, and the sector picks where max, m and min go.
            const int ch[5] = {R, G, B, R, G};
            const int top = R == max ? 0 : (G == max ? 1 : 2);
            int H = DivByDelta((ch[top + 1] - ch[top + 2]) * 60, p.Recip, delta) + 120 * top + p.Hue;
            H += H < 0 ? 360 : 0;
            H -= H > 360 ? 360 : 0;
            while (H < 0) H += 360;  // only for a hue outside 0..360
            while (H > 360) H -= 360;
            const int sector = H / 60;
            int f = H - sector * 60;
            f = (sector & 1) ? 60 - f : f;
            const int vals[3] = {max, p.Light[L * 256 + p.Middle[f * 256 + S]], min};
            const std::uint8_t* place = kSectorPlace[sector];
            R = vals[place[0]];
            G = vals[place[1]];
            B = vals[place[2]];
          }
          if constexpr (DoSat) {
            const int factor = p.Factor[S];
            R = Clamped(R + (R - L) * factor / 255);
            G = Clamped(G + (G - L) * factor / 255);
            B = Clamped(B + (B - L) * factor / 255);
          }
        }
        out[x] = (px & 0xFF000000u) | std::uint32_t{p.Post[R]} << 16 | std::uint32_t{p.Post[G]} << 8 | p.Post[B];
      }
    }
  }
}

#ifdef COLOR_ADJUST_AVX2
// The hue and saturation step on eight pixels at a time. Every division is exact:
//  - quotients of numbers below 2^16 by divisors below 2^9 are computed in single precision and truncated;
//    the true quotient is never within single precision's rounding of the next integer;
//  - n div 60 for n <= 15330 is n * ceil(2^22 / 60) shr 22;
//  - a div 255 for 0 <= a < 2^24 is a * ceil(2^32 / 255) shr 32, in 64-bit products.
// The tests compare this path with the per-pixel transcription.
__attribute__((target("avx2"))) inline __m256i Div255(__m256i a) {
  const __m256i magic = _mm256_set1_epi32(16843010);
  const __m256i even = _mm256_mul_epu32(a, magic);
  const __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(a, 32), magic);
  return _mm256_blend_epi32(_mm256_srli_epi64(even, 32), odd, 0xAA);
}

__attribute__((target("avx2"))) inline __m256i Clamp255(__m256i v) {
  return _mm256_min_epi32(_mm256_max_epi32(v, _mm256_setzero_si256()), _mm256_set1_epi32(255));
}

__attribute__((target("avx2"))) inline __m256i eq(__m256i a, __m256i b) { return _mm256_cmpeq_epi32(a, b); }

// value where mask is set, otherwise elsewhere.
__attribute__((target("avx2"))) inline __m256i sel(__m256i otherwise, __m256i value, __m256i mask) {
  return _mm256_blendv_epi8(otherwise, value, mask);
}

// Pushes a channel away from L by factor: c + (c - L) * factor div 255, clamped.
__attribute__((target("avx2"))) inline __m256i PushFromL(__m256i c, __m256i L, __m256i factor);

__attribute__((target("avx2"))) inline __m256i TruncDiv(__m256i n, __m256i d) {
  return _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(n), _mm256_cvtepi32_ps(d)));
}

__attribute__((target("avx2"))) inline __m256i PushFromL(__m256i c, __m256i L, __m256i factor) {
  const __m256i d = _mm256_mullo_epi32(_mm256_sub_epi32(c, L), factor);
  return Clamp255(_mm256_add_epi32(c, _mm256_sign_epi32(Div255(_mm256_abs_epi32(d)), d)));
}

__attribute__((target("avx2"))) void HueSatBlock(int* Rs, int* Gs, int* Bs, int n, const TAdjustPlan& p) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i one = _mm256_set1_epi32(1), c6 = _mm256_set1_epi32(6), c30 = _mm256_set1_epi32(30);
  const __m256i c60 = _mm256_set1_epi32(60), c64 = _mm256_set1_epi32(64), c120 = _mm256_set1_epi32(120);
  const __m256i c128 = _mm256_set1_epi32(128), c240 = _mm256_set1_epi32(240), c255 = _mm256_set1_epi32(255);
  const __m256i c360 = _mm256_set1_epi32(360), c510 = _mm256_set1_epi32(510);
  const __m256i magic60 = _mm256_set1_epi32(69906);
  const __m256i hue = _mm256_set1_epi32(p.Hue);
  const bool doHue = p.Hue != 0, doSat = p.Saturation != 0;

  for (int i = 0; i < n; i += 8) {
    const __m256i r = _mm256_load_si256(reinterpret_cast<const __m256i*>(Rs + i));
    const __m256i g = _mm256_load_si256(reinterpret_cast<const __m256i*>(Gs + i));
    const __m256i b = _mm256_load_si256(reinterpret_cast<const __m256i*>(Bs + i));
    const __m256i mx = _mm256_max_epi32(r, _mm256_max_epi32(g, b));
    const __m256i mn = _mm256_min_epi32(r, _mm256_min_epi32(g, b));
    const __m256i grey = eq(mx, mn);
    if (_mm256_movemask_epi8(grey) == -1) continue;
    const __m256i sum = _mm256_add_epi32(mx, mn);
    const __m256i delta = _mm256_sub_epi32(mx, mn);
    const __m256i L = _mm256_srai_epi32(sum, 1);
    const __m256i dark = _mm256_cmpgt_epi32(c128, L);
    const __m256i denom = _mm256_max_epi32(sel(_mm256_sub_epi32(c510, sum), sum, dark), one);
    const __m256i S = TruncDiv(_mm256_mullo_epi32(delta, c255), denom);

    __m256i nr = r, ng = g, nb = b;
    if (doHue) {
      const __m256i isR = eq(r, mx);
      const __m256i isG = _mm256_andnot_si256(isR, eq(g, mx));
      const __m256i diff =
          sel(sel(_mm256_sub_epi32(r, g), _mm256_sub_epi32(b, r), isG), _mm256_sub_epi32(g, b), isR);
      const __m256i base = sel(sel(c240, c120, isG), zero, isR);
      __m256i H = _mm256_add_epi32(
          _mm256_add_epi32(TruncDiv(_mm256_mullo_epi32(diff, c60), _mm256_max_epi32(delta, one)), base), hue);
      H = _mm256_add_epi32(H, _mm256_and_si256(_mm256_cmpgt_epi32(zero, H), c360));
      H = _mm256_sub_epi32(H, _mm256_and_si256(_mm256_cmpgt_epi32(H, c360), c360));
      const __m256i sector = _mm256_srli_epi32(_mm256_mullo_epi32(H, magic60), 22);
      __m256i f = _mm256_sub_epi32(H, _mm256_mullo_epi32(sector, c60));
      f = sel(f, _mm256_sub_epi32(c60, f), eq(_mm256_and_si256(sector, one), one));
      __m256i m = _mm256_srli_epi32(_mm256_mullo_epi32(_mm256_add_epi32(_mm256_mullo_epi32(f, c255), c30), magic60), 22);
      const __m256i pull = _mm256_mullo_epi32(_mm256_sub_epi32(m, c128), _mm256_sub_epi32(c255, S));
      m = _mm256_sub_epi32(m, _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(pull), _mm256_set1_ps(255.0f))));
      const __m256i t = _mm256_sub_epi32(L, c128);
      const __m256i up = _mm256_srai_epi32(_mm256_add_epi32(_mm256_mullo_epi32(_mm256_sub_epi32(c255, m), t), c64), 7);
      const __m256i down = _mm256_srai_epi32(_mm256_mullo_epi32(m, _mm256_sub_epi32(zero, t)), 7);
      m = _mm256_add_epi32(m, _mm256_and_si256(up, _mm256_cmpgt_epi32(t, zero)));
      m = _mm256_sub_epi32(m, _mm256_and_si256(down, _mm256_cmpgt_epi32(zero, t)));
      m = Clamp255(m);
      const __m256i s0 = _mm256_or_si256(eq(sector, zero), eq(sector, c6));
      const __m256i s1 = eq(sector, one), s2 = eq(sector, _mm256_set1_epi32(2));
      const __m256i s3 = eq(sector, _mm256_set1_epi32(3)), s4 = eq(sector, _mm256_set1_epi32(4));
      const __m256i s5 = eq(sector, _mm256_set1_epi32(5));
      nr = sel(sel(mn, m, _mm256_or_si256(s1, s4)), mx, _mm256_or_si256(s0, s5));
      ng = sel(sel(mn, mx, _mm256_or_si256(s1, s2)), m, _mm256_or_si256(s0, s3));
      nb = sel(sel(mn, m, _mm256_or_si256(s2, s5)), mx, _mm256_or_si256(s3, s4));
    }
    if (doSat) {
      const __m256i factor = _mm256_i32gather_epi32(p.Factor, S, 4);
      nr = PushFromL(nr, L, factor);
      ng = PushFromL(ng, L, factor);
      nb = PushFromL(nb, L, factor);
    }
    _mm256_store_si256(reinterpret_cast<__m256i*>(Rs + i), sel(nr, r, grey));
    _mm256_store_si256(reinterpret_cast<__m256i*>(Gs + i), sel(ng, g, grey));
    _mm256_store_si256(reinterpret_cast<__m256i*>(Bs + i), sel(nb, b, grey));
  }
}

// Rows in chunks: the per-channel tables on the way in and out, the hue and saturation step in between.
__attribute__((target("avx2"))) void AdjustRowsVector(const TArgbView& src, const TArgbTarget& dst, int width,
                                                       int y0, int y1, const TAdjustPlan& p) {
  constexpr int kChunk = 256;
  alignas(32) int R[kChunk], G[kChunk], B[kChunk];
  for (int y = y0; y < y1; ++y) {
    const std::uint32_t* in = src.Pixels + y * src.Stride;
    std::uint32_t* out = dst.Pixels + y * dst.Stride;
    for (int x0 = 0; x0 < width; x0 += kChunk) {
      const int n = std::min(kChunk, width - x0);
      const int padded = (n + 7) & ~7;
      for (int i = 0; i < n; ++i) {
        const std::uint32_t px = in[x0 + i];
        R[i] = p.Pre[(px >> 16) & 0xFF];
        G[i] = p.Pre[(px >> 8) & 0xFF];
        B[i] = p.Pre[px & 0xFF];
      }
      for (int i = n; i < padded; ++i) R[i] = G[i] = B[i] = 0;
      HueSatBlock(R, G, B, padded, p);
      for (int i = 0; i < n; ++i) {
        const std::uint32_t px = in[x0 + i];
        out[x0 + i] = (px >> 24) <= 49 ? px
                                       : (px & 0xFF000000u) | std::uint32_t{p.Post[R[i]]} << 16 |
                                             std::uint32_t{p.Post[G[i]]} << 8 | p.Post[B[i]];
      }
    }
  }
}

bool VectorPathAvailable() {
  static const bool available = __builtin_cpu_supports("avx2");
  return available;
}
#else
bool VectorPathAvailable() { return false; }
#endif

bool& VectorPathEnabled() {
  static bool enabled = true;
  return enabled;
}

using TRowsFn = void (*)(const TArgbView&, const TArgbTarget&, int, int, int, const TAdjustPlan&);

TRowsFn ChooseRows(const TAdjustPlan& p) {
#ifdef COLOR_ADJUST_AVX2
  if ((p.Hue != 0 || p.Saturation != 0) && p.Hue >= 0 && p.Hue <= 360 && VectorPathEnabled() &&
      VectorPathAvailable())
    return &AdjustRowsVector;
#endif
  if (p.Hue != 0) return p.Saturation != 0 ? &AdjustRows<true, true> : &AdjustRows<true, false>;
  return p.Saturation != 0 ? &AdjustRows<false, true> : &AdjustRows<false, false>;
}

}  // namespace

bool ColorAdjustVectorPath() { return VectorPathEnabled() && VectorPathAvailable(); }

void SetColorAdjustVectorPath(bool enabled) { VectorPathEnabled() = enabled; }

void AdjustPicture(const TArgbView& source, const TArgbTarget& dest, const TColorSettings& settings,
                   unsigned threads) {
  const int width = std::min(source.Width, dest.Width);
  const int height = std::min(source.Height, dest.Height);
  if (width <= 0 || height <= 0 || !source.Pixels || !dest.Pixels) return;

  TAdjustPlan plan;
  BuildPlan(plan, settings);
  const TRowsFn rows = ChooseRows(plan);

  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  // Small pictures are not worth a thread start each.
  const long long pixels = static_cast<long long>(width) * height;
  const unsigned useful = static_cast<unsigned>(std::max<long long>(1, pixels / 32768));
  threads = std::min({threads, useful, static_cast<unsigned>(height)});

  if (threads <= 1) {
    rows(source, dest, width, 0, height, plan);
    return;
  }
  // Rows are handed out in small runs, so a core that is busy with something else delays only its own run.
  const int run = std::max(1, std::min(16, height / static_cast<int>(threads * 4)));
  std::atomic<int> next{0};
  auto work = [&] {
    for (int y = next.fetch_add(run); y < height; y = next.fetch_add(run))
      rows(source, dest, width, y, std::min(height, y + run), plan);
  };
  std::vector<std::thread> workers;
  workers.reserve(threads - 1);
  for (unsigned i = 1; i < threads; ++i) workers.emplace_back(work);
  work();
  for (auto& w : workers) w.join();
}
