// Geometric filters, smooth copies and the registry of filter classes.
#include "chart/ChartResample.h"
#include "tests/chart/chart_fixture.h"

namespace {

TEST(Resize, GivesTheRequestedSize) {
  auto b = MakeBitmap(100, 50, Distinct);
  TResizeFilter f(nullptr);
  f.SetWidth(200);
  f.SetHeight(100);
  f.FilterBitmap(b.get());
  EXPECT_EQ(b->Width(), 200);
  EXPECT_EQ(b->Height(), 100);
  auto smooth = CreateSmoothCopy(MakeBitmap(100, 50, Distinct).get(), 200, 100);
  EXPECT_TRUE(SamePixels(b.get(), smooth.get()));
  // A size of 0 does nothing.
  f.SetWidth(0);
  f.FilterBitmap(b.get());
  EXPECT_EQ(b->Width(), 200);
}

TEST(Resize, HugeSizesAreRefusedBeforeAllocating) {
  auto b = MakeBitmap(4, 4, Distinct);
  TResizeFilter f(nullptr);
  f.SetWidth(2000000000);
  f.SetHeight(2000000000);
  EXPECT_THROW(f.FilterBitmap(b.get()), EInvalidGraphicOperation);
  EXPECT_EQ(b->Width(), 4);
  TCropFilter c(nullptr);
  c.SetWidth(100000);
  c.SetHeight(100000);
  EXPECT_THROW(c.FilterBitmap(b.get()), EInvalidGraphicOperation);
  EXPECT_THROW(CreateSmoothCopy(b.get(), 1 << 30, 4), EInvalidGraphicOperation);
}

TEST(CreateSmoothCopy, OnePixelSidesFallBackToAPlainStretch) {
  // The smooth stretch leaves a 1-pixel side blank white; the copy still shows the picture.
  auto src = MakeBitmap(6, 4, [](int x, int) { return Rgb{x * 40, 0, 0}; });
  auto row = CreateSmoothCopy(src.get(), 3, 1);
  ASSERT_EQ(row->Width(), 3);
  EXPECT_EQ(PixelOf(row.get(), 0, 0), (Rgb{40, 0, 0}));
  EXPECT_EQ(PixelOf(row.get(), 2, 0), (Rgb{200, 0, 0}));
  auto dot = MakeBitmap(1, 1, [](int, int) { return Rgb{9, 8, 7}; });
  auto grown = CreateSmoothCopy(dot.get(), 3, 2);
  EXPECT_EQ(PixelOf(grown.get(), 2, 1), (Rgb{9, 8, 7}));
  auto empty = CreateSmoothCopy(src.get(), 0, 5);
  EXPECT_TRUE(empty->Empty());
}

TEST(Crop, ShowsTheAreaEnlargedOverTheWholeBitmap) {
  auto b = MakeBitmap(100, 100, Distinct);
  TCropFilter f(nullptr);
  f.SetLeft(10);
  f.SetTop(10);
  f.SetWidth(20);
  f.SetHeight(20);
  f.FilterBitmap(b.get());
  EXPECT_EQ(b->Width(), 100);
  // Each source pixel of the area covers a 5 x 5 block.
  for (int y = 0; y < 100; y += 7)
    for (int x = 0; x < 100; x += 3) ASSERT_EQ(PixelOf(b.get(), x, y), Distinct(10 + x / 5, 10 + y / 5)) << x << "," << y;
  // Smooth: the same area through the resampler.
  auto s = MakeBitmap(100, 100, Distinct);
  f.SetSmooth(true);
  f.FilterBitmap(s.get());
  auto area = MakeBitmap(20, 20, [](int x, int y) { return Distinct(10 + x, 10 + y); });
  auto want = MakeBitmap(100, 100, Distinct);
  StretchSmooth(area.get(), want.get());
  EXPECT_TRUE(SamePixels(s.get(), want.get()));
}

TEST(Zoom, CropsFivePercentFromEachSide) {
  auto b = MakeBitmap(100, 100, Distinct);
  NewFilter<TZoomFilter>()->FilterBitmap(b.get());
  TCropFilter c(nullptr);
  c.SetLeft(5);
  c.SetTop(5);
  c.SetWidth(90);
  c.SetHeight(90);
  auto want = MakeBitmap(100, 100, Distinct);
  c.FilterBitmap(want.get());
  EXPECT_TRUE(SamePixels(b.get(), want.get()));
  // Inside a region the zoom stays inside it.
  auto r = MakeBitmap(40, 30, Distinct);
  TZoomFilter z(nullptr);
  z.SetPercent(50);
  z.Region()->SetLeft(10);
  z.Region()->SetTop(10);
  z.Region()->SetWidth(9);
  z.Region()->SetHeight(9);
  z.FilterBitmap(r.get());
  EXPECT_EQ(PixelOf(r.get(), 9, 9), Distinct(9, 9));
  EXPECT_EQ(PixelOf(r.get(), 20, 20), Distinct(20, 20));
  EXPECT_EQ(PixelOf(r.get(), 10, 10), Distinct(12, 12));  // margins of Round(2.5) = 2
}

TEST(Tile, DrawsNineCellsAndKeepsTheLastColumnAndRow) {
  auto b = MakeBitmap(100, 100, Distinct);
  NewFilter<TTileFilter>()->FilterBitmap(b.get());
  auto cell = CreateSmoothCopy(MakeBitmap(100, 100, Distinct).get(), 33, 33);
  for (int y = 0; y < 99; ++y)
    for (int x = 0; x < 99; ++x) ASSERT_EQ(PixelOf(b.get(), x, y), PixelOf(cell.get(), x % 33, y % 33)) << x << "," << y;
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(PixelOf(b.get(), 99, i), Distinct(99, i));
    EXPECT_EQ(PixelOf(b.get(), i, 99), Distinct(i, 99));
  }
  // Settings below 1 become 1; many columns give cells of 2 pixels, which the resampler handles.
  TTileFilter t(nullptr);
  t.SetNumCols(0);
  t.SetNumRows(-4);
  auto c = MakeBitmap(10, 10, Distinct);
  t.FilterBitmap(c.get());
  EXPECT_EQ(t.NumCols(), 1);
  EXPECT_EQ(t.NumRows(), 1);
  t.SetNumCols(4);
  t.SetNumRows(3);
  auto d = MakeBitmap(10, 10, Distinct);
  t.FilterBitmap(d.get());
  EXPECT_EQ(PixelOf(d.get(), 2, 0), PixelOf(d.get(), 0, 0));
}

