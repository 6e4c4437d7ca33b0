// A form with a masked data-aware edit, a key-based combo box and a text-mapped check box bound to one
// in-memory data set, driven through messages; and pictures of it focused and unfocused for a person
// to look at.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dataedit/DBCtrlsX_checkbox.h"
#include "dataedit/DBCtrlsX_combo.h"
#include "dataedit/DBCtrlsX_edit.h"
#include "dataedit/ToolCtrlsX.h"
#include "platform/controls/stdctrls.h"
#include "platform/controls/themes.h"
#include "platform/data/memdataset.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"

namespace {

class TFormTestHost : public TCustomControl {
  DECLARE_CLASS(TFormTestHost, TCustomControl)
  explicit TFormTestHost(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
  void Paint() override { FillSolidRect(Canvas()->Handle(), RECT{0, 0, Width(), Height()}, ColorRef(clBtnFace)); }
};

class TFormDBEdit : public TCustomDBEditX {
  DECLARE_CLASS(TFormDBEdit, TCustomDBEditX)
  explicit TFormDBEdit(TComponent* AOwner) : TCustomDBEditX(AOwner) {}
  using TCustomDBEditX::SetDataField;
  using TCustomDBEditX::SetDataSource;
};

class DBFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    owner = std::make_unique<TComponent>(nullptr);
    form = new TFormTestHost(owner.get());
    form->SetBounds(200, 200, 300, 130);
    form->HandleNeeded();
    data = new TMemDataSet(owner.get());
    data->AddField("Code", ftString, 6);
    data->AddField("Kind", ftString, 2);
    data->AddField("Paid", ftString, 3);
    data->CreateDataSet();
    const char* Rows[][3] = {{"AB-123", "A", "yes"}, {"CD-456", "B", "no"}, {"EF-789", "C", ""}};
    for (auto& R : Rows) {
      data->Append();
      data->FieldByName("Code")->SetAsString(R[0]);
      data->FieldByName("Kind")->SetAsString(R[1]);
      if (*R[2]) data->FieldByName("Paid")->SetAsString(R[2]);
      data->Post();
    }
    data->First();
    source = new TDataSource(owner.get());
    source->SetDataSet(data);

    edit = new TFormDBEdit(owner.get());
    edit->SetBounds(10, 10, 140, 21);
    edit->SetParent(form);
    edit->SetEditMask(">LL-000;1;_");
    edit->EditButton()->SetVisible(true);
    edit->EditButton()->SetStyle(ebsEllipsisX);
    edit->EditButtons()->Add()->SetStyle(ebsPlusX);
    edit->SetDataSource(source);
    edit->SetDataField("Code");

    combo = new TDBComboBoxX(owner.get());
    combo->SetBounds(10, 40, 140, 21);
    combo->SetParent(form);
    for (const char* s : {"Adult", "Child", "Senior"}) combo->Items()->Add(s);
    for (const char* s : {"A", "B", "C"}) combo->KeyItems()->Add(s);
    combo->SetDataSource(source);
    combo->SetDataField("Kind");

    check = new TDBCheckBoxX(owner.get());
    check->SetBounds(10, 70, 120, 17);
    check->SetParent(form);
    check->SetText("Paid");
    check->SetValueChecked("Yes;Y");
    check->SetValueUnchecked("No;N");
    check->SetDataSource(source);
    check->SetDataField("Paid");

