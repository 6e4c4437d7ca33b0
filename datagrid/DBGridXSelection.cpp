// The grid's selection: the selected-records list's lookups and deletion, the rectangle between two
// (column, bookmark) corners, the selected columns with Shift extension, and the object that says which
// of them is in force.

#include "datagrid/DBGridXSelection.h"

#include <algorithm>
#include <cstdlib>

#include "platform/win/windows.h"

namespace {

constexpr TGridRect NoGridRect{-1, -1, -1, -1};

// Invalidates the part of A outside B (A and B intersect): up to four strips.
void InvalidateOutside(HWND Wnd, const TRect& A, const TRect& B) {
  TRect strips[4] = {
      TRect(A.Left, A.Top, A.Right, std::max(A.Top, std::min(A.Bottom, B.Top))),        // above
      TRect(A.Left, std::min(A.Bottom, std::max(A.Top, B.Bottom)), A.Right, A.Bottom),  // below
      TRect(A.Left, std::max(A.Top, B.Top), std::max(A.Left, std::min(A.Right, B.Left)),
            std::min(A.Bottom, B.Bottom)),  // left
      TRect(std::min(A.Right, std::max(A.Left, B.Right)), std::max(A.Top, B.Top), A.Right,
            std::min(A.Bottom, B.Bottom)),  // right
  };
  for (const TRect& s : strips)
    if (!s.IsEmpty()) {
      RECT r = s;
      InvalidateRect(Wnd, &r, FALSE);
    }
}

bool Intersects(const TRect& A, const TRect& B) {
  return !A.IsEmpty() && !B.IsEmpty() && A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Selected records: lookups, state, deletion

TBookmark TBookmarkListX::CurrentBookmark() const {
  TDataSet* ds = FGrid->DataLink()->DataSet();
  if (!FGrid->DataLink()->Active() || !ds)
    throw EInvalidGridOperation("Cannot perform this operation on a closed dataset");
  return ds->Bookmark();
}

bool TBookmarkListX::SearchBookmark(const TBookmark& Bookmark, int& Index) const {
  if (FLastLookupIndex >= 0 && Bookmark == FLastLookup) {
    Index = FLastLookupIndex;
    return FLastLookupFound;
  }
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int r = Compare(FList[static_cast<size_t>(mid)], Bookmark);
    if (r < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (r == 0) {
        found = true;
        lo = mid;
      }
    }
  }
  Index = lo;
  FLastLookup = Bookmark;
  FLastLookupIndex = lo;
  FLastLookupFound = found;
  return found;
}

int TBookmarkListX::PositionOf(const TBookmark& Bookmark) const {
  int i = -1;
  return SearchBookmark(Bookmark, i) ? i : -1;
}

void TBookmarkListX::SetDataActive(bool Value) {
  FList.clear();
  ForgetLookup();
  if (FGrid->SelectionX()) FGrid->SelectionX()->CheckEmpty();
  FDataActive = Value;
}

void TBookmarkListX::Delete() {
  TDataSet* ds = FGrid->DataLink()->DataSet();
  if (!ds || FList.empty()) return;
  struct Controls {
    TDataSet* D;
    explicit Controls(TDataSet* A) : D(A) { D->DisableControls(); }
    ~Controls() { D->EnableControls(); }
  };
  {
    Controls guard(ds);
    while (!FList.empty()) {
      ds->GotoBookmark(FList.back());
      ds->Delete();
      FList.pop_back();
      ForgetLookup();
    }
  }
  FGrid->Invalidate();
  if (FGrid->SelectionX()) FGrid->SelectionX()->CheckEmpty();
}

TGridRect TBookmarkListX::CoveredGridRect() const {
  if (FList.empty()) return NoGridRect;
  std::vector<TBookmark> rows = FGrid->VisibleBookmarks();
  int first = -1, last = -1;
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    int at = 0;
    if (!rows[static_cast<size_t>(i)].empty() && SearchBookmark(rows[static_cast<size_t>(i)], at)) {
      if (first < 0) first = i;
      last = i;
    }
  }
  if (first < 0) return NoGridRect;
  return TGridRect{0, first + FGrid->TitleOffset(), FGrid->ColCount() - 1, last + FGrid->TitleOffset()};
}

