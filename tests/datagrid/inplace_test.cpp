// The in-place cell editor on a real data set: each style opened, used and committed through keys,
// characters and clicks; Esc restoring the value; the faults mended (character codes taken for keys,
// the blank after a failed lookup pick, the step direction of the up-down buttons).

#include <algorithm>

#include "datagrid/DBGridXFooter.h"
#include "tests/datagrid/inplace_fixture.h"

TEST_F(InplaceTest, EditStylePerColumn) {
  TDBGridInplaceEdit* e = OpenEditor("ID");
  ASSERT_NE(e, nullptr);
  Col("Name")->PickList()->Add("Apple");
  Col("Amount")->SetButtonStyle(cbsDropDown);
  struct Case {
    const char* field;
    TColumnButtonStyleX button;
    TColumnEditStyleX expected;
  };
  const Case cases[] = {
      {"ID", cbsAuto, cesSimple},        {"Name", cbsAuto, cesPickList},   {"Amount", cbsDropDown, cesDropDown},
      {"Born", cbsAuto, cesCalendar},    {"Kind", cbsAuto, cesSimple},     {"KindName", cbsAuto, cesLookupList},
      {"ID", cbsUpDown, cesUpDown},      {"ID", cbsEllipsis, cesEllipsis}, {"Born", cbsNone, cesSimple},
  };
  for (const Case& c : cases) {
    TColumnX* col = Col(c.field);
    TColumnButtonStyleX keep = col->ButtonStyle();
    col->SetButtonStyle(c.button);
    EXPECT_EQ(e->GetColumnEditStyle(col), c.expected) << c.field << " " << int(c.button);
    col->SetButtonStyle(keep);
  }
  // A read-only grid has no lookup list; a read-only date field no calendar.
  grid->SetReadOnly(true);
  EXPECT_EQ(e->GetColumnEditStyle(Col("KindName")), cesSimple);
  grid->SetReadOnly(false);
  people->FieldByName("Born")->SetReadOnly(true);
  EXPECT_EQ(e->GetColumnEditStyle(Col("Born")), cesSimple);
}

TEST_F(InplaceTest, PickListCompletesDropsDownAndCommits) {
  for (const char* s : {"Apple", "Banana", "Cherry"}) Col("Name")->PickList()->Add(s);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->EditStyle(), cesPickList);
  EXPECT_TRUE(e->ButtonControl(0)->Visible());
  e->SelectAll();
  Type("b");
  EXPECT_EQ(e->Text(), "Banana");
  EXPECT_EQ(e->SelStart(), 1);
  EXPECT_EQ(e->SelLength(), 5);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  ASSERT_NE(e->PickListControl(), nullptr);
  EXPECT_TRUE(e->PickListControl()->Visible());
  EXPECT_EQ(e->PickListControl()->ItemIndex(), 1);
  Key(VK_DOWN);
  EXPECT_EQ(e->PickListControl()->ItemIndex(), 2);
  EXPECT_EQ(e->Text(), "Cherry");
  // Characters whose codes equal navigation keys ('!' is VK_PRIOR, '(' is VK_DOWN) do not move the list.
  Type("!");
  Type("(");
  EXPECT_EQ(e->PickListControl()->ItemIndex(), 2);
  e->SetText("Cherry");
  Key(VK_RETURN);
  EXPECT_FALSE(e->ListShown());
  EXPECT_FALSE(e->PickListControl()->Visible());
  EXPECT_EQ(e->Text(), "Cherry");
  people->Post();
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "Cherry");
}

