#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "effects/EffectsBitmap.h"

namespace {

using Px = std::uint32_t;

Px Argb(Px a, Px r, Px g, Px b) { return a << 24 | r << 16 | g << 8 | b; }

// Makes an effects bitmap whose pixel (x, y) is Fill(x, y).
template <typename F>
void Paint(TEffectsBitmap& b, int w, int h, F fill) {
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, fill(x, y));
}

}  // namespace

TEST(EffectsPixelRoutines, BlendFormulasOfBothVariants) {
  struct Case {
    Px src, dst, plain, mmx;
  };
  const Case cases[] = {
      // White at alpha 128 over black: 255 * 128 shr 8 = 127; the MMX alpha is 128 * 128 shr 8 = 64.
      {Argb(128, 255, 255, 255), Argb(0, 0, 0, 0), Argb(255, 127, 127, 127), Argb(64, 127, 127, 127)},
      // Alpha 255: the plain blend gives the source, the MMX pixel formula does not.
      {Argb(255, 255, 255, 255), Argb(0, 0, 0, 0), Argb(255, 255, 255, 255), Argb(254, 254, 254, 254)},
      // Alpha 0: both give the destination.
      {Argb(0, 200, 100, 50), Argb(77, 1, 2, 3), Argb(77, 1, 2, 3), Argb(77, 1, 2, 3)},
      // Mixed: red 200 over 100 at alpha 64: plain (200*64 + 100*191) shr 8 = 124, MMX (200*64 + 100*192) shr 8 = 125.
      {Argb(64, 200, 0, 255), Argb(255, 100, 255, 0), Argb(255, 124, 190, 63), Argb(207, 125, 191, 63)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlainBlendPixel(c.src, c.dst), c.plain) << std::hex << c.src << " over " << c.dst;
    EXPECT_EQ(MMXBlendPixel(c.src, c.dst), c.mmx) << std::hex << c.src << " over " << c.dst;
  }
}

TEST(EffectsPixelRoutines, BlendRowsMatchTheirPixelFormulas) {
  std::mt19937 rng(5);
  for (int count : {0, 1, 3, 4, 5, 17, 64}) {
    std::vector<Px> src(static_cast<std::size_t>(count) + 1), dst(src.size());
    for (std::size_t i = 0; i < src.size(); ++i) {
      src[i] = rng();
      dst[i] = rng();
      if (i % 3 == 0) src[i] = (src[i] & 0xFFFFFF) | (i % 2 ? 0xFF000000u : 0u);  // alpha 0 and 255 cases
    }
    std::vector<Px> plain = dst, mmx = dst;
    PlainBlendRow(src.data(), plain.data(), count);
    MMXBlendRow(src.data(), mmx.data(), count);
    for (int i = 0; i < count; ++i) {
      const Px a = src[i] >> 24;
      EXPECT_EQ(plain[i], PlainBlendPixel(src[i], dst[i])) << i;
      const Px want = a == 0 ? dst[i] : (a == 255 ? src[i] : MMXBlendPixel(src[i], dst[i]));
      EXPECT_EQ(mmx[i], want) << "count " << count << " pixel " << i;
    }
    // The pixel after the run is untouched.
    EXPECT_EQ(plain[count], dst[count]);
    EXPECT_EQ(mmx[count], dst[count]);
  }
}

TEST(EffectsPixelRoutines, BlendRowsSkipRunsOfTransparentPixels) {
  std::vector<Px> src(24, 0x00FFFFFFu), dst(24);
  for (std::size_t i = 0; i < dst.size(); ++i) dst[i] = static_cast<Px>(i * 0x01010101u);
  src[20] = Argb(128, 255, 255, 255);
  std::vector<Px> mmx = dst, plain = dst;
  MMXBlendRow(src.data(), mmx.data(), 24);
  PlainBlendRow(src.data(), plain.data(), 24);
  for (std::size_t i = 0; i < 24; ++i) {
    EXPECT_EQ(mmx[i], i == 20 ? MMXBlendPixel(src[i], dst[i]) : dst[i]) << i;
    EXPECT_EQ(plain[i], i == 20 ? PlainBlendPixel(src[i], dst[i]) : dst[i]) << i;
  }
}

