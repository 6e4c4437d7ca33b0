// TComponent: ownership, names and free notifications.
#include <algorithm>

#include "platform/classes/classes.h"

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Tell every component linked by FreeNotification, and unlink.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    other->DropFreeNotify(this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FComponents[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& v = FOwner->FComponents;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TComponent::SetComponentIndex(int Value) {
  if (!FOwner) return;
  auto& v = FOwner->FComponents;
  int cur = ComponentIndex();
  if (cur < 0) return;
  Value = std::clamp(Value, 0, static_cast<int>(v.size()) - 1);
  v.erase(v.begin() + cur);
  v.insert(v.begin() + Value, this);
  ++FOwner->FComponentsVersion;
}

void TComponent::SetName(const std::string& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError(Format("'%s' is not a valid component name", NewName));
  if (FOwner) FOwner->ValidateRename(this, FName, NewName);
  else ValidateRename(nullptr, FName, NewName);
  if (FOwner) FOwner->UnindexName(this);
  FName = NewName;
  if (FOwner) FOwner->IndexName(this);
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName) {
  if (AComponent && !SameText(CurName, NewName) && !NewName.empty()) {
    TComponent* found = FindComponent(NewName);
    if (found && found != AComponent)
      throw EComponentError(Format("A component named %s already exists", NewName));
  }
}

void TComponent::ValidateContainer(TComponent* AComponent) { AComponent->ValidateInsert(this); }

TComponent* TComponent::FindComponent(const std::string& AName) const {
  if (AName.empty()) return nullptr;
  if (!FNameIndex && FComponents.size() > 32) {
    FNameIndex = std::make_unique<std::unordered_map<std::string, TComponent*>>();
    for (TComponent* c : FComponents)
      if (!c->FName.empty()) FNameIndex->emplace(UpperCase(c->FName), c);
  }
  if (FNameIndex) {
    auto it = FNameIndex->find(UpperCase(AName));
    return it == FNameIndex->end() ? nullptr : it->second;
  }
  for (TComponent* c : FComponents)
    if (SameText(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::IndexName(TComponent* AComponent) {
  if (FNameIndex && !AComponent->FName.empty()) FNameIndex->emplace(UpperCase(AComponent->FName), AComponent);
}
void TComponent::UnindexName(TComponent* AComponent) {
  if (!FNameIndex || AComponent->FName.empty()) return;
  auto it = FNameIndex->find(UpperCase(AComponent->FName));
  if (it != FNameIndex->end() && it->second == AComponent) FNameIndex->erase(it);
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner == this) return;
  AComponent->ValidateContainer(this);
  ValidateRename(AComponent, std::string(), AComponent->FName);
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  NotifyAll(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner != this) return;
  NotifyAll(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  ++FComponentsVersion;
  AComponent->FOwner = this;
  IndexName(AComponent);
}

void TComponent::Remove(TComponent* AComponent) {
  // From the end: components usually go last first.
  auto it = std::find(FComponents.rbegin(), FComponents.rend(), AComponent);
  if (it != FComponents.rend()) FComponents.erase(std::next(it).base());
  ++FComponentsVersion;
  UnindexName(AComponent);
  AComponent->FOwner = nullptr;
}

// The owner and, through the default Notification, everything it owns hear of the change.
void TComponent::NotifyAll(TComponent* AComponent, TOperation Operation) { Notification(AComponent, Operation); }

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // Copy: a handler may free or move components.
  std::vector<TComponent*> owned = FComponents;
  const uint64_t version = FComponentsVersion;
  for (TComponent* c : owned)
    // Skip the search while nothing changed the list (a handler may free or move components).
    if (FComponentsVersion == version || std::find(FComponents.begin(), FComponents.end(), c) != FComponents.end())
      c->Notification(AComponent, Operation);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    Remove(c);
    delete c;
  }
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* c : FComponents) c->Destroying();
}

void TComponent::AddFreeNotify(TComponent* AComponent) {
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
    FFreeNotifies.push_back(AComponent);
}
void TComponent::DropFreeNotify(TComponent* AComponent) {
  auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent);
  if (it != FFreeNotifies.end()) FFreeNotifies.erase(it);
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  // Both sides keep the link, so whichever goes first unlinks the other.
  AddFreeNotify(AComponent);
  AComponent->AddFreeNotify(this);
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  DropFreeNotify(AComponent);
  AComponent->DropFreeNotify(this);
}

void TComponent::SetLoading(bool Value) {
  if (Value) FComponentState += TComponentState{csLoading, csReading};
  else FComponentState -= TComponentState{csLoading, csReading};
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  if (Value) FComponentState.Include(csDesigning);
  else FComponentState.Exclude(csDesigning);
  if (SetChildren)
    for (TComponent* c : FComponents) c->SetDesigning(Value, true);
}

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

std::string TComponent::GetNamePath() { return FName; }
