// The grid control: creation defaults, options, default and customised columns, layout from the
// data set, the selected-records list and scaling.

#include "tests/datagrid/grid_fixture.h"

TEST_F(DataGridTest, NewGridDefaults) {
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_EQ(grid->ColCount(), 2);
  EXPECT_EQ(grid->ScrollBars(), ssHorizontal);
  EXPECT_EQ(GridXDataOptionsBits(grid->Options()), 0x0CFDu);
  EXPECT_EQ(GridXExtOptionsBits(grid->OptionsX()), 0x61u);
  EXPECT_TRUE(grid->Options().Contains(gdoEditing));
  EXPECT_FALSE(grid->DefaultDrawing());
  // (The fixture's grid took its parent's font, and a font change lays the grid out: a grid of its own.)
  TDBGridX fresh(nullptr);
  EXPECT_EQ(fresh.TitleOffset(), 0);  // no layout yet
  fresh.LayoutChanged();
  EXPECT_EQ(fresh.TitleOffset(), 1);
}

TEST_F(DataGridTest, RowSelectDropsEditingAndMultiSelectOffClearsSelection) {
  auto o = grid->Options();
  o.Include(gdoRowSelect);
  o.Include(gdoAlwaysShowEditor);
  grid->SetOptions(o);
  EXPECT_FALSE(grid->Options().Contains(gdoEditing));
  EXPECT_FALSE(grid->Options().Contains(gdoAlwaysShowEditor));
  EXPECT_TRUE(grid->TCustomGrid::Options().Contains(goRowSelect));
  EXPECT_FALSE(grid->TCustomGrid::Options().Contains(goEditing));

  Bind();
  o = grid->Options();
  o.Include(gdoMultiSelect);
  grid->SetOptions(o);
  grid->SelectedRows()->SetCurrentRowSelected(true);
  ASSERT_EQ(grid->SelectedRows()->Count(), 1);
  o.Exclude(gdoMultiSelect);
  grid->SetOptions(o);
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
}

TEST_F(DataGridTest, DefaultColumnsFollowTheFields) {
  Bind();
  ASSERT_EQ(grid->Columns()->Count(), 6);
  EXPECT_FALSE(grid->Columns()->Customised());
  EXPECT_EQ(grid->Columns()->State(), 0);
  EXPECT_EQ(grid->ColCount(), 7);
  EXPECT_EQ(grid->FixedCols(), 1);
  EXPECT_EQ(grid->FixedRows(), 1);
  EXPECT_EQ(grid->RowCount(), 1 + 5);
  EXPECT_EQ(grid->ColWidths(0), 11);
  EXPECT_EQ(Col(1)->FieldName(), "Name");
  EXPECT_EQ(Col(1)->Title()->Caption(), "Name");
  EXPECT_FALSE(Col(1)->Persistent());

  // A hidden field loses its column; showing it brings one back in field order.
  ds->FieldByName("Amount")->SetVisible(false);
  win::PumpMessages();
  ASSERT_EQ(grid->Columns()->Count(), 5);
  EXPECT_EQ(Col(2)->FieldName(), "Born");
  ds->FieldByName("Amount")->SetVisible(true);
  ASSERT_EQ(grid->Columns()->Count(), 6);
  EXPECT_EQ(Col(2)->FieldName(), "Amount");

  // A generated column's caption lives in its field.
  Col(1)->Title()->SetCaption("Person");
  EXPECT_EQ(ds->FieldByName("Name")->DisplayLabel(), "Person");
  EXPECT_EQ(Col(1)->Title()->Caption(), "Person");
}

TEST_F(DataGridTest, CustomisedColumnsAreKeptAndBoundByName) {
  TColumnX* a = grid->Columns()->Add();
  a->SetFieldName("Name");
  TColumnX* b = grid->Columns()->Add();
  b->SetFieldName("Amount");
  b->SetWidth(70);
  EXPECT_TRUE(grid->Columns()->Customised());
  Bind();
  ASSERT_EQ(grid->Columns()->Count(), 2);
  EXPECT_EQ(a->Field(), ds->FieldByName("Name"));
  EXPECT_EQ(grid->ColCount(), 3);
  EXPECT_EQ(grid->ColWidths(2), 70);
  b->SetVisible(false);
  EXPECT_EQ(grid->ColWidths(2), -1);
  ASSERT_EQ(grid->VisibleColumns().size(), 1u);
}