// A character beyond 16 bits (𠮷, typed as two UTF-16 halves) completes from the pick list as a
// whole character, with and without a key list; one that no entry begins with is typed as itself.
TEST_F(InplaceTest, PickListCompletesACharacterBeyondSixteenBits) {
  const std::string yoshi = "\xF0\xA0\xAE\xB7";  // 𠮷
  const std::string entry = yoshi + "\xE9\x87\x8E\xE5\xAE\xB6";  // 𠮷野家
  struct Case {
    const char* What;
    std::vector<std::string> Pick, Keys;
    std::string Text;
    int SelStart, SelLength;
  } cases[] = {
      {"pick list", {"Apple", entry, "Banana"}, {}, entry, 1, 2},
      {"pick list with keys", {"Apple", entry, "Banana"}, {"A", "Y", "B"}, entry, 1, 2},
      {"no entry begins with it", {"Apple", "Banana"}, {}, yoshi, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TColumnX* name = Col("Name");
    name->PickList()->Clear();
    name->KeyList()->Clear();
    for (const std::string& p : c.Pick) name->PickList()->Add(p);
    for (const std::string& k : c.Keys) name->KeyList()->Add(k);
    TDBGridInplaceEdit* e = OpenEditor("Name");
    ASSERT_NE(e, nullptr);
    e->SelectAll();
    Type(yoshi);
    EXPECT_EQ(e->Text(), c.Text);
    EXPECT_EQ(e->SelStart(), c.SelStart);
    EXPECT_EQ(e->SelLength(), c.SelLength);
    Key(VK_ESCAPE);
    Key(VK_ESCAPE);
  }
  // The lookup list completes the same way, and the key of the record found is what is stored.
  kinds->Append();
  kinds->FieldByName("Key")->SetAsString("Y");
  kinds->FieldByName("Label")->SetAsString(entry);
  kinds->Post();
  TDBGridInplaceEdit* e = OpenEditor("KindName");
  ASSERT_NE(e, nullptr);
  e->SelectAll();
  Type(yoshi);
  EXPECT_EQ(e->Text(), entry);
  EXPECT_EQ(e->SelStart(), 1);
  EXPECT_EQ(e->SelLength(), 2);
  Key(VK_RETURN);
  people->Post();
  EXPECT_EQ(people->FieldByName("Kind")->AsString(), "Y");
}

// The drop-downs take their own sizes: the calculator its auto size (its stored 184 x 127 client area
// plus twice the raised frame's 2 pixels), whatever the cell's width, so that its display and its
// right-hand keys show; the pick list a client area as wide as its widest entry + 4 beside its
// scroll bar, so that the bar covers no text.
TEST_F(InplaceTest, TheDropDownsTakeTheirOwnWidths) {
  Col("Amount")->SetWidth(110);
  Col("Amount")->SetButtonStyle(cbsDropDown);
  TDBGridInplaceEdit* e = OpenEditor("Amount");
  ASSERT_NE(e, nullptr);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  TPopupCalculatorX* calc = e->CalculatorControl();
  ASSERT_NE(calc, nullptr);
  EXPECT_LT(e->Width(), 188);
  EXPECT_EQ(calc->Width(), 188);
  EXPECT_EQ(calc->Height(), 131);
  EXPECT_EQ(calc->ClientWidth(), 184);
  // The C key (151 + 27) and the equal key (122 + 56) end inside the client area.
  EXPECT_LE(calc->Key(6)->Left() + calc->Key(6)->Width(), calc->ClientWidth());
  EXPECT_LE(calc->Key(23)->Left() + calc->Key(23)->Width(), calc->ClientWidth());
  Key(VK_ESCAPE);
  Key(VK_ESCAPE);

  TColumnX* name = Col("Name");
  name->SetWidth(60);
  name->SetDropDownRows(4);
  const std::string longest = "A pick list entry wider than its cell";
  for (const char* s : {"Ann", "Bob", "Cui", "Dora", "Eve", "Fay"}) name->PickList()->Add(s);
  name->PickList()->Add(longest);
  e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  TPopupListboxX* list = e->PickListControl();
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(GetWindowLong(list->Handle(), GWL_STYLE) & WS_VSCROLL) << "seven entries in four rows";
  const int widest = MeasureControlText(longest, list->Font()).cx;
  EXPECT_EQ(list->ClientWidth(), widest + 4);
  EXPECT_EQ(list->RowsShown(), 4);
}

TEST_F(InplaceTest, EscRestoresTheValue) {
  for (const char* s : {"Apple", "Banana"}) Col("Name")->PickList()->Add(s);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  AltDown();
  Key(VK_DOWN);
  EXPECT_EQ(e->Text(), "Apple");
  Key(VK_ESCAPE);  // closes the list, not accepted: back to the grid's edit text
  EXPECT_FALSE(e->ListShown());
  EXPECT_EQ(e->Text(), "Ann");
  e->SelectAll();
  Type("z");
  EXPECT_EQ(e->Text(), "z");
  Key(VK_ESCAPE);  // the grid's Esc: the record's value comes back, the typed text is dropped
  EXPECT_EQ(e->Text(), "Ann");
  if (people->State() != dsBrowse) people->Post();
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "Ann");
  e = OpenEditor("Name");
  EXPECT_EQ(e->Text(), "Ann");
}

TEST_F(InplaceTest, TabOutOfTheCellStoresTheTypedTextNotAnItemOnlyBrowsedTo) {
  for (const char* s : {"Apple", "Banana"}) Col("Name")->PickList()->Add(s);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  e->SelectAll();
  Type("z");  // no item starts with z: nothing completed
  EXPECT_EQ(e->Text(), "z");
  AltDown();
  Key(VK_DOWN);
  EXPECT_EQ(e->Text(), "Apple");
  Key(VK_TAB);  // leaves the cell with the list open: the list closes without a pick
  EXPECT_FALSE(e->ListShown());
  if (people->State() != dsBrowse) people->Post();
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "z");
}

TEST_F(InplaceTest, LookupListByKeysMouseAndTyping) {
  TDBGridInplaceEdit* e = OpenEditor("KindName");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->EditStyle(), cesLookupList);
  EXPECT_EQ(e->Text(), "Adult");
  AltDown();
  ASSERT_TRUE(e->ListShown());
  TPopupDataGridX* list = e->LookupList();
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->Visible());
  // Three records and DropDownRows 7: three rows.
  EXPECT_EQ(list->DisplayRows(), 3);
  EXPECT_EQ(VarToStr(list->KeyValue()), "A");
  Key(VK_DOWN);
  EXPECT_EQ(e->Text(), "Child");
  Key(VK_RETURN);
  EXPECT_FALSE(e->ListShown());
  EXPECT_EQ(VarToStr(grid->EditValue()), "C");
  people->Post();
  EXPECT_EQ(people->FieldByName("Kind")->AsString(), "C");
  EXPECT_EQ(people->FieldByName("KindName")->AsString(), "Child");

  // Typing completes against the list's result field and takes the key.
  e = OpenEditor("KindName");
  e->SelectAll();
  Type("s");
  EXPECT_EQ(e->Text(), "Senior");
  EXPECT_EQ(e->SelStart(), 1);
  EXPECT_EQ(VarToStr(grid->EditValue()), "S");
  people->Post();
  EXPECT_EQ(people->FieldByName("Kind")->AsString(), "S");

  // A click on the first row of the dropped list picks it.
  e = OpenEditor("KindName");
  AltDown();
  list = e->LookupList();
  ASSERT_TRUE(e->ListShown());
  TRect r = list->CellRect(0, list->TitleOffset());
  ClickAt(list, r.Left + 5, (r.Top + r.Bottom) / 2);
  EXPECT_FALSE(e->ListShown());
  EXPECT_EQ(e->Text(), "Adult");
  people->Post();
  EXPECT_EQ(people->FieldByName("Kind")->AsString(), "A");

  // Delete with the whole text selected empties the value.
  e = OpenEditor("KindName");
  e->SelectAll();
  Key(VK_DELETE);
  EXPECT_EQ(e->Text(), "");
  EXPECT_TRUE(grid->EditValue().IsNull());
  people->Post();
  EXPECT_TRUE(people->FieldByName("Kind")->IsNull());
}

