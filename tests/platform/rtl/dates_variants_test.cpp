#include <gtest/gtest.h>

#include "platform/rtl/sysutils.h"
#include "platform/rtl/variants.h"

TEST(Dates, EncodeDecodeRoundTrip) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_EQ(EncodeDate(2000, 3, 1), 36586);
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  TDateTime d = EncodeDateTime(2024, 2, 29, 13, 45, 30, 250);
  int y, m, dd, h, mi, s, ms;
  DecodeDateTime(d, y, m, dd, h, mi, s, ms);
  EXPECT_EQ((std::vector<int>{y, m, dd, h, mi, s, ms}), (std::vector<int>{2024, 2, 29, 13, 45, 30, 250}));
  DecodeDateTime(-1.25, y, m, dd, h, mi, s, ms);  // before the epoch the fraction is still the time
  EXPECT_EQ((std::vector<int>{y, m, dd, h}), (std::vector<int>{1899, 12, 29, 6}));
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);  // Saturday
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 7)), 1);    // Sunday
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_EQ(DaysInAMonth(2024, 2), 29);
  EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31), 1), EncodeDate(2024, 2, 29));
  EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 15), -3), EncodeDate(2023, 12, 15));
  EXPECT_GT(Now(), EncodeDate(2020, 1, 1));
}

TEST(Dates, FormatAndParse) {
  TDateTime d = EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", d), "2024-03-05 14:07:09");
  EXPECT_EQ(FormatDateTime("d/m/yy h:mm", d), "5-3-24 14:07");
  EXPECT_EQ(FormatDateTime("mmm dddd 'at' h am/pm", d), "Mar Tuesday at 2 pm");
  EXPECT_EQ(DateToStr(d), "2024-03-05");
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5)), "2024-03-05");
  EXPECT_EQ(StrToDate("2024-03-05"), EncodeDate(2024, 3, 5));
  EXPECT_EQ(StrToDateTime("2024-03-05 14:07:09"), d);
  EXPECT_THROW(StrToDate("2024-13-01"), EConvertError);
  EXPECT_THROW(StrToDate("hello"), EConvertError);
}

TEST(Variant, ConversionsAndComparisons) {
  Variant n = Null;
  EXPECT_TRUE(VarIsNull(n));
  EXPECT_EQ(VarToStr(n), "");
  EXPECT_THROW(n.AsInteger(), EVariantError);
  EXPECT_EQ(VarToStr(Variant(42)), "42");
  EXPECT_EQ(VarToStr(Variant(1.5)), "1.5");
  EXPECT_EQ(VarToStr(Variant(true)), "True");
  EXPECT_EQ(VarToStr(Variant(Currency::FromDouble(2.25))), "2.25");
  EXPECT_EQ(Variant("12").AsInteger(), 12);
  EXPECT_EQ(Variant(2.5).AsInteger(), 2);  // half to even
  EXPECT_THROW(Variant("abc").AsDouble(), EVariantError);
  EXPECT_THROW(Variant(int64_t(1) << 40).AsInteger(), EVariantError);
  EXPECT_TRUE(Variant(1) == Variant(1.0));
  EXPECT_TRUE(Variant("10") == Variant(10));
  EXPECT_TRUE(Variant(1) < Variant(2.5));
  EXPECT_TRUE(Variant("abc") < Variant("abd"));
  EXPECT_TRUE(Null == Null);
  EXPECT_FALSE(Null == Variant(0));
  EXPECT_THROW((void)(Variant("x") == Variant(1)), EVariantError);
  Variant arr = VarArrayOf({1, "two", Null});
  EXPECT_TRUE(VarIsArray(arr));
  EXPECT_EQ(VarArrayHighBound(arr, 1), 2);
  EXPECT_EQ(VarToStr(arr[1]), "two");
  EXPECT_THROW((void)arr[3], EVariantError);
  Variant copy = arr;
  copy[0] = 5;
  EXPECT_EQ(arr[0].AsInteger(), 1);  // copies do not share writes
  EXPECT_TRUE(arr == VarArrayOf({1, "two", Null}));
  Variant date = VarFromDateTime(EncodeDate(2024, 3, 5));
  EXPECT_EQ(VarType(date), varDate);
  EXPECT_EQ(VarToStr(date), "2024-03-05");
}