// The vectorised row blend against the MMX formula pixel by pixel, with each width of vectors the
// processor offers: every alpha value (0 and 255 in runs and alone) on rows of odd lengths starting at
// each place in a cache line, with the pixels on both sides left alone; and a blend of odd-sized bitmaps
// drawn into a part of another.
TEST(EffectsPixelRoutines, WideRowBlendMatchesTheFormulaOnOddLengths) {
  std::mt19937 rng(9);
  auto want = [](Px s, Px d) {
    const Px a = s >> 24;
    return a == 0 ? d : (a == 255 ? s : MMXBlendPixel(s, d));
  };
  struct TKeepWidest {
    int Old = EffectsWidestVectors;
    ~TKeepWidest() { EffectsWidestVectors = Old; }
  } keep;
  for (int bits : {512, 256, 128}) {
    EffectsWidestVectors = bits;
    for (int count : {7, 8, 9, 15, 16, 23, 31, 33, 255, 1923})
      for (int start : {0, 1, 5, 15}) {
        // Both rows in buffers whose line boundaries are known, with a guard pixel on each side.
        std::vector<Px> srcBuffer(static_cast<std::size_t>(count) + 48), dstBuffer(srcBuffer.size());
        const auto lineStart = [](std::vector<Px>& v) {
          return static_cast<std::size_t>((64 - reinterpret_cast<std::uintptr_t>(v.data()) % 64) % 64 / 4);
        };
        const std::size_t from = lineStart(dstBuffer) + 16 + static_cast<std::size_t>(start);
        for (auto& p : dstBuffer) p = rng();
        for (std::size_t i = 0; i < srcBuffer.size(); ++i) {
          const std::size_t k = i - std::min(i, from);
          Px a = static_cast<Px>(k % 256);  // every alpha value appears on the longer rows
          if ((k / 8) % 5 == 1) a = 0;      // whole runs of transparent pixels
          if ((k / 8) % 5 == 3) a = 255;    // and of opaque ones
          srcBuffer[i] = a << 24 | (rng() & 0xFFFFFF);
        }
        std::vector<Px> out = dstBuffer;
        MMXBlendRow(srcBuffer.data() + from, out.data() + from, count);
        for (std::size_t k = 0; k < out.size(); ++k) {
          const bool inside = k >= from && k < from + static_cast<std::size_t>(count);
          ASSERT_EQ(out[k], inside ? want(srcBuffer[k], dstBuffer[k]) : dstBuffer[k])
              << bits << " bits, count " << count << ", start " << start << ", pixel " << k;
        }
      }
  }
  EffectsWidestVectors = keep.Old;
  TEffectsBitmap from, into;
  Paint(from, 37, 5, [&](int, int) { return static_cast<Px>(rng()); });
  Paint(into, 41, 9, [&](int, int) { return static_cast<Px>(rng()); });
  std::vector<Px> before;
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 41; ++x) before.push_back(*into.PixelAddress(x, y));
  from.SetHasAlpha(true);
  from.DrawTo(&into, TRect(3, 2, 40, 7), TRect(0, 0, 37, 5));
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 41; ++x) {
      const Px old = before[static_cast<std::size_t>(y * 41 + x)];
      const bool inside = x >= 3 && x < 40 && y >= 2 && y < 7;
      const Px expect = inside ? (PixelRoutines.BlendRow == &MMXBlendRow ? want(*from.PixelAddress(x - 3, y - 2), old)
                                                                       : PlainBlendPixel(*from.PixelAddress(x - 3, y - 2), old))
                               : old;
      ASSERT_EQ(*into.PixelAddress(x, y), expect) << x << "," << y;
    }
}

TEST(EffectsPixelRoutines, KeyRowComparesTheLow24Bits) {
  const Px src[] = {0x007F007Fu, 0xFF7F007Fu, 0x127F007Fu, 0x007F007Eu, 0x80FF00FFu};
  std::vector<Px> dst(5, 0x11223344u);
  KeyRow(src, dst.data(), 5);
  EXPECT_EQ(dst, (std::vector<Px>{0x11223344u, 0x11223344u, 0x11223344u, 0xFF7F007Eu, 0xFFFF00FFu}));
}

