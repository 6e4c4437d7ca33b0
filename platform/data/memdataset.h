#pragma once
// TMemDataSet: the in-memory data set that controls, tests and benchmarks bind to.
//
// Records live in column storage (platform/data/memstorage.h): one array per data field in chunks of 65,536
// rows, strings packed in a shared arena, a null bit per value. A record is a row number that never changes
// while the storage lives, so a bookmark (storage serial + row) stays valid across sorting, filtering and
// inserts, and a bookmark of another data set, of emptied storage or of a deleted record is refused.
//
// The view is the ordered list of rows the cursor walks: rows in the master's range (MasterSource,
// MasterFields, DetailFields), accepted by the filter (Filter/Filtered, OnFilterRecord), in the order of
// IndexFieldNames (fields in DescFields descending, fields in CaseInsFields ignoring case; a lookup field by
// the value it shows, a memo by its text; insertion order without index fields). A posted record takes its place in the view; one that no longer passes the filter
// or range leaves it.
//
// Storage is made when the data set is first opened (from its fields, or from FieldDefs when it has no
// fields) and kept when it is closed; EmptyDataSet drops all records. Changing the fields while closed
// makes new, empty storage at the next Open.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data/db.h"

class TMemStorage;
class TMemMasterLink;

class TMemDataSet : public TDataSet {
  DECLARE_PUBLISHED_CLASS(TMemDataSet, TDataSet)
  static void DeclarePublished(TPublished<TMemDataSet>& P);
  explicit TMemDataSet(TComponent* AOwner);
  ~TMemDataSet() override;

  // Makes a data field of the class for Type, owned by the data set (while it is closed).
  TField* AddField(const std::string& Name, TFieldType Type, int Size = 0, bool Required = false);
  // Makes a calculated or lookup field (while closed).
  TField* AddCalcField(const std::string& Name, TFieldType Type, int Size = 0);
  TField* AddLookupField(const std::string& Name, TFieldType Type, const std::string& KeyFields,
                         TDataSet* LookupDataSet, const std::string& LookupKeyFields,
                         const std::string& LookupResultField, int Size = 0);
  // Opens with new, empty storage.
  void CreateDataSet();
  void EmptyDataSet();

  int RecNo() const override;
  void SetRecNo(int Value) override;
  int RecordCount() const override;
  bool IsSequenced() const override { return FSequenced; }
  // Whether record numbers are offered (true by default); off, RecNo is -1 and the data set behaves
  // like one without record numbers.
  void SetSequenced(bool Value);

