#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "platform/rtl/sysutils.h"
#include "tests/app/app_fixture.h"
#include "tests/app/file_size_limit.h"

namespace {

namespace fs = std::filesystem;

class CollectionTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    ASSERT_TRUE(frmMain->LoadModel(ExePath + "Models/1.png"));
  }
  GpBitmap* Snapshot(int Index) { return ListBitmap(CollectionList.get(), Index); }
  static void Size(GpBitmap* B, int& W, int& H) {
    UINT w = 0, h = 0;
    BitmapSize(B, w, h);
    W = int(w);
    H = int(h);
  }
  std::string TempDir(const std::string& Name) {
    return win::TempFolder(Name);
  }
};

TEST_F(CollectionTest, ARotatedPortraitGivesItsBoundingBox) {
  ModelPicture.Angle = float(M_PI / 6);
  UpdateSinCos(ModelPicture);
  UpdatePlacement(ModelPicture);
  const GpPointF* c = ModelPicture.Corners;
  const float width = MaxOfSingles({c[0].X, c[1].X, c[2].X, c[3].X}) - MinOfSingles({c[0].X, c[1].X, c[2].X, c[3].X});
  const float height = MaxOfSingles({c[0].Y, c[1].Y, c[2].Y, c[3].Y}) - MinOfSingles({c[0].Y, c[1].Y, c[2].Y, c[3].Y});
  ASSERT_LT(height, float(frmMain->imgMain->Height()));  // fits in the area: no clipping here
  Click(frmMain->btnAdd);
  ASSERT_EQ(CollectionList->Count(), 1);
  int w, h;
  Size(Snapshot(0), w, h);
  EXPECT_EQ(w, int(Round(width)));
  EXPECT_EQ(h, int(Round(height)));
  // The corners of the box lie outside the turned portrait: they show the background gradient.
  ARGB corner = 0;
  GdipBitmapGetPixel(Snapshot(0), 1, 1, &corner);
  ARGB middle = 0;
  GdipBitmapGetPixel(Snapshot(0), w / 2, h / 2, &middle);
  EXPECT_NE(corner, middle);
}

TEST_F(CollectionTest, APortraitPartlyOutsideGivesOnlyTheVisiblePart) {
  ModelPicture.CenterX = 0;  // half of it left of the area
  UpdatePlacement(ModelPicture);
  Click(frmMain->btnAdd);
  int w, h;
  Size(Snapshot(0), w, h);
  EXPECT_EQ(w, int(Round(ModelPicture.HalfWidth)));
  EXPECT_EQ(h, int(Round(2 * ModelPicture.HalfHeight)));
}

// The snapshot's rows come from the box's top edge turned into a pixel row (H - bottom - height): a
// portrait moved up or down must give its own pixels, not those of a box mirrored about the middle.
TEST_F(CollectionTest, ASnapshotOfAPortraitAboveOrBelowTheMiddleShowsThatPortrait) {
  const int H = frmMain->imgMain->Height();
  for (const Single shift : {60.f, -45.f}) {
    SCOPED_TRACE(shift);
    ModelPicture.CenterY = Single(H) / 2 + shift;
    UpdatePlacement(ModelPicture);
    Click(frmMain->btnAdd);
    GpBitmap* snap = Snapshot(CollectionList->Count() - 1);
    int w, h;
    Size(snap, w, h);
    const Single left = ModelPicture.CenterX - ModelPicture.HalfWidth;
    const Single topRow = Single(H) - (ModelPicture.CenterY + ModelPicture.HalfHeight);
    ASSERT_EQ(h, int(Round(2 * ModelPicture.HalfHeight)));
    int compared = 0;
    for (int y = 6; y < h - 6; y += 23)
      for (int x = 6; x < w - 6; x += 19) {
        ARGB c = 0;
        GdipBitmapGetPixel(snap, x, y, &c);
        const COLORREF scene = win::GetWindowPixel(frmMain->Panel4->Handle(), int(Round(left)) + x, int(Round(topRow)) + y);
        ASSERT_EQ(RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF), scene) << x << "," << y;
        ++compared;
      }
    EXPECT_GT(compared, 100);
  }
}

