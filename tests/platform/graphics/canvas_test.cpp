// TCanvas on a TBitmap lands on exactly the pixels the same GDI calls give; colours resolve through the
// system colour table.
#include <gtest/gtest.h>

#include <QImage>

#include <functional>

#include "platform/graphics/graphics.h"
#include "platform/graphics/pictures.h"
#include "platform/win/surface.h"

namespace {

// A 24-bit DIB section in a memory DC, drawn on with plain GDI calls.
struct GdiTarget {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bm = nullptr;
  GdiTarget(int w, int h) {
    BITMAPINFO bmi;
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    bm = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, bm);
    RECT all{0, 0, w, h};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &all, white);
    DeleteObject(white);
  }
  ~GdiTarget() {
    DeleteDC(dc);
    DeleteObject(bm);
  }
  QImage Pixels() const { return win::BitmapImage(bm)->convertToFormat(QImage::Format_RGB32); }
};

struct Case {
  const char* name;
  std::function<void(TCanvas&)> canvas;
  std::function<void(HDC)> gdi;
};

}  // namespace

TEST(GraphicsCanvas, PrimitivesOnABitmapLandOnGdiPixels) {
  auto selectPenBrush = [](HDC dc, HPEN pen, HBRUSH brush) {
    SelectObject(dc, pen);
    SelectObject(dc, brush);
  };
  const Case cases[] = {
      {"rectangle",
       [](TCanvas& c) {
         c.Pen()->SetColor(clRed);
         c.Brush()->SetColor(clBlue);
         c.Rectangle(3, 4, 20, 15);
       },
       [&](HDC dc) {
         selectPenBrush(dc, CreatePen(PS_SOLID, 1, RGB(255, 0, 0)), CreateSolidBrush(RGB(0, 0, 255)));
         Rectangle(dc, 3, 4, 20, 15);
       }},
      {"ellipse, thick pen",
       [](TCanvas& c) {
         c.Pen()->SetWidth(3);
         c.Brush()->SetColor(clLime);
         c.Ellipse(2, 2, 28, 18);
       },
       [&](HDC dc) {
         selectPenBrush(dc, CreatePen(PS_SOLID, 3, RGB(0, 0, 0)), CreateSolidBrush(RGB(0, 255, 0)));
         Ellipse(dc, 2, 2, 28, 18);
       }},
      {"lines",
       [](TCanvas& c) {
         c.Pen()->SetColor(clGreen);
         c.MoveTo(1, 1);
         c.LineTo(25, 17);
         c.LineTo(2, 18);
       },
       [&](HDC dc) {
         SelectObject(dc, CreatePen(PS_SOLID, 1, RGB(0, 0x80, 0)));
         MoveToEx(dc, 1, 1, nullptr);
         LineTo(dc, 25, 17);
         LineTo(dc, 2, 18);
       }},
      {"xor line twice leaves nothing",
       [](TCanvas& c) {
         c.Pen()->SetMode(pmXor);
         c.Pen()->SetColor(clWhite);
         for (int i = 0; i < 2; ++i) {
           c.MoveTo(0, 10);
           c.LineTo(30, 10);
         }
       },
       [](HDC) {}},
      {"fill and frame with hatch",
       [](TCanvas& c) {
         c.Brush()->SetColor(clNavy);
         c.Brush()->SetStyle(bsDiagCross);
         c.FillRect(Rect(0, 0, 16, 16));
         c.Brush()->SetStyle(bsSolid);
         c.Brush()->SetColor(clMaroon);
         c.FrameRect(Rect(10, 5, 29, 19));
       },
       [](HDC dc) {
         RECT a{0, 0, 16, 16}, b{10, 5, 29, 19};
         HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 0, 0x80));
         FillRect(dc, &a, hatch);
         HBRUSH frame = CreateSolidBrush(RGB(0x80, 0, 0));
         FrameRect(dc, &b, frame);
       }},
      {"polygon and pixels",
       [](TCanvas& c) {
         c.Brush()->SetColor(clYellow);
         c.Polygon({Point(2, 2), Point(27, 5), Point(14, 18)});
         c.SetPixels(0, 19, clFuchsia);
       },
       [](HDC dc) {
         SelectObject(dc, CreateSolidBrush(RGB(255, 255, 0)));
         POINT pts[3] = {{2, 2}, {27, 5}, {14, 18}};
         Polygon(dc, pts, 3);
         SetPixel(dc, 0, 19, RGB(255, 0, 255));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(30, 20);
    c.canvas(*b.Canvas());
    GdiTarget g(30, 20);
    c.gdi(g.dc);
    QImage mine = win::BitmapImage(b.Handle())->convertToFormat(QImage::Format_RGB32);
    QImage want = g.Pixels();
    int differing = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 30; ++x) differing += mine.pixel(x, y) != want.pixel(x, y);
    EXPECT_EQ(differing, 0);
  }
}

