#include "dataedit/DBSumLst.h"

#include <cmath>
#include <cstdlib>
#include <limits>

// ---------------------------------------------------------------------------------------------------
// Fixed point

// The value times 10000, rounded to the nearest integer, ties to even. The product is taken exactly:
// a double is an integer of 53 bits times a power of two, so the product is that integer times 10000
// (below 2^67) times the same power. Rounding the double product, or the value's 15-digit decimal
// text, would round 0.12345 (0.123450000000000004...) down as if it were a tie.
Currency SumValueOf(double Value) {
  // A record holding more than the fixed-point range can carry counts as the range's end: the sums go
  // on (and show the limit) instead of failing inside the data set's events.
  if (std::isnan(Value) || Value == 0) return Currency();
  if (Value >= 922337203685477.5807) return Currency::FromRaw(std::numeric_limits<int64_t>::max());
  if (Value <= -922337203685477.5808) return Currency::FromRaw(std::numeric_limits<int64_t>::min());
  int Exp = 0;
  const double Frac = std::frexp(std::fabs(Value), &Exp);  // |Value| = Frac * 2^Exp, 0.5 <= Frac < 1
  const __int128 Product = static_cast<__int128>(static_cast<int64_t>(std::ldexp(Frac, 53))) * 10000;
  const int Shift = 53 - Exp;  // |Value| * 10000 = Product / 2^Shift; Shift >= 3 within the range
  __int128 Q = 0;
  if (Shift < 120) {
    Q = Product >> Shift;
    const __int128 Rest = Product - (Q << Shift), Half = static_cast<__int128>(1) << (Shift - 1);
    if (Rest > Half || (Rest == Half && (Q & 1) != 0)) ++Q;
  }  // else below half of one ten-thousandth: 0
  return ClampTotal(Value < 0 ? -Q : Q);
}

Currency DivideSum(Currency Sum, int Count) {
  if (Count == 0) return Currency();
  const int64_t N = Count;
  int64_t Q = Sum.Value / N;
  const int64_t R = Sum.Value % N;
  const uint64_t Twice = 2 * static_cast<uint64_t>(std::llabs(R)), Div = static_cast<uint64_t>(std::llabs(N));
  if (Twice > Div || (Twice == Div && (Q & 1) != 0)) Q += ((Sum.Value < 0) != (N < 0)) ? -1 : 1;
  return Currency::FromRaw(Q);
}

// An exact total as an aggregate: clamped to the fixed-point range.
Currency ClampTotal(__int128 Total) {
  if (Total > std::numeric_limits<int64_t>::max()) return Currency::FromRaw(std::numeric_limits<int64_t>::max());
  if (Total < std::numeric_limits<int64_t>::min()) return Currency::FromRaw(std::numeric_limits<int64_t>::min());
  return Currency::FromRaw(static_cast<int64_t>(Total));
}

// An exact total divided by a count of values, rounded half to even (no values: 0).
Currency AverageOfTotal(__int128 Total, int Count) {
  if (Count <= 0) return Currency();
  const __int128 N = Count, R = Total % N;
  __int128 Q = Total / N;
  const __int128 Twice = 2 * (R < 0 ? -R : R);
  if (Twice > N || (Twice == N && (Q & 1) != 0)) Q += Total < 0 ? -1 : 1;
  return ClampTotal(Q);
}

// ---------------------------------------------------------------------------------------------------
// TSumTotal

namespace {
bool BeyondFixedPoint(double Value) {
  return Value >= 922337203685477.5807 || Value <= -922337203685477.5808;
}
}  // namespace

void TSumTotal::Add(double Value) {
  if (std::isnan(Value)) return;
  const int64_t Step = SumValueOf(Value).Value;
  Fixed += Step;
  if (BeyondFixedPoint(Value)) {
    Excess += static_cast<long double>(Value) - static_cast<long double>(Step) / 10000.0L;
    ++BeyondCount;
  }
}

void TSumTotal::Remove(double Value) {
  if (std::isnan(Value)) return;
  const int64_t Step = SumValueOf(Value).Value;
  Fixed -= Step;
  if (BeyondFixedPoint(Value)) {
    Excess -= static_cast<long double>(Value) - static_cast<long double>(Step) / 10000.0L;
    // The last one gone: whatever rounding the floating sum gathered goes with it.
    if (--BeyondCount <= 0) BeyondCount = 0, Excess = 0;
  }
}

