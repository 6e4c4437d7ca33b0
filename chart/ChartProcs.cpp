#include "chart/ChartProcs.h"

#include <cmath>

#include "platform/classes/filer.h"
#include "platform/controls/controls.h"
#include "platform/win/resources.h"

// ---------------------------------------------------------------------------------------------------
// Parent chart setting routines

void TCustomChartParent::ChangeStringSetting(std::string& Variable, const std::string& Value) {
  if (Variable == Value) return;
  Variable = Value;
  Repaint();
}
void TCustomChartParent::ChangeDoubleSetting(double& Variable, double Value) {
  if (Variable == Value) return;
  Variable = Value;
  Repaint();
}
void TCustomChartParent::ChangeColorSetting(TColor& Variable, TColor Value) {
  if (Variable == Value) return;
  Variable = Value;
  Repaint();
}
void TCustomChartParent::ChangeBooleanSetting(bool& Variable, bool Value) {
  if (Variable == Value) return;
  Variable = Value;
  Repaint();
}
void TCustomChartParent::ChangeIntegerSetting(int& Variable, int Value) {
  if (Variable == Value) return;
  Variable = Value;
  Repaint();
}

// ---------------------------------------------------------------------------------------------------
// Back image

#define BACKIMAGE_SETTER(Name, Type, Field) \
  void TBackImage::Set##Name(Type Value) {  \
    if (Value == Field) return;             \
    Field = Value;                          \
    Changed(this);                          \
  }
BACKIMAGE_SETTER(Inside, bool, FInside)
BACKIMAGE_SETTER(Left, int, FLeft)
BACKIMAGE_SETTER(Mode, TChartBackImageMode, FMode)
BACKIMAGE_SETTER(Top, int, FTop)

void TBackImage::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TBackImage*>(Source)) {
    FInside = s->FInside;
    FLeft = s->FLeft;
    FMode = s->FMode;
    FTop = s->FTop;
  }
  TChartPicture::Assign(Source);
}

// ---------------------------------------------------------------------------------------------------
// Shapes

TChartCustomShapeBrushPen::TChartCustomShapeBrushPen(TCustomChartParent* AParent, TBrushMaker MakeBrush) {
  FParentChart = AParent;
  FBrush = MakeBrush ? MakeBrush(ChangeHandler()) : std::make_unique<TChartBrush>(ChangeHandler());
  FPen = std::make_unique<TChartPen>(ChangeHandler());
}

TChartCustomShapeBrushPen::~TChartCustomShapeBrushPen() = default;

void TChartCustomShapeBrushPen::CanvasChanged(TObject*) { Repaint(); }

void TChartCustomShapeBrushPen::SetVisible(bool Value) {
  if (FParentChart) FParentChart->ChangeBooleanSetting(FVisible, Value);
  else FVisible = Value;
}

void TChartCustomShapeBrushPen::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TChartCustomShapeBrushPen*>(Source)) {
    FBrush->Assign(s->FBrush.get());
    FPen->Assign(s->FPen.get());
    FVisible = s->FVisible;
    return;
  }
  TPersistent::Assign(Source);
}

TChartCustomShape::TChartCustomShape(TCustomChartParent* AParent, const TShapeDefaults& Defaults)
    : TChartCustomShapeBrushPen(AParent, Defaults.MakeBrush), FShadowDefaults(Defaults) {
  FShadow = std::make_unique<TChartShadow>(ChangeHandler());
  FShadow->SetDefaults(Defaults.ShadowColor, Defaults.ShadowSize);
  FFont = std::make_unique<TChartFont>(ChangeHandler());
}

TChartCustomShape::~TChartCustomShape() {
  FShadow.reset();
  FFont.reset();
  FGradient.reset();
  FPicture.reset();
}

void TChartCustomShape::SetBevel(TBevelCut Value) {
  if (Value == FBevel) return;
  FBevel = Value;
  Repaint();
}
void TChartCustomShape::SetBevelWidth(TBevelWidth Value) {
  if (Value == FBevelWidth) return;
  FBevelWidth = Value;
  Repaint();
}
void TChartCustomShape::SetRoundSize(int Value) {
  if (Value == FRoundSize) return;
  FRoundSize = Value;
  Repaint();
}
void TChartCustomShape::SetShapeStyle(TChartObjectShapeStyle Value) {
  if (Value == FShapeStyle) return;
  FShapeStyle = Value;
  Repaint();
}
void TChartCustomShape::SetTransparency(TChartTransparency Value) {
  if (Value == FTransparency) return;
  FTransparency = Value;
  Repaint();
}
void TChartCustomShape::SetColor(TColor Value) {
  if (FParentChart) FParentChart->ChangeColorSetting(FColor, Value);
  else FColor = Value;
}
void TChartCustomShape::SetTransparent(bool Value) {
  if (FParentChart) FParentChart->ChangeBooleanSetting(FTransparent, Value);
  else FTransparent = Value;
}