TEST_F(InplaceTest, LookupRowsFollowTheListDataSet) {
  TDBGridInplaceEdit* e = OpenEditor("KindName");
  Col("KindName")->SetDropDownRows(2);
  AltDown();
  EXPECT_EQ(e->LookupList()->DisplayRows(), 2);
  Key(VK_ESCAPE);
  Col("KindName")->SetDropDownRows(7);
  kinds->SetSequenced(false);
  AltDown();
  EXPECT_EQ(e->LookupList()->DisplayRows(), 7);
  Key(VK_ESCAPE);
  // Backspace in a lookup cell without a not-in-list handler only moves the caret.
  e->SetSelStart(3);
  Key(VK_BACK);
  EXPECT_EQ(e->Text(), "Adult");
  EXPECT_EQ(e->SelStart(), 2);
}

TEST_F(InplaceTest, FailedLookupPickLeavesTheFieldTextWithoutABlank) {
  TDBGridInplaceEdit* e = OpenEditor("KindName");
  AltDown();
  Key(VK_DOWN);
  people->BeforeEdit = [](TDataSet*) { throw EDatabaseError("locked"); };
  EXPECT_THROW(e->CloseUp(true), EDatabaseError);
  EXPECT_EQ(e->Text(), "Adult");
  EXPECT_FALSE(e->ListShown());
  people->BeforeEdit = nullptr;
}

TEST_F(InplaceTest, CalendarDropDownStepsAndCommits) {
  TDBGridInplaceEdit* e = OpenEditor("Born");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->EditStyle(), cesCalendar);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  TPopupMonthCalendarX* cal = e->CalendarControl();
  ASSERT_NE(cal, nullptr);
  EXPECT_TRUE(cal->Visible());
  EXPECT_EQ(cal->Date(), EncodeDate(2000, 1, 10));
  Key(VK_RIGHT);
  EXPECT_EQ(cal->Date(), EncodeDate(2000, 1, 11));
  Key(VK_RETURN);
  EXPECT_FALSE(e->ListShown());
  EXPECT_EQ(e->Text(), DateToStr(EncodeDate(2000, 1, 11)));
  people->Post();
  EXPECT_EQ(people->FieldByName("Born")->AsDateTime(), EncodeDate(2000, 1, 11));
  // An unreadable text falls back to the field's date.
  e = OpenEditor("Born");
  e->SetText("not a date");
  AltDown();
  EXPECT_EQ(cal->Date(), EncodeDate(2000, 1, 11));
  Key(VK_ESCAPE);
  EXPECT_FALSE(e->ListShown());
}

TEST_F(InplaceTest, CalculatorDropDownComputesAndCommits) {
  Col("Amount")->SetButtonStyle(cbsDropDown);
  TDBGridInplaceEdit* e = OpenEditor("Amount");
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->CalculatorApplies());
  AltDown();
  ASSERT_TRUE(e->ListShown());
  TPopupCalculatorX* calc = e->CalculatorControl();
  ASSERT_NE(calc, nullptr);
  EXPECT_TRUE(calc->Visible());
  Variant v;
  calc->GetValue(v);
  EXPECT_DOUBLE_EQ(v.AsDouble(), 1.25);
  Type("*2");
  EXPECT_TRUE(e->ListShown());
  EXPECT_EQ(calc->DisplayText(), "2");
  Key(VK_RETURN);  // "=" while an operation is pending
  EXPECT_TRUE(e->ListShown());
  Key(VK_RETURN);  // "Ok"
  EXPECT_FALSE(e->ListShown());
  EXPECT_EQ(e->Text(), "2.5");
  people->Post();
  EXPECT_DOUBLE_EQ(people->FieldByName("Amount")->AsFloat(), 2.5);
}

TEST_F(InplaceTest, CalculatorEnterAfterAnOperatorAloneAcceptsTheShownValue) {
  Col("Amount")->SetButtonStyle(cbsDropDown);
  TDBGridInplaceEdit* e = OpenEditor("Amount");
  ASSERT_NE(e, nullptr);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  TPopupCalculatorX* calc = e->CalculatorControl();
  ASSERT_NE(calc, nullptr);
  // "5 +" leaves no right operand: the equal key offers "Ok", and Enter closes with the 5 shown.
  Type("c5+");
  EXPECT_EQ(calc->DisplayText(), "5");
  EXPECT_EQ(calc->Key(23)->Caption(), "Ok");
  Key(VK_RETURN);
  EXPECT_FALSE(e->ListShown());
  EXPECT_EQ(e->Text(), "5");
  people->Post();
  EXPECT_DOUBLE_EQ(people->FieldByName("Amount")->AsFloat(), 5);
}

