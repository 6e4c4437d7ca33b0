#pragma once
// The parameters of one data cell as the grid is about to draw it: handed to the grid's and the
// column's cell-parameter hooks, which may change colour, font, alignment, text, image and check state
// before the cell is painted.

#include <string>

#include "platform/controls/grids.h"
#include "platform/controls/stdctrls.h"
#include "platform/graphics/graphics.h"

class TColCellParamsX {
 public:
  int CellCol = -1;
  int CellRow = -1;
  TGridDrawState State;
  TFont* Font = nullptr;  // the font the cell is drawn in (the grid canvas's)
  TAlignment Alignment = taLeftJustify;
  TColor CellColor = clWindow;
  std::string Text;
  int ImageIndex = -1;
  TCheckBoxState CheckState = cbUnchecked;
  bool ReadOnly = false;
};
