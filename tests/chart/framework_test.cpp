// The filter framework: regions, rows, filter lists, copies and the editor calls.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/controls/comctrls.h"
#include "tests/chart/chart_fixture.h"

namespace {

struct RegionCase {
  int left, top, width, height;
  int w, h;
  TRect expected;
  bool empty;
};

TEST(FilterRegion, ResolvesAgainstTheBitmap) {
  const RegionCase cases[] = {
      {0, 0, 0, 0, 100, 50, TRect(0, 0, 99, 49), false},     // whole bitmap
      {10, 0, 5, 0, 100, 50, TRect(10, 0, 15, 49), false},    // Width 5 pins six columns
      {0, 20, 0, 5, 100, 50, TRect(0, 20, 99, 25), false},
      {90, 40, 50, 50, 100, 50, TRect(90, 40, 99, 49), false},  // limited to the bitmap
      // Left beyond the width: Right comes out as Left itself, which lies outside: nothing to do.
      {120, 0, 0, 0, 100, 50, TRect(120, 0, 99, 49), true},
      // Negative corners are cut at the bitmap's edge (they used to reach before the first row).
      {-5, -3, 10, 6, 100, 50, TRect(0, 0, 5, 3), false},
      {-20, 0, 10, 0, 100, 50, TRect(0, 0, -10, 49), true},
  };
  for (const auto& c : cases) {
    TChartFilter f(nullptr);
    f.Region()->SetLeft(c.left);
    f.Region()->SetTop(c.top);
    f.Region()->SetWidth(c.width);
    f.Region()->SetHeight(c.height);
    TRect r = f.ResolveRegion(c.w, c.h);
    EXPECT_EQ(r.Left, c.expected.Left) << c.left << "," << c.top;
    EXPECT_EQ(r.Top, c.expected.Top) << c.left << "," << c.top;
    EXPECT_EQ(r.Right, std::min(c.expected.Right, c.w - 1)) << c.left << "," << c.top;
    EXPECT_EQ(r.Bottom, c.expected.Bottom) << c.left << "," << c.top;
    EXPECT_EQ(r.Right < r.Left || r.Bottom < r.Top, c.empty) << c.left << "," << c.top;
  }
}

TEST(FilterRegion, IsMadeOnFirstReadOnly) {
  TInvertFilter f(nullptr);
  EXPECT_FALSE(f.HasRegion());
  EXPECT_EQ(f.ResolveRegion(4, 3), TRect(0, 0, 3, 2));
  f.Region();
  EXPECT_TRUE(f.HasRegion());
}

TEST(FilterRegion, OutsideRegionsLeaveEveryPixelAlone) {
  // Before the mend these wrote before row 0 and past the row ends.
  auto b = MakeBitmap(10, 10, Distinct);
  auto orig = MakeBitmap(10, 10, Distinct);
  for (auto [l, t] : {std::pair{-50, 0}, {0, -50}, {10, 0}, {0, 10}, {500, 500}}) {
    TInvertFilter inv(nullptr);
    inv.Region()->SetLeft(l);
    inv.Region()->SetTop(t);
    inv.Region()->SetWidth(3);
    inv.Region()->SetHeight(3);
    inv.FilterBitmap(b.get());
    TEmbossFilter emb(nullptr);
    emb.Region()->Assign(inv.Region());
    emb.FilterBitmap(b.get());
  }
  EXPECT_TRUE(SamePixels(b.get(), orig.get()));
  // A region hanging over the top-left edge changes only what lies inside.
  TInvertFilter inv(nullptr);
  inv.Region()->SetLeft(-2);
  inv.Region()->SetTop(-2);
  inv.Region()->SetWidth(3);
  inv.Region()->SetHeight(3);
  inv.FilterBitmap(b.get());
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      Rgb o = Distinct(x, y);
      Rgb want = (x <= 1 && y <= 1) ? Rgb{255 - o.r, 255 - o.g, 255 - o.b} : o;
      ASSERT_EQ(PixelOf(b.get(), x, y), want) << x << "," << y;
    }
}

TEST(PrepareRows, FollowsTheStrideAndHandlesEmptyBitmaps) {
  TChartFilter f(nullptr);
  for (auto [w, h] : {std::pair{0, 0}, {0, 5}, {5, 0}}) {
    TBitmap b;
    b.SetSize(w, h);
    f.PrepareRows(&b);
    EXPECT_TRUE(f.Rows.empty()) << w << "x" << h;
    EXPECT_EQ(b.PixelFormat(), pf24bit);
  }
  for (int h : {1, 2, 7}) {
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(3, h);
    f.PrepareRows(&b);
    ASSERT_EQ(static_cast<int>(f.Rows.size()), h);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    for (int y = 0; y < h; ++y) EXPECT_EQ(f.Rows[y], b.ScanLine(y)) << y;
  }
}

