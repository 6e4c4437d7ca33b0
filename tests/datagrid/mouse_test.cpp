// The grid's mouse through injected mouse messages: title clicks that mark and apply sorting, a
// title dragged into a column move, column sizing on the title line, rows selected by dragging,
// check-box cells toggled by a click or a double click, and automatic scrolling below the grid.

#include "datagrid/DBGridXInplace.h"
#include "tests/datagrid/nav_fixture.h"

class MouseGridTest : public NavGridTest {
 protected:
  void Click(TPoint P, WPARAM Keys = 0) {
    Mouse(WM_LBUTTONDOWN, P, MK_LBUTTON | Keys);
    Mouse(WM_LBUTTONUP, P, Keys);
  }
};

TEST_F(MouseGridTest, TitleClickMarksAndAppliesSortingCtrlClickAddsAMarker) {
  MakeCounting(5);
  int applied = 0;
  DBGridXDataService->OnApplySorting = [&](TCustomDBGridX*) { ++applied; };
  AddOptionsX({gxoAutoSortMarking, gxoMultiSortMarking});
  for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->Title()->SetTitleButton(true);
  TPoint name = CellMid(grid->DataToRawColumn(ColumnOf("Name")), 0);
  TPoint code = CellMid(grid->DataToRawColumn(ColumnOf("Code")), 0);

  Mouse(WM_LBUTTONDOWN, name, MK_LBUTTON);
  EXPECT_TRUE(grid->TitleButtonDown());
  Mouse(WM_LBUTTONUP, name);
  EXPECT_FALSE(grid->TitleButtonDown());
  EXPECT_EQ(counting->TitleButtonClicks, 1);
  EXPECT_EQ(counting->TitleClicks, 1);
  EXPECT_EQ(grid->Columns()->Items(ColumnOf("Name"))->Title()->SortMarker(), smDownX);
  EXPECT_EQ(applied, 1);
  EXPECT_FALSE(grid->SortMarkAdding());

  // Ctrl+click: a second marker, sorting not applied yet.
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  Click(code, MK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(grid->Columns()->Items(ColumnOf("Name"))->Title()->SortMarker(), smDownX);
  EXPECT_EQ(grid->Columns()->Items(ColumnOf("Code"))->Title()->SortMarker(), smDownX);
  EXPECT_TRUE(grid->SortMarkAdding());
  EXPECT_EQ(applied, 1);
  // Letting Ctrl go applies the marked sorting, once.
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_FALSE(grid->SortMarkAdding());
  EXPECT_EQ(applied, 2);

  // A plain click again: the marker turns, the others go, sorting applies.
  Click(name);
  EXPECT_EQ(grid->Columns()->Items(ColumnOf("Name"))->Title()->SortMarker(), smUpX);
  EXPECT_EQ(grid->Columns()->Items(ColumnOf("Code"))->Title()->SortMarker(), smNoneX);
  EXPECT_EQ(applied, 3);

  // Released outside the pressed title: no click.
  Mouse(WM_LBUTTONDOWN, name, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, CellMid(1, 2), MK_LBUTTON);
  EXPECT_FALSE(grid->TitleButtonDown());
  Mouse(WM_LBUTTONUP, CellMid(1, 2));
  EXPECT_EQ(counting->TitleButtonClicks, 3);
  EXPECT_EQ(applied, 3);
  DBGridXDataService->OnApplySorting = nullptr;
}

TEST_F(MouseGridTest, TitleDraggedMoreThanThreePixelsMovesTheColumn) {
  MakeCounting(5);
  AddOptionsX({gxoAutoSortMarking});
  AddOptions({gdoColumnResize});
  int name = ColumnOf("Name");
  grid->Columns()->Items(name)->Title()->SetTitleButton(true);
  TPoint p = CellMid(grid->DataToRawColumn(name), 0);
  Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, TPoint(p.X + 2, p.Y), MK_LBUTTON);
  EXPECT_TRUE(grid->TitleButtonDown());  // 2 pixels: still a press
  Mouse(WM_MOUSEMOVE, TPoint(p.X + 6, p.Y), MK_LBUTTON);
  EXPECT_EQ(grid->PressedTitleColumn(), -1);
  EXPECT_EQ(grid->GridState(), gsColMoving);
  Mouse(WM_LBUTTONUP, TPoint(p.X + 6, p.Y));
  EXPECT_EQ(counting->TitleButtonClicks, 0);
  EXPECT_EQ(grid->Columns()->Items(name)->Title()->SortMarker(), smNoneX);
}

