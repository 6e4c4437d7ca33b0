// RTF export: escaping, code page, closing brace, tables, cell geometry, runs, title spans, and a
// document that a converter reads back.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>

#include "datagrid/DBGridXRtf.h"
#include "impexp_fixture.h"

namespace {

class TRtfProbe : public TDBGridXExportAsRTF {
 public:
  using TDBGridXExportAsRTF::PutRtfRun;
  std::string Run(TFont* f, const std::string& text, TColor back) {
    TMemoryStream m;
    Stream = &m;
    PutRtfRun(f, text, back);
    Flush();
    Stream = nullptr;
    return std::string(m.Bytes().begin(), m.Bytes().end());
  }
};

std::string Rtf(TCustomDBGridX* g, bool all = true) {
  TDBGridXExportAsRTF e;
  e.DBGridX = g;
  e.PixelsPerInch = 96;
  return ExportGridToString(e, all);
}

bool HasTool(const char* name) {
  const std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

}  // namespace

TEST(RtfText, EscapesSpecialCharactersAndNonAscii) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"plain", "plain"},
      {"a\\b{c}d", "a\\\\b\\{c\\}d"},
      {"É", "\\u201 ?"},
      {"中", "\\u20013 ?"},
      {"\xEF\xBF\xBD", "\\u-3 ?"},                     // U+FFFD: the number is signed 16-bit
      {"\xF0\x9F\x98\x80", "\\u-10179 ?\\u-8704 ?"},    // U+1F600 as a surrogate pair
      {"a\tb\r\nc\nd\re", "a\\tab b\\line c\\line d\\line e"},
      {"\xC3", "\\u-3 ?"},                              // a cut sequence
      {"\xC0\xAF", "\\u-3 ?\\u-3 ?"},                   // an overlong form
      {"x\x01y", "x\\'01y"},
  };
  for (const Case& c : cases) {
    std::string out;
    TDBGridXExportAsRTF::AppendRtfText(out, c.in);
    EXPECT_EQ(out, c.out) << c.in;
  }
}

TEST(RtfText, RunPrefixAndTables) {
  TRtfProbe p;
  TFont f;
  f.SetName("Arial");
  f.SetSize(10);
  f.SetColor(clBlack);
  f.SetStyle(TFontStyles{fsBold, fsUnderline});
  p.ColorTableIndex(clBlack);
  p.ColorTableIndex(clWhite);
  EXPECT_EQ(p.Run(&f, "x{", clWhite), "\\fs20\\b\\ul\\f0\\cf0\\cb1 x\\{");
  // Same colour shares an entry; font names differ only in case share one.
  EXPECT_EQ(p.ColorTableIndex(TColor(0x00FFFFFF)), 1);
  EXPECT_EQ(p.FontTableIndex("ARIAL"), 0);
  EXPECT_EQ(p.FontTableIndex("Courier"), 1);
  EXPECT_STREQ(TDBGridXExportAsRTF::RtfAlignmentWord(taCenter), "\\qc");
  EXPECT_STREQ(TDBGridXExportAsRTF::RtfAlignmentWord(taRightJustify), "\\qr");
}

TEST_F(ImpExpTest, RtfDocumentFrame) {
  // Nothing selected: the header, the tables and still the closing brace.
  const std::string empty = Rtf(grid, false);
  EXPECT_EQ(empty.substr(0, 29), "{\\rtf1\\ansi\\ansicpg1252\\uc1\r\n");
  EXPECT_NE(empty.find("{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;\\red212\\green208\\blue200;}"),
            std::string::npos)
      << empty;
  EXPECT_EQ(empty.back(), '}');
  EXPECT_EQ(std::count(empty.begin(), empty.end(), '{'), std::count(empty.begin(), empty.end(), '}'));

  const std::string all = Rtf(grid);
  EXPECT_EQ(std::count(all.begin(), all.end(), '{') - std::count(all.begin(), all.end(), '}'), 0);
  EXPECT_NE(all.find("\\{Cui\\}\\\\"), std::string::npos);
  EXPECT_NE(all.find("\\u201 ?mile \\u20013 ?"), std::string::npos);
  // Widths 40 and 100 px at 96 dpi: cells end at 600 and 2100 twips.
  EXPECT_NE(all.find("\\cellx600\r\n"), std::string::npos);
  EXPECT_NE(all.find("\\cellx2100\r\n"), std::string::npos);
  // Multi-level titles: "Person" spans ID and Name in the upper row (the second cell empty and without
  // the inner border), the lower row has ID and Name; spacing 55 at 96 dpi.
  EXPECT_NE(all.find("\\pard\\intbl{\\qc\\sb55\\sa55\\fs18\\f0\\cf0\\cb2 Person\\cell}\r\n"
                     "\\pard\\intbl{\\qc\\fs18\\f0\\cf0\\cb2 \\cell}\r\n"),
            std::string::npos);
  EXPECT_NE(all.find("\\clbrdrl\\brdrs\\brdrcf0\r\n\\clbrdrt\\brdrs\\brdrcf0\r\n\\clbrdrb\\brdrs\\brdrcf0\r\n"
                     "\\clcfpat2\\clcbpat2\\cellx600\r\n"),
            std::string::npos);

  // The grid's title margin: 20 px at 96 dpi gives 10 * 15 - 20 = 130 twips; 2 px gives |15 - 20| = 5.
  for (auto [margin, spacing] : {std::pair{20, "130"}, std::pair{2, "5"}}) {
    grid->SetVTitleMargin(margin);
    const std::string s = Rtf(grid);
    EXPECT_NE(s.find(std::string("{\\qc\\sb") + spacing + "\\sa" + spacing + "\\fs18\\f0\\cf0\\cb2 Person\\cell}"),
              std::string::npos)
        << margin;
  }
  grid->SetVTitleMargin(10);

  // Single-level titles and a flat grid: spacing 12 in data cells.
  grid->SetUseMultiTitle(false);
  grid->SetFlat(true);
  const std::string flat = Rtf(grid);
  EXPECT_NE(flat.find("\\pard\\intbl{\\ql\\sb12\\sa12"), std::string::npos);
  EXPECT_EQ(flat.find("\\sb24"), std::string::npos);
  EXPECT_NE(flat.find("Person|ID\\cell}"), std::string::npos);
}

