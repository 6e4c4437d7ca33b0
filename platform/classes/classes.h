#pragma once
// The class-library core: TObject with class references and a class registry, TPersistent, TComponent
// (ownership, names, free notifications), TCollection, TList, TStrings/TStringList and streams.
// Properties are a getter named like the property and a setter SetX; events are std::function members.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/rtl/sysutils.h"

class TObject;
class TPersistent;
class TComponent;
class TCollection;
class TCollectionItem;
class TStream;
class TFiler;   // binary component streaming: filer.h
class TReader;
class TWriter;
struct TPropList;  // published-property tables: typinfo.h

// ---------------------------------------------------------------------------------------------------
// Class references

// One per class: its name, its parent's reference and, for classes declared with
// DECLARE_PUBLISHED_CLASS (typinfo.h), the maker of its published-property table. A TClass is compared
// by pointer.
struct TClassInfo {
  const char* Name;
  const TClassInfo* Parent;
  const TPropList* (*PropTable)() = nullptr;
};
using TClass = const TClassInfo*;

// Put DECLARE_CLASS(TMyClass, TParent) first in every class derived from TObject; it gives the class
// its own ClassName and class reference. It leaves the class body in "public:".
#define DECLARE_CLASS(Name, ParentName)                                                        \
 public:                                                                                       \
  static TClass StaticClass() {                                                                \
    static const TClassInfo FClassInfo{#Name, ParentName::StaticClass(), nullptr};             \
    return &FClassInfo;                                                                        \
  }                                                                                            \
  TClass ClassType() const override { return StaticClass(); }                                 \
                                                                                               \
 public:

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static TClass StaticClass() {
    static const TClassInfo FClassInfo{"TObject", nullptr, nullptr};
    return &FClassInfo;
  }
  virtual TClass ClassType() const { return StaticClass(); }
  std::string ClassName() const { return ClassType()->Name; }
  TClass ClassParent() const { return ClassType()->Parent; }
  bool InheritsFrom(TClass AClass) const;
  // By name, ignoring ASCII case, as the class library compares class names.
  bool InheritsFrom(const std::string& AClassName) const;
  bool ClassNameIs(const std::string& AName) const;
  static bool ClassInheritsFrom(TClass AClass, TClass Ancestor);
  // Hook run by code that creates objects through the registry after the constructor finished.
  virtual void AfterConstruction() {}
  // Interface lookup by identifier (see Supports below): the default finds the interface through the
  // C++ type system for every interface declared with DECLARE_INTERFACE_ID; an object that hands out
  // an interface of another object (delegation) overrides this.
  virtual bool GetInterface(const struct TGUID& IID, void*& Obj);
};

