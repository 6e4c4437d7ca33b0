// The grid's keyboard through WM_KEYDOWN/WM_CHAR: a table of key strokes against options and the
// starting state, with the record, the column, the selected rows and the editor that result; then
// appending, inserting, deleting with its questions, and check-box keys.

#include <vector>

#include "datagrid/DBGridXFilterRow.h"
#include "platform/graphics/clipbrd.h"
#include "platform/win/clipboard.h"

#include "tests/datagrid/nav_fixture.h"

namespace {

struct Stroke {
  UINT Vk;
  TShiftState Shift;
};

struct KeyCase {
  const char* Name;
  std::vector<TGridXDataOption> Add;     // data options switched on
  std::vector<TGridXDataOption> Remove;  // and off
  std::vector<TGridXExtOption> AddX;
  int StartRecord;                       // ID
  int StartCol;                          // data column
  std::vector<Stroke> Keys;
  int Record;                            // ID afterwards (-1: the last buffered one, -2: 1 + a page)
  int Column;                            // data column afterwards (-1: last)
  int Selected;                          // selected rows afterwards
  bool Editor;                           // editor shown afterwards
  bool RightToLeft = false;
  int Frozen = 0;                        // frozen data columns
  int ReadOnlyCol = -1;                  // a data column made read-only (none: -1)
};

const TShiftState kNone{};
const TShiftState kShift{ssShift};
const TShiftState kCtrl{ssCtrl};
const TShiftState kCtrlShift{ssCtrl, ssShift};

}  // namespace

