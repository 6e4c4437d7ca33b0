// The grid's copy, cut, paste and clear through the in-memory clipboard, and a copy that other programs
// read from the desktop clipboard as plain text and CSV.

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include <chrono>
#include <functional>

#include "datagrid/DBGridXClipboard.h"
#include "datagrid/DBGridXClipboardFormats.h"
#include "datagrid/DBGridXFindDlgs.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/forms/dialogs.h"
#include "platform/host/qt_clipboard.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/clipboard.h"
#include "platform/win/dialogs.h"
#include "tests/datagrid/grid_fixture.h"

namespace {

class GridClipboardTest : public DataGridTest {
 protected:
  void SetUp() override {
    DataGridTest::SetUp();
    DBGridXUnit::Initialize();
    DBGridXClipboard::Initialize();
    win::InstallClipboardBackend(&clip);
    dialogs.Install();
    Bind();
    auto o = grid->Options();
    o.Include(gdoMultiSelect);
    grid->SetOptions(o);
  }
  void TearDown() override {
    dialogs.Uninstall();
    win::InstallClipboardBackend(nullptr);
    DBGridXClipboard::Finalize();
    DBGridXUnit::Finalize();
    DataGridTest::TearDown();
  }
  void SelectRecords(std::initializer_list<int> Records) {
    for (int r : Records) {
      ds->First();
      ds->MoveBy(r);
      grid->SelectedRows()->SetCurrentRowSelected(true);
    }
  }
  void Confirm(bool On) {
    auto o = grid->Options();
    if (On) o.Include(gdoConfirmDelete);
    else o.Exclude(gdoConfirmDelete);
    grid->SetOptions(o);
  }
  // Back to the fixture's five records, nothing selected.
  void Reload() {
    grid->SelectedRows()->Clear();
    ds->First();
    while (!ds->IsEmpty()) ds->Delete();
    const char* names[] = {"Ann", "Bob", "Cui", "Dora", "Émile"};
    const char* codes[] = {"Y", "N", "Y", "?", "N"};
    for (int i = 0; i < 5; ++i) {
      ds->Append();
      ds->FieldByName("ID")->SetAsInteger(i + 1);
      ds->FieldByName("Name")->SetAsString(names[i]);
      ds->FieldByName("Amount")->SetAsFloat((i + 1) * 1.25);
      ds->FieldByName("Code")->SetAsString(codes[i]);
      ds->Post();
    }
    ds->First();
  }
  std::string Names() {
    std::string s;
    for (ds->First(); !ds->Eof(); ds->Next()) s += ds->FieldByName("Name")->AsString() + ",";
    return s;
  }
  // Plays another program that copied these blocks.
  void OthersCopied(std::map<UINT, std::string> Blocks) {
    clip.Blocks = std::move(Blocks);
    clip.OthersCopied = true;
  }
  static std::string Z(const std::string& S) { return S + std::string(1, '\0'); }
  win::MemoryClipboard clip;
  win::ScriptedDialogs dialogs;
};

TEST_F(GridClipboardTest, CopyPutsFiveFormatsOfTheSameRecordsAtOnce) {
  SelectRecords({1, 3});
  ds->First();
  const std::string text = ExportGridClipText(grid, false);
  ASSERT_NE(text.find("Bob"), std::string::npos);
  ASSERT_NE(text.find("Dora"), std::string::npos);
  EXPECT_EQ(text.find("Cui"), std::string::npos);
  CopyGridToClipboard(grid, false);
  EXPECT_EQ(clip.Publications, 1);  // every format of the copy reached the backend together
  EXPECT_EQ(clip.Blocks[CF_TEXT], Z(text));
  std::u16string units = Utf8ToUtf16(text);
  units.push_back(u'\0');
  EXPECT_EQ(clip.Blocks[CF_UNICODETEXT], std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2));
  EXPECT_EQ(clip.Blocks[CF_CSV()], Z(ExportGridClipCsv(grid, false)));
  EXPECT_EQ(clip.Blocks[CF_RTF()], Z(ExportGridClipRtf(grid, false)));
  EXPECT_EQ(clip.Blocks[GridDataClipboardFormat()], ExportGridClipData(grid, false));
  EXPECT_EQ(win::ClipboardFormatName(GridDataClipboardFormat()), "VCLDBIF");
  EXPECT_EQ(win::ClipboardFormatName(CF_CSV()), "Csv");
  EXPECT_EQ(win::ClipboardFormatName(CF_RTF()), "Rich Text Format");
  // The position and the data set's controls are as before.
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Ann");
  EXPECT_FALSE(ds->ControlsDisabled());
  // Everything: all five records.
  CopyGridToClipboard(grid, true);
  EXPECT_NE(clip.Blocks[CF_TEXT].find("Cui"), std::string::npos);
}

