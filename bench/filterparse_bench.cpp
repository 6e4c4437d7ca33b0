// The filter-row parser on long pasted texts of the shapes that read a run of NOT or look ahead at every
// blank: 100,000 "!", "ab ! ! ! ...", a run of NOT words and a list of quoted values with a bare one
// after each, at 50,000 and 100,000 characters. Linear work makes the ratio of the two about 2.
// Prints medians and ratios.
// bench-deps: dataedit platform_data platform_classes platform_rtl
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/medians.h"
#include "dataedit/DbUtilsX.h"

namespace {

std::string Shape(int Kind, size_t Length) {
  std::string T;
  switch (Kind) {
    case 0: T.assign(Length, '!'); break;
    case 1: T = "ab"; while (T.size() + 2 <= Length) T += " !"; break;
    case 2: while (T.size() + 4 <= Length) T += "NOT "; T += "LIKE x"; break;
    default: T = "'a'"; while (T.size() + 6 <= Length) T += ",b 'a'"; T += ",b"; break;
  }
  return T;
}

const char* const ShapeNames[] = {"bangs", "value_bangs", "not_words", "quoted_list"};

void BM_Parse(benchmark::State& State) {
  const std::string Text = Shape(static_cast<int>(State.range(0)), static_cast<size_t>(State.range(1)));
  for (auto _ : State) {
    TSTFilterExpressionX E;
    E.ValueKind = stvkString;
    try {
      ParseSTFilterText(Text, E);
    } catch (const Exception&) {
    }
    benchmark::DoNotOptimize(E);
  }
  State.SetLabel(ShapeNames[State.range(0)]);
}

}  // namespace

BENCHMARK(BM_Parse)
    ->ArgsProduct({{0, 1, 2, 3}, {50000, 100000}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

int main(int argc, char** argv) {
  if (!InitializeWithRepetitions(argc, argv, 5)) return 1;
  TArgMedianReporter Reporter;
  benchmark::RunSpecifiedBenchmarks(&Reporter);
  auto& M = Reporter.Medians;
  std::printf("\nmedians (ms) and the ratio of 100,000 to 50,000 characters:\n");
  for (int K = 0; K < 4; ++K) {
    const double Half = M["BM_Parse/" + std::to_string(K) + "/50000"];
    const double Full = M["BM_Parse/" + std::to_string(K) + "/100000"];
    std::printf("  %-12s 50,000: %8.3f  100,000: %8.3f  ratio %.2f\n", ShapeNames[K], Half, Full,
                Half > 0 ? Full / Half : 0.0);
  }
  return 0;
}
