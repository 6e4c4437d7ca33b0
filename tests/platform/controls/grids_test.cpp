// The grid driven through the message queue as a user would: keys and mouse injected at screen points,
// the queue pumped, the clock a fake one. Geometry is exact because the grids here have no frame and,
// unless a test says otherwise, no scroll bars: columns of 50 and rows of 20 pixels with 1-pixel lines.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/grids.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"
#include "tests/platform/controls/host_fixture.h"

namespace {

// A string grid that records the hooks descendants override.
class TProbeGrid : public TStringGrid {
  DECLARE_CLASS(TProbeGrid, TStringGrid)
  explicit TProbeGrid(TComponent* AOwner) : TStringGrid(AOwner) {}
  std::vector<std::pair<int, int>> Moved;
  int WidthChanges = 0, HeightChanges = 0, TopLeftChanges = 0;
  std::vector<TGridScrollDirections> Scrolls;
  bool Modifiable = true;
  bool DigitsOnly = false;
  std::string Mask;
  WORD RefusedKey = 0;
  std::vector<std::string> EditTexts;  // every SetEditText value

 protected:
  void ColumnMoved(int FromIndex, int ToIndex) override {
    Moved.emplace_back(FromIndex, ToIndex);
    TStringGrid::ColumnMoved(FromIndex, ToIndex);
  }
  void ColWidthsChanged() override {
    ++WidthChanges;
    TStringGrid::ColWidthsChanged();
  }
  void RowHeightsChanged() override {
    ++HeightChanges;
    TStringGrid::RowHeightsChanged();
  }
  void TopLeftChanged() override {
    ++TopLeftChanges;
    TStringGrid::TopLeftChanged();
  }
  void TimedScroll(TGridScrollDirections Direction) override {
    Scrolls.push_back(Direction);
    TStringGrid::TimedScroll(Direction);
  }
  bool CanEditModify() override { return Modifiable; }
  std::string GetEditMask(int, int) override { return Mask; }
  bool CanGridAcceptKey(WORD Key, TShiftState) override { return Key != RefusedKey; }
  bool CanEditAcceptKey(WideChar Key) override { return !DigitsOnly || (Key >= '0' && Key <= '9'); }
  void SetEditText(int ACol, int ARow, const std::string& Value) override {
    EditTexts.push_back(Value);
    TStringGrid::SetEditText(ACol, ARow, Value);
  }
};

class GridTest : public ControlHostTest {
 protected:
  GridTest() : ControlHostTest(420, 320, clWhite) {}
  void SetUp() override {
    ControlHostTest::SetUp();
    grid = new TProbeGrid(owner.get());
    grid->SetBorderStyle(TBorderStyle::bsNone);
    grid->SetScrollBars(ssNone);
    grid->SetBounds(10, 10, 300, 200);
    grid->SetColCount(10);
    grid->SetRowCount(100);
    grid->SetDefaultColWidth(50);
    grid->SetDefaultRowHeight(20);
    grid->SetParent(host);
    for (int r = 0; r < 100; ++r)
      for (int c = 0; c < 10; ++c) grid->SetCells(c, r, "c" + std::to_string(c) + "r" + std::to_string(r));
    win::PumpMessages();
    grid->SetFocus();
    win::PumpMessages();
  }
  TPoint At(int X, int Y) { return grid->ClientToScreen(TPoint(X, Y)); }
  // Screen point of the middle of a cell.
  TPoint Mid(int C, int R) {
    TRect r = grid->CellRect(C, R);
    return At((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  static void Key(UINT Vk, TShiftState Shift = {}) {
    if (Shift.Contains(ssShift)) win::InjectKey(WM_KEYDOWN, VK_SHIFT);
    if (Shift.Contains(ssCtrl)) win::InjectKey(WM_KEYDOWN, VK_CONTROL);
    win::InjectKey(WM_KEYDOWN, Vk);
    win::InjectKey(WM_KEYUP, Vk);
    if (Shift.Contains(ssCtrl)) win::InjectKey(WM_KEYUP, VK_CONTROL);
    if (Shift.Contains(ssShift)) win::InjectKey(WM_KEYUP, VK_SHIFT);
    win::PumpMessages();
  }
  static void Press(TPoint P) {
    win::InjectMouse(P.X, P.Y, WM_LBUTTONDOWN, MK_LBUTTON);
    win::PumpMessages();
  }
  static void Drag(TPoint P) {
    win::InjectMouse(P.X, P.Y, WM_MOUSEMOVE, MK_LBUTTON);
    win::PumpMessages();
  }
  static void Release(TPoint P) {
    win::InjectMouse(P.X, P.Y, WM_LBUTTONUP, 0);
    win::PumpMessages();
  }
  void Scroll(UINT Msg, int Code, int Pos = 0) {
    SendMessage(grid->Handle(), Msg, MAKEWPARAM(static_cast<DWORD>(Code), static_cast<WORD>(Pos)), 0);
    win::PumpMessages();
  }
  bool EditorShown() { return grid->InplaceEditor() && grid->InplaceEditor()->EditVisible(); }

  TProbeGrid* grid = nullptr;
};

// ---------------------------------------------------------------------------------------------------

TEST(GridAxisTest, DefaultsOverridesHiddenCellsAndMoves) {
  TGridAxis a;
  a.SetCount(1000000);
  a.SetDefaultExtent(20);
  a.SetExtent(5, 40);
  a.SetExtent(7, -1);
  EXPECT_EQ(a.Extent(4), 20);
  EXPECT_EQ(a.Extent(5), 40);
  EXPECT_EQ(a.Span(7, 1), 0) << "a hidden cell takes no pixels, not even its line";
  EXPECT_EQ(a.Span(6, 1), 21);
  a.SetExtent(5, 20);
  EXPECT_EQ(a.Extent(5), 20);
  // Cell 7 (hidden) goes to 2: cells 2..6 shift right by one.
  a.SetExtent(3, 33);
  a.Move(7, 2);
  EXPECT_EQ(a.Extent(2), -1);
  EXPECT_EQ(a.Extent(4), 33);
  EXPECT_EQ(a.Extent(3), 20);
  a.Move(2, 9);
  EXPECT_EQ(a.Extent(9), -1);
  EXPECT_EQ(a.Extent(3), 33);
  a.SetCount(5);
  EXPECT_EQ(a.Extent(9), 20) << "overrides of cells that went are dropped";
  a.SetDefaultExtent(30);
  EXPECT_EQ(a.Extent(3), 30) << "a new default resets every cell";
}

TEST_F(GridTest, GeometryOfCellsLinesAndHiddenColumns) {
  EXPECT_EQ(grid->CellRect(0, 0), TRect(0, 0, 50, 20));
  EXPECT_EQ(grid->CellRect(1, 1), TRect(51, 21, 101, 41));
  EXPECT_EQ(grid->CellRect(5, 1), TRect(255, 21, 300, 41)) << "partly visible cells are clipped";
  EXPECT_EQ(grid->CellRect(6, 1), TRect()) << "not visible";
  EXPECT_EQ(grid->BoxRect(1, 1, 2, 3), TRect(51, 21, 152, 83));
  EXPECT_EQ(grid->MouseCoord(101, 40), (TGridCoord{1, 1})) << "a line belongs to the cell before it";
  EXPECT_EQ(grid->MouseCoord(102, 42), (TGridCoord{2, 2}));
  EXPECT_EQ(grid->MouseCoord(-1, 5), (TGridCoord{-1, -1}));
  EXPECT_EQ(grid->VisibleColCount(), 4);
  EXPECT_EQ(grid->VisibleRowCount(), 8);

  grid->SetColWidths(2, -1);
  EXPECT_TRUE(grid->CellRect(2, 1).IsEmpty());
  EXPECT_EQ(grid->CellRect(3, 1), TRect(102, 21, 152, 41)) << "the hidden column takes its line along";
  EXPECT_EQ(grid->MouseCoord(110, 30), (TGridCoord{3, 1}));

  grid->SetRightToLeft(true);
  win::PumpMessages();
  EXPECT_EQ(grid->CellRect(0, 0), TRect(250, 0, 300, 20));
  TPoint fixedRight = host->ScreenToClient(At(296, 30));
  TPoint fixedLeft = host->ScreenToClient(At(4, 30));
  EXPECT_EQ(win::GetWindowPixel(host->Handle(), fixedRight.X, fixedRight.Y), GetSysColor(COLOR_BTNFACE))
      << "the fixed column is painted at the right";
  EXPECT_NE(win::GetWindowPixel(host->Handle(), fixedLeft.X, fixedLeft.Y), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(grid->MouseCoord(290, 5), (TGridCoord{0, 0}));
  EXPECT_EQ(grid->MouseCoord(240, 30), (TGridCoord{1, 1}));
}

TEST_F(GridTest, PaintsLinesFixedEdgesAndSelectionInTheirColours) {
  HWND top = host->Handle();
  auto px = [&](int X, int Y) {
    TPoint p = host->ScreenToClient(At(X, Y));
    return win::GetWindowPixel(top, p.X, p.Y);
  };
  const COLORREF silver = RGB(0xC0, 0xC0, 0xC0), black = RGB(0, 0, 0);
  EXPECT_EQ(px(101, 30), silver) << "data line";
  EXPECT_EQ(px(120, 41), silver);
  EXPECT_EQ(px(50, 5), black) << "fixed line";
  EXPECT_EQ(px(10, 20), black);
  EXPECT_EQ(px(0, 10), GetSysColor(COLOR_BTNHIGHLIGHT)) << "fixed cells are raised";
  EXPECT_EQ(px(49, 10), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(px(45, 16), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(px(200, 195), GetSysColor(COLOR_WINDOW)) << "past the text, a data cell is the grid's colour";

  // Lines switched off take the area's colour; a selected cell that is not the focused one is
  // highlighted; the space after the last column is the grid's colour.
  grid->SetOptions(grid->Options() - TGridOptions{goVertLine});
  grid->SetSelection(TGridRect{1, 1, 2, 2});
  grid->SetColCount(4);
  win::PumpMessages();
  EXPECT_EQ(px(101, 30), GetSysColor(COLOR_WINDOW)) << "the line between two selected cells";
  EXPECT_EQ(px(180, 150), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(px(96, 58), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(px(96, 79), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(px(280, 100), GetSysColor(COLOR_WINDOW)) << "beyond the last column";
}

struct KeyCase {
  const char* name;
  TGridOptions extra;
  int startCol, startRow;
  UINT key;
  TShiftState shift;
  int col, row, top;
};

TEST_F(GridTest, KeyboardMovesTheCurrentCellAndTheView) {
  // Page: 8 fully visible rows (1..8) and 4 columns; the last top row that still fills the view is 92.
  const KeyCase cases[] = {
      {"down", {}, 1, 1, VK_DOWN, {}, 1, 2, 1},
      {"up at the first row stays", {}, 1, 1, VK_UP, {}, 1, 1, 1},
      {"right", {}, 1, 1, VK_RIGHT, {}, 2, 1, 1},
      {"left at the first column stays", {}, 1, 1, VK_LEFT, {}, 1, 1, 1},
      {"page down moves cursor and view", {}, 1, 1, VK_NEXT, {}, 1, 9, 9},
      {"page down near the end clamps", {}, 1, 95, VK_NEXT, {}, 1, 99, 92},
      {"page up", {}, 1, 20, VK_PRIOR, {}, 1, 12, 5},
      {"home", {}, 5, 3, VK_HOME, {}, 1, 3, 1},
      {"end", {}, 2, 3, VK_END, {}, 9, 3, 1},
      {"ctrl+home", {}, 5, 50, VK_HOME, {ssCtrl}, 1, 1, 1},
      {"ctrl+end", {}, 1, 1, VK_END, {ssCtrl}, 9, 99, 92},
      {"ctrl+down scrolls only", {}, 1, 1, VK_DOWN, {ssCtrl}, 1, 1, 2},
      {"ctrl+page down to the last full row", {}, 1, 1, VK_NEXT, {ssCtrl}, 1, 8, 1},
      {"ctrl+right a page of columns", {}, 1, 1, VK_RIGHT, {ssCtrl}, 5, 1, 1},
      {"page up at the top stays", {}, 1, 3, VK_PRIOR, {}, 1, 1, 1},
      {"row select: right is the next row", {goRowSelect}, 1, 1, VK_RIGHT, {}, 1, 2, 1},
      {"row select: end is the last row", {goRowSelect}, 1, 1, VK_END, {}, 1, 99, 92},
      {"tab with goTabs", {goTabs}, 1, 1, VK_TAB, {}, 2, 1, 1},
      {"tab wraps to the next row", {goTabs}, 9, 1, VK_TAB, {}, 1, 2, 1},
      {"shift+tab wraps back", {goTabs}, 1, 2, VK_TAB, {ssShift}, 9, 1, 1},
      {"shift+tab from the first cell to the last", {goTabs}, 1, 1, VK_TAB, {ssShift}, 9, 99, 92},
      {"tab without goTabs does nothing", {}, 1, 1, VK_TAB, {}, 1, 1, 1},
  };
  TGridOptions base = grid->Options();
  for (const KeyCase& k : cases) {
    SCOPED_TRACE(k.name);
    grid->SetOptions(base + k.extra);
    grid->SetTopRow(1);
    grid->SetLeftCol(1);
    grid->FocusCell(k.startCol, k.startRow, true);
    win::PumpMessages();
    Key(k.key, k.shift);
    EXPECT_EQ(grid->Col(), k.col);
    EXPECT_EQ(grid->Row(), k.row);
    EXPECT_EQ(grid->TopRow(), k.top);
  }
}

TEST_F(GridTest, KeyboardStepsOverHiddenColumnsAndTabStopsAndSelectsWithShift) {
  grid->SetColWidths(2, -1);
  Key(VK_RIGHT);
  EXPECT_EQ(grid->Col(), 3);
  Key(VK_LEFT);
  EXPECT_EQ(grid->Col(), 1);
  grid->SetColWidths(9, -1);
  Key(VK_END);
  EXPECT_EQ(grid->Col(), 8) << "End stops at the last visible column";
  Key(VK_HOME);
  EXPECT_EQ(grid->Col(), 1);
  grid->SetColWidths(9, 50);
  grid->SetRowHeights(2, -1);
  Key(VK_DOWN);
  EXPECT_EQ(grid->Row(), 3) << "the hidden row is stepped over";
  Key(VK_UP);
  EXPECT_EQ(grid->Row(), 1);
  grid->SetRowHeights(2, 20);
  grid->SetOptions(grid->Options() + TGridOptions{goTabs});
  grid->SetColWidths(2, 50);
  grid->SetTabStops(2, false);
  Key(VK_TAB);
  EXPECT_EQ(grid->Col(), 3);

  // Shift extends a range from the anchor; a plain move collapses it.
  Key(VK_DOWN, {ssShift});
  Key(VK_RIGHT, {ssShift});
  EXPECT_EQ(grid->Selection(), (TGridRect{3, 1, 4, 2}));
  Key(VK_DOWN);
  EXPECT_EQ(grid->Selection(), (TGridRect{4, 3, 4, 3}));

  // A key the grid does not accept does nothing.
  grid->RefusedKey = VK_DOWN;
  Key(VK_DOWN);
  EXPECT_EQ(grid->Row(), 3);
  grid->RefusedKey = 0;

  // SelectCell's veto keeps the cell.
  grid->OnSelectCell = [](TObject*, int ACol, int, bool& Can) { Can = ACol != 5; };
  Key(VK_RIGHT);
  EXPECT_EQ(grid->Col(), 4);
}

TEST_F(GridTest, DragSelectsARangeAndTimedScrollRunsOutsideTheCells) {
  Press(Mid(2, 2));
  EXPECT_EQ(grid->GridState(), gsSelecting);
  Drag(Mid(4, 5));
  Release(Mid(4, 5));
  EXPECT_EQ(grid->GridState(), gsNormal);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_EQ(grid->Selection(), (TGridRect{2, 2, 4, 5}));

  // Held below the grid: the timer scrolls down and the selection follows the new last row.
  Press(Mid(1, 3));
  Drag(At(60, 250));
  EXPECT_EQ(grid->Selection().Bottom, 9) << "clamped to the partly visible last row";
  win::AdvanceAndPump(clock, 200);
  ASSERT_FALSE(grid->Scrolls.empty());
  EXPECT_TRUE(grid->Scrolls.back().Contains(sdDown));
  EXPECT_GT(grid->TopRow(), 1);
  EXPECT_EQ(grid->Selection().Bottom, grid->TopRow() + 7) << "the anchor follows the row that came into view";
  Release(At(60, 250));
  size_t n = grid->Scrolls.size();
  win::AdvanceAndPump(clock, 300);
  EXPECT_EQ(grid->Scrolls.size(), n) << "the timer stops with the release";
  EXPECT_EQ(grid->Selection().Top, 3);

  // Without goRangeSelect a drag moves the current cell.
  grid->SetOptions(grid->Options() - TGridOptions{goRangeSelect});
  grid->SetTopRow(1);
  Press(Mid(2, 2));
  Drag(Mid(3, 4));
  Release(Mid(3, 4));
  EXPECT_EQ(grid->Selection(), (TGridRect{3, 4, 3, 4}));
}

TEST_F(GridTest, ColumnAndRowSizingByMouse) {
  grid->SetOptions(grid->Options() + TGridOptions{goColSizing, goRowSizing});
  grid->WidthChanges = grid->HeightChanges = 0;
  // The line after column 1 lies at x 101 in the fixed row.
  Press(At(102, 10));
  EXPECT_EQ(grid->GridState(), gsColSizing);
  EXPECT_EQ(grid->SizingIndex(), 1);
  EXPECT_EQ(grid->SizingPos(), 101);
  Drag(At(132, 10));
  EXPECT_EQ(grid->SizingPos(), 131);
  EXPECT_EQ(grid->WidthChanges, 0) << "nothing changes before the release";
  Release(At(132, 10));
  EXPECT_EQ(grid->ColWidths(1), 80);
  EXPECT_EQ(grid->WidthChanges, 1);
  EXPECT_EQ(grid->CellRect(2, 1).Left, 132);

  // Row sizing from the fixed column; WM_CANCELMODE abandons a sizing.
  Press(At(10, 41));
  EXPECT_EQ(grid->GridState(), gsRowSizing);
  Drag(At(10, 71));
  Release(At(10, 71));
  EXPECT_EQ(grid->RowHeights(1), 50);
  EXPECT_EQ(grid->HeightChanges, 1);
  Press(At(102 + 30, 10));
  ASSERT_EQ(grid->GridState(), gsColSizing);
  Drag(At(180, 10));
  SendMessage(grid->Handle(), WM_CANCELMODE, 0, 0);
  EXPECT_EQ(grid->GridState(), gsNormal);
  Release(At(180, 10));
  EXPECT_EQ(grid->ColWidths(1), 80);

  // Over a data cell, or without the option, there is no sizing.
  Press(At(102 + 30, 50));
  EXPECT_EQ(grid->GridState(), gsSelecting);
  Release(At(102 + 30, 50));
  grid->SetOptions(grid->Options() - TGridOptions{goColSizing});
  Press(At(132, 10));
  EXPECT_EQ(grid->GridState(), gsNormal);
  Release(At(132, 10));
}

TEST_F(GridTest, SplitCursorOverSizingLines) {
  grid->SetOptions(grid->Options() + TGridOptions{goColSizing});
  win::InjectMouse(At(101, 10).X, At(101, 10).Y, WM_MOUSEMOVE);
  win::PumpMessages();
  // The screen's split cursor (the class library's own shape, not the system's west-east arrow).
  EXPECT_EQ(GetCursor(), GetCursorHandle(crHSplit));
  win::InjectMouse(At(75, 10).X, At(75, 10).Y, WM_MOUSEMOVE);
  win::PumpMessages();
  EXPECT_NE(GetCursor(), GetCursorHandle(crHSplit));
}

TEST_F(GridTest, ColumnMovingByMouseMovesCellsAndCallsColumnMoved) {
  grid->SetOptions(grid->Options() + TGridOptions{goColMoving});
  grid->SetColWidths(1, 40);
  grid->FocusCell(1, 2, true);
  Press(Mid(1, 0));
  EXPECT_EQ(grid->GridState(), gsColMoving);
  Drag(Mid(2, 0));
  Drag(Mid(3, 0));
  EXPECT_EQ(grid->MovePos(), 3);
  Release(Mid(3, 0));
  ASSERT_EQ(grid->Moved.size(), 1u);
  EXPECT_EQ(grid->Moved[0], std::make_pair(1, 3));
  EXPECT_EQ(grid->Cells(3, 5), "c1r5") << "the cells went with their column";
  EXPECT_EQ(grid->Cells(1, 5), "c2r5");
  EXPECT_EQ(grid->ColWidths(3), 40) << "and so did its width";
  EXPECT_EQ(grid->Col(), 3) << "the current cell stays on its column";

  // Rows move from the fixed column with goRowMoving.
  grid->SetOptions(grid->Options() + TGridOptions{goRowMoving});
  Press(Mid(0, 2));
  EXPECT_EQ(grid->GridState(), gsRowMoving);
  Drag(Mid(0, 5));
  Release(Mid(0, 5));
  EXPECT_EQ(grid->Cells(0, 5), "c0r2");
  EXPECT_EQ(grid->Cells(0, 4), "c0r5");
  EXPECT_EQ(grid->Row(), 5) << "the current row went with its row";

  // A press on a fixed column is not a move; a release over the start moves nothing.
  Press(Mid(0, 0));
  EXPECT_EQ(grid->GridState(), gsNormal);
  Release(Mid(0, 0));
  Press(Mid(2, 0));
  Release(Mid(2, 0));
  EXPECT_EQ(grid->Moved.size(), 1u);
}

TEST_F(GridTest, EditorShowsCommitsRestoresAndHides) {
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->FocusCell(2, 3, true);
  Key(VK_F2);
  ASSERT_TRUE(EditorShown());
  EXPECT_TRUE(grid->EditorMode());
  TInplaceEdit* ed = grid->InplaceEditor();
  EXPECT_EQ(ed->Text(), "c2r3");
  EXPECT_EQ(GetFocus(), ed->Handle());
  EXPECT_EQ(ed->BoundsRect(), grid->CellRect(2, 3));
  win::InjectChar("x");
  win::PumpMessages();
  EXPECT_EQ(grid->Cells(2, 3), "c2r3x") << "F2 leaves the caret at the end and each change reaches the cell";
  Key(VK_RETURN);
  EXPECT_FALSE(EditorShown());
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_EQ(GetFocus(), grid->Handle());

  // A character typed on the grid opens the editor with it, replacing the text; Esc restores.
  win::InjectChar("7");
  win::PumpMessages();
  ASSERT_TRUE(EditorShown());
  EXPECT_EQ(grid->Cells(2, 3), "7");
  Key(VK_ESCAPE);
  EXPECT_FALSE(EditorShown());
  EXPECT_EQ(grid->Cells(2, 3), "c2r3x");
  EXPECT_EQ(grid->EditTexts.back(), "c2r3x");

  // The editor's own Hide gives the focus back to the grid; the next F2 shows it again.
  Key(VK_F2);
  ASSERT_TRUE(EditorShown());
  grid->InplaceEditor()->Hide();
  EXPECT_EQ(GetFocus(), grid->Handle());
  Key(VK_F2);
  EXPECT_TRUE(EditorShown());
  EXPECT_EQ(GetFocus(), grid->InplaceEditor()->Handle());
  Key(VK_F2);

  // A cell set by code while the editor shows it: the editor shows the new text.
  Key(VK_F2);
  ASSERT_TRUE(EditorShown());
  grid->SetCells(2, 3, "from code");
  EXPECT_EQ(grid->InplaceEditor()->Text(), "from code");
  Key(VK_F2);
  EXPECT_FALSE(EditorShown()) << "F2 toggles";
  EXPECT_EQ(grid->Cells(2, 3), "from code");

  // Enter opens it; a move to another row hides it, keeping what was typed.
  Key(VK_RETURN);
  ASSERT_TRUE(EditorShown());
  win::InjectChar("q");
  Key(VK_DOWN);
  EXPECT_FALSE(EditorShown());
  EXPECT_EQ(grid->Row(), 4);
  EXPECT_EQ(grid->Cells(2, 3), "q");

  // A click on the current cell shows the editor; a click elsewhere moves without it.
  Press(Mid(2, 4));
  Release(Mid(2, 4));
  EXPECT_TRUE(EditorShown());
  Press(Mid(3, 5));
  Release(Mid(3, 5));
  EXPECT_FALSE(EditorShown());
  EXPECT_EQ(grid->Col(), 3);
}

TEST_F(GridTest, EditorAsksTheGridBeforeTyping) {
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->DigitsOnly = true;
  Key(VK_F2);
  ASSERT_TRUE(EditorShown());
  win::InjectChar("a5b");
  win::PumpMessages();
  EXPECT_EQ(grid->Cells(1, 1), "c1r15");
  grid->Modifiable = false;
  win::InjectChar("6");
  Key(VK_BACK);
  win::PumpMessages();
  EXPECT_EQ(grid->Cells(1, 1), "c1r15");

  // A masked cell: the editor takes the grid's mask and refuses what does not fit it.
  grid->Modifiable = true;
  grid->DigitsOnly = false;
  grid->Mask = "00-00;1;_";
  Key(VK_DOWN);
  Key(VK_F2);
  ASSERT_TRUE(EditorShown());
  EXPECT_EQ(grid->InplaceEditor()->EditMask(), "00-00;1;_");
  Key(VK_HOME);
  win::InjectChar("1x234");
  win::PumpMessages();
  EXPECT_EQ(grid->Cells(1, 2), "12-34");
}

TEST_F(GridTest, EditorFollowsScrollingAndAlwaysShowEditorFollowsTheCursor) {
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->FocusCell(1, 3, true);
  Key(VK_F2);
  ASSERT_TRUE(EditorShown());
  TInplaceEdit* ed = grid->InplaceEditor();
  EXPECT_EQ(ed->Top(), 63);
  grid->SetTopRow(2);
  win::PumpMessages();
  EXPECT_EQ(ed->Top(), 42) << "the editor moved up with its row";
  EXPECT_GT(grid->TopLeftChanges, 0);
  grid->SetTopRow(5);
  win::PumpMessages();
  EXPECT_FALSE(EditorShown()) << "its cell left the view";
  EXPECT_TRUE(grid->EditorMode());
  grid->SetTopRow(1);
  win::PumpMessages();
  EXPECT_TRUE(EditorShown());
  EXPECT_EQ(ed->Top(), 63);

  grid->SetOptions(grid->Options() + TGridOptions{goAlwaysShowEditor});
  Key(VK_DOWN);
  EXPECT_TRUE(EditorShown());
  EXPECT_EQ(grid->Row(), 4);
  EXPECT_EQ(ed->Text(), "c1r4");
  EXPECT_EQ(ed->Top(), 84);
  // With the whole text selected (or the caret at its end) Right goes on to the next cell.
  Key(VK_RIGHT);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(ed->Text(), "c2r4");
}

// Moving on while the edited cell is scrolled out of view closes the editor: the view coming back
// with the move must not show it again over the cell left behind.
TEST_F(GridTest, EditorLeftOutOfViewDoesNotComeBackOverTheCellLeft) {
  grid->SetScrollBars(ssBoth);
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->SetFocus();
  grid->FocusCell(1, 1, true);
  win::PumpMessages();
  Key(VK_F2);
  ASSERT_TRUE(EditorShown());
  win::InjectChar("x");
  win::PumpMessages();
  Scroll(WM_VSCROLL, SB_LINEDOWN);
  ASSERT_EQ(grid->TopRow(), 2);
  EXPECT_FALSE(EditorShown()) << "its row left the view";
  Key(VK_RIGHT);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(grid->TopRow(), 1) << "the view follows the current cell";
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_FALSE(EditorShown()) << "a closed editor came back over the cell left behind";
  EXPECT_EQ(grid->Cells(1, 1), "c1r1x");
  Key(VK_F2);
  ASSERT_TRUE(EditorShown());
  TInplaceEdit* ed = grid->InplaceEditor();
  EXPECT_EQ(ed->Left(), grid->CellRect(2, 1).Left);
  EXPECT_EQ(ed->Top(), grid->CellRect(2, 1).Top);
  EXPECT_EQ(ed->Text(), "c2r1");
}

// An editor whose cell has scrolled out of view is still the grid's: ending the edit then lets it go,
// so scrolling the cell back shows no editor while the grid is not editing (and the typed text is the
// cell's).
TEST_F(GridTest, EditingEndedWhileTheCellIsOutOfViewLeavesNoEditorBehind) {
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->FocusCell(1, 3, true);
  Key(VK_F2);
  win::InjectChar("x");
  win::PumpMessages();
  ASSERT_TRUE(EditorShown());
  grid->SetTopRow(5);
  win::PumpMessages();
  ASSERT_FALSE(EditorShown());
  grid->SetEditorMode(false);
  grid->SetTopRow(1);
  win::PumpMessages();
  EXPECT_FALSE(grid->EditorMode());
  EXPECT_FALSE(EditorShown()) << "an editor came back over a grid that is not editing";
  EXPECT_EQ(grid->Cells(1, 3), "c1r3x");
  // Editing again opens the editor on the cell as it now is.
  Key(VK_F2);
  EXPECT_TRUE(EditorShown());
  EXPECT_EQ(grid->InplaceEditor()->Text(), "c1r3x");
}

TEST_F(GridTest, ScrollBarsAndWheel) {
  grid->SetScrollBars(ssBoth);
  grid->SetFocus();
  win::PumpMessages();
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  ASSERT_TRUE(GetScrollInfo(grid->Handle(), SB_VERT, &si));
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, 98);
  int page = grid->VisibleRowCount();
  EXPECT_EQ(static_cast<int>(si.nPage), page);
  EXPECT_EQ(si.nPos, 0);
  int maxTop = 100 - page;

  // A click on the bar's lower arrow (the window's own scroll bar) scrolls one row.
  int cx = GetSystemMetrics(SM_CXVSCROLL);
  TPoint arrow = At(grid->ClientWidth() + cx / 2, grid->ClientHeight() - cx / 2);
  win::Click(arrow.X, arrow.Y);
  win::PumpMessages();
  EXPECT_EQ(grid->TopRow(), 2);
  Scroll(WM_VSCROLL, SB_LINEUP);
  Scroll(WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(grid->TopRow(), 2);
  Scroll(WM_VSCROLL, SB_PAGEDOWN);
  EXPECT_EQ(grid->TopRow(), 2 + page);
  Scroll(WM_VSCROLL, SB_PAGEUP);
  Scroll(WM_VSCROLL, SB_LINEUP);
  EXPECT_EQ(grid->TopRow(), 1);
  Scroll(WM_VSCROLL, SB_BOTTOM);
  EXPECT_EQ(grid->TopRow(), maxTop);
  si.fMask = SIF_POS;
  GetScrollInfo(grid->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nPos, maxTop - 1) << "the bar follows the view";
  Scroll(WM_VSCROLL, SB_TOP);
  EXPECT_EQ(grid->TopRow(), 1);
  Scroll(WM_VSCROLL, SB_THUMBTRACK, 40);
  EXPECT_EQ(grid->TopRow(), 1) << "no tracking without goThumbTracking";
  Scroll(WM_VSCROLL, SB_THUMBPOSITION, 40);
  EXPECT_EQ(grid->TopRow(), 41);
  grid->SetOptions(grid->Options() + TGridOptions{goThumbTracking});
  Scroll(WM_VSCROLL, SB_THUMBTRACK, 10);
  EXPECT_EQ(grid->TopRow(), 11);
  Scroll(WM_HSCROLL, SB_LINERIGHT);
  EXPECT_EQ(grid->LeftCol(), 2);
  Scroll(WM_HSCROLL, SB_RIGHT);
  EXPECT_EQ(grid->LeftCol(), 10 - grid->VisibleColCount());
  Scroll(WM_HSCROLL, SB_LEFT);
  EXPECT_EQ(grid->LeftCol(), 1);

  // The wheel moves the current row, one per notch; the view follows.
  grid->SetTopRow(1);
  grid->FocusCell(1, 1, true);
  TPoint p = Mid(2, 2);
  win::InjectMouse(p.X, p.Y, WM_MOUSEWHEEL, 0, -3 * WHEEL_DELTA);
  win::PumpMessages();
  EXPECT_EQ(grid->Row(), 4);
  for (int i = 0; i < 10; ++i) win::InjectMouse(p.X, p.Y, WM_MOUSEWHEEL, 0, -WHEEL_DELTA);
  win::PumpMessages();
  EXPECT_EQ(grid->Row(), 14);
  EXPECT_EQ(grid->TopRow(), 14 - page + 1);
  win::InjectMouse(p.X, p.Y, WM_MOUSEWHEEL, 0, WHEEL_DELTA);
  win::PumpMessages();
  EXPECT_EQ(grid->Row(), 13);

  // A taller grid scrolled to the end pulls its top row back so that no empty rows show.
  Scroll(WM_VSCROLL, SB_BOTTOM);
  grid->SetBounds(10, 10, 300, 290);
  win::PumpMessages();
  int taller = grid->VisibleRowCount();
  EXPECT_GT(taller, page);
  EXPECT_EQ(grid->TopRow(), 100 - taller);
  si.fMask = SIF_POS | SIF_PAGE;
  GetScrollInfo(grid->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nPos, grid->TopRow() - 1);
  EXPECT_EQ(static_cast<int>(si.nPage), taller);
}

TEST_F(GridTest, ScrollingByLinesMovesPixelsThatMatchAFullRepaint) {
  grid->SetColWidths(3, 70);
  grid->SetRowHeights(4, 33);
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->FocusCell(2, 3, true);
  Key(VK_F2);  // the editor is a child window: what lies under it is painted, not moved
  HWND top = host->Handle();
  auto snapshot = [&] {
    std::vector<COLORREF> px;
    for (int y = 0; y < 200; y += 3)
      for (int x = 0; x < 300; x += 2) {
        TPoint p = host->ScreenToClient(At(x, y));
        px.push_back(win::GetWindowPixel(top, p.X, p.Y));
      }
    return px;
  };
  const std::vector<std::pair<int, int>> steps = {{0, 1}, {0, 2}, {1, 0}, {0, -1}, {2, 1}, {-1, -2}, {0, 3}};
  for (bool rtl : {false, true}) {
    grid->SetRightToLeft(rtl);
    grid->MoveTopLeft(1, 1);
    win::PumpMessages();
    for (auto [dc, dr] : steps) {
      SCOPED_TRACE(testing::Message() << (rtl ? "right-to-left " : "") << dc << "," << dr);
      grid->MoveTopLeft(grid->LeftCol() + dc, grid->TopRow() + dr);
      win::PumpMessages();
      std::vector<COLORREF> moved = snapshot();
      grid->Invalidate();
      win::PumpMessages();
      EXPECT_EQ(moved, snapshot());
    }
  }
}

TEST_F(GridTest, ThumbDragReachesRowsBeyondSixteenBits) {
  // A scroll message carries a 16-bit position; the grid reads the bar's whole track position.
  grid->SetRowCount(1000000);
  grid->SetScrollBars(ssVertical);
  grid->SetFocus();
  win::PumpMessages();
  int cx = GetSystemMetrics(SM_CXVSCROLL);
  int x = grid->ClientWidth() + cx / 2;
  TPoint thumb = At(x, cx + 3);
  win::InjectMouse(thumb.X, thumb.Y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::PumpMessages();
  TPoint end = At(x, grid->ClientHeight() - 2);
  win::InjectMouse(end.X, end.Y, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  EXPECT_EQ(grid->TopRow(), 1) << "no tracking without goThumbTracking";
  win::InjectMouse(end.X, end.Y, WM_LBUTTONUP, 0);
  win::PumpMessages();
  EXPECT_GT(grid->TopRow(), 900000);
  SCROLLINFO si;
  si.fMask = SIF_POS;
  GetScrollInfo(grid->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nPos, grid->TopRow() - 1);
}

TEST_F(GridTest, CountsKeepTheCurrentCellInsideAndFixedCountsAreChecked) {
  grid->FocusCell(8, 50, true);
  grid->SetRowCount(20);
  EXPECT_EQ(grid->Row(), 19);
  grid->SetColCount(4);
  EXPECT_EQ(grid->Col(), 3);
  EXPECT_EQ(grid->Cells(3, 19), "c3r19");
  EXPECT_EQ(grid->Cells(5, 5), "") << "cells of removed columns are gone";
  EXPECT_THROW(grid->SetFixedRows(20), EInvalidGridOperation);
  EXPECT_THROW(grid->SetColWidths(4, 10), EInvalidGridOperation);
  EXPECT_THROW(grid->SetCells(0, 20, "x"), EInvalidGridOperation);
  grid->SetDefaultRowHeight(30);
  EXPECT_EQ(grid->RowHeights(5), 30);

  // A million rows: the far end is reached without walking them.
  grid->SetRowCount(1000000);
  grid->SetRowHeights(999998, 60);
  Key(VK_END, {ssCtrl});
  EXPECT_EQ(grid->Row(), 999999);
  EXPECT_EQ(grid->TopRow(), 999996) << "rows of 30 and one of 60 fill the 179 pixels below the title";
  EXPECT_EQ(grid->CellRect(1, 999998).Height(), 60);
}

TEST_F(GridTest, SettingTheFixedCountsAgainKeepsThePlaceAndANewCountStartsAfresh) {
  // The default grid has one fixed column and one fixed row; the cursor walks right and down so that
  // the view scrolls.
  ASSERT_EQ(grid->FixedCols(), 1);
  ASSERT_EQ(grid->FixedRows(), 1);
  Key(VK_END);
  for (int i = 0; i < 30; ++i) Key(VK_DOWN);
  const int col = grid->Col(), row = grid->Row(), left = grid->LeftCol(), top = grid->TopRow();
  ASSERT_EQ(col, 9);
  ASSERT_EQ(row, 31);
  ASSERT_GT(left, 1);
  ASSERT_GT(top, 1);
  grid->SetFixedCols(1);
  grid->SetFixedRows(1);
  EXPECT_EQ(grid->Col(), col);
  EXPECT_EQ(grid->Row(), row);
  EXPECT_EQ(grid->LeftCol(), left);
  EXPECT_EQ(grid->TopRow(), top);
  // Another count starts the scrollable part afresh.
  grid->SetFixedCols(2);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(grid->LeftCol(), 2);
  grid->SetFixedRows(3);
  EXPECT_EQ(grid->Row(), 3);
  EXPECT_EQ(grid->TopRow(), 3);
}

TEST_F(GridTest, DialogCodesAndDefaultOptions) {
  LRESULT code = SendMessage(grid->Handle(), WM_GETDLGCODE, 0, 0);
  EXPECT_TRUE(code & DLGC_WANTARROWS);
  EXPECT_TRUE(code & DLGC_WANTCHARS);
  EXPECT_FALSE(code & DLGC_WANTTAB);
  grid->SetOptions(grid->Options() + TGridOptions{goTabs});
  EXPECT_TRUE(SendMessage(grid->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB);
  TStringGrid fresh(nullptr);
  EXPECT_EQ(fresh.Options(),
            (TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect}));
  EXPECT_EQ(fresh.ColCount(), 5);
  EXPECT_EQ(fresh.FixedRows(), 1);
  EXPECT_EQ(fresh.DefaultColWidth(), 64);
  EXPECT_EQ(fresh.DefaultRowHeight(), 24);
  TGridOptions rs{goRowSelect, goAlwaysShowEditor, goEditing};
  fresh.SetOptions(rs);
  EXPECT_FALSE(fresh.Options().Contains(goAlwaysShowEditor)) << "row selection excludes an always-shown editor";
}

TEST_F(GridTest, ScreenshotOfAStringGridWithSelectionAndEditor) {
  grid->SetBorderStyle(TBorderStyle::bsSingle);
  grid->SetScrollBars(ssBoth);
  grid->SetFocus();
  grid->SetFixedCols(1);
  grid->SetFixedRows(1);
  grid->SetOptions(grid->Options() + TGridOptions{goEditing, goColSizing});
  for (int c = 1; c < 10; ++c) grid->SetCells(c, 0, "Col " + std::to_string(c));
  for (int r = 1; r < 100; ++r) grid->SetCells(0, r, std::to_string(r));
  grid->SetCells(3, 6, "价格 12.50");
  grid->SetColWidths(3, 90);
  // The anchor at (1, 3), the current cell at (3, 6): the editor opens on the range's corner.
  grid->SetSelection(TGridRect{1, 3, 3, 6});
  Key(VK_F2);
  ASSERT_TRUE(EditorShown());
  win::PumpMessages();
  COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  HWND top = host->Handle();
  TPoint fixedCell = host->ScreenToClient(Mid(0, 3));
  TPoint selected = host->ScreenToClient(At(grid->CellRect(2, 5).Left + 40, grid->CellRect(2, 5).Top + 15));
  EXPECT_EQ(win::GetWindowPixel(top, fixedCell.X - 20, fixedCell.Y), face);
  EXPECT_EQ(win::GetWindowPixel(top, selected.X, selected.Y), highlight);
  std::string path = win::ArtifactPath("grid_string_selection_editor.png");
  ASSERT_TRUE(win::SaveWindowPng(top, path));
}

}  // namespace
