// Shapes and back images, the legacy shadow values, date-time steps in both directions and the palette.
#include "tests/chartengine/engine_fixture.h"

namespace {

double Day(int Y, int M, int D) { return EncodeDate(Y, M, D); }

TEST(DateSteps, NextAndFind) {
  const double sec = 1.0 / 86400;
  struct Next {
    double value, expected;
  } next[] = {{45 * sec, 60 * sec}, {1, 2}, {400, 365}, {7, 15}, {0.5, 1}, {2 * sec, 5 * sec},
              // Below one microsecond the first step answers, never a year.
              {0, DateTimeStep[0]}, {1e-15, DateTimeStep[0]}};
  for (const Next& n : next) EXPECT_DOUBLE_EQ(NextDateTimeStep(n.value), n.expected) << n.value;
  struct Find {
    double value;
    int index;
  } find[] = {{1.0 / 24, dtOneHour}, {1.0 / 3, dtNone}, {15, dtHalfMonth}, {365, dtOneYear}, {30 * sec, dtThirtySeconds},
              {DateTimeStep[0], dtOneMicroSecond}};
  for (const Find& f : find) EXPECT_EQ(FindDateTimeStep(f.value), f.index) << f.value;
}

// Every entry below a day is the double nearest its true length in days, seconds over 86400 (the
// exact quotient, correctly rounded); so a step computed that way is found as the table's own entry.
TEST(DateSteps, EntriesAreTheNearestDoublesOfTheirLengths) {
  const double seconds[12] = {1e-6, 1e-3, 1, 5, 10, 15, 30, 60, 300, 600, 900, 1800};
  for (int i = 0; i < 12; ++i) {
    const double want = i == 0 ? 1.0 / 86400000000.0 : i == 1 ? 1.0 / 86400000.0 : seconds[i] / 86400;
    EXPECT_EQ(DateTimeStep[i], want) << seconds[i] << " s";
  }
  EXPECT_EQ(NextDateTimeStep(5.0 / 86400), 10.0 / 86400);
  EXPECT_EQ(NextDateTimeStep(30.0 / 86400), 60.0 / 86400);
}

TEST(DateSteps, CalendarStepsInBothDirections) {
  struct Case {
    double from;
    int step;
    bool forward;
    double to;
  } cases[] = {
      {Day(2024, 1, 31), dtOneMonth, true, Day(2024, 2, 1)},
      {Day(2024, 3, 15), dtSixMonths, false, Day(2023, 9, 1)},
      {Day(2024, 12, 10), dtOneMonth, true, Day(2025, 1, 1)},
      {Day(2024, 11, 3), dtThreeMonths, true, Day(2025, 2, 1)},
      {Day(2024, 2, 10), dtThreeMonths, false, Day(2023, 11, 1)},
      {Day(2024, 5, 10), dtFourMonths, false, Day(2024, 1, 1)},
      {Day(2024, 5, 10), dtTwoMonths, true, Day(2024, 7, 1)},
      {Day(2024, 5, 10) + 0.5, dtOneYear, false, Day(2023, 5, 10)},
      {Day(2024, 5, 10) + 0.5, dtOneYear, true, Day(2025, 5, 10)},
      // Half months forward: days 1..14 go to the 15th, later days to the 1st of the next month.
      {Day(2024, 1, 10), dtHalfMonth, true, Day(2024, 1, 15)},
      {Day(2024, 1, 1), dtHalfMonth, true, Day(2024, 1, 15)},
      {Day(2024, 1, 15), dtHalfMonth, true, Day(2024, 2, 1)},
      {Day(2024, 1, 20), dtHalfMonth, true, Day(2024, 2, 1)},
      {Day(2024, 12, 20), dtHalfMonth, true, Day(2025, 1, 1)},
      // Backward: days 2..15 go to the 1st, the 1st to the 15th of the month before, later days to the 15th.
      {Day(2024, 1, 10), dtHalfMonth, false, Day(2024, 1, 1)},
      {Day(2024, 1, 15), dtHalfMonth, false, Day(2024, 1, 1)},
      {Day(2024, 1, 1), dtHalfMonth, false, Day(2023, 12, 15)},
      {Day(2024, 1, 20), dtHalfMonth, false, Day(2024, 1, 15)},
      // Steps that are not calendar units add or subtract the amount and keep the time of day.
      {Day(2024, 5, 10) + 0.5, dtOneDay, true, Day(2024, 5, 11) + 0.5},
      {Day(2024, 5, 10) + 0.5, dtOneWeek, false, Day(2024, 5, 3) + 0.5},
  };
  for (const Case& c : cases) {
    double v = c.from;
    IncDecDateTime(true, c.forward, v, c.step, DateTimeStep[c.step]);
    EXPECT_DOUBLE_EQ(v, c.to) << FormatDateTime("yyyy-mm-dd", c.from) << " step " << c.step
                              << (c.forward ? " forward" : " back") << " gave " << FormatDateTime("yyyy-mm-dd", v);
  }
  double plain = 10;
  IncDecDateTime(false, false, plain, dtOneMonth, 30);
  EXPECT_EQ(plain, -20);
  // A day that does not exist raises, and the value stays.
  double leap = Day(2024, 2, 29);
  EXPECT_THROW(IncDecDateTime(true, true, leap, dtOneYear, 365), EConvertError);
  EXPECT_EQ(leap, Day(2024, 2, 29));
}

TEST(Palette, TwentyDefaultsAndReplacement) {
  ASSERT_EQ(ColorPalette.size(), 20u);
  EXPECT_EQ(ColorPalette[0], clRed);
  EXPECT_EQ(ColorPalette[1], clGreen);
  EXPECT_EQ(ColorPalette[3], clBlue);
  EXPECT_EQ(ColorPalette[15], clBlack);
  EXPECT_EQ(ColorPalette[19], clMedGray);
  SetDefaultPalette({clAqua, clLime});
  EXPECT_EQ(ColorPalette, (std::vector<TColor>{clAqua, clLime}));
  SetDefaultPalette({});
  EXPECT_EQ(ColorPalette.size(), 20u);
  EXPECT_EQ(ColorPalette[2], clYellow);
  EXPECT_NE(GetCursorHandle(crChartHand), nullptr);
  EXPECT_EQ(ReplaceOrDeleteChar("a b c", ' ', '\r'), "a\rb\rc");
  EXPECT_EQ(ReplaceOrDeleteChar("1,234,5", ',', '\0'), "12345");
}

TEST(Shapes, SettersGoThroughTheParentAndRepaintOnlyOnChange) {
  TChartShape loose(nullptr);
  loose.SetColor(clRed);
  loose.SetTransparent(true);
  loose.SetBevel(bvRaised);
  EXPECT_EQ(loose.Color(), clRed);
  EXPECT_TRUE(loose.Transparent());

  TTestChart chart;
  TChartShape s(&chart);
  s.SetColor(clWhite);
  EXPECT_EQ(chart.Repaints, 0);
  s.SetColor(clBlue);
  s.SetColor(clBlue);
  EXPECT_EQ(chart.Repaints, 1);
  s.SetRoundSize(16);
  s.SetRoundSize(8);
  s.SetVisible(false);
  s.Pen()->SetWidth(3);
  s.Font()->SetSize(20);
  s.Shadow()->SetVisible(false);
  EXPECT_EQ(chart.Repaints, 6);
}

TEST(Shapes, MarksGetTheMarksDefaultsWhileBeingBuilt) {
  TChartShape plain(nullptr);
  EXPECT_EQ(plain.Shadow()->Color(), clBlack);
  EXPECT_EQ(plain.Shadow()->Size(), 3);
  EXPECT_EQ(plain.Gradient()->ClassType(), TChartGradient::StaticClass());
  EXPECT_EQ(plain.Color(), clWhite);

  TSeriesMarks marks(nullptr);
  EXPECT_EQ(marks.Shadow()->Color(), 0x808080);
  EXPECT_EQ(marks.Shadow()->Size(), 3);
  EXPECT_FALSE(marks.Shadow()->IsColorStored());
  ASSERT_EQ(marks.Gradient()->ClassType(), TSeriesMarksGradient::StaticClass());
  EXPECT_EQ(marks.Gradient()->Direction(), gdRightLeft);
  EXPECT_EQ(marks.Gradient()->StartColor(), clSilver);
  EXPECT_EQ(marks.Color(), clInfoBk);
  // A shadow freed by nil comes back with the marks' defaults, not the shape's.
  marks.SetShadow(nullptr);
  EXPECT_EQ(marks.Shadow()->Color(), 0x808080);
  EXPECT_FALSE(WritesItem(StreamOf(&marks))) << Text(StreamOf(&marks));
  // Writing reads no lazily made part into existence.
  EXPECT_FALSE(marks.HasCallout());
  EXPECT_FALSE(marks.HasSymbol());

  TSeriesMarksSymbol symbol(nullptr);
  EXPECT_FALSE(symbol.Visible());
  EXPECT_EQ(symbol.Shadow()->Size(), 1);
  EXPECT_FALSE(WritesItem(StreamOf(&symbol))) << Text(StreamOf(&symbol));
}

TEST(Shapes, ShapeAndBackImageRoundTrip) {
  TChartShape s(nullptr);
  s.SetBevel(bvLowered);
  s.SetBevelWidth(4);
  s.SetColor(clTeal);
  s.SetRoundSize(5);
  s.SetShapeStyle(fosEllipse);
  s.SetTransparency(25);
  s.SetTransparent(true);
  s.SetVisible(false);
  s.Font()->SetName("Courier New");
  s.Shadow()->SetHorizSize(6);
  s.Gradient()->SetVisible(true);
  s.Gradient()->SetDirection(gdDiagonalUp);
  s.Picture()->SetMode(pbmTile);
  s.Picture()->SetInside(true);
  s.Picture()->SetLeft(7);
  s.Picture()->SetTop(-2);
  TChartShape r(nullptr);
  ReadInto(StreamOf(&s), &r);
  EXPECT_EQ(StreamOf(&s), StreamOf(&r));
  EXPECT_EQ(r.Bevel(), bvLowered);
  EXPECT_EQ(r.ShapeStyle(), fosEllipse);
  EXPECT_TRUE(r.Transparent());
  EXPECT_FALSE(r.Visible());
  EXPECT_EQ(r.Shadow()->HorizSize(), 6);
  EXPECT_EQ(r.Picture()->Mode(), pbmTile);
  EXPECT_EQ(r.Picture()->Left(), 7);
  EXPECT_EQ(r.Gradient()->Direction(), gdDiagonalUp);

  TChartShape copy(nullptr);
  copy.SetShapeTextMode(3);
  s.SetShapeTextMode(2);
  copy.Assign(&s);
  EXPECT_EQ(StreamOf(&s), StreamOf(&copy));
  EXPECT_EQ(copy.ShapeTextMode(), 2);
}

TEST(Shapes, OldStreamsSetTheShadowFromShadowColorAndShadowSize) {
  for (bool asIdent : {true, false}) {
    TMemoryStream ms;
    {
      TWriter w(&ms);
      w.WriteSignature();
      w.WriteStr("TSettingsHolder");
      w.WriteStr("");
      w.WritePropName("Item.ShadowColor");
      if (asIdent) w.WriteIdent("clRed");
      else w.WriteInteger(clRed);
      w.WritePropName("Item.ShadowSize");
      w.WriteInteger(7);
      w.WriteListEnd();
      w.WriteListEnd();
    }
    TChartShape s(nullptr);
    TSettingsHolder h(&s);
    ms.SetPosition(0);
    ms.ReadComponent(&h);
    EXPECT_EQ(s.Shadow()->Color(), clRed);
    EXPECT_EQ(s.Shadow()->HorizSize(), 7);
    EXPECT_EQ(s.Shadow()->VertSize(), 7);
    // They are never written back under the old names.
    EXPECT_EQ(Text(StreamOf(&s)).find("ShadowColor"), std::string::npos);
  }
}

}  // namespace
