// Column texts, cell kinds, check boxes, stepping values and sort markers.

#include "tests/datagrid/grid_fixture.h"

TEST_F(DataGridTest, DisplayTexts) {
  Bind();
  EXPECT_EQ(TextAt(0, 1), "2");
  EXPECT_EQ(TextAt(1, 4), "Émile");
  EXPECT_EQ(TextAt(2, 1), "2.5");
  Col(2)->SetDisplayFormat("0.000");
  EXPECT_EQ(TextAt(2, 1), "2.500");
  ds->Edit();
  ds->FieldByName("Amount")->Clear();
  EXPECT_EQ(Col(2)->GetCellDisplayText(), "");
  ds->Cancel();
  // A key list shows the pick-list item at the key's place, or the not-in-list item.
  TColumnX* code = Col(5);
  code->KeyList()->Add("Y");
  code->KeyList()->Add("N");
  code->PickList()->Add("Yes");
  code->PickList()->Add("No");
  code->PickList()->Add("Unknown");
  EXPECT_EQ(code->GetCellKind(), cckKeyPickList);
  EXPECT_EQ(TextAt(5, 0), "Yes");
  EXPECT_EQ(TextAt(5, 1), "No");
  EXPECT_EQ(TextAt(5, 3), "");
  code->SetNotInKeyListIndex(2);
  EXPECT_EQ(TextAt(5, 3), "Unknown");
}

TEST_F(DataGridTest, CellKinds) {
  Bind();
  TColumnX* c = Col(1);
  EXPECT_EQ(c->GetCellKind(), cckText);
  c->PickList()->Add("a");
  EXPECT_EQ(c->GetCellKind(), cckPickList);
  c->KeyList()->Add("k");
  EXPECT_EQ(c->GetCellKind(), cckKeyPickList);
  c->SetImageList(grid);  // any component stands for an image list here
  EXPECT_EQ(c->GetCellKind(), cckKeyImages);
  EXPECT_EQ(c->GetCellDisplayText(), "");
  c->SetCheckboxes(true);
  EXPECT_EQ(c->GetCellKind(), cckCheckbox);
}

TEST_F(DataGridTest, CheckBoxColumns) {
  Bind();
  TColumnX* active = Col(4);
  EXPECT_TRUE(active->Checkboxes());  // a Boolean field
  EXPECT_FALSE(active->AssignedValues().Contains(cvCheckboxes));
  ds->First();
  EXPECT_EQ(active->ReadCheckState(), cbChecked);
  ds->Next();
  EXPECT_EQ(active->ReadCheckState(), cbUnchecked);
  active->SetCheckboxes(false);
  EXPECT_FALSE(active->Checkboxes());
  EXPECT_TRUE(active->AssignedValues().Contains(cvCheckboxes));

  // A text field with key lines "1;Y" (checked) and "0;N" (unchecked).
  TColumnX* code = Col(5);
  code->SetCheckboxes(true);
  code->KeyList()->Add("1;Y");
  code->KeyList()->Add("0;N");
  ds->First();
  EXPECT_EQ(code->ReadCheckState(), cbChecked);
  ds->MoveBy(3);
  EXPECT_EQ(code->ReadCheckState(), cbGrayed);  // "?"
  ds->First();
  ds->Edit();
  code->WriteCheckState(cbUnchecked);
  EXPECT_EQ(ds->FieldByName("Code")->AsString(), "0");
  code->WriteCheckState(cbGrayed);
  EXPECT_TRUE(ds->FieldByName("Code")->IsNull());
  ds->Cancel();
}

