// The grid's field map, its current column by index and by field, the data set's field list, and a
// column's image list going away while the grid still shows it.

#include "datagrid/DBGridXFilterRow.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/controls/imglist.h"
#include "tests/datagrid/grid_fixture.h"

TEST_F(DataGridTest, UsesDefaultFieldsFollowsTheMap) {
  struct Case {
    const char* What;
    std::vector<const char*> Columns;  // empty: the grid's default columns
    bool Expected;
  } cases[] = {
      {"default columns", {}, true},
      {"customised, every field found", {"ID", "Name"}, true},
      {"customised, one field missing", {"ID", "Missing", "Name"}, false},
  };
  for (const Case& k : cases) {
    grid->SetDataSource(nullptr);
    grid->Columns()->Clear();
    for (const char* n : k.Columns) grid->Columns()->Add()->SetFieldName(n);
    Bind();
    TGridDataLinkX* link = grid->DataLink();
    EXPECT_EQ(link->MapByName(), !k.Columns.empty()) << k.What;
    // The data set's own answer first, then the map's.
    EXPECT_EQ(link->UsesDefaultFields(), k.Expected && ds->DefaultFields()) << k.What;
    if (!k.Expected) {
      EXPECT_EQ(link->MappedField(1), nullptr) << k.What;
    }
  }
}

TEST_F(DataGridTest, SelectedIndexAndFieldMoveTheCurrentColumn) {
  Bind();
  grid->SetSelectedIndex(3);
  EXPECT_EQ(grid->GetSelectedIndex(), 3);
  EXPECT_EQ(grid->GetSelectedField(), ds->FieldByName("Born"));
  grid->SetSelectedField(ds->FieldByName("Name"));
  EXPECT_EQ(grid->GetSelectedIndex(), 1);
  EXPECT_EQ(grid->Col(), grid->DataToRawColumn(1));
  // A field no column shows leaves the current column where it is.
  auto* other = new TMemDataSet(owner.get());
  other->AddField("X", ftInteger);
  other->Open();
  grid->SetSelectedField(other->FieldByName("X"));
  grid->SetSelectedField(nullptr);
  EXPECT_EQ(grid->GetSelectedIndex(), 1);
}

TEST_F(DataGridTest, ListDataSetFieldsListsHiddenFieldsToo) {
  Bind();
  ds->FieldByName("Code")->SetVisible(false);
  win::PumpMessages();
  EXPECT_EQ(grid->Columns()->Count(), 5);  // hidden fields get no default column
  std::vector<TField*> list;
  grid->ListDataSetFields(list);
  ASSERT_EQ(list.size(), 6u);
  EXPECT_EQ(list[0], ds->FieldByName("ID"));
  EXPECT_EQ(list[5], ds->FieldByName("Code"));
  TDBGridX unbound(owner.get());
  std::vector<TField*> none;
  unbound.ListDataSetFields(none);
  EXPECT_TRUE(none.empty());
}

TEST_F(DataGridTest, DestroyedColumnImageListIsDroppedBeforeTheNextPaint) {
  Bind();
  TColumnX* code = Col(5);
  code->KeyList()->Add("Y");
  code->KeyList()->Add("N");
  auto* images = new TImageList(owner.get());
  images->SetWidth(8);
  images->SetHeight(8);
  code->SetImageList(images);
  EXPECT_EQ(code->GetCellKind(), cckKeyImages);
  // A change of the list repaints the grid.
  win::PumpMessages();
  ValidateRect(grid->Handle(), nullptr);
  images->SetBkColor(clRed);
  RECT upd{};
  EXPECT_TRUE(GetUpdateRect(grid->Handle(), &upd, FALSE));
  delete images;
  EXPECT_EQ(code->ImageList(), nullptr);
  EXPECT_EQ(code->GetCellKind(), cckText);
  grid->Repaint();  // would draw from the freed list
  win::PumpMessages();
  // A copied column asks for the same notice.
  auto* images2 = new TImageList(owner.get());
  code->SetImageList(images2);
  auto* other = new TDBGridX(owner.get());
  TColumnX* copy = other->Columns()->Add();
  copy->Assign(code);
  EXPECT_EQ(copy->ImageList(), images2);
  delete images2;
  EXPECT_EQ(copy->ImageList(), nullptr);
  EXPECT_EQ(code->ImageList(), nullptr);
}

