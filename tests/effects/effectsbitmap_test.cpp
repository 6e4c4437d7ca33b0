#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "effects/EffectsBitmap.h"
#include "platform/graphics/clipbrd.h"
#include "effects/EffectsProbes.h"
#include "platform/graphics/pictures.h"
#include "platform/rtl/sysutils.h"

namespace {

using Px = std::uint32_t;

Px Argb(Px a, Px r, Px g, Px b) { return a << 24 | r << 16 | g << 8 | b; }

template <typename F>
void Paint(TEffectsBitmap& b, int w, int h, F fill) {
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, fill(x, y));
}

// A memory DC over a 32-bit DIB section that is not an effects bitmap.
struct TPlainDC {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  Px* bits = nullptr;
  int w, h;
  TPlainDC(int width, int height, Px fill) : w(width), h(height) {
    BITMAPINFO info{};
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biBitCount = 32;
    void* p = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<Px*>(p);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    for (int i = 0; i < w * h; ++i) bits[i] = fill;
  }
  ~TPlainDC() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  Px At(int x, int y) const { return bits[y * w + x]; }
};

class EffectsBitmapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEffectsSystemCalls({});
    EffectsBitmapUnit::Initialize();
  }
  void TearDown() override { SetEffectsSystemCalls({}); }
};

}  // namespace

TEST_F(EffectsBitmapTest, CreateIsEmpty) {
  TEffectsBitmap b;
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_EQ(b.Pixels(), nullptr);
  EXPECT_EQ(b.MemoryDC(), nullptr);
  EXPECT_EQ(b.Header().biSize, 40u);
  EXPECT_EQ(b.Header().biBitCount, 32);
  EXPECT_EQ(b.ScanLine(0), nullptr);
  b.SetPixel(0, 0, 1);  // ignored
  b.CheckAlpha();
  EXPECT_FALSE(b.HasAlpha());
  b.SetAlpha(10);
}

TEST_F(EffectsBitmapTest, SetSizeTable) {
  struct Case {
    int w, h, wantW, wantH;
  };
  const Case cases[] = {{-20, 10, 20, 10}, {20, -10, 20, 10}, {0, 10, 3, 4}, {10, 0, 3, 4}, {3, 4, 3, 4}};
  for (const Case& c : cases) {
    TEffectsBitmap b;
    Paint(b, 3, 4, [](int x, int y) { return Argb(255, static_cast<Px>(x), static_cast<Px>(y), 7); });
    const Px* before = b.Pixels();
    b.SetSize(c.w, c.h);
    EXPECT_EQ(b.PixelWidth(), c.wantW) << c.w << " x " << c.h;
    EXPECT_EQ(b.PixelHeight(), c.wantH);
    EXPECT_EQ(b.Header().biWidth, c.wantW);
    EXPECT_EQ(b.Header().biHeight, -c.wantH);
    if (c.wantW == 3 && c.wantH == 4) {  // unchanged: same memory, same pixels
      EXPECT_EQ(b.Pixels(), before);
      EXPECT_EQ(*b.PixelAddress(2, 3), Argb(255, 2, 3, 7));
    }
    const TDCBitmapInfo info = GetDCBitmapInfo(b.MemoryDC());
    EXPECT_EQ(info.Bits, b.Pixels());
    EXPECT_EQ(info.Width, c.wantW);
    EXPECT_EQ(info.BitCount, 32);
  }
}

