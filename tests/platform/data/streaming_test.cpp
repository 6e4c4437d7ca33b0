// Data sets, data sources and fields through the component writer and reader.
#include <gtest/gtest.h>

#include "platform/classes/filer.h"
#include "tests/platform/data/data_fixture.h"

namespace {

class DataStreamingTest : public ::testing::Test {
 protected:
  void SetUp() override { DB::Initialize(); }
  void TearDown() override { DB::Finalize(); }
};

TEST_F(DataStreamingTest, PersistentFieldsPropertiesAndActiveRoundTrip) {
  TMemoryStream ms;
  {
    TComponent root(nullptr);
    root.SetName("Form1");
    auto* ds = new TMemDataSet(&root);
    ds->SetName("People");
    TField* id = ds->AddField("ID", ftInteger);
    id->SetName("PeopleID");
    id->SetDisplayLabel("No.");
    TField* name = ds->AddField("Name", ftString, 12);
    name->SetName("PeopleName");
    name->SetDisplayWidth(8);
    name->SetRequired(true);
    auto* flag = static_cast<TBooleanField*>(ds->AddField("Flag", ftBoolean));
    flag->SetName("PeopleFlag");
    flag->SetDisplayValues("Y;N");
    auto* amount = static_cast<TFloatField*>(ds->AddField("Amount", ftFloat));
    amount->SetName("PeopleAmount");
    amount->SetDisplayFormat("0.00");
    amount->SetVisible(false);
    ds->SetIndexFieldNames("Name");
    ds->SetFilter("ID > 1");
    ds->SetFiltered(true);
    ds->SetFilterOptions({foCaseInsensitive});
    ds->Open();
    auto* src = new TDataSource(&root);
    src->SetName("Src");
    src->SetDataSet(ds);
    src->SetAutoEdit(false);
    ms.WriteComponent(&root);
  }
  ms.SetPosition(0);
  TComponent root(nullptr);
  ms.ReadComponent(&root);
  auto* ds = dynamic_cast<TMemDataSet*>(root.FindComponent("People"));
  auto* src = dynamic_cast<TDataSource*>(root.FindComponent("Src"));
  ASSERT_NE(ds, nullptr);
  ASSERT_NE(src, nullptr);
  EXPECT_TRUE(ds->Active());  // Active waited for Loaded
  EXPECT_EQ(src->DataSet(), ds);
  EXPECT_FALSE(src->AutoEdit());
  EXPECT_EQ(ds->IndexFieldNames(), "Name");
  EXPECT_EQ(ds->Filter(), "ID > 1");
  EXPECT_TRUE(ds->Filtered());
  EXPECT_TRUE(ds->FilterOptions().Contains(foCaseInsensitive));
  ASSERT_EQ(ds->FieldCount(), 4);
  EXPECT_FALSE(ds->DefaultFields());
  EXPECT_EQ(ds->Fields()[0]->FieldName(), "ID");
  EXPECT_EQ(ds->Fields()[0]->DisplayLabel(), "No.");
  EXPECT_EQ(ds->Fields()[1]->Size(), 12);
  EXPECT_EQ(ds->Fields()[1]->DisplayWidth(), 8);
  EXPECT_TRUE(ds->Fields()[1]->Required());
  EXPECT_EQ(static_cast<TBooleanField*>(ds->Fields()[2])->DisplayValues(), "Y;N");
  EXPECT_EQ(static_cast<TFloatField*>(ds->Fields()[3])->DisplayFormat(), "0.00");
  EXPECT_FALSE(ds->Fields()[3]->Visible());
  EXPECT_EQ(ds->Fields()[3]->Alignment(), taRightJustify);
  ds->Append();
  ds->FieldByName("ID")->SetAsInteger(5);
  ds->FieldByName("Name")->SetAsString("x");
  ds->Post();
  EXPECT_EQ(ds->RecordCount(), 1);
  // The published tables answer by name, as generic code (the sum list) asks them.
  EXPECT_EQ(GetStrProp(ds, "IndexFieldNames"), "Name");
  EXPECT_EQ(GetObjectProp(ds, "MasterSource"), nullptr);
  EXPECT_TRUE(IsPublishedProp(ds, "OnCalcFields"));
}

TEST_F(DataStreamingTest, FieldDefinitionsRoundTripAndMakeTheFieldsOnOpen) {
  TMemoryStream ms;
  {
    TMemDataSet ds(nullptr);
    ds.SetName("Defs");
    ds.FieldDefs().Add("Code", ftString, 6, true);
    ds.FieldDefs().Add("When", ftDateTime);
    ds.CreateDataSet();
    ASSERT_TRUE(ds.DefaultFields());
    ms.WriteComponent(&ds);
  }
  ms.SetPosition(0);
  TMemDataSet ds(nullptr);
  ms.ReadComponent(&ds);
  EXPECT_EQ(ds.ComponentCount(), 2);  // the fields made from the definitions, none streamed
  ASSERT_EQ(ds.FieldDefs().Count(), 2);
  EXPECT_EQ(ds.FieldDefs()[0].Name, "Code");
  EXPECT_EQ(ds.FieldDefs()[0].Size, 6);
  EXPECT_TRUE(ds.FieldDefs()[0].Required);
  EXPECT_EQ(ds.FieldDefs()[1].DataType, ftDateTime);
  EXPECT_TRUE(ds.Active());
  EXPECT_TRUE(Is<TDateTimeField>(ds.FieldByName("When")));
}

TEST_F(DataStreamingTest, BadFieldDefinitionsRaiseReadErrors) {
  TMemoryStream ms;
  {
    TMemDataSet ds(nullptr);
    ds.SetName("Defs");
    ds.FieldDefs().Add("Code", ftString, 6);
    ms.WriteComponent(&ds);
  }
  // Turn the field type (1, ftString) into 99.
  auto& bytes = const_cast<std::vector<uint8_t>&>(ms.Bytes());
  std::string text(bytes.begin(), bytes.end());
  size_t at = text.find("Code");
  ASSERT_NE(at, std::string::npos);
  ASSERT_EQ(bytes[at + 4], vaInt8);
  bytes[at + 5] = 99;
  ms.SetPosition(0);
  TMemDataSet ds(nullptr);
  EXPECT_THROW(ms.ReadComponent(&ds), EReadError);
}

}  // namespace
