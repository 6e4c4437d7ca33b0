// The colour window driven as a user would: bars moved by keys and drags through the queue, the
// buttons clicked inside its modal loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/app/window_fixture.h"
#include "app/Communal.h"
#include "app/UfrmColor.h"
#include "platform/win/dialogs.h"
#include "platform/win/testing.h"
#include "tests/app/app_fixture.h"

namespace {

constexpr COLORREF LightBlue = RGB(0xAD, 0xD8, 0xE6);

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(int(GetRValue(a)) - int(GetRValue(b))) <= tolerance &&
         std::abs(int(GetGValue(a)) - int(GetGValue(b))) <= tolerance &&
         std::abs(int(GetBValue(a)) - int(GetBValue(b))) <= tolerance;
}

COLORREF FromArgb(std::uint32_t argb) { return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF); }

GpBitmap* BitmapOf(int width, int height, const std::function<std::uint32_t(int, int)>& pixel) {
  std::vector<std::uint32_t> pixels(std::size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels[std::size_t(y) * width + x] = pixel(x, y);
  GpBitmap* bitmap = nullptr;
  GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB, reinterpret_cast<BYTE*>(pixels.data()),
                            &bitmap);
  return bitmap;
}

// A picture with every kind of pixel the adjustment treats apart: colours, greys and nearly
// transparent pixels on both sides of the alpha limit.
std::uint32_t MixedPixel(int x, int y) {
  const std::uint32_t alpha = x % 17 == 0 ? 49 : x % 17 == 1 ? 50 : 255;
  if (y % 11 == 0) {
    const std::uint32_t g = (x * 5) & 0xFF;
    return alpha << 24 | g << 16 | g << 8 | g;
  }
  return alpha << 24 | std::uint32_t((x * 7 + y) & 0xFF) << 16 | std::uint32_t((y * 3) & 0xFF) << 8 |
         std::uint32_t((x + y * 2) & 0xFF);
}

std::uint32_t Pixel(GpBitmap* bitmap, int x, int y) {
  ARGB value = 0;
  GdipBitmapGetPixel(bitmap, x, y, &value);
  return value;
}

class ColorWindow : public HeadlessWindowTest {
 protected:
  void SetUp() override {
    StartPlatform();
    UfrmColor::Initialize();
    form_ = std::make_unique<TfrmColorConfigure>(nullptr);
    form_->AfterConstruction();
    frmColorConfigure = form_.get();
  }

  void TearDown() override {
    form_->FreeWorkingBitmap();
    form_.reset();
    UfrmColor::Finalize();
    for (GpBitmap* b : pictures_) GdipDisposeImage(b);
    StopPlatform();
  }

  GpBitmap* Picture(int width, int height, const std::function<std::uint32_t(int, int)>& pixel) {
    pictures_.push_back(BitmapOf(width, height, pixel));
    return pictures_.back();
  }

  TPoint ScreenCentre(TControl* control) {
    return control->ClientToScreen(TPoint(control->Width() / 2, control->Height() / 2));
  }
  void ClickOn(TControl* control) {
    const TPoint p = ScreenCentre(control);
    win::Click(p.X, p.Y);
    win::PumpMessages();
  }
  void Key(UINT vk) {
    win::InjectKey(WM_KEYDOWN, vk);
    win::InjectKey(WM_KEYUP, vk);
    win::PumpMessages();
  }
  // Gives a bar the keyboard focus, as Tab would.
  void FocusBar(TTrackBar* bar) {
    bar->SetFocus();
    win::PumpMessages();
  }

  // The preview as the window shows it, at a point of the picture's rectangle in Image1.
  COLORREF PreviewPixel(int x, int y) {
    const TPoint screen = form_->Image1->ClientToScreen(TPoint(UfrmColor::PreviewRect.X + x, UfrmColor::PreviewRect.Y + y));
    POINT p{screen.X, screen.Y};
    ScreenToClient(form_->Handle(), &p);
    return win::GetWindowPixel(form_->Handle(), p.x, p.y);
  }

