#pragma once
// Column storage of the in-memory data set (private to platform/data). Each data field is one column of
// fixed-width values in chunks of 65,536 rows with a null bit per value; text values are (block, offset,
// length) references into an arena of 1 MiB blocks, so appending a record allocates nothing except a new
// chunk or block now and then. Blobs and variants are kept one object per row. Rows are never moved or
// reused: a deleted row keeps its slot (marked deleted) until the storage is emptied.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data/db.h"

enum TColKind { ckBool, ckInt32, ckDays, ckInt64, ckDouble, ckString, ckBlob, ckVariant };

struct TMemColumn {
  TColKind Kind = ckInt32;
  int Width = 4;
  bool AutoInc = false;
  int64_t NextAutoInc = 1;  // past INT32_MAX once the last value is used: no value is left
  std::vector<std::unique_ptr<uint8_t[]>> Data;
  std::vector<std::unique_ptr<uint64_t[]>> Nulls;  // bit set: null
  std::vector<std::string> Blobs;
  std::vector<Variant> Vars;
};

class TMemStorage {
 public:
  static constexpr int ChunkBits = 16;
  static constexpr uint32_t ChunkRows = 1u << ChunkBits;
  static constexpr uint32_t ChunkMask = ChunkRows - 1;
  static constexpr size_t BlockSize = size_t(1) << 20;

  explicit TMemStorage(uint32_t ASerial) : Serial(ASerial) {}

  uint32_t Serial;
  uint32_t RowCount = 0;
  uint32_t LiveCount = 0;
  std::vector<TMemColumn> Columns;

  static TColKind KindOf(TFieldType T) {
    switch (T) {
      case ftBoolean: return ckBool;
      case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: return ckInt32;
      case ftDate: return ckDays;
      case ftLargeint: case ftBCD: case ftFMTBcd: return ckInt64;
      case ftFloat: case ftCurrency: case ftTime: case ftDateTime: case ftTimeStamp: return ckDouble;
      case ftString: case ftFixedChar: case ftWideString: case ftGuid: case ftBytes: case ftVarBytes:
        return ckString;
      case ftVariant: return ckVariant;
      default: return ckBlob;
    }
  }

  void AddColumn(TFieldType T) {
    TMemColumn c;
    c.Kind = KindOf(T);
    c.Width = c.Kind == ckBool ? 1 : (c.Kind == ckInt32 || c.Kind == ckDays) ? 4 : (c.Kind == ckBlob || c.Kind == ckVariant) ? 0 : 8;
    c.AutoInc = T == ftAutoInc;
    Columns.push_back(std::move(c));
  }

  uint32_t AddRow() {
    uint32_t row = RowCount;
    if ((row & ChunkMask) == 0) {
      for (TMemColumn& c : Columns) {
        if (c.Width > 0) c.Data.emplace_back(new uint8_t[size_t(c.Width) * ChunkRows]);
        c.Nulls.emplace_back(new uint64_t[ChunkRows / 64]);
        std::memset(c.Nulls.back().get(), 0xFF, ChunkRows / 8);
      }
      Deleted.resize(Deleted.size() + ChunkRows / 64, 0);
    }
    for (TMemColumn& c : Columns) {
      if (c.Kind == ckBlob) c.Blobs.emplace_back();
      else if (c.Kind == ckVariant) c.Vars.emplace_back();
    }
    ++RowCount;
    ++LiveCount;
    return row;
  }

  bool IsDeleted(uint32_t Row) const { return (Deleted[Row >> 6] >> (Row & 63)) & 1; }
  void MarkDeleted(uint32_t Row) {
    Deleted[Row >> 6] |= uint64_t(1) << (Row & 63);
    --LiveCount;
    for (TMemColumn& c : Columns) {
      if (c.Kind == ckBlob) std::string().swap(c.Blobs[Row]);
      else if (c.Kind == ckVariant) c.Vars[Row] = Variant();
    }
  }

  bool IsNull(const TMemColumn& C, uint32_t Row) const {
    return (C.Nulls[Row >> ChunkBits][(Row & ChunkMask) >> 6] >> (Row & 63)) & 1;
  }
  void SetNull(TMemColumn& C, uint32_t Row, bool Null) {
    uint64_t& w = C.Nulls[Row >> ChunkBits][(Row & ChunkMask) >> 6];
    uint64_t bit = uint64_t(1) << (Row & 63);
    w = Null ? (w | bit) : (w & ~bit);
  }
  uint8_t* Slot(TMemColumn& C, uint32_t Row) {
    return C.Data[Row >> ChunkBits].get() + size_t(Row & ChunkMask) * C.Width;
  }
  const uint8_t* Slot(const TMemColumn& C, uint32_t Row) const {
    return C.Data[Row >> ChunkBits].get() + size_t(Row & ChunkMask) * C.Width;
  }

  // Text references: block (24 bits) | offset (20 bits) | length (20 bits).
  std::string_view GetString(const TMemColumn& C, uint32_t Row) const {
    uint64_t ref;
    std::memcpy(&ref, Slot(C, Row), 8);
    size_t len = ref & 0xFFFFF, off = (ref >> 20) & 0xFFFFF, block = ref >> 40;
    return std::string_view(Blocks[block].get() + off, len);
  }
  void SetString(TMemColumn& C, uint32_t Row, std::string_view S) {
    if (S.size() >= BlockSize) DatabaseError("Text value too long for the in-memory data set");
    uint8_t* slot = Slot(C, Row);
    if (!IsNull(C, Row)) {
      uint64_t ref;
      std::memcpy(&ref, slot, 8);
      size_t len = ref & 0xFFFFF;
      if (S.size() <= len) {  // fits where the old text was
        size_t off = (ref >> 20) & 0xFFFFF, block = ref >> 40;
        if (!S.empty()) std::memcpy(Blocks[block].get() + off, S.data(), S.size());
        ref = (ref & ~uint64_t(0xFFFFF)) | S.size();
        std::memcpy(slot, &ref, 8);
        return;
      }
    }
    if (Blocks.empty() || BlockUsed + S.size() > BlockSize) {
      Blocks.emplace_back(new char[BlockSize]);
      BlockUsed = 0;
    }
    uint64_t block = Blocks.size() - 1;
    if (!S.empty()) std::memcpy(Blocks.back().get() + BlockUsed, S.data(), S.size());
    uint64_t ref = (block << 40) | (uint64_t(BlockUsed) << 20) | S.size();
    BlockUsed += S.size();
    std::memcpy(slot, &ref, 8);
    SetNull(C, Row, false);
  }

  size_t MemoryUsed() const {
    size_t n = Blocks.size() * BlockSize + Deleted.size() * 8;
    for (const TMemColumn& c : Columns) {
      n += c.Data.size() * size_t(c.Width) * ChunkRows + c.Nulls.size() * ChunkRows / 8;
      for (const std::string& b : c.Blobs) n += sizeof(std::string) + (b.capacity() > 15 ? b.capacity() : 0);
      n += c.Vars.size() * sizeof(Variant);
    }
    return n;
  }

 private:
  std::vector<uint64_t> Deleted;
  std::vector<std::unique_ptr<char[]>> Blocks;
  size_t BlockUsed = 0;
};
