// The MRU list: adding, limits and filtering as table cases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dataedit/MRUListX.h"
#include "platform/win/testing.h"

namespace {

std::vector<std::string> Items(TStrings* S) {
  std::vector<std::string> v;
  for (int i = 0; i < S->Count(); ++i) v.push_back(S->Get(i));
  return v;
}

void SetAll(TMRUListX& L, const std::vector<std::string>& Entries) {
  TStringList S;
  for (auto& e : Entries) S.Add(e);
  L.SetItems(&S);
}

struct AddCase {
  std::vector<std::string> Start;
  bool CaseSensitive;
  int Limit;
  std::string Text;
  std::vector<std::string> Expected;
};

TEST(MRUListX, AddEntryTable) {
  const std::vector<AddCase> Cases = {
      {{"abc", "x"}, false, 100, "abc", {"x", "abc"}},
      {{"abc", "x"}, false, 100, "ABC", {"x", "abc"}},           // the old spelling stays, moved
      {{"abc", "x"}, true, 100, "ABC", {"abc", "x", "ABC"}},
      {{"a", "b", "c"}, false, 3, "d", {"b", "c", "d"}},          // the oldest drops
      {{"a", "b"}, false, 100, "   \t", {"a", "b"}},              // blanks are not remembered
      {{}, false, 100, "", {}},
      {{"a", "b"}, false, 100, " a", {"a", "b", " a"}},           // compared untrimmed
      {{"Äpfel"}, false, 100, "äpfel", {"Äpfel"}},                // case-blind beyond ASCII
      {{"a"}, false, 0, "b", {}},                                 // a limit of 0 keeps nothing
  };
  for (const auto& C : Cases) {
    TMRUListX L(nullptr);
    L.SetLimit(C.Limit);
    SetAll(L, C.Start);
    L.SetCaseSensitive(C.CaseSensitive);
    L.AddEntry(C.Text);
    EXPECT_EQ(Items(L.Items()), C.Expected) << "adding '" << C.Text << "'";
  }
}

TEST(MRUListX, LimitTrimsAndNeverGoesNegative) {
  TMRUListX L(nullptr);
  EXPECT_EQ(L.Limit(), 100);
  EXPECT_EQ(L.Rows(), 7);
  EXPECT_TRUE(L.AutoAdd());
  std::vector<std::string> Many;
  for (int i = 0; i < 10; ++i) Many.push_back("t" + std::to_string(i));
  SetAll(L, Many);
  L.SetLimit(2);
  EXPECT_EQ(Items(L.Items()), (std::vector<std::string>{"t8", "t9"}));
  // A negative limit counts as 0: the list empties and stays safe to use.
  L.SetLimit(-5);
  EXPECT_EQ(L.Limit(), 0);
  EXPECT_EQ(L.Items()->Count(), 0);
  L.AddEntry("x");
  EXPECT_EQ(L.Items()->Count(), 0);
}

TEST(MRUListX, SettingItemsKeepsOnlyTheNewestLimit) {
  TMRUListX L(nullptr);
  L.SetLimit(3);
  SetAll(L, {"a", "b", "c", "d", "e"});
  EXPECT_EQ(Items(L.Items()), (std::vector<std::string>{"c", "d", "e"}));
  // Assign takes the source's limit before its items, so nothing the source holds is lost.
  TMRUListX Big(nullptr);
  SetAll(Big, {"1", "2", "3", "4", "5"});
  L.Assign(&Big);
  EXPECT_EQ(L.Limit(), 100);
  EXPECT_EQ(L.Items()->Count(), 5);
}

TEST(MRUListX, FilteringTable) {
  struct FilterCase {
    bool CaseSensitive;
    std::string Text;
    std::vector<std::string> Expected;
  };
  const std::vector<FilterCase> Cases = {
      {false, "ap", {"apple", "Apricot"}},
      {true, "ap", {"apple"}},
      {false, "", {"apple", "Apricot", "banana"}},
      {false, "applesauce", {}},
      {false, "BAN", {"banana"}},
  };
  for (const auto& C : Cases) {
    TMRUListX L(nullptr);
    SetAll(L, {"apple", "Apricot", "banana"});
    L.SetCaseSensitive(C.CaseSensitive);
    TStringList Target;
    Target.Add("stale");
    EXPECT_TRUE(L.GetMatchingItems(&Target, C.Text));
    EXPECT_EQ(Items(&Target), C.Expected) << C.Text;
  }
}

TEST(MRUListX, ItemFilterHookDecides) {
  TMRUListX L(nullptr);
  SetAll(L, {"apple", "Apricot", "banana"});
  L.OnItemFilter = [](TObject*, const std::string& Item, bool& Accept) { Accept = Item == "banana"; };
  TStringList Target;
  L.GetMatchingItems(&Target, "ap");
  EXPECT_EQ(Items(&Target), (std::vector<std::string>{"banana"}));
}

TEST(MRUListX, PendingKeyDownStopsFiltering) {
  win::ResetWindowManager();
  PostMessage(nullptr, WM_KEYDOWN, 'A', 0);
  TMRUListX L(nullptr);
  SetAll(L, {"apple", "apricot"});
  TStringList Target;
  EXPECT_FALSE(L.GetMatchingItems(&Target, "ap"));
  L.StopOnPendingKey = false;
  EXPECT_TRUE(L.GetMatchingItems(&Target, "ap"));
  EXPECT_EQ(Target.Count(), 2);
  win::ResetWindowManager();
}

TEST(MRUListX, HooksAndActive) {
  TMRUListX L(nullptr);
  int ActiveChanges = 0, Opens = 0;
  bool Closed = false, LastAccept = false;
  L.OnActiveChange = [&](TObject*) { ++ActiveChanges; };
  L.OnOpenList = [&](TObject*) { ++Opens; };
  L.OnCloseList = [&](TObject*, bool Accept) { Closed = true; LastAccept = Accept; };
  L.SetActive(true);
  L.SetActive(true);
  EXPECT_EQ(ActiveChanges, 1);
  L.OpenList();
  L.CloseList(true);
  EXPECT_EQ(Opens, 1);
  EXPECT_TRUE(Closed);
  EXPECT_TRUE(LastAccept);
}

}  // namespace
