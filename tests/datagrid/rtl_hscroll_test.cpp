// Under right-to-left reading the grid's columns run from the right edge, and so does its horizontal
// bar: the thumb starts at the bar's right end, the left arrow brings on the later columns, and a thumb
// dragged to the left end shows the last ones.

#include "platform/win/scrollbars.h"
#include "tests/datagrid/nav_fixture.h"

namespace {

SCROLLINFO HorzInfo(TCustomDBGridX* G) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  GetScrollInfo(G->Handle(), SB_HORZ, &si);
  return si;
}

// A click in the middle of a part of the grid's horizontal bar (rectangles relative to the window).
void ClickBar(TCustomDBGridX* G, const RECT& Part) {
  RECT wr;
  GetWindowRect(G->Handle(), &wr);
  const int x = wr.left + (Part.left + Part.right) / 2, y = wr.top + (Part.top + Part.bottom) / 2;
  win::InjectMouse(x, y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::PumpMessages();
  win::InjectMouse(x, y, WM_LBUTTONUP);
  win::PumpMessages();
}

}  // namespace

TEST_F(NavGridTest, ARightToLeftGridsHorizontalBarRunsFromTheRight) {
  Make(5);
  for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->SetWidth(250);
  grid->SetRightToLeft(true);
  win::PumpMessages();
  ASSERT_TRUE(GetWindowLong(grid->Handle(), GWL_STYLE) & WS_HSCROLL);
  const int fixed = grid->FixedCols();
  ASSERT_EQ(grid->LeftCol(), fixed);
  // The first columns show: the thumb at the right end.
  SCROLLINFO si = HorzInfo(grid);
  EXPECT_EQ(si.nPos, si.nMax - static_cast<int>(si.nPage) + 1);
  win::ScrollBarLook look;
  ASSERT_TRUE(win::GetScrollBarLook(grid->Handle(), SB_HORZ, look));
  EXPECT_EQ(look.thumb.right, look.arrowDown.left);
  // The left arrow moves on by one column.
  ClickBar(grid, look.arrowUp);
  EXPECT_EQ(grid->LeftCol(), fixed + 1);
  // The right arrow moves back.
  ASSERT_TRUE(win::GetScrollBarLook(grid->Handle(), SB_HORZ, look));
  ClickBar(grid, look.arrowDown);
  EXPECT_EQ(grid->LeftCol(), fixed);
  // The thumb at the left end shows the last columns.
  grid->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
  EXPECT_GT(grid->LeftCol(), fixed);
  const int last = grid->LeftCol();
  grid->Perform(WM_HSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);  // the left arrow: nothing further
  EXPECT_EQ(grid->LeftCol(), last);
  si = HorzInfo(grid);
  EXPECT_EQ(si.nPos, 0);
  ASSERT_TRUE(win::GetScrollBarLook(grid->Handle(), SB_HORZ, look));
  EXPECT_EQ(look.thumb.left, look.arrowUp.right);
  // Left to right again: the bar turns back.
  grid->SetRightToLeft(false);
  win::PumpMessages();
  si = HorzInfo(grid);
  EXPECT_EQ(si.nPos, grid->LeftCol() - fixed);
}
