#include "effects/EffectsBitmap.h"

#include "platform/graphics/clipbrd.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "effects/EffectsProbes.h"
#include "platform/rtl/sysutils.h"

namespace {

TEffectsSystemCalls& SystemCalls() {
  static TEffectsSystemCalls calls;
  return calls;
}

HBITMAP CallCreateDIBSection(const BITMAPINFO* info, void** bits) {
  if (SystemCalls().CreateDIBSection) return SystemCalls().CreateDIBSection(info, bits);
  return ::CreateDIBSection(nullptr, info, DIB_RGB_COLORS, bits, nullptr, 0);
}

HDC CallCreateCompatibleDC() {
  if (SystemCalls().CreateCompatibleDC) return SystemCalls().CreateCompatibleDC();
  return ::CreateCompatibleDC(nullptr);
}

HGDIOBJ CallSelectObject(HDC dc, HGDIOBJ object) {
  if (SystemCalls().SelectObject) return SystemCalls().SelectObject(dc, object);
  return ::SelectObject(dc, object);
}

// Made on the first registration, freed by the unit's finalisation.
std::unique_ptr<std::vector<TEffectsBitmap*>>& Registry() {
  static std::unique_ptr<std::vector<TEffectsBitmap*>> registry;
  return registry;
}

int AbsoluteSize(int v) { return v == INT_MIN ? INT_MAX : (v < 0 ? -v : v); }

}  // namespace

void SetEffectsSystemCalls(TEffectsSystemCalls Calls) { SystemCalls() = std::move(Calls); }

// ---------------------------------------------------------------------------------------------------------
// Registry

void TEffectsBitmap::RegisterBitmap(TEffectsBitmap* Bitmap) {
  if (!Registry()) Registry() = std::make_unique<std::vector<TEffectsBitmap*>>();
  Registry()->push_back(Bitmap);
}

void TEffectsBitmap::UnregisterBitmap(TEffectsBitmap* Bitmap) {
  if (!Registry()) return;
  auto& list = *Registry();
  auto it = std::find(list.begin(), list.end(), Bitmap);
  if (it != list.end()) list.erase(it);
}

TEffectsBitmap* TEffectsBitmap::FindBitmapByDC(HDC DC) {
  if (!Registry() || !DC) return nullptr;
  for (TEffectsBitmap* b : *Registry())
    if (b->FMemoryDC == DC) return b;
  return nullptr;
}

int TEffectsBitmap::RegisteredCount() { return Registry() ? static_cast<int>(Registry()->size()) : 0; }

// ---------------------------------------------------------------------------------------------------------

TEffectsBitmap::TEffectsBitmap() {
  FHeader.biSize = sizeof(BITMAPINFOHEADER);
  FHeader.biWidth = 0;
  FHeader.biHeight = 0;
  FHeader.biPlanes = 1;
  FHeader.biBitCount = 32;
  FHeader.biCompression = BI_RGB;
}

TEffectsBitmap::~TEffectsBitmap() {
  UnregisterBitmap(this);
  if (FDrawCanvas) {
    FDrawCanvas->SetHandle(nullptr);
    FDrawCanvas.reset();
  }
  Release();
}

void TEffectsBitmap::Release() {
  if (FMemoryDC) {
    if (FOldBitmap) ::SelectObject(FMemoryDC, FOldBitmap);
    ::DeleteDC(FMemoryDC);
  }
  if (FDibHandle) ::DeleteObject(FDibHandle);
  FMemoryDC = nullptr;
  FOldBitmap = nullptr;
  FDibHandle = nullptr;
  FPixels = nullptr;
}

void TEffectsBitmap::SetSize(int Width, int Height) {
  Width = AbsoluteSize(Width);
  Height = AbsoluteSize(Height);
  if (Width == 0 || Height == 0) return;
  if (Width == FPixelWidth && Height == FPixelHeight && !IsEmpty()) return;

  if (FDrawCanvas) FDrawCanvas->SetHandle(nullptr);
  Release();
  FHeader.biWidth = Width;
  FHeader.biHeight = -Height;

  // Any failure leaves an empty bitmap that owns nothing and is out of the registry.
  auto fail = [this](const char* message) {
    UnregisterBitmap(this);
    FPixelWidth = 0;
    FPixelHeight = 0;
    FHeader.biWidth = 0;
    FHeader.biHeight = 0;
    throw Exception(message);
  };

  BITMAPINFO info{};
  info.bmiHeader = FHeader;
  void* bits = nullptr;
  HBITMAP dib = CallCreateDIBSection(&info, &bits);
  if (!dib || !bits) {
    if (dib) ::DeleteObject(dib);
    fail("Can't allocate the DIB handle");
  }
  HDC dc = CallCreateCompatibleDC();
  if (!dc) {
    ::DeleteObject(dib);
    fail("Can't create compatible DC");
  }
  HGDIOBJ old = CallSelectObject(dc, dib);
  if (!old) {
    ::DeleteDC(dc);
    ::DeleteObject(dib);
    fail("Can't bslect an object into DC");
  }

  FDibHandle = dib;
  FMemoryDC = dc;
  FOldBitmap = old;
  FPixels = static_cast<std::uint32_t*>(bits);
  if (!Registry() || std::find(Registry()->begin(), Registry()->end(), this) == Registry()->end())
    RegisterBitmap(this);
  if (FDrawCanvas) FDrawCanvas->SetHandle(FMemoryDC);
  FPixelWidth = Width;
  FPixelHeight = Height;
}

