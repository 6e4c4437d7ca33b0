#pragma once
// Painting of the standard controls' parts. One function per kind of element, so that a painter with
// the desktop's own look (the host's) can take the place of the plain 3D one drawn here with GDI.

#include "platform/win/windows.h"

struct TElementState {
  bool Enabled = true;
  bool Hot = false;       // the mouse is over it
  bool Pressed = false;   // held down by the mouse or the keyboard
  bool Checked = false;   // check boxes, radio buttons; a tool button that stays down
  bool Focused = false;
  bool Default = false;   // the default push button of a dialog
  bool Flat = false;      // flat tool and speed buttons: a frame only while hot or down
  bool Mixed = false;     // a three-state check box in its third (grayed) state
};

enum class TFrameKind { Sunken, Raised, Etched, Bump, SunkenOuter, RaisedInner, Field };

class TThemePainter {
 public:
  virtual ~TThemePainter() = default;
  // Face and frame of a push button; Content receives the rectangle left for caption and glyph.
  virtual void PushButton(HDC DC, const RECT& R, const TElementState& S, RECT* Content);
  // A tool or speed button (flat or not).
  virtual void ToolButton(HDC DC, const RECT& R, const TElementState& S, RECT* Content);
  // The 13 x 13 box of a check box / the circle of a radio button, drawn into R.
  virtual void CheckBox(HDC DC, const RECT& R, const TElementState& S);
  virtual void RadioButton(HDC DC, const RECT& R, const TElementState& S);
  // A combo box: the sunken field with the drop-down button at its right edge (ButtonWidth wide).
  virtual void ComboBox(HDC DC, const RECT& R, int ButtonWidth, const TElementState& S, RECT* TextRect);
  // The drop-down button of a combo box on its own (as edits and grid cells show it), filling R;
  // Content receives the rectangle inside its frame.
  virtual void ComboButton(HDC DC, const RECT& R, const TElementState& S, RECT* Content);
  // One half of a spin (up-down) button: the upper part when Up, else the lower, filling R.
  virtual void SpinButton(HDC DC, const RECT& R, bool Up, const TElementState& S, RECT* Content);
  // A track bar's channel and thumb.
  virtual void TrackBarChannel(HDC DC, const RECT& R, const TElementState& S);
  virtual void TrackBarThumb(HDC DC, const RECT& R, const TElementState& S);
  virtual void TrackBarTick(HDC DC, int X, int Y, int Length);
  // Frames of panels, bevels, group boxes and edits.
  virtual void Frame(HDC DC, const RECT& R, TFrameKind Kind);
  // The dotted focus rectangle.
  virtual void FocusRect(HDC DC, const RECT& R);
};

// The painter in use (never nullptr). The host may install its own; nullptr restores the plain one.
TThemePainter& ThemePainter();
void SetThemePainter(TThemePainter* Painter);

// Small GDI helpers shared by the painters.
void FillSolidRect(HDC DC, const RECT& R, COLORREF Color);
void DrawHLine(HDC DC, int X1, int X2, int Y, COLORREF Color);
void DrawVLine(HDC DC, int X, int Y1, int Y2, COLORREF Color);
