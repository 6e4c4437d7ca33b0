// Import into a grid: round trips, the text reader's line ends and cells, lookup and key-list columns,
// target records by selection, the binary reader's checks, cell errors.
#include "datagrid/DBGridXBinary.h"
#include "datagrid/DBGridXImport.h"
#include "impexp_fixture.h"
#include "platform/win/dialogs.h"

namespace {

std::string Export(TDBGridXExport& e, TCustomDBGridX* g) {
  e.DBGridX = g;
  return ExportGridToString(e, true);
}

template <typename T>
void Import(TCustomDBGridX* g, const std::string& bytes, bool all = false) {
  T i;
  i.DBGridX = g;
  ImportGridFromString(i, bytes, all);
}

std::string Header(int32_t n, uint8_t version = 1) {
  std::string h("VCLDBIF", 7);
  h.push_back(static_cast<char>(version));
  h.append(reinterpret_cast<const char*>(&n), 4);
  for (int i = 0; i < n; ++i) h += std::string("\x01\0", 2);
  return h;
}

std::string I32(int32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

}  // namespace

class ImportTest : public ImpExpTest {
 protected:
  // A second grid over an empty data set of the same fields.
  void MakeTarget() {
    ds2 = MakeDataSet();
    src2 = new TDataSource(owner.get());
    src2->SetDataSet(ds2);
    grid2 = MakeGrid(src2);
  }
  std::string Row(TDataSet* d, int recNo) {
    d->First();
    d->MoveBy(recNo - 1);
    std::string s;
    for (const char* f : {"ID", "Name", "Amount", "Born", "Code", "CodeText"})
      s += (s.empty() ? "" : "|") + d->FieldByName(f)->AsString();
    return s;
  }
  TMemDataSet* ds2 = nullptr;
  TDataSource* src2 = nullptr;
  TDBGridX* grid2 = nullptr;
};

TEST_F(ImportTest, RoundTripsThroughBinaryAndCsv) {
  MakeTarget();
  TDBGridXExportAsGridData b1;
  const std::string bin = Export(b1, grid);
  Import<TDBGridXImportAsGridData>(grid2, bin, true);
  EXPECT_EQ(ds2->RecordCount(), 5);
  TDBGridXExportAsGridData b2;
  EXPECT_EQ(Export(b2, grid2), bin);
  for (int r = 1; r <= 5; ++r) EXPECT_EQ(Row(ds2, r), Row(ds, r));

  // CSV without titles: into a third grid and out again, byte for byte (the lookup text finds its key).
  grid->SetOptions(grid->Options() - gdoTitles);
  TDBGridXExportAsCSV c1;
  const std::string csv = Export(c1, grid);
  ds2->First();
  while (!ds2->IsEmpty()) ds2->Delete();
  grid2->SetOptions(grid2->Options() - gdoTitles);
  Import<TDBGridXImportAsCSV>(grid2, csv, true);
  TDBGridXExportAsCSV c2;
  EXPECT_EQ(Export(c2, grid2), csv);
}

TEST_F(ImportTest, TextLineEndsAndCells) {
  // The whole text says how records end: when it holds a CR LF only CR LF does, and a lone LF or CR is
  // text of its cell (also before the first CR LF); else, when it holds an LF, LF does and a CR is cell
  // text; else CR does. TAB splits cells; a TAB before a line end adds no cell; a line with fewer cells
  // leaves the later columns; extra cells are dropped.
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> rows;  // records 1..n after import from record 1, column 0
  } cases[] = {
      {"CR LF", "7\tA\r\n8\tB", {"7|A", "8|B"}},
      {"lone CR", "7\tA\r8\tB\r", {"7|A", "8|B"}},
      {"lone LF", "7\tA\n8\tB\n", {"7|A", "8|B"}},
      {"CR LF first: lone LF and CR are cell text", "7\tA\r\n8\tB\nC\r\n9\tD\rE\n", {"7|A", "8|B\nC", "9|D\rE\n"}},
      {"CR LF first: a CR before CR LF is cell text", "7\tA\r\n8\tB\r\r\n9", {"7|A", "8|B\r", "9|"}},
      {"lone LF first: LF ends records, a CR is cell text", "7\tA\n8\tB\rC\n\n9", {"7|A", "8|B\rC", "3|", "9|"}},
      {"a cell's LF before the first CR LF", "7\tA\nB\r\n8\tC\r\n", {"7|A\nB", "8|C"}},
      {"a cell's CR before the first CR LF", "7\tA\rB\r\n8\tC", {"7|A\rB", "8|C"}},
      // The reader takes 64 KiB at a time: this CR is the last byte of the first block, its LF the first
      // of the next (the seventh cell and later are dropped).
      {"a CR LF across the reader's blocks", "7\tA\nB\t\t\t\t\t\t" + std::string(65535 - 11, 'x') + "\r\n8\tC",
       {"7|A\nB", "8|C"}},
      {"lone CR first, an LF later: LF ends records", "7\tA\rB\n8\tC\r", {"7|A\rB", "8|C\r"}},
      {"trailing TAB", "7\t\r\n", {"7|Ann"}},
      {"short line", "9", {"9|Ann"}},
      {"long line", "7\tA\t3.5\t2001-02-03\tN\tignored\textra", {"7|A"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetData();
    ds->First();
    Import<TDBGridXImportAsText>(grid, c.text);
    for (size_t r = 0; r < c.rows.size(); ++r) {
      const std::string row = Row(ds, static_cast<int>(r) + 1);
      EXPECT_EQ(row.substr(0, c.rows[r].size()), c.rows[r]) << "record " << r + 1;
    }
    EXPECT_EQ(ds->State(), dsBrowse);
  }
  EXPECT_EQ(Row(ds, 1), "7|A|3.5|2001-02-03|N|No");
}

TEST_F(ImportTest, TextWithLineBreaksInsideCellsComesBackRecordForRecord) {
  // Line breaks in the first records' cells come before the first CR LF that ends a record.
  ds->First();
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("Ann\nLee");
  ds->Post();
  ds->Next();
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("Bo\rZhu\n");
  ds->Post();
  grid->SetOptions(grid->Options() - gdoTitles);
  TDBGridXExportAsText e;
  const std::string text = Export(e, grid);
  ASSERT_LT(text.find('\n'), text.find("\r\n"));
  MakeTarget();
  grid2->SetOptions(grid2->Options() - gdoTitles);
  Import<TDBGridXImportAsText>(grid2, text, true);
  ASSERT_EQ(ds2->RecordCount(), 5);
  for (int r = 1; r <= 5; ++r) EXPECT_EQ(Row(ds2, r), Row(ds, r)) << "record " << r;
  EXPECT_EQ(TextAt(ds2, 1, "Name"), "Ann\nLee");
  EXPECT_EQ(TextAt(ds2, 2, "Name"), "Bo\rZhu\n");
}

TEST_F(ImportTest, LookupAndKeyListColumnsLeaveUnknownTextsAlone) {
  // Column 5 (lookup): "un" finds "Unknown" (prefix, any case); "zzz" finds nothing.
  ds->First();
  grid->SetCol(grid->DataToRawColumn(5));
  Import<TDBGridXImportAsText>(grid, "un\r\nzzz");
  EXPECT_EQ(Row(ds, 1).substr(Row(ds, 1).rfind('|') - 1), "?|Unknown");
  EXPECT_EQ(Row(ds, 2).substr(Row(ds, 2).rfind('|') - 1), "N|No");
  // Column 4 as a key list: the pick-list text gives its key; an unknown text leaves the field.
  Col(4)->PickList()->Add("Yes please");
  Col(4)->PickList()->Add("No thanks");
  Col(4)->KeyList()->Add("Y");
  Col(4)->KeyList()->Add("N");
  ASSERT_EQ(Col(4)->GetCellKind(), cckKeyPickList);
  ds->First();
  grid->SetCol(grid->DataToRawColumn(4));
  Import<TDBGridXImportAsText>(grid, "no THANKS\r\nnot listed\r\nyes please");
  EXPECT_EQ(TextAt(ds, 1, "Code"), "N");
  EXPECT_EQ(TextAt(ds, 2, "Code"), "N");  // unchanged
  EXPECT_EQ(TextAt(ds, 3, "Code"), "Y");
}

TEST_F(ImportTest, TargetRecordsBySelectionAndState) {
  // No selection, record 4, column 1: overwrites records 4 and 5, appends the rest.
  ds->First();
  ds->MoveBy(3);
  grid->SetCol(grid->DataToRawColumn(1));
  Import<TDBGridXImportAsText>(grid, "P\r\nQ\r\nR\r\nS");
  EXPECT_EQ(ds->RecordCount(), 7);
  EXPECT_EQ(TextAt(ds, 4, "Name"), "P");
  EXPECT_EQ(TextAt(ds, 5, "Name"), "Q");
  EXPECT_EQ(TextAt(ds, 6, "Name"), "R");
  EXPECT_EQ(TextAt(ds, 7, "Name"), "S");
  // Without append permission the rest is dropped.
  grid->SetAllowedOperations(grid->AllowedOperations() - geoAppend);
  ds->Last();
  Import<TDBGridXImportAsText>(grid, "T\r\nU");
  EXPECT_EQ(ds->RecordCount(), 7);
  EXPECT_EQ(TextAt(ds, 7, "Name"), "T");
  // A data set in insert state gets every source record as a new record, in source order.
  ds->First();
  ds->MoveBy(1);
  ds->Insert();
  Import<TDBGridXImportAsText>(grid, "10\tX\r\n11\tY");
  EXPECT_EQ(ds->RecordCount(), 9);  // two new ones (the untouched pending insert is dropped)
  EXPECT_EQ(ds->State(), dsBrowse);
  // Selected rows: one source record per selected record.
  ds->First();
  grid->SelectedRows()->SetCurrentRowSelected(true);
  ds->Last();
  grid->SelectedRows()->SetCurrentRowSelected(true);
  grid->SetCol(grid->DataToRawColumn(0));
  Import<TDBGridXImportAsText>(grid, "100\r\n200\r\n300");
  ds->First();
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 100);
  ds->Last();
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 200);
}

