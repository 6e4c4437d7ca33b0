// Checks of the asset drawing code: exact coverage, file formats, fit of the pictures and
// that every run draws the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/extras.h"
#include "tools/figure.h"

using namespace art;

namespace {

float alphaAt(const Image& img, int x, int y) { return img.at(x, y)[3]; }

std::vector<uint8_t> readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::filesystem::path scratch(const char* name) {
    const char* dir = std::getenv("TRESSORA_ARTIFACTS");
    std::filesystem::path base = dir ? dir : std::filesystem::temp_directory_path();
    std::filesystem::create_directories(base);
    return base / name;
}

}  // namespace

TEST(Raster, CoverageOfAlignedAndHalfPixelEdges) {
    Image img(8, 4);
    // x from 2 to 5.5: pixels 2..4 full, pixel 5 half, others empty.
    std::vector<float> cov = img.coverage(Path(rect(2, 0, 3.5, 4)));
    struct Case {
        int x;
        float expected;
    } cases[] = {{1, 0.0f}, {2, 1.0f}, {4, 1.0f}, {5, 0.5f}, {6, 0.0f}};
    for (const Case& c : cases)
        for (int y = 0; y < 4; ++y) EXPECT_NEAR(cov[static_cast<size_t>(y) * 8 + c.x], c.expected, 1e-4) << c.x;
}

TEST(Raster, OverlappingPartsOfAUnionDoNotCancel) {
    Image img(20, 20);
    Polygon a = rect(2, 2, 10, 10), b = rect(6, 6, 10, 10);
    std::reverse(b.begin(), b.end());  // opposite winding
    orientPositive(a);
    orientPositive(b);
    Path p(a);
    p.add(b);
    img.fill(p, rgb(0xFF0000));
    EXPECT_FLOAT_EQ(alphaAt(img, 8, 8), 1.0f);
}

TEST(Raster, UnionRuleKeepsFoldedPartsFromCancelling) {
    // A bow-tie has one lobe wound each way; over a square, the non-zero rule cancels one lobe.
    Polygon square = rect(0, 0, 10, 10);
    orientPositive(square);
    Polygon bowtie{{0, 0}, {10, 10}, {10, 0}, {0, 10}};
    Path p(square);
    p.add(bowtie);
    Image img(10, 10);
    std::vector<float> nonZero = img.coverage(p, Rule::NonZero);
    std::vector<float> uni = img.coverage(p, Rule::Union);
    int holesNonZero = 0;
    for (size_t i = 0; i < uni.size(); ++i) {
        EXPECT_NEAR(uni[i], 1.0f, 1e-4) << i;
        if (nonZero[i] < 0.5f) ++holesNonZero;
    }
    EXPECT_GT(holesNonZero, 10);  // the fixture really folds
}

TEST(Raster, EraseLeavesExactTransparency) {
    Image img(10, 10);
    img.clear(rgb(0x336699));
    img.fill(Path(rect(3, 3, 4, 4)), rgb(0), Rule::NonZero, Mode::Erase);
    EXPECT_EQ(alphaAt(img, 4, 4), 0.0f);
    EXPECT_EQ(alphaAt(img, 2, 4), 1.0f);
}

TEST(Icon, LayoutAndMaskFollowTheAlpha) {
    Image img = drawRotateCursor();
    ASSERT_EQ(img.width(), 32);
    std::filesystem::path file = scratch("rotate-test.ico");
    ASSERT_TRUE(writeIco(file.string(), img));
    std::vector<uint8_t> d = readFile(file);
    ASSERT_EQ(d.size(), 6u + 16u + 40u + 32u * 32u * 4u + 32u * 4u);
    EXPECT_EQ(d[2], 1);   // icon
    EXPECT_EQ(d[4], 1);   // one image
    EXPECT_EQ(d[6], 32);  // width
    EXPECT_EQ(d[22 + 8], 64);  // header height counts colour and mask rows
    std::vector<uint8_t> rgba = toRGBA8(img);
    const size_t maskStart = 22 + 40 + 32 * 32 * 4;
    int transparent = 0, opaque = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            int row = 31 - y;  // bottom-up
            bool bit = (d[maskStart + static_cast<size_t>(row) * 4 + x / 8] >> (7 - x % 8)) & 1;
            bool clear = rgba[(static_cast<size_t>(y) * 32 + x) * 4 + 3] == 0;
            EXPECT_EQ(bit, clear) << x << "," << y;
            (clear ? transparent : opaque)++;
            // Colour rows are BGRA, bottom-up.
            const uint8_t* px = &d[22 + 40 + (static_cast<size_t>(row) * 32 + x) * 4];
            EXPECT_EQ(px[3], rgba[(static_cast<size_t>(y) * 32 + x) * 4 + 3]);
        }
    EXPECT_GT(transparent, 400);
    EXPECT_GT(opaque, 100);
}

TEST(Frames, OpaqueBorderAndClearInside) {
    for (int i = 0; i < kFrameCount; ++i) {
        Image f = drawFrame(i);
        ASSERT_EQ(f.width(), 309);
        ASSERT_EQ(f.height(), 355);
        EXPECT_FLOAT_EQ(alphaAt(f, 154, 177), 0.0f) << i;
        EXPECT_FLOAT_EQ(alphaAt(f, 31, 31), 0.0f) << i;
        EXPECT_GE(alphaAt(f, 5, 177), 0.999f) << i;
        EXPECT_GE(alphaAt(f, 154, 350), 0.999f) << i;
    }
}

TEST(Hair, EveryStyleLeavesTheFaceVisibleAndSitsOnTheHead) {
    Head w = womanHead(), m = manHead();
    HairSet set = drawHairStyles(w, m);
    EXPECT_GE(set.women.size(), 25u);
    EXPECT_GE(set.men.size(), 13u);
    auto check = [](const std::vector<Image>& styles, const Head& h) {
        for (size_t i = 0; i < styles.size(); ++i) {
            const Image& s = styles[i];
            ASSERT_EQ(s.width(), kHairW);
            ASSERT_EQ(s.height(), kHairH);
            auto at = [&](double px, double py) {
                return alphaAt(s, static_cast<int>(px - kHairToPortraitX), static_cast<int>(py - kHairToPortraitY));
            };
            // Eyes, nose and mouth stay clear; the crown is covered.
            EXPECT_LT(at(h.cx - 28, h.eyeY), 0.05f) << i;
            EXPECT_LT(at(h.cx + 28, h.eyeY), 0.05f) << i;
            EXPECT_LT(at(h.cx, h.eyeY + 40), 0.05f) << i;
            EXPECT_LT(at(h.cx, h.eyeY + 66), 0.05f) << i;
            EXPECT_GT(at(h.cx, h.skullTop() + 6), 0.95f) << i;
            EXPECT_EQ(alphaAt(s, 0, 0), 0.0f) << i;
        }
    };
    check(set.women, w);
    check(set.men, m);
}

TEST(Output, RepeatedRunsDrawTheSameBytes) {
    Head w = womanHead();
    EXPECT_EQ(toRGBA8(drawPortrait(w, true)), toRGBA8(drawPortrait(w, true)));
    EXPECT_EQ(toRGBA8(drawBackdrop(w)), toRGBA8(drawBackdrop(w)));
    EXPECT_EQ(toRGBA8(drawLogo()), toRGBA8(drawLogo()));
    Image a = drawBackdrop(w);
    EXPECT_EQ(a.width(), 115);
    EXPECT_EQ(a.height(), 146);
}
