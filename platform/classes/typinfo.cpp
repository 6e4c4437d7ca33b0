// Published-property tables: lookup and the generic get and set routines.
#include "platform/classes/typinfo.h"

const TPropInfo* TPropList::Find(const std::string& Name) const {
  for (const auto& p : Props)
    if (SameText(p->Name, Name)) return p.get();
  return nullptr;
}

const TPropList* GetPropList(TClass AClass) {
  for (TClass c = AClass; c; c = c->Parent)
    if (c->PropTable) return c->PropTable();
  return nullptr;
}

const TPropInfo* GetPropInfo(TClass AClass, const std::string& PropName) {
  const TPropList* l = GetPropList(AClass);
  return l ? l->Find(PropName) : nullptr;
}
const TPropInfo* GetPropInfo(const TObject* Instance, const std::string& PropName) {
  return Instance ? GetPropInfo(Instance->ClassType(), PropName) : nullptr;
}
bool IsPublishedProp(const TObject* Instance, const std::string& PropName) {
  return GetPropInfo(Instance, PropName) != nullptr;
}

namespace {
const TPropInfo& Need(const TObject* Instance, const std::string& PropName) {
  const TPropInfo* p = GetPropInfo(Instance, PropName);
  if (!p) throw EPropertyError(Format("Property %s does not exist", PropName));
  return *p;
}
[[noreturn]] void KindError(const TPropInfo& P) {
  throw EPropertyConvertError(Format("Invalid property type for %s", P.Name));
}
[[noreturn]] void WriteOnly(const TPropInfo& P) {
  throw EPropertyConvertError(Format("Property %s is write-only", P.Name));
}
void NeedGetter(const TPropInfo& P) {
  if (!P.GetOrd && !P.GetFloat && !P.GetStr && !P.GetObj && !P.GetVar) WriteOnly(P);
}
[[noreturn]] void ReadOnly(const TPropInfo& P) {
  throw EPropertyConvertError(Format("Property %s is read-only", P.Name));
}
}  // namespace

TPropKind PropType(const TObject* Instance, const std::string& PropName) { return Need(Instance, PropName).Kind; }

int64_t GetOrdProp(TObject* Instance, const TPropInfo* P) {
  if (!P->GetOrd) P->IsOrdinal() ? WriteOnly(*P) : KindError(*P);
  return P->GetOrd(Instance);
}
void SetOrdProp(TObject* Instance, const TPropInfo* P, int64_t Value) {
  if (!P->IsOrdinal()) KindError(*P);
  if (!P->SetOrd) ReadOnly(*P);
  P->SetOrd(Instance, Value);
}
int64_t GetOrdProp(TObject* Instance, const std::string& PropName) { return GetOrdProp(Instance, &Need(Instance, PropName)); }
void SetOrdProp(TObject* Instance, const std::string& PropName, int64_t Value) {
  SetOrdProp(Instance, &Need(Instance, PropName), Value);
}
long double GetFloatProp(TObject* Instance, const std::string& PropName) {
  const TPropInfo& p = Need(Instance, PropName);
  if (!p.GetFloat) KindError(p);
  return p.GetFloat(Instance);
}
void SetFloatProp(TObject* Instance, const std::string& PropName, long double Value) {
  const TPropInfo& p = Need(Instance, PropName);
  if (p.Kind != pkFloat) KindError(p);
  if (!p.SetFloat) ReadOnly(p);
  p.SetFloat(Instance, Value);
}
std::string GetStrProp(TObject* Instance, const std::string& PropName) {
  const TPropInfo& p = Need(Instance, PropName);
  if (!p.GetStr) KindError(p);
  return p.GetStr(Instance);
}
void SetStrProp(TObject* Instance, const std::string& PropName, const std::string& Value) {
  const TPropInfo& p = Need(Instance, PropName);
  if (p.Kind != pkString) KindError(p);
  if (!p.SetStr) ReadOnly(p);
  p.SetStr(Instance, Value);
}
TObject* GetObjectProp(TObject* Instance, const std::string& PropName) {
  const TPropInfo& p = Need(Instance, PropName);
  if (!p.GetObj) KindError(p);
  return p.GetObj(Instance);
}
void SetObjectProp(TObject* Instance, const std::string& PropName, TObject* Value) {
  const TPropInfo& p = Need(Instance, PropName);
  if (!p.GetObj) KindError(p);
  if (!p.SetObj) ReadOnly(p);
  p.SetObj(Instance, Value);
}
Variant GetVariantProp(TObject* Instance, const std::string& PropName) {
  const TPropInfo& p = Need(Instance, PropName);
  if (!p.GetVar) KindError(p);
  return p.GetVar(Instance);
}
void SetVariantProp(TObject* Instance, const std::string& PropName, const Variant& Value) {
  const TPropInfo& p = Need(Instance, PropName);
  if (p.Kind != pkVariant) KindError(p);
  if (!p.SetVar) ReadOnly(p);
  p.SetVar(Instance, Value);
}

std::string GetEnumName(const TPropInfo* P, int64_t Value) {
  if (Value < 0 || Value >= static_cast<int64_t>(P->ValueNames.size())) return {};
  return P->ValueNames[static_cast<size_t>(Value)];
}
int GetEnumValue(const TPropInfo* P, const std::string& Name) {
  for (size_t i = 0; i < P->ValueNames.size(); ++i)
    if (SameText(P->ValueNames[i], Name)) return static_cast<int>(i);
  return -1;
}