TEST_F(NavGridTest, KeyTable) {
  const std::vector<KeyCase> cases = {
      {"Down", {}, {}, {}, 1, 0, {{VK_DOWN, kNone}}, 2, 0, 0, false},
      {"Up on the first stays", {}, {}, {}, 1, 1, {{VK_UP, kNone}}, 1, 1, 0, false},
      {"PgDn moves a page", {}, {}, {}, 1, 0, {{VK_NEXT, kNone}}, -2, 0, 0, false},
      {"PgDn then PgUp", {}, {}, {}, 1, 0, {{VK_NEXT, kNone}, {VK_PRIOR, kNone}}, 1, 0, 0, false},
      {"Ctrl+End, Ctrl+Home", {}, {}, {}, 5, 2, {{VK_END, kCtrl}}, 40, 2, 0, false},
      {"Ctrl+Home", {}, {}, {}, 30, 2, {{VK_HOME, kCtrl}}, 1, 2, 0, false},
      {"Ctrl+PgDn to the last shown record", {}, {}, {}, 1, 0, {{VK_NEXT, kCtrl}}, -1, 0, 0, false},
      {"Ctrl+Down then Ctrl+Up", {}, {}, {}, 1, 0, {{VK_DOWN, kCtrl}, {VK_UP, kCtrl}}, 1, 0, 0, false},
      {"Right", {}, {}, {}, 3, 0, {{VK_RIGHT, kNone}}, 3, 1, 0, false},
      {"Left on the first column stays", {}, {}, {}, 3, 0, {{VK_LEFT, kNone}}, 3, 0, 0, false},
      {"End: last column", {}, {}, {}, 3, 0, {{VK_END, kNone}}, 3, -1, 0, false},
      {"Home: first column", {}, {}, {}, 3, 2, {{VK_HOME, kNone}}, 3, 0, 0, false},
      {"End with row select: last record", {gdoRowSelect}, {}, {}, 3, 0, {{VK_END, kNone}}, 40, 0, 0, false},
      {"Ctrl+Right, Ctrl+Left", {}, {}, {}, 3, 1, {{VK_RIGHT, kCtrl}}, 3, -1, 0, false},
      {"Ctrl+Left", {}, {}, {}, 3, 2, {{VK_LEFT, kCtrl}}, 3, 0, 0, false},
      {"Tab on the last column wraps to the next record", {}, {}, {}, 3, 3, {{VK_TAB, kNone}}, 4, 0, 0, false},
      {"Shift+Tab on the first column wraps back", {}, {}, {}, 3, 0, {{VK_TAB, kShift}}, 2, 3, 0, false},
      {"Enter as tab", {}, {}, {gxoEnterAsTab}, 3, 0, {{VK_RETURN, kNone}}, 3, 1, 0, false},
      {"F2 shows the editor", {}, {}, {}, 3, 1, {{VK_F2, kNone}}, 3, 1, 0, true},
      {"F2 then Esc hides it", {}, {}, {}, 3, 1, {{VK_F2, kNone}, {VK_ESCAPE, kNone}}, 3, 1, 0, false},
      {"Shift+Down twice, Shift+Up once", {gdoMultiSelect, gdoRowSelect}, {}, {}, 1, 0,
       {{VK_DOWN, kShift}, {VK_DOWN, kShift}, {VK_UP, kShift}}, 2, 0, 2, false},
      {"Shift+Down without multi-select selects nothing", {}, {}, {}, 1, 0, {{VK_DOWN, kShift}}, 2, 0, 0, false},
      {"Shift+PgDn selects the rows passed", {gdoMultiSelect, gdoRowSelect}, {}, {}, 1, 0, {{VK_NEXT, kShift}},
       -2, 0, -2, false},
      {"Down after selecting clears", {gdoMultiSelect, gdoRowSelect}, {}, {}, 1, 0,
       {{VK_DOWN, kShift}, {VK_DOWN, kNone}}, 3, 0, 0, false},
      {"Ctrl+Shift+End selects to the end", {gdoMultiSelect}, {}, {}, 35, 0, {{VK_END, kCtrlShift}}, 40, 0, 6,
       false},
      {"Right-to-left: Left is the next column", {}, {}, {}, 3, 0, {{VK_LEFT, kNone}}, 3, 1, 0, false, true},
      {"Right-to-left: Right goes back", {}, {}, {}, 3, 2, {{VK_RIGHT, kNone}}, 3, 1, 0, false, true},
      {"Ctrl+Shift+Home selects to the start", {gdoMultiSelect}, {}, {}, 4, 1, {{VK_HOME, kCtrlShift}}, 1, 1, 4,
       false},
      {"Ctrl+Shift+PgUp selects up to the first shown", {gdoMultiSelect}, {}, {}, 4, 1, {{VK_PRIOR, kCtrlShift}}, 1,
       1, 4, false},
      {"Ctrl+Shift+Up as Ctrl+Shift+PgUp", {gdoMultiSelect}, {}, {}, 3, 0, {{VK_UP, kCtrlShift}}, 1, 0, 3, false},
      {"Ctrl+PgUp without Shift clears first", {gdoMultiSelect, gdoRowSelect}, {}, {}, 3, 0,
       {{VK_DOWN, kShift}, {VK_PRIOR, kCtrl}}, 1, 0, 0, false},
      {"Enter without Enter-as-tab opens the editor", {}, {}, {}, 3, 1, {{VK_RETURN, kNone}}, 3, 1, 0, true},
      {"Right with row select keeps the column", {gdoRowSelect}, {}, {}, 3, 0, {{VK_RIGHT, kNone}}, 3, 0, 0, false},
      {"Home with row select: first record", {gdoRowSelect}, {}, {}, 9, 0, {{VK_HOME, kNone}}, 1, 0, 0, false},
      {"Shift+End without row select extends to the last column", {gdoMultiSelect}, {}, {}, 3, 0,
       {{VK_END, kShift}}, 3, -1, 0, false},
      {"Shift+Home with row select selects to the first record", {gdoMultiSelect, gdoRowSelect}, {}, {}, 3, 0,
       {{VK_HOME, kShift}}, 1, 0, 3, false},
      {"F2 without editing shows nothing", {}, {gdoEditing}, {}, 3, 1, {{VK_F2, kNone}}, 3, 1, 0, false},
      // A frozen column is a fixed cell: the keys stop at the first scrollable column.
      {"Frozen: Home goes to the first scrollable column", {}, {}, {}, 3, 3, {{VK_HOME, kNone}}, 3, 1, 0, false,
       false, 1},
      {"Frozen: Ctrl+Left likewise", {}, {}, {}, 3, 3, {{VK_LEFT, kCtrl}}, 3, 1, 0, false, false, 1},
      {"Frozen: Left on the first scrollable column stays", {}, {}, {}, 3, 1, {{VK_LEFT, kNone}}, 3, 1, 0, false,
       false, 1},
      {"Frozen: End and Ctrl+Right reach the last column", {}, {}, {}, 3, 1, {{VK_END, kNone}, {VK_HOME, kNone},
       {VK_RIGHT, kCtrl}}, 3, -1, 0, false, false, 1},
      {"Frozen: Tab on the last column wraps to the first scrollable one", {}, {}, {}, 3, 3, {{VK_TAB, kNone}}, 4, 1,
       0, false, false, 1},
      {"Frozen: Shift+Tab on the first scrollable column wraps back", {}, {}, {}, 3, 1, {{VK_TAB, kShift}}, 2, 3, 0,
       false, false, 1},
      {"Two frozen: Home", {}, {}, {}, 3, 3, {{VK_HOME, kNone}}, 3, 2, 0, false, false, 2},
      {"Two frozen: Tab wraps to the third column", {}, {}, {}, 3, 3, {{VK_TAB, kNone}}, 4, 2, 0, false, false, 2},
      {"Frozen: Tab on the last column skips a read-only first scrollable column", {}, {}, {}, 3, 3,
       {{VK_TAB, kNone}}, 4, 2, 0, false, false, 1, 1},
      {"Frozen: Shift+Tab on the second scrollable column skips a read-only first one", {}, {}, {}, 3, 2,
       {{VK_TAB, kShift}}, 2, 3, 0, false, false, 1, 1},
      {"Frozen, right-to-left: Right on the first scrollable column stays", {}, {}, {}, 3, 1, {{VK_RIGHT, kNone}}, 3,
       1, 0, false, true, 1},
  };
  Make(40);
  std::vector<std::string> errors;
  SetApplicationExceptionHandler([&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const std::exception& x) {
      errors.push_back(x.what());
    }
  });
  for (const KeyCase& k : cases) {
    SCOPED_TRACE(k.Name);
    errors.clear();
    grid->SetFrozenCols(k.Frozen);
    for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->SetReadOnly(i == k.ReadOnlyCol);
    win::PumpMessages();
    auto o = grid->Options();
    o.Exclude(gdoRowSelect);
    o.Exclude(gdoMultiSelect);
    o.Include(gdoEditing);
    // The start column first: under row select the current column stays where it is.
    grid->SetOptions(o);
    grid->SelectColumn(k.StartCol, 0, false);
    for (auto x : k.Add) o.Include(x);
    for (auto x : k.Remove) o.Exclude(x);
    grid->SetOptions(o);
    auto ox = GridXExtOptionsFromBits(0x61);
    for (auto x : k.AddX) ox.Include(x);
    grid->SetOptionsX(ox);
    grid->SetRightToLeft(k.RightToLeft);
    grid->HideEditor();
    grid->SelectedRows()->Clear();
    ds->First();
    ds->MoveBy(k.StartRecord - 1);
    grid->SelectColumn(k.StartCol, 0, false);
    grid->SetFocus();
    win::PumpMessages();
    ASSERT_EQ(CurrentID(), k.StartRecord);
    ASSERT_EQ(DataCol(), k.StartCol);
    int page = grid->VisibleDataRowCount();
    for (const Stroke& s : k.Keys) Press(s.Vk, s.Shift);
    int want = k.Record;
    if (want == -2) want = 1 + page;
    if (want == -1) want = 1 + grid->DataLink()->RecordCount() - 1;
    EXPECT_EQ(CurrentID(), want);
    EXPECT_EQ(DataCol(), k.Column < 0 ? grid->Columns()->Count() - 1 : k.Column);
    EXPECT_EQ(grid->SelectedRows()->Count(), k.Selected == -2 ? page + 1 : k.Selected);
    EXPECT_EQ(EditorShown(), k.Editor);
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_TRUE(errors.empty()) << (errors.empty() ? "" : errors[0]);
  }
  SetApplicationExceptionHandler(nullptr);
}

