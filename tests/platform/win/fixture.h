// Shared fixture: a fake clock, a clean window manager and a recording window class.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "platform/win/clock.h"
#include "platform/win/testing.h"
#include "platform/win/windows.h"

struct Logged {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// Messages of interest are logged; a test can hook any message of any window.
struct Recorder {
  static Recorder& Get() {
    static Recorder r;
    return r;
  }
  std::vector<Logged> log;
  std::map<std::pair<HWND, UINT>, std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>> hooks;
  std::map<HWND, COLORREF> paintColor;  // windows that paint themselves in one colour
  std::vector<UINT> Messages(HWND h, std::vector<UINT> only = {}) const {
    std::vector<UINT> r;
    for (auto& l : log)
      if (l.hwnd == h && (only.empty() || std::find(only.begin(), only.end(), l.msg) != only.end())) r.push_back(l.msg);
    return r;
  }
  int Count(HWND h, UINT m) const {
    int n = 0;
    for (auto& l : log) n += l.hwnd == h && l.msg == m;
    return n;
  }
};

inline LRESULT RecordingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  auto& r = Recorder::Get();
  r.log.push_back({h, m, w, l});
  auto it = r.hooks.find({h, m});
  if (it != r.hooks.end()) return it->second(h, m, w, l);
  if (m == WM_PAINT) {
    auto pc = r.paintColor.find(h);
    if (pc != r.paintColor.end()) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT rc;
      GetClientRect(h, &rc);
      HBRUSH b = CreateSolidBrush(pc->second);
      FillRect(dc, &rc, b);
      DeleteObject(b);
      EndPaint(h, &ps);
      return 0;
    }
  }
  return DefWindowProc(h, m, w, l);
}

class WinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock_.Install();
    Recorder::Get() = Recorder{};
    static bool registered = false;
    if (!registered) {
      WNDCLASS wc;
      wc.lpfnWndProc = RecordingProc;
      wc.lpszClassName = "TestWindow";
      wc.style = CS_DBLCLKS;
      wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_WINDOW + 1));
      RegisterClass(&wc);
      registered = true;
    }
  }
  void TearDown() override {
    win::ResetWindowManager();
    clock_.Uninstall();
  }
  HWND Top(int x, int y, int w, int h, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE) {
    return CreateWindowEx(0, "TestWindow", "top", style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
  }
  HWND Child(HWND parent, int x, int y, int w, int h, DWORD style = WS_CHILD | WS_VISIBLE, DWORD ex = 0) {
    return CreateWindowEx(ex, "TestWindow", "child", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
  }
  Recorder& rec() { return Recorder::Get(); }
  win::FakeClock clock_;
};
