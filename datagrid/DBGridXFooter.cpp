#include "datagrid/DBGridXFooter.h"

#include <cmath>
#include <limits>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXColumns.h"
#include "datagrid/DBGridXStyle.h"
#include "platform/rtl/sysutils.h"

const TGroupOperation FooterValueTypeOperations[6] = {goSum, goSum, goAvg, goCount, goSum, goSum};

// ---------------------------------------------------------------------------------------------------
// Footer

void TColumnFooterX::DeclarePublished(TPublished<TColumnFooterX>& P) {
  using F = TColumnFooterX;
  P.Enum("Alignment", &F::Alignment, &F::SetAlignment, {"taLeftJustify", "taRightJustify", "taCenter"})
      .StoredWhen([](TObject* O) { return static_cast<F*>(O)->AlignmentStored(); });
  P.Color("Color", &F::Color, &F::SetColor).StoredWhen([](TObject* O) { return static_cast<F*>(O)->ColorStored(); });
  P.String("DisplayFormat", &F::DisplayFormat, &F::SetDisplayFormat);
  P.Boolean("EndEllipsis", &F::EndEllipsis, &F::SetEndEllipsis).Default(false);
  P.String("FieldName", &F::FieldName, &F::SetFieldName);
  P.Object("Font", &F::Font, &F::SetFont).StoredWhen([](TObject* O) { return static_cast<F*>(O)->FontStored(); });
  P.String("Value", &F::Value, &F::SetValue);
  P.Enum("ValueType", &F::ValueType, &F::SetValueType,
         {"fvtNon", "fvtSum", "fvtAvg", "fvtCount", "fvtFieldValue", "fvtStaticText"})
      .Default(fvtNon);
  P.Boolean("WordWrap", &F::WordWrap, &F::SetWordWrap).Default(false);
}

TColumnFooterX::TColumnFooterX(TCollection* ACollection) : TCollectionItem(nullptr) {
  if (auto* f = dynamic_cast<TColumnFootersX*>(ACollection)) FColumn = f->Column();
  Init();
  SetCollection(ACollection);
  FRepaintGrid = true;
  if (TCustomDBGridX* g = Grid()) g->RepaintFooters();
}

TColumnFooterX::TColumnFooterX(TColumnX* AColumn) : TCollectionItem(nullptr), FColumn(AColumn) { Init(); }

void TColumnFooterX::Init() {
  FFont = std::make_unique<TFont>();
  RefreshDefaultFont();
  FFont->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
}

TColumnFooterX::~TColumnFooterX() {
  FFont->OnChange = nullptr;
  TCustomDBGridX* g = Grid();
  if (g && !g->IsDestroying() && LiveSum()) {
    TDBSum* s = FSum;
    FSum = nullptr;
    g->SumList()->SumCollection()->BeginUpdate();
    delete s;
    g->SumList()->SumCollection()->EndUpdate();
    g->UpdateSumListState();
  }
  if (FRepaintGrid && g && !g->IsDestroying()) g->RepaintFooters();
}

TCustomDBGridX* TColumnFooterX::Grid() const { return FColumn ? FColumn->OwnerGrid() : nullptr; }

TDBSum* TColumnFooterX::LiveSum() {
  // The sum list may have been emptied by others (Clear, Assign): an item no longer in it is forgotten.
  TCustomDBGridX* g = Grid();
  if (!FSum || !g) return FSum = nullptr;
  TDBSumCollection* sums = g->SumList()->SumCollection();
  for (int i = 0; i < sums->Count(); ++i)
    if (sums->Items(i) == FSum) return FSum;
  return FSum = nullptr;
}

void TColumnFooterX::ColumnChanged(bool AllItems) {
  if (FColumn) FColumn->Changed(AllItems);
}

TAlignment TColumnFooterX::Alignment() const {
  if (FAssigned & 1) return FAlignment;
  TField* f = FColumn ? FColumn->Field() : nullptr;
  return f ? f->Alignment() : taLeftJustify;
}

void TColumnFooterX::SetAlignment(TAlignment Value) {
  if ((FAssigned & 1) && Value == FAlignment) return;
  FAlignment = Value;
  FAssigned |= 1;
  ColumnChanged(false);
}

TColor TColumnFooterX::Color() const {
  if (FAssigned & 4) return FColor;
  TCustomDBGridX* g = Grid();
  return g ? g->FooterColor() : clWindow;
}

