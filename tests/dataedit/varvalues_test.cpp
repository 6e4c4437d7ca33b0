// Variant comparison used to match key values: arrays, unassigned values and comparisons that cannot be
// made.
#include <gtest/gtest.h>

#include "dataedit/VarValuesX.h"

namespace {

struct EqualCase {
  const char* Name;
  Variant A, B;
  bool Equal;
};

TEST(VarValuesEqual, Table) {
  const EqualCase Cases[] = {
      {"equal arrays", VarArrayOf({1, 2}), VarArrayOf({1, 2}), true},
      {"arrays differing in the last element", VarArrayOf({1, 2}), VarArrayOf({1, 3}), false},
      {"arrays differing in the first element", VarArrayOf({0, 2}), VarArrayOf({1, 2}), false},
      {"array against a single value", VarArrayOf({1}), Variant(1), false},
      {"single value against an array", Variant(1), VarArrayOf({1}), false},
      {"arrays of different bounds", VarArrayOf({1, 2}), VarArrayOf({1, 2, 3}), false},
      {"arrays without elements", VarArrayCreate(0, -1), VarArrayCreate(0, -1), false},
      {"mixed element types that are equal", VarArrayOf({1, "x"}), VarArrayOf({1.0, "x"}), true},
      {"unassigned against unassigned", Unassigned, Unassigned, true},
      {"unassigned against zero", Unassigned, Variant(0), false},
      {"unassigned against an empty text", Unassigned, Variant(""), false},
      {"zero against unassigned", Variant(0), Unassigned, false},
      {"null against null", Null, Null, true},
      {"null against zero", Null, Variant(0), false},
      {"null against unassigned", Null, Unassigned, false},
      {"integer against equal double", Variant(5), Variant(5.0), true},
      {"numeric text against number", Variant("5"), Variant(5), true},
      {"texts compare case-sensitively", Variant("abc"), Variant("ABC"), false},
      // The comparison itself raises here; the values are not equal.
      {"non-numeric text against number", Variant("abc"), Variant(5), false},
      {"number against non-numeric text", Variant(5), Variant("abc"), false},
      {"array whose element comparison raises", VarArrayOf({"abc"}), VarArrayOf({5}), false},
      {"array raising after equal elements", VarArrayOf({1, "abc"}), VarArrayOf({1, 5}), false},
  };
  for (const auto& C : Cases) {
    EXPECT_EQ(VarValuesEqual(C.A, C.B), C.Equal) << C.Name;
  }
}

}  // namespace
