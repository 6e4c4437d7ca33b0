#include "chart/ChartCanvas.h"

#include <utility>

#include "chart/ChartConst.h"
#include "chart/ChartFilters.h"
#include "platform/controls/controls.h"

// ---------------------------------------------------------------------------------------------------
// Pens

TChartPen::TChartPen(TNotifyEvent OnChangeEvent) { OnChange = std::move(OnChangeEvent); }

void TChartPen::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TChartPen*>(Source)) {
    FVisible = s->FVisible;
    FSmallDots = s->FSmallDots;
    FSmallSpace = s->FSmallSpace;
    FEndStyle = s->FEndStyle;
  }
  TPen::Assign(Source);
}

void TChartPen::SetEndStyle(TPenEndStyle Value) {
  if (Value == FEndStyle) return;
  FEndStyle = Value;
  Changed();
}

void TChartPen::SetSmallDots(bool Value) {
  if (Value == FSmallDots) return;
  FSmallDots = Value;
  Changed();
}

void TChartPen::SetSmallSpace(int Value) {
  if (Value == FSmallSpace) return;
  FSmallSpace = Value;
  Changed();
}

void TChartPen::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Changed();
}

TChartHiddenPen::TChartHiddenPen(TNotifyEvent OnChangeEvent) : TChartPen(std::move(OnChangeEvent)) {
  FDefaultVisible = false;
  TNotifyEvent keep = std::move(OnChange);
  SetVisible(false);
  OnChange = std::move(keep);
}

TDottedGrayPen::TDottedGrayPen(TNotifyEvent OnChangeEvent) : TChartPen(nullptr) {
  SetColor(0x808080);
  SetStyle(psDot);
  OnChange = std::move(OnChangeEvent);
}

TDarkGrayPen::TDarkGrayPen(TNotifyEvent OnChangeEvent) : TChartPen(nullptr) {
  SetColor(0x808080);
  OnChange = std::move(OnChangeEvent);
}

TWhitePen::TWhitePen(TNotifyEvent OnChangeEvent) : TChartPen(nullptr) {
  SetColor(clWhite);
  OnChange = std::move(OnChangeEvent);
}

// ---------------------------------------------------------------------------------------------------
// Brush

TChartBrush::TChartBrush(TNotifyEvent OnChangeEvent) {
  SetColor(clDefault);
  OnChange = std::move(OnChangeEvent);
}

TChartBrush::~TChartBrush() = default;

void TChartBrush::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TChartBrush*>(Source)) {
    if (s->FImage) Image()->Assign(s->FImage.get());
    else FImage.reset();
    FBackColor = s->FBackColor;
  }
  TBrush::Assign(Source);
}

void TChartBrush::SetBackColor(TColor Value) {
  if (Value == FBackColor) return;
  FBackColor = Value;
  Changed();
}

TPicture* TChartBrush::Image() {
  if (!FImage) {
    FImage = std::make_unique<TPicture>();
    FImage->OnChange = [this](TObject*) { Changed(); };
  }
  return FImage.get();
}

void TChartBrush::SetImage(TPicture* Value) {
  if (!Value) FImage.reset();
  else Image()->Assign(Value);
  Changed();
}

// ---------------------------------------------------------------------------------------------------
// Shadow

TChartShadow::TChartShadow(TNotifyEvent OnChangeEvent) : OnChange(std::move(OnChangeEvent)) {}

void TChartShadow::Changed() {
  if (OnChange) OnChange(this);
}

void TChartShadow::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TChartShadow*>(Source)) {
    FColor = s->FColor;
    FHorizSize = s->FHorizSize;
    FSmooth = s->FSmooth;
    FSmoothBlur = s->FSmoothBlur;
    FTransparency = s->FTransparency;
    FVertSize = s->FVertSize;
    FVisible = s->FVisible;
    return;
  }
  TPersistent::Assign(Source);
}

void TChartShadow::SetDefaults(TColor AColor, int ASize) {
  FColor = FDefaultColor = AColor;
  FHorizSize = FVertSize = FDefaultSize = ASize;
}

#define CHART_SETTER(Class, Name, Type, Field) \
  void Class::Set##Name(Type Value) {          \
    if (Value == Field) return;                \
    Field = Value;                             \
    Changed();                                 \
  }

CHART_SETTER(TChartShadow, Clip, bool, FClip)
CHART_SETTER(TChartShadow, Color, TColor, FColor)
CHART_SETTER(TChartShadow, HorizSize, int, FHorizSize)
CHART_SETTER(TChartShadow, VertSize, int, FVertSize)
CHART_SETTER(TChartShadow, Smooth, bool, FSmooth)
CHART_SETTER(TChartShadow, SmoothBlur, int, FSmoothBlur)
CHART_SETTER(TChartShadow, Transparency, TChartTransparency, FTransparency)
CHART_SETTER(TChartShadow, Visible, bool, FVisible)