TEST_F(DataGridTest, ChangeScaleScalesOnlyFontsSetOnColumnsTitlesAndFooters) {
  for (const char* n : {"ID", "Name"}) grid->Columns()->Add()->SetFieldName(n);
  grid->SetParentFont(false);
  grid->FooterFont()->SetSize(8);
  TColumnX* set = Col(0);
  TColumnX* inherited = Col(1);
  set->Font()->SetSize(10);
  set->Title()->Font()->SetSize(11);
  set->Footer()->Font()->SetSize(12);
  set->Footers()->Add()->Font()->SetSize(14);
  inherited->Footers()->Add();
  ASSERT_TRUE(set->Footer()->FontStored());
  ASSERT_FALSE(inherited->Footer()->FontStored());
  grid->ChangeScale(3, 2);
  EXPECT_EQ(set->Font()->Size(), 15);
  EXPECT_EQ(set->Title()->Font()->Size(), 17);  // 16.5: halves round away from zero
  EXPECT_EQ(set->Footer()->Font()->Size(), 18);
  EXPECT_EQ(set->Footers()->Items(0)->Font()->Size(), 21);
  // Fonts not set on the column follow the grid's scaled fonts and are not scaled twice.
  EXPECT_EQ(grid->FooterFont()->Size(), 12);
  EXPECT_EQ(inherited->Footer()->Font()->Size(), 12);
  EXPECT_EQ(inherited->Footers()->Items(0)->Font()->Size(), 12);
  EXPECT_FALSE(inherited->Footer()->FontStored());
}

TEST_F(DataGridTest, AlwaysShownCellButtonsIncludeTheColumnsOwnButtons) {
  Bind();
  TColumnX* name = Col(1);
  name->SetWidth(200);
  name->SetButtonStyle(cbsEllipsis);
  name->SetAlwaysShowEditButton(true);
  TEditButtonX* plus = static_cast<TEditButtonX*>(name->EditButtons()->Add());
  plus->SetStyle(ebsPlusX);
  plus->SetWidth(20);
  plus->SetVisible(true);
  TEditButtonX* pic = static_cast<TEditButtonX*>(name->EditButtons()->Add());
  pic->SetStyle(ebsGlyphX);
  pic->SetVisible(true);
  auto glyph = std::make_unique<TBitmap>();
  glyph->SetSize(6, 6);
  glyph->Canvas()->Brush()->SetColor(clRed);
  glyph->Canvas()->FillRect(TRect(0, 0, 6, 6));
  pic->SetGlyph(glyph.get());
  TEditButtonX* hidden = static_cast<TEditButtonX*>(name->EditButtons()->Add());
  hidden->SetVisible(false);
  const int bw = grid->ButtonWidth();
  ASSERT_GT(bw, 0);
  auto buttons = grid->CellButtons(name);
  ASSERT_EQ(buttons.size(), 3u);  // the hidden one is left out
  EXPECT_EQ(buttons[0].Kind, bkEllipsisX);
  EXPECT_EQ(buttons[1].Kind, bkPlusX);
  EXPECT_EQ(buttons[1].Width, 20);
  EXPECT_EQ(buttons[2].Kind, -1);
  EXPECT_EQ(grid->CellButtonWidth(name), bw + 20 + bw);
  grid->Repaint();
  win::PumpMessages();
  TRect cell = grid->CellRect(2, 2);  // a row that is not the current one
  int y = cell.Top + std::min(grid->ButtonHeight(), cell.Height()) / 2;
  int plusLeft = cell.Right - bw - 20;
  // The plus button's face, the picture in the middle of the last button, the text area left of them.
  COLORREF face = win::GetWindowPixel(grid->Handle(), plusLeft - bw + 3, cell.Top + 3);  // the main button
  EXPECT_NE(face, static_cast<COLORREF>(ColorToRGB(clWindow)));
  EXPECT_EQ(win::GetWindowPixel(grid->Handle(), plusLeft + 3, cell.Top + 3), face);
  EXPECT_EQ(win::GetWindowPixel(grid->Handle(), cell.Right - bw / 2, y), static_cast<COLORREF>(ColorToRGB(clRed)));
  EXPECT_EQ(win::GetWindowPixel(grid->Handle(), cell.Right - 2 * bw - 22, y),
            static_cast<COLORREF>(ColorToRGB(clWindow)));
  EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_cell_buttons.png")));
  // Without the switch the cell shows no button at all.
  name->SetAlwaysShowEditButton(false);
  EXPECT_EQ(grid->CellButtonWidth(name), 0);
}