TChartShadow* TChartCustomShape::Shadow() {
  // A shadow freed by assigning nil comes back with the shape's defaults on the next read.
  if (!FShadow) {
    FShadow = std::make_unique<TChartShadow>(ChangeHandler());
    InitShadow(FShadow.get());
  }
  return FShadow.get();
}
void TChartCustomShape::SetShadow(TChartShadow* Value) {
  if (!Value) FShadow.reset();
  else Shadow()->Assign(Value);
}

std::unique_ptr<TChartGradient> TChartCustomShape::NewGradient() {
  return std::make_unique<TChartGradient>(ChangeHandler());
}
TChartGradient* TChartCustomShape::Gradient() {
  if (!FGradient) FGradient = NewGradient();
  return FGradient.get();
}
void TChartCustomShape::SetGradient(TChartGradient* Value) {
  if (!Value) FGradient.reset();
  else Gradient()->Assign(Value);
}

TBackImage* TChartCustomShape::Picture() {
  if (!FPicture) {
    FPicture = std::make_unique<TBackImage>();
    FPicture->OnChange = ChangeHandler();
  }
  return FPicture.get();
}
void TChartCustomShape::SetPicture(TBackImage* Value) {
  if (!Value) FPicture.reset();
  else Picture()->Assign(Value);
  Repaint();
}

void TChartCustomShape::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TChartCustomShape*>(Source)) {
    FBevel = s->FBevel;
    FBevelWidth = s->FBevelWidth;
    FColor = s->FColor;
    FFont->Assign(s->FFont.get());
    SetGradient(s->FGradient.get());
    FShapeStyle = s->FShapeStyle;
    if (s->FPicture) Picture()->Assign(s->FPicture.get());
    else FPicture.reset();
    FRoundSize = s->FRoundSize;
    SetShadow(s->FShadow.get());
    FShapeTextMode = s->FShapeTextMode;
    FTransparent = s->FTransparent;
    FTransparency = s->FTransparency;
  }
  TChartCustomShapeBrushPen::Assign(Source);
}

void TChartCustomShape::DefineProperties(TFiler* Filer) {
  TChartCustomShapeBrushPen::DefineProperties(Filer);
  // Older streams kept the shadow as two plain values; they are read, never written.
  Filer->DefineProperty(
      "ShadowColor",
      [this](TReader* R) {
        int32_t c = 0;
        if (R->NextValue() == vaIdent) {
          const std::string id = R->ReadIdent();
          if (!IdentToColor(id, c)) c = StringToColor(id);
        } else {
          c = R->ReadInteger();
        }
        Shadow()->SetColor(c);
      },
      nullptr, false);
  Filer->DefineProperty("ShadowSize", [this](TReader* R) { Shadow()->SetSize(R->ReadInteger()); }, nullptr, false);
}

// ---------------------------------------------------------------------------------------------------
// Date-time steps

// Each entry is one division of its length by the length of a day, so it is the double nearest the
// true fraction (a multiple of the one-second entry can lie one unit in the last place below it).
const double DateTimeStep[27] = {
    1.0 / 86400000000.0, 1.0 / 86400000.0, 1.0 / 86400, 5.0 / 86400, 10.0 / 86400, 15.0 / 86400,
    30.0 / 86400, 60.0 / 86400, 300.0 / 86400, 600.0 / 86400, 900.0 / 86400, 1800.0 / 86400,
    1.0 / 24, 2.0 / 24, 6.0 / 24, 12.0 / 24, 1, 2, 3, 7, 15, 30, 60, 90, 120, 182, 365};

std::string StepDateTimeFormat(double Step) {
  return Step > 1 ? FormatSettings.ShortDateFormat : FormatSettings.ShortTimeFormat;
}

double NextDateTimeStep(double Value) {
  for (int i = dtSixMonths; i >= 0; --i)
    if (Value >= DateTimeStep[i]) return DateTimeStep[i + 1];
  // Below one microsecond the smallest step is the next one up (never a year).
  return DateTimeStep[0];
}

int FindDateTimeStep(double Value) {
  for (int i = dtOneYear; i >= 0; --i)
    if (std::fabs(DateTimeStep[i] - Value) < DateTimeStep[dtOneMicroSecond]) return i;
  return dtNone;
}

