// A sheet for a person to look at: one photograph-like picture through each of the 21 filters, with
// each filter's title under its cell.
#include <cmath>
#include <cstdlib>
#include <random>

#include "platform/graphics/pictures.h"
#include "tests/chart/chart_fixture.h"

namespace {

// Sky, a soft sun, two rows of hills, a house and grainy grass.
std::unique_ptr<TBitmap> Landscape(int W, int H) {
  std::mt19937 rng(7);
  return MakeBitmap(W, H, [&](int x, int y) {
    const double fx = double(x) / W, fy = double(y) / H;
    Rgb c{int(90 + 120 * fy), int(140 + 90 * fy), int(235 - 20 * fy)};
    const double sun = std::hypot(fx - 0.75, fy - 0.22) * W;
    if (sun < 20) c = {255, 230, 120};
    else if (sun < 30) {
      const double t = (sun - 20) / 10;
      c = {int(255 * (1 - t) + c.r * t), int(230 * (1 - t) + c.g * t), int(120 * (1 - t) + c.b * t)};
    }
    const double far = 0.55 + 0.08 * std::sin(fx * 9.0);
    const double near = 0.72 + 0.06 * std::sin(fx * 5.0 + 1.3);
    if (fy > far) c = {70, 110 + int(40 * (fy - far)), 80};
    if (fy > near) {
      const int n = int(rng() % 40);
      c = {40 + n, 130 + n + int(60 * (fy - near)), 40 + n / 2};
    }
    if (fx > 0.18 && fx < 0.38 && fy > 0.55 && fy < 0.8) c = {180, 60, 50};    // wall
    if (fx > 0.25 && fx < 0.31 && fy > 0.66 && fy < 0.8) c = {90, 50, 30};     // door
    if (fy > 0.42 && fy <= 0.55 && std::abs(fx - 0.28) < (fy - 0.42) * 0.9) c = {120, 40, 40};  // roof
    return c;
  });
}

struct Setting {
  TFilterClass cls;
  std::function<void(TChartFilter*)> set;
};

TEST(FilterSheet, EveryFilterOnOnePicture) {
  const int cw = 200, ch = 150, label = 22, cols = 6;
  auto photo = Landscape(cw, ch);
  const std::vector<Setting> settings = {
      {FilterClassOf<TInvertFilter>(), nullptr},
      {FilterClassOf<TGrayScaleFilter>(), [](TChartFilter* f) { static_cast<TGrayScaleFilter*>(f)->SetMethod(gmEye); }},
      {FilterClassOf<TMosaicFilter>(), nullptr},
      {FilterClassOf<TFlipFilter>(), nullptr},
      {FilterClassOf<TReverseFilter>(), nullptr},
      {FilterClassOf<TBrightnessFilter>(), [](TChartFilter* f) { static_cast<TAmountFilter*>(f)->SetAmount(30); }},
      {FilterClassOf<TContrastFilter>(), [](TChartFilter* f) { static_cast<TAmountFilter*>(f)->SetAmount(80); }},
      {FilterClassOf<TColorFilter>(), [](TChartFilter* f) { static_cast<TColorFilter*>(f)->SetRed(80); }},
      {FilterClassOf<THueLumSatFilter>(), [](TChartFilter* f) { static_cast<THueLumSatFilter*>(f)->SetHue(60); }},
      {FilterClassOf<TBlurFilter>(), [](TChartFilter* f) { static_cast<TBlurFilter*>(f)->SetSteps(4); }},
      {FilterClassOf<TSharpenFilter>(), nullptr},
      {FilterClassOf<TGammaCorrectionFilter>(), [](TChartFilter* f) { static_cast<TAmountFilter*>(f)->SetAmount(45); }},
      {FilterClassOf<TEmbossFilter>(), nullptr},
      {FilterClassOf<TSoftenFilter>(), nullptr},
      {FilterClassOf<TCropFilter>(), [](TChartFilter* f) {
         auto* c = static_cast<TCropFilter*>(f);
         c->SetLeft(30);
         c->SetTop(70);
         c->SetWidth(60);
         c->SetHeight(45);
         c->SetSmooth(true);
       }},
      {FilterClassOf<TResizeFilter>(), [](TChartFilter* f) {
         static_cast<TResizeFilter*>(f)->SetWidth(120);
         static_cast<TResizeFilter*>(f)->SetHeight(60);
       }},
      {FilterClassOf<TRotateFilter>(), [](TChartFilter* f) { static_cast<TRotateFilter*>(f)->SetAngle(30); }},
      {FilterClassOf<TMirrorFilter>(), [](TChartFilter* f) { static_cast<TMirrorFilter*>(f)->SetDirection(mdRight); }},
      {FilterClassOf<TTileFilter>(), nullptr},
      {FilterClassOf<TBevelFilter>(), nullptr},
      {FilterClassOf<TZoomFilter>(), [](TChartFilter* f) { static_cast<TZoomFilter*>(f)->SetPercent(40); }},
  };
  ASSERT_EQ(settings.size(), 21u);
  const int cells = 22, rows = (cells + cols - 1) / cols;
  TBitmap sheet;
  sheet.SetPixelFormat(pf24bit);
  sheet.SetSize(cols * (cw + 8) + 8, rows * (ch + label + 8) + 8);
  sheet.Canvas()->Brush()->SetColor(0x303030);
  sheet.Canvas()->FillRect(TRect(0, 0, sheet.Width(), sheet.Height()));
  sheet.Canvas()->Brush()->SetStyle(bsClear);
  sheet.Canvas()->Font()->SetColor(clWhite);
  sheet.Canvas()->Font()->SetName("DejaVu Sans");
  sheet.Canvas()->Font()->SetHeight(-13);

  for (int i = 0; i < cells; ++i) {
    TBitmap cell;
    cell.Assign(photo.get());
    std::string title = "Original";
    if (i > 0) {
      std::unique_ptr<TChartFilter> f(settings[size_t(i - 1)].cls->Create(nullptr));
      if (settings[size_t(i - 1)].set) settings[size_t(i - 1)].set(f.get());
      f->FilterBitmap(&cell);
      title = f->FilterTitle() + Format(" (%dx%d)", cell.Width(), cell.Height());
    }
    // Bitmaps that changed size are fitted into the cell, keeping their proportions.
    const double k = std::min({1.0, double(cw) / cell.Width(), double(ch) / cell.Height()});
    auto shown = CreateSmoothCopy(&cell, int(cell.Width() * k), int(cell.Height() * k));
    const int x = 8 + (i % cols) * (cw + 8), y = 8 + (i / cols) * (ch + label + 8);
    sheet.Canvas()->Draw(x + (cw - shown->Width()) / 2, y + (ch - shown->Height()) / 2, shown.get());
    sheet.Canvas()->TextOut(x + 2, y + ch + 3, title);
  }
  // The first cell is the photograph itself; the invert cell is its negative.
  EXPECT_EQ(PixelOf(&sheet, 8 + 5, 8 + 5), PixelOf(photo.get(), 5, 5));
  Rgb o = PixelOf(photo.get(), 5, 5), inv = PixelOf(&sheet, 8 + cw + 8 + 5, 8 + 5);
  EXPECT_EQ(inv, (Rgb{255 - o.r, 255 - o.g, 255 - o.b}));

  const char* dir = std::getenv("TRESSORA_ARTIFACTS");
  if (!dir) GTEST_SKIP() << "TRESSORA_ARTIFACTS not set";
  TPngImage png;
  png.Assign(&sheet);
  png.SaveToFile(std::string(dir) + "/chart_filters_sheet.png");
}

}  // namespace