TEST(Variant, Arithmetic) {
  EXPECT_EQ(VarType(Variant(2) + Variant(3)), varInt64);
  EXPECT_EQ((Variant(2) + Variant(3)).AsInteger(), 5);
  EXPECT_EQ(VarToStr(Variant("ab") + Variant("cd")), "abcd");
  EXPECT_EQ((Variant("2") + Variant(3)).AsInteger(), 5);
  EXPECT_DOUBLE_EQ((Variant(1) + Variant(0.5)).AsDouble(), 1.5);
  Variant sum = Variant(Currency::FromInt(1)) + Variant(Currency::FromInt(2)) + Variant(3);
  EXPECT_EQ(VarType(sum), varCurrency);
  EXPECT_EQ(VarToStr(sum), "6");
  EXPECT_TRUE(VarIsNull(Variant(1) + Null));
  EXPECT_EQ(VarType(VarFromDateTime(10) + Variant(1)), varDate);
  EXPECT_EQ(VarType(VarFromDateTime(10) - VarFromDateTime(4)), varDouble);
  EXPECT_THROW(Variant(1) / Variant(0), EZeroDivide);
  EXPECT_THROW(Variant("x") + Variant(1), EVariantError);
  Variant err = Variant::Error(-1);
  EXPECT_TRUE(VarIsError(err));
  EXPECT_EQ(err.ErrorCode(), -1);
  EXPECT_THROW(VarToStr(err), EVariantError);
}

// Every conversion pair the libraries use: rows are sources, the expected text is what each target
// gives ("!" when the conversion raises EVariantError).
TEST(Variant, ConversionTable) {
  struct Row { Variant v; const char* asInt; const char* asDouble; const char* asCurr; const char* asBool; const char* asStr; };
  const Row rows[] = {
      {Variant(), "0", "0", "0", "False", ""},
      {Null, "!", "!", "!", "!", "!"},
      {Variant::FromSmallint(-7), "-7", "-7", "-7", "True", "-7"},
      {Variant(42), "42", "42", "42", "True", "42"},
      {Variant(int64_t(1) << 40), "!", "1099511627776", "1099511627776", "True", "1099511627776"},
      {Variant::FromSingle(0.1f), "0", "0.100000001490116", "0.1", "True", "0.1"},
      {Variant(2.5), "2", "2.5", "2.5", "True", "2.5"},
      {Variant(3.5), "4", "3.5", "3.5", "True", "3.5"},
      {Variant(1e300), "!", "1E300", "!", "True", "1E300"},
      {Variant(Currency::FromDouble(1.2345)), "1", "1.2345", "1.2345", "True", "1.2345"},
      {Variant(true), "-1", "-1", "-1", "True", "True"},
      {Variant(false), "0", "0", "0", "False", "False"},
      {Variant("12"), "12", "12", "12", "True", "12"},
      {Variant("1.5"), "2", "1.5", "1.5", "True", "1.5"},
      {Variant("true"), "!", "!", "!", "True", "true"},
      {Variant("x"), "!", "!", "!", "!", "x"},
      {VarFromDateTime(EncodeDate(2024, 3, 5) + 0.5), "45356", "45356.5", "45356.5", "True", "2024-03-05 12:00:00"},
      {Variant::Error(5), "!", "!", "!", "!", "!"},
      {VarArrayOf({1}), "!", "!", "!", "!", "!"},
  };
  auto text = [](auto f) -> std::string {
    try {
      return f();
    } catch (const EVariantError&) {
      return "!";
    }
  };
  for (const Row& r : rows) {
    const std::string name = VarTypeAsText(r.v.VarType());
    EXPECT_EQ(text([&] { return IntToStr(r.v.AsInteger()); }), r.asInt) << name;
    EXPECT_EQ(text([&] { return FloatToStr(r.v.AsDouble()); }), r.asDouble) << name;
    EXPECT_EQ(text([&] { return CurrToStr(r.v.AsCurrency()); }), r.asCurr) << name;
    EXPECT_EQ(text([&] { return BoolToStr(r.v.AsBoolean(), true); }), r.asBool) << name;
    EXPECT_EQ(text([&] { return r.v.AsString(); }), r.asStr) << name;
  }
  EXPECT_EQ(Variant("2024-03-05").AsDateTime(), EncodeDate(2024, 3, 5));
  EXPECT_THROW(Variant("not a date").AsDateTime(), EVariantError);
  EXPECT_EQ(VarType(VarAsType(Variant("7"), varSmallint)), varSmallint);
  EXPECT_THROW(VarAsType(Variant(70000), varSmallint), EVariantError);
  EXPECT_EQ(VarAsType(Variant(2.5), varCurrency).AsCurrency().Value, 25000);
  EXPECT_EQ(VarToStr(VarAsType(Variant(true), varString)), "True");
  EXPECT_TRUE(Variant::FromSmallint(3) == Variant(3.0));
  EXPECT_TRUE(Variant::FromSingle(0.5f) < Variant(1));
  EXPECT_TRUE(Variant() == Variant(0));
  EXPECT_TRUE(Variant() == Variant(""));
  EXPECT_FALSE(Variant("abc") == Variant("ABC"));
  EXPECT_TRUE(Variant("2.5") > Variant(2));
}

