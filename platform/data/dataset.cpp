// TDataSet: states, the record buffers and the cursor protocol, editing, bookmarks, calculated and lookup
// fields, and data events.
#include <algorithm>

#include "platform/data/db.h"
#include "platform/data/native.h"

namespace {
constexpr int MaxBufferCount = 1024;
}

Variant NativeToVariant(const TField* Field, const void* Buffer) {
  switch (Field->Native()) {
    case TField::nvInt32:
      return Field->DataType() == ftBoolean ? Variant(*static_cast<const int32_t*>(Buffer) != 0)
                                            : Variant(*static_cast<const int32_t*>(Buffer));
    case TField::nvInt64: return Variant(*static_cast<const int64_t*>(Buffer));
    case TField::nvBool: return Variant(*static_cast<const bool*>(Buffer));
    case TField::nvDouble: {
      double d = *static_cast<const double*>(Buffer);
      TFieldType t = Field->DataType();
      if (t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp) return VarFromDateTime(d);
      return Variant(d);
    }
    case TField::nvCurrency: return Variant(*static_cast<const Currency*>(Buffer));
    case TField::nvString: return Variant(*static_cast<const std::string*>(Buffer));
    case TField::nvVariant: return *static_cast<const Variant*>(Buffer);
    default: return Variant::Null();
  }
}

bool VariantToNative(const TField* Field, const Variant& Value, TNativeValue& H) {
  if (Value.IsNull() || Value.IsEmpty()) return false;
  switch (Field->Native()) {
    case TField::nvInt32: H.I32 = Value.AsInteger(); break;
    case TField::nvInt64: H.I64 = Value.AsInt64(); break;
    case TField::nvBool: H.B = Value.AsBoolean(); break;
    case TField::nvDouble: H.D = Value.VarType() == varDate ? Value.AsDateTime() : Value.AsDouble(); break;
    case TField::nvCurrency: H.C = Value.AsCurrency(); break;
    case TField::nvString: H.S = VarToStr(Value); break;
    case TField::nvVariant: H.V = Value; break;
    default: return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------------

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner), FFields(this) {
  FBuffers.resize(1);
}

TDataSet::~TDataSet() {
  Destroying();
  // A descendant closes itself in its destructor; here only the links learn that the data is gone.
  FState = dsInactive;
  // Leave no dangling references: sources forget us, fields forget us (the owned ones are freed by
  // TComponent after this destructor).
  for (TDataSource* s : std::vector<TDataSource*>(FDataSources)) s->SetDataSet(nullptr);
  for (TField* f : std::vector<TField*>(FFields.FList)) f->FDataSet = nullptr;
  FFields.FList.clear();
}

void TDataSet::CheckActive() const {
  if (FState == dsInactive) DatabaseError("Cannot perform this operation on a closed dataset",
                                          const_cast<TDataSet*>(this));
}

void TDataSet::CheckInactive() const {
  if (FState != dsInactive) DatabaseError("Cannot perform this operation on an open dataset",
                                          const_cast<TDataSet*>(this));
}

void TDataSet::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  if (Value) CheckBrowseMode();
  FReadOnly = Value;
  if (Active()) DataEvent(deUpdateState, 0);
}

void TDataSet::AddField(TField* Field) {
  if (!Field->FieldName().empty() && FindField(Field->FieldName()))
    DatabaseErrorFmt("Duplicate field name '%s'", {Field->FieldName()}, this);
  FFields.FList.push_back(Field);
  Field->FDataSet = this;
  FDefaultFields = false;
}

void TDataSet::RemoveField(TField* Field) {
  auto& l = FFields.FList;
  l.erase(std::remove(l.begin(), l.end(), Field), l.end());
  Field->FDataSet = nullptr;
  if (Active() && !IsDestroying()) Close();
}

void TDataSet::CreateFields() {
  for (int i = 0; i < FFieldDefs.Count(); ++i) {
    const TFieldDef& d = FFieldDefs[i];
    TField* f = CreateFieldOfType(d.DataType, this);
    f->FFieldName = d.Name;
    if (d.Size > 0 || f->IsBlob()) f->FSize = d.Size;
    f->FRequired = d.Required;
    f->FDataSet = this;
    FFields.FList.push_back(f);
  }
  FDefaultFields = true;
}

std::vector<TField*> TDataSet::VisibleFields() const {
  std::vector<TField*> r;
  for (TField* f : FFields.FList)
    if (f->Visible()) r.push_back(f);
  return r;
}

