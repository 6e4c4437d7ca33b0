#include "chart/ChartAxis.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "chart/ChartConst.h"

int ChartCoordinateLimit = 0x3FFFFFF;

namespace {
constexpr double OneMicroSecond = 1.0 / 86400.0 / 1000000.0;
constexpr double MinNumberStep = 1e-12;
constexpr double IntLimit = 2147483647.0;

double CoordinateLimit(TCustomAxisPanel* Chart) {
  return Chart && Chart->CoordinateLimitDisabled() ? IntLimit : static_cast<double>(ChartCoordinateLimit);
}
}  // namespace

int64_t SaturatedRound(double Value, double Limit) {
  if (std::isnan(Value)) return 0;
  if (Value > Limit) Value = Limit;
  if (Value < -Limit) Value = -Limit;
  return static_cast<int64_t>(std::nearbyint(Value));
}

// ---------------------------------------------------------------------------------------------------
// Value lists

void TChartValueList::SetCount(int ACount) {
  if (ACount < 0) throw EAssertionFailed("ValueList Count must be greater than zero. (ChartEngine, line 6390)");
  if (static_cast<size_t>(ACount) > Value.size())
    throw EAssertionFailed("ValueList Count (" + std::to_string(ACount) + ") greater than array length (" +
                           std::to_string(Value.size()) + "). (ChartEngine, line 6384)");
  FCount = ACount;
}

void TChartValueList::Add(double V) {
  if (static_cast<size_t>(FCount) < Value.size()) Value[static_cast<size_t>(FCount)] = V;
  else Value.push_back(V);
  ++FCount;
}

void TChartValueList::Clear() {
  Value.clear();
  FCount = 0;
}

void TChartValueList::RecalcStats() {
  FMax = FMin = FTotal = FTotalAbs = 0;
  if (FCount <= 0) return;
  FMax = FMin = FTotal = Value[0];
  FTotalAbs = std::fabs(Value[0]);
  for (int i = 1; i < FCount; ++i) {
    const double v = Value[static_cast<size_t>(i)];
    if (v > FMax) FMax = v;
    if (v < FMin) FMin = v;
    FTotal += v;
    FTotalAbs += std::fabs(v);
  }
}

void TChartSeriesBase::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove) std::erase(FDataSources, AComponent);
}

// ---------------------------------------------------------------------------------------------------
// Pens, title, items

TChartAxisPen::TChartAxisPen(TNotifyEvent OnChangeEvent) : TChartPen(nullptr) {
  SetWidth(2);
  OnChange = std::move(OnChangeEvent);
}

void TChartAxisPen::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TChartAxisPen*>(Source)) FLineMode = s->FLineMode;
  TChartPen::Assign(Source);
}

void TChartAxisPen::SetLineMode(TPenLineMode Value) {
  if (Value == FLineMode) return;
  FLineMode = Value;
  Changed();
}

void TAxisGridPen::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TAxisGridPen*>(Source)) {
    FCentered = s->FCentered;
    FDrawEvery = s->FDrawEvery;
    FZPosition = s->FZPosition;
  }
  TDottedGrayPen::Assign(Source);
}
void TAxisGridPen::SetCentered(bool Value) {
  if (Value == FCentered) return;
  FCentered = Value;
  Changed();
}
void TAxisGridPen::SetDrawEvery(int Value) {
  if (Value == FDrawEvery) return;
  FDrawEvery = Value;
  Changed();
}
void TAxisGridPen::SetZPosition(double Value) {
  if (Value == FZPosition) return;
  FZPosition = Value;
  Changed();
}

void TChartAxisTitle::DeclarePublished(TPublished<TChartAxisTitle>& P) {
  P.Integer("Angle", &TChartAxisTitle::Angle, &TChartAxisTitle::SetAngle).NoDefault().Stored(&TChartAxisTitle::IsAngleStored);
  P.String("Caption", &TChartAxisTitle::Caption, &TChartAxisTitle::SetCaption);
  PublishShapeBrushPen(P);
  PublishShapeFormat(P);
  P.Boolean("Transparent", &TChartAxisTitle::Transparent, &TChartAxisTitle::SetTransparent)
      .NoDefault()
      .Stored(&TChartAxisTitle::IsTransparentStored);
  P.Boolean("Visible", &TChartAxisTitle::Visible, &TChartAxisTitle::SetVisible).Default(true);
}

TChartAxisTitle::TChartAxisTitle(TCustomChartParent* AParent) : TChartCustomShape(AParent) {
  SetDefaultTransparent(true);
}

