// The grid's vertical bar through WM_VSCROLL: record numbers for a data set that numbers its records,
// the five-position bar for one that cannot, visibility modes, an external bar, and the wheel.

#include "platform/controls/scrollbars.h"
#include "platform/win/scrollbars.h"
#include "tests/datagrid/nav_fixture.h"

namespace {

SCROLLINFO VertInfo(TCustomDBGridX* G) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  GetScrollInfo(G->Handle(), SB_VERT, &si);
  return si;
}

bool VertShown(TCustomDBGridX* G) { return (GetWindowLong(G->Handle(), GWL_STYLE) & WS_VSCROLL) != 0; }

}  // namespace

TEST_F(NavGridTest, SequencedDataSetFillsTheBarWithRecordNumbers) {
  Make(100);
  int page = grid->VisibleDataRowCount();
  SCROLLINFO si = VertInfo(grid);
  EXPECT_EQ(si.nMin, 1);
  EXPECT_EQ(si.nMax, 100 + page - 1);
  EXPECT_EQ(static_cast<int>(si.nPage), page);
  EXPECT_EQ(si.nPos, 1);
  EXPECT_TRUE(VertShown(grid));

  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
  EXPECT_EQ(ds->RecNo(), 1 + page);
  EXPECT_EQ(VertInfo(grid).nPos, 1 + page);
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 50), 0);
  EXPECT_EQ(ds->RecNo(), 50);
  EXPECT_EQ(VertInfo(grid).nPos, 50);
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 100), 0);
  EXPECT_EQ(ds->RecNo(), 100);
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1), 0);
  EXPECT_EQ(ds->RecNo(), 1);
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
  EXPECT_EQ(ds->RecNo(), 100);
  EXPECT_EQ(VertInfo(grid).nPos, 100);
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
  EXPECT_EQ(ds->RecNo(), 1);

  // Thumb tracking moves only with Tracking on; the position message after it then does nothing.
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 30), 0);
  EXPECT_EQ(ds->RecNo(), 1);
  grid->VertScrollBar()->SetTracking(true);
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 30), 0);
  EXPECT_EQ(ds->RecNo(), 30);
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 70), 0);
  EXPECT_EQ(ds->RecNo(), 30);
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 70), 0);
  EXPECT_EQ(ds->RecNo(), 70);
}

TEST_F(NavGridTest, LineScrollingGoesJustPastTheShownRecords) {
  Make(100);
  int shown = grid->DataLink()->RecordCount();
  ds->MoveBy(3);  // record 4, still on the first screen
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
  EXPECT_EQ(CurrentID(), shown + 1);
  int first = CurrentID() - grid->DataLink()->ActiveRecord();
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);
  EXPECT_EQ(CurrentID(), first - 1);
}

TEST_F(NavGridTest, UnnumberedDataSetHasAFivePositionBar) {
  Make(100, false);
  ds->First();
  SCROLLINFO si = VertInfo(grid);
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, 4);
  EXPECT_EQ(si.nPos, 0);  // at the beginning
  ds->Next();
  EXPECT_EQ(VertInfo(grid).nPos, 2);  // inside
  ds->Last();
  ds->Next();
  EXPECT_EQ(VertInfo(grid).nPos, 4);  // at the end
  int page = grid->VisibleDataRowCount();

  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
  EXPECT_EQ(CurrentID(), 1);
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), 0);
  EXPECT_EQ(CurrentID(), 1 + page);
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1), 0);
  EXPECT_EQ(CurrentID(), 1);
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 4), 0);
  EXPECT_EQ(CurrentID(), 100);
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 2), 0);  // the middle: no move
  EXPECT_EQ(CurrentID(), 100);
  // Tracking has no record numbers to follow.
  grid->VertScrollBar()->SetTracking(true);
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 1), 0);
  EXPECT_EQ(CurrentID(), 100);
}

