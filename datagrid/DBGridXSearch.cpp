// The data grid's timers and in-place search: automatic scrolling while the mouse selects outside the
// data area (timer 1), the type-ahead search over the current column with its time-out (timer 2), the
// position the search saves and restores, and the grid's message dispatch for timers, scrolling and
// characters.
#include <algorithm>
#include <string_view>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/data/memdataset.h"
#include "platform/rtl/sysutils.h"

namespace {

constexpr UINT_PTR kAutoScrollTimer = 1;
constexpr UINT_PTR kSearchTimer = 2;
// The shortest automatic-scroll interval: a timer of 0 ms would fire on every pass of the queue.
constexpr int kMinAutoScrollInterval = 10;

// Whether a cell text begins with the search text without regard to case (both upper-cased with the
// locale's rules); Cut receives the cell's beginning in its own letter case. The search text is
// prepared once per search: a walk compares it with every record.
class TSearchMatcher {
 public:
  explicit TSearchMatcher(const std::string& Text)
      : FText(Text), FUpper(AnsiUpperCase(Text)), FChars(Utf8Length(Text)), FAscii(IsAscii(Text)) {}
  bool Match(std::string_view Cell, std::string& Cut) const {
    if (FAscii && Cell.size() >= FText.size() && IsAscii(Cell.substr(0, FText.size()))) {
      // Plain ASCII on both sides: one byte per character, upper-cased in place.
      for (size_t i = 0; i < FText.size(); ++i)
        if (Upper(Cell[i]) != FUpper[i]) return false;
      Cut = Cell.substr(0, FText.size());
      return true;
    }
    // A cell beginning with another ASCII letter cannot match an ASCII text, nor can a shorter ASCII cell.
    if (FAscii && !Cell.empty() && static_cast<unsigned char>(Cell[0]) < 0x80 && Upper(Cell[0]) != FUpper[0])
      return false;
    if (FAscii && Cell.size() < FText.size() && IsAscii(Cell)) return false;
    Cut = Utf8Left(Cell, FChars);
    return AnsiUpperCase(Cut) == FUpper;
  }

