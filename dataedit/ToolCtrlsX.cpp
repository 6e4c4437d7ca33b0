#include "dataedit/ToolCtrlsX.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/controls/imglist.h"
#include "platform/controls/themes.h"

const uint8_t EditButtonStyleKinds[6] = {bkDropDownX, bkEllipsisX, bkUpDownX, bkUpDownX, bkPlusX, bkMinusX};

bool UseButtonsBitmapCache = true;
int FlatButtonWidth = 0;
int CheckBoxWidth = 13;
int CheckBoxHeight = 13;
bool EditButtonThemesActive = true;
TButtonsBitmapCache* EditButtonBitmapCache = nullptr;

// ---------------------------------------------------------------------------------------------------
// Measures

int FlatButtonWidthFor(int FontHeight, int ScrollBarWidth) {
  // Round half to even, as everywhere in the system.
  int w = static_cast<int>(std::nearbyint(FontHeight * 2.0 / 3.0));
  if (w % 2 == 0) w -= 1;
  return std::min(w, ScrollBarWidth);
}

int ComputeFlatButtonWidth() {
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRIC tm{};
  GetTextMetrics(DC, &tm);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  return FlatButtonWidthFor(tm.tmHeight, GetSystemMetrics(SM_CXVSCROLL));
}

void MeasureCheckBoxSize() {
  HBITMAP Bmp = LoadBitmap(nullptr, MAKEINTRESOURCE(OBM_CHECKBOXES));
  BITMAP Info{};
  if (Bmp && GetObject(Bmp, sizeof(Info), &Info)) {
    CheckBoxWidth = Info.bmWidth / 4;
    CheckBoxHeight = Info.bmHeight / 3;
  }
  if (Bmp) DeleteObject(Bmp);
}