void TChartAxisTitle::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TChartAxisTitle*>(Source)) {
    FAngle = s->FAngle;
    FCaption = s->FCaption;
  }
  TChartCustomShape::Assign(Source);
}

void TChartAxisTitle::SetAngle(int Value) {
  if (FParentChart) FParentChart->ChangeIntegerSetting(FAngle, Value % 360);
  else FAngle = Value % 360;
}

void TChartAxisTitle::SetCaption(const std::string& Value) {
  if (FParentChart) FParentChart->ChangeStringSetting(FCaption, Value);
  else FCaption = Value;
}

TAxisItem::TAxisItem(TCustomChartParent* AParent) : TChartCustomShape(AParent) { SetDefaultTransparent(true); }

void TAxisItem::SetText(const std::string& Value) {
  if (Value == FText) return;
  FText = Value;
  Repaint();
}
void TAxisItem::SetValue(double Value) {
  if (Value == FValue) return;
  FValue = Value;
  Repaint();
}

TAxisItems::TAxisItems(TChartAxis* AAxis) : FAxis(AAxis) {
  FFormat = std::make_unique<TChartShape>(AAxis->ParentChart());
  FFormat->SetTransparent(true);
}
TAxisItems::~TAxisItems() = default;

TAxisItem* TAxisItems::Add(double Value) { return Add(Value, {}); }

TAxisItem* TAxisItems::Add(double Value, const std::string& Text) {
  auto item = std::make_unique<TAxisItem>(FAxis->ParentChart());
  item->SetTransparent(true);
  item->SetValue(Value);
  item->SetText(Text);
  FItems.push_back(std::move(item));
  FAuto = false;
  return FItems.back().get();
}

void TAxisItems::Clear() {
  FItems.clear();
  if (FAxis->ParentChart()) FAxis->ParentChart()->Repaint();
}

void TAxisItems::Assign(TAxisItems* Source) {
  FFormat->Assign(Source->FFormat.get());
  Clear();
  for (auto& i : Source->FItems) Add(i->Value(), i->Text());
}

// ---------------------------------------------------------------------------------------------------
// NextStep

double NextStep(double X) {
  if (!(X > 0)) return 1;  // zero, negative or NaN
  if (std::isinf(X)) return 1;
  int down = 0, up = 0;
  // X >= 10: NextStep(X * 0.1) * 10; X < 1: NextStep(X * 10) * 0.1 (the same multiplications, in a loop).
  while (X >= 10) {
    X *= 0.1;
    ++down;
  }
  while (X < 1) {
    X *= 10;
    ++up;
  }
  double r = X < 2 ? 2 : X < 5 ? 5 : 10;
  for (int i = 0; i < up; ++i) r *= 0.1;
  for (int i = 0; i < down; ++i) r *= 10;
  return r;
}

// ---------------------------------------------------------------------------------------------------
// The axis

