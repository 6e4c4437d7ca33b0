#pragma once
// The lookup grid: a data grid that acts as a list of choices. Its own data source is the list (the
// records offered, shown in rows); its key value names the record that is chosen and is highlighted;
// a pick writes the chosen record's key (KeyField of the list) into the edited data set's DataField,
// or, without a data field, only into the key value. DataField may name one lookup field, and then
// the list, its key and the shown field come from that field's lookup definition (lookup-field mode).
// A special row above the data rows can stand for a value outside the list. Typing searches the shown
// list field incrementally; keys, mouse, wheel and the grid's own scroll bar move through the list by
// record, so the grid's height is always a whole number of rows.
//
// The list is shown through the grid's own data link (one grid row per buffered record), so the list
// may be of any length. The pop-up data grid (DBPopupGridX.h) and the lookup combo box build on it.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "datagrid/DBGridX.h"
#include "dataedit/FieldListsX.h"
#include "dataedit/SpecRowX.h"

class TDBLookupGridX;

// The lookup grid's link to the edited data: the key fields follow the record.
class TLookupGridDataLinkX : public TDataLink {
  DECLARE_CLASS(TLookupGridDataLinkX, TDataLink)
  explicit TLookupGridDataLinkX(TDBLookupGridX* AGrid) : FGrid(AGrid) { FVisualControl = true; }

 protected:
  void ActiveChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  void FocusControl(TField*& Field) override;

 private:
  TDBLookupGridX* FGrid;
};

// The special row's cell of one lookup column: text, colour and font, each taken from the grid's
// special row until set on the cell.
class TGridColumnSpecCellX : public TPersistent {
  DECLARE_PUBLISHED_CLASS(TGridColumnSpecCellX, TPersistent)
  static void DeclarePublished(TPublished<TGridColumnSpecCellX>& P);
  explicit TGridColumnSpecCellX(class TDBLookupGridColumnX* AColumn);
  void Assign(TPersistent* Source) override;
  std::string Text() const;
  void SetText(const std::string& Value);
  TColor Color() const;
  void SetColor(TColor Value);
  TFont* Font();
  void SetFont(TFont* Value) { Font()->Assign(Value); }
  bool TextAssigned() const { return FTextAssigned; }
  bool ColorAssigned() const { return FColorAssigned; }
  bool FontAssigned() const { return FFontAssigned; }

 private:
  TSpecRowX* SpecRow() const;
  class TDBLookupGridColumnX* FColumn;
  std::string FText;
  TColor FColor = clWindow;
  std::unique_ptr<TFont> FFont;
  bool FTextAssigned = false, FColorAssigned = false, FFontAssigned = false;
  bool FQuietFont = false;
};

class TDBLookupGridColumnX : public TColumnX {
  DECLARE_PUBLISHED_CLASS(TDBLookupGridColumnX, TColumnX)
  static void DeclarePublished(TPublished<TDBLookupGridColumnX>& P);
  explicit TDBLookupGridColumnX(TCollection* ACollection);
  ~TDBLookupGridColumnX() override;
  void Assign(TPersistent* Source) override;
  TGridColumnSpecCellX* SpecCell() const { return FSpecCell.get(); }
  void SetSpecCell(TGridColumnSpecCellX* Value) { FSpecCell->Assign(Value); }
  // Moving a column moves its special-row text; moving a generated column also reorders ListField.
  void SetIndex(int Value) override;
  // A generated column keeps a width set while the grid lays itself out (the list's own sizing).
  void SetWidth(int Value) override;

 private:
  std::unique_ptr<TGridColumnSpecCellX> FSpecCell;
};

class TDBLookupGridColumnDefValuesX : public TColumnDefValuesX {
  DECLARE_PUBLISHED_CLASS(TDBLookupGridColumnDefValuesX, TColumnDefValuesX)
  static void DeclarePublished(TPublished<TDBLookupGridColumnDefValuesX>& P);
  using TColumnDefValuesX::TColumnDefValuesX;
};

