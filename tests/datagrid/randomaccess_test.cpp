// The grid over a data set that hands out rows by index: one grid row per record, the view scrolled
// by the bar and the wheel without moving the record, rows drawn from the right records, the current
// row following the record; and the row model's upkeep (footers, switching off, the data set going).

#include <algorithm>
#include <map>

#include "datagrid/DBGridXRandomAccess.h"
#include "tests/datagrid/nav_fixture.h"

namespace {

// Counts what the grid asks to fetch (every record is in memory anyway).
class TCountingRowsX : public TRandomAccessMemDataSetX {
 public:
  using TRandomAccessMemDataSetX::TRandomAccessMemDataSetX;
  void FetchRecords(int Count) override {
    ++Fetches;
    LastFetch = Count;
    MaxFetch = std::max(MaxFetch, Count);
  }
  int Fetches = 0;
  int LastFetch = 0;
  int MaxFetch = 0;
};

SCROLLINFO VertInfo(TCustomDBGridX* G) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  GetScrollInfo(G->Handle(), SB_VERT, &si);
  return si;
}

class RandomAccessTest : public NavGridTest {
 protected:
  // N records (ID 1..N, Name "Name 0001"..) in a data set that offers rows by index, and a focused
  // grid of 600 x 300 on it; every drawn data cell of the ID column records which ID it showed.
  void MakeRows(int N) {
    rows = new TCountingRowsX(owner.get());
    rows->AddField("ID", ftInteger);
    rows->AddField("Name", ftString, 20);
    rows->Open();
    for (int i = 1; i <= N; ++i) {
      rows->Append();
      rows->FieldByName("ID")->SetAsInteger(i);
      char name[32];
      std::snprintf(name, sizeof name, "Name %04d", i);
      rows->FieldByName("Name")->SetAsString(name);
      rows->Post();
    }
    rows->First();
    ds = rows;
    src = new TDataSource(owner.get());
    src->SetDataSet(rows);
    auto* g = new TDBGridX(owner.get());
    g->OnDrawColumnCell = [this](TObject*, const TRect& R, int DataCol, TColumnX* Column, TGridDrawState) {
      if (DataCol == 0) drawn[R.Top] = Column->Field()->AsInteger();
    };
    Place(g);
  }
  // Repaints everything and answers the ID drawn in grid row R (0 when none was drawn there).
  int ShownID(int R) {
    drawn.clear();
    grid->Invalidate();
    win::PumpMessages();
    auto it = drawn.find(grid->CellRect(1, R).Top);
    return it == drawn.end() ? 0 : it->second;
  }
  void VScroll(int Code, int Pos = 0) { grid->Perform(WM_VSCROLL, MAKEWPARAM(Code, Pos), 0); }
  void Wheel(int Delta, WPARAM Keys = 0) {
    TPoint p = Screen(100, 100);
    if (Keys & MK_CONTROL) win::InjectKey(WM_KEYDOWN, VK_CONTROL);
    if (Keys & MK_SHIFT) win::InjectKey(WM_KEYDOWN, VK_SHIFT);
    win::InjectMouse(p.X, p.Y, WM_MOUSEWHEEL, Keys, Delta);
    if (Keys & MK_SHIFT) win::InjectKey(WM_KEYUP, VK_SHIFT);
    if (Keys & MK_CONTROL) win::InjectKey(WM_KEYUP, VK_CONTROL);
    win::PumpMessages();
  }
  int Top() { return grid->TopRow() - grid->FixedRows(); }  // data rows above the view
  int Fixed() { return grid->FixedRows(); }

  TCountingRowsX* rows = nullptr;
  std::map<int, int> drawn;
};

}  // namespace

TEST_F(RandomAccessTest, EveryRecordHasARowAndTheBarFollowsTheView) {
  MakeRows(1000);
  ASSERT_EQ(grid->RandomAccessData(), static_cast<IRandomAccessDataSetX*>(rows));
  EXPECT_EQ(grid->RowCount(), grid->TitleOffset() + 1000);
  int page = grid->LastFullVisibleRow() - grid->TopRow() + 1;
  ASSERT_GT(page, 5);
  SCROLLINFO si = VertInfo(grid);
  EXPECT_EQ(si.nMin, 1);
  EXPECT_EQ(si.nMax, 1000);
  EXPECT_EQ(static_cast<int>(si.nPage), page);
  EXPECT_EQ(si.nPos, 1);

  // The bar scrolls the view; the current record stays where it is.
  struct Step {
    int Code, Pos, WantTop;
  } steps[] = {
      {SB_LINEDOWN, 0, 1},          {SB_LINEDOWN, 0, 2},          {SB_LINEUP, 0, 1},
      {SB_PAGEDOWN, 0, 1 + page - 1}, {SB_PAGEUP, 0, 1},           {SB_THUMBPOSITION, 500, 499},
      {SB_TOP, 0, 0},               {SB_LINEUP, 0, 0},            {SB_BOTTOM, 0, 1000 - page},
      {SB_LINEDOWN, 0, 1000 - page}, {SB_THUMBPOSITION, 1000, 1000 - page},
  };
  for (const Step& s : steps) {
    VScroll(s.Code, s.Pos);
    SCOPED_TRACE(s.Code);
    EXPECT_EQ(Top(), s.WantTop);
    EXPECT_EQ(VertInfo(grid).nPos, s.WantTop + 1);
    EXPECT_EQ(CurrentID(), 1);
  }
  // Thumb tracking only with Tracking on.
  VScroll(SB_THUMBTRACK, 300);
  EXPECT_EQ(Top(), 1000 - page);
  grid->VertScrollBar()->SetTracking(true);
  VScroll(SB_THUMBTRACK, 300);
  EXPECT_EQ(Top(), 299);
  EXPECT_EQ(CurrentID(), 1);
}