bool TBookmarkListX::EnsureOrder() {
  auto less = [this](const TBookmark& a, const TBookmark& b) { return Compare(a, b) < 0; };
  if (std::is_sorted(FList.begin(), FList.end(), less)) return false;
  std::sort(FList.begin(), FList.end(), less);
  ForgetLookup();
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Rectangle

void TDBGridXSelectionRect::ClearCorners() {
  bool had = !Empty();
  TRect old = had && DataValid() ? ScreenRectOfSelection() : TRect();
  FStartCol = FEndCol = -1;
  FStartRow.clear();
  FEndRow.clear();
  if (!old.IsEmpty() && FGrid->HandleAllocated()) {
    RECT r = old;
    InvalidateRect(FGrid->Handle(), &r, FALSE);
  }
}

bool TDBGridXSelectionRect::DataValid() const {
  return FGrid->DataSource() && FGrid->DataSource()->DataSet() && FGrid->DataLink()->Active();
}

TBookmark TDBGridXSelectionRect::TopRow() const {
  if (!DataValid()) throw EInvalidGridOperation("Error in TDBGridXSelectionRect.GetBottomRow");
  return FGrid->SelectedRows()->CompareBookmarks(FStartRow, FEndRow) <= 0 ? FStartRow : FEndRow;
}

TBookmark TDBGridXSelectionRect::BottomRow() const {
  if (!DataValid()) throw EInvalidGridOperation("Error in TDBGridXSelectionRect.GetBottomRow");
  return FGrid->SelectedRows()->CompareBookmarks(FStartRow, FEndRow) <= 0 ? FEndRow : FStartRow;
}

int TDBGridXSelectionRect::LeftCol() const {
  if (!DataValid()) throw EInvalidGridOperation("Error in TDBGridXSelectionRect.GetBottomRow");
  return std::min(FStartCol, FEndCol);
}

int TDBGridXSelectionRect::RightCol() const {
  if (!DataValid()) throw EInvalidGridOperation("Error in TDBGridXSelectionRect.GetBottomRow");
  return std::max(FStartCol, FEndCol);
}

bool TDBGridXSelectionRect::CellSelected(int DataCol, const TBookmark& Bookmark) const {
  if (!DataValid()) throw EInvalidGridOperation("Error in function TDBGridXSelectionRect.CellSelected");
  if (Empty() || Bookmark.empty()) return false;
  if (DataCol < LeftCol() || DataCol > RightCol()) return false;
  const TBookmarkListX* rows = FGrid->SelectedRows();
  return rows->CompareBookmarks(Bookmark, TopRow()) >= 0 && rows->CompareBookmarks(Bookmark, BottomRow()) <= 0;
}

void TDBGridXSelectionRect::Select(int DataCol, const TBookmark& Bookmark, bool KeepAnchor) {
  TDBGridXSelection* sel = FGrid->SelectionX();
  TRect before = sel->Kind() == selRectangleX && !Empty() ? ScreenRectOfSelection() : TRect();
  if (sel->Kind() != selRectangleX) sel->EmptySelection();
  if (!KeepAnchor || FStartCol < 0) {
    FStartCol = DataCol;
    FStartRow = Bookmark;
  }
  FEndCol = DataCol;
  FEndRow = Bookmark;
  bool oneCell = FStartCol == FEndCol && FGrid->SelectedRows()->CompareBookmarks(FStartRow, FEndRow) == 0;
  if (oneCell) {
    if (sel->Kind() == selRectangleX) sel->SetKind(selNoneX);
  } else {
    sel->SetKind(selRectangleX);
  }
  if (!FGrid->HandleAllocated()) return;
  TRect after = oneCell ? TRect() : ScreenRectOfSelection();
  HWND wnd = FGrid->Handle();
  if (!Intersects(before, after)) {
    for (const TRect* r : {&before, &after})
      if (!r->IsEmpty()) {
        RECT rc = *r;
        InvalidateRect(wnd, &rc, FALSE);
      }
    return;
  }
  // Cells in both rectangles keep their look: only the strips around the common part change.
  TRect common(std::max(before.Left, after.Left), std::max(before.Top, after.Top), std::min(before.Right, after.Right),
               std::min(before.Bottom, after.Bottom));
  InvalidateOutside(wnd, before, common);
  InvalidateOutside(wnd, after, common);
}

TGridRect TDBGridXSelectionRect::GridRectOfSelection() const {
  if (!FGrid->DataLink()->Active() || Empty()) return NoGridRect;
  std::vector<TBookmark> rows = FGrid->VisibleBookmarks();
  const TBookmarkListX* list = FGrid->SelectedRows();
  TBookmark top = TopRow(), bottom = BottomRow();
  int first = -1, last = -1;
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const TBookmark& b = rows[static_cast<size_t>(i)];
    if (b.empty()) continue;
    if (list->CompareBookmarks(b, top) >= 0 && list->CompareBookmarks(b, bottom) <= 0) {
      if (first < 0) first = i;
      last = i;
    }
  }
  if (first < 0) return NoGridRect;
  return TGridRect{FGrid->DataToRawColumn(LeftCol()), first + FGrid->TitleOffset(), FGrid->DataToRawColumn(RightCol()),
                   last + FGrid->TitleOffset()};
}