TEST_F(NavGridTest, VisibilityModes) {
  Make(0);
  TDBGridXScrollBar* bar = grid->VertScrollBar();
  EXPECT_EQ(bar->VisibleMode(), sbAutoShowX);
  EXPECT_FALSE(VertShown(grid));  // nothing to scroll: hidden
  bar->SetVisibleMode(sbAlwaysShowX);
  EXPECT_TRUE(VertShown(grid));
  EXPECT_TRUE(bar->BarShown());
  win::ScrollBarLook look;
  ASSERT_TRUE(win::GetScrollBarLook(grid->Handle(), SB_VERT, look));
  EXPECT_FALSE(look.enabled);
  // Visible False is "never", True is "auto" even after "always".
  bar->SetVisible(false);
  EXPECT_EQ(bar->VisibleMode(), sbNeverShowX);
  EXPECT_FALSE(bar->BarShown());
  bar->SetVisibleMode(sbAlwaysShowX);
  bar->SetVisible(true);
  EXPECT_EQ(bar->VisibleMode(), sbAutoShowX);
  EXPECT_EQ(grid->HorzScrollBar()->Kind(), sbHorizontal);
  EXPECT_TRUE(dynamic_cast<TVertDBGridXScrollBar*>(bar) != nullptr);
}

TEST_F(NavGridTest, ExternalBarFollowsTheRecordAndScrollsTheGrid) {
  Make(100);
  auto* ext = new TScrollBar(owner.get());
  ext->SetKind(sbVertical);
  ext->SetBounds(610, 0, 16, 300);
  ext->SetParent(host);
  win::PumpMessages();
  grid->VertScrollBar()->SetExtScrollBar(ext);
  int page = grid->VisibleDataRowCount();
  EXPECT_FALSE(VertShown(grid));  // the window's own bar gives way
  EXPECT_EQ(ext->Min(), 1);
  EXPECT_EQ(ext->Max(), 100 + page - 1);
  EXPECT_EQ(ext->PageSize(), page);
  ds->MoveBy(41);
  EXPECT_EQ(ext->Position(), 42);
  // The bar's notifications scroll the grid.
  host->Perform(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), reinterpret_cast<LPARAM>(ext->Handle()));
  EXPECT_EQ(CurrentID(), 1);
  EXPECT_EQ(ext->Position(), 1);

  // Another grid cannot take it.
  auto* other = new TDBGridX(owner.get());
  other->SetParent(host);
  try {
    other->VertScrollBar()->SetExtScrollBar(ext);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "Possible " + ext->Name() + " already attached to the other control.");
  }
  EXPECT_EQ(other->VertScrollBar()->ExtScrollBar(), nullptr);
  // Detached, the bar has its own window procedure back and the grid its bar.
  grid->VertScrollBar()->SetExtScrollBar(nullptr);
  EXPECT_TRUE(ext->WindowProcIsOwn());
  EXPECT_TRUE(VertShown(grid));
  // Destroying the bar while attached detaches it.
  grid->VertScrollBar()->SetExtScrollBar(ext);
  delete ext;
  EXPECT_EQ(grid->VertScrollBar()->ExtScrollBar(), nullptr);
}

TEST_F(NavGridTest, WheelMovesOneRecordPerNotch) {
  Make(20);
  TPoint s = Screen(100, 100);
  win::InjectMouse(s.X, s.Y, WM_MOUSEWHEEL, 0, -WHEEL_DELTA);
  win::PumpMessages();
  EXPECT_EQ(CurrentID(), 2);
  win::InjectMouse(s.X, s.Y, WM_MOUSEWHEEL, 0, -WHEEL_DELTA);
  win::InjectMouse(s.X, s.Y, WM_MOUSEWHEEL, 0, -WHEEL_DELTA);
  win::PumpMessages();
  EXPECT_EQ(CurrentID(), 4);
  win::InjectMouse(s.X, s.Y, WM_MOUSEWHEEL, 0, WHEEL_DELTA);
  win::PumpMessages();
  EXPECT_EQ(CurrentID(), 3);
}

