#pragma once
// Component streaming: TFiler with its defined properties, and TWriter/TReader over a TStream in the
// system's binary component format.
//
// The format (all numbers little-endian):
//   stream     = "TRC1" component
//   component  = str(class name) str(component name) { property } 0 { component } 0
//   property   = str(name) value          -- name may be a dotted path: "Font.Size"
//   str        = one length byte (1..255), then that many UTF-8 bytes; a 0 length byte ends a list
//   value      = one value-type byte (TValueType), then:
//     vaNull 0 (ends a list)   vaList 1 { value } 0        vaInt8/16/32/64 2..5 the integer
//     vaDouble 6 (8 bytes)     vaString 7 u32 length + bytes  vaIdent 8 str
//     vaFalse 9, vaTrue 10, vaNil 11 (no data)             vaSet 12 { str } 0
//     vaBinary 13 u32 length + bytes                        vaCollection 14 { item } 0
//     vaCurrency 15 (int64 ten-thousandths)  vaDate 16 (8-byte double)
//   item       = [integer value: the item's index, skipped on reading] vaList { property } 0
// A collection item whose class is not the collection's item class starts with the property
// "ItemClass" holding its class name as a string; the reader makes the item through the class
// registry.
//
// Reading is defensive: every length is checked against the bytes left in the stream before anything
// is allocated, nesting is limited (MaxNesting), and any malformed input raises EReadError saying what
// was expected (an unknown class name raises EClassNotFound). A component named inside the child list
// of one of its own children is refused, as a parent chain may not come back to the control. When
// reading fails, the components that existed before go back to the parents they had, and only the
// components that the reader created are freed, so no half-built component stays with its owner and
// nothing the caller holds is freed.

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/classes/typinfo.h"

enum TValueType : uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaInt64 = 5,
  vaDouble = 6,
  vaString = 7,
  vaIdent = 8,
  vaFalse = 9,
  vaTrue = 10,
  vaNil = 11,
  vaSet = 12,
  vaBinary = 13,
  vaCollection = 14,
  vaCurrency = 15,
  vaDate = 16,
};
// Aliases under the names the libraries' code uses for a float value.
inline constexpr TValueType vaExtended = vaDouble;
inline constexpr TValueType vaFloat = vaDouble;

// Colour names in streams: the graphics layer registers its conversions ("clBtnFace" <-> value) at
// start-up; without them colours are written and read as integers only.
using TIdentToInt = std::function<bool(const std::string& Ident, int64_t& Value)>;
using TIntToIdent = std::function<bool(int64_t Value, std::string& Ident)>;
void RegisterColorIdents(TIdentToInt IdentToColor, TIntToIdent ColorToIdent);

using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

class TFiler : public TObject {
  DECLARE_CLASS(TFiler, TObject)
  explicit TFiler(TStream* AStream) : FStream(AStream) {}

  TStream* Stream() const { return FStream; }
  // The component at the top of what is being written or read (the form, the frame).
  TComponent* Root() const { return FRoot; }
  virtual void SetRoot(TComponent* Value) { FRoot = Value; FLookupRoot = Value; }
  // Component references are written relative to this component.
  TComponent* LookupRoot() const { return FLookupRoot; }
  // While writing: the object of the same class whose values count as the defaults (nullptr: the
  // declared defaults). DefineProperties implementations compare with it to decide HasData.
  TPersistent* Ancestor() const { return FAncestor; }
  void SetAncestor(TPersistent* Value) { FAncestor = Value; }

  // One extra value of an object, beside its published properties: the writer calls WriteData
  // under Name when HasData; the reader calls ReadData when it meets Name.
  virtual void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) = 0;
  // The same for raw bytes: WriteData writes into a stream whose bytes are stored as one binary value;
  // ReadData reads them from a stream holding just those bytes.
  virtual void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                                    bool HasData) = 0;

  static constexpr char Signature[4] = {'T', 'R', 'C', '1'};
  static constexpr int MaxNesting = 64;

 protected:
  static void CallDefineProperties(TPersistent* Instance, TFiler* Filer) { Instance->DefineProperties(Filer); }

  TStream* FStream;
  TComponent* FRoot = nullptr;
  TComponent* FLookupRoot = nullptr;
  TPersistent* FAncestor = nullptr;
};

