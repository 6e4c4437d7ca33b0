// The data grid's scroll bars: the settings objects, the vertical bar filled from record numbers or as
// a five-position bar, the external bars, and the vertical scroll messages and the wheel.
#include "datagrid/DBGridXScroll.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXFooter.h"

namespace {

// Record numbering for the bar comes from the grid's sum list when it watches this data set (it can
// number the records of a data set that cannot, through its bookmark list); otherwise from the data
// set itself, as the sum list would without virtual records.
TDBSumListProducer* Numbering(TCustomDBGridX* G, TDataSet* DS) {
  TDBSumListProducer* s = G->SumList();
  return s && s->DataSet() == DS ? s : nullptr;
}
bool RecordsSequenced(TCustomDBGridX* G, TDataSet* DS) {
  if (!DS) return false;
  if (TDBSumListProducer* s = Numbering(G, DS)) return s->RecordsSequenced();
  return DS->IsSequenced() && DS->RecordCount() >= 0;
}
int VirtualRecNo(TCustomDBGridX* G, TDataSet* DS) {
  if (TDBSumListProducer* s = Numbering(G, DS)) return s->GetVirtualRecNo();
  return DS->RecNo();
}
int VirtualRecordCount(TCustomDBGridX* G, TDataSet* DS) {
  if (TDBSumListProducer* s = Numbering(G, DS)) return std::max(0, s->GetVirtualRecordCount());
  return std::max(0, DS->RecordCount());
}
void SetVirtualRecNo(TCustomDBGridX* G, TDataSet* DS, int Value) {
  if (TDBSumListProducer* s = Numbering(G, DS)) {
    s->SetVirtualRecNo(Value);
    return;
  }
  if (Value >= 1 && Value <= DS->RecordCount()) DS->SetRecNo(Value);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Settings

TDBGridXScrollBar::TDBGridXScrollBar(TCustomDBGridX* AGrid, TScrollBarKind AKind) : FGrid(AGrid), FKind(AKind) {}

TDBGridXScrollBar::~TDBGridXScrollBar() {
  if (FExtScrollBar && !(FGrid && FGrid->IsDesigning())) FExtScrollBar->SetWindowProc(nullptr);
  FExtScrollBar = nullptr;
}

void TDBGridXScrollBar::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TDBGridXScrollBar*>(Source);
  if (!s) {
    TPersistent::Assign(Source);
    return;
  }
  SetVisible(s->Visible());
  FTracking = s->FTracking;
  SetExtScrollBar(s->FExtScrollBar);
}

void TDBGridXScrollBar::SetVisible(bool Value) {
  FVisibleMode = Value ? sbAutoShowX : sbNeverShowX;
  SyncExternalBarVisible();
  if (FKind == sbVertical) FGrid->UpdateVertScrollBar();
  FGrid->LayoutChanged();
}

void TDBGridXScrollBar::SetVisibleMode(TScrollBarVisibleModeX Value) {
  if (Value == FVisibleMode) return;
  FVisibleMode = Value;
  if (FKind == sbVertical) FGrid->UpdateVertScrollBar();
  FGrid->LayoutChanged();
}

bool TDBGridXScrollBar::BarShown() const {
  if (FExtScrollBar) return FExtScrollBar->Visible();
  if (!Visible() || !FGrid->HandleAllocated()) return false;
  LONG style = GetWindowLong(FGrid->Handle(), GWL_STYLE);
  return (style & (FKind == sbVertical ? WS_VSCROLL : WS_HSCROLL)) != 0;
}

void TDBGridXScrollBar::SyncExternalBarVisible() {
  if (FExtScrollBar) FExtScrollBar->SetVisible(Visible());
}

bool TDBGridXScrollBar::GetBarScrollInfo(SCROLLINFO& Info) const {
  if (FExtScrollBar) return FExtScrollBar->HandleAllocated() && GetScrollInfo(FExtScrollBar->Handle(), SB_CTL, &Info);
  return FGrid->HandleAllocated() && GetScrollInfo(FGrid->Handle(), BarConstant(), &Info);
}

void TDBGridXScrollBar::ExtScrollBarGone() {
  FExtScrollBar = nullptr;
  SyncExternalBarVisible();
  if (!FGrid->IsDestroying()) FGrid->LayoutChanged();
}

void TDBGridXScrollBar::SetExtScrollBar(TScrollBar* Value) {
  if (Value == FExtScrollBar) return;
  bool designing = FGrid->IsDesigning();
  if (Value && !designing && !Value->WindowProcIsOwn())
    throw Exception("Possible " + Value->Name() + " already attached to the other control.");
  if (FExtScrollBar && !designing) FExtScrollBar->SetWindowProc(nullptr);
  FExtScrollBar = Value;
  if (Value) {
    Value->FreeNotification(FGrid);
    if (!designing) Value->SetWindowProc([this](TMessage& M) { ExternalBarWndProc(M); });
  }
  SyncExternalBarVisible();
  if (!FGrid->IsDestroying()) {
    if (FGrid->HandleAllocated() && FKind == sbVertical) FGrid->UpdateVertScrollBar();
    FGrid->LayoutChanged();
  }
}

void TDBGridXScrollBar::ExternalBarWndProc(TMessage& Message) {
  TScrollBar* bar = FExtScrollBar;
  if (Message.Msg == CN_BASE + WM_HSCROLL || Message.Msg == CN_BASE + WM_VSCROLL)
    FGrid->Perform(ScrollMessage(), Message.WParam, Message.LParam);
  if (bar) bar->WndProc(Message);
}

// ---------------------------------------------------------------------------------------------------
// Grid side

TDBGridXScrollBar* TCustomDBGridX::HorzScrollBar() {
  if (!FHorzScrollBarX) FHorzScrollBarX.reset(CreateScrollBar(sbHorizontal));
  return FHorzScrollBarX.get();
}

TDBGridXScrollBar* TCustomDBGridX::VertScrollBar() {
  if (!FVertScrollBarX) FVertScrollBarX.reset(CreateScrollBar(sbVertical));
  return FVertScrollBarX.get();
}

TDBGridXScrollBar* TCustomDBGridX::CreateScrollBar(TScrollBarKind Kind) {
  if (Kind == sbVertical) return new TVertDBGridXScrollBar(this, Kind);
  return new TDBGridXScrollBar(this, Kind);
}

void TCustomDBGridX::ScrollBarNotification(TComponent* AComponent) {
  for (auto* bar : {FHorzScrollBarX.get(), FVertScrollBarX.get()})
    if (bar && bar->ExtScrollBar() == AComponent) bar->ExtScrollBarGone();
}

int TCustomDBGridX::VisibleDataRowCount() {
  int n = VisibleRowCount();
  if (FooterRowCount() > 0) n = std::max(1, n - (FooterRowCount() + 1));
  return std::max(1, n);
}

int TCustomDBGridX::DataRowCount() const {
  int n = RowCount() - FTitleOffset;
  if (FooterRowCount() > 0) n -= FooterRowCount() + 1;
  return n;
}

void TCustomDBGridX::UpdateVertScrollBar() {
  if (!FDataLink || !HandleAllocated()) return;
  if (FRandomAccessData) {
    RandomAccessUpdateScrollBar();
    return;
  }
  TDBGridXScrollBar* bar = VertScrollBar();
  TScrollBarVisibleModeX mode = bar->VisibleMode();
  UINT mask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
  if (mode == sbAlwaysShowX) mask |= SIF_DISABLENOSCROLL;
  SCROLLINFO cur{};
  cur.cbSize = sizeof(SCROLLINFO);
  cur.fMask = mask;
  GetScrollInfo(Handle(), SB_VERT, &cur);
  int mn = 0, mx = 1, page = 2, pos = 0;
  TDataSet* ds = FDataLink->DataSet();
  if (FDataLink->Active() && ds) {
    if (RecordsSequenced(this, ds)) {
      mn = 1;
      page = VisibleDataRowCount();
      mx = VirtualRecordCount(this, ds) + page - 1;
      pos = ds->State() >= dsInsert ? cur.nPos : VirtualRecNo(this, ds);
    } else {
      mn = 0;
      page = 0;
      mx = 4;
      pos = ds->Bof() ? 0 : (ds->Eof() ? 4 : 2);
    }
  }
  int keptMax = mx;
  TScrollBar* ext = bar->ExtScrollBar();
  if (!bar->Visible() || ext) mx = mn;
  if (cur.nMin != mn || cur.nMax != mx || static_cast<int>(cur.nPage) != page || cur.nPos != pos ||
      FLastVertMode != static_cast<int>(mode)) {
    bool noRange = mn >= mx || page >= mx - mn;
    if (mode != sbAlwaysShowX || ext) {
      if (noRange) {
        EnableScrollBar(Handle(), SB_VERT, ESB_ENABLE_BOTH);
        ShowScrollBar(Handle(), SB_VERT, FALSE);
      }
    } else {
      EnableScrollBar(Handle(), SB_VERT, noRange ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH);
      ShowScrollBar(Handle(), SB_VERT, TRUE);
    }
    SCROLLINFO si{};
    si.cbSize = sizeof(SCROLLINFO);
    si.fMask = mask & ~SIF_TRACKPOS;
    si.nMin = mn;
    si.nMax = mx;
    si.nPage = static_cast<UINT>(std::max(0, page));
    si.nPos = pos;
    SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
    FLastVertMode = static_cast<int>(mode);
  }
  if (ext) {
    ext->SetPageSize(0);
    mn = std::min(mn, keptMax);
    ext->SetParams(std::clamp(pos, mn, keptMax), mn, keptMax);
    ext->SetPageSize(page);
  }
}

void TCustomDBGridX::UpdateHorzExtScrollBar() {
  if (!FHorzScrollBarX || !FHorzScrollBarX->ExtScrollBar()) return;
  TScrollBar* ext = FHorzScrollBarX->ExtScrollBar();
  TGridDrawInfo info;
  CalcDrawInfo(info);
  int page = std::max(0, info.Horz.LastFullVisibleCell - LeftCol() + 1);
  int mx = page + FixedCols() >= ColCount() ? 0 : 127;
  TGridCoord maxTL = CalcMaxTopLeft(TGridCoord{ColCount() - 1, RowCount() - 1}, info);
  int span = maxTL.X - FixedCols();
  int pos = span > 0 ? MulDiv(LeftCol() - FixedCols(), 127, span) : 0;
  pos = std::clamp(pos, 0, mx);
  if (ext->Min() != 0 || ext->Max() != mx || ext->PageSize() != page || ext->Position() != pos) {
    ext->SetPageSize(0);
    ext->SetParams(pos, 0, mx);
  }
}

void TCustomDBGridX::TopLeftChanged() {
  TCustomGrid::TopLeftChanged();
  UpdateHorzExtScrollBar();
  // A filter cell being edited moved with the columns: its editor follows.
  if (FFilterEditing && FFilterEditor) PlaceFilterEditor(false);
  if (FRandomAccessData) {
    FetchVisibleRecords();
    RandomAccessUpdateScrollBar();
  }
}

void TCustomDBGridX::WMHScroll(TMessage& Message) {
  int code = LOWORD(static_cast<DWORD>(Message.WParam));
  if (code == SB_THUMBTRACK && FHorzScrollBarX && FHorzScrollBarX->Tracking()) {
    Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, HIWORD(static_cast<DWORD>(Message.WParam))), Message.LParam);
    return;
  }
  TScrollBar* ext = FHorzScrollBarX ? FHorzScrollBarX->ExtScrollBar() : nullptr;
  if (ext && ext->HandleAllocated() && reinterpret_cast<HWND>(Message.LParam) == ext->Handle() &&
      (code == SB_THUMBPOSITION || code == SB_THUMBTRACK)) {
    // The external bar runs from 0 to 127 over the columns that can come into view.
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridCoord maxTL = CalcMaxTopLeft(TGridCoord{ColCount() - 1, RowCount() - 1}, info);
    int pos = HIWORD(static_cast<DWORD>(Message.WParam));
    int left = FixedCols() + MulDiv(std::clamp(pos, 0, 127), std::max(0, maxTL.X - FixedCols()), 127);
    if (left != LeftCol()) SetLeftCol(std::max(FixedCols(), left));
  } else {
    TCustomGrid::Dispatch(Message);
  }
  UpdateHorzExtScrollBar();
}