void TColumnFooterX::SetColor(TColor Value) {
  if ((FAssigned & 4) && Value == FColor) return;
  FColor = Value;
  FAssigned |= 4;
  ColumnChanged(false);
}

bool TColumnFooterX::AlignmentStored() const {
  if (!(FAssigned & 1)) return false;
  TField* f = FColumn ? FColumn->Field() : nullptr;
  return FAlignment != (f ? f->Alignment() : taLeftJustify);
}

bool TColumnFooterX::ColorStored() const {
  if (!(FAssigned & 4)) return false;
  TCustomDBGridX* g = Grid();
  return FColor != (g ? g->FooterColor() : clWindow);
}

void TColumnFooterX::SetDisplayFormat(const std::string& Value) {
  if (Value == FDisplayFormat) return;
  FDisplayFormat = Value;
  ColumnChanged(false);
}

void TColumnFooterX::SetEndEllipsis(bool Value) {
  FEndEllipsis = Value;
  ColumnChanged(false);
}

void TColumnFooterX::SetValue(const std::string& Value) {
  FValue = Value;
  ColumnChanged(false);
}

void TColumnFooterX::SetWordWrap(bool Value) {
  FWordWrap = Value;
  ColumnChanged(false);
}

void TColumnFooterX::SetFieldName(const std::string& Value) {
  FFieldName = Value;
  if (FColumn) FColumn->RebindFooterSums();
  ColumnChanged(false);
}

void TColumnFooterX::SetValueType(TFooterValueType Value) {
  if (Value == FValueType) return;
  FValueType = Value;
  if (FColumn) FColumn->RebindFooterSums();
  ColumnChanged(false);
}

void TColumnFooterX::RefreshDefaultFont() {
  if (FAssigned & 2) return;
  FRefreshingFont = true;
  if (TCustomDBGridX* g = Grid()) FFont->Assign(g->FooterFont());
  else if (FColumn) FFont->Assign(FColumn->Font());
  FRefreshingFont = false;
}

TFont* TColumnFooterX::Font() {
  RefreshDefaultFont();
  return FFont.get();
}

void TColumnFooterX::SetFont(TFont* Value) { FFont->Assign(Value); }

void TColumnFooterX::FontChanged(TObject*) {
  if (FRefreshingFont) return;
  FAssigned |= 2;
  ColumnChanged(true);
}

void TColumnFooterX::ResetAssignedValues() {
  bool hadFont = (FAssigned & 2) != 0;
  FAssigned = 0;
  RefreshDefaultFont();
  ColumnChanged(hadFont);
}

void TColumnFooterX::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TColumnFooterX*>(Source);
  if (!s) {
    TCollectionItem::Assign(Source);
    return;
  }
  // Only what this footer set itself is copied, as the source shows it.
  if (FAssigned & 1) SetAlignment(s->Alignment());
  if (FAssigned & 4) SetColor(s->Color());
  if (FAssigned & 2) SetFont(s->Font());
  SetEndEllipsis(s->EndEllipsis());
  SetValueType(s->ValueType());
  SetFieldName(s->FieldName());
  SetValue(s->Value());
  SetWordWrap(s->WordWrap());
  SetDisplayFormat(s->DisplayFormat());
}

void TColumnFooterX::AssignWithOwnValues(TColumnFooterX* Source) {
  Assign(Source);
  if (Source->FAssigned & 1) SetAlignment(Source->Alignment());
  if (Source->FAssigned & 4) SetColor(Source->Color());
  if (Source->FAssigned & 2) SetFont(Source->Font());
}

void TColumnFooterX::BindSum(TDBSum* S) {
  std::string field = FFieldName.empty() && FColumn ? FColumn->FieldName() : FFieldName;
  switch (FValueType) {
    case fvtSum:
    case fvtAvg:
      S->SetGroupOperation(FooterValueTypeOperations[FValueType]);
      S->SetFieldName(field);
      break;
    case fvtCount:
      S->SetGroupOperation(goCount);
      S->SetFieldName({});
      break;
    default:
      break;
  }
}

namespace {

bool SummableField(TField* F) {
  switch (F->DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: case ftFloat: case ftCurrency:
    case ftBCD: case ftFMTBcd:
      return true;
    default:
      return false;
  }
}

}  // namespace

