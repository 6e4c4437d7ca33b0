#pragma once
// Speed buttons: graphic push buttons that can stay down, alone or as a group of one parent.
//
// The glyph is a strip of NumGlyphs images of equal width side by side (1 to 4): up, disabled, pressed
// and held down (Down). A state whose image the strip lacks shows another: held down the pressed
// image, pressed the up image, disabled the up image greyed (embossed in the highlight and shadow
// colours over the bottom-left pixel's colour).

#include <memory>

#include "platform/controls/controls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TSpeedButton : public TGraphicControl {
  DECLARE_CLASS(TSpeedButton, TGraphicControl)
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  // Buttons of one parent with the same GroupIndex (not 0) act as one: one of them is down.
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value);
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  // An optional picture beside the caption; empty by default.
  TBitmap* Glyph();
  void SetGlyph(TBitmap* Value);
  int NumGlyphs() const { return FNumGlyphs; }
  // Kept between 1 and 4.
  void SetNumGlyphs(int Value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  void Click() override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Dispatch(TMessage& Message) override;

 private:
  void UpdateExclusive();
  int FGroupIndex = 0;
  bool FDown = false;
  bool FAllowAllUp = false;
  bool FFlat = false;
  bool FHot = false;
  bool FPressing = false;   // the left button went down on it and is held
  bool FInside = false;
  TButtonLayout FLayout = blGlyphLeft;
  int FSpacing = 4;
  int FNumGlyphs = 1;
  std::unique_ptr<TBitmap> FGlyph;
  // The image of the glyph strip (Images of ImageWidth each) for the current state, drawn at (X, Y).
  void DrawGlyph(int X, int Y, int ImageWidth, int Images);
};
