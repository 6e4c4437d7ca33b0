// The chart library's image work against baselines timed in the same run, one thread each:
// - smooth stretch (Lanczos-3) of a 4000 x 3000 picture to 1000 x 750 and to 8000 x 6000, against
//   Pillow's Image.resize with its Lanczos filter on the same picture (driven by chart_pillow_resize.py);
// - the per-pixel filters and the 3 x 3 convolutions on 1920 x 1080, against a plain copy of the pixels;
// - rotation by 30 degrees against QImage::transformed without smoothing (nearest pixel).
// Prints the medians and the ratios at the end.
// bench-deps: chart platform_graphics Qt6::Gui
#include <benchmark/benchmark.h>

#include <QImage>
#include <QThreadPool>
#include <QTransform>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "bench/medians.h"
#include "bench/photo_like.h"
#include "chart/ChartConst.h"
#include "chart/ChartFilters.h"
#include "chart/ChartResample.h"

namespace {

// A photograph-like picture (bench/photo_like.h) in 24 bits.
void Paint(TBitmap& B, int W, int H) {
  B.SetPixelFormat(pf24bit);
  B.SetSize(W, H);
  std::mt19937 rng(1);
  for (int y = 0; y < H; ++y) {
    auto* p = static_cast<uint8_t*>(B.ScanLine(y));
    for (int x = 0; x < W; ++x) {
      const TPhotoPixel px = PhotoLikePixel(x, y, W, H, 24, rng);
      p[3 * x] = px.B;
      p[3 * x + 1] = px.G;
      p[3 * x + 2] = px.R;
    }
  }
}

TBitmap& Large() {
  static TBitmap b;
  if (b.Empty()) Paint(b, 4000, 3000);
  return b;
}

TBitmap& HD() {
  static TBitmap b;
  if (b.Empty()) Paint(b, 1920, 1080);
  return b;
}

void Stretch(benchmark::State& state, int W, int H) {
  TBitmap dst;
  dst.SetPixelFormat(pf24bit);
  dst.SetSize(W, H);
  for (auto _ : state) {
    StretchSmooth(&Large(), &dst);
    benchmark::DoNotOptimize(dst.ScanLine(0));
  }
}
void BM_Chart_SmoothShrink1000x750(benchmark::State& state) { Stretch(state, 1000, 750); }
void BM_Chart_SmoothEnlarge8000x6000(benchmark::State& state) { Stretch(state, 8000, 6000); }

// The plain copy every per-pixel filter is measured against.
void BM_Chart_Copy(benchmark::State& state) {
  TBitmap& src = HD();
  static TBitmap dst;
  dst.Assign(&src);
  const size_t bytes = 3 * 1920;
  for (auto _ : state) {
    for (int y = 0; y < 1080; ++y) std::memcpy(dst.ScanLine(y), src.ScanLine(y), bytes);
    benchmark::DoNotOptimize(dst.ScanLine(0));
    benchmark::ClobberMemory();
  }
}

template <typename F>
void Filter(benchmark::State& state, const std::function<void(F&)>& Set) {
  static TBitmap work;
  work.Assign(&HD());
  F f(nullptr);
  if (Set) Set(f);
  for (auto _ : state) {
    f.FilterBitmap(&work);
    benchmark::DoNotOptimize(work.ScanLine(0));
    benchmark::ClobberMemory();
  }
}

void BM_Chart_Invert(benchmark::State& s) { Filter<TInvertFilter>(s, nullptr); }
void BM_Chart_Brightness(benchmark::State& s) {
  Filter<TBrightnessFilter>(s, [](TBrightnessFilter& f) { f.SetAmount(10); });
}
void BM_Chart_Contrast(benchmark::State& s) { Filter<TContrastFilter>(s, [](TContrastFilter& f) { f.SetAmount(20); }); }
void BM_Chart_Gamma(benchmark::State& s) { Filter<TGammaCorrectionFilter>(s, nullptr); }
void BM_Chart_Color(benchmark::State& s) {
  Filter<TColorFilter>(s, [](TColorFilter& f) {
    f.SetRed(10);
    f.SetBlue(-10);
  });
}
void BM_Chart_Sharpen(benchmark::State& s) { Filter<TSharpenFilter>(s, nullptr); }
void BM_Chart_Emboss(benchmark::State& s) { Filter<TEmbossFilter>(s, nullptr); }
void BM_Chart_Soften(benchmark::State& s) { Filter<TSoftenFilter>(s, nullptr); }
void BM_Chart_Blur(benchmark::State& s) { Filter<TBlurFilter>(s, nullptr); }

void BM_Chart_Rotate30(benchmark::State& state) {
  TBitmap work;
  TRotateFilter f(nullptr);
  f.SetAngle(30);
  for (auto _ : state) {
    state.PauseTiming();
    work.Assign(&HD());
    state.ResumeTiming();
    f.FilterBitmap(&work);
    benchmark::DoNotOptimize(work.ScanLine(0));
  }
}

void QtTransformed(benchmark::State& state, int Threads) {
  // Qt spreads large image work over its global thread pool; the one-thread figure is the fair one.
  const int was = QThreadPool::globalInstance()->maxThreadCount();
  if (Threads > 0) QThreadPool::globalInstance()->setMaxThreadCount(Threads);
  // The same pixels, in the same 24-bit layout.
  QImage img(1920, 1080, QImage::Format_BGR888);
  for (int y = 0; y < 1080; ++y) std::memcpy(img.scanLine(y), HD().ScanLine(y), 3 * 1920);
  for (auto _ : state) {
    QImage out = img.transformed(QTransform().rotate(30), Qt::FastTransformation);
    benchmark::DoNotOptimize(out.constBits());
  }
  QThreadPool::globalInstance()->setMaxThreadCount(was);
}
void BM_Qt_Transformed30(benchmark::State& state) { QtTransformed(state, 0); }
void BM_Qt_Transformed30OneThread(benchmark::State& state) { QtTransformed(state, 1); }

BENCHMARK(BM_Chart_SmoothShrink1000x750)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Chart_SmoothEnlarge8000x6000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Chart_Copy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chart_Invert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chart_Brightness)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chart_Contrast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chart_Gamma)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chart_Color)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chart_Sharpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chart_Emboss)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chart_Soften)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chart_Blur)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chart_Rotate30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Qt_Transformed30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Qt_Transformed30OneThread)->Unit(benchmark::kMillisecond);

