// Opening a large photograph (24 megapixels, made and written as a JPEG file by the run itself) through
// the program's own loader, the GDI+ bitmap-from-file call the main window opens portraits with, against
// djpeg decoding the same file (libjpeg-turbo-progs; scripts/bootstrap installs it). Also the peak memory
// of one open in a fresh process, against djpeg's and against the decoded picture (24 bits a pixel, what
// djpeg writes). Goals: time <= 1.5 x djpeg, peak <= 2 x the decoded picture.
// bench-deps: platform_gdiplus platform_graphics Qt6::Gui
#include <benchmark/benchmark.h>

#include <QImage>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "bench/medians.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/graphics/codecs.h"

extern char** environ;

using namespace Gdiplus;

namespace {

constexpr int kWidth = 6000, kHeight = 4000;
std::string PhotoFile;  // made once by main

// Something like a photograph: smooth gradients, a soft round shape, edges and fine grain.
QImage Photo() {
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  std::mt19937 rng(1);
  for (int y = 0; y < kHeight; ++y) {
    auto* p = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < kWidth; ++x) {
      const double fx = double(x) / kWidth, fy = double(y) / kHeight;
      const double disc = std::hypot(fx - 0.6, fy - 0.4);
      int r = int(60 + 150 * fy + 40 * std::sin(fx * 17)), g = int(90 + 100 * fx), b = int(200 - 120 * fy);
      if (disc < 0.2) {
        r = 230;
        g = int(180 - disc * 300);
        b = 60;
      }
      if ((x / 97 + y / 61) % 7 == 0) r = g = b = 30;
      const int n = int(rng() % 16) - 8;
      p[x] = qRgb(std::clamp(r + n, 0, 255), std::clamp(g + n, 0, 255), std::clamp(b + n, 0, 255));
    }
  }
  return img;
}

std::u16string Utf16(const std::string& S) { return std::u16string(S.begin(), S.end()); }  // ASCII paths

// Runs a program to its end; its exit status and peak resident size (kB), and what it printed.
struct TChildRun {
  bool ok = false;
  long peakKb = 0;
  std::string output;
};
TChildRun RunChild(std::vector<std::string> Args) {
  TChildRun run;
  int out[2];
  if (pipe(out) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<char*> argv;
  for (auto& a : Args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return run;
  }
  char buf[256];
  for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) run.output.append(buf, size_t(n));
  close(out[0]);
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.peakKb = usage.ru_maxrss;
  return run;
}

long StatusKb(const char* Key) {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind(Key, 0) == 0) return std::stol(line.substr(std::strlen(Key)));
  return -1;
}

// In a fresh process: the growth of the peak resident size over one open, in kB.
int MeasureOneOpen(const std::string& File) {
  const long before = StatusKb("VmRSS:");
  { std::ofstream("/proc/self/clear_refs") << "5"; }  // the peak starts again from here
  GpBitmap* bitmap = nullptr;
  if (GdipCreateBitmapFromFile(Utf16(File).c_str(), &bitmap) != Ok) return 1;
  const long peak = StatusKb("VmHWM:");
  GdipDisposeImage(bitmap);
  std::printf("%ld\n", peak - before);
  return 0;
}

// In a fresh, small process: djpeg's peak resident size in kB. The spawned child's peak starts from this
// process's size when it replaces itself with djpeg, so this process's own size is printed beside it.
int MeasureDjpeg(const std::string& File) {
  const long own = StatusKb("VmHWM:");
  const TChildRun run = RunChild({"djpeg", "-outfile", "/dev/null", File});
  if (!run.ok) return 1;
  std::printf("%ld %ld\n", run.peakKb, own);
  return 0;
}

void BM_Program_OpenPhoto(benchmark::State& state) {
  const std::u16string name = Utf16(PhotoFile);
  for (auto _ : state) {
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromFile(name.c_str(), &bitmap) != Ok) state.SkipWithError("the photo did not open");
    UINT w = 0;
    GdipGetImageWidth(bitmap, &w);
    benchmark::DoNotOptimize(w);
    GdipDisposeImage(bitmap);
  }
}

void BM_Djpeg_Photo(benchmark::State& state) {
  for (auto _ : state)
    if (!RunChild({"djpeg", "-outfile", "/dev/null", PhotoFile}).ok) state.SkipWithError("djpeg did not run");
}

BENCHMARK(BM_Program_OpenPhoto)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Djpeg_Photo)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--measure-one-open") == 0) return MeasureOneOpen(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "--measure-djpeg") == 0) return MeasureDjpeg(argv[2]);
  if (!InitializeWithRepetitions(argc, argv, 7)) return 1;
  const std::string folder = std::filesystem::temp_directory_path() / ("tressora_photo_bench_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  PhotoFile = folder + "/photo.jpg";
  std::vector<std::uint8_t> bytes;
  if (!PictureCodecs::EncodeJpeg(Photo(), 90, bytes) || !PictureCodecs::WriteWholeFile(PhotoFile, bytes)) {
    std::fprintf(stderr, "could not write %s\n", PhotoFile.c_str());
    return 1;
  }
  const bool haveDjpeg = RunChild({"djpeg", "-outfile", "/dev/null", PhotoFile}).ok;
  if (!haveDjpeg) std::fprintf(stderr, "djpeg is missing (libjpeg-turbo-progs): its figures are left out\n");
  TMedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& m = reporter.Medians;

  const double decodedMb = double(kWidth) * kHeight * 3 / 1e6;
  std::printf("\n%dx%d JPEG of %.1f MB, decoded picture %.1f MB at 24 bits a pixel\n", kWidth, kHeight,
              double(bytes.size()) / 1e6, decodedMb);
  const double ours = m["BM_Program_OpenPhoto"], theirs = m["BM_Djpeg_Photo"];
  if (haveDjpeg && theirs > 0)
    std::printf("  open: program %.1f ms, djpeg %.1f ms, ratio %.2f (goal <= 1.5: %s)\n", ours, theirs, ours / theirs,
                ours / theirs <= 1.5 ? "met" : "not met");
  else
    std::printf("  open: program %.1f ms\n", ours);
  const TChildRun one = RunChild({"/proc/self/exe", "--measure-one-open", PhotoFile});
  if (one.ok) {
    const double peakMb = std::stod(one.output) * 1024 / 1e6;
    std::printf("  peak memory of one open: program %.1f MB, %.2f x the decoded picture (goal <= 2: %s)", peakMb,
                peakMb / decodedMb, peakMb / decodedMb <= 2 ? "met" : "not met");
    std::printf("\n");
    const TChildRun d = haveDjpeg ? RunChild({"/proc/self/exe", "--measure-djpeg", PhotoFile}) : TChildRun{};
    long djpegKb = 0, helperKb = 0;
    if (d.ok && std::sscanf(d.output.c_str(), "%ld %ld", &djpegKb, &helperKb) == 2)
      std::printf("  peak memory of djpeg: %.1f MB (a whole process; %s)\n", double(djpegKb) * 1024 / 1e6,
                  djpegKb > helperKb ? "its own" : "at most the small process that started it");
  }
  std::filesystem::remove_all(folder);
  benchmark::Shutdown();
  return 0;
}