enum TDBLookupGridXOption { dlgColumnResizeX, dlgColLinesX, dlgRowLinesX, dlgAutoSortMarkingX, dlgMultiSortMarkingX };
using TDBLookupGridXOptions = TSet<TDBLookupGridXOption>;

// The incremental search's pause: a key later than this after the previous one starts a new search.
inline constexpr uint32_t LookupSearchTimeoutMs = 2000;
// The longest search text.
inline constexpr int LookupSearchMaxChars = 32;

class TDBLookupGridX : public TCustomDBGridX {
  DECLARE_CLASS(TDBLookupGridX, TCustomDBGridX)
  explicit TDBLookupGridX(TComponent* AOwner);
  ~TDBLookupGridX() override;

  // ---- the edited data (hides the grid's own data source, which is the list here)
  TDataSource* DataSource() const { return FLookupLink->DataSource(); }
  void SetDataSource(TDataSource* Value);
  TLookupGridDataLinkX* LookupLink() const { return FLookupLink.get(); }
  const std::string& DataField() const { return FDataField; }
  void SetDataField(const std::string& Value);
  const TFieldsArrX& DataFields() const { return FDataFields; }
  const TFieldsArrX& KeyFields() const { return FKeyFields; }
  const std::string& KeyFieldNames() const { return FKeyFieldNames; }
  bool LookupMode() const { return FLookupMode; }

  // ---- the list
  TDataSource* ListSource() const { return TCustomDBGridX::DataSource(); }
  void SetListSource(TDataSource* Value);
  const std::string& KeyField() const { return FKeyField; }
  void SetKeyField(const std::string& Value);
  const std::string& ListField() const { return FListField; }
  void SetListField(const std::string& Value);
  int ListFieldIndex() const { return FListFieldIndex; }
  void SetListFieldIndex(int Value);
  TField* ListFieldObj() const { return FListFieldObj; }
  const TFieldsArrX& ListFields() const { return FListFields; }
  const TFieldsArrX& ListKeyFields() const { return FListKeyFields; }
  bool ListActive() const { return FListActive; }
  bool ListHasValue() const { return FListHasValue; }

  // ---- the value
  const Variant& KeyValue() const { return FKeyValue; }
  void SetKeyValue(const Variant& Value);
  const std::string& SelectedText() const { return FSelectedText; }
  const std::string& SearchText() const { return FSearchText; }
  bool SpecRowSelected() const { return FSpecRowSelected; }
  TSpecRowX* SpecRow() const { return FSpecRow.get(); }
  void SetSpecRow(TSpecRowX* Value) { FSpecRow->Assign(Value); }

  // ---- appearance and size
  TDBLookupGridXOptions LookupOptions() const { return FLookupOptions; }
  void SetLookupOptions(TDBLookupGridXOptions Value);
  bool ShowTitles() const { return Options().Contains(gdoTitles); }
  void SetShowTitles(bool Value);
  void SetLookupReadOnly(bool Value) { FLookupLink->SetReadOnly(Value); }
  void SetLookupUseMultiTitle(bool Value);
  bool LookupAutoFitColWidths() const { return FLookupAutoFit; }
  void SetLookupAutoFitColWidths(bool Value);
  // The number of data rows the height is made for (1 .. 100).
  int DisplayRows() const { return FDisplayRows; }
  void SetDisplayRowCount(int Value);
  int SpecRowHeight() const { return FSpecRowHeight; }
  int TopRecordIndex() const { return FTopRecordIndex; }
  int BufferRecordCount() const { return FBufferRecordCount; }
  bool RowPositioned() const { return FRowPositioned; }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  int TitleRowCount() override;

  // ---- operations, in the order of the grid's own slots
  virtual bool CanModify();
  virtual bool KeyValueMatchesFields(const TFieldsArrX& Fields, const Variant& Value);
  virtual int BorderHeight();
  virtual int SpecRowPixelHeight();
  virtual int RowPixelHeight();
  virtual void KeyValueChanged();
  virtual void ListLinkDataChanged();
  virtual void ProcessSearchKey(char32_t Key);
  virtual void SelectKeyValue(const Variant& Value);
  virtual void SpecRowChanged();
  virtual void UpdateRowsHeight();
  virtual void UpdateDataFields();
  virtual void UpdateListFields();
  virtual bool LocateKeyValue();

