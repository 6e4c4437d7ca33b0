// Blending one 1920 x 1080 effects bitmap into another, against a plain copy of the same pixels in the
// same run. Prints the medians and the ratios at the end.
// bench-deps: effects
#include <benchmark/benchmark.h>

#include "bench/medians.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "effects/EffectsBitmap.h"
#include "effects/EffectsProbes.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

// A picture with soft alpha everywhere, some fully transparent and some opaque pixels.
void Fill(TEffectsBitmap& b, unsigned seed) {
  b.SetSize(kWidth, kHeight);
  std::mt19937 rng(seed);
  for (int y = 0; y < kHeight; ++y) {
    std::uint32_t* row = b.ScanLine(y);
    for (int x = 0; x < kWidth; ++x) {
      std::uint32_t a = (x * 255 / kWidth + (rng() & 31)) & 0xFF;
      if ((rng() & 15) == 0) a = (rng() & 1) ? 255 : 0;
      row[x] = a << 24 | (rng() & 0xFFFFFF);
    }
  }
}

struct TPair {
  TEffectsBitmap Source, Dest;
  TPair() {
    Fill(Source, 1);
    Fill(Dest, 2);
  }
};

TPair& Pair() {
  static TPair pair;
  return pair;
}

void Run(benchmark::State& state, bool alpha) {
  TPair& p = Pair();
  p.Source.SetHasAlpha(alpha);
  p.Source.SetKeyTransparent(false);
  const TRect r(0, 0, kWidth, kHeight);
  for (auto _ : state) {
    p.Source.DrawTo(&p.Dest, r, r);
    benchmark::DoNotOptimize(p.Dest.Pixels());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4LL);
}

void BM_Effects_BlendDrawTo(benchmark::State& state) { Run(state, true); }
void BM_Effects_CopyDrawTo(benchmark::State& state) { Run(state, false); }

void Rows(benchmark::State& state, void (*row)(const std::uint32_t*, std::uint32_t*, int)) {
  TPair& p = Pair();
  for (auto _ : state) {
    for (int y = 0; y < kHeight; ++y) row(p.Source.ScanLine(y), p.Dest.ScanLine(y), kWidth);
    benchmark::DoNotOptimize(p.Dest.Pixels());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 4LL);
}

void BM_Effects_PlainBlendRows(benchmark::State& state) { Rows(state, &PlainBlendRow); }
void BM_Effects_MMXBlendRows(benchmark::State& state) { Rows(state, &MMXBlendRow); }

BENCHMARK(BM_Effects_BlendDrawTo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Effects_CopyDrawTo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Effects_PlainBlendRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Effects_MMXBlendRows)->Unit(benchmark::kMillisecond);


}  // namespace

int main(int argc, char** argv) {
  if (!InitializeWithRepetitions(argc, argv, 9)) return 1;
  EffectsBitmapUnit::Initialize();
  EffectsProbesUnit::Initialize();
  TMedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  auto& m = reporter.Medians;
  const double blend = m["BM_Effects_BlendDrawTo"], copy = m["BM_Effects_CopyDrawTo"];
  const double plain = m["BM_Effects_PlainBlendRows"], mmx = m["BM_Effects_MMXBlendRows"];
  std::printf("\nmedians (ms): blend %.3f (table variant: %s, widest vectors %s), copy %.3f, plain blend rows %.3f, "
              "MMX blend rows %.3f\n",
              blend, PixelRoutines.BlendRow == &MMXBlendRow ? "MMX" : "plain",
              WidestVectors(),
              copy, plain, mmx);
  // The blend aims at one and a half times a copy at most: two reads and one write of the same bytes.
  if (copy > 0)
    std::printf("ratio blend / copy %.2f (goal <= 1.5: %s), plain blend / copy %.2f, MMX blend / copy %.2f\n",
                blend / copy, blend / copy <= 1.5 ? "met" : "not met", plain / copy, mmx / copy);
  EffectsProbesUnit::Finalize();
  EffectsBitmapUnit::Finalize();
  benchmark::Shutdown();
  return 0;
}