std::vector<std::string> TDataSet::SplitFieldNames(const std::string& Names) {
  std::vector<std::string> r;
  size_t start = 0;
  while (start <= Names.size()) {
    size_t p = Names.find(';', start);
    if (p == std::string::npos) p = Names.size();
    std::string n = Trim(Names.substr(start, p - start));
    if (!n.empty()) r.push_back(n);
    start = p + 1;
  }
  return r;
}

void TDataSet::GetFieldList(std::vector<TField*>& List, const std::string& FieldNames) const {
  for (const std::string& n : SplitFieldNames(FieldNames)) List.push_back(FieldByName(n));
}

void TDataSet::GetFieldList(TList* List, const std::string& FieldNames) const {
  for (const std::string& n : SplitFieldNames(FieldNames)) {
    TField* f = FieldByName(n);
    if (List) List->Add(f);
  }
}

void TDataSet::GetFieldNames(TStrings* List) const {
  for (TField* f : FFields.FList) List->Add(f->FieldName());
}

Variant TDataSet::FieldValues(const std::string& FieldNames) const {
  std::vector<TField*> fields;
  GetFieldList(fields, FieldNames);
  if (fields.size() == 1) return fields[0]->AsVariant();
  std::vector<Variant> values;
  for (TField* f : fields) values.push_back(f->AsVariant());
  return Variant(std::move(values));
}

void TDataSet::SetFieldValues(const std::string& FieldNames, const Variant& Value) {
  std::vector<TField*> fields;
  GetFieldList(fields, FieldNames);
  if (fields.size() == 1) {
    fields[0]->SetAsVariant(Value);
    return;
  }
  if (Value.IsNull()) {
    for (TField* f : fields) f->Clear();
    return;
  }
  if (!Value.IsArray() || Value.ArrayHighBound() + 1 != static_cast<int>(fields.size()))
    DatabaseError("Invalid variant array for the field list " + FieldNames, this);
  for (size_t i = 0; i < fields.size(); ++i) fields[i]->SetAsVariant(Value[static_cast<int>(i)]);
}

bool TDataSet::IsLinkedTo(TDataSource* DataSource) const {
  int guard = 0;
  while (DataSource && guard++ < 64) {
    TDataSet* ds = DataSource->DataSet();
    if (!ds) break;
    if (ds == this) return true;
    DataSource = ds->GetDataSource();
  }
  return false;
}

// ---------------------------------------------------------------------------------------------------
// Opening and closing

void TDataSet::UpdateCalcFieldSlots() {
  FCalcFieldsCount = 0;
  int no = 0;
  for (TField* f : FFields.FList) {
    if (f->FieldKind() == fkData) {
      f->FFieldNo = ++no;
      f->FCalcIndex = -1;
    } else {
      f->FFieldNo = -1;
      f->FCalcIndex = FCalcFieldsCount++;
    }
  }
}

void TDataSet::SetActive(bool Value) {
  if (IsLoading()) {
    FStreamedActive = Value;
    return;
  }
  if (Value == Active()) return;
  if (Value) {
    if (BeforeOpen) BeforeOpen(this);
    DoInternalOpen();
    if (AfterOpen) AfterOpen(this);
    if (!IsEmpty()) DoAfterScroll();
  } else {
    if (!IsDestroying() && BeforeClose) BeforeClose(this);
    DoInternalClose();
    if (!IsDestroying() && AfterClose) AfterClose(this);
  }
}

void TDataSet::DoInternalOpen() {
  if (FFields.Count() == 0) CreateFields();
  for (TField* f : FFields.FList)
    if (f->FieldName().empty()) DatabaseError("Field name missing", this);
  UpdateCalcFieldSlots();
  for (TField* f : FFields.FList)
    if (f->FieldKind() == fkLookup) {
      f->RefreshLookupList();
      if (!f->LookupDataSet()) DatabaseErrorFmt("Field '%s': lookup data set missing", {f->DisplayName()}, this);
      if (f->LookupDataSet() == this) DatabaseErrorFmt("Circular data link for field '%s'", {f->DisplayName()}, this);
    }
  FState = dsOpening;
  try {
    ParseFilter();
    InternalOpen();
  } catch (...) {
    FState = dsInactive;
    try { InternalClose(); } catch (...) {}
    throw;
  }
  // Records are buffered before the links learn that the data set is open, so ActiveChanged sees them.
  FBOF = true;
  FEOF = true;
  FBufferCount = 0;
  FBuffers.assign(1, TRecBuf());
  FRecordCount = 0;
  FActiveRecord = 0;
  FCurrentRecord = -1;
  try {
    UpdateBufferCount();
    ClearBuffers();
    InternalFirst();
    GetNextRecords();
  } catch (...) {
    FState = dsInactive;
    try { InternalClose(); } catch (...) {}
    throw;
  }
  FBOF = true;
  FEOF = FRecordCount == 0;
  SetState(dsBrowse);
}

