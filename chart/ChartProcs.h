#pragma once
// ChartProcs: what chart elements share above the drawing settings. The parent chart as a shape sees
// it (a repaint and five setting routines), the back image, the shape format that titles, labels and
// marks publish, the date-time step table with calendar stepping, the default colour palette and the
// hand cursor.

#include <memory>
#include <string>
#include <vector>

#include "chart/ChartCanvas.h"
#include "platform/controls/extctrls.h"  // TBevelCut

// ---------------------------------------------------------------------------------------------------
// The parent chart. The chart panel lives outside the library; shapes need only its repaint and its
// setting routines, each of which stores a value and repaints only when the value changed.

class TCustomChartParent {
 public:
  virtual ~TCustomChartParent() = default;
  virtual void Repaint() = 0;
  // True while the chart is being read from a stream (validations that compare two values wait).
  virtual bool IsLoading() const { return false; }

  void ChangeStringSetting(std::string& Variable, const std::string& Value);
  void ChangeDoubleSetting(double& Variable, double Value);
  void ChangeColorSetting(TColor& Variable, TColor Value);
  void ChangeBooleanSetting(bool& Variable, bool Value);
  void ChangeIntegerSetting(int& Variable, int Value);
};

// ---------------------------------------------------------------------------------------------------
// Back image: a filtered picture with a placement.

enum TChartBackImageMode { pbmStretch, pbmTile, pbmCenter, pbmCustom };

class TBackImage : public TChartPicture {
  DECLARE_PUBLISHED_CLASS(TBackImage, TChartPicture)
  static void DeclarePublished(TPublished<TBackImage>& P) {
    P.Boolean("Inside", &TBackImage::Inside, &TBackImage::SetInside).Default(false);
    P.Integer("Left", &TBackImage::Left, &TBackImage::SetLeft).Default(0);
    P.Enum("Mode", &TBackImage::Mode, &TBackImage::SetMode, {"pbmStretch", "pbmTile", "pbmCenter", "pbmCustom"})
        .Default(pbmStretch);
    P.Integer("Top", &TBackImage::Top, &TBackImage::SetTop).Default(0);
  }
  TBackImage() = default;
  void Assign(TPersistent* Source) override;

  bool Inside() const { return FInside; }
  void SetInside(bool Value);
  int Left() const { return FLeft; }
  void SetLeft(int Value);
  TChartBackImageMode Mode() const { return FMode; }
  void SetMode(TChartBackImageMode Value);
  int Top() const { return FTop; }
  void SetTop(int Value);

 private:
  bool FInside = false;
  int FLeft = 0;
  TChartBackImageMode FMode = pbmStretch;
  int FTop = 0;
};

// ---------------------------------------------------------------------------------------------------
// Shapes

// A brush and pen with visibility, owned by a chart element. The brush is made from the class the
// descendant passes down (C++ constructors cannot reach a descendant's override).
class TChartCustomShapeBrushPen : public TPersistent {
  DECLARE_CLASS(TChartCustomShapeBrushPen, TPersistent)
  using TBrushMaker = std::unique_ptr<TChartBrush> (*)(TNotifyEvent OnChange);
  explicit TChartCustomShapeBrushPen(TCustomChartParent* AParent, TBrushMaker MakeBrush = nullptr);
  ~TChartCustomShapeBrushPen() override;
  void Assign(TPersistent* Source) override;

  virtual void SetParentChart(TCustomChartParent* Value) { FParentChart = Value; }
  TCustomChartParent* ParentChart() const { return FParentChart; }

  TChartBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TChartBrush* Value) {
    if (Value) FBrush->Assign(Value);
  }
  TChartPen* Pen() const { return FPen.get(); }
  void SetPen(TChartPen* Value) {
    if (Value) FPen->Assign(Value);
  }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }

  // The handler every owned settings object calls: a repaint of the parent when there is one.
  void CanvasChanged(TObject* Sender);
  TNotifyEvent ChangeHandler() {
    return [this](TObject* S) { CanvasChanged(S); };
  }
  void Repaint() {
    if (FParentChart) FParentChart->Repaint();
  }

 protected:
  TCustomChartParent* FParentChart = nullptr;
  std::unique_ptr<TChartBrush> FBrush;
  std::unique_ptr<TChartPen> FPen;
  bool FVisible = true;
};

