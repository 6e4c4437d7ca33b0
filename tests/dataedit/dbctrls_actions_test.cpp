// Actions on the data-aware edit and check box bound to an in-memory data set: the edit actions act on
// the focused edit's text (and start editing when they change it), other actions reach the data set
// through the data link, the control's own answer coming first.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "dataedit/DBCtrlsX_checkbox.h"
#include "dataedit/DBCtrlsX_combo.h"
#include "dataedit/DBCtrlsX_edit.h"
#include "platform/controls/actions.h"
#include "platform/controls/stdctrls.h"
#include "platform/dbactns/dbactns.h"
#include "platform/forms/forms.h"
#include "platform/data/memdataset.h"
#include "platform/graphics/clipbrd.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"
#include "tests/platform/controls/host_fixture.h"

namespace {

class TActionTestEdit : public TCustomDBEditX {
  DECLARE_CLASS(TActionTestEdit, TCustomDBEditX)
  explicit TActionTestEdit(TComponent* AOwner) : TCustomDBEditX(AOwner) {}
  using TCustomDBEditX::SetDataField;
  using TCustomDBEditX::SetDataSource;
};

// A data-set action: moves to the next record of the source's data set, enabled until its end.
class TNextRecordAction : public TAction {
  DECLARE_CLASS(TNextRecordAction, TAction)
  explicit TNextRecordAction(TComponent* AOwner) : TAction(AOwner) {}
  bool HandlesTarget(TObject* Target) override {
    auto* DS = dynamic_cast<TDataSource*>(Target);
    return DS && DS->DataSet() && DS->DataSet()->Active();
  }
  void ExecuteTarget(TObject* Target) override { static_cast<TDataSource*>(Target)->DataSet()->Next(); }
  void UpdateTarget(TObject* Target) override { SetEnabled(!static_cast<TDataSource*>(Target)->DataSet()->Eof()); }
};

// Accepts any target and records the one it ran on: shows who was asked first.
class TRecordingAction : public TAction {
  DECLARE_CLASS(TRecordingAction, TAction)
  explicit TRecordingAction(TComponent* AOwner) : TAction(AOwner) {}
  bool HandlesTarget(TObject*) override { return true; }
  void ExecuteTarget(TObject* Target) override { RanOn = Target; }
  void UpdateTarget(TObject* Target) override { RanOn = Target; }
  TObject* RanOn = nullptr;
};

class DBCtrlsActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    owner = std::make_unique<TComponent>(nullptr);
    host = new TTestHost(owner.get());
    host->SetBounds(100, 100, 320, 160);
    host->HandleNeeded();
    data = new TMemDataSet(owner.get());
    data->AddField("Name", ftString, 20);
    data->AddField("Paid", ftBoolean);
    data->CreateDataSet();
    const std::pair<const char*, bool> Rows[] = {{"Ann", true}, {"Bob", false}, {"Cy", true}};
    for (auto [n, p] : Rows) {
      data->Append();
      data->FieldByName("Name")->SetAsString(n);
      data->FieldByName("Paid")->SetAsBoolean(p);
      data->Post();
    }
    data->First();
    source = new TDataSource(owner.get());
    source->SetDataSet(data);
    edit = new TActionTestEdit(owner.get());
    edit->SetBounds(10, 10, 150, 21);
    edit->SetParent(host);
    edit->SetDataSource(source);
    edit->SetDataField("Name");
    box = new TDBCheckBoxX(owner.get());
    box->SetBounds(10, 40, 97, 17);
    box->SetParent(host);
    box->SetDataSource(source);
    box->SetDataField("Paid");
    other = new TButton(owner.get());
    other->SetBounds(10, 100, 75, 25);
    other->SetParent(host);
    win::PumpMessages();
  }
  void TearDown() override {
    owner.reset();
    win::ResetWindowManager();
    clock.Uninstall();
  }
  void Focus(TWinControl* c) {
    c->SetFocus();
    win::PumpMessages();
  }
  win::FakeClock clock;
  std::unique_ptr<TComponent> owner;
  TTestHost* host = nullptr;
  TMemDataSet* data = nullptr;
  TDataSource* source = nullptr;
  TActionTestEdit* edit = nullptr;
  TDBCheckBoxX* box = nullptr;
  TButton* other = nullptr;
};