TEST(Filters, BitmapsOfSidesZeroOneAndTwoSurviveEveryFilter) {
  for (TFilterClass fc : FilterClasses()) {
    for (auto [w, h] : {std::pair{0, 0}, {0, 2}, {2, 0}, {1, 1}, {1, 2}, {2, 1}, {2, 2}}) {
      std::unique_ptr<TChartFilter> f(fc->Create(nullptr));
      if (auto* r = dynamic_cast<TResizeFilter*>(f.get())) {
        r->SetWidth(3);
        r->SetHeight(2);
      }
      if (auto* r = dynamic_cast<TRotateFilter*>(f.get())) r->SetAngle(30);
      auto b = MakeBitmap(w, h, Distinct);
      EXPECT_NO_THROW(f->FilterBitmap(b.get())) << fc->Class->Name << " " << w << "x" << h;
    }
  }
}

TEST(FilterItems, AssignLeavesExactCopiesOfTheSourceClasses) {
  TFilterItems src(nullptr), dst(nullptr);
  auto* b = static_cast<TBrightnessFilter*>(src.AddFilter(FilterClassOf<TBrightnessFilter>()));
  b->SetAmount(-40);
  b->SetPercent(false);
  b->SetEnabled(false);
  b->Region()->SetLeft(3);
  static_cast<TRotateFilter*>(src.AddFilter(FilterClassOf<TRotateFilter>()))->SetAngle(33.5);
  src.AddFilter(FilterClassOf<TInvertFilter>());
  for (int i = 0; i < 5; ++i) dst.AddFilter(FilterClassOf<TFlipFilter>());
  dst.Assign(&src);
  ASSERT_EQ(dst.Count(), 3);
  auto* b2 = dynamic_cast<TBrightnessFilter*>(dst[0]);
  ASSERT_NE(b2, nullptr);
  EXPECT_EQ(b2->Amount(), -40);
  EXPECT_FALSE(b2->Percent());
  EXPECT_FALSE(b2->Enabled());
  EXPECT_EQ(b2->Region()->Left(), 3);
  ASSERT_NE(dynamic_cast<TRotateFilter*>(dst[1]), nullptr);
  EXPECT_EQ(static_cast<TRotateFilter*>(dst[1])->Angle(), 33.5);
  EXPECT_STREQ(dst[2]->ClassType()->Name, "TInvertFilter");
}

// A plain convolution's settings are its weights: a copied list convolves as the original does. The
// weights here take each pixel from its right-hand neighbour (the rectangle's border stays).
TEST(FilterItems, CopiedConvolutionsKeepTheirWeights) {
  TFilterItems src(nullptr), dst(nullptr);
  auto* c = static_cast<TConvolveFilter*>(src.AddFilter(FilterClassOf<TConvolveFilter>()));
  const float shift[9] = {0, 0, 0, 0, 0, 1, 0, 0, 0};
  std::copy(shift, shift + 9, c->Weights);
  dst.Assign(&src);
  ASSERT_EQ(dst.Count(), 1);
  auto* copy = dynamic_cast<TConvolveFilter*>(dst[0]);
  ASSERT_NE(copy, nullptr);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(copy->Weights[k], shift[k]) << k;
  auto b = MakeBitmap(6, 5, Distinct);
  copy->FilterBitmap(b.get());
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) {
      const bool inner = x > 0 && x < 5 && y > 0 && y < 4;
      EXPECT_EQ(PixelOf(b.get(), x, y), inner ? Distinct(x + 1, y) : Distinct(x, y)) << x << "," << y;
    }
  // A loose copy made by Assign does the same.
  TConvolveFilter loose(nullptr);
  loose.Assign(c);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(loose.Weights[k], shift[k]) << k;
}

