// Formatting and parsing tables on a locale set by the test (day-month-year order, '.' date separator,
// ',' decimal separator, ' ' thousands, "EUR" after the amount), so nothing here leans on the defaults.
#include <gtest/gtest.h>

#include "platform/rtl/sysutils.h"

namespace {
TFormatSettings TestLocale() {
  TFormatSettings fs;
  fs.DecimalSeparator = ',';
  fs.ThousandSeparator = ' ';
  fs.DateSeparator = '.';
  fs.TimeSeparator = ':';
  fs.CurrencyString = "EUR";
  fs.CurrencyFormat = 3;  // "1 $"
  fs.NegCurrFormat = 8;   // "-1 $"
  fs.CurrencyDecimals = 2;
  fs.ShortDateFormat = "dd/mm/yyyy";
  fs.LongDateFormat = "dddd d mmmm yyyy";
  fs.ShortTimeFormat = "hh:nn";
  fs.LongTimeFormat = "hh:nn:ss";
  return fs;
}

// Installs a locale for the length of a test.
struct TLocaleScope {
  TFormatSettings Saved = FormatSettings;
  explicit TLocaleScope(const TFormatSettings& fs) { FormatSettings = fs; }
  ~TLocaleScope() { FormatSettings = Saved; }
};
}  // namespace

TEST(LocaleTables, FormatFloat) {
  const TFormatSettings fs = TestLocale();
  struct Case { const char* fmt; double v; const char* want; };
  const Case cases[] = {
      // ties: the decimal digits round half away from zero
      {"0", 0.5, "1"}, {"0", 1.5, "2"}, {"0", 2.5, "3"}, {"0", -2.5, "-3"}, {"0.0", 0.25, "0,3"},
      {"0.00", 1.005, "1,01"}, {"0.00", 2.675, "2,68"},
      // thousands and decimals follow the locale
      {"#,##0.00", 1234567.891, "1 234 567,89"}, {"#,##0", -1234, "-1 234"}, {"#,##0.###", 0.5, "0,5"},
      // sections: positive;negative;zero, an empty negative section uses the positive one with a minus
      {"0.00;(0.00);nil", -5.5, "(5,50)"}, {"0.00;(0.00);nil", 0, "nil"}, {"0.00;(0.00);nil", 7, "7,00"},
      {"0.00;;nil", -1, "-1,00"}, {"0.00;;nil", 0, "nil"}, {"0.00;(0.00)", 0, "0,00"},
      // a value that rounds to zero takes the zero section
      {"0.0;-0.0;zero", 0.04, "zero"},
      // exponents and literals
      {"0.00E+00", 12345, "1,23E+04"}, {"0.0E-0", 0.00012, "1,2E-4"}, {"0.###E+0", -12345, "-1,235E+4"},
      {"'Total: '0.00", 3, "Total: 3,00"}, {"0.00\" kg\"", 2.5, "2,50 kg"}, {"00000", 123, "00123"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatFloat(c.fmt, c.v, fs), c.want) << c.fmt << " " << c.v;
  TLocaleScope scope(fs);
  EXPECT_EQ(FormatCurr("#,##0.00", Currency::FromDouble(-1234.5)), "-1 234,50");
  EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2, fs), "1 234,50 EUR");
  EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2, fs), "-1 234,50 EUR");
  EXPECT_EQ(FloatToStrF(1234.5, ffNumber, 15, 1, fs), "1 234,5");
  EXPECT_EQ(FloatToStrF(0.000123, ffGeneral, 15, 0, fs), "0,000123");
  EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 3, 2, fs), "1,23E+03");
  EXPECT_EQ(CurrToStrF(Currency::FromDouble(3.25), ffFixed, 1), "3,3");
  EXPECT_EQ(FloatToStr(2.5), "2,5");
  EXPECT_EQ(StrToFloat("2,5"), 2.5L);
  EXPECT_THROW(StrToFloat("2.5"), EConvertError);
}

TEST(LocaleTables, FormatDateTime) {
  const TFormatSettings fs = TestLocale();
  const TDateTime d = EncodeDateTime(2026, 3, 7, 15, 4, 9, 25);
  struct Case { const char* fmt; const char* want; };
  const Case cases[] = {
      {"d/m/yy", "7.3.26"}, {"dd/mm/yyyy", "07.03.2026"}, {"ddd dddd", "Sat Saturday"},
      {"mmm mmmm", "Mar March"}, {"h:n:s", "15:4:9"}, {"hh:nn:ss.zzz", "15:04:09.025"}, {"z", "25"},
      {"h am/pm", "3 pm"}, {"hh AM/PM", "03 PM"}, {"h a/p", "3 p"}, {"h:mm", "15:04"},
      {"'yyyy' yyyy", "yyyy 2026"}, {"\"d\"d", "d7"}, {"c", "07.03.2026 15:04:09"},
      {"ddddd", "07.03.2026"}, {"dddddd", "Saturday 7 March 2026"}, {"t", "15:04"}, {"tt", "15:04:09"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.fmt, d, fs), c.want) << c.fmt;
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2026, 3, 7), fs), "07.03.2026");  // midnight: no time
  EXPECT_EQ(FormatDateTime("h am/pm", EncodeTime(0, 30, 0, 0), fs), "12 am");
  EXPECT_EQ(FormatDateTime("h am/pm", EncodeTime(12, 0, 0, 0), fs), "12 pm");
}

