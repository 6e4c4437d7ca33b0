// The special row: splitting its cell texts, matching keys, and following the owner's colour until
// assigned.
#include <gtest/gtest.h>

#include "dataedit/SpecRowX.h"

namespace {

TEST(SpecRowX, CellsTextSplitting) {
  struct Case {
    const char* Text;
    std::vector<std::string> Cells;
  };
  const Case Cases[] = {
      {"a;b;;c", {"a", "b", "", "c"}},
      {"a; b", {"a", " b"}},
      {"\"x;y\";z", {"x;y", "z"}},
      {"\"say \"\"hi\"\"\";2", {"say \"hi\"", "2"}},
      {"\x01\x02one\ttwo", {"one", "two"}},
      {"", {}},
      {"a;", {"a"}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Text);
    TSpecRowX R(nullptr);
    R.SetCellsText(C.Text);
    ASSERT_EQ(R.CellCount(), static_cast<int>(C.Cells.size()));
    for (int I = 0; I < R.CellCount(); ++I) EXPECT_EQ(R.GetColumnText(I), C.Cells[static_cast<size_t>(I)]);
  }
  TSpecRowX R(nullptr);
  R.SetCellsText("a;b;c");
  EXPECT_EQ(R.GetColumnText(5), "");
  EXPECT_EQ(R.GetColumnText(-1), "");
}

TEST(SpecRowX, KeysChangesAndAssignment) {
  TSpecRowX R(nullptr);
  int Changes = 0;
  R.OnChanged = [&](TObject*) { ++Changes; };
  EXPECT_EQ(R.ShortCut(), 32814);
  EXPECT_TRUE(VarIsNull(R.Value()));
  R.SetValue(0);
  EXPECT_FALSE(R.MatchesKey(0));  // invisible rows never match
  R.SetVisible(true);
  EXPECT_TRUE(R.MatchesKey(0));
  EXPECT_FALSE(R.MatchesKey("abc"));
  EXPECT_EQ(Changes, 2);
  R.SetValue(0);
  R.SetVisible(true);
  EXPECT_EQ(Changes, 2);  // same values report nothing
  R.LockChanges();
  R.SetCellsText("x");
  R.SetColor(clRed);
  EXPECT_EQ(Changes, 2);
  R.UnlockChanges();
  EXPECT_EQ(Changes, 3);

  TSpecRowX Copy(nullptr);
  Copy.Assign(&R);
  EXPECT_EQ(Copy.CellsText(), "x");
  EXPECT_EQ(Copy.Color(), clRed);
  EXPECT_TRUE(Copy.Visible());
  EXPECT_TRUE(Copy.MatchesKey(0));
  EXPECT_FALSE(Copy.FontAssigned());
}

}  // namespace
