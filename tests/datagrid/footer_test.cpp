// Column footers and the grid's sum list: texts per field type and format on a locale the test sets,
// aggregates that follow edits, re-binding, the footer band at the bottom and the faults mended
// (an unknown field in a field-value footer, a missing aggregate, accumulator overflow).

#include <limits>
#include <map>
#include <vector>

#include "datagrid/DBGridXExport.h"
#include "datagrid/DBGridXFooter.h"
#include "platform/classes/filer.h"
#include "tests/datagrid/grid_fixture.h"

namespace {

// A locale unlike the default one: comma decimals, dot thousands, euro after the number.
struct LocaleScope {
  TFormatSettings saved = FormatSettings;
  LocaleScope() {
    FormatSettings.DecimalSeparator = ',';
    FormatSettings.ThousandSeparator = '.';
    FormatSettings.CurrencyString = "EUR";
    FormatSettings.CurrencyFormat = 3;  // "1 $"
    FormatSettings.CurrencyDecimals = 2;
  }
  ~LocaleScope() { FormatSettings = saved; }
};

class FooterTest : public DataGridTest {
 protected:
  void SetUp() override {
    DataGridTest::SetUp();
    // A second data set with one field of each numeric kind.
    nums = new TMemDataSet(owner.get());
    nums->AddField("I", ftInteger);
    nums->AddField("F", ftFloat);
    nums->AddField("C", ftCurrency);
    nums->AddField("B", ftBCD);
    nums->AddField("BC", ftBCD);
    nums->AddField("S", ftString, 10);
    static_cast<TBCDField*>(nums->FieldByName("BC"))->SetCurrency(true);
    nums->Open();
    const double vals[] = {1000.5, 2000.25, 500};
    for (int i = 0; i < 3; ++i) {
      nums->Append();
      nums->FieldByName("I")->SetAsInteger(i + 1);
      nums->FieldByName("F")->SetAsFloat(vals[i]);
      nums->FieldByName("C")->SetAsFloat(vals[i]);
      nums->FieldByName("B")->SetAsFloat(vals[i]);
      nums->FieldByName("BC")->SetAsFloat(vals[i]);
      nums->FieldByName("S")->SetAsString("x");
      nums->Post();
    }
    nums->First();
    numSrc = new TDataSource(owner.get());
    numSrc->SetDataSet(nums);
  }
  std::string Footer(TColumnX* C, int Row = 0) {
    std::string t = "?";
    grid->GetFooterText(Row, C, t);
    return t;
  }
  TColumnX* AddColumn(const std::string& Field) {
    TColumnX* c = grid->Columns()->Add();
    c->SetFieldName(Field);
    return c;
  }
  TMemDataSet* nums = nullptr;
  TDataSource* numSrc = nullptr;
};

}  // namespace

