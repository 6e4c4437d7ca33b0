// The grid's data link and the editing questions the grid base asks: which text, mask and limit a cell
// starts with, whether it may be edited, and how the edited text reaches the field.

#include <algorithm>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXInplace.h"
#include "platform/rtl/sysutils.h"

TGridDataLinkX::TGridDataLinkX(TCustomDBGridX* AGrid) : FGrid(AGrid) { FVisualControl = true; }

TGridDataLinkX::~TGridDataLinkX() { ResetFieldMap(); }

bool TGridDataLinkX::MapField(const std::string& FieldName) {
  if (MappedCount() >= FMapLimit)
    throw EInvalidGridOperation("Grid requested to display more than " + std::to_string(FMapLimit) + " columns");
  TDataSet* ds = DataSet();
  TField* f = nullptr;
  if (ds) f = FMapByName ? ds->FindField(FieldName) : ds->FieldByName(FieldName);
  FFieldIndexes.push_back(f ? f->Index() : -1);
  if (f) f->FreeNotification(FGrid);
  return true;
}

TField* TGridDataLinkX::MappedField(int I) const {
  if (I < 0 || I >= MappedCount()) return nullptr;
  int idx = FFieldIndexes[static_cast<size_t>(I)];
  TDataSet* ds = DataSet();
  if (idx < 0 || !ds || idx >= ds->FieldCount()) return nullptr;
  return ds->Fields()[idx];
}

bool TGridDataLinkX::UsesDefaultFields() const {
  TDataSet* ds = DataSet();
  bool r = ds ? ds->DefaultFields() : true;
  // Customised columns map by name: one naming a field the data set lacks is no default layout.
  if (FMapByName)
    for (int i : FFieldIndexes)
      if (i < 0) return false;
  return r;
}

void TGridDataLinkX::ResetRecord() {
  if (FEditorChanged) {
    FEditorChanged = false;
    RecordChanged(nullptr);
  } else if (DataSet()) {
    DataSet()->Cancel();
  }
}

void TGridDataLinkX::ActiveChanged() {
  FGrid->DataLinkActiveChanged(Active());
  FEditorChanged = false;
}

void TGridDataLinkX::DataSetChanged() {
  FGrid->DataChanged();
  FEditorChanged = false;
}

void TGridDataLinkX::DataSetScrolled(int Distance) { FGrid->Scroll(Distance); }

void TGridDataLinkX::EditingChanged() {
  // The row that shows the current record's indicator as last painted.
  if (FGrid->Options().Contains(gdoIndicator))
    FGrid->InvalidateCell(0, FGrid->IndicatorRow() >= 0 ? FGrid->IndicatorRow() : FGrid->Row());
}

void TGridDataLinkX::LayoutChanged() {
  bool keep = InUpdateData;
  InUpdateData = true;
  try {
    FGrid->LayoutChanged();
  } catch (...) {
    InUpdateData = keep;
    throw;
  }
  InUpdateData = keep;
  TDataLink::LayoutChanged();
}

void TGridDataLinkX::RecordChanged(TField* Field) {
  FGrid->RefreshEditText(Field);
  FEditorChanged = false;
}

void TGridDataLinkX::UpdateData() {
  if (FInUpdate) return;
  FInUpdate = true;
  try {
    if (FEditorChanged) FGrid->CommitEditText();
  } catch (...) {
    FInUpdate = false;
    throw;
  }
  FEditorChanged = false;
  FInUpdate = false;
}

// ---------------------------------------------------------------------------------------------------
// Grid side

void TCustomDBGridX::BuildFieldMap() {
  TDataSet* ds = FDataLink->DataSet();
  if (!ds) return;
  if (FColumns->Customised()) {
    FDataLink->SetMapByName(true);
    for (int i = 0; i < FColumns->Count(); ++i) FDataLink->MapField(FColumns->Items(i)->FieldName());
  } else {
    FDataLink->SetMapByName(false);
    for (TField* f : ds->VisibleFields()) FDataLink->MapField(f->FieldName());
  }
}