TEST_F(GridClipboardTest, ACopyOfNothingLeavesOnlyZerosAndPasteFallsBackToText) {
  CopyGridToClipboard(grid, false);
  EXPECT_EQ(clip.Blocks[CF_TEXT], std::string(1, '\0'));
  EXPECT_EQ(clip.Blocks[CF_CSV()], std::string(1, '\0'));
  EXPECT_EQ(clip.Blocks[GridDataClipboardFormat()], "");
  // Nothing to paste from that.
  EXPECT_FALSE(ClipboardHasGridPasteData());
  EXPECT_FALSE(grid->CanPaste());
  // An empty or cut-off grid-data block is passed over for the text beside it.
  for (std::string data : {std::string(), std::string("VCLDB"), std::string("NOTGRID-DATA")}) {
    SCOPED_TRACE(data.size());
    ds->First();
    ds->MoveBy(2);
    grid->SetCol(grid->DataToRawColumn(1));
    OthersCopied({{GridDataClipboardFormat(), data}, {CF_TEXT, Z("Carla")}});
    EXPECT_TRUE(ClipboardHasGridPasteData());
    PasteGridFromClipboard(grid, false);
    EXPECT_EQ(Names(), "Ann,Bob,Carla,Dora,Émile,");
    ds->First();
    ds->MoveBy(2);
    ds->Edit();
    ds->FieldByName("Name")->SetAsString("Cui");
    ds->Post();
  }
}

TEST_F(GridClipboardTest, PastedTextEndsAtItsFirstZero) {
  ds->First();
  ds->MoveBy(1);
  grid->SetCol(grid->DataToRawColumn(1));
  // A block with its terminator and slack bytes after it, as another program may leave it.
  OthersCopied({{CF_TEXT, std::string("Zed\t3.5\0\0garbage\0", 17)}});
  PasteGridFromClipboard(grid, false);
  ds->First();
  ds->MoveBy(1);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Zed");
  EXPECT_DOUBLE_EQ(ds->FieldByName("Amount")->AsFloat(), 3.5);
  EXPECT_EQ(ds->FieldByName("Born")->AsDateTime(), EncodeDate(2000, 1, 2));  // nothing after the zero
}

TEST_F(GridClipboardTest, ClearingRecordsAsksAsTheOptionsSay) {
  struct Case {
    std::vector<int> records;
    bool confirm;
    int answer;  // 0: no question expected
    const char* question;
    const char* left;
  } cases[] = {
      {{1}, true, mrCancel, "Delete record?", "Ann,Bob,Cui,Dora,Émile,"},
      {{1}, true, mrOk, "Delete record?", "Ann,Cui,Dora,Émile,"},
      {{0, 2}, true, mrOk, "Delete all selected records?", "Bob,Dora,Émile,"},
      {{0, 2}, true, mrCancel, "Delete all selected records?", "Ann,Bob,Cui,Dora,Émile,"},
      {{3, 4}, false, 0, nullptr, "Ann,Bob,Cui,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.left);
    Reload();
    for (int r : c.records) SelectRecords({r});
    Confirm(c.confirm);
    size_t asked = dialogs.MessageTexts().size();
    if (c.answer) dialogs.PushResult(c.answer);
    ClearGridSelection(grid, false);
    if (c.question) {
      ASSERT_EQ(dialogs.MessageTexts().size(), asked + 1);
      EXPECT_EQ(dialogs.MessageTexts().back(), c.question);
    } else {
      EXPECT_EQ(dialogs.MessageTexts().size(), asked);
    }
    EXPECT_EQ(Names(), c.left);
    EXPECT_FALSE(ds->ControlsDisabled());
  }
}

TEST_F(GridClipboardTest, ClearingEverythingAsksWhenDeletesAreConfirmed) {
  Confirm(true);
  dialogs.PushResult(mrCancel);
  ClearGridSelection(grid, true);
  ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs.MessageTexts().back(), "Delete all selected records?");
  EXPECT_EQ(ds->RecordCount(), 5);
  dialogs.PushResult(mrOk);
  ClearGridSelection(grid, true);
  EXPECT_EQ(ds->RecordCount(), 0);
  // Without the option, no question.
  Reload();
  Confirm(false);
  ClearGridSelection(grid, true);
  EXPECT_EQ(dialogs.MessageTexts().size(), 2u);
  EXPECT_EQ(ds->RecordCount(), 0);
}