TEST_F(MouseGridTest, ColumnSizedOnTheTitleLineKeepsItsWidth) {
  Make(5);
  AddOptions({gdoColumnResize});
  int name = ColumnOf("Name");
  int raw = grid->DataToRawColumn(name);
  int before = grid->Columns()->Items(name)->Width();
  TRect r = grid->CellRect(raw, 0);
  TPoint edge(r.Right, (r.Top + r.Bottom) / 2);
  Mouse(WM_LBUTTONDOWN, edge, MK_LBUTTON);
  EXPECT_EQ(grid->GridState(), gsColSizing);
  Mouse(WM_MOUSEMOVE, TPoint(edge.X + 30, edge.Y), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, TPoint(edge.X + 30, edge.Y));
  EXPECT_EQ(grid->Columns()->Items(name)->Width(), before + 30);
  EXPECT_EQ(grid->ColWidths(raw), before + 30);
  // A layout afterwards keeps it.
  grid->LayoutChanged();
  EXPECT_EQ(grid->ColWidths(raw), before + 30);

  // Traced sizing: the width follows while the mouse moves.
  AddOptionsX({gxoTraceColSizing});
  r = grid->CellRect(raw, 0);
  edge = TPoint(r.Right, (r.Top + r.Bottom) / 2);
  Mouse(WM_LBUTTONDOWN, edge, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, TPoint(edge.X - 20, edge.Y), MK_LBUTTON);
  EXPECT_EQ(grid->ColWidths(raw), before + 10);
  Mouse(WM_LBUTTONUP, TPoint(edge.X - 20, edge.Y));
  EXPECT_EQ(grid->Columns()->Items(name)->Width(), before + 10);
}

TEST_F(MouseGridTest, DraggingOverRowsSelectsThemAndAPressOnOneRowSelectsIt) {
  MakeCounting(20);
  AddOptions({gdoMultiSelect, gdoRowSelect});
  int t = grid->TitleOffset();
  Mouse(WM_LBUTTONDOWN, CellMid(2, t + 1), MK_LBUTTON);
  EXPECT_EQ(CurrentID(), 2);
  EXPECT_EQ(grid->MouseMode(), 1);
  Mouse(WM_MOUSEMOVE, CellMid(2, t + 3), MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, CellMid(2, t + 5), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, CellMid(2, t + 5));
  EXPECT_EQ(CurrentID(), 6);
  EXPECT_EQ(grid->SelectedRows()->Count(), 5);
  EXPECT_EQ(grid->MouseMode(), 0);
  EXPECT_EQ(counting->CellClicks, 1);
  // Back up while dragging: the rows left behind drop out.
  Mouse(WM_LBUTTONDOWN, CellMid(2, t + 1), MK_LBUTTON);
  EXPECT_EQ(grid->SelectedRows()->Count(), 1);  // a plain press starts afresh
  Mouse(WM_MOUSEMOVE, CellMid(2, t + 4), MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, CellMid(2, t + 2), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, CellMid(2, t + 2));
  EXPECT_EQ(grid->SelectedRows()->Count(), 2);
  // Ctrl+click toggles one row and keeps the others.
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  Click(CellMid(2, t + 8), MK_CONTROL);
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(grid->SelectedRows()->Count(), 3);
  // Shift+click selects the rows between.
  win::InjectKey(WM_KEYDOWN, VK_SHIFT);
  Click(CellMid(2, t + 11), MK_SHIFT);
  win::InjectKey(WM_KEYUP, VK_SHIFT);
  win::PumpMessages();
  EXPECT_EQ(CurrentID(), 12);
  EXPECT_EQ(grid->SelectedRows()->Count(), 6);
}

