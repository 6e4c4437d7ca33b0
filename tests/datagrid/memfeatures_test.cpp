// Sorting and filtering an in-memory data set from the grid with nothing set up by the program: a
// title click sorts its records (a second click turns the order, Ctrl+click adds a key), and a
// condition typed into the filter row and ended with Return hides the records it does not pass, beside
// the program's own filter. Input goes in as window messages.

#include <string>
#include <vector>

#include "datagrid/DBGridXFilterRow.h"
#include "tests/datagrid/nav_fixture.h"

namespace {

class MemFeaturesTest : public NavGridTest {
 protected:
  // Make(N) with title buttons on every column.
  void MakeSortable(int N) {
    Make(N);
    grid->ColumnDefValues()->Title()->SetTitleButton(true);
    AddOptionsX({gxoAutoSortMarking, gxoMultiSortMarking});
  }
  void ClickTitle(const std::string& Field, WPARAM Keys = 0) {
    TPoint p = CellMid(grid->DataToRawColumn(ColumnOf(Field)), 0);
    Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON | Keys);
    Mouse(WM_LBUTTONUP, p, Keys);
  }
  // The records as the data set now walks them: Field's text of each.
  std::vector<std::string> Walk(const std::string& Field) {
    std::vector<std::string> v;
    for (ds->First(); !ds->Eof(); ds->Next()) v.push_back(ds->FieldByName(Field)->AsString());
    ds->First();
    return v;
  }
  // Clicks the filter cell of Field, replaces its text by Text and ends it with Return.
  void Filter(const std::string& Field, const std::string& Text) {
    TPoint p = CellMid(grid->DataToRawColumn(ColumnOf(Field)), grid->FilterGridRow());
    Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, p);
    ASSERT_TRUE(grid->FilterEditing());
    grid->FilterEditor()->SelectAll();
    if (Text.empty()) Press(VK_DELETE);
    else Type(Text);
    Type("\r");
  }
};

}  // namespace

TEST_F(MemFeaturesTest, ATitleClickSortsTheRecords) {
  MakeSortable(12);  // Code: C on every third record, D on the others
  ClickTitle("Code");
  std::vector<std::string> codes = Walk("Code");
  ASSERT_EQ(codes.size(), 12u);
  EXPECT_EQ(std::vector<std::string>(codes.begin(), codes.begin() + 4), std::vector<std::string>(4, "C"));
  EXPECT_EQ(std::vector<std::string>(codes.begin() + 4, codes.end()), std::vector<std::string>(8, "D"));
  // Again: the other way round.
  ClickTitle("Code");
  codes = Walk("Code");
  EXPECT_EQ(codes.front(), "D");
  EXPECT_EQ(codes.back(), "C");
  // Ctrl+click adds a second key (down: ascending), applied when Ctrl is let go.
  win::InjectKey(WM_KEYDOWN, VK_CONTROL);
  ClickTitle("ID", MK_CONTROL);
  win::InjectKey(WM_KEYUP, VK_CONTROL);
  win::PumpMessages();
  EXPECT_EQ(Walk("ID"), (std::vector<std::string>{"1", "2", "4", "5", "7", "8", "10", "11", "3", "6", "9", "12"}));
  // The grid shows the data set's order: its first data row is the first record.
  EXPECT_EQ(ds->RecNo(), 1);
  EXPECT_EQ(grid->Row(), grid->TitleOffset());
}

