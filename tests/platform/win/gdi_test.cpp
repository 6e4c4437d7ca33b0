// GDI's pixel rules on memory device contexts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/win/windows.h"
#include "surface.h"

namespace {

TEST(Gdi, RectangleExcludesRightAndBottomAndFillsInside) {
  Surface c(12, 12);
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
  Rectangle(c.dc, 2, 2, 7, 6);
  EXPECT_EQ(c.At(2, 2), kBlack);
  EXPECT_EQ(c.At(6, 5), kBlack);
  EXPECT_EQ(c.At(7, 5), kRed);
  EXPECT_EQ(c.At(6, 6), kRed);
  EXPECT_EQ(c.At(3, 3), kWhite);
  EXPECT_EQ(c.At(5, 4), kWhite);
  EXPECT_EQ(c.At(1, 1), kRed);
  // Without a pen the fill is one pixel smaller on the right and bottom.
  c.Fill(kRed);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  Rectangle(c.dc, 2, 2, 7, 6);
  EXPECT_EQ(c.At(2, 2), kWhite);
  EXPECT_EQ(c.At(5, 4), kWhite);
  EXPECT_EQ(c.At(6, 4), kRed);
  EXPECT_EQ(c.At(5, 5), kRed);
  // FillRect covers exactly [left, right) x [top, bottom).
  c.Fill(kRed);
  RECT r{1, 1, 4, 3};
  FillRect(c.dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  int black = 0;
  for (COLORREF p : c.All()) black += p == kBlack;
  EXPECT_EQ(black, 6);
}

TEST(Gdi, LineToLeavesOutItsLastPixel) {
  struct Case {
    int x0, y0, x1, y1, count;
  };
  for (Case k : {Case{0, 0, 5, 0, 5}, Case{1, 1, 1, 7, 6}, Case{0, 0, 6, 6, 6}, Case{6, 2, 0, 2, 6}, Case{2, 2, 2, 2, 0}}) {
    Surface c(10, 10);
    MoveToEx(c.dc, k.x0, k.y0, nullptr);
    LineTo(c.dc, k.x1, k.y1);
    int black = 0;
    for (COLORREF p : c.All()) black += p == kBlack;
    EXPECT_EQ(black, k.count) << k.x0 << "," << k.y0 << " -> " << k.x1 << "," << k.y1;
    EXPECT_EQ(c.At(k.x1, k.y1), kRed) << "end point drawn";
    POINT pos;
    GetCurrentPositionEx(c.dc, &pos);
    EXPECT_EQ(pos.x, k.x1);
  }
}

TEST(Gdi, XorPenTwiceRestoresThePicture) {
  Surface c(20, 20);
  // A varied background.
  for (int i = 0; i < 20; ++i) SetPixel(c.dc, i, i, RGB(i * 10, 255 - i * 7, 33));
  std::vector<COLORREF> before = c.All();
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0x5A, 0xA5, 0x0F));
  SelectObject(c.dc, pen);
  SelectObject(c.dc, GetStockObject(NULL_BRUSH));
  SetROP2(c.dc, R2_XORPEN);
  for (int pass = 0; pass < 2; ++pass) {
    MoveToEx(c.dc, 1, 1, nullptr);
    LineTo(c.dc, 18, 9);
    Rectangle(c.dc, 3, 3, 15, 12);
    POINT poly[] = {{2, 17}, {10, 5}, {17, 17}};
    Polyline(c.dc, poly, 3);
    if (pass == 0) { EXPECT_NE(c.All(), before); }
  }
  EXPECT_EQ(c.All(), before);
  // R2_NOT inverts.
  SetROP2(c.dc, R2_NOT);
  MoveToEx(c.dc, 0, 19, nullptr);
  LineTo(c.dc, 3, 19);
  EXPECT_EQ(c.At(1, 19), RGB(0, 255, 255));
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
  // A focus rectangle drawn twice disappears.
  before = c.All();
  RECT fr{2, 2, 12, 9};
  DrawFocusRect(c.dc, &fr);
  EXPECT_NE(c.All(), before);
  DrawFocusRect(c.dc, &fr);
  EXPECT_EQ(c.All(), before);
}

