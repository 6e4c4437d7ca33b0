// The chart library's units start and stop in their order from the program's unit list, twice in one
// process, registering everything once and leaving nothing behind.
#include <gtest/gtest.h>

#include "chart/Chart.h"
#include "chart/ChartConst.h"
#include "chart/ChartFilters.h"
#include "platform/classes/units.h"
#include "platform/controls/controls.h"

namespace {

const char* const kUnits[] = {"ChartConst", "ChartHelpers", "ChartCanvas", "ChartFilters", "ChartProcs", "ChartEngine", "Chart"};
HCURSOR HandSeen = nullptr;  // the hand cursor while the library runs
const char* const kEngineClasses[] = {"TChartAxisTitle", "TChartAxis", "TChartDepthAxis", "TSeriesMarks"};

void ExpectStarted() {
  for (const char* u : kUnits) EXPECT_EQ(ChartLibrary::StartCount(u), 1) << u;
  EXPECT_EQ(ChartMsgArial, "Arial");
  EXPECT_EQ(ChartMsgDefaultValueFormat, "#,##0.###");
  ASSERT_NE(ChartHelperListA(), nullptr);
  ASSERT_NE(ChartHelperListB(), nullptr);
  EXPECT_TRUE(ChartCanvas::IsWinNT);
  EXPECT_NE(ChartCanvas::EmptyRegion, nullptr);
  EXPECT_EQ(ChartCanvas::DefaultChartFontName, "Arial");
  EXPECT_EQ(GradientRotateProc, &RotateGradientBitmap);
  EXPECT_EQ(FilterClasses().size(), 21u);
  EXPECT_NE(GetClass("TZoomFilter"), nullptr);
  EXPECT_NE(GetClass("TInvertFilter"), nullptr);
  for (const char* c : kEngineClasses) EXPECT_NE(GetClass(c), nullptr) << c;
  EXPECT_EQ(ColorPalette.size(), 20u);
  HandSeen = GetCursorHandle(crChartHand);
  EXPECT_NE(HandSeen, nullptr);
  EXPECT_NE(HandSeen, GetCursorHandle(crDefault));
  EXPECT_EQ(ChartCoordinateLimit, 0x3FFFFFF);
  ASSERT_NE(ColorPalettes(), nullptr);
  ASSERT_EQ(ColorPalettes()->Count(), 16);
  EXPECT_EQ(ColorPalettes()->Strings(0), "Corvane");
  EXPECT_EQ(ColorPalettes()->Strings(15), "Cool");
  EXPECT_EQ(ColorPalettes()->IndexOf("Default"), -1);
  EXPECT_EQ(ChartSeriesTypes()->Count(), 0);
  // Objects of the library can be made by name while it runs.
  std::unique_ptr<TObject> axis = CreateObject("TChartAxis");
  EXPECT_EQ(axis->ClassType(), TChartAxis::StaticClass());
}

void ExpectStopped() {
  for (const char* u : kUnits) EXPECT_EQ(ChartLibrary::StartCount(u), 0) << u;
  EXPECT_EQ(ChartMsgArial, "");
  EXPECT_EQ(ChartHelperListA(), nullptr);
  EXPECT_EQ(ChartCanvas::EmptyRegion, nullptr);
  EXPECT_EQ(GradientRotateProc, nullptr);
  EXPECT_TRUE(FilterClasses().empty());
  EXPECT_EQ(GetClass("TZoomFilter"), nullptr);
  EXPECT_EQ(GetClass("TInvertFilter"), nullptr);
  for (const char* c : kEngineClasses) EXPECT_EQ(GetClass(c), nullptr) << c;
  EXPECT_TRUE(ColorPalette.empty());
  EXPECT_NE(GetCursorHandle(crChartHand), HandSeen);  // back to the default
  EXPECT_EQ(ColorPalettes(), nullptr);
}

TEST(ChartLibraryStartUp, StartsAndStopsTwiceFromTheUnitList) {
  ChartLibrary::AddUnits();
  std::vector<std::string> names = UnitNames();
  EXPECT_EQ(names, std::vector<std::string>(std::begin(kUnits), std::end(kUnits)));
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    InitializeUnits();
    ExpectStarted();
    // A registration made while running goes with the registry.
    RegisterChartSeries(TChartAxis::StaticClass(), "Line", "Standard");
    RegisterChartTool(TChartAxis::StaticClass(), "Axis");
    EXPECT_EQ(ChartSeriesTypes()->Count(), 1);
    FinalizeUnits();
    ExpectStopped();
  }
  ClearUnits();
}

TEST(ChartLibraryStartUp, ASecondStartRegistersNothingTwice) {
  ChartLibrary::Initialize();
  ChartLibrary::Initialize();
  for (const char* u : kUnits) EXPECT_EQ(ChartLibrary::StartCount(u), 2) << u;
  EXPECT_EQ(FilterClasses().size(), 21u);
  EXPECT_EQ(ColorPalettes()->Count(), 16);
  // The first stop leaves everything in place; only the last one undoes it.
  ChartLibrary::Finalize();
  for (const char* u : kUnits) EXPECT_EQ(ChartLibrary::StartCount(u), 1) << u;
  EXPECT_NE(GetClass("TChartAxis"), nullptr);
  EXPECT_NE(GetClass("TZoomFilter"), nullptr);
  EXPECT_EQ(ColorPalettes()->Count(), 16);
  ChartLibrary::Finalize();
  ExpectStopped();
  // One stop too many does nothing.
  ChartLibrary::Finalize();
  ExpectStopped();
}

bool NotNT() { return false; }

TEST(ChartLibraryStartUp, OutsideTheNTFamilyPositionsStopAt32767) {
  TChartCanvasPlatform p = DefaultChartCanvasPlatform();
  p.IsNTFamily = &NotNT;
  SetChartCanvasPlatform(p);
  ChartLibrary::Initialize();
  EXPECT_EQ(ChartCoordinateLimit, 0x7FFF);
  EXPECT_FALSE(ChartCanvas::CanAlphaBlend);
  {
    TChartAxis axis(nullptr);
    axis.SetMinMax(0, 100000);
    axis.SetHorizontal(true);
    axis.SetPixelRange(0, 100000);
    axis.AdjustRange();
    EXPECT_EQ(axis.CalcPosValue(50000), 50000 > 0x7FFF ? 0x7FFF : 50000);
    EXPECT_EQ(axis.CalcPosValue(100000), 0x7FFF);
  }
  ChartLibrary::Finalize();
  SetChartCanvasPlatform(DefaultChartCanvasPlatform());
  ExpectStopped();
}

}  // namespace
