#include "datagrid/DBGridX.h"

#include <algorithm>

#include "dataedit/ToolCtrlsX.h"
#include "datagrid/DBGridXInplace.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/controls/menus.h"
#include "platform/win/windows.h"
#include "platform/rtl/sysutils.h"

namespace {

template <typename E>
TSet<E> FromBits(uint32_t Bits, int Count) {
  TSet<E> s;
  for (int i = 0; i < Count; ++i)
    if (Bits & (1u << i)) s.Include(static_cast<E>(i));
  return s;
}

template <typename E>
uint32_t ToBits(TSet<E> S, int Count) {
  uint32_t b = 0;
  for (int i = 0; i < Count; ++i)
    if (S.Contains(static_cast<E>(i))) b |= 1u << i;
  return b;
}

}  // namespace

TGridXDataOptions GridXDataOptionsFromBits(uint32_t Bits) { return FromBits<TGridXDataOption>(Bits, 13); }
uint32_t GridXDataOptionsBits(TGridXDataOptions Options) { return ToBits(Options, 13); }
TGridXExtOptions GridXExtOptionsFromBits(uint32_t Bits) { return FromBits<TGridXExtOption>(Bits, 17); }
uint32_t GridXExtOptionsBits(TGridXExtOptions Options) { return ToBits(Options, 17); }

// ---------------------------------------------------------------------------------------------------
// Selected records

int TBookmarkListX::Compare(const TBookmark& A, const TBookmark& B) const {
  TDataSet* ds = FGrid->DataLink()->DataSet();
  return ds ? ds->CompareBookmarks(A, B) : A.compare(B);
}

bool TBookmarkListX::Find(const TBookmark& Item, int& Index) const { return SearchBookmark(Item, Index); }

bool TBookmarkListX::CurrentRowSelected() const {
  TDataSet* ds = FGrid->DataLink()->DataSet();
  if (!FGrid->DataLink()->Active() || !ds || ds->IsEmpty()) return false;
  int i = 0;
  return Find(ds->Bookmark(), i);
}

void TBookmarkListX::SetCurrentRowSelected(bool Value) {
  TDataSet* ds = FGrid->DataLink()->DataSet();
  if (!FGrid->DataLink()->Active() || !ds || ds->IsEmpty()) return;
  TBookmark b = ds->Bookmark();
  int i = 0;
  bool found = Find(b, i);
  if (found == Value) return;
  if (Value) FList.insert(FList.begin() + i, b);
  else FList.erase(FList.begin() + i);
  ForgetLookup();
  FGrid->Invalidate();
  // Marking a record makes the selection a records selection.
  TDBGridXSelection* sel = FGrid->SelectionX();
  if (sel && sel->Kind() != selRecordsX && !FList.empty()) {
    sel->EmptySelection();  // another kind's part; the rows stay
    sel->SetKind(selRecordsX);
  }
  if (sel) sel->CheckEmpty();
}

void TBookmarkListX::Clear() {
  if (FList.empty()) return;
  FList.clear();
  ForgetLookup();
  FGrid->Invalidate();
  if (FGrid->SelectionX()) FGrid->SelectionX()->CheckEmpty();
}

bool TBookmarkListX::Refresh() {
  TDataSet* ds = FGrid->DataLink()->DataSet();
  if (!ds) return false;
  size_t before = FList.size();
  FList.erase(std::remove_if(FList.begin(), FList.end(), [ds](const TBookmark& b) { return !ds->BookmarkValid(b); }),
              FList.end());
  bool changed = FList.size() != before;
  ForgetLookup();
  if (changed) FGrid->Invalidate();
  return changed;
}

void TBookmarkListX::SelectAll() {
  TDataSet* ds = FGrid->DataLink()->DataSet();
  if (!FGrid->DataLink()->Active() || !ds) return;
  ds->DisableControls();
  TBookmark keep = ds->Bookmark();
  FList.clear();
  try {
    for (ds->First(); !ds->Eof(); ds->Next()) FList.push_back(ds->Bookmark());
  } catch (...) {
    ds->GotoBookmark(keep);
    ds->EnableControls();
    throw;
  }
  std::sort(FList.begin(), FList.end(), [this](const TBookmark& a, const TBookmark& b) { return Compare(a, b) < 0; });
  ForgetLookup();
  if (TDBGridXSelection* sel = FGrid->SelectionX(); sel && !FList.empty() && sel->Kind() != selRecordsX) {
    std::vector<TBookmark> all;
    all.swap(FList);
    sel->EmptySelection();
    FList.swap(all);
    sel->SetKind(selRecordsX);
  }
  ds->GotoBookmark(keep);
  ds->EnableControls();
  FGrid->Invalidate();
}

// ---------------------------------------------------------------------------------------------------
// Grid

