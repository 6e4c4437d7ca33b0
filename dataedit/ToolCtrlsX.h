#pragma once
// Edit buttons and the one painter of edit buttons and check boxes (themed, flat and classic faces,
// cached as bitmaps keyed by size and state), the measures the grid and the editors read, the
// drop-down placement against the monitor's work area, the size grip's geometry and the close-up
// receiver interface through which pop-ups hand control back to their owner.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/typinfo.h"
#include "platform/controls/buttons.h"
#include "platform/controls/extctrls.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/windows.h"

// ---------------------------------------------------------------------------------------------------
// Messages shared by the drop-downs and their owners.

constexpr UINT WM_DROPDOWNSIDE = WM_USER + 100;  // 1124: wParam side 0 left, 1 right, 2 above, 3 below
constexpr UINT CM_CLOSEPOPUPX = WM_USER + 101;   // 1125: posted by a pop-up that lost the focus
constexpr UINT WM_SKIPBUTTONDOWN = WM_USER + 102;

// A pop-up tells its owner that it closes; Accept says whether its value is to be taken.
class ICloseUpReceiverX {
 public:
  virtual ~ICloseUpReceiverX() = default;
  virtual void CloseUp(bool Accept) = 0;
};

// ---------------------------------------------------------------------------------------------------
// Button styles, kinds and events

enum TEditButtonStyleX { ebsDropDownX, ebsEllipsisX, ebsGlyphX, ebsUpDownX, ebsPlusX, ebsMinusX };

// The kinds DrawEditButton paints.
enum TEditButtonKindX : uint8_t {
  bkDropDownX = 0, bkEllipsisX = 1, bkUpDownX = 2, bkCheckBoxX = 3, bkPlusX = 4, bkMinusX = 5
};
// Style -> painted kind; a glyph button is painted by the speed button itself.
extern const uint8_t EditButtonStyleKinds[6];

using TButtonClickEventX = std::function<void(TObject* Sender, bool& Handled)>;
using TButtonDownEventX = std::function<void(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)>;
using TCloseUpEventX = std::function<void(TObject* Sender, bool Accept)>;

// ---------------------------------------------------------------------------------------------------
// Unit globals, set by the unit's start-up

extern bool UseButtonsBitmapCache;
extern int FlatButtonWidth;
extern int CheckBoxWidth;
extern int CheckBoxHeight;
// Whether faces are drawn through the theme painter (the desktop's look) or in the classic 3-D
// look. On by default; tests and the host may switch it.
extern bool EditButtonThemesActive;

// 2/3 of the font height, rounded, made odd, at most the vertical scroll bar's width.
int FlatButtonWidthFor(int FontHeight, int ScrollBarWidth);
int ComputeFlatButtonWidth();
void MeasureCheckBoxSize();

// True when a second click at Point, ElapsedMs after one at PreviousPoint, makes a double click.
bool IsDoubleClickAt(POINT PreviousPoint, POINT Point, unsigned ElapsedMs);

// ---------------------------------------------------------------------------------------------------
// Painting

// DownButton: 0 not pressed, 1 pressed (upper half of an up-down), 2 lower half pressed.
// CheckState: 0 unchecked, 1 checked, 2 grayed (check boxes only).
void DrawEditButton(HDC DC, RECT Rect, COLORREF ParentColor, int CheckState, bool Enabled, bool Active, bool Flat,
                    int DownButton, int Kind);
void DrawButtonFace(HDC DC, int Kind, RECT Rect, int Part, bool Pressed, bool Active, bool Flat, bool Enabled);
void DrawCheckBoxFace(HDC DC, RECT Rect, int CheckState, bool Active, bool Pressed, bool Flat, bool Enabled);

// The cache of painted faces: one bitmap per distinct key, never evicted; reset when colours change.
struct TButtonsCacheKey {
  int32_t Width = 0, Height = 0;
  uint8_t Kind = 0;
  bool Flat = false, Pressed = false, Active = false, Enabled = true;
  uint8_t Part = 0, CheckState = 0;
  bool operator==(const TButtonsCacheKey&) const = default;
};
class TButtonsBitmapCache {
 public:
  ~TButtonsBitmapCache();
  // The memory DC holding the face for Key, painted on first use.
  HDC GetFace(const TButtonsCacheKey& Key);
  int Count() const { return static_cast<int>(FEntries.size()); }
  void Clear();

 private:
  struct Entry {
    TButtonsCacheKey Key;
    HDC DC = nullptr;
    HBITMAP Bitmap = nullptr;
    HGDIOBJ OldBitmap = nullptr;
  };
  std::vector<Entry> FEntries;
};
extern TButtonsBitmapCache* EditButtonBitmapCache;
void ResetButtonsBitmapCache();

