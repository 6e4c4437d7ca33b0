#pragma once
// The lookup grid and its drop-down form.
//
// TDBLookupGridX shows the records of a list data set (its list source) and stands on the record whose
// key fields (KeyField) hold its key value; SelectedText is the text of its list field on that record.
// TPopupDataGridX is the same grid as a pop-up window that never takes the focus, with a size grip,
// reporting a pick by mouse to its owner.
//
// Filled in by the lookup grid work: what is here is the smallest part the grid's in-place editor needs
// for its lookup drop-down (list source, key and list fields, key value, moving by keys, picking by
// mouse, hovering). Special row, data fields, incremental search and the lookup grid's own scroll bar
// come with that work.

#include <functional>
#include <string>

#include "datagrid/DBGridX.h"
#include "dataedit/PopupsX.h"

class TDBLookupGridX : public TCustomDBGridX {
  DECLARE_CLASS(TDBLookupGridX, TCustomDBGridX)
  explicit TDBLookupGridX(TComponent* AOwner);

  TDataSource* ListSource() const { return DataSource(); }
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
  // The data rows the height is sized for.
  int DisplayRows() const { return FDisplayRows; }
  void SetDisplayRows(int Value);
  // The client width the columns need.
  int ColumnsWidth();
  // The user moved to another record (keys or mouse).
  TNotifyEvent OnKeyValueChangedByUser;

 protected:
  void KeyDown(WORD& Key, TShiftState Shift) override;
  // Moves the list to the record shown in grid row ARow; false outside the data rows.
  bool SelectRecordAt(int ARow);

 private:
  std::string FKeyField, FListField;
  int FDisplayRows = 7;
};

class TPopupDataGridX : public TDBLookupGridX {
  DECLARE_CLASS(TPopupDataGridX, TDBLookupGridX)
  explicit TPopupDataGridX(TComponent* AOwner);

  bool CanFocus() const override { return false; }
  // Shown, it marks its current row as a focused list does (it never takes the focus itself).
  bool HasFocusInside() override { return Visible(); }
  TSizeGripX* SizeGrip() const { return FSizeGrip; }
  bool WasResized() const { return FWasResized; }
  void SetWasResized(bool Value) { FWasResized = Value; }
  void Dispatch(TMessage& Message) override;
  // (Sender, Accept): a mouse button was released inside on a record (True) or outside (False).
  std::function<void(TObject* Sender, bool Accept)> OnPickByMouse;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  TSizeGripX* FSizeGrip;
  bool FWasResized = false;
};
