#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/UfrmColor.h"
#include "app/UfrmPlay.h"
#include "app/UfrmPrint.h"
#include "app/UfrmSelectModel.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/host.h"
#include "tests/app/app_fixture.h"
#include "tests/app/file_size_limit.h"

namespace {

namespace fs = std::filesystem;

int CountPng(const std::string& Folder) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(Folder))
    if (e.path().extension() == ".png") ++n;
  return n;
}

class MainWindowTest : public AppFixture {
 protected:
  TImage* Scene() { return frmMain->imgMain; }
  HWND SceneWindow() { return frmMain->Panel4->Handle(); }
  COLORREF ScenePixel(int X, int Y) { return win::GetWindowPixel(SceneWindow(), X, Y); }
  // Presses on a picture-space point of the scene and drags to another.
  void DragScene(GpPointF From, GpPointF To) {
    Drag(Scene(), int(std::lround(From.X)), PixelY(From.Y), int(std::lround(To.X)), PixelY(To.Y));
  }
  void PressScene(GpPointF P) {
    Mouse(Scene(), int(std::lround(P.X)), PixelY(P.Y), WM_LBUTTONDOWN, MK_LBUTTON);
    Mouse(Scene(), int(std::lround(P.X)), PixelY(P.Y), WM_LBUTTONUP, 0);
  }
  void LoadPortrait(int Model = 1) { ASSERT_TRUE(frmMain->LoadModel(Format("%sModels/%d.png", ExePath, Model))); }
  void LoadHairStyle(int Index) {
    ASSERT_TRUE(frmMain->LoadHair(WomenHairList->Strings(Index)));
    win::AdvanceAndPump(clock, 600);  // let the fade finish
  }
  std::string TempDir(const std::string& Name) {
    return win::TempFolder(Name) + "/";
  }
};

bool IsRed(COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60; }
bool IsDark(COLORREF c) { return GetRValue(c) < 110 && GetGValue(c) < 110 && GetBValue(c) < 110; }

TEST_F(MainWindowTest, StartsWithTheLogoAndTheFirstPageOfWomensStyles) {
  ASSERT_NE(frmMain, nullptr);
  EXPECT_NE(frmSelectModel, nullptr);
  EXPECT_NE(frmColorConfigure, nullptr);
  EXPECT_NE(frmPrint, nullptr);
  EXPECT_NE(frmPlay, nullptr);
  EXPECT_EQ(Application->MainForm(), frmMain);
  EXPECT_EQ(frmMain->Caption(), "Tressora");
  EXPECT_EQ(frmMain->WindowState(), wsMaximized);

  const int women = CountPng(ExePath + "Hairs/女士/");
  ASSERT_GE(women, 25);
  EXPECT_EQ(frmMain->lblPageIndex->Caption(),
            Format("共%d个发型，当前第1页，共%d页", women, (women + 11) / 12));
  EXPECT_EQ(frmMain->cboHairGender->Text(), "女士");
  EXPECT_FALSE(frmMain->btnPreviousPage->Enabled());
  EXPECT_TRUE(frmMain->btnNextPage->Enabled());

  const int xs[4] = {2, 119, 236, 353}, ys[3] = {2, 150, 298};
  for (int i = 0; i < 12; ++i) {
    const TControl* panel = HairCells[i]->Parent();
    EXPECT_EQ(panel->Left(), xs[i % 4]) << i;
    EXPECT_EQ(panel->Top(), ys[i / 4]) << i;
    EXPECT_EQ(panel->Width(), 115);
    EXPECT_EQ(panel->Height(), 146);
    EXPECT_EQ(HairCells[i]->Tag(), i);
    // Each cell shows a picture; the two-pixel gaps between cells show the panel.
    const HWND pane = frmMain->pnlHairImages->Handle();
    EXPECT_NE(win::GetWindowPixel(pane, xs[i % 4] + 57, ys[i / 4] + 140), GetSysColor(COLOR_BTNFACE)) << i;
    EXPECT_EQ(win::GetWindowPixel(pane, xs[i % 4] + 116, ys[i / 4] + 73), GetSysColor(COLOR_BTNFACE)) << i;
  }
  const char* captions[] = {"选择模特", "打开图片", "保存图片", "打印", "清除发型", "人像调色", "头发调色", "about"};
  const TToolButton* buttons[] = {frmMain->btnSelectModel, frmMain->btnOpenPicture, frmMain->btnSavePicture,
                                  frmMain->btnPrint,       frmMain->btnClearHair,   frmMain->btnModelColor,
                                  frmMain->btnHairColor,   frmMain->ToolButton2};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(buttons[i]->Caption(), captions[i]);

  // The logo sits in the middle of the scene: compare an opaque logo pixel with the screen.
  UINT lw = 0, lh = 0;
  BitmapSize(MainLogo, lw, lh);
  ASSERT_GT(lw, 0u);
  const int left = (Scene()->Width() - int(lw)) / 2, top = (Scene()->Height() - int(lh)) / 2;
  int checked = 0;
  for (UINT y = lh / 4; y < lh && checked < 20; y += 7)
    for (UINT x = lw / 4; x < lw && checked < 20; x += 11) {
      ARGB c = 0;
      GdipBitmapGetPixel(MainLogo, int(x), int(y), &c);
      if ((c >> 24) != 0xFF) continue;
      const COLORREF s = ScenePixel(left + int(x), top + int(y));
      EXPECT_NEAR(GetRValue(s), int((c >> 16) & 0xFF), 2);
      EXPECT_NEAR(GetBValue(s), int(c & 0xFF), 2);
      ++checked;
    }
  EXPECT_GT(checked, 5);
  EXPECT_TRUE(win::SaveWindowPng(frmMain->Handle(), win::ArtifactPath("main_start.png")));
}

