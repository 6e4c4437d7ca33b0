#pragma once
// ChartFilters: the concrete image filters (pixel, convolution, mosaic and geometric), the list of
// registered filter classes that streamed filter lists name, and smooth copies of bitmaps.
// Settings are published properties with the defaults the constructors set; each filter's title and
// editor captions come from the message table.

#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "chart/ChartCanvasFilters.h"

// A float default no value equals: the property is always written.
inline constexpr double kAlwaysStored = std::numeric_limits<double>::quiet_NaN();

// ---------------------------------------------------------------------------------------------------
// Pixel filters

class TInvertFilter : public TChartFilter {
  DECLARE_FILTER_CLASS(TInvertFilter, TChartFilter)
  static void DeclarePublished(TPublished<TInvertFilter>&) {}
  explicit TInvertFilter(TCollection* Collection) : TChartFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  std::string FilterTitle() override;
};

enum TGrayMethod { gmSimple, gmEye, gmEye2 };

class TGrayScaleFilter : public TChartFilter {
  DECLARE_FILTER_CLASS(TGrayScaleFilter, TChartFilter)
  static void DeclarePublished(TPublished<TGrayScaleFilter>& P) {
    P.Enum("Method", &TGrayScaleFilter::Method, &TGrayScaleFilter::SetMethod, {"gmSimple", "gmEye", "gmEye2"}).Default(gmSimple);
  }
  explicit TGrayScaleFilter(TCollection* Collection) : TChartFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  void AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) override;
  std::string FilterTitle() override;
  TGrayMethod Method() const { return FMethod; }
  void SetMethod(TGrayMethod Value) { FMethod = Value; }

 protected:
  void AssignSettings(TChartFilter* Source) override;

 private:
  TGrayMethod FMethod = gmSimple;
};

class TFlipFilter : public TChartFilter {
  DECLARE_FILTER_CLASS(TFlipFilter, TChartFilter)
  static void DeclarePublished(TPublished<TFlipFilter>&) {}
  explicit TFlipFilter(TCollection* Collection) : TChartFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  std::string FilterTitle() override;
};

class TReverseFilter : public TChartFilter {
  DECLARE_FILTER_CLASS(TReverseFilter, TChartFilter)
  static void DeclarePublished(TPublished<TReverseFilter>&) {}
  explicit TReverseFilter(TCollection* Collection) : TChartFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  std::string FilterTitle() override;
};

// A filter with one amount, in percent or in channel units. PositiveOnly filters take no negative
// amounts in the editor.
class TAmountFilter : public TChartFilter {
  DECLARE_FILTER_CLASS(TAmountFilter, TChartFilter)
  static void DeclarePublished(TPublished<TAmountFilter>& P) {
    P.Boolean("Percent", &TAmountFilter::Percent, &TAmountFilter::SetPercent).Default(true);
    P.Integer("Amount", &TAmountFilter::Amount, &TAmountFilter::SetAmount).Default(5);
  }
  explicit TAmountFilter(TCollection* Collection) : TChartFilter(Collection) {}
  void AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) override;
  bool Percent() const { return FPercent; }
  void SetPercent(bool Value) { FPercent = Value; }
  int Amount() const { return FAmount; }
  void SetAmount(int Value) { FAmount = Value; }
  bool PositiveOnly() const { return FPositiveOnly; }
  // The editor's bounds of "Amount" for the current settings.
  int AmountMin() const;
  int AmountMax() const;

 protected:
  void AssignSettings(TChartFilter* Source) override;
  bool FPositiveOnly = false;
  int FAmount = 5;
  TTrackBar* FAmountBar = nullptr;  // borrowed from the editor

 private:
  bool FPercent = true;
};

class TMosaicFilter : public TAmountFilter {
  DECLARE_FILTER_CLASS(TMosaicFilter, TAmountFilter)
  static void DeclarePublished(TPublished<TMosaicFilter>& P) {
    P.Integer("Amount", &TMosaicFilter::Amount, &TMosaicFilter::SetAmount).Default(8);
  }
  explicit TMosaicFilter(TCollection* Collection);
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  std::string FilterTitle() override;
};

