#include "dataedit/CalculatorX.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/forms/forms.h"
#include "platform/graphics/clipbrd.h"
#include "platform/rtl/sysutils.h"

namespace {

// The form resource and the key class the reader makes keys of, registered once (the unit's start-up
// does it; a calculator made without the start-up list does it on first use).
bool FormRegistered = false;
void RegisterForm() {
  if (FormRegistered) return;
  FormRegistered = true;
  RegisterClasses<TSpeedButtonX, TPanel, TLabel>();
  RegisterComponentResource("TCalculatorX", CalculatorXFormResource());
}

}  // namespace

TCalculatorX::TCalculatorX(TComponent* AOwner) : TCustomControl(AOwner) {
  RegisterForm();
  FPixelsPerInch = Screen ? Screen->PixelsPerInch() : 96;
  // The keys and the calculator's own layout come from its form resource.
  if (!InitInheritedComponent(this, TCustomControl::StaticClass()))
    throw EReadError("Resource TCALCULATORX not found");
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* B = dynamic_cast<TSpeedButtonX*>(Components(i));
    if (!B) continue;
    // Flat and the glyph's side come from the resource; every key is an active glyph-style face.
    B->SetStyle(ebsGlyphX);
    B->SetActive(true);
    B->OnClick = [this](TObject* Sender) { SpeedButtonClick(Sender); };
  }
  FEqualKey = dynamic_cast<TSpeedButtonX*>(FindComponent("spEqual"));
  FTextBox = dynamic_cast<TLabel*>(FindComponent("TextBox"));
  ShowDisplay();
  SetAutoSizeFlag(true);
}

void TCalculatorX::SpeedButtonClick(TObject* Sender) {
  if (auto* C = dynamic_cast<TComponent*>(Sender)) {
    const intptr_t T = C->Tag();
    if (const char K = CalculatorXKeyChar(static_cast<int>(T < 0 || T > 23 ? 0 : T)); K != 0) HandleKey(K);
  }
}

bool TCalculatorX::CanAutoSize(int& NewWidth, int& NewHeight) {
  if (FStoredClientWidth <= 0 || FStoredClientHeight <= 0) return false;
  // The stored client size plus whatever frame the window's styles give.
  NewWidth = FStoredClientWidth + (Width() - ClientWidth());
  NewHeight = FStoredClientHeight + (Height() - ClientHeight());
  return true;
}

void TCalculatorX::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  // (CanAutoSize leaves the asked size when it cannot tell its own yet.)
  if (AutoSizeEnabled()) CanAutoSize(AWidth, AHeight);
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

TSpeedButtonX* TCalculatorX::Key(int Tag) const {
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* B = dynamic_cast<TSpeedButtonX*>(Components(i)); B && B->Tag() == Tag) return B;
  return nullptr;
}

double TCalculatorX::DisplayValue() const {
  if (FMode == cmError) return 0;
  double V = 0;
  if (!TryStrToFloat(Trim(FDisplay), V)) return 0;
  return V;
}

void TCalculatorX::SetDisplayValue(double Value) {
  // An overflow or an undefined result is an error, not a display that later fails to convert.
  if (!std::isfinite(Value)) {
    SetError();
    return;
  }
  if (Value == 0) Value = 0;  // no "-0"
  FDisplay = FloatToStrF(Value, ffGeneral, 15, 0);
  ShowDisplay();
}

void TCalculatorX::SetError() {
  FMode = cmError;
  FOperandReady = false;
  FDisplay = "Error";
  ShowDisplay();
}

void TCalculatorX::ResetCalculator() {
  FMode = cmResult;
  FOperandReady = false;
  FDisplay = "0";
  FPendingOp = '=';
  FLeftValue = 0;
  ShowDisplay();
}

void TCalculatorX::CopyDisplay() { Clipboard()->SetAsText(FDisplay); }

void TCalculatorX::PasteDisplay() {
  if (!Clipboard()->HasFormat(CF_TEXT)) return;
  double V = 0;
  // Pasted text that is not a number puts the calculator into its error state instead of raising out
  // of a key handler.
  if (!TryStrToFloat(Trim(Clipboard()->AsText()), V)) {
    SetError();
    return;
  }
  SetDisplayValue(V);
}

void TCalculatorX::BeginInput() {
  if (FMode == cmResult) {
    FMode = cmEntering;
    FDisplay = "0";
  }
  FOperandReady = false;
}

