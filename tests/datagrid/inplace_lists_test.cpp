// The cell editor's lists and buttons on a real data set, through messages: the MRU drop-down keeps
// the rows and width the user gave it (and only those), its item filter hears which column asks, and
// texts stored from the editor join it; the lookup list follows its columns only where its width is
// theirs; a typed lookup text names its record whatever its case; a shown key pick list follows
// Backspace; the calculator hides the cell's caret while it takes the typing; an edit button's menu and
// the click that closes it; the button strip of a right-to-left grid. Also the footers kept current
// through edits made in the cell editor.

#include <functional>
#include <map>
#include <vector>

#include "datagrid/DBGridXFooter.h"
#include "tests/datagrid/inplace_fixture.h"

namespace {

class InplaceListsTest : public InplaceTest {
 protected:
  // Opens the Name editor with an active MRU list holding Items and types Typed over its text.
  TDBGridInplaceEdit* TypeWithMRU(std::initializer_list<const char*> Items, const std::string& Typed) {
    TMRUListX* mru = Col("Name")->MRUList();
    mru->SetActive(true);
    for (const char* s : Items) mru->AddEntry(s);
    TDBGridInplaceEdit* e = OpenEditor("Name");
    if (!e) return nullptr;
    e->SelectAll();
    Type(Typed);
    return e;
  }
  // What a drag of the list box's size grip does: new bounds, then the grip's report.
  static void DragGrip(TPopupListboxX* List, int Width, int Height) {
    List->SetBounds(List->Left(), List->Top(), Width, Height);
    ASSERT_TRUE(List->SizeGrip()->OnParentResized);
    List->SizeGrip()->OnParentResized(List->SizeGrip());
  }
};

}  // namespace

TEST_F(InplaceListsTest, NarrowingMatchesWhileTypingLeavesTheMRURowsAlone) {
  TDBGridInplaceEdit* e = TypeWithMRU({"Alpha", "Alps", "Alto", "Beta"}, "Al");
  ASSERT_NE(e, nullptr);
  TMRUListX* mru = Col("Name")->MRUList();
  ASSERT_TRUE(mru->DroppedDown);
  TMRUListboxX* box = e->MRUListControl();
  EXPECT_EQ(box->Items()->Count(), 3);
  EXPECT_EQ(box->RowsShown(), 3);
  // One match, then three again: the box fits them each time, the list's Rows stay 7.
  Type("ph");
  ASSERT_TRUE(mru->DroppedDown);
  EXPECT_EQ(box->Items()->Count(), 1);
  EXPECT_EQ(box->RowsShown(), 1);
  EXPECT_EQ(mru->Rows(), 7);
  Key(VK_BACK);
  Key(VK_BACK);
  ASSERT_EQ(e->Text(), "Al");
  EXPECT_EQ(box->Items()->Count(), 3);
  EXPECT_EQ(box->RowsShown(), 3);
  EXPECT_EQ(mru->Rows(), 7);
  EXPECT_EQ(mru->Width, 0);
}

TEST_F(InplaceListsTest, TheMRURowsAndWidthTheUserDraggedAreKept) {
  TDBGridInplaceEdit* e = TypeWithMRU({"Alpha", "Alps", "Alto", "Also"}, "Al");
  ASSERT_NE(e, nullptr);
  TMRUListX* mru = Col("Name")->MRUList();
  TMRUListboxX* box = e->MRUListControl();
  ASSERT_TRUE(mru->DroppedDown);
  RECT text{};
  e->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  const int textWidth = text.right - text.left;
  EXPECT_EQ(box->Width(), textWidth);
  // The user drags the grip: two rows, 120 pixels wider than the text.
  const int h = box->ItemHeight();
  const int frame = box->Height() - box->ClientRect().Height();
  DragGrip(box, textWidth + 120, 2 * h + frame);
  EXPECT_EQ(mru->Rows(), 2);
  EXPECT_EQ(mru->Width, textWidth + 120);
  Type("\x1b");
  ASSERT_FALSE(mru->DroppedDown);
  // Opened again: the rows and the width the user chose.
  e->SelectAll();
  Type("Al");
  ASSERT_TRUE(mru->DroppedDown);
  EXPECT_EQ(box->RowsShown(), 2);
  EXPECT_EQ(box->Width(), textWidth + 120);
  Type("\x1b");
  // A remembered width narrower than the text gives way to the text's width.
  mru->Width = textWidth / 2;
  e->SelectAll();
  Type("Al");
  ASSERT_TRUE(mru->DroppedDown);
  EXPECT_EQ(box->Width(), textWidth);
}

