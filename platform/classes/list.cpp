// TList and TObjectList.
#include <algorithm>

#include "platform/classes/classes.h"

void TList::Error(const char* Msg, int Data) { throw EListError(Format(Msg, Data)); }

TList::~TList() {
  // Descendants' Notify is already gone here; they clear in their own destructor.
  FList.clear();
}

void TList::SetCount(int NewCount) {
  if (NewCount < 0) Error("List count out of bounds (%d)", NewCount);
  if (NewCount > FCapacity) SetCapacity(NewCount);
  if (NewCount > Count()) {
    FList.resize(static_cast<size_t>(NewCount), nullptr);
  } else {
    for (int i = Count() - 1; i >= NewCount; --i) Delete(i);
  }
}

void TList::SetCapacity(int NewCapacity) {
  if (NewCapacity < Count() || NewCapacity > 0x7FFFFFF) Error("List capacity out of bounds (%d)", NewCapacity);
  FCapacity = NewCapacity;
  FList.reserve(static_cast<size_t>(NewCapacity));
}

void* TList::Items(int Index) const {
  if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
  return FList[static_cast<size_t>(Index)];
}

void TList::SetItems(int Index, void* Item) {
  if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
  void* old = FList[static_cast<size_t>(Index)];
  if (old == Item) return;
  FList[static_cast<size_t>(Index)] = Item;
  if (old) Notify(old, lnDeleted);
  if (Item) Notify(Item, lnAdded);
}

int TList::Add(void* Item) {
  int i = Count();
  if (i == FCapacity) FCapacity = FCapacity > 64 ? FCapacity + FCapacity / 4 : (FCapacity > 8 ? FCapacity + 16 : FCapacity + 4);
  FList.push_back(Item);
  if (Item) Notify(Item, lnAdded);
  return i;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count()) Error("List index out of bounds (%d)", Index);
  if (Count() == FCapacity) FCapacity = FCapacity > 64 ? FCapacity + FCapacity / 4 : (FCapacity > 8 ? FCapacity + 16 : FCapacity + 4);
  FList.insert(FList.begin() + Index, Item);
  if (Item) Notify(Item, lnAdded);
}

void TList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) Error("List index out of bounds (%d)", Index);
  void* item = FList[static_cast<size_t>(Index)];
  FList.erase(FList.begin() + Index);
  if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* Item) {
  int i = IndexOf(Item);
  if (i >= 0) Delete(i);
  return i;
}

void* TList::Extract(void* Item) {
  int i = IndexOf(Item);
  if (i < 0) return nullptr;
  FList.erase(FList.begin() + i);
  Notify(Item, lnExtracted);
  return Item;
}

int TList::IndexOf(void* Item) const {
  auto it = std::find(FList.begin(), FList.end(), Item);
  return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void TList::Exchange(int Index1, int Index2) {
  if (Index1 < 0 || Index1 >= Count()) Error("List index out of bounds (%d)", Index1);
  if (Index2 < 0 || Index2 >= Count()) Error("List index out of bounds (%d)", Index2);
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  if (NewIndex < 0 || NewIndex >= Count()) Error("List index out of bounds (%d)", NewIndex);
  void* item = Items(CurIndex);
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, item);
}

void TList::Pack() { FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end()); }

void TList::Sort(const TListSortCompare& Compare) {
  std::stable_sort(FList.begin(), FList.end(), [&](void* a, void* b) { return Compare(a, b) < 0; });
}

void* TList::First() const { return Items(0); }
void* TList::Last() const { return Items(Count() - 1); }

void TList::Clear() {
  while (!FList.empty()) Delete(Count() - 1);
  FCapacity = 0;
  FList.shrink_to_fit();
}

void TList::Assign(const TList& Source) {
  if (&Source == this) return;
  Clear();
  SetCapacity(Source.Count());
  for (void* p : Source.FList) Add(p);
}

// ---------------------------------------------------------------------------------------------------

TObjectList::~TObjectList() { Clear(); }

void TObjectList::Notify(void* Ptr, TListNotification Action) {
  if (FOwnsObjects && Action == lnDeleted) delete static_cast<TObject*>(Ptr);
}
