// The grids' shared drawing routines: cell text (direct or through the shared bitmap), vertical text,
// tool-tip measuring, clipped images, the rotated font and the tool-tip window.
#include "datagrid/DBGridXDraw.h"

#include <algorithm>
#include <memory>

#include "datagrid/DBGridX.h"
#include "datagrid/DBGridXStyle.h"

namespace {

TBitmap* GDrawBitmap = nullptr;
int GDrawBitmapUsers = 0;

// Keeps the shared bitmap's canvas locked while a routine draws through it.
class TBitmapLock {
 public:
  explicit TBitmapLock(TBitmap* B) : FCanvas(B->Canvas()) { FCanvas->Lock(); }
  ~TBitmapLock() { FCanvas->Unlock(); }

 private:
  TCanvas* FCanvas;
};

// The bitmap grows to hold W x H; it never shrinks while in use.
TBitmap* BitmapFor(int W, int H) {
  if (!GDrawBitmap) return nullptr;
  if (GDrawBitmap->Width() < W || GDrawBitmap->Height() < H)
    GDrawBitmap->SetSize(std::max(GDrawBitmap->Width(), W), std::max(GDrawBitmap->Height(), H));
  return GDrawBitmap;
}

bool PureColor(TCanvas* Canvas, TColor Color) {
  COLORREF c = static_cast<COLORREF>(ColorToRGB(Color));
  return GetNearestColor(Canvas->Handle(), c) == c;
}

UINT AlignmentFormat(TAlignment A) {
  return A == taRightJustify ? DT_RIGHT : A == taCenter ? DT_CENTER : DT_LEFT;
}

}  // namespace

void AcquireDrawBitmap() {
  if (GDrawBitmapUsers++ == 0) GDrawBitmap = new TBitmap();
}

void ReleaseDrawBitmap() {
  if (GDrawBitmapUsers == 0) return;
  if (--GDrawBitmapUsers == 0) {
    delete GDrawBitmap;
    GDrawBitmap = nullptr;
  }
}

TBitmap* DrawBitmap() { return GDrawBitmap; }
int DrawBitmapUsers() { return GDrawBitmapUsers; }

int MeasureTextWidth(TCanvas* Canvas, const std::string& Text) {
  RECT r{0, 0, 0, 0};
  DrawText(Canvas->Handle(), Text.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX);
  return r.right - r.left;
}

bool TextFitsCell(TCustomDBGridX* Grid, int DX, int DY, const std::string& Text, const TRect& Rect, bool WordWrap,
                  int& Width, int& Height) {
  TCanvas* c = Grid->Canvas();
  int room = std::max(1, Rect.Width() - DX - 2);
  RECT r{0, 0, room, 0};
  UINT fmt = DT_CALCRECT | DT_NOPREFIX | (WordWrap ? DT_WORDBREAK : 0) | Grid->DrawTextBiDiModeFlagsReadingOnly();
  DrawText(c->Handle(), Text.c_str(), -1, &r, fmt);
  Width = r.right - r.left;
  Height = r.bottom - r.top;
  return Width > Rect.Width() - DX - 2 || Height > Rect.Height() - DY + 1;
}

void DrawCellTextX(TCanvas* Canvas, const TRect& Rect, int DX, int DY, const std::string& Text, TAlignment Alignment,
                   int Layout, bool WordWrap, bool EndEllipsis, int LeftMargin, int RightMargin, bool RightToLeft) {
  TColor back = Canvas->Brush()->Color();
  if (!WordWrap && !RightToLeft && LeftMargin == 0 && RightMargin == 0 && PureColor(Canvas, back)) {
    std::string s = EndEllipsis ? EllipsizeText(Text, Canvas, Rect.Width() - DX) : Text;
    int x = Rect.Left + DX;
    if (Alignment != taLeftJustify) {
      TFontStyles st = Canvas->Font()->Style();
      int w = st.Contains(fsBold) || st.Contains(fsItalic) ? MeasureTextWidth(Canvas, s) : Canvas->TextWidth(s);
      x = Alignment == taRightJustify ? Rect.Right - w - 3 : Rect.Left + Rect.Width() / 2 - w / 2;
    }
    Canvas->TextRect(Rect, x, Rect.Top + DY, s);
    return;
  }
  int w = Rect.Width(), h = Rect.Height();
  if (w <= 0 || h <= 0) return;
  TBitmap* b = BitmapFor(w, h);
  if (!b) {  // no grid alive: draw in place
    Canvas->FillRect(Rect);
    RECT r{Rect.Left + DX, Rect.Top + DY, Rect.Right - DX, Rect.Bottom - DY};
    int old = SetBkMode(Canvas->Handle(), TRANSPARENT);
    DrawText(Canvas->Handle(), Text.c_str(), -1, &r,
             DT_NOPREFIX | DT_EXPANDTABS | AlignmentFormat(Alignment) | (WordWrap ? DT_WORDBREAK : 0) |
                 (EndEllipsis ? DT_END_ELLIPSIS : 0));
    SetBkMode(Canvas->Handle(), old);
    return;
  }
  TBitmapLock lock(b);
  TCanvas* bc = b->Canvas();
  bc->Font()->Assign(Canvas->Font());
  bc->Brush()->SetColor(back);
  bc->Brush()->SetStyle(bsSolid);
  bc->FillRect(TRect(0, 0, w, h));
  UINT fmt = DT_NOPREFIX | DT_EXPANDTABS | AlignmentFormat(Alignment) | (WordWrap ? DT_WORDBREAK : 0) |
             (EndEllipsis ? DT_END_ELLIPSIS : 0) | (RightToLeft ? DT_RTLREADING : 0);
  RECT r{DX, DY, w - DX, h - DY};
  if (Layout == 1 || Layout == 2) {
    RECT m = r;
    DrawText(Canvas->Handle(), Text.c_str(), -1, &m, fmt | DT_CALCRECT);
    int th = m.bottom - m.top;
    r.top = Layout == 1 ? r.top + (r.bottom - r.top) / 2 - th / 2 : r.bottom - th;
  }
  if (DX > 0) r.bottom += 1;
  DRAWTEXTPARAMS p;
  p.iLeftMargin = LeftMargin;
  p.iRightMargin = RightMargin;
  HDC dc = bc->Handle();
  // The handle alone does not bring the font in: its face and colour are put into the DC here, or the
  // text would take whatever the bitmap drew with last (black on a highlighted cell).
  SelectObject(dc, bc->Font()->Handle());
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(bc->Font()->Color())));
  int old = SetBkMode(dc, TRANSPARENT);
  DrawTextEx(dc, Text.c_str(), -1, &r, fmt, &p);
  SetBkMode(dc, old);
  Canvas->CopyRect(Rect, bc, TRect(0, 0, w, h));
}