TEST_F(MouseGridTest, CheckBoxCellTogglesOnceOnReleaseOrOnTheDoubleClick) {
  Make(5);
  int active = ColumnOf("Active");
  int raw = grid->DataToRawColumn(active);
  int t = grid->TitleOffset();
  TPoint cell = CellMid(raw, t + 2);  // record 3, Active true
  Mouse(WM_LBUTTONDOWN, cell, MK_LBUTTON);
  EXPECT_EQ(CurrentID(), 3);
  EXPECT_TRUE(ds->FieldByName("Active")->AsBoolean());  // not on the press
  Mouse(WM_LBUTTONUP, cell);
  EXPECT_FALSE(ds->FieldByName("Active")->AsBoolean());
  EXPECT_FALSE(EditorShown());
  // Released on another cell: nothing.
  Mouse(WM_LBUTTONDOWN, cell, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, CellMid(raw - 1, t + 2));
  EXPECT_FALSE(ds->FieldByName("Active")->AsBoolean());

  // With DblClickNextVal a click does nothing and the double click steps once.
  grid->Columns()->Items(active)->SetDblClickNextVal(true);
  Mouse(WM_LBUTTONDOWN, cell, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, cell);
  EXPECT_FALSE(ds->FieldByName("Active")->AsBoolean());
  Mouse(WM_LBUTTONDBLCLK, cell, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, cell);
  EXPECT_TRUE(ds->FieldByName("Active")->AsBoolean());
}

TEST_F(MouseGridTest, CheckBoxClickThatPostsAnEditedRecordTogglesTheRecordUnderTheMouse) {
  Make(6);
  // The program's filter hides codes "X": the record edited below leaves the view when it is posted.
  ds->SetOnFilterRecord([](TDataSet* D, bool& Accept) { Accept = D->FieldByName("Code")->AsString() != "X"; });
  ds->SetFiltered(true);
  win::PumpMessages();
  int t = grid->TitleOffset();
  int code = grid->DataToRawColumn(ColumnOf("Code"));
  int active = grid->DataToRawColumn(ColumnOf("Active"));
  Mouse(WM_LBUTTONDOWN, CellMid(code, t), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, CellMid(code, t));
  ASSERT_EQ(CurrentID(), 1);
  Type("X");
  ASSERT_EQ(ds->State(), dsEdit);
  // Record 4 (Active false) is under the mouse; the press posts record 1, which the filter then hides.
  TPoint box = CellMid(active, t + 3);
  Mouse(WM_LBUTTONDOWN, box, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, box);
  EXPECT_EQ(CurrentID(), 4);
  EXPECT_TRUE(ds->FieldByName("Active")->AsBoolean());
  ds->Post();
  ds->SetFiltered(false);
  ASSERT_TRUE(ds->Locate("ID", Variant(5), {}));
  EXPECT_TRUE(ds->FieldByName("Active")->AsBoolean());  // record 5 was not clicked: as it was
  ASSERT_TRUE(ds->Locate("ID", Variant(1), {}));
  EXPECT_EQ(ds->FieldByName("Code")->AsString(), "X");
}

TEST_F(MouseGridTest, PressOnTheCurrentCellShowsTheEditor) {
  MakeCounting(5);
  int name = grid->DataToRawColumn(ColumnOf("Name"));
  int t = grid->TitleOffset();
  Click(CellMid(name, t + 1));
  EXPECT_EQ(CurrentID(), 2);
  EXPECT_FALSE(EditorShown());
  EXPECT_EQ(counting->CellClicks, 1);
  Click(CellMid(name, t + 1));
  EXPECT_TRUE(EditorShown());
  EXPECT_EQ(grid->InplaceEditor()->Text(), "Name 002");
  // The release lay on the editor that the press opened: it is the editor's, not a cell click.
  EXPECT_EQ(counting->CellClicks, 1);
}

