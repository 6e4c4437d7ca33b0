#include "chart/ChartMarks.h"

#include "chart/ChartConst.h"
#include "platform/classes/filer.h"

namespace {
TCustomChartParent* ChartOf(TChartSeriesBase* Series) { return Series ? Series->ParentChart() : nullptr; }
}  // namespace

// ---------------------------------------------------------------------------------------------------
// Chart element

TCustomChartElement::TCustomChartElement(TComponent* AOwner) : TComponent(AOwner) {
  FBrush = std::make_unique<TChartBrush>([this](TObject*) { Repaint(); });
  FPen = std::make_unique<TChartPen>([this](TObject*) { Repaint(); });
}

TCustomChartElement::~TCustomChartElement() = default;

void TCustomChartElement::Repaint() {
  if (auto* c = dynamic_cast<TCustomChartParent*>(FParentChart)) c->Repaint();
}

void TCustomChartElement::SetActive(bool Value) { ChangeBooleanSetting(FActive, Value); }

void TCustomChartElement::SetParentChart(TComponent* Value) { FParentChart = Value; }

void TCustomChartElement::SetParentComponent(TComponent* Value) {
  if (dynamic_cast<TCustomAxisPanel*>(Value)) SetParentChart(Value);
}

void TCustomChartElement::ChangeBooleanSetting(bool& Variable, bool Value) {
  if (Variable == Value) return;
  Variable = Value;
  Repaint();
}

void TCustomChartElement::ChangeIntegerSetting(int& Variable, int Value) {
  if (Variable == Value) return;
  Variable = Value;
  Repaint();
}

void TCustomChartElement::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TCustomChartElement*>(Source)) {
    FActive = s->FActive;
    FBrush->Assign(s->FBrush.get());
    SetPen(s->FPen.get());
    SetTag(s->Tag());
    return;
  }
  TComponent::Assign(Source);
}

// ---------------------------------------------------------------------------------------------------
// Margins

TMargins::TMargins(TChartCustomShapeBrushPen* AShape, int HorizDefault)
    : FShape(AShape), FHorizDefault(HorizDefault), FLeft(HorizDefault), FRight(HorizDefault) {}

void TMargins::Set(int& Variable, int Value) {
  if (Variable == Value) return;
  Variable = Value;
  if (FShape) FShape->Repaint();
}

void TMargins::SetUnits(TMarginUnits Value) {
  if (Value == FUnits) return;
  FUnits = Value;
  if (FShape) FShape->Repaint();
}

void TMargins::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TMargins*>(Source)) {
    FLeft = s->FLeft;
    FRight = s->FRight;
    FTop = s->FTop;
    FBottom = s->FBottom;
    FUnits = s->FUnits;
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------------------------------
// Marks gradient, symbol, item

TSeriesMarksGradient::TSeriesMarksGradient(TNotifyEvent OnChangeEvent) : TChartGradient(nullptr) {
  SetDirection(gdRightLeft);
  SetEndColor(clWhite);
  SetStartColor(clSilver);
  OnChange = std::move(OnChangeEvent);
}

TSeriesMarksSymbol::TSeriesMarksSymbol(TCustomChartParent* AParent) : TChartCustomShape(AParent) {
  FVisible = false;
  SetDefaultTransparent(false);
  Shadow()->SetSize(1);
  Shadow()->SetDefaultSize(1);
}

TMarksItem::TMarksItem(TCustomChartParent* AParent) : TChartCustomShape(AParent) {
  // The item's own colour default is the info background, set before anyone listens.
  TCustomChartParent* p = FParentChart;
  FParentChart = nullptr;
  SetColor(clInfoBk);
  FParentChart = p;
}

TMarksItem::~TMarksItem() = default;

TStrings* TMarksItem::Text() {
  if (!FText) {
    FText = std::make_unique<TStringList>();
    FText->OnChange = [this](TObject*) { Repaint(); };
  }
  return FText.get();
}

void TMarksItem::SetText(TStrings* Value) {
  if (!Value) FText.reset();
  else Text()->Assign(Value);
}

// ---------------------------------------------------------------------------------------------------
// Pointer and callouts

void TSeriesPointer::DeclarePublished(TPublished<TSeriesPointer>& P) {
  using S = TSeriesPointer;
  PublishShapeBrushPen(P);
  P.Boolean("Dark3D", &S::Dark3D, &S::SetDark3D).Default(true);
  P.Boolean("Draw3D", &S::Draw3D, &S::SetDraw3D).Default(true);
  P.Object("Gradient", &S::Gradient, &S::SetGradient);
  P.Integer("HorizSize", &S::HorizSize, &S::SetHorizSize).Default(4);
  P.Boolean("InflateMargins", &S::InflateMargins, &S::SetInflateMargins).Default(true);
  P.Object("Shadow", &S::Shadow, &S::SetShadow);
  P.Enum("Style", &S::Style, &S::SetStyle, SERIES_POINTER_STYLE_NAMES).Default(psRectangle);
  P.Integer("Transparency", &S::Transparency, &S::SetTransparency).Default(0);
  P.Integer("VertSize", &S::VertSize, &S::SetVertSize).Default(4);
  P.Boolean("Visible", &S::Visible, &S::SetVisible).Default(true);
}

TSeriesPointer::TSeriesPointer(TChartSeriesBase* ASeries) : TChartCustomShapeBrushPen(ChartOf(ASeries)), FSeries(ASeries) {
  FShadow = std::make_unique<TChartShadow>(ChangeHandler());
  FGradient = std::make_unique<TChartGradient>(ChangeHandler());
}

TSeriesPointer::~TSeriesPointer() = default;

void TSeriesPointer::SetHorizSize(int Value) {
  if (Value <= 0) throw ChartException(ChartMsgPointerSizeMustBeGreaterThan);
  Set(FHorizSize, Value);
}

void TSeriesPointer::SetVertSize(int Value) {
  if (Value <= 0) throw ChartException(ChartMsgPointerSizeMustBeGreaterThan);
  Set(FVertSize, Value);
}

void TSeriesPointer::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TSeriesPointer*>(Source)) {
    FDark3D = s->FDark3D;
    FDraw3D = s->FDraw3D;
    FGradient->Assign(s->FGradient.get());
    FHorizSize = s->FHorizSize;
    FInflateMargins = s->FInflateMargins;
    FShadow->Assign(s->FShadow.get());
    FStyle = s->FStyle;
    FTransparency = s->FTransparency;
    FVertSize = s->FVertSize;
  }
  TChartCustomShapeBrushPen::Assign(Source);
}