// Nine different weights, each seen by one channel of a 3 x 3 picture whose only non-zero byte per channel
// sits under that weight; the copy made with its picture must give the centre what the source gives:
// red under W9 (9 * 90 / 45 = 18), green under W1 (1 * 90 / 45 = 2), blue under W8 (8 * 45 / 45 = 8).
TEST(FilterItems, CopiedConvolutionsKeepAllNineWeights) {
  TChartPicture source, copy;
  auto* c = new TConvolveFilter(nullptr);
  const float weights[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  std::copy(weights, weights + 9, c->Weights);
  source.Filters()->AddFilter(c);
  copy.Assign(&source);
  ASSERT_EQ(copy.Filters()->Count(), 1);
  auto* copied = dynamic_cast<TConvolveFilter*>(copy.Filters()->Items(0));
  ASSERT_NE(copied, nullptr);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(copied->Weights[k], weights[k]) << k;
  auto b = MakeBitmap(3, 3, [](int x, int y) {
    return Rgb{x == 2 && y == 2 ? 90 : 0, x == 0 && y == 0 ? 90 : 0, x == 1 && y == 2 ? 45 : 0};
  });
  copied->FilterBitmap(b.get());
  EXPECT_EQ(PixelOf(b.get(), 1, 1), (Rgb{18, 2, 8}));
  EXPECT_EQ(PixelOf(b.get(), 2, 2), (Rgb{90, 0, 0}));  // the border keeps its values
}

// Copying a filter keeps every setting of its class (copies of pictures used to fall back to defaults).
TEST(FilterAssign, CopiesEveryPublishedSetting) {
  TTileFilter tile(nullptr);
  tile.SetNumCols(7);
  tile.SetNumRows(2);
  TTileFilter tile2(nullptr);
  tile2.Assign(&tile);
  EXPECT_EQ(tile2.NumCols(), 7);
  EXPECT_EQ(tile2.NumRows(), 2);

  TCropFilter crop(nullptr);
  crop.SetWidth(11);
  crop.SetHeight(12);
  crop.SetLeft(13);
  crop.SetTop(14);
  crop.SetSmooth(true);
  TCropFilter crop2(nullptr);
  crop2.Assign(&crop);
  EXPECT_EQ(std::vector<int>({crop2.Width(), crop2.Height(), crop2.Left(), crop2.Top()}),
            std::vector<int>({11, 12, 13, 14}));
  EXPECT_TRUE(crop2.Smooth());
  // A resize copied from a crop takes the size both publish.
  TResizeFilter resize(nullptr);
  resize.Assign(&crop);
  EXPECT_EQ(resize.Width(), 11);
  EXPECT_EQ(resize.Height(), 12);

  TRotateFilter rot(nullptr);
  rot.SetAngle(45);
  rot.SetAutoSize(false);
  rot.SetBackColor(clRed);
  TRotateFilter rot2(nullptr);
  rot2.Assign(&rot);
  EXPECT_EQ(rot2.Angle(), 45);
  EXPECT_FALSE(rot2.AutoSize());
  EXPECT_EQ(rot2.BackColor(), clRed);

  TGrayScaleFilter g(nullptr);
  g.SetMethod(gmEye2);
  TGrayScaleFilter g2(nullptr);
  g2.Assign(&g);
  EXPECT_EQ(g2.Method(), gmEye2);

  THueLumSatFilter h(nullptr);
  h.SetHue(1);
  h.SetLuminance(2);
  h.SetSaturation(3);
  THueLumSatFilter h2(nullptr);
  h2.Assign(&h);
  EXPECT_EQ(std::vector<int>({h2.Hue(), h2.Luminance(), h2.Saturation()}), std::vector<int>({1, 2, 3}));

  TBlurFilter bl(nullptr);
  bl.SetAmount(4);
  bl.SetSteps(3);
  TBlurFilter bl2(nullptr);
  bl2.Assign(&bl);
  EXPECT_EQ(bl2.Amount(), 4);
  EXPECT_EQ(bl2.Steps(), 3);

  TZoomFilter z(nullptr);
  z.SetPercent(33.25);
  z.SetSmooth(true);
  TZoomFilter z2(nullptr);
  z2.Assign(&z);
  EXPECT_EQ(z2.Percent(), 33.25);
  EXPECT_TRUE(z2.Smooth());

  TMirrorFilter m(nullptr);
  m.SetDirection(mdLeft);
  TMirrorFilter m2(nullptr);
  m2.Assign(&m);
  EXPECT_EQ(m2.Direction(), mdLeft);

  TBevelFilter bv(nullptr);
  bv.SetBright(9);
  bv.SetSize(2);
  TBevelFilter bv2(nullptr);
  bv2.Assign(&bv);
  EXPECT_EQ(bv2.Bright(), 9);
  EXPECT_EQ(bv2.Size(), 2);

  TColorFilter c(nullptr);
  c.SetRed(-1);
  c.SetGreen(2);
  c.SetBlue(-3);
  TColorFilter c2(nullptr);
  c2.Assign(&c);
  EXPECT_EQ(std::vector<int>({c2.Red(), c2.Green(), c2.Blue()}), std::vector<int>({-1, 2, -3}));

  TGammaCorrectionFilter gm(nullptr);
  gm.SetAmount(150);
  gm.SetPercent(false);
  TGammaCorrectionFilter gm2(nullptr);
  gm2.Assign(&gm);
  EXPECT_EQ(gm2.Amount(), 150);
  EXPECT_FALSE(gm2.Percent());
}

TEST(FilterAssign, OtherSourcesAreRefused) {
  TInvertFilter f(nullptr);
  TFilterRegion r;
  EXPECT_THROW(f.Assign(&r), EConvertError);
  TFilterRegion r2;
  EXPECT_THROW(r2.Assign(&f), EConvertError);
}

TEST(ChartPicture, AssignCopiesTheFilterListAndNilFreesIt) {
  TChartPicture a, b;
  EXPECT_FALSE(a.HasFilters());
  static_cast<TMosaicFilter*>(a.Filters()->AddFilter(FilterClassOf<TMosaicFilter>()))->SetAmount(3);
  b.Assign(&a);
  ASSERT_TRUE(b.HasFilters());
  EXPECT_EQ(static_cast<TMosaicFilter*>(b.Filters()->Items(0))->Amount(), 3);
  EXPECT_EQ(b.Filters()->Owner(), &b);
  TChartPicture empty;
  b.Assign(&empty);
  EXPECT_FALSE(b.HasFilters());
  b.SetFilters(a.Filters());
  EXPECT_EQ(b.Filters()->Count(), 1);
  b.SetFilters(nullptr);
  EXPECT_FALSE(b.HasFilters());
  EXPECT_NE(a.CachedBitmap(), nullptr);
}

TEST(ApplyFilterClass, AppliesALooseFilter) {
  auto b = MakeBitmap(3, 3, Distinct);
  ApplyFilterClass(FilterClassOf<TFlipFilter>(), b.get());
  EXPECT_EQ(PixelOf(b.get(), 1, 0), Distinct(1, 2));
  EXPECT_EQ(PixelOf(b.get(), 1, 1), Distinct(1, 1));
}

// Records what a filter asks the editor for.
class TRecordingEditor : public IFilterEditor {
 public:
  std::vector<std::string> Calls;
  std::map<std::string, TNotifyEvent> Clicks;
  std::vector<std::unique_ptr<TTrackBar>> Bars;
  void AddCheckBox(const std::string& P, const std::string& C, TNotifyEvent OnClick) override {
    Calls.push_back("check " + P + " '" + C + "'");
    Clicks[P] = OnClick;
  }
  void AddColorButton(const std::string& P, const std::string& C) override { Calls.push_back("color " + P + " '" + C + "'"); }
  void AddComboBox(const std::string& P) override { Calls.push_back("combo " + P); }
  void AddIntegerEdit(const std::string& P, const std::string& C, int Min, int Max) override {
    Calls.push_back(Format("int %s '%s' %d..%d", P, C, Min, Max));
  }
  TTrackBar* AddTrackBar(const std::string& P, int Min, int Max) override {
    Calls.push_back(Format("track %s %d..%d", P, Min, Max));
    Bars.push_back(std::make_unique<TTrackBar>(nullptr));
    Bars.back()->SetMin(-1000);
    Bars.back()->SetMax(1000);
    Bars.back()->SetMin(Min);
    Bars.back()->SetMax(Max);
    return Bars.back().get();
  }
};

TEST(FilterEditor, EachClassAsksForItsControlsAndTitles) {
  const std::map<std::string, std::pair<std::string, std::vector<std::string>>> expected = {
      {"TInvertFilter", {"Invert", {}}},
      {"TGrayScaleFilter", {"Gray scale", {"combo Method"}}},
      {"TMosaicFilter", {"Mosaic", {"track Amount 0..100", "check Percent 'Percent'"}}},
      {"TFlipFilter", {"Flip", {}}},
      {"TReverseFilter", {"Reverse", {}}},
      {"TBrightnessFilter", {"Brightness", {"track Amount -100..100", "check Percent 'Percent'"}}},
      {"TContrastFilter", {"Contrast", {"track Amount -100..100", "check Percent 'Percent'"}}},
      {"TColorFilter", {"Color", {"track Red -255..255", "track Green -255..255", "track Blue -255..255"}}},
      {"THueLumSatFilter",
       {"Hue,Lum,Sat", {"track Hue -255..255", "track Luminance -255..255", "track Saturation -255..255"}}},
      {"TBlurFilter", {"Blur", {"track Steps 1..20", "track Amount 0..50"}}},
      {"TSharpenFilter", {"Sharpen", {}}},
      {"TGammaCorrectionFilter", {"Gamma correction", {"track Amount 0..100", "check Percent 'Percent'"}}},
      {"TEmbossFilter", {"Emboss", {}}},
      {"TSoftenFilter", {"Antialias", {}}},
      {"TCropFilter",
       {"Crop",
        {"int Width 'Width' 0..10000", "int Height 'Height' 0..10000", "int Left 'Left' 0..10000",
         "int Top 'Top' 0..10000", "check Smooth 'Smooth'"}}},
      {"TResizeFilter", {"Resize", {"int Width 'Width' 0..10000", "int Height 'Height' 0..10000"}}},
      {"TRotateFilter", {"Rotate", {"track Angle 0..360", "color BackColor 'Back'", "check AutoSize 'Autosize'"}}},
      {"TMirrorFilter", {"Mirror", {"combo Direction"}}},
      {"TTileFilter", {"Tile", {"int NumCols 'Columns' 1..1000", "int NumRows 'Rows' 1..1000"}}},
      {"TBevelFilter", {"Bevel", {"track Bright 1..255", "track Size 1..1000"}}},
      {"TZoomFilter", {"Zoom", {"track Percent 0..100", "check Smooth 'Smooth'"}}},
  };
  ASSERT_EQ(FilterClasses().size(), expected.size());
  for (TFilterClass fc : FilterClasses()) {
    std::unique_ptr<TChartFilter> f(fc->Create(nullptr));
    TRecordingEditor ed;
    bool changed = false;
    f->AddEditorControls(&ed, [&](TObject*) { changed = true; });
    const auto& want = expected.at(fc->Class->Name);
    EXPECT_EQ(f->FilterTitle(), want.first) << fc->Class->Name;
    EXPECT_EQ(ed.Calls, want.second) << fc->Class->Name;
    ASSERT_TRUE(f->EditorOnChange) << fc->Class->Name;
    f->EditorOnChange(nullptr);
    EXPECT_TRUE(changed);
  }
  TChartFilter base(nullptr);
  EXPECT_EQ(base.FilterTitle(), "TChartFilter");
  TConvolveFilter conv(nullptr);
  EXPECT_EQ(conv.FilterTitle(), "TConvolveFilter");
}

TEST(FilterEditor, PercentClickResetsTheAmountBounds) {
  TBrightnessFilter f(nullptr);
  TRecordingEditor ed;
  f.AddEditorControls(&ed, nullptr);
  TTrackBar* bar = ed.Bars.at(0).get();
  EXPECT_EQ(bar->Min(), -100);
  f.SetPercent(false);
  ed.Clicks.at("Percent")(nullptr);
  EXPECT_EQ(bar->Min(), -255);
  EXPECT_EQ(bar->Max(), 255);
  TMosaicFilter m(nullptr);
  TRecordingEditor ed2;
  m.AddEditorControls(&ed2, nullptr);
  m.SetPercent(false);
  ed2.Clicks.at("Percent")(nullptr);
  EXPECT_EQ(ed2.Bars.at(0)->Min(), 0);
  EXPECT_EQ(ed2.Bars.at(0)->Max(), 255);
}

TEST(FilterDefaults, ConstructorsSetThePublishedDefaults) {
  TMosaicFilter mo(nullptr);
  EXPECT_EQ(mo.Amount(), 8);
  EXPECT_TRUE(mo.PositiveOnly());
  TGammaCorrectionFilter ga(nullptr);
  EXPECT_EQ(ga.Amount(), 70);
  EXPECT_TRUE(ga.PositiveOnly());
  TBrightnessFilter br(nullptr);
  EXPECT_EQ(br.Amount(), 5);
  EXPECT_TRUE(br.Percent());
  EXPECT_FALSE(br.PositiveOnly());
  TZoomFilter z(nullptr);
  EXPECT_EQ(z.Percent(), 10);
  TRotateFilter r(nullptr);
  EXPECT_EQ(r.Angle(), 0);
  EXPECT_TRUE(r.AutoSize());
  EXPECT_EQ(r.BackColor(), clWhite);
  TMirrorFilter m(nullptr);
  EXPECT_FALSE(m.UsesRegion);
  EXPECT_TRUE(r.UsesRegion);
  EXPECT_TRUE(r.Enabled());
}

}  // namespace
