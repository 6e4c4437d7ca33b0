// The grid base: state, per-axis geometry, current cell and selection, scrolling and the editor's life.
#include "platform/controls/grids.h"

#include <algorithm>
#include <utility>

namespace {

const char* const kIndexOutOfRange = "Grid index out of range";
const char* const kFixedColTooBig = "Fixed column count must be less than column count";
const char* const kFixedRowTooBig = "Fixed row count must be less than row count";

// Start of a cell on an axis, or false when the cell is not (partly) on screen.
bool CellStart(const TGridAxisDrawInfo& A, int Cell, int& Pos) {
  if (Cell < 0 || Cell >= A.GridCellCount) return false;
  if (Cell < A.FixedCellCount) {
    Pos = 0;
    for (int i = 0; i < Cell; ++i) Pos += A.Span(i);
    return true;
  }
  if (Cell < A.FirstGridCell) return false;
  Pos = A.FixedBoundary;
  for (int i = A.FirstGridCell; i < Cell; ++i) {
    Pos += A.Span(i);
    if (Pos >= A.GridExtent) return false;
  }
  return Pos < A.GridExtent;
}

// Pixel span [S, E) of the cells Lo..Hi on an axis, clipped to what is on screen.
bool AxisSpan(const TGridAxisDrawInfo& A, int Lo, int Hi, int& S, int& E) {
  if (Lo > Hi) std::swap(Lo, Hi);
  int l = Lo;
  if (l >= A.FixedCellCount && l < A.FirstGridCell) l = A.FirstGridCell;
  if (l > Hi) return false;
  if (!CellStart(A, l, S)) return false;
  int h = Hi;
  if (h >= A.FixedCellCount && h < A.FirstGridCell) h = A.FixedCellCount - 1;
  int hs = 0;
  if (h >= l && CellStart(A, h, hs))
    E = hs + std::max(0, A.GetExtent(h));
  else
    E = A.GridBoundary;
  E = std::min(E, A.GridExtent);
  return E > S;
}

// The cell at a pixel position on an axis, or -1.
int AxisCell(const TGridAxisDrawInfo& A, int N) {
  if (N < 0) return -1;
  int pos = 0;
  if (N < A.FixedBoundary) {
    for (int i = 0; i < A.FixedCellCount; ++i) {
      pos += A.Span(i);
      if (N < pos) return i;
    }
    return -1;
  }
  if (N >= A.GridBoundary) return -1;
  pos = A.FixedBoundary;
  for (int i = A.FirstGridCell; i < A.GridCellCount; ++i) {
    pos += A.Span(i);
    if (N < pos) return i;
    if (pos >= A.GridExtent) break;
  }
  return -1;
}

void CalcAxis(TGridAxisDrawInfo& A, const TGridAxis& Axis, int Fixed, int First, int Line, int Extent) {
  A.Axis = &Axis;
  A.EffectiveLineWidth = Line;
  A.FixedCellCount = Fixed;
  A.FirstGridCell = First;
  A.GridCellCount = Axis.Count();
  A.GridExtent = Extent;
  int b = 0;
  for (int i = 0; i < Fixed; ++i) b += Axis.Span(i, Line);
  A.FixedBoundary = b;
  A.GridBoundary = b;
  A.FullVisBoundary = b;
  A.LastFullVisibleCell = First - 1;
  for (int i = First; i < A.GridCellCount; ++i) {
    int s = Axis.Span(i, Line);
    if (b + s > Extent + Line) {
      A.GridBoundary = Extent;
      break;
    }
    b += s;
    A.GridBoundary = b;
    A.FullVisBoundary = b;
    A.LastFullVisibleCell = i;
  }
  if (A.GridBoundary > Extent) A.GridBoundary = Extent;
}

// Pixels the cells move when the first scrollable cell goes from Old to New: false when the shift is a
// page or more (nothing stays on screen).
bool PixelShift(const TGridAxisDrawInfo& A, int Old, int New, int& Shift) {
  Shift = 0;
  if (Old == New) return true;
  int limit = A.GridExtent - A.FixedBoundary;
  int sum = 0;
  for (int i = std::min(Old, New); i < std::max(Old, New); ++i) {
    sum += A.Span(i);
    if (sum >= limit) return false;
  }
  Shift = Old < New ? -sum : sum;
  return true;
}

// Largest first cell for which Start is still wholly visible.
int CalcMaxCell(const TGridAxisDrawInfo& A, int Start) {
  int result = Start;
  int avail = A.GridExtent + A.EffectiveLineWidth - A.FixedBoundary;
  for (int i = Start; i >= A.FixedCellCount; --i) {
    int s = A.Span(i);
    if (s > avail) break;
    avail -= s;
    result = i;
  }
  return std::max(result, A.FixedCellCount);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// TGridAxis

void TGridAxis::SetCount(int Value) {
  if (Value < FCount && !FCustom.empty()) FCustom.erase(FCustom.lower_bound(Value), FCustom.end());
  FCount = Value;
}

void TGridAxis::SetDefaultExtent(int Value) {
  FDefault = Value;
  FCustom.clear();
}

void TGridAxis::SetExtent(int I, int Value) {
  if (Value == FDefault)
    FCustom.erase(I);
  else
    FCustom[I] = Value;
}

void TGridAxis::Move(int From, int To) {
  if (From == To || FCustom.empty()) return;
  int moving = Extent(From);
  int lo = std::min(From, To), hi = std::max(From, To);
  std::map<int, int> shifted;
  for (auto it = FCustom.lower_bound(lo); it != FCustom.end() && it->first <= hi;) {
    if (it->first != From) shifted[From < To ? it->first - 1 : it->first + 1] = it->second;
    it = FCustom.erase(it);
  }
  for (auto& [k, v] : shifted) FCustom[k] = v;
  if (moving != FDefault) FCustom[To] = moving;
}

// ---------------------------------------------------------------------------------------------------
// TCustomGrid: creation and state

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks, csClickEvents};
  FCols.SetCount(5);
  FRows.SetCount(5);
  FCols.SetDefaultExtent(64);
  FRows.SetDefaultExtent(24);
  FWidth = 320;
  FHeight = 120;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
}