bool TSumTotal::Fits() const {
  return BeyondCount == 0 && Fixed <= std::numeric_limits<int64_t>::max() &&
         Fixed >= std::numeric_limits<int64_t>::min();
}

// ---------------------------------------------------------------------------------------------------
// TDBSum

void TDBSum::DeclarePublished(TPublished<TDBSum>& P) {
  P.String("FieldName", &TDBSum::FieldName, &TDBSum::SetFieldName);
  P.Enum("GroupOperation", &TDBSum::GroupOperation, &TDBSum::SetGroupOperation, {"goSum", "goAvg", "goCount"})
      .Default(goSum);
}

void TDBSum::SetFieldName(const std::string& Value) {
  if (Value == FFieldName) return;
  FFieldName = Value;
  Changed(false);
}

void TDBSum::SetGroupOperation(TGroupOperation Value) {
  if (Value == FGroupOperation) return;
  FGroupOperation = Value;
  Changed(false);
}

// The fixed-point aggregate stays what it always was (clamped to the range); AggregateFits tells
// whether it is the whole truth.
void TDBSum::SetTotal(const TSumTotal& Total) {
  FTotal = Total;
  if (FGroupOperation == goAvg) {
    FSumForAverage = ClampTotal(Total.Fixed);
    FAggregateValue = AverageOfTotal(Total.Fixed, FNotNullCount);
  } else {
    FAggregateValue = ClampTotal(Total.Fixed);
  }
}

// An average of values within the range lies within it too.
bool TDBSum::AggregateFits() const { return FGroupOperation == goAvg ? FTotal.BeyondCount == 0 : FTotal.Fits(); }

long double TDBSum::AggregateFloat() const {
  if (FGroupOperation != goAvg) return FTotal.AsFloat();
  return FNotNullCount > 0 ? FTotal.AsFloat() / FNotNullCount : 0.0L;
}

void TDBSum::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TDBSum*>(Source)) {
    SetGroupOperation(S->FGroupOperation);
    SetFieldName(S->FFieldName);
    FOldValue = S->FOldValue;
    FAggregateValue = S->FAggregateValue;
    FTotal = S->FTotal;
    FOldNumber = S->FOldNumber;
    return;
  }
  TCollectionItem::Assign(Source);
}

// ---------------------------------------------------------------------------------------------------
// TDBSumCollection

// A new item joins the collection from its base constructor, before its own fields exist; the change
// it reports then is held back and reported once the item is complete.
TDBSumCollection::TDBSumCollection(TDBSumListProducer* AOwner)
    : TCollection(TDBSum::StaticClass(),
                  [this](TCollection* C) -> TCollectionItem* {
                    FConstructing = true;
                    TDBSum* Item = nullptr;
                    try {
                      Item = new TDBSum(C);
                    } catch (...) {
                      FConstructing = false;
                      throw;
                    }
                    FConstructing = false;
                    if (UpdateCount() == 0) FOwner->Changed();
                    return Item;
                  }),
      FOwner(AOwner) {}

TPersistent* TDBSumCollection::GetOwner() { return FOwner; }

void TDBSumCollection::Update(TCollectionItem*) {
  if (!FConstructing) FOwner->Changed();
}

TDBSum* TDBSumCollection::FindSum(TGroupOperation Operation, const std::string& FieldName) const {
  for (int I = 0; I < Count(); ++I) {
    TDBSum* S = Items(I);
    if (S->GroupOperation() == Operation && AnsiCompareText(S->FieldName(), FieldName) == 0) return S;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Free notifications: a producer is no component, so a small one listens for it.

class TDBSumListProducer::TWatcher : public TComponent {
 public:
  explicit TWatcher(TDBSumListProducer* AProducer) : TComponent(nullptr), FProducer(AProducer) {}

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove) FProducer->ForgetDataSet(AComponent);
  }

 private:
  TDBSumListProducer* FProducer;
};

// ---------------------------------------------------------------------------------------------------
// TDBSumListProducer

TDBSumListProducer::TDBSumListProducer(TComponent* AOwner)
    : FOwner(AOwner), FSumItems(std::make_unique<TDBSumCollection>(this)), FWatcher(std::make_unique<TWatcher>(this)) {}

TDBSumListProducer::~TDBSumListProducer() {
  SwitchOff(false);
  FWatcher.reset();
  FRecordBookmarks.clear();
}

