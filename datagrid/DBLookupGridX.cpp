#include "datagrid/DBLookupGridX.h"

#include <algorithm>

#include "datagrid/DBGridXDraw.h"
#include "dataedit/DBCtrlsX.h"
#include "dataedit/VarValuesX.h"
#include "platform/rtl/sysutils.h"

namespace {

// One time stamp for all lookup grids: a key typed into any of them continues the pause count.
DWORD LastSearchTick = 0;

bool Contains(const TFieldsArrX& Fields, const TField* F) {
  return std::find(Fields.begin(), Fields.end(), F) != Fields.end();
}

// The ';'-separated entries, trimmed; empty entries are kept only when asked for.
std::vector<std::string> SplitFieldNames(const std::string& Names, bool KeepEmpty = false) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= Names.size()) {
    size_t end = Names.find(';', start);
    if (end == std::string::npos) end = Names.size();
    std::string n = KeepEmpty ? Names.substr(start, end - start) : Trim(Names.substr(start, end - start));
    if (KeepEmpty || !n.empty()) out.push_back(n);
    start = end + 1;
  }
  return out;
}

std::string JoinNames(const TFieldsArrX& Fields) {
  std::string s;
  for (TField* f : Fields) {
    if (!s.empty()) s += ';';
    s += f->FieldName();
  }
  return s;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Link to the edited data

void TLookupGridDataLinkX::ActiveChanged() { FGrid->UpdateDataFields(); }
void TLookupGridDataLinkX::LayoutChanged() { FGrid->UpdateDataFields(); }
void TLookupGridDataLinkX::RecordChanged(TField* Field) { FGrid->DataFieldChanged(Field); }

void TLookupGridDataLinkX::FocusControl(TField*& Field) {
  if (Field && !FGrid->DataFields().empty() && Field == FGrid->DataFields()[0] && FGrid->CanFocus()) {
    Field = nullptr;
    FGrid->SetFocus();
  }
}

// ---------------------------------------------------------------------------------------------------
// Special-row cell of a column

TGridColumnSpecCellX::TGridColumnSpecCellX(TDBLookupGridColumnX* AColumn) : FColumn(AColumn) {
  FFont = std::make_unique<TFont>();
  FFont->OnChange = [this](TObject*) {
    if (FQuietFont) return;  // the special row's font copied in while painting
    FFontAssigned = true;
    if (FColumn->OwnerGrid()) FColumn->OwnerGrid()->Invalidate();
  };
}

TSpecRowX* TGridColumnSpecCellX::SpecRow() const {
  auto* g = dynamic_cast<TDBLookupGridX*>(FColumn->OwnerGrid());
  return g ? g->SpecRow() : nullptr;
}

std::string TGridColumnSpecCellX::Text() const {
  if (FTextAssigned) return FText;
  TSpecRowX* s = SpecRow();
  return s ? s->GetColumnText(FColumn->Index()) : std::string();
}

void TGridColumnSpecCellX::SetText(const std::string& Value) {
  if (FTextAssigned && FText == Value) return;
  FText = Value;
  FTextAssigned = true;
  if (FColumn->OwnerGrid()) FColumn->OwnerGrid()->Invalidate();
}

TColor TGridColumnSpecCellX::Color() const {
  if (FColorAssigned) return FColor;
  TSpecRowX* s = SpecRow();
  return s ? s->Color() : clWindow;
}

void TGridColumnSpecCellX::SetColor(TColor Value) {
  if (FColorAssigned && FColor == Value) return;
  FColor = Value;
  FColorAssigned = true;
  if (FColumn->OwnerGrid()) FColumn->OwnerGrid()->Invalidate();
}

TFont* TGridColumnSpecCellX::Font() {
  if (!FFontAssigned) {
    if (TSpecRowX* s = SpecRow()) {
      FQuietFont = true;
      FFont->Assign(s->Font());
      FQuietFont = false;
    }
  }
  return FFont.get();
}

void TGridColumnSpecCellX::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TGridColumnSpecCellX*>(Source)) {
    SetText(s->Text());
    SetColor(s->Color());
    if (s->FontAssigned()) FFont->Assign(s->Font());
    return;
  }
  TPersistent::Assign(Source);
}

TDBLookupGridColumnX::TDBLookupGridColumnX(TCollection* ACollection) : TColumnX(ACollection) {
  FSpecCell = std::make_unique<TGridColumnSpecCellX>(this);
}

TDBLookupGridColumnX::~TDBLookupGridColumnX() = default;

void TDBLookupGridColumnX::Assign(TPersistent* Source) {
  TColumnX::Assign(Source);
  if (auto* s = dynamic_cast<TDBLookupGridColumnX*>(Source)) FSpecCell->Assign(s->SpecCell());
}

void TDBLookupGridColumnX::SetWidth(int Value) {
  TCustomDBGridX* g = OwnerGrid();
  if (!DefaultColumn() || !g) {
    TColumnX::SetWidth(Value);
    return;
  }
  // Under the layout lock: no layout may see the column as a user column.
  g->BeginLayout();
  SetPersistent(true);
  try {
    TColumnX::SetWidth(Value);
  } catch (...) {
    SetPersistent(false);
    g->ReleaseLayoutLock();
    throw;
  }
  SetPersistent(false);
  g->EndLayout();
}