// A lookup column and a memo column sort too, by the value the user sees: the sort mark and the
// order agree. A first click sorts up, a second down; a plain click on another column starts afresh.
TEST_F(MemFeaturesTest, ALookupOrMemoTitleClickSortsByTheShownValue) {
  auto* cities = new TMemDataSet(owner.get());
  cities->AddField("CID", ftInteger);
  cities->AddField("CName", ftString, 20);
  cities->Open();
  const char* names[] = {"Oslo", "Athens", "Zagreb", "Bern"};
  for (int i = 0; i < 4; ++i) {
    cities->Append();
    cities->FieldByName("CID")->SetAsInteger(i + 1);
    cities->FieldByName("CName")->SetAsString(names[i]);
    cities->Post();
  }
  ds = new TMemDataSet(owner.get());
  ds->AddField("ID", ftInteger);
  ds->AddField("CityID", ftInteger);
  ds->AddLookupField("City", ftString, "CityID", cities, "CID", "CName", 20);
  ds->AddField("Notes", ftMemo);
  ds->Open();
  const int cityOf[] = {3, 1, 4, 2, 1};
  const char* notes[] = {"delta", "alpha", "charlie", "bravo", "echo"};
  for (int i = 0; i < 5; ++i) {
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(i + 1);
    ds->FieldByName("CityID")->SetAsInteger(cityOf[i]);
    ds->FieldByName("Notes")->SetAsString(notes[i]);
    ds->Post();
  }
  ds->First();
  src = new TDataSource(owner.get());
  src->SetDataSet(ds);
  Place(new TDBGridX(owner.get()));
  grid->ColumnDefValues()->Title()->SetTitleButton(true);
  AddOptionsX({gxoAutoSortMarking, gxoMultiSortMarking});
  auto marker = [&](const std::string& Field) { return grid->Columns()->Items(ColumnOf(Field))->Title()->SortMarker(); };
  using V = std::vector<std::string>;
  ClickTitle("ID");
  ClickTitle("City");
  EXPECT_EQ(marker("City"), smDownX);
  EXPECT_EQ(marker("ID"), smNoneX);
  EXPECT_EQ(Walk("City"), (V{"Athens", "Bern", "Oslo", "Oslo", "Zagreb"}));
  EXPECT_EQ(Walk("ID"), (V{"4", "3", "2", "5", "1"}));
  ClickTitle("City");
  EXPECT_EQ(marker("City"), smUpX);
  EXPECT_EQ(Walk("City"), (V{"Zagreb", "Oslo", "Oslo", "Bern", "Athens"}));
  ClickTitle("Notes");
  EXPECT_EQ(marker("Notes"), smDownX);
  EXPECT_EQ(marker("City"), smNoneX);
  EXPECT_EQ(Walk("Notes"), (V{"alpha", "bravo", "charlie", "delta", "echo"}));
  // A record whose city changes takes its place in the order of the shown names.
  ClickTitle("City");
  ASSERT_TRUE(ds->Locate("ID", Variant(1), {}));
  ds->Edit();
  ds->FieldByName("CityID")->SetAsInteger(2);  // Zagreb -> Athens
  ds->Post();
  EXPECT_EQ(Walk("City"), (V{"Athens", "Athens", "Bern", "Oslo", "Oslo"}));
  EXPECT_EQ(Walk("ID"), (V{"4", "1", "3", "2", "5"}));  // after the Athens already there
}

TEST_F(MemFeaturesTest, TheFilterRowHidesTheRecordsAConditionDoesNotPass) {
  Make(12);
  grid->STFilter()->SetVisible(true);
  win::PumpMessages();
  Filter("Name", "07");
  EXPECT_EQ(Walk("Name"), std::vector<std::string>{"Name 007"});
  // Every column's condition must pass.
  Filter("Name", "name 00");
  Filter("Code", "= c");
  EXPECT_EQ(Walk("ID"), (std::vector<std::string>{"3", "6", "9"}));
  // The program's own filter stays in force beside the filter row's, and as it was set.
  ds->SetFilter("ID > 4");
  ds->SetFiltered(true);
  EXPECT_EQ(Walk("ID"), (std::vector<std::string>{"6", "9"}));
  EXPECT_EQ(ds->Filter(), "ID > 4");
  // Emptied cells show every record the program's filter lets through again.
  Filter("Code", "");
  Filter("Name", "");
  EXPECT_EQ(ds->RecordCount(), 8);
  ds->SetFiltered(false);
  EXPECT_EQ(ds->RecordCount(), 12);
}
