#pragma once
// The single-selection list box. Like the edit, it behaves as the system's list window at the
// message level: LB_ messages act on its items, selection and scrolling, and a user's change of the
// selection sends LBN_SELCHANGE (a double click LBN_DBLCLK) to the parent in a WM_COMMAND, which the
// parent reflects back as CN_COMMAND: that runs Click (OnClick) or DblClick. Selection set by code
// (ItemIndex, LB_SETCURSEL) notifies nobody.
//
// Items are drawn one below the other from TopIndex, ItemHeight pixels each. An owner-drawn list
// (lbOwnerDrawFixed) sends WM_DRAWITEM for each visible item to the parent, which reflects it as
// CN_DRAWITEM; the list then calls DrawItem with Canvas on the item's DC, its font and a brush of the
// selection colour when selected: OnDrawItem draws the item, or the list fills the rectangle and
// writes the text. A focused list draws the focus rectangle over its current item after that.
//
// The inherited behaviour this layer defines:
// - The focus rectangle shows while WM_SETFOCUS has reached the list's own procedure (DefaultHandler)
//   and WM_KILLFOCUS has not: a pop-up list can look focused without taking the focus.
// - The wheel goes to DoMouseWheel (OnMouseWheel) first; when that leaves it, the list scrolls three
//   items per notch.
// - Keys: Up/Down by one item, PageUp/PageDown by a page less one, Home/End; a character selects the
//   next item (after the current one, wrapping) that starts with it, case-insensitively.
// - Mouse: a click selects the item under it (the selection follows the mouse while the button is
//   held); a click below the last item changes nothing.
// - The vertical window scroll bar (WS_VSCROLL) carries range 0..Count-1, page = the whole items that
//   fit and position = TopIndex; WM_VSCROLL with SB_LINEUP/DOWN, SB_PAGEUP/DOWN, SB_THUMBPOSITION,
//   SB_THUMBTRACK, SB_TOP and SB_BOTTOM moves TopIndex. The last page is always full when it can be.
// - Sorted keeps the items in AnsiCompareText order; an item added to a sorted list goes to its place.
// - LB_SELECTSTRING(start, prefix) searches from the item after `start` (-1: from the first), wraps,
//   and selects the first item beginning with the prefix (case-insensitively); LB_ERR when none.
//   LB_GETITEMRECT gives the item's rectangle in client coordinates (also for items scrolled away).
//   LB_GETITEMDATA/LB_SETITEMDATA read and write the item's object (Items->Objects).
// - Without OnDrawItem an item is its text, 2 pixels in from the left (from the right under right-to-left
//   alignment, read right to left under right-to-left reading) and centred in the row.
// - bsSingle is a sunken client edge with Ctl3D, a single line (WS_BORDER) without; a change of Ctl3D
//   makes the window again.

#include <functional>
#include <memory>
#include <string>

#include "platform/controls/controls.h"

constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;

enum TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault };
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed };

using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State)>;

class TCustomListBox : public TWinControl {
  DECLARE_CLASS(TCustomListBox, TWinControl)
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  int Count() const { return FItems->Count(); }
  void Clear() { FItems->Clear(); }
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value);
  int TopIndex() const { return FTopIndex; }
  void SetTopIndex(int Value);
  int ItemHeight() const;
  void SetItemHeight(int Value);
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);
  bool Sorted() const { return FItems->Sorted(); }
  void SetSorted(bool Value);
  // bsSingle (1): a sunken client edge (a single line without Ctl3D); bsNone (0): none.
  int BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(int Value);
  // The item under a client point; with Existing false the index past the last item is given for a
  // point below the items, else -1.
  int ItemAtPos(const TPoint& Pos, bool Existing) const;
  TRect ItemRect(int Index) const;
  // Whole items that fit in the client area (at least one).
  int VisibleCount() const;
  TCanvas* Canvas() const { return FCanvas.get(); }
  // The client area inside the border and the scroll bar.
  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;

  TDrawItemEvent OnDrawItem;

  void DefaultHandler(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void PaintWindow(HDC DC) override;
  void EraseBackground(HDC DC) override;
  void Resize() override;
  void FontChanged() override;
  // Draws one item on Canvas (its DC set by the caller): OnDrawItem or the default drawing.
  virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
  // The rectangle the focused item's focus rectangle covers: the whole row unless a descendant draws
  // part of the row itself (an image column).
  virtual TRect ItemFocusRect(int Index, const TRect& Rect);

 private:
  void ItemsChanged(TObject* Sender);
  void UserSelect(int Index);
  void Notify(WORD Code);
  void UpdateScrollBar();
  void PaintItem(HDC DC, int Index);
  int ClientHeightNow() const;
  int ClientWidthNow() const;
  int MaxTopIndex() const;
  void DrawItemStruct(const DRAWITEMSTRUCT& Dis);

  std::unique_ptr<TStringList> FItems;
  std::unique_ptr<TCanvas> FCanvas;
  int FItemIndex = -1;
  int FTopIndex = 0;
  int FItemHeight = 16;
  TListBoxStyle FStyle = lbStandard;
  int FBorderStyle = 1;
  bool FTracking = false;
  bool FHasScrollBar = false;  // the window was made with WS_VSCROLL
  bool FFocusDrawn = false;    // WM_SETFOCUS reached the list's own procedure
};

class TListBox : public TCustomListBox {
  DECLARE_CLASS(TListBox, TCustomListBox)
  explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
};
