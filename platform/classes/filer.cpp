// Component streaming: the writer and reader of the binary component format (filer.h), and the
// TComponent/TStream entry points that use them.
#include "platform/classes/filer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>

namespace {
struct TColorIdents {
  TIdentToInt ToInt;
  TIntToIdent ToIdent;
};
TColorIdents& ColorIdents() {
  static TColorIdents c;
  return c;
}

bool CollectionsEqual(TCollection* A, TCollection* B) {
  if (!A || !B) return A == B;
  if (A->Count() != B->Count()) return false;
  TMemoryStream sa, sb;
  TWriter wa(&sa), wb(&sb);
  wa.WriteCollection(A);
  wb.WriteCollection(B);
  return sa.Bytes() == sb.Bytes();
}

bool SameVariant(const Variant& A, const Variant& B) {
  if (A.VarType() != B.VarType()) return false;
  if (A.IsEmpty() || A.IsNull()) return true;
  try {
    return A == B;
  } catch (const EVariantError&) {
    return false;
  }
}
}  // namespace

void RegisterColorIdents(TIdentToInt IdentToColor, TIntToIdent ColorToIdent) {
  ColorIdents() = TColorIdents{std::move(IdentToColor), std::move(ColorToIdent)};
}

// ===================================================================================================
// TWriter

void TWriter::WriteSignature() { WriteRaw(Signature, sizeof Signature); }

void TWriter::WriteRootComponent(TComponent* Root) { WriteDescendent(Root, nullptr); }

void TWriter::WriteDescendent(TComponent* Root, TComponent* AAncestor) {
  SetRoot(Root);
  SetAncestor(AAncestor);
  WriteSignature();
  WriteComponent(Root);
}

void TWriter::WriteComponent(TComponent* Component) {
  if (++FDepth > MaxNesting) {
    --FDepth;
    throw EWriteError("Components nested too deeply");
  }
  const bool wasWriting = Component->FComponentState.Contains(csWriting);
  Component->FComponentState.Include(csWriting);
  try {
    WriteStr(Component->ClassName());
    WriteStr(Component->Name());
    Component->WriteState(this);
  } catch (...) {
    if (!wasWriting) Component->FComponentState.Exclude(csWriting);
    --FDepth;
    throw;
  }
  if (!wasWriting) Component->FComponentState.Exclude(csWriting);
  --FDepth;
}

void TWriter::WriteData(TComponent* Instance) {
  const std::string savedPath = FPropPath;
  TPersistent* const ancestor = FAncestor;
  FPropPath.clear();
  WriteProperties(Instance);
  WriteListEnd();
  auto* ancestorComponent = dynamic_cast<TComponent*>(ancestor);
  Instance->GetChildren(
      [&](TComponent* Child) {
        SetAncestor(ancestorComponent ? ancestorComponent->FindComponent(Child->Name()) : nullptr);
        WriteComponent(Child);
      },
      FRoot);
  WriteListEnd();
  SetAncestor(ancestor);
  FPropPath = savedPath;
}

void TWriter::WriteProperties(TPersistent* Instance) {
  if (const TPropList* list = GetPropList(Instance->ClassType()))
    for (const auto& p : list->Props)
      if (IsStoredProp(Instance, p.get())) WriteProperty(Instance, p.get());
  CallDefineProperties(Instance, this);
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo* P) {
  // The ancestor's values count only when it is an object of the same class.
  TPersistent* anc = FAncestor && FAncestor->ClassType() == Instance->ClassType() ? FAncestor : nullptr;
  switch (P->Kind) {
    case pkInteger:
    case pkBoolean:
    case pkColor:
    case pkEnumeration:
    case pkSet: {
      if (!P->SetOrd || !P->GetOrd) return;
      const int64_t v = P->GetOrd(Instance);
      if (anc ? v == P->GetOrd(anc) : (P->HasDefault && v == P->DefaultValue)) return;
      WritePropName(P->Name);
      std::string ident;
      switch (P->Kind) {
        case pkBoolean: WriteBoolean(v != 0); break;
        case pkEnumeration:
          ident = GetEnumName(P, v);
          if (ident.empty()) WriteInteger(v);
          else WriteIdent(ident);
          break;
        case pkSet: WriteSet(static_cast<uint64_t>(v), P->ValueNames); break;
        case pkColor:
          if (ColorIdents().ToIdent && ColorIdents().ToIdent(v, ident)) WriteIdent(ident);
          else WriteInteger(v);
          break;
        default: WriteInteger(v); break;
      }
      return;
    }
    case pkFloat: {
      if (!P->SetFloat || !P->GetFloat) return;
      const long double v = P->GetFloat(Instance);
      if (anc ? v == P->GetFloat(anc) : v == P->FloatDefault) return;
      WritePropName(P->Name);
      WriteFloat(v);
      return;
    }
    case pkString: {
      if (!P->SetStr || !P->GetStr) return;
      const std::string v = P->GetStr(Instance);
      if (anc ? v == P->GetStr(anc) : v.empty()) return;
      WritePropName(P->Name);
      WriteString(v);
      return;
    }
    case pkVariant: {
      if (!P->SetVar || !P->GetVar) return;
      const Variant v = P->GetVar(Instance);
      if (anc ? SameVariant(v, P->GetVar(anc)) : (v.IsEmpty() || v.IsNull())) return;
      WritePropName(P->Name);
      WriteVariant(v);
      return;
    }
    case pkComponent:
    case pkClass:
    case pkCollection:
    case pkStrings:
      if (!P->GetObj) return;
      WriteObjectValue(Instance, P, P->GetObj(Instance), anc ? P->GetObj(anc) : nullptr);
      return;
    case pkEvent: return;
  }
}