// Checked down-cast: nullptr stays nullptr; an object of another class raises EInvalidCast
// ("Invalid class typecast").
template <typename T>
T* As(TObject* Obj) {
  if (!Obj) return nullptr;
  if (auto* p = dynamic_cast<T*>(Obj)) return p;
  throw EInvalidCast("Invalid class typecast");
}
template <typename T>
bool Is(const TObject* Obj) {
  return dynamic_cast<const T*>(Obj) != nullptr;
}
// Interface query through the C++ type system (interfaces are abstract classes).
template <typename I, typename O>
bool Supports(O* Obj, I*& Intf) {
  Intf = dynamic_cast<I*>(Obj);
  return Intf != nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Interfaces with identifiers
//
// An interface is an abstract class derived from IInterface that names its identifier with
// DECLARE_INTERFACE_ID(IName, "{8-4-4-4-12 hex digits}"). There is no reference counting: an interface
// pointer borrows the object, which its owner frees as usual. Supports(Obj, IID, Out) asks the object
// (TObject::GetInterface), so an object may also answer for an interface it delegates.

struct TGUID {
  uint32_t D1 = 0;
  uint16_t D2 = 0, D3 = 0;
  uint8_t D4[8] = {};
  friend bool operator==(const TGUID& A, const TGUID& B) = default;
  friend auto operator<=>(const TGUID& A, const TGUID& B) = default;
};
// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" (braces optional); EConvertError on bad text.
TGUID StringToGUID(const std::string& S);
std::string GUIDToString(const TGUID& G);  // upper-case, with braces
bool IsEqualGUID(const TGUID& A, const TGUID& B);

// Records how to find an interface of an object by its identifier; returns the identifier.
using TInterfaceCaster = void* (*)(TObject*);
const TGUID& RegisterInterfaceId(const TGUID& IID, TInterfaceCaster Caster);

#define DECLARE_INTERFACE_ID(IName, GuidText)                                                            \
 public:                                                                                                 \
  static const TGUID& IID() {                                                                            \
    static const TGUID& FId = RegisterInterfaceId(StringToGUID(GuidText), [](TObject* O) -> void* {      \
      IName* i = dynamic_cast<IName*>(O);                                                                \
      return i;                                                                                          \
    });                                                                                                  \
    return FId;                                                                                          \
  }

class IInterface {
  DECLARE_INTERFACE_ID(IInterface, "{7A3C1E52-5B0D-4F61-9E22-0C4D8A1B6F10}")
  virtual ~IInterface() = default;
};

// True when Obj (not nullptr) has the interface; Intf receives it (nullptr otherwise).
bool Supports(TObject* Obj, const TGUID& IID, void*& Intf);
bool Supports(TObject* Obj, const TGUID& IID);
template <typename I>
bool Supports(TObject* Obj, const TGUID& IID, I*& Intf) {
  void* p = nullptr;
  const bool ok = Supports(Obj, IID, p);
  Intf = ok ? static_cast<I*>(p) : nullptr;
  return ok;
}

// Frees the object and clears the variable first, so the variable never points at a freed object.
template <typename T>
void FreeAndNil(T*& Obj) {
  T* tmp = Obj;
  Obj = nullptr;
  delete tmp;
}
template <typename T>
constexpr bool Assigned(const T* Obj) {
  return Obj != nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Class registry (virtual constructors by name)

// Makes a new object. For components the new object belongs to AOwner (when not nullptr); any other
// object belongs to the caller.
using TObjectFactory = std::function<TObject*(TComponent* AOwner)>;

// Makes a new collection item inside the given collection (for item classes).
using TItemFactory = std::function<TCollectionItem*(TCollection* ACollection)>;

struct TRegisteredClass {
  TClass Class = nullptr;
  TObjectFactory Factory;
  TItemFactory ItemFactory;  // set for collection item classes (constructible from a collection)
};

// Registering a name twice in one class group keeps the first registration (as the class library
// does).
void RegisterClass(const std::string& Name, TClass AClass, TObjectFactory Factory);
void RegisterClass(const std::string& Name, TObjectFactory Factory);  // Class stays nullptr
void RegisterItemClass(const std::string& Name, TClass AClass, TItemFactory Factory);
template <typename T>
void RegisterClass() {
  if constexpr (std::is_constructible_v<T, TCollection*> && !std::is_constructible_v<T, TComponent*>)
    RegisterItemClass(T::StaticClass()->Name, T::StaticClass(), [](TCollection* c) -> TCollectionItem* { return new T(c); });
  else if constexpr (std::is_constructible_v<T, TComponent*>)
    RegisterClass(T::StaticClass()->Name, T::StaticClass(), [](TComponent* o) -> TObject* { return new T(o); });
  else
    RegisterClass(T::StaticClass()->Name, T::StaticClass(), [](TComponent*) -> TObject* { return new T(); });
}
template <typename... T>
void RegisterClasses() {
  (RegisterClass<T>(), ...);
}
void UnRegisterClass(const std::string& Name);
void UnRegisterClass(TClass AClass);  // removes the registrations of exactly this class
template <typename... T>
void UnRegisterClasses() {
  (UnRegisterClass(T::StaticClass()), ...);
}
// The registration of a class reference; nullptr when the class is not registered.
const TRegisteredClass* GetClass(TClass AClass);

// Class groups. Registered classes fall into groups; a name may be registered once per group, and
// GetClass/FindClass prefer the active group's class of a name, then the earliest registered one.
// StartClassGroup(C) starts a group for C and its descendants; GroupDescendentsWith(C, A) puts C's
// descendants in the group of A; ActivateClassGroup(C) activates the group holding C and returns the
// root class of the group that was active before. The default group holds every other class.
void StartClassGroup(TClass AClass);
void GroupDescendentsWith(TClass AClass, TClass AncestorClass);
TClass ActivateClassGroup(TClass AClass);
// The root class of the group C falls into (nullptr for the default group).
TClass ClassGroupOf(TClass AClass);
// nullptr when the name is not registered (names compare ignoring ASCII case).
const TRegisteredClass* GetClass(const std::string& Name);
// Raises EClassNotFound ("Class %s not found").
const TRegisteredClass& FindClass(const std::string& Name);
// Makes an object of a registered class (EClassNotFound). The result is owned by the caller.
std::unique_ptr<TObject> CreateObject(const std::string& Name);
// Makes a component of a registered class owned by AOwner (EClassNotFound, EInvalidCast when the class
// is not a component).
TComponent* CreateComponent(const std::string& Name, TComponent* AOwner);

// ---------------------------------------------------------------------------------------------------
// TPersistent

class TPersistent : public TObject {
  DECLARE_CLASS(TPersistent, TObject)
  // Copies Source into this object; the default asks Source to AssignTo this object, and raises
  // EConvertError ("Cannot assign a TFont to a TBrush", "Cannot assign a nil to a TFont") when neither
  // side knows the other.
  virtual void Assign(TPersistent* Source);
  virtual std::string GetNamePath();

 protected:
  virtual void AssignTo(TPersistent* Dest);
  virtual TPersistent* GetOwner() { return nullptr; }
  // Extra non-property data for component streaming: an override calls the inherited one, then
  // Filer->DefineProperty / DefineBinaryProperty for each value it stores (filer.h).
  virtual void DefineProperties(TFiler* /*Filer*/) {}
  [[noreturn]] void AssignError(TPersistent* Source);
  friend class TFiler;
};

// ---------------------------------------------------------------------------------------------------
// TComponent

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating, csFixups,
  csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateFlag>;

enum TComponentStyleFlag { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyle = TSet<TComponentStyleFlag>;

class TComponent : public TPersistent {
  DECLARE_CLASS(TComponent, TPersistent)
  // The new component belongs to AOwner (when not nullptr) and is freed with it.
  explicit TComponent(TComponent* AOwner);
  // Tells free-notification clients, frees the owned components (last first) and leaves the owner.
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;  // EListError when out of bounds
  int ComponentIndex() const;               // position in the owner's list, -1 without owner
  void SetComponentIndex(int Value);

  const std::string& Name() const { return FName; }
  // Must be a valid identifier or empty, unique (ignoring ASCII case) among the owner's components.
  // Raises EComponentError ("'1x' is not a valid component name", "A component named X already
  // exists").
  virtual void SetName(const std::string& NewName);
  intptr_t Tag() const { return FTag; }
  void SetTag(intptr_t Value) { FTag = Value; }
  TComponentState ComponentState() const { return FComponentState; }
  TComponentStyle ComponentStyle() const { return FComponentStyle; }

  // Finds an owned component by name (ignoring ASCII case); nullptr when none.
  TComponent* FindComponent(const std::string& AName) const;
  // Makes this component the owner of AComponent (which leaves its previous owner).
  void InsertComponent(TComponent* AComponent);
  // Releases AComponent from this owner without freeing it.
  void RemoveComponent(TComponent* AComponent);
  // Frees every owned component, last first.
  void DestroyComponents();
  // Asks to be told (Notification with opRemove) when AComponent is freed; the link goes both ways.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);
  // Sets csDestroying here and in every owned component. ~TComponent calls it; a descendant whose
  // destructor needs the flag seen by its children calls it first.
  void Destroying();

  // Loading protocol: a reader sets csLoading/csReading, reads, then calls Loaded.
  void SetLoading(bool Value);
  // After loading (called by whoever loaded the component): clears csLoading.
  virtual void Loaded();
  void SetDesigning(bool Value, bool SetChildren = true);
  bool IsLoading() const { return FComponentState.Contains(csLoading); }
  bool IsDesigning() const { return FComponentState.Contains(csDesigning); }
  bool IsDestroying() const { return FComponentState.Contains(csDestroying); }

  std::string GetNamePath() override;

  // Streaming state flags; the reader and writer set them, a loader of its own may too.
  void SetComponentStateFlag(TComponentStateFlag Flag, bool On) {
    if (On) FComponentState.Include(Flag);
    else FComponentState.Exclude(Flag);
  }
  void SetSubComponent(bool Value) {
    if (Value) FComponentStyle.Include(csSubComponent);
    else FComponentStyle.Exclude(csSubComponent);
  }
  // A component that sits inside another one (a control in its parent control) says so: the root does
  // not list it among its children for streaming; its parent's GetChildren does, and the reader hands
  // it the component whose child list it was read from through SetParentComponent (nullptr takes it
  // out of its parent again).
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }

 protected:
  // Component streaming (filer.h). ReadState reads this component's properties and children from the
  // reader (a form that adjusts itself after reading its resource overrides it and calls the
  // inherited one); WriteState writes them. GetChildren lists the components written after this one's
  // properties: the default lists, for the root only, the owned components that have no parent and
  // are neither sub-components nor transient.
  virtual void ReadState(TReader* Reader);
  virtual void WriteState(TWriter* Writer);
  virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root);
  virtual void SetParentComponent(TComponent* /*Value*/) {}
  // Called when AComponent is inserted into or removed from the owner, or when a component this one
  // asked to be told about is freed. The default clears the free-notification link and passes the
  // call to every owned component.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName);
  virtual void ValidateInsert(TComponent* /*AComponent*/) {}
  virtual void ValidateContainer(TComponent* AComponent);
  TPersistent* GetOwner() override { return FOwner; }
  TComponentState FComponentState;
  TComponentStyle FComponentStyle{csInheritable};

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void NotifyAll(TComponent* AComponent, TOperation Operation);
  void AddFreeNotify(TComponent* AComponent);
  void DropFreeNotify(TComponent* AComponent);

  TComponent* FOwner = nullptr;
  std::string FName;
  intptr_t FTag = 0;
  std::vector<TComponent*> FComponents;    // owned
  std::vector<TComponent*> FFreeNotifies;  // borrowed, both ways
  // Owned components by upper-case name, made once the owner holds many (FindComponent then takes
  // constant time instead of a walk over every name).
  mutable std::unique_ptr<std::unordered_map<std::string, TComponent*>> FNameIndex;
  uint64_t FComponentsVersion = 0;  // changes whenever FComponents does
  void IndexName(TComponent* AComponent);
  void UnindexName(TComponent* AComponent);
  friend class TReader;
  friend class TWriter;
};

// ---------------------------------------------------------------------------------------------------
// TCollection

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
  DECLARE_CLASS(TCollectionItem, TPersistent)
  // Joins ACollection (when not nullptr) at its end.
  explicit TCollectionItem(TCollection* ACollection);
  // Leaves its collection.
  ~TCollectionItem() override;

  TCollection* Collection() const { return FCollection; }
  void SetCollection(TCollection* Value);
  int ID() const { return FID; }
  int Index() const;
  virtual void SetIndex(int Value);
  virtual std::string DisplayName() { return ClassName(); }
  std::string GetDisplayName() { return DisplayName(); }
  virtual void SetDisplayName(const std::string& Value);
  std::string GetNamePath() override;

 protected:
  // Tells the collection that this item (AllItems false) or the whole collection changed.
  void Changed(bool AllItems);
  TPersistent* GetOwner() override;

 private:
  TCollection* FCollection = nullptr;
  int FID = 0;
  friend class TCollection;
};