void TDataSet::DoInternalClose() {
  FFilterExpr.reset();
  InternalClose();
  ClearBuffers();
  FBufferCount = 0;
  FBuffers.assign(1, TRecBuf());
  SetState(dsInactive);
}

void TDataSet::SetState(TDataSetState Value) {
  if (FState == Value) return;
  FState = Value;
  FModified = false;
  DataEvent(deUpdateState, 0);
}

// ---------------------------------------------------------------------------------------------------
// Data events

void TDataSet::DataEvent(TDataEvent Event, intptr_t Info) {
  switch (Event) {
    case deFieldChange: {
      auto* f = reinterpret_cast<TField*>(Info);
      if (f->FieldKind() == fkData || f->FieldKind() == fkInternalCalc) FModified = true;
      UpdateCalcFields();
      break;
    }
    case deLayoutChange:
      if (ControlsDisabled()) FEnableEvent = deLayoutChange;
      break;
    default: break;
  }
  // While controls are disabled only deUpdateRecord gets through: a control's pending value must still
  // reach a record that code posts meanwhile.
  if (ControlsDisabled() && Event != deUpdateRecord) return;
  for (TDataSource* s : std::vector<TDataSource*>(FDataSources)) s->DataEvent(Event, Info);
}

void TDataSet::DisableControls() {
  if (FDisableCount == 0) {
    FDisableState = FState;
    FEnableEvent = deDataSetChange;
  }
  ++FDisableCount;
}

void TDataSet::EnableControls() {
  if (FDisableCount == 0) return;
  if (--FDisableCount > 0) return;
  if (FDisableState != FState) DataEvent(deUpdateState, 0);
  if (FDisableState != dsInactive && FState != dsInactive) DataEvent(FEnableEvent, 0);
}

void TDataSet::AddDataSource(TDataSource* Source) {
  FDataSources.push_back(Source);
  UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* Source) {
  FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), Source), FDataSources.end());
  if (!IsDestroying()) UpdateBufferCount();
}

// ---------------------------------------------------------------------------------------------------
// Buffers

void TDataSet::UpdateBufferCount() {
  if (FState == dsInactive) return;
  int n = 1;
  for (TDataSource* s : FDataSources)
    for (TDataLink* l : s->FDataLinks)
      if (l->FBufferCount > n) n = l->FBufferCount;
  SetBufferCount(n);
}

void TDataSet::SetBufferCount(int Value) {
  Value = EnsureRange(Value, 1, MaxBufferCount);
  if (Value == FBufferCount) return;
  int oldCount = FBufferCount;
  int oldRecords = FRecordCount;
  int oldActive = FActiveRecord;
  if (Value < FRecordCount) {
    // Keep the active record: drop records after the window first, then before it.
    int dropFront = std::max(0, FActiveRecord - (Value - 1));
    if (dropFront > 0) {
      std::rotate(FBuffers.begin(), FBuffers.begin() + dropFront, FBuffers.begin() + FRecordCount);
      FActiveRecord -= dropFront;
      for (TDataSource* s : FDataSources)
        for (TDataLink* l : s->FDataLinks)
          if (l->FActive) l->FFirstRecord = std::max(0, l->FFirstRecord - dropFront);
    }
    FRecordCount = Value;
    CursorPosChanged();
  }
  FBuffers.resize(Value + 1);
  FBufferCount = Value;
  if (oldCount == 0 || FState == dsInactive) return;
  // A record being edited keeps its buffer; the records after and before it fill the new room.
  if ((!IsEditMode(FState) || FState == dsEdit) && FRecordCount > 0 && FRecordCount < FBufferCount) {
    GetNextRecords();
    if (FRecordCount < FBufferCount) {
      int before = FActiveRecord;
      GetPriorRecords();
      int shift = FActiveRecord - before;
      for (TDataSource* s : FDataSources)
        for (TDataLink* l : s->FDataLinks)
          if (l->FActive) l->FFirstRecord += shift;
    }
  }
  for (TDataSource* s : FDataSources)
    for (TDataLink* l : s->FDataLinks)
      if (l->FActive) l->UpdateRange();
  if (FRecordCount != oldRecords || FActiveRecord != oldActive) DataEvent(deDataSetChange, 0);
}