TCustomGrid::~TCustomGrid() {
  StopTimer();
  // The editor is freed with the components the grid owns, after this body: it must not call back.
  if (FInplaceEdit) FInplaceEdit->SetGrid(nullptr);
  FInplaceEdit = nullptr;
}

void TCustomGrid::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_TABSTOP;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
  if (FBorderStyle == TBorderStyle::bsSingle) {
    if (FCtl3D)
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
  Params.WindowClassStyle = CS_DBLCLKS;
}

void TCustomGrid::CreateWnd() {
  TCustomControl::CreateWnd();
  UpdateScrollRange();
}

void TCustomGrid::Resize() {
  TCustomControl::Resize();
  if (!HandleAllocated()) return;
  UpdateScrollRange();
  InvalidateEditor();
}

void TCustomGrid::EraseBackground(HDC /*DC*/) {}

TPoint TCustomGrid::ClientOrigin() const {
  if (!FHandle) return TCustomControl::ClientOrigin();
  POINT p{0, 0};
  ::ClientToScreen(FHandle, &p);
  return TPoint(p);
}

TRect TCustomGrid::ClientRect() const {
  if (!FHandle) return TCustomControl::ClientRect();
  RECT r{};
  GetClientRect(FHandle, &r);
  return TRect(r);
}

void TCustomGrid::CheckCell(int ACol, int ARow) const {
  if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount())
    throw EInvalidGridOperation(kIndexOutOfRange);
}

void TCustomGrid::SetColCount(int Value) {
  if (Value < 1) Value = 1;
  if (Value == ColCount()) return;
  if (Value <= FFixedCols) SetFixedCols(Value - 1);
  ChangeSize(Value, RowCount());
}

void TCustomGrid::SetRowCount(int Value) {
  if (Value < 1) Value = 1;
  if (Value == RowCount()) return;
  if (Value <= FFixedRows) SetFixedRows(Value - 1);
  ChangeSize(ColCount(), Value);
}

void TCustomGrid::ChangeSize(int NewColCount, int NewRowCount) {
  int oldCols = ColCount(), oldRows = RowCount();
  if (NewColCount < oldCols || NewRowCount < oldRows) HideEditor();
  FCols.SetCount(NewColCount);
  FRows.SetCount(NewRowCount);
  if (!FTabStops.empty()) FTabStops.resize(static_cast<size_t>(NewColCount), 1);
  auto clamp = [&](TGridCoord& C) {
    C.X = std::min(C.X, NewColCount - 1);
    C.Y = std::min(C.Y, NewRowCount - 1);
  };
  clamp(FCurrent);
  clamp(FAnchor);
  clamp(FTopLeft);
  if (FOptions.Contains(goRowSelect)) FAnchor.X = NewColCount - 1;
  SizeChanged(oldCols, oldRows);
  UpdateScrollRange();
  Invalidate();
}

void TCustomGrid::SizeChanged(int /*OldColCount*/, int /*OldRowCount*/) {}

