// The data-set contract on the in-memory data set: Bof/Eof after every navigation call, bookmarks,
// Locate and Lookup, FieldValues, errors of closed data sets and bad input.
#include <gtest/gtest.h>

#include <functional>

#include "tests/platform/data/data_fixture.h"

namespace {

using Names = std::vector<std::string>;

std::string Current(TDataSet& DS) { return DS.IsEmpty() ? "" : DS.FieldByName("Name")->AsString(); }

struct NavCase {
  const char* Name;
  int Records;
  std::function<int(TDataSet&)> Act;  // returns MoveBy's result where it matters
  bool Bof, Eof;
  const char* Current;
  int Moved;
};

TEST(DataSetNavigation, BofAndEofAfterEveryCall) {
  const NavCase cases[] = {
      {"open", 5, [](TDataSet&) { return 0; }, true, false, "N1", 0},
      {"First", 5, [](TDataSet& d) { d.Next(); d.First(); return 0; }, true, false, "N1", 0},
      {"Next", 5, [](TDataSet& d) { d.Next(); return 0; }, false, false, "N2", 0},
      {"Prior at first", 5, [](TDataSet& d) { d.Prior(); return 0; }, true, false, "N1", 0},
      {"Last", 5, [](TDataSet& d) { d.Last(); return 0; }, false, true, "N5", 0},
      {"Next at last", 5, [](TDataSet& d) { d.Last(); d.Next(); return 0; }, false, true, "N5", 0},
      {"Prior from last", 5, [](TDataSet& d) { d.Last(); d.Prior(); return 0; }, false, false, "N4", 0},
      {"Next then Prior", 5, [](TDataSet& d) { d.Next(); d.Prior(); return 0; }, false, false, "N1", 0},
      {"MoveBy past end", 5, [](TDataSet& d) { return d.MoveBy(10); }, false, true, "N5", 4},
      {"MoveBy past start", 5, [](TDataSet& d) { d.Last(); return d.MoveBy(-10); }, true, false, "N1", -4},
      {"MoveBy exact to last", 5, [](TDataSet& d) { return d.MoveBy(4); }, false, false, "N5", 4},
      {"MoveBy 0", 5, [](TDataSet& d) { return d.MoveBy(0); }, true, false, "N1", 0},
      {"RecNo", 5, [](TDataSet& d) { d.SetRecNo(3); return 0; }, false, false, "N3", 0},
      {"Locate", 5, [](TDataSet& d) { d.Locate("Name", "N4", {}); return 0; }, false, false, "N4", 0},
      {"GotoBookmark", 5,
       [](TDataSet& d) {
         d.Next();
         TBookmark b = d.Bookmark();
         d.First();
         d.GotoBookmark(b);
         return 0;
       },
       false, false, "N2", 0},
      {"Append posted", 5,
       [](TDataSet& d) {
         d.Append();
         d.FieldByName("ID")->SetAsInteger(6);
         d.FieldByName("Name")->SetAsString("N6");
         d.Post();
         return 0;
       },
       false, false, "N6", 0},
      {"Delete last", 5, [](TDataSet& d) { d.Last(); d.Delete(); return 0; }, false, false, "N4", 0},
      {"empty open", 0, [](TDataSet&) { return 0; }, true, true, "", 0},
      {"empty First", 0, [](TDataSet& d) { d.First(); return 0; }, true, true, "", 0},
      {"empty Last", 0, [](TDataSet& d) { d.Last(); return 0; }, true, true, "", 0},
      {"empty Next", 0, [](TDataSet& d) { return d.MoveBy(1); }, true, true, "", 0},
      {"empty Prior", 0, [](TDataSet& d) { return d.MoveBy(-1); }, true, true, "", 0},
      {"one record Next", 1, [](TDataSet& d) { d.Next(); return 0; }, false, true, "N1", 0},
      {"delete only record", 1, [](TDataSet& d) { d.Delete(); return 0; }, true, true, "", 0},
  };
  for (const NavCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto ds = MakePeople(NumberedNames(c.Records));
    int moved = c.Act(*ds);
    EXPECT_EQ(ds->Bof(), c.Bof);
    EXPECT_EQ(ds->Eof(), c.Eof);
    EXPECT_EQ(Current(*ds), c.Current);
    EXPECT_EQ(moved, c.Moved);
    EXPECT_EQ(ds->IsEmpty(), std::string(c.Current).empty());
  }
}

TEST(DataSetNavigation, AppendSetsEofAndInsertClearsBoth) {
  auto ds = MakePeople(NumberedNames(3));
  ds->Append();
  EXPECT_FALSE(ds->Bof());
  EXPECT_TRUE(ds->Eof());
  ds->Cancel();
  ds->Insert();
  EXPECT_FALSE(ds->Bof());
  EXPECT_FALSE(ds->Eof());
  ds->Cancel();
}

TEST(DataSetNavigation, RecNoAndSequencing) {
  auto ds = MakePeople(NumberedNames(5));
  ds->MoveBy(2);
  EXPECT_EQ(ds->RecNo(), 3);
  EXPECT_EQ(ds->RecordCount(), 5);
  EXPECT_TRUE(ds->IsSequenced());
  ds->SetSequenced(false);
  EXPECT_FALSE(ds->IsSequenced());
  EXPECT_EQ(ds->RecNo(), -1);
  ds->SetRecNo(1);  // ignored without record numbers
  EXPECT_EQ(Current(*ds), "N3");
  ds->SetSequenced(true);
  ds->SetRecNo(5);
  EXPECT_EQ(Current(*ds), "N5");
  ds->SetRecNo(99);  // out of range: stays
  EXPECT_EQ(Current(*ds), "N5");
}

// ---------------------------------------------------------------------------------------------------

std::unique_ptr<TMemDataSet> LocatePeople() {
  auto ds = MakePeople({"Alice", "albert", "Bob", "\xC3\x85lborg", "bobby", "x"});
  ds->Last();
  ds->Edit();
  ds->FieldByName("Name")->Clear();
  ds->Post();
  ds->First();
  return ds;
}

struct LocateCase {
  const char* Keys;
  Variant Values;
  TLocateOptions Options;
  int FoundID;  // 0: not found
};

TEST(DataSetLocate, OptionsTable) {
  TLocateOptions ci{loCaseInsensitive}, part{loPartialKey}, both{loCaseInsensitive, loPartialKey};
  const LocateCase cases[] = {
      {"Name", "alice", {}, 0},
      {"Name", "alice", ci, 1},
      {"Name", "Alice", {}, 1},
      {"Name", "al", part, 2},
      {"Name", "AL", both, 1},
      {"Name", "AL", part, 0},
      {"Name", "bob", both, 3},
      {"Name", "bobb", both, 5},
      {"Name", "Bob", {}, 3},
      {"Name", "Bo", {}, 0},
      {"Name", "\xC3\xA5LBORG", ci, 4},       // non-ASCII letters ignore case too
      {"Name", "\xC3\xA5l", both, 4},
      {"Name", Variant::Null(), {}, 6},       // Null finds the null value
      {"Name", "", part, 1},                  // an empty partial key matches the first non-null text
      {"ID", 3, {}, 3},
      {"ID", "3", {}, 3},                     // text against a number compares as text
      {"ID", 3.0, {}, 3},
      {"ID", 3.5, {}, 0},
      {"Amount", 4.5, {}, 3},
      {"Active", false, {}, 2},
      {"Born", VarFromDateTime(EncodeDate(2000, 1, 5)), {}, 4},
      {"ID;Name", VarArrayOf({2, "albert"}), {}, 2},
      {"ID;Name", VarArrayOf({2, "Alice"}), {}, 0},
      {"id;NAME", VarArrayOf({5, "BOB"}), both, 5},
  };
  for (const LocateCase& c : cases) {
    SCOPED_TRACE(std::string(c.Keys) + " " + VarToStrDef(c.Values.IsArray() ? Variant("array") : c.Values, "?"));
    auto ds = LocatePeople();
    ds->MoveBy(1);
    bool found = ds->Locate(c.Keys, c.Values, c.Options);
    EXPECT_EQ(found, c.FoundID != 0);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), c.FoundID != 0 ? c.FoundID : 2);  // not found: stays
  }
}

