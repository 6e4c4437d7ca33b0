#pragma once
// Common controls: the tool bar with its buttons and the track bar.

#include "platform/controls/controls.h"
#include "platform/controls/imglist.h"

class TToolBar;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

// A button of a tool bar; the bar places its buttons from left to right in the order they joined it.
class TToolButton : public TGraphicControl {
  DECLARE_CLASS(TToolButton, TGraphicControl)
  explicit TToolButton(TComponent* AOwner);
  TToolButtonStyle Style() const { return FStyle; }
  void SetStyle(TToolButtonStyle Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  // Sizes the button to its caption instead of the bar's button width.
  bool AutoSize() const { return FAutoSizeButton; }
  void SetAutoSize(bool Value);
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  TToolBar* ToolBar() const;
  void SetParent(TWinControl* AParent) override;
  // Width the bar gives this button.
  int ButtonWidthInBar() const;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Dispatch(TMessage& Message) override;
  void TextChanged() override;

 private:
  TToolButtonStyle FStyle = tbsButton;
  int FImageIndex = -1;
  bool FAutoSizeButton = false;
  bool FDown = false;
  bool FHot = false;
  bool FPressing = false;
  bool FInside = false;
  int FSeparatorWidth = 8;
};

class TToolBar : public TCustomControl {
  DECLARE_CLASS(TToolBar, TCustomControl)
  explicit TToolBar(TComponent* AOwner);
  ~TToolBar() override;
  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int Value);
  int ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(int Value);
  // Borrowed; the bar forgets it when the list is freed.
  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* Value);
  bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  int Indent() const { return FIndent; }
  void SetIndent(int Value);
  int ButtonCount() const;
  TToolButton* Buttons(int Index) const;
  // Places the buttons again (after a change of size, caption or style).
  void LayoutButtons();

 protected:
  void Paint() override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  int FButtonWidth = 23;
  int FButtonHeight = 22;
  TImageList* FImages = nullptr;
  bool FShowCaptions = false;
  bool FFlat = false;
  int FIndent = 0;
  bool FLayingOut = false;
};

// ---------------------------------------------------------------------------------------------------

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickStyle { tsNone, tsAuto, tsManual };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };

// A horizontal slider. OnChange runs whenever Position changes (by the user or by code).
class TTrackBar : public TWinControl {
  DECLARE_CLASS(TTrackBar, TWinControl)
  explicit TTrackBar(TComponent* AOwner);
  int Min() const { return FMin; }
  void SetMin(int Value);
  int Max() const { return FMax; }
  void SetMax(int Value);
  int Position() const { return FPosition; }
  void SetPosition(int Value);
  int Frequency() const { return FFrequency; }
  void SetFrequency(int Value);
  TTickStyle TickStyle() const { return FTickStyle; }
  void SetTickStyle(TTickStyle Value);
  TTickMark TickMarks() const { return FTickMarks; }
  void SetTickMarks(TTickMark Value);
  TTrackBarOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TTrackBarOrientation Value) { FOrientation = Value; Invalidate(); }
  int PageSize() const { return FPageSize; }
  void SetPageSize(int Value) { FPageSize = Value; }
  int LineSize() const { return FLineSize; }
  void SetLineSize(int Value) { FLineSize = Value; }
  // The thumb's rectangle and the channel's, in client coordinates.
  TRect ThumbRect() const;
  TRect ChannelRect() const;
  TNotifyEvent OnChange;

 protected:
  void PaintWindow(HDC DC) override;
  void EraseBackground(HDC DC) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  bool WantsKey(WORD Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) override;
  virtual void Changed();

 private:
  int PositionFromX(int X) const;
  int XFromPosition(int Pos) const;
  int DragPosition(int X) const;
  int FMin = 0;
  int FMax = 10;
  int FPosition = 0;
  int FFrequency = 1;
  TTickStyle FTickStyle = tsAuto;
  TTickMark FTickMarks = tmBottomRight;
  TTrackBarOrientation FOrientation = trHorizontal;
  int FPageSize = 2;
  int FLineSize = 1;
  bool FDragging = false;
  int FDragOffset = 0;
  int FDragStartX = 0;         // where the thumb was grabbed
  int FDragStartPosition = 0;  // and the position it had then
};