void TDataSet::ClearBuffers() {
  FRecordCount = 0;
  FActiveRecord = 0;
  FCurrentRecord = -1;
  FBOF = true;
  FEOF = true;
  for (TRecBuf& b : FBuffers) b.EditRecord = false;
}

void TDataSet::ActivateBuffers() {
  FRecordCount = 1;
  FActiveRecord = 0;
  FCurrentRecord = 0;
  FBOF = false;
  FEOF = false;
}

void TDataSet::MoveBuffer(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  if (CurIndex < NewIndex)
    std::rotate(FBuffers.begin() + CurIndex, FBuffers.begin() + CurIndex + 1, FBuffers.begin() + NewIndex + 1);
  else
    std::rotate(FBuffers.begin() + NewIndex, FBuffers.begin() + CurIndex, FBuffers.begin() + CurIndex + 1);
}

void TDataSet::SetCurrentRecord(int Index) {
  if (FCurrentRecord == Index) return;
  InternalSetToRecord(FBuffers[Index]);
  FCurrentRecord = Index;
}

void TDataSet::UpdateCursorPos() {
  if (FRecordCount > 0) SetCurrentRecord(FActiveRecord);
}

TGetResult TDataSet::FetchRecord(TRecBuf& Buf, TGetMode Mode) {
  Buf.EditRecord = false;
  Buf.Flag = bfCurrent;
  TGetResult r = GetRecord(Buf, Mode);
  if (r == grOK && FCalcFieldsCount > 0) GetCalcFields(Buf);
  return r;
}

bool TDataSet::GetNextRecord() {
  TGetMode mode = gmNext;
  if (FRecordCount > 0) {
    SetCurrentRecord(FRecordCount - 1);
    if (FState == dsInsert && FCurrentRecord == FActiveRecord && FBuffers[FActiveRecord].Flag == bfCurrent)
      mode = gmCurrent;
  }
  bool ok = FetchRecord(FBuffers[FRecordCount], mode) == grOK;
  if (ok) {
    if (FRecordCount == 0) ActivateBuffers();
    else if (FRecordCount < FBufferCount) ++FRecordCount;
    else MoveBuffer(0, FRecordCount);
    FCurrentRecord = FRecordCount - 1;
  } else {
    CursorPosChanged();
  }
  return ok;
}

bool TDataSet::GetPriorRecord() {
  if (FRecordCount > 0) SetCurrentRecord(0);
  bool ok = FetchRecord(FBuffers[FRecordCount], gmPrior) == grOK;
  if (ok) {
    if (FRecordCount == 0) {
      ActivateBuffers();
    } else {
      MoveBuffer(FRecordCount, 0);
      if (FRecordCount < FBufferCount) {
        ++FRecordCount;
        ++FActiveRecord;
      }
    }
    FCurrentRecord = 0;
  } else {
    CursorPosChanged();
  }
  return ok;
}

int TDataSet::GetNextRecords() {
  int n = 0;
  while (FRecordCount < FBufferCount && GetNextRecord()) ++n;
  return n;
}

int TDataSet::GetPriorRecords() {
  int n = 0;
  while (FRecordCount < FBufferCount && GetPriorRecord()) ++n;
  return n;
}

bool TDataSet::IsEmpty() const { return FActiveRecord >= FRecordCount && FState != dsInsert; }

// ---------------------------------------------------------------------------------------------------
// Navigation

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  try {
    InternalFirst();
    GetNextRecord();
    GetNextRecords();
  } catch (...) {
    FBOF = true;
    DataEvent(deDataSetChange, 0);
    throw;
  }
  FBOF = true;
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  try {
    InternalLast();
    GetPriorRecord();
    GetPriorRecords();
  } catch (...) {
    FEOF = true;
    DataEvent(deDataSetChange, 0);
    throw;
  }
  FEOF = true;
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

