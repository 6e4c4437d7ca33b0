// The cell editor's remaining behaviours on a real data set, through messages: word wrap decided by
// the grid's row metrics, Up/Down between the lines of a wrapping editor, Ctrl's release reaching the
// shown lookup list, moved list columns giving the special row its order, the grid's selection
// repainted when the focus leaves or enters through the editor, and the separators of a flat button
// strip (with a screenshot). Also the designed grid's sum list, which computes without taking over the
// data set's events.

#include "datagrid/DBGridXFooter.h"
#include "tests/datagrid/inplace_fixture.h"

namespace {

class InplaceRemaindersTest : public InplaceTest {
 protected:
  // Re-lays the grid's rows: RowLines lines of text plus RowHeight pixels.
  void RowMetrics(int RowHeight, int RowLines) {
    grid->HideEditor();
    grid->SetRowHeight(RowHeight);
    grid->SetRowLines(RowLines);
    win::PumpMessages();
  }
  int LineOfCaret(TDBGridInplaceEdit* E) {
    return static_cast<int>(E->Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0));
  }
  int LineCount(TDBGridInplaceEdit* E) { return static_cast<int>(E->Perform(EM_GETLINECOUNT, 0, 0)); }
};

}  // namespace

TEST_F(InplaceRemaindersTest, WordWrapFollowsTheColumnAndTheGridsFitRowHeight) {
  // The grid's text height of one line.
  grid->Canvas()->Font()->Assign(grid->Font());
  const int h = grid->Canvas()->TextHeight("Wg");
  struct Case {
    bool columnWraps;
    int rowHeight, rowLines;
    bool wraps;
  } cases[] = {
      {true, 0, 0, false},   // default rows: one line and the row's extra pixels
      {true, 5, 1, true},    // one line with more than the text margin to spare: room to wrap
      {true, 4, 1, false},   // exactly the text margin to spare: no room
      {true, 0, 2, true},    // two lines
      {false, 0, 2, false},  // the column does not wrap
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.columnWraps << " " << c.rowHeight << " " << c.rowLines);
    Col("Name")->SetWordWrap(c.columnWraps);
    RowMetrics(c.rowHeight, c.rowLines);
    EXPECT_EQ(grid->FitRowHeight(), grid->DefaultRowHeight() > h + grid->CellTextMargin());
    TDBGridInplaceEdit* e = OpenEditor("Name");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->WordWrap(), c.wraps);
    EXPECT_EQ((GetWindowLong(e->Handle(), GWL_STYLE) & ES_MULTILINE) != 0, c.wraps);
    EXPECT_EQ(e->Text(), "Ann");
  }
}

TEST_F(InplaceRemaindersTest, UpAndDownMoveBetweenTheLinesOfAWrappingEditor) {
  people->First();
  people->Next();
  people->Edit();
  people->FieldByName("Name")->SetAsString("Bob Cid Dot Eve Fay");
  people->Post();
  TColumnX* name = Col("Name");
  name->SetWordWrap(true);
  name->SetWidth(48);  // a few letters a line
  RowMetrics(0, 3);
  grid->SetOptions(grid->Options() + TGridXDataOptions{gdoAlwaysShowEditor});
  win::PumpMessages();
  ASSERT_EQ(people->RecNo(), 2);
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  ASSERT_TRUE(e->WordWrap());
  const int lines = LineCount(e);
  ASSERT_GE(lines, 3);

  // The caret on the first line: Down goes to the next line of the text, the record stays.
  e->SetSelStart(0);
  e->SetSelLength(0);
  Key(VK_DOWN);
  EXPECT_EQ(people->RecNo(), 2);
  EXPECT_EQ(LineOfCaret(e), 1);
  Key(VK_UP);
  EXPECT_EQ(people->RecNo(), 2);
  EXPECT_EQ(LineOfCaret(e), 0);
  // Up on the first line: the grid moves to the record above.
  Key(VK_UP);
  EXPECT_EQ(people->RecNo(), 1);

  // The whole text selected (as on arrival): Down is the grid's.
  grid->DataSource()->DataSet()->Next();
  win::PumpMessages();
  ASSERT_EQ(people->RecNo(), 2);
  e = grid->InplaceEditX();
  e->SelectAll();
  Key(VK_DOWN);
  EXPECT_EQ(people->RecNo(), 3);

  // Down on the last line leaves the cell too.
  people->Prior();
  win::PumpMessages();
  e = grid->InplaceEditX();
  e->SetSelStart(static_cast<int>(e->Text().size()));
  e->SetSelLength(0);
  ASSERT_EQ(LineOfCaret(e), LineCount(e) - 1);
  Key(VK_UP);
  EXPECT_EQ(people->RecNo(), 2);
  EXPECT_EQ(LineOfCaret(e), LineCount(e) - 2);
  e->SetSelStart(static_cast<int>(e->Text().size()));
  e->SetSelLength(0);
  Key(VK_DOWN);
  EXPECT_EQ(people->RecNo(), 3);

  // Without an always-shown editor Up and Down are the grid's, on any line.
  grid->SetOptions(grid->Options() - TGridXDataOptions{gdoAlwaysShowEditor});
  people->Prior();
  win::PumpMessages();
  e = OpenEditor("Name");
  ASSERT_TRUE(e->WordWrap());
  e->SetSelStart(0);
  e->SetSelLength(0);
  Key(VK_DOWN);
  EXPECT_EQ(people->RecNo(), 3);
}