void TCalculatorX::ApplyOperator(char Key) {
  if (FMode == cmEntering || FOperandReady) {
    FMode = cmResult;
    FOperandReady = false;
    double r = DisplayValue();
    if (Key == '%') {
      if (FPendingOp == '*' || FPendingOp == '/') r = r / 100;
      else if (FPendingOp == '+' || FPendingOp == '-') r = FLeftValue * r / 100;
    }
    switch (FPendingOp) {
      case '*': SetDisplayValue(FLeftValue * r); break;
      case '+': SetDisplayValue(FLeftValue + r); break;
      case '-': SetDisplayValue(FLeftValue - r); break;
      case '/':
        if (r != 0) SetDisplayValue(FLeftValue / r);
        else SetError();
        break;
      default: break;
    }
  }
  FPendingOp = Key;
  FLeftValue = DisplayValue();
}

void TCalculatorX::HandleKey(char Key) {
  Key = static_cast<char>(std::toupper(static_cast<unsigned char>(Key)));
  const char Sep = FormatSettings.DecimalSeparator;
  if (FMode == cmError && Key != 'C') {
    UpdateEqualCaption();
    return;
  }
  if (Key == '.' || Key == ',' || Key == Sep) {
    BeginInput();
    if (FDisplay.find(Sep) == std::string::npos) FDisplay += Sep;
  } else {
    switch (Key) {
      case 3: CopyDisplay(); break;
      case 22: PasteDisplay(); break;
      case 8:
        BeginInput();
        if (FDisplay.size() == 1 || (FDisplay.size() == 2 && FDisplay[0] == '-')) FDisplay = "0";
        else FDisplay.pop_back();
        break;
      case 13: case '=': case '%': case '*': case '+': case '-': case '/':
        ApplyOperator(Key);
        break;
      case 27: case 'C':
        ResetCalculator();
        break;
      case 'I':
        SetDisplayValue(-DisplayValue());
        break;
      case 'R': case 'S': {
        const double V = DisplayValue();
        FMode = cmResult;
        if ((Key == 'R' && V == 0) || (Key == 'S' && V < 0)) {
          SetError();
        } else {
          SetDisplayValue(Key == 'R' ? 1 / V : std::sqrt(V));
          if (FMode != cmError) FOperandReady = true;
        }
        break;
      }
      default:
        if (Key >= '0' && Key <= '9') {
          BeginInput();
          if (FDisplay == "0") FDisplay.clear();
          if (FDisplay.find('E') != std::string::npos) break;
          const size_t Max = (!FDisplay.empty() && FDisplay[0] == '-') ? 16 : 15;
          if (FDisplay.size() < Max) FDisplay += Key;
        }
        break;
    }
  }
  // A display that no longer reads as a number (a separator after an exponent, a Backspace into one)
  // is an error rather than a 0 handed on to the pending operation or to the field.
  double V = 0;
  if (FMode != cmError && !TryStrToFloat(Trim(FDisplay), V)) SetError();
  ShowDisplay();
  UpdateEqualCaption();
}

void TCalculatorX::UpdateEqualCaption() {
  const bool Op = FPendingOp == '*' || FPendingOp == '+' || FPendingOp == '-' || FPendingOp == '/';
  // A square root or reciprocal just taken stands as the right operand, as a number being entered does.
  const bool Operand = FMode == cmEntering || (FMode == cmResult && FOperandReady);
  FEqualCaption = (FLeftValue != 0 && Operand && Op) ? "=" : "Ok";
  if (FEqualKey) FEqualKey->SetCaption(FEqualCaption);
}

void TCalculatorX::KeyPress(WideChar& Key) {
  TCustomControl::KeyPress(Key);
  if (Key != 0 && Key < 128) HandleKey(static_cast<char>(Key));
}

bool TCalculatorX::DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) {
  if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (FMode != cmError) SetDisplayValue(DisplayValue() + (WheelDelta < 0 ? -1 : 1));
  return true;
}

void TCalculatorX::ShowDisplay() {
  if (FTextBox && FTextBox->Caption() != FDisplay) FTextBox->SetCaption(FDisplay);
}

void TCalculatorX::Paint() {
  // The keys and the display label paint themselves; the calculator paints its face.
  TCanvas* C = Canvas();
  C->Brush()->SetColor(Color());
  C->FillRect(ClientRect());
}

// ---------------------------------------------------------------------------------------------------

TPopupCalculatorX::TPopupCalculatorX(TComponent* AOwner) : TCalculatorX(AOwner) {
  SetCtl3D(true);
  // Sized again now that the frame is known: the stored client area inside it.
  AdjustSize();
}

void TPopupCalculatorX::CloseUp(bool Accept) {
  if (auto* R = dynamic_cast<ICloseUpReceiverX*>(Owner())) R->CloseUp(Accept);
}

