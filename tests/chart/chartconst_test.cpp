// The message table: its size, its order and a few texts other code relies on.
#include <algorithm>
#include <set>

#include "tests/chart/chart_fixture.h"

namespace {

TEST(ChartMessages, TheTableHoldsEveryTextInItsOrder) {
  const auto& table = ChartMessageTable();
  ASSERT_EQ(static_cast<int>(table.size()), ChartMessageCount);
  EXPECT_EQ(ChartMessageCount, 327);
  EXPECT_EQ(*table.front(), "Test...");
  EXPECT_EQ(*table.back(), "Summary properties");
  for (size_t i = 0; i < table.size(); ++i) EXPECT_FALSE(table[i]->empty()) << i;
  // Each variable appears once.
  std::set<std::string*> distinct(table.begin(), table.end());
  EXPECT_EQ(distinct.size(), table.size());
}

TEST(ChartMessages, SpecialTexts) {
  EXPECT_EQ(ChartMsgNumberFormatX10, "#.0 \"x10\" E+0");
  EXPECT_EQ(ChartMsgPercentOfLines, "%s\rof %s");
  EXPECT_EQ(ChartMsgHorizontalBar, "Horizontal\rBar");
  EXPECT_EQ(ChartMsgDefaultValueFormat, "#,##0.###");
  EXPECT_EQ(ChartMsgDefaultFontSize, "8");
  EXPECT_EQ(ChartMsgArial, "Arial");
  const std::string ext = ChartFileExtension;
  EXPECT_EQ(ext.size(), 3u);
  EXPECT_EQ(ChartMsgInvalidChartFile, "Invalid Chart in *." + ext + " file");
  EXPECT_EQ(ChartMsgWrongFileFormat, "Wrong *." + ext + " file format");
  EXPECT_EQ(ChartMsgEmptyFile, "Empty *." + ext + " file");
  // The joined texts follow "Small Dots".
  const auto& table = ChartMessageTable();
  auto at = std::find(table.begin(), table.end(), &ChartMsgSmallDots);
  ASSERT_NE(at, table.end());
  EXPECT_EQ(at[1], &ChartMsgInvalidChartFile);
  EXPECT_EQ(at[3], &ChartMsgEmptyFile);
  // Sixteen palette names after the "Default" that precedes them.
  auto pal = std::find(table.begin(), table.end(), &ChartMsgCorvane);
  ASSERT_NE(pal, table.end());
  EXPECT_EQ(*pal[-1], "Default");
  EXPECT_EQ(*pal[15], "Cool");
}

TEST(ChartMessages, StopClearsAndStartAssignsAgain) {
  ChartConst::Finalize();
  EXPECT_TRUE(ChartMsgInvert.empty());
  EXPECT_TRUE(ChartMsgSummaryProperties.empty());
  ChartConst::Initialize();
  EXPECT_EQ(ChartMsgInvert, "Invert");
}

}  // namespace