void TColumnFooterX::RebindSum() {
  TCustomDBGridX* g = Grid();
  if (!g) return;
  TDBSumCollection* sums = g->SumList()->SumCollection();
  LiveSum();
  bool aggregate = FValueType == fvtSum || FValueType == fvtAvg || FValueType == fvtCount;
  if (FValueType == fvtSum || FValueType == fvtAvg) {
    // The sum list reads every named field as a number on each record: a footer whose field is missing or
    // holds no numbers keeps no aggregate (its text is "0" by the footer rules) instead of making every
    // recomputation fail. Without fields to look at yet, the name is bound as it stands.
    TDataSet* ds = g->DataLink()->DataSet();
    if (ds && (ds->Active() || ds->FieldCount() > 0)) {
      std::string name = FFieldName.empty() && FColumn ? FColumn->FieldName() : FFieldName;
      TField* f = name.empty() ? nullptr : ds->FindField(name);
      if (!f || !SummableField(f)) aggregate = false;
    }
  }
  if (FSum) {
    if (aggregate) {
      BindSum(FSum);
    } else {
      TDBSum* s = FSum;
      FSum = nullptr;
      sums->BeginUpdate();
      delete s;
      sums->EndUpdate();
    }
  } else if (aggregate) {
    sums->BeginUpdate();
    FSum = static_cast<TDBSum*>(sums->Add());
    BindSum(FSum);
    sums->EndUpdate();
  }
  if (!g->RebindingFooters) g->UpdateSumListState();
}

// ---------------------------------------------------------------------------------------------------
// Footers collection

TColumnFootersX::TColumnFootersX(TColumnX* AColumn)
    : TCollection(TColumnFooterX::StaticClass(), MakeItemFactory<TColumnFooterX>()), FColumn(AColumn) {}

TPersistent* TColumnFootersX::GetOwner() { return FColumn; }

// ---------------------------------------------------------------------------------------------------
// Sum list

TDBGridXSumList::TDBGridXSumList(TCustomDBGridX* AGrid) : TDBSumListProducer(AGrid), FGrid(AGrid) {
  SetWorkWhileDesigning(true);
  SetActive(false);
}

TDBGridXSumList::~TDBGridXSumList() {
  if (FDesignHooked) {
    FDesignHooked = false;
    SetHooked(false);
  }
}

void TDBGridXSumList::UnhookDataSetEvents() {
  // A mark made while designed is only a mark, whatever the grid is now; handlers really taken over
  // (before designing began) are handed back, so none of ours stays behind on the data set.
  if (FDesignHooked) {
    FDesignHooked = false;
    SetHooked(false);
    return;
  }
  TDBSumListProducer::UnhookDataSetEvents();
}

void TDBGridXSumList::HookDataSetEvents() {
  if (FGrid && FGrid->IsDesigning()) {
    if (!Hooked()) {
      FDesignHooked = true;
      SetHooked(true);
    }
    return;
  }
  if (FDesignHooked) {
    FDesignHooked = false;
    SetHooked(false);
  }
  TDBSumListProducer::HookDataSetEvents();
}

// ---------------------------------------------------------------------------------------------------
// Accumulation

bool AccumulateFooterValue(int64_t& Acc, double Value) {
  double scaled = std::nearbyint(Value * 10000.0);
  // 2^63 is exactly representable; anything at or beyond it (or not a number) does not fit.
  constexpr double limit = 9223372036854775808.0;
  if (!std::isfinite(scaled) || scaled >= limit || scaled < -limit) return false;
  int64_t step = static_cast<int64_t>(scaled);
  int64_t sum = 0;
  if (__builtin_add_overflow(Acc, step, &sum)) return false;
  Acc = sum;
  return true;
}

bool AccumulateFooterCount(int64_t& Acc) {
  int64_t sum = 0;
  if (__builtin_add_overflow(Acc, int64_t{10000}, &sum)) return false;
  Acc = sum;
  return true;
}

// ---------------------------------------------------------------------------------------------------
// Footer text