TEST_F(InplaceTest, CalculatorDisplayThatIsNoNumberLeavesTheFieldAlone) {
  Col("Amount")->SetButtonStyle(cbsDropDown);
  TDBGridInplaceEdit* e = OpenEditor("Amount");
  ASSERT_NE(e, nullptr);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  TPopupCalculatorX* calc = e->CalculatorControl();
  ASSERT_NE(calc, nullptr);
  // 0.0000001, +/-, and a separator: the display would read "-1E-7.", which is no number.
  Type("0.0000001i");
  EXPECT_EQ(calc->DisplayText(), "-1E-7");
  Type(".");
  EXPECT_EQ(calc->DisplayText(), "Error");
  Type("+1");
  EXPECT_TRUE(e->ListShown());
  Key(VK_RETURN);  // "Ok" in the error state: closes, and the cell keeps its value
  EXPECT_FALSE(e->ListShown());
  EXPECT_EQ(e->Text(), "1.25");
  people->Post();
  EXPECT_DOUBLE_EQ(people->FieldByName("Amount")->AsFloat(), 1.25);
}

TEST_F(InplaceTest, CalculatorEqualAfterARootCompletesThePendingOperation) {
  Col("Amount")->SetButtonStyle(cbsDropDown);
  TDBGridInplaceEdit* e = OpenEditor("Amount");
  ASSERT_NE(e, nullptr);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  TPopupCalculatorX* calc = e->CalculatorControl();
  ASSERT_NE(calc, nullptr);
  // 2 + sqrt(9) typed (S is the square root's key, R the reciprocal's): the equal key offers the sum,
  // and "=" shows 5 with the pop-up still open.
  Type("2+9s");
  EXPECT_EQ(calc->DisplayText(), "3");
  EXPECT_EQ(calc->Key(23)->Caption(), "=");
  Type("=");
  EXPECT_TRUE(e->ListShown());
  EXPECT_EQ(calc->DisplayText(), "5");
  EXPECT_EQ(calc->Key(23)->Caption(), "Ok");
  // The reciprocal likewise, then Enter at "Ok" writes the result.
  Type("-4r");
  Key(VK_RETURN);
  EXPECT_TRUE(e->ListShown());
  EXPECT_EQ(calc->DisplayText(), "4.75");
  Key(VK_RETURN);
  EXPECT_FALSE(e->ListShown());
  EXPECT_EQ(e->Text(), "4.75");
  people->Post();
  EXPECT_DOUBLE_EQ(people->FieldByName("Amount")->AsFloat(), 4.75);
}

TEST_F(InplaceTest, UpDownButtonsStepByTheSignOfTheIncrement) {
  TColumnX* id = Col("ID");
  id->SetButtonStyle(cbsUpDown);
  id->SetIncrement(2);
  TDBGridInplaceEdit* e = OpenEditor("ID");
  ASSERT_NE(e, nullptr);
  TEditButtonControlX* b = e->ButtonControl(0);
  ASSERT_TRUE(b->Visible());
  ClickAt(b, b->Width() / 2, 2);  // upper half: up
  EXPECT_EQ(e->Text(), "3");
  ClickAt(b, b->Width() / 2, b->Height() - 2);  // lower half: down
  ClickAt(b, b->Width() / 2, b->Height() - 2);
  EXPECT_EQ(e->Text(), "-1");
  people->Post();
  EXPECT_EQ(people->FieldByName("ID")->AsInteger(), -1);

  // A list cell: Down goes to the next item, Up to the previous one, also with an increment of 2.
  TColumnX* name = Col("Name");
  for (const char* s : {"Ann", "Bea", "Cid"}) name->PickList()->Add(s);
  name->SetButtonStyle(cbsUpDown);
  name->SetIncrement(2);
  e = OpenEditor("Name");
  b = e->ButtonControl(0);
  ClickAt(b, b->Width() / 2, b->Height() - 2);
  EXPECT_EQ(e->Text(), "Bea");
  ClickAt(b, b->Width() / 2, b->Height() - 2);
  EXPECT_EQ(e->Text(), "Cid");
  ClickAt(b, b->Width() / 2, 2);
  EXPECT_EQ(e->Text(), "Bea");
  people->Post();
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "Bea");
}