TEST_F(ImportTest, ImportingEverythingStartsAtTheFirstRecordAndVisibleColumn) {
  // Selected rows and the current cell are left behind: the source goes over every record from the
  // first, into the visible columns from the first, and the grid's current cell moves there.
  Col(0)->SetVisible(false);
  ds->Last();
  grid->SelectedRows()->SetCurrentRowSelected(true);
  grid->SetCol(grid->DataToRawColumn(3));
  Import<TDBGridXImportAsText>(grid, "Zed\t9.5\r\nYan", true);
  EXPECT_EQ(grid->SelectedRows()->Count(), 0);
  EXPECT_EQ(grid->GetSelectedIndex(), 1);
  EXPECT_EQ(Row(ds, 1), "1|Zed|9.5|2000-01-01|Y|Yes");
  EXPECT_EQ(Row(ds, 2), "2|Yan||2000-01-02|N|No");
  EXPECT_EQ(ds->RecordCount(), 5);
}

TEST_F(ImportTest, BinaryReaderChecksEveryLength) {
  const std::string err = GridDataFormat::FormatErrorMessage();
  EXPECT_EQ(err, "TDBGridXImportAsVCLDBIF.ReadPrefix: 错误的 VCLDBIF 格式");
  struct Case {
    const char* what;
    std::string bytes;
    bool ok;
    int id1 = 0;  // ID of record 1 afterwards, when set
  } cases[] = {
      {"empty data", Header(0) + std::string(1, '\0'), true},
      {"version 2", Header(1, 2) + "\x03" + I32(42) + std::string(1, '\0'), true, 42},
      {"short header", std::string("VCLDBIF\x01\x01\0", 10), false},
      {"wrong signature", std::string("VCLDBIX\x01\0\0\0\0\0", 13), false},
      {"header only", Header(0), false},
      {"negative count", Header(0).substr(0, 8) + I32(-1) + std::string(1, '\0'), false},
      {"huge count", Header(0).substr(0, 8) + I32(0x7FFFFFFF) + std::string(3, '\0'), false},
      {"cut descriptor", Header(0).substr(0, 8) + I32(2) + std::string("\x01\0\x01", 3), false},
      {"no end tag", Header(1) + "\x03" + I32(43), false, 43},  // the complete record stays
      {"cut integer", Header(1) + "\x03\x01\x02", false},
      {"cut float", Header(1) + "\x04\x01\x02\x03\x04", false},
      {"negative length", Header(1) + "\x05" + I32(-5) + "abc" + std::string(1, '\0'), false},
      {"length past the end", Header(1) + "\x05" + I32(0x7FFFFFF0) + "abc" + std::string(1, '\0'), false},
      {"unknown tag", Header(1) + "\x09" + std::string(1, '\0'), false},
      {"end inside a record", Header(2) + "\x03" + I32(1) + std::string(1, '\0'), false},
      {"values without columns", Header(0) + "\x01" + std::string(1, '\0'), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int before = ds->RecordCount();
    ds->First();
    grid->SetCol(grid->DataToRawColumn(0));
    if (c.ok) {
      EXPECT_NO_THROW(Import<TDBGridXImportAsGridData>(grid, c.bytes));
    } else {
      try {
        Import<TDBGridXImportAsGridData>(grid, c.bytes);
        ADD_FAILURE() << "accepted";
      } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), err);
      }
    }
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->RecordCount(), before);
    if (c.id1) {
      EXPECT_EQ(TextAt(ds, 1, "ID"), std::to_string(c.id1));
    }
  }
}