  // Runs the window modally; Step runs once the loop is idle and should end it.
  void RunModal(const std::function<void()>& Step) {
    int idle = 0;
    Application->OnIdle = [&](TObject*, bool& done) {
      done = true;
      if (++idle == 1) {
        Step();
      } else if (idle > 50) {
        ADD_FAILURE() << "the window did not close";
        form_->SetModalResult(mrAbort);
      }
    };
    form_->ShowModal();
    Application->OnIdle = nullptr;
  }

  // Every pixel of the working bitmap is the source pixel through the bars' settings.
  void ExpectWorkingBitmapAdjusted(GpBitmap* source) {
    const TColorSettings settings = form_->Settings();
    UINT w = 0, h = 0;
    BitmapSize(source, w, h);
    ASSERT_NE(UfrmColor::WorkingBitmap, nullptr);
    UINT ww = 0, wh = 0;
    BitmapSize(UfrmColor::WorkingBitmap, ww, wh);
    ASSERT_EQ(ww, w);
    ASSERT_EQ(wh, h);
    int wrong = 0;
    for (UINT y = 0; y < h; ++y)
      for (UINT x = 0; x < w; ++x)
        if (Pixel(UfrmColor::WorkingBitmap, x, y) != AdjustPixelReference(Pixel(source, x, y), settings) &&
            ++wrong < 5)
          ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << Pixel(UfrmColor::WorkingBitmap, x, y)
                        << " instead of " << AdjustPixelReference(Pixel(source, x, y), settings);
    EXPECT_EQ(wrong, 0);
  }

  std::unique_ptr<TfrmColorConfigure> form_;
  std::vector<GpBitmap*> pictures_;
};

