// The notification chain as a data link sees it: order and arguments of every call, with the link's
// active record and record count at that moment.
#include <gtest/gtest.h>

#include "tests/platform/data/data_fixture.h"

namespace {

using Log = std::vector<std::string>;

class NotificationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DS = MakePeople(NumberedNames(10));
    Source = std::make_unique<TDataSource>(nullptr);
    Source->SetDataSet(DS.get());
    Link.SetBufferCount(3);
    Link.SetDataSource(Source.get());
    DS->First();
    Link.Clear();
  }
  std::unique_ptr<TMemDataSet> DS;
  std::unique_ptr<TDataSource> Source;
  TRecordingLink Link;
};

TEST_F(NotificationTest, OpenAndCloseTellActiveChangedWithRecordsAlreadyBuffered) {
  DS->Close();
  EXPECT_EQ(Link.Log, (Log{"ActiveChanged(off)"}));
  Link.Clear();
  DS->Open();
  EXPECT_EQ(Link.Log, (Log{"ActiveChanged(on) a=0 n=3"}));
  EXPECT_TRUE(DS->Bof());
  EXPECT_FALSE(DS->Eof());
}

TEST_F(NotificationTest, ScrollByOneMovesInsideTheWindowThenShiftsIt) {
  DS->Next();
  DS->Next();
  DS->Next();
  EXPECT_EQ(Link.Log, (Log{"CheckBrowseMode a=0 n=3", "DataSetScrolled(0) a=1 n=3", "CheckBrowseMode a=1 n=3",
                           "DataSetScrolled(0) a=2 n=3", "CheckBrowseMode a=2 n=3", "DataSetScrolled(1) a=2 n=3"}));
  EXPECT_EQ(DS->FieldByName("Name")->AsString(), "N4");
  Link.Clear();
  DS->Prior();
  DS->Prior();
  DS->Prior();
  EXPECT_EQ(Link.Log, (Log{"CheckBrowseMode a=2 n=3", "DataSetScrolled(0) a=1 n=3", "CheckBrowseMode a=1 n=3",
                           "DataSetScrolled(0) a=0 n=3", "CheckBrowseMode a=0 n=3", "DataSetScrolled(-1) a=0 n=3"}));
  EXPECT_EQ(DS->FieldByName("Name")->AsString(), "N1");
}

TEST_F(NotificationTest, ScrollByAPageIsOneScrollOfTheDistanceBeyondTheWindow) {
  EXPECT_EQ(DS->MoveBy(Link.BufferCount()), 3);
  EXPECT_EQ(Link.Log, (Log{"CheckBrowseMode a=0 n=3", "DataSetScrolled(1) a=2 n=3"}));
  Link.Clear();
  EXPECT_EQ(DS->MoveBy(5), 5);
  EXPECT_EQ(Link.Log, (Log{"CheckBrowseMode a=2 n=3", "DataSetScrolled(5) a=2 n=3"}));
  EXPECT_EQ(DS->FieldByName("Name")->AsString(), "N9");
  Link.Clear();
  EXPECT_EQ(DS->MoveBy(5), 1);  // only one record left
  EXPECT_TRUE(DS->Eof());
  EXPECT_EQ(Link.Log, (Log{"CheckBrowseMode a=2 n=3", "DataSetScrolled(1) a=2 n=3"}));
}

TEST_F(NotificationTest, EditAndPost) {
  DS->Next();
  Link.Clear();
  DS->Edit();
  DS->FieldByName("Name")->SetAsString("Changed");
  DS->Post();
  EXPECT_EQ(Link.Log, (Log{"CheckBrowseMode a=1 n=3", "EditingChanged(on) a=1 n=3", "RecordChanged(nil) a=1 n=3",
                           "RecordChanged(Name) a=1 n=3", "UpdateData a=1 n=3", "CheckBrowseMode a=1 n=3",
                           "EditingChanged(off) a=1 n=3", "DataSetChanged a=1 n=3"}));
  EXPECT_EQ(DS->FieldByName("Name")->AsString(), "Changed");
  EXPECT_EQ(DS->RecNo(), 2);
}

TEST_F(NotificationTest, InsertAndCancel) {
  DS->Next();
  Link.Clear();
  DS->Insert();
  EXPECT_EQ(DS->State(), dsInsert);
  EXPECT_EQ(DS->Bookmark(), "");  // an unposted record has no bookmark
  DS->Cancel();
  EXPECT_EQ(Link.Log, (Log{"CheckBrowseMode a=1 n=3", "EditingChanged(on) a=1 n=3", "DataSetChanged a=1 n=3",
                           "CheckBrowseMode a=1 n=3", "EditingChanged(off) a=1 n=3", "DataSetChanged a=1 n=3"}));
  EXPECT_EQ(DS->FieldByName("Name")->AsString(), "N2");
  EXPECT_EQ(DS->RecordCount(), 10);
}

