// The lookup grid: key value and special row, data and list fields, lookup-field mode, keys, mouse,
// incremental search on the fake clock, record scrolling and the scroll bar, height in whole rows.

#include "tests/datagrid/lookup_fixture.h"

namespace {

TDBLookupGridX* MakeList(TComponent* Owner, TWinControl* Parent, int Rows = 5) {
  auto* g = new TDBLookupGridX(Owner);
  g->SetBounds(10, 10, 240, 100);
  g->SetParent(Parent);
  g->SetDisplayRowCount(Rows);
  return g;
}

}  // namespace

TEST_F(LookupTest, CreatedAsAFlatRowSelectingListOutOfTheTabOrder) {
  auto* g = MakeList(owner.get(), host);
  EXPECT_TRUE(g->Flat());
  EXPECT_FALSE(g->TabStop());
  EXPECT_TRUE(g->Options().Contains(gdoRowSelect));
  EXPECT_TRUE(g->OptionsX().Contains(gxoTraceColSizing));
  EXPECT_EQ(g->VTitleMargin(), 5);
}

TEST_F(LookupTest, KeyFollowsTheRecordAndKeysWriteTheKeyField) {
  auto* g = MakeList(owner.get(), host);
  g->SetDataSource(peopleSrc);
  g->SetDataField("CityID");
  g->SetListSource(citySrc);
  g->SetKeyField("ID");
  g->SetListField("Name");
  win::PumpMessages();
  ASSERT_TRUE(g->ListActive());
  EXPECT_FALSE(g->LookupMode());
  EXPECT_EQ(g->KeyValue().AsInteger(), 2);  // Ann lives in Berlin
  EXPECT_EQ(g->SelectedText(), "Berlin");
  EXPECT_TRUE(g->RowPositioned());
  EXPECT_EQ(g->Row(), g->TitleOffset() + g->KeyRowIndex());

  // The row of the key follows the record of the edited data set.
  people->Next();
  EXPECT_EQ(g->KeyValue().AsInteger(), 5);
  EXPECT_EQ(g->SelectedText(), "Dublin");

  // Keys pick list records and write their key into the edited record.
  people->First();
  Key(g, VK_DOWN);
  EXPECT_EQ(people->State(), dsEdit);
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 3);
  EXPECT_EQ(g->SelectedText(), "Bern");
  Key(g, VK_UP);
  Key(g, VK_UP);
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 1);
  Key(g, VK_UP);  // at the first record without a special row: stays
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 1);
  Key(g, VK_END);
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 10);
  Key(g, VK_PRIOR);  // a page of five rows: four records up
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 6);
  Key(g, VK_HOME);
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 1);
  people->Post();
  EXPECT_EQ(CityOf(0), 1);

  // Read-only data: keys do not write.
  g->SetLookupReadOnly(true);
  people->First();
  Key(g, VK_DOWN);
  EXPECT_EQ(people->State(), dsBrowse);
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 1);
}

// A key of two fields: the key value is an array of two, the list finds its record by both, and a
// pick writes both data fields.
TEST_F(LookupTest, AKeyOfTwoFieldsFindsItsRecordAndWritesBothFields) {
  auto* visits = new TMemDataSet(owner.get());
  visits->AddField("CityID", ftInteger);
  visits->AddField("CityPop", ftInteger);
  visits->Open();
  visits->Append();
  visits->FieldByName("CityID")->SetAsInteger(7);
  visits->FieldByName("CityPop")->SetAsInteger(700);
  visits->Post();
  auto* visitSrc = new TDataSource(owner.get());
  visitSrc->SetDataSet(visits);
  auto* g = MakeList(owner.get(), host);
  g->SetDataSource(visitSrc);
  g->SetDataField("CityID;CityPop");
  g->SetListSource(citySrc);
  g->SetKeyField("ID;Pop");
  g->SetListField("Name");
  win::PumpMessages();
  ASSERT_TRUE(g->ListActive());
  ASSERT_TRUE(g->KeyValue().IsArray());
  EXPECT_EQ(g->SelectedText(), "Paris");
  EXPECT_TRUE(g->RowPositioned());
  ASSERT_GE(g->KeyRowIndex(), 0);
  EXPECT_EQ(g->Row(), g->TitleOffset() + g->KeyRowIndex());
  Key(g, VK_DOWN);
  EXPECT_EQ(visits->FieldByName("CityID")->AsInteger(), 8);
  EXPECT_EQ(visits->FieldByName("CityPop")->AsInteger(), 800);
  EXPECT_EQ(g->SelectedText(), "Quito");
  // Set from outside: found by both fields; a pair the list lacks (Paris's ID with another Pop) is not.
  g->SetKeyValue(VarArrayOf({Variant(2), Variant(200)}));
  EXPECT_EQ(g->SelectedText(), "Berlin");
  g->SetKeyValue(VarArrayOf({Variant(7), Variant(800)}));
  EXPECT_EQ(g->SelectedText(), "");
}