TEST_F(MainWindowTest, HairPagesForTwentyFourTwentyFiveAndNoStyles) {
  const std::string one = WomenHairList->Strings(0);
  struct Case { int count; const char* label; int lastFirst; const char* lastLabel; };
  const Case cases[] = {
      {24, "共24个发型，当前第1页，共2页", 12, "共24个发型，当前第2页，共2页"},
      {25, "共25个发型，当前第1页，共3页", 24, "共25个发型，当前第3页，共3页"},
      {0, "共0个发型，当前第1页，共1页", 0, "共0个发型，当前第1页，共1页"},
  };
  for (const Case& c : cases) {
    WomenHairList->Clear();
    for (int i = 0; i < c.count; ++i) WomenHairList->Add(one);
    frmMain->cboHairGenderChange(frmMain->cboHairGender);
    EXPECT_EQ(frmMain->lblPageIndex->Caption(), c.label);
    EXPECT_FALSE(frmMain->btnPreviousPage->Enabled());
    EXPECT_EQ(frmMain->btnNextPage->Enabled(), c.count > 12);
    Click(frmMain->btnLastPage);
    EXPECT_EQ(HairPageFirst, c.lastFirst) << c.count;
    EXPECT_EQ(frmMain->lblPageIndex->Caption(), c.lastLabel);
    EXPECT_FALSE(frmMain->btnNextPage->Enabled());
    EXPECT_EQ(frmMain->btnPreviousPage->Enabled(), c.lastFirst != 0);
    if (c.count == 0) {
      // Only the cell gradient: the upper-left pixel is magenta-ish and every cell looks the same.
      const COLORREF a = win::GetWindowPixel(HairCells[0]->Parent()->Handle(), 60, 70);
      const COLORREF b = win::GetWindowPixel(HairCells[11]->Parent()->Handle(), 60, 70);
      EXPECT_EQ(a, b);
    }
  }
  // Previous from the last page of 25 goes back one page, first goes home.
  Click(frmMain->btnFirstPage);
  EXPECT_EQ(HairPageFirst, 0);
}

TEST_F(MainWindowTest, MenStylesAndHoverOutline) {
  frmMain->cboHairGender->SetItemIndex(1);
  frmMain->cboHairGenderChange(frmMain->cboHairGender);
  const int men = CountPng(ExePath + "Hairs/男士/");
  EXPECT_EQ(frmMain->lblPageIndex->Caption(), Format("共%d个发型，当前第1页，共%d页", men, (men + 11) / 12));
  EXPECT_FALSE(frmMain->bvlOutline->Visible());
  Mouse(HairCells[5], 50, 50, WM_MOUSEMOVE);
  EXPECT_TRUE(frmMain->bvlOutline->Visible());
  EXPECT_EQ(frmMain->bvlOutline->Left(), 119 - 1);
  EXPECT_EQ(frmMain->bvlOutline->Top(), 150 - 1);
  Mouse(frmMain->imgMain, 20, 20, WM_MOUSEMOVE);
  EXPECT_FALSE(frmMain->bvlOutline->Visible());
}