void TDBLookupGridColumnX::SetIndex(int Value) {
  auto* g = dynamic_cast<TDBLookupGridX*>(OwnerGrid());
  int old = Index();
  if (!g || Value == old || Value < 0 || Value >= Collection()->Count()) {
    TColumnX::SetIndex(Value);
    return;
  }
  if (g->DataLink()->Active()) {
    std::vector<std::string> cells = SplitFieldNames(g->SpecRow()->CellsText(), true);
    cells.resize(std::max<size_t>(cells.size(), static_cast<size_t>(Collection()->Count())));
    std::string moved = cells[static_cast<size_t>(old)];
    cells.erase(cells.begin() + old);
    cells.insert(cells.begin() + Value, moved);
    std::string joined;
    for (size_t i = 0; i < cells.size(); ++i) joined += (i ? ";" : "") + cells[i];
    while (!joined.empty() && joined.back() == ';') joined.pop_back();
    g->SpecRow()->LockChanges();
    g->SpecRow()->SetCellsText(joined);
    g->SpecRow()->UnlockChanges();
  }
  if (!DefaultColumn()) {
    TColumnX::SetIndex(Value);
    return;
  }
  // A generated column: the list fields follow the new order.
  int idx = g->FListFieldIndex;
  std::string names;
  g->BeginLayout();
  try {
    SetPersistent(true);  // moved as a user column while the collection reorders
    TColumnX::SetIndex(Value);
    SetPersistent(false);
    if (idx == old) {
      idx = Value;
    } else {
      if (old < idx) --idx;
      if (Value <= idx) ++idx;
    }
    for (int i = 0; i < Collection()->Count(); ++i)
      names += (i ? ";" : "") + static_cast<TColumnX*>(Collection()->Items(i))->FieldName();
  } catch (...) {
    SetPersistent(false);
    g->ReleaseLayoutLock();
    throw;
  }
  g->ReleaseLayoutLock();
  g->FListFieldIndex = idx;
  g->SetListField(names);
}

// ---------------------------------------------------------------------------------------------------
// The lookup grid: creation and settings

TDBLookupGridX::TDBLookupGridX(TComponent* AOwner) : TCustomDBGridX(AOwner) {
  // The base made its own column classes before this class existed.
  FColumns.reset();
  FColumnDefValues.reset(CreateColumnDefValues());
  FColumns.reset(CreateColumns());
  FLookupSource = std::make_unique<TDataSource>(nullptr);
  FLookupLink = std::make_unique<TLookupGridDataLinkX>(this);
  FSpecRow = std::make_unique<TSpecRowX>(this);
  FSpecRow->OnChanged = [this](TObject*) { SpecRowChanged(); };
  FControlStyle.Include(csReplicatable);
  SetParentColor(false);
  SetTabStop(true);
  BeginUpdate();  // no layout (it measures text) before the grid has a window
  SetOptions({gdoColLines, gdoRowSelect});
  auto ox = OptionsX();
  ox.Include(gxoTraceColSizing);
  SetOptionsX(ox);
  FLookupOptions = {dlgColLinesX};
  SetScrollBars(ssBoth);  // the vertical bar is the list's own (UpdateVertScrollBar)
  SetFlat(true);
  SetEditMemoFields(1);
  SetTabStop(false);
  SetVTitleMargin(5);  // a list's titles sit closer than a grid's
  EndUpdate();
}

TDBLookupGridX::~TDBLookupGridX() {
  OnLayoutChangedHook = nullptr;
  FSpecRow->OnChanged = nullptr;
  FLookupLink->SetDataSource(nullptr);
  TCustomDBGridX::SetDataSource(nullptr);
}

TDBGridColumnsX* TDBLookupGridX::CreateColumns() {
  return new TDBGridColumnsX(this, TDBLookupGridColumnX::StaticClass(), MakeItemFactory<TDBLookupGridColumnX>());
}

TColumnDefValuesX* TDBLookupGridX::CreateColumnDefValues() { return new TDBLookupGridColumnDefValuesX(this); }

void TDBLookupGridX::CheckNotCircular(TDataSource* ListSrc) {
  TDataSource* ds = DataSource();
  if (ListSrc && ds && ListSrc->DataSet() && ListSrc->DataSet() == ds->DataSet())
    DatabaseError("Circular datalinks are not allowed", this);
}

void TDBLookupGridX::SetDataSource(TDataSource* Value) {
  if (FLookupLink->DataSourceFixed() && IsLoading()) return;
  if (Value) {
    if (ListSource() && ListSource()->DataSet() && ListSource()->DataSet() == Value->DataSet())
      DatabaseError("Circular datalinks are not allowed", this);
  }
  FLookupLink->SetDataSource(Value);
  if (Value) Value->FreeNotification(this);
}

void TDBLookupGridX::SetDataField(const std::string& Value) {
  if (FDataField == Value) return;
  FDataField = Value;
  UpdateDataFields();
}

void TDBLookupGridX::SetListSource(TDataSource* Value) {
  if (FLookupMode) DatabaseError("Property already defined by lookup field", this);
  if (FLookupLink->DataSourceFixed()) DatabaseError("Operation not allowed in a DBCtrlGrid", this);
  CheckNotCircular(Value);
  TCustomDBGridX::SetDataSource(Value);
  if (Value) Value->FreeNotification(this);
}

void TDBLookupGridX::SetKeyField(const std::string& Value) {
  if (FLookupMode) DatabaseError("Property already defined by lookup field", this);
  if (FLookupLink->DataSourceFixed()) DatabaseError("Operation not allowed in a DBCtrlGrid", this);
  if (FKeyField == Value) return;
  FKeyField = Value;
  UpdateListFields();
  UpdateRowsHeight();
}

void TDBLookupGridX::SetListField(const std::string& Value) {
  if (FListField == Value) return;
  FListField = Value;
  UpdateListFields();
  UpdateRowsHeight();
}

void TDBLookupGridX::SetListFieldIndex(int Value) {
  if (FListFieldIndex == Value) return;
  FListFieldIndex = Value;
  if (FListActive) UpdateListFields();
}

void TDBLookupGridX::SetKeyValue(const Variant& Value) {
  if (VarValuesEqual(FKeyValue, Value) && FKeyValue.VarType() == Value.VarType()) return;
  FKeyValue = Value;
  KeyValueChanged();
}