TEST_F(GridClipboardTest, CutCopiesThenDeletes) {
  SelectRecords({0, 4});
  Confirm(false);
  CutGridToClipboard(grid, false);
  EXPECT_NE(clip.Blocks[CF_TEXT].find("Ann"), std::string::npos);
  EXPECT_NE(clip.Blocks[CF_TEXT].find("Émile"), std::string::npos);
  EXPECT_EQ(Names(), "Bob,Cui,Dora,");
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
  // Nothing selected: nothing happens.
  CutGridToClipboard(grid, false);
  EXPECT_EQ(Names(), "Bob,Cui,Dora,");
}

TEST_F(GridClipboardTest, ClearingCellsLeavesReadOnlyColumnsAlone) {
  Col(2)->SetReadOnly(true);
  ds->First();
  ClearSelectedCellsOfRecord(grid, TColumnsXList{Col(1), Col(2), Col(5)});
  EXPECT_TRUE(ds->FieldByName("Name")->IsNull());
  EXPECT_TRUE(ds->FieldByName("Code")->IsNull());
  EXPECT_DOUBLE_EQ(ds->FieldByName("Amount")->AsFloat(), 1.25);
  EXPECT_EQ(ds->State(), dsEdit);  // the record is posted by the next move
  ds->Next();
  ds->Prior();
  EXPECT_TRUE(ds->FieldByName("Name")->IsNull());
}

// The desktop clipboard: other programs read the copy as plain text and CSV.
class GridQtClipboardTest : public GridClipboardTest {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "datagrid_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) App() = std::make_unique<QApplication>(argc, argv);
  }
  static void TearDownTestSuite() {
    QCoreApplication::processEvents();
    App().reset();
  }
  static std::unique_ptr<QApplication>& App() {
    static std::unique_ptr<QApplication> app;
    return app;
  }
};

TEST_F(GridQtClipboardTest, ACopyReadsBackAsPlainTextAndCsv) {
  host::QtClipboard desktop;
  win::InstallClipboardBackend(&desktop);
  SelectRecords({1, 4});
  CopyGridToClipboard(grid, false);
  const QMimeData* md = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(md, nullptr);
  EXPECT_EQ(md->text().toStdString(), ExportGridClipText(grid, false));
  EXPECT_EQ(md->data("text/csv").toStdString(), ExportGridClipCsv(grid, false));
  EXPECT_NE(md->text().toStdString().find("Émile"), std::string::npos);
  win::InstallClipboardBackend(&clip);
}

}  // namespace

namespace {

TEST_F(GridClipboardTest, ClearingARectangleEmptiesItsEditableCellsAfterAsking) {
  Col(2)->SetReadOnly(true);
  ds->First();
  ds->Next();
  TBookmark top = ds->Bookmark();
  ds->MoveBy(2);
  TBookmark bottom = ds->Bookmark();
  grid->SelectionX()->Rect()->Select(1, top, false);
  grid->SelectionX()->Rect()->Select(2, bottom, true);
  ASSERT_EQ(grid->SelectionX()->Kind(), selRectangleX);
  ds->First();
  Confirm(true);
  dialogs.PushResult(mrCancel);
  ClearGridSelection(grid, false);
  ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs.MessageTexts().back(), "清除选择的单元?");
  EXPECT_EQ(Names(), "Ann,Bob,Cui,Dora,Émile,");
  dialogs.PushResult(mrOk);
  ds->First();
  ClearGridSelection(grid, false);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Ann");  // back where it was
  EXPECT_EQ(Names(), "Ann,,,,Émile,");
  ds->First();
  ds->Next();
  EXPECT_DOUBLE_EQ(ds->FieldByName("Amount")->AsFloat(), 2.5);  // read-only column kept
}