// Setting the fixed columns or rows starts the scrollable part afresh (current cell, left column, top
// row): a grid that sets them on every layout must not lose its place, so an unchanged value does
// nothing.
void TCustomGrid::SetFixedCols(int Value) {
  if (Value < 0) Value = 0;
  if (Value == FFixedCols) return;
  if (Value >= ColCount()) throw EInvalidGridOperation(kFixedColTooBig);
  HideEditor();
  FFixedCols = Value;
  FTopLeft.X = Value;
  FCurrent.X = Value;
  FAnchor.X = FOptions.Contains(goRowSelect) ? ColCount() - 1 : Value;
  UpdateScrollRange();
  Invalidate();
}

void TCustomGrid::SetFixedRows(int Value) {
  if (Value < 0) Value = 0;
  if (Value == FFixedRows) return;
  if (Value >= RowCount()) throw EInvalidGridOperation(kFixedRowTooBig);
  HideEditor();
  FFixedRows = Value;
  FTopLeft.Y = Value;
  FCurrent.Y = Value;
  FAnchor.Y = Value;
  if (FOptions.Contains(goRowSelect)) FAnchor.X = ColCount() - 1;
  UpdateScrollRange();
  Invalidate();
}

void TCustomGrid::SetCol(int Value) {
  if (Value != Col()) FocusCell(Value, Row(), true);
}

void TCustomGrid::SetRow(int Value) {
  if (Value != Row()) FocusCell(Col(), Value, true);
}

void TCustomGrid::SetLeftCol(int Value) {
  Value = std::clamp(Value, FFixedCols, ColCount() - 1);
  if (Value != FTopLeft.X) MoveTopLeft(Value, FTopLeft.Y);
}

void TCustomGrid::SetTopRow(int Value) {
  Value = std::clamp(Value, FFixedRows, RowCount() - 1);
  if (Value != FTopLeft.Y) MoveTopLeft(FTopLeft.X, Value);
}

TGridRect TCustomGrid::Selection() const {
  TGridRect r{std::min(FCurrent.X, FAnchor.X), std::min(FCurrent.Y, FAnchor.Y), std::max(FCurrent.X, FAnchor.X),
              std::max(FCurrent.Y, FAnchor.Y)};
  if (FOptions.Contains(goRowSelect)) {
    r.Left = FFixedCols;
    r.Right = ColCount() - 1;
  }
  return r;
}

void TCustomGrid::SetSelection(const TGridRect& Value) {
  CheckCell(Value.Left, Value.Top);
  CheckCell(Value.Right, Value.Bottom);
  TGridRect old = Selection();
  FAnchor = Value.TopLeft();
  FCurrent = Value.BottomRight();
  SelectionMoved(old);
}

void TCustomGrid::SetDefaultColWidth(int Value) {
  FCols.SetDefaultExtent(Value);
  ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
  FRows.SetDefaultExtent(Value);
  RowHeightsChanged();
}

int TCustomGrid::ColWidths(int Index) const {
  if (Index < 0 || Index >= ColCount()) throw EInvalidGridOperation(kIndexOutOfRange);
  return FCols.Extent(Index);
}

void TCustomGrid::SetColWidths(int Index, int Value) {
  if (Index < 0 || Index >= ColCount()) throw EInvalidGridOperation(kIndexOutOfRange);
  if (Value < -1) Value = -1;
  if (FCols.Extent(Index) == Value) return;
  FCols.SetExtent(Index, Value);
  ColWidthsChanged();
}

int TCustomGrid::RowHeights(int Index) const {
  if (Index < 0 || Index >= RowCount()) throw EInvalidGridOperation(kIndexOutOfRange);
  return FRows.Extent(Index);
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
  if (Index < 0 || Index >= RowCount()) throw EInvalidGridOperation(kIndexOutOfRange);
  if (Value < -1) Value = -1;
  if (FRows.Extent(Index) == Value) return;
  FRows.SetExtent(Index, Value);
  RowHeightsChanged();
}

bool TCustomGrid::TabStops(int Index) const {
  if (Index < 0 || Index >= ColCount()) throw EInvalidGridOperation(kIndexOutOfRange);
  return FTabStops.empty() || FTabStops[static_cast<size_t>(Index)] != 0;
}

void TCustomGrid::SetTabStops(int Index, bool Value) {
  if (Index < 0 || Index >= ColCount()) throw EInvalidGridOperation(kIndexOutOfRange);
  if (FTabStops.empty()) {
    if (Value) return;
    FTabStops.assign(static_cast<size_t>(ColCount()), 1);
  }
  FTabStops[static_cast<size_t>(Index)] = Value ? 1 : 0;
}

void TCustomGrid::SetGridLineWidth(int Value) {
  Value = std::max(0, Value);
  if (Value == FGridLineWidth) return;
  FGridLineWidth = Value;
  ColWidthsChanged();
  RowHeightsChanged();
}