TEST_F(NavGridTest, WithAFrozenColumnTabOnTheLastRecordAppendsOneRowAtTheFirstScrollableColumn) {
  Make(5);
  grid->SetFrozenCols(1);
  win::PumpMessages();
  std::vector<std::string> errors;
  SetApplicationExceptionHandler([&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const std::exception& x) {
      errors.push_back(x.what());
    }
  });
  ds->Last();
  grid->SelectColumn(3, 0, false);
  Press(VK_TAB);
  EXPECT_TRUE(errors.empty()) << (errors.empty() ? "" : errors[0]);
  EXPECT_EQ(ds->State(), dsInsert);
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(DataCol(), 1);
  // Through the new row and past its end: the untouched row stays the only new one.
  for (int i = 0; i < 3; ++i) Press(VK_TAB);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(ds->State(), dsInsert);
  EXPECT_EQ(DataCol(), 1);
  Press(VK_UP);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->RecordCount(), 5);
  EXPECT_EQ(CurrentID(), 5);
  // A frozen index asked for through the API lands on the first scrollable column.
  grid->SetSelectedIndex(0);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(DataCol(), 1);
  SetApplicationExceptionHandler(nullptr);
}

TEST_F(NavGridTest, DownOnTheLastRecordAppendsOnceAndUpDropsTheUntouchedRecord) {
  Make(5);
  ds->Last();
  Press(VK_DOWN);
  EXPECT_EQ(ds->State(), dsInsert);
  EXPECT_TRUE(ds->Eof());
  // Down on the untouched appended record: nothing cancelled, nothing more appended.
  Press(VK_DOWN);
  EXPECT_EQ(ds->State(), dsInsert);
  Press(VK_UP);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->RecordCount(), 5);
  EXPECT_EQ(CurrentID(), 5);

  // Without append permission Down on the last record stays.
  grid->SetAllowedOperations({geoInsert, geoUpdate, geoDelete});
  Press(VK_DOWN);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(CurrentID(), 5);
  // A read-only grid does not append either.
  grid->SetAllowedOperations({geoInsert, geoUpdate, geoDelete, geoAppend});
  grid->SetReadOnly(true);
  Press(VK_DOWN);
  EXPECT_EQ(ds->State(), dsBrowse);
}

