#include "platform/controls/imglist.h"

#include <algorithm>
#include <cstring>

#include "platform/graphics/pictures.h"

TChangeLink::~TChangeLink() {
  if (FSender) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (OnChange) OnChange(this);
}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : FLinks) link->SetSender(nullptr);
}

void TCustomImageList::RegisterChanges(TChangeLink* Link) {
  if (!Link || std::find(FLinks.begin(), FLinks.end(), Link) != FLinks.end()) return;
  if (Link->Sender() && Link->Sender() != this) Link->Sender()->UnRegisterChanges(Link);
  Link->SetSender(this);
  FLinks.push_back(Link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Link) {
  auto it = std::find(FLinks.begin(), FLinks.end(), Link);
  if (it == FLinks.end()) return;
  FLinks.erase(it);
  Link->SetSender(nullptr);
}

void TCustomImageList::SetBkColor(TColor Value) {
  if (Value == FBkColor) return;
  FBkColor = Value;
  Changed();
}

void TCustomImageList::SetBlendColor(TColor Value) {
  if (Value == FBlendColor) return;
  FBlendColor = Value;
  Changed();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle Value) {
  if (Value == FDrawingStyle) return;
  FDrawingStyle = Value;
  Changed();
}

void TCustomImageList::SetImageType(TImageType Value) {
  if (Value == FImageType) return;
  FImageType = Value;
  Changed();
}

void TCustomImageList::SetWidth(int Value) {
  if (Value == FWidth || Value <= 0) return;
  FWidth = Value;
  Clear();
}

void TCustomImageList::SetHeight(int Value) {
  if (Value == FHeight || Value <= 0) return;
  FHeight = Value;
  Clear();
}

void TCustomImageList::Changed() {
  // A copy: a link's handler may unregister links.
  std::vector<TChangeLink*> links = FLinks;
  for (TChangeLink* link : links)
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) link->Change();
  if (OnChange) OnChange(this);
}

void TCustomImageList::Clear() {
  if (FImages.empty()) return;
  FImages.clear();
  Changed();
}

void TCustomImageList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) throw EInvalidOperation("Invalid image list index");
  FImages.erase(FImages.begin() + Index);
  Changed();
}

namespace {
// Reads a bitmap's pixels as 0xAARRGGBB (alpha 255 unless the bitmap is 32-bit).
std::vector<uint32_t> ReadBitmap(TBitmap* B, bool& HasAlpha) {
  int w = B->Width(), h = B->Height();
  std::vector<uint32_t> out(static_cast<size_t>(w) * static_cast<size_t>(h), 0xFF000000u);
  HasAlpha = false;
  if (w <= 0 || h <= 0) return out;
  bool is32 = B->PixelFormat() == pf32bit;
  if (B->PixelFormat() != pf24bit && !is32) {
    // Other formats: read through a DC.
    HDC dc = B->Canvas()->Handle();
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        COLORREF c = GetPixel(dc, x, y);
        out[static_cast<size_t>(y) * w + x] = 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
      }
    return out;
  }
  for (int y = 0; y < h; ++y) {
    const auto* row = static_cast<const uint8_t*>(B->ScanLine(y));
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = row + x * (is32 ? 4 : 3);
      uint32_t a = is32 ? p[3] : 255u;
      if (a != 255) HasAlpha = true;
      out[static_cast<size_t>(y) * w + x] = (a << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
    }
  }
  if (is32 && !HasAlpha) return out;
  if (is32) {
    // A 32-bit bitmap whose alpha is all zero carries no alpha at all.
    bool anyVisible = std::any_of(out.begin(), out.end(), [](uint32_t v) { return (v >> 24) != 0; });
    if (!anyVisible) {
      for (auto& v : out) v |= 0xFF000000u;
      HasAlpha = false;
    }
  }
  return out;
}
}  // namespace