TEST_F(GridClipboardTest, AnEmptyRectangleIsNoSelectionForCopyClearAndActions) {
  // The rectangle kind without a rectangle (its corners gone): copy, clear and the checks agree that
  // nothing is selected.
  grid->SelectionX()->SetKind(selRectangleX);
  ASSERT_TRUE(grid->SelectionX()->Rect()->Empty());
  Confirm(true);
  EXPECT_FALSE(grid->CanCopy());
  EXPECT_FALSE(grid->CanDelete());
  EXPECT_NO_THROW(ClearGridSelection(grid, false));
  EXPECT_EQ(dialogs.MessageTexts().size(), 0u);
  EXPECT_EQ(Names(), "Ann,Bob,Cui,Dora,Émile,");
  CopyGridToClipboard(grid, false);
  EXPECT_EQ(clip.Blocks[CF_TEXT], std::string(1, '\0'));
  EXPECT_EQ(clip.Blocks[GridDataClipboardFormat()], "");
}

TEST_F(GridClipboardTest, ClearingColumnsEmptiesThemWithoutAsking) {
  grid->SelectionX()->Columns()->SelectSingleColumn(Col(5), false);
  ASSERT_EQ(grid->SelectionX()->Kind(), selColumnsX);
  Confirm(true);
  ClearGridSelection(grid, false);
  EXPECT_EQ(dialogs.MessageTexts().size(), 0u);
  for (ds->First(); !ds->Eof(); ds->Next()) EXPECT_TRUE(ds->FieldByName("Code")->IsNull());
  EXPECT_EQ(Names(), "Ann,Bob,Cui,Dora,Émile,");
}

}  // namespace