TEST_F(NotificationTest, InsertPostPlacesTheRecordBeforeTheCurrentOne) {
  DS->Next();
  DS->Insert();
  DS->FieldByName("ID")->SetAsInteger(99);
  DS->FieldByName("Name")->SetAsString("New");
  Link.Clear();
  DS->Post();
  EXPECT_EQ(Link.Log, (Log{"UpdateData a=1 n=3", "CheckBrowseMode a=1 n=3", "EditingChanged(off) a=1 n=3",
                           "DataSetChanged a=1 n=3"}));
  EXPECT_EQ(DS->RecNo(), 2);
  EXPECT_EQ(AllNames(*DS), (std::vector<std::string>{"N1", "New", "N2", "N3", "N4", "N5", "N6", "N7", "N8", "N9",
                                                     "N10"}));
}

TEST_F(NotificationTest, Delete) {
  DS->Next();
  Link.Clear();
  DS->Delete();
  EXPECT_EQ(Link.Log, (Log{"CheckBrowseMode a=1 n=3", "DataSetChanged a=1 n=3"}));
  EXPECT_EQ(DS->FieldByName("Name")->AsString(), "N3");
  EXPECT_EQ(DS->RecordCount(), 9);
}

TEST_F(NotificationTest, DisabledControlsGetOneDataSetChangedWhenEnabledAgain) {
  DS->DisableControls();
  DS->DisableControls();
  EXPECT_TRUE(DS->ControlsDisabled());
  DS->Next();
  DS->Next();
  DS->Last();
  DS->Edit();
  DS->FieldByName("Name")->SetAsString("X");
  DS->Post();
  DS->EnableControls();
  // Only the request for pending control values gets through while disabled.
  EXPECT_EQ(Link.Log, (Log{"UpdateData a=2 n=3"}));
  Link.Clear();
  DS->EnableControls();
  EXPECT_FALSE(DS->ControlsDisabled());
  EXPECT_EQ(Link.Log, (Log{"DataSetChanged a=2 n=3"}));
  DS->EnableControls();  // one too many: ignored
  EXPECT_EQ(Link.Log.size(), 1u);
}

TEST_F(NotificationTest, DisabledAcrossAnEditTellsTheStateChangeFirst) {
  DS->DisableControls();
  DS->Edit();
  DS->EnableControls();
  EXPECT_EQ(Link.Log, (Log{"EditingChanged(on) a=0 n=3", "DataSetChanged a=0 n=3"}));
}

TEST_F(NotificationTest, BufferCountChangeFillsTheWindowAndTellsOnce) {
  Link.SetBufferCount(5);
  EXPECT_EQ(Link.Log, (Log{"DataSetChanged a=0 n=5"}));
  EXPECT_EQ(DS->BufferCount(), 5);
  Link.Clear();
  Link.SetBufferCount(5);
  EXPECT_TRUE(Link.Log.empty());
  // At the end the window grows backwards: the active record moves down the window.
  Link.SetBufferCount(3);
  DS->Last();
  Link.Clear();
  Link.SetBufferCount(5);
  EXPECT_EQ(Link.Log, (Log{"DataSetChanged a=4 n=5"}));
  EXPECT_EQ(DS->FieldByName("Name")->AsString(), "N10");
  // Shrinking keeps the active record in the window.
  Link.Clear();
  Link.SetBufferCount(2);
  EXPECT_EQ(Link.Log, (Log{"DataSetChanged a=1 n=2"}));
  EXPECT_EQ(DS->FieldByName("Name")->AsString(), "N10");
}

TEST_F(NotificationTest, TwoLinksWithDifferentWindows) {
  TRecordingLink small;
  small.SetBufferCount(1);
  small.SetDataSource(Source.get());
  small.Clear();
  Link.Clear();
  DS->Next();
  DS->Next();
  EXPECT_EQ(small.Log.back(), "DataSetScrolled(1) a=0 n=1");
  EXPECT_EQ(Link.Log.back(), "DataSetScrolled(0) a=2 n=3");
}

TEST_F(NotificationTest, LayoutAndFocus) {
  DS->FieldByName("Amount")->SetVisible(false);
  EXPECT_EQ(Link.Log, (Log{"LayoutChanged a=0 n=3"}));
  Link.Clear();
  DS->FieldByName("Name")->FocusControl();
  EXPECT_EQ(Link.Log, (Log{"FocusControl(Name) a=0 n=3"}));
}

TEST_F(NotificationTest, DataSourceEventsAndDisabledSource) {
  std::vector<std::string> events;
  Source->OnStateChange = [&](TObject*) { events.push_back("state " + std::to_string(Source->State())); };
  Source->OnDataChange = [&](TObject*, TField* f) { events.push_back("data " + (f ? f->FieldName() : "nil")); };
  Source->OnUpdateData = [&](TObject*) { events.push_back("update"); };
  DS->Edit();
  DS->FieldByName("Name")->SetAsString("Y");
  DS->Post();
  EXPECT_EQ(events, (Log{"state 2", "data nil", "data Name", "update", "state 1", "data nil"}));
  Link.Clear();
  Source->SetEnabled(false);
  EXPECT_EQ(Link.Log, (Log{"ActiveChanged(off)"}));
  EXPECT_FALSE(Link.Active());
  Source->SetEnabled(true);
  EXPECT_TRUE(Link.Active());
  Source->OnStateChange = nullptr;  // the handlers refer to this test's locals
  Source->OnDataChange = nullptr;
  Source->OnUpdateData = nullptr;
}

