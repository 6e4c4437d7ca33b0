#include "dataedit/FilterMatchX.h"

#include "platform/rtl/sysutils.h"

namespace {

// A value as a number (numbers and dates); false when it cannot be read as one.
bool AsNumber(const Variant& V, double& Out) {
  try {
    Out = V.AsDouble();
    return true;
  } catch (const Exception&) {
    return false;
  }
}

// -1, 0 or 1; Ok false when the two cannot be compared as Kind says.
int CompareByKind(TSTFilterValueKindX Kind, const Variant& Value, const Variant& Operand, bool& Ok) {
  Ok = true;
  if (Kind == stvkNumber || Kind == stvkDateTime) {
    double a = 0, b = 0;
    Ok = AsNumber(Value, a) && AsNumber(Operand, b);
    return a < b ? -1 : (a > b ? 1 : 0);
  }
  int r = AnsiCompareText(VarToStr(Value), VarToStr(Operand));
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

bool Equal(TSTFilterValueKindX Kind, const Variant& Value, const Variant& Operand) {
  bool ok = false;
  return CompareByKind(Kind, Value, Operand, ok) == 0 && ok;
}

bool InList(TSTFilterValueKindX Kind, const Variant& Value, const Variant& List) {
  if (!List.IsArray()) return Equal(Kind, Value, List);
  for (int i = List.ArrayLowBound(); i <= List.ArrayHighBound(); ++i)
    if (Equal(Kind, Value, List[i])) return true;
  return false;
}

bool Contains(const Variant& Value, const Variant& Operand) {
  if (VarToStr(Operand).empty()) return true;
  return AnsiPos(AnsiUpperCase(VarToStr(Operand)), AnsiUpperCase(VarToStr(Value))) > 0;
}

bool Matches(TSTFilterValueKindX Kind, TSTFilterOperatorX Operator, const Variant& Operand, const Variant& Value) {
  bool null = Value.IsNull() || Value.IsEmpty();
  switch (Operator) {
    case stoIsNull: return null;
    case stoIsNotNull: return !null;
    case stoEqual: case stoNotEqual: case stoGreater: case stoLess: case stoGreaterEqual: case stoLessEqual: {
      if (null || Operand.IsNull()) return false;
      bool ok = false;
      int c = CompareByKind(Kind, Value, Operand, ok);
      if (!ok) return false;
      switch (Operator) {
        case stoEqual: return c == 0;
        case stoNotEqual: return c != 0;
        case stoGreater: return c > 0;
        case stoLess: return c < 0;
        case stoGreaterEqual: return c >= 0;
        default: return c <= 0;
      }
    }
    case stoLike: return !null && Contains(Value, Operand);
    case stoNotLike: return !null && !Contains(Value, Operand);
    case stoIn: return !null && InList(Kind, Value, Operand);
    case stoNotIn: return !null && !InList(Kind, Value, Operand);
    default: return true;  // no condition (or a link word where a condition was expected)
  }
}

}  // namespace

bool STFilterExpressionAccepts(const TSTFilterExpressionX& Expression, const Variant& Value) {
  if (Expression.ValueKind == stvkOther || Expression.Operator1 == stoNone) return true;
  bool first = Matches(Expression.ValueKind, Expression.Operator1, Expression.Operand1, Value);
  if (Expression.Operator2 == stoNone) return first;
  bool second = Matches(Expression.ValueKind, Expression.Operator2, Expression.Operand2, Value);
  if (Expression.Link == stoOr) return first || second;
  if (Expression.Link == stoAnd) return first && second;
  return first;
}