TEST(Mirror, DoublesTheBitmapInEachDirection) {
  const int w = 4, h = 3;
  struct {
    TMirrorDirection d;
    int w, h;
    std::function<Rgb(int, int)> want;
  } cases[] = {
      {mdDown, w, 2 * h, [](int x, int y) { return y < h ? Distinct(x, y) : Distinct(x, 2 * h - 1 - y); }},
      {mdUp, w, 2 * h, [](int x, int y) { return y >= h ? Distinct(x, y - h) : Distinct(x, h - 1 - y); }},
      {mdRight, 2 * w, h, [](int x, int y) { return x < w ? Distinct(x, y) : Distinct(2 * w - 1 - x, y); }},
      {mdLeft, 2 * w, h, [](int x, int y) { return x >= w ? Distinct(x - w, y) : Distinct(w - 1 - x, y); }},
  };
  for (auto& c : cases) {
    auto b = MakeBitmap(w, h, Distinct);
    TMirrorFilter m(nullptr);
    m.SetDirection(c.d);
    m.Region()->SetLeft(500);  // ignored
    m.FilterBitmap(b.get());
    ASSERT_EQ(b->Width(), c.w) << c.d;
    ASSERT_EQ(b->Height(), c.h) << c.d;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) ASSERT_EQ(PixelOf(b.get(), x, y), c.want(x, y)) << c.d << " " << x << "," << y;
  }
}

