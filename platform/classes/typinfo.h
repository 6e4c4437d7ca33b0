#pragma once
// Published-property tables: for each class declared with DECLARE_PUBLISHED_CLASS, the list of its
// published properties in declaration order, after those inherited from the parent class's table. A
// property has a name, a kind, typed get and set functions, a default and a "stored" predicate; the
// component writer and reader (filer.h) and the generic GetOrdProp/SetStrProp/... routines work on it.
//
// Declaring a table takes a line per property:
//
//   class TMyLabel : public TComponent {
//     DECLARE_PUBLISHED_CLASS(TMyLabel, TComponent)
//     static void DeclarePublished(TPublished<TMyLabel>& P) {
//       P.Integer("Width", &TMyLabel::Width, &TMyLabel::SetWidth).Default(64);
//       P.Enum("Align", &TMyLabel::Align, &TMyLabel::SetAlign, {"alNone", "alTop", "alBottom"});
//       P.Object("Font", &TMyLabel::Font);                  // sub-object, written as "Font.Size"
//       P.String("Caption", &TMyLabel::Caption, &TMyLabel::SetCaption).Stored(&TMyLabel::IsCaptionStored);
//     }
//     ...
//   };
//
// Getters and setters are member functions or lambdas taking the object (T*). A write-only property
// (one a settings store only reads back) passes nullptr as its getter and a member function as its
// setter; it is never written. Declaring a name the parent already has replaces the parent's entry in
// place (to change a default or the stored rule).
//
// What is written (with no ancestor to compare with): an ordinal property (integer, Boolean, colour,
// enumeration, set) when it has no default or differs from it; a float when it differs from its
// default (0 unless given); a string when not empty; a variant when neither Empty nor Null; a
// component reference when assigned; a collection or string list when it has items; a sub-object
// through its own properties. Properties without a setter are not written, except sub-objects,
// collections and string lists, which are read into the existing object. The stored predicate, when
// it says false, suppresses the property. Events are listed (kind pkEvent) but never streamed.

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/rtl/variants.h"

RTL_DECLARE_EXCEPTION(EPropertyError, Exception)
RTL_DECLARE_EXCEPTION(EPropertyConvertError, Exception)

enum TPropKind {
  pkInteger,      // up to 64-bit signed integers
  pkBoolean,
  pkFloat,
  pkString,
  pkColor,        // an integer colour value
  pkEnumeration,  // ordinal with value names
  pkSet,          // bits over the value names (0..63)
  pkClass,        // an owned sub-object (TPersistent), written through its own properties
  pkCollection,   // a TCollection
  pkStrings,      // a TStrings
  pkComponent,    // a reference to another component, written by name
  pkEvent,        // an event handler (not streamed)
  pkVariant,
};

struct TPropInfo {
  std::string Name;
  TPropKind Kind = pkInteger;
  std::vector<std::string> ValueNames;  // enumeration and set
  TClass PropClass = nullptr;           // class kinds: the declared class (may be nullptr)
  bool HasDefault = false;              // ordinal kinds: DefaultValue applies
  int64_t DefaultValue = 0;
  long double FloatDefault = 0;

  std::function<int64_t(TObject*)> GetOrd;
  std::function<void(TObject*, int64_t)> SetOrd;
  std::function<long double(TObject*)> GetFloat;
  std::function<void(TObject*, long double)> SetFloat;
  std::function<std::string(TObject*)> GetStr;
  std::function<void(TObject*, const std::string&)> SetStr;
  std::function<TObject*(TObject*)> GetObj;
  std::function<void(TObject*, TObject*)> SetObj;
  std::function<Variant(TObject*)> GetVar;
  std::function<void(TObject*, const Variant&)> SetVar;
  std::function<bool(TObject*)> StoredFn;
  bool StoredConst = true;

