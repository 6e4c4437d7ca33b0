// TCollection and TCollectionItem.
#include <algorithm>

#include "platform/classes/classes.h"

TCollectionItem::TCollectionItem(TCollection* ACollection) { SetCollection(ACollection); }

TCollectionItem::~TCollectionItem() {
  if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  const auto& v = FCollection->FItems;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TCollectionItem::SetIndex(int Value) {
  if (!FCollection) return;
  int cur = Index();
  if (cur >= 0 && cur != Value) {
    FCollection->MoveItem(this, Value);
    Changed(true);
  }
}

void TCollectionItem::SetDisplayName(const std::string&) { Changed(false); }

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

TPersistent* TCollectionItem::GetOwner() { return FCollection; }

std::string TCollectionItem::GetNamePath() {
  if (FCollection) return Format("%s[%d]", FCollection->GetNamePath(), Index());
  return ClassName();
}

// ---------------------------------------------------------------------------------------------------

TCollection::TCollection(TClass AItemClass, TCollectionItemFactory ItemFactory)
    : FItemClass(AItemClass), FItemFactory(std::move(ItemFactory)) {}

TCollection::~TCollection() {
  FUpdateCount = 1;  // no Update calls while the items go
  while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FItems[static_cast<size_t>(Index)];
}

TCollectionItem* TCollection::Add() {
  if (!FItemFactory) throw EInvalidOperation("Collection has no item class");
  TCollectionItem* item = FItemFactory(this);
  if (item->FCollection != this) item->SetCollection(this);  // a factory that made a loose item
  Added(item);
  return item;
}

TCollectionItem* TCollection::AddItemOfClass(TClass AItemClass) {
  if (!AItemClass || AItemClass == FItemClass) return Add();
  const TRegisteredClass* rc = GetClass(AItemClass);
  if (!rc || !rc->ItemFactory || (FItemClass && !ClassInheritsFrom(AItemClass, FItemClass)))
    throw EInvalidOperation(Format("Class %s is not an item class of this collection", AItemClass->Name));
  TCollectionItem* item = rc->ItemFactory(this);
  if (item->FCollection != this) item->SetCollection(this);
  Added(item);
  return item;
}

TCollectionItem* TCollection::Insert(int Index) {
  if (Index < 0 || Index > Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  BeginUpdate();
  TCollectionItem* item;
  try {
    item = Add();
    MoveItem(item, Index);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  return item;
}

void TCollection::Delete(int Index) {
  TCollectionItem* item = Items(Index);
  Notify(item, cnDeleting);
  delete item;  // leaves the collection in its destructor
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  try {
    while (!FItems.empty()) delete FItems.back();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* i : FItems)
    if (i->FID == ID) return i;
  return nullptr;
}

void TCollection::BeginUpdate() { ++FUpdateCount; }
void TCollection::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}
void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCollection*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* i : src->FItems) {
      const TRegisteredClass* rc = i->ClassType() == FItemClass ? nullptr : GetClass(i->ClassType());
      const bool ownClass = rc && rc->ItemFactory && (!FItemClass || ClassInheritsFrom(i->ClassType(), FItemClass));
      (ownClass ? AddItemOfClass(i->ClassType()) : Add())->Assign(i);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::string TCollection::GetNamePath() {
  std::string s = ClassName();
  TPersistent* owner = GetOwner();
  if (!owner) return s;
  std::string path = owner->GetNamePath();
  if (path.empty() || FPropName.empty()) return s;
  return path + "." + FPropName;
}

void TCollection::InsertItem(TCollectionItem* Item) {
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
  SetItemName(Item);
  Notify(Item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) return;
  Notify(Item, cnExtracting);
  FItems.erase(it);
  Item->FCollection = nullptr;
  Changed();
}

void TCollection::MoveItem(TCollectionItem* Item, int NewIndex) {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  if (it == FItems.end()) return;
  FItems.erase(it);
  NewIndex = std::clamp(NewIndex, 0, static_cast<int>(FItems.size()));
  FItems.insert(FItems.begin() + NewIndex, Item);
}