void TDBSumListProducer::Assign(TPersistent* Source) {
  if (auto* S = dynamic_cast<TDBSumListProducer*>(Source)) {
    SetActive(S->FActive);
    SetDataSet(S->FDataSet);
    SetExternalRecalc(S->FExternalRecalc);
    FSumItems->Assign(S->FSumItems.get());
    SumListChanged = S->SumListChanged;
    SetVirtualRecords(S->FVirtualRecords);
    OnAfterRecalcAll = S->OnAfterRecalcAll;
    OnRecalcAll = S->OnRecalcAll;
    return;
  }
  TPersistent::Assign(Source);
}

bool TDBSumListProducer::Suspended() const {
  return FOwner && (FOwner->IsLoading() || (FOwner->IsDesigning() && !FWorkWhileDesigning));
}

void TDBSumListProducer::SetDataSet(TDataSet* Value) {
  if (Value == FDataSet) {
    if (Value && Value->IsDestroying()) ForgetDataSet(Value);
    return;
  }
  auto Store = [&] {
    if (FDataSet && FDataSet != FMasterDataSet) FWatcher->RemoveFreeNotification(FDataSet);
    FDataSet = Value;
    if (FDataSet) FWatcher->FreeNotification(FDataSet);
  };
  if (Suspended()) {
    Store();
    return;
  }
  const bool WasActive = FActive;
  SwitchOff(true);
  Store();
  if (WasActive) SwitchOn(true);
}

void TDBSumListProducer::SetActive(bool Value) {
  if (Value == FActive) return;
  if (Value) SwitchOn(true);
  else SwitchOff(true);
}

void TDBSumListProducer::SwitchOn(bool Recompute) {
  FActive = true;
  if (Suspended()) return;
  HookDataSetEvents();
  if (Recompute) RecomputeAll();
}

void TDBSumListProducer::SwitchOff(bool Clear) {
  FActive = false;
  if (Suspended()) return;
  UnhookDataSetEvents();
  if (Clear) ResetSums();
}

void TDBSumListProducer::OwnerLoaded() {
  if (FDataSet && FActive) SwitchOn(true);
}

void TDBSumListProducer::SetExternalRecalc(bool Value) {
  if (Value == FExternalRecalc) return;
  FExternalRecalc = Value;
  RecomputeAll();
}

void TDBSumListProducer::SetVirtualRecords(bool Value) {
  if (Value == FVirtualRecords) return;
  FVirtualRecords = Value;
  if (FActive) RecomputeAll();
}

void TDBSumListProducer::Changed() {
  if (FOwner && (FOwner->IsLoading() || FOwner->IsDestroying())) return;
  RecomputeAll();
}

void TDBSumListProducer::ResetSums() {
  for (int I = 0; I < FSumItems->Count(); ++I) {
    TDBSum* S = FSumItems->Items(I);
    S->FAggregateValue = S->FOldValue = S->FSumForAverage = Currency();
    S->FNotNullCount = 0;
    S->FTotal = TSumTotal();
    S->FOldNumber = 0;
  }
  FDeletePending = false;
  DoSumListChanged();
}

// ---------------------------------------------------------------------------------------------------
// Virtual record numbers

bool TDBSumListProducer::BookmarksInUse() const {
  return FDataSet && !FDataSet->IsSequenced() && FVirtualRecords && FActive;
}

int TDBSumListProducer::GetVirtualRecNo() {
  if (BookmarksInUse()) return 1 + std::max(LocateVirtualRecord(FDataSet->Bookmark()), -1);
  return FDataSet ? FDataSet->RecNo() : -1;
}

void TDBSumListProducer::SetVirtualRecNo(int Value) {
  if (BookmarksInUse()) {
    if (Value < 1 || Value > static_cast<int>(FRecordBookmarks.size())) return;
    FDataSet->GotoBookmark(FRecordBookmarks[static_cast<size_t>(Value - 1)]);
  } else if (FDataSet) {
    FDataSet->SetRecNo(Value);
  }
}

int TDBSumListProducer::GetVirtualRecordCount() {
  if (BookmarksInUse()) return static_cast<int>(FRecordBookmarks.size());
  return FDataSet ? FDataSet->RecordCount() : 0;
}