int TCustomImageList::AddPixels(const std::vector<uint32_t>& Argb, int W, int H) {
  if (W <= 0 || H <= 0) return -1;
  // Scale to the list's height when it differs (nearest pixel), then cut into images of Width.
  int scaledW = W;
  std::vector<uint32_t> src = Argb;
  if (H != FHeight) {
    scaledW = std::max(1, static_cast<int>(static_cast<long long>(W) * FHeight / H));
    std::vector<uint32_t> s(static_cast<size_t>(scaledW) * FHeight);
    for (int y = 0; y < FHeight; ++y)
      for (int x = 0; x < scaledW; ++x) {
        int sx = std::min(W - 1, static_cast<int>(static_cast<long long>(x) * W / scaledW));
        int sy = std::min(H - 1, static_cast<int>(static_cast<long long>(y) * H / FHeight));
        s[static_cast<size_t>(y) * scaledW + x] = Argb[static_cast<size_t>(sy) * W + sx];
      }
    src.swap(s);
  }
  int n = std::max(1, scaledW / FWidth);
  int first = Count();
  for (int k = 0; k < n; ++k) {
    TEntry img;
    img.Pixels.assign(static_cast<size_t>(FWidth) * FHeight * 4, 0);
    for (int y = 0; y < FHeight; ++y)
      for (int x = 0; x < FWidth; ++x) {
        int sx = k * FWidth + x;
        if (sx >= scaledW) continue;
        uint32_t v = src[static_cast<size_t>(y) * scaledW + sx];
        uint32_t a = v >> 24;
        uint8_t* p = &img.Pixels[(static_cast<size_t>(y) * FWidth + x) * 4];
        p[0] = static_cast<uint8_t>((v & 0xFF) * a / 255);
        p[1] = static_cast<uint8_t>(((v >> 8) & 0xFF) * a / 255);
        p[2] = static_cast<uint8_t>(((v >> 16) & 0xFF) * a / 255);
        p[3] = static_cast<uint8_t>(a);
      }
    FImages.push_back(std::move(img));
  }
  Changed();
  return first;
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image || Image->Empty()) return -1;
  bool alpha = false;
  std::vector<uint32_t> px = ReadBitmap(Image, alpha);
  if (!alpha && Mask && !Mask->Empty()) {
    bool dummy = false;
    std::vector<uint32_t> mk = ReadBitmap(Mask, dummy);
    int w = std::min(Image->Width(), Mask->Width()), h = std::min(Image->Height(), Mask->Height());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint32_t m = mk[static_cast<size_t>(y) * Mask->Width() + x];
        if ((m & 0xFFFFFF) == 0xFFFFFF) px[static_cast<size_t>(y) * Image->Width() + x] = 0;
      }
  }
  return AddPixels(px, Image->Width(), Image->Height());
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor TransparentColor) {
  if (!Image || Image->Empty()) return -1;
  bool alpha = false;
  std::vector<uint32_t> px = ReadBitmap(Image, alpha);
  uint32_t key = static_cast<uint32_t>(ColorToRGB(TransparentColor));
  uint32_t keyArgb = ((key & 0xFF) << 16) | (key & 0xFF00) | ((key >> 16) & 0xFF);
  for (auto& v : px)
    if ((v & 0xFFFFFF) == keyArgb) v = 0;
  return AddPixels(px, Image->Width(), Image->Height());
}

int TCustomImageList::AddFromFile(const std::string& FileName) {
  TPicture pic;
  pic.LoadFromFile(FileName);
  TGraphic* g = pic.Graphic();
  if (!g || g->Empty()) return -1;
  int w = g->Width(), h = g->Height();
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  if (auto* r = dynamic_cast<TRasterGraphic*>(g)) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) px[static_cast<size_t>(y) * w + x] = r->Pixel(x, y);
    return AddPixels(px, w, h);
  }
  if (auto* b = dynamic_cast<TBitmap*>(g)) return Add(b);
  TBitmap tmp;
  tmp.SetPixelFormat(pf24bit);
  tmp.SetSize(w, h);
  tmp.Canvas()->Draw(0, 0, g);
  return Add(&tmp);
}

