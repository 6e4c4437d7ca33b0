// The grid unit's start-up: style, data service, images drawn in code, cursors, shortcuts.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXUnit.h"
#include "dataedit/DbUtilsX.h"
#include "platform/data/memdataset.h"
#include "platform/win/testing.h"
#include "tests/datagrid/grid_fixture.h"

TEST(DBGridXUnitStart, SetsUpAndPairsCalls) {
  win::ResetWindowManager();
  DBGridXUnit::Initialize();
  DBGridXUnit::Initialize();  // a second call only counts
  ASSERT_NE(DefaultGridStyle, nullptr);
  ASSERT_NE(DBGridXDataService, nullptr);
  ASSERT_NE(IndicatorImages, nullptr);
  EXPECT_EQ(IndicatorImages->Count(), 7);
  EXPECT_EQ(IndicatorImages->Width(), 6);
  EXPECT_EQ(IndicatorImages->Height(), 11);
  EXPECT_EQ(SortMarkerImages->Count(), 2);
  EXPECT_EQ(SortMarkerFont->Height(), -8);
  EXPECT_EQ(SortMarkerFont->Name(), "Arial");
  EXPECT_NE(ColumnSelectCursor, nullptr);
  EXPECT_NE(RowSelectCursor, nullptr);
  EXPECT_NE(RowSelectCursorRTL, nullptr);
  EXPECT_EQ(SearchShortCut, ShortCut(70, TShiftState{ssCtrl}));
  EXPECT_EQ(SearchTimeoutDefault, 1500);
  RefreshSearchIndicatorImage();
  EXPECT_EQ(IndicatorImages->Count(), 7);
  // A new grid attaches to the default style.
  {
    TDBGridX g(nullptr);
    EXPECT_EQ(g.Style(), DefaultGridStyle);
    EXPECT_TRUE(DefaultGridStyle->HasGrid(&g));
  }
  EXPECT_EQ(DefaultGridStyle->GridCount(), 0);
  // The data service calls its handlers when assigned.
  int filters = 0;
  DBGridXDataService->OnApplyFilter = [&](TCustomDBGridX*) { ++filters; };
  DBGridXDataService->ApplyFilter(nullptr);
  DBGridXDataService->ApplySorting(nullptr);  // no handler, no features: nothing happens
  EXPECT_EQ(filters, 1);
  DBGridXUnit::Finalize();
  EXPECT_NE(DefaultGridStyle, nullptr);  // still paired with the first call
  DBGridXUnit::Finalize();
  EXPECT_EQ(DefaultGridStyle, nullptr);
  EXPECT_EQ(IndicatorImages, nullptr);
  win::ResetWindowManager();
}

namespace {
// A data set class of its own, so that a features object can be registered for it alone.
class TPeopleDataSet : public TMemDataSet {
  DECLARE_CLASS(TPeopleDataSet, TMemDataSet)
  using TMemDataSet::TMemDataSet;
};

// Records what the grid's data service asks of the features object of the people data sets.
class TRecordingFeatures : public TDatasetFeaturesX {
 public:
  TRecordingFeatures(std::vector<std::string>* Log) : TDatasetFeaturesX(TPeopleDataSet::StaticClass()), FLog(Log) {}
  void ApplySorting(TComponent* Grid, TDataSet* DataSet, bool IsReopen) override { Note("sort", Grid, DataSet, IsReopen); }
  void ApplyFilter(TComponent* Grid, TDataSet* DataSet, bool IsReopen) override { Note("filter", Grid, DataSet, IsReopen); }

 private:
  void Note(const char* What, TComponent* Grid, TDataSet* DataSet, bool IsReopen) {
    FLog->push_back(std::string(What) + " " + Grid->Name() + " " + DataSet->Name() + (IsReopen ? " reopen" : ""));
  }
  std::vector<std::string>* FLog;
};
}  // namespace

// Without handlers the data service hands filtering and sorting to the features object registered for
// the grid's data set, the one of its nearest class (the unit's start-up registers the in-memory data
// set's); a grid without a data set is left alone.
TEST(DBGridXUnitStart, DefaultRoutesGoThroughTheDataSetsFeatures) {
  win::ResetWindowManager();
  DbUtilsX::Initialize();
  DBGridXUnit::Initialize();
  std::vector<std::string> log;
  {
    TPeopleDataSet ds(nullptr);
    ds.SetName("People");
    TDataSource src(nullptr);
    src.SetDataSet(&ds);
    TDBGridX grid(nullptr);
    grid.SetName("Grid");
    DBGridXDataService->ApplyFilter(&grid);  // no data source yet
    grid.SetDataSource(&src);
    DBGridXDataService->ApplyFilter(&grid);  // the in-memory data set's features: not the recording ones
    EXPECT_TRUE(log.empty());
    RegisterDatasetFeatures(new TRecordingFeatures(&log));
    DBGridXDataService->ApplyFilter(&grid);
    DBGridXDataService->ApplySorting(&grid);
    grid.SetDataSource(nullptr);
  }
  EXPECT_EQ(log, (std::vector<std::string>{"filter Grid People reopen", "sort Grid People reopen"}));
  DBGridXUnit::Finalize();
  DbUtilsX::Finalize();
  win::ResetWindowManager();
}

// A program that never runs the unit's start-up: its first grid starts the unit, so the grid shows the
// current-record arrow and a title click sorts. A later start-up of the program's own takes that over,
// and its finalisation releases the unit.
class UnstartedGridTest : public DataGridTest {
 protected:
  void SetUp() override {
    while (DBGridXDataService) DBGridXUnit::Finalize();  // nothing left from earlier tests
    DataGridTest::SetUp();
  }
};

TEST_F(UnstartedGridTest, TheFirstGridStartsTheUnit) {
  EXPECT_NE(DBGridXDataService, nullptr);
  EXPECT_EQ(grid->Style(), DefaultGridStyle);
  Bind();
  grid->Repaint();
  win::PumpMessages();
  // The arrow on the current record's indicator cell.
  TRect ind = grid->CellRect(0, grid->Row());
  bool arrow = false;
  for (int y = ind.Top; y < ind.Bottom; ++y)
    for (int x = ind.Left; x < ind.Right; ++x) arrow = arrow || win::GetWindowPixel(grid->Handle(), x, y) == RGB(0, 0, 0);
  EXPECT_TRUE(arrow);
  // A title click sorts: Code holds Y N Y ? N, so "?" (Dora) comes first.
  grid->ColumnDefValues()->Title()->SetTitleButton(true);
  auto o = grid->OptionsX();
  o.Include(gxoAutoSortMarking);
  grid->SetOptionsX(o);
  win::PumpMessages();
  TRect code = grid->CellRect(grid->DataToRawColumn(5), 0);
  TPoint at = grid->ClientToScreen(TPoint((code.Left + code.Right) / 2, (code.Top + code.Bottom) / 2));
  win::Click(at.X, at.Y);
  win::PumpMessages();
  ds->First();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Dora");

  owner.reset();
  DBGridXUnit::Initialize();  // the program's own start-up, late
  DBGridXUnit::Finalize();
  EXPECT_EQ(DBGridXDataService, nullptr);
  EXPECT_EQ(IndicatorImages, nullptr);
}