TEST(DataSetLocate, LocateLookupAndFieldValuesErrors) {
  auto ds = LocatePeople();
  EXPECT_THROW(ds->Locate("Nope", 1, {}), EDatabaseError);
  EXPECT_THROW(ds->Locate("ID;Name", 1, {}), EDatabaseError);
  EXPECT_EQ(VarToStr(ds->Lookup("ID", 3, "Name")), "Bob");
  EXPECT_TRUE(ds->Lookup("ID", 42, "Name").IsNull());
  Variant v = ds->Lookup("Name", "Bob", "ID;Active");
  ASSERT_TRUE(v.IsArray());
  EXPECT_EQ(v[0].AsInteger(), 3);
  EXPECT_TRUE(v[1].AsBoolean());
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 1);  // Lookup does not move
  Variant fv = ds->FieldValues("ID;Name");
  ASSERT_TRUE(fv.IsArray());
  EXPECT_EQ(fv[1].AsString(), "Alice");
  ds->Edit();
  ds->SetFieldValues("ID;Name", VarArrayOf({7, "Zed"}));
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Zed");
  ds->SetFieldValues("Amount;Born", Variant::Null());
  EXPECT_TRUE(ds->FieldByName("Amount")->IsNull());
  EXPECT_TRUE(ds->FieldByName("Born")->IsNull());
  EXPECT_THROW(ds->SetFieldValues("ID;Name", 3), EDatabaseError);
  ds->Post();
}

