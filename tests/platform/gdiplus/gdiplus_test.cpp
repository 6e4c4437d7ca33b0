// GDI+-like imaging on pixels: parallelograms, colour matrices, the y-up transform, hit tests, encoders,
// bitmaps from bad files, pixel access and text.
#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/gdiplus/gdiplus.h"
#include "platform/graphics/codecs.h"
#include "platform/graphics/graphics.h"
#include "platform/win/surface.h"
#include "platform/win/testing.h"

using namespace Gdiplus;

namespace {

// A 32-bit DIB section selected into a memory DC, filled with one colour.
struct Target {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bm = nullptr;
  int w, h;
  Target(int width, int height, COLORREF fill = RGB(255, 255, 255), int bits = 32) : w(width), h(height) {
    BITMAPINFO bmi;
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biBitCount = WORD(bits);
    void* memory = nullptr;
    bm = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &memory, nullptr, 0);
    SelectObject(dc, bm);
    win::BitmapImage(bm)->fill(QColor(GetRValue(fill), GetGValue(fill), GetBValue(fill)));
  }
  ~Target() {
    DeleteDC(dc);
    DeleteObject(bm);
  }
  QRgb Pixel(int x, int y) const { return win::BitmapImage(bm)->pixel(x, y) | 0xFF000000u; }
  QImage Image() const { return win::BitmapImage(bm)->copy(); }
};

struct Graphics {
  GpGraphics* g = nullptr;
  explicit Graphics(HDC dc) { EXPECT_EQ(GdipCreateFromHDC(dc, &g), Ok); }
  ~Graphics() { GdipDeleteGraphics(g); }
};

GpBitmap* MakeBitmap(int w, int h, std::initializer_list<ARGB> pixels) {
  GpBitmap* b = nullptr;
  EXPECT_EQ(GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppARGB, nullptr, &b), Ok);
  int i = 0;
  for (ARGB c : pixels) {
    GdipBitmapSetPixel(b, i % w, i / w, c);
    ++i;
  }
  return b;
}

int Distance(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

std::string TempPath(const std::string& name) {
  static const std::string dir = win::TempFolder("gdiplus");
  return dir + "/" + name;
}
std::u16string U16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

ColorMatrix Identity() {
  ColorMatrix m;
  for (int i = 0; i < 5; ++i) m.m[i][i] = 1;
  return m;
}

constexpr ARGB kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kYellow = 0xFFFFFF00;

}  // namespace

// The four pixels of a 2x2 picture must land in the quarters of the parallelogram its three points
// name: upper-left, upper-right, lower-left.
TEST(GdipDrawImagePoints, TwoByTwoPictureLandsWhereItsThreePointsSay) {
  struct Case {
    const char* name;
    GpPointF pts[3];
    // Expected picture pixel index (0 UL, 1 UR, 2 LL, 3 LR) at four probe points.
    QPoint probes[4];
    int expect[4];
  } cases[] = {
      {"upright", {{10, 10}, {50, 10}, {10, 50}}, {{20, 20}, {40, 20}, {20, 40}, {40, 40}}, {0, 1, 2, 3}},
      {"mirrored left-right", {{50, 10}, {10, 10}, {50, 50}}, {{20, 20}, {40, 20}, {20, 40}, {40, 40}}, {1, 0, 3, 2}},
      {"upside down", {{10, 50}, {50, 50}, {10, 10}}, {{20, 20}, {40, 20}, {20, 40}, {40, 40}}, {2, 3, 0, 1}},
      {"turned a quarter", {{50, 10}, {50, 50}, {10, 10}}, {{40, 20}, {40, 40}, {20, 20}, {20, 40}}, {0, 1, 2, 3}},
      {"sheared", {{10, 10}, {40, 10}, {30, 50}}, {{22, 20}, {37, 20}, {32, 40}, {47, 40}}, {0, 1, 2, 3}},
  };
  GpBitmap* pic = MakeBitmap(2, 2, {kRed, kGreen, kBlue, kYellow});
  const QRgb colours[4] = {kRed, kGreen, kBlue, kYellow};
  for (int bits : {32, 24})  // 24-bit targets are painted through a 32-bit copy of the area
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SCOPED_TRACE(bits);
    Target t(60, 60, RGB(255, 255, 255), bits);
    {
      Graphics g(t.dc);
      GdipSetSmoothingMode(g.g, SmoothingModeHighQuality);
      ASSERT_EQ(GdipDrawImagePoints(g.g, pic, c.pts, 3), Ok);
    }
    for (int i = 0; i < 4; ++i) {
      QRgb got = t.Pixel(c.probes[i].x(), c.probes[i].y());
      EXPECT_LT(Distance(got, colours[c.expect[i]]), 60) << "probe " << i << " got " << std::hex << got;
    }
    EXPECT_EQ(t.Pixel(5, 5), 0xFFFFFFFFu);  // outside the parallelogram nothing changes
    EXPECT_EQ(t.Pixel(55, 55), 0xFFFFFFFFu);
  }
  GdipDisposeImage(pic);
}

