#include "platform/rtl/system.h"

#include <cfenv>
#include <cmath>
#include <limits>

#include "platform/rtl/sysutils.h"

namespace {
// nearbyint honours the current rounding mode; the library always runs in round-to-nearest-even,
// but a caller may have changed the mode, so it is set for the call.
template <typename F>
int64_t RoundHalfEven(F X) {
  if (!std::isfinite(X)) throw EInvalidOp("Invalid floating point operation");
  const int old = std::fegetround();
  if (old != FE_TONEAREST) std::fesetround(FE_TONEAREST);
  F r = std::nearbyint(X);
  if (old != FE_TONEAREST) std::fesetround(old);
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

Currency Currency::FromDouble(double D) {
  long double scaled = static_cast<long double>(D) * 10000.0L;
  if (!std::isfinite(scaled) || std::fabs(scaled) > 9.2e18L)
    throw EConvertError("'" + FloatToStr(D) + "' is not a valid floating point value");
  return FromRaw(Round(scaled));
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