TEST_F(NavGridTest, ThumbDraggedWithTheMouseTracksRecordsWhenTrackingIsOn) {
  Make(500);
  grid->VertScrollBar()->SetTracking(true);
  win::ScrollBarLook look;
  ASSERT_TRUE(win::GetScrollBarLook(grid->Handle(), SB_VERT, look));
  RECT wr;
  GetWindowRect(grid->Handle(), &wr);
  int x = wr.left + (look.thumb.left + look.thumb.right) / 2;
  int y = wr.top + (look.thumb.top + look.thumb.bottom) / 2;
  int track = look.arrowDown.top - look.arrowUp.bottom - (look.thumb.bottom - look.thumb.top);
  win::InjectMouse(x, y, WM_LBUTTONDOWN);
  win::PumpMessages();
  win::InjectMouse(x, y + track / 2, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  EXPECT_NEAR(ds->RecNo(), 250, 6);  // half the track is half the records
  EXPECT_EQ(VertInfo(grid).nPos, ds->RecNo());
  win::InjectMouse(x, y + track + 50, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  EXPECT_EQ(ds->RecNo(), 500);
  win::InjectMouse(x, y + track + 50, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(ds->RecNo(), 500);  // the closing position message moves nothing more
}

TEST_F(NavGridTest, ExternalHorizontalBarSpansTheColumnsFromZeroTo127) {
  Make(5);
  for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->SetWidth(250);
  win::PumpMessages();
  TScrollBar* ext = AttachExternalHorzBar(owner.get(), host, grid);
  EXPECT_EQ(ext->Max(), 127);
  EXPECT_EQ(ext->Position(), 0);
  host->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 127), reinterpret_cast<LPARAM>(ext->Handle()));
  EXPECT_GT(grid->LeftCol(), grid->FixedCols());
  EXPECT_EQ(ext->Position(), 127);
  host->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), reinterpret_cast<LPARAM>(ext->Handle()));
  EXPECT_EQ(grid->LeftCol(), grid->FixedCols());
  EXPECT_EQ(ext->Position(), 0);
  grid->HorzScrollBar()->SetExtScrollBar(nullptr);
}

TEST_F(NavGridTest, AnExternalHorizontalBarTakesThePlaceOfTheGridsOwn) {
  Make(5);
  for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->SetWidth(250);
  win::PumpMessages();
  auto horzShown = [&] { return (GetWindowLong(grid->Handle(), GWL_STYLE) & WS_HSCROLL) != 0; };
  ASSERT_TRUE(horzShown());  // a thousand pixels of columns in 600
  TScrollBar* ext = AttachExternalHorzBar(owner.get(), host, grid);
  win::PumpMessages();
  EXPECT_FALSE(horzShown());
  EXPECT_TRUE(ext->Visible());
  EXPECT_TRUE(grid->HorzScrollBar()->BarShown());
  // The grid scrolls from the external bar alone.
  host->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 127), reinterpret_cast<LPARAM>(ext->Handle()));
  EXPECT_GT(grid->LeftCol(), grid->FixedCols());
  grid->HorzScrollBar()->SetExtScrollBar(nullptr);
  win::PumpMessages();
  EXPECT_TRUE(horzShown());
  // A bar set invisible is not shown either.
  grid->HorzScrollBar()->SetVisible(false);
  win::PumpMessages();
  EXPECT_FALSE(horzShown());
  EXPECT_FALSE(grid->HorzScrollBar()->BarShown());
  grid->HorzScrollBar()->SetVisible(true);
  win::PumpMessages();
  EXPECT_TRUE(horzShown());
}

TEST_F(NavGridTest, GapRowPushesTheFootersToTheBottom) {
  Make(3);
  grid->SetFooterRowCount(1);
  win::PumpMessages();
  int t = grid->TitleOffset();
  ASSERT_EQ(grid->RowCount(), t + 3 + 1 + 1);
  TRect footer = grid->CellRect(1, grid->RowCount() - 1);
  int line = grid->GridLineWidth();
  EXPECT_GE(footer.Bottom + line, grid->ClientHeight() - line);
  EXPECT_LE(footer.Bottom, grid->ClientHeight());
  EXPECT_GT(grid->RowHeights(t + 3), grid->DefaultRowHeight());  // the gap row
  // With many records the data rows fill the space above the footer and the gap is small.
  Make(100);
  grid->SetFooterRowCount(1);
  win::PumpMessages();
  t = grid->TitleOffset();
  int d = grid->DataLink()->RecordCount();
  EXPECT_EQ(grid->RowCount(), t + d + 2);
  EXPECT_LT(grid->RowHeights(t + d), grid->DefaultRowHeight() + line);
  EXPECT_EQ(grid->VisibleDataRowCount(), d);
  // Paging moves by the data rows only.
  Press(VK_NEXT);
  EXPECT_EQ(CurrentID(), 1 + d);
}