void TChartAxis::DeclarePublished(TPublished<TChartAxis>& P) {
  using A = TChartAxis;
  P.Boolean("Automatic", &A::Automatic, &A::SetAutomatic).Default(true);
  P.Boolean("AutomaticMaximum", &A::AutomaticMaximum, &A::SetAutomaticMaximum).Default(true);
  P.Boolean("AutomaticMinimum", &A::AutomaticMinimum, &A::SetAutomaticMinimum).Default(true);
  P.Object("Axis", &A::Axis, &A::SetAxis);
  P.String("AxisValuesFormat", &A::AxisValuesFormat, &A::SetAxisValuesFormat).Stored(&A::IsFormatStored);
  P.String("DateTimeFormat", &A::DateTimeFormat, &A::SetDateTimeFormat);
  P.Boolean("ExactDateTime", &A::ExactDateTime, &A::SetExactDateTime).Default(true);
  P.Object("Grid", &A::Grid, &A::SetGrid);
  P.Boolean("GridCentered", &A::GridCentered, &A::SetGridCentered).Default(false);
  P.Float("Increment", &A::Increment, &A::SetIncrement);
  P.Boolean("Inverted", &A::Inverted, &A::SetInverted).Default(false);
  P.Boolean("Horizontal", &A::Horizontal, &A::SetHorizontal).NoDefault().Stored(&A::IsCustom);
  P.Boolean("OtherSide", &A::OtherSide, &A::SetOtherSide).NoDefault().Stored(&A::IsCustom);
  P.Boolean("Labels", &A::Labels, &A::SetLabels).Default(true);
  P.Enum("LabelsAlign", &A::LabelsAlign, &A::SetLabelsAlign, {"alDefault", "alOpposite"}).Default(alDefault);
  P.Boolean("LabelsAlternate", &A::LabelsAlternate, &A::SetLabelsAlternate).Default(false);
  P.Integer("LabelsAngle", &A::LabelsAngle, &A::SetLabelsAngle).Default(0);
  P.Boolean("LabelsExponent", &A::LabelsExponent, &A::SetLabelsExponent).Default(false);
  P.Object("LabelsFont", &A::LabelsFont, &A::SetLabelsFont);
  P.Boolean("LabelsMultiLine", &A::LabelsMultiLine, &A::SetLabelsMultiLine).Default(false);
  P.Boolean("LabelsOnAxis", &A::LabelsOnAxis, &A::SetLabelsOnAxis).Default(true);
  P.Integer("LabelsSeparation", &A::LabelsSeparation, &A::SetLabelsSeparation).Default(10);
  P.Integer("LabelsSize", &A::LabelsSize, &A::SetLabelsSize).Default(0);
  P.Enum("LabelStyle", &A::LabelStyle, &A::SetLabelStyle, {"talAuto", "talNone", "talValue", "talMark", "talText"})
      .Default(talAuto);
  P.Boolean("Logarithmic", &A::Logarithmic, &A::SetLogarithmic).Default(false);
  P.Float("LogarithmicBase", &A::LogarithmicBase, &A::SetLogarithmicBase).Default(10.0);
  P.Float("Maximum", &A::Maximum, &A::SetMaximum).Default(std::numeric_limits<double>::quiet_NaN()).Stored(&A::IsMaxStored);
  P.Integer("MaximumOffset", &A::MaximumOffset, &A::SetMaximumOffset).Default(0);
  P.Boolean("MaximumRound", &A::MaximumRound, &A::SetMaximumRound).Default(false);
  P.Float("Minimum", &A::Minimum, &A::SetMinimum).Default(std::numeric_limits<double>::quiet_NaN()).Stored(&A::IsMinStored);
  P.Integer("MinimumOffset", &A::MinimumOffset, &A::SetMinimumOffset).Default(0);
  P.Boolean("MinimumRound", &A::MinimumRound, &A::SetMinimumRound).Default(false);
  P.Object("MinorGrid", &A::MinorGrid, &A::SetMinorGrid);
  P.Integer("MinorTickCount", &A::MinorTickCount, &A::SetMinorTickCount).Default(3);
  P.Integer("MinorTickLength", &A::MinorTickLength, &A::SetMinorTickLength).Default(2);
  P.Object("MinorTicks", &A::MinorTicks, &A::SetMinorTicks);
  P.Float("StartPosition", &A::StartPosition, &A::SetStartPosition).Default(0.0);
  P.Float("EndPosition", &A::EndPosition, &A::SetEndPosition).Default(100.0);
  P.Float("PositionPercent", &A::PositionPercent, &A::SetPositionPercent).Default(0.0);
  P.Enum("PositionUnits", &A::PositionUnits, &A::SetPositionUnits, {"muPercent", "muPixels"}).Default(muPercent);
  P.Boolean("RoundFirstLabel", &A::RoundFirstLabel, &A::SetRoundFirstLabel).Default(true);
  P.Integer("TickInnerLength", &A::TickInnerLength, &A::SetTickInnerLength).Default(0);
  P.Integer("TickLength", &A::TickLength, &A::SetTickLength).Default(4);
  P.Object("Ticks", &A::Ticks, &A::SetTicks);
  P.Object("TicksInner", &A::TicksInner, &A::SetTicksInner);
  P.Boolean("TickOnLabelsOnly", &A::TickOnLabelsOnly, &A::SetTickOnLabelsOnly).Default(true);
  P.Object("Title", &A::Title, &A::SetTitle);
  P.Integer("TitleSize", &A::TitleSize, &A::SetTitleSize).Default(0);
  P.Boolean("Visible", &A::Visible, &A::SetVisible).Default(true);
  P.Float("ZPosition", &A::ZPosition, &A::SetZPosition).Default(std::numeric_limits<double>::quiet_NaN()).Stored(&A::IsZPositionStored);
  P.Event("OnDrawLabel");
}

namespace {
TCollection* JoinIfCustom(TCustomAxisPanel* Chart, TCollection* CustomAxes) {
  return Chart && Chart->AxesList().size() >= 6 ? CustomAxes : nullptr;
}
}  // namespace

