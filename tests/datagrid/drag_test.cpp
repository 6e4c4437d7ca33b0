// Dragging the grid's selected rows onto a list box of the same window, through injected mouse and
// key input: with DragMode automatic and multi-select a press selects rows; a press on a selected row
// becomes a drag of those rows once the mouse moves, which the list box takes in its OnDragDrop; a
// press released where it was is a click; Esc ends the drag with no target.

#include <string>
#include <vector>

#include "platform/controls/dragdrop.h"
#include "platform/controls/lists.h"
#include "tests/datagrid/nav_fixture.h"

class GridDragTest : public NavGridTest {
 protected:
  // Six records; rows 2 and 4 selected by a click and a Ctrl+click; a list box under the grid that
  // takes the grid's rows.
  void SetUp() override {
    NavGridTest::SetUp();
    MakeCounting(6);
    AddOptions({gdoMultiSelect, gdoRowSelect});
    grid->SetDragMode(dmAutomatic);
    grid->OnStartDrag = [this](TObject*, TDragObject*&) { ++starts; };
    grid->OnEndDrag = [this](TObject*, TObject* Target, int, int) { ends.push_back(Target); };
    list = new TListBox(owner.get());
    list->SetBounds(20, 310, 300, 80);
    list->SetParent(host);
    list->OnDragOver = [this](TObject*, TObject* Source, int, int, TDragState, bool& Accept) {
      Accept = Source == grid;
    };
    list->OnDragDrop = [this](TObject*, TObject* Source, int, int) {
      auto* g = static_cast<TDBGridX*>(Source);
      TBookmark here = ds->Bookmark();
      for (int i = 0; i < g->SelectedRows()->Count(); ++i) {
        ds->GotoBookmark(g->SelectedRows()->Items(i));
        list->Items()->Add(ds->FieldByName("Name")->AsString());
      }
      ds->GotoBookmark(here);
    };
    win::PumpMessages();
    int t = grid->TitleOffset();
    row2 = CellMid(grid->DataToRawColumn(ColumnOf("Name")), t + 1);
    row4 = CellMid(grid->DataToRawColumn(ColumnOf("Name")), t + 3);
    Mouse(WM_LBUTTONDOWN, row2, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, row2);
    win::InjectKey(WM_KEYDOWN, VK_CONTROL);
    Mouse(WM_LBUTTONDOWN, row4, MK_LBUTTON | MK_CONTROL);
    Mouse(WM_LBUTTONUP, row4, MK_CONTROL);
    win::InjectKey(WM_KEYUP, VK_CONTROL);
    win::PumpMessages();
    clicksBefore = counting->CellClicks;
  }
  // The mouse over the middle of the list box.
  void OverList(UINT Msg, WPARAM Keys) {
    TPoint s = list->ClientToScreen(TPoint(list->Width() / 2, list->Height() / 2));
    win::InjectMouse(s.X, s.Y, Msg, Keys);
    win::PumpMessages();
  }
  static HCURSOR CursorOf(TCursor C) { return GetCursorHandle(C); }

  TListBox* list = nullptr;
  TPoint row2, row4;
  int starts = 0;
  std::vector<TObject*> ends;
  int clicksBefore = 0;
};

TEST_F(GridDragTest, PressesSelectRowsWhileTheGridDragsAutomatically) {
  // The presses above selected (they did not drag the grid), and the grid drags automatically still.
  EXPECT_EQ(grid->SelectedRows()->Count(), 2);
  EXPECT_EQ(grid->DragMode(), dmAutomatic);
  EXPECT_EQ(starts, 0);
  EXPECT_EQ(clicksBefore, 2);
}

TEST_F(GridDragTest, SelectedRowsDraggedOntoTheListBoxAreListedThere) {
  Mouse(WM_LBUTTONDOWN, row2, MK_LBUTTON);
  EXPECT_FALSE(grid->Dragging());  // a press alone drags nothing yet
  EXPECT_EQ(grid->SelectedRows()->Count(), 2);
  Mouse(WM_MOUSEMOVE, TPoint(row2.X + 8, row2.Y), MK_LBUTTON);
  EXPECT_TRUE(grid->Dragging());
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(::GetCursor(), CursorOf(crNoDrop));  // the grid itself takes no rows
  OverList(WM_MOUSEMOVE, MK_LBUTTON);
  EXPECT_EQ(::GetCursor(), CursorOf(crDrag));
  OverList(WM_LBUTTONUP, 0);
  ASSERT_EQ(list->Items()->Count(), 2);
  EXPECT_EQ(list->Items()->Strings(0), "Name 002");
  EXPECT_EQ(list->Items()->Strings(1), "Name 004");
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0], list);
  EXPECT_FALSE(grid->Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(counting->CellClicks, clicksBefore);  // a drag is no click
  EXPECT_EQ(grid->SelectedRows()->Count(), 2);
}

TEST_F(GridDragTest, APressOnASelectedRowReleasedWithoutAMoveIsAClick) {
  Mouse(WM_LBUTTONDOWN, row4, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, row4);
  EXPECT_EQ(counting->CellClicks, clicksBefore + 1);
  EXPECT_EQ(starts, 0);
  EXPECT_TRUE(ends.empty());
  EXPECT_EQ(CurrentID(), 4);
  // As any plain click with the selection cleared on a move.
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(GridDragTest, EscEndsTheDragWithNoTarget) {
  Mouse(WM_LBUTTONDOWN, row2, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, TPoint(row2.X + 8, row2.Y), MK_LBUTTON);
  OverList(WM_MOUSEMOVE, MK_LBUTTON);
  ASSERT_TRUE(grid->Dragging());
  win::InjectKey(WM_KEYDOWN, VK_ESCAPE);
  win::InjectKey(WM_KEYUP, VK_ESCAPE);
  win::PumpMessages();
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0], nullptr);
  EXPECT_FALSE(grid->Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
  // Releasing afterwards drops nothing.
  OverList(WM_LBUTTONUP, 0);
  EXPECT_EQ(list->Items()->Count(), 0);
  EXPECT_EQ(ends.size(), 1u);
}
