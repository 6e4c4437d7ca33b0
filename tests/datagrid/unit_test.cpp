// The grid unit's start-up: style, data service, images drawn in code, cursors, shortcuts.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXUnit.h"
#include "dataedit/DbUtilsX.h"
#include "platform/data/memdataset.h"
#include "platform/win/testing.h"

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
// Records what the grid's data service asks of the features object of in-memory data sets.
class TRecordingFeatures : public TDatasetFeaturesX {
 public:
  TRecordingFeatures(std::vector<std::string>* Log) : TDatasetFeaturesX(TMemDataSet::StaticClass()), FLog(Log) {}
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
// the grid's data set; a grid without a data set, or a data set without features, is left alone.
TEST(DBGridXUnitStart, DefaultRoutesGoThroughTheDataSetsFeatures) {
  win::ResetWindowManager();
  DbUtilsX::Initialize();
  DBGridXUnit::Initialize();
  std::vector<std::string> log;
  {
    TMemDataSet ds(nullptr);
    ds.SetName("People");
    TDataSource src(nullptr);
    src.SetDataSet(&ds);
    TDBGridX grid(nullptr);
    grid.SetName("Grid");
    DBGridXDataService->ApplyFilter(&grid);  // no data source yet
    grid.SetDataSource(&src);
    DBGridXDataService->ApplyFilter(&grid);  // no features registered
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