// Turned, mirrored and scaled parallelograms from single-precision corners (as the scene computes them):
// every quarter of the picture lands where the exact affine map puts it, mirrored ones stay mirrored and
// unequal scales stay unequal.
TEST(GdipDrawImagePoints, TurnedAndMirroredPicturesFromSinglePrecisionCorners) {
  struct Case {
    double angle;
    bool mirrorH, mirrorV;
    double halfW, halfH;
  } cases[] = {
      {0.2, false, false, 50, 50},  {0.2, true, false, 50, 50},  {1.0, false, true, 45, 45},
      {1.9, true, true, 60, 60},    {3.0, true, false, 40, 40},  {-0.7, false, false, 70, 35},
      {0.45, true, false, 35, 70},  {2.5, false, true, 55, 55},
  };
  GpBitmap* pic = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromScan0(40, 40, 0, PixelFormat32bppARGB, nullptr, &pic), Ok);
  const ARGB quarters[4] = {kRed, kGreen, kBlue, kYellow};
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) GdipBitmapSetPixel(pic, x, y, quarters[(x >= 20) + 2 * (y >= 20)]);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "angle " << c.angle << " mirror " << c.mirrorH << c.mirrorV << " "
                                    << c.halfW << " x " << c.halfH);
    const double cs = std::cos(c.angle), sn = std::sin(c.angle);
    const double cx = 100.3, cy = 99.6;
    auto corner = [&](double sx, double sy) {
      const double dx = (c.mirrorH ? -sx : sx) * c.halfW, dy = (c.mirrorV ? -sy : sy) * c.halfH;
      return GpPointF{float(cx + dx * cs - dy * sn), float(cy + dx * sn + dy * cs)};
    };
    const GpPointF pts[3] = {corner(-1, -1), corner(1, -1), corner(-1, 1)};
    Target t(200, 200);
    {
      Graphics g(t.dc);
      GdipSetSmoothingMode(g.g, SmoothingModeHighQuality);
      ASSERT_EQ(GdipDrawImagePoints(g.g, pic, pts, 3), Ok);
    }
    for (int q = 0; q < 4; ++q) {
      const double u = (q % 2 ? 30 : 10) / 40.0, v = (q / 2 ? 30 : 10) / 40.0;
      const double px = pts[0].X + (pts[1].X - pts[0].X) * u + (pts[2].X - pts[0].X) * v;
      const double py = pts[0].Y + (pts[1].Y - pts[0].Y) * u + (pts[2].Y - pts[0].Y) * v;
      const QRgb got = t.Pixel(int(std::floor(px)), int(std::floor(py)));
      EXPECT_LT(Distance(got, quarters[q]), 30) << "quarter " << q << " got " << std::hex << got;
    }
    EXPECT_EQ(t.Pixel(1, 1), 0xFFFFFFFFu);
  }
  GdipDisposeImage(pic);
}

// Pictures drawn at a fraction of their size are sampled from a reduced copy; they must still land on
// their points.
TEST(GdipDrawImagePoints, ShrunkPictureStillLandsWhereItsPointsSay) {
  GpBitmap* pic = nullptr;
  GdipCreateBitmapFromScan0(64, 64, 0, PixelFormat32bppARGB, nullptr, &pic);
  const ARGB quads[4] = {kRed, kGreen, kBlue, kYellow};
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) GdipBitmapSetPixel(pic, x, y, quads[(y >= 32) * 2 + (x >= 32)]);
  for (int size : {24, 12}) {  // a half and a quarter reduction
    SCOPED_TRACE(size);
    Target t(60, 60);
    {
      Graphics g(t.dc);
      GpPointF pts[3] = {{REAL(10 + size), 10}, {10, 10}, {REAL(10 + size), REAL(10 + size)}};  // mirrored
      ASSERT_EQ(GdipDrawImagePoints(g.g, pic, pts, 3), Ok);
    }
    const int q1 = 10 + size / 4, q3 = 10 + 3 * size / 4;
    EXPECT_LT(Distance(t.Pixel(q3, q1), kRed), 60);
    EXPECT_LT(Distance(t.Pixel(q1, q1), kGreen), 60);
    EXPECT_LT(Distance(t.Pixel(q3, q3), kBlue), 60);
    EXPECT_LT(Distance(t.Pixel(q1, q3), kYellow), 60);
    EXPECT_EQ(t.Pixel(9, 9), 0xFFFFFFFFu);
    EXPECT_EQ(t.Pixel(10 + size, 10 + size), 0xFFFFFFFFu);
  }
  GdipDisposeImage(pic);
}

TEST(GdipColorMatrix, AlphaScaleHalvesAlphaOnTheFastAndTheGeneralPath) {
  GpBitmap* pic = MakeBitmap(2, 2, {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0x80FF0000});
  struct Case {
    const char* name;
    ColorMatrix m;
    ARGB expectFull;  // where the source is opaque red
  };
  ColorMatrix half = Identity();
  half.m[3][3] = 0.5f;
  ColorMatrix swapHalf = half;  // red and blue swapped too: no fast path
  swapHalf.m[0][0] = swapHalf.m[2][2] = 0;
  swapHalf.m[0][2] = swapHalf.m[2][0] = 1;
  Case cases[] = {{"alpha only", half, 0x80FF0000}, {"with channel swap", swapHalf, 0x800000FF}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GpBitmap* target = MakeBitmap(2, 2, {0, 0, 0, 0});
    GpGraphics* g = nullptr;
    ASSERT_EQ(GdipGetImageGraphicsContext(target, &g), Ok);
    GpImageAttributes* attr = nullptr;
    GdipCreateImageAttributes(&attr);
    ASSERT_EQ(GdipSetImageAttributesColorMatrix(attr, ColorAdjustTypeBitmap, TRUE, &c.m, nullptr,
                                                ColorMatrixFlagsDefault), Ok);
    ASSERT_EQ(GdipDrawImageRectRectI(g, pic, 0, 0, 2, 2, 0, 0, 2, 2, UnitPixel, attr, nullptr, nullptr), Ok);
    GdipDisposeImageAttributes(attr);
    GdipDeleteGraphics(g);
    ARGB full = 0, quarter = 0;
    GdipBitmapGetPixel(target, 0, 0, &full);
    GdipBitmapGetPixel(target, 1, 1, &quarter);
    EXPECT_NEAR(int(full >> 24), 128, 2);
    EXPECT_NEAR(int(quarter >> 24), 64, 2);
    EXPECT_LT(Distance(full, c.expectFull), 6) << std::hex << full;
    GdipDisposeImage(target);
  }
  GdipDisposeImage(pic);
}

