// A one-record scroll moves the data rows' pixels and paints only what comes in, with the same result
// as painting everything; and the in-place search that scans the in-memory data set's stored text
// finds what the record-by-record walk finds.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/rtl/sysutils.h"
#include "tests/datagrid/nav_fixture.h"

namespace {

std::vector<char> ReadFile(const std::string& Path) {
  std::ifstream f(Path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

class ScrollWindowTest : public NavGridTest {
 protected:
  // The host's pixels as a PNG file's bytes.
  std::vector<char> Pixels() {
    std::string path = win::TempFolder("scroll_pixels") + "/pixels.png";
    EXPECT_TRUE(win::SaveWindowPng(host->Handle(), path));
    std::vector<char> v = ReadFile(path);
    std::filesystem::remove(path);
    return v;
  }
  int draws = 0;
};

}  // namespace

TEST_F(ScrollWindowTest, AOneRowScrollPaintsOnlyWhatComesInAndMatchesAFullRepaint) {
  struct Config {
    const char* Name;
    int Footers;
    bool RowSelect;
    bool Selected;
  } configs[] = {
      {"plain", 0, false, false},
      {"footers", 1, false, false},
      {"row select, selected records", 0, true, true},
  };
  for (const Config& c : configs) {
    SCOPED_TRACE(c.Name);
    Make(200);
    if (c.RowSelect) AddOptions({gdoRowSelect, gdoMultiSelect});
    if (c.Footers) grid->SetFooterRowCount(c.Footers);
    grid->OnDrawColumnCell = [this](TObject*, const TRect&, int, TColumnX*, TGridDrawState) { ++draws; };
    win::PumpMessages();
    if (c.Selected) {
      ds->MoveBy(3);
      grid->SelectedRows()->SetCurrentRowSelected(true);
      ds->MoveBy(2);
      grid->SelectedRows()->SetCurrentRowSelected(true);
      ds->First();
      win::PumpMessages();
    }
    int shown = grid->DataLink()->RecordCount();
    ASSERT_GT(shown, 5);
    for (int dir : {1, -1}) {
      SCOPED_TRACE(dir);
      // To the edge of the shown records, then one record beyond it.
      if (dir > 0) ds->MoveBy(shown - 1 - grid->DataLink()->ActiveRecord());
      else ds->MoveBy(-grid->DataLink()->ActiveRecord());
      win::PumpMessages();
      int firstID = CurrentID() - grid->DataLink()->ActiveRecord();
      draws = 0;
      ds->MoveBy(dir);
      win::PumpMessages();
      EXPECT_EQ(CurrentID() - grid->DataLink()->ActiveRecord(), firstID + dir);  // the window moved by one
      int scrolled = draws;
      std::vector<char> after = Pixels();
      draws = 0;
      grid->Invalidate();
      win::PumpMessages();
      int full = draws;
      EXPECT_EQ(full, shown * grid->Columns()->Count());
      // The incoming row and the old and new current rows at most.
      EXPECT_LE(scrolled, 3 * grid->Columns()->Count());
      EXPECT_GT(scrolled, 0);
      EXPECT_TRUE(after == Pixels());
    }
    owner.reset();
    owner = std::make_unique<TComponent>(nullptr);
    host = new TGridHostX(owner.get());
    host->SetBounds(50, 50, 640, 400);
    host->HandleNeeded();
  }
}

TEST_F(ScrollWindowTest, ScrollingMoreThanAPageRepaintsEverythingOnce) {
  Make(200);
  int draws = 0;
  grid->OnDrawColumnCell = [&](TObject*, const TRect&, int, TColumnX*, TGridDrawState) { ++draws; };
  int shown = grid->DataLink()->RecordCount();
  ds->MoveBy(3 * shown);
  win::PumpMessages();
  EXPECT_EQ(draws, shown * grid->Columns()->Count());
}

// Each search runs against a plain walk over the records written here: on the Name column where the
// in-memory data set scans its stored text, on the same column with a text event (each record read
// in place and its display text formed), and on the numbers of the ID column (read in place too).
TEST_F(NavGridTest, StoredTextSearchFindsWhatTheWalkFinds) {
  Make(0);
  const char* names[] = {"Ärger", "alpha", "MCDONALD", "ärmel", "Beta", "mcdougall", "Zeta", "alps", "", "ÄRA"};
  ds->DisableControls();
  int id = 1;
  for (const char* n : names) {
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(id++);
    if (*n) ds->FieldByName("Name")->SetAsString(n);
    ds->Post();
  }
  ds->First();
  ds->EnableControls();
  grid->Columns()->Items(ColumnOf("Name"))->SetReadOnly(true);
  struct Case {
    int StartID;
    const char* Text;
    int Mode;
    const char* Field = "Name";
  } cases[] = {
      {1, "al", 0},  {1, "AL", 0}, {1, "alps", 0}, {1, "alx", 0}, {1, "är", 0}, {1, "ÄRM", 0}, {1, "mcd", 0},
      {3, "mcd", 1}, {6, "mcd", 1}, {6, "mcd", 2}, {3, "mcd", 2}, {4, "är", 1}, {10, "är", 2}, {2, "z", 0},
      {9, "a", 1},   {1, "ärgerlich", 0}, {1, "1", 1, "ID"}, {10, "1", 2, "ID"}, {3, "5", 0, "ID"},
      {1, "11", 0, "ID"}, {1, "10", 0, "ID"}, {10, "1", 1, "ID"},
  };
  auto run = [&](const Case& c, int& FoundID, std::string& Text) {
    ds->Locate("ID", c.StartID, {});
    grid->SelectColumn(ColumnOf(c.Field), 0, false);
    grid->StopInplaceSearch();
    grid->InplaceSearch(c.Text, -1, c.Mode);
    FoundID = CurrentID();
    Text = grid->SearchText();
    grid->StopInplaceSearch();
  };
  // The walk: the current record first (type-ahead), then record by record from the first one, after
  // the current one or back from it; nothing found keeps the record and the previous (empty) text.
  auto walk = [&](const Case& c, int& FoundID, std::string& Text) {
    ds->Locate("ID", c.StartID, {});
    TColumnX* col = grid->Columns()->Items(ColumnOf(c.Field));
    std::string want = AnsiUpperCase(c.Text);
    auto matches = [&](std::string& Cut) {
      Cut = Utf8Left(col->GetCellDisplayText(), Utf8Length(c.Text));
      return AnsiUpperCase(Cut) == want;
    };
    FoundID = c.StartID;
    Text.clear();
    std::string cut;
    if (c.Mode == 0 && matches(cut)) {
      Text = cut;
      return;
    }
    if (c.Mode == 1) ds->Next();
    else if (c.Mode == 2) ds->Prior();
    else ds->First();
    while (c.Mode == 2 ? !ds->Bof() : !ds->Eof()) {
      if (matches(cut)) {
        FoundID = CurrentID();
        Text = cut;
        return;
      }
      if (c.Mode == 2) ds->Prior();
      else ds->Next();
    }
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Field) + " " + c.Text + " mode " + std::to_string(c.Mode) + " from " +
                 std::to_string(c.StartID));
    int scanned, read, walked;
    std::string scannedText, readText, walkedText;
    walk(c, walked, walkedText);
    run(c, scanned, scannedText);
    ds->FieldByName("Name")->OnGetText = [](TField* F, std::string& T, bool) { T = F->AsString(); };
    run(c, read, readText);
    ds->FieldByName("Name")->OnGetText = nullptr;
    EXPECT_EQ(scanned, walked);
    EXPECT_EQ(scannedText, walkedText);
    EXPECT_EQ(read, walked);
    EXPECT_EQ(readText, walkedText);
  }
  // A few answers spelled out.
  int found;
  std::string text;
  run({1, "mcd", 0}, found, text);
  EXPECT_EQ(found, 3);
  EXPECT_EQ(text, "MCD");
  run({3, "mcd", 1}, found, text);
  EXPECT_EQ(found, 6);
  EXPECT_EQ(text, "mcd");
  run({1, "ÄRM", 0}, found, text);
  EXPECT_EQ(found, 4);
  EXPECT_EQ(text, "ärm");
  run({6, "x", 0}, found, text);
  EXPECT_EQ(found, 6);  // nothing found: the record stays, the text stays empty
  EXPECT_EQ(text, "");
}