  bool BookmarkValid(const TBookmark& Value) const override;
  int CompareBookmarks(const TBookmark& A, const TBookmark& B) const override;
  bool Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) override;
  Variant Lookup(const std::string& KeyFields, const Variant& KeyValues, const std::string& ResultFields) override;
  Variant GetOldValue(const TField* Field) const override;

  const std::string& IndexFieldNames() const { return FIndexFieldNames; }
  void SetIndexFieldNames(const std::string& Value);
  const std::string& DescFields() const { return FDescFields; }
  void SetDescFields(const std::string& Value);
  const std::string& CaseInsFields() const { return FCaseInsFields; }
  void SetCaseInsFields(const std::string& Value);

  TDataSource* MasterSource() const { return FMasterSource; }
  void SetMasterSource(TDataSource* Value);
  const std::string& MasterFields() const { return FMasterFields; }
  void SetMasterFields(const std::string& Value);
  // This data set's fields matched against MasterFields (the same names when empty).
  const std::string& DetailFields() const { return FDetailFields; }
  void SetDetailFields(const std::string& Value);
  TDataSource* GetDataSource() const override { return FMasterSource; }

  // Bytes the records take (columns, arena, view), for measurements.
  size_t MemoryUsed() const;

 protected:
  void InternalOpen() override;
  void InternalClose() override;
  void InternalFirst() override;
  void InternalLast() override;
  TGetResult GetRecord(TRecBuf& Buf, TGetMode Mode) override;
  void InternalSetToRecord(const TRecBuf& Buf) override;
  void InternalInitRecord(TRecBuf& Buf) override;
  void InternalEdit() override;
  void InternalPost() override;
  void InternalCancel() override;
  void InternalDelete() override;
  void InternalRefresh() override;
  TBookmark GetBookmarkOf(const TRecBuf& Buf) const override;
  bool InternalGotoBookmark(const TBookmark& Value) override;
  bool GetRecordData(const TField* Field, const TRecBuf& Buf, void* Buffer) const override;
  void SetRecordData(TField* Field, TRecBuf& Buf, const void* Buffer) override;
  void FilterChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TMemMasterLink;
  struct TSortKey {
    int Column;  // the stored column; -1 for a lookup field
    bool Desc;
    bool CaseIns;
    // A lookup field sorts by the text it shows: its key fields' stored values looked up in its data
    // set, each distinct key once per sort.
    TField* Lookup = nullptr;
    std::vector<TField*> LookupKeys;
    std::shared_ptr<std::map<std::string, Variant>> Shown;
  };
  // The value a lookup sort key shows for a stored row (Null when the lookup finds nothing).
  const Variant& LookupShown(const TSortKey& Key, uint32_t Row) const;
  std::string LayoutSignature() const;
  void BuildView();
  void SortView();
  bool RowInRange(uint32_t Row) const;
  bool RowAccepted(uint32_t Row);
  int CompareRows(uint32_t A, uint32_t B) const;
  void BuildSortKeys();
  void EnsurePositions() const;
  int PositionOfRow(uint32_t Row) const;  // -1 when not in the view
  bool DecodeBookmark(const TBookmark& B, uint32_t& Row) const;  // false for a foreign bookmark
  int FindRow(const std::vector<TField*>& Fields, const Variant& KeyValues, TLocateOptions Options);
  void MasterChanged();
  void ReorderKeepingCurrent();
  void CheckStorageField(const TField* Field) const;

  struct TEditValuesHolder;
  std::unique_ptr<TEditValuesHolder> FEdit;
  std::vector<uint32_t> FNatural;  // every row in insertion order while the view is filtered or sorted
  bool FViewIsNatural = true;
  std::unique_ptr<TMemStorage> FStorage;
  std::string FStorageLayout;
  std::vector<uint32_t> FView;
  mutable std::vector<int32_t> FPosOfRow;
  mutable bool FPositionsValid = false;
  int FCursor = -1;
  bool FSequenced = true;
  std::string FIndexFieldNames, FDescFields, FCaseInsFields;
  std::vector<TSortKey> FSortKeys;
  // Range from the master.
  TDataSource* FMasterSource = nullptr;
  std::string FMasterFields, FDetailFields;
  std::unique_ptr<TMemMasterLink> FMasterLink;
  bool FRangeActive = false;
  std::vector<int> FRangeColumns;
  std::vector<Variant> FRangeValues;

  // ---- positional access (memaccess.cpp): controls that draw or search many records read them where
  // they stand, by their position in the view (from 0), without moving the cursor
 public:
  // The current record's view position; -1 when there is none. While inserting: where the new record
  // goes (the view's size when appending).
  int CurrentPosition() const;
  // Fields read the record at view position Pos until EndReadAt (the state is dsFilter meanwhile, so
  // nothing can be written); false, with nothing to end, when Pos is outside the view.
  bool BeginReadAt(int Pos);
  void EndReadAt() { EndRecordRead(); }
  // The bookmark of the record at a view position (empty outside the view).
  TBookmark BookmarkAt(int Pos) const;
  // Walks the view from position From by Step (+1 or -1) and answers the first position whose stored
  // text in Field satisfies Match; null values never do. -1 when none matches, or when Field is not a
  // text data field of this data set (the caller then reads through the fields).
  int ScanText(const TField* Field, int From, int Step, const std::function<bool(std::string_view)>& Match) const;
};
