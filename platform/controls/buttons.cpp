#include "platform/controls/buttons.h"

#include <algorithm>

#include "platform/controls/stdctrls.h"
#include "platform/controls/themes.h"

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  // The click is judged here on release; double clicks are two clicks.
  FControlStyle = TControlStyle{csCaptureMouse, csSetCaption, csOpaque};
  FWidth = 23;
  FHeight = 22;
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetGroupIndex(int Value) {
  if (Value == FGroupIndex) return;
  FGroupIndex = Value;
  if (FGroupIndex == 0 && FDown) {
    FDown = false;
    Invalidate();
  }
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool Value) {
  if (FGroupIndex == 0) Value = false;
  if (Value == FDown) return;
  // The last button of a group stays down unless the group allows all up.
  if (FDown && !Value && !FAllowAllUp) return;
  FDown = Value;
  Invalidate();
  if (Value) UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool Value) {
  if (Value == FAllowAllUp) return;
  FAllowAllUp = Value;
  UpdateExclusive();
}

void TSpeedButton::UpdateExclusive() {
  if (FGroupIndex == 0 || !FParent) return;
  for (int i = 0; i < FParent->ControlCount(); ++i) {
    auto* b = dynamic_cast<TSpeedButton*>(FParent->Controls(i));
    if (!b || b == this || b->FGroupIndex != FGroupIndex) continue;
    if (FDown && b->FDown) {
      b->FDown = false;
      b->Invalidate();
    }
    b->FAllowAllUp = FAllowAllUp;
  }
}

void TSpeedButton::SetFlat(bool Value) {
  if (Value == FFlat) return;
  FFlat = Value;
  Invalidate();
}

TBitmap* TSpeedButton::Glyph() {
  if (!FGlyph) FGlyph = std::make_unique<TBitmap>();
  return FGlyph.get();
}

void TSpeedButton::SetGlyph(TBitmap* Value) {
  Glyph()->Assign(Value);
  Invalidate();
}

void TSpeedButton::SetNumGlyphs(int Value) {
  Value = std::clamp(Value, 1, 4);
  if (Value == FNumGlyphs) return;
  FNumGlyphs = Value;
  Invalidate();
}

void TSpeedButton::DrawGlyph(int X, int Y, int ImageWidth, int Images) {
  enum { kUp, kDisabled, kPressed, kHeld };
  int state = !FEnabled ? kDisabled : (FPressing && FInside) ? kPressed : FDown ? kHeld : kUp;
  if (state == kHeld && state >= Images) state = kPressed;
  if (state == kPressed && state >= Images) state = kUp;
  const int h = FGlyph->Height();
  if (state == kDisabled && Images < 2) {
    // No disabled image: the up image's shape, embossed.
    const TColor back = FGlyph->TransparentColor();
    TCanvas* src = FGlyph->Canvas();
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
    HDC dc = FCanvas->Handle();
    for (int pass = 0; pass < 2; ++pass)
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < ImageWidth; ++x)
          if (src->Pixels(x, y) != back)
            SetPixelV(dc, X + x + (pass == 0 ? 1 : 0), Y + y + (pass == 0 ? 1 : 0), pass == 0 ? light : shadow);
    return;
  }
  if (state >= Images) state = kUp;
  if (Images == 1) {
    FCanvas->Draw(X, Y, FGlyph.get());
    return;
  }
  TBitmap image;
  image.SetPixelFormat(pf24bit);
  image.SetSize(ImageWidth, h);
  image.Canvas()->CopyRect(TRect(0, 0, ImageWidth, h), FGlyph->Canvas(),
                           TRect(state * ImageWidth, 0, (state + 1) * ImageWidth, h));
  // Every image is transparent where the strip is (its bottom-left pixel's colour).
  image.SetTransparentColor(FGlyph->TransparentColor());
  image.SetTransparent(FGlyph->Transparent());
  FCanvas->Draw(X, Y, &image);
}

void TSpeedButton::SetLayout(TButtonLayout Value) {
  if (Value == FLayout) return;
  FLayout = Value;
  Invalidate();
}

void TSpeedButton::SetSpacing(int Value) {
  if (Value == FSpacing) return;
  FSpacing = Value;
  Invalidate();
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && FEnabled) {
    FPressing = true;
    FInside = true;
    Invalidate();
  }
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (FPressing) {
    bool inside = X >= 0 && Y >= 0 && X < FWidth && Y < FHeight;
    if (inside != FInside) {
      FInside = inside;
      Invalidate();
    }
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft || !FPressing) return;
  FPressing = false;
  bool inside = X >= 0 && Y >= 0 && X < FWidth && Y < FHeight;
  FInside = false;
  Invalidate();
  if (!inside) return;
  if (FGroupIndex != 0) SetDown(!FDown);
  Click();
}

void TSpeedButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_MOUSEENTER && Message.LParam == reinterpret_cast<LPARAM>(this)) {
    FHot = true;
    Invalidate();
  } else if (Message.Msg == CM_MOUSELEAVE && Message.LParam == reinterpret_cast<LPARAM>(this)) {
    FHot = false;
    Invalidate();
  } else if (Message.Msg == CM_ENABLEDCHANGED && !FEnabled) {
    FPressing = false;
    FHot = false;
  }
  TGraphicControl::Dispatch(Message);
}

void TSpeedButton::Paint() {
  HDC dc = FCanvas->Handle();
  RECT r{0, 0, FWidth, FHeight};
  FillSolidRect(dc, r, ColorRef(FColor));
  TElementState s;
  s.Enabled = FEnabled;
  s.Hot = FHot;
  s.Pressed = FPressing && FInside;
  s.Checked = FDown;
  s.Flat = FFlat;
  RECT content = r;
  ThemePainter().ToolButton(dc, r, s, &content);
  bool hasGlyph = FGlyph && !FGlyph->Empty();
  SIZE ts = MeasureControlText(FText, FFont.get());
  // One image of the strip.
  const int images = hasGlyph && FGlyph->Width() >= FNumGlyphs ? FNumGlyphs : 1;
  int gw = hasGlyph ? FGlyph->Width() / images : 0, gh = hasGlyph ? FGlyph->Height() : 0;
  int cw = content.right - content.left, ch = content.bottom - content.top;
  int gap = (hasGlyph && !FText.empty()) ? FSpacing : 0;
  int gx = 0, gy = 0;
  RECT tr = content;
  if (FLayout == blGlyphLeft || FLayout == blGlyphRight) {
    int total = gw + gap + ts.cx;
    int x0 = content.left + (cw - total) / 2;
    gy = content.top + (ch - gh) / 2;
    if (FLayout == blGlyphLeft) {
      gx = x0;
      tr.left = x0 + gw + gap;
      tr.right = tr.left + ts.cx;
    } else {
      tr.left = x0;
      tr.right = x0 + ts.cx;
      gx = tr.right + gap;
    }
  } else {
    int total = gh + gap + ts.cy;
    int y0 = content.top + (ch - total) / 2;
    gx = content.left + (cw - gw) / 2;
    if (FLayout == blGlyphTop) {
      gy = y0;
      tr.top = y0 + gh + gap;
      tr.bottom = tr.top + ts.cy;
    } else {
      tr.top = y0;
      tr.bottom = y0 + ts.cy;
      gy = tr.bottom + gap;
    }
  }
  if (hasGlyph) DrawGlyph(gx, gy, gw, images);
  DrawControlText(dc, FText, tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, FFont.get(), FEnabled);
}