TEST_F(InplaceListsTest, TheMRUItemFilterHearsTheColumnAndHasTheLastWord) {
  TMRUListX* mru = Col("Name")->MRUList();
  std::vector<TObject*> senders;
  // Hides "Alps"; lets "Beta" in although it does not begin with the text.
  mru->OnItemFilter = [&](TObject* Sender, const std::string& Item, bool& Accept) {
    senders.push_back(Sender);
    if (Item == "Alps") Accept = false;
    if (Item == "Beta") Accept = true;
  };
  TDBGridInplaceEdit* e = TypeWithMRU({"Alpha", "Alps", "Beta", "Gamma"}, "al");
  ASSERT_NE(e, nullptr);
  ASSERT_TRUE(mru->DroppedDown);
  TStrings* items = e->MRUListControl()->Items();
  ASSERT_EQ(items->Count(), 2);
  EXPECT_EQ(items->Strings(0), "Alpha");  // the box is sorted
  EXPECT_EQ(items->Strings(1), "Beta");
  ASSERT_FALSE(senders.empty());
  for (TObject* s : senders) EXPECT_EQ(s, static_cast<TObject*>(Col("Name")));
  // Once per entry and pass, and the list's own filter is back in place afterwards.
  EXPECT_EQ(senders.size() % 4, 0u);
  ASSERT_TRUE(mru->OnItemFilter);
  bool accept = false;
  mru->OnItemFilter(nullptr, "Beta", accept);
  EXPECT_TRUE(accept);
  mru->OnItemFilter = nullptr;
}

TEST_F(InplaceListsTest, TheLookupListFollowsItsColumnsPerTheDropDownBoxsAutoFit) {
  TColumnX* kind = Col("KindName");
  struct Case {
    int dropDownWidth;
    bool autoFit;
    bool follows;
  };
  const Case cases[] = {{-1, true, true}, {-1, false, false}, {0, true, true}, {0, false, false}, {400, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dropDownWidth << " " << c.autoFit);
    kind->SetDropDownWidth(c.dropDownWidth);
    kind->DropDownBox()->SetAutoFitColWidths(c.autoFit);
    TDBGridInplaceEdit* e = OpenEditor("KindName");
    ASSERT_NE(e, nullptr);
    AltDown();
    ASSERT_TRUE(e->ListShown());
    TPopupDataGridX* list = e->LookupList();
    EXPECT_EQ(list->LookupAutoFitColWidths(), c.follows);
    EXPECT_GE(list->Width(), e->Width());
    if (c.dropDownWidth == 400) {
      EXPECT_EQ(list->Width(), 400);
    }
    // A wider column of a following list takes the list's width along; otherwise the list keeps its own.
    const int before = list->Width();
    const int raw = list->DataToRawColumn(0);
    list->SetColWidths(raw, list->ColWidths(raw) + 50);
    win::PumpMessages();
    // (A fitted list then shares its client width among its columns again, so the columns may also
    // take the room kept for a vertical bar that is not shown: the list grows by at least the 50.)
    if (c.follows)
      EXPECT_GE(list->Width(), before + 50);
    else
      EXPECT_EQ(list->Width(), before);
    Key(VK_ESCAPE);
    ASSERT_FALSE(e->ListShown());
    EXPECT_FALSE(list->LookupAutoFitColWidths());
    grid->HideEditor();
  }
}

