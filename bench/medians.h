#pragma once
// Benchmark programs that print ratios of medians: repetitions by default, and the medians kept.

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

// Keeps the medians of the repetitions (milliseconds, by benchmark name) so ratios can be printed.
class TMedianReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> Medians;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
        Medians[r.run_name.function_name] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

// Keeps the medians by benchmark name and argument ("BM_EditPost/1000"; the name alone without one).
class TArgMedianReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> Medians;
  void ReportRuns(const std::vector<Run>& Runs) override {
    for (const Run& R : Runs)
      if (R.run_type == Run::RT_Aggregate && R.aggregate_name == "median")
        Medians[R.run_name.function_name + (R.run_name.args.empty() ? "" : "/" + R.run_name.args)] =
            R.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(Runs);
  }
};

// Initialises the library with `Repetitions` repetitions (aggregates only) unless the caller named a
// count. False when an argument is not understood.
inline bool InitializeWithRepetitions(int argc, char** argv, int Repetitions) {
  std::vector<char*> args(argv, argv + argc);
  std::string reps = "--benchmark_repetitions=" + std::to_string(Repetitions);
  std::string only = "--benchmark_report_aggregates_only=true";
  bool hasReps = false;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0) hasReps = true;
  if (!hasReps) {
    args.push_back(reps.data());
    args.push_back(only.data());
  }
  int n = static_cast<int>(args.size());
  benchmark::Initialize(&n, args.data());
  return !benchmark::ReportUnrecognizedArguments(n, args.data());
}

// The widest vectors the image routines take on this processor (the same test as theirs).
inline const char* WidestVectors() {
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")) return "512-bit";
  return __builtin_cpu_supports("avx2") ? "256-bit" : "128-bit";
}