TEST_F(ImportTest, BinaryValuesAndLookupKeys) {
  // ID: null; Name: empty text; Amount: 2.5; Born: no value; Code: text "?" (the lookup text follows);
  // CodeText (lookup): its key "N", which wins.
  const double a = 2.5;
  std::string rec = std::string("\x02", 1) + "\x05" + I32(0) + "\x04" + std::string(reinterpret_cast<const char*>(&a), 8) +
                    "\x01" + "\x05" + I32(1) + "?" + "\x05" + I32(1) + "N";
  ds->First();
  grid->SetCol(grid->DataToRawColumn(0));
  Import<TDBGridXImportAsGridData>(grid, Header(6) + rec + std::string(1, '\0'));
  ds->First();
  EXPECT_TRUE(ds->FieldByName("ID")->IsNull());
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "");
  EXPECT_DOUBLE_EQ(ds->FieldByName("Amount")->AsFloat(), 2.5);
  EXPECT_EQ(ds->FieldByName("Born")->AsString(), "2000-01-01");
  EXPECT_EQ(ds->FieldByName("CodeText")->AsString(), "No");
  // A corrupt second record stops the import after the first, which stays written and posted.
  ds->First();
  Import<TDBGridXImportAsGridData>(grid, Header(1) + "\x03" + I32(77) + std::string(1, '\0'));
  ds->First();
  EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 77);
  EXPECT_THROW(Import<TDBGridXImportAsGridData>(
                   grid, Header(2) + "\x03" + I32(88) + "\x05" + I32(1) + "A" + "\x03" + I32(99) + "\x07"),
               Exception);
  EXPECT_EQ(TextAt(ds, 1, "ID") + TextAt(ds, 1, "Name"), "88A");
  EXPECT_EQ(TextAt(ds, 2, "ID"), "2");  // the second record was cut: nothing of it is written
  EXPECT_EQ(ds->State(), dsBrowse);
}