TEST_F(NavGridTest, InsertKeyAndEscape) {
  Make(5);
  ds->MoveBy(2);
  Press(VK_INSERT);
  EXPECT_EQ(ds->State(), dsInsert);
  Press(VK_ESCAPE);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->RecordCount(), 5);
  // Only appending allowed: Insert appends at the end.
  grid->SetAllowedOperations({geoAppend});
  Press(VK_INSERT);
  EXPECT_EQ(ds->State(), dsInsert);
  EXPECT_TRUE(ds->Eof());
  Press(VK_ESCAPE);
  // Nothing allowed: nothing happens.
  grid->SetAllowedOperations({});
  Press(VK_INSERT);
  EXPECT_EQ(ds->State(), dsBrowse);
}

// Typing opens the cell editor, which takes the focus from the grid: the focus stays inside the grid,
// so leaving the grid (which drops an untouched new record) does not happen.
TEST_F(NavGridTest, InsertTypeEnterDownAddsExactlyTheTypedRecord) {
  Make(5);
  ASSERT_TRUE(grid->Options().Contains(gdoCancelOnExit));
  grid->SelectColumn(ColumnOf("Name"), 0, false);
  ds->MoveBy(2);
  ASSERT_EQ(CurrentID(), 3);
  Press(VK_INSERT);
  ASSERT_EQ(ds->State(), dsInsert);
  Type("New");
  ASSERT_TRUE(EditorShown());
  EXPECT_TRUE(grid->InplaceEditor()->Focused());
  EXPECT_EQ(ds->State(), dsInsert);
  Press(VK_RETURN);
  Press(VK_DOWN);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->RecordCount(), 6);
  std::vector<std::string> names;
  for (ds->First(); !ds->Eof(); ds->Next()) names.push_back(ds->FieldByName("Name")->AsString());
  EXPECT_EQ(names, (std::vector<std::string>{"Name 001", "Name 002", "New", "Name 003", "Name 004", "Name 005"}));
}

