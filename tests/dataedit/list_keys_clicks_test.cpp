// The lists of the data-aware edit and combo box. Keys that close a list, through the program's own
// message loop: Return and Esc that close the MRU list or the combo box's list are taken whole, so no
// Return or Esc character follows them into the edit (where Esc would throw away what the user typed
// and Return would move the caret). A real press and release on a list picks its item without
// activating the list: the form stays active and the focus stays in the edit.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dataedit/DBCtrlsX_combo.h"
#include "dataedit/DBCtrlsX_edit.h"
#include "dataedit/MRUListX.h"
#include "dataedit/PopupsX.h"
#include "platform/data/memdataset.h"
#include "platform/forms/forms.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"

namespace {

// The data-aware edit with its data binding in reach of the test.
class TKeysEdit : public TCustomDBEditX {
  DECLARE_CLASS(TKeysEdit, TCustomDBEditX)
  explicit TKeysEdit(TComponent* AOwner) : TCustomDBEditX(AOwner) {}
  using TCustomDBEditX::SetDataField;
  using TCustomDBEditX::SetDataSource;
};

class ClosingKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    FormsUnit::Initialize();
    owner = std::make_unique<TComponent>(nullptr);
    form = new TForm(owner.get());
    form->SetBounds(100, 100, 320, 200);
    form->Show();
    data = new TMemDataSet(owner.get());
    data->AddField("Paid", ftString, 10);
    data->CreateDataSet();
    data->Append();
    data->FieldByName("Paid")->SetAsString("yes");
    data->Post();
    source = new TDataSource(owner.get());
    source->SetDataSet(data);
    Loop();
  }
  void TearDown() override {
    owner.reset();
    FormsUnit::Finalize();
    win::ResetWindowManager();
    clock.Uninstall();
  }
  // The program's loop takes what waits in the queue, as Run does between idle turns.
  static void Loop() { Application->ProcessMessages(); }
  static void Type(const std::string& Text) {
    win::InjectChar(Text);
    Loop();
  }
  static void Press(UINT Vk, bool Alt = false) {
    if (Alt) win::InjectKey(WM_SYSKEYDOWN, VK_MENU);
    win::InjectKey(Alt ? WM_SYSKEYDOWN : WM_KEYDOWN, Vk);
    win::InjectKey(Alt ? WM_SYSKEYUP : WM_KEYUP, Vk);
    if (Alt) win::InjectKey(WM_KEYUP, VK_MENU);
    Loop();
  }
  // Press and release of the left button at a client point of a window, as the user makes them.
  static void PressAndRelease(TControl* C, TPoint At) {
    const TPoint P = C->ClientToScreen(At);
    win::InjectMouse(P.X, P.Y, WM_MOUSEMOVE);
    Loop();
    win::InjectMouse(P.X, P.Y, WM_LBUTTONDOWN, MK_LBUTTON);
    Loop();
    win::InjectMouse(P.X, P.Y, WM_LBUTTONUP);
    Loop();
  }
  static TPoint RowPoint(TCustomListBox* L, int Row) {
    return TPoint(10, (Row - L->TopIndex()) * L->ItemHeight() + L->ItemHeight() / 2);
  }
  static void Focus(TWinControl* C) {
    C->SetFocus();
    Loop();
  }
  TKeysEdit* NewEdit() {
    auto* E = new TKeysEdit(owner.get());
    E->SetBounds(10, 10, 160, 21);
    E->SetParent(form);
    E->SetDataSource(source);
    E->SetDataField("Paid");
    TStringList Remembered;
    for (const char* S : {"north", "none", "yes"}) Remembered.Add(S);
    E->MRUList()->SetItems(&Remembered);
    E->MRUList()->SetActive(true);
    Loop();
    return E;
  }
  TDBComboBoxX* NewCombo() {
    auto* C = new TDBComboBoxX(owner.get());
    C->SetBounds(10, 60, 160, 21);
    C->SetParent(form);
    for (const char* S : {"Alpha", "Beta", "Gamma"}) C->Items()->Add(S);
    C->SetDataSource(source);
    C->SetDataField("Paid");
    Loop();
    return C;
  }

  win::FakeClock clock;
  std::unique_ptr<TComponent> owner;
  TForm* form = nullptr;
  TMemDataSet* data = nullptr;
  TDataSource* source = nullptr;
};

