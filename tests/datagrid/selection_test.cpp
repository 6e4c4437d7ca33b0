// The grid's selection: selected records by bookmark (lookups, deletion, records that leave the data
// set, scrolling), the cell rectangle, selected columns with Shift extension, everything, and the
// switching between kinds.

#include <string>
#include <vector>

#include "tests/datagrid/grid_fixture.h"

namespace {

// Counts the bookmark comparisons the grid asks for.
class TCountingMemDataSet : public TMemDataSet {
 public:
  using TMemDataSet::TMemDataSet;
  int CompareBookmarks(const TBookmark& A, const TBookmark& B) const override {
    ++Compares;
    return TMemDataSet::CompareBookmarks(A, B);
  }
  mutable int Compares = 0;
};

}  // namespace

class SelectionTest : public DataGridTest {
 protected:
  void SetUp() override {
    DataGridTest::SetUp();
    Bind();
    sel = grid->SelectionX();
    ASSERT_NE(sel, nullptr);
  }
  // The bookmark of record R (0-based); leaves the data set there.
  TBookmark Bm(int R) {
    ds->First();
    ds->MoveBy(R);
    return ds->Bookmark();
  }
  void SelectRecord(int R, bool Value = true) {
    Bm(R);
    grid->SelectedRows()->SetCurrentRowSelected(Value);
  }
  std::vector<std::string> SelectedNames() {
    std::vector<std::string> r;
    TBookmarkListX* rows = grid->SelectedRows();
    for (int i = 0; i < rows->Count(); ++i) {
      ds->GotoBookmark(rows->Bookmarks(i));
      r.push_back(ds->FieldByName("Name")->AsString());
    }
    return r;
  }
  std::vector<int> SelectedColumnIndexes() {
    std::vector<int> r;
    for (TColumnX* c : *sel->Columns()) r.push_back(c->Index());
    return r;
  }
  // Ten records and a grid that shows three of them.
  void MakeTallDataAndShortGrid() {
    const char* more[] = {"Fay", "Gus", "Hal", "Ida", "Jo"};
    for (int i = 0; i < 5; ++i) {
      ds->Append();
      ds->FieldByName("ID")->SetAsInteger(6 + i);
      ds->FieldByName("Name")->SetAsString(more[i]);
      ds->Post();
    }
    int rowH = grid->DefaultRowHeight() + grid->GridLineWidth();
    // Three data rows, however much a horizontal scroll bar takes.
    int h = grid->RowHeights(0) + grid->GridLineWidth() + 3 * rowH + 2;
    grid->SetBounds(0, 0, 600, h);
    win::PumpMessages();
    while (grid->DataLink()->RecordCount() < 3 && h < 400) {
      grid->SetBounds(0, 0, 600, ++h);
      win::PumpMessages();
    }
    ASSERT_EQ(grid->DataLink()->RecordCount(), 3);
    ds->First();
    win::PumpMessages();
  }
  TDBGridXSelection* sel = nullptr;
};

TEST_F(SelectionTest, RecordsAreKeptOnceInDataSetOrderAndEmptyListMeansNoSelection) {
  EXPECT_EQ(sel->Kind(), selNoneX);
  SelectRecord(3);
  SelectRecord(1);
  SelectRecord(3);  // again: still one entry
  SelectRecord(0, false);  // not selected: nothing changes
  EXPECT_EQ(sel->Kind(), selRecordsX);
  EXPECT_EQ(SelectedNames(), (std::vector<std::string>{"Bob", "Dora"}));
  EXPECT_EQ(grid->SelectedRows()->PositionOf(Bm(3)), 1);
  EXPECT_EQ(grid->SelectedRows()->PositionOf(Bm(2)), -1);
  for (int r = 0; r < 5; ++r) {
    SCOPED_TRACE(r);
    bool want = r == 1 || r == 3;
    EXPECT_EQ(sel->IsCellSelected(2, Bm(r)), want);
    EXPECT_EQ(sel->IsCellSelected(-1, Bm(r)), want);  // the indicator too
  }
  // The grid's cell question: the indicator and data cells of a selected record, no title cell.
  int row = grid->TitleOffset() + 1;
  EXPECT_TRUE(grid->CellSelected(0, row, Bm(1)));
  EXPECT_TRUE(grid->CellSelected(3, row, Bm(1)));
  EXPECT_FALSE(grid->CellSelected(3, 0, Bm(1)));
  EXPECT_EQ(sel->CoveredGridRect(), (TGridRect{0, grid->TitleOffset() + 1, grid->ColCount() - 1, grid->TitleOffset() + 3}));

  SelectRecord(1, false);
  SelectRecord(3, false);
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
  EXPECT_EQ(sel->Kind(), selNoneX);
}