void TWriter::WriteObjectValue(TPersistent* Instance, const TPropInfo* P, TObject* Value, TObject* AncestorValue) {
  (void)Instance;
  auto* component = dynamic_cast<TComponent*>(Value);
  const bool reference =
      P->Kind == pkComponent || (component && !component->ComponentStyle().Contains(csSubComponent));
  if (reference) {
    if (!P->SetObj) return;
    auto* ancComponent = dynamic_cast<TComponent*>(AncestorValue);
    const std::string name = component ? ReferenceName(component) : std::string();
    if (component && name.empty()) return;  // an unnamed component cannot be found again
    // Against an ancestor, a reference to the component of the same name counts as the same.
    if (AncestorValue ? (ancComponent && component && SameText(component->Name(), ancComponent->Name())) : !component)
      return;
    WritePropName(P->Name);
    if (component) WriteIdent(name);
    else WriteValue(vaNil);
    return;
  }
  if (!Value) {
    if (AncestorValue && P->SetObj) {
      WritePropName(P->Name);
      WriteValue(vaNil);
    }
    return;
  }
  if (auto* collection = dynamic_cast<TCollection*>(Value)) {
    if (AncestorValue ? CollectionsEqual(collection, dynamic_cast<TCollection*>(AncestorValue)) : collection->Count() == 0)
      return;
    WritePropName(P->Name);
    WriteCollection(collection);
    return;
  }
  if (auto* strings = dynamic_cast<TStrings*>(Value)) {
    auto* ancStrings = dynamic_cast<TStrings*>(AncestorValue);
    if (ancStrings ? strings->Equals(ancStrings) : strings->Count() == 0) return;
    WritePropName(P->Name);
    WriteListBegin();
    for (int i = 0; i < strings->Count(); ++i) WriteString(strings->Get(i));
    WriteListEnd();
    return;
  }
  auto* persistent = dynamic_cast<TPersistent*>(Value);
  if (!persistent) return;
  if (++FDepth > MaxNesting) {
    --FDepth;
    throw EWriteError("Properties nested too deeply");
  }
  TNestedWrite nested(*this);
  FPropPath = nested.Path + P->Name + ".";
  FAncestor = dynamic_cast<TPersistent*>(AncestorValue);
  WriteProperties(persistent);
}

void TWriter::WriteCollection(TCollection* Value) {
  WriteValue(vaCollection);
  if (++FDepth > MaxNesting) {
    --FDepth;
    throw EWriteError("Collections nested too deeply");
  }
  TNestedWrite nested(*this);
  for (int i = 0; Value && i < Value->Count(); ++i) {
    TCollectionItem* item = Value->Items(i);
    WriteListBegin();
    FPropPath.clear();
    FAncestor = nullptr;
    if (item->ClassType() != Value->ItemClass()) {
      WritePropName("ItemClass");
      WriteString(item->ClassName());
    }
    WriteProperties(item);
    WriteListEnd();
  }
  WriteListEnd();
}

std::string TWriter::ReferenceName(TComponent* C) const {
  if (!C || C->Name().empty()) return {};
  if (C == FLookupRoot || C->Owner() == FLookupRoot || !C->Owner()) return C->Name();
  if (C->Owner()->Name().empty()) return {};
  return C->Owner()->Name() + "." + C->Name();
}

void TWriter::WriteValue(TValueType Value) {
  const uint8_t b = Value;
  WriteRaw(&b, 1);
}

void TWriter::WriteInteger(int64_t Value) {
  if (Value >= INT8_MIN && Value <= INT8_MAX) {
    WriteValue(vaInt8);
    const int8_t v = static_cast<int8_t>(Value);
    WriteRaw(&v, 1);
  } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
    WriteValue(vaInt16);
    const int16_t v = static_cast<int16_t>(Value);
    WriteRaw(&v, 2);
  } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
    WriteValue(vaInt32);
    const int32_t v = static_cast<int32_t>(Value);
    WriteRaw(&v, 4);
  } else {
    WriteValue(vaInt64);
    WriteRaw(&Value, 8);
  }
}

