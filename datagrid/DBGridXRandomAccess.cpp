// The grid's random-access row model: a data set that hands rows by index (IRandomAccessDataSetX)
// gets one grid row per record. The grid's own top row scrolls the view (scroll bar, wheel), the
// current record only moves when the user moves it, and each row is drawn by making its record the
// active one for the drawing. Also the in-memory data set's implementation of that interface.
#include "datagrid/DBGridXRandomAccess.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------------
// The in-memory data set's rows by index

int TRandomAccessMemDataSetX::CountRecords() {
  if (!Active()) return 0;
  return RecordCount() + (State() == dsInsert ? 1 : 0);
}

void TRandomAccessMemDataSetX::SetActiveIndex(int Index) {
  RestoreActiveIndex();
  int cur = CurrentPosition();
  if (Index == cur) return;
  if (State() == dsInsert && cur >= 0 && Index > cur) --Index;  // the new record sits in between
  FReadingAt = BeginReadAt(Index);
  if (FReadingAt) ++FIndexReads;
}

void TRandomAccessMemDataSetX::RestoreActiveIndex() {
  if (!FReadingAt) return;
  FReadingAt = false;
  EndReadAt();
}

// ---------------------------------------------------------------------------------------------------
// The grid's side

int TCustomDBGridX::ActiveDataRow() const {
  return FRandomAccessData ? FRandomAccessData->GetCurrentIndex() : FDataLink->ActiveRecord();
}

int TCustomDBGridX::DrawnRecordCount() const {
  if (FRandomAccessData) return FDataLink->Active() ? FRandomAccessData->CountRecords() : 0;
  return FDataLink->RecordCount();
}

void TCustomDBGridX::SetUseRandomAccess(bool Value) {
  if (FUseRandomAccess == Value) return;
  FUseRandomAccess = Value;
  UpdateRandomAccess();
}

bool TCustomDBGridX::RefreshRandomAccessInterface() {
  TDataSet* ds = FDataLink ? FDataLink->DataSet() : nullptr;
  IRandomAccessDataSetX* rows = nullptr;
  if (FUseRandomAccess && ds && FooterRowCount() == 0) rows = dynamic_cast<IRandomAccessDataSetX*>(ds);
  if (rows == FRandomAccessData) return false;
  FRandomAccessData = rows;
  FRandomAccessDataSet = rows ? ds : nullptr;
  if (rows) ds->FreeNotification(this);
  FLastRAInfo = {};
  return true;
}

void TCustomDBGridX::UpdateRandomAccess() {
  if (RefreshRandomAccessInterface()) LayoutChanged();
}

void TCustomDBGridX::RandomAccessNotification(TComponent* AComponent) {
  if (FRandomAccessDataSet && AComponent == FRandomAccessDataSet) {
    FRandomAccessData = nullptr;
    FRandomAccessDataSet = nullptr;
  }
}

int TCustomDBGridX::MaxTopRow() {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  TGridCoord maxTL = CalcMaxTopLeft(TGridCoord{ColCount() - 1, RowCount() - 1}, info);
  return std::max(FixedRows(), maxTL.Y);
}

int TCustomDBGridX::LastFullVisibleRow() {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return std::max(TopRow(), info.Vert.LastFullVisibleCell);
}

void TCustomDBGridX::MoveToRecordRow(int Target) {
  if (Target == Row()) return;
  if (!FDataOptions.Contains(gdoAlwaysShowEditor)) HideEditor();
  int c = Col() < FixedCols() ? FixedCols() : Col();
  MoveColRow(c, Target, true, true);
  InvalidateEditor();
  InvalidateRow(Target);
}

void TCustomDBGridX::RandomAccessRowCountChanged() {
  bool active = FDataLink->Active();
  int n = active ? FRandomAccessData->CountRecords() : 0;
  if (RowCount() != std::max(1, n) + FTitleOffset) SetRowCount(std::max(1, n) + FTitleOffset);
  if (!HandleAllocated()) return;
  ClampTopRow();
  if (active) {
    int idx = FRandomAccessData->GetCurrentIndex();
    if (idx != Row() - FTitleOffset) {
      InvalidateRow(Row());
      MoveToRecordRow(idx < 0 ? FixedRows() : std::min(RowCount() - 1, idx + FTitleOffset));
    }
  }
  FetchVisibleRecords();
  Invalidate();
}

void TCustomDBGridX::FetchVisibleRecords() {
  if (!FRandomAccessData || FFetchingVisible || !FDataLink->Active() || !HandleAllocated()) return;
  FFetchingVisible = true;
  try {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    int rowsEnd = info.Vert.GridBoundary;
    if (rowsEnd < ClientHeight())
      FRandomAccessData->FetchRecords((ClientHeight() - rowsEnd) / std::max(1, DefaultRowHeight()) + 1);
    if (info.Vert.LastFullVisibleCell >= RowCount() - 1) FRandomAccessData->FetchRecords(1);
  } catch (...) {
    FFetchingVisible = false;
    throw;
  }
  FFetchingVisible = false;
}