TEST_F(InplaceTest, EllipsisAndEditButtons) {
  int gridClicks = 0, columnClicks = 0, extraClicks = 0;
  grid->OnEditButtonClick = [&](TObject*) { ++gridClicks; };
  TColumnX* name = Col("Name");
  name->SetButtonStyle(cbsEllipsis);
  name->OnEditButtonClick = [&](TObject*, bool&) { ++columnClicks; };
  TEditButtonX* extra = name->EditButtons()->Add();
  extra->SetVisible(true);
  extra->SetStyle(ebsPlusX);
  extra->SetShortCut(ShortCut(VK_F4, TShiftState()));
  extra->OnClick = [&](TObject*, bool&) { ++extraClicks; };
  TEditButtonX* hidden = name->EditButtons()->Add();
  hidden->SetVisible(false);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  // The main button and one per edit button; the invisible one takes no width.
  ASSERT_EQ(e->ButtonControlCount(), 3);
  EXPECT_EQ(e->ButtonControl(2)->Width(), 0);
  EXPECT_GT(e->ButtonControl(1)->Width(), 0);
  EXPECT_EQ(e->ButtonStripWidth(), e->ButtonControl(0)->Width() + e->ButtonControl(1)->Width());
  // Placed from the last to the first at the right edge: the main button leftmost, the edit buttons
  // after it in their order.
  EXPECT_EQ(e->ButtonControl(1)->Left() + e->ButtonControl(1)->Width(), e->ClientWidth());
  EXPECT_EQ(e->ButtonControl(0)->Left() + e->ButtonControl(0)->Width(), e->ButtonControl(1)->Left());
  TEditButtonControlX* main = e->ButtonControl(0);
  ClickAt(main, main->Width() / 2, main->Height() / 2);
  EXPECT_EQ(gridClicks, 1);
  EXPECT_EQ(columnClicks, 1);
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  win::InjectKey(WM_KEYDOWN, VK_RETURN);
  win::InjectKey(WM_KEYUP, VK_RETURN);
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(gridClicks, 2);
  Key(VK_F4);
  EXPECT_EQ(extraClicks, 1);
  TEditButtonControlX* plus = e->ButtonControl(1);
  ClickAt(plus, plus->Width() / 2, plus->Height() / 2);
  EXPECT_EQ(extraClicks, 2);
}

TEST_F(InplaceTest, ButtonHeightFollowsTheEditorHeight) {
  TColumnX* name = Col("Name");
  name->SetButtonStyle(cbsEllipsis);
  TEditButtonX* b = name->EditButtons()->Add();
  b->SetVisible(true);
  b->SetWidth(16);
  name->SetButtonStyle(cbsNone);
  struct Case {
    int rowHeight;
    int expected;
  };
  for (const Case& c : {Case{40, 16}, Case{20, 20}}) {
    grid->SetDefaultRowHeight(c.rowHeight);
    TDBGridInplaceEdit* e = OpenEditor("Name");
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(e->ClientHeight(), c.rowHeight);
    EXPECT_EQ(e->ButtonControl(1)->Width(), 16);
    EXPECT_EQ(e->ButtonControl(1)->Height(), c.expected) << c.rowHeight;
    EXPECT_EQ(e->ButtonControlHeight(), c.expected);
    grid->HideEditor();
  }
}

TEST_F(InplaceTest, MainButtonClickOpensAndASecondClickCloses) {
  for (const char* s : {"Apple", "Banana"}) Col("Name")->PickList()->Add(s);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  TEditButtonControlX* b = e->ButtonControl(0);
  ClickAt(b, b->Width() / 2, b->Height() / 2);
  EXPECT_TRUE(e->ListShown());
  ClickAt(b, b->Width() / 2, b->Height() / 2);
  EXPECT_FALSE(e->ListShown());
  EXPECT_EQ(e->Text(), "Ann");
}

TEST_F(InplaceTest, MRUListOpensWhileTypingAndGivesItsItem) {
  TColumnX* name = Col("Name");
  TMRUListX* mru = name->MRUList();
  mru->SetActive(true);
  for (const char* s : {"Alpha", "Beta", "Alps"}) mru->AddEntry(s);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  e->SelectAll();
  Type("Al");
  ASSERT_TRUE(mru->DroppedDown);
  ASSERT_NE(e->MRUListControl(), nullptr);
  EXPECT_TRUE(e->MRUListControl()->Visible());
  EXPECT_EQ(e->MRUListControl()->Items()->Count(), 2);
  Key(VK_DOWN);
  EXPECT_EQ(e->MRUListControl()->ItemIndex(), 0);
  Type("\r");
  EXPECT_FALSE(mru->DroppedDown);
  EXPECT_EQ(e->Text(), "Alpha");
  people->Post();
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "Alpha");
  // Clearing the text while the list is open closes it.
  e = OpenEditor("Name");
  e->SelectAll();
  Type("B");
  ASSERT_TRUE(mru->DroppedDown);
  e->SelectAll();
  Key(VK_DELETE);
  EXPECT_EQ(e->Text(), "");
  EXPECT_FALSE(mru->DroppedDown);
}


namespace {
void PutOnClipboard(const std::string& Text) {
  OpenClipboard(nullptr);
  EmptyClipboard();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, Text.size() + 1);
  auto* p = static_cast<char*>(GlobalLock(h));
  std::copy(Text.begin(), Text.end(), p);
  p[Text.size()] = 0;
  GlobalUnlock(h);
  SetClipboardData(CF_TEXT, h);
  CloseClipboard();
}
}  // namespace

TEST_F(InplaceTest, PasteCompletesAgainstTheLists) {
  TDBGridInplaceEdit* e = OpenEditor("KindName");
  ASSERT_NE(e, nullptr);
  e->SelectAll();
  PutOnClipboard("se");
  e->Perform(WM_PASTE);
  EXPECT_EQ(e->Text(), "Senior");
  EXPECT_EQ(e->SelStart(), 2);
  EXPECT_EQ(e->SelLength(), 4);
  EXPECT_EQ(VarToStr(grid->EditValue()), "S");
  // No match and no not-in-list handler: nothing changes.
  PutOnClipboard("zz");
  e->SelectAll();
  e->Perform(WM_PASTE);
  EXPECT_EQ(e->Text(), "Senior");
  people->Post();
  EXPECT_EQ(people->FieldByName("Kind")->AsString(), "S");

  // A key pick list: the pasted text completes to an item; its key is stored.
  TColumnX* name = Col("Name");
  for (const char* s : {"Anna", "Boris"}) name->PickList()->Add(s);
  for (const char* s : {"K1", "K2"}) name->KeyList()->Add(s);
  e = OpenEditor("Name");
  e->SelectAll();
  PutOnClipboard("bo");
  e->Perform(WM_PASTE);
  EXPECT_EQ(e->Text(), "Boris");
  people->Post();
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "K2");
}

