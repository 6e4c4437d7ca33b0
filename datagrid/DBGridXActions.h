#pragma once
// What the grid answers to the platform besides drawing and input: which standard edit actions it
// takes (copy, cut, paste, delete, select all), the tool tips over cells and titles, and the window
// messages it handles for them. The grid's side is in TCustomDBGridX (DBGridXActions.cpp); tool tips
// are shown in TToolTipsWindow (DBGridXDraw.h).

#include <string>

#include "platform/classes/classes.h"

// Edit operations the grid allows from the keyboard and from edit actions.
enum TGridXEditAction { geaCut, geaCopy, geaPaste, geaDelete, geaSelectAll };
using TGridXEditActions = TSet<TGridXEditAction>;