TEST_F(FooterTest, TextsByFieldTypeAndFormatOnTheTestLocale) {
  LocaleScope locale;
  const char* fields[] = {"I", "F", "C", "B", "BC", "S"};
  for (const char* f : fields) AddColumn(f);
  grid->SetDataSource(numSrc);
  grid->SetFooterRowCount(1);
  struct Case {
    int col;
    TFooterValueType type;
    const char* fmt;
    const char* fieldFmt;
    const char* expected;
  };
  // Sum of F = 3500.75, average 1166.9166..; I sums to 6 and averages to 2.
  const Case cases[] = {
      {0, fvtSum, "", "", "6"},
      {0, fvtAvg, "", "", "2"},
      {0, fvtSum, "#,##0.00", "", "6,00"},
      {0, fvtSum, "", "0.0", "6,0"},
      {1, fvtSum, "", "", "3500,75"},
      {1, fvtSum, "#,##0.0", "", "3.500,8"},
      {1, fvtAvg, "", "", "1166,9167"},
      {1, fvtSum, "", "#,##0", "3.501"},
      {2, fvtSum, "", "", "3.500,75 EUR"},
      {3, fvtSum, "", "", "3500,75"},
      {3, fvtSum, "", "0.0", "3500,8"},
      {4, fvtSum, "", "", "3.500,75 EUR"},
      {4, fvtSum, "0.000", "", "3500,750"},
      {5, fvtSum, "", "", "0"},
      {5, fvtAvg, "0.00", "", "0"},
      {0, fvtCount, "", "", "3"},
      {0, fvtCount, "#,##0.00", "", "3,00"},
      {5, fvtStaticText, "", "", "Total"},
      {5, fvtNon, "", "", ""},
  };
  for (const Case& c : cases) {
    TColumnX* col = Col(c.col);
    TColumnFooterX* f = col->Footer();
    f->SetValueType(c.type);
    f->SetDisplayFormat(c.fmt);
    f->SetValue("Total");
    if (auto* n = dynamic_cast<TNumericField*>(col->Field())) n->SetDisplayFormat(c.fieldFmt);
    EXPECT_EQ(Footer(col), c.expected) << "column " << c.col << " type " << int(c.type) << " fmt " << c.fmt
                                       << " field fmt " << c.fieldFmt;
    if (auto* n = dynamic_cast<TNumericField*>(col->Field())) n->SetDisplayFormat("");
    f->SetValueType(fvtNon);
  }
  // A field-value footer shows the current record's text with the footer's format.
  nums->Last();
  Col(1)->Footer()->SetValueType(fvtFieldValue);
  Col(1)->Footer()->SetFieldName("F");
  Col(1)->Footer()->SetDisplayFormat("0.00");
  EXPECT_EQ(Footer(Col(1)), "500,00");
  // A sum footer on a column without a field shows "0".
  TColumnX* none = grid->Columns()->Add();
  none->Footer()->SetValueType(fvtSum);
  EXPECT_EQ(Footer(none), "0");
}

TEST_F(FooterTest, AggregatesFollowEditsInsertsAndDeletes) {
  Bind();
  grid->SetFooterRowCount(2);
  TColumnX* amount = Col(2);
  amount->Footer()->SetValueType(fvtSum);
  TColumnFooterX* avg = amount->Footers()->Add();
  avg->SetValueType(fvtAvg);
  TColumnFooterX* count = amount->Footers()->Add();
  count->SetValueType(fvtCount);
  // Footers[0] is row 0, Footers[1] row 1; the single Footer stands for rows beyond the collection.
  EXPECT_EQ(amount->FooterOfRow(0), avg);
  EXPECT_EQ(amount->FooterOfRow(1), count);
  EXPECT_EQ(amount->FooterOfRow(2), amount->Footer());
  EXPECT_EQ(amount->FooterOfRow(-1), amount->Footer());
  EXPECT_EQ(Footer(amount, 2), "18.75");  // 1.25 + 2.5 + 3.75 + 5 + 6.25
  EXPECT_EQ(Footer(amount, 0), "3.75");
  EXPECT_EQ(Footer(amount, 1), "5");

  ds->First();
  ds->Edit();
  ds->FieldByName("Amount")->SetAsFloat(11.25);
  ds->Post();
  EXPECT_EQ(Footer(amount, 2), "28.75");
  ds->Append();
  ds->FieldByName("ID")->SetAsInteger(6);
  ds->FieldByName("Amount")->SetAsFloat(1.25);
  ds->Post();
  EXPECT_EQ(Footer(amount, 2), "30");
  EXPECT_EQ(Footer(amount, 1), "6");
  ds->Delete();
  EXPECT_EQ(Footer(amount, 2), "28.75");
  EXPECT_EQ(Footer(amount, 1), "5");
  EXPECT_EQ(Footer(amount, 0), "5.75");
}

