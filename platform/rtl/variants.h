#pragma once
// Variant: a small tagged value (empty, null, smallint, integer, Int64, single, double, currency,
// boolean, string, date-time, error value, or a one-dimensional array of variants). Failed conversions
// raise EVariantError ("Could not convert variant of type (String) into type (Double)"; overflow says
// "Overflow while converting ...").
//
// Rules chosen for comparison (VarCompareValue, ==, <):
// - Null equals only Null; against anything else it is "not equal", and < puts Null first.
// - Empty against Empty is equal; Empty against a string compares as ""; against a number as 0.
// - Two strings compare by bytes (case-sensitive); a string against a number converts the string with
//   StrToFloat (the locale's decimal separator) and compares numerically; a string that is not a number
//   raises EVariantError (from ==, < and VarCompareValue alike).
// - Numbers: integers (smallint, integer, Int64, boolean as -1/0) compare exactly as Int64; two
//   currencies compare exactly; every other mix compares as Double. A date is a Double.
// - Arrays are equal when their bounds and every element are equal; they never order.
// Conversions: Empty gives 0 / "" / False; Null raises except in VarToStr (which gives ""); strings go
// through StrToInt/StrToFloat/StrToCurr/StrToBool/StrToDateTime; Double to integer and currency rounds
// half to even and raises on overflow; Boolean gives "True"/"False" and -1/0.

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/rtl/sysutils.h"

// The type codes the class library uses.
enum TVarType : uint16_t {
  varEmpty = 0x0000,
  varNull = 0x0001,
  varSmallint = 0x0002,
  varInteger = 0x0003,
  varSingle = 0x0004,
  varDouble = 0x0005,
  varCurrency = 0x0006,
  varDate = 0x0007,
  varOleStr = 0x0008,
  varError = 0x000A,
  varBoolean = 0x000B,
  varVariant = 0x000C,
  varInt64 = 0x0014,
  varString = 0x0100,
  varArray = 0x2000,
};

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

class Variant {
 public:
  Variant() = default;  // Empty (Unassigned)
  Variant(int V) : FType(varInteger), FValue(int64_t(V)) {}
  Variant(int64_t V) : FType(varInt64), FValue(V) {}
  Variant(long long V) : FType(varInt64), FValue(int64_t(V)) {}
  Variant(unsigned V) : FType(varInt64), FValue(int64_t(V)) {}
  Variant(double V) : FType(varDouble), FValue(V) {}
  Variant(float V) : FType(varDouble), FValue(double(V)) {}
  Variant(long double V) : FType(varDouble), FValue(double(V)) {}
  Variant(Currency V) : FType(varCurrency), FValue(V.Value) {}
  Variant(bool V) : FType(varBoolean), FValue(int64_t(V)) {}
  Variant(const char* V) : FType(varString), FValue(std::string(V ? V : "")) {}
  Variant(std::string V) : FType(varString), FValue(std::move(V)) {}
  Variant(std::vector<Variant> Elements);  // an array with low bound 0

  static Variant Null() { Variant v; v.FType = varNull; return v; }
  // The narrower types; they convert and compare like Integer and Double.
  static Variant FromSmallint(int16_t V) { Variant v{int(V)}; v.FType = varSmallint; return v; }
  static Variant FromSingle(float V) { Variant v{double(V)}; v.FType = varSingle; return v; }
  static Variant Empty() { return Variant(); }
  static Variant FromDateTime(TDateTime D) { Variant v(D); v.FType = varDate; return v; }
  // An error value carrying a code (converts to nothing; VarToStr raises).
  static Variant Error(int32_t Code) { Variant v(Code); v.FType = varError; return v; }

  // varEmpty, varNull, varSmallint, varInteger, varInt64, varSingle, varDouble, varCurrency, varDate,
  // varBoolean, varString, varError, or varArray | varVariant.
  uint16_t VarType() const { return FType; }
  bool IsEmpty() const { return FType == varEmpty; }
  bool IsNull() const { return FType == varNull; }
  bool IsArray() const { return FType == (varArray | varVariant); }
  bool IsNumeric() const;  // integer, Int64, double, currency, boolean
  bool IsString() const { return FType == varString; }
  bool IsError() const { return FType == varError; }
  int32_t ErrorCode() const;  // EVariantError when not an error value

  // Conversions. Empty converts to 0 / "" / False; Null raises EVariantError except in ToString
  // (which VarToStr maps to ""); strings convert through StrToInt/StrToFloat/StrToBool.
  int32_t AsInteger() const;
  int64_t AsInt64() const;
  double AsDouble() const;
  Currency AsCurrency() const;
  bool AsBoolean() const;
  TDateTime AsDateTime() const;
  std::string AsString() const;