TEST(EffectsPixelRoutines, RowAndRectRoutines) {
  std::vector<Px> row = {1, 2, 3, 4, 5, 6};
  CopyRow(row.data(), row.data() + 2, 4);  // overlapping
  EXPECT_EQ(row, (std::vector<Px>{1, 2, 1, 2, 3, 4}));
  CopyRow(row.data(), row.data(), 6);
  CopyRow(row.data() + 1, row.data(), 0);
  EXPECT_EQ(row, (std::vector<Px>{1, 2, 1, 2, 3, 4}));

  PixelRoutines.FillRow(row.data() + 1, 2, 9);
  PixelRoutines.FillRow(row.data(), -1, 7);
  EXPECT_EQ(row, (std::vector<Px>{1, 9, 9, 2, 3, 4}));
  PixelRoutines.SetAlphaRow(row.data(), 3, 0xAB);
  EXPECT_EQ(row[0], 0xAB000001u);
  EXPECT_EQ(row[2], 0xAB000009u);
  EXPECT_EQ(row[3], 2u);

  std::vector<Px> keyed = {0xFF7F007Fu, 0xFF7F0080u, 0x017F007Fu};
  PixelRoutines.ClearAlphaByColour(keyed.data(), 3, EffectsKeyColour);
  EXPECT_EQ(keyed, (std::vector<Px>{0x007F007Fu, 0xFF7F0080u, 0x007F007Fu}));

  // 4 x 3 buffer with stride 5; rows 1..2 and columns 1..3, both ends inclusive.
  std::vector<Px> buf(15, 0);
  PixelRoutines.FillRectPixels(buf.data(), 5, 0x00000007u, 2, 3, 1, 1);
  PixelRoutines.SetAlphaRect(buf.data(), 5, 0x80, 1, 2, 1, 2);
  const std::vector<Px> want = {0, 0, 0, 0, 0,                          //
                                0, 7, 0x80000007u, 7, 0,                //
                                0, 7, 7, 7, 0};
  EXPECT_EQ(buf, want);
}

TEST(EffectsStretch, ColumnsByNearestNeighbour) {
  TEffectsBitmap src;
  Paint(src, 2, 1, [](int x, int) { return Argb(255, 0, 0, x ? 200 : 100); });

  // Into an effects bitmap the map truncates: 0, 0, 0, 0, 1.
  TEffectsBitmap dst;
  dst.SetSize(5, 1);
  src.DrawTo(&dst, TRect(0, 0, 5, 1), TRect(0, 0, 2, 1));
  std::vector<Px> got(dst.Pixels(), dst.Pixels() + 5);
  const Px a = Argb(255, 0, 0, 100), b = Argb(255, 0, 0, 200);
  EXPECT_EQ(got, (std::vector<Px>{a, a, a, a, b}));

  // Into a bottom-up buffer it rounds half to even: 0, 0, 0 (0.5), 1 (0.75), 1.
  std::vector<Px> buffer(5, 0);
  DrawRoutines.StretchToDIB[dkCopy](buffer.data(), TRect(0, 0, 5, 1), TRect(0, 0, 5, 1), TRect(0, 0, 2, 1), &src, 1, 5);
  EXPECT_EQ(buffer, (std::vector<Px>{a, a, a, b, b}));
}

TEST(EffectsStretch, NarrowDestinationTakesTheMiddleColumn) {
  TEffectsBitmap src;
  Paint(src, 7, 5, [](int x, int y) { return Argb(255, static_cast<Px>(x), static_cast<Px>(y), 0); });
  TEffectsBitmap dst;
  dst.SetSize(3, 3);
  // One column wide and one row high: source column (1 + 6 - 1) div 2 = 3, row (0 + 5 - 1) div 2 = 2.
  src.DrawTo(&dst, TRect(1, 1, 2, 2), TRect(1, 0, 6, 5));
  EXPECT_EQ(*dst.PixelAddress(1, 1), Argb(255, 3, 2, 0));
  EXPECT_EQ(*dst.PixelAddress(0, 0), 0u);
  EXPECT_EQ(*dst.PixelAddress(2, 2), 0u);
}

