// The lookup combo box in each of its modes: unconfigured, choosing only (csDropDownListX), free text
// (csDropDownX) bound and unbound, lookup-field mode; its drop-down grid by keys and by mouse.

#include "datagrid/DBLookupComboX.h"
#include "platform/controls/edits.h"
#include "platform/forms/forms.h"
#include "platform/graphics/clipbrd.h"
#include "tests/datagrid/lookup_fixture.h"

namespace {

TDBLookupComboboxX* MakeCombo(TComponent* Owner, TWinControl* Parent) {
  auto* c = new TDBLookupComboboxX(Owner);
  c->SetBounds(20, 300, 160, 24);
  c->SetParent(Parent);
  return c;
}

void Bind(TDBLookupComboboxX* C, TDataSource* Data, const char* Field, TDataSource* List) {
  C->SetDataSource(Data);
  C->SetDataField(Field);
  C->SetListSource(List);
  C->SetKeyField("ID");
  C->SetListField("Name");
}

}  // namespace

TEST_F(LookupTest, ComboUnconfiguredIsAPlainEdit) {
  auto* c = MakeCombo(owner.get(), host);
  win::PumpMessages();
  EXPECT_TRUE(c->Unconfigured());
  c->SetText("free");
  EXPECT_EQ(c->Text(), "free");
  EXPECT_EQ(c->Value().AsString(), "free");
  EXPECT_FALSE(c->ListActive());
}

TEST_F(LookupTest, ComboChoosingOnlyTypesToSearchAndStepsByKeys) {
  auto* c = MakeCombo(owner.get(), host);
  Bind(c, peopleSrc, "CityID", citySrc);
  win::PumpMessages();
  ASSERT_TRUE(c->ListActive());
  EXPECT_FALSE(c->Unconfigured());
  EXPECT_EQ(c->Style(), csDropDownListX);
  // No text cursor over a box that is not typed into.
  EXPECT_EQ(SendMessage(c->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(c->Handle()),
                        MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 1);
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
  EXPECT_EQ(c->KeyValue().AsInteger(), 2);
  EXPECT_EQ(c->Text(), "Berlin");
  people->Next();
  EXPECT_EQ(c->Text(), "Dublin");
  people->First();

  c->SetFocus();
  win::PumpMessages();
  Type(c, "be");
  EXPECT_EQ(c->Text(), "Berlin");
  EXPECT_EQ(c->SelStart(), 2);  // the completed tail is selected
  EXPECT_EQ(c->SelLength(), 4);
  Char(c, 8);  // Backspace selects one more character backwards
  EXPECT_EQ(c->SelStart(), 1);
  EXPECT_EQ(c->SelLength(), 5);
  EXPECT_EQ(c->Text(), "Berlin");
  Type(c, "ern");
  EXPECT_EQ(c->Text(), "Bern");
  EXPECT_EQ(c->KeyValue().AsInteger(), 3);
  people->Post();  // the key goes in with the record
  EXPECT_EQ(CityOf(0), 3);

  // Up and Down step through the list and write at once.
  people->First();
  Key(c, VK_DOWN);
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 4);
  EXPECT_EQ(c->Text(), "Cairo");
  Key(c, VK_UP);
  Key(c, VK_UP);
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 2);
  // Delete empties the key.
  c->SelectAll();
  Key(c, VK_DELETE);
  EXPECT_TRUE(people->FieldByName("CityID")->IsNull());
  EXPECT_EQ(c->Text(), "");
  people->Cancel();
  EXPECT_EQ(c->Text(), "Bern");  // as posted above
}