TEST_F(NavGridTest, CtrlDeleteAsksByTheNumberOfSelectedRows) {
  Make(6);
  AddOptions({gdoMultiSelect, gdoRowSelect});
  // One record, confirmed.
  dialogs.PushResult(mrOk);
  ds->MoveBy(1);
  Press(VK_DELETE, kCtrl);
  ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs.MessageTexts().back(), "Delete record?");
  EXPECT_EQ(ds->RecordCount(), 5);

  // Two selected rows: the other question; Cancel keeps them.
  Press(VK_DOWN, kShift);
  ASSERT_EQ(grid->SelectedRows()->Count(), 2);
  dialogs.PushResult(mrCancel);
  Press(VK_DELETE, kCtrl);
  EXPECT_EQ(dialogs.MessageTexts().back(), "Delete all selected records?");
  EXPECT_EQ(ds->RecordCount(), 5);
  dialogs.PushResult(mrOk);
  Press(VK_DELETE, kCtrl);
  EXPECT_EQ(ds->RecordCount(), 3);
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);

  // Without the confirmation option no question is asked.
  AddOptions({}, {gdoConfirmDelete});
  size_t asked = dialogs.MessageTexts().size();
  Press(VK_DELETE, kCtrl);
  EXPECT_EQ(dialogs.MessageTexts().size(), asked);
  EXPECT_EQ(ds->RecordCount(), 2);
  // Deleting not allowed: nothing.
  grid->SetAllowedOperations({geoInsert});
  Press(VK_DELETE, kCtrl);
  EXPECT_EQ(ds->RecordCount(), 2);
}

TEST_F(NavGridTest, SpaceAndDeleteOnACheckBoxColumn) {
  Make(3);
  int active = ColumnOf("Active");
  ASSERT_GE(active, 0);
  ASSERT_EQ(grid->Columns()->Items(active)->GetCellKind(), cckCheckbox);
  grid->SelectColumn(active, 0, false);
  ASSERT_TRUE(ds->FieldByName("Active")->AsBoolean());
  Type(" ");
  EXPECT_FALSE(ds->FieldByName("Active")->AsBoolean());
  EXPECT_FALSE(EditorShown());
  Type(" ");
  EXPECT_TRUE(ds->FieldByName("Active")->AsBoolean());
  Press(VK_DELETE);
  EXPECT_TRUE(ds->FieldByName("Active")->IsNull());
  // A required field is not emptied.
  ds->Cancel();
  ds->FieldByName("Active")->SetRequired(true);
  Press(VK_DELETE);
  EXPECT_FALSE(ds->FieldByName("Active")->IsNull());
}

TEST_F(NavGridTest, TypingInAnEditableCellOpensTheEditor) {
  Make(3);
  grid->SelectColumn(ColumnOf("Name"), 0, false);
  Type("Z");
  ASSERT_TRUE(EditorShown());
  EXPECT_EQ(grid->InplaceEditor()->Text(), "Z");
  EXPECT_FALSE(grid->InSearch());
}

