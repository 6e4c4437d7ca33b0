#pragma once
// What the grid answers to the platform besides drawing and input: which standard edit actions it
// takes (copy, cut, paste, delete, select all), the tool tips over cells and titles, and the window
// messages it handles for them. The grid's side is in TCustomDBGridX (DBGridXActions.cpp).

#include <string>

#include "platform/classes/classes.h"
#include "platform/controls/hints.h"

// Edit operations the grid allows from the keyboard and from edit actions.
enum TGridXEditAction { geaCut, geaCopy, geaPaste, geaDelete, geaSelectAll };
using TGridXEditActions = TSet<TGridXEditAction>;

// The hint window of cell and title tool tips: shown in the cell's font (the hint data).
class TGridCellHintWindowX : public THintWindow {
  DECLARE_CLASS(TGridCellHintWindowX, THintWindow)
  explicit TGridCellHintWindowX(TComponent* AOwner) : THintWindow(AOwner) {}
  TRect CalcHintRect(int MaxWidth, const std::string& Hint, void* Data) override;
};
