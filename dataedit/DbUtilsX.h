#pragma once
// The filter expression of a grid column's filter-row cell: the text a user types (> 10 AND < 20,
// In (1,2,3), <> Null, a bare Smith) parsed into at most two conditions joined by AND or OR, with the
// operands converted to the column's kind of value. Also the operator texts and the value kind of each
// field type that the grid shows and uses around it, and the registry of data-set features objects
// through which the grid hands sorting and filtering to a data set.

#include <cstdint>
#include <string>

#include "platform/classes/classes.h"
#include "platform/data/db.h"
#include "platform/rtl/variants.h"

enum TSTFilterOperatorX : uint8_t {
  stoNone, stoEqual, stoNotEqual, stoGreater, stoLess, stoGreaterEqual, stoLessEqual, stoLike, stoNotLike,
  stoIn, stoNotIn, stoIsNull, stoIsNotNull, stoAnd, stoOr, stoValue
};

enum TSTFilterValueKindX : uint8_t { stvkOther, stvkString, stvkNumber, stvkDateTime, stvkBoolean };

// Display text of each operator, indexed by the operator.
extern const char* const STFilterOperatorTexts[stoValue + 1];
// Kind of value of each field type, indexed by the field types in their declared order.
extern const TSTFilterValueKindX FieldTypeValueKinds[FieldTypeCount];

struct TSTFilterExpressionX {
  TSTFilterValueKindX ValueKind = stvkOther;  // set by the caller before parsing; never changed here
  TSTFilterOperatorX Operator1 = stoNone;
  Variant Operand1 = Null;
  TSTFilterOperatorX Link = stoNone;
  TSTFilterOperatorX Operator2 = stoNone;
  Variant Operand2 = Null;
};

void ResetSTFilterExpression(TSTFilterExpressionX& Expression);
// Fills Expression from Text; true when the text held a second condition. A syntax error raises
// Exception with the message followed by the whole trimmed text; a value that does not convert raises
// EConvertError. Expression keeps what was filled before an error.
bool ParseSTFilterText(const std::string& Text, TSTFilterExpressionX& Expression);
// The work of the last ParseSTFilterText on this thread: the characters and lexemes it examined. A
// measure of its cost that does not depend on the machine (it grows in proportion to the text).
int64_t ParseSTFilterTextSteps();

// The messages of the parser's errors.
namespace DbUtilsXMessages {
inline constexpr const char* QuoteAbsent = "Quote is absent: ";
inline constexpr const char* LeftParenExpected = "'(' expected: ";
inline constexpr const char* RightParenExpected = "')' expected: ";
inline constexpr const char* ErrorInExpression = "Error in expression: ";
inline constexpr const char* UnexpectedBeforeNull = "Unexpected expression before Null: ";
inline constexpr const char* UnexpectedAfterOperator = "Unexpected expression after operator: ";
inline constexpr const char* IncorrectExpression = "Incorrect expression: ";
inline constexpr const char* UnexpectedAndOr = "Unexpected AND or OR: ";
// Their resource-string ids (subsystem 4's range starts at 65024) and names; registered by the unit's
// start-up, and read back through DbUtilsXMessageText so that a translation registered under the same
// id replaces the text.
enum : int {
  SQuoteIsAbsentId = 65024, SLeftParenExpectedId, SRightParenExpectedId, SErrorInExpressionId,
  SUnexpectedExpressionBeforeNullId, SUnexpectedExpressionAfterOperatorId, SIncorrectExpressionId,
  SUnexpectedANDorORId
};
void RegisterMessages();
}  // namespace DbUtilsXMessages
// The registered text of one of the parser's messages (registering them first when no start-up ran).
std::string DbUtilsXMessageText(const char* Message);

// Sorting and filtering requests of the grid for one class of data sets. The grid library registers
// one for its in-memory data set; other libraries register theirs for the data sets they bring.
class TDatasetFeaturesX : public TObject {
  DECLARE_CLASS(TDatasetFeaturesX, TObject)
  explicit TDatasetFeaturesX(TClass ADataSetClass) : DataSetClass(ADataSetClass) {}
  TClass DataSetClass;
  virtual bool IsSortingSupported(TDataSet* DataSet) { (void)DataSet; return false; }
  virtual void ApplySorting(TComponent* Grid, TDataSet* DataSet, bool IsReopen) = 0;
  virtual void ApplyFilter(TComponent* Grid, TDataSet* DataSet, bool IsReopen) = 0;
};

// The entry for the data set's class or its nearest registered ancestor; nullptr when none.
TDatasetFeaturesX* FindDatasetFeatures(TDataSet* DataSet);
// Registration (the registry takes ownership); by the libraries that know a class of data sets.
void RegisterDatasetFeatures(TDatasetFeaturesX* Features);
// Takes a registered entry out and frees it; an entry the registry does not hold is left alone (the
// registry may have been released with its entries first).
void UnregisterDatasetFeatures(TDatasetFeaturesX* Features);

namespace DbUtilsX {
void Initialize();
void Finalize();
}  // namespace DbUtilsX
