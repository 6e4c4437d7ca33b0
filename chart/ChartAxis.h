#pragma once
// ChartEngine, its axis half: the chart axis with its published settings and validations, the depth
// axis, the axis title, pens and custom label items; the choice of the label increment (the 1-2-5 rule
// and the date-time steps), the rounding of the automatic range, and the mapping of values to pixels.
//
// The chart panel and its series live outside the library. An axis reaches them only through
// TCustomAxisPanel and TChartSeriesBase below, which a chart (or a test) implements.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/ChartProcs.h"

class TChartAxis;
class TChartSeriesBase;

RTL_DECLARE_EXCEPTION(AxisException, Exception)
RTL_DECLARE_EXCEPTION(ChartException, Exception)

// The largest pixel coordinate an axis hands to the drawing code (set when the engine unit starts).
extern int ChartCoordinateLimit;

// ---------------------------------------------------------------------------------------------------
// The values of one series: a list of Doubles with its statistics.

class TChartValueList {
 public:
  std::vector<double> Value;
  int Count() const { return FCount; }
  // Checks the count against the storage; a count beyond it or below 0 raises EAssertionFailed.
  void SetCount(int ACount);
  void Add(double V);
  void Clear();
  double operator[](int Index) const { return Value.at(static_cast<size_t>(Index)); }
  // Maximum, minimum, total and absolute total over the values (all 0 with none).
  void RecalcStats();
  double MaxValue() const { return FMax; }
  double MinValue() const { return FMin; }
  double Total() const { return FTotal; }
  double TotalABS() const { return FTotalAbs; }
  double Range() const { return FMax - FMin; }

 private:
  int FCount = 0;
  double FMax = 0, FMin = 0, FTotal = 0, FTotalAbs = 0;
};

// ---------------------------------------------------------------------------------------------------
// The chart panel as axes, marks and functions see it.

using TAxisLabelEvent = std::function<void(TChartAxis* Sender, TChartSeriesBase* Series, int ValueIndex, std::string& Text)>;

class TCustomAxisPanel : public TCustomChartParent {
 public:
  // Every axis of the chart; the first six are the built-in ones.
  std::vector<TChartAxis*>& AxesList() { return FAxes; }
  virtual int SeriesCount() const = 0;
  virtual TChartSeriesBase* Series(int Index) const = 0;
  // Text measuring on the chart's canvas.
  virtual int TextWidth(const std::string& Text) = 0;
  virtual int LetterWidth() { return TextWidth("W"); }
  // The 3D depth in pixels and the highest depth index of the series.
  virtual int Width3D() const { return 0; }
  virtual int MaxZOrder() const { return 0; }
  // Page-by-page display: points per page (0: all) and the current page (from 1).
  virtual int MaxPointsPerPage() const { return 0; }
  virtual int Page() const { return 1; }
  virtual bool ScaleLastPage() const { return true; }
  // The chart may hand coordinates to the drawing code without the limit.
  virtual bool CoordinateLimitDisabled() const { return false; }
  // The other depth axis (the one that is not Axis), when the chart has two.
  virtual TChartAxis* OtherDepthAxis(TChartAxis* /*Axis*/) { return nullptr; }

  TAxisLabelEvent OnGetAxisLabel;

 private:
  std::vector<TChartAxis*> FAxes;
};

// A series as the library sees it; the chart's own series classes derive from it.
class TChartSeriesBase : public TComponent {
  DECLARE_CLASS(TChartSeriesBase, TComponent)
  explicit TChartSeriesBase(TComponent* AOwner) : TComponent(AOwner) {}