TEST_F(MainWindowTest, HairWithoutAPortraitAsksForOneAndUnreadablePortraitIsRefused) {
  Click(HairCells[0]);
  ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
  EXPECT_EQ(dialogs.MessageTexts()[0], "请先选择模特");
  EXPECT_EQ(HairPicture.Bitmap, nullptr);
  EXPECT_FALSE(frmMain->TimerFade->Enabled());

  const std::string dir = TempDir("badportrait");
  const std::string bad = dir + "broken.jpg";
  { std::ofstream(bad) << "not a picture"; }
  dialogs.PushFile(bad);
  Click(frmMain->btnOpenPicture);
  ASSERT_EQ(dialogs.MessageTexts().size(), 2u);
  EXPECT_NE(dialogs.MessageTexts()[1].find(bad), std::string::npos);
  EXPECT_EQ(ModelPicture.Bitmap, nullptr);
  EXPECT_EQ(SelectedKind, 0);
  // Colour commands without pictures.
  Click(frmMain->btnModelColor);
  Click(frmMain->btnHairColor);
  EXPECT_EQ(dialogs.MessageTexts()[2], "还未打开模特");
  EXPECT_EQ(dialogs.MessageTexts()[3], "还未打开头发");
}

TEST_F(MainWindowTest, TheMainRoadFromPickerToSavedPicture) {
  // 选择模特, then the second portrait in the picker.
  WhenIdle({[] { Click(frmSelectModel->Image2); }});
  Click(frmMain->btnSelectModel);
  ASSERT_NE(ModelPicture.Bitmap, nullptr);
  EXPECT_FALSE(frmSelectModel->Visible());
  UINT w = 0, h = 0;
  BitmapSize(ModelPicture.Bitmap, w, h);
  EXPECT_FLOAT_EQ(ModelPicture.HalfWidth, w / 2.0f);
  EXPECT_FLOAT_EQ(ModelPicture.HalfHeight, h / 2.0f);
  EXPECT_FLOAT_EQ(ModelPicture.CenterX, Scene()->Width() / 2.0f);
  EXPECT_FLOAT_EQ(ModelPicture.CenterY, Scene()->Height() / 2.0f);
  EXPECT_EQ(SelectedKind, 1);
  EXPECT_EQ(SelectedPicture, &ModelPicture);

  // A hair cell: the fade runs five ticks.
  Click(HairCells[0]);
  ASSERT_NE(HairPicture.Bitmap, nullptr);
  EXPECT_EQ(SelectedKind, 2);
  EXPECT_TRUE(frmMain->TimerFade->Enabled());
  EXPECT_NEAR(HairFadeAlpha, 0.0001f, 1e-6);
  for (int tick = 1; tick <= 4; ++tick) {
    win::AdvanceAndPump(clock, 100);
    EXPECT_NEAR(HairFadeAlpha, 0.0001f + 0.2f * tick, 1e-4) << tick;
  }
  win::AdvanceAndPump(clock, 100);
  EXPECT_EQ(HairFadeAlpha, -1);
  EXPECT_FALSE(frmMain->TimerFade->Enabled());
  EXPECT_TRUE(win::SaveWindowPng(frmMain->Handle(), win::ArtifactPath("main_portrait_hair.png")));
  const float homeX = Scene()->Width() / 2.0f - 16, homeY = Scene()->Height() / 2.0f + 14;
  EXPECT_FLOAT_EQ(HairPicture.CenterX, homeX);
  EXPECT_FLOAT_EQ(HairPicture.CenterY, homeY);

  // Mirror the hair by dragging its lower-right corner across its left edge, turn it by its rotate
  // zone, then choose another style: the box, the turn and the mirroring are kept.
  DragScene(Handles[3], {HairPicture.Corners[0].X - 30, Handles[3].Y});
  ASSERT_EQ(HairPicture.MirrorH, 1);
  // Six pixels beyond an edge handle, away from the centre: the rotate zone.
  const GpPointF h6 = Handles[6];
  const float away = PointDistance(h6, {HairPicture.CenterX, HairPicture.CenterY});
  const GpPointF grip{h6.X + 6 * (h6.X - HairPicture.CenterX) / away, h6.Y + 6 * (h6.Y - HairPicture.CenterY) / away};
  DragScene(grip, {grip.X, grip.Y + 40});
  ASSERT_EQ(DragMode, 3);
  const TPlacedImage before = HairPicture;
  ASSERT_NE(before.Angle, 0);
  Click(HairCells[1]);
  win::AdvanceAndPump(clock, 600);
  EXPECT_NE(HairPicture.Bitmap, before.Bitmap);
  EXPECT_FLOAT_EQ(HairPicture.Angle, before.Angle);
  EXPECT_EQ(HairPicture.MirrorH, 1);
  EXPECT_FLOAT_EQ(HairPicture.HalfWidth, before.HalfWidth);
  EXPECT_FLOAT_EQ(HairPicture.HalfHeight, before.HalfHeight);
  EXPECT_FLOAT_EQ(HairPicture.CenterX, before.CenterX);
  EXPECT_FLOAT_EQ(HairPicture.CenterY, before.CenterY);

  // 归位: natural size at the hair's home position.
  Click(frmMain->btnBackPosition);
  BitmapSize(HairPicture.Bitmap, w, h);
  EXPECT_FLOAT_EQ(HairPicture.HalfWidth, w / 2.0f);
  EXPECT_FLOAT_EQ(HairPicture.Angle, 0);
  EXPECT_EQ(HairPicture.MirrorH, 0);
  EXPECT_FLOAT_EQ(HairPicture.CenterX, homeX);
  EXPECT_FLOAT_EQ(HairPicture.CenterY, homeY);

  // 变窄 stops at a half width below 5, but 加宽 and 左移 step by one.
  HairPicture.HalfWidth = 4.5f;
  Click(frmMain->btnNarror);
  EXPECT_FLOAT_EQ(HairPicture.HalfWidth, 4.5f);
  Click(frmMain->btnWiden);
  EXPECT_FLOAT_EQ(HairPicture.HalfWidth, 5.5f);
  Click(frmMain->btnMoveLeft);
  EXPECT_FLOAT_EQ(HairPicture.CenterX, homeX - 1);

  // Saving writes the scene as shown under the chosen name, ".bmp" appended when it has no such ending.
  const std::string dir = TempDir("save");
  for (const char* name : {"photo", "portrait.BMP"}) {
    dialogs.PushFile(dir + name);
    Click(frmMain->btnSavePicture);
  }
  for (const char* file : {"photo.bmp", "portrait.BMP"}) {
    ASSERT_TRUE(fs::exists(dir + file)) << file;
    TBitmap saved;
    saved.LoadFromFile(dir + file);
    EXPECT_EQ(saved.Width(), Scene()->Width());
    EXPECT_EQ(saved.Height(), Scene()->Height());
    const int cx = Scene()->Width() / 2, cy = Scene()->Height() / 2;
    EXPECT_EQ(saved.Canvas()->Pixels(cx, cy), TColor(ScenePixel(cx, cy)));
  }

  // 清除发型.
  Click(frmMain->btnClearHair);
  EXPECT_EQ(HairPicture.Bitmap, nullptr);
  EXPECT_EQ(SelectedKind, 0);
}