TEST_F(MouseGridTest, AutomaticScrollingBelowTheGridNeverRunsBelowTenMilliseconds) {
  Make(200);
  AddOptions({gdoMultiSelect, gdoRowSelect});
  int t = grid->TitleOffset();
  Mouse(WM_LBUTTONDOWN, CellMid(2, t), MK_LBUTTON);
  int bottom = grid->DataAreaRect().Bottom;  // the first pixel below the data rows
  ASSERT_LT(bottom, grid->ClientHeight());  // whole rows only: a strip of the client is left below
  // 5 pixels below the data area: 125 ms.
  Mouse(WM_MOUSEMOVE, TPoint(100, bottom + 4), MK_LBUTTON);
  EXPECT_TRUE(grid->AutoScrollTimerOn());
  EXPECT_EQ(grid->AutoScrollInterval(), 125);
  int id = CurrentID();
  EXPECT_GT(id, 1);
  win::AdvanceAndPump(clock, 125);
  EXPECT_GT(CurrentID(), id);
  // Far below: 200 - 15 x distance would reach 0 ms and below; it stays at 10 ms.
  Mouse(WM_MOUSEMOVE, TPoint(100, bottom + 40), MK_LBUTTON);
  EXPECT_EQ(grid->AutoScrollInterval(), 10);
  id = CurrentID();
  win::AdvanceAndPump(clock, 50);
  EXPECT_EQ(CurrentID(), id + 5 * 6);  // five steps of min(40 div 6, 8) = 6 rows
  EXPECT_EQ(grid->SelectedRows()->Count(), CurrentID());
  // Back inside: the timer stops; releasing ends the selection walk.
  Mouse(WM_MOUSEMOVE, CellMid(2, t + 3), MK_LBUTTON);
  EXPECT_FALSE(grid->AutoScrollTimerOn());
  Mouse(WM_LBUTTONUP, CellMid(2, t + 3));
  EXPECT_FALSE(grid->AutoScrollTimerOn());
  EXPECT_EQ(TCustomDBGridX::AutoScrollIntervalFor(20, 15), 10);
  EXPECT_EQ(TCustomDBGridX::AutoScrollIntervalFor(5, 15), 125);
  EXPECT_EQ(TCustomDBGridX::AutoScrollIntervalFor(100, 10), 10);
}

TEST_F(MouseGridTest, PressedTitleOrCheckBoxWhoseColumnWentAwayIsReleasedSafely) {
  MakeCounting(5);
  int code = ColumnOf("Code");
  ASSERT_EQ(code, grid->Columns()->Count() - 1);
  grid->Columns()->Items(code)->Title()->SetTitleButton(true);
  TPoint p = CellMid(grid->DataToRawColumn(code), 0);
  Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
  ASSERT_TRUE(grid->TitleButtonDown());
  // The last column leaves the grid while the button is held.
  ds->FieldByName("Code")->SetVisible(false);
  win::PumpMessages();
  ASSERT_EQ(grid->Columns()->Count(), 3);
  EXPECT_NO_THROW(Mouse(WM_LBUTTONUP, p));
  EXPECT_EQ(counting->TitleButtonClicks, 0);
  EXPECT_EQ(grid->PressedTitleColumn(), -1);

  // A check-box cell pressed, then the data set closes before the release.
  int active = grid->DataToRawColumn(ColumnOf("Active"));
  TPoint c = CellMid(active, grid->TitleOffset() + 1);
  Mouse(WM_LBUTTONDOWN, c, MK_LBUTTON);
  ds->Close();
  win::PumpMessages();
  EXPECT_NO_THROW(Mouse(WM_LBUTTONUP, c));
}

// A click on the indicator's title clears a selection of any kind, and with none selects everything as
// a selection of all: the records are not walked into the selected rows.
TEST_F(MouseGridTest, IndicatorTitleSelectsEverythingOrNothing) {
  Make(500);
  AddOptions({gdoMultiSelect});
  TDBGridXSelection* sel = grid->SelectionX();
  const TPoint corner = CellMid(0, 0);
  Click(corner);
  EXPECT_EQ(sel->Kind(), selAllX);
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
  EXPECT_EQ(CurrentID(), 1);  // the position is kept
  Click(corner);
  EXPECT_EQ(sel->Kind(), selNoneX);
  // A rectangle of cells (Shift+Right, Shift+Down) goes, and so does a selected column.
  Press(VK_RIGHT, {ssShift});
  Press(VK_DOWN, {ssShift});
  ASSERT_EQ(sel->Kind(), selRectangleX);
  Click(corner);
  EXPECT_EQ(sel->Kind(), selNoneX);
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
  sel->Columns()->SelectSingleColumn(grid->Columns()->Items(ColumnOf("Name")), false);
  ASSERT_EQ(sel->Kind(), selColumnsX);
  Click(corner);
  EXPECT_EQ(sel->Kind(), selNoneX);
  // Not without the selection of all.
  grid->SetAllowedSelections({selRecordsX, selRectangleX});
  Click(corner);
  EXPECT_EQ(sel->Kind(), selNoneX);
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
}