// Makes a new item inside the given collection (the item adds itself in its constructor).
using TCollectionItemFactory = std::function<TCollectionItem*(TCollection*)>;

template <typename TItem>
TCollectionItemFactory MakeItemFactory() {
  return [](TCollection* C) -> TCollectionItem* { return new TItem(C); };
}

class TCollection : public TPersistent {
  DECLARE_CLASS(TCollection, TPersistent)
  // Items of the collection are made by ItemFactory; ItemClass names their class.
  TCollection(TClass AItemClass, TCollectionItemFactory ItemFactory);
  ~TCollection() override;  // frees every item

  TClass ItemClass() const { return FItemClass; }
  int Count() const { return static_cast<int>(FItems.size()); }
  TCollectionItem* Items(int Index) const;  // EListError ("List index out of bounds (%d)")
  TCollectionItem* operator[](int Index) const { return Items(Index); }
  void SetItems(int Index, TCollectionItem* Value) { Items(Index)->Assign(Value); }
  TCollectionItem* Add();
  // A new item of the given class (ItemClass or a descendant registered with RegisterClass), made
  // through its registered item factory; EInvalidOperation when the class is not such a class.
  TCollectionItem* AddItemOfClass(TClass AItemClass);
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  TCollectionItem* FindItemID(int ID) const;
  virtual void BeginUpdate();
  virtual void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  // Clears and adds one item per item of Source (a collection), assigning each. An item keeps its own
  // class when that class is a registered item class that the collection accepts; otherwise it is
  // made with the collection's item factory.
  void Assign(TPersistent* Source) override;
  std::string GetNamePath() override;
  // The owner's property that holds this collection, for name paths ("Columns").
  const std::string& PropName() const { return FPropName; }
  void SetPropName(const std::string& Value) { FPropName = Value; }
  // Owner of the collection (nullptr for a plain TCollection).
  TPersistent* Owner() { return GetOwner(); }

