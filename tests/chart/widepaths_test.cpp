// The vectorised paths and the plain loops give the same pixels, for every filter that has both.
#include <random>

#include "chart/ChartPixelWide.h"
#include "chart/ChartResample.h"
#include "tests/chart/chart_fixture.h"

namespace {

// Runs Work on a copy of Source once with the wide paths and once without; the results must match.
void BothPaths(TBitmap* Source, const std::function<void(TBitmap*)>& Work, const std::string& What) {
  TBitmap wide, plain;
  wide.Assign(Source);
  plain.Assign(Source);
  Work(&wide);
  ChartWidePaths = false;
  try {
    Work(&plain);
  } catch (...) {
    ChartWidePaths = true;
    throw;
  }
  ChartWidePaths = true;
  EXPECT_TRUE(SamePixels(&wide, &plain)) << What;
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

}  // namespace
