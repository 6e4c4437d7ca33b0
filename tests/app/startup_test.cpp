#include <gtest/gtest.h>

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
      "Forms",    "Graphics",  "Printers", "jpeg",     "GDIPAPI",   "GIFImage", "EffectsBitmap",   "EffectsProbes",
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
