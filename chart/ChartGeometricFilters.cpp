// Filters that move, scale or repeat pixels: resize, crop, zoom, tile, mirror, bevel and rotate.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "chart/ChartConst.h"
#include "chart/ChartFilters.h"
#include "chart/ChartResample.h"

namespace {

// Pixels of a 24-bit bitmap at a point (no checks: callers stay inside).
inline uint8_t* PixelAt(TBitmap* B, int X, int Y) { return static_cast<uint8_t*>(B->ScanLine(Y)) + 3 * X; }

// Draws Source unscaled at (X, Y) of Dest, clipped to Dest (both pf24bit; opaque pixels are copied).
// The place is 64-bit: crops pass the negated stored position, which need not fit an int.
void DrawAt(TBitmap* Dest, TBitmap* Source, int64_t X, int64_t Y) {
  const int64_t x0 = std::max<int64_t>(0, X), y0 = std::max<int64_t>(0, Y);
  const int64_t x1 = std::min<int64_t>(Dest->Width(), X + Source->Width());
  const int64_t y1 = std::min<int64_t>(Dest->Height(), Y + Source->Height());
  if (x1 <= x0 || y1 <= y0) return;
  for (int64_t y = y0; y < y1; ++y)
    std::memcpy(PixelAt(Dest, static_cast<int>(x0), static_cast<int>(y)),
                PixelAt(Source, static_cast<int>(x0 - X), static_cast<int>(y - Y)), 3 * static_cast<size_t>(x1 - x0));
}

// A whole number held in a double, limited to the range of int.
int SaturatedInt(double V) {
  return V >= 2147483647.0 ? 2147483647 : (V <= -2147483648.0 ? -2147483647 - 1 : static_cast<int>(V));
}

// Draws Source stretched over the rectangle (exclusive right and bottom) of Dest by nearest pixel, as
// a device context stretches without smoothing: the centre of each target pixel picks its source.
void StretchDrawNearest(TBitmap* Dest, const TRect& To, TBitmap* Source) {
  const int sw = Source->Width(), sh = Source->Height();
  const int dw = To.Right - To.Left, dh = To.Bottom - To.Top;
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  std::vector<int> cols(static_cast<size_t>(dw));
  for (int x = 0; x < dw; ++x) cols[static_cast<size_t>(x)] = static_cast<int>((int64_t(2 * x + 1) * sw) / (2 * int64_t(dw)));
  for (int y = 0; y < dh; ++y) {
    const int ty = To.Top + y;
    if (ty < 0 || ty >= Dest->Height()) continue;
    const int sy = static_cast<int>((int64_t(2 * y + 1) * sh) / (2 * int64_t(dh)));
    const uint8_t* s = static_cast<const uint8_t*>(Source->ScanLine(sy));
    uint8_t* d = static_cast<uint8_t*>(Dest->ScanLine(ty));
    for (int x = 0; x < dw; ++x) {
      const int tx = To.Left + x;
      if (tx < 0 || tx >= Dest->Width()) continue;
      std::memcpy(d + 3 * tx, s + 3 * cols[static_cast<size_t>(x)], 3);
    }
  }
}

std::unique_ptr<TBitmap> NewBitmap24(int W, int H) {
  CheckFilterBitmapSize(W, H);
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(W, H);
  return b;
}

}  // namespace

std::unique_ptr<TBitmap> CreateSmoothCopy(TBitmap* Bitmap, int Width, int Height) {
  auto copy = NewBitmap24(std::max(Width, 0), std::max(Height, 0));
  if (copy->Empty() || !Bitmap || Bitmap->Empty()) return copy;
  Bitmap->SetPixelFormat(pf24bit);
  if (Bitmap->Width() > 1 && Bitmap->Height() > 1 && Width > 1 && Height > 1)
    StretchSmooth(Bitmap, copy.get());
  else  // the smooth stretch leaves 1-pixel sides alone: a plain stretch still gives the picture
    StretchDrawNearest(copy.get(), TRect(0, 0, Width, Height), Bitmap);
  return copy;
}

// ---------------------------------------------------------------------------------------------------