TEST_F(ImpExpTest, RtfOpensInAWordProcessorConverter) {
  if (!HasTool("pandoc")) GTEST_SKIP() << "pandoc is not installed";
  const char* dir = std::getenv("TRESSORA_ARTIFACTS");
  const std::string base = std::string(dir ? dir : "/tmp") + "/datagrid_export";
  {
    std::ofstream(base + ".rtf", std::ios::binary) << Rtf(grid);
  }
  const std::string cmd = "pandoc -f rtf -t plain \"" + base + ".rtf\" -o \"" + base + ".txt\" 2>\"" + base + ".err\"";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::ifstream in(base + ".txt", std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string text = ss.str();
  for (const char* s : {"Person", "Figures", "Amount", "say \"hi\"", "{Cui}\\", "Dora;Tab", "Émile 中", "Unknown",
                        "-3.75"})
    EXPECT_NE(text.find(s), std::string::npos) << s << " missing in\n" << text;
}

TEST_F(ImpExpTest, RtfFooterCellsAreShadedAsTheFooterHandlerColoursThem) {
  // One footer row; the handler colours the Amount footer red. The cell definition of the footer row
  // (\clcfpat and \clcbpat) and the cell's run (\cb) carry the same colour; the other footer cells stay white.
  grid->SetFooterRowCount(1);
  grid->OnGetFooterParams = [](TObject*, int, int, TColumnX* Column, TFont*, TColor& Background, TAlignment&,
                               TGridDrawState, std::string&) {
    if (Column->FieldName() == "Amount") Background = clRed;
  };
  win::PumpMessages();
  const std::string rtf = Rtf(grid);
  const std::string red = "\\red255\\green0\\blue0;";
  const size_t table = rtf.find("{\\colortbl");
  ASSERT_NE(rtf.find(red), std::string::npos) << rtf;
  // Red is the fourth entry: black, white, button face, then the first colour met.
  size_t entries = 0;
  for (size_t p = table; p < rtf.find(red); ++p) entries += rtf[p] == ';';
  EXPECT_EQ(entries, 3u);
  const std::string footer = rtf.substr(rtf.rfind("\\trowd"));
  EXPECT_NE(footer.find("\\clcfpat3\\clcbpat3\\cellx3210\r\n"), std::string::npos) << footer;
  EXPECT_NE(footer.find("\\clcfpat1\\clcbpat1\\cellx2100\r\n"), std::string::npos) << footer;
  EXPECT_NE(footer.find("\\cb3 "), std::string::npos) << footer;
}

TEST_F(ImpExpTest, RtfCellsNameTheirColourAsBackgroundWithoutFullShading) {
  // Every cell definition of every row kind (title levels, records, footer) names the cell's colour as
  // its background (\clcbpat) and as its pattern colour (\clcfpat), and none asks for a full shading
  // (\clshdng10000), which a word processor paints black whatever the pattern colour.
  Col(1)->SetColor(clYellow);
  grid->SetFooterRowCount(1);
  win::PumpMessages();
  const std::string rtf = Rtf(grid);
  const std::regex def(R"(\\clcfpat(\d+)\\clcbpat(\d+)\\cellx(\d+)\r\n)");
  size_t defs = 0;
  for (auto it = std::sregex_iterator(rtf.begin(), rtf.end(), def); it != std::sregex_iterator(); ++it) {
    ++defs;
    EXPECT_EQ((*it)[1], (*it)[2]) << it->str();
  }
  // Two title levels, five records and one footer row of six cells each.
  EXPECT_EQ(defs, 8u * 6u);
  size_t cells = 0;
  for (size_t p = rtf.find("\\cellx"); p != std::string::npos; p = rtf.find("\\cellx", p + 1)) ++cells;
  EXPECT_EQ(cells, defs);
  EXPECT_EQ(rtf.find("\\clshdng"), std::string::npos);
  // The yellow Name column: its index in the colour table, in both words of every record row.
  const size_t table = rtf.find("{\\colortbl");
  const size_t yellow = rtf.find("\\red255\\green255\\blue0;");
  ASSERT_NE(yellow, std::string::npos) << rtf;
  const auto index = std::count(rtf.begin() + static_cast<std::ptrdiff_t>(table),
                                rtf.begin() + static_cast<std::ptrdiff_t>(yellow), ';');
  const std::string named = "\\clcfpat" + std::to_string(index) + "\\clcbpat" + std::to_string(index) +
                            "\\cellx2100\r\n";
  size_t yellowCells = 0;
  for (size_t p = rtf.find(named); p != std::string::npos; p = rtf.find(named, p + 1)) ++yellowCells;
  EXPECT_EQ(yellowCells, 5u);
  // For a person to open in a word processor.
  std::ofstream(win::ArtifactPath("datagrid_shading.rtf"), std::ios::binary) << rtf;
}
