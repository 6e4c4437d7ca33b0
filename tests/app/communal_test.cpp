#include "app/Communal.h"
#include "platform/graphics/pictures.h"
#include "platform/win/testing.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

TEST(FitImageRect, ShrinksKeepingProportionsAndCentres) {
  struct Case { int w, h, boxW, boxH; GpRect expected; };
  const Case cases[] = {
      {100, 50, 40, 40, {0, 10, 40, 20}},   // wide picture takes the box width
      {30, 20, 40, 40, {5, 10, 30, 20}},    // small picture is never enlarged
      {80, 80, 40, 60, {0, 10, 40, 40}},    // square: box height first, then the narrower width
      {80, 80, 60, 40, {10, 0, 40, 40}},
      {50, 100, 40, 40, {10, 0, 20, 40}},   // tall picture takes the box height
      {300, 100, 40, 10, {5, 0, 30, 10}},   // wide picture limited by the box height after all
      {122, 91, 122, 91, {0, 0, 122, 91}},  // exact fit
  };
  for (const Case& c : cases) {
    const GpRect r = FitImageRect(GpRect{0, 0, c.w, c.h}, c.boxW, c.boxH);
    EXPECT_EQ(r.X, c.expected.X) << c.w << "x" << c.h;
    EXPECT_EQ(r.Y, c.expected.Y) << c.w << "x" << c.h;
    EXPECT_EQ(r.Width, c.expected.Width) << c.w << "x" << c.h;
    EXPECT_EQ(r.Height, c.expected.Height) << c.w << "x" << c.h;
  }
}

TEST(Gradient, StepsAndChannelBounds) {
  EXPECT_EQ(GradientStep(3, 3, 10), 0);
  EXPECT_DOUBLE_EQ(GradientStep(0, 4, 10), 2.5);

  struct Case { int w, h; TColor c1, c2; };
  const Case cases[] = {{115, 146, 0xFF00FF, 0x808000}, {1, 40, 0xFFFFFF, 0x800080},
                        {40, 1, 0xFFFFFF, 0x800080}, {7, 300, 0x000000, 0xFFFFFF}};
  for (const Case& c : cases) {
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(c.w, c.h);
    ASSERT_TRUE(FillDiagonalGradient(bmp.Canvas(), c.w, c.h, c.c1, c.c2, TPoint{0, 0},
                                     TPoint{c.w - 1, c.h - 1}));
    const int shifts[3] = {16, 8, 0};
    for (int y = 0; y < c.h; ++y) {
      const auto* row = static_cast<const uint8_t*>(bmp.ScanLine(y));
      for (int x = 0; x < c.w; ++x)
        for (int ch = 0; ch < 3; ++ch) {
          const int a = (c.c1 >> shifts[ch]) & 0xFF, b = (c.c2 >> shifts[ch]) & 0xFF;
          ASSERT_GE(row[x * 3 + ch], std::min(a, b));
          ASSERT_LE(row[x * 3 + ch], std::max(a, b));
        }
    }
    // The upper-left pixel is the first colour.
    const auto* row0 = static_cast<const uint8_t*>(bmp.ScanLine(0));
    EXPECT_EQ(row0[2], c.c1 & 0xFF);
    EXPECT_EQ(row0[0], (c.c1 >> 16) & 0xFF);
  }
  // A width of 1 has no column step: every pixel of a row is the same (trivially) and rows change.
  TBitmap tall;
  tall.SetPixelFormat(pf24bit);
  tall.SetSize(1, 50);
  FillDiagonalGradient(tall.Canvas(), 1, 50, 0x000000, 0xFFFFFF, TPoint{0, 0}, TPoint{0, 49});
  EXPECT_LT(static_cast<const uint8_t*>(tall.ScanLine(0))[0], static_cast<const uint8_t*>(tall.ScanLine(49))[0]);
}

