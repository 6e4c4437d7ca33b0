// Picking from the data-aware edit's drop-downs as a user does, on a form: Alt+Down opens a combo
// box's list, a click with the mouse on an item of the pick list or of the MRU list takes that item
// and leaves the focus in the control; and the edit's factory hooks for its button controls, its MRU
// list box and the MRU entries it offers, as a descendant overrides them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dataedit/DBCtrlsX_combo.h"
#include "dataedit/DBCtrlsX_edit.h"
#include "dataedit/MRUListX.h"
#include "dataedit/PopupsX.h"
#include "platform/controls/stdctrls.h"
#include "platform/data/memdataset.h"
#include "platform/forms/forms.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"

namespace {

// The edit as a program places it (its descendants publish it).
class TPickEdit : public TCustomDBEditX {
  DECLARE_CLASS(TPickEdit, TCustomDBEditX)
  explicit TPickEdit(TComponent* AOwner) : TCustomDBEditX(AOwner) {}
  using TCustomDBEditX::SetDataField;
  using TCustomDBEditX::SetDataSource;
};

class TMarkedButtonControl : public TEditButtonControlX {
  DECLARE_CLASS(TMarkedButtonControl, TEditButtonControlX)
  explicit TMarkedButtonControl(TComponent* AOwner) : TEditButtonControlX(AOwner) {}
};

class TMarkedMRUBox : public TMRUListboxX {
  DECLARE_CLASS(TMarkedMRUBox, TMRUListboxX)
  explicit TMarkedMRUBox(TComponent* AOwner) : TMRUListboxX(AOwner) {}
};

// A descendant that makes its own parts and refuses one remembered entry.
class THookedEdit : public TPickEdit {
  DECLARE_CLASS(THookedEdit, TPickEdit)
  explicit THookedEdit(TComponent* AOwner) : TPickEdit(AOwner) {}
  int ButtonControlsMade = 0;
  int MRUBoxesMade = 0;
  std::vector<std::string> Judged;