TChartAxis::TChartAxis(TCustomAxisPanel* AChart, TCollection* CustomAxes)
    : TCollectionItem(JoinIfCustom(AChart, CustomAxes)), FChart(AChart) {
  FItems = std::make_unique<TAxisItems>(this);
  FAxisValuesFormat = ChartMsgDefaultValueFormat;
  auto handler = [this](TObject*) {
    if (FChart) FChart->Repaint();
  };
  FTitle = std::make_unique<TChartAxisTitle>(AChart);
  FTicks = std::make_unique<TDarkGrayPen>(handler);
  FMinorTicks = std::make_unique<TDarkGrayPen>(handler);
  FTicksInner = std::make_unique<TDarkGrayPen>(handler);
  FGrid = std::make_unique<TAxisGridPen>(handler);
  FMinorGrid = std::make_unique<TChartHiddenPen>(handler);
  FAxisPen = std::make_unique<TChartAxisPen>(handler);
  if (FChart) FChart->AxesList().push_back(this);
}

TChartAxis::~TChartAxis() {
  FAxisPen.reset();
  FGrid.reset();
  FMinorGrid.reset();
  FTicks.reset();
  FMinorTicks.reset();
  FTicksInner.reset();
  FTitle.reset();
  FItems.reset();
  if (FChart) {
    for (int i = 0; i < FChart->SeriesCount(); ++i) {
      TChartSeriesBase* s = FChart->Series(i);
      if (s && (s->CustomHorizAxis() == this || s->CustomVertAxis() == this)) s->ClearCustomAxis(this);
    }
    std::erase(FChart->AxesList(), this);
  }
}

bool TChartAxis::IsCustom() const {
  if (!FChart) return false;
  auto& l = FChart->AxesList();
  auto it = std::find(l.begin(), l.end(), this);
  return it != l.end() && it - l.begin() >= 6;
}

bool TChartAxis::IsFormatStored() const { return FAxisValuesFormat != ChartMsgDefaultValueFormat; }

bool TChartAxis::IsZPositionStored() const {
  if (FIsDepthAxis) return false;
  return FOtherSide ? FZPosition != 100 : FZPosition > 0.011;
}

void TChartAxis::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TChartAxis*>(Source);
  if (!s) {
    TCollectionItem::Assign(Source);
    return;
  }
  FAxisPen->Assign(s->FAxisPen.get());
  FItems->Assign(s->FItems.get());
  FLabelsAlign = s->FLabelsAlign;
  FLabelsAlternate = s->FLabelsAlternate;
  FLabelsAngle = s->FLabelsAngle;
  FLabelsExponent = s->FLabelsExponent;
  FLabelsMultiLine = s->FLabelsMultiLine;
  FLabelsOnAxis = s->FLabelsOnAxis;
  FLabelsSeparation = s->FLabelsSeparation;
  FLabelsSize = s->FLabelsSize;
  FLabelStyle = s->FLabelStyle;
  FTicks->Assign(s->FTicks.get());
  FTicksInner->Assign(s->FTicksInner.get());
  FTickInnerLength = s->FTickInnerLength;
  FTickLength = s->FTickLength;
  FTickOnLabelsOnly = s->FTickOnLabelsOnly;
  FTitle->Assign(s->FTitle.get());
  FTitleSize = s->FTitleSize;
  FGrid->Assign(s->FGrid.get());
  FMinorGrid->Assign(s->FMinorGrid.get());
  FMinorTicks->Assign(s->FMinorTicks.get());
  FMinorTickCount = s->FMinorTickCount;
  FMinorTickLength = s->FMinorTickLength;
  FMaximumValue = s->FMaximumValue;
  FMinimumValue = s->FMinimumValue;
  FMaximumOffset = s->FMaximumOffset;
  FMinimumOffset = s->FMinimumOffset;
  FMaximumRound = s->FMaximumRound;
  FMinimumRound = s->FMinimumRound;
  FAutomatic = s->FAutomatic;
  FAutomaticMaximum = s->FAutomaticMaximum;
  FAutomaticMinimum = s->FAutomaticMinimum;
  FAxisValuesFormat = s->FAxisValuesFormat;
  FDateTimeFormat = s->FDateTimeFormat;
  FExactDateTime = s->FExactDateTime;
  FIncrement = s->FIncrement;
  FInverted = s->FInverted;
  FLogarithmic = s->FLogarithmic;
  FLogarithmicBase = s->FLogarithmicBase;
  FRoundFirstLabel = s->FRoundFirstLabel;
  FStartPosition = s->FStartPosition;
  FEndPosition = s->FEndPosition;
  FPositionPercent = s->FPositionPercent;
  FPositionUnits = s->FPositionUnits;
  FZPosition = s->FZPosition;
  FVisible = s->FVisible;
  FHorizontal = s->FHorizontal;
  FOtherSide = s->FOtherSide;
  FIsDepthAxis = s->FIsDepthAxis;
}