TEST(GraphicsCanvas, TextOutMovesThePenAndDrawsSomething) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(80, 30);
  TCanvas* c = b.Canvas();
  c->Font()->SetColor(clBlack);
  c->Brush()->SetStyle(bsClear);
  int w = c->TextWidth("Hello");
  EXPECT_GT(w, 0);
  EXPECT_GT(c->TextHeight("Hello"), 0);
  c->TextOut(2, 2, "Hello");
  EXPECT_EQ(c->PenPos(), Point(2 + w, 2));
}

TEST(GraphicsCanvas, DrawAndCopyRectMovePixelsBetweenBitmaps) {
  TBitmap src;
  src.SetPixelFormat(pf24bit);
  src.SetSize(4, 4);
  src.Canvas()->Brush()->SetColor(clRed);
  src.Canvas()->FillRect(Rect(0, 0, 2, 2));
  TBitmap dst;
  dst.SetPixelFormat(pf24bit);
  dst.SetSize(20, 20);
  dst.Canvas()->Draw(5, 5, &src);
  EXPECT_EQ(dst.Canvas()->Pixels(5, 5), clRed);
  EXPECT_EQ(dst.Canvas()->Pixels(7, 7), clWhite);
  dst.Canvas()->StretchDraw(Rect(10, 10, 18, 18), &src);
  EXPECT_EQ(dst.Canvas()->Pixels(13, 13), clRed);
  EXPECT_EQ(dst.Canvas()->Pixels(15, 15), clWhite);
  dst.Canvas()->CopyRect(Rect(0, 0, 2, 2), src.Canvas(), Rect(0, 0, 2, 2));
  EXPECT_EQ(dst.Canvas()->Pixels(1, 1), clRed);
}

TEST(GraphicsColors, SystemColoursResolveThroughTheSystemTable) {
  const struct {
    TColor color;
    int index;
  } system[] = {{clBtnFace, COLOR_BTNFACE}, {clWindow, COLOR_WINDOW}, {clHighlight, COLOR_HIGHLIGHT},
                {clWindowText, COLOR_WINDOWTEXT}, {clInfoBk, COLOR_INFOBK}};
  for (const auto& s : system) {
    EXPECT_LT(s.color, 0);
    EXPECT_EQ(ColorToRGB(s.color), static_cast<int32_t>(GetSysColor(s.index)));
  }
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(0x123456), 0x123456);
  EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
  EXPECT_EQ(ColorToString(0x123456), "$00123456");
  EXPECT_EQ(StringToColor("clRed"), clRed);
  EXPECT_EQ(StringToColor("$00FF00"), clLime);
}

TEST(GraphicsFonts, SizeAndHeightAreTwoViewsOfOneValue) {
  TFont f;
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  f.SetSize(12);
  EXPECT_EQ(f.Height(), -16);
  EXPECT_EQ(f.Size(), 12);
  f.SetStyle({fsBold, fsItalic});
  EXPECT_EQ(changes, 2);
  EXPECT_NE(f.Handle(), nullptr);
  TFont g;
  g.Assign(&f);
  EXPECT_EQ(g.Height(), -16);
  EXPECT_TRUE(g.Style().Contains(fsBold));
}