void TChartShadow::SetSize(int Value) {
  if (Value == FHorizSize && Value == FVertSize) return;
  FHorizSize = FVertSize = Value;
  Changed();
}

// ---------------------------------------------------------------------------------------------------
// Gradients

TCustomChartGradient::TCustomChartGradient(TNotifyEvent OnChangeEvent) : OnChange(std::move(OnChangeEvent)) {}
TCustomChartGradient::~TCustomChartGradient() = default;

void TCustomChartGradient::Changed() {
  if (OnChange) OnChange(this);
}

CHART_SETTER(TCustomChartGradient, Angle, int, FAngle)
CHART_SETTER(TCustomChartGradient, Balance, int, FBalance)
CHART_SETTER(TCustomChartGradient, Direction, TGradientDirection, FDirection)
CHART_SETTER(TCustomChartGradient, EndColor, TColor, FEndColor)
CHART_SETTER(TCustomChartGradient, RadialX, int, FRadialX)
CHART_SETTER(TCustomChartGradient, RadialY, int, FRadialY)
CHART_SETTER(TCustomChartGradient, StartColor, TColor, FStartColor)
CHART_SETTER(TCustomChartGradient, Visible, bool, FVisible)
CHART_SETTER(TSubGradient, Transparency, TChartTransparency, FTransparency)
CHART_SETTER(TChartFontGradient, Outline, bool, FOutline)

void TCustomChartGradient::SetMidColor(TColor Value) {
  if (Value == clNone) {
    if (!FMiddleColorUsed) return;
    FMiddleColorUsed = false;
    FMidColor = clNone;
    Changed();
    return;
  }
  if (FMiddleColorUsed && Value == FMidColor) return;
  FMiddleColorUsed = true;
  FMidColor = Value;
  Changed();
}

TSubGradient* TCustomChartGradient::SubGradient() {
  if (!FSubGradient) FSubGradient = std::make_unique<TSubGradient>(OnChange);
  return FSubGradient.get();
}

void TCustomChartGradient::SetSubGradient(TSubGradient* Value) {
  if (!Value) return;
  TSubGradient* own = SubGradient();
  own->Assign(Value);
  own->SetTransparency(Value->Transparency());
}

void TCustomChartGradient::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TCustomChartGradient*>(Source);
  if (!s) {
    TPersistent::Assign(Source);
    return;
  }
  FAngle = s->FAngle;
  FBalance = s->FBalance;
  FDirection = s->FDirection;
  FEndColor = s->FEndColor;
  FMidColor = s->FMidColor;
  FStartColor = s->FStartColor;
  FRadialX = s->FRadialX;
  FRadialY = s->FRadialY;
  FVisible = s->FVisible;
  FMiddleColorUsed = s->FMiddleColorUsed;
  if (s->FSubGradient) {
    SubGradient()->Assign(s->FSubGradient.get());
    FSubGradient->SetTransparency(s->FSubGradient->Transparency());
  } else {
    FSubGradient.reset();
  }
  if (auto* sub = dynamic_cast<TSubGradient*>(this))
    if (auto* ss = dynamic_cast<TSubGradient*>(s)) sub->SetTransparency(ss->Transparency());
}

void TChartFontGradient::Assign(TPersistent* Source) {
  TChartGradient::Assign(Source);
  if (auto* s = dynamic_cast<TChartFontGradient*>(Source)) FOutline = s->FOutline;
}

void RotateGradientBitmap(TCustomChartGradient* Gradient, TBitmap* Bitmap) {
  if (Gradient && Bitmap && Gradient->Angle() != 0) RotateBitmapBy(Bitmap, Gradient->Angle());
}

// ---------------------------------------------------------------------------------------------------
// Font