TEST_F(ImportTest, CellErrorsAskToSkipStopOrIgnoreAll) {
  // Column 0 is an integer: "x" fails to convert.
  struct Case {
    int answer;
    int asked;
    std::string ids;  // IDs of records 1..3 afterwards
  } cases[] = {{mrYes, 2, "1,8,3"}, {mrAll, 1, "1,8,3"}, {mrNo, 1, "1,2,3"}};
  for (const Case& c : cases) {
    ResetData();
    ds->First();
    grid->SetCol(grid->DataToRawColumn(0));
    TDBGridXImportAsText imp;
    imp.DBGridX = grid;
    int asked = 0;
    std::string message;
    imp.OnCellError = [&](const std::string& m) {
      ++asked;
      message = m;
      return c.answer;
    };
    try {
      ImportGridFromString(imp, "x\r\n8\r\ny", false);
    } catch (const EAbort&) {
    }
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(message.substr(0, 26), "插入值过程中出错:\n");
    EXPECT_NE(message.find("\n\n忽略错误?"), std::string::npos);
    std::string ids;
    ds->First();
    for (int i = 0; i < 3; ++i, ds->Next()) ids += (i ? "," : "") + ds->FieldByName("ID")->AsString();
    EXPECT_EQ(ids, c.ids);
    EXPECT_EQ(ds->State(), dsBrowse);
  }
  // Without a handler the message box asks (Yes/No/All); "No" stops silently.
  win::ScriptedDialogs dialogs;
  dialogs.Install();
  dialogs.PushResult(IDNO);
  ResetData();
  ds->First();
  grid->SetCol(grid->DataToRawColumn(0));
  EXPECT_THROW(Import<TDBGridXImportAsText>(grid, "x"), EAbort);
  ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
  EXPECT_NE(dialogs.MessageTexts()[0].find("忽略错误?"), std::string::npos);
}

