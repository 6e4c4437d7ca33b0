// The display texts of field values (FloatToStr / FloatToStrF general format, FormatDateTime with the
// usual date and time formats) compared with a plain reference built on the C library's correctly
// rounded printf, over many values: ties, integers near 2^53, tiny and huge values, and random bit
// patterns. The text writers take faster paths for common cases; these must give the same bytes.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "platform/rtl/sysutils.h"

namespace {

// The general format with Precision significant digits: printf's rounding of the value to 15 digits,
// then to Precision, trailing zeros dropped; fixed notation when the decimal exponent E (value = 0.ddd x 10^E) is in [-3, Precision],
// else d.dddE[-]x.
std::string ReferenceGeneral(double V, int Precision) {
  if (std::isnan(V)) return "NAN";
  if (std::isinf(V)) return V < 0 ? "-INF" : "INF";
  if (V == 0) return "0";
  // Fifteen digits from printf, then (for fewer) half away from zero on those digits.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14Le", static_cast<long double>(std::fabs(V)));
  std::string digits;
  const char* e = std::strchr(buf, 'e');
  for (const char* p = buf; p < e; ++p)
    if (*p >= '0' && *p <= '9') digits.push_back(*p);
  int exp = std::atoi(e + 1) + 1;
  if (Precision < 15) {
    const bool up = digits[static_cast<size_t>(Precision)] >= '5';
    digits.resize(static_cast<size_t>(Precision));
    int i = Precision - 1;
    while (up && i >= 0 && digits[static_cast<size_t>(i)] == '9') digits[static_cast<size_t>(i--)] = '0';
    if (up && i < 0) {
      digits.insert(digits.begin(), '1');
      ++exp;
    } else if (up) {
      ++digits[static_cast<size_t>(i)];
    }
  }
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  const std::string sign = std::signbit(V) ? "-" : "";
  const int n = static_cast<int>(digits.size());
  const char sep = FormatSettings.DecimalSeparator;
  if (exp > Precision || exp < -3) {
    std::string s(1, digits[0]);
    if (n > 1) s += sep + digits.substr(1);
    return sign + s + "E" + std::to_string(exp - 1);
  }
  std::string s;
  if (exp <= 0) {
    s = "0";
    s += sep;
    s += std::string(static_cast<size_t>(-exp), '0') + digits;
    return sign + s;
  }
  for (int i = 0; i < exp; ++i) s.push_back(i < n ? digits[static_cast<size_t>(i)] : '0');
  if (n > exp) s += sep + digits.substr(static_cast<size_t>(exp));
  return sign + s;
}

TEST(DisplayText, FloatTextsMatchTheCorrectlyRoundedReference) {
  std::vector<double> values = {0.1, 0.25, 1.25, 2.5, 1e15, 1e16, 123456789012345.0, 1234567890123455.0,
                                9007199254740993.0, 9007199254740991.0, 0.0001, 0.00012345, 1e-5, 5e-324,
                                1.7976931348623157e308, 2.675, 1.005, -0.0, -3.5, 1.0 / 3.0, 2.0 / 3.0,
                                999999999999999.5, 0.99999999999999995, 12345.678900000001};
  // Integers ending in 5 at the 16th digit are ties at 15 digits.
  for (long long k = 1000000000000005LL; k < 1000000000000005LL + 200; k += 10) values.push_back(static_cast<double>(k));
  std::mt19937_64 rng(24);
  for (int i = 0; i < 20000; ++i) {
    uint64_t bits = rng();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isnan(v)) continue;
    values.push_back(v);
  }
  for (int i = 0; i < 20000; ++i) values.push_back(static_cast<double>(rng() % 400000) / 4.0);
  for (int i = 0; i < 5000; ++i) values.push_back(static_cast<double>(static_cast<int64_t>(rng() % 100000000)) / 100.0);
  int failures = 0;
  for (double v : values) {
    for (int precision : {15, 7, 10}) {
      const std::string want = ReferenceGeneral(v, precision);
      const std::string got = precision == 15 ? FloatToStr(v) : FloatToStrF(v, ffGeneral, precision, 0);
      if (got != want && ++failures < 10) ADD_FAILURE() << v << " at " << precision << ": " << got << " vs " << want;
    }
  }
  EXPECT_EQ(failures, 0);
}

TEST(DisplayText, DateTextsMatchTheirFields) {
  std::mt19937 rng(7);
  const char* formats[] = {"yyyy/mm/dd", "d/m/yy", "dd/mm/yyyy hh:nn:ss", "h:n:s", "yyyy-mm-dd hh:nn:ss.zzz",
                           "hh:mm am/pm"};
  for (int i = 0; i < 5000; ++i) {
    const int y = 1900 + static_cast<int>(rng() % 8000), mo = 1 + static_cast<int>(rng() % 12),
              d = 1 + static_cast<int>(rng() % 28);
    const int h = static_cast<int>(rng() % 24), mi = static_cast<int>(rng() % 60), s = static_cast<int>(rng() % 60),
              ms = static_cast<int>(rng() % 1000);
    const TDateTime t = EncodeDate(y, mo, d) + EncodeTime(h, mi, s, ms);
    char want[64];
    std::snprintf(want, sizeof want, "%04d%c%02d%c%02d", y, FormatSettings.DateSeparator, mo, FormatSettings.DateSeparator,
                  d);
    ASSERT_EQ(FormatDateTime(formats[0], t), want);
    std::snprintf(want, sizeof want, "%d%c%d%c%02d", d, FormatSettings.DateSeparator, mo, FormatSettings.DateSeparator,
                  y % 100);
    ASSERT_EQ(FormatDateTime(formats[1], t), want);
    std::snprintf(want, sizeof want, "%02d%c%02d%c%04d %02d%c%02d%c%02d", d, FormatSettings.DateSeparator, mo,
                  FormatSettings.DateSeparator, y, h, FormatSettings.TimeSeparator, mi, FormatSettings.TimeSeparator, s);
    ASSERT_EQ(FormatDateTime(formats[2], t), want);
    std::snprintf(want, sizeof want, "%d%c%d%c%d", h, FormatSettings.TimeSeparator, mi, FormatSettings.TimeSeparator, s);
    ASSERT_EQ(FormatDateTime(formats[3], t), want);
    std::snprintf(want, sizeof want, "%04d-%02d-%02d %02d%c%02d%c%02d.%03d", y, mo, d, h, FormatSettings.TimeSeparator,
                  mi, FormatSettings.TimeSeparator, s, ms);
    ASSERT_EQ(FormatDateTime(formats[4], t), want);
    const int h12 = h % 12 == 0 ? 12 : h % 12;
    std::snprintf(want, sizeof want, "%02d%c%02d %s", h12, FormatSettings.TimeSeparator, mi, h < 12 ? "am" : "pm");
    ASSERT_EQ(FormatDateTime(formats[5], t), want);
  }
}

}  // namespace