TCustomDBGridX::TCustomDBGridX(TComponent* AOwner) : TCustomGrid(AOwner) {
  // The unit's images, cursors, default style and data service are what a grid draws and sorts with.
  DBGridXUnit::EnsureInitialized();
  FStyle = DefaultGridStyle;
  if (FStyle) FStyle->AttachGrid(this);
  SetDefaultDrawing(false);
  FTitleOffset = FilterRowVisible() + 0;  // Options are still empty: no title row yet
  FIndicatorOffset = 1;
  FDataOptions = GridXDataOptionsFromBits(0x0CFD);
  SetScrollBars(ssHorizontal);
  TCustomGrid::SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goColSizing, goColMoving,
                           goEditing, goTabs});
  FColumnDefValues.reset(CreateColumnDefValues());
  FColumns.reset(CreateColumns());
  SetRowCount(2);
  SetColCount(2);
  FDataLink = std::make_unique<TGridDataLinkX>(this);
  SetColor(clWindow);
  SetParentColor(false);
  FTitleFont = std::make_unique<TFont>();
  FTitleFont->OnChange = [this](TObject*) {
    if (!IsLoading()) SetParentFont(false);
    if (FDataOptions.Contains(gdoTitles)) LayoutChanged();
  };
  FSelectedRows = std::make_unique<TBookmarkListX>(this);
  FTitleTree.reset(THeadTreeNode::CreateCaption("Root", 0, 10));
  FOptionsX = GridXExtOptionsFromBits(0x61);
  FAllowedOperations = {geoInsert, geoUpdate, geoDelete, geoAppend};
  FFooterFont = std::make_unique<TFont>();
  FFooterFont->OnChange = [this](TObject*) { FooterFontChanged(); };
  FCellTextMargin = 4;
  FAllowedSelections = {selRecordsX, selRectangleX, selColumnsX, selAllX};
  FSelection = std::make_unique<TDBGridXSelection>(this);
}

TCustomDBGridX::~TCustomDBGridX() {
  ReleaseEditorMRUList();
  FSelection.reset();
  if (FStyle) FStyle->DetachGrid(this);
  FTitleFont->OnChange = nullptr;
  FFooterFont->OnChange = nullptr;
  FDataLink->SetDataSource(nullptr);
  FColumns.reset();
}

TDBGridColumnsX* TCustomDBGridX::CreateColumns() {
  return new TDBGridColumnsX(this, TDBGridColumnX::StaticClass(), MakeItemFactory<TDBGridColumnX>());
}

TColumnDefValuesX* TCustomDBGridX::CreateColumnDefValues() { return new TDBGridXColumnDefValuesX(this); }

TField* TCustomDBGridX::GetSelectedField() const {
  TColumnX* c = ColumnAt(GetSelectedIndex());
  return c ? c->Field() : nullptr;
}

TColumnX* TCustomDBGridX::ColumnAt(int I) const {
  return I >= 0 && I < FColumns->Count() ? FColumns->Items(I) : nullptr;
}

THeadTreeNode* TCustomDBGridX::TitleColumnNode(int I) const {
  return I >= 0 && I < static_cast<int>(FTitleColumnNodes.size()) ? FTitleColumnNodes[static_cast<size_t>(I)]
                                                                  : nullptr;
}

void TCustomDBGridX::SetDataSource(TDataSource* Value) {
  if (Value == DataSource()) return;
  FSelectedRows->Clear();
  if (FSelection) FSelection->EmptySelection();
  FDataLink->SetDataSource(Value);
  if (Value) Value->FreeNotification(this);
  DataLinkActiveChanged(FDataLink->Active());
}

void TCustomDBGridX::SetReadOnly(bool Value) {
  FReadOnly = Value;
  Invalidate();
}

void TCustomDBGridX::SetOptions(TGridXDataOptions Value) {
  if (Value.Contains(gdoRowSelect)) {
    Value.Exclude(gdoEditing);
    Value.Exclude(gdoAlwaysShowEditor);
  }
  // Under the old options, as a move would: the selected rows and any other selection go.
  if (FDataOptions.Contains(gdoMultiSelect) && !Value.Contains(gdoMultiSelect)) ClearSelectionOnMove();
  TGridOptions g;
  if (Value.Contains(gdoColLines)) { g.Include(goFixedVertLine); g.Include(goVertLine); }
  if (Value.Contains(gdoRowLines)) { g.Include(goFixedHorzLine); g.Include(goHorzLine); }
  if (Value.Contains(gdoColumnResize)) { g.Include(goColSizing); g.Include(goColMoving); }
  if (Value.Contains(gdoTabs)) g.Include(goTabs);
  if (Value.Contains(gdoRowSelect)) g.Include(goRowSelect);
  if (Value.Contains(gdoEditing)) g.Include(goEditing);
  if (Value.Contains(gdoAlwaysShowEditor)) g.Include(goAlwaysShowEditor);
  if (FRowSizingAllowed) g.Include(goRowSizing);
  uint32_t changed = GridXDataOptionsBits(Value) ^ GridXDataOptionsBits(FDataOptions);
  FDataOptions = Value;
  TCustomGrid::SetOptions(g);
  // Editing, editor, titles, indicator, lines, row select and selection display change the layout.
  if (changed & 0x36F) LayoutChanged();
}

