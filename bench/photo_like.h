#pragma once
// A picture something like a photograph, for benchmarks: smooth gradients, a soft round shape, edges and
// fine grain, so that filters and codecs meet what real photos give them rather than flat colour.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

struct TPhotoPixel {
  uint8_t R, G, B;
};

// The pixel at (X, Y) of a W x H picture; Grain is the width of the noise drawn from Rng.
inline TPhotoPixel PhotoLikePixel(int X, int Y, int W, int H, int Grain, std::mt19937& Rng) {
  const double fx = double(X) / W, fy = double(Y) / H;
  const double disc = std::hypot(fx - 0.6, fy - 0.4);
  int r = int(60 + 150 * fy + 40 * std::sin(fx * 17)), g = int(90 + 100 * fx), b = int(200 - 120 * fy);
  if (disc < 0.2) {
    r = 230;
    g = int(180 - disc * 300);
    b = 60;
  }
  if ((X / 97 + Y / 61) % 7 == 0) r = g = b = 30;
  const int n = int(Rng() % unsigned(Grain)) - Grain / 2;
  auto clamp = [](int v) { return uint8_t(std::clamp(v, 0, 255)); };
  return {clamp(r + n), clamp(g + n), clamp(b + n)};
}