bool TCustomDBGridX::FieldModifiable(TField* Field) {
  if (!Field) return false;
  if (!Field->Lookup()) return Field->CanModify();
  if (Field->KeyFields().empty()) return false;
  std::vector<TField*> keys;
  try {
    Field->DataSet()->GetFieldList(keys, Field->KeyFields());
  } catch (EDatabaseError&) {
    return false;
  }
  if (keys.empty()) return false;
  for (TField* k : keys)
    if (!k->CanModify()) return false;
  return true;
}

TDBGridInplaceEdit* TCustomDBGridX::ReadOnlyOverridingEditor() const {
  TDBGridInplaceEdit* e = InplaceEditX();
  bool onCell = e && e->EditCol() == Col() && e->EditRow() == Row();
  return onCell && e->ReadOnlyOverridden() ? e : nullptr;
}

bool TCustomDBGridX::EnsureEditing() {
  bool result = false;
  // The cell-parameter events decided the cell's read-only state: their answer comes first.
  if (TDBGridInplaceEdit* e = ReadOnlyOverridingEditor()) {
    if (e->ReadOnly()) return false;
    if (FDataLink->Active()) FDataLink->Edit();
    FDataLink->MarkEditorChanged();
    result = true;
  }
  TColumnX* col = ColumnAt(GetSelectedIndex());
  if (FReadOnly || !FDataLink->Active() || FDataLink->ReadOnly() || !col || col->ReadOnly()) return result;
  TField* f = col->Field();
  if (!f || !FieldModifiable(f)) return result;
  if (f->IsBlob() && !f->OnSetText && !(FEditMemoFields == 1 && f->DataType() == ftMemo)) return result;
  if (!col->CanModify(false)) return result;
  FDataLink->Edit();
  if (FDataLink->Editing()) {
    FDataLink->MarkEditorChanged();
    return true;
  }
  return false;
}

bool TCustomDBGridX::CanEditShow() {
  if (FReopeningEditor) {
    // An editor open before a layout opens again wherever the focus is and under the layout's lock.
    TGridOptions o = TCustomGrid::Options();
    if (!o.Contains(goEditing) || o.Contains(goRowSelect) || !EditorMode() || !HandleAllocated()) return false;
  } else if (FLayoutLock != 0 || !TCustomGrid::CanEditShow()) {
    return false;
  }
  TColumnX* col = ColumnAt(GetSelectedIndex());
  if (!col) return false;
  TColumnCellKindX k = col->GetCellKind();
  if (k == cckCheckbox || k == cckKeyImages) return false;
  // A move would clear the selection: no editor over it until it goes.
  if (HasSelectionX() && FOptionsX.Contains(gxoClearSelectionOnMove) &&
      FAllowedSelections.Contains(selRectangleX))
    return false;
  if (FInSearch) return false;
  return true;
}

bool TCustomDBGridX::CanEditModify() {
  TColumnX* col = ColumnAt(GetSelectedIndex());
  if (col && col->GetCellKind() == cckCheckbox) return false;
  if (FInSearch) return false;
  return EnsureEditing();
}

bool TCustomDBGridX::CanEditAcceptKey(WideChar Key) {
  TDBGridInplaceEdit* e = ReadOnlyOverridingEditor();
  bool allowed = !e || !e->ReadOnly();
  TColumnX* col = ColumnAt(GetSelectedIndex());
  TField* f = col ? col->Field() : nullptr;
  if (!FDataLink->Active() || !f) return e && !e->ReadOnly();
  if (col->HasKeyList() && col->KeyList()->Count() > 0) return allowed;
  return allowed && f->IsValidChar(static_cast<char32_t>(Key));
}

int TCustomDBGridX::GetEditLimit() {
  TColumnX* col = ColumnAt(GetSelectedIndex());
  TField* f = col ? col->Field() : nullptr;
  if (!f || (col->HasKeyList() && col->KeyList()->Count() > 0)) return 0;
  return dynamic_cast<TStringField*>(f) ? f->Size() : 0;
}

std::string TCustomDBGridX::GetEditMask(int ACol, int) {
  if (!FDataLink->Active()) return {};
  TColumnX* col = ColumnAt(RawToDataColumn(ACol));
  if (!col) return {};
  if (!col->EditMask().empty()) return col->EditMask();
  TField* f = col->Field();
  if (f && !(col->HasKeyList() && col->KeyList()->Count() > 0)) return f->EditMask();
  return {};
}

