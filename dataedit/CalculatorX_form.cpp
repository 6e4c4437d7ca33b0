// The calculator's form: the key table, the form resource written from it, and reading that resource
// back into a calculator (ReadState, with scaling to the screen's resolution and font).
#include <algorithm>

#include "dataedit/CalculatorX.h"
#include "platform/forms/forms.h"
#include "platform/graphics/graphics.h"

namespace {

// Index = a key's Tag; the character is what the key sends to HandleKey.
const char KeyTable[24] = {0, '7', '8', '9', '/', 'S', 'C', '4', '5', '6', '*', '%', 'A',
                           '1', '2', '3', '-', 'R', 8, '0', 'I', '.', '+', '='};

const TCalculatorKeyLayoutX Keys[24] = {
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

const char* const FormFontName = "MS Sans Serif";
const int FormFontHeight = -11;
const int FormPixelsPerInch = 96;
const int FormTextHeight = 13;

int ScreenPixelsPerInch() { return Screen ? Screen->PixelsPerInch() : 96; }

// The height of "0" in Font, as the form's scaling measures it.
int TextHeightOf(TFont* Font) {
  TBitmap B;
  B.SetSize(8, 8);
  B.Canvas()->Font()->Assign(Font);
  return B.Canvas()->TextHeight("0");
}

}  // namespace

char CalculatorXKeyChar(int Tag) { return Tag > 0 && Tag < 24 ? KeyTable[Tag] : 0; }

const TCalculatorKeyLayoutX& CalculatorXKeyLayout(int Tag) { return Keys[Tag > 0 && Tag < 24 ? Tag : 0]; }

std::vector<uint8_t> CalculatorXFormResource() {
  TMemoryStream S;
  {
    TWriter W(&S);
    auto Int = [&W](const char* Name, int64_t Value) {
      W.WriteStr(Name);
      W.WriteInteger(Value);
    };
    auto Str = [&W](const char* Name, const std::string& Value) {
      W.WriteStr(Name);
      W.WriteString(Value);
    };
    W.WriteSignature();
    W.WriteStr("TCalculatorX");
    W.WriteStr("");
    W.WriteStr("BorderStyle");
    W.WriteIdent("bsNone");
    Int("ClientHeight", 127);
    Int("ClientWidth", 184);
    Int("Color", clBtnFace);
    Int("Font.Height", FormFontHeight);
    Str("Font.Name", FormFontName);
    W.WriteStr("OldCreateOrder");
    W.WriteBoolean(false);
    Int("PixelsPerInch", FormPixelsPerInch);
    Int("TextHeight", FormTextHeight);
    W.WriteListEnd();
    // The display: a borderless panel holding the right-aligned label whose caption is the display.
    W.WriteStr("TPanel");
    W.WriteStr("Panel1");
    Int("Left", 6);
    Int("Top", 4);
    Int("Width", 171);
    Int("Height", 19);
    W.WriteStr("BevelOuter");
    W.WriteIdent("bvNone");
    Int("BorderWidth", 2);
    Int("Color", clHighlightText);
    W.WriteListEnd();
    {
      W.WriteStr("TLabel");
      W.WriteStr("TextBox");
      Int("Left", 2);
      Int("Top", 1);
      Int("Width", 166);
      Int("Height", 17);
      W.WriteStr("Alignment");
      W.WriteIdent("taRightJustify");
      W.WriteStr("AutoSize");
      W.WriteBoolean(false);
      Str("Caption", "0");
      W.WriteStr("Layout");
      W.WriteIdent("tlCenter");
      W.WriteListEnd();  // properties
      W.WriteListEnd();  // children
    }
    W.WriteListEnd();  // the panel's children
    for (int Tag = 1; Tag < 24; ++Tag) {
      const TCalculatorKeyLayoutX& K = Keys[Tag];
      W.WriteStr("TSpeedButtonX");
      W.WriteStr(Tag == 23 ? std::string("spEqual") : "SpeedButton" + std::to_string(Tag));
      Int("Left", K.Left);
      Int("Top", K.Top);
      Int("Width", K.Width);
      Int("Height", K.Height);
      Str("Caption", K.Caption);
      W.WriteStr("Flat");
      W.WriteBoolean(true);
      W.WriteStr("Layout");
      W.WriteIdent("blGlyphRight");
      Int("Tag", Tag);
      Int("Font.Color", K.FontColor);
      Int("Font.Height", FormFontHeight);
      Str("Font.Name", FormFontName);
      W.WriteListEnd();  // properties
      W.WriteListEnd();  // children
    }
    W.WriteListEnd();  // the calculator's children
  }
  const int64_t Size = S.Size();
  std::vector<uint8_t> Bytes(static_cast<size_t>(Size));
  S.SetPosition(0);
  if (Size > 0) S.ReadBuffer(Bytes.data(), Size);
  return Bytes;
}

void TCalculatorX::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCalculatorX::SetStoredClientWidth(int Value) {
  FStoredClientWidth = Value;
  SetClientWidth(Value);
}

void TCalculatorX::SetStoredClientHeight(int Value) {
  FStoredClientHeight = Value;
  SetClientHeight(Value);
}

void TCalculatorX::SetPixelsPerInch(int Value) {
  if (Value != 0 && Value <= 35) return;
  if (Value == FPixelsPerInch) return;
  if (ComponentState().Contains(csLoading) && FPixelsPerInch == 0) return;
  FPixelsPerInch = Value;
}

void TCalculatorX::DefineProperties(TFiler* Filer) {
  TCustomControl::DefineProperties(Filer);
  // Read only: the height of "0" in the form's font when it was laid out, for scaling.
  Filer->DefineProperty("TextHeight", [this](TReader* R) { FTextHeight = R->ReadInteger(); }, nullptr, false);
}

void TCalculatorX::ReadState(TReader* Reader) {
  DisableAlign();
  FStoredClientWidth = 0;
  FStoredClientHeight = 0;
  FTextHeight = 0;
  const int StoredFontHeight = Font()->Height();
  try {
    TCustomControl::ReadState(Reader);
  } catch (...) {
    EnableAlign();
    throw;
  }
  const int Screen = ScreenPixelsPerInch();
  int Num = 1, Den = 1;
  if (FPixelsPerInch > 0 && FTextHeight > 0) {
    // A font stored for another resolution keeps its size on this screen.
    if (Font()->Height() != StoredFontHeight && FPixelsPerInch != Screen)
      Font()->SetHeight(MulDiv(Font()->Height(), Screen, FPixelsPerInch));
    FPixelsPerInch = Screen;
    const int Current = TextHeightOf(Font());
    if (Current > 0 && Current != FTextHeight) {
      Num = Current;
      Den = FTextHeight;
    }
  }
  if (Num != Den) {
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* C = Controls(i);
      C->SetBounds(MulDiv(C->Left(), Num, Den), MulDiv(C->Top(), Num, Den), MulDiv(C->Width(), Num, Den),
                   MulDiv(C->Height(), Num, Den));
    }
    FStoredClientWidth = MulDiv(FStoredClientWidth, Num, Den);
    FStoredClientHeight = MulDiv(FStoredClientHeight, Num, Den);
  }
  EnableAlign();
  // The keys and the display read as the calculator's parent does.
  Perform(CM_PARENTBIDIMODECHANGED);
}
