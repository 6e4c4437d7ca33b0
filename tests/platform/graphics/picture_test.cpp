// TBitmap storage and files, TPicture's registry and the library-decoded pictures.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/graphics/graphics.h"
#include "platform/graphics/pictures.h"
#include "sample_pictures.h"

namespace {

class PictureRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    GraphicsUnit::Initialize();
    JpegUnit::Initialize();
    GifImageUnit::Initialize();
    PngImageUnit::Initialize();
  }
  void TearDown() override {
    PngImageUnit::Finalize();
    GifImageUnit::Finalize();
    JpegUnit::Finalize();
    GraphicsUnit::Finalize();
  }
};

// Fills every byte of the pixel rows with a pattern that depends on row and column.
void FillPattern(TBitmap& b) {
  const int bytesPerPixel = b.PixelFormat() == pf32bit ? 4 : 3;
  for (int y = 0; y < b.Height(); ++y) {
    auto* row = static_cast<std::uint8_t*>(b.ScanLine(y));
    for (int i = 0; i < b.Width() * bytesPerPixel; ++i) row[i] = std::uint8_t(y * 31 + i * 7 + 3);
  }
}

}  // namespace

TEST(GraphicsBitmap, BmpFileRoundTripIsLossless) {
  for (TPixelFormat format : {pf24bit, pf32bit}) {
    SCOPED_TRACE(format);
    TBitmap source;
    source.SetPixelFormat(format);
    source.SetSize(7, 5);  // odd width: padded rows
    FillPattern(source);
    TMemoryStream stream;
    source.SaveToStream(&stream);
    stream.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(&stream);
    ASSERT_EQ(back.Width(), 7);
    ASSERT_EQ(back.Height(), 5);
    EXPECT_EQ(back.PixelFormat(), format);
    const int rowBytes = 7 * (format == pf32bit ? 4 : 3);
    for (int y = 0; y < 5; ++y)
      EXPECT_EQ(std::memcmp(source.ScanLine(y), back.ScanLine(y), rowBytes), 0) << "row " << y;
  }
}

TEST(GraphicsBitmap, ScanLineRowZeroIsTheTopRowInBlueGreenRedOrder) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(4, 3);
  b.Canvas()->SetPixels(1, 0, TColor(RGB(10, 20, 30)));
  auto* row = static_cast<std::uint8_t*>(b.ScanLine(0));
  EXPECT_EQ(row[3], 30);
  EXPECT_EQ(row[4], 20);
  EXPECT_EQ(row[5], 10);
  EXPECT_THROW(b.ScanLine(3), EInvalidGraphicOperation);
  EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
}

TEST(GraphicsBitmap, NewPixelsAreWhiteAndResizeKeepsOldOnes) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(2, 2);
  EXPECT_EQ(b.Canvas()->Pixels(1, 1), clWhite);
  b.Canvas()->SetPixels(0, 0, clRed);
  b.SetSize(4, 4);
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(b.Canvas()->Pixels(3, 3), clWhite);
}

TEST(GraphicsBitmap, AssignCopiesPixelsAndFormat) {
  TBitmap a;
  a.SetPixelFormat(pf32bit);
  a.SetSize(3, 2);
  FillPattern(a);
  TBitmap b;
  b.Assign(&a);
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  EXPECT_NE(b.Handle(), a.Handle());
  for (int y = 0; y < 2; ++y) EXPECT_EQ(std::memcmp(a.ScanLine(y), b.ScanLine(y), 12), 0);
}

TEST(GraphicsBitmap, HandleTakenOverKeepsSizeAndReleaseGivesItAway) {
  TBitmap a;
  a.SetPixelFormat(pf24bit);
  a.SetSize(5, 4);
  HBITMAP h = a.ReleaseHandle();
  EXPECT_TRUE(a.Empty());
  TBitmap b;
  b.SetHandle(h);
  EXPECT_EQ(b.Width(), 5);
  EXPECT_EQ(b.Height(), 4);
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  EXPECT_EQ(b.Handle(), h);
}