 protected:
  // Called when the collection (Item nullptr) or one item changed, outside BeginUpdate/EndUpdate.
  virtual void Update(TCollectionItem* /*Item*/) {}
  virtual void Notify(TCollectionItem* /*Item*/, TCollectionNotification /*Action*/) {}
  virtual void Added(TCollectionItem*& /*Item*/) {}
  virtual void Deleting(TCollectionItem* /*Item*/) {}
  virtual void SetItemName(TCollectionItem* /*Item*/) {}
  void Changed();
  const std::vector<TCollectionItem*>& ItemList() const { return FItems; }

 private:
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  void MoveItem(TCollectionItem* Item, int NewIndex);

  TClass FItemClass;
  TCollectionItemFactory FItemFactory;
  std::vector<TCollectionItem*> FItems;  // owned; an item removes itself when it is freed
  int FUpdateCount = 0;
  int FNextID = 0;
  std::string FPropName;
  friend class TCollectionItem;
};

// A collection with an owner (for name paths and change notifications).
class TOwnedCollection : public TCollection {
  DECLARE_CLASS(TOwnedCollection, TCollection)
  TOwnedCollection(TPersistent* AOwner, TClass AItemClass, TCollectionItemFactory ItemFactory)
      : TCollection(AItemClass, std::move(ItemFactory)), FOwner(AOwner) {}

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  TPersistent* FOwner;
};

