#include "app/UfrmColor.h"

#include <algorithm>

#include "app/Communal.h"
#include "platform/rtl/sysutils.h"

TfrmColorConfigure* frmColorConfigure = nullptr;

namespace UfrmColor {
std::vector<std::uint32_t> SourcePixels;
int SourceWidth = 0;
int SourceHeight = 0;
GpBitmap* WorkingBitmap = nullptr;
GpRect PictureRect;
GpRect SourceRect;
GpRect PreviewRect;
Byte UpdatingBars = 0;
int RecomputeCount = 0;

void Initialize() {}
void Finalize() {
  if (WorkingBitmap) GdipDisposeImage(WorkingBitmap);
  WorkingBitmap = nullptr;
  std::vector<std::uint32_t>().swap(SourcePixels);
  SourceWidth = SourceHeight = 0;
  frmColorConfigure = nullptr;
}
}  // namespace UfrmColor

using namespace UfrmColor;

namespace {
// Background of the two picture boxes.
constexpr ARGB BoxBackground = 0xFFADD8E6;

// The result of the last recompute when the working bitmap cannot be written in bulk.
std::vector<std::uint32_t> AdjustedPixels;

GpGraphics* ImageGraphics(TImage* Image) {
  GpGraphics* graphics = nullptr;
  GdipCreateFromHDC(Image->Canvas()->Handle(), &graphics);
  return graphics;
}

// Recomputes the working bitmap from the source pixels: straight into its locked rows, or through a
// buffer and one call per pixel when it cannot be locked.
void RecomputeWorkingBitmap(const TColorSettings& Settings) {
  const TArgbView source{SourcePixels.data(), SourceWidth, SourceHeight, SourceWidth};
  BitmapData locked;
  if (GdipBitmapLockBits(WorkingBitmap, nullptr, ImageLockModeWrite, PixelFormat32bppARGB, &locked) == Ok) {
    const TArgbTarget target{static_cast<std::uint32_t*>(locked.Scan0), int(locked.Width), int(locked.Height),
                             locked.Stride / 4};
    AdjustPicture(source, target, Settings);
    GdipBitmapUnlockBits(WorkingBitmap, &locked);
    return;
  }
  AdjustedPixels.resize(SourcePixels.size());
  AdjustPicture(source, TArgbTarget{AdjustedPixels.data(), SourceWidth, SourceHeight, SourceWidth}, Settings);
  for (int y = 0; y < SourceHeight; ++y)
    for (int x = 0; x < SourceWidth; ++x)
      GdipBitmapSetPixel(WorkingBitmap, x, y, AdjustedPixels[std::size_t(y) * SourceWidth + x]);
}

// Copies the working bitmap's pixels into SourcePixels (already sized).
void ReadSourcePixels() {
  BitmapData locked;
  if (GdipBitmapLockBits(WorkingBitmap, nullptr, ImageLockModeRead, PixelFormat32bppARGB, &locked) == Ok) {
    for (int y = 0; y < SourceHeight; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const BYTE*>(locked.Scan0) +
                                                               std::ptrdiff_t(y) * locked.Stride);
      std::copy(row, row + SourceWidth, SourcePixels.begin() + std::ptrdiff_t(y) * SourceWidth);
    }
    GdipBitmapUnlockBits(WorkingBitmap, &locked);
    return;
  }
  for (int y = 0; y < SourceHeight; ++y)
    for (int x = 0; x < SourceWidth; ++x) {
      ARGB value = 0;
      GdipBitmapGetPixel(WorkingBitmap, x, y, &value);
      SourcePixels[std::size_t(y) * SourceWidth + x] = value;
    }
}

struct TBarRow {
  const char* Caption;
  int Min, Max, Position;
};
}  // namespace