TEST_F(LookupTest, ComboFreeTextUnboundKeepsTheTextBoundGivesNull) {
  // Unbound: text that is not in the list is the value.
  auto* c = MakeCombo(owner.get(), host);
  c->SetStyle(csDropDownX);
  c->SetListSource(citySrc);
  c->SetKeyField("ID");
  c->SetListField("Name");
  win::PumpMessages();
  c->SetFocus();
  win::PumpMessages();
  Type(c, "Ca");
  EXPECT_EQ(c->Text(), "Cairo");  // typing at the end completes
  EXPECT_EQ(c->SelStart(), 2);
  EXPECT_EQ(c->KeyValue().AsInteger(), 4);
  c->SetText("Atlantis");
  EXPECT_TRUE(c->KeyValue().IsNull());
  EXPECT_TRUE(c->TextValue());
  EXPECT_EQ(c->DataLink()->DataIndependentValue().AsString(), "Atlantis");
  c->SetText("rome");  // a list text, case aside, gives its key
  EXPECT_EQ(c->KeyValue().AsInteger(), 9);
  EXPECT_EQ(c->Text(), "Rome");
  EXPECT_FALSE(c->TextValue());

  // Bound: free text not in the list is a Null key.
  auto* b = MakeCombo(owner.get(), host);
  b->SetBounds(20, 340, 160, 24);
  b->SetStyle(csDropDownX);
  Bind(b, peopleSrc, "CityID", citySrc);
  win::PumpMessages();
  b->SetText("Atlantis");
  EXPECT_TRUE(b->KeyValue().IsNull());
  people->Post();
  EXPECT_TRUE(people->FieldByName("CityID")->IsNull());
  b->SetText("oslo");
  people->Post();
  EXPECT_EQ(CityOf(0), 6);
}

TEST_F(LookupTest, ComboLookupFieldMode) {
  auto* c = MakeCombo(owner.get(), host);
  c->SetDataSource(peopleSrc);
  c->SetDataField("City");
  win::PumpMessages();
  ASSERT_TRUE(c->LookupMode());
  EXPECT_EQ(c->KeyField(), "");
  EXPECT_EQ(c->ListSource(), nullptr);
  EXPECT_THROW(c->SetKeyField("ID"), EDatabaseError);
  EXPECT_THROW(c->SetListSource(citySrc), EDatabaseError);
  EXPECT_EQ(c->Text(), "Berlin");
  ASSERT_EQ(c->DataKeyFields().size(), 1u);
  EXPECT_EQ(c->DataKeyFields()[0]->FieldName(), "CityID");
  Key(c, VK_DOWN);
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 3);
  EXPECT_EQ(c->Text(), "Bern");
  // A list linked to the control's own data is refused.
  c->SetDataField("CityID");
  EXPECT_FALSE(c->LookupMode());
  EXPECT_THROW(Bind(c, peopleSrc, "CityID", peopleSrc), EDatabaseError);
}

TEST_F(LookupTest, ComboDropsDownItsGridAndClosesUpByKeysAndMouse) {
  auto* c = MakeCombo(owner.get(), host);
  Bind(c, peopleSrc, "CityID", citySrc);
  int drops = 0, accepts = 0, cancels = 0;
  c->OnDropDown = [&](TObject*) { ++drops; };
  c->OnCloseUp = [&](TObject*, bool Accept) { Accept ? ++accepts : ++cancels; };
  win::PumpMessages();
  c->SetFocus();
  win::PumpMessages();
  // A click into the text of a choosing-only combo box drops the list down.
  auto dropByClick = [&] {
    TPoint p = c->ClientToScreen(TPoint(5, 5));
    win::Click(p.X, p.Y);
    win::PumpMessages();
  };
  dropByClick();
  ASSERT_TRUE(c->ListVisible());
  EXPECT_EQ(drops, 1);
  TPopupDataGridX* g = c->Grid();
  ASSERT_NE(g, nullptr);
  EXPECT_TRUE(g->Visible());
  EXPECT_EQ(g->DisplayRows(), 7);
  EXPECT_EQ(g->KeyValue().AsInteger(), 2);
  EXPECT_GE(g->Width(), c->Width());
  EXPECT_TRUE(c->Focused());
  // Keys go to the list while it is open; Return takes its key.
  Key(c, VK_DOWN);
  Key(c, VK_DOWN);
  EXPECT_EQ(g->KeyValue().AsInteger(), 4);
  EXPECT_EQ(c->KeyValue().AsInteger(), 2);  // not yet taken
  Char(c, 13);
  EXPECT_FALSE(c->ListVisible());
  EXPECT_EQ(accepts, 1);
  EXPECT_EQ(c->KeyValue().AsInteger(), 4);
  EXPECT_EQ(c->Text(), "Cairo");
  people->Post();
  EXPECT_EQ(CityOf(0), 4);

  // Esc leaves the key as it was.
  people->First();
  c->DropDownBox()->SetRows(20);
  dropByClick();
  ASSERT_TRUE(c->ListVisible());
  EXPECT_EQ(g->DisplayRows(), 10);  // a sequenced list with fewer records than Rows
  Key(c, VK_DOWN);
  Char(c, 27);
  EXPECT_FALSE(c->ListVisible());
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(c->KeyValue().AsInteger(), 4);

  // A click on a row of the open list picks it.
  dropByClick();
  ASSERT_TRUE(c->ListVisible());
  cities->First();
  win::PumpMessages();
  TPoint row = CellCentre(g, 0, g->TitleOffset() + 5);
  win::Click(row.X, row.Y);
  win::PumpMessages();
  EXPECT_FALSE(c->ListVisible());
  EXPECT_EQ(accepts, 2);
  EXPECT_EQ(c->KeyValue().AsInteger(), 6);
  EXPECT_EQ(c->Text(), "Oslo");
  EXPECT_TRUE(c->Focused());
}