  void DataFieldChanged(TField* Field);
  // The buffered list record whose key equals KeyValue, -1 when none is.
  int KeyRowIndex();
  // Puts the key's row as the grid's current row.
  void PositionOnKey();
  // Chooses the record (or the special row) under a client point.
  void SelectRecordAt(int X, int Y);
  void SelectSpecRow();
  void PickCurrentRecord();
  // The grid row of the special row, -1 while it is hidden.
  int SpecGridRow() const;
  // The data rows' area in client coordinates.
  TRect DataRect();
  // The summed widths of the columns with their lines.
  int TotalColumnWidth();
  // The window width that shows every column.
  int WidthForColumns();
  // Whether the key of the buffered list record at Index equals KeyValue.
  bool RecordIsKey(int Index);
  // The vertical scroll bar's state as last set: maximum, page and position.
  int VertScrollMax() const { return FVertMax; }
  int VertScrollPos() const { return FVertPos; }
  // Set by the pop-up: a click never focuses the grid.
  void SetNeverFocuses(bool Value) { FGrabFocus = !Value; }

  TNotifyEvent OnLayoutChangedHook;

 protected:
  friend class TDBLookupGridColumnX;
  TDBGridColumnsX* CreateColumns() override;
  TColumnDefValuesX* CreateColumnDefValues() override;
  void BuildFieldMap() override;
  void DataLinkActiveChanged(bool Value) override;
  void LayoutChanged() override;
  void DataChanged() override;
  void Scroll(int Distance) override;
  void UpdateRowCount() override;
  void SyncCurrentRow() override;
  void InternalLayout() override;
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(WideChar& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) override;
  void Dispatch(TMessage& Message) override;
  void DoEnter() override;
  void DoExit() override;
  // The user sized a column: with auto-fit the list is as wide as its columns.
  void ColWidthsChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The list's own bar: from record numbers (sequenced lists) or as a five-position bar.
  void UpdateVertScrollBar() override;
  void VertScroll(int Code);
  // Dragging outside the client: one record towards the pointer, again on a timer that runs the faster
  // the farther out the pointer is. The no-argument step uses the last pointer position.
  void AutoScrollStep(int Y);
  void AutoScrollStep() override {
    if (FDragging) AutoScrollStep(FMousePos);
    else TCustomDBGridX::AutoScrollStep();
  }
  void StopAutoScroll();
  static constexpr UINT_PTR AutoScrollTimerId = 0x4C47;
  bool FAutoScrolling = false;
  void MoveList(int Distance);
  void CheckNotCircular(TDataSource* ListSrc);
  void SetLookupMode(bool Value);

  std::unique_ptr<TLookupGridDataLinkX> FLookupLink;
  std::unique_ptr<TDataSource> FLookupSource;
  std::unique_ptr<TSpecRowX> FSpecRow;
  TFieldsArrX FDataFields, FKeyFields, FListKeyFields, FListFields;
  std::string FDataField, FKeyField, FListField, FKeyFieldNames;
  bool FRowPositioned = false;
  bool FListHasValue = false;
  Variant FKeyValue = Null;
  bool FListActive = false;
  TField* FListFieldObj = nullptr;
  int FListFieldIndex = 0;
  bool FLookupMode = false;
  bool FHasFocus = false;
  std::string FSearchText, FSelectedText;
  TTypedCharJoiner FTypedChar;  // the halves of a character beyond the BMP typed into the search
  bool FSearchLock = false;
  bool FSpecRowSelected = false;
  int FTopRecordIndex = 0, FBufferRecordCount = 0;
  int FDisplayRows = 7;
  TDBLookupGridXOptions FLookupOptions;
  int FSpecRowHeight = 0;
  bool FLookupAutoFit = false;
  bool FSizingLock = false;
  bool FRefitting = false;
  bool FUpdatingScrollBar = false;  // showing the bar resizes the frame, which asks again
  bool FDragging = false;
  int FMousePos = 0;
  int FVertMax = -1, FVertPos = -1, FVertPage = -1;
};
