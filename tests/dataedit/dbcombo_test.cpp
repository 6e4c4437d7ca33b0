// The data-aware combo box with key items on a form bound to an in-memory data set: showing the item of
// the field's key, writing the key of the picked item, typed search, stepping, Delete, and the item
// index setter called from OnUpdateData.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dataedit/DBCtrlsX_combo.h"
#include "dataedit/VarValuesX.h"
#include "platform/data/memdataset.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"

namespace {

class TComboTestHost : public TCustomControl {
  DECLARE_CLASS(TComboTestHost, TCustomControl)
  explicit TComboTestHost(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
};

class DBComboTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    owner = std::make_unique<TComponent>(nullptr);
    host = new TComboTestHost(owner.get());
    host->SetBounds(100, 100, 320, 160);
    host->HandleNeeded();
    data = new TMemDataSet(owner.get());
    data->AddField("Kind", ftString, 4);
    data->CreateDataSet();
    for (const char* k : {"B", "A", "Z"}) {
      data->Append();
      data->FieldByName("Kind")->SetAsString(k);
      data->Post();
    }
    data->First();
    source = new TDataSource(owner.get());
    source->SetDataSet(data);
    combo = new TDBComboBoxX(owner.get());
    combo->SetBounds(10, 10, 150, 21);
    combo->SetParent(host);
    combo->Items()->Add("Alpha");
    combo->Items()->Add("Beta");
    combo->KeyItems()->Add("A");
    combo->KeyItems()->Add("B");
    combo->SetDataSource(source);
    combo->SetDataField("Kind");
    win::PumpMessages();
  }
  void TearDown() override {
    owner.reset();
    win::ResetWindowManager();
    clock.Uninstall();
  }
  void Key(UINT vk) {
    win::InjectKey(WM_KEYDOWN, vk);
    win::InjectKey(WM_KEYUP, vk);
    win::PumpMessages();
  }
  std::string Selected() const {
    return Utf32ToUtf8(Utf8ToUtf32(combo->Text()).substr(combo->SelStart(), combo->SelLength()));
  }
  win::FakeClock clock;
  std::unique_ptr<TComponent> owner;
  TComboTestHost* host = nullptr;
  TMemDataSet* data = nullptr;
  TDataSource* source = nullptr;
  TDBComboBoxX* combo = nullptr;
};

TEST_F(DBComboTest, FieldKeyShowsItsItem) {
  EXPECT_TRUE(combo->KeyBased());
  EXPECT_EQ(combo->Text(), "Beta");
  EXPECT_EQ(combo->ItemIndex(), 1);
  data->Next();
  EXPECT_EQ(combo->Text(), "Alpha");
  data->Next();  // "Z" is no key item
  EXPECT_EQ(combo->Text(), "");
  EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(DBComboTest, PickingAnItemWritesItsKey) {
  combo->SetItemIndex(0);
  EXPECT_EQ(data->FieldByName("Kind")->AsString(), "A");
  EXPECT_EQ(combo->Text(), "Alpha");
  EXPECT_TRUE(VarValuesEqual(combo->Value(), Variant("A")));
}

TEST_F(DBComboTest, ThreeItemsTwoKeysOfferTwo) {
  combo->Items()->Add("Gamma");
  EXPECT_EQ(combo->EffectiveCount(), 2);
}

TEST_F(DBComboTest, TypingSearchesAndBackspaceWidensTheSelection) {
  data->Last();
  combo->SetFocus();
  win::PumpMessages();
  win::InjectChar("b");
  win::PumpMessages();
  EXPECT_EQ(combo->Text(), "Beta");
  EXPECT_EQ(Selected(), "eta");
  win::InjectChar("e");
  win::PumpMessages();
  EXPECT_EQ(combo->Text(), "Beta");
  EXPECT_EQ(Selected(), "ta");
  win::InjectKey(WM_KEYDOWN, VK_BACK);  // the key brings its character
  win::InjectKey(WM_KEYUP, VK_BACK);
  win::PumpMessages();
  EXPECT_EQ(Selected(), "eta");
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(data->FieldByName("Kind")->AsString(), "Z") << "searching does not write";
}

TEST_F(DBComboTest, ArrowsStepAndStopAtTheEnds) {
  data->Last();  // none selected
  combo->SetFocus();
  win::PumpMessages();
  Key(VK_UP);
  EXPECT_EQ(combo->ItemIndex(), 1) << "up from none selects the last";
  Key(VK_DOWN);
  EXPECT_EQ(combo->ItemIndex(), 1) << "down on the last stays";
  Key(VK_UP);
  Key(VK_UP);
  EXPECT_EQ(combo->ItemIndex(), 0) << "up on item 0 stays";
  EXPECT_EQ(combo->Text(), "Alpha");
}

TEST_F(DBComboTest, DeleteClearsOnlyWhenTheFieldIsNotRequired) {
  combo->SetFocus();
  win::PumpMessages();
  data->FieldByName("Kind")->SetRequired(true);
  Key(VK_DELETE);
  EXPECT_EQ(combo->Text(), "Beta");
  data->FieldByName("Kind")->SetRequired(false);
  Key(VK_DELETE);
  EXPECT_EQ(combo->Text(), "");
  EXPECT_TRUE(VarIsNull(combo->Value()));
}

TEST_F(DBComboTest, ItemIndexFromUpdateDataDoesNotRecurse) {
  int calls = 0;
  combo->OnUpdateData = [&](TObject*, bool& Handled) {
    ++calls;
    combo->SetItemIndex(0);  // writes through the handler's own path, no second commit
    data->FieldByName("Kind")->SetAsString("A");
    Handled = true;
  };
  combo->SetItemIndex(1);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(data->FieldByName("Kind")->AsString(), "A");
}

}  // namespace