TEST_F(LookupTest, ComboPasteReplaceWheelShortcutAndNotInList) {
  auto* c = MakeCombo(owner.get(), host);
  Bind(c, peopleSrc, "CityID", citySrc);
  c->DropDownBox()->SpecRow()->SetCellsText("(nowhere)");
  c->DropDownBox()->SpecRow()->SetValue(Null);
  c->DropDownBox()->SpecRow()->SetVisible(true);
  win::PumpMessages();
  c->SetFocus();
  win::PumpMessages();
  // Pasting into a choosing-only box searches with the pasted text.
  Clipboard()->SetAsText("qu");
  c->SelectAll();
  SendMessage(c->Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(c->Text(), "Quito");
  EXPECT_EQ(c->KeyValue().AsInteger(), 8);
  // A replaced selection is matched whole.
  c->SelectAll();
  SendMessage(c->Handle(), EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("sofia"));
  EXPECT_EQ(c->KeyValue().AsInteger(), 10);
  EXPECT_EQ(c->Text(), "Sofia");
  // The wheel steps through the list while it is closed.
  SendMessage(c->Handle(), WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<WORD>(120)) << 16,
              MAKELPARAM(c->ClientOrigin().X + 3, c->ClientOrigin().Y + 3));
  win::PumpMessages();
  EXPECT_EQ(c->KeyValue().AsInteger(), 9);
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 9);
  // The special row's shortcut (Alt+Del) chooses its value and shows its text.
  win::InjectKey(WM_KEYDOWN, VK_MENU);
  win::InjectKey(WM_KEYDOWN, VK_DELETE);
  win::InjectKey(WM_KEYUP, VK_DELETE);
  win::InjectKey(WM_KEYUP, VK_MENU);
  win::PumpMessages();
  EXPECT_TRUE(people->FieldByName("CityID")->IsNull());
  EXPECT_EQ(c->Text(), "(nowhere)");
  // Key-up never reaches OnKeyUp.
  int ups = 0;
  c->OnKeyUp = [&](TObject*, WORD&, TShiftState) { ++ups; };
  Key(c, VK_DOWN);
  EXPECT_EQ(ups, 0);
  people->Cancel();
}