  virtual TCustomAxisPanel* ParentChart() const = 0;
  virtual bool Active() const { return true; }
  virtual int Count() const = 0;
  // Whether the series is drawn against the axis, and whether the axis runs along its point order.
  virtual bool UsesAxis(TChartAxis* Axis) const = 0;
  virtual bool AxisAlongPoints(TChartAxis* Axis) const = 0;
  // The value at Index that runs along the axis, and its extremes over all points.
  virtual double ValueOnAxis(TChartAxis* Axis, int Index) const = 0;
  virtual double MaxOnAxis(TChartAxis* Axis) const = 0;
  virtual double MinOnAxis(TChartAxis* Axis) const = 0;
  // Depth values (the third dimension).
  virtual bool HasZValues() const { return false; }
  virtual double MaxZValue() const { return 0; }
  virtual double MinZValue() const { return 0; }
  virtual std::string PointLabel(int /*Index*/) const { return {}; }
  // A series may keep its labels off the axes.
  virtual bool ExcludeFromAxisLabels() const { return false; }
  // The custom axes the series uses; an axis that goes away clears them.
  virtual TChartAxis* CustomHorizAxis() const { return nullptr; }
  virtual TChartAxis* CustomVertAxis() const { return nullptr; }
  virtual void ClearCustomAxis(TChartAxis* /*Axis*/) {}

  // What marks, pointers, functions and sources ask of the series.
  virtual void Repaint() {}
  virtual void AddXY(double X, double Y, const std::string& Label) = 0;
  virtual void ClearValues() = 0;
  virtual TChartValueList* XValues() = 0;
  virtual TChartValueList* YValues() = 0;
  virtual bool IsHorizontal() const { return false; }  // x and y exchanged
  virtual bool SinglePoints() const { return false; }  // takes one point for a whole-range value
  virtual TChartAxis* HorizAxis() const { return nullptr; }
  virtual void Recalculate() {}
  virtual double ValueForChartFunction() const { return 0; }  // a per-series value for ValueForSeries
  virtual bool HasValueForChartFunction() const { return false; }

  std::vector<TComponent*>& DataSources() { return FDataSources; }

  void ChangeIntegerSetting(int& Variable, int Value) {
    if (Variable == Value) return;
    Variable = Value;
    Repaint();
  }
  void ChangeBooleanSetting(bool& Variable, bool Value) {
    if (Variable == Value) return;
    Variable = Value;
    Repaint();
  }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::vector<TComponent*> FDataSources;
};

// ---------------------------------------------------------------------------------------------------
// Axis pens, title and label items

enum TPenLineMode { lmLine, lmCylinder, lmRectangle };

class TChartAxisPen : public TChartPen {
  DECLARE_PUBLISHED_CLASS(TChartAxisPen, TChartPen)
  static void DeclarePublished(TPublished<TChartAxisPen>& P) {
    P.Integer("Width", &TChartAxisPen::Width, &TChartAxisPen::SetWidth).Default(2);
    P.Enum("LineMode", &TChartAxisPen::LineMode, &TChartAxisPen::SetLineMode, {"lmLine", "lmCylinder", "lmRectangle"})
        .Default(lmLine);
  }
  explicit TChartAxisPen(TNotifyEvent OnChangeEvent = nullptr);
  void Assign(TPersistent* Source) override;
  TPenLineMode LineMode() const { return FLineMode; }
  void SetLineMode(TPenLineMode Value);

 private:
  TPenLineMode FLineMode = lmLine;
};

class TAxisGridPen : public TDottedGrayPen {
  DECLARE_PUBLISHED_CLASS(TAxisGridPen, TDottedGrayPen)
  static void DeclarePublished(TPublished<TAxisGridPen>& P) {
    P.Integer("DrawEvery", &TAxisGridPen::DrawEvery, &TAxisGridPen::SetDrawEvery).Default(1);
    P.Float("ZPosition", &TAxisGridPen::ZPosition, &TAxisGridPen::SetZPosition).Stored(&TAxisGridPen::IsZStored);
  }
  explicit TAxisGridPen(TNotifyEvent OnChangeEvent = nullptr) : TDottedGrayPen(std::move(OnChangeEvent)) {}
  void Assign(TPersistent* Source) override;
  bool Centered() const { return FCentered; }
  void SetCentered(bool Value);
  int DrawEvery() const { return FDrawEvery; }
  void SetDrawEvery(int Value);
  double ZPosition() const { return FZPosition; }
  void SetZPosition(double Value);
  void SetDefaultZ(double Value) { FZPosition = FDefaultZ = Value; }
  bool IsZStored() const { return FZPosition != FDefaultZ; }

