// Exports of a grid: text, CSV, RTF and the binary grid-data format, against checked-in files, and the
// walk's rules (selections, titles, quoting, footers over the exported records).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "datagrid/DBGridXBinary.h"
#include "datagrid/DBGridXCellParams.h"
#include "datagrid/DBGridXFooter.h"
#include "datagrid/DBGridXSelection.h"
#include "datagrid/DBGridXRtf.h"
#include "impexp_fixture.h"

namespace {

// Footers of the golden grid: sums, a sum on a text field, counts (one without a field), a static
// text, and an average on a second row.
template <typename T>
void AddGoldenFooters(TFooterExport<T>& E) {
  E.Rows = 2;
  TExportFooterX f;
  f.ValueType = TExportFooterX::Count;
  f.Alignment = taRightJustify;
  E.Footers[{"ID", 0}] = f;
  f = {};
  f.ValueType = TExportFooterX::Sum;
  E.Footers[{"Name", 0}] = f;  // a text field: the grid shows "0"
  f.ValueType = TExportFooterX::Sum;
  f.Alignment = taRightJustify;
  E.Footers[{"Amount", 0}] = f;
  f = {};
  f.ValueType = TExportFooterX::StaticText;
  f.GridText = "Total";
  f.Color = clYellow;
  E.Footers[{"Born", 0}] = f;
  f = {};
  f.ValueType = TExportFooterX::Count;
  f.FieldName = "NoSuchField";  // no field: the grid still counts records
  E.Footers[{"CodeText", 0}] = f;
  f = {};
  f.ValueType = TExportFooterX::Avg;
  f.DisplayFormat = "0.00";
  E.Footers[{"Amount", 1}] = f;
}

// The golden grid's footer handler: the count footer of the first row is shown on lime.
void ColourCountFooter(TCustomDBGridX* g) {
  g->OnGetFooterParams = [](TObject*, int, int Row, TColumnX* Column, TFont*, TColor& Background, TAlignment&,
                            TGridDrawState, std::string&) {
    if (Row == 0 && Column->FieldName() == "ID") Background = clLime;
  };
}

template <typename T>
std::string ExportAll(TCustomDBGridX* g, bool footers = true) {
  TFooterExport<T> e;
  e.DBGridX = g;
  if (footers) AddGoldenFooters(e);
  if constexpr (std::is_base_of_v<TDBGridXExportAsRTF, T>) e.PixelsPerInch = 96;
  return ExportGridToString(e, true);
}

std::string Visible(const std::string& s) {
  std::string o;
  for (char c : s) {
    if (c == '\r') o += "\\r";
    else if (c == '\n') o += "\\n\n";
    else if (c == '\t') o += "\\t";
    else o += c;
  }
  return o;
}

}  // namespace

TEST_F(ImpExpTest, GoldenFilesOfEveryFormat) {
  ColourCountFooter(grid);
  ExpectGolden("grid.txt", ExportAll<TDBGridXExportAsText>(grid));
  ExpectGolden("grid.csv", ExportAll<TDBGridXExportAsCSV>(grid));
  ExpectGolden("grid.rtf", ExportAll<TDBGridXExportAsRTF>(grid));
  ExpectGolden("grid.bin", ExportAll<TDBGridXExportAsGridData>(grid));
  // The record stays where it was.
  EXPECT_EQ(ds->RecNo(), 1);
}

