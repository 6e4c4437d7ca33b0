// What the cursor walks: filters, sorting, master/detail ranges, and lookup and calculated fields.
#include <gtest/gtest.h>

#include "tests/platform/data/data_fixture.h"

namespace {

using Names = std::vector<std::string>;

struct FilterCase {
  const char* Filter;
  TFilterOptions Options;
  Names Expected;
};

TEST(DataSetFilter, ExpressionTable) {
  TFilterOptions ci{foCaseInsensitive}, nopart{foNoPartialCompare};
  const FilterCase cases[] = {
      {"ID > 2", {}, {"N3", "N4", "N5"}},
      {"ID >= 2 AND ID <= 3 OR Name = 'N5'", {}, {"N2", "N3", "N5"}},
      {"(ID = 1 OR ID = 2) AND NOT Active", {}, {"N2"}},
      {"Name = 'N2'", {}, {"N2"}},
      {"Name = 'n2'", {}, {}},
      {"Name = 'n2'", ci, {"N2"}},
      {"Name = 'N*'", {}, {"N1", "N2", "N3", "N4", "N5"}},
      {"Name = 'N*'", nopart, {}},
      {"Name <> 'N*'", {}, {}},
      {"Name = 'n*'", ci, {"N1", "N2", "N3", "N4", "N5"}},
      {"Active", {}, {"N1", "N3", "N5"}},
      {"Active = FALSE", {}, {"N2", "N4"}},
      {"Amount > 4.4", {}, {"N3", "N4", "N5"}},
      {"Born = '2000-01-03'", {}, {"N2"}},
      {"Born < '2000-01-04'", {}, {"N1", "N2"}},
      {"Amount IS NULL", {}, {}},
      {"Amount IS NOT NULL AND [ID] < 2", {}, {"N1"}},
      {"", {}, {"N1", "N2", "N3", "N4", "N5"}},
  };
  for (const FilterCase& c : cases) {
    SCOPED_TRACE(c.Filter);
    auto ds = MakePeople(NumberedNames(5));
    ds->SetFilterOptions(c.Options);
    ds->SetFilter(c.Filter);
    ds->SetFiltered(true);
    EXPECT_EQ(AllNames(*ds), c.Expected);
    EXPECT_EQ(ds->RecordCount(), static_cast<int>(c.Expected.size()));
    ds->SetFiltered(false);
    EXPECT_EQ(ds->RecordCount(), 5);
  }
}

TEST(DataSetFilter, NullsEventsAndBadExpressions) {
  auto ds = MakePeople(NumberedNames(4));
  ds->Edit();
  ds->FieldByName("Amount")->Clear();
  ds->Post();
  ds->SetFilter("Amount IS NULL");
  ds->SetFiltered(true);
  EXPECT_EQ(AllNames(*ds), (Names{"N1"}));
  ds->SetFilter("Amount = NULL");
  EXPECT_EQ(AllNames(*ds), (Names{"N1"}));
  ds->SetFilter("Amount < 100");  // a comparison with Null is false
  EXPECT_EQ(AllNames(*ds), (Names{"N2", "N3", "N4"}));
  EXPECT_THROW(ds->SetFilter("ID >"), EDatabaseError);
  EXPECT_EQ(ds->Filter(), "Amount < 100");
  EXPECT_THROW(ds->SetFilter("Missing = 1"), EDatabaseError);
  ds->SetOnFilterRecord([](TDataSet* d, bool& accept) { accept = d->FieldByName("ID")->AsInteger() != 3; });
  EXPECT_EQ(AllNames(*ds), (Names{"N2", "N4"}));
  ds->SetFilter("");
  EXPECT_EQ(AllNames(*ds), (Names{"N1", "N2", "N4"}));
  // A posted record that no longer passes leaves the view; the cursor goes on to the next one.
  ds->First();
  ds->Edit();
  ds->FieldByName("ID")->SetAsInteger(3);
  ds->Post();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "N2");
  EXPECT_EQ(AllNames(*ds), (Names{"N2", "N4"}));
  // An appended record that does not pass is stored but not shown.
  ds->Append();
  ds->FieldByName("ID")->SetAsInteger(3);
  ds->FieldByName("Name")->SetAsString("hidden");
  ds->Post();
  EXPECT_EQ(ds->RecordCount(), 2);
  ds->SetFiltered(false);
  EXPECT_EQ(AllNames(*ds), (Names{"N1", "N2", "N3", "N4", "hidden"}));
}