    button = new TButton(owner.get());
    button->SetBounds(180, 90, 75, 25);
    button->SetText("OK");
    button->SetParent(form);
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
  void Key(UINT vk) {
    win::InjectKey(WM_KEYDOWN, vk);
    win::InjectKey(WM_KEYUP, vk);
    win::PumpMessages();
  }
  void Shot(const std::string& Name) {
    const std::string Path = win::ArtifactPath(Name);
    ASSERT_TRUE(win::SaveWindowPng(form->Handle(), Path)) << Path;
  }
  win::FakeClock clock;
  std::unique_ptr<TComponent> owner;
  TFormTestHost* form = nullptr;
  TMemDataSet* data = nullptr;
  TDataSource* source = nullptr;
  TFormDBEdit* edit = nullptr;
  TDBComboBoxX* combo = nullptr;
  TDBCheckBoxX* check = nullptr;
  TButton* button = nullptr;
};

TEST_F(DBFormTest, ScrollingShowsEachRecordInAllThree) {
  struct Row {
    const char* Code;
    const char* Kind;
    TCheckBoxState Paid;
  };
  const Row Rows[] = {{"AB-123", "Adult", cbChecked}, {"CD-456", "Child", cbUnchecked}, {"EF-789", "Senior", cbGrayed}};
  for (const Row& R : Rows) {
    EXPECT_EQ(edit->Text(), R.Code);
    EXPECT_EQ(combo->Text(), R.Kind);
    EXPECT_EQ(check->State(), R.Paid);
    data->Next();
  }
}

TEST_F(DBFormTest, TypingThroughTheMaskThenPostingWritesAllFields) {
  Focus(edit);
  Key(VK_HOME);
  win::InjectChar("xy987");
  win::PumpMessages();
  EXPECT_EQ(edit->Text(), "XY-987");
  EXPECT_EQ(data->State(), dsEdit);
  Focus(combo);
  EXPECT_EQ(data->FieldByName("Code")->AsString(), "XY-987") << "leaving the edit wrote it";
  win::InjectChar("s");
  win::PumpMessages();
  EXPECT_EQ(combo->Text(), "Senior");
  Focus(check);
  EXPECT_EQ(data->FieldByName("Kind")->AsString(), "C");
  Key(VK_SPACE);
  EXPECT_EQ(check->State(), cbUnchecked);
  Focus(button);
  data->Post();
  EXPECT_EQ(data->FieldByName("Paid")->AsString(), "No");
}

TEST_F(DBFormTest, EscAndAnIncompleteMask) {
  Focus(edit);
  Key(VK_HOME);
  win::InjectChar("zz");
  win::PumpMessages();
  EXPECT_EQ(edit->Text(), "ZZ-123");
  win::InjectKey(WM_KEYDOWN, VK_ESCAPE);
  win::InjectKey(WM_KEYUP, VK_ESCAPE);
  win::PumpMessages();
  EXPECT_EQ(edit->Text(), "AB-123");
  // A blanked required position keeps the value from being written.
  Key(VK_END);
  Key(VK_BACK);
  EXPECT_ANY_THROW(edit->SetText(edit->Text()));
  EXPECT_EQ(data->FieldByName("Code")->AsString(), "AB-123");
}

TEST_F(DBFormTest, AClickElsewhereWhileTheMaskIsIncompleteLeavesTheFocusInTheEditAndActsOnNothing) {
  // Record 1 is paid ("yes"); its code loses its last digit, so the mask cannot be left.
  Focus(edit);
  Key(VK_END);
  Key(VK_BACK);
  ASSERT_EQ(edit->Text(), "AB-12 ");
  struct Case {
    const char* What;
    TWinControl* Target;
  };
  const Case Cases[] = {{"the check box", check}, {"the button", button}, {"the combo box", combo}};
  int errors = 0;
  SetApplicationExceptionHandler([&errors](std::exception_ptr) { ++errors; });
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    errors = 0;
    POINT p{C.Target->Width() / 2, C.Target->Height() / 2};
    ::ClientToScreen(C.Target->Handle(), &p);
    win::Click(p.x, p.y);
    win::PumpMessages();
    EXPECT_EQ(GetFocus(), edit->Handle()) << "the edit keeps the focus";
    if (C.Target != combo) {
      EXPECT_EQ(errors, 1) << "one refusal told per press";
    }
    EXPECT_EQ(check->State(), cbChecked) << "the box did not toggle";
    EXPECT_EQ(edit->Text(), "AB-12 ") << "the edit still holds what was typed";
  }
  SetApplicationExceptionHandler(nullptr);
  EXPECT_EQ(data->FieldByName("Paid")->AsString(), "yes");
}

TEST_F(DBFormTest, GoingToAnotherWindowWhileTheMaskIsIncompleteComesBackToTheEditOnceThatWindowIsActive) {
  auto* other = new TFormTestHost(owner.get());
  other->SetBounds(600, 200, 200, 100);
  auto* elsewhere = new TButton(owner.get());
  elsewhere->SetBounds(10, 10, 75, 25);
  elsewhere->SetParent(other);
  other->HandleNeeded();
  win::PumpMessages();
  Focus(edit);
  Key(VK_END);
  Key(VK_BACK);
  int errors = 0;
  SetApplicationExceptionHandler([&errors](std::exception_ptr) { ++errors; });
  elsewhere->SetFocus();
  win::PumpMessages();
  SetApplicationExceptionHandler(nullptr);
  EXPECT_EQ(errors, 1) << "the refusal is told once";
  EXPECT_EQ(GetFocus(), edit->Handle()) << "the edit took the focus back";
  EXPECT_EQ(GetActiveWindow(), form->Handle()) << "and its window is the active one";
  EXPECT_EQ(edit->Text(), "AB-12 ");
}

