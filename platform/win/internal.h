// Private state of the Win32 level: window records, the queue, GDI objects and device contexts.
#pragma once

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QTransform>

#include <array>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win/windows.h"

namespace win::detail {

// ---- handles -------------------------------------------------------------------------------------
// Handle values are never reused and never small, so (HBRUSH)(COLOR_x + 1) and HWND_TOPMOST cannot
// collide with real handles, and a stale handle is simply unknown.
std::uintptr_t NewHandleValue();

// ---- window manager -------------------------------------------------------------------------------
struct WindowClass {
  WNDCLASS wc;
  std::string name;
  std::string menuName;
};

struct ScrollBarState {
  SCROLLINFO info;
  bool shown = true;
  UINT disabled = 0;
  bool noScrollDisabled = false;  // shown without a range because SIF_DISABLENOSCROLL asked for it
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string text;
  Window* parent = nullptr;  // children only
  HWND owner = nullptr;      // top-level windows only
  std::vector<Window*> children;  // z-order: front is top
  QRect rect;                     // window rectangle: parent client coords (children) or screen
  QRect client;                   // client rectangle relative to the window rectangle's origin
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  HINSTANCE instance = nullptr;
  std::map<std::string, HANDLE> props;
  std::vector<char> extra;
  QRegion update;  // client coordinates
  bool erase = false;
  bool internalPaint = false;
  bool ncDirty = false;
  bool destroying = false;
  bool created = false;
  // Top-level windows: the back buffer (read it through BackBuffer). It is made, filled with the face
  // colour, when first drawn on or read, at the size and colour of the last resize: hidden windows and
  // sizes a window only passes through while it is set up never get pixels of their own.
  std::unique_ptr<QImage> bufferImage;
  bool bufferWanted = false;
  QSize bufferSize;
  QRgb bufferFill = 0;
  std::array<ScrollBarState, 2> scroll;
  ScrollBarState ctlScroll;  // SB_CTL: the bar a scroll-bar control is
  bool hasRegion = false;    // SetWindowRgn: drawing and hit testing keep inside `region`
  QRegion region;            // window coordinates
  HICON icon = nullptr;
  // Top-level windows: the bounds to come back to when a maximised or minimised window is restored.
  QRect normalRect;
  bool hasNormal = false;
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT interval = 0;
  std::uint64_t due = 0;
  TIMERPROC proc = nullptr;
};

struct DragState {
  HWND hwnd = nullptr;
  LRESULT hit = 0;
  QPoint start;
  QRect startRect;
};

struct ScrollTrack {
  HWND hwnd = nullptr;
  int bar = 0;
  int part = -1;  // SB_LINEUP ... SB_THUMBTRACK
  int grabOffset = 0;
  bool over = true;   // the mouse is over the pressed part (it repeats and shows pressed)
  QPoint last;        // last mouse position, bar coordinates
  int startPos = 0;   // position when the thumb was taken
};

struct Caret {
  HWND hwnd = nullptr;
  int width = 1;
  int height = 1;
  QPoint pos;
  int hideCount = 1;
  bool drawn = false;
};

// Input waits in the queue as it arrived and is routed when it is taken, so that it goes where the
// state left by the messages before it (capture, focus, tracking) sends it.
struct InputEntry {
  enum class Kind { Mouse, Key, Char, Composition, Routed } kind = Kind::Routed;
  MSG msg;  // Routed
  QPoint screen;
  UINT message = 0;
  WPARAM keys = 0;
  int wheel = 0;
  UINT vk = 0;
  LPARAM keyData = 0;
  std::string text;  // key-down text, as the keyboard layout typed it
  char16_t unit = 0;  // Char
  bool ime = false;
  DWORD time = 0;
};

struct State {
  std::unordered_map<std::uintptr_t, std::unique_ptr<Window>> windows;
  std::map<std::string, std::shared_ptr<WindowClass>> classes;  // lower-case names
  std::vector<Window*> topLevels;  // z-order, front is top
  std::deque<MSG> posted;
  std::deque<InputEntry> input;
  bool quit = false;
  int quitCode = 0;
  std::vector<Timer> timers;
  UINT_PTR nextTimerId = 0x7F00;
  HWND focus = nullptr;
  HWND focusLeaving = nullptr;  // the window being sent WM_KILLFOCUS by SetFocus
  HWND capture = nullptr;
  HWND active = nullptr;
  std::array<BYTE, 256> keys{};       // as of the last message taken from the queue
  std::array<BYTE, 256> asyncKeys{};  // as of the latest input
  QPoint cursorPos{0, 0};
  HCURSOR cursor = nullptr;
  int cursorShowCount = 0;
  MSG lastMsg;
  std::uint64_t geometryGen = 1;
  int sendDepth = 0;
  DragState drag;
  ScrollTrack scrollTrack;
  HWND mouseTracked = nullptr;
  HWND hoverTracked = nullptr;  // TME_HOVER: WM_MOUSEHOVER once the mouse rests there
  std::uint64_t hoverDue = 0;
  UINT hoverDelay = 400;
  HWND lastMouseWindow = nullptr;
  std::string lastKeyText;
  UINT lastKeyVk = 0;
  LPARAM lastKeyData = 0;
  std::map<HWND, QRect> dirty;  // top-level -> changed buffer area
  Caret caret;
  // Double clicks come from the host; the time is what library code compares against.
  UINT doubleClickTime = 500;
};

State& S();

Window* W(HWND hwnd);  // nullptr for unknown or destroyed handles
inline HWND H(const Window* w) { return w ? w->handle : nullptr; }
Window* TopLevelOf(Window* w);
bool IsVisibleChain(const Window* w);
bool IsEnabledChain(const Window* w);
bool IsDescendant(const Window* ancestor, const Window* w);  // w == ancestor counts

// Geometry in the top-level buffer and on screen.
QPoint WindowOriginInBuffer(const Window* w);
QPoint ClientOriginInBuffer(const Window* w);
QPoint ClientOriginOnScreen(const Window* w);
QRect ClientRectLocal(const Window* w);  // (0, 0, cw, ch)
// Region of the buffer where drawing on the window shows (client area or whole window).
QRegion VisibleRegion(const Window* w, bool clientOnly);
void GeometryChanged();

// A top-level window's back buffer, made now if it is still owed; nullptr for other windows.
QImage* BackBuffer(Window* top);

void MarkDirty(Window* top, const QRect& bufferRect);
void FlushDirty();

// Invalidation with the child rule (children included unless WS_CLIPCHILDREN, or forced).
enum class ChildMode { Default, All, None };
void InvalidateRegion(Window* w, const QRegion& clientRegion, bool erase, ChildMode mode);
void InvalidateWholeWindow(Window* w);
void InvalidateParentArea(Window* w);  // area of w inside its parent (or nothing for top-levels)
void SendNcPaintIfNeeded(Window* w);

// Input
Window* HitWindow(QPoint screen, bool enabledOnly);
HWND ActivateFromClick(HWND top);
HWND DeactivateProgram();  // another program took the activation
// Queue input as it arrives (screen coordinates for the mouse).
void RouteMouse(int sx, int sy, UINT message, WPARAM keys, int wheelDelta);
void RouteKey(UINT message, UINT vk, LPARAM keyData, const std::string& text);
void RouteChars(const std::string& utf8, bool ime);
// WM_IME_STARTCOMPOSITION (start) or WM_IME_ENDCOMPOSITION to the focus window when taken.
void RouteComposition(bool start);
// Routes one entry now: the messages it becomes (none when it is eaten or lands nowhere).
std::vector<MSG> RouteEntry(const InputEntry& e);
void SetCursorInternal(HCURSOR c);
// Applies a key or button message to a key-state table.
void ApplyInputToKeys(std::array<BYTE, 256>& keys, const MSG& m);

// Scroll bar non-client parts (scrollbars.cpp)
QRect ScrollBarRect(const Window* w, int bar);  // window coordinates; empty when absent
void PaintScrollBars(Window* w, HDC windowDc);
bool ScrollBarMouse(Window* w, UINT message, QPoint windowPt, int bar);
void ScrollTrackMouse(UINT message, QPoint screenPt);
ScrollBarState* BarState(Window* w, int bar);  // SB_HORZ, SB_VERT, SB_CTL; nullptr otherwise
void ScrollTrackCancel(HWND hwnd);  // the window goes away or loses the mouse: tracking ends
void RegisterSystemClasses();       // the window classes every program has ("ScrollBar")
// A right click on a bar: its context menu, then the scroll it asked for. False when the point is on
// no bar of the window.
bool ScrollBarContextMenu(Window* w, int bar, QPoint screen);
// The area a window covers, in its parent's client coordinates (screen for top-levels): its rectangle,
// cut to its SetWindowRgn shape when it has one (window_region.cpp).
QRegion WindowShape(const Window* w);

// Caret
void CaretHideForPaint(Window* w);
void CaretRestoreAfterPaint(Window* w);
void CaretForget(HWND hwnd);
void ImeForget(HWND hwnd);

// Timers / queue
std::uint64_t NowMs();
// The earliest time a timer (or the hover check) falls due. One already due counts, as due now, when
// a retrieval with this filter would take it; one that the filter leaves waiting does not, so that a
// filtered wait does not return at once over and over.
bool NextTimerDue(std::uint64_t& due, HWND hwnd = nullptr, UINT min = 0, UINT max = 0);
void RemoveWindowMessages(HWND hwnd);
void KillWindowTimers(HWND hwnd);

// ---- GDI ----------------------------------------------------------------------------------------
enum class GdiKind { Pen, Brush, Font, Bitmap, Region, Palette };

struct GdiObject {
  explicit GdiObject(GdiKind k) : kind(k) {}
  virtual ~GdiObject() = default;
  GdiKind kind;
  bool stock = false;
  bool deletePending = false;
};

struct PenObj : GdiObject {
  PenObj() : GdiObject(GdiKind::Pen) {}
  int style = PS_SOLID;  // PS_STYLE_MASK part
  int width = 1;
  COLORREF color = 0;
  DWORD fullStyle = 0;
  bool dcPen = false;
  std::vector<int> userStyle;  // PS_USERSTYLE: dash and gap lengths, dash first
};

struct BrushObj : GdiObject {
  BrushObj() : GdiObject(GdiKind::Brush) {}
  UINT style = BS_SOLID;
  COLORREF color = 0;
  int hatch = 0;
  QImage pattern;  // BS_PATTERN
  bool dcBrush = false;
  int sysColor = -1;
};

struct FontObj : GdiObject {
  FontObj() : GdiObject(GdiKind::Font) {}
  LOGFONT lf;
  QFont font;
};

struct BitmapObj : GdiObject {
  BitmapObj() : GdiObject(GdiKind::Bitmap) {}
  QImage image;
  bool dib = false;
  LONG dibHeight = 0;  // as given (sign = row order asked for)
  int bitsPixel = 32;
  bool mono = false;  // made as a one-bit bitmap: holds black and white only
};

struct RegionObj : GdiObject {
  RegionObj() : GdiObject(GdiKind::Region) {}
  QRegion region;
};

struct PaletteObj : GdiObject {
  PaletteObj() : GdiObject(GdiKind::Palette) {}
};

GdiObject* Gdi(HGDIOBJ h);
template <class T>
T* GdiAs(HGDIOBJ h, GdiKind k) {
  GdiObject* o = Gdi(h);
  return o && o->kind == k ? static_cast<T*>(o) : nullptr;
}
HGDIOBJ AddGdi(std::unique_ptr<GdiObject> obj);
QFont MakeQFont(const LOGFONT& lf);
void EnsureGuiApplication();

struct DCState {
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;
  HBITMAP bitmap = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  int rop2 = R2_COPYPEN;
  int stretchMode = BLACKONWHITE;
  int polyFillMode = ALTERNATE;
  int mapMode = MM_TEXT;
  UINT textAlign = 0;
  int charExtra = 0;
  QPoint viewportOrg;
  QPoint windowOrg;
  QPoint brushOrg;
  QPoint pos;
  bool hasClip = false;
  QRegion clip;  // device coordinates
  COLORREF dcBrushColor = RGB(255, 255, 255);
  COLORREF dcPenColor = 0;
  // Extents of the window (logical) and viewport (device) for MM_ISOTROPIC / MM_ANISOTROPIC.
  QSize windowExt{1, 1};
  QSize viewportExt{1, 1};
};

enum class DCKind { Window, Memory, Screen };

struct DC {
  HDC handle = nullptr;
  DCKind kind = DCKind::Screen;
  HWND hwnd = nullptr;
  bool windowDC = false;  // includes the non-client area
  bool paintDC = false;
  bool hasPaintRegion = false;
  QRegion paintRegion;  // device coordinates
  DCState s;
  std::vector<DCState> saved;
  std::uint64_t visGen = 0;
  QRegion visCache;  // buffer coordinates
};

DC* D(HDC hdc);
HDC NewDC(DCKind kind, HWND hwnd, bool windowDC);
void FreeDC(HDC hdc);
void ReleaseSelected(HGDIOBJ obj);  // completes a pending delete when nothing uses the object

// What a DC draws on, resolved.
struct Target {
  QImage* image = nullptr;
  QPoint origin;  // device (0,0) in the image
  QRegion clip;   // image coordinates
  Window* top = nullptr;
  DC* dc = nullptr;
  bool valid() const { return image && !image->isNull(); }
};
bool ResolveTarget(DC* dc, Target& t);
// Logical -> device offset.
inline QPoint LogicalOffset(const DCState& s) { return s.viewportOrg - s.windowOrg; }
// Whether the DC scales or mirrors (a mapping mode with extents other than 1:1), so that a plain
// offset no longer maps logical to device coordinates.
bool IsScaled(const DCState& s);
// The full logical -> device mapping: window origin and extents onto viewport origin and extents.
QTransform LogicalToDevice(const DCState& s);
QPoint ToDevice(const DCState& s, QPoint logical);   // rounded to the nearest pixel
QPoint ToLogical(const DCState& s, QPoint device);   // rounded to the nearest unit
// A logical rectangle (right and bottom exclusive) in device pixels, normalised: a mirrored mapping
// swaps its edges.
QRect ToDeviceRect(const DCState& s, const QRect& logical);

COLORREF SysColor(int index);
HBRUSH SysColorBrushInternal(int index);
HFONT DefaultGuiFont();

}  // namespace win::detail