void TCustomDBGridX::SetOptionsX(TGridXExtOptions Value) {
  if (FOptionsX.Contains(gxoMultiSortMarking) && !Value.Contains(gxoMultiSortMarking)) {
    // Only the first sort column keeps its marker once several may no longer be marked.
    TColumnsXList marked = FSortMarkedColumns;
    for (size_t i = 1; i < marked.size(); ++i)
      if (marked[i]) marked[i]->Title()->SetSortMarker(smNoneX);
  }
  FOptionsX = Value;
  LayoutChanged();
}

void TCustomDBGridX::SetTitleFont(TFont* Value) { FTitleFont->Assign(Value); }

void TCustomDBGridX::SetFooterColor(TColor Value) {
  if (!IsLoading()) SetParentColor(false);
  FFooterColor = Value;
  RepaintFooters();
}

void TCustomDBGridX::SetFlat(bool Value) {
  if (Value == FFlat) return;
  FFlat = Value;
  FCellTextMargin = Value ? 2 : 4;
  if (HandleAllocated()) RecreateWnd();  // the border comes from CreateParams
  LayoutChanged();
}

void TCustomDBGridX::SetUseMultiTitle(bool Value) {
  FUseMultiTitle = Value;
  LayoutChanged();
}

void TCustomDBGridX::SetFrozenCols(int Value) {
  FFrozenCols = std::max(0, Value);
  LayoutChanged();
}

void TCustomDBGridX::SetRowHeight(int Value) {
  FRowHeight = std::max(0, Value);
  LayoutChanged();
}

void TCustomDBGridX::SetRowLines(int Value) {
  FRowLines = Value;
  LayoutChanged();
}

void TCustomDBGridX::SetAutoFitColWidths(bool Value) {
  if (Value != FAutoFitColWidths && !IsDesigning()) {
    if (Value) {
      // Each column's width becomes its share; switching off gives the widths back.
      if (!IsLoading())
        for (int i = 0; i < FColumns->Count(); ++i) FColumns->Items(i)->SetAutoFitBaseWidth(FColumns->Items(i)->Width());
      SetScrollBars(ssNone);
    } else {
      // Off before the widths come back, so that nothing fits them again meanwhile.
      FAutoFitColWidths = false;
      FColumns->BeginUpdate();
      for (int i = 0; i < FColumns->Count(); ++i) {
        TColumnX* c = FColumns->Items(i);
        if (c->AutoFitBaseWidth() > 0) c->SetWidth(c->AutoFitBaseWidth());
      }
      FColumns->EndUpdate();
      SetScrollBars(ssHorizontal);
    }
  }
  FAutoFitColWidths = Value;
  LayoutChanged();
}

// ---- colours

bool TCustomDBGridX::HasFocusInside() {
  return Focused() || (InplaceEditor() && InplaceEditor()->Focused());
}

bool TCustomDBGridX::GetDataCellColors(int ACol, int ARow, TFont* Font, TColor& Background, TGridDrawState State,
                                       bool Selected, bool Current, bool CurrentRow) {
  if (FStyle) return FStyle->GetDataCellColors(this, ACol, ARow, Font, Background, State, Selected, Current, CurrentRow);
  bool focused = HasFocusInside();
  bool currentCell = Current || (FDataOptions.Contains(gdoRowSelect) && CurrentRow);
  if (!Selected && !(currentCell && (focused || FDataOptions.Contains(gdoAlwaysShowSelection)))) return false;
  if (focused) {
    Background = clHighlight;
    Font->SetColor(clHighlightText);
  } else if (currentCell) {
    Background = clBtnShadow;
    Font->SetColor(clHighlightText);
  } else {
    Background = clBtnFace;
  }
  return true;
}

bool TCustomDBGridX::GetFixedCellColors(int ColKind, int RowKind, TFont* Font, TColor& Background) {
  if (FStyle) return FStyle->GetFixedCellColors(this, ColKind, RowKind, Font, Background);
  if ((ColKind == 0 && RowKind != 3) || (ColKind == 1 && RowKind < 2)) {
    Background = static_cast<TColor>(RGB(64, 64, 64));
    Font->SetColor(clWhite);
  } else if (HasFocusInside()) {
    Background = clHighlight;
    Font->SetColor(clHighlightText);
  } else {
    Background = clBtnFace;
  }
  return true;
}

// ---- locks