TEST_F(MainWindowTest, SelectionHandlesAreRedAndTheOutlineBlack) {
  LoadPortrait();
  for (int h = 0; h < 8; ++h) {
    const int x = int(std::lround(Handles[h].X)), y = PixelY(Handles[h].Y);
    EXPECT_TRUE(IsRed(ScenePixel(x, y))) << "handle " << h;
  }
  // Halfway between the upper-left corner and the top handle lies the outline.
  const GpPointF a = Handles[0], b = Handles[4];
  const int x = int(std::lround((a.X + b.X) / 2));
  const int y = PixelY(a.Y);
  EXPECT_TRUE(IsDark(ScenePixel(x, y)) || IsDark(ScenePixel(x, y + 1)) || IsDark(ScenePixel(x, y - 1)));

  // Clicking outside both pictures clears the selection and hides the handles.
  PressScene({3, 3});
  EXPECT_EQ(SelectedKind, 0);
  EXPECT_FALSE(IsRed(ScenePixel(int(std::lround(Handles[4].X)), PixelY(Handles[4].Y))));
}

TEST_F(MainWindowTest, HairWinsWhereItOverlapsThePortrait) {
  LoadPortrait();
  LoadHairStyle(0);
  PressScene({3, 3});
  ASSERT_EQ(SelectedKind, 0);
  PressScene({HairPicture.CenterX, HairPicture.CenterY});
  EXPECT_EQ(SelectedKind, 2);
  EXPECT_EQ(DragMode, 1);
  // Below the hair only the portrait is hit.
  const Single below = MinOfSingles({HairPicture.Corners[2].Y, HairPicture.Corners[3].Y}) - 10;
  PressScene({ModelPicture.CenterX, below});
  EXPECT_EQ(SelectedKind, 1);
}

