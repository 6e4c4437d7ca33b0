// Layout extras: row heights fitted to whole text lines, the button height, a fixed title height,
// the scroll-bar style, columns sharing the client width (auto-fit), and what sizing or moving a
// column in the grid does to the column list.

#include <algorithm>
#include <cmath>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXFilterRow.h"
#include "platform/win/windows.h"

void TCustomDBGridX::SetTitleHeight(int Value) {
  FTitleHeight = std::max(0, Value);
  LayoutChanged();
}

void TCustomDBGridX::SetTitleLineCount(int Value) {
  FTitleLineCount = std::max(0, Value);
  LayoutChanged();
}

void TCustomDBGridX::SetMinAutoFitWidth(int Value) {
  FMinAutoFitWidth = std::max(0, Value);
  LayoutChanged();
}

int TCustomDBGridX::LayoutRowMetrics(int RowHeight, int TextH, int Extra) {
  int h = std::max(1, TextH);
  if (FOptionsX.Contains(gxoFitRowHeightToText)) {
    // Whole lines: a remainder up to half a line is dropped, more makes another line.
    int n = (RowHeight - Extra) / h, r = (RowHeight - Extra) % h;
    RowHeight = (n > 0 && r <= h / 2) ? n * h + Extra : (n + 1) * h + Extra;
    FRowLines = (RowHeight - Extra) / h;
    FRowHeight = Extra;
  }
  if (FButtonWidth > 0)
    FButtonHeight = static_cast<int>(std::lround(FButtonWidth * 3.0 / 2.0)) >= RowHeight ? RowHeight : FButtonWidth;
  FFitRowHeight = h + FCellTextMargin < RowHeight;
  return RowHeight;
}

int TCustomDBGridX::FixedTitleRowHeight(int TextH) {
  return FTitleLineCount * TextH + FTitleHeight + 2 + (FDataOptions.Contains(gdoRowLines) ? 1 : 0);
}

void TCustomDBGridX::UpdateScrollBarStyle() {
  // An external horizontal bar takes the place of the window's own; a hidden one leaves none.
  TDBGridXScrollBar* horz = HorzScrollBar();
  const bool own = horz->Visible() && !horz->ExtScrollBar();
  TScrollStyle want = ((!FAutoFitColWidths || IsDesigning()) && own && HorzScrollBarWanted()) ? ssHorizontal : ssNone;
  if (ScrollBars() != want) SetScrollBars(want);
}

void TCustomDBGridX::AutoFitLayout() {
  const TColumnsXList& vis = FVisibleColumns;
  for (TColumnX* c : vis) c->AutoFitDone = false;
  bool lines = FDataOptions.Contains(gdoColLines);
  auto available = [&](int others) {
    int a = std::max(ClientWidth(), FMinAutoFitWidth) - others;
    if (FIndicatorOffset > 0) a -= ColWidths(0);
    if (lines) a -= static_cast<int>(vis.size());
    if (lines && FIndicatorOffset > 0) a -= 1;
    return std::max(0, a);
  };
  auto fits = [](TColumnX* c) { return c->AutoFitColWidth() && !c->AutoFitDone; };
  auto setWidth = [](TColumnX* c, int w) {
    c->FWidth = w;
    c->FAssignedValues.Include(cvWidth);
  };
  int avail = 0;
  for (size_t pass = 0; pass < vis.size(); ++pass) {
    UpdateVertScrollBar();  // the bar's coming or going changes the client width shared
    int base = 0, others = 0;
    for (TColumnX* c : vis) {
      if (fits(c)) base += std::max(0, c->AutoFitBaseWidth());
      else others += c->Width();
    }
    avail = available(others);
    bool again = false;
    for (TColumnX* c : vis) {
      if (!fits(c)) continue;
      int w = base > 0 ? MulDiv(std::max(0, c->AutoFitBaseWidth()), avail, base) : 0;
      int limited = c->ClipWidthToLimits(w);
      setWidth(c, limited);
      if (limited != w) {
        // A column held at its limit keeps that width; the others share what is left.
        c->AutoFitDone = true;
        again = true;
      }
    }
    if (!again) break;
  }
  int sum = 0;
  TColumnX* last = nullptr;
  for (TColumnX* c : vis)
    if (fits(c)) {
      sum += c->Width();
      last = c;
    }
  if (last && sum != avail) setWidth(last, std::max(0, last->Width() + avail - sum));
}

bool TCustomDBGridX::RedistributeAutoFitWidth(TColumnX* Column) {
  if (!Column || !FAutoFitColWidths || IsDesigning() || IsLoading()) return false;
  int raw = DataToRawColumn(Column->Index());
  if (raw >= ColCount()) return false;
  int old = ColWidths(raw);
  if (old == -1) return false;
  InvalidateCol(raw);
  int oldBase = Column->AutoFitBaseWidth();
  int newBase = old > 0 ? MulDiv(oldBase, Column->Width(), old) : Column->Width();
  Column->SetAutoFitBaseWidth(newBase);
  if (Column->Index() + 1 < FColumns->Count()) {
    TColumnX* next = FColumns->Items(Column->Index() + 1);
    next->SetAutoFitBaseWidth(std::max(0, next->AutoFitBaseWidth() + oldBase - newBase));
  }
  LayoutChanged();
  return true;
}

