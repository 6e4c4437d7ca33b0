// The data-aware edit on a form bound to an in-memory data set: the write path of Text and Value as a
// table, typing, Esc, leaving, scrolling the data set, editing from elsewhere, and the in-place
// protocol with a holder double.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dataedit/DBCtrlsX_edit.h"
#include "platform/controls/stdctrls.h"
#include "platform/data/memdataset.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"

namespace {

class TEditTestHost : public TCustomControl {
  DECLARE_CLASS(TEditTestHost, TCustomControl)
  explicit TEditTestHost(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
};

class TTestDBEdit : public TCustomDBEditX {
  DECLARE_CLASS(TTestDBEdit, TCustomDBEditX)
  explicit TTestDBEdit(TComponent* AOwner) : TCustomDBEditX(AOwner) {}
  using TCustomDBEditX::SetDataField;
  using TCustomDBEditX::SetDataSource;
};

// A holder that records what it sees and answers as the test sets it.
class THolderDouble : public TCustomControl, public IInplaceEditHolderX {
  DECLARE_CLASS(THolderDouble, TCustomControl)
  explicit THolderDouble(TComponent* AOwner) : TCustomControl(AOwner) {}
  bool EditorCanModify(TWinControl*) override { return CanModify; }
  bool TakePendingMouseDown(POINT& ScreenPos, int& Time) override {
    ScreenPos = PendingPos;
    Time = PendingTime;
    PendingTime = 0;
    return true;
  }
  void EditorWndProc(TWinControl*, TMessage& Message) override {
    if (Message.Msg == WM_LBUTTONDBLCLK) ++DoubleClicks;
  }
  void EditorKeyDown(TWinControl*, WORD& Key, TShiftState) override {
    Keys.push_back(Key);
    if (Key == VK_F2) Key = 0;
  }
  void EditorKeyPress(TWinControl*, WideChar& Key) override {
    if (Key == u'#') Key = 0;
  }
  void EditorKeyUp(TWinControl*, WORD&, TShiftState) override {}
  bool CanModify = true;
  POINT PendingPos{0, 0};
  int PendingTime = 0;
  int DoubleClicks = 0;
  std::vector<WORD> Keys;
};

class DBEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    owner = std::make_unique<TComponent>(nullptr);
    host = new TEditTestHost(owner.get());
    host->SetBounds(100, 100, 320, 160);
    host->HandleNeeded();
    data = new TMemDataSet(owner.get());
    data->AddField("Name", ftString, 20);
    data->AddField("Amount", ftInteger);
    data->CreateDataSet();
    const std::pair<const char*, int> Rows[] = {{"Ann", 10}, {"Bob", 20}, {"Cy", 30}};
    for (auto [n, a] : Rows) {
      data->Append();
      data->FieldByName("Name")->SetAsString(n);
      data->FieldByName("Amount")->SetAsInteger(a);
      data->Post();
    }
    data->First();
    source = new TDataSource(owner.get());
    source->SetDataSet(data);
    edit = MakeEdit(10, 10);
    edit->SetDataSource(source);
    edit->SetDataField("Name");
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
  TTestDBEdit* MakeEdit(int L, int T) {
    auto* e = new TTestDBEdit(owner.get());
    e->SetBounds(L, T, 150, 21);
    e->SetParent(host);
    return e;
  }
  void Focus(TWinControl* c) {
    c->SetFocus();
    win::PumpMessages();
  }
  void Type(const std::string& s) {
    win::InjectChar(s);
    win::PumpMessages();
  }
  void Key(UINT vk) {
    win::InjectKey(WM_KEYDOWN, vk);
    win::InjectKey(WM_KEYUP, vk);
    win::PumpMessages();
  }
  win::FakeClock clock;
  std::unique_ptr<TComponent> owner;
  TEditTestHost* host = nullptr;
  TMemDataSet* data = nullptr;
  TDataSource* source = nullptr;
  TTestDBEdit* edit = nullptr;
  TButton* other = nullptr;
};

// ---------------------------------------------------------------------------------------------------
// The write path

TEST_F(DBEditTest, TextAndValueCommitRules) {
  struct Case {
    const char* Name;
    const char* Field;    // "" unbound; "-" a field name without data source
    bool ByValue;
    Variant Input;
    bool Raises;
    const char* ShownAfter;
    const char* FieldAfter;  // nullptr: the field is not looked at
  };
  const Case Cases[] = {
      {"unbound text", "", false, Variant("abc"), false, "abc", nullptr},
      {"unbound value", "", true, Variant(42), false, "42", nullptr},
      {"unbound null", "", true, Null, false, "", nullptr},
      {"field name without data source takes text unbound", "-", false, Variant("x"), false, "x", nullptr},
      {"field name without data source takes a value unbound", "-", true, Variant(7), false, "7", nullptr},
      {"string field text", "Name", false, Variant("Zed"), false, "Zed", "Zed"},
      {"string field value", "Name", true, Variant("Yo"), false, "Yo", "Yo"},
      {"integer field text", "Amount", false, Variant("12"), false, "12", "12"},
      {"integer field value", "Amount", true, Variant(13), false, "13", "13"},
      {"integer field rejects text and reloads", "Amount", false, Variant("abc"), true, "10", "10"},
      {"null value clears the field", "Amount", true, Null, false, "", ""},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    if (data->State() != dsBrowse) data->Cancel();
    data->First();
    TTestDBEdit* e = MakeEdit(10, 40);
    if (std::string(C.Field) == "-") {
      e->SetDataField("Amount");
    } else if (*C.Field) {
      e->SetDataSource(source);
      e->SetDataField(C.Field);
    }
    if (C.Raises) {
      EXPECT_ANY_THROW(C.ByValue ? e->SetValue(C.Input) : e->SetText(VarToStr(C.Input)));
    } else if (C.ByValue) {
      e->SetValue(C.Input);
    } else {
      e->SetText(VarToStr(C.Input));
    }
    EXPECT_EQ(e->Text(), C.ShownAfter);
    if (C.FieldAfter) {
      EXPECT_EQ(data->FieldByName(C.Field)->AsString(), C.FieldAfter);
    }
    if (!*C.Field) {
      EXPECT_EQ(VarToStr(e->Value()), C.ShownAfter);
    }
    delete e;
  }
}

TEST_F(DBEditTest, UpdateDataHandlerWritesInsteadOfTheEdit) {
  std::string seen;
  edit->OnUpdateData = [&](TObject*, bool& Handled) {
    seen = edit->Text();
    Handled = true;
  };
  edit->SetText("Other");
  EXPECT_EQ(seen, "Other");
  EXPECT_EQ(data->FieldByName("Name")->AsString(), "Ann");
}

// ---------------------------------------------------------------------------------------------------
// Driven through messages

TEST_F(DBEditTest, TypingEditsAndLeavingWrites) {
  Focus(edit);
  Key(VK_END);
  Type("ie");
  EXPECT_EQ(edit->Text(), "Annie");
  EXPECT_EQ(data->State(), dsEdit);
  EXPECT_EQ(data->FieldByName("Name")->AsString(), "Ann") << "not written while typing";
  Focus(other);
  EXPECT_EQ(data->FieldByName("Name")->AsString(), "Annie");
}

TEST_F(DBEditTest, EscThrowsTypedTextAway) {
  Focus(edit);
  Key(VK_END);
  Type("xyz");
  win::InjectKey(WM_KEYDOWN, VK_ESCAPE);
  win::InjectChar("\x1b");
  win::PumpMessages();
  EXPECT_EQ(edit->Text(), "Ann");
  EXPECT_EQ(edit->SelLength(), 3) << "all selected";
}

TEST_F(DBEditTest, ScrollingAndEditingElsewhereReloadTheText) {
  data->Next();
  EXPECT_EQ(edit->Text(), "Bob");
  data->Last();
  EXPECT_EQ(edit->Text(), "Cy");
  data->Edit();
  data->FieldByName("Name")->SetAsString("Cyd");
  EXPECT_EQ(edit->Text(), "Cyd");
}

TEST_F(DBEditTest, StringFieldSetsMaxLengthAndSwitchingFieldsGivesItBack) {
  EXPECT_EQ(edit->MaxLength(), 20);
  edit->SetDataField("Amount");
  EXPECT_EQ(edit->MaxLength(), 0);
}

TEST_F(DBEditTest, CtrlASelectsAll) {
  Focus(edit);
  Key(VK_END);
  ASSERT_EQ(edit->SelLength(), 0);
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  win::InjectKey(WM_KEYDOWN, 'A');
  win::InjectKey(WM_KEYUP, 'A');
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(edit->SelLength(), 3);
}

TEST_F(DBEditTest, WindowReadOnlyUnlessEditableOrHandled) {
  source->SetAutoEdit(false);
  edit->SetDataField("Amount");
  EXPECT_TRUE(edit->WindowReadOnly());
  edit->OnUpdateData = [](TObject*, bool& Handled) { Handled = true; };
  edit->SetDataField("Name");
  EXPECT_FALSE(edit->WindowReadOnly());
}

// ---------------------------------------------------------------------------------------------------
// In-place protocol

TEST_F(DBEditTest, HolderWithoutTheInterfaceIsRefused) {
  THolderDouble* holder = new THolderDouble(owner.get());
  edit->SetInplaceEditHolder(holder);
  EXPECT_TRUE(edit->InplaceMode());
  try {
    edit->SetInplaceEditHolder(other);
    FAIL() << "no exception";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "InplaceEditHolder have to support IInplaceEditHolderX interface");
  }
  EXPECT_FALSE(edit->InplaceMode());
  EXPECT_EQ(edit->InplaceEditHolder(), nullptr);
}