void TDBLookupGridX::SetLookupOptions(TDBLookupGridXOptions Value) {
  FLookupOptions = Value;
  auto o = Options();
  auto put = [&](TGridXDataOption opt, bool on) {
    if (on) o.Include(opt);
    else o.Exclude(opt);
  };
  put(gdoColumnResize, Value.Contains(dlgColumnResizeX));
  put(gdoColLines, Value.Contains(dlgColLinesX));
  put(gdoRowLines, Value.Contains(dlgRowLinesX));
  SetOptions(o);
  auto ox = OptionsX();
  if (Value.Contains(dlgAutoSortMarkingX)) ox.Include(gxoAutoSortMarking);
  else ox.Exclude(gxoAutoSortMarking);
  if (Value.Contains(dlgMultiSortMarkingX)) ox.Include(gxoMultiSortMarking);
  else ox.Exclude(gxoMultiSortMarking);
  SetOptionsX(ox);
  UpdateRowsHeight();
}

void TDBLookupGridX::SetShowTitles(bool Value) {
  if (ShowTitles() == Value) return;
  auto o = Options();
  if (Value) o.Include(gdoTitles);
  else o.Exclude(gdoTitles);
  SetOptions(o);
  UpdateRowsHeight();
}

void TDBLookupGridX::SetLookupUseMultiTitle(bool Value) {
  SetUseMultiTitle(Value);
  UpdateRowsHeight();
}

void TDBLookupGridX::SetLookupAutoFitColWidths(bool Value) {
  if (FLookupAutoFit == Value) return;
  FLookupAutoFit = Value;
  // The grid's own auto-fit: the columns share the list's width, each in proportion to the width it
  // had, so no horizontal bar while it is on; switching off gives the widths back. The vertical bar is
  // the list's own and stays either way.
  if (Value) {
    for (int i = 0; i < FColumns->Count(); ++i) FColumns->Items(i)->SetAutoFitBaseWidth(FColumns->Items(i)->Width());
    FAutoFitColWidths = true;
  } else {
    FColumns->BeginUpdate();
    try {
      for (int i = 0; i < FColumns->Count(); ++i) {
        TColumnX* c = FColumns->Items(i);
        if (c->AutoFitBaseWidth() > 0) c->SetWidth(c->AutoFitBaseWidth());
      }
      FAutoFitColWidths = false;
    } catch (...) {
      FAutoFitColWidths = false;
      FColumns->EndUpdate();
      throw;
    }
    FColumns->EndUpdate();
  }
  LayoutChanged();  // the layout also drops the horizontal bar while the columns are fitted
  UpdateVertScrollBar();
  UpdateRowsHeight();
}

int TDBLookupGridX::TitleRowCount() {
  return (Options().Contains(gdoTitles) ? 1 : 0) + (FSpecRow && FSpecRow->Visible() ? 1 : 0);
}

int TDBLookupGridX::SpecGridRow() const {
  if (!FSpecRow || !FSpecRow->Visible()) return -1;
  return TitleOffset() - 1;
}

// ---------------------------------------------------------------------------------------------------
// Sizes

int TDBLookupGridX::BorderHeight() {
  if (!HandleAllocated()) return 0;
  return Height() - ClientHeight();
}

int TDBLookupGridX::RowPixelHeight() {
  return DefaultRowHeight() + (Options().Contains(gdoRowLines) ? GridLineWidth() : 0);
}

int TDBLookupGridX::SpecRowPixelHeight() { return RowPixelHeight(); }

namespace {
int TitlePixels(TDBLookupGridX* G) {
  if (!G->ShowTitles()) return 0;
  int line = G->Options().Contains(gdoRowLines) ? G->GridLineWidth() : 0;
  int th = G->TitleRowHeight() > 0 ? G->TitleRowHeight() : G->DefaultRowHeight();
  return th + line;
}
}  // namespace

void TDBLookupGridX::SetDisplayRowCount(int Value) {
  Value = std::clamp(Value, 1, 100);
  FDisplayRows = Value;
  FSpecRowHeight = FSpecRow->Visible() ? SpecRowPixelHeight() : 0;
  int h = TitlePixels(this) + Value * RowPixelHeight() + BorderHeight() + FSpecRowHeight;
  SetBounds(Left(), Top(), Width(), h);
}

void TDBLookupGridX::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FSpecRow && !FSizingLock) {
    FSpecRowHeight = FSpecRow->Visible() ? SpecRowPixelHeight() : 0;
    int title = TitlePixels(this);
    int row = std::max(1, RowPixelHeight());
    // A move or a change of width keeps the rows (the frame may have changed since: a scroll bar).
    if (AHeight != Height() || !HandleAllocated())
      FDisplayRows = std::max(1, (AHeight - BorderHeight() - title - FSpecRowHeight) / row);
    AHeight = title + BorderHeight() + FDisplayRows * row + FSpecRowHeight;
  }
  TCustomDBGridX::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TDBLookupGridX::UpdateRowsHeight() {
  // The columns are fitted by the layout (with auto-fit on); the height is made for the rows.
  if (FSizingLock) return;
  SetDisplayRowCount(FDisplayRows);
}

int TDBLookupGridX::WidthForColumns() {
  // The frame, and room for the vertical scroll bar even before it is shown.
  int frame = Width() - ClientWidth();
  if (frame < GetSystemMetrics(SM_CXVSCROLL)) frame += GetSystemMetrics(SM_CXVSCROLL);
  return TotalColumnWidth() + frame;
}

int TDBLookupGridX::TotalColumnWidth() {
  int w = 0;
  int line = Options().Contains(gdoColLines) ? GridLineWidth() : 0;
  for (int c = 0; c < ColCount(); ++c) w += ColWidths(c) > 0 ? ColWidths(c) + line : 0;
  return w;
}

