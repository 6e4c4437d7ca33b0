// 3 x 3 convolution and the filters made of it (blur, sharpen, emboss, soften).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

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
  // copies of the unchanged rows above and here, and the row below straight from the bitmap (it is
  // still unchanged).
  const int first = 3 * (r.Left + 1), count = 3 * (r.Right - r.Left - 1);
  const int span = 3 * (r.Right - r.Left + 1);
  const int base = 3 * r.Left;
  PixelDetail::IntegerConvolution exact;
  const bool wide = exact.Prepare(Weights, WeightFactor);
  if (wide && exact.IsBox()) {
    // Each row's sums of three are made once and serve three output rows; a row is written over only
    // after its own sums are made, and the sums of the row below come from it unchanged.
    using PixelDetail::IntegerConvolution;
    std::vector<int16_t> sums[3];
    for (auto& v : sums) v.resize(static_cast<size_t>(count));
    IntegerConvolution::RowSums(Rows[static_cast<size_t>(r.Top)] + first, sums[0].data(), count);
    IntegerConvolution::RowSums(Rows[static_cast<size_t>(r.Top + 1)] + first, sums[1].data(), count);
    int above = 0, here = 1, below = 2;
    for (int y = r.Top + 1; y <= r.Bottom - 1; ++y) {
      exact.LineBox(sums[above].data(), sums[here].data(), sums[below].data(), Rows[static_cast<size_t>(y + 1)] + first,
                    Rows[static_cast<size_t>(y)] + first, count);
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
    const uint8_t* below = Rows[static_cast<size_t>(y + 1)] + first;
    if (wide)
      exact.Line(copies[above].data() + 3, here + 3, below, row + first, count);
    else
      ConvolveLine(copies[above].data() + 3, here + 3, below, Weights, WeightFactor, row + first, count);
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
    // Every pass works on the result of the one before, so once a pass gives back the picture it was
    // given, all later passes would too; and once a pass gives back the picture of two passes before,
    // the rest only alternate between the last two. Either way the rest of the passes are known without
    // running them (a stored Steps far beyond the editor's range would otherwise run for hours).
    const size_t rowBytes = Rows.empty() ? 0 : 3 * static_cast<size_t>(Bitmap->Width());
    std::vector<uint8_t> seen[2];  // the pictures after the last two passes (seen[i % 2] after pass i)
    auto same = [&](const std::vector<uint8_t>& Seen) {
      for (size_t y = 0; y < Rows.size(); ++y)
        if (std::memcmp(Rows[y], Seen.data() + y * rowBytes, rowBytes) != 0) return false;
      return true;
    };
    auto keep = [&](std::vector<uint8_t>& Into) {
      Into.resize(Rows.size() * rowBytes);
      for (size_t y = 0; y < Rows.size(); ++y) std::memcpy(Into.data() + y * rowBytes, Rows[y], rowBytes);
    };
    // Counts within the editor's range run as they are; beyond it each pass is compared with the two
    // before it.
    constexpr int kPlainSteps = 20;
    int kept = 0;  // how many of the passes just before this one left their picture in seen
    for (int i = 0; i < FSteps; ++i) {
      TConvolveFilter::FilterRect(Bitmap, R);
      if (FSteps <= kPlainSteps || i + 1 == FSteps || Rows.empty()) continue;
      if (kept >= 1 && same(seen[(i + 1) % 2])) break;  // this pass changed nothing
      if (kept >= 2 && same(seen[i % 2])) {
        // Alternating: an odd count of passes left ends on the picture of the pass before this one.
        if ((FSteps - 1 - i) % 2 == 1) {
          const std::vector<uint8_t>& before = seen[(i + 1) % 2];
          for (size_t y = 0; y < Rows.size(); ++y) std::memcpy(Rows[y], before.data() + y * rowBytes, rowBytes);
        }
        break;
      }
      keep(seen[i % 2]);
      kept = std::min(kept + 1, 2);
    }
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
