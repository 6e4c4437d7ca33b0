#pragma once
// The colour window: brightness, contrast, saturation, hue and gamma of one picture with a preview.

#include <cstdint>
#include <vector>

#include "app/ColorAdjust.h"
#include "app/PlacedImage.h"
#include "platform/controls/comctrls.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/stdctrls.h"
#include "platform/forms/forms.h"

class TfrmColorConfigure : public TForm {
  DECLARE_CLASS(TfrmColorConfigure, TForm)
  explicit TfrmColorConfigure(TComponent* AOwner);
  ~TfrmColorConfigure() override;

  TImage* Image1;  // the adjusted preview
  TImage* Image2;  // the picture as it came
  TPanel* pnlBars;
  TLabel* Label1;
  TLabel* Label2;
  TLabel* Label3;
  TLabel* Label4;
  TLabel* Label5;
  TTrackBar* barLightness;
  TTrackBar* barContrast;
  TTrackBar* barSaturation;
  TTrackBar* barHue;
  TTrackBar* barAdjust;
  TLabel* lblBrightness;
  TLabel* lblContrast;
  TLabel* lblSaturation;
  TLabel* lblHue;
  TLabel* lblValue;
  TButton* btnReset;
  TButton* Button2;
  TButton* Button3;

  Byte Accepted = 0;
  // Loads a picture for adjustment; the caller then shows the window modally.
  void Prepare(GpBitmap* Bitmap);
  // Stores a copy of the adjusted picture in the record (whose old bitmap the caller freed).
  void TakeAdjustedBitmap(TPlacedImage& Record);
  void FreeWorkingBitmap();
  void DrawPreview(GpBitmap* Bitmap);
  // The bar positions as adjustment settings.
  TColorSettings Settings() const;

  void barChange(TObject* Sender);
  void btnResetClick(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);

 private:
  void UpdateValueLabels();
};

extern TfrmColorConfigure* frmColorConfigure;

namespace UfrmColor {
void Initialize();
void Finalize();

// The unadjusted picture, 0xAARRGGBB, row after row (SourceWidth pixels each); every recompute
// starts from it, so repeated changes never accumulate rounding.
extern std::vector<std::uint32_t> SourcePixels;
extern int SourceWidth;
extern int SourceHeight;
// Copy of the picture being adjusted, rewritten by every recompute; nil when nothing is prepared.
extern GpBitmap* WorkingBitmap;
extern GpRect PictureRect;
// Where the picture sits in Image2 and in Image1.
extern GpRect SourceRect;
extern GpRect PreviewRect;
// While set, moving the bars recomputes nothing.
extern Byte UpdatingBars;
// How many times the picture was recomputed since start-up.
extern int RecomputeCount;
}  // namespace UfrmColor