// Two list fields in a cell of the default drop-down width: the columns share the list's width, so the
// second is in sight without a horizontal bar, and a list widened by its grip widens them.
TEST_F(InplaceListsTest, TheLookupListsColumnsShareItsWidthAndFollowTheGrip) {
  TColumnX* kind = Col("KindName");
  kind->SetLookupDisplayFields("Label;Key");
  kind->SetDropDownSizing(true);
  TDBGridInplaceEdit* e = OpenEditor("KindName");
  ASSERT_NE(e, nullptr);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  TPopupDataGridX* list = e->LookupList();
  ASSERT_EQ(list->Columns()->Count(), 2);
  // The right edge of the last column, in the list's client area.
  auto lastRight = [&] { return list->CellRect(list->DataToRawColumn(1), list->TitleOffset()).Right; };
  EXPECT_EQ(list->Width(), e->Width());
  EXPECT_EQ(GetWindowLongPtr(list->Handle(), GWL_STYLE) & WS_HSCROLL, 0);
  EXPECT_GT(lastRight(), 0);
  EXPECT_LE(lastRight(), list->ClientWidth());
  const int first = list->ColWidths(list->DataToRawColumn(0));
  // The grip at the bottom right corner, dragged 80 pixels to the right.
  TSizeGripX* grip = list->SizeGrip();
  ASSERT_TRUE(grip->Visible());
  TPoint g = grip->ClientToScreen(TPoint(grip->Width() / 2, grip->Height() / 2));
  DragLeft(g, 80, 0);
  ASSERT_TRUE(e->ListShown());
  EXPECT_EQ(list->Width(), e->Width() + 80);
  EXPECT_GT(list->ColWidths(list->DataToRawColumn(0)), first);
  EXPECT_LE(lastRight(), list->ClientWidth());
  EXPECT_GE(lastRight(), list->ClientWidth() - 3);
  Key(VK_ESCAPE);
}

TEST_F(InplaceListsTest, ATextEditedInALookupCellNamesItsRecordWhateverItsCase) {
  TColumnX* kind = Col("KindName");
  kind->OnNotInList = [](TObject*, const std::string&, bool& RecheckInList) { RecheckInList = false; };
  TDBGridInplaceEdit* e = OpenEditor("KindName");
  ASSERT_NE(e, nullptr);
  struct Case {
    const char* text;
    const char* key;  // empty: null
  };
  // Backspace takes the last character; what is left names a record only as a whole.
  const Case cases[] = {{"seniorx", "S"}, {"CHILDx", "C"}, {"Adul", ""}, {"childish", ""}};
  // Edited texts belong to a record being edited (entering it reloads the cell).
  people->Edit();
  win::PumpMessages();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    e->SetText(c.text);
    e->SetSelStart(static_cast<int>(std::string(c.text).size()));
    Key(VK_BACK);
    EXPECT_EQ(e->Text(), std::string(c.text).substr(0, std::string(c.text).size() - 1));
    EXPECT_EQ(grid->EditValue().IsNull() ? std::string("(null)") : VarToStr(grid->EditValue()),
              *c.key ? std::string(c.key) : std::string("(null)"));
  }
  e->SetText("seniorx");
  e->SetSelStart(7);
  Key(VK_BACK);
  people->Post();
  EXPECT_EQ(people->FieldByName("Kind")->AsString(), "S");
}

