// Layout extras: rows fitted to whole text lines, the button height, a fixed title height, columns
// sharing the client width (auto-fit) and keeping their shares when one is sized, and what sizing or
// moving a column in the grid does to the column list.

#include <numeric>
#include <string>
#include <vector>

#include "tests/datagrid/grid_fixture.h"

class LayoutExtrasTest : public DataGridTest {
 protected:
  int TextH(TFont* F) {
    grid->Canvas()->Font()->Assign(F);
    return grid->Canvas()->TextHeight("Wg");
  }
  // Extra of a row: 3 (not flat) plus the grid line with row lines.
  int Extra() { return 3 + grid->GridLineWidth(); }
  // The pixels the visible columns, the indicator and the lines take.
  int UsedWidth() {
    int sum = grid->ColWidths(0) + 1;  // the indicator and its line
    for (TColumnX* c : grid->VisibleColumns()) sum += c->Width() + 1;
    return sum;
  }
};

TEST_F(LayoutExtrasTest, RowHeightFitsWholeTextLines) {
  Bind();
  int h = TextH(grid->Font());
  int e = Extra();
  auto o = grid->OptionsX();
  o.Include(gxoFitRowHeightToText);
  grid->SetOptionsX(o);
  struct Case {
    int RowHeight, Lines;
  } cases[] = {
      {e + 2 * h + h / 2 + 1, 3},  // more than half a line left over: one more line
      {e + 2 * h + h / 2, 2},      // up to half a line is dropped
      {e + 2 * h, 2},
      {e + 3, 1},  // less than a line still gives one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.RowHeight);
    grid->BeginLayout();
    grid->SetRowLines(0);
    grid->SetRowHeight(c.RowHeight);
    grid->EndLayout();
    EXPECT_EQ(grid->DefaultRowHeight(), c.Lines * h + e);
    EXPECT_EQ(grid->RowLines(), c.Lines);
    EXPECT_EQ(grid->RowHeight(), e);
    EXPECT_EQ(grid->FitRowHeight(), h + grid->CellTextMargin() < c.Lines * h + e);
    // Laying out again keeps the fitted height.
    grid->LayoutChanged();
    EXPECT_EQ(grid->DefaultRowHeight(), c.Lines * h + e);
  }
}

TEST_F(LayoutExtrasTest, ButtonHeightFollowsTheRowUntilTheRowIsMuchTaller) {
  Bind();
  int bw = grid->ButtonWidth();
  ASSERT_GT(bw, 0);
  grid->SetRowHeight((bw * 3 + 1) / 2);  // still counts as a button-sized row
  EXPECT_EQ(grid->ButtonHeight(), grid->DefaultRowHeight());
  grid->SetRowHeight(bw * 3);
  EXPECT_EQ(grid->ButtonHeight(), bw);
}

TEST_F(LayoutExtrasTest, TitleLinesAndHeightFixTheTitleRow) {
  Bind();
  int h = TextH(grid->TitleFont());
  grid->SetTitleLineCount(2);
  EXPECT_EQ(grid->RowHeights(0), 2 * h + 2 + 1);
  grid->SetTitleHeight(10);
  EXPECT_EQ(grid->RowHeights(0), 2 * h + 10 + 2 + 1);
  grid->SetTitleLineCount(0);
  grid->SetTitleHeight(0);
  EXPECT_EQ(grid->RowHeights(0), h + grid->CellTextMargin());
}

TEST_F(LayoutExtrasTest, AutoFitSharesTheClientWidthAndGivesItBack) {
  Bind();
  std::vector<int> before;
  for (int i = 0; i < 6; ++i) before.push_back(Col(i)->Width());
  grid->SetAutoFitColWidths(true);
  EXPECT_EQ(grid->ScrollBars(), ssNone);
  EXPECT_EQ(UsedWidth(), grid->ClientWidth());
  // Shares follow the widths the columns had.
  EXPECT_GT(Col(1)->Width(), Col(0)->Width());

  // A column held at its maximum keeps it; the others share the rest.
  Col(1)->SetMaxWidth(30);
  win::PumpMessages();
  EXPECT_EQ(Col(1)->Width(), 30);
  EXPECT_EQ(UsedWidth(), grid->ClientWidth());

  // Sizing a column by hand: its share follows, the next column gives up the difference.
  Col(1)->SetMaxWidth(0);
  win::PumpMessages();
  int base2 = Col(2)->AutoFitBaseWidth(), base3 = Col(3)->AutoFitBaseWidth();
  int w2 = Col(2)->Width();
  Col(2)->SetWidth(w2 + 40);
  win::PumpMessages();
  EXPECT_GT(Col(2)->AutoFitBaseWidth(), base2);
  EXPECT_EQ(Col(2)->AutoFitBaseWidth() + Col(3)->AutoFitBaseWidth(), base2 + base3);
  EXPECT_GT(Col(2)->Width(), w2 + 30);
  EXPECT_EQ(UsedWidth(), grid->ClientWidth());

  grid->SetAutoFitColWidths(false);
  EXPECT_EQ(grid->ScrollBars(), ssHorizontal);
  EXPECT_EQ(Col(0)->Width(), before[0]);
  EXPECT_EQ(Col(5)->Width(), before[5]);
}