TRect TDBLookupGridX::DataRect() {
  int top = 0;
  for (int r = 0; r < TitleOffset() && r < RowCount(); ++r)
    top += RowHeights(r) + (Options().Contains(gdoRowLines) || r < FixedRows() ? GridLineWidth() : 0);
  return TRect(0, top, ClientWidth(), ClientHeight());
}

void TDBLookupGridX::CreateParams(TCreateParams& Params) { TCustomDBGridX::CreateParams(Params); }

void TDBLookupGridX::CreateWnd() {
  TCustomDBGridX::CreateWnd();
  UpdateRowsHeight();
  UpdateVertScrollBar();
}

// ---------------------------------------------------------------------------------------------------
// Layout

void TDBLookupGridX::BuildFieldMap() {
  TDataSet* ds = FDataLink->DataSet();
  if (!ds) return;
  if (FColumns->Customised()) {
    TCustomDBGridX::BuildFieldMap();
    return;
  }
  FDataLink->SetMapByName(false);
  for (TField* f : FListFields) FDataLink->MapField(f->FieldName());
}

void TDBLookupGridX::InternalLayout() {
  // The layout measures text: a pop-up without a parent makes its window first.
  if (!HandleAllocated() && !Parent()) HandleNeeded();
  TCustomDBGridX::InternalLayout();
  int special = SpecGridRow();
  if (special >= 0 && special < RowCount()) SetRowHeights(special, DefaultRowHeight());
  if (OnLayoutChangedHook) OnLayoutChangedHook(this);
}

void TDBLookupGridX::UpdateRowCount() {
  int line = Options().Contains(gdoRowLines) ? GridLineWidth() : 0;
  int used = TitlePixels(this) + (FSpecRow && FSpecRow->Visible() ? RowPixelHeight() : 0);
  int fit = std::max(1, (ClientHeight() - used) / std::max(1, DefaultRowHeight() + line));
  if (FDataLink->Active()) FDataLink->SetBufferCount(fit);
  int recs = FDataLink->Active() ? FDataLink->RecordCount() : 0;
  SetRowCount(TitleOffset() + std::max(1, recs));
  SetFixedRows(TitleOffset());
}

void TDBLookupGridX::SyncCurrentRow() { PositionOnKey(); }

void TDBLookupGridX::DataLinkActiveChanged(bool Value) {
  (void)Value;
  UpdateListFields();
}

void TDBLookupGridX::LayoutChanged() { TCustomDBGridX::LayoutChanged(); }

void TDBLookupGridX::DataChanged() {
  if (!FDataLink->Active()) return;
  ListLinkDataChanged();
}

void TDBLookupGridX::Scroll(int) { ListLinkDataChanged(); }

void TDBLookupGridX::SpecRowChanged() {
  if (IsLoading()) return;
  LayoutChanged();
  UpdateRowsHeight();
  Invalidate();
}

// ---------------------------------------------------------------------------------------------------
// Fields

void TDBLookupGridX::UpdateDataFields() {
  FKeyFieldNames.clear();
  TFieldsArrX data;
  TDataSet* ds = FLookupLink->Active() ? FLookupLink->DataSet() : nullptr;
  if (ds && !FDataField.empty()) {
    CheckNotCircular(ListSource());
    data = GetFieldsArray(ds, this, FDataField);
  }
  FDataFields = data;
  bool lookup = data.size() == 1 && data[0]->Lookup();
  if (lookup) FKeyFields = GetFieldsArray(ds, this, data[0]->KeyFields());
  else FKeyFields = data;
  FKeyFieldNames = JoinNames(FKeyFields);
  SetLookupMode(lookup);
  DataFieldChanged(nullptr);
}

void TDBLookupGridX::SetLookupMode(bool Value) {
  if (Value) {
    TField* f = FDataFields[0];
    FKeyFields = GetFieldsArray(FLookupLink->DataSet(), this, f->KeyFields());
    FKeyFieldNames = JoinNames(FKeyFields);
    FLookupMode = true;
    FLookupSource->SetDataSet(f->LookupDataSet());
    FKeyField = f->LookupKeyFields();
    if (TCustomDBGridX::DataSource() != FLookupSource.get()) TCustomDBGridX::SetDataSource(FLookupSource.get());
    else UpdateListFields();
  } else if (FLookupMode) {
    FLookupMode = false;
    TCustomDBGridX::SetDataSource(nullptr);
    FKeyField.clear();
    FLookupSource->SetDataSet(nullptr);
    FKeyFields = FDataFields;
    FKeyFieldNames = JoinNames(FKeyFields);
  }
}

void TDBLookupGridX::DataFieldChanged(TField* Field) {
  if (Field && !Contains(FKeyFields, Field)) return;
  if (FKeyFields.empty()) {
    if (FLookupLink->Active()) SetKeyValue(Null);
    return;
  }
  SetKeyValue(FLookupLink->DataSet()->FieldValues(FKeyFieldNames));
}