TEST_F(InplaceRemaindersTest, LettingCtrlGoReachesTheShownLookupList) {
  TDBGridInplaceEdit* e = OpenEditor("KindName");
  ASSERT_NE(e, nullptr);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  TPopupDataGridX* list = e->LookupList();
  std::vector<WORD> releases;
  list->OnKeyUp = [&](TObject*, WORD& Key, TShiftState) { releases.push_back(Key); };
  auto press = [&](UINT Vk) {
    win::InjectKey(WM_KEYDOWN, Vk);
    win::InjectKey(WM_KEYUP, Vk);
    win::PumpMessages();
  };
  // The list never has the focus: the keys come to the editor, and only Ctrl's release goes on.
  ASSERT_EQ(GetFocus(), e->Handle());
  press(VK_CONTROL);
  press(VK_SHIFT);
  EXPECT_EQ(releases, std::vector<WORD>{VK_CONTROL});
  EXPECT_TRUE(e->ListShown());
  // A release while the list was used with Ctrl held goes on too.
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  Key(VK_DOWN);
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(releases, (std::vector<WORD>{VK_CONTROL, VK_CONTROL}));
  EXPECT_TRUE(e->ListShown());
  // Closed: nothing reaches it.
  Key(VK_ESCAPE);
  ASSERT_FALSE(e->ListShown());
  press(VK_CONTROL);
  EXPECT_EQ(releases.size(), 2u);
  list->OnKeyUp = nullptr;
}

TEST_F(InplaceRemaindersTest, MovedListColumnsGiveTheSpecialRowTheirOrder) {
  TColumnX* kind = Col("KindName");
  kind->SetLookupDisplayFields("Label;Key");
  TSpecRowX* special = kind->DropDownSpecRow();
  special->SetVisible(true);
  special->SetCellsText("(none);-");
  TDBGridInplaceEdit* e = OpenEditor("KindName");
  ASSERT_NE(e, nullptr);

  // Shown without a move: the column's texts stay as they are.
  AltDown();
  ASSERT_TRUE(e->ListShown());
  TPopupDataGridX* list = e->LookupList();
  EXPECT_EQ(list->SpecRow()->CellsText(), "(none);-");
  ASSERT_EQ(list->Columns()->Count(), 2);
  EXPECT_FALSE(e->ListColumnsMoved());
  Key(VK_ESCAPE);
  EXPECT_EQ(special->CellsText(), "(none);-");

  // The user moves the list's first column behind the second: the special row's texts follow, and
  // the column keeps them when the list closes.
  AltDown();
  ASSERT_TRUE(e->ListShown());
  list->MoveColumn(list->DataToRawColumn(0), list->DataToRawColumn(1));
  EXPECT_TRUE(e->ListColumnsMoved());
  EXPECT_EQ(list->SpecRow()->CellsText(), "-;(none)");
  Key(VK_RETURN);
  EXPECT_FALSE(e->ListShown());
  EXPECT_EQ(special->CellsText(), "-;(none)");
  EXPECT_FALSE(e->ListColumnsMoved());

  // The next drop-down starts unmoved and shows the kept order.
  e = OpenEditor("KindName");
  ASSERT_NE(e, nullptr);
  AltDown();
  ASSERT_TRUE(e->ListShown());
  EXPECT_FALSE(e->ListColumnsMoved());
  EXPECT_EQ(list->SpecRow()->CellsText(), "-;(none)");
  Key(VK_ESCAPE);
}

