// The filter-row parser: typed texts to condition records, every error with its message, the tables
// the grid reads, and long texts whose reading must not grow faster than the text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dataedit/DbUtilsX.h"
#include "platform/data/memdataset.h"

namespace {

Variant Arr(std::vector<Variant> V) { return VarArrayOf(V); }

struct ParseCase {
  TSTFilterValueKindX Kind;
  const char* Text;
  TSTFilterOperatorX Op1;
  Variant Operand1;
  TSTFilterOperatorX Link;
  TSTFilterOperatorX Op2;
  Variant Operand2;
  bool Second;
};

void ExpectSame(const Variant& Actual, const Variant& Expected, const std::string& What) {
  EXPECT_EQ(VarType(Actual), VarType(Expected)) << What;
  EXPECT_TRUE(Actual == Expected) << What << ": " << (VarIsArray(Actual) ? "array" : VarToStr(Actual));
}

TEST(ParseSTFilterText, TextsGiveConditionRecords) {
  const ParseCase Cases[] = {
      {stvkString, "Smith", stoLike, "Smith", stoNone, stoNone, Null, false},
      {stvkNumber, "5", stoEqual, 5.0, stoNone, stoNone, Null, false},
      {stvkNumber, "1,2,3", stoIn, Arr({1.0, 2.0, 3.0}), stoNone, stoNone, Null, false},
      {stvkNumber, "In (1,2)", stoIn, Arr({1.0, 2.0}), stoNone, stoNone, Null, false},
      {stvkString, "NOT IN (a)", stoNotIn, "a", stoNone, stoNone, Null, false},
      {stvkString, "!In (a,b)", stoNotIn, Arr({"a", "b"}), stoNone, stoNone, Null, false},
      {stvkNumber, "= Null", stoIsNull, Null, stoNone, stoNone, Null, false},
      {stvkNumber, "<> Null", stoIsNotNull, Null, stoNone, stoNone, Null, false},
      {stvkNumber, "!= Null", stoIsNotNull, Null, stoNone, stoNone, Null, false},
      {stvkString, "! Like x", stoNotLike, "x", stoNone, stoNone, Null, false},
      {stvkString, "!~x", stoNotLike, "x", stoNone, stoNone, Null, false},
      {stvkString, "~ab", stoLike, "ab", stoNone, stoNone, Null, false},
      {stvkNumber, "> 10 AND < 20", stoGreater, 10.0, stoAnd, stoLess, 20.0, true},
      {stvkNumber, ">=1 | <=-1", stoGreaterEqual, 1.0, stoOr, stoLessEqual, -1.0, true},
      {stvkNumber, "> 10 AND", stoGreater, 10.0, stoAnd, stoNone, Null, false},
      {stvkString, "New York", stoLike, "New York", stoNone, stoNone, Null, false},
      {stvkString, "'a', 'b'", stoIn, Arr({"a", " 'b'"}), stoNone, stoNone, Null, false},
      {stvkString, "a , b", stoIn, Arr({"a ", " b"}), stoNone, stoNone, Null, false},
      {stvkNumber, "-5", stoEqual, -5.0, stoNone, stoNone, Null, false},
      {stvkString, "   ", stoNone, Null, stoNone, stoNone, Null, false},
      {stvkString, "a,", stoIn, Arr({"a", Null}), stoNone, stoNone, Null, false},
      {stvkString, "= x OR = Null", stoEqual, "x", stoOr, stoIsNull, Null, true},
      {stvkString, "In ('x y', z) & <> q", stoIn, Arr({"x y", " z"}), stoAnd, stoNotEqual, "q", true},
      {stvkBoolean, "True", stoEqual, "True", stoNone, stoNone, Null, false},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Text);
    TSTFilterExpressionX E;
    E.ValueKind = C.Kind;
    bool Second = false;
    ASSERT_NO_THROW(Second = ParseSTFilterText(C.Text, E));
    EXPECT_EQ(Second, C.Second);
    EXPECT_EQ(E.ValueKind, C.Kind);
    EXPECT_EQ(E.Operator1, C.Op1);
    ExpectSame(E.Operand1, C.Operand1, "Operand1");
    EXPECT_EQ(E.Link, C.Link);
    EXPECT_EQ(E.Operator2, C.Op2);
    ExpectSame(E.Operand2, C.Operand2, "Operand2");
  }
}

