#pragma once
// The drop-down box settings of a lookup column (and of the lookup combo box), and the two storage
// interceptors that read pseudo-properties of stored grids.
//
// TColumnDropDownBoxX holds a few settings of the list that drops down from a lookup cell and forwards
// the rest (the drop-down grid's columns, column defaults and options) to the drop-down grid of its
// owner, which it reaches through IDropDownBoxOwnerX. A column answers for itself through a small
// owner object it keeps (TColumnX::DropDownBoxOwner); other owners implement the interface directly.
//
// TColumnXPropertyInterceptor takes a stored column "Width" into the design width of an auto-fitting
// grid; TColumnsXPropertyInterceptor reads and writes "ColumnsIndex", the order of the columns by their
// field names.

#include <memory>
#include <string>

#include "datagrid/DBLookupGridX.h"
#include "dataedit/PropFilerX.h"
#include "dataedit/SpecRowX.h"
#include "dataedit/ToolCtrlsX.h"
#include "platform/data/db.h"
#include "platform/rtl/variants.h"

class TColumnX;
class TColumnDefValuesX;
class TDBGridColumnsX;
class TPopupDataGridX;

// {359DCAF4-0341-4FBB-A31C-6F81DD5F6633}
class IDropDownBoxOwnerX {
 public:
  virtual ~IDropDownBoxOwnerX() = default;
  // Free notification of a component (the list source); nullptr is ignored.
  virtual void WatchComponent(TComponent* AComponent) = 0;
  // The owner's drop-down grid, made on first use.
  virtual TPopupDataGridX* GetDropDownGrid() = 0;
  virtual TDBLookupGridXOptions GetDropDownGridOptions() = 0;
  virtual void SetDropDownGridOptions(TDBLookupGridXOptions Value) = 0;
};

class TColumnDropDownBoxX : public TPersistent {
  DECLARE_PUBLISHED_CLASS(TColumnDropDownBoxX, TPersistent)
  static void DeclarePublished(TPublished<TColumnDropDownBoxX>& P);
  explicit TColumnDropDownBoxX(TPersistent* AOwner);
  ~TColumnDropDownBoxX() override;
  void Assign(TPersistent* Source) override;

  TDropDownAlign Align() const { return FAlign; }
  void SetAlign(TDropDownAlign Value) { FAlign = Value; }
  bool AutoDrop() const { return FAutoDrop; }
  void SetAutoDrop(bool Value) { FAutoDrop = Value; }
  bool AutoFitColWidths() const { return FAutoFitColWidths; }
  void SetAutoFitColWidths(bool Value) { FAutoFitColWidths = Value; }
  TDataSource* ListSource() const { return FListSource; }
  void SetListSource(TDataSource* Value);
  int Rows() const { return FRows; }
  void SetRows(int Value) { FRows = Value; }
  bool ShowTitles() const { return FShowTitles; }
  void SetShowTitles(bool Value) { FShowTitles = Value; }
  bool Sizable() const { return FSizable; }
  void SetSizable(bool Value) { FSizable = Value; }
  TSpecRowX* SpecRow() const { return FSpecRow.get(); }
  void SetSpecRow(TSpecRowX* Value) { FSpecRow->Assign(Value); }
  bool UseMultiTitle() const { return FUseMultiTitle; }
  void SetUseMultiTitle(bool Value) { FUseMultiTitle = Value; }
  int Width() const { return FWidth; }
  void SetWidth(int Value) { FWidth = Value; }

  // Forwarded to the owner's drop-down grid; nullptr (empty options) without IDropDownBoxOwnerX.
  TDBGridColumnsX* Columns() const;
  void SetColumns(TDBGridColumnsX* Value);
  TColumnDefValuesX* ColumnDefValues() const;
  void SetColumnDefValues(TColumnDefValuesX* Value);
  TDBLookupGridXOptions Options() const;
  void SetOptions(TDBLookupGridXOptions Value);
  // The owner's drop-down grid exists already. Until it does, the forwarded settings are the grid's
  // defaults, so that storing and copying them need not make one.
  bool DropDownGridMade() const;

  // The list source went away.
  void ListSourceGone(TComponent* AComponent) {
    if (AComponent == FListSource) FListSource = nullptr;
  }

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  IDropDownBoxOwnerX* OwnerIntf() const;
  TDropDownAlign FAlign = daLeft;
  bool FAutoDrop = false;
  bool FAutoFitColWidths = true;
  TDataSource* FListSource = nullptr;
  TPersistent* FOwner;
  int FRows = 0;
  bool FShowTitles = false;
  bool FSizable = false;
  std::unique_ptr<TSpecRowX> FSpecRow;
  bool FUseMultiTitle = false;
  int FWidth = 0;
};

// The owner of a column's drop-down box: the column's drop-down grid, made on first use.
class TColumnDropDownOwnerX : public IDropDownBoxOwnerX {
 public:
  explicit TColumnDropDownOwnerX(TColumnX* AColumn) : FColumn(AColumn) {}
  ~TColumnDropDownOwnerX() override;
  void WatchComponent(TComponent* AComponent) override;
  TPopupDataGridX* GetDropDownGrid() override;
  TDBLookupGridXOptions GetDropDownGridOptions() override;
  void SetDropDownGridOptions(TDBLookupGridXOptions Value) override;
  // The grid exists already (no creation).
  TPopupDataGridX* DropDownGridIfMade() const { return FGrid; }

 private:
  TColumnX* FColumn;
  TPopupDataGridX* FGrid = nullptr;  // no owner component: freed here
};

// ---------------------------------------------------------------------------------------------------
// Storage interceptors

class TColumnXPropertyInterceptor : public TStoragePropertyInterceptor {
  DECLARE_PUBLISHED_CLASS(TColumnXPropertyInterceptor, TStoragePropertyInterceptor)
  static void DeclarePublished(TPublished<TColumnXPropertyInterceptor>& P);
  explicit TColumnXPropertyInterceptor(TPersistent* ATarget) : TStoragePropertyInterceptor(ATarget) {}
  static TStoragePropertyInterceptorClass InterceptorClass();
  // An auto-fitting grid takes W as the column's design width, any other its width.
  void SetWidth(int W);
};

class TColumnsXPropertyInterceptor : public TStoragePropertyInterceptor {
  DECLARE_PUBLISHED_CLASS(TColumnsXPropertyInterceptor, TStoragePropertyInterceptor)
  static void DeclarePublished(TPublished<TColumnsXPropertyInterceptor>& P);
  explicit TColumnsXPropertyInterceptor(TPersistent* ATarget) : TStoragePropertyInterceptor(ATarget) {}
  static TStoragePropertyInterceptorClass InterceptorClass();
  // "A","B": the field names in collection order, each quoted.
  std::string ColumnsIndex() const;
  // Moves the first column named by entry i to index i; unknown names and indexes past the end are
  // skipped.
  void SetColumnsIndex(const std::string& Value);
  const std::string& LastRead() const { return FLastRead; }
  void ApplyReadValues() override {}

 private:
  TDBGridColumnsX* Columns() const;
  std::string FLastRead;
};

// Each element of an array in single quotes (quotes inside doubled), comma-separated; a plain value
// as its text.
std::string VarArrayToQuotedText(const Variant& V);

// Registers the two interceptors (the grid unit's start-up).
void RegisterGridPropertyInterceptors();
void UnregisterGridPropertyInterceptors();