TEST(EffectsStretch, RowsIntoABottomUpBuffer) {
  TEffectsBitmap src;
  Paint(src, 1, 3, [](int, int y) { return Argb(255, 0, 0, static_cast<Px>(10 + y)); });
  // 2 x 3 buffer: image row y lives at buffer row 2 - y.
  std::vector<Px> buffer(6, 0);
  DrawRoutines.CopyToDIB[dkCopy](buffer.data(), TRect(1, 0, 2, 3), TPoint(0, 0), &src, 3, 2);
  EXPECT_EQ(buffer, (std::vector<Px>{0, Argb(255, 0, 0, 12), 0, Argb(255, 0, 0, 11), 0, Argb(255, 0, 0, 10)}));
}

// Source and destination rectangles of every kind: what is drawn lands inside D ∩ K ∩ the target, the
// rest of the target (and the guard pixels around it) keeps its value, and a source rectangle not inside the
// source draws nothing.
TEST(EffectsStretch, ClipsAgainstTheDestinationAndRejectsBadSources) {
  TEffectsBitmap src;
  Paint(src, 6, 4, [](int x, int y) { return Argb(255, 255, static_cast<Px>(x), static_cast<Px>(y)); });
  struct Case {
    TRect D, S;
    bool draws;
  };
  const Case cases[] = {
      {TRect(-3, -2, 5, 4), TRect(0, 0, 6, 4), true},      // hangs over the top-left corner
      {TRect(6, 6, 20, 30), TRect(0, 0, 6, 4), true},      // hangs over the bottom-right corner
      {TRect(-100000, 2, 100000, 3), TRect(1, 1, 3, 2), true},  // far wider than the target
      {TRect(2, 2, 8, 6), TRect(0, 0, 6, 4), true},        // equal size, partly outside
      {TRect(20, 20, 30, 30), TRect(0, 0, 6, 4), false},   // wholly outside
      {TRect(5, 5, 2, 2), TRect(0, 0, 6, 4), false},       // inverted destination
      {TRect(0, 0, 8, 8), TRect(0, 0, 7, 4), false},       // source past the right edge
      {TRect(0, 0, 8, 8), TRect(-1, 0, 6, 4), false},      // source before the left edge
      {TRect(0, 0, 8, 8), TRect(2, 2, 2, 4), false},       // empty source
      {TRect(0, 0, 8, 8), TRect(0, 0, 6, 5), false},       // source below the bottom
  };
  for (int kind = dkCopy; kind <= dkBlend; ++kind)
    for (const Case& c : cases) {
      TEffectsBitmap dst;
      dst.SetSize(10, 8);
      dst.Canvas();  // a canvas attached must not matter
      std::vector<Px> before(dst.Pixels(), dst.Pixels() + 80);
      DrawRoutines.StretchRect[kind](&dst, c.D, c.D, c.S, &src);
      TRect visible(std::max(c.D.Left, 0), std::max(c.D.Top, 0), std::min(c.D.Right, 10), std::min(c.D.Bottom, 8));
      bool changed = false;
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
          const bool inside = visible.Contains(TPoint(x, y));
          const Px now = *dst.PixelAddress(x, y);
          if (now != before[static_cast<std::size_t>(y * 10 + x)]) {
            changed = true;
            EXPECT_TRUE(inside) << "kind " << kind << " wrote (" << x << ", " << y << ")";
          }
        }
      EXPECT_EQ(changed, c.draws) << "kind " << kind << " D " << c.D.Left << "," << c.D.Top << " S " << c.S.Left;

      // The same into a bottom-up buffer with guard pixels before and after.
      std::vector<Px> buffer(82, 0xABCDEF01u);
      DrawRoutines.StretchToDIB[kind](buffer.data() + 1, c.D, c.D, c.S, &src, 8, 10);
      EXPECT_EQ(buffer.front(), 0xABCDEF01u);
      EXPECT_EQ(buffer.back(), 0xABCDEF01u);
    }
}

TEST(EffectsStretch, ClipRectangleLimitsTheWrite) {
  TEffectsBitmap src;
  Paint(src, 4, 4, [](int, int) { return Argb(255, 9, 9, 9); });
  TEffectsBitmap dst;
  dst.SetSize(4, 4);
  DrawRoutines.StretchRect[dkCopy](&dst, TRect(0, 0, 4, 4), TRect(1, 1, 3, 2), TRect(0, 0, 4, 4), &src);
  int written = 0;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      if (*dst.PixelAddress(x, y)) {
        ++written;
        EXPECT_TRUE(TRect(1, 1, 3, 2).Contains(TPoint(x, y)));
      }
  EXPECT_EQ(written, 2);
}