int TDataSet::MoveBy(int Distance) {
  CheckBrowseMode();
  int result = 0;
  DoBeforeScroll();
  if ((Distance > 0 && !FEOF) || (Distance < 0 && !FBOF)) {
    FBOF = false;
    FEOF = false;
    int scrollDist = 0;
    try {
      if (Distance > 0) {
        if (FActiveRecord < FRecordCount - 1) {
          int i = std::min(FRecordCount - 1 - FActiveRecord, Distance);
          result += i;
          Distance -= i;
          FActiveRecord += i;
        }
        while (Distance > 0) {
          if (GetNextRecord()) {
            ++result;
            --Distance;
            if (FActiveRecord < FRecordCount - 1) ++FActiveRecord;
            else --scrollDist;
          } else {
            FEOF = true;
            break;
          }
        }
      } else {
        if (FActiveRecord > 0) {
          int i = std::min(FActiveRecord, -Distance);
          result -= i;
          Distance += i;
          FActiveRecord -= i;
        }
        while (Distance < 0) {
          if (GetPriorRecord()) {
            --result;
            ++Distance;
            if (FActiveRecord > 0) --FActiveRecord;
            else ++scrollDist;
          } else {
            FBOF = true;
            break;
          }
        }
      }
    } catch (...) {
      DataEvent(deDataSetScroll, scrollDist);
      throw;
    }
    DataEvent(deDataSetScroll, scrollDist);
    DoAfterScroll();
  }
  return result;
}

void TDataSet::Resync(bool Exact, bool Center) {
  if (Exact) {
    CursorPosChanged();
    if (FetchRecord(FBuffers[0], gmCurrent) != grOK) DatabaseError("Record not found", this);
  } else if (FetchRecord(FBuffers[0], gmCurrent) != grOK && FetchRecord(FBuffers[0], gmNext) != grOK &&
             FetchRecord(FBuffers[0], gmPrior) != grOK) {
    ClearBuffers();
    DataEvent(deDataSetChange, 0);
    return;
  }
  int count = Center ? (FBufferCount - 1) / 2 : FActiveRecord;
  ClearBuffers();
  ActivateBuffers();
  int i = 0;
  try {
    while (i < count && GetPriorRecord()) ++i;
  } catch (...) {
  }
  FActiveRecord = i;
  GetNextRecords();
  if (FRecordCount < FBufferCount) GetPriorRecords();
  FBOF = false;
  FEOF = false;
  DataEvent(deDataSetChange, 0);
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  if (BeforeRefresh) BeforeRefresh(this);
  UpdateCursorPos();
  InternalRefresh();
  Resync();
  if (AfterRefresh) AfterRefresh(this);
}

// ---------------------------------------------------------------------------------------------------
// Editing

void TDataSet::CheckOperation(void (TDataSet::*Operation)(), const TDataSetErrorEvent& ErrorEvent) {
  for (;;) {
    try {
      UpdateCursorPos();
      (this->*Operation)();
      return;
    } catch (EDatabaseError& E) {
      TDataAction action = daFail;
      if (ErrorEvent) ErrorEvent(this, E, action);
      if (action == daFail) throw;
      if (action == daAbort) Abort();
    }
  }
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  switch (FState) {
    case dsEdit:
    case dsInsert:
      UpdateRecord();
      if (FModified) Post();
      else Cancel();
      break;
    default: break;
  }
}

