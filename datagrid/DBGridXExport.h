#pragma once
// Exporting a data grid's contents: TDBGridXExport walks the exported records (the selection, or every
// record) and columns and drives a fixed set of emit operations; each format overrides the ones it
// needs. Here are the walk, the footer values over the exported records, and the tab-separated text
// and CSV formats. RTF is in DBGridXRtf.h, the binary grid-data format in DBGridXBinary.h.
//
// Output goes to any TStream; ExportGridToString returns the bytes, for callers (the clipboard) that
// want a buffer. Writes are gathered in a buffer and handed to the stream in large blocks.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "datagrid/DBGridX.h"

// What an export reads of the selection: its kind and, by kind, the rectangle (data column indexes
// in Columns and the top and bottom record) or the selected columns. By default the walk reads the
// grid's selection; a caller may pass another one in.
struct TGridXExportSelection {
  TGridXSelectionType Kind = selNoneX;
  int LeftCol = 0, RightCol = -1;
  TBookmark TopRow, BottomRow;
  TColumnsXList Columns;
};

// One footer cell as the export sees it, taken from the column's footer of the row (GetExportFooter);
// the value kinds are the footer's value types.
struct TExportFooterX {
  enum TValueKind { Non = 0, Sum = 1, Avg = 2, Count = 3, FieldValue = 4, StaticText = 5 };
  TValueKind ValueType = Non;
  std::string FieldName;      // empty: the column's field
  std::string DisplayFormat;  // the footer's own format, before the field's
  TFont* Font = nullptr;      // nullptr: the grid's footer font
  TColor Color = clWindow;
  TAlignment Alignment = taLeftJustify;
  std::string GridText;       // the grid's text, used for the field-value and static kinds
};

// The look and text of one exported data cell.
struct TExportCellParamsX {
  TFont* Font = nullptr;
  TColor Background = clWindow;
  TAlignment Alignment = taLeftJustify;
  int ImageIndex = -1;
  std::string Text;
  TCheckBoxState CheckboxState = cbUnchecked;
};

class TDBGridXExport : public TObject {
 public:
  TDBGridXExport();
  ~TDBGridXExport() override;
  TDBGridXExport(const TDBGridXExport&) = delete;
  TDBGridXExport& operator=(const TDBGridXExport&) = delete;

  // The grid being exported (not owned).
  TCustomDBGridX* DBGridX = nullptr;

  // The walk: nothing at all is written when nothing is selected and IsExportAll is false.
  virtual void ExportStream(TStream* Stream, bool IsExportAll);
  // Exports into the file, replacing it only when the whole export succeeded (the old file stays on any
  // failure); the error names the file and the reason. The bytes go to the file's temporary file as they
  // are made. An export that was asked for replaces the file even when it has no bytes (every record
  // deleted); only when nothing was selected, nothing asked for and nothing written is the file left alone.
  void ExportFile(const std::string& FileName, bool IsExportAll);

  // An explicit selection for the next export (see TGridXExportSelection).
  void SetSelection(const TGridXExportSelection& Selection);
  // The selection the walk uses: the one passed in, else the grid's selected rows.
  virtual TGridXExportSelection GridSelection();
  // Footer rows and cells: the grid's column footers (none until the grid has footers).
  virtual int ExportFooterRowCount();
  virtual bool GetExportFooter(TColumnX* Column, int Row, TExportFooterX& Footer);

  // The footer text of row FooterNo, exported column I, as the grid shows it but over the exported
  // records: sums, averages and counts from the accumulators, other kinds the grid's text.
  std::string FormatExportFooterValue(int FooterNo, int I, const TExportFooterX& Footer);

 protected:
  virtual void EmitPrefix() {}
  virtual void EmitSuffix() {}
  virtual void EmitTitle(const TColumnsXList& Columns) { (void)Columns; }
  virtual void EmitRecord(const TColumnsXList& Columns);
  virtual void EmitDataCell(TColumnX* Column, TExportCellParamsX& Params) { (void)Column; (void)Params; }
  virtual void EmitFooter(const TColumnsXList& Columns, int FooterNo);
  virtual void EmitFooterCell(int DataCol, int Row, const std::string& Text, TAlignment Alignment,
                              TColor Background, TFont* Font, TColumnX* Column) {
    (void)DataCol; (void)Row; (void)Text; (void)Alignment; (void)Background; (void)Font; (void)Column;
  }
  // What the base EmitRecord fills in: fonts and colours only for formats that draw them, the text
  // only for formats that write it (the binary format writes field values).
  virtual bool NeedsCellLook() const { return false; }
  virtual bool NeedsCellText() const { return true; }