TEST(EffectsStretch, KeyAndBlendVariantsWhileStretching) {
  TEffectsBitmap src;
  Paint(src, 2, 2, [](int x, int y) {
    if (x == 0 && y == 0) return Px{0x007F007Fu};         // key: leaves the destination
    if (x == 1 && y == 0) return Argb(128, 255, 255, 255);  // half white
    return Argb(255, 10, 20, 30);
  });
  TEffectsBitmap dst;
  Paint(dst, 4, 4, [](int, int) { return Argb(0, 0, 0, 0); });
  src.SetKeyTransparent(true);
  src.DrawTo(&dst, TRect(0, 0, 4, 4), TRect(0, 0, 2, 2));
  // Trunc map for 2 -> 4: rx = 1/3: 0, 0, 0, 1.
  EXPECT_EQ(*dst.PixelAddress(0, 0), 0u);
  EXPECT_EQ(*dst.PixelAddress(3, 0), Argb(255, 255, 255, 255));  // keyed pixels are written opaque
  EXPECT_EQ(*dst.PixelAddress(0, 3), Argb(255, 10, 20, 30));

  TEffectsBitmap dst2;
  Paint(dst2, 4, 4, [](int, int) { return Argb(0, 0, 0, 0); });
  src.SetHasAlpha(true);  // alpha wins over the key flag
  src.DrawTo(&dst2, TRect(0, 0, 4, 4), TRect(0, 0, 2, 2));
  EXPECT_EQ(*dst2.PixelAddress(3, 0), PixelRoutines.BlendPixel(Argb(128, 255, 255, 255), 0));
  EXPECT_EQ(*dst2.PixelAddress(0, 0), 0u);  // alpha 0 leaves the destination
}

// ---------------------------------------------------------------------------------------------------------
// Stretching cases worked by hand.

namespace {

// A source whose pixel (x, y) names its own place: blue x, green y.
void Numbered(TEffectsBitmap& b, int w, int h) {
  Paint(b, w, h, [](int x, int y) { return Argb(255, 0, static_cast<Px>(y), static_cast<Px>(x)); });
}
int SourceX(Px p) { return static_cast<int>(p & 0xFF); }
int SourceY(Px p) { return static_cast<int>((p >> 8) & 0xFF); }

}  // namespace

// A destination one pixel wide (or high) takes the middle of the source span, (left + right - 1) div 2:
// for the even span 1..7 that is column 3, where (left + right) div 2 would give 4.
TEST(EffectsStretch, OnePixelDestinationOfAnEvenSpanTakesTheLowerMiddle) {
  TEffectsBitmap src;
  Numbered(src, 8, 8);
  TEffectsBitmap dst;
  dst.SetSize(3, 3);
  src.DrawTo(&dst, TRect(1, 0, 2, 3), TRect(1, 0, 7, 2));  // 1 wide, 3 high
  for (int y = 0; y < 3; ++y) EXPECT_EQ(SourceX(*dst.PixelAddress(1, y)), 3) << y;
  src.DrawTo(&dst, TRect(0, 2, 3, 3), TRect(0, 2, 2, 8));  // 3 wide, 1 high: rows 2..7 give 4
  for (int x = 0; x < 3; ++x) EXPECT_EQ(SourceY(*dst.PixelAddress(x, 2)), 4) << x;

  std::vector<Px> buffer(3 * 3, 0);
  DrawRoutines.StretchToDIB[dkCopy](buffer.data(), TRect(1, 0, 2, 3), TRect(1, 0, 2, 3), TRect(1, 0, 7, 2), &src, 3, 3);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(SourceX(buffer[static_cast<std::size_t>(row * 3 + 1)]), 3) << row;
}