TEST_F(EffectsBitmapTest, FailedSetSizeLeavesAnEmptyConsistentBitmap) {
  struct Case {
    const char* message;
    TEffectsSystemCalls calls;
  };
  const Case cases[] = {
      {"Can't allocate the DIB handle", {[](const BITMAPINFO*, void** bits) { *bits = nullptr; return HBITMAP{}; }, {}, {}}},
      {"Can't create compatible DC", {{}, [] { return HDC{}; }, {}}},
      {"Can't bslect an object into DC", {{}, {}, [](HDC, HGDIOBJ) { return HGDIOBJ{}; }}},
  };
  for (const Case& c : cases) {
    TEffectsBitmap b;
    b.SetSize(5, 5);
    b.Canvas();
    const int registered = TEffectsBitmap::RegisteredCount();
    SetEffectsSystemCalls(c.calls);
    try {
      b.SetSize(8, 8);
      ADD_FAILURE() << "no exception for " << c.message;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    SetEffectsSystemCalls({});
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(b.Pixels(), nullptr);
    EXPECT_EQ(b.DibHandle(), nullptr);
    EXPECT_EQ(b.MemoryDC(), nullptr);
    EXPECT_EQ(b.PixelWidth(), 0);
    EXPECT_EQ(b.PixelHeight(), 0);
    EXPECT_EQ(b.ScanLine(0), nullptr);
    EXPECT_EQ(b.PixelAddress(0, 0), nullptr);
    EXPECT_FALSE(b.DrawCanvas()->HandleAllocated());
    EXPECT_EQ(TEffectsBitmap::RegisteredCount(), registered - 1);
    b.SetPixel(1, 1, 5);
    b.SetAlpha(1);
    TEffectsBitmap other;
    Paint(other, 2, 2, [](int, int) { return Px{0xFF123456u}; });
    other.DrawTo(&b, TRect(0, 0, 2, 2), TRect(0, 0, 2, 2));
    b.DrawTo(&other, TRect(0, 0, 2, 2), TRect(0, 0, 2, 2));
    // It can be sized again afterwards.
    b.SetSize(8, 8);
    EXPECT_FALSE(b.IsEmpty());
    EXPECT_EQ(TEffectsBitmap::FindBitmapByDC(b.MemoryDC()), &b);
  }
  // An impossible size fails in the system itself.
  TEffectsBitmap huge;
  EXPECT_THROW(huge.SetSize(1 << 30, 1 << 30), Exception);
  EXPECT_TRUE(huge.IsEmpty());
  EXPECT_THROW(huge.SetSize(INT32_MIN, 3), Exception);
}

TEST_F(EffectsBitmapTest, ScanLineAndPixelAddressStayInside) {
  TEffectsBitmap b;
  b.SetSize(4, 3);
  struct Case {
    int x, y;
    bool inside;
  };
  const Case cases[] = {{0, 0, true},  {3, 2, true},   {4, 0, false},       {0, 3, false},
                        {-1, 0, false}, {0, -1, false}, {INT32_MIN, 0, false}, {0, INT32_MAX, false}};
  for (const Case& c : cases) {
    Px* p = b.PixelAddress(c.x, c.y);
    EXPECT_EQ(p != nullptr, c.inside) << c.x << "," << c.y;
    if (p) {
      EXPECT_EQ(p, b.Pixels() + c.y * 4 + c.x);
    }
    b.SetPixel(c.x, c.y, 0xFFFFFFFFu);
  }
  EXPECT_EQ(b.ScanLine(1), b.Pixels() + 4);
  EXPECT_EQ(b.ScanLine(3), nullptr);
  EXPECT_EQ(b.ScanLine(-1), nullptr);
  int set = 0;
  for (int i = 0; i < 12; ++i) set += b.Pixels()[i] == 0xFFFFFFFFu;
  EXPECT_EQ(set, 2);
}

TEST_F(EffectsBitmapTest, CheckAlphaAndSetAlpha) {
  struct Case {
    std::vector<Px> alphas;
    bool hasAlpha;
  };
  const Case cases[] = {{{0, 255, 255, 0}, false}, {{255, 255, 255, 255}, false}, {{0, 128, 255, 0}, true},
                        {{255, 255, 255, 1}, true}};
  for (const Case& c : cases) {
    TEffectsBitmap b;
    Paint(b, 2, 2, [&](int x, int y) { return Argb(c.alphas[static_cast<std::size_t>(y * 2 + x)], 1, 2, 3); });
    b.SetHasAlpha(!c.hasAlpha);
    b.CheckAlpha();
    EXPECT_EQ(b.HasAlpha(), c.hasAlpha);
    b.SetAlpha(77);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(b.Pixels()[i], Argb(77, 1, 2, 3));
  }
}

TEST_F(EffectsBitmapTest, RegistryFindsBitmapsByMemoryDC) {
  const int before = TEffectsBitmap::RegisteredCount();
  HDC firstDC;
  {
    TEffectsBitmap a, b;
    a.SetSize(2, 2);
    b.SetSize(3, 3);
    EXPECT_EQ(TEffectsBitmap::RegisteredCount(), before + 2);
    a.SetSize(5, 5);  // a resize does not register again
    EXPECT_EQ(TEffectsBitmap::RegisteredCount(), before + 2);
    EXPECT_EQ(TEffectsBitmap::FindBitmapByDC(a.MemoryDC()), &a);
    EXPECT_EQ(TEffectsBitmap::FindBitmapByDC(b.MemoryDC()), &b);
    TPlainDC plain(1, 1, 0);
    EXPECT_EQ(TEffectsBitmap::FindBitmapByDC(plain.dc), nullptr);
    EXPECT_EQ(TEffectsBitmap::FindBitmapByDC(nullptr), nullptr);
    firstDC = a.MemoryDC();
    TEffectsBitmap empty;  // never sized: not registered
    EXPECT_EQ(TEffectsBitmap::RegisteredCount(), before + 2);
  }
  EXPECT_EQ(TEffectsBitmap::RegisteredCount(), before);
  EXPECT_EQ(TEffectsBitmap::FindBitmapByDC(firstDC), nullptr);
}

TEST_F(EffectsBitmapTest, DrawingIntoAnotherBitmapsDCBlendsIntoItsPixels) {
  TEffectsBitmap target;
  Paint(target, 4, 4, [](int, int) { return Argb(255, 0, 0, 0); });
  TEffectsBitmap src;
  Paint(src, 2, 2, [](int, int) { return Argb(128, 255, 255, 255); });
  src.SetHasAlpha(true);
  // The window origin of the DC is subtracted from the destination.
  SetWindowOrgEx(target.MemoryDC(), 1, 0, nullptr);
  src.Draw(target.MemoryDC(), 2, 1);
  SetWindowOrgEx(target.MemoryDC(), 0, 0, nullptr);
  const Px blended = PixelRoutines.BlendPixel(Argb(128, 255, 255, 255), Argb(255, 0, 0, 0));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const bool inside = x >= 1 && x < 3 && y >= 1 && y < 3;
      EXPECT_EQ(*target.PixelAddress(x, y), inside ? blended : Argb(255, 0, 0, 0)) << x << "," << y;
    }
}