bool TDBSumListProducer::RecordsSequenced() {
  if (!FDataSet) return false;
  if (FDataSet->IsSequenced()) return true;
  return FVirtualRecords && FActive && (!FRecordBookmarks.empty() || (FDataSet->Bof() && FDataSet->Eof()));
}

int TDBSumListProducer::LocateVirtualRecord(const TBookmark& Bookmark) {
  const int Count = static_cast<int>(FRecordBookmarks.size());
  if (Count == 0 || !FDataSet) return -1;
  int I = (FLastFoundIndex < 0 || FLastFoundIndex >= Count) ? 0 : FLastFoundIndex;
  int C = FDataSet->CompareBookmarks(FRecordBookmarks[static_cast<size_t>(I)], Bookmark);
  if (C > 0) {
    while (C > 0) {
      if (--I < 0) break;
      C = FDataSet->CompareBookmarks(FRecordBookmarks[static_cast<size_t>(I)], Bookmark);
    }
  } else if (C < 0) {
    while (C < 0) {
      if (++I >= Count) break;
      C = FDataSet->CompareBookmarks(FRecordBookmarks[static_cast<size_t>(I)], Bookmark);
    }
  }
  if (I < 0 || I >= Count || C != 0) {
    FLastFoundIndex = std::clamp(I, 0, Count - 1);
    return -1;
  }
  FLastFoundIndex = I;
  return I;
}

// Keeps the list in bookmark order: the new record goes where it belongs, not at the end.
void TDBSumListProducer::PlaceBookmark(const TBookmark& Bookmark) {
  const int Count = static_cast<int>(FRecordBookmarks.size());
  int I = (FLastFoundIndex < 0 || FLastFoundIndex >= Count) ? 0 : FLastFoundIndex;
  const int C = Count == 0 ? 0 : FDataSet->CompareBookmarks(FRecordBookmarks[static_cast<size_t>(I)], Bookmark);
  if (C < 0) {
    while (I < Count && FDataSet->CompareBookmarks(FRecordBookmarks[static_cast<size_t>(I)], Bookmark) < 0) ++I;
  } else if (C > 0) {
    while (I >= 0 && FDataSet->CompareBookmarks(FRecordBookmarks[static_cast<size_t>(I)], Bookmark) > 0) --I;
    ++I;
  }
  FRecordBookmarks.insert(FRecordBookmarks.begin() + I, Bookmark);
  FLastFoundIndex = I;
}

// ---------------------------------------------------------------------------------------------------
// Hooking

void TDBSumListProducer::HookDataSetEvents() {
  if (!FDataSet || FHooked) return;
  FMasterDataSet = nullptr;
  FMasterSourceInfo = GetPropInfo(FDataSet, "MasterSource");
  if (FMasterSourceInfo && (FMasterSourceInfo->Kind == pkComponent || FMasterSourceInfo->Kind == pkClass) &&
      FMasterSourceInfo->GetObj) {
    try {
      if (auto* Source = dynamic_cast<TDataSource*>(FMasterSourceInfo->GetObj(FDataSet)))
        FMasterDataSet = Source->DataSet();
    } catch (const Exception&) {
      FMasterDataSet = nullptr;
    }
  }
  if (FMasterDataSet == FDataSet) FMasterDataSet = nullptr;
  TDataSet* D = FDataSet;
  FSavedAfterEdit = D->AfterEdit;
  FSavedAfterInsert = D->AfterInsert;
  FSavedAfterOpen = D->AfterOpen;
  FSavedAfterPost = D->AfterPost;
  FSavedAfterScroll = D->AfterScroll;
  FSavedBeforeDelete = D->BeforeDelete;
  FSavedAfterDelete = D->AfterDelete;
  FSavedAfterClose = D->AfterClose;
  FSavedAfterCancel = D->AfterCancel;
  D->AfterEdit = [this](TDataSet* S) { HookAfterEdit(S); };
  D->AfterInsert = [this](TDataSet* S) { HookAfterInsert(S); };
  D->AfterOpen = [this](TDataSet* S) { HookAfterOpen(S); };
  D->AfterPost = [this](TDataSet* S) { HookAfterPost(S); };
  D->AfterScroll = [this](TDataSet* S) { HookAfterScroll(S); };
  D->BeforeDelete = [this](TDataSet* S) { HookBeforeDelete(S); };
  D->AfterDelete = [this](TDataSet* S) { HookAfterDelete(S); };
  D->AfterClose = [this](TDataSet* S) { HookAfterClose(S); };
  D->AfterCancel = [this](TDataSet* S) { HookAfterCancel(S); };
  if (FMasterDataSet) {
    FSavedMasterAfterScroll = FMasterDataSet->AfterScroll;
    FMasterDataSet->AfterScroll = [this](TDataSet* S) { HookMasterAfterScroll(S); };
    FWatcher->FreeNotification(FMasterDataSet);
  }
  FHooked = true;
}

