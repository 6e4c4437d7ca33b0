// Grid input: keys, mouse (selecting, sizing, moving, timed scrolling), the wheel and scroll messages.
#include <algorithm>
#include <cstdlib>

#include "platform/controls/grids.h"

namespace {

constexpr UINT_PTR kScrollTimer = 1;
constexpr UINT kScrollInterval = 60;

bool IsNavigationKey(WORD Key) {
  switch (Key) {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT: case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
      return true;
    default:
      return false;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Keys

bool TCustomGrid::WantsKey(WORD Key, TShiftState Shift) {
  if (IsNavigationKey(Key)) return true;
  if (Key == VK_TAB) return FOptions.Contains(goTabs) && !Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl);
  if (Key == VK_ESCAPE) return FOptions.Contains(goEditing) && FEditorMode;
  if (Key == VK_RETURN)
    return FOptions.Contains(goEditing) && (FEditorMode || !FOptions.Contains(goAlwaysShowEditor));
  return false;
}

void TCustomGrid::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  if (!CanGridAcceptKey(Key, Shift)) {
    Key = 0;
    return;
  }
  if (Key == VK_ESCAPE) {
    if (FEditorMode && FInplaceEdit && FInplaceEdit->EditVisible()) {
      FInplaceEdit->Reset();
      if (!FOptions.Contains(goAlwaysShowEditor)) HideEditor();
      Key = 0;
    }
    return;
  }
  if (Key == VK_F2) {
    if (FOptions.Contains(goEditing)) SetEditorMode(!(FEditorMode && FInplaceEdit && FInplaceEdit->EditVisible()));
    Key = 0;
    return;
  }
  if (Key == VK_RETURN) {
    // Handled as a character (KeyPress), where the editor's Enter arrives too.
    return;
  }
  bool rowSelect = FOptions.Contains(goRowSelect);
  TGridDrawInfo info;
  CalcDrawInfo(info);
  int pageHeight = std::max(1, info.Vert.LastFullVisibleCell - TopRow() + 1);
  int pageWidth = std::max(1, info.Horz.LastFullVisibleCell - LeftCol() + 1);
  TGridCoord cur = FCurrent;
  TGridCoord tl = FTopLeft;
  bool handled = true;
  if (Shift.Contains(ssCtrl)) {
    switch (Key) {
      case VK_UP: --tl.Y; break;
      case VK_DOWN: ++tl.Y; break;
      case VK_LEFT:
        if (!rowSelect) cur.X -= pageWidth, tl.X -= pageWidth;
        break;
      case VK_RIGHT:
        if (!rowSelect) cur.X += pageWidth, tl.X += pageWidth;
        break;
      case VK_PRIOR: cur.Y = TopRow(); break;
      case VK_NEXT: cur.Y = std::max(TopRow(), info.Vert.LastFullVisibleCell); break;
      case VK_HOME: cur.X = FFixedCols, cur.Y = FFixedRows; break;
      case VK_END: cur.X = ColCount() - 1, cur.Y = RowCount() - 1; break;
      default: handled = false; break;
    }
  } else {
    switch (Key) {
      case VK_UP: cur.Y = StepRow(cur.Y, -1); break;
      case VK_DOWN: cur.Y = StepRow(cur.Y, 1); break;
      case VK_LEFT:
        if (rowSelect)
          cur.Y = StepRow(cur.Y, -1);
        else
          cur.X = StepCol(cur.X, -1);
        break;
      case VK_RIGHT:
        if (rowSelect)
          cur.Y = StepRow(cur.Y, 1);
        else
          cur.X = StepCol(cur.X, 1);
        break;
      case VK_NEXT: cur.Y += pageHeight, tl.Y += pageHeight; break;
      case VK_PRIOR: cur.Y -= pageHeight, tl.Y -= pageHeight; break;
      case VK_HOME:
        if (rowSelect)
          cur.Y = FFixedRows;
        else
          cur.X = FFixedCols;
        break;
      case VK_END:
        if (rowSelect)
          cur.Y = RowCount() - 1;
        else
          cur.X = ColCount() - 1;
        break;
      case VK_TAB: {
        if (!FOptions.Contains(goTabs) || Shift.Contains(ssAlt)) {
          handled = false;
          break;
        }
        bool back = Shift.Contains(ssShift);
        int start = cur.X;
        int guard = ColCount() + 1;
        do {
          if (back) {
            if (--cur.X < FFixedCols) {
              cur.X = ColCount() - 1;
              if (--cur.Y < FFixedRows) cur.Y = RowCount() - 1;
            }
          } else if (++cur.X >= ColCount()) {
            cur.X = FFixedCols;
            if (++cur.Y >= RowCount()) cur.Y = FFixedRows;
          }
        } while (--guard > 0 && cur.X != start && (!TabStops(cur.X) || FCols.Extent(cur.X) < 0));
        // Shift here means "backwards", not "extend the selection".
        Shift.Exclude(ssShift);
        break;
      }
      default: handled = false; break;
    }
  }
  if (!handled) return;
  TGridCoord maxTL = CalcMaxTopLeft(TGridCoord{ColCount() - 1, RowCount() - 1}, info);
  tl.X = std::clamp(tl.X, FFixedCols, std::max(FFixedCols, maxTL.X));
  tl.Y = std::clamp(tl.Y, FFixedRows, std::max(FFixedRows, maxTL.Y));
  if (!(tl == FTopLeft)) MoveTopLeft(tl.X, tl.Y);
  cur.X = std::clamp(cur.X, FFixedCols, ColCount() - 1);
  cur.Y = std::clamp(cur.Y, FFixedRows, RowCount() - 1);
  // Home, End and page moves land on a visible column: back towards where the cursor came from first.
  if (!rowSelect && cur.X != FCurrent.X && FCols.Extent(cur.X) < 0) {
    int toward = cur.X > FCurrent.X ? -1 : 1;
    int stepped = StepCol(cur.X, toward);
    cur.X = FCols.Extent(stepped) < 0 ? StepCol(cur.X, -toward) : stepped;
  }
  if (cur.Y != FCurrent.Y && FRows.Extent(cur.Y) < 0) {
    int toward = cur.Y > FCurrent.Y ? -1 : 1;
    int stepped = StepRow(cur.Y, toward);
    cur.Y = FRows.Extent(stepped) < 0 ? StepRow(cur.Y, -toward) : stepped;
  }
  if (!(cur == FCurrent)) FocusCell(cur.X, cur.Y, !Shift.Contains(ssShift));
  Key = 0;
}

void TCustomGrid::KeyPress(WideChar& Key) {
  TCustomControl::KeyPress(Key);
  if (Key == 13 && FOptions.Contains(goEditing) && !FOptions.Contains(goAlwaysShowEditor)) {
    if (FEditorMode && FInplaceEdit && FInplaceEdit->EditVisible())
      HideEditor();
    else
      ShowEditor();
    Key = 0;
  }
}

// ---------------------------------------------------------------------------------------------------
// Mouse

void TCustomGrid::CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                                  TGridDrawInfo& FixedInfo) {
  State = gsNormal;
  Index = -1;
  int lw = FGridLineWidth;
  // The zone around a line: three pixels each side of it.
  auto hit = [&](const TGridAxisDrawInfo& A, const TGridAxis& Axis, int N, int& Cell, int& LinePos) {
    int pos = 0;
    auto test = [&](int c) {
      int e = Axis.Extent(c);
      if (e < 0) return false;
      int end = pos + e;
      pos = end + A.EffectiveLineWidth;
      if (N >= end - 3 && N < end + std::max(lw, 1) + 3) {
        Cell = c;
        LinePos = end;
        return true;
      }
      return false;
    };
    for (int c = 0; c < A.FixedCellCount; ++c)
      if (test(c)) return true;
    for (int c = A.FirstGridCell; c < A.GridCellCount && pos < A.GridExtent; ++c)
      if (test(c)) return true;
    return false;
  };
  int x = MirrorX(X);
  int cell = -1, line = 0;
  // On a form being designed columns and rows can always be sized.
  const bool colSizing = FOptions.Contains(goColSizing) || IsDesigning();
  const bool rowSizing = FOptions.Contains(goRowSizing) || IsDesigning();
  if (colSizing && Y >= 0 && Y < FixedInfo.Vert.FixedBoundary && x < FixedInfo.Horz.GridBoundary + 3 &&
      hit(FixedInfo.Horz, FCols, x, cell, line)) {
    State = gsColSizing;
    Index = cell;
    SizingPos = line;
    SizingOfs = line - x;
    return;
  }
  if (rowSizing && x >= 0 && x < FixedInfo.Horz.FixedBoundary && Y < FixedInfo.Vert.GridBoundary + 3 &&
      hit(FixedInfo.Vert, FRows, Y, cell, line)) {
    State = gsRowSizing;
    Index = cell;
    SizingPos = line;
    SizingOfs = line - Y;
  }
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (HandleAllocated() && CanFocus() && !IsActiveControl()) ::SetFocus(Handle());
  if (Button != mbLeft) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  TGridDrawInfo info;
  CalcFixedInfo(info);
  CalcSizingState(X, Y, FGridState, FSizingIndex, FSizingPos, FSizingOfs, info);
  if (FGridState == gsColSizing || FGridState == gsRowSizing) {
    HideEditor();
    Update();
    DrawSizingLine(info);
    TCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  FGridState = gsNormal;
  TGridCoord cell = MouseCoord(X, Y);
  if (cell.X >= 0 && cell.Y >= 0) {
    if (FOptions.Contains(goColMoving) && cell.Y < FFixedRows && cell.X >= FFixedCols) {
      HideEditor();
      FGridState = gsColMoving;
      FMoveIndex = FMovePos = cell.X;
      Update();
      DrawMoveMarker();
    } else if (FOptions.Contains(goRowMoving) && cell.X < FFixedCols && cell.Y >= FFixedRows) {
      HideEditor();
      FGridState = gsRowMoving;
      FMoveIndex = FMovePos = cell.Y;
      Update();
      DrawMoveMarker();
    } else if (cell.X >= FFixedCols && cell.Y >= FFixedRows) {
      FGridState = gsSelecting;
      StartTimer();
      if (FOptions.Contains(goEditing) && cell == FCurrent && !Shift.Contains(ssShift)) {
        ShowEditor();
      } else {
        if (Shift.Contains(ssShift))
          MoveAnchor(cell);
        else
          MoveCurrent(cell.X, cell.Y, true, true);
        UpdateEdit();
      }
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  TGridDrawInfo info;
  switch (FGridState) {
    case gsSelecting: {
      CalcDrawInfo(info);
      TGridCoord cell = CellForSelecting(X, Y, info);
      if (cell.X >= 0 && cell.Y >= 0) {
        TGridCoord corner = FOptions.Contains(goRangeSelect) ? FAnchor : FCurrent;
        if (FOptions.Contains(goRowSelect)) corner.X = cell.X = ColCount() - 1;
        if (!(cell == corner)) MoveAnchor(cell);
      }
      break;
    }
    case gsColSizing:
    case gsRowSizing:
      CalcDrawInfo(info);
      if (FSizingDrawn) DrawSizingLine(info);
      FSizingPos = (FGridState == gsColSizing ? MirrorX(X) : Y) + FSizingOfs;
      DrawSizingLine(info);
      break;
    case gsColMoving:
    case gsRowMoving: {
      TGridCoord cell = MouseCoord(X, Y);
      int pos = FGridState == gsColMoving ? cell.X : cell.Y;
      int fixed = FGridState == gsColMoving ? FFixedCols : FFixedRows;
      if (pos >= fixed && pos != FMovePos) {
        if (FSizingDrawn) DrawMoveMarker();
        FMovePos = pos;
        DrawMoveMarker();
      }
      break;
    }
    default:
      break;
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    TGridDrawInfo info;
    TGridState state = FGridState;
    switch (state) {
      case gsSelecting:
        MouseMove(Shift, X, Y);
        StopTimer();
        FGridState = gsNormal;
        UpdateEdit();
        break;
      case gsColSizing:
      case gsRowSizing: {
        CalcDrawInfo(info);
        if (FSizingDrawn) DrawSizingLine(info);
        FGridState = gsNormal;
        bool cols = state == gsColSizing;
        // The start of the sized cell, left-to-right.
        TRect cell = cols ? CellRect(FSizingIndex, 0) : CellRect(0, FSizingIndex);
        int start = cols ? (FRightToLeft ? ClientWidth() - cell.Right : cell.Left) : cell.Top;
        int size = std::max(1, FSizingPos - start);
        if (cols) {
          if (size != ColWidths(FSizingIndex)) SetColWidths(FSizingIndex, size);
        } else if (size != RowHeights(FSizingIndex)) {
          SetRowHeights(FSizingIndex, size);
        }
        break;
      }
      case gsColMoving:
      case gsRowMoving:
        if (FSizingDrawn) DrawMoveMarker();
        FGridState = gsNormal;
        if (FMovePos != FMoveIndex) {
          if (state == gsColMoving)
            MoveColumn(FMoveIndex, FMovePos);
          else
            MoveRow(FMoveIndex, FMovePos);
        }
        break;
      default:
        break;
    }
    FGridState = gsNormal;
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomGrid::CancelMode() {
  TGridDrawInfo info;
  switch (FGridState) {
    case gsColSizing:
    case gsRowSizing:
      CalcDrawInfo(info);
      if (FSizingDrawn) DrawSizingLine(info);
      break;
    case gsColMoving:
    case gsRowMoving:
      if (FSizingDrawn) DrawMoveMarker();
      break;
    default:
      break;
  }
  StopTimer();
  FGridState = gsNormal;
  if (MouseCapture()) SetMouseCapture(false);
}

void TCustomGrid::StartTimer() {
  if (!HandleAllocated()) return;
  SetTimer(Handle(), kScrollTimer, kScrollInterval, nullptr);
  FTimerActive = true;
}

void TCustomGrid::StopTimer() {
  if (FTimerActive && HandleAllocated()) KillTimer(Handle(), kScrollTimer);
  FTimerActive = false;
}

void TCustomGrid::TimerStep() {
  if (FGridState != gsSelecting) {
    StopTimer();
    return;
  }
  POINT p;
  GetCursorPos(&p);
  ::ScreenToClient(Handle(), &p);
  TGridDrawInfo info;
  CalcDrawInfo(info);
  int x = MirrorX(p.x);
  TGridScrollDirections dirs;
  if (x < info.Horz.FixedBoundary) dirs.Include(sdLeft);
  else if (x >= info.Horz.GridBoundary && x >= ClientWidth() - 1) dirs.Include(sdRight);
  if (p.y < info.Vert.FixedBoundary) dirs.Include(sdUp);
  else if (p.y >= info.Vert.GridBoundary && p.y >= ClientHeight() - 1) dirs.Include(sdDown);
  if (!dirs.Empty()) TimedScroll(dirs);
}

void TCustomGrid::TimedScroll(TGridScrollDirections Direction) {
  if (FGridState != gsSelecting) return;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  TGridCoord tl = FTopLeft;
  TGridCoord corner = FOptions.Contains(goRangeSelect) ? FAnchor : FCurrent;
  if (Direction.Contains(sdLeft) && tl.X > FFixedCols) {
    --tl.X;
    corner.X = tl.X;
  }
  if (Direction.Contains(sdRight) && info.Horz.LastFullVisibleCell < ColCount() - 1) {
    ++tl.X;
    corner.X = std::min(ColCount() - 1, info.Horz.LastFullVisibleCell + 1);
  }
  if (Direction.Contains(sdUp) && tl.Y > FFixedRows) {
    --tl.Y;
    corner.Y = tl.Y;
  }
  if (Direction.Contains(sdDown) && info.Vert.LastFullVisibleCell < RowCount() - 1) {
    ++tl.Y;
    corner.Y = std::min(RowCount() - 1, info.Vert.LastFullVisibleCell + 1);
  }
  MoveTopLeft(tl.X, tl.Y);
  corner.X = std::max(corner.X, FFixedCols);
  corner.Y = std::max(corner.Y, FFixedRows);
  MoveAnchor(corner);
}

bool TCustomGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) {
  if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  int notches = std::max(1, std::abs(WheelDelta) / WHEEL_DELTA);
  int target = Row() + (WheelDelta < 0 ? notches : -notches);
  target = std::clamp(target, FFixedRows, RowCount() - 1);
  if (target != Row()) FocusCell(Col(), target, true);
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Messages

void TCustomGrid::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_CTL3DCHANGED:
      // The frame and the fixed cells' edges follow.
      if (FBorderStyle == TBorderStyle::bsSingle && HandleAllocated()) RecreateWnd();
      TCustomControl::Dispatch(Message);
      return;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      if (FOptions.Contains(goTabs)) Message.Result |= DLGC_WANTTAB;
      if (FOptions.Contains(goEditing)) Message.Result |= DLGC_WANTCHARS;
      return;
    case WM_CHAR: {
      WideChar ch = static_cast<WideChar>(Message.WParam);
      if (FOptions.Contains(goEditing) && (ch == 8 || ch >= 32) && ch != 127) ShowEditorChar(ch);
      return;
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
      int bar = Message.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ;
      int code = LOWORD(static_cast<DWORD>(Message.WParam));
      int pos = HIWORD(static_cast<DWORD>(Message.WParam));
      if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
        // The message carries 16 bits; the bar knows the whole position.
        SCROLLINFO si;
        si.fMask = SIF_TRACKPOS;
        if (HandleAllocated() && GetScrollInfo(Handle(), bar, &si) && (si.nTrackPos & 0xFFFF) == pos) pos = si.nTrackPos;
      }
      if (bar == SB_HORZ && FRightToLeft && Message.LParam == 0 && HandleAllocated()) {
        // The window's own bar runs from the right (UpdateScrollRange): its left arrow and track move on
        // towards the later columns, and a thumb position counts from the right end.
        switch (code) {
          case SB_LINEUP: code = SB_LINEDOWN; break;
          case SB_LINEDOWN: code = SB_LINEUP; break;
          case SB_PAGEUP: code = SB_PAGEDOWN; break;
          case SB_PAGEDOWN: code = SB_PAGEUP; break;
          case SB_TOP: code = SB_BOTTOM; break;
          case SB_BOTTOM: code = SB_TOP; break;
          case SB_THUMBTRACK:
          case SB_THUMBPOSITION: {
            SCROLLINFO range;
            range.cbSize = sizeof range;
            range.fMask = SIF_RANGE | SIF_PAGE;
            if (GetScrollInfo(Handle(), SB_HORZ, &range))
              pos = std::max(0, range.nMax - std::max(1, static_cast<int>(range.nPage)) + 1 - pos);
            break;
          }
          default: break;
        }
      }
      ModifyScrollBar(bar, code, pos);
      Message.Result = 0;
      return;
    }
    case WM_TIMER:
      if (Message.WParam == kScrollTimer) {
        TimerStep();
        return;
      }
      break;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
      CancelMode();
      break;
    case CM_DESIGNHITTEST: {
      // A designer lets the grid have the mouse over its sizing lines, so that columns and rows can
      // be sized on the form.
      TGridDrawInfo info;
      CalcFixedInfo(info);
      TGridState state = gsNormal;
      int index = -1, pos = 0, ofs = 0;
      CalcSizingState(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam), state, index, pos, ofs, info);
      Message.Result = state != gsNormal ? 1 : 0;
      return;
    }
    case WM_CAPTURECHANGED:
      // Capture taken away while a button is held (not the release of our own capture).
      if (FGridState != gsNormal && FControlState.Contains(csLButtonDown) &&
          reinterpret_cast<HWND>(Message.LParam) != FHandle)
        CancelMode();
      break;
    case WM_SETCURSOR:
      if (LOWORD(static_cast<DWORD_PTR>(Message.LParam)) == HTCLIENT && GetScreenCursor() == crDefault) {
        TGridState state = FGridState;
        if (state == gsNormal) {
          POINT p;
          GetCursorPos(&p);
          ::ScreenToClient(Handle(), &p);
          TGridDrawInfo info;
          CalcFixedInfo(info);
          int index, pos, ofs;
          CalcSizingState(p.x, p.y, state, index, pos, ofs, info);
        }
        if (state == gsColSizing || state == gsRowSizing) {
          ::SetCursor(GetCursorHandle(state == gsColSizing ? crHSplit : crVSplit));
          Message.Result = 1;
          return;
        }
      }
      break;
    case WM_SETFOCUS: {
      TCustomControl::Dispatch(Message);
      HWND from = reinterpret_cast<HWND>(Message.WParam);
      bool fromEditor = FInplaceEdit && FInplaceEdit->HandleAllocated() && from == FInplaceEdit->Handle();
      if (!fromEditor) {
        if (FInplaceEdit && FInplaceEdit->EditVisible() && FEditorMode)
          ::SetFocus(FInplaceEdit->Handle());
        else
          UpdateEdit();
      }
      return;
    }
    default:
      break;
  }
  TCustomControl::Dispatch(Message);
}
