#include "datagrid/DBGridXDropDownBox.h"

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXColumns.h"
#include "datagrid/DBLookupComboX.h"
#include "datagrid/DBPopupGridX.h"
#include "platform/rtl/sysutils.h"

// ---------------------------------------------------------------------------------------------------
// Drop-down box

TColumnDropDownBoxX::TColumnDropDownBoxX(TPersistent* AOwner)
    : FOwner(AOwner), FSpecRow(std::make_unique<TSpecRowX>(this)) {}

TColumnDropDownBoxX::~TColumnDropDownBoxX() = default;

IDropDownBoxOwnerX* TColumnDropDownBoxX::OwnerIntf() const {
  if (auto* i = dynamic_cast<IDropDownBoxOwnerX*>(FOwner)) return i;
  if (auto* c = dynamic_cast<TColumnX*>(FOwner)) return c->DropDownBoxOwner();
  return nullptr;
}

bool TColumnDropDownBoxX::DropDownGridMade() const {
  if (auto* c = dynamic_cast<TColumnX*>(FOwner)) return c->DropDownGridIfMade() != nullptr;
  if (auto* l = dynamic_cast<TCustomDBLookupComboboxX*>(FOwner)) return l->Grid() != nullptr;
  // Another owner: its grid may be there; ask it.
  return OwnerIntf() != nullptr;
}

void TColumnDropDownBoxX::DeclarePublished(TPublished<TColumnDropDownBoxX>& P) {
  using C = TColumnDropDownBoxX;
  auto gridMade = [](TObject* O) { return static_cast<C*>(O)->DropDownGridMade(); };
  P.Boolean("AutoFitColWidths", &C::AutoFitColWidths, &C::SetAutoFitColWidths).Default(true);
  P.Object("ColumnDefValues", &C::ColumnDefValues, &C::SetColumnDefValues).StoredWhen(gridMade);
  P.Collection("Columns", &C::Columns, &C::SetColumns).StoredWhen([](TObject* O) {
    auto* b = static_cast<C*>(O);
    return b->DropDownGridMade() && b->Columns() && b->Columns()->Customised();
  });
  P.Component("ListSource", &C::ListSource, &C::SetListSource);
  P.Set("Options", &C::Options, &C::SetOptions,
        {"dlgColumnResizeX", "dlgColLinesX", "dlgRowLinesX", "dlgAutoSortMarkingX", "dlgMultiSortMarkingX"})
      .Default(TDBLookupGridXOptions{dlgColLinesX})
      .StoredWhen(gridMade);
  P.Boolean("UseMultiTitle", &C::UseMultiTitle, &C::SetUseMultiTitle).Default(false);
}

void TColumnDropDownBoxX::SetListSource(TDataSource* Value) {
  FListSource = Value;
  if (IDropDownBoxOwnerX* i = OwnerIntf(); i && Value) i->WatchComponent(Value);
}

TDBGridColumnsX* TColumnDropDownBoxX::Columns() const {
  IDropDownBoxOwnerX* i = OwnerIntf();
  return i ? i->GetDropDownGrid()->Columns() : nullptr;
}

void TColumnDropDownBoxX::SetColumns(TDBGridColumnsX* Value) {
  if (IDropDownBoxOwnerX* i = OwnerIntf()) i->GetDropDownGrid()->Columns()->Assign(Value);
}

TColumnDefValuesX* TColumnDropDownBoxX::ColumnDefValues() const {
  IDropDownBoxOwnerX* i = OwnerIntf();
  return i ? i->GetDropDownGrid()->ColumnDefValues() : nullptr;
}

void TColumnDropDownBoxX::SetColumnDefValues(TColumnDefValuesX* Value) {
  if (IDropDownBoxOwnerX* i = OwnerIntf()) i->GetDropDownGrid()->ColumnDefValues()->Assign(Value);
}

TDBLookupGridXOptions TColumnDropDownBoxX::Options() const {
  IDropDownBoxOwnerX* i = OwnerIntf();
  return i ? i->GetDropDownGridOptions() : TDBLookupGridXOptions();
}

void TColumnDropDownBoxX::SetOptions(TDBLookupGridXOptions Value) {
  if (IDropDownBoxOwnerX* i = OwnerIntf()) i->SetDropDownGridOptions(Value);
}

void TColumnDropDownBoxX::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TColumnDropDownBoxX*>(Source);
  if (!s) {
    TPersistent::Assign(Source);
    return;
  }
  FAlign = s->FAlign;
  FAutoDrop = s->FAutoDrop;
  FAutoFitColWidths = s->FAutoFitColWidths;
  // Two boxes whose grids were never made both hold the grid's defaults.
  if (s->DropDownGridMade() || DropDownGridMade()) {
    if (TColumnDefValuesX* d = s->ColumnDefValues()) {
      SetColumnDefValues(d);
      // The title defaults copy only what they had set themselves; a box's copy takes the source's too.
      ColumnDefValues()->Title()->AssignWithOwnValues(d->Title());
    }
    TDBGridColumnsX* sc = s->Columns();
    if (sc && sc->Customised()) SetColumns(sc);
    else if (TDBGridColumnsX* own = Columns()) own->Clear();
    if (s->OwnerIntf()) SetOptions(s->Options());
  }
  FRows = s->FRows;
  FWidth = s->FWidth;
  FSizable = s->FSizable;
  FShowTitles = s->FShowTitles;
  FUseMultiTitle = s->FUseMultiTitle;
  FSpecRow->Assign(s->FSpecRow.get());
  SetListSource(s->FListSource);
}