void TCustomDBGridX::BeginLayout() {
  BeginUpdate();
  if (FLayoutLock == 0) FColumns->BeginUpdate();
  ++FLayoutLock;
}

void TCustomDBGridX::EndLayout() {
  struct Unlock {
    TCustomDBGridX* G;
    ~Unlock() {
      if (G->FLayoutLock == 1) G->FColumns->EndUpdate();
      --G->FLayoutLock;
      G->EndUpdate();
    }
  };
  Unlock u{this};
  if (FLayoutLock == 1) InternalLayout();
}

void TCustomDBGridX::ReleaseLayoutLock() {
  if (FLayoutLock == 1) FColumns->EndUpdate();
  --FLayoutLock;
  EndUpdate();
}

bool TCustomDBGridX::AcquireLayoutLock() {
  if (FUpdateLock != 0 || FLayoutLock != 0) return false;
  BeginLayout();
  return true;
}

void TCustomDBGridX::LayoutChanged() {
  if (AcquireLayoutLock()) EndLayout();
}

void TCustomDBGridX::Loaded() {
  TCustomGrid::Loaded();
  // Sort indexes read with the columns: the marked list follows them.
  RebuildSortMarkedColumns();
  if (FAutoFitColWidths && !IsDesigning()) {
    // The widths read are the columns' shares of the client width.
    for (int i = 0; i < FColumns->Count(); ++i) FColumns->Items(i)->SetAutoFitBaseWidth(FColumns->Items(i)->Width());
    SetScrollBars(ssNone);
  }
  LayoutChanged();
  DeferLayout();
}

void TCustomDBGridX::Resize() {
  TCustomGrid::Resize();
  // More or fewer records fit: the link's buffer follows.
  // With a window, its WM_SIZE has done that (DBGridXMessages.cpp) without a whole layout, which would
  // also close an open cell editor.
  if (FDataLink && FDataLink->Active() && (!HandleAllocated() || FAutoFitColWidths)) LayoutChanged();
}

void TCustomDBGridX::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomGrid::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  TitleImagesNotification(AComponent, Operation);
  if (FDataLink && AComponent == DataSource()) SetDataSource(nullptr);
  ScrollBarNotification(AComponent);
  RandomAccessNotification(AComponent);
  if (FColumns)
    for (int i = 0; i < FColumns->Count(); ++i) {
      FColumns->Items(i)->ListSourceGone(AComponent);
      FColumns->Items(i)->ImageListGone(AComponent);
    }
  if (auto* f = dynamic_cast<TField*>(AComponent)) {
    BeginLayout();
    for (int i = 0; i < FColumns->Count(); ++i)
      if (FColumns->Items(i)->FField == f) FColumns->Items(i)->SetField(nullptr);
    // While the data set's controls are disabled the layout waits for the deferred-layout message.
    TDataSet* ds = FDataLink->DataSet();
    if (ds && ds->ControlsDisabled()) DeferLayout();
    else EndLayout();
  }
  // By address: a component being destroyed is no longer of its own class.
  for (int i = 0; i < FColumns->Count(); ++i)
    if (FColumns->Items(i)->PopupMenu() && static_cast<TComponent*>(FColumns->Items(i)->PopupMenu()) == AComponent)
      FColumns->Items(i)->SetPopupMenu(nullptr);
  // The columns' edit buttons forget a drop-down menu freed elsewhere.
  for (int i = 0; i < FColumns->Count(); ++i)
    if (TEditButtonsX* eb = FColumns->Items(i)->FEditButtons.get())
      for (int j = 0; j < eb->Count(); ++j) eb->Items(j)->ForgetDropdownMenu(AComponent);
}

void TCustomDBGridX::ChangeScale(int M, int D) {
  if (M == D || D == 0) return;
  // Each font keeps its own size: the title font scales from its own size, not the grid font's.
  if (!ParentFont()) {
    FTitleFont->SetSize(MulDiv(FTitleFont->Size(), M, D));
    FFooterFont->SetSize(MulDiv(FFooterFont->Size(), M, D));
  }
  FColumns->BeginUpdate();
  int sum = 0, prev = 0;
  for (int i = 0; i < FColumns->Count(); ++i) {
    TColumnX* c = FColumns->Items(i);
    if (c->Has(cvFont)) c->Font()->SetSize(MulDiv(c->Font()->Size(), M, D));
    if (c->Has(cvTitleFont)) c->Title()->Font()->SetSize(MulDiv(c->Title()->Font()->Size(), M, D));
    auto scaleFooter = [&](TColumnFooterX* F) {
      if (F->FontStored()) F->Font()->SetSize(MulDiv(F->Font()->Size(), M, D));
    };
    scaleFooter(c->Footer());
    for (int k = 0; k < c->Footers()->Count(); ++k) scaleFooter(c->Footers()->Items(k));
    sum += c->Width();
    int scaled = MulDiv(sum, M, D);
    c->SetWidth(scaled - prev);
    prev = scaled;
  }
  FColumns->EndUpdate();
}

