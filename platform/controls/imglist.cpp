#include "platform/controls/imglist.h"

#include <algorithm>
#include <cstring>

#include "platform/graphics/pictures.h"

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {}
TImageList::~TImageList() = default;

void TImageList::SetWidth(int Value) {
  if (Value == FWidth || Value <= 0) return;
  FWidth = Value;
  Clear();
}

void TImageList::SetHeight(int Value) {
  if (Value == FHeight || Value <= 0) return;
  FHeight = Value;
  Clear();
}

void TImageList::Changed() {
  if (OnChange) OnChange(this);
}

void TImageList::Clear() {
  if (FImages.empty()) return;
  FImages.clear();
  Changed();
}

void TImageList::Delete(int Index) {
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

int TImageList::AddPixels(const std::vector<uint32_t>& Argb, int W, int H) {
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

int TImageList::Add(TBitmap* Image, TBitmap* Mask) {
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

int TImageList::AddMasked(TBitmap* Image, TColor TransparentColor) {
  if (!Image || Image->Empty()) return -1;
  bool alpha = false;
  std::vector<uint32_t> px = ReadBitmap(Image, alpha);
  uint32_t key = static_cast<uint32_t>(ColorToRGB(TransparentColor));
  uint32_t keyArgb = ((key & 0xFF) << 16) | (key & 0xFF00) | ((key >> 16) & 0xFF);
  for (auto& v : px)
    if ((v & 0xFFFFFF) == keyArgb) v = 0;
  return AddPixels(px, Image->Width(), Image->Height());
}

int TImageList::AddFromFile(const std::string& FileName) {
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

uint32_t TImageList::Pixel(int Index, int X, int Y) const {
  if (Index < 0 || Index >= Count() || X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return 0;
  const uint8_t* p = &FImages[static_cast<size_t>(Index)].Pixels[(static_cast<size_t>(Y) * FWidth + X) * 4];
  uint32_t a = p[3];
  if (a == 0) return 0;
  auto un = [a](uint8_t c) { return std::min<uint32_t>(255, (c * 255u + a / 2) / a); };
  return (a << 24) | (un(p[2]) << 16) | (un(p[1]) << 8) | un(p[0]);
}

void TImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
  Canvas->RequiredState(TCanvasState{csHandleValid});
  Draw(Canvas->Handle(), X, Y, Index, Enabled);
}

void TImageList::Draw(HDC DC, int X, int Y, int Index, bool Enabled) {
  if (Index < 0 || Index >= Count() || !DC) return;
  const TEntry& img = FImages[static_cast<size_t>(Index)];
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = FWidth;
  bi.bmiHeader.biHeight = -FHeight;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp || !bits) return;
  auto* dst = static_cast<uint8_t*>(bits);
  std::memcpy(dst, img.Pixels.data(), img.Pixels.size());
  if (!Enabled) {
    // Grey and half as opaque.
    for (size_t i = 0; i < img.Pixels.size(); i += 4) {
      int g = (dst[i] * 11 + dst[i + 1] * 59 + dst[i + 2] * 30) / 100;
      dst[i] = dst[i + 1] = dst[i + 2] = static_cast<uint8_t>(g / 2);
      dst[i + 3] = static_cast<uint8_t>(dst[i + 3] / 2);
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
}
