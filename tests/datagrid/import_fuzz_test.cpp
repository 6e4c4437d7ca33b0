// The readers fed truncated, corrupted and hostile bytes (run under the sanitizers in CI): every input
// either imports or fails with the format's message, nothing reads outside its buffer, and the data
// set is never left in the middle of a record.
#include <cstring>
#include <random>

#include "datagrid/DBGridXBinary.h"
#include "datagrid/DBGridXImport.h"
#include "impexp_fixture.h"

namespace {

struct Outcome {
  int ok = 0, failed = 0;
};

}  // namespace

class ImportFuzzTest : public ImpExpTest {
 protected:
  // Imports Bytes over the grid from record 1 (overwrite, then append); Error is the one message a
  // failure may carry (empty: no failure allowed).
  template <typename T>
  void Feed(const std::string& bytes, const std::string& error, Outcome& out, bool insertAll = false) {
    ResetData();
    grid->SetCol(grid->DataToRawColumn(0));
    T imp;
    imp.DBGridX = grid;
    imp.OnCellError = [](const std::string&) { return mrAll; };  // conversion errors of garbage values
    if (insertAll) {
      ds->Last();
      ds->Next();
    }
    try {
      ImportGridFromString(imp, bytes, false);
      ++out.ok;
    } catch (const Exception& e) {
      ++out.failed;
      if (error.empty())
        ADD_FAILURE() << "unexpected error " << e.Message();
      else
        EXPECT_EQ(e.Message(), error);
    }
    ASSERT_EQ(ds->State(), dsBrowse);
    ASSERT_GE(ds->RecordCount(), 5);
  }
};

TEST_F(ImportFuzzTest, BinaryReader) {
  TDBGridXExportAsGridData e;
  e.DBGridX = grid;
  const std::string good = ExportGridToString(e, true);
  const std::string err = GridDataFormat::FormatErrorMessage();
  Outcome out;
  // Every truncation: only the whole stream imports.
  for (size_t n = 0; n < good.size(); ++n) {
    Outcome one;
    Feed<TDBGridXImportAsGridData>(good.substr(0, n), err, one);
    EXPECT_EQ(one.failed, 1) << "prefix " << n;
  }
  Feed<TDBGridXImportAsGridData>(good, err, out);
  EXPECT_EQ(out.ok, 1);
  // Appending a cut stream adds whole records only: five per complete export, none half-filled.
  for (size_t n : {good.size() / 3, good.size() / 2, good.size() - 2}) {
    Outcome one;
    Feed<TDBGridXImportAsGridData>(good.substr(0, n), err, one, true);
    for (int r = 6; r <= ds->RecordCount(); ++r) EXPECT_FALSE(TextAt(ds, r, "Code").empty()) << "record " << r;
  }
  std::mt19937 rng(20261210);
  const int32_t hostile[] = {-1, INT32_MIN, INT32_MAX, 0x10000000, 65536};
  for (int i = 0; i < 400; ++i) {
    std::string b = good;
    const int kind = i % 4;
    if (kind == 0) {  // flip bytes
      for (int k = 0; k < 3; ++k) b[rng() % b.size()] ^= static_cast<char>(1 + rng() % 255);
    } else if (kind == 1) {  // a hostile 32-bit value anywhere
      const int32_t v = hostile[rng() % 5];
      std::memcpy(&b[8 + rng() % (b.size() - 12)], &v, 4);
    } else if (kind == 2) {  // cut and corrupt
      b.resize(13 + rng() % (b.size() - 13));
      b[12 + rng() % (b.size() - 12)] = static_cast<char>(rng());
    } else {  // garbage after a valid header
      b = b.substr(0, 12 + rng() % 16);
      for (int k = 0; k < 40; ++k) b.push_back(static_cast<char>(rng()));
    }
    Feed<TDBGridXImportAsGridData>(b, err, out);
  }
  EXPECT_GT(out.failed, 100);
}

TEST_F(ImportFuzzTest, TextAndCsvReaders) {
  grid->SetOptions(grid->Options() - gdoTitles);
  TDBGridXExportAsText t;
  t.DBGridX = grid;
  const std::string text = ExportGridToString(t, true);
  TDBGridXExportAsCSV c;
  c.DBGridX = grid;
  const std::string csv = ExportGridToString(c, true);
  const std::string csvErr = "TDBGridXImportAsCSV.ReadRecord: " + ImpExpResString(65111);
  Outcome out;
  for (size_t n = 0; n <= text.size(); ++n) Feed<TDBGridXImportAsText>(text.substr(0, n), "", out);
  for (size_t n = 0; n <= csv.size(); ++n) Feed<TDBGridXImportAsCSV>(csv.substr(0, n), csvErr, out);
  std::mt19937 rng(7);
  const char pool[] = {'\t', '\r', '\n', '"', ';', '\0', 'x', '\xC3', '\xFF'};
  for (int i = 0; i < 300; ++i) {
    std::string a = text, b = csv;
    for (int k = 0; k < 4; ++k) {
      a[rng() % a.size()] = pool[rng() % sizeof pool];
      b[rng() % b.size()] = pool[rng() % sizeof pool];
    }
    Feed<TDBGridXImportAsText>(a, "", out);
    Feed<TDBGridXImportAsCSV>(b, csvErr, out);
  }
  EXPECT_GT(out.ok, 300);
}