TEST(GdipColorMatrix, HalfAlphaOverWhiteGivesTheHalfwayColour) {
  GpBitmap* pic = MakeBitmap(1, 1, {kBlue});
  Target t(20, 20);
  ColorMatrix m = Identity();
  m.m[3][3] = 0.5f;
  GpImageAttributes* attr = nullptr;
  GdipCreateImageAttributes(&attr);
  GdipSetImageAttributesColorMatrix(attr, ColorAdjustTypeBitmap, TRUE, &m, nullptr, ColorMatrixFlagsDefault);
  {
    Graphics g(t.dc);
    GpPointF pts[3] = {{0, 0}, {20, 0}, {0, 20}};
    ASSERT_EQ(GdipDrawImagePointsRect(g.g, pic, pts, 3, 0, 0, 1, 1, UnitPixel, attr, nullptr, nullptr), Ok);
  }
  GdipDisposeImageAttributes(attr);
  EXPECT_LT(Distance(t.Pixel(10, 10), qRgb(127, 127, 255)), 6) << std::hex << t.Pixel(10, 10);
  GdipDisposeImage(pic);
}

TEST(GdipWorldTransform, YUpTransformDrawsPictureSpacePointsAtHMinusY) {
  const int H = 50;
  GpMatrix* flip = nullptr;
  GdipCreateMatrix(&flip);
  GdipSetMatrixElements(flip, 1, 0, 0, 1, 0, 0);
  GdipTranslateMatrix(flip, 0, REAL(H), MatrixOrderPrepend);
  GdipScaleMatrix(flip, 1, -1, MatrixOrderPrepend);
  GpPointF probe[2] = {{7, 12}, {30, 0}};
  GdipTransformMatrixPoints(flip, probe, 2);
  EXPECT_FLOAT_EQ(probe[0].X, 7);
  EXPECT_FLOAT_EQ(probe[0].Y, H - 12);
  EXPECT_FLOAT_EQ(probe[1].Y, H);

  // A 4x4 red picture whose picture-space upper-left corner is (20, 30): it covers pixels x 20..23 and
  // y H-30..H-27.
  GpBitmap* pic = MakeBitmap(4, 4, {});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) GdipBitmapSetPixel(pic, x, y, kRed);
  for (int bits : {32, 24}) {
    Target t(40, H, RGB(255, 255, 255), bits);
    {
      Graphics g(t.dc);
      ASSERT_EQ(GdipSetWorldTransform(g.g, flip), Ok);
      GpPointF pts[3] = {{20, 30}, {24, 30}, {20, 26}};
      ASSERT_EQ(GdipDrawImagePoints(g.g, pic, pts, 3), Ok);
    }
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < 40; ++x) {
        bool inside = x >= 20 && x < 24 && y >= H - 30 && y < H - 26;
        EXPECT_EQ(t.Pixel(x, y), inside ? 0xFFFF0000u : 0xFFFFFFFFu) << x << "," << y << " bits " << bits;
      }
  }
  GdipDeleteMatrix(flip);
  GdipDisposeImage(pic);
}

TEST(GdipPaths, PointInPathUsesTheOddEvenRule) {
  GpPath* path = nullptr;
  ASSERT_EQ(GdipCreatePath(FillModeAlternate, &path), Ok);
  // A concave "U": the notch between its arms is outside.
  GpPointF u[8] = {{0, 0}, {30, 0}, {30, 30}, {20, 30}, {20, 10}, {10, 10}, {10, 30}, {0, 30}};
  GdipAddPathPolygon(path, u, 8);
  struct Probe {
    REAL x, y;
    BOOL inside;
  } polygonProbes[] = {{5, 5, TRUE}, {5, 25, TRUE}, {15, 20, FALSE}, {25, 25, TRUE}, {15, 5, TRUE}, {-1, 5, FALSE}, {31, 5, FALSE}};
  for (const Probe& p : polygonProbes) {
    BOOL r = -1;
    ASSERT_EQ(GdipIsVisiblePathPoint(path, p.x, p.y, nullptr, &r), Ok);
    EXPECT_EQ(r, p.inside) << p.x << "," << p.y;
  }
  // Two overlapping ellipses: their overlap is outside, the rest of each is inside.
  GdipResetPath(path);
  GdipAddPathEllipse(path, 0, 0, 40, 20);
  GdipAddPathEllipse(path, 20, 0, 40, 20);
  Probe ellipseProbes[] = {{5, 10, TRUE}, {30, 10, FALSE}, {55, 10, TRUE}, {1, 1, FALSE}, {30, 5, FALSE}, {20, 19.5f, TRUE}, {10, 10, TRUE}};
  for (const Probe& p : ellipseProbes) {
    BOOL r = -1;
    GdipIsVisiblePathPoint(path, p.x, p.y, nullptr, &r);
    EXPECT_EQ(r, p.inside) << p.x << "," << p.y;
  }
  // Eight small handle circles: a point exactly 4 from a centre is on the circle, 5 is off.
  GdipResetPath(path);
  for (int i = 0; i < 8; ++i) GdipAddPathEllipse(path, REAL(i * 20 - 4), -4, 8, 8);
  BOOL on = FALSE, off = TRUE;
  GdipIsVisiblePathPoint(path, 40 + 4, 0, nullptr, &on);
  GdipIsVisiblePathPoint(path, 40 + 5, 0, nullptr, &off);
  EXPECT_EQ(on, TRUE);
  EXPECT_EQ(off, FALSE);
  GdipDeletePath(path);
}