void TDBLookupGridX::UpdateListFields() {
  FListActive = false;
  FListFieldObj = nullptr;
  FListFields.clear();
  try {
    TDataSet* lds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    if (lds && !FKeyField.empty()) {
      CheckNotCircular(ListSource());
      FListKeyFields = GetFieldsArray(lds, this, FKeyField);
      if (!FLookupMode && !FListField.empty()) {
        for (const std::string& name : SplitFieldNames(FListField)) {
          const std::string& n = name;
          if (n.empty()) continue;
          TField* f = lds->FindField(n);
          if (!f) DatabaseError("Field '" + FListField + "' not found", this);
          FListFields.push_back(f);
        }
      }
      if (FListFields.empty()) FListFields = FListKeyFields;
      FListFieldObj = FListFieldIndex >= 0 && FListFieldIndex < static_cast<int>(FListFields.size())
                          ? FListFields[static_cast<size_t>(FListFieldIndex)]
                          : FListFields[0];
      if (FLookupMode) {
        FListFieldObj = lds->FieldByName(FDataFields[0]->LookupResultField());
        if (!Contains(FListFields, FListFieldObj)) FListFields.insert(FListFields.begin(), FListFieldObj);
        FListFieldIndex = 0;
      }
      FListActive = true;
    }
  } catch (...) {
    ListLinkDataChanged();
    throw;
  }
  TCustomDBGridX::LayoutChanged();
  if (FListActive) KeyValueChanged();
  else ListLinkDataChanged();
}

bool TDBLookupGridX::KeyValueMatchesFields(const TFieldsArrX& Fields, const Variant& Value) {
  if (Fields.size() == 1) return !Value.IsArray();
  return Fields.size() > 1 && Value.IsArray() &&
         Value.ArrayHighBound() - Value.ArrayLowBound() + 1 == static_cast<int>(Fields.size());
}

bool TDBLookupGridX::LocateKeyValue() {
  TDataSet* lds = FDataLink->DataSet();
  if (FKeyValue.IsNull() || FKeyValue.IsEmpty() || !lds || !lds->Active() ||
      !KeyValueMatchesFields(FListKeyFields, FKeyValue))
    return false;
  try {
    return lds->Locate(FKeyField, FKeyValue, {});
  } catch (...) {
    return false;
  }
}