// Worked by hand: one row of 10 from black to red 200. The diagonal is the row (cos 1, sin 0), so the
// column step is Round(200 x 1) / 10 = 20 (divided by the width, not by the width - 1): 0, 20, ..., 180.
// Two rows of 10 from black to blue 80: L = sqrt(81 + 1), column step Round(80 x 9 / L) / 10 = 8, row
// step Round(80 / L) / 2 = 4.5, so row 1 holds the ties 4.5 + 8x, rounded half to even to 8x + 4.
TEST(Gradient, ColumnAndRowStepsWorkedByHand) {
  TBitmap row;
  row.SetPixelFormat(pf24bit);
  row.SetSize(10, 1);
  ASSERT_TRUE(FillDiagonalGradient(row.Canvas(), 10, 1, 0x000000, 0x0000C8, TPoint{0, 0}, TPoint{9, 0}));
  const auto* r = static_cast<const uint8_t*>(row.ScanLine(0));
  for (int x = 0; x < 10; ++x) EXPECT_EQ(r[3 * x + 2], 20 * x) << x;

  TBitmap two;
  two.SetPixelFormat(pf24bit);
  two.SetSize(10, 2);
  ASSERT_TRUE(FillDiagonalGradient(two.Canvas(), 10, 2, 0x000000, 0x500000, TPoint{0, 0}, TPoint{9, 1}));
  const auto* r0 = static_cast<const uint8_t*>(two.ScanLine(0));
  const auto* r1 = static_cast<const uint8_t*>(two.ScanLine(1));
  for (int x = 0; x < 10; ++x) {
    EXPECT_EQ(r0[3 * x], 8 * x) << x;
    EXPECT_EQ(r1[3 * x], 8 * x + 4) << x;
  }
}

// A large gradient (filled by several threads) holds, pixel for pixel, the running sums taken in order:
// each row from the row sum, then the column steps added one by one.
TEST(Gradient, ALargeGradientKeepsTheRunningSumsOfEveryRow) {
  const int W = 900, H = 500;
  const TColor c1 = 0x3010F0, c2 = 0xD0F020;
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(W, H);
  ASSERT_TRUE(FillDiagonalGradient(bmp.Canvas(), W, H, c1, c2, TPoint{0, 0}, TPoint{W - 1, H - 1}));
  const double L = std::sqrt(double(W - 1) * (W - 1) + double(H - 1) * (H - 1));
  const int shifts[3] = {16, 8, 0};  // blue, green, red as stored
  for (int c = 0; c < 3; ++c) {
    const int a = (c1 >> shifts[c]) & 0xFF, b = (c2 >> shifts[c]) & 0xFF;
    const double col = double(Round((b - a) * ((W - 1) / L))) / W, row = double(Round((b - a) * ((H - 1) / L))) / H;
    double start = a;
    for (int y = 0; y < H; ++y, start += row) {
      const auto* r = static_cast<const uint8_t*>(bmp.ScanLine(y));
      double v = start;
      for (int x = 0; x < W; ++x, v += col)
        ASSERT_EQ(r[3 * x + c], std::clamp<int64_t>(Round(v), std::min(a, b), std::max(a, b))) << x << "," << y << " channel " << c;
    }
  }
}

TEST(Gradient, OneByOneReceivesNoGradient) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(1, 1);
  bmp.Canvas()->SetPixels(0, 0, 0x123456);
  EXPECT_FALSE(FillDiagonalGradient(bmp.Canvas(), 1, 1, 0xFFFFFF, 0x800080, TPoint{0, 0}, TPoint{0, 0}));
  EXPECT_EQ(bmp.Canvas()->Pixels(0, 0), 0x123456);
}