namespace {
void MoveMonths(bool Increment, int N, int& Year, int& Month, int& Day) {
  Day = 1;
  if (Increment) {
    Month += N;
    if (Month > 12) {
      ++Year;
      Month -= 12;
    }
  } else if (N < Month) {
    Month -= N;
  } else {
    --Year;
    Month += 12 - N;
  }
}
}  // namespace

void IncDecDateTime(bool UseCalendar, bool Increment, double& Value, int Step, double Amount) {
  auto plain = [&] { Value = Increment ? Value + Amount : Value - Amount; };
  if (!UseCalendar) {
    plain();
    return;
  }
  int y = 0, m = 0, d = 0;
  switch (Step) {
    case dtHalfMonth:
      DecodeDate(Value, y, m, d);
      if (Increment) {
        if (d < 15) d = 15;
        else MoveMonths(true, 1, y, m, d);
      } else if (d == 1) {
        MoveMonths(false, 1, y, m, d);
        d = 15;
      } else if (d <= 15) {
        d = 1;
      } else {
        d = 15;
      }
      break;
    case dtOneMonth: DecodeDate(Value, y, m, d); MoveMonths(Increment, 1, y, m, d); break;
    case dtTwoMonths: DecodeDate(Value, y, m, d); MoveMonths(Increment, 2, y, m, d); break;
    case dtThreeMonths: DecodeDate(Value, y, m, d); MoveMonths(Increment, 3, y, m, d); break;
    case dtFourMonths: DecodeDate(Value, y, m, d); MoveMonths(Increment, 4, y, m, d); break;
    case dtSixMonths: DecodeDate(Value, y, m, d); MoveMonths(Increment, 6, y, m, d); break;
    case dtOneYear:
      DecodeDate(Value, y, m, d);
      y += Increment ? 1 : -1;
      break;
    default: plain(); return;
  }
  Value = EncodeDate(y, m, d);
}

std::string ReplaceOrDeleteChar(const std::string& Text, char Old, char New) {
  std::string r;
  r.reserve(Text.size());
  for (char c : Text) {
    if (c != Old) r += c;
    else if (New != '\0') r += New;
  }
  return r;
}

// ---------------------------------------------------------------------------------------------------
// Palette, cursor and start-up

const TColor DefaultPalette[DefaultPaletteSize] = {
    0x0000FF, 0x008000, 0x00FFFF, 0xFF0000, 0xFFFFFF, 0x808080, 0xFF00FF, 0x808000, 0x800000, 0x000080,
    0x00FF00, 0x008080, 0x800080, 0xC0C0C0, 0xFFFF00, 0x000000, 0xC0DCC0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0};

std::vector<TColor> ColorPalette;

void SetDefaultPalette(const std::vector<TColor>& Colors) {
  if (Colors.empty()) ColorPalette.assign(DefaultPalette, DefaultPalette + DefaultPaletteSize);
  else ColorPalette = Colors;
}

namespace {

int ProcsStarts = 0;
HCURSOR HandCursor = nullptr;

// A 16 x 16 pointing hand, hot spot at the finger tip.
void RegisterHandCursor() {
  static const char* const art[16] = {
      "     ##         ", "    #..#        ", "    #..#        ", "    #..#        ", "    #..###      ",
      "    #..#..###   ", "    #..#..#..## ", " ## #..#..#..#.#", "#..##........#.#", "#...#..........#",
      " #.............#", "  #............#", "  #...........# ", "   #..........# ", "    #........#  ",
      "    ##########  "};
  std::vector<std::uint32_t> px(16 * 16, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const char c = art[y][x];
      px[y * 16 + x] = c == '#' ? 0xFF000000u : c == '.' ? 0xFFFFFFFFu : 0u;
    }
  win::RegisterCursorResource("CHART_CURSOR_HAND", 16, 16, px, 5, 0);
}

}  // namespace

namespace ChartProcs {
double Date1900 = 0;

int StartCount() { return ProcsStarts; }

void Initialize() {
  if (ProcsStarts++ > 0) return;
  SetDefaultPalette({});
  if (!win::HasCursorResource("CHART_CURSOR_HAND")) RegisterHandCursor();
  HandCursor = LoadCursor(GetModuleHandle(nullptr), "CHART_CURSOR_HAND");
  SetCursorHandle(crChartHand, HandCursor);
  Date1900 = EncodeDate(1900, 1, 1);
}

void Finalize() {
  if (ProcsStarts == 0 || --ProcsStarts > 0) return;
  ColorPalette.clear();
  ColorPalette.shrink_to_fit();
  SetCursorHandle(crChartHand, nullptr);
  if (HandCursor) DestroyCursor(HandCursor);
  HandCursor = nullptr;
}
}  // namespace ChartProcs