TEST_F(InplaceListsTest, TheCalculatorHidesTheCellsCaretWhileItIsShown) {
  Col("Amount")->SetButtonStyle(cbsDropDown);
  TDBGridInplaceEdit* e = OpenEditor("Amount");
  ASSERT_NE(e, nullptr);
  ASSERT_EQ(GetFocus(), e->Handle());
  // The caret is the only thing that inverts pixels here: its place shows whether it is drawn.
  auto caretDrawn = [&] {
    POINT p{};
    if (!GetCaretPos(&p)) return false;
    COLORREF c = win::GetWindowPixel(e->Handle(), p.x, p.y + 2);
    return c != CLR_INVALID && c != static_cast<COLORREF>(ColorToRGB(e->Color()));
  };
  // The caret after the text, where only the background lies under it.
  e->SetSelStart(static_cast<int>(e->Text().size()));
  e->SetSelLength(0);
  win::PumpMessages();
  ASSERT_TRUE(caretDrawn());
  AltDown();
  ASSERT_TRUE(e->ListShown());
  ASSERT_NE(e->CalculatorControl(), nullptr);
  EXPECT_FALSE(caretDrawn());
  Key(VK_ESCAPE);
  ASSERT_FALSE(e->ListShown());
  EXPECT_TRUE(caretDrawn());
  // Opened and closed again: the hiding is balanced, the caret still shows.
  AltDown();
  EXPECT_FALSE(caretDrawn());
  Key(VK_ESCAPE);
  EXPECT_TRUE(caretDrawn());
}

TEST_F(InplaceListsTest, FootersFollowEditsMadeInTheCellEditor) {
  grid->SetFooterRowCount(2);
  TColumnX* amount = Col("Amount");
  amount->Footer()->SetValueType(fvtSum);  // beyond the collection: the second footer row
  TColumnFooterX* count = amount->Footers()->Add();
  count->SetValueType(fvtCount);
  TColumnX* name = Col("Name");
  name->Footer()->SetValueType(fvtFieldValue);
  name->Footer()->SetFieldName("Name");
  // What each footer cell shows, as painted.
  std::map<std::pair<TColumnX*, int>, std::string> shown;
  grid->OnGetFooterParams = [&](TObject*, int, int Row, TColumnX* Column, TFont*, TColor&, TAlignment&, TGridDrawState,
                                std::string& Text) { shown[{Column, Row}] = Text; };
  auto painted = [&](TColumnX* C, int Row) {
    shown.clear();
    grid->Invalidate();
    win::PumpMessages();
    return shown.count({C, Row}) ? shown[{C, Row}] : std::string("(not painted)");
  };
  grid->Invalidate();
  EXPECT_EQ(painted(amount, 1), "7.5");
  // Typed into the cell and stored by Enter: the sum row repaints with the new total.
  TDBGridInplaceEdit* e = OpenEditor("Amount");
  ASSERT_NE(e, nullptr);
  e->SelectAll();
  Type("10");
  Key(VK_RETURN);
  win::PumpMessages();
  if (people->State() != dsBrowse) people->Post();
  EXPECT_EQ(people->FieldByName("Amount")->AsFloat(), 10);
  grid->Invalidate();
  EXPECT_EQ(painted(amount, 1), "16.25");
  EXPECT_EQ(painted(amount, 0), "3");
  // The field-value footer follows the current record's edit.
  e = OpenEditor("Name");
  e->SelectAll();
  Type("Zed");
  Key(VK_RETURN);
  win::PumpMessages();
  if (people->State() != dsBrowse) people->Post();
  grid->Invalidate();
  EXPECT_EQ(painted(name, 1), "Zed");
  // A step of the up-down button goes into the sum once the record is posted.
  amount->SetButtonStyle(cbsUpDown);
  amount->SetIncrement(5);
  e = OpenEditor("Amount");
  TEditButtonControlX* b = e->ButtonControl(0);
  ClickAt(b, b->Width() / 2, 2);
  EXPECT_EQ(e->Text(), "15");
  people->Post();
  grid->Invalidate();
  EXPECT_EQ(painted(amount, 1), "21.25");
}