TEST_F(ImpExpTest, TextAndCsvLayout) {
  const std::string text = ExportAll<TDBGridXExportAsText>(grid, false);
  // Whole captions with their level separators, TAB between cells, CR LF between lines, none at the end.
  EXPECT_EQ(text.substr(0, text.find("\r\n")), "Person|ID\tPerson|Name\tFigures|Amount\tFigures|Born\tCode\tCode text");
  EXPECT_NE(text.find("\r\n2\tsay \"hi\"\t\t2000-01-02\tN\tNo\r\n"), std::string::npos) << Visible(text);
  EXPECT_NE(text.back(), '\n');
  const std::string csv = ExportAll<TDBGridXExportAsCSV>(grid, false);
  EXPECT_NE(csv.find("\"2\";\"say \"\"hi\"\"\";\"\";"), std::string::npos) << Visible(csv);
  EXPECT_NE(csv.find("\"Dora;Tab\""), std::string::npos);

  // Titles off: the first line is a record, with nothing before it.
  grid->SetOptions(grid->Options() - gdoTitles);
  const std::string noTitles = ExportAll<TDBGridXExportAsText>(grid, false);
  EXPECT_EQ(noTitles.substr(0, 4), "1\tAn");

  // Nothing selected and not everything asked for: nothing at all.
  TDBGridXExportAsCSV e;
  e.DBGridX = grid;
  EXPECT_EQ(ExportGridToString(e, false), "");
}

TEST_F(ImpExpTest, TextCellsAreWrittenUnchangedAndQuotedInCsv) {
  ds->First();
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("a\tb\r\nc");
  ds->Post();
  grid->SetOptions(grid->Options() - gdoTitles);
  const std::string text = ExportAll<TDBGridXExportAsText>(grid, false);
  EXPECT_EQ(text.substr(0, 10), "1\ta\tb\r\nc\t1");
  const std::string csv = ExportAll<TDBGridXExportAsCSV>(grid, false);
  EXPECT_EQ(csv.substr(0, 13), "\"1\";\"a\tb\r\nc\";");
}

TEST_F(ImpExpTest, SelectionKindsChooseRecordsAndColumns) {
  grid->SetOptions(grid->Options() - gdoTitles);
  struct Case {
    const char* what;
    TGridXExportSelection sel;
    std::string expected;
  };
  ds->First();
  const TBookmark b1 = ds->GetBookmark();
  ds->MoveBy(2);
  const TBookmark b3 = ds->GetBookmark();
  Col(1)->SetVisible(false);
  std::vector<Case> cases;
  {
    TGridXExportSelection s;  // a rectangle over columns 0..2 with column 1 hidden, records 1..3
    s.Kind = selRectangleX;
    s.LeftCol = 0;
    s.RightCol = 2;
    s.TopRow = b1;
    s.BottomRow = b3;
    cases.push_back({"rectangle", s, "1\t1.25\r\n2\t\r\n3\t2"});
  }
  {
    TGridXExportSelection s;  // bottom above the top, never met: stops at the end
    s.Kind = selRectangleX;
    s.LeftCol = 0;
    s.RightCol = 0;
    s.TopRow = b3;
    s.BottomRow = b1;
    cases.push_back({"open rectangle", s, "3\r\n4\r\n5"});
  }
  {
    TGridXExportSelection s;
    s.Kind = selColumnsX;
    s.Columns = {Col(4), Col(0)};
    cases.push_back({"columns", s, "Y\t1\r\nN\t2\r\nY\t3\r\n?\t4\r\nN\t5"});
  }
  for (const Case& c : cases) {
    TDBGridXExportAsText e;
    e.DBGridX = grid;
    e.SetSelection(c.sel);
    EXPECT_EQ(ExportGridToString(e, false), c.expected) << c.what;
  }
  // Selected rows: visible columns, in the data set's order.
  ds->Last();
  grid->SelectedRows()->SetCurrentRowSelected(true);
  ds->First();
  grid->SelectedRows()->SetCurrentRowSelected(true);
  TDBGridXExportAsText e;
  e.DBGridX = grid;
  EXPECT_EQ(ExportGridToString(e, false), "1\t1.25\t2000-01-01\tY\tYes\r\n5\t-3.75\t2000-01-05\tN\tNo");
}