// ---------------------------------------------------------------------------------------------------
// TList: untyped pointers (borrowed)

enum TListNotification { lnAdded, lnExtracted, lnDeleted };
using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

class TList : public TObject {
  DECLARE_CLASS(TList, TObject)
  TList() = default;
  ~TList() override;  // clears (descendants get lnDeleted for each item)

  int Count() const { return static_cast<int>(FList.size()); }
  void SetCount(int NewCount);    // EListError ("List count out of bounds (%d)")
  int Capacity() const { return FCapacity; }
  void SetCapacity(int NewCapacity);  // EListError ("List capacity out of bounds (%d)")
  void* Items(int Index) const;   // EListError ("List index out of bounds (%d)")
  void SetItems(int Index, void* Item);
  void* operator[](int Index) const { return Items(Index); }
  int Add(void* Item);
  void Insert(int Index, void* Item);
  void Delete(int Index);
  int Remove(void* Item);          // index it had, -1 when absent
  void* Extract(void* Item);       // removes without the "deleted" notification; nullptr when absent
  int IndexOf(void* Item) const;
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  void Pack();                     // removes nullptr entries
  void Sort(const TListSortCompare& Compare);  // stable
  void* First() const;             // EListError when empty
  void* Last() const;
  virtual void Clear();
  void Assign(const TList& Source);
  const std::vector<void*>& List() const { return FList; }