using MakeAction = std::function<TAction*(TComponent*)>;
template <typename T>
MakeAction Make() {
  return [](TComponent* O) { return new T(O); };
}

// Executed through the focused edit (as a menu item or tool button would): the effect on the edit's
// text, on the data set's state and, after leaving the edit, on the field.
TEST_F(DBCtrlsActionsTest, ExecutedOnTheFocusedEdit) {
  struct Case {
    const char* Name;
    MakeAction Action;
    int SelStart, SelLength;
    bool ReadOnly;
    const char* Shown;        // the edit's text after the action
    TDataSetState State;      // the data set's state after the action
    const char* Field;        // the field after leaving the edit
    const char* Clipboard;    // the clipboard after the action
    bool Runs = true;         // false: its update disables it, so it does not run
  };
  const Case Cases[] = {
      {"copy keeps the record", Make<TEditCopy>(), 1, 2, false, "Ann", dsBrowse, "Ann", "nn"},
      {"cut edits the record", Make<TEditCut>(), 1, 2, false, "A", dsEdit, "A", "nn"},
      {"paste edits the record", Make<TEditPaste>(), 0, 3, false, "Zoe", dsEdit, "Zoe", "Zoe"},
      {"delete edits the record", Make<TEditDelete>(), 0, 1, false, "nn", dsEdit, "nn", "Zoe"},
      {"select all keeps the record", Make<TEditSelectAll>(), 0, 0, false, "Ann", dsBrowse, "Ann", "Zoe"},
      {"paste into a read-only edit changes nothing", Make<TEditPaste>(), 0, 3, true, "Ann", dsBrowse, "Ann", "Zoe",
       false},
      {"delete in a read-only edit changes nothing", Make<TEditDelete>(), 0, 1, true, "Ann", dsBrowse, "Ann", "Zoe",
       false},
      {"a data-set action moves the record", Make<TNextRecordAction>(), 0, 0, false, "Bob", dsBrowse, "Bob", "Zoe"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    if (data->State() != dsBrowse) data->Cancel();
    data->First();
    data->Edit();
    data->FieldByName("Name")->SetAsString("Ann");
    data->Post();
    Clipboard()->SetAsText("Zoe");
    edit->SetReadOnly(C.ReadOnly);
    Focus(edit);
    edit->SetSelStart(C.SelStart);
    edit->SetSelLength(C.SelLength);
    std::unique_ptr<TAction> A(C.Action(nullptr));
    EXPECT_EQ(A->Execute(), C.Runs);
    win::PumpMessages();
    EXPECT_EQ(edit->Text(), C.Shown);
    EXPECT_EQ(data->State(), C.State);
    EXPECT_EQ(Clipboard()->AsText(), C.Clipboard);
    if (dynamic_cast<TEditSelectAll*>(A.get())) {
      EXPECT_EQ(edit->SelLength(), 3);
    }
    Focus(other);
    EXPECT_EQ(data->FieldByName("Name")->AsString(), C.Field);
    edit->SetReadOnly(false);
  }
}

// Updated through the focused edit: whether the action is offered.
TEST_F(DBCtrlsActionsTest, UpdatedOnTheFocusedEdit) {
  struct Case {
    const char* Name;
    MakeAction Action;
    int SelStart, SelLength;
    bool ReadOnly;
    const char* ClipboardText;  // nullptr: the clipboard is empty
    bool LastRecord;
    bool Enabled;
  };
  const Case Cases[] = {
      {"copy without a selection", Make<TEditCopy>(), 1, 0, false, "x", false, false},
      {"copy with a selection", Make<TEditCopy>(), 1, 1, false, "x", false, true},
      {"cut while browsing (a change starts editing)", Make<TEditCut>(), 1, 1, false, "x", false, true},
      {"cut in a read-only edit", Make<TEditCut>(), 1, 1, true, "x", false, false},
      {"paste with text on the clipboard", Make<TEditPaste>(), 0, 0, false, "x", false, true},
      {"paste with an empty clipboard", Make<TEditPaste>(), 0, 0, false, nullptr, false, false},
      {"paste in a read-only edit", Make<TEditPaste>(), 0, 0, true, "x", false, false},
      {"delete without a selection", Make<TEditDelete>(), 0, 0, false, "x", false, false},
      {"delete with a selection", Make<TEditDelete>(), 0, 2, false, "x", false, true},
      {"select all with text", Make<TEditSelectAll>(), 0, 0, false, "x", false, true},
      {"next record on the first", Make<TNextRecordAction>(), 0, 0, false, "x", false, true},
      {"next record on the last", Make<TNextRecordAction>(), 0, 0, false, "x", true, false},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    C.LastRecord ? data->Last() : data->First();
    if (C.ClipboardText) {
      Clipboard()->SetAsText(C.ClipboardText);
    } else {
      Clipboard()->Clear();
    }
    edit->SetReadOnly(C.ReadOnly);
    Focus(edit);
    edit->SetSelStart(C.SelStart);
    edit->SetSelLength(C.SelLength);
    std::unique_ptr<TAction> A(C.Action(nullptr));
    A->SetEnabled(!C.Enabled);
    EXPECT_TRUE(A->Update());
    EXPECT_EQ(A->Enabled(), C.Enabled);
    EXPECT_EQ(data->State(), dsBrowse);  // updating never edits
    edit->SetReadOnly(false);
  }
}

TEST_F(DBCtrlsActionsTest, EditActionsLeaveAnEditWithoutTheFocusAlone) {
  Focus(other);
  Clipboard()->SetAsText("Zoe");
  edit->SelectAll();
  TEditCopy Copy(nullptr);
  TEditPaste Paste(nullptr);
  EXPECT_FALSE(edit->ExecuteAction(&Copy));
  EXPECT_FALSE(edit->ExecuteAction(&Paste));
  EXPECT_FALSE(edit->UpdateAction(&Paste));
  EXPECT_EQ(Clipboard()->AsText(), "Zoe");
  EXPECT_EQ(edit->Text(), "Ann");
  EXPECT_EQ(data->State(), dsBrowse);
  // A data-set action does not need the focus: it acts through the link.
  TNextRecordAction Next(nullptr);
  EXPECT_TRUE(edit->ExecuteAction(&Next));
  EXPECT_EQ(data->FieldByName("Name")->AsString(), "Bob");
  EXPECT_EQ(edit->Text(), "Bob");
}

TEST_F(DBCtrlsActionsTest, TheControlIsAskedBeforeTheDataLink) {
  TRecordingAction A(nullptr);
  EXPECT_TRUE(edit->ExecuteAction(&A));
  EXPECT_EQ(A.RanOn, edit);
  A.RanOn = nullptr;
  EXPECT_TRUE(box->UpdateAction(&A));
  EXPECT_EQ(A.RanOn, box);
  // An unbound edit has no source to offer.
  TActionTestEdit* unbound = new TActionTestEdit(owner.get());
  unbound->SetParent(host);
  TNextRecordAction Next(nullptr);
  EXPECT_FALSE(unbound->ExecuteAction(&Next));
  EXPECT_FALSE(unbound->ExecuteAction(nullptr));
  EXPECT_EQ(data->RecNo(), 1);
}

// The check box takes no edit action; a data-set action reaches its data set and the box follows.
TEST_F(DBCtrlsActionsTest, CheckBoxPassesDataSetActionsToItsLink) {
  Focus(box);
  EXPECT_EQ(box->State(), cbChecked);
  TEditCopy Copy(nullptr);
  EXPECT_FALSE(Copy.Execute());
  TNextRecordAction Next(nullptr);
  Next.SetEnabled(false);
  EXPECT_TRUE(Next.Update());
  EXPECT_TRUE(Next.Enabled());
  EXPECT_TRUE(Next.Execute());
  EXPECT_EQ(data->FieldByName("Name")->AsString(), "Bob");
  EXPECT_EQ(box->State(), cbUnchecked);
  EXPECT_EQ(data->State(), dsBrowse);
}

// A key-based combo box: paste searches its items and writes the key; cut and delete cannot change an
// item's text, are offered disabled and leave the data set browsing.
TEST_F(DBCtrlsActionsTest, KeyBasedComboTakesPasteAsASearch) {
  auto* combo = new TDBComboBoxX(owner.get());
  combo->SetBounds(10, 70, 150, 21);
  combo->SetParent(host);
  combo->Items()->Add("Annie");
  combo->Items()->Add("Bobby");
  combo->KeyItems()->Add("Ann");
  combo->KeyItems()->Add("Bob");
  combo->SetDataSource(source);
  combo->SetDataField("Name");
  win::PumpMessages();
  ASSERT_EQ(combo->Text(), "Annie");
  Focus(combo);
  combo->SelectAll();
  TEditCut Cut(nullptr);
  TEditDelete Delete(nullptr);
  for (TAction* A : {static_cast<TAction*>(&Cut), static_cast<TAction*>(&Delete)}) {
    A->SetEnabled(true);
    EXPECT_TRUE(A->Update());
    EXPECT_FALSE(A->Enabled());
    EXPECT_FALSE(A->Execute()) << "disabled by its update, it runs nothing";
    EXPECT_EQ(combo->Text(), "Annie");
    EXPECT_EQ(data->State(), dsBrowse);
  }
  Clipboard()->SetAsText("bo");
  TEditPaste Paste(nullptr);
  EXPECT_TRUE(Paste.Update());
  EXPECT_TRUE(Paste.Enabled());
  combo->SetSelStart(0);
  combo->SetSelLength(0);
  EXPECT_TRUE(Paste.Execute());
  EXPECT_EQ(combo->Text(), "Bobby");
  EXPECT_EQ(data->State(), dsEdit);
  Focus(other);
  EXPECT_EQ(data->FieldByName("Name")->AsString(), "Bob");
}

}  // namespace