TRect TDBGridXSelectionRect::ScreenRectOfSelection() const {
  TGridRect g = GridRectOfSelection();
  if (g.Left < 0) return TRect();
  TRect r = FGrid->BoxRect(g.Left, g.Top, g.Right, g.Bottom);
  if (r.IsEmpty()) return r;
  // The cells' right and bottom lines belong to them.
  r.Right += FGrid->GridLineWidth();
  r.Bottom += FGrid->GridLineWidth();
  return r;
}

// ---------------------------------------------------------------------------------------------------
// Columns

bool TDBGridXSelectionCols::Contains(const TColumnX* Column) const {
  return std::find(begin(), end(), Column) != end();
}

void TDBGridXSelectionCols::InsertOrdered(TColumnX* Column) {
  if (Contains(Column)) return;
  auto at = std::find_if(begin(), end(), [Column](TColumnX* c) { return c->Index() > Column->Index(); });
  insert(at, Column);
}

void TDBGridXSelectionCols::RepaintColumn(TColumnX* Column) {
  int raw = FGrid->DataToRawColumn(Column->Index());
  if (raw >= 0 && raw < FGrid->ColCount()) FGrid->InvalidateCol(raw);
}

void TDBGridXSelectionCols::Clear() {
  for (TColumnX* c : *this) RepaintColumn(c);
  clear();
  FAnchorColumn = FEndColumn = nullptr;
  FExtendedColumns.clear();
}

void TDBGridXSelectionCols::Toggle(TColumnX* Column, bool Select) {
  if (Select) {
    InsertOrdered(Column);
  } else {
    auto it = std::find(begin(), end(), Column);
    if (it != end()) erase(it);
  }
  RepaintColumn(Column);
}

void TDBGridXSelectionCols::InvertColumn(TColumnX* Column) {
  TDBGridXSelection* sel = FGrid->SelectionX();
  if (sel->Kind() != selColumnsX) sel->EmptySelection();
  Toggle(Column, !Contains(Column));
  FAnchorColumn = FEndColumn = Column;
  sel->SetKind(empty() ? selNoneX : selColumnsX);
  FExtendedColumns.clear();
}

void TDBGridXSelectionCols::SelectSingleColumn(TColumnX* Column, bool Add) {
  TDBGridXSelection* sel = FGrid->SelectionX();
  if (sel->Kind() != selColumnsX) sel->EmptySelection();
  if (!Add) {
    for (TColumnX* c : *this) RepaintColumn(c);
    clear();
  }
  Toggle(Column, true);
  FAnchorColumn = FEndColumn = Column;
  sel->SetKind(selColumnsX);
  FExtendedColumns.clear();
}

