// Helpers for tests of every folder. Qt-free: include from any test.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win/clock.h"
#include "platform/win/windows.h"

namespace win {

// Processes everything pending: posted and input messages, then paints of all invalid windows, then
// timers that are due on the current clock; repeats until nothing is left (bounded, so a window that
// invalidates itself in WM_PAINT cannot hang a test). Returns the number of messages dispatched.
int PumpMessages();

// Advances the installed FakeClock by `ms` in steps that stop at every due timer, pumping after each,
// so periodic timers fire as often as they would in real time.
void AdvanceAndPump(FakeClock& clock, std::uint64_t ms);

// Input as the host would deliver it, at screen coordinates. It is queued as it arrived and routed like
// real input when taken from the queue (capture, then the deepest enabled visible window; WM_NCHITTEST
// and WM_MOUSEACTIVATE honoured; keys to the focus window at that moment), so input injected in one go
// follows capture and focus changes made by the messages before it. Call PumpMessages to deliver it. `keys` is MK_* (added to from the key state when 0);
// for WM_MOUSEWHEEL `wheelDelta` is the signed delta (WHEEL_DELTA per notch).
void InjectMouse(int screenX, int screenY, UINT message, WPARAM keys = 0, int wheelDelta = 0);
// WM_KEYDOWN / WM_KEYUP / WM_SYSKEYDOWN / WM_SYSKEYUP to the focus window; updates GetKeyState.
void InjectKey(UINT message, UINT vk);
// WM_CHAR with one UTF-16 code unit per message (characters beyond the BMP as a surrogate pair) to
// the focus window, for each character of the UTF-8 text.
void InjectChar(const std::string& utf8Text);
// WM_IME_CHAR per character, as an input method commits text.
void InjectImeText(const std::string& utf8Text);
// A whole composition: WM_IME_STARTCOMPOSITION to the focus window, the text as WM_IME_CHAR to the
// focus window as it is after the start, then WM_IME_ENDCOMPOSITION.
void InjectImeComposition(const std::string& utf8Text);

// Presses and releases the left button at a screen point, pumping in between.
void Click(int screenX, int screenY);

// A pixel of a window's client area as last painted into its top-level's back buffer; CLR_INVALID
// outside. Pumps pending paints first.
COLORREF GetWindowPixel(HWND hwnd, int clientX, int clientY);
// Saves a top-level window's back buffer as PNG (pumps paints first). Returns false on failure.
bool SaveWindowPng(HWND topLevel, const std::string& path);
// Path for a picture a person should look at: $TRESSORA_ARTIFACTS/name, or ./artifacts/name.
// The folder is created when missing.
std::string ArtifactPath(const std::string& name);
// A fresh, empty folder for a test's files: <temp>/tressora_<name>_<process id>. Test cases run as
// parallel processes, and several suites may run on one machine at once, so a fixed name would be
// shared between them. The folders are removed when the test program ends.
std::string TempFolder(const std::string& name);

// While on, the pixels of every new DIB section (every TBitmap's storage) end exactly where an
// inaccessible page begins, so a read or write past a bitmap's last byte faults at once. For tests of
// loops that work many bytes at a time; off by default, and sections made before stay as they are.
void GuardPixelEnds(bool On);

// Destroys every window, kills all timers, empties the queue, releases capture and focus and resets
// key state: a fresh start between tests. GDI objects are left alone.
void ResetWindowManager();

}  // namespace win