TEST_F(NavGridTest, ShiftKeysWithoutRowSelectExtendARectangle) {
  Make(10);
  AddOptions({gdoMultiSelect});
  ds->MoveBy(1);
  grid->SelectColumn(1, 0, false);
  TBookmark start = ds->Bookmark();
  Press(VK_DOWN, kShift);
  Press(VK_DOWN, kShift);
  Press(VK_RIGHT, kShift);
  TDBGridXSelection* sel = grid->SelectionX();
  ASSERT_EQ(sel->Kind(), selRectangleX);
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
  EXPECT_EQ(sel->Rect()->StartCol(), 1);
  EXPECT_EQ(sel->Rect()->EndCol(), 2);
  EXPECT_EQ(sel->Rect()->StartRow(), start);
  EXPECT_EQ(sel->Rect()->EndRow(), ds->Bookmark());
  EXPECT_EQ(CurrentID(), 4);
  EXPECT_TRUE(sel->IsCellSelected(2, start));
  // A plain move clears it.
  Press(VK_DOWN);
  EXPECT_EQ(sel->Kind(), selNoneX);
  // Without rectangle permission Shift+Down selects records instead.
  grid->SetAllowedSelections({selRecordsX});
  Press(VK_DOWN, kShift);
  EXPECT_EQ(sel->Kind(), selRecordsX);
  EXPECT_EQ(grid->SelectedRows()->Count(), 2);
}

TEST_F(NavGridTest, EscapeInTheEditorRestoresTheValueThenCancelsTheRecord) {
  Make(3);
  grid->SelectColumn(ColumnOf("Name"), 0, false);
  Press(VK_F2);
  ASSERT_TRUE(EditorShown());
  Type("X");
  EXPECT_EQ(ds->State(), dsEdit);
  Press(VK_ESCAPE);
  EXPECT_FALSE(EditorShown());
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Name 001");
  // A second Esc cancels the record.
  Press(VK_ESCAPE);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Name 001");
}

TEST_F(NavGridTest, TypedValueIsPostedByMovingAndTabKeepsEditing) {
  Make(3);
  grid->SelectColumn(ColumnOf("Code"), 0, false);
  Type("Q");
  ASSERT_TRUE(EditorShown());
  Press(VK_DOWN);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(CurrentID(), 2);
  ds->First();
  EXPECT_EQ(ds->FieldByName("Code")->AsString(), "Q");
  // Tab from the editor moves on to the next column of the same record.
  grid->SelectColumn(ColumnOf("Name"), 0, false);
  Press(VK_F2);
  Press(VK_TAB);
  EXPECT_EQ(DataCol(), ColumnOf("Name") + 1);
  EXPECT_EQ(CurrentID(), 1);
}

TEST_F(NavGridTest, UpFromTheFirstRecordEntersTheFilterRowAndAPressOnDataLeavesIt) {
  Make(10);
  grid->STFilter()->SetVisible(true);
  win::PumpMessages();
  int name = ColumnOf("Name");
  grid->SelectColumn(name, 0, false);
  ds->MoveBy(2);
  Press(VK_UP);
  EXPECT_FALSE(grid->FilterEditing());  // not on the first record: a plain move
  EXPECT_EQ(CurrentID(), 2);
  Press(VK_UP);
  EXPECT_EQ(CurrentID(), 1);
  Press(VK_UP);
  ASSERT_TRUE(grid->FilterEditing());
  EXPECT_EQ(grid->FilterColumnIndex(), name);
  ASSERT_NE(grid->FilterEditor(), nullptr);
  EXPECT_TRUE(grid->FilterEditor()->Focused());
  // A press on a data cell ends the filter editing.
  TPoint p = CellMid(grid->DataToRawColumn(name), grid->TitleOffset() + 3);
  Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, p);
  EXPECT_FALSE(grid->FilterEditing());
  EXPECT_EQ(CurrentID(), 4);
  // Ctrl+Up from anywhere.
  Press(VK_UP, kCtrl);
  EXPECT_TRUE(grid->FilterEditing());
  // A press on a filter cell starts editing there.
  Mouse(WM_LBUTTONDOWN, CellMid(grid->DataToRawColumn(ColumnOf("Code")), grid->FilterGridRow()), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, CellMid(grid->DataToRawColumn(ColumnOf("Code")), grid->FilterGridRow()));
  EXPECT_EQ(grid->FilterColumnIndex(), ColumnOf("Code"));
}

