#pragma once
// TCalculatorX: a four-function calculator. Its state is a display text, the mode (showing a result,
// entering a number, error), the pending operation and its left operand; every key, typed or clicked,
// goes through HandleKey. TPopupCalculatorX is the drop-down that numeric cells open; it hands its
// value back through IPopupValueEditorX and closes through the owner's ICloseUpReceiverX.

#include <string>

#include "dataedit/ToolCtrlsX.h"
#include "platform/controls/controls.h"
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

class TCalculatorX : public TCustomControl {
  DECLARE_CLASS(TCalculatorX, TCustomControl)
  explicit TCalculatorX(TComponent* AOwner);

  // Keys: digits, '.', ',' and the locale's separator, * + - / % = and Enter (13), Backspace (8),
  // Esc (27) and C (clear), I (+/-), R (1/x), S (square root), Ctrl+C (3) copy, Ctrl+V (22) paste.
  virtual void HandleKey(char Key);

  enum { cmResult = 0, cmEntering = 1, cmError = 2 };
  int Mode() const { return FMode; }
  char PendingOp() const { return FPendingOp; }
  double LeftValue() const { return FLeftValue; }
  const std::string& DisplayText() const { return FDisplay; }
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

 protected:
  void Paint() override;
  void KeyPress(WideChar& Key) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) override;
  void SetError();

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

 protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

 private:
  void CloseUp(bool Accept);
  bool FFlat = true;
};

namespace CalculatorXUnit {
void Initialize();
void Finalize();
}