void TDBSumListProducer::UnhookDataSetEvents() {
  if (!FHooked) return;
  if (TDataSet* D = FDataSet) {
    D->AfterEdit = FSavedAfterEdit;
    D->AfterInsert = FSavedAfterInsert;
    D->AfterOpen = FSavedAfterOpen;
    D->AfterPost = FSavedAfterPost;
    D->AfterScroll = FSavedAfterScroll;
    D->BeforeDelete = FSavedBeforeDelete;
    D->AfterDelete = FSavedAfterDelete;
    D->AfterClose = FSavedAfterClose;
    D->AfterCancel = FSavedAfterCancel;
  }
  FSavedAfterEdit = FSavedAfterInsert = FSavedAfterOpen = FSavedAfterPost = FSavedAfterScroll = nullptr;
  FSavedBeforeDelete = FSavedAfterDelete = FSavedAfterClose = FSavedAfterCancel = nullptr;
  if (FMasterDataSet) {
    FMasterDataSet->AfterScroll = FSavedMasterAfterScroll;
    if (FMasterDataSet != FDataSet) FWatcher->RemoveFreeNotification(FMasterDataSet);
  }
  FSavedMasterAfterScroll = nullptr;
  FMasterDataSet = nullptr;
  FMasterSourceInfo = nullptr;
  FHooked = false;
  FInsertPending = FDeletePending = false;
  FRecordBookmarks.clear();
}

// The data set or its master is being freed: nothing may be written into it any more. The handlers
// saved from it die with it; the other one gets its own handlers back.
void TDBSumListProducer::ForgetDataSet(TComponent* Gone) {
  if (Gone == FMasterDataSet && Gone != FDataSet) {
    FMasterDataSet = nullptr;
    FSavedMasterAfterScroll = nullptr;
    return;
  }
  if (Gone != FDataSet || !FDataSet) return;
  FDataSet = nullptr;  // so that unhooking restores only the master
  UnhookDataSetEvents();
  ResetSums();
}

// ---------------------------------------------------------------------------------------------------
// Recomputation

TField* TDBSumListProducer::ItemField(const TDBSum* Item) const {
  if (Item->FFieldName.empty()) return nullptr;
  return FDataSet->FieldByName(Item->FFieldName);
}

void TDBSumListProducer::RecomputeAll() {
  if (Suspended() || !FActive) return;
  if (!FDataSet || !FDataSet->Active() || !FHooked) return;
  ResetSums();
  FLastFoundIndex = -1;
  if (OnRecalcAll) OnRecalcAll(this);
  auto Finish = [this] {
    FFiltered = FDataSet->Filtered();
    FFilter = FDataSet->Filter();
    FRecomputing = false;
    DoSumListChanged();
  };
  if (FExternalRecalc) {
    Finish();
    return;
  }
  try {
    bool Needed = !FDataSet->IsSequenced() && FVirtualRecords;
    for (int I = 0; I < FSumItems->Count() && !Needed; ++I) {
      const TDBSum* S = FSumItems->Items(I);
      Needed = S->GroupOperation() == goCount || !S->FieldName().empty();
    }
    if (Needed) {
      struct TControlsGuard {  // the controls come back even when the walk raises
        TDataSet* D;
        explicit TControlsGuard(TDataSet* A) : D(A) { D->DisableControls(); }
        ~TControlsGuard() { D->EnableControls(); }
      } Guard(FDataSet);
      FRecordBookmarks.clear();
      FRecomputing = true;
      FDataSet->First();
      struct TWork {
        TDBSum* Item;
        TField* Field;
        TSumTotal Sum;
        int NotNull = 0;
      };
      std::vector<TWork> Work;
      for (int I = 0; I < FSumItems->Count(); ++I) {
        TDBSum* S = FSumItems->Items(I);
        if (S->FFieldName.empty() && S->FGroupOperation != goCount) continue;
        Work.push_back({S, ItemField(S), TSumTotal(), 0});
      }
      const bool KeepBookmarks = !FDataSet->IsSequenced() && FVirtualRecords;
      while (!FDataSet->Eof()) {
        for (TWork& W : Work) {
          switch (W.Item->FGroupOperation) {
            case goSum:
              if (!W.Field->IsNull()) W.Sum.Add(W.Field->AsFloat());
              break;
            case goAvg:
              if (!W.Field->IsNull()) {
                ++W.NotNull;
                W.Sum.Add(W.Field->AsFloat());
              }
              break;
            case goCount:
              if (!W.Field || !W.Field->IsNull()) W.Sum.Add(1);
              break;
          }
        }
        if (KeepBookmarks) FRecordBookmarks.push_back(FDataSet->Bookmark());
        FDataSet->Next();
      }
      FDataSet->First();
      for (TWork& W : Work) {
        if (W.Item->FGroupOperation == goAvg) W.Item->FNotNullCount = W.NotNull;
        W.Item->SetTotal(W.Sum);
      }
    }
    if (OnAfterRecalcAll) OnAfterRecalcAll(this);
  } catch (...) {
    Finish();
    throw;
  }
  Finish();
}

