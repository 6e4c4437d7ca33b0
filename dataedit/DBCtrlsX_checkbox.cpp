// The data-aware check box: state from and to the field, toggling, keys, leaving, painting.
#include "dataedit/DBCtrlsX_checkbox.h"

#include <algorithm>

#include "dataedit/ToolCtrlsX.h"
#include "platform/controls/actions.h"
#include "platform/controls/themes.h"

TCustomDBCheckBoxX::TCustomDBCheckBoxX(TComponent* AOwner) : TButtonControl(AOwner) {
  FWidth = 97;
  FHeight = 17;
  FTabStop = true;
  FControlStyle.Exclude(csDoubleClicks);
  FControlStyle.Include(csReplicatable);
  // A box takes no text: with an input method behind the keyboard, it is off while the box has the focus.
  if (InputMethodPresent()) SetImeMode(imDisable);
  FDataLink = std::make_unique<TFieldDataLinkX>();
  FDataLink->SetControl(this);
  FDataLink->OnDataChange = [this](TObject* Sender) { DataChange(Sender); };
  FDataLink->OnUpdateData = [this](TObject* Sender) { UpdateData(Sender); };
  // The number 0 reads as unchecked until something else is kept.
  FDataLink->SetValue(Variant(0));
}

TCustomDBCheckBoxX::~TCustomDBCheckBoxX() = default;