TEST_F(RandomAccessTest, RowsAreDrawnFromTheirOwnRecordsWithoutMovingTheCursor) {
  MakeRows(1000);
  EXPECT_EQ(ShownID(Fixed()), 1);
  EXPECT_EQ(ShownID(Fixed() + 3), 4);
  VScroll(SB_THUMBPOSITION, 700);  // record 700 on top
  int reads = rows->IndexReads();
  EXPECT_EQ(ShownID(Fixed() + 699), 700);
  EXPECT_EQ(ShownID(Fixed() + 705), 706);
  EXPECT_GT(rows->IndexReads(), reads);
  EXPECT_EQ(CurrentID(), 1);
  EXPECT_EQ(rows->State(), dsBrowse);
  // An edit in progress shows in the current record's row.
  VScroll(SB_TOP);
  rows->Edit();
  rows->FieldByName("ID")->SetAsInteger(4242);
  EXPECT_EQ(ShownID(Fixed()), 4242);
  EXPECT_EQ(ShownID(Fixed() + 1), 2);
  rows->Cancel();
  EXPECT_EQ(ShownID(Fixed()), 1);
}

TEST_F(RandomAccessTest, TheCurrentRowFollowsTheRecord) {
  MakeRows(1000);
  // From elsewhere: the row moves there and comes into view.
  rows->SetRecNo(800);
  win::PumpMessages();
  EXPECT_EQ(grid->Row(), Fixed() + 799);
  EXPECT_LE(grid->TopRow(), grid->Row());
  EXPECT_GE(grid->LastFullVisibleRow(), grid->Row());
  EXPECT_EQ(VertInfo(grid).nPos, Top() + 1);
  // Keys move the record and the row together.
  Press(VK_DOWN);
  EXPECT_EQ(CurrentID(), 801);
  EXPECT_EQ(grid->Row(), Fixed() + 800);
  Press(VK_UP);
  Press(VK_UP);
  EXPECT_EQ(CurrentID(), 799);
  EXPECT_EQ(grid->Row(), Fixed() + 798);
  // A click on a row of a scrolled view makes its record current.
  VScroll(SB_THUMBPOSITION, 100);  // record 100 on top
  Mouse(WM_LBUTTONDOWN, CellMid(1, grid->TopRow() + 2));
  Mouse(WM_LBUTTONUP, CellMid(1, grid->TopRow() + 2));
  EXPECT_EQ(CurrentID(), 102);
  EXPECT_EQ(grid->Row(), Fixed() + 101);
  EXPECT_EQ(Top(), 99);
  // A deleted record: one row less, the current row on the record that took its place.
  rows->Delete();
  win::PumpMessages();
  EXPECT_EQ(grid->RowCount(), grid->TitleOffset() + 999);
  EXPECT_EQ(CurrentID(), 103);
  EXPECT_EQ(grid->Row(), Fixed() + 101);
  EXPECT_EQ(ShownID(grid->Row()), 103);
}

TEST_F(RandomAccessTest, TheWheelScrollsTheViewAndWithShiftMovesTheRecord) {
  MakeRows(1000);
  int page = grid->VisibleDataRowCount();
  Wheel(-WHEEL_DELTA);
  EXPECT_EQ(Top(), 1);
  EXPECT_EQ(CurrentID(), 1);
  Wheel(-WHEEL_DELTA, MK_CONTROL);
  EXPECT_EQ(Top(), 1 + page);
  Wheel(WHEEL_DELTA);
  EXPECT_EQ(Top(), page);
  EXPECT_EQ(CurrentID(), 1);
  Wheel(-WHEEL_DELTA, MK_SHIFT);
  EXPECT_EQ(CurrentID(), 2);
  Wheel(-WHEEL_DELTA, MK_SHIFT | MK_CONTROL);
  EXPECT_EQ(CurrentID(), 2 + page);
  Wheel(WHEEL_DELTA, MK_SHIFT);
  EXPECT_EQ(CurrentID(), 1 + page);
  EXPECT_EQ(grid->Row(), Fixed() + page);
  EXPECT_EQ(VertInfo(grid).nPos, Top() + 1);
}

