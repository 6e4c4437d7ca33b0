#include "platform/rtl/system.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/rtl/sysutils.h"

namespace {
// Half-to-even without reading or setting the rounding mode (Round is called per pixel): below 2^62 the
// truncating conversion to an integer and the subtraction of it are both exact, whatever the mode.
// Larger values and non-finite ones take the checked way.
template <typename F>
int64_t RoundHalfEven(F X) {
  if (std::fabs(X) < F(4611686018427387904.0L)) {
    int64_t i = static_cast<int64_t>(X);
    const F frac = X - static_cast<F>(i);
    if (frac > F(0.5) || (frac == F(0.5) && (i & 1)))
      ++i;
    else if (frac < F(-0.5) || (frac == F(-0.5) && (i & 1)))
      --i;
    return i;
  }
  if (!std::isfinite(X)) throw EInvalidOp("Invalid floating point operation");
  F r = std::trunc(X);
  const F frac = X - r;
  const bool odd = r != F(2) * std::trunc(r / F(2));
  if (frac > F(0.5) || (frac == F(0.5) && odd))
    r += F(1);
  else if (frac < F(-0.5) || (frac == F(-0.5) && odd))
    r -= F(1);
  if (r >= F(9223372036854775807.0L) || r < F(-9223372036854775807.0L) - 1)
    throw EInvalidOp("Invalid floating point operation");
  return static_cast<int64_t>(r);
}
template <typename F>
int64_t TruncTo(F X) {
  if (!std::isfinite(X)) throw EInvalidOp("Invalid floating point operation");
  F r = std::trunc(X);
  if (r >= F(9223372036854775807.0L) || r < F(-9223372036854775807.0L) - 1)
    throw EInvalidOp("Invalid floating point operation");
  return static_cast<int64_t>(r);
}
}  // namespace

int64_t Round(float X) { return RoundHalfEven(X); }
int64_t Round(double X) { return RoundHalfEven(X); }
int64_t Round(long double X) { return RoundHalfEven(X); }
int64_t Trunc(float X) { return TruncTo(X); }
int64_t Trunc(double X) { return TruncTo(X); }
int64_t Trunc(long double X) { return TruncTo(X); }

bool SameValue(double A, double B, double Epsilon) {
  if (Epsilon == 0) Epsilon = std::max(std::min(std::fabs(A), std::fabs(B)) * 1e-12, 1e-12);
  if (A > B) return A - B <= Epsilon;
  return B - A <= Epsilon;
}

bool IsZero(double A, double Epsilon) {
  if (Epsilon == 0) Epsilon = 1e-12;
  return std::fabs(A) <= Epsilon;
}

// Works on the value's 15 significant decimal digits, so 0.00005 is an exact tie (rounded to even)
// rather than the binary value's 0.0000500000000000000004.
Currency Currency::FromDouble(double D) {
  if (!std::isfinite(D) || std::fabs(D) >= 922337203685477.5808)
    throw EConvertError("'" + FloatToStr(D) + "' is not a valid floating point value");
  if (D == 0) return FromRaw(0);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(D));
  std::string digits;
  const char* e = std::strchr(buf, 'e');
  for (const char* p = buf; p < e; ++p)
    if (*p >= '0' && *p <= '9') digits.push_back(*p);
  int point = std::atoi(e + 1) + 1 + 4;  // digits before the point of D x 10000
  __int128 whole = 0;
  for (int i = 0; i < point && i < static_cast<int>(digits.size()); ++i) whole = whole * 10 + (digits[static_cast<size_t>(i)] - '0');
  for (int i = static_cast<int>(digits.size()); i < point; ++i) whole *= 10;
  // Rest after the point: compare with one half.
  int cmp = 0;
  if (point < static_cast<int>(digits.size())) {
    size_t first = static_cast<size_t>(std::max(point, 0));
    if (point < 0) cmp = -1;
    else if (digits[first] > '5') cmp = 1;
    else if (digits[first] < '5') cmp = -1;
    else cmp = digits.find_first_not_of('0', first + 1) != std::string::npos ? 1 : 0;
  } else {
    cmp = -2;  // nothing after the point
  }
  if (cmp == 1 || (cmp == 0 && (whole & 1))) ++whole;
  int64_t v = static_cast<int64_t>(whole);
  return FromRaw(D < 0 ? -v : v);
}

int64_t Currency::ToInt64() const {
  int64_t q = Value / 10000, r = Value % 10000;
  if (r > 5000 || (r == 5000 && (q & 1))) ++q;
  else if (r < -5000 || (r == -5000 && (q & 1))) --q;
  return q;
}

namespace {
// Divides rounding half to even.
int64_t DivRoundEven(__int128 N, __int128 D) {
  if (D == 0) throw EZeroDivide("Floating point division by zero");
  if (D < 0) { N = -N; D = -D; }
  __int128 q = N / D, r = N % D;
  __int128 twice = 2 * (r < 0 ? -r : r);
  if (twice > D || (twice == D && (q & 1))) q += (r < 0 ? -1 : 1);
  if (q > std::numeric_limits<int64_t>::max() || q < std::numeric_limits<int64_t>::min())
    throw EOverflow("Floating point overflow");
  return static_cast<int64_t>(q);
}
}  // namespace

Currency operator*(Currency A, Currency B) {
  return Currency::FromRaw(DivRoundEven(static_cast<__int128>(A.Value) * B.Value, 10000));
}

Currency operator/(Currency A, Currency B) {
  return Currency::FromRaw(DivRoundEven(static_cast<__int128>(A.Value) * 10000, B.Value));
}
