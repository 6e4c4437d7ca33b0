// The hooks a host implements to show the program's top-level windows for real and to feed it input.
// With no host installed the program is headless: windows live only as records and back buffers, the
// shell open call is recorded, and waiting for events returns at once.
#pragma once

#include <string>
#include <vector>

#include "platform/win/windows.h"

namespace win {

class Host {
 public:
  virtual ~Host() = default;

  // Top-level windows (children never reach the host). Rectangles are window rectangles in screen
  // coordinates; the back buffer is the client area (see surface.h WindowBackBuffer).
  virtual void TopLevelCreated(HWND) {}
  virtual void TopLevelShown(HWND) {}
  virtual void TopLevelHidden(HWND) {}
  virtual void TopLevelMoved(HWND, const RECT& /*windowRect*/) {}
  virtual void TopLevelResized(HWND, const RECT& /*windowRect*/) {}
  virtual void TopLevelDestroyed(HWND) {}
  virtual void CaptionChanged(HWND, const std::string& /*caption*/) {}
  virtual void TopLevelActivated(HWND) {}
  // Part of a top-level's back buffer changed (client coordinates).
  virtual void Repainted(HWND, const RECT& /*clientRect*/) {}
  virtual void CursorChanged(HCURSOR) {}
  virtual void CaptureChanged(HWND /*newCapture*/) {}
  // A top-level window's shape (SetWindowRgn, window coordinates); `shaped` false: the whole rectangle.
  virtual void TopLevelShapeChanged(HWND, bool /*shaped*/, const std::vector<RECT>& /*rects*/) {}

  // The modifier keys held down now, as the native system knows them (kModifier* bits). Answers false
  // when it cannot tell (headless).
  virtual bool QueryModifierKeys(unsigned& /*down*/) { return false; }

  // Lets native events arrive (non-blocking). Called by PeekMessage when the queue is empty.
  virtual void PollEvents() {}
  // Blocks until a native event arrived or `timeoutMs` passed (-1: no limit). Called by GetMessage
  // and WaitMessage when the queue is empty; the timeout runs until the next timer is due.
  virtual void WaitForEvents(int /*timeoutMs*/) {}

  // The shell open call: a document path or a web address. Returns whether it was opened.
  virtual bool OpenDocument(const std::string& /*target*/) { return false; }
  // Screen geometry.
  virtual RECT ScreenRect() { return RECT{0, 0, 1280, 1024}; }
  virtual RECT WorkArea() { return RECT{0, 0, 1280, 984}; }
  // Every monitor, the primary one first: its whole rectangle and its work area.
  struct Monitor {
    RECT rect;
    RECT work;
  };
  virtual std::vector<Monitor> Monitors() { return {Monitor{ScreenRect(), WorkArea()}}; }
};

// Modifier bits of Host::QueryModifierKeys.
constexpr unsigned kModifierShift = 1;
constexpr unsigned kModifierControl = 2;
constexpr unsigned kModifierAlt = 4;

// Borrowed; nullptr returns to headless.
void InstallHost(Host* host);
Host* CurrentHost();

// Input entry points for the host (screen coordinates). Input is queued as it arrived and routed when
// the program takes it from the queue.
// keys: MK_* flags; wheelDelta: signed, WHEEL_DELTA per notch.
void QueueMouseInput(int screenX, int screenY, UINT message, WPARAM keys, int wheelDelta = 0);
// keyData: lParam of the key message (repeat count, scan code, flags); 0 gives a plain one.
void QueueKeyInput(UINT message, UINT vk, LPARAM keyData = 0);
// The same with the text the key types (as the keyboard layout gives it); TranslateMessage turns it
// into WM_CHAR instead of guessing from the virtual key.
void QueueKeyInputWithText(UINT message, UINT vk, LPARAM keyData, const std::string& utf8Text);
// One WM_CHAR (or WM_IME_CHAR when `ime`) per UTF-16 code unit of the text, to the focus window.
void QueueCharInput(const std::string& utf8Text, bool ime = false);
// An input method starts (WM_IME_STARTCOMPOSITION) or ends (WM_IME_ENDCOMPOSITION) composing text for
// the focus window; the committed text follows the start as QueueCharInput(text, true).
void QueueImeComposition(bool start);
// The window's close button: posts WM_SYSCOMMAND SC_CLOSE (which DefWindowProc turns into WM_CLOSE).
void QueueCloseRequest(HWND topLevel);
// The user moved or resized a top-level window (window rectangle in screen coordinates).
void NotifyTopLevelGeometry(HWND topLevel, const RECT& windowRect);
// Activation change from the native window system. `active` false means another program took the
// activation: the active window is deactivated and loses the focus, and every top-level window gets
// WM_ACTIVATEAPP (so pop-ups can close).
void NotifyTopLevelActivated(HWND topLevel, bool active);

// The keyboard comes back from elsewhere (a native dialog closed, another program gave the activation
// back): modifier keys pressed or let go meanwhile never reached the program, so their state is taken
// from the host. Without an answer from the host nothing changes.
void SyncModifierKeys();

// Whether the window may receive input-method text (see ImmAssociateContext).
bool ImeEnabledFor(HWND hwnd);

// What the headless shell open call recorded, oldest first.
const std::vector<std::string>& OpenedDocuments();
void ClearOpenedDocuments();

}  // namespace win
