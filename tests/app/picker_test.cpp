#include <filesystem>

#include "app/UfrmSelectModel.h"
#include "platform/rtl/sysutils.h"
#include "tests/app/app_fixture.h"

namespace {

namespace fs = std::filesystem;

class PickerTest : public AppFixture {
 protected:
  // A program folder that holds only the given model pictures.
  std::string FolderWith(const std::string& From, std::initializer_list<int> Models) {
    const fs::path dir = win::TempFolder("picker");
    fs::create_directories(dir / "Models");
    for (int m : Models) {
      const std::string name = std::to_string(m) + ".png";
      fs::copy_file(From + "Models/" + name, dir / "Models" / name);
    }
    return dir.string() + "/";
  }
  bool Empty(TImage* Image) {
    return !Image->Picture()->Graphic() || Image->Picture()->Graphic()->Empty();
  }
};

TEST_F(PickerTest, ThePickersPortraitsAreLoadedOnce) {
  EXPECT_EQ(frmSelectModel->Caption(), "Select Model");
  EXPECT_EQ(frmSelectModel->ClientWidth(), 516);
  EXPECT_EQ(frmSelectModel->ClientHeight(), 277);
  EXPECT_FALSE(Empty(frmSelectModel->Image1));
  EXPECT_FALSE(Empty(frmSelectModel->Image2));
  EXPECT_EQ(frmSelectModel->Button1->Caption(), "取消");
  // 取消 closes without loading anything.
  WhenIdle({[] { Click(frmSelectModel->Button1); }});
  Click(frmMain->btnSelectModel);
  EXPECT_FALSE(frmSelectModel->Visible());
  EXPECT_EQ(ModelPicture.Bitmap, nullptr);
}

// Each thumbnail loads its own portrait: the second Models/2.png, the first Models/1.png, told apart by
// their pixels (the two files differ).
TEST_F(PickerTest, EachPortraitLoadsItsOwnFile) {
  auto load = [](const std::string& Name) {
    GpBitmap* b = nullptr;
    GdipCreateBitmapFromFile(Utf8ToUtf16(Name).c_str(), &b);
    return b;
  };
  auto sameAs = [](GpBitmap* A, GpBitmap* B) {
    UINT aw = 0, ah = 0, bw = 0, bh = 0;
    BitmapSize(A, aw, ah);
    BitmapSize(B, bw, bh);
    if (aw != bw || ah != bh) return false;
    for (UINT y = 0; y < ah; y += 5)
      for (UINT x = 0; x < aw; x += 5) {
        ARGB a = 0, b = 0;
        GdipBitmapGetPixel(A, int(x), int(y), &a);
        GdipBitmapGetPixel(B, int(x), int(y), &b);
        if (a != b) return false;
      }
    return true;
  };
  GpBitmap* first = load(ExePath + "Models/1.png");
  GpBitmap* second = load(ExePath + "Models/2.png");
  ASSERT_FALSE(sameAs(first, second));
  for (int n : {2, 1}) {
    SCOPED_TRACE(n);
    TImage* image = n == 1 ? frmSelectModel->Image1 : frmSelectModel->Image2;
    WhenIdle({[image] { Click(image); }});
    Click(frmMain->btnSelectModel);
    ASSERT_NE(ModelPicture.Bitmap, nullptr);
    EXPECT_TRUE(sameAs(ModelPicture.Bitmap, n == 1 ? first : second));
    EXPECT_FALSE(frmSelectModel->Visible());
  }
  GdipDisposeImage(first);
  GdipDisposeImage(second);
}

TEST_F(PickerTest, AMissingModelFileIsReportedAndTheProgramGoesOn) {
  struct Case { std::initializer_list<int> present; bool first, second; const char* missing; };
  const Case cases[] = {{{2}, false, false, "1.png"}, {{1}, true, false, "2.png"}};
  const std::string keep = ExePath;
  for (const Case& c : cases) {
    ExePath = FolderWith(keep, c.present);
    dialogs.Clear();
    TfrmSelectModel* picker = nullptr;
    Application->CreateForm(picker);
    ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
    EXPECT_NE(dialogs.MessageTexts()[0].find(c.missing), std::string::npos) << dialogs.MessageTexts()[0];
    EXPECT_EQ(!Empty(picker->Image1), c.first);
    EXPECT_EQ(!Empty(picker->Image2), c.second);
  }
  ExePath = keep;
}

}  // namespace
