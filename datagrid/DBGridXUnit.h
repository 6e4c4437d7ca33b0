#pragma once
// What the grid unit keeps for all grids: the default style, the data service that applies a grid's
// filter row and sort markers to its data set, the indicator and sort-marker images, the sort-marker
// number font, the selection cursors and the search shortcuts and colours. The images and cursors are
// drawn by this code at start-up, so no resource file can be missing.

#include <functional>

#include "datagrid/DBGridXStyle.h"
#include "platform/controls/imglist.h"
#include "platform/controls/menus.h"

class TCustomDBGridX;

// Raised when a cursor cannot be made at start-up.
RTL_DECLARE_EXCEPTION(EOutOfResources, Exception)

// Applies a grid's filter row and sort markers to its data set: the handlers when assigned, else the
// defaults. The defaults go through the data set's registered features object (the unit's start-up
// registers the in-memory data set's); without one the data set is left as it is.
class TDBGridXDataService : public TPersistent {
  DECLARE_CLASS(TDBGridXDataService, TPersistent)
  using TGridEvent = std::function<void(TCustomDBGridX* Grid)>;
  TGridEvent OnApplyFilter;
  TGridEvent OnApplySorting;
  virtual void ApplyFilter(TCustomDBGridX* Grid);
  virtual void ApplySorting(TCustomDBGridX* Grid);
  virtual void DefaultApplyFilter(TCustomDBGridX* Grid);
  virtual void DefaultApplySorting(TCustomDBGridX* Grid);
};

extern TDBGridXDataService* DBGridXDataService;
extern TFont* SortMarkerFont;
extern TImageList* IndicatorImages;   // 7 images of 6 x 11
extern TImageList* SortMarkerImages;  // down and up, 10 x 9
extern HCURSOR ColumnSelectCursor;
extern HCURSOR RowSelectCursor;
extern HCURSOR RowSelectCursorRTL;
extern TShortCut SearchShortCut;
extern TShortCut SearchNextShortCut;
extern TShortCut SearchPriorShortCut;
extern TShortCut CopyFromPriorRecordShortCut;
extern TShortCut FindDialogShortCut;
extern int SearchTimeoutDefault;
extern TColor SearchHighlightColor;
extern TColor SearchHighlightTextColor;

// Rebuilds indicator image 6 (the search arrow on SearchHighlightColor).
void RefreshSearchIndicatorImage();

namespace DBGridXUnit {
// Paired calls: the first initialisation sets up, the last finalisation releases.
void Initialize();
void Finalize();
// Sets the unit up when nothing has yet, so that a grid works without a start-up call of its adopter
// (every grid's constructor calls it). The program's own first Initialize then takes that start-up
// over, so that its Finalize still releases.
void EnsureInitialized();
}  // namespace DBGridXUnit
