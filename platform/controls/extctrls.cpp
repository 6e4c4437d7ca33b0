#include "platform/controls/extctrls.h"

#include <algorithm>

#include "platform/controls/stdctrls.h"
#include "platform/controls/themes.h"

// ---------------------------------------------------------------------------------------------------
// TPanel

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                csDoubleClicks, csReplicatable};
  FWidth = 185;
  FHeight = 41;
}

void TPanel::SetBevelOuter(TBevelCut Value) {
  if (Value == FBevelOuter) return;
  FBevelOuter = Value;
  Realign();
  Invalidate();
}

void TPanel::SetBevelInner(TBevelCut Value) {
  if (Value == FBevelInner) return;
  FBevelInner = Value;
  Realign();
  Invalidate();
}

void TPanel::SetBevelWidth(int Value) {
  if (Value == FBevelWidth) return;
  FBevelWidth = Value;
  Realign();
  Invalidate();
}

void TPanel::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

void TPanel::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  int bevel = (FBevelOuter != bvNone ? FBevelWidth : 0) + (FBevelInner != bvNone ? FBevelWidth : 0);
  Rect.Left += bevel;
  Rect.Top += bevel;
  Rect.Right -= bevel;
  Rect.Bottom -= bevel;
}

void TPanel::EraseBackground(HDC /*DC*/) {}

namespace {
void DrawBevel(HDC DC, RECT& R, TBevelCut Cut, int Width) {
  if (Cut == bvNone) return;
  for (int i = 0; i < Width; ++i) {
    if (Cut == bvLowered)
      ThemePainter().Frame(DC, R, TFrameKind::SunkenOuter);
    else if (Cut == bvRaised)
      ThemePainter().Frame(DC, R, TFrameKind::RaisedInner);
    InflateRect(&R, -1, -1);
  }
}
}  // namespace

void TPanel::Paint() {
  HDC dc = FCanvas->Handle();
  RECT r{0, 0, FWidth, FHeight};
  FillSolidRect(dc, r, ColorRef(FColor));
  DrawBevel(dc, r, FBevelOuter, FBevelWidth);
  InflateRect(&r, -FBorderWidth, -FBorderWidth);
  DrawBevel(dc, r, FBevelInner, FBevelWidth);
  if (!FText.empty()) {
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_EXPANDTABS;
    if (FAlignment == taCenter) flags |= DT_CENTER;
    if (FAlignment == taRightJustify) flags |= DT_RIGHT;
    DrawControlText(dc, FText, r, flags, FFont.get(), FEnabled);
  }
}

// ---------------------------------------------------------------------------------------------------
// TShape

TShape::TShape(TComponent* AOwner)
    : TGraphicControl(AOwner), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()) {
  FControlStyle.Include(csReplicatable);
  FWidth = 65;
  FHeight = 65;
  FPen->OnChange = [this](TObject*) { Invalidate(); };
  FBrush->OnChange = [this](TObject*) { Invalidate(); };
}

TShape::~TShape() {
  FPen->OnChange = nullptr;
  FBrush->OnChange = nullptr;
}

void TShape::SetShape(TShapeType Value) {
  if (Value == FShape) return;
  FShape = Value;
  Invalidate();
}

void TShape::Paint() {
  TCanvas* C = Canvas();
  C->Pen()->Assign(FPen.get());
  C->Brush()->Assign(FBrush.get());
  // The pen's width lies inside the bounds.
  const int PW = FPen->Style() == psClear ? 0 : FPen->Width();
  int X = PW / 2, Y = PW / 2;
  int W = FWidth - PW + 1, H = FHeight - PW + 1;
  if (PW == 0) {
    --W;
    --H;
  }
  if (W < 1 || H < 1) {
    // Thinner than its pen: a line of the pen's colour fills it.
    if (FWidth > 0 && FHeight > 0 && PW > 0) {
      TBrush Line;
      Line.SetColor(FPen->Color());
      C->Brush()->Assign(&Line);
      C->FillRect(TRect(0, 0, FWidth, FHeight));
    }
    return;
  }
  if (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle) {
    const int S = std::min(W, H);
    X += (W - S) / 2;
    Y += (H - S) / 2;
    W = H = S;
  }
  switch (FShape) {
    case stRectangle:
    case stSquare:
      C->Rectangle(X, Y, X + W, Y + H);
      break;
    case stRoundRect:
    case stRoundSquare:
      C->RoundRect(X, Y, X + W, Y + H, std::min(W, H) / 4, std::min(W, H) / 4);
      break;
    case stEllipse:
    case stCircle:
      C->Ellipse(X, Y, X + W, Y + H);
      break;
  }
}

// ---------------------------------------------------------------------------------------------------
// TImage

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
  FControlStyle.Include(csReplicatable);
  FWidth = 105;
  FHeight = 105;
  FPicture->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() { FPicture->OnChange = nullptr; }

TCanvas* TImage::Canvas() {
  TGraphic* g = FPicture->Graphic();
  if (!g) {
    TBitmap* bmp = FPicture->Bitmap();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(FWidth, FHeight);
    g = bmp;
  }
  auto* bmp = dynamic_cast<TBitmap*>(g);
  if (!bmp) throw EInvalidOperation("Can only modify an image if it contains a bitmap");
  // Drawing on the picture changes it (canvas, bitmap, picture): the control repaints.
  return bmp->Canvas();
}

void TImage::SetStretch(bool Value) {
  if (Value == FStretch) return;
  FStretch = Value;
  UpdateOpaque();
  Invalidate();
}
void TImage::SetProportional(bool Value) {
  if (Value == FProportional) return;
  FProportional = Value;
  UpdateOpaque();
  Invalidate();
}
void TImage::SetCenter(bool Value) {
  if (Value == FCenter) return;
  FCenter = Value;
  UpdateOpaque();
  Invalidate();
}
void TImage::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  if (FPicture->Graphic()) FPicture->Graphic()->SetTransparent(Value);
  UpdateOpaque();
  Invalidate();
}

