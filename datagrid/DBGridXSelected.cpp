// The current data column by index or by field, and the data set's field list.

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
