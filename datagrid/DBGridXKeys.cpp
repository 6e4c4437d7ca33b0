// The data grid's keyboard: record and column movement, selecting rows while moving, inserting and
// deleting records, the editor keys, and the keys that drive the in-place search. The grid's rows are
// the data link's buffered records, so every vertical move is a move of the data set; the grid row
// follows through the link.
#include <algorithm>
#include <climits>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXClipboard.h"
#include "datagrid/DBGridXFilterRow.h"
#include "datagrid/DBGridXFindDlgs.h"
#include "datagrid/DBGridXInplace.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/controls/menus.h"
#include "platform/forms/dialogs.h"
#include "platform/graphics/clipbrd.h"
#include "platform/rtl/sysutils.h"

namespace {

bool NoShiftKeys(TShiftState Shift) { return (Shift * TShiftState{ssShift, ssAlt, ssCtrl}).Empty(); }

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Selected rows by bookmark

bool TBookmarkListX::BookmarkSelected(const TBookmark& Item) const {
  int i = 0;
  return Find(Item, i);
}

void TBookmarkListX::SetBookmarkSelected(const TBookmark& Item, bool Value) {
  if (Item.empty()) return;
  int i = 0;
  bool found = Find(Item, i);
  if (found == Value) return;
  if (Value) FList.insert(FList.begin() + i, Item);
  else FList.erase(FList.begin() + i);
  ForgetLookup();
  FGrid->Invalidate();
  // As for the current record: a marked record makes the selection a records selection.
  TDBGridXSelection* sel = FGrid->SelectionX();
  if (sel && sel->Kind() != selRecordsX && !FList.empty()) {
    sel->EmptySelection();
    sel->SetKind(selRecordsX);
  }
  if (sel) sel->CheckEmpty();
}

// ---------------------------------------------------------------------------------------------------
// Movement

void TCustomDBGridX::ClearSelectionOnMove() {
  bool clear = FOptionsX.Contains(gxoClearSelectionOnMove);
  if (FDataOptions.Contains(gdoMultiSelect) && clear) FSelectedRows->Clear();
  DropRowAnchor();
  if (clear && SelectionX() && SelectionX()->Kind() != selNoneX) {
    SelectionX()->Clear();
    Invalidate();
    InvalidateEditor();
  }
  // A one-cell rectangle is no selection but still holds an anchor: it goes too.
  if (clear && SelectionX() && !SelectionX()->Rect()->Empty()) SelectionX()->Rect()->ClearCorners();
}

void TCustomDBGridX::ExtendRectangle(bool SetAnchor) {
  TDBGridXSelection* sel = SelectionX();
  if (!sel || !FDataLink->Active() || FDataLink->DataSet()->IsEmpty()) return;
  TDataSet* ds = FDataLink->DataSet();
  int col = std::max(0, GetSelectedIndex());
  // A one-cell rectangle is no selection yet but keeps its anchor for the next step.
  sel->Rect()->Select(col, ds->Bookmark(), !SetAnchor);
}

void TCustomDBGridX::SetRowAnchor() {
  TDataSet* ds = FDataLink->DataSet();
  FRowAnchor = ds->Bookmark();
  FRowWalkEnd = FRowAnchor;
  FRowAnchorSelected = FSelectedRows->CurrentRowSelected();
  FRowAnchorSet = true;
}

void TCustomDBGridX::MoveWithSelection(bool Select, int Distance, bool ByRows, bool ToEnd) {
  if (!FDataLink->Active()) return;
  TDataSet* ds = FDataLink->DataSet();
  if (ByRows || FDataOptions.Contains(gdoRowSelect)) {
    bool allowed = Select && FAllowedSelections.Contains(selRecordsX) && FDataOptions.Contains(gdoMultiSelect);
    int dir = Distance < 0 ? -1 : 1;
    int steps = ToEnd ? INT_MAX : std::abs(Distance);
    // The record was moved by other means since the last walk: its anchor no longer applies.
    if (FRowAnchorSet && ds->Bookmark() != FRowWalkEnd) DropRowAnchor();
    BeginUpdate();
    try {
      bool first = !FRowAnchorSet;
      for (int i = 0; i < steps; ++i) {
        if (allowed && !FRowAnchorSet) {
          SetRowAnchor();
          FSelectedRows->SetCurrentRowSelected(FToggleSelecting ? !FRowAnchorSelected : true);
        }
        TBookmark before = ds->Bookmark();
        if (ds->MoveBy(dir) == 0) break;
        if (!allowed) {
          if (Select) FSelectedRows->Clear();
          continue;
        }
        TBookmark now = ds->Bookmark();
        if (first) {
          // The row reached by the first step takes the anchor's new state.
          FSelectedRows->SetCurrentRowSelected(FToggleSelecting ? !FRowAnchorSelected : true);
          first = false;
          continue;
        }
        int c = ds->CompareBookmarks(now, FRowAnchor);
        bool toward = (dir > 0 && c <= 0) || (dir < 0 && c >= 0);
        if (toward)
          FSelectedRows->SetBookmarkSelected(before, FToggleSelecting ? FRowAnchorSelected : false);
        else
          FSelectedRows->SetCurrentRowSelected(FToggleSelecting ? !FRowAnchorSelected : true);
      }
    } catch (...) {
      EndUpdate();
      throw;
    }
    FRowWalkEnd = ds->Bookmark();
    EndUpdate();
  } else {
    bool rect = Select && FAllowedSelections.Contains(selRectangleX) && SelectionX();
    // The rectangle starts at the cell the walk leaves, unless one is being extended already.
    if (rect && SelectionX()->Rect()->Empty()) ExtendRectangle(true);
    if (ToEnd) {
      if (Distance < 0) ds->First();
      else ds->Last();
    } else {
      ds->MoveBy(Distance);
    }
    if (rect) ExtendRectangle(false);
  }
  if (FUpdateLock == 0) Invalidate();
}

void TCustomDBGridX::NextRow(bool Select) {
  if (!FDataLink->Active()) return;
  TDataSet* ds = FDataLink->DataSet();
  if (ds->State() == dsInsert && !ds->Modified() && !FDataLink->EditorChanged()) {
    // An untouched new record: leaving it downwards drops it, unless it is the last one.
    if (ds->Eof()) return;
    ds->Cancel();
  } else {
    if (!Select) ClearSelectionOnMove();
    if (Select) MoveWithSelection(true, 1, !FAllowedSelections.Contains(selRectangleX), false);
    else MoveWithSelection(false, 1, false, false);
  }
  if (ds->Eof() && ds->CanModify() && !FReadOnly && FDataOptions.Contains(gdoEditing) &&
      FAllowedOperations.Contains(geoAppend) && ds->State() != dsInsert)
    ds->Append();
}

void TCustomDBGridX::PriorRow(bool Select) {
  if (!FDataLink->Active()) return;
  TDataSet* ds = FDataLink->DataSet();
  if (ds->State() == dsInsert && !ds->Modified() && !FDataLink->EditorChanged() && ds->Eof()) {
    ds->Cancel();
    return;
  }
  if (!Select) ClearSelectionOnMove();
  if (Select) MoveWithSelection(true, -1, !FAllowedSelections.Contains(selRectangleX), false);
  else MoveWithSelection(false, -1, false, false);
}

void TCustomDBGridX::CloseEditorListUnpicked() {
  // An item only browsed to in the cell's list is not its text: leaving the cell closes the list without
  // a pick before the text is stored.
  if (!EditorMode()) return;
  if (TDBGridInplaceEdit* e = InplaceEditX(); e && e->ListShown()) e->CloseUp(false);
}

void TCustomDBGridX::MoveToNextCell(bool GoForward) {
  ClearSelectionOnMove();
  CloseEditorListUnpicked();
  if (ColCount() <= FIndicatorOffset) return;
  BeginUpdate();
  try {
    // The walk wraps at the fixed columns: frozen columns are never current.
    int first = std::max<int>(FIndicatorOffset, FixedCols());
    int start = Col();
    int c = start;
    for (int guard = ColCount() + 1; guard > 0; --guard) {
      if (GoForward) {
        if (++c >= ColCount()) {
          NextRow(false);
          c = first;
        }
      } else if (--c < first) {
        PriorRow(false);
        c = ColCount() - 1;
      }
      if (c == start) break;
      if (TabStops(c) && ColWidths(c) > 0) {
        SelectColumn(RawToDataColumn(c), 0, false);
        break;
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  Invalidate();
}

void TCustomDBGridX::SelectColumn(int Index, int Direction, bool Extend) {
  int n = FColumns->Count();
  if (n == 0) return;
  Extend = Extend && !FDataOptions.Contains(gdoRowSelect) && FAllowedSelections.Contains(selRectangleX) &&
           SelectionX();
  if (Extend && SelectionX()->Rect()->Empty()) ExtendRectangle(true);
  CloseEditorListUnpicked();
  if (FDataLink->Active() && EditorMode()) UpdateText();
  // What was typed goes into the field of the column being left, before another column's text takes
  // the editor's place (a value the field refuses stops the move).
  if (FDataLink->Active()) FDataLink->UpdateRecord();
  // Frozen columns are fixed cells of the grid and never current: the first one that may be current
  // is the first scrollable one.
  int first = std::clamp(RawToDataColumn(FixedCols()), 0, n - 1);
  if (Direction != 0) {
    if (Index < 0 || Index >= n) return;
    if (Direction > 0) Index = std::max(Index, first);
    while (Index >= first && Index < n && !FColumns->Items(Index)->Visible()) Index += Direction;
    if (Index < first || Index >= n) return;
  }
  Index = std::clamp(Index, first, n - 1);
  int raw = DataToRawColumn(Index);
  if (raw >= ColCount()) return;
  if (raw != Col()) {
    if (!FLeavingColumn) {
      // The leave hook may move the cursor itself: then its move stands.
      int before = Col();
      FLeavingColumn = true;
      try {
        LeaveColumn();
      } catch (...) {
        FLeavingColumn = false;
        throw;
      }
      FLeavingColumn = false;
      if (Col() != before) return;
    }
    if (!FDataOptions.Contains(gdoAlwaysShowEditor)) HideEditor();
    if (!FDataOptions.Contains(gdoRowSelect)) MoveColRow(raw, Row(), true, true);
    TColumnX* c = ColumnAt(Index);
    TColumnCellKindX kind = c ? c->GetCellKind() : cckText;
    // Not while a filter cell is edited: its editor has the place of the cell editor.
    if (EditorShownAlways() && kind != cckCheckbox && kind != cckKeyImages) ShowEditor();
    EnterColumn();
  }
  if (Extend) ExtendRectangle(false);
  if (FInSearch) StopInplaceSearch();
}

void TCustomDBGridX::DeleteCurrentOrSelectedRecords() {
  if (!FDataLink->Active()) return;
  TDataSet* ds = FDataLink->DataSet();
  if (FReadOnly || ds->IsEmpty() || !ds->CanModify() || !FAllowedOperations.Contains(geoDelete)) return;
  int selected = FSelectedRows->Count();
  if (FDataOptions.Contains(gdoConfirmDelete) &&
      MessageDlg(LoadResString(selected < 2 ? SDeleteRecordQuestion : SDeleteMultipleRecordsQuestion), mtConfirmation,
                 TMsgDlgButtons{mbOK, mbCancel}) != mrOk)
    return;
  if (selected == 0) {
    ds->Delete();
    return;
  }
  std::vector<TBookmark> marks;
  for (int i = 0; i < selected; ++i) marks.push_back(FSelectedRows->Items(i));
  ds->DisableControls();
  try {
    for (const TBookmark& b : marks)
      if (ds->BookmarkValid(b)) {
        ds->GotoBookmark(b);
        ds->Delete();
      }
  } catch (...) {
    ds->EnableControls();
    FSelectedRows->Refresh();
    throw;
  }
  ds->EnableControls();
  FSelectedRows->Clear();
}

bool TCustomDBGridX::CurrentColumnStepsValues() {
  TColumnX* c = ColumnAt(GetSelectedIndex());
  if (!c || FDataOptions.Contains(gdoRowSelect)) return false;
  TColumnCellKindX kind = c->GetCellKind();
  return kind == cckCheckbox || kind == cckKeyImages;
}

// ---------------------------------------------------------------------------------------------------
// Keys

void TCustomDBGridX::KeyDown(WORD& Key, TShiftState Shift) {
  FToggleSelecting = Shift.Contains(ssCtrl) || !FOptionsX.Contains(gxoClearSelectionOnMove);
  TCustomControl::KeyDown(Key, Shift);  // OnKeyDown first
  if (Key == 0) return;
  // Up from the first record (or Ctrl+Up) goes into the filter row.
  if (Key == VK_UP && FilterRowShown() && FDataLink->Active() &&
      (Shift.Contains(ssCtrl) || FDataLink->DataSet()->Bof() || FDataLink->DataSet()->RecNo() == 1)) {
    int target = GetSelectedIndex();
    if (FDataOptions.Contains(gdoRowSelect)) {
      // The remembered filter column, or the left-most one in view when it is scrolled out.
      int from = FFilterColumnIndex;
      int raw = DataToRawColumn(from);
      TGridDrawInfo info;
      CalcDrawInfo(info);
      if (raw < LeftCol() || raw > info.Horz.LastFullVisibleCell) from = RawToDataColumn(LeftCol());
      target = ColumnHasFilterCell(from) ? from : NextFilterColumn(from, 1, true);
    }
    if (target >= 0 && ColumnHasFilterCell(target)) {
      BeginFilterEdit(target);
      Key = 0;
      return;
    }
  }
  if (RightToLeft()) {
    if (Key == VK_LEFT) Key = VK_RIGHT;
    else if (Key == VK_RIGHT) Key = VK_LEFT;
  }
  if (!FDataLink->Active() || !CanGridAcceptKey(Key, Shift)) return;
  TDataSet* ds = FDataLink->DataSet();
  bool multi = FDataOptions.Contains(gdoMultiSelect);
  bool rowSelect = FDataOptions.Contains(gdoRowSelect);
  bool shift = Shift.Contains(ssShift);
  TShortCut sc = ShortCut(Key, Shift);

  // Short-cuts.
  if (sc == CopyFromPriorRecordShortCut) {
    CopyFromPriorRecord();  // it checks the record above and the column
    Key = 0;
    return;
  }
  if (sc == SearchShortCut && FOptionsX.Contains(gxoIncSearch)) {
    if (FInSearch && FindDialogShortCut == SearchShortCut) {
      // The find dialog takes over from the search.
      StopInplaceSearch();
      ShowGridFindDialog(this, "", false);
    } else {
      InplaceSearch("", -1, 0);
    }
    Key = 0;
    return;
  }
  if (sc == FindDialogShortCut && FOptionsX.Contains(gxoFindDialog)) {
    ShowGridFindDialog(this, "", false);
    Key = 0;
    return;
  }
  if (FInSearch) {
    if ((Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_F2) && NoShiftKeys(Shift)) {
      StopInplaceSearch();
      Key = 0;
      return;
    }
    if (Key == VK_BACK && NoShiftKeys(Shift)) {
      if (!FSearchText.empty()) FSearchText.erase(Utf8Prev(FSearchText, FSearchText.size()));
      InvalidateRow(Row());
      StartSearchTimer();
      Key = 0;
      return;
    }
    if (sc == SearchNextShortCut || sc == SearchPriorShortCut) {
      InplaceSearch("", FSearchTimeout, sc == SearchNextShortCut ? 1 : 2);
      Key = 0;
      return;
    }
  }

  if (HandleEditShortCut(Key, Shift)) return;  // clipboard, select all, find dialog (DBGridXActions.cpp)

  bool handled = true;
  if (Shift.Contains(ssCtrl)) {
    bool clearFirst = !shift && (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END || Key == VK_HOME ||
                                 Key == VK_UP || Key == VK_DOWN);
    if (clearFirst) ClearSelectionOnMove();
    // The first and the last shown record: the link's buffer, or the rows in view with random access.
    auto toFirstShown = [&] {
      return FRandomAccessData ? ActiveDataRow() - (TopRow() - FTitleOffset) : FDataLink->ActiveRecord();
    };
    auto toLastShown = [&] {
      return FRandomAccessData ? LastFullVisibleRow() - FTitleOffset - ActiveDataRow()
                               : FDataLink->RecordCount() - FDataLink->ActiveRecord() - 1;
    };
    switch (Key) {
      case VK_PRIOR:
      case VK_UP:
        if (shift && multi) MoveWithSelection(true, -toFirstShown(), true, false);
        else ds->MoveBy(-toFirstShown());
        break;
      case VK_NEXT:
      case VK_DOWN: {
        int d = toLastShown();
        if (shift && multi) MoveWithSelection(true, d, true, false);
        else ds->MoveBy(d);
        break;
      }
      case VK_END:
        if (shift && multi) MoveWithSelection(true, 1, true, true);
        else ds->Last();
        break;
      case VK_HOME:
        if (shift && multi) MoveWithSelection(true, -1, true, true);
        else ds->First();
        break;
      case VK_LEFT: SelectColumn(0, 1, false); break;
      case VK_RIGHT: SelectColumn(FColumns->Count() - 1, -1, false); break;
      case VK_INSERT:
      case 'C':
        if (HasSelectionX() && FEditActions.Contains(geaCopy)) CopyGridToClipboard(this, false);
        break;
      case VK_DELETE:
        if (FEditActions.Contains(geaDelete) && HasSelectionX()) {
          if (CanDelete()) ClearGridSelection(this, false);
        } else {
          DeleteCurrentOrSelectedRecords();
        }
        break;
      case 'A':
        if (CanSelectAll() && FEditActions.Contains(geaSelectAll)) SelectionX()->SelectAll();
        break;
      case 'V': PasteKey(); break;
      case 'X':
        if (HasSelectionX() && CanDelete() && FEditActions.Contains(geaCut)) CutGridToClipboard(this, false);
        break;
      default: handled = false; break;
    }
  } else {
    switch (Key) {
      case VK_TAB:
        if (Shift.Contains(ssAlt)) handled = false;
        else MoveToNextCell(!shift);
        break;
      case VK_RETURN:
        if (FOptionsX.Contains(gxoEnterAsTab)) {
          MoveToNextCell(!shift);
        } else {
          // Enter opens the cell editor, which ends a filter edit still in force first.
          if (FFilterEditing && !EditorMode()) EndFilterEdit();
          handled = false;
        }
        break;
      case VK_ESCAPE: {
        FDataLink->ResetRecord();
        ClearSelectionOnMove();
        if (!FDataOptions.Contains(gdoAlwaysShowEditor)) HideEditor();
        TGridState st = GridState();
        if (st == gsColSizing || st == gsRowSizing || st == gsColMoving || FTitleButtonDown || FMouseMode == 6)
          Perform(WM_CANCELMODE);
        break;
      }
      case VK_PRIOR:
      case VK_NEXT: {
        int n = VisibleDataRowCount() * (Key == VK_PRIOR ? -1 : 1);
        if (shift && multi) {
          MoveWithSelection(true, n, !FAllowedSelections.Contains(selRectangleX), false);
        } else {
          ClearSelectionOnMove();
          ds->MoveBy(n);
        }
        break;
      }
      case VK_END:
      case VK_HOME: {
        bool end = Key == VK_END;
        if (FColumns->Count() > 1 && !rowSelect) {
          if (!(shift && multi)) ClearSelectionOnMove();
          SelectColumn(end ? FColumns->Count() - 1 : 0, end ? -1 : 1, shift && multi);
        } else if (shift && multi) {
          MoveWithSelection(true, end ? 1 : -1, true, true);
        } else {
          ClearSelectionOnMove();
          if (end) ds->Last();
          else ds->First();
        }
        break;
      }
      case VK_LEFT:
      case VK_RIGHT: {
        int step = Key == VK_LEFT ? -1 : 1;
        if (rowSelect) {
          int left = std::clamp(LeftCol() + step, FixedCols(), ColCount() - 1);
          if (left != LeftCol()) SetLeftCol(left);
        } else {
          if (!(shift && multi)) ClearSelectionOnMove();
          SelectColumn(GetSelectedIndex() + step, step, shift && multi);
        }
        break;
      }
      case VK_UP: PriorRow(shift); break;
      case VK_DOWN: NextRow(shift); break;
      case VK_INSERT:
        if (shift) {
          PasteKey();
        } else if (ds->CanModify() && !FReadOnly && FDataOptions.Contains(gdoEditing)) {
          ClearSelectionOnMove();
          if (FAllowedOperations.Contains(geoInsert)) ds->Insert();
          else if (FAllowedOperations.Contains(geoAppend)) ds->Append();
        }
        break;
      case VK_DELETE:
        // Shift+Delete cuts as Ctrl+X does; a plain Delete is the editor's (or the cell's below).
        if (shift && HasSelectionX() && CanDelete() && FEditActions.Contains(geaCut)) CutGridToClipboard(this, false);
        else handled = false;
        break;
      case VK_F2:
        if (FFilterEditing && !EditorMode()) EndFilterEdit();  // the cell editor ends a filter edit first
        SetEditorMode(true);
        break;
      default: handled = false; break;
    }
  }

  // Delete on an image or check-box cell empties the field.
  if (Key == VK_DELETE && !Shift.Contains(ssCtrl) && CurrentColumnStepsValues()) {
    TColumnX* c = ColumnAt(GetSelectedIndex());
    TField* f = c->Field();
    if (f && !f->Required() && c->CanModify(true)) {
      f->Clear();
      handled = true;
    }
  }
  if (handled) Key = 0;
}

bool TCustomDBGridX::HasSelectionX() { return SelectionX() && SelectionX()->Kind() != selNoneX; }

void TCustomDBGridX::PasteKey() {
  if (FInSearch) {
    // A running search takes the clipboard's text as typed text.
    std::string text = Clipboard()->AsText();
    if (!text.empty()) InplaceSearch(text, FSearchTimeout, 0);
    return;
  }
  TDataSet* ds = FDataLink->DataSet();
  if (!FDataLink->Active() || FReadOnly || !ds->CanModify() || !ClipboardHasGridPasteData()) return;
  if (ds->State() != dsInsert && !FAllowedOperations.Contains(geoUpdate)) return;
  if (FEditActions.Contains(geaPaste)) PasteGridFromClipboard(this, false);
}

bool TCustomDBGridX::TypingSearches() {
  if (FInSearch) return true;
  TColumnX* c = ColumnAt(GetSelectedIndex());
  if (FOptionsX.Contains(gxoIncSearch) && (!c || !c->CanModify(false) || !FDataOptions.Contains(gdoEditing) ||
                                           FReadOnly))
    return true;
  bool editorShown = InplaceEditor() && InplaceEditor()->EditVisible();
  return FOptionsX.Contains(gxoPreferIncSearch) && !FDataOptions.Contains(gdoAlwaysShowEditor) && !editorShown;
}

void TCustomDBGridX::KeyPress(WideChar& Key) {
  // While the filter row is being edited, typing on the grid goes on in its editor.
  if (FilterEditing() && (Key == 8 || (Key >= 32 && Key != 127)) && ColumnHasFilterCell(GetSelectedIndex())) {
    BeginFilterEdit(GetSelectedIndex());
    if (FilterEditor() && FilterEditor()->HandleAllocated())
      PostMessage(FilterEditor()->Handle(), WM_CHAR, static_cast<WPARAM>(Key), 0);
    Key = 0;
    return;
  }
  if (FOptionsX.Contains(gxoEnterAsTab) && Key == 13) Key = 9;
  if (Key == 13 && !FDataOptions.Contains(gdoAlwaysShowEditor) && FDataLink->Active()) FDataLink->UpdateRecord();
  // A character beyond the BMP comes as two messages: the search takes it whole.
  char32_t typed = 0;
  if (Key >= 32)
    typed = FTypedChar.Join(Key);
  else
    FTypedChar.Clear();
  FCharBuffer.clear();
  if (typed) Utf8Append(FCharBuffer, typed);
  TCustomGrid::KeyPress(Key);
  if (Key == 0 || Key == 9) {
    if (Key == 9) Key = 0;  // Tab moved already (KeyDown)
    return;
  }
  if (Key > 31 && Key != 127 && TypingSearches() && FDataLink->Active()) {
    if (!typed) {
      Key = 0;  // the first half waits for its second
      return;
    }
    TDataSetState st = FDataLink->DataSet()->State();
    if (st != dsEdit && st != dsInsert && st != dsSetKey) {
      if (!(Key == ' ' && CurrentColumnStepsValues())) {
        if (FInSearch) InplaceSearch(FCharBuffer, FSearchTimeout, 0);
        else InplaceSearch(FCharBuffer, SearchTimeoutDefault, 0);
        Key = 0;
      }
    }
  }
}

void TCustomDBGridX::WMChar(TMessage& Message) {
  WideChar ch = static_cast<WideChar>(Message.WParam);
  if (ch == ' ' && CurrentColumnStepsValues()) {
    TColumnX* c = ColumnAt(GetSelectedIndex());
    c->StepValue(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
    FCharBuffer.clear();
    return;
  }
  TCustomGrid::Dispatch(Message);
  FCharBuffer.clear();
}