void TCustomDBGridX::WMVScroll(TMessage& Message) {
  Message.Result = 0;
  if (!GainFocus() || !FDataLink->Active()) return;
  if (FRandomAccessData) {
    RandomAccessScroll(Message);
    return;
  }
  TDataSet* ds = FDataLink->DataSet();
  int code = LOWORD(static_cast<DWORD>(Message.WParam));
  int pos = HIWORD(static_cast<DWORD>(Message.WParam));
  if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
    // The message carries 16 bits; a bar of a million records knows the whole position.
    SCROLLINFO si{};
    si.cbSize = sizeof(SCROLLINFO);
    si.fMask = SIF_TRACKPOS;
    if (VertScrollBar()->GetBarScrollInfo(si) && (si.nTrackPos & 0xFFFF) == pos) pos = si.nTrackPos;
  }
  switch (code) {
    case SB_LINEUP: ds->MoveBy(-FDataLink->ActiveRecord() - 1); break;
    case SB_LINEDOWN: ds->MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord()); break;
    case SB_PAGEUP: ds->MoveBy(-VisibleDataRowCount()); break;
    case SB_PAGEDOWN: ds->MoveBy(VisibleDataRowCount()); break;
    case SB_THUMBPOSITION:
      if (FThumbTracked) {
        FThumbTracked = false;
        break;
      }
      if (!RecordsSequenced(this, ds)) {
        switch (pos) {
          case 0: ds->First(); break;
          case 1: ds->MoveBy(-VisibleDataRowCount()); break;
          case 3: ds->MoveBy(VisibleDataRowCount()); break;
          case 4: ds->Last(); break;
          default: break;
        }
      } else if (pos > 1 && pos < VirtualRecordCount(this, ds)) {
        SetVirtualRecNo(this, ds, pos);
      } else if (pos >= VirtualRecordCount(this, ds)) {
        ds->Last();
      } else {
        ds->First();
      }
      break;
    case SB_THUMBTRACK:
      if (VertScrollBar()->Tracking() && RecordsSequenced(this, ds)) {
        ds->MoveBy(pos - VirtualRecNo(this, ds));
        FThumbTracked = true;
      }
      break;
    case SB_TOP: ds->First(); break;
    case SB_BOTTOM: ds->Last(); break;
    default: break;
  }
  UpdateVertScrollBar();
}