TEST_F(LookupTest, ComboAsksWhatToDoWithTextNotInTheList) {
  auto* c = MakeCombo(owner.get(), host);
  c->SetStyle(csDropDownX);
  Bind(c, peopleSrc, "CityID", citySrc);
  win::PumpMessages();
  std::vector<std::string> asked;
  c->OnNotInList = [&](TObject*, const std::string& Text, bool& Recheck) {
    asked.push_back(Text);
    // The handler adds the city and asks for a second look.
    cities->Append();
    cities->FieldByName("ID")->SetAsInteger(11);
    cities->FieldByName("Name")->SetAsString(Text);
    cities->Post();
    Recheck = true;
  };
  c->SetText("Lima");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], "Lima");
  EXPECT_EQ(c->KeyValue().AsInteger(), 11);
  people->Post();
  EXPECT_EQ(CityOf(0), 11);
  // A text found in the list does not ask.
  c->SetText("oslo");
  EXPECT_EQ(asked.size(), 1u);
}

TEST_F(LookupTest, ComboFocusedUsesTheDropDownBoxList) {
  // The drop-down box's list holds only the capitals; unfocused the combo box reads its own list.
  auto* capitals = new TMemDataSet(owner.get());
  capitals->AddField("ID", ftInteger);
  capitals->AddField("Name", ftString, 20);
  capitals->Open();
  for (auto [id, name] : {std::pair{1, "Amsterdam"}, std::pair{2, "Berlin"}, std::pair{7, "Paris"}}) {
    capitals->Append();
    capitals->FieldByName("ID")->SetAsInteger(id);
    capitals->FieldByName("Name")->SetAsString(name);
    capitals->Post();
  }
  capitals->First();
  auto* capSrc = new TDataSource(owner.get());
  capSrc->SetDataSet(capitals);
  auto* c = MakeCombo(owner.get(), host);
  Bind(c, peopleSrc, "CityID", citySrc);
  c->DropDownBox()->SetListSource(capSrc);
  auto* other = new TEdit(owner.get());
  other->SetBounds(300, 300, 80, 24);
  other->SetParent(host);
  win::PumpMessages();
  people->Next();  // Bob lives in Dublin, not a capital here
  EXPECT_EQ(c->Text(), "Dublin");
  c->SetFocus();
  win::PumpMessages();
  EXPECT_EQ(c->Text(), "Dublin");  // the text still comes from the own list
  Key(c, VK_DOWN);                  // steps through the capitals: Dublin is not there, so the first
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 1);
  Key(c, VK_DOWN);
  Key(c, VK_DOWN);
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 7);
  EXPECT_EQ(c->Text(), "Paris");
  other->SetFocus();
  win::PumpMessages();
  EXPECT_EQ(c->Text(), "Paris");
  people->Post();
  // A list source that goes away is forgotten.
  delete capSrc;
  EXPECT_EQ(c->DropDownBox()->ListSource(), nullptr);
  c->SetFocus();
  win::PumpMessages();
  Key(c, VK_DOWN);
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 8);  // the own list again: Quito after Paris
  people->Cancel();
}

TEST_F(LookupTest, ComboTakesBackTheColumnOrderOfItsList) {
  auto* c = MakeCombo(owner.get(), host);
  Bind(c, peopleSrc, "CityID", citySrc);
  c->SetListField("Name;Pop");
  c->DropDownBox()->SpecRow()->SetCellsText("(none);-");
  win::PumpMessages();
  c->SetFocus();
  win::PumpMessages();
  TPoint at = c->ClientToScreen(TPoint(5, 5));
  win::Click(at.X, at.Y);
  win::PumpMessages();
  ASSERT_TRUE(c->ListVisible());
  c->Grid()->Columns()->Items(1)->SetIndex(0);  // the user drags Pop before Name
  Char(c, 27);
  EXPECT_FALSE(c->ListVisible());
  EXPECT_EQ(c->ListField(), "Pop;Name");
  EXPECT_EQ(c->ListFieldIndex(), 1);
  EXPECT_EQ(c->ListFieldObj()->FieldName(), "Name");
  EXPECT_EQ(c->DropDownBox()->SpecRow()->CellsText(), "-;(none)");
  EXPECT_EQ(c->Text(), "Berlin");
}

