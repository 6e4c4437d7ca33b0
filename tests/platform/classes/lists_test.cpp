#include <gtest/gtest.h>

#include "platform/classes/classes.h"

TEST(TList, OperationsAndBoundsErrors) {
  int v[5] = {0, 1, 2, 3, 4};
  TList l;
  for (int& x : v) l.Add(&x);
  l.Insert(0, nullptr);
  EXPECT_EQ(l.Count(), 6);
  EXPECT_EQ(l.First(), nullptr);
  l.Pack();
  EXPECT_EQ(l.Count(), 5);
  EXPECT_EQ(l.Remove(&v[2]), 2);
  EXPECT_EQ(l.IndexOf(&v[2]), -1);
  l.Exchange(0, 3);
  EXPECT_EQ(l.First(), &v[4]);
  l.Move(0, 3);
  EXPECT_EQ(l.Last(), &v[4]);
  EXPECT_EQ(l.Extract(&v[1]), &v[1]);
  EXPECT_EQ(l.Extract(&v[1]), nullptr);
  l.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
  std::vector<int> got;
  for (int i = 0; i < l.Count(); ++i) got.push_back(*static_cast<int*>(l[i]));
  EXPECT_EQ(got, (std::vector<int>{0, 3, 4}));
  EXPECT_GE(l.Capacity(), l.Count());
  try {
    l.Items(3);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (3)");
  }
  EXPECT_THROW(l.Delete(-1), EListError);
  EXPECT_THROW(l.Insert(4, nullptr), EListError);
  EXPECT_THROW(l.Move(0, 9), EListError);
  EXPECT_THROW(l.SetCapacity(1), EListError);
  l.Clear();
  EXPECT_THROW(l.First(), EListError);
}

TEST(TObjectList, FreesOwnedObjectsButNotExtractedOnes) {
  struct TCounted : TObject {
    int* alive;
    explicit TCounted(int* a) : alive(a) { ++*alive; }
    ~TCounted() override { --*alive; }
  };
  int alive = 0;
  TObject* kept;
  {
    TObjectList list;
    list.Add(new TCounted(&alive));
    kept = list.Add(new TCounted(&alive)) >= 0 ? list.Items(1) : nullptr;
    list.Add(new TCounted(&alive));
    list.Delete(0);
    EXPECT_EQ(alive, 2);
    list.Extract(kept);
  }
  EXPECT_EQ(alive, 1);
  delete kept;
  EXPECT_EQ(alive, 0);
}