TEST(DataSetSort, IndexFieldNamesDescendingAndCaseInsensitive) {
  auto ds = MakePeople({"b", "C", "a", "B", "c", "A"});
  ds->MoveBy(2);  // "a"
  ds->SetIndexFieldNames("Name");
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "a");  // the current record stays current
  EXPECT_EQ(ds->RecNo(), 4);
  EXPECT_EQ(AllNames(*ds), (Names{"A", "B", "C", "a", "b", "c"}));
  ds->SetDescFields("Name");
  EXPECT_EQ(AllNames(*ds), (Names{"c", "b", "a", "C", "B", "A"}));
  ds->SetDescFields("");
  ds->SetCaseInsFields("Name");
  ds->SetIndexFieldNames("Name;ID");
  EXPECT_EQ(AllNames(*ds), (Names{"a", "A", "b", "B", "C", "c"}));
  ds->SetDescFields("ID");
  EXPECT_EQ(AllNames(*ds), (Names{"A", "a", "B", "b", "c", "C"}));
  EXPECT_THROW(ds->SetIndexFieldNames("Nope"), EDatabaseError);
  EXPECT_EQ(ds->IndexFieldNames(), "Name;ID");
  ds->SetIndexFieldNames("");
  EXPECT_EQ(AllNames(*ds), (Names{"b", "C", "a", "B", "c", "A"}));
}

// The edited record is posted before the order changes; when its post is refused the order, the
// sort settings and the edit stay as they were.
TEST(DataSetSort, ARefusedPostLeavesTheOrderAsItWas) {
  auto ds = MakePeople({"d", "b", "f"});
  ds->SetIndexFieldNames("Name");
  ds->First();
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("a");
  ds->BeforePost = [](TDataSet*) { throw EDatabaseError("refused"); };
  EXPECT_THROW(ds->SetIndexFieldNames(""), EDatabaseError);
  EXPECT_THROW(ds->SetDescFields("Name"), EDatabaseError);
  EXPECT_THROW(ds->SetCaseInsFields("Name"), EDatabaseError);
  EXPECT_EQ(ds->IndexFieldNames(), "Name");
  EXPECT_EQ(ds->DescFields(), "");
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "a");
  ds->Cancel();
  ds->BeforePost = nullptr;
  EXPECT_EQ(AllNames(*ds), (Names{"b", "d", "f"}));
}

TEST(DataSetSort, PostedRecordsTakeTheirPlace) {
  auto ds = MakePeople({"d", "b", "f"});
  ds->SetIndexFieldNames("Name");
  ds->Append();
  ds->FieldByName("ID")->SetAsInteger(10);
  ds->FieldByName("Name")->SetAsString("c");
  ds->Post();
  EXPECT_EQ(ds->RecNo(), 2);
  EXPECT_EQ(AllNames(*ds), (Names{"b", "c", "d", "f"}));
  ds->First();
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("z");
  ds->Post();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "z");
  EXPECT_EQ(ds->RecNo(), 4);
  EXPECT_TRUE(ds->Locate("Name", "d", {}));
  EXPECT_EQ(ds->RecNo(), 2);
  // Nulls sort first; numbers and dates by value.
  ds->Edit();
  ds->FieldByName("Name")->Clear();
  ds->Post();
  EXPECT_EQ(AllNames(*ds), (Names{"", "c", "f", "z"}));
  ds->SetIndexFieldNames("Amount");
  ds->SetDescFields("Amount");
  ds->First();
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
  ds->Last();
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 10);  // its Amount is null: last when descending
}

// ---------------------------------------------------------------------------------------------------

class MasterDetailTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Master = MakePeople({"Ann", "Ben", "Cid"});
    MasterSource.SetDataSet(Master.get());
    Orders.SetName("Orders");
    Orders.AddField("OrderID", ftInteger);
    Orders.AddField("PersonID", ftInteger);
    Orders.AddField("Item", ftString, 10);
    Orders.Open();
    int id = 1;
    for (auto [person, item] : std::vector<std::pair<int, const char*>>{
             {1, "apple"}, {2, "bread"}, {1, "cake"}, {3, "dates"}, {1, "eggs"}}) {
      Orders.Append();
      Orders.FieldByName("OrderID")->SetAsInteger(id++);
      Orders.FieldByName("PersonID")->SetAsInteger(person);
      Orders.FieldByName("Item")->SetAsString(item);
      Orders.Post();
    }
    Orders.SetDetailFields("PersonID");
    Orders.SetMasterFields("ID");
    Orders.SetMasterSource(&MasterSource);
  }
  Names Items() {
    Names r;
    for (Orders.First(); !Orders.Eof(); Orders.Next()) r.push_back(Orders.FieldByName("Item")->AsString());
    return r;
  }
  std::unique_ptr<TMemDataSet> Master;
  TDataSource MasterSource{nullptr};
  TMemDataSet Orders{nullptr};
};