TEST(GdipPaths, FillAndDrawPathPaintTheOutline) {
  Target t(40, 40);
  GpPath* path = nullptr;
  GdipCreatePath(FillModeAlternate, &path);
  GpPointF square[4] = {{10, 10}, {30, 10}, {30, 30}, {10, 30}};
  GdipAddPathPolygon(path, square, 4);
  GpSolidFill* brush = nullptr;
  GdipCreateSolidFill(kRed, &brush);
  GpPen* pen = nullptr;
  GdipCreatePen1(0xFF000000, 1, UnitWorld, &pen);
  {
    Graphics g(t.dc);
    ASSERT_EQ(GdipFillPath(g.g, brush, path), Ok);
    ASSERT_EQ(GdipDrawPath(g.g, pen, path), Ok);
    ASSERT_EQ(GdipDrawLine(g.g, pen, 0, 35.5f, 40, 35.5f), Ok);
  }
  EXPECT_EQ(t.Pixel(20, 20), 0xFFFF0000u);
  EXPECT_EQ(t.Pixel(5, 5), 0xFFFFFFFFu);
  EXPECT_EQ(t.Pixel(20, 35), 0xFF000000u);
  GdipDeletePen(pen);
  GdipDeleteBrush(brush);
  GdipDeletePath(path);
}

TEST(GdipEncoders, BmpEncoderFoundByMimeTypeSavesLosslessly) {
  UINT count = 0, size = 0;
  ASSERT_EQ(GdipGetImageEncodersSize(&count, &size), Ok);
  std::vector<std::uint8_t> buffer(size);
  auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
  ASSERT_EQ(GdipGetImageEncoders(count, size, codecs), Ok);
  const ImageCodecInfo* bmp = nullptr;
  for (UINT i = 0; i < count; ++i)
    if (std::u16string_view(codecs[i].MimeType) == u"image/bmp") bmp = &codecs[i];
  ASSERT_NE(bmp, nullptr);

  struct Case {
    const char* name;
    ARGB a, b;
    int bits;
  } cases[] = {{"opaque", 0xFF123456, 0xFFABCDEF, 24}, {"with alpha", 0x80123456, 0x01ABCDEF, 32}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GpBitmap* pic = MakeBitmap(3, 2, {c.a, c.b, c.a, c.b, c.a, c.b});
    std::string path = TempPath(std::string(c.name) + ".bmp");
    ASSERT_EQ(GdipSaveImageToFile(pic, U16(path).c_str(), &bmp->Clsid, nullptr), Ok);
    std::ifstream f(path, std::ios::binary);
    std::vector<char> head(30);
    f.read(head.data(), 30);
    EXPECT_EQ(head[0], 'B');
    EXPECT_EQ(int(head[28]), c.bits);
    GpBitmap* back = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromFile(U16(path).c_str(), &back), Ok);
    for (int i = 0; i < 6; ++i) {
      ARGB got = 0;
      GdipBitmapGetPixel(back, i % 3, i / 3, &got);
      EXPECT_EQ(got, (i % 2) ? c.b : c.a) << i;
    }
    GdipDisposeImage(back);
    // A write that cannot happen is reported.
    EXPECT_NE(GdipSaveImageToFile(pic, u"/nonexistent-folder/x.bmp", &bmp->Clsid, nullptr), Ok);
    GdipDisposeImage(pic);
  }
}

// JPEG photos open opaque with their colours, small ones and ones of many megabytes alike (large
// pictures are decoded into blocks of their own, and their pixels are taken without a conversion).
TEST(GdipFiles, JpegPhotosOfAnySizeOpenOpaqueWithTheirColours) {
  UINT count = 0, size = 0;
  ASSERT_EQ(GdipGetImageEncodersSize(&count, &size), Ok);
  std::vector<std::uint8_t> buffer(size);
  auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
  ASSERT_EQ(GdipGetImageEncoders(count, size, codecs), Ok);
  const ImageCodecInfo* jpeg = nullptr;
  for (UINT i = 0; i < count; ++i)
    if (std::u16string_view(codecs[i].MimeType) == u"image/jpeg") jpeg = &codecs[i];
  ASSERT_NE(jpeg, nullptr);
  // Four flat quarters: red, green, blue and grey.
  const ARGB quarters[4] = {0xFFD02020, 0xFF20C040, 0xFF3040D0, 0xFF808080};
  for (auto [w, h] : {std::pair{40, 30}, {2400, 1600}}) {
    SCOPED_TRACE(w);
    GpBitmap* pic = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppARGB, nullptr, &pic), Ok);
    GpGraphics* g = nullptr;
    ASSERT_EQ(GdipGetImageGraphicsContext(pic, &g), Ok);
    for (int q = 0; q < 4; ++q) {
      GpSolidFill* brush = nullptr;
      GdipCreateSolidFill(quarters[q], &brush);
      GdipFillRectangle(g, brush, REAL((q % 2) * w / 2), REAL((q / 2) * h / 2), REAL(w / 2), REAL(h / 2));
      GdipDeleteBrush(brush);
    }
    GdipDeleteGraphics(g);
    const std::string path = TempPath("photo" + std::to_string(w) + ".jpg");
    ASSERT_EQ(GdipSaveImageToFile(pic, U16(path).c_str(), &jpeg->Clsid, nullptr), Ok);
    GdipDisposeImage(pic);
    GpBitmap* back = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromFile(U16(path).c_str(), &back), Ok);
    UINT bw = 0, bh = 0;
    GdipGetImageWidth(back, &bw);
    GdipGetImageHeight(back, &bh);
    EXPECT_EQ(bw, UINT(w));
    EXPECT_EQ(bh, UINT(h));
    for (int q = 0; q < 4; ++q) {
      ARGB got = 0;
      ASSERT_EQ(GdipBitmapGetPixel(back, (q % 2) * w / 2 + w / 4, (q / 2) * h / 2 + h / 4, &got), Ok);
      EXPECT_EQ(got >> 24, 0xFFu) << q;
      for (int shift : {0, 8, 16})  // JPEG moves saturated flat colours by a few steps (chroma is coarser)
        EXPECT_NEAR(int(got >> shift & 0xFF), int(quarters[q] >> shift & 0xFF), 20) << q << " " << shift;
    }
    GdipDisposeImage(back);
  }
}