void TCallout::DeclarePublished(TPublished<TCallout>& P) {
  P.Object("Arrow", &TCallout::Arrow, &TCallout::SetArrow);
  P.Enum("ArrowHead", &TCallout::ArrowHead, &TCallout::SetArrowHead, {"ahNone", "ahLine", "ahSolid"}).Default(ahNone);
  P.Integer("ArrowHeadSize", &TCallout::ArrowHeadSize, &TCallout::SetArrowHeadSize).Default(8);
  P.Integer("Distance", &TCallout::Distance, &TCallout::SetDistance).Default(0);
  P.Boolean("Draw3D", &TCallout::Draw3D, &TCallout::SetDraw3D).Default(false);
  P.Boolean("InflateMargins", &TCallout::InflateMargins, &TCallout::SetInflateMargins).Default(true);
  P.Enum("Style", &TCallout::Style, &TCallout::SetStyle, SERIES_POINTER_STYLE_NAMES).Default(psRectangle);
  P.Boolean("Visible", &TCallout::Visible, &TCallout::SetVisible).Default(true);
}

TCallout::TCallout(TChartSeriesBase* ASeries) : TSeriesPointer(ASeries) {
  FArrow = std::make_unique<TWhitePen>(ChangeHandler());
  FDraw3D = false;
  FInflateMargins = true;
  FStyle = psRectangle;
  FVisible = true;
}

TCallout::~TCallout() = default;

void TCallout::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TCallout*>(Source)) {
    FDistance = s->FDistance;
    FArrow->Assign(s->FArrow.get());
    FArrowHead = s->FArrowHead;
    FArrowHeadSize = s->FArrowHeadSize;
  }
  TSeriesPointer::Assign(Source);
}

TMarksCallout::TMarksCallout(TChartSeriesBase* ASeries) : TCallout(ASeries) { FVisible = false; }

void TMarksCallout::SetLength(int Value) {
  if (FSeries) FSeries->ChangeIntegerSetting(FLength, Value);
  else FLength = Value;
}

void TMarksCallout::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TMarksCallout*>(Source)) FLength = s->FLength;
  TCallout::Assign(Source);
}

// ---------------------------------------------------------------------------------------------------
// Series marks

void TSeriesMarks::DeclarePublished(TPublished<TSeriesMarks>& P) {
  using M = TSeriesMarks;
  auto hasCallout = [](TObject* O) { return static_cast<M*>(O)->HasCallout(); };
  P.Integer("Angle", &M::Angle, &M::SetAngle).Default(0);
  P.Object("Arrow", &M::Arrow, &M::SetArrow).StoredWhen(hasCallout);
  P.Integer("ArrowLength", &M::ArrowLength, &M::SetArrowLength).Stored(false);
  P.Object("Callout", &M::Callout, &M::SetCallout).StoredWhen(hasCallout);
  P.Color("BackColor", &M::BackColor, &M::SetBackColor).Default(clInfoBk);
  PublishShapeFormat(P, clInfoBk);
  P.Object("Brush", &M::Brush, &M::SetBrush);
  P.Boolean("Clip", &M::Clip, &M::SetClip).Default(false);
  P.Integer("DrawEvery", &M::DrawEvery, &M::SetDrawEvery).Default(1);
  P.Object("Frame", &M::Pen, &M::SetPen);
  P.Object("Margins", &M::Margins, &M::SetMargins);
  P.Boolean("MultiLine", &M::MultiLine, &M::SetMultiLine).Default(false);
  P.Enum("Style", &M::Style, &M::SetStyle,
         {"smsValue", "smsPercent", "smsLabel", "smsLabelPercent", "smsLabelValue", "smsLegend", "smsPercentTotal",
          "smsLabelPercentTotal", "smsXValue", "smsXY", "smsSeriesTitle", "smsPointIndex", "smsPercentRelative"})
      .Default(smsLabel);
  P.Object("Symbol", &M::Symbol, &M::SetSymbol).StoredWhen([](TObject* O) { return static_cast<M*>(O)->HasSymbol(); });
  P.Enum("TextAlign", &M::TextAlign, &M::SetTextAlign, {"taLeftJustify", "taRightJustify", "taCenter"}).Default(taCenter);
  P.Boolean("Visible", &M::Visible, &M::SetVisible).Default(true);
}