// ---------------------------------------------------------------------------------------------------
// Setters with rules

void TChartAxis::SetAutomatic(bool Value) {
  Change(FAutomatic, Value);
  if (FChart && FChart->IsLoading()) return;
  Change(FAutomaticMinimum, Value);
  Change(FAutomaticMaximum, Value);
}

void TChartAxis::SetAutomaticMaximum(bool Value) {
  Change(FAutomaticMaximum, Value);
  if (!Value) Change(FAutomatic, false);
  else if (FAutomaticMinimum) Change(FAutomatic, true);
}

void TChartAxis::SetAutomaticMinimum(bool Value) {
  Change(FAutomaticMinimum, Value);
  if (!Value) Change(FAutomatic, false);
  else if (FAutomaticMaximum) Change(FAutomatic, true);
}

void TChartAxis::SetIncrement(double Value) {
  if (Value < 0) throw AxisException(ChartMsgAxisIncrementMustBe0);
  Change(FIncrement, Value);
}

void TChartAxis::SetHorizontal(bool Value) { Change(FHorizontal, Value); }

void TChartAxis::SetLabelsAlign(TAxisLabelAlign Value) { Change(FLabelsAlign, Value); }
void TChartAxis::SetLabelStyle(TAxisLabelStyle Value) { Change(FLabelStyle, Value); }
void TChartAxis::SetPositionUnits(TChartUnits Value) { Change(FPositionUnits, Value); }

void TChartAxis::SetLabelsSeparation(int Value) {
  if (Value < 0) throw AxisException(ChartMsgLabelsSeparationPercentMustBeGreater);
  Change(FLabelsSeparation, Value);
}

void TChartAxis::SetLogarithmicBase(double Value) {
  // A base below 1 would shrink the increment on every step; only bases above 1 step upwards.
  if (!(Value > 1)) throw AxisException(ChartMsgAxisLogarithmicBaseShouldBe1);
  Change(FLogarithmicBase, Value);
}

void TChartAxis::SetLogarithmic(bool Value) {
  if (Value && !FLogarithmic) {
    if (FAxisDateTime) throw AxisException(ChartMsgDateTimeAxisCannotBeLogarithmic);
    FLogarithmic = true;
    AdjustRange();
    if (FIMinimum < 0 || FIMaximum < 0) {
      FLogarithmic = false;
      AdjustRange();
      throw AxisException(ChartMsgLogarithmicAxisMinAndMaxValues);
    }
    FLogarithmic = false;
  }
  Change(FLogarithmic, Value);
}

void TChartAxis::SetMaximum(double Value) {
  if (!(FChart && FChart->IsLoading()) && Value < FMinimumValue) throw AxisException(ChartMsgAxisMaximumValueMustBeMinimum);
  Change(FMaximumValue, Value);
}

void TChartAxis::SetMinimum(double Value) {
  if (!(FChart && FChart->IsLoading()) && Value > FMaximumValue) throw AxisException(ChartMsgAxisMinimumValueMustBeMaximum);
  Change(FMinimumValue, Value);
}

void TChartAxis::SetMinMax(double AMin, double AMax) {
  SetAutomatic(false);
  if (AMin > AMax) std::swap(AMin, AMax);
  FMinimumValue = AMin;
  FMaximumValue = AMax;
  if (FChart) FChart->Repaint();
}

void TChartAxis::SetPixelRange(int Start, int End) {
  FStartPos = Start;
  FEndPos = End;
  FAxisSize = End - Start;
}

// ---------------------------------------------------------------------------------------------------
// Range

void TChartAxis::RecalcRange() {
  FIRange = FIMaximum - FIMinimum;
  FRangeZero = FIRange == 0;
  FScale = FRangeZero ? 0 : FAxisSize / FIRange;
  if (FLogarithmic) {
    FLogMax = FIMaximum > 0 ? std::log(FIMaximum) : 0;
    FLogMin = FIMinimum > 0 ? std::log(FIMinimum) : 0;
    FLogRange = FLogMax - FLogMin;
    FLogScale = FLogRange == 0 ? 0 : FAxisSize / FLogRange;
  }
  const double width3d = FChart ? FChart->Width3D() : 0;
  FZPos = static_cast<int>(SaturatedRound(FZPosition * width3d * 0.01, IntLimit));
}

