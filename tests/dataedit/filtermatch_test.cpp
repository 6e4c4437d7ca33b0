// Whether a value passes a typed filter-row condition: texts ignore case and the partial match looks
// anywhere in the text, numbers and dates compare as numbers, Null passes only the Null tests, and two
// conditions join by AND or OR.
#include <gtest/gtest.h>

#include "dataedit/FilterMatchX.h"
#include "platform/rtl/sysutils.h"

namespace {

struct MatchCase {
  TSTFilterValueKindX Kind;
  const char* Typed;
  Variant Value;
  bool Passes;
};

}  // namespace

TEST(STFilterExpressionAccepts, TypedConditionsAgainstValues) {
  const Variant day3 = Variant::FromDateTime(EncodeDate(2000, 1, 3));
  const std::string after2 = "> " + DateToStr(EncodeDate(2000, 1, 2));
  const MatchCase Cases[] = {
      {stvkString, "bo", "Bob", true},        // a bare word: anywhere in the text, any case
      {stvkString, "OB", "Bob", true},
      {stvkString, "x", "Bob", false},
      {stvkString, "!~ bo", "Bob", false},
      {stvkString, "!~ bo", "Ann", true},
      {stvkString, "= bob", "Bob", true},
      {stvkString, "= bo", "Bob", false},     // equality takes the whole text
      {stvkString, "> Bob", "Cui", true},
      {stvkString, "<= Bob", "Cui", false},
      {stvkString, "In (ann,cui)", "Cui", true},
      {stvkString, "In (ann,cui)", "Bob", false},
      {stvkString, "!In (ann,cui)", "Bob", true},
      {stvkString, "bo", Null, false},        // Null passes no comparison...
      {stvkString, "<> bob", Null, false},
      {stvkString, "= Null", Null, true},     // ...only the Null tests
      {stvkString, "= Null", "", false},
      {stvkString, "<> Null", "Bob", true},
      {stvkNumber, "5", 5, true},
      {stvkNumber, "5", 50, false},           // numbers compare as numbers, not as texts
      {stvkNumber, "> 10", 9.5, false},
      {stvkNumber, "> 10", 11, true},
      {stvkNumber, "> 10 AND < 20", 15, true},
      {stvkNumber, "> 10 AND < 20", 25, false},
      {stvkNumber, "< 10 OR > 20", 25, true},
      {stvkNumber, "< 10 OR > 20", 15, false},
      {stvkNumber, "1,2,3", 2, true},
      {stvkNumber, "1,2,3", 4, false},
      {stvkNumber, "> 10 AND", 11, true},     // a link without a second condition: the first decides
      {stvkDateTime, after2.c_str(), day3, true},
      {stvkDateTime, after2.c_str(), Variant::FromDateTime(EncodeDate(2000, 1, 2)), false},
      {stvkBoolean, "= true", true, true},
      {stvkBoolean, "= true", false, false},
      {stvkOther, "anything", "Bob", true},   // a blob column has no condition to test
      {stvkString, "", "Bob", true},          // nor has an empty filter cell
  };
  for (const MatchCase& c : Cases) {
    SCOPED_TRACE(std::string(c.Typed) + " / " + VarToStr(c.Value));
    TSTFilterExpressionX e;
    e.ValueKind = c.Kind;
    ASSERT_NO_THROW(ParseSTFilterText(c.Typed, e));
    EXPECT_EQ(STFilterExpressionAccepts(e, c.Value), c.Passes);
  }
}
