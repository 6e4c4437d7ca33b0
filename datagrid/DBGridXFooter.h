#pragma once
// Column footers and the grid's sum list.
//
// A footer cell sits below the data rows of its column and shows a sum, an average or a record count
// of a field, the value of a field in the current record, or a fixed text. Every column has one footer
// (Footer) and a collection of further footers (Footers), one per footer row; FooterOfRow picks the one
// a row uses. Sums, averages and counts are kept current by a TDBSum item of the grid's sum list
// (TDBGridXSumList, a TDBSumListProducer): a footer creates, re-binds and frees its own item, so the
// list only ever holds what some footer shows. The text of a footer cell is made by the grid
// (TCustomDBGridX::GetFooterText) with the number rules of the field's type, and drawn by
// DrawFooterCell, which the grid's painter calls for the footer rows.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "dataedit/DBSumLst.h"
#include "platform/classes/classes.h"
#include "platform/controls/grids.h"
#include "platform/graphics/graphics.h"

class TColumnX;
class TCustomDBGridX;
class TField;

enum TFooterValueType : uint8_t { fvtNon, fvtSum, fvtAvg, fvtCount, fvtFieldValue, fvtStaticText };

// The sum list's operation of each footer type (only sum, average and count are used).
extern const TGroupOperation FooterValueTypeOperations[6];

class TColumnFooterX : public TCollectionItem {
  DECLARE_PUBLISHED_CLASS(TColumnFooterX, TCollectionItem)
  // Alignment and Color are stored when set and unlike what they inherit, Font when set.
  static void DeclarePublished(TPublished<TColumnFooterX>& P);
  // An item of a column's Footers; the grid repaints its footer rows.
  explicit TColumnFooterX(TCollection* ACollection);
  // The column's own single footer (no repaint).
  explicit TColumnFooterX(TColumnX* AColumn);
  ~TColumnFooterX() override;
  void Assign(TPersistent* Source) override;
  // Assign, and then the alignment, colour and font the source set itself (Assign alone copies them
  // only where this footer had set its own): a column's copy keeps all of its footer.
  void AssignWithOwnValues(TColumnFooterX* Source);

  TColumnX* Column() const { return FColumn; }
  // The column field's alignment (left without a field) until set.
  TAlignment Alignment() const;
  void SetAlignment(TAlignment Value);
  // The grid's FooterColor (clWindow without a grid) until set.
  TColor Color() const;
  void SetColor(TColor Value);
  const std::string& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const std::string& Value);
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool Value);
  // Empty: the column's field.
  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& Value);
  // The grid's FooterFont (the column's font without a grid) until set.
  TFont* Font();
  void SetFont(TFont* Value);
  const std::string& Value() const { return FValue; }
  void SetValue(const std::string& Value);
  TFooterValueType ValueType() const { return FValueType; }
  void SetValueType(TFooterValueType Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // Bit 0 Alignment, bit 1 Font, bit 2 Color.
  uint8_t AssignedFlags() const { return FAssigned; }
  bool AlignmentStored() const;
  bool ColorStored() const;
  bool FontStored() const { return (FAssigned & 2) != 0; }
  // The aggregate this footer keeps in the grid's sum list, nullptr for none.
  TDBSum* Sum() { return LiveSum(); }

  virtual void ResetAssignedValues();
  // Creates, re-binds or frees the aggregate for the current type and field (nothing without a grid).
  void RebindSum();

 private:
  void Init();
  void FontChanged(TObject* Sender);
  void RefreshDefaultFont();
  void ColumnChanged(bool AllItems);
  TCustomDBGridX* Grid() const;
  void BindSum(TDBSum* S);
  TDBSum* LiveSum();

  TAlignment FAlignment = taLeftJustify;
  uint8_t FAssigned = 0;
  TColor FColor = clWindow;
  TColumnX* FColumn = nullptr;
  std::string FDisplayFormat;
  bool FEndEllipsis = false;
  std::string FFieldName;
  std::unique_ptr<TFont> FFont;
  std::string FValue;
  TFooterValueType FValueType = fvtNon;
  bool FWordWrap = false;
  TDBSum* FSum = nullptr;  // an item of the grid's sum collection
  bool FRefreshingFont = false;
  bool FRepaintGrid = false;
};

class TColumnFootersX : public TCollection {
  DECLARE_CLASS(TColumnFootersX, TCollection)
  explicit TColumnFootersX(TColumnX* AColumn);
  TColumnX* Column() const { return FColumn; }
  TColumnFooterX* Items(int Index) const { return static_cast<TColumnFooterX*>(TCollection::Items(Index)); }
  TColumnFooterX* Add() { return static_cast<TColumnFooterX*>(TCollection::Add()); }

 protected:
  TPersistent* GetOwner() override;

 private:
  TColumnX* FColumn;
};

// The grid's aggregate producer. Created switched off; the grid switches it on when a footer needs it.
class TDBGridXSumList : public TDBSumListProducer {
  DECLARE_CLASS(TDBGridXSumList, TDBSumListProducer)
  explicit TDBGridXSumList(TCustomDBGridX* AGrid);
  // Drops a design-time mark first: the producer's own release would write into the data set.
  ~TDBGridXSumList() override;
  TCustomDBGridX* Grid() const { return FGrid; }
  bool GetActive() const { return Active(); }
  void SetActiveX(bool Value) { SetActive(Value); }

 protected:
  // While the grid is designed the data set's own handlers stay untouched: only the producer's
  // taken-over mark follows (so the aggregates are still computed when the data set opens).
  void UnhookDataSetEvents() override;
  void HookDataSetEvents() override;

 private:
  TCustomDBGridX* FGrid;
  bool FDesignHooked = false;
};

// One step of a footer total kept as ten-thousandths (the export's footer accumulation): Acc grows by
// Value x 10000 rounded to the nearest integer. A value or a result outside the 64-bit range leaves
// Acc unchanged and answers false.
bool AccumulateFooterValue(int64_t& Acc, double Value);
// The count step (+10000); false, Acc unchanged, at the limit.
bool AccumulateFooterCount(int64_t& Acc);

// The text of a sum or average of Field by the field's type and the footer's format (Fmt).
std::string FormatFooterAggregate(TField* Field, Currency Value, const std::string& Fmt);
// The same for an aggregate beyond the fixed-point range, in floating point: a format as above; without
// one, whole numbers with up to 18 digits, other numbers with their field's precision.
std::string FormatFooterAggregate(TField* Field, long double Value, const std::string& Fmt);

// A field's display text with a format (the grid's cell-text routine).
std::string FormatFieldText(TField* Field, const std::string& DisplayFormat);
