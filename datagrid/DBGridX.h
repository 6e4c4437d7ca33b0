#pragma once
// The data-aware grid: TCustomDBGridX shows the records of a data set in rows and its fields in
// columns (TColumnX), one column per field by default or the user's own column list. It descends from
// the grid base and replaces what depends on data: the column count follows the columns, row 0 holds
// the titles (a multi-level title tree when captions contain "|"), column 0 is the record indicator.
//
// What is here: the options and their mapping onto the grid base, creation defaults, the layout locks,
// the layout (binding columns to fields, fixed columns, row and title heights, the title tree), the
// data link that follows the data set, cell text drawing and the selected-records bookmark list.
// Keyboard, mouse, scrolling, editing, footers, the filter row and data exchange are added by later
// work on the grid; their entry points carry the names they will keep.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "datagrid/DBGridXActions.h"
#include "datagrid/DBGridXCellParams.h"
#include "datagrid/DBGridXColumns.h"
#include "datagrid/DBGridXDraw.h"
#include "datagrid/DBGridXScroll.h"
#include "datagrid/DBGridXFooter.h"
#include "datagrid/DBGridXStyle.h"
#include "datagrid/HeadTree.h"
#include "dataedit/DBCtrlsX_edit.h"
#include "platform/controls/grids.h"
#include "platform/data/db.h"

enum TGridXDataOption {
  gdoEditing, gdoAlwaysShowEditor, gdoTitles, gdoIndicator, gdoColumnResize, gdoColLines, gdoRowLines,
  gdoTabs, gdoRowSelect, gdoAlwaysShowSelection, gdoConfirmDelete, gdoCancelOnExit, gdoMultiSelect
};
using TGridXDataOptions = TSet<TGridXDataOption>;

enum TGridXExtOption {
  gxoFixed3D, gxoFrozen3D, gxoFooter3D, gxoData3D, gxoProportionalResize, gxoHighlightFocus,
  gxoClearSelectionOnMove, gxoFitRowHeightToText, gxoAutoSortMarking, gxoMultiSortMarking, gxoEnterAsTab,
  gxoTraceColSizing, gxoIncSearch, gxoPreferIncSearch, gxoRowHighlight, gxoDblClickFitColWidth,
  gxoFindDialog
};
using TGridXExtOptions = TSet<TGridXExtOption>;

enum TGridXOperation { geoInsert, geoUpdate, geoDelete, geoAppend };
using TGridXOperations = TSet<TGridXOperation>;
enum TGridXSelectionType { selNoneX = 0, selRecordsX = 1, selRectangleX = 2, selColumnsX = 3, selAllX = 4 };
using TGridXSelectionTypes = TSet<TGridXSelectionType>;

TGridXDataOptions GridXDataOptionsFromBits(uint32_t Bits);
uint32_t GridXDataOptionsBits(TGridXDataOptions Options);
TGridXExtOptions GridXExtOptionsFromBits(uint32_t Bits);
uint32_t GridXExtOptionsBits(TGridXExtOptions Options);

class TCustomDBGridX;
class TSTDBGridXFilter;
class TInplaceFilterEditX;
class TBasicAction;
class TDBGridXSelection;

// A data set that hands the grid rows by index instead of through the link's buffer (large data sets
// with random access). The grid asks only for these.
class IRandomAccessDataSetX {
 public:
  virtual ~IRandomAccessDataSetX() = default;
  // Makes at least Count more records available below the shown ones.
  virtual void FetchRecords(int Count) = 0;
  // The current record's index from 0, -1 when none.
  virtual int GetCurrentIndex() = 0;
  virtual int CountRecords() = 0;
  // Makes the record at Index the active one (for drawing); RestoreActiveIndex undoes it.
  virtual void SetActiveIndex(int Index) = 0;
  virtual void RestoreActiveIndex() = 0;
};
class TDBGridInplaceEdit;  // the in-place editor: DBGridXInplace.h

// The grid's link to its data source: follows activation, layout changes, scrolling and record
// changes of the data set, and maps data columns to fields by the fields' indexes (-1: a customised
// column whose field does not exist).
class TGridDataLinkX : public TDataLink {
  DECLARE_CLASS(TGridDataLinkX, TDataLink)
  explicit TGridDataLinkX(TCustomDBGridX* AGrid);
  ~TGridDataLinkX() override;
  TCustomDBGridX* Grid() const { return FGrid; }
  // The largest map.
  static constexpr int MaxMappedFields = 0x0FFFFFFF;
  // Adds a map entry. By name (customised columns) a missing field maps to -1; otherwise a missing
  // field raises. EInvalidGridOperation when the map is full.
  bool MapField(const std::string& FieldName);
  void ResetFieldMap() { FFieldIndexes.clear(); }
  int MappedCount() const { return static_cast<int>(FFieldIndexes.size()); }
  // The field of entry I, nullptr when out of range or unmapped.
  TField* MappedField(int I) const;
  bool UsesDefaultFields() const;
  bool MapByName() const { return FMapByName; }
  void SetMapByName(bool Value) { FMapByName = Value; }
  void MarkEditorChanged() { FEditorChanged = true; }
  bool EditorChanged() const { return FEditorChanged; }
  // Esc: an editor change reloads the field's text; without one the record is cancelled.
  void ResetRecord();
  // True while the link rebuilds the grid's layout (default columns then store no width).
  bool InUpdateData = false;

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int Distance) override;
  void EditingChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  void UpdateData() override;
  // The map's limit; descendants used by tests lower it.
  int FMapLimit = MaxMappedFields;
  // A field asks for the focus: its column becomes current and the editor opens on it.
  void FocusControl(TField*& Field) override;

 private:
  TCustomDBGridX* FGrid;
  std::vector<int> FFieldIndexes;
  bool FEditorChanged = false;
  bool FInUpdate = false;
  bool FMapByName = false;
};

// Records selected by the user, as bookmarks kept in the data set's order.
class TBookmarkListX : public TObject {
 public:
  explicit TBookmarkListX(TCustomDBGridX* AGrid) : FGrid(AGrid) {}
  int Count() const { return static_cast<int>(FList.size()); }
  const TBookmark& Items(int I) const { return FList.at(static_cast<size_t>(I)); }
  // The current record's membership.
  bool CurrentRowSelected() const;
  void SetCurrentRowSelected(bool Value);
  // Whether the bookmark is in the list (binary search in the data set's order).
  bool Find(const TBookmark& Item, int& Index) const;
  void Clear();
  // Drops the bookmarks the data set no longer knows; true when one went.
  bool Refresh();
  // Selects every record of the data set (walks it with controls disabled, position kept).
  void SelectAll();
  // ---- keyboard and mouse selection
  // Puts a record in or out of the list by its bookmark (the walks of the keyboard and the mouse
  // change rows they have already left).
  void SetBookmarkSelected(const TBookmark& Item, bool Value);
  bool BookmarkSelected(const TBookmark& Item) const;