// Whether S is well-formed UTF-8: every lead byte followed by as many continuation bytes as it announces.
static bool WholeCharacters(const std::string& S) {
  for (size_t i = 0; i < S.size();) {
    const unsigned char c = static_cast<unsigned char>(S[i]);
    const size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || i + n > S.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(S[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

TEST_F(ImportTest, TheCellErrorQuestionForAHugeChineseCellKeepsWholeCharacters) {
  // Column 0 is an integer. A cell of 100,000 Chinese characters (3 bytes each) fails to convert; the
  // question quotes the error's beginning and end, never half a character.
  std::string cell;
  for (int i = 0; i < 100000; ++i) cell += i % 2 ? "中" : "文";
  for (const std::string& lead : {std::string(), std::string("x"), std::string("xy")}) {
    SCOPED_TRACE(lead.size());
    ResetData();
    ds->First();
    grid->SetCol(grid->DataToRawColumn(0));
    TDBGridXImportAsText imp;
    imp.DBGridX = grid;
    std::string message;
    imp.OnCellError = [&](const std::string& m) {
      message = m;
      return mrYes;
    };
    ImportGridFromString(imp, lead + cell, false);
    ASSERT_FALSE(message.empty());
    EXPECT_TRUE(WholeCharacters(message));
    EXPECT_LT(message.size(), 1000u);
    EXPECT_EQ(message.substr(0, 26 + 1 + lead.size() + 3), "插入值过程中出错:\n'" + lead + "文");
    EXPECT_NE(message.find("中' is not a valid integer value for field 'ID'\n\n忽略错误?"), std::string::npos)
        << message;
    EXPECT_EQ(TextAt(ds, 1, "ID"), "1");
  }
}

TEST_F(ImportTest, PasteSkipsHiddenColumns) {
  // Record 4, column 1, Amount hidden: three cells go to Name, Born and Code of records 4 and 5.
  Col(2)->SetVisible(false);
  win::PumpMessages();
  ds->First();
  ds->MoveBy(3);
  grid->SetCol(grid->DataToRawColumn(1));
  Import<TDBGridXImportAsText>(grid, "P\t2010-05-06\tY\r\nQ\t2011-07-08\tN");
  EXPECT_EQ(Row(ds, 4), "4|P|10.5|2010-05-06|Y|Yes");
  EXPECT_EQ(Row(ds, 5), "5|Q|-3.75|2011-07-08|N|No");
  EXPECT_EQ(ds->RecordCount(), 5);
}