TEST_F(DBEditTest, HolderSeesKeysFirstAndDecidesModifying) {
  THolderDouble* holder = new THolderDouble(owner.get());
  holder->SetBounds(0, 0, 300, 150);
  holder->SetParent(host);
  edit->SetParent(holder);
  edit->SetInplaceEditHolder(holder);
  Focus(edit);
  Key(VK_F2);
  ASSERT_FALSE(holder->Keys.empty());
  EXPECT_EQ(holder->Keys.front(), VK_F2);
  Key(VK_END);
  Type("#k");
  EXPECT_EQ(edit->Text(), "Annk") << "the holder ate '#'";
  holder->CanModify = false;
  edit->SetDataField("Amount");
  EXPECT_TRUE(edit->WindowReadOnly());
}

TEST_F(DBEditTest, InplaceClickAfterTheHoldersClickIsADoubleClick) {
  THolderDouble* holder = new THolderDouble(owner.get());
  holder->SetBounds(0, 0, 300, 150);
  holder->SetParent(host);
  edit->SetParent(holder);
  edit->SetInplaceEditHolder(holder);
  edit->MoveTo(RECT{10, 10, 160, 31});
  win::PumpMessages();
  POINT p{20, 8};
  ::ClientToScreen(edit->Handle(), &p);
  holder->PendingPos = p;
  holder->PendingTime = static_cast<int>(GetMessageTime());
  win::InjectMouse(p.x, p.y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::InjectMouse(p.x, p.y, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(holder->DoubleClicks, 0) << "the holder sees the message before it is turned";
  // The edit turned it: a double click selects the word.
  EXPECT_EQ(edit->SelLength(), 3);
  edit->MoveTo(RECT{0, 0, 0, 0});
  EXPECT_FALSE(edit->GetVisible());
}

}  // namespace

namespace {

// The button strip: a visible main button, an invisible and a visible additional button; clicking the
// main button opens the drop-down (the click that opened it leaves it open), a second click closes it.
class TDropEdit : public TTestDBEdit {
  DECLARE_CLASS(TDropEdit, TTestDBEdit)
  explicit TDropEdit(TComponent* AOwner) : TTestDBEdit(AOwner) {}
  int Drops = 0, Closes = 0;

 protected:
  void DropDown() override {
    TTestDBEdit::DropDown();
    FDroppedDown = true;
    ++Drops;
  }

 public:
  void CloseUp(bool Accept) override {
    TTestDBEdit::CloseUp(Accept);
    FDroppedDown = false;
    ++Closes;
  }
};

TEST_F(DBEditTest, ButtonStripLayoutAndDropDownProtocol) {
  auto* e = new TDropEdit(owner.get());
  e->SetBounds(10, 40, 150, 21);
  e->SetParent(host);
  e->EditButton()->SetVisible(true);
  e->EditButtons()->Add()->SetVisible(false);
  TEditButtonX* Extra = e->EditButtons()->Add();
  Extra->SetStyle(ebsEllipsisX);
  int ExtraClicks = 0;
  Extra->OnClick = [&](TObject*, bool&) { ++ExtraClicks; };
  win::PumpMessages();
  ASSERT_EQ(e->ButtonControlCount(), 3);
  EXPECT_EQ(e->ButtonControl(1)->Width(), 0);
  EXPECT_GT(e->ButtonControl(0)->Width(), 0);
  EXPECT_EQ(e->ButtonControl(2)->Left() + e->ButtonControl(2)->Width(), e->ClientWidth());
  EXPECT_EQ(e->ButtonsStripWidth(), e->ButtonControl(0)->Width() + e->ButtonControl(2)->Width());
  EXPECT_EQ(e->ButtonHeight(), e->ClientHeight());

  auto ClickButton = [&](int I) {
    POINT p{e->ButtonControl(I)->Left() + 3, e->ButtonControl(I)->Top() + 5};
    ::ClientToScreen(e->Handle(), &p);
    win::Click(p.x, p.y);
    win::PumpMessages();
  };
  ClickButton(0);
  EXPECT_EQ(e->Drops, 1);
  EXPECT_TRUE(e->DroppedDown()) << "the opening click leaves it open";
  EXPECT_TRUE(e->Focused());
  ClickButton(0);
  EXPECT_FALSE(e->DroppedDown()) << "a second click closes it";
  EXPECT_EQ(e->Closes, 1);
  ClickButton(2);
  EXPECT_EQ(ExtraClicks, 1);
  EXPECT_EQ(e->Drops, 1);

  // Removing the visible buttons leaves an empty strip of height 0.
  e->EditButton()->SetVisible(false);
  Extra->SetVisible(false);
  EXPECT_EQ(e->ButtonsStripWidth(), 0);
  EXPECT_EQ(e->ButtonHeight(), 0);
}

}  // namespace

namespace {

TEST_F(DBEditTest, AssignedMaskAndAlignmentSurviveFieldChanges) {
  data->FieldByName("Amount")->SetAlignment(taRightJustify);
  edit->SetDataField("Amount");
  EXPECT_EQ(edit->Alignment(), taRightJustify) << "the field's alignment while none is assigned";
  EXPECT_FALSE(edit->AlignmentStored());
  edit->SetAlignment(taCenter);
  edit->SetEditMask("000;0;_");
  edit->SetDataField("Name");
  EXPECT_EQ(edit->Alignment(), taCenter);
  EXPECT_EQ(edit->EditMask(), "000;0;_");
  EXPECT_TRUE(edit->AlignmentStored());
  EXPECT_TRUE(edit->EditMaskStored());
}

TEST_F(DBEditTest, TextIsStoredOnlyWhenUnboundAndNotEmpty) {
  EXPECT_FALSE(edit->TextStored()) << "bound";
  TTestDBEdit* e = MakeEdit(10, 40);
  EXPECT_FALSE(e->TextStored()) << "empty";
  e->SetText("kept");
  EXPECT_TRUE(e->TextStored());
  EXPECT_EQ(VarToStr(e->DataLink()->DataIndependentValue()), "kept");
}

}  // namespace

// A date of a year below 1000 shows its year with four digits, so editing another part of it and
// leaving writes the same year back instead of one widened into the current century.
TEST_F(DBEditTest, DatesOfEarlyYearsKeepTheirYearThroughAnEdit) {
  auto* dates = new TMemDataSet(owner.get());
  dates->AddField("Day", ftDate);
  dates->CreateDataSet();
  dates->Append();
  dates->FieldByName("Day")->SetAsDateTime(EncodeDate(5, 3, 4));
  dates->Post();
  auto* daySource = new TDataSource(owner.get());
  daySource->SetDataSet(dates);
  TTestDBEdit* day = MakeEdit(10, 40);
  day->SetDataSource(daySource);
  day->SetDataField("Day");
  win::PumpMessages();
  const struct {
    int Year;
    const char *Shown, *Typed;
  } cases[] = {{5, "0005-03-04", "0005-03-05"}, {99, "0099-03-04", "0099-03-05"}, {987, "0987-03-04", "0987-03-05"},
               {2024, "2024-03-04", "2024-03-05"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Year);
    dates->Edit();
    dates->FieldByName("Day")->SetAsDateTime(EncodeDate(c.Year, 3, 4));
    dates->Post();
    EXPECT_EQ(day->Text(), c.Shown);
    Focus(day);
    Key(VK_END);
    Key(VK_BACK);
    Type("5");
    EXPECT_EQ(day->Text(), c.Typed);
    Focus(other);
    int y = 0, m = 0, d = 0;
    DecodeDate(dates->FieldByName("Day")->AsDateTime(), y, m, d);
    EXPECT_EQ(y, c.Year);
    EXPECT_EQ(m, 3);
    EXPECT_EQ(d, 5);
  }
}