TEST(Gdi, HatchBrushRepeatsEveryEightPixelsWithBackgroundMode) {
  Surface c(16, 16);
  HBRUSH hatch = CreateHatchBrush(HS_CROSS, kBlue);
  SetBkColor(c.dc, kWhite);
  SetBkMode(c.dc, OPAQUE);
  RECT r{0, 0, 16, 16};
  FillRect(c.dc, &r, hatch);
  int lineRow = -1, lineCol = -1;
  for (int y = 0; y < 8; ++y) {
    bool full = true;
    for (int x = 0; x < 16; ++x) full &= c.At(x, y) == kBlue;
    if (full) lineRow = y;
  }
  for (int x = 0; x < 8; ++x) {
    bool full = true;
    for (int y = 0; y < 16; ++y) full &= c.At(x, y) == kBlue;
    if (full) lineCol = x;
  }
  ASSERT_GE(lineRow, 0);
  ASSERT_GE(lineCol, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      bool on = (y % 8) == lineRow || (x % 8) == lineCol;
      ASSERT_EQ(c.At(x, y), on ? kBlue : kWhite) << x << "," << y;
    }
  // Transparent background mode leaves the gaps alone.
  c.Fill(kRed);
  SetBkMode(c.dc, TRANSPARENT);
  FillRect(c.dc, &r, hatch);
  EXPECT_EQ(c.At(lineCol + 1, lineRow + 1), kRed);
  EXPECT_EQ(c.At(lineCol, lineRow + 1), kBlue);
  DeleteObject(hatch);
}

TEST(Gdi, ClipRegionsAndOriginsLimitDrawing) {
  Surface c(20, 20);
  HRGN rgn = CreateRectRgn(4, 4, 8, 8);
  SelectClipRgn(c.dc, rgn);
  DeleteObject(rgn);  // the DC keeps its own copy
  RECT all{0, 0, 20, 20};
  FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.At(4, 4), kBlack);
  EXPECT_EQ(c.At(7, 7), kBlack);
  EXPECT_EQ(c.At(8, 8), CLR_INVALID) << "GetPixel outside the clip";
  ExcludeClipRect(c.dc, 5, 5, 6, 6);
  RECT box;
  EXPECT_EQ(GetClipBox(c.dc, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 4);
  EXPECT_EQ(box.right, 8);
  SelectClipRgn(c.dc, nullptr);
  EXPECT_EQ(c.At(8, 8), kRed);
  // The viewport origin shifts logical coordinates; IntersectClipRect takes logical ones.
  c.Fill(kRed);
  SetViewportOrgEx(c.dc, 10, 10, nullptr);
  IntersectClipRect(c.dc, 0, 0, 3, 3);
  FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetViewportOrgEx(c.dc, 0, 0, nullptr);
  SelectClipRgn(c.dc, nullptr);
  EXPECT_EQ(c.At(10, 10), kWhite);
  EXPECT_EQ(c.At(12, 12), kWhite);
  EXPECT_EQ(c.At(13, 13), kRed);
  EXPECT_EQ(c.At(9, 9), kRed);
  // SaveDC/RestoreDC bring back the state.
  int saved = SaveDC(c.dc);
  SetTextColor(c.dc, kBlue);
  IntersectClipRect(c.dc, 0, 0, 1, 1);
  RestoreDC(c.dc, saved);
  EXPECT_EQ(GetTextColor(c.dc), kBlack);
  EXPECT_EQ(c.At(5, 5), kRed);
}

TEST(Gdi, BitBltAndStretchBltWithRasterOperations) {
  Surface src(4, 4, kBlack);
  SetPixel(src.dc, 0, 0, kWhite);
  SetPixel(src.dc, 1, 0, RGB(0x0F, 0xF0, 0x33));
  Surface dst(12, 12, RGB(0xF0, 0x0F, 0x55));
  BitBlt(dst.dc, 2, 3, 4, 4, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.At(2, 3), kWhite);
  EXPECT_EQ(dst.At(3, 3), RGB(0x0F, 0xF0, 0x33));
  EXPECT_EQ(dst.At(5, 6), kBlack);
  EXPECT_EQ(dst.At(6, 6), RGB(0xF0, 0x0F, 0x55));
  struct Case {
    DWORD rop;
    COLORREF expect;  // at the pixel where source is 0x0FF033 over 0xF00F55
  };
  for (Case k : {Case{SRCPAINT, RGB(0xFF, 0xFF, 0x77)}, Case{SRCAND, RGB(0x00, 0x00, 0x11)},
                 Case{SRCINVERT, RGB(0xFF, 0xFF, 0x66)}, Case{NOTSRCCOPY, RGB(0xF0, 0x0F, 0xCC)}}) {
    dst.Fill(RGB(0xF0, 0x0F, 0x55));
    BitBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, k.rop);
    EXPECT_EQ(dst.At(1, 0), k.expect) << std::hex << k.rop;
  }
  dst.Fill(kRed);
  PatBlt(dst.dc, 0, 0, 2, 2, DSTINVERT);
  EXPECT_EQ(dst.At(1, 1), RGB(0, 255, 255));
  PatBlt(dst.dc, 0, 0, 2, 2, WHITENESS);
  EXPECT_EQ(dst.At(0, 0), kWhite);
  // Stretching doubles pixels; a negative width mirrors.
  dst.Fill(kRed);
  SetStretchBltMode(dst.dc, COLORONCOLOR);
  StretchBlt(dst.dc, 0, 0, 8, 8, src.dc, 0, 0, 4, 4, SRCCOPY);
  EXPECT_EQ(dst.At(0, 0), kWhite);
  EXPECT_EQ(dst.At(1, 1), kWhite);
  EXPECT_EQ(dst.At(2, 0), RGB(0x0F, 0xF0, 0x33));
  EXPECT_EQ(dst.At(4, 4), kBlack);
  EXPECT_EQ(dst.At(8, 8), kRed);
  dst.Fill(kRed);
  StretchBlt(dst.dc, 3, 0, -4, 4, src.dc, 0, 0, 4, 4, SRCCOPY);
  EXPECT_EQ(dst.At(3, 0), kWhite) << "mirrored: the first source column lands on the right";
  EXPECT_EQ(dst.At(0, 0), kBlack);
}