TEST_F(EffectsBitmapTest, DrawingIntoAPlainDC) {
  TEffectsBitmap src;
  Paint(src, 3, 1, [](int x, int) {
    return x == 0 ? Px{0xFF7F007Fu} : (x == 1 ? Argb(255, 200, 100, 50) : Argb(128, 255, 255, 255));
  });
  const Px grey = 0xFF404040u;
  {  // opaque
    TPlainDC dc(5, 3, grey);
    src.Draw(dc.dc, 1, 1);
    EXPECT_EQ(dc.At(1, 1) & 0xFFFFFF, 0x7F007Fu);
    EXPECT_EQ(dc.At(2, 1) & 0xFFFFFF, 0xC86432u);
    EXPECT_EQ(dc.At(0, 1), grey);
    EXPECT_EQ(dc.At(1, 0), grey);
  }
  {  // key colour: the key pixel leaves the DC unchanged
    TPlainDC dc(5, 3, grey);
    src.SetKeyTransparent(true);
    src.Draw(dc.dc, 1, 1);
    EXPECT_EQ(dc.At(1, 1) & 0xFFFFFF, 0x404040u);
    EXPECT_EQ(dc.At(2, 1) & 0xFFFFFF, 0xC86432u);
    EXPECT_EQ(dc.At(3, 1) & 0xFFFFFF, 0xFFFFFFu);
  }
  {  // alpha: blended with what the DC shows; a destination far outside the DC costs nothing
    TPlainDC dc(5, 3, grey);
    src.SetHasAlpha(true);
    src.Draw(dc.dc, 2, 2);
    EXPECT_EQ(dc.At(4, 2) & 0xFFFFFF, PixelRoutines.BlendPixel(Argb(128, 255, 255, 255), grey) & 0xFFFFFF);
    EXPECT_EQ(dc.At(2, 2) & 0xFFFFFF, 0x7F007Fu);  // opaque: alpha drawing does not look at the key
    src.StretchDraw(dc.dc, TRect(-50000000, -50000000, 50000000, 50000000), TRect(0, 0, 3, 1));
    src.StretchDraw(dc.dc, TRect(0, 0, 5, 3), TRect(0, 0, 4, 1));  // source past the bitmap: nothing
  }
}

