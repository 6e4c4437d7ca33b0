// The current data column by index or by field, the data set's field list, and the grid's style.

#include "datagrid/DBGridX.h"

void TCustomDBGridX::SetSelectedIndex(int Index) { SelectColumn(Index, 0, false); }

void TCustomDBGridX::SetSelectedField(TField* Field) {
  if (!Field) return;
  for (int i = 0; i < FColumns->Count(); ++i)
    if (FColumns->Items(i)->Field() == Field) SetSelectedIndex(i);
}

void TCustomDBGridX::ListDataSetFields(std::vector<TField*>& List) {
  TDataSet* ds = FDataLink->DataSet();
  if (!ds) return;
  for (int i = 0; i < ds->FieldCount(); ++i) List.push_back(ds->Fields()[i]);
}

void TCustomDBGridX::SetStyle(TDBGridXStyle* Value) {
  if (!Value) Value = DefaultGridStyle;
  if (Value == FStyle) return;
  if (FStyle) FStyle->DetachGrid(this);
  FStyle = Value;
  if (FStyle) FStyle->AttachGrid(this);
  LayoutChanged();
  Invalidate();
}

void TColumnX::SetIndex(int Value) {
  TCustomDBGridX* g = OwnerGrid();
  // Not while the layout puts the generated columns in the fields' order itself.
  if (DefaultColumn() && g && g->DataLink()->Active() && !g->LayoutBusy() && Value != Index() && Value >= 0 &&
      Value < Collection()->Count()) {
    TField* f = Field();
    TColumnX* there = static_cast<TColumnX*>(Collection()->Items(Value));
    TField* at = there ? there->Field() : nullptr;
    if (f && at && f != at) f->SetIndex(at->Index());
  }
  TCollectionItem::SetIndex(Value);
}