// Where a move would clear a selection, the editor stays away from it until the selection goes.
TEST_F(InplaceRemaindersTest, NoEditorOverASelectionThatAMoveWouldClear) {
  grid->SetOptions(grid->Options() + TGridXDataOptions{gdoMultiSelect});
  ASSERT_TRUE(grid->OptionsX().Contains(gxoClearSelectionOnMove));
  people->Last();
  grid->SelectedRows()->SetCurrentRowSelected(true);
  people->First();
  grid->SetCol(grid->DataToRawColumn(Col("Name")->Index()));
  auto shows = [&] {
    grid->ShowEditor();
    win::PumpMessages();
    bool shown = grid->InplaceEditX() && grid->InplaceEditX()->EditVisible();
    grid->HideEditor();
    win::PumpMessages();
    return shown;
  };
  EXPECT_FALSE(shows());
  // Without rectangles, or without clearing on a move, the selection does not stand in the way.
  grid->SetAllowedSelections({selRecordsX, selColumnsX, selAllX});
  EXPECT_TRUE(shows());
  grid->SetAllowedSelections({selRecordsX, selRectangleX, selColumnsX, selAllX});
  grid->SetOptionsX(grid->OptionsX() - gxoClearSelectionOnMove);
  EXPECT_TRUE(shows());
  grid->SetOptionsX(grid->OptionsX() + gxoClearSelectionOnMove);
  EXPECT_FALSE(shows());
  grid->SelectionX()->EmptySelection();
  EXPECT_NE(OpenEditor("Name"), nullptr);
}

TEST_F(InplaceRemaindersTest, FocusLeavingOrEnteringThroughTheEditorRepaintsTheSelection) {
  grid->SetOptions(grid->Options() + TGridXDataOptions{gdoMultiSelect});
  // Moves keep the selection here, so the editor may stand beside it.
  grid->SetOptionsX(grid->OptionsX() - gxoClearSelectionOnMove);
  people->Last();
  grid->SelectedRows()->SetCurrentRowSelected(true);
  people->First();
  auto* other = new TGridHostX(owner.get());
  other->SetBounds(720, 50, 40, 40);
  other->HandleNeeded();
  grid->SetFocus();
  win::PumpMessages();
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  ASSERT_EQ(GetFocus(), e->Handle());
  // A cell of the selected third record, away from the editor.
  TRect cell = grid->CellRect(grid->DataToRawColumn(Col("ID")->Index()), grid->TitleOffset() + 2);
  auto pixel = [&] { return win::GetWindowPixel(grid->Handle(), cell.Left + 3, cell.Top + 2); };
  grid->Repaint();
  win::PumpMessages();
  const COLORREF focused = pixel();

  other->SetFocus();
  win::PumpMessages();
  const COLORREF unfocused = pixel();
  EXPECT_NE(unfocused, focused);

  // Straight back into the editor (the grid's own window never has the focus on the way).
  e->SetFocus();
  win::PumpMessages();
  ASSERT_EQ(GetFocus(), e->Handle());
  EXPECT_EQ(pixel(), focused);
}