TfrmColorConfigure::TfrmColorConfigure(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Color");
  SetBorderStyle(bsDialog);
  SetPosition(poDesktopCenter);
  SetClientSize(493, 381);

  Image1 = new TImage(this);
  Image1->SetParent(this);
  Image1->SetBounds(5, 5, 293, 371);
  Image2 = new TImage(this);
  Image2->SetParent(this);
  Image2->SetBounds(302, 5, 186, 227);

  pnlBars = new TPanel(this);
  pnlBars->SetParent(this);
  pnlBars->SetBounds(299, 236, 191, 111);
  pnlBars->SetCaption("");
  pnlBars->SetBevelOuter(bvLowered);

  const TBarRow rows[5] = {{"亮度", -200, 200, 0},
                           {"对比度", 0, 50, 10},
                           {"饱和度", -200, 200, 0},
                           {"色调", 0, 360, 0},
                           {"校正", 0, 40, 10}};
  TLabel** captions[5] = {&Label1, &Label2, &Label3, &Label4, &Label5};
  TTrackBar** bars[5] = {&barLightness, &barContrast, &barSaturation, &barHue, &barAdjust};
  TLabel** values[5] = {&lblBrightness, &lblContrast, &lblSaturation, &lblHue, &lblValue};
  for (int i = 0; i < 5; ++i) {
    const int top = 3 + i * 21;
    auto* caption = new TLabel(this);
    caption->SetParent(pnlBars);
    caption->SetBounds(4, top + 3, 40, 15);
    caption->SetCaption(rows[i].Caption);
    *captions[i] = caption;

    auto* bar = new TTrackBar(this);
    bar->SetParent(pnlBars);
    bar->SetBounds(44, top, 111, 20);
    bar->SetTickStyle(tsNone);
    bar->SetMax(rows[i].Max);
    bar->SetMin(rows[i].Min);
    bar->SetPosition(rows[i].Position);
    bar->SetTabStop(true);
    *bars[i] = bar;

    auto* value = new TLabel(this);
    value->SetParent(pnlBars);
    value->SetBounds(157, top + 3, 32, 15);
    *values[i] = value;
  }

  btnReset = new TButton(this);
  btnReset->SetParent(this);
  btnReset->SetBounds(302, 352, 55, 25);
  btnReset->SetCaption("复位");
  Button2 = new TButton(this);
  Button2->SetParent(this);
  Button2->SetBounds(367, 352, 55, 25);
  Button2->SetCaption("确定");
  Button3 = new TButton(this);
  Button3->SetParent(this);
  Button3->SetBounds(432, 352, 55, 25);
  Button3->SetCaption("关闭");

  for (TTrackBar* bar : {barLightness, barContrast, barSaturation, barHue, barAdjust})
    bar->OnChange = [this](TObject* s) { barChange(s); };
  btnReset->OnClick = [this](TObject* s) { btnResetClick(s); };
  Button2->OnClick = [this](TObject* s) { Button2Click(s); };
  Button3->OnClick = [this](TObject* s) { Button3Click(s); };

  // The value labels show the initial positions before any picture comes.
  UpdateValueLabels();
}

TfrmColorConfigure::~TfrmColorConfigure() {
  if (frmColorConfigure == this) frmColorConfigure = nullptr;
}

TColorSettings TfrmColorConfigure::Settings() const {
  TColorSettings s;
  s.Brightness = barLightness->Position();
  s.ContrastPosition = barContrast->Position();
  s.Saturation = barSaturation->Position();
  s.Hue = barHue->Position();
  s.GammaPosition = barAdjust->Position();
  return s;
}