TCanvas* TEffectsBitmap::Canvas() {
  if (!FDrawCanvas) {
    FDrawCanvas = std::make_unique<TCanvas>();
    if (FMemoryDC) FDrawCanvas->SetHandle(FMemoryDC);
  }
  return FDrawCanvas.get();
}

void TEffectsBitmap::CheckAlpha() {
  FHasAlpha = false;
  if (IsEmpty()) return;
  const std::size_t n = static_cast<std::size_t>(FPixelWidth) * FPixelHeight;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t a = FPixels[i] >> 24;
    if (a != 0 && a != 255) {
      FHasAlpha = true;
      return;
    }
  }
}

void TEffectsBitmap::SetAlpha(std::uint8_t A) {
  if (IsEmpty()) return;
  for (int y = 0; y < FPixelHeight; ++y) PixelRoutines.SetAlphaRow(ScanLine(y), FPixelWidth, A);
}

std::uint32_t* TEffectsBitmap::ScanLine(int Y) const {
  if (IsEmpty() || Y < 0 || Y >= FPixelHeight) return nullptr;
  return FPixels + static_cast<std::ptrdiff_t>(Y) * FPixelWidth;
}

std::uint32_t* TEffectsBitmap::PixelAddress(int X, int Y) const {
  if (X < 0 || X >= FPixelWidth) return nullptr;
  std::uint32_t* row = ScanLine(Y);
  return row ? row + X : nullptr;
}

void TEffectsBitmap::SetPixel(int X, int Y, std::uint32_t Value) {
  if (std::uint32_t* p = PixelAddress(X, Y)) *p = Value;
}

bool TEffectsBitmap::ContainsRect(const TRect& Source) const {
  return !IsEmpty() && Source.Left < Source.Right && Source.Top < Source.Bottom && Source.Left >= 0 &&
         Source.Top >= 0 && Source.Right <= FPixelWidth && Source.Bottom <= FPixelHeight;
}

// ---------------------------------------------------------------------------------------------------------
// Drawing

void TEffectsBitmap::Draw(HDC DC, int X, int Y) {
  StretchDraw(DC, Bounds(X, Y, FPixelWidth, FPixelHeight), TRect(0, 0, FPixelWidth, FPixelHeight));
}

void TEffectsBitmap::DrawRect(HDC DC, int X, int Y, const TRect& Source) {
  StretchDraw(DC, Bounds(X, Y, Source.Width(), Source.Height()), Source);
}

void TEffectsBitmap::StretchDraw(HDC DC, const TRect& Dest, const TRect& Source) {
  if (IsEmpty() || !DC) return;
  if (TEffectsBitmap* target = FindBitmapByDC(DC)) {
    POINT origin{};
    ::GetWindowOrgEx(DC, &origin);
    DrawTo(target, TRect(Dest.Left - origin.x, Dest.Top - origin.y, Dest.Right - origin.x, Dest.Bottom - origin.y),
           Source);
    return;
  }
  DrawRoutines.ToDC[Kind()](DC, Dest, this, Source);
}

void TEffectsBitmap::Draw(TCanvas* Canvas, int X, int Y) {
  if (Canvas) Draw(Canvas->Handle(), X, Y);
}

void TEffectsBitmap::DrawTo(TEffectsBitmap* Target, const TRect& Dest, const TRect& Source) {
  if (!Target || Target->IsEmpty() || IsEmpty()) return;
  DrawRoutines.StretchRect[Kind()](Target, Dest, Dest, Source, this);
}