TEST_F(InplaceRemaindersTest, FlatButtonStripHasOnePixelSeparatorsNextToVisibleButtons) {
  TColumnX* name = Col("Name");
  name->SetButtonStyle(cbsEllipsis);
  TEditButtonX* plus = name->EditButtons()->Add();
  plus->SetVisible(true);
  plus->SetStyle(ebsPlusX);
  TEditButtonX* hidden = name->EditButtons()->Add();
  hidden->SetVisible(false);
  TEditButtonX* minus = name->EditButtons()->Add();
  minus->SetVisible(true);
  minus->SetStyle(ebsMinusX);

  // Not flat: no separators, the buttons touch.
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  ASSERT_EQ(e->ButtonControlCount(), 4);
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(e->ButtonSeparator(i)->Visible()) << i;
  EXPECT_EQ(e->ButtonControl(0)->Left() + e->ButtonControl(0)->Width(), e->ButtonControl(1)->Left());

  // Flat: a one-pixel separator to the left of each visible control, none for the hidden button.
  grid->HideEditor();
  grid->SetFlat(true);
  grid->SetFocus();
  win::PumpMessages();
  e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  ASSERT_EQ(e->ButtonControlCount(), 4);
  for (int i : {0, 1, 3}) {
    SCOPED_TRACE(i);
    TShape* s = e->ButtonSeparator(i);
    TEditButtonControlX* b = e->ButtonControl(i);
    EXPECT_TRUE(s->Visible());
    EXPECT_EQ(s->Width(), 1);
    EXPECT_EQ(s->Left() + 1, b->Left());
    EXPECT_EQ(s->Height(), b->Height());
    EXPECT_EQ(s->Pen()->Color(), clBtnFace);
  }
  EXPECT_FALSE(e->ButtonSeparator(2)->Visible());
  EXPECT_EQ(e->ButtonControl(2)->Width(), 0);
  // The strip holds the buttons and their separators; the text stops before it.
  int strip = 0;
  for (int i : {0, 1, 3}) strip += e->ButtonControl(i)->Width() + 1;
  EXPECT_EQ(e->ButtonStripWidth(), strip);
  EXPECT_EQ(e->ButtonSeparator(0)->Left(), e->ClientWidth() - strip);
  // Drawn: the separator's column is the button face colour, between two buttons.
  TShape* s1 = e->ButtonSeparator(1);
  EXPECT_EQ(win::GetWindowPixel(e->Handle(), s1->Left(), s1->Top() + s1->Height() / 2), static_cast<COLORREF>(ColorToRGB(clBtnFace)));

  // A picture of the strip, for a person to look at: the grid with taller rows so the buttons are
  // square, the editor on Name with its ellipsis, plus and minus buttons.
  grid->HideEditor();
  RowMetrics(0, 2);
  e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  e->SetSelStart(0);
  e->SetSelLength(0);
  win::PumpMessages();
  EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_editor_buttons.png")));
}

// ---------------------------------------------------------------------------------------------------
// The designed grid's sum list

namespace {
class DesignedSumListTest : public DataGridTest {};
}  // namespace

TEST_F(DesignedSumListTest, ComputesSumsAndLeavesTheDataSetsEventsAlone) {
  int posts = 0;
  ds->AfterPost = [&](TDataSet*) { ++posts; };
  grid->SetDesigning(true, false);
  Bind();
  Col(2)->Footer()->SetValueType(fvtSum);
  Col(0)->Footer()->SetValueType(fvtCount);
  ASSERT_TRUE(grid->SumList()->Active());
  // The aggregates are there at design time: 1.25 + 2.5 + 3.75 + 5 + 6.25, five records.
  std::string text;
  grid->GetFooterText(0, Col(2), text);
  EXPECT_EQ(text, "18.75");
  grid->GetFooterText(0, Col(0), text);
  EXPECT_EQ(text, "5");
  // None of the data set's events was taken over.
  EXPECT_FALSE(ds->AfterEdit);
  EXPECT_FALSE(ds->AfterOpen);
  EXPECT_FALSE(ds->BeforeDelete);
  ds->Edit();
  ds->Post();
  EXPECT_EQ(posts, 1);

  // Switching the list off and on again recomputes: it does not believe itself hooked for real.
  ds->First();
  ds->Edit();
  ds->FieldByName("Amount")->SetAsFloat(11.25);  // was 1.25
  ds->Post();
  EXPECT_EQ(posts, 2);
  grid->SumList()->SetActive(false);
  grid->SumList()->SetActive(true);
  grid->GetFooterText(0, Col(2), text);
  EXPECT_EQ(text, "28.75");
  EXPECT_FALSE(ds->AfterEdit);

  // The grid goes while the list is on: the data set keeps its own handler.
  delete grid;
  grid = nullptr;
  ds->Edit();
  ds->Post();
  EXPECT_EQ(posts, 3);
}
