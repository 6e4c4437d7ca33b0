#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/platform/classes/streaming_fixture.h"

using namespace fixture;

namespace {
struct StreamingTest : ::testing::Test {
  void SetUp() override { RegisterAll(); }
};

bool HasName(const std::vector<uint8_t>& Bytes, const std::string& Name) {
  // Names are stored as a length byte and the text.
  std::string needle(1, static_cast<char>(Name.size()));
  needle += Name;
  return std::string(Bytes.begin(), Bytes.end()).find(needle) != std::string::npos;
}

std::unique_ptr<TPanel> ReadTree(const std::vector<uint8_t>& Bytes) {
  TMemoryStream s;
  s.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  s.SetPosition(0);
  TComponent* c = s.ReadComponent(nullptr);
  auto* panel = dynamic_cast<TPanel*>(c);
  EXPECT_NE(panel, nullptr);
  return std::unique_ptr<TPanel>(panel);
}
}  // namespace

TEST_F(StreamingTest, PropertyTablesInheritInDeclarationOrder) {
  const TPropList* l = GetPropList(TWeightedEntry::StaticClass());
  ASSERT_NE(l, nullptr);
  std::vector<std::string> names;
  for (auto& p : l->Props) names.push_back(p->Name);
  EXPECT_EQ(names, (std::vector<std::string>{"Caption", "Style", "Weight"}));
  EXPECT_EQ(GetPropList(TEntry::StaticClass())->Count(), 2);
  EXPECT_EQ(GetPropList(TComponent::StaticClass()), nullptr);

  TWidget w(nullptr);
  EXPECT_EQ(GetOrdProp(&w, "width"), 64);
  SetOrdProp(&w, "Width", 99);
  EXPECT_EQ(w.Width(), 99);
  SetEnumProp(&w, "Shape", "shSquare");
  EXPECT_EQ(w.Shape(), shSquare);
  EXPECT_EQ(GetEnumProp(&w, "Shape"), "shSquare");
  SetSetProp(&w, "Options", "[opItalic, opStrike]");
  EXPECT_EQ(GetSetProp(&w, "Options"), "opItalic,opStrike");
  SetStrProp(&w, "Caption", "c");
  EXPECT_EQ(GetStrProp(&w, "Caption"), "c");
  SetFloatProp(&w, "Ratio", 1.25);
  EXPECT_EQ(w.Ratio(), 1.25);
  EXPECT_EQ(GetObjectProp(&w, "Style"), w.Style());
  SetPropValue(&w, "Visible", Variant(false));
  EXPECT_FALSE(w.Visible());
  EXPECT_EQ(VarToStr(GetPropValue(&w, "Shape")), "shSquare");
  EXPECT_THROW(GetOrdProp(&w, "Nothing"), EPropertyError);
  EXPECT_THROW(SetStrProp(&w, "Width", "x"), EPropertyConvertError);
  EXPECT_THROW(SetEnumProp(&w, "Shape", "shHexagon"), EPropertyConvertError);
  EXPECT_THROW(SetObjectProp(&w, "Style", nullptr), EPropertyConvertError);  // no setter
  EXPECT_EQ(PropType(&w, "OnClick"), pkEvent);
}