void TEffectsBitmap::DrawGraphic(TGraphic* Graphic, const TRect& Rect) {
  if (!Graphic || IsEmpty()) return;
  TBitmap temp;
  temp.SetPixelFormat(pf32bit);
  temp.SetSize(FPixelWidth, FPixelHeight);
  TCanvas* canvas = temp.Canvas();
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(static_cast<TColor>(RGB(255, 0, 255)));
  canvas->Pen()->SetColor(static_cast<TColor>(RGB(255, 0, 255)));
  canvas->Rectangle(-1, -1, FPixelWidth + 1, FPixelHeight + 1);
  canvas->StretchDraw(Rect, Graphic);
  const int w = std::min(FPixelWidth, temp.Width()), h = std::min(FPixelHeight, temp.Height());
  for (int y = 0; y < h; ++y) {
    const auto* row = static_cast<const std::uint32_t*>(temp.ScanLine(y));
    for (int x = 0; x < w; ++x)
      if ((row[x] & 0xFFFFFF) != 0xFF00FF) SetPixel(x, y, row[x]);
  }
}

// ---------------------------------------------------------------------------------------------------------
// Conversions

void TEffectsBitmap::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (auto* e = dynamic_cast<TEffectsBitmap*>(Source)) {
    SetSize(e->FPixelWidth, e->FPixelHeight);
    if (!IsEmpty() && !e->IsEmpty() && FPixelWidth == e->FPixelWidth && FPixelHeight == e->FPixelHeight)
      for (int y = 0; y < FPixelHeight; ++y) PixelRoutines.CopyRow(e->ScanLine(y), ScanLine(y), FPixelWidth);
    FBitmapName = e->FBitmapName;
    FKeyTransparent = e->FKeyTransparent;
    FHasAlpha = e->FHasAlpha;
    return;
  }

  // Any bitmap but a 32-bit DIB goes through its canvas and becomes opaque.
  auto fromCanvas = [this](TBitmap* b) {
    SetSize(b->Width(), b->Height());
    if (IsEmpty() || b->Empty()) return;
    ::BitBlt(FMemoryDC, 0, 0, FPixelWidth, FPixelHeight, b->Canvas()->Handle(), 0, 0, SRCCOPY);
    SetAlpha(255);
  };
  auto fromGraphic = [this](TGraphic* g) {
    SetSize(g->Width(), g->Height());
    if (IsEmpty() || g->Empty()) return;
    DrawGraphic(g, TRect(0, 0, FPixelWidth, FPixelHeight));
    SetAlpha(255);
  };

  if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    // An empty one too: the alpha check then clears HasAlpha left from an earlier picture.
    if (b->PixelFormat() == pf32bit && b->HandleType() == bmDIB) {
      SetSize(b->Width(), b->Height());
      if (!IsEmpty() && !b->Empty()) {
        const int w = std::min(FPixelWidth, b->Width()), h = std::min(FPixelHeight, b->Height());
        for (int y = 0; y < h; ++y)
          PixelRoutines.CopyRow(static_cast<const std::uint32_t*>(b->ScanLine(y)), ScanLine(y), w);
      }
      CheckAlpha();
      return;
    }
    fromCanvas(b);
    return;
  }
  if (auto* p = dynamic_cast<TPicture*>(Source)) {
    TGraphic* g = p->Graphic();
    if (!g) return;
    if (auto* b = dynamic_cast<TBitmap*>(g))
      fromCanvas(b);
    else
      fromGraphic(g);
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    fromGraphic(g);
    return;
  }
  TPersistent::Assign(Source);
}

void TEffectsBitmap::FillBitmap(TBitmap* Bitmap) {
  Bitmap->SetPixelFormat(pf32bit);
  Bitmap->SetSize(FPixelWidth, FPixelHeight);
  if (!IsEmpty() && !Bitmap->Empty()) Draw(Bitmap->Canvas(), 0, 0);
}

void TEffectsBitmap::AssignTo(TPersistent* Dest) {
  if (auto* p = dynamic_cast<TPicture*>(Dest)) {
    FillBitmap(p->Bitmap());
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
    FillBitmap(b);
    return;
  }
  if (auto* c = dynamic_cast<TClipboard*>(Dest)) {
    TBitmap temp;
    FillBitmap(&temp);
    c->Assign(&temp);
    return;
  }
  TPersistent::AssignTo(Dest);
}

void TEffectsBitmap::CopyToClipboard() { AssignTo(Clipboard()); }

// ---------------------------------------------------------------------------------------------------------

namespace EffectsBitmapUnit {

void Initialize() {
  InitPixelRoutines();
  InitDrawRoutines();
}

void Finalize() { Registry().reset(); }

}  // namespace EffectsBitmapUnit
