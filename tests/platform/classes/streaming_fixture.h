#pragma once
// A small component tree that uses every kind of published property, a sub-object, a collection with
// two item classes, a string list, a defined and a binary property and sibling references; shared by
// the streaming tests and the fuzz-style test.
#include <string>
#include <vector>

#include "platform/classes/filer.h"

namespace fixture {

enum TShape { shCircle, shSquare, shTriangle };
enum TOption { opBold, opItalic, opUnderline, opStrike };
using TOptions = TSet<TOption>;

class TTextStyle : public TPersistent {
  DECLARE_PUBLISHED_CLASS(TTextStyle, TPersistent)
  static void DeclarePublished(TPublished<TTextStyle>& P) {
    P.String("Name", &TTextStyle::Name, &TTextStyle::SetName);
    P.Integer("Size", &TTextStyle::Size, &TTextStyle::SetSize).Default(8);
    P.Color("Color", &TTextStyle::Color, &TTextStyle::SetColor).Default(0);
  }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& V) { FName = V; }
  int Size() const { return FSize; }
  void SetSize(int V) { FSize = V; }
  int32_t Color() const { return FColor; }
  void SetColor(int32_t V) { FColor = V; }

 private:
  std::string FName;
  int FSize = 8;
  int32_t FColor = 0;
};

class TEntry : public TCollectionItem {
  DECLARE_PUBLISHED_CLASS(TEntry, TCollectionItem)
  explicit TEntry(TCollection* C) : TCollectionItem(C) {}
  static void DeclarePublished(TPublished<TEntry>& P) {
    P.String("Caption", &TEntry::Caption, &TEntry::SetCaption);
    P.Object("Style", &TEntry::Style);
  }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& V) { FCaption = V; }
  TTextStyle* Style() { return &FStyle; }

 private:
  std::string FCaption;
  TTextStyle FStyle;
};

class TWeightedEntry : public TEntry {
  DECLARE_PUBLISHED_CLASS(TWeightedEntry, TEntry)
  explicit TWeightedEntry(TCollection* C) : TEntry(C) {}
  static void DeclarePublished(TPublished<TWeightedEntry>& P) {
    P.Float("Weight", &TWeightedEntry::Weight, &TWeightedEntry::SetWeight).Default(1.0);
  }
  double Weight() const { return FWeight; }
  void SetWeight(double V) { FWeight = V; }

 private:
  double FWeight = 1.0;
};

class TWidget : public TComponent {
  DECLARE_PUBLISHED_CLASS(TWidget, TComponent)
  explicit TWidget(TComponent* AOwner)
      : TComponent(AOwner), FEntries(this, TEntry::StaticClass(), MakeItemFactory<TEntry>()) {}
  static void DeclarePublished(TPublished<TWidget>& P) {
    P.Integer("Width", &TWidget::Width, &TWidget::SetWidth).Default(64);
    P.Integer("Big", &TWidget::Big, &TWidget::SetBig).Default(0);
    P.Boolean("Visible", &TWidget::Visible, &TWidget::SetVisible).Default(true);
    P.Float("Ratio", &TWidget::Ratio, &TWidget::SetRatio);
    P.String("Caption", &TWidget::Caption, &TWidget::SetCaption).Stored(&TWidget::IsCaptionStored);
    P.Color("Color", &TWidget::Color, &TWidget::SetColor).Default(0xFFFFFF);
    P.Enum("Shape", &TWidget::Shape, &TWidget::SetShape, {"shCircle", "shSquare", "shTriangle"}).Default(shCircle);
    P.Set("Options", &TWidget::Options, &TWidget::SetOptions, {"opBold", "opItalic", "opUnderline", "opStrike"})
        .Default(TOptions{});
    P.Object("Style", &TWidget::Style);
    P.Collection("Entries", &TWidget::Entries);
    P.Strings("Lines", &TWidget::Lines);
    P.Component("Buddy", &TWidget::Buddy, &TWidget::SetBuddy);
    P.VariantProp("Value", &TWidget::Value, &TWidget::SetValue);
    P.Event("OnClick");
  }

