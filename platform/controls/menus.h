#pragma once
// Menus: TMenuItem (a caption, a shortcut, Enabled/Visible/Checked, OnClick, child items) and
// TPopupMenu, shown at a screen point by Popup.
//
// Popup(X, Y) places the menu's window at the point (its left edge there for paLeft, its right edge
// for paRight, centred on it for paCenter), inside the work area of the screen (above the point when
// there is no room below), and runs a loop of its own until the menu closes, as the system's pop-up
// menus do: the keys go to the menu (Up/Down move the selection over enabled items, Home/End, Enter
// or Space invokes, Esc closes, a caption's &-letter invokes its item), the mouse highlights items and
// a release on one invokes it. A press outside the menu closes it and is then handled as usual by the
// window it was meant for. The chosen item's Click runs after the menu has closed and before Popup
// returns. A menu window never takes the activation or the focus. An item with children opens its
// own menu window beside its row when the mouse rests on it or Right (or Enter) is pressed on it;
// Left or Esc closes that window again; keys go to the deepest open window.
//
// IsShortCut finds the enabled item (at any depth) with a key combination and clicks it.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/controls.h"

// A key with its modifiers (TShortCut and the sc* bits are the run-time library's): from a shift set.
TShortCut ShortCut(WORD Key, TShiftState Shift);
// "Ctrl+Shift+C", "F2", "Del"...
std::string ShortCutToText(TShortCut ShortCut);

class TMenuItem : public TComponent {
  DECLARE_CLASS(TMenuItem, TComponent)
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value) { FCaption = Value; }
  bool IsLine() const { return FCaption == "-"; }
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value) { FShortCut = Value; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value) { FChecked = Value; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }

  // Children: the item owns what it holds (Remove gives an item back without freeing it).
  int Count() const { return static_cast<int>(FItems.size()); }
  TMenuItem* Items(int Index) const { return FItems.at(static_cast<size_t>(Index)); }
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  void Remove(TMenuItem* Item);
  void Delete(int Index);
  void Clear();
  int IndexOf(const TMenuItem* Item) const;
  TMenuItem* Parent() const { return FParent; }
  int MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }
  // The enabled, visible item with this shortcut here or below, or nullptr.
  TMenuItem* FindShortCut(TShortCut Value);

  virtual void Click();
  TNotifyEvent OnClick;

 private:
  std::string FCaption;
  std::string FHint;
  TShortCut FShortCut = 0;
  bool FEnabled = true;
  bool FVisible = true;
  bool FChecked = false;
  TMenuItem* FParent = nullptr;
  std::vector<TMenuItem*> FItems;  // owned
};

// The context menu of scroll bars (installed for the Win32 level when the first control window is
// made): Scroll Here, Top, Bottom, Page Up, Page Down, Scroll Up, Scroll Down (Left Edge, Right
// Edge... on a horizontal bar); answers with the chosen SB_ code, win::kScrollHere or -1.
int ScrollBarMenuChoice(HWND Wnd, bool Vertical, POINT Screen);

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenuWindow;

class TPopupMenu : public TComponent {
  DECLARE_CLASS(TPopupMenu, TComponent)
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  TMenuItem* Items() const { return FItems.get(); }
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  // The component the menu was last popped up for (set by whoever pops it up).
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }

  // Shows the menu at a screen point and returns once it closed (after the chosen item's Click).
  virtual void Popup(int X, int Y);
  // Clicks the item with this key combination; false when there is none.
  bool IsShortCut(WORD Key, TShiftState Shift);

  // The menu's window while it is up (Popup, or ShowAt without the loop), else nullptr.
  TPopupMenuWindow* MenuWindow() const { return FWindow.get(); }
  // Shows the window as Popup does, without running the loop (a caller that runs its own loop, and
  // tests); CloseMenu hides it. The item chosen in the window (or nullptr) is ChosenItem.
  void ShowAt(int X, int Y);
  void CloseMenu();
  TMenuItem* ChosenItem() const { return FChosen; }
  bool IsOpen() const;

  TNotifyEvent OnPopup;
  TNotifyEvent OnClose;

 private:
  friend class TPopupMenuWindow;
  std::unique_ptr<TMenuItem> FItems;
  TPopupAlignment FAlignment = paLeft;
  bool FAutoPopup = true;
  TComponent* FPopupComponent = nullptr;
  std::unique_ptr<TPopupMenuWindow> FWindow;
  TMenuItem* FChosen = nullptr;
};

// The window of an open menu: one row per visible item, a thin row per separator line.
class TPopupMenuWindow : public TCustomControl {
  DECLARE_CLASS(TPopupMenuWindow, TCustomControl)
  // The window of the menu's items, or of an item's children (AItem) beside its parent window.
  explicit TPopupMenuWindow(TPopupMenu* AMenu, TMenuItem* AItem = nullptr, TPopupMenuWindow* AParentMenu = nullptr);
  ~TPopupMenuWindow() override;
  // The open child menu window, or nullptr; the deepest open window of this chain.
  TPopupMenuWindow* SubMenu() const { return FSub.get(); }
  TPopupMenuWindow* Deepest();
  // Whether a window is this one or one of its open child windows.
  bool Owns(HWND Wnd) const;
  // Opens the children of a row in a window beside it (SelectFirst: with its first item lit).
  void OpenSubMenu(int Row, bool SelectFirst);
  void CloseSubMenu();
  // Lays the rows out and sizes the window for them.
  void Layout();
  int ItemCount() const { return static_cast<int>(FRows.size()); }
  TMenuItem* ItemAt(int Row) const { return FRows.at(static_cast<size_t>(Row)); }
  // A row's rectangle, client coordinates; the row under a client point or -1.
  TRect RowRect(int Row) const;
  int RowAt(int X, int Y) const;
  int Selected() const { return FSelected; }
  void Select(int Row);
  // A key while the menu is up; false when the menu has no use for it.
  bool MenuKey(WORD Key);
  bool MenuChar(WideChar Ch);
  bool Closed() const { return FClosed; }
  void WndProc(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  friend class TPopupMenu;
  void Choose(int Row);
  void Step(int Delta);
  TPopupMenu* FMenu;
  TMenuItem* FItem;               // whose children the rows are
  TPopupMenuWindow* FParentMenu;  // the window this one opened from, or nullptr
  std::unique_ptr<TPopupMenuWindow> FSub;
  int FSubRow = -1;
  std::vector<TMenuItem*> FRows;
  std::vector<int> FTops;
  int FRowHeight = 0, FLineHeight = 8, FTextWidth = 0, FShortCutWidth = 0;
  int FSelected = -1;
  bool FClosed = true;
};