void TResizeFilter::FilterRect(TBitmap* Bitmap, const TRect&) {
  if (FWidth <= 0 || FHeight <= 0) return;
  auto copy = CreateSmoothCopy(Bitmap, FWidth, FHeight);
  Bitmap->SetPixelFormat(pf24bit);
  Bitmap->SetSize(FWidth, FHeight);
  DrawAt(Bitmap, copy.get(), 0, 0);
}
void TResizeFilter::AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) {
  TChartFilter::AddEditorControls(Editor, std::move(OnChange));
  Editor->AddIntegerEdit("Width", ChartMsgWidth, 0, 10000);
  Editor->AddIntegerEdit("Height", ChartMsgHeight, 0, 10000);
}
std::string TResizeFilter::FilterTitle() { return ChartMsgResize; }
void TResizeFilter::AssignSettings(TChartFilter* Source) {
  if (auto* f = dynamic_cast<TResizeFilter*>(Source)) {
    FWidth = f->FWidth;
    FHeight = f->FHeight;
  }
}

void TCropFilter::FilterRect(TBitmap* Bitmap, const TRect&) {
  if (Width() < 1 || Height() < 1) return;
  if (Bitmap->Empty()) return;
  Bitmap->SetPixelFormat(pf24bit);
  auto work = NewBitmap24(Width(), Height());
  DrawAt(work.get(), Bitmap, -int64_t(FLeft), -int64_t(FTop));
  if (FSmooth)
    StretchSmooth(work.get(), Bitmap);
  else
    StretchDrawNearest(Bitmap, TRect(0, 0, Bitmap->Width(), Bitmap->Height()), work.get());
}
void TCropFilter::AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) {
  TResizeFilter::AddEditorControls(Editor, std::move(OnChange));
  Editor->AddIntegerEdit("Left", ChartMsgLeft, 0, 10000);
  Editor->AddIntegerEdit("Top", ChartMsgTop, 0, 10000);
  Editor->AddCheckBox("Smooth", ChartMsgSmooth, nullptr);
}
std::string TCropFilter::FilterTitle() { return ChartMsgCrop; }
void TCropFilter::AssignSettings(TChartFilter* Source) {
  TResizeFilter::AssignSettings(Source);
  if (auto* f = dynamic_cast<TCropFilter*>(Source)) {
    FLeft = f->FLeft;
    FSmooth = f->FSmooth;
    FTop = f->FTop;
  }
}

void TZoomFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  const int rw = R.Right - R.Left + 1, rh = R.Bottom - R.Top + 1;
  if (rw <= 0 || rh <= 0) return;
  // The margins stay doubles: a stored percent far beyond the editor's range gives margins past the
  // range of int, and then a crop of one pixel from beyond the picture. Sizes past the range of int
  // stay too large (the crop refuses them); places past it take no pixel from the picture either way.
  auto margin = [this](int Side) {
    const double m = Side * FPercent * 0.005;
    return std::isfinite(m) ? std::nearbyint(m) : static_cast<double>(Round(m));  // Round raises for these
  };
  const double mx = margin(rw), my = margin(rh);
  TCropFilter crop(nullptr);
  crop.SetWidth(SaturatedInt(std::max(1.0, rw - 2 * mx)));
  crop.SetHeight(SaturatedInt(std::max(1.0, rh - 2 * my)));
  crop.SetSmooth(FSmooth);
  if (Bitmap->Width() == rw && Bitmap->Height() == rh) {
    crop.SetLeft(SaturatedInt(R.Left + mx));
    crop.SetTop(SaturatedInt(R.Top + my));
    crop.FilterBitmap(Bitmap);
    return;
  }
  Bitmap->SetPixelFormat(pf24bit);
  auto work = NewBitmap24(rw, rh);
  DrawAt(work.get(), Bitmap, -int64_t(R.Left), -int64_t(R.Top));
  crop.SetLeft(SaturatedInt(mx));
  crop.SetTop(SaturatedInt(my));
  crop.FilterBitmap(work.get());
  DrawAt(Bitmap, work.get(), R.Left, R.Top);
}
void TZoomFilter::AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) {
  TChartFilter::AddEditorControls(Editor, std::move(OnChange));
  Editor->AddTrackBar("Percent", 0, 100);
  Editor->AddCheckBox("Smooth", ChartMsgSmooth, nullptr);
}
std::string TZoomFilter::FilterTitle() { return ChartMsgZoom; }
void TZoomFilter::AssignSettings(TChartFilter* Source) {
  if (auto* f = dynamic_cast<TZoomFilter*>(Source)) {
    FPercent = f->FPercent;
    FSmooth = f->FSmooth;
  }
}

void TTileFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  TChartFilter::FilterRect(Bitmap, R);
  if (Rows.empty()) return;
  if (FNumCols < 1) FNumCols = 1;
  if (FNumRows < 1) FNumRows = 1;
  const int cw = (R.Right - R.Left) / FNumCols, ch = (R.Bottom - R.Top) / FNumRows;
  if (cw < 1 || ch < 1) return;
  auto cell = CreateSmoothCopy(Bitmap, cw, ch);
  for (int c = 0; c < FNumCols; ++c)
    for (int r = 0; r < FNumRows; ++r) DrawAt(Bitmap, cell.get(), cw * c, ch * r);
}
void TTileFilter::AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) {
  TChartFilter::AddEditorControls(Editor, std::move(OnChange));
  Editor->AddIntegerEdit("NumCols", ChartMsgColumns, 1, 1000);
  Editor->AddIntegerEdit("NumRows", ChartMsgRows, 1, 1000);
}
std::string TTileFilter::FilterTitle() { return ChartMsgTile; }
void TTileFilter::AssignSettings(TChartFilter* Source) {
  if (auto* f = dynamic_cast<TTileFilter*>(Source)) {
    FNumCols = f->FNumCols;
    FNumRows = f->FNumRows;
  }
}

TMirrorFilter::TMirrorFilter(TCollection* Collection) : TChartFilter(Collection) { UsesRegion = false; }

void TMirrorFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  TChartFilter::FilterRect(Bitmap, R);
  if (Rows.empty()) return;
  const int w = Bitmap->Width(), h = Bitmap->Height();
  const bool vertical = FDirection == mdDown || FDirection == mdUp;
  auto work = vertical ? NewBitmap24(w, 2 * h) : NewBitmap24(2 * w, h);
  switch (FDirection) {
    case mdDown: DrawAt(work.get(), Bitmap, 0, 0); break;
    case mdUp: DrawAt(work.get(), Bitmap, 0, h); break;
    case mdRight: DrawAt(work.get(), Bitmap, 0, 0); break;
    case mdLeft: DrawAt(work.get(), Bitmap, w, 0); break;
  }
  ApplyFilterClass(vertical ? FilterClassOf<TFlipFilter>() : FilterClassOf<TReverseFilter>(), Bitmap);
  switch (FDirection) {
    case mdDown: DrawAt(work.get(), Bitmap, 0, h); break;
    case mdUp: DrawAt(work.get(), Bitmap, 0, 0); break;
    case mdRight: DrawAt(work.get(), Bitmap, w, 0); break;
    case mdLeft: DrawAt(work.get(), Bitmap, 0, 0); break;
  }
  Bitmap->SetSize(work->Width(), work->Height());
  DrawAt(Bitmap, work.get(), 0, 0);
  Rows.clear();  // the bitmap's rows moved
}
void TMirrorFilter::AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) {
  TChartFilter::AddEditorControls(Editor, std::move(OnChange));
  Editor->AddComboBox("Direction");
}
std::string TMirrorFilter::FilterTitle() { return ChartMsgMirror; }
void TMirrorFilter::AssignSettings(TChartFilter* Source) {
  if (auto* f = dynamic_cast<TMirrorFilter*>(Source)) FDirection = f->FDirection;
}

void TBevelFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  TChartFilter::FilterRect(Bitmap, R);
  if (Rows.empty()) return;
  const int64_t bright = FBright;  // 64 bits: a stored Bright at the limits of int must not wrap
  auto lighten = [bright](uint8_t* p) {
    for (int c = 0; c < 3; ++c) {
      const int64_t v = p[c] + bright;
      p[c] = static_cast<uint8_t>(v < 256 ? (v < 0 ? 0 : v) : 255);
    }
  };
  auto darken = [bright](uint8_t* p) {
    for (int c = 0; c < 3; ++c) {
      const int64_t v = p[c] - bright;
      p[c] = static_cast<uint8_t>(v >= 0 ? (v > 255 ? 255 : v) : 0);
    }
  };
  auto at = [this](int x, int y) { return Rows[static_cast<size_t>(y)] + 3 * static_cast<size_t>(x); };
  const int halfH = (R.Bottom - R.Top) / 2, halfW = (R.Right - R.Left) / 2;
  // Rings past the middle change nothing, so the loop ends there whatever Size says.
  const int rings = std::min(FSize, std::max(halfH, halfW));
  for (int k = 0; k < rings; ++k) {
    if (k < halfH)
      for (int x = R.Left + k; x <= R.Right - k; ++x) {
        lighten(at(x, R.Top + k));
        darken(at(x, R.Bottom - k));
      }
    if (k < halfW)
      for (int y = R.Top + k + 1; y <= R.Bottom - k; ++y) {
        lighten(at(R.Left + k, y));
        darken(at(R.Right - k, y));
      }
  }
}
void TBevelFilter::AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) {
  TChartFilter::AddEditorControls(Editor, std::move(OnChange));
  Editor->AddTrackBar("Bright", 1, 255);
  Editor->AddTrackBar("Size", 1, 1000);
}
std::string TBevelFilter::FilterTitle() { return ChartMsgBevel; }
void TBevelFilter::AssignSettings(TChartFilter* Source) {
  if (auto* f = dynamic_cast<TBevelFilter*>(Source)) {
    FBright = f->FBright;
    FSize = f->FSize;
  }
}