 protected:
  TEditButtonControlX* NewEditButtonControl() override {
    ++ButtonControlsMade;
    auto* C = new TMarkedButtonControl(this);
    C->SetParent(this);
    return C;
  }
  TMRUListboxX* NewMRUListControl() override {
    ++MRUBoxesMade;
    auto* L = new TMarkedMRUBox(this);
    L->SetCtl3D(false);
    L->SetSorted(true);
    return L;
  }
  void AcceptMRUItem(const std::string& Text, bool& Accept) override {
    Judged.push_back(Text);
    TPickEdit::AcceptMRUItem(Text, Accept);
    if (Text == "Nora") Accept = false;
  }
};

class DBEditPickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    FormsUnit::Initialize();
    owner = std::make_unique<TComponent>(nullptr);
    form = new TForm(owner.get());
    form->SetBounds(100, 100, 360, 260);
    form->Show();
    data = new TMemDataSet(owner.get());
    data->AddField("City", ftString, 20);
    data->AddField("Kind", ftString, 2);
    data->AddField("Note", ftString, 20);
    data->CreateDataSet();
    data->Append();
    data->FieldByName("City")->SetAsString("Rome");
    data->FieldByName("Kind")->SetAsString("R");
    data->FieldByName("Note")->SetAsString("");
    data->Post();
    data->First();
    source = new TDataSource(owner.get());
    source->SetDataSet(data);
    other = new TButton(owner.get());
    other->SetBounds(260, 200, 80, 25);
    other->SetParent(form);
    win::PumpMessages();
  }
  void TearDown() override {
    owner.reset();
    FormsUnit::Finalize();
    win::ResetWindowManager();
    clock.Uninstall();
  }
  // A combo box over City (text-based) or Kind (key-based) offering Dublin, Paris and Rome.
  TDBComboBoxX* NewCombo(bool KeyBased) {
    auto* C = new TDBComboBoxX(owner.get());
    C->SetBounds(10, 10, 160, 21);
    C->SetParent(form);
    for (const char* s : {"Dublin", "Paris", "Rome"}) C->Items()->Add(s);
    if (KeyBased)
      for (const char* s : {"D", "P", "R"}) C->KeyItems()->Add(s);
    C->SetDataSource(source);
    C->SetDataField(KeyBased ? "Kind" : "City");
    win::PumpMessages();
    return C;
  }
  // An edit over Note whose MRU list remembers Nova, Nora, north, Nile and Apex (oldest first).
  template <typename T = TPickEdit>
  T* NewMRUEdit() {
    auto* E = new T(owner.get());
    E->SetBounds(10, 60, 160, 21);
    E->SetParent(form);
    E->SetDataSource(source);
    E->SetDataField("Note");
    TStringList Remembered;
    for (const char* s : {"Nova", "Nora", "north", "Nile", "Apex"}) Remembered.Add(s);
    E->MRUList()->SetItems(&Remembered);
    E->MRUList()->SetActive(true);
    win::PumpMessages();
    return E;
  }
  static void Focus(TWinControl* C) {
    C->SetFocus();
    win::PumpMessages();
  }
  static void Key(UINT vk) {
    win::InjectKey(WM_KEYDOWN, vk);
    win::InjectKey(WM_KEYUP, vk);
    win::PumpMessages();
  }
  static void AltDown() {
    win::InjectKey(WM_KEYDOWN, VK_MENU);
    win::InjectKey(WM_SYSKEYDOWN, VK_DOWN);
    win::InjectKey(WM_SYSKEYUP, VK_DOWN);
    win::InjectKey(WM_KEYUP, VK_MENU);
    win::PumpMessages();
  }
  // A press and a release of the left button on row I of a drop-down list, through the queue.
  static void ClickRow(TPopupListboxX* L, int I) {
    const TPoint P = L->ClientToScreen(TPoint(10, I * L->ItemHeight() + L->ItemHeight() / 2));
    win::InjectMouse(P.X, P.Y, WM_LBUTTONDOWN, MK_LBUTTON);
    win::PumpMessages();
    win::InjectMouse(P.X, P.Y, WM_LBUTTONUP);
    win::PumpMessages();
  }
  static int RowOf(TPopupListboxX* L, const std::string& S) { return L->Items()->IndexOf(S); }
  static std::vector<std::string> ItemsOf(TStrings* S) {
    std::vector<std::string> V;
    for (int I = 0; I < S->Count(); ++I) V.push_back(S->Strings(I));
    return V;
  }

  win::FakeClock clock;
  std::unique_ptr<TComponent> owner;
  TForm* form = nullptr;
  TMemDataSet* data = nullptr;
  TDataSource* source = nullptr;
  TButton* other = nullptr;
};

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Alt+Down

TEST_F(DBEditPickTest, AltDownOpensAndClosesTheComboListLeavingTheValue) {
  for (bool KeyBased : {false, true}) {
    SCOPED_TRACE(KeyBased ? "key-based" : "text-based");
    TDBComboBoxX* C = NewCombo(KeyBased);
    auto* Main = dynamic_cast<TVisibleEditButtonX*>(C->EditButton());
    ASSERT_NE(Main, nullptr) << "the main button is a visible edit button";
    EXPECT_EQ(Main->ShortCut(), 32808);
    Focus(C);
    AltDown();
    EXPECT_TRUE(C->ListVisible());
    EXPECT_EQ(C->Text(), "Rome");
    EXPECT_EQ(C->ItemIndex(), 2);
    EXPECT_EQ(C->ListBox()->ItemIndex(), 2) << "the list shows the current item";
    EXPECT_EQ(data->State(), dsBrowse) << "opening the list does not edit the record";
    AltDown();
    EXPECT_FALSE(C->ListVisible()) << "Alt+Down again closes the list without taking its item";
    EXPECT_EQ(C->Text(), "Rome");
    EXPECT_EQ(data->State(), dsBrowse);
    EXPECT_EQ(GetFocus(), C->Handle());
    delete C;
  }
}