// ---------------------------------------------------------------------------------------------------

TEST(DataSetBookmarks, GotoAndCompareInDataSetOrder) {
  auto ds = MakePeople({"c", "a", "b", "d"});
  std::vector<TBookmark> marks;
  for (ds->First(); !ds->Eof(); ds->Next()) marks.push_back(ds->Bookmark());
  ds->SetIndexFieldNames("Name");
  // Order now: a(1) b(2) c(0) d(3)
  struct { int A, B, Expected; } cases[] = {{1, 2, -1}, {2, 0, -1}, {0, 3, -1}, {3, 1, 1}, {0, 0, 0}, {0, 1, 1}};
  for (auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.A) + " vs " + std::to_string(c.B));
    EXPECT_EQ(ds->CompareBookmarks(marks[c.A], marks[c.B]), c.Expected);
  }
  EXPECT_EQ(ds->CompareBookmarks("", marks[0]), -1);
  EXPECT_EQ(ds->CompareBookmarks(marks[0], ""), 1);
  EXPECT_EQ(ds->CompareBookmarks("", ""), 0);
  ds->SetDescFields("Name");
  EXPECT_EQ(ds->CompareBookmarks(marks[1], marks[2]), 1);
  ds->GotoBookmark(marks[2]);
  EXPECT_EQ(Current(*ds), "b");
  EXPECT_EQ(ds->RecNo(), 3);  // d c b a
}

TEST(DataSetBookmarks, ForeignDeletedAndFilteredBookmarksAreRefused) {
  auto ds = MakePeople({"a", "b", "c"});
  auto other = MakePeople({"a", "b", "c"});
  TBookmark foreign = other->Bookmark();
  EXPECT_FALSE(ds->BookmarkValid(foreign));
  EXPECT_THROW(ds->GotoBookmark(foreign), EDatabaseError);
  EXPECT_THROW(ds->CompareBookmarks(foreign, ds->Bookmark()), EDatabaseError);
  EXPECT_FALSE(ds->BookmarkValid("garbage"));
  EXPECT_FALSE(ds->BookmarkValid(std::string(8, '\xFF')));

  ds->Next();
  TBookmark b = ds->Bookmark();
  TBookmark c = (ds->Next(), ds->Bookmark());
  EXPECT_TRUE(ds->BookmarkValid(b));
  ds->Prior();
  ds->Delete();
  EXPECT_FALSE(ds->BookmarkValid(b));
  EXPECT_THROW(ds->GotoBookmark(b), EDatabaseError);
  EXPECT_EQ(Current(*ds), "c");
  // A freed record sorts after the live ones.
  EXPECT_EQ(ds->CompareBookmarks(b, c), 1);

  ds->SetFilter("Name <> 'c'");
  ds->SetFiltered(true);
  EXPECT_FALSE(ds->BookmarkValid(c));
  ds->SetFiltered(false);
  EXPECT_TRUE(ds->BookmarkValid(c));

  ds->EmptyDataSet();
  EXPECT_FALSE(ds->BookmarkValid(c));
  EXPECT_TRUE(ds->IsEmpty());
  EXPECT_EQ(ds->Bookmark(), "");
}

// ---------------------------------------------------------------------------------------------------

