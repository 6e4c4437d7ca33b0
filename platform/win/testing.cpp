// Test helpers: pumping the queue, synthetic input, reading and saving window pixels.
#include "platform/win/testing.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/win/host.h"
#include "platform/win/internal.h"

using namespace win::detail;

namespace win {

int PumpMessages() {
  int count = 0;
  MSG m;
  // Bounded: a window that invalidates itself while painting cannot hang a test.
  for (int i = 0; i < 100000; ++i) {
    if (!PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) break;
    if (m.message == WM_QUIT) {
      // Kept for the program's own loop to see.
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    TranslateMessage(&m);
    DispatchMessage(&m);
    ++count;
  }
  FlushDirty();
  return count;
}

void AdvanceAndPump(FakeClock& clock, std::uint64_t ms) {
  std::uint64_t end = clock.NowMs() + ms;
  PumpMessages();
  for (int guard = 0; guard < 1000000; ++guard) {
    std::uint64_t due = 0;
    if (!NextTimerDue(due) || due > end) break;
    if (due > clock.NowMs()) clock.Set(due);
    PumpMessages();
  }
  clock.Set(end);
  PumpMessages();
}

void InjectMouse(int x, int y, UINT message, WPARAM keys, int wheelDelta) { RouteMouse(x, y, message, keys, wheelDelta); }
void InjectKey(UINT message, UINT vk) { RouteKey(message, vk, 0, {}); }
void InjectChar(const std::string& text) { RouteChars(text, false); }
void InjectImeText(const std::string& text) { RouteChars(text, true); }
void InjectImeComposition(const std::string& text) {
  RouteComposition(true);
  RouteChars(text, true);
  RouteComposition(false);
}

void Click(int x, int y) {
  InjectMouse(x, y, WM_MOUSEMOVE);
  InjectMouse(x, y, WM_LBUTTONDOWN);
  PumpMessages();
  InjectMouse(x, y, WM_LBUTTONUP);
  PumpMessages();
}

COLORREF GetWindowPixel(HWND hwnd, int x, int y) {
  PumpMessages();
  Window* w = W(hwnd);
  if (!w) return CLR_INVALID;
  Window* top = TopLevelOf(w);
  QImage* buffer = BackBuffer(top);
  if (!buffer || !QRect(0, 0, w->client.width(), w->client.height()).contains(x, y)) return CLR_INVALID;
  QPoint p = ClientOriginInBuffer(w) + QPoint(x, y);
  if (!buffer->rect().contains(p)) return CLR_INVALID;
  QRgb v = buffer->pixel(p);
  return RGB(qRed(v), qGreen(v), qBlue(v));
}

bool SaveWindowPng(HWND topLevel, const std::string& path) {
  PumpMessages();
  Window* w = W(topLevel);
  QImage* buffer = BackBuffer(w);
  if (!w || !buffer) return false;
  QFileInfo info(QString::fromStdString(path));
  QDir().mkpath(info.absolutePath());
  return buffer->save(QString::fromStdString(path), "PNG");
}

std::string ArtifactPath(const std::string& name) {
  const char* env = std::getenv("TRESSORA_ARTIFACTS");
  std::string dir = env && *env ? env : "artifacts";
  QDir().mkpath(QString::fromStdString(dir));
  return dir + "/" + name;
}

std::string TempFolder(const std::string& name) {
  namespace fs = std::filesystem;
  static std::vector<fs::path> made;  // removed when the test program ends
  if (made.empty()) std::atexit([] {
    std::error_code ec;
    for (const fs::path& p : made) fs::remove_all(p, ec);
  });
  const fs::path dir = fs::temp_directory_path() / ("tressora_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  made.push_back(dir);
  return dir.string();
}

void ResetWindowManager() {
  auto& st = S();
  std::vector<HWND> tops;
  for (Window* t : st.topLevels) tops.push_back(t->handle);
  for (HWND h : tops) DestroyWindow(h);
  st.windows.clear();
  st.topLevels.clear();
  st.posted.clear();
  st.input.clear();
  st.quit = false;
  st.timers.clear();
  st.focus = st.capture = st.active = nullptr;
  st.keys.fill(0);
  st.asyncKeys.fill(0);
  st.drag = DragState{};
  st.scrollTrack = ScrollTrack{};
  st.mouseTracked = st.lastMouseWindow = st.hoverTracked = nullptr;
  st.dirty.clear();
  st.caret = Caret{};
  st.cursorPos = QPoint(0, 0);
  st.doubleClickTime = 500;
}

}  // namespace win