TEST_F(LookupTest, WithoutDataFieldOnlyTheKeyValueChanges) {
  auto* g = MakeList(owner.get(), host);
  g->SetListSource(citySrc);
  g->SetKeyField("ID");
  g->SetListField("Name;Pop");
  win::PumpMessages();
  EXPECT_EQ(g->Columns()->Count(), 2);
  EXPECT_TRUE(g->KeyValue().IsNull());
  EXPECT_EQ(g->SelectedText(), "");  // a Null key shows no record's text
  g->SetKeyValue(Variant(7));
  EXPECT_EQ(g->SelectedText(), "Paris");
  Key(g, VK_DOWN);
  EXPECT_EQ(g->KeyValue().AsInteger(), 8);
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 2);  // nothing else written
  // A key the list lacks: the list goes to its start and nothing is chosen; Down picks the first.
  g->SetKeyValue(Variant(99));
  EXPECT_EQ(g->SelectedText(), "");
  Key(g, VK_DOWN);
  EXPECT_EQ(g->KeyValue().AsInteger(), 1);
  // A missing list field is named in the error.
  EXPECT_THROW(g->SetListField("Name;Nope"), EDatabaseError);
}

TEST_F(LookupTest, LookupFieldModeTakesTheListFromTheField) {
  auto* g = MakeList(owner.get(), host);
  g->SetDataSource(peopleSrc);
  g->SetDataField("City");
  win::PumpMessages();
  ASSERT_TRUE(g->LookupMode());
  EXPECT_EQ(g->KeyField(), "ID");
  ASSERT_EQ(g->KeyFields().size(), 1u);
  EXPECT_EQ(g->KeyFields()[0]->FieldName(), "CityID");
  EXPECT_EQ(g->ListFieldObj()->FieldName(), "Name");
  EXPECT_EQ(g->SelectedText(), "Berlin");
  EXPECT_THROW(g->SetKeyField("Name"), EDatabaseError);
  EXPECT_THROW(g->SetListSource(citySrc), EDatabaseError);
  Key(g, VK_DOWN);
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 3);
  EXPECT_EQ(people->FieldByName("City")->AsString(), "Bern");
  // Leaving the mode detaches the list.
  people->Cancel();
  g->SetDataField("CityID");
  EXPECT_FALSE(g->LookupMode());
  EXPECT_FALSE(g->ListActive());
  // A list linked to the edited data is refused.
  EXPECT_THROW(g->SetListSource(peopleSrc), EDatabaseError);
}

TEST_F(LookupTest, IncrementalSearchWithinTheTimeout) {
  auto* g = MakeList(owner.get(), host);
  g->SetListSource(citySrc);
  g->SetKeyField("ID");
  g->SetListField("Name");
  win::PumpMessages();
  Type(g, "be");
  EXPECT_EQ(g->KeyValue().AsInteger(), 2);  // Berlin
  EXPECT_EQ(g->SearchText(), "be");
  clock.Advance(1999);
  Type(g, "rn");
  EXPECT_EQ(g->KeyValue().AsInteger(), 3);  // Bern
  EXPECT_EQ(g->SearchText(), "bern");
  Char(g, 'x');  // no city starts with bernx: the search text stays
  EXPECT_EQ(g->SearchText(), "bern");
  EXPECT_EQ(g->KeyValue().AsInteger(), 3);
  clock.Advance(2001);
  Char(g, 'C');  // after the pause a new search starts
  EXPECT_EQ(g->SearchText(), "C");
  EXPECT_EQ(g->KeyValue().AsInteger(), 4);  // Cairo
  Char(g, 8);
  EXPECT_EQ(g->SearchText(), "");
}

