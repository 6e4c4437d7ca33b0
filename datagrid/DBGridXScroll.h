#pragma once
// The data grid's scroll-bar settings: one object per direction with a visibility rule, a tracking
// switch and an optional external TScrollBar that stands in for the window's own bar. A data grid
// cannot show a true vertical position without record numbers, so it fills its vertical bar itself
// (TCustomDBGridX::UpdateVertScrollBar): from record numbers when the data set has them, else as a
// five-position bar (top, inside, bottom).

#include "platform/classes/classes.h"
#include "platform/classes/typinfo.h"
#include "platform/controls/scrollbars.h"

class TCustomDBGridX;

enum TScrollBarVisibleModeX : unsigned char { sbAlwaysShowX = 0, sbNeverShowX = 1, sbAutoShowX = 2 };

class TDBGridXScrollBar : public TPersistent {
  DECLARE_PUBLISHED_CLASS(TDBGridXScrollBar, TPersistent)
  // ExtScrollBar, Tracking, Visible.
  static void DeclarePublished(TPublished<TDBGridXScrollBar>& P);
  TDBGridXScrollBar(TCustomDBGridX* AGrid, TScrollBarKind AKind);
  // Gives an attached external bar its own window procedure back.
  ~TDBGridXScrollBar() override;
  void Assign(TPersistent* Source) override;

  TCustomDBGridX* Grid() const { return FGrid; }
  TScrollBarKind Kind() const { return FKind; }
  TScrollBar* ExtScrollBar() const { return FExtScrollBar; }
  // Attaching redirects the bar's notifications to the grid. A bar whose window procedure another
  // control already replaced raises "Possible <name> already attached to the other control.".
  void SetExtScrollBar(TScrollBar* Value);
  // The external bar is being destroyed: forget it without touching it (only its component part is left).
  void ExtScrollBarGone();
  bool Tracking() const { return FTracking; }
  void SetTracking(bool Value) { FTracking = Value; }
  // Visible: the mode is not "never". Setting it gives "auto" (True) or "never" (False).
  bool Visible() const { return FVisibleMode != sbNeverShowX; }
  void SetVisible(bool Value);
  TScrollBarVisibleModeX VisibleMode() const { return FVisibleMode; }
  void SetVisibleMode(TScrollBarVisibleModeX Value);
  // The bar is on screen: the external bar's visibility, else the window's style bit.
  bool BarShown() const;
  void SyncExternalBarVisible();
  // The bar's range, page and positions (the external bar's or the window's own).
  bool GetBarScrollInfo(SCROLLINFO& Info) const;
  // SB_HORZ / SB_VERT, WM_HSCROLL / WM_VSCROLL of the kind.
  int BarConstant() const { return FKind == sbVertical ? SB_VERT : SB_HORZ; }
  UINT ScrollMessage() const { return FKind == sbVertical ? WM_VSCROLL : WM_HSCROLL; }

 protected:
  // The external bar's window procedure while attached: scroll notifications go to the grid first.
  void ExternalBarWndProc(TMessage& Message);

 private:
  TCustomDBGridX* FGrid;
  TScrollBar* FExtScrollBar = nullptr;
  TScrollBarKind FKind;
  bool FTracking = false;
  TScrollBarVisibleModeX FVisibleMode = sbAutoShowX;
};

// The vertical settings (published with their visibility mode).
class TVertDBGridXScrollBar : public TDBGridXScrollBar {
  DECLARE_PUBLISHED_CLASS(TVertDBGridXScrollBar, TDBGridXScrollBar)
  // Adds VisibleMode.
  static void DeclarePublished(TPublished<TVertDBGridXScrollBar>& P);
  using TDBGridXScrollBar::TDBGridXScrollBar;
};