TSeriesMarks::TSeriesMarks(TChartSeriesBase* ASeries)
    : TChartCustomShape(ChartOf(ASeries), TShapeDefaults{0x808080, 3, nullptr}), FSeries(ASeries) {
  FMargins = std::make_unique<TMargins>(this);
  TCustomChartParent* p = FParentChart;
  FParentChart = nullptr;
  SetColor(clInfoBk);
  FParentChart = p;
}

TSeriesMarks::~TSeriesMarks() = default;

std::unique_ptr<TChartGradient> TSeriesMarks::NewGradient() {
  return std::make_unique<TSeriesMarksGradient>(ChangeHandler());
}

void TSeriesMarks::SetParentChart(TCustomChartParent* Value) {
  TChartCustomShape::SetParentChart(Value);
  if (FCallout) FCallout->SetParentChart(Value);
  if (FSymbol) FSymbol->SetParentChart(Value);
}

TMarksCallout* TSeriesMarks::Callout() {
  if (!FCallout) FCallout = std::make_unique<TMarksCallout>(FSeries);
  return FCallout.get();
}

void TSeriesMarks::SetCallout(TMarksCallout* Value) {
  if (!Value) FCallout.reset();
  else Callout()->Assign(Value);
}

TSeriesMarksSymbol* TSeriesMarks::Symbol() {
  if (!FSymbol) FSymbol = std::make_unique<TSeriesMarksSymbol>(FParentChart);
  return FSymbol.get();
}

void TSeriesMarks::SetSymbol(TSeriesMarksSymbol* Value) {
  if (!Value) FSymbol.reset();
  else Symbol()->Assign(Value);
}

void TSeriesMarks::SetStyle(TSeriesMarksStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  if (FSeries) FSeries->Repaint();
}

void TSeriesMarks::SetTextAlign(TAlignment Value) {
  if (Value == FTextAlign) return;
  FTextAlign = Value;
  Repaint();
}

TMarksItem* TSeriesMarks::Items(int Index) {
  if (Index < 0) throw EListError(Format("List index out of bounds (%d)", {Index}));
  if (static_cast<size_t>(Index) >= FItems.size()) FItems.resize(static_cast<size_t>(Index) + 1);
  auto& slot = FItems[static_cast<size_t>(Index)];
  if (!slot) slot = std::make_unique<TMarksItem>(FParentChart);
  return slot.get();
}

void TSeriesMarks::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TSeriesMarks*>(Source)) {
    FAngle = s->FAngle;
    SetCallout(s->FCallout.get());
    FClip = s->FClip;
    FDrawEvery = s->FDrawEvery;
    FStyle = s->FStyle;
    FMargins->Assign(s->FMargins.get());
    FMultiLine = s->FMultiLine;
    SetSymbol(s->FSymbol.get());
    FTextAlign = s->FTextAlign;
    FItems.clear();
    for (int i = 0; i < s->ItemSlots(); ++i)
      if (s->HasItem(i)) Items(i)->Assign(s->FItems[static_cast<size_t>(i)].get());
  }
  TChartCustomShape::Assign(Source);
}

void TSeriesMarks::DefineProperties(TFiler* Filer) {
  TChartCustomShape::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Items", [this](TStream* S) { ReadItems(S); }, [this](TStream* S) { WriteItems(S); }, !FItems.empty());
}

void TSeriesMarks::WriteItems(TStream* Stream) {
  Stream->WriteValue<int32_t>(static_cast<int32_t>(FItems.size()));
  TWriter w(Stream);
  for (auto& item : FItems) {
    w.WriteListBegin();
    if (item) w.WriteProperties(item.get());
    w.WriteListEnd();
  }
}

void TSeriesMarks::ReadItems(TStream* Stream) {
  const int32_t count = Stream->ReadValue<int32_t>();
  // Every slot takes at least its list begin and end; a count the bytes cannot hold is a lie.
  const int64_t left = Stream->Size() - Stream->Position();
  if (count < 0 || static_cast<int64_t>(count) * 2 > left)
    throw EReadError(Format("Invalid marks item count %d", {count}));
  FItems.clear();
  TReader r(Stream);
  for (int i = 0; i < count; ++i) {
    TMarksItem* item = Items(i);
    r.ReadListBegin();
    while (!r.EndOfList()) r.ReadProperty(item);
    r.ReadListEnd();
  }
}
