#include "platform/rtl/variants.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
[[noreturn]] void ConvertError(uint16_t From, const char* To) {
  throw EVariantError("Could not convert variant of type (" + VarTypeAsText(From) + ") into type (" + To + ")");
}
[[noreturn]] void OverflowError(uint16_t From, const char* To) {
  throw EVariantError("Overflow while converting variant of type (" + VarTypeAsText(From) + ") into type (" + To + ")");
}
int64_t RoundChecked(double D, uint16_t From, const char* To) {
  if (!std::isfinite(D) || std::fabs(D) >= 9.2e18) OverflowError(From, To);
  return Round(D);
}
bool IsIntegral(uint16_t t) {
  return t == varSmallint || t == varInteger || t == varInt64 || t == varBoolean || t == varEmpty;
}
}  // namespace

std::string VarTypeAsText(uint16_t T) {
  switch (T) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varSmallint: return "Smallint";
    case varInteger: return "Integer";
    case varSingle: return "Single";
    case varDouble: return "Double";
    case varCurrency: return "Currency";
    case varDate: return "Date";
    case varOleStr: return "OleStr";
    case varError: return "Error";
    case varBoolean: return "Boolean";
    case varVariant: return "Variant";
    case varInt64: return "Int64";
    case varString: return "String";
    case varArray | varVariant: return "Array Variant";
    default: return "Unknown";
  }
}

Variant::Variant(std::vector<Variant> Elements)
    : FType(varArray | varVariant), FValue(std::make_shared<std::vector<Variant>>(std::move(Elements))) {}

bool Variant::IsNumeric() const {
  return FType == varSmallint || FType == varInteger || FType == varInt64 || FType == varSingle || FType == varDouble ||
         FType == varCurrency || FType == varBoolean;
}

int64_t Variant::AsInt64() const {
  switch (FType) {
    case varEmpty: return 0;
    case varSmallint:
    case varInteger:
    case varInt64: return std::get<int64_t>(FValue);
    case varBoolean: return std::get<int64_t>(FValue) ? -1 : 0;
    case varCurrency: return Currency::FromRaw(std::get<int64_t>(FValue)).ToInt64();
    case varSingle:
    case varDouble:
    case varDate: return RoundChecked(std::get<double>(FValue), FType, "Int64");
    case varString: {
      const std::string& s = std::get<std::string>(FValue);
      int64_t v;
      if (TryStrToInt64(s, v)) return v;
      double f;
      if (TryStrToFloat(s, f)) return RoundChecked(f, FType, "Int64");
      ConvertError(FType, "Int64");
    }
    default: ConvertError(FType, "Int64");
  }
}
int32_t Variant::AsInteger() const {
  int64_t v = AsInt64();
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) OverflowError(FType, "Integer");
  return static_cast<int32_t>(v);
}
double Variant::AsDouble() const {
  switch (FType) {
    case varEmpty: return 0;
    case varSmallint:
    case varInteger:
    case varInt64: return static_cast<double>(std::get<int64_t>(FValue));
    case varBoolean: return std::get<int64_t>(FValue) ? -1.0 : 0.0;
    case varCurrency: return static_cast<double>(std::get<int64_t>(FValue)) / 10000.0;
    case varSingle:
    case varDouble:
    case varDate: return std::get<double>(FValue);
    case varString: {
      double f;
      if (TryStrToFloat(std::get<std::string>(FValue), f)) return f;
      ConvertError(FType, "Double");
    }
    default: ConvertError(FType, "Double");
  }
}
Currency Variant::AsCurrency() const {
  switch (FType) {
    case varCurrency: return Currency::FromRaw(std::get<int64_t>(FValue));
    case varEmpty:
    case varSmallint:
    case varInteger:
    case varInt64:
    case varBoolean: return Currency::FromInt(AsInt64());
    case varString: {
      Currency c;
      if (TryStrToCurr(std::get<std::string>(FValue), c)) return c;
      ConvertError(FType, "Currency");
    }
    case varSingle:
    case varDouble:
    case varDate: {
      double d = std::get<double>(FValue);
      if (!std::isfinite(d) || std::fabs(d) > 9.2e14) OverflowError(FType, "Currency");
      return Currency::FromDouble(d);
    }
    default: ConvertError(FType, "Currency");
  }
}
bool Variant::AsBoolean() const {
  switch (FType) {
    case varEmpty: return false;
    case varSmallint:
    case varInteger:
    case varInt64:
    case varBoolean:
    case varCurrency: return std::get<int64_t>(FValue) != 0;
    case varSingle:
    case varDouble:
    case varDate: return std::get<double>(FValue) != 0;
    case varString: {
      bool b;
      if (TryStrToBool(std::get<std::string>(FValue), b)) return b;
      ConvertError(FType, "Boolean");
    }
    default: ConvertError(FType, "Boolean");
  }
}
TDateTime Variant::AsDateTime() const {
  switch (FType) {
    case varString: {
      TDateTime d;
      if (TryStrToDateTime(std::get<std::string>(FValue), d)) return d;
      ConvertError(FType, "Date");
    }
    case varNull:
    case varArray | varVariant: ConvertError(FType, "Date");
    default: return AsDouble();
  }
}
std::string Variant::AsString() const {
  switch (FType) {
    case varEmpty: return {};
    case varSmallint:
    case varInteger:
    case varInt64: return IntToStr(std::get<int64_t>(FValue));
    case varBoolean: return std::get<int64_t>(FValue) ? "True" : "False";
    case varCurrency: return CurrToStr(Currency::FromRaw(std::get<int64_t>(FValue)));
    case varSingle: return FloatToStrF(std::get<double>(FValue), ffGeneral, 7, 0);
    case varDouble: return FloatToStr(std::get<double>(FValue));
    case varDate: return DateTimeToStr(std::get<double>(FValue));
    case varString: return std::get<std::string>(FValue);
    default: ConvertError(FType, "String");
  }
}