void TChartAxis::AdjustRange() {
  if (FAutomatic || FAutomaticMaximum) FMaximumValue = AxisMaximumOrMinimum(FChart, this, false);
  if (FAutomatic || FAutomaticMinimum) FMinimumValue = AxisMaximumOrMinimum(FChart, this, true);
  FIMaximum = FMaximumValue;
  FIMinimum = FMinimumValue;
  RecalcRange();
  if (FAxisSize != 0 && FIRange != 0) {
    // The range is recalculated after each rounding: the minimum's step comes from the labels of the
    // range that the rounded maximum gives.
    if (FMaximumRound && FAutomaticMaximum) {
      const double i = CalcAxisIncrement();
      if (i != 0) {
        FIMaximum = i * std::ceil(FIMaximum / i);
        RecalcRange();
      }
    }
    if (FMinimumRound && FAutomaticMinimum) {
      const double i = CalcAxisIncrement();
      if (i != 0) {
        FIMinimum = i * std::floor(FIMinimum / i);
        RecalcRange();
      }
    }
  }
}

// ---------------------------------------------------------------------------------------------------
// Increments

double TChartAxis::ComputeDateStep(int MaxLabels) {
  double b = std::max(OneMicroSecond, FIncrement);
  if (b > 0 && MaxLabels > 0) {
    if (FIRange / b > 1000000) b = FIRange / 1000000;
    while (std::isfinite(b) && MaxLabels < SaturatedRound(FIRange / b, 9.0e18)) {
      const double before = b;
      if (b >= 365) b *= 2;
      else if (b >= DateTimeStep[dtOneSecond]) b = NextDateTimeStep(b);
      else b = NextStep(b);
      if (!(b > before)) break;  // a step that does not grow would never end
    }
  }
  if (!std::isfinite(b)) b = FIRange;
  return std::max(OneMicroSecond, b);
}

double TChartAxis::ComputeNumberStep(int MaxLabels) {
  const int n = MaxLabels + 1;
  double i;
  if (FIncrement > 0) {
    i = FIncrement;
  } else if (FIRange != 0) {
    i = std::fabs(FIRange) / n;
    if (FLogarithmic && i > 0) i = std::pow(FLogarithmicBase, std::nearbyint(std::log(i) / std::log(FLogarithmicBase)));
    if (FIRange >= 1)
      for (TChartSeriesBase* s : FSeriesList)
        if (s->Count() <= MaxLabels) {
          i = std::max(1.0, i);
          break;
        }
  } else {
    i = 1;
  }
  if (FLabelsSeparation >= 1) {
    int64_t a = static_cast<int64_t>(MaxLabels) + 1;
    for (;;) {
      if (!(i > 0) || !std::isfinite(i)) break;  // 0 (an underflow) never grows; infinity ends it
      const double q = FIRange / i;
      const double before = i;
      if (std::fabs(q) < IntLimit) {
        a = static_cast<int64_t>(std::nearbyint(q));
        if (MaxLabels < a) i = FLogarithmic ? i * FLogarithmicBase : NextStep(i);
      } else {
        i = FLogarithmic ? i * FLogarithmicBase : NextStep(i);
      }
      if (MaxLabels >= a || i > FIRange || std::isinf(i)) break;
      if (!(i > before)) break;
    }
  }
  if (std::isinf(i)) return FIRange;
  if (std::isnan(i)) return MinNumberStep;
  return std::max(MinNumberStep, i);
}

double TChartAxis::ComputeAxisStep(int MaxLabels) {
  if (MaxLabels < 1) return FAxisDateTime ? OneMicroSecond : MinNumberStep;
  return FAxisDateTime ? ComputeDateStep(MaxLabels) : ComputeNumberStep(MaxLabels);
}

double TChartAxis::ComputeLabelStep(int LabelSize) {
  int64_t count = 1;
  if (LabelSize > 0) {
    double denom = LabelSize;
    if (FLabelsSeparation > 0) denom += static_cast<double>(SaturatedRound(FLabelsSeparation * 0.01 * LabelSize, IntLimit));
    count = SaturatedRound(FAxisSize / denom, IntLimit);
  }
  return ComputeAxisStep(static_cast<int>(count));
}

int TChartAxis::MultiLineTextWidth(const std::string& Text, int& NumLines) {
  NumLines = 0;
  int widest = 0;
  size_t start = 0;
  for (;;) {
    const size_t p = Text.find('\r', start);
    const std::string line = Text.substr(start, p == std::string::npos ? std::string::npos : p - start);
    ++NumLines;
    if (FChart) widest = std::max(widest, FChart->TextWidth(line));
    if (p == std::string::npos) break;
    start = p + 1;
  }
  return widest;
}