namespace {

// The keyboard's clipboard keys on the focused grid.
TEST_F(GridClipboardTest, ClipboardKeys) {
  grid->SetEditActions(TGridXEditActions{geaCut, geaCopy, geaPaste, geaDelete, geaSelectAll});
  grid->SetAllowedSelections(TGridXSelectionTypes{selRecordsX, selRectangleX, selColumnsX, selAllX});
  grid->SetFocus();
  win::PumpMessages();
  auto press = [](std::initializer_list<UINT> Held, UINT Key) {
    for (UINT h : Held) win::InjectKey(WM_KEYDOWN, h);
    win::InjectKey(WM_KEYDOWN, Key);
    win::InjectKey(WM_KEYUP, Key);
    for (UINT h : Held) win::InjectKey(WM_KEYUP, h);
    win::PumpMessages();
  };
  // Ctrl+C copies the selected records.
  SelectRecords({2});
  press({VK_CONTROL}, 'C');
  EXPECT_EQ(clip.Blocks[CF_TEXT], Z(ExportGridClipText(grid, false)));
  EXPECT_NE(clip.Blocks[CF_TEXT].find("Cui"), std::string::npos);
  // Ctrl+X cuts them.
  Confirm(false);
  press({VK_CONTROL}, 'X');
  EXPECT_EQ(Names(), "Ann,Bob,Dora,Émile,");
  // Shift+Insert pastes at the current cell.
  OthersCopied({{CF_TEXT, Z("Cui")}});
  ds->First();
  grid->SetCol(grid->DataToRawColumn(1));
  press({VK_SHIFT}, VK_INSERT);
  ds->First();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Cui");
  // Ctrl+Delete on a selected column empties it.
  grid->SelectionX()->Columns()->SelectSingleColumn(Col(5), false);
  press({VK_CONTROL}, VK_DELETE);
  for (ds->First(); !ds->Eof(); ds->Next()) EXPECT_TRUE(ds->FieldByName("Code")->IsNull());
  // Ctrl+A selects everything.
  press({VK_CONTROL}, 'A');
  EXPECT_EQ(grid->SelectionX()->Kind(), selAllX);
  // Without the permissions the keys do nothing.
  grid->SetEditActions(TGridXEditActions{});
  grid->SelectionX()->EmptySelection();
  clip.Blocks.clear();
  SelectRecords({0});
  press({VK_CONTROL}, 'C');
  EXPECT_TRUE(clip.Blocks.empty());
}

// Ctrl+A, Ctrl+C over many records costs in proportion to the CSV export of the same records (its five
// formats are four exports and a UTF-16 text; the columns keep their default widths, measured in their
// fonts), and every format holds them all. The fastest of three runs of each is compared.
TEST_F(GridClipboardTest, CopyingManyRecordsCostsInProportionToTheirCsvExport) {
  ds->DisableControls();
  for (int i = 0; i < 20000; ++i) {
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(100 + i);
    ds->FieldByName("Name")->SetAsString("Name " + std::to_string(i % 997));
    ds->FieldByName("Amount")->SetAsFloat(i / 4.0);
    ds->FieldByName("Code")->SetAsString(i % 2 ? "Y" : "N");
    ds->Post();
  }
  ds->EnableControls();
  ds->First();
  grid->SetEditActions(TGridXEditActions{geaCopy, geaSelectAll});
  grid->SetAllowedSelections(TGridXSelectionTypes{selRecordsX, selRectangleX, selColumnsX, selAllX});
  grid->SetFocus();
  win::PumpMessages();
  auto press = [](UINT Key) {
    win::InjectKey(WM_KEYDOWN, VK_CONTROL);
    win::InjectKey(WM_KEYDOWN, Key);
    win::InjectKey(WM_KEYUP, Key);
    win::InjectKey(WM_KEYUP, VK_CONTROL);
  };
  press('A');
  win::PumpMessages();
  using Clock = std::chrono::steady_clock;
  auto fastest = [](const std::function<void()>& Run) {
    Clock::duration best = Clock::duration::max();
    for (int i = 0; i < 3; ++i) {
      const auto t0 = Clock::now();
      Run();
      best = std::min(best, Clock::now() - t0);
    }
    return std::chrono::duration<double, std::milli>(best).count();
  };
  std::string csv;
  const double exportMs = fastest([&] { csv = ExportGridToString<TDBGridXExportAsCSV>(grid, true); });
  const double copyMs = fastest([&] {
    press('C');
    win::PumpMessages();
  });
  RecordProperty("copy_ms", std::to_string(copyMs));
  RecordProperty("csv_export_ms", std::to_string(exportMs));
  EXPECT_LT(copyMs, 20 * exportMs) << "copy " << copyMs << " ms, CSV export " << exportMs << " ms";
  ASSERT_GT(csv.size(), 20000u * 20);
  EXPECT_EQ(clip.Blocks[CF_CSV()], Z(ExportGridClipCsv(grid, false)));
  EXPECT_EQ(clip.Blocks[CF_CSV()], Z(csv));
  EXPECT_NE(clip.Blocks[CF_TEXT].find("\r\n20099\t"), std::string::npos);
  const std::string& rtf = clip.Blocks[CF_RTF()];
  EXPECT_EQ(rtf, Z(ExportGridClipRtf(grid, true)));
  EXPECT_NE(rtf.find("20099"), std::string::npos);
  EXPECT_EQ(clip.Blocks[GridDataClipboardFormat()], ExportGridClipData(grid, true));
}

TEST_F(GridClipboardTest, FindDialogAndCopyFromPriorKeys) {
  DBGridXFindDlgs::Initialize();
  auto o = grid->Options();
  o.Include(gdoEditing);
  grid->SetOptions(o);
  grid->SetFocus();
  win::PumpMessages();
  ds->First();
  ds->Next();
  grid->SetCol(grid->DataToRawColumn(1));
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  win::InjectKey(WM_KEYDOWN, 222);
  win::InjectKey(WM_KEYUP, 222);
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Ann");
  ds->Cancel();
  // The find short-cut opens the dialog only with the find-dialog option.
  grid->SetFocus();
  win::PumpMessages();
  grid->SetOptionsX(grid->OptionsX() + TGridXExtOptions{gxoFindDialog});
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  win::InjectKey(WM_KEYDOWN, 'F');
  win::InjectKey(WM_KEYUP, 'F');
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  ASSERT_NE(GridFindDialog(), nullptr);
  EXPECT_TRUE(GridFindDialog()->Visible());
  EXPECT_EQ(GridFindDialog()->TargetGrid, grid);
  DBGridXFindDlgs::Finalize();
}

}  // namespace

namespace {

std::string Row(TDataSet* ds, int R) {
  ds->First();
  ds->MoveBy(R);
  return ds->FieldByName("Name")->AsString() + "|" + ds->FieldByName("Amount")->AsString() + "|" +
         ds->FieldByName("Code")->AsString();
}

TEST_F(GridClipboardTest, PastePrefersGridDataOverText) {
  SelectRecords({1});
  CopyGridToClipboard(grid, false);
  ASSERT_GE(clip.Blocks[GridDataClipboardFormat()].size(), 12u);
  // Another program's text beside our grid data: the grid data wins.
  OthersCopied({{GridDataClipboardFormat(), clip.Blocks[GridDataClipboardFormat()]}, {CF_TEXT, Z("9\tText")}});
  grid->SelectionX()->EmptySelection();
  SelectRecords({3});
  PasteGridFromClipboard(grid, false);
  EXPECT_EQ(Row(ds, 3), Row(ds, 1));
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2);
}