TEST(Variant, ArraysWithBounds) {
  Variant a = VarArrayCreate(1, 3);
  EXPECT_EQ(VarArrayDimCount(a), 1);
  EXPECT_EQ(VarArrayDimCount(Variant(1)), 0);
  EXPECT_EQ(VarArrayLowBound(a, 1), 1);
  EXPECT_EQ(VarArrayHighBound(a, 1), 3);
  EXPECT_TRUE(VarIsEmpty(a[1]));
  EXPECT_THROW((void)a[0], EVariantError);
  a[3] = "c";
  Variant b = a;
  VarArrayRedim(a, 5);
  EXPECT_EQ(VarArrayHighBound(a, 1), 5);
  EXPECT_EQ(VarToStr(a[3]), "c");
  EXPECT_TRUE(VarIsEmpty(a[5]));
  EXPECT_EQ(VarArrayHighBound(b, 1), 3);  // the copy keeps its own bounds
  VarArrayRedim(a, 0);                      // down to no elements
  EXPECT_EQ(VarArrayHighBound(a, 1), 0);
  EXPECT_THROW(VarArrayRedim(a, -1), EVariantError);
  EXPECT_THROW(VarArrayCreate(5, 3), EVariantError);
  EXPECT_THROW(VarArrayHighBound(Variant(1), 1), EVariantError);
  Variant ints = VarArrayCreate(-1, 1, varInteger);
  EXPECT_EQ(ints[-1].AsInteger(), 0);
  EXPECT_EQ(VarType(ints[0]), varInteger);
  EXPECT_FALSE(VarArrayCreate(0, 1) == VarArrayCreate(1, 2));  // bounds differ
}

// Long runs of one letter: each token takes what it can (two-letter hours, a year the whole run, other
// letters one by one) and the rest of the run follows; the time this takes grows with the run's length.
TEST(Dates, LongRunsOfOneLetter) {
  const TDateTime d = EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);
  const size_t n = 40000;
  std::string twos;
  for (size_t i = 0; i < n / 2; ++i) twos += "14";
  EXPECT_EQ(FormatDateTime(std::string(n, 'h'), d), twos);
  EXPECT_EQ(FormatDateTime(std::string(n, 'y'), d), "2024");
  EXPECT_EQ(FormatDateTime(std::string(n, 'q'), d), std::string(n, 'q'));
  // Six d's are the long date; 40,000 = 6 x 6,666 + 4, the last four the day's name.
  std::string dates;
  for (int i = 0; i < 6666; ++i) dates += FormatDateTime("dddddd", d);
  EXPECT_EQ(FormatDateTime(std::string(n, 'd'), d), dates + "Tuesday");
  std::string months;
  for (int i = 0; i < 10000; ++i) months += "March";
  EXPECT_EQ(FormatDateTime(std::string(n, 'm'), d), months);
}