// ---- data link reactions

void TCustomDBGridX::DataLinkActiveChanged(bool Value) {
  RefreshRandomAccessInterface();  // the layout below follows the row model
  if (!Value) HideEditor();
  if (FSelection) FSelection->DataActiveChanged(Value);
  RebindAllFooterSums();
  LayoutChanged();
  if (Value && EditorShownAlways()) ShowCellEditor();
  Invalidate();
}

void TCustomDBGridX::UpdateRowCount() {
  // A cell being edited keeps its editor, its text and its record through the new rows.
  TEditorKeep keep = BeginKeepEditor();
  try {
    LayOutDataRows();
  } catch (...) {
    --FRowCountDepth;
    throw;
  }
  EndKeepEditor(keep);
}

TCustomDBGridX::TEditorKeep TCustomDBGridX::BeginKeepEditor() {
  // Fewer rows or a narrower client area hide the editor on the way, the link's buffer may put the
  // record on another row, and the data set's change notice forgets that the editor's text was typed:
  // all are put back by EndKeepEditor. (The window may be hidden already: a client area that no longer
  // reaches the cell hides it.) Nested calls (the data set's change notice lays the rows out again)
  // leave that to the outermost one.
  TEditorKeep k;
  TDBGridInplaceEdit* editor = InplaceEditX();
  k.Keep = FRowCountDepth == 0 && FDataLink && FDataLink->Active() && EditorMode() && editor &&
           editor->EditCol() >= 0 && editor->EditRow() >= 0;
  k.Changed = FDataLink && FDataLink->EditorChanged();
  if (k.Keep) {
    k.Text = editor->Text();
    k.TextAfterClose = editor->TextWithoutBrowsedItem();
    k.SelStart = editor->SelStart();
    k.SelLength = editor->SelLength();
  }
  ++FRowCountDepth;
  return k;
}

void TCustomDBGridX::EndKeepEditor(const TEditorKeep& K) {
  --FRowCountDepth;
  if (!K.Keep) return;
  TDBGridInplaceEdit* editor = InplaceEditX();
  SyncCurrentRow();
  if (K.Changed) FDataLink->MarkEditorChanged();
  // A narrower grid may have left the edited column out of view: the view moves to it, as a move to
  // the column would, so that the editor stays where the user can see it.
  if (HandleAllocated() && Col() >= FixedCols() && Col() < ColCount() && CellRect(Col(), Row()).IsEmpty()) {
    if (Col() < LeftCol()) {
      SetLeftCol(Col());
    } else {
      TGridDrawInfo info;
      CalcDrawInfo(info);
      while (Col() > info.Horz.LastFullVisibleCell && LeftCol() < Col()) {
        int before = LeftCol();
        SetLeftCol(before + 1);
        if (LeftCol() == before) break;  // as far as the grid scrolls
        CalcDrawInfo(info);
      }
    }
  }
  // The editor was open before: it opens again even while the focus is elsewhere on the form (a
  // button pressed before the size change) or a layout lock is still held (a font change).
  FReopeningEditor = true;
  try {
    if (!EditorMode() || !editor->Visible() || editor->EditRow() != Row() || editor->EditCol() != Col()) ShowEditor();
    else InvalidateEditor();
  } catch (...) {
    FReopeningEditor = false;
    throw;
  }
  FReopeningEditor = false;
  // A list the new layout closed goes back from an item only browsed to, as any close without a pick does.
  // An editor left hidden because its cell has no room (the frozen columns fill the client width) is still
  // the edit of that cell: it keeps the typed text for when it shows again or the edit ends.
  const std::string& text = editor->ListShown() ? K.Text : K.TextAfterClose;
  if (EditorMode() && (editor->Visible() || (editor->EditRow() == Row() && editor->EditCol() == Col())) &&
      editor->Text() != text)
    editor->KeepTypedText(text, K.SelStart, K.SelLength);
}

