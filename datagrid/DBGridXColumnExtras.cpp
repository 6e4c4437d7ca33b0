// Column extras: the column's pop-up menu, the lookup display fields, the cell parameters handed to
// the cell events, the title's sort marker area, the not-in-list event and stepping a lookup cell
// through its list.

#include <algorithm>
#include <string>

#include "dataedit/SpecRowX.h"
#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/controls/menus.h"

void TColumnX::SetPopupMenu(TPopupMenu* Value) {
  FPopupMenu = Value;
  if (Value)
    if (TCustomDBGridX* g = OwnerGrid()) Value->FreeNotification(g);
}

std::string TColumnX::LookupDisplayFields() {
  if (Has(cvLookupDisplayFields)) return FLookupDisplayFields;
  TField* f = Field();
  return f ? f->LookupResultField() : std::string();
}

void TColumnX::SetLookupDisplayFields(const std::string& Value) {
  if (Has(cvLookupDisplayFields) || Value != LookupDisplayFields()) {
    FLookupDisplayFields = Value;
    Flag(cvLookupDisplayFields);
  }
  Changed(false);
}

TDataSet* TColumnX::GetLookupDataSet() {
  TField* f = Field();
  return f ? f->LookupDataSet() : nullptr;
}

void TColumnX::FillCellParams(TColCellParamsX* Params) {
  Params->CellRow = -1;
  Params->CellCol = -1;
  Params->State = TGridDrawState();
  Params->Font = Font();
  Params->CellColor = Color();
  Params->Alignment = Alignment();
  Params->ImageIndex = GetImageIndex();
  Params->Text = GetCellDisplayText();
  Params->CheckState = ReadCheckState();
  Params->ReadOnly = ReadOnly();
}

void TColumnX::GetCellParams(bool EditMode, TColCellParamsX* Params) {
  if (FOnGetCellParams) FOnGetCellParams(this, EditMode, Params);
}

void TColumnX::SetOnGetCellParams(TGetColCellParamsEventX Value) {
  FOnGetCellParams = std::move(Value);
  if (TCustomDBGridX* g = OwnerGrid()) g->Invalidate();
}

bool TColumnX::NotInList(const std::string& NewText) {
  bool recheck = false;
  if (OnNotInList) OnNotInList(this, NewText, recheck);
  return recheck;
}

int TColumnX::GetSortMarkerWidth() {
  int index = FTitle->SortIndex();
  if (index == 0) return 0;
  int result = 16;
  int textWidth = 0;
  TCustomDBGridX* g = OwnerGrid();
  if (g && g->SortMarkedColumns().size() >= 2) {
    std::string digits = std::to_string(index);
    TCanvas* c = g->Canvas();
    c->Font()->Assign(SortMarkerFont ? SortMarkerFont : g->TitleFont());
    textWidth = c->TextWidth(digits);
    result += textWidth;
  }
  // A narrow column gives up the arrow's allowance first, then the number.
  int room = Width() - 4;
  if (result > room) result -= 14;
  if (result > room) result -= textWidth + 2;
  return std::max(0, result);
}

void TColumnX::StepLookupValue(bool Forward) {
  TField* f = Field();
  TDataSet* list = GetListDataSet();
  TDataSet* ds = f ? f->DataSet() : nullptr;
  if (!f || !list || !ds || !list->Active() || f->KeyFields().empty()) return;
  if (f->IsNull()) {
    list->First();
  } else {
    if (!list->Locate(f->LookupKeyFields(), ds->FieldValues(f->KeyFields()), {})) list->First();
    if (Forward) {
      list->Next();
      if (list->Eof()) list->First();
    } else {
      list->Prior();
      if (list->Bof()) list->Last();
    }
  }
  if (list->IsEmpty()) return;
  Variant key = list->FieldValues(f->LookupKeyFields());
  std::string text;
  if (TField* r = list->FindField(f->LookupResultField())) text = r->DisplayText();
  UpdateDataValue(text, key, false);
  TCustomDBGridX* g = OwnerGrid();
  if (g && g->InplaceEditor() && g->InplaceEditor()->EditVisible()) g->InplaceEditor()->SetText(text);
}

bool TColumnX::LookupSpecialRowText(std::string& Text) {
  TField* f = Field();
  TDataSet* ds = f ? f->DataSet() : nullptr;
  if (!f || !ds || f->KeyFields().empty()) return false;
  TSpecRowX* row = DropDownSpecRow();
  if (!row || !row->Visible()) return false;
  Variant key = ds->FieldValues(f->KeyFields());
  bool show = row->MatchesKey(key);
  if (!show && row->ShowIfNotInKeyList()) {
    // Looked up without moving the lookup data set (it may be shown elsewhere).
    TDataSet* list = f->LookupDataSet();
    bool exists = list && list->Active() && !key.IsNull() &&
                  !list->Lookup(f->LookupKeyFields(), key, f->LookupKeyFields()).IsNull();
    show = !exists;
  }
  if (show) Text = row->GetColumnText(0);
  return show;
}