bool TDBLookupGridX::CanModify() {
  if (!FListActive || FLookupLink->ReadOnly()) return false;
  if (!DataSource()) return true;
  if (FKeyFields.empty()) return false;
  for (TField* f : FKeyFields)
    if (!f->CanModify()) return false;
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Key value

void TDBLookupGridX::KeyValueChanged() {
  bool sel = false;
  bool onKey = false;
  if (FSpecRow->Visible()) {
    sel = VarValuesEqual(FKeyValue, FSpecRow->Value());
    if (!sel && !FSearchLock && FSpecRow->ShowIfNotInKeyList()) {
      if (LocateKeyValue()) onKey = true;
      else sel = true;
    }
  }
  FSpecRowSelected = sel;
  TDataSet* lds = FDataLink->DataSet();
  if (FListActive && !FSearchLock) {
    if (onKey || LocateKeyValue()) {
      onKey = true;
      ListLinkDataChanged();
    } else if (FSpecRowSelected) {
      ListLinkDataChanged();
    } else if (lds) {
      lds->First();
    }
  }
  if (FSearchLock && FListActive && !sel) onKey = true;  // the list stands on the picked record
  // A key that is not in the list shows no text (not the text of whatever record is current).
  if (FSpecRow->Visible() && FSpecRowSelected) FSelectedText = FSpecRow->GetColumnText(FListFieldIndex);
  else if (FListFieldObj && onKey) FSelectedText = FListFieldObj->DisplayText();
  else FSelectedText.clear();
  PositionOnKey();
  Invalidate();
}

void TDBLookupGridX::ListLinkDataChanged() {
  TDataSet* lds = FDataLink->DataSet();
  if (FListActive && FDataLink->Active()) {
    FTopRecordIndex = FDataLink->ActiveRecord();
    FBufferRecordCount = FDataLink->RecordCount();
    FListHasValue = !(FKeyValue.IsNull() && lds && lds->Bof());
  } else {
    FTopRecordIndex = 0;
    FBufferRecordCount = 0;
    FListHasValue = false;
  }
  if (HandleAllocated()) {
    UpdateRowCount();
    PositionOnKey();
    UpdateVertScrollBar();
  }
  Invalidate();
}

void TDBLookupGridX::SelectKeyValue(const Variant& Value) {
  if (FKeyFields.empty()) {
    SetKeyValue(Value);
  } else if (FLookupLink->Edit()) {
    AssignFieldValues(FLookupLink->DataSet(), FKeyFieldNames, Value);
  }
  PositionOnKey();
  Invalidate();
  Click();
}

int TDBLookupGridX::KeyRowIndex() {
  if (FKeyValue.IsNull() || FKeyValue.IsEmpty() || !FDataLink->Active() || FKeyField.empty()) return -1;
  int old = FDataLink->ActiveRecord();
  int found = -1;
  for (int i = 0; i < FDataLink->RecordCount() && found < 0; ++i) {
    FDataLink->SetActiveRecord(i);
    if (VarValuesEqual(FDataLink->DataSet()->FieldValues(FKeyField), FKeyValue)) found = i;
  }
  FDataLink->SetActiveRecord(old);
  return found;
}

bool TDBLookupGridX::RecordIsKey(int Index) {
  if (FSpecRowSelected || FKeyValue.IsNull() || FKeyValue.IsEmpty() || FKeyField.empty()) return false;
  if (!FDataLink->Active() || Index < 0 || Index >= FDataLink->RecordCount()) return false;
  int old = FDataLink->ActiveRecord();
  FDataLink->SetActiveRecord(Index);
  bool eq = VarValuesEqual(FDataLink->DataSet()->FieldValues(FKeyField), FKeyValue);
  FDataLink->SetActiveRecord(old);
  return eq;
}

void TDBLookupGridX::PositionOnKey() {
  FRowPositioned = false;
  if (!FListActive || !HandleAllocated() || IsLoading()) return;
  int r = KeyRowIndex();
  if (r < 0) return;
  int row = r + TitleOffset();
  if (row < RowCount() && row != Row()) MoveColRow(std::max(Col(), FixedCols()), row, false, false);
  FRowPositioned = true;
}

void TDBLookupGridX::PickCurrentRecord() {
  TDataSet* lds = FDataLink->DataSet();
  if (!lds || !FListActive) return;
  FSearchLock = true;
  try {
    Variant v = lds->FieldValues(FKeyField);
    if (!VarValuesEqual(v, FKeyValue) || FSpecRowSelected) {
      FSpecRowSelected = false;
      SelectKeyValue(v);
    }
  } catch (...) {
    FSearchLock = false;
    throw;
  }
  FSearchLock = false;
  Invalidate();
}

void TDBLookupGridX::SelectSpecRow() {
  FSearchLock = true;
  try {
    if (!VarValuesEqual(FSpecRow->Value(), FKeyValue)) SelectKeyValue(FSpecRow->Value());
  } catch (...) {
    FSearchLock = false;
    throw;
  }
  FSearchLock = false;
  FSpecRowSelected = true;
  FSelectedText = FSpecRow->GetColumnText(FListFieldIndex);
  Invalidate();
}

// ---------------------------------------------------------------------------------------------------
// Keyboard

void TDBLookupGridX::KeyDown(WORD& Key, TShiftState Shift) {
  TDataSet* lds = FDataLink->DataSet();
  if (CanModify() && lds) {
    int visible = std::max(1, FDataLink->RecordCount());
    bool handled = true, home = false, end = false;
    int dist = 0;
    bool hScroll = TotalColumnWidth() > ClientWidth();
    switch (Key) {
      case VK_PRIOR: dist = 1 - visible; break;
      case VK_NEXT: dist = visible - 1; break;
      case VK_END: end = true; break;
      case VK_HOME: home = true; break;
      case VK_LEFT: if (hScroll) handled = false; else dist = -1; break;
      case VK_RIGHT: if (hScroll) handled = false; else dist = 1; break;
      case VK_UP: dist = -1; break;
      case VK_DOWN: dist = 1; break;
      default: handled = false; break;
    }
    if (handled) {
      FSearchText.clear();
      bool special = FSpecRow->Visible();
      if (home) {
        lds->First();
      } else if (end) {
        lds->Last();
      } else if (special && FSpecRowSelected) {
        if (dist < 0) {
          SelectSpecRow();
          lds->First();
          Key = 0;
          return;
        }
        lds->First();
        if (dist > 1) lds->MoveBy(dist - 1);
      } else {
        if (!LocateKeyValue()) {
          KeyValueChanged();
          if (FSpecRowSelected && dist > 0) dist = 0;
          else if (!FSpecRowSelected) dist = 0;
        }
        int moved = lds->MoveBy(dist);
        if (dist < 0 && moved > dist && special) {
          SelectSpecRow();
          lds->First();
          Key = 0;
          return;
        }
      }
      PickCurrentRecord();
      Key = 0;
      return;
    }
  }
  TCustomDBGridX::KeyDown(Key, Shift);
}

void TDBLookupGridX::KeyPress(WideChar& Key) {
  // A character beyond the BMP comes as two messages: the search takes it whole.
  if (Key < 32) {
    FTypedChar.Clear();
    ProcessSearchKey(static_cast<char32_t>(Key));
  } else if (const char32_t typed = FTypedChar.Join(Key)) {
    ProcessSearchKey(typed);
  }
  Key = 0;
}

void TDBLookupGridX::ProcessSearchKey(char32_t Key) {
  if (!FListFieldObj) return;
  TFieldKind kind = FListFieldObj->FieldKind();
  if ((kind != fkData && kind != fkInternalCalc) || FListFieldObj->DataType() != ftString) return;
  if (Key == 8 || Key == 27) {
    FSearchText.clear();
    return;
  }
  if (Key < 32 || !CanModify()) return;
  DWORD now = GetTickCount();
  if (now - LastSearchTick > LookupSearchTimeoutMs) FSearchText.clear();
  LastSearchTick = now;
  if (Utf8Length(FSearchText) >= LookupSearchMaxChars) return;
  std::string candidate = FSearchText;
  Utf8Append(candidate, Key);
  TDataSet* lds = FDataLink->DataSet();
  try {
    if (lds->Locate(FListFieldObj->FieldName(), Variant(candidate), {loCaseInsensitive, loPartialKey})) {
      FSearchLock = true;
      try {
        FSpecRowSelected = false;
        SelectKeyValue(lds->FieldValues(FKeyField));
      } catch (...) {
        FSearchLock = false;
        throw;
      }
      FSearchLock = false;
      FSearchText = candidate;
    }
  } catch (...) {
    FSearchText = candidate;
  }
}

void TDBLookupGridX::ColWidthsChanged() {
  if (!FLookupAutoFit || FSizingLock || !HandleAllocated() || LayoutLock() > 0) {
    TCustomDBGridX::ColWidthsChanged();
    return;
  }
  // The user sized a column of the fitted list: the columns keep the widths they show (the change is
  // not shared out among the others) and the list becomes as wide as they are.
  FSizingLock = true;
  FAutoFitColWidths = false;
  try {
    TCustomDBGridX::ColWidthsChanged();
    for (int i = 0; i < Columns()->Count(); ++i) {
      TColumnX* c = Columns()->Items(i);
      int raw = DataToRawColumn(i);
      if (raw < ColCount() && c->Visible()) {
        c->SetWidth(ColWidths(raw));
        c->SetAutoFitBaseWidth(ColWidths(raw));
      }
    }
    FAutoFitColWidths = true;
    TCustomDBGridX::SetBounds(Left(), Top(), WidthForColumns(), Height());
  } catch (...) {
    FAutoFitColWidths = FLookupAutoFit;
    FSizingLock = false;
    throw;
  }
  FSizingLock = false;
}

void TDBLookupGridX::DoEnter() {
  FSearchText.clear();
  FHasFocus = true;
  Invalidate();
  TCustomDBGridX::DoEnter();
}

void TDBLookupGridX::DoExit() {
  FHasFocus = false;
  Invalidate();
  TCustomDBGridX::DoExit();
}

// ---------------------------------------------------------------------------------------------------
// Mouse

void TDBLookupGridX::SelectRecordAt(int X, int Y) {
  int special = SpecGridRow();
  int c = 0, r = -1;
  int y = std::min(Y, ClientHeight() - 1);
  MouseToCell(X, y, c, r);
  if (special >= 0 && r == special) {
    SelectSpecRow();
    return;
  }
  if (r < TitleOffset() || !FDataLink->Active()) return;
  int index = r - TitleOffset();
  if (index >= FDataLink->RecordCount()) return;
  FDataLink->DataSet()->MoveBy(index - FDataLink->ActiveRecord());
  PickCurrentRecord();
}

void TDBLookupGridX::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  int c = 0, r = -1;
  MouseToCell(X, Y, c, r);
  int special = SpecGridRow();
  bool onSpec = special >= 0 && r == special;
  bool inData = r >= TitleOffset() && FDataLink->Active() && r - TitleOffset() < FDataLink->RecordCount();
  if (!onSpec && !inData) {
    TCustomDBGridX::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FSearchText.clear();
  if (FGrabFocus) {
    if (CanFocus()) SetFocus();
    if (!Focused()) return;
  }
  if (!CanModify()) return;
  if (Shift.Contains(ssDouble) && inData && r - TitleOffset() == FDataLink->ActiveRecord()) {
    DblClick();
    return;
  }
  SetMouseCapture(true);
  FDragging = true;
  SelectRecordAt(X, Y);
}

void TDBLookupGridX::MouseMove(TShiftState Shift, int X, int Y) {
  if (!FDragging) {
    TCustomDBGridX::MouseMove(Shift, X, Y);
    return;
  }
  FMousePos = Y;
  if (Y < 0 || Y >= ClientHeight()) AutoScrollStep(Y);
  else {
    StopAutoScroll();
    SelectRecordAt(X, Y);
  }
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TDBLookupGridX::AutoScrollStep(int Y) {
  TDataSet* lds = FDataLink->DataSet();
  int distance = 0, overshoot = 0;
  if (Y < 0) {
    distance = -1;
    overshoot = -Y;
  } else if (Y >= ClientHeight()) {
    distance = 1;
    overshoot = Y - ClientHeight() + 1;
  }
  if (distance == 0 || !lds) {
    StopAutoScroll();
    return;
  }
  int moved = lds->MoveBy(distance);
  if (distance < 0 && moved == 0 && FSpecRow->Visible()) SelectSpecRow();
  else if (moved != 0) PickCurrentRecord();
  // Farther out, faster.
  int interval = std::max(0, 200 - 15 * overshoot);
  if (HandleAllocated()) {
    SetTimer(Handle(), AutoScrollTimerId, static_cast<UINT>(interval), nullptr);
    FAutoScrolling = true;
  }
}

void TDBLookupGridX::StopAutoScroll() {
  if (FAutoScrolling && HandleAllocated()) KillTimer(Handle(), AutoScrollTimerId);
  FAutoScrolling = false;
}

void TDBLookupGridX::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!FDragging) {
    TCustomDBGridX::MouseUp(Button, Shift, X, Y);
    return;
  }
  FDragging = false;
  StopAutoScroll();
  SetMouseCapture(false);
  if (Y >= 0 && Y < ClientHeight()) SelectRecordAt(X, Y);
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

bool TDBLookupGridX::DoMouseWheel(TShiftState, int WheelDelta, const TPoint&) {
  if (!FDataLink->Active()) return false;
  FSearchText.clear();
  if (WheelDelta < 0) MoveList(FBufferRecordCount - FTopRecordIndex);
  else MoveList(-FTopRecordIndex - 1);
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Scrolling by record

void TDBLookupGridX::MoveList(int Distance) {
  if (TDataSet* lds = FDataLink->DataSet()) lds->MoveBy(Distance);
}

void TDBLookupGridX::VertScroll(int Code) {
  FSearchText.clear();
  if (!FDataLink->Active()) return;
  TDataSet* lds = FDataLink->DataSet();
  int top = FDataLink->ActiveRecord(), count = FDataLink->RecordCount();
  switch (Code) {
    case SB_LINEUP: MoveList(-top - 1); break;
    case SB_LINEDOWN: MoveList(count - top); break;
    case SB_PAGEUP: MoveList(1 - top - count); break;
    case SB_PAGEDOWN: MoveList(2 * count - top - 2); break;
    case SB_TOP: lds->First(); break;
    case SB_BOTTOM: lds->Last(); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      SCROLLINFO si{};
      si.fMask = SIF_TRACKPOS | SIF_POS;
      GetScrollInfo(Handle(), SB_VERT, &si);
      int pos = Code == SB_THUMBTRACK ? si.nTrackPos : si.nPos;
      if (lds->IsSequenced() && lds->RecordCount() > 0) {
        int first = lds->RecNo() - 1 - top;  // 0-based number of the first shown record
        if (pos < first) MoveList(-top + (pos - first));
        else if (pos > first) MoveList((count - 1 - top) + (pos - first));
      } else if (Code == SB_THUMBPOSITION) {
        switch (pos) {
          case 0: lds->First(); break;
          case 1: MoveList(1 - top - count); break;
          case 3: MoveList(2 * count - top - 2); break;
          case 4: lds->Last(); break;
          default: break;
        }
      }
      break;
    }
    default: break;
  }
}

void TDBLookupGridX::UpdateVertScrollBar() {
  if (!HandleAllocated() || FUpdatingScrollBar) return;
  int max = 2, pos = 0, page = 0;
  TDataSet* lds = FDataLink->DataSet();
  if (FListActive && lds && FDataLink->Active()) {
    if (lds->IsSequenced() && lds->RecordCount() >= 0) {
      page = std::max(1, FDataLink->BufferCount());
      max = std::max(0, lds->RecordCount() - 1);
      pos = lds->State() == dsBrowse ? std::max(0, lds->RecNo() - FDataLink->ActiveRecord() - 1) : 0;
    } else {
      max = FDataLink->RecordCount() < FDataLink->BufferCount() ? 0 : 4;
      pos = FDataLink->Bof() ? 0 : FDataLink->Eof() ? 4 : 2;
    }
  }
  SCROLLINFO cur{};
  cur.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  GetScrollInfo(Handle(), SB_VERT, &cur);
  FVertMax = max;
  FVertPos = pos;
  FVertPage = page;
  if (cur.nMin == 0 && cur.nMax == max && static_cast<int>(cur.nPage) == page && cur.nPos == pos) return;
  SCROLLINFO si{};
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = max;
  si.nPage = static_cast<UINT>(page);
  si.nPos = pos;
  FUpdatingScrollBar = true;
  try {
    SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
    ShowScrollBar(Handle(), SB_VERT, page <= max);
  } catch (...) {
    FUpdatingScrollBar = false;
    throw;
  }
  FUpdatingScrollBar = false;
}

void TDBLookupGridX::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_VSCROLL:
      VertScroll(static_cast<int>(Message.WParam & 0xFFFF));
      Message.Result = 0;
      return;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case WM_TIMER:
      if (Message.WParam == AutoScrollTimerId) {
        if (FDragging) AutoScrollStep(FMousePos);
        else StopAutoScroll();
        return;
      }
      break;
    case WM_CANCELMODE:
      FDragging = false;
      StopAutoScroll();
      break;
    default:
      break;
  }
  TCustomDBGridX::Dispatch(Message);
  if (Message.Msg == WM_SIZE || Message.Msg == WM_WINDOWPOSCHANGED) {
    UpdateVertScrollBar();
    // A frame that grew or shrank (a scroll bar came or went) keeps the rows: the height follows.
    if (Message.Msg == WM_SIZE && !FSizingLock && !FRefitting && FSpecRow) {
      int expected = TitlePixels(this) + FDisplayRows * RowPixelHeight() +
                     (FSpecRow->Visible() ? SpecRowPixelHeight() : 0);
      if (ClientHeight() != expected) {
        FRefitting = true;
        try {
          SetDisplayRowCount(FDisplayRows);
        } catch (...) {
          FRefitting = false;
          throw;
        }
        FRefitting = false;
      }
    }
  }
}