TEST_F(ImpExpTest, FootersShowWhatTheGridShowsOverTheExportedRecords) {
  // Records 1..3: amounts 1.25, null, 2.
  grid->SetOptions(grid->Options() - gdoTitles);
  for (int i = 0; i < 3; ++i) {
    ds->First();
    ds->MoveBy(i);
    grid->SelectedRows()->SetCurrentRowSelected(true);
  }
  TFooterExport<TDBGridXExportAsText> e;
  e.DBGridX = grid;
  AddGoldenFooters(e);
  const std::string out = ExportGridToString(e, false);
  const size_t f0 = out.find("\r\n", out.find("\r\n", out.find("\r\n") + 2) + 2) + 2;
  const std::string footers = out.substr(f0);
  // Count 3 (nulls too); a sum on a text field shows "0"; sum 3.25; the static text; a count whose
  // field does not exist still counts the records; the average is over the exported non-null values
  // (1.25 and 2), not the grid's five records.
  EXPECT_EQ(footers, "3\t0\t3.25\tTotal\t\t3\r\n\t\t1.63\t\t\t") << Visible(out);
}

// Totals past the fixed-point range neither wrap nor stop the export: the sum stands at the range's
// end and the average is taken from the exact total.
// A total beyond the fixed-point range (about 9.22e14) is written in full, never as the range's end.
TEST_F(ImpExpTest, FooterTotalsBeyondTheFixedPointRangeAreNeverClamped) {
  grid->SetOptions(grid->Options() - gdoTitles);
  for (int i = 0; i < 3; ++i) {
    ds->First();
    ds->MoveBy(i);
    if (ds->FieldByName("Amount")->IsNull()) continue;
    ds->Edit();
    ds->FieldByName("Amount")->SetAsFloat(9e14);
    ds->Post();
    grid->SelectedRows()->SetCurrentRowSelected(true);
  }
  ASSERT_EQ(grid->SelectedRows()->Count(), 2);
  TFooterExport<TDBGridXExportAsText> e;
  e.DBGridX = grid;
  e.Rows = 2;
  TExportFooterX f;
  f.ValueType = TExportFooterX::Sum;
  f.DisplayFormat = "0.0000";
  e.Footers[{"Amount", 0}] = f;
  f.ValueType = TExportFooterX::Avg;
  e.Footers[{"Amount", 1}] = f;
  const std::string out = ExportGridToString(e, false);
  // 9e14 + 9e14; their average 9e14 lies within the range and is exact.
  EXPECT_NE(out.find("\t1800000000000000.0000\t"), std::string::npos) << Visible(out);
  EXPECT_EQ(out.find("922337203685478"), std::string::npos) << Visible(out);
  EXPECT_NE(out.find("\t900000000000000.0000\t"), std::string::npos) << Visible(out);
}

TEST_F(ImpExpTest, BinaryValuesByFieldType) {
  grid->SetOptions(grid->Options() - gdoTitles);
  TGridXExportSelection s;
  s.Kind = selColumnsX;
  s.Columns = {Col(0), Col(2), Col(1), Col(5)};
  TDBGridXExportAsGridData e;
  e.DBGridX = grid;
  e.SetSelection(s);
  const std::string b = ExportGridToString(e, false);
  ASSERT_GT(b.size(), 20u);
  EXPECT_EQ(b.substr(0, 8), std::string("VCLDBIF\x01", 8));
  EXPECT_EQ(b.substr(8, 4), std::string("\x04\0\0\0", 4));
  EXPECT_EQ(b.substr(12, 8), std::string("\x01\0\x01\0\x01\0\x01\0", 8));
  // Record 1: int 1, double 1.25, text "Ann", lookup key "Y".
  std::string r1("\x03\x01\0\0\0\x04", 6);
  const double d = 1.25;
  r1.append(reinterpret_cast<const char*>(&d), 8);
  r1 += std::string("\x05\x03\0\0\0Ann", 8) + std::string("\x05\x01\0\0\0Y", 6);
  EXPECT_EQ(b.substr(20, r1.size()), r1);
  // Record 2 has a null amount: tag 2, not tag 4.
  EXPECT_EQ(b.substr(20 + r1.size(), 7), std::string("\x03\x02\0\0\0\x02\x05", 7));
  EXPECT_EQ(b.back(), '\0');
}

