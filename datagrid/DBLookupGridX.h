#pragma once
// The lookup grid: a data grid that acts as a list of choices. Its own data source is the list (the
// records offered, shown in rows); its key value names the chosen record (KeyField of the list) and
// SelectedText is the text of its list field on that record.
//
// Filled in by the lookup grid work: what is here is the smallest part the grid's in-place editor needs
// for its lookup drop-down (list source, key and list fields, key value, moving by keys, picking by
// mouse, hovering), under the names that work gives them. Data fields, the special row, incremental
// search and the lookup grid's own scroll bar come with that work.

#include <string>

#include "datagrid/DBGridX.h"

enum TDBLookupGridXOption { dlgColumnResizeX, dlgColLinesX, dlgRowLinesX, dlgAutoSortMarkingX, dlgMultiSortMarkingX };
using TDBLookupGridXOptions = TSet<TDBLookupGridXOption>;

class TDBLookupGridX : public TCustomDBGridX {
  DECLARE_CLASS(TDBLookupGridX, TCustomDBGridX)
  explicit TDBLookupGridX(TComponent* AOwner);

  TDataSource* ListSource() const { return TCustomDBGridX::DataSource(); }
  void SetListSource(TDataSource* Value);
  const std::string& KeyField() const { return FKeyField; }
  void SetKeyField(const std::string& Value) { FKeyField = Value; }
  // ";"-separated list fields; each gets a column, the first gives SelectedText.
  const std::string& ListField() const { return FListField; }
  void SetListField(const std::string& Value);
  // The key of the current list record (Null without one); setting it moves to the matching record.
  Variant KeyValue() const;
  void SetKeyValue(const Variant& Value);
  // The list field's text of the current list record.
  std::string SelectedText() const;
  TDBLookupGridXOptions LookupOptions() const { return FLookupOptions; }
  void SetLookupOptions(TDBLookupGridXOptions Value);
  void SetShowTitles(bool Value);
  void SetLookupUseMultiTitle(bool Value) { SetUseMultiTitle(Value); }
  // The data rows the height is sized for.
  int DisplayRows() const { return FDisplayRows; }
  void SetDisplayRowCount(int Value);
  // The window width that shows every column.
  int WidthForColumns();

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  // Moves the list to the record shown in grid row ARow; false outside the data rows.
  bool SelectRecordAtRow(int ARow);
  virtual void KeyValueChangedByUser() {}

 private:
  std::string FKeyField, FListField;
  int FDisplayRows = 7;
  TDBLookupGridXOptions FLookupOptions{dlgColLinesX};
};