TEST(ParseSTFilterText, DoubledQuotesAndEmptyInListsReadWhatTheFilterRowWrites) {
  TSTFilterExpressionX E;
  E.ValueKind = stvkString;
  ASSERT_NO_THROW(ParseSTFilterText("'it''s'", E));
  EXPECT_EQ(E.Operator1, stoLike);
  EXPECT_EQ(E.Operand1.AsString(), "it's");
  ASSERT_NO_THROW(ParseSTFilterText("In ('''a''','b''')", E));
  ASSERT_TRUE(E.Operand1.IsArray());
  EXPECT_EQ(E.Operand1[0].AsString(), "'a'");
  EXPECT_EQ(E.Operand1[1].AsString(), "b'");
  ASSERT_NO_THROW(ParseSTFilterText("''", E));
  EXPECT_EQ(E.Operand1.AsString(), "");
  E.ValueKind = stvkNumber;
  ASSERT_NO_THROW(ParseSTFilterText("In ()", E));
  EXPECT_EQ(E.Operator1, stoIn);
  ASSERT_TRUE(E.Operand1.IsArray());
  EXPECT_EQ(E.Operand1.ArrayHighBound() - E.Operand1.ArrayLowBound() + 1, 0);
  ASSERT_NO_THROW(ParseSTFilterText("> 1 OR !In ( )", E));
  EXPECT_EQ(E.Operator2, stoNotIn);
  EXPECT_TRUE(E.Operand2.IsArray());
  EXPECT_THROW(ParseSTFilterText("'it''s", E), Exception);  // still unclosed
}

TEST(ParseSTFilterText, DecimalCommaSeparatesNoList) {
  const char Saved = FormatSettings.DecimalSeparator;
  FormatSettings.DecimalSeparator = ',';
  TSTFilterExpressionX E;
  E.ValueKind = stvkNumber;
  EXPECT_NO_THROW(ParseSTFilterText("1,5", E));
  EXPECT_EQ(E.Operator1, stoEqual);
  EXPECT_EQ(E.Operand1.AsDouble(), 1.5);
  // Inside In's parentheses the comma separates again.
  EXPECT_NO_THROW(ParseSTFilterText("In (1,2)", E));
  EXPECT_EQ(E.Operator1, stoIn);
  FormatSettings.DecimalSeparator = Saved;
}

TEST(ParseSTFilterText, DateTimeOperandsAreConverted) {
  TSTFilterExpressionX E;
  E.ValueKind = stvkDateTime;
  ParseSTFilterText(">= " + DateToStr(EncodeDate(2020, 3, 4)), E);
  EXPECT_EQ(E.Operator1, stoGreaterEqual);
  EXPECT_EQ(VarType(E.Operand1), varDate);
  EXPECT_EQ(E.Operand1.AsDouble(), EncodeDate(2020, 3, 4));
}

struct ErrorCase {
  TSTFilterValueKindX Kind;
  const char* Text;
  const char* Message;
};

TEST(ParseSTFilterText, EveryErrorNamesTheText) {
  using namespace DbUtilsXMessages;
  const ErrorCase Cases[] = {
      {stvkNumber, "In 1,2", LeftParenExpected},
      {stvkNumber, "In (1,2", RightParenExpected},
      {stvkNumber, "> Null", UnexpectedBeforeNull},
      {stvkString, "Null", UnexpectedAfterOperator},
      {stvkString, "= Not Null", UnexpectedAfterOperator},
      {stvkString, "= <", UnexpectedAfterOperator},
      {stvkNumber, "> 10 < 20", UnexpectedAndOr},
      {stvkString, "Berlin in town", LeftParenExpected},
      {stvkString, "'a", QuoteAbsent},
      {stvkNumber, "( 5", ErrorInExpression},
      {stvkString, "NOT x", ErrorInExpression},
      // Exactly two NOT: a NOT of a NOT is no operator.
      {stvkString, "NOT NOT LIKE x", ErrorInExpression},
      {stvkString, "! ! In (a)", ErrorInExpression},
      // Mended: a link word cannot open the text.
      {stvkString, "AND x", UnexpectedAndOr},
      {stvkString, "| x", UnexpectedAndOr},
      // Mended: nothing may follow either condition, and the second In list must be closed.
      {stvkString, "'a' NOT x", IncorrectExpression},
      {stvkNumber, "> 5 (", IncorrectExpression},
      {stvkNumber, "> 5 AND < 7 (", IncorrectExpression},
      {stvkString, "= a OR = 'b' c", IncorrectExpression},
      {stvkString, "= a OR In (b, c", RightParenExpected},
      {stvkString, "> 5 AND (", IncorrectExpression},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Text);
    TSTFilterExpressionX E;
    E.ValueKind = C.Kind;
    try {
      ParseSTFilterText(std::string("  ") + C.Text + " ", E);
      ADD_FAILURE() << "no exception";
    } catch (const EConvertError& X) {
      ADD_FAILURE() << "conversion error " << X.Message();
    } catch (const Exception& X) {
      EXPECT_EQ(X.Message(), std::string(C.Message) + C.Text);
    }
    EXPECT_EQ(E.ValueKind, C.Kind);
  }
}