// Pillow on the same 4000 x 3000 picture (as RGB), timed by the script; medians in milliseconds.
std::map<std::string, double> PillowMedians(int Repetitions) {
  std::map<std::string, double> result;
  const std::filesystem::path script = std::filesystem::path(__FILE__).parent_path() / "chart_pillow_resize.py";
  const std::filesystem::path picture = std::filesystem::temp_directory_path() / "tressora_chart_bench.ppm";
  {
    TBitmap& b = Large();
    std::ofstream out(picture, std::ios::binary);
    out << "P6\n" << b.Width() << " " << b.Height() << "\n255\n";
    std::string row(size_t(3 * b.Width()), '\0');
    for (int y = 0; y < b.Height(); ++y) {
      const auto* p = static_cast<const uint8_t*>(b.ScanLine(y));
      for (int x = 0; x < b.Width(); ++x) {
        row[size_t(3 * x)] = char(p[3 * x + 2]);
        row[size_t(3 * x + 1)] = char(p[3 * x + 1]);
        row[size_t(3 * x + 2)] = char(p[3 * x]);
      }
      out.write(row.data(), std::streamsize(row.size()));
    }
  }
  // Debian's interpreter carries python3-pil; a python3 earlier on the PATH may not.
  const std::string python = std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
  const std::string cmd = python + " '" + script.string() + "' '" + picture.string() + "' " +
                          std::to_string(Repetitions) + " 1000x750 8000x6000";
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char size[64];
    double ms;
    while (std::fscanf(p, "%63s %lf", size, &ms) == 2) result[size] = ms;
    pclose(p);
  }
  std::filesystem::remove(picture);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (!InitializeWithRepetitions(argc, argv, 5)) return 1;
  ChartConst::Initialize();
  ChartFilters::Initialize();
  TMedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& m = reporter.Medians;

  auto pillow = PillowMedians(5);
  std::printf("\nmedians (ms), one thread each, widest vectors %s:\n", WidestVectors());
  for (auto [name, size] : {std::pair{"BM_Chart_SmoothShrink1000x750", "1000x750"},
                            {"BM_Chart_SmoothEnlarge8000x6000", "8000x6000"}}) {
    if (!m.count(name)) continue;
    if (pillow.count(size))
      std::printf("  Lanczos-3 4000x3000 -> %-9s chart %9.2f  Pillow %9.2f  ratio %.2f\n", size, m[name], pillow[size],
                  m[name] / pillow[size]);
    else
      std::printf("  Lanczos-3 4000x3000 -> %-9s chart %9.2f  Pillow (not available)\n", size, m[name]);
  }
  const double copy = m["BM_Chart_Copy"];
  if (copy > 0) {
    std::printf("  1920x1080 plain copy %.3f\n", copy);
    for (const char* n : {"Invert", "Brightness", "Contrast", "Gamma", "Color", "Sharpen", "Emboss", "Soften", "Blur"}) {
      const std::string key = std::string("BM_Chart_") + n;
      // The 3 x 3 convolutions aim at four times a copy at most.
      const bool convolution = std::strcmp(n, "Sharpen") == 0 || std::strcmp(n, "Emboss") == 0 ||
                               std::strcmp(n, "Soften") == 0 || std::strcmp(n, "Blur") == 0;
      if (m.count(key))
        std::printf("  %-10s %8.3f  ratio to copy %.2f%s\n", n, m[key], m[key] / copy,
                    convolution ? (m[key] / copy <= 4 ? "  (goal <= 4: met)" : "  (goal <= 4: not met)") : "");
    }
  }
  if (m["BM_Qt_Transformed30"] > 0)
    std::printf("  rotate 30: chart %.3f  QImage::transformed %.3f (ratio %.2f), on one thread %.3f (ratio %.2f)\n",
                m["BM_Chart_Rotate30"], m["BM_Qt_Transformed30"], m["BM_Chart_Rotate30"] / m["BM_Qt_Transformed30"],
                m["BM_Qt_Transformed30OneThread"], m["BM_Chart_Rotate30"] / m["BM_Qt_Transformed30OneThread"]);
  ChartFilters::Finalize();
  ChartConst::Finalize();
  benchmark::Shutdown();
  return 0;
}
