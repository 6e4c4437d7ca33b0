// The grid's edit actions (routed to the focused grid), its selection-type rule, and its tool tips over
// cells and titles, asked for the way the hint system asks (CM_HINTSHOWPAUSE, CM_HINTSHOW).

#include "datagrid/DBGridXCellParams.h"
#include "datagrid/DBGridXClipboard.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/controls/actions.h"
#include "platform/controls/stdctrls.h"
#include "platform/dbactns/dbactns.h"
#include "platform/controls/hints.h"
#include "platform/forms/dialogs.h"
#include "platform/graphics/clipbrd.h"
#include "platform/win/clipboard.h"
#include "platform/win/dialogs.h"
#include "tests/datagrid/grid_fixture.h"

namespace {

class GridActionsTest : public DataGridTest {
 protected:
  void SetUp() override {
    DataGridTest::SetUp();
    DBGridXUnit::Initialize();
    DBGridXClipboard::Initialize();
    win::InstallClipboardBackend(&clip);
    dialogs.Install();
    const char* fields[] = {"ID", "Name", "Amount", "Born", "Active", "Code"};
    for (const char* f : fields) {
      TColumnX* c = grid->Columns()->Add();
      c->SetFieldName(f);
      c->SetWidth(64);
    }
    Bind();
    auto o = grid->Options();
    o.Include(gdoMultiSelect);
    grid->SetOptions(o);
  }
  void TearDown() override {
    Hints::Finalize();
    dialogs.Uninstall();
    win::InstallClipboardBackend(nullptr);
    DBGridXClipboard::Finalize();
    DBGridXUnit::Finalize();
    DataGridTest::TearDown();
  }
  void Focus() {
    grid->SetFocus();
    win::PumpMessages();
  }
  void SelectRecord(int R) {
    ds->First();
    ds->MoveBy(R);
    grid->SelectedRows()->SetCurrentRowSelected(true);
  }
  // The hint the grid gives with the mouse at client point P.
  THintInfo HintAt(const TPoint& P) {
    THintInfo info;
    info.HintControl = grid;
    info.CursorPos = P;
    info.HintStr = grid->Hint();
    grid->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    return info;
  }
  TPoint CellPoint(int DataCol, int Record) {
    TRect r = grid->CellRect(grid->DataToRawColumn(DataCol), grid->TitleOffset() + Record);
    return TPoint(r.Left + 3, r.Top + 3);
  }
  win::MemoryClipboard clip;
  win::ScriptedDialogs dialogs;
};

TEST_F(GridActionsTest, SelectionTypesFollowTheOptions) {
  grid->SetAllowedSelections(TGridXSelectionTypes{selRecordsX, selRectangleX, selColumnsX, selAllX});
  struct Case {
    bool multi, rowSelect;
    bool none, records, rectangle, columns, all;
  } cases[] = {
      {true, false, true, true, true, true, true},
      {true, true, true, true, false, false, true},
      {false, false, true, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.multi) + std::to_string(c.rowSelect));
    auto o = grid->Options();
    if (c.multi) o.Include(gdoMultiSelect);
    else o.Exclude(gdoMultiSelect);
    if (c.rowSelect) o.Include(gdoRowSelect);
    else o.Exclude(gdoRowSelect);
    grid->SetOptions(o);
    EXPECT_EQ(grid->CanSelectType(selNoneX), c.none);
    EXPECT_EQ(grid->CanSelectType(selRecordsX), c.records);
    EXPECT_EQ(grid->CanSelectType(selRectangleX), c.rectangle);
    EXPECT_EQ(grid->CanSelectType(selColumnsX), c.columns);
    EXPECT_EQ(grid->CanSelectType(selAllX), c.all);
  }
  grid->SetAllowedSelections(TGridXSelectionTypes{selRecordsX});
  auto o = grid->Options();
  o.Include(gdoMultiSelect);
  o.Exclude(gdoRowSelect);
  grid->SetOptions(o);
  EXPECT_FALSE(grid->CanSelectType(selRectangleX));
}