// ---------------------------------------------------------------------------------------------------
// Rotation

namespace {

// Byte offsets into the source (row * Stride + 3 * column) of one work row by inverse mapping, -1 where
// the rounded source point lies outside. Rounding is half to even (the 1.5 * 2^52 trick rounds as the
// processor does for the magnitudes a bitmap can have).
void MapRow(int First, int Last, int HalfDW, double Co, double Si, double YSi, double YCo, double HalfW,
            double HalfH, int W, int H, int Stride, int* Offsets) {
  const double magic = 6755399441055744.0;
  for (int c = First; c < Last; ++c) {
    const double x = static_cast<double>(c - HalfDW);
    const int sx = static_cast<int>(((x * Co - YSi + HalfW) + magic) - magic);
    const int sy = static_cast<int>(((x * Si + YCo + HalfH) + magic) - magic);
    const bool inside = static_cast<unsigned>(sx) < static_cast<unsigned>(W) && static_cast<unsigned>(sy) < static_cast<unsigned>(H);
    Offsets[c] = inside ? sy * Stride + 3 * sx : -1;
  }
}

// The work columns of one row whose source point can lie inside the source (with two pixels to spare
// for rounding): Slope * (c - HalfDW) + Offset must stay within -0.5 .. Limit - 0.5.
void Reach(double Slope, double Offset, int Limit, int HalfDW, double& Lo, double& Hi) {
  if (std::fabs(Slope) < 1e-9) {
    const bool in = Offset >= -1 && Offset <= Limit;
    Lo = in ? -1e18 : 1;
    Hi = in ? 1e18 : 0;
    return;
  }
  const double a = (-0.5 - Offset) / Slope + HalfDW, b = (Limit - 0.5 - Offset) / Slope + HalfDW;
  Lo = std::min(a, b);
  Hi = std::max(a, b);
}

}  // namespace

namespace RotateDetail {
bool WideAvailable();
int RotateRowWide(uint8_t* Dst, int First, int Last, int DW, int HalfDW, double Co, double Si, double YSi, double YCo, double HalfW,
                  double HalfH, int W, int H, int Stride, const uint8_t* Base, int LastWide, uint32_t Background);
}  // namespace RotateDetail

void TRotateFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  TChartFilter::FilterRect(Bitmap, R);
  if (Rows.empty()) return;
  // A non-finite angle has no rotation to give (and would never reduce below 360).
  if (!std::isfinite(FAngle)) throw EInvalidGraphicOperation(Format("Invalid rotation angle: %g", FAngle));
  // Whole turns come off in one exact step (repeated subtraction never ends once 360 is below the
  // spacing of doubles); a whole number of turns stays 360, as subtracting turns would leave it.
  if (FAngle > 360) {
    FAngle = std::fmod(FAngle, 360.0);
    if (FAngle == 0) FAngle = 360;
  }
  if (FAngle == 180) {
    ApplyFilterClass(FilterClassOf<TFlipFilter>(), Bitmap);
    ApplyFilterClass(FilterClassOf<TReverseFilter>(), Bitmap);
    return;
  }
  if (FAngle == 0) return;
  const int w = Bitmap->Width(), h = Bitmap->Height();
  const bool right = FAngle == 90 || FAngle == 270;
  const double a = (360 - FAngle) * static_cast<double>(0.017453292f);
  const double co = std::cos(a), si = std::sin(a);
  int64_t dw = w, dh = h;
  if (right) {
    dw = h;
    dh = w;
  } else if (FAutoSize) {
    if (si * co > 0) {
      dw = std::llabs(Round(w * co + h * si));
      dh = std::llabs(Round(w * si + h * co));
    } else {
      dw = std::llabs(Round(w * co - h * si));
      dh = std::llabs(Round(w * si - h * co));
    }
  }
  if (w <= 1 || h <= 1) return;
  CheckFilterBitmapSize(dw, dh);
  auto work = NewBitmap24(static_cast<int>(dw), static_cast<int>(dh));
  if (FBackColor == clNone) {
    work->SetTransparent(true);
  } else if (FBackColor != clWhite) {
    const uint32_t c = static_cast<uint32_t>(ColorToRGB(FBackColor));
    const uint8_t px[3] = {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)};
    for (int y = 0; y < dh; ++y) {
      uint8_t* d = PixelAt(work.get(), 0, y);
      for (int x = 0; x < dw; ++x) std::memcpy(d + 3 * x, px, 3);
    }
  }
  if (right) {
    for (int y = 0; y < h; ++y) {
      const uint8_t* s = Rows[static_cast<size_t>(y)];
      for (int x = 0; x < w; ++x) {
        uint8_t* d = FAngle == 90 ? PixelAt(work.get(), h - 1 - y, x) : PixelAt(work.get(), y, w - 1 - x);
        std::memcpy(d, s + 3 * x, 3);
      }
    }
  } else {
    std::vector<int> offsets(static_cast<size_t>(dw) + 1, -1);
    const int halfDW = static_cast<int>(dw / 2), halfDH = static_cast<int>(dh / 2);
    const uint8_t* base = Rows[0];
    const int stride = static_cast<int>(Rows[1] - Rows[0]);
    // A four-byte copy reads one byte past the pixel; the picture's last pixels are copied by three.
    const int lastWide = (h - 1) * stride + 3 * (w - 2);
    const bool wide = RotateDetail::WideAvailable();
    const uint8_t* bgPixel = PixelAt(work.get(), 0, 0);  // the background everywhere before mapping
    const uint32_t background = bgPixel[0] | uint32_t(bgPixel[1]) << 8 | uint32_t(bgPixel[2]) << 16;
    for (int r = 0; r < dh; ++r) {
      const double y = static_cast<double>(r - halfDH);
      // Pixels outside the source keep the background the work bitmap already holds.
      double lo1, hi1, lo2, hi2;
      Reach(co, -(y * si) + static_cast<double>(w / 2), w, halfDW, lo1, hi1);
      Reach(si, y * co + static_cast<double>(h / 2), h, halfDW, lo2, hi2);
      const double lo = std::max(lo1, lo2) - 2, hi = std::min(hi1, hi2) + 2;
      if (hi < 0 || lo > static_cast<double>(dw - 1) || hi < lo) continue;
      const int from = static_cast<int>(std::max(0.0, std::ceil(lo)));
      const int to = static_cast<int>(std::min(static_cast<double>(dw - 1), std::floor(hi))) + 1;
      if (to <= from) continue;
      uint8_t* d = PixelAt(work.get(), 0, r);
      int first = from;
      if (wide)
        first = RotateDetail::RotateRowWide(d, from, to, static_cast<int>(dw), halfDW, co, si, y * si, y * co,
                                            static_cast<double>(w / 2), static_cast<double>(h / 2), w, h, stride,
                                            base, lastWide, background);
      if (first >= to) continue;
      MapRow(first, to, halfDW, co, si, y * si, y * co, static_cast<double>(w / 2), static_cast<double>(h / 2), w, h,
             stride, offsets.data());
      for (int c = first; c < to; ++c) {
        const int o = offsets[static_cast<size_t>(c)];
        if (o < 0) continue;
        // Four bytes when the next work pixel is overwritten from the source anyway.
        if (c + 1 < to && offsets[static_cast<size_t>(c) + 1] >= 0 && o <= lastWide)
          std::memcpy(d + 3 * c, base + o, 4);
        else
          std::memcpy(d + 3 * c, base + o, 3);
      }
    }
  }
  Bitmap->FreeImage();
  Bitmap->SetHandle(work->ReleaseHandle());  // the work pixels, without a copy
  Bitmap->SetTransparent(work->Transparent());
  Rows.clear();  // the bitmap's rows moved
}
void TRotateFilter::AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) {
  TChartFilter::AddEditorControls(Editor, std::move(OnChange));
  Editor->AddTrackBar("Angle", 0, 360);
  Editor->AddColorButton("BackColor", ChartMsgBack);
  Editor->AddCheckBox("AutoSize", ChartMsgAutosize, nullptr);
}
std::string TRotateFilter::FilterTitle() { return ChartMsgRotate; }
void TRotateFilter::AssignSettings(TChartFilter* Source) {
  if (auto* f = dynamic_cast<TRotateFilter*>(Source)) {
    FAngle = f->FAngle;
    FAutoSize = f->FAutoSize;
    FBackColor = f->FBackColor;
  }
}

void RotateBitmapBy(TBitmap* Bitmap, double Angle) {
  TRotateFilter f(nullptr);
  f.SetAngle(Angle);
  f.FilterBitmap(Bitmap);
}