 private:
  int Compare(const TBookmark& A, const TBookmark& B) const;
  TCustomDBGridX* FGrid;
  std::vector<TBookmark> FList;

  // ---- selection model: lookups, the selection state, deleting, covered rows
 public:
  int BookmarkCount() const { return Count(); }
  const TBookmark& Bookmarks(int I) const { return Items(I); }
  int CompareBookmarks(const TBookmark& A, const TBookmark& B) const { return Compare(A, B); }
  // The current record's bookmark; EInvalidGridOperation on a closed data set.
  TBookmark CurrentBookmark() const;
  // Halving search; Index: where the bookmark is or would go. The last answer is remembered, so
  // asking again for the same bookmark does not search.
  bool SearchBookmark(const TBookmark& Bookmark, int& Index) const;
  // The index of the bookmark, -1 when absent.
  int PositionOf(const TBookmark& Bookmark) const;
  bool CurrentSelected() const { return CurrentRowSelected(); }
  void SetCurrentSelected(bool Value) { SetCurrentRowSelected(Value); }
  void ClearBookmarks() { Clear(); }
  bool DataActive() const { return FDataActive; }
  void SetDataActive(bool Value);
  // Deletes every selected record from the data set (last first); the list ends empty.
  void Delete();
  // The grid rows of the visible selected records, from column 0 to the last; (-1, ...) when none.
  TGridRect CoveredGridRect() const;
  // Puts the bookmarks back into the data set's order (it changes when the data set is re-sorted);
  // true when they had to move.
  bool EnsureOrder();

 private:
  void ForgetLookup() const { FLastLookupIndex = -1; }
  mutable TBookmark FLastLookup;
  mutable int FLastLookupIndex = -1;
  mutable bool FLastLookupFound = false;
  bool FDataActive = false;
};

class TCustomDBGridX : public TCustomGrid, public IInplaceEditHolderX {
  DECLARE_CLASS(TCustomDBGridX, TCustomGrid)
  explicit TCustomDBGridX(TComponent* AOwner);
  ~TCustomDBGridX() override;