TEST_F(InplaceTest, DropDownNearTheBottomOpensAbove) {
  RECT work{};
  SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
  host->SetBounds(50, work.bottom - 90, 640, 80);
  grid->SetBounds(0, 0, 600, 80);
  win::PumpMessages();
  TDBGridInplaceEdit* e = OpenEditor("Born");
  ASSERT_NE(e, nullptr);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  RECT cal{}, ed{};
  GetWindowRect(e->CalendarControl()->Handle(), &cal);
  GetWindowRect(e->Handle(), &ed);
  EXPECT_EQ(cal.bottom, ed.top);
  EXPECT_GE(cal.top, work.top);
  Key(VK_ESCAPE);
}

TEST_F(InplaceTest, FooterParamsEventColoursTheFooterCell) {
  grid->SetFooterRowCount(1);
  Col("Amount")->Footer()->SetValueType(fvtSum);
  std::string seen;
  grid->OnGetFooterParams = [&](TObject*, int, int Row, TColumnX* Column, TFont*, TColor& Background, TAlignment&,
                                TGridDrawState, std::string& Text) {
    if (Column == Col("Amount") && Row == 0) {
      Background = clRed;
      seen = Text;
      Text = "sum " + Text;
    }
  };
  grid->Invalidate();
  win::PumpMessages();
  EXPECT_EQ(seen, "7.5");
  int rawCol = grid->DataToRawColumn(Col("Amount")->Index());
  TRect r = grid->CellRect(rawCol, grid->RowCount() - 1);
  ASSERT_FALSE(r.IsEmpty());
  EXPECT_EQ(win::GetWindowPixel(grid->Handle(), r.Left + 2, r.Bottom - 3), RGB(255, 0, 0));
}

TEST_F(InplaceTest, WordWrapFollowsTheColumnAndTheRowHeight) {
  Col("Name")->SetWordWrap(true);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  EXPECT_FALSE(e->WordWrap());  // one text line per row
  EXPECT_FALSE(GetWindowLong(e->Handle(), GWL_STYLE) & ES_MULTILINE);
  grid->HideEditor();
  grid->SetRowLines(2);  // the grid's layout makes rows of two lines (FitRowHeight)
  e = OpenEditor("Name");
  EXPECT_TRUE(e->WordWrap());
  EXPECT_TRUE(GetWindowLong(e->Handle(), GWL_STYLE) & ES_MULTILINE);
  EXPECT_FALSE(GetWindowLong(e->Handle(), GWL_STYLE) & ES_AUTOHSCROLL);
  EXPECT_EQ(e->Text(), "Ann");
}

TEST_F(InplaceTest, DoubleClickStepsWithDblClickNextVal) {
  TColumnX* name = Col("Name");
  for (const char* s : {"Ann", "Bea", "Cid"}) name->PickList()->Add(s);
  name->SetDblClickNextVal(true);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  TPoint p = e->ClientOrigin();
  win::InjectMouse(p.X + 5, p.Y + 5, WM_LBUTTONDOWN);
  win::InjectMouse(p.X + 5, p.Y + 5, WM_LBUTTONUP);
  win::InjectMouse(p.X + 5, p.Y + 5, WM_LBUTTONDBLCLK);
  win::InjectMouse(p.X + 5, p.Y + 5, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(e->Text(), "Bea");
  people->Post();
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "Bea");
}

TEST_F(InplaceTest, ReloadingTheEditorKeepsAShownListOpen) {
  for (const char* s : {"Apple", "Banana"}) Col("Name")->PickList()->Add(s);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  AltDown();
  ASSERT_TRUE(e->ListShown());
  grid->InvalidateEditorX();
  win::PumpMessages();
  EXPECT_TRUE(e->ListShown());
  EXPECT_FALSE(e->KeepListOpen);
  e->UpdateContents();
  EXPECT_FALSE(e->ListShown());
}

TEST_F(InplaceTest, CancelModeFromAnotherControlClosesTheList) {
  for (const char* s : {"Apple", "Banana"}) Col("Name")->PickList()->Add(s);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  AltDown();
  ASSERT_TRUE(e->ListShown());
  // A press on the editor's own button or on the list leaves it open.
  e->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(e->ButtonControl(0))));
  e->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(e->PickListControl())));
  EXPECT_TRUE(e->ListShown());
  e->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(static_cast<TControl*>(host)));
  EXPECT_FALSE(e->ListShown());
  EXPECT_EQ(e->Text(), "Ann");
}

