#include "app/UfrmPlay.h"

#include "app/Communal.h"

TfrmPlay* frmPlay = nullptr;

namespace UfrmPlay {
TImage* PlayImages[4] = {};
TList* PlayList = nullptr;
int PlayFirst = 0;
int LoopClicks = 0;
Single PlayFadeAlpha = -1;

void Initialize() {}
void Finalize() {
  frmPlay = nullptr;
  PlayList = nullptr;
  for (TImage*& image : PlayImages) image = nullptr;
}
}  // namespace UfrmPlay

using namespace UfrmPlay;

namespace {
// Background of an empty or not yet covered cell.
constexpr ARGB CellBackground = 0xFFADD8E6;

int PictureCount() { return PlayList ? PlayList->Count() : 0; }

// Whether looping was off when the window was last set up. The loop buttons keep their state from one
// showing to the next while LoopClicks starts again at 0, so the parity of the clicks alone would make
// the first click after a showing with looping off change nothing.
bool LoopOffAtSetup = false;

TSpeedButton* NewSpeedButton(TfrmPlay* Form, TWinControl* Parent, int Left, const char* Caption) {
  auto* button = new TSpeedButton(Form);
  button->SetParent(Parent);
  button->SetBounds(Left, 2, 52, 27);
  button->SetCaption(Caption);
  return button;
}
}  // namespace