TEST_F(FooterTest, SumsRoundEachValueTimesTenThousand) {
  Bind();
  grid->SetFooterRowCount(2);
  TColumnX* amount = Col(2);
  amount->Footer()->SetValueType(fvtSum);
  TColumnFooterX* avg = amount->Footers()->Add();
  avg->SetValueType(fvtAvg);
  // Two amounts, the other records empty. Each value times 10000, rounded to the nearest integer:
  // 0.00005 is 0.0000500000000000000024 (0.50000000000000002 -> 1), 0.12345 is 0.1234500000000000042
  // (1234.5000000000000042 -> 1235); the average rounds 1236 / 2 = 618 exactly, 1235 / 2 = 617.5 to 618.
  const struct {
    double First, Second;
    const char *Sum, *Avg;
  } cases[] = {{0.00005, 0.12345, "0.1236", "0.0618"}, {0.12345, 0, "0.1235", "0.0618"}, {0.00005, 0, "0.0001", "0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.First);
    int i = 0;
    for (ds->First(); !ds->Eof(); ds->Next(), ++i) {
      ds->Edit();
      if (i == 0) ds->FieldByName("Amount")->SetAsFloat(c.First);
      else if (i == 1) ds->FieldByName("Amount")->SetAsFloat(c.Second);
      else ds->FieldByName("Amount")->Clear();
      ds->Post();
    }
    EXPECT_EQ(Footer(amount, 1), c.Sum);
    EXPECT_EQ(Footer(amount, 0), c.Avg);
  }
}

TEST_F(FooterTest, RebindingFollowsTypeAndFieldChanges) {
  Bind();
  TColumnX* amount = Col(2);
  TDBSumCollection* sums = grid->SumList()->SumCollection();
  EXPECT_FALSE(grid->SumList()->Active());
  amount->Footer()->SetValueType(fvtSum);
  ASSERT_EQ(sums->Count(), 1);
  EXPECT_TRUE(grid->SumList()->Active());
  EXPECT_EQ(sums->Items(0)->FieldName(), "Amount");  // empty FieldName: the column's field
  amount->Footer()->SetValueType(fvtStaticText);
  EXPECT_EQ(sums->Count(), 0);
  EXPECT_EQ(amount->Footer()->Sum(), nullptr);
  EXPECT_FALSE(grid->SumList()->Active());
  amount->Footer()->SetValueType(fvtSum);
  EXPECT_EQ(sums->Count(), 1);
  // Renaming the column's field re-binds the footer that follows it.
  amount->SetFieldName("ID");
  EXPECT_EQ(sums->Items(0)->FieldName(), "ID");
  EXPECT_EQ(Footer(amount), "15");
  // A footer naming its own field keeps it.
  amount->Footer()->SetFieldName("Amount");
  amount->SetFieldName("Name");
  EXPECT_EQ(sums->Items(0)->FieldName(), "Amount");
  EXPECT_EQ(Footer(amount), "18.75");
  // Count footers have no field.
  amount->Footer()->SetValueType(fvtCount);
  EXPECT_EQ(sums->Items(0)->GroupOperation(), goCount);
  EXPECT_EQ(sums->Items(0)->FieldName(), "");
  // Freeing a footer of the collection takes its aggregate along.
  TColumnFooterX* extra = amount->Footers()->Add();
  extra->SetFieldName("Amount");
  extra->SetValueType(fvtAvg);
  EXPECT_EQ(sums->Count(), 2);
  delete extra;
  EXPECT_EQ(sums->Count(), 1);
  // Assign copies the settings, and flags only what the target had set.
  TColumnFooterX* a = amount->Footers()->Add();
  amount->Footer()->SetColor(clRed);
  a->Assign(amount->Footer());
  EXPECT_EQ(a->ValueType(), fvtCount);
  EXPECT_EQ(a->AssignedFlags(), 0);
  EXPECT_EQ(a->Color(), grid->FooterColor());
}

TEST_F(FooterTest, FaultsNeverRaiseAndShowEmptyTexts) {
  Bind();
  grid->SetFooterRowCount(1);
  TColumnX* name = Col(1);
  // A field-value footer naming no field of the open data set: empty text, and painting goes on.
  name->Footer()->SetValueType(fvtFieldValue);
  name->Footer()->SetFieldName("NoSuchField");
  EXPECT_EQ(Footer(name), "");
  EXPECT_NO_THROW({
    grid->Invalidate();
    grid->Repaint();
    win::PumpMessages();
  });
  // A sum whose aggregate is missing from the list shows an empty text instead of failing.
  TColumnX* amount = Col(2);
  amount->Footer()->SetValueType(fvtSum);
  EXPECT_EQ(Footer(amount), "18.75");
  grid->SumList()->SumCollection()->Clear();
  EXPECT_EQ(Footer(amount), "");
  TColumnX* id = Col(0);
  id->Footers()->Add();  // an item without an aggregate: count asked of an empty list
  id->FooterOfRow(0)->SetValueType(fvtStaticText);
  grid->SumList()->SumCollection()->Clear();
  id->Footer()->SetValueType(fvtCount);
  grid->SumList()->SumCollection()->Clear();
  EXPECT_EQ(Footer(id, 5), "");
  EXPECT_NO_THROW({
    grid->Repaint();
    win::PumpMessages();
  });
  // A footer whose aggregate went with the list's items binds a new one on the next change.
  EXPECT_EQ(amount->Footer()->Sum(), nullptr);
  amount->Footer()->SetFieldName("Amount");
  ASSERT_NE(amount->Footer()->Sum(), nullptr);
  EXPECT_EQ(Footer(amount), "18.75");
}

TEST(FooterAccumulator, GuardsOverflow) {
  int64_t acc = 0;
  EXPECT_TRUE(AccumulateFooterValue(acc, 1.5));
  EXPECT_EQ(acc, 15000);
  EXPECT_TRUE(AccumulateFooterValue(acc, -0.25));
  EXPECT_EQ(acc, 12500);
  int64_t big = std::numeric_limits<int64_t>::max() - 5000;
  EXPECT_FALSE(AccumulateFooterValue(big, 1.0));
  EXPECT_EQ(big, std::numeric_limits<int64_t>::max() - 5000);
  EXPECT_FALSE(AccumulateFooterValue(acc, 1e300));
  EXPECT_FALSE(AccumulateFooterValue(acc, std::numeric_limits<double>::quiet_NaN()));
  EXPECT_EQ(acc, 12500);
  int64_t nearTop = std::numeric_limits<int64_t>::max() - 9999;
  EXPECT_FALSE(AccumulateFooterCount(nearTop));
  int64_t c = 0;
  EXPECT_TRUE(AccumulateFooterCount(c));
  EXPECT_EQ(c, 10000);
}

TEST_F(FooterTest, FooterBandSitsAtTheBottomOfTheClientArea) {
  Bind();
  grid->SetFooterRowCount(2);
  win::PumpMessages();
  int rows = grid->RowCount();
  // Titles, five records, a gap row and two footer rows.
  EXPECT_EQ(rows, 1 + 5 + 1 + 2);
  int dc = 0, dr = 0;
  EXPECT_EQ(grid->GetCellType(1, rows - 1, dc, dr) >> 8, 4);
  EXPECT_EQ(dr, 2);
  EXPECT_EQ(grid->GetCellType(1, rows - 3, dc, dr) >> 8, 3);
  TRect last = grid->CellRect(1, rows - 1);
  EXPECT_GE(last.Bottom, grid->ClientHeight() - 2);
  EXPECT_LE(last.Bottom, grid->ClientHeight());
  grid->SetFooterRowCount(0);
  EXPECT_EQ(grid->RowCount(), 1 + 5);
  EXPECT_EQ(grid->RowHeights(6 - 1), grid->DefaultRowHeight());
}

TEST_F(FooterTest, DesignedGridLeavesTheDataSetEventsAlone) {
  int calls = 0;
  ds->AfterPost = [&](TDataSet*) { ++calls; };
  auto editFirstAmount = [&] {
    ds->First();
    ds->Edit();
    ds->FieldByName("Amount")->SetAsFloat(ds->FieldByName("Amount")->AsFloat() + 10);
    ds->Post();
  };
  // Running: the sum list takes over AfterPost (chaining to the data set's handler) and follows it.
  Bind();
  Col(2)->Footer()->SetValueType(fvtSum);
  EXPECT_EQ(Footer(Col(2)), "18.75");
  editFirstAmount();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Footer(Col(2)), "28.75");
  Col(2)->Footer()->SetValueType(fvtNon);
  // Designed: switching on leaves the data set's events as they are, so a post reaches only the data
  // set's own handler and the footer does not follow it.
  grid->SetDesigning(true, false);
  Col(2)->Footer()->SetValueType(fvtSum);
  EXPECT_TRUE(grid->SumList()->Active());
  std::string before = Footer(Col(2));
  editFirstAmount();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(Footer(Col(2)), before);
  Col(2)->Footer()->SetValueType(fvtNon);
  grid->SetDesigning(false, false);
}

