// TMemDataSet: the cursor over the view, the edit record, posting into column storage, bookmarks, sorting,
// filtering, master/detail ranges and the direct searches of Locate and Lookup.
#include "platform/data/memdataset.h"

#include <algorithm>
#include <cstring>

#include "platform/data/memstorage.h"
#include "platform/data/native.h"

namespace {

uint32_t NextSerial() {
  static uint32_t serial = 0x5EED0000u;
  return ++serial;
}

bool ReadColumn(const TMemStorage& S, const TMemColumn& C, uint32_t Row, TField::TNative N, void* Dest) {
  if (C.Kind == ckBlob) {
    if (S.IsNull(C, Row)) return false;
    *static_cast<std::string*>(Dest) = C.Blobs[Row];
    return true;
  }
  if (C.Kind == ckVariant) {
    if (S.IsNull(C, Row)) return false;
    *static_cast<Variant*>(Dest) = C.Vars[Row];
    return true;
  }
  if (S.IsNull(C, Row)) return false;
  const uint8_t* p = S.Slot(C, Row);
  switch (C.Kind) {
    case ckBool: *static_cast<bool*>(Dest) = *p != 0; break;
    case ckInt32: std::memcpy(Dest, p, 4); break;
    case ckDays: {
      int32_t d;
      std::memcpy(&d, p, 4);
      *static_cast<double*>(Dest) = d;
      break;
    }
    case ckInt64:
      if (N == TField::nvCurrency) {
        int64_t v;
        std::memcpy(&v, p, 8);
        *static_cast<Currency*>(Dest) = Currency::FromRaw(v);
      } else {
        std::memcpy(Dest, p, 8);
      }
      break;
    case ckDouble: std::memcpy(Dest, p, 8); break;
    case ckString: {
      std::string_view v = S.GetString(C, Row);
      static_cast<std::string*>(Dest)->assign(v.data(), v.size());
      break;
    }
    default: return false;
  }
  return true;
}

void WriteColumn(TMemStorage& S, TMemColumn& C, uint32_t Row, TField::TNative N, const void* Src) {
  if (!Src) {
    if (C.Kind == ckBlob) std::string().swap(C.Blobs[Row]);
    else if (C.Kind == ckVariant) C.Vars[Row] = Variant();
    S.SetNull(C, Row, true);
    return;
  }
  switch (C.Kind) {
    case ckBlob: C.Blobs[Row] = *static_cast<const std::string*>(Src); break;
    case ckVariant: C.Vars[Row] = *static_cast<const Variant*>(Src); break;
    case ckBool: *S.Slot(C, Row) = *static_cast<const bool*>(Src) ? 1 : 0; break;
    case ckInt32: std::memcpy(S.Slot(C, Row), Src, 4); break;
    case ckDays: {
      int32_t d = static_cast<int32_t>(std::trunc(*static_cast<const double*>(Src)));
      std::memcpy(S.Slot(C, Row), &d, 4);
      break;
    }
    case ckInt64:
      if (N == TField::nvCurrency) std::memcpy(S.Slot(C, Row), &static_cast<const Currency*>(Src)->Value, 8);
      else std::memcpy(S.Slot(C, Row), Src, 8);
      break;
    case ckDouble: std::memcpy(S.Slot(C, Row), Src, 8); break;
    case ckString: S.SetString(C, Row, *static_cast<const std::string*>(Src)); return;
  }
  S.SetNull(C, Row, false);
}

void CopyNative(TField::TNative N, const void* Src, TNativeValue& Dest) {
  switch (N) {
    case TField::nvInt32: Dest.I32 = *static_cast<const int32_t*>(Src); break;
    case TField::nvInt64: Dest.I64 = *static_cast<const int64_t*>(Src); break;
    case TField::nvBool: Dest.B = *static_cast<const bool*>(Src); break;
    case TField::nvDouble: Dest.D = *static_cast<const double*>(Src); break;
    case TField::nvCurrency: Dest.C = *static_cast<const Currency*>(Src); break;
    case TField::nvString: Dest.S.assign(*static_cast<const std::string*>(Src)); break;
    case TField::nvVariant: Dest.V = *static_cast<const Variant*>(Src); break;
    default: break;
  }
}

void CopyOut(TField::TNative N, const TNativeValue& Src, void* Dest) {
  switch (N) {
    case TField::nvInt32: *static_cast<int32_t*>(Dest) = Src.I32; break;
    case TField::nvInt64: *static_cast<int64_t*>(Dest) = Src.I64; break;
    case TField::nvBool: *static_cast<bool*>(Dest) = Src.B; break;
    case TField::nvDouble: *static_cast<double*>(Dest) = Src.D; break;
    case TField::nvCurrency: *static_cast<Currency*>(Dest) = Src.C; break;
    case TField::nvString: static_cast<std::string*>(Dest)->assign(Src.S); break;
    case TField::nvVariant: *static_cast<Variant*>(Dest) = Src.V; break;
    default: break;
  }
}

bool IsAscii(std::string_view S) {
  for (unsigned char c : S)
    if (c >= 0x80) return false;
  return true;
}

inline unsigned char AsciiLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// -1, 0 or 1 as the stored value at A is less than, equal to or greater than the one at B (slots may be
// unaligned, so both are copied out).
template <typename V>
int CompareStored(const uint8_t* A, const uint8_t* B) {
  V x, y;
  std::memcpy(&x, A, sizeof x);
  std::memcpy(&y, B, sizeof y);
  return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace

// Follows the master's record and tells the detail to change its range.
class TMemMasterLink : public TDataLink {
 public:
  explicit TMemMasterLink(TMemDataSet* ADetail) : FDetail(ADetail) {}

 protected:
  void ActiveChanged() override { FDetail->MasterChanged(); }
  void DataSetChanged() override { FDetail->MasterChanged(); }
  void DataSetScrolled(int) override { FDetail->MasterChanged(); }
  void RecordChanged(TField*) override { FDetail->MasterChanged(); }

 private:
  TMemDataSet* FDetail;
};

// The record being edited or inserted: one native value per data field.
struct TMemDataSet::TEditValuesHolder {
  std::vector<TNativeValue> Values;
  std::vector<char> Null;
  std::vector<char> Changed;
};

// ---------------------------------------------------------------------------------------------------

TMemDataSet::TMemDataSet(TComponent* AOwner) : TDataSet(AOwner) {
  FMasterLink = std::make_unique<TMemMasterLink>(this);
  FEdit = std::make_unique<TEditValuesHolder>();
}

TMemDataSet::~TMemDataSet() {
  Destroying();
  if (Active()) Close();
  FMasterLink.reset();
}

TField* TMemDataSet::AddField(const std::string& Name, TFieldType Type, int Size, bool Required) {
  CheckInactive();
  TField* f = CreateFieldOfType(Type, this);
  try {
    f->SetFieldName(Name);
    if (Size > 0) f->SetSize(Size);
    f->SetRequired(Required);
    f->SetDataSet(this);
  } catch (...) {
    delete f;
    throw;
  }
  return f;
}

TField* TMemDataSet::AddCalcField(const std::string& Name, TFieldType Type, int Size) {
  TField* f = AddField(Name, Type, Size);
  f->SetFieldKind(fkCalculated);
  return f;
}

TField* TMemDataSet::AddLookupField(const std::string& Name, TFieldType Type, const std::string& KeyFields,
                                    TDataSet* LookupDataSet, const std::string& LookupKeyFields,
                                    const std::string& LookupResultField, int Size) {
  TField* f = AddField(Name, Type, Size);
  f->SetFieldKind(fkLookup);
  f->SetKeyFields(KeyFields);
  f->SetLookupDataSet(LookupDataSet);
  f->SetLookupKeyFields(LookupKeyFields);
  f->SetLookupResultField(LookupResultField);
  return f;
}

void TMemDataSet::CreateDataSet() {
  CheckInactive();
  FStorage.reset();
  Open();
}

std::string TMemDataSet::LayoutSignature() const {
  std::string s;
  for (TField* f : Fields())
    if (f->FieldKind() == fkData) s += f->FieldName() + ":" + std::to_string(f->DataType()) + ";";
  return s;
}

void TMemDataSet::CheckStorageField(const TField* Field) const {
  switch (Field->DataType()) {
    case ftUnknown: case ftCursor: case ftADT: case ftArray: case ftReference: case ftDataSet:
    case ftInterface: case ftIDispatch:
      DatabaseErrorFmt("Field '%s' of type %s cannot be kept in memory",
                       {Field->DisplayName(), FieldTypeName(Field->DataType())}, const_cast<TMemDataSet*>(this));
    default: break;
  }
}

void TMemDataSet::InternalOpen() {
  std::vector<TField*> data;
  for (TField* f : Fields())
    if (f->FieldKind() == fkData) {
      CheckStorageField(f);
      data.push_back(f);
    }
  std::string sig = LayoutSignature();
  if (!FStorage || sig != FStorageLayout) {
    FStorage = std::make_unique<TMemStorage>(NextSerial());
    for (TField* f : data) FStorage->AddColumn(f->DataType());
    FStorageLayout = sig;
    FView.clear();
    FNatural.clear();
    FViewIsNatural = true;
    FPositionsValid = false;
  }
  FEdit->Values.assign(data.size(), TNativeValue());
  FEdit->Null.assign(data.size(), 1);
  FEdit->Changed.assign(data.size(), 0);
  BuildSortKeys();
  FRangeActive = false;
  FRangeColumns.clear();
  FRangeValues.clear();
  if (FMasterLink->Active() && !FMasterFields.empty()) {
    std::vector<TField*> mf, df;
    FMasterLink->DataSet()->GetFieldList(mf, FMasterFields);
    GetFieldList(df, FDetailFields.empty() ? FMasterFields : FDetailFields);
    if (mf.size() != df.size()) DatabaseError("Master and detail field lists differ in length", this);
    for (size_t i = 0; i < df.size(); ++i) {
      if (df[i]->FieldKind() != fkData) DatabaseErrorFmt("Field '%s' cannot link to a master", {df[i]->FieldName()}, this);
      FRangeColumns.push_back(df[i]->FieldNo() - 1);
      FRangeValues.push_back(mf[i]->AsVariant());
    }
    FRangeActive = true;
  }
  BuildView();
  FCursor = -1;
}

void TMemDataSet::InternalClose() { FCursor = -1; }

void TMemDataSet::EmptyDataSet() {
  CheckActive();
  if (IsEditMode(State())) Cancel();
  auto fresh = std::make_unique<TMemStorage>(NextSerial());
  for (const TMemColumn& c : FStorage->Columns) {
    fresh->Columns.emplace_back();
    fresh->Columns.back().Kind = c.Kind;
    fresh->Columns.back().Width = c.Width;
    fresh->Columns.back().AutoInc = c.AutoInc;
  }
  FStorage = std::move(fresh);
  FView.clear();
  FNatural.clear();
  FViewIsNatural = true;
  FPositionsValid = false;
  FCursor = -1;
  First();
}

size_t TMemDataSet::MemoryUsed() const {
  size_t n = FStorage ? FStorage->MemoryUsed() : 0;
  return n + (FView.capacity() + FNatural.capacity() + FPosOfRow.capacity()) * 4;
}

// ---------------------------------------------------------------------------------------------------
// The view

bool TMemDataSet::RowInRange(uint32_t Row) const {
  if (!FRangeActive) return true;
  for (size_t i = 0; i < FRangeColumns.size(); ++i) {
    const TMemColumn& c = FStorage->Columns[FRangeColumns[i]];
    const Variant& want = FRangeValues[i];
    if (want.IsNull() || want.IsEmpty()) return false;
    TField* f = Fields().FieldByNumber(FRangeColumns[i] + 1);
    TNativeValue h;
    if (!ReadColumn(*FStorage, c, Row, f->Native(), h.Ptr(f->Native()))) return false;
    try {
      if (VarCompareValue(NativeToVariant(f, h.Ptr(f->Native())), want) != vrEqual) return false;
    } catch (const EVariantError&) {
      return false;
    }
  }
  return true;
}

bool TMemDataSet::RowAccepted(uint32_t Row) { return RecordFilterAccepts(Row); }

void TMemDataSet::BuildView() {
  FPositionsValid = false;
  bool natural = FSortKeys.empty() && !FRangeActive && !HasFilter();
  if (natural) {
    if (!FViewIsNatural) {
      FView.clear();
      for (uint32_t r : FNatural)
        if (!FStorage->IsDeleted(r)) FView.push_back(r);
      std::vector<uint32_t>().swap(FNatural);
      FViewIsNatural = true;
    }
    return;
  }
  if (FViewIsNatural) {
    FNatural = FView;
    FViewIsNatural = false;
  }
  FView.clear();
  for (uint32_t r : FNatural)
    if (!FStorage->IsDeleted(r) && RowInRange(r) && RowAccepted(r)) FView.push_back(r);
  SortView();
}

void TMemDataSet::BuildSortKeys() {
  FSortKeys.clear();
  if (FIndexFieldNames.empty()) return;
  std::vector<TField*> fields, desc, ci;
  GetFieldList(fields, FIndexFieldNames);
  GetFieldList(desc, FDescFields);
  GetFieldList(ci, FCaseInsFields);
  for (TField* f : fields) {
    TSortKey k;
    k.Desc = std::find(desc.begin(), desc.end(), f) != desc.end();
    k.CaseIns = std::find(ci.begin(), ci.end(), f) != ci.end();
    if (f->FieldKind() == fkLookup) {
      // Sorted by the text it shows; its keys must be stored here and its data set must be another.
      GetFieldList(k.LookupKeys, f->KeyFields());
      bool stored = !k.LookupKeys.empty() && f->LookupDataSet() && f->LookupDataSet() != this;
      for (TField* key : k.LookupKeys) stored = stored && key->FieldKind() == fkData;
      if (!stored) DatabaseErrorFmt("Field '%s' cannot be used in an index", {f->FieldName()}, this);
      k.Column = -1;
      k.Lookup = f;
      k.Shown = std::make_shared<std::map<std::string, Variant>>();
    } else if (f->FieldKind() == fkData) {
      // Memos and other blobs compare their bytes.
      k.Column = f->FieldNo() - 1;
    } else {
      DatabaseErrorFmt("Field '%s' cannot be used in an index", {f->FieldName()}, this);
    }
    FSortKeys.push_back(k);
  }
}

const Variant& TMemDataSet::LookupShown(const TSortKey& Key, uint32_t Row) const {
  std::vector<Variant> values;
  std::string id;
  for (TField* f : Key.LookupKeys) {
    TNativeValue h;
    const bool set = ReadColumn(*FStorage, FStorage->Columns[f->FieldNo() - 1], Row, f->Native(), h.Ptr(f->Native()));
    values.push_back(set ? NativeToVariant(f, h.Ptr(f->Native())) : Variant::Null());
    const std::string text = set ? VarToStr(values.back()) : std::string();
    id += (set ? "v" : "n") + std::to_string(text.size()) + ":" + text;
  }
  auto it = Key.Shown->find(id);
  if (it != Key.Shown->end()) return it->second;
  TField* f = Key.Lookup;
  const Variant keys = values.size() == 1 ? values[0] : VarArrayOf(values);
  return Key.Shown->emplace(id, f->LookupDataSet()->Lookup(f->LookupKeyFields(), keys, f->LookupResultField())).first->second;
}

int TMemDataSet::CompareRows(uint32_t A, uint32_t B) const {
  const TMemStorage& s = *FStorage;
  for (const TSortKey& k : FSortKeys) {
    int r = 0;
    if (k.Lookup) {
      const Variant& va = LookupShown(k, A);
      const Variant& vb = LookupShown(k, B);
      const bool la = va.IsNull() || va.IsEmpty(), lb = vb.IsNull() || vb.IsEmpty();
      if (la || lb) {
        r = la == lb ? 0 : (la ? -1 : 1);
      } else {
        const std::string x = VarToStr(va), y = VarToStr(vb);
        r = k.CaseIns ? AnsiCompareText(x, y) : x.compare(y);
        r = r < 0 ? -1 : (r > 0 ? 1 : 0);
      }
      if (r != 0) return k.Desc ? -r : r;
      continue;
    }
    const TMemColumn& c = s.Columns[k.Column];
    bool na = s.IsNull(c, A), nb = s.IsNull(c, B);
    if (na || nb) {
      r = na == nb ? 0 : (na ? -1 : 1);
    } else {
      const uint8_t* pa = c.Width ? s.Slot(c, A) : nullptr;
      const uint8_t* pb = c.Width ? s.Slot(c, B) : nullptr;
      switch (c.Kind) {
        case ckBool: r = int(*pa) - int(*pb); break;
        case ckInt32: case ckDays: r = CompareStored<int32_t>(pa, pb); break;
        case ckInt64: r = CompareStored<int64_t>(pa, pb); break;
        case ckDouble: r = CompareStored<double>(pa, pb); break;
        case ckString: {
          std::string_view x = s.GetString(c, A), y = s.GetString(c, B);
          if (k.CaseIns) r = AnsiCompareText(std::string(x), std::string(y));
          else r = x.compare(y);
          r = r < 0 ? -1 : (r > 0 ? 1 : 0);
          break;
        }
        case ckBlob: {
          const std::string& x = c.Blobs[A];
          const std::string& y = c.Blobs[B];
          r = k.CaseIns ? AnsiCompareText(x, y) : x.compare(y);
          r = r < 0 ? -1 : (r > 0 ? 1 : 0);
          break;
        }
        default: break;
      }
    }
    if (r != 0) return k.Desc ? -r : r;
  }
  return 0;
}

void TMemDataSet::SortView() {
  if (FSortKeys.empty()) return;
  const TSortKey& first = FSortKeys[0];
  if (first.Column >= 0 && FStorage->Columns[first.Column].Kind == ckString && !first.CaseIns) {
    const TMemColumn& c = FStorage->Columns[first.Column];
    // Sort by the first eight bytes of the text first (as one big-endian number); only equal
    // prefixes compare the rest.
    struct TItem {
      uint64_t Key;
      uint32_t Row;
    };
    std::vector<TItem> items(FView.size());
    for (size_t i = 0; i < FView.size(); ++i) {
      uint32_t r = FView[i];
      uint64_t key = 0;
      if (!FStorage->IsNull(c, r)) {
        std::string_view v = FStorage->GetString(c, r);
        unsigned char b[8] = {0};
        std::memcpy(b, v.data(), std::min<size_t>(8, v.size()));
        for (int j = 0; j < 8; ++j) key = (key << 8) | b[j];
        // Null sorts before the empty text: lift every non-null key by one unless it would overflow.
        key = key == UINT64_MAX ? key : key + 1;
      }
      items[i] = {key, r};
    }
    bool desc = first.Desc;
    std::sort(items.begin(), items.end(), [&](const TItem& a, const TItem& b) {
      if (a.Key != b.Key) return desc ? a.Key > b.Key : a.Key < b.Key;
      int r = CompareRows(a.Row, b.Row);
      return r != 0 ? r < 0 : a.Row < b.Row;
    });
    for (size_t i = 0; i < items.size(); ++i) FView[i] = items[i].Row;
    return;
  }
  std::sort(FView.begin(), FView.end(), [&](uint32_t a, uint32_t b) {
    int r = CompareRows(a, b);
    return r != 0 ? r < 0 : a < b;
  });
}

void TMemDataSet::EnsurePositions() const {
  if (FPositionsValid) return;
  FPosOfRow.assign(FStorage ? FStorage->RowCount : 0, -1);
  for (size_t i = 0; i < FView.size(); ++i) FPosOfRow[FView[i]] = static_cast<int32_t>(i);
  FPositionsValid = true;
}

int TMemDataSet::PositionOfRow(uint32_t Row) const {
  if (!FStorage || Row >= FStorage->RowCount) return -1;
  EnsurePositions();
  return FPosOfRow[Row];
}

void TMemDataSet::ReorderKeepingCurrent() {
  if (!Active()) return;
  CheckBrowseMode();
  int64_t row = BufferRecordCount() > 0 ? ActiveBuffer().Handle : -1;
  BuildView();
  int p = row >= 0 ? PositionOfRow(static_cast<uint32_t>(row)) : -1;
  if (p < 0) {
    First();
    return;
  }
  FCursor = p;
  Resync(true, true);
}

void TMemDataSet::SetIndexFieldNames(const std::string& Value) {
  if (Value == FIndexFieldNames) return;
  // The edited record is posted before anything changes: a post refused leaves the order as it was.
  if (Active()) CheckBrowseMode();
  std::string old = FIndexFieldNames;
  FIndexFieldNames = Value;
  if (!Active()) return;
  try {
    BuildSortKeys();
  } catch (...) {
    FIndexFieldNames = old;
    BuildSortKeys();
    throw;
  }
  ReorderKeepingCurrent();
}

void TMemDataSet::SetDescFields(const std::string& Value) {
  if (Value == FDescFields) return;
  if (Active()) CheckBrowseMode();
  FDescFields = Value;
  if (Active()) {
    BuildSortKeys();
    ReorderKeepingCurrent();
  }
}

void TMemDataSet::SetCaseInsFields(const std::string& Value) {
  if (Value == FCaseInsFields) return;
  if (Active()) CheckBrowseMode();
  FCaseInsFields = Value;
  if (Active()) {
    BuildSortKeys();
    ReorderKeepingCurrent();
  }
}

void TMemDataSet::FilterChanged() {
  BuildView();
  FCursor = -1;
  First();
}

void TMemDataSet::InternalRefresh() {
  int64_t row = BufferRecordCount() > 0 ? ActiveBuffer().Handle : -1;
  FPositionsValid = false;
  if (!FViewIsNatural || FRangeActive || HasFilter() || !FSortKeys.empty()) {
    // Filters may depend on things outside the data set: evaluate them again.
    if (FViewIsNatural) BuildView();
    else {
      FView.clear();
      for (uint32_t r : FNatural)
        if (!FStorage->IsDeleted(r) && RowInRange(r) && RowAccepted(r)) FView.push_back(r);
      SortView();
    }
  }
  int p = row >= 0 ? PositionOfRow(static_cast<uint32_t>(row)) : -1;
  FCursor = p >= 0 ? p : std::min<int>(std::max(FCursor, 0), static_cast<int>(FView.size()));
}

// ---------------------------------------------------------------------------------------------------
// Master and detail

void TMemDataSet::SetMasterSource(TDataSource* Value) {
  if (Value == FMasterSource) return;
  if (Value && IsLinkedTo(Value)) DatabaseError("Circular datalinks are not allowed", this);
  if (Value && Value->DataSet() == this) DatabaseError("Circular datalinks are not allowed", this);
  if (FMasterSource) RemoveFreeNotification(FMasterSource);
  FMasterSource = Value;
  if (Value) FreeNotification(Value);
  FMasterLink->SetDataSource(Value);
  MasterChanged();
}

void TMemDataSet::SetMasterFields(const std::string& Value) {
  if (Value == FMasterFields) return;
  FMasterFields = Value;
  FRangeValues.clear();
  MasterChanged();
}

void TMemDataSet::SetDetailFields(const std::string& Value) {
  if (Value == FDetailFields) return;
  FDetailFields = Value;
  FRangeValues.clear();
  MasterChanged();
}

void TMemDataSet::Notification(TComponent* AComponent, TOperation Operation) {
  TDataSet::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FMasterSource) {
    FMasterSource = nullptr;
    if (FMasterLink) FMasterLink->SetDataSource(nullptr);
  }
}

void TMemDataSet::MasterChanged() {
  if (!Active() || IsDestroying()) return;
  bool active = FMasterLink->Active() && !FMasterFields.empty();
  std::vector<Variant> values;
  std::vector<int> columns;
  if (active) {
    std::vector<TField*> mf, df;
    FMasterLink->DataSet()->GetFieldList(mf, FMasterFields);
    GetFieldList(df, FDetailFields.empty() ? FMasterFields : FDetailFields);
    if (mf.size() != df.size()) DatabaseError("Master and detail field lists differ in length", this);
    for (size_t i = 0; i < df.size(); ++i) {
      columns.push_back(df[i]->FieldNo() - 1);
      values.push_back(mf[i]->AsVariant());
    }
  }
  if (active == FRangeActive && columns == FRangeColumns && values.size() == FRangeValues.size()) {
    bool same = true;
    for (size_t i = 0; i < values.size() && same; ++i)
      same = values[i].VarType() == FRangeValues[i].VarType() && VarSameValue(values[i], FRangeValues[i]);
    if (same) return;
  }
  if (IsEditMode(State())) CheckBrowseMode();
  FRangeActive = active;
  FRangeColumns = std::move(columns);
  FRangeValues = std::move(values);
  BuildView();
  FCursor = -1;
  First();
}

// ---------------------------------------------------------------------------------------------------
// Cursor

void TMemDataSet::InternalFirst() { FCursor = -1; }
void TMemDataSet::InternalLast() { FCursor = static_cast<int>(FView.size()); }

TGetResult TMemDataSet::GetRecord(TRecBuf& Buf, TGetMode Mode) {
  int n = static_cast<int>(FView.size());
  switch (Mode) {
    case gmNext:
      if (FCursor + 1 >= n) {
        FCursor = n;
        return grEOF;
      }
      ++FCursor;
      break;
    case gmPrior:
      if (FCursor - 1 < 0) {
        FCursor = -1;
        return grBOF;
      }
      --FCursor;
      break;
    case gmCurrent:
      if (FCursor < 0 || FCursor >= n) return grError;
      break;
  }
  Buf.Handle = FView[FCursor];
  Buf.Pos = FCursor;
  return grOK;
}

void TMemDataSet::InternalSetToRecord(const TRecBuf& Buf) {
  int n = static_cast<int>(FView.size());
  if (Buf.EditRecord && State() == dsInsert) {
    FCursor = Buf.Flag == bfEOF ? n : Buf.Flag == bfBOF ? -1 : static_cast<int>(std::min<int64_t>(Buf.Pos, n));
    return;
  }
  if (Buf.Pos >= 0 && Buf.Pos < n && FView[Buf.Pos] == Buf.Handle) {
    FCursor = static_cast<int>(Buf.Pos);
    return;
  }
  int p = Buf.Handle >= 0 ? PositionOfRow(static_cast<uint32_t>(Buf.Handle)) : -1;
  FCursor = p >= 0 ? p : static_cast<int>(std::clamp<int64_t>(Buf.Pos, -1, n));
}

int TMemDataSet::RecNo() const {
  CheckActive();
  if (!FSequenced || State() == dsInsert || BufferRecordCount() == 0) return -1;
  return static_cast<int>(ActiveBuffer().Pos) + 1;
}

void TMemDataSet::SetRecNo(int Value) {
  CheckBrowseMode();
  if (!FSequenced || Value < 1 || Value > static_cast<int>(FView.size()) || Value == RecNo()) return;
  DoBeforeScroll();
  FCursor = Value - 1;
  Resync(true, true);
  DoAfterScroll();
}

int TMemDataSet::RecordCount() const {
  CheckActive();
  return static_cast<int>(FView.size());
}

void TMemDataSet::SetSequenced(bool Value) { FSequenced = Value; }

// ---------------------------------------------------------------------------------------------------
// Field data

bool TMemDataSet::GetRecordData(const TField* Field, const TRecBuf& Buf, void* Buffer) const {
  int col = Field->FieldNo() - 1;
  if (col < 0 || !FStorage || col >= static_cast<int>(FStorage->Columns.size())) return false;
  if (Buf.EditRecord) {
    if (FEdit->Null[col]) return false;
    CopyOut(Field->Native(), FEdit->Values[col], Buffer);
    return true;
  }
  if (Buf.Handle < 0 || Buf.Handle >= FStorage->RowCount) return false;
  return ReadColumn(*FStorage, FStorage->Columns[col], static_cast<uint32_t>(Buf.Handle), Field->Native(), Buffer);
}

void TMemDataSet::SetRecordData(TField* Field, TRecBuf& Buf, const void* Buffer) {
  int col = Field->FieldNo() - 1;
  if (col < 0 || !Buf.EditRecord) DatabaseError("Dataset not in edit or insert mode", this);
  FEdit->Changed[col] = 1;
  if (!Buffer) {
    FEdit->Null[col] = 1;
    return;
  }
  CopyNative(Field->Native(), Buffer, FEdit->Values[col]);
  FEdit->Null[col] = 0;
}

Variant TMemDataSet::GetOldValue(const TField* Field) const {
  if (Field->FieldKind() != fkData || BufferRecordCount() == 0) return Field->AsVariant();
  if (State() == dsInsert) return Variant::Null();
  const TRecBuf& b = ActiveBuffer();
  if (State() != dsEdit || !b.EditRecord) return Field->AsVariant();
  TNativeValue h;
  void* p = h.Ptr(Field->Native());
  if (!ReadColumn(*FStorage, FStorage->Columns[Field->FieldNo() - 1], static_cast<uint32_t>(b.Handle),
                  Field->Native(), p))
    return Variant::Null();
  return NativeToVariant(Field, p);
}

void TMemDataSet::InternalInitRecord(TRecBuf&) {
  std::fill(FEdit->Null.begin(), FEdit->Null.end(), 1);
  std::fill(FEdit->Changed.begin(), FEdit->Changed.end(), 0);
  for (TField* f : Fields()) {
    if (f->FieldKind() != fkData || f->DefaultExpression().empty()) continue;
    std::string e = Trim(f->DefaultExpression());
    if (!e.empty() && (e[0] == '\'' || e[0] == '"')) e = AnsiDequotedStr(e, e[0]);
    TNativeValue h;
    try {
      if (VariantToNative(f, Variant(e), h)) {
        CopyNative(f->Native(), h.Ptr(f->Native()), FEdit->Values[f->FieldNo() - 1]);
        FEdit->Null[f->FieldNo() - 1] = 0;
      }
    } catch (const Exception&) {
      // A default the field cannot take leaves it empty.
    }
  }
  // A new detail record belongs to the master's current record.
  if (FRangeActive)
    for (size_t i = 0; i < FRangeColumns.size(); ++i) {
      TField* f = Fields().FieldByNumber(FRangeColumns[i] + 1);
      TNativeValue h;
      if (f && VariantToNative(f, FRangeValues[i], h)) {
        CopyNative(f->Native(), h.Ptr(f->Native()), FEdit->Values[FRangeColumns[i]]);
        FEdit->Null[FRangeColumns[i]] = 0;
      }
    }
}

void TMemDataSet::InternalEdit() {
  const TRecBuf& b = ActiveBuffer();
  uint32_t row = static_cast<uint32_t>(b.Handle);
  for (TField* f : Fields()) {
    if (f->FieldKind() != fkData) continue;
    int col = f->FieldNo() - 1;
    FEdit->Null[col] = ReadColumn(*FStorage, FStorage->Columns[col], row, f->Native(),
                                  FEdit->Values[col].Ptr(f->Native()))
                           ? 0
                           : 1;
    FEdit->Changed[col] = 0;
  }
}

void TMemDataSet::InternalCancel() {
  std::fill(FEdit->Changed.begin(), FEdit->Changed.end(), 0);
}

void TMemDataSet::InternalPost() {
  TRecBuf& b = ActiveBuffer();
  TMemStorage& s = *FStorage;
  bool inserting = State() == dsInsert;
  uint32_t row;
  if (inserting) {
    // A record that would need an automatic value beyond the column's range is refused before
    // anything is stored.
    for (TField* f : Fields()) {
      if (f->FieldKind() != fkData) continue;
      const int col = f->FieldNo() - 1;
      if (s.Columns[col].AutoInc && FEdit->Null[col] && s.Columns[col].NextAutoInc > INT32_MAX)
        DatabaseErrorFmt("Field '%s' has no automatic value left after %d", {f->DisplayName(), INT32_MAX},
                         this);
    }
    row = s.AddRow();
  } else {
    row = static_cast<uint32_t>(b.Handle);
  }
  bool keyChanged = inserting;
  for (TField* f : Fields()) {
    if (f->FieldKind() != fkData) continue;
    int col = f->FieldNo() - 1;
    TMemColumn& c = s.Columns[col];
    if (c.AutoInc && inserting && FEdit->Null[col]) {
      FEdit->Values[col].I32 = static_cast<int32_t>(c.NextAutoInc);
      FEdit->Null[col] = 0;
    }
    if (!inserting && !FEdit->Changed[col]) continue;
    if (c.AutoInc && !FEdit->Null[col] && FEdit->Values[col].I32 >= c.NextAutoInc)
      c.NextAutoInc = int64_t{FEdit->Values[col].I32} + 1;
    WriteColumn(s, c, row, f->Native(), FEdit->Null[col] ? nullptr : FEdit->Values[col].Ptr(f->Native()));
    if (!inserting) keyChanged = true;
  }
  std::fill(FEdit->Changed.begin(), FEdit->Changed.end(), 0);
  int n = static_cast<int>(FView.size());
  if (inserting) {
    bool visible;
    try {
      visible = RowInRange(row) && RowAccepted(row);
    } catch (...) {
      // The filter raised: the record is not kept, so a retried Post does not store it twice.
      s.MarkDeleted(row);
      throw;
    }
    if (!FViewIsNatural) FNatural.push_back(row);
    int pos;
    if (!FSortKeys.empty()) {
      pos = static_cast<int>(std::upper_bound(FView.begin(), FView.end(), row,
                                              [&](uint32_t a, uint32_t r) { return CompareRows(a, r) < 0; }) -
                             FView.begin());
    } else if (b.Flag == bfEOF || b.Pos < 0) {
      pos = n;
    } else {
      pos = static_cast<int>(std::min<int64_t>(b.Pos, n));
    }
    if (visible) {
      FView.insert(FView.begin() + pos, row);
      if (pos == n && FPositionsValid) {
        FPosOfRow.resize(s.RowCount, -1);
        FPosOfRow[row] = pos;
      } else {
        FPositionsValid = false;
      }
    }
    FCursor = pos;
    return;
  }
  // An edited record may leave the view or move within it.
  if (!keyChanged) return;
  int cur = static_cast<int>(b.Pos);
  if (cur < 0 || cur >= n || FView[cur] != row) cur = PositionOfRow(row);
  bool visible = RowInRange(row) && RowAccepted(row);
  if (cur < 0) return;
  if (!visible) {
    FView.erase(FView.begin() + cur);
    FPositionsValid = false;
    FCursor = cur;
    return;
  }
  if (FSortKeys.empty()) return;
  bool inOrder = (cur == 0 || CompareRows(FView[cur - 1], row) <= 0) &&
                 (cur + 1 >= n || CompareRows(row, FView[cur + 1]) <= 0);
  if (inOrder) return;
  FView.erase(FView.begin() + cur);
  int pos = static_cast<int>(std::upper_bound(FView.begin(), FView.end(), row,
                                              [&](uint32_t a, uint32_t r) { return CompareRows(a, r) < 0; }) -
                             FView.begin());
  FView.insert(FView.begin() + pos, row);
  FPositionsValid = false;
  FCursor = pos;
}

void TMemDataSet::InternalDelete() {
  int n = static_cast<int>(FView.size());
  if (FCursor < 0 || FCursor >= n) DatabaseError("Record not found", this);
  uint32_t row = FView[FCursor];
  FStorage->MarkDeleted(row);
  FView.erase(FView.begin() + FCursor);
  FPositionsValid = false;
}

// ---------------------------------------------------------------------------------------------------
// Bookmarks

TBookmark TMemDataSet::GetBookmarkOf(const TRecBuf& Buf) const {
  if (Buf.Handle < 0 || !FStorage) return {};
  uint32_t v[2] = {FStorage->Serial, static_cast<uint32_t>(Buf.Handle)};
  return TBookmark(reinterpret_cast<const char*>(v), sizeof v);
}

bool TMemDataSet::DecodeBookmark(const TBookmark& B, uint32_t& Row) const {
  if (B.size() != 8 || !FStorage) return false;
  uint32_t v[2];
  std::memcpy(v, B.data(), 8);
  if (v[0] != FStorage->Serial || v[1] >= FStorage->RowCount) return false;
  Row = v[1];
  return true;
}

bool TMemDataSet::BookmarkValid(const TBookmark& Value) const {
  uint32_t row;
  if (!Active() || !DecodeBookmark(Value, row) || FStorage->IsDeleted(row)) return false;
  return PositionOfRow(row) >= 0;
}

int TMemDataSet::CompareBookmarks(const TBookmark& A, const TBookmark& B) const {
  if (A.empty() || B.empty()) return A.empty() == B.empty() ? 0 : (A.empty() ? -1 : 1);
  uint32_t ra, rb;
  if (!DecodeBookmark(A, ra) || !DecodeBookmark(B, rb))
    DatabaseError("Invalid bookmark", const_cast<TMemDataSet*>(this));
  if (ra == rb) return 0;
  int pa = FStorage->IsDeleted(ra) ? -1 : PositionOfRow(ra);
  int pb = FStorage->IsDeleted(rb) ? -1 : PositionOfRow(rb);
  // Records outside the view (deleted or filtered out) come after all others, by row.
  if (pa < 0 && pb < 0) return ra < rb ? -1 : 1;
  if (pa < 0) return 1;
  if (pb < 0) return -1;
  return pa < pb ? -1 : 1;
}

bool TMemDataSet::InternalGotoBookmark(const TBookmark& Value) {
  uint32_t row;
  if (!DecodeBookmark(Value, row) || FStorage->IsDeleted(row)) return false;
  int p = PositionOfRow(row);
  if (p < 0) return false;
  FCursor = p;
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Searching

int TMemDataSet::FindRow(const std::vector<TField*>& Fields, const Variant& KeyValues, TLocateOptions Options) {
  struct TMatcher {
    enum TKind { mkString, mkNative, mkSlow } Kind = mkSlow;
    const TField* Field = nullptr;
    const TMemColumn* Column = nullptr;
    Variant Value;
    bool WantNull = false;
    std::string Want;  // text keys; lower-cased when matching ignores case and the key is ASCII
    bool AsciiWant = false;
    TNativeValue Native;
  };
  bool ci = Options.Contains(loCaseInsensitive), partial = Options.Contains(loPartialKey);
  std::vector<TMatcher> ms(Fields.size());
  for (size_t i = 0; i < Fields.size(); ++i) {
    TMatcher& m = ms[i];
    m.Field = Fields[i];
    m.Value = Fields.size() == 1 && !KeyValues.IsArray() ? KeyValues : KeyValues[static_cast<int>(i)];
    m.WantNull = m.Value.IsNull() || m.Value.IsEmpty();
    if (m.Field->FieldKind() != fkData) continue;
    m.Column = &FStorage->Columns[m.Field->FieldNo() - 1];
    if (m.WantNull) {
      m.Kind = TMatcher::mkNative;
      continue;
    }
    if (m.Column->Kind == ckString) {
      m.Kind = TMatcher::mkString;
      m.Want = VarToStr(m.Value);
      m.AsciiWant = IsAscii(m.Want);
      if (ci && m.AsciiWant)
        for (char& ch : m.Want) ch = static_cast<char>(AsciiLower(static_cast<unsigned char>(ch)));
    } else if (!m.Value.IsString() && m.Column->Kind != ckBlob && m.Column->Kind != ckVariant) {
      uint16_t vt = m.Value.VarType();
      bool intKey = vt == varInteger || vt == varInt64 || vt == varBoolean;
      bool exact = (m.Column->Kind == ckInt32 || m.Column->Kind == ckBool) ? intKey
                   : m.Column->Kind == ckInt64 ? (intKey || vt == varCurrency)
                                               : m.Value.IsNumeric() || vt == varDate;
      if (exact && VariantToNative(m.Field, m.Value, m.Native)) m.Kind = TMatcher::mkNative;
    }
  }
  const TMemStorage& s = *FStorage;
  TNativeValue tmp;
  for (size_t pos = 0; pos < FView.size(); ++pos) {
    uint32_t row = FView[pos];
    bool all = true;
    for (TMatcher& m : ms) {
      if (m.Kind == TMatcher::mkString) {
        if (s.IsNull(*m.Column, row)) {
          all = false;
          break;
        }
        std::string_view have = s.GetString(*m.Column, row);
        if (partial) {
          if (have.size() < m.Want.size()) {
            all = false;
            break;
          }
          have = have.substr(0, m.Want.size());
        }
        bool eq;
        if (!ci) {
          eq = have == m.Want;
        } else if (m.AsciiWant && IsAscii(have)) {
          eq = have.size() == m.Want.size();
          for (size_t k = 0; eq && k < have.size(); ++k)
            eq = AsciiLower(static_cast<unsigned char>(have[k])) == static_cast<unsigned char>(m.Want[k]);
        } else {
          eq = AnsiSameText(std::string(have), VarToStr(m.Value));
        }
        if (!eq) {
          all = false;
          break;
        }
      } else if (m.Kind == TMatcher::mkNative) {
        TField::TNative n = m.Field->Native();
        bool notNull = ReadColumn(s, *m.Column, row, n, tmp.Ptr(n));
        if (m.WantNull || !notNull) {
          if (m.WantNull != !notNull) {
            all = false;
            break;
          }
          continue;
        }
        bool eq = false;
        switch (n) {
          case TField::nvInt32: eq = tmp.I32 == m.Native.I32; break;
          case TField::nvInt64: eq = tmp.I64 == m.Native.I64; break;
          case TField::nvBool: eq = tmp.B == m.Native.B; break;
          case TField::nvDouble: eq = tmp.D == m.Native.D; break;
          case TField::nvCurrency: eq = tmp.C == m.Native.C; break;
          default: break;
        }
        if (!eq) {
          all = false;
          break;
        }
      } else {
        BeginRecordRead(row);
        bool eq;
        try {
          eq = FieldMatches(m.Field, m.Value, Options);
        } catch (...) {
          EndRecordRead();
          throw;
        }
        EndRecordRead();
        if (!eq) {
          all = false;
          break;
        }
      }
    }
    if (all) return static_cast<int>(pos);
  }
  return -1;
}

bool TMemDataSet::Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
  CheckBrowseMode();
  std::vector<TField*> fields;
  GetFieldList(fields, KeyFields);
  if (fields.size() > 1 && (!KeyValues.IsArray() || KeyValues.ArrayHighBound() + 1 != static_cast<int>(fields.size())))
    DatabaseError("Invalid variant array for the field list " + KeyFields, this);
  int pos = FindRow(fields, KeyValues, Options);
  if (pos < 0) return false;
  DoBeforeScroll();
  FCursor = pos;
  Resync(true, true);
  DoAfterScroll();
  return true;
}

Variant TMemDataSet::Lookup(const std::string& KeyFields, const Variant& KeyValues, const std::string& ResultFields) {
  CheckActive();
  std::vector<TField*> fields;
  GetFieldList(fields, KeyFields);
  if (fields.size() > 1 && (!KeyValues.IsArray() || KeyValues.ArrayHighBound() + 1 != static_cast<int>(fields.size())))
    DatabaseError("Invalid variant array for the field list " + KeyFields, this);
  int pos = FindRow(fields, KeyValues, {});
  if (pos < 0) return Variant::Null();
  BeginRecordRead(FView[pos]);
  Variant result;
  try {
    result = FieldValues(ResultFields);
  } catch (...) {
    EndRecordRead();
    throw;
  }
  EndRecordRead();
  return result;
}