void TCustomDBGridX::LayOutDataRows() {
  // The grid shows the link's buffer: one grid row per buffered record, so painting and paging cost
  // the same for any record count. The buffer holds the whole rows that fit between the rows above
  // the data (titles, filter row) and the footers; a gap row pushes the footers to the bottom.
  if (!FDataLink) return;
  RefreshRandomAccessInterface();
  int oldRows = RowCount();
  if (FTitleOffset >= RowCount()) SetRowCount(FTitleOffset + 1);
  SetFixedRows(FTitleOffset);
  int line = FDataOptions.Contains(gdoRowLines) ? GridLineWidth() : 0;
  int rowH = std::max(1, DefaultRowHeight() + line);
  int titles = std::min(TitleRowCount(), FTitleOffset);
  int footers = FooterRowCount();
  int used = 0;
  if (titles > 0) used += (FTitleRowHeight > 0 ? FTitleRowHeight : RowHeights(0)) + line;
  used += (FTitleOffset - titles) * rowH;
  used += footers * rowH + (footers > 0 ? line : 0);
  if (footers > 0) {
    // The gap row goes back to the default height before it is sized again.
    SetDefaultRowHeight(DefaultRowHeight());
    if (titles > 0 && FTitleRowHeight > 0) SetRowHeights(0, FTitleRowHeight);
  }
  if (FRandomAccessData) {
    // One row per record; the grid scrolls its own view.
    RandomAccessRowCountChanged();
    if (RowCount() != oldRows) Invalidate();
    return;
  }
  if (TopRow() != FixedRows()) SetTopRow(FixedRows());
  TDataSet* ds = FDataLink->DataSet();
  if (FDataLink->Active() && ds && !ds->IsEmpty() && HandleAllocated()) {
    FDataLink->SetBufferCount(std::max(1, (ClientHeight() - used) / rowH));
    int d = std::max(1, FDataLink->RecordCount());
    used += d * rowH;
    if (footers == 0) {
      SetRowCount(FTitleOffset + d);
    } else {
      SetRowCount(FTitleOffset + d + 1 + footers);
      SetRowHeights(FTitleOffset + d, std::max(0, ClientHeight() - used));
    }
  } else {
    SetRowCount(FTitleOffset + 1);
    used += rowH;
    if (HandleAllocated() && footers > 0) {
      SetRowCount(FTitleOffset + 2 + footers);
      SetRowHeights(FTitleOffset + 1, std::max(0, ClientHeight() - used));
    }
  }
  SetFixedRows(FTitleOffset);
  if (RowCount() != oldRows) Invalidate();
}

void TCustomDBGridX::SyncCurrentRow() {
  if (!FDataLink->Active()) return;
  int r = FTitleOffset + ActiveDataRow();
  if (r < RowCount() && r != Row()) MoveColRow(Col(), r, false, false);
}

void TCustomDBGridX::DataChanged() {
  if (!FDataLink->Active()) return;
  if (FSelection) FSelection->DataSetChanged();
  if (FRandomAccessData) {
    SyncCurrentRecord();
    Invalidate();
    return;
  }
  UpdateRowCount();
  SyncCurrentRow();
  // The row may show another record now (one was deleted, the order or the filter changed): an open
  // editor shows that record's value. Text typed before was handed to the record by the data set's
  // UpdateRecord before it changed.
  // (Also an editor hidden because its cell is out of view: it comes back with the row's record.)
  if (EditorMode() && InplaceEditor()) InvalidateEditorText();
  Invalidate();
  UpdateVertScrollBar();
}

void TCustomDBGridX::Scroll(int Distance) {
  // Another record became current: a running search ends unless it moved there itself.
  if (FInSearch && !FSearchPositioning) StopInplaceSearch();
  if (FRandomAccessData) {
    SyncCurrentRecord();
    return;
  }
  if (!HandleAllocated()) {
    UpdateRowCount();
    SyncCurrentRow();
    return;
  }
  ScrollDataRows(Distance);
}

void TCustomDBGridX::ColumnsChanged(TColumnX* Column) {
  if (FLayoutLock != 0 || !RedistributeAutoFitWidth(Column)) {
    if (FLayoutLock == 0) LayoutChanged();
    else Invalidate();
    if (FLayoutLock == 0) KeepCurrentColumnVisible();
  }
  // An open editor follows its column (read-only state, button style, colour, font).
  if (FUpdateLock == 0) InvalidateEditorX();
}

void TCustomDBGridX::SetColumnAttributes() {
  for (int i = 0; i < FColumns->Count(); ++i) {
    TColumnX* c = FColumns->Items(i);
    int raw = DataToRawColumn(i);
    if (raw >= ColCount()) break;
    TField* f = c->Field();
    bool fieldReadOnly = f && f->ReadOnly();
    if (f && f->Lookup() && !fieldReadOnly && f->DataSet()) {
      // A lookup is written through its key fields: one read-only key makes it read-only.
      std::vector<TField*> keys;
      try {
        f->DataSet()->GetFieldList(keys, f->KeyFields());
      } catch (EDatabaseError&) {
        keys.clear();
      }
      for (TField* k : keys) fieldReadOnly = fieldReadOnly || k->ReadOnly();
    }
    SetTabStops(raw, c->Visible() && !c->ReadOnly() && FDataLink->Active() && f && !f->Calculated() && !fieldReadOnly);
    SetColWidths(raw, c->Visible() ? c->Width() : (FDataOptions.Contains(gdoColLines) ? -1 : 0));
  }
  if (FDataOptions.Contains(gdoIndicator) && ColCount() > 0) SetColWidths(0, 11);
}