 private:
  bool FCentered = false;
  int FDrawEvery = 1;
  double FZPosition = 0;
  double FDefaultZ = 0;
};

class TChartAxisTitle : public TChartCustomShape {
  DECLARE_PUBLISHED_CLASS(TChartAxisTitle, TChartCustomShape)
  static void DeclarePublished(TPublished<TChartAxisTitle>& P);
  explicit TChartAxisTitle(TCustomChartParent* AParent);
  void Assign(TPersistent* Source) override;
  int Angle() const { return FAngle; }
  void SetAngle(int Value);
  bool IsAngleStored() const { return FAngle != FDefaultAngle; }
  void SetDefaultAngle(int Value) { FAngle = FDefaultAngle = Value; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);

 private:
  int FAngle = 0;
  int FDefaultAngle = 0;
  std::string FCaption;
};

class TAxisItem : public TChartCustomShape {
  DECLARE_PUBLISHED_CLASS(TAxisItem, TChartCustomShape)
  static void DeclarePublished(TPublished<TAxisItem>& P) {
    PublishShapeBrushPen(P);
    PublishShapeFormat(P);
    P.String("Text", &TAxisItem::Text, &TAxisItem::SetText);
    P.Float("Value", &TAxisItem::Value, &TAxisItem::SetValue);
  }
  explicit TAxisItem(TCustomChartParent* AParent);
  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  double Value() const { return FValue; }
  void SetValue(double Value);

 private:
  std::string FText;
  double FValue = 0;
};

// The custom labels of one axis, and the format (font, visibility) every label shares.
class TAxisItems {
 public:
  explicit TAxisItems(TChartAxis* AAxis);
  ~TAxisItems();
  TAxisItem* Add(double Value);
  TAxisItem* Add(double Value, const std::string& Text);
  void Clear();
  void Assign(TAxisItems* Source);
  int Count() const { return static_cast<int>(FItems.size()); }
  TAxisItem* Items(int Index) const { return FItems.at(static_cast<size_t>(Index)).get(); }
  bool Auto() const { return FAuto; }
  TChartShape* Format() const { return FFormat.get(); }

 private:
  TChartAxis* FAxis;
  bool FAuto = true;
  std::unique_ptr<TChartShape> FFormat;
  std::vector<std::unique_ptr<TAxisItem>> FItems;
};

// ---------------------------------------------------------------------------------------------------
// The axis

enum TAxisLabelAlign { alDefault, alOpposite };
enum TChartUnits { muPercent, muPixels };
enum TAxisLabelStyle { talAuto, talNone, talValue, talMark, talText };

// The 1-2-5 rule: the next step above X within its decade (1 for an infinite X). A step of zero, a
// negative one or NaN has no next one in the rule; it gives 1.
double NextStep(double X);

class TChartAxis : public TCollectionItem {
  DECLARE_PUBLISHED_CLASS(TChartAxis, TCollectionItem)
  static void DeclarePublished(TPublished<TChartAxis>& P);
  // Joins CustomAxes only when the chart already holds the six built-in axes.
  TChartAxis(TCustomAxisPanel* AChart, TCollection* CustomAxes = nullptr);
  ~TChartAxis() override;
  void Assign(TPersistent* Source) override;

  TCustomAxisPanel* ParentChart() const { return FChart; }
  bool IsDepthAxis() const { return FIsDepthAxis; }
  // Custom axes come after the six built-in ones in the chart's list.
  bool IsCustom() const;

