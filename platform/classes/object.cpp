// TObject class references, the class registry and TPersistent.
#include <map>

#include "platform/classes/classes.h"

bool TObject::ClassInheritsFrom(TClass AClass, TClass Ancestor) {
  for (TClass c = AClass; c; c = c->Parent)
    if (c == Ancestor) return true;
  return false;
}
bool TObject::InheritsFrom(TClass AClass) const { return ClassInheritsFrom(ClassType(), AClass); }
bool TObject::InheritsFrom(const std::string& AClassName) const {
  for (TClass c = ClassType(); c; c = c->Parent)
    if (SameText(c->Name, AClassName)) return true;
  return false;
}
bool TObject::ClassNameIs(const std::string& AName) const { return SameText(ClassType()->Name, AName); }

// ---------------------------------------------------------------------------------------------------

namespace {
struct TNoCase {
  bool operator()(const std::string& a, const std::string& b) const { return CompareText(a, b) < 0; }
};
// Built on first use, so registering from any unit's Initialize is safe.
std::map<std::string, TRegisteredClass, TNoCase>& Registry() {
  static std::map<std::string, TRegisteredClass, TNoCase> r;
  return r;
}
}  // namespace

void RegisterClass(const std::string& Name, TClass AClass, TObjectFactory Factory) {
  Registry().try_emplace(Name, TRegisteredClass{AClass, std::move(Factory)});
}
void RegisterClass(const std::string& Name, TObjectFactory Factory) {
  // The class reference is learnt lazily from the first object made.
  Registry().try_emplace(Name, TRegisteredClass{nullptr, std::move(Factory)});
}
void UnRegisterClass(const std::string& Name) { Registry().erase(Name); }
const TRegisteredClass* GetClass(const std::string& Name) {
  auto it = Registry().find(Name);
  return it == Registry().end() ? nullptr : &it->second;
}
const TRegisteredClass& FindClass(const std::string& Name) {
  const TRegisteredClass* c = GetClass(Name);
  if (!c) throw EClassNotFound(Format("Class %s not found", Name));
  return *c;
}
std::unique_ptr<TObject> CreateObject(const std::string& Name) {
  std::unique_ptr<TObject> obj(FindClass(Name).Factory(nullptr));
  if (obj) obj->AfterConstruction();
  return obj;
}
TComponent* CreateComponent(const std::string& Name, TComponent* AOwner) {
  const TRegisteredClass& rc = FindClass(Name);
  if (rc.Class && !TObject::ClassInheritsFrom(rc.Class, TComponent::StaticClass()))
    throw EInvalidCast("Invalid class typecast");
  TObject* obj = rc.Factory(AOwner);
  auto* comp = dynamic_cast<TComponent*>(obj);
  if (!comp) {
    delete obj;
    throw EInvalidCast("Invalid class typecast");
  }
  comp->AfterConstruction();
  return comp;
}

// ---------------------------------------------------------------------------------------------------

void TPersistent::Assign(TPersistent* Source) {
  if (Source) {
    Source->AssignTo(this);
  } else {
    AssignError(nullptr);
  }
}
void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }
void TPersistent::AssignError(TPersistent* Source) {
  std::string from = Source ? Source->ClassName() : "nil";
  throw EConvertError(Format("Cannot assign a %s to a %s", from, ClassName()));
}
std::string TPersistent::GetNamePath() {
  std::string s = ClassName();
  return s;
}
