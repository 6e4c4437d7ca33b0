// Sizing with the mouse: the frozen data columns beside the indicator are sized through the grid's own
// zone on the title rows (the grid base sizes only the scrollable columns: it lays frozen columns out as
// fixed cells and would lose their widths), with a dotted inverted line while the button is held; the
// grid base's sizing test is narrowed to what the data grid allows; data rows sized over the indicator
// all take the new height; and the pressed look of a held title button.
#include <algorithm>

#include "datagrid/DBGridX.h"

// ---------------------------------------------------------------------------------------------------
// Frozen-column sizing zone

bool TCustomDBGridX::FrozenSizingHit(int X, int Y, int& Index, int& Pos, int& Offset) {
  if (!TCustomGrid::Options().Contains(goColSizing) && !IsDesigning()) return false;
  if (FFrozenCols <= 0 || !HandleAllocated()) return false;
  TGridDrawInfo info;
  CalcFixedInfo(info);
  int line = info.Horz.EffectiveLineWidth;
  int vline = info.Vert.EffectiveLineWidth;
  // Only on the title rows.
  int titles = 0;
  for (int r = 0; r < FTitleOffset && r < RowCount(); ++r) titles += std::max(0, RowHeights(r)) + vline;
  if (Y < 0 || Y >= titles) return false;
  int x = MirrorX(X);
  int width = ClientWidth();
  int sum = 0;
  for (int c = 0; c < FIndicatorOffset && c < ColCount(); ++c) sum += std::max(0, ColWidths(c)) + line;
  // The zone is 7 pixels wide around a thin line (the line's own width when wider).
  int d = line <= 6 ? (7 - line) / 2 : 0;
  for (int c = FIndicatorOffset; c < FixedCols() && c < ColCount(); ++c) {
    int w = ColWidths(c);
    if (w < 0) continue;
    int end = sum + w;
    if (end > width) break;
    if (x >= end - d && x <= end + std::max(line, 7) - d) {
      Index = c;
      Pos = end;
      Offset = end - x;
      return true;
    }
    sum = end + line;
  }
  return false;
}

int TCustomDBGridX::FrozenSizingWidth() const {
  int line = TCustomGrid::Options().Contains(goFixedVertLine) ? GridLineWidth() : 0;
  int start = 0;
  for (int c = 0; c < FSizingIndexX && c < ColCount(); ++c) start += std::max(0, ColWidths(c)) + line;
  return FSizingPosX - start;
}

void TCustomDBGridX::DrawFrozenSizingLine() {
  if (!HandleAllocated()) return;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  int x = MirrorX(FSizingPosX);
  HDC dc = GetDC(Handle());
  // White XOR inverts whatever lies under the line: drawing it twice leaves no trace.
  HPEN pen = CreatePen(PS_DOT, 1, RGB(255, 255, 255));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  int oldRop = SetROP2(dc, R2_XORPEN);
  int oldBk = SetBkMode(dc, TRANSPARENT);  // the gaps of the dots stay untouched
  MoveToEx(dc, x, 0, nullptr);
  LineTo(dc, x, info.Vert.GridBoundary);
  SetBkMode(dc, oldBk);
  SetROP2(dc, oldRop);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  ReleaseDC(Handle(), dc);
  FSizingDrawn = !FSizingDrawn;  // a repaint clears it with the base's own line
}

bool TCustomDBGridX::FrozenSizingCursor(TMessage& Message) {
  if (LOWORD(static_cast<DWORD_PTR>(Message.LParam)) != HTCLIENT) return false;
  bool sizing = FMouseMode == 6;
  if (!sizing && FMouseMode == 0 && GridState() == gsNormal) {
    POINT p{};
    GetCursorPos(&p);
    TPoint c = ScreenToClient(TPoint(p.x, p.y));
    int idx = 0, pos = 0, ofs = 0;
    sizing = FrozenSizingHit(c.X, c.Y, idx, pos, ofs);
  }
  if (!sizing) return false;
  ::SetCursor(GetCursorHandle(crHSplit));
  Message.Result = 1;
  return true;
}

bool TCustomDBGridX::TracedSizingFits(int RawCol, int Pos) {
  if (!FAutoFitColWidths || IsDesigning()) return true;
  int line = TCustomGrid::Options().Contains(goVertLine) ? GridLineWidth() : 0;
  int need = 0;
  for (int c = RawCol + 1; c < ColCount(); ++c) {
    TColumnX* col = ColumnAt(RawToDataColumn(c));
    if (col && !col->Visible()) continue;
    need += std::max(1, col ? col->MinWidth() : 1) + line;
  }
  return Pos + line + need <= ClientWidth();
}