TEST(DataSetErrors, ClosedDataSetAndMissingFields) {
  auto ds = MakePeople({"a"});
  ds->Close();
  try {
    ds->First();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "People: Cannot perform this operation on a closed dataset");
  }
  EXPECT_THROW(ds->Edit(), EDatabaseError);
  EXPECT_THROW(ds->Append(), EDatabaseError);
  EXPECT_THROW(ds->Delete(), EDatabaseError);
  EXPECT_THROW(ds->RecordCount(), EDatabaseError);
  EXPECT_EQ(ds->Bookmark(), "");
  EXPECT_TRUE(ds->FieldByName("Name")->IsNull());
  try {
    ds->FieldByName("Missing");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "People: Field 'Missing' not found");
  }
  EXPECT_EQ(ds->FindField("missing"), nullptr);
  EXPECT_EQ(ds->FindField("name"), ds->FieldByName("Name"));
  ds->Open();  // the records outlive Close
  EXPECT_EQ(ds->RecordCount(), 1);
}

TEST(DataSetErrors, WritingOutsideEditAndReadOnly) {
  auto ds = MakePeople({"a"});
  try {
    ds->FieldByName("Name")->SetAsString("x");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "People: Dataset not in edit or insert mode");
  }
  EXPECT_THROW(ds->Post(), EDatabaseError);  // UpdateRecord outside edit
  ds->SetReadOnly(true);
  EXPECT_FALSE(ds->CanModify());
  EXPECT_FALSE(ds->FieldByName("Name")->CanModify());
  EXPECT_THROW(ds->Edit(), EDatabaseError);
  EXPECT_THROW(ds->Insert(), EDatabaseError);
  ds->SetReadOnly(false);
  ds->FieldByName("Name")->SetReadOnly(true);
  ds->Edit();
  EXPECT_THROW(ds->FieldByName("Name")->SetAsString("x"), EDatabaseError);
  ds->Cancel();
  auto empty = MakePeople({});
  EXPECT_THROW(empty->Delete(), EDatabaseError);
}

TEST(DataSetErrors, RequiredFieldKeepsTheRecordInInsertState) {
  auto ds = MakePeople({"a"});
  ds->Append();
  ds->FieldByName("Name")->SetAsString("no id");
  try {
    ds->Post();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "People: Field 'ID' must have a value");
  }
  EXPECT_EQ(ds->State(), dsInsert);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "no id");
  ds->FieldByName("ID")->SetAsInteger(2);
  ds->Post();
  EXPECT_EQ(ds->RecordCount(), 2);
}

TEST(DataSetErrors, AbortInAnEventCancelsQuietly) {
  auto ds = MakePeople({"a"});
  ds->BeforeDelete = [](TDataSet*) { Abort(); };
  EXPECT_THROW(ds->Delete(), EAbort);
  EXPECT_EQ(ds->RecordCount(), 1);
  ds->BeforePost = [](TDataSet*) { Abort(); };
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("b");
  EXPECT_THROW(ds->Post(), EAbort);
  EXPECT_EQ(ds->State(), dsEdit);
  ds->Cancel();
  EXPECT_EQ(Current(*ds), "a");
}

TEST(DataSetErrors, PostErrorActions) {
  auto ds = MakePeople({"a"});
  int calls = 0;
  ds->OnPostError = [&](TDataSet* d, EDatabaseError&, TDataAction& action) {
    ++calls;
    d->FieldByName("ID")->SetAsInteger(5);
    action = daRetry;
  };
  ds->Append();
  ds->Post();  // the handler fixes the record and retries
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 5);
  ds->OnPostError = [&](TDataSet*, EDatabaseError&, TDataAction& action) { action = daAbort; };
  ds->Append();
  EXPECT_THROW(ds->Post(), EAbort);
  EXPECT_EQ(ds->State(), dsInsert);
  ds->Cancel();
}

TEST(DataSetEvents, OrderOfTheEventsOfAnEdit) {
  auto ds = MakePeople({"a", "b"});
  std::vector<std::string> log;
  auto rec = [&](const char* n) { return [&log, n](TDataSet*) { log.push_back(n); }; };
  ds->BeforeEdit = rec("BeforeEdit");
  ds->AfterEdit = rec("AfterEdit");
  ds->BeforePost = rec("BeforePost");
  ds->AfterPost = rec("AfterPost");
  ds->BeforeScroll = rec("BeforeScroll");
  ds->AfterScroll = rec("AfterScroll");
  ds->BeforeInsert = rec("BeforeInsert");
  ds->AfterInsert = rec("AfterInsert");
  ds->OnNewRecord = [&](TDataSet* d) {
    log.push_back("OnNewRecord");
    d->FieldByName("ID")->SetAsInteger(9);
  };
  ds->BeforeCancel = rec("BeforeCancel");
  ds->AfterCancel = rec("AfterCancel");
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("x");
  ds->Next();  // posts first
  ds->Insert();
  EXPECT_FALSE(ds->Modified());  // values of OnNewRecord do not count
  ds->Cancel();
  // Next posts before it scrolls.
  EXPECT_EQ(log, (Names{"BeforeEdit", "AfterEdit", "BeforePost", "AfterPost", "BeforeScroll", "AfterScroll",
                        "BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll", "BeforeCancel",
                        "AfterCancel"}));
  EXPECT_EQ(AllNames(*ds), (Names{"x", "b"}));
}

