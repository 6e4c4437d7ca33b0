#include "datagrid/DBLookupComboX.h"
#include "platform/controls/menus.h"

#include <algorithm>

#include "dataedit/VarValuesX.h"
#include "platform/rtl/sysutils.h"

namespace {

std::string JoinFieldNames(const TFieldsArrX& Fields) {
  std::string s;
  for (TField* f : Fields) {
    if (!s.empty()) s += ';';
    s += f->FieldName();
  }
  return s;
}

bool IsStringField(TField* F) {
  if (!F) return false;
  TFieldKind k = F->FieldKind();
  return (k == fkData || k == fkInternalCalc) && (F->DataType() == ftString || F->DataType() == ftWideString);
}

// The first Count characters (code points) of a UTF-8 text.
std::string Utf8Head(const std::string& S, int Count) {
  size_t i = 0;
  int n = 0;
  while (i < S.size() && n < Count) {
    unsigned char c = static_cast<unsigned char>(S[i]);
    i += c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    ++n;
  }
  return S.substr(0, std::min(i, S.size()));
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Links and drop-down settings


void TDataSourceLinkX::LayoutChanged() { FCombo->UpdateDataFields(); }

void TListSourceLinkX::ActiveChanged() { FCombo->UpdateListFields(); }
void TListSourceLinkX::LayoutChanged() { FCombo->UpdateListFields(); }
void TListSourceLinkX::DataSetChanged() { FCombo->ListLinkDataChanged(); }


// ---------------------------------------------------------------------------------------------------
// Creation and settings

TCustomDBLookupComboboxX::TCustomDBLookupComboboxX(TComponent* AOwner) : TCustomDBEditX(AOwner) {
  // The edit made its link before this class existed: the combo box's own link takes its place.
  RenewDataLink();
  FListLink = std::make_unique<TListSourceLinkX>(this);
  FOwnSource = std::make_unique<TDataSource>(nullptr);
  FDropDownBox = std::make_unique<TLookupComboboxDropDownBoxX>(this);
  FDropDownBox->SpecRow()->OnChanged = [this](TObject*) { SpecRowChanged(); };
  FDropDownBox->OnListSourceChanged = [this](TObject*) { UpdateListSource(); };
  // The base made the main button before this class existed: the visible one takes its place.
  RenewEditButton();
  RefreshReadOnlyState();
}

TCustomDBLookupComboboxX::~TCustomDBLookupComboboxX() {
  // The grid goes later, with the components this control owns: it must not call back into it.
  if (FGrid) {
    FGrid->OnLayoutChangedHook = nullptr;
    FGrid->OnPickByMouse = nullptr;
    FGrid->OnKeyValueChangedByUser = nullptr;
  }
  FDropDownBox->SpecRow()->OnChanged = nullptr;
  FDropDownBox->OnListSourceChanged = nullptr;
  FListLink->SetDataSource(nullptr);
}


bool TCustomDBLookupComboboxX::EditButtonsEnabled() {
  return TCustomDBEditX::EditButtonsEnabled() && (FListActive || OnButtonClick || OnButtonDown);
}

TAlignment TCustomDBLookupComboboxX::GetDefaultAlignment() const {
  return FUnconfigured ? TCustomDBEditX::GetDefaultAlignment() : taLeftJustify;
}

bool TCustomDBLookupComboboxX::IsValidInputChar(char32_t Ch) {
  if (FListActive && FListFieldObj) return FListFieldObj->IsValidChar(Ch);
  return TCustomDBEditX::IsValidInputChar(Ch);
}

void TCustomDBLookupComboboxX::CheckNotCircular() {
  TDataSet* lds = FListLink->Active() ? ListDataSet() : nullptr;
  TDataSource* ds = DataSource();
  if (lds && ds && ds->DataSet() == lds) DatabaseError("Circular datalinks are not allowed", this);
}

void TCustomDBLookupComboboxX::CheckNotLookup() {
  if (FLookupMode) DatabaseError("Property already defined by lookup field", this);
  if (DataLink()->DataSourceFixed()) DatabaseError("Operation not allowed in a DBCtrlGrid", this);
}

void TCustomDBLookupComboboxX::UpdateUnconfigured() {
  if (FListActive) return;
  FUnconfigured = !DataSource() && FDataField.empty() && !FListSource && FListField.empty() && FKeyField.empty();
}

void TCustomDBLookupComboboxX::RefreshReadOnlyState() {
  // Free text only in csDropDownX while the value may be edited; otherwise typing searches the list.
  TCustomDBEditX::RefreshReadOnlyState();
  if (!FListLink) return;  // still being made
  if (FUnconfigured) return;
  bool editable = FStyle == csDropDownX && !ReadOnly() && (DataLink()->Editing() || IsDataIndependent());
  SetWindowReadOnly(!editable);
}

void TCustomDBLookupComboboxX::SetDataSource(TDataSource* Value) {
  TCustomDBEditX::SetDataSource(Value);
  UpdateDataFields();
}

void TCustomDBLookupComboboxX::SetDataField(const std::string& Value) {
  if (FDataField == Value) return;
  FDataField = Value;
  UpdateDataFields();
}

void TCustomDBLookupComboboxX::SetKeyField(const std::string& Value) {
  CheckNotLookup();
  if (FKeyField == Value) return;
  FKeyField = Value;
  UpdateListFields();
}

void TCustomDBLookupComboboxX::SetListField(const std::string& Value) {
  if (FListField == Value) return;
  FListField = Value;
  UpdateListFields();
}

void TCustomDBLookupComboboxX::SetListFieldIndex(int Value) {
  if (FListFieldIndex == Value) return;
  FListFieldIndex = Value;
  UpdateListFields();
}

void TCustomDBLookupComboboxX::SetListSource(TDataSource* Value) {
  CheckNotLookup();
  FListSource = Value;
  if (Value) Value->FreeNotification(this);
  UpdateListSource();
  UpdateListFields();
}

TDataSource* TCustomDBLookupComboboxX::GetBaseListSource() { return FLookupMode ? FOwnSource.get() : FListSource; }

TDataSource* TCustomDBLookupComboboxX::GetActiveListSource() {
  if (FocusState() && !ComponentState().Contains(csDesigning) && FDropDownBox->ListSource())
    return FDropDownBox->ListSource();
  return GetBaseListSource();
}

bool TCustomDBLookupComboboxX::UsesDropDownListSource() {
  return FDropDownBox->ListSource() && FListLink->DataSource() == FDropDownBox->ListSource();
}

void TCustomDBLookupComboboxX::UpdateListSource() {
  if (!FListLink || FListVisible) return;
  TDataSource* s = GetActiveListSource();
  if (FListLink->DataSource() != s) FListLink->SetDataSource(s);
}

void TCustomDBLookupComboboxX::SetFocusState(bool Value) {
  TCustomDBEditX::SetFocusState(Value);
  UpdateListSource();
}

void TCustomDBLookupComboboxX::SetStyle(TDBLookupComboboxXStyle Value) {
  FStyle = Value;
  RefreshReadOnlyState();
}

void TCustomDBLookupComboboxX::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomDBEditX::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FListSource) {
    FListSource = nullptr;
    UpdateListSource();
  }
  if (FDropDownBox && AComponent == FDropDownBox->ListSource()) {
    FDropDownBox->ListSourceGone(AComponent);
    UpdateListSource();
    DataLink()->ReloadRecord();
  }
  if (AComponent == FGrid) FGrid = nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Fields

void TCustomDBLookupComboboxX::LinkActiveChanged() {
  TCustomDBEditX::LinkActiveChanged();
  UpdateDataFields();
}

void TCustomDBLookupComboboxX::UpdateDataFields() {
  if (FUpdatingDataFields || !FListLink) return;
  FUpdatingDataFields = true;
  struct Guard {
    bool& B;
    ~Guard() { B = false; }
  } guard{FUpdatingDataFields};
  FDataFields.clear();
  FDataKeyFields.clear();
  FDataKeyNames.clear();
  TDataSet* ds = DataLink()->DataSource() ? DataLink()->DataSource()->DataSet() : nullptr;
  bool lookup = false;
  if (ds && ds->Active() && !FDataField.empty()) {
    CheckNotCircular();
    FDataFields = GetFieldsArray(ds, this, FDataField);
    lookup = FDataFields.size() == 1 && FDataFields[0]->Lookup();
    FDataKeyFields = lookup ? GetFieldsArray(ds, this, FDataFields[0]->KeyFields()) : FDataFields;
    FDataKeyNames = JoinFieldNames(FDataKeyFields);
  }
  SetLookupMode(lookup);
  DataLink()->SetFieldName(FDataKeyNames.empty() ? FDataField : FDataKeyNames);
  UpdateUnconfigured();
  RefreshReadOnlyState();
  RefreshButtonControls();
  if (!FUnconfigured) DataLink()->ReloadRecord();
}

void TCustomDBLookupComboboxX::SetLookupMode(bool Value) {
  if (Value) {
    TField* f = FDataFields[0];
    FDataKeyFields = GetFieldsArray(f->DataSet(), this, f->KeyFields());
    FDataKeyNames = JoinFieldNames(FDataKeyFields);
    FLookupMode = true;
    FOwnSource->SetDataSet(f->LookupDataSet());
    FKeyField = f->LookupKeyFields();
    if (FListLink->DataSource() != GetActiveListSource()) FListLink->SetDataSource(GetActiveListSource());
    else UpdateListFields();
  } else if (FLookupMode) {
    FLookupMode = false;
    FListLink->SetDataSource(GetActiveListSource());
    FKeyField.clear();
    FOwnSource->SetDataSet(nullptr);
    FDataKeyFields = FDataFields;
    FDataKeyNames = JoinFieldNames(FDataKeyFields);
  }
}

void TCustomDBLookupComboboxX::UpdateListFields() {
  if (FListVisible || !FListLink) return;
  FListActive = false;
  RefreshButtonControls();
  FListFieldObj = nullptr;
  FListFields.clear();
  TDataSet* lds = ListDataSet();
  if (FListLink->Active() && lds && !FKeyField.empty()) {
    CheckNotCircular();
    FListKeyFields = GetFieldsArray(lds, this, FKeyField);
    FListFields = GetFieldsArray(lds, this, FListField);
    if (FLookupMode) {
      FListFieldObj = lds->FieldByName(FDataFields[0]->LookupResultField());
      if (std::find(FListFields.begin(), FListFields.end(), FListFieldObj) == FListFields.end())
        FListFields.insert(FListFields.begin(), FListFieldObj);
    } else {
      if (FListFields.empty()) FListFields = FListKeyFields;
      FListFieldObj = FListFieldIndex >= 0 && FListFieldIndex < static_cast<int>(FListFields.size())
                          ? FListFields[static_cast<size_t>(FListFieldIndex)]
                          : FListFields[0];
    }
    FListActive = true;
  }
  UpdateUnconfigured();
  RefreshReadOnlyState();
  RefreshButtonControls();
  if (FUnconfigured) return;
  bool modified = Modified();
  if (FListActive) {
    bool found = false;
    SetDisplayText(TextForKey(found));
  } else {
    SetDisplayText(ComponentState().Contains(csDesigning) ? Name() : std::string());
  }
  SetModified(modified);
}

std::string TCustomDBLookupComboboxX::TextForKey(bool& Found) {
  Found = false;
  // Focused on the drop-down box's list: the text comes from the control's own list when the key is
  // there (the narrower list may lack the current key).
  if (FocusState() && UsesDropDownListSource() && FListFieldObj && IsKeyInSource(GetBaseListSource())) {
    TField* f = GetBaseListSource()->DataSet()->FindField(FListFieldObj->FieldName());
    if (f) {
      Found = true;
      return f->DisplayText();
    }
  }
  TSpecRowX* special = FDropDownBox->SpecRow();
  bool located = LocateKeyValue();
  if (special->Visible() && (special->MatchesKey(FKeyValue) || (special->ShowIfNotInKeyList() && !located)))
    return special->GetColumnText(FListFieldIndex);
  if (located && FListFieldObj) {
    Found = true;
    return FListFieldObj->DisplayText();
  }
  return {};
}

// ---------------------------------------------------------------------------------------------------
// Key value

bool TCustomDBLookupComboboxX::KeyValueFitsFields(const TFieldsArrX& Fields, const Variant& Value) {
  if (Fields.size() == 1) return !Value.IsArray();
  return Fields.size() > 1 && Value.IsArray() &&
         Value.ArrayHighBound() - Value.ArrayLowBound() + 1 == static_cast<int>(Fields.size());
}

bool TCustomDBLookupComboboxX::LocateKeyValue() {
  TDataSet* lds = ListDataSet();
  if (FKeyValue.IsNull() || FKeyValue.IsEmpty() || !lds || !lds->Active() ||
      !KeyValueFitsFields(FListKeyFields, FKeyValue))
    return false;
  try {
    return lds->Locate(FKeyField, FKeyValue, {});
  } catch (...) {
    return false;
  }
}

bool TCustomDBLookupComboboxX::IsKeyInSource(TDataSource* Source) {
  TDataSet* ds = Source ? Source->DataSet() : nullptr;
  if (FKeyValue.IsNull() || !ds || !ds->Active() || !KeyValueFitsFields(FListKeyFields, FKeyValue)) return false;
  try {
    return ds->Locate(FKeyField, FKeyValue, {});
  } catch (...) {
    return false;
  }
}

void TCustomDBLookupComboboxX::InternalSetKeyValue(const Variant& Value) {
  if (VarValuesEqual(FKeyValue, Value) && FKeyValue.IsNull() == Value.IsNull()) return;
  FKeyValue = Value;
  KeyValueChanged();
}

void TCustomDBLookupComboboxX::KeyValueChanged() {
  DataLink()->MarkModified();
  SetModified(true);
  if (!FUnconfigured) {
    if (FListActive) {
      if (LocateKeyValue() && !FDropDownBox->SpecRow()->MatchesKey(FKeyValue) && FListFieldObj)
        SetDisplayText(FListFieldObj->DisplayText());
    } else if (ComponentState().Contains(csDesigning)) {
      SetDisplayText(Name());
    }
  }
  if (FListVisible && FGrid) FGrid->SetKeyValue(FKeyValue);
  if (FStyle == csDropDownListX && HandleAllocated()) SelectAllText();
  if (OnKeyValueChanged) OnKeyValueChanged(this);
}

void TCustomDBLookupComboboxX::SetKeyValue(const Variant& Value) {
  if (FDataKeyFields.empty()) {
    InternalSetKeyValue(Value);
    if (!Posting()) {
      try {
        CommitData();
      } catch (...) {
        DataLink()->ReloadRecord();
        throw;
      }
    }
  } else if (DataLink()->StartEdit()) {
    AssignFieldValues(DataLink()->DataSet(), FDataKeyNames, Value);
  }
  TSpecRowX* special = FDropDownBox->SpecRow();
  if (FListActive && !LocateKeyValue() &&
      !(special->Visible() && (special->MatchesKey(FKeyValue) || special->ShowIfNotInKeyList())))
    SetDisplayText("");
}

bool TCustomDBLookupComboboxX::CanModifyKey(bool StartEditing) {
  bool allowed = (FUnconfigured || FListActive) && !ReadOnly();
  if (allowed && DataSource()) {
    allowed = !FDataKeyFields.empty();
    for (TField* f : FDataKeyFields) allowed = allowed && f->CanModify();
  }
  if (StartEditing && allowed && !FDataKeyFields.empty()) return DataLink()->StartEdit();
  if (StartEditing && allowed && IsDataIndependent()) DataLink()->StartEdit();
  return allowed;
}

void TCustomDBLookupComboboxX::SelectNextListValue(bool Up) {
  TDataSet* lds = ListDataSet();
  if (!CanModifyKey(true) || !FListLink->Active() || !lds) return;
  if (LocateKeyValue()) lds->MoveBy(Up ? -1 : 1);
  else lds->First();
  SetKeyValue(lds->FieldValues(FKeyField));
  if (Focused()) SelectAll();
}

// ---------------------------------------------------------------------------------------------------
// Text

void TCustomDBLookupComboboxX::SetDisplayText(const std::string& AText) {
  FOwnTextChange = true;
  try {
    TCustomMaskEdit::SetText(AText);
  } catch (...) {
    FOwnTextChange = false;
    throw;
  }
  FOwnTextChange = false;
}

void TCustomDBLookupComboboxX::SelectAllText() {
  if (HandleAllocated()) SendMessage(Handle(), EM_SETSEL, 0x7FFFFFFF, 0);
}

void TCustomDBLookupComboboxX::Change() {
  if (FChangeSuspended) {
    FChangeSwallowed = true;
    return;
  }
  if (FOwnTextChange) {
    TCustomMaskEdit::Change();
    return;
  }
  TCustomDBEditX::Change();
}

bool TCustomDBLookupComboboxX::LocateListText(const std::string& AText, bool Partial) {
  if (!FListActive || !CanModifyKey(true)) return false;
  TDataSet* lds = ListDataSet();
  TLocateOptions opts{loCaseInsensitive};
  if (Partial) opts.Include(loPartialKey);
  try {
    if (lds->Locate(FListFieldObj->FieldName(), Variant(AText), opts)) {
      FChangeSuspended = true;
      FChangeSwallowed = false;
      try {
        InternalSetKeyValue(lds->FieldValues(FKeyField));
        SetDisplayText(FListFieldObj->DisplayText());
      } catch (...) {
        FChangeSuspended = false;
        throw;
      }
      FChangeSuspended = false;
      int full = Utf8Length(Text()), typed = std::min(full, Utf8Length(AText));
      if (HandleAllocated()) SendMessage(Handle(), EM_SETSEL, static_cast<WPARAM>(full), static_cast<LPARAM>(typed));
      if (FChangeSwallowed) {
        FChangeSwallowed = false;
        TCustomMaskEdit::Change();
      }
      return true;
    }
    if (FStyle == csDropDownX) InternalSetKeyValue(Null);
    return false;
  } catch (...) {
    if (FStyle == csDropDownX) {
      InternalSetKeyValue(Null);
    } else {
      SetDisplayText(Text());
      SetSelStart(Utf8Length(Text()));
    }
    return false;
  }
}

void TCustomDBLookupComboboxX::ProcessSearchText(const std::string& S) {
  if (!IsStringField(FListFieldObj) || !CanModifyKey(true)) return;
  int len = Utf8Length(Text());
  if (S == "\b") {
    if (len == 0) return;
    if (SelLength() >= len) {
      SendMessage(Handle(), EM_SETSEL, static_cast<WPARAM>(len), static_cast<LPARAM>(len - 1));
    } else {
      int start = std::max(0, SelStart() - 1);
      SendMessage(Handle(), EM_SETSEL, static_cast<WPARAM>(len), static_cast<LPARAM>(start));
    }
    return;
  }
  LocateListText(Utf8Head(Text(), SelStart()) + S, true);
}

void TCustomDBLookupComboboxX::ApplyText(const std::string& AText) {
  if (FUnconfigured) {
    TCustomDBEditX::ApplyText(AText);
    return;
  }
  if (FStyle == csDropDownX) SetDisplayText(AText);
  LocateListText(AText, false);
}

void TCustomDBLookupComboboxX::ApplyValue(const Variant& Value) {
  if (FUnconfigured) {
    TCustomDBEditX::ApplyValue(Value);
    FKeyValue = Value;
    return;
  }
  InternalSetKeyValue(Value);
}

void TCustomDBLookupComboboxX::SelectFromCaret(int OldCaret) {
  int len = Utf8Length(Text());
  if (HandleAllocated()) SendMessage(Handle(), EM_SETSEL, static_cast<WPARAM>(len), static_cast<LPARAM>(OldCaret));
}

// ---------------------------------------------------------------------------------------------------
// Record and commit

void TCustomDBLookupComboboxX::FieldDataChanged() {
  if (FUnconfigured) {
    TCustomDBEditX::FieldDataChanged();
    FKeyValue = IsDataIndependent() ? DataLink()->DataIndependentValue() : Variant(Text());
    return;
  }
  if (IsDataIndependent() && SourceLink()->TextValue()) {
    SetDisplayText(SafeVarToStr(DataLink()->DataIndependentValue()));
    LocateListText(Text(), false);
  } else {
    TDataSet* ds = DataLink()->DataSource() ? DataLink()->DataSource()->DataSet() : nullptr;
    Variant v = Null;
    if (ds && ds->Active() && !FDataKeyFields.empty()) v = ds->FieldValues(FDataKeyNames);
    else if (IsDataIndependent()) v = DataLink()->DataIndependentValue();
    if (v.IsEmpty()) v = Null;
    InternalSetKeyValue(v);
    if (FListActive) {
      bool found = false;
      std::string t = TextForKey(found);
      SetDisplayText(t);  // the special row's text, the record's, or empty for a key not in the list
    }
  }
  SetModified(false);
}

void TCustomDBLookupComboboxX::CommitData() {
  if (FListActive && OnNotInList && FListFieldObj && !Text().empty()) {
    TDataSet* lds = ListDataSet();
    bool found = false;
    try {
      found = lds->Locate(FListFieldObj->FieldName(), Variant(Text()), {loCaseInsensitive});
    } catch (...) {
      found = false;
    }
    if (!found) {
      bool recheck = false;
      OnNotInList(this, Text(), recheck);
      if (recheck) {
        try {
          if (lds->Locate(FListFieldObj->FieldName(), Variant(Text()), {loCaseInsensitive}))
            InternalSetKeyValue(lds->FieldValues(FKeyField));
        } catch (...) {
        }
      }
    }
  }
  TCustomDBEditX::CommitData();
}

void TCustomDBLookupComboboxX::StoreTextInLink() {
  if (FUnconfigured) {
    TCustomDBEditX::StoreTextInLink();
    return;
  }
  TSpecRowX* special = FDropDownBox->SpecRow();
  if (IsDataIndependent() && FListActive && !LocateKeyValue() && !Text().empty() && FStyle == csDropDownX &&
      !special->Visible()) {
    SourceLink()->SetTextValue(true);
    DataLink()->SetValue(Variant(Text()));
  } else {
    SourceLink()->SetTextValue(false);
    DataLink()->SetValue(FKeyValue);
  }
}

// ---------------------------------------------------------------------------------------------------
// Drop-down

int TCustomDBLookupComboboxX::GetListFieldsWidth() {
  TCanvas* c = FGrid ? FGrid->Canvas() : nullptr;
  int zero = 8;
  if (c) {
    c->Font()->Assign(Font());
    zero = std::max(1, c->TextWidth("0"));
  }
  int w = 0;
  for (TField* f : FListFields) w += f->DisplayWidth() * zero + 4;
  return w;
}

TPopupDataGridX* TCustomDBLookupComboboxX::GetDropDownGrid() {
  if (!FGrid) {
    FGrid = new TPopupDataGridX(this);
    FGrid->SetCtl3D(true);
    FGrid->FreeNotification(this);
    FGrid->OnPickByMouse = [this](TObject*, bool Accept) { CloseUp(Accept); };
  }
  return FGrid;
}

void TCustomDBLookupComboboxX::WatchComponent(TComponent* AComponent) {
  if (AComponent) AComponent->FreeNotification(this);
}

void TCustomDBLookupComboboxX::DropDown() {
  if (FListVisible || !FListActive) return;
  if (!Focused() && CanFocus()) SetFocus();
  if (OnDropDown) OnDropDown(this);
  TPopupDataGridX* g = GetDropDownGrid();
  g->SetKeyValue(Null);
  g->SetSpecRow(FDropDownBox->SpecRow());
  g->SetColor(Color());
  g->Font()->Assign(Font());
  // The list has no parent to follow: it reads as the combo box does.
  g->SetBiDiMode(BiDiMode());
  g->SetShowTitles(FDropDownBox->ShowTitles());
  g->SetLookupUseMultiTitle(FDropDownBox->UseMultiTitle());
  g->SetLookupReadOnly(!CanModifyKey(false));
  TDataSet* lds = ListDataSet();
  int rows = FDropDownBox->Rows();
  if (lds && lds->IsSequenced() && lds->RecordCount() > 0 && lds->RecordCount() < rows) rows = lds->RecordCount();
  g->HandleNeeded();
  g->SetDisplayRowCount(rows);
  std::string names;
  for (TField* f : FListFields) names += f->FieldName() + ";";
  g->SetListField(names);
  g->SetListFieldIndex(static_cast<int>(std::find(FListFields.begin(), FListFields.end(), FListFieldObj) -
                                        FListFields.begin()));
  g->SetKeyField(FKeyField);
  g->SetLookupAutoFitColWidths(false);
  g->SetListSource(FListLink->DataSource());
  int w = FDropDownBox->Width();
  if (w == -1) w = g->WidthForColumns();
  else if (w <= 0) w = Width();
  w = std::max(w, Width());
  g->SetBounds(g->Left(), g->Top(), w, g->Height());
  g->SetLookupAutoFitColWidths(FDropDownBox->AutoFitColWidths());
  g->SetKeyValue(FKeyValue);
  g->SetLookupReadOnly(!CanModifyKey(false));
  FGridLayoutChanged = false;
  g->OnLayoutChangedHook = [this](TObject*) { FGridLayoutChanged = true; };
  POINT pos{0, 0};
  // A list whose shown field reads right to left opens from the other edge.
  TDropDownAlign align = FDropDownBox->Align();
  if (DBUseRightToLeftAlignment(this, FListFieldObj)) {
    if (align == daLeft)
      align = daRight;
    else if (align == daRight)
      align = daLeft;
  }
  PositionDropDownWindow(this, g, align, pos, g->RowPixelHeight());
  SetWindowPos(g->Handle(), HWND_TOP, pos.x, pos.y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
  g->SetVisible(true);
  g->SizeGrip()->SetGripVisible(FDropDownBox->Sizable());
  g->SetDisplayRowCount(g->DisplayRows());
  FListVisible = true;
  Invalidate();
  g->SetWasResized(false);
  TCustomDBEditX::DropDown();
  FDroppedDown = true;
}

void TCustomDBLookupComboboxX::CloseUp(bool Accept) {
  if (!FListVisible || !FGrid) {
    TCustomDBEditX::CloseUp(Accept);
    return;
  }
  if (HWND cap = GetCapture()) SendMessage(cap, WM_CANCELMODE, 0, 0);
  Variant key = FGrid->KeyValue();
  SetWindowPos(FGrid->Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  FGrid->SetVisible(false);
  FListVisible = false;
  if (FGrid->WasResized()) {
    FDropDownBox->SetRows(FGrid->DisplayRows());
    FDropDownBox->SetWidth(FGrid->Width());
  }
  FGrid->OnLayoutChangedHook = nullptr;
  FGrid->SetLookupAutoFitColWidths(false);
  FGrid->SetListSource(nullptr);
  if (FGridLayoutChanged && !FGrid->Columns()->Customised()) {
    // The user moved the list's columns: the shown fields, their order and the special row's cells
    // follow.
    std::string fields = FGrid->ListField();
    while (!fields.empty() && fields.back() == ';') fields.pop_back();
    if (fields != FListField || FGrid->ListFieldIndex() != FListFieldIndex) {
      FListField = fields;
      FListFieldIndex = FGrid->ListFieldIndex();
      UpdateListFields();
    }
    if (FGrid->SpecRow()->CellsText() != FDropDownBox->SpecRow()->CellsText())
      FDropDownBox->SpecRow()->SetCellsText(FGrid->SpecRow()->CellsText());
  }
  Invalidate();
  FDroppedDown = false;
  TCustomDBEditX::CloseUp(Accept);
  if (Accept && CanModifyKey(true)) {
    InternalSetKeyValue(key);
    TSpecRowX* special = FDropDownBox->SpecRow();
    if (special->Visible() && (special->MatchesKey(FKeyValue) || (special->ShowIfNotInKeyList() && !LocateKeyValue())))
      SetDisplayText(special->GetColumnText(FListFieldIndex));
    SelectAll();
  }
  if (FStyle == csDropDownX) SelectAll();
  if (OnCloseUp) OnCloseUp(this, Accept);
}

void TCustomDBLookupComboboxX::SpecRowChanged() {
  if (IsLoading()) return;
  FieldDataChanged();
  UpdateListFields();
  if (FGrid) FGrid->SetSpecRow(FDropDownBox->SpecRow());
}

void TCustomDBLookupComboboxX::EditButtonPressed(bool IsDownButton) {
  if (EditButton()->Style() == ebsUpDownX) {
    if (EditCanModify()) SelectNextListValue(!IsDownButton);
    return;
  }
  TCustomDBEditX::EditButtonPressed(IsDownButton);
}

std::string TCustomDBLookupComboboxX::GetPaintCopyText() {
  if (ComponentState().Contains(csDesigning) && !DataLink()->Active()) return Name();
  // A painted copy (one per record) shows the list text of that record's key, not the key.
  if (ControlState().Contains(csPaintCopy) && FListActive && FListFieldObj && !FDataKeyFields.empty() &&
      DataLink()->DataSet()) {
    try {
      Variant key = DataLink()->DataSet()->FieldValues(FDataKeyNames);
      Variant text = ListDataSet()->Lookup(FKeyField, key, FListFieldObj->FieldName());
      return text.IsNull() || text.IsEmpty() ? std::string() : SafeVarToStr(text);
    } catch (...) {
      return {};
    }
  }
  return TCustomDBEditX::GetPaintCopyText();
}

// ---------------------------------------------------------------------------------------------------
// Keys and mouse

void TCustomDBLookupComboboxX::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomDBEditX::KeyDown(Key, Shift);
  if (Key == 0) return;
  TSpecRowX* special = FDropDownBox->SpecRow();
  if (FListActive && special->Visible() && ShortCut(Key, Shift) == special->ShortCut()) {
    SetKeyValue(special->Value());
    SetDisplayText(special->GetColumnText(FListFieldIndex));
    SelectAll();
    Key = 0;
    return;
  }
  if (FListActive && !FListVisible && (Key == VK_UP || Key == VK_DOWN)) {
    if (CanModifyKey(true)) SelectNextListValue(Key == VK_UP);
    Key = 0;
    return;
  }
  if (FListVisible && FGrid &&
      (Key == VK_CONTROL || Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN ||
       ((Key == VK_HOME || Key == VK_END) && Shift.Contains(ssCtrl)))) {
    FGrid->UserKeyDown(Key, Shift);
    Key = 0;
    return;
  }
  if (Key == VK_DELETE && FStyle == csDropDownListX && CanModifyKey(true)) {
    bool whole = SelLength() >= Utf8Length(Text());
    bool required = false;
    for (TField* f : FDataKeyFields) required = required || f->Required();
    if (!whole && required) {
      Key = 0;
      return;
    }
    SetKeyValue(Null);
    SetDisplayText("");
    Key = 0;
  }
}

void TCustomDBLookupComboboxX::KeyUp(WORD& Key, TShiftState Shift) {
  // Key-up never reaches OnKeyUp; only letting Ctrl go reaches an open list (its Ctrl-held moves end).
  if (Key == VK_CONTROL && FListVisible && FGrid) FGrid->UserKeyUp(Key, Shift);
}

void TCustomDBLookupComboboxX::KeyPress(WideChar& Key) {
  if (FListVisible && (Key == 13 || Key == 27)) {
    CloseUp(Key == 13);
    Key = 0;
  }
  TCustomDBEditX::KeyPress(Key);
  if (Key == 0 || FUnconfigured) return;
  if (Key == 8 && FStyle == csDropDownListX) {
    FTypedChar.Clear();
    ProcessSearchText("\b");
    Key = 0;
  } else if (Key >= 32) {
    if (FDropDownBox->AutoDrop() && FListActive && !FListVisible) DropDown();
    if (FStyle == csDropDownListX) {
      // A character beyond the BMP searches once both of its halves are in.
      if (const char32_t typed = FTypedChar.Join(Key)) {
        std::string s;
        Utf8Append(s, typed);
        ProcessSearchText(s);
      }
      Key = 0;
    }
  }
}

void TCustomDBLookupComboboxX::WndProc(TMessage& Message) {
  if (Message.Msg == WM_KILLFOCUS && FListVisible) {
    HWND to = reinterpret_cast<HWND>(Message.WParam);
    if (!FGrid || !FGrid->HandleAllocated() || to != FGrid->Handle()) CloseUp(false);
  }
  bool freeText = FStyle == csDropDownX && !FUnconfigured;
  if (freeText && Message.Msg == WM_CHAR) {
    WPARAM ch = Message.WParam;
    bool mods = (GetKeyState(VK_MENU) & 0x8000) || (GetKeyState(VK_CONTROL) & 0x8000);
    TCustomDBEditX::WndProc(Message);
    if (ch == 0 || ch == 46 || mods || ch == 13 || ch == 27) return;
    // Judged after the key went in: typing at the end completes, anything else must match whole.
    bool atEnd = SelLength() == 0 && SelStart() == Utf8Length(Text());
    if (!atEnd || ch == 8) {
      int caret = SelStart();
      if (LocateListText(Text(), false)) SelectFromCaret(caret);
    } else {
      ProcessSearchText("");
    }
    return;
  }
  if (Message.Msg == WM_SETCURSOR && !FUnconfigured && FStyle == csDropDownListX &&
      (Message.LParam & 0xFFFF) == HTCLIENT) {
    // Choosing only: no text cursor, the text is not typed into.
    ::SetCursor(LoadCursor(nullptr, IDC_ARROW));
    Message.Result = 1;
    return;
  }
  if (!FUnconfigured && FListActive) {
    switch (Message.Msg) {
      case WM_PASTE:
      case WM_CUT: {
        DataLink()->StartEdit();
        if (freeText) {
          TCustomDBEditX::WndProc(Message);
          int caret = SelStart();
          if (LocateListText(Text(), false)) SelectFromCaret(caret);
        } else if (Message.Msg == WM_PASTE) {
          std::string t;
          if (TCustomEdit::ClipboardText(t)) ProcessSearchText(t);
        }
        return;
      }
      case EM_REPLACESEL: {
        const char* inserted = reinterpret_cast<const char*>(Message.LParam);
        std::string newText;
        if (freeText) {
          TCustomDBEditX::WndProc(Message);
          newText = Text();
        } else {
          std::string t = Text();
          newText = Utf8Head(t, SelStart()) + (inserted ? inserted : "") +
                    t.substr(Utf8Head(t, SelStart() + SelLength()).size());
        }
        int caret = SelStart();
        if (LocateListText(newText, false)) SelectFromCaret(caret);
        return;
      }
      case CM_CANCELMODE: {
        auto* other = reinterpret_cast<TControl*>(Message.LParam);
        bool ours = other == this || (other && other->Parent() == this) || other == FGrid ||
                    (other && FGrid && other->Parent() == FGrid);
        if (FListVisible && !ours) CloseUp(false);
        break;
      }
      default:
        break;
    }
  }
  if (freeText && Message.Msg == WM_KEYDOWN && Message.WParam == VK_DELETE) {
    DataLink()->StartEdit();
    TCustomDBEditX::WndProc(Message);
    int caret = SelStart();
    if (LocateListText(Text(), false)) SelectFromCaret(caret);
    return;
  }
  TCustomDBEditX::WndProc(Message);
}

void TCustomDBLookupComboboxX::DefaultHandler(TMessage& Message) {
  // Choosing only: the mouse never places a caret or selects in the text; free text: not on the
  // buttons. A swallowed right release still asks for the context menu.
  if (!FUnconfigured && Message.Msg >= WM_LBUTTONDOWN && Message.Msg <= WM_MBUTTONDBLCLK) {
    int x = static_cast<short>(Message.LParam & 0xFFFF);
    bool swallow = FStyle == csDropDownListX || x >= ClientWidth() - ButtonsStripWidth();
    if (swallow) {
      if (Message.Msg == WM_RBUTTONUP && HandleAllocated()) {
        TPoint p = ClientToScreen(TPoint(x, static_cast<short>(Message.LParam >> 16)));
        SendMessage(Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(p.X, p.Y));
      }
      return;
    }
  }
  TCustomDBEditX::DefaultHandler(Message);
}

void TCustomDBLookupComboboxX::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomDBEditX::MouseMove(Shift, X, Y);
  ForwardPressToList(this, X, Y);
}

void TCustomDBLookupComboboxX::ButtonControlMouseMove(TEditButtonControlX* Sender, TShiftState Shift, int X, int Y) {
  TCustomDBEditX::ButtonControlMouseMove(Sender, Shift, X, Y);
  if (Sender && Sender == ButtonControl(0)) ForwardPressToList(Sender, X, Y);
}

void TCustomDBLookupComboboxX::ForwardPressToList(TControl* From, int X, int Y) {
  if (!FListVisible || !FGrid || !FGrid->HandleAllocated() || GetCaptureControl() != From) return;
  TPoint g = FGrid->ScreenToClient(From->ClientToScreen(TPoint(X, Y)));
  TRect area = FGrid->DataRect();
  if (g.X < area.Left || g.X >= area.Right || g.Y < area.Top || g.Y >= area.Bottom) return;
  From->Perform(WM_CANCELMODE, 0, 0);
  SendMessage(FGrid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(g.X, g.Y));
}

void TCustomDBLookupComboboxX::Loaded() {
  TCustomDBEditX::Loaded();
  if (FGrid) FGrid->SetSpecRow(FDropDownBox->SpecRow());
}

bool TCustomDBLookupComboboxX::WantsKey(WORD Key, TShiftState Shift) {
  if (FListVisible && (Key == VK_RETURN || Key == VK_ESCAPE)) return true;
  return TCustomDBEditX::WantsKey(Key, Shift);
}

void TCustomDBLookupComboboxX::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomDBEditX::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || Shift.Contains(ssDouble) || FStyle != csDropDownListX) return;
  if (X >= ClientWidth() - ButtonsStripWidth() || !EditButtonsEnabled() || FDroppedDown) return;
  FIgnoreCloseUp = true;
  DropDown();
}