void TCustomDBGridX::InternalLayout() {
  if (IsLoading()) return;
  struct ScreenDC {
    TCustomDBGridX* G;
    bool Borrowed;
    ~ScreenDC() {
      if (Borrowed) G->ReturnScreenDC();
    }
  } screenDC{this, BorrowScreenDC()};
  if (HandleAllocated()) {
    MSG queued;  // a deferred layout still queued is this one
    PeekMessage(&queued, Handle(), WM_DEFERLAYOUTX, WM_DEFERLAYOUTX, PM_REMOVE);
  }
  FLayoutBusy = true;
  // Columns the grid made itself never stand before the user's.
  bool sawGenerated = false, mixed = false;
  for (int i = 0; i < FColumns->Count(); ++i) {
    if (!FColumns->Items(i)->Persistent()) sawGenerated = true;
    else if (sawGenerated) mixed = true;
  }
  if (mixed)
    for (int i = FColumns->Count() - 1; i >= 0; --i)
      if (!FColumns->Items(i)->Persistent()) delete FColumns->Items(i);

  FIndicatorOffset = FDataOptions.Contains(gdoIndicator) ? 1 : 0;
  FDataLink->ResetFieldMap();
  if (FDataLink->Active()) BuildFieldMap();

  if (!FColumns->Customised()) {
    FDataLink->InUpdateData = true;
    if (!FDataLink->Active()) {
      FColumns->Clear();
    } else {
      for (int i = FColumns->Count() - 1; i >= 0; --i) {
        TField* f = FColumns->Items(i)->FField;
        bool mapped = false;
        for (int k = 0; k < FDataLink->MappedCount(); ++k) mapped |= FDataLink->MappedField(k) == f;
        if (!mapped) delete FColumns->Items(i);
      }
      for (int k = 0; k < FDataLink->MappedCount(); ++k) {
        TField* f = FDataLink->MappedField(k);
        TColumnX* found = nullptr;
        for (int j = k; j < FColumns->Count() && !found; ++j)
          if (FColumns->Items(j)->FField == f) found = FColumns->Items(j);
        if (!found) {
          found = FColumns->AddGenerated();
          found->SetField(f);
        }
        found->SetIndex(k);
      }
    }
    FDataLink->InUpdateData = false;
  }

  if (FSelection) {
    FSelection->Columns()->Refresh();
    FSelection->CheckEmpty();
  }
  FVisibleColumns.clear();
  for (int i = 0; i < FColumns->Count(); ++i)
    if (FColumns->Items(i)->Visible()) FVisibleColumns.push_back(FColumns->Items(i));

  int cols = FColumns->Count() + FIndicatorOffset;
  SetColCount(std::max(1, std::max(cols, FIndicatorOffset + 1)));
  // Hidden columns among the frozen ones, and right after them, are fixed too: the frozen columns the
  // user sees stay the ones asked for, and no hidden column starts the scrolling part.
  int hiddenExtra = 0;
  if (FFrozenCols > 0) {
    int n = FColumns->Count();
    for (int i = 0; i < std::min(FFrozenCols, n); ++i)
      if (!FColumns->Items(i)->Visible()) ++hiddenExtra;
    for (int i = FFrozenCols; i < n && !FColumns->Items(i)->Visible(); ++i) ++hiddenExtra;
  }
  int fixed = FIndicatorOffset + hiddenExtra;
  if (FDataLink->Active() || FColumns->Customised()) fixed += std::min(FFrozenCols, std::max(0, FColumns->Count() - 1));
  if (FVisibleColumns.empty() && fixed > FIndicatorOffset) --fixed;
  if (fixed >= ColCount()) fixed = ColCount() - 1;
  SetFixedCols(std::max(0, fixed));

  FTitleOffset = FilterRowVisible() + TitleRowCount();

  // Row metrics from the fonts.
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  int h = c->TextHeight("Wg");
  int extra = (FFlat ? 1 : 3) + (FDataOptions.Contains(gdoRowLines) ? GridLineWidth() : 0);
  int rowH = (FRowHeight > 0 || FRowLines > 0) ? FRowHeight + h * FRowLines : h + extra;
  if (rowH < 1) rowH = h + extra;
  rowH = LayoutRowMetrics(rowH, h, extra);
  SetDefaultRowHeight(rowH);

  UpdateRowCount();

  auto layoutTitles = [&]() {
    if (!FDataOptions.Contains(gdoTitles)) return;
    int th = 0;
    for (int i = 0; i < FColumns->Count(); ++i) {
      c->Font()->Assign(FColumns->Items(i)->Title()->Font());
      th = std::max(th, c->TextHeight("Wg") + FCellTextMargin);
    }
    if (FColumns->Count() == 0) {
      c->Font()->Assign(FTitleFont.get());
      th = c->TextHeight("Wg") + FCellTextMargin;
    }
    FTitleRowHeight = th;
    if (FTitleHeight > 0 || FTitleLineCount > 0) FTitleRowHeight = FixedTitleRowHeight(th - FCellTextMargin);
    if (FUseMultiTitle) {
      std::vector<TTitleLeafInfo> leaves;
      for (int i = 0; i < FColumns->Count(); ++i) {
        TColumnX* col = FColumns->Items(i);
        TTitleLeafInfo l;
        l.Caption = col->Title()->Caption();
        l.Width = col->Visible() ? col->Width() : (FDataOptions.Contains(gdoColLines) ? -1 : 0);
        l.Column = col;
        l.SortIndent = col->Title()->SortMarker() != smNoneX ? 16 : 0;
        l.LineWidth = FDataOptions.Contains(gdoColLines) ? 1 : 0;
        leaves.push_back(l);
      }
      // Every band as tall as its caption wrapped to its width; the row as tall as the tallest
      // column of bands (less what the leaves' cells add back when they are drawn).
      BuildTitleTree(FTitleTree.get(), leaves, FTitleRowHeight, 20, FTitleColumnNodes);
      FTitleRowHeight = MeasureTitleNode(FTitleTree.get()) - (FOptionsX.Contains(gxoFixed3D) ? 1 : 3);
    } else {
      FitTitleRowToVerticalTitles();
    }
    if (FTitleOffset > 0) SetRowHeights(0, FTitleRowHeight);
  };
  layoutTitles();
  UpdateRowCount();  // again, now that the title row has its height
  UpdateScrollBarStyle();
  if (FAutoFitColWidths && !IsDesigning() && HandleAllocated()) {
    SetColumnAttributes();
    AutoFitLayout();
    if (FUseMultiTitle) {
      // Captions wrap to the widths the columns now have.
      layoutTitles();
      UpdateRowCount();
    }
  }
  SetColumnAttributes();
  SyncCurrentRow();
  FLayoutBusy = false;
  Invalidate();
  UpdateVertScrollBar();
  UpdateHorzExtScrollBar();
  // A filter cell being edited may have moved (widths, title height): its editor goes with it.
  if (FFilterEditing && FFilterEditor) PlaceFilterEditor(false);
}