TEST(Gdi, DibSectionsShareTheirBitsAndReportTheirLayout) {
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = 5;
  bi.bmiHeader.biHeight = -3;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(bits, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bits) % 4096, 0u) << "the pixels start on a page";
  BITMAP info;
  ASSERT_EQ(GetObject(b, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 5);
  EXPECT_EQ(info.bmHeight, 3);
  EXPECT_EQ(info.bmBitsPixel, 24);
  EXPECT_EQ(info.bmWidthBytes, 16) << "rows are 4-byte aligned";
  auto* p = static_cast<unsigned char*>(bits);
  p[16 * 2 + 3 * 4 + 0] = 0x11;  // blue of (4, 2)
  p[16 * 2 + 3 * 4 + 1] = 0x22;
  p[16 * 2 + 3 * 4 + 2] = 0x33;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b);
  EXPECT_EQ(GetPixel(dc, 4, 2), RGB(0x33, 0x22, 0x11));
  SetPixel(dc, 0, 0, RGB(1, 2, 3));
  EXPECT_EQ(p[0], 3);
  EXPECT_EQ(p[2], 1);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(b);
  bi.bmiHeader.biBitCount = 8;
  EXPECT_EQ(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
}

// Freed large sections are kept for the next ones: a new section still starts on a page and reads as
// zeros, whatever the block held before, for each size around the one freed (the same, smaller, larger).
TEST(Gdi, NewSectionsStartOnAPageAndReadAsZerosAfterLargeOnesWereFreed) {
  for (int width : {1200, 1000, 1300, 700}) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -900;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bits) % 4096, 0u) << width;
    const std::size_t bytes = std::size_t((width * 3 + 3) / 4 * 4) * 900;
    const auto* p = static_cast<const unsigned char*>(bits);
    EXPECT_TRUE(std::all_of(p, p + bytes, [](unsigned char c) { return c == 0; })) << width;
    std::memset(bits, 0xAB, bytes);  // what the next section must not see
    DeleteObject(b);
  }
}