// ---------------------------------------------------------------------------------------------------
// Hooks

void TDBSumListProducer::HookAfterEdit(TDataSet* DataSet) {
  if (FActive) {
    for (int I = 0; I < FSumItems->Count(); ++I) {
      TDBSum* S = FSumItems->Items(I);
      if (S->FFieldName.empty() && S->FGroupOperation != goCount) continue;
      TField* F = ItemField(S);
      if (S->FGroupOperation == goCount) {
        S->FOldNumber = (!F || !F->IsNull()) ? 1 : 0;
        S->FOldValue = Currency::FromInt(static_cast<int>(S->FOldNumber));
      } else {
        S->FOldNumber = F->IsNull() ? 0 : F->AsFloat();
        S->FOldValue = SumValueOf(S->FOldNumber);
        S->FOldVarValue = F->AsVariant();
      }
    }
  }
  if (FSavedAfterEdit) FSavedAfterEdit(DataSet);
}

void TDBSumListProducer::HookAfterInsert(TDataSet* DataSet) {
  if (FActive) {
    // A new record contributes nothing before it is posted, whatever its default values are.
    for (int I = 0; I < FSumItems->Count(); ++I) {
      TDBSum* S = FSumItems->Items(I);
      S->FOldValue = Currency();
      S->FOldNumber = 0;
      S->FOldVarValue = Null;
    }
    // Its bookmark joins the list in order once the post gave it one, and never after a cancel.
    if (BookmarksInUse()) FInsertPending = true;
  }
  if (FSavedAfterInsert) FSavedAfterInsert(DataSet);
}

void TDBSumListProducer::HookAfterPost(TDataSet* DataSet) {
  // Under a filter the posted record may have left the view, and the record current now is another
  // one (or none): its values say nothing of the post. The totals are taken again from the view.
  if (FActive && (DataSet->ControlFilter() || (DataSet->Filtered() && !DataSet->Filter().empty()) ||
                  (DataSet->Filtered() && DataSet->OnFilterRecord()))) {
    FInsertPending = false;
    RecomputeAll();
    if (FSavedAfterPost) FSavedAfterPost(DataSet);
    return;
  }
  if (FActive) {
    for (int I = 0; I < FSumItems->Count(); ++I) {
      TDBSum* S = FSumItems->Items(I);
      if (S->FFieldName.empty() && S->FGroupOperation != goCount) continue;
      TField* F = ItemField(S);
      const bool IsNull = F && F->IsNull();
      const double New = S->FGroupOperation == goCount ? (IsNull ? 0 : 1) : (IsNull ? 0 : F->AsFloat());
      if (S->FGroupOperation == goAvg) {
        const bool WasNull = VarIsNull(S->FOldVarValue) || VarIsEmpty(S->FOldVarValue);
        if (IsNull && !WasNull) --S->FNotNullCount;
        if (!IsNull && WasNull) ++S->FNotNullCount;
      }
      TSumTotal Total = S->FTotal;
      Total.Add(New);
      Total.Remove(S->FOldNumber);
      S->SetTotal(Total);
      // The post is accounted for: a second post without a new edit adds nothing twice.
      S->FOldNumber = New;
      S->FOldValue = SumValueOf(New);
      if (S->FGroupOperation != goCount) S->FOldVarValue = IsNull ? Null : F->AsVariant();
    }
    if (FInsertPending && BookmarksInUse()) PlaceBookmark(DataSet->Bookmark());
    FInsertPending = false;
    DoSumListChanged();
  }
  if (FSavedAfterPost) FSavedAfterPost(DataSet);
}

