// Colours, fonts, pens, brushes and the canvas.
#include <cstring>

#include "platform/graphics/graphics_internal.h"
#include "platform/win/surface.h"

#include <QPainter>

// ---------------------------------------------------------------------------------------------------
// Colours

namespace {

struct ColorName {
  TColor Color;
  const char* Name;
};

const ColorName ColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

}  // namespace

int32_t ColorToRGB(TColor Color) {
  if (Color < 0) return static_cast<int32_t>(GetSysColor(Color & 0xFF));
  return Color;
}

bool ColorToIdent(int32_t Color, std::string& Ident) {
  for (const auto& c : ColorNames)
    if (c.Color == Color) {
      Ident = c.Name;
      return true;
    }
  return false;
}

bool IdentToColor(const std::string& Ident, int32_t& Color) {
  for (const auto& c : ColorNames)
    if (SameText(Ident, c.Name)) {
      Color = c.Color;
      return true;
    }
  return false;
}

std::string ColorToString(TColor Color) {
  std::string s;
  if (ColorToIdent(Color, s)) return s;
  return "$" + IntToHex(static_cast<int32_t>(Color), 8);
}

TColor StringToColor(const std::string& S) {
  int32_t c = 0;
  if (IdentToColor(S, c)) return c;
  int64_t v = 0;
  if (!TryStrToInt64(S, v)) throw EConvertError("'" + S + "' is not a valid integer value");
  return static_cast<TColor>(static_cast<uint32_t>(v));
}

// ---------------------------------------------------------------------------------------------------
// Graphics objects

TGraphicsObject::~TGraphicsObject() { FreeHandle(); }

void TGraphicsObject::FreeHandle() {
  if (FHandle && FOwned) DeleteObject(FHandle);
  FHandle = nullptr;
  FStale = false;
}

void TGraphicsObject::Changed() {
  if (FHandle) FStale = true;
  if (OnChange) OnChange(this);
}

HGDIOBJ TGraphicsObject::CachedHandle(const std::function<HGDIOBJ()>& Make) {
  if (FStale) FreeHandle();
  if (!FHandle) {
    FHandle = Make();
    FOwned = true;
  }
  return FHandle;
}

void TGraphicsObject::SetOwnedHandle(HGDIOBJ Handle, bool Owned) {
  FreeHandle();
  FHandle = Handle;
  FOwned = Owned;
}

TFont::TFont() = default;

