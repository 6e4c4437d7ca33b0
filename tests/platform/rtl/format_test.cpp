#include <gtest/gtest.h>

#include <climits>

#include "platform/rtl/sysutils.h"
#include "platform/rtl/variants.h"

TEST(Format, Table) {
  EXPECT_EQ(Format("%s%d.bmp", "Hairs/女士/", 3), "Hairs/女士/3.bmp");
  EXPECT_EQ(Format("共%d个发型，当前第%d页，共%d页", 25, 2, 3), "共25个发型，当前第2页，共3页");
  EXPECT_EQ(Format("%d|%5d|%-5d|%.3d|%x|%.4X|%u", 42, 42, 42, 7, 255, 255, -1),
            "42|   42|42   |007|FF|00FF|4294967295");
  EXPECT_EQ(Format("%d", int64_t(-9000000000)), "-9000000000");
  EXPECT_EQ(Format("%x", int64_t(-1)), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(Format("%s|%6s|%-6s|%.2s", "ab", "ab", "ab", "abc"), "ab|    ab|ab    |ab");
  EXPECT_EQ(Format("%.2s", "女士们"), "女士");  // precision counts whole characters
  EXPECT_EQ(Format("%f|%.0f|%.3f", 1.5, 2.5, -0.0005), "1.50|3|-0.001");
  EXPECT_EQ(Format("%8.2f|%-8.2f|", 3.14159, 3.14159), "    3.14|3.14    |");
  EXPECT_EQ(Format("%n|%.0n", 1234567.891, 1234567.5), "1,234,567.89|1,234,568");
  EXPECT_EQ(Format("%e", 1234.5), "1.23450000000000E+003");
  EXPECT_EQ(Format("%.3e", -0.000123), "-1.23E-004");
  EXPECT_EQ(Format("%g|%g|%g", 0.5, 1e20, 100.0), "0.5|1E20|100");
  EXPECT_EQ(Format("%m", 1234.5), "¥1,234.50");
  EXPECT_EQ(Format("%m", -2.0), "¥-2.00");
  EXPECT_EQ(Format("100%%"), "100%");
  EXPECT_EQ(Format("%1:s %0:s %s", "a", "b"), "b a b");
  EXPECT_EQ(Format("%*d|%-*d|%.*f", 4, 7, 3, 8, 1, 2.25), "   7|8  |2.3");
  EXPECT_EQ(Format("%s", 'x'), "x");
  EXPECT_EQ(Format("%d %s", Variant(5), Variant("v")), "5 v");
}

// Float conversions round the decimal digits half away from zero (not half to even as Round does).
TEST(Format, FloatRoundingOnDecimalDigits) {
  EXPECT_EQ(Format("%.1f", -1.0), "-1.0");
  EXPECT_EQ(Format("%.1f", 0.5), "0.5");
  EXPECT_EQ(Format("%.1f", 0.25), "0.3");
  EXPECT_EQ(Format("%.1f", 0.35), "0.4");
  EXPECT_EQ(Format("%.1f", -0.25), "-0.3");
  EXPECT_EQ(Format("%.1f", 0.15), "0.2");
  EXPECT_EQ(Format("%.2f", 1.005), "1.01");
  EXPECT_EQ(Format("%.1f", -0.04), "0.0");  // no "-0.0"
  EXPECT_EQ(Format("%.0f", 0.5), "1");
  EXPECT_EQ(Format("%.2f", 1e20), "100000000000000000000.00");
}

TEST(Format, MismatchRaisesConvertError) {
  EXPECT_THROW(Format("%d", "text"), EConvertError);
  EXPECT_THROW(Format("%d", 1.5), EConvertError);
  EXPECT_THROW(Format("%f", 3), EConvertError);
  EXPECT_THROW(Format("%s", 3), EConvertError);
  EXPECT_THROW(Format("%d %d", 1), EConvertError);
  EXPECT_THROW(Format("%"), EConvertError);
  EXPECT_THROW(Format("%q", 1), EConvertError);
  EXPECT_THROW(Format("%5:d", 1), EConvertError);
  EXPECT_THROW(Format("%d", Variant("abc")), EConvertError);
  try {
    Format("%d", "x");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Format '%d' invalid or incompatible with argument");
  }
}

// A width or precision taken from the arguments has the same bound as one written in the format: past
// it (the most negative integer, a precision of two thousand million) the format is refused instead of
// negating what cannot be negated or building a text of gigabytes.
TEST(Format, WidthAndPrecisionFromArgumentsAreBounded) {
  for (int bad : {INT_MIN, INT_MIN + 1, -100001, 100001, INT_MAX}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(Format("%*d", {bad, 5}), EConvertError);
    EXPECT_THROW(Format("%.*f", {bad, 1.5}), EConvertError);
    EXPECT_THROW(Format("%.*d", {bad, 5}), EConvertError);
  }
  EXPECT_EQ(Format("%*d|%*d|%.*f", {-3, 7, 3, 7, 1, 2.25}), "7  |  7|2.3");
  // At the bound itself the text is made, padded with zeros to the precision.
  const std::string wide = Format("%.*d", {100000, 7});
  EXPECT_EQ(wide.size(), 100000u);
  EXPECT_EQ(wide.find_first_not_of('0'), 99999u);
  EXPECT_EQ(Format("%-*d|", {-100000, 1}).size(), 100001u);
}