TEST_F(MouseGridTest, EscapeWhileSizingCancelsTheSizing) {
  Make(5);
  int name = ColumnOf("Name");
  int raw = grid->DataToRawColumn(name);
  int before = grid->Columns()->Items(name)->Width();
  TRect r = grid->CellRect(raw, 0);
  TPoint edge(r.Right, (r.Top + r.Bottom) / 2);
  Mouse(WM_LBUTTONDOWN, edge, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, TPoint(edge.X + 40, edge.Y), MK_LBUTTON);
  ASSERT_EQ(grid->GridState(), gsColSizing);
  Press(VK_ESCAPE);
  EXPECT_EQ(grid->GridState(), gsNormal);
  Mouse(WM_LBUTTONUP, TPoint(edge.X + 40, edge.Y));
  EXPECT_EQ(grid->Columns()->Items(name)->Width(), before);
}

TEST_F(MouseGridTest, DraggingOverCellsSelectsARectangle) {
  Make(10);
  int t = grid->TitleOffset();
  Mouse(WM_LBUTTONDOWN, CellMid(1, t + 1), MK_LBUTTON);
  EXPECT_EQ(grid->MouseMode(), 3);
  TBookmark start = ds->Bookmark();
  Mouse(WM_MOUSEMOVE, CellMid(2, t + 2), MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, CellMid(3, t + 4), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, CellMid(3, t + 4));
  TDBGridXSelection* sel = grid->SelectionX();
  ASSERT_EQ(sel->Kind(), selRectangleX);
  EXPECT_EQ(sel->Rect()->StartCol(), 0);
  EXPECT_EQ(sel->Rect()->EndCol(), 2);
  EXPECT_EQ(sel->Rect()->StartRow(), start);
  EXPECT_EQ(CurrentID(), 5);
  EXPECT_EQ(sel->Rect()->EndRow(), ds->Bookmark());
  // Shift+click moves the end corner; a plain click starts afresh (one cell: no selection).
  win::InjectKey(WM_KEYDOWN, VK_SHIFT);
  Click(CellMid(1, t + 6), MK_SHIFT);
  win::InjectKey(WM_KEYUP, VK_SHIFT);
  win::PumpMessages();
  EXPECT_EQ(sel->Rect()->StartRow(), start);
  EXPECT_EQ(sel->Rect()->EndCol(), 0);
  EXPECT_EQ(CurrentID(), 7);
  Click(CellMid(2, t + 3));
  EXPECT_EQ(sel->Kind(), selNoneX);
}

TEST_F(MouseGridTest, DraggingOverTheTitlesWithTheColumnCursorSelectsColumns) {
  Make(5);
  AddOptions({gdoMultiSelect});
  int id = grid->DataToRawColumn(ColumnOf("ID"));
  TRect r = grid->CellRect(id, 0);
  TPoint low((r.Left + r.Right) / 2, r.Bottom - 2);  // the title's lower edge shows the down arrow
  Mouse(WM_MOUSEMOVE, low);
  ASSERT_EQ(::GetCursor(), ColumnSelectCursor);
  Mouse(WM_LBUTTONDOWN, low, MK_LBUTTON);
  EXPECT_EQ(grid->MouseMode(), 2);
  EXPECT_TRUE(grid->AutoScrollTimerOn());
  EXPECT_EQ(grid->SelectionX()->Kind(), selColumnsX);
  TRect r2 = grid->CellRect(grid->DataToRawColumn(ColumnOf("Active")), 0);
  Mouse(WM_MOUSEMOVE, TPoint((r2.Left + r2.Right) / 2, r2.Bottom - 2), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, TPoint((r2.Left + r2.Right) / 2, r2.Bottom - 2));
  EXPECT_EQ(grid->MouseMode(), 0);
  EXPECT_FALSE(grid->AutoScrollTimerOn());
  EXPECT_EQ(grid->SelectionX()->Columns()->size(), 3u);  // ID, Name, Active
  EXPECT_FALSE(grid->SelectionX()->IsColumnSelected(grid->Columns()->Items(ColumnOf("Code"))));
  EXPECT_EQ(grid->Columns()->Items(ColumnOf("ID"))->Title()->SortMarker(), smNoneX);
}