// ---- drawing: DBGridXCells.cpp (cells) and DBGridXPaint.cpp (the whole grid)

// ---- cell bands

int TCustomDBGridX::GetCellType(int ACol, int ARow, int& DataCol, int& DataRow, bool Painting) {
  DataCol = ACol;
  DataRow = ARow;
  int colKind = 0;
  if (ACol >= FIndicatorOffset) {
    colKind = 1;
    DataCol -= FIndicatorOffset;
  }
  int titles = TitleRowCount();
  int footers = FooterRowCount();
  int bottom = footers > 0 ? RowCount() - footers - 2 : RowCount() - 1;
  int rowKind = -1;
  if (ARow >= 0 && ARow < RowCount()) {
    if (ARow < titles) {
      rowKind = 0;
    } else if (ARow < titles + FilterRowVisible()) {
      rowKind = 1;
      DataRow -= titles;
    } else if (ARow >= FTitleOffset && ARow <= bottom) {
      rowKind = 2;
      DataRow -= FTitleOffset;
    } else if (ARow == bottom + 1) {
      rowKind = 3;
      DataRow = 0;
    } else if (ARow > bottom + 1) {
      rowKind = 4;
      DataRow -= bottom + 1;
    }
  }
  if (rowKind < 0) {
    if (!Painting) throw Exception("Algorithm error in TCustomDBGridX.GetCellType");
    rowKind = 2;
    DataRow = ARow - FTitleOffset;
  }
  return colKind | (rowKind << 8);
}

bool TCustomDBGridX::CellHas3DFrame(int ACol, int ARow, TGridDrawState State) {
  int dc = 0, dr = 0;
  int kind = GetCellType(ACol, ARow, dc, dr, true);
  int colKind = kind & 0xFF, rowKind = kind >> 8;
  bool fixed = State.Contains(gdFixed);
  bool footers = FooterRowCount() > 0;
  bool gap = rowKind == 3, footer = rowKind == 4;
  const auto& o = FOptionsX;
  if (fixed && o.Contains(gxoFixed3D) && (!footers || !gap) && (colKind == 0 || rowKind == 0)) return true;
  if (o.Contains(gxoFooter3D) && footers && footer) return true;
  if (o.Contains(gxoData3D) && !fixed && !footer) return true;
  if (o.Contains(gxoFixed3D) && (o.Contains(gxoData3D) || o.Contains(gxoFrozen3D)) && footers && colKind == 0 && gap)
    return true;
  if (o.Contains(gxoFrozen3D) && fixed && colKind == 1 && ARow - FTitleOffset >= 0) return true;
  return false;
}