std::string FormatFooterAggregate(TField* Field, Currency Value, const std::string& Fmt) {
  auto* num = dynamic_cast<TNumericField*>(Field);
  std::string fieldFmt = num ? num->DisplayFormat() : std::string();
  switch (Field->DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc:
      if (!Fmt.empty()) return FormatFloat(Fmt, Value.ToDouble());
      if (!fieldFmt.empty()) return FormatFloat(fieldFmt, Value.ToDouble());
      return std::to_string(Value.ToInt64());
    case ftFloat: case ftCurrency: {
      if (!Fmt.empty()) return FormatFloat(Fmt, Value.ToDouble());
      if (!fieldFmt.empty()) return FormatFloat(fieldFmt, Value.ToDouble());
      auto* f = dynamic_cast<TFloatField*>(Field);
      bool cur = f && f->IsCurrency();
      int precision = f ? f->Precision() : 15;
      return FloatToStrF(Value.ToDouble(), cur ? ffCurrency : ffGeneral, precision,
                         cur ? FormatSettings.CurrencyDecimals : 0);
    }
    case ftBCD: case ftFMTBcd: {
      if (!Fmt.empty()) return FormatFloat(Fmt, Value.ToDouble());
      if (!fieldFmt.empty()) return FormatCurr(fieldFmt, Value);
      auto* f = dynamic_cast<TBCDField*>(Field);
      bool cur = f && f->IsCurrency();
      return CurrToStrF(Value, cur ? ffCurrency : ffGeneral, cur ? FormatSettings.CurrencyDecimals : 0);
    }
    default:
      return "0";
  }
}

std::string FormatFooterAggregate(TField* Field, long double Value, const std::string& Fmt) {
  auto* num = dynamic_cast<TNumericField*>(Field);
  const std::string fieldFmt = num ? num->DisplayFormat() : std::string();
  switch (Field->DataType()) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc:
    case ftFloat: case ftCurrency:
    case ftBCD: case ftFMTBcd: {
      if (!Fmt.empty()) return FormatFloat(Fmt, Value);
      if (!fieldFmt.empty()) return FormatFloat(fieldFmt, Value);
      auto* f = dynamic_cast<TFloatField*>(Field);
      auto* b = dynamic_cast<TBCDField*>(Field);
      const bool cur = (f && f->IsCurrency()) || (b && b->IsCurrency());
      const int precision = f ? f->Precision() : 18;
      return FloatToStrF(Value, cur ? ffCurrency : ffGeneral, precision, cur ? FormatSettings.CurrencyDecimals : 0);
    }
    default:
      return "0";
  }
}

// ---------------------------------------------------------------------------------------------------
// Grid side

TDBGridXSumList* TCustomDBGridX::SumList() {
  if (!FSumList) {
    FSumList = std::make_shared<TDBGridXSumList>(this);
    FSumList->SumListChanged = [this](TObject*) { RepaintFooters(); };
    FSumList->OnRecalcAll = [this](TObject* Sender) {
      if (OnSumListRecalcAll) OnSumListRecalcAll(Sender);
    };
    FSumList->OnAfterRecalcAll = [this](TObject* Sender) {
      if (OnSumListAfterRecalcAll) OnSumListAfterRecalcAll(Sender);
    };
  }
  return FSumList.get();
}

void TCustomDBGridX::RebindAllFooterSums() {
  RebindingFooters = true;
  try {
    for (int i = 0; i < FColumns->Count(); ++i) FColumns->Items(i)->RebindFooterSums();
  } catch (...) {
    RebindingFooters = false;
    throw;
  }
  RebindingFooters = false;
  UpdateSumListState();
}

void TCustomDBGridX::UpdateSumListState() {
  TDBGridXSumList* s = SumList();
  TDataSet* ds = FDataLink ? FDataLink->DataSet() : nullptr;
  if (IsDestroying()) ds = nullptr;
  bool needed = ds && s->SumCollection()->Count() > 0;
  if (!needed) s->SetActive(false);
  s->SetDataSet(ds);
  if (needed) s->SetActive(true);
}

void TCustomDBGridX::SetFooterRowCount(int Value) {
  Value = std::max(0, Value);
  if (Value == FFooterRowCount) return;
  FFooterRowCount = Value;
  LayoutChanged();
  UpdateRowCount();
  Invalidate();
}

void TCustomDBGridX::SetFooterFont(TFont* Value) { FFooterFont->Assign(Value); }

void TCustomDBGridX::RepaintFooters() {
  if (!HandleAllocated() || FFooterRowCount <= 0) return;
  for (int r = RowCount() - 1; r >= RowCount() - FFooterRowCount && r >= 0; --r) InvalidateRow(r);
}

