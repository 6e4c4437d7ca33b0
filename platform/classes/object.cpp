// TObject class references, the class registry and TPersistent.
#include <algorithm>
#include <cstdio>
#include <list>
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
struct TEntry {
  std::string Name;
  TRegisteredClass Reg;
  TClass Group = nullptr;  // root class of its group at registration (nullptr: the default group)
  uint64_t Order = 0;      // registration order
};
struct TRegistry {
  std::list<TEntry> Entries;                                     // stable addresses
  std::map<std::string, std::vector<TEntry*>, TNoCase> ByName;  // in registration order
  std::vector<TClass> Groups;                                    // group roots (StartClassGroup)
  std::vector<std::pair<TClass, TClass>> Descendents;            // GroupDescendentsWith pairs
  TClass Active = nullptr;
  uint64_t Next = 0;
};
// Built on first use, so registering from any unit's Initialize is safe.
TRegistry& Registry() {
  static TRegistry r;
  return r;
}

TClass GroupOf(TClass C) {
  TRegistry& r = Registry();
  if (!C) return nullptr;
  // An explicit "descendants of C go with A" wins over the group roots; the nearest ancestor decides.
  for (TClass c = C; c; c = c->Parent) {
    for (auto& [cls, with] : r.Descendents)
      if (cls == c) return GroupOf(with);
    for (TClass g : r.Groups)
      if (g == c) return g;
  }
  return nullptr;
}

void Add(const std::string& Name, TRegisteredClass Reg) {
  TRegistry& r = Registry();
  const TClass group = GroupOf(Reg.Class);
  auto& list = r.ByName[Name];
  for (TEntry* e : list)
    if (e->Group == group) return;  // the first registration in a group stays
  r.Entries.push_back(TEntry{Name, std::move(Reg), group, r.Next++});
  list.push_back(&r.Entries.back());
}

void Remove(const std::function<bool(const TEntry&)>& Match) {
  TRegistry& r = Registry();
  for (auto it = r.ByName.begin(); it != r.ByName.end();) {
    auto& v = it->second;
    v.erase(std::remove_if(v.begin(), v.end(), [&](TEntry* e) { return Match(*e); }), v.end());
    it = v.empty() ? r.ByName.erase(it) : std::next(it);
  }
  r.Entries.remove_if(Match);
}
}  // namespace

void RegisterClass(const std::string& Name, TClass AClass, TObjectFactory Factory) {
  Add(Name, TRegisteredClass{AClass, std::move(Factory), {}});
}
void RegisterClass(const std::string& Name, TObjectFactory Factory) {
  // The class reference is learnt lazily from the first object made.
  Add(Name, TRegisteredClass{nullptr, std::move(Factory), {}});
}
void RegisterItemClass(const std::string& Name, TClass AClass, TItemFactory Factory) {
  // An item cannot be made without its collection; the plain factory says so.
  TObjectFactory plain = [Name](TComponent*) -> TObject* {
    throw EInvalidOperation(Format("Class %s is a collection item class and needs a collection", Name));
  };
  Add(Name, TRegisteredClass{AClass, std::move(plain), std::move(Factory)});
}
void UnRegisterClass(const std::string& Name) {
  Remove([&](const TEntry& e) { return SameText(e.Name, Name); });
}
void UnRegisterClass(TClass AClass) {
  if (AClass) Remove([&](const TEntry& e) { return e.Reg.Class == AClass; });
}
const TRegisteredClass* GetClass(const std::string& Name) {
  TRegistry& r = Registry();
  auto it = r.ByName.find(Name);
  if (it == r.ByName.end() || it->second.empty()) return nullptr;
  for (TEntry* e : it->second)
    if (e->Group == r.Active) return &e->Reg;
  return &it->second.front()->Reg;
}
const TRegisteredClass* GetClass(TClass AClass) {
  if (!AClass) return nullptr;
  for (TEntry& e : Registry().Entries)
    if (e.Reg.Class == AClass) return &e.Reg;
  return nullptr;
}
const TRegisteredClass& FindClass(const std::string& Name) {
  const TRegisteredClass* c = GetClass(Name);
  if (!c) throw EClassNotFound(Format("Class %s not found", Name));
  return *c;
}
void StartClassGroup(TClass AClass) {
  TRegistry& r = Registry();
  if (AClass && std::find(r.Groups.begin(), r.Groups.end(), AClass) == r.Groups.end()) r.Groups.push_back(AClass);
}
void GroupDescendentsWith(TClass AClass, TClass AncestorClass) {
  if (AClass && AncestorClass && AClass != AncestorClass) Registry().Descendents.emplace_back(AClass, AncestorClass);
}
TClass ActivateClassGroup(TClass AClass) {
  TRegistry& r = Registry();
  TClass before = r.Active;
  r.Active = GroupOf(AClass);
  return before;
}
TClass ClassGroupOf(TClass AClass) { return GroupOf(AClass); }
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

// ---------------------------------------------------------------------------------------------------
// Interfaces

namespace {
std::map<TGUID, TInterfaceCaster>& Casters() {
  static std::map<TGUID, TInterfaceCaster> m;
  return m;
}
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

TGUID StringToGUID(const std::string& S) {
  std::string t = S;
  if (t.size() == 38 && t.front() == '{' && t.back() == '}') t = t.substr(1, 36);
  const auto bad = [&]() { return EConvertError(Format("'%s' is not a valid GUID value", S)); };
  if (t.size() != 36 || t[8] != '-' || t[13] != '-' || t[18] != '-' || t[23] != '-') throw bad();
  uint8_t bytes[16];
  size_t k = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '-') continue;
    const int hi = HexValue(t[i]), lo = i + 1 < t.size() ? HexValue(t[i + 1]) : -1;
    if (hi < 0 || lo < 0 || k >= 16) throw bad();
    bytes[k++] = static_cast<uint8_t>(hi * 16 + lo);
    ++i;
  }
  if (k != 16) throw bad();
  TGUID g;
  g.D1 = uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
  g.D2 = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
  g.D3 = static_cast<uint16_t>(bytes[6] << 8 | bytes[7]);
  for (int i = 0; i < 8; ++i) g.D4[i] = bytes[8 + i];
  return g;
}
std::string GUIDToString(const TGUID& G) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", G.D1, G.D2, G.D3, G.D4[0],
                G.D4[1], G.D4[2], G.D4[3], G.D4[4], G.D4[5], G.D4[6], G.D4[7]);
  return buf;
}
bool IsEqualGUID(const TGUID& A, const TGUID& B) { return A == B; }

const TGUID& RegisterInterfaceId(const TGUID& IID, TInterfaceCaster Caster) {
  auto [it, added] = Casters().try_emplace(IID, Caster);
  (void)added;
  return it->first;
}

bool TObject::GetInterface(const TGUID& IID, void*& Obj) {
  Obj = nullptr;
  auto it = Casters().find(IID);
  if (it != Casters().end()) Obj = it->second(this);
  return Obj != nullptr;
}

bool Supports(TObject* Obj, const TGUID& IID, void*& Intf) {
  Intf = nullptr;
  return Obj && Obj->GetInterface(IID, Intf);
}
bool Supports(TObject* Obj, const TGUID& IID) {
  void* p;
  return Supports(Obj, IID, p);
}