// The standard data-set actions, run as a button runs them (the focus on the button after its
// click): the dispatch finds the data-aware edit of the window, whose link offers its data source;
// updating sets Enabled from the data set, executing runs the command and the edit follows.
TEST_F(DBCtrlsActionsTest, DataSetActionsReachTheDataSetThroughTheControls) {
  using Setup = std::function<void(TDataSet*)>;
  const Setup AtFirst = [](TDataSet* D) { D->First(); };
  const Setup AtSecond = [](TDataSet* D) {
    D->First();
    D->Next();
  };
  const Setup AtLast = [](TDataSet* D) { D->Last(); };
  const Setup Editing = [](TDataSet* D) {
    D->First();
    D->Edit();
    D->FieldByName("Name")->SetAsString("Ada");
  };
  const Setup Inserting = [](TDataSet* D) {
    D->First();
    D->Insert();
  };
  struct Case {
    const char* Name;
    MakeAction Action;
    Setup Before;
    bool Enabled;
    const char* Shown;  // the edit's text after executing (when enabled)
    TDataSetState State;
    int Records;
  };
  const Case Cases[] = {
      {"first from the second", Make<TDataSetFirst>(), AtSecond, true, "Ann", dsBrowse, 3},
      {"first on the first", Make<TDataSetFirst>(), AtFirst, false, nullptr, dsBrowse, 3},
      {"prior from the second", Make<TDataSetPrior>(), AtSecond, true, "Ann", dsBrowse, 3},
      {"prior on the first", Make<TDataSetPrior>(), AtFirst, false, nullptr, dsBrowse, 3},
      {"next from the first", Make<TDataSetNext>(), AtFirst, true, "Bob", dsBrowse, 3},
      {"next on the last", Make<TDataSetNext>(), AtLast, false, nullptr, dsBrowse, 3},
      {"last from the first", Make<TDataSetLast>(), AtFirst, true, "Cy", dsBrowse, 3},
      {"last on the last", Make<TDataSetLast>(), AtLast, false, nullptr, dsBrowse, 3},
      {"insert while browsing", Make<TDataSetInsert>(), AtFirst, true, "", dsInsert, 3},
      {"insert while editing", Make<TDataSetInsert>(), Editing, false, nullptr, dsEdit, 3},
      {"edit while browsing", Make<TDataSetEdit>(), AtFirst, true, "Ann", dsEdit, 3},
      {"edit while editing", Make<TDataSetEdit>(), Editing, false, nullptr, dsEdit, 3},
      {"post while editing", Make<TDataSetPost>(), Editing, true, "Ada", dsBrowse, 3},
      {"post while browsing", Make<TDataSetPost>(), AtFirst, false, nullptr, dsBrowse, 3},
      {"cancel while inserting", Make<TDataSetCancel>(), Inserting, true, "Ann", dsBrowse, 3},
      {"cancel while browsing", Make<TDataSetCancel>(), AtFirst, false, nullptr, dsBrowse, 3},
      {"refresh while browsing", Make<TDataSetRefresh>(), AtSecond, true, "Bob", dsBrowse, 3},
      {"delete the first", Make<TDataSetDelete>(), AtFirst, true, "Bob", dsBrowse, 2},
  };
  Focus(other);
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    C.Before(data);
    win::PumpMessages();
    std::unique_ptr<TAction> A(C.Action(owner.get()));
    A->SetEnabled(!C.Enabled);
    EXPECT_TRUE(A->Update());
    EXPECT_EQ(A->Enabled(), C.Enabled);
    if (C.Enabled) {
      EXPECT_TRUE(A->Execute());
      win::PumpMessages();
      EXPECT_EQ(edit->Text(), C.Shown);
    }
    EXPECT_EQ(data->State(), C.State);
    EXPECT_EQ(data->RecordCount(), C.Records);
    if (data->State() != dsBrowse) data->Cancel();
    data->First();
    if (data->FieldByName("Name")->AsString() != "Ann") {
      data->Edit();
      data->FieldByName("Name")->SetAsString("Ann");
      data->Post();
    }
  }
}

