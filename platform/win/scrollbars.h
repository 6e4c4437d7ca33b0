// Scroll bars of the Win32 level: the look of a bar handed to a painter (the host puts the desktop's
// style in place of the plain one), and the procedure of scroll-bar controls (class "ScrollBar").
// Qt-free: any folder may include it.
#pragma once

#include <functional>

#include "platform/win/windows.h"

namespace win {

// Scroll-bar control styles (low bits of the window style).
constexpr DWORD SBS_HORZ = 0x0000;
constexpr DWORD SBS_VERT = 0x0001;

// The class name of scroll-bar controls; SB_CTL reads and sets their range and position.
constexpr const char* kScrollBarClassName = "ScrollBar";

// Auto-repeat of a held arrow or page area: the first repeat after the delay, then at the interval,
// both on the queue's clock.
constexpr UINT kScrollRepeatDelay = 400;
constexpr UINT kScrollRepeatInterval = 100;
// Timer id the repeat runs under on the scrolled window (out of the range programs hand out).
constexpr UINT_PTR kScrollRepeatTimerId = 0xFFFE;

// One bar as it is to be drawn, in the coordinates of the DC it is drawn on. `thumb` is empty when the
// bar has no thumb (nothing to scroll, or too short for one). `pressed` is the part held down under
// the mouse (SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN, SB_THUMBTRACK) or -1.
struct ScrollBarLook {
  RECT bar{};
  bool vertical = true;
  RECT arrowUp{};    // left arrow of a horizontal bar
  RECT arrowDown{};  // right arrow of a horizontal bar
  RECT pageUp{};     // track before the thumb
  RECT pageDown{};   // track after the thumb
  RECT thumb{};
  int pressed = -1;
  bool enabled = true;
  bool upEnabled = true;    // ESB_DISABLE_LTUP clears it
  bool downEnabled = true;  // ESB_DISABLE_RTDN clears it
};

using ScrollBarPainter = std::function<void(HDC, const ScrollBarLook&)>;
// Installs the painter of every scroll bar; an empty function brings the plain one back.
void SetScrollBarPainter(ScrollBarPainter painter);
// The plain look: 3-D arrow buttons with glyphs, a stippled track, a raised thumb.
void PaintScrollBarPlain(HDC dc, const ScrollBarLook& look);

// The context menu of a scroll bar (a right click on it): offers the bar's moves and answers with the
// SB_ code chosen, kScrollHere for "scroll here", or -1 when nothing was chosen. The class library
// installs one made of its pop-up menus; without one a right click on a bar does nothing.
constexpr int kScrollHere = -2;
using ScrollBarMenu = std::function<int(HWND hwnd, bool vertical, POINT screen)>;
void SetScrollBarMenu(ScrollBarMenu menu);

// The window procedure of scroll-bar controls: paints the bar over the whole client area, tracks the
// mouse on it and sends WM_HSCROLL (SBS_HORZ) or WM_VSCROLL (SBS_VERT) to the parent with the bar's
// handle in lParam. A control of the class library that is a scroll bar passes what it does not
// handle here instead of to DefWindowProc.
LRESULT ScrollBarControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The part of a bar under a point of the window (client coordinates for SB_CTL, window coordinates
// for SB_HORZ/SB_VERT): SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN, SB_THUMBTRACK, or -1.
int ScrollBarPartAt(HWND hwnd, int bar, POINT pt);
// The look of a bar as it stands now (what a painter would get), in the same coordinates.
bool GetScrollBarLook(HWND hwnd, int bar, ScrollBarLook& look);

}  // namespace win