void TDBGridXSelectionCols::ShiftSelectColumn(TColumnX* Column) {
  if (!FAnchorColumn) {
    SelectSingleColumn(Column, true);
    return;
  }
  TDBGridXSelection* sel = FGrid->SelectionX();
  TDBGridColumnsX* all = FGrid->Columns();
  int a = FAnchorColumn->Index();
  int p = FEndColumn ? FEndColumn->Index() : a;
  int t = Column->Index();
  bool anchorSelected = Contains(FAnchorColumn);
  while (p != t) {
    int np = p + (t > p ? 1 : -1);
    if (std::abs(np - a) > std::abs(p - a)) {
      // The range grows: the new column takes the anchor's state; remember it when it changed.
      TColumnX* c = all->Items(np);
      bool want = anchorSelected && c->Visible();
      if (Contains(c) != want) {
        Toggle(c, want);
        if (std::find(FExtendedColumns.begin(), FExtendedColumns.end(), c) == FExtendedColumns.end())
          FExtendedColumns.push_back(c);
      }
    } else {
      // The range shrinks: the column left behind gets back the state it had before the extension.
      TColumnX* c = all->Items(p);
      auto it = std::find(FExtendedColumns.begin(), FExtendedColumns.end(), c);
      if (it != FExtendedColumns.end()) {
        Toggle(c, !Contains(c));
        FExtendedColumns.erase(it);
      }
    }
    p = np;
  }
  FEndColumn = Column;
  sel->SetKind(empty() ? selNoneX : selColumnsX);
}

void TDBGridXSelectionCols::Refresh() {
  TDBGridColumnsX* all = FGrid->Columns();
  auto inGrid = [all](const TColumnX* c) {
    for (int i = 0; i < all->Count(); ++i)
      if (all->Items(i) == c) return true;
    return false;
  };
  erase(std::remove_if(begin(), end(), [&](TColumnX* c) { return !inGrid(c); }), end());
  FExtendedColumns.erase(
      std::remove_if(FExtendedColumns.begin(), FExtendedColumns.end(), [&](TColumnX* c) { return !inGrid(c); }),
      FExtendedColumns.end());
  if (FAnchorColumn && !inGrid(FAnchorColumn)) FAnchorColumn = nullptr;
  if (FEndColumn && !inGrid(FEndColumn)) FEndColumn = FAnchorColumn;
  std::sort(begin(), end(), [](TColumnX* x, TColumnX* y) { return x->Index() < y->Index(); });
}

TGridRect TDBGridXSelectionCols::SelectedGridRect() const {
  if (empty()) return NoGridRect;
  return TGridRect{FGrid->DataToRawColumn(front()->Index()), 0, FGrid->DataToRawColumn(back()->Index()),
                   FGrid->RowCount() - 1};
}

// ---------------------------------------------------------------------------------------------------
// The selection in force

TDBGridXSelection::TDBGridXSelection(TCustomDBGridX* AGrid)
    : FColumns(AGrid), FGrid(AGrid), FRect(AGrid), FKind(selNoneX) {}

TDBGridXSelection::~TDBGridXSelection() = default;

TBookmarkListX* TDBGridXSelection::RowList() const { return FGrid->SelectedRows(); }

void TDBGridXSelection::SetKind(TGridXSelectionType Value) {
  if (Value == FKind) return;
  FKind = Value;
  FGrid->InvalidateEditor();
}

bool TDBGridXSelection::IsRowSelected(const TBookmark& Bookmark) const {
  int i = 0;
  return FKind == selAllX || (FKind == selRecordsX && RowList()->SearchBookmark(Bookmark, i));
}

bool TDBGridXSelection::IsColumnSelected(const TColumnX* Column) const {
  return FKind == selAllX || (FKind == selColumnsX && FColumns.Contains(Column));
}

bool TDBGridXSelection::IsCellSelected(int DataCol, const TBookmark& Bookmark) const {
  switch (FKind) {
    case selRecordsX: {
      int i = 0;
      return RowList()->SearchBookmark(Bookmark, i);
    }
    case selRectangleX:
      return DataCol >= 0 && FRect.CellSelected(DataCol, Bookmark);
    case selColumnsX:
      return DataCol >= 0 && FColumns.Contains(FGrid->ColumnAt(DataCol));
    case selAllX:
      return true;
    default:
      return false;
  }
}