bool TChartAxis::LabelsAcross() const {
  const bool horiz = FHorizontal;
  return horiz ? (FLabelsAngle == 90 || FLabelsAngle == 270) : (FLabelsAngle == 0 || FLabelsAngle == 180);
}

int TChartAxis::LabelSizeAlongAxis(double Value) {
  int lines = 0;
  const int w = MultiLineTextWidth(LabelText(Value), lines);
  if (LabelsAcross()) return (FChart ? FChart->LetterWidth() : 0) * lines;
  return w;
}

double TChartAxis::CalcAxisIncrement() {
  double lo = FIMinimum, hi = FIMaximum;
  if (FRoundFirstLabel && FIncrement != 0) {
    // Rounded to multiples of the increment (the minimum to the nearest, the maximum down).
    lo = std::nearbyint(FIMinimum / FIncrement) * FIncrement;
    hi = std::trunc(FIMaximum / FIncrement) * FIncrement;
  }
  double m = (lo + hi) / 2;
  while (m != 0 && std::isfinite(m) && m == std::trunc(m)) m /= 2;
  int size = std::max({LabelSizeAlongAxis(m), LabelSizeAlongAxis(lo), LabelSizeAlongAxis(hi)});
  if (FIncrement != 0) size = std::max({size, LabelSizeAlongAxis(hi - FIncrement), LabelSizeAlongAxis(lo + FIncrement)});
  double result = ComputeLabelStep(size);
  if (!FLabelsAlternate && FIncrement == 0 && result >= 2) {
    FIncrement = 1;
    try {
      result = CalcAxisIncrement();
    } catch (...) {
      FIncrement = 0;
      throw;
    }
    FIncrement = 0;
  }
  if (FLabelsAlternate) result = FLogarithmic ? result / FLogarithmicBase : result / 2;
  return result;
}

// ---------------------------------------------------------------------------------------------------
// Value to pixel

int TChartAxis::CalcPos(double Value, bool HorizontalUse) {
  const double limit = CoordinateLimit(FChart);
  if (FRangeZero) return FStartPos + FAxisSize / 2;
  if (FIsDepthAxis) {
    const double v = FInverted ? FScale * (FIMaximum - Value) : (Value - FIMinimum) * FScale;
    return static_cast<int>(SaturatedRound(v, limit));
  }
  if (FLogarithmic) {
    const int lo = HorizontalUse ? (FInverted ? FEndPos : FStartPos) : (FInverted ? FStartPos : FEndPos);
    if (Value <= 0) return lo;
    const double off = static_cast<double>(SaturatedRound(FLogScale * (std::log(Value) - FLogMin), limit));
    const double base = HorizontalUse ? (FInverted ? FEndPos - off : FStartPos + off) : (FInverted ? FStartPos + off : FEndPos - off);
    return static_cast<int>(SaturatedRound(base, limit));
  }
  const double off = (Value - FIMinimum) * FScale;
  double p;
  if (HorizontalUse) p = FInverted ? FEndPos - off : FStartPos + off;
  else p = FInverted ? FStartPos + off : FEndPos - off;
  return static_cast<int>(SaturatedRound(p, limit));
}

int TChartAxis::CalcXPosValue(double Value) { return CalcPos(Value, true); }
int TChartAxis::CalcYPosValue(double Value) { return CalcPos(Value, false); }
int TChartAxis::CalcPosValue(double Value) { return CalcPos(Value, FHorizontal); }

// ---------------------------------------------------------------------------------------------------
// Labels

std::string TChartAxis::LabelText(double Value) {
  std::string text;
  if (FAxisDateTime) {
    if (Value >= 0) text = FormatDateTime(FDateTimeFormat.empty() ? StepDateTimeFormat(FIRange) : FDateTimeFormat, Value);
  } else {
    text = FormatFloat(FAxisValuesFormat, Value);
  }
  if (FChart && FChart->OnGetAxisLabel) FChart->OnGetAxisLabel(this, nullptr, -1, text);
  if (FLabelsMultiLine) text = ReplaceOrDeleteChar(text, ' ', '\r');
  return text;
}

TAxisLabelStyle TChartAxis::CalcLabelStyle() {
  if (!FChart) return talNone;
  if (FIsDepthAxis) {
    for (int i = 0; i < FChart->SeriesCount(); ++i) {
      TChartSeriesBase* s = FChart->Series(i);
      if (s->Active() && (s->HasZValues() || s->MinZValue() != s->MaxZValue())) return talValue;
    }
    return talText;
  }
  TAxisLabelStyle result = talNone;
  for (int i = 0; i < FChart->SeriesCount(); ++i) {
    TChartSeriesBase* s = FChart->Series(i);
    if (!s->Active() || !s->UsesAxis(this)) continue;
    result = talValue;
    if (!s->ExcludeFromAxisLabels() && s->AxisAlongPoints(this))
      for (int j = 0; j < s->Count(); ++j)
        if (!s->PointLabel(j).empty()) return talText;
  }
  return result;
}