void TCustomDBGridX::ClampTopRow() {
  int mx = MaxTopRow();
  if (TopRow() > mx) SetTopRow(mx);
}

void TCustomDBGridX::SafeTopRow(int ATop) {
  ATop = std::clamp(ATop, FixedRows(), std::max(FixedRows(), RowCount() - 1));
  ATop = std::min(ATop, MaxTopRow());
  if (ATop != TopRow()) SetTopRow(ATop);
  RandomAccessUpdateScrollBar();
}

void TCustomDBGridX::RandomAccessUpdateScrollBar() {
  if (!HandleAllocated()) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 1;
  si.nMax = std::max(1, RowCount() - FixedRows());
  si.nPage = static_cast<UINT>(std::max(0, LastFullVisibleRow() - TopRow() + 1));
  si.nPos = TopRow() - FixedRows() + 1;
  if (FLastRAInfo.cbSize != 0 && FLastRAInfo.nMin == si.nMin && FLastRAInfo.nMax == si.nMax &&
      FLastRAInfo.nPage == si.nPage && FLastRAInfo.nPos == si.nPos)
    return;
  FLastRAInfo = si;
  SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
}

void TCustomDBGridX::RandomAccessScroll(TMessage& Message) {
  if (!FDataLink->Active()) return;
  int code = LOWORD(static_cast<DWORD>(Message.WParam));
  int top = TopRow();
  switch (code) {
    case SB_LINEUP: SafeTopRow(top - 1); break;
    case SB_LINEDOWN: SafeTopRow(top + 1); break;
    case SB_PAGEUP: {
      // The row that would show the current top row as the last fully visible one.
      int avail = ClientHeight();
      TGridDrawInfo info;
      CalcDrawInfo(info);
      avail -= info.Vert.FixedBoundary;
      int line = info.Vert.EffectiveLineWidth;
      int t = top;
      for (int used = RowHeights(top) + line; t > FixedRows() && used + RowHeights(t - 1) + line <= avail; --t)
        used += RowHeights(t - 1) + line;
      SafeTopRow(top - std::max(1, top - t));
      break;
    }
    case SB_PAGEDOWN: SafeTopRow(top + std::max(1, LastFullVisibleRow() - top)); break;
    case SB_TOP: SafeTopRow(FixedRows()); break;
    case SB_BOTTOM: SafeTopRow(RowCount()); break;
    case SB_THUMBTRACK:
      if (!VertScrollBar()->Tracking()) break;
      [[fallthrough]];
    case SB_THUMBPOSITION: {
      // The message carries 16 bits; the bar knows the whole position.
      int pos = HIWORD(static_cast<DWORD>(Message.WParam));
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(Handle(), SB_VERT, &si) && (si.nTrackPos & 0xFFFF) == pos) pos = si.nTrackPos;
      SafeTopRow(FixedRows() + pos - 1);
      break;
    }
    default: RandomAccessUpdateScrollBar(); break;
  }
}

void TCustomDBGridX::SyncCurrentRecord() {
  if (FInSearch && !FSearchPositioning) StopInplaceSearch();
  bool active = FDataLink->Active();
  int n = active ? FRandomAccessData->CountRecords() : 0;
  if (RowCount() != std::max(1, n) + FTitleOffset) SetRowCount(std::max(1, n) + FTitleOffset);
  if (active) {
    int idx = FRandomAccessData->GetCurrentIndex();
    if (idx != Row() - FTitleOffset) {
      InvalidateRow(Row());
      if (HandleAllocated() && !ComponentState().Contains(csLoading)) {
        MoveToRecordRow(idx < 0 ? FixedRows() : std::min(RowCount() - 1, idx + FTitleOffset));
        if (EditorMode() && InplaceEditor() && GetEditText(Col(), Row()) != InplaceEditor()->Text())
          InvalidateEditor();
      }
    }
  }
  UpdateVertScrollBar();
}

bool TCustomDBGridX::RandomAccessWheel(TShiftState Shift, bool Down) {
  int dir = Down ? 1 : -1;
  TDataSet* ds = FDataLink->DataSet();
  if (Shift.Contains(ssShift)) {
    if (Shift.Contains(ssCtrl)) ds->MoveBy(dir * VisibleDataRowCount());
    else if (Down) ds->Next();
    else ds->Prior();
    return true;
  }
  if (Shift.Contains(ssCtrl)) {
    int page = VisibleDataRowCount();
    if (Down) {
      int below = RowCount() - TopRow();
      if (below < page) FRandomAccessData->FetchRecords(page - below);
    }
    SafeTopRow(TopRow() + dir * page);
  } else {
    SafeTopRow(TopRow() + dir);
  }
  return true;
}