void TWriter::WriteFloat(long double Value) {
  WriteValue(vaDouble);
  const double d = static_cast<double>(Value);
  WriteRaw(&d, 8);
}
void TWriter::WriteCurrency(Currency Value) {
  WriteValue(vaCurrency);
  WriteRaw(&Value.Value, 8);
}
void TWriter::WriteDate(TDateTime Value) {
  WriteValue(vaDate);
  WriteRaw(&Value, 8);
}
void TWriter::WriteString(const std::string& Value) {
  if (Value.size() > UINT32_MAX) throw EWriteError("String too long for the stream");
  WriteValue(vaString);
  const uint32_t n = static_cast<uint32_t>(Value.size());
  WriteRaw(&n, 4);
  WriteRaw(Value.data(), n);
}
void TWriter::WriteIdent(const std::string& Value) {
  WriteValue(vaIdent);
  WriteStr(Value);
}
void TWriter::WriteSet(uint64_t Bits, const std::vector<std::string>& Names) {
  WriteValue(vaSet);
  for (size_t i = 0; i < Names.size() && i < 64; ++i)
    if (Bits & (uint64_t(1) << i)) WriteStr(Names[i]);
  WriteStr(std::string());
}
void TWriter::WriteBinary(const void* Data, int64_t Size) {
  if (Size < 0 || Size > int64_t(UINT32_MAX)) throw EWriteError("Binary value too large for the stream");
  WriteValue(vaBinary);
  const uint32_t n = static_cast<uint32_t>(Size);
  WriteRaw(&n, 4);
  WriteRaw(Data, Size);
}
void TWriter::WriteVariant(const Variant& Value) {
  switch (Value.VarType()) {
    case varEmpty:
    case varNull: WriteValue(vaNil); return;
    case varSmallint:
    case varInteger:
    case varInt64: WriteInteger(Value.AsInt64()); return;
    case varSingle:
    case varDouble: WriteFloat(Value.AsDouble()); return;
    case varCurrency: WriteCurrency(Value.AsCurrency()); return;
    case varDate: WriteDate(Value.AsDateTime()); return;
    case varBoolean: WriteBoolean(Value.AsBoolean()); return;
    case varString: WriteString(Value.AsString()); return;
    default: throw EWriteError("Cannot write a variant of type " + VarTypeAsText(Value.VarType()));
  }
}
void TWriter::WriteStr(const std::string& Value) {
  if (Value.size() > 255) throw EWriteError(Format("Name too long for the stream: %s", Value.substr(0, 40)));
  const uint8_t n = static_cast<uint8_t>(Value.size());
  WriteRaw(&n, 1);
  WriteRaw(Value.data(), n);
}
void TWriter::WritePropName(const std::string& Name) { WriteStr(FPropPath + Name); }

void TWriter::DefineProperty(const std::string& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  WritePropName(Name);
  WriteData(this);
}
void TWriter::DefineBinaryProperty(const std::string& Name, TStreamProc, TStreamProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  TMemoryStream bytes;
  WriteData(&bytes);
  WritePropName(Name);
  WriteBinary(bytes.Memory(), bytes.Size());
}

// ===================================================================================================
// TReader

TReader::~TReader() = default;

void TReader::Error(const std::string& What) {
  int64_t at = -1;
  try {
    at = FStream->Position();
  } catch (...) {
  }
  throw EReadError(at >= 0 ? Format("%s (at byte %d)", What, at) : What);
}

void TReader::Enter() {
  if (++FDepth > MaxNesting) Error("Stream nested too deeply");
}

int64_t TReader::Remaining() { return std::max<int64_t>(0, FStream->Size() - FStream->Position()); }

void TReader::ReadRaw(void* Buffer, int64_t Count) {
  if (Count < 0 || Count > Remaining()) Error("Unexpected end of stream");
  FStream->ReadBuffer(Buffer, Count);
}
uint8_t TReader::ReadByte() {
  uint8_t b;
  ReadRaw(&b, 1);
  return b;
}

void TReader::ReadSignature() {
  char sig[sizeof Signature];
  if (Remaining() < static_cast<int64_t>(sizeof sig)) Error("Invalid stream format: signature expected");
  FStream->ReadBuffer(sig, sizeof sig);
  if (std::memcmp(sig, Signature, sizeof sig) != 0) Error("Invalid stream format: signature expected");
}

TValueType TReader::ReadValue() {
  const uint8_t b = ReadByte();
  if (b > vaDate) Error(Format("Invalid value type %d", int(b)));
  return static_cast<TValueType>(b);
}
TValueType TReader::NextValue() {
  const TValueType t = ReadValue();
  FStream->Seek(-1, soCurrent);
  return t;
}
bool TReader::EndOfList() {
  // Property names and values alike: only the byte itself counts.
  const uint8_t b = ReadByte();
  FStream->Seek(-1, soCurrent);
  return b == vaNull;
}
void TReader::CheckValue(TValueType Value) {
  if (ReadValue() != Value) Error(Format("Value of type %d expected", int(Value)));
}
void TReader::ReadListBegin() {
  if (ReadValue() != vaList) Error("List begin expected");
}
void TReader::ReadListEnd() {
  if (ReadValue() != vaNull) Error("List end expected");
}