TEST_F(SelectionTest, SearchingTheSameBookmarkTwiceDoesNotCompareAgain) {
  auto* counting = new TCountingMemDataSet(owner.get());
  counting->AddField("ID", ftInteger);
  counting->Open();
  for (int i = 0; i < 8; ++i) {
    counting->Append();
    counting->FieldByName("ID")->SetAsInteger(i);
    counting->Post();
  }
  src->SetDataSet(counting);
  win::PumpMessages();
  for (int r : {1, 4, 6}) {
    counting->First();
    counting->MoveBy(r);
    grid->SelectedRows()->SetCurrentRowSelected(true);
  }
  counting->First();
  counting->MoveBy(4);
  TBookmark b = counting->Bookmark();
  TBookmarkListX* rows = grid->SelectedRows();
  int i = -1;
  counting->Compares = 0;
  ASSERT_TRUE(rows->SearchBookmark(b, i));
  EXPECT_EQ(i, 1);
  EXPECT_GT(counting->Compares, 0);
  counting->Compares = 0;
  i = -1;
  EXPECT_TRUE(rows->SearchBookmark(b, i));
  EXPECT_EQ(i, 1);
  EXPECT_EQ(counting->Compares, 0);
  // A change of the list forgets the remembered answer.
  counting->First();
  counting->MoveBy(2);
  rows->SetCurrentRowSelected(true);
  counting->Compares = 0;
  EXPECT_TRUE(rows->SearchBookmark(b, i));
  EXPECT_EQ(i, 2);
  EXPECT_GT(counting->Compares, 0);
  // Not found: the insertion point.
  counting->First();
  EXPECT_FALSE(rows->SearchBookmark(counting->Bookmark(), i));
  EXPECT_EQ(i, 0);
}

TEST_F(SelectionTest, DeletingTheSelectedRecordsLeavesNoSelection) {
  SelectRecord(0);
  SelectRecord(2);
  SelectRecord(4);
  grid->SelectedRows()->Delete();
  win::PumpMessages();
  EXPECT_EQ(ds->RecordCount(), 2);
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
  EXPECT_EQ(sel->Kind(), selNoneX);
  ds->First();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Bob");
  ds->Next();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Dora");
}

TEST_F(SelectionTest, RecordsDeletedElsewhereDropOutOfTheSelection) {
  SelectRecord(1);
  SelectRecord(3);
  Bm(1);
  ds->Delete();
  win::PumpMessages();
  EXPECT_EQ(SelectedNames(), (std::vector<std::string>{"Dora"}));
  EXPECT_EQ(sel->Kind(), selRecordsX);
  Bm(2);  // Dora, now the third record
  ASSERT_EQ(ds->FieldByName("Name")->AsString(), "Dora");
  ds->Delete();
  win::PumpMessages();
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
  EXPECT_EQ(sel->Kind(), selNoneX);
}

TEST_F(SelectionTest, SelectedRecordsSurviveScrolling) {
  MakeTallDataAndShortGrid();
  ASSERT_LT(grid->DataLink()->RecordCount(), 10);  // only part of the data set is in view
  SelectRecord(1);
  ds->First();
  win::PumpMessages();
  int top = grid->TitleOffset();
  EXPECT_EQ(sel->CoveredGridRect().Top, top + 1);
  ds->Last();  // the selected record scrolls out of view
  win::PumpMessages();
  EXPECT_EQ(sel->CoveredGridRect().Left, -1);
  EXPECT_TRUE(sel->IsRowSelected(Bm(1)));
  EXPECT_FALSE(sel->IsRowSelected(Bm(9)));
  ds->First();
  win::PumpMessages();
  EXPECT_EQ(sel->CoveredGridRect().Top, top + 1);
  EXPECT_EQ(SelectedNames(), (std::vector<std::string>{"Bob"}));
}