 protected:
  virtual void Notify(void* /*Ptr*/, TListNotification /*Action*/) {}
  [[noreturn]] static void Error(const char* Msg, int Data);

 private:
  std::vector<void*> FList;
  int FCapacity = 0;
};

// A list of objects that it frees when OwnsObjects is true (the default).
class TObjectList : public TList {
  DECLARE_CLASS(TObjectList, TList)
  explicit TObjectList(bool AOwnsObjects = true) : FOwnsObjects(AOwnsObjects) {}
  ~TObjectList() override;
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }
  int Add(TObject* Obj) { return TList::Add(Obj); }
  void Insert(int Index, TObject* Obj) { TList::Insert(Index, Obj); }
  TObject* Items(int Index) const { return static_cast<TObject*>(TList::Items(Index)); }
  TObject* operator[](int Index) const { return Items(Index); }
  int IndexOf(TObject* Obj) const { return TList::IndexOf(Obj); }
  int Remove(TObject* Obj) { return TList::Remove(Obj); }
  TObject* Extract(TObject* Obj) { return static_cast<TObject*>(TList::Extract(Obj)); }

 protected:
  void Notify(void* Ptr, TListNotification Action) override;

 private:
  bool FOwnsObjects;
};

// ---------------------------------------------------------------------------------------------------
// TStrings / TStringList

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Horizontal alignment of text; shared by controls and data fields.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
  DECLARE_CLASS(TStrings, TPersistent)
  TStrings() = default;

  // The abstract storage.
  virtual int Count() const = 0;
  virtual std::string Get(int Index) const = 0;
  virtual TObject* GetObject(int Index) const { (void)Index; return nullptr; }
  virtual void Put(int Index, const std::string& S);
  virtual void PutObject(int Index, TObject* AObject) { (void)Index; (void)AObject; }
  virtual void Insert(int Index, const std::string& S) = 0;
  virtual void InsertObject(int Index, const std::string& S, TObject* AObject);
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;

  std::string Strings(int Index) const { return Get(Index); }
  std::string operator[](int Index) const { return Get(Index); }
  void SetStrings(int Index, const std::string& S) { Put(Index, S); }
  TObject* Objects(int Index) const { return GetObject(Index); }
  void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }

  virtual int Add(const std::string& S);
  virtual int AddObject(const std::string& S, TObject* AObject);
  void Append(const std::string& S) { Add(S); }
  virtual void AddStrings(TStrings* Strings);
  void AddStrings(const std::vector<std::string>& Strings);
  void Assign(TPersistent* Source) override;
  virtual int IndexOf(const std::string& S) const;   // by CompareStrings
  virtual int IndexOfName(const std::string& Name) const;
  int IndexOfObject(TObject* AObject) const;
  virtual void Exchange(int Index1, int Index2);
  virtual void Move(int CurIndex, int NewIndex);
  bool Equals(TStrings* Strings) const;

  // "name=value" lines (NameValueSeparator '=' by default).
  std::string Names(int Index) const;
  std::string Values(const std::string& Name) const;
  // An empty value deletes the line; a new name is added at the end.
  void SetValues(const std::string& Name, const std::string& Value);
  std::string ValueFromIndex(int Index) const;
  void SetValueFromIndex(int Index, const std::string& Value);
  char NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(char Value) { FNameValueSeparator = Value; }

  // Lines joined by sLineBreak with a line break after each; setting splits on CR, LF or CR LF.
  virtual std::string Text() const;
  virtual void SetText(const std::string& Value);
  // Items separated by Delimiter; an item holding a blank, the delimiter, the quote character or a
  // control character is quoted (doubling inner quotes). On reading, blanks and control characters
  // also separate unquoted items (CommaText), unless StrictDelimiter is set.
  std::string DelimitedText() const;
  void SetDelimitedText(const std::string& Value);
  std::string CommaText() const;
  void SetCommaText(const std::string& Value);
  char Delimiter() const { return FDelimiter; }
  void SetDelimiter(char Value) { FDelimiter = Value; }
  char QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char Value) { FQuoteChar = Value; }
  bool StrictDelimiter() const { return FStrictDelimiter; }
  void SetStrictDelimiter(bool Value) { FStrictDelimiter = Value; }

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // UTF-8 text; a UTF-8 byte-order mark at the start is skipped. EFOpenError when the file is missing.
  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName);
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToStream(TStream* Stream);

  std::vector<std::string> ToVector() const;

 protected:
  // Called with true on the first BeginUpdate and false on the last EndUpdate.
  virtual void SetUpdateState(bool /*Updating*/) {}
  virtual int CompareStrings(const std::string& S1, const std::string& S2) const { return AnsiCompareText(S1, S2); }
  [[noreturn]] static void Error(const char* Msg, int Data);

 private:
  std::string DelimitedTextOf(char Delim, bool Strict) const;
  void SetDelimitedTextOf(const std::string& Value, char Delim, bool Strict);
  int FUpdateCount = 0;
  char FDelimiter = ',';
  char FQuoteChar = '"';
  char FNameValueSeparator = '=';
  bool FStrictDelimiter = false;
};