 private:
  static bool IsAscii(std::string_view S) {
    for (char c : S)
      if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
  }
  static char Upper(char C) { return C >= 'a' && C <= 'z' ? static_cast<char>(C - 32) : C; }
  std::string FText, FUpper;
  int FChars;
  bool FAscii;
};

// The in-memory data set can scan a plain text column where it is stored: there the cell's display
// text is the stored text (a text field without a text event, a column without a display format or key
// list). Other columns and data sets are walked record by record.
TMemDataSet* StoredTextSource(TDataSet* DS, TColumnX* Col) {
  auto* mem = dynamic_cast<TMemDataSet*>(DS);
  TField* f = Col->Field();
  if (!mem || !f || mem->State() != dsBrowse || !dynamic_cast<TStringField*>(f)) return nullptr;
  if (f->FieldKind() != fkData || f->OnGetText || !Col->DisplayFormat().empty()) return nullptr;
  if (f->DataType() != ftString && f->DataType() != ftWideString && f->DataType() != ftFixedChar) return nullptr;
  TColumnCellKindX kind = Col->GetCellKind();
  if (kind != cckText && kind != cckPickList) return nullptr;
  return mem;
}

// The in-memory data set in browse state reads any record in place by its position: the search reads
// the records there instead of moving the cursor through them.
TMemDataSet* InPlaceSource(TDataSet* DS, TColumnX* Col) {
  auto* mem = dynamic_cast<TMemDataSet*>(DS);
  if (!mem || mem->State() != dsBrowse || !Col->Field() || Col->Field()->DataSet() != mem) return nullptr;
  return mem;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Messages

void TCustomDBGridX::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TIMER:
      if (Message.WParam == kAutoScrollTimer && FAutoScrollTimerOn) {
        if (FMouseMode == 1 || FMouseMode == 2 || FMouseMode == 3 || FRowsTracking || FCellsTracking)
          AutoScrollStep();
        else
          StopAutoScrollTimer();
        return;
      }
      if (Message.WParam == kSearchTimer) {
        StopInplaceSearch();
        return;
      }
      break;
    case WM_VSCROLL:
      WMVScroll(Message);
      return;
    case WM_HSCROLL:
      WMHScroll(Message);
      return;
    case WM_CHAR:
      WMChar(Message);
      return;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
      CancelMouseX();  // a held title, a frozen column's sizing line, a right-button move
      StopAutoScrollTimer();
      if (FMousePressed && FPressedTitleColumn >= 0) ReleaseTitleButton();
      FMousePressed = false;
      FRowsTracking = FCellsTracking = false;
      FMouseMode = 0;
      DropRowAnchor();
      break;
    default:
      break;
  }
  TCustomGrid::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------------
// Automatic scrolling

int TCustomDBGridX::AutoScrollIntervalFor(int Distance, int PerPixel) {
  return std::max(kMinAutoScrollInterval, 200 - Distance * PerPixel);
}

void TCustomDBGridX::StartAutoScrollTimer(int Interval) {
  if (!HandleAllocated()) return;
  Interval = std::max(kMinAutoScrollInterval, Interval);
  if (FAutoScrollTimerOn && FAutoScrollInterval == Interval) return;
  if (FAutoScrollTimerOn) KillTimer(Handle(), kAutoScrollTimer);
  SetTimer(Handle(), kAutoScrollTimer, static_cast<UINT>(Interval), nullptr);
  FAutoScrollInterval = Interval;
  FAutoScrollTimerOn = true;
}

void TCustomDBGridX::StopAutoScrollTimer() {
  if (!FAutoScrollTimerOn) return;
  if (HandleAllocated()) KillTimer(Handle(), kAutoScrollTimer);
  FAutoScrollTimerOn = false;
  FAutoScrollInterval = -1;
}

TRect TCustomDBGridX::DataAreaRect() {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  int bottom = std::min(info.Vert.GridBoundary, ClientHeight());
  if (FooterRowCount() > 0) {
    int last = FTitleOffset + std::max(0, DataRowCount() - 1);
    TRect r = CellRect(FixedCols(), last);
    if (r.Bottom > r.Top) bottom = r.Bottom;
  }
  int left = MirrorX(info.Horz.FixedBoundary), right = MirrorX(std::min(info.Horz.GridBoundary, ClientWidth()));
  if (left > right) std::swap(left, right);
  return TRect(left, info.Vert.FixedBoundary, right, bottom);
}

void TCustomDBGridX::AutoScrollStep() {
  if (!HandleAllocated() || !FDataLink->Active()) {
    StopAutoScrollTimer();
    return;
  }
  POINT p;
  GetCursorPos(&p);
  ::ScreenToClient(Handle(), &p);
  TRect area = DataAreaRect();
  if (FMouseMode == 2) {
    // Column selection from the titles: the view follows the mouse one column at a time.
    int x = MirrorX(p.x);
    TGridDrawInfo info;
    CalcDrawInfo(info);
    int rightEdge = std::min(info.Horz.GridBoundary, ClientWidth());
    if (x >= rightEdge && info.Horz.LastFullVisibleCell < ColCount() - 1) {
      SetLeftCol(LeftCol() + 1);
      CalcDrawInfo(info);
      if (SelectionX())
        if (TColumnX* c = ColumnAt(RawToDataColumn(std::min(ColCount() - 1, info.Horz.LastFullVisibleCell))))
          SelectionX()->Columns()->ShiftSelectColumn(c);
      StartAutoScrollTimer(AutoScrollIntervalFor(x - rightEdge, 10));
    } else if (x < info.Horz.FixedBoundary && LeftCol() > FixedCols()) {
      SetLeftCol(LeftCol() - 1);
      if (SelectionX())
        if (TColumnX* c = ColumnAt(RawToDataColumn(LeftCol()))) SelectionX()->Columns()->ShiftSelectColumn(c);
      StartAutoScrollTimer(AutoScrollIntervalFor(info.Horz.FixedBoundary - x, 10));
    } else {
      StopAutoScrollTimer();
    }
    return;
  }
  int vdir = 0, vdist = 0, hdir = 0, hdist = 0;
  if (p.y < area.Top) vdir = -1, vdist = area.Top - p.y;
  else if (p.y >= area.Bottom) vdir = 1, vdist = p.y - area.Bottom + 1;
  if (p.x < area.Left) hdir = -1, hdist = area.Left - p.x;
  else if (p.x >= area.Right) hdir = 1, hdist = p.x - area.Right + 1;
  if (RightToLeft()) hdir = -hdir;
  int d = std::max(vdist, hdist);
  if (d == 0) {
    StopAutoScrollTimer();
    return;
  }
  // At least one row per step, so that the slow steps close to the edge still move.
  int rows = std::clamp(d / 6, 1, 8);
  BeginUpdate();
  try {
    if (vdir != 0) MoveWithSelection(FMouseMode == 1, vdir * rows, FMouseMode != 3, false);
    if (hdir != 0 && FMouseMode != 1 && !FDataOptions.Contains(gdoRowSelect))
      SelectColumn(GetSelectedIndex() + hdir, hdir, false);
    // A rectangle's corner follows the current cell.
    if (FMouseMode == 3) ExtendRectangle(false);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Invalidate();
  Update();
  StartAutoScrollTimer(AutoScrollIntervalFor(d, 15));
}

void TCustomDBGridX::TimedScroll(TGridScrollDirections Direction) {
  if (FDataLink->Active()) {
    TDataSet* ds = FDataLink->DataSet();
    if (Direction.Contains(sdUp)) ds->MoveBy(-(FDataLink->ActiveRecord() + 1));
    if (Direction.Contains(sdDown)) ds->MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord());
  }
  if (Direction.Contains(sdLeft) || Direction.Contains(sdRight)) {
    TGridScrollDirections h;
    if (Direction.Contains(sdLeft)) h.Include(sdLeft);
    if (Direction.Contains(sdRight)) h.Include(sdRight);
    TCustomGrid::TimedScroll(h);
  }
}

// ---------------------------------------------------------------------------------------------------
// Position saving

void TCustomDBGridX::SavePosition() {
  TDataSet* ds = FDataLink->DataSet();
  int m = (FDataLink->RecordCount() - 1) / 2;
  int k = FDataLink->ActiveRecord() - m;
  ds->MoveBy(-k);
  FSavedBookmark = ds->Bookmark();
  FSavedDistance = k;
  ds->MoveBy(k);
}

void TCustomDBGridX::RestorePosition() {
  TDataSet* ds = FDataLink->DataSet();
  if (!FSavedBookmark.empty() && ds->BookmarkValid(FSavedBookmark)) {
    ds->GotoBookmark(FSavedBookmark);
    ds->MoveBy(FSavedDistance);
  }
}

// ---------------------------------------------------------------------------------------------------
// In-place search

void TCustomDBGridX::InplaceSearch(const std::string& AddText, int TimeOut, int Mode) {
  if (!FDataLink->Active()) return;
  TDataSet* ds = FDataLink->DataSet();
  TColumnX* col = ColumnAt(GetSelectedIndex());
  std::string oldText = FSearchText;
  std::string newText = FSearchText + AddText;
  bool found = false;
  if (!newText.empty() && col) {
    std::string cut;
    TSearchMatcher matcher(newText);
    TMemDataSet* mem = nullptr;
    if (Mode == 0 && matcher.Match(col->GetCellDisplayText(), cut)) {
      found = true;
      newText = cut;
    } else if ((mem = InPlaceSource(ds, col)) != nullptr) {
      // Same order and rule as the walk below: from the first record (Mode 0), after the current one
      // (1) or before it going back (2); nothing found leaves the position alone.
      int cur = mem->CurrentPosition();
      int from = Mode == 1 ? cur + 1 : (Mode == 2 ? cur - 1 : 0);
      int step = Mode == 2 ? -1 : 1;
      int pos = -1;
      if (StoredTextSource(ds, col)) {
        pos = mem->ScanText(col->Field(), from, step,
                            [&](std::string_view Cell) { return matcher.Match(Cell, cut); });
      } else {
        // Other columns: each record is read where it stands and its display text formed as drawn.
        for (int p = from; p >= 0 && mem->BeginReadAt(p); p += step) {
          bool match;
          try {
            match = matcher.Match(col->GetCellDisplayText(), cut);
          } catch (...) {
            mem->EndReadAt();
            throw;
          }
          mem->EndReadAt();
          if (match) {
            pos = p;
            break;
          }
        }
      }
      if (pos >= 0) {
        found = true;
        newText = cut;
        // The record change this brings must not end the search it belongs to.
        struct Positioning {
          bool& Flag;
          ~Positioning() { Flag = false; }
        } positioning{FSearchPositioning};
        FSearchPositioning = true;
        ds->GotoBookmark(mem->BookmarkAt(pos));
      }
    } else {
      ds->DisableControls();
      struct Enable {
        TCustomDBGridX* G;
        TDataSet* DS;
        ~Enable() {
          // The record change this brings must not end the search it belongs to.
          G->FSearchPositioning = true;
          try {
            DS->EnableControls();
          } catch (...) {
          }
          G->FSearchPositioning = false;
        }
      } enable{this, ds};
      SavePosition();
      if (Mode == 1) ds->Next();
      else if (Mode == 2) ds->Prior();
      else ds->First();
      while (Mode == 2 ? !ds->Bof() : !ds->Eof()) {
        if (matcher.Match(col->GetCellDisplayText(), cut)) {
          found = true;
          newText = cut;
          break;
        }
        if (Mode == 2) ds->Prior();
        else ds->Next();
      }
      // Nothing found: the current record and the shown rows come back.
      if (!found) RestorePosition();
    }
  }
  if (EditorMode()) HideEditor();
  FInSearch = true;
  FSearchText = found ? newText : oldText;
  InvalidateRow(Row());
  FSearchTimeout = TimeOut;
  StartSearchTimer();
}

void TCustomDBGridX::StartSearchTimer() {
  if (FSearchTimeout < 0 || !HandleAllocated()) return;
  SetTimer(Handle(), kSearchTimer, static_cast<UINT>(FSearchTimeout), nullptr);
  FSearchTimerOn = true;
}

void TCustomDBGridX::StopSearchTimer() {
  if (FSearchTimerOn && HandleAllocated()) KillTimer(Handle(), kSearchTimer);
  FSearchTimerOn = false;
}

void TCustomDBGridX::StopInplaceSearch() {
  StopSearchTimer();
  bool was = FInSearch;
  FInSearch = false;
  FSearchText.clear();
  if (was && Row() < RowCount()) InvalidateRow(Row());
  if (FDataOptions.Contains(gdoAlwaysShowEditor) && EditorShownAlways()) ShowEditor();
}
