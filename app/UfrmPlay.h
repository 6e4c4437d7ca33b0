#pragma once
// The slide show: the collection four pictures at a time, faded in, advancing every four seconds.

#include "platform/controls/buttons.h"
#include "platform/controls/extctrls.h"
#include "platform/forms/forms.h"

class TfrmPlay : public TForm {
  DECLARE_CLASS(TfrmPlay, TForm)
  explicit TfrmPlay(TComponent* AOwner);
  ~TfrmPlay() override;

  TPanel* pnlImages;
  TImage* img1;
  TImage* img2;
  TImage* img3;
  TImage* img4;
  TPanel* pnlButtons;
  TSpeedButton* btnPlay;
  TSpeedButton* btnLoop;
  TSpeedButton* btnNoLoop;
  TSpeedButton* btnNext;
  TSpeedButton* btnPrevious;
  TSpeedButton* btnExit;
  TTimer* Timer1;
  TTimer* TimerFade;

  // Borrows the list of GDI+ bitmaps for the next showing.
  void Setup(TList* List);
  void DrawImages();
  void UpdateButtons();
  void StartFade();

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormResize(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void btnPlayClick(TObject* Sender);
  void btnLoopClick(TObject* Sender);
  void btnNextClick(TObject* Sender);
  void btnPreviousClick(TObject* Sender);
  void btnExitClick(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void TimerFadeTimer(TObject* Sender);
};

extern TfrmPlay* frmPlay;

namespace UfrmPlay {
void Initialize();
void Finalize();

// The four images of the show, in page order.
extern TImage* PlayImages[4];
// The collection being shown (the main window's list, borrowed).
extern TList* PlayList;
// Index of the picture in the first image.
extern int PlayFirst;
// Clicks on the stacked loop buttons since the last Setup: odd means looping was switched since then.
extern int LoopClicks;
// Opacity of the page being faded in; negative while no fade runs.
extern Single PlayFadeAlpha;
}  // namespace UfrmPlay