void TImage::PictureChanged() {
  if (FDrawing) return;
  if (TGraphic* g = FPicture->Graphic())
    if (FTransparent != g->Transparent()) g->SetTransparent(FTransparent);
  AdjustSize();
  UpdateOpaque();
  Invalidate();
}

// A bitmap drawn without a transparent colour over the whole control paints every pixel of it: the
// parent then neither erases nor paints under the image, and a repaint is a single copy of the picture.
void TImage::UpdateOpaque() {
  TGraphic* g = FPicture->Graphic();
  bool opaque = false;
  if (g && !g->Empty() && !FTransparent && !g->Transparent() && dynamic_cast<TBitmap*>(g)) {
    const TRect d = DestRect();
    opaque = d.Left <= 0 && d.Top <= 0 && d.Right >= FWidth && d.Bottom >= FHeight;
  }
  if (opaque)
    FControlStyle.Include(csOpaque);
  else
    FControlStyle.Exclude(csOpaque);
}

void TImage::DoSetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TGraphicControl::DoSetBounds(ALeft, ATop, AWidth, AHeight);
  UpdateOpaque();
}

bool TImage::CanAutoSize(int& NewWidth, int& NewHeight) {
  if (!FPicture->Graphic() || FPicture->Graphic()->Empty()) return false;
  NewWidth = FPicture->Width();
  NewHeight = FPicture->Height();
  return true;
}

TRect TImage::DestRect() const {
  int w = FPicture->Width(), h = FPicture->Height();
  int cw = FWidth, ch = FHeight;
  if (FStretch || (FProportional && (w > cw || h > ch))) {
    if (FProportional && w > 0 && h > 0) {
      double xyAspect = static_cast<double>(w) / h;
      if (w > h) {
        w = cw;
        h = static_cast<int>(cw / xyAspect);
        if (h > ch) {
          h = ch;
          w = static_cast<int>(ch * xyAspect);
        }
      } else {
        h = ch;
        w = static_cast<int>(ch * xyAspect);
        if (w > cw) {
          w = cw;
          h = static_cast<int>(cw / xyAspect);
        }
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  int x = 0, y = 0;
  if (FCenter) {
    x = (cw - w) / 2;
    y = (ch - h) / 2;
  }
  return TRect(x, y, x + w, y + h);
}

void TImage::Paint() {
  TGraphic* g = FPicture->Graphic();
  if (!g || g->Empty()) return;
  FDrawing = true;
  try {
    FCanvas->StretchDraw(DestRect(), g);
  } catch (...) {
    FDrawing = false;
    throw;
  }
  FDrawing = false;
}

// ---------------------------------------------------------------------------------------------------
// TBevel

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle.Include(csReplicatable);
  FWidth = 50;
  FHeight = 50;
}

void TBevel::SetShape(TBevelShape Value) {
  if (Value == FShape) return;
  FShape = Value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Invalidate();
}

void TBevel::Paint() {
  HDC dc = FCanvas->Handle();
  COLORREF c1 = GetSysColor(FStyle == bsLowered ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
  COLORREF c2 = GetSysColor(FStyle == bsLowered ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW);
  int w = FWidth, h = FHeight;
  auto box = [&](RECT r, COLORREF tl, COLORREF br) {
    DrawHLine(dc, r.left, r.right - 1, r.top, tl);
    DrawVLine(dc, r.left, r.top, r.bottom - 1, tl);
    DrawHLine(dc, r.left, r.right, r.bottom - 1, br);
    DrawVLine(dc, r.right - 1, r.top, r.bottom, br);
  };
  switch (FShape) {
    case bsBox:
      box(RECT{0, 0, w, h}, c1, c2);
      break;
    case bsFrame:
      box(RECT{0, 0, w - 1, h - 1}, c1, c1);
      box(RECT{1, 1, w, h}, c2, c2);
      break;
    case bsTopLine:
      DrawHLine(dc, 0, w, 0, c1);
      DrawHLine(dc, 0, w, 1, c2);
      break;
    case bsBottomLine:
      DrawHLine(dc, 0, w, h - 2, c1);
      DrawHLine(dc, 0, w, h - 1, c2);
      break;
    case bsLeftLine:
      DrawVLine(dc, 0, 0, h, c1);
      DrawVLine(dc, 1, 0, h, c2);
      break;
    case bsRightLine:
      DrawVLine(dc, w - 2, 0, h, c1);
      DrawVLine(dc, w - 1, 0, h, c2);
      break;
    case bsSpacer:
      break;
  }
}

// ---------------------------------------------------------------------------------------------------
// TTimer

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  FWindow = AllocateHWnd([this](TMessage& M) {
    if (M.Msg == WM_TIMER) {
      Timer();
      return;
    }
    M.Result = DefWindowProc(FWindow, M.Msg, M.WParam, M.LParam);
  });
}

TTimer::~TTimer() {
  FEnabled = false;
  if (FRunning && FWindow) KillTimer(FWindow, 1);
  DeallocateHWnd(FWindow);
}

void TTimer::UpdateTimer() {
  if (!FWindow) return;
  if (FRunning) KillTimer(FWindow, 1);
  FRunning = false;
  if (FEnabled && FInterval > 0) FRunning = SetTimer(FWindow, 1, FInterval, nullptr) != 0;
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  OnTimer = std::move(Value);
  UpdateTimer();
}

void TTimer::Timer() {
  if (FEnabled && OnTimer) OnTimer(this);
}