TEST_F(CollectionTest, SnapshotsHaveNoHandlesAndFinishARunningFade) {
  ASSERT_TRUE(frmMain->LoadHair(WomenHairList->Strings(0)));
  ASSERT_TRUE(frmMain->TimerFade->Enabled());
  Click(frmMain->btnAdd);
  EXPECT_FALSE(frmMain->TimerFade->Enabled());
  EXPECT_EQ(HairFadeAlpha, -1);
  EXPECT_EQ(ShowSelection, 1);
  // The hair's handles are red on the screen but not in the snapshot.
  const float left = MinOfSingles({ModelPicture.Corners[0].X, ModelPicture.Corners[2].X});
  const float top = MaxOfSingles({ModelPicture.Corners[0].Y, ModelPicture.Corners[1].Y});
  for (int i = 0; i < 8; ++i) {
    const int x = int(std::lround(Handles[i].X - left)), y = int(std::lround(top - Handles[i].Y));
    ARGB c = 0;
    GdipBitmapGetPixel(Snapshot(0), x, y, &c);
    const bool red = ((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) < 60 && (c & 0xFF) < 60;
    EXPECT_FALSE(red) << "handle " << i;
  }
  // The faded-in hair is fully opaque in the snapshot: its centre matches the hair picture.
  EXPECT_TRUE(win::SaveWindowPng(frmMain->Handle(), win::ArtifactPath("main_collection.png")));
}

TEST_F(CollectionTest, ScrollingDeletingAndTheFourthSnapshot) {
  for (int i = 0; i < 3; ++i) Click(frmMain->btnAdd);
  EXPECT_EQ(CollectionFirst, 0);
  EXPECT_TRUE(frmMain->btnDeleteCollection3->Visible());
  Click(frmMain->btnAdd);
  EXPECT_EQ(CollectionList->Count(), 4);
  EXPECT_EQ(CollectionFirst, 1);
  Click(frmMain->btnCollectionRight);  // already at the end
  EXPECT_EQ(CollectionFirst, 1);
  GpBitmap* second = Snapshot(2);
  Click(frmMain->btnDeleteCollection1);  // the snapshot at index 1
  EXPECT_EQ(CollectionList->Count(), 3);
  EXPECT_EQ(Snapshot(1), second);
  EXPECT_EQ(CollectionFirst, 1);
  EXPECT_FALSE(frmMain->btnDeleteCollection3->Visible());  // an empty third cell until "<"
  Click(frmMain->btnCollectionLeft);
  EXPECT_EQ(CollectionFirst, 0);
  EXPECT_TRUE(frmMain->btnDeleteCollection3->Visible());
  Click(frmMain->btnCollectionLeft);
  EXPECT_EQ(CollectionFirst, 0);
}

TEST_F(CollectionTest, ExportWritesNumberedBitmapsThatReadBack) {
  for (int i = 0; i < 3; ++i) {
    ModelPicture.CenterX += 10 * i;
    UpdatePlacement(ModelPicture);
    Click(frmMain->btnAdd);
  }
  const std::string dir = TempDir("export");
  dialogs.PushFolder(dir);
  Click(frmMain->btnSaveAll);
  for (int i = 0; i < 3; ++i) {
    const std::string file = Format("%s/%d.bmp", dir, i);
    ASSERT_TRUE(fs::exists(file)) << file;
    TBitmap saved;
    saved.LoadFromFile(file);
    int w, h;
    Size(Snapshot(i), w, h);
    ASSERT_EQ(saved.Width(), w);
    ASSERT_EQ(saved.Height(), h);
    for (int y = 0; y < h; y += 37)
      for (int x = 0; x < w; x += 29) {
        ARGB c = 0;
        GdipBitmapGetPixel(Snapshot(i), x, y, &c);
        const TColor expected = TColor(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
        ASSERT_EQ(saved.Canvas()->Pixels(x, y), expected) << file << " " << x << "," << y;
      }
  }
  EXPECT_TRUE(dialogs.MessageTexts().empty());
}

TEST_F(CollectionTest, ExportIntoAFolderThatCannotBeWrittenSaysSoForEachFile) {
  Click(frmMain->btnAdd);
  Click(frmMain->btnAdd);
  const std::string dir = TempDir("export_missing") + "/no/such/folder";
  dialogs.PushFolder(dir);
  Click(frmMain->btnSaveAll);
  const auto texts = dialogs.MessageTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "无法保存文件：" + dir + "/0.bmp\n文件夹不存在。");
  EXPECT_EQ(texts[1], "无法保存文件：" + dir + "/1.bmp\n文件夹不存在。");
  // Cancelling the folder picker saves nothing and says nothing.
  dialogs.PushCancel();
  Click(frmMain->btnSaveAll);
  EXPECT_EQ(dialogs.MessageTexts().size(), 2u);
}

// A full disk part-way through an export over an earlier one: every good file stays as it was, no
// temporary file is left, and each message names the file and the reason.
TEST_F(CollectionTest, AFailedExportOverAnEarlierOneDestroysNothing) {
  Click(frmMain->btnAdd);
  Click(frmMain->btnAdd);
  const std::string dir = TempDir("export_full");
  const std::string earlier = dir + "/0.bmp";
  {
    TBitmap small;
    small.SetPixelFormat(pf24bit);
    small.SetSize(3, 2);
    small.SaveToFile(earlier);
  }
  const auto size = fs::file_size(earlier);
  {
    FileSizeLimit full(2048);
    dialogs.PushFolder(dir);
    Click(frmMain->btnSaveAll);
  }
  const auto texts = dialogs.MessageTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "无法保存文件：" + dir + "/0.bmp\n文件超出了允许的大小。");
  EXPECT_EQ(texts[1], "无法保存文件：" + dir + "/1.bmp\n文件超出了允许的大小。");
  EXPECT_EQ(fs::file_size(earlier), size);
  TBitmap still;
  still.LoadFromFile(earlier);
  EXPECT_EQ(still.Width(), 3);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

// A folder that takes no new file (marked unchangeable, which holds for the administrator too) while
// its pictures may still be written; false when the system does not let this process mark it.
bool CloseFolder(const std::string& Dir, bool Closed) {
  const int fd = ::open(Dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (ok) {
    flags = Closed ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return ok;
}

// Exporting over earlier pictures: a read-only picture is refused with a message about the file (not
// the folder); in a folder that takes no new file the earlier pictures are written over, whole.
TEST_F(CollectionTest, AnExportOverEarlierPicturesInAClosedFolderOrReadOnly) {
  Click(frmMain->btnAdd);
  Click(frmMain->btnAdd);
  const std::string dir = TempDir("export_closed");
  dialogs.PushFolder(dir);
  Click(frmMain->btnSaveAll);
  ASSERT_TRUE(dialogs.MessageTexts().empty());
  const auto size = fs::file_size(dir + "/0.bmp");
  // The earlier pictures are made longer, so that a write over them must leave nothing of them behind.
  for (const char* name : {"/0.bmp", "/1.bmp"}) fs::resize_file(dir + name, size * 2);
  ::chmod((dir + "/1.bmp").c_str(), 0444);
  dialogs.PushFolder(dir);
  Click(frmMain->btnSaveAll);
  const std::vector<std::string> expected = {"无法保存文件：" + dir + "/1.bmp\n这个文件是只读的。"};
  EXPECT_EQ(dialogs.MessageTexts(), expected);
  EXPECT_EQ(fs::file_size(dir + "/0.bmp"), size);
  EXPECT_EQ(fs::file_size(dir + "/1.bmp"), size * 2);
  ::chmod((dir + "/1.bmp").c_str(), 0644);
  fs::resize_file(dir + "/0.bmp", size * 2);

  if (!CloseFolder(dir, true)) GTEST_SKIP() << "a folder cannot be closed to new files here";
  dialogs.PushFolder(dir);
  Click(frmMain->btnSaveAll);
  CloseFolder(dir, false);
  EXPECT_EQ(dialogs.MessageTexts(), expected);  // nothing more to say
  for (const char* name : {"/0.bmp", "/1.bmp"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(fs::file_size(dir + name), size);
    TBitmap back;
    back.LoadFromFile(dir + name);
    EXPECT_GT(back.Width(), 0);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST_F(CollectionTest, EmptyCollectionMessages) {
  Click(frmMain->btnSaveAll);
  Click(frmMain->btnPlay);
  Click(frmMain->btnPrint);
  const std::vector<std::string> expected = {"没有图片可以保存。", "请先添加图片, 然后才可播放。",
                                             "请先添加图片, 然后才可打印。"};
  EXPECT_EQ(dialogs.MessageTexts(), expected);
}

}  // namespace