TEST_F(SelectionTest, RectangleSpansItsCornersInEitherDirection) {
  TDBGridXSelectionRect* rect = sel->Rect();
  SelectRecord(0);  // a records selection gives way to the rectangle
  // Dragged upward and leftward: from (col 3, record 3) to (col 1, record 1).
  rect->Select(3, Bm(3), false);
  EXPECT_EQ(sel->Kind(), selNoneX);  // one cell is no rectangle yet
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
  rect->Select(1, Bm(1), true);
  EXPECT_EQ(sel->Kind(), selRectangleX);
  EXPECT_EQ(rect->LeftCol(), 1);
  EXPECT_EQ(rect->RightCol(), 3);
  EXPECT_EQ(rect->TopRow(), Bm(1));
  EXPECT_EQ(rect->BottomRow(), Bm(3));
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 6; ++c) {
      SCOPED_TRACE(testing::Message() << "record " << r << " column " << c);
      EXPECT_EQ(sel->IsCellSelected(c, Bm(r)), r >= 1 && r <= 3 && c >= 1 && c <= 3);
    }
  EXPECT_FALSE(sel->IsCellSelected(-1, Bm(2)));  // not the indicator
  int top = grid->TitleOffset();
  EXPECT_EQ(sel->CoveredGridRect(), (TGridRect{2, top + 1, 4, top + 3}));
  TRect screen = rect->ScreenRectOfSelection();
  TRect box = grid->BoxRect(2, top + 1, 4, top + 3);
  EXPECT_EQ(screen.Left, box.Left);
  EXPECT_EQ(screen.Top, box.Top);
  EXPECT_GE(screen.Right, box.Right);

  // Shrinking to the anchor cell leaves no selection.
  rect->Select(3, Bm(3), true);
  EXPECT_EQ(sel->Kind(), selNoneX);
  EXPECT_FALSE(sel->IsCellSelected(3, Bm(3)));
}

TEST_F(SelectionTest, RectangleSurvivesScrollingAndLosesADeletedCorner) {
  MakeTallDataAndShortGrid();
  TDBGridXSelectionRect* rect = sel->Rect();
  rect->Select(0, Bm(2), false);
  rect->Select(1, Bm(7), true);
  ASSERT_EQ(sel->Kind(), selRectangleX);
  ds->First();
  win::PumpMessages();
  int top = grid->TitleOffset();
  // Records 0..2 are in view: only record 2 of the rectangle shows.
  EXPECT_EQ(rect->GridRectOfSelection(), (TGridRect{1, top + 2, 2, top + 2}));
  ds->Last();
  win::PumpMessages();
  EXPECT_TRUE(sel->IsCellSelected(1, Bm(5)));
  EXPECT_FALSE(sel->IsCellSelected(1, Bm(8)));
  Bm(7);
  ds->Delete();
  win::PumpMessages();
  EXPECT_EQ(sel->Kind(), selNoneX);
  EXPECT_TRUE(rect->Empty());
}

