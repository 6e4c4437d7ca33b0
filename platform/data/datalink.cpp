// Data sources and data links: how data events travel from a data set to the links, and each link's
// window of record buffers.
#include <algorithm>

#include "platform/data/db.h"

// ---------------------------------------------------------------------------------------------------
// TDataSource

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
  Destroying();
  for (TDataLink* l : std::vector<TDataLink*>(FDataLinks)) l->SetDataSource(nullptr);
  SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* Value) {
  if (Value == FDataSet) return;
  if (Value && Value->IsLinkedTo(this)) DatabaseError("Circular datalinks are not allowed", this);
  if (FDataSet) {
    // The links see the old data set go (inactive) before the new one comes.
    TDataSet* old = FDataSet;
    FDataSet = nullptr;
    old->RemoveDataSource(this);
    RemoveFreeNotification(old);
    UpdateState();
  }
  FDataSet = Value;
  if (FDataSet) {
    FDataSet->AddDataSource(this);
    FreeNotification(FDataSet);
  }
  UpdateState();
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet) SetDataSet(nullptr);
}

void TDataSource::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateState();
}

void TDataSource::Edit() {
  if (FAutoEdit && FDataSet && FState == dsBrowse) FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* DataSet) const {
  return DataSet && DataSet->IsLinkedTo(const_cast<TDataSource*>(this));
}

void TDataSource::UpdateState() {
  SetState(FEnabled && FDataSet ? FDataSet->State() : dsInactive);
}

void TDataSource::SetState(TDataSetState Value) {
  if (Value == FState) return;
  TDataSetState prior = FState;
  FState = Value;
  NotifyDataLinks(deUpdateState, 0);
  if (IsDestroying()) return;
  if (OnStateChange) OnStateChange(this);
  if (prior == dsInactive && OnDataChange) OnDataChange(this, nullptr);
}

void TDataSource::NotifyDataLinks(TDataEvent Event, intptr_t Info) {
  // Visual links first, then the others; a link may leave while being told.
  for (bool visual : {true, false})
    for (TDataLink* l : std::vector<TDataLink*>(FDataLinks))
      if (l->FVisualControl == visual &&
          std::find(FDataLinks.begin(), FDataLinks.end(), l) != FDataLinks.end())
        l->DataEvent(Event, Info);
}

void TDataSource::DataEvent(TDataEvent Event, intptr_t Info) {
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (FState == dsInactive) return;
  NotifyDataLinks(Event, Info);
  switch (Event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (OnDataChange) OnDataChange(this, Event == deFieldChange ? reinterpret_cast<TField*>(Info) : nullptr);
      break;
    case deUpdateRecord:
      if (OnUpdateData) OnUpdateData(this);
      break;
    default: break;
  }
}

void TDataSource::AddDataLink(TDataLink* Link) {
  FDataLinks.push_back(Link);
  Link->FDataSource = this;
  if (FDataSet) FDataSet->UpdateBufferCount();
  Link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* Link) {
  FDataLinks.erase(std::remove(FDataLinks.begin(), FDataLinks.end(), Link), FDataLinks.end());
  Link->FDataSource = nullptr;
  Link->UpdateState();
  if (FDataSet && !IsDestroying()) FDataSet->UpdateBufferCount();
}

// ---------------------------------------------------------------------------------------------------
// TDataLink

TDataLink::~TDataLink() {
  FActive = false;  // no ActiveChanged from a half-destroyed descendant
  FEditing = false;
  if (FDataSource) FDataSource->RemoveDataLink(this);
}

void TDataLink::SetDataSource(TDataSource* Value) {
  if (Value == FDataSource) return;
  if (FDataSourceFixed) DatabaseError("Operation not allowed in a DBCtrlGrid");
  if (FDataSource) FDataSource->RemoveDataLink(this);
  if (Value) Value->AddDataLink(this);
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  UpdateState();
}

void TDataLink::UpdateState() {
  SetActive(FDataSource && FDataSource->State() != dsInactive);
  SetEditing(FDataSource && IsEditMode(FDataSource->State()) && !FReadOnly);
}

void TDataLink::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  if (Value) UpdateRange();
  else FFirstRecord = 0;
  ActiveChanged();
}

void TDataLink::SetEditing(bool Value) {
  if (Value == FEditing) return;
  FEditing = Value;
  EditingChanged();
}

void TDataLink::UpdateRange() {
  TDataSet* ds = DataSet();
  int min = ds->FActiveRecord - FBufferCount + 1;
  if (min < 0) min = 0;
  int max = ds->FBufferCount - FBufferCount;
  if (max < 0) max = 0;
  if (max > ds->FActiveRecord) max = ds->FActiveRecord;
  if (FFirstRecord < min) FFirstRecord = min;
  if (FFirstRecord > max) FFirstRecord = max;
  if (FFirstRecord != 0 && ds->FActiveRecord < FFirstRecord) FFirstRecord = ds->FActiveRecord;
}

