#pragma once
// RTF export of a data grid: one table with a title block (one row, or one row per title level for
// multi-level titles), a row per record and a row per footer row, each cell with its font, colours,
// alignment and borders. The body is written first into a cache while the colours and fonts met are
// collected; the header with the colour and font tables goes out first, then the body, then the
// closing brace (always, also for an empty export).
//
// Texts are UTF-8 inside the grid; the document declares the ANSI code page 1252 and writes every
// character outside ASCII as a \uN escape with "?" as the fallback, and escapes \, { and }.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "datagrid/DBGridXExport.h"

class TDBGridXExportAsRTF : public TDBGridXExport {
 public:
  void ExportStream(TStream* S, bool IsExportAll) override;
  // Pixels per inch for column widths in twips; 0: the grid canvas's device (96 without a window).
  int PixelsPerInch = 0;
  // The vertical title margin in pixels (spacing of multi-level title cells); -1: the grid's.
  int TitleMargin = -1;

  // Helpers, public for tests and the clipboard.
  int ColorTableIndex(TColor Color);
  int FontTableIndex(const std::string& Name);
  static const char* RtfAlignmentWord(TAlignment Alignment);
  // Text as RTF: \, { and } escaped, TAB as \tab, line ends as \line, non-ASCII as \uN then " ?".
  static void AppendRtfText(std::string& Out, const std::string& Text);

 protected:
  void EmitSuffix() override {}
  void EmitTitle(const TColumnsXList& Columns) override;
  void EmitRecord(const TColumnsXList& Columns) override;
  void EmitDataCell(TColumnX* Column, TExportCellParamsX& Params) override;
  void EmitFooter(const TColumnsXList& Columns, int FooterNo) override;
  void EmitFooterCell(int DataCol, int Row, const std::string& Text, TAlignment Alignment, TColor Background,
                      TFont* Font, TColumnX* Column) override;
  bool NeedsCellLook() const override { return true; }

  void PutRtf(std::string_view S) { Put(S.data(), S.size()); }
  void PutRtfLine(std::string_view S) {
    Put(S.data(), S.size());
    Put("\r\n", 2);
  }
  void PutRtfRun(TFont* Font, const std::string& Text, TColor Background);
  void WriteRtfCellBorders(bool Left, bool Top, bool Right, bool Bottom);
  // A cell's colour in its row definition, as its background and as its pattern colour. No shading
  // percentage: some word processors paint a full shading black whatever its pattern colour, while
  // all of them paint the background of an unshaded cell.
  static std::string CellShading(int ColorIndex);
  // A data cell's shading: the column's colour after the grid's cell handler.
  TColor DataCellBackground(const TColumnsXList& Columns, int I);
  // A footer cell's shading: the footer's colour after the grid's footer handler.
  TColor FooterCellBackground(const TColumnsXList& Columns, int I, int FooterNo);

 private:
  int Ppi() const;
  int Spacing() const;
  // The twip position of each cell's right edge for Columns.
  std::vector<int> CellEdges(const TColumnsXList& Columns) const;
  void EmitMultiLevelTitle(const TColumnsXList& Columns);
  // The cell edges of a record row, worked out once per export (a column's default width is measured
  // in its font, which is far too slow to repeat for every record).
  const std::vector<int>& RecordEdges(const TColumnsXList& Columns);
  std::vector<std::string> FColorTable;
  std::vector<std::string> FFontTable;
  // The colours and the font met last, with their table indexes: most cells repeat them.
  std::vector<std::pair<TColor, int>> FColorsSeen;
  std::string FLastFontName;
  int FLastFontIndex = -1;
  const TColumnsXList* FEdgesOf = nullptr;
  std::vector<int> FEdges;
  int FPpi = 96;
};