  // Buffered output to Stream.
  void Put(const char* Data, size_t Count) {
    FOut.append(Data, Count);
    if (FOut.size() >= kFlushSize) Flush();
  }
  void Put(const std::string& S) { Put(S.data(), S.size()); }
  void Put(char C) {
    FOut.push_back(C);
    if (FOut.size() >= kFlushSize) Flush();
  }
  void Flush();
  // Direct access to the output buffer for formats that append in place.
  std::string& Buffer() { return FOut; }
  void FlushIfFull() {
    if (FOut.size() >= kFlushSize) Flush();
  }
  // The stream the walk writes to; formats that gather output first (RTF) swap it.
  TStream* Stream = nullptr;
  // While ExportFile runs, the folder of its file: a format that gathers its output first keeps it there
  // in an unnamed file instead of in memory. Empty otherwise.
  std::string GatherFolder;
  TColumnsXList ExpCols;
  TDataSet* DataSet() const;
  // The footer definition of row Row, exported column I, for the current run.
  const TExportFooterX& FooterAt(int Row, int I) const {
    return FFooters.at(static_cast<size_t>(I) + static_cast<size_t>(Row) * ExpCols.size());
  }

 private:
  static constexpr size_t kFlushSize = 1 << 16;
  void AccumulateFooterValues();
  void EmitFooters(const TColumnsXList& Columns);
  // Per footer row and exported column: sum (ten-thousandths), non-null count (averages), count.
  struct TFooterAccumulator {
    TSumTotal Sum;  // exact within the fixed-point range, in floating point beyond it
    int64_t NotNull = 0;
    int64_t Count = 0;
  };
  std::vector<TFooterAccumulator> FFooterTotals;
  std::vector<TExportFooterX> FFooters;  // the footer definitions of the run, same index
  std::vector<TField*> FFooterFields;
  std::vector<TField*> FDirectText;  // by exported column: the field whose display text is the cell's
  enum TDirectKind : uint8_t { dkText, dkInteger, dkString };
  std::vector<TDirectKind> FDirectKind;
  int FFooterRows = 0;
  bool FWalked = false;  // the last ExportStream had something to walk (a selection, or everything)
  std::string FOut;
  TExportCellParamsX FParams;
  std::unique_ptr<TFont> FCellFont;
  TGridXExportSelection FSelection;
  bool FHasSelection = false;
};

// Tab-separated text: cells by TAB, lines by CR LF, nothing escaped, no line end after the last line.
class TDBGridXExportAsText : public TDBGridXExport {
 protected:
  void EmitTitle(const TColumnsXList& Columns) override;
  void EmitRecord(const TColumnsXList& Columns) override;
  void EmitDataCell(TColumnX* Column, TExportCellParamsX& Params) override;
  void EmitFooter(const TColumnsXList& Columns, int FooterNo) override;
  void EmitFooterCell(int DataCol, int Row, const std::string& Text, TAlignment Alignment, TColor Background,
                      TFont* Font, TColumnX* Column) override;
  virtual void StartLine();
  virtual void StartCell();
  // A cell's text as the format writes it.
  virtual void PutCellText(const std::string& Text) { Put(Text); }

 public:
  void ExportStream(TStream* S, bool IsExportAll) override;

 protected:
  bool AtFirstRecord = true;
  bool AtFirstCell = true;
};

// CSV: the text layout with ";" between cells and every title, data and footer text in double quotes,
// inner quotes doubled.
class TDBGridXExportAsCSV : public TDBGridXExportAsText {
 public:
  static constexpr char Separator = ';';

 protected:
  void StartCell() override;
  void PutCellText(const std::string& Text) override;
};

// Appends what is written to a string: ExportGridToString makes the export in the buffer it returns
// (RTF puts its tables in front of its body there instead of gathering the body apart).
class TStringSinkStream : public TStream {
 public:
  explicit TStringSinkStream(std::string& Bytes) : FBytes(Bytes) {}
  int64_t Read(void*, int64_t) override { return 0; }
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;  // only the end can be asked for
  int64_t Size() override { return static_cast<int64_t>(FBytes.size()); }
  std::string& Bytes() { return FBytes; }

 private:
  std::string& FBytes;
};

// Creates an exporter of class T for Grid and runs it.
template <typename T>
void ExportGridToStream(TCustomDBGridX* Grid, TStream* Stream, bool IsExportAll) {
  T Exporter;
  Exporter.DBGridX = Grid;
  Exporter.ExportStream(Stream, IsExportAll);
}
// The exported bytes of Exporter (its DBGridX set by the caller) as a buffer.
std::string ExportGridToString(TDBGridXExport& Exporter, bool IsExportAll);
template <typename T>
std::string ExportGridToString(TCustomDBGridX* Grid, bool IsExportAll) {
  T Exporter;
  Exporter.DBGridX = Grid;
  return ExportGridToString(Exporter, IsExportAll);
}

// The grid's selection as an export or import walks it.
TGridXExportSelection GridXExportSelectionOf(TCustomDBGridX* Grid);

// Appends Text in double quotes with each inner quote doubled.
void AppendCsvQuoted(std::string& Out, const std::string& Text);
