// 3 x 3 convolution and the filters made of it (blur, sharpen, emboss, soften).
#include <algorithm>
#include <cmath>
#include <cstring>

#include "chart/ChartConst.h"
#include "chart/ChartFilters.h"
#include "chart/ChartPixelWide.h"

namespace {

// One output row from three rows of the unchanged picture, each pointing at the first output byte (the
// neighbours lie 3 bytes to each side). The definition's arithmetic as it stands: Single weights,
// the sum in the fixed order W1..W9 and its product with the Single factor in extended precision,
// rounded half to even. This is the reference the fast path is tested against.
void ConvolveLine(const uint8_t* Above, const uint8_t* Here, const uint8_t* Below, const float* W, float Factor,
                  uint8_t* Out, int Count) {
  const long double w1 = W[0], w2 = W[1], w3 = W[2], w4 = W[3], w5 = W[4], w6 = W[5], w7 = W[6], w8 = W[7],
                    w9 = W[8], f = Factor;
  for (int i = 0; i < Count; ++i) {
    long double s = w1 * Above[i - 3];
    s += w2 * Above[i];
    s += w3 * Above[i + 3];
    s += w4 * Here[i - 3];
    s += w5 * Here[i];
    s += w6 * Here[i + 3];
    s += w7 * Below[i - 3];
    s += w8 * Below[i];
    s += w9 * Below[i + 3];
    const long double v = std::nearbyint(s * f);  // NaN or beyond 255 both leave through the clamps
    Out[i] = static_cast<uint8_t>(v >= 255 ? 255 : (v > 0 ? static_cast<int>(v) : 0));
  }
}

}  // namespace

void TConvolveFilter::FilterRect(TBitmap* Bitmap, const TRect& Rect) {
  TChartFilter::FilterRect(Bitmap, Rect);
  if (Rows.empty()) return;
  long double sum = Weights[0];
  for (int i = 1; i < 9; ++i) sum += Weights[i];
  if (sum == 0) throw EZeroDivide("Floating point division by zero");
  WeightFactor = static_cast<float>(1 / sum);

  TRect r = Rect;
  r.Top = std::max(r.Top, 0);
  r.Left = std::max(r.Left, 0);
  r.Bottom = std::min(r.Bottom, Bitmap->Height() - 1);
  r.Right = std::min(r.Right, Bitmap->Width() - 1);
  if (r.Bottom - r.Top < 2 || r.Right - r.Left < 2) return;  // no interior pixel

  // Bytes of the interior of a row. Each row is written in place once its sums are done; the sums read
  // copies of the unchanged rows (the row below is still unchanged in the bitmap when it is copied).
  const int first = 3 * (r.Left + 1), count = 3 * (r.Right - r.Left - 1);
  const int span = 3 * (r.Right - r.Left + 1);
  const int base = 3 * r.Left;
  PixelDetail::IntegerConvolution exact;
  if (exact.Prepare(Weights, WeightFactor)) {
    using PixelDetail::IntegerConvolution;
    std::vector<int16_t> wide[3], sums[3];
    const bool box = exact.IsBox();
    for (int k = 0; k < 3; ++k) {
      wide[k].resize(static_cast<size_t>(span));
      if (box) sums[k].resize(static_cast<size_t>(count));
    }
    auto load = [&](int Slot, int Y) {
      // The row after is asked for now, so that it arrives while this one is convolved.
      if (Y + 1 <= r.Bottom) IntegerConvolution::Prefetch(Rows[static_cast<size_t>(Y + 1)] + base, span);
      IntegerConvolution::Widen(Rows[static_cast<size_t>(Y)] + base, wide[Slot].data(), span);
      if (box) IntegerConvolution::RowSums(wide[Slot].data(), sums[Slot].data(), count);
    };
    load(0, r.Top);
    load(1, r.Top + 1);
    int above = 0, here = 1, below = 2;
    for (int y = r.Top + 1; y <= r.Bottom - 1; ++y) {
      load(below, y + 1);
      uint8_t* out = Rows[static_cast<size_t>(y)] + first;
      if (box)
        exact.LineBox(sums[above].data(), sums[here].data(), sums[below].data(), wide[here].data() + 3, out, count);
      else
        exact.Line(wide[above].data() + 3, wide[here].data() + 3, wide[below].data() + 3, out, count);
      const int old = above;
      above = here;
      here = below;
      below = old;
    }
    return;
  }
  std::vector<uint8_t> copies[2];
  for (auto& v : copies) v.resize(static_cast<size_t>(span));
  std::memcpy(copies[0].data(), Rows[static_cast<size_t>(r.Top)] + base, static_cast<size_t>(span));
  int above = 0;
  for (int y = r.Top + 1; y <= r.Bottom - 1; ++y) {
    uint8_t* row = Rows[static_cast<size_t>(y)];
    uint8_t* here = copies[1 - above].data();
    std::memcpy(here, row + base, static_cast<size_t>(span));
    ConvolveLine(copies[above].data() + 3, here + 3, Rows[static_cast<size_t>(y + 1)] + first, Weights, WeightFactor,
                 row + first, count);
    above = 1 - above;
  }
}

void TConvolveFilter::AssignSettings(TChartFilter* Source) {
  if (auto* f = dynamic_cast<TConvolveFilter*>(Source)) {
    std::copy(f->Weights, f->Weights + 9, Weights);
    WeightFactor = f->WeightFactor;
  }
}

// ---------------------------------------------------------------------------------------------------

void TBlurFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  const float a = static_cast<float>(FAmount);
  const float w[9] = {1, 1, 1, 1, a, 1, 1, 1, 1};
  std::copy(w, w + 9, Weights);
  PrepareRows(Bitmap);
  KeepRows = true;
  try {
    for (int i = 0; i < FSteps; ++i) TConvolveFilter::FilterRect(Bitmap, R);
  } catch (...) {
    KeepRows = false;
    throw;
  }
  KeepRows = false;
}
void TBlurFilter::AddEditorControls(IFilterEditor* Editor, TNotifyEvent OnChange) {
  TChartFilter::AddEditorControls(Editor, std::move(OnChange));
  Editor->AddTrackBar("Steps", 1, 20);
  Editor->AddTrackBar("Amount", 0, 50);
}
std::string TBlurFilter::FilterTitle() { return ChartMsgBlur; }
void TBlurFilter::AssignSettings(TChartFilter* Source) {
  TConvolveFilter::AssignSettings(Source);
  if (auto* f = dynamic_cast<TBlurFilter*>(Source)) {
    FAmount = f->FAmount;
    FSteps = f->FSteps;
  }
}

void TSharpenFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  const float w[9] = {-0.125f, -0.125f, -0.125f, -0.125f, 2, -0.125f, -0.125f, -0.125f, -0.125f};
  std::copy(w, w + 9, Weights);
  TConvolveFilter::FilterRect(Bitmap, R);
}
std::string TSharpenFilter::FilterTitle() { return ChartMsgSharpen; }

void TEmbossFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  const float w[9] = {0, -1, 0, -1, 1, 1, 0, -1, 0};
  std::copy(w, w + 9, Weights);
  TConvolveFilter::FilterRect(Bitmap, R);
}
std::string TEmbossFilter::FilterTitle() { return ChartMsgEmboss; }

void TSoftenFilter::FilterRect(TBitmap* Bitmap, const TRect& R) {
  const float w[9] = {0, 0, 0, 0, 1, 1, 0, 1, 1};
  std::copy(w, w + 9, Weights);
  TConvolveFilter::FilterRect(Bitmap, R);
}
std::string TSoftenFilter::FilterTitle() { return ChartMsgAntialias; }