TEST(GdipBadFiles, BitmapFromAMissingOrDamagedFileReadsZeroAndDrawsNothing) {
  std::string damaged = TempPath("damaged.png");
  {
    std::ofstream f(damaged, std::ios::binary);
    f << "\x89PNG\r\n\x1a\n garbage";
  }
  std::string unknown = TempPath("unknown.png");
  {
    std::ofstream f(unknown, std::ios::binary);
    f << "not a picture at all";
  }
  for (const std::string& path : {TempPath("missing.png"), damaged, unknown}) {
    SCOPED_TRACE(path);
    GpBitmap* b = nullptr;
    EXPECT_NE(GdipCreateBitmapFromFile(U16(path).c_str(), &b), Ok);
    ASSERT_NE(b, nullptr);
    UINT w = 99, h = 99;
    EXPECT_EQ(GdipGetImageWidth(b, &w), Ok);
    EXPECT_EQ(GdipGetImageHeight(b, &h), Ok);
    EXPECT_EQ(w, 0u);
    EXPECT_EQ(h, 0u);
    Target t(20, 20);
    QImage before = t.Image();
    {
      Graphics g(t.dc);
      GpPointF pts[3] = {{0, 0}, {20, 0}, {0, 20}};
      GdipDrawImagePoints(g.g, b, pts, 3);
      GdipDrawImageRectI(g.g, b, 0, 0, 20, 20);
      GdipDrawImageRectRectI(g.g, b, 0, 0, 20, 20, 0, 0, 1, 1, UnitPixel, nullptr, nullptr, nullptr);
      EXPECT_NE(GdipDrawImageRectI(g.g, nullptr, 0, 0, 20, 20), Ok);
    }
    EXPECT_EQ(t.Image(), before);
    ARGB c = 0;
    EXPECT_EQ(GdipBitmapGetPixel(b, 0, 0, &c), InvalidParameter);
    GdipDisposeImage(b);
  }
}

TEST(GdipPixels, SetAndGetRoundTripExactlyForAnyAlpha) {
  GpBitmap* b = MakeBitmap(8, 8, {});
  int i = 0;
  for (ARGB a : {0u, 1u, 2u, 127u, 128u, 200u, 254u, 255u})
    for (ARGB rgb : {0x000000u, 0xFFFFFFu, 0x123456u, 0x01FE80u, 0xFF0001u, 0x7F7F7Fu, 0x00FF00u, 0xABCDEFu}) {
      ARGB c = a << 24 | rgb, got = 0;
      ASSERT_EQ(GdipBitmapSetPixel(b, i % 8, i / 8, c), Ok);
      ASSERT_EQ(GdipBitmapGetPixel(b, i % 8, i / 8, &got), Ok);
      EXPECT_EQ(got, c);
      ++i;
    }
  EXPECT_EQ(GdipBitmapSetPixel(b, 8, 0, 0), InvalidParameter);
  EXPECT_EQ(GdipBitmapSetPixel(b, 0, -1, 0), InvalidParameter);
  GdipDisposeImage(b);
}

TEST(GdipClones, AreaCloneCopiesTheRectangleAndRefusesOneOutside) {
  GpBitmap* b = MakeBitmap(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  GpBitmap* c = nullptr;
  ASSERT_EQ(GdipCloneBitmapAreaI(1, 1, 2, 2, 0, b, &c), Ok);
  UINT w = 0;
  GdipGetImageWidth(c, &w);
  EXPECT_EQ(w, 2u);
  ARGB v = 0;
  GdipBitmapGetPixel(c, 1, 1, &v);
  EXPECT_EQ(v, 9u);
  GdipBitmapSetPixel(c, 0, 0, 42);  // the clone is independent
  GdipBitmapGetPixel(b, 1, 1, &v);
  EXPECT_EQ(v, 5u);
  GpBitmap* bad = nullptr;
  EXPECT_EQ(GdipCloneBitmapAreaI(2, 2, 2, 2, 0, b, &bad), InvalidParameter);
  EXPECT_EQ(bad, nullptr);
  GdipDisposeImage(c);
  GdipDisposeImage(b);
}

TEST(GdipGdiBitmaps, RoundTripThroughHBITMAPAndAClassLibraryBitmap) {
  TBitmap source;
  source.SetPixelFormat(pf24bit);
  source.SetSize(4, 3);
  source.Canvas()->SetPixels(1, 2, clRed);
  GpBitmap* b = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromHBITMAP(source.Handle(), source.Palette(), &b), Ok);
  ARGB c = 0;
  GdipBitmapGetPixel(b, 1, 2, &c);
  EXPECT_EQ(c, 0xFFFF0000u);
  GdipBitmapGetPixel(b, 0, 0, &c);
  EXPECT_EQ(c, 0xFFFFFFFFu);
  GdipBitmapSetPixel(b, 3, 0, 0xFF0000FF);
  HBITMAP h = nullptr;
  ASSERT_EQ(GdipCreateHBITMAPFromBitmap(b, &h, 0), Ok);
  TBitmap back;
  back.SetHandle(h);
  back.SetPixelFormat(pf24bit);
  EXPECT_EQ(back.Width(), 4);
  EXPECT_EQ(back.Canvas()->Pixels(1, 2), clRed);
  EXPECT_EQ(back.Canvas()->Pixels(3, 0), clBlue);
  GdipDisposeImage(b);
}

