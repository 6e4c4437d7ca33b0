#pragma once
// ChartCanvas, its settings half: the pens, brush, shadow, gradients and font that every chart element
// publishes, with the rules that decide what is streamed, assignment and change notification, plus the
// unit's start-up (platform probes, the shared empty region, the default chart font).
//
// Every setter stores a changed value and then calls the owner's change handler with the object as
// sender; a repeated value reports nothing. A default that depends on the instance ("own default") is
// kept beside the value, and the property is streamed only while the two differ.

#include <functional>
#include <memory>
#include <string>

#include "chart/ChartCanvasFilters.h"
#include "platform/classes/typinfo.h"
#include "platform/graphics/graphics.h"
#include "platform/win/windows.h"

// 0 opaque .. 100 invisible.
using TChartTransparency = int;

// ---------------------------------------------------------------------------------------------------
// Pens

enum TPenEndStyle { esRound, esSquare, esFlat };

class TChartPen : public TPen {
  DECLARE_PUBLISHED_CLASS(TChartPen, TPen)
  static void DeclarePublished(TPublished<TChartPen>& P) {
    P.Color("Color", &TChartPen::Color, &TChartPen::SetColor).Default(clBlack);
    P.Enum("EndStyle", &TChartPen::EndStyle, &TChartPen::SetEndStyle, {"esRound", "esSquare", "esFlat"})
        .NoDefault()
        .Stored(&TChartPen::IsEndStyleStored);
    P.Enum("Mode", &TChartPen::Mode, &TChartPen::SetMode,
           {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot", "pmMaskPenNot",
            "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor"})
        .Default(pmCopy);
    P.Boolean("SmallDots", &TChartPen::SmallDots, &TChartPen::SetSmallDots).Default(false);
    P.Integer("SmallSpace", &TChartPen::SmallSpace, &TChartPen::SetSmallSpace).Default(0);
    P.Enum("Style", &TChartPen::Style, &TChartPen::SetStyle,
           {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"})
        .Default(psSolid);
    P.Boolean("Visible", &TChartPen::Visible, &TChartPen::SetVisible).NoDefault().Stored(&TChartPen::IsVisibleStored);
    P.Integer("Width", &TChartPen::Width, &TChartPen::SetWidth).Default(1);
  }
  explicit TChartPen(TNotifyEvent OnChangeEvent = nullptr);
  void Assign(TPersistent* Source) override;

  TPenEndStyle EndStyle() const { return FEndStyle; }
  void SetEndStyle(TPenEndStyle Value);
  bool SmallDots() const { return FSmallDots; }
  void SetSmallDots(bool Value);
  int SmallSpace() const { return FSmallSpace; }
  void SetSmallSpace(int Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }

  bool IsEndStyleStored() const { return FEndStyle != FDefaultEnd; }
  bool IsVisibleStored() const { return FVisible != FDefaultVisible; }

 protected:
  void NotifyChange() { Changed(); }
  // Own defaults, set by the constructors of descendants.
  bool FDefaultVisible = true;
  TPenEndStyle FDefaultEnd = esRound;

 private:
  TPenEndStyle FEndStyle = esRound;
  bool FSmallDots = false;
  int FSmallSpace = 0;
  bool FVisible = true;
};

class TChartHiddenPen : public TChartPen {
  DECLARE_PUBLISHED_CLASS(TChartHiddenPen, TChartPen)
  static void DeclarePublished(TPublished<TChartHiddenPen>& P) {
    P.Boolean("Visible", &TChartHiddenPen::Visible, &TChartHiddenPen::SetVisible).Default(false);
  }
  explicit TChartHiddenPen(TNotifyEvent OnChangeEvent = nullptr);
};

class TDottedGrayPen : public TChartPen {
  DECLARE_PUBLISHED_CLASS(TDottedGrayPen, TChartPen)
  static void DeclarePublished(TPublished<TDottedGrayPen>& P) {
    P.Color("Color", &TDottedGrayPen::Color, &TDottedGrayPen::SetColor).Default(0x808080);
    P.Enum("Style", &TDottedGrayPen::Style, &TDottedGrayPen::SetStyle,
           {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"})
        .Default(psDot);
  }
  explicit TDottedGrayPen(TNotifyEvent OnChangeEvent = nullptr);
};

class TDarkGrayPen : public TChartPen {
  DECLARE_PUBLISHED_CLASS(TDarkGrayPen, TChartPen)
  static void DeclarePublished(TPublished<TDarkGrayPen>& P) {
    P.Color("Color", &TDarkGrayPen::Color, &TDarkGrayPen::SetColor).Default(0x808080);
  }
  explicit TDarkGrayPen(TNotifyEvent OnChangeEvent = nullptr);
};

class TWhitePen : public TChartPen {
  DECLARE_PUBLISHED_CLASS(TWhitePen, TChartPen)
  static void DeclarePublished(TPublished<TWhitePen>& P) {
    P.Color("Color", &TWhitePen::Color, &TWhitePen::SetColor).Default(clWhite);
    P.Boolean("Visible", &TWhitePen::Visible, &TWhitePen::SetVisible).NoDefault().Stored(true);
  }
  explicit TWhitePen(TNotifyEvent OnChangeEvent = nullptr);
};

// ---------------------------------------------------------------------------------------------------
// Brush

class TChartBrush : public TBrush {
  DECLARE_PUBLISHED_CLASS(TChartBrush, TBrush)
  static void DeclarePublished(TPublished<TChartBrush>& P) {
    P.Color("BackColor", &TChartBrush::BackColor, &TChartBrush::SetBackColor).Default(clNone);
    P.Color("Color", &TChartBrush::Color, &TChartBrush::SetColor).Default(clDefault);
    P.Object("Image", &TChartBrush::Image, &TChartBrush::SetImage).StoredWhen([](TObject* O) {
      return static_cast<TChartBrush*>(O)->HasImage();
    });
    P.Enum("Style", &TChartBrush::Style, &TChartBrush::SetStyle,
           {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"})
        .Default(bsSolid);
  }
  explicit TChartBrush(TNotifyEvent OnChangeEvent = nullptr);
  ~TChartBrush() override;
  void Assign(TPersistent* Source) override;

  TColor BackColor() const { return FBackColor; }
  void SetBackColor(TColor Value);
  // Made on first read, with the brush's change handler.
  TPicture* Image();
  // nullptr frees the picture; anything else is copied into the brush's own. Both notify.
  void SetImage(TPicture* Value);
  bool HasImage() const { return FImage != nullptr; }

 private:
  TColor FBackColor = clNone;
  std::unique_ptr<TPicture> FImage;
};

// ---------------------------------------------------------------------------------------------------
// Shadow

class TChartShadow : public TPersistent {
  DECLARE_PUBLISHED_CLASS(TChartShadow, TPersistent)
  static void DeclarePublished(TPublished<TChartShadow>& P) {
    P.Boolean("Clip", &TChartShadow::Clip, &TChartShadow::SetClip).Default(false);
    P.Color("Color", &TChartShadow::Color, &TChartShadow::SetColor).NoDefault().Stored(&TChartShadow::IsColorStored);
    P.Integer("HorizSize", &TChartShadow::HorizSize, &TChartShadow::SetHorizSize).NoDefault().Stored(&TChartShadow::IsHorizStored);
    P.Boolean("Smooth", &TChartShadow::Smooth, &TChartShadow::SetSmooth).Default(true);
    P.Integer("SmoothBlur", &TChartShadow::SmoothBlur, &TChartShadow::SetSmoothBlur).Default(0);
    P.Integer("Transparency", &TChartShadow::Transparency, &TChartShadow::SetTransparency).Default(0);
    P.Integer("VertSize", &TChartShadow::VertSize, &TChartShadow::SetVertSize).NoDefault().Stored(&TChartShadow::IsVertStored);
    P.Boolean("Visible", &TChartShadow::Visible, &TChartShadow::SetVisible).NoDefault().Stored(&TChartShadow::IsVisibleStored);
  }
  explicit TChartShadow(TNotifyEvent OnChangeEvent = nullptr);
  void Assign(TPersistent* Source) override;
  // Colour and sizes together with their own defaults (owners call it while they are built).
  void SetDefaults(TColor AColor, int ASize);

  bool Clip() const { return FClip; }
  void SetClip(bool Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  int HorizSize() const { return FHorizSize; }
  void SetHorizSize(int Value);
  int VertSize() const { return FVertSize; }
  void SetVertSize(int Value);
  int Size() const { return FHorizSize > FVertSize ? FHorizSize : FVertSize; }
  void SetSize(int Value);
  bool Smooth() const { return FSmooth; }
  void SetSmooth(bool Value);
  int SmoothBlur() const { return FSmoothBlur; }
  void SetSmoothBlur(int Value);
  TChartTransparency Transparency() const { return FTransparency; }
  void SetTransparency(TChartTransparency Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);

  bool IsColorStored() const { return FColor != FDefaultColor; }
  bool IsHorizStored() const { return FHorizSize != FDefaultSize; }
  bool IsVertStored() const { return FVertSize != FDefaultSize; }
  bool IsVisibleStored() const { return FVisible != FDefaultVisible; }
  void SetDefaultVisible(bool Value) { FDefaultVisible = FVisible = Value; }
  // The default size on its own (the marks symbol keeps a shadow of 1).
  void SetDefaultSize(int Value) { FDefaultSize = Value; }

  TNotifyEvent OnChange;

 private:
  void Changed();
  bool FClip = false;
  TColor FColor = clSilver;
  TColor FDefaultColor = clSilver;
  int FHorizSize = 0;
  int FVertSize = 0;
  int FDefaultSize = 0;
  bool FSmooth = true;
  int FSmoothBlur = 0;
  TChartTransparency FTransparency = 0;
  bool FVisible = true;
  bool FDefaultVisible = true;
};

// ---------------------------------------------------------------------------------------------------
// Gradients

enum TGradientDirection {
  gdTopBottom, gdBottomTop, gdLeftRight, gdRightLeft, gdFromCenter, gdFromTopLeft, gdFromBottomLeft, gdRadial,
  gdDiagonalUp, gdDiagonalDown
};

class TSubGradient;

// The settings every gradient shares. A middle colour counts only while MiddleColorUsed is on.
class TCustomChartGradient : public TPersistent {
  DECLARE_CLASS(TCustomChartGradient, TPersistent)
  explicit TCustomChartGradient(TNotifyEvent OnChangeEvent = nullptr);
  ~TCustomChartGradient() override;
  void Assign(TPersistent* Source) override;

  int Angle() const { return FAngle; }
  void SetAngle(int Value);
  int Balance() const { return FBalance; }
  void SetBalance(int Value);
  TGradientDirection Direction() const { return FDirection; }
  void SetDirection(TGradientDirection Value);
  TColor EndColor() const { return FEndColor; }
  void SetEndColor(TColor Value);
  TColor MidColor() const { return FMiddleColorUsed ? FMidColor : clNone; }
  void SetMidColor(TColor Value);
  bool MiddleColorUsed() const { return FMiddleColorUsed; }
  int RadialX() const { return FRadialX; }
  void SetRadialX(int Value);
  int RadialY() const { return FRadialY; }
  void SetRadialY(int Value);
  TColor StartColor() const { return FStartColor; }
  void SetStartColor(TColor Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);

  // Made on first read with this gradient's change handler and transparency 50.
  TSubGradient* SubGradient();
  void SetSubGradient(TSubGradient* Value);
  bool HasSubGradient() const { return FSubGradient != nullptr; }

  TNotifyEvent OnChange;

 protected:
  void Changed();

 private:
  int FAngle = 0;
  int FBalance = 50;
  TGradientDirection FDirection = gdTopBottom;
  TColor FEndColor = clYellow;
  TColor FMidColor = clNone;
  bool FMiddleColorUsed = false;
  int FRadialX = 0;
  int FRadialY = 0;
  TColor FStartColor = clWhite;
  bool FVisible = false;
  std::unique_ptr<TSubGradient> FSubGradient;
};

// The published settings, declared once for every gradient class that publishes them.
#define CHART_GRADIENT_PUBLISHED(C)                                                                     \
  P.Integer("Angle", &C::Angle, &C::SetAngle).Default(0);                                               \
  P.Integer("Balance", &C::Balance, &C::SetBalance).Default(50);                                        \
  P.Enum("Direction", &C::Direction, &C::SetDirection,                                                  \
         {"gdTopBottom", "gdBottomTop", "gdLeftRight", "gdRightLeft", "gdFromCenter", "gdFromTopLeft",  \
          "gdFromBottomLeft", "gdRadial", "gdDiagonalUp", "gdDiagonalDown"})                            \
      .Default(gdTopBottom);                                                                            \
  P.Color("EndColor", &C::EndColor, &C::SetEndColor).Default(clYellow);                                 \
  P.Color("MidColor", &C::MidColor, &C::SetMidColor).Default(clNone);                                   \
  P.Integer("RadialX", &C::RadialX, &C::SetRadialX).Default(0);                                         \
  P.Integer("RadialY", &C::RadialY, &C::SetRadialY).Default(0);                                         \
  P.Color("StartColor", &C::StartColor, &C::SetStartColor).Default(clWhite);                            \
  P.Boolean("Visible", &C::Visible, &C::SetVisible).Default(false);

class TChartGradient : public TCustomChartGradient {
  DECLARE_PUBLISHED_CLASS(TChartGradient, TCustomChartGradient)
  static void DeclarePublished(TPublished<TChartGradient>& P) {
    CHART_GRADIENT_PUBLISHED(TChartGradient)
    P.Object("SubGradient", &TChartGradient::SubGradient, &TChartGradient::SetSubGradient)
        .StoredWhen([](TObject* O) { return static_cast<TChartGradient*>(O)->HasSubGradient(); });
  }
  explicit TChartGradient(TNotifyEvent OnChangeEvent = nullptr) : TCustomChartGradient(std::move(OnChangeEvent)) {}
};

class TSubGradient : public TCustomChartGradient {
  DECLARE_PUBLISHED_CLASS(TSubGradient, TCustomChartGradient)
  static void DeclarePublished(TPublished<TSubGradient>& P) {
    CHART_GRADIENT_PUBLISHED(TSubGradient)
    P.Integer("Transparency", &TSubGradient::Transparency, &TSubGradient::SetTransparency).Default(50);
  }
  explicit TSubGradient(TNotifyEvent OnChangeEvent = nullptr) : TCustomChartGradient(std::move(OnChangeEvent)) {}
  TChartTransparency Transparency() const { return FTransparency; }
  void SetTransparency(TChartTransparency Value);

 private:
  TChartTransparency FTransparency = 50;
};

class TChartFontGradient : public TChartGradient {
  DECLARE_PUBLISHED_CLASS(TChartFontGradient, TChartGradient)
  static void DeclarePublished(TPublished<TChartFontGradient>& P) {
    P.Boolean("Outline", &TChartFontGradient::Outline, &TChartFontGradient::SetOutline).Default(false);
  }
  explicit TChartFontGradient(TNotifyEvent OnChangeEvent = nullptr) : TChartGradient(std::move(OnChangeEvent)) {}
  void Assign(TPersistent* Source) override;
  bool Outline() const { return FOutline; }
  void SetOutline(bool Value);

 private:
  bool FOutline = false;
};

// Rotates a gradient's bitmap by its angle (the filter unit installs it as GradientRotateProc).
void RotateGradientBitmap(TCustomChartGradient* Gradient, TBitmap* Bitmap);

// ---------------------------------------------------------------------------------------------------
// Font

class TChartFont : public TFont {
  DECLARE_PUBLISHED_CLASS(TChartFont, TFont)
  static void DeclarePublished(TPublished<TChartFont>& P);
  explicit TChartFont(TNotifyEvent OnChangeEvent = nullptr);
  ~TChartFont() override;
  void Assign(TPersistent* Source) override;

  int InterCharSize() const { return FInterCharSize; }
  void SetInterCharSize(int Value);
  // Each made on first read and freed with the font; nullptr frees, an object is copied in.
  TChartFontGradient* Gradient();
  void SetGradient(TChartFontGradient* Value);
  TChartHiddenPen* OutLine();
  void SetOutLine(TChartHiddenPen* Value);
  TChartPicture* Picture();
  void SetPicture(TChartPicture* Value);
  TChartShadow* Shadow();
  void SetShadow(TChartShadow* Value);
  bool HasGradient() const { return FGradient != nullptr; }
  bool HasOutLine() const { return FOutLine != nullptr; }
  bool HasPicture() const { return FPicture != nullptr; }
  bool HasShadow() const { return FShadow != nullptr; }

  bool IsColorStored() const { return Color() != FDefaultColor; }
  bool IsHeightStored() const;
  bool IsNameStored() const;
  bool IsStyleStored() const { return Style() != FDefaultStyle; }
  void SetDefaultStyle(TFontStyles Value) { FDefaultStyle = Value; }
  void SetDefaultColor(TColor Value) { FDefaultColor = Value; }

 private:
  TNotifyEvent FHandler;
  int FInterCharSize = 0;
  TColor FDefaultColor = clBlack;
  TFontStyles FDefaultStyle;
  std::unique_ptr<TChartFontGradient> FGradient;
  std::unique_ptr<TChartHiddenPen> FOutLine;
  std::unique_ptr<TChartPicture> FPicture;
  std::unique_ptr<TChartShadow> FShadow;
};

// ---------------------------------------------------------------------------------------------------
// Unit state and start-up

// What the start-up asks of the platform; tests replace it to take the other branches.
struct TChartCanvasPlatform {
  bool (*IsNTFamily)() = nullptr;
  HMODULE (*LoadModule)(const char* Name) = nullptr;
  FARPROC (*GetProc)(HMODULE Module, const char* Name) = nullptr;
  void (*FreeModule)(HMODULE Module) = nullptr;
  int (*PrimaryLanguage)() = nullptr;        // 17 is Japanese
  int (*DefaultFontHeight)() = nullptr;      // the class library's default font height
  std::string (*DefaultFontName)() = nullptr;
  int (*ScreenPixelsPerInch)() = nullptr;
};
// Our platform: the NT family, the modules through LoadLibrary, not Japanese.
TChartCanvasPlatform DefaultChartCanvasPlatform();
void SetChartCanvasPlatform(const TChartCanvasPlatform& Platform);

namespace ChartCanvas {
extern bool IsWinNT;
extern bool CanAlphaBlend;
extern HMODULE MsImg32Module;
extern HMODULE Gdi32Module;
extern FARPROC AlphaBlendProc;
extern FARPROC SetDCBrushColorProc;
extern FARPROC SetDCPenColorProc;
extern int DefaultChartFontSize;
extern std::string DefaultChartFontName;
extern HRGN EmptyRegion;
// One owned object of the unit, freed at finalisation when set.
extern std::unique_ptr<TObject> OwnedObject;
// How many times the unit was started without being stopped.
int StartCount();
void Initialize();
void Finalize();
}  // namespace ChartCanvas

HMODULE SafeLoadModule(const char* FileName);
// Frees the module (never on the first Windows 9x release, which cannot).
void FreeModule(HMODULE Module);
bool CheckAlphaBlend();
void LoadDCColorFunctions();
void InitDefaultChartFont();
void ExchangeDoubles(double& A, double& B);
TRect MakeRect(int Left, int Top, int Right, int Bottom);
void SetBitmapSize(TBitmap* Bitmap, int Width, int Height);
// The width of "W" on a canvas (the axis code measures turned labels with it).
int CanvasLetterWidth(TCanvas* Canvas);