TEST_F(InplaceListsTest, AShownKeyPickListFollowsTheTextLeftByBackspace) {
  TColumnX* name = Col("Name");
  for (const char* s : {"Anna", "Boris"}) name->PickList()->Add(s);
  for (const char* s : {"K1", "K2"}) name->KeyList()->Add(s);
  name->OnNotInList = [](TObject*, const std::string&, bool& RecheckInList) { RecheckInList = false; };
  people->Edit();
  people->FieldByName("Name")->SetAsString("K2");
  people->Post();
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->Text(), "Boris");
  AltDown();
  ASSERT_TRUE(e->ListShown());
  EXPECT_EQ(e->PickListControl()->ItemIndex(), 1);
  e->SetSelStart(5);
  Key(VK_BACK);
  EXPECT_EQ(e->Text(), "Bori");
  EXPECT_TRUE(e->ListShown());
  EXPECT_EQ(e->PickListControl()->ItemIndex(), -1);
  EXPECT_EQ(grid->EditText(), "Bori");
  // Typed past the item (allowed by the not-in-list handler), then taken back: the item again.
  Type("sx");
  EXPECT_EQ(e->Text(), "Borisx");
  EXPECT_EQ(e->PickListControl()->ItemIndex(), -1);
  Key(VK_BACK);
  EXPECT_EQ(e->Text(), "Boris");
  EXPECT_TRUE(e->ListShown());
  EXPECT_EQ(e->PickListControl()->ItemIndex(), 1);
  EXPECT_EQ(grid->EditText(), "Boris");
  Key(VK_RETURN);
  people->Post();
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "K2");
}

namespace {

// Records where it pops up; the user's click that closes it lands on the same button meanwhile and,
// as the menu's own loop does with a press outside it, is posted on to where it was meant to go.
class TClosedByButtonMenu : public TPopupMenu {
 public:
  using TPopupMenu::TPopupMenu;
  void Popup(int X, int Y) override {
    Calls.push_back(TPoint(X, Y));
    if (ClosingClick) ClosingClick();
  }
  std::vector<TPoint> Calls;
  std::function<void()> ClosingClick;
};

}  // namespace

TEST_F(InplaceListsTest, TheClickClosingAButtonsMenuDoesNotPressTheButtonAgain) {
  TColumnX* name = Col("Name");
  TEditButtonX* b = name->EditButtons()->Add();
  b->SetVisible(true);
  b->SetStyle(ebsEllipsisX);
  int downs = 0;
  b->OnDown = [&](TObject*, bool, bool&, bool&) { ++downs; };
  auto* menu = new TClosedByButtonMenu(owner.get());
  b->SetDropdownMenu(menu);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  TEditButtonControlX* c = e->ButtonControl(1);
  ASSERT_TRUE(c->Visible());
  const TPoint at = c->ClientOrigin();
  for (TPopupAlignment align : {paLeft, paRight}) {
    SCOPED_TRACE(int(align));
    menu->SetAlignment(align);
    menu->Calls.clear();
    downs = 0;
    menu->ClosingClick = [&] {
      PostMessage(e->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c->Left() + 3, c->Top() + 3));
      win::InjectMouse(at.X + 3, at.Y + 3, WM_LBUTTONUP);
    };
    ClickAt(c, 3, 3);
    win::PumpMessages();
    // Popped up once, under the button's left (or right) edge, and the closing click went nowhere.
    ASSERT_EQ(menu->Calls.size(), 1u);
    EXPECT_EQ(menu->Calls[0].X, at.X + (align == paRight ? c->Width() : 0));
    EXPECT_EQ(menu->Calls[0].Y, at.Y + c->Height());
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(GetCapture(), nullptr);
    // A later press is a press again.
    menu->ClosingClick = nullptr;
    ClickAt(c, 3, 3);
    EXPECT_EQ(downs, 2);
    EXPECT_EQ(menu->Calls.size(), 2u);
  }
}