TEST(GdipGraphics, DrawingHonoursTheDcOriginAndClip) {
  GpBitmap* pic = MakeBitmap(1, 1, {kGreen});
  Target t(30, 30);
  SetViewportOrgEx(t.dc, 5, 5, nullptr);
  IntersectClipRect(t.dc, 0, 0, 10, 10);  // logical: pixels 5..14 after the origin
  {
    Graphics g(t.dc);
    ASSERT_EQ(GdipDrawImageRectI(g.g, pic, 0, 0, 20, 20), Ok);
  }
  EXPECT_EQ(t.Pixel(4, 4), 0xFFFFFFFFu);
  EXPECT_EQ(t.Pixel(5, 5), 0xFF00FF00u);
  EXPECT_EQ(t.Pixel(14, 14), 0xFF00FF00u);
  EXPECT_EQ(t.Pixel(16, 16), 0xFFFFFFFFu);
  GdipDisposeImage(pic);
}

// An opaque picture drawn unscaled on whole pixels lands pixel for pixel: its own colours inside the
// DC's clip, nothing changed outside, whatever the origins, the world offset and the target's edges.
TEST(GdipGraphics, UnscaledOpaquePictureIsCopiedExactlyIntoTheClip) {
  struct Case {
    const char* name;
    int x, y;            // where the picture goes (logical)
    int originX, originY;  // viewport origin
    RECT clip;           // logical clip
    float worldDx, worldDy;
  } cases[] = {
      {"inside", 4, 6, 0, 0, {0, 0, 40, 30}, 0, 0},
      {"origin and clip", 2, 3, 5, 4, {3, 2, 14, 11}, 0, 0},
      {"hanging over the top-left", -7, -5, 0, 0, {0, 0, 40, 30}, 0, 0},
      {"hanging over the bottom-right", 30, 22, 0, 0, {0, 0, 40, 30}, 0, 0},
      {"world offset", 1, 1, 2, 0, {0, 0, 40, 30}, 6, -3},
  };
  const int pw = 13, ph = 11;
  std::vector<ARGB> colours;
  for (int i = 0; i < pw * ph; ++i) colours.push_back(0xFF000000u | ARGB(i * 977 % 0xFFFFFF));
  GpBitmap* pic = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromScan0(pw, ph, 4 * pw, PixelFormat32bppARGB, reinterpret_cast<BYTE*>(colours.data()), &pic), Ok);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Target t(40, 30);
    SetViewportOrgEx(t.dc, c.originX, c.originY, nullptr);
    IntersectClipRect(t.dc, c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
    {
      Graphics g(t.dc);
      GpMatrix* m = nullptr;
      ASSERT_EQ(GdipCreateMatrix2(1, 0, 0, 1, c.worldDx, c.worldDy, &m), Ok);
      GdipSetWorldTransform(g.g, m);
      GdipDeleteMatrix(m);
      GdipSetSmoothingMode(g.g, SmoothingModeHighQuality);
      ASSERT_EQ(GdipDrawImageRectI(g.g, pic, c.x, c.y, pw, ph), Ok);
    }
    int changed = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) {
        const int lx = x - c.originX, ly = y - c.originY;  // logical point of the pixel
        const int px = lx - c.x - int(c.worldDx), py = ly - c.y - int(c.worldDy);
        const bool inClip = lx >= c.clip.left && lx < c.clip.right && ly >= c.clip.top && ly < c.clip.bottom;
        const bool inPicture = px >= 0 && px < pw && py >= 0 && py < ph;
        const QRgb want = inClip && inPicture ? colours[py * pw + px] : 0xFFFFFFFFu;
        ASSERT_EQ(t.Pixel(x, y), want) << x << "," << y;
        changed += inClip && inPicture;
      }
    EXPECT_GT(changed, 0);
  }
  GdipDisposeImage(pic);
}

TEST(GdipGraphics, ClearFillsWithTheColour) {
  Target t(10, 10);
  {
    Graphics g(t.dc);
    ASSERT_EQ(GdipGraphicsClear(g.g, 0xFF336699), Ok);
  }
  EXPECT_EQ(t.Pixel(0, 0), 0xFF336699u);
  EXPECT_EQ(t.Pixel(9, 9), 0xFF336699u);
}

TEST(GdipText, DrawStringIsAntiAliasedAndShowsChineseText) {
  Target t(200, 40);
  GpFontFamily* family = nullptr;
  ASSERT_EQ(GdipCreateFontFamilyFromName(u"宋体", nullptr, &family), Ok);
  GpFont* font = nullptr;
  ASSERT_EQ(GdipCreateFont(family, 16, FontStyleBold, UnitPoint, &font), Ok);
  GpSolidFill* black = nullptr;
  GdipCreateSolidFill(0xFF000000, &black);
  {
    Graphics g(t.dc);
    GdipSetTextRenderingHint(g.g, TextRenderingHintAntiAlias);
    GpRectF at{4, 4, 0, 0};
    ASSERT_EQ(GdipDrawString(g.g, u"发型 Hair", -1, font, &at, nullptr, black), Ok);
  }
  int dark = 0, grey = 0, darkLeft = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x) {
      int v = qGray(t.Pixel(x, y));
      dark += v < 60;
      grey += v > 60 && v < 200;
      darkLeft += v < 60 && x < 50;
    }
  EXPECT_GT(darkLeft, 20);  // the Chinese characters come first
  EXPECT_GT(dark, 60);
  EXPECT_GT(grey, 20);  // anti-aliased edges
  EXPECT_EQ(t.Pixel(2, 2), 0xFFFFFFFFu);  // nothing above-left of the origin
  if (const char* dir = std::getenv("TRESSORA_ARTIFACTS"))
    win::BitmapImage(t.bm)->save(QString::fromStdString(std::string(dir) + "/gdiplus_text.png"));
  GdipDeleteBrush(black);
  GdipDeleteFont(font);
  GdipDeleteFontFamily(family);
}