TEST_F(DataGridTest, StepValueUsesTheSignOfTheStep) {
  Bind();
  TColumnX* code = Col(5);
  code->KeyList()->Add("Y");
  code->KeyList()->Add("N");
  code->KeyList()->Add("?");
  code->PickList()->Add("Yes");
  code->PickList()->Add("No");
  code->PickList()->Add("Maybe");
  code->SetIncrement(2);
  ds->First();  // "Y"
  code->StepValue(code->Increment());
  EXPECT_EQ(ds->FieldByName("Code")->AsString(), "N");
  code->StepValue(-code->Increment());
  EXPECT_EQ(ds->FieldByName("Code")->AsString(), "Y");
  code->StepValue(-1);  // backward from the first wraps to the last
  EXPECT_EQ(ds->FieldByName("Code")->AsString(), "?");
  code->StepValue(1);  // forward from the last wraps to the first
  EXPECT_EQ(ds->FieldByName("Code")->AsString(), "Y");
  ds->Cancel();

  // Numbers add the step; a null counts as -Step so the first step gives 0.
  TColumnX* id = Col(0);
  ds->First();
  id->StepValue(2);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
  ds->FieldByName("ID")->Clear();
  id->StepValue(2);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 0);
  ds->Cancel();

  // Check boxes toggle.
  TColumnX* active = Col(4);
  ds->First();
  active->StepValue(1);
  EXPECT_FALSE(ds->FieldByName("Active")->AsBoolean());
  ds->Cancel();

  // A read-only grid changes nothing.
  grid->SetReadOnly(true);
  id->StepValue(1);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 1);
}

TEST_F(DataGridTest, SortMarkers) {
  Bind();
  // Single marking: a new marker clears the others.
  Col(0)->Title()->SetSortMarker(smDownX);
  Col(1)->Title()->SetSortMarker(smUpX);
  EXPECT_EQ(Col(0)->Title()->SortMarker(), smNoneX);
  EXPECT_EQ(Col(0)->Title()->SortIndex(), 0);
  EXPECT_EQ(Col(1)->Title()->SortIndex(), 1);
  ASSERT_EQ(grid->SortMarkedColumns().size(), 1u);
  Col(1)->Title()->SetSortMarker(smNoneX);
  EXPECT_TRUE(grid->SortMarkedColumns().empty());

  // Multi marking: indexes in marking order; removing the first renumbers the rest.
  auto o = grid->OptionsX();
  o.Include(gxoMultiSortMarking);
  grid->SetOptionsX(o);
  for (int i : {2, 0, 3}) Col(i)->Title()->SetSortMarker(smDownX);
  EXPECT_EQ(Col(2)->Title()->SortIndex(), 1);
  EXPECT_EQ(Col(0)->Title()->SortIndex(), 2);
  EXPECT_EQ(Col(3)->Title()->SortIndex(), 3);
  Col(2)->Title()->SetSortMarker(smNoneX);
  EXPECT_EQ(Col(0)->Title()->SortIndex(), 1);
  EXPECT_EQ(Col(3)->Title()->SortIndex(), 2);
  ASSERT_EQ(grid->SortMarkedColumns().size(), 2u);
  EXPECT_EQ(grid->SortMarkedColumns()[0], Col(0));
  // Swapping sort indexes swaps places in the marked list.
  Col(3)->Title()->SetSortIndex(1);
  EXPECT_EQ(Col(3)->Title()->SortIndex(), 1);
  EXPECT_EQ(Col(0)->Title()->SortIndex(), 2);
  EXPECT_EQ(grid->SortMarkedColumns()[0], Col(3));

  // Toggling: none -> down -> up -> none (keeping others) / down (alone).
  TColumnTitleX* t = Col(1)->Title();
  t->ToggleSortMarker(true);
  EXPECT_EQ(t->SortMarker(), smDownX);
  t->ToggleSortMarker(true);
  EXPECT_EQ(t->SortMarker(), smUpX);
  t->ToggleSortMarker(true);
  EXPECT_EQ(t->SortMarker(), smNoneX);
  t->ToggleSortMarker(false);
  EXPECT_EQ(t->SortMarker(), smDownX);
  EXPECT_EQ(grid->SortMarkedColumns().size(), 1u);
}