TEST_F(LookupTest, ComboDropDownBoxReachesTheGridsColumnsAndOptions) {
  auto* c = MakeCombo(owner.get(), host);
  Bind(c, peopleSrc, "CityID", citySrc);
  c->SetListField("Name;Pop");
  EXPECT_EQ(c->DropDownBox()->Rows(), 7);
  c->DropDownBox()->SetOptions({dlgColLinesX, dlgRowLinesX});
  ASSERT_NE(c->Grid(), nullptr);  // made on first use
  EXPECT_TRUE(c->Grid()->Options().Contains(gdoRowLines));
  EXPECT_TRUE(c->DropDownBox()->Options().Contains(dlgRowLinesX));
  // The box's columns are the grid's: one user column shows only the population.
  TColumnX* pop = c->DropDownBox()->Columns()->Add();
  pop->SetFieldName("Pop");
  pop->Title()->SetCaption("Inhabitants");
  win::PumpMessages();
  c->SetFocus();
  win::PumpMessages();
  TPoint at = c->ClientToScreen(TPoint(5, 5));
  win::Click(at.X, at.Y);
  win::PumpMessages();
  ASSERT_TRUE(c->ListVisible());
  EXPECT_EQ(c->Grid()->Columns()->Count(), 1);
  EXPECT_EQ(c->Grid()->Columns()->Items(0)->Field()->FieldName(), "Pop");
  Key(c, VK_DOWN);
  Char(c, 13);
  EXPECT_EQ(c->KeyValue().AsInteger(), 3);
  EXPECT_EQ(c->Text(), "Bern");  // the text still shows the list field
}

namespace {

// Paints as a copy for one record (as a grid of controls does).
class TCopyCombo : public TDBLookupComboboxX {
 public:
  using TDBLookupComboboxX::TDBLookupComboboxX;
  std::string CopyText() {
    FControlState.Include(csPaintCopy);
    std::string t = GetPaintCopyText();
    FControlState.Exclude(csPaintCopy);
    return t;
  }
};

}  // namespace

TEST_F(LookupTest, ComboPaintedAsACopyShowsTheRecordsListText) {
  auto* c = new TCopyCombo(owner.get());
  c->SetBounds(20, 300, 160, 24);
  c->SetParent(host);
  Bind(c, peopleSrc, "CityID", citySrc);
  win::PumpMessages();
  people->Next();
  EXPECT_EQ(c->CopyText(), "Dublin");
  people->Edit();
  people->FieldByName("CityID")->SetAsInteger(99);
  EXPECT_EQ(c->CopyText(), "");  // a key the list lacks shows nothing
  people->Cancel();
}

// Tabbing through a free-text combo in a form, keys taken by the application's loop as the program
// takes them: the Tab that moves the focus on is not typed into the combo, so its empty text does not
// pick the first list record.
TEST_F(LookupTest, TabbingThroughAFreeTextComboLeavesANullKeyNull) {
  FormsUnit::Initialize();
  Application->Initialize();
  auto* form = new TForm(nullptr);
  form->SetBounds(60, 60, 400, 200);
  auto* before = new TEdit(form);
  before->SetBounds(20, 20, 160, 21);
  before->SetParent(form);
  auto* combo = MakeCombo(form, form);
  combo->SetBounds(20, 60, 160, 24);
  combo->SetStyle(csDropDownX);
  Bind(combo, peopleSrc, "CityID", citySrc);
  auto* after = new TEdit(form);
  after->SetBounds(20, 100, 160, 21);
  after->SetParent(form);
  people->Edit();
  people->FieldByName("CityID")->Clear();
  people->Post();
  form->Show();
  before->SetFocus();
  Application->ProcessMessages();
  ASSERT_EQ(combo->Text(), "");
  for (int i = 0; i < 2; ++i) {
    win::InjectKey(WM_KEYDOWN, VK_TAB);
    win::InjectKey(WM_KEYUP, VK_TAB);
    Application->ProcessMessages();
    EXPECT_TRUE((i == 0 ? static_cast<TWinControl*>(combo) : after)->Focused());
  }
  if (people->State() != dsBrowse) people->Post();
  EXPECT_TRUE(people->FieldByName("CityID")->IsNull());
  EXPECT_EQ(combo->Text(), "");
  delete form;
  FormsUnit::Finalize();
}
