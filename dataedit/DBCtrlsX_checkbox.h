#pragma once
// The data-aware check box of unit DBCtrlsX: a self-painted three-state box bound through a field data
// link. A Boolean field is read and written as a Boolean; any other field is matched against the
// ';'-lists ValueChecked and ValueUnchecked and written as the first entry of one of them; Null shows
// grayed. Without data source and field the box keeps its state in the link as True, False or Null.
//
// How the state changes: Toggle (a click, Space released, BN_CLICKED) moves the state one step through
// SetStateInternal and only marks the link modified; the value reaches the field when the data set
// posts or the control is left. The State setter writes at once (CommitData). SetStateInternal fires
// OnClick through the button control's own Click, never through the overridden Click, which toggles.

#include <functional>
#include <memory>
#include <string>

#include "dataedit/DBCtrlsX.h"
#include "dataedit/DBCtrlsXRules.h"
#include "platform/controls/stdctrls.h"
#include "platform/data/db.h"

using TUpdateDataEventX = std::function<void(TObject* Sender, bool& Handled)>;

class TCustomDBCheckBoxX : public TButtonControl {
  DECLARE_CLASS(TCustomDBCheckBoxX, TButtonControl)
  explicit TCustomDBCheckBoxX(TComponent* AOwner);
  ~TCustomDBCheckBoxX() override;

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);  // taLeftJustify or taRightJustify (the caption's side)
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  bool AlwaysShowBorder() const { return FAlwaysShowBorder; }
  void SetAlwaysShowBorder(bool Value);
  bool Checked() const { return FState == cbChecked; }
  void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
  std::string DataField() const;
  void SetDataField(const std::string& Value);
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  bool ReadOnly() const;
  void SetReadOnly(bool Value);
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState Value);
  const std::string& ValueChecked() const { return FValueChecked; }
  void SetValueChecked(const std::string& Value);
  const std::string& ValueUnchecked() const { return FValueUnchecked; }
  void SetValueUnchecked(const std::string& Value);
  // Stored with the form only when data-independent and not unchecked.
  bool StateStored() const { return IsDataIndependent() && FState != cbUnchecked; }

  TFieldDataLinkX* DataLink() const { return FDataLink.get(); }
  // The state the field (or the kept value) stands for now.
  TCheckBoxState GetFieldState() const;
  bool Modified() const { return FModified; }

  TUpdateDataEventX OnUpdateData;

  // Right-to-left alignment by the data-aware rule for the field: the caption changes sides.
  bool UseRightToLeftAlignment() const override;
  // taLeftJustify only right to left with the caption at the right (taRightJustify), else
  // taRightJustify.
  TAlignment GetControlsAlignment() const override;

 protected:
  virtual void Paint();
  virtual bool IsDataIndependent() const;
  virtual void DrawCaptionRect(HDC DC, RECT R, bool Focused);
  virtual void DrawCheckBoxRect(HDC DC, RECT R, TCheckBoxState State, bool Focused, bool Pressed, bool MouseAbove);
  virtual void DrawControl(HDC DC, TCheckBoxState State, bool Focused, bool Pressed, bool MouseAbove);
  virtual void SetStateInternal(TCheckBoxState Value);
  virtual void StoreStateInLink();
  virtual void Toggle();
  virtual void CommitData();

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void PaintWindow(HDC DC) override;
  void KeyPress(WideChar& Key) override;
  bool WantsKey(WORD Key, TShiftState Shift) override;
  void Click() override;
  void DoExit() override;

 private:
  void DataChange(TObject* Sender);
  void UpdateData(TObject* Sender);

  std::unique_ptr<TFieldDataLinkX> FDataLink;
  TAlignment FAlignment = taRightJustify;
  bool FAllowGrayed = false;
  bool FAlwaysShowBorder = false;
  bool FFlat = false;
  TCheckBoxState FState = cbUnchecked;
  std::string FValueChecked = "True";
  std::string FValueUnchecked = "False";
  bool FClicksDisabled = false;
  bool FPosting = false;
  bool FModified = false;
  HDC FPaintDC = nullptr;  // the device context of the paint in progress

  // Actions: the box's own answer first, then the data link's (data-set actions).
 public:
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);
};

class TDBCheckBoxX : public TCustomDBCheckBoxX {
  DECLARE_PUBLISHED_CLASS(TDBCheckBoxX, TCustomDBCheckBoxX)
  static void DeclarePublished(TPublished<TDBCheckBoxX>& P) {
    P.Enum("Alignment", &TDBCheckBoxX::Alignment, &TDBCheckBoxX::SetAlignment,
           {"taLeftJustify", "taRightJustify", "taCenter"})
        .Default(taRightJustify);
    P.Boolean("AllowGrayed", &TDBCheckBoxX::AllowGrayed, &TDBCheckBoxX::SetAllowGrayed).Default(false);
    P.Boolean("AlwaysShowBorder", &TDBCheckBoxX::AlwaysShowBorder, &TDBCheckBoxX::SetAlwaysShowBorder).Default(false);
    P.Boolean("Checked", &TDBCheckBoxX::Checked, &TDBCheckBoxX::SetChecked).Stored(false);
    P.String("DataField", &TDBCheckBoxX::DataField, &TDBCheckBoxX::SetDataField);
    P.Component("DataSource", &TDBCheckBoxX::DataSource, &TDBCheckBoxX::SetDataSource);
    P.Boolean("Flat", &TDBCheckBoxX::Flat, &TDBCheckBoxX::SetFlat).Default(false);
    P.Boolean("ReadOnly", &TDBCheckBoxX::ReadOnly, &TDBCheckBoxX::SetReadOnly).Default(false);
    // The value lists first, so that a stored State is read against them.
    P.String("ValueChecked", &TDBCheckBoxX::ValueChecked, &TDBCheckBoxX::SetValueChecked)
        .StoredWhen([](TObject* O) { return static_cast<TDBCheckBoxX*>(O)->ValueChecked() != "True"; });
    P.String("ValueUnchecked", &TDBCheckBoxX::ValueUnchecked, &TDBCheckBoxX::SetValueUnchecked)
        .StoredWhen([](TObject* O) { return static_cast<TDBCheckBoxX*>(O)->ValueUnchecked() != "False"; });
    P.Enum("State", &TDBCheckBoxX::State, &TDBCheckBoxX::SetState, {"cbUnchecked", "cbChecked", "cbGrayed"})
        .NoDefault()
        .Stored(&TDBCheckBoxX::StateStored);
    P.Event("OnClick");
  }
  explicit TDBCheckBoxX(TComponent* AOwner) : TCustomDBCheckBoxX(AOwner) {}
};
