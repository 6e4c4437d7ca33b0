// Filters that change each pixel by itself (invert, grey, brightness, contrast, gamma, colour, HLS),
// flip and reverse, and the mosaic.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "chart/ChartConst.h"
#include "chart/ChartFilters.h"
#include "chart/ChartPixelWide.h"
#include "platform/controls/comctrls.h"

namespace {

inline uint8_t Clamp(int64_t V) { return static_cast<uint8_t>(V < 0 ? 0 : (V > 255 ? 255 : V)); }

}  // namespace

// ---------------------------------------------------------------------------------------------------

void TInvertFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  TChartFilter::FilterRect(Bitmap, R);
  if (Rows.empty()) return;
  if (ChartWidePaths) {
    PixelDetail::InvertBytes(Rows, R);
    return;
  }
  // The plain loop, the reference for the vectorised one.
  const size_t from = 3 * static_cast<size_t>(R.Left), count = 3 * static_cast<size_t>(R.Right - R.Left + 1);
  for (int y = R.Top; y <= R.Bottom; ++y) {
    uint8_t* p = Rows[static_cast<size_t>(y)] + from;
    for (size_t i = 0; i < count; ++i) p[i] = static_cast<uint8_t>(255 - p[i]);
  }
}
std::string TInvertFilter::FilterTitle() { return ChartMsgInvert; }

void TGrayScaleFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  TChartFilter::FilterRect(Bitmap, R);
  if (Rows.empty()) return;
  for (int y = R.Top; y <= R.Bottom; ++y) {
    uint8_t* p = Rows[static_cast<size_t>(y)] + 3 * static_cast<size_t>(R.Left);
    for (int x = R.Left; x <= R.Right; ++x, p += 3) {
      const int b = p[0], g = p[1], r = p[2];
      int v;
      switch (FMethod) {
        case gmEye: v = static_cast<int>(Round(0.3 * r + 0.59 * g + 0.11 * b)); break;
        case gmEye2: v = (11 * r + 16 * g + 5 * b) >> 5; break;
        default: v = (b + g + r) / 3; break;
      }
      p[0] = p[1] = p[2] = Clamp(v);
    }
  }
}
void TGrayScaleFilter::AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) {
  TChartFilter::AddEditorControls(Editor, std::move(OnChange));
  Editor->AddComboBox("Method");
}
std::string TGrayScaleFilter::FilterTitle() { return ChartMsgGrayScale; }
void TGrayScaleFilter::AssignSettings(TChartFilter* Source) {
  if (auto* f = dynamic_cast<TGrayScaleFilter*>(Source)) FMethod = f->FMethod;
}

void TFlipFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  TChartFilter::FilterRect(Bitmap, R);
  if (Rows.empty()) return;
  const size_t from = 3 * static_cast<size_t>(R.Left), count = 3 * static_cast<size_t>(R.Right - R.Left + 1);
  std::vector<uint8_t> tmp(count);
  for (int k = 0; k < (R.Bottom - R.Top + 1) / 2; ++k) {
    uint8_t* a = Rows[static_cast<size_t>(R.Top + k)] + from;
    uint8_t* b = Rows[static_cast<size_t>(R.Bottom - k)] + from;
    std::memcpy(tmp.data(), a, count);
    std::memcpy(a, b, count);
    std::memcpy(b, tmp.data(), count);
  }
}
std::string TFlipFilter::FilterTitle() { return ChartMsgFlip; }

void TReverseFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  TChartFilter::FilterRect(Bitmap, R);
  if (Rows.empty()) return;
  const int half = (R.Right - R.Left + 1) / 2;
  for (int y = R.Top; y <= R.Bottom; ++y) {
    uint8_t* row = Rows[static_cast<size_t>(y)];
    for (int k = 0; k < half; ++k) {
      uint8_t* a = row + 3 * (R.Left + k);
      uint8_t* b = row + 3 * (R.Right - k);
      std::swap(a[0], b[0]);
      std::swap(a[1], b[1]);
      std::swap(a[2], b[2]);
    }
  }
}
std::string TReverseFilter::FilterTitle() { return ChartMsgReverse; }

// ---------------------------------------------------------------------------------------------------

int TAmountFilter::AmountMin() const { return FPositiveOnly ? 0 : (FPercent ? -100 : -255); }
int TAmountFilter::AmountMax() const { return FPercent ? 100 : 255; }

void TAmountFilter::AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) {
  TChartFilter::AddEditorControls(Editor, std::move(OnChange));
  FAmountBar = Editor->AddTrackBar("Amount", AmountMin(), AmountMax());
  Editor->AddCheckBox("Percent", ChartMsgPercent, [this](TObject*) {
    if (!FAmountBar) return;
    FAmountBar->SetMin(AmountMin());
    FAmountBar->SetMax(AmountMax());
  });
}
void TAmountFilter::AssignSettings(TChartFilter* Source) {
  if (auto* f = dynamic_cast<TAmountFilter*>(Source)) {
    FPercent = f->FPercent;
    FAmount = f->FAmount;
  }
}