// The check-box glyph rectangle inside a cell.
enum TCheckHorzAlignX { chaLeftX, chaRightX, chaCenterX };
enum TCheckVertAlignX { cvaTopX, cvaCenterX, cvaBottomX };
RECT AlignCheckBoxRect(const RECT& Rect, TCheckHorzAlignX HorzAlign, TCheckVertAlignX VertLayout);

// Draws image ImageIndex of ImageList centred in Rect (halves toward zero), clipped to Rect when the
// image is larger, over the list's background colour; Selected blends it 50 % with the list's blend
// colour (the highlight colour by default). A mask-type list draws the mask.
class TCustomImageList;
void DrawImageCentered(HDC DC, const RECT& Rect, TCustomImageList* ImageList, bool Selected, int ImageIndex);

// ---------------------------------------------------------------------------------------------------
// The button control an edit shows at its right edge: painted by DrawEditButton, pressed as a whole
// or (up-down) per half, and repeating OnDown while held: first after 400 ms, then every 100 ms.

class TEditButtonControlX : public TSpeedButton {
  DECLARE_CLASS(TEditButtonControlX, TSpeedButton)
  explicit TEditButtonControlX(TComponent* AOwner);
  ~TEditButtonControlX() override;

  TEditButtonStyleX Style() const { return FStyle; }
  void SetStyle(TEditButtonStyleX Value);
  bool Active() const { return FActive; }
  void SetActive(bool Value);
  // 0 none, 1 the whole button or the upper half, 2 the lower half.
  int PressedPart() const { return FPressedPart; }
  // Keeps the button pressed while its drop-down is open.
  void SetStayDown(bool Value);
  TTimer* RepeatTimer() const { return FTimer; }
  TButtonDownEventX OnDown;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Click() override;
  // WM_CANCELMODE lets the mouse go and ends a held press without a click.
  void Dispatch(TMessage& Message) override;

 private:
  void UpdatePressedPart(int Y);
  void TimerTick(TObject* Sender);
  TEditButtonStyleX FStyle = ebsDropDownX;
  bool FActive = false;
  int FPressedPart = 0;
  bool FHeld = false;          // the left button went down on it and is held
  bool FSuppressClick = false;
  bool FStayDown = false;
  TTimer* FTimer = nullptr;
};