TEST_F(NotificationTest, AutoEditThroughTheLink) {
  EXPECT_TRUE(Link.Edit());
  EXPECT_EQ(DS->State(), dsEdit);
  DS->Cancel();
  Source->SetAutoEdit(false);
  EXPECT_FALSE(Link.Edit());
  EXPECT_EQ(DS->State(), dsBrowse);
  Link.SetReadOnly(true);
  DS->Edit();
  EXPECT_FALSE(Link.Editing());
}

TEST_F(NotificationTest, LinkActiveRecordMovesTheDataSetsActiveBuffer) {
  DS->Next();
  Link.SetActiveRecord(2);
  EXPECT_EQ(DS->FieldByName("Name")->AsString(), "N3");
  Link.SetActiveRecord(0);
  EXPECT_EQ(DS->FieldByName("Name")->AsString(), "N1");
  Link.SetActiveRecord(1);
  DS->Next();  // the cursor follows the active buffer
  EXPECT_EQ(DS->FieldByName("Name")->AsString(), "N3");
}

TEST_F(NotificationTest, FieldDataLinkFollowsItsField) {
  TFieldDataLink fl;
  int dataChanges = 0, editing = 0, updates = 0;
  fl.OnDataChange = [&](TObject*) { ++dataChanges; };
  fl.OnEditingChange = [&](TObject*) { ++editing; };
  fl.OnUpdateData = [&](TObject*) { ++updates; };
  fl.SetDataSource(Source.get());
  fl.SetFieldName("Name");
  ASSERT_EQ(fl.Field(), DS->FieldByName("Name"));
  dataChanges = 0;
  DS->Edit();
  EXPECT_TRUE(fl.FieldEditing());
  DS->FieldByName("Amount")->SetAsFloat(1);  // another field: no reload
  EXPECT_EQ(dataChanges, 1);                 // the RecordChanged(nil) of Edit
  DS->FieldByName("Name")->SetAsString("Z");
  EXPECT_EQ(dataChanges, 2);
  fl.SetModified();
  DS->Post();
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(editing, 2);
  EXPECT_THROW(fl.SetFieldName("Nope"), EDatabaseError);
  TComponent edit(nullptr);
  edit.SetName("Edit1");
  fl.SetControl(&edit);
  try {
    fl.SetFieldName("Other");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Edit1: Field 'Other' not found");  // names the control
  }
  EXPECT_EQ(GetFieldProperty(DS.get(), &edit, "Name"), DS->FieldByName("Name"));
}

}  // namespace

namespace {

// A grid saves its position as the bookmark of the middle buffered record plus the active record's
// distance from it, and restores both the current record and the rows shown.
TEST(BufferPositions, MiddleBookmarkAndDistanceRestoreTheWindow) {
  auto ds = MakePeople(NumberedNames(20));
  TDataSource src(nullptr);
  src.SetDataSet(ds.get());
  TRecordingLink link;
  link.SetBufferCount(5);
  link.SetDataSource(&src);
  for (int start : {0, 3, 9, 17, 19}) {
    for (int active : {0, 2, 4}) {
      SCOPED_TRACE(std::to_string(start) + "/" + std::to_string(active));
      ds->First();
      ds->MoveBy(start);
      if (link.ActiveRecord() != active) ds->MoveBy(active - link.ActiveRecord());
      std::vector<std::string> shown;
      int savedActive = link.ActiveRecord();
      for (int i = 0; i < link.RecordCount(); ++i) {
        link.SetActiveRecord(i);
        shown.push_back(ds->FieldByName("Name")->AsString());
      }
      link.SetActiveRecord(savedActive);
      std::string current = ds->FieldByName("Name")->AsString();
      // Save
      ds->DisableControls();
      int m = (link.RecordCount() - 1) / 2;
      int k = link.ActiveRecord() - m;
      ds->MoveBy(-k);
      TBookmark middle = ds->Bookmark();
      ds->MoveBy(k);
      // Wander off, then restore
      ds->Last();
      ds->GotoBookmark(middle);
      ds->MoveBy(k);
      ds->EnableControls();
      EXPECT_EQ(ds->FieldByName("Name")->AsString(), current);
      std::vector<std::string> again;
      int a = link.ActiveRecord();
      for (int i = 0; i < link.RecordCount(); ++i) {
        link.SetActiveRecord(i);
        again.push_back(ds->FieldByName("Name")->AsString());
      }
      link.SetActiveRecord(a);
      EXPECT_EQ(again, shown);
    }
  }
}

}  // namespace
