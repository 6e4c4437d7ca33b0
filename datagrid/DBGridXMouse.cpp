// The data grid's mouse: title buttons and sort markers, column sizing and moving (through the grid
// base; frozen columns through the grid's own zone; a right press on a title moves its column too; a
// double click on a sizing edge fits the column to its contents), record selection by clicking and
// dragging over rows, check-box and image cells stepped by a click or a double click, the editor
// shown by a press on the current cell, and the selected rows dragged to another control.
#include <algorithm>
#include <cstdlib>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXInplace.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/controls/dragdrop.h"

namespace {

// The shown editor's button under grid point (X, Y), if any.
TControl* EditorButtonAt(TCustomDBGridX* G, TDBGridInplaceEdit* E, int X, int Y) {
  if (!E || !E->EditVisible() || E->ButtonStripWidth() <= 0) return nullptr;
  TPoint p = E->ScreenToClient(G->ClientToScreen(TPoint(X, Y)));
  if (p.X < 0 || p.Y < 0 || p.X >= E->Width() || p.Y >= E->Height()) return nullptr;
  bool onStrip = G->RightToLeft() ? p.X < E->ButtonStripWidth() : p.X >= E->Width() - E->ButtonStripWidth();
  return onStrip ? E->ControlAtPos(p, false) : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Hooks

void TCustomDBGridX::ApplySortMarking() {
  if (!FOptionsX.Contains(gxoAutoSortMarking)) return;
  // The program's own handler sorts when it has one; otherwise the data service does.
  if (OnSortMarkingChanged)
    OnSortMarkingChanged(this);
  else if (DBGridXDataService)
    DBGridXDataService->ApplySorting(this);
}

void TCustomDBGridX::ReleaseTitleButton() {
  int col = FPressedTitleColumn;
  FMousePressed = false;
  FTitleButtonDown = false;
  FPressedTitleColumn = -1;
  if (col >= 0 && col < ColCount() && RowCount() > 0) InvalidateCell(col, 0);
}

// ---------------------------------------------------------------------------------------------------
// Mouse

void TCustomDBGridX::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FCheckCellCol = FCheckCellRow = -1;
  FMouseDownPos = TPoint(X, Y);
  FLastShift = Shift;
  if (!GainFocus()) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  TGridCoord cell = MouseCoord(X, Y);
  int dataCol = 0, dataRow = 0, colKind = -1, rowKind = -1;
  if (cell.X >= 0 && cell.Y >= 0) {
    int kind = GetCellType(cell.X, cell.Y, dataCol, dataRow);
    colKind = kind & 0xFF;
    rowKind = kind >> 8;
  }
  // The filter row's cells edit their conditions; a press on the data ends that editing.
  if (rowKind == 1 && FilterRowMouseDown(Button, X, Y)) return;
  bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
  bool multi = FDataOptions.Contains(gdoMultiSelect), rowSelect = FDataOptions.Contains(gdoRowSelect);
  if (rowKind == 2 && FilterEditing()) EndFilterEdit();

  // Double click on a sizing edge: the column fits its contents.
  if (Button == mbLeft && Shift.Contains(ssDouble) && FOptionsX.Contains(gxoDblClickFitColWidth)) {
    int idx = -1, pos = 0, ofs = 0;
    if (!FrozenSizingHit(X, Y, idx, pos, ofs)) {
      TGridDrawInfo fixedInfo;
      CalcFixedInfo(fixedInfo);
      TGridState st = gsNormal;
      CalcSizingState(X, Y, st, idx, pos, ofs, fixedInfo);
      if (st != gsColSizing) idx = -1;
    }
    if (idx >= FIndicatorOffset) {
      if (TColumnX* c = ColumnAt(RawToDataColumn(idx))) {
        if (FDataLink->Active()) FDataLink->UpdateRecord();
        AutoFitColumn(c);
      }
      return;
    }
  }

  // Double click: image and check-box cells that step on a double click.
  if (Button == mbLeft && Shift.Contains(ssDouble)) {
    if (rowKind == 2 && colKind == 1 && FDataLink->Active() && dataRow < DrawnRecordCount()) {
      TColumnX* c = ColumnAt(dataCol);
      TColumnCellKindX k = c ? c->GetCellKind() : cckText;
      if (c && c->DblClickNextVal() && (k == cckCheckbox || k == cckKeyImages)) c->StepValue(shift ? -1 : 1);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }

  // The right edge of a frozen column: the grid sizes it (the base sizes only scrollable columns).
  if (Button == mbLeft) {
    int idx = -1, pos = 0, ofs = 0;
    if (FrozenSizingHit(X, Y, idx, pos, ofs)) {
      if (FDataLink->Active()) FDataLink->UpdateRecord();
      FMouseMode = 6;
      FSizingIndexX = idx;
      FSizingPosX = pos;
      FSizingOffsetX = ofs;
      if (!FOptionsX.Contains(gxoTraceColSizing)) {
        Update();
        DrawFrozenSizingLine();
      }
      TCustomControl::MouseDown(Button, Shift, X, Y);
      return;
    }
  }

  // Column and row sizing edges: the grid base sizes.
  if (Button == mbLeft) {
    TGridDrawInfo fixedInfo;
    CalcFixedInfo(fixedInfo);
    TGridState st = gsNormal;
    int idx = 0, pos = 0, ofs = 0;
    CalcSizingState(X, Y, st, idx, pos, ofs, fixedInfo);
    if (st == gsColSizing || st == gsRowSizing) {
      if (FDataLink->Active()) FDataLink->UpdateRecord();
      FRowSizingByMouse = st == gsRowSizing;
      TCustomGrid::MouseDown(Button, Shift, X, Y);
      return;
    }
  }

  // The down-arrow cursor over a title's lower edge: columns are selected by pressing and dragging.
  if (rowKind == 0 && colKind == 1 && Button == mbLeft && ColumnSelectCursor && ::GetCursor() == ColumnSelectCursor &&
      SelectionX() && ColumnAt(dataCol)) {
    TColumnX* c = ColumnAt(dataCol);
    InvalidateCol(cell.X);
    FMouseMode = 2;
    StartAutoScrollTimer(60);
    if (shift) {
      SelectionX()->Columns()->ShiftSelectColumn(c);
    } else if (ctrl) {
      SelectionX()->Columns()->InvertColumn(c);
    } else {
      Invalidate();
      SelectionX()->Columns()->SelectSingleColumn(c, false);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }

  // Titles.
  if (rowKind == 0) {
    if (colKind == 1) {
      bool inLeaf = true;
      if (FUseMultiTitle)
        if (THeadTreeNode* leaf = TitleColumnNode(dataCol)) {
          TRect r = CellRect(cell.X, cell.Y);
          inLeaf = Y >= r.Bottom - leaf->Height;
        }
      TColumnX* c = ColumnAt(dataCol);
      if (Button == mbRight && inLeaf && c && !IsDesigning() && FDataOptions.Contains(gdoColumnResize)) {
        // A right press on a title moves its column as a left press would.
        FRightButtonMoving = true;
        Button = mbLeft;
        SetMouseCapture(true);
      } else if (Button == mbLeft && inLeaf && c) {
        if (CheckTitleButton(dataCol, c) && MouseCapture()) {
          FMousePressed = true;
          FPressedTitleColumn = cell.X;
          FTitleButtonDown = true;
          InvalidateCell(cell.X, cell.Y);
          TCustomControl::MouseDown(Button, Shift, X, Y);
          return;
        }
      }
    }
    if ((FDataOptions.Contains(gdoColumnResize) || IsDesigning()) && Button == mbLeft) {
      if (colKind == 0 && multi && FDataLink->Active() && FAllowedSelections.Contains(selAllX) && SelectionX()) {
        // The indicator's title: a selection of any kind goes, else everything is selected (as a
        // selection of all, without walking the records).
        if (SelectionX()->Kind() != selNoneX) SelectionX()->Clear();
        else SelectionX()->SelectAll();
      }
      if (FDataLink->Active()) FDataLink->UpdateRecord();
      Canvas()->Pen()->SetColor(static_cast<TColor>(0xC0C0C0));
      TCustomGrid::MouseDown(Button, Shift, X, Y);
      return;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }

  // Data rows.
  if (rowKind == 2 && FDataLink->Active()) {
    TDataSet* ds = FDataLink->DataSet();
    TGridCoord oldCell{Col(), Row()};
    int oldActive = ActiveDataRow();
    TBookmark oldMark = ds->Bookmark();
    bool rectAllowed = FAllowedSelections.Contains(selRectangleX);
    bool rowMode = rowSelect || colKind == 0 || !rectAllowed;
    bool onRecord = dataRow < DrawnRecordCount();
    bool pressEditorButton = false;
    bool dragPress = false;
    BeginUpdate();
    try {
      if (EditorMode()) UpdateText();
      FDataLink->UpdateRecord();
      if (!(cell == oldCell) && !FDataOptions.Contains(gdoAlwaysShowEditor)) HideEditor();
      bool extendRows = shift && multi && rowMode;
      if (!extendRows && onRecord && dataRow != oldActive) {
        // Leaving a changed record posts it, and the post may reorder the records shown (a sort or
        // a filter): the press goes to the record that was under the mouse, not to whatever the
        // row offset reaches afterwards.
        TBookmark pressed;
        if (ds->State() == dsEdit || ds->State() == dsInsert) {
          const int saved = FDataLink->ActiveRecord();
          FDataLink->SetActiveRecord(dataRow);
          pressed = ds->Bookmark();
          FDataLink->SetActiveRecord(saved);
        }
        ds->MoveBy(dataRow - oldActive);
        if (!pressed.empty() && ds->BookmarkValid(pressed) && ds->CompareBookmarks(ds->Bookmark(), pressed) != 0)
          ds->GotoBookmark(pressed);
      }
      if (colKind == 1) SelectColumn(dataCol, 0, shift);
      // A press on a selected row of a grid that drags: the next move drags the selected rows, a
      // release where it was is a click. Nothing else of the press happens.
      dragPress = MouseCapture() && (FAutoDragPress || DragMode() == dmAutomatic) && !shift && Button == mbLeft &&
                  colKind == 1 && onRecord && FSelectedRows->CurrentRowSelected();
      if (dragPress) FMouseDownHandled = 1;
      if (MouseCapture() && !dragPress) {
        if (!multi || !rowSelect) {
          FMousePressed = true;
          FCellsTracking = true;
          TDBGridXSelection* sel = SelectionX();
          if (!ctrl && !shift && FOptionsX.Contains(gxoClearSelectionOnMove) &&
              (Button == mbLeft || !sel || !sel->IsCellSelected(dataCol, ds->Bookmark()))) {
            FSelectedRows->Clear();
            if (sel) sel->Clear();
          }
          if (Button == mbLeft && colKind == 1 && rectAllowed && sel && !(ds->Bof() && ds->Eof()) && !rowMode) {
            if (shift && sel->Rect()->Empty() && oldCell.X >= FIndicatorOffset)
              sel->Rect()->Select(RawToDataColumn(oldCell.X), oldMark, false);
            sel->Rect()->Select(dataCol, ds->Bookmark(), shift);
            FMouseMode = 3;
          }
        }
        if (multi && FAllowedSelections.Contains(selRecordsX) && rowMode && onRecord) {
          bool toggling = ctrl || !FOptionsX.Contains(gxoClearSelectionOnMove);
          if (shift && dataRow != oldActive) {
            FToggleSelecting = false;
            MoveWithSelection(true, dataRow - oldActive, true, false);
          } else if (toggling && Button == mbLeft) {
            FSelectedRows->SetCurrentRowSelected(!FSelectedRows->CurrentRowSelected());
          } else if (Button == mbLeft) {
            FSelectedRows->Clear();
            FSelectedRows->SetCurrentRowSelected(true);
          }
          FRowsTracking = true;
          FMousePressed = true;
          FToggleSelecting = toggling;
          // Dragging from here gives the rows passed the state the pressed row has now.
          SetRowAnchor();
          if (FToggleSelecting) FRowAnchorSelected = !FRowAnchorSelected;
          FMouseMode = 1;
        }
      }
      if (dragPress) {
      } else if (colKind == 1 && onRecord) {
        TColumnX* c = ColumnAt(dataCol);
        TColumnCellKindX k = c ? c->GetCellKind() : cckText;
        if (k == cckCheckbox || k == cckKeyImages) {
          FCheckCellCol = cell.X;
          FCheckCellRow = cell.Y;
        } else if (Button == mbLeft && !rowSelect) {
          // The always-shown edit button opens the editor from any row, so that one press drops down.
          TRect cr = CellRect(cell.X, cell.Y);
          int bw = c ? CellButtonWidth(c) : 0;
          bool onCellButton = bw > 0 && (RightToLeft() ? X < cr.Left + bw : X >= cr.Right - bw);
          if (FDataOptions.Contains(gdoAlwaysShowEditor) || onCellButton || (cell == oldCell && !shift && !ctrl))
            ShowEditor();
          pressEditorButton = !shift && !ctrl;
        }
      } else if (colKind == 0) {
        InvalidateEditor();
      }
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    Invalidate();
    if (TControl* b = pressEditorButton ? EditorButtonAt(this, InplaceEditX(), X, Y) : nullptr) {
      // The button takes the press (and the mouse) from here: the grid tracks nothing.
      FMousePressed = FCellsTracking = FRowsTracking = false;
      FMouseMode = 0;
      DropRowAnchor();
      StopAutoScrollTimer();
      if (MouseCapture()) SetMouseCapture(false);
      TPoint p = b->ScreenToClient(ClientToScreen(TPoint(X, Y)));
      b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
      TCustomControl::MouseDown(Button, Shift, X, Y);
      return;
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomDBGridX::MouseMove(TShiftState Shift, int X, int Y) {
  FPrevMousePos = TPoint(X, Y);
  if (FMouseDownHandled == 1) {
    // The press on a selected row moved: the selected rows are dragged.
    FMouseDownHandled = 0;
    BeginDrag(Mouse()->DragImmediate(), Mouse()->DragThreshold());
    BeginDrag(true, -1);
    return;
  }
  if (FMouseMode == 6) {
    // A frozen column being sized: traced at once, or the line follows.
    if (FSizingDrawn) DrawFrozenSizingLine();
    FSizingPosX = MirrorX(X) + FSizingOffsetX;
    if (FOptionsX.Contains(gxoTraceColSizing)) {
      int w = std::max(1, FrozenSizingWidth());
      TColumnX* c = ColumnAt(RawToDataColumn(FSizingIndexX));
      if (c && w != ColWidths(FSizingIndexX) && TracedSizingFits(FSizingIndexX, FSizingPosX)) c->SetWidth(w);
    } else {
      DrawFrozenSizingLine();
    }
    TCustomGrid::MouseMove(Shift, X, Y);
    return;
  }
  if (FMousePressed && FPressedTitleColumn >= 0) {
    TrackTitlePress(X, Y);
    if (std::abs(X - FMouseDownPos.X) > 3 && FDataOptions.Contains(gdoColumnResize)) {
      // Dragged away: the title moves its column instead of being clicked. What was typed goes into
      // the record first, as a press on a title that is no button does.
      ReleaseTitleButton();
      if (FDataLink->Active()) FDataLink->UpdateRecord();
      Canvas()->Pen()->SetColor(static_cast<TColor>(0xC0C0C0));
      TCustomGrid::MouseDown(mbLeft, FLastShift, FMouseDownPos.X, FMouseDownPos.Y);
    }
    TCustomGrid::MouseMove(Shift, X, Y);
    return;
  }
  if (FMouseMode == 2) {
    // Column selection follows the mouse over the titles; beyond them the view scrolls.
    TRect area = DataAreaRect();
    TGridCoord cell = MouseCoord(X, std::max(0, std::min(Y, ClientHeight() - 1)));
    if (X < area.Left || X >= area.Right || cell.X < FIndicatorOffset) {
      AutoScrollStep();
    } else if (TColumnX* c = ColumnAt(RawToDataColumn(cell.X)); c && SelectionX()) {
      StopAutoScrollTimer();
      SelectionX()->Columns()->ShiftSelectColumn(c);
    }
    TCustomGrid::MouseMove(Shift, X, Y);
    return;
  }
  if ((FRowsTracking || FCellsTracking || FMouseMode == 3) && FDataLink->Active()) {
    TRect area = DataAreaRect();
    int cx = std::clamp(X, 0, std::max(0, ClientWidth() - 1));
    int cy = std::clamp(Y, 0, std::max(0, ClientHeight() - 1));
    bool moved = X != FMouseDownPos.X || Y != FMouseDownPos.Y;
    if (cy >= area.Top && cy < area.Bottom && moved) {
      TGridCoord cell = MouseCoord(cx, cy);
      int dataRow = cell.Y - FTitleOffset;
      if (cell.Y >= FTitleOffset && dataRow < DrawnRecordCount() && dataRow != ActiveDataRow())
        MoveWithSelection(Shift.Contains(ssLeft) && FRowsTracking, dataRow - ActiveDataRow(),
                          FMouseMode != 3, false);
    }
    if (FCellsTracking && !FDataOptions.Contains(gdoRowSelect) && cx >= area.Left && cx < area.Right && moved) {
      TGridCoord cell = MouseCoord(cx, std::max(cy, area.Top));
      if (cell.X >= FIndicatorOffset && cell.X != Col())
        SelectColumn(RawToDataColumn(cell.X), cell.X > Col() ? 1 : -1, FMouseMode == 3);
    }
    if (FMouseMode == 3 && moved) ExtendRectangle(false);
    FMouseDownPos = TPoint(X, Y);
    FLastShift = Shift;
    AutoScrollStep();
  }
  // Traced sizing: the column takes its width while the mouse moves.
  if (GridState() == gsColSizing && FOptionsX.Contains(gxoTraceColSizing)) {
    TRect r = CellRect(SizingIndex(), 0);
    int start = RightToLeft() ? ClientWidth() - r.Right : r.Left;
    int w = std::max(1, MirrorX(X) + SizingOfs() - start);
    if (r.Right > r.Left && w != ColWidths(SizingIndex()) && TracedSizingFits(SizingIndex(), start + w))
      SetColWidths(SizingIndex(), w);
  }
  TCustomGrid::MouseMove(Shift, X, Y);
}

void TCustomDBGridX::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FMouseMode == 6) {
    if (FSizingDrawn) DrawFrozenSizingLine();
    FMouseMode = 0;
    if (!FOptionsX.Contains(gxoTraceColSizing)) {
      int w = FrozenSizingWidth();
      TColumnX* c = ColumnAt(RawToDataColumn(FSizingIndexX));
      if (c && w > 1 && w != ColWidths(FSizingIndexX)) c->SetWidth(w);
    }
    FSizingIndexX = -1;
    TCustomControl::MouseUp(Button, Shift, X, Y);
    return;
  }
  if (FMouseDownHandled == 1) {
    // A press on a selected row released without a move: a click that selects as the keys say.
    FMouseDownHandled = 0;
    if (Shift.Contains(ssCtrl) && FDataOptions.Contains(gdoRowSelect)) {
      FSelectedRows->SetCurrentRowSelected(!FSelectedRows->CurrentRowSelected());
    } else if (FOptionsX.Contains(gxoClearSelectionOnMove)) {
      FSelectedRows->Clear();
      if (TDBGridXSelection* sel = SelectionX()) sel->Clear();
    }
  }
  if (FRightButtonMoving && Button == mbRight) {
    // The right press that moved a column ends as the left release of the move.
    FRightButtonMoving = false;
    if (MouseCapture()) SetMouseCapture(false);
    Button = mbLeft;
  }
  int mode = FMouseMode;
  FMouseMode = 0;
  DropRowAnchor();
  bool ctrl = Shift.Contains(ssCtrl);
  if (FMousePressed && FPressedTitleColumn >= 0) {
    int col = FPressedTitleColumn;
    TGridCoord cell = MouseCoord(X, Y);
    bool same = cell.X == col && cell.Y == 0 && X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight() &&
                InTitleLeaf(RawToDataColumn(col), col, Y);
    ReleaseTitleButton();
    if (same && Button == mbLeft) {
      int dataCol = RawToDataColumn(col);
      TColumnX* c = ColumnAt(dataCol);
      TitleBtnClick(dataCol, c);
      FSortMarkAdding = ctrl;
      if (FOptionsX.Contains(gxoAutoSortMarking) && c) {
        c->Title()->ToggleSortMarker(ctrl && FOptionsX.Contains(gxoMultiSortMarking));
        if (!ctrl) ApplySortMarking();
      }
    }
  }
  bool tracking = FRowsTracking || FCellsTracking || mode != 0;
  FRowsTracking = FCellsTracking = false;
  FMousePressed = false;
  if (tracking) StopAutoScrollTimer();
  TGridState st = GridState();
  TCustomGrid::MouseUp(Button, Shift, X, Y);
  FRowSizingByMouse = false;
  if (st == gsColSizing || st == gsRowSizing) return;
  // A release on the editor the press opened belongs to the editor: no cell click.
  if (TDBGridInplaceEdit* e = InplaceEditX(); e && e->EditVisible()) {
    TPoint p = e->ScreenToClient(ClientToScreen(TPoint(X, Y)));
    if (p.X >= 0 && p.Y >= 0 && p.X < e->Width() && p.Y < e->Height()) {
      FCheckCellCol = FCheckCellRow = -1;
      return;
    }
  }
  TGridCoord cell = MouseCoord(X, Y);
  if (cell.X >= 0 && cell.Y >= 0) {
    int dataCol = 0, dataRow = 0;
    int kind = GetCellType(cell.X, cell.Y, dataCol, dataRow);
    int colKind = kind & 0xFF, rowKind = kind >> 8;
    if (Button == mbLeft && st == gsNormal) {
      if (rowKind == 0 && colKind == 1) TitleClick(ColumnAt(dataCol));
      else if (rowKind == 2 && FDataLink->Active() && dataRow < DrawnRecordCount())
        CellClick(ColumnAt(GetSelectedIndex()));
    }
    if (FCheckCellCol >= 0 && cell.X == FCheckCellCol && cell.Y == FCheckCellRow) {
      TColumnX* c = ColumnAt(RawToDataColumn(cell.X));
      if (c && !c->DblClickNextVal() && !Shift.Contains(ssDouble) && c->CanModify(false))
        c->StepValue(Shift.Contains(ssShift) ? -1 : 1);
    }
  }
  FCheckCellCol = FCheckCellRow = -1;
}
