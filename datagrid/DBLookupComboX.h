#pragma once
// The lookup combo box: a data-aware edit whose value is a key of a second data set, the list. It
// shows the list record's text (ListField), writes the record's key (KeyField) into DataField, and
// drops down a pop-up data grid to choose from. When DataField is a lookup field, the list, its key
// and the shown field come from that field's lookup definition instead (lookup-field mode).
//
// Style csDropDownListX: the text changes only by choosing (typing searches the list and completes
// the shown text). Style csDropDownX: free text, matched against the list as it is typed; text that
// is not in the list gives a Null key, or, in a control without data source, is kept as the value.
// With neither data source, data field, list source, list field nor key field the control is
// unconfigured and behaves as a plain edit.
//
// The grid's filter-row editor is built on this class.

#include <functional>
#include <memory>
#include <string>

#include "datagrid/DBGridXDropDownBox.h"
#include "datagrid/DBPopupGridX.h"
#include "dataedit/DBCtrlsX_combo.h"
#include "dataedit/DBCtrlsX_edit.h"

class TCustomDBLookupComboboxX;

enum TDBLookupComboboxXStyle { csDropDownX, csDropDownListX };

// The control's link to the edited data: several key fields at once, and whether the value kept
// without a data source is free text rather than a key. The combo box resolves its own fields, so a
// layout change of the data set goes to the combo box instead of the link's field lookup.
class TDataSourceLinkX : public TFieldDataLinkX {
  DECLARE_CLASS(TDataSourceLinkX, TFieldDataLinkX)
  explicit TDataSourceLinkX(TCustomDBLookupComboboxX* ACombo) : FCombo(ACombo) { SetMultiFields(true); }
  TCustomDBLookupComboboxX* Combo() const { return FCombo; }
  bool TextValue() const { return FTextValue; }
  void SetTextValue(bool Value) { FTextValue = Value; }

 protected:
  void LayoutChanged() override;

 private:
  TCustomDBLookupComboboxX* FCombo;
  bool FTextValue = false;
};

// The link to the list.
class TListSourceLinkX : public TDataLink {
  DECLARE_CLASS(TListSourceLinkX, TDataLink)
  explicit TListSourceLinkX(TCustomDBLookupComboboxX* ACombo) : FCombo(ACombo) { FVisualControl = true; }

 protected:
  void ActiveChanged() override;
  void LayoutChanged() override;
  void DataSetChanged() override;

 private:
  TCustomDBLookupComboboxX* FCombo;
};

// How the drop-down grid opens: the column drop-down box's settings (alignment, rows, width, titles,
// special row, sizing, auto-fit, a list source used while focused, and the grid's columns and options,
// reached through the combo box as IDropDownBoxOwnerX), with 7 rows by default.
class TLookupComboboxDropDownBoxX : public TColumnDropDownBoxX {
  DECLARE_PUBLISHED_CLASS(TLookupComboboxDropDownBoxX, TColumnDropDownBoxX)
  static void DeclarePublished(TPublished<TLookupComboboxDropDownBoxX>& P);
  explicit TLookupComboboxDropDownBoxX(TPersistent* AOwner) : TColumnDropDownBoxX(AOwner) { SetRows(7); }
  // As the column box's, and the combo box switches lists at once.
  void SetListSource(TDataSource* Value) {
    TColumnDropDownBoxX::SetListSource(Value);
    if (OnListSourceChanged) OnListSourceChanged(this);
  }
  void Assign(TPersistent* Source) override {
    TColumnDropDownBoxX::Assign(Source);
    if (OnListSourceChanged) OnListSourceChanged(this);
  }
  TNotifyEvent OnListSourceChanged;
};

class TCustomDBLookupComboboxX : public TCustomDBEditX, public IDropDownBoxOwnerX {
  DECLARE_CLASS(TCustomDBLookupComboboxX, TCustomDBEditX)
  explicit TCustomDBLookupComboboxX(TComponent* AOwner);
  ~TCustomDBLookupComboboxX() override;

  void SetDataField(const std::string& Value) override;
  void SetDataSource(TDataSource* Value) override;
  std::string KeyField() const { return FLookupMode ? std::string() : FKeyField; }
  void SetKeyField(const std::string& Value);
  const std::string& ListField() const { return FListField; }
  void SetListField(const std::string& Value);
  int ListFieldIndex() const { return FListFieldIndex; }
  void SetListFieldIndex(int Value);
  TDataSource* ListSource() const { return FLookupMode ? nullptr : FListSource; }
  void SetListSource(TDataSource* Value);
  TDBLookupComboboxXStyle Style() const { return FStyle; }
  void SetStyle(TDBLookupComboboxXStyle Value);
  TLookupComboboxDropDownBoxX* DropDownBox() const { return FDropDownBox.get(); }
  void SetDropDownBox(TLookupComboboxDropDownBoxX* Value) { FDropDownBox->Assign(Value); }

