// The in-place search driven by typed characters and keys: finding records by the current column's
// text without regard to case, keeping the place when nothing matches, the time-out on the clock,
// Backspace, next and previous match, and the search shortcut.

#include "tests/datagrid/nav_fixture.h"

class SearchGridTest : public NavGridTest {
 protected:
  // Names: Alpha, beta, Bravo, Charlie, alps, Delta, charm (7 records), search on Name.
  void MakeNames() {
    Make(0);
    const char* names[] = {"Alpha", "beta", "Bravo", "Charlie", "alps", "Delta", "charm"};
    ds->DisableControls();
    int id = 1;
    for (const char* n : names) {
      ds->Append();
      ds->FieldByName("ID")->SetAsInteger(id++);
      ds->FieldByName("Name")->SetAsString(n);
      ds->Post();
    }
    ds->First();
    ds->EnableControls();
    AddOptionsX({gxoIncSearch});
    // Read-only column: typing searches instead of editing.
    name = ColumnOf("Name");
    grid->Columns()->Items(name)->SetReadOnly(true);
    grid->SelectColumn(name, 0, false);
    win::PumpMessages();
  }
  std::string Name() { return ds->FieldByName("Name")->AsString(); }
  int name = -1;
};

TEST_F(SearchGridTest, TypingFindsRecordsWithoutRegardToCase) {
  MakeNames();
  Type("b");
  EXPECT_TRUE(grid->InSearch());
  EXPECT_EQ(Name(), "beta");
  EXPECT_EQ(grid->SearchText(), "b");
  EXPECT_FALSE(EditorShown());
  Type("R");
  EXPECT_EQ(Name(), "Bravo");
  EXPECT_EQ(grid->SearchText(), "Br");  // the record's own letter case
  Type("A");
  EXPECT_EQ(Name(), "Bravo");  // the current record still matches: it stays
  EXPECT_EQ(grid->SearchText(), "Bra");
  EXPECT_EQ(grid->SearchTimeout(), SearchTimeoutDefault);
  EXPECT_TRUE(grid->SearchTimerOn());
}

TEST_F(SearchGridTest, NoMatchKeepsTheRecordTheShownRowsAndThePreviousText) {
  MakeNames();
  Type("ch");
  ASSERT_EQ(Name(), "Charlie");
  int top = grid->DataLink()->ActiveRecord();
  Type("x");
  EXPECT_EQ(Name(), "Charlie");
  EXPECT_EQ(grid->DataLink()->ActiveRecord(), top);
  EXPECT_EQ(grid->SearchText(), "Ch");
  EXPECT_TRUE(grid->InSearch());
}

TEST_F(SearchGridTest, TimeOutOnTheClockEndsTheSearch) {
  MakeNames();
  Type("d");
  ASSERT_EQ(Name(), "Delta");
  win::AdvanceAndPump(clock, 1000);
  Type("e");  // each key starts the time-out again
  win::AdvanceAndPump(clock, 1000);
  EXPECT_TRUE(grid->InSearch());
  EXPECT_EQ(grid->SearchText(), "De");
  win::AdvanceAndPump(clock, 600);
  EXPECT_FALSE(grid->InSearch());
  EXPECT_EQ(grid->SearchText(), "");
  // A new search starts from the first record.
  Type("a");
  EXPECT_EQ(Name(), "Alpha");
}

TEST_F(SearchGridTest, BackspaceNextAndPriorMatchAndTheKeysThatEndIt) {
  MakeNames();
  Type("alp");
  ASSERT_EQ(Name(), "Alpha");
  Press(VK_BACK);
  EXPECT_EQ(grid->SearchText(), "Al");
  EXPECT_EQ(Name(), "Alpha");
  Press(VK_RETURN, TShiftState{ssCtrl});  // next match
  EXPECT_EQ(Name(), "alps");
  EXPECT_EQ(grid->SearchText(), "al");
  Press(VK_RETURN, TShiftState{ssCtrl});  // no further match: stays
  EXPECT_EQ(Name(), "alps");
  Press(VK_RETURN, TShiftState{ssCtrl, ssShift});  // previous match
  EXPECT_EQ(Name(), "Alpha");
  Press(VK_ESCAPE);
  EXPECT_FALSE(grid->InSearch());
  EXPECT_EQ(Name(), "Alpha");
  Type("c");
  Press(VK_F2);
  EXPECT_FALSE(grid->InSearch());
  // Another move ends the search too.
  Type("d");
  ASSERT_TRUE(grid->InSearch());
  Press(VK_UP);
  EXPECT_FALSE(grid->InSearch());
}

TEST_F(SearchGridTest, SearchShortcutSearchesWithoutTimeOut) {
  MakeNames();
  Press('F', TShiftState{ssCtrl});
  EXPECT_TRUE(grid->InSearch());
  EXPECT_EQ(grid->SearchTimeout(), -1);
  EXPECT_FALSE(grid->SearchTimerOn());
  Type("c");
  EXPECT_EQ(Name(), "Charlie");
  win::AdvanceAndPump(clock, 10000);
  EXPECT_TRUE(grid->InSearch());
  // Pressed again (the find shortcut is the same): the search hands over to the find dialog.
  Press('F', TShiftState{ssCtrl});
  EXPECT_FALSE(grid->InSearch());
}

TEST_F(SearchGridTest, PreferIncSearchTypesIntoTheSearchOnEditableColumns) {
  MakeNames();
  grid->Columns()->Items(name)->SetReadOnly(false);
  AddOptionsX({gxoPreferIncSearch}, {gxoIncSearch});
  grid->SelectColumn(name, 0, false);  // a new layout put the cursor on the first column
  Type("de");
  EXPECT_TRUE(grid->InSearch());
  EXPECT_EQ(Name(), "Delta");
  EXPECT_EQ(ds->State(), dsBrowse);
  // Without the search options the character goes to the editor.
  Press(VK_ESCAPE);
  AddOptionsX({}, {gxoPreferIncSearch});
  Type("Q");
  EXPECT_FALSE(grid->InSearch());
  EXPECT_TRUE(EditorShown());
}

TEST_F(SearchGridTest, CharactersBeyondTheBasicPlaneAreSearchedWhole) {
  MakeNames();
  ds->Last();
  ds->FieldByName("Name")->SetReadOnly(false);  // the read-only column wrote through to its field
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("\xF0\x9F\x98\x80 smile");  // U+1F600 first
  ds->Post();
  ds->FieldByName("Name")->SetReadOnly(true);
  ds->First();
  grid->SelectColumn(name, 0, false);
  Type("\xF0\x9F\x98\x80");  // two WM_CHAR messages
  EXPECT_EQ(Name(), "\xF0\x9F\x98\x80 smile");
  EXPECT_EQ(grid->SearchText(), "\xF0\x9F\x98\x80");
  Type(" s");
  EXPECT_EQ(grid->SearchText(), "\xF0\x9F\x98\x80 s");
}

TEST_F(SearchGridTest, Screenshot) {
  MakeNames();
  AddOptions({gdoMultiSelect});
  // Two rows selected by dragging over the indicator, then a search typed on the Name column.
  int t = grid->TitleOffset();
  TPoint a = CellMid(0, t + 1), b = CellMid(0, t + 2);
  Mouse(WM_LBUTTONDOWN, a, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, b, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, b);
  grid->SelectColumn(name, 0, false);
  Type("cha");
  ASSERT_TRUE(grid->InSearch());
  ASSERT_EQ(Name(), "Charlie");
  EXPECT_EQ(grid->SelectedRows()->Count(), 2);
  host->Repaint();
  win::PumpMessages();
  EXPECT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("datagrid_search.png")));
}