  int Width() const { return FWidth; }
  void SetWidth(int V) {
    FWidth = V;
    ReadingWhenWidthSet = ComponentState().Contains(csReading) && ComponentState().Contains(csLoading);
  }
  int64_t Big() const { return FBig; }
  void SetBig(int64_t V) { FBig = V; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool V) { FVisible = V; }
  double Ratio() const { return FRatio; }
  void SetRatio(double V) { FRatio = V; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& V) { FCaption = V; }
  bool IsCaptionStored() const { return FCaption != Name(); }
  int32_t Color() const { return FColor; }
  void SetColor(int32_t V) { FColor = V; }
  TShape Shape() const { return FShape; }
  void SetShape(TShape V) { FShape = V; }
  TOptions Options() const { return FOptions; }
  void SetOptions(TOptions V) { FOptions = V; }
  TTextStyle* Style() { return &FStyle; }
  TOwnedCollection* Entries() { return &FEntries; }
  TStringList* Lines() { return &FLines; }
  TWidget* Buddy() const { return FBuddy; }
  void SetBuddy(TWidget* V) { FBuddy = V; }
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& V) { FValue = V; }

  // Defined properties: "Extra" (an integer, only when not zero) and "Blob" (raw bytes).
  int Extra = 0;
  std::vector<uint8_t> Blob;
  // What the setter and Loaded saw.
  bool ReadingWhenWidthSet = false;
  int LoadedCalls = 0;
  bool LoadingWhenLoaded = false;
  bool BuddyWhenLoaded = false;

  void Loaded() override {
    LoadingWhenLoaded = IsLoading();
    BuddyWhenLoaded = FBuddy != nullptr;
    ++LoadedCalls;
    TComponent::Loaded();
  }

 protected:
  void DefineProperties(TFiler* Filer) override {
    TComponent::DefineProperties(Filer);
    auto* anc = dynamic_cast<TWidget*>(Filer->Ancestor());
    Filer->DefineProperty(
        "Extra", [this](TReader* R) { Extra = R->ReadInteger(); }, [this](TWriter* W) { W->WriteInteger(Extra); },
        anc ? anc->Extra != Extra : Extra != 0);
    Filer->DefineBinaryProperty(
        "Blob",
        [this](TStream* S) {
          Blob.resize(static_cast<size_t>(S->Size()));
          S->ReadBuffer(Blob.data(), S->Size());
        },
        [this](TStream* S) { S->WriteBuffer(Blob.data(), static_cast<int64_t>(Blob.size())); },
        anc ? anc->Blob != Blob : !Blob.empty());
  }

 private:
  int FWidth = 64;
  int64_t FBig = 0;
  bool FVisible = true;
  double FRatio = 0;
  std::string FCaption;
  int32_t FColor = 0xFFFFFF;
  TShape FShape = shCircle;
  TOptions FOptions;
  TTextStyle FStyle;
  TOwnedCollection FEntries;
  TStringList FLines;
  TWidget* FBuddy = nullptr;
  Variant FValue;
};

class TPanel : public TComponent {
  DECLARE_PUBLISHED_CLASS(TPanel, TComponent)
  explicit TPanel(TComponent* AOwner) : TComponent(AOwner) {}
  static void DeclarePublished(TPublished<TPanel>& P) {
    P.String("Title", &TPanel::Title, &TPanel::SetTitle);
    P.Component("Focus", &TPanel::Focus, &TPanel::SetFocus);
  }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& V) { FTitle = V; }
  TWidget* Focus() const { return FFocus; }
  void SetFocus(TWidget* V) { FFocus = V; }
  int LoadedCalls = 0;
  void Loaded() override {
    ++LoadedCalls;
    TComponent::Loaded();
  }

 private:
  std::string FTitle;
  TWidget* FFocus = nullptr;
};

inline void RegisterAll() { RegisterClasses<TPanel, TWidget, TEntry, TWeightedEntry>(); }

// A panel "Panel1" with two widgets; the first refers to the second (read later, so resolved by a
// fixup) and every property kind differs from its default somewhere.
inline TPanel* MakeTree() {
  auto* panel = new TPanel(nullptr);
  panel->SetName("Panel1");
  panel->SetTitle("面板");
  auto* a = new TWidget(panel);
  a->SetName("WidgetA");
  auto* b = new TWidget(panel);
  b->SetName("WidgetB");
  a->SetWidth(120);
  a->SetBig(int64_t(1) << 40);
  a->SetVisible(false);
  a->SetRatio(0.375);
  a->SetCaption("Hello, 世界");
  a->SetColor(-16777201);  // a system colour: negative
  a->SetShape(shTriangle);
  a->SetOptions({opBold, opStrike});
  a->Style()->SetName("Tahoma");
  a->Style()->SetSize(11);
  auto* e1 = static_cast<TEntry*>(a->Entries()->Add());
  e1->SetCaption("first");
  e1->Style()->SetColor(255);
  auto* e2 = new TWeightedEntry(a->Entries());
  e2->SetCaption("second");
  e2->SetWeight(2.5);
  a->Lines()->Add("line one");
  a->Lines()->Add("");
  a->Lines()->Add("line three");
  a->SetBuddy(b);
  a->SetValue(Variant(Currency::FromDouble(12.3456)));
  a->Extra = -7;
  a->Blob = {0, 1, 2, 255};
  b->SetCaption("WidgetB");  // equal to its name: not stored
  b->SetBuddy(a);
  b->SetValue(Variant("text value"));
  panel->SetFocus(b);
  return panel;
}

inline std::vector<uint8_t> WriteTree(TComponent* Root) {
  TMemoryStream s;
  s.WriteComponent(Root);
  return s.Bytes();
}

}  // namespace fixture