namespace {

// Memo text shown in the editor with CR LF line breaks.
std::string WithCrLf(const std::string& S) {
  std::string r;
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '\n' && (i == 0 || S[i - 1] != '\r')) r += '\r';
    r += S[i];
  }
  return r;
}

}  // namespace

std::string TCustomDBGridX::GetEditText(int ACol, int) {
  FEditText.clear();
  FEditValue = Variant::Null();
  if (!FDataLink->Active()) return {};
  TColumnX* col = ColumnAt(RawToDataColumn(ACol));
  TField* f = col ? col->Field() : nullptr;
  if (f) {
    if (col->HasKeyList() && col->KeyList()->Count() > 0) {
      int i = col->KeyList()->IndexOf(f->Text());
      FEditText = i >= 0 && i < col->PickList()->Count() ? col->PickList()->Strings(i) : std::string();
    } else if (FEditMemoFields == 1 && f->DataType() == ftMemo) {
      FEditText = WithCrLf(f->AsString());
    } else {
      FEditText = f->Text();
    }
    if (f->Lookup() && !f->KeyFields().empty()) FEditValue = f->DataSet()->FieldValues(f->KeyFields());
  }
  return FEditText;
}

void TCustomDBGridX::SetEditText(int, int, const std::string& Value) { FEditText = Value; }

void TCustomDBGridX::CommitEditText() {
  TColumnX* col = ColumnAt(GetSelectedIndex());
  if (!col) return;
  TField* f = col->Field();
  if (!f) {
    col->UpdateDataValue(FEditText, Variant(FEditText), true);
    return;
  }
  // Pick lists compare without regard to case, whatever the list's own setting.
  auto pickIndex = [&]() {
    TStrings* pick = col->PickList();
    for (int i = 0; i < pick->Count(); ++i)
      if (AnsiCompareText(pick->Strings(i), FEditText) == 0) return i;
    return -1;
  };
  switch (col->GetCellKind()) {
    case cckPickList:
      // A text outside the pick list is told to the column's not-in-list event; it is stored all the same.
      if (col->OnNotInList && pickIndex() < 0) col->NotInList(FEditText);
      col->UpdateDataValue(FEditText, Variant(FEditText), true);
      return;
    case cckKeyPickList:
    case cckKeyImages: {
      int i = pickIndex();
      // The event may add the text (and its key): it is looked up again.
      if (i < 0 && col->OnNotInList && !FEditText.empty()) {
        col->NotInList(FEditText);
        i = pickIndex();
      }
      Variant v = Variant::Null();
      if (i >= 0 && i < col->KeyList()->Count()) v = Variant(col->KeyList()->Strings(i));
      col->UpdateDataValue(FEditText, v, false);
      return;
    }
    default:
      break;
  }
  if (f->Lookup() && !f->KeyFields().empty()) {
    TDataSet* list = f->LookupDataSet();
    if ((FEditValue.IsNull() || FEditValue.IsEmpty()) && !FEditText.empty() && col->OnNotInList && list && list->Active() &&
        !list->Locate(f->LookupResultField(), Variant(FEditText), {loCaseInsensitive})) {
      // The event may add the record: its key is then taken from the lookup data set.
      col->NotInList(FEditText);
      if (list->Locate(f->LookupResultField(), Variant(FEditText), {loCaseInsensitive}))
        FEditValue = list->FieldValues(f->LookupKeyFields());
    }
    if (FieldModifiable(f)) {
      FDataLink->Edit();
      col->UpdateDataValue(FEditText, FEditValue, false);
    }
    return;
  }
  col->UpdateDataValue(FEditText, Variant(FEditText), true);
}

void TCustomDBGridX::RefreshEditText(TField* Field) {
  if (!HandleAllocated()) return;
  if (Field) {
    for (int i = 0; i < FColumns->Count(); ++i)
      if (FColumns->Items(i)->Field() == Field) InvalidateCell(DataToRawColumn(i), Row());
  } else {
    Invalidate();
  }
  if (!Field || Field == GetSelectedField()) {
    // The editor may hold typed text the grid has not been told of: compare with what it shows.
    TInplaceEdit* editor = InplaceEditor();
    std::string old = editor && editor->Visible() ? editor->Text() : FEditText;
    std::string now = GetEditText(Col(), Row());
    if (now != old) InvalidateEditorText();
  }
}