int TCustomGrid::VisibleColCount() {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return std::max(0, info.Horz.LastFullVisibleCell - LeftCol() + 1);
}

int TCustomGrid::VisibleRowCount() {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  return std::max(0, info.Vert.LastFullVisibleCell - TopRow() + 1);
}

void TCustomGrid::SetFixedColor(TColor Value) {
  if (Value == FFixedColor) return;
  FFixedColor = Value;
  Invalidate();
}

void TCustomGrid::SetDefaultDrawing(bool Value) {
  if (Value == FDefaultDrawing) return;
  FDefaultDrawing = Value;
  Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
  if (Value == FScrollBars) return;
  FScrollBars = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomGrid::SetOptions(TGridOptions Value) {
  if (Value.Contains(goRowSelect)) Value.Exclude(goAlwaysShowEditor);
  if (Value == FOptions) return;
  bool wasRowSelect = FOptions.Contains(goRowSelect);
  FOptions = Value;
  if (Value.Contains(goRowSelect) && !wasRowSelect) FAnchor.X = ColCount() - 1;
  if (!Value.Contains(goRowSelect) && wasRowSelect) FAnchor.X = FCurrent.X;
  if (Value.Contains(goRowSelect)) {
    HideEditor();
  } else if (Value.Contains(goAlwaysShowEditor) && Value.Contains(goEditing)) {
    FEditorMode = true;
    UpdateEdit();
  } else if (!Value.Contains(goEditing)) {
    HideEditor();
  }
  UpdateScrollRange();
  InvalidateEditor();
  Invalidate();
}

void TCustomGrid::SetRightToLeft(bool Value) { SetBiDiMode(Value ? bdRightToLeft : bdLeftToRight); }

void TCustomGrid::BiDiModeChanged(TMessage& Message) {
  const bool rtl = UseRightToLeftAlignment();
  if (rtl != FRightToLeft) {
    FRightToLeft = rtl;
    InvalidateEditor();
  }
  TCustomControl::BiDiModeChanged(Message);
  // The horizontal bar turns with the columns.
  UpdateScrollRange();
}

// ---------------------------------------------------------------------------------------------------
// Geometry

void TCustomGrid::CalcDrawInfo(TGridDrawInfo& DrawInfo) {
  TRect cr = ClientRect();
  CalcDrawInfoXY(DrawInfo, cr.Width(), cr.Height());
}

void TCustomGrid::CalcDrawInfoXY(TGridDrawInfo& DrawInfo, int UseWidth, int UseHeight) {
  int hl = (FOptions.Contains(goFixedVertLine) || FOptions.Contains(goVertLine)) ? FGridLineWidth : 0;
  int vl = (FOptions.Contains(goFixedHorzLine) || FOptions.Contains(goHorzLine)) ? FGridLineWidth : 0;
  CalcAxis(DrawInfo.Horz, FCols, FFixedCols, FTopLeft.X, hl, UseWidth);
  CalcAxis(DrawInfo.Vert, FRows, FFixedRows, FTopLeft.Y, vl, UseHeight);
}

void TCustomGrid::CalcFixedInfo(TGridDrawInfo& DrawInfo) {
  // The fixed parts do not depend on the scroll position; the full walk is cheap (it stops at the edge).
  CalcDrawInfo(DrawInfo);
}

TGridCoord TCustomGrid::CalcMaxTopLeft(const TGridCoord& Coord, const TGridDrawInfo& DrawInfo) {
  return TGridCoord{CalcMaxCell(DrawInfo.Horz, Coord.X), CalcMaxCell(DrawInfo.Vert, Coord.Y)};
}

TRect TCustomGrid::BoxRect(int ALeft, int ATop, int ARight, int ABottom) {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  TRect r;
  if (!AxisSpan(info.Horz, ALeft, ARight, r.Left, r.Right) || !AxisSpan(info.Vert, ATop, ABottom, r.Top, r.Bottom))
    return TRect();
  return MirrorRect(r);
}

TRect TCustomGrid::CellRect(int ACol, int ARow) { return BoxRect(ACol, ARow, ACol, ARow); }

TGridCoord TCustomGrid::MouseCoord(int X, int Y) {
  TGridDrawInfo info;
  CalcDrawInfo(info);
  int c = AxisCell(info.Horz, MirrorX(X));
  int r = AxisCell(info.Vert, Y);
  if (c < 0 || r < 0) return TGridCoord{-1, -1};
  return TGridCoord{c, r};
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) {
  TGridCoord c = MouseCoord(X, Y);
  ACol = c.X;
  ARow = c.Y;
}

TGridCoord TCustomGrid::CellForSelecting(int X, int Y, const TGridDrawInfo& Info) {
  // Clamped into the visible data area, so that a drag beyond the last cell selects up to it.
  int x = std::clamp(MirrorX(X), Info.Horz.FixedBoundary, std::max(Info.Horz.FixedBoundary, Info.Horz.GridBoundary - 1));
  int y = std::clamp(Y, Info.Vert.FixedBoundary, std::max(Info.Vert.FixedBoundary, Info.Vert.GridBoundary - 1));
  int c = AxisCell(Info.Horz, x), r = AxisCell(Info.Vert, y);
  if (c < FFixedCols) c = -1;
  if (r < FFixedRows) r = -1;
  return TGridCoord{c, r};
}

// ---------------------------------------------------------------------------------------------------
// Current cell, anchor, top-left

int TCustomGrid::StepCol(int C, int Delta) const {
  for (int c = C + Delta; c >= FFixedCols && c < ColCount(); c += Delta)
    if (FCols.Extent(c) >= 0) return c;
  return C;
}

int TCustomGrid::StepRow(int R, int Delta) const {
  for (int r = R + Delta; r >= FFixedRows && r < RowCount(); r += Delta)
    if (FRows.Extent(r) >= 0) return r;
  return R;
}

bool TCustomGrid::SelectCell(int ACol, int ARow) {
  bool can = true;
  if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
  return can;
}

void TCustomGrid::MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show) { MoveCurrent(ACol, ARow, MoveAnchor, Show); }

void TCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor) {
  MoveCurrent(ACol, ARow, MoveAnchor, true);
  UpdateEdit();
  Click();
}

void TCustomGrid::MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show) {
  if (ACol < FFixedCols || ARow < FFixedRows) throw EInvalidGridOperation(kIndexOutOfRange);
  CheckCell(ACol, ARow);
  if (!SelectCell(ACol, ARow)) return;
  TGridRect old = Selection();
  if (!FOptions.Contains(goAlwaysShowEditor)) HideEditor();
  TGridCoord oldCurrent = FCurrent;
  FCurrent = TGridCoord{ACol, ARow};
  if (MoveAnchor || !FOptions.Contains(goRangeSelect)) {
    FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = ColCount() - 1;
  }
  if (Show) ClampInView(FCurrent);
  SelectionMoved(old);
  if (!(oldCurrent == FCurrent)) {
    InvalidateCell(oldCurrent.X, oldCurrent.Y);
    InvalidateCell(FCurrent.X, FCurrent.Y);
  }
}

void TCustomGrid::MoveAnchor(const TGridCoord& NewAnchor) {
  if (!FOptions.Contains(goRangeSelect)) {
    MoveCurrent(NewAnchor.X, NewAnchor.Y, true, true);
    return;
  }
  TGridRect old = Selection();
  FAnchor = NewAnchor;
  if (FOptions.Contains(goRowSelect)) FAnchor.X = ColCount() - 1;
  ClampInView(NewAnchor);
  SelectionMoved(old);
}

void TCustomGrid::ClampInView(const TGridCoord& Coord) {
  if (!HandleAllocated()) return;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  TGridCoord maxTL = CalcMaxTopLeft(Coord, info);
  TGridCoord tl = FTopLeft;
  if (Coord.X >= FFixedCols) {
    if (Coord.X < tl.X)
      tl.X = Coord.X;
    else if (Coord.X > info.Horz.LastFullVisibleCell)
      tl.X = std::max(maxTL.X, tl.X);
  }
  if (Coord.Y >= FFixedRows) {
    if (Coord.Y < tl.Y)
      tl.Y = Coord.Y;
    else if (Coord.Y > info.Vert.LastFullVisibleCell)
      tl.Y = std::max(maxTL.Y, tl.Y);
  }
  MoveTopLeft(tl.X, tl.Y);
}

void TCustomGrid::SelectionMoved(const TGridRect& OldSel) {
  TGridRect now = Selection();
  if (now == OldSel) return;
  InvalidateGridRect(OldSel);
  InvalidateGridRect(now);
}

void TCustomGrid::MoveTopLeft(int ALeft, int ATop) {
  if (ALeft == FTopLeft.X && ATop == FTopLeft.Y) return;
  TGridCoord old = FTopLeft;
  FTopLeft = TGridCoord{ALeft, ATop};
  TopLeftMoved(old);
}