TEST(DataSetEvents, CheckBrowseModeCancelsAnUnmodifiedInsert) {
  auto ds = MakePeople({"a"});
  ds->Append();
  ds->First();
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->RecordCount(), 1);
}

TEST(DataSetFields, DefaultFieldsFromDefinitionsAndIndexes) {
  TMemDataSet ds(nullptr);
  ds.FieldDefs().Add("A", ftInteger);
  ds.FieldDefs().Add("B", ftString, 5);
  ds.FieldDefs().Add("C", ftMemo);
  EXPECT_THROW(ds.FieldDefs().Add("a", ftInteger), EDatabaseError);
  ds.CreateDataSet();
  EXPECT_TRUE(ds.DefaultFields());
  ASSERT_EQ(ds.FieldCount(), 3);
  EXPECT_TRUE(Is<TStringField>(ds.FieldByName("B")));
  EXPECT_EQ(ds.FieldByName("B")->Size(), 5);
  EXPECT_TRUE(ds.FieldByName("C")->IsBlob());
  ds.FieldByName("C")->SetIndex(0);
  EXPECT_EQ(ds.Fields()[0]->FieldName(), "C");
  EXPECT_EQ(ds.FieldByName("A")->Index(), 1);
  ds.FieldByName("A")->SetVisible(false);
  EXPECT_EQ(ds.VisibleFields().size(), 2u);
  std::vector<TField*> list;
  ds.GetFieldList(list, " B ; A");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->FieldName(), "B");
  EXPECT_THROW(ds.GetFieldList(list, "A;Z"), EDatabaseError);
  TStringList names;
  ds.GetFieldNames(&names);
  EXPECT_EQ(names.CommaText(), "C,A,B");
  EXPECT_THROW(ds.FieldByName("A")->SetFieldName("B"), EDatabaseError);  // open: no renames
}

}  // namespace

namespace {

TEST(DataSetUnit, StartUpRegistersTheClassesForStreaming) {
  DB::Initialize();
  std::unique_ptr<TComponent> ds(CreateComponent("TMemDataSet", nullptr));
  EXPECT_TRUE(Is<TMemDataSet>(ds.get()));
  std::unique_ptr<TComponent> f(CreateComponent("TBooleanField", nullptr));
  EXPECT_EQ(static_cast<TField*>(f.get())->DataType(), ftBoolean);
  DB::Finalize();
  EXPECT_EQ(GetClass("TMemDataSet"), nullptr);
}

TEST(DataSetLifetime, FreedPartnersLeaveNoDanglingReferences) {
  auto depts = MakePeople({"a"});
  TMemDataSet staff(nullptr);
  staff.AddField("Dept", ftInteger);
  TField* look = staff.AddLookupField("DeptName", ftString, "Dept", depts.get(), "ID", "Name", 10);
  depts.reset();
  EXPECT_EQ(look->LookupDataSet(), nullptr);
  EXPECT_THROW(staff.Open(), EDatabaseError);  // a lookup field needs its data set

  auto ds = MakePeople({"a", "b"});
  auto source = std::make_unique<TDataSource>(nullptr);
  source->SetDataSet(ds.get());
  TRecordingLink link;
  link.SetDataSource(source.get());
  ASSERT_TRUE(link.Active());
  ds.reset();
  EXPECT_EQ(source->DataSet(), nullptr);
  EXPECT_FALSE(link.Active());
  source.reset();
  EXPECT_EQ(link.DataSource(), nullptr);

  auto detail = MakePeople({"x"});
  {
    TDataSource masterSource(nullptr);
    detail->SetMasterFields("ID");
    detail->SetMasterSource(&masterSource);
  }
  EXPECT_EQ(detail->MasterSource(), nullptr);
  detail->First();
  EXPECT_EQ(detail->RecordCount(), 1);
}

}  // namespace