TEST_F(EffectsBitmapTest, AssignFromClassLibraryBitmaps) {
  {  // 24-bit: through the canvas, opaque everywhere
    TBitmap b24;
    b24.SetPixelFormat(pf24bit);
    b24.SetSize(3, 2);
    auto* row = static_cast<std::uint8_t*>(b24.ScanLine(1));
    row[3] = 10;  // pixel (1, 1): blue 10, green 20, red 30
    row[4] = 20;
    row[5] = 30;
    TEffectsBitmap e;
    e.Assign(&b24);
    ASSERT_EQ(e.PixelWidth(), 3);
    ASSERT_EQ(e.PixelHeight(), 2);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(e.Pixels()[i] >> 24, 255u);
    EXPECT_EQ(*e.PixelAddress(1, 1), Argb(255, 30, 20, 10));
    EXPECT_FALSE(e.HasAlpha());
  }
  {  // 32-bit DIB: pixels copied with their alpha, then CheckAlpha
    TBitmap b32;
    b32.SetPixelFormat(pf32bit);
    b32.SetSize(2, 2);
    for (int y = 0; y < 2; ++y) {
      auto* row = static_cast<Px*>(b32.ScanLine(y));
      row[0] = Argb(0, 1, 2, 3);
      row[1] = Argb(100, 4, 5, 6);
    }
    TEffectsBitmap e;
    e.Assign(&b32);
    EXPECT_EQ(*e.PixelAddress(0, 1), Argb(0, 1, 2, 3));
    EXPECT_EQ(*e.PixelAddress(1, 0), Argb(100, 4, 5, 6));
    EXPECT_TRUE(e.HasAlpha());

    // A picture holding the same 32-bit bitmap goes through the canvas instead: opaque.
    TPicture pic;
    pic.SetBitmap(&b32);
    TEffectsBitmap fromPicture;
    fromPicture.Assign(&pic);
    EXPECT_EQ(*fromPicture.PixelAddress(1, 0) >> 24, 255u);

    // An empty 32-bit DIB leaves the size and pixels (a size of 0 changes nothing) but still runs the
    // alpha check, which finds the translucent pixels again.
    TBitmap empty32;
    empty32.SetPixelFormat(pf32bit);
    ASSERT_EQ(empty32.HandleType(), bmDIB);
    e.SetHasAlpha(false);
    e.Assign(&empty32);
    EXPECT_EQ(e.PixelWidth(), 2);
    EXPECT_EQ(*e.PixelAddress(1, 0), Argb(100, 4, 5, 6));
    EXPECT_TRUE(e.HasAlpha());
  }
}

