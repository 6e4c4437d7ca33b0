#include <filesystem>
#include <gtest/gtest.h>

#include "app/Communal.h"

#include "app/Program.h"
#include "platform/classes/units.h"
#include "platform/forms/forms.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/graphics/graphics.h"
#include "platform/win/testing.h"

namespace {

TEST(StartUp, UnitsStartInTheirFixedOrderBeforeAnyWindow) {
  Program::AddUnits();
  const std::vector<std::string> expected = {
      "Forms",    "Graphics",  "Printers", "jpeg",     "GDIPAPI",
      "ChartConst", "ChartHelpers", "ChartCanvas", "ChartFilters", "ChartProcs", "ChartEngine", "Chart",
      "GIFImage", "PropFilerX", "ToolCtrlsX", "CalculatorX", "DBGridXFindDlgs", "DbUtilsX", "DBGridX", "DBGridXImpExp",
      "EffectsBitmap",   "EffectsProbes",
      "Communal", "UfrmPlay", "UfrmPrint", "UfrmColor", "pngimage", "UfrmSelectModel", "UfrmMain"};
  EXPECT_EQ(UnitNames(), expected);
  InitializeUnits();
  // Every picture format is registered and imaging works before the first window is made.
  for (const char* ext : {"bmp", "png", "jpg", "jpeg", "gif"})
    EXPECT_NE(TPicture::FindFileFormat(ext), nullptr) << ext;
  Gdiplus::GpBitmap* bitmap = nullptr;
  EXPECT_EQ(Gdiplus::GdipCreateBitmapFromScan0(4, 4, 0, Gdiplus::PixelFormat32bppARGB, nullptr, &bitmap), Gdiplus::Ok);
  Gdiplus::GdipDisposeImage(bitmap);
  EXPECT_EQ(Screen->FormCount(), 0);
  Program::CreateForms();
  ASSERT_EQ(Screen->FormCount(), 5);
  const char* order[] = {"TfrmMain", "TfrmSelectModel", "TfrmColorConfigure", "TfrmPrint", "TfrmPlay"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Screen->Forms(i)->ClassName(), order[i]);
  Program::Shutdown();
  EXPECT_FALSE(UnitInitialized("Forms"));
  ClearUnits();
  win::ResetWindowManager();
}

}  // namespace

namespace {

int CountPng(const std::string& Folder) {
  int n = 0;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(Folder, ec))
    if (e.path().extension() == ".png") ++n;
  return n;
}

TEST(StartUp, ShippedPicturesLieBesideTheExecutable) {
  const std::string dir = ExecutableFolder();
  EXPECT_GE(CountPng(dir + "Hairs/女士/"), 25);
  EXPECT_GE(CountPng(dir + "Hairs/男士/"), 13);
  EXPECT_GE(CountPng(dir + "Frames/"), 4);
  EXPECT_EQ(CountPng(dir + "Toolbar/"), 8);
  for (const char* f : {"Models/1.png", "Models/2.png", "Resources/rotate.ico", "Resources/PreviewModel1.png",
                        "Resources/PreviewModel2.png", "Resources/MainLogo.png", "about.html"})
    EXPECT_TRUE(std::filesystem::exists(dir + f)) << f;
}

}  // namespace
