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
