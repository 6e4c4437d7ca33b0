// The grid unit's start-up: style, data service, images drawn in code, cursors, shortcuts.

#include <gtest/gtest.h>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXUnit.h"
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