class TBrightnessFilter : public TAmountFilter {
  DECLARE_FILTER_CLASS(TBrightnessFilter, TAmountFilter)
  static void DeclarePublished(TPublished<TBrightnessFilter>&) {}
  explicit TBrightnessFilter(TCollection* Collection) : TAmountFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  std::string FilterTitle() override;
};

class TContrastFilter : public TAmountFilter {
  DECLARE_FILTER_CLASS(TContrastFilter, TAmountFilter)
  static void DeclarePublished(TPublished<TContrastFilter>&) {}
  explicit TContrastFilter(TCollection* Collection) : TAmountFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  std::string FilterTitle() override;
};

class TGammaCorrectionFilter : public TAmountFilter {
  DECLARE_FILTER_CLASS(TGammaCorrectionFilter, TAmountFilter)
  static void DeclarePublished(TPublished<TGammaCorrectionFilter>& P) {
    P.Integer("Amount", &TGammaCorrectionFilter::Amount, &TGammaCorrectionFilter::SetAmount).Default(70);
  }
  explicit TGammaCorrectionFilter(TCollection* Collection);
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  std::string FilterTitle() override;
};

class TColorFilter : public TChartFilter {
  DECLARE_FILTER_CLASS(TColorFilter, TChartFilter)
  static void DeclarePublished(TPublished<TColorFilter>& P) {
    P.Integer("Red", &TColorFilter::Red, &TColorFilter::SetRed).Default(0);
    P.Integer("Green", &TColorFilter::Green, &TColorFilter::SetGreen).Default(0);
    P.Integer("Blue", &TColorFilter::Blue, &TColorFilter::SetBlue).Default(0);
  }
  explicit TColorFilter(TCollection* Collection) : TChartFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  void AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) override;
  std::string FilterTitle() override;
  int Red() const { return FRed; }
  void SetRed(int Value) { FRed = Value; }
  int Green() const { return FGreen; }
  void SetGreen(int Value) { FGreen = Value; }
  int Blue() const { return FBlue; }
  void SetBlue(int Value) { FBlue = Value; }

 protected:
  void AssignSettings(TChartFilter* Source) override;

 private:
  int FRed = 0, FGreen = 0, FBlue = 0;
};

class THueLumSatFilter : public TChartFilter {
  DECLARE_FILTER_CLASS(THueLumSatFilter, TChartFilter)
  static void DeclarePublished(TPublished<THueLumSatFilter>& P) {
    P.Integer("Hue", &THueLumSatFilter::Hue, &THueLumSatFilter::SetHue).Default(0);
    P.Integer("Luminance", &THueLumSatFilter::Luminance, &THueLumSatFilter::SetLuminance).Default(0);
    P.Integer("Saturation", &THueLumSatFilter::Saturation, &THueLumSatFilter::SetSaturation).Default(0);
  }
  explicit THueLumSatFilter(TCollection* Collection) : TChartFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  void AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) override;
  std::string FilterTitle() override;
  int Hue() const { return FHue; }
  void SetHue(int Value) { FHue = Value; }
  int Luminance() const { return FLuminance; }
  void SetLuminance(int Value) { FLuminance = Value; }
  int Saturation() const { return FSaturation; }
  void SetSaturation(int Value) { FSaturation = Value; }

 protected:
  void AssignSettings(TChartFilter* Source) override;

 private:
  int FHue = 0, FLuminance = 0, FSaturation = 0;
};

// Hue, lightness and saturation on the 0..240 scale (Single arithmetic, rounded half to even).
void RgbToHls(int R, int G, int B, uint16_t& H, uint16_t& L, uint16_t& S);
void HlsToRgb(int H, int L, int S, uint8_t& R, uint8_t& G, uint8_t& B);

class TSharpenFilter : public TConvolveFilter {
  DECLARE_FILTER_CLASS(TSharpenFilter, TConvolveFilter)
  static void DeclarePublished(TPublished<TSharpenFilter>&) {}
  explicit TSharpenFilter(TCollection* Collection) : TConvolveFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  std::string FilterTitle() override;
};

class TEmbossFilter : public TConvolveFilter {
  DECLARE_FILTER_CLASS(TEmbossFilter, TConvolveFilter)
  static void DeclarePublished(TPublished<TEmbossFilter>&) {}
  explicit TEmbossFilter(TCollection* Collection) : TConvolveFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  std::string FilterTitle() override;
};