class TWriter : public TFiler {
  DECLARE_CLASS(TWriter, TFiler)
  explicit TWriter(TStream* AStream) : TFiler(AStream) {}

  // The whole stream for Root: signature, then Root with its children. With an ancestor (a component
  // of the same class) only what differs from it is written.
  void WriteRootComponent(TComponent* Root);
  void WriteDescendent(TComponent* Root, TComponent* AAncestor);
  void WriteSignature();
  // One component record (class, name, properties, children).
  void WriteComponent(TComponent* Component);
  // Properties, then children, of a component, each list closed by a 0 (WriteState calls this).
  void WriteData(TComponent* Instance);
  // Published and defined properties of Instance, names prefixed with PropPath.
  void WriteProperties(TPersistent* Instance);
  void WriteProperty(TPersistent* Instance, const TPropInfo* PropInfo);
  // vaCollection, the items, the closing 0.
  void WriteCollection(TCollection* Value);

  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteValue(TValueType Value);
  void WriteInteger(int64_t Value);  // the smallest of vaInt8..vaInt64 that holds it
  void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
  void WriteFloat(long double Value);
  void WriteCurrency(Currency Value);
  void WriteDate(TDateTime Value);
  void WriteString(const std::string& Value);
  void WriteIdent(const std::string& Value);
  void WriteSet(uint64_t Bits, const std::vector<std::string>& Names);
  void WriteBinary(const void* Data, int64_t Size);
  void WriteVariant(const Variant& Value);  // Empty and Null are written as vaNil
  // A short string (property or class name) without a value type; EWriteError over 255 bytes.
  void WriteStr(const std::string& Value);
  // PropPath + Name.
  void WritePropName(const std::string& Name);

  // The prefix of nested property names while a sub-object is written ("Font.").
  const std::string& PropPath() const { return FPropPath; }
  void SetPropPath(const std::string& Value) { FPropPath = Value; }

  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

 private:
  void WriteRaw(const void* Data, int64_t Size) { FStream->WriteBuffer(Data, Size); }
  void WriteObjectValue(TPersistent* Instance, const TPropInfo* P, TObject* Value, TObject* AncestorValue);
  std::string ReferenceName(TComponent* C) const;
  // Puts back the property path and ancestor a nested write changed and leaves its level of nesting,
  // however the write ends.
  struct TNestedWrite {
    explicit TNestedWrite(TWriter& AWriter) : W(AWriter), Path(AWriter.FPropPath), Ancestor(AWriter.FAncestor) {}
    ~TNestedWrite() {
      W.FPropPath = Path;
      W.FAncestor = Ancestor;
      --W.FDepth;
    }
    TWriter& W;
    const std::string Path;
    TPersistent* const Ancestor;
  };
  std::string FPropPath;
  int FDepth = 0;
};

class TReader : public TFiler {
  DECLARE_CLASS(TReader, TFiler)
  explicit TReader(TStream* AStream) : TFiler(AStream) {}
  ~TReader() override;

  // Reads a whole stream. With Root nullptr the root is made from its class name (and belongs to
  // Owner); otherwise the stream is read into Root (its class name must match Root's class or one of
  // its ancestors). Fixups are resolved and Loaded is called on every component read.
  TComponent* ReadRootComponent(TComponent* Root);
  void ReadSignature();  // EReadError ("Invalid stream format")
  // One component record. With Component nullptr: the child of that name in the current root, or a
  // new one made from the class registry (owned by Owner, or the root). Returns the component.
  TComponent* ReadComponent(TComponent* Component);
  // Properties then children of a component, up to and including the closing zeros (ReadState calls
  // this).
  void ReadData(TComponent* Instance);
  // One "name value" pair into Instance (names may be dotted paths through sub-objects).
  void ReadProperty(TPersistent* Instance);
  // The items of a collection, the value type already read.
  void ReadCollection(TCollection* Collection);

