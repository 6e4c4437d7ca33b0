// The vectorised paths and the plain loops give the same pixels, for every filter that has both.
#include <random>

#include "chart/ChartPixelWide.h"
#include "chart/ChartResample.h"
#include "platform/win/testing.h"
#include "tests/chart/chart_fixture.h"

namespace {

// Runs Work on a copy of Source with the wide paths at each width of vectors the processor offers, and
// once without them; the results must match.
void BothPaths(TBitmap* Source, const std::function<void(TBitmap*)>& Work, const std::string& What) {
  struct TRestore {
    ~TRestore() {
      ChartWidePaths = true;
      ChartWidestVectors = 512;
    }
  } restore;
  TBitmap plain;
  plain.Assign(Source);
  ChartWidePaths = false;
  Work(&plain);
  ChartWidePaths = true;
  for (int bits : {512, 256}) {
    ChartWidestVectors = bits;
    TBitmap wide;
    wide.Assign(Source);
    Work(&wide);
    EXPECT_TRUE(SamePixels(&wide, &plain)) << What << " with " << bits << "-bit vectors";
  }
}

TEST(WidePaths, AgreeWithThePlainLoops) {
  std::mt19937 rng(21);
  auto src = MakeBitmap(203, 37, [&](int, int) { return Rgb{int(rng() % 256), int(rng() % 256), int(rng() % 256)}; });
  for (auto [w, h] : {std::pair{64, 17}, {411, 81}, {2, 3}, {203, 37}, {37, 203}})
    for (bool fast : {false, true})
      BothPaths(src.get(), [&](TBitmap* b) {
        auto dst = MakeBitmap(w, h, [](int, int) { return Rgb{}; });
        StretchSmoothQuality(b, dst.get(), fast);
        b->Assign(dst.get());
      }, Format("stretch to %dx%d", w, h));
  for (double angle : {30.0, -12.5, 200.0, 90.0})
    BothPaths(src.get(), [&](TBitmap* b) { RotateBitmapBy(b, angle); }, Format("rotate %g", angle));
  std::vector<std::pair<std::string, std::function<void(TBitmap*)>>> filters = {
      {"brightness", [](TBitmap* b) { auto f = NewFilter<TBrightnessFilter>(); f->SetAmount(-20); f->FilterBitmap(b); }},
      {"contrast", [](TBitmap* b) { auto f = NewFilter<TContrastFilter>(); f->SetAmount(45); f->FilterBitmap(b); }},
      {"gamma", [](TBitmap* b) { NewFilter<TGammaCorrectionFilter>()->FilterBitmap(b); }},
      {"color", [](TBitmap* b) { auto f = NewFilter<TColorFilter>(); f->SetGreen(77); f->SetRed(-5); f->FilterBitmap(b); }},
      {"sharpen", [](TBitmap* b) { NewFilter<TSharpenFilter>()->FilterBitmap(b); }},
      {"emboss", [](TBitmap* b) { NewFilter<TEmbossFilter>()->FilterBitmap(b); }},
      {"soften", [](TBitmap* b) { NewFilter<TSoftenFilter>()->FilterBitmap(b); }},
      {"blur", [](TBitmap* b) { auto f = NewFilter<TBlurFilter>(); f->SetSteps(2); f->SetAmount(5); f->FilterBitmap(b); }},
  };
  for (auto& [name, f] : filters) BothPaths(src.get(), f, name);
}

// The convolutions, the invert and the blur amounts whose Single products fall on ties (Amount 2: the
// factor 0.1 in Single) on odd sizes, whole bitmaps and regions whose edges cut rows at odd columns.
TEST(WidePaths, ConvolutionsAndInvertAgreeOnOddSizesAndRegions) {
  std::mt19937 rng(7);
  const std::vector<std::string> kinds = {"invert", "sharpen", "emboss", "soften", "blur 1",
                                          "blur 2", "blur 7",  "blur -3", "custom 0", "custom 1",
                                          "custom 2", "custom 3", "custom 4", "custom 5", "custom 6"};
  auto make = [](const std::string& Kind) -> std::unique_ptr<TChartFilter> {
    if (Kind == "invert") return NewFilter<TInvertFilter>();
    if (Kind == "sharpen") return NewFilter<TSharpenFilter>();
    if (Kind == "emboss") return NewFilter<TEmbossFilter>();
    if (Kind == "soften") return NewFilter<TSoftenFilter>();
    // Weights that take each way of summing and of rounding: mixed eighths, a box of twos, ones and
    // minus ones with a shift, whole weights with a shift, negative sums with a factor of 1/7, and
    // sums too wide for a 16-bit multiplier, rounded through Single (1/35) and through Double (1/10,
    // where Single products fall on ties).
    const float custom[7][9] = {{0.5f, -0.25f, 1, 0.125f, 3, -1, 0, 2, -0.375f},
                                {2, 2, 2, 2, 5, 2, 2, 2, 2},
                                {1, 0, -1, 1, 1, 0, 0, 1, 1},
                                {2, 1, 0, 1, 0, 0, 0, 0, 0},
                                {-1, 3, 0, 2, 1, 0, 0, 3, -1},
                                {1, 2, 3, 4, 5, 6, 7, 8, -1},
                                {12, 12, 12, 12, -44, 12, 12, -8, 0}};
    if (Kind.rfind("custom", 0) == 0) {
      auto c = NewFilter<TConvolveFilter>();
      const float* w = custom[std::stoi(Kind.substr(7))];
      std::copy(w, w + 9, c->Weights);
      return c;
    }
    auto b = NewFilter<TBlurFilter>();
    b->SetAmount(std::stoi(Kind.substr(5)));
    return b;
  };
  for (auto [w, h] : {std::pair{3, 3}, {4, 5}, {11, 3}, {13, 7}, {45, 9}, {203, 37}})
    for (int region = 0; region < 2; ++region) {
      auto src = MakeBitmap(w, h, [&](int, int) { return Rgb{int(rng() % 256), int(rng() % 256), int(rng() % 256)}; });
      for (const std::string& kind : kinds)
        BothPaths(src.get(), [&, region](TBitmap* b) {
          auto f = make(kind);
          if (region) {
            f->Region()->SetLeft(1);
            f->Region()->SetTop(1);
            f->Region()->SetWidth(std::max(1, w - 3));
            f->Region()->SetHeight(std::max(1, h - 2));
          }
          f->FilterBitmap(b);
        }, Format("%s on %dx%d, region %d", kind, w, h, region));
    }
}

// The filters with wide paths, made afresh for each run.
std::vector<std::pair<std::string, std::function<std::unique_ptr<TChartFilter>()>>> WideFilters() {
  auto custom = [](std::initializer_list<float> W) {
    return [w = std::vector<float>(W)]() -> std::unique_ptr<TChartFilter> {
      auto c = NewFilter<TConvolveFilter>();
      std::copy(w.begin(), w.end(), c->Weights);
      return c;
    };
  };
  return {
      {"invert", [] { return NewFilter<TInvertFilter>(); }},
      {"brightness", []() -> std::unique_ptr<TChartFilter> { auto f = NewFilter<TBrightnessFilter>(); f->SetAmount(-20); return f; }},
      {"color", []() -> std::unique_ptr<TChartFilter> { auto f = NewFilter<TColorFilter>(); f->SetGreen(77); f->SetRed(-5); return f; }},
      {"gamma", [] { return NewFilter<TGammaCorrectionFilter>(); }},
      {"sharpen", [] { return NewFilter<TSharpenFilter>(); }},
      {"emboss", [] { return NewFilter<TEmbossFilter>(); }},
      {"blur 5", []() -> std::unique_ptr<TChartFilter> { auto f = NewFilter<TBlurFilter>(); f->SetAmount(5); return f; }},
      {"blur -1", []() -> std::unique_ptr<TChartFilter> { auto f = NewFilter<TBlurFilter>(); f->SetAmount(-1); return f; }},
      {"custom mixed", custom({0.5f, -0.25f, 1, 0.125f, 3, -1, 0, 2, -0.375f})},
      {"custom wide", custom({12, 12, 12, 12, -44, 12, 12, -8, 0})},
      {"custom single", custom({1, 2, 3, 4, 5, 6, 7, 8, -1})},
  };
}

// Every wide path on a picture of any size: the filters on the whole picture, and on a region that
// starts at column 1 and ends one column short of the right edge; rotation; stretches both ways.
std::vector<std::pair<std::string, std::function<void(TBitmap*)>>> EveryWidePath(int W, int H) {
  std::vector<std::pair<std::string, std::function<void(TBitmap*)>>> all;
  for (const auto& [name, make] : WideFilters()) {
    all.push_back({name, [make = make](TBitmap* b) { make()->FilterBitmap(b); }});
    if (W >= 4)
      all.push_back({name + " region", [make = make, W, H](TBitmap* b) {
                       auto f = make();
                       f->Region()->SetLeft(1);
                       f->Region()->SetTop(1);
                       f->Region()->SetWidth(W - 3);  // right = left + width: column W - 2
                       f->Region()->SetHeight(H - 1);
                       f->FilterBitmap(b);
                     }});
  }
  // Angles that bring the picture's last pixel to the side of the work picture and to its top or bottom.
  for (double angle : {30.0, -12.5, 120.0, 250.0}) all.push_back({Format("rotate %g", angle), [angle](TBitmap* b) { RotateBitmapBy(b, angle); }});
  for (auto [dw, dh] : {std::pair{7, 9}, {-5, 1}, {0, -2}})
    all.push_back({Format("stretch by %d x %d", dw, dh), [dw = dw, dh = dh, W, H](TBitmap* b) {
                     auto dst = MakeBitmap(std::max(1, W + dw), std::max(1, H + dh), [](int, int) { return Rgb{}; });
                     StretchSmoothQuality(b, dst.get(), false);
                     b->Assign(dst.get());
                   }});
  return all;
}

// Every new bitmap's pixels end where an inaccessible page starts, while it lives.
struct TGuardedEnds {
  TGuardedEnds() { win::GuardPixelEnds(true); }
  ~TGuardedEnds() { win::GuardPixelEnds(false); }
};

// Row lengths across one whole step of the widest vectors: 64 widths give every remainder of a row's
// bytes by the 64-byte vectors and by the 96-byte steps of the channel shifts. Every bitmap ends on an
// inaccessible page, so a read or write past the last row faults.
TEST(WidePaths, AgreeForEveryRowLengthAcrossAWholeVectorStep) {
  TGuardedEnds guard;
  std::mt19937 rng(41);
  for (int w = 1; w <= 66; ++w) {
    const int h = 3 + w % 3;
    auto src = MakeBitmap(w, h, [&](int, int) { return Rgb{int(rng() % 256), int(rng() % 256), int(rng() % 256)}; });
    for (const auto& [name, work] : EveryWidePath(w, h)) BothPaths(src.get(), work, Format("%s on %dx%d", name, w, h));
  }
}

// Rows of 4096 pixels are three pages each: every row ends on a page boundary, and the last one where
// the inaccessible page after the picture begins.
TEST(WidePaths, RowsEndingOnAPageBoundaryBeforeAnInaccessiblePage) {
  TGuardedEnds guard;
  std::mt19937 rng(5);
  auto src = MakeBitmap(4096, 5, [&](int, int) { return Rgb{int(rng() % 256), int(rng() % 256), int(rng() % 256)}; });
  ASSERT_EQ(src->ScanLineStride() % 4096, 0);
  for (const auto& [name, work] : EveryWidePath(4096, 5)) BothPaths(src.get(), work, name + " on 4096 x 5");
}

}  // namespace