void TChartFont::DeclarePublished(TPublished<TChartFont>& P) {
  P.Integer("Charset", &TChartFont::Charset, &TChartFont::SetCharset).Default(DEFAULT_CHARSET);
  P.Color("Color", &TChartFont::Color, &TChartFont::SetColor).NoDefault().Stored(&TChartFont::IsColorStored);
  P.Object("Gradient", &TChartFont::Gradient, &TChartFont::SetGradient).StoredWhen([](TObject* O) {
    return static_cast<TChartFont*>(O)->HasGradient();
  });
  P.Integer("Height", &TChartFont::Height, &TChartFont::SetHeight).NoDefault().Stored(&TChartFont::IsHeightStored);
  P.Integer("InterCharSize", &TChartFont::InterCharSize, &TChartFont::SetInterCharSize).Default(0);
  P.String("Name", &TChartFont::Name, &TChartFont::SetName).Stored(&TChartFont::IsNameStored);
  P.Object("OutLine", &TChartFont::OutLine, &TChartFont::SetOutLine).StoredWhen([](TObject* O) {
    return static_cast<TChartFont*>(O)->HasOutLine();
  });
  P.Object("Picture", &TChartFont::Picture, &TChartFont::SetPicture).StoredWhen([](TObject* O) {
    return static_cast<TChartFont*>(O)->HasPicture();
  });
  P.Object("Shadow", &TChartFont::Shadow, &TChartFont::SetShadow).StoredWhen([](TObject* O) {
    return static_cast<TChartFont*>(O)->HasShadow();
  });
  P.Set("Style", &TChartFont::Style, &TChartFont::SetStyle, {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"})
      .NoDefault()
      .Stored(&TChartFont::IsStyleStored);
}

TChartFont::TChartFont(TNotifyEvent OnChangeEvent) : FHandler(std::move(OnChangeEvent)) {
  SetColor(clBlack);
  if (Charset() != DEFAULT_CHARSET) SetCharset(DEFAULT_CHARSET);
  if (!ChartCanvas::DefaultChartFontName.empty()) SetName(ChartCanvas::DefaultChartFontName);
  if (ChartCanvas::DefaultChartFontSize != 0) SetSize(ChartCanvas::DefaultChartFontSize);
  OnChange = FHandler;
}

TChartFont::~TChartFont() = default;

bool TChartFont::IsHeightStored() const { return Size() != ChartCanvas::DefaultChartFontSize; }
bool TChartFont::IsNameStored() const { return Name() != ChartCanvas::DefaultChartFontName; }

void TChartFont::SetInterCharSize(int Value) {
  if (Value == FInterCharSize) return;
  FInterCharSize = Value;
  if (FHandler) FHandler(this);
}

TChartFontGradient* TChartFont::Gradient() {
  if (!FGradient) FGradient = std::make_unique<TChartFontGradient>([this](TObject*) { Changed(); });
  return FGradient.get();
}
void TChartFont::SetGradient(TChartFontGradient* Value) {
  if (!Value) FGradient.reset();
  else Gradient()->Assign(Value);
}

TChartHiddenPen* TChartFont::OutLine() {
  if (!FOutLine) FOutLine = std::make_unique<TChartHiddenPen>(FHandler);
  return FOutLine.get();
}
void TChartFont::SetOutLine(TChartHiddenPen* Value) {
  if (!Value) FOutLine.reset();
  else OutLine()->Assign(Value);
}

TChartPicture* TChartFont::Picture() {
  if (!FPicture) {
    FPicture = std::make_unique<TChartPicture>();
    FPicture->OnChange = FHandler;
  }
  return FPicture.get();
}
void TChartFont::SetPicture(TChartPicture* Value) {
  if (!Value) FPicture.reset();
  else Picture()->Assign(Value);
}

TChartShadow* TChartFont::Shadow() {
  if (!FShadow) FShadow = std::make_unique<TChartShadow>(FHandler);
  return FShadow.get();
}
void TChartFont::SetShadow(TChartShadow* Value) {
  if (!Value) FShadow.reset();
  else Shadow()->Assign(Value);
}

void TChartFont::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TChartFont*>(Source)) {
    SetGradient(s->FGradient.get());
    FInterCharSize = s->FInterCharSize;
    SetOutLine(s->FOutLine.get());
    SetShadow(s->FShadow.get());
    SetPicture(s->FPicture.get());
  }
  TFont::Assign(Source);
}

// ---------------------------------------------------------------------------------------------------
// Unit state and start-up

namespace {

bool OurIsNT() { return true; }
HMODULE OurLoad(const char* Name) { return LoadLibrary(Name); }
FARPROC OurGetProc(HMODULE M, const char* Name) { return GetProcAddress(M, Name); }
void OurFree(HMODULE M) { FreeLibrary(M); }
int OurLanguage() { return 4; }  // Chinese
int OurFontHeight() { return TFont().Height(); }
std::string OurFontName() { return TFont().Name(); }
int OurPixelsPerInch() { return 96; }

TChartCanvasPlatform& Platform() {
  static TChartCanvasPlatform p = DefaultChartCanvasPlatform();
  return p;
}

int CanvasStarts = 0;

}  // namespace

