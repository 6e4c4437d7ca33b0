// A group caption over a frozen column stays in place when the scrollable column that shares the group
// scrolls out of view: the frozen part of the band is a band of its own while the grid is scrolled.

#include "datagrid/DBGridXUnit.h"
#include "tests/datagrid/grid_fixture.h"
#include "tests/platform/win/surface.h"

namespace {

class FrozenTitlesTest : public DataGridTest {
 protected:
  void SetUp() override {
    DBGridXUnit::Initialize();
    DataGridTest::SetUp();
  }
  void TearDown() override {
    DataGridTest::TearDown();
    DBGridXUnit::Finalize();
  }
  void Paint() {
    grid->Invalidate();
    win::PumpMessages();
    grid->Repaint();
    win::PumpMessages();
  }
  static bool Dark(COLORREF P) { return GetRValue(P) < 0x70 && GetGValue(P) < 0x70 && GetBValue(P) < 0x70; }
  // The leftmost and rightmost columns of ink inside R (-1 when none).
  void InkSpan(const TRect& R, int& Left, int& Right) {
    Left = Right = -1;
    for (int x = R.Left; x < R.Right; ++x)
      for (int y = R.Top; y < R.Bottom; ++y)
        if (Dark(win::GetWindowPixel(grid->Handle(), x, y))) {
          if (Left < 0) Left = x;
          Right = x;
          break;
        }
  }
};

}  // namespace

TEST_F(FrozenTitlesTest, TheGroupCaptionOverAFrozenColumnStaysWhenItsNeighbourScrollsOut) {
  const char* caps[][2] = {{"ID", "Person|ID"}, {"Name", "Person|Name"}, {"Amount", "Amount"},
                           {"Born", "Born"},    {"Active", "Active"},     {"Code", "Code"}};
  for (auto& cp : caps) {
    TColumnX* col = grid->Columns()->Add();
    col->SetFieldName(cp[0]);
    col->Title()->SetCaption(cp[1]);
    col->SetWidth(cp[0] == std::string("ID") ? 120 : 150);
  }
  grid->SetUseMultiTitle(true);
  grid->SetFrozenCols(1);
  Bind();
  THeadTreeNode* group = grid->TitleColumnNode(0)->Parent;
  ASSERT_NE(group, grid->TitleTree());
  const int first = grid->FixedCols();  // raw column of Name
  ASSERT_EQ(grid->RawToDataColumn(first), 1);
  Paint();
  // Unscrolled: "Person" stands centred over ID and Name together, across their common edge.
  const TRect id = grid->CellRect(grid->DataToRawColumn(0), 0);
  const TRect name = grid->CellRect(first, 0);
  const TRect band(id.Left, id.Top + 1, name.Right, id.Top + group->Height - 2);
  int left = -1, right = -1;
  InkSpan(band, left, right);
  ASSERT_GE(left, 0);
  EXPECT_LT(left, id.Right);
  EXPECT_GT(right, name.Left);
  // One column on: Name is out of view, Amount stands beside ID.
  grid->Perform(WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
  win::PumpMessages();
  ASSERT_EQ(grid->LeftCol(), first + 1);
  Paint();
  const TRect frozen(id.Left, id.Top + 1, id.Right, id.Top + group->Height - 2);
  InkSpan(frozen, left, right);
  // The whole caption inside the frozen cell, centred on it.
  ASSERT_GE(left, 0);
  EXPECT_GT(left, id.Left + 2);
  EXPECT_LT(right, id.Right - 2);
  EXPECT_NEAR((left + right) / 2, (id.Left + id.Right) / 2, 4);
}