TEST_F(NavGridTest, SumListWithVirtualRecordsNumbersAnUnnumberedDataSet) {
  Make(60, false);
  ASSERT_EQ(VertInfo(grid).nMax, 4);  // five positions without numbering
  grid->SetFooterRowCount(1);
  grid->SumList()->SetVirtualRecords(true);
  grid->Columns()->Items(ColumnOf("ID"))->Footer()->SetValueType(fvtSum);
  win::PumpMessages();
  ds->MoveBy(20);  // record 21
  win::PumpMessages();
  SCROLLINFO si = VertInfo(grid);
  int page = grid->VisibleDataRowCount();
  EXPECT_EQ(si.nMin, 1);
  EXPECT_EQ(si.nMax, 60 + page - 1);
  EXPECT_EQ(si.nPos, 21);
  grid->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 45), 0);
  EXPECT_EQ(CurrentID(), 45);
  EXPECT_EQ(VertInfo(grid).nPos, 45);
}

TEST_F(NavGridTest, ExternalBarSettingsAtDesignTimeCopiedAndDestroyed) {
  Make(30);
  auto* ext = new TScrollBar(owner.get());
  ext->SetKind(sbVertical);
  ext->SetBounds(610, 0, 16, 300);
  ext->SetParent(host);
  win::PumpMessages();
  // Designing: the bar is recorded without redirecting its window procedure, and no check is made.
  grid->SetDesigning(true, false);
  auto* other = new TDBGridX(owner.get());
  other->SetDesigning(true, false);
  grid->VertScrollBar()->SetExtScrollBar(ext);
  EXPECT_TRUE(ext->WindowProcIsOwn());
  other->VertScrollBar()->SetExtScrollBar(ext);
  EXPECT_EQ(other->VertScrollBar()->ExtScrollBar(), ext);
  other->VertScrollBar()->SetExtScrollBar(nullptr);
  grid->VertScrollBar()->SetExtScrollBar(nullptr);
  grid->SetDesigning(false, false);

  // Assign copies Visible, Tracking and the external bar (attaching it, so the source must let go).
  TDBGridXScrollBar* source = grid->VertScrollBar();
  source->SetVisible(false);
  source->SetTracking(true);
  {
    TDBGridXScrollBar copy(grid, sbVertical);
    copy.Assign(source);
    EXPECT_FALSE(copy.Visible());
    EXPECT_EQ(copy.VisibleMode(), sbNeverShowX);
    EXPECT_TRUE(copy.Tracking());
    EXPECT_EQ(copy.ExtScrollBar(), nullptr);
    source->SetVisible(true);
    TDBGridXScrollBar holder(grid, sbVertical);
    holder.SetExtScrollBar(ext);
    EXPECT_FALSE(ext->WindowProcIsOwn());
    EXPECT_TRUE(ext->Visible());
    // Copying an attached bar into another settings object would attach it twice: refused.
    EXPECT_THROW(copy.Assign(&holder), Exception);
    EXPECT_EQ(copy.ExtScrollBar(), nullptr);
  }
  // The settings object that held it is gone: the bar has its own window procedure back.
  EXPECT_TRUE(ext->WindowProcIsOwn());
  source->SetTracking(false);
}

TEST_F(NavGridTest, HorizontalThumbTrackingScrollsTheColumnsWhileDragging) {
  Make(5);
  for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->SetWidth(260);
  win::PumpMessages();
  int fixed = grid->FixedCols();
  // Without tracking the thumb's drag only moves the columns at its end.
  grid->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 2), 0);
  EXPECT_EQ(grid->LeftCol(), fixed);
  grid->HorzScrollBar()->SetTracking(true);
  grid->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 2), 0);
  EXPECT_GT(grid->LeftCol(), fixed);
  grid->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), 0);
  EXPECT_EQ(grid->LeftCol(), fixed);
}