void TCustomDBCheckBoxX::SetAlignment(TAlignment Value) {
  if (Value == taCenter || Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomDBCheckBoxX::SetAlwaysShowBorder(bool Value) {
  if (Value == FAlwaysShowBorder) return;
  FAlwaysShowBorder = Value;
  Invalidate();
}

void TCustomDBCheckBoxX::SetFlat(bool Value) {
  if (Value == FFlat) return;
  FFlat = Value;
  Invalidate();
}

std::string TCustomDBCheckBoxX::DataField() const { return FDataLink->FieldName(); }
void TCustomDBCheckBoxX::SetDataField(const std::string& Value) { FDataLink->SetFieldName(Value); }
TDataSource* TCustomDBCheckBoxX::DataSource() const { return FDataLink->DataSource(); }

void TCustomDBCheckBoxX::SetDataSource(TDataSource* Value) {
  FDataLink->SetDataSource(Value);
  if (Value) Value->FreeNotification(this);
}

bool TCustomDBCheckBoxX::ReadOnly() const { return FDataLink->ReadOnly(); }
void TCustomDBCheckBoxX::SetReadOnly(bool Value) { FDataLink->SetReadOnly(Value); }

bool TCustomDBCheckBoxX::IsDataIndependent() const { return FDataLink->DataIndependent(); }

void TCustomDBCheckBoxX::Notification(TComponent* AComponent, TOperation Operation) {
  TButtonControl::Notification(AComponent, Operation);
  if (Operation == opRemove && FDataLink && AComponent == DataSource()) SetDataSource(nullptr);
}

TCheckBoxState TCustomDBCheckBoxX::GetFieldState() const {
  if (IsDataIndependent()) return CheckBoxStateOfValue(FDataLink->DataIndependentValue());
  TField* F = FDataLink->Field();
  if (!F) return cbUnchecked;
  if (F->IsNull()) return cbGrayed;
  if (F->DataType() == ftBoolean) return F->AsBoolean() ? cbChecked : cbUnchecked;
  return CheckBoxStateOfText(F->Text(), FValueChecked, FValueUnchecked);
}

void TCustomDBCheckBoxX::DataChange(TObject* /*Sender*/) {
  SetStateInternal(GetFieldState());
  FModified = false;
}

void TCustomDBCheckBoxX::SetValueChecked(const std::string& Value) {
  FValueChecked = Value;
  DataChange(this);
}

void TCustomDBCheckBoxX::SetValueUnchecked(const std::string& Value) {
  FValueUnchecked = Value;
  DataChange(this);
}

void TCustomDBCheckBoxX::SetStateInternal(TCheckBoxState Value) {
  if (Value == FState) return;
  FState = Value;
  // OnClick only: the overridden Click toggles and would change the state again.
  if (!FClicksDisabled) TButtonControl::Click();
  Invalidate();
  FModified = true;
}

void TCustomDBCheckBoxX::SetState(TCheckBoxState Value) {
  if (ComponentState().Contains(csDesigning) && !IsDataIndependent()) return;
  // A field name without a data source has no data set to edit: the box then acts unbound.
  if (!IsDataIndependent())
    if (TDataSet* DS = FDataLink->DataSet()) DS->Edit();
  SetStateInternal(Value);
  if (FPosting) return;
  try {
    CommitData();
  } catch (...) {
    FDataLink->ReloadRecord();
    throw;
  }
}

void TCustomDBCheckBoxX::Toggle() {
  if (!FDataLink->StartEdit()) return;
  SetStateInternal(ToggledCheckBoxState(FState, FAllowGrayed));
  FDataLink->MarkModified();
  Invalidate();
}

void TCustomDBCheckBoxX::UpdateData(TObject* /*Sender*/) { CommitData(); }

void TCustomDBCheckBoxX::CommitData() {
  bool Handled = false;
  if (OnUpdateData) {
    FPosting = true;
    try {
      OnUpdateData(this, Handled);
    } catch (...) {
      FPosting = false;
      throw;
    }
    FPosting = false;
  }
  if (!Handled) StoreStateInLink();
}

void TCustomDBCheckBoxX::StoreStateInLink() {
  if (IsDataIndependent()) {
    FDataLink->SetValue(CheckBoxValueOfState(FState));
    return;
  }
  TField* F = FDataLink->Field();
  if (!F) return;
  if (FState == cbGrayed)
    F->Clear();
  else if (F->DataType() == ftBoolean)
    F->SetAsBoolean(FState == cbChecked);
  else
    F->SetText(FirstValueEntry(FState == cbChecked ? FValueChecked : FValueUnchecked));
}

void TCustomDBCheckBoxX::Click() {
  Toggle();
  Changed();
}

void TCustomDBCheckBoxX::KeyPress(WideChar& Key) {
  TButtonControl::KeyPress(Key);
  switch (Key) {
    case 8:
    case ' ':
      FDataLink->StartEdit();
      break;
    case 27:
      FDataLink->ReloadRecord();
      break;
    default:
      break;
  }
}

bool TCustomDBCheckBoxX::WantsKey(WORD Key, TShiftState Shift) {
  if (Key == VK_ESCAPE && FModified) return true;
  return TButtonControl::WantsKey(Key, Shift);
}

void TCustomDBCheckBoxX::DoExit() {
  try {
    FDataLink->UpdateRecord();
  } catch (...) {
    SetFocus();
    throw;
  }
  TButtonControl::DoExit();
}

void TCustomDBCheckBoxX::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // Focusing may reload the record; that must not count as a click.
      if (FEnabled && !Focused() && !ComponentState().Contains(csDesigning)) {
        FClicksDisabled = true;
        if (CanFocus()) ::SetFocus(Handle());
        FClicksDisabled = false;
        if (!Focused()) return;
      }
      break;
    default:
      break;
  }
  TButtonControl::WndProc(Message);
}

void TCustomDBCheckBoxX::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_GETDATALINK:
      Message.Result = reinterpret_cast<LRESULT>(FDataLink.get());
      return;
    case CM_ACTIONEXECUTE:
      Message.Result = ExecuteAction(reinterpret_cast<TBasicAction*>(Message.LParam)) ? 1 : 0;
      return;
    case CM_ACTIONUPDATE:
      Message.Result = UpdateAction(reinterpret_cast<TBasicAction*>(Message.LParam)) ? 1 : 0;
      return;
    case CM_DIALOGCHAR:
      // The caption's accelerator focuses the box and toggles it once it has the focus.
      if (IsAccel(static_cast<WORD>(Message.WParam), FText) && CanFocus()) {
        SetFocus();
        if (Focused()) Toggle();
        Message.Result = 1;
        return;
      }
      break;
    case CM_CTL3DCHANGED:
      TButtonControl::Dispatch(Message);
      RecreateWnd();
      return;
    case WM_CANCELMODE: {
      const bool WasDown = FPressed;
      TButtonControl::Dispatch(Message);
      if (HandleAllocated() && GetCapture() == Handle()) {
        ReleaseCapture();
        if (WasDown) Perform(WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(-1), static_cast<WORD>(-1)));
      }
      return;
    }
    case WM_ERASEBKGND:
      if (EditButtonThemesActive) {
        // Themed: the background is the control's colour, as for a static control.
        RECT R{0, 0, FWidth, FHeight};
        FillSolidRect(reinterpret_cast<HDC>(Message.WParam), R, ColorRef(FColor));
        Message.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TButtonControl::Dispatch(Message);
}