TEST_F(EffectsBitmapTest, AssignCopiesAnotherEffectsBitmap) {
  TEffectsBitmap a;
  Paint(a, 3, 2, [](int x, int y) { return Argb(static_cast<Px>(x * 50), 9, static_cast<Px>(y), 1); });
  a.SetBitmapName("glow");
  a.SetKeyTransparent(true);
  a.SetHasAlpha(true);
  TEffectsBitmap b;
  b.Assign(&a);
  EXPECT_EQ(b.BitmapName(), "glow");
  EXPECT_TRUE(b.KeyTransparent());
  EXPECT_TRUE(b.HasAlpha());
  ASSERT_EQ(b.PixelWidth(), 3);
  EXPECT_NE(b.Pixels(), a.Pixels());
  EXPECT_TRUE(std::equal(a.Pixels(), a.Pixels() + 6, b.Pixels()));
  b.Assign(&b);  // itself: nothing happens
  EXPECT_EQ(*b.PixelAddress(2, 1), Argb(100, 9, 1, 1));
  TFont font;
  EXPECT_THROW(b.Assign(&font), EConvertError);
}

TEST_F(EffectsBitmapTest, DrawGraphicKeepsPixelsTheGraphicDoesNotCover) {
  TBitmap red;
  red.SetPixelFormat(pf24bit);
  red.SetSize(2, 2);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect(TRect(0, 0, 2, 2));
  TEffectsBitmap e;
  Paint(e, 4, 4, [](int, int) { return Argb(7, 1, 1, 1); });
  e.DrawGraphic(&red, TRect(1, 1, 3, 3));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const bool covered = x >= 1 && x < 3 && y >= 1 && y < 3;
      if (covered)
        EXPECT_EQ(*e.PixelAddress(x, y) & 0xFFFFFF, 0xFF0000u) << x << "," << y;
      else
        EXPECT_EQ(*e.PixelAddress(x, y), Argb(7, 1, 1, 1)) << x << "," << y;
    }
}

// Covered pixels are written with all four bytes of the temporary 32-bit bitmap, alpha included: the
// same graphic stretched into a magenta 32-bit bitmap by hand gives the expected words.
TEST_F(EffectsBitmapTest, DrawGraphicKeepsAllFourBytes) {
  TBitmap graphic;
  graphic.SetPixelFormat(pf32bit);
  graphic.SetSize(2, 2);
  for (int y = 0; y < 2; ++y) {
    auto* row = static_cast<Px*>(graphic.ScanLine(y));
    row[0] = Argb(40, 10, 20, 30);
    row[1] = Argb(0, 200, 100, 50);
  }
  TBitmap reference;
  reference.SetPixelFormat(pf32bit);
  reference.SetSize(5, 4);
  reference.Canvas()->Brush()->SetStyle(bsSolid);
  reference.Canvas()->Brush()->SetColor(static_cast<TColor>(RGB(255, 0, 255)));
  reference.Canvas()->Pen()->SetColor(static_cast<TColor>(RGB(255, 0, 255)));
  reference.Canvas()->Rectangle(-1, -1, 6, 5);
  reference.Canvas()->StretchDraw(TRect(1, 0, 5, 3), &graphic);

  TEffectsBitmap e;
  Paint(e, 5, 4, [](int, int) { return Argb(7, 1, 1, 1); });
  e.DrawGraphic(&graphic, TRect(1, 0, 5, 3));
  int covered = 0, notOpaque = 0;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      const Px want = static_cast<const Px*>(reference.ScanLine(y))[x];
      if ((want & 0xFFFFFF) == 0xFF00FF) {
        EXPECT_EQ(*e.PixelAddress(x, y), Argb(7, 1, 1, 1)) << x << "," << y;
        continue;
      }
      ++covered;
      notOpaque += (want >> 24) != 255;
      EXPECT_EQ(*e.PixelAddress(x, y), want) << x << "," << y;
    }
  EXPECT_EQ(covered, 12);
  EXPECT_GT(notOpaque, 0) << "the drawn graphic must leave alpha bytes other than 255 for the test to see them";
}