TEST_F(RandomAccessTest, RowsAreFetchedWhenTheLastRowComesIntoView) {
  MakeRows(1000);
  int before = rows->Fetches;
  VScroll(SB_THUMBPOSITION, 500);
  EXPECT_EQ(rows->Fetches, before);  // rows below the view: nothing to ask for
  VScroll(SB_BOTTOM);
  EXPECT_GT(rows->Fetches, before);
  EXPECT_EQ(rows->LastFetch, 1);
  // Fewer records than rows: the rows missing down to the bottom are asked for.
  MakeRows(3);
  int missing = (grid->ClientHeight() - grid->CellRect(1, grid->RowCount() - 1).Bottom) / grid->DefaultRowHeight();
  EXPECT_GT(missing, 3);
  EXPECT_GE(rows->MaxFetch, missing);
}

TEST_F(RandomAccessTest, FootersOrTheSwitchGoBackToTheBufferAndAGoneDataSetIsForgotten) {
  MakeRows(1000);
  rows->SetRecNo(500);
  win::PumpMessages();
  grid->SetFooterRowCount(1);
  win::PumpMessages();
  EXPECT_EQ(grid->RandomAccessData(), nullptr);
  EXPECT_LT(grid->RowCount(), 100);  // the link's buffer again
  EXPECT_EQ(CurrentID(), 500);
  EXPECT_EQ(ShownID(grid->Row()), 500);
  grid->SetFooterRowCount(0);
  win::PumpMessages();
  EXPECT_NE(grid->RandomAccessData(), nullptr);
  EXPECT_EQ(grid->Row(), Fixed() + 499);
  grid->SetUseRandomAccess(false);
  win::PumpMessages();
  EXPECT_EQ(grid->RandomAccessData(), nullptr);
  grid->SetUseRandomAccess(true);
  win::PumpMessages();
  ASSERT_NE(grid->RandomAccessData(), nullptr);
  delete rows;
  rows = nullptr;
  ds = nullptr;
  EXPECT_EQ(grid->RandomAccessData(), nullptr);
  grid->Invalidate();
  win::PumpMessages();
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
}

TEST_F(RandomAccessTest, TypingSearchesTheRowsAndTheCurrentRowFollows) {
  MakeRows(1000);
  AddOptionsX({gxoIncSearch});
  for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->SetReadOnly(true);
  grid->SelectColumn(0, 0, false);
  // The ID column's numbers are read where their rows stand: "75" is first matched by record 75,
  // "750" by record 750; the search keeps running through its own record changes.
  Type("75");
  EXPECT_EQ(CurrentID(), 75);
  EXPECT_TRUE(grid->InSearch());
  Type("0");
  EXPECT_EQ(CurrentID(), 750);
  EXPECT_EQ(grid->Row(), Fixed() + 749);
  EXPECT_LE(grid->TopRow(), grid->Row());
  EXPECT_GE(grid->LastFullVisibleRow(), grid->Row());
  EXPECT_EQ(grid->SearchText(), "750");
  EXPECT_EQ(ShownID(grid->Row()), 750);
  // Nothing begins with "7500": the record and the text stay.
  Type("0");
  EXPECT_EQ(CurrentID(), 750);
  EXPECT_EQ(grid->SearchText(), "750");
  // A move from elsewhere ends the search.
  rows->Next();
  win::PumpMessages();
  EXPECT_FALSE(grid->InSearch());
}

TEST_F(RandomAccessTest, AClickOnARowFarDownIsACellClick) {
  MakeRows(1000);
  int clicks = 0;
  TColumnX* clicked = nullptr;
  grid->OnCellClick = [&](TColumnX* Column) {
    ++clicks;
    clicked = Column;
  };
  VScroll(SB_THUMBPOSITION, 500);  // record 500 on top: far below the link's few buffered records
  TPoint p = CellMid(2, grid->TopRow() + 3);
  Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, p);
  EXPECT_EQ(CurrentID(), 503);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(clicked, grid->Columns()->Items(1));
}

TEST_F(RandomAccessTest, CtrlPageKeysGoToTheFirstAndLastShownRows) {
  MakeRows(1000);
  VScroll(SB_THUMBPOSITION, 100);  // record 100 on top
  TPoint p = CellMid(2, grid->TopRow() + 2);
  Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, p);
  ASSERT_EQ(CurrentID(), 102);
  int top = grid->TopRow(), last = grid->LastFullVisibleRow();
  Press(VK_NEXT, TShiftState{ssCtrl});
  EXPECT_EQ(CurrentID(), last - Fixed() + 1);
  EXPECT_EQ(grid->TopRow(), top);
  Press(VK_PRIOR, TShiftState{ssCtrl});
  EXPECT_EQ(CurrentID(), top - Fixed() + 1);
  EXPECT_EQ(grid->TopRow(), top);
  // With Shift the rows passed are selected.
  AddOptions({gdoMultiSelect, gdoRowSelect});
  Press(VK_NEXT, TShiftState{ssCtrl, ssShift});
  EXPECT_EQ(CurrentID(), last - Fixed() + 1);
  EXPECT_EQ(grid->SelectedRows()->Count(), last - top + 1);
}
