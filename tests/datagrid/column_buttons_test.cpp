// A button added to a column's edit buttons is a visible one: it takes its place beside the cell
// editor without further settings, and Alt+Down (its default shortcut) and a click both press it.

#include "tests/datagrid/inplace_fixture.h"

TEST_F(InplaceTest, AButtonAddedToAColumnIsShownAndAnswersAltDown) {
  TColumnX* name = Col("Name");
  int clicks = 0;
  TEditButtonX* plus = name->EditButtons()->Add();
  plus->SetStyle(ebsPlusX);
  plus->OnClick = [&](TObject*, bool&) { ++clicks; };
  EXPECT_TRUE(plus->Visible());
  EXPECT_EQ(plus->ShortCut(), 32808);  // Alt+Down
  TDBGridInplaceEdit* e = OpenEditor("Name");
  ASSERT_NE(e, nullptr);
  // The column has no button of its own (a plain text field): the added one stands at the right edge.
  ASSERT_EQ(e->ButtonControlCount(), 2);
  TEditButtonControlX* b = e->ButtonControl(1);
  EXPECT_GT(b->Width(), 0);
  EXPECT_EQ(b->Left() + b->Width(), e->ClientWidth());
  EXPECT_EQ(e->ButtonStripWidth(), b->Width());
  AltDown();
  EXPECT_EQ(clicks, 1);
  ClickAt(b, b->Width() / 2, b->Height() / 2);
  EXPECT_EQ(clicks, 2);
}