TEST_F(DataGridTest, WidthLimitsApplyToInheritedWidths) {
  for (const char* n : {"ID", "Name"}) grid->Columns()->Add()->SetFieldName(n);
  Bind();
  TColumnX* id = Col(0);
  TColumnX* name = Col(1);
  ASSERT_FALSE(id->AssignedValues().Contains(cvWidth));
  ASSERT_FALSE(name->AssignedValues().Contains(cvWidth));
  int idWidth = id->Width();
  ASSERT_GT(name->Width(), 30);
  id->SetMinWidth(idWidth + 40);
  name->SetMaxWidth(30);
  EXPECT_EQ(id->Width(), idWidth + 40);
  EXPECT_EQ(name->Width(), 30);
  EXPECT_EQ(grid->ColWidths(grid->DataToRawColumn(1)), 30);
  // A limit the width already keeps changes nothing.
  TColumnX* amount = grid->Columns()->Add();
  amount->SetFieldName("Amount");
  int amountWidth = amount->Width();
  amount->SetMaxWidth(amountWidth + 10);
  amount->SetMinWidth(1);
  EXPECT_FALSE(amount->AssignedValues().Contains(cvWidth));
  EXPECT_EQ(amount->Width(), amountWidth);
}

TEST_F(DataGridTest, HiddenColumnsBesideFrozenOnesAreFixedToo) {
  Bind();
  struct Case {
    const char* What;
    int Frozen;
    std::vector<int> Hidden;  // data columns
    int FixedCols;
  } cases[] = {
      {"no frozen columns", 0, {1}, 1},
      {"one frozen, none hidden", 1, {}, 2},
      {"two frozen, one of them hidden", 2, {0}, 4},
      {"one frozen, hidden right after", 1, {1, 2}, 4},
      {"hidden further on stays scrollable", 1, {3}, 2},
  };
  for (const Case& k : cases) {
    for (int i = 0; i < grid->Columns()->Count(); ++i) Col(i)->SetVisible(true);
    for (int h : k.Hidden) Col(h)->SetVisible(false);
    grid->SetFrozenCols(k.Frozen);
    EXPECT_EQ(grid->FixedCols(), k.FixedCols) << k.What;
    // The first scrollable column is a visible one.
    int first = grid->RawToDataColumn(grid->FixedCols());
    EXPECT_TRUE(Col(first)->Visible()) << k.What;
  }
}

TEST_F(DataGridTest, StyleCanBeReplacedAndFallsBackToTheDefault) {
  TDBGridXStyle* shared = grid->Style();
  EXPECT_EQ(shared, DefaultGridStyle);
  auto own = std::make_unique<TDBGridXStyle>();
  grid->SetStyle(own.get());
  EXPECT_EQ(grid->Style(), own.get());
  EXPECT_TRUE(own->HasGrid(grid));
  if (shared) {
    EXPECT_FALSE(shared->HasGrid(grid));
  }
  grid->SetStyle(own.get());  // the same style again changes nothing
  EXPECT_EQ(own->GridCount(), 1);
  grid->SetStyle(nullptr);
  EXPECT_EQ(grid->Style(), DefaultGridStyle);
  EXPECT_FALSE(own->HasGrid(grid));
  // A style destroyed while a grid uses it leaves the grid with the plain colours.
  grid->SetStyle(own.get());
  own.reset();
  EXPECT_EQ(grid->Style(), nullptr);
  Bind();
  grid->Repaint();
  win::PumpMessages();
}

TEST_F(DataGridTest, GainFocusLeavesTheFocusInAFilterCellBeingEdited) {
  DBGridXUnit::Initialize();
  Bind();
  grid->STFilter()->SetVisible(true);
  win::PumpMessages();
  grid->BeginFilterEdit(1);
  ASSERT_TRUE(grid->FilterEditing());
  ASSERT_TRUE(grid->FilterEditor()->Focused());
  EXPECT_TRUE(grid->GainFocus());
  EXPECT_TRUE(grid->FilterEditor()->Focused());
  EXPECT_TRUE(grid->FilterEditing());
  grid->EndFilterEdit();
  // Without a filter edit the grid takes the focus itself; without GrabFocus it does not.
  host->SetFocus();
  grid->SetGrabFocus(false);
  EXPECT_FALSE(grid->GainFocus());
  grid->SetGrabFocus(true);
  EXPECT_TRUE(grid->GainFocus());
  EXPECT_TRUE(grid->Focused());
  grid->STFilter()->SetVisible(false);
  DBGridXUnit::Finalize();
}

