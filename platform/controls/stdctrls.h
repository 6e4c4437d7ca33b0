#pragma once
// Standard controls: label, push button, check box, radio button, group box and the drop-down list
// combo box (the edits are in edits.h, included here).

#include <memory>
#include <string>

#include "platform/controls/controls.h"
#include "platform/controls/edits.h"

// Draws Text with Font into R of DC (DrawText flags); disabled text is drawn embossed.
void DrawControlText(HDC DC, const std::string& Text, RECT R, UINT Format, TFont* Font, bool Enabled);
SIZE MeasureControlText(const std::string& Text, TFont* Font, int MaxWidth = 0);
// The same with the prefix rule given: DT_NOPREFIX (an "&" is a character) or 0 (an "&" marks the
// access key and takes no room).
SIZE MeasureControlText(const std::string& Text, TFont* Font, int MaxWidth, UINT PrefixFlags);

// ---------------------------------------------------------------------------------------------------

class TLabel : public TGraphicControl {
  DECLARE_PUBLISHED_CLASS(TLabel, TGraphicControl)
  // What a form resource stores of a label besides the control's own properties.
  static void DeclarePublished(TPublished<TLabel>& P) {
    P.Enum("Alignment", &TLabel::Alignment, &TLabel::SetAlignment, {"taLeftJustify", "taRightJustify", "taCenter"})
        .Default(taLeftJustify);
    P.Boolean("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize).Default(true);
    P.Enum("Layout", &TLabel::Layout, &TLabel::SetLayout, {"tlTop", "tlCenter", "tlBottom"}).Default(tlTop);
    P.Boolean("Transparent", &TLabel::Transparent, &TLabel::SetTransparent).Default(false);
    P.Boolean("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap).Default(false);
  }
  explicit TLabel(TComponent* AOwner);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value) { SetAutoSizeFlag(Value); }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // "&" in the caption marks the access key (underlined) unless this is off.
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value) {
    FShowAccelChar = Value;
    AdjustSize();
    Invalidate();
  }

 protected:
  void Paint() override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;

 private:
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FTransparent = false;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
};

// ---------------------------------------------------------------------------------------------------

class TButtonControl : public TWinControl {
  DECLARE_CLASS(TButtonControl, TWinControl)
  explicit TButtonControl(TComponent* AOwner);

 protected:
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  // Space presses, Return on a focused push button clicks.
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void EraseBackground(HDC DC) override;
  bool FHot = false;
  bool FPressed = false;     // the mouse button or space is held on it
  bool FMouseInside = false;
  bool FSpaceDown = false;
};

class TButton : public TButtonControl {
  DECLARE_CLASS(TButton, TButtonControl)
  explicit TButton(TComponent* AOwner);
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  // Clicks as the user would: OnClick, then the form takes the modal result.
  void Click() override;

 protected:
  void PaintWindow(HDC DC) override;

 private:
  TModalResult FModalResult = mrNone;
  bool FDefault = false;
  bool FCancel = false;
};

class TCustomCheckBox : public TButtonControl {
  DECLARE_CLASS(TCustomCheckBox, TButtonControl)
  explicit TCustomCheckBox(TComponent* AOwner);
  bool Checked() const { return FChecked; }
  virtual void SetChecked(bool Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);

 protected:
  void PaintWindow(HDC DC) override;
  virtual bool IsRadio() const { return false; }
  bool FChecked = false;
  TAlignment FAlignment = taRightJustify;  // caption at the right of the box
};

class TCheckBox : public TCustomCheckBox {
  DECLARE_CLASS(TCheckBox, TCustomCheckBox)
  explicit TCheckBox(TComponent* AOwner);
  void Click() override;
  TNotifyEvent OnChange;
};

// Radio buttons of one parent form a group: checking one unchecks the others.
class TRadioButton : public TCustomCheckBox {
  DECLARE_CLASS(TRadioButton, TCustomCheckBox)
  explicit TRadioButton(TComponent* AOwner);
  // Setting true unchecks the siblings and runs OnClick (as a click does).
  void SetChecked(bool Value) override;
  void Click() override;

 protected:
  bool IsRadio() const override { return true; }
  void KeyDown(WORD& Key, TShiftState Shift) override;
  bool WantsKey(WORD Key, TShiftState Shift) override;
};

// ---------------------------------------------------------------------------------------------------

class TGroupBox : public TCustomControl {
  DECLARE_CLASS(TGroupBox, TCustomControl)
  explicit TGroupBox(TComponent* AOwner);

 protected:
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
};

// ---------------------------------------------------------------------------------------------------

// The one-line edit (TCustomEdit, TEdit) and the mask edit live in platform/controls/edits.h.

// ---------------------------------------------------------------------------------------------------

// The three states of a check box: cleared, set, and neither (a null value).
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboListPopup;

// A combo box that picks one of its items from a drop-down list (csDropDownList). OnChange runs when
// the user picks an item (list, keys, wheel), not when ItemIndex is set by code.
class TComboBox : public TWinControl {
  DECLARE_CLASS(TComboBox, TWinControl)
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;
  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value);
  std::string Text() const override;
  void SetText(const std::string& Value) override;
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value) { FStyle = Value; }
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int Value) { FDropDownCount = Value; }
  int ItemHeight() const;
  bool DroppedDown() const;
  void SetDroppedDown(bool Value);
  // The pop-up list's window while it is shown (for tests), else nullptr.
  HWND ListHandle() const;
  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

 protected:
  void PaintWindow(HDC DC) override;
  void EraseBackground(HDC DC) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  bool WantsKey(WORD Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) override;
  void DoExit() override;
  virtual void Change();

 private:
  friend class TComboListPopup;
  // The user chose Index (list, key or wheel): selection, text and OnChange when it differs.
  void UserSelect(int Index);
  void CloseUp(bool Accept);
  std::unique_ptr<TStringList> FItems;
  int FItemIndex = -1;
  TComboBoxStyle FStyle = csDropDown;
  int FDropDownCount = 8;
  std::unique_ptr<TComboListPopup> FPopup;
};