TEST_F(ClosingKeysTest, EscThatClosesTheMruListKeepsTheTypedText) {
  TKeysEdit* E = NewEdit();
  Focus(E);
  E->SelectAll();
  Type("no");
  ASSERT_TRUE(E->MRUList()->DroppedDown) << "north and none begin with no";
  Press(VK_ESCAPE);
  EXPECT_FALSE(E->MRUList()->DroppedDown);
  EXPECT_EQ(E->Text(), "no") << "the Esc that closed the list did not reload the field";
  EXPECT_TRUE(E->Modified());
  // With the list closed, Esc is the edit's again: it throws the typed text away.
  Press(VK_ESCAPE);
  EXPECT_EQ(E->Text(), "yes");
}

TEST_F(ClosingKeysTest, ReturnThatTakesAnMruEntrySelectsItAll) {
  TKeysEdit* E = NewEdit();
  Focus(E);
  E->SelectAll();
  Type("no");
  ASSERT_TRUE(E->MRUList()->DroppedDown);
  Press(VK_DOWN);
  ASSERT_GE(E->MRUListBox()->ItemIndex(), 0);
  const std::string Picked = E->MRUListBox()->Items()->Strings(E->MRUListBox()->ItemIndex());
  Press(VK_RETURN);
  EXPECT_FALSE(E->MRUList()->DroppedDown);
  EXPECT_EQ(E->Text(), Picked);
  EXPECT_EQ(E->SelStart(), 0);
  EXPECT_EQ(E->SelLength(), static_cast<int>(Picked.size()));
}

TEST_F(ClosingKeysTest, EscThatClosesTheComboListKeepsTheTypedText) {
  TDBComboBoxX* C = NewCombo();
  Focus(C);
  C->SelectAll();
  Type("Pa");
  ASSERT_EQ(C->Text(), "Pa") << "no item begins with Pa";
  Press(VK_DOWN, true);
  ASSERT_TRUE(C->ListVisible());
  Press(VK_ESCAPE);
  EXPECT_FALSE(C->ListVisible());
  EXPECT_EQ(C->Text(), "Pa") << "the Esc that closed the list did not reload the field";
  Press(VK_ESCAPE);
  EXPECT_EQ(C->Text(), "yes");
}

TEST_F(ClosingKeysTest, ReturnOnTheComboListSelectsTheWholeText) {
  TDBComboBoxX* C = NewCombo();
  Focus(C);
  C->SelectAll();
  Type("Pa");
  Press(VK_DOWN, true);
  ASSERT_TRUE(C->ListVisible());
  Press(VK_DOWN);
  Press(VK_DOWN);
  ASSERT_EQ(C->ListBox()->ItemIndex(), 1);
  Press(VK_RETURN);
  EXPECT_FALSE(C->ListVisible());
  EXPECT_EQ(C->Text(), "Beta");
  EXPECT_EQ(C->SelStart(), 0);
  EXPECT_EQ(C->SelLength(), 4) << "the whole text is selected, as after any accepted pick";
}

TEST_F(ClosingKeysTest, AClickOnAnMruEntryTakesItAndKeepsTheFocus) {
  TKeysEdit* E = NewEdit();
  Focus(E);
  ASSERT_EQ(GetActiveWindow(), form->Handle());
  E->SelectAll();
  Type("no");
  ASSERT_TRUE(E->MRUList()->DroppedDown);
  TMRUListboxX* L = E->MRUListBox();
  const int Row = L->Items()->IndexOf("none");
  ASSERT_GE(Row, 0);
  PressAndRelease(L, RowPoint(L, Row));
  EXPECT_FALSE(E->MRUList()->DroppedDown);
  EXPECT_EQ(E->Text(), "none");
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  EXPECT_EQ(GetFocus(), E->Handle());
}

TEST_F(ClosingKeysTest, AClickOnAComboItemTakesItAndKeepsTheFocus) {
  TDBComboBoxX* C = NewCombo();
  Focus(C);
  Press(VK_DOWN, true);
  ASSERT_TRUE(C->ListVisible());
  PressAndRelease(C->ListBox(), RowPoint(C->ListBox(), 2));
  EXPECT_FALSE(C->ListVisible());
  EXPECT_EQ(C->Text(), "Gamma");
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  EXPECT_EQ(GetFocus(), C->Handle());
}

}  // namespace
