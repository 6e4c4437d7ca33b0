// Series marks with per-point items, pointers and callouts, function periods, series sources and value
// lists.
#include <cmath>

#include "tests/chartengine/engine_fixture.h"

namespace {

class MarksTest : public ::testing::Test {
 protected:
  TTestChart chart;
  TTestSeries series{&chart};
};

TEST_F(MarksTest, ItemsGrowOnDemandAndStreamAsBinary) {
  TSeriesMarks marks(&series);
  EXPECT_EQ(Text(StreamOf(&marks)).find("Items"), std::string::npos);
  TMarksItem* five = marks.Items(5);
  EXPECT_EQ(marks.ItemSlots(), 6);
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(marks.HasItem(i)) << i;
  EXPECT_TRUE(marks.HasItem(5));
  EXPECT_EQ(five->Color(), clInfoBk);
  five->SetColor(clRed);
  five->Text()->Add("first line");
  five->Text()->Add("second");
  marks.Items(2);  // an item with default settings
  marks.SetStyle(smsValue);
  marks.SetAngle(30);
  marks.Margins()->SetLeft(9);
  marks.Callout()->SetLength(12);
  marks.Callout()->Arrow()->SetColor(clBlack);
  marks.Symbol()->SetVisible(true);

  const std::vector<uint8_t> bytes = StreamOf(&marks);
  EXPECT_NE(Text(bytes).find("Item.Items"), std::string::npos);
  TSeriesMarks r(&series);
  ReadInto(bytes, &r);
  EXPECT_EQ(StreamOf(&r), bytes);
  ASSERT_EQ(r.ItemSlots(), 6);
  EXPECT_EQ(r.Items(5)->Color(), clRed);
  EXPECT_EQ(r.Items(5)->Text()->Text(), "first line" + std::string(sLineBreak) + "second" + sLineBreak);
  // Every slot read back holds an item; the empty ones have default settings.
  EXPECT_TRUE(r.HasItem(0));
  EXPECT_EQ(r.Items(0)->Color(), clInfoBk);
  EXPECT_EQ(r.Style(), smsValue);
  EXPECT_EQ(r.Angle(), 30);
  EXPECT_EQ(r.Margins()->Left(), 9);
  EXPECT_EQ(r.Callout()->Length(), 12);
  EXPECT_TRUE(r.Symbol()->Visible());

  TSeriesMarks copy(&series);
  copy.Assign(&marks);
  EXPECT_EQ(copy.ItemSlots(), 6);
  EXPECT_FALSE(copy.HasItem(0));
  EXPECT_EQ(copy.Items(5)->Color(), clRed);
}

// The bytes of a marks stream whose "Items" count is Count but which holds one empty item.
std::vector<uint8_t> ItemsStream(int32_t Count) {
  TMemoryStream items;
  items.WriteValue<int32_t>(Count);
  items.WriteValue<uint8_t>(vaList);
  items.WriteValue<uint8_t>(vaNull);
  TMemoryStream ms;
  TWriter w(&ms);
  w.WriteSignature();
  w.WriteStr("TSettingsHolder");
  w.WriteStr("");
  w.WritePropName("Item.Items");
  w.WriteBinary(items.Memory(), items.Size());
  w.WriteListEnd();
  w.WriteListEnd();
  return ms.Bytes();
}

TEST_F(MarksTest, AnItemsCountTheStreamCannotHoldIsRefused) {
  {
    TSeriesMarks m(&series);
    ReadInto(ItemsStream(1), &m);
    EXPECT_EQ(m.ItemSlots(), 1);
  }
  for (int32_t lie : {2, 1000000, 0x7FFFFFFF, -1}) {
    TSeriesMarks m(&series);
    EXPECT_THROW(ReadInto(ItemsStream(lie), &m), EReadError) << lie;
    EXPECT_LE(m.ItemSlots(), 1) << lie;
  }
}

TEST_F(MarksTest, SettersGoThroughTheSeriesAndChart) {
  TSeriesMarks marks(&series);
  marks.SetAngle(0);
  marks.SetClip(true);
  marks.SetDrawEvery(2);
  marks.SetMultiLine(true);
  marks.SetStyle(smsPercent);
  EXPECT_EQ(series.Repaints, 4);
  marks.SetArrowLength(20);
  EXPECT_EQ(marks.Callout()->Length(), 20);
  EXPECT_EQ(series.Repaints, 5);
  const int before = chart.Repaints;
  marks.SetTextAlign(taLeftJustify);
  EXPECT_EQ(chart.Repaints, before + 1);
  marks.SetBackColor(clYellow);
  EXPECT_EQ(marks.Color(), clYellow);
}

TEST_F(MarksTest, PointerAndCallouts) {
  TSeriesPointer p(&series);
  try {
    p.SetHorizSize(0);
    ADD_FAILURE() << "size 0 accepted";
  } catch (const ChartException& e) {
    EXPECT_EQ(std::string(e.Message()), "Pointer size must be greater than zero");
  }
  EXPECT_EQ(p.HorizSize(), 4);
  EXPECT_THROW(p.SetVertSize(-3), ChartException);
  EXPECT_EQ(p.VertSize(), 4);
  EXPECT_FALSE(WritesItem(StreamOf(&p))) << Text(StreamOf(&p));
  p.SetHorizSize(7);
  p.SetStyle(psHexagon);
  p.SetDark3D(false);
  p.Shadow()->SetColor(clRed);
  p.Gradient()->SetVisible(true);
  TSeriesPointer r(&series);
  ReadInto(StreamOf(&p), &r);
  EXPECT_EQ(StreamOf(&p), StreamOf(&r));
  EXPECT_EQ(r.Style(), psHexagon);

  TMarksCallout c(&series);
  EXPECT_FALSE(c.Visible());
  EXPECT_EQ(c.Length(), 8);
  EXPECT_FALSE(c.Draw3D());
  // The white arrow always writes its visibility; the length waits until it changes.
  EXPECT_EQ(Text(StreamOf(&c)).find("Item.Length"), std::string::npos);
  c.SetLength(9);
  c.SetArrowHead(ahSolid);
  c.SetDistance(3);
  const std::string t = Text(StreamOf(&c));
  EXPECT_NE(t.find("Item.Length"), std::string::npos);
  TMarksCallout cr(&series);
  ReadInto(StreamOf(&c), &cr);
  EXPECT_EQ(StreamOf(&c), StreamOf(&cr));
  EXPECT_EQ(cr.ArrowHead(), ahSolid);
  TCallout plain(&series);
  EXPECT_TRUE(plain.Visible());
  EXPECT_EQ(plain.ArrowHeadSize(), 8);
}

// Sums the y-values of each period; records what it was asked.
class TSumFunction : public TChartFunction {
  DECLARE_CLASS(TSumFunction, TChartFunction)
  explicit TSumFunction(TComponent* AOwner) : TChartFunction(AOwner) {}
  double Calculate(TChartSeriesBase* Source, int First, int Last) override {
    if (First < 0) {
      First = 0;
      Last = Source->Count() - 1;
    }
    double s = 0;
    for (int i = First; i <= Last; ++i) s += (*Source->YValues())[i];
    return s;
  }
};

class FunctionTest : public ::testing::Test {
 protected:
  TTestChart chart;
  TTestSeries source{&chart};
  TTestSeries target{&chart};
  TSumFunction f{nullptr};
  void SetUp() override {
    f.SetParentSeries(&target);
    for (int i = 0; i < 6; ++i) source.AddXY(i * 10, i + 1, "");
  }
  std::vector<std::pair<double, double>> Points() {
    std::vector<std::pair<double, double>> r;
    for (int i = 0; i < target.X.Count(); ++i) r.emplace_back(target.X[i], target.Y[i]);
    return r;
  }
};

TEST_F(FunctionTest, NumberOfPointsPeriods) {
  using P = std::vector<std::pair<double, double>>;
  f.NoCalc = true;
  f.SetPeriod(2);
  f.SetPeriodAlign(paFirst);
  f.NoCalc = false;
  f.AddPoints({&source});
  EXPECT_EQ(Points(), (P{{0, 3}, {20, 7}, {40, 11}}));
  target.ClearValues();
  f.SetPeriod(4);
  f.SetPeriodAlign(paCenter);
  f.AddPoints({&source});
  EXPECT_EQ(Points(), (P{{15, 10}}));  // the last two points make no full period
  // Periods of half a point or less still advance by one point (and end).
  target.ClearValues();
  f.SetPeriod(0.3);
  f.AddPoints({&source});
  EXPECT_EQ(Points().size(), 6u);
  EXPECT_EQ(Points()[5], (std::pair<double, double>{50, 6}));
  EXPECT_GE(target.Recalculations, 3);
}

TEST_F(FunctionTest, RangePeriods) {
  using P = std::vector<std::pair<double, double>>;
  f.SetPeriodStyle(psRange);
  f.SetPeriodAlign(paFirst);
  f.SetPeriod(25);
  f.AddPoints({&source});
  // [0,25): 0,10,20; [25,50): 30,40; [50,75): 50.
  EXPECT_EQ(Points(), (P{{0, 6}, {25, 9}, {50, 6}}));
  // Gaps give points of 0 without moving on.
  TTestSeries gappy(&chart);
  gappy.AddXY(0, 1, "");
  gappy.AddXY(35, 2, "");
  target.ClearValues();
  f.SetPeriod(10);
  f.AddPoints({&gappy});
  EXPECT_EQ(Points(), (P{{0, 1}, {10, 0}, {20, 0}, {30, 2}}));
  // A period too small to move the x-values ends the calculation.
  TTestSeries far(&chart);
  far.AddXY(1e20, 1, "");
  far.AddXY(1e20 + 1e5, 2, "");
  target.ClearValues();
  f.SetPeriod(1);
  f.AddPoints({&far});
  EXPECT_TRUE(Points().empty());
}

TEST_F(FunctionTest, WholeRangeAndValidation) {
  using P = std::vector<std::pair<double, double>>;
  f.AddPoints({&source});
  EXPECT_EQ(Points(), (P{{0, 21}, {50, 21}}));
  target.ClearValues();
  target.Single = true;
  f.AddPoints({&source});
  EXPECT_EQ(Points(), (P{{25, 21}}));
  target.ClearValues();
  target.Single = false;
  target.Horizontal = true;
  f.AddPoints({&source});
  EXPECT_EQ(Points(), (P{{21, 0}, {21, 50}}));
  try {
    f.SetPeriod(-1);
    ADD_FAILURE();
  } catch (const ChartException& e) {
    EXPECT_EQ(std::string(e.Message()), "Function Period should be >= 0");
  }
  EXPECT_EQ(f.Period(), 0);
  TSumFunction g(nullptr);
  f.SetPeriod(3);
  g.Assign(&f);
  EXPECT_EQ(g.Period(), 3);
  EXPECT_EQ(g.GetEditorClassName(), "TChartFunctionEditor");
}

// NaN is refused as a negative period is: the stored period and the series stay as they were.
TEST_F(FunctionTest, NaNPeriodIsRefused) {
  f.SetPeriod(2);
  const int recalcs = target.Recalculations;
  try {
    f.SetPeriod(std::nan(""));
    ADD_FAILURE() << "accepted";
  } catch (const ChartException& e) {
    EXPECT_EQ(std::string(e.Message()), "Function Period should be >= 0");
  }
  EXPECT_EQ(f.Period(), 2);
  EXPECT_EQ(target.Recalculations, recalcs);
}

class TTestSource : public TChartSeriesSource {
  DECLARE_CLASS(TTestSource, TChartSeriesSource)
  explicit TTestSource(TComponent* AOwner) : TChartSeriesSource(AOwner) {}
  void Load() override { ++Loads; }
  int Loads = 0;
};

TEST_F(FunctionTest, DataSourcesAndCycles) {
  TTestSeries a(&chart), b(&chart), c(&chart);
  EXPECT_EQ(AttachDataSource(&b, &a), 0);
  EXPECT_EQ(AttachDataSource(&b, &a), -1);
  EXPECT_EQ(AttachDataSource(&c, &b), 0);
  for (auto [series, src] : {std::pair<TTestSeries*, TTestSeries*>{&a, &c}, {&a, &b}, {&a, &a}}) {
    try {
      AttachDataSource(series, src);
      ADD_FAILURE() << "cycle accepted";
    } catch (const ChartException& e) {
      EXPECT_EQ(std::string(e.Message()), "Circular Series dependences are not allowed");
    }
  }
  EXPECT_TRUE(a.DataSources().empty());

  TTestSource s(nullptr);
  s.SetSeries(&a);
  EXPECT_EQ(s.Series(), &a);
  ASSERT_EQ(a.DataSources().size(), 1u);
  EXPECT_TRUE(s.UsesSeries(&a));
  EXPECT_FALSE(s.UsesSeries(&b));
  s.Open();
  EXPECT_EQ(s.Loads, 1);
  s.Refresh();
  EXPECT_EQ(s.Loads, 2);
  s.Close();
  EXPECT_EQ(a.Clears, 1);
  s.SetSeries(&b);
  EXPECT_TRUE(a.DataSources().empty());
  EXPECT_EQ(b.DataSources().back(), &s);
}

TEST(ValueLists, StatisticsAndCountChecks) {
  TChartValueList l;
  l.RecalcStats();
  EXPECT_EQ(l.MaxValue(), 0);
  EXPECT_EQ(l.TotalABS(), 0);
  for (double v : {3.0, -5.0, 10.0}) l.Add(v);
  l.RecalcStats();
  EXPECT_EQ(l.MaxValue(), 10);
  EXPECT_EQ(l.MinValue(), -5);
  EXPECT_EQ(l.Total(), 8);
  EXPECT_EQ(l.TotalABS(), 18);
  EXPECT_EQ(l.Range(), 15);
  // The assertions raise exceptions with their messages; they never end the process.
  try {
    l.SetCount(-1);
    ADD_FAILURE();
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(std::string(e.Message()).find("ValueList Count must be greater than zero."), std::string::npos);
  }
  try {
    l.SetCount(4);
    ADD_FAILURE();
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(std::string(e.Message()).find("ValueList Count (4) greater than array length (3)."), std::string::npos);
  }
  EXPECT_EQ(l.Count(), 3);
  l.SetCount(2);
  l.RecalcStats();
  EXPECT_EQ(l.MaxValue(), 3);
}

TEST(ChartElement, ParentMustBeAChart) {
  TTestChart chart;
  TCustomChartElement e(nullptr);
  TComponent other(nullptr);
  e.SetParentComponent(&other);
  EXPECT_EQ(e.ParentChart(), nullptr);
  e.SetParentComponent(&chart);
  EXPECT_EQ(e.GetParentComponent(), &chart);
  e.SetActive(false);
  e.Pen()->SetWidth(4);
  EXPECT_EQ(chart.Repaints, 2);
  TCustomChartElement f(nullptr);
  f.Assign(&e);
  EXPECT_FALSE(f.Active());
  EXPECT_EQ(f.Pen()->Width(), 4);
}

}  // namespace
