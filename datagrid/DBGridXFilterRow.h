#pragma once
// The filter row: an optional row under the grid's titles in which the user types a condition per
// column (> 10 AND < 20, In (1,2,3), =Null, a bare word). Each column keeps its condition parsed
// (TSTFilterExpressionX, read by the editor library's filter parser) with the text shown in its
// filter cell; the grid keeps one settings object (STFilter) and one shared editor that it moves
// onto the filter cell being edited. Applying the conditions to the data is the data service's work
// (TDBGridXDataService), or the grid's OnApplyFilterRow handler's.
//
// The texts the row writes for a condition parse back to the same condition: string values are
// quoted with embedded quotes doubled, and an empty In list is written as "In ()".

#include <memory>
#include <string>

#include "datagrid/DBGridX.h"
#include "datagrid/DBLookupComboX.h"
#include "dataedit/DbUtilsX.h"

// The grid's filter-row settings.
class TSTDBGridXFilter : public TPersistent {
  DECLARE_CLASS(TSTDBGridXFilter, TPersistent)
  explicit TSTDBGridXFilter(TCustomDBGridX* AGrid) : FGrid(AGrid) {}
  void Assign(TPersistent* Source) override;
  TCustomDBGridX* Grid() const { return FGrid; }
  // Stored only; nothing in the grid reads it.
  bool Local() const { return FLocal; }
  void SetLocal(bool Value) { FLocal = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // While above 0 the grid neither moves nor hides the filter editor.
  int UpdateCount() const { return FUpdateCount; }
  void BeginFilterUpdate() { ++FUpdateCount; }
  void EndFilterUpdate() { --FUpdateCount; }

 private:
  TCustomDBGridX* FGrid;
  bool FLocal = false;
  int FUpdateCount = 0;
  bool FVisible = false;
};

// The filter row's update lock for a scope (or until Release): the filter editor keeps its place while
// the grid's columns settle. A grid without a filter row yet takes none.
class TFilterUpdateScopeX {
 public:
  explicit TFilterUpdateScopeX(std::shared_ptr<TSTDBGridXFilter> Filter) : FFilter(std::move(Filter)) {
    if (FFilter) FFilter->BeginFilterUpdate();
  }
  ~TFilterUpdateScopeX() { Release(); }
  TFilterUpdateScopeX(const TFilterUpdateScopeX&) = delete;
  TFilterUpdateScopeX& operator=(const TFilterUpdateScopeX&) = delete;
  void Release() {
    if (FFilter) FFilter->EndFilterUpdate();
    FFilter.reset();
  }

 private:
  std::shared_ptr<TSTDBGridXFilter> FFilter;
};

// A column's condition, its shown text, and the list of values the filter cell may offer.
class TSTColumnFilterX : public TPersistent {
  DECLARE_PUBLISHED_CLASS(TSTColumnFilterX, TPersistent)
  static void DeclarePublished(TPublished<TSTColumnFilterX>& P);
  explicit TSTColumnFilterX(TColumnX* AColumn);
  ~TSTColumnFilterX() override;
  void Assign(TPersistent* Source) override;

  TColumnX* Column() const { return FColumn; }
  const std::string& DataField() const { return FDataField; }
  void SetDataField(const std::string& Value) { FDataField = Value; }
  const std::string& KeyField() const { return FKeyField; }
  void SetKeyField(const std::string& Value) { FKeyField = Value; }
  const std::string& ListField() const { return FListField; }
  void SetListField(const std::string& Value) { FListField = Value; }
  TDataSource* ListSource() const { return FListLink->DataSource(); }
  void SetListSource(TDataSource* Value) { FListLink->SetDataSource(Value); }
  TStringList* ListItems() const { return FListItems.get(); }
  TStringList* ListKeys() const { return FListKeys.get(); }
  const Variant& SelectedKeyValues() const { return FSelectedKeyValues; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  const TSTFilterExpressionX& Condition() const { return FCondition; }
  const std::string& ConditionText() const { return FConditionText; }

  bool HasListSource() const { return ListSource() != nullptr; }
  std::string ListFilterFieldName() const;
  Variant FirstOperandValue() const;
  Variant SecondOperandValue() const { return FCondition.Operand2; }
  void AssignCondition(const TSTFilterExpressionX& Record);
  // Parses Text into the condition (typed for the column's field); returns the rebuilt text.
  std::string ParseConditionText(const std::string& Text);
  // Parses Text and keeps it as typed.
  void AssignConditionText(const std::string& Text);
  // As AssignConditionText, then repaints the grid and reloads a visible filter editor.
  void ApplyConditionText(const std::string& Text);
  void SetKeyListSelection(const std::string& Text, const Variant& KeyValues);
  std::string BuildConditionText() const;
  // Reads the list source's ListField and KeyField values into ListItems and ListKeys.
  void ReloadListItems();

 private:
  TColumnX* FColumn;
  std::string FDataField, FKeyField, FListField;
  std::unique_ptr<TStringList> FListKeys;
  Variant FSelectedKeyValues = Null;
  std::unique_ptr<TStringList> FListItems;
  std::unique_ptr<TFieldDataLink> FListLink;
  bool FVisible = true;
  TSTFilterExpressionX FCondition;
  std::string FConditionText;
};

// The text of one value in a condition: doubles plain, dates in the short date format, anything
// else quoted (embedded quotes doubled).
std::string FormatConditionValue(const Variant& Value);
std::string FormatCondition(TSTFilterOperatorX Operator, const Variant& Value);
// The text of a whole condition (empty for stvkOther or no operator).
std::string BuildSTFilterText(const TSTFilterExpressionX& Condition);

// The filter cell editor: a lookup combo box placed over the cell being edited.
class TInplaceFilterEditX : public TDBLookupComboboxX {
  DECLARE_CLASS(TInplaceFilterEditX, TDBLookupComboboxX)
  explicit TInplaceFilterEditX(TComponent* AOwner);
  // The data grid whose filter cell the editor edits (Grid() is the drop-down list).
  TCustomDBGridX* OwnerGrid() const { return FOwnerGrid; }
  void SetOwnerGrid(TCustomDBGridX* Value) { FOwnerGrid = Value; }
  // Sets the value, then the shown text (a key with the text of its list entry).
  void ShowKeyWithText(const Variant& Value, const std::string& AText);
  void ClearText() { SetDisplayText(""); }

 protected:
  void ApplyValue(const Variant& Value) override;
  void SelectAllText() override;
  RECT CalcTextRect() override;
  bool WantsKey(WORD Key, TShiftState Shift) override;

 private:
  TCustomDBGridX* FOwnerGrid = nullptr;
};