TEST_F(MainWindowTest, PressNearAHandleResizesRotatesOrMoves) {
  LoadPortrait();
  const GpPointF h3 = Handles[3];  // lower-right corner; the picture lies up and to the left
  struct Case { GpPointF p; int mode; };
  const Case cases[] = {
      {{h3.X + 3, h3.Y}, 2},      // 3 pixels away, outside: resize
      {{h3.X + 6, h3.Y}, 3},      // 6 pixels away, outside: rotate
      {{h3.X - 5, h3.Y + 3}, 1},  // about 6 pixels away, inside: selected by hit test, move
  };
  for (const Case& c : cases) {
    PressScene(c.p);
    EXPECT_EQ(DragMode, c.mode) << c.p.X << "," << c.p.Y;
    EXPECT_EQ(SelectedKind, 1);
  }
}

TEST_F(MainWindowTest, DraggingTheHairCornerAcrossEdgesMirrorsOrTurnsIt) {
  LoadPortrait();
  LoadHairStyle(0);
  const GpPointF start[4] = {HairPicture.Corners[0], HairPicture.Corners[1], HairPicture.Corners[2],
                             HairPicture.Corners[3]};
  const Single left = start[0].X, top = start[0].Y, bottom = start[3].Y;
  struct Case { const char* what; GpPointF to; Byte h, v; float turn; };
  const Case cases[] = {
      {"left edge", {left - 40, bottom}, 1, 0, 0},
      {"top edge", {start[3].X, top + 40}, 0, 1, 0},
      {"both", {left - 40, top + 40}, 0, 0, float(M_PI)},
  };
  for (const Case& c : cases) {
    // Back to the natural, unmirrored placement and select the hair.
    Click(frmMain->btnBackPosition);
    ASSERT_EQ(SelectedKind, 2);
    DragScene(Handles[3], c.to);
    EXPECT_EQ(HairPicture.MirrorH, c.h) << c.what;
    EXPECT_EQ(HairPicture.MirrorV, c.v) << c.what;
    EXPECT_NEAR(HairPicture.Angle, c.turn, 1e-5) << c.what;
    // The opposite corner stays where it was.
    const Single minX = MinOfSingles({HairPicture.Corners[0].X, HairPicture.Corners[1].X,
                                      HairPicture.Corners[2].X, HairPicture.Corners[3].X});
    EXPECT_NEAR(minX, std::min(left, c.to.X), 1.5) << c.what;
  }
}

TEST_F(MainWindowTest, ThePortraitTurnsByPiAndKeepsItsProportions) {
  LoadPortrait();
  const Single aspect = ModelPicture.Aspect;
  const Single left = ModelPicture.Corners[0].X;
  DragScene(Handles[3], {left - 50, Handles[3].Y});
  EXPECT_NEAR(ModelPicture.Angle, M_PI, 1e-5);
  EXPECT_NEAR(ModelPicture.HalfWidth / ModelPicture.HalfHeight, aspect, 1e-4);
  // Dragging back inside restores the turn; proportions still hold.
  DragScene(Handles[3], {left + 100, Handles[3].Y});
  EXPECT_NEAR(ModelPicture.HalfWidth / ModelPicture.HalfHeight, aspect, 1e-4);
}