void TDataLink::DataEvent(TDataEvent Event, intptr_t Info) {
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!FActive) return;
  switch (Event) {
    case deFieldChange:
    case deRecordChange:
      if (!FUpdating) RecordChanged(reinterpret_cast<TField*>(Info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
      int count = 0;
      if (FDataSource->State() != dsSetKey) {
        int active = DataSet()->FActiveRecord;
        int first = FFirstRecord + static_cast<int>(Info);
        if (active > first + FBufferCount - 1) count = active - first - FBufferCount + 1;
        else if (active < first) count = active - first;
        FFirstRecord = first + count;
      }
      if (Event == deDataSetChange) DataSetChanged();
      else if (Event == deDataSetScroll) DataSetScrolled(count);
      else LayoutChanged();
      break;
    }
    case deUpdateRecord: UpdateRecord(); break;
    case deCheckBrowseMode: CheckBrowseMode(); break;
    case deFocusControl: FocusControl(*reinterpret_cast<TField**>(Info)); break;
    default: break;
  }
}

int TDataLink::ActiveRecord() const {
  if (!FDataSource || FDataSource->State() == dsSetKey || !DataSet()) return 0;
  return DataSet()->FActiveRecord - FFirstRecord;
}

void TDataLink::SetActiveRecord(int Value) {
  if (!FDataSource || FDataSource->State() == dsSetKey || !DataSet()) return;
  TDataSet* ds = DataSet();
  int target = Value + FFirstRecord;
  if (target < 0 || target >= ds->FRecordCount) return;
  // Only the buffer index moves: the cursor is synchronised on the next operation that needs it.
  ds->FActiveRecord = target;
}

void TDataLink::SetBufferCount(int Value) {
  if (Value < 1) Value = 1;
  if (Value == FBufferCount) return;
  FBufferCount = Value;
  if (FActive) UpdateRange();
  if (TDataSet* ds = DataSet()) ds->UpdateBufferCount();
  if (FActive) UpdateRange();
}

int TDataLink::RecordCount() const {
  if (!FDataSource || !DataSet()) return 0;
  if (FDataSource->State() == dsSetKey) return 1;
  int n = DataSet()->FRecordCount - FFirstRecord;
  if (n > FBufferCount) n = FBufferCount;
  return n < 0 ? 0 : n;
}

bool TDataLink::Edit() {
  if (!FReadOnly && FDataSource) FDataSource->Edit();
  return FEditing;
}

void TDataLink::UpdateRecord() {
  FUpdating = true;
  try {
    UpdateData();
  } catch (...) {
    FUpdating = false;
    throw;
  }
  FUpdating = false;
}

bool TDataLink::Bof() const { return DataSet() ? DataSet()->Bof() : true; }
bool TDataLink::Eof() const { return DataSet() ? DataSet()->Eof() : true; }
int TDataLink::MoveBy(int Distance) { return DataSet() ? DataSet()->MoveBy(Distance) : 0; }

// ---------------------------------------------------------------------------------------------------
// TFieldDataLink

TField* GetFieldProperty(TDataSet* DataSet, TComponent* Control, const std::string& FieldName) {
  TField* f = DataSet ? DataSet->FindField(FieldName) : nullptr;
  if (!f) DatabaseErrorFmt("Field '%s' not found", {FieldName}, Control ? Control : DataSet);
  return f;
}

void TFieldDataLink::SetFieldName(const std::string& Value) {
  if (Value == FFieldName) return;
  FFieldName = Value;
  UpdateField();
}

void TFieldDataLink::UpdateField() {
  TField* f = nullptr;
  if (Active() && !FFieldName.empty()) {
    f = GetFieldProperty(DataSet(), FControl, FFieldName);
  }
  SetField(f);
}

void TFieldDataLink::SetField(TField* Value) {
  if (Value == FField) return;
  FField = Value;
  EditingChanged();
  RecordChanged(nullptr);
}

bool TFieldDataLink::CanModify() const { return !ReadOnly() && FField && FField->CanModify(); }

void TFieldDataLink::SetEditing(bool Value) {
  if (Value == FEditing) return;
  FEditing = Value;
  FModified = false;
  if (OnEditingChange) OnEditingChange(this);
}

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

void TFieldDataLink::ActiveChanged() {
  UpdateField();
  if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLink::EditingChanged() { SetEditing(TDataLink::Editing() && CanModify()); }

void TFieldDataLink::FocusControl(TField*& Field) {
  if (Field && Field == FField && FControl) Field = nullptr;
}

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* Field) {
  if (Field == nullptr || Field == FField) {
    if (OnDataChange) OnDataChange(this);
    FModified = false;
  }
}

void TFieldDataLink::UpdateData() {
  if (FModified) {
    if (FField && OnUpdateData) OnUpdateData(this);
    FModified = false;
  }
}
