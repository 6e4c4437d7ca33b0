#pragma once
// The drop-downs that edits and grid cells open: the size grip in a corner with which the user
// resizes a drop-down, the owner-drawn pick list (incremental search, hover selection) and the month
// calendar pop-up, which closes through its owner's ICloseUpReceiverX.

#include <string>

#include "dataedit/ToolCtrlsX.h"
#include "platform/controls/imglist.h"
#include "platform/controls/lists.h"
#include "platform/controls/monthcal.h"
#include "platform/rtl/sysutils.h"

// A small triangular handle in a corner of its parent: dragging it resizes the parent, kept inside
// the work area and never smaller than the grip itself.
class TSizeGripX : public TCustomControl {
  DECLARE_CLASS(TSizeGripX, TCustomControl)
  explicit TSizeGripX(TComponent* AOwner);

  // 0 top left, 1 top right, 2 bottom right, 3 bottom left.
  int Corner() const { return FCorner; }
  void SetCorner(int Value);
  bool Triangular() const { return FTriangular; }
  void SetTriangular(bool Value);
  void ShiftToSide(int Side) { SetCorner(GripCornerForSide(FCorner, Side)); }
  void MoveToCorner();
  void SetGripVisible(bool Value);
  TNotifyEvent OnParentResized;
  // A move of the window that the grip did not make puts it back into its corner.
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateWnd() override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;

 private:
  void UpdateShape();
  int FCorner = 2;
  bool FTriangular = true;
  bool FInternalMove = false;
  TGripDragStart FStart;
  POINT FLastPoint{-1, -1};
};

// The pick list of a drop-down: a top-level pop-up that never takes the focus, sized in whole rows.
class TPopupListboxX : public TCustomListBox {
  DECLARE_CLASS(TPopupListboxX, TCustomListBox)
  explicit TPopupListboxX(TComponent* AOwner);

  bool CanFocus() const override { return false; }
  void SetVisibleRows(int Rows);
  int RowsShown() const { return FRowsShown; }
  // The frame's height: what a height beyond the rows takes.
  int BorderHeight() const;
  TSizeGripX* SizeGrip() const { return FGrip; }
  const std::string& SearchText() const { return FSearchText; }
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(TMessage& Message) override;
  // The area inside the frame, where the rows and the grip lie.
  TRect ClientRect() const override;
  // A raised 3-D frame of BorderWidth 2 with Ctl3D (on by default), else a one-pixel line; a change
  // of Ctl3D makes the window again.
  int PopupBorderWidth() const { return FCtl3D ? 2 : 0; }
  // Images drawn beside the items (image i for item i; at the right, and the text against the image,
  // under right-to-left reading); not owned, nullptr for plain text rows.
  void AssignImageList(TCustomImageList* Value);
  TCustomImageList* ImageList() const { return FImageList; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;
  // With images the focus rectangle covers the text area only.
  TRect ItemFocusRect(int Index, const TRect& Rect) override;
  void KeyPress(WideChar& Key) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void Resize() override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) override;

 private:
  TSizeGripX* FGrip;
  TCustomImageList* FImageList = nullptr;
  std::string FSearchText;
  TTypedCharJoiner FTypedChar;
  uint64_t FLastKeyTick = 0;
  POINT FLastMouse{-1, -1};
  int FRowsShown = 0;
};

// The drop-down month calendar: Enter accepts, Esc cancels, a click on a day accepts, losing the
// focus cancels.
class TPopupMonthCalendarX : public TMonthCalendar {
  DECLARE_CLASS(TPopupMonthCalendarX, TMonthCalendar)
  explicit TPopupMonthCalendarX(TComponent* AOwner);
  void Dispatch(TMessage& Message) override;
  TRect ClientRect() const override;
  // Ctl3D on (and ParentCtl3D off) from the start: a raised border of width 2, else a single line.
  int PopupBorderWidth() const { return FCtl3D ? 2 : 0; }
  // Frame and border together on each side.
  int FrameSize() const;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  // Paints the raised 3-D border in the non-client area.
  virtual void DrawBorder();
  void KeyDown(WORD& Key, TShiftState Shift) override;
  // Every key is the calendar's (its dialog code says so): Tab and the arrows stay in it, and the
  // query for Enter or Esc closes it as the key itself does.
  bool WantsKey(WORD Key, TShiftState Shift) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) override;

 private:
  void CloseUp(bool Accept);
  void FitToFrame();
};