  const Variant& KeyValue() const { return FKeyValue; }
  void SetKeyValue(const Variant& Value);
  bool ListActive() const { return FListActive; }
  bool ListVisible() const { return FListVisible; }
  bool LookupMode() const { return FLookupMode; }
  bool Unconfigured() const { return FUnconfigured; }
  TField* ListFieldObj() const { return FListFieldObj; }
  const TFieldsArrX& DataKeyFields() const { return FDataKeyFields; }
  // The drop-down grid, made on first drop-down (or when the drop-down box reaches its columns).
  TPopupDataGridX* Grid() const { return FGrid; }

  // IDropDownBoxOwnerX, for the drop-down box.
  void WatchComponent(TComponent* AComponent) override;
  TPopupDataGridX* GetDropDownGrid() override;
  TDBLookupGridXOptions GetDropDownGridOptions() override { return GetDropDownGrid()->LookupOptions(); }
  void SetDropDownGridOptions(TDBLookupGridXOptions Value) override { GetDropDownGrid()->SetLookupOptions(Value); }
  // The data-independent value is free text, not a key (csDropDownX without data source).
  bool TextValue() const { return SourceLink()->TextValue(); }
  TDataSourceLinkX* SourceLink() const { return static_cast<TDataSourceLinkX*>(DataLink()); }

  // Moves the key to the previous or next list record (the first when the key is not in the list).
  void SelectNextListValue(bool Up);
  virtual void UpdateDataFields();
  virtual void UpdateListFields();
  void ListLinkDataChanged() {}

  // Setting the button handlers refreshes the buttons' enabled state (a handler enables them).
  void SetOnButtonClick(TButtonClickEventX Value) {
    OnButtonClick = std::move(Value);
    RefreshButtonControls();
  }
  void SetOnButtonDown(TButtonDownEventX Value) {
    OnButtonDown = std::move(Value);
    RefreshButtonControls();
  }

  TCloseUpEventX OnCloseUp;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnKeyValueChanged;
  TNotInListEventX OnNotInList;

  // The drop-down grid's own events, read and set through the combo box (the grid is made on first
  // use): its title buttons, cell drawing and cell parameters, and its sort marking.
  using TCheckTitleBtnEventX = TCustomDBGridX::TCheckTitleBtnEventX;
  using TDrawColumnCellEventX = TCustomDBGridX::TDrawColumnCellEventX;
  using TGetCellParamsEventX = TCustomDBGridX::TGetCellParamsEventX;
  using TTitleBtnClickEventX = TCustomDBGridX::TTitleBtnClickEventX;
  TCheckTitleBtnEventX OnDropDownBoxCheckButton() { return GetDropDownGrid()->OnCheckTitleButton; }
  void SetOnDropDownBoxCheckButton(TCheckTitleBtnEventX Value) { GetDropDownGrid()->OnCheckTitleButton = std::move(Value); }
  TDrawColumnCellEventX OnDropDownBoxDrawColumnCell() { return GetDropDownGrid()->OnDrawColumnCell; }
  void SetOnDropDownBoxDrawColumnCell(TDrawColumnCellEventX Value) { GetDropDownGrid()->OnDrawColumnCell = std::move(Value); }
  TGetCellParamsEventX OnDropDownBoxGetCellParams() { return GetDropDownGrid()->OnGetCellParams; }
  void SetOnDropDownBoxGetCellParams(TGetCellParamsEventX Value) { GetDropDownGrid()->OnGetCellParams = std::move(Value); }
  TNotifyEvent OnDropDownBoxSortMarkingChanged() { return GetDropDownGrid()->OnSortMarkingChanged; }
  void SetOnDropDownBoxSortMarkingChanged(TNotifyEvent Value) { GetDropDownGrid()->OnSortMarkingChanged = std::move(Value); }
  TTitleBtnClickEventX OnDropDownBoxTitleBtnClick() { return GetDropDownGrid()->OnTitleBtnClick; }
  void SetOnDropDownBoxTitleBtnClick(TTitleBtnClickEventX Value) { GetDropDownGrid()->OnTitleBtnClick = std::move(Value); }