TEST_F(MouseGridTest, OnePressOnAnEditButtonDropsTheListDownFromAnyRow) {
  Make(5);
  int code = ColumnOf("Code");
  TColumnX* c = grid->Columns()->Items(code);
  for (const char* s : {"C", "D", "E"}) c->PickList()->Add(s);
  c->SetAlwaysShowEditButton(true);
  win::PumpMessages();
  int t = grid->TitleOffset(), raw = grid->DataToRawColumn(code);
  auto buttonOf = [&](int Row) {
    TRect r = grid->CellRect(raw, Row);
    return TPoint(r.Right - 3, (r.Top + r.Bottom) / 2);
  };
  // The button drawn in a cell of another row: the record moves there, the editor opens and its list
  // drops down, all from one click.
  Mouse(WM_LBUTTONDOWN, buttonOf(t + 2), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, buttonOf(t + 2));
  EXPECT_EQ(CurrentID(), 3);
  EXPECT_EQ(DataCol(), code);
  TDBGridInplaceEdit* e = grid->InplaceEditX();
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->EditVisible());
  EXPECT_TRUE(e->ListShown());
  EXPECT_EQ(grid->MouseMode(), 0);
  EXPECT_FALSE(grid->AutoScrollTimerOn());
  host->Repaint();
  win::PumpMessages();
  EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_edit_button_grid.png")));
  ASSERT_NE(e->PickListControl(), nullptr);
  EXPECT_TRUE(win::SaveWindowPng(e->PickListControl()->Handle(), win::ArtifactPath("datagrid_edit_button_list.png")));
  Press(VK_DOWN);
  Press(VK_RETURN);
  EXPECT_FALSE(e->ListShown());
  EXPECT_EQ(e->Text(), "D");
  Press(VK_ESCAPE);
  Press(VK_ESCAPE);
  EXPECT_EQ(ds->FieldByName("Code")->AsString(), "C");  // record 3 keeps its value
  // Beside the button (on the text) of another row: the record moves, no editor.
  grid->HideEditor();
  TRect r4 = grid->CellRect(raw, t + 3);
  Mouse(WM_LBUTTONDOWN, TPoint(r4.Left + 3, (r4.Top + r4.Bottom) / 2), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, TPoint(r4.Left + 3, (r4.Top + r4.Bottom) / 2));
  EXPECT_EQ(CurrentID(), 4);
  EXPECT_FALSE(EditorShown());
  // Without the always-shown button, a press on the current cell where the editor's button will stand
  // drops the list down too; elsewhere in a cell that is not current it does not.
  c->SetAlwaysShowEditButton(false);
  win::PumpMessages();
  Mouse(WM_LBUTTONDOWN, buttonOf(t + 1), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, buttonOf(t + 1));
  EXPECT_EQ(CurrentID(), 2);
  EXPECT_FALSE(EditorShown());
  Mouse(WM_LBUTTONDOWN, buttonOf(t + 1), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, buttonOf(t + 1));
  e = grid->InplaceEditX();
  ASSERT_TRUE(EditorShown());
  EXPECT_TRUE(e->ListShown());
  Press(VK_ESCAPE);
  EXPECT_FALSE(e->ListShown());
  // Right to left the button stands at the cell's left edge.
  Press(VK_ESCAPE);
  grid->HideEditor();
  c->SetAlwaysShowEditButton(true);
  grid->SetRightToLeft(true);
  win::PumpMessages();
  TRect r5 = grid->CellRect(raw, t + 4);
  TPoint leftButton(r5.Left + 3, (r5.Top + r5.Bottom) / 2);
  Mouse(WM_LBUTTONDOWN, leftButton, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, leftButton);
  EXPECT_EQ(CurrentID(), 5);
  e = grid->InplaceEditX();
  ASSERT_TRUE(EditorShown());
  EXPECT_TRUE(e->ListShown());
  Press(VK_ESCAPE);
}