TEST_F(LookupTest, SearchNeedsAStringListField) {
  auto* g = MakeList(owner.get(), host);
  g->SetListSource(citySrc);
  g->SetKeyField("ID");
  g->SetListField("Pop");
  win::PumpMessages();
  g->SetKeyValue(Variant(1));
  Type(g, "5");
  EXPECT_EQ(g->SearchText(), "");
  EXPECT_EQ(g->KeyValue().AsInteger(), 1);
}

TEST_F(LookupTest, TheSearchStopsAt32Characters) {
  auto* words = new TMemDataSet(owner.get());
  words->AddField("ID", ftInteger);
  words->AddField("Word", ftString, 40);
  words->Open();
  words->Append();
  words->FieldByName("ID")->SetAsInteger(1);
  words->FieldByName("Word")->SetAsString(std::string(40, 'z'));
  words->Post();
  auto* src = new TDataSource(owner.get());
  src->SetDataSet(words);
  auto* g = MakeList(owner.get(), host);
  g->SetListSource(src);
  g->SetKeyField("ID");
  g->SetListField("Word");
  win::PumpMessages();
  Type(g, std::string(33, 'z'));
  EXPECT_EQ(g->KeyValue().AsInteger(), 1);
  EXPECT_EQ(g->SearchText(), std::string(32, 'z'));  // the 33rd was dropped
}

TEST_F(LookupTest, SpecialRowStandsForValuesOutsideTheList) {
  auto* g = MakeList(owner.get(), host);
  g->SpecRow()->SetCellsText("(none)");
  g->SpecRow()->SetValue(Variant(0));
  g->SpecRow()->SetVisible(true);
  g->SetDataSource(peopleSrc);
  g->SetDataField("CityID");
  g->SetListSource(citySrc);
  g->SetKeyField("ID");
  g->SetListField("Name");
  win::PumpMessages();
  EXPECT_EQ(g->SpecGridRow(), 0);
  EXPECT_EQ(g->TitleOffset(), 1);
  EXPECT_FALSE(g->SpecRowSelected());
  // A key not in the list with ShowIfNotInKeyList selects the special row.
  people->Edit();
  people->FieldByName("CityID")->SetAsInteger(99);
  EXPECT_TRUE(g->SpecRowSelected());
  EXPECT_EQ(g->SelectedText(), "(none)");
  // Down from the special row takes the first record; Up from the first record the special row.
  Key(g, VK_DOWN);
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 1);
  EXPECT_FALSE(g->SpecRowSelected());
  Key(g, VK_UP);
  EXPECT_TRUE(g->SpecRowSelected());
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 0);  // the special row's value
  // A hidden special row is never selected.
  g->SpecRow()->SetVisible(false);
  people->FieldByName("CityID")->SetAsInteger(98);
  EXPECT_FALSE(g->SpecRowSelected());
  EXPECT_EQ(g->TitleOffset(), 0);
}

TEST_F(LookupTest, HeightIsWholeRows) {
  auto* g = MakeList(owner.get(), host);
  g->SetListSource(citySrc);
  g->SetKeyField("ID");
  g->SetListField("Name");
  win::PumpMessages();
  int row = g->RowPixelHeight();
  int border = g->BorderHeight();
  struct Case {
    int Asked, Rows;
  } cases[] = {{0, 1}, {1, 1}, {5, 5}, {500, 100}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Asked);
    g->SetDisplayRowCount(c.Asked);
    EXPECT_EQ(g->DisplayRows(), c.Rows);
    EXPECT_EQ(g->Height(), border + c.Rows * row);
  }
  // A height between rows snaps down to whole rows.
  g->SetBounds(g->Left(), g->Top(), g->Width(), border + 3 * row + row / 2);
  EXPECT_EQ(g->DisplayRows(), 3);
  EXPECT_EQ(g->Height(), border + 3 * row);
  // Titles and the special row add their rows.
  g->SetShowTitles(true);
  win::PumpMessages();
  EXPECT_EQ(g->Height(), border + 3 * row + g->TitleRowHeight() + (g->Options().Contains(gdoRowLines) ? 1 : 0));
  g->SpecRow()->SetVisible(true);
  win::PumpMessages();
  EXPECT_EQ(g->SpecRowHeight(), row);
  EXPECT_EQ(g->DisplayRows(), 3);
  // The list buffer holds what is shown.
  EXPECT_EQ(g->DataLink()->BufferCount(), 3);
}