 protected:
  // The control's own operations, in slot order.
  virtual bool CanModifyKey(bool StartEditing);
  virtual bool KeyValueFitsFields(const TFieldsArrX& Fields, const Variant& Value);
  virtual int GetListFieldsWidth();
  virtual bool LocateListText(const std::string& AText, bool Partial);
  virtual bool IsKeyInSource(TDataSource* Source);
  virtual void KeyValueChanged();
  virtual void ProcessSearchText(const std::string& S);
  virtual void SpecRowChanged();
  virtual bool LocateKeyValue();
  virtual void SelectAllText();

  bool EditButtonsEnabled() override;
  std::unique_ptr<TFieldDataLinkX> NewDataLink() override { return std::make_unique<TDataSourceLinkX>(this); }
  // The main button is visible and opens the list with Alt+Down.
  TEditButtonX* NewEditButton() override { return TVisibleEditButtonX::CreateForControl(this); }
  TAlignment GetDefaultAlignment() const override;
  std::string GetDataField() const override { return FDataField; }
  std::string GetPaintCopyText() override;
  Variant DoGetValue() override { return FKeyValue; }
  bool IsValidInputChar(char32_t Ch) override;
  void LinkActiveChanged() override;
  void EditButtonPressed(bool IsDownButton) override;
  void FieldDataChanged() override;
  void DropDown() override;
  void ApplyText(const std::string& AText) override;
  void ApplyValue(const Variant& Value) override;
  void StoreTextInLink() override;
  void CommitData() override;
  void RefreshReadOnlyState() override;

 public:
  void CloseUp(bool Accept) override;

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void KeyPress(WideChar& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Click() override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) override;
  bool WantsKey(WORD Key, TShiftState Shift) override;
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void ButtonControlMouseMove(TEditButtonControlX* Sender, TShiftState Shift, int X, int Y) override;
  // A drag from the control (or its main button) into the open list goes on as a press in the list.
  void ForwardPressToList(TControl* From, int X, int Y);
  void Loaded() override;
  void Change() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  void InternalSetKeyValue(const Variant& Value);
  void SetDisplayText(const std::string& AText);
  void UpdateUnconfigured();
  void CheckNotCircular();
  void CheckNotLookup();
  void SetLookupMode(bool Value);
  // The text for the key: the special row's cell, the shown field of the key's record, or empty.
  std::string TextForKey(bool& Found);
  // After a match while typing in free text: the completed tail stays selected after the old caret.
  void SelectFromCaret(int OldCaret);
  TDataSet* ListDataSet() const { return FListLink->DataSet(); }
  // The list in use: the drop-down box's while focused (when it has one), else the lookup field's
  // own source in lookup-field mode, else ListSource. The base list leaves out the drop-down box's.
  TDataSource* GetActiveListSource();
  TDataSource* GetBaseListSource();
  void UpdateListSource();
  bool UsesDropDownListSource();
  void SetFocusState(bool Value) override;

  TFieldsArrX FDataFields;
  bool FUpdatingDataFields = false;
  TPopupDataGridX* FGrid = nullptr;  // owned as a component
  std::unique_ptr<TLookupComboboxDropDownBoxX> FDropDownBox;
  bool FOwnTextChange = false;
  TFieldsArrX FListKeyFields;
  std::string FKeyField;
  bool FUnconfigured = true;
  Variant FKeyValue = Null;
  bool FGridLayoutChanged = false;
  TField* FListFieldObj = nullptr;
  int FListFieldIndex = 0;
  std::string FListField;
  TFieldsArrX FListFields;
  std::unique_ptr<TListSourceLinkX> FListLink;
  TDataSource* FListSource = nullptr;
  bool FListVisible = false;
  bool FListActive = false;
  bool FLookupMode = false;
  std::unique_ptr<TDataSource> FOwnSource;
  TFieldsArrX FDataKeyFields;
  std::string FDataKeyNames;
  std::string FDataField;
  TDBLookupComboboxXStyle FStyle = csDropDownListX;
  TTypedCharJoiner FTypedChar;  // the halves of a character beyond the BMP typed into the search
  bool FChangeSuspended = false, FChangeSwallowed = false;
};

class TDBLookupComboboxX : public TCustomDBLookupComboboxX {
  DECLARE_PUBLISHED_CLASS(TDBLookupComboboxX, TCustomDBLookupComboboxX)
  static void DeclarePublished(TPublished<TDBLookupComboboxX>& P);
  using TCustomDBLookupComboboxX::TCustomDBLookupComboboxX;
};