TEST_F(DBFormTest, EditingFromAnotherControlShowsEverywhere) {
  data->Edit();
  data->FieldByName("Kind")->SetAsString("B");
  data->FieldByName("Paid")->SetAsString("Y");
  data->FieldByName("Code")->SetAsString("QQ-000");
  EXPECT_EQ(combo->Text(), "Child");
  EXPECT_EQ(check->State(), cbChecked);
  EXPECT_EQ(edit->Text(), "QQ-000");
  // And one control's commit reaches the others through the data set.
  combo->SetItemIndex(0);
  EXPECT_EQ(data->FieldByName("Kind")->AsString(), "A");
}

TEST_F(DBFormTest, ComboListDropsPicksWithKeysAndWritesTheKey) {
  Focus(combo);
  POINT p{combo->ButtonControl(0)->Left() + 3, combo->ButtonControl(0)->Top() + 5};
  ::ClientToScreen(combo->Handle(), &p);
  win::Click(p.x, p.y);
  ASSERT_TRUE(combo->ListVisible()) << "the click that opened it leaves it open";
  ASSERT_NE(combo->ListBox(), nullptr);
  EXPECT_EQ(combo->ListBox()->Items()->Count(), 3);
  EXPECT_EQ(combo->ListBox()->ItemIndex(), 0);
  Shot("dataedit_form_combo_dropped.png");
  ASSERT_TRUE(win::SaveWindowPng(combo->ListBox()->Handle(), win::ArtifactPath("dataedit_combo_list.png")));
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(combo->ListBox()->ItemIndex(), 2);
  EXPECT_EQ(combo->Text(), "Adult") << "moving in the list changes nothing yet";
  Key(VK_RETURN);
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_EQ(combo->Text(), "Senior");
  Focus(button);
  EXPECT_EQ(data->FieldByName("Kind")->AsString(), "C");
  // Esc closes without taking the row.
  Focus(combo);
  win::Click(p.x, p.y);
  ASSERT_TRUE(combo->ListVisible());
  Key(VK_UP);
  Key(VK_ESCAPE);
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_EQ(combo->Text(), "Senior");
}

TEST_F(DBFormTest, MruListOpensWhileTypingAndReturnTakesTheEntry) {
  TStringList Remembered;
  for (const char* t : {"AB-111", "XY-222", "AC-333"}) Remembered.Add(t);
  edit->MRUList()->SetItems(&Remembered);
  edit->MRUList()->SetActive(true);
  edit->SetEditMask("");  // a mask's blanks would take part in the prefix
  Focus(edit);  // all text selected: typing replaces it
  win::InjectChar("a");
  win::PumpMessages();
  ASSERT_TRUE(edit->MRUList()->DroppedDown);
  ASSERT_NE(edit->MRUListBox(), nullptr);
  EXPECT_EQ(edit->MRUListBox()->Items()->Count(), 2) << "the entries beginning with what is typed";
  Shot("dataedit_form_mru_dropped.png");
  ASSERT_TRUE(win::SaveWindowPng(edit->MRUListBox()->Handle(), win::ArtifactPath("dataedit_mru_dropdown.png")));
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_FALSE(edit->MRUList()->DroppedDown);
  const std::string Picked = edit->Text();
  EXPECT_TRUE(Picked == "AB-111" || Picked == "AC-333") << Picked;
  Focus(button);
  EXPECT_EQ(data->FieldByName("Code")->AsString(), Picked);
}

TEST_F(DBFormTest, ClickInTheKeyBasedTextOpensAndTheNextClickCloses) {
  POINT p{20, 8};
  ::ClientToScreen(combo->Handle(), &p);
  win::Click(p.x, p.y);
  EXPECT_TRUE(combo->ListVisible());
  EXPECT_TRUE(combo->Focused());
  win::Click(p.x, p.y);
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_EQ(combo->Text(), "Adult");
}

TEST_F(DBFormTest, Screenshots) {
  Focus(button);
  Shot("dataedit_form_unfocused.png");
  Focus(edit);
  Key(VK_END);
  Shot("dataedit_form_edit_focused.png");
  Focus(check);
  Shot("dataedit_form_check_focused.png");
  // The box is painted: its pixels differ from the form's face.
  bool Painted = false;
  for (int X = 1; X < CheckBoxWidth - 1 && !Painted; ++X)
    Painted = win::GetWindowPixel(check->Handle(), X, 8) != ColorRef(clBtnFace);
  EXPECT_TRUE(Painted);
}

}  // namespace