TEST_F(GridActionsTest, EditActionsReachTheFocusedGridWithinItsPermissions) {
  TEditCopy copy(owner.get());
  TEditPaste paste(owner.get());
  TEditSelectAll selectAll(owner.get());
  TEditDelete del(owner.get());
  TEditCut cut(owner.get());
  Focus();
  // Without permission the grid leaves the actions alone.
  EXPECT_FALSE(copy.Update());
  EXPECT_FALSE(copy.Execute());
  grid->SetEditActions(TGridXEditActions{geaCut, geaCopy, geaPaste, geaDelete, geaSelectAll});
  // Copy: disabled without a selection, enabled with a record selection, and it copies.
  EXPECT_TRUE(copy.Update());
  EXPECT_FALSE(copy.Enabled());
  EXPECT_FALSE(copy.Execute());
  SelectRecord(1);
  EXPECT_TRUE(copy.Update());
  EXPECT_TRUE(copy.Enabled());
  EXPECT_TRUE(copy.Execute());
  std::string text;
  ASSERT_TRUE(Clipboard()->GetBuffer(CF_TEXT, text));
  EXPECT_NE(text.find("Bob"), std::string::npos);
  // Paste: text on the clipboard; a read-only grid refuses it.
  EXPECT_TRUE(paste.Update());
  EXPECT_TRUE(paste.Enabled());
  grid->SetReadOnly(true);
  paste.Update();
  EXPECT_FALSE(paste.Enabled());
  grid->SetReadOnly(false);
  grid->SetAllowedOperations(TGridXOperations{geoInsert, geoDelete, geoAppend});
  paste.Update();
  EXPECT_FALSE(paste.Enabled());  // no update permission
  grid->SetAllowedOperations(TGridXOperations{geoInsert, geoUpdate, geoDelete, geoAppend});
  // Delete and cut need the delete permission for records.
  del.Update();
  EXPECT_TRUE(del.Enabled());
  grid->SetAllowedOperations(TGridXOperations{geoUpdate});
  del.Update();
  EXPECT_FALSE(del.Enabled());
  cut.Update();
  EXPECT_FALSE(cut.Enabled());
  grid->SetAllowedOperations(TGridXOperations{geoInsert, geoUpdate, geoDelete, geoAppend});
  // Select all, then delete (confirmation off) removes every record.
  grid->SetAllowedSelections(TGridXSelectionTypes{selRecordsX, selAllX});
  EXPECT_TRUE(selectAll.Execute());
  EXPECT_EQ(grid->SelectionX()->Kind(), selAllX);
  auto o = grid->Options();
  o.Exclude(gdoConfirmDelete);
  grid->SetOptions(o);
  EXPECT_TRUE(del.Execute());
  EXPECT_EQ(ds->RecordCount(), 0);
  del.Update();
  EXPECT_FALSE(del.Enabled());
}

TEST_F(GridActionsTest, ActionsWaitForTheGridToHaveTheFocus) {
  grid->SetEditActions(TGridXEditActions{geaCopy});
  SelectRecord(0);
  auto* other = new TGridHostX(owner.get());
  other->SetBounds(700, 50, 50, 50);
  other->HandleNeeded();
  other->SetFocus();
  win::PumpMessages();
  TEditCopy copy(owner.get());
  EXPECT_FALSE(copy.Execute());
  EXPECT_FALSE(grid->ExecuteAction(&copy));
  Focus();
  EXPECT_TRUE(copy.Execute());
}

// A data-set action reaches the grid's data source through its data link whether or not the grid has
// the focus (here a button of the window has it), and takes its enabled state from the data set.
TEST_F(GridActionsTest, DataSetActionsReachTheDataSourceThroughTheGrid) {
  auto* button = new TButton(owner.get());
  button->SetBounds(0, 0, 20, 20);
  button->SetParent(grid->Parent());
  button->SetFocus();
  win::PumpMessages();
  ASSERT_TRUE(button->Focused());
  TDataSetNext next(owner.get());
  TDataSetLast last(owner.get());
  TDataSetEdit edit(owner.get());
  ds->First();
  EXPECT_TRUE(next.Update());
  EXPECT_TRUE(next.Enabled());
  EXPECT_TRUE(next.Execute());
  win::PumpMessages();
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2);
  EXPECT_EQ(grid->Row(), grid->TitleOffset() + 1);
  EXPECT_TRUE(last.Execute());
  EXPECT_TRUE(next.Update());
  EXPECT_FALSE(next.Enabled());
  grid->SetReadOnly(true);  // the grid's own read-only state is not the data set's
  EXPECT_TRUE(edit.Update());
  EXPECT_TRUE(edit.Enabled());
  // The edit actions still wait for the grid to have the focus.
  grid->SetEditActions(TGridXEditActions{geaCopy});
  SelectRecord(0);
  TEditCopy copy(owner.get());
  EXPECT_FALSE(copy.Execute());
}