TEST_F(PictureRegistry, PictureClassIsPickedByExtension) {
  std::vector<std::uint8_t> bmp, jpg;
  PictureCodecs::EncodeBmp(samples::Quadrants(8), 24, bmp);
  PictureCodecs::EncodeJpeg(samples::Quadrants(16), 90, jpg);
  struct Case {
    std::string name;
    std::vector<std::uint8_t> bytes;
    std::string cls;
  } cases[] = {
      {"a.png", samples::QtPng(samples::AlphaPattern()), "TPngImage"},
      {"b.PNG", samples::QtPng(samples::Quadrants(8)), "TPngImage"},
      {"c.bmp", bmp, "TBitmap"},
      {"d.jpg", jpg, "TJPEGImage"},
      {"e.jpeg", jpg, "TJPEGImage"},
      {"f.gif", samples::Gif4x2(), "TGIFImage"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = samples::TempPath(c.name);
    samples::WriteFile(path, c.bytes);
    TPicture pic;
    int changes = 0;
    pic.OnChange = [&](TObject*) { ++changes; };
    pic.LoadFromFile(path);
    ASSERT_NE(pic.Graphic(), nullptr);
    EXPECT_EQ(pic.Graphic()->ClassName(), c.cls);
    EXPECT_GT(pic.Width(), 0);
    EXPECT_GT(changes, 0);
  }
}

TEST_F(PictureRegistry, UnknownExtensionAndMissingFileFailClearly) {
  TPicture pic;
  try {
    pic.LoadFromFile(samples::TempPath("picture.xyz"));
    FAIL() << "no exception";
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Unknown picture file extension (.xyz)");
  }
  EXPECT_THROW(pic.LoadFromFile(samples::TempPath("missing.png")), EFOpenError);
  std::string bad = samples::TempPath("bad.png");
  samples::WriteFile(bad, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 1, 2, 3});
  try {
    pic.LoadFromFile(bad);
    FAIL() << "no exception";
  } catch (const EInvalidGraphic& e) {
    EXPECT_NE(e.Message().find(bad), std::string::npos) << e.Message();
  }
  EXPECT_EQ(pic.Graphic(), nullptr);  // a failed load keeps what the picture held
}

TEST_F(PictureRegistry, RegistryListsTheFormatsWithTheirDescriptions) {
  const TFileFormat* png = TPicture::FindFileFormat(".png");
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png->Extension, "PNG");
  EXPECT_EQ(png->Description, "Portable Network Graphics");
  ASSERT_NE(TPicture::FindFileFormat("jpeg"), nullptr);
  EXPECT_EQ(TPicture::FindFileFormat("jpg")->GraphicClass, TJPEGImage::StaticClass());
  EXPECT_EQ(TPicture::FileFormats().size(), 5u);
  EXPECT_EQ(GraphicFilter(TJPEGImage::StaticClass()),
            "All (*.jpg;*.jpeg)|*.jpg;*.jpeg|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg");
  PngImageUnit::Finalize();
  EXPECT_EQ(TPicture::FindFileFormat("png"), nullptr);
  PngImageUnit::Initialize();
}

TEST_F(PictureRegistry, PngPictureKeepsAlphaAndConvertsToA32BitBitmap) {
  std::string path = samples::TempPath("alpha.png");
  samples::WriteFile(path, samples::QtPng(samples::AlphaPattern()));
  TPicture pic;
  pic.LoadFromFile(path);
  auto* png = dynamic_cast<TPngImage*>(pic.Graphic());
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png->Pixel(0, 0) >> 24, 0u);
  EXPECT_EQ(png->Pixel(2, 1) >> 24, 128u);
  EXPECT_EQ(png->Pixel(4, 2) >> 24, 255u);
  TBitmap b;
  b.Assign(png);
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  auto* row = static_cast<std::uint8_t*>(b.ScanLine(1));
  EXPECT_EQ(row[2 * 4 + 3], 128);
}

TEST_F(PictureRegistry, GifPictureIsTransparentWhereItsKeySits) {
  std::string path = samples::TempPath("key.gif");
  samples::WriteFile(path, samples::Gif4x2());
  TPicture pic;
  pic.LoadFromFile(path);
  auto* gif = dynamic_cast<TGIFImage*>(pic.Graphic());
  ASSERT_NE(gif, nullptr);
  EXPECT_TRUE(gif->Transparent());
  EXPECT_EQ(gif->Pixel(0, 0) >> 24, 0u);
  EXPECT_EQ(gif->Pixel(1, 0), 0xFFFF0000u);
}