  // ---- data
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* Value);
  TGridDataLinkX* DataLink() const { return FDataLink.get(); }
  TDBGridColumnsX* Columns() const { return FColumns.get(); }
  TColumnDefValuesX* ColumnDefValues() const { return FColumnDefValues.get(); }
  const TColumnsXList& VisibleColumns() const { return FVisibleColumns; }
  TColumnsXList& SortMarkedColumns() { return FSortMarkedColumns; }
  TBookmarkListX* SelectedRows() const { return FSelectedRows.get(); }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);

  // ---- options
  TGridXDataOptions Options() const { return FDataOptions; }
  void SetOptions(TGridXDataOptions Value);
  TGridXExtOptions OptionsX() const { return FOptionsX; }
  void SetOptionsX(TGridXExtOptions Value);
  TGridXOperations AllowedOperations() const { return FAllowedOperations; }
  void SetAllowedOperations(TGridXOperations Value) { FAllowedOperations = Value; }
  TGridXSelectionTypes AllowedSelections() const { return FAllowedSelections; }
  void SetAllowedSelections(TGridXSelectionTypes Value) { FAllowedSelections = Value; }

  // ---- appearance
  TFont* TitleFont() const { return FTitleFont.get(); }
  void SetTitleFont(TFont* Value);
  TFont* FooterFont() const { return FFooterFont.get(); }
  TColor FooterColor() const { return FFooterColor; }
  void SetFooterColor(TColor Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  int CellTextMargin() const { return FCellTextMargin; }
  // The vertical margin of title cells in pixels (10); the RTF export puts half of it above and below
  // the text of multi-level title cells.
  int VTitleMargin() const { return FVTitleMargin; }
  void SetVTitleMargin(int Value);
  bool UseMultiTitle() const { return FUseMultiTitle; }
  void SetUseMultiTitle(bool Value);
  int FrozenCols() const { return FFrozenCols; }
  void SetFrozenCols(int Value);
  int RowHeight() const { return FRowHeight; }
  void SetRowHeight(int Value);
  int RowLines() const { return FRowLines; }
  void SetRowLines(int Value);
  int TitleRowHeight() const { return FTitleRowHeight; }
  bool AutoFitColWidths() const { return FAutoFitColWidths; }
  void SetAutoFitColWidths(bool Value);
  int FooterRowCount() const { return FFooterRowCount; }
  int EditMemoFields() const { return FEditMemoFields; }
  void SetEditMemoFields(int Value) {
    FEditMemoFields = Value;
    Invalidate();  // memo cells change between their text and their kind
  }
  THeadTreeNode* TitleTree() const { return FTitleTree.get(); }
  // The leaf of data column I in the title tree (multi-level titles only).
  THeadTreeNode* TitleColumnNode(int I) const;

  // ---- style
  TDBGridXStyle* Style() const { return FStyle; }
  // Another colour policy; nullptr goes back to the shared default style.
  void SetStyle(TDBGridXStyle* Value);
  // The style is going away: the grid uses the fall-back colours from now on.
  void StyleGone(TDBGridXStyle* Style) { if (FStyle == Style) FStyle = nullptr; }
  // The window focus is on the grid or its in-place editor.
  virtual bool HasFocusInside();
  // Data and fixed cell colours: through the style, else plain system colours.
  virtual bool GetDataCellColors(int ACol, int ARow, TFont* Font, TColor& Background, TGridDrawState State,
                                 bool Selected, bool Current, bool CurrentRow);
  virtual bool GetFixedCellColors(int ColKind, int RowKind, TFont* Font, TColor& Background);

  // ---- cell bands
  // Low byte: column kind (0 indicator, 1 data); high byte: row kind (0 title, 1 filter row, 2 data,
  // 3 gap row, 4 footer). DataCol/DataRow: the index inside the band. A row outside the grid raises
  // "Algorithm error in TCustomDBGridX.GetCellType", except while painting, where the cell is drawn as
  // a plain data cell so that a bad row cannot raise on every repaint.
  int GetCellType(int ACol, int ARow, int& DataCol, int& DataRow, bool Painting = false);
  // Whether a cell gets the raised frame (the 3D options by band).
  virtual bool CellHas3DFrame(int ACol, int ARow, TGridDrawState State);

  // ---- indexes
  int IndicatorOffset() const { return FIndicatorOffset; }
  int TitleOffset() const { return FTitleOffset; }
  int RawToDataColumn(int Col) const { return Col - FIndicatorOffset; }
  int DataToRawColumn(int Index) const { return Index + FIndicatorOffset; }
  int GetSelectedIndex() const { return RawToDataColumn(Col()); }
  TField* GetSelectedField() const;
  // Makes data column Index current (as the keyboard does); SetSelectedField does so for the column
  // bound to Field (the last one when several are).
  void SetSelectedIndex(int Index);
  void SetSelectedField(TField* Field);
  // Adds every field of the data set, visible or not, to List.
  virtual void ListDataSetFields(std::vector<TField*>& List);
  // The column at data index I, nullptr outside.
  TColumnX* ColumnAt(int I) const;

  // ---- locks and layout
  void BeginUpdate() { ++FUpdateLock; }
  void EndUpdate() { if (FUpdateLock > 0) --FUpdateLock; }
  int UpdateLock() const { return FUpdateLock; }
  void BeginLayout();
  void EndLayout();
  bool AcquireLayoutLock();
  void ReleaseLayoutLock();
  virtual void LayoutChanged();
  int LayoutLock() const { return FLayoutLock; }
  // The layout (or the filter row) is running.
  bool LayoutBusy() const { return FLayoutBusy; }
  virtual int FilterRowVisible() { return FilterRowShown(); }  // 1 while the filter row is shown
  virtual int TitleRowCount() { return FDataOptions.Contains(gdoTitles) ? 1 : 0; }

  // Fonts and widths scale by M / D (explicit column fonts included, the title font by its own size).
  void ChangeScale(int M, int D);

  virtual void DataChanged();
  virtual void DataLinkActiveChanged(bool Value);
  virtual void Scroll(int Distance);
  virtual void BuildFieldMap();
  virtual void SetColumnAttributes();
  // The text of the cell being edited and, for lookup cells, its key value.
  const std::string& EditText() const { return FEditText; }
  // Writes the edited text into the field (the link's UpdateData after an editor change).
  virtual void CommitEditText();
  // The record's values changed: repaint and reload the editor's text when it differs.
  virtual void RefreshEditText(TField* Field);
  // The column may be edited now: puts the data set into edit mode (Esc handling follows the link). A
  // cell whose read-only state the cell-parameter events decided follows their answer.
  bool EnsureEditing();
  // The in-place editor on the current cell when the cell-parameter events decided its read-only
  // state, else nullptr.
  TDBGridInplaceEdit* ReadOnlyOverridingEditor() const;
  static bool FieldModifiable(TField* Field);
  // Grid rows follow the link's buffered records; the current row follows the active record.
  virtual void UpdateRowCount();
  virtual void SyncCurrentRow();
  // The column list changed (TDBGridColumnsX::Update).
  void ColumnsChanged(TColumnX* Column);
  bool LinkLayoutFlag() const { return FDataLink->InUpdateData; }
  // The data row shown in grid row ARow: data link record index, -1 for none.
  int DataRowOf(int ARow) const { return ARow - FTitleOffset; }

 protected:
  void Loaded() override;
  void Resize() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  bool CanEditShow() override;
  bool CanEditModify() override;
  bool CanEditAcceptKey(WideChar Key) override;
  std::string GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const std::string& Value) override;
  std::string GetEditMask(int ACol, int ARow) override;
  int GetEditLimit() override;
  virtual TDBGridColumnsX* CreateColumns();
  virtual TColumnDefValuesX* CreateColumnDefValues();
  virtual void InternalLayout();

  std::unique_ptr<TGridDataLinkX> FDataLink;
  std::unique_ptr<TColumnDefValuesX> FColumnDefValues;
  std::unique_ptr<TDBGridColumnsX> FColumns;
  TColumnsXList FVisibleColumns;
  TColumnsXList FSortMarkedColumns;
  std::unique_ptr<TBookmarkListX> FSelectedRows;
  std::unique_ptr<TFont> FTitleFont;
  std::unique_ptr<TFont> FFooterFont;
  std::unique_ptr<THeadTreeNode> FTitleTree;
  std::vector<THeadTreeNode*> FTitleColumnNodes;
  TGridXDataOptions FDataOptions;
  TGridXExtOptions FOptionsX;
  TGridXOperations FAllowedOperations;
  TGridXSelectionTypes FAllowedSelections;
  TColor FFooterColor = clWindow;
  bool FFlat = false;
  bool FReadOnly = false;
  int FCellTextMargin = 4;
  int FVTitleMargin = 10;
  bool FUseMultiTitle = false;
  int FFrozenCols = 0;
  int FRowHeight = 0, FRowLines = 0;
  int FTitleRowHeight = 0;
  int FTitleHeight = 0, FTitleLineCount = 0;
  bool FAutoFitColWidths = false;
  int FEditMemoFields = 0;
  int FIndicatorOffset = 1;
  int FTitleOffset = 0;
  int FUpdateLock = 0;
  int FLayoutLock = 0;
  bool FLayoutBusy = false;
  bool FRowSizingAllowed = false;
  bool FGrabFocus = true;
  bool FShowCellContents = true;
  TDBGridXStyle* FStyle = nullptr;
  std::string FEditText;
  Variant FEditValue;
  bool FInSearch = false;

  // ---- filter row (DBGridXFilterRow.cpp)
 public:
  TSTDBGridXFilter* STFilter();
  int FilterRowShown();
  virtual TInplaceFilterEditX* NewFilterEditor();
  virtual bool FilterEditorAllowed();
  virtual void StoreFilterEditorText(int DataCol);
  virtual void LoadFilterEditor(int DataCol);
  // Hands the filter row's conditions to the data service.
  virtual void ApplyFilter();
  // Ends the editing of a filter cell when one runs, then shows the in-place editor on the current
  // cell: the two editors are never in use together.
  virtual void ShowCellEditor();
  bool ColumnHasFilterCell(int DataCol);
  std::string FilterCellText(int DataCol);
  int FilterGridRow();
  void BeginFilterEdit(int DataCol);
  void PlaceFilterEditor(bool Reload);
  void EndFilterEdit();
  void ApplyFilterRow();
  // The filter editor's keys (Tab, Home, End, Left, Right, Down, F2) before the editor sees them.
  void FilterEditorKeyDown(TWinControl* Editor, WORD& Key, TShiftState Shift);
  void FilterEditorKeyPress(WideChar& Key);
  // A press on a filter cell starts editing it (a left press goes on to the editor); true when the
  // press was on a filter cell. The grid's mouse handling calls this first.
  bool FilterRowMouseDown(TMouseButton Button, int X, int Y);
  // The press that started filter editing, in screen coordinates, and its time (0: none); forgotten.
  bool TakeFilterMouseDown(POINT& ScreenPos, int& Time);
  // A column moved from data index From to To: the filter cell in edit (or last edited) goes with it.
  void FilterColumnMoved(int From, int To);
  // The grid as holder of the filter editor: it may always modify, hands over the filter press (never
  // as a double click), and takes the filter row's keys while the editor's drop-down is closed.
  bool EditorCanModify(TWinControl* Editor) override;
  bool TakePendingMouseDown(POINT& ScreenPos, int& Time) override;
  void EditorWndProc(TWinControl* Editor, TMessage& Message) override;
  void EditorKeyDown(TWinControl* Editor, WORD& Key, TShiftState Shift) override;
  void EditorKeyPress(TWinControl* Editor, WideChar& Key) override;
  void EditorKeyUp(TWinControl* Editor, WORD& Key, TShiftState Shift) override;
  int FilterColumnIndex() const { return FFilterColumnIndex; }
  bool FilterEditing() const { return FFilterEditing; }
  TInplaceFilterEditX* FilterEditor() const { return FFilterEditor; }
  TNotifyEvent OnApplyFilterRow;

 protected:
  void DrawFilterCell(int ACol, int DataCol, const TRect& ARect);
  // The next column with a filter cell from From by Step (-1 or 1), wrapping at the ends when Wrap.
  int NextFilterColumn(int From, int Step, bool Wrap);
  std::shared_ptr<TSTDBGridXFilter> FSTFilter;  // made on first use
  TInplaceFilterEditX* FFilterEditor = nullptr;  // owned by the grid as a component
  int FFilterColumnIndex = 0;
  bool FFilterEditing = false;
  POINT FFilterMousePos{0, 0};
  int FFilterMouseTime = 0;

  // ---- selection model
 public:
  // The selection in force (records, rectangle, columns or all). Not Selection(): that name is the
  // grid base's current-cell rectangle.
  TDBGridXSelection* SelectionX() const { return FSelection.get(); }
  // Painting's question: is cell (ACol, ARow) showing the record Bookmark selected.
  virtual bool CellSelected(int ACol, int ARow, const TBookmark& Bookmark);
  // Repaints what the selection covers (everything for all) and the current row.
  virtual void RepaintSelection();
  // The bookmarks of the records in the link's buffer, in grid row order (grid row = TitleOffset + i).
  std::vector<TBookmark> VisibleBookmarks();
  // Invalidates the box of a cell rectangle.
  void InvalidateCellBox(const TGridRect& R);
  // The in-place editor stays up (gdoAlwaysShowEditor, and no filter-row cell is being edited).
  virtual bool EditorShownAlways();

 protected:
  std::unique_ptr<TDBGridXSelection> FSelection;

  // ---- events, deferred layout, focus, window and streaming (grid model)
 public:
  using TDrawColumnCellEventX =
      std::function<void(TObject* Sender, const TRect& Rect, int DataCol, TColumnX* Column, TGridDrawState State)>;
  using TDrawDataCellEventX = std::function<void(TObject* Sender, const TRect& Rect, TField* Field, TGridDrawState State)>;
  using TDBGridXClickEvent = std::function<void(TColumnX* Column)>;
  using TGetCellParamsEventX =
      std::function<void(TObject* Sender, TColumnX* Column, TFont* AFont, TColor& Background, TGridDrawState State)>;
  using TGetFooterParamsEventX =
      std::function<void(TObject* Sender, int DataCol, int Row, TColumnX* Column, TFont* AFont, TColor& Background,
                         TAlignment& Alignment, TGridDrawState State, std::string& Text)>;
  using TDrawFooterCellEventX = std::function<void(TObject* Sender, int DataCol, int Row, TColumnX* Column,
                                                   const TRect& Rect, TGridDrawState State)>;
  using TTitleBtnClickEventX = std::function<void(TObject* Sender, int ACol, TColumnX* Column)>;
  using TCheckTitleBtnEventX = std::function<void(TObject* Sender, int ACol, TColumnX* Column, bool& Enabled)>;
  using TGetTitleParamsEventX = std::function<void(TObject* Sender, TColumnX* Column, TFont* AFont,
                                                   TColor& Background, TSortMarkerX& SortMarker, bool IsDown)>;

  // OnColumnMoved (Sender, FromIndex, ToIndex) is the grid base's event; the grid fires it with data
  // column indexes.
  TDrawColumnCellEventX OnDrawColumnCell;
  TDrawDataCellEventX OnDrawDataCell;
  TNotifyEvent OnEditButtonClick;
  TNotifyEvent OnLeaveColumn;
  TNotifyEvent OnEnterColumn;
  TDBGridXClickEvent OnCellClick;
  TDBGridXClickEvent OnTitleClick;
  TNotifyEvent OnSumListRecalcAll;
  TNotifyEvent OnSumListAfterRecalcAll;
  TNotifyEvent OnColWidthsChanged;
  TGetCellParamsEventX OnGetCellParams;
  TGetFooterParamsEventX OnGetFooterParams;
  TDrawFooterCellEventX OnDrawFooterCell;
  TTitleBtnClickEventX OnTitleBtnClick;
  TCheckTitleBtnEventX OnCheckTitleButton;
  TNotifyEvent OnSortMarkingChanged;
  TGetTitleParamsEventX OnGetTitleParams;

  // The hooks that fire them (the painter, the mouse and the keyboard call these).
  virtual void CellClick(TColumnX* Column);
  virtual void TitleClick(TColumnX* Column);
  virtual void LeaveColumn();
  virtual void EnterColumn();
  virtual void DrawColumnCell(const TRect& Rect, int DataCol, TColumnX* Column, TGridDrawState State);
  virtual void DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State);
  virtual void EditButtonClick();
  virtual void DoGetCellParams(TColumnX* Column, TFont* AFont, TColor& Background, TGridDrawState State);
  virtual void DoGetFooterParams(int DataCol, int Row, TColumnX* Column, TFont* AFont, TColor& Background,
                                 TAlignment& Alignment, TGridDrawState State, std::string& Text);
  virtual void TitleBtnClick(int ACol, TColumnX* Column);
  // Whether the title of Column acts as a button (its TitleButton, then OnCheckTitleButton).
  bool CheckTitleButton(int ACol, TColumnX* Column);

  // Deferred layout: the message is posted once; its handler lays the grid out. Its own number: the
  // drop-down side message uses WM_USER + 100.
  static constexpr UINT WM_DEFERLAYOUTX = WM_USER + 101;
  void DeferLayout();
  bool DeferredLayoutQueued();

  // Focus: takes it when GrabFocus allows, the grid can be focused and it is not being designed;
  // true when the grid or its editor has it.
  virtual bool GainFocus();
  bool GrabFocus() const { return FGrabFocus; }
  void SetGrabFocus(bool Value) { FGrabFocus = Value; }

  // Sizes of the buttons drawn in cells, set when the window is made (and by the layout).
  int ButtonWidth() const { return FButtonWidth; }
  int ButtonHeight() const { return FButtonHeight; }

  // An optional source of rows in place of the link's buffer (nullptr: the buffer).
  IRandomAccessDataSetX* RandomAccessData() const { return FRandomAccessData; }
  void SetRandomAccessData(IRandomAccessDataSetX* Value) { FRandomAccessData = Value; }

 protected:
  void CreateWnd() override;
  void DefaultHandler(TMessage& Message) override;
  void DefineProperties(TFiler* Filer) override;
  int FButtonWidth = 0;
  int FButtonHeight = 0;
  IRandomAccessDataSetX* FRandomAccessData = nullptr;

  // ---- layout extras (grid model): row and title metrics, auto-fit widths, sizing and moving columns
 public:
  // When either is set they fix the title row height: TitleLineCount lines of the title font plus
  // TitleHeight pixels.
  int TitleHeight() const { return FTitleHeight; }
  void SetTitleHeight(int Value);
  int TitleLineCount() const { return FTitleLineCount; }
  void SetTitleLineCount(int Value);
  // The least width auto-fit shares among the columns (below it the grid scrolls).
  int MinAutoFitWidth() const { return FMinAutoFitWidth; }
  void SetMinAutoFitWidth(int Value);
  // Rows are tall enough for more than one line of text (word wrap has room).
  bool FitRowHeight() const { return FFitRowHeight; }
  // Sizing one column resizes the auto-fit columns to its right so the total stays.
  void ProportionalResize(int Index, int OldWidth, int NewWidth);
  // A user's column change with auto-fit on: its share follows its new width, the next column's
  // share absorbs the difference. True when it handled the change.
  bool RedistributeAutoFitWidth(TColumnX* Column);
  // Whether the horizontal scroll bar is wanted (the scroll-bar settings may refuse it).
  virtual bool HorzScrollBarWanted() { return true; }
  // A hidden current column gives the place to the first visible one.
  void KeepCurrentColumnVisible();
  // Sizing a default column writes its field's DisplayWidth, so that the width survives the grid
  // making its columns again (on from creation).
  bool FieldWidthSync() const { return FFieldWidthSync; }
  void SetFieldWidthSync(bool Value) { FFieldWidthSync = Value; }
  // Measures in Font on the grid's canvas (a screen device context is borrowed without a window): the
  // width of "0", the average character width and the overhang.
  virtual void MeasureDigit(TFont* Font, int& Digit, int& AveChar, int& Overhang);

 protected:
  void ColWidthsChanged() override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  // Row height after fitting to whole text lines; sets ButtonHeight and FitRowHeight.
  int LayoutRowMetrics(int RowHeight, int TextH, int Extra);
  // The title row height TitleHeight and TitleLineCount fix (TextH: the tallest title font's height).
  int FixedTitleRowHeight(int TextH);
  // ssHorizontal unless auto-fit shares the width (then no horizontal bar).
  void UpdateScrollBarStyle();
  // Shares the client width among the auto-fit columns by their base widths.
  void AutoFitLayout();
  int FMinAutoFitWidth = 0;
  bool FFitRowHeight = false;
  bool FFieldWidthSync = true;
  // Without a window the layout measures text on a borrowed screen device context.
  bool BorrowScreenDC();
  void ReturnScreenDC();
  HDC FScreenDC = nullptr;

  // ---- painting and cell drawing
 public:
  // The parameters of the data cell being drawn (refilled for every cell).
  TColCellParamsX* CellParams() const { return FCellParams.get(); }
  // Images shown in titles whose ImageIndex is set.
  TCustomImageList* TitleImages() const { return FTitleImages; }
  void SetTitleImages(TCustomImageList* Value);
  // The grid row of the current record as last painted in the indicator column.
  int IndicatorRow() const { return FIndicatorRow; }
  // Whether the cell contents (text, images, check boxes, focus frame) are drawn at all.
  bool ShowCellContents() const { return FShowCellContents; }
  void SetShowCellContents(bool Value);
  // With row select, a focus frame around the whole current row (frozen columns included).
  bool RowFocusFrame() const { return FRowFocusFrame; }
  void SetRowFocusFrame(bool Value);
  // Painting stops while set (the filter row sets it while it starts an edit or applies the filter).
  bool PaintSuppressed() const { return FPaintSuppressed; }
  void SetPaintSuppressed(bool Value) { FPaintSuppressed = Value; }
  // The data area: columns IndicatorOffset .. ColCount - 1, rows TitleOffset .. last data row.
  TGridRect DataAreaBox();
  virtual bool RowSelectFocusFrame();
  // The fixed-cell frame: raised, or sunken when pressed or down; the switches add the left/top and
  // right/bottom sides.
  void DrawCellFrame(TCanvas* ACanvas, const TRect& Rect, bool Pressed, bool Down, bool WithLeftTop,
                     bool WithRightBottom);
  // Background of a fixed cell (title colour on request); answers whether it was drawn highlighted.
  virtual bool DrawFixedCellBackground(int ACol, int ARow, const TRect& Rect, bool TitleColor);
  // Maps the canvas so that logical x runs from the right (right-to-left) or back to normal.
  void SetCanvasMirror(bool RightToLeft);
  bool IsFormActiveControl();
  // The in-cell button of an always-visible edit button (kinds of DrawEditButton).
  // Kind -1: a picture button showing Glyph (its first image when it is a strip of NumGlyphs).
  void DrawCellButton(TCanvas* ACanvas, int Kind, const TRect& Rect, TColor AColor, bool Enabled, bool AFlat,
                      const TRect& ClipRect, TBitmap* Glyph = nullptr, int NumGlyphs = 1);
  // The width the always-visible edit buttons of Column take (0 without them).
  int CellButtonWidth(TColumnX* Column);
  // The buttons shown in Column's cells, left to right: the main button (when the column has one),
  // then each visible edit button (Kind -1: a picture button).
  struct TCellButtonX {
    int Kind;
    int Width;
    TBitmap* Glyph;
    int NumGlyphs;
  };
  std::vector<TCellButtonX> CellButtons(TColumnX* Column);
  // Widths fitted to contents: titles, every record's cells, footers (the cells only with an active
  // link; without one nothing changes). AutoFitColumn fits the selected columns too.
  void AutoFitColumns(const TColumnsXList& List);
  void AutoFitColumn(TColumnX* Column);
  virtual bool CanAutoFit() { return true; }
  void DoExit() override;

 protected:
  void Paint() override;
  // Draws the group bands of the title tree above Node's cell (each cell draws its own piece).
  void DrawTitleLevels(THeadTreeNode* Node, int DataCol, const TRect& Rect, bool EndEllipsis);
  void DrawIndicatorCell(int ARow, int DataRow, const TRect& ARect, int ImageMargin, bool& Highlight);
  void DrawTitleCell(int DataCol, const TRect& ARect, bool& Pressed, bool& Highlight);
  void DrawDataRowCell(int ACol, int ARow, int DataCol, int DataRow, const TRect& ARect, TGridDrawState AState,
                       int TextMargin, int ImageMargin, bool Raised);
  // Grid lines by band (multi-level title lines stop under the group bands they would cross).
  void PaintLines(const TGridDrawInfoX& Info);
  // The y (from the title row's top) where the line between data columns C and C + 1 starts.
  int TitleLineTop(int C) const;
  // Vertical titles make the title row as tall as their text (leaves of multi-level titles grow).
  void FitTitleRowToVerticalTitles();
  std::unique_ptr<TColCellParamsX> FCellParams = std::make_unique<TColCellParamsX>();
  TCustomImageList* FTitleImages = nullptr;
  int FIndicatorRow = -1;
  bool FRowFocusFrame = false;
  bool FPaintSuppressed = false;
  TDrawBitmapUser FDrawBitmapUser;
  // ---- keyboard, mouse, scroll bars, scrolling, timers and in-place search
  // (DBGridXKeys.cpp, DBGridXMouse.cpp, DBGridXScroll.cpp, DBGridXSearch.cpp)
 public:
  // Scroll-bar settings, made on first use through CreateScrollBar.
  TDBGridXScrollBar* HorzScrollBar();
  TDBGridXScrollBar* VertScrollBar();
  virtual TDBGridXScrollBar* CreateScrollBar(TScrollBarKind Kind);
  // The vertical bar from record numbers (sequenced data sets) or as a five-position bar.
  virtual void UpdateVertScrollBar();
  // The horizontal external bar follows the left column.
  virtual void UpdateHorzExtScrollBar();
  // Fully visible data rows (at least 1), and the data rows the grid has.
  int VisibleDataRowCount();
  int DataRowCount() const;

  // Movement and selection by keys and mouse.
  void ClearSelectionOnMove();
  void NextRow(bool Select);
  void PriorRow(bool Select);
  void MoveToNextCell(bool GoForward);
  // Closes the current cell editor's open drop-down without a pick (before the cell is left).
  void CloseEditorListUnpicked();
  // Moves the data set by Distance records (ToEnd: to its end in Distance's direction), selecting the
  // rows passed when Select and record selection is allowed.
  void MoveWithSelection(bool Select, int Distance, bool ByRows, bool ToEnd);
  // Makes data column Index current; Direction +1/-1 skips hidden columns that way.
  void SelectColumn(int Index, int Direction, bool Extend);
  // Deletes the current record, or every selected one, after the confirmation the options ask for.
  void DeleteCurrentOrSelectedRecords();
  bool ToggleSelecting() const { return FToggleSelecting; }
  bool RowAnchorSet() const { return FRowAnchorSet; }

  // Mouse state: 0 none, 1 selecting rows, 2 selecting columns, 3 selecting a rectangle, 6 sizing a
  // column inside the fixed area.
  int MouseMode() const { return FMouseMode; }
  int PressedTitleColumn() const { return FPressedTitleColumn; }
  bool TitleButtonDown() const { return FTitleButtonDown; }
  bool SortMarkAdding() const { return FSortMarkAdding; }
  // Sorting by the sort markers: through the grid unit's data service.
  virtual void ApplySortMarking();
  // Rebuilds SortMarkedColumns from the titles' SortIndex (1 first), e.g. after columns were read.
  void RebuildSortMarkedColumns();

  // In-place search: Mode 0 type-ahead, 1 next match, 2 previous match. TimeOut in ms, < 0: none.
  bool InSearch() const { return FInSearch; }
  const std::string& SearchText() const { return FSearchText; }
  int SearchTimeout() const { return FSearchTimeout; }
  bool SearchTimerOn() const { return FSearchTimerOn; }
  void InplaceSearch(const std::string& AddText, int TimeOut, int Mode);
  void StopInplaceSearch();
  void StartSearchTimer();
  void StopSearchTimer();
  // Saves the shown rows (a middle record and the distance to the current one) and brings them back.
  void SavePosition();
  void RestorePosition();

  // Automatic scrolling while the mouse selects outside the data area (timer 1).
  void StartAutoScrollTimer(int Interval);
  void StopAutoScrollTimer();
  virtual void AutoScrollStep();
  bool AutoScrollTimerOn() const { return FAutoScrollTimerOn; }
  int AutoScrollInterval() const { return FAutoScrollInterval; }
  // The interval of the next automatic step for a distance from the data area: shorter as the mouse
  // goes further out, never below 10 ms so the timer cannot spin.
  static int AutoScrollIntervalFor(int Distance, int PerPixel);
  // The data cells on screen (client coordinates): from the first scrollable column and the first data
  // row to the last shown column and data row. Automatic scrolling measures from its edges.
  TRect DataAreaRect();

  // The grid's own vertical scroll messages and wheel.
  void WMVScroll(TMessage& Message);
  void WMHScroll(TMessage& Message);
  bool DoMouseWheelDown(TShiftState Shift, const TPoint& MousePos);
  bool DoMouseWheelUp(TShiftState Shift, const TPoint& MousePos);
  // The external scroll bars are gone.
  void ScrollBarNotification(TComponent* AComponent);
  bool OwnsVertScrollBar() const override { return true; }

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(WideChar& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void TimedScroll(TGridScrollDirections Direction) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) override;
  void Dispatch(TMessage& Message) override;
  void TopLeftChanged() override;
  // A column sized with the mouse keeps its new width: ColWidthsChanged (layout extras) does it.
  // WM_CHAR after KeyPress: a space steps image and check-box cells.
  void WMChar(TMessage& Message);
  // The search conditions of typing: a printable character feeds the search instead of the editor.
  bool TypingSearches();
  void SetRowAnchor();
  // The rectangle's end corner goes to the current cell (SetAnchor: both corners).
  void ExtendRectangle(bool SetAnchor);
  // A selection of any kind is in force.
  bool HasSelectionX();
  // Ctrl+V / Shift+Insert: into a running search, else the grid's paste when allowed.
  void PasteKey();
  bool FLeavingColumn = false;
  void DropRowAnchor() { FRowAnchorSet = false; }
  bool CurrentColumnStepsValues();
  void ReleaseTitleButton();

  std::unique_ptr<TDBGridXScrollBar> FHorzScrollBarX;
  std::unique_ptr<TDBGridXScrollBar> FVertScrollBarX;
  int FLastVertMode = -1;
  bool FThumbTracked = false;
  bool FToggleSelecting = false;
  bool FRowAnchorSet = false;
  TBookmark FRowAnchor;
  bool FRowAnchorSelected = false;
  TBookmark FRowWalkEnd;  // where the last selecting walk stopped: a walk from elsewhere starts afresh
  std::string FCharBuffer;
  TTypedCharJoiner FTypedChar;  // the halves of a character beyond the BMP typed into the search
  int FMouseMode = 0;
  TPoint FMouseDownPos;
  TPoint FPrevMousePos;
  TShiftState FLastShift;
  int FPressedTitleColumn = -1;
  bool FMousePressed = false;
  bool FTitleButtonDown = false;
  bool FSortMarkAdding = false;
  bool FRowsTracking = false;
  bool FCellsTracking = false;
  int FCheckCellCol = -1, FCheckCellRow = -1;
  // 1 while a press on a selected row waits to become a drag on the next move (or a click).
  int FMouseDownHandled = 0;
  // The press being handled arrived while DragMode was dmAutomatic (switched off for the press so
  // that it selects): a press on a selected row may start a drag.
  bool FAutoDragPress = false;
  TImeName FOriginalImeName;
  TImeMode FOriginalImeMode = imDontCare;
  std::string FSearchText;
  int FSearchTimeout = -1;
  bool FSearchTimerOn = false;
  bool FSearchPositioning = false;
  TBookmark FSavedBookmark;
  int FSavedDistance = 0;
  bool FAutoScrollTimerOn = false;
  int FAutoScrollInterval = -1;
  // ---- footers and the sum list (footer work)
 public:
  // The grid's aggregate producer (made on first use, switched on while some footer needs it).
  TDBGridXSumList* SumList();
  // Footer rows below the data rows (a gap row keeps them at the bottom of the client area).
  void SetFooterRowCount(int Value);
  void SetFooterFont(TFont* Value);
  // The text shown by the column's footer of footer row FooterIndex (0-based).
  virtual void GetFooterText(int FooterIndex, TColumnX* Column, std::string& Text);
  // Repaints the footer rows (the sum list's change notification).
  void RepaintFooters();
  // Draws a cell of the footer band (row kinds 3 and 4): the painter calls it for those rows.
  void DrawFooterCell(TCanvas* C, int ACol, int ARow, const TRect& ARect, TGridDrawState State);
  // The sum list follows the data link's data set and is on while some footer keeps an aggregate.
  void UpdateSumListState();
  // Every column's footers re-bind their aggregates (the data set changed), then the state above.
  void RebindAllFooterSums();
  bool RebindingFooters = false;

 protected:
  std::shared_ptr<TDBGridXSumList> FSumList;
  int FFooterRowCount = 0;
  int FFooterGapRow = -1;

  // ---- in-place editor (in-place editor work)
 public:
  // The grid's in-place editor once made, else nullptr.
  TDBGridInplaceEdit* InplaceEditX() const;
  // The key value of a lookup cell being edited (Null otherwise).
  const Variant& EditValue() const { return FEditValue; }
  void SetEditValue(const Variant& Value) { FEditValue = Value; }
  // The edit text kept for the current cell (what the link stores when editing ends).
  void SetEditTextX(const std::string& Value) { FEditText = Value; }
  // Loads the current cell's edit text from its field again (EditValue too).
  std::string CurrentEditText() { return GetEditText(Col(), Row()); }
  std::string CurrentEditMask() { return GetEditMask(Col(), Row()); }
  int CurrentEditLimit() { return GetEditLimit(); }
  // The current cell may be edited now (starts editing, as typing does).
  bool CanEditData() { return CanEditModify(); }
  // Keys the editor hands on to the grid.
  void EditorKeyDown(WORD& Key, TShiftState Shift) { KeyDown(Key, Shift); }
  // Reloads the editor's contents while keeping a shown drop-down open.
  void InvalidateEditorX();
  // A column's MRU list goes away with its column: the editor stops using it.
  void MRUListGone(TMRUListX* List);
  // The editor outlives the columns (it is a child window): it lets go of the list it uses.
  void ReleaseEditorMRUList();

 protected:
  TInplaceEdit* CreateEditor() override;

  // ---- edit actions, tool tips and window messages (DBGridXActions.cpp)
 public:
  TGridXEditActions EditActions() const { return FEditActions; }
  void SetEditActions(TGridXEditActions Value) { FEditActions = Value; }
  // Edit actions (TEditCopy, TEditCut, TEditPaste, TEditSelectAll, TEditDelete) reach the focused
  // grid; true when the grid ran (or updated) the action.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);
  bool CanCopy();
  bool CanPaste();
  bool CanCut();
  bool CanSelectAll();
  bool CanDelete();
  bool CanSelectType(TGridXSelectionType Type);
  // The tool-tip text of Column's cell on the current record.
  std::string CellHintText(TColumnX* Column);
  // The font of the last tool tip (made on first use).
  TFont* HintFont();
  void WndProc(TMessage& Message) override;
  // The cell value of the record above goes into the current cell (the copy-from-prior shortcut).
  void CopyFromPriorRecord();
  // The width of the flat border drawn in the non-client area (0 or 1; set when the window is made).
  int FlatBorderWidth() const { return FFlatBorderWidth; }
  // The clipboard, select-all, find-dialog and copy-from-prior keys; true when Key was taken (the
  // keyboard handling asks after its search keys).
  bool HandleEditShortCut(WORD& Key, TShiftState Shift);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void PaintFlatBorder();
  void CMHintShowPause(TMessage& Message);
  void CMHintShow(TMessage& Message);
  void WMSetCursor(TMessage& Message);
  // A form designer's question whether the grid takes the mouse at a point.
  void CMDesignHitTest(TMessage& Message);
  // Being designed without columns or fields of its own to work on: the grid behaves as a plain
  // control (arrow cursor, the designer keeps the mouse).
  bool DesignedWithoutColumns() const;
  TGridXEditActions FEditActions;
  std::unique_ptr<TFont> FHintFont;
  int FFlatBorderWidth = 0;
  // ---- sizing inside the frozen columns, title press tracking, right-button column moving
  // (DBGridXSizing.cpp, DBGridXMouse.cpp)
 public:
  // The frozen-column sizing zone under a client point: the right edge of the indicator's neighbours
  // up to the last frozen column, on the title rows only. True with the column (raw index), the line
  // position (left-to-right) and the offset of the point from it.
  bool FrozenSizingHit(int X, int Y, int& Index, int& Pos, int& Offset);
  int SizingIndexX() const { return FSizingIndexX; }
  int SizingPosX() const { return FSizingPosX; }
  bool FrozenSizingLineDrawn() const { return FMouseMode == 6 && FSizingDrawn; }
  bool RightButtonMoving() const { return FRightButtonMoving; }
  // Row sizing over the indicator with the mouse (the data rows all take the sized height).
  bool RowSizingAllowed() const { return FRowSizingAllowed; }
  void SetRowSizingAllowed(bool Value);
  // The pressed look of a held title follows the mouse; EndTitlePress releases the press.
  void TrackTitlePress(int X, int Y);
  void EndTitlePress();
  // A press, move or release in progress is dropped (cancel mode, capture lost).
  void CancelMouseX();

 protected:
  void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                       TGridDrawInfo& FixedInfo) override;
  void RowHeightsChanged() override;
  // The dotted inverted line of a frozen column being sized (each call toggles it).
  void DrawFrozenSizingLine();
  // WM_SETCURSOR over the frozen-column sizing zone, or while sizing there: true when set.
  bool FrozenSizingCursor(TMessage& Message);
  // The width a frozen column takes from the sizing position (at least 1).
  int FrozenSizingWidth() const;
  bool InTitleLeaf(int DataCol, int RawCol, int Y);
  // Traced sizing of raw column RawCol to the line at Pos leaves the columns to its right their room
  // (only auto-fitted widths can run out of it).
  bool TracedSizingFits(int RawCol, int Pos);
  int FSizingIndexX = -1, FSizingPosX = 0, FSizingOffsetX = 0;
  bool FRightButtonMoving = false;
  bool FRowSizingByMouse = false;

  // ---- window size, focus, commands, wheel, footer font and title images (DBGridXMessages.cpp)
 public:
  // The footer font was changed from outside (not by the parent-font copy): the grid stops following
  // its parent's font, and footers are laid out again.
  void FooterFontChanged();
  // The title image list changed: the titles are repainted.
  void TitleImagesChanged();
  // Whether the selection was last painted as active (the focus in the grid or its editor); a focus
  // change that flips it repaints the selection. The cell editor losing the focus calls FocusLeaving
  // with the window that gets it.
  bool SelectionActiveShown() const { return FSelectionActiveShown; }
  void UpdateSelectionActive();
  void FocusLeaving(HWND To);
  // The input method of the current column (its own settings where set, else the grid's own as they
  // were when the window was made) for the grid and its cell editor; taken when the grid gains the
  // focus or a column is entered.
  void UpdateIme();

 protected:
  void WMSize(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void CMMouseWheel(TMessage& Message);
  void CMCancelMode(TMessage& Message);
  // A wheel turned while a drop-down list of the cell editor is open or a filter cell is edited goes
  // to that list or editor; true when it went there (Message.Result set).
  bool WheelToEditors(TMessage& Message);
  // The box of the current (row-select) rows from the indicator on.
  void InvalidateRowSelectBox();
  void ShowSelectionActive(bool Active);
  // The title image list went away.
  void TitleImagesNotification(TComponent* AComponent, TOperation Operation);
  std::unique_ptr<TChangeLink> FTitleImageChangeLink;
  bool FSelectionActiveShown = false;
  bool FWheelForwarding = false;
  int FSizeDepth = 0;
  int FRowCountDepth = 0;  // UpdateRowCount running (the data set's change notice calls it again)
  void LayOutDataRows();
  // An open cell editor kept through a layout (size, font): its text, selection and typed mark.
  struct TEditorKeep {
    bool Keep = false;
    bool Changed = false;
    std::string Text;
    std::string TextAfterClose;  // without an item only browsed to in an open list
    int SelStart = 0;
    int SelLength = 0;
  };
  TEditorKeep BeginKeepEditor();
  void EndKeepEditor(const TEditorKeep& K);
  bool FReopeningEditor = false;  // EndKeepEditor opens the editor again
  // ---- title measuring, draw-info extents, right-to-left images (DBGridXTitles.cpp, DBGridXDrawInfo.cpp)
 public:
  // Sets the heights of Node's children from their captions wrapped to their widths (group nodes get
  // their own band, leaves the rest down to the row's bottom); answers the tallest child's own height
  // plus the heights below it.
  int MeasureTitleNode(THeadTreeNode* Node);
  // The draw information with the footer band's extent.
  void CalcDrawInfoX(TGridDrawInfoX& Info);
  // The largest top-left cell that still shows Cell whole (per axis); a hidden cell at the start is
  // stepped over so that the result shows something.
  TGridCoord MaxTopLeft(const TGridCoord& Cell);
  // Draws image Index at (X, Y); in a right-to-left grid the picture is turned to face the other way,
  // as the grid's layout is.
  void DrawGridImage(TCustomImageList* Images, int X, int Y, int Index);
  // The grid base's scrolling limits follow MaxTopLeft.
  TGridCoord CalcMaxTopLeft(const TGridCoord& Coord, const TGridDrawInfo& DrawInfo) override;

 protected:
  // The height of Node's own caption (0 for a hidden column's leaf).
  int TitleNodeOwnHeight(THeadTreeNode* Node);

  // ---- random-access rows and window scrolling (DBGridXRandomAccess.cpp, DBGridXScroll.cpp)
 public:
  // Whether a data set offering rows by index is used so (on by default; footers turn it off).
  bool UseRandomAccess() const { return FUseRandomAccess; }
  void SetUseRandomAccess(bool Value);
  // Takes the data set's row interface, or lets it go; lays out again when that changed.
  void UpdateRandomAccess();
  // The current record's data row: its row index with random access, else its place in the buffer.
  int ActiveDataRow() const;
  // The data rows that hold records: every record with random access, else the buffered ones.
  int DrawnRecordCount() const;
  // The random-access view: rows per record, the top row kept inside, records fetched for the rows
  // shown, the scroll bar from the top row, and the record change moving the current row.
  void RandomAccessRowCountChanged();
  void FetchVisibleRecords();
  void SafeTopRow(int ATop);
  void ClampTopRow();
  void RandomAccessUpdateScrollBar();
  void RandomAccessScroll(TMessage& Message);
  void SyncCurrentRecord();
  int MaxTopRow();
  int LastFullVisibleRow();

 protected:
  bool RefreshRandomAccessInterface();
  void RandomAccessNotification(TComponent* AComponent);
  void MoveToRecordRow(int Target);
  bool RandomAccessWheel(TShiftState Shift, bool Down);
  // Moves the data rows' pixels by Distance records and repaints only what comes into view.
  void ScrollDataRows(int Distance);
  bool FUseRandomAccess = true;
  bool FFetchingVisible = false;
  TDataSet* FRandomAccessDataSet = nullptr;
  SCROLLINFO FLastRAInfo{};
};

// The published grid: what an adopter sets on a form (the data source, options, permissions, fonts,
// titles, footers, frozen columns, the column defaults and the scroll-bar settings) is written with the
// form and read back; the columns themselves go through DefineProperties.
class TDBGridX : public TCustomDBGridX {
  DECLARE_PUBLISHED_CLASS(TDBGridX, TCustomDBGridX)
  static void DeclarePublished(TPublished<TDBGridX>& P);
  using TCustomDBGridX::TCustomDBGridX;
};

#include "datagrid/DBGridXSelection.h"  // the selection classes complete the grid's interface