int Variant::ArrayLowBound() const {
  if (!IsArray()) throw EVariantError("Variant is not an array");
  return FLowBound;
}
int Variant::ArrayHighBound() const {
  if (!IsArray()) throw EVariantError("Variant is not an array");
  return FLowBound + static_cast<int>(std::get<std::shared_ptr<std::vector<Variant>>>(FValue)->size()) - 1;
}
const Variant& Variant::operator[](int Index) const {
  if (!IsArray()) throw EVariantError("Variant is not an array");
  const auto& v = *std::get<std::shared_ptr<std::vector<Variant>>>(FValue);
  const int64_t i = int64_t(Index) - FLowBound;
  if (i < 0 || i >= static_cast<int64_t>(v.size())) throw EVariantError("Variant or safe array index out of bounds");
  return v[static_cast<size_t>(i)];
}
Variant& Variant::operator[](int Index) {
  if (!IsArray()) throw EVariantError("Variant is not an array");
  auto& p = std::get<std::shared_ptr<std::vector<Variant>>>(FValue);
  if (p.use_count() > 1) p = std::make_shared<std::vector<Variant>>(*p);  // copies share until written
  const int64_t i = int64_t(Index) - FLowBound;
  if (i < 0 || i >= static_cast<int64_t>(p->size())) throw EVariantError("Variant or safe array index out of bounds");
  return (*p)[static_cast<size_t>(i)];
}
void Variant::ArrayRedim(int HighBound) {
  if (!IsArray()) throw EVariantError("Variant is not an array");
  const int64_t n = int64_t(HighBound) - FLowBound + 1;
  if (n < 0 || n > (int64_t(1) << 28)) throw EVariantError("Variant array bounds error");
  auto& p = std::get<std::shared_ptr<std::vector<Variant>>>(FValue);
  if (p.use_count() > 1) p = std::make_shared<std::vector<Variant>>(*p);
  p->resize(static_cast<size_t>(n));
}
Variant VarArrayCreate(int Low, int High, uint16_t ElemType) {
  const int64_t n = int64_t(High) - Low + 1;
  if (n < 0 || n > (int64_t(1) << 28)) throw EVariantError("Variant array bounds error");
  Variant zero;
  if (ElemType != varVariant && ElemType != varEmpty) zero = VarAsType(Variant(0), ElemType);
  Variant a{std::vector<Variant>(static_cast<size_t>(n), zero)};
  a.FLowBound = Low;
  return a;
}
Variant VarAsType(const Variant& V, uint16_t T) {
  switch (T) {
    case varEmpty: return Variant();
    case varNull: return Null;
    case varSmallint: {
      int32_t i = V.AsInteger();
      if (i < -32768 || i > 32767) throw EVariantError("Overflow while converting variant of type (" + VarTypeAsText(V.VarType()) + ") into type (Smallint)");
      return Variant::FromSmallint(static_cast<int16_t>(i));
    }
    case varInteger: return Variant(V.AsInteger());
    case varInt64: return Variant(V.AsInt64());
    case varSingle: return Variant::FromSingle(static_cast<float>(V.AsDouble()));
    case varDouble: return Variant(V.AsDouble());
    case varCurrency: return Variant(V.AsCurrency());
    case varDate: return Variant::FromDateTime(V.AsDateTime());
    case varBoolean: return Variant(V.AsBoolean());
    case varString:
    case varOleStr: return Variant(V.AsString());
    case varVariant: return V;
    default: ConvertError(V.VarType(), VarTypeAsText(T).c_str());
  }
}