TEST(Bevel, LightensTopLeftAndDarkensBottomRight) {
  auto b = MakeBitmap(6, 5, [](int, int) { return Rgb{100, 100, 100}; });
  TBevelFilter f(nullptr);
  f.SetBright(10);
  f.SetSize(1000);  // larger than half: rings stop at the middle
  f.FilterBitmap(b.get());
  // HalfH = 2, HalfW = 2: rings 0 and 1 in both directions.
  // Rings in order (rows, then columns): pixels on two edges get both treatments.
  const int want[5][6] = {
      {110, 110, 110, 110, 110, 110},
      {110, 110, 110, 110, 110, 90},
      {110, 110, 100, 100, 90, 90},
      {110, 100, 90, 90, 80, 90},
      {100, 90, 90, 90, 90, 80},
  };
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(PixelOf(b.get(), x, y).g, want[y][x]) << x << "," << y;
}

TEST(Rotate, RightAnglesAndWholeTurns) {
  auto b = MakeBitmap(4, 2, Distinct);
  TRotateFilter f(nullptr);
  f.SetAngle(90);
  f.FilterBitmap(b.get());
  ASSERT_EQ(b->Width(), 2);
  ASSERT_EQ(b->Height(), 4);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelOf(b.get(), 2 - 1 - y, x), Distinct(x, y));

  auto c = MakeBitmap(4, 2, Distinct);
  TRotateFilter f450(nullptr);
  f450.SetAngle(450);
  f450.FilterBitmap(c.get());
  EXPECT_EQ(f450.Angle(), 90);
  EXPECT_TRUE(SamePixels(b.get(), c.get()));

  auto d = MakeBitmap(4, 2, Distinct);
  TRotateFilter f270(nullptr);
  f270.SetAngle(270);
  f270.FilterBitmap(d.get());
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelOf(d.get(), y, 4 - 1 - x), Distinct(x, y));

  for (double a : {0.0, 360.0}) {
    auto e = MakeBitmap(5, 3, Distinct);
    TRotateFilter r(nullptr);
    r.SetAngle(a);
    r.FilterBitmap(e.get());
    auto orig = MakeBitmap(5, 3, Distinct);
    EXPECT_TRUE(SamePixels(e.get(), orig.get())) << a;
  }

  auto g = MakeBitmap(5, 3, Distinct);
  TRotateFilter half(nullptr);
  half.SetAngle(180);
  half.FilterBitmap(g.get());
  auto h = MakeBitmap(5, 3, Distinct);
  ApplyFilterClass(FilterClassOf<TFlipFilter>(), h.get());
  ApplyFilterClass(FilterClassOf<TReverseFilter>(), h.get());
  EXPECT_TRUE(SamePixels(g.get(), h.get()));
}

