#pragma once
// The colour policy all data grids share (TDBGridXStyle) and the text routines of cell drawing.
//
// A style tints selections instead of painting them in the flat highlight colour when the screen has
// true colour; every grid attaches to the global DefaultGridStyle made at unit start-up and falls back
// to plain system colours without one. Text routines measure in UTF-8 and cut only between whole
// characters.

#include <functional>
#include <string>
#include <vector>

#include "platform/controls/grids.h"
#include "platform/graphics/graphics.h"

class TCustomDBGridX;

// Mixes Color halfway towards GlassColor, then 60% towards a light grey (225); Ungray pushes it away
// from mid-grey by a quarter. Channels rounded half-to-even and clamped; the result is an RGB colour.
TColor TintColor(TColor Color, TColor GlassColor, bool Ungray);

// Text cut at its end with "..." so that Measure(result) <= MaxWidth: step i keeps the first
// max(0, length - i - 1) characters (characters, not bytes). A text that never fits gives "...".
std::string EllipsizeText(const std::string& Text, const std::function<int(const std::string&)>& Measure,
                          int MaxWidth);
std::string EllipsizeText(const std::string& Text, TCanvas* Canvas, int MaxWidth);

// Each channel c becomes min(255, c + Trunc(c / Divisor)).
TColor BrightenColor(TColor Color, double Divisor);

// Turns a rectangle by 90 degrees about its top-left corner.
void RotateRect(TRect& R);
// Inside, edges included.
bool PointInGridRect(int ACol, int ARow, const TGridRect& R);
// Raises EInvalidGridOperation.
[[noreturn]] void GridFail(const std::string& Message);

// Horizontal cell text: DX/DY insets, alignment, end ellipsis (word wrap draws through DrawText).
void DrawCellTextX(TCanvas* Canvas, const TRect& Rect, int DX, int DY, const std::string& Text, TAlignment Alignment,
                   int Layout, bool WordWrap, bool EndEllipsis);

class TDBGridXStyle : public TPersistent {
  DECLARE_CLASS(TDBGridXStyle, TPersistent)
  TDBGridXStyle();
  ~TDBGridXStyle() override;

  void AttachGrid(TCustomDBGridX* Grid);
  void DetachGrid(TCustomDBGridX* Grid);
  bool HasGrid(TCustomDBGridX* Grid) const;
  int GridCount() const { return static_cast<int>(FGrids.size()); }
  bool TintSelection() const { return FTintSelection; }
  void SetTintSelection(bool Value) { FTintSelection = Value; }
  // NUMCOLORS of the screen; -1 on true-colour screens.
  int ScreenColorCount() const { return FScreenColorCount; }
  void SetScreenColorCount(int Value) { FScreenColorCount = Value; }
  bool ApplyFilterOnCloseUp = false;

  // Colours of a data cell. Selected: the cell lies in the selection; Current: it is the current cell
  // (or the current row under row select). Answer: the cell is drawn highlighted.
  virtual bool GetDataCellColors(TCustomDBGridX* Grid, int ACol, int ARow, TFont* Font, TColor& Background,
                                 TGridDrawState State, bool Selected, bool Current, bool CurrentRow);
  // Colours of a highlighted fixed cell of the given column and row kinds (GetCellType).
  virtual bool GetFixedCellColors(TCustomDBGridX* Grid, int ColKind, int RowKind, TFont* Font, TColor& Background);
  virtual void ColorsChanged();

  // style drawing: the hidden window that hears system colour changes
  HWND NotifyWindow() const { return FNotifyWindow; }
  // WM_SYSCOLORCHANGE re-reads the screen's colours; other messages get the default handling.
  virtual void StyleWindowProc(TMessage& Message);

 private:
  HWND FNotifyWindow = nullptr;
  bool TrueColor() const { return FScreenColorCount == -1; }
  std::vector<TCustomDBGridX*> FGrids;
  bool FTintSelection = true;
  int FScreenColorCount = -1;
};

// The style every new grid attaches to; made at unit start-up.
extern TDBGridXStyle* DefaultGridStyle;