TMosaicFilter::TMosaicFilter(TCollection* Collection) : TAmountFilter(Collection) {
  FAmount = 8;
  FPositiveOnly = true;
}

void TMosaicFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  TChartFilter::FilterRect(Bitmap, R);
  if (Rows.empty()) return;
  const int a = FAmount;
  if (a < 1) return;
  auto block = [&](int top, int bottom, int left, int right) {
    int64_t sb = 0, sg = 0, sr = 0;
    for (int y = top; y <= bottom; ++y) {
      const uint8_t* p = Rows[static_cast<size_t>(y)] + 3 * static_cast<size_t>(left);
      for (int x = left; x <= right; ++x, p += 3) {
        sb += p[0];
        sg += p[1];
        sr += p[2];
      }
    }
    // The reciprocal is Single; the products with the sums are taken in extended precision (exact).
    const long double f = 1.0f / static_cast<float>(int64_t(bottom - top + 1) * (right - left + 1));
    const uint8_t b = Clamp(Round(static_cast<long double>(sb) * f)), g = Clamp(Round(static_cast<long double>(sg) * f)),
                  r = Clamp(Round(static_cast<long double>(sr) * f));
    for (int y = top; y <= bottom; ++y) {
      uint8_t* p = Rows[static_cast<size_t>(y)] + 3 * static_cast<size_t>(left);
      for (int x = left; x <= right; ++x, p += 3) {
        p[0] = b;
        p[1] = g;
        p[2] = r;
      }
    }
  };
  auto band = [&](int top, int bottom) {
    int64_t b = R.Left;
    for (; b < int64_t(R.Right) - a; b += a) block(top, bottom, int(b), int(b + a - 1));
    if (b < R.Right) block(top, bottom, int(b), R.Right);
  };
  int64_t c = R.Top;
  for (; c < int64_t(R.Bottom) - a; c += a) band(int(c), int(c + a - 1));
  if (c < R.Bottom) band(int(c), R.Bottom);
}
std::string TMosaicFilter::FilterTitle() { return ChartMsgMosaic; }

void TBrightnessFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  if (FAmount == 0) return;  // not even converted to 24 bits
  TChartFilter::FilterRect(Bitmap, R);
  if (Rows.empty()) return;
  // Only the factor is Single; its product with 255 is taken in extended precision.
  const int64_t d = Percent() ? Round(static_cast<long double>(static_cast<float>(FAmount * 0.01)) * 255) : FAmount;
  PixelDetail::ShiftChannels(Rows, R, d, d, d);
}
std::string TBrightnessFilter::FilterTitle() { return ChartMsgBrightness; }

void TContrastFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  TChartFilter::FilterRect(Bitmap, R);
  if (Rows.empty()) return;
  uint8_t table[256];
  if (Percent()) {
    // A Single factor; v times it in extended precision.
    const long double f = static_cast<float>(FAmount * 0.01);
    for (int v = 0; v < 256; ++v) table[v] = Clamp(v + (Round(v * f) * int64_t(v - 128)) / 256);
  } else {
    for (int v = 0; v < 256; ++v) table[v] = Clamp(v + (int64_t(FAmount) * (v - 128)) / 256);
  }
  PixelDetail::MapBytes(Rows, R, table);
}
std::string TContrastFilter::FilterTitle() { return ChartMsgContrast; }

TGammaCorrectionFilter::TGammaCorrectionFilter(TCollection* Collection) : TAmountFilter(Collection) {
  FAmount = 70;
  FPositiveOnly = true;
}

void TGammaCorrectionFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  TChartFilter::FilterRect(Bitmap, R);
  if (Rows.empty()) return;
  const float g = static_cast<float>(std::max(std::abs(double(FAmount)) * 0.01, 0.001));
  uint8_t table[256];
  table[0] = 0;
  for (int i = 1; i < 256; ++i) table[i] = Clamp(Round(255 * std::exp(std::log(i / 255.0) / g)));
  PixelDetail::MapBytes(Rows, R, table);
}
std::string TGammaCorrectionFilter::FilterTitle() { return ChartMsgGammaCorrection; }

void TColorFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  TChartFilter::FilterRect(Bitmap, R);
  if (Rows.empty()) return;
  if (FRed == 0 && FGreen == 0 && FBlue == 0) return;
  PixelDetail::ShiftChannels(Rows, R, FBlue, FGreen, FRed);
}
void TColorFilter::AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) {
  TChartFilter::AddEditorControls(Editor, std::move(OnChange));
  Editor->AddTrackBar("Red", -255, 255);
  Editor->AddTrackBar("Green", -255, 255);
  Editor->AddTrackBar("Blue", -255, 255);
}
std::string TColorFilter::FilterTitle() { return ChartMsgColor; }
void TColorFilter::AssignSettings(TChartFilter* Source) {
  if (auto* f = dynamic_cast<TColorFilter*>(Source)) {
    FRed = f->FRed;
    FGreen = f->FGreen;
    FBlue = f->FBlue;
  }
}

// ---------------------------------------------------------------------------------------------------
// Hue, lightness and saturation on 0..240

void RgbToHls(int R, int G, int B, uint16_t& H, uint16_t& L, uint16_t& S) {
  const float mx = static_cast<float>(std::max({R, G, B})), mn = static_cast<float>(std::min({R, G, B}));
  const float s2 = mx + mn;
  float l = (s2 * 240 + 255) / 510;
  if (mx == mn) {
    H = 160;
    L = static_cast<uint16_t>(Round(l));
    S = 0;
    return;
  }
  const float d = mx - mn;
  float s = l <= 120 ? (d * 240 + s2 / 2) / s2 : (d * 240 + (510 - s2) / 2) / (510 - s2);
  const float rd = ((mx - R) * 40 + d / 2) / d;
  const float gd = ((mx - G) * 40 + d / 2) / d;
  const float bd = ((mx - B) * 40 + d / 2) / d;
  float h;
  if (static_cast<float>(R) == mx)
    h = bd - gd;
  else if (static_cast<float>(G) == mx)
    h = 80 + rd - bd;
  else
    h = 160 + gd - rd;
  if (h < 0)
    h += 240;
  else if (h > 240)
    h -= 240;
  H = static_cast<uint16_t>(Round(h));
  L = static_cast<uint16_t>(Round(l));
  S = static_cast<uint16_t>(Round(s));
}

void HlsToRgb(int H, int L, int S, uint8_t& R, uint8_t& G, uint8_t& B) {
  if (S == 0) {
    R = G = B = static_cast<uint8_t>(std::min<int64_t>(255, Round(static_cast<float>(L) * 255 / 240)));
    return;
  }
  const float l = static_cast<float>(L), s = static_cast<float>(S);
  const float m2 = L <= 120 ? (l * (s + 240) + 120) / 240 : l + s - (l * s + 120) / 240;
  const float m1 = 2 * l - m2;
  auto channel = [&](float x) -> uint8_t {
    if (x < 0)
      x += 240;
    else if (x > 240)
      x -= 240;
    int64_t v;
    if (x < 40)
      v = Round(m1 + ((m2 - m1) * x + 20) / 40);
    else if (x < 120)
      v = Round(m2);
    else if (x < 160)
      v = Round(m1 + ((m2 - m1) * (160 - x) + 20) / 40);
    else
      v = Round(m1);
    return Clamp(Round((static_cast<float>(v) * 255 + 120) / 240));
  };
  R = channel(static_cast<float>(H + 80));
  G = channel(static_cast<float>(H));
  B = channel(static_cast<float>(H - 80));
}

void THueLumSatFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  TChartFilter::FilterRect(Bitmap, R);
  if (Rows.empty()) return;
  if (FHue == 0 && FLuminance == 0 && FSaturation == 0) return;
  for (int y = R.Top; y <= R.Bottom; ++y) {
    uint8_t* p = Rows[static_cast<size_t>(y)] + 3 * static_cast<size_t>(R.Left);
    for (int x = R.Left; x <= R.Right; ++x, p += 3) {
      uint16_t h, l, s;
      RgbToHls(p[2], p[1], p[0], h, l, s);
      int64_t hh = h, ll = l, ss = s;
      if (FHue != 0) hh = Clamp(hh + FHue);
      if (FLuminance != 0) ll = Clamp(ll + FLuminance);
      if (FSaturation != 0) ss = Clamp(ss + FSaturation);
      HlsToRgb(int(hh), int(ll), int(ss), p[2], p[1], p[0]);
    }
  }
}
void THueLumSatFilter::AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) {
  TChartFilter::AddEditorControls(Editor, std::move(OnChange));
  Editor->AddTrackBar("Hue", -255, 255);
  Editor->AddTrackBar("Luminance", -255, 255);
  Editor->AddTrackBar("Saturation", -255, 255);
}
std::string THueLumSatFilter::FilterTitle() { return ChartMsgHueLumSat; }
void THueLumSatFilter::AssignSettings(TChartFilter* Source) {
  if (auto* f = dynamic_cast<THueLumSatFilter*>(Source)) {
    FHue = f->FHue;
    FLuminance = f->FLuminance;
    FSaturation = f->FSaturation;
  }
}