TEST_F(ImpExpTest, GridSelectionAndParameterHandlers) {
  grid->SetOptions(grid->Options() - gdoTitles);
  // The grid's own rectangle: columns 0..1, records 2..3.
  ds->First();
  ds->Next();
  const TBookmark b2 = ds->GetBookmark();
  ds->Next();
  const TBookmark b3 = ds->GetBookmark();
  grid->SelectionX()->Rect()->Select(0, b2, false);
  grid->SelectionX()->Rect()->Select(1, b3, true);
  grid->SelectionX()->SetKind(selRectangleX);
  TDBGridXExportAsText t;
  t.DBGridX = grid;
  EXPECT_EQ(ExportGridToString(t, false), "2\tsay \"hi\"\r\n3\t{Cui}\\");
  // A column's cell handler changes the text; the grid's changes the RTF background; the footer
  // handler changes the footer text.
  Col(1)->SetOnGetCellParams([](TObject*, bool EditMode, TColCellParamsX* P) {
    if (!EditMode) P->Text = "<" + P->Text + ">";
  });
  grid->OnGetCellParams = [](TObject*, TColumnX* Column, TFont*, TColor& Background, TGridDrawState) {
    if (Column->FieldName() == "ID") Background = clRed;
  };
  grid->OnGetFooterParams = [](TObject*, int DataCol, int, TColumnX*, TFont*, TColor&, TAlignment&, TGridDrawState,
                               std::string& Text) { Text += "#" + std::to_string(DataCol); };
  TFooterExport<TDBGridXExportAsText> f;
  f.DBGridX = grid;
  f.Rows = 1;
  EXPECT_EQ(ExportGridToString(f, false), "2\t<say \"hi\">\r\n3\t<{Cui}\\>\r\n#0\t#1");
  TDBGridXExportAsRTF r;
  r.DBGridX = grid;
  r.PixelsPerInch = 96;
  const std::string rtf = ExportGridToString(r, false);
  EXPECT_NE(rtf.find("\\red255\\green0\\blue0;"), std::string::npos);
  EXPECT_NE(rtf.find("\\cb3 2\\cell}"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\clcfpat3\\clcbpat3\\cellx600"), std::string::npos);
}

TEST_F(ImpExpTest, GridFootersExportLikeTheGoldenFiles) {
  // The same footers as the golden files', set on the grid's columns.
  grid->SetFooterRowCount(2);
  for (int c = 0; c < 6; ++c)
    for (int r = 0; r < 2; ++r) {
      TColumnFooterX* f = static_cast<TColumnFooterX*>(Col(c)->Footers()->Add());
      f->SetAlignment(taLeftJustify);
    }
  auto F = [&](int c, int r) { return Col(c)->FooterOfRow(r); };
  F(0, 0)->SetValueType(fvtCount);
  F(0, 0)->SetAlignment(taRightJustify);
  F(1, 0)->SetValueType(fvtSum);
  F(2, 0)->SetValueType(fvtSum);
  F(2, 0)->SetAlignment(taRightJustify);
  F(3, 0)->SetValueType(fvtStaticText);
  F(3, 0)->SetValue("Total");
  F(3, 0)->SetColor(clYellow);
  F(5, 0)->SetValueType(fvtCount);
  F(5, 0)->SetFieldName("NoSuchField");
  F(2, 1)->SetValueType(fvtAvg);
  F(2, 1)->SetDisplayFormat("0.00");
  ColourCountFooter(grid);
  win::PumpMessages();
  ExpectGolden("grid.txt", ExportGridToString<TDBGridXExportAsText>(grid, true));
  ExpectGolden("grid.csv", ExportGridToString<TDBGridXExportAsCSV>(grid, true));
  TDBGridXExportAsRTF r;
  r.DBGridX = grid;
  r.PixelsPerInch = 96;
  ExpectGolden("grid.rtf", ExportGridToString(r, true));
  ExpectGolden("grid.bin", ExportGridToString<TDBGridXExportAsGridData>(grid, true));
}