// ---------------------------------------------------------------------------------------------------
// The grid base's sizing test, narrowed

void TCustomDBGridX::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos,
                                     int& SizingOfs, TGridDrawInfo& FixedInfo) {
  TCustomGrid::CalcSizingState(X, Y, State, Index, SizingPos, SizingOfs, FixedInfo);
  int x = MirrorX(X);
  if (State == gsColSizing) {
    if (Index < FixedCols()) {
      // The indicator is not sized; frozen columns are sized through the grid's own zone.
      State = gsNormal;
      Index = -1;
    } else if (Index >= ColCount()) {
      Index = ColCount() - 1;
    }
  } else if (State == gsNormal && TCustomGrid::Options().Contains(goColSizing) && Y >= 0 && Y < FixedInfo.Vert.FixedBoundary &&
             LeftCol() < ColCount()) {
    // One scrollable column wider than the room left: its right edge is the client's.
    TRect r = CellRect(LeftCol(), 0);
    int right = RightToLeft() ? ClientWidth() - r.Left : r.Right;
    int width = ClientWidth();
    if (!r.IsEmpty() && right >= width && x >= width - 3 && x <= width) {
      State = gsColSizing;
      Index = LeftCol();
      SizingPos = width;
      SizingOfs = width - x;
    }
  } else if (State == gsRowSizing) {
    int ind = 0;
    for (int c = 0; c < FIndicatorOffset && c < ColCount(); ++c) ind += std::max(0, ColWidths(c));
    // Rows are sized over the indicator only.
    if (FIndicatorOffset == 0 || x >= ind) {
      State = gsNormal;
      Index = -1;
    }
  }
}

void TCustomDBGridX::SetRowSizingAllowed(bool Value) {
  if (Value == FRowSizingAllowed) return;
  FRowSizingAllowed = Value;
  SetOptions(FDataOptions);  // the grid base's row sizing follows
}

void TCustomDBGridX::RowHeightsChanged() {
  if (FRowSizingByMouse) {
    FRowSizingByMouse = false;
    int def = DefaultRowHeight();
    int first = FTitleOffset;
    int last = RowCount() - (FFooterRowCount > 0 ? FFooterRowCount + 1 : 0);
    for (int r = first; r < last; ++r) {
      int h = RowHeights(r);
      if (h != def) {
        // Every data row takes the height the user gave one of them.
        FRowLines = 0;
        SetRowHeight(std::max(0, h));
        UpdateVertScrollBar();
        break;
      }
    }
  }
  TCustomGrid::RowHeightsChanged();
}

// ---------------------------------------------------------------------------------------------------
// Title press tracking

bool TCustomDBGridX::InTitleLeaf(int DataCol, int RawCol, int Y) {
  if (!FUseMultiTitle) return true;
  THeadTreeNode* leaf = TitleColumnNode(DataCol);
  if (!leaf) return true;
  TRect r = CellRect(RawCol, 0);
  return Y >= r.Bottom - leaf->Height;
}

void TCustomDBGridX::TrackTitlePress(int X, int Y) {
  if (FPressedTitleColumn < 0) return;
  bool down = false;
  if (X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight()) {
    TGridCoord cell = MouseCoord(X, Y);
    down = cell.X == FPressedTitleColumn && cell.Y == 0 &&
           InTitleLeaf(RawToDataColumn(FPressedTitleColumn), FPressedTitleColumn, Y);
  }
  if (down != FTitleButtonDown) {
    FTitleButtonDown = down;
    if (FPressedTitleColumn < ColCount() && RowCount() > 0) InvalidateRow(0);
  }
}

void TCustomDBGridX::EndTitlePress() {
  if (FPressedTitleColumn < 0 && !FMousePressed) return;
  StopAutoScrollTimer();
  FToggleSelecting = false;
  TrackTitlePress(-1, -1);
  FMousePressed = false;
  if (MouseCapture()) SetMouseCapture(false);
  ReleaseTitleButton();
  FMouseMode = 0;
}

void TCustomDBGridX::CancelMouseX() {
  if (FPressedTitleColumn >= 0) EndTitlePress();
  if (FMouseMode == 6 && FSizingDrawn) DrawFrozenSizingLine();
  if (FRightButtonMoving && MouseCapture()) SetMouseCapture(false);
  FRightButtonMoving = false;
  FRowSizingByMouse = false;
  FSizingIndexX = -1;
  FMouseMode = 0;
}