void TCustomDBLookupComboboxX::Click() {
  TCustomDBEditX::Click();
  if (EditButtonsEnabled() && FDroppedDown && !FIgnoreCloseUp && FStyle == csDropDownListX) CloseUp(false);
  FIgnoreCloseUp = false;
}

bool TCustomDBLookupComboboxX::DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) {
  if (FListVisible && FGrid) {
    SendMessage(FGrid->Handle(), WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<WORD>(WheelDelta)) << 16,
                MAKELPARAM(MousePos.X, MousePos.Y));
    return true;
  }
  if (TCustomDBEditX::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (!Shift.Empty() || ReadOnly() || !FListActive || !DataLink()->StartEdit()) return false;
  SelectNextListValue(WheelDelta > 0);
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Published properties

void TLookupComboboxDropDownBoxX::DeclarePublished(TPublished<TLookupComboboxDropDownBoxX>& P) {
  using C = TLookupComboboxDropDownBoxX;
  P.Enum("Align", &C::Align, &C::SetAlign, {"daLeft", "daRight", "daCenter"}).Default(daLeft);
  P.Boolean("AutoDrop", &C::AutoDrop, &C::SetAutoDrop).Default(false);
  // The combo box switches lists at once when the source changes.
  P.Component("ListSource", &C::ListSource, [](C* B, TDataSource* V) { B->SetListSource(V); });
  P.Integer("Rows", &C::Rows, &C::SetRows).Default(7);
  P.Boolean("ShowTitles", &C::ShowTitles, &C::SetShowTitles).Default(false);
  P.Boolean("Sizable", &C::Sizable, &C::SetSizable).Default(false);
  P.Object("SpecRow", &C::SpecRow, &C::SetSpecRow);
  P.Integer("Width", &C::Width, &C::SetWidth).Default(0);
}

void TDBLookupComboboxX::DeclarePublished(TPublished<TDBLookupComboboxX>& P) {
  using C = TDBLookupComboboxX;
  P.Enum("Alignment", &C::Alignment, &C::SetAlignment, {"taLeftJustify", "taRightJustify", "taCenter"})
      .NoDefault()
      .Stored(&C::AlignmentStored);
  P.Boolean("AlwaysShowBorder", &C::AlwaysShowBorder, &C::SetAlwaysShowBorder).Default(false);
  P.Boolean("AutoSelect", &C::AutoSelect, &C::SetAutoSelect).Default(true);
  P.Boolean("AutoSize", &C::AutoSize, &C::SetAutoSize).Default(true);
  P.Enum("BorderStyle", &C::BorderStyle, &C::SetBorderStyle, {"bsNone", "bsSingle"}).Default(1);
  P.String("DataField", &C::DataField, &C::SetDataField);
  P.Component("DataSource", &C::DataSource, &C::SetDataSource);
  P.Object("DropDownBox", &C::DropDownBox, &C::SetDropDownBox);
  P.Object("EditButton", &C::EditButton, &C::SetEditButton);
  P.Collection("EditButtons", &C::EditButtons, &C::SetEditButtons);
  P.Boolean("Flat", &C::Flat, &C::SetFlat).Default(false);
  P.Enum("ImeMode", &C::ImeMode, &C::SetImeMode, {"imDisable", "imClose", "imOpen", "imDontCare"}).Default(imDontCare);
  P.String("ImeName", &C::ImeName, &C::SetImeName).StoredWhen([](TObject* O) {
    return !static_cast<C*>(O)->ImeName().empty();
  });
  P.String("KeyField", &C::KeyField, &C::SetKeyField);
  P.String("ListField", &C::ListField, &C::SetListField);
  P.Integer("ListFieldIndex", &C::ListFieldIndex, &C::SetListFieldIndex).Default(0);
  P.Component("ListSource", &C::ListSource, &C::SetListSource);
  P.Boolean("ReadOnly", &C::ReadOnly, &C::SetReadOnly).Default(false);
  P.Enum("Style", &C::Style, &C::SetStyle, {"csDropDownX", "csDropDownListX"}).Default(csDropDownListX);
  P.Boolean("WordWrap", &C::WordWrap, &C::SetWordWrap).Default(false);
  for (const char* E : {"OnButtonClick", "OnButtonDown", "OnChange", "OnCloseUp", "OnDropDown",
                        "OnDropDownBoxCheckButton", "OnDropDownBoxDrawColumnCell", "OnDropDownBoxGetCellParams",
                        "OnDropDownBoxSortMarkingChanged", "OnDropDownBoxTitleBtnClick", "OnKeyValueChanged",
                        "OnNotInList", "OnUpdateData"})
    P.Event(E);
}