TEST_F(NavGridTest, TypingOnTheGridWhileTheFilterRowIsEditedGoesToItsEditor) {
  Make(5);
  grid->STFilter()->SetVisible(true);
  win::PumpMessages();
  int name = ColumnOf("Name");
  grid->SelectColumn(name, 0, false);
  grid->BeginFilterEdit(name);
  ASSERT_TRUE(grid->FilterEditing());
  grid->SetFocus();
  win::PumpMessages();
  ASSERT_TRUE(grid->Focused());
  Type("N");
  EXPECT_TRUE(grid->FilterEditing());
  EXPECT_TRUE(grid->FilterEditor()->Focused());
  EXPECT_EQ(grid->FilterEditor()->Text(), "N");
  EXPECT_FALSE(EditorShown());
}

class ClipKeysTest : public NavGridTest {
 protected:
  void SetUp() override {
    NavGridTest::SetUp();
    win::InstallClipboardBackend(&clip);
  }
  void TearDown() override {
    NavGridTest::TearDown();
    win::InstallClipboardBackend(nullptr);
  }
  win::MemoryClipboard clip;
};

TEST_F(ClipKeysTest, EditActionKeysFollowThePermissions) {
  Make(6);
  AddOptions({gdoMultiSelect});
  // Ctrl+A selects everything only with the select-all permission.
  Press('A', kCtrl);
  EXPECT_EQ(grid->SelectionX()->Kind(), selNoneX);
  grid->SetEditActions({geaCopy, geaSelectAll, geaPaste});
  Press('A', kCtrl);
  EXPECT_EQ(grid->SelectionX()->Kind(), selAllX);
  // Ctrl+C copies the selection as text: a rectangle made with the keys.
  Press(VK_DOWN);  // a plain move clears the selection
  EXPECT_EQ(grid->SelectionX()->Kind(), selNoneX);
  grid->SelectColumn(ColumnOf("Name"), 0, false);
  Press(VK_DOWN, kShift);
  Press(VK_RIGHT, kShift);
  ASSERT_EQ(grid->SelectionX()->Kind(), selRectangleX);
  Clipboard()->SetAsText("");
  Press('C', kCtrl);
  // The grid's copy ran (what it writes is the clipboard operations' business).
  EXPECT_NE(Clipboard()->AsText().find("Name"), std::string::npos);
  // Ctrl+Insert too; without the copy permission nothing is copied.
  Clipboard()->SetAsText("");
  Press(VK_INSERT, kCtrl);
  EXPECT_NE(Clipboard()->AsText().find("Name"), std::string::npos);
  grid->SetEditActions({geaSelectAll});
  Clipboard()->SetAsText("");
  Press('C', kCtrl);
  EXPECT_EQ(Clipboard()->AsText(), "");
}

TEST_F(ClipKeysTest, PasteFeedsARunningSearch) {
  Make(30);
  AddOptionsX({gxoIncSearch});
  int name = ColumnOf("Name");
  grid->Columns()->Items(name)->SetReadOnly(true);
  grid->SelectColumn(name, 0, false);
  Press('F', kCtrl);
  ASSERT_TRUE(grid->InSearch());
  Clipboard()->SetAsText("name 02");
  Press('V', kCtrl);
  EXPECT_EQ(grid->SearchText(), "Name 02");
  EXPECT_EQ(CurrentID(), 20);
  Press(VK_INSERT, kShift);  // again: "Name 02name 02" matches nothing, the text stays
  EXPECT_EQ(grid->SearchText(), "Name 02");
}