TEST_F(MainWindowTest, RotatingAndMovingFollowTheMouse) {
  LoadPortrait();
  const GpPointF centre{ModelPicture.CenterX, ModelPicture.CenterY};
  // Grab the rotate zone just outside the right edge handle and move it straight up.
  const GpPointF h6 = Handles[6];
  const Single r = h6.X - centre.X + 6;
  DragScene({h6.X + 6, h6.Y}, {centre.X, centre.Y + r});
  EXPECT_NEAR(ModelPicture.Angle, M_PI / 2, 0.02);
  // Move: drag from the centre by (30, -20) pixels.
  const GpPointF c2{ModelPicture.CenterX, ModelPicture.CenterY};
  DragScene(c2, {c2.X + 30, c2.Y - 20});
  EXPECT_NEAR(ModelPicture.CenterX, c2.X + 30, 1.01);
  EXPECT_NEAR(ModelPicture.CenterY, c2.Y - 20, 1.01);
  // Cursor feedback without the button: inside is size-all, on a handle the hand.
  Mouse(Scene(), int(ModelPicture.CenterX), PixelY(ModelPicture.CenterY), WM_MOUSEMOVE);
  EXPECT_EQ(Scene()->Cursor(), crSizeAll);
  Mouse(Scene(), int(std::lround(Handles[4].X)), PixelY(Handles[4].Y), WM_MOUSEMOVE);
  EXPECT_EQ(Scene()->Cursor(), crHandPoint);
  Mouse(Scene(), 2, 2, WM_MOUSEMOVE);
  EXPECT_EQ(Scene()->Cursor(), crDefault);
}

// Just outside a handle the rotate cursor shows; made from an icon, it points with the icon's centre,
// where its arrows meet, not with the corner 16 pixels away.
TEST_F(MainWindowTest, TheRotateZoneShowsTheRotateCursorPointingWithItsCentre) {
  LoadPortrait();
  for (int h : {0, 3, 5, 6}) {
    const GpPointF p = Handles[h];
    const Single step = h < 4 ? 4.5f : 6;  // about 6 pixels from the handle, outside the picture
    const Single dx = p.X < ModelPicture.CenterX - 1 ? -step : p.X > ModelPicture.CenterX + 1 ? step : 0;
    const Single dy = p.Y < ModelPicture.CenterY - 1 ? -step : p.Y > ModelPicture.CenterY + 1 ? step : 0;
    Mouse(Scene(), int(std::lround(p.X + dx)), PixelY(p.Y + dy), WM_MOUSEMOVE);
    EXPECT_EQ(Scene()->Cursor(), crRotate) << "handle " << h;
  }
  ASSERT_NE(RotateCursorIcon, nullptr);
  EXPECT_EQ(Screen->Cursors(crRotate), RotateCursorIcon);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(RotateCursorIcon, &info));
  BITMAP bm{};
  GetObject(info.hbmColor, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 32);
  EXPECT_EQ(info.xHotspot, DWORD(bm.bmWidth / 2));
  EXPECT_EQ(info.yHotspot, DWORD(bm.bmHeight / 2));
  DeleteObject(info.hbmColor);
}

TEST_F(MainWindowTest, OpenAPictureFileAndTheAboutPage) {
  const std::string dir = TempDir("open");
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(100, 80);
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect(TRect(0, 0, 100, 80));
  bmp.SaveToFile(dir + "face.bmp");
  dialogs.PushFile(dir + "face.bmp");
  Click(frmMain->btnOpenPicture);
  ASSERT_FALSE(dialogs.Requests().empty());
  EXPECT_EQ(dialogs.Requests().back().file.filter,
            "All (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp|JPEG Image File (*.jpg)|*.jpg|"
            "JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp");
  ASSERT_NE(ModelPicture.Bitmap, nullptr);
  EXPECT_FLOAT_EQ(ModelPicture.HalfWidth, 50);
  EXPECT_FLOAT_EQ(ModelPicture.HalfHeight, 40);
  EXPECT_TRUE(IsRed(ScenePixel(int(ModelPicture.CenterX) + 20, PixelY(ModelPicture.CenterY))));

  win::ClearOpenedDocuments();
  Click(frmMain->ToolButton2);
  ASSERT_EQ(win::OpenedDocuments().size(), 1u);
  EXPECT_EQ(win::OpenedDocuments()[0], ExePath + "about.html");
  EXPECT_TRUE(fs::exists(ExePath + "about.html"));
  EXPECT_TRUE(dialogs.MessageTexts().empty());

  // A desktop with no handler for the page: a message box says where the page is.
  struct NoHandler : win::Host {
    bool OpenDocument(const std::string&) override { return false; }
  } noHandler;
  win::InstallHost(&noHandler);
  Click(frmMain->ToolButton2);
  win::InstallHost(nullptr);
  const std::vector<std::string> expected = {"没有可以打开关于页面的程序。关于页面在：\n" + ExePath + "about.html"};
  EXPECT_EQ(dialogs.MessageTexts(), expected);
}

