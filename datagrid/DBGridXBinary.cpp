// The binary grid-data format: writer and reader.
#include "datagrid/DBGridXBinary.h"

#include <algorithm>
#include <cstring>

namespace GridDataFormat {

TTag TagForField(TField* Field) {
  if (!Field) return tagUnassigned;
  switch (Field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
      return tagInteger;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
    case ftFMTBcd:
      return tagFloat;
    case ftString:
    case ftBoolean:
    case ftMemo:
    case ftFixedChar:
    case ftLargeint:
    case ftOraClob:
    case ftGuid:
      return tagString;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftWideString:
    case ftOraBlob:
      return tagBinary;
    default:
      return tagUnassigned;
  }
}

std::string FormatErrorMessage() { return "TDBGridXImportAsVCLDBIF.ReadPrefix: " + ImpExpResString(65112); }

}  // namespace GridDataFormat

using namespace GridDataFormat;

// ---------------------------------------------------------------------------------------------------
// Writer

void TDBGridXExportAsGridData::PutTagged(uint8_t Tag, const void* Payload, size_t Size) {
  char Buf[16];
  Buf[0] = static_cast<char>(Tag);
  std::memcpy(Buf + 1, Payload, Size);
  Put(Buf, Size + 1);
}

void TDBGridXExportAsGridData::PutUnassignedValue() { Put(static_cast<char>(tagUnassigned)); }
void TDBGridXExportAsGridData::PutNullValue() { Put(static_cast<char>(tagNull)); }
void TDBGridXExportAsGridData::PutIntegerValue(int32_t Value) { PutTagged(tagInteger, &Value, 4); }
void TDBGridXExportAsGridData::PutFloatValue(double Value) { PutTagged(tagFloat, &Value, 8); }

void TDBGridXExportAsGridData::PutStringValue(const std::string& Value) {
  const int32_t L = static_cast<int32_t>(Value.size());
  PutTagged(tagString, &L, 4);
  Put(Value);
}

void TDBGridXExportAsGridData::PutBinaryValue(const std::string& Value) {
  const int32_t L = static_cast<int32_t>(Value.size());
  PutTagged(tagBinary, &L, 4);
  Put(Value);
}

void TDBGridXExportAsGridData::EmitPrefix() {
  char Header[HeaderSize];
  std::memcpy(Header, Signature, 7);
  Header[7] = static_cast<char>(Version);
  const int32_t N = static_cast<int32_t>(ExpCols.size());
  std::memcpy(Header + 8, &N, 4);
  Put(Header, HeaderSize);
  for (TColumnX* Col : ExpCols) {
    Put(static_cast<char>(Col->Visible() ? 1 : 0));
    Put('\0');
  }
}

void TDBGridXExportAsGridData::EmitSuffix() { Put(static_cast<char>(tagEnd)); }

void TDBGridXExportAsGridData::EmitDataCell(TColumnX* Column, TExportCellParamsX& Params) {
  (void)Params;
  TField* F = Column->Field();
  // A lookup column moves its key, so that reading it back sets the key and the looked-up text follows.
  if (F && F->Lookup()) F = F->KeyFields().empty() ? nullptr : F->DataSet()->FindField(F->KeyFields());
  const TTag Tag = TagForField(F);
  if (Tag == tagUnassigned) {
    // A null is a null whatever the field's type, so that pasting it clears the target.
    if (F && F->IsNull())
      PutNullValue();
    else
      PutUnassignedValue();
    return;
  }
  // One read of the stored value where the field keeps it in the written form (the common types);
  // otherwise the null test and the typed read.
  switch (F->Native()) {
    case TField::nvInt32:
      if (Tag == tagInteger) {
        int32_t V;
        if (F->GetData(&V))
          PutIntegerValue(V);
        else
          PutNullValue();
        return;
      }
      break;
    case TField::nvDouble:
      if (Tag == tagFloat) {
        double V;
        if (F->GetData(&V))
          PutFloatValue(V);
        else
          PutNullValue();
        return;
      }
      break;
    case TField::nvString:
      if (F->DataType() == ftString && !F->OnGetText) {
        FText.clear();
        if (F->GetData(&FText))
          PutStringValue(FText);
        else
          PutNullValue();
        return;
      }
      break;
    default:
      break;
  }
  if (F->IsNull()) {
    PutNullValue();
    return;
  }
  switch (Tag) {
    case tagInteger: PutIntegerValue(F->AsInteger()); break;
    case tagFloat: PutFloatValue(F->AsFloat()); break;
    case tagString: PutStringValue(F->AsString()); break;
    default: PutBinaryValue(F->AsString()); break;
  }
}