// An action bound to one data source takes no other; nothing on the window offers it, so it runs
// nowhere.
TEST_F(DBCtrlsActionsTest, ADataSetActionBoundToAnotherSourceLeavesThisOneAlone) {
  auto* elsewhere = new TDataSource(owner.get());
  elsewhere->SetDataSet(data);
  TDataSetNext Next(owner.get());
  Next.SetDataSource(elsewhere);
  Focus(other);
  EXPECT_FALSE(Next.Execute());
  EXPECT_EQ(edit->Text(), "Ann");
  Next.SetDataSource(source);
  EXPECT_TRUE(Next.Execute());
  EXPECT_EQ(edit->Text(), "Bob");
  delete source;  // the action forgets it
  EXPECT_EQ(Next.DataSource(), nullptr);
  source = nullptr;
}

// In the running program a shown form's actions follow the data set by themselves: the loop updates
// them whenever it has nothing else to do.
TEST(DataSetActionsInTheLoop, EnabledFollowsTheDataSetWhenTheLoopIsIdle) {
  win::ResetWindowManager();
  win::FakeClock clock;
  clock.Install();
  FormsUnit::Initialize();
  Application->Initialize();
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetBounds(100, 100, 300, 120);
  auto* data = new TMemDataSet(form);
  data->AddField("Name", ftString, 20);
  data->CreateDataSet();
  for (const char* n : {"Ann", "Bob"}) {
    data->Append();
    data->FieldByName("Name")->SetAsString(n);
    data->Post();
  }
  auto* source = new TDataSource(form);
  source->SetDataSet(data);
  auto* edit = new TActionTestEdit(form);
  edit->SetBounds(10, 10, 150, 21);
  edit->SetParent(form);
  edit->SetDataSource(source);
  edit->SetDataField("Name");
  auto* next = new TDataSetNext(form);
  auto* post = new TDataSetPost(form);
  form->Show();
  win::PumpMessages();
  // With the queue empty, one turn of the loop is idle work.
  auto IdleTurn = [] {
    win::PumpMessages();
    Application->HandleMessage();
  };
  data->First();
  next->SetEnabled(false);
  IdleTurn();
  EXPECT_TRUE(next->Enabled());
  EXPECT_FALSE(post->Enabled());
  data->Last();
  data->Edit();
  IdleTurn();
  EXPECT_FALSE(next->Enabled());
  EXPECT_TRUE(post->Enabled());
  data->Cancel();
  FormsUnit::Finalize();
  win::ResetWindowManager();
  clock.Uninstall();
}