TEST_F(GridActionsTest, HintPauseIsZeroOverToolTipCells) {
  Col(1)->SetToolTips(true);
  Col(2)->Title()->SetToolTips(true);
  Col(3)->Title()->SetToolTips(true);
  Col(3)->Title()->SetHint("has its own hint");
  struct Case {
    TPoint p;
    int pause;
  } cases[] = {
      {CellPoint(1, 0), 0},                                   // data cell, column tool tips
      {CellPoint(0, 0), Hints::HintPause()},                  // no tool tips
      {TPoint(CellPoint(2, 0).X, 3), 0},                      // title with tool tips
      {TPoint(CellPoint(3, 0).X, 3), Hints::HintPause()},     // title with a hint of its own
      {TPoint(3, CellPoint(0, 0).Y), Hints::HintPause()},     // indicator
  };
  for (const Case& c : cases) {
    TPoint s = grid->ClientToScreen(c.p);
    win::InjectMouse(s.X, s.Y, WM_MOUSEMOVE);
    win::PumpMessages();
    int pause = 12345;
    grid->Perform(CM_HINTSHOWPAUSE, 0, reinterpret_cast<LPARAM>(&pause));
    EXPECT_EQ(pause, c.pause) << c.p.X << "," << c.p.Y;
  }
}

TEST_F(GridActionsTest, ToolTipsShowCutTextsOnly) {
  Col(1)->SetToolTips(true);
  Col(2)->SetToolTips(true);
  // A title with a hint shows the hint's short part over the title cell.
  Col(1)->Title()->SetHint("The person|Long help");
  THintInfo title = HintAt(TPoint(CellPoint(1, 0).X, 3));
  EXPECT_EQ(title.HintStr, "The person");
  EXPECT_EQ(title.CursorRect, grid->CellRect(grid->DataToRawColumn(1), 0));
  // A left-aligned text that fits: no tool tip.
  EXPECT_EQ(HintAt(CellPoint(1, 0)).HintStr, "");
  // The same text in a column too narrow for it: the whole text, placed over the cell's text.
  Col(1)->SetWidth(14);
  win::PumpMessages();
  ds->First();
  TPoint p = CellPoint(1, 1);
  THintInfo cut = HintAt(p);
  EXPECT_EQ(cut.HintStr, "Bob");
  TRect cell = grid->CellRect(grid->DataToRawColumn(1), grid->TitleOffset() + 1);
  EXPECT_EQ(cut.CursorRect, cell);
  EXPECT_EQ(cut.HintPos, grid->ClientToScreen(TPoint(cell.Left - 1, cell.Top - 1)));
  EXPECT_EQ(cut.HintData, grid->HintFont());
  // The record under the mouse is measured, then the current record is back.
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Ann");
  // Ctrl held: nothing.
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(HintAt(p).HintStr, "");
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  // A right-aligned text that fits but whose rectangle an always-shown edit button cuts: shown.
  TStringList picks;
  picks.Add("1.25");
  picks.Add("2.5");
  Col(2)->SetPickList(&picks);
  Col(2)->SetAlignment(taRightJustify);
  Col(2)->SetAlwaysShowEditButton(true);
  Col(2)->SetWidth(90);
  win::PumpMessages();
  THintInfo right = HintAt(CellPoint(2, 0));
  EXPECT_EQ(right.HintStr, "1.25");
  TRect rc = grid->CellRect(grid->DataToRawColumn(2), grid->TitleOffset());
  EXPECT_LT(right.CursorRect.Right, rc.Left + Col(2)->Width());
  EXPECT_LT(right.HintPos.X, grid->ClientToScreen(TPoint(rc.Left + Col(2)->Width(), 0)).X);
  // Left-aligned in the same column: fits, no tool tip.
  Col(2)->SetAlignment(taLeftJustify);
  EXPECT_EQ(HintAt(CellPoint(2, 0)).HintStr, "");
}

// Whether a cell's text is cut, and where its tool tip stands, follow the text measured in the column's
// own font: a text that fits in a small font is cut in a large one, even with rows tall enough for it.
TEST_F(GridActionsTest, ToolTipsMeasureTheTextInTheColumnsFont) {
  const std::string text = TextAt(1, 3);
  ASSERT_EQ(text, "Dora");
  TBitmap b;
  b.SetSize(8, 8);
  TCanvas* own = b.Canvas();  // a canvas of its own, holding the font the column shows the text in
  own->Font()->Assign(Col(1)->Font());
  own->Font()->SetSize(8);
  const int smallWidth = own->TextWidth(text);
  struct Case {
    int Size;
    TAlignment Alignment;
    bool Shown;
  };
  const Case cases[] = {{8, taLeftJustify, false}, {24, taLeftJustify, true}, {8, taRightJustify, false},
                        {24, taRightJustify, true}};
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "size " << k.Size << " alignment " << int(k.Alignment));
    Col(1)->SetToolTips(true);
    Col(1)->Font()->SetSize(k.Size);
    Col(1)->SetAlignment(k.Alignment);
    Col(1)->SetWidth(smallWidth + 16);  // room for the small font's text and its margins
    grid->SetRowHeight(60);             // and for the large font's height
    win::PumpMessages();
    own->Font()->SetSize(k.Size);
    const int w = own->TextWidth(text);
    ds->First();
    THintInfo tip = HintAt(CellPoint(1, 3));
    EXPECT_EQ(tip.HintStr, k.Shown ? text : "");
    if (!k.Shown) continue;
    TRect cell = grid->CellRect(grid->DataToRawColumn(1), grid->TitleOffset() + 3);
    int x = k.Alignment == taRightJustify ? cell.Left + Col(1)->Width() - w - 6 : cell.Left - 1;
    EXPECT_EQ(tip.HintPos, grid->ClientToScreen(TPoint(x, cell.Top - 1)));
  }
}

