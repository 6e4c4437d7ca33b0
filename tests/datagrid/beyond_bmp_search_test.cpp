// Typing a character beyond the Basic Multilingual Plane into each incremental search: 𠮷 (U+20BB7)
// arrives as two WM_CHAR messages, 0xD842 then 0xDFB7, and must find the record or item that begins
// with it in the grid's in-place search, the lookup grid, the lookup combo box, the pick list and the
// key-based combo box.

#include "datagrid/DBLookupComboX.h"
#include "dataedit/DBCtrlsX_combo.h"
#include "dataedit/PopupsX.h"
#include "tests/datagrid/lookup_fixture.h"

namespace {

const std::string Yoshi = "\xF0\xA0\xAE\xB7";  // 𠮷 in UTF-8
constexpr WPARAM YoshiHigh = 0xD842, YoshiLow = 0xDFB7;

class BeyondBmpSearchTest : public LookupTest {
 protected:
  void SetUp() override {
    LookupTest::SetUp();
    // City 8 (Quito) becomes 𠮷野家: the only name that begins with the character.
    ASSERT_TRUE(cities->Locate("ID", Variant(8), {}));
    cities->Edit();
    cities->FieldByName("Name")->SetAsString(Yoshi + "\xE9\x87\x8E\xE5\xAE\xB6");
    cities->Post();
    cities->First();
  }
  // The two halves, posted through the queue to W one after the other.
  static void PostPair(HWND W) {
    PostMessage(W, WM_CHAR, YoshiHigh, 0);
    PostMessage(W, WM_CHAR, YoshiLow, 0);
    win::PumpMessages();
  }
  static void Focus(TWinControl* C) {
    C->SetFocus();
    win::PumpMessages();
  }
  std::string CityName() { return cities->FieldByName("Name")->AsString(); }
};

}  // namespace

TEST_F(BeyondBmpSearchTest, GridInPlaceSearch) {
  auto* g = new TDBGridX(owner.get());
  g->SetBounds(10, 10, 400, 200);
  g->SetParent(host);
  g->SetDataSource(citySrc);
  TGridXExtOptions o = g->OptionsX();
  o.Include(gxoIncSearch);
  g->SetOptionsX(o);
  g->SetReadOnly(true);  // typing searches instead of editing
  win::PumpMessages();
  Focus(g);
  for (int i = 0; i < g->Columns()->Count(); ++i)
    if (g->Columns()->Items(i)->FieldName() == "Name") g->SelectColumn(i, 0, false);
  win::InjectChar(Yoshi);
  win::PumpMessages();
  EXPECT_EQ(cities->FieldByName("ID")->AsInteger(), 8);
  EXPECT_EQ(g->SearchText(), Yoshi);
}

TEST_F(BeyondBmpSearchTest, LookupGrid) {
  auto* g = new TDBLookupGridX(owner.get());
  g->SetBounds(10, 10, 240, 100);
  g->SetParent(host);
  g->SetListSource(citySrc);
  g->SetKeyField("ID");
  g->SetListField("Name");
  win::PumpMessages();
  PostPair(g->Handle());
  EXPECT_EQ(g->KeyValue().AsInteger(), 8);
  EXPECT_EQ(g->SearchText(), Yoshi);
}

TEST_F(BeyondBmpSearchTest, LookupComboBox) {
  auto* c = new TDBLookupComboboxX(owner.get());
  c->SetBounds(20, 300, 160, 24);
  c->SetParent(host);
  c->SetDataSource(peopleSrc);
  c->SetDataField("CityID");
  c->SetListSource(citySrc);
  c->SetKeyField("ID");
  c->SetListField("Name");
  win::PumpMessages();
  ASSERT_EQ(c->Style(), csDropDownListX);
  Focus(c);
  win::InjectChar(Yoshi);
  win::PumpMessages();
  EXPECT_EQ(c->KeyValue().AsInteger(), 8);
  EXPECT_EQ(c->Text(), CityName());
  EXPECT_EQ(c->SelStart(), 1) << "the typed character, then the completed tail selected";
}

TEST_F(BeyondBmpSearchTest, PickList) {
  auto* l = new TPopupListboxX(owner.get());
  for (const char* s : {"Bern", "\xF0\xA0\xAE\xB7\xE9\x87\x8E\xE5\xAE\xB6", "Rome"}) l->Items()->Add(s);
  l->SetBounds(300, 300, 120, 60);
  l->HandleNeeded();
  ShowWindow(l->Handle(), SW_SHOWNOACTIVATE);
  win::PumpMessages();
  PostPair(l->Handle());
  EXPECT_EQ(l->ItemIndex(), 1);
  EXPECT_EQ(l->SearchText(), Yoshi);
}

TEST_F(BeyondBmpSearchTest, KeyBasedComboBox) {
  auto* c = new TDBComboBoxX(owner.get());
  c->SetBounds(20, 300, 160, 24);
  c->SetParent(host);
  for (const char* s : {"Berlin", "\xF0\xA0\xAE\xB7\xE9\x87\x8E\xE5\xAE\xB6", "Rome"}) c->Items()->Add(s);
  for (const char* s : {"2", "8", "9"}) c->KeyItems()->Add(s);
  c->SetDataSource(peopleSrc);
  c->SetDataField("CityID");
  win::PumpMessages();
  ASSERT_EQ(c->Text(), "Berlin");
  Focus(c);
  win::InjectChar(Yoshi);
  win::PumpMessages();
  EXPECT_EQ(c->ItemIndex(), 1);
  EXPECT_EQ(c->Value().AsString(), "8");
}
