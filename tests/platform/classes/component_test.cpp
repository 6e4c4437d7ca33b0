#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classes/classes.h"

namespace {
std::vector<std::string>* gFreed = nullptr;

class TProbe : public TComponent {
  DECLARE_CLASS(TProbe, TComponent)
  explicit TProbe(TComponent* AOwner, std::string Label = "") : TComponent(AOwner), FLabel(std::move(Label)) {}
  ~TProbe() override {
    if (gFreed) gFreed->push_back(FLabel);
  }
  TComponent* Watched = nullptr;  // borrowed, cleared on opRemove
  std::vector<std::string> Heard;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    Heard.push_back((Operation == opInsert ? "+" : "-") + AComponent->Name());
    if (Operation == opRemove && AComponent == Watched) Watched = nullptr;
  }

 private:
  std::string FLabel;
};

class TProbeChild : public TProbe {
  DECLARE_CLASS(TProbeChild, TProbe)
  using TProbe::TProbe;
};
}  // namespace

TEST(TObject, ClassNamesAndInheritance) {
  TProbeChild c(nullptr);
  EXPECT_EQ(c.ClassName(), "TProbeChild");
  EXPECT_EQ(c.ClassParent(), TProbe::StaticClass());
  EXPECT_TRUE(c.InheritsFrom(TComponent::StaticClass()));
  EXPECT_TRUE(c.InheritsFrom("tpersistent"));
  EXPECT_FALSE(c.InheritsFrom(TStringList::StaticClass()));
  TObject* o = &c;
  EXPECT_EQ(As<TProbe>(o), &c);
  EXPECT_THROW(As<TStringList>(o), EInvalidCast);
}

TEST(TComponent, OwnerFreesOwnedComponentsLastFirst) {
  std::vector<std::string> freed;
  gFreed = &freed;
  {
    auto* owner = new TProbe(nullptr, "owner");
    auto* a = new TProbe(owner, "a");
    new TProbe(owner, "b");
    new TProbe(a, "a1");
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(a->ComponentIndex(), 0);
    delete owner;
  }
  gFreed = nullptr;
  EXPECT_EQ(freed, (std::vector<std::string>{"owner", "b", "a", "a1"}));
}

TEST(TComponent, DestroyingAChildRemovesItFromItsOwner) {
  TProbe owner(nullptr);
  auto* a = new TProbe(&owner);
  a->SetName("A");
  auto* b = new TProbe(&owner);
  b->SetName("B");
  owner.Heard.clear();
  delete a;
  ASSERT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0), b);
  EXPECT_EQ(owner.Heard, (std::vector<std::string>{"-A"}));
  EXPECT_EQ(b->Heard, (std::vector<std::string>{"-A"}));  // siblings hear of it through the owner
  EXPECT_EQ(owner.FindComponent("a"), nullptr);
  EXPECT_THROW(owner.Components(1), EListError);
}

TEST(TComponent, FreeNotificationClearsReferences) {
  TProbe formA(nullptr), formB(nullptr);
  auto* source = new TProbe(&formA);
  source->SetName("Source");
  auto* user = new TProbe(&formB);
  user->Watched = source;
  user->FreeNotification(source);
  delete source;
  EXPECT_EQ(user->Watched, nullptr);
  // The link goes both ways: freeing the watcher first leaves nothing dangling.
  auto* source2 = new TProbe(&formA);
  user->Watched = source2;
  user->FreeNotification(source2);
  delete user;
  delete source2;  // would touch freed memory if the link were one-way (caught by the sanitizers)
  SUCCEED();
}

TEST(TComponent, NamesAreValidatedAndUniqueAmongSiblings) {
  TProbe owner(nullptr);
  auto* a = new TProbe(&owner);
  auto* b = new TProbe(&owner);
  a->SetName("btnAdd");
  EXPECT_THROW(b->SetName("BTNADD"), EComponentError);
  EXPECT_THROW(b->SetName("1st"), EComponentError);
  try {
    b->SetName("btnAdd");
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "A component named btnAdd already exists");
  }
  b->SetName("btnDel");
  EXPECT_EQ(owner.FindComponent("BTNDEL"), b);
  a->SetName("btnAdd");  // the same name again is no clash with itself
  a->SetName("");
  b->SetName("");  // empty names never clash
  EXPECT_EQ(owner.FindComponent(""), nullptr);
  a->SetTag(-5);
  EXPECT_EQ(a->Tag(), -5);
}