using TBevelWidth = int;
enum TChartObjectShapeStyle { fosRectangle, fosRoundRectangle, fosEllipse };

// What a descendant decides while the shape is being built: the shadow's defaults and the brush class.
struct TShapeDefaults {
  TColor ShadowColor = clBlack;
  int ShadowSize = 3;
  TChartCustomShapeBrushPen::TBrushMaker MakeBrush = nullptr;
};

class TChartCustomShape : public TChartCustomShapeBrushPen {
  DECLARE_CLASS(TChartCustomShape, TChartCustomShapeBrushPen)
  explicit TChartCustomShape(TCustomChartParent* AParent, const TShapeDefaults& Defaults = {});
  ~TChartCustomShape() override;
  void Assign(TPersistent* Source) override;

  TBevelCut Bevel() const { return FBevel; }
  void SetBevel(TBevelCut Value);
  TBevelWidth BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(TBevelWidth Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TChartFont* Font() const { return FFont.get(); }
  void SetFont(TChartFont* Value) {
    if (Value) FFont->Assign(Value);
  }
  int RoundSize() const { return FRoundSize; }
  void SetRoundSize(int Value);
  TChartShadow* Shadow();
  void SetShadow(TChartShadow* Value);
  bool HasShadow() const { return FShadow != nullptr; }
  TChartObjectShapeStyle ShapeStyle() const { return FShapeStyle; }
  void SetShapeStyle(TChartObjectShapeStyle Value);
  uint8_t ShapeTextMode() const { return FShapeTextMode; }
  void SetShapeTextMode(uint8_t Value) { FShapeTextMode = Value; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool IsTransparentStored() const { return FTransparent != FDefaultTransparent; }
  // Made on first read, of the class GradientClass gives.
  TChartGradient* Gradient();
  void SetGradient(TChartGradient* Value);
  bool HasGradient() const { return FGradient != nullptr; }
  TBackImage* Picture();
  void SetPicture(TBackImage* Value);
  bool HasPicture() const { return FPicture != nullptr; }
  TChartTransparency Transparency() const { return FTransparency; }
  void SetTransparency(TChartTransparency Value);

  // The gradient made on first read (TChartGradient here).
  virtual std::unique_ptr<TChartGradient> NewGradient();
  // The shadow's defaults (black, 3 here; descendants pass theirs to the constructor).
  virtual void InitShadow(TChartShadow* AShadow) { AShadow->SetDefaults(FShadowDefaults.ShadowColor, FShadowDefaults.ShadowSize); }

 protected:
  void DefineProperties(TFiler* Filer) override;
  // Used by descendants whose transparency default differs.
  void SetDefaultTransparent(bool Value) { FTransparent = FDefaultTransparent = Value; }

 private:
  TShapeDefaults FShadowDefaults;
  TBevelCut FBevel = bvNone;
  TBevelWidth FBevelWidth = 2;
  TColor FColor = clWhite;
  std::unique_ptr<TChartFont> FFont;
  int FRoundSize = 16;
  std::unique_ptr<TChartShadow> FShadow;
  TChartObjectShapeStyle FShapeStyle = fosRectangle;
  uint8_t FShapeTextMode = 0;
  bool FTransparent = false;
  bool FDefaultTransparent = false;
  std::unique_ptr<TChartGradient> FGradient;
  std::unique_ptr<TBackImage> FPicture;
  TChartTransparency FTransparency = 0;
};

// Published-property helpers for the shape family (each class publishes its own selection).
template <typename C>
void PublishShapeBrushPen(TPublished<C>& P, const char* PenName = "Pen") {
  P.Object("Brush", &C::Brush, &C::SetBrush);
  P.Object(PenName, &C::Pen, &C::SetPen);
}
template <typename C>
void PublishShapeFormat(TPublished<C>& P, TColor ColorDefault = clWhite) {
  P.Enum("Bevel", &C::Bevel, &C::SetBevel, {"bvNone", "bvLowered", "bvRaised", "bvSpace"}).Default(bvNone);
  P.Integer("BevelWidth", &C::BevelWidth, &C::SetBevelWidth).Default(2);
  P.Color("Color", &C::Color, &C::SetColor).Default(ColorDefault);
  P.Object("Font", &C::Font, &C::SetFont);
  P.Object("Gradient", &C::Gradient, &C::SetGradient).StoredWhen([](TObject* O) { return static_cast<C*>(O)->HasGradient(); });
  P.Object("Picture", &C::Picture, &C::SetPicture).StoredWhen([](TObject* O) { return static_cast<C*>(O)->HasPicture(); });
  P.Integer("RoundSize", &C::RoundSize, &C::SetRoundSize).Default(16);
  P.Object("Shadow", &C::Shadow, &C::SetShadow);
  P.Enum("ShapeStyle", &C::ShapeStyle, &C::SetShapeStyle, {"fosRectangle", "fosRoundRectangle", "fosEllipse"})
      .Default(fosRectangle);
  P.Integer("Transparency", &C::Transparency, &C::SetTransparency).Default(0);
  P.Boolean("Transparent", &C::Transparent, &C::SetTransparent).NoDefault().Stored(&C::IsTransparentStored);
}

class TChartShape : public TChartCustomShape {
  DECLARE_PUBLISHED_CLASS(TChartShape, TChartCustomShape)
  static void DeclarePublished(TPublished<TChartShape>& P) {
    PublishShapeFormat(P);
    P.Boolean("Visible", &TChartShape::Visible, &TChartShape::SetVisible).Default(true);
  }
  explicit TChartShape(TCustomChartParent* AParent) : TChartCustomShape(AParent) {}
};

// ---------------------------------------------------------------------------------------------------
// Date-time steps

enum {
  dtOneMicroSecond, dtOneMillisecond, dtOneSecond, dtFiveSeconds, dtTenSeconds, dtFifteenSeconds, dtThirtySeconds,
  dtOneMinute, dtFiveMinutes, dtTenMinutes, dtFifteenMinutes, dtThirtyMinutes, dtOneHour, dtTwoHours, dtSixHours,
  dtTwelveHours, dtOneDay, dtTwoDays, dtThreeDays, dtOneWeek, dtHalfMonth, dtOneMonth, dtTwoMonths, dtThreeMonths,
  dtFourMonths, dtSixMonths, dtOneYear, dtNone
};
// In days, indexed by the names above (dtNone has no entry).
extern const double DateTimeStep[27];

std::string StepDateTimeFormat(double Step);
// The table entry above the largest one Value reaches; the first entry for values below it.
double NextDateTimeStep(double Value);
// The index whose entry lies within one microsecond of Value, or dtNone.
int FindDateTimeStep(double Value);
// Steps Value by Amount, or with UseCalendar by whole calendar units for the month and year steps.
// The time of day is dropped then. A day that does not exist raises EConvertError, Value unchanged.
void IncDecDateTime(bool UseCalendar, bool Increment, double& Value, int Step, double Amount);
std::string ReplaceOrDeleteChar(const std::string& Text, char Old, char New);

// ---------------------------------------------------------------------------------------------------
// Palette and cursor

inline constexpr int DefaultPaletteSize = 20;
extern const TColor DefaultPalette[DefaultPaletteSize];
// The current series palette.
extern std::vector<TColor> ColorPalette;
// An empty list restores the 20 defaults; otherwise the palette becomes a copy.
void SetDefaultPalette(const std::vector<TColor>& Colors);

inline constexpr int crChartHand = 2020;

namespace ChartProcs {
extern double Date1900;
int StartCount();
void Initialize();
void Finalize();
}  // namespace ChartProcs
