#include "dataedit/CalculatorX.h"

#include <cctype>
#include <cmath>

#include "platform/graphics/clipbrd.h"
#include "platform/rtl/sysutils.h"

namespace {

// Index = a key's Tag; the character is what the key sends to HandleKey.
const char KeyTable[24] = {0, '7', '8', '9', '/', 'S', 'C', '4', '5', '6', '*', '%', 'A',
                           '1', '2', '3', '-', 'R', 8, '0', 'I', '.', '+', '='};

struct TKeyLayout {
  const char* Caption;
  int Left, Top, Width, Height;
  TColor FontColor;
};
const TKeyLayout Keys[24] = {
    {"", 0, 0, 0, 0, clBlack},
    {"7", 6, 29, 27, 22, clBlue},     {"8", 35, 29, 27, 22, clBlue},   {"9", 64, 29, 27, 22, clBlue},
    {"/", 93, 29, 27, 22, clRed},     {"sqrt", 122, 29, 27, 22, clBlue}, {"C", 151, 29, 27, 46, clRed},
    {"4", 6, 53, 27, 22, clBlue},     {"5", 35, 53, 27, 22, clBlue},   {"6", 64, 53, 27, 22, clBlue},
    {"*", 93, 53, 27, 22, clRed},     {"%", 122, 53, 27, 22, clBlue},  {"Cancel", 151, 52, 27, 23, clRed},
    {"1", 6, 77, 27, 22, clBlue},     {"2", 35, 77, 27, 22, clBlue},   {"3", 64, 77, 27, 22, clBlue},
    {"-", 93, 77, 27, 22, clRed},     {"1/x", 122, 77, 27, 22, clBlue}, {"<-", 151, 77, 27, 22, clRed},
    {"0", 6, 101, 27, 22, clBlue},    {"+/-", 35, 101, 27, 22, clBlue}, {".", 64, 101, 27, 22, clBlue},
    {"+", 93, 101, 27, 22, clRed},    {"Ok", 122, 101, 56, 22, clRed},
};

}  // namespace

TCalculatorX::TCalculatorX(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 184, 127);
  SetColor(clBtnFace);
  // The keys as the calculator's form lays them out; each click goes through HandleKey.
  for (int Tag = 1; Tag < 24; ++Tag) {
    auto* B = new TSpeedButtonX(this);
    const TKeyLayout& K = Keys[Tag];
    B->SetBounds(K.Left, K.Top, K.Width, K.Height);
    B->SetCaption(K.Caption);
    B->SetTag(Tag);
    B->SetFlat(true);
    B->SetStyle(ebsGlyphX);
    B->SetActive(true);
    B->SetLayout(blGlyphRight);
    B->Font()->SetColor(K.FontColor);
    B->OnClick = [this](TObject* Sender) {
      const intptr_t T = static_cast<TComponent*>(Sender)->Tag();
      if (T > 0 && T < 24) HandleKey(KeyTable[T]);
    };
    B->SetParent(this);
    if (Tag == 23) FEqualKey = B;
  }
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
  Invalidate();
}

void TCalculatorX::SetError() {
  FMode = cmError;
  FOperandReady = false;
  FDisplay = "Error";
  Invalidate();
}

void TCalculatorX::ResetCalculator() {
  FMode = cmResult;
  FOperandReady = false;
  FDisplay = "0";
  FPendingOp = '=';
  FLeftValue = 0;
  Invalidate();
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
  Invalidate();
  UpdateEqualCaption();
}

void TCalculatorX::UpdateEqualCaption() {
  const bool Op = FPendingOp == '*' || FPendingOp == '+' || FPendingOp == '-' || FPendingOp == '/';
  FEqualCaption = (FLeftValue != 0 && FMode == cmEntering && Op) ? "=" : "Ok";
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

void TCalculatorX::Paint() {
  TCanvas* C = Canvas();
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(ClientRect());
  TRect Display(6, 4, Width() - 6, 23);
  C->Brush()->SetColor(clHighlightText);
  C->FillRect(Display);
  C->TextOut(Display.Right - 4 - C->TextWidth(FDisplay), Display.Top + 2, FDisplay);
}

// ---------------------------------------------------------------------------------------------------

TPopupCalculatorX::TPopupCalculatorX(TComponent* AOwner) : TCalculatorX(AOwner) {}

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
  Params.Style = (Params.Style & ~(WS_CHILD | WS_VISIBLE)) | WS_POPUP | WS_BORDER;
  Params.ExStyle |= WS_EX_TOOLWINDOW;
  Params.WindowClassStyle |= CS_SAVEBITS;
  Params.WndParent = nullptr;
}

void TPopupCalculatorX::Dispatch(TMessage& Message) {
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
void Initialize() { RegisterClasses<TSpeedButtonX>(); }
void Finalize() { UnRegisterClasses<TSpeedButtonX>(); }
}  // namespace CalculatorXUnit