class TStringList;
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

class TStringList : public TStrings {
  DECLARE_CLASS(TStringList, TStrings)
  TStringList() = default;
  ~TStringList() override;

  int Count() const override { return static_cast<int>(FList.size()); }
  std::string Get(int Index) const override;     // EStringListError ("List index out of bounds (%d)")
  TObject* GetObject(int Index) const override;
  void Put(int Index, const std::string& S) override;  // EStringListError on a sorted list
  void PutObject(int Index, TObject* AObject) override;
  void Insert(int Index, const std::string& S) override;  // EStringListError on a sorted list
  void InsertObject(int Index, const std::string& S, TObject* AObject) override;
  void Delete(int Index) override;
  void Clear() override;
  // On a sorted list: finds the place by binary search; dupIgnore drops a duplicate (returning the
  // index of the existing one), dupError raises EStringListError ("String list does not allow
  // duplicates").
  int Add(const std::string& S) override;
  int AddObject(const std::string& S, TObject* AObject) override;
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;  // keeps the object (never freed on the way)
  int IndexOf(const std::string& S) const override;  // binary search when sorted
  // Binary search of a sorted list: true and the index when found, else false and the insertion index.
  virtual bool Find(const std::string& S, int& Index) const;
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& Compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);
  // When true, the list frees the objects of deleted lines and of the list itself.
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  void SetUpdateState(bool Updating) override;
  int CompareStrings(const std::string& S1, const std::string& S2) const override;
  void InsertItem(int Index, const std::string& S, TObject* AObject);

 private:
  struct TStringItem {
    std::string S;
    TObject* Object = nullptr;
  };
  std::vector<TStringItem> FList;
  TDuplicates FDuplicates = dupIgnore;
  bool FSorted = false;
  bool FCaseSensitive = false;
  bool FOwnsObjects = false;
};

// ---------------------------------------------------------------------------------------------------
// Streams

enum TSeekOrigin { soBeginning, soCurrent, soEnd };
inline constexpr TSeekOrigin soFromBeginning = soBeginning;
inline constexpr TSeekOrigin soFromCurrent = soCurrent;
inline constexpr TSeekOrigin soFromEnd = soEnd;