TEST_F(FooterTest, FootersStreamOutAndBackWithOnlyWhatWasSet) {
  RegisterClasses<TDBGridX>();
  grid->SetName("Grid");
  TColumnX* amount = AddColumn("Amount");
  amount->Footer()->SetValueType(fvtSum);
  amount->Footer()->SetDisplayFormat("#,##0.00");
  amount->Footer()->SetAlignment(taCenter);
  amount->Footer()->SetColor(clYellow);
  TColumnFooterX* avg = amount->Footers()->Add();
  avg->SetValueType(fvtAvg);
  avg->SetFieldName("ID");
  avg->Font()->SetColor(clRed);
  TColumnFooterX* text = amount->Footers()->Add();
  text->SetValueType(fvtStaticText);
  text->SetValue("Total");
  text->SetWordWrap(true);
  text->SetEndEllipsis(true);
  TColumnX* name = AddColumn("Name");
  name->Footer()->SetColor(grid->FooterColor());  // set, but as inherited: not stored
  Bind();
  TMemoryStream s;
  TWriter(&s).WriteRootComponent(grid);
  s.SetPosition(0);
  std::string stream = ObjectBinaryToText(&s);
  EXPECT_NE(stream.find("Footer.ValueType = fvtSum"), std::string::npos) << stream;
  EXPECT_NE(stream.find("Footers = <"), std::string::npos) << stream;
  // The second column's footer set nothing of its own that differs.
  EXPECT_EQ(stream.find("Footer.Color = clWindow"), std::string::npos) << stream;

  s.SetPosition(0);
  TComponent copyOwner(nullptr);
  auto* copy = new TDBGridX(&copyOwner);
  copy->SetParent(host);
  copy->HandleNeeded();
  TReader(&s).ReadRootComponent(copy);
  ASSERT_EQ(copy->Columns()->Count(), 2);
  TColumnX* ra = copy->Columns()->Items(0);
  TColumnFooterX* f = ra->Footer();
  EXPECT_EQ(f->ValueType(), fvtSum);
  EXPECT_EQ(f->DisplayFormat(), "#,##0.00");
  EXPECT_EQ(f->Alignment(), taCenter);
  EXPECT_EQ(f->Color(), clYellow);
  ASSERT_EQ(ra->Footers()->Count(), 2);
  TColumnFooterX* ravg = ra->Footers()->Items(0);
  EXPECT_EQ(ravg->ValueType(), fvtAvg);
  EXPECT_EQ(ravg->FieldName(), "ID");
  EXPECT_TRUE(ravg->FontStored());
  EXPECT_EQ(ravg->Font()->Color(), clRed);
  EXPECT_FALSE(ravg->ColorStored());
  TColumnFooterX* rtext = ra->Footers()->Items(1);
  EXPECT_EQ(rtext->ValueType(), fvtStaticText);
  EXPECT_EQ(rtext->Value(), "Total");
  EXPECT_TRUE(rtext->WordWrap());
  EXPECT_TRUE(rtext->EndEllipsis());
  EXPECT_EQ(copy->Columns()->Items(1)->Footer()->AssignedFlags(), 0);
  // Bound to the data set, the read footers compute as the originals do.
  copy->SetFooterRowCount(3);
  copy->SetDataSource(src);
  std::string t;
  copy->GetFooterText(2, ra, t);
  EXPECT_EQ(t, "18.75");
  copy->GetFooterText(0, ra, t);
  EXPECT_EQ(t, "3");
  delete copy;
  UnRegisterClasses<TDBGridX>();
}