// ---------------------------------------------------------------------------------------------------
// Reader

void TDBGridXImportAsGridData::FormatError() const { throw Exception(FormatErrorMessage()); }

void TDBGridXImportAsGridData::ImportStream(TStream* S, bool IsImportAll) {
  IgnoreAll = false;
  FColumnNames.clear();
  FValues.clear();
  try {
    TDBGridXImport::ImportStream(S, IsImportAll);
  } catch (...) {
    FColumnNames.clear();
    throw;
  }
  FColumnNames.clear();
}

void TDBGridXImportAsGridData::ReadPrefix() {
  if (!Source.ReadExact(FHeader, HeaderSize)) FormatError();
  if (std::memcmp(FHeader, Signature, 7) != 0) FormatError();
  std::memcpy(&FColumnCount, FHeader + 8, 4);
  // Each descriptor takes at least two bytes and the end tag one more: a count the data cannot hold, or
  // more columns than a grid has, is refused before anything is allocated for it.
  if (FColumnCount < 0 || FColumnCount > MaxColumns ||
      static_cast<int64_t>(FColumnCount) * 2 + 1 > Source.Remaining())
    FormatError();
  FColumnNames.reserve(static_cast<size_t>(FColumnCount));
  for (int32_t i = 0; i < FColumnCount; ++i) {
    const int Flag = Source.Next();
    if (Flag < 0) FormatError();
    TColumnName D;
    D.Flag = static_cast<uint8_t>(Flag);
    for (;;) {
      const int C = Source.Next();
      if (C < 0) FormatError();
      if (C == 0) break;
      D.Name.push_back(static_cast<char>(C));
    }
    FColumnNames.push_back(std::move(D));
  }
}

Variant TDBGridXImportAsGridData::ReadValue(uint8_t Tag) {
  switch (Tag) {
    case tagUnassigned:
      return Variant();
    case tagNull:
      return Variant::Null();
    case tagInteger: {
      int32_t V;
      if (!Source.ReadExact(&V, 4)) FormatError();
      return Variant(static_cast<int>(V));
    }
    case tagFloat: {
      double V;
      if (!Source.ReadExact(&V, 8)) FormatError();
      return Variant(V);
    }
    case tagString:
    case tagBinary: {
      int32_t L;
      if (!Source.ReadExact(&L, 4)) FormatError();
      // The length is checked against what is left before the text is allocated.
      if (L < 0 || L > Source.Remaining()) FormatError();
      std::string S(static_cast<size_t>(L), '\0');
      if (L > 0 && !Source.ReadExact(S.data(), static_cast<size_t>(L))) FormatError();
      return Variant(std::move(S));
    }
    default:
      // The end tag inside a record, or a tag this format does not have.
      FormatError();
  }
}

bool TDBGridXImportAsGridData::ReadRecord() {
  const int First = Source.Next();
  if (First < 0) FormatError();  // data without the end tag
  if (First == tagEnd) return false;
  // Values without columns to carry them cannot be grouped into records.
  if (FColumnCount == 0) FormatError();
  // Values beyond the target columns are read and dropped.
  const size_t Keep = std::min(static_cast<size_t>(FColumnCount), ImpCols.size());
  FValues.resize(Keep);
  int Tag = First;
  for (int32_t i = 0; i < FColumnCount; ++i) {
    if (i > 0) Tag = Source.Next();
    if (Tag < 0) FormatError();
    Variant V = ReadValue(static_cast<uint8_t>(Tag));
    if (static_cast<size_t>(i) < Keep) FValues[static_cast<size_t>(i)] = std::move(V);
  }
  return true;
}

void TDBGridXImportAsGridData::ParseDataCell(TColumnX* Column, int I) {
  const Variant& V = FValues[static_cast<size_t>(I)];
  if (V.IsEmpty()) return;
  TField* Target = TargetField(Column);
  if (!Target) return;
  TDataSet* DS = Target->DataSet();
  AssignGuarded([&] {
    if (EnsureEditing(DS)) Target->SetAsVariant(V);
  });
}