class TSoftenFilter : public TConvolveFilter {
  DECLARE_FILTER_CLASS(TSoftenFilter, TConvolveFilter)
  static void DeclarePublished(TPublished<TSoftenFilter>&) {}
  explicit TSoftenFilter(TCollection* Collection) : TConvolveFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  std::string FilterTitle() override;
};

// ---------------------------------------------------------------------------------------------------
// Geometric filters

class TResizeFilter : public TChartFilter {
  DECLARE_FILTER_CLASS(TResizeFilter, TChartFilter)
  static void DeclarePublished(TPublished<TResizeFilter>& P) {
    P.Integer("Width", &TResizeFilter::Width, &TResizeFilter::SetWidth).Default(0);
    P.Integer("Height", &TResizeFilter::Height, &TResizeFilter::SetHeight).Default(0);
  }
  explicit TResizeFilter(TCollection* Collection) : TChartFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  void AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) override;
  std::string FilterTitle() override;
  int Width() const { return FWidth; }
  void SetWidth(int Value) { FWidth = Value; }
  int Height() const { return FHeight; }
  void SetHeight(int Value) { FHeight = Value; }

 protected:
  void AssignSettings(TChartFilter* Source) override;
  bool WorksOnRect() const override { return false; }

 private:
  int FWidth = 0, FHeight = 0;
};

class TCropFilter : public TResizeFilter {
  DECLARE_FILTER_CLASS(TCropFilter, TResizeFilter)
  static void DeclarePublished(TPublished<TCropFilter>& P) {
    P.Integer("Left", &TCropFilter::Left, &TCropFilter::SetLeft).Default(0);
    P.Boolean("Smooth", &TCropFilter::Smooth, &TCropFilter::SetSmooth).Default(false);
    P.Integer("Top", &TCropFilter::Top, &TCropFilter::SetTop).Default(0);
  }
  explicit TCropFilter(TCollection* Collection) : TResizeFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  void AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) override;
  std::string FilterTitle() override;
  int Left() const { return FLeft; }
  void SetLeft(int Value) { FLeft = Value; }
  bool Smooth() const { return FSmooth; }
  void SetSmooth(bool Value) { FSmooth = Value; }
  int Top() const { return FTop; }
  void SetTop(int Value) { FTop = Value; }

 protected:
  void AssignSettings(TChartFilter* Source) override;

 private:
  int FLeft = 0;
  bool FSmooth = false;
  int FTop = 0;
};

class TZoomFilter : public TChartFilter {
  DECLARE_FILTER_CLASS(TZoomFilter, TChartFilter)
  static void DeclarePublished(TPublished<TZoomFilter>& P) {
    P.Float("Percent", &TZoomFilter::Percent, &TZoomFilter::SetPercent).Default(kAlwaysStored);
    P.Boolean("Smooth", &TZoomFilter::Smooth, &TZoomFilter::SetSmooth).Default(false);
  }
  explicit TZoomFilter(TCollection* Collection) : TChartFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  void AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) override;
  std::string FilterTitle() override;
  double Percent() const { return FPercent; }
  void SetPercent(double Value) { FPercent = Value; }
  bool Smooth() const { return FSmooth; }
  void SetSmooth(bool Value) { FSmooth = Value; }

 protected:
  void AssignSettings(TChartFilter* Source) override;

 private:
  double FPercent = 10;
  bool FSmooth = false;
};

class TTileFilter : public TChartFilter {
  DECLARE_FILTER_CLASS(TTileFilter, TChartFilter)
  static void DeclarePublished(TPublished<TTileFilter>& P) {
    P.Integer("NumCols", &TTileFilter::NumCols, &TTileFilter::SetNumCols).Default(3);
    P.Integer("NumRows", &TTileFilter::NumRows, &TTileFilter::SetNumRows).Default(3);
  }
  explicit TTileFilter(TCollection* Collection) : TChartFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  void AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) override;
  std::string FilterTitle() override;
  int NumCols() const { return FNumCols; }
  void SetNumCols(int Value) { FNumCols = Value; }
  int NumRows() const { return FNumRows; }
  void SetNumRows(int Value) { FNumRows = Value; }

 protected:
  void AssignSettings(TChartFilter* Source) override;

 private:
  int FNumCols = 3, FNumRows = 3;
};

