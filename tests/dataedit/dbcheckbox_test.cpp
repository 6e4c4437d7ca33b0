// The data-aware check box on a form bound to an in-memory data set, driven through messages: reading
// the field, toggling by mouse and Space, writing on post and on leaving, the data-independent value.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dataedit/DBCtrlsX_checkbox.h"
#include "dataedit/VarValuesX.h"
#include "platform/controls/stdctrls.h"
#include "platform/data/memdataset.h"
#include "platform/win/clock.h"
#include "platform/win/host.h"
#include "platform/win/testing.h"

namespace {

class TCheckTestHost : public TCustomControl {
  DECLARE_CLASS(TCheckTestHost, TCustomControl)
  explicit TCheckTestHost(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
};

class DBCheckBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    owner = std::make_unique<TComponent>(nullptr);
    host = new TCheckTestHost(owner.get());
    host->SetBounds(100, 100, 300, 120);
    host->HandleNeeded();
    data = new TMemDataSet(owner.get());
    data->AddField("Flag", ftString, 10);
    data->AddField("Done", ftBoolean);
    data->CreateDataSet();
    for (const char* v : {"yes", "N", "maybe"}) {
      data->Append();
      data->FieldByName("Flag")->SetAsString(v);
      data->FieldByName("Done")->SetAsBoolean(std::string(v) == "yes");
      data->Post();
    }
    data->Append();  // a fourth record with both fields Null
    data->Post();
    data->First();
    source = new TDataSource(owner.get());
    source->SetDataSet(data);
    box = new TDBCheckBoxX(owner.get());
    box->SetBounds(10, 10, 120, 17);
    box->SetText("Flag");
    box->SetParent(host);
    box->SetValueChecked("Yes;Y;1");
    box->SetValueUnchecked("No;N;0");
    box->SetDataSource(source);
    box->SetDataField("Flag");
    other = new TButton(owner.get());
    other->SetBounds(10, 60, 75, 25);
    other->SetParent(host);
    box->OnClick = [this](TObject*) { ++clicks; };
    win::PumpMessages();
  }
  void TearDown() override {
    owner.reset();
    win::ResetWindowManager();
    clock.Uninstall();
  }
  // Screen point of the box glyph.
  void ClickBox() {
    POINT p{5, 8};
    ClientToScreen(box->Handle(), &p);
    win::Click(p.x, p.y);
    win::PumpMessages();
  }
  void PressSpace(int Downs) {
    for (int i = 0; i < Downs; ++i) win::InjectKey(WM_KEYDOWN, VK_SPACE);
    win::InjectKey(WM_KEYUP, VK_SPACE);
    win::PumpMessages();
  }
  win::FakeClock clock;
  std::unique_ptr<TComponent> owner;
  TCheckTestHost* host = nullptr;
  TMemDataSet* data = nullptr;
  TDataSource* source = nullptr;
  TDBCheckBoxX* box = nullptr;
  TButton* other = nullptr;
  int clicks = 0;
};

TEST_F(DBCheckBoxTest, StateFollowsTheRecordAsTheDataSetScrolls) {
  // Text field against the lists, then a Boolean field, record by record.
  const TCheckBoxState TextStates[] = {cbChecked, cbUnchecked, cbGrayed, cbGrayed};
  for (TCheckBoxState Expected : TextStates) {
    EXPECT_EQ(box->State(), Expected) << "record " << data->RecNo();
    data->Next();
  }
  box->SetDataField("Done");
  data->First();
  const TCheckBoxState BoolStates[] = {cbChecked, cbUnchecked, cbUnchecked, cbGrayed};
  for (TCheckBoxState Expected : BoolStates) {
    EXPECT_EQ(box->State(), Expected) << "record " << data->RecNo();
    data->Next();
  }
  // A state read from the record fires OnClick as a click does, once per change of state.
  EXPECT_EQ(clicks, 5);
}

// A box takes no typed text: its input method is off while it has the focus, back when it leaves.
TEST_F(DBCheckBoxTest, TheInputMethodIsOffWhileTheBoxHasTheFocus) {
  ASSERT_TRUE(InputMethodPresent());
  EXPECT_EQ(box->ImeMode(), imDisable);
  ClickBox();
  ASSERT_TRUE(box->Focused());
  EXPECT_FALSE(win::ImeEnabledFor(box->Handle()));
  POINT p{5, 5};
  ClientToScreen(other->Handle(), &p);
  win::Click(p.x, p.y);
  win::PumpMessages();
  ASSERT_TRUE(other->Focused());
  EXPECT_TRUE(win::ImeEnabledFor(other->Handle()));
  EXPECT_TRUE(win::ImeEnabledFor(box->Handle()));
}