TEST(GdipStartup, VersionOneStartsOthersAreRefused) {
  ULONG_PTR token = 0;
  GdiplusStartupInput input;
  EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), Ok);
  EXPECT_NE(token, 0u);
  GdiplusShutdown(token);
  input.GdiplusVersion = 2;
  EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), UnsupportedGdiplusVersion);
}

TEST(GdipPixels, LockedBitsWriteThroughAndDrawingSeesThem) {
  GpBitmap* b = MakeBitmap(4, 4, {});
  Target before(8, 8);
  {
    Graphics g(before.dc);
    GdipDrawImageRectI(g.g, b, 0, 0, 4, 4);  // fills the draw cache with the old pixels
  }
  BitmapData data;
  GpRect r{1, 1, 2, 2};
  ASSERT_EQ(GdipBitmapLockBits(b, &r, ImageLockModeWrite, PixelFormat32bppARGB, &data), Ok);
  EXPECT_EQ(GdipBitmapLockBits(b, &r, ImageLockModeRead, PixelFormat32bppARGB, &data), WrongState);
  for (UINT y = 0; y < data.Height; ++y) {
    auto* row = reinterpret_cast<ARGB*>(static_cast<BYTE*>(data.Scan0) + y * data.Stride);
    for (UINT x = 0; x < data.Width; ++x) row[x] = kBlue;
  }
  ASSERT_EQ(GdipBitmapUnlockBits(b, &data), Ok);
  ARGB c = 0;
  GdipBitmapGetPixel(b, 2, 2, &c);
  EXPECT_EQ(c, kBlue);
  GdipBitmapGetPixel(b, 0, 0, &c);
  EXPECT_EQ(c, 0u);
  Target t(4, 4);
  {
    Graphics g(t.dc);
    GdipDrawImageRectI(g.g, b, 0, 0, 4, 4);
  }
  EXPECT_EQ(t.Pixel(1, 1), 0xFF0000FFu);
  EXPECT_EQ(t.Pixel(0, 0), 0xFFFFFFFFu);
  GpRect outside{3, 3, 2, 2};
  EXPECT_EQ(GdipBitmapLockBits(b, &outside, ImageLockModeRead, PixelFormat32bppARGB, &data), InvalidParameter);
  GdipDisposeImage(b);
}

// The main scene as the program draws it, from the shipped pictures: gradient, portrait and a faded
// hair style through one y-up transform, the selection outline and handles. Written for a person to
// look at; the assertions check that the pictures decoded and landed.
TEST(GdipScene, ShippedPicturesDrawnThroughTheYUpTransform) {
  std::string root = __FILE__;
  root = root.substr(0, root.rfind("/tests/platform/gdiplus/"));
  GpBitmap* portrait = nullptr;
  GpBitmap* hair = nullptr;
  if (GdipCreateBitmapFromFile(U16(root + "/assets/Models/1.png").c_str(), &portrait) != Ok) {
    GdipDisposeImage(portrait);
    GTEST_SKIP() << "shipped pictures not found beside the sources";
  }
  std::u16string hairName = U16(root + "/assets/Hairs/") + u"女士/01.png";
  ASSERT_EQ(GdipCreateBitmapFromFile(hairName.c_str(), &hair), Ok);
  UINT pw = 0, ph = 0, hw = 0;
  GdipGetImageWidth(portrait, &pw);
  GdipGetImageHeight(portrait, &ph);
  GdipGetImageWidth(hair, &hw);
  ASSERT_GT(pw, 0u);
  ASSERT_GT(hw, 0u);
  const int W = 480, H = 560;
  Target t(W, H, RGB(255, 255, 255), 24);
  GpBitmap* gradient = MakeBitmap(2, 2, {0xFFFFFFFF, 0xFFC080C0, 0xFFC080C0, 0xFF800080});
  GpMatrix* flip = nullptr;
  GdipCreateMatrix(&flip);
  GdipTranslateMatrix(flip, 0, REAL(H), MatrixOrderPrepend);
  GdipScaleMatrix(flip, 1, -1, MatrixOrderPrepend);
  {
    Graphics g(t.dc);
    GdipDrawImageRectI(g.g, gradient, 0, 0, W, H);
    GdipSetSmoothingMode(g.g, SmoothingModeHighQuality);
    GdipSetWorldTransform(g.g, flip);
    GpPointF p[3] = {{60, 520}, {420, 520}, {60, 40}};  // picture space: y grows upwards
    ASSERT_EQ(GdipDrawImagePoints(g.g, portrait, p, 3), Ok);
    ColorMatrix fade = Identity();
    fade.m[3][3] = 0.8f;
    GpImageAttributes* attr = nullptr;
    GdipCreateImageAttributes(&attr);
    GdipSetImageAttributesColorMatrix(attr, ColorAdjustTypeBitmap, TRUE, &fade, nullptr, ColorMatrixFlagsDefault);
    GpPointF h[3] = {{120, 540}, {380, 560}, {110, 280}};  // slightly turned
    UINT hh = 0;
    GdipGetImageHeight(hair, &hh);
    ASSERT_EQ(GdipDrawImagePointsRect(g.g, hair, h, 3, 0, 0, REAL(hw), REAL(hh), UnitPixel, attr, nullptr, nullptr), Ok);
    GdipDisposeImageAttributes(attr);
    GpPath* outline = nullptr;
    GdipCreatePath(FillModeAlternate, &outline);
    GpPointF corners[4] = {{120, 540}, {380, 560}, {370, 300}, {110, 280}};
    GdipAddPathPolygon(outline, corners, 4);
    GpPath* handles = nullptr;
    GdipCreatePath(FillModeAlternate, &handles);
    for (const GpPointF& c : corners) GdipAddPathEllipse(handles, c.X - 4, c.Y - 4, 8, 8);
    GpPen* pen = nullptr;
    GdipCreatePen1(0xFF000000, 1, UnitWorld, &pen);
    GpSolidFill* red = nullptr;
    GdipCreateSolidFill(0xFFFF0000, &red);
    GdipDrawPath(g.g, pen, outline);
    GdipFillPath(g.g, red, handles);
    GdipDrawPath(g.g, pen, handles);
    GdipDeletePen(pen);
    GdipDeleteBrush(red);
    GdipDeletePath(handles);
    GdipDeletePath(outline);
  }
  // A handle centre (picture (380, 560) is pixel (380, 0)) is red; the middle of the portrait is not
  // background.
  EXPECT_LT(Distance(t.Pixel(379, 1), qRgb(255, 0, 0)), 60);
  EXPECT_NE(t.Pixel(240, 400), t.Pixel(10, 400));
  if (const char* dir = std::getenv("TRESSORA_ARTIFACTS"))
    win::BitmapImage(t.bm)->save(QString::fromStdString(std::string(dir) + "/gdiplus_scene.png"));
  GdipDeleteMatrix(flip);
  GdipDisposeImage(gradient);
  GdipDisposeImage(hair);
  GdipDisposeImage(portrait);
}