enum TMirrorDirection { mdDown, mdUp, mdRight, mdLeft };

class TMirrorFilter : public TChartFilter {
  DECLARE_FILTER_CLASS(TMirrorFilter, TChartFilter)
  static void DeclarePublished(TPublished<TMirrorFilter>& P) {
    P.Enum("Direction", &TMirrorFilter::Direction, &TMirrorFilter::SetDirection, {"mdDown", "mdUp", "mdRight", "mdLeft"}).Default(mdDown);
  }
  explicit TMirrorFilter(TCollection* Collection);
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  void AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) override;
  std::string FilterTitle() override;
  TMirrorDirection Direction() const { return FDirection; }
  void SetDirection(TMirrorDirection Value) { FDirection = Value; }

 protected:
  void AssignSettings(TChartFilter* Source) override;
  bool WorksOnRect() const override { return false; }

 private:
  TMirrorDirection FDirection = mdDown;
};

class TBevelFilter : public TChartFilter {
  DECLARE_FILTER_CLASS(TBevelFilter, TChartFilter)
  static void DeclarePublished(TPublished<TBevelFilter>& P) {
    P.Integer("Bright", &TBevelFilter::Bright, &TBevelFilter::SetBright).Default(64);
    P.Integer("Size", &TBevelFilter::Size, &TBevelFilter::SetSize).Default(15);
  }
  explicit TBevelFilter(TCollection* Collection) : TChartFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  void AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) override;
  std::string FilterTitle() override;
  int Bright() const { return FBright; }
  void SetBright(int Value) { FBright = Value; }
  int Size() const { return FSize; }
  void SetSize(int Value) { FSize = Value; }

 protected:
  void AssignSettings(TChartFilter* Source) override;

 private:
  int FBright = 64, FSize = 15;
};

class TRotateFilter : public TChartFilter {
  DECLARE_FILTER_CLASS(TRotateFilter, TChartFilter)
  static void DeclarePublished(TPublished<TRotateFilter>& P) {
    P.Float("Angle", &TRotateFilter::Angle, &TRotateFilter::SetAngle).Default(kAlwaysStored);
    P.Boolean("AutoSize", &TRotateFilter::AutoSize, &TRotateFilter::SetAutoSize).Default(true);
    P.Color("BackColor", &TRotateFilter::BackColor, &TRotateFilter::SetBackColor).Default(clWhite);
  }
  explicit TRotateFilter(TCollection* Collection) : TChartFilter(Collection) {}
  void FilterRect(TBitmap* Bitmap, const TRect& R) override;
  void AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) override;
  std::string FilterTitle() override;
  double Angle() const { return FAngle; }
  // Stores only a value that differs from the current one.
  void SetAngle(double Value) {
    if (Value != FAngle) FAngle = Value;
  }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value) { FAutoSize = Value; }
  TColor BackColor() const { return FBackColor; }
  void SetBackColor(TColor Value) { FBackColor = Value; }

 protected:
  void AssignSettings(TChartFilter* Source) override;
  bool WorksOnRect() const override { return false; }

 private:
  double FAngle = 0;
  bool FAutoSize = true;
  TColor FBackColor = clWhite;
};

// ---------------------------------------------------------------------------------------------------
// Registry and helpers

// Adds each class not yet listed, in order, and registers it with the class registry by name.
void RegisterFilterClasses(std::initializer_list<TFilterClass> Classes);
// The registered filter classes in registration order (empty before the unit starts).
const std::vector<TFilterClass>& FilterClasses();
// A new bitmap of the given size holding a smooth stretch of Bitmap; the caller frees it. A side of 1
// (which the stretch leaves alone) gets a plain stretch instead of staying blank.
std::unique_ptr<TBitmap> CreateSmoothCopy(TBitmap* Bitmap, int Width, int Height);
// Rotates a bitmap as a TRotateFilter with this angle does (the rotation of gradient bitmaps).
void RotateBitmapBy(TBitmap* Bitmap, double Angle);

namespace ChartFilters {
// Registers the 21 filter classes in their fixed order.
void Initialize();
// Clears the gradient hook and the list of filter classes (the class registry keeps them).
void Finalize();
}  // namespace ChartFilters
