#include "datagrid/DBLookupGridsX.h"

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

void TDBLookupGridX::SetDisplayRows(int Value) {
  FDisplayRows = std::max(1, Value);
  int line = Options().Contains(gdoRowLines) ? GridLineWidth() : 0;
  int titles = Options().Contains(gdoTitles) ? RowHeights(0) + line : 0;
  int frame = HandleAllocated() ? Height() - ClientHeight() : 0;
  SetHeight(titles + FDisplayRows * (DefaultRowHeight() + line) + frame);
}

int TDBLookupGridX::ColumnsWidth() {
  int w = 0;
  int line = Options().Contains(gdoColLines) ? GridLineWidth() : 0;
  for (int c = 0; c < ColCount(); ++c) w += std::max(0, ColWidths(c)) + line;
  return w;
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
    if (OnKeyValueChangedByUser) OnKeyValueChangedByUser(this);
  }
}

bool TDBLookupGridX::SelectRecordAt(int ARow) {
  TDataSet* ds = DataLink()->DataSet();
  int dataRow = DataRowOf(ARow);
  if (!ds || !ds->Active() || ARow < TitleOffset() || dataRow >= DataLink()->RecordCount()) return false;
  int distance = dataRow - DataLink()->ActiveRecord();
  if (distance != 0) ds->MoveBy(distance);
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Pop-up data grid

TPopupDataGridX::TPopupDataGridX(TComponent* AOwner) : TDBLookupGridX(AOwner) {
  FSizeGrip = new TSizeGripX(this);
  FSizeGrip->SetParent(this);
  FSizeGrip->SetTriangular(true);
}

void TPopupDataGridX::CreateParams(TCreateParams& Params) {
  TDBLookupGridX::CreateParams(Params);
  Params.Style = WS_POPUP | WS_CLIPCHILDREN | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WindowClassStyle = CS_SAVEBITS | CS_HREDRAW;
  Params.WndParent = nullptr;
}

void TPopupDataGridX::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEACTIVATE:
      Message.Result = MA_NOACTIVATE;
      return;
    case WM_DROPDOWNSIDE:
      FSizeGrip->ShiftToSide(static_cast<int>(Message.WParam));
      return;
    case WM_SIZE:
      TDBLookupGridX::Dispatch(Message);
      FSizeGrip->MoveToCorner();
      FWasResized = true;
      return;
    default:
      TDBLookupGridX::Dispatch(Message);
  }
}

void TPopupDataGridX::MouseDown(TMouseButton, TShiftState, int, int) {
  // The pop-up never takes the focus and picks on release.
}

void TPopupDataGridX::MouseMove(TShiftState Shift, int X, int Y) {
  if (Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle)) return;
  TGridCoord c = MouseCoord(X, Y);
  Variant before = KeyValue();
  if (c.Y >= 0 && SelectRecordAt(c.Y) && OnKeyValueChangedByUser && !VarValuesEqual(before, KeyValue()))
    OnKeyValueChangedByUser(this);
}

void TPopupDataGridX::MouseUp(TMouseButton, TShiftState, int X, int Y) {
  if (GridState() != gsNormal) return;
  bool inside = X >= 0 && Y >= 0 && X < Width() && Y < Height();
  if (!inside) {
    if (OnPickByMouse) OnPickByMouse(this, false);
    return;
  }
  TGridCoord c = MouseCoord(X, Y);
  if (c.Y >= 0 && SelectRecordAt(c.Y) && OnPickByMouse) OnPickByMouse(this, true);
}