void TDBLookupGridX::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomDBGridX::Notification(AComponent, Operation);
  if (Operation == opRemove && FLookupLink && AComponent == FLookupLink->DataSource()) SetDataSource(nullptr);
}

// ---------------------------------------------------------------------------------------------------
// Drawing

void TDBLookupGridX::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  TCanvas* c = Canvas();
  int dataCol = ACol - IndicatorOffset();
  TColumnX* col = ColumnAt(dataCol);
  bool rtl = RightToLeft();
  if (ARow == SpecGridRow()) {
    auto* lc = dynamic_cast<TDBLookupGridColumnX*>(col);
    c->Font()->Assign(lc ? lc->SpecCell()->Font() : FSpecRow->Font());
    TColor back = lc ? lc->SpecCell()->Color() : FSpecRow->Color();
    if (FSpecRowSelected) {
      back = clHighlight;
      c->Font()->SetColor(clHighlightText);
    }
    c->Brush()->SetColor(back);
    c->FillRect(ARect);
    if (lc)
      DrawCellTextX(c, ARect, 2, 2, lc->SpecCell()->Text(), MirroredAlignment(col->Alignment(), rtl), 0, false,
                    col->EndEllipsis(), 0, 0, rtl);
    if (FSpecRowSelected && ACol == ColCount() - 1) {
      // The focus frame runs over the whole row, drawn once with its last cell (the leftmost one when
      // the columns run from the right).
      TRect first = CellRect(std::max(FixedCols(), LeftCol()), ARow);
      c->DrawFocusRect(TRect(std::min(first.Left, ARect.Left), ARect.Top, std::max(first.Right, ARect.Right),
                             ARect.Bottom));
    }
    return;
  }
  if (ARow < TitleOffset()) {
    TCustomDBGridX::DrawCell(ACol, ARow, ARect, AState);
    return;
  }
  int index = ARow - TitleOffset();
  if (!col || !FDataLink->Active() || index >= FDataLink->RecordCount()) {
    c->Brush()->SetColor(Color());
    c->FillRect(ARect);
    return;
  }
  bool key = UpdateLock() == 0 && RecordIsKey(index);
  int old = FDataLink->ActiveRecord();
  FDataLink->SetActiveRecord(index);
  try {
    c->Font()->Assign(col->Font());
    TColor back = col->Color();
    // The owner's cell parameters first; the chosen record's highlight is the list's own.
    DoGetCellParams(col, c->Font(), back, AState);
    if (key) {
      back = clHighlight;
      c->Font()->SetColor(clHighlightText);
      AState.Include(gdSelected);
    }
    c->Brush()->SetColor(back);
    c->FillRect(ARect);
    DrawCellTextX(c, ARect, 2, 2, col->GetCellDisplayText(), MirroredAlignment(col->Alignment(), rtl), 0, false,
                  col->EndEllipsis(), 0, 0, rtl);
    DrawColumnCell(ARect, dataCol, col, AState);
  } catch (...) {
    FDataLink->SetActiveRecord(old);
    throw;
  }
  FDataLink->SetActiveRecord(old);
}