TEST_F(ColorWindow, LayoutAndInitialBars) {
  EXPECT_EQ(form_->Caption(), "Color");
  EXPECT_EQ(form_->ClientWidth(), 493);
  EXPECT_EQ(form_->ClientHeight(), 381);
  EXPECT_EQ(form_->BorderStyle(), bsDialog);
  EXPECT_EQ(form_->Image1->Width(), 293);
  EXPECT_EQ(form_->Image1->Height(), 371);
  EXPECT_EQ(form_->Image2->Width(), 186);
  EXPECT_EQ(form_->Image2->Height(), 227);
  EXPECT_EQ(form_->pnlBars->Width(), 191);
  EXPECT_EQ(form_->pnlBars->Height(), 111);
  struct Row {
    TLabel* caption;
    const char* text;
    TTrackBar* bar;
    int min, max, position;
    TLabel* value;
    const char* valueText;
  };
  const Row rows[] = {
      {form_->Label1, "亮度", form_->barLightness, -200, 200, 0, form_->lblBrightness, "0.0"},
      {form_->Label2, "对比度", form_->barContrast, 0, 50, 10, form_->lblContrast, "1.0"},
      {form_->Label3, "饱和度", form_->barSaturation, -200, 200, 0, form_->lblSaturation, "1.0"},
      {form_->Label4, "色调", form_->barHue, 0, 360, 0, form_->lblHue, "0"},
      {form_->Label5, "校正", form_->barAdjust, 0, 40, 10, form_->lblValue, "1.0"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    EXPECT_EQ(r.caption->Caption(), r.text);
    EXPECT_EQ(r.bar->Min(), r.min);
    EXPECT_EQ(r.bar->Max(), r.max);
    EXPECT_EQ(r.bar->Position(), r.position);
    EXPECT_EQ(r.bar->Width(), 111);
    EXPECT_EQ(r.bar->TickStyle(), tsNone);
    EXPECT_EQ(r.bar->Parent(), form_->pnlBars);
    EXPECT_EQ(r.value->Caption(), r.valueText);
  }
  EXPECT_EQ(form_->btnReset->Caption(), "复位");
  EXPECT_EQ(form_->Button2->Caption(), "确定");
  EXPECT_EQ(form_->Button3->Caption(), "关闭");
}

TEST_F(ColorWindow, KeysOnABarUpdateItsLabelAndThePreview) {
  // One solid colour, so the shrunk preview shows exactly the adjusted colour.
  const std::uint32_t colour = 0xFF3080C0;
  GpBitmap* picture = Picture(300, 200, [&](int, int) { return colour; });
  struct Case {
    TTrackBar* TfrmColorConfigure::*bar;
    TLabel* TfrmColorConfigure::*label;
    UINT key;
    int position;
    const char* text;
    bool changes = true;  // a full turn of the hue gives the colour back
  };
  const Case cases[] = {
      {&TfrmColorConfigure::barLightness, &TfrmColorConfigure::lblBrightness, VK_END, 200, "1.0"},
      {&TfrmColorConfigure::barLightness, &TfrmColorConfigure::lblBrightness, VK_HOME, -200, "-1.0"},
      {&TfrmColorConfigure::barContrast, &TfrmColorConfigure::lblContrast, VK_RIGHT, 11, "1.1"},
      {&TfrmColorConfigure::barContrast, &TfrmColorConfigure::lblContrast, VK_HOME, 0, "0.0"},
      {&TfrmColorConfigure::barSaturation, &TfrmColorConfigure::lblSaturation, VK_END, 200, "4.0"},
      {&TfrmColorConfigure::barSaturation, &TfrmColorConfigure::lblSaturation, VK_HOME, -200, "-2.0"},
      {&TfrmColorConfigure::barHue, &TfrmColorConfigure::lblHue, VK_NEXT, 2, "2"},
      {&TfrmColorConfigure::barHue, &TfrmColorConfigure::lblHue, VK_END, 360, "360", false},
      {&TfrmColorConfigure::barAdjust, &TfrmColorConfigure::lblValue, VK_LEFT, 9, "0.9"},
      {&TfrmColorConfigure::barAdjust, &TfrmColorConfigure::lblValue, VK_END, 40, "4.0"},
  };
  for (const Case& c : cases) {
    TTrackBar* bar = form_.get()->*c.bar;
    SCOPED_TRACE(c.text);
    form_->btnResetClick(nullptr);
    form_->Prepare(picture);
    form_->Show();
    win::PumpMessages();
    EXPECT_TRUE(Near(PreviewPixel(100, 60), FromArgb(colour), 1));
    FocusBar(bar);
    ASSERT_TRUE(bar->Focused());
    Key(c.key);
    EXPECT_EQ(bar->Position(), c.position);
    EXPECT_EQ((form_.get()->*c.label)->Caption(), c.text);
    const std::uint32_t adjusted = AdjustPixelReference(colour, form_->Settings());
    if (c.changes) {
      EXPECT_NE(adjusted, colour);
    }
    EXPECT_TRUE(Near(PreviewPixel(100, 60), FromArgb(adjusted), 1))
        << std::hex << PreviewPixel(100, 60) << " instead of " << FromArgb(adjusted);
    EXPECT_EQ(Pixel(UfrmColor::WorkingBitmap, 5, 5), adjusted);
    form_->Hide();
  }
}

TEST_F(ColorWindow, DraggingTheHueThumbRecomputesFromTheSourceEveryTime) {
  GpBitmap* picture = Picture(120, 90, MixedPixel);
  form_->Prepare(picture);
  form_->Show();
  win::PumpMessages();
  TTrackBar* bar = form_->barHue;
  const TRect t = bar->ThumbRect();
  const TPoint start = bar->ClientToScreen(TPoint((t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2));
  win::InjectMouse(start.X, start.Y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::PumpMessages();
  // Across the bar and part of the way back: every step recomputes from the unadjusted pixels.
  for (int dx : {30, 60, 90, 45}) {
    win::InjectMouse(start.X + dx, start.Y, WM_MOUSEMOVE, MK_LBUTTON);
    win::PumpMessages();
    EXPECT_GT(bar->Position(), 0);
    EXPECT_EQ(form_->lblHue->Caption(), Format("%d", bar->Position()));
  }
  win::InjectMouse(start.X + 45, start.Y, WM_LBUTTONUP, 0);
  win::PumpMessages();
  ExpectWorkingBitmapAdjusted(picture);
  // The unadjusted picture on the right is untouched.
  const TPoint s = form_->Image2->ClientToScreen(
      TPoint(UfrmColor::SourceRect.X + UfrmColor::SourceRect.Width / 2, UfrmColor::SourceRect.Y + 2));
  POINT p{s.X, s.Y};
  ScreenToClient(form_->Handle(), &p);
  EXPECT_FALSE(Near(win::GetWindowPixel(form_->Handle(), p.x, p.y), LightBlue, 0));
}

TEST_F(ColorWindow, ConfirmReplacesTheRecordsBitmapAndKeepsThePlacement) {
  GpBitmap* original = BitmapOf(80, 60, MixedPixel);
  TPlacedImage record;
  record.Bitmap = original;
  record.CenterX = 12.5f;
  record.CenterY = -40;
  record.HalfWidth = 40;
  record.HalfHeight = 30;
  record.Angle = 0.3f;
  record.MirrorH = 1;

  form_->Prepare(record.Bitmap);
  RunModal([&] {
    FocusBar(form_->barSaturation);
    Key(VK_NEXT);  // +2
    Key(VK_NEXT);
    FocusBar(form_->barHue);
    Key(VK_END);
    ClickOn(form_->Button2);
  });
  EXPECT_EQ(form_->Accepted, 1);
  EXPECT_EQ(form_->barSaturation->Position(), 4);
  // What the caller does on confirmation.
  GdipDisposeImage(record.Bitmap);
  form_->TakeAdjustedBitmap(record);
  form_->FreeWorkingBitmap();
  EXPECT_EQ(UfrmColor::WorkingBitmap, nullptr);

  ASSERT_NE(record.Bitmap, nullptr);
  UINT w = 0, h = 0;
  BitmapSize(record.Bitmap, w, h);
  EXPECT_EQ(w, 80u);
  EXPECT_EQ(h, 60u);
  const TColorSettings settings = form_->Settings();
  int wrong = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 80; ++x) wrong += Pixel(record.Bitmap, x, y) != AdjustPixelReference(MixedPixel(x, y), settings);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(record.CenterX, 12.5f);
  EXPECT_EQ(record.CenterY, -40);
  EXPECT_EQ(record.HalfWidth, 40);
  EXPECT_EQ(record.HalfHeight, 30);
  EXPECT_EQ(record.Angle, 0.3f);
  EXPECT_EQ(record.MirrorH, 1);
  GdipDisposeImage(record.Bitmap);
}

TEST_F(ColorWindow, CloseOrTheCloseBoxChangesNothing) {
  GpBitmap* picture = Picture(64, 64, MixedPixel);
  for (bool closeBox : {false, true}) {
    SCOPED_TRACE(closeBox);
    form_->Prepare(picture);
    RunModal([&] {
      FocusBar(form_->barLightness);
      Key(VK_END);
      if (closeBox)
        PostMessage(form_->Handle(), WM_CLOSE, 0, 0);
      else
        ClickOn(form_->Button3);
    });
    EXPECT_EQ(form_->Accepted, 0);
    form_->FreeWorkingBitmap();
    for (int y = 0; y < 64; y += 7)
      for (int x = 0; x < 64; x += 5) ASSERT_EQ(Pixel(picture, x, y), MixedPixel(x, y));
  }
}

TEST_F(ColorWindow, BarsLeftFromThePreviousUseApplyAtOnceToTheNextPicture) {
  GpBitmap* portrait = Picture(50, 40, MixedPixel);
  GpBitmap* hair = Picture(33, 70, [](int x, int y) { return MixedPixel(y * 3, x); });
  form_->Prepare(portrait);
  form_->barLightness->SetPosition(-35);
  form_->barHue->SetPosition(200);
  form_->barAdjust->SetPosition(14);
  form_->FreeWorkingBitmap();

  const int before = UfrmColor::RecomputeCount;
  form_->Prepare(hair);
  EXPECT_EQ(UfrmColor::RecomputeCount, before + 1);
  EXPECT_EQ(form_->Accepted, 0);
  ExpectWorkingBitmapAdjusted(hair);
  EXPECT_EQ(form_->lblBrightness->Caption(), "-0.2");  // -0.175, half away from zero
  EXPECT_EQ(form_->lblHue->Caption(), "200");
  EXPECT_EQ(form_->lblValue->Caption(), "1.4");
}

TEST_F(ColorWindow, ResetMovesTheBarsBackAndRecomputesOnce) {
  GpBitmap* picture = Picture(90, 70, MixedPixel);
  form_->Prepare(picture);
  form_->barLightness->SetPosition(120);
  form_->barContrast->SetPosition(3);
  form_->barSaturation->SetPosition(-150);
  form_->barHue->SetPosition(45);
  form_->barAdjust->SetPosition(31);
  form_->Show();
  win::PumpMessages();

  const int before = UfrmColor::RecomputeCount;
  ClickOn(form_->btnReset);
  EXPECT_EQ(UfrmColor::RecomputeCount, before + 1);
  EXPECT_EQ(form_->barLightness->Position(), 0);
  EXPECT_EQ(form_->barContrast->Position(), 10);
  EXPECT_EQ(form_->barSaturation->Position(), 0);
  EXPECT_EQ(form_->barHue->Position(), 0);
  EXPECT_EQ(form_->barAdjust->Position(), 10);
  EXPECT_EQ(form_->lblContrast->Caption(), "1.0");
  EXPECT_EQ(form_->lblSaturation->Caption(), "1.0");
  // Every bar at rest leaves the picture as it came.
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 90; ++x) ASSERT_EQ(Pixel(UfrmColor::WorkingBitmap, x, y), MixedPixel(x, y)) << x << "," << y;
}

TEST_F(ColorWindow, AnUnreadablePictureIsHandedBackEmpty) {
  form_->Prepare(Picture(40, 40, [](int, int) { return 0xFF102030u; }));
  form_->Show();
  GpBitmap* broken = nullptr;
  GdipCreateBitmapFromFile(u"/nonexistent/picture.png", &broken);
  pictures_.push_back(broken);
  form_->Prepare(broken);
  // Neither box keeps the earlier picture.
  for (TImage* image : {form_->Image1, form_->Image2}) {
    const TPoint s = image->ClientToScreen(TPoint(image->Width() / 2, image->Height() / 2));
    POINT p{s.X, s.Y};
    ScreenToClient(form_->Handle(), &p);
    EXPECT_EQ(win::GetWindowPixel(form_->Handle(), p.x, p.y), LightBlue);
  }
  form_->barHue->SetPosition(90);
  TPlacedImage record;
  form_->TakeAdjustedBitmap(record);
  ASSERT_NE(record.Bitmap, nullptr);
  UINT w = 1, h = 1;
  BitmapSize(record.Bitmap, w, h);
  EXPECT_EQ(w, 0u);
  EXPECT_EQ(h, 0u);
  GdipDisposeImage(record.Bitmap);
}

TEST_F(ColorWindow, LargePictureRecomputeMatchesTheReferenceAndScreenshot) {
  // A photo-like 1000 x 1000 picture: smooth colour ramps with texture.
  GpBitmap* picture = Picture(1000, 1000, [](int x, int y) {
    return 0xFF000000u | std::uint32_t((x * 255 / 999 + (y & 7)) & 0xFF) << 16 |
           std::uint32_t((y * 255 / 999) & 0xFF) << 8 | std::uint32_t(((x + y) / 8 + ((x * y) & 15)) & 0xFF);
  });
  form_->Prepare(picture);
  form_->barLightness->SetPosition(30);
  form_->barSaturation->SetPosition(60);
  std::vector<double> times;
  for (int hue = 10; hue <= 90; hue += 10) {
    const auto t0 = std::chrono::steady_clock::now();
    form_->barHue->SetPosition(hue);
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(times.begin(), times.end());
  std::printf("[ colour ] one recompute of 1000 x 1000 with its preview: median %.2f ms\n", times[times.size() / 2]);
  ExpectWorkingBitmapAdjusted(picture);

  // The screenshot, with one of the shipped portraits when it is there.
  GpBitmap* portrait = nullptr;
  const std::string path = ExePath + "Models/1.png";
  GdipCreateBitmapFromFile(std::u16string(path.begin(), path.end()).c_str(), &portrait);
  pictures_.push_back(portrait);
  UINT w = 0, h = 0;
  BitmapSize(portrait, w, h);
  form_->Prepare(w ? portrait : picture);
  form_->barSaturation->SetPosition(80);
  form_->barHue->SetPosition(25);
  form_->Show();
  win::PumpMessages();
  EXPECT_TRUE(win::SaveWindowPng(form_->Handle(), win::ArtifactPath("colour-window.png")));
}

// The whole road from the main window's tool bar, with the program running.
class ColourRoad : public AppFixture {
 protected:
  static std::vector<std::uint32_t> Pixels(GpBitmap* bitmap) {
    UINT w = 0, h = 0;
    BitmapSize(bitmap, w, h);
    std::vector<std::uint32_t> pixels(std::size_t(w) * h);
    for (UINT y = 0; y < h; ++y)
      for (UINT x = 0; x < w; ++x) pixels[std::size_t(y) * w + x] = Pixel(bitmap, int(x), int(y));
    return pixels;
  }
  static int Mismatches(const std::vector<std::uint32_t>& actual, const std::vector<std::uint32_t>& original,
                        const TColorSettings& settings) {
    if (actual.size() != original.size()) return -1;
    int wrong = 0;
    for (std::size_t i = 0; i < actual.size(); ++i) wrong += actual[i] != AdjustPixelReference(original[i], settings);
    return wrong;
  }
  static void Keys(TTrackBar* bar, UINT vk, int times) {
    bar->SetFocus();
    for (int i = 0; i < times; ++i) {
      win::InjectKey(WM_KEYDOWN, vk);
      win::InjectKey(WM_KEYUP, vk);
      win::PumpMessages();
    }
  }
};

TEST_F(ColourRoad, AConfirmedPortraitChangeKeepsItsPlacementAndAppliesAtOnceToTheHair) {
  ASSERT_TRUE(frmMain->LoadModel(Format("%sModels/%d.png", ExePath, 1)));
  ASSERT_TRUE(frmMain->LoadHair(WomenHairList->Strings(0)));
  win::AdvanceAndPump(clock, 600);
  const std::vector<std::uint32_t> portrait = Pixels(ModelPicture.Bitmap);
  const std::vector<std::uint32_t> hair = Pixels(HairPicture.Bitmap);
  ASSERT_FALSE(portrait.empty());
  ASSERT_FALSE(hair.empty());
  const TPlacedImage before = ModelPicture;

  TfrmColorConfigure* window = frmColorConfigure;
  WhenIdle({[&] { Keys(window->barLightness, VK_NEXT, 5); },
            [&] { Keys(window->barSaturation, VK_NEXT, 20); },
            [&] { Keys(window->barHue, VK_NEXT, 10); },
            [&] { Click(window->Button2); }});
  Click(frmMain->btnModelColor);
  EXPECT_TRUE(script.empty());
  EXPECT_FALSE(window->Visible());
  const TColorSettings settings = window->Settings();
  EXPECT_EQ(settings.Brightness, 10);
  EXPECT_EQ(settings.Saturation, 40);
  EXPECT_EQ(settings.Hue, 20);
  EXPECT_EQ(Mismatches(Pixels(ModelPicture.Bitmap), portrait, settings), 0);
  EXPECT_EQ(UfrmColor::WorkingBitmap, nullptr);
  EXPECT_EQ(ModelPicture.CenterX, before.CenterX);
  EXPECT_EQ(ModelPicture.CenterY, before.CenterY);
  EXPECT_EQ(ModelPicture.HalfWidth, before.HalfWidth);
  EXPECT_EQ(ModelPicture.HalfHeight, before.HalfHeight);
  EXPECT_EQ(ModelPicture.Angle, before.Angle);
  EXPECT_EQ(ModelPicture.MirrorH, before.MirrorH);
  EXPECT_EQ(ModelPicture.MirrorV, before.MirrorV);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(ModelPicture.Corners[i].X, before.Corners[i].X);
    EXPECT_EQ(ModelPicture.Corners[i].Y, before.Corners[i].Y);
  }

  // The hair opens with the portrait's settings already applied; closing leaves it as it was.
  int wrongOnOpening = -2;
  WhenIdle({[&] {
    wrongOnOpening = Mismatches(Pixels(UfrmColor::WorkingBitmap), hair, settings);
    Click(window->Button3);
  }});
  Click(frmMain->btnHairColor);
  EXPECT_EQ(wrongOnOpening, 0);
  EXPECT_EQ(Pixels(HairPicture.Bitmap), hair);
  EXPECT_TRUE(dialogs.MessageTexts().empty());
}

}  // namespace