// The GDI+ gradient holds the very pixels the canvas gradient paints, at any size (one and several
// filling threads, a single row or column, and the single pixel that gets no gradient and stays white).
TEST(Gradient, MakeGradientBitmapHoldsTheCanvasGradientsPixels) {
  struct Case { int w, h; TColor c1, c2; };
  const Case cases[] = {{115, 146, 0xFF00FF, 0x808000}, {490, 569, 0xFFFFFF, 0x800080}, {122, 91, 0xFFFFFF, 0x800080},
                        {1, 40, 0x000000, 0xFFFFFF},      {40, 1, 0x3010F0, 0xD0F020},   {1, 1, 0xFFFFFF, 0x800080}};
  for (const Case& c : cases) {
    TBitmap canvas;
    canvas.SetPixelFormat(pf24bit);
    canvas.SetSize(c.w, c.h);
    FillDiagonalGradient(canvas.Canvas(), c.w, c.h, c.c1, c.c2, TPoint{0, 0}, TPoint{c.w - 1, c.h - 1});
    GpBitmap* bmp = nullptr;
    MakeGradientBitmap(bmp, c.c1, c.c2, c.w, c.h);
    ASSERT_NE(bmp, nullptr) << c.w << "x" << c.h;
    for (int y = 0; y < c.h; ++y) {
      const auto* row = static_cast<const uint8_t*>(canvas.ScanLine(y));
      for (int x = 0; x < c.w; ++x) {
        ARGB p = 0;
        GdipBitmapGetPixel(bmp, x, y, &p);
        const ARGB expected = 0xFF000000u | ARGB(row[3 * x + 2]) << 16 | ARGB(row[3 * x + 1]) << 8 | row[3 * x];
        ASSERT_EQ(p, expected) << c.w << "x" << c.h << " at " << x << "," << y;
      }
    }
    GdipDisposeImage(bmp);
  }
}

TEST(Gradient, MakeGradientBitmapGivesAGdiPlusBitmapOfTheSize) {
  GpBitmap* bmp = nullptr;
  MakeGradientBitmap(bmp, 0xFFFFFF, 0x800080, 30, 20);
  ASSERT_NE(bmp, nullptr);
  UINT w = 0, h = 0;
  GdipGetImageWidth(bmp, &w);
  GdipGetImageHeight(bmp, &h);
  EXPECT_EQ(w, 30u);
  EXPECT_EQ(h, 20u);
  ARGB first = 0, last = 0;
  GdipBitmapGetPixel(bmp, 0, 0, &first);
  GdipBitmapGetPixel(bmp, 29, 19, &last);
  EXPECT_EQ(first & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_LT(last & 0xFF, 0xFFu);  // towards purple
  GdipDisposeImage(bmp);
}

TEST(FindFiles, ListsMatchingFilesAndFoldersInNameOrder) {
  namespace fs = std::filesystem;
  const fs::path dir = win::TempFolder("findfiles");
  fs::create_directories(dir / "sub.png");
  fs::create_directories(dir / "other");
  for (const char* n : {"b.png", "a.PNG", "c.jpg"}) std::ofstream(dir / n) << "x";
  const std::string folder = dir.string() + "/";
  TStringList list;
  list.Add("stale");
  FindFiles(folder, &list, "*.png");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Strings(0), folder + "a.PNG");
  EXPECT_EQ(list.Strings(1), folder + "b.png");
  EXPECT_EQ(list.Strings(2), folder + "sub.png");
  FindFiles(folder + "missing/", &list, "*.png");
  EXPECT_EQ(list.Count(), 0);
  fs::remove_all(dir);
}

}  // namespace

namespace {

bool SamePixels(GpBitmap* A, GpBitmap* B) {
  UINT aw = 0, ah = 0, bw = 0, bh = 0;
  GdipGetImageWidth(A, &aw);
  GdipGetImageHeight(A, &ah);
  GdipGetImageWidth(B, &bw);
  GdipGetImageHeight(B, &bh);
  if (aw != bw || ah != bh) return false;
  for (UINT y = 0; y < ah; y += 3)
    for (UINT x = 0; x < aw; x += 3) {
      ARGB a = 0, b = 0;
      GdipBitmapGetPixel(A, int(x), int(y), &a);
      GdipBitmapGetPixel(B, int(x), int(y), &b);
      if (a != b) return false;
    }
  return true;
}

}  // namespace