void TfrmColorConfigure::Prepare(GpBitmap* Bitmap) {
  Accepted = 0;
  FreeWorkingBitmap();
  UINT width = 0, height = 0;
  GdipGetImageWidth(Bitmap, &width);
  GdipGetImageHeight(Bitmap, &height);
  PictureRect = GpRect{0, 0, INT(width), INT(height)};
  if (GdipCloneBitmapAreaI(0, 0, INT(width), INT(height), 0, Bitmap, &WorkingBitmap) != Ok) {
    // An unreadable picture (0 x 0) cannot be cut; an empty copy keeps the caller's record as it was.
    WorkingBitmap = nullptr;
    GpImage* copy = nullptr;
    if (Bitmap && GdipCloneImage(Bitmap, &copy) == Ok) WorkingBitmap = static_cast<GpBitmap*>(copy);
    width = height = 0;
  }

  SourceWidth = INT(width);
  SourceHeight = INT(height);
  SourcePixels.assign(std::size_t(width) * height, 0);
  if (!SourcePixels.empty()) ReadSourcePixels();

  GpGraphics* graphics = ImageGraphics(Image2);
  GdipGraphicsClear(graphics, BoxBackground);
  SourceRect = FitImageRect(PictureRect, Image2->Width(), Image2->Height());
  PreviewRect = FitImageRect(PictureRect, Image1->Width(), Image1->Height());
  GdipDrawImageRectI(graphics, WorkingBitmap, SourceRect.X, SourceRect.Y, SourceRect.Width, SourceRect.Height);
  GdipDeleteGraphics(graphics);
  Image2->Repaint();

  // The bars keep their positions from the last use, so they apply to this picture at once.
  UpdatingBars = 0;
  barChange(this);
}

void TfrmColorConfigure::UpdateValueLabels() {
  lblBrightness->SetCaption(Format("%.1f", barLightness->Position() / 200.0L));
  lblContrast->SetCaption(Format("%.1f", barContrast->Position() / 10.0L));
  lblSaturation->SetCaption(Format("%.1f", barSaturation->Position() * 0.015L + 1));
  lblHue->SetCaption(Format("%d", barHue->Position()));
  lblValue->SetCaption(Format("%.1f", barAdjust->Position() / 10.0L));
}

void TfrmColorConfigure::barChange(TObject*) {
  if (UpdatingBars) return;
  UpdateValueLabels();
  if (WorkingBitmap && !SourcePixels.empty()) {
    RecomputeWorkingBitmap(Settings());
    ++RecomputeCount;
  }
  // Also without a picture, so that no earlier picture's preview stays.
  DrawPreview(WorkingBitmap);
  pnlBars->Repaint();
}

void TfrmColorConfigure::DrawPreview(GpBitmap* Bitmap) {
  GpGraphics* graphics = ImageGraphics(Image1);
  GdipGraphicsClear(graphics, BoxBackground);
  GdipDrawImageRectI(graphics, Bitmap, PreviewRect.X, PreviewRect.Y, PreviewRect.Width, PreviewRect.Height);
  GdipDeleteGraphics(graphics);
  Image1->Repaint();
}

void TfrmColorConfigure::TakeAdjustedBitmap(TPlacedImage& Record) {
  Record.Bitmap = nullptr;
  if (!WorkingBitmap) return;
  if (GdipCloneBitmapAreaI(PictureRect.X, PictureRect.Y, PictureRect.Width, PictureRect.Height, 0, WorkingBitmap,
                           &Record.Bitmap) != Ok) {
    GpImage* copy = nullptr;
    Record.Bitmap = GdipCloneImage(WorkingBitmap, &copy) == Ok ? static_cast<GpBitmap*>(copy) : nullptr;
  }
}

void TfrmColorConfigure::FreeWorkingBitmap() {
  if (WorkingBitmap) GdipDisposeImage(WorkingBitmap);
  WorkingBitmap = nullptr;
}

void TfrmColorConfigure::btnResetClick(TObject*) {
  UpdatingBars = 1;
  barLightness->SetPosition(0);
  barContrast->SetPosition(10);
  barSaturation->SetPosition(0);
  barHue->SetPosition(0);
  barAdjust->SetPosition(10);
  UpdatingBars = 0;
  barChange(this);
}

void TfrmColorConfigure::Button2Click(TObject*) {
  Accepted = 1;
  Close();
}

void TfrmColorConfigure::Button3Click(TObject*) { Close(); }