TEST_F(NavGridTest, CopyFromPriorRecordAndTheFindDialogShortcuts) {
  Make(4);
  int code = ColumnOf("Code");
  grid->SelectColumn(code, 0, false);
  ds->MoveBy(2);  // record 3 ("C"), the one above has "D"
  ASSERT_EQ(ds->FieldByName("Code")->AsString(), "C");
  Press(222, kCtrl);
  EXPECT_EQ(ds->FieldByName("Code")->AsString(), "D");
  EXPECT_EQ(ds->State(), dsEdit);
  Press(VK_ESCAPE);
  Press(VK_ESCAPE);
  EXPECT_EQ(ds->FieldByName("Code")->AsString(), "C");
  // Ctrl+F opens the find dialog when the grid offers it.
  AddOptionsX({gxoFindDialog});
  Press('F', kCtrl);
  ASSERT_NE(GridFindDialog(), nullptr);
  EXPECT_TRUE(GridFindDialog()->Visible());
}

TEST_F(NavGridTest, WithoutClearingOnMoveAWalkGivesTheRowsTheAnchorsToggledState) {
  Make(12);
  AddOptions({gdoMultiSelect, gdoRowSelect});
  AddOptionsX({}, {gxoClearSelectionOnMove});
  auto selectIds = [&](std::initializer_list<int> Ids) {
    for (int id : Ids) {
      ds->First();
      ds->MoveBy(id - 1);
      grid->SelectedRows()->SetCurrentRowSelected(true);
    }
  };
  auto selectedIds = [&]() {
    std::vector<int> r;
    for (int id = 1; id <= 12; ++id) {
      ds->First();
      ds->MoveBy(id - 1);
      if (grid->SelectedRows()->CurrentRowSelected()) r.push_back(id);
    }
    return r;
  };
  selectIds({5, 6, 7, 9});
  ds->First();
  ds->MoveBy(4);  // record 5, selected: the walk unselects
  Press(VK_DOWN, kShift);
  Press(VK_DOWN, kShift);
  EXPECT_EQ(CurrentID(), 7);
  Press(VK_UP, kShift);  // back toward the anchor: the row left gets the anchor's old state again
  EXPECT_EQ(CurrentID(), 6);
  EXPECT_EQ(selectedIds(), (std::vector<int>{7, 9}));
  // A plain move keeps the selection when moving does not clear it.
  ds->First();
  ds->MoveBy(1);  // record 2, not selected: the walk selects
  Press(VK_DOWN);
  EXPECT_EQ(CurrentID(), 3);
  Press(VK_DOWN, kShift);
  Press(VK_DOWN, kShift);
  EXPECT_EQ(selectedIds(), (std::vector<int>{3, 4, 5, 7, 9}));
}

TEST_F(NavGridTest, LeftAndRightWithRowSelectScrollTheColumns) {
  Make(5);
  AddOptions({gdoRowSelect});
  for (int i = 0; i < grid->Columns()->Count(); ++i) grid->Columns()->Items(i)->SetWidth(260);
  win::PumpMessages();
  int fixed = grid->FixedCols(), col = DataCol();
  ASSERT_EQ(grid->LeftCol(), fixed);
  Press(VK_RIGHT);
  EXPECT_EQ(grid->LeftCol(), fixed + 1);
  EXPECT_EQ(DataCol(), col);
  Press(VK_LEFT);
  Press(VK_LEFT);  // not past the fixed columns
  EXPECT_EQ(grid->LeftCol(), fixed);
  for (int i = 0; i < 10; ++i) Press(VK_RIGHT);  // not beyond the last column
  EXPECT_LE(grid->LeftCol(), grid->ColCount() - 1);
  EXPECT_GT(grid->LeftCol(), fixed + 1);
  EXPECT_EQ(CurrentID(), 1);
}