TEST(Rotate, GeneralAnglesMapBackToTheNearestSourcePixel) {
  struct Case {
    int w, h;
    double angle;
    bool autoSize;
    TColor back;
  } cases[] = {{10, 10, 30, true, clRed},    {97, 61, 30, true, clBlue},   {64, 33, -17.3, true, 0x123456},
               {50, 80, 123.4, true, clRed}, {41, 40, 300, false, clRed}, {200, 3, 45, true, clLime},
               {3, 200, 10, true, clRed},    {33, 21, 719.5, true, clRed}};
  for (const Case& k : cases) {
    const int w = k.w, h = k.h;
    auto b = MakeBitmap(w, h, Distinct);
    TRotateFilter f(nullptr);
    f.SetAngle(k.angle);
    f.SetAutoSize(k.autoSize);
    f.SetBackColor(k.back);
    f.FilterBitmap(b.get());
    double angle = k.angle;
    while (angle > 360) angle -= 360;
    const double a = (360 - angle) * double(0.017453292f), co = std::cos(a), si = std::sin(a);
    int dw = w, dh = h;
    if (k.autoSize) {
      dw = int(std::llabs(si * co > 0 ? Round(w * co + h * si) : Round(w * co - h * si)));
      dh = int(std::llabs(si * co > 0 ? Round(w * si + h * co) : Round(w * si - h * co)));
    }
    ASSERT_EQ(b->Width(), dw) << k.angle;
    ASSERT_EQ(b->Height(), dh) << k.angle;
    const Rgb back{k.back & 0xFF, (k.back >> 8) & 0xFF, (k.back >> 16) & 0xFF};
    int inside = 0;
    for (int r = 0; r < dh; ++r)
      for (int c = 0; c < dw; ++c) {
        const double X = c - dw / 2, Y = r - dh / 2;
        const int64_t sx = Round(X * co - Y * si + w / 2), sy = Round(X * si + Y * co + h / 2);
        const bool in = sx >= 0 && sx < w && sy >= 0 && sy < h;
        inside += in;
        ASSERT_EQ(PixelOf(b.get(), c, r), in ? Distinct(int(sx), int(sy)) : back) << k.angle << ": " << c << "," << r;
      }
    EXPECT_GT(inside, w * h / 2) << k.angle;
  }
  // Without AutoSize the size stays; white backgrounds stay as the new bitmap's white.
  auto n = MakeBitmap(8, 6, Distinct);
  TRotateFilter g(nullptr);
  g.SetAngle(-45);
  g.SetAutoSize(false);
  g.FilterBitmap(n.get());
  EXPECT_EQ(n->Width(), 8);
  EXPECT_EQ(n->Height(), 6);
  EXPECT_EQ(PixelOf(n.get(), 0, 0), (Rgb{255, 255, 255}));
}

TEST(Registry, TwentyOneClassesInOrderFoundByName) {
  const char* names[] = {"TInvertFilter", "TGrayScaleFilter", "TMosaicFilter", "TFlipFilter", "TReverseFilter",
                         "TBrightnessFilter", "TContrastFilter", "TColorFilter", "THueLumSatFilter", "TBlurFilter",
                         "TSharpenFilter", "TGammaCorrectionFilter", "TEmbossFilter", "TSoftenFilter", "TCropFilter",
                         "TResizeFilter", "TRotateFilter", "TMirrorFilter", "TTileFilter", "TBevelFilter",
                         "TZoomFilter"};
  ASSERT_EQ(FilterClasses().size(), 21u);
  for (size_t i = 0; i < 21; ++i) {
    EXPECT_STREQ(FilterClasses()[i]->Class->Name, names[i]);
    const TRegisteredClass* rc = GetClass(names[i]);
    ASSERT_NE(rc, nullptr) << names[i];
    ASSERT_TRUE(rc->ItemFactory) << names[i];
    TFilterItems list(nullptr);
    TCollectionItem* item = rc->ItemFactory(&list);
    EXPECT_STREQ(item->ClassType()->Name, names[i]);
    EXPECT_EQ(list.Count(), 1);
  }
  RegisterFilterClasses({FilterClassOf<TInvertFilter>(), FilterClassOf<TZoomFilter>()});
  EXPECT_EQ(FilterClasses().size(), 21u);
  EXPECT_EQ(GradientRotateProc, nullptr);
}

TEST(Registry, StopEmptiesTheListAndUndoesTheRegistration) {
  ChartFilters::Finalize();
  EXPECT_TRUE(FilterClasses().empty());
  EXPECT_EQ(GetClass("TZoomFilter"), nullptr);
  ChartFilters::Initialize();
  EXPECT_EQ(FilterClasses().size(), 21u);
  EXPECT_NE(GetClass("TZoomFilter"), nullptr);
}

}  // namespace