void TPopupCalculatorX::HandleKey(char Key) {
  if ((Key == 13 || Key == '=') && EqualCaption() == "Ok") {
    CloseUp(true);
    return;
  }
  TCalculatorX::HandleKey(Key);
}

void TPopupCalculatorX::GetValue(Variant& Value) {
  if (Mode() == cmError) Value = Variant::Error(-1);
  else Value = Variant(DisplayValue());
}

void TPopupCalculatorX::SetFlat(bool Value) {
  if (FFlat == Value) return;
  FFlat = Value;
  // Whatever the new value, the keys lose their flat look (as the in-place editor has always seen it).
  for (int Tag = 1; Tag < 24; ++Tag)
    if (TSpeedButtonX* B = Key(Tag)) B->SetFlat(false);
}

void TPopupCalculatorX::SetValue(const Variant& Value) {
  ResetCalculator();
  double V = 0;
  try {
    V = Value.AsDouble();
  } catch (...) {
    SetError();
    return;
  }
  SetDisplayValue(V);
}

void TPopupCalculatorX::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE) {
    CloseUp(false);
    Key = 0;
    return;
  }
  TCalculatorX::KeyDown(Key, Shift);
}

void TPopupCalculatorX::CreateParams(TCreateParams& Params) {
  TCalculatorX::CreateParams(Params);
  Params.Style = (Params.Style & ~(WS_CHILD | WS_VISIBLE | WS_BORDER)) | WS_POPUP;
  if (!FCtl3D) Params.Style |= WS_BORDER;
  Params.ExStyle |= WS_EX_TOOLWINDOW;
  Params.WindowClassStyle |= CS_SAVEBITS;
  Params.WndParent = nullptr;
}


TRect TPopupCalculatorX::ClientRect() const {
  if (HandleAllocated()) {
    RECT R;
    GetClientRect(FHandle, &R);
    return TRect(0, 0, R.right, R.bottom);
  }
  const int F = PopupBorderWidth() + (FCtl3D ? 0 : 1);
  return TRect(0, 0, std::max(0, Width() - 2 * F), std::max(0, Height() - 2 * F));
}

bool TPopupCalculatorX::WantsKey(WORD Key, TShiftState Shift) {
  if (Key == VK_RETURN || Key == VK_ESCAPE) {
    CloseUp(Key == VK_RETURN);
    return true;
  }
  return TCalculatorX::WantsKey(Key, Shift);
}

void TPopupCalculatorX::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTCHARS;
      return;
    case CM_CTL3DCHANGED:
      // The frame changes: the window is made again and sized around the same client area.
      TCalculatorX::Dispatch(Message);
      if (HandleAllocated()) RecreateWnd();
      AdjustSize();
      return;
    case WM_NCCALCSIZE:
      TCalculatorX::Dispatch(Message);
      if (auto* R = reinterpret_cast<RECT*>(Message.LParam); R && PopupBorderWidth() > 0) {
        InflateRect(R, -PopupBorderWidth(), -PopupBorderWidth());
        if (R->right < R->left) R->right = R->left;
        if (R->bottom < R->top) R->bottom = R->top;
      }
      return;
    case WM_NCPAINT:
      TCalculatorX::Dispatch(Message);
      if (FCtl3D && HandleAllocated()) {
        // A line of the dark 3-D shadow colour, then a raised inner edge inside it.
        HDC DC = GetWindowDC(Handle());
        RECT WR;
        GetWindowRect(Handle(), &WR);
        RECT R{0, 0, WR.right - WR.left, WR.bottom - WR.top};
        HBRUSH Dark = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(cl3DDkShadow)));
        FrameRect(DC, &R, Dark);
        DeleteObject(Dark);
        InflateRect(&R, -1, -1);
        DrawEdge(DC, &R, BDR_RAISEDINNER, BF_RECT);
        ReleaseDC(Handle(), DC);
      }
      return;
    default:
      break;
  }
  if (Message.Msg == CM_CLOSEPOPUPX) {
    CloseUp(false);
    return;
  }
  if (Message.Msg == WM_MOUSEACTIVATE) {
    // A click on a key must leave the focus in the editor that opened the calculator.
    Message.Result = MA_NOACTIVATE;
    return;
  }

  TCalculatorX::Dispatch(Message);
}

namespace CalculatorXUnit {
void Initialize() { RegisterForm(); }
void Finalize() {
  if (!FormRegistered) return;
  FormRegistered = false;
  UnRegisterClasses<TSpeedButtonX, TPanel, TLabel>();
}
}  // namespace CalculatorXUnit