  // Modifiers used while declaring.
  TPropInfo& SetDefault(int64_t Value) {
    HasDefault = true;
    DefaultValue = Value;
    FloatDefault = static_cast<long double>(Value);
    return *this;
  }
  template <typename V>
  TPropInfo& Default(V Value) {
    if constexpr (std::is_floating_point_v<V>) {
      FloatDefault = Value;
      HasDefault = true;
      return *this;
    } else if constexpr (requires { Value.ToBits(); }) {
      return SetDefault(static_cast<int64_t>(Value.ToBits()));
    } else {
      return SetDefault(static_cast<int64_t>(Value));
    }
  }
  TPropInfo& NoDefault() {
    HasDefault = false;
    return *this;
  }
  TPropInfo& Stored(bool Value) {
    StoredConst = Value;
    StoredFn = nullptr;
    return *this;
  }
  // A member predicate (bool IsXStored() const) of the declaring class.
  template <typename C>
  TPropInfo& Stored(bool (C::*Fn)() const) {
    StoredFn = [Fn](TObject* O) { return (static_cast<C*>(O)->*Fn)(); };
    return *this;
  }
  template <typename C>
  TPropInfo& Stored(bool (C::*Fn)()) {
    StoredFn = [Fn](TObject* O) { return (static_cast<C*>(O)->*Fn)(); };
    return *this;
  }
  TPropInfo& StoredWhen(std::function<bool(TObject*)> Fn) {
    StoredFn = std::move(Fn);
    return *this;
  }
  bool Writable() const { return SetOrd || SetFloat || SetStr || SetObj || SetVar; }
  bool IsOrdinal() const {
    return Kind == pkInteger || Kind == pkBoolean || Kind == pkColor || Kind == pkEnumeration || Kind == pkSet;
  }
};
using PPropInfo = const TPropInfo*;

struct TPropList {
  std::vector<std::shared_ptr<TPropInfo>> Props;  // inherited entries are shared with the parent
  int Count() const { return static_cast<int>(Props.size()); }
  const TPropInfo* Find(const std::string& Name) const;  // ignoring ASCII case; nullptr when none
};

// The table of a class: its own, or the nearest ancestor's; nullptr when no class up the chain has one.
const TPropList* GetPropList(TClass AClass);

// The value type of a property: the getter's result, or for a write-only property (getter nullptr)
// the setter's parameter.
template <typename S>
struct TSetterArg {};
template <typename C, typename A>
struct TSetterArg<void (C::*)(A)> {
  using type = std::remove_cvref_t<A>;
};
template <typename T, typename G, typename S>
struct TPropValueType {
  using type = std::remove_cvref_t<std::invoke_result_t<G, T*>>;
};
template <typename T, typename S>
struct TPropValueType<T, std::nullptr_t, S> {
  using type = typename TSetterArg<S>::type;
};

template <typename T>
class TPublished {
 public:
  explicit TPublished(TPropList& List) : FList(List) {}