// The key of a form (the calculator's): a button control whose look a form resource stores.
class TSpeedButtonX : public TEditButtonControlX {
  DECLARE_PUBLISHED_CLASS(TSpeedButtonX, TEditButtonControlX)
  static void DeclarePublished(TPublished<TSpeedButtonX>& P) {
    P.Boolean("Active", &TSpeedButtonX::Active, &TSpeedButtonX::SetActive).Default(false);
    P.Boolean("Flat", &TSpeedButtonX::Flat, &TSpeedButtonX::SetFlat).Default(false);
    P.Enum("Layout", &TSpeedButtonX::Layout, &TSpeedButtonX::SetLayout,
           {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"})
        .Default(blGlyphLeft);
    P.Enum("Style", &TSpeedButtonX::Style, &TSpeedButtonX::SetStyle,
           {"ebsDropDownX", "ebsEllipsisX", "ebsGlyphX", "ebsUpDownX", "ebsPlusX", "ebsMinusX"})
        .Default(ebsDropDownX);
    P.Event("OnClick");
  }
  explicit TSpeedButtonX(TComponent* AOwner) : TEditButtonControlX(AOwner) {}
};

// ---------------------------------------------------------------------------------------------------
// Button definitions: one per button an edit shows, alone (made for a control) or in a collection.

class TPopupMenu;
class TWinControl;

class TEditButtonX : public TCollectionItem {
  DECLARE_PUBLISHED_CLASS(TEditButtonX, TCollectionItem)
  // Defined beside the button definitions (the menu class is known there).
  static void DeclarePublished(TPublished<TEditButtonX>& P);
  explicit TEditButtonX(TCollection* ACollection);
  // A button of one edit control, outside any collection.
  static TEditButtonX* CreateForControl(TWinControl* EditControl);
  ~TEditButtonX() override;

  TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  // The component that holds this button (its edit, or the grid of its column) is asked for a free
  // notification of the menu, and forgets it through ForgetDropdownMenu.
  void SetDropdownMenu(TPopupMenu* Value);
  // From a holder's Notification: clears the menu when it is AComponent (compared by address: a
  // component being destroyed is no longer of its own class); true when it was.
  bool ForgetDropdownMenu(TComponent* AComponent);
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  int NumGlyphs() const { return FNumGlyphs; }
  // Kept between 1 and 4.
  void SetNumGlyphs(int Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  TEditButtonStyleX Style() const { return FStyle; }
  void SetStyle(TEditButtonStyleX Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TWinControl* EditControl() const { return FEditControl; }
  TButtonClickEventX OnClick;
  TButtonDownEventX OnDown;
  // Set by the owning edit: told of every change in place of the collection.
  TNotifyEvent OnInternalChange;

  void Assign(TPersistent* Source) override;
  // The control that shows this button: owned and parented by the edit, 10 x 17, visible.
  virtual TEditButtonControlX* CreateButtonControl();

 protected:
  void ReportChange();
  // The edit control, or the first component up the collection's chain of owners; nullptr when none.
  TComponent* NotifiedComponent() const;
  void SetEditControl(TWinControl* EditControl) { FEditControl = EditControl; }
  TShortCut FShortCut = 0;
  bool FVisible = false;

 private:
  TWinControl* FEditControl = nullptr;
  TPopupMenu* FDropdownMenu = nullptr;
  std::unique_ptr<TBitmap> FGlyph;
  std::string FHint;
  int FNumGlyphs = 1;
  TEditButtonStyleX FStyle = ebsDropDownX;
  int FWidth = 0;
};

// The button an edit shows by default: visible, opened by Alt+Down.
class TVisibleEditButtonX : public TEditButtonX {
  DECLARE_PUBLISHED_CLASS(TVisibleEditButtonX, TEditButtonX)
  static void DeclarePublished(TPublished<TVisibleEditButtonX>& P) {
    P.Integer("ShortCut", &TVisibleEditButtonX::ShortCut, &TVisibleEditButtonX::SetShortCut).Default(32808);
    P.Boolean("Visible", &TVisibleEditButtonX::Visible, &TVisibleEditButtonX::SetVisible).Default(true);
  }
  explicit TVisibleEditButtonX(TCollection* ACollection);
  // The main button of one edit control, outside any collection.
  static TVisibleEditButtonX* CreateForControl(TWinControl* EditControl);
};

class TEditButtonsX : public TCollection {
  DECLARE_CLASS(TEditButtonsX, TCollection)
  TEditButtonsX(TPersistent* AOwner, TClass ItemClass, TCollectionItemFactory Factory);
  TEditButtonX* Items(int Index) const { return static_cast<TEditButtonX*>(TCollection::Items(Index)); }
  TEditButtonX* Add() { return static_cast<TEditButtonX*>(TCollection::Add()); }
  std::function<void(TCollectionItem* Item)> OnInternalChange;

 protected:
  TPersistent* GetOwner() override { return FOwner; }
  void Update(TCollectionItem* Item) override;

 private:
  TPersistent* FOwner;
};

// ---------------------------------------------------------------------------------------------------
// Drop-down placement and the size grip's geometry

enum TDropDownAlign { daLeft, daRight, daCenter };

// Places a window of the given size for the owner's screen rectangle against the work area of the
// monitor nearest to it. Width and Height may shrink (never below MinHeight, the height of one row,
// nor below 1); Pos receives the top-left point; the sides are sent to DropDown (when not null) as
// WM_DROPDOWNSIDE, vertical first. VertSide/HorzSide receive them too.
struct TDropDownPlacement {
  POINT Pos{0, 0};
  int Width = 0, Height = 0;
  int VertSide = 3, HorzSide = 1;
};
TDropDownPlacement PlaceDropDown(const RECT& OwnerRect, const RECT& WorkArea, int Width, int Height,
                                 TDropDownAlign Align, int MinHeight);
// The same for a real window: the work area of the monitor nearest to Rect; the window's size is set.
void PositionDropDownAtRect(const RECT& Rect, class TWinControl* DropDown, TDropDownAlign Align, POINT& Pos,
                            int MinHeight = 1);
void PositionDropDownWindow(class TControl* EditControl, class TWinControl* DropDown, TDropDownAlign Align,
                            POINT& Pos, int MinHeight = 1);
// Closes a shown drop-down: ends any mouse capture, hides it without activating anything, and gives
// the focus back to Owner when the drop-down had it.
void HideDropDownWindow(class TWinControl* DropDown, class TWinControl* Owner);

// The corner a grip moves to when its drop-down opened on Side (0 left, 1 right, 2 above, 3 below).
int GripCornerForSide(int Corner, int Side);
// The triangle a grip of W x H in Corner is clipped to.
std::vector<POINT> GripTriangle(int Corner, int W, int H);

// One step of dragging the grip: the parent's new bounds for the mouse at (X, Y), given what was
// recorded at mouse-down. The parent never gets smaller than MinClientWidth x MinClientHeight
// (at least the grip's own size) nor leaves the work area.
struct TGripDragStart {
  POINT Mouse{0, 0};
  RECT Bounds{0, 0, 0, 0};   // the parent's screen bounds
  int ClientWidth = 0, ClientHeight = 0;
};
RECT GripDragBounds(int Corner, const TGripDragStart& Start, POINT Mouse, const RECT& WorkArea, int MinClientWidth,
                    int MinClientHeight);

namespace ToolCtrlsXUnit {
void Initialize();
void Finalize();
}