TAxisLabelStyle TChartAxis::EffectiveLabelStyle() { return FLabelStyle == talAuto ? CalcLabelStyle() : FLabelStyle; }

// ---------------------------------------------------------------------------------------------------
// Automatic range from the series

namespace {
struct TPage {
  int First = 0, Last = -1;
};
TPage CurrentPage(TCustomAxisPanel* Chart, int Count) {
  const int size = Chart->MaxPointsPerPage();
  TPage p;
  // Pages count from 1; a page number below that shows the first page rather than reading before it.
  p.First = size * (std::max(1, Chart->Page()) - 1);
  // A page past the data shows the last full page (the last PageSize points), not a partial one.
  if (p.First >= Count) p.First = std::max(0, Count - size);
  p.Last = std::min(p.First + size - 1, Count - 1);
  return p;
}
}  // namespace

double AxisMaximumOrMinimum(TCustomAxisPanel* Chart, TChartAxis* Axis, bool WantMinimum) {
  if (!Chart) return 0;
  if (Axis->IsDepthAxis()) {
    if (Axis->EffectiveLabelStyle() == talValue) {
      bool first = true;
      double r = 0;
      for (int i = 0; i < Chart->SeriesCount(); ++i) {
        TChartSeriesBase* s = Chart->Series(i);
        if (!s->Active()) continue;
        const double v = WantMinimum ? s->MinZValue() : s->MaxZValue();
        if (first || (WantMinimum ? v < r : v > r)) r = v;
        first = false;
      }
      return r;
    }
    return WantMinimum ? -0.5 : Chart->MaxZOrder() + 0.5;
  }
  std::vector<TChartSeriesBase*> using_;
  bool anyActive = false;
  for (int i = 0; i < Chart->SeriesCount(); ++i) {
    TChartSeriesBase* s = Chart->Series(i);
    if (s->UsesAxis(Axis) && s->Active()) anyActive = true;
  }
  for (int i = 0; i < Chart->SeriesCount(); ++i) {
    TChartSeriesBase* s = Chart->Series(i);
    if (s->UsesAxis(Axis) && (s->Active() || !anyActive)) using_.push_back(s);
  }
  const bool paging = Chart->MaxPointsPerPage() >= 1;
  if (paging) {
    TChartSeriesBase* most = nullptr;
    for (TChartSeriesBase* s : using_)
      if (!most || s->Count() > most->Count()) most = s;
    if (most && most->Count() > 0 && most->AxisAlongPoints(Axis)) {
      const TPage p = CurrentPage(Chart, most->Count());
      const double fv = most->ValueOnAxis(Axis, p.First);
      if (WantMinimum) return fv;
      const double lv = most->ValueOnAxis(Axis, p.Last);
      const int size = Chart->MaxPointsPerPage();
      const int e = p.Last - p.First + 1;
      if (!Chart->ScaleLastPage() && e < size) return fv == lv ? fv + double(size) / e : fv + size * (lv - fv) / e;
      return lv;
    }
  }
  bool first = true;
  double r = 0;
  for (TChartSeriesBase* s : using_) {
    double v;
    if (paging) {
      if (s->Count() == 0) continue;
      const TPage p = CurrentPage(Chart, s->Count());
      v = s->ValueOnAxis(Axis, p.First);
      for (int j = p.First + 1; j <= p.Last; ++j) {
        const double x = s->ValueOnAxis(Axis, j);
        if (WantMinimum ? x < v : x > v) v = x;
      }
    } else {
      v = WantMinimum ? s->MinOnAxis(Axis) : s->MaxOnAxis(Axis);
    }
    if (first || (WantMinimum ? v < r : v > r)) r = v;
    first = false;
  }
  return r;
}

// ---------------------------------------------------------------------------------------------------
// Depth axis

TChartDepthAxis::TChartDepthAxis(TCustomAxisPanel* AChart, TCollection* CustomAxes) : TChartAxis(AChart, CustomAxes) {
  FIsDepthAxis = true;
  SetVisible(false);
}

void TChartDepthAxis::SetInverted(bool Value) {
  TChartAxis::SetInverted(Value);
  if (ParentChart())
    if (TChartAxis* other = ParentChart()->OtherDepthAxis(this); other && other->Inverted() != Value) other->TChartAxis::SetInverted(Value);
}
