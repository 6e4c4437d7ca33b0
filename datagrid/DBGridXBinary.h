#pragma once
// The grid library's binary grid-data format: field values moved between grids without losing their
// type (integers, floating values, texts, binary data, null and "no value" stay distinct).
//
// Layout (little-endian, no padding): a 12-byte header (the signature bytes "VCLDBIF", a version byte,
// a signed 32-bit column count N), N column descriptors (a visible flag byte and a zero-ended name,
// written empty), then the values record after record, N per record, each a tag byte and its payload:
// 0 end, 1 no value, 2 null, 3 int32, 4 double, 5 text and 6 binary (int32 length L, then L bytes).
//
// The reader checks every length against the bytes that are left before it allocates, reads a whole
// record before it assigns any of it, and reports every malformed input with one message.

#include <cstdint>
#include <string>
#include <vector>

#include "datagrid/DBGridXExport.h"
#include "datagrid/DBGridXImport.h"

namespace GridDataFormat {
inline constexpr char Signature[7] = {'V', 'C', 'L', 'D', 'B', 'I', 'F'};
inline constexpr uint8_t Version = 1;
inline constexpr int HeaderSize = 12;
// The most columns a block may declare: far more than any grid lays out, and few enough that the
// column descriptors of a block can be read without a large allocation.
inline constexpr int32_t MaxColumns = 65536;
enum TTag : uint8_t { tagEnd = 0, tagUnassigned = 1, tagNull = 2, tagInteger = 3, tagFloat = 4, tagString = 5,
                      tagBinary = 6 };
// The tag a field's value is written with (by data type).
TTag TagForField(TField* Field);
// The message of every format error.
std::string FormatErrorMessage();
}  // namespace GridDataFormat

// Writer: an exporter without titles or footer cells.
class TDBGridXExportAsGridData : public TDBGridXExport {
 public:
  // Value writers (tag and payload in one piece).
  void PutUnassignedValue();
  void PutNullValue();
  void PutIntegerValue(int32_t Value);
  void PutFloatValue(double Value);
  void PutStringValue(const std::string& Value);
  void PutBinaryValue(const std::string& Value);

 protected:
  void EmitPrefix() override;
  void EmitSuffix() override;
  void EmitDataCell(TColumnX* Column, TExportCellParamsX& Params) override;
  bool NeedsCellText() const override { return false; }

 private:
  void PutTagged(uint8_t Tag, const void* Payload, size_t Size);
  std::string FText;
};

// Reader: values are assigned by position; descriptor names and flags are kept but not matched.
class TDBGridXImportAsGridData : public TDBGridXImport {
 public:
  void ImportStream(TStream* S, bool IsImportAll) override;
  struct TColumnName {
    std::string Name;
    uint8_t Flag = 0;
  };
  const std::vector<TColumnName>& ColumnNames() const { return FColumnNames; }

 protected:
  void ReadPrefix() override;
  bool ReadRecord() override;
  void ParseDataCell(TColumnX* Column, int I) override;
  int RecordValueCount() const override { return static_cast<int>(FValues.size()); }

 private:
  [[noreturn]] void FormatError() const;
  Variant ReadValue(uint8_t Tag);
  uint8_t FHeader[GridDataFormat::HeaderSize] = {};
  int32_t FColumnCount = 0;
  std::vector<TColumnName> FColumnNames;
  std::vector<Variant> FValues;
};