TEST_F(InplaceTest, CellParameterEventsColourAndLockTheEditor) {
  grid->OnGetCellParams = [](TObject*, TColumnX*, TFont*, TColor& Background, TGridDrawState State) {
    if (State.Contains(gdFocused)) Background = clYellow;
  };
  Col("Name")->SetOnGetCellParams([](TObject*, bool EditMode, TColCellParamsX* P) {
    if (EditMode) {
      P->ReadOnly = true;
      P->Text = "[" + P->Text + "]";
    }
  });
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->Color(), clYellow);
  EXPECT_TRUE(e->ReadOnly());
  EXPECT_TRUE(e->ReadOnlyOverridden());
  EXPECT_EQ(e->Text(), "[Ann]");
  // A column whose events leave the state alone: not overridden.
  e = OpenEditor("ID");
  EXPECT_FALSE(e->ReadOnly());
  EXPECT_FALSE(e->ReadOnlyOverridden());
  EXPECT_EQ(e->Text(), "1");
}

TEST_F(InplaceTest, ResizedPickListGivesTheColumnItsRowsAndWidth) {
  TColumnX* name = Col("Name");
  for (const char* s : {"Apple", "Banana", "Cherry"}) name->PickList()->Add(s);
  name->SetDropDownSizing(true);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  AltDown();
  ASSERT_TRUE(e->ListShown());
  TPopupListboxX* list = e->PickListControl();
  EXPECT_EQ(list->RowsShown(), 3);
  TSizeGripX* grip = list->SizeGrip();
  ASSERT_TRUE(grip->Visible());
  // What a drag of the grip does: the list grows by two rows and 30 pixels, the grip reports it.
  int h = list->ItemHeight();
  list->SetBounds(list->Left(), list->Top(), list->Width() + 30, list->Height() + 2 * h);
  ASSERT_TRUE(grip->OnParentResized);
  grip->OnParentResized(grip);
  int width = list->Width();
  EXPECT_TRUE(e->ListShown());
  Key(VK_ESCAPE);
  EXPECT_FALSE(e->ListShown());
  EXPECT_EQ(name->DropDownRows(), 5u);
  EXPECT_EQ(name->DropDownWidth(), width);
  // A list that was not resized leaves the column alone.
  name->SetDropDownRows(7);
  AltDown();
  Key(VK_ESCAPE);
  EXPECT_EQ(name->DropDownRows(), 7u);
}

TEST_F(InplaceTest, ADragFromTheButtonPicksInTheList) {
  for (const char* s : {"Apple", "Banana", "Cherry"}) Col("Name")->PickList()->Add(s);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  TEditButtonControlX* b = e->ButtonControl(0);
  TPoint bp = b->ClientOrigin();
  win::InjectMouse(bp.X + b->Width() / 2, bp.Y + b->Height() / 2, WM_LBUTTONDOWN, MK_LBUTTON);
  win::PumpMessages();
  ASSERT_TRUE(e->ListShown());
  TPopupListboxX* list = e->PickListControl();
  TPoint lp = list->ClientOrigin();
  int h = list->ItemHeight();
  // Into the third item with the button still held, then released there.
  win::InjectMouse(lp.X + 10, lp.Y + 2 * h + h / 2, WM_MOUSEMOVE, MK_LBUTTON);
  win::InjectMouse(lp.X + 10, lp.Y + 2 * h + h / 2, WM_MOUSEMOVE, MK_LBUTTON);
  win::InjectMouse(lp.X + 10, lp.Y + 2 * h + h / 2, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_FALSE(e->ListShown());
  EXPECT_EQ(e->Text(), "Cherry");
}

TEST_F(InplaceTest, SearchShortCutInTheEditorStartsTheGridsSearch) {
  auto x = grid->OptionsX();
  x.Include(gxoIncSearch);
  grid->SetOptionsX(x);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  ASSERT_EQ(SearchShortCut, ShortCut('F', TShiftState{ssCtrl}));
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  win::InjectKey(WM_KEYDOWN, 'F');
  win::InjectKey(WM_KEYUP, 'F');
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_TRUE(grid->InSearch());
  EXPECT_EQ(e->Text(), "Ann");  // nothing typed into the cell
}

TEST_F(InplaceTest, TypedTextIsCommittedInPlainAndButtonStyles) {
  struct Case {
    const char* field;
    TColumnButtonStyleX button;
    TColumnEditStyleX style;
    const char* typed;
    const char* stored;
  };
  const Case cases[] = {
      {"Kind", cbsAuto, cesSimple, "C", "C"},
      {"Name", cbsEllipsis, cesEllipsis, "Zoe", "Zoe"},
      {"Amount", cbsUpDown, cesUpDown, "7.5", "7.5"},
      {"Amount", cbsDropDown, cesDropDown, "8", "8"},
      {"Born", cbsAuto, cesCalendar, "2001-02-03", "2001-02-03"},
  };
  for (const Case& c : cases) {
    Col(c.field)->SetButtonStyle(c.button);
    TDBGridInplaceEdit* e = OpenEditor(c.field);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->EditStyle(), c.style) << c.field;
    e->SelectAll();
    Type(c.typed);
    EXPECT_EQ(e->Text(), c.typed) << c.field;
    people->Post();
    EXPECT_EQ(people->FieldByName(c.field)->AsString(), c.stored) << c.field;
    grid->HideEditor();
  }
}