TEST_F(GridClipboardTest, CopyAndPasteEachSelectionKind) {
  // Records: the selected record's values go into the record selected for the paste.
  SelectRecords({0});
  CopyGridToClipboard(grid, false);
  grid->SelectionX()->EmptySelection();
  SelectRecords({4});
  PasteGridFromClipboard(grid, false);
  EXPECT_EQ(Row(ds, 4), "Ann|1.25|Y");
  Reload();

  // A rectangle: Name and Amount of the first two records into the last two.
  ds->First();
  TBookmark a = ds->Bookmark();
  ds->Next();
  TBookmark b = ds->Bookmark();
  grid->SelectionX()->Rect()->Select(1, a, false);
  grid->SelectionX()->Rect()->Select(2, b, true);
  CopyGridToClipboard(grid, false);
  EXPECT_EQ(std::count(clip.Blocks[CF_TEXT].begin(), clip.Blocks[CF_TEXT].end(), '\n'), 2);  // titles + 2 lines
  ds->Last();
  TBookmark d = ds->Bookmark();
  ds->Prior();
  TBookmark c = ds->Bookmark();
  grid->SelectionX()->Rect()->Select(1, c, false);
  grid->SelectionX()->Rect()->Select(2, d, true);
  PasteGridFromClipboard(grid, false);
  EXPECT_EQ(Row(ds, 3), "Ann|1.25|?");
  EXPECT_EQ(Row(ds, 4), "Bob|2.5|N");
  Reload();

  // Columns: the Code column of every record into the Name column.
  grid->SelectionX()->Columns()->SelectSingleColumn(Col(5), false);
  CopyGridToClipboard(grid, false);
  grid->SelectionX()->Columns()->SelectSingleColumn(Col(1), false);
  PasteGridFromClipboard(grid, false);
  EXPECT_EQ(Names(), "Y,N,Y,?,N,");
  Reload();

  // Everything: the select-all kind copies every record.
  grid->SelectionX()->SelectEverything();
  CopyGridToClipboard(grid, false);
  EXPECT_EQ(std::count(clip.Blocks[CF_TEXT].begin(), clip.Blocks[CF_TEXT].end(), '\n'), 5);
  EXPECT_NE(clip.Blocks[CF_TEXT].find("Émile"), std::string::npos);
  // Cut on a whole selection without confirmation empties the data set.
  Confirm(false);
  CutGridToClipboard(grid, false);
  EXPECT_EQ(ds->RecordCount(), 0);
}

}  // namespace