bool IsDoubleClickAt(POINT PreviousPoint, POINT Point, unsigned ElapsedMs) {
  return ElapsedMs <= GetDoubleClickTime() && std::abs(Point.x - PreviousPoint.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
         std::abs(Point.y - PreviousPoint.y) <= GetSystemMetrics(SM_CYDOUBLECLK);
}

// The image list's own colour values pass on as the draw call's "no colour" and "default colour".
static COLORREF ImageListColorRef(TColor Color) {
  if (Color == clNone) return CLR_NONE;
  if (Color == clDefault) return CLR_DEFAULT;
  return static_cast<COLORREF>(ColorToRGB(Color));
}

void DrawImageCentered(HDC DC, const RECT& Rect, TCustomImageList* ImageList, bool Selected, int ImageIndex) {
  if (!DC || !ImageList) return;
  const int W = ImageList->Width(), H = ImageList->Height();
  const int X = Rect.left + (Rect.right - Rect.left - W) / 2;
  const int Y = Rect.top + (Rect.bottom - Rect.top - H) / 2;
  const bool Clip = W > Rect.right - Rect.left || H > Rect.bottom - Rect.top;
  int Saved = 0;
  if (Clip) {
    Saved = SaveDC(DC);
    IntersectClipRect(DC, Rect.left, Rect.top, Rect.right, Rect.bottom);
  }
  UINT Style = ImageList->ImageType() == itMask ? ILD_MASK : ILD_NORMAL;
  if (Selected) Style |= ILD_SELECTED;
  const COLORREF Fg = Selected ? static_cast<COLORREF>(ColorToRGB(clHighlight)) : ImageListColorRef(ImageList->BlendColor());
  ImageList->DrawEx(DC, X, Y, ImageIndex, ImageListColorRef(ImageList->BkColor()), Fg, Style);
  if (Clip) RestoreDC(DC, Saved);
}

RECT AlignCheckBoxRect(const RECT& Rect, TCheckHorzAlignX HorzAlign, TCheckVertAlignX VertLayout) {
  const int RW = Rect.right - Rect.left, RH = Rect.bottom - Rect.top;
  const int W = std::min(CheckBoxWidth, RW), H = std::min(CheckBoxHeight, RH);
  RECT R{Rect.left, Rect.top, Rect.left + W, Rect.top + H};
  if (RW > CheckBoxWidth) {
    if (HorzAlign == chaRightX) R.left = Rect.right - W;
    else if (HorzAlign == chaCenterX) R.left = Rect.left + (RW - W) / 2;
    R.right = R.left + W;
  }
  if (RH > CheckBoxHeight) {
    if (VertLayout == cvaCenterX) R.top = Rect.top + (RH - H) / 2;
    else if (VertLayout == cvaBottomX) R.top = Rect.bottom - H;
    R.bottom = R.top + H;
  }
  return R;
}

// ---------------------------------------------------------------------------------------------------
// Faces

namespace {

void InflateBy(RECT& R, int d) { R.left -= d; R.top -= d; R.right += d; R.bottom += d; }

void FrameWith(HDC DC, const RECT& R, COLORREF Color) {
  HBRUSH B = CreateSolidBrush(Color);
  FrameRect(DC, &R, B);
  DeleteObject(B);
}

TElementState StateOf(bool Pressed, bool Active, bool Flat, bool Enabled) {
  TElementState S;
  S.Enabled = Enabled;
  S.Pressed = Pressed && Enabled;
  S.Hot = Active && Enabled;
  S.Flat = Flat;
  return S;
}

// Content of the ellipsis: three square dots centred, nudged by 1 when pressed.
void DrawEllipsisDots(HDC DC, const RECT& C, bool Pressed, bool Enabled) {
  const int CW = C.right - C.left, CH = C.bottom - C.top;
  const int Side = CW <= 7 ? 1 : 2;
  const int Gap = CW < 12 ? 1 : 2;
  const int Total = 3 * Side + 2 * Gap;
  int x = C.left + (CW - Total) / 2, y = C.top + (CH - Side) / 2;
  if (Pressed) { ++x; ++y; }
  auto Dots = [&](int dx, int dy, COLORREF Color) {
    for (int i = 0; i < 3; ++i) {
      RECT D{x + dx + i * (Side + Gap), y + dy, x + dx + i * (Side + Gap) + Side, y + dy + Side};
      FillSolidRect(DC, D, Color);
    }
  };
  if (Enabled) {
    Dots(0, 0, GetSysColor(COLOR_BTNTEXT));
  } else {
    Dots(1, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    Dots(0, 0, GetSysColor(COLOR_BTNSHADOW));
  }
}

void DrawPlusMinusContent(HDC DC, const RECT& C, bool Plus, bool Pressed, bool Flat, bool Enabled) {
  const int CW = C.right - C.left, CH = C.bottom - C.top;
  const int m = std::min(CW, CH);
  int w = std::max(1, 4 * m / 7);
  int h = std::max(1, w / 3);
  if ((w % 2) != (m % 2)) w += Flat ? -1 : 1;
  if (Plus && (w % 2) != (h % 2)) w += m < 12 ? 1 : -1;
  int x = C.left + (CW - w) / 2, y = C.top + (CH - h) / 2;
  if (Pressed) { ++x; ++y; }
  auto Bars = [&](int d, COLORREF Color) {
    FillSolidRect(DC, RECT{x + d, y + d, x + d + w, y + d + h}, Color);
    if (Plus) {
      int vx = x + (w - h) / 2, vy = y + (h - w) / 2;
      FillSolidRect(DC, RECT{vx + d, vy + d, vx + d + h, vy + d + w}, Color);
    }
  };
  if (Enabled) {
    Bars(0, GetSysColor(COLOR_BTNTEXT));
  } else {
    Bars(1, GetSysColor(COLOR_BTNHIGHLIGHT));
    Bars(0, GetSysColor(COLOR_BTNSHADOW));
  }
}

UINT ClassicFlags(bool Pressed, bool Flat, bool Enabled) {
  return (Pressed ? DFCS_PUSHED : 0) | (Flat ? DFCS_FLAT : 0) | (Enabled ? 0 : DFCS_INACTIVE);
}

void DrawFaceByKind(HDC DC, int Kind, RECT R, int Part, bool Pressed, bool Active, bool Flat, bool Enabled) {
  const bool Themed = EditButtonThemesActive;
  const TElementState S = StateOf(Pressed, Active, Flat, Enabled);
  // Painters leave parts they do not draw (a flat tool button's frame while not hot) untouched; the
  // face must be whole, cached or not.
  FillSolidRect(DC, R, GetSysColor(COLOR_BTNFACE));
  switch (Kind) {
    case bkDropDownX:
      if (Themed) ThemePainter().ComboButton(DC, R, S, nullptr);
      else DrawFrameControl(DC, &R, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | ClassicFlags(Pressed, Flat, Enabled));
      return;
    case bkUpDownX:
      if (Themed) ThemePainter().SpinButton(DC, R, Part == 0, S, nullptr);
      else DrawFrameControl(DC, &R, DFC_SCROLL,
                            (Part == 0 ? DFCS_SCROLLUP : DFCS_SCROLLDOWN) | ClassicFlags(Pressed, Flat, Enabled));
      return;
    default: break;
  }
  // Ellipsis, plus and minus: a button face with content drawn by us.
  RECT C = R;
  if (Themed) {
    if (Flat) ThemePainter().ToolButton(DC, R, S, nullptr);
    else ThemePainter().PushButton(DC, R, S, nullptr);
    InflateBy(C, Flat ? -1 : -2);
  } else if (Flat) {
    FillSolidRect(DC, R, GetSysColor(COLOR_BTNFACE));
    InflateBy(C, -1);
  } else {
    RECT E = R;
    DrawEdge(DC, &E, Pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
    InflateBy(C, -2);
    FillSolidRect(DC, C, GetSysColor(COLOR_BTNFACE));
  }
  if (Kind == bkEllipsisX) DrawEllipsisDots(DC, C, Pressed, Enabled);
  else DrawPlusMinusContent(DC, C, Kind == bkPlusX, Pressed, Flat, Enabled);
}

}  // namespace

void DrawButtonFace(HDC DC, int Kind, RECT Rect, int Part, bool Pressed, bool Active, bool Flat, bool Enabled) {
  const bool Classic = !EditButtonThemesActive;
  const bool Clipped = Active && Flat && Classic;
  int Saved = 0;
  const RECT Outer = Rect;
  if (Clipped) {
    Saved = SaveDC(DC);
    IntersectClipRect(DC, Rect.left + 1, Rect.top + 1, Rect.right - 1, Rect.bottom - 1);
  }
  // A flat face loses its own frame: drawn larger than the rect, the frame falls outside the clip.
  const int Grow = (Flat && Classic) ? (Active ? 1 : 2) : 0;
  InflateBy(Rect, Grow);
  DrawFaceByKind(DC, Kind, Rect, Part, Pressed, Active, Flat, Enabled);
  if (Clipped) {
    RestoreDC(DC, Saved);
    RECT E = Outer;
    DrawEdge(DC, &E, Pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  }
}

void DrawCheckBoxFace(HDC DC, RECT Rect, int CheckState, bool Active, bool Pressed, bool Flat, bool Enabled) {
  auto Face = [&](RECT R) {
    FillSolidRect(DC, R, GetSysColor(COLOR_WINDOW));
    if (EditButtonThemesActive) {
      TElementState S = StateOf(Pressed, false, false, Enabled);
      S.Checked = CheckState == 1;
      S.Mixed = CheckState == 2;
      ThemePainter().CheckBox(DC, R, S);
    } else {
      UINT State = DFCS_BUTTONCHECK;
      if (CheckState == 1) State |= DFCS_CHECKED;
      if (CheckState == 2) State = DFCS_BUTTON3STATE | DFCS_CHECKED;
      if (Pressed) State |= DFCS_PUSHED;
      if (!Enabled) State |= DFCS_INACTIVE;
      DrawFrameControl(DC, &R, DFC_BUTTON, State);
    }
  };
  if (!Flat) {
    Face(Rect);
    return;
  }
  // The ring between the clipped face and the frame is part of the face, cached or not.
  FillSolidRect(DC, Rect, GetSysColor(COLOR_WINDOW));
  int Saved = SaveDC(DC);
  IntersectClipRect(DC, Rect.left + 1, Rect.top + 1, Rect.right - 1, Rect.bottom - 1);
  RECT Big = Rect;
  InflateBy(Big, 1);
  Face(Big);
  RestoreDC(DC, Saved);
  RECT F = Rect;
  InflateBy(F, -1);
  FrameWith(DC, F, GetSysColor(Active ? COLOR_BTNFACE : COLOR_BTNSHADOW));
}

// ---------------------------------------------------------------------------------------------------
// Cache

TButtonsBitmapCache::~TButtonsBitmapCache() { Clear(); }

void TButtonsBitmapCache::Clear() {
  for (Entry& E : FEntries) {
    SelectObject(E.DC, E.OldBitmap);
    DeleteObject(E.Bitmap);
    DeleteDC(E.DC);
  }
  FEntries.clear();
}

HDC TButtonsBitmapCache::GetFace(const TButtonsCacheKey& Key) {
  for (Entry& E : FEntries)
    if (E.Key == Key) return E.DC;
  Entry E;
  E.Key = Key;
  HDC Screen = GetDC(nullptr);
  E.DC = CreateCompatibleDC(Screen);
  E.Bitmap = CreateCompatibleBitmap(Screen, std::max(1, Key.Width), std::max(1, Key.Height));
  ReleaseDC(nullptr, Screen);
  E.OldBitmap = SelectObject(E.DC, E.Bitmap);
  RECT R{0, 0, Key.Width, Key.Height};
  if (Key.Kind == bkCheckBoxX)
    DrawCheckBoxFace(E.DC, R, Key.CheckState, Key.Active, Key.Pressed, Key.Flat, Key.Enabled);
  else
    DrawButtonFace(E.DC, Key.Kind, R, Key.Part, Key.Pressed, Key.Active, Key.Flat, Key.Enabled);
  FEntries.push_back(E);
  return E.DC;
}

void ResetButtonsBitmapCache() {
  if (EditButtonBitmapCache) EditButtonBitmapCache->Clear();
}

// ---------------------------------------------------------------------------------------------------
// DrawEditButton

namespace {

void PaintOne(HDC DC, const RECT& R, int Kind, int Part, bool Pressed, bool Active, bool Flat, bool Enabled,
              int CheckState) {
  const int W = R.right - R.left, H = R.bottom - R.top;
  if (W <= 0 || H <= 0) return;
  if (UseButtonsBitmapCache && EditButtonBitmapCache) {
    TButtonsCacheKey K;
    K.Width = std::max(0, W);
    K.Height = std::max(0, H);
    K.Kind = static_cast<uint8_t>(Kind);
    K.Flat = Flat;
    K.Pressed = Pressed;
    K.Active = Active;
    K.Enabled = Enabled;
    K.Part = static_cast<uint8_t>(Part);
    K.CheckState = static_cast<uint8_t>(CheckState);
    HDC Face = EditButtonBitmapCache->GetFace(K);
    StretchBlt(DC, R.left, R.top, W, H, Face, 0, 0, W, H, SRCCOPY);
  } else if (Kind == bkCheckBoxX) {
    DrawCheckBoxFace(DC, R, CheckState, Active, Pressed, Flat, Enabled);
  } else {
    DrawButtonFace(DC, Kind, R, Part, Pressed, Active, Flat, Enabled);
  }
}

}  // namespace

void DrawEditButton(HDC DC, RECT Rect, COLORREF ParentColor, int CheckState, bool Enabled, bool Active, bool Flat,
                    int DownButton, int Kind) {
  if (Kind == bkCheckBoxX) {
    int W = Rect.right - Rect.left, H = Rect.bottom - Rect.top;
    if (W > H) {
      int d = W - H;
      Rect.left += d / 2;
      Rect.right -= d - d / 2;
    } else if (H > W) {
      int d = H - W;
      Rect.top += d / 2;
      Rect.bottom -= d - d / 2;
    }
    if (Flat) InflateBy(Rect, -1);
    PaintOne(DC, Rect, bkCheckBoxX, 0, DownButton != 0, Active, Flat, Enabled, CheckState);
    if (Flat) {
      InflateBy(Rect, 1);
      if (Active) DrawEdge(DC, &Rect, BDR_SUNKENOUTER, BF_RECT);
      else FrameWith(DC, Rect, ParentColor);
    }
    return;
  }
  const bool FlatFrame = Flat && !Active && !EditButtonThemesActive;
  const bool Cached = UseButtonsBitmapCache && EditButtonBitmapCache;
  int Saved = 0;
  if (FlatFrame) {
    InflateBy(Rect, -1);
    if (!Cached) {
      Saved = SaveDC(DC);
      IntersectClipRect(DC, Rect.left, Rect.top, Rect.right, Rect.bottom);
    }
  }
  if (Kind == bkUpDownX) {
    // The halves are painted a pixel smaller in a flat frame; the ring between is face, as an
    // uncached face grown under the clip would leave it.
    if (FlatFrame) FillSolidRect(DC, Rect, GetSysColor(COLOR_BTNFACE));
    const int H = Rect.bottom - Rect.top;
    RECT Up = Rect, Down = Rect;
    Up.bottom = Up.top + H / 2;
    Down.top = Down.bottom - H / 2;
    RECT U = Up, D = Down;
    if (FlatFrame) { InflateBy(U, -1); InflateBy(D, -1); }
    PaintOne(DC, U, bkUpDownX, 0, DownButton == 1, Active, Flat, Enabled, 0);
    PaintOne(DC, D, bkUpDownX, 1, DownButton == 2, Active, Flat, Enabled, 0);
    if (H % 2 == 1 || FlatFrame) {
      RECT Mid{Rect.left, Up.bottom, Rect.right, Down.top};
      if (FlatFrame) { Mid.top -= 1; Mid.bottom += 1; }
      FillSolidRect(DC, Mid, ParentColor);
    }
  } else {
    PaintOne(DC, Rect, Kind, 0, DownButton != 0, Active, Flat, Enabled, 0);
  }
  if (FlatFrame) {
    if (Saved) RestoreDC(DC, Saved);
    InflateBy(Rect, 1);
    FrameWith(DC, Rect, ParentColor);
  }
}

// ---------------------------------------------------------------------------------------------------
// Unit start-up

namespace ToolCtrlsXUnit {

void Initialize() {
  FlatButtonWidth = ComputeFlatButtonWidth();
  EditButtonBitmapCache = new TButtonsBitmapCache;
  MeasureCheckBoxSize();
}

void Finalize() {
  delete EditButtonBitmapCache;
  EditButtonBitmapCache = nullptr;
}

}  // namespace ToolCtrlsXUnit