void TCustomGrid::TopLeftMoved(const TGridCoord& OldTopLeft) {
  UpdateScrollPos();
  // A shift of less than a page moves the pixels that stay on screen and paints only what comes in.
  bool scrolled = false;
  if (HandleAllocated() && !FSizingDrawn) {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    int dx = 0, dy = 0;
    if (PixelShift(info.Horz, OldTopLeft.X, FTopLeft.X, dx) && PixelShift(info.Vert, OldTopLeft.Y, FTopLeft.Y, dy)) {
      int w = ClientWidth(), h = ClientHeight();
      if (dx) {
        // Right-to-left: the scrolling columns lie left of the fixed ones and move the other way.
        RECT r = FRightToLeft ? RECT{0, 0, w - info.Horz.FixedBoundary, h} : RECT{info.Horz.FixedBoundary, 0, w, h};
        ScrollWindowEx(FHandle, FRightToLeft ? -dx : dx, 0, &r, &r, nullptr, nullptr, SW_INVALIDATE);
      }
      if (dy) {
        RECT r{0, info.Vert.FixedBoundary, w, h};
        ScrollWindowEx(FHandle, 0, dy, &r, &r, nullptr, nullptr, SW_INVALIDATE);
      }
      scrolled = true;
    }
  }
  if (!scrolled) Invalidate();
  TopLeftChanged();
}

void TCustomGrid::TopLeftChanged() {
  InvalidateEditor();
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
  CheckCell(FromIndex, 0);
  CheckCell(ToIndex, 0);
  if (FromIndex == ToIndex) return;
  HideEditor();
  FCols.Move(FromIndex, ToIndex);
  if (!FTabStops.empty()) {
    char t = FTabStops[static_cast<size_t>(FromIndex)];
    FTabStops.erase(FTabStops.begin() + FromIndex);
    FTabStops.insert(FTabStops.begin() + ToIndex, t);
  }
  auto follow = [&](int& X) {
    if (X == FromIndex)
      X = ToIndex;
    else if (FromIndex < ToIndex && X > FromIndex && X <= ToIndex)
      --X;
    else if (FromIndex > ToIndex && X >= ToIndex && X < FromIndex)
      ++X;
  };
  follow(FCurrent.X);
  if (!FOptions.Contains(goRowSelect)) follow(FAnchor.X);
  ColumnMoved(FromIndex, ToIndex);
  Invalidate();
  UpdateEdit();
}

void TCustomGrid::MoveRow(int FromIndex, int ToIndex) {
  CheckCell(0, FromIndex);
  CheckCell(0, ToIndex);
  if (FromIndex == ToIndex) return;
  HideEditor();
  FRows.Move(FromIndex, ToIndex);
  auto follow = [&](int& Y) {
    if (Y == FromIndex)
      Y = ToIndex;
    else if (FromIndex < ToIndex && Y > FromIndex && Y <= ToIndex)
      --Y;
    else if (FromIndex > ToIndex && Y >= ToIndex && Y < FromIndex)
      ++Y;
  };
  follow(FCurrent.Y);
  follow(FAnchor.Y);
  RowMoved(FromIndex, ToIndex);
  Invalidate();
  UpdateEdit();
}

