#pragma once
// The grid's selection beyond the selected-records list: a rectangle of cells between two corners
// given as (data column, bookmark), a set of selected columns, or everything. TDBGridXSelection holds
// which kind is in force; painting asks it whether a cell is selected, and the clipboard and export
// code walk it. Corners are bookmarks rather than grid rows so that the selection stays put while the
// grid scrolls (grid rows only show the data link's buffered records).

#include <string>
#include <vector>

#include "datagrid/DBGridX.h"

// A rectangle of cells: from the start corner (the anchor) to the end corner. Empty while either
// corner's column is -1.
class TDBGridXSelectionRect : public TObject {
 public:
  explicit TDBGridXSelectionRect(TCustomDBGridX* AGrid) : FGrid(AGrid) {}
  int StartCol() const { return FStartCol; }
  const TBookmark& StartRow() const { return FStartRow; }
  int EndCol() const { return FEndCol; }
  const TBookmark& EndRow() const { return FEndRow; }
  bool Empty() const { return FStartCol < 0 || FEndCol < 0; }
  // Both corners empty; the grid repaints.
  void ClearCorners();
  // The grid has a data set behind an active link.
  bool DataValid() const;
  // The corners ordered: rows by the data set's bookmark order, columns by index. Raise
  // EInvalidGridOperation when the data is not valid.
  TBookmark TopRow() const;
  TBookmark BottomRow() const;
  int LeftCol() const;
  int RightCol() const;
  bool CellSelected(int DataCol, const TBookmark& Bookmark) const;
  // Moves the end corner to the cell (and the anchor too unless KeepAnchor and one exists). A one-cell
  // rectangle is no selection. Only the cells whose state changed are repainted.
  void Select(int DataCol, const TBookmark& Bookmark, bool KeepAnchor);
  // The visible part in grid cells; (-1, -1, -1, -1) when nothing of it is visible.
  TGridRect GridRectOfSelection() const;
  // The visible part in client pixels (empty when nothing of it is visible).
  TRect ScreenRectOfSelection() const;

 private:
  TCustomDBGridX* FGrid;
  int FStartCol = -1;
  TBookmark FStartRow;
  int FEndCol = -1;
  TBookmark FEndRow;
};

// Selected columns, kept in column index order. The anchor is the column of the last plain or Ctrl
// click; a Shift click extends from it and remembers which columns it changed (ExtendedColumns) so that
// shrinking the range again restores them.
class TDBGridXSelectionCols : public TColumnsXList {
 public:
  explicit TDBGridXSelectionCols(TCustomDBGridX* AGrid) : FGrid(AGrid) {}
  TColumnX* AnchorColumn() const { return FAnchorColumn; }
  TColumnX* EndColumn() const { return FEndColumn; }
  const TColumnsXList& ExtendedColumns() const { return FExtendedColumns; }
  bool Contains(const TColumnX* Column) const;
  void InsertOrdered(TColumnX* Column);
  // Repaints the selected columns, empties the list and drops the anchor.
  void Clear();
  // Ctrl+click: toggles the column.
  void InvertColumn(TColumnX* Column);
  // Plain click (Add: keep the others).
  void SelectSingleColumn(TColumnX* Column, bool Add);
  // Shift+click or dragging: the range from the anchor follows Column.
  void ShiftSelectColumn(TColumnX* Column);
  // Drops columns that left the grid's collection and re-sorts by index.
  void Refresh();
  // From the first to the last selected column over all rows; (-1, ...) when empty.
  TGridRect SelectedGridRect() const;

 private:
  void Toggle(TColumnX* Column, bool Select);
  void RepaintColumn(TColumnX* Column);
  TCustomDBGridX* FGrid;
  TColumnX* FAnchorColumn = nullptr;
  TColumnX* FEndColumn = nullptr;
  TColumnsXList FExtendedColumns;
};

// Which selection is in force (none, records, rectangle, columns, all) and the questions about it.
class TDBGridXSelection : public TObject {
 public:
  explicit TDBGridXSelection(TCustomDBGridX* AGrid);
  ~TDBGridXSelection() override;
  TDBGridXSelectionCols* Columns() { return &FColumns; }
  TDBGridXSelectionRect* Rect() { return &FRect; }
  TBookmarkListX* RowList() const;
  TGridXSelectionType Kind() const { return FKind; }
  // On change stores it and repaints the editor.
  void SetKind(TGridXSelectionType Value);
  // Whether the cell of data column DataCol on the record Bookmark is selected (DataCol -1: the
  // indicator, selected only by a records selection through the row).
  bool IsCellSelected(int DataCol, const TBookmark& Bookmark) const;
  bool IsRowSelected(const TBookmark& Bookmark) const;
  bool IsColumnSelected(const TColumnX* Column) const;
  // Empties the part in force; the kind becomes none. With an always-shown editor it shows again.
  void EmptySelection();
  void Clear() { EmptySelection(); }
  void SelectEverything();
  void SelectAll() { SelectEverything(); }
  // The link became (in)active: the rows are reset and the selection is emptied.
  void DataActiveChanged(bool Value);
  // A records or columns selection whose list became empty turns into none.
  void CheckEmpty();
  // The grid cells covered by the selection (visible rows only for records and rectangles).
  TGridRect CoveredGridRect() const;
  // Records left the data set: selected rows and rectangle corners that no longer exist drop out.
  void DataSetChanged();

 private:
  TDBGridXSelectionCols FColumns;
  TCustomDBGridX* FGrid;
  TDBGridXSelectionRect FRect;
  TGridXSelectionType FKind;
};
