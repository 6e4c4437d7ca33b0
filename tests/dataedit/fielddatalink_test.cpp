// The field data link of the data-aware controls: data-independent values, several fields at once,
// resolving fields and the checks on values for several fields.
#include <gtest/gtest.h>

#include "dataedit/DBCtrlsX.h"
#include "platform/data/memdataset.h"

namespace {

class FieldDataLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    D.SetName("People");
    D.AddField("ID", ftInteger);
    D.AddField("NAME", ftString, 20);
    D.AddField("CITY", ftString, 20);
    D.Open();
    D.Append();
    D.FieldByName("ID")->SetAsInteger(1);
    D.FieldByName("NAME")->SetAsString("Ann");
    D.FieldByName("CITY")->SetAsString("Oslo");
    D.Post();
    Source.SetDataSet(&D);
    Control.SetName("DBEdit1");
    L.SetControl(&Control);
    L.OnDataChange = [this](TObject*) { ++DataChanges; };
  }
  TMemDataSet D{nullptr};
  TDataSource Source{nullptr};
  TComponent Control{nullptr};
  TFieldDataLinkX L;
  int DataChanges = 0;
};

TEST_F(FieldDataLinkTest, DataIndependentLinkKeepsItsOwnValue) {
  EXPECT_TRUE(L.DataIndependent());
  EXPECT_TRUE(L.IsLinkActive());
  EXPECT_TRUE(L.CanModify());
  EXPECT_TRUE(VarIsNull(L.DataIndependentValue()));
  L.SetValue(42);
  EXPECT_EQ(L.DataIndependentValue().AsInteger(), 42);
  EXPECT_EQ(DataChanges, 1);
  L.SetText("abc");
  EXPECT_EQ(VarToStr(L.DataIndependentValue()), "abc");
  EXPECT_EQ(DataChanges, 2);
  EXPECT_TRUE(L.StartEdit());
  L.MarkModified();
  int Updates = 0;
  L.OnUpdateData = [&](TObject*) { ++Updates; };
  L.UpdateData();
  EXPECT_EQ(Updates, 1);
  EXPECT_FALSE(L.Editing());
  EXPECT_FALSE(L.Modified());
}

TEST_F(FieldDataLinkTest, SourceAndFieldMakeItDataBound) {
  L.SetValue(5);
  L.SetDataSource(&Source);
  EXPECT_FALSE(L.DataIndependent());
  EXPECT_TRUE(VarIsNull(L.DataIndependentValue()));
  L.SetFieldName("NAME");
  ASSERT_EQ(L.Field(), D.FieldByName("NAME"));
  EXPECT_TRUE(L.IsLinkActive());
  EXPECT_TRUE(L.StartEdit());
  EXPECT_EQ(D.State(), dsEdit);
  L.SetText("Bob");
  EXPECT_EQ(D.FieldByName("NAME")->AsString(), "Bob");
  D.Cancel();
  // Clearing both makes it data-independent again and reloads the control.
  L.SetFieldName("");
  const int Before = DataChanges;
  L.SetDataSource(nullptr);
  EXPECT_TRUE(L.DataIndependent());
  EXPECT_GT(DataChanges, Before);
}

TEST_F(FieldDataLinkTest, SeveralFieldsTakeArraysOrNull) {
  L.SetDataSource(&Source);
  L.SetMultiFields(true);
  L.SetFieldName("ID;NAME;CITY");
  ASSERT_EQ(L.FieldsCount(), 3);
  EXPECT_EQ(L.FieldsField(2), D.FieldByName("CITY"));
  EXPECT_EQ(L.FieldsField(3), nullptr);
  D.Edit();
  L.SetValue(Null);
  EXPECT_TRUE(D.FieldByName("ID")->IsNull());
  EXPECT_TRUE(D.FieldByName("NAME")->IsNull());
  EXPECT_TRUE(D.FieldByName("CITY")->IsNull());
  L.SetValue(VarArrayOf({7, "Cy", "Rome"}));
  EXPECT_EQ(D.FieldByName("ID")->AsInteger(), 7);
  EXPECT_EQ(D.FieldByName("CITY")->AsString(), "Rome");
  // Mended: anything but an array of exactly the fields' count is refused, nothing is written.
  for (const Variant& Bad : {Variant(5), VarArrayOf({1, "x"}), VarArrayOf({1, "x", "y", "z"}), VarArrayCreate(1, 3)}) {
    EXPECT_THROW(L.SetValue(Bad), EDatabaseError);
    EXPECT_EQ(D.FieldByName("ID")->AsInteger(), 7);
  }
  D.Cancel();
}

TEST_F(FieldDataLinkTest, MissingFieldRaisesNamingTheControlAndKeepsTheFields) {
  L.SetDataSource(&Source);
  L.SetFieldName("NAME");
  try {
    L.SetFieldName("Nope");
    ADD_FAILURE() << "no exception";
  } catch (const EDatabaseError& E) {
    EXPECT_EQ(E.Message(), "DBEdit1: Field 'Nope' not found");
  }
  EXPECT_EQ(L.Field(), D.FieldByName("NAME"));
}

TEST_F(FieldDataLinkTest, RecordChangesOfOtherFieldsAreIgnoredAndTheSameNameResolvesOnce) {
  L.SetDataSource(&Source);
  L.SetFieldName("NAME");
  const int Before = DataChanges;
  L.SetFieldName("NAME");
  EXPECT_EQ(DataChanges, Before);  // not resolved again
  D.Edit();
  const int Editing = DataChanges;
  D.FieldByName("CITY")->SetAsString("Bern");
  EXPECT_EQ(DataChanges, Editing);
  D.FieldByName("NAME")->SetAsString("Eve");
  EXPECT_EQ(DataChanges, Editing + 1);
  D.Cancel();
}

TEST(SafeVarToStr, ArraysAndFailuresGiveEmptyText) {
  EXPECT_EQ(SafeVarToStr(5), "5");
  EXPECT_EQ(SafeVarToStr(Null), "");
  EXPECT_EQ(SafeVarToStr(VarArrayOf({1, 2})), "");
  EXPECT_EQ(SafeVarToStr(Variant::Error(3)), "");
}

}  // namespace