void TCustomGrid::ColumnMoved(int FromIndex, int ToIndex) {
  if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TCustomGrid::RowMoved(int FromIndex, int ToIndex) {
  if (OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
}

void TCustomGrid::ColWidthsChanged() {
  UpdateScrollRange();
  InvalidateEditor();
  Invalidate();
}

void TCustomGrid::RowHeightsChanged() {
  UpdateScrollRange();
  InvalidateEditor();
  Invalidate();
}

// ---------------------------------------------------------------------------------------------------
// Repainting

void TCustomGrid::InvalidateGridRect(const TGridRect& R) {
  if (!HandleAllocated()) return;
  TRect r = BoxRect(R.Left, R.Top, R.Right, R.Bottom);
  if (r.IsEmpty()) return;
  // The lines at the right and bottom belong to the cells (the focus rectangle touches them).
  r.Right += FGridLineWidth;
  r.Bottom += FGridLineWidth;
  if (FRightToLeft) r.Left -= FGridLineWidth;
  RECT rc = r;
  InvalidateRect(Handle(), &rc, FALSE);
}

void TCustomGrid::InvalidateCell(int ACol, int ARow) { InvalidateGridRect(TGridRect{ACol, ARow, ACol, ARow}); }
void TCustomGrid::InvalidateCol(int ACol) { InvalidateGridRect(TGridRect{ACol, 0, ACol, RowCount() - 1}); }
void TCustomGrid::InvalidateRow(int ARow) { InvalidateGridRect(TGridRect{0, ARow, ColCount() - 1, ARow}); }

// ---------------------------------------------------------------------------------------------------
// Scroll bars

namespace {

// Under right-to-left alignment the columns run from the right edge, and so does the horizontal bar: its
// thumb stands at the right end while the first columns show. The turn is its own inverse.
int MirroredHorzPos(int Pos, int Max, int Page) { return std::max(0, Max - std::max(1, Page) + 1 - Pos); }

}  // namespace

void TCustomGrid::UpdateScrollRange() {
  if (!HandleAllocated() || FUpdatingScrollBars) return;
  FUpdatingScrollBars = true;
  bool moved = false;
  // Showing or hiding one bar changes the client area and so the other's page: settle in two passes.
  for (int pass = 0; pass < 2; ++pass) {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridCoord maxTL = CalcMaxTopLeft(TGridCoord{ColCount() - 1, RowCount() - 1}, info);
    auto set = [&](int bar, bool wanted, int fixed, int count, int first, int last, int maxFirst) {
      if (!wanted) {
        ShowScrollBar(Handle(), bar, FALSE);
        return;
      }
      SCROLLINFO si;
      si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
      si.nMin = 0;
      si.nMax = std::max(0, count - fixed - 1);
      // Everything fits: a page as large as the range hides the bar.
      int page = maxFirst <= fixed ? count - fixed : std::max(1, last - first + 1);
      si.nPage = static_cast<UINT>(std::max(1, page));
      si.nPos = first - fixed;
      if (bar == SB_HORZ && FRightToLeft) si.nPos = MirroredHorzPos(si.nPos, si.nMax, page);
      SetScrollInfo(Handle(), bar, &si, TRUE);
    };
    if (!OwnsVertScrollBar())
      set(SB_VERT, FScrollBars == ssVertical || FScrollBars == ssBoth, FFixedRows, RowCount(), FTopLeft.Y,
          info.Vert.LastFullVisibleCell, maxTL.Y);
    set(SB_HORZ, FScrollBars == ssHorizontal || FScrollBars == ssBoth, FFixedCols, ColCount(), FTopLeft.X,
        info.Horz.LastFullVisibleCell, maxTL.X);
    // A grown client area may leave the top-left beyond its largest value: pull it back.
    TGridCoord tl{std::clamp(FTopLeft.X, FFixedCols, std::max(FFixedCols, maxTL.X)),
                  std::clamp(FTopLeft.Y, FFixedRows, std::max(FFixedRows, maxTL.Y))};
    if (!(tl == FTopLeft)) {
      FTopLeft = tl;
      moved = true;
    }
  }
  FUpdatingScrollBars = false;
  if (moved) {
    UpdateScrollPos();
    Invalidate();
    TopLeftChanged();
  }
}

void TCustomGrid::UpdateScrollPos() {
  if (!HandleAllocated()) return;
  SCROLLINFO si;
  si.fMask = SIF_POS;
  if ((FScrollBars == ssVertical || FScrollBars == ssBoth) && !OwnsVertScrollBar()) {
    si.nPos = FTopLeft.Y - FFixedRows;
    SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
  }
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) {
    si.nPos = FTopLeft.X - FFixedCols;
    SCROLLINFO range;
    range.cbSize = sizeof range;
    range.fMask = SIF_RANGE | SIF_PAGE;
    if (FRightToLeft && GetScrollInfo(Handle(), SB_HORZ, &range))
      si.nPos = MirroredHorzPos(si.nPos, range.nMax, static_cast<int>(range.nPage));
    SetScrollInfo(Handle(), SB_HORZ, &si, TRUE);
  }
}

void TCustomGrid::ModifyScrollBar(int ScrollBar, int ScrollCode, int Pos) {
  if (!HandleAllocated()) return;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  bool vert = ScrollBar == SB_VERT;
  const TGridAxisDrawInfo& a = vert ? info.Vert : info.Horz;
  int fixed = vert ? FFixedRows : FFixedCols;
  int count = vert ? RowCount() : ColCount();
  int first = vert ? FTopLeft.Y : FTopLeft.X;
  TGridCoord maxTL = CalcMaxTopLeft(TGridCoord{ColCount() - 1, RowCount() - 1}, info);
  int maxFirst = vert ? maxTL.Y : maxTL.X;
  int page = std::max(1, a.LastFullVisibleCell - first + 1);
  int next = first;
  switch (ScrollCode) {
    case SB_LINEUP: next = first - 1; break;
    case SB_LINEDOWN: next = first + 1; break;
    case SB_PAGEUP: next = first - page; break;
    case SB_PAGEDOWN: next = first + page; break;
    case SB_THUMBTRACK:
      if (!FOptions.Contains(goThumbTracking)) return;
      next = fixed + Pos;
      break;
    case SB_THUMBPOSITION: next = fixed + Pos; break;
    case SB_TOP: next = fixed; break;
    case SB_BOTTOM: next = count - 1; break;
    default: return;
  }
  next = std::clamp(next, fixed, std::max(fixed, maxFirst));
  if (vert)
    MoveTopLeft(FTopLeft.X, next);
  else
    MoveTopLeft(next, FTopLeft.Y);
}

// ---------------------------------------------------------------------------------------------------
// The editor's life

bool TCustomGrid::IsActiveControl() {
  if (!HandleAllocated()) return false;
  HWND f = GetFocus();
  if (!f) return false;
  if (f == FHandle) return true;
  return FInplaceEdit && FInplaceEdit->HandleAllocated() && f == FInplaceEdit->Handle();
}

bool TCustomGrid::CanEditShow() {
  return FOptions.Contains(goEditing) && !FOptions.Contains(goRowSelect) && FEditorMode && HandleAllocated() &&
         (FOptions.Contains(goAlwaysShowEditor) || IsActiveControl());
}

std::string TCustomGrid::GetEditText(int ACol, int ARow) {
  std::string s;
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, s);
  return s;
}

