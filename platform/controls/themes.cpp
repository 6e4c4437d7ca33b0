#include "platform/controls/themes.h"

#include <algorithm>

namespace {

TThemePainter gPlainPainter;
TThemePainter* gPainter = nullptr;

COLORREF Sys(int Index) { return GetSysColor(Index); }

COLORREF Mix(COLORREF A, COLORREF B, int PercentB) {
  auto ch = [&](int a, int b) { return (a * (100 - PercentB) + b * PercentB) / 100; };
  return RGB(ch(GetRValue(A), GetRValue(B)), ch(GetGValue(A), GetGValue(B)), ch(GetBValue(A), GetBValue(B)));
}

void Rect3D(HDC DC, const RECT& R, COLORREF TopLeft, COLORREF BottomRight) {
  if (R.right - R.left <= 0 || R.bottom - R.top <= 0) return;
  DrawHLine(DC, R.left, R.right - 1, R.top, TopLeft);
  DrawVLine(DC, R.left, R.top, R.bottom - 1, TopLeft);
  DrawHLine(DC, R.left, R.right, R.bottom - 1, BottomRight);
  DrawVLine(DC, R.right - 1, R.top, R.bottom - 1, BottomRight);
}

void FrameSolid(HDC DC, const RECT& R, COLORREF C) { Rect3D(DC, R, C, C); }

RECT Inflated(const RECT& R, int D) { return RECT{R.left + D, R.top + D, R.right - D, R.bottom - D}; }

}  // namespace

void FillSolidRect(HDC DC, const RECT& R, COLORREF Color) {
  if (R.right <= R.left || R.bottom <= R.top) return;
  HBRUSH b = CreateSolidBrush(Color);
  FillRect(DC, &R, b);
  DeleteObject(b);
}

void DrawHLine(HDC DC, int X1, int X2, int Y, COLORREF Color) {
  if (X2 <= X1) return;
  RECT r{X1, Y, X2, Y + 1};
  FillSolidRect(DC, r, Color);
}

void DrawVLine(HDC DC, int X, int Y1, int Y2, COLORREF Color) {
  if (Y2 <= Y1) return;
  RECT r{X, Y1, X + 1, Y2};
  FillSolidRect(DC, r, Color);
}

TThemePainter& ThemePainter() { return gPainter ? *gPainter : gPlainPainter; }
void SetThemePainter(TThemePainter* Painter) { gPainter = Painter; }

void TThemePainter::PushButton(HDC DC, const RECT& R, const TElementState& S, RECT* Content) {
  COLORREF face = Sys(COLOR_BTNFACE);
  COLORREF shadow = Sys(COLOR_BTNSHADOW);
  COLORREF dark = Sys(COLOR_3DDKSHADOW);
  // A light face with a soft vertical shade, a one-pixel border and a highlight when hot.
  COLORREF top = S.Pressed ? Mix(face, shadow, 25) : Mix(face, RGB(255, 255, 255), S.Hot ? 70 : 55);
  COLORREF bottom = S.Pressed ? Mix(face, shadow, 10) : face;
  int h = R.bottom - R.top;
  for (int y = 0; y < h; ++y) {
    int p = h > 1 ? y * 100 / (h - 1) : 0;
    DrawHLine(DC, R.left + 1, R.right - 1, R.top + y, Mix(top, bottom, p));
  }
  COLORREF border = !S.Enabled ? Mix(shadow, face, 50) : ((S.Default || S.Focused) ? Sys(COLOR_HIGHLIGHT) : Mix(shadow, dark, 30));
  FrameSolid(DC, R, border);
  if (S.Enabled && (S.Default || S.Focused)) FrameSolid(DC, Inflated(R, 1), Mix(Sys(COLOR_HIGHLIGHT), face, 60));
  // Round the corners a little.
  COLORREF outside = face;
  SetPixelV(DC, R.left, R.top, outside);
  SetPixelV(DC, R.right - 1, R.top, outside);
  SetPixelV(DC, R.left, R.bottom - 1, outside);
  SetPixelV(DC, R.right - 1, R.bottom - 1, outside);
  if (Content) {
    *Content = Inflated(R, 3);
    if (S.Pressed) OffsetRect(Content, 1, 1);
  }
  if (S.Focused && S.Enabled) FocusRect(DC, Inflated(R, 3));
}

