#pragma once
// TScrollBar: a scroll-bar control of its own (a window of the Win32 level's scroll-bar kind). The
// Win32 level tracks the mouse on it and notifies the parent; the parent reflects the notification
// back as CN_HSCROLL/CN_VSCROLL, which turns into a new Position through OnScroll.
//
// Position stays within Min .. Max - PageSize + 1 (Min .. Max without a page). The bar's window holds
// the same range, page and position, so GetScrollInfo(Handle, SB_CTL) reads them.

#include <functional>

#include "platform/controls/controls.h"

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBar : public TWinControl {
  DECLARE_CLASS(TScrollBar, TWinControl)
  explicit TScrollBar(TComponent* AOwner);

  TScrollBarKind Kind() const { return FKind; }
  // A new kind turns the bar (width and height swap) and recreates its window.
  void SetKind(TScrollBarKind Value);
  int Min() const { return FMin; }
  void SetMin(int Value) { SetParams(FPosition, Value, FMax); }
  int Max() const { return FMax; }
  void SetMax(int Value) { SetParams(FPosition, FMin, Value); }
  int Position() const { return FPosition; }
  void SetPosition(int Value) { SetParams(Value, FMin, FMax); }
  int PageSize() const { return FPageSize; }
  // A page larger than Max (or negative) is ignored.
  void SetPageSize(int Value);
  int SmallChange() const { return FSmallChange; }
  void SetSmallChange(int Value) { FSmallChange = Value; }
  int LargeChange() const { return FLargeChange; }
  void SetLargeChange(int Value) { FLargeChange = Value; }
  // All three at once; Max below Min or below PageSize raises EInvalidOperation ("Scroll bar
  // property out of range") and changes nothing. The position is kept inside.
  void SetParams(int APosition, int AMin, int AMax);

  // Runs for every notification before the position moves; the handler may change ScrollPos.
  TScrollEvent OnScroll;
  // The position changed (by the user or by code).
  TNotifyEvent OnChange;

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWindowHandle(const TCreateParams& Params) override;
  // Arrows, Page Up/Down, Home and End scroll the focused bar (after OnKeyDown).
  void KeyDown(WORD& Key, TShiftState Shift) override;
  bool WantsKey(WORD Key, TShiftState Shift) override;
  virtual void Scroll(TScrollCode ScrollCode, int& ScrollPos);
  virtual void Change();

 private:
  void DoScroll(TMessage& Message);
  void UpdateWindow();
  int LastPosition() const;
  TScrollBarKind FKind = sbHorizontal;
  int FMin = 0, FMax = 100, FPosition = 0, FPageSize = 0;
  int FSmallChange = 1, FLargeChange = 1;
};
