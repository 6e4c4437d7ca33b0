// Cell bands, raised frames and colour lightening.

#include "tests/datagrid/grid_fixture.h"

TEST_F(DataGridTest, CellTypesByBand) {
  Bind();
  int dc = 0, dr = 0;
  EXPECT_EQ(grid->GetCellType(0, 0, dc, dr), 0x0000);  // indicator title
  EXPECT_EQ(grid->GetCellType(2, 0, dc, dr), 0x0001);
  EXPECT_EQ(dc, 1);
  EXPECT_EQ(grid->GetCellType(3, 2, dc, dr), 0x0201);  // data
  EXPECT_EQ(dc, 2);
  EXPECT_EQ(dr, 1);
  EXPECT_EQ(grid->GetCellType(0, 4, dc, dr), 0x0200);
  // Outside the grid: an error for ordinary callers, a plain data cell while painting.
  EXPECT_THROW(grid->GetCellType(1, grid->RowCount() + 3, dc, dr), Exception);
  EXPECT_EQ(grid->GetCellType(1, grid->RowCount() + 3, dc, dr, true), 0x0201);
  // Without titles every row is data.
  auto o = grid->Options();
  o.Exclude(gdoTitles);
  grid->SetOptions(o);
  EXPECT_EQ(grid->TitleOffset(), 0);
  EXPECT_EQ(grid->GetCellType(1, 0, dc, dr), 0x0201);
  EXPECT_EQ(dr, 0);
}

TEST_F(DataGridTest, RaisedFramesFollowTheOptions) {
  Bind();
  TGridDrawState fixed{gdFixed};
  // Default: titles and indicator raised, data flat.
  EXPECT_TRUE(grid->CellHas3DFrame(0, 2, fixed));
  EXPECT_TRUE(grid->CellHas3DFrame(2, 0, fixed));
  EXPECT_FALSE(grid->CellHas3DFrame(2, 2, {}));
  auto o = grid->OptionsX();
  o.Exclude(gxoFixed3D);
  o.Include(gxoData3D);
  grid->SetOptionsX(o);
  EXPECT_FALSE(grid->CellHas3DFrame(0, 2, fixed));
  EXPECT_TRUE(grid->CellHas3DFrame(2, 2, {}));
  // Frozen columns raised with gxoFrozen3D.
  o.Include(gxoFrozen3D);
  grid->SetOptionsX(o);
  EXPECT_TRUE(grid->CellHas3DFrame(1, 2, fixed));
}

TEST(GridColours, BrightenColor) {
  EXPECT_EQ(BrightenColor(static_cast<TColor>(RGB(100, 200, 0)), 2), static_cast<TColor>(RGB(150, 255, 0)));
  EXPECT_EQ(BrightenColor(static_cast<TColor>(RGB(10, 20, 30)), 4), static_cast<TColor>(RGB(12, 25, 37)));
}
