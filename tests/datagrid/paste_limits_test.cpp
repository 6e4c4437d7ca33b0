// Pasting hostile clipboard contents: a grid-data block that declares more columns than a grid has is
// refused before anything is allocated for them; text cells beyond the target columns are dropped as
// they are read; the cell-error question quotes only the beginning and end of a huge cell.
#include <sys/resource.h>

#include "datagrid/DBGridXBinary.h"
#include "datagrid/DBGridXClipboard.h"
#include "datagrid/DBGridXUnit.h"
#include "platform/win/clipboard.h"
#include "platform/win/dialogs.h"
#include "tests/datagrid/grid_fixture.h"

namespace {

class GridPasteLimitsTest : public DataGridTest {
 protected:
  void SetUp() override {
    DataGridTest::SetUp();
    DBGridXUnit::Initialize();
    DBGridXClipboard::Initialize();
    win::InstallClipboardBackend(&clip);
    dialogs.Install();
    Bind();
  }
  void TearDown() override {
    dialogs.Uninstall();
    win::InstallClipboardBackend(nullptr);
    DBGridXClipboard::Finalize();
    DBGridXUnit::Finalize();
    DataGridTest::TearDown();
  }
  // Plays another program that copied this block; the grid pastes it at its first record and column.
  std::string Paste(UINT Format, std::string Block) {
    clip.Blocks = {{Format, std::move(Block)}};
    clip.OthersCopied = true;
    ds->First();
    grid->SetCol(grid->DataToRawColumn(0));
    try {
      PasteGridFromClipboard(grid, false);
    } catch (const EAbort&) {
      return "(stopped)";
    } catch (const Exception& E) {
      return E.Message();
    }
    return {};
  }
  std::string Record(int R) {
    ds->First();
    ds->MoveBy(R);
    std::string S;
    for (const char* F : {"ID", "Name", "Amount", "Born", "Active", "Code"})
      S += (S.empty() ? "" : "|") + ds->FieldByName(F)->AsString();
    return S;
  }
  win::MemoryClipboard clip;
  win::ScriptedDialogs dialogs;
};

// A grid-data block of Columns columns and one record: the integer 42, the text "Zed", then values
// that are not there ("unassigned") for the other columns.
std::string GridDataBlock(int32_t Columns) {
  std::string B("VCLDBIF\x01", 8);
  B.append(reinterpret_cast<const char*>(&Columns), 4);
  B.reserve(B.size() + size_t(Columns) * 3 + 16);
  for (int32_t i = 0; i < Columns; ++i) B.append("\x01\0", 2);
  const int32_t V = 42, L = 3;
  B.push_back('\x03');
  B.append(reinterpret_cast<const char*>(&V), 4);
  B.push_back('\x05');
  B.append(reinterpret_cast<const char*>(&L), 4);
  B += "Zed";
  B.append(size_t(Columns) - 2, '\x01');
  B.push_back('\0');
  return B;
}

long PeakResidentKiB() {
  rusage U{};
  getrusage(RUSAGE_SELF, &U);
  return U.ru_maxrss;
}

}  // namespace

TEST_F(GridPasteLimitsTest, GridDataDeclaringMoreColumnsThanAGridHasIsRefused) {
  const std::string Before = Record(0);
  const std::string Refused = "TDBGridXImportAsVCLDBIF.ReadPrefix: 错误的 VCLDBIF 格式";
  // Ten million columns in a 30 MB block whose bytes would hold them: refused with the format error,
  // nothing changed.
  std::string Hostile = GridDataBlock(10'000'000);
  ASSERT_GE(Hostile.size(), 30'000'000u);
  EXPECT_EQ(Paste(GridDataClipboardFormat(), std::move(Hostile)), Refused);
  EXPECT_EQ(Record(0), Before);
  EXPECT_EQ(ds->State(), dsBrowse);
  // At the limit a block is taken, the values beyond the grid's columns read and dropped; one more
  // column is refused.
  struct Case {
    int32_t Columns;
    std::string Error, Record0;
  } Cases[] = {
      {GridDataFormat::MaxColumns + 1, Refused, Before},
      {GridDataFormat::MaxColumns, "", "42|Zed|1.25|2000-01-01|True|Y"},
      {7, "", "42|Zed|1.25|2000-01-01|True|Y"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Columns);
    ds->First();
    ds->Edit();
    ds->FieldByName("ID")->SetAsInteger(1);
    ds->FieldByName("Name")->SetAsString("Ann");
    ds->Post();
    EXPECT_EQ(Paste(GridDataClipboardFormat(), GridDataBlock(C.Columns)), C.Error);
    EXPECT_EQ(Record(0), C.Record0);
    EXPECT_EQ(Record(1), "2|Bob|2.5|2000-01-02|False|N");
  }
}

TEST_F(GridPasteLimitsTest, TextCellsBeyondTheGridsColumnsAreDroppedAsTheyAreRead) {
  // One line of 10 MB of TABs after two cells, then a second line: the two lines fill two records, and
  // the ten million empty cells past the six columns are not kept (the 10 MB paste took over 500 MB
  // when they were).
  std::string Text = "7\tZed\t3.5\t2001-02-03\tTrue\tQ";
  Text.append(10'000'000, '\t');
  Text += "tail\r\n8\tYves";
  Text.push_back('\0');
  const long Before = PeakResidentKiB();
  EXPECT_EQ(Paste(CF_TEXT, std::move(Text)), "");
  const long Grown = PeakResidentKiB() - Before;
  EXPECT_EQ(Record(0), "7|Zed|3.5|2001-02-03|True|Q");
  EXPECT_EQ(Record(1), "8|Yves|2.5|2000-01-02|False|N");
  // The clipboard's copies of the 10 MB text are the bulk of what the paste needs.
  EXPECT_LT(Grown, 200 * 1024) << "peak resident memory grew by " << Grown << " KiB";
}

TEST_F(GridPasteLimitsTest, TheCellErrorQuestionQuotesTheBeginningAndEndOfAHugeCell) {
  // A 1 MB text pasted into the integer column: the question shows a few hundred characters of it.
  std::string Cell = "BEGIN";
  Cell.append(1'000'000, 'x');
  Cell += "END";
  dialogs.PushResult(IDNO);
  EXPECT_EQ(Paste(CF_TEXT, Cell + "\tZed" + std::string(1, '\0')), "(stopped)");  // "No" stops silently
  ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
  const std::string Q = dialogs.MessageTexts()[0];
  EXPECT_LT(Q.size(), 600u) << Q.substr(0, 1000);
  EXPECT_EQ(Q.rfind("插入值过程中出错:\n", 0), 0u) << Q.substr(0, 1000);
  EXPECT_NE(Q.find("BEGINxxx"), std::string::npos) << Q.substr(0, 1000);
  EXPECT_NE(Q.find("..."), std::string::npos) << Q.substr(0, 1000);
  EXPECT_EQ(Q.substr(Q.size() - 15), "\n\n忽略错误?") << Q.substr(0, 1000);
  EXPECT_EQ(Record(0), "1|Ann|1.25|2000-01-01|True|Y");
}