int64_t TReader::ReadInt64() {
  switch (ReadValue()) {
    case vaInt8: {
      int8_t v;
      ReadRaw(&v, 1);
      return v;
    }
    case vaInt16: {
      int16_t v;
      ReadRaw(&v, 2);
      return v;
    }
    case vaInt32: {
      int32_t v;
      ReadRaw(&v, 4);
      return v;
    }
    case vaInt64: {
      int64_t v;
      ReadRaw(&v, 8);
      return v;
    }
    default: Error("Integer value expected");
  }
}
int32_t TReader::ReadInteger() {
  const int64_t v = ReadInt64();
  if (v < INT32_MIN || v > INT32_MAX) Error("Integer value out of range");
  return static_cast<int32_t>(v);
}
bool TReader::ReadBoolean() {
  switch (ReadValue()) {
    case vaTrue: return true;
    case vaFalse: return false;
    default: Error("Boolean value expected");
  }
}
long double TReader::ReadFloat() {
  const TValueType t = NextValue();
  if (t == vaInt8 || t == vaInt16 || t == vaInt32 || t == vaInt64) return static_cast<long double>(ReadInt64());
  if (ReadValue() != vaDouble) Error("Floating point value expected");
  double d;
  ReadRaw(&d, 8);
  return d;
}
Currency TReader::ReadCurrency() {
  const TValueType t = NextValue();
  if (t == vaCurrency) {
    ReadValue();
    int64_t raw;
    ReadRaw(&raw, 8);
    return Currency::FromRaw(raw);
  }
  const long double f = ReadFloat();
  if (!(std::fabs(f) < 9.2e14L)) Error("Currency value out of range");
  return Currency::FromDouble(static_cast<double>(f));
}
TDateTime TReader::ReadDate() {
  const TValueType t = ReadValue();
  if (t != vaDate && t != vaDouble) Error("Date value expected");
  double d;
  ReadRaw(&d, 8);
  return d;
}
std::string TReader::ReadStr() {
  const uint8_t n = ReadByte();
  std::string s(n, '\0');
  ReadRaw(s.data(), n);
  return s;
}
std::string TReader::ReadString() {
  const TValueType t = ReadValue();
  if (t == vaIdent) return ReadStr();
  if (t != vaString) Error("String value expected");
  uint32_t n;
  ReadRaw(&n, 4);
  if (n > Remaining()) Error("String length beyond the end of the stream");
  std::string s(n, '\0');
  ReadRaw(s.data(), n);
  return s;
}
std::string TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    default: Error("Identifier expected");
  }
}
Variant TReader::ReadVariant() {
  switch (NextValue()) {
    case vaNil: ReadValue(); return Null;
    case vaInt8:
    case vaInt16:
    case vaInt32: return Variant(ReadInteger());
    case vaInt64: return Variant(ReadInt64());
    case vaDouble: return Variant(static_cast<double>(ReadFloat()));
    case vaString:
    case vaIdent: return Variant(ReadString());
    case vaFalse:
    case vaTrue: return Variant(ReadBoolean());
    case vaCurrency: return Variant(ReadCurrency());
    case vaDate: return VarFromDateTime(ReadDate());
    default: Error("Variant value expected");
  }
}