void TCustomDBCheckBoxX::PaintWindow(HDC DC) {
  FPaintDC = DC;
  Paint();
  FPaintDC = nullptr;
}

void TCustomDBCheckBoxX::Paint() {
  if (!FPaintDC) return;
  if (ControlState().Contains(csPaintCopy)) {
    DrawControl(FPaintDC, GetFieldState(), false, false, false);
    return;
  }
  const bool Pressed = (FPressed && FMouseInside) || FSpaceDown;
  DrawControl(FPaintDC, FState, Focused(), Pressed, FHot);
}

bool TCustomDBCheckBoxX::UseRightToLeftAlignment() const {
  return DBUseRightToLeftAlignment(this, FDataLink ? FDataLink->Field() : nullptr);
}

TAlignment TCustomDBCheckBoxX::GetControlsAlignment() const {
  return UseRightToLeftAlignment() && FAlignment == taRightJustify ? taLeftJustify : taRightJustify;
}

void TCustomDBCheckBoxX::DrawControl(HDC DC, TCheckBoxState State, bool IsFocused, bool Pressed,
                                     bool MouseAbove) {
  const RECT Client{0, 0, FWidth, FHeight};
  FillSolidRect(DC, Client, ColorRef(FColor));
  const int Top = (FHeight - CheckBoxHeight) / 2;
  RECT Box, Caption;
  // The caption is on the left for taLeftJustify, or for taRightJustify right to left.
  if (MirroredAlignment(FAlignment, UseRightToLeftAlignment()) == taLeftJustify) {
    Box = RECT{FWidth - CheckBoxWidth, Top, FWidth, Top + CheckBoxHeight};
    Caption = RECT{0, 0, Box.left - 5, FHeight};
  } else {
    Box = RECT{0, Top, CheckBoxWidth, Top + CheckBoxHeight};
    Caption = RECT{Box.right + 5, 0, FWidth, FHeight};
  }
  DrawCaptionRect(DC, Caption, IsFocused);
  DrawCheckBoxRect(DC, Box, State, IsFocused, Pressed, MouseAbove);
}

void TCustomDBCheckBoxX::DrawCheckBoxRect(HDC DC, RECT R, TCheckBoxState State, bool IsFocused, bool Pressed,
                                          bool MouseAbove) {
  const bool Designing = ComponentState().Contains(csDesigning);
  DrawEditButton(DC, R, ColorRef(FColor), static_cast<int>(State), FEnabled || Designing,
                 IsFocused || MouseAbove || FAlwaysShowBorder, FFlat, Pressed ? 1 : 0, bkCheckBoxX);
}

void TCustomDBCheckBoxX::DrawCaptionRect(HDC DC, RECT R, bool IsFocused) {
  // "&" marks the access key (underlined), as on other buttons.
  const SIZE Size = MeasureControlText(FText, FFont.get(), 0, 0);
  RECT T{R.left, FHeight / 2 - Size.cy / 2, R.left + Size.cx, 0};
  T.bottom = T.top + Size.cy;
  T.right = std::min<LONG>(T.right, R.right);
  DrawControlText(DC, FText, T, DT_SINGLELINE | DrawTextBiDiModeFlagsReadingOnly(), FFont.get(),
                  FEnabled || ComponentState().Contains(csDesigning));
  if (IsFocused && !FText.empty()) {
    RECT F{T.left - 1, T.top - 1, T.right + 1, T.bottom + 2};
    F.left = std::max<LONG>(F.left, 0);
    F.top = std::max<LONG>(F.top, 0);
    F.right = std::min<LONG>(F.right, FWidth);
    F.bottom = std::min<LONG>(F.bottom, FHeight);
    DrawFocusRect(DC, &F);
  }
}