class TStream : public TObject {
  DECLARE_CLASS(TStream, TObject)
  // Read and Write move at most Count bytes and return how many they moved.
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t NewSize);  // EStreamError when the stream cannot change size

  // All or nothing: EReadError ("Stream read error") / EWriteError ("Stream write error").
  void ReadBuffer(void* Buffer, int64_t Count);
  void WriteBuffer(const void* Buffer, int64_t Count);
  // Copies Count bytes from Source's position; Count 0 copies all of Source from its start.
  int64_t CopyFrom(TStream* Source, int64_t Count);

  // Plain values in the machine's (little-endian) byte order.
  template <typename T>
  T ReadValue() {
    static_assert(std::is_trivially_copyable_v<T>);
    T v;
    ReadBuffer(&v, sizeof v);
    return v;
  }
  template <typename T>
  void WriteValue(const T& V) {
    static_assert(std::is_trivially_copyable_v<T>);
    WriteBuffer(&V, sizeof V);
  }
  void WriteString(const std::string& S) { WriteBuffer(S.data(), static_cast<int64_t>(S.size())); }

  // A component with its published properties and children in the binary component format
  // (filer.h). ReadComponent with Instance nullptr makes the component from the class registry.
  TComponent* ReadComponent(TComponent* Instance);
  void WriteComponent(TComponent* Instance);
};

class TCustomMemoryStream : public TStream {
  DECLARE_CLASS(TCustomMemoryStream, TStream)
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;  // past the end is allowed
  int64_t Size() override { return static_cast<int64_t>(FData.size()); }
  void* Memory() { return FData.data(); }
  const void* Memory() const { return FData.data(); }
  void SaveToStream(TStream* Stream);
  void SaveToFile(const std::string& FileName);

 protected:
  std::vector<uint8_t> FData;
  int64_t FPosition = 0;
};

class TMemoryStream : public TCustomMemoryStream {
  DECLARE_CLASS(TMemoryStream, TCustomMemoryStream)
  int64_t Write(const void* Buffer, int64_t Count) override;  // grows; a gap after a seek is zeros
  void SetSize(int64_t NewSize) override;  // keeps the position unless it lies past the new end
  void Clear();
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const std::string& FileName);  // EFOpenError
  const std::vector<uint8_t>& Bytes() const { return FData; }
};

// File modes: one of fmCreate, fmOpenRead, fmOpenWrite, fmOpenReadWrite, or'ed with a share mode
// (share modes are accepted and ignored).
inline constexpr uint32_t fmCreate = 0xFF00;
inline constexpr uint32_t fmOpenRead = 0x0000;
inline constexpr uint32_t fmOpenWrite = 0x0001;
inline constexpr uint32_t fmOpenReadWrite = 0x0002;
inline constexpr uint32_t fmShareCompat = 0x0000;
inline constexpr uint32_t fmShareExclusive = 0x0010;
inline constexpr uint32_t fmShareDenyWrite = 0x0020;
inline constexpr uint32_t fmShareDenyRead = 0x0030;
inline constexpr uint32_t fmShareDenyNone = 0x0040;

class THandleStream : public TStream {
  DECLARE_CLASS(THandleStream, TStream)
  explicit THandleStream(int AHandle) : FHandle(AHandle) {}
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;
  int Handle() const { return FHandle; }

 protected:
  int FHandle;
};

class TFileStream : public THandleStream {
  DECLARE_CLASS(TFileStream, THandleStream)
  // EFCreateError ("Cannot create file \"x\". <reason>") for fmCreate, EFOpenError ("Cannot open file
  // \"x\". <reason>") otherwise. A folder cannot be opened.
  TFileStream(const std::string& AFileName, uint32_t Mode);
  ~TFileStream() override;
  const std::string& FileName() const { return FFileName; }

 private:
  std::string FFileName;
};

class TStringStream : public TStream {
  DECLARE_CLASS(TStringStream, TStream)
  explicit TStringStream(std::string AString = {}) : FDataString(std::move(AString)) {}
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;  // overwrites, then grows
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;
  std::string ReadString(int64_t Count);
  void WriteString(const std::string& S) { Write(S.data(), static_cast<int64_t>(S.size())); }
  const std::string& DataString() const { return FDataString; }

 private:
  std::string FDataString;
  int64_t FPosition = 0;
};
