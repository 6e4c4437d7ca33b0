#pragma once
// The drawing routines every data grid shares: horizontal and vertical cell text, text measuring for
// tool tips, images clipped to a cell, the rotated title font, and the one off-screen bitmap that all
// grids draw wrapped or dithered text through (so the cell is never seen half drawn). The bitmap lives
// while at least one grid does: each grid is a user from creation to destruction.

#include <string>

#include "platform/controls/grids.h"
#include "platform/controls/hints.h"
#include "platform/controls/imglist.h"
#include "platform/graphics/graphics.h"

class TCustomDBGridX;

// The shared bitmap and its user count.
void AcquireDrawBitmap();
void ReleaseDrawBitmap();
// The bitmap, nullptr while no grid exists.
TBitmap* DrawBitmap();
int DrawBitmapUsers();

// A member object that makes its owner a user of the shared bitmap for its lifetime.
class TDrawBitmapUser {
 public:
  TDrawBitmapUser() { AcquireDrawBitmap(); }
  ~TDrawBitmapUser() { ReleaseDrawBitmap(); }
  TDrawBitmapUser(const TDrawBitmapUser&) = delete;
  TDrawBitmapUser& operator=(const TDrawBitmapUser&) = delete;
};

// Width of a text as DrawText measures it (with the italic overhang).
int MeasureTextWidth(TCanvas* Canvas, const std::string& Text);

// Whether Text needs more room than the cell gives (then the cell shows a tool tip). Width and Height
// receive the measured size; the text is wrapped to the cell's width with WordWrap.
bool TextFitsCell(TCustomDBGridX* Grid, int DX, int DY, const std::string& Text, const TRect& Rect, bool WordWrap,
                  int& Width, int& Height);

// Horizontal cell text. A plain background without wrapping is written directly; otherwise the text
// goes through the shared bitmap. Layout: 0 top, 1 centre, 2 bottom. Margins are DrawTextEx's.
void DrawCellTextX(TCanvas* Canvas, const TRect& Rect, int DX, int DY, const std::string& Text, TAlignment Alignment,
                   int Layout, bool WordWrap, bool EndEllipsis, int LeftMargin, int RightMargin, bool RightToLeft);

// A font handle like Font turned by 90 degrees (text running upward). The caller deletes it.
HFONT MakeRotatedFont(TFont* Font);

// Vertical (upward) cell text; HAlign 0 left, 1 right, 2 centre; VAlign 0 top, 1 centre, 2 bottom.
// Returns the text's length along its baseline. CalcOnly measures without drawing. EndEllipsis is
// accepted for symmetry with the horizontal routine; vertical text is clipped, not shortened.
int DrawVerticalTextX(TCanvas* Canvas, const TRect& Rect, bool FillBitmap, int DX, int DY, const std::string& Text,
                      int HAlign, int VAlign, bool EndEllipsis, bool CalcOnly);

// Draws image ImageIndex of Images (or Graphic when Images is nullptr) aligned in Rect (+DX) and centred
// vertically; an image larger than Rect is clipped to it and the previous clip region comes back.
void DrawImageClipped(TCustomImageList* Images, TGraphic* Graphic, TCanvas* Canvas, const TRect& Rect, int ImageIndex,
                      int DX, TAlignment Alignment);

// As above; with Flipped the image is drawn turned left for right (right-to-left grids).
void DrawImageClipped(TCustomImageList* Images, TGraphic* Graphic, TCanvas* Canvas, const TRect& Rect, int ImageIndex,
                      int DX, TAlignment Alignment, bool Flipped);
// Draws image Index of Images at (X, Y) turned left for right. What lies under the image is not
// turned: only the picture is.
void DrawImageFlipped(TCustomImageList* Images, TCanvas* Canvas, int X, int Y, int Index);

// The grid's draw information: the grid base's two axes and, on the rows, the footer band's extent:
// the pixels from the first footer row's top down to the grid boundary when the rows on screen reach
// that row, else 0. The footer band is painted as the last FooterExtent pixels above the boundary.
struct TGridDrawInfoX : TGridDrawInfo {
  int FooterExtent = 0;
};

// Removes one queued message Msg of Window; a removed WM_QUIT is posted again.
void DropQueuedMessage(HWND Window, UINT Msg);
// Invalidates every cell of grid row Row.
void RepaintGridRow(TCustomGrid* Grid, int Row);

// The tool tip of a cell whose text does not fit: shown in the cell's own font (Data is a TFont*).
class TToolTipsWindow : public THintWindow {
  DECLARE_CLASS(TToolTipsWindow, THintWindow)
  using THintWindow::THintWindow;
  TRect CalcHintRect(int MaxWidth, const std::string& Hint, void* Data) override;
};