TEST_F(InplaceListsTest, AColumnButtonsMenuFreedElsewhereIsForgotten) {
  TColumnX* name = Col("Name");
  TEditButtonX* b = name->EditButtons()->Add();
  b->SetVisible(true);
  b->SetStyle(ebsEllipsisX);
  int downs = 0;
  b->OnDown = [&](TObject*, bool, bool&, bool&) { ++downs; };
  auto* menu = new TClosedByButtonMenu(owner.get());
  b->SetDropdownMenu(menu);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  TEditButtonControlX* c = e->ButtonControl(1);
  ASSERT_TRUE(c->Visible());
  ClickAt(c, 3, 3);
  ASSERT_EQ(menu->Calls.size(), 1u);
  // Freed by its owner while the editor shows the button: the next press pops up nothing.
  delete menu;
  EXPECT_EQ(b->DropdownMenu(), nullptr);
  ClickAt(c, 3, 3);
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(e->Visible());
}

TEST_F(InplaceListsTest, ARightToLeftGridPutsTheButtonStripAtTheLeftEdge) {
  TColumnX* name = Col("Name");
  name->SetButtonStyle(cbsEllipsis);
  TEditButtonX* extra = name->EditButtons()->Add();
  extra->SetVisible(true);
  int clicks = 0;
  grid->OnEditButtonClick = [&](TObject*) { ++clicks; };
  for (bool rtl : {false, true}) {
    SCOPED_TRACE(rtl);
    grid->SetRightToLeft(rtl);
    TDBGridInplaceEdit* e = OpenEditor("Name");
    ASSERT_NE(e, nullptr);
    TEditButtonControlX* main = e->ButtonControl(0);
    TEditButtonControlX* second = e->ButtonControl(1);
    const int strip = e->ButtonStripWidth();
    ASSERT_EQ(strip, main->Width() + second->Width());
    // Left to right: the main button, then the edit button, ending at the right edge; right to left
    // the same order from the left edge going right, mirrored.
    if (rtl) {
      EXPECT_EQ(second->Left(), 0);
      EXPECT_EQ(main->Left(), second->Width());
    } else {
      EXPECT_EQ(second->Left() + second->Width(), e->ClientWidth());
      EXPECT_EQ(main->Left() + main->Width(), second->Left());
    }
    // The text keeps clear of the strip.
    RECT r{};
    e->Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.left, rtl ? 2 + strip : 2);
    EXPECT_EQ(r.right, rtl ? e->Width() - 2 : e->Width() - 2 - strip);
    // The main button works where it stands.
    ClickAt(main, main->Width() / 2, main->Height() / 2);
    EXPECT_EQ(clicks, rtl ? 2 : 1);
    grid->HideEditor();
  }
}

TEST_F(InplaceListsTest, TextsStoredFromTheEditorJoinTheMRUList) {
  TColumnX* name = Col("Name");
  TMRUListX* mru = name->MRUList();
  mru->SetActive(true);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  e->SelectAll();
  Type("Zoe");
  Key(VK_RETURN);
  win::PumpMessages();
  if (people->State() != dsBrowse) people->Post();
  ASSERT_EQ(people->FieldByName("Name")->AsString(), "Zoe");
  ASSERT_EQ(mru->Items()->Count(), 1);
  EXPECT_EQ(mru->Items()->Strings(0), "Zoe");
  // The next record offers it while typing.
  people->Next();
  e = OpenEditor("Name");
  e->SelectAll();
  Type("z");
  ASSERT_TRUE(mru->DroppedDown);
  ASSERT_EQ(e->MRUListControl()->Items()->Count(), 1);
  EXPECT_EQ(e->MRUListControl()->Items()->Strings(0), "Zoe");
  Type("\x1b");
  grid->HideEditor();
  if (people->State() != dsBrowse) people->Cancel();
  // Values the program sets, and a list that does not add by itself, remember nothing.
  people->Edit();
  name->UpdateDataValue("Xia", Variant("Xia"), true);
  people->Post();
  mru->SetAutoAdd(false);
  e = OpenEditor("Name");
  e->SelectAll();
  Type("Wu");
  Key(VK_RETURN);
  win::PumpMessages();
  if (people->State() != dsBrowse) people->Post();
  EXPECT_EQ(mru->Items()->Count(), 1);
}