// ---------------------------------------------------------------------------------------------------
// Picking with the mouse

TEST_F(DBEditPickTest, ClickOnAPickListItemTakesItAndKeepsTheFocus) {
  for (bool KeyBased : {false, true}) {
    SCOPED_TRACE(KeyBased ? "key-based" : "text-based");
    data->Cancel();
    TDBComboBoxX* C = NewCombo(KeyBased);
    Focus(C);
    AltDown();
    ASSERT_TRUE(C->ListVisible());
    ClickRow(C->ListBox(), RowOf(C->ListBox(), "Dublin"));
    EXPECT_FALSE(C->ListVisible());
    EXPECT_EQ(C->Text(), "Dublin");
    EXPECT_EQ(GetFocus(), C->Handle()) << "the control keeps the focus";
    EXPECT_EQ(GetActiveWindow(), form->Handle());
    Focus(other);  // leaving the control writes the pick
    EXPECT_EQ(data->FieldByName(KeyBased ? "Kind" : "City")->AsString(), KeyBased ? "D" : "Dublin");
    delete C;
  }
}

TEST_F(DBEditPickTest, ClickOnAnMruEntryWritesThatEntryNotTheTypedText) {
  TPickEdit* E = NewMRUEdit();
  Focus(E);
  win::InjectChar("no");
  win::PumpMessages();
  ASSERT_TRUE(E->MRUList()->DroppedDown);
  TMRUListboxX* L = E->MRUListBox();
  ClickRow(L, RowOf(L, "Nova"));
  EXPECT_FALSE(E->MRUList()->DroppedDown);
  EXPECT_EQ(E->Text(), "Nova");
  EXPECT_EQ(GetFocus(), E->Handle()) << "the edit keeps the focus";
  Focus(other);
  EXPECT_EQ(data->FieldByName("Note")->AsString(), "Nova");
  EXPECT_EQ(E->MRUList()->Items()->IndexOf("no"), -1) << "the half-typed text is not remembered";
  EXPECT_EQ(E->MRUList()->Items()->Strings(E->MRUList()->Items()->Count() - 1), "Nova") << "the pick is the newest";
}

// ---------------------------------------------------------------------------------------------------
// Factory hooks

TEST_F(DBEditPickTest, DescendantMakesTheButtonControlsTheMruBoxAndJudgesTheEntries) {
  auto* E = NewMRUEdit<THookedEdit>();
  E->EditButton()->SetVisible(true);
  E->EditButtons()->Add();
  E->EditButtons()->Add();
  win::PumpMessages();
  ASSERT_EQ(E->ButtonControlCount(), 3);
  EXPECT_EQ(E->ButtonControlsMade, 3);
  for (int I = 0; I < 3; ++I) EXPECT_NE(dynamic_cast<TMarkedButtonControl*>(E->ButtonControl(I)), nullptr) << I;

  // The list's own filter is told which edit asks.
  std::vector<TObject*> FilterSenders;
  E->MRUList()->OnItemFilter = [&](TObject* Sender, const std::string&, bool&) { FilterSenders.push_back(Sender); };
  Focus(E);
  win::InjectChar("no");
  win::PumpMessages();
  ASSERT_TRUE(E->MRUList()->DroppedDown);
  EXPECT_EQ(E->MRUBoxesMade, 1);
  EXPECT_NE(dynamic_cast<TMarkedMRUBox*>(E->MRUListBox()), nullptr);
  // Every entry was judged for "no"; Nora was refused; the rest that begin with it show sorted.
  EXPECT_EQ(E->Judged, (std::vector<std::string>{"Nova", "Nora", "north", "Nile", "Apex",  // "n"
                                                  "Nova", "Nora", "north", "Nile", "Apex"}));  // "no"
  EXPECT_EQ(ItemsOf(E->MRUListBox()->Items()), (std::vector<std::string>{"north", "Nova"}));
  ASSERT_FALSE(FilterSenders.empty());
  EXPECT_EQ(FilterSenders.front(), E);

  // Keys pick from the list the hooks made; it is made once.
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_FALSE(E->MRUList()->DroppedDown);
  EXPECT_EQ(E->Text(), "north");
  E->SelectAll();
  win::InjectChar("n");
  win::PumpMessages();
  ASSERT_TRUE(E->MRUList()->DroppedDown);
  EXPECT_EQ(E->MRUBoxesMade, 1);
  EXPECT_EQ(ItemsOf(E->MRUListBox()->Items()), (std::vector<std::string>{"Nile", "north", "Nova"}));
}

