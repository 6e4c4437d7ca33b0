// 3 x 3 convolution and the filters made of it (blur, sharpen, emboss, soften).
#include <algorithm>
#include <cstring>

#include "chart/ChartConst.h"
#include "chart/ChartFilters.h"
#include "chart/ChartPixelWide.h"

namespace {

// One output row of channel bytes from three source rows already widened to Single. The sum runs in
// the fixed order W1..W9 so every build gives the same pixels; rounding is half to even (the 1.5 * 2^23
// trick rounds as the processor does; values past 2^22 are clamped anyway).
__attribute__((target_clones("avx2", "default"))) void ConvolveLine(const float* Above, const float* Here,
                                                                    const float* Below, const float* W,
                                                                    float Factor, uint8_t* Out, int Count) {
  const float w1 = W[0], w2 = W[1], w3 = W[2], w4 = W[3], w5 = W[4], w6 = W[5], w7 = W[6], w8 = W[7], w9 = W[8];
  const float magic = 12582912.0f;
  for (int i = 0; i < Count; ++i) {
    float s = w1 * Above[i - 3];
    s += w2 * Above[i];
    s += w3 * Above[i + 3];
    s += w4 * Here[i - 3];
    s += w5 * Here[i];
    s += w6 * Here[i + 3];
    s += w7 * Below[i - 3];
    s += w8 * Below[i];
    s += w9 * Below[i + 3];
    float v = s * Factor;
    v = (v + magic) - magic;
    v = v < 0 ? 0 : v;
    v = v > 255 ? 255 : v;
    Out[i] = static_cast<uint8_t>(static_cast<int>(v));
  }
}

__attribute__((target_clones("avx2", "default"))) void Widen(const uint8_t* From, float* To, int Count) {
  for (int i = 0; i < Count; ++i) To[i] = static_cast<float>(From[i]);
}

__attribute__((target_clones("avx2", "default"))) void Widen16(const uint8_t* From, int16_t* To, int Count) {
  for (int i = 0; i < Count; ++i) To[i] = From[i];
}

// Sums of each channel value with its left and right neighbours (3 values apart).
__attribute__((target_clones("avx2", "default"))) void RowSums(const int16_t* Row, int16_t* To, int Count) {
  for (int i = 0; i < Count; ++i) To[i] = static_cast<int16_t>(Row[i] + Row[i + 3] + Row[i + 6]);
}

}  // namespace

void TConvolveFilter::FilterRect(TBitmap* Bitmap, const TRect& Rect) {
  TChartFilter::FilterRect(Bitmap, Rect);
  if (Rows.empty()) return;
  float sum = Weights[0];
  for (int i = 1; i < 9; ++i) sum += Weights[i];
  if (sum == 0) throw EZeroDivide("Floating point division by zero");
  WeightFactor = 1 / sum;

  TRect r = Rect;
  r.Top = std::max(r.Top, 0);
  r.Left = std::max(r.Left, 0);
  r.Bottom = std::min(r.Bottom, Bitmap->Height() - 1);
  r.Right = std::min(r.Right, Bitmap->Width() - 1);
  if (r.Bottom - r.Top < 2 || r.Right - r.Left < 2) return;  // no interior pixel

  // Bytes of the interior of a row, and the widened source rows around the one being written; the
  // rows are read before they are overwritten, so the sums see the unchanged picture.
  const int first = 3 * (r.Left + 1), count = 3 * (r.Right - r.Left - 1);
  const int span = 3 * (r.Right - r.Left + 1);
  const int base = 3 * r.Left;
  std::vector<uint8_t> out(static_cast<size_t>(count));
  PixelDetail::IntegerConvolution exact;
  if (exact.Prepare(Weights, WeightFactor)) {
    std::vector<int16_t> rows16[3];
    for (auto& v : rows16) v.resize(static_cast<size_t>(span));
    Widen16(Rows[static_cast<size_t>(r.Top)] + base, rows16[0].data(), span);
    Widen16(Rows[static_cast<size_t>(r.Top + 1)] + base, rows16[1].data(), span);
    const bool box = exact.IsBox();
    std::vector<int16_t> sums[3];
    if (box) {
      for (int k = 0; k < 3; ++k) sums[k].resize(static_cast<size_t>(count));
      RowSums(rows16[0].data(), sums[0].data(), count);
      RowSums(rows16[1].data(), sums[1].data(), count);
    }
    int above = 0, here = 1, below = 2;
    for (int y = r.Top + 1; y <= r.Bottom - 1; ++y) {
      Widen16(Rows[static_cast<size_t>(y + 1)] + base, rows16[below].data(), span);
      if (box) {
        RowSums(rows16[below].data(), sums[below].data(), count);
        exact.LineBox(sums[above].data(), sums[here].data(), sums[below].data(), rows16[here].data() + 3, out.data(),
                      count);
      } else {
        exact.Line(rows16[above].data() + 3, rows16[here].data() + 3, rows16[below].data() + 3, out.data(), count);
      }
      std::memcpy(Rows[static_cast<size_t>(y)] + first, out.data(), static_cast<size_t>(count));
      const int old = above;
      above = here;
      here = below;
      below = old;
    }
    return;
  }
  std::vector<float> rows[3];
  for (auto& v : rows) v.resize(static_cast<size_t>(span));
  Widen(Rows[static_cast<size_t>(r.Top)] + base, rows[0].data(), span);
  Widen(Rows[static_cast<size_t>(r.Top + 1)] + base, rows[1].data(), span);
  int above = 0, here = 1, below = 2;
  for (int y = r.Top + 1; y <= r.Bottom - 1; ++y) {
    Widen(Rows[static_cast<size_t>(y + 1)] + base, rows[below].data(), span);
    ConvolveLine(rows[above].data() + 3, rows[here].data() + 3, rows[below].data() + 3, Weights, WeightFactor,
                 out.data(), count);
    std::memcpy(Rows[static_cast<size_t>(y)] + first, out.data(), static_cast<size_t>(count));
    const int old = above;
    above = here;
    here = below;
    below = old;
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