TEST_F(MouseGridTest, ColumnSelectionBeyondTheRightEdgeScrollsTheColumnsOnTheTimer) {
  Make(5);
  AddOptions({gdoMultiSelect});
  for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->SetWidth(400);
  win::PumpMessages();
  int fixed = grid->FixedCols();
  ASSERT_EQ(grid->LeftCol(), fixed);
  TRect r = grid->CellRect(fixed, 0);
  TPoint low((r.Left + r.Right) / 2, r.Bottom - 2);
  Mouse(WM_MOUSEMOVE, low);
  ASSERT_EQ(::GetCursor(), ColumnSelectCursor);
  Mouse(WM_LBUTTONDOWN, low, MK_LBUTTON);
  ASSERT_EQ(grid->MouseMode(), 2);
  int right = grid->DataAreaRect().Right;
  // 5 pixels right of the data area: a column a step, every 200 - 5 x 10 ms.
  Mouse(WM_MOUSEMOVE, TPoint(right + 5, low.Y), MK_LBUTTON);
  EXPECT_EQ(grid->LeftCol(), fixed + 1);
  EXPECT_EQ(grid->AutoScrollInterval(), 150);
  win::AdvanceAndPump(clock, 150);
  EXPECT_EQ(grid->LeftCol(), fixed + 2);
  // The selection reaches the last fully visible column.
  TGridDrawInfo info;
  grid->CalcDrawInfo(info);
  int lastVisible = grid->RawToDataColumn(info.Horz.LastFullVisibleCell);
  EXPECT_EQ(grid->SelectionX()->Columns()->size(), static_cast<size_t>(lastVisible + 1));
  // Far to the right: never below 10 ms; at the last column the timer stops.
  Mouse(WM_MOUSEMOVE, TPoint(right + 60, low.Y), MK_LBUTTON);
  EXPECT_EQ(grid->LeftCol(), fixed + 3);
  EXPECT_EQ(grid->AutoScrollInterval(), 10);
  win::AdvanceAndPump(clock, 10);
  EXPECT_EQ(grid->LeftCol(), fixed + 3);
  EXPECT_FALSE(grid->AutoScrollTimerOn());
  EXPECT_EQ(grid->SelectionX()->Columns()->size(), 4u);
  // Left of the data area the view comes back one column a step.
  Mouse(WM_MOUSEMOVE, TPoint(2, low.Y), MK_LBUTTON);
  int left = grid->LeftCol();
  win::AdvanceAndPump(clock, 400);
  EXPECT_LT(grid->LeftCol(), left);
  Mouse(WM_LBUTTONUP, TPoint(2, low.Y));
  EXPECT_FALSE(grid->AutoScrollTimerOn());
  EXPECT_EQ(grid->MouseMode(), 0);
}

namespace {

// The grid base calls TimedScroll while its own automatic scrolling runs; the test calls it directly.
struct TTimedScrollCaller : TDBGridX {
  static void Call(TCustomDBGridX* G, TGridScrollDirections D) { (G->*&TTimedScrollCaller::TimedScroll)(D); }
};

}  // namespace

TEST_F(MouseGridTest, TimedScrollMovesJustPastTheShownRecords) {
  Make(100);
  int shown = grid->DataLink()->RecordCount();
  ds->MoveBy(2);
  TGridScrollDirections down;
  down.Include(sdDown);
  TTimedScrollCaller::Call(grid, down);
  EXPECT_EQ(CurrentID(), shown + 1);
  int first = CurrentID() - grid->DataLink()->ActiveRecord();
  TGridScrollDirections up;
  up.Include(sdUp);
  TTimedScrollCaller::Call(grid, up);
  EXPECT_EQ(CurrentID(), first - 1);
}
