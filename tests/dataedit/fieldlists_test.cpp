// Fields named in ';'-separated lists: resolving, the array form and assigning one value to all.
#include <gtest/gtest.h>

#include "dataedit/FieldListsX.h"
#include "platform/data/memdataset.h"

namespace {

class FieldListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    D.SetName("People");
    D.AddField("ID", ftInteger);
    D.AddField("NAME", ftString, 20);
    D.AddField("Amount", ftFloat);
    D.Open();
    D.Append();
    D.FieldByName("ID")->SetAsInteger(1);
    D.FieldByName("NAME")->SetAsString("Ann");
    D.FieldByName("Amount")->SetAsFloat(2.5);
    D.Post();
    Owner.SetName("Edit1");
  }
  TMemDataSet D{nullptr};
  TComponent Owner{nullptr};
};

TEST_F(FieldListTest, ListsResolveInOrderIgnoringBlanksAndCase) {
  struct Case {
    const char* Names;
    std::vector<const char*> Fields;
  };
  const Case Cases[] = {
      {"ID", {"ID"}},
      {"name;id", {"NAME", "ID"}},
      {" Amount ; ID ;NAME", {"Amount", "ID", "NAME"}},
      {"ID;;NAME;", {"ID", "NAME"}},
      {"", {}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Names);
    const TFieldsArrX A = GetFieldsArray(&D, &Owner, C.Names);
    ASSERT_EQ(A.size(), C.Fields.size());
    for (size_t I = 0; I < A.size(); ++I) EXPECT_EQ(A[I], D.FieldByName(C.Fields[I]));
    TList L;
    FillFieldList(&L, &D, &Owner, C.Names);
    EXPECT_EQ(L.Count(), static_cast<int>(C.Fields.size()));
  }
}

TEST_F(FieldListTest, AMissingNameRaisesNamingTheComponent) {
  try {
    FillFieldList(nullptr, &D, &Owner, "ID;Nope");
    ADD_FAILURE() << "no exception";
  } catch (const EDatabaseError& E) {
    EXPECT_EQ(E.Message(), "Edit1: Field 'Nope' not found");
  }
  EXPECT_NO_THROW(FillFieldList(nullptr, &D, &Owner, "ID;NAME"));  // nil list: only checked
}

TEST_F(FieldListTest, AssignFieldValues) {
  D.Edit();
  AssignFieldValues(&D, "ID;NAME", Null);
  EXPECT_TRUE(D.FieldByName("ID")->IsNull());
  EXPECT_TRUE(D.FieldByName("NAME")->IsNull());
  EXPECT_FALSE(D.FieldByName("Amount")->IsNull());
  AssignFieldValues(&D, "ID;NAME", VarArrayOf({7, "Bo"}));
  EXPECT_EQ(D.FieldByName("ID")->AsInteger(), 7);
  EXPECT_EQ(D.FieldByName("NAME")->AsString(), "Bo");
  AssignFieldValues(&D, "Amount", 4.25);
  EXPECT_EQ(D.FieldByName("Amount")->AsFloat(), 4.25);
  AssignFieldValues(&D, "Amount", Null);
  EXPECT_TRUE(D.FieldByName("Amount")->IsNull());
  EXPECT_THROW(AssignFieldValues(&D, "ID;NAME", 5), EDatabaseError);  // one value for two fields
  D.Cancel();
}

}  // namespace
