// Colour arithmetic of the colour adjustment window: brightness, contrast, saturation, hue and gamma.
//
// Plain C++ with no platform dependency, so the window (TfrmColorConfigure) and the tests and benchmarks
// share one implementation. Two ways to the same result:
//   - AdjustPixelReference: the per-pixel steps written out literally, one pixel at a time;
//   - AdjustPicture: the whole picture at once with per-channel tables, whole rows and several threads.
// Both give the same pixels bit for bit; the tests hold them to that.
//
// Arithmetic rules kept by both: integer division truncates toward zero; Round is round-half-to-even;
// floating expressions are evaluated in long double (80-bit extended on x86-64); k and g are held as
// double, like the window's settings, while o is an expression and stays in long double.
#pragma once

#include <cstddef>
#include <cstdint>

// The five bar positions of the colour window and the values derived from them.
struct TColorSettings {
  int Brightness = 0;        // b, -200..200
  int ContrastPosition = 10; // k = position / 10, 0..50
  int Saturation = 0;        // s, -200..200
  int Hue = 0;               // h, 0..360
  int GammaPosition = 10;    // g = position / 10, 0..40

  double Contrast() const;       // k
  long double ContrastOffset() const; // o = (1 - k) * 127.5, never rounded to double
  double Gamma() const;          // g
  // Every bar at its initial position: the picture is left unchanged.
  bool IsIdentity() const;
};

// c < 0 becomes 0, c > 255 becomes 255.
void ClampByte(int& c);

// Lightens (b > 0) or darkens (b < 0) each channel towards white or black.
void AdjustBrightness(int& R, int& G, int& B, int b);

// Hue rotation by h degrees (none when h = 0) and saturation change by s (none when s = 0), in integer
// arithmetic. Grey (R = G = B) is left unchanged.
void AdjustHueSaturation(int& R, int& G, int& B, int s, int h);

// Parts of AdjustHueSaturation exposed for tests and for the fast path.
// The saturation S (1..255) of a colour whose largest channel is max and smallest is min (max > min).
int ColourSaturation(int max, int min);
// The factor that a saturation change s (s != 0) applies to a colour of saturation S:
// s > 0: 65025 div S' - 255 with S' = S when S + s >= 255, else 255 - s; s < 0: s itself.
int SaturationFactor(int S, int s);

// Single-channel stages as whole-number functions of one channel value (0..255).
int ContrastChannel(int c, const TColorSettings& settings);
int BrightnessChannel(int c, int b);
int GammaChannel(int c, const TColorSettings& settings);

// One 0xAARRGGBB pixel through every step, written plainly: alpha <= 49 is returned unchanged.
std::uint32_t AdjustPixelReference(std::uint32_t argb, const TColorSettings& settings);

// A picture of 0xAARRGGBB pixels, row-major; Stride counts pixels from one row to the next.
struct TArgbView {
  const std::uint32_t* Pixels = nullptr;
  int Width = 0;
  int Height = 0;
  std::ptrdiff_t Stride = 0;
};

struct TArgbTarget {
  std::uint32_t* Pixels = nullptr;
  int Width = 0;
  int Height = 0;
  std::ptrdiff_t Stride = 0;
};

// Recomputes every pixel of Dest from Source (equal sizes; the overlap of the two sizes otherwise) with the
// settings. Dest may be Source itself (same pixels, same stride). Threads = 0 uses every core; 1 runs on the
// calling thread only.
void AdjustPicture(const TArgbView& source, const TArgbTarget& dest, const TColorSettings& settings,
                   unsigned threads = 0);

// Whether AdjustPicture runs the hue and saturation step eight pixels at a time (processors with AVX2);
// switching it off forces the one-pixel-at-a-time path, for tests and benchmarks. Both give the same pixels.
bool ColorAdjustVectorPath();
void SetColorAdjustVectorPath(bool enabled);

// The same result computed with AdjustPixelReference pixel by pixel on the calling thread; kept as the
// yardstick for tests and benchmarks.
void AdjustPictureReference(const TArgbView& source, const TArgbTarget& dest, const TColorSettings& settings);
