// Chart axes: the 1-2-5 rule, number, logarithmic and date-time increments, range rounding, value to
// pixel mapping, validations, label texts under a locale set here, and streaming.
#include <cfloat>
#include <cmath>
#include <limits>

#include "chart/ChartConst.h"
#include "tests/chartengine/engine_fixture.h"

namespace {

class AxisTest : public ::testing::Test {
 protected:
  TTestChart chart;
  // The six built-in axes come first; the first is the one under test.
  std::vector<std::unique_ptr<TChartAxis>> builtIn;
  TChartAxis* axis = nullptr;
  void SetUp() override {
    for (int i = 0; i < 6; ++i) builtIn.push_back(std::make_unique<TChartAxis>(&chart));
    axis = builtIn[0].get();
  }
  // The tests' series are gone by now; the axes must not visit them when they go.
  void TearDown() override { chart.SeriesItems.clear(); }
  // A fixed range on pixels Start..End.
  void Range(TChartAxis* A, double Min, double Max, int Start, int End) {
    A->SetMinMax(Min, Max);
    A->SetPixelRange(Start, End);
    A->AdjustRange();
  }
};

TEST(NextStep, OneTwoFiveRule) {
  struct Case {
    double x, expected;
  } cases[] = {{1, 2},     {2, 5},     {5, 10},     {7, 10},     {0.3, 0.5}, {20, 50},
               {99, 100},  {1.5, 2},   {0.02, 0.05}, {5000, 10000}, {1e-7, 2e-7}};
  for (const Case& c : cases) EXPECT_NEAR(NextStep(c.x), c.expected, c.expected * 1e-12) << c.x;
  // No next step in the rule: infinity, zero, negatives and NaN give 1 (and return at all).
  for (double x : {std::numeric_limits<double>::infinity(), 0.0, -3.0, std::numeric_limits<double>::quiet_NaN()})
    EXPECT_EQ(NextStep(x), 1) << x;
  // The extremes of the number range still end.
  EXPECT_GT(NextStep(DBL_MIN / 8), 0);
  EXPECT_TRUE(std::isfinite(NextStep(DBL_MAX / 2)) || std::isinf(NextStep(DBL_MAX / 2)));
}

TEST_F(AxisTest, NumberIncrements) {
  struct Case {
    double min, max, increment;
    int maxLabels;
    double expected;
  } cases[] = {
      {0, 100, 0, 10, 10}, {0, 100, 0, 5, 20}, {0, 1, 0, 4, 0.5}, {0, 100, 25, 10, 25},
      {5, 5, 0, 10, 1},    {-50, 50, 0, 4, 50}, {0, 0.001, 0, 10, 0.0001},
  };
  for (const Case& c : cases) {
    axis->SetIncrement(c.increment);
    Range(axis, c.min, c.max, 0, 500);
    EXPECT_NEAR(axis->ComputeNumberStep(c.maxLabels), c.expected, c.expected * 1e-9)
        << c.min << ".." << c.max << " inc " << c.increment << " labels " << c.maxLabels;
  }
  axis->SetIncrement(0);
  // Extreme ranges end: a huge one grows to about a tenth of itself, a denormal one stops at the floor.
  Range(axis, 0, 1e300, 0, 500);
  EXPECT_NEAR(axis->ComputeNumberStep(10) / 1e299, 1, 1e-9);
  Range(axis, 0, DBL_MAX, 0, 500);
  EXPECT_TRUE(axis->ComputeNumberStep(10) > 0);
  Range(axis, 0, 1e-320, 0, 500);
  EXPECT_EQ(axis->ComputeNumberStep(10), 1e-12);
  // Fewer than one label: the smallest steps.
  EXPECT_EQ(axis->ComputeAxisStep(0), 1e-12);
  axis->SetIsDateTime(true);
  EXPECT_DOUBLE_EQ(axis->ComputeAxisStep(0), 1.0 / 86400e6);
}

TEST_F(AxisTest, LogarithmicIncrements) {
  struct Case {
    double min, max, base;
    int maxLabels;
    double expected;
  } cases[] = {{1, 1e6, 10, 10, 1e5}, {1, 1e6, 10, 3, 1e6}, {1, 1024, 2, 10, 128}, {1, 1024, 2, 4, 256}};
  for (const Case& c : cases) {
    axis->SetLogarithmic(false);
    Range(axis, c.min, c.max, 0, 500);
    axis->SetLogarithmicBase(c.base);
    axis->SetLogarithmic(true);
    axis->AdjustRange();
    EXPECT_NEAR(axis->ComputeNumberStep(c.maxLabels), c.expected, c.expected * 1e-9) << c.max << " base " << c.base;
  }
  // A range below 1 gives increments that are negative powers; the loop still ends.
  axis->SetLogarithmic(false);
  Range(axis, 0, 1e-300, 0, 500);
  axis->SetLogarithmic(true);
  EXPECT_GT(axis->ComputeNumberStep(10), 0);
  // An increment that comes out 0 would be multiplied by the base for ever: it ends at the floor.
  axis->SetLogarithmic(false);
  Range(axis, 0, 5e-324, 0, 500);
  axis->SetLogarithmic(true);
  EXPECT_EQ(axis->ComputeNumberStep(10), 1e-12);
}

TEST_F(AxisTest, AnInfiniteRangeEndsWithTheRange) {
  Range(axis, -DBL_MAX, DBL_MAX, 0, 500);
  EXPECT_TRUE(std::isinf(axis->ComputeNumberStep(10)));
  axis->SetIsDateTime(true);
  EXPECT_TRUE(std::isinf(axis->ComputeDateStep(10)));
}

TEST_F(AxisTest, DateTimeIncrements) {
  struct Case {
    double range, increment;
    int maxLabels;
    double expected;
  } cases[] = {{10, 0, 5, 2}, {365, 0, 12, 30}, {3650, 0, 4, 1460}, {10, 7, 5, 7}, {1, 0, 24, 1.0 / 24},
               {1.0 / 24, 0, 4, 15.0 / 1440}};
  axis->SetIsDateTime(true);
  for (const Case& c : cases) {
    axis->SetIncrement(c.increment);
    Range(axis, 45000, 45000 + c.range, 0, 500);
    EXPECT_NEAR(axis->ComputeDateStep(c.maxLabels), c.expected, c.expected * 1e-9) << c.range << " labels " << c.maxLabels;
  }
}

// Labels 10 pixels long with a separation of 10% take 10 + Round(1) = 11 pixels: Round(100 / 11) = 9
// fit on 100 pixels, so 0..100 steps by 20 (100 / 10 labels would be 10, one label too many). Without
// a separation 10 labels fit and the step is not grown at all: 100 / (10 + 1).
TEST_F(AxisTest, LabelSeparationWidensTheStep) {
  Range(axis, 0, 100, 0, 100);
  ASSERT_EQ(axis->LabelsSeparation(), 10);
  EXPECT_DOUBLE_EQ(axis->ComputeLabelStep(10), 20);
  axis->SetLabelsSeparation(0);
  EXPECT_DOUBLE_EQ(axis->ComputeLabelStep(10), 100.0 / 11);
}

TEST_F(AxisTest, RangeRoundsToTheIncrementFromLabelSizes) {
  TTestSeries s(&chart, axis, builtIn[1].get());
  chart.SeriesItems.push_back(&s);
  s.AddXY(3, 1, "");
  s.AddXY(947, 2, "");
  axis->SetHorizontal(true);
  axis->SetPixelRange(0, 500);
  axis->SetMaximumRound(true);
  axis->SetMinimumRound(true);
  axis->AdjustRange();
  EXPECT_EQ(axis->Maximum(), 947);
  EXPECT_EQ(axis->Minimum(), 3);
  EXPECT_DOUBLE_EQ(axis->IMaximum(), 1000);
  EXPECT_DOUBLE_EQ(axis->IMinimum(), 0);
  EXPECT_DOUBLE_EQ(axis->IRange(), 1000);
  // Without rounding the working range is the series's.
  axis->SetMaximumRound(false);
  axis->SetMinimumRound(false);
  axis->AdjustRange();
  EXPECT_DOUBLE_EQ(axis->IMaximum(), 947);
  EXPECT_DOUBLE_EQ(axis->IMinimum(), 3);
}

// With both roundings the maximum is rounded first and the range recalculated, so the minimum's step
// comes from the new range. Worked by hand (6 pixels a character, separation 10%):
// 28..261 on 300 pixels: labels "144.5" (30 px) fit Round(300 / 33) = 9, step 50, maximum 300; then the
// range 28..300 gives "20.5" (24 px), Round(300 / 26) = 12 labels, 272 / 13 grows to 50, minimum 0.
// 112..754 on 150 pixels: "216.5" fits 5, step 200, maximum 800; then 112..800 gives "28.5", 6 labels,
// 688 / 7 grows to 200, minimum 0.
TEST_F(AxisTest, BothRoundingsRoundTheMinimumWithTheNewRange) {
  struct Case {
    double lo, hi;
    int pixels;
    double wantMin, wantMax;
  } cases[] = {{28, 261, 300, 0, 300}, {112, 754, 150, 0, 800}};
  for (const Case& c : cases) {
    TTestSeries s(&chart, axis, builtIn[1].get());
    chart.SeriesItems = {&s};
    s.AddXY(c.lo, 1, "");
    s.AddXY(c.hi, 2, "");
    axis->SetHorizontal(true);
    axis->SetPixelRange(0, c.pixels);
    axis->SetMaximumRound(true);
    axis->SetMinimumRound(true);
    axis->AdjustRange();
    EXPECT_DOUBLE_EQ(axis->IMinimum(), c.wantMin) << c.lo << ".." << c.hi;
    EXPECT_DOUBLE_EQ(axis->IMaximum(), c.wantMax) << c.lo << ".." << c.hi;
    EXPECT_DOUBLE_EQ(axis->IRange(), c.wantMax - c.wantMin) << c.lo << ".." << c.hi;
    chart.SeriesItems.clear();
  }
}

TEST_F(AxisTest, FirstAndLastLabelsAreMultiplesOfTheIncrement) {
  std::vector<std::string> measured;
  chart.OnGetAxisLabel = [&](TChartAxis*, TChartSeriesBase*, int, std::string& Text) { measured.push_back(Text); };
  axis->SetHorizontal(true);
  axis->SetIncrement(2);
  Range(axis, 3, 947, 0, 500);
  measured.clear();
  axis->CalcAxisIncrement();
  // Round(3 / 2) * 2 = 4 and Trunc(947 / 2) * 2 = 946, never 3 * 2 or 947 * 2.
  EXPECT_NE(std::find(measured.begin(), measured.end(), "4"), measured.end());
  EXPECT_NE(std::find(measured.begin(), measured.end(), "946"), measured.end());
  EXPECT_EQ(std::find(measured.begin(), measured.end(), "1,894"), measured.end());
  EXPECT_EQ(std::find(measured.begin(), measured.end(), "1,892"), measured.end());
}

TEST_F(AxisTest, ValueToPixel) {
  struct Case {
    double min, max, value;
    bool inverted;
    int x, y;
  } cases[] = {
      {0, 10, 0, false, 100, 600},   {0, 10, 5, false, 350, 350},  {0, 10, 10, false, 600, 100},
      {0, 10, 2.5, false, 225, 475}, {0, 10, 2.5, true, 475, 225}, {0, 1000, 1, false, 100, 600},  // 100.5: even
      {0, 1000, 3, false, 102, 598},  // 101.5 and 598.5 go to even
      {5, 5, 123, false, 350, 350},   // zero range: the centre
      {0, 10, -10, false, -400, 1100},
  };
  for (const Case& c : cases) {
    axis->SetInverted(c.inverted);
    Range(axis, c.min, c.max, 100, 600);
    EXPECT_EQ(axis->CalcXPosValue(c.value), c.x) << c.min << ".." << c.max << " v " << c.value;
    EXPECT_EQ(axis->CalcYPosValue(c.value), c.y) << c.min << ".." << c.max << " v " << c.value;
  }
  axis->SetInverted(false);
  // Far values stop at the coordinate limit, or at the integer range when the chart disables it.
  Range(axis, 0, 10, 100, 600);
  EXPECT_EQ(axis->CalcXPosValue(1e12), 67108863);
  EXPECT_EQ(axis->CalcXPosValue(-1e300), -67108863);
  chart.NoLimit = true;
  EXPECT_EQ(axis->CalcXPosValue(1e300), 2147483647);
  EXPECT_EQ(axis->CalcXPosValue(std::numeric_limits<double>::infinity()), 2147483647);
  chart.NoLimit = false;
  const int saved = ChartCoordinateLimit;
  ChartCoordinateLimit = 32767;
  EXPECT_EQ(axis->CalcXPosValue(2000), 32767);  // 100100 pixels
  ChartCoordinateLimit = saved;
}

TEST_F(AxisTest, LogarithmicAndDepthPositions) {
  Range(axis, 1, 100, 100, 600);
  axis->SetLogarithmic(true);
  axis->AdjustRange();
  EXPECT_EQ(axis->CalcXPosValue(10), 350);
  EXPECT_EQ(axis->CalcYPosValue(10), 350);
  EXPECT_EQ(axis->CalcXPosValue(100), 600);
  EXPECT_EQ(axis->CalcXPosValue(0), 100);
  EXPECT_EQ(axis->CalcYPosValue(-1), 600);
  axis->SetInverted(true);
  EXPECT_EQ(axis->CalcXPosValue(0), 600);
  EXPECT_EQ(axis->CalcXPosValue(100), 100);
  axis->SetInverted(false);
  // Positions beyond any pixel saturate (a tiny logarithmic range makes a huge scale).
  Range(axis, 1, 1.0000001, 100, 600);
  axis->SetLogarithmic(true);
  axis->AdjustRange();
  EXPECT_EQ(axis->CalcYPosValue(1e-300), 67108863);
  EXPECT_EQ(axis->CalcXPosValue(1e-300), 100 - 67108863);
  EXPECT_EQ(axis->CalcXPosValue(1e300), 67108863);

  TChartDepthAxis depth(&chart);
  Range(&depth, 0, 10, 0, 100);
  EXPECT_EQ(depth.CalcPosValue(2.35), 24);  // 23.5 to even
  EXPECT_EQ(depth.CalcPosValue(2.25), 22);  // 22.5 to even
  EXPECT_EQ(depth.CalcPosValue(1e300), 67108863);
  EXPECT_EQ(depth.CalcPosValue(-1e300), -67108863);
  depth.SetInverted(true);
  EXPECT_EQ(depth.CalcPosValue(2.25), 78);  // 77.5 to even
}

TEST_F(AxisTest, DepthAxesInvertTogetherAndStartHidden) {
  TChartDepthAxis a(&chart), b(&chart);
  chart.DepthA = &a;
  chart.DepthB = &b;
  EXPECT_FALSE(a.Visible());
  EXPECT_TRUE(a.IsDepthAxis());
  EXPECT_EQ(Text(StreamOf(&a)).find("Item.Visible"), std::string::npos);  // hidden is its default
  a.SetInverted(true);
  EXPECT_TRUE(b.Inverted());
  b.SetInverted(false);
  EXPECT_FALSE(a.Inverted());
  // ZPosition is never written for a depth axis.
  a.SetZPosition(60);
  EXPECT_EQ(Text(StreamOf(&a)).find("ZPosition"), std::string::npos);
}

TEST_F(AxisTest, ValidationsRaiseAndKeepTheValue) {
  Range(axis, 0, 10, 0, 100);
  struct Case {
    const char* what;
    std::function<void()> set;
    std::function<bool()> unchanged;
    const std::string* message;
  } cases[] = {
      {"Increment", [&] { axis->SetIncrement(-1); }, [&] { return axis->Increment() == 0; }, &ChartMsgAxisIncrementMustBe0},
      {"Minimum", [&] { axis->SetMinimum(20); }, [&] { return axis->Minimum() == 0; }, &ChartMsgAxisMinimumValueMustBeMaximum},
      {"Maximum", [&] { axis->SetMaximum(-1); }, [&] { return axis->Maximum() == 10; }, &ChartMsgAxisMaximumValueMustBeMinimum},
      {"Base 1", [&] { axis->SetLogarithmicBase(1); }, [&] { return axis->LogarithmicBase() == 10; }, &ChartMsgAxisLogarithmicBaseShouldBe1},
      {"Base 0", [&] { axis->SetLogarithmicBase(0); }, [&] { return axis->LogarithmicBase() == 10; }, &ChartMsgAxisLogarithmicBaseShouldBe1},
      {"Base -2", [&] { axis->SetLogarithmicBase(-2); }, [&] { return axis->LogarithmicBase() == 10; }, &ChartMsgAxisLogarithmicBaseShouldBe1},
      {"Base 0.5", [&] { axis->SetLogarithmicBase(0.5); }, [&] { return axis->LogarithmicBase() == 10; }, &ChartMsgAxisLogarithmicBaseShouldBe1},
      {"Separation", [&] { axis->SetLabelsSeparation(-1); }, [&] { return axis->LabelsSeparation() == 10; }, &ChartMsgLabelsSeparationPercentMustBeGreater},
  };
  for (const Case& c : cases) {
    try {
      c.set();
      ADD_FAILURE() << c.what << " was accepted";
    } catch (const AxisException& e) {
      EXPECT_EQ(std::string(e.Message()), *c.message) << c.what;
    }
    EXPECT_TRUE(c.unchanged()) << c.what;
  }
  EXPECT_EQ(*cases[0].message, "Axis increment must be >= 0");

  axis->SetIsDateTime(true);
  EXPECT_THROW(axis->SetLogarithmic(true), AxisException);
  EXPECT_FALSE(axis->Logarithmic());
  axis->SetIsDateTime(false);
  Range(axis, -5, 10, 0, 100);
  try {
    axis->SetLogarithmic(true);
    ADD_FAILURE() << "negative minimum accepted";
  } catch (const AxisException& e) {
    EXPECT_EQ(std::string(e.Message()), "Logarithmic Axis Min and Max values should be >= 0");
  }
  EXPECT_FALSE(axis->Logarithmic());
  // While the chart is read from a stream the two limits are not compared.
  chart.Loading = true;
  axis->SetMinimum(50);
  EXPECT_EQ(axis->Minimum(), 50);
}

TEST_F(AxisTest, AutomaticFlagsAndAngles) {
  axis->SetAutomaticMaximum(false);
  EXPECT_FALSE(axis->Automatic());
  axis->SetAutomaticMaximum(true);
  EXPECT_TRUE(axis->Automatic());
  axis->SetAutomatic(false);
  EXPECT_FALSE(axis->AutomaticMinimum());
  EXPECT_FALSE(axis->AutomaticMaximum());
  axis->SetLabelsAngle(450);
  EXPECT_EQ(axis->LabelsAngle(), 90);
  axis->Title()->SetAngle(370);
  EXPECT_EQ(axis->Title()->Angle(), 10);
  axis->SetZPosition(0);
  EXPECT_DOUBLE_EQ(axis->ZPosition(), 0.01);
}

class LocaleGuard {
 public:
  LocaleGuard() : saved(FormatSettings) {}
  ~LocaleGuard() { FormatSettings = saved; }