void TReader::SkipValue() {
  auto skip = [&](int64_t n) {
    if (n > Remaining()) Error("Unexpected end of stream");
    FStream->Seek(n, soCurrent);
  };
  switch (ReadValue()) {
    case vaNull: Error("Value expected");
    case vaList:
      Enter();
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      Leave();
      return;
    case vaInt8: return skip(1);
    case vaInt16: return skip(2);
    case vaInt32: return skip(4);
    case vaInt64:
    case vaDouble:
    case vaCurrency:
    case vaDate: return skip(8);
    case vaString:
    case vaBinary: {
      uint32_t n;
      ReadRaw(&n, 4);
      return skip(n);
    }
    case vaIdent: return skip(ReadByte());
    case vaFalse:
    case vaTrue:
    case vaNil: return;
    case vaSet:
      while (true) {
        const uint8_t n = ReadByte();
        if (n == 0) return;
        skip(n);
      }
    case vaCollection:
      Enter();
      while (!EndOfList()) {
        const TValueType t = NextValue();
        if (t == vaInt8 || t == vaInt16 || t == vaInt32 || t == vaInt64) ReadInt64();
        ReadListBegin();
        while (!EndOfList()) {
          skip(ReadByte());
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      Leave();
      return;
  }
}

TComponent* TReader::CreateComponent(const std::string& ClassName, TComponent* Owner) {
  const TRegisteredClass& rc = FindClass(ClassName);
  if (rc.ItemFactory || (rc.Class && !TObject::ClassInheritsFrom(rc.Class, TComponent::StaticClass())))
    Error(Format("Class %s is not a component class", ClassName));
  TObject* obj = rc.Factory(Owner);
  TComponent* c = dynamic_cast<TComponent*>(obj);
  if (!c) {
    delete obj;
    Error(Format("Class %s is not a component class", ClassName));
  }
  FCreated.push_back(c);
  FCreatedSet.insert(c);
  c->AfterConstruction();
  return c;
}

void TReader::SetComponentName(TComponent* Component, const std::string& Name) {
  try {
    Component->SetName(Name);
  } catch (const EComponentError& e) {
    Error(e.Message());
  }
}

void TReader::PlaceInParent(TComponent* Component, TComponent* Parent) {
  if (Component->GetParentComponent() == Parent) return;
  // A component named again inside one of its own children would become its own ancestor.
  for (TComponent* p = Parent; p; p = p->GetParentComponent())
    if (p == Component) Error(Format("Component %s cannot be placed inside itself", Component->Name()));
  if (!FCreatedSet.count(Component) && FMovedSet.insert(Component).second)
    FMoved.push_back(TMove{Component, Component->GetParentComponent()});
  try {
    Component->SetParentComponent(Parent);
  } catch (const EFilerError&) {
    throw;
  } catch (const Exception& e) {
    Error(Format("Error placing %s: %s", Component->Name(), e.Message()));
  }
}

void TReader::UndoRead() {
  for (TComponent* c : FLoaded)
    if (!FCreatedSet.count(c)) c->FComponentState -= TComponentState{csLoading, csReading};
  // A created control frees its children with it: take out every component that existed before (all
  // moved ones first, so that putting one back never meets a chain that still runs through another),
  // then the created ones, so that each is freed exactly once, by the loop below.
  for (const TMove& m : FMoved) {
    try {
      m.Component->SetParentComponent(nullptr);
    } catch (...) {
    }
  }
  for (const TMove& m : FMoved) {
    if (!m.FormerParent) continue;
    try {
      m.Component->SetParentComponent(m.FormerParent);
    } catch (...) {
    }
  }
  for (TComponent* c : FCreated) {
    try {
      c->SetParentComponent(nullptr);
    } catch (...) {
    }
  }
  // Last first, so that children go before their owners.
  for (auto it = FCreated.rbegin(); it != FCreated.rend(); ++it) delete *it;
}

void TReader::ForgetRead() {
  FFixups.clear();
  FLoaded.clear();
  FLoadedSet.clear();
  FCreated.clear();
  FCreatedSet.clear();
  FMoved.clear();
  FMovedSet.clear();
}

TComponent* TReader::ReadRootComponent(TComponent* Root) {
  ForgetRead();
  FDepth = 0;
  FParent = nullptr;
  try {
    ReadSignature();
    const std::string className = ReadStr();
    const std::string name = ReadStr();
    if (className.empty()) Error("Class name expected");
    if (!Root) {
      Root = CreateComponent(className, FOwner);
    } else if (!Root->InheritsFrom(className)) {
      Error(Format("Component of class %s expected, found %s", Root->ClassName(), className));
    }
    SetRoot(Root);
    if (Root->Name().empty() && !name.empty()) SetComponentName(Root, name);
    Root->FComponentState += TComponentState{csLoading, csReading};
    FLoaded.push_back(Root);
    FLoadedSet.insert(Root);
    Root->ReadState(this);
    for (TComponent* c : FLoaded) c->FComponentState.Exclude(csReading);
    FixupReferences();
    const std::vector<TComponent*> loaded = FLoaded;
    for (TComponent* c : loaded) c->Loaded();
  } catch (...) {
    // Leave nothing half-built behind: the components made here are freed, the others lose their
    // loading flags and go back where they were.
    UndoRead();
    ForgetRead();
    throw;
  }
  ForgetRead();
  return Root;
}

TComponent* TReader::ReadComponent(TComponent* Component) {
  Enter();
  const std::string className = ReadStr();
  const std::string name = ReadStr();
  if (className.empty()) Error("Class name expected");
  TComponent* c = Component;
  if (c && !c->InheritsFrom(className))
    Error(Format("Component of class %s expected, found %s", c->ClassName(), className));
  if (!c) {
    TComponent* owner = FOwner ? FOwner : FRoot;
    if (owner && !name.empty()) {
      TComponent* existing = owner->FindComponent(name);
      if (existing && existing->InheritsFrom(className)) c = existing;
      else if (existing) Error(Format("Component %s of class %s expected, found %s", name, existing->ClassName(), className));
    }
    if (!c) {
      c = CreateComponent(className, owner);
      if (!name.empty()) SetComponentName(c, name);
    }
  }
  c->FComponentState += TComponentState{csLoading, csReading};
  if (FLoadedSet.insert(c).second) FLoaded.push_back(c);
  // Read inside another component's child list, or a component that always sits in a parent.
  if (FParent && FParent != c && (c->HasParent() || FParent != FRoot)) PlaceInParent(c, FParent);
  c->ReadState(this);
  c->FComponentState.Exclude(csReading);
  Leave();
  return c;
}

void TReader::ReadData(TComponent* Instance) {
  Enter();
  while (!EndOfList()) ReadProperty(Instance);
  ReadListEnd();
  TComponent* const parent = FParent;
  FParent = Instance;
  while (!EndOfList()) ReadComponent(nullptr);
  FParent = parent;
  ReadListEnd();
  Leave();
}

void TReader::ReadProperty(TPersistent* Instance) {
  const std::string name = ReadStr();
  if (name.empty()) Error("Property name expected");
  ReadPropertyNamed(Instance, name);
}

void TReader::ReadPropertyNamed(TPersistent* Instance, const std::string& Name) {
  Enter();
  // Walk the dotted path through sub-objects; what is left names a published or defined property.
  TPersistent* obj = Instance;
  size_t start = 0;
  while (true) {
    const size_t dot = Name.find('.', start);
    if (dot == std::string::npos) break;
    const TPropInfo* p = GetPropInfo(obj, Name.substr(start, dot - start));
    if (!p || !p->GetObj || p->Kind == pkComponent) break;  // not a sub-object: a defined property's name
    auto* sub = dynamic_cast<TPersistent*>(p->GetObj(obj));
    if (!sub) Error(Format("Property %s has no object to read into", Name));
    obj = sub;
    start = dot + 1;
  }
  const std::string last = Name.substr(start);
  const TPropInfo* p = last.find('.') == std::string::npos ? GetPropInfo(obj, last) : nullptr;
  try {
    if (p && p->Kind != pkEvent) {
      FPropName = Name;
      ReadPropValue(obj, p);
    } else {
      FPropName = last;
      FPropHandled = false;
      CallDefineProperties(obj, this);
      if (!FPropHandled) Error(Format("Property %s does not exist", Name));
    }
  } catch (const EFilerError&) {
    throw;
  } catch (const Exception& e) {
    // A setter that refused the value read.
    Error(Format("Error reading %s: %s", Name, e.Message()));
  }
  Leave();
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo* P) {
  auto needSetter = [&](bool Has) {
    if (!Has) Error(Format("Property %s is read-only", P->Name));
  };
  switch (P->Kind) {
    case pkInteger:
    case pkColor: {
      needSetter(bool(P->SetOrd));
      int64_t v = 0;
      if (NextValue() == vaIdent) {
        const std::string ident = ReadIdent();
        if (P->Kind != pkColor || !ColorIdents().ToInt || !ColorIdents().ToInt(ident, v))
          Error(Format("Invalid property value %s for %s", ident, P->Name));
      } else {
        v = ReadInt64();
        // A system colour in the older $80000000 | index form names the same colour as $FF000000 | index.
        if (P->Kind == pkColor && (static_cast<uint32_t>(v) & 0xFFFFFF00u) == 0x80000000u)
          v = static_cast<int32_t>(0xFF000000u | (static_cast<uint32_t>(v) & 0xFFu));
      }
      P->SetOrd(Instance, v);
      return;
    }
    case pkBoolean:
      needSetter(bool(P->SetOrd));
      P->SetOrd(Instance, ReadBoolean() ? 1 : 0);
      return;
    case pkEnumeration: {
      needSetter(bool(P->SetOrd));
      int64_t v;
      if (NextValue() == vaIdent) {
        const std::string ident = ReadIdent();
        v = GetEnumValue(P, ident);
        if (v < 0) Error(Format("Invalid property value %s for %s", ident, P->Name));
      } else {
        v = ReadInt64();
        if (!P->ValueNames.empty() && (v < 0 || v >= static_cast<int64_t>(P->ValueNames.size())))
          Error(Format("Invalid property value for %s", P->Name));
      }
      P->SetOrd(Instance, v);
      return;
    }
    case pkSet: {
      needSetter(bool(P->SetOrd));
      CheckValue(vaSet);
      uint64_t bits = 0;
      while (true) {
        const std::string ident = ReadStr();
        if (ident.empty()) break;
        const int i = GetEnumValue(P, ident);
        if (i < 0 || i > 63) Error(Format("Invalid set element %s for %s", ident, P->Name));
        bits |= uint64_t(1) << i;
      }
      P->SetOrd(Instance, static_cast<int64_t>(bits));
      return;
    }
    case pkFloat:
      needSetter(bool(P->SetFloat));
      P->SetFloat(Instance, ReadFloat());
      return;
    case pkString:
      needSetter(bool(P->SetStr));
      P->SetStr(Instance, ReadString());
      return;
    case pkVariant:
      needSetter(bool(P->SetVar));
      P->SetVar(Instance, ReadVariant());
      return;
    case pkEvent: Error(Format("Property %s cannot be read", P->Name));
    case pkComponent:
    case pkClass:
    case pkCollection:
    case pkStrings: {
      const TValueType t = NextValue();
      if (t == vaNil) {
        ReadValue();
        needSetter(bool(P->SetObj));
        P->SetObj(Instance, nullptr);
        return;
      }
      if (t == vaIdent && P->Kind != pkCollection && P->Kind != pkStrings) {
        needSetter(bool(P->SetObj));
        FFixups.push_back(TFixup{Instance, P, ReadIdent()});
        return;
      }
      TObject* o = P->GetObj ? P->GetObj(Instance) : nullptr;
      if (auto* collection = dynamic_cast<TCollection*>(o)) {
        CheckValue(vaCollection);
        ReadCollection(collection);
        return;
      }
      if (auto* strings = dynamic_cast<TStrings*>(o)) {
        ReadStringsValue(strings);
        return;
      }
      Error(Format("Invalid property value for %s", P->Name));
    }
  }
}

void TReader::ReadStringsValue(TStrings* Strings) {
  ReadListBegin();
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    while (!EndOfList()) Strings->Add(ReadString());
    ReadListEnd();
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

void TReader::ReadCollection(TCollection* Collection) {
  Enter();
  Collection->BeginUpdate();
  try {
    if (!EndOfList()) Collection->Clear();
    while (!EndOfList()) {
      const TValueType t = NextValue();
      if (t == vaInt8 || t == vaInt16 || t == vaInt32 || t == vaInt64) ReadInt64();  // the item's index
      ReadListBegin();
      TCollectionItem* item = nullptr;
      std::string first;
      if (!EndOfList()) {
        first = ReadStr();
        if (first.empty()) Error("Property name expected");
        if (SameText(first, "ItemClass")) {
          const std::string className = ReadString();
          const TRegisteredClass& rc = FindClass(className);
          if (!rc.ItemFactory || !rc.Class ||
              (Collection->ItemClass() && !TObject::ClassInheritsFrom(rc.Class, Collection->ItemClass())))
            Error(Format("Class %s is not an item class of this collection", className));
          item = rc.ItemFactory(Collection);
          if (item->Collection() != Collection) item->SetCollection(Collection);
          first.clear();
        }
      }
      if (!item) item = Collection->Add();
      if (!first.empty()) ReadPropertyNamed(item, first);
      while (!EndOfList()) ReadProperty(item);
      ReadListEnd();
    }
    ReadListEnd();
  } catch (...) {
    Collection->EndUpdate();
    throw;
  }
  Collection->EndUpdate();
  Leave();
}

void TReader::DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc, bool) {
  if (FPropHandled || !ReadData || !SameText(Name, FPropName)) return;
  FPropHandled = true;
  const std::string saved = FPropName;
  ReadData(this);
  // Reading nested properties inside ReadData changed these; this property is done.
  FPropName = saved;
  FPropHandled = true;
}

void TReader::DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc, bool) {
  if (FPropHandled || !ReadData || !SameText(Name, FPropName)) return;
  FPropHandled = true;
  const std::string saved = FPropName;
  CheckValue(vaBinary);
  uint32_t n;
  ReadRaw(&n, 4);
  if (n > Remaining()) Error("Binary value beyond the end of the stream");
  TMemoryStream bytes;
  bytes.SetSize(n);
  ReadRaw(bytes.Memory(), n);
  bytes.SetPosition(0);
  ReadData(&bytes);
  FPropName = saved;
  FPropHandled = true;
}

TComponent* TReader::FindReference(const std::string& Name) const {
  if (!FRoot || Name.empty()) return nullptr;
  if (SameText(FRoot->Name(), Name)) return FRoot;
  const size_t dot = Name.find('.');
  if (dot == std::string::npos) return FRoot->FindComponent(Name);
  const std::string owner = Name.substr(0, dot), rest = Name.substr(dot + 1);
  if (SameText(FRoot->Name(), owner)) return FRoot->FindComponent(rest);
  if (TComponent* c = FRoot->FindComponent(owner)) return c->FindComponent(rest);
  return nullptr;
}

void TReader::FixupReferences() {
  std::vector<TFixup> fixups;
  fixups.swap(FFixups);
  for (const TFixup& f : fixups)
    if (TComponent* c = FindReference(f.Name)) f.Prop->SetObj(f.Instance, c);
}

// ===================================================================================================
// Entry points on TComponent and TStream

void TComponent::ReadState(TReader* Reader) { Reader->ReadData(this); }
void TComponent::WriteState(TWriter* Writer) { Writer->WriteData(this); }
void TComponent::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  if (Root != this) return;
  const std::vector<TComponent*> owned = FComponents;
  for (TComponent* c : owned)
    if (!c->HasParent() && !c->ComponentStyle().Contains(csSubComponent) && !c->ComponentStyle().Contains(csTransient))
      Proc(c);
}