TEST_F(DBCheckBoxTest, ClickTogglesOnceAndPostWritesTheFirstEntry) {
  data->Next();  // "N": unchecked
  box->SetFocus();
  win::PumpMessages();
  clicks = 0;
  ClickBox();
  EXPECT_EQ(box->State(), cbChecked);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(data->State(), dsEdit);
  data->Post();
  EXPECT_EQ(data->FieldByName("Flag")->AsString(), "Yes");
  // Grayed ("maybe") toggles to checked; unchecked with AllowGrayed goes to grayed and clears the field.
  data->Next();
  EXPECT_EQ(box->State(), cbGrayed);
  ClickBox();
  EXPECT_EQ(box->State(), cbChecked);
  ClickBox();
  box->SetAllowGrayed(true);
  ClickBox();
  EXPECT_EQ(box->State(), cbGrayed);
  data->Post();
  EXPECT_TRUE(data->FieldByName("Flag")->IsNull());
}

TEST_F(DBCheckBoxTest, SpaceHeldWithRepeatsTogglesOnce) {
  box->SetFocus();
  win::PumpMessages();
  ASSERT_EQ(box->State(), cbChecked);
  clicks = 0;
  PressSpace(2);
  EXPECT_EQ(box->State(), cbUnchecked);
  EXPECT_EQ(clicks, 1);
  PressSpace(1);
  EXPECT_EQ(box->State(), cbChecked);
  EXPECT_EQ(clicks, 2);
}

TEST_F(DBCheckBoxTest, LeavingWritesTheValueAndEscThrowsItAway) {
  box->SetDataField("Done");
  data->Next();  // False
  box->SetFocus();
  win::PumpMessages();
  PressSpace(1);
  ASSERT_EQ(box->State(), cbChecked);
  // Esc reloads the record.
  win::InjectKey(WM_KEYDOWN, VK_ESCAPE);
  win::InjectChar("\x1b");
  win::PumpMessages();
  EXPECT_EQ(box->State(), cbUnchecked);
  PressSpace(1);
  other->SetFocus();
  win::PumpMessages();
  EXPECT_TRUE(data->FieldByName("Done")->AsBoolean());
}

TEST_F(DBCheckBoxTest, EditingFromAnotherControlShowsAtOnce) {
  data->Edit();
  data->FieldByName("Flag")->SetAsString("0");
  EXPECT_EQ(box->State(), cbUnchecked);
  data->FieldByName("Flag")->SetAsString("1");
  EXPECT_EQ(box->State(), cbChecked);
  data->FieldByName("Flag")->Clear();
  EXPECT_EQ(box->State(), cbGrayed);
}

TEST_F(DBCheckBoxTest, StateSetterCommitsAndARejectedValueReloads) {
  box->SetState(cbUnchecked);
  EXPECT_EQ(data->FieldByName("Flag")->AsString(), "No");
  data->Post();
  data->FieldByName("Flag")->OnValidate = [](TField*) { throw EDatabaseError("rejected"); };
  EXPECT_THROW(box->SetState(cbChecked), EDatabaseError);
  EXPECT_EQ(box->State(), cbUnchecked) << "the record was reloaded";
}

TEST_F(DBCheckBoxTest, DataIndependentKeepsTrueFalseOrNull) {
  TDBCheckBoxX* free = new TDBCheckBoxX(owner.get());
  free->SetParent(host);
  EXPECT_EQ(free->State(), cbUnchecked);
  EXPECT_FALSE(free->StateStored());
  free->SetState(cbChecked);
  EXPECT_TRUE(VarValuesEqual(free->DataLink()->DataIndependentValue(), Variant(true)));
  EXPECT_TRUE(free->StateStored());
  free->SetState(cbGrayed);
  EXPECT_TRUE(VarIsNull(free->DataLink()->DataIndependentValue()));
  free->SetState(cbUnchecked);
  EXPECT_TRUE(VarValuesEqual(free->DataLink()->DataIndependentValue(), Variant(false)));
  EXPECT_FALSE(free->StateStored());
}

TEST_F(DBCheckBoxTest, SetStateFiresOnClickOnceWithoutToggling) {
  TDBCheckBoxX* free = new TDBCheckBoxX(owner.get());
  free->SetParent(host);
  int n = 0;
  free->OnClick = [&](TObject*) { ++n; };
  free->SetState(cbChecked);
  EXPECT_EQ(free->State(), cbChecked);
  EXPECT_EQ(n, 1);
}

}  // namespace