TEST_F(GridActionsTest, ToolTipsShowTheTextTheColumnsHookGives) {
  Col(1)->SetToolTips(true);
  Col(1)->SetWidth(14);
  Col(1)->SetOnGetCellParams([](TObject*, bool EditMode, TColCellParamsX* P) {
    if (!EditMode) P->Text = "<" + P->Text + ">";
  });
  win::PumpMessages();
  EXPECT_EQ(HintAt(CellPoint(1, 1)).HintStr, "<Bob>");
  // A hook that shortens the text so that it fits: no tool tip.
  Col(1)->SetOnGetCellParams([](TObject*, bool EditMode, TColCellParamsX* P) {
    if (!EditMode) P->Text = "";
  });
  EXPECT_EQ(HintAt(CellPoint(1, 1)).HintStr, "");
}

TEST_F(GridActionsTest, CheckBoxCellsShowTheirPickListEntry) {
  TColumnX* active = Col(4);
  ASSERT_EQ(active->GetCellKind(), cckCheckbox);
  active->SetToolTips(true);
  TStringList picks;
  picks.Add("inactive");
  picks.Add("active");
  active->SetPickList(&picks);
  win::PumpMessages();
  EXPECT_EQ(HintAt(CellPoint(4, 0)).HintStr, "active");  // Ann is active
  EXPECT_EQ(HintAt(CellPoint(4, 1)).HintStr, "inactive");
  ds->First();
  EXPECT_EQ(grid->CellHintText(active), "active");
  EXPECT_EQ(grid->CellHintText(Col(1)), "Ann");
}

}  // namespace

namespace {

// A top-level window that shows a picture (the composed screenshot).
class TPictureHostX : public TGridHostX {
  DECLARE_CLASS(TPictureHostX, TGridHostX)
  TPictureHostX(TComponent* AOwner, TBitmap* APicture) : TGridHostX(AOwner), FPicture(APicture) {}

 protected:
  void Paint() override { Canvas()->Draw(0, 0, FPicture); }

 private:
  TBitmap* FPicture;
};

// A user rests the mouse on a name cut by its narrow column: the tool tip shows the whole name over
// the cell, at once. The picture puts the tool tip where it stands on the screen over the grid.
TEST_F(GridActionsTest, HintOverACellScreenshot) {
  grid->SetShowHint(true);
  Col(1)->SetToolTips(true);
  Col(1)->SetWidth(26);
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("Annabelle-Marie");
  ds->Post();
  win::PumpMessages();
  TPoint s = grid->ClientToScreen(CellPoint(1, 0));
  win::InjectMouse(s.X, s.Y, WM_MOUSEMOVE);
  win::PumpMessages();
  THintWindow* hint = Hints::ShownHintWindow();
  ASSERT_NE(hint, nullptr);
  EXPECT_EQ(hint->Caption(), "Annabelle-Marie");
  // Over the cell: its left edge one pixel left of the cell's, its top one pixel above.
  TRect cell = grid->CellRect(grid->DataToRawColumn(1), grid->TitleOffset());
  TPoint cellScreen = grid->ClientToScreen(TPoint(cell.Left, cell.Top));
  RECT hr{};
  GetWindowRect(hint->Handle(), &hr);
  EXPECT_EQ(hr.left, cellScreen.X - 1);
  EXPECT_EQ(hr.top, cellScreen.Y - 1);
  EXPECT_GT(hr.right - hr.left, cell.Width());

  // Compose what the screen shows there: the host's pixels, the hint window's over them, into a
  // picture window of the host's size that is then saved.
  host->Repaint();
  win::PumpMessages();
  RECT wr{};
  GetWindowRect(host->Handle(), &wr);
  TBitmap picture;
  picture.SetSize(wr.right - wr.left, wr.bottom - wr.top);
  HDC from = GetWindowDC(host->Handle());
  BitBlt(picture.Canvas()->Handle(), 0, 0, picture.Width(), picture.Height(), from, 0, 0, SRCCOPY);
  ReleaseDC(host->Handle(), from);
  from = GetWindowDC(hint->Handle());
  BitBlt(picture.Canvas()->Handle(), hr.left - wr.left, hr.top - wr.top, hr.right - hr.left, hr.bottom - hr.top, from,
         0, 0, SRCCOPY);
  ReleaseDC(hint->Handle(), from);
  auto* shot = new TPictureHostX(owner.get(), &picture);
  shot->SetBounds(0, 0, picture.Width(), picture.Height());
  shot->HandleNeeded();
  EXPECT_TRUE(win::SaveWindowPng(shot->Handle(), win::ArtifactPath("datagrid_cell_hint.png")));
  EXPECT_EQ(win::GetWindowPixel(shot->Handle(), hr.left - wr.left + 3, hr.bottom - wr.top - 3), GetSysColor(COLOR_INFOBK));
  EXPECT_NE(win::GetWindowPixel(shot->Handle(), hr.right - wr.left + 3, hr.bottom - wr.top - 3), GetSysColor(COLOR_INFOBK));
}

}  // namespace