TEST(TComponent, InsertAndRemoveComponentMoveOwnership) {
  TProbe o1(nullptr), o2(nullptr);
  auto* c = new TProbe(&o1);
  c->SetName("C");
  o2.InsertComponent(c);
  EXPECT_EQ(c->Owner(), &o2);
  EXPECT_EQ(o1.ComponentCount(), 0);
  EXPECT_EQ(o2.Heard.back(), "+C");
  auto* clash = new TProbe(&o1);
  clash->SetName("C");
  EXPECT_THROW(o2.InsertComponent(clash), EComponentError);
  EXPECT_EQ(clash->Owner(), &o1);
  o2.RemoveComponent(c);
  EXPECT_EQ(c->Owner(), nullptr);
  delete c;
}

TEST(TComponent, StateFlagsAndLoaded) {
  TProbe p(nullptr);
  p.SetLoading(true);
  EXPECT_TRUE(p.ComponentState().Contains(csLoading));
  EXPECT_TRUE(p.ComponentState().Contains(csReading));
  p.SetDesigning(true);
  EXPECT_TRUE(p.IsDesigning());
  p.SetLoading(false);
  EXPECT_FALSE(p.IsLoading());
}

TEST(Registry, FindClassMakesTheRightClass) {
  RegisterClass<TProbeChild>();
  RegisterClass<TStringList>();
  TProbe owner(nullptr);
  TComponent* c = CreateComponent("tprobechild", &owner);
  EXPECT_EQ(c->ClassName(), "TProbeChild");
  EXPECT_EQ(c->Owner(), &owner);
  auto obj = CreateObject("TStringList");
  EXPECT_NE(dynamic_cast<TStringList*>(obj.get()), nullptr);
  EXPECT_EQ(GetClass("TNoSuch"), nullptr);
  try {
    FindClass("TNoSuch");
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), "Class TNoSuch not found");
  }
  EXPECT_THROW(CreateComponent("TStringList", &owner), EInvalidCast);
}

TEST(TPersistent, AssignWithoutSupportNamesBothClasses) {
  TStringList list;
  TProbe p(nullptr);
  try {
    p.Assign(&list);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TStringList to a TProbe");
  }
  EXPECT_THROW(list.Assign(nullptr), EConvertError);
}

// An owner of many components finds them through a name index; renames, moves and frees keep it true.
TEST(TComponent, ManyOwnedComponentsAreFoundByNameAfterRenamesAndFrees) {
  TComponent owner(nullptr);
  std::vector<TComponent*> made;
  for (int i = 0; i < 100; ++i) {
    auto* c = new TComponent(&owner);
    c->SetName("Item" + std::to_string(i));
    made.push_back(c);
  }
  new TComponent(&owner);  // unnamed: never found
  EXPECT_EQ(owner.FindComponent("item7"), made[7]);
  EXPECT_EQ(owner.FindComponent(""), nullptr);
  made[7]->SetName("Seventh");
  EXPECT_EQ(owner.FindComponent("Item7"), nullptr);
  EXPECT_EQ(owner.FindComponent("SEVENTH"), made[7]);
  made[8]->SetName("ITEM8");  // a change of case only
  EXPECT_EQ(owner.FindComponent("item8"), made[8]);
  EXPECT_THROW(made[9]->SetName("seventh"), EComponentError);
  EXPECT_EQ(owner.FindComponent("Item9"), made[9]);
  delete made[50];
  EXPECT_EQ(owner.FindComponent("Item50"), nullptr);
  TComponent other(nullptr);
  other.InsertComponent(made[60]);
  EXPECT_EQ(owner.FindComponent("Item60"), nullptr);
  EXPECT_EQ(other.FindComponent("Item60"), made[60]);
  auto* again = new TComponent(&owner);
  again->SetName("Item50");
  EXPECT_EQ(owner.FindComponent("item50"), again);
  owner.InsertComponent(made[60]);
  EXPECT_EQ(owner.FindComponent("Item60"), made[60]);
  EXPECT_EQ(other.FindComponent("Item60"), nullptr);
  auto* clash = new TComponent(&other);
  clash->SetName("Item61");
  EXPECT_THROW(owner.InsertComponent(clash), EComponentError);  // the index sees the sibling's name
  EXPECT_EQ(clash->Owner(), &other);
}