  // Published settings
  bool Automatic() const { return FAutomatic; }
  void SetAutomatic(bool Value);
  bool AutomaticMaximum() const { return FAutomaticMaximum; }
  void SetAutomaticMaximum(bool Value);
  bool AutomaticMinimum() const { return FAutomaticMinimum; }
  void SetAutomaticMinimum(bool Value);
  TChartAxisPen* Axis() const { return FAxisPen.get(); }
  void SetAxis(TChartAxisPen* Value) { if (Value) FAxisPen->Assign(Value); }
  const std::string& AxisValuesFormat() const { return FAxisValuesFormat; }
  void SetAxisValuesFormat(const std::string& Value) { Change(FAxisValuesFormat, Value); }
  bool IsFormatStored() const;
  const std::string& DateTimeFormat() const { return FDateTimeFormat; }
  void SetDateTimeFormat(const std::string& Value) { Change(FDateTimeFormat, Value); }
  bool ExactDateTime() const { return FExactDateTime; }
  void SetExactDateTime(bool Value) { Change(FExactDateTime, Value); }
  TAxisGridPen* Grid() const { return FGrid.get(); }
  void SetGrid(TAxisGridPen* Value) { if (Value) FGrid->Assign(Value); }
  bool GridCentered() const { return FGrid->Centered(); }
  void SetGridCentered(bool Value) { FGrid->SetCentered(Value); }
  double Increment() const { return FIncrement; }
  void SetIncrement(double Value);
  bool Inverted() const { return FInverted; }
  virtual void SetInverted(bool Value) { Change(FInverted, Value); }
  bool Horizontal() const { return FHorizontal; }
  void SetHorizontal(bool Value);
  bool OtherSide() const { return FOtherSide; }
  void SetOtherSide(bool Value) { Change(FOtherSide, Value); }
  bool Labels() const { return FItems->Format()->Visible(); }
  void SetLabels(bool Value) { FItems->Format()->SetVisible(Value); }
  TAxisLabelAlign LabelsAlign() const { return FLabelsAlign; }
  void SetLabelsAlign(TAxisLabelAlign Value);
  bool LabelsAlternate() const { return FLabelsAlternate; }
  void SetLabelsAlternate(bool Value) { Change(FLabelsAlternate, Value); }
  int LabelsAngle() const { return FLabelsAngle; }
  void SetLabelsAngle(int Value) { Change(FLabelsAngle, Value % 360); }
  bool LabelsExponent() const { return FLabelsExponent; }
  void SetLabelsExponent(bool Value) { Change(FLabelsExponent, Value); }
  TChartFont* LabelsFont() const { return FItems->Format()->Font(); }
  void SetLabelsFont(TChartFont* Value) { FItems->Format()->SetFont(Value); }
  bool LabelsMultiLine() const { return FLabelsMultiLine; }
  void SetLabelsMultiLine(bool Value) { Change(FLabelsMultiLine, Value); }
  bool LabelsOnAxis() const { return FLabelsOnAxis; }
  void SetLabelsOnAxis(bool Value) { Change(FLabelsOnAxis, Value); }
  int LabelsSeparation() const { return FLabelsSeparation; }
  void SetLabelsSeparation(int Value);
  int LabelsSize() const { return FLabelsSize; }
  void SetLabelsSize(int Value) { Change(FLabelsSize, Value); }
  TAxisLabelStyle LabelStyle() const { return FLabelStyle; }
  void SetLabelStyle(TAxisLabelStyle Value);
  bool Logarithmic() const { return FLogarithmic; }
  void SetLogarithmic(bool Value);
  double LogarithmicBase() const { return FLogarithmicBase; }
  void SetLogarithmicBase(double Value);
  double Maximum() const { return FMaximumValue; }
  void SetMaximum(double Value);
  double Minimum() const { return FMinimumValue; }
  void SetMinimum(double Value);
  void SetMinMax(double AMin, double AMax);
  bool IsMaxStored() const { return !FAutomatic && !FAutomaticMaximum; }
  bool IsMinStored() const { return !FAutomatic && !FAutomaticMinimum; }
  int MaximumOffset() const { return FMaximumOffset; }
  void SetMaximumOffset(int Value) { Change(FMaximumOffset, Value); }
  int MinimumOffset() const { return FMinimumOffset; }
  void SetMinimumOffset(int Value) { Change(FMinimumOffset, Value); }
  bool MaximumRound() const { return FMaximumRound; }
  void SetMaximumRound(bool Value) { Change(FMaximumRound, Value); }
  bool MinimumRound() const { return FMinimumRound; }
  void SetMinimumRound(bool Value) { Change(FMinimumRound, Value); }
  TChartHiddenPen* MinorGrid() const { return FMinorGrid.get(); }
  void SetMinorGrid(TChartHiddenPen* Value) { if (Value) FMinorGrid->Assign(Value); }
  int MinorTickCount() const { return FMinorTickCount; }
  void SetMinorTickCount(int Value) { Change(FMinorTickCount, Value); }
  int MinorTickLength() const { return FMinorTickLength; }
  void SetMinorTickLength(int Value) { Change(FMinorTickLength, Value); }
  TDarkGrayPen* MinorTicks() const { return FMinorTicks.get(); }
  void SetMinorTicks(TDarkGrayPen* Value) { if (Value) FMinorTicks->Assign(Value); }
  double StartPosition() const { return FStartPosition; }
  void SetStartPosition(double Value) { Change(FStartPosition, Value); }
  double EndPosition() const { return FEndPosition; }
  void SetEndPosition(double Value) { Change(FEndPosition, Value); }
  double PositionPercent() const { return FPositionPercent; }
  void SetPositionPercent(double Value) { Change(FPositionPercent, Value); }
  TChartUnits PositionUnits() const { return FPositionUnits; }
  void SetPositionUnits(TChartUnits Value);
  bool RoundFirstLabel() const { return FRoundFirstLabel; }
  void SetRoundFirstLabel(bool Value) { Change(FRoundFirstLabel, Value); }
  int TickInnerLength() const { return FTickInnerLength; }
  void SetTickInnerLength(int Value) { Change(FTickInnerLength, Value); }
  int TickLength() const { return FTickLength; }
  void SetTickLength(int Value) { Change(FTickLength, Value); }
  TDarkGrayPen* Ticks() const { return FTicks.get(); }
  void SetTicks(TDarkGrayPen* Value) { if (Value) FTicks->Assign(Value); }
  TDarkGrayPen* TicksInner() const { return FTicksInner.get(); }
  void SetTicksInner(TDarkGrayPen* Value) { if (Value) FTicksInner->Assign(Value); }
  bool TickOnLabelsOnly() const { return FTickOnLabelsOnly; }
  void SetTickOnLabelsOnly(bool Value) { Change(FTickOnLabelsOnly, Value); }
  TChartAxisTitle* Title() const { return FTitle.get(); }
  void SetTitle(TChartAxisTitle* Value) { if (Value) FTitle->Assign(Value); }
  int TitleSize() const { return FTitleSize; }
  void SetTitleSize(int Value) { Change(FTitleSize, Value); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { Change(FVisible, Value); }
  double ZPosition() const { return FZPosition; }
  void SetZPosition(double Value) { Change(FZPosition, Value == 0 ? 0.01 : Value); }
  bool IsZPositionStored() const;
  TAxisItems* Items() const { return FItems.get(); }

  TAxisLabelEvent OnDrawLabel;

  // Sizing, filled by the chart: the pixel start and end, and whether the values are date-times.
  void SetPixelRange(int Start, int End);
  int IStartPos() const { return FStartPos; }
  int IEndPos() const { return FEndPos; }
  int IAxisSize() const { return FAxisSize; }
  bool IsDateTime() const { return FAxisDateTime; }
  void SetIsDateTime(bool Value) { FAxisDateTime = Value; }

  // Working range
  double IMaximum() const { return FIMaximum; }
  double IMinimum() const { return FIMinimum; }
  double IRange() const { return FIRange; }
  bool IsRangeZero() const { return FRangeZero; }
  double IScale() const { return FScale; }
  double ILogScale() const { return FLogScale; }
  int IZPos() const { return FZPos; }
  void AdjustRange();
  void RecalcRange();

  // Increments
  double ComputeDateStep(int MaxLabels);
  double ComputeNumberStep(int MaxLabels);
  double ComputeAxisStep(int MaxLabels);
  double ComputeLabelStep(int LabelSize);
  double CalcAxisIncrement();

  // Value to pixel: for horizontal use, vertical use, and the axis's own orientation.
  int CalcXPosValue(double Value);
  int CalcYPosValue(double Value);
  int CalcPosValue(double Value);

  std::string LabelText(double Value);
  TAxisLabelStyle EffectiveLabelStyle();
  TAxisLabelStyle CalcLabelStyle();
  // The width of the widest line of Text (lines split at character 13) and the number of lines.
  int MultiLineTextWidth(const std::string& Text, int& NumLines);
  // The size of a value's label along the axis.
  int LabelSizeAlongAxis(double Value);

  // The series that use this axis (a chart fills it).
  std::vector<TChartSeriesBase*>& SeriesList() { return FSeriesList; }

 protected:
  // Descendants (the depth axis) set their kind in their own constructor.
  bool FIsDepthAxis = false;
  template <typename T>
  void Change(T& Variable, const T& Value);

 private:
  int CalcPos(double Value, bool HorizontalUse);
  bool LabelsAcross() const;

  TCustomAxisPanel* FChart;
  std::unique_ptr<TAxisItems> FItems;
  std::vector<TChartSeriesBase*> FSeriesList;
  std::unique_ptr<TChartAxisPen> FAxisPen;
  std::unique_ptr<TAxisGridPen> FGrid;
  std::unique_ptr<TChartHiddenPen> FMinorGrid;
  std::unique_ptr<TDarkGrayPen> FMinorTicks, FTicks, FTicksInner;
  std::unique_ptr<TChartAxisTitle> FTitle;

  bool FAutomatic = true, FAutomaticMaximum = true, FAutomaticMinimum = true;
  std::string FAxisValuesFormat;
  std::string FDateTimeFormat;
  bool FExactDateTime = true;
  double FIncrement = 0;
  bool FInverted = false, FHorizontal = false, FOtherSide = false;
  TAxisLabelAlign FLabelsAlign = alDefault;
  bool FLabelsAlternate = false;
  int FLabelsAngle = 0;
  bool FLabelsExponent = false, FLabelsMultiLine = false, FLabelsOnAxis = true;
  int FLabelsSeparation = 10;
  int FLabelsSize = 0;
  TAxisLabelStyle FLabelStyle = talAuto;
  bool FLogarithmic = false;
  double FLogarithmicBase = 10;
  double FMaximumValue = 0, FMinimumValue = 0;
  int FMaximumOffset = 0, FMinimumOffset = 0;
  bool FMaximumRound = false, FMinimumRound = false;
  int FMinorTickCount = 3, FMinorTickLength = 2;
  double FStartPosition = 0, FEndPosition = 100, FPositionPercent = 0;
  TChartUnits FPositionUnits = muPercent;
  bool FRoundFirstLabel = true;
  int FTickInnerLength = 0, FTickLength = 4;
  bool FTickOnLabelsOnly = true;
  int FTitleSize = 0;
  bool FVisible = true;
  double FZPosition = 0.01;

  int FStartPos = 0, FEndPos = 0, FAxisSize = 0;
  bool FAxisDateTime = false;
  double FIMaximum = 0, FIMinimum = 0, FIRange = 0, FScale = 0;
  bool FRangeZero = true;
  double FLogMax = 0, FLogMin = 0, FLogRange = 0, FLogScale = 0;
  int FZPos = 0;
};

// Stores a changed value and repaints the chart, as the chart's setting routines do.
template <typename T>
void TChartAxis::Change(T& Variable, const T& Value) {
  if (Variable == Value) return;
  Variable = Value;
  if (FChart) FChart->Repaint();
}

class TChartDepthAxis : public TChartAxis {
  DECLARE_PUBLISHED_CLASS(TChartDepthAxis, TChartAxis)
  static void DeclarePublished(TPublished<TChartDepthAxis>& P) {
    P.Boolean("Visible", &TChartDepthAxis::Visible, &TChartDepthAxis::SetVisible).Default(false);
  }
  TChartDepthAxis(TCustomAxisPanel* AChart, TCollection* CustomAxes = nullptr);
  // The chart's other depth axis follows.
  void SetInverted(bool Value) override;
};

// The automatic maximum or minimum of an axis from the chart's series.
double AxisMaximumOrMinimum(TCustomAxisPanel* Chart, TChartAxis* Axis, bool WantMinimum);

// Rounds half to even, saturating to [-Limit, Limit] (NaN gives 0).
int64_t SaturatedRound(double Value, double Limit);

namespace ChartEngine {
int StartCount();
void Initialize();
void Finalize();
}  // namespace ChartEngine
