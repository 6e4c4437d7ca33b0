#pragma once
// TCalculatorX: a four-function calculator. Its state is a display text, the mode (showing a result,
// entering a number, error), the pending operation and its left operand; every key, typed or clicked,
// goes through HandleKey. TPopupCalculatorX is the drop-down that numeric cells open; it hands its
// value back through IPopupValueEditorX and closes through the owner's ICloseUpReceiverX.

#include <cstdint>
#include <string>
#include <vector>

#include "dataedit/ToolCtrlsX.h"
#include "platform/classes/filer.h"
#include "platform/controls/controls.h"
#include "platform/controls/grids.h"
#include "platform/controls/stdctrls.h"
#include "platform/rtl/variants.h"

class IPopupValueEditorX {
 public:
  virtual ~IPopupValueEditorX() = default;
  virtual bool AcceptsEnter() = 0;
  virtual bool GetFlat() = 0;
  virtual void GetValue(Variant& Value) = 0;
  virtual void SetFlat(bool Value) = 0;
  virtual void SetValue(const Variant& Value) = 0;
};

// The keys and their layout come from the form resource "TCALCULATORX" (CalculatorXFormResource),
// read through ReadState when the calculator is made; the published properties below are the
// form-like ones that resource stores for the calculator itself.
class TCalculatorX : public TCustomControl {
  DECLARE_PUBLISHED_CLASS(TCalculatorX, TCustomControl)
  static void DeclarePublished(TPublished<TCalculatorX>& P) {
    P.Enum("BorderStyle", &TCalculatorX::BorderStyle, &TCalculatorX::SetBorderStyle, {"bsNone", "bsSingle"});
    P.Integer("ClientHeight", &TCalculatorX::StoredClientHeight, &TCalculatorX::SetStoredClientHeight);
    P.Integer("ClientWidth", &TCalculatorX::StoredClientWidth, &TCalculatorX::SetStoredClientWidth);
    P.Color("Color", &TCalculatorX::Color, &TCalculatorX::SetColor);
    P.Boolean("OldCreateOrder", [](TCalculatorX*) { return false; }, [](TCalculatorX*, bool) {}).Stored(false);
    P.Integer("PixelsPerInch", &TCalculatorX::PixelsPerInch, &TCalculatorX::SetPixelsPerInch);
  }
  explicit TCalculatorX(TComponent* AOwner);

  // The form's stored layout: client size and text height as read (0 when absent), pixels per inch.
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  int StoredClientWidth() const { return FStoredClientWidth; }
  void SetStoredClientWidth(int Value);
  int StoredClientHeight() const { return FStoredClientHeight; }
  void SetStoredClientHeight(int Value);
  int TextHeight() const { return FTextHeight; }
  int PixelsPerInch() const { return FPixelsPerInch; }
  // 0, or above 35 (anything else is kept out, as a form does).
  void SetPixelsPerInch(int Value);

  // Keys: digits, '.', ',' and the locale's separator, * + - / % = and Enter (13), Backspace (8),
  // Esc (27) and C (clear), I (+/-), R (1/x), S (square root), Ctrl+C (3) copy, Ctrl+V (22) paste.
  virtual void HandleKey(char Key);

  enum { cmResult = 0, cmEntering = 1, cmError = 2 };
  int Mode() const { return FMode; }
  char PendingOp() const { return FPendingOp; }
  double LeftValue() const { return FLeftValue; }
  const std::string& DisplayText() const { return FDisplay; }
  // The label of the form resource whose caption shows the display text.
  TLabel* TextBox() const { return FTextBox; }
  // The display as a number; 0 in the error state.
  double DisplayValue() const;
  void SetDisplayValue(double Value);
  // "Ok" or "=": what the equal key would do.
  const std::string& EqualCaption() const { return FEqualCaption; }
  void ResetCalculator();
  // The key with the given Tag (1..23), or nullptr.
  TSpeedButtonX* Key(int Tag) const;
  void CopyDisplay();
  void PasteDisplay();
  // With AutoSize on (as after creation) the calculator keeps its own size, whatever size a caller
  // asks for: a drop-down set to its cell's width would cut off the display and the right-hand keys.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 protected:
  void Paint() override;
  void KeyPress(WideChar& Key) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) override;
  void SetError();
  // The display label (TextBox) shows the display text.
  void ShowDisplay();
  void ReadState(TReader* Reader) override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  void DefineProperties(TFiler* Filer) override;
  // A key's click: the key table entry of its Tag goes to HandleKey.
  void SpeedButtonClick(TObject* Sender);

 private:
  void BeginInput();
  void ApplyOperator(char Key);
  void UpdateEqualCaption();
  int FMode = cmResult;
  char FPendingOp = '=';
  double FLeftValue = 0;
  // A square root or reciprocal result stands as the right operand of the pending operation.
  bool FOperandReady = false;
  std::string FDisplay = "0";
  std::string FEqualCaption = "Ok";
  TSpeedButtonX* FEqualKey = nullptr;
  TLabel* FTextBox = nullptr;
  TBorderStyle FBorderStyle = TBorderStyle::bsNone;
  int FStoredClientWidth = 0;
  int FStoredClientHeight = 0;
  int FTextHeight = 0;
  int FPixelsPerInch = 96;
};

class TPopupCalculatorX : public TCalculatorX, public IPopupValueEditorX {
  DECLARE_CLASS(TPopupCalculatorX, TCalculatorX)
  explicit TPopupCalculatorX(TComponent* AOwner);

  void HandleKey(char Key) override;
  bool AcceptsEnter() override { return EqualCaption() == "Ok"; }
  bool GetFlat() override { return FFlat; }
  void GetValue(Variant& Value) override;
  void SetFlat(bool Value) override;
  void SetValue(const Variant& Value) override;

  void Dispatch(TMessage& Message) override;
  bool CanFocus() const override { return false; }
  // With Ctl3D (on, and ParentCtl3D off, from the start) a 3-D frame of BorderWidth 2 (dark shadow
  // line, raised inner edge), else a one-pixel line; a change makes the window again.
  int PopupBorderWidth() const { return FCtl3D ? 2 : 0; }
  // The area inside the frame.
  TRect ClientRect() const override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  // Enter and Esc close the pop-up (accepting on Enter) when asked whether they are wanted.
  bool WantsKey(WORD Key, TShiftState Shift) override;

 private:
  void CloseUp(bool Accept);
  bool FFlat = true;
};

// The calculator's form resource: a component stream written from the key table by our own writer.
// Registered for "TCalculatorX" at unit start-up (and on first use, for programs and tests that make
// a calculator without the start-up list).
std::vector<uint8_t> CalculatorXFormResource();
// The key table: the character a key with the given Tag (1..23) sends to HandleKey; 0 outside.
char CalculatorXKeyChar(int Tag);
// The layout the form resource gives the key with the given Tag (1..23).
struct TCalculatorKeyLayoutX {
  const char* Caption;
  int Left, Top, Width, Height;
  TColor FontColor;
};
const TCalculatorKeyLayoutX& CalculatorXKeyLayout(int Tag);

namespace CalculatorXUnit {
void Initialize();
void Finalize();
}