TEST_F(DataGridTest, EditingChangesRepaintTheIndicatorOfTheCurrentRecord) {
  Bind();
  ds->First();
  ds->Next();
  grid->Repaint();
  win::PumpMessages();
  ASSERT_EQ(grid->IndicatorRow(), grid->TitleOffset() + 1);
  ValidateRect(grid->Handle(), nullptr);
  ds->Edit();
  RECT upd{};
  ASSERT_TRUE(GetUpdateRect(grid->Handle(), &upd, FALSE));
  TRect cell = grid->CellRect(0, grid->IndicatorRow());
  EXPECT_LE(upd.left, cell.Left);
  EXPECT_LE(upd.top, cell.Top);
  EXPECT_GE(upd.bottom, cell.Bottom);
  ds->Cancel();
}

TEST_F(DataGridTest, MovingAGeneratedColumnMovesItsFieldSoTheOrderLasts) {
  Bind();
  TField* active = ds->FieldByName("Active");
  Col(4)->SetIndex(1);
  EXPECT_EQ(active->Index(), 1);
  EXPECT_EQ(Col(1)->Field(), active);
  grid->LayoutChanged();  // the generated columns are put in the fields' order again
  EXPECT_EQ(Col(1)->Field(), active);
  EXPECT_EQ(Col(2)->Field(), ds->FieldByName("Name"));
  // The user's own columns move alone.
  grid->SetDataSource(nullptr);
  grid->Columns()->Clear();
  for (const char* n : {"ID", "Name", "Amount"}) grid->Columns()->Add()->SetFieldName(n);
  Bind();
  int amountIndex = ds->FieldByName("Amount")->Index();
  Col(2)->SetIndex(0);
  EXPECT_EQ(Col(0)->FieldName(), "Amount");
  EXPECT_EQ(ds->FieldByName("Amount")->Index(), amountIndex);
}

TEST_F(DataGridTest, EndingMultiSelectClearsEveryKindOfSelectionAsAMoveWould) {
  Bind();
  struct Case {
    const char* What;
    bool ClearOnMove;
    bool Rectangle;  // else selected rows
    bool Cleared;
  } cases[] = {
      {"rows, clearing on move", true, false, true},
      {"rectangle, clearing on move", true, true, true},
      {"rows, kept on move", false, false, false},
      {"rectangle, kept on move", false, true, false},
  };
  for (const Case& k : cases) {
    auto ox = grid->OptionsX();
    if (k.ClearOnMove) ox.Include(gxoClearSelectionOnMove);
    else ox.Exclude(gxoClearSelectionOnMove);
    grid->SetOptionsX(ox);
    grid->SetOptions(grid->Options() + TGridXDataOptions{gdoMultiSelect});
    ds->First();
    TBookmark top = ds->Bookmark();
    ds->MoveBy(2);
    if (k.Rectangle) {
      grid->SelectionX()->Rect()->Select(0, top, false);
      grid->SelectionX()->Rect()->Select(2, ds->Bookmark(), true);
      ASSERT_EQ(grid->SelectionX()->Kind(), selRectangleX) << k.What;
    } else {
      grid->SelectedRows()->SetCurrentRowSelected(true);
      ASSERT_EQ(grid->SelectionX()->Kind(), selRecordsX) << k.What;
    }
    grid->SetOptions(grid->Options() - TGridXDataOptions{gdoMultiSelect});
    EXPECT_EQ(grid->SelectionX()->Kind() == selNoneX, k.Cleared) << k.What;
    if (k.Cleared) {
      EXPECT_EQ(grid->SelectedRows()->Count(), 0) << k.What;
      EXPECT_TRUE(grid->SelectionX()->Rect()->Empty()) << k.What;
    }
    grid->SelectionX()->EmptySelection();
  }
}