void TDBSumListProducer::HookBeforeDelete(TDataSet* DataSet) {
  if (FSavedBeforeDelete) FSavedBeforeDelete(DataSet);
  if (!FActive) return;
  // Only remembered here; the aggregates change once the delete has happened (AfterDelete). A record
  // being edited contributes what it held before the edit.
  const bool Editing = DataSet->State() == dsEdit;
  for (int I = 0; I < FSumItems->Count(); ++I) {
    TDBSum* S = FSumItems->Items(I);
    if (S->FFieldName.empty() && S->FGroupOperation != goCount) continue;
    TField* F = ItemField(S);
    if (Editing) {
      S->FDeleteValue = S->FOldValue;
      S->FDeleteNumber = S->FOldNumber;
      S->FDeleteNotNull = S->FGroupOperation == goCount ? S->FOldNumber != 0
                                                         : !(VarIsNull(S->FOldVarValue) || VarIsEmpty(S->FOldVarValue));
    } else {
      S->FDeleteNotNull = !F || !F->IsNull();
      S->FDeleteNumber = S->FGroupOperation == goCount ? (S->FDeleteNotNull ? 1 : 0)
                                                        : (S->FDeleteNotNull ? F->AsFloat() : 0);
      S->FDeleteValue = SumValueOf(S->FDeleteNumber);
    }
  }
  // Located now: once deleted, the record no longer has its place in the data set's order.
  FDeleteIndex = BookmarksInUse() ? LocateVirtualRecord(DataSet->Bookmark()) : -1;
  FDeletePending = true;
}

void TDBSumListProducer::HookAfterDelete(TDataSet* DataSet) {
  if (FActive && FDeletePending) {
    FDeletePending = false;
    for (int I = 0; I < FSumItems->Count(); ++I) {
      TDBSum* S = FSumItems->Items(I);
      if (S->FFieldName.empty() && S->FGroupOperation != goCount) continue;
      if (S->FGroupOperation == goAvg && S->FDeleteNotNull) --S->FNotNullCount;
      TSumTotal Total = S->FTotal;
      Total.Remove(S->FDeleteNumber);
      S->SetTotal(Total);
    }
    if (BookmarksInUse() && FDeleteIndex >= 0 && FDeleteIndex < static_cast<int>(FRecordBookmarks.size()))
      FRecordBookmarks.erase(FRecordBookmarks.begin() + FDeleteIndex);
    DoSumListChanged();
  }
  if (FSavedAfterDelete) FSavedAfterDelete(DataSet);
}

void TDBSumListProducer::HookAfterOpen(TDataSet* DataSet) {
  if (FActive) RecomputeAll();
  if (FSavedAfterOpen) FSavedAfterOpen(DataSet);
}

void TDBSumListProducer::HookAfterClose(TDataSet* DataSet) {
  if (FActive) {
    ResetSums();
    DoSumListChanged();
    FRecomputing = false;
  }
  FRecordBookmarks.clear();
  if (FSavedAfterClose) FSavedAfterClose(DataSet);
}

void TDBSumListProducer::HookAfterCancel(TDataSet* DataSet) {
  if (FSavedAfterCancel) FSavedAfterCancel(DataSet);
  FInsertPending = false;
}

void TDBSumListProducer::HookAfterScroll(TDataSet* DataSet) {
  if (FSavedAfterScroll) FSavedAfterScroll(DataSet);
  if (!FActive || FRecomputing || !FDataSet) return;
  if (FDataSet->Filtered() != FFiltered || (FDataSet->Filtered() && FDataSet->Filter() != FFilter)) RecomputeAll();
}

void TDBSumListProducer::HookMasterAfterScroll(TDataSet* DataSet) {
  if (FSavedMasterAfterScroll) FSavedMasterAfterScroll(DataSet);
  if (!FActive || FRecomputing) return;
  RecomputeAll();
}
