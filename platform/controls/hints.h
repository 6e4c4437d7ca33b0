#pragma once
// The hint system: a control's Hint shown in a small tool window after the mouse rested on it.
//
// The mouse entering a control that shows hints (ShowHint on it or on a parent) starts a pause
// (HintPause, which the control may change through CM_HINTSHOWPAUSE). When it ends, the control gets
// CM_HINTSHOW with a THintInfo it may edit (text, position, window class, the rectangle the hint
// belongs to, a maximum width, data for the window); a non-zero result, or an empty text, shows
// nothing. The hint window (THintWindow or the class the info names) sizes itself with
// CalcHintRect and is shown at HintPos, kept inside the work area. It goes away when the mouse leaves
// the control or the cursor rectangle, on a button press or key, or after HideTimeout. Moving from
// one hinted control to another while a hint shows uses the short pause.

#include <functional>
#include <memory>
#include <string>

#include "platform/controls/controls.h"

class THintWindow;
// Makes the hint window of a hint (its class, in the class library's terms).
using THintWindowClass = std::function<std::unique_ptr<THintWindow>()>;
template <typename T>
THintWindowClass HintWindowClassOf() {
  return [] { return std::make_unique<T>(nullptr); };
}

struct THintInfo {
  TControl* HintControl = nullptr;
  THintWindowClass HintWindowClass;  // empty: THintWindow
  TPoint HintPos;                    // screen point of the window's top-left corner
  int HintMaxWidth = 0;              // pixels; the text wraps at this width
  TColor HintColor = clInfoBk;
  TRect CursorRect;                  // client coordinates of HintControl: the hint belongs here
  TPoint CursorPos;                  // the mouse, client coordinates of HintControl
  int ReshowTimeout = 0;             // ms; above 0: asked again after this long
  int HideTimeout = 0;               // ms; 0: stays until the mouse leaves
  std::string HintStr;
  void* HintData = nullptr;
};

using TShowHintEvent = std::function<void(std::string& HintStr, bool& CanShow, THintInfo& HintInfo)>;

// The part of a hint before '|' (shown in the window) and after it (for a status line).
std::string GetShortHint(const std::string& Hint);
std::string GetLongHint(const std::string& Hint);

class THintWindow : public TCustomControl {
  DECLARE_CLASS(THintWindow, TCustomControl)
  explicit THintWindow(TComponent* AOwner);
  // The window's rectangle (from 0, 0) for a text in the canvas's font: wrapped at MaxWidth, plus
  // margins and border. A descendant may set the canvas's font (from Data, say) before calling it;
  // the hint is then shown in that font.
  virtual TRect CalcHintRect(int MaxWidth, const std::string& Hint, void* Data);
  // Shows the window at Rect (screen coordinates) with the text, without taking the activation.
  virtual void ActivateHint(TRect Rect, const std::string& Hint);
  virtual void ActivateHintData(TRect Rect, const std::string& Hint, void* Data);
  void ReleaseHandle();
  bool IsHintShowing() const { return FShowing; }
  void WndProc(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  bool FShowing = false;
};

// The application-wide settings and the running hint (the forms layer's Application gives them out
// as its properties).
namespace Hints {
bool ShowHint();
void SetShowHint(bool Value);
int HintPause();  // ms, default 500
void SetHintPause(int Value);
int HintShortPause();  // ms, default 50
void SetHintShortPause(int Value);
int HintHidePause();  // ms, default 2500
void SetHintHidePause(int Value);
TColor HintColor();
void SetHintColor(TColor Value);
void SetOnShowHint(TShowHintEvent Event);
// Hides a shown hint and forgets a pending one.
void CancelHint();
// Shows the hint of a control now, as if the pause had ended with the mouse at CursorPos (screen).
void ActivateHint(const TPoint& CursorPos);
// The window of the hint on screen, or nullptr.
THintWindow* ShownHintWindow();
TControl* HintControl();

// Fed by the control layer: every mouse message of a control, a key press, a control going away.
void MouseMessage(TControl* Control, UINT Msg, const TPoint& Screen);
void KeyPressed();
void ControlDestroyed(TControl* Control);
// Frees the hint window and the timer window (unit finalisation and tests).
void Finalize();
}  // namespace Hints