void TThemePainter::ToolButton(HDC DC, const RECT& R, const TElementState& S, RECT* Content) {
  COLORREF face = Sys(COLOR_BTNFACE);
  if (S.Flat) {
    if (S.Pressed || S.Checked) {
      FillSolidRect(DC, Inflated(R, 1), S.Checked && !S.Pressed ? Mix(face, RGB(255, 255, 255), 50) : Mix(face, Sys(COLOR_BTNSHADOW), 20));
      Rect3D(DC, R, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT));
    } else if (S.Hot && S.Enabled) {
      Rect3D(DC, R, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW));
    }
    if (Content) {
      *Content = Inflated(R, 2);
      if (S.Pressed || S.Checked) OffsetRect(Content, 1, 1);
    }
    return;
  }
  TElementState s = S;
  s.Pressed = S.Pressed || S.Checked;
  s.Default = false;
  s.Focused = false;
  PushButton(DC, R, s, Content);
}

void TThemePainter::CheckBox(HDC DC, const RECT& R, const TElementState& S) {
  FillSolidRect(DC, Inflated(R, 1), S.Enabled && !S.Pressed ? Sys(COLOR_WINDOW) : Sys(COLOR_BTNFACE));
  FrameSolid(DC, R, S.Enabled ? Mix(Sys(COLOR_BTNSHADOW), Sys(COLOR_3DDKSHADOW), 40) : Sys(COLOR_BTNSHADOW));
  if (S.Mixed) {
    // The third state: a square in the middle, in the grey of a disabled mark.
    int w = R.right - R.left, h = R.bottom - R.top;
    int d = std::max(2, std::min(w, h) / 2 - 1);
    int x = R.left + (w - d) / 2, y = R.top + (h - d) / 2;
    FillSolidRect(DC, RECT{x, y, x + d, y + d}, S.Enabled ? Sys(COLOR_BTNSHADOW) : Sys(COLOR_GRAYTEXT));
  } else if (S.Checked) {
    COLORREF c = S.Enabled ? Sys(COLOR_WINDOWTEXT) : Sys(COLOR_GRAYTEXT);
    int x = R.left + 3, y = R.top + (R.bottom - R.top) / 2 - 1;
    for (int i = 0; i < 3; ++i) DrawVLine(DC, x + i, y + i, y + i + 3, c);
    for (int i = 0; i < 4; ++i) DrawVLine(DC, x + 3 + i, y + 1 - i, y + 4 - i, c);
  }
}

void TThemePainter::RadioButton(HDC DC, const RECT& R, const TElementState& S) {
  COLORREF border = S.Enabled ? Mix(Sys(COLOR_BTNSHADOW), Sys(COLOR_3DDKSHADOW), 40) : Sys(COLOR_BTNSHADOW);
  HPEN pen = CreatePen(PS_SOLID, 1, border);
  HBRUSH brush = CreateSolidBrush(S.Enabled && !S.Pressed ? Sys(COLOR_WINDOW) : Sys(COLOR_BTNFACE));
  HGDIOBJ op = SelectObject(DC, pen);
  HGDIOBJ ob = SelectObject(DC, brush);
  Ellipse(DC, R.left, R.top, R.right, R.bottom);
  SelectObject(DC, ob);
  SelectObject(DC, op);
  DeleteObject(pen);
  DeleteObject(brush);
  if (S.Checked) {
    COLORREF c = S.Enabled ? Sys(COLOR_WINDOWTEXT) : Sys(COLOR_GRAYTEXT);
    HPEN p2 = CreatePen(PS_SOLID, 1, c);
    HBRUSH b2 = CreateSolidBrush(c);
    op = SelectObject(DC, p2);
    ob = SelectObject(DC, b2);
    int w = R.right - R.left;
    int d = w / 3;
    Ellipse(DC, R.left + d, R.top + d, R.right - d, R.bottom - d);
    SelectObject(DC, ob);
    SelectObject(DC, op);
    DeleteObject(p2);
    DeleteObject(b2);
  }
}