// Decoding side by side gives, file by file, what the imaging layer gives for that file: a picture, an
// empty bitmap for a missing file, nothing for an empty name. A prefetch hands its pictures only to a
// caller asking for the same files.
TEST(LoadBitmapFiles, GivesWhatEachFileGivesAndPrefetchesOnlyForTheSameFiles) {
  const std::string folder = ExecutableFolder();
  std::vector<std::string> names = FirstFiles(folder + "Hairs/女士/", "*.png", 12);
  ASSERT_FALSE(names[11].empty());
  names.push_back(folder + "Hairs/no such style.png");
  names.push_back("");
  const std::vector<GpBitmap*> side = LoadBitmapFiles(names);
  ASSERT_EQ(side.size(), names.size());
  for (std::size_t i = 0; i + 2 < names.size(); ++i) {
    GpBitmap* one = nullptr;
    GdipCreateBitmapFromFile(Utf8ToUtf16(names[i]).c_str(), &one);
    EXPECT_TRUE(SamePixels(side[i], one)) << names[i];
    GdipDisposeImage(one);
  }
  UINT w = 1;
  ASSERT_NE(side[12], nullptr);
  GdipGetImageWidth(side[12], &w);
  EXPECT_EQ(w, 0u);
  EXPECT_EQ(side[13], nullptr);
  for (GpBitmap* b : side)
    if (b) GdipDisposeImage(b);

  EXPECT_TRUE(LoadBitmapFiles({}).empty());

  TBitmapPrefetch prefetch;
  const std::vector<std::string> three(names.begin(), names.begin() + 3);
  prefetch.Start(three);
  std::vector<GpBitmap*> taken = prefetch.Take(three);
  ASSERT_EQ(taken.size(), 3u);
  for (GpBitmap* b : taken) {
    UINT bw = 0;
    GdipGetImageWidth(b, &bw);
    EXPECT_GT(bw, 0u);
    GdipDisposeImage(b);
  }
  EXPECT_TRUE(prefetch.Take(three).empty());  // handed over once
  prefetch.Start(three);
  EXPECT_TRUE(prefetch.Take({names[0], names[1]}).empty());  // other files: freed, not handed over
}

// A picture read ahead is handed over once, by name, with what reading the file here gives; a file that
// fails to read is never handed over, so the window reads it itself and raises as before.
TEST(TPicturePrefetch, HandsOverPicturesReadWithoutErrorOnlyOnce) {
  const std::string good = ExecutableFolder() + "Models/1.png";
  const std::string missing = ExecutableFolder() + "Models/no such model.png";
  PngImageUnit::Initialize();  // the program's unit start-up registers the format; here only it is needed
  TPicturePrefetch prefetch;
  prefetch.Start({good, missing});
  EXPECT_EQ(prefetch.Take(missing), nullptr);
  std::unique_ptr<TPicture> taken = prefetch.Take(good);
  ASSERT_NE(taken, nullptr);
  TPicture direct;
  direct.LoadFromFile(good);
  ASSERT_EQ(taken->Width(), direct.Width());
  ASSERT_EQ(taken->Height(), direct.Height());
  auto* a = dynamic_cast<TRasterGraphic*>(taken->Graphic());
  auto* b = dynamic_cast<TRasterGraphic*>(direct.Graphic());
  ASSERT_TRUE(a && b);
  for (int y = 0; y < direct.Height(); y += 17)
    for (int x = 0; x < direct.Width(); x += 13) ASSERT_EQ(a->Pixel(x, y), b->Pixel(x, y));
  EXPECT_EQ(prefetch.Take(good), nullptr);
  prefetch.Start({good});
  prefetch.Drop();
  EXPECT_EQ(prefetch.Take(good), nullptr);
  PngImageUnit::Finalize();
}