TEST_F(StreamingTest, TreeRoundTripsThroughMemoryStream) {
  std::unique_ptr<TPanel> src(MakeTree());
  const std::vector<uint8_t> bytes = WriteTree(src.get());
  std::unique_ptr<TPanel> dst = ReadTree(bytes);
  ASSERT_TRUE(dst);
  EXPECT_EQ(dst->Name(), "Panel1");
  EXPECT_EQ(dst->Title(), "面板");
  ASSERT_EQ(dst->ComponentCount(), 2);
  auto* a = dynamic_cast<TWidget*>(dst->FindComponent("WidgetA"));
  auto* b = dynamic_cast<TWidget*>(dst->FindComponent("WidgetB"));
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->Width(), 120);
  EXPECT_TRUE(a->ReadingWhenWidthSet);  // csLoading and csReading while its properties are read
  EXPECT_EQ(a->Big(), int64_t(1) << 40);
  EXPECT_FALSE(a->Visible());
  EXPECT_EQ(a->Ratio(), 0.375);
  EXPECT_EQ(a->Caption(), "Hello, 世界");
  EXPECT_EQ(a->Color(), -16777201);
  EXPECT_EQ(a->Shape(), shTriangle);
  EXPECT_TRUE(a->Options() == (TOptions{opBold, opStrike}));
  EXPECT_EQ(a->Style()->Name(), "Tahoma");
  EXPECT_EQ(a->Style()->Size(), 11);
  ASSERT_EQ(a->Entries()->Count(), 2);
  EXPECT_EQ(a->Entries()->Items(0)->ClassType(), TEntry::StaticClass());
  EXPECT_EQ(a->Entries()->Items(1)->ClassType(), TWeightedEntry::StaticClass());
  EXPECT_EQ(static_cast<TEntry*>(a->Entries()->Items(0))->Caption(), "first");
  EXPECT_EQ(static_cast<TEntry*>(a->Entries()->Items(0))->Style()->Color(), 255);
  EXPECT_EQ(static_cast<TWeightedEntry*>(a->Entries()->Items(1))->Weight(), 2.5);
  EXPECT_EQ(a->Lines()->Text(), "line one\n\nline three\n");
  EXPECT_EQ(a->Buddy(), b);  // read before WidgetB existed: resolved after the whole stream
  EXPECT_EQ(b->Buddy(), a);
  EXPECT_EQ(dst->Focus(), b);
  EXPECT_EQ(VarType(a->Value()), varCurrency);
  EXPECT_EQ(a->Value().AsCurrency().Value, 123456);
  EXPECT_EQ(VarToStr(b->Value()), "text value");
  EXPECT_EQ(a->Extra, -7);
  EXPECT_EQ(a->Blob, (std::vector<uint8_t>{0, 1, 2, 255}));
  EXPECT_EQ(b->Caption(), "");  // not stored, so not read
  // Loaded ran once on every component, while still loading, after the references were resolved.
  EXPECT_EQ(dst->LoadedCalls, 1);
  for (TWidget* w : {a, b}) {
    EXPECT_EQ(w->LoadedCalls, 1);
    EXPECT_TRUE(w->LoadingWhenLoaded);
    EXPECT_TRUE(w->BuddyWhenLoaded);
    EXPECT_FALSE(w->ComponentState().Contains(csLoading));
    EXPECT_FALSE(w->ComponentState().Contains(csReading));
  }
  // Writing the copy gives the same bytes.
  EXPECT_EQ(WriteTree(dst.get()), bytes);
}

TEST_F(StreamingTest, DefaultsAndStoredPredicatesDecideWhatIsWritten) {
  std::unique_ptr<TPanel> src(MakeTree());
  const std::vector<uint8_t> full = WriteTree(src.get());
  for (const char* n : {"Width", "Big", "Visible", "Ratio", "Caption", "Color", "Shape", "Options", "Style.Name",
                        "Style.Size", "Entries", "Lines", "Buddy", "Value", "Extra", "Blob", "ItemClass", "Weight"})
    EXPECT_TRUE(HasName(full, n)) << n;

  // A panel with one untouched widget writes none of the widget's properties.
  TPanel bare(nullptr);
  bare.SetName("Bare");
  auto* w = new TWidget(&bare);
  w->SetName("W");
  const std::vector<uint8_t> plain = WriteTree(&bare);
  for (const char* n : {"Width", "Big", "Visible", "Ratio", "Caption", "Color", "Shape", "Options", "Style.Name",
                        "Style.Size", "Style.Color", "Entries", "Lines", "Buddy", "Value", "Extra", "Blob", "OnClick",
                        "Title", "Focus"})
    EXPECT_FALSE(HasName(plain, n)) << n;
  EXPECT_TRUE(HasName(plain, "TWidget"));

  // The stored predicate: a caption equal to the name is not written, another one is.
  w->SetCaption("W");
  EXPECT_FALSE(HasName(WriteTree(&bare), "Caption"));
  w->SetCaption("Other");
  EXPECT_TRUE(HasName(WriteTree(&bare), "Caption"));
  // An entry with the collection's own item class carries no ItemClass.
  static_cast<TEntry*>(w->Entries()->Add())->SetCaption("x");
  const std::vector<uint8_t> one = WriteTree(&bare);
  EXPECT_TRUE(HasName(one, "Entries"));
  EXPECT_FALSE(HasName(one, "ItemClass"));
}

