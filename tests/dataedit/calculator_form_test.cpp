// The calculator's keys come from its form resource: the keys read back match the key table, clicks
// send the table's characters, and a damaged resource is a read error, never a crash.
#include <gtest/gtest.h>

#include <vector>

#include "dataedit/CalculatorX.h"
#include "platform/graphics/graphics.h"

namespace {

// Puts the good resource back however a test ends.
struct TResourceGuard {
  ~TResourceGuard() { RegisterComponentResource("TCalculatorX", CalculatorXFormResource()); }
};

// The height of "0" in the form's font on this machine: what the layout is scaled to.
int FormFontTextHeight() {
  TBitmap B;
  B.SetSize(8, 8);
  B.Canvas()->Font()->SetName("MS Sans Serif");
  B.Canvas()->Font()->SetHeight(-11);
  return B.Canvas()->TextHeight("0");
}

// The resource with another stored text height (its value is the byte after the name and vaInt8).
std::vector<uint8_t> WithTextHeight(std::vector<uint8_t> Bytes, uint8_t Value) {
  const std::string Name = "TextHeight";
  for (size_t i = 0; i + Name.size() + 2 < Bytes.size(); ++i)
    if (Bytes[i] == Name.size() && std::string(Bytes.begin() + static_cast<long>(i) + 1,
                                               Bytes.begin() + static_cast<long>(i + 1 + Name.size())) == Name) {
      EXPECT_EQ(Bytes[i + 1 + Name.size()], vaInt8);
      Bytes[i + 2 + Name.size()] = Value;
      return Bytes;
    }
  ADD_FAILURE() << "no TextHeight in the resource";
  return Bytes;
}

void ExpectKeysScaled(TCalculatorX& C, int Num, int Den) {
  for (int Tag = 1; Tag < 24; ++Tag) {
    SCOPED_TRACE(Tag);
    TSpeedButtonX* B = C.Key(Tag);
    ASSERT_NE(B, nullptr);
    const TCalculatorKeyLayoutX& K = CalculatorXKeyLayout(Tag);
    EXPECT_EQ(B->Left(), MulDiv(K.Left, Num, Den));
    EXPECT_EQ(B->Top(), MulDiv(K.Top, Num, Den));
    EXPECT_EQ(B->Width(), MulDiv(K.Width, Num, Den));
    EXPECT_EQ(B->Height(), MulDiv(K.Height, Num, Den));
  }
  EXPECT_EQ(C.StoredClientWidth(), MulDiv(184, Num, Den));
  EXPECT_EQ(C.StoredClientHeight(), MulDiv(127, Num, Den));
}

TEST(CalculatorXForm, KeysReadFromTheResourceMatchTheTable) {
  TCalculatorX C(nullptr);
  int Keys = 0;
  for (int i = 0; i < C.ComponentCount(); ++i)
    if (dynamic_cast<TSpeedButtonX*>(C.Components(i))) ++Keys;
  EXPECT_EQ(Keys, 23);
  for (int Tag = 1; Tag < 24; ++Tag) {
    SCOPED_TRACE(Tag);
    TSpeedButtonX* B = C.Key(Tag);
    ASSERT_NE(B, nullptr);
    const TCalculatorKeyLayoutX& K = CalculatorXKeyLayout(Tag);
    EXPECT_EQ(B->Caption(), std::string(K.Caption));
    EXPECT_EQ(B->Parent(), &C);
    EXPECT_EQ(B->Font()->Color(), K.FontColor);
    EXPECT_EQ(B->Font()->Name(), "MS Sans Serif");
    EXPECT_EQ(B->Font()->Height(), -11);
    EXPECT_EQ(B->Layout(), blGlyphRight);
  }
  // The layout is the table's, scaled by this machine's text height against the stored 13 pixels.
  EXPECT_EQ(C.TextHeight(), 13);
  ExpectKeysScaled(C, FormFontTextHeight(), 13);
  EXPECT_EQ(C.Key(23)->Name(), "spEqual");
  EXPECT_EQ(C.Color(), clBtnFace);
  EXPECT_EQ(C.BorderStyle(), TBorderStyle::bsNone);
  EXPECT_EQ(C.ClientWidth(), C.StoredClientWidth());
  EXPECT_EQ(C.ClientHeight(), C.StoredClientHeight());
}

// A click on the key with the given Tag, as the mouse would end one.
void ClickKey(TCalculatorX& C, int Tag) { static_cast<TControl*>(C.Key(Tag))->Click(); }

TEST(CalculatorXForm, ClicksSendTheKeyTable) {
  TCalculatorX C(nullptr);
  // 7 8 + 4 = through the keys' click handlers,.
  for (int Tag : {1, 2, 22, 7, 23}) ClickKey(C, Tag);
  EXPECT_EQ(C.DisplayText(), "82");
  ClickKey(C, 18);  // Backspace begins a new number from the result
  ClickKey(C, 6);   // C
  EXPECT_EQ(C.DisplayText(), "0");
  ClickKey(C, 20);  // +/- of 0
  ClickKey(C, 19);
  ClickKey(C, 21);
  ClickKey(C, 19);
  EXPECT_EQ(C.DisplayText(), "0.0");
  for (int Tag = 1; Tag < 24; ++Tag) EXPECT_NE(CalculatorXKeyChar(Tag), 0) << Tag;
  EXPECT_EQ(CalculatorXKeyChar(0), 0);
  EXPECT_EQ(CalculatorXKeyChar(24), 0);
}

TEST(CalculatorXForm, LayoutScalesByTextHeight) {
  { TCalculatorX Warm(nullptr); }
  TResourceGuard Guard;
  RegisterComponentResource("TCalculatorX", WithTextHeight(CalculatorXFormResource(), 26));
  TCalculatorX C(nullptr);
  ExpectKeysScaled(C, FormFontTextHeight(), 26);
  // The control sizes itself to the scaled client size.
  EXPECT_EQ(C.ClientWidth(), C.StoredClientWidth());
  EXPECT_EQ(C.ClientHeight(), C.StoredClientHeight());
}

TEST(CalculatorXForm, DamagedResourceIsAReadError) {
  { TCalculatorX Warm(nullptr); }  // the good resource is registered
  TResourceGuard Guard;
  const std::vector<uint8_t> Good = CalculatorXFormResource();
  // Every truncation is a read error, and leaves no key behind with an owner.
  for (size_t n = 0; n < Good.size(); ++n) {
    RegisterComponentResource("TCalculatorX", std::vector<uint8_t>(Good.begin(), Good.begin() + static_cast<long>(n)));
    TComponent Owner(nullptr);
    EXPECT_THROW(new TCalculatorX(&Owner), EReadError) << n;
    EXPECT_EQ(Owner.ComponentCount(), 0) << n;
  }
  // Any single damaged byte either still reads or raises the library's exception.
  for (size_t i = 0; i < Good.size(); ++i) {
    for (uint8_t x : {uint8_t{0x00}, uint8_t{0xFF}, uint8_t{0x7F}}) {
      std::vector<uint8_t> Bad = Good;
      Bad[i] = x;
      RegisterComponentResource("TCalculatorX", Bad);
      try {
        TCalculatorX C(nullptr);
      } catch (const Exception&) {
      }
    }
  }
  // A wrong signature in particular says so.
  std::vector<uint8_t> Bad = Good;
  Bad[0] = 'X';
  RegisterComponentResource("TCalculatorX", Bad);
  EXPECT_THROW(TCalculatorX C(nullptr), EReadError);
}

}  // namespace