bool TCustomDBGridX::DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) {
  // The control's own wheel event first.
  if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (WheelDelta < 0) return DoMouseWheelDown(Shift, MousePos);
  if (WheelDelta > 0) return DoMouseWheelUp(Shift, MousePos);
  return true;
}

bool TCustomDBGridX::DoMouseWheelDown(TShiftState Shift, const TPoint&) {
  // With random access the wheel scrolls the view (Shift moves the record); the wheel event of the
  // control already had its say in DoMouseWheel.
  if (FRandomAccessData && FDataLink->Active()) return RandomAccessWheel(Shift, true);
  if (FDataLink->Active()) FDataLink->DataSet()->MoveBy(1);
  return true;
}

bool TCustomDBGridX::DoMouseWheelUp(TShiftState Shift, const TPoint&) {
  if (FRandomAccessData && FDataLink->Active()) return RandomAccessWheel(Shift, false);
  if (FDataLink->Active()) FDataLink->DataSet()->MoveBy(-1);
  return true;
}

// ---------------------------------------------------------------------------------------------------
// The data set moved by Distance records: the data rows' pixels move with them and only the rows that
// come into view, the old and the new current row and the footers are painted.

void TCustomDBGridX::ScrollDataRows(int Distance) {
  int oldRow = Row();
  if (FDataLink->ActiveRecord() >= DataRowCount() || FDataLink->RecordCount() != DataRowCount()) UpdateRowCount();
  InvalidateRow(std::min(oldRow, RowCount() - 1));
  if (Distance != 0) {
    // An editor out of view in editor mode holds its cell's text as well: it hands it back and closes.
    bool editorShown = InplaceEditor() && (InplaceEditor()->EditVisible() || (EditorMode() && FInplaceCol >= 0));
    if (editorShown) HideEditor();
    int line = FDataOptions.Contains(gdoRowLines) ? GridLineWidth() : 0;
    if (std::abs(Distance) > VisibleDataRowCount()) {
      Invalidate();
    } else {
      TGridDrawInfo info;
      CalcDrawInfo(info);
      RECT area{0, info.Vert.FixedBoundary, ClientWidth(), ClientHeight()};
      // The rows end at the last data row: the footers below it stay, and so does the part of a row
      // that would not fit (it shows the background, not half a record).
      TRect last = CellRect(FixedCols(), FTitleOffset + std::max(0, DataRowCount() - 1));
      if (last.Bottom > last.Top) area.bottom = std::min<int>(area.bottom, last.Bottom + line);
      RECT clip = area;
      // The indicator's arrow row repaints where it moves to; the new current row below.
      if (FDataOptions.Contains(gdoIndicator) && FIndicatorRow >= 0 && FIndicatorRow < RowCount())
        InvalidateRow(FIndicatorRow);
      ScrollWindowEx(Handle(), 0, -Distance * (DefaultRowHeight() + line), &area, &clip, nullptr, nullptr,
                     SW_INVALIDATE);
    }
    if (FDataOptions.Contains(gdoAlwaysShowEditor) && EditorShownAlways()) ShowEditor();
  }
  UpdateVertScrollBar();
  SyncCurrentRow();
  InvalidateRow(Row());
  if (FooterRowCount() > 0) RepaintFooters();
  if (FUpdateLock == 0) Update();
}
