#pragma once
// Basic types and numeric routines of the run-time library. No Qt here: this header is used by every
// layer, including the system's own code.

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>

using Integer = int32_t;
using Cardinal = uint32_t;
using ShortInt = int8_t;
using SmallInt = int16_t;
using Byte = uint8_t;
using Word = uint16_t;
using LongInt = int32_t;
using LongWord = uint32_t;
using DWord = uint32_t;
using Int64 = int64_t;
using UInt64 = uint64_t;
using Single = float;
using Double = double;
using Extended = long double;
using Real = double;
using Boolean = bool;
using NativeInt = intptr_t;
using NativeUInt = uintptr_t;
using Pointer = void*;
using AnsiChar = char;
using WideChar = char16_t;
using WideString = std::u16string;
using UnicodeString = std::u16string;

// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;
using TDate = double;
using TTime = double;

// Rounding: Round is round-half-to-even, the same as the floating-point unit's default mode.
int64_t Round(float X);
int64_t Round(double X);
int64_t Round(long double X);
inline int64_t Round(int X) { return X; }
inline int64_t Round(int64_t X) { return X; }
// Truncation toward zero.
int64_t Trunc(float X);
int64_t Trunc(double X);
int64_t Trunc(long double X);
inline double Frac(double X) { return X - std::trunc(X); }
inline long double Frac(long double X) { return X - std::trunc(X); }
inline float Frac(float X) { return X - std::trunc(X); }
inline double Int(double X) { return std::trunc(X); }
// Floor and Ceil as in the math unit (integer results).
inline int64_t Floor(double X) { return static_cast<int64_t>(std::floor(X)); }
inline int64_t Ceil(double X) { return static_cast<int64_t>(std::ceil(X)); }
inline double Power(double Base, double Exponent) { return std::pow(Base, Exponent); }
inline double Sqr(double X) { return X * X; }
inline int64_t Sqr(int64_t X) { return X * X; }

template <typename T>
constexpr T Min(T A, T B) { return B < A ? B : A; }
template <typename T>
constexpr T Max(T A, T B) { return A < B ? B : A; }
template <typename T>
constexpr T EnsureRange(T Value, T Lo, T Hi) { return Value < Lo ? Lo : (Hi < Value ? Hi : Value); }
template <typename T>
constexpr bool InRange(T Value, T Lo, T Hi) { return !(Value < Lo) && !(Hi < Value); }
template <typename T>
constexpr int Sign(T X) { return X > T(0) ? 1 : (X < T(0) ? -1 : 0); }
// Equal within Epsilon; Epsilon 0 picks a tolerance scaled to the magnitudes.
bool SameValue(double A, double B, double Epsilon = 0);
bool IsZero(double A, double Epsilon = 0);
// Integer division and remainder truncating toward zero, both at once.
inline void DivMod(int64_t Dividend, int64_t Divisor, int64_t& Result, int64_t& Remainder) {
  Result = Dividend / Divisor;
  Remainder = Dividend % Divisor;
}

// Currency: a fixed-point number counted in ten-thousandths.
struct Currency {
  int64_t Value = 0;  // ten-thousandths

  constexpr Currency() = default;
  static constexpr Currency FromRaw(int64_t Raw) { Currency c; c.Value = Raw; return c; }
  // Conversions from floating values round half to even.
  static Currency FromDouble(double D);
  static constexpr Currency FromInt(int64_t I) { return FromRaw(I * 10000); }
  double ToDouble() const { return static_cast<double>(Value) / 10000.0; }
  int64_t ToInt64() const;  // Round half to even

  friend constexpr bool operator==(Currency A, Currency B) { return A.Value == B.Value; }
  friend constexpr auto operator<=>(Currency A, Currency B) { return A.Value <=> B.Value; }
  friend constexpr Currency operator+(Currency A, Currency B) { return FromRaw(A.Value + B.Value); }
  friend constexpr Currency operator-(Currency A, Currency B) { return FromRaw(A.Value - B.Value); }
  friend constexpr Currency operator-(Currency A) { return FromRaw(-A.Value); }
  // Product and quotient are rounded half to even to ten-thousandths.
  friend Currency operator*(Currency A, Currency B);
  friend Currency operator/(Currency A, Currency B);
  Currency& operator+=(Currency B) { Value += B.Value; return *this; }
  Currency& operator-=(Currency B) { Value -= B.Value; return *this; }
};

// A small set over an enumeration whose values lie in 0..63, like the class library's "set of".
template <typename E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> Items) {
    for (E e : Items) Bits |= Bit(e);
  }
  constexpr TSet(E Item) : Bits(Bit(Item)) {}
  static constexpr TSet FromBits(uint64_t B) { TSet s; s.Bits = B; return s; }
  constexpr uint64_t ToBits() const { return Bits; }
  constexpr bool Contains(E e) const { return (Bits & Bit(e)) != 0; }
  constexpr bool Empty() const { return Bits == 0; }
  constexpr TSet& Include(E e) { Bits |= Bit(e); return *this; }
  constexpr TSet& Exclude(E e) { Bits &= ~Bit(e); return *this; }
  constexpr TSet operator+(TSet o) const { return FromBits(Bits | o.Bits); }
  constexpr TSet operator-(TSet o) const { return FromBits(Bits & ~o.Bits); }
  constexpr TSet operator*(TSet o) const { return FromBits(Bits & o.Bits); }
  constexpr TSet& operator+=(TSet o) { Bits |= o.Bits; return *this; }
  constexpr TSet& operator-=(TSet o) { Bits &= ~o.Bits; return *this; }
  constexpr TSet& operator*=(TSet o) { Bits &= o.Bits; return *this; }
  constexpr bool operator==(const TSet&) const = default;
  // Subset test: every member of this set is in o.
  constexpr bool operator<=(TSet o) const { return (Bits & ~o.Bits) == 0; }

 private:
  static constexpr uint64_t Bit(E e) { return uint64_t(1) << static_cast<unsigned>(e); }
  uint64_t Bits = 0;
};
