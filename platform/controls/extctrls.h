#pragma once
// Panels, images, bevels and the timer.

#include <memory>

#include "platform/controls/controls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TCustomControl {
  DECLARE_PUBLISHED_CLASS(TPanel, TCustomControl)
  // What a form resource stores of a panel besides the control's own properties.
  static void DeclarePublished(TPublished<TPanel>& P) {
    P.Enum("Alignment", &TPanel::Alignment, &TPanel::SetAlignment, {"taLeftJustify", "taRightJustify", "taCenter"})
        .Default(taCenter);
    P.Enum("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner, {"bvNone", "bvLowered", "bvRaised", "bvSpace"})
        .Default(bvNone);
    P.Enum("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter, {"bvNone", "bvLowered", "bvRaised", "bvSpace"})
        .Default(bvRaised);
    P.Integer("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth).Default(1);
    P.Integer("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth).Default(0);
  }
  explicit TPanel(TComponent* AOwner);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut Value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);

 protected:
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  void EraseBackground(HDC DC) override;

 private:
  TBevelCut FBevelOuter = bvRaised;
  TBevelCut FBevelInner = bvNone;
  int FBevelWidth = 1;
  TAlignment FAlignment = taCenter;
};

// A picture on its parent's surface. Drawing on Canvas makes the picture a 24-bit bitmap of the
// control's size when it is empty.
class TImage : public TGraphicControl {
  DECLARE_CLASS(TImage, TGraphicControl)
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  // The canvas of the picture's bitmap (EInvalidOperation when the picture holds another kind).
  TCanvas* Canvas();
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value) { SetAutoSizeFlag(Value); }
  // Where the picture is drawn, in client coordinates.
  TRect DestRect() const;

 protected:
  void Paint() override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  void DoSetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 private:
  void PictureChanged();
  void UpdateOpaque();
  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
  bool FProportional = false;
  bool FCenter = false;
  bool FTransparent = false;
  bool FDrawing = false;
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
  DECLARE_CLASS(TBevel, TGraphicControl)
  explicit TBevel(TComponent* AOwner);
  TBevelShape Shape() const { return FShape; }
  void SetShape(TBevelShape Value);
  TBevelStyle Style() const { return FStyle; }
  void SetStyle(TBevelStyle Value);

 protected:
  void Paint() override;

 private:
  TBevelShape FShape = bsBox;
  TBevelStyle FStyle = bsLowered;
};

// A rectangle (or another simple shape) drawn with a pen and filled with a brush: separators and
// frames that need nothing but a line of colour.
enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
  DECLARE_CLASS(TShape, TGraphicControl)
  explicit TShape(TComponent* AOwner);
  ~TShape() override;
  TShapeType Shape() const { return FShape; }
  void SetShape(TShapeType Value);
  // Changing the pen or the brush repaints the shape.
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }

 protected:
  void Paint() override;

 private:
  TShapeType FShape = stRectangle;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
};

// Runs OnTimer every Interval milliseconds while Enabled, on the message queue's clock.
class TTimer : public TComponent {
  DECLARE_CLASS(TTimer, TComponent)
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned Value);
  TNotifyEvent OnTimer;
  void SetOnTimer(TNotifyEvent Value);

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();
  HWND FWindow = nullptr;
  bool FEnabled = true;
  unsigned FInterval = 1000;
  bool FRunning = false;
};