TEST(GdipGraphics, ClearingABitmapWithATranslucentColourKeepsItsAlpha) {
  GpBitmap* b = nullptr;  // starts opaque
  ASSERT_EQ(GdipCreateBitmapFromScan0(2, 2, 0, PixelFormat32bppRGB, nullptr, &b), Ok);
  GpGraphics* g = nullptr;
  ASSERT_EQ(GdipGetImageGraphicsContext(b, &g), Ok);
  GdipGraphicsClear(g, 0x400000FF);
  GdipDeleteGraphics(g);
  ARGB c = 0;
  GdipBitmapGetPixel(b, 1, 1, &c);
  EXPECT_EQ(c, 0x400000FFu);
  Target t(2, 2);  // drawn over white it must blend, not show opaque blue
  {
    Graphics tg(t.dc);
    GdipDrawImageRectI(tg.g, b, 0, 0, 2, 2);
  }
  EXPECT_LT(Distance(t.Pixel(0, 0), qRgb(191, 191, 255)), 8) << std::hex << t.Pixel(0, 0);
  GdipDisposeImage(b);
}

// Preparing a bitmap ahead (on whatever thread owns it) changes nothing a drawing shows, at every
// level of reduction, and a pixel set afterwards still shows.
TEST(GdipGraphics, PreparedBitmapDrawsTheSamePixels) {
  auto make = [] {
    GpBitmap* b = nullptr;
    EXPECT_EQ(GdipCreateBitmapFromScan0(64, 48, 0, PixelFormat32bppARGB, nullptr, &b), Ok);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x)
        GdipBitmapSetPixel(b, x, y, (ARGB(128 + (x + y) % 128) << 24) | ARGB(x * 4) << 16 | ARGB(y * 5) << 8 | 0x40);
    return b;
  };
  for (const float scale : {1.0f, 0.4f, 0.2f}) {
    GpBitmap* plain = make();
    GpBitmap* prepared = make();
    ASSERT_EQ(GdipPrepareBitmapForDrawing(prepared, scale), Ok);
    GdipBitmapSetPixel(prepared, 0, 0, 0xFF00FF00u);
    GdipBitmapSetPixel(plain, 0, 0, 0xFF00FF00u);
    const int w = int(64 * scale), h = int(48 * scale);
    Target a(70, 50), b(70, 50);
    {
      Graphics ga(a.dc), gb(b.dc);
      ASSERT_EQ(GdipDrawImageRectI(ga.g, plain, 1, 1, w, h), Ok);
      ASSERT_EQ(GdipDrawImageRectI(gb.g, prepared, 1, 1, w, h), Ok);
    }
    EXPECT_EQ(a.Image(), b.Image()) << "scale " << scale;
    GdipDisposeImage(plain);
    GdipDisposeImage(prepared);
  }
  EXPECT_EQ(GdipPrepareBitmapForDrawing(nullptr, 0.5f), InvalidParameter);
}

// Drawn straight after preparing, at the prepared scale and at others, a picture with and without
// transparency shows what the unprepared one shows.
TEST(GdipGraphics, PreparedBitmapUsedAsPreparedDrawsTheSamePixels) {
  auto make = [](bool alpha) {
    GpBitmap* b = nullptr;
    EXPECT_EQ(GdipCreateBitmapFromScan0(83, 100, 0, alpha ? PixelFormat32bppARGB : PixelFormat32bppRGB, nullptr, &b), Ok);
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 83; ++x)
        GdipBitmapSetPixel(b, x, y, (alpha ? ARGB((x * 7 + y * 3) % 256) << 24 : 0xFF000000u) | ARGB(x * 3) << 16 |
                                        ARGB(y * 2) << 8 | ARGB((x * y) % 256));
    return b;
  };
  for (const bool alpha : {true, false})
    for (const float prepareScale : {1.0f, 0.383f, 0.2f})
      for (const float drawScale : {1.0f, 0.383f, 0.2f}) {
        GpBitmap* plain = make(alpha);
        GpBitmap* prepared = make(alpha);
        ASSERT_EQ(GdipPrepareBitmapForDrawing(prepared, prepareScale), Ok);
        const int w = int(Round(83 * drawScale)), h = int(Round(100 * drawScale));
        Target a(90, 110), b(90, 110);
        {
          Graphics ga(a.dc), gb(b.dc);
          ASSERT_EQ(GdipDrawImageRectI(ga.g, plain, -3, 1, w, h), Ok);
          ASSERT_EQ(GdipDrawImageRectI(gb.g, prepared, -3, 1, w, h), Ok);
        }
        EXPECT_EQ(a.Image(), b.Image()) << "alpha " << alpha << " prepared " << prepareScale << " drawn " << drawScale;
        GdipDisposeImage(plain);
        GdipDisposeImage(prepared);
      }
}