TEST_F(StreamingTest, AncestorDecidesWhatADescendentWrites) {
  std::unique_ptr<TPanel> ancestor(MakeTree());
  std::unique_ptr<TPanel> descendent(MakeTree());
  auto* a = static_cast<TWidget*>(descendent->FindComponent("WidgetA"));
  a->SetWidth(121);
  TMemoryStream s;
  TWriter w(&s);
  w.WriteDescendent(descendent.get(), ancestor.get());
  const std::vector<uint8_t>& bytes = s.Bytes();
  EXPECT_TRUE(HasName(bytes, "Width"));
  for (const char* n : {"Big", "Visible", "Caption", "Entries", "Lines", "Style.Name", "Extra", "Blob", "Buddy", "Value"})
    EXPECT_FALSE(HasName(bytes, n)) << n;
  // Back to the default against an ancestor that differs: written, so it reads back.
  a->SetVisible(true);
  TMemoryStream s2;
  TWriter w2(&s2);
  w2.WriteDescendent(descendent.get(), ancestor.get());
  EXPECT_TRUE(HasName(s2.Bytes(), "Visible"));
}

TEST_F(StreamingTest, ReadStateIntoExistingComponentsKeepsThemAndClearsCollections) {
  std::unique_ptr<TPanel> src(MakeTree());
  const std::vector<uint8_t> bytes = WriteTree(src.get());
  TPanel target(nullptr);
  auto* existing = new TWidget(&target);
  existing->SetName("WidgetA");
  existing->Entries()->Add();
  existing->Entries()->Add();
  existing->Entries()->Add();
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  s.SetPosition(0);
  EXPECT_EQ(s.ReadComponent(&target), &target);
  EXPECT_EQ(target.Name(), "Panel1");
  ASSERT_EQ(target.ComponentCount(), 2);
  EXPECT_EQ(target.Components(0), existing);  // read into, not replaced
  EXPECT_EQ(existing->Width(), 120);
  EXPECT_EQ(existing->Entries()->Count(), 2);
  EXPECT_EQ(existing->Buddy(), target.FindComponent("WidgetB"));
  // A root of another class is refused.
  TWidget wrong(nullptr);
  s.SetPosition(0);
  EXPECT_THROW(s.ReadComponent(&wrong), EReadError);
  EXPECT_FALSE(wrong.ComponentState().Contains(csLoading));
}

TEST_F(StreamingTest, ValueLevelReaderAndWriterCalls) {
  TMemoryStream s;
  TWriter w(&s);
  w.WriteInteger(5);
  w.WriteInteger(-300);
  w.WriteInteger(100000);
  w.WriteInteger(int64_t(1) << 40);
  w.WriteFloat(0.1);
  w.WriteString("日本");
  w.WriteIdent("alClient");
  w.WriteBoolean(true);
  w.WriteListBegin();
  w.WriteString("a");
  w.WriteListEnd();
  w.WriteCurrency(Currency::FromRaw(-1));
  w.WriteDate(45000.25);
  w.WriteVariant(Null);
  s.SetPosition(0);
  TReader r(&s);
  EXPECT_EQ(r.NextValue(), vaInt8);
  EXPECT_EQ(r.ReadInteger(), 5);
  EXPECT_EQ(r.NextValue(), vaInt16);
  EXPECT_EQ(r.ReadInteger(), -300);
  EXPECT_EQ(r.NextValue(), vaInt32);
  EXPECT_EQ(r.ReadInteger(), 100000);
  EXPECT_THROW(r.ReadInteger(), EReadError);  // 2^40 does not fit an Integer...
  s.SetPosition(s.Position() - 9);
  EXPECT_EQ(r.ReadInt64(), int64_t(1) << 40);  // ...but is an Int64
  EXPECT_EQ(r.ReadFloat(), static_cast<long double>(0.1));
  EXPECT_EQ(r.ReadString(), "日本");
  EXPECT_EQ(r.ReadIdent(), "alClient");
  EXPECT_TRUE(r.ReadBoolean());
  r.ReadListBegin();
  EXPECT_FALSE(r.EndOfList());
  r.SkipValue();
  EXPECT_TRUE(r.EndOfList());
  r.ReadListEnd();
  EXPECT_EQ(r.ReadCurrency().Value, -1);
  EXPECT_EQ(r.ReadDate(), 45000.25);
  EXPECT_TRUE(VarIsNull(r.ReadVariant()));
  EXPECT_THROW(r.ReadValue(), EReadError);  // at the end
}