// Saving over a good picture when the disk fills part-way keeps the good picture and says which file
// failed and why; a folder that does not exist is named as the reason.
TEST_F(MainWindowTest, AFailedSaveKeepsTheEarlierPictureAndSaysWhy) {
  LoadPortrait();
  const std::string dir = TempDir("save_full");
  dialogs.PushFile(dir + "photo");
  Click(frmMain->btnSavePicture);
  ASSERT_TRUE(fs::exists(dir + "photo.bmp"));
  const auto size = fs::file_size(dir + "photo.bmp");
  LoadHairStyle(0);
  {
    FileSizeLimit full(size / 2);
    dialogs.PushFile(dir + "photo");
    Click(frmMain->btnSavePicture);
  }
  dialogs.PushFile(dir + "missing/photo");
  Click(frmMain->btnSavePicture);
  const std::vector<std::string> expected = {"无法保存文件：" + dir + "photo.bmp\n文件超出了允许的大小。",
                                             "无法保存文件：" + dir + "missing/photo.bmp\n文件夹不存在。"};
  EXPECT_EQ(dialogs.MessageTexts(), expected);
  EXPECT_EQ(fs::file_size(dir + "photo.bmp"), size);
  TBitmap earlier;
  earlier.LoadFromFile(dir + "photo.bmp");
  EXPECT_EQ(earlier.Width(), Scene()->Width());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

// The save dialog's name is the file's name when it already ends in ".bmp" in any case; any other name
// gets ".bmp" appended. One file is written each time.
TEST_F(MainWindowTest, SavingAppendsBmpOnlyToANameWithoutIt) {
  LoadPortrait();
  struct Case { const char* chosen; const char* written; };
  const Case cases[] = {
      {"photo.bmp", "photo.bmp"},          {"photo.BMP", "photo.BMP"},   {"photo.bMp", "photo.bMp"},
      {"photo", "photo.bmp"},              {"photo.jpg", "photo.jpg.bmp"}, {"photobmp", "photobmp.bmp"},
      {"photo.bmp.txt", "photo.bmp.txt.bmp"}, {"照片.Bmp", "照片.Bmp"},
  };
  int i = 0;
  for (const Case& c : cases) {
    const std::string dir = TempDir("save_name" + std::to_string(i++));
    dialogs.PushFile(dir + c.chosen);
    Click(frmMain->btnSavePicture);
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) files.push_back(entry.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{c.written}) << c.chosen;
    TBitmap saved;
    saved.LoadFromFile(dir + c.written);
    EXPECT_EQ(saved.Width(), Scene()->Width()) << c.chosen;
  }
  EXPECT_EQ(dialogs.Requests().back().kind, win::DialogKind::SaveFile);
  EXPECT_TRUE(dialogs.MessageTexts().empty());
}

// A program started with the system's default for the file-size signal, as from a shell.
class MainWindowFromShellTest : public MainWindowTest {
 protected:
  void SetUp() override {
    std::signal(SIGXFSZ, SIG_DFL);
    MainWindowTest::SetUp();
  }
};

// A file-size limit set in the user's shell (`ulimit -f`) fails the save with the usual message and leaves
// no temporary file, instead of the system ending the program (and the collection with it).
TEST_F(MainWindowFromShellTest, AFileSizeLimitFailsTheSaveInsteadOfEndingTheProgram) {
  LoadPortrait();
  Click(frmMain->btnAdd);
  const std::string dir = TempDir("save_ulimit");
  {
    FileSizeLimit limit(1024, /*ignoreSignal=*/false);
    dialogs.PushFile(dir + "photo");
    Click(frmMain->btnSavePicture);
  }
  const std::vector<std::string> expected = {"无法保存文件：" + dir + "photo.bmp\n文件超出了允许的大小。"};
  EXPECT_EQ(dialogs.MessageTexts(), expected);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 0);
  EXPECT_EQ(CollectionList->Count(), 1);
  // Without the limit the same save goes through.
  dialogs.PushFile(dir + "photo");
  Click(frmMain->btnSavePicture);
  EXPECT_TRUE(fs::exists(dir + "photo.bmp"));
}

TEST_F(MainWindowTest, WithoutAPortraitClicksDoNothing) {
  PressScene({100, 100});
  EXPECT_EQ(SelectedKind, 0);
  EXPECT_EQ(DragMode, 0);
}

}  // namespace
