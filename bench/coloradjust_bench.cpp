// Recomputing a 1000 x 1000 photo-like picture in the colour window after one bar change, with hue,
// saturation and brightness all non-zero: the fast path on every core, on one core, and the plain per-pixel
// transcription it must equal. Prints the medians and their ratios at the end.
// bench-sources: app/ColorAdjust.cpp
#include "app/ColorAdjust.h"

#include <benchmark/benchmark.h>

#include "bench/medians.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kSize = 1000;

// Smooth gradients with a soft blob and sensor-like noise, all opaque.
const std::vector<std::uint32_t>& Photo() {
  static const std::vector<std::uint32_t> pixels = [] {
    std::vector<std::uint32_t> p(static_cast<std::size_t>(kSize) * kSize);
    std::mt19937 rng(11);
    std::normal_distribution<double> noise(0.0, 6.0);
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        const double u = x / double(kSize), v = y / double(kSize);
        const double blob = std::exp(-((u - 0.55) * (u - 0.55) + (v - 0.4) * (v - 0.4)) * 9.0);
        auto channel = [&](double base) {
          const long c = std::lround(base + noise(rng));
          return static_cast<std::uint32_t>(c < 0 ? 0 : (c > 255 ? 255 : c));
        };
        const std::uint32_t r = channel(60 + 150 * u * (1 - v) + 60 * blob);
        const std::uint32_t g = channel(40 + 90 * v + 80 * blob);
        const std::uint32_t b = channel(90 + 100 * (1 - u) * v + 30 * blob);
        p[static_cast<std::size_t>(y) * kSize + x] = 0xFF000000u | r << 16 | g << 8 | b;
      }
    return p;
  }();
  return pixels;
}

TColorSettings Settings() {
  TColorSettings st;
  st.Brightness = 40;
  st.ContrastPosition = 12;
  st.Saturation = 60;
  st.Hue = 30;
  st.GammaPosition = 11;
  return st;
}

void Fast(benchmark::State& state, unsigned threads) {
  const auto& src = Photo();
  std::vector<std::uint32_t> dst(src.size());
  const TColorSettings st = Settings();
  for (auto _ : state) {
    AdjustPicture({src.data(), kSize, kSize, kSize}, {dst.data(), kSize, kSize, kSize}, st, threads);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.counters["threads"] = threads ? threads : std::thread::hardware_concurrency();
}

void BM_ColourRecompute_FastAllCores(benchmark::State& state) { Fast(state, 0); }
void BM_ColourRecompute_FastOneCore(benchmark::State& state) { Fast(state, 1); }
// The same fast path without the eight-pixel hue and saturation step.
void BM_ColourRecompute_ScalarOneCore(benchmark::State& state) {
  SetColorAdjustVectorPath(false);
  Fast(state, 1);
  SetColorAdjustVectorPath(true);
}

void BM_ColourRecompute_Reference(benchmark::State& state) {
  const auto& src = Photo();
  std::vector<std::uint32_t> dst(src.size());
  const TColorSettings st = Settings();
  for (auto _ : state) {
    AdjustPictureReference({src.data(), kSize, kSize, kSize}, {dst.data(), kSize, kSize, kSize}, st);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_ColourRecompute_FastAllCores)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ColourRecompute_FastOneCore)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ColourRecompute_ScalarOneCore)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ColourRecompute_Reference)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);


}  // namespace

int main(int argc, char** argv) {
  if (!InitializeWithRepetitions(argc, argv, 7)) return 1;
  TMedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  auto& m = reporter.Medians;
  const double all = m["BM_ColourRecompute_FastAllCores"], one = m["BM_ColourRecompute_FastOneCore"],
               ref = m["BM_ColourRecompute_Reference"], scalar = m["BM_ColourRecompute_ScalarOneCore"];
  std::printf("\nmedians (ms): fast all cores %.3f, fast one core %.3f (eight-pixel step: %s), scalar one core %.3f, "
              "per-pixel reference %.3f\n",
              all, one, ColorAdjustVectorPath() ? "yes" : "no", scalar, ref);
  if (ref > 0) std::printf("ratio fast all cores / reference %.4f, fast one core / reference %.4f\n", all / ref, one / ref);
  if (one > 0 && all > 0) std::printf("speed-up of all cores over one core %.2f\n", one / all);
  benchmark::Shutdown();
  return 0;
}