// ---------------------------------------------------------------------------------------------------
// The column as owner of its drop-down box

TColumnDropDownOwnerX::~TColumnDropDownOwnerX() { delete FGrid; }

void TColumnDropDownOwnerX::WatchComponent(TComponent* AComponent) {
  TCustomDBGridX* g = FColumn->OwnerGrid();
  if (AComponent && g) AComponent->FreeNotification(g);
}

TPopupDataGridX* TColumnDropDownOwnerX::GetDropDownGrid() {
  if (!FGrid) {
    FGrid = new TPopupDataGridX(nullptr);
    // Columns measure their widths with the grid's canvas, which needs the window.
    FGrid->HandleNeeded();
  }
  // The list reads the way its grid does.
  if (TCustomDBGridX* g = FColumn->OwnerGrid()) FGrid->SetBiDiMode(g->BiDiMode());
  return FGrid;
}

TDBLookupGridXOptions TColumnDropDownOwnerX::GetDropDownGridOptions() { return GetDropDownGrid()->LookupOptions(); }

void TColumnDropDownOwnerX::SetDropDownGridOptions(TDBLookupGridXOptions Value) {
  GetDropDownGrid()->SetLookupOptions(Value);
}

// ---------------------------------------------------------------------------------------------------
// Interceptors

void TColumnXPropertyInterceptor::DeclarePublished(TPublished<TColumnXPropertyInterceptor>& P) {
  P.Integer("Width", nullptr, &TColumnXPropertyInterceptor::SetWidth);
}

TStoragePropertyInterceptorClass TColumnXPropertyInterceptor::InterceptorClass() {
  static const TInterceptorClassInfo Info{StaticClass(), [](TPersistent* T) -> TStoragePropertyInterceptor* {
                                            return new TColumnXPropertyInterceptor(T);
                                          }};
  return &Info;
}

void TColumnXPropertyInterceptor::SetWidth(int W) {
  auto* c = dynamic_cast<TColumnX*>(Intercepted());
  if (!c) return;
  TCustomDBGridX* g = c->OwnerGrid();
  if (g && g->AutoFitColWidths()) c->SetAutoFitBaseWidth(W);
  else c->SetWidth(W);
}

void TColumnsXPropertyInterceptor::DeclarePublished(TPublished<TColumnsXPropertyInterceptor>& P) {
  P.String("ColumnsIndex", &TColumnsXPropertyInterceptor::ColumnsIndex,
           &TColumnsXPropertyInterceptor::SetColumnsIndex);
}

TStoragePropertyInterceptorClass TColumnsXPropertyInterceptor::InterceptorClass() {
  static const TInterceptorClassInfo Info{StaticClass(), [](TPersistent* T) -> TStoragePropertyInterceptor* {
                                            return new TColumnsXPropertyInterceptor(T);
                                          }};
  return &Info;
}

TDBGridColumnsX* TColumnsXPropertyInterceptor::Columns() const {
  return dynamic_cast<TDBGridColumnsX*>(Intercepted());
}

std::string TColumnsXPropertyInterceptor::ColumnsIndex() const {
  TDBGridColumnsX* cols = Columns();
  std::string r;
  if (!cols) return r;
  for (int i = 0; i < cols->Count(); ++i) {
    if (i > 0) r += ',';
    r += '"' + cols->Items(i)->FieldName() + '"';
  }
  return r;
}

void TColumnsXPropertyInterceptor::SetColumnsIndex(const std::string& Value) {
  FLastRead = Value;
  TDBGridColumnsX* cols = Columns();
  if (!cols) return;
  TStringList names;
  names.SetCommaText(Value);
  cols->BeginUpdate();
  try {
    for (int i = 0; i < names.Count(); ++i) {
      // An entry past the last column has no place to go.
      if (i >= cols->Count()) break;
      for (int j = 0; j < cols->Count(); ++j) {
        if (AnsiCompareStr(cols->Items(j)->FieldName(), names.Strings(i)) == 0) {
          cols->Items(j)->SetIndex(i);
          break;
        }
      }
    }
  } catch (...) {
    cols->EndUpdate();
    throw;
  }
  cols->EndUpdate();
}

std::string VarArrayToQuotedText(const Variant& V) {
  if (!VarIsArray(V)) return VarToStr(V);
  std::string r;
  for (int i = VarArrayLowBound(V, 1); i <= VarArrayHighBound(V, 1); ++i) {
    if (i > VarArrayLowBound(V, 1)) r += ',';
    // Quotes inside doubled, as every written value has them, so that the text parses back.
    r += QuotedStr(VarToStr(V[i]));
  }
  return r;
}

void RegisterGridPropertyInterceptors() {
  RegisterPropertyInterceptor(TColumnX::StaticClass(), TColumnXPropertyInterceptor::InterceptorClass());
  RegisterPropertyInterceptor(TDBGridColumnsX::StaticClass(), TColumnsXPropertyInterceptor::InterceptorClass());
}

void UnregisterGridPropertyInterceptors() {
  RemovePropertyInterceptor(TColumnX::StaticClass(), TColumnXPropertyInterceptor::InterceptorClass());
  RemovePropertyInterceptor(TDBGridColumnsX::StaticClass(), TColumnsXPropertyInterceptor::InterceptorClass());
}