void TCustomDBGridX::GetFooterText(int FooterIndex, TColumnX* Column, std::string& Text) {
  Text.clear();
  if (!Column) return;
  TColumnFooterX* f = Column->FooterOfRow(FooterIndex);
  const std::string& fmt = f->DisplayFormat();
  TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
  switch (f->ValueType()) {
    case fvtSum:
    case fvtAvg: {
      Text = "0";
      if (!ds) return;
      TField* field = ds->FindField(f->FieldName().empty() ? Column->FieldName() : f->FieldName());
      if (!field || !SummableField(field)) return;
      TDBSum* sum = SumList()->SumCollection()->FindSum(FooterValueTypeOperations[f->ValueType()], field->FieldName());
      // A footer whose aggregate is not (yet) in the list shows nothing rather than failing.
      if (!sum) {
        Text.clear();
        return;
      }
      // Beyond the fixed-point range the aggregate is shown from its floating-point value, never as the
      // range's limit.
      Text = sum->AggregateFits() ? FormatFooterAggregate(field, sum->AggregateValue(), fmt)
                                  : FormatFooterAggregate(field, sum->AggregateFloat(), fmt);
      return;
    }
    case fvtCount: {
      TDBSum* sum = SumList()->SumCollection()->FindSum(goCount, {});
      if (!sum) return;
      double count = static_cast<double>(sum->AggregateValue().Value) / 10000.0;
      Text = fmt.empty() ? FloatToStr(count) : FormatFloat(fmt, count);
      return;
    }
    case fvtFieldValue: {
      if (!ds || !ds->Active() || f->FieldName().empty()) return;
      // A name that no field carries shows nothing (painting must never raise).
      TField* field = ds->FindField(f->FieldName());
      if (field) Text = FormatFieldText(field, fmt);
      return;
    }
    case fvtStaticText:
      Text = f->Value();
      return;
    case fvtNon:
      return;
  }
}

void TCustomDBGridX::DrawFooterCell(TCanvas* C, int ACol, int ARow, const TRect& ARect, TGridDrawState State) {
  int dataCol = 0, dataRow = 0;
  int kind = GetCellType(ACol, ARow, dataCol, dataRow, true);
  int colKind = kind & 0xFF, rowKind = kind >> 8;
  TColumnX* col = colKind == 1 ? ColumnAt(dataCol) : nullptr;
  if (rowKind != 4 || !col) {
    // The gap row, and the indicator beside the footers.
    C->Brush()->SetColor(colKind == 0 ? FixedColor() : Color());
    C->FillRect(ARect);
    return;
  }
  int footerIndex = dataRow - 1;  // the first footer row is 1 inside its band
  TColumnFooterX* f = col->FooterOfRow(footerIndex);
  C->Font()->Assign(f->Font());
  TColor back = f->Color();
  TAlignment align = f->Alignment();
  std::string text;
  GetFooterText(footerIndex, col, text);
  DoGetFooterParams(dataCol, footerIndex, col, C->Font(), back, align, State, text);
  C->Brush()->SetColor(back);
  C->FillRect(ARect);
  DrawCellTextX(C, ARect, 2, 2, text, align, 0, f->WordWrap(), f->EndEllipsis());
  // The raised frame of gxoFooter3D is the painter's (CellHas3DFrame), as for every cell.
  if (OnDrawFooterCell) OnDrawFooterCell(this, dataCol, footerIndex, col, ARect, State);
}

// ---------------------------------------------------------------------------------------------------
// Column side

TColumnFooterX* TColumnX::Footer() {
  if (!FFooter) FFooter = std::make_shared<TColumnFooterX>(this);
  return FFooter.get();
}

TColumnFootersX* TColumnX::Footers() {
  if (!FFooters) FFooters = std::make_shared<TColumnFootersX>(this);
  return FFooters.get();
}

TColumnFooterX* TColumnX::FooterOfRow(int I) {
  TColumnFootersX* l = Footers();
  if (I >= 0 && I < l->Count()) return l->Items(I);
  return Footer();
}

void TColumnX::RebindFooterSums() {
  if (!OwnerGrid()) return;
  if (FFooter) FFooter->RebindSum();
  if (FFooters)
    for (int i = 0; i < FFooters->Count(); ++i) FFooters->Items(i)->RebindSum();
}