TEST_F(LayoutExtrasTest, SizingAColumnInTheGridReachesTheColumn) {
  Bind();
  int fired = 0;
  grid->OnColWidthsChanged = [&](TObject* s) { fired += s == grid; };
  grid->SetColWidths(grid->DataToRawColumn(1), 123);
  EXPECT_EQ(Col(1)->Width(), 123);
  EXPECT_GT(fired, 0);
  Col(2)->SetMaxWidth(50);
  grid->SetColWidths(grid->DataToRawColumn(2), 90);
  EXPECT_EQ(grid->ColWidths(grid->DataToRawColumn(2)), 50);
  EXPECT_EQ(Col(2)->Width(), 50);

  // With proportional resizing the auto-fit columns to the right make room.
  auto o = grid->OptionsX();
  o.Include(gxoProportionalResize);
  grid->SetOptionsX(o);
  grid->SetAutoFitColWidths(true);
  int right = Col(4)->Width() + Col(5)->Width();
  int raw = grid->DataToRawColumn(3);
  grid->SetColWidths(raw, grid->ColWidths(raw) + 30);
  win::PumpMessages();
  EXPECT_LT(Col(4)->Width() + Col(5)->Width(), right);
  EXPECT_EQ(UsedWidth(), grid->ClientWidth());
}

TEST_F(LayoutExtrasTest, MovingAColumnMovesItInTheList) {
  for (const char* f : {"ID", "Name", "Amount", "Born"}) grid->Columns()->Add()->SetFieldName(f);
  Bind();
  std::vector<std::pair<int, int>> moves;
  grid->OnColumnMoved = [&](TObject*, int from, int to) { moves.push_back({from, to}); };
  grid->MoveColumn(grid->DataToRawColumn(0), grid->DataToRawColumn(2));
  EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{0, 2}}));
  std::string order;
  for (int i = 0; i < 4; ++i) order += Col(i)->FieldName() + " ";
  EXPECT_EQ(order, "Name Amount ID Born ");
  EXPECT_EQ(grid->ColWidths(grid->DataToRawColumn(2)), Col(2)->Width());
}

TEST_F(LayoutExtrasTest, MovingAGeneratedColumnMovesItsField) {
  Bind();
  grid->MoveColumn(grid->DataToRawColumn(1), grid->DataToRawColumn(3));
  win::PumpMessages();
  EXPECT_EQ(Col(3)->FieldName(), "Name");
  EXPECT_EQ(ds->FieldByName("Name")->Index(), 3);
  grid->LayoutChanged();  // the generated columns follow the fields: the move stays
  EXPECT_EQ(Col(3)->FieldName(), "Name");
}

TEST_F(LayoutExtrasTest, AGridWithoutAWindowLaysOut) {
  auto* lone = new TDBGridX(owner.get());
  lone->SetFlat(true);
  lone->LayoutChanged();
  EXPECT_EQ(lone->TitleOffset(), 1);
  EXPECT_GT(lone->DefaultRowHeight(), 0);
  EXPECT_FALSE(lone->HandleAllocated());
}

// A font changed at run time lays the grid out: the rows take the height of "Wg" in the new font plus
// the row's extra, and a text that fits its row before still fits it after.
TEST_F(LayoutExtrasTest, ARunTimeFontChangeLaysTheRowsOut) {
  Bind();
  grid->SetFocus();
  win::PumpMessages();
  for (int size : {20, 7, 13}) {
    SCOPED_TRACE(size);
    grid->Font()->SetSize(size);
    win::PumpMessages();
    TFont f;
    f.Assign(grid->Font());
    const int h = TextH(&f);
    EXPECT_EQ(grid->DefaultRowHeight(), h + Extra());
    EXPECT_EQ(grid->RowHeights(grid->TitleOffset()), h + Extra());
  }
}