TChartCanvasPlatform DefaultChartCanvasPlatform() {
  TChartCanvasPlatform p;
  p.IsNTFamily = &OurIsNT;
  p.LoadModule = &OurLoad;
  p.GetProc = &OurGetProc;
  p.FreeModule = &OurFree;
  p.PrimaryLanguage = &OurLanguage;
  p.DefaultFontHeight = &OurFontHeight;
  p.DefaultFontName = &OurFontName;
  p.ScreenPixelsPerInch = &OurPixelsPerInch;
  return p;
}

void SetChartCanvasPlatform(const TChartCanvasPlatform& P) { Platform() = P; }

namespace ChartCanvas {
bool IsWinNT = false;
bool CanAlphaBlend = false;
HMODULE MsImg32Module = nullptr;
HMODULE Gdi32Module = nullptr;
FARPROC AlphaBlendProc = nullptr;
FARPROC SetDCBrushColorProc = nullptr;
FARPROC SetDCPenColorProc = nullptr;
int DefaultChartFontSize = 0;
std::string DefaultChartFontName;
HRGN EmptyRegion = nullptr;
std::unique_ptr<TObject> OwnedObject;

int StartCount() { return CanvasStarts; }

void Initialize() {
  if (CanvasStarts++ > 0) return;
  IsWinNT = Platform().IsNTFamily();
  CanAlphaBlend = IsWinNT && CheckAlphaBlend();
  EmptyRegion = CreateRectRgn(0, 0, 0, 0);
  InitDefaultChartFont();
  ActivateClassGroup(TControl::StaticClass());
  LoadDCColorFunctions();
  // Gradients drawn at an angle are turned by the rotate filter's routine.
  GradientRotateProc = &RotateGradientBitmap;
}

void Finalize() {
  if (CanvasStarts == 0 || --CanvasStarts > 0) return;
  if (GradientRotateProc == &RotateGradientBitmap) GradientRotateProc = nullptr;
  if (Gdi32Module) FreeModule(Gdi32Module);
  if (MsImg32Module) FreeModule(MsImg32Module);
  Gdi32Module = MsImg32Module = nullptr;
  AlphaBlendProc = SetDCBrushColorProc = SetDCPenColorProc = nullptr;
  CanAlphaBlend = false;
  if (EmptyRegion) DeleteObject(EmptyRegion);
  EmptyRegion = nullptr;
  OwnedObject.reset();
  DefaultChartFontName.clear();
}
}  // namespace ChartCanvas

HMODULE SafeLoadModule(const char* FileName) { return Platform().LoadModule(FileName); }

void FreeModule(HMODULE Module) {
  // Only the first Windows 9x release could not free libraries, and nothing here runs there.
  if (Module) Platform().FreeModule(Module);
}

bool CheckAlphaBlend() {
  ChartCanvas::MsImg32Module = SafeLoadModule("msimg32.dll");
  if (!ChartCanvas::MsImg32Module) return false;
  ChartCanvas::AlphaBlendProc = Platform().GetProc(ChartCanvas::MsImg32Module, "AlphaBlend");
  return ChartCanvas::AlphaBlendProc != nullptr;
}

void LoadDCColorFunctions() {
  ChartCanvas::Gdi32Module = SafeLoadModule("gdi32.dll");
  if (!ChartCanvas::Gdi32Module) return;
  ChartCanvas::SetDCBrushColorProc = Platform().GetProc(ChartCanvas::Gdi32Module, "SetDCBrushColor");
  ChartCanvas::SetDCPenColorProc = Platform().GetProc(ChartCanvas::Gdi32Module, "SetDCPenColor");
}

void InitDefaultChartFont() {
  constexpr int LangJapanese = 17;
  int size = 8;
  try {
    size = static_cast<int>(StrToInt(ChartMsgDefaultFontSize));
  } catch (const EConvertError&) {
    size = 8;
  }
  const bool japanese = Platform().PrimaryLanguage() == LangJapanese;
  if (size == 8 && japanese) size = -MulDiv(Platform().DefaultFontHeight(), 72, Platform().ScreenPixelsPerInch());
  ChartCanvas::DefaultChartFontSize = size;
  ChartCanvas::DefaultChartFontName = ChartMsgArial;
  if (ChartCanvas::DefaultChartFontName == "Arial" && japanese) ChartCanvas::DefaultChartFontName = Platform().DefaultFontName();
}

void ExchangeDoubles(double& A, double& B) { std::swap(A, B); }

TRect MakeRect(int Left, int Top, int Right, int Bottom) { return TRect(Left, Top, Right, Bottom); }

void SetBitmapSize(TBitmap* Bitmap, int Width, int Height) { Bitmap->SetSize(Width, Height); }

int CanvasLetterWidth(TCanvas* Canvas) { return Canvas->TextWidth("W"); }