 private:
  TFormatSettings saved;
};

TEST_F(AxisTest, LabelTextsFollowTheLocale) {
  LocaleGuard guard;
  FormatSettings.DecimalSeparator = ',';
  FormatSettings.ThousandSeparator = '.';
  FormatSettings.ShortDateFormat = "dd/mm/yyyy";
  FormatSettings.ShortTimeFormat = "hh:nn";
  FormatSettings.DateSeparator = '/';
  Range(axis, 0, 10, 0, 100);
  struct Case {
    double v;
    const char* text;
  } numbers[] = {{1234.5, "1.234,5"}, {0, "0"}, {-0.25, "-0,25"}, {1234567.8912, "1.234.567,891"}};
  for (const Case& c : numbers) EXPECT_EQ(axis->LabelText(c.v), c.text) << c.v;

  axis->SetIsDateTime(true);
  const double day = EncodeDate(2024, 3, 5);
  Range(axis, day, day + 10, 0, 100);
  EXPECT_EQ(axis->LabelText(day), "05/03/2024");
  Range(axis, day, day + 0.5, 0, 100);
  EXPECT_EQ(axis->LabelText(day + 0.25), "06:00");
  EXPECT_EQ(axis->LabelText(-1), "");
  axis->SetDateTimeFormat("d mmm");
  axis->SetLabelsMultiLine(true);
  EXPECT_EQ(axis->LabelText(day), "5\rMar");
  // The chart's label event may change the text.
  chart.OnGetAxisLabel = [](TChartAxis*, TChartSeriesBase* s, int i, std::string& t) {
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(i, -1);
    t = "<" + t + ">";
  };
  axis->SetLabelsMultiLine(false);
  EXPECT_EQ(axis->LabelText(day), "<5 Mar>");
}

TEST_F(AxisTest, LabelStyleFromTheSeries) {
  EXPECT_EQ(axis->EffectiveLabelStyle(), talNone);
  TTestSeries s(&chart, axis, builtIn[1].get());
  chart.SeriesItems.push_back(&s);
  s.AddXY(1, 2, "");
  EXPECT_EQ(axis->EffectiveLabelStyle(), talValue);
  s.AddXY(2, 3, "Apples");
  EXPECT_EQ(axis->EffectiveLabelStyle(), talText);
  EXPECT_EQ(builtIn[1]->EffectiveLabelStyle(), talValue);  // labels run along the other axis
  axis->SetLabelStyle(talMark);
  EXPECT_EQ(axis->EffectiveLabelStyle(), talMark);
}

TEST_F(AxisTest, AutomaticRangePageByPage) {
  TTestSeries s(&chart, axis, builtIn[1].get());
  chart.SeriesItems.push_back(&s);
  for (int i = 0; i < 10; ++i) s.AddXY(i * 10, i, "");
  chart.PageSize = 4;
  chart.CurrentPage = 2;
  EXPECT_EQ(AxisMaximumOrMinimum(&chart, axis, true), 40);
  EXPECT_EQ(AxisMaximumOrMinimum(&chart, axis, false), 70);
  EXPECT_EQ(AxisMaximumOrMinimum(&chart, builtIn[1].get(), false), 7);
  // The last page holds two points; without scaling it is stretched to a full page.
  chart.CurrentPage = 3;
  chart.ScaleLast = false;
  EXPECT_EQ(AxisMaximumOrMinimum(&chart, axis, false), 80 + 4 * (90 - 80) / 2.0);
  chart.PageSize = 0;
  EXPECT_EQ(AxisMaximumOrMinimum(&chart, axis, false), 90);
  EXPECT_EQ(AxisMaximumOrMinimum(&chart, builtIn[1].get(), true), 0);
}

// A page beyond the points moves back to the last full page: 7 points in pages of 3, page 5 shows
// points 4..6.
TEST_F(AxisTest, PagingPastTheDataShowsTheLastFullPage) {
  TTestSeries s(&chart, axis, builtIn[1].get());
  chart.SeriesItems.push_back(&s);
  for (int i = 0; i < 7; ++i) s.AddXY(10 + i, 100 - i, "");
  chart.PageSize = 3;
  chart.ScaleLast = false;
  for (int page : {5, 4}) {
    chart.CurrentPage = page;
    EXPECT_EQ(AxisMaximumOrMinimum(&chart, axis, true), 14) << page;
    EXPECT_EQ(AxisMaximumOrMinimum(&chart, axis, false), 16) << page;  // a full page: nothing to stretch
    EXPECT_EQ(AxisMaximumOrMinimum(&chart, builtIn[1].get(), true), 94) << page;
    EXPECT_EQ(AxisMaximumOrMinimum(&chart, builtIn[1].get(), false), 96) << page;
  }
  // A page number below 1 shows the first page: points 0..2.
  for (int page : {0, -2}) {
    chart.CurrentPage = page;
    EXPECT_EQ(AxisMaximumOrMinimum(&chart, axis, true), 10) << page;
    EXPECT_EQ(AxisMaximumOrMinimum(&chart, axis, false), 12) << page;
  }
  // Fewer points than a page: the page starts at the first point.
  chart.PageSize = 10;
  chart.CurrentPage = 3;
  EXPECT_EQ(AxisMaximumOrMinimum(&chart, axis, true), 10);
}

TEST_F(AxisTest, StreamingRulesAndRoundTrip) {
  // A built-in axis with defaults writes nothing; a custom one writes Horizontal and OtherSide.
  EXPECT_FALSE(WritesItem(StreamOf(axis))) << Text(StreamOf(axis));
  TCollection customs(TChartAxis::StaticClass(), nullptr);
  TChartAxis custom(&chart, &customs);
  EXPECT_EQ(custom.Collection(), &customs);
  EXPECT_EQ(axis->Collection(), nullptr);
  const std::string t = Text(StreamOf(&custom));
  EXPECT_NE(t.find("Item.Horizontal"), std::string::npos);
  EXPECT_NE(t.find("Item.OtherSide"), std::string::npos);

  axis->SetAutomatic(false);
  axis->SetMinMax(-3, 12.5);
  axis->SetIncrement(0.5);
  axis->SetLogarithmicBase(2);
  axis->SetAxisValuesFormat("0.00");
  axis->SetLabelsAngle(90);
  axis->SetLabelsSeparation(30);
  axis->SetLabelStyle(talValue);
  axis->SetEndPosition(80);
  axis->SetZPosition(50);
  axis->SetGridCentered(true);
  axis->Grid()->SetDrawEvery(2);
  axis->Axis()->SetLineMode(lmCylinder);
  axis->Title()->SetCaption("Price");
  axis->Title()->SetAngle(90);
  axis->LabelsFont()->SetSize(11);
  axis->SetLabels(false);
  axis->MinorGrid()->SetVisible(true);
  axis->SetTickLength(6);
  TChartAxis& r = *builtIn[2];
  ReadInto(StreamOf(axis), &r);
  EXPECT_EQ(StreamOf(axis), StreamOf(&r));
  EXPECT_FALSE(r.Automatic());
  EXPECT_EQ(r.Minimum(), -3);
  EXPECT_EQ(r.Maximum(), 12.5);
  EXPECT_EQ(r.AxisValuesFormat(), "0.00");
  EXPECT_EQ(r.Title()->Caption(), "Price");
  EXPECT_EQ(r.LabelsFont()->Size(), 11);
  EXPECT_FALSE(r.Labels());
  EXPECT_TRUE(r.GridCentered());
  EXPECT_EQ(r.Axis()->LineMode(), lmCylinder);

  TChartAxis& copy = *builtIn[3];
  copy.Assign(axis);
  EXPECT_EQ(StreamOf(axis), StreamOf(&copy));
}

}  // namespace
