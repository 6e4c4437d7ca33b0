// Start-up as the user waits for it: from starting the program to its main window on the screen with
// the program's own drawing in it, against a minimal Qt program that shows one window with a line of
// text. Both are started as new processes in the same run, on the offscreen platform, and both report
// their first paint through the host's start-up probe (platform/host/startup_probe.h).
//
// The baseline talks to Qt directly on purpose: it is the yardstick the platform layer is measured by.
// bench-deps: platform_host Qt6::Widgets

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/medians.h"
#include "platform/host/startup_probe.h"

extern char** environ;

namespace {

const char* const kMinimalWindowArg = "--minimal-qt-window";

std::string SelfPath() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

// Starts the program with the probe's descriptor and returns the seconds until its first paint, or a
// negative value when it ended (or took 30 s) without one.
double SecondsToFirstPaint(const std::string& exe, const std::vector<std::string>& args) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "TRESSORA_STARTUP_PROBE=", 23) != 0 && std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0)
      env.emplace_back(*e);
  env.push_back("TRESSORA_STARTUP_PROBE=" + std::to_string(fds[1]));
  env.push_back("QT_QPA_PLATFORM=offscreen");
  std::vector<char*> envp, argv;
  for (auto& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> all = {exe};
  all.insert(all.end(), args.begin(), args.end());
  for (auto& s : all) argv.push_back(s.data());
  argv.push_back(nullptr);

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv.data(), envp.data());
  ::close(fds[1]);
  double seconds = -1;
  if (spawned == 0) {
    pollfd p{fds[0], POLLIN, 0};
    char byte = 0;
    if (::poll(&p, 1, 30000) == 1 && ::read(fds[0], &byte, 1) == 1)
      seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (seconds < 0) ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
  }
  ::close(fds[0]);
  return seconds;
}

void Measure(benchmark::State& state, const std::string& exe, const std::vector<std::string>& args) {
  if (::access(exe.c_str(), X_OK) != 0) {
    state.SkipWithError(("not built: " + exe).c_str());
    return;
  }
  for (auto _ : state) {
    const double s = SecondsToFirstPaint(exe, args);
    if (s < 0) {
      state.SkipWithError("the process ended without painting a window");
      return;
    }
    state.SetIterationTime(s);
  }
}

// The program itself, as built beside this benchmark (its pictures are copied next to it).
void BM_ProgramStartUp(benchmark::State& state) {
  Measure(state, (std::filesystem::path(SelfPath()).parent_path().parent_path() / "app" / "tressora").string(), {});
}
BENCHMARK(BM_ProgramStartUp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_MinimalQtWindowStartUp(benchmark::State& state) { Measure(state, SelfPath(), {kMinimalWindowArg}); }
BENCHMARK(BM_MinimalQtWindowStartUp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4);

// The baseline's process: a Qt application with one window of the main window's size and a line of
// Chinese text, reporting its first paint.
class MinimalWindow : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), QColor(255, 255, 255));
    p.drawText(20, 40, QStringLiteral("发型设计"));
    p.end();
    host::StartupProbeFirstPaint();
  }
};

int RunMinimalWindow(int argc, char** argv) {
  QApplication app(argc, argv);
  MinimalWindow w;
  w.resize(964, 700);  // the main window's client size
  w.setWindowTitle(QStringLiteral("发型设计"));
  w.show();
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], kMinimalWindowArg) == 0) return RunMinimalWindow(argc, argv);
  if (!InitializeWithRepetitions(argc, argv, 5)) return 1;
  TMedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const auto& m = reporter.Medians;
  if (m.count("BM_ProgramStartUp") && m.count("BM_MinimalQtWindowStartUp") && m.at("BM_MinimalQtWindowStartUp") > 0)
    std::printf("start-up: program %.1f ms, minimal Qt window %.1f ms, ratio %.2f\n", m.at("BM_ProgramStartUp"),
                m.at("BM_MinimalQtWindowStartUp"), m.at("BM_ProgramStartUp") / m.at("BM_MinimalQtWindowStartUp"));
  return 0;
}