void TThemePainter::ComboBox(HDC DC, const RECT& R, int ButtonWidth, const TElementState& S, RECT* TextRect) {
  Frame(DC, R, TFrameKind::Field);
  RECT inner = Inflated(R, 1);
  FillSolidRect(DC, inner, S.Enabled ? Sys(COLOR_WINDOW) : Sys(COLOR_BTNFACE));
  RECT button{inner.right - ButtonWidth, inner.top, inner.right, inner.bottom};
  TElementState bs = S;
  bs.Focused = false;
  bs.Default = false;
  RECT content;
  PushButton(DC, button, bs, &content);
  // The arrow: a small filled triangle.
  COLORREF c = S.Enabled ? Sys(COLOR_BTNTEXT) : Sys(COLOR_GRAYTEXT);
  int cx = (button.left + button.right) / 2 + (S.Pressed ? 1 : 0);
  int cy = (button.top + button.bottom) / 2 - 1 + (S.Pressed ? 1 : 0);
  for (int i = 0; i < 4; ++i) DrawHLine(DC, cx - 3 + i, cx + 4 - i, cy + i, c);
  if (TextRect) *TextRect = RECT{inner.left + 1, inner.top + 1, button.left - 1, inner.bottom - 1};
}

namespace {

// The classic frame-control flags of a state: pushed, inactive, flat (hot has no classic look).
UINT FrameControlState(const TElementState& S) {
  UINT f = 0;
  if (S.Pressed) f |= DFCS_PUSHED;
  if (!S.Enabled) f |= DFCS_INACTIVE;
  if (S.Flat) f |= DFCS_FLAT;
  return f;
}

}  // namespace

void TThemePainter::ComboButton(HDC DC, const RECT& R, const TElementState& S, RECT* Content) {
  RECT r = R;
  DrawFrameControl(DC, &r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | FrameControlState(S) | DFCS_ADJUSTRECT);
  if (Content) *Content = r;
}

void TThemePainter::SpinButton(HDC DC, const RECT& R, bool Up, const TElementState& S, RECT* Content) {
  RECT r = R;
  DrawFrameControl(DC, &r, DFC_SCROLL, (Up ? DFCS_SCROLLUP : DFCS_SCROLLDOWN) | FrameControlState(S) | DFCS_ADJUSTRECT);
  if (Content) *Content = r;
}

void TThemePainter::TrackBarChannel(HDC DC, const RECT& R, const TElementState& /*S*/) {
  Rect3D(DC, R, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT));
  RECT in = Inflated(R, 1);
  Rect3D(DC, in, Sys(COLOR_3DDKSHADOW), Sys(COLOR_3DLIGHT));
  FillSolidRect(DC, Inflated(in, 1), Mix(Sys(COLOR_BTNFACE), RGB(255, 255, 255), 40));
}

void TThemePainter::TrackBarThumb(HDC DC, const RECT& R, const TElementState& S) {
  TElementState s = S;
  s.Focused = false;
  s.Default = false;
  PushButton(DC, R, s, nullptr);
}

void TThemePainter::TrackBarTick(HDC DC, int X, int Y, int Length) { DrawVLine(DC, X, Y, Y + Length, Sys(COLOR_BTNTEXT)); }

void TThemePainter::Frame(HDC DC, const RECT& R, TFrameKind Kind) {
  COLORREF hi = Sys(COLOR_BTNHIGHLIGHT), sh = Sys(COLOR_BTNSHADOW), dk = Sys(COLOR_3DDKSHADOW), lt = Sys(COLOR_3DLIGHT);
  switch (Kind) {
    case TFrameKind::Sunken:
      Rect3D(DC, R, sh, hi);
      Rect3D(DC, Inflated(R, 1), dk, lt);
      break;
    case TFrameKind::Raised:
      Rect3D(DC, R, lt, dk);
      Rect3D(DC, Inflated(R, 1), hi, sh);
      break;
    case TFrameKind::Etched:
      Rect3D(DC, R, sh, hi);
      Rect3D(DC, Inflated(R, 1), hi, sh);
      break;
    case TFrameKind::Bump:
      Rect3D(DC, R, hi, sh);
      Rect3D(DC, Inflated(R, 1), sh, hi);
      break;
    case TFrameKind::SunkenOuter:
      Rect3D(DC, R, sh, hi);
      break;
    case TFrameKind::RaisedInner:
      Rect3D(DC, R, hi, sh);
      break;
    case TFrameKind::Field:
      FrameSolid(DC, R, Mix(sh, dk, 20));
      break;
  }
}

void TThemePainter::FocusRect(HDC DC, const RECT& R) {
  COLORREF c = Sys(COLOR_BTNTEXT);
  for (int x = R.left; x < R.right; x += 2) {
    SetPixelV(DC, x, R.top, c);
    SetPixelV(DC, x, R.bottom - 1, c);
  }
  for (int y = R.top; y < R.bottom; y += 2) {
    SetPixelV(DC, R.left, y, c);
    SetPixelV(DC, R.right - 1, y, c);
  }
}
