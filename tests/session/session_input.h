#pragma once
// Real input for the session tester: key strokes with their modifiers, characters as the keyboard or an
// input method sends them, presses, drags and the wheel at screen points, all queued as the host queues
// them. Pump hands them to the program.

#include <cstdint>
#include <string>

#include "platform/forms/forms.h"
#include "platform/graphics/graphics.h"
#include "platform/win/testing.h"
#include "platform/win/windows.h"

namespace session {

// Everything queued, handled as the program handles it: the application's own loop first (a key goes to
// its control and becomes a character only if not taken), then whatever is left.
inline void Pump() {
  for (int i = 0; i < 8; ++i) {
    Application->ProcessMessages();
    if (win::PumpMessages() == 0) break;
  }
}

// The clock moves on by Ms, every timer due on the way firing in turn.
inline void Advance(win::FakeClock& Clock, uint64_t Ms) {
  Pump();
  win::AdvanceAndPump(Clock, Ms);
  Pump();
}

class Input {
 public:
  void Key(UINT Vk, bool Ctrl = false, bool Shift = false) {
    if (Ctrl) win::InjectKey(WM_KEYDOWN, VK_CONTROL);
    if (Shift) win::InjectKey(WM_KEYDOWN, VK_SHIFT);
    win::InjectKey(WM_KEYDOWN, Vk);
    win::InjectKey(WM_KEYUP, Vk);
    if (Shift) win::InjectKey(WM_KEYUP, VK_SHIFT);
    if (Ctrl) win::InjectKey(WM_KEYUP, VK_CONTROL);
  }
  // Alt held around a key, as the system keys arrive.
  void AltKey(UINT Vk) {
    win::InjectKey(WM_KEYDOWN, VK_MENU);
    win::InjectKey(WM_SYSKEYDOWN, Vk);
    win::InjectKey(WM_SYSKEYUP, Vk);
    win::InjectKey(WM_KEYUP, VK_MENU);
  }
  void HoldCtrl(bool Down) { win::InjectKey(Down ? WM_KEYDOWN : WM_KEYUP, VK_CONTROL); }
  void Chars(const std::string& Utf8) { win::InjectChar(Utf8); }
  // A press and release; a second one at once (the clock standing) is a double click.
  void Click(TPoint P) {
    win::InjectMouse(P.X, P.Y, WM_MOUSEMOVE);
    win::InjectMouse(P.X, P.Y, WM_LBUTTONDOWN, MK_LBUTTON);
    win::PumpMessages();
    win::InjectMouse(P.X, P.Y, WM_LBUTTONUP);
  }
  // A press at From, moves in Steps to To, and the release there.
  void Drag(TPoint From, TPoint To, int Steps = 1) {
    win::InjectMouse(From.X, From.Y, WM_MOUSEMOVE);
    win::InjectMouse(From.X, From.Y, WM_LBUTTONDOWN, MK_LBUTTON);
    win::PumpMessages();
    for (int i = 1; i <= Steps; ++i) {
      int x = From.X + (To.X - From.X) * i / Steps, y = From.Y + (To.Y - From.Y) * i / Steps;
      win::InjectMouse(x, y, WM_MOUSEMOVE, MK_LBUTTON);
      win::PumpMessages();
    }
    win::InjectMouse(To.X, To.Y, WM_LBUTTONUP);
  }
  void Wheel(TPoint P, int Delta) {
    win::InjectMouse(P.X, P.Y, WM_MOUSEMOVE);
    win::InjectMouse(P.X, P.Y, WM_MOUSEWHEEL, 0, Delta);
  }
};

}  // namespace session