TEST_F(SelectionTest, ShiftSelectedColumnsGrowAndShrinkFromTheAnchor) {
  TDBGridXSelectionCols* cols = sel->Columns();
  cols->SelectSingleColumn(Col(2), false);
  cols->ShiftSelectColumn(Col(5));
  EXPECT_EQ(SelectedColumnIndexes(), (std::vector<int>{2, 3, 4, 5}));
  cols->ShiftSelectColumn(Col(3));
  EXPECT_EQ(SelectedColumnIndexes(), (std::vector<int>{2, 3}));
  cols->ShiftSelectColumn(Col(0));  // across the anchor
  EXPECT_EQ(SelectedColumnIndexes(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(sel->Kind(), selColumnsX);

  // A column selected by Ctrl before the Shift keeps its state when the range shrinks past it.
  cols->SelectSingleColumn(Col(1), false);
  cols->InvertColumn(Col(4));  // anchor moves to 4
  cols->ShiftSelectColumn(Col(2));
  EXPECT_EQ(SelectedColumnIndexes(), (std::vector<int>{1, 2, 3, 4}));
  cols->ShiftSelectColumn(Col(4));
  EXPECT_EQ(SelectedColumnIndexes(), (std::vector<int>{1, 4}));

  // Hidden columns are never added.
  Col(3)->SetVisible(false);
  win::PumpMessages();
  cols->SelectSingleColumn(Col(2), false);
  cols->ShiftSelectColumn(Col(4));
  EXPECT_EQ(SelectedColumnIndexes(), (std::vector<int>{2, 4}));

  // Cells: every row of a selected column, and its title cell.
  EXPECT_TRUE(sel->IsCellSelected(2, Bm(0)));
  EXPECT_FALSE(sel->IsCellSelected(1, Bm(0)));
  EXPECT_TRUE(grid->CellSelected(grid->DataToRawColumn(4), 0, TBookmark()));
  EXPECT_FALSE(grid->CellSelected(0, grid->TitleOffset(), Bm(0)));
  EXPECT_EQ(sel->CoveredGridRect(), (TGridRect{3, 0, 5, grid->RowCount() - 1}));

  // Ctrl on the only selected column empties the list: no selection.
  cols->SelectSingleColumn(Col(1), false);
  cols->InvertColumn(Col(1));
  EXPECT_TRUE(cols->empty());
  EXPECT_EQ(sel->Kind(), selNoneX);
}

TEST_F(SelectionTest, DeletedColumnsLeaveTheColumnSelection) {
  grid->Columns()->Clear();
  for (const char* f : {"ID", "Name", "Amount"}) grid->Columns()->Add()->SetFieldName(f);
  win::PumpMessages();
  sel->Columns()->SelectSingleColumn(Col(1), false);
  sel->Columns()->ShiftSelectColumn(Col(2));
  delete Col(1);
  win::PumpMessages();
  EXPECT_EQ(SelectedColumnIndexes(), (std::vector<int>{1}));  // Amount, now at index 1
  delete Col(1);
  win::PumpMessages();
  EXPECT_TRUE(sel->Columns()->empty());
  EXPECT_EQ(sel->Kind(), selNoneX);
}

TEST_F(SelectionTest, EverythingAndSwitchingBetweenKinds) {
  sel->Columns()->SelectSingleColumn(Col(1), false);
  sel->SelectAll();
  EXPECT_EQ(sel->Kind(), selAllX);
  EXPECT_TRUE(sel->Columns()->empty());
  EXPECT_TRUE(sel->IsCellSelected(0, Bm(4)));
  EXPECT_TRUE(grid->CellSelected(0, 0, TBookmark()));
  EXPECT_EQ(sel->CoveredGridRect(), (TGridRect{0, 0, grid->ColCount() - 1, grid->RowCount() - 1}));

  // Marking a record replaces "all" by a records selection.
  SelectRecord(2);
  EXPECT_EQ(sel->Kind(), selRecordsX);
  EXPECT_FALSE(sel->IsCellSelected(0, Bm(4)));
  // A column click replaces the records.
  sel->Columns()->SelectSingleColumn(Col(0), false);
  EXPECT_EQ(sel->Kind(), selColumnsX);
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
  sel->Clear();
  EXPECT_EQ(sel->Kind(), selNoneX);
  EXPECT_TRUE(sel->Columns()->empty());
  EXPECT_EQ(sel->CoveredGridRect().Left, -1);
}

TEST_F(SelectionTest, ClosedDataEndsTheSelectionAndRefusesBookmarkQuestions) {
  SelectRecord(1);
  SelectRecord(2);
  ds->Close();
  win::PumpMessages();
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
  EXPECT_EQ(sel->Kind(), selNoneX);
  EXPECT_FALSE(grid->SelectedRows()->DataActive());
  try {
    grid->SelectedRows()->CurrentBookmark();
    ADD_FAILURE() << "no error on a closed data set";
  } catch (const EInvalidGridOperation& e) {
    EXPECT_STREQ(e.what(), "Cannot perform this operation on a closed dataset");
  }
  EXPECT_THROW(sel->Rect()->TopRow(), EInvalidGridOperation);
  EXPECT_THROW(sel->Rect()->CellSelected(0, TBookmark("x")), EInvalidGridOperation);
  ds->Open();
  win::PumpMessages();
  EXPECT_TRUE(grid->SelectedRows()->DataActive());
}

TEST_F(SelectionTest, SelectedRecordsAreFoundAfterTheDataSetIsReSorted) {
  SelectRecord(0);  // Ann
  SelectRecord(1);  // Bob
  SelectRecord(4);  // Émile
  ds->SetDescFields("ID");
  ds->SetIndexFieldNames("ID");
  win::PumpMessages();
  ds->First();
  ASSERT_EQ(ds->FieldByName("Name")->AsString(), "Émile");
  std::vector<std::string> selected;
  for (ds->First(); !ds->Eof(); ds->Next())
    if (sel->IsRowSelected(ds->Bookmark())) selected.push_back(ds->FieldByName("Name")->AsString());
  EXPECT_EQ(selected, (std::vector<std::string>{"Émile", "Bob", "Ann"}));
  EXPECT_EQ(SelectedNames(), (std::vector<std::string>{"Émile", "Bob", "Ann"}));
}

// Row highlight marks the current row's other cells only while nothing is selected, whatever the kind.
TEST_F(SelectionTest, RowHighlightGivesWayToEverySelectionKind) {
  grid->SetOptions(grid->Options() + gdoAlwaysShowSelection);
  grid->SetOptionsX(grid->OptionsX() + gxoRowHighlight);
  TDBGridXStyle style;
  auto highlighted = [&] {
    TFont f;
    TColor back = clWindow;
    return style.GetDataCellColors(grid, 2, 1, &f, back, {}, false, false, true);
  };
  EXPECT_TRUE(highlighted());
  sel->SelectEverything();
  EXPECT_FALSE(highlighted());
  sel->EmptySelection();
  EXPECT_TRUE(highlighted());
  SelectRecord(1);
  EXPECT_FALSE(highlighted());
}