void TCustomDBGridX::ProportionalResize(int Index, int OldWidth, int NewWidth) {
  TColumnX* c = ColumnAt(Index);
  if (!c) return;
  if (c->AutoFitColWidth())
    c->SetAutoFitBaseWidth(OldWidth > 0 ? MulDiv(c->AutoFitBaseWidth(), NewWidth, OldWidth) : NewWidth);
  else
    c->SetWidth(NewWidth);
  // The auto-fit columns to its right give up (or take) the change in proportion to their widths.
  int s = 0;
  for (int i = Index + 1; i < FColumns->Count(); ++i) {
    TColumnX* r = FColumns->Items(i);
    if (r->Visible() && r->AutoFitColWidth()) s += r->Width();
  }
  if (s <= 0) return;
  for (int i = Index + 1; i < FColumns->Count(); ++i) {
    TColumnX* r = FColumns->Items(i);
    if (r->Visible() && r->AutoFitColWidth())
      r->SetAutoFitBaseWidth(std::max(1, MulDiv(s + OldWidth - NewWidth, r->AutoFitBaseWidth(), s)));
  }
}

void TCustomDBGridX::ColWidthsChanged() {
  // The filter editor stays put while the widths settle, and is placed once they have.
  TFilterUpdateScopeX filterUpdate(FSTFilter);
  TCustomGrid::ColWidthsChanged();  // scroll range, editor, repaint
  if (FDataLink && FColumns && (FDataLink->Active() || FColumns->Customised()) && AcquireLayoutLock()) {
    struct Layout {
      TCustomDBGridX* G;
      ~Layout() { G->EndLayout(); }
    } layout{this};
    int n = std::min(FColumns->Count(), ColCount() - FIndicatorOffset);
    for (int i = 0; i < n; ++i) {
      TColumnX* c = FColumns->Items(i);
      int raw = DataToRawColumn(i);
      int gw = ColWidths(raw);
      if (!c->Visible() || gw < 0) continue;
      int limited = c->ClipWidthToLimits(gw);
      if (limited != gw) {
        SetColWidths(raw, limited);
        gw = limited;
      }
      if (!FAutoFitColWidths || IsDesigning() || !c->AutoFitColWidth()) {
        if (gw != c->Width()) c->SetWidth(gw);
        continue;
      }
      int old = c->Width();
      if (gw == old) continue;
      if (FOptionsX.Contains(gxoProportionalResize)) {
        ProportionalResize(i, old, gw);
        continue;
      }
      int oldBase = c->AutoFitBaseWidth();
      int newBase = old > 0 ? MulDiv(oldBase, gw, old) : gw;
      c->SetAutoFitBaseWidth(newBase);
      for (int j = i + 1; j < FColumns->Count(); ++j)
        if (FColumns->Items(j)->Visible()) {
          TColumnX* next = FColumns->Items(j);
          next->SetAutoFitBaseWidth(std::max(0, next->AutoFitBaseWidth() + oldBase - newBase));
          break;
        }
    }
  }
  InvalidateEditor();
  if (OnColWidthsChanged) OnColWidthsChanged(this);
  UpdateHorzExtScrollBar();
  filterUpdate.Release();
  if (FFilterEditing && FFilterEditor) PlaceFilterEditor(false);
}

void TCustomDBGridX::ColumnMoved(int FromIndex, int ToIndex) {
  int from = RawToDataColumn(FromIndex), to = RawToDataColumn(ToIndex);
  TColumnX* c = ColumnAt(from);
  // A generated column moves its field with it (TColumnX::SetIndex).
  if (c && to >= 0 && to < FColumns->Count()) {
    // The filter editor waits for its column's new place (the move lays the grid out).
    TFilterUpdateScopeX filterUpdate(FSTFilter);
    c->SetIndex(to);
    filterUpdate.Release();
    FilterColumnMoved(from, to);
  }
  if (OnColumnMoved) OnColumnMoved(this, from, to);
}

bool TCustomDBGridX::BorrowScreenDC() {
  if (HandleAllocated() || Canvas()->HandleAllocated() || FScreenDC) return false;
  FScreenDC = GetDC(nullptr);
  if (!FScreenDC) return false;
  Canvas()->SetHandle(FScreenDC);
  return true;
}

void TCustomDBGridX::MeasureDigit(TFont* Font, int& Digit, int& AveChar, int& Overhang) {
  bool borrowed = BorrowScreenDC();
  struct Return {
    TCustomDBGridX* G;
    bool Borrowed;
    ~Return() {
      if (Borrowed) G->ReturnScreenDC();
    }
  } ret{this, borrowed};
  TCanvas* c = Canvas();
  c->Font()->Assign(Font);
  Digit = c->TextWidth("0");
  TEXTMETRIC tm;
  if (GetTextMetrics(c->Handle(), &tm)) {
    AveChar = tm.tmAveCharWidth;
    Overhang = tm.tmOverhang;
  } else {
    AveChar = Digit;
    Overhang = 0;
  }
}

void TCustomDBGridX::ReturnScreenDC() {
  if (!FScreenDC) return;
  Canvas()->SetHandle(nullptr);
  ReleaseDC(nullptr, FScreenDC);
  FScreenDC = nullptr;
}

void TCustomDBGridX::KeepCurrentColumnVisible() {
  TColumnX* cur = ColumnAt(GetSelectedIndex());
  if (!cur || cur->Visible()) return;
  for (int i = 0; i < FColumns->Count(); ++i) {
    int raw = DataToRawColumn(i);
    if (FColumns->Items(i)->Visible() && raw >= FixedCols() && raw < ColCount()) {
      SetCol(raw);
      return;
    }
  }
}