TEST_F(EffectsBitmapTest, AssignToBitmapPictureAndClipboard) {
  TEffectsBitmap e;
  Paint(e, 2, 1, [](int x, int) { return x ? Px{0xFF7F007Fu} : Argb(255, 10, 20, 30); });
  e.SetKeyTransparent(true);
  TBitmap b;
  b.Assign(&e);  // through AssignTo: 32 bits, drawn with the key
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  ASSERT_EQ(b.Width(), 2);
  const auto* row = static_cast<const Px*>(b.ScanLine(0));
  EXPECT_EQ(row[0] & 0xFFFFFF, 0x0A141Eu);
  EXPECT_EQ(row[1] & 0xFFFFFF, 0xFFFFFFu);  // key pixel: the new bitmap's white shows

  TPicture pic;
  pic.Assign(&e);
  ASSERT_NE(pic.Graphic(), nullptr);
  EXPECT_EQ(pic.Width(), 2);

  // Onto the clipboard (as the class library's Assign does it) and back into a bitmap.
  Clipboard()->Clear();
  Clipboard()->Assign(&e);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  TBitmap back;
  back.Assign(Clipboard());
  ASSERT_EQ(back.Width(), 2);
  const auto* backRow = static_cast<const Px*>(back.ScanLine(0));
  EXPECT_EQ(backRow[0] & 0xFFFFFF, 0x0A141Eu);
  EXPECT_EQ(backRow[1] & 0xFFFFFF, 0xFFFFFFu);
  Clipboard()->Clear();
  e.CopyToClipboard();
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));

  TFont font;
  EXPECT_THROW(font.Assign(&e), EConvertError);
}

// A picture that is not a bitmap is rendered over magenta: where it leaves magenta showing, the effects
// bitmap keeps its own pixel; the result is made opaque.
TEST_F(EffectsBitmapTest, AssignFromAnotherGraphic) {
  TBitmap b32;
  b32.SetPixelFormat(pf32bit);
  b32.SetSize(3, 1);
  auto* row = static_cast<Px*>(b32.ScanLine(0));
  row[0] = Argb(255, 10, 20, 30);  // opaque
  row[1] = Argb(0, 99, 99, 99);    // fully transparent: magenta shows
  row[2] = Argb(255, 255, 0, 255); // opaque magenta: indistinguishable from the background
  TPngImage png;
  png.Assign(&b32);
  ASSERT_EQ(png.Width(), 3);
  TEffectsBitmap e;
  e.Assign(&png);
  ASSERT_EQ(e.PixelWidth(), 3);
  EXPECT_EQ(*e.PixelAddress(0, 0), Argb(255, 10, 20, 30));
  EXPECT_EQ(*e.PixelAddress(1, 0), Argb(255, 0, 0, 0));  // the new bitmap's own (zero) pixel, made opaque
  EXPECT_EQ(*e.PixelAddress(2, 0), Argb(255, 0, 0, 0));

  PngImageUnit::Initialize();  // a picture copies graphics of registered formats
  TPicture pic;
  pic.SetGraphic(&png);
  PngImageUnit::Finalize();
  TEffectsBitmap fromPicture;
  Paint(fromPicture, 3, 1, [](int, int) { return Argb(9, 1, 2, 3); });
  fromPicture.Assign(&pic);
  EXPECT_EQ(*fromPicture.PixelAddress(0, 0), Argb(255, 10, 20, 30));
  EXPECT_EQ(*fromPicture.PixelAddress(1, 0), Argb(255, 1, 2, 3));  // same size: the old pixel stays
}

