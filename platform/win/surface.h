// Platform-internal access to the pixels behind GDI handles, for the other platform folders (graphics,
// gdiplus, host) that draw with their own QPainter. Not for the program's code: it names Qt types.
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRegion>

#include "platform/win/windows.h"

namespace win {

// The image that holds a bitmap's pixels, or nullptr for an unknown handle. The pointer stays valid
// until the bitmap is deleted; writing through it changes the bitmap.
// Formats: DIB sections keep the format they were made with: 24-bit = QImage::Format_BGR888 (bytes
// blue, green, red in memory, rows 4-byte aligned as in a DIB); 32-bit = QImage::Format_ARGB32 (bytes
// blue, green, red, alpha). Compatible and other bitmaps are Format_RGB32 (alpha byte 0xFF).
// Rows are always stored top-down, also for DIB sections made with a positive (bottom-up) height:
// bmBits and the bits of CreateDIBSection point at the top row. GetDIBits/SetDIBits/StretchDIBits
// honour the row order of the caller's BITMAPINFO.
// GDI ignores alpha: blits read 32-bit sources as RGB32 and GDI drawing writes alpha 0xFF.
QImage* BitmapImage(HBITMAP bitmap);

// Makes a bitmap handle owning `image` (converted to Format_ARGB32 unless it is already ARGB32,
// RGB32 or BGR888). Delete it with DeleteObject.
HBITMAP CreateBitmapFromImage(QImage image);

// What a DC draws on.
//   image  - the target image: a top-level window's back buffer, or a bitmap selected into a memory DC;
//            nullptr when the DC draws nowhere (hidden window, no bitmap).
//   origin - where the DC's device point (0, 0) lies in the image: the client origin of the window
//            inside its top-level's back buffer, (0, 0) for memory DCs. The DC's viewport and window
//            origins are NOT included: callers that honour them add GetViewportOrgEx minus
//            GetWindowOrgEx themselves.
//   clip   - the effective clip in image pixels: window visibility (parent rectangles, sibling and
//            child exclusion), the paint region during BeginPaint, and the DC's clip region.
// Draw with: QPainter p(s.image); p.setClipRegion(s.clip); p.translate(s.origin); ...
// Returns false for an unknown DC or when there is nothing to draw on.
struct DCSurface {
  QImage* image = nullptr;
  QPoint origin;
  QRegion clip;
};
bool GetDCSurface(HDC hdc, DCSurface& surface);

// Tells the window manager that pixels of a DC's target changed outside GDI calls (so the host shows
// them). GDI calls do this themselves.
void MarkDCDirty(HDC hdc, const QRect& imageRect);

// The Qt font a font handle stands for (pixel size set), and the one currently selected in a DC.
QFont FontFromHandle(HFONT font);
QFont DCFont(HDC hdc);

// Converting colours.
inline QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
inline COLORREF FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

// Cursor and icon data, for the host: the standard cursor id (IDC_*) or 0 for an image cursor, the
// image (nullptr for standard cursors) and the hot spot.
struct CursorData {
  int standardId = 0;
  const QImage* image = nullptr;
  QPoint hotSpot;
};
bool GetCursorData(HCURSOR cursor, CursorData& data);

// Makes sure a Qt application exists (an offscreen QGuiApplication when nothing made one), for code
// that needs fonts or printers before the host or a test created the application.
void EnsureGuiApplication();

// The back buffer of a top-level window, or nullptr. It covers the whole window rectangle; for
// top-level windows with a caption the native frame is the host's, so this equals the client area.
QImage* WindowBackBuffer(HWND topLevel);

}  // namespace win