std::string GetEnumProp(TObject* Instance, const std::string& PropName) {
  const TPropInfo& p = Need(Instance, PropName);
  if (p.Kind != pkEnumeration) KindError(p);
  NeedGetter(p);
  const int64_t v = p.GetOrd(Instance);
  std::string name = GetEnumName(&p, v);
  return name.empty() ? IntToStr(v) : name;
}
void SetEnumProp(TObject* Instance, const std::string& PropName, const std::string& Value) {
  const TPropInfo& p = Need(Instance, PropName);
  if (p.Kind != pkEnumeration) KindError(p);
  const int v = GetEnumValue(&p, Value);
  if (v < 0) throw EPropertyConvertError(Format("Invalid enumeration name: %s", Value));
  SetOrdProp(Instance, &p, v);
}
std::string GetSetProp(TObject* Instance, const std::string& PropName) {
  const TPropInfo& p = Need(Instance, PropName);
  if (p.Kind != pkSet) KindError(p);
  NeedGetter(p);
  const uint64_t bits = static_cast<uint64_t>(p.GetOrd(Instance));
  std::string out;
  for (size_t i = 0; i < p.ValueNames.size() && i < 64; ++i)
    if (bits & (uint64_t(1) << i)) out += (out.empty() ? "" : ",") + p.ValueNames[i];
  return out;
}
void SetSetProp(TObject* Instance, const std::string& PropName, const std::string& Value) {
  const TPropInfo& p = Need(Instance, PropName);
  if (p.Kind != pkSet) KindError(p);
  uint64_t bits = 0;
  std::string v = Value;
  if (!v.empty() && v.front() == '[' && v.back() == ']') v = v.substr(1, v.size() - 2);
  size_t start = 0;
  while (start <= v.size()) {
    size_t comma = v.find(',', start);
    if (comma == std::string::npos) comma = v.size();
    const std::string name = Trim(v.substr(start, comma - start));
    if (!name.empty()) {
      const int i = GetEnumValue(&p, name);
      if (i < 0 || i > 63) throw EPropertyConvertError(Format("Invalid enumeration name: %s", name));
      bits |= uint64_t(1) << i;
    }
    start = comma + 1;
  }
  SetOrdProp(Instance, &p, static_cast<int64_t>(bits));
}

Variant GetPropValue(TObject* Instance, const std::string& PropName) {
  const TPropInfo& p = Need(Instance, PropName);
  if (p.Kind != pkEvent) NeedGetter(p);
  switch (p.Kind) {
    case pkBoolean: return Variant(p.GetOrd(Instance) != 0);
    case pkEnumeration: return Variant(GetEnumProp(Instance, PropName));
    case pkSet: return Variant(GetSetProp(Instance, PropName));
    case pkInteger:
    case pkColor: return Variant(p.GetOrd(Instance));
    case pkFloat: return Variant(static_cast<double>(p.GetFloat(Instance)));
    case pkString: return Variant(p.GetStr(Instance));
    case pkVariant: return p.GetVar(Instance);
    default: KindError(p);
  }
}
void SetPropValue(TObject* Instance, const std::string& PropName, const Variant& Value) {
  const TPropInfo& p = Need(Instance, PropName);
  try {
    switch (p.Kind) {
      case pkBoolean: return SetOrdProp(Instance, &p, Value.AsBoolean());
      case pkEnumeration:
        if (Value.IsString()) return SetEnumProp(Instance, PropName, Value.AsString());
        return SetOrdProp(Instance, &p, Value.AsInt64());
      case pkSet:
        if (Value.IsString()) return SetSetProp(Instance, PropName, Value.AsString());
        return SetOrdProp(Instance, &p, Value.AsInt64());
      case pkInteger:
      case pkColor: return SetOrdProp(Instance, &p, Value.AsInt64());
      case pkFloat: return SetFloatProp(Instance, PropName, Value.AsDouble());
      case pkString: return SetStrProp(Instance, PropName, VarToStr(Value));
      case pkVariant: return SetVariantProp(Instance, PropName, Value);
      default: KindError(p);
    }
  } catch (const EVariantError& e) {
    throw EPropertyConvertError(Format("Invalid property value for %s: %s", p.Name, e.Message()));
  }
}

bool IsStoredProp(TObject* Instance, const TPropInfo* P) { return P->StoredFn ? P->StoredFn(Instance) : P->StoredConst; }

bool IsDefaultPropertyValue(TObject* Instance, const TPropInfo* P) {
  switch (P->Kind) {
    case pkInteger:
    case pkBoolean:
    case pkColor:
    case pkEnumeration:
    case pkSet: return !P->GetOrd || (P->HasDefault && P->GetOrd(Instance) == P->DefaultValue);
    case pkFloat: return !P->GetFloat || P->GetFloat(Instance) == P->FloatDefault;
    case pkString: return !P->GetStr || P->GetStr(Instance).empty();
    case pkVariant: {
      if (!P->GetVar) return true;
      const Variant v = P->GetVar(Instance);
      return v.IsEmpty() || v.IsNull();
    }
    case pkComponent:
    case pkClass: return !P->GetObj || P->GetObj(Instance) == nullptr;
    case pkCollection: {
      auto* c = P->GetObj ? dynamic_cast<TCollection*>(P->GetObj(Instance)) : nullptr;
      return !c || c->Count() == 0;
    }
    case pkStrings: {
      auto* s = P->GetObj ? dynamic_cast<TStrings*>(P->GetObj(Instance)) : nullptr;
      return !s || s->Count() == 0;
    }
    case pkEvent: return true;
  }
  return true;
}