uint32_t TCustomImageList::Pixel(int Index, int X, int Y) const {
  if (Index < 0 || Index >= Count() || X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return 0;
  const uint8_t* p = &FImages[static_cast<size_t>(Index)].Pixels[(static_cast<size_t>(Y) * FWidth + X) * 4];
  uint32_t a = p[3];
  if (a == 0) return 0;
  auto un = [a](uint8_t c) { return std::min<uint32_t>(255, (c * 255u + a / 2) / a); };
  return (a << 24) | (un(p[2]) << 16) | (un(p[1]) << 8) | un(p[0]);
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
  Canvas->RequiredState(TCanvasState{csHandleValid});
  Draw(Canvas->Handle(), X, Y, Index, Enabled);
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle Style, TImageType Type, bool Enabled) {
  Canvas->RequiredState(TCanvasState{csHandleValid});
  static const UINT kStyles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  UINT flags = kStyles[Style] | (Type == itMask ? ILD_MASK : 0);
  auto colour = [](TColor c) {
    if (c == clNone) return CLR_NONE;
    if (c == clDefault) return CLR_DEFAULT;
    return static_cast<COLORREF>(ColorToRGB(c));
  };
  DrawEx(Canvas->Handle(), X, Y, Index, colour(FBkColor), colour(FBlendColor), flags, Enabled);
}

void TCustomImageList::Draw(HDC DC, int X, int Y, int Index, bool Enabled) {
  static const UINT kStyles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  auto colour = [](TColor c) {
    if (c == clNone) return CLR_NONE;
    if (c == clDefault) return CLR_DEFAULT;
    return static_cast<COLORREF>(ColorToRGB(c));
  };
  DrawEx(DC, X, Y, Index, colour(FBkColor), colour(FBlendColor),
         kStyles[FDrawingStyle] | (FImageType == itMask ? ILD_MASK : 0), Enabled);
}

bool TCustomImageList::DrawEx(HDC DC, int X, int Y, int Index, COLORREF Bk, COLORREF Fg, UINT Style, bool Enabled) {
  if (Index < 0 || Index >= Count() || !DC) return false;
  const TEntry& img = FImages[static_cast<size_t>(Index)];
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = FWidth;
  bi.bmiHeader.biHeight = -FHeight;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp || !bits) return false;
  auto* dst = static_cast<uint8_t*>(bits);
  std::memcpy(dst, img.Pixels.data(), img.Pixels.size());
  const size_t n = img.Pixels.size();
  if (Style & ILD_MASK) {
    // The mask: black where the image shows, white where it is transparent; always opaque.
    for (size_t i = 0; i < n; i += 4) {
      uint8_t v = dst[i + 3] >= 128 ? 0 : 255;
      dst[i] = dst[i + 1] = dst[i + 2] = v;
      dst[i + 3] = 255;
    }
  } else {
    if (!Enabled) {
      // Grey and half as opaque.
      for (size_t i = 0; i < n; i += 4) {
        int g = (dst[i] * 11 + dst[i + 1] * 59 + dst[i + 2] * 30) / 100;
        dst[i] = dst[i + 1] = dst[i + 2] = static_cast<uint8_t>(g / 2);
        dst[i + 3] = static_cast<uint8_t>(dst[i + 3] / 2);
      }
    }
    int percent = (Style & ILD_BLEND50) ? 50 : (Style & ILD_BLEND25) ? 25 : 0;
    if (percent > 0 && Fg != CLR_NONE) {
      COLORREF fg = Fg == CLR_DEFAULT ? GetSysColor(COLOR_HIGHLIGHT) : (Fg & 0xFFFFFF);
      const int comp[3] = {GetBValue(fg), GetGValue(fg), GetRValue(fg)};
      // Premultiplied: the colour is mixed in as far as the pixel is opaque.
      for (size_t i = 0; i < n; i += 4) {
        int a = dst[i + 3];
        for (int k = 0; k < 3; ++k)
          dst[i + k] = static_cast<uint8_t>((dst[i + k] * (100 - percent) + comp[k] * a / 255 * percent) / 100);
      }
    }
    if (!(Style & ILD_TRANSPARENT) && Bk != CLR_NONE) {
      COLORREF bk = Bk == CLR_DEFAULT ? static_cast<COLORREF>(ColorToRGB(FBkColor == clNone ? clWindow : FBkColor))
                                      : (Bk & 0xFFFFFF);
      if (Bk == CLR_DEFAULT && FBkColor == clNone) bk = CLR_NONE;
      if (bk != CLR_NONE) {
        // Over the background colour: what is transparent shows it, and the result is opaque.
        const int comp[3] = {GetBValue(bk), GetGValue(bk), GetRValue(bk)};
        for (size_t i = 0; i < n; i += 4) {
          int a = dst[i + 3];
          for (int k = 0; k < 3; ++k) dst[i + k] = static_cast<uint8_t>(dst[i + k] + comp[k] * (255 - a) / 255);
          dst[i + 3] = 255;
        }
      }
    }
  }
  HDC mem = CreateCompatibleDC(DC);
  HGDIOBJ old = SelectObject(mem, bmp);
  BLENDFUNCTION bf;
  bf.BlendOp = AC_SRC_OVER;
  bf.SourceConstantAlpha = 255;
  bf.AlphaFormat = AC_SRC_ALPHA;
  AlphaBlend(DC, X, Y, FWidth, FHeight, mem, 0, 0, FWidth, FHeight, bf);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bmp);
  return true;
}