void DrawCellTextX(TCanvas* Canvas, const TRect& Rect, int DX, int DY, const std::string& Text, TAlignment Alignment,
                   int Layout, bool WordWrap, bool EndEllipsis) {
  DrawCellTextX(Canvas, Rect, DX, DY, Text, Alignment, Layout, WordWrap, EndEllipsis, 0, 0, false);
}

HFONT MakeRotatedFont(TFont* Font) {
  LOGFONT lf;
  lf.lfHeight = Font->Height();
  lf.lfEscapement = 900;
  lf.lfOrientation = 900;
  lf.lfWeight = Font->Style().Contains(fsBold) ? 700 : 400;
  lf.lfItalic = Font->Style().Contains(fsItalic);
  lf.lfUnderline = Font->Style().Contains(fsUnderline);
  lf.lfStrikeOut = Font->Style().Contains(fsStrikeOut);
  lf.lfCharSet = Font->Charset();
  lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  lf.lfPitchAndFamily = Font->Pitch() == fpFixed ? FIXED_PITCH : Font->Pitch() == fpVariable ? VARIABLE_PITCH : 0;
  std::string name = Font->Name();
  if (name == "Default") {
    LOGFONT def;
    GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof(def), &def);
    name = def.lfFaceName;
  }
  size_t n = std::min(name.size(), static_cast<size_t>(LF_FACESIZE - 1));
  std::copy_n(name.data(), n, lf.lfFaceName);
  return CreateFontIndirect(&lf);
}

int DrawVerticalTextX(TCanvas* Canvas, const TRect& Rect, bool FillBitmap, int DX, int DY, const std::string& Text,
                      int HAlign, int VAlign, bool /*EndEllipsis*/, bool CalcOnly) {
  HDC dc = Canvas->Handle();
  Canvas->RequiredState({csHandleValid, csFontValid, csBrushValid});
  HFONT rotated = MakeRotatedFont(Canvas->Font());
  HGDIOBJ before = SelectObject(dc, rotated);
  SIZE sz{};
  GetTextExtentPoint32(dc, Text.c_str(), static_cast<int>(Text.size()), &sz);
  TEXTMETRIC tm;
  GetTextMetrics(dc, &tm);
  int length = sz.cx, overhang = tm.tmOverhang;
  if (Canvas->Font()->Style().Contains(fsItalic) && (tm.tmPitchAndFamily & TMPF_TRUETYPE)) {
    OUTLINETEXTMETRIC otm;
    if (GetOutlineTextMetrics(dc, sizeof(otm), &otm) && otm.otmsCharSlopeRise != 0) {
      overhang = (tm.tmHeight - tm.tmInternalLeading) * otm.otmsCharSlopeRun / otm.otmsCharSlopeRise;
      length += overhang;
    }
  } else {
    length += overhang;
  }
  if (!CalcOnly) {
    int textHeight = tm.tmHeight;
    int x = HAlign == 0 ? Rect.Left + DX
            : HAlign == 1 ? Rect.Right - textHeight
                          : Rect.Left + Rect.Width() / 2 - (textHeight + overhang) / 2;
    int y = VAlign == 0 ? Rect.Top + length
            : VAlign == 2 ? Rect.Bottom - DY
                          : Rect.Bottom + length / 2 - Rect.Height() / 2;
    TColor back = Canvas->Brush()->Color();
    RECT rc = Rect;
    if (FillBitmap && !PureColor(Canvas, back) && GDrawBitmap) {
      int w = Rect.Width(), h = Rect.Height();
      TBitmap* b = BitmapFor(w, h);
      TBitmapLock lock(b);
      TCanvas* bc = b->Canvas();
      bc->Brush()->SetColor(back);
      bc->FillRect(TRect(0, 0, w, h));
      HDC bdc = bc->Handle();
      HGDIOBJ bOld = SelectObject(bdc, rotated);
      SetTextColor(bdc, static_cast<COLORREF>(ColorToRGB(Canvas->Font()->Color())));
      int old = SetBkMode(bdc, TRANSPARENT);
      RECT br{0, 0, w, h};
      ExtTextOut(bdc, x - Rect.Left, y - Rect.Top, ETO_CLIPPED, &br, Text.c_str(), static_cast<UINT>(Text.size()),
                 nullptr);
      SetBkMode(bdc, old);
      SelectObject(bdc, bOld);
      Canvas->CopyRect(Rect, bc, TRect(0, 0, w, h));
    } else {
      UINT opts = ETO_CLIPPED | (Canvas->Brush()->Style() != bsClear ? ETO_OPAQUE : 0);
      ExtTextOut(dc, x, y, opts, &rc, Text.c_str(), static_cast<UINT>(Text.size()), nullptr);
    }
  }
  SelectObject(dc, before);
  DeleteObject(rotated);
  return length;
}

