#pragma once
// Importing into a data grid's data set: TDBGridXImport walks the target records (the selected ones,
// the records from the current one on, or new records) and columns and fills them from a source
// record by record. TDBGridXImportAsText reads tab-separated text (what the text export writes),
// TDBGridXImportAsCSV reads the CSV export; the binary grid-data reader is in DBGridXBinary.h.
//
// A source record is read completely before any of its values is assigned, so malformed input stops
// the import between records: the records already written stay, and no record is left half-written
// (an import that fails cancels the edit or insert it had opened). Cell assignment errors ask the user
// to skip the cell, stop, or skip all later errors.

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "datagrid/DBGridXExport.h"

// Reads a stream in blocks; Next() gives one byte at a time without a call per byte to the stream.
class TImportByteSource {
 public:
  void Reset(TStream* S);
  int Next() {
    if (FPos == FLen && !Fill()) return -1;
    return static_cast<unsigned char>(FBuf[FPos++]);
  }
  int Peek() {
    if (FPos == FLen && !Fill()) return -1;
    return static_cast<unsigned char>(FBuf[FPos]);
  }
  // Looks through everything after the last byte read, without moving the reading position: whether
  // it holds a CR LF, and whether it holds an LF.
  void ScanLineEnds(bool& CRLF, bool& LF);
  // Reads exactly Count bytes into Out; false (nothing guaranteed in Out) when fewer are left.
  bool ReadExact(void* Out, size_t Count);
  // Bytes left in the source (the stream's size less what was consumed).
  int64_t Remaining() const { return FTotal - FConsumed - static_cast<int64_t>(FPos); }

 private:
  bool Fill();
  TStream* FStream = nullptr;
  std::vector<char> FBuf = std::vector<char>(1 << 16);
  size_t FPos = 0, FLen = 0;
  int64_t FConsumed = 0;  // bytes before FBuf[0]
  int64_t FTotal = 0;
};

class TDBGridXImport : public TObject {
 public:
  TDBGridXImport() = default;
  ~TDBGridXImport() override = default;
  TDBGridXImport(const TDBGridXImport&) = delete;
  TDBGridXImport& operator=(const TDBGridXImport&) = delete;

  // The target grid (not owned).
  TCustomDBGridX* DBGridX = nullptr;
  virtual void ImportStream(TStream* Stream, bool IsImportAll);
  void ImportFile(const std::string& FileName, bool IsImportAll);

  // An explicit selection for the next import; by default the grid's selected rows.
  void SetSelection(const TGridXExportSelection& Selection);
  virtual TGridXExportSelection GridSelection();

  // Asked on a cell assignment error (until "All" was chosen): mrYes skips the cell, mrNo stops the
  // import (silently), mrAll skips this and every later error. Default: the Yes/No/All message box.
  std::function<int(const std::string& Message)> OnCellError;

 protected:
  virtual void ReadPrefix() {}
  virtual void ReadSuffix() {}
  // Reads the next source record into the importer's own store; false at the end of the source.
  virtual bool ReadRecord() = 0;
  // Assigns value I of the record read (the importer's store) into Column's field.
  virtual void ParseDataCell(TColumnX* Column, int I) = 0;
  // Number of values of the record read.
  virtual int RecordValueCount() const = 0;
  // One source record into the current record, then the next one read ahead.
  virtual void ParseRecord(const TColumnsXList& Columns);

  // Reads the first record ahead (after ReadPrefix).
  void ReadAhead();
  // Runs Assign with the cell-error protocol.
  void AssignGuarded(const std::function<void()>& Assign);
  // The field a cell writes: the column's, for a lookup column its key field; nullptr when the column
  // does not accept edits.
  TField* TargetField(TColumnX* Column);
  // Puts the data set into edit state when it is browsing; true while it is editing or inserting.
  bool EnsureEditing(TDataSet* DS);
  TDataSet* DataSet() const;

  TStream* Stream = nullptr;
  TImportByteSource Source;
  TColumnsXList ImpCols;
  bool AtEnd = false;
  bool IgnoreAll = false;

 private:
  void InsertImportedRecords(bool AppendMode);
  std::exception_ptr FPendingError;
  TGridXExportSelection FSelection;
  bool FHasSelection = false;
  bool FOpenedRecord = false;  // the import put the data set into edit or insert state
};

// Tab-separated text. Cells are split at TAB. The whole text says how records end: when it holds any
// CR LF (the grid's own copies) only CR LF ends a record and a lone LF or CR is text of its cell (a
// memo's line break, also one before the first CR LF); otherwise, when it holds an LF (text from other
// programs), LF ends a record and a CR is cell text; otherwise CR does. An empty line is a record
// without cells; a TAB right before a line end or the end adds no empty cell.
class TDBGridXImportAsText : public TDBGridXImport {
 public:
  void ImportStream(TStream* S, bool IsImportAll) override;

 protected:
  void ReadPrefix() override {}
  bool ReadRecord() override;
  void ParseDataCell(TColumnX* Column, int I) override;
  int RecordValueCount() const override { return static_cast<int>(FCells.size()); }
  // Assigns Text to Column's field the way a typed cell would: lookup columns by their result text,
  // key lists by the pick list; an unknown text leaves the field as it was.
  void AssignText(TColumnX* Column, const std::string& Text);
  std::vector<std::string> FCells;

 private:
  enum TLineEnd { leUnknown, leCRLF, leLF, leCR };
  // C (a CR or LF just read) ends the record under the text's line ends; a CR LF is consumed whole.
  // The first line end met looks through the rest of the text to decide them.
  bool AtRecordEnd(int C);
  TLineEnd FLineEnd = leUnknown;
};

// CSV as the CSV export writes it: cells separated by ";", quoted cells with doubled inner quotes
// (line ends inside quotes belong to the cell), unquoted cells taken as they are.
class TDBGridXImportAsCSV : public TDBGridXImportAsText {
 public:
  static constexpr char Separator = ';';

 protected:
  bool ReadRecord() override;
};

template <typename T>
void ImportGridFromStream(TCustomDBGridX* Grid, TStream* Stream, bool IsImportAll) {
  T Importer;
  Importer.DBGridX = Grid;
  Importer.ImportStream(Stream, IsImportAll);
}
// Imports Bytes (a buffer) through Importer (its DBGridX set by the caller).
void ImportGridFromString(TDBGridXImport& Importer, const std::string& Bytes, bool IsImportAll);

// The importers' and the binary format's message texts by resource id (65111 text format, 65112
// binary format, 65113/65114 the cell error question).
std::string ImpExpResString(int Id);