// A picture for a person: a checkerboard, a soft-edged disc blended over it at three times its size, and a
// key-coloured frame whose key pixels let the checkerboard through.
TEST_F(EffectsBitmapTest, WritesAPictureToLookAt) {
  const char* dir = std::getenv("TRESSORA_ARTIFACTS");
  if (!dir) GTEST_SKIP() << "TRESSORA_ARTIFACTS not set";
  TEffectsBitmap board;
  Paint(board, 240, 160, [](int x, int y) { return ((x / 20 + y / 20) % 2) ? Px{0xFFE0E0E0u} : Px{0xFF606060u}; });
  TEffectsBitmap disc;
  Paint(disc, 40, 40, [](int x, int y) {
    const double d = std::hypot(x - 19.5, y - 19.5) / 19.5;
    const double a = d >= 1 ? 0 : (d < 0.6 ? 1 : (1 - d) / 0.4);
    return Argb(static_cast<Px>(a * 255), 220, static_cast<Px>(60 + x * 4), 40);
  });
  disc.CheckAlpha();
  ASSERT_TRUE(disc.HasAlpha());
  disc.DrawTo(&board, TRect(10, 10, 130, 130), TRect(0, 0, 40, 40));
  TEffectsBitmap frame;
  Paint(frame, 60, 60, [](int x, int y) {
    const bool edge = x < 8 || y < 8 || x >= 52 || y >= 52;
    return edge ? Argb(255, 30, 60, 200) : Px{EffectsKeyColour};
  });
  frame.SetKeyTransparent(true);
  frame.DrawTo(&board, TRect(150, 40, 230, 120), TRect(0, 0, 60, 60));
  EXPECT_EQ(*board.PixelAddress(190, 80), Px{0xFFE0E0E0u});  // through the key: the board
  EXPECT_EQ(*board.PixelAddress(152, 42), Argb(255, 30, 60, 200));
  EXPECT_EQ(*board.PixelAddress(70, 70), Argb(255, 220, 60 + 19 * 4, 40));  // opaque middle: source column 19
  TBitmap out;
  out.Assign(&board);
  TPngImage png;
  png.Assign(&out);
  png.SaveToFile(std::string(dir) + "/effects_blend_and_key.png");
}

TEST_F(EffectsBitmapTest, KeyDrawingThroughTransparentBlt) {
  EffectsProbesUnit::Initialize();
  ASSERT_TRUE(EffectsProbes::TransparentBltAvailable);
  TEffectsBitmap src;
  Paint(src, 2, 1, [](int x, int) { return x ? Px{0x007F007Fu} : Argb(255, 200, 100, 50); });
  TPlainDC dc(4, 2, 0xFF404040u);
  DrawKeyTransparentBlt(dc.dc, TRect(1, 1, 3, 2), &src, TRect(0, 0, 2, 1));
  EXPECT_EQ(dc.At(1, 1) & 0xFFFFFF, 0xC86432u);
  EXPECT_EQ(dc.At(2, 1) & 0xFFFFFF, 0x404040u);  // the key colour is not drawn
  DrawKeyTransparentBlt(dc.dc, TRect(0, 0, 2, 1), &src, TRect(1, 0, 3, 1));  // source past the bitmap
  EXPECT_EQ(dc.At(0, 0), 0xFF404040u);
  EffectsProbesUnit::Finalize();
  DrawKeyTransparentBlt(dc.dc, TRect(0, 0, 2, 1), &src, TRect(0, 0, 2, 1));  // released: nothing
  EXPECT_EQ(dc.At(0, 0), 0xFF404040u);
}

TEST_F(EffectsBitmapTest, DrawRectCopiesAPartUnscaled) {
  TEffectsBitmap src;
  Paint(src, 4, 4, [](int x, int y) { return Argb(255, static_cast<Px>(x), static_cast<Px>(y), 0); });
  TEffectsBitmap target;
  Paint(target, 5, 5, [](int, int) { return Px{0xFF000000u}; });
  src.DrawRect(target.MemoryDC(), 3, 0, TRect(1, 2, 4, 4));  // 3 x 2 at (3, 0): one column falls off
  EXPECT_EQ(*target.PixelAddress(3, 0), Argb(255, 1, 2, 0));
  EXPECT_EQ(*target.PixelAddress(4, 1), Argb(255, 2, 3, 0));
  EXPECT_EQ(*target.PixelAddress(2, 0), 0xFF000000u);
  EXPECT_EQ(*target.PixelAddress(3, 2), 0xFF000000u);
}
