#include "datagrid/DBLookupGridX.h"

#include <algorithm>

#include "dataedit/VarValuesX.h"
#include "platform/rtl/sysutils.h"

// ---------------------------------------------------------------------------------------------------
// Lookup grid (filled in by the lookup grid work)

TDBLookupGridX::TDBLookupGridX(TComponent* AOwner) : TCustomDBGridX(AOwner) {
  // Stored without a layout: there is no window to measure with yet.
  FDataOptions.Exclude(gdoEditing);
  FDataOptions.Exclude(gdoIndicator);
  FDataOptions.Exclude(gdoTitles);
  FDataOptions.Include(gdoRowSelect);
  FDataOptions.Include(gdoAlwaysShowSelection);
  auto base = TCustomGrid::Options();
  base.Exclude(goEditing);
  base.Include(goRowSelect);
  TCustomGrid::SetOptions(base);
  FIndicatorOffset = 0;
  SetScrollBars(ssNone);
}

void TDBLookupGridX::SetListSource(TDataSource* Value) { SetDataSource(Value); }

void TDBLookupGridX::SetListField(const std::string& Value) {
  FListField = Value;
  Columns()->Clear();
  size_t start = 0;
  while (start <= Value.size()) {
    size_t end = Value.find(';', start);
    if (end == std::string::npos) end = Value.size();
    std::string name = Trim(Value.substr(start, end - start));
    if (!name.empty()) Columns()->Add()->SetFieldName(name);
    start = end + 1;
  }
}

Variant TDBLookupGridX::KeyValue() const {
  TDataSet* ds = DataLink()->DataSet();
  if (!ds || !ds->Active() || ds->IsEmpty() || FKeyField.empty()) return Variant::Null();
  return ds->FieldValues(FKeyField);
}

void TDBLookupGridX::SetKeyValue(const Variant& Value) {
  TDataSet* ds = DataLink()->DataSet();
  if (!ds || !ds->Active() || FKeyField.empty()) return;
  if (Value.IsNull() || !ds->Locate(FKeyField, Value, {})) ds->First();
}

std::string TDBLookupGridX::SelectedText() const {
  TDataSet* ds = DataLink()->DataSet();
  if (!ds || !ds->Active() || ds->IsEmpty() || Columns()->Count() == 0) return {};
  TField* f = ds->FindField(Columns()->Items(0)->FieldName());
  return f ? f->DisplayText() : std::string();
}

void TDBLookupGridX::SetDisplayRowCount(int Value) {
  FDisplayRows = std::clamp(Value, 1, 100);
  int line = Options().Contains(gdoRowLines) ? GridLineWidth() : 0;
  int titles = Options().Contains(gdoTitles) ? RowHeights(0) + line : 0;
  int frame = HandleAllocated() ? Height() - ClientHeight() : 0;
  SetHeight(titles + FDisplayRows * (DefaultRowHeight() + line) + frame);
}

int TDBLookupGridX::WidthForColumns() {
  int w = 0;
  int line = Options().Contains(gdoColLines) ? GridLineWidth() : 0;
  for (int c = 0; c < ColCount(); ++c) w += std::max(0, ColWidths(c)) + line;
  int frame = HandleAllocated() ? Width() - ClientWidth() : 0;
  return w + frame;
}

void TDBLookupGridX::SetShowTitles(bool Value) {
  auto o = Options();
  if (Value) o.Include(gdoTitles);
  else o.Exclude(gdoTitles);
  SetOptions(o);
}

void TDBLookupGridX::SetLookupOptions(TDBLookupGridXOptions Value) {
  FLookupOptions = Value;
  auto o = Options();
  if (Value.Contains(dlgColLinesX)) o.Include(gdoColLines); else o.Exclude(gdoColLines);
  if (Value.Contains(dlgRowLinesX)) o.Include(gdoRowLines); else o.Exclude(gdoRowLines);
  if (Value.Contains(dlgColumnResizeX)) o.Include(gdoColumnResize); else o.Exclude(gdoColumnResize);
  SetOptions(o);
  auto x = OptionsX();
  if (Value.Contains(dlgAutoSortMarkingX)) x.Include(gxoAutoSortMarking); else x.Exclude(gxoAutoSortMarking);
  if (Value.Contains(dlgMultiSortMarkingX)) x.Include(gxoMultiSortMarking); else x.Exclude(gxoMultiSortMarking);
  SetOptionsX(x);
}

void TDBLookupGridX::KeyDown(WORD& Key, TShiftState Shift) {
  TDataSet* ds = DataLink()->DataSet();
  if (!ds || !ds->Active()) return;
  int page = std::max(1, DataLink()->RecordCount() - 1);
  bool moved = true;
  switch (Key) {
    case VK_UP: ds->Prior(); break;
    case VK_DOWN: ds->Next(); break;
    case VK_PRIOR: ds->MoveBy(-page); break;
    case VK_NEXT: ds->MoveBy(page); break;
    case VK_HOME: if (Shift.Contains(ssCtrl)) ds->First(); else moved = false; break;
    case VK_END: if (Shift.Contains(ssCtrl)) ds->Last(); else moved = false; break;
    default: moved = false; break;
  }
  if (moved) {
    Key = 0;
    KeyValueChangedByUser();
  }
}

bool TDBLookupGridX::SelectRecordAtRow(int ARow) {
  TDataSet* ds = DataLink()->DataSet();
  int dataRow = DataRowOf(ARow);
  if (!ds || !ds->Active() || ARow < TitleOffset() || dataRow >= DataLink()->RecordCount()) return false;
  int distance = dataRow - DataLink()->ActiveRecord();
  if (distance != 0) ds->MoveBy(distance);
  return true;
}