TEST_F(FooterTest, SumListRecalculationEventsReachTheGridWithTheSumList) {
  std::vector<std::string> seen;
  grid->OnSumListRecalcAll = [&](TObject* Sender) {
    seen.push_back(Sender == grid->SumList() ? "recalc" : "recalc from another sender");
  };
  grid->OnSumListAfterRecalcAll = [&](TObject* Sender) {
    // The aggregates are complete by now.
    std::string t;
    grid->GetFooterText(0, Col(2), t);
    seen.push_back((Sender == grid->SumList() ? "after " : "after from another sender ") + t);
  };
  Bind();
  Col(2)->Footer()->SetValueType(fvtSum);
  EXPECT_EQ(seen, (std::vector<std::string>{"recalc", "after 18.75"}));
  seen.clear();
  // A different filter recomputes everything.
  ds->SetFilter("ID > 3");
  ds->SetFiltered(true);
  ds->First();
  EXPECT_EQ(seen, (std::vector<std::string>{"recalc", "after 11.25"}));
  ds->SetFiltered(false);
}

// A sum beyond the fixed-point range (about 9.22e14), reached by values within it or by one value
// beyond it, is shown in full as the grid paints it and as its export writes it, never as the range's
// end 922,337,203,685,478; taking the large values away brings back the exact figure.
TEST_F(FooterTest, SumsBeyondTheFixedPointRangeAreShownInFull) {
  Bind();
  grid->SetFooterRowCount(2);
  TColumnX* amount = Col(2);
  TColumnFooterX* avg = amount->Footers()->Add();  // row 0
  avg->SetValueType(fvtAvg);
  avg->SetDisplayFormat("#,##0.00");
  amount->Footer()->SetValueType(fvtSum);  // row 1
  amount->Footer()->SetDisplayFormat("#,##0.00");
  std::map<int, std::string> shown;
  grid->OnGetFooterParams = [&](TObject*, int, int Row, TColumnX* Column, TFont*, TColor&, TAlignment&,
                                TGridDrawState, std::string& Text) {
    if (Column == amount) shown[Row] = Text;
  };
  auto paint = [&] {
    shown.clear();
    grid->Invalidate();
    grid->Repaint();
    win::PumpMessages();
  };
  auto exported = [&] {
    TDBGridXExportAsText e;
    e.DBGridX = grid;
    return ExportGridToString(e, true);
  };
  auto setAmount = [&](int Record, double Value) {
    ds->First();
    ds->MoveBy(Record);
    ds->Edit();
    ds->FieldByName("Amount")->SetAsFloat(Value);
    ds->Post();
  };
  // The amounts are 1.25, 2.5, 3.75, 5 and 6.25.
  paint();
  EXPECT_EQ(shown[1], "18.75");
  EXPECT_EQ(shown[0], "3.75");
  setAmount(0, 9e14);
  setAmount(1, 9e14);
  setAmount(2, 1e14);
  setAmount(3, 0);
  setAmount(4, 0);
  // 1,900,000,000,000,000 in all: each value fits the fixed point, the total does not.
  paint();
  EXPECT_EQ(shown[1], "1,900,000,000,000,000.00");
  EXPECT_EQ(shown[0], "380,000,000,000,000.00");
  std::string text = exported();
  EXPECT_NE(text.find("\t1,900,000,000,000,000.00\t"), std::string::npos) << text;
  EXPECT_EQ(text.find("922,337,203,685,47"), std::string::npos) << text;
  setAmount(0, 5e16);  // one value beyond the range: 51,000,000,000,000,000 in all
  paint();
  EXPECT_EQ(shown[1], "51,000,000,000,000,000.00");
  EXPECT_EQ(shown[0], "10,200,000,000,000,000.00");
  text = exported();
  EXPECT_NE(text.find("\t51,000,000,000,000,000.00\t"), std::string::npos) << text;
  EXPECT_NE(text.find("\t10,200,000,000,000,000.00\t"), std::string::npos) << text;
  ds->First();
  ds->Delete();  // 9e14 + 1e14 over four records
  paint();
  EXPECT_EQ(shown[1], "1,000,000,000,000,000.00");
  EXPECT_EQ(shown[0], "250,000,000,000,000.00");
  setAmount(0, 1e13);  // back within the range: the exact figure again
  paint();
  EXPECT_EQ(shown[1], "110,000,000,000,000.00");
  EXPECT_EQ(shown[0], "27,500,000,000,000.00");
  setAmount(0, -9e14);  // below the range's lower end as well
  setAmount(1, -9e14);
  setAmount(2, -9e14);
  paint();
  EXPECT_EQ(shown[1], "-2,700,000,000,000,000.00");
  EXPECT_EQ(shown[0], "-675,000,000,000,000.00");
}
