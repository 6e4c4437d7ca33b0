// Values that must survive the grid's own copy and paste by keys: a null of a column whose field type
// has no value mapping clears the cell it is pasted on, and a memo holding a line break lands in its
// own cell whether the paste reads the grid data or only the text beside it.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXClipboard.h"
#include "datagrid/DBGridXClipboardFormats.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/data/memdataset.h"
#include "platform/win/clipboard.h"
#include "platform/win/dialogs.h"
#include "platform/win/testing.h"
#include "tests/datagrid/grid_fixture.h"

namespace {

// A grid over ID integer, Name string(20), Notes memo, Any variant; five records, the grid focused,
// allowed to copy and paste, its memos edited as text.
class ClipboardValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    DBGridXUnit::Initialize();
    DBGridXClipboard::Initialize();
    win::InstallClipboardBackend(&clip);
    dialogs.Install();
    owner = std::make_unique<TComponent>(nullptr);
    ds = new TMemDataSet(owner.get());
    ds->AddField("ID", ftInteger);
    ds->AddField("Name", ftString, 20);
    ds->AddField("Notes", ftMemo);
    ds->AddField("Any", ftVariant);
    ds->Open();
    const char* names[] = {"Ann", "Bob", "Cui", "Dora", "Emil"};
    const char* notes[] = {"one", "two\nlines", "three", "four", "five"};
    for (int i = 0; i < 5; ++i) {
      ds->Append();
      ds->FieldByName("ID")->SetAsInteger(i + 1);
      ds->FieldByName("Name")->SetAsString(names[i]);
      ds->FieldByName("Notes")->SetAsString(notes[i]);
      if (i != 1) ds->FieldByName("Any")->SetAsVariant(Variant(std::string("v") + std::to_string(i + 1)));
      ds->Post();
    }
    ds->First();
    auto* src = new TDataSource(owner.get());
    src->SetDataSet(ds);
    host = new TGridHostX(owner.get());
    host->SetBounds(50, 50, 640, 400);
    host->HandleNeeded();
    grid = new TDBGridX(owner.get());
    grid->SetBounds(0, 0, 600, 300);
    grid->SetParent(host);
    grid->SetDataSource(src);
    grid->SetOptions(grid->Options() + gdoMultiSelect);
    grid->SetEditActions(TGridXEditActions{geaCopy, geaPaste});
    grid->SetEditMemoFields(1);  // memos are shown and edited as text
    grid->SetFocus();
    win::PumpMessages();
  }
  void TearDown() override {
    owner.reset();
    dialogs.Uninstall();
    win::InstallClipboardBackend(nullptr);
    DBGridXClipboard::Finalize();
    DBGridXUnit::Finalize();
    win::ResetWindowManager();
  }
  static void CtrlKey(UINT Key) {
    win::InjectKey(WM_KEYDOWN, VK_CONTROL);
    win::InjectKey(WM_KEYDOWN, Key);
    win::InjectKey(WM_KEYUP, Key);
    win::InjectKey(WM_KEYUP, VK_CONTROL);
    win::PumpMessages();
  }
  void GoTo(int Record) {
    ds->First();
    ds->MoveBy(Record);
  }
  // Selects the records and copies them with Ctrl+C.
  void CopyRecords(std::initializer_list<int> Records) {
    for (int r : Records) {
      GoTo(r);
      grid->SelectedRows()->SetCurrentRowSelected(true);
    }
    CtrlKey('C');
    grid->SelectedRows()->Clear();
  }
  // Pastes with Ctrl+V at the first column of the record, nothing selected.
  void PasteAt(int Record) {
    GoTo(Record);
    grid->SetCol(grid->DataToRawColumn(0));
    CtrlKey('V');
  }
  std::string Row(int Record) {
    GoTo(Record);
    TField* any = ds->FieldByName("Any");
    return ds->FieldByName("ID")->AsString() + "|" + ds->FieldByName("Name")->AsString() + "|" +
           ds->FieldByName("Notes")->AsString() + "|" + (any->IsNull() ? "null" : any->AsString());
  }

  win::MemoryClipboard clip;
  win::ScriptedDialogs dialogs;
  std::unique_ptr<TComponent> owner;
  TMemDataSet* ds = nullptr;
  TGridHostX* host = nullptr;
  TDBGridX* grid = nullptr;
};

TEST_F(ClipboardValuesTest, ACopiedNullOfAVariantColumnClearsTheCellItIsPastedOn) {
  ASSERT_EQ(Row(3), "4|Dora|four|v4");
  CopyRecords({1});
  ASSERT_FALSE(clip.Blocks[GridDataClipboardFormat()].empty());
  PasteAt(3);
  EXPECT_EQ(Row(3), "2|Bob|two\nlines|null");
  EXPECT_EQ(ds->RecordCount(), 5);
  EXPECT_TRUE(dialogs.MessageTexts().empty());
}

TEST_F(ClipboardValuesTest, AMemoWithALineBreakComesBackInItsOwnCell) {
  grid->SetOptions(grid->Options() - gdoTitles);
  CopyRecords({0, 1});
  const std::string text = clip.Blocks[CF_TEXT];
  ASSERT_NE(text.find("two\nlines"), std::string::npos);
  // Once as the grid's own data, once as the text alone (what a text editor hands back).
  struct Case {
    const char* what;
    bool textOnly;
  } cases[] = {{"grid data", false}, {"text only", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.textOnly) {
      clip.Blocks = {{CF_TEXT, text}};
      clip.OthersCopied = true;
    }
    PasteAt(2);
    EXPECT_EQ(Row(2).substr(0, 10), "1|Ann|one|");
    EXPECT_EQ(Row(3).substr(0, 15), "2|Bob|two\nlines");
    // Nothing after the pasted records changed, and nothing was added.
    EXPECT_EQ(Row(4), "5|Emil|five|v5");
    EXPECT_EQ(ds->RecordCount(), 5);
    EXPECT_TRUE(dialogs.MessageTexts().empty());
    // Back as it was for the next case.
    GoTo(2);
    ds->Edit();
    ds->FieldByName("ID")->SetAsInteger(3);
    ds->FieldByName("Name")->SetAsString("Cui");
    ds->FieldByName("Notes")->SetAsString("three");
    ds->FieldByName("Any")->SetAsVariant(Variant(std::string("v3")));
    ds->Post();
    GoTo(3);
    ds->Edit();
    ds->FieldByName("ID")->SetAsInteger(4);
    ds->FieldByName("Name")->SetAsString("Dora");
    ds->FieldByName("Notes")->SetAsString("four");
    ds->FieldByName("Any")->SetAsVariant(Variant(std::string("v4")));
    ds->Post();
  }
}

}  // namespace