void TFont::Assign(TPersistent* Source) {
  if (auto* f = dynamic_cast<TFont*>(Source)) {
    FColor = f->FColor;
    FHeight = f->FHeight;
    FName = f->FName;
    FStyle = f->FStyle;
    FCharset = f->FCharset;
    FPitch = f->FPitch;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

HFONT TFont::Handle() {
  return static_cast<HFONT>(CachedHandle([this]() -> HGDIOBJ {
    LOGFONT lf;
    lf.lfHeight = FHeight;
    lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(fsItalic);
    lf.lfUnderline = FStyle.Contains(fsUnderline);
    lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
    lf.lfCharSet = FCharset;
    lf.lfPitchAndFamily = FPitch == fpFixed ? FIXED_PITCH : FPitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
    std::string face = Utf8TruncateBytes(FName, LF_FACESIZE - 1);
    std::memcpy(lf.lfFaceName, face.data(), face.size());
    return CreateFontIndirect(&lf);
  }));
}

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  // The colour is not part of the font handle, but listeners still hear of it.
  if (OnChange) OnChange(this);
}

void TFont::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Changed();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetName(const TFontName& Value) {
  if (Value.empty() || Value == FName) return;
  FName = Value;
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TFont::SetCharset(TFontCharset Value) {
  if (Value == FCharset) return;
  FCharset = Value;
  Changed();
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == FPitch) return;
  FPitch = Value;
  Changed();
}

int PenModeToRop2(TPenMode Mode) {
  static const int Rop2[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,        R2_COPYPEN,   R2_NOTCOPYPEN,
                             R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,  R2_NOTMERGEPEN,
                             R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
  return Rop2[Mode];
}

void TPen::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TPen*>(Source)) {
    FColor = p->FColor;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    FMode = p->FMode;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

HPEN TPen::Handle() {
  return static_cast<HPEN>(CachedHandle([this]() -> HGDIOBJ {
    static const int Styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    return CreatePen(Styles[FStyle], FWidth, static_cast<COLORREF>(ColorToRGB(FColor)));
  }));
}

void TPen::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TPen::SetWidth(int Value) {
  if (Value < 0 || Value == FWidth) return;
  FWidth = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TPen::SetMode(TPenMode Value) {
  if (Value == FMode) return;
  FMode = Value;
  // The mode is DC state (ROP2), not part of the pen handle.
  if (OnChange) OnChange(this);
}

void TBrush::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBrush*>(Source)) {
    FColor = b->FColor;
    FStyle = b->FStyle;
    FBitmap = b->FBitmap;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

HBRUSH TBrush::Handle() {
  if (!FBitmap && FStyle == bsClear) {
    // The stock hollow brush is shared and never deleted.
    HGDIOBJ hollow = GetStockObject(NULL_BRUSH);
    if (!HandleAllocated() || CachedHandle([] { return HGDIOBJ(nullptr); }) != hollow)
      SetOwnedHandle(hollow, false);
    return static_cast<HBRUSH>(hollow);
  }
  return static_cast<HBRUSH>(CachedHandle([this]() -> HGDIOBJ {
    COLORREF c = static_cast<COLORREF>(ColorToRGB(FColor));
    if (FBitmap && !FBitmap->Empty()) return CreatePatternBrush(FBitmap->Handle());
    if (FStyle == bsSolid || FStyle == bsClear) return CreateSolidBrush(c);
    return CreateHatchBrush(int(FStyle) - int(bsHorizontal) + HS_HORIZONTAL, c);
  }));
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor && FStyle != bsClear) return;
  FColor = Value;
  if (FStyle == bsClear) FStyle = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TBrush::SetBitmap(TBitmap* Value) {
  FBitmap = Value;
  Changed();
}

// ---------------------------------------------------------------------------------------------------
// TCanvas

TCanvas::TCanvas() : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()) {
  FFont->OnChange = [this](TObject*) { FontChanged(); };
  FPen->OnChange = [this](TObject*) { PenChanged(); };
  FBrush->OnChange = [this](TObject*) { BrushChanged(); };
}

TCanvas::~TCanvas() { DeselectHandles(); }

HDC TCanvas::Handle() {
  // Whoever asks for the device context draws on it with its own calls (DrawText and the like), so the
  // canvas's font, pen and brush go into it first, as they would for the canvas's own drawing.
  RequiredState({csHandleValid, csFontValid, csPenValid, csBrushValid});
  return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
  if (Value == FHandle) return;
  DeselectHandles();
  FHandle = Value;
  if (FHandle) FState.Include(csHandleValid);
}

void TCanvas::DeselectHandles() {
  if (FHandle && (FState.Contains(csPenValid) || FState.Contains(csBrushValid) || FState.Contains(csFontValid))) {
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
    SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  }
  FState.Exclude(csPenValid).Exclude(csBrushValid).Exclude(csFontValid);
}

void TCanvas::RequiredState(TCanvasState ReqState) {
  if (ReqState.Contains(csHandleValid) || !FHandle) {
    if (!FHandle) {
      CreateHandle();
      if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
    }
    FState.Include(csHandleValid);
  }
  if (ReqState.Contains(csFontValid) && !FState.Contains(csFontValid)) {
    SelectObject(FHandle, FFont->Handle());
    SetTextColor(FHandle, static_cast<COLORREF>(ColorToRGB(FFont->Color())));
    FState.Include(csFontValid);
  }
  if (ReqState.Contains(csPenValid) && !FState.Contains(csPenValid)) {
    SelectObject(FHandle, FPen->Handle());
    SetROP2(FHandle, PenModeToRop2(FPen->Mode()));
    FState.Include(csPenValid);
  }
  if (ReqState.Contains(csBrushValid) && !FState.Contains(csBrushValid)) {
    SelectObject(FHandle, FBrush->Handle());
    // Hatches and clear brushes leave the background alone (and a hatch drawn on a background of its
    // own colour would vanish).
    COLORREF c = static_cast<COLORREF>(ColorToRGB(FBrush->Color()));
    bool solid = FBrush->Style() == bsSolid;
    SetBkColor(FHandle, solid ? c : (~c & 0xFFFFFF));
    SetBkMode(FHandle, solid ? OPAQUE : TRANSPARENT);
    FState.Include(csBrushValid);
  }
}

void TCanvas::FontChanged() {
  if (FHandle && FState.Contains(csFontValid)) {
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
    FState.Exclude(csFontValid);
  }
}

void TCanvas::PenChanged() {
  if (FHandle && FState.Contains(csPenValid)) {
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
    FState.Exclude(csPenValid);
  }
}

void TCanvas::BrushChanged() {
  if (FHandle && FState.Contains(csBrushValid)) {
    SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
    FState.Exclude(csBrushValid);
  }
}

void TCanvas::Refresh() { DeselectHandles(); }

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TPoint TCanvas::PenPos() {
  RequiredState({csHandleValid});
  POINT p;
  GetCurrentPositionEx(FHandle, &p);
  return p;
}

TRect TCanvas::ClipRect() {
  RequiredState({csHandleValid});
  RECT r;
  GetClipBox(FHandle, &r);
  return r;
}

TColor TCanvas::Pixels(int X, int Y) {
  RequiredState({csHandleValid});
  COLORREF c = GetPixel(FHandle, X, Y);
  return c == CLR_INVALID ? TColor(-1) : TColor(c);
}

void TCanvas::SetPixels(int X, int Y, TColor Value) {
  Changing();
  RequiredState({csHandleValid, csPenValid});
  SetPixel(FHandle, X, Y, static_cast<COLORREF>(ColorToRGB(Value)));
  Changed();
}

void TCanvas::MoveTo(int X, int Y) {
  RequiredState({csHandleValid});
  MoveToEx(FHandle, X, Y, nullptr);
}

void TCanvas::LineTo(int X, int Y) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(FHandle, X, Y);
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
  Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Ellipse(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Arc(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Pie(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Chord(FHandle, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
  Changed();
}

void TCanvas::Polygon(const TPoint* Points, int Count) {
  if (!Points || Count <= 0) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  std::vector<POINT> pts(Points, Points + Count);
  ::Polygon(FHandle, pts.data(), Count);
  Changed();
}

void TCanvas::Polyline(const TPoint* Points, int Count) {
  if (!Points || Count <= 0) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  std::vector<POINT> pts(Points, Points + Count);
  ::Polyline(FHandle, pts.data(), Count);
  Changed();
}

void TCanvas::FillRect(const TRect& R) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  RECT r = R;
  ::FillRect(FHandle, &r, FBrush->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& R) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  RECT r = R;
  ::FrameRect(FHandle, &r, FBrush->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& R) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  RECT r = R;
  ::DrawFocusRect(FHandle, &r);
  Changed();
}

void TCanvas::FloodFill(int X, int Y, TColor Color, TFillStyle FillStyle) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ExtFloodFill(FHandle, X, Y, static_cast<COLORREF>(ColorToRGB(Color)),
               FillStyle == fsSurface ? FLOODFILLSURFACE : FLOODFILLBORDER);
  Changed();
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  ExtTextOut(FHandle, X, Y, FTextFlags, nullptr, Text.c_str(), static_cast<UINT>(Text.size()), nullptr);
  SIZE sz;
  GetTextExtentPoint32(FHandle, Text.c_str(), static_cast<int>(Text.size()), &sz);
  MoveToEx(FHandle, X + sz.cx, Y, nullptr);
  Changed();
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const std::string& Text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  RECT r = R;
  UINT options = ETO_CLIPPED | FTextFlags | (FBrush->Style() != bsClear ? ETO_OPAQUE : 0);
  ExtTextOut(FHandle, X, Y, options, &r, Text.c_str(), static_cast<UINT>(Text.size()), nullptr);
  Changed();
}

SIZE TCanvas::TextExtent(const std::string& Text) {
  RequiredState({csHandleValid, csFontValid});
  SIZE sz;
  GetTextExtentPoint32(FHandle, Text.c_str(), static_cast<int>(Text.size()), &sz);
  return sz;
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  Graphic->Draw(this, Bounds(X, Y, Graphic->Width(), Graphic->Height()));
  Changed();
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  Graphic->Draw(this, R);
  Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source) {
  if (!Canvas) return;
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  HDC src = Canvas->Handle();
  Canvas->RequiredState({csHandleValid});
  StretchBlt(FHandle, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), src, Source.Left, Source.Top,
             Source.Width(), Source.Height(), FCopyMode);
  Changed();
}

// ---------------------------------------------------------------------------------------------------
// Drawing decoded pictures on a canvas

namespace GraphicsInternal {

void DrawImageOnCanvas(TCanvas* Canvas, const TRect& Rect, const QImage& Image, bool Blend) {
  if (!Canvas || Image.isNull() || Rect.IsEmpty()) return;
  HDC dc = Canvas->Handle();
  win::DCSurface s;
  if (!win::GetDCSurface(dc, s) || !s.image) return;
  POINT vp, wo;
  GetViewportOrgEx(dc, &vp);
  GetWindowOrgEx(dc, &wo);
  QPoint origin = s.origin + QPoint(vp.x - wo.x, vp.y - wo.y);
  QRect target(Rect.Left + origin.x(), Rect.Top + origin.y(), Rect.Width(), Rect.Height());
  {
    QPainter p(s.image);
    if (!p.isActive()) return;
    p.setClipRegion(s.clip);
    if (!Blend) p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(target, Blend ? Image : Image.convertToFormat(QImage::Format_RGB32));
  }
  win::MarkDCDirty(dc, target & s.clip.boundingRect());
}

std::vector<uint8_t> ReadRest(TStream* Stream) {
  std::vector<uint8_t> bytes;
  if (!Stream) return bytes;
  int64_t left = Stream->Size() - Stream->Position();
  if (left > 0) {
    bytes.resize(static_cast<size_t>(left));
    int64_t got = Stream->Read(bytes.data(), left);
    bytes.resize(static_cast<size_t>(got > 0 ? got : 0));
  }
  return bytes;
}

}  // namespace GraphicsInternal