namespace {

// A grid-data block of two columns from another program, one record per pair of encoded values.
std::string GridDataBlock(const std::vector<std::pair<std::string, std::string>>& Records) {
  std::string b("VCLDBIF\x01", 8);
  const int32_t n = 2;
  b.append(reinterpret_cast<const char*>(&n), 4);
  b += std::string("\x01\0\x01\0", 4);
  for (const auto& r : Records) b += r.first + r.second;
  return b + std::string(1, '\0');
}
std::string FloatValue(double V) { return "\x04" + std::string(reinterpret_cast<const char*>(&V), 8); }
std::string TextValue(const std::string& S) {
  const int32_t L = static_cast<int32_t>(S.size());
  return "\x05" + std::string(reinterpret_cast<const char*>(&L), 4) + S;
}

// Values that no date text can show, and infinite or undefined numbers, are refused cell by cell with the
// field's conversion error; the fields keep their values, so the grid's texts and a copy still work.
TEST_F(GridClipboardTest, PastedValuesOutsideAFieldsRangeAreRefusedAndTheOldValuesKept) {
  grid->SetEditActions(TGridXEditActions{geaCut, geaCopy, geaPaste, geaDelete, geaSelectAll});
  grid->SetFocus();
  win::PumpMessages();
  struct {
    std::string amount, born;
    const char* amountError;
    const char* bornError;
  } cases[] = {
      {TextValue("1e400"), FloatValue(1e300), "'1e400' is not a valid floating point value for field 'Amount'",
       "'1E300' is not a valid date value for field 'Born'"},
      {TextValue("NAN"), FloatValue(-1e300), "'NAN' is not a valid floating point value for field 'Amount'",
       "'-1E300' is not a valid date value for field 'Born'"},
      {FloatValue(HUGE_VAL), FloatValue(std::nan("")), "'INF' is not a valid floating point value for field 'Amount'",
       "'NAN' is not a valid date value for field 'Born'"},
      // The day after the last one the platform shows (10000-01-01).
      {FloatValue(-HUGE_VAL), FloatValue(2958466.0), "'-INF' is not a valid floating point value for field 'Amount'",
       "'2958466' is not a valid date value for field 'Born'"},
  };
  std::vector<std::pair<std::string, std::string>> records;
  for (const auto& c : cases) records.push_back({c.amount, c.born});
  std::vector<std::string> before;
  for (int r = 0; r < 4; ++r) before.push_back(TextAt(2, r) + "|" + TextAt(3, r));
  OthersCopied({{GridDataClipboardFormat(), GridDataBlock(records)}});
  for (int i = 0; i < 8; ++i) dialogs.PushResult(IDYES);  // skip the cell, go on
  ds->First();
  grid->SetCol(grid->DataToRawColumn(2));
  win::InjectKey(WM_KEYDOWN, VK_SHIFT);
  win::InjectKey(WM_KEYDOWN, VK_INSERT);
  win::InjectKey(WM_KEYUP, VK_INSERT);
  win::InjectKey(WM_KEYUP, VK_SHIFT);
  win::PumpMessages();
  const auto& texts = dialogs.MessageTexts();
  ASSERT_EQ(texts.size(), 8u);
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NE(texts[2 * i].find(std::string("\n") + cases[i].amountError + "\n"), std::string::npos) << texts[2 * i];
    EXPECT_NE(texts[2 * i + 1].find(std::string("\n") + cases[i].bornError + "\n"), std::string::npos)
        << texts[2 * i + 1];
    EXPECT_EQ(TextAt(2, int(i)) + "|" + TextAt(3, int(i)), before[i]);
  }
  EXPECT_EQ(ds->State(), dsBrowse);
  // Every record still shows and copies.
  ds->First();
  grid->SelectionX()->SelectAll();
  EXPECT_NE(ExportGridClipText(grid, false).find("2000-01-04"), std::string::npos);
}

}  // namespace

// A pick-list entry with no key beside it (the key list is shorter) cannot be stored: pasting it asks
// the cell-error question, and Yes skips that cell and goes on with the next record.
TEST_F(GridClipboardTest, APastedPickListEntryBeyondTheKeyListAsksTheCellErrorQuestion) {
  grid->SetEditActions(TGridXEditActions{geaCut, geaCopy, geaPaste, geaDelete, geaSelectAll});
  grid->SetFocus();
  win::PumpMessages();
  TColumnX* code = Col(5);
  ASSERT_EQ(code->FieldName(), "Code");
  for (const char* s : {"Yes", "No", "Maybe"}) code->PickList()->Add(s);
  for (const char* s : {"Y", "N"}) code->KeyList()->Add(s);
  ASSERT_EQ(code->GetCellKind(), cckKeyPickList);
  OthersCopied({{CF_TEXT, Z("Maybe\r\nyes")}});
  dialogs.PushResult(IDYES);
  ds->First();
  ds->MoveBy(3);  // Dora, code "?"
  grid->SetCol(grid->DataToRawColumn(5));
  win::InjectKey(WM_KEYDOWN, VK_SHIFT);
  win::InjectKey(WM_KEYDOWN, VK_INSERT);
  win::InjectKey(WM_KEYUP, VK_INSERT);
  win::InjectKey(WM_KEYUP, VK_SHIFT);
  win::PumpMessages();
  const auto& texts = dialogs.MessageTexts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], "插入值过程中出错:\nList index out of bounds (2)\n\n忽略错误?");
  ds->First();
  ds->MoveBy(3);
  EXPECT_EQ(ds->FieldByName("Code")->AsString(), "?");
  ds->Next();
  EXPECT_EQ(ds->FieldByName("Code")->AsString(), "Y");
  EXPECT_EQ(ds->State(), dsBrowse);
}