TVariantRelationship VarCompareValue(const Variant& A, const Variant& B) {
  const uint16_t ta = A.VarType(), tb = B.VarType();
  if (ta == varNull || tb == varNull) return ta == tb ? vrEqual : vrNotEqual;
  if (A.IsArray() || B.IsArray()) {
    if (!A.IsArray() || !B.IsArray() || A.ArrayLowBound() != B.ArrayLowBound() ||
        A.ArrayHighBound() != B.ArrayHighBound())
      return vrNotEqual;
    for (int i = A.ArrayLowBound(); i <= A.ArrayHighBound(); ++i)
      if (VarCompareValue(A[i], B[i]) != vrEqual) return vrNotEqual;
    return vrEqual;
  }
  auto rel = [](auto x, auto y) { return x < y ? vrLessThan : (y < x ? vrGreaterThan : vrEqual); };
  if ((ta == varString || ta == varEmpty) && (tb == varString || tb == varEmpty) && !(ta == varEmpty && tb == varEmpty))
    return rel(A.AsString(), B.AsString());
  if (IsIntegral(ta) && IsIntegral(tb)) return rel(A.AsInt64(), B.AsInt64());
  if (ta == varCurrency && tb == varCurrency) return rel(A.AsCurrency().Value, B.AsCurrency().Value);
  return rel(A.AsDouble(), B.AsDouble());
}

bool operator==(const Variant& A, const Variant& B) { return VarCompareValue(A, B) == vrEqual; }
bool operator<(const Variant& A, const Variant& B) {
  if (A.IsNull() || B.IsNull()) return A.IsNull() && !B.IsNull();
  TVariantRelationship r = VarCompareValue(A, B);
  if (r == vrNotEqual) throw EVariantError("Invalid variant operation");
  return r == vrLessThan;
}

bool VarSameValue(const Variant& A, const Variant& B) { return A.VarType() == B.VarType() && A == B; }

std::string VarToStr(const Variant& V) { return V.IsNull() ? std::string() : V.AsString(); }
std::string VarToStrDef(const Variant& V, const std::string& Default) {
  return V.IsNull() ? Default : V.AsString();
}
Variant VarArrayOf(const std::vector<Variant>& Values) { return Variant(Values); }
Variant VarFromDateTime(TDateTime D) { return Variant::FromDateTime(D); }
TDateTime VarToDateTime(const Variant& V) { return V.AsDateTime(); }

int32_t Variant::ErrorCode() const {
  if (FType != varError) throw EVariantError("Invalid variant type conversion");
  return static_cast<int32_t>(std::get<int64_t>(FValue));
}

namespace {
enum class TArith { Add, Sub, Mul };
Variant Arith(const Variant& A, const Variant& B, TArith Op) {
  if (A.IsNull() || B.IsNull()) return Null;
  if (A.IsArray() || B.IsArray() || A.IsError() || B.IsError()) throw EVariantError("Invalid variant operation");
  if (Op == TArith::Add && A.IsString() && B.IsString()) return Variant(A.AsString() + B.AsString());
  auto kind = [](const Variant& V) {
    switch (V.VarType()) {
      case varSingle:
      case varDouble:
      case varDate: return 3;
      case varCurrency: return 2;
      case varString: {
        int64_t i;
        return TryStrToInt64(V.AsString(), i) ? 1 : 3;
      }
      default: return 1;
    }
  };
  const int k = std::max(kind(A), kind(B));
  if (k == 1) {
    int64_t a = A.AsInt64(), b = B.AsInt64(), r;
    bool overflow = Op == TArith::Add ? __builtin_add_overflow(a, b, &r)
                    : Op == TArith::Sub ? __builtin_sub_overflow(a, b, &r)
                                        : __builtin_mul_overflow(a, b, &r);
    if (!overflow) return Variant(r);
    return Variant(Op == TArith::Add ? double(a) + double(b) : Op == TArith::Sub ? double(a) - double(b) : double(a) * double(b));
  }
  if (k == 2) {
    Currency a = A.AsCurrency(), b = B.AsCurrency();
    return Variant(Op == TArith::Add ? a + b : Op == TArith::Sub ? a - b : a * b);
  }
  double a = A.AsDouble(), b = B.AsDouble();
  double r = Op == TArith::Add ? a + b : Op == TArith::Sub ? a - b : a * b;
  const bool date = (A.VarType() == varDate || B.VarType() == varDate) && Op != TArith::Mul &&
                    !(A.VarType() == varDate && B.VarType() == varDate && Op == TArith::Sub);
  return date ? Variant::FromDateTime(r) : Variant(r);
}
}  // namespace

Variant operator+(const Variant& A, const Variant& B) { return Arith(A, B, TArith::Add); }
Variant operator-(const Variant& A, const Variant& B) { return Arith(A, B, TArith::Sub); }
Variant operator*(const Variant& A, const Variant& B) { return Arith(A, B, TArith::Mul); }
Variant operator/(const Variant& A, const Variant& B) {
  if (A.IsNull() || B.IsNull()) return Null;
  double b = B.AsDouble();
  if (b == 0) throw EZeroDivide("Floating point division by zero");
  return Variant(A.AsDouble() / b);
}
