// The main window as a user feels it: one drag step of the hair over a large portrait (mouse move to
// the finished scene on the window), against a plain QPainter drawing of the same pictures; and the
// program's start-up to its first painted main window.
//
// The baseline talks to Qt directly on purpose: it is the yardstick the platform layer is measured by.
// bench-deps: app_core platform_forms platform_controls platform_gdiplus platform_graphics platform_win platform_classes platform_rtl Qt6::Gui

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QTransform>
#include <filesystem>
#include <vector>

#include "app/Program.h"
#include "app/UfrmColor.h"
#include "app/UfrmMain.h"
#include "platform/classes/units.h"
#include "platform/forms/forms.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"

namespace {

constexpr int kSceneW = 964, kSceneH = 700;

// A photo-like ARGB picture: smooth gradients, opaque, or a hair-like one with transparent corners.
GpBitmap* MakePicture(int W, int H, bool Transparent) {
  GpBitmap* b = nullptr;
  std::vector<uint32_t> pixels(size_t(W) * H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const uint32_t r = uint32_t(x * 255 / W), g = uint32_t(y * 255 / H), bl = uint32_t((x + y) & 0xFF);
      uint32_t a = 255;
      if (Transparent) {
        const int dx = x - W / 2, dy = y - H / 2;
        a = dx * dx + dy * dy < (W / 2) * (W / 2) ? 255 : 0;
      }
      pixels[size_t(y) * W + x] = (a << 24) | (r << 16) | (g << 8) | bl;
    }
  GdipCreateBitmapFromScan0(W, H, W * 4, PixelFormat32bppARGB, reinterpret_cast<BYTE*>(pixels.data()), &b);
  GpBitmap* copy = nullptr;
  GdipCloneBitmapAreaI(0, 0, W, H, PixelFormat32bppARGB, b, &copy);
  GdipDisposeImage(b);
  return copy;
}

struct RunningProgram {
  win::FakeClock clock;
  RunningProgram() {
    clock.Install();
    ::Program::AddUnits();
    InitializeUnits();
    ::Program::CreateForms();
  }
  ~RunningProgram() {
    ::Program::Shutdown();
    ClearUnits();
    win::ResetWindowManager();
  }
};

// The program with a 964 x 700 scene, a 1200 x 1600 portrait and an 800 x 800 hair picture selected.
bool PrepareScene(benchmark::State& state) {
  frmMain->SetWindowState(wsNormal);
  frmMain->SetClientSize(kSceneW + 474, kSceneH + 97 + 34);
  frmMain->Show();
  win::PumpMessages();
  if (frmMain->imgMain->Width() != kSceneW || frmMain->imgMain->Height() != kSceneH) {
    state.SkipWithError("scene is not 964 x 700");
    return false;
  }
  ModelPicture.Bitmap = MakePicture(1200, 1600, false);
  ModelPicture.CenterX = kSceneW / 2.0f;
  ModelPicture.CenterY = kSceneH / 2.0f;
  ResetPlacement(ModelPicture);
  UpdatePlacement(ModelPicture);
  HairPicture.Bitmap = MakePicture(800, 800, true);
  HairPicture.CenterX = kSceneW / 2.0f - 16;
  HairPicture.CenterY = kSceneH / 2.0f + 14;
  ResetPlacement(HairPicture);
  HairPicture.Angle = 0.2f;
  UpdateSinCos(HairPicture);
  SelectedKind = 2;
  SelectedPicture = &HairPicture;
  UpdatePlacement(HairPicture);
  frmMain->DrawScene();
  win::PumpMessages();
  return true;
}

void BM_DragStep(benchmark::State& state) {
  RunningProgram program;
  if (!PrepareScene(state)) return;
  const TPoint origin = frmMain->imgMain->ClientToScreen(TPoint(kSceneW / 2 - 16, kSceneH / 2 - 14));
  win::InjectMouse(origin.X, origin.Y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::PumpMessages();
  int step = 0;
  for (auto _ : state) {
    const int dx = (step++ % 20) - 10;
    win::InjectMouse(origin.X + dx, origin.Y + dx / 2, WM_MOUSEMOVE, MK_LBUTTON);
    win::PumpMessages();  // the move, DrawScene, and the paint of the window
  }
  win::InjectMouse(origin.X, origin.Y, WM_LBUTTONUP, 0);
  win::PumpMessages();
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The scene alone, without the queue and the window's paint: where a drag step's time goes.
void BM_DrawSceneOnly(benchmark::State& state) {
  RunningProgram program;
  if (!PrepareScene(state)) return;
  for (auto _ : state) frmMain->DrawScene();
}
BENCHMARK(BM_DrawSceneOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);


// The yardstick: copy the prepared background, then draw both pictures through their transforms.
void BM_DragStepBaseline(benchmark::State& state) {
  QImage target(kSceneW, kSceneH, QImage::Format_RGB32);
  QImage background(kSceneW, kSceneH, QImage::Format_RGB32);
  background.fill(QColor(200, 100, 200));
  QImage portrait(1200, 1600, QImage::Format_ARGB32_Premultiplied);
  QImage hair(800, 800, QImage::Format_ARGB32_Premultiplied);
  portrait.fill(QColor(120, 140, 160));
  hair.fill(Qt::transparent);
  {
    QPainter p(&hair);
    p.setBrush(QColor(60, 40, 20));
    p.drawEllipse(0, 0, 800, 800);
  }
  int step = 0;
  for (auto _ : state) {
    const qreal dx = (step++ % 20) - 10;
    QPainter p(&target);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, background);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    QTransform flip(1, 0, 0, -1, 0, kSceneH);
    QTransform portraitT;
    portraitT.translate(kSceneW / 2.0 - 600, kSceneH / 2.0 + 800);
    portraitT.scale(1, -1);
    p.setTransform(QTransform(1, 0, 0, 1, 0, 0) * portraitT * flip);
    p.drawImage(0, 0, portrait);
    QTransform hairT;
    hairT.translate(kSceneW / 2.0 - 16 + dx, kSceneH / 2.0 + 14);
    hairT.rotateRadians(0.2);
    hairT.translate(-400, 400);
    hairT.scale(1, -1);
    p.setTransform(hairT * flip);
    p.drawImage(0, 0, hair);
    p.end();
    benchmark::DoNotOptimize(target.constBits());
  }
}
BENCHMARK(BM_DragStepBaseline)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// What the user of the colour window waits for after moving a bar: the whole picture recomputed from its
// source pixels, written back and the preview redrawn (1000 x 1000, hue, saturation and brightness set).
void BM_ColourWindowBarChange(benchmark::State& state) {
  RunningProgram program;
  GpBitmap* picture = MakePicture(1000, 1000, false);
  frmColorConfigure->barLightness->SetPosition(40);
  frmColorConfigure->barSaturation->SetPosition(60);
  frmColorConfigure->barHue->SetPosition(30);
  frmColorConfigure->Prepare(picture);
  const int before = UfrmColor::RecomputeCount;
  int step = 0;
  for (auto _ : state) {
    frmColorConfigure->barHue->SetPosition(31 - (step++ % 2));  // its change event recomputes
  }
  if (UfrmColor::RecomputeCount - before != step) state.SkipWithError("a bar change did not recompute");
  frmColorConfigure->FreeWorkingBitmap();
  GdipDisposeImage(picture);
}
BENCHMARK(BM_ColourWindowBarChange)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// From nothing to the first painted main window: units, the five windows, the first page of hair
// styles and the first paint.
void BM_StartUp(benchmark::State& state) {
  win::FakeClock clock;
  clock.Install();
  for (auto _ : state) {
    ::Program::AddUnits();
    InitializeUnits();
    ::Program::CreateForms();
    frmMain->Show();
    win::PumpMessages();
    state.PauseTiming();
    ::Program::Shutdown();
    ClearUnits();
    win::ResetWindowManager();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