TComponent* TStream::ReadComponent(TComponent* Instance) {
  TReader reader(this);
  return reader.ReadRootComponent(Instance);
}
void TStream::WriteComponent(TComponent* Instance) {
  TWriter writer(this);
  writer.WriteRootComponent(Instance);
}

// ===================================================================================================
// Component resources

namespace {
std::map<std::string, std::vector<uint8_t>, bool (*)(const std::string&, const std::string&)>& Resources() {
  static std::map<std::string, std::vector<uint8_t>, bool (*)(const std::string&, const std::string&)> r(
      [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
  return r;
}
}  // namespace

void RegisterComponentResource(const std::string& ClassName, std::vector<uint8_t> Bytes) {
  Resources()[ClassName] = std::move(Bytes);
}

bool InitInheritedComponent(TComponent* Instance, TClass RootAncestor) {
  std::vector<const std::vector<uint8_t>*> chain;
  for (TClass c = Instance->ClassType(); c && c != RootAncestor; c = c->Parent) {
    auto it = Resources().find(c->Name);
    if (it != Resources().end()) chain.push_back(&it->second);
  }
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    TMemoryStream s;
    if (!(*it)->empty()) s.WriteBuffer((*it)->data(), static_cast<int64_t>((*it)->size()));
    s.SetPosition(0);
    TReader reader(&s);
    reader.ReadRootComponent(Instance);
  }
  return !chain.empty();
}

// ===================================================================================================
// Text form

namespace {
class TTextDumper {
 public:
  explicit TTextDumper(TStream* S) : FReader(S), FStream(S) {}
  std::string Run() {
    FReader.ReadSignature();
    Object(0);
    return FOut;
  }