void TDataSet::UpdateRecord() {
  if (!IsEditMode(FState)) DatabaseError("Dataset not in edit or insert mode", this);
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::Edit() {
  if (FState == dsEdit || FState == dsInsert) return;
  if (FRecordCount == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  if (!CanModify()) DatabaseError("Cannot modify a read-only dataset", this);
  if (BeforeEdit) BeforeEdit(this);
  CheckOperation(&TDataSet::InternalEdit, OnEditError);
  ActiveBuffer().EditRecord = true;
  GetCalcFields(ActiveBuffer());
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  if (AfterEdit) AfterEdit(this);
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  if (!CanModify()) DatabaseError("Cannot modify a read-only dataset", this);
  if (BeforeInsert) BeforeInsert(this);
  DoBeforeScroll();
}

void TDataSet::EndInsertAppend() {
  SetState(dsInsert);
  try {
    if (OnNewRecord) OnNewRecord(this);
  } catch (...) {
    UpdateCursorPos();
    InternalCancel();
    SetState(dsBrowse);
    Resync();
    throw;
  }
  FModified = false;
  DataEvent(deDataSetChange, 0);
  if (AfterInsert) AfterInsert(this);
  DoAfterScroll();
}

void TDataSet::Insert() {
  BeginInsertAppend();
  int64_t beforePos = FRecordCount > 0 ? ActiveBuffer().Pos : -1;
  int64_t beforeHandle = FRecordCount > 0 ? ActiveBuffer().Handle : -1;
  MoveBuffer(FRecordCount, FActiveRecord);
  TRecBuf& buf = ActiveBuffer();
  buf.Calc.assign(FCalcFieldsCount, Variant::Null());
  InternalInitRecord(buf);
  buf.EditRecord = true;
  buf.Handle = beforeHandle;
  buf.Pos = beforePos;
  buf.Flag = FRecordCount == 0 ? bfBOF : bfCurrent;
  if (FRecordCount < FBufferCount) ++FRecordCount;
  FBOF = false;
  FEOF = false;
  CursorPosChanged();
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::Append() {
  BeginInsertAppend();
  ClearBuffers();
  TRecBuf& buf = FBuffers[0];
  buf.Calc.assign(FCalcFieldsCount, Variant::Null());
  InternalInitRecord(buf);
  buf.EditRecord = true;
  buf.Handle = -1;
  buf.Pos = -1;
  buf.Flag = bfEOF;
  FRecordCount = 1;
  FActiveRecord = 0;
  FBOF = false;
  FEOF = true;
  InternalLast();
  CursorPosChanged();
  if (FBufferCount > 1) {
    // Show the records before the new one.
    FCurrentRecord = 0;
    InternalLast();
    while (FRecordCount < FBufferCount) {
      if (FetchRecord(FBuffers[FRecordCount], gmPrior) != grOK) break;
      MoveBuffer(FRecordCount, 0);
      ++FRecordCount;
      ++FActiveRecord;
    }
    CursorPosChanged();
  }
  InternalInsert();
  EndInsertAppend();
}

void TDataSet::CheckRequiredFields() {
  for (TField* f : FFields.FList)
    if (f->Required() && !f->ReadOnly() && f->FieldKind() == fkData && f->IsNull() &&
        f->DataType() != ftAutoInc) {
      f->FocusControl();
      DatabaseErrorFmt("Field '%s' must have a value", {f->DisplayName()}, this);
    }
}

void TDataSet::DoPost() {
  CheckRequiredFields();
  InternalPost();
}

void TDataSet::Post() {
  UpdateRecord();
  if (FState != dsEdit && FState != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  if (BeforePost) BeforePost(this);
  CheckOperation(&TDataSet::DoPost, OnPostError);
  SetState(dsBrowse);
  Resync();
  if (AfterPost) AfterPost(this);
}

void TDataSet::Cancel() {
  if (FState != dsEdit && FState != dsInsert) return;
  DataEvent(deCheckBrowseMode, 0);
  if (BeforeCancel) BeforeCancel(this);
  UpdateCursorPos();
  InternalCancel();
  SetState(dsBrowse);
  Resync();
  if (AfterCancel) AfterCancel(this);
}

void TDataSet::Delete() {
  CheckActive();
  if (FState == dsInsert || FState == dsSetKey) {
    Cancel();
    return;
  }
  if (FRecordCount == 0) DatabaseError("Cannot perform this operation on an empty dataset", this);
  DataEvent(deCheckBrowseMode, 0);
  if (BeforeDelete) BeforeDelete(this);
  DoBeforeScroll();
  CheckOperation(&TDataSet::InternalDelete, OnDeleteError);
  SetState(dsBrowse);
  Resync();
  if (AfterDelete) AfterDelete(this);
  DoAfterScroll();
}

// ---------------------------------------------------------------------------------------------------
// Field values

const TRecBuf* TDataSet::CurrentBuffer() const {
  if (FTempBuffer) return FTempBuffer;
  if (FState == dsInactive || FRecordCount == 0) return nullptr;
  return &FBuffers[FActiveRecord];
}

bool TDataSet::GetFieldData(const TField* Field, void* Buffer) const {
  const TRecBuf* b = CurrentBuffer();
  if (!b) return false;
  if (Field->FCalcIndex >= 0) {
    if (Field->FCalcIndex >= static_cast<int>(b->Calc.size())) return false;
    const Variant& v = b->Calc[Field->FCalcIndex];
    if (v.IsNull() || v.IsEmpty()) return false;
    TNativeValue h;
    if (!VariantToNative(Field, v, h)) return false;
    TField::TNative n = Field->Native();
    switch (n) {
      case TField::nvInt32: *static_cast<int32_t*>(Buffer) = h.I32; break;
      case TField::nvInt64: *static_cast<int64_t*>(Buffer) = h.I64; break;
      case TField::nvBool: *static_cast<bool*>(Buffer) = h.B; break;
      case TField::nvDouble: *static_cast<double*>(Buffer) = h.D; break;
      case TField::nvCurrency: *static_cast<Currency*>(Buffer) = h.C; break;
      case TField::nvString: *static_cast<std::string*>(Buffer) = std::move(h.S); break;
      case TField::nvVariant: *static_cast<Variant*>(Buffer) = std::move(h.V); break;
      default: return false;
    }
    return true;
  }
  return GetRecordData(Field, *b, Buffer);
}

void TDataSet::SetFieldData(TField* Field, const void* Buffer) {
  if (!IsWriteMode(FState)) DatabaseError("Dataset not in edit or insert mode", this);
  TRecBuf* b = const_cast<TRecBuf*>(CurrentBuffer());
  if (!b) DatabaseError("Dataset not in edit or insert mode", this);
  bool calc = Field->FCalcIndex >= 0;
  if (calc) {
    if (FState != dsCalcFields && FState != dsInternalCalc)
      DatabaseErrorFmt("Field '%s' cannot be modified", {Field->DisplayName()}, this);
    if (static_cast<int>(b->Calc.size()) < FCalcFieldsCount) b->Calc.resize(FCalcFieldsCount);
    b->Calc[Field->FCalcIndex] = Buffer ? NativeToVariant(Field, Buffer) : Variant::Null();
  } else {
    if (FState == dsCalcFields || FState == dsFilter)
      DatabaseErrorFmt("Field '%s' cannot be modified", {Field->DisplayName()}, this);
    if (Field->ReadOnly() && FState != dsSetKey)
      DatabaseErrorFmt("Field '%s' cannot be modified", {Field->DisplayName()}, this);
    if (Field->OnValidate) {
      Variant old = Field->AsVariant();
      SetRecordData(Field, *b, Buffer);
      try {
        Field->OnValidate(Field);
      } catch (...) {
        TNativeValue h;
        SetRecordData(Field, *b, VariantToNative(Field, old, h) ? h.Ptr(Field->Native()) : nullptr);
        throw;
      }
    } else {
      SetRecordData(Field, *b, Buffer);
    }
  }
  if (FState == dsCalcFields || FState == dsFilter || FState == dsInternalCalc) return;
  DataEvent(deFieldChange, reinterpret_cast<intptr_t>(Field));
  if (Field->OnChange) Field->OnChange(Field);
}

void TDataSet::UpdateCalcFields() {
  if (FCalcFieldsCount == 0 || FInCalc) return;
  if ((FState == dsEdit || FState == dsInsert) && FAutoCalcFields && FRecordCount > 0)
    GetCalcFields(ActiveBuffer());
}

void TDataSet::GetCalcFields(TRecBuf& Buf) {
  if (FCalcFieldsCount == 0) return;
  if (static_cast<int>(Buf.Calc.size()) != FCalcFieldsCount) Buf.Calc.assign(FCalcFieldsCount, Variant::Null());
  CalculateFields(Buf);
}

void TDataSet::CalculateFields(TRecBuf& Buf) {
  if (FInCalc) return;
  FInCalc = true;
  TDataSetState saved = FState;
  const TRecBuf* savedTemp = FTempBuffer;
  FTempBuffer = &Buf;
  FState = dsCalcFields;
  try {
    for (TField* f : FFields.FList) {
      if (f->FCalcIndex < 0) continue;
      if (f->FieldKind() == fkCalculated) {
        Buf.Calc[f->FCalcIndex] = Variant::Null();
      } else if (f->FieldKind() == fkLookup) {
        Variant result = Variant::Null();
        TDataSet* lds = f->LookupDataSet();
        if (lds && lds->Active() && !f->KeyFields().empty()) {
          Variant key = FieldValues(f->KeyFields());
          bool hasNull = key.IsNull();
          if (key.IsArray())
            for (int i = 0; i <= key.ArrayHighBound(); ++i) hasNull = hasNull || key[i].IsNull();
          if (!hasNull) {
            if (f->FLookupCache) {
              // The key's type and text for each element: distinct keys never share an entry.
              std::string k;
              auto add = [&k](const Variant& v) { k += std::to_string(v.VarType()) + ":" + VarToStr(v) + ";"; };
              if (key.IsArray())
                for (int i = 0; i <= key.ArrayHighBound(); ++i) add(key[i]);
              else
                add(key);
              auto it = f->FLookupList.find(k);
              if (it == f->FLookupList.end())
                it = f->FLookupList.emplace(k, lds->Lookup(f->LookupKeyFields(), key, f->LookupResultField())).first;
              result = it->second;
            } else {
              result = lds->Lookup(f->LookupKeyFields(), key, f->LookupResultField());
            }
          }
        }
        Buf.Calc[f->FCalcIndex] = result;
      }
    }
    if (OnCalcFields) OnCalcFields(this);
  } catch (...) {
    FState = saved;
    FTempBuffer = savedTemp;
    FInCalc = false;
    throw;
  }
  FState = saved;
  FTempBuffer = savedTemp;
  FInCalc = false;
}

void TDataSet::BeginRecordRead(int64_t Handle) {
  if (FReading) DatabaseError("Nested record read", this);
  FReadBuffer.Handle = Handle;
  FReadBuffer.Pos = -1;
  FReadBuffer.EditRecord = false;
  FReadBuffer.Flag = bfCurrent;
  FReadSavedState = FState;
  FReadSavedTemp = FTempBuffer;
  FReading = true;
  try {
    if (FCalcFieldsCount > 0) {
      FState = dsFilter;
      FTempBuffer = &FReadBuffer;
      GetCalcFields(FReadBuffer);
    }
  } catch (...) {
    EndRecordRead();
    throw;
  }
  FState = dsFilter;
  FTempBuffer = &FReadBuffer;
}

void TDataSet::EndRecordRead() {
  if (!FReading) return;
  FState = FReadSavedState;
  FTempBuffer = FReadSavedTemp;
  FReading = false;
}

// ---------------------------------------------------------------------------------------------------
// Bookmarks

TBookmark TDataSet::Bookmark() const {
  if (FState == dsInactive || FRecordCount == 0) return {};
  const TRecBuf& b = ActiveBuffer();
  if (b.EditRecord && FState == dsInsert) return {};
  return GetBookmarkOf(b);
}

void TDataSet::GotoBookmark(const TBookmark& Value) {
  if (Value.empty()) return;
  CheckBrowseMode();
  DoBeforeScroll();
  if (!InternalGotoBookmark(Value)) DatabaseError("Record not found", this);
  Resync(true, true);
  DoAfterScroll();
}

bool TDataSet::BookmarkValid(const TBookmark&) const { return false; }

int TDataSet::CompareBookmarks(const TBookmark& A, const TBookmark& B) const {
  if (A.empty() || B.empty()) return A.empty() == B.empty() ? 0 : (A.empty() ? -1 : 1);
  return A < B ? -1 : (A == B ? 0 : 1);
}

// ---------------------------------------------------------------------------------------------------
// Locate and Lookup: the general walk (descendants search their storage directly)

bool TDataSet::FieldMatches(const TField* Field, const Variant& Value, TLocateOptions Options) {
  if (Value.IsNull() || Value.IsEmpty()) return Field->IsNull();
  if (Field->IsNull()) return false;
  if (Field->Native() == TField::nvString || Value.IsString()) {
    std::string have = Field->AsString();
    std::string want = VarToStr(Value);
    if (Options.Contains(loPartialKey)) {
      if (have.size() < want.size()) return false;
      have.resize(want.size());
    }
    return Options.Contains(loCaseInsensitive) ? AnsiSameText(have, want) : have == want;
  }
  try {
    return VarCompareValue(Field->AsVariant(), Value) == vrEqual;
  } catch (const EVariantError&) {
    return false;
  }
}

bool TDataSet::Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
  CheckBrowseMode();
  std::vector<TField*> fields;
  GetFieldList(fields, KeyFields);
  auto valueOf = [&](size_t i) -> Variant {
    return fields.size() == 1 && !KeyValues.IsArray() ? KeyValues : KeyValues[static_cast<int>(i)];
  };
  TBookmark saved = Bookmark();
  DisableControls();
  bool found = false;
  try {
    First();
    while (!Eof()) {
      bool all = true;
      for (size_t i = 0; i < fields.size() && all; ++i) all = FieldMatches(fields[i], valueOf(i), Options);
      if (all) {
        found = true;
        break;
      }
      Next();
    }
    if (!found && !saved.empty()) {
      try {
        GotoBookmark(saved);
      } catch (const EDatabaseError&) {
        // The record went away meanwhile: stay where the walk ended.
      }
    }
  } catch (...) {
    EnableControls();
    throw;
  }
  EnableControls();
  return found;
}

Variant TDataSet::Lookup(const std::string& KeyFields, const Variant& KeyValues, const std::string& ResultFields) {
  TBookmark saved = Bookmark();
  Variant result = Variant::Null();
  DisableControls();
  try {
    if (Locate(KeyFields, KeyValues, {})) result = FieldValues(ResultFields);
    if (!saved.empty()) {
      try {
        GotoBookmark(saved);
      } catch (const EDatabaseError&) {
      }
    }
  } catch (...) {
    EnableControls();
    throw;
  }
  EnableControls();
  return result;
}