namespace {

TEST_F(GridActionsTest, WindowMessages) {
  // Painting covers the whole client area: erasing is refused.
  EXPECT_EQ(SendMessage(grid->Handle(), WM_ERASEBKGND, 0, 0), 1);
  // Chars are wanted only when in-place search is preferred.
  grid->SetOptionsX(grid->OptionsX() + TGridXExtOptions{gxoPreferIncSearch});
  EXPECT_NE(SendMessage(grid->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS, 0);
  // The footer colour follows a parent colour; the title and footer fonts a parent font.
  grid->SetParentColor(true);
  host->SetColor(clYellow);
  EXPECT_EQ(grid->FooterColor(), clYellow);
  EXPECT_TRUE(grid->ParentColor());
  grid->SetParentFont(true);
  host->Font()->SetSize(14);
  win::PumpMessages();
  EXPECT_EQ(grid->TitleFont()->Size(), 14);
  EXPECT_EQ(grid->FooterFont()->Size(), 14);
  EXPECT_TRUE(grid->ParentFont());
}

TEST_F(GridActionsTest, FlatGridsDrawTheirOwnOnePixelBorder) {
  const int clientBefore = grid->ClientWidth();
  EXPECT_EQ(grid->FlatBorderWidth(), 0);
  grid->SetFlat(true);
  grid->HandleNeeded();
  win::PumpMessages();
  EXPECT_EQ(grid->FlatBorderWidth(), 1);
  EXPECT_EQ(GetWindowLong(grid->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  auto inset = [&] {
    RECT wr{};
    GetWindowRect(grid->Handle(), &wr);
    return grid->ClientToScreen(TPoint(0, 0)).X - wr.left;
  };
  EXPECT_EQ(inset(), 1);  // one pixel instead of the two of the sunken edge
  EXPECT_EQ(grid->ClientWidth(), clientBefore + 2);
  EXPECT_EQ(grid->CellTextMargin(), 2);
  grid->SetBorderStyle(TBorderStyle::bsNone);
  grid->RecreateWnd();
  grid->HandleNeeded();
  EXPECT_EQ(grid->FlatBorderWidth(), 0);
  EXPECT_EQ(inset(), 0);
}

TEST_F(GridActionsTest, SelectionCursorsOverTheIndicatorAndTitleBottoms) {
  grid->SetAllowedSelections(TGridXSelectionTypes{selRecordsX, selColumnsX});
  auto cursorAt = [&](TPoint P) {
    TPoint s = grid->ClientToScreen(P);
    win::InjectMouse(s.X, s.Y, WM_MOUSEMOVE);
    win::PumpMessages();
    ::SetCursor(nullptr);
    SendMessage(grid->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(grid->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  TRect title = grid->CellRect(grid->DataToRawColumn(1), 0);
  EXPECT_EQ(cursorAt(CellPoint(-1, 1)), RowSelectCursor);
  EXPECT_EQ(cursorAt(TPoint(title.Left + 5, title.Bottom - 3)), ColumnSelectCursor);
  EXPECT_NE(cursorAt(TPoint(title.Left + 5, title.Top + 1)), ColumnSelectCursor);
  EXPECT_NE(cursorAt(CellPoint(1, 1)), RowSelectCursor);
  grid->SetAllowedSelections(TGridXSelectionTypes{});
  EXPECT_NE(cursorAt(CellPoint(-1, 1)), RowSelectCursor);
}

TEST_F(GridActionsTest, AFormDesignerMaySizeStoredColumnsOnly) {
  // The designer asks at a point; 1 or -1: the grid takes the mouse there.
  auto hitAt = [&](TPoint P) {
    return static_cast<int>(SendMessage(grid->Handle(), CM_DESIGNHITTEST, 0, MAKELPARAM(P.X, P.Y)));
  };
  auto cursorAt = [&](TPoint P) {
    TPoint s = grid->ClientToScreen(P);
    win::InjectMouse(s.X, s.Y, WM_MOUSEMOVE);
    win::PumpMessages();
    ::SetCursor(nullptr);
    SendMessage(grid->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(grid->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  grid->SetFrozenCols(1);
  win::PumpMessages();
  const TRect frozen = grid->CellRect(grid->DataToRawColumn(0), 0);
  const TRect title = grid->CellRect(grid->DataToRawColumn(2), 0);
  const TPoint frozenEdge(frozen.Right, frozen.Top + 3), titleEdge(title.Right, title.Top + 3);
  const TPoint inCell = CellPoint(2, 1);
  grid->SetDesigning(true, false);
  ASSERT_TRUE(grid->Columns()->Customised());
  struct Case {
    const char* what;
    TPoint at;
    int result;
  } cases[] = {
      {"a scrollable column's title edge", titleEdge, 1},
      {"the frozen column's edge", frozenEdge, -1},
      {"inside a data cell", inCell, 0},
      {"inside a title", TPoint(title.Left + 5, title.Top + 3), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(hitAt(c.at), c.result) << c.what;
  // Stored columns show the sizing cursor over their edges at design time.
  EXPECT_EQ(cursorAt(titleEdge), GetCursorHandle(crHSplit));

  // Default columns over fields the data set makes itself are not stored: the designer keeps the mouse
  // and the cursor is the arrow.
  auto* plain = new TMemDataSet(owner.get());
  plain->FieldDefs().Add("ID", ftInteger);
  plain->FieldDefs().Add("Name", ftString, 20);
  plain->FieldDefs().Add("Amount", ftFloat);
  plain->Open();
  ASSERT_TRUE(plain->DefaultFields());
  auto* plainSource = new TDataSource(owner.get());
  plainSource->SetDataSet(plain);
  grid->Columns()->Clear();
  grid->SetDataSource(plainSource);
  win::PumpMessages();
  ASSERT_FALSE(grid->Columns()->Customised());
  ASSERT_EQ(grid->Columns()->Count(), 3);
  const TRect plainTitle = grid->CellRect(grid->DataToRawColumn(1), 0);
  const TPoint plainEdge(plainTitle.Right, plainTitle.Top + 3);
  EXPECT_EQ(hitAt(plainEdge), 0);
  EXPECT_EQ(cursorAt(plainEdge), LoadCursor(nullptr, IDC_ARROW));
  // The same grid at run time sizes its columns there.
  grid->SetDesigning(false, false);
  EXPECT_EQ(cursorAt(plainEdge), GetCursorHandle(crHSplit));
}

TEST_F(GridActionsTest, CopyFromPriorRecordTakesTheValueAbove) {
  auto o = grid->Options();
  o.Include(gdoEditing);
  grid->SetOptions(o);
  ds->First();
  ds->Next();
  grid->SetCol(grid->DataToRawColumn(1));
  grid->SelectedRows()->SetCurrentRowSelected(true);
  grid->CopyFromPriorRecord();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Ann");
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
  ds->Cancel();
  // The first record has nothing above it.
  ds->First();
  grid->CopyFromPriorRecord();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Ann");
  EXPECT_EQ(ds->State(), dsBrowse);
}

}  // namespace

namespace {

TEST_F(GridActionsTest, SwitchingMultiSortMarkingOffKeepsTheFirstSortColumn) {
  grid->SetOptionsX(grid->OptionsX() + TGridXExtOptions{gxoMultiSortMarking});
  Col(3)->Title()->SetSortMarker(smUpX);
  Col(1)->Title()->SetSortMarker(smDownX);
  Col(5)->Title()->SetSortMarker(smDownX);
  ASSERT_EQ(grid->SortMarkedColumns().size(), 3u);
  auto x = grid->OptionsX();
  x.Exclude(gxoMultiSortMarking);
  grid->SetOptionsX(x);
  EXPECT_EQ(Col(3)->Title()->SortMarker(), smUpX);
  EXPECT_EQ(Col(3)->Title()->SortIndex(), 1);
  EXPECT_EQ(Col(1)->Title()->SortMarker(), smNoneX);
  EXPECT_EQ(Col(5)->Title()->SortMarker(), smNoneX);
  EXPECT_EQ(grid->SortMarkedColumns(), TColumnsXList{Col(3)});
}

}  // namespace

namespace {

TEST_F(GridActionsTest, TitleToolTipsShowACutCaption) {
  Col(2)->Title()->SetCaption("Amount in euros");
  Col(2)->Title()->SetToolTips(true);
  win::PumpMessages();
  TRect title = grid->CellRect(grid->DataToRawColumn(2), 0);
  EXPECT_EQ(HintAt(TPoint(title.Left + 3, title.Top + 3)).HintStr, "Amount in euros");
  // Wide enough: nothing.
  Col(2)->SetWidth(200);
  win::PumpMessages();
  title = grid->CellRect(grid->DataToRawColumn(2), 0);
  EXPECT_EQ(HintAt(TPoint(title.Left + 3, title.Top + 3)).HintStr, "");
  // Over the indicator: no tool tip of a cell.
  EXPECT_EQ(HintAt(TPoint(3, title.Top + 3)).HintStr, grid->Hint());
}

}  // namespace

namespace {

TEST_F(GridActionsTest, TitleToolTipsLeaveRoomForTheSortMarkerAndKeepToTheColumnsOwnTitle) {
  TColumnX* c = Col(2);
  c->Title()->SetCaption("Amount");
  c->Title()->SetToolTips(true);
  grid->Canvas()->Font()->Assign(c->Title()->Font());
  // Room for the caption and its margins, not for a sort marker beside it as well.
  c->SetWidth(grid->Canvas()->TextWidth("Amount") + 10);
  win::PumpMessages();
  auto titleHint = [&](int FromBottom) {
    TRect r = grid->CellRect(grid->DataToRawColumn(2), 0);
    return HintAt(TPoint(r.Left + 3, r.Bottom - FromBottom));
  };
  EXPECT_EQ(titleHint(3).HintStr, "");
  c->Title()->SetSortMarker(smDownX);
  win::PumpMessages();
  EXPECT_EQ(titleHint(3).HintStr, "Amount");

  // A vertical caption is measured along the cell's height: a title row taller than the caption is
  // long shows none (the column is narrower than the caption but wider than a line).
  c->Title()->SetSortMarker(smNoneX);
  c->SetWidth(24);
  grid->SetTitleHeight(grid->Canvas()->TextWidth("Amount") + 12);
  win::PumpMessages();
  EXPECT_EQ(titleHint(3).HintStr, "Amount");
  c->Title()->SetOrientation(tohVertical);
  win::PumpMessages();
  EXPECT_EQ(titleHint(3).HintStr, "");
  c->Title()->SetOrientation(tohHorizontal);
  grid->SetTitleHeight(0);
  c->SetWidth(64);

  // Multi-level titles: the lowest part is the column's own; the band above it shows nothing.
  c->Title()->SetSortMarker(smNoneX);
  // (one long word: wrapping cannot make it fit)
  c->Title()->SetCaption("Figures of the year|Amountineuros");
  Col(3)->Title()->SetCaption("Figures of the year|Born");
  grid->SetUseMultiTitle(true);
  win::PumpMessages();
  const TRect r = grid->CellRect(grid->DataToRawColumn(2), 0);
  THeadTreeNode* leaf = grid->TitleColumnNode(2);
  ASSERT_NE(leaf, nullptr);
  ASSERT_LT(leaf->Height, r.Height());
  const THintInfo low = titleHint(3);
  EXPECT_EQ(low.HintStr, "Amountineuros");
  EXPECT_EQ(low.CursorRect.Top, r.Bottom - leaf->Height);
  EXPECT_EQ(HintAt(TPoint(r.Left + 3, r.Top + 3)).HintStr, "");
}

TEST_F(GridActionsTest, SortMarkedColumnsAreRebuiltFromTheTitlesSortIndexes) {
  grid->SetOptionsX(grid->OptionsX() + TGridXExtOptions{gxoMultiSortMarking});
  // Set as columns are read: the titles keep their values, the grid's list is left alone.
  grid->Columns()->BeginUpdate();
  Col(3)->Title()->SetSortMarker(smDownX);
  Col(3)->Title()->SetSortIndex(1);
  Col(1)->Title()->SetSortMarker(smUpX);
  Col(1)->Title()->SetSortIndex(2);
  grid->Columns()->EndUpdate();
  EXPECT_TRUE(grid->SortMarkedColumns().empty());
  grid->RebuildSortMarkedColumns();
  ASSERT_EQ(grid->SortMarkedColumns().size(), 2u);
  EXPECT_EQ(grid->SortMarkedColumns()[0], Col(3));
  EXPECT_EQ(grid->SortMarkedColumns()[1], Col(1));
}

TEST_F(GridActionsTest, ReleasingCtrlAfterCtrlClickingTitlesSortsOnce) {
  int sorted = 0;
  DBGridXDataService->OnApplySorting = [&sorted](TCustomDBGridX*) { ++sorted; };
  grid->SetOptionsX(grid->OptionsX() + TGridXExtOptions{gxoAutoSortMarking, gxoMultiSortMarking});
  for (int i = 0; i < 6; ++i) Col(i)->Title()->SetTitleButton(true);
  Focus();
  auto clickTitle = [&](int DataCol) {
    TRect r = grid->CellRect(grid->DataToRawColumn(DataCol), 0);
    TPoint s = grid->ClientToScreen(TPoint(r.Left + 5, r.Top + 5));
    win::InjectMouse(s.X, s.Y, WM_LBUTTONDOWN);
    win::InjectMouse(s.X, s.Y, WM_LBUTTONUP);
    win::PumpMessages();
  };
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  win::PumpMessages();
  clickTitle(1);
  clickTitle(2);
  EXPECT_EQ(sorted, 0);
  EXPECT_EQ(grid->SortMarkedColumns().size(), 2u);
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(sorted, 1);
  // Another Ctrl press and release without clicks sorts nothing more.
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(sorted, 1);
  // A pending marking is applied when the grid loses the focus.
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  win::PumpMessages();
  clickTitle(3);
  auto* other = new TGridHostX(owner.get());
  other->SetBounds(700, 50, 50, 50);
  other->HandleNeeded();
  other->SetFocus();
  win::PumpMessages();
  EXPECT_EQ(sorted, 2);
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(sorted, 2);
  // With the grid's own sort-marking handler that handler sorts, not the data service.
  int handled = 0;
  grid->OnSortMarkingChanged = [&handled](TObject*) { ++handled; };
  Focus();
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  win::PumpMessages();
  clickTitle(4);
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(handled, 1);
  EXPECT_EQ(sorted, 2);
  DBGridXDataService->OnApplySorting = nullptr;
}

TEST_F(GridActionsTest, ReleasingCtrlInTheCellEditorAfterCtrlClickingTitlesSortsOnce) {
  int sorted = 0;
  DBGridXDataService->OnApplySorting = [&sorted](TCustomDBGridX*) { ++sorted; };
  grid->SetOptionsX(grid->OptionsX() + TGridXExtOptions{gxoAutoSortMarking, gxoMultiSortMarking});
  for (int i = 0; i < 6; ++i) Col(i)->Title()->SetTitleButton(true);
  Focus();
  grid->SetCol(grid->DataToRawColumn(1));
  win::InjectKey(WM_KEYDOWN, VK_F2);
  win::InjectKey(WM_KEYUP, VK_F2);
  win::PumpMessages();
  TInplaceEdit* e = grid->InplaceEditor();
  ASSERT_TRUE(e && e->EditVisible());
  // The user works in another control, then Ctrl-clicks a title: the grid gives the focus to its
  // open editor, which is where Ctrl is let go.
  auto* other = new TGridHostX(owner.get());
  other->SetBounds(700, 50, 50, 50);
  other->HandleNeeded();
  other->SetFocus();
  win::PumpMessages();
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  win::PumpMessages();
  TRect r = grid->CellRect(grid->DataToRawColumn(2), 0);
  TPoint s = grid->ClientToScreen(TPoint(r.Left + 5, r.Top + 5));
  win::InjectMouse(s.X, s.Y, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL);
  win::InjectMouse(s.X, s.Y, WM_LBUTTONUP, MK_CONTROL);
  win::PumpMessages();
  ASSERT_TRUE(e->EditVisible());
  ASSERT_EQ(GetFocus(), e->Handle());
  EXPECT_EQ(sorted, 0);
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(sorted, 1);
  // Ctrl pressed and let go in the editor without a title click sorts nothing.
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(sorted, 1);
  DBGridXDataService->OnApplySorting = nullptr;
}

}  // namespace

namespace {

// Selected rows are drawn in one colour while the grid has the focus and another without it: a focus
// change repaints them.
TEST_F(GridActionsTest, FocusChangesRepaintTheSelection) {
  SelectRecord(2);
  SelectRecord(3);
  ds->First();
  auto* other = new TGridHostX(owner.get());
  other->SetBounds(700, 50, 50, 50);
  other->HandleNeeded();
  TRect cell = grid->CellRect(grid->DataToRawColumn(3), grid->TitleOffset() + 2);
  auto pixel = [&] { return win::GetWindowPixel(grid->Handle(), cell.Right - 3, cell.Top + 2); };
  Focus();
  grid->Repaint();
  win::PumpMessages();
  const COLORREF focused = pixel();
  other->SetFocus();
  win::PumpMessages();
  const COLORREF unfocused = pixel();
  EXPECT_NE(focused, unfocused);
  Focus();
  EXPECT_EQ(pixel(), focused);
}

}  // namespace