TEST_F(LookupTest, ScrollingByRecordAndTheScrollBar) {
  auto* g = MakeList(owner.get(), host, 4);
  g->SetListSource(citySrc);
  g->SetKeyField("ID");
  g->SetListField("Name");
  win::PumpMessages();
  g->SetKeyValue(Variant(1));
  EXPECT_EQ(g->VertScrollMax(), 9);
  EXPECT_EQ(g->VertScrollPos(), 0);
  SendMessage(g->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(g->VertScrollPos(), 1);  // the list window moved one record
  EXPECT_EQ(g->KeyValue().AsInteger(), 1);  // the key stays
  SendMessage(g->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(g->VertScrollPos(), 4);  // a page less the row kept in view
  SendMessage(g->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(g->VertScrollPos(), 6);  // ten records, four rows
  SendMessage(g->Handle(), WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(g->VertScrollPos(), 5);
  SendMessage(g->Handle(), WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(g->VertScrollPos(), 0);
  SCROLLINFO si{};
  si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
  GetScrollInfo(g->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nMax, 9);
  EXPECT_EQ(si.nPage, 4u);
  // The wheel moves the window too.
  SendMessage(g->Handle(), WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<WORD>(-120)) << 16,
              MAKELPARAM(g->ClientOrigin().X + 5, g->ClientOrigin().Y + 5));
  win::PumpMessages();
  EXPECT_GT(g->VertScrollPos(), 0);
}

TEST_F(LookupTest, MouseClickAndDragPickRecords) {
  auto* g = MakeList(owner.get(), host);
  g->SetDataSource(peopleSrc);
  g->SetDataField("CityID");
  g->SetListSource(citySrc);
  g->SetKeyField("ID");
  g->SetListField("Name");
  win::PumpMessages();
  cities->First();
  win::PumpMessages();
  TPoint p = CellCentre(g, 0, 3);
  win::Click(p.X, p.Y);
  win::PumpMessages();
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 4);  // the fourth row: Cairo
  int clicks = 0;
  g->OnClick = [&](TObject*) { ++clicks; };
  TPoint q = CellCentre(g, 0, 1);
  win::InjectMouse(q.X, q.Y, WM_LBUTTONDOWN, MK_LBUTTON);
  TPoint r = CellCentre(g, 0, 2);
  win::InjectMouse(r.X, r.Y, WM_MOUSEMOVE, MK_LBUTTON);
  win::InjectMouse(r.X, r.Y, WM_LBUTTONUP, 0);
  win::PumpMessages();
  EXPECT_EQ(people->FieldByName("CityID")->AsInteger(), 3);  // dragged onto Bern
  EXPECT_GE(clicks, 2);
}

TEST_F(LookupTest, MovingAColumnMovesItsSpecialCellAndTheListFields) {
  auto* g = MakeList(owner.get(), host);
  g->SpecRow()->SetCellsText("(none);0");
  g->SpecRow()->SetVisible(true);
  g->SetListSource(citySrc);
  g->SetKeyField("ID");
  g->SetListField("Name;Pop");
  win::PumpMessages();
  ASSERT_EQ(g->Columns()->Count(), 2);
  auto* name = static_cast<TDBLookupGridColumnX*>(g->Columns()->Items(0));
  EXPECT_TRUE(name->DefaultColumn());
  EXPECT_EQ(name->SpecCell()->Text(), "(none)");
  EXPECT_FALSE(name->SpecCell()->TextAssigned());
  g->Columns()->Items(1)->SetIndex(0);  // Pop before Name
  EXPECT_EQ(g->SpecRow()->CellsText(), "0;(none)");
  EXPECT_EQ(g->ListField(), "Pop;Name");
  EXPECT_EQ(g->ListFieldIndex(), 1);  // still the name is the shown field
  EXPECT_EQ(g->ListFieldObj()->FieldName(), "Name");
  EXPECT_EQ(g->Columns()->Items(0)->FieldName(), "Pop");
  EXPECT_TRUE(g->Columns()->Items(0)->DefaultColumn());
  // A special-row cell of its own overrides the special row.
  auto* pop = static_cast<TDBLookupGridColumnX*>(g->Columns()->Items(0));
  pop->SpecCell()->SetText("-");
  pop->SpecCell()->SetColor(clYellow);
  EXPECT_TRUE(pop->SpecCell()->TextAssigned());
  EXPECT_EQ(pop->SpecCell()->Text(), "-");
  EXPECT_EQ(pop->SpecCell()->Color(), clYellow);
  EXPECT_FALSE(pop->SpecCell()->FontAssigned());
  pop->SpecCell()->Font()->SetSize(14);
  EXPECT_TRUE(pop->SpecCell()->FontAssigned());
  // A generated column keeps a width given to it, through later layouts.
  pop->SetWidth(123);
  g->SetShowTitles(true);
  win::PumpMessages();
  EXPECT_EQ(g->Columns()->Items(0)->Width(), 123);
  EXPECT_TRUE(g->Columns()->Items(0)->DefaultColumn());
}

TEST_F(LookupTest, DraggingBelowTheListScrollsOnATimer) {
  auto* g = MakeList(owner.get(), host, 4);
  g->SpecRow()->SetVisible(true);
  g->SetListSource(citySrc);
  g->SetKeyField("ID");
  g->SetListField("Name");
  win::PumpMessages();
  g->SetKeyValue(Variant(2));
  cities->First();
  win::PumpMessages();
  TPoint row = CellCentre(g, 0, g->TitleOffset() + 1);
  win::InjectMouse(row.X, row.Y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::PumpMessages();
  EXPECT_EQ(g->KeyValue().AsInteger(), 2);
  TPoint below = g->ClientToScreen(TPoint(10, g->ClientHeight() + 2));
  win::InjectMouse(below.X, below.Y, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  EXPECT_EQ(g->KeyValue().AsInteger(), 3);  // one record at once
  clock.Advance(200);
  win::PumpMessages();
  clock.Advance(200);
  win::PumpMessages();
  EXPECT_EQ(g->KeyValue().AsInteger(), 5);  // and one per tick
  win::InjectMouse(below.X, below.Y, WM_LBUTTONUP, 0);
  win::PumpMessages();
  clock.Advance(1000);
  win::PumpMessages();
  EXPECT_EQ(g->KeyValue().AsInteger(), 5);  // released: no more
  // Above the list at its start: the special row.
  cities->First();
  win::PumpMessages();
  g->SetKeyValue(Variant(1));
  TPoint first = CellCentre(g, 0, g->TitleOffset());
  win::InjectMouse(first.X, first.Y, WM_LBUTTONDOWN, MK_LBUTTON);
  TPoint above = g->ClientToScreen(TPoint(10, -5));
  win::InjectMouse(above.X, above.Y, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  EXPECT_TRUE(g->SpecRowSelected());
  win::InjectMouse(above.X, above.Y, WM_LBUTTONUP, 0);
  win::PumpMessages();
}

TEST_F(LookupTest, AutoFitMakesTheListAsWideAsItsColumns) {
  auto* g = MakeList(owner.get(), host);
  g->SetListSource(citySrc);
  g->SetKeyField("ID");
  g->SetListField("Name;Pop");
  win::PumpMessages();
  g->SetLookupAutoFitColWidths(true);
  win::PumpMessages();
  EXPECT_EQ(g->Width(), g->WidthForColumns());
  int before = g->Width();
  // The user widens the first column: the list grows with it and the column keeps its width.
  g->SetColWidths(0, g->ColWidths(0) + 40);
  win::PumpMessages();
  EXPECT_EQ(g->Width(), before + 40);
  EXPECT_EQ(g->Columns()->Items(0)->Width(), g->ColWidths(0));
}
