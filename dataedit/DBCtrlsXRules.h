#pragma once
// The arithmetic and text rules of the data-aware controls (unit DBCtrlsX), kept out of the window code
// so that each is checked on its own: the check box's value lists and state changes, the edit's window
// style and height, the layout of its button strip and text rectangles, and the combo box's list stepping,
// item matching and drop-down width. The controls call these; nothing here touches a window.

#include <string>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/controls/stdctrls.h"
#include "platform/rtl/variants.h"
#include "platform/win/windows.h"

// ---------------------------------------------------------------------------------------------------
// Check box

// The check box's states are the class library's TCheckBoxState; grayed stands for Null or a value in
// neither list.

// True when one of the ';'-separated entries of List, trimmed of blanks, equals Text ignoring case.
bool ValueMatch(const std::string& List, const std::string& Text);
// The first ';'-separated entry of List, trimmed: the text a checked or unchecked state writes.
std::string FirstValueEntry(const std::string& List);
// A field's edit text read against the two lists: checked list first, then unchecked, else grayed.
TCheckBoxState CheckBoxStateOfText(const std::string& Text, const std::string& ValueChecked,
                                   const std::string& ValueUnchecked);
// The value a data-independent check box keeps: equal to True is checked, equal to False (the number 0
// included) unchecked, anything else (Null, other numbers, texts) grayed.
TCheckBoxState CheckBoxStateOfValue(const Variant& Value);
// What a data-independent check box keeps for a state: Null, True or False.
Variant CheckBoxValueOfState(TCheckBoxState State);
// One toggle: unchecked goes to grayed only with AllowGrayed, else to checked; checked to unchecked;
// grayed to checked.
TCheckBoxState ToggledCheckBoxState(TCheckBoxState State, bool AllowGrayed);

// ---------------------------------------------------------------------------------------------------
// Edit: window style and height

// The ES_ alignment bit for a window by word wrap, reading direction and alignment. Without word wrap
// the window only follows the reading direction; the unfocused edit paints other alignments itself.
DWORD EditAlignmentStyle(bool WordWrap, bool RightToLeft, TAlignment Alignment);
// The edit's style bits over the inherited ones: no auto-scroll with word wrap, multi-line unless a
// password character hides the text, then the alignment bit.
DWORD DBEditWindowStyle(DWORD Inherited, bool WordWrap, bool HasPasswordChar, bool RightToLeft,
                        TAlignment Alignment);
// The pixels the border takes from an auto-sized edit's height. New-style systems: CyBorder x 8 for a
// 3-D unflat edit, x 4 for a flat edit without 3-D, x 6 otherwise; old systems 4 x CyBorder plus a
// quarter of the smaller font height.
int EditBorderAllowance(bool NewStyle, bool Ctl3D, bool Flat, int CyBorder, int SystemFontHeight,
                        int FontHeight);
// The auto-sized height: border allowance plus the font height, or the image list's height when the
// edit shows images by their height and that is larger.
int FitEditHeight(int Allowance, int FontHeight, bool HasImages, bool UseImageHeight, int ImageHeight);

// ---------------------------------------------------------------------------------------------------
// Edit: the button strip

// One button as the strip sees it.
struct TStripButtonX {
  bool Visible = true;
  int Width = 0;  // 0 or less: the default width
};

// Where each button and its separator go. Index 0 is the main button, index i+1 EditButtons[i].
struct TButtonStripLayoutX {
  std::vector<RECT> Buttons;
  std::vector<RECT> Separators;
  std::vector<int> Widths;
  int ButtonHeight = 0;  // 0 when no button is visible
  int StripWidth = 0;
};

// The width a button takes: 0 invisible, its own width when set, else the flat width for a flat edit,
// else the scroll bar's width.
int StripButtonWidth(const TStripButtonX& Button, bool Flat, int FlatWidth, int ScrollBarWidth);
// Lays the buttons out from the client's right edge leftwards (from the left edge rightwards when right
// to left): separator, main button, separator, EditButtons[0]... Buttons are square while one and a
// half widths fit the client height, else as high as the client; the strip's height is the least of its
// visible buttons'. Separators are 1 pixel wide in a flat edit, before each visible button.
TButtonStripLayoutX LayoutButtonStrip(const std::vector<TStripButtonX>& Buttons, int ClientWidth,
                                      int ClientHeight, bool Flat, bool RightToLeft, int FlatWidth,
                                      int ScrollBarWidth);

// The strip's rectangle; the inset form is for a new-style single-border edit without 3-D, whose border
// lies inside the client area. Right to left it is mirrored to the left edge.
RECT EditButtonsRect(int ClientWidth, int ClientHeight, int StripWidth, bool Inset, bool RightToLeft);
// The rectangle of the image at the leading edge.
RECT EditImageRect(int ClientWidth, int ClientHeight, int ImageWidth, bool RightToLeft);
// The formatting rectangle of the window's own text: the client without the strip and the image.
RECT EditFormatRect(int ClientWidth, int ClientHeight, int StripWidth, int ImageWidth, bool RightToLeft);
// The rectangle in which the unfocused edit paints its text.
RECT EditPaintTextRect(int ClientWidth, int ClientHeight, int StripWidth, int ImageWidth, bool Inset,
                       bool RightToLeft);
// Where the unfocused text starts: after the left margin, against the right edge less the margin, or
// centred in the paint rectangle.
int EditPaintTextX(TAlignment Alignment, const RECT& PaintRect, int TextWidth, int LeftMargin);

// ---------------------------------------------------------------------------------------------------
// Combo box

// Items offered: all items, or with key items only as many as both lists have.
int EffectiveItemCount(int ItemCount, int KeyItemCount);
// Up and down through Count items from Index (-1 for none): up from none goes to the last item and stays
// on item 0; down from none goes to item 0 and stays on the last. No items: -1.
int SteppedItemIndex(int Index, int Count, bool Up);
// The first of the first Count items equal to Text ignoring case, comparing only Text's length of each
// item when Partial; -1 when none.
int MatchItemText(const std::vector<std::string>& Items, int Count, const std::string& Text, bool Partial);
// The drop-down's client width: the widest text + 5 (+ image width + 4 with images) for -1, the
// control's width for other values below 1, else the set width; never narrower than the control.
int DropDownClientWidth(int BoxWidth, int ControlWidth, int WidestText, bool HasImages, int ImageWidth);
