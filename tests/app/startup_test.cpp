#include <filesystem>
#include <gtest/gtest.h>
#include <pthread.h>

#include <system_error>
#include <thread>

#include "app/Communal.h"

#include "app/Program.h"
#include "app/UfrmSelectModel.h"
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


// While it lives, no thread can be started: the default stack of a new thread is larger than any address
// space, so creating one fails as it does when the system has no more threads to give.
class TNoNewThreads {
 public:
  TNoNewThreads() {
    pthread_getattr_default_np(&FSaved);
    pthread_attr_t huge;
    pthread_attr_init(&huge);
    pthread_attr_setstacksize(&huge, std::size_t(1) << 62);
    pthread_setattr_default_np(&huge);
    pthread_attr_destroy(&huge);
  }
  ~TNoNewThreads() {
    pthread_setattr_default_np(&FSaved);
    pthread_attr_destroy(&FSaved);
  }

 private:
  pthread_attr_t FSaved;
};

// Start-up reads the model picker's portraits ahead on another thread; when that thread cannot start,
// start-up goes on and the picker reads them on its own thread when it is made.
TEST(StartUp, APrefetchThreadThatCannotStartLeavesTheReadingToTheWindow) {
  Program::AddUnits();
  InitializeUnits();
  {
    TNoNewThreads noThreads;
    EXPECT_THROW(std::thread([] {}).join(), std::system_error) << "the injected failure works";
    EXPECT_NO_THROW(UfrmSelectModel::StartPrefetch());
  }
  ExePath = ExecutableFolder();  // as the main window sets it before the picker is made
  Application->CreateForm(frmSelectModel);
  ASSERT_NE(frmSelectModel, nullptr);
  int index = 1;
  for (TImage* image : {frmSelectModel->Image1, frmSelectModel->Image2}) {
    TPicture direct;
    direct.LoadFromFile(ExePath + "Models/" + std::to_string(index++) + ".png");
    TGraphic* g = image->Picture()->Graphic();
    ASSERT_NE(g, nullptr);
    EXPECT_FALSE(g->Empty());
    EXPECT_EQ(g->Width(), direct.Width());
    EXPECT_EQ(g->Height(), direct.Height());
  }
  Program::Shutdown();
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