TEST(Gdi, TextIsMeasuredAndDrawnInsideItsRectangle) {
  Surface c(200, 60, kWhite);
  LOGFONT lf;
  lf.lfHeight = -16;
  HFONT f = CreateFontIndirect(&lf);
  SelectObject(c.dc, f);
  SIZE latin, cjk;
  ASSERT_TRUE(GetTextExtentPoint32(c.dc, "Hello", 5, &latin));
  ASSERT_TRUE(GetTextExtentPoint32(c.dc, "中文", 6, &cjk));
  EXPECT_GT(latin.cx, 20);
  EXPECT_GT(cjk.cx, 20) << "CJK text has a fallback font";
  TEXTMETRIC tm;
  GetTextMetrics(c.dc, &tm);
  EXPECT_EQ(tm.tmHeight, latin.cy);
  EXPECT_GE(tm.tmHeight, 16);
  RECT calc{0, 0, 1000, 0};
  int h = DrawText(c.dc, "ab\ncd", -1, &calc, DT_CALCRECT);
  EXPECT_EQ(h, 2 * tm.tmHeight);
  EXPECT_EQ(calc.bottom, 2 * tm.tmHeight);
  RECT r{10, 10, 120, 50};
  SetBkMode(c.dc, TRANSPARENT);
  SetTextColor(c.dc, kBlack);
  DrawText(c.dc, "中文 text", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  int inside = 0, outside = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x) {
      bool dark = GetRValue(c.At(x, y)) < 128;
      bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      (in ? inside : outside) += dark;
    }
  EXPECT_GT(inside, 20);
  EXPECT_EQ(outside, 0);
  // Opaque text fills its box with the background colour.
  SetBkMode(c.dc, OPAQUE);
  SetBkColor(c.dc, kBlue);
  TextOut(c.dc, 130, 5, "x", 1);
  EXPECT_EQ(c.At(130, 5), kBlue);
  SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

TEST(Gdi, EllipseAndPolygonStayInsideTheirBoxes) {
  Surface c(20, 20);
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  SelectObject(c.dc, GetStockObject(WHITE_BRUSH));
  Ellipse(c.dc, 2, 2, 12, 10);
  int minX = 99, maxX = -1, minY = 99, maxY = -1;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      if (c.At(x, y) != kRed) minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
  EXPECT_EQ(minX, 2);
  EXPECT_EQ(maxX, 11);
  EXPECT_EQ(minY, 2);
  EXPECT_EQ(maxY, 9);
  EXPECT_EQ(c.At(7, 6), kWhite);
  c.Fill(kRed);
  POINT tri[] = {{2, 2}, {15, 2}, {2, 15}};
  Polygon(c.dc, tri, 3);
  EXPECT_EQ(c.At(2, 2), kBlack);
  EXPECT_EQ(c.At(4, 4), kWhite);
  EXPECT_EQ(c.At(14, 14), kRed);
}

TEST(Gdi, DeletingASelectedObjectWaitsForItsRelease) {
  Surface c(4, 4);
  HPEN pen = CreatePen(PS_SOLID, 1, kBlue);
  SelectObject(c.dc, pen);
  EXPECT_TRUE(DeleteObject(pen));
  MoveToEx(c.dc, 0, 0, nullptr);
  LineTo(c.dc, 3, 0);
  EXPECT_EQ(c.At(1, 0), kBlue) << "still usable while selected";
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetObjectType(pen), 0u) << "gone once deselected";
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), OBJ_PEN) << "stock objects are never deleted";
}

}  // namespace

namespace {

TEST(Gdi, BlitsBetweenTwentyFourAndThirtyTwoBitPixelsKeepColoursAndClip) {
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = 6;
  bi.bmiHeader.biHeight = 4;  // bottom-up asked for: rows are still stored top-down
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC src = CreateCompatibleDC(nullptr);
  SelectObject(src, dib);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) SetPixel(src, x, y, RGB(x * 40, y * 60, 7));
  Surface dst(8, 8, kBlack);
  HRGN clip = CreateRectRgn(0, 0, 4, 8);
  SelectClipRgn(dst.dc, clip);
  DeleteObject(clip);
  BitBlt(dst.dc, 1, 2, 6, 4, src, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.At(1, 2), RGB(0, 0, 7));
  EXPECT_EQ(dst.At(3, 5), RGB(80, 180, 7));
  SelectClipRgn(dst.dc, nullptr);
  EXPECT_EQ(dst.At(4, 2), kBlack) << "clipped";
  // And back: 32-bit into the 24-bit DIB.
  SetPixel(dst.dc, 0, 0, RGB(1, 2, 3));
  BitBlt(src, 5, 3, 1, 1, dst.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(src, 5, 3), RGB(1, 2, 3));
  // GetDIBits returns bottom-up rows for a positive height.
  std::vector<unsigned char> rows(24 * 4);
  BITMAPINFO q{};
  q.bmiHeader.biWidth = 6;
  q.bmiHeader.biHeight = 4;
  q.bmiHeader.biBitCount = 24;
  ASSERT_EQ(GetDIBits(src, dib, 0, 4, rows.data(), &q, DIB_RGB_COLORS), 4);
  EXPECT_EQ(rows[0 * 24 + 5 * 3 + 2], 1) << "bottom row first";
  EXPECT_EQ(rows[0 * 24 + 5 * 3 + 0], 3);
  DeleteDC(src);
  DeleteObject(dib);
}

}  // namespace

namespace {

TEST(Gdi, EscapementRotatesTextAboutItsReferencePoint) {
  Surface c(80, 80, kWhite);
  LOGFONT lf;
  lf.lfHeight = -14;
  lf.lfEscapement = 900;  // upwards
  HFONT f = CreateFontIndirect(&lf);
  SelectObject(c.dc, f);
  SetBkMode(c.dc, TRANSPARENT);
  TextOut(c.dc, 20, 70, "HHHH", 4);
  int minX = 99, maxX = -1, minY = 99, maxY = -1;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 80; ++x)
      if (GetRValue(c.At(x, y)) < 128) minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
  ASSERT_GE(maxX, 0);
  EXPECT_GT(maxY - minY, 2 * (maxX - minX)) << "the run goes up the page";
  EXPECT_LE(maxY, 70);
  EXPECT_GE(minX, 20);
  SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(f);
}

}  // namespace