  explicit operator int32_t() const { return AsInteger(); }
  explicit operator int64_t() const { return AsInt64(); }
  explicit operator double() const { return AsDouble(); }
  explicit operator bool() const { return AsBoolean(); }
  explicit operator std::string() const { return AsString(); }

  // Array access (EVariantError when not an array or the index is outside the bounds).
  int ArrayLowBound() const;
  int ArrayHighBound() const;
  int ArrayDimCount() const { return IsArray() ? 1 : 0; }
  // Changes the high bound, keeping the low bound and the elements that stay inside; new ones are
  // Empty. A high bound below LowBound - 1 raises EVariantError.
  void ArrayRedim(int HighBound);
  const Variant& operator[](int Index) const;
  Variant& operator[](int Index);

  // Equality as the class library's "=": Null equals only Null; numbers compare numerically, strings
  // by bytes; a string against a number compares numerically when the string is a number.
  friend bool operator==(const Variant& A, const Variant& B);
  friend bool operator!=(const Variant& A, const Variant& B) { return !(A == B); }
  friend bool operator<(const Variant& A, const Variant& B);
  friend bool operator>(const Variant& A, const Variant& B) { return B < A; }
  friend bool operator<=(const Variant& A, const Variant& B) { return !(B < A); }
  friend bool operator>=(const Variant& A, const Variant& B) { return !(A < B); }

  // Arithmetic: Null in either operand gives Null; two strings concatenate under +; otherwise the
  // operands convert to the wider of Int64, Currency and Double (a date stays a date under + and -).
  friend Variant operator+(const Variant& A, const Variant& B);
  friend Variant operator-(const Variant& A, const Variant& B);
  friend Variant operator*(const Variant& A, const Variant& B);
  friend Variant operator/(const Variant& A, const Variant& B);  // always Double; EZeroDivide

 private:
  uint16_t FType = varEmpty;
  int32_t FLowBound = 0;  // arrays only
  friend Variant VarArrayCreate(int Low, int High, uint16_t ElemType);
  std::variant<std::monostate, int64_t, double, std::string, std::shared_ptr<std::vector<Variant>>> FValue;
};

inline const Variant Unassigned{};
inline const Variant Null = Variant::Null();

inline uint16_t VarType(const Variant& V) { return V.VarType(); }
inline bool VarIsNull(const Variant& V) { return V.IsNull(); }
inline bool VarIsEmpty(const Variant& V) { return V.IsEmpty(); }
inline bool VarIsClear(const Variant& V) { return V.IsEmpty(); }
inline bool VarIsArray(const Variant& V) { return V.IsArray(); }
inline bool VarIsNumeric(const Variant& V) { return V.IsNumeric(); }
inline bool VarIsStr(const Variant& V) { return V.IsString(); }
inline bool VarIsError(const Variant& V) { return V.IsError(); }
// Text of a variant; Null and Empty give "". Arrays raise EVariantError.
std::string VarToStr(const Variant& V);
std::string VarToStrDef(const Variant& V, const std::string& Default);
Variant VarArrayOf(const std::vector<Variant>& Values);
inline int VarArrayLowBound(const Variant& V, int /*Dim*/) { return V.ArrayLowBound(); }
inline int VarArrayHighBound(const Variant& V, int /*Dim*/) { return V.ArrayHighBound(); }
// An array indexed Low..High of Empty elements (of zeros when ElemType is a number type, "" for
// varString). High < Low - 1 raises EVariantError ("Variant array bounds error").
Variant VarArrayCreate(int Low, int High, uint16_t ElemType = varVariant);
inline void VarArrayRedim(Variant& A, int HighBound) { A.ArrayRedim(HighBound); }
inline int VarArrayDimCount(const Variant& V) { return V.ArrayDimCount(); }
// The value converted to the given type code (varSmallint .. varString, varDate); EVariantError.
Variant VarAsType(const Variant& V, uint16_t VarType);
inline bool VarIsType(const Variant& V, uint16_t VarType) { return V.VarType() == VarType; }
Variant VarFromDateTime(TDateTime D);
TDateTime VarToDateTime(const Variant& V);
// Compares two variants: vrNotEqual when one is Null and the other is not, or when they cannot be
// ordered; arrays compare element by element.
TVariantRelationship VarCompareValue(const Variant& A, const Variant& B);
bool VarSameValue(const Variant& A, const Variant& B);
// Name of a type code, as used in conversion messages ("String", "Double").
std::string VarTypeAsText(uint16_t VarType);