TfrmPlay::TfrmPlay(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("播放");
  SetBorderStyle(bsDialog);
  SetClientSize(806, 674);

  pnlImages = new TPanel(this);
  pnlImages->SetParent(this);
  pnlImages->SetBounds(54, 8, 698, 571);
  pnlImages->SetCaption("");
  pnlImages->SetBevelOuter(bvLowered);
  img1 = new TImage(this);
  img2 = new TImage(this);
  img3 = new TImage(this);
  img4 = new TImage(this);
  TImage* images[4] = {img1, img2, img3, img4};
  for (int i = 0; i < 4; ++i) {
    images[i]->SetParent(pnlImages);
    images[i]->SetBounds(4 + (i % 2) * 347, 4 + (i / 2) * 283, 343, 281);
  }

  pnlButtons = new TPanel(this);
  pnlButtons->SetParent(this);
  pnlButtons->SetBounds(271, 590, 264, 31);
  pnlButtons->SetCaption("");
  pnlButtons->SetBevelOuter(bvNone);
  btnPlay = NewSpeedButton(this, pnlButtons, 2, "播放");
  // The two loop buttons lie on one another; the one made last is on top and takes the clicks,
  // and its Down state shows whether the show loops.
  btnNoLoop = NewSpeedButton(this, pnlButtons, 54, "不循环");
  btnNoLoop->SetGroupIndex(1);
  btnLoop = NewSpeedButton(this, pnlButtons, 54, "循环");
  btnLoop->SetGroupIndex(1);
  btnLoop->SetDown(true);
  btnNext = NewSpeedButton(this, pnlButtons, 106, "下一页");
  btnPrevious = NewSpeedButton(this, pnlButtons, 158, "上一页");
  btnExit = NewSpeedButton(this, pnlButtons, 210, "退出");

  btnPlay->OnClick = [this](TObject* s) { btnPlayClick(s); };
  btnLoop->OnClick = [this](TObject* s) { btnLoopClick(s); };
  btnNoLoop->OnClick = [this](TObject* s) { btnLoopClick(s); };
  btnNext->OnClick = [this](TObject* s) { btnNextClick(s); };
  btnPrevious->OnClick = [this](TObject* s) { btnPreviousClick(s); };
  btnExit->OnClick = [this](TObject* s) { btnExitClick(s); };

  Timer1 = new TTimer(this);
  Timer1->SetEnabled(false);
  Timer1->SetInterval(4000);
  Timer1->SetOnTimer([this](TObject* s) { Timer1Timer(s); });
  TimerFade = new TTimer(this);
  TimerFade->SetEnabled(false);
  TimerFade->SetInterval(100);
  TimerFade->SetOnTimer([this](TObject* s) { TimerFadeTimer(s); });

  OnShow = [this](TObject* s) { FormShow(s); };
  OnResize = [this](TObject* s) { FormResize(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  OnCreate = [this](TObject* s) { FormCreate(s); };
}

TfrmPlay::~TfrmPlay() {
  // The unit's references must not outlive the images.
  for (TImage*& image : PlayImages)
    if (image == img1 || image == img2 || image == img3 || image == img4) image = nullptr;
  if (frmPlay == this) frmPlay = nullptr;
}

void TfrmPlay::FormCreate(TObject*) {
  PlayImages[0] = img1;
  PlayImages[1] = img2;
  PlayImages[2] = img3;
  PlayImages[3] = img4;
}

void TfrmPlay::FormShow(TObject*) { SetWindowState(wsMaximized); }

void TfrmPlay::FormResize(TObject*) {
  pnlButtons->SetLeft((ClientWidth() - pnlButtons->Width()) / 2);
  pnlImages->SetLeft((ClientWidth() - pnlImages->Width()) / 2);
}

void TfrmPlay::FormClose(TObject*, TCloseAction&) { Timer1->SetEnabled(false); }

void TfrmPlay::Setup(TList* List) {
  PlayList = List;
  LoopClicks = 0;
  LoopOffAtSetup = btnNoLoop->Down();
  PlayFirst = 0;
  UpdateButtons();
  PlayFadeAlpha = -1;
  // A fade left running from the last showing would otherwise tick on over the new first page.
  TimerFade->SetEnabled(false);
  DrawImages();
}

void TfrmPlay::UpdateButtons() {
  btnNext->SetEnabled(PlayFirst + 4 < PictureCount());
  btnPrevious->SetEnabled(PlayFirst != 0);
}

void TfrmPlay::DrawImages() {
  GpImageAttributes* attributes = nullptr;
  if (PlayFadeAlpha >= 0) {
    ColorMatrix matrix;
    for (int i = 0; i < 5; ++i) matrix.m[i][i] = 1;
    matrix.m[3][3] = PlayFadeAlpha;
    GdipCreateImageAttributes(&attributes);
    GdipSetImageAttributesColorMatrix(attributes, ColorAdjustTypeBitmap, TRUE, &matrix, nullptr,
                                      ColorMatrixFlagsDefault);
  }
  for (int i = 0; i < 4; ++i) {
    TImage* image = PlayImages[i];
    if (!image) continue;
    GpGraphics* graphics = nullptr;
    GdipCreateFromHDC(image->Canvas()->Handle(), &graphics);
    GdipGraphicsClear(graphics, CellBackground);
    GdipSetSmoothingMode(graphics, SmoothingModeHighQuality);
    if (PlayFirst + i >= 0 && PlayFirst + i < PictureCount()) {
      GpBitmap* picture = ListBitmap(PlayList, PlayFirst + i);
      UINT width = 0, height = 0;
      GdipGetImageWidth(picture, &width);
      GdipGetImageHeight(picture, &height);
      const GpRect r =
          FitImageRect(GpRect{0, 0, INT(width), INT(height)}, PlayImages[0]->Width(), PlayImages[0]->Height());
      if (attributes)
        GdipDrawImageRectRectI(graphics, picture, r.X, r.Y, r.Width, r.Height, 0, 0, INT(width), INT(height),
                               UnitPixel, attributes, nullptr, nullptr);
      else
        GdipDrawImageRectI(graphics, picture, r.X, r.Y, r.Width, r.Height);
    }
    GdipDeleteGraphics(graphics);
    image->Repaint();
  }
  if (attributes) GdipDisposeImageAttributes(attributes);
}

void TfrmPlay::StartFade() {
  PlayFadeAlpha = 0.0001f;
  TimerFade->SetEnabled(true);
}

void TfrmPlay::TimerFadeTimer(TObject*) {
  PlayFadeAlpha += 1.0f / (1000.0f / Single(TimerFade->Interval()));
  DrawImages();
  if (PlayFadeAlpha >= 1) {
    PlayFadeAlpha = -1;
    TimerFade->SetEnabled(false);
  }
}

void TfrmPlay::btnPlayClick(TObject*) {
  if (Timer1->Enabled()) {
    Timer1->SetEnabled(false);
    return;
  }
  PlayFirst = 0;
  // Back on the first page "上一页" must not stay enabled, or it would step before the first picture.
  UpdateButtons();
  StartFade();
  Timer1->SetEnabled(true);
}

void TfrmPlay::Timer1Timer(TObject*) {
  UpdateButtons();
  if (btnNext->Enabled()) {
    PlayFirst += 4;
  } else if (btnLoop->Down()) {
    PlayFirst = 0;
  } else {
    Timer1->SetEnabled(false);
    return;
  }
  UpdateButtons();
  StartFade();
}

void TfrmPlay::btnNextClick(TObject*) {
  Timer1->SetEnabled(false);
  PlayFirst += 4;
  UpdateButtons();
  StartFade();
}

void TfrmPlay::btnPreviousClick(TObject*) {
  Timer1->SetEnabled(false);
  PlayFirst -= 4;
  UpdateButtons();
  StartFade();
}

void TfrmPlay::btnLoopClick(TObject*) {
  ++LoopClicks;
  if ((LoopClicks % 2 == 1) != LoopOffAtSetup)
    btnNoLoop->SetDown(true);
  else
    btnLoop->SetDown(true);
}

void TfrmPlay::btnExitClick(TObject*) { Close(); }