// A program changes the column of an open editor: the editor follows at once. The button style, the
// colour and the font reach it; made read-only it refuses what is typed next, while what was typed
// before still reaches the record.
TEST_F(InplaceTest, AnOpenEditorFollowsChangesOfItsColumn) {
  TColumnX* name = Col("Name");
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  name->SetButtonStyle(cbsEllipsis);
  EXPECT_EQ(e->EditStyle(), cesEllipsis);
  ASSERT_NE(e->ButtonControl(0), nullptr);
  EXPECT_TRUE(e->ButtonControl(0)->Visible());
  name->SetColor(clYellow);
  EXPECT_EQ(e->Color(), clYellow);
  name->Font()->SetColor(clRed);
  EXPECT_EQ(e->Font()->Color(), clRed);
  ASSERT_TRUE(e->EditVisible());

  e->SelectAll();
  Type("Bo");
  name->SetReadOnly(true);
  EXPECT_TRUE(e->ReadOnly());
  EXPECT_EQ(e->Text(), "Bo");
  Type("b");
  EXPECT_EQ(e->Text(), "Bo");
  people->Post();
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "Bo");
  name->SetReadOnly(false);
  ASSERT_TRUE(e->EditVisible());
  EXPECT_FALSE(e->ReadOnly());
}

// A cell-parameter hook decides whether a cell may be edited: one that makes a read-only column's cell
// editable gets what is typed into the record, and a column without a field what is typed into its
// update event; one that makes a writable cell read-only starts no editing.
TEST_F(InplaceTest, ACellParameterHookDecidesWhetherTheCellIsEdited) {
  TColumnX* name = Col("Name");
  name->SetReadOnly(true);
  name->SetOnGetCellParams([](TObject*, bool EditMode, TColCellParamsX* P) {
    if (EditMode) P->ReadOnly = false;
  });
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  ASSERT_TRUE(e->ReadOnlyOverridden());
  EXPECT_FALSE(e->ReadOnly());
  e->SelectAll();
  Type("Zed");
  EXPECT_EQ(e->Text(), "Zed");
  people->Post();
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "Zed");
  grid->HideEditor();

  TColumnX* note = grid->Columns()->Add();
  note->SetOnGetCellParams([](TObject*, bool EditMode, TColCellParamsX* P) {
    if (EditMode) P->ReadOnly = false;
  });
  std::string noted;
  note->OnUpdateData = [&](TObject*, std::string& Text, Variant&, bool&, bool& Handled) {
    noted = Text;
    Handled = true;
  };
  win::PumpMessages();
  grid->SetCol(grid->DataToRawColumn(note->Index()));
  grid->ShowEditor();
  win::PumpMessages();
  e = grid->InplaceEditX();
  ASSERT_TRUE(e->EditVisible());
  ASSERT_TRUE(e->ReadOnlyOverridden());
  Type("hi");
  EXPECT_EQ(e->Text(), "hi");
  people->Post();
  EXPECT_EQ(noted, "hi");
  grid->HideEditor();

  Col("Amount")->SetOnGetCellParams([](TObject*, bool EditMode, TColCellParamsX* P) {
    if (EditMode) P->ReadOnly = true;
  });
  e = OpenEditor("Amount");
  ASSERT_TRUE(e->ReadOnlyOverridden());
  ASSERT_TRUE(e->ReadOnly());
  Key(VK_BACK);
  Type("9");
  EXPECT_EQ(people->State(), dsBrowse);
  EXPECT_EQ(e->Text(), "1.25");
}

TEST_F(InplaceTest, AnEditorEmptiedOnOneCellComesUnchangedToAnEmptyCell) {
  // Bob's name is empty; Ann's is emptied by the user and goes down to Bob's row.
  people->Next();
  people->Edit();
  people->FieldByName("Name")->Clear();
  people->Post();
  people->First();
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  EXPECT_FALSE(e->Modified());
  Key(VK_END);
  for (int i = 0; i < 3; ++i) Key(VK_BACK);
  EXPECT_EQ(e->Text(), "");
  EXPECT_TRUE(e->Modified());
  Key(VK_DOWN);  // posts Ann's empty name
  EXPECT_EQ(people->State(), dsBrowse);
  EXPECT_EQ(people->FieldByName("ID")->AsInteger(), 2);
  Key(VK_F2);  // the same editor on Bob's empty name
  ASSERT_TRUE(e->EditVisible());
  EXPECT_EQ(e->Text(), "");
  EXPECT_FALSE(e->Modified()) << "nothing was typed on Bob's cell";
  Key(VK_UP);
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "");
}

// Text typed in a cell whose column the user then scrolls out of view is kept by the hidden editor: a
// key on the grid meanwhile does not load the cell again over it, and the text comes back with the
// column and is stored.
TEST_F(InplaceTest, TextTypedInACellScrolledOutOfViewIsKept) {
  for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->SetWidth(200);
  win::PumpMessages();
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  e->SelectAll();
  Type("Zed");
  ASSERT_EQ(e->Text(), "Zed");
  const int nameCol = grid->Col();
  // The horizontal bar's page-right, as a click beside its thumb sends it.
  SendMessage(grid->Handle(), WM_HSCROLL, SB_PAGERIGHT, 0);
  SendMessage(grid->Handle(), WM_HSCROLL, SB_PAGERIGHT, 0);
  win::PumpMessages();
  ASSERT_TRUE(grid->CellRect(nameCol, grid->Row()).IsEmpty()) << "the Name column is out of view";
  EXPECT_FALSE(e->EditVisible());
  grid->SetFocus();
  win::PumpMessages();
  Key(VK_BACK);
  SendMessage(grid->Handle(), WM_HSCROLL, SB_LEFT, 0);
  win::PumpMessages();
  EXPECT_TRUE(e->EditVisible());
  EXPECT_EQ(e->Text(), "Zed");
  people->Post();
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "Zed");
}