// Equal sizes with the destination hanging over the target's upper-left corner: the visible part starts at
// source point (S.Left + K.Left - D.Left, S.Top + K.Top - D.Top), for bitmaps and bottom-up buffers alike.
TEST(EffectsStretch, EqualSizeSourceOffsetWhenTheDestinationIsPartlyOutside) {
  TEffectsBitmap src;
  Numbered(src, 9, 6);
  const TRect D(-2, -1, 4, 3), S(1, 1, 7, 5);  // both 6 x 4; visible part (0, 0)-(4, 3) starts at (3, 2)
  for (int kind = dkCopy; kind <= dkBlend; ++kind) {
    SCOPED_TRACE(kind);
    TEffectsBitmap dst;
    dst.SetSize(5, 4);
    DrawRoutines.StretchRect[kind](&dst, D, D, S, &src);
    std::vector<Px> buffer(5 * 4, 0);
    DrawRoutines.StretchToDIB[kind](buffer.data(), D, D, S, &src, 4, 5);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x) {
        const Px got = *dst.PixelAddress(x, y);
        const Px inBuffer = buffer[static_cast<std::size_t>((3 - y) * 5 + x)];
        if (x < 4 && y < 3) {
          EXPECT_EQ(got, *src.PixelAddress(x + 3, y + 2)) << x << "," << y;
          EXPECT_EQ(inBuffer, *src.PixelAddress(x + 3, y + 2)) << x << "," << y;
        } else {
          EXPECT_EQ(got, 0u) << x << "," << y;
          EXPECT_EQ(inBuffer, 0u) << x << "," << y;
        }
      }
  }
}

// Five buffer rows from three differing source rows: ry = 2 / 4 = 0.5 and rows round half to even, so
// the image rows show source rows 0, 0, 1, 2, 2; the buffer holds them bottom-up. Copies of a repeated
// row must repeat the row just written, not another.
TEST(EffectsStretch, SeveralDifferingRowsIntoABuffer) {
  TEffectsBitmap src;
  Numbered(src, 3, 3);
  for (int kind = dkCopy; kind <= dkBlend; ++kind) {
    SCOPED_TRACE(kind);
    std::vector<Px> buffer(3 * 5, 0xAAAAAAAAu);
    DrawRoutines.StretchToDIB[kind](buffer.data(), TRect(0, 0, 3, 5), TRect(0, 0, 3, 5), TRect(0, 0, 3, 3), &src, 5, 3);
    const int rows[5] = {0, 0, 1, 2, 2};
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 3; ++x) {
        const Px p = buffer[static_cast<std::size_t>((4 - y) * 3 + x)];
        EXPECT_EQ(SourceY(p), rows[y]) << x << "," << y;
        EXPECT_EQ(SourceX(p), x) << x << "," << y;
      }
  }
}

// The column ratio is a single-precision value and the map is evaluated in extended precision, then
// truncated (bitmaps) or rounded half to even (buffers). 6 -> 7 columns: 5 / 6 as a single is just below
// 5 / 6, so the last column truncates to 4; 4 -> 7: ratio 0.5 exactly, ties round to even.
TEST(EffectsStretch, TruncAndRoundColumnMapsAtSinglePrecisionBoundaries) {
  struct Case {
    int sourceWidth, width;
    std::vector<int> trunc, round;
  };
  const Case cases[] = {
      {6, 7, {0, 0, 1, 2, 3, 4, 4}, {0, 1, 2, 2, 3, 4, 5}},
      {4, 7, {0, 0, 1, 1, 2, 2, 3}, {0, 0, 1, 2, 2, 2, 3}},
      {4, 10, {0, 0, 0, 1, 1, 1, 2, 2, 2, 3}, {0, 0, 1, 1, 1, 2, 2, 2, 3, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sourceWidth);
    TEffectsBitmap src;
    Numbered(src, c.sourceWidth, 1);
    TEffectsBitmap dst;
    dst.SetSize(c.width, 1);
    src.DrawTo(&dst, TRect(0, 0, c.width, 1), TRect(0, 0, c.sourceWidth, 1));
    std::vector<Px> buffer(static_cast<std::size_t>(c.width), 0);
    DrawRoutines.StretchToDIB[dkCopy](buffer.data(), TRect(0, 0, c.width, 1), TRect(0, 0, c.width, 1),
                                      TRect(0, 0, c.sourceWidth, 1), &src, 1, c.width);
    std::vector<int> trunc, round;
    for (int i = 0; i < c.width; ++i) {
      trunc.push_back(SourceX(*dst.PixelAddress(i, 0)));
      round.push_back(SourceX(buffer[static_cast<std::size_t>(i)]));
    }
    EXPECT_EQ(trunc, c.trunc);
    EXPECT_EQ(round, c.round);
  }
}