TEST(ParseSTFilterText, FailedConversionRaisesAConversionErrorAndKeepsWhatWasFilled) {
  TSTFilterExpressionX E;
  E.ValueKind = stvkNumber;
  E.Operator1 = stoLess;
  EXPECT_THROW(ParseSTFilterText("> abc", E), EConvertError);
  EXPECT_EQ(E.Operator1, stoGreater);
  EXPECT_EQ(E.ValueKind, stvkNumber);
}

TEST(ParseSTFilterText, LongTextsTakeLinearTime) {
  // Forty words, and then many: every position is read a bounded number of times, so the parser's
  // work per character stays the same however long the text.
  double PerChar[2] = {};
  int I = 0;
  for (int Words : {40, 20000}) {
    std::string Text;
    for (int W = 0; W < Words; ++W) Text += (W ? " w" : "w") + std::to_string(W);
    TSTFilterExpressionX E;
    E.ValueKind = stvkString;
    ParseSTFilterText(Text, E);
    EXPECT_EQ(E.Operator1, stoLike);
    EXPECT_EQ(VarToStr(E.Operand1), Text);
    PerChar[I++] = static_cast<double>(ParseSTFilterTextSteps()) / static_cast<double>(Text.size());
  }
  EXPECT_GT(PerChar[0], 0.0);
  EXPECT_LT(PerChar[1], 2 * PerChar[0]) << PerChar[0] << " and " << PerChar[1] << " steps per character";
}

// Texts of 100,000 characters that a user may paste into a filter cell: long runs of NOT (which read
// one after another must not nest) and values with a look-ahead at every blank.
TEST(ParseSTFilterText, LongRunsOfNotAndLongListsParseInLinearWork) {
  struct LongCase {
    const char* Shape;
    std::string Text;
    const char* Error;  // the message the text raises, or nullptr
    TSTFilterOperatorX Op1;
    Variant Operand1;
    TSTFilterOperatorX Link, Op2;
    Variant Operand2;
  };
  auto Repeat = [](const std::string& S, size_t Times) {
    std::string R;
    for (size_t I = 0; I < Times; ++I) R += S;
    return R;
  };
  // A run of 100,000 NOT: a NOT of a NOT is no operator, so the first condition has none.
  const std::string Bangs = Repeat("!", 100000);
  // A value, then NOT after NOT with blanks between: each blank looks ahead at the run that follows,
  // which ends the text with no operator: one value of the whole text.
  const std::string ValueAndBangs = "ab" + Repeat(" !", 49999);
  // The same run ended by a link and a second condition: the value stops at the link.
  const std::string ValueBangsLink = "ab" + Repeat(" !", 49995) + " & ~b";
  // NOT words: two and more NOT before LIKE make no operator; one makes Not Like.
  const std::string NotWords = Repeat("NOT ", 24998) + "NOT LIKE x";
  const std::string OneNot = "ab" + Repeat(" NOT", 24998) + " | NOT LIKE x";
  // A value with a long run of blanks inside: one look-ahead for the run, not one per blank.
  const std::string Blanks = "a" + std::string(99998, ' ') + "b";
  // A list of quoted values each followed by a bare one: the look-ahead at each quote reads a list
  // that reaches the next quote.
  std::vector<Variant> Items{Variant("a")};
  std::string Quoted = "'a'";
  for (int I = 0; I < 16666; ++I) {
    Quoted += ",b 'a'";
    Items.push_back(Variant("b 'a'"));
  }
  Quoted += ",b";
  Items.push_back(Variant("b"));
  const LongCase Cases[] = {
      {"!!!...", Bangs, DbUtilsXMessages::ErrorInExpression, stoNone, Null, stoNone, stoNone, Null},
      {"ab ! ! ...", ValueAndBangs, nullptr, stoLike, ValueAndBangs, stoNone, stoNone, Null},
      {"ab ! ! ... & ~b", ValueBangsLink, nullptr, stoLike, ValueBangsLink.substr(0, ValueBangsLink.size() - 5),
       stoAnd, stoLike, "b"},
      {"NOT NOT ... LIKE x", NotWords, DbUtilsXMessages::ErrorInExpression, stoNone, Null, stoNone, stoNone, Null},
      {"ab NOT NOT ... | NOT LIKE x", OneNot, nullptr, stoLike, OneNot.substr(0, OneNot.size() - 13), stoOr,
       stoNotLike, "x"},
      {"'a',b 'a',b ...", Quoted, nullptr, stoIn, VarArrayOf(Items), stoNone, stoNone, Null},
      {"a       b", Blanks, nullptr, stoLike, Blanks, stoNone, stoNone, Null},
  };
  for (const LongCase& C : Cases) {
    SCOPED_TRACE(C.Shape);
    ASSERT_GE(C.Text.size(), 99990u);
    TSTFilterExpressionX E;
    E.ValueKind = stvkString;
    if (C.Error) {
      try {
        ParseSTFilterText(C.Text, E);
        ADD_FAILURE() << "no error";
      } catch (const Exception& X) {
        EXPECT_EQ(X.Message(), C.Error + C.Text);
      }
    } else {
      EXPECT_EQ(ParseSTFilterText(C.Text, E), C.Op2 != stoNone);
    }
    EXPECT_EQ(E.Operator1, C.Op1);
    ExpectSame(E.Operand1, C.Operand1, "Operand1");
    EXPECT_EQ(E.Link, C.Link);
    EXPECT_EQ(E.Operator2, C.Op2);
    ExpectSame(E.Operand2, C.Operand2, "Operand2");
    // A bounded number of steps per character (a text read again at every blank would take thousands).
    EXPECT_LT(ParseSTFilterTextSteps(), 16 * static_cast<int64_t>(C.Text.size()));
  }
}