  TValueType ReadValue();
  TValueType NextValue();  // without consuming
  // True when the next byte closes a list (it is not consumed).
  bool EndOfList();
  void ReadListBegin();    // EReadError unless vaList
  void ReadListEnd();      // EReadError unless vaNull
  void CheckValue(TValueType Value);  // reads a value type, EReadError unless Value
  int32_t ReadInteger();   // vaInt8/16/32 (vaInt64 when it fits)
  int64_t ReadInt64();
  bool ReadBoolean();
  long double ReadFloat();  // also integers
  Currency ReadCurrency();
  TDateTime ReadDate();
  std::string ReadString();  // vaString, vaIdent
  std::string ReadIdent();   // vaIdent, also vaFalse/vaTrue/vaNil as "False"/"True"/"nil"
  std::string ReadStr();     // a short string without value type
  Variant ReadVariant();
  void SkipValue();
  // The name of the property being read (for DefineProperty handlers and messages).
  const std::string& PropName() const { return FPropName; }
  // Components created by this reader are owned by Owner (nullptr: the root).
  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* Value) { FOwner = Value; }

  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

  // Resolves the component references read so far; names that match nothing stay nil.
  void FixupReferences();

 private:
  struct TFixup {
    TObject* Instance;
    const TPropInfo* Prop;
    std::string Name;
  };
  void ReadRaw(void* Buffer, int64_t Count);
  uint8_t ReadByte();
  int64_t Remaining();
  void ReadPropertyNamed(TPersistent* Instance, const std::string& Name);
  void ReadPropValue(TPersistent* Instance, const TPropInfo* P);
  void ReadStringsValue(TStrings* Strings);
  void Enter();
  void Leave() { --FDepth; }
  [[noreturn]] void Error(const std::string& What);
  TComponent* FindReference(const std::string& Name) const;
  // Makes a component of a registered class for Owner and records it as made by this reader.
  TComponent* CreateComponent(const std::string& ClassName, TComponent* Owner);
  // Names a component read from the stream; a name it refuses is a read error.
  void SetComponentName(TComponent* Component, const std::string& Name);
  // Puts Component inside Parent, whose child list it was read from; remembers where a component that
  // existed before the read was, so that a failed read can put it back.
  void PlaceInParent(TComponent* Component, TComponent* Parent);
  // After a failed read: existing components back to their parents, then the created ones freed.
  void UndoRead();
  // Empties the lists of what a read made, moved and loaded.
  void ForgetRead();

  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;  // whose child list is being read
  std::string FPropName;
  bool FPropHandled = false;
  int FDepth = 0;
  std::vector<TFixup> FFixups;
  std::vector<TComponent*> FLoaded;   // every component read, in order
  std::unordered_set<TComponent*> FLoadedSet;
  std::vector<TComponent*> FCreated;  // made by this reader, freed again on failure
  std::unordered_set<TComponent*> FCreatedSet;
  struct TMove {
    TComponent* Component;
    TComponent* FormerParent;
  };
  std::vector<TMove> FMoved;  // existing components this read put into another parent, first move only
  std::unordered_set<TComponent*> FMovedSet;
};

// Form resources: the component stream stored for a class (what a TWriter wrote for a designed
// instance), registered at start-up by the unit that owns the class. InitInheritedComponent reads into
// Instance the resources of its class and of its ancestors below RootAncestor, the oldest first, each
// through ReadRootComponent (so ReadState and Loaded run); false when none was registered.
void RegisterComponentResource(const std::string& ClassName, std::vector<uint8_t> Bytes);
bool InitInheritedComponent(TComponent* Instance, TClass RootAncestor);

// A readable text form of a component stream, for diagnostics and tests (no class is needed):
//   object Panel1: TPanel
//     Title = 'text'
//     Style.Size = 11
//     Options = [opBold, opStrike]
//     Entries = <
//       item
//         Caption = 'first'
//       end>
//     Lines = ('one' 'two')
//     Blob = {00FF}
//   end
// Raises EReadError on a malformed stream, like the reader.
std::string ObjectBinaryToText(TStream* Input);