void TCustomGrid::SetEditText(int ACol, int ARow, const std::string& Value) {
  if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

void TCustomGrid::ShowEditor() {
  FEditorMode = true;
  UpdateEdit();
}

void TCustomGrid::HideEditor() {
  FEditorMode = false;
  HideEdit();
}

void TCustomGrid::SetEditorMode(bool Value) {
  if (!Value) {
    HideEditor();
    return;
  }
  ShowEditor();
  if (FInplaceEdit && FInplaceEdit->EditVisible()) FInplaceEdit->Deselect();
}

void TCustomGrid::ShowEditorChar(WideChar Ch) {
  ShowEditor();
  if (FInplaceEdit && FInplaceEdit->EditVisible())
    PostMessage(FInplaceEdit->Handle(), WM_CHAR, static_cast<WPARAM>(Ch), 0);
}

void TCustomGrid::UpdateText() {
  if (FInplaceEdit && FInplaceCol >= 0 && FInplaceRow >= 0 && FInplaceCol < ColCount() && FInplaceRow < RowCount())
    SetEditText(FInplaceCol, FInplaceRow, FInplaceEdit->Text());
}

void TCustomGrid::UpdateEdit() {
  if (!CanEditShow()) return;
  if (!FInplaceEdit) {
    FInplaceEdit = CreateEditor();
    FInplaceEdit->SetGrid(this);
    FInplaceEdit->SetParent(this);
  }
  bool sameCell = FInplaceCol == FCurrent.X && FInplaceRow == FCurrent.Y;
  if (sameCell && !FInplaceEdit->EditVisible() && FInplaceEdit->HandleAllocated()) {
    // Hidden only because its cell was out of view: it still holds the cell's text (typing included),
    // so it comes back where the cell is now without loading the cell again.
    FInplaceEdit->Move(CellRect(FCurrent.X, FCurrent.Y));
    return;
  }
  if (!sameCell || !FInplaceEdit->EditVisible()) {
    if (!sameCell && FInplaceCol >= 0) UpdateText();
    FInplaceCol = FCurrent.X;
    FInplaceRow = FCurrent.Y;
    FInplaceEdit->FCol = FInplaceCol;
    FInplaceEdit->FRow = FInplaceRow;
    FInplaceEdit->UpdateContents();
    FInplaceEdit->Move(CellRect(FCurrent.X, FCurrent.Y));
    FInplaceEdit->SelectAll();
    InvalidateCell(FCurrent.X, FCurrent.Y);
  }
}

void TCustomGrid::HideEdit() {
  // An editor whose window a cell out of view has hidden still belongs to its cell: it is let go too,
  // or a later placing of the editor would show it again while the grid is no longer editing.
  if (!FInplaceEdit || FInplaceCol < 0) return;
  UpdateText();
  bool hadFocus = FInplaceEdit->HandleAllocated() && GetFocus() == FInplaceEdit->Handle();
  int c = FInplaceCol, r = FInplaceRow;
  FInplaceCol = FInplaceRow = -1;
  FInplaceEdit->FCol = FInplaceEdit->FRow = -1;
  FInplaceEdit->HideEditWindow();
  if (hadFocus && HandleAllocated()) ::SetFocus(Handle());
  if (c < ColCount() && r < RowCount()) InvalidateCell(c, r);
}

void TCustomGrid::InvalidateEditor() {
  if (!FInplaceEdit || FInplaceCol < 0) return;
  if (FInplaceCol >= ColCount() || FInplaceRow >= RowCount()) return;
  FInplaceEdit->UpdateLoc(CellRect(FInplaceCol, FInplaceRow));
}

void TCustomGrid::InvalidateEditorText() {
  if (!FInplaceEdit || FInplaceCol < 0) return;
  FInplaceEdit->UpdateContents();
}