 private:
  static std::string Quoted(const std::string& S) {
    std::string q = "'";
    for (char c : S) q += c == '\'' ? std::string("''") : std::string(1, c);
    return q + "'";
  }
  void Line(int Indent, const std::string& Text) { FOut += std::string(static_cast<size_t>(Indent) * 2, ' ') + Text + "\n"; }
  void Object(int Indent) {
    if (Indent > 2 * TFiler::MaxNesting) throw EReadError("Stream nested too deeply");
    const std::string cls = FReader.ReadStr(), name = FReader.ReadStr();
    Line(Indent, "object " + (name.empty() ? cls : name + ": " + cls));
    while (!FReader.EndOfList()) {
      const std::string prop = FReader.ReadStr();
      Line(Indent + 1, prop + " = " + Value(Indent + 1));
    }
    FReader.ReadListEnd();
    while (!FReader.EndOfList()) Object(Indent + 1);
    FReader.ReadListEnd();
    Line(Indent, "end");
  }
  std::string Value(int Indent) {
    if (Indent > 2 * TFiler::MaxNesting) throw EReadError("Stream nested too deeply");
    static const TFormatSettings fs = [] {
      TFormatSettings f;
      f.DecimalSeparator = '.';
      return f;
    }();
    switch (FReader.NextValue()) {
      case vaInt8:
      case vaInt16:
      case vaInt32:
      case vaInt64: return IntToStr(FReader.ReadInt64());
      case vaDouble: return FloatToStr(FReader.ReadFloat(), fs);
      case vaCurrency: return FloatToStr(static_cast<long double>(FReader.ReadCurrency().Value) / 10000.0L, fs) + "c";
      case vaDate: return FloatToStr(FReader.ReadDate(), fs) + "d";
      case vaString: return Quoted(FReader.ReadString());
      case vaIdent:
      case vaFalse:
      case vaTrue:
      case vaNil: return FReader.ReadIdent();
      case vaSet: {
        FReader.ReadValue();
        std::string out = "[";
        for (std::string e = FReader.ReadStr(); !e.empty(); e = FReader.ReadStr()) out += (out.size() > 1 ? ", " : "") + e;
        return out + "]";
      }
      case vaBinary: {
        FReader.ReadValue();
        uint32_t n = 0;
        if (FStream->Read(&n, 4) != 4 || n > FStream->Size() - FStream->Position()) throw EReadError("Binary value beyond the end of the stream");
        std::vector<uint8_t> bytes(n);
        FStream->ReadBuffer(bytes.data(), n);
        std::string out = "{";
        for (uint8_t b : bytes) out += IntToHex(static_cast<int32_t>(b), 2);
        return out + "}";
      }
      case vaList: {
        FReader.ReadListBegin();
        std::string out = "(";
        while (!FReader.EndOfList()) out += (out.size() > 1 ? " " : "") + Value(Indent + 1);
        FReader.ReadListEnd();
        return out + ")";
      }
      case vaCollection: {
        if (Indent > 2 * TFiler::MaxNesting) throw EReadError("Stream nested too deeply");
        FReader.ReadValue();
        std::string out = "<";
        while (!FReader.EndOfList()) {
          const TValueType t = FReader.NextValue();
          std::string head = "item";
          if (t == vaInt8 || t == vaInt16 || t == vaInt32 || t == vaInt64) head += " [" + IntToStr(FReader.ReadInt64()) + "]";
          FReader.ReadListBegin();
          out += "\n" + std::string(static_cast<size_t>(Indent + 1) * 2, ' ') + head + "\n";
          while (!FReader.EndOfList()) {
            const std::string prop = FReader.ReadStr();
            const std::string v = Value(Indent + 2);
            out += std::string(static_cast<size_t>(Indent + 2) * 2, ' ') + prop + " = " + v + "\n";
          }
          FReader.ReadListEnd();
          out += std::string(static_cast<size_t>(Indent + 1) * 2, ' ') + "end";
        }
        FReader.ReadListEnd();
        return out + ">";
      }
      default: throw EReadError("Value expected");
    }
  }
  TReader FReader;
  TStream* FStream;
  std::string FOut;
};
}  // namespace

std::string ObjectBinaryToText(TStream* Input) { return TTextDumper(Input).Run(); }