// Value forms worked out by hand: the bytes the writer puts down for a value, and what the reader
// makes of bytes that a writer may put down.
TEST_F(StreamingTest, ValueFormsWorkedByHand) {
  struct Row {
    const char* What;
    std::vector<uint8_t> Bytes;
    std::function<void(TWriter&)> Write;  // must give Bytes exactly
    std::function<void(TReader&)> Read;   // reads Bytes, which it must use up
  };
  const std::vector<Row> rows = {
      // The smallest form that holds the value: 127 = $7F is the largest 8-bit integer.
      {"127 in the 8-bit form", {vaInt8, 0x7F}, [](TWriter& W) { W.WriteInteger(127); }, nullptr},
      // -300 = $FED4 in 16 bits, low byte first.
      {"a float stored as a 16-bit integer",
       {vaInt16, 0xD4, 0xFE},
       nullptr,
       [](TReader& R) { EXPECT_EQ(R.ReadFloat(), -300.0L); }},
      // Two items, the first with index 0 (8-bit) and a string property, the second with index 257
      // ($0101, 16-bit) and no properties; then an 8-bit 42 that follows the collection.
      {"a collection with item indexes skipped",
       {vaCollection, vaInt8, 0, vaList, 7, 'C', 'a', 'p', 't', 'i', 'o', 'n', vaString, 1, 0, 0, 0, 'x', vaNull,
        vaInt16, 0x01, 0x01, vaList, vaNull, vaNull, vaInt8, 42},
       nullptr,
       [](TReader& R) {
         R.SkipValue();
         EXPECT_EQ(R.ReadInteger(), 42);
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.What);
    TMemoryStream s;
    if (row.Write) {
      TWriter w(&s);
      row.Write(w);
      EXPECT_EQ(s.Bytes(), row.Bytes);
    } else {
      s.WriteBuffer(row.Bytes.data(), static_cast<int64_t>(row.Bytes.size()));
      s.SetPosition(0);
      TReader r(&s);
      try {
        row.Read(r);
      } catch (const EReadError& e) {
        ADD_FAILURE() << e.Message();
      }
      EXPECT_EQ(s.Position(), s.Size());
    }
  }
}

// A defined property that writes a collection the way a library does by hand ("FilterItems"): the
// value type 14, items with "ItemClass" first, read back through the registry.
namespace {
class THolder : public TPersistent {
  DECLARE_PUBLISHED_CLASS(THolder, TPersistent)
  THolder() : Items(this, TEntry::StaticClass(), MakeItemFactory<TEntry>()) {}
  static void DeclarePublished(TPublished<THolder>&) {}
  TOwnedCollection Items;

 protected:
  void DefineProperties(TFiler* Filer) override {
    Filer->DefineProperty(
        "FilterItems",
        [this](TReader* R) {
          Items.BeginUpdate();
          try {
            if (!R->EndOfList()) Items.Clear();
            R->ReadValue();
            while (!R->EndOfList()) {
              const TValueType t = R->NextValue();
              if (t == vaInt8 || t == vaInt16 || t == vaInt32) R->ReadInteger();
              R->ReadListBegin();
              R->ReadStr();
              const TRegisteredClass& rc = FindClass(R->ReadString());
              TCollectionItem* item = rc.ItemFactory(&Items);
              while (!R->EndOfList()) R->ReadProperty(item);
              R->ReadListEnd();
            }
            R->ReadListEnd();
          } catch (...) {
            Items.EndUpdate();
            throw;
          }
          Items.EndUpdate();
        },
        [this](TWriter* W) {
          W->WriteValue(vaCollection);
          for (int i = 0; i < Items.Count(); ++i) {
            W->WriteListBegin();
            W->SetPropPath("");
            W->WritePropName("ItemClass");
            W->WriteString(Items.Items(i)->ClassName());
            W->WriteProperties(Items.Items(i));
            W->WriteListEnd();
          }
          W->WriteListEnd();
        },
        Items.Count() > 0);
  }
};

class THolderComponent : public TComponent {
  DECLARE_PUBLISHED_CLASS(THolderComponent, TComponent)
  explicit THolderComponent(TComponent* AOwner) : TComponent(AOwner) {}
  // A getter may also return a reference.
  static void DeclarePublished(TPublished<THolderComponent>& P) { P.Object("Picture", &THolderComponent::PictureRef); }
  THolder* Picture() { return &FPicture; }
  THolder& PictureRef() { return FPicture; }

 private:
  THolder FPicture;
};
}  // namespace

TEST_F(StreamingTest, HandWrittenCollectionInADefinedProperty) {
  RegisterClass<THolderComponent>();
  THolderComponent src(nullptr);
  EXPECT_FALSE(HasName(WriteTree(&src), "Picture.FilterItems"));  // empty list: nothing written
  new TWeightedEntry(&src.Picture()->Items);
  static_cast<TWeightedEntry*>(src.Picture()->Items.Items(0))->SetWeight(3);
  static_cast<TEntry*>(src.Picture()->Items.Add())->SetCaption("plain");
  const std::vector<uint8_t> bytes = WriteTree(&src);
  EXPECT_TRUE(HasName(bytes, "Picture.FilterItems"));
  const auto at = std::string(bytes.begin(), bytes.end()).find("Picture.FilterItems");
  EXPECT_EQ(bytes[at + std::string("Picture.FilterItems").size()], 14);  // the collection value type

  THolderComponent dst(nullptr);
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  s.SetPosition(0);
  s.ReadComponent(&dst);
  ASSERT_EQ(dst.Picture()->Items.Count(), 2);
  EXPECT_EQ(dst.Picture()->Items.Items(0)->ClassType(), TWeightedEntry::StaticClass());
  EXPECT_EQ(static_cast<TWeightedEntry*>(dst.Picture()->Items.Items(0))->Weight(), 3);
  EXPECT_EQ(static_cast<TEntry*>(dst.Picture()->Items.Items(1))->Caption(), "plain");
  EXPECT_EQ(dst.Picture()->Items.UpdateCount(), 0);
}

TEST_F(StreamingTest, ComponentResourcesAreReadIntoNewInstances) {
  std::unique_ptr<TPanel> designed(MakeTree());
  RegisterComponentResource("TPanel", WriteTree(designed.get()));
  TPanel made(nullptr);
  EXPECT_TRUE(InitInheritedComponent(&made, TComponent::StaticClass()));
  EXPECT_EQ(made.Title(), "面板");
  EXPECT_EQ(made.ComponentCount(), 2);
  EXPECT_EQ(made.LoadedCalls, 1);
  EXPECT_NE(made.Focus(), nullptr);
  TWidget plain(nullptr);
  EXPECT_FALSE(InitInheritedComponent(&plain, TComponent::StaticClass()));
}

namespace {
// Pseudo-properties that a settings store only reads back (write-only), as storage interceptors have.
class TInterceptor : public TComponent {
  DECLARE_PUBLISHED_CLASS(TInterceptor, TComponent)
  explicit TInterceptor(TComponent* AOwner) : TComponent(AOwner) {}
  static void DeclarePublished(TPublished<TInterceptor>& P) {
    P.Integer("Left", &TInterceptor::Left, &TInterceptor::SetLeft);
    P.Integer("PixelsPerInch", nullptr, &TInterceptor::SetPixelsPerInch);
    P.String("ColumnsIndex", nullptr, &TInterceptor::SetColumnsIndex);
    P.Component("ActiveControl", nullptr, &TInterceptor::SetActiveControl);
  }
  int Left() const { return FLeft; }
  void SetLeft(int V) { FLeft = V; }
  void SetPixelsPerInch(int V) { PixelsPerInch = V; }
  void SetColumnsIndex(const std::string& V) { ColumnsIndex = V; }
  void SetActiveControl(TComponent* V) { ActiveControl = V; }
  int PixelsPerInch = 0;
  std::string ColumnsIndex;
  TComponent* ActiveControl = nullptr;

 private:
  int FLeft = 0;
};
}  // namespace

TEST_F(StreamingTest, WriteOnlyPropertiesAreReadButNeverWritten) {
  RegisterClass<TInterceptor>();
  TInterceptor src(nullptr);
  src.SetName("Store");
  src.SetLeft(100);
  src.SetPixelsPerInch(120);
  const std::vector<uint8_t> plain = WriteTree(&src);
  EXPECT_TRUE(HasName(plain, "Left"));
  EXPECT_FALSE(HasName(plain, "PixelsPerInch"));
  EXPECT_THROW(GetOrdProp(&src, "PixelsPerInch"), EPropertyConvertError);
  EXPECT_THROW(GetPropValue(&src, "ColumnsIndex"), EPropertyConvertError);
  SetOrdProp(&src, "PixelsPerInch", 96);
  EXPECT_EQ(src.PixelsPerInch, 96);

  // A stream written by another store holds them; they read back.
  TMemoryStream s;
  TWriter w(&s);
  w.WriteSignature();
  w.WriteStr("TInterceptor");
  w.WriteStr("Store");
  w.WritePropName("PixelsPerInch");
  w.WriteInteger(144);
  w.WritePropName("ColumnsIndex");
  w.WriteString("2,0,1");
  w.WritePropName("ActiveControl");
  w.WriteIdent("Store");
  w.WriteListEnd();
  w.WriteListEnd();
  s.SetPosition(0);
  TInterceptor dst(nullptr);
  s.ReadComponent(&dst);
  EXPECT_EQ(dst.PixelsPerInch, 144);
  EXPECT_EQ(dst.ColumnsIndex, "2,0,1");
  EXPECT_EQ(dst.ActiveControl, &dst);
}

namespace {
// Components inside other components (as controls sit in their parent): the root owns them all, the
// parent lists its own children for streaming.
class TBox : public TComponent {
  DECLARE_PUBLISHED_CLASS(TBox, TComponent)
  explicit TBox(TComponent* AOwner) : TComponent(AOwner) {}
  ~TBox() override {
    for (TBox* c : Children) c->FParentBox = nullptr;  // children may outlive their parent box
    SetParentComponent(nullptr);
  }
  static void DeclarePublished(TPublished<TBox>& P) { P.Integer("Tag2", &TBox::Tag2, &TBox::SetTag2); }
  int Tag2() const { return FTag2; }
  void SetTag2(int V) { FTag2 = V; }
  bool HasParent() const override { return FParentBox != nullptr; }
  TComponent* GetParentComponent() const override { return FParentBox; }
  void SetParentComponent(TComponent* Value) override {
    if (FParentBox) std::erase(FParentBox->Children, this);
    FParentBox = dynamic_cast<TBox*>(Value);
    if (FParentBox) FParentBox->Children.push_back(this);
  }
  std::vector<TBox*> Children;

 protected:
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override {
    TComponent::GetChildren(Proc, Root);
    for (TBox* c : Children)
      if (c->Owner() == Root) Proc(c);
  }

 private:
  TBox* FParentBox = nullptr;
  int FTag2 = 0;
};
}  // namespace

TEST_F(StreamingTest, ChildrenWithAParentAreWrittenInsideItAndGetItBack) {
  RegisterClass<TBox>();
  TPanel src(nullptr);
  src.SetName("Form1");
  auto* outer = new TBox(&src);
  outer->SetName("Outer");
  auto* inner = new TBox(&src);
  inner->SetName("Inner");
  inner->SetTag2(5);
  inner->SetComponentIndex(0);  // owned before its parent: still written inside it
  outer->SetTag2(1);
  inner->SetParentComponent(outer);
  const std::vector<uint8_t> bytes = WriteTree(&src);
  TPanel dst(nullptr);
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  s.SetPosition(0);
  s.ReadComponent(&dst);
  auto* o = dynamic_cast<TBox*>(dst.FindComponent("Outer"));
  auto* i = dynamic_cast<TBox*>(dst.FindComponent("Inner"));
  ASSERT_TRUE(o && i);
  EXPECT_EQ(i->Owner(), &dst);
  EXPECT_EQ(i->GetParentComponent(), o);
  EXPECT_EQ(o->Children, (std::vector<TBox*>{i}));
  EXPECT_EQ(o->GetParentComponent(), nullptr);
  EXPECT_EQ(i->Tag2(), 5);
  EXPECT_EQ(dst.Components(0), o);  // read in parent-first order
}

TEST_F(StreamingTest, TextFormShowsTheStream) {
  std::unique_ptr<TPanel> src(MakeTree());
  TMemoryStream s;
  s.WriteComponent(src.get());
  s.SetPosition(0);
  const std::string text = ObjectBinaryToText(&s);
  for (const char* line : {"object Panel1: TPanel\n", "  Title = '面板'\n", "  object WidgetA: TWidget\n",
                           "    Width = 120\n", "    Big = 1099511627776\n", "    Visible = False\n",
                           "    Ratio = 0.375\n", "    Shape = shTriangle\n", "    Options = [opBold, opStrike]\n",
                           "    Style.Name = 'Tahoma'\n", "    Entries = <\n      item\n        Caption = 'first'\n",
                           "        ItemClass = 'TWeightedEntry'\n", "        Weight = 2.5\n      end>\n",
                           "    Lines = ('line one' '' 'line three')\n", "    Buddy = WidgetB\n",
                           "    Value = 12.3456c\n", "    Extra = -7\n", "    Blob = {000102FF}\n", "  end\nend\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  TMemoryStream bad;
  bad.WriteBuffer(s.Memory(), 30);
  bad.SetPosition(0);
  EXPECT_THROW(ObjectBinaryToText(&bad), EReadError);
}