void DrawImageClipped(TCustomImageList* Images, TGraphic* Graphic, TCanvas* Canvas, const TRect& Rect, int ImageIndex,
                      int DX, TAlignment Alignment) {
  DrawImageClipped(Images, Graphic, Canvas, Rect, ImageIndex, DX, Alignment, false);
}

void DrawImageFlipped(TCustomImageList* Images, TCanvas* Canvas, int X, int Y, int Index) {
  if (!Images || Index < 0 || Index >= Images->Count()) return;
  int w = Images->Width(), h = Images->Height();
  if (w <= 0 || h <= 0) return;
  // The background is taken turned, the image drawn on it upright, and the whole turned back: the
  // background ends as it was and only the picture faces the other way.
  TBitmap work;
  work.SetSize(w, h);
  HDC dc = Canvas->Handle();
  HDC t = work.Canvas()->Handle();
  StretchBlt(t, 0, 0, w, h, dc, X + w - 1, Y, -w, h, SRCCOPY);
  Images->Draw(work.Canvas(), 0, 0, Index);
  StretchBlt(dc, X, Y, w, h, t, w - 1, 0, -w, h, SRCCOPY);
}

void DrawImageClipped(TCustomImageList* Images, TGraphic* Graphic, TCanvas* Canvas, const TRect& Rect, int ImageIndex,
                      int DX, TAlignment Alignment, bool Flipped) {
  int w = 0, h = 0;
  if (Images) {
    if (ImageIndex < 0 || ImageIndex >= Images->Count()) return;
    w = Images->Width();
    h = Images->Height();
  } else if (Graphic) {
    w = Graphic->Width();
    h = Graphic->Height();
  } else {
    return;
  }
  int x = Alignment == taLeftJustify    ? Rect.Left + DX
          : Alignment == taRightJustify ? Rect.Right - w + DX
                                        : Rect.Left + (Rect.Width() - w) / 2 + DX;
  int y = Rect.Top + (Rect.Height() - h) / 2;
  bool fits = x >= Rect.Left && y >= Rect.Top && x + w <= Rect.Right && y + h <= Rect.Bottom;
  HDC dc = Canvas->Handle();
  HRGN saved = nullptr;
  if (!fits) {
    saved = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(dc, saved) != 1) {
      DeleteObject(saved);
      saved = nullptr;
    }
    IntersectClipRect(dc, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
  }
  if (Images && Flipped)
    DrawImageFlipped(Images, Canvas, x, y, ImageIndex);
  else if (Images)
    Images->Draw(Canvas, x, y, ImageIndex);
  else
    Canvas->Draw(x, y, Graphic);
  if (!fits) {
    SelectClipRgn(dc, saved);
    if (saved) DeleteObject(saved);
  }
}

void DropQueuedMessage(HWND Window, UINT Msg) {
  MSG m;
  if (PeekMessage(&m, Window, Msg, Msg, PM_REMOVE) && m.message == WM_QUIT) PostQuitMessage(static_cast<int>(m.wParam));
}

void RepaintGridRow(TCustomGrid* Grid, int Row) {
  for (int c = 0; c < Grid->ColCount(); ++c) Grid->InvalidateCell(c, Row);
}

TRect TToolTipsWindow::CalcHintRect(int MaxWidth, const std::string& Hint, void* Data) {
  if (Data) Canvas()->Font()->Assign(static_cast<TFont*>(Data));
  Canvas()->Font()->SetColor(clWindowText);
  return THintWindow::CalcHintRect(MaxWidth, Hint, Data);
}