void TDBGridXSelection::EmptySelection() {
  struct ShowEditorAfter {
    TCustomDBGridX* G;
    ~ShowEditorAfter() {
      if (G->Options().Contains(gdoAlwaysShowEditor) && G->EditorShownAlways()) G->ShowEditor();
    }
  } after{FGrid};
  TGridXSelectionType was = FKind;
  FKind = selNoneX;
  switch (was) {
    case selRecordsX:
      RowList()->Clear();
      break;
    case selRectangleX:
      FRect.ClearCorners();
      break;
    case selColumnsX:
      FColumns.Clear();
      break;
    case selAllX:
      FGrid->Invalidate();
      break;
    default:
      break;
  }
  if (was != selNoneX) FGrid->InvalidateEditor();
}

void TDBGridXSelection::SelectEverything() {
  if (FKind == selAllX) return;
  if (FKind != selNoneX) EmptySelection();
  SetKind(selAllX);
  FGrid->Invalidate();
}

void TDBGridXSelection::DataActiveChanged(bool Value) {
  RowList()->SetDataActive(Value);
  EmptySelection();
}

void TDBGridXSelection::CheckEmpty() {
  if ((FKind == selRecordsX && RowList()->Count() == 0) || (FKind == selColumnsX && FColumns.empty())) {
    SetKind(selNoneX);
    FGrid->Invalidate();
  }
}

TGridRect TDBGridXSelection::CoveredGridRect() const {
  switch (FKind) {
    case selRecordsX:
      return RowList()->CoveredGridRect();
    case selRectangleX:
      return FRect.GridRectOfSelection();
    case selColumnsX:
      return FColumns.SelectedGridRect();
    case selAllX:
      return TGridRect{0, 0, FGrid->ColCount() - 1, FGrid->RowCount() - 1};
    default:
      return NoGridRect;
  }
}

void TDBGridXSelection::DataSetChanged() {
  TDataSet* ds = FGrid->DataLink()->DataSet();
  if (!ds || !FGrid->DataLink()->Active()) return;
  if (RowList()->Count() > 0) {
    RowList()->Refresh();
    RowList()->EnsureOrder();  // a re-sorted data set orders its bookmarks anew
  }
  if (!FRect.Empty() && (!ds->BookmarkValid(FRect.StartRow()) || !ds->BookmarkValid(FRect.EndRow()))) {
    FRect.ClearCorners();
    if (FKind == selRectangleX) SetKind(selNoneX);
  }
  CheckEmpty();
}

// ---------------------------------------------------------------------------------------------------
// Grid side

std::vector<TBookmark> TCustomDBGridX::VisibleBookmarks() {
  std::vector<TBookmark> r;
  TGridDataLinkX* link = FDataLink.get();
  TDataSet* ds = link->DataSet();
  if (!link->Active() || !ds) return r;
  int old = link->ActiveRecord();
  int n = link->RecordCount();
  r.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    link->SetActiveRecord(i);
    r.push_back(ds->Bookmark());
  }
  link->SetActiveRecord(old);
  return r;
}

bool TCustomDBGridX::CellSelected(int ACol, int ARow, const TBookmark& Bookmark) {
  TDBGridXSelection* sel = FSelection.get();
  if (!sel || sel->Kind() == selNoneX) return false;
  if (sel->Kind() == selAllX) return true;
  int dataCol = 0, dataRow = 0;
  int kind = GetCellType(ACol, ARow, dataCol, dataRow, true);
  int colKind = kind & 0xFF, rowKind = kind >> 8;
  if (colKind == 0) return rowKind == 2 && sel->Kind() == selRecordsX && sel->IsRowSelected(Bookmark);
  if (rowKind != 2) return rowKind != 3 && sel->Kind() == selColumnsX && sel->IsColumnSelected(ColumnAt(dataCol));
  return sel->IsCellSelected(dataCol, Bookmark);
}

void TCustomDBGridX::InvalidateCellBox(const TGridRect& R) {
  if (R.Left < 0 || R.Top < 0) return;
  InvalidateGridRect(R);
}

void TCustomDBGridX::RepaintSelection() {
  if (FSelection && FSelection->Kind() == selAllX) {
    Invalidate();
  } else if (FSelection) {
    InvalidateCellBox(FSelection->CoveredGridRect());
  }
  if (Row() < RowCount()) InvalidateRow(Row());
}

bool TCustomDBGridX::EditorShownAlways() {
  // The filter row's editor, while in use, takes the place of the cell editor.
  return FDataOptions.Contains(gdoAlwaysShowEditor) && !FFilterEditing;
}
