#include <gtest/gtest.h>

#include "platform/classes/classes.h"

namespace {
class TColumnItem : public TCollectionItem {
  DECLARE_CLASS(TColumnItem, TCollectionItem)
  using TCollectionItem::TCollectionItem;
  int Width = 64;
  void Assign(TPersistent* Source) override {
    if (auto* c = dynamic_cast<TColumnItem*>(Source)) {
      Width = c->Width;
      Changed(false);
      return;
    }
    TCollectionItem::Assign(Source);
  }
};

class TCountingCollection : public TCollection {
  DECLARE_CLASS(TCountingCollection, TCollection)
  TCountingCollection() : TCollection(TColumnItem::StaticClass(), MakeItemFactory<TColumnItem>()) {}
  int Updates = 0;
  std::vector<std::string> Events;

 protected:
  void Update(TCollectionItem*) override { ++Updates; }
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
    Events.push_back((Action == cnAdded ? "+" : Action == cnDeleting ? "d" : "x") + std::to_string(Item->ID()));
  }
};
}  // namespace

TEST(TCollection, AddInsertDeleteAndIds) {
  TCountingCollection c;
  auto* a = c.Add();
  auto* b = c.Add();
  EXPECT_EQ(a->ClassName(), "TColumnItem");
  auto* mid = c.Insert(1);
  EXPECT_EQ(c.Count(), 3);
  EXPECT_EQ(mid->Index(), 1);
  EXPECT_EQ(b->Index(), 2);
  EXPECT_EQ(mid->ID(), 2);
  EXPECT_EQ(c.FindItemID(1), b);
  c.Delete(0);
  EXPECT_EQ(mid->Index(), 0);
  delete b;  // an item freed directly leaves its collection
  EXPECT_EQ(c.Count(), 1);
  EXPECT_EQ(c.Events, (std::vector<std::string>{"+0", "+1", "+2", "d0", "x0", "x1"}));
  EXPECT_THROW(c.Items(5), EListError);
  mid->SetIndex(0);
  c.Clear();
  EXPECT_EQ(c.Count(), 0);
}

TEST(TCollection, UpdatesAreBatchedAndAssignCopiesItems) {
  TCountingCollection c;
  c.BeginUpdate();
  for (int i = 0; i < 5; ++i) c.Add();
  EXPECT_EQ(c.Updates, 0);
  c.EndUpdate();
  EXPECT_EQ(c.Updates, 1);
  static_cast<TColumnItem*>(c.Items(2))->Width = 99;
  TCountingCollection copy;
  copy.Add();
  copy.Assign(&c);
  ASSERT_EQ(copy.Count(), 5);
  EXPECT_EQ(static_cast<TColumnItem*>(copy.Items(2))->Width, 99);
  TStringList wrong;
  EXPECT_THROW(copy.Assign(&wrong), EConvertError);
}

namespace {
class TWideColumnItem : public TColumnItem {
  DECLARE_CLASS(TWideColumnItem, TColumnItem)
  using TColumnItem::TColumnItem;
};

// Update calls, with the item they name ("*" for the whole collection); one Update may be made to fail.
class TRecordingCollection : public TCollection {
  DECLARE_CLASS(TRecordingCollection, TCollection)
  TRecordingCollection() : TCollection(TColumnItem::StaticClass(), MakeItemFactory<TColumnItem>()) {}
  std::vector<std::string> Calls;
  bool FailNext = false;

 protected:
  void Update(TCollectionItem* Item) override {
    Calls.push_back(Item ? std::to_string(Item->Index()) : "*");
    if (FailNext) {
      FailNext = false;
      throw EInvalidOperation("refused");
    }
  }
};
}  // namespace

TEST(TCollection, AssignKeepsRegisteredItemClasses) {
  RegisterClass<TWideColumnItem>();
  TCountingCollection src;
  src.Add();
  auto* wide = src.AddItemOfClass(TWideColumnItem::StaticClass());
  static_cast<TColumnItem*>(wide)->Width = 300;
  EXPECT_EQ(wide->ClassType(), TWideColumnItem::StaticClass());
  EXPECT_EQ(wide->Collection(), &src);
  EXPECT_THROW(src.AddItemOfClass(TStringList::StaticClass()), EInvalidOperation);
  TCountingCollection copy;
  copy.Assign(&src);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.Items(0)->ClassType(), TColumnItem::StaticClass());
  EXPECT_EQ(copy.Items(1)->ClassType(), TWideColumnItem::StaticClass());
  EXPECT_EQ(static_cast<TColumnItem*>(copy.Items(1))->Width, 300);
  EXPECT_EQ(copy.Items(1)->GetDisplayName(), "TWideColumnItem");
}

TEST(TCollection, UpdateNamesTheItemAndEndUpdateSurvivesAFailingUpdate) {
  TRecordingCollection c;
  c.Add();
  c.Add();
  c.Calls.clear();
  static_cast<TColumnItem*>(c.Items(1))->Assign(c.Items(0));  // the item's Changed(false)
  c.Items(1)->SetIndex(0);                                      // moves: the whole collection
  EXPECT_EQ(c.Calls, (std::vector<std::string>{"1", "*"}));
  c.BeginUpdate();
  c.BeginUpdate();
  c.Add();
  c.EndUpdate();
  c.FailNext = true;
  EXPECT_THROW(c.EndUpdate(), EInvalidOperation);
  EXPECT_EQ(c.UpdateCount(), 0);  // back to 0 although Update raised
  c.Calls.clear();
  c.Add();
  EXPECT_EQ(c.Calls, (std::vector<std::string>{"*"}));  // updates flow again
}