TEST_F(MasterDetailTest, DetailFollowsTheMaster) {
  struct { int MasterRecNo; Names Items; } cases[] = {
      {1, {"apple", "cake", "eggs"}}, {2, {"bread"}}, {3, {"dates"}}, {1, {"apple", "cake", "eggs"}}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.MasterRecNo);
    Master->SetRecNo(c.MasterRecNo);
    EXPECT_EQ(Items(), c.Items);
    EXPECT_EQ(Orders.RecordCount(), static_cast<int>(c.Items.size()));
  }
  TRecordingLink link;
  TDataSource detailSource(nullptr);
  detailSource.SetDataSet(&Orders);
  link.SetDataSource(&detailSource);
  link.Clear();
  Master->Next();
  EXPECT_EQ(link.Log.back(), "DataSetChanged a=0 n=1");
  // A master change of something else than the key leaves the detail alone.
  link.Clear();
  Master->Edit();
  Master->FieldByName("Name")->SetAsString("Benny");
  Master->Post();
  EXPECT_TRUE(link.Log.empty());
}

TEST_F(MasterDetailTest, NewDetailRecordsBelongToTheMaster) {
  Master->SetRecNo(3);
  Orders.Append();
  EXPECT_EQ(Orders.FieldByName("PersonID")->AsInteger(), 3);
  Orders.FieldByName("Item")->SetAsString("figs");
  Orders.Post();
  EXPECT_EQ(Items(), (Names{"dates", "figs"}));
  Master->First();
  EXPECT_EQ(Items(), (Names{"apple", "cake", "eggs"}));
}

TEST_F(MasterDetailTest, WithoutAnActiveMasterTheDetailShowsEverything) {
  Master->Close();
  EXPECT_EQ(Items().size(), 5u);
  Master->Open();
  EXPECT_EQ(Items().size(), 3u);
  auto empty = MakePeople({});
  MasterSource.SetDataSet(empty.get());
  EXPECT_TRUE(Items().empty());  // an empty master has no key: no details
  MasterSource.SetDataSet(nullptr);
  EXPECT_EQ(Items().size(), 5u);
}

TEST_F(MasterDetailTest, CircularLinksAreRefused) {
  TDataSource ordersSource(nullptr);
  ordersSource.SetDataSet(&Orders);
  // A source is linked to a data set when its chain of masters leads there.
  EXPECT_TRUE(Master->IsLinkedTo(&ordersSource));
  EXPECT_TRUE(Master->IsLinkedTo(&MasterSource));
  EXPECT_FALSE(Orders.IsLinkedTo(&MasterSource));
  Master->Close();
  EXPECT_THROW(Master->SetMasterSource(&ordersSource), EDatabaseError);
  EXPECT_THROW(Orders.SetMasterSource(&ordersSource), EDatabaseError);
}

// ---------------------------------------------------------------------------------------------------