  template <typename G, typename S = std::nullptr_t>
  TPropInfo& Integer(const char* Name, G Get, S Set = nullptr) { return Ord(Name, pkInteger, Get, Set); }
  template <typename G, typename S = std::nullptr_t>
  TPropInfo& Boolean(const char* Name, G Get, S Set = nullptr) { return Ord(Name, pkBoolean, Get, Set); }
  template <typename G, typename S = std::nullptr_t>
  TPropInfo& Color(const char* Name, G Get, S Set = nullptr) { return Ord(Name, pkColor, Get, Set); }
  template <typename G, typename S = std::nullptr_t>
  TPropInfo& Enum(const char* Name, G Get, S Set, std::initializer_list<const char*> Names) {
    TPropInfo& p = Ord(Name, pkEnumeration, Get, Set);
    p.ValueNames.assign(Names.begin(), Names.end());
    return p;
  }
  // Get returns a TSet<E> (anything with ToBits/FromBits).
  template <typename G, typename S = std::nullptr_t>
  TPropInfo& Set(const char* Name, G Get, S SetFn, std::initializer_list<const char*> Names) {
    using V = Value<G>;
    TPropInfo& p = Make(Name, pkSet);
    p.ValueNames.assign(Names.begin(), Names.end());
    p.GetOrd = [Get](TObject* O) { return static_cast<int64_t>(std::invoke(Get, Self(O)).ToBits()); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrd = [SetFn](TObject* O, int64_t B) { std::invoke(SetFn, Self(O), V::FromBits(static_cast<uint64_t>(B))); };
    return p;
  }
  template <typename G, typename S = std::nullptr_t>
  TPropInfo& Float(const char* Name, G Get, S Set = nullptr) {
    using V = typename TPropValueType<T, G, S>::type;
    TPropInfo& p = Make(Name, pkFloat);
    if constexpr (!std::is_null_pointer_v<G>)
      p.GetFloat = [Get](TObject* O) { return static_cast<long double>(std::invoke(Get, Self(O))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetFloat = [Set](TObject* O, long double X) { std::invoke(Set, Self(O), static_cast<V>(X)); };
    return p;
  }
  template <typename G, typename S = std::nullptr_t>
  TPropInfo& String(const char* Name, G Get, S Set = nullptr) {
    TPropInfo& p = Make(Name, pkString);
    if constexpr (!std::is_null_pointer_v<G>)
      p.GetStr = [Get](TObject* O) { return std::string(std::invoke(Get, Self(O))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetStr = [Set](TObject* O, const std::string& X) { std::invoke(Set, Self(O), X); };
    return p;
  }
  template <typename G, typename S = std::nullptr_t>
  TPropInfo& VariantProp(const char* Name, G Get, S Set = nullptr) {
    TPropInfo& p = Make(Name, pkVariant);
    p.GetVar = [Get](TObject* O) { return ::Variant(std::invoke(Get, Self(O))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetVar = [Set](TObject* O, const ::Variant& X) { std::invoke(Set, Self(O), X); };
    return p;
  }
  // A sub-object owned by the object (a TPersistent; a TComponent marked as sub-component too).
  template <typename G, typename S = std::nullptr_t>
  TPropInfo& Object(const char* Name, G Get, S Set = nullptr) { return Obj(Name, pkClass, Get, Set); }
  template <typename G, typename S = std::nullptr_t>
  TPropInfo& Collection(const char* Name, G Get, S Set = nullptr) { return Obj(Name, pkCollection, Get, Set); }
  template <typename G, typename S = std::nullptr_t>
  TPropInfo& Strings(const char* Name, G Get, S Set = nullptr) { return Obj(Name, pkStrings, Get, Set); }
  // A reference to a component that someone else owns; written by name, resolved after reading.
  template <typename G, typename S = std::nullptr_t>
  TPropInfo& Component(const char* Name, G Get, S Set = nullptr) { return Obj(Name, pkComponent, Get, Set); }
  TPropInfo& Event(const char* Name) { return Make(Name, pkEvent); }

 private:
  template <typename G>
  using Value = std::remove_cvref_t<std::invoke_result_t<G, T*>>;
  static T* Self(TObject* O) { return static_cast<T*>(O); }

  TPropInfo& Make(const char* Name, TPropKind Kind) {
    auto p = std::make_shared<TPropInfo>();
    p->Name = Name;
    p->Kind = Kind;
    for (auto& q : FList.Props)
      if (SameText(q->Name, Name)) {
        q = p;
        return *p;
      }
    FList.Props.push_back(p);
    return *p;
  }
  template <typename G, typename S>
  TPropInfo& Ord(const char* Name, TPropKind Kind, G Get, S Set) {
    using V = typename TPropValueType<T, G, S>::type;
    TPropInfo& p = Make(Name, Kind);
    if constexpr (!std::is_null_pointer_v<G>)
      p.GetOrd = [Get](TObject* O) { return static_cast<int64_t>(std::invoke(Get, Self(O))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrd = [Set](TObject* O, int64_t X) { std::invoke(Set, Self(O), static_cast<V>(X)); };
    return p;
  }
  template <typename G, typename S>
  TPropInfo& Obj(const char* Name, TPropKind Kind, G Get, S Set) {
    using P = std::remove_cv_t<std::remove_pointer_t<typename TPropValueType<T, G, S>::type>>;
    TPropInfo& p = Make(Name, Kind);
    p.PropClass = P::StaticClass();
    if constexpr (!std::is_null_pointer_v<G>)
      p.GetObj = [Get](TObject* O) -> TObject* {
        decltype(auto) v = std::invoke(Get, Self(O));
        if constexpr (std::is_pointer_v<std::remove_cvref_t<decltype(v)>>)
          return const_cast<std::remove_cv_t<std::remove_pointer_t<std::remove_cvref_t<decltype(v)>>>*>(v);
        else
          return const_cast<std::remove_cvref_t<decltype(v)>*>(&v);  // a getter returning a reference
      };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetObj = [Set](TObject* O, TObject* X) {
        P* v = X ? dynamic_cast<P*>(X) : nullptr;
        if (X && !v) throw EPropertyConvertError("Invalid property value");
        std::invoke(Set, Self(O), v);
      };
    return p;
  }
  TPropList& FList;
};

// Builds a class's table once: the parent's entries, then the class's own DeclarePublished.
template <typename T>
struct TPublishedTable {
  static const TPropList* Get() {
    static const TPropList* const table = [] {
      auto* list = new TPropList();  // lives as long as the program, like the class itself
      if (const TPropList* parent = GetPropList(T::StaticClass()->Parent)) list->Props = parent->Props;
      TPublished<T> p(*list);
      T::DeclarePublished(p);
      return list;
    }();
    return table;
  }
};

// Like DECLARE_CLASS, and gives the class a published-property table made by its static
// DeclarePublished(TPublished<Name>&).
#define DECLARE_PUBLISHED_CLASS(Name, ParentName)                                                      \
 public:                                                                                               \
  static TClass StaticClass() {                                                                        \
    static const TClassInfo FClassInfo{#Name, ParentName::StaticClass(), &TPublishedTable<Name>::Get}; \
    return &FClassInfo;                                                                                \
  }                                                                                                    \
  TClass ClassType() const override { return StaticClass(); }                                         \
                                                                                                       \
 public:

// ---------------------------------------------------------------------------------------------------
// Generic access by name. Unknown names raise EPropertyError ("Property Xyz does not exist"); a value
// of the wrong kind or a read-only property raises EPropertyConvertError.

const TPropInfo* GetPropInfo(TClass AClass, const std::string& PropName);  // nullptr when none
const TPropInfo* GetPropInfo(const TObject* Instance, const std::string& PropName);
bool IsPublishedProp(const TObject* Instance, const std::string& PropName);
TPropKind PropType(const TObject* Instance, const std::string& PropName);

int64_t GetOrdProp(TObject* Instance, const TPropInfo* PropInfo);
void SetOrdProp(TObject* Instance, const TPropInfo* PropInfo, int64_t Value);
int64_t GetOrdProp(TObject* Instance, const std::string& PropName);
void SetOrdProp(TObject* Instance, const std::string& PropName, int64_t Value);
long double GetFloatProp(TObject* Instance, const std::string& PropName);
void SetFloatProp(TObject* Instance, const std::string& PropName, long double Value);
std::string GetStrProp(TObject* Instance, const std::string& PropName);
void SetStrProp(TObject* Instance, const std::string& PropName, const std::string& Value);
TObject* GetObjectProp(TObject* Instance, const std::string& PropName);
void SetObjectProp(TObject* Instance, const std::string& PropName, TObject* Value);
Variant GetVariantProp(TObject* Instance, const std::string& PropName);
void SetVariantProp(TObject* Instance, const std::string& PropName, const Variant& Value);
// Enumerations by value name; sets as comma-separated value names ("a,c").
std::string GetEnumProp(TObject* Instance, const std::string& PropName);
void SetEnumProp(TObject* Instance, const std::string& PropName, const std::string& Value);
std::string GetSetProp(TObject* Instance, const std::string& PropName);
void SetSetProp(TObject* Instance, const std::string& PropName, const std::string& Value);
// Any property as a variant (ordinals as Int64, enumerations by name, objects not supported).
Variant GetPropValue(TObject* Instance, const std::string& PropName);
void SetPropValue(TObject* Instance, const std::string& PropName, const Variant& Value);

std::string GetEnumName(const TPropInfo* PropInfo, int64_t Value);  // "" outside the names
int GetEnumValue(const TPropInfo* PropInfo, const std::string& Name);  // -1 when none; ignores case
bool IsStoredProp(TObject* Instance, const TPropInfo* PropInfo);
// Whether the property holds its default (no ancestor compared): the rules in the header comment.
bool IsDefaultPropertyValue(TObject* Instance, const TPropInfo* PropInfo);