TEST(LocaleTables, StrToDate) {
  TLocaleScope scope(TestLocale());
  struct Case { const char* text; int y, m, d; };
  const Case good[] = {{"07.03.2026", 2026, 3, 7}, {"7.3.2026", 2026, 3, 7}, {" 7/3/2026 ", 2026, 3, 7},
                       {"29.02.2024", 2024, 2, 29}};
  for (const Case& c : good) EXPECT_EQ(StrToDate(c.text), EncodeDate(c.y, c.m, c.d)) << c.text;
  // Two-digit years fall in the hundred years starting Window years before the current year.
  const int base = YearOf(Date()) - FormatSettings.TwoDigitYearCenturyWindow;
  const int yy = base % 100;
  EXPECT_EQ(YearOf(StrToDate(Format("1.2.%.2d", yy))), base);
  EXPECT_EQ(YearOf(StrToDate(Format("1.2.%.2d", (yy + 99) % 100))), base + 99);
  for (const char* bad : {"29.02.2023", "32.01.2026", "1.13.2026", "", "abc", "1..2026", "7.3.2026x"})
    EXPECT_THROW(StrToDate(bad), EConvertError) << bad;
  try {
    StrToDate("31.02.2026");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'31.02.2026' is not a valid date");
  }
  EXPECT_EQ(StrToDateTime("07.03.2026 15:04:09"), EncodeDateTime(2026, 3, 7, 15, 4, 9, 0));
  EXPECT_EQ(DateToStr(EncodeDate(2026, 3, 7)), "07.03.2026");
}

TEST(LocaleTables, ExplicitSettingsLeaveTheProcessSettingsAlone) {
  const TFormatSettings fs = TestLocale();
  const std::string before = FormatSettings.ShortDateFormat;
  EXPECT_EQ(StrToDate("07.03.2026", fs), EncodeDate(2026, 3, 7));
  EXPECT_EQ(StrToDateTime("7.3.2026 15:04", fs), EncodeDateTime(2026, 3, 7, 15, 4, 0, 0));
  EXPECT_EQ(DateToStr(EncodeDate(2026, 3, 7), fs), "07.03.2026");
  EXPECT_EQ(DateTimeToStr(EncodeDateTime(2026, 3, 7, 1, 2, 3, 0), fs), "07.03.2026 01:02:03");
  TDateTime d;
  EXPECT_FALSE(TryStrToDate("2026-03-07x", d, fs));
  EXPECT_TRUE(TryStrToTime("3:04 pm", d, fs));
  EXPECT_EQ(d, EncodeTime(15, 4, 0, 0));
  EXPECT_EQ(FormatSettings.ShortDateFormat, before);
  EXPECT_EQ(StrToDate("2026-03-07"), EncodeDate(2026, 3, 7));  // the process's own order (y-m-d)
}

TEST(LocaleTables, Format) {
  const TFormatSettings fs = TestLocale();
  struct Case { const char* fmt; std::vector<TVarRec> args; const char* want; };
  const Case cases[] = {
      {"%f", {1.5}, "1,50"},
      {"%.1f", {0.25}, "0,3"},  // the decimal digits round half away from zero
      {"%.0f", {2.5}, "3"},
      {"%.0f", {-2.5}, "-3"},
      {"%n", {1234567.891}, "1 234 567,89"},
      {"%.0n", {-1234.5}, "-1 235"},
      {"%m", {1234.5}, "1 234,50 EUR"},
      {"%m", {-2.0}, "-2,00 EUR"},
      {"%.3e", {-0.000123}, "-1,23E-004"},
      {"%g", {0.5}, "0,5"},
      {"%10.2f|%-10.2f|", {3.14159, 3.14159}, "      3,14|3,14      |"},
      {"%s: %d (%x)", {"共", 255, 255}, "共: 255 (FF)"},
      {"%1:s-%0:s-%s", {"a", "b"}, "b-a-b"},
      {"%*.*f", {8, 3, 1.0}, "   1,000"},
  };
  for (const Case& c : cases) EXPECT_EQ(Format(c.fmt, c.args, fs), c.want) << c.fmt;
  EXPECT_THROW(Format("%d", std::vector<TVarRec>{1.5}, fs), EConvertError);
}