TEST_F(DataGridTest, InheritedSettingsFollowUntilSet) {
  Bind();
  TColumnX* name = Col(1);
  TColumnX* amount = Col(2);
  // Colour follows the grid.
  grid->SetColor(clYellow);
  EXPECT_EQ(name->Color(), clYellow);
  name->SetColor(clRed);
  grid->SetColor(clAqua);
  EXPECT_EQ(name->Color(), clRed);
  EXPECT_EQ(amount->Color(), clAqua);
  EXPECT_TRUE(name->AssignedValues().Contains(cvColor));
  EXPECT_FALSE(amount->AssignedValues().Contains(cvColor));
  // Alignment follows the field (numbers right); read-only follows the grid and the field.
  EXPECT_EQ(amount->Alignment(), ds->FieldByName("Amount")->Alignment());
  EXPECT_FALSE(name->ReadOnly());
  grid->SetReadOnly(true);
  EXPECT_TRUE(name->ReadOnly());
  grid->SetReadOnly(false);
  ds->FieldByName("Name")->SetReadOnly(true);
  EXPECT_TRUE(name->ReadOnly());
  // Font follows the grid's font until the column's own changes.
  grid->Font()->SetSize(14);
  EXPECT_EQ(name->Font()->Size(), 14);
  name->Font()->SetSize(9);
  grid->Font()->SetSize(16);
  EXPECT_EQ(name->Font()->Size(), 9);
  EXPECT_EQ(amount->Font()->Size(), 16);
  // Column defaults.
  EXPECT_FALSE(amount->EndEllipsis());
  grid->ColumnDefValues()->SetEndEllipsis(true);
  EXPECT_TRUE(amount->EndEllipsis());
  amount->SetEndEllipsis(false);
  EXPECT_FALSE(amount->EndEllipsis());
  // Word wrap for text fields, not for numbers.
  EXPECT_TRUE(name->WordWrap());
  EXPECT_FALSE(amount->WordWrap());
  // Title alignment follows the multi-level switch until set.
  EXPECT_EQ(name->Title()->Alignment(), taLeftJustify);
  grid->SetUseMultiTitle(true);
  EXPECT_EQ(name->Title()->Alignment(), taCenter);
  name->Title()->SetAlignment(taRightJustify);
  grid->SetUseMultiTitle(false);
  EXPECT_EQ(name->Title()->Alignment(), taRightJustify);
  // Title colour follows FixedColor.
  grid->SetFixedColor(clSilver);
  EXPECT_EQ(amount->Title()->Color(), clSilver);
}

TEST_F(DataGridTest, AssignCopiesOnlyAssignedValues) {
  Bind();
  TColumnX* src1 = grid->Columns()->Add();
  src1->SetFieldName("Name");
  src1->SetColor(clRed);
  src1->Title()->SetCaption("Who");
  TColumnX* dst = grid->Columns()->Add();
  dst->Assign(src1);
  EXPECT_TRUE(dst->AssignedValues().Contains(cvColor));
  EXPECT_FALSE(dst->AssignedValues().Contains(cvWidth));
  EXPECT_EQ(dst->Color(), clRed);
  EXPECT_EQ(dst->Title()->Caption(), "Who");
  EXPECT_EQ(dst->FieldName(), "Name");
}

TEST_F(DataGridTest, WidthLimits) {
  TColumnX* c = grid->Columns()->Add();
  c->SetMaxWidth(80);
  c->SetWidth(200);
  EXPECT_EQ(c->Width(), 80);
  c->SetMaxWidth(0);
  c->SetMinWidth(50);
  c->SetWidth(10);
  EXPECT_EQ(c->Width(), 50);
  // Without a field the grid's default width; with a field the display width in digits.
  TColumnX* d = grid->Columns()->Add();
  EXPECT_EQ(d->Width(), grid->DefaultColWidth());
  d->SetFieldName("Name");
  Bind();
  EXPECT_GT(d->Width(), 20 * 4);
}

TEST_F(DataGridTest, ChangeScaleScalesWidthsCumulativelyAndEachFontByItsOwnSize) {
  for (int w : {10, 11, 12}) grid->Columns()->Add()->SetWidth(w);
  grid->Font()->SetSize(9);
  grid->SetParentFont(false);
  grid->TitleFont()->SetSize(12);
  grid->ChangeScale(2, 1);
  EXPECT_EQ(Col(0)->Width(), 20);
  EXPECT_EQ(Col(1)->Width(), 22);
  EXPECT_EQ(Col(2)->Width(), 24);
  // The title font doubles its own 12, it does not take the grid font's size.
  EXPECT_EQ(grid->TitleFont()->Size(), 24);
}

TEST_F(DataGridTest, RemovingTheDataSourceLeavesTheGridWithout) {
  Bind();
  delete src;
  src = nullptr;
  EXPECT_EQ(grid->DataSource(), nullptr);
  EXPECT_EQ(grid->Columns()->Count(), 0);
}

TEST_F(DataGridTest, SelectedRowsKeepBookmarksInOrder) {
  Bind();
  ds->First();
  ds->MoveBy(3);
  grid->SelectedRows()->SetCurrentRowSelected(true);
  ds->First();
  grid->SelectedRows()->SetCurrentRowSelected(true);
  ASSERT_EQ(grid->SelectedRows()->Count(), 2);
  EXPECT_LT(ds->CompareBookmarks(grid->SelectedRows()->Items(0), grid->SelectedRows()->Items(1)), 0);
  EXPECT_TRUE(grid->SelectedRows()->CurrentRowSelected());
  ds->Next();
  EXPECT_FALSE(grid->SelectedRows()->CurrentRowSelected());
  // Deleting a selected record drops it at once (the grid hears of the change); Refresh then finds
  // nothing left to drop.
  ds->First();
  TBookmark keep = grid->SelectedRows()->Items(1);
  ds->Delete();
  EXPECT_EQ(grid->SelectedRows()->Count(), 1);
  EXPECT_FALSE(grid->SelectedRows()->Refresh());
  ASSERT_EQ(grid->SelectedRows()->Count(), 1);
  EXPECT_EQ(grid->SelectedRows()->Items(0), keep);
  grid->SelectedRows()->SelectAll();
  EXPECT_EQ(grid->SelectedRows()->Count(), 4);
  grid->SelectedRows()->Clear();
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
}

TEST_F(DataGridTest, CurrentRowFollowsTheRecord) {
  Bind();
  ds->First();
  EXPECT_EQ(grid->Row(), 1);
  ds->MoveBy(2);
  win::PumpMessages();
  EXPECT_EQ(grid->Row(), 3);
}
