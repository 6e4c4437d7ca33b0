#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <random>

#include "platform/rtl/sysutils.h"
#include "platform/rtl/variants.h"

TEST(Round, HalfToEven) {
  struct Case { double x; int64_t want; };
  const Case cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {127.5, 128}, {126.5, 126},
                        {2.4999, 2}, {-2.6, -3}, {1e15 + 0.5, 1000000000000000}};
  for (const Case& c : cases) {
    EXPECT_EQ(Round(c.x), c.want) << c.x;
    EXPECT_EQ(Round(static_cast<long double>(c.x)), c.want) << c.x;
  }
  EXPECT_EQ(Round(2.5f), 2);
  EXPECT_EQ(Round(3.5f), 4);
}

TEST(Round, IgnoresCallersRoundingModeAndRejectsNonFinite) {
  std::fesetround(FE_UPWARD);
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(-0.5), 0);
  std::fesetround(FE_TONEAREST);
  EXPECT_THROW(Round(std::nan("")), EInvalidOp);
  EXPECT_THROW(Round(1e300), EInvalidOp);
}

TEST(Trunc, TowardZero) {
  EXPECT_EQ(Trunc(2.9), 2);
  EXPECT_EQ(Trunc(-2.9), -2);
  EXPECT_DOUBLE_EQ(Frac(-2.25), -0.25);
  EXPECT_EQ(Floor(-2.5), -3);
  EXPECT_EQ(Ceil(-2.5), -2);
}

TEST(StrToInt, AcceptsDecimalAndHexRejectsGarbage) {
  EXPECT_EQ(StrToInt(" 42 "), 42);
  EXPECT_EQ(StrToInt("-7"), -7);
  EXPECT_EQ(StrToInt("$FF"), 255);
  EXPECT_EQ(StrToInt("0x10"), 16);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
  for (const char* bad : {"", " ", "abc", "12a", "1 2", "2147483648", "-", "$", "0x", "1.5"}) {
    EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
    int32_t v = 99;
    EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
    EXPECT_EQ(v, 99);
    EXPECT_EQ(StrToIntDef(bad, -3), -3);
  }
  try {
    StrToInt("abc");
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
}

TEST(IntToHex, PadsAndShowsTwosComplement) {
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(int64_t(-1), 2), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(0x12345, 2), "12345");
}

TEST(Float, ToStrAndBack) {
  struct Case { double v; const char* text; };
  const Case cases[] = {{0, "0"}, {0.1, "0.1"}, {1.5, "1.5"}, {-2.25, "-2.25"}, {1e20, "1E20"},
                        {1.5e-7, "1.5E-7"}, {0.0001, "0.0001"}, {123456789012345.0, "123456789012345"},
                        {1.0 / 3, "0.333333333333333"}, {100, "100"}};
  for (const Case& c : cases) {
    EXPECT_EQ(FloatToStr(c.v), c.text);
    EXPECT_NEAR(static_cast<double>(StrToFloat(c.text)), c.v, std::abs(c.v) * 1e-14) << c.text;
  }
  for (const char* bad : {"", "1,5", "abc", "1e", "--1", "1.2.3"}) EXPECT_THROW(StrToFloat(bad), EConvertError) << bad;
  EXPECT_EQ(FloatToStrF(1234.5, ffNumber, 15, 2), "1,234.50");
  EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 4, 2), "1.235E+03");
  EXPECT_EQ(FloatToStrF(2.5, ffFixed, 15, 0), "3");
}

TEST(FormatFloat, Patterns) {
  struct Case { const char* fmt; double v; const char* want; };
  const Case cases[] = {
      {"0.00", 3.14159, "3.14"},       {"0.00", 2.675, "2.68"},         {"#,##0.##", 1234567.891, "1,234,567.89"},
      {"#,##0.##", 1, "1"},            {"#,##0.00", -1234.5, "-1,234.50"}, {"0", 0.5, "1"},
      {"0", -0.4, "0"},                {"000", 7, "007"},               {"#.##", 0.5, ".5"},
      {"0.0;(0.0);zero", -2.25, "(2.3)"}, {"0.0;(0.0);zero", 0, "zero"}, {"0.00E+00", 12345, "1.23E+04"},
      {"0.0E-0", 0.00012, "1.2E-4"},   {"\"$\"0.00", 5, "$5.00"},       {"0%", 42, "42%"},
      {"", 0.25, "0.25"},              {"#", 0, ""},                    {"0.###", 1.23456, "1.235"}};
  for (const Case& c : cases) EXPECT_EQ(FormatFloat(c.fmt, c.v), c.want) << c.fmt << " " << c.v;
}

TEST(Currency, FixedPointArithmetic) {
  Currency a = Currency::FromDouble(1.23456);  // 1.2346 (ten-thousandths, half to even of 12345.6)
  EXPECT_EQ(a.Value, 12346);
  EXPECT_EQ(Currency::FromDouble(0.00005).Value, 0);  // 0.5 ten-thousandths: half to even
  EXPECT_EQ(Currency::FromDouble(0.00015).Value, 2);
  EXPECT_EQ((Currency::FromInt(3) / Currency::FromInt(2)).Value, 15000);
  EXPECT_EQ((Currency::FromDouble(1.5) * Currency::FromDouble(2.5)).Value, 37500);
  EXPECT_EQ(Currency::FromDouble(2.5).ToInt64(), 2);
  EXPECT_EQ(CurrToStr(Currency::FromDouble(12.5)), "12.5");
  EXPECT_EQ(StrToCurr("12.34567").Value, 123457);
  EXPECT_THROW(StrToCurr("x"), EConvertError);
  EXPECT_THROW(Currency::FromInt(1) / Currency::FromInt(0), EZeroDivide);
}

// Decimal text becomes the double nearest to it, as a correctly rounding reader gives it; reading it
// into a wider type first and then rounding to double again lands one unit off for some texts.
TEST(Float, TextToDoubleIsTheNearestDouble) {
  double v = 0;
  ASSERT_TRUE(TryStrToFloat("15046229.9787029", v));
  EXPECT_EQ(v, 15046229.9787029);
  EXPECT_EQ(Variant("15046229.9787029").AsDouble(), 15046229.9787029);
  // Many texts of 15 to 17 significant digits against the C library's correctly rounded reading.
  std::mt19937_64 random(7);
  int checked = 0;
  for (int i = 0; i < 20000; ++i) {
    const int digits = 15 + int(random() % 3);
    std::string text = std::to_string(random() % 9 + 1);
    for (int d = 1; d < digits; ++d) text += char('0' + random() % 10);
    const int point = 1 + int(random() % (digits - 1));
    text.insert(size_t(point), ".");
    if (random() % 2) text += "E" + std::to_string(int(random() % 40) - 20);
    ASSERT_TRUE(TryStrToFloat(text, v)) << text;
    const std::string c = text;
    EXPECT_EQ(v, std::strtod(c.c_str(), nullptr)) << text;
    ++checked;
  }
  EXPECT_EQ(checked, 20000);
  // Beyond the double's range: infinite (refused by the fields) or zero, with the text's sign.
  ASSERT_TRUE(TryStrToFloat("-1e400", v));
  EXPECT_EQ(v, -HUGE_VAL);
  ASSERT_TRUE(TryStrToFloat("1e-400", v));
  EXPECT_EQ(v, 0.0);
  ASSERT_TRUE(TryStrToFloat(" +2.5e+1 ", v));
  EXPECT_EQ(v, 25.0);
  for (const char* bad : {"", "1,5", "abc", "1e", "--1", "1.2.3", "+-1", "."}) EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
}