TEST_F(DBEditPickTest, TheEditsOwnMruBoxIsSortedAndFlat) {
  TPickEdit* E = NewMRUEdit();
  Focus(E);
  win::InjectChar("n");
  win::PumpMessages();
  ASSERT_TRUE(E->MRUList()->DroppedDown);
  TMRUListboxX* L = E->MRUListBox();
  EXPECT_TRUE(L->Sorted());
  EXPECT_EQ(ItemsOf(L->Items()), (std::vector<std::string>{"Nile", "Nora", "north", "Nova"}));
  EXPECT_FALSE(L->Ctl3D());
  EXPECT_EQ(L->PopupBorderWidth(), 0) << "a one-pixel line, not the raised 3-D frame";
  EXPECT_NE(GetWindowLong(L->Handle(), GWL_STYLE) & WS_BORDER, 0);
}

// ---------------------------------------------------------------------------------------------------
// The calendar pop-up

namespace {
class TCloseUpRecorder : public TComponent, public ICloseUpReceiverX {
 public:
  explicit TCloseUpRecorder(TComponent* AOwner) : TComponent(AOwner) {}
  void CloseUp(bool Accept) override { Calls.push_back(Accept); }
  std::vector<bool> Calls;
};
}  // namespace

// A calendar opened from an edit on a form keeps every key: Tab and the arrows stay in it, and Return
// and Esc close it through its owner without reaching the form's buttons.
TEST_F(DBEditPickTest, CalendarAnswersTheDialogCodeAndKeepsTheSpecialKeys) {
  int DefaultClicks = 0, CancelClicks = 0;
  other->SetDefault(true);
  other->OnClick = [&](TObject*) { ++DefaultClicks; };
  auto* Cancel = new TButton(owner.get());
  Cancel->SetBounds(170, 200, 80, 25);
  Cancel->SetParent(form);
  Cancel->SetCancel(true);
  Cancel->OnClick = [&](TObject*) { ++CancelClicks; };
  auto* Receiver = new TCloseUpRecorder(owner.get());
  auto* Cal = new TPopupMonthCalendarX(Receiver);
  Cal->SetParent(form);
  Cal->SetDate(EncodeDate(2026, 12, 10));
  Cal->HandleNeeded();
  ShowWindow(Cal->Handle(), SW_SHOWNOACTIVATE);
  win::PumpMessages();

  const LRESULT Code = SendMessage(Cal->Handle(), WM_GETDLGCODE, 0, 0);
  const LRESULT All = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
  EXPECT_EQ(Code & All, All);
  EXPECT_NE(Code & DLGC_WANTCHARS, 0) << "the inherited answer stays";

  Focus(Cal);
  ASSERT_EQ(GetFocus(), Cal->Handle());
  for (UINT Vk : {VK_TAB, VK_DOWN}) {
    Key(Vk);
    EXPECT_EQ(GetFocus(), Cal->Handle()) << Vk;
  }
  EXPECT_DOUBLE_EQ(Cal->Date(), EncodeDate(2026, 12, 17)) << "Down moved a week";
  EXPECT_TRUE(Receiver->Calls.empty());
  Key(VK_RETURN);
  Key(VK_ESCAPE);
  EXPECT_EQ(Receiver->Calls, (std::vector<bool>{true, false}));
  EXPECT_EQ(DefaultClicks, 0);
  EXPECT_EQ(CancelClicks, 0);
}