TEST(FilterTables, OperatorTextsAndValueKinds) {
  const char* Expected[] = {"", "=", "<>", ">", "<", ">=", "<=", "~", "!~", "In", "!In", "Null", "Null", "AND", "OR", ""};
  for (int I = 0; I <= stoValue; ++I) EXPECT_STREQ(STFilterOperatorTexts[I], Expected[I]) << I;
  EXPECT_EQ(FieldTypeValueKinds[ftUnknown], stvkOther);
  EXPECT_EQ(FieldTypeValueKinds[ftString], stvkString);
  EXPECT_EQ(FieldTypeValueKinds[ftSmallint], stvkNumber);
  EXPECT_EQ(FieldTypeValueKinds[ftBoolean], stvkBoolean);
  EXPECT_EQ(FieldTypeValueKinds[ftDate], stvkDateTime);
  EXPECT_EQ(FieldTypeValueKinds[ftBytes], stvkOther);
  EXPECT_EQ(FieldTypeValueKinds[ftAutoInc], stvkNumber);
  EXPECT_EQ(FieldTypeValueKinds[ftMemo], stvkString);
  EXPECT_EQ(FieldTypeValueKinds[ftFixedChar], stvkString);
  EXPECT_EQ(FieldTypeValueKinds[ftWideString], stvkString);
  EXPECT_EQ(FieldTypeValueKinds[ftLargeint], stvkNumber);
  EXPECT_EQ(FieldTypeValueKinds[ftVariant], stvkOther);
  EXPECT_EQ(FieldTypeValueKinds[ftGuid], stvkString);
  EXPECT_EQ(FieldTypeValueKinds[ftTimeStamp], stvkDateTime);
  EXPECT_EQ(FieldTypeValueKinds[ftFMTBcd], stvkNumber);
  int Counts[5] = {};
  for (int T = 0; T < FieldTypeCount; ++T) ++Counts[FieldTypeValueKinds[T]];
  EXPECT_EQ(Counts[stvkString], 6);
  EXPECT_EQ(Counts[stvkNumber], 9);
  EXPECT_EQ(Counts[stvkDateTime], 4);
  EXPECT_EQ(Counts[stvkBoolean], 1);
  EXPECT_EQ(Counts[stvkOther], 18);
}

class TMemFeatures : public TDatasetFeaturesX {
 public:
  using TDatasetFeaturesX::TDatasetFeaturesX;
  void ApplySorting(TComponent*, TDataSet*, bool) override {}
  void ApplyFilter(TComponent*, TDataSet*, bool) override {}
};

TEST(DatasetFeatures, NearestRegisteredClassWins) {
  DbUtilsX::Initialize();
  TMemDataSet D(nullptr);
  EXPECT_EQ(FindDatasetFeatures(&D), nullptr);  // nothing registered
  auto* Base = new TMemFeatures(TDataSet::StaticClass());
  auto* Mem = new TMemFeatures(TMemDataSet::StaticClass());
  auto* Late = new TMemFeatures(TMemDataSet::StaticClass());
  RegisterDatasetFeatures(Base);
  RegisterDatasetFeatures(Mem);
  RegisterDatasetFeatures(Late);
  EXPECT_EQ(FindDatasetFeatures(&D), Mem);
  DbUtilsX::Finalize();
  DbUtilsX::Initialize();
  EXPECT_EQ(FindDatasetFeatures(&D), nullptr);
}

}  // namespace