TEST(LookupFields, FollowTheirKey) {
  TMemDataSet depts(nullptr);
  depts.AddField("DeptID", ftInteger);
  depts.AddField("DeptName", ftString, 10);
  depts.Open();
  for (auto [id, name] : std::vector<std::pair<int, const char*>>{{10, "Sales"}, {20, "Dev"}, {30, "Ops"}}) {
    depts.Append();
    depts.FieldByName("DeptID")->SetAsInteger(id);
    depts.FieldByName("DeptName")->SetAsString(name);
    depts.Post();
  }
  TMemDataSet staff(nullptr);
  staff.AddField("Name", ftString, 10);
  staff.AddField("Dept", ftInteger);
  TField* look = staff.AddLookupField("DeptName", ftString, "Dept", &depts, "DeptID", "DeptName", 10);
  TField* calc = staff.AddCalcField("Label", ftString, 30);
  staff.OnCalcFields = [&](TDataSet* d) {
    calc->SetAsString(d->FieldByName("Name")->AsString() + "@" + look->AsString());
  };
  staff.Open();
  for (auto [name, dept] : std::vector<std::pair<const char*, Variant>>{
           {"ann", 20}, {"bob", 10}, {"cy", 99}, {"di", Variant::Null()}}) {
    staff.Append();
    staff.FieldByName("Name")->SetAsString(name);
    staff.FieldByName("Dept")->SetAsVariant(dept);
    staff.Post();
  }
  struct { const char* Name; Variant Dept; Variant Looked; } cases[] = {
      {"ann", 20, "Dev"}, {"bob", 10, "Sales"}, {"cy", 99, Variant::Null()}, {"di", Variant::Null(), Variant::Null()}};
  staff.First();
  for (auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(staff.FieldByName("Name")->AsString(), c.Name);
    EXPECT_EQ(look->AsVariant().IsNull(), c.Looked.IsNull());
    if (!c.Looked.IsNull()) {
      EXPECT_EQ(look->AsString(), c.Looked.AsString());
    }
    EXPECT_EQ(calc->AsString(), std::string(c.Name) + "@" + VarToStr(c.Looked));
    staff.Next();
  }
  EXPECT_EQ(depts.RecNo(), 3);  // lookups never move the lookup data set
  // Changing the key in an edit shows the new value at once.
  staff.First();
  staff.Edit();
  staff.FieldByName("Dept")->SetAsInteger(30);
  EXPECT_EQ(look->AsString(), "Ops");
  EXPECT_EQ(calc->AsString(), "ann@Ops");
  staff.Cancel();
  EXPECT_EQ(look->AsString(), "Dev");
  EXPECT_EQ(look->FieldKind(), fkLookup);
  EXPECT_FALSE(look->CanModify());
  // Each buffered record has its own looked-up value.
  TDataSource src(nullptr);
  src.SetDataSet(&staff);
  TRecordingLink link;
  link.SetBufferCount(4);
  link.SetDataSource(&src);
  Names seen;
  for (int i = 0; i < link.RecordCount(); ++i) {
    link.SetActiveRecord(i);
    seen.push_back(look->AsString());
  }
  EXPECT_EQ(seen, (Names{"Dev", "Sales", "", ""}));
  // Locate and filters can use lookup and calculated fields.
  EXPECT_TRUE(staff.Locate("DeptName", "sal", {loCaseInsensitive, loPartialKey}));
  EXPECT_EQ(staff.FieldByName("Name")->AsString(), "bob");
  staff.SetFilter("Label = 'ann@*'");
  staff.SetFiltered(true);
  EXPECT_EQ(staff.RecordCount(), 1);
  staff.SetFiltered(false);

  // With the cache, a renamed department shows only after RefreshLookupList.
  look->SetLookupCache(true);
  staff.First();  // ann, department 20
  EXPECT_EQ(look->AsString(), "Dev");
  depts.Locate("DeptID", 20, {});
  depts.Edit();
  depts.FieldByName("DeptName")->SetAsString("Dev2");
  depts.Post();
  staff.Refresh();
  EXPECT_EQ(look->AsString(), "Dev");  // remembered
  look->RefreshLookupList();
  staff.Refresh();
  EXPECT_EQ(look->AsString(), "Dev2");
  look->SetLookupCache(false);
  depts.Edit();
  depts.FieldByName("DeptName")->SetAsString("Dev3");
  depts.Post();
  staff.Refresh();
  EXPECT_EQ(look->AsString(), "Dev3");  // without the cache every fetch looks again
}

}  // namespace

namespace {

TEST(DataSetRefresh, FiltersAreEvaluatedAgainAndTheCurrentRecordStays) {
  auto ds = MakePeople(NumberedNames(5));
  int limit = 5;
  ds->SetOnFilterRecord([&](TDataSet* d, bool& accept) { accept = d->FieldByName("ID")->AsInteger() <= limit; });
  ds->SetFiltered(true);
  ds->MoveBy(2);
  limit = 3;
  std::vector<std::string> events;
  ds->BeforeRefresh = [&](TDataSet*) { events.push_back("before"); };
  ds->AfterRefresh = [&](TDataSet*) { events.push_back("after"); };
  ds->Refresh();
  EXPECT_EQ(events, (Names{"before", "after"}));
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "N3");
  EXPECT_EQ(ds->RecordCount(), 3);
  limit = 1;
  ds->Refresh();  // the current record is gone: the cursor takes a neighbour
  EXPECT_EQ(ds->RecordCount(), 1);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "N1");
  ds->SetOnFilterRecord(nullptr);
}

}  // namespace

namespace {

TEST(DataSetFilter, AFilterThatRaisesLeavesThePreviousOneInForce) {
  auto ds = MakePeople(NumberedNames(4));
  ds->SetFilter("ID <= 3");
  ds->SetFiltered(true);
  bool fail = true;
  EXPECT_THROW(ds->SetOnFilterRecord([&](TDataSet*, bool&) {
    if (fail) throw EDatabaseError("broken");
  }), EDatabaseError);
  EXPECT_FALSE(static_cast<bool>(ds->OnFilterRecord()));
  EXPECT_EQ(AllNames(*ds), (Names{"N1", "N2", "N3"}));
  // A record whose filter check raises while it is posted is not stored.
  bool armed = false;
  ds->SetOnFilterRecord([&](TDataSet* d, bool&) {
    if (armed && d->FieldByName("ID")->AsInteger() == 2) throw EDatabaseError("broken");
  });
  armed = true;
  ds->Append();
  ds->FieldByName("ID")->SetAsInteger(2);
  EXPECT_THROW(ds->Post(), EDatabaseError);
  EXPECT_EQ(ds->State(), dsInsert);
  ds->Cancel();
  armed = false;
  ds->SetFiltered(false);
  EXPECT_EQ(ds->RecordCount(), 4);
  ds->SetOnFilterRecord(nullptr);
}

}  // namespace
