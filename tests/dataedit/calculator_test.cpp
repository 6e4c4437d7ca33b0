// The calculator's key state machine, driven by key sequences as a table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dataedit/CalculatorX.h"
#include "platform/forms/forms.h"
#include "platform/graphics/clipbrd.h"
#include "platform/win/testing.h"

namespace {

// Keys as a string; '~' stands for Backspace, '\r' Enter, 'E' Esc.
void Press(TCalculatorX& C, const std::string& Keys) {
  for (char k : Keys) {
    if (k == '~') C.HandleKey(8);
    else if (k == 'E') C.HandleKey(27);
    else C.HandleKey(k);
  }
}

struct KeyCase {
  std::string Keys;
  std::string Display;
  std::string Equal;  // the equal key's caption afterwards
  int Mode;
  int PopupCloseUps = 0;  // how often the pop-up closes on the way (= or Enter while the key shows "Ok")
};

class TReceiver : public TComponent, public ICloseUpReceiverX {
 public:
  TReceiver() : TComponent(nullptr) {}
  void CloseUp(bool Accept) override { Calls.push_back(Accept); }
  std::vector<bool> Calls;
};

// One table for the calculator and its pop-up: the pop-up calculates the same, and closes instead only
// where "=" or Enter meets the "Ok" caption.
const std::vector<KeyCase>& KeyTable() {
  static const std::vector<KeyCase> Cases = {
      {"1+2=", "3", "Ok", 0},
      {"1+2", "2", "=", 1},
      {"0+5", "5", "Ok", 1},                  // LeftValue 0: Enter would accept at once
      {"5+", "5", "Ok", 0},                   // no right operand yet: nothing to calculate
      {"5+\r", "5", "Ok", 0, 1},              // so Enter accepts the 5 shown
      {"200+10%", "220", "Ok", 0},
      {"200*10%", "20", "Ok", 0},
      {"200-10%", "180", "Ok", 0},
      {"5/0=", "Error", "Ok", 2},
      {"5/0=123", "Error", "Ok", 2},          // digits are ignored in the error state
      {"5/0=E", "Error", "Ok", 2},            // so is Esc
      {"5/0=C7", "7", "Ok", 1},
      {"1234567890123456", "123456789012345", "Ok", 1},
      {"123456789012345I", "-123456789012345", "Ok", 1},
      {"12345678901234I5", "-123456789012345", "Ok", 1},
      {"12345678901234I56", "-123456789012345", "Ok", 1},
      {"7I~", "0", "Ok", 1},                  // Backspace on -7
      {"12~", "1", "Ok", 1},
      {"1.5.2", "1.52", "Ok", 1},
      {",5", "0.5", "Ok", 1},
      {"9S", "3", "Ok", 0},
      {"4R", "0.25", "Ok", 0},
      {"0R", "Error", "Ok", 2},
      {"9IS", "Error", "Ok", 2},
      {"2+9S=", "5", "Ok", 0},                // the root is the right operand of the pending +
      {"10-4R=", "9.75", "Ok", 0},
      {"9S5", "5", "Ok", 1},                  // a digit after a root starts a new number
      {"2*3=*4=", "24", "Ok", 0},
      {"1+2+3=", "6", "Ok", 0},
      {"8/2\r", "4", "Ok", 0},
      {"5C", "0", "Ok", 0},
      {"000", "0", "Ok", 1},
      {"7A", "7", "Ok", 1},                   // the Cancel key sends A, which does nothing
      // A root or reciprocal is the right operand of the pending operation: the equal key offers it.
      {"2+9S", "3", "=", 0},
      {"10-4R", "0.25", "=", 0},
      {"2+9SI=", "-1", "Ok", 0},              // negated, it is still the operand
      {"0+9S", "3", "Ok", 0},                 // LeftValue 0: Enter would accept at once
      {"0+9S=", "3", "Ok", 0, 1},
      {"9S=", "3", "Ok", 0, 1},
      // A display that no longer reads as a number is an error, not a 0 taken further.
      {"0.0000001I", "-1E-7", "Ok", 1},
      {"0.0000001I.", "Error", "Ok", 2},
      {"0.0000001I~", "Error", "Ok", 2},      // Backspace into the exponent: -1E-
      {"0.0000001I.+1=", "Error", "Ok", 2, 1},
      {"0.0000001I.C5", "5", "Ok", 1},
  };
  return Cases;
}

TEST(CalculatorX, KeySequenceTable) {
  for (const auto& K : KeyTable()) {
    TCalculatorX C(nullptr);
    Press(C, K.Keys);
    EXPECT_EQ(C.DisplayText(), K.Display) << K.Keys;
    EXPECT_EQ(C.EqualCaption(), K.Equal) << K.Keys;
    EXPECT_EQ(C.Mode(), K.Mode) << K.Keys;
  }
}

TEST(PopupCalculatorX, KeySequenceTable) {
  for (const auto& K : KeyTable()) {
    TReceiver Owner;
    auto* P = new TPopupCalculatorX(&Owner);
    Press(*P, K.Keys);
    EXPECT_EQ(P->DisplayText(), K.Display) << K.Keys;
    EXPECT_EQ(P->EqualCaption(), K.Equal) << K.Keys;
    EXPECT_EQ(P->Key(23)->Caption(), K.Equal) << K.Keys;
    EXPECT_EQ(P->Mode(), K.Mode) << K.Keys;
    EXPECT_EQ(Owner.Calls, std::vector<bool>(static_cast<size_t>(K.PopupCloseUps), true)) << K.Keys;
    EXPECT_EQ(P->AcceptsEnter(), K.Equal == "Ok") << K.Keys;
  }
}

TEST(CalculatorX, OverflowIsAnErrorNotInf) {
  win::ResetWindowManager();
  TCalculatorX C(nullptr);
  Clipboard()->SetAsText("1E300");
  Press(C, "1");
  C.HandleKey(22);
  Press(C, "*1");
  C.HandleKey(22);
  Press(C, "=");
  EXPECT_EQ(C.DisplayText(), "Error");
  EXPECT_EQ(C.Mode(), 2);
  EXPECT_EQ(C.DisplayValue(), 0);
}

TEST(CalculatorX, ExponentDisplayTakesNoDigits) {
  win::ResetWindowManager();
  TCalculatorX C(nullptr);
  Press(C, "1");
  Clipboard()->SetAsText("1E20");
  C.HandleKey(22);
  ASSERT_EQ(C.DisplayText(), "1E20");
  Press(C, "5");
  EXPECT_EQ(C.DisplayText(), "1E20");
  // A result in exponent form is replaced by the next number, not extended.
  TCalculatorX D(nullptr);
  Press(D, "99999999*99999999=");
  ASSERT_NE(D.DisplayText().find('E'), std::string::npos) << D.DisplayText();
  Press(D, "5");
  EXPECT_EQ(D.DisplayText(), "5");
}

TEST(CalculatorX, PasteOfTextThatIsNoNumberIsAnError) {
  win::ResetWindowManager();
  TCalculatorX C(nullptr);
  Clipboard()->SetAsText(" 12.5 ");
  C.HandleKey(22);
  EXPECT_EQ(C.DisplayText(), "12.5");
  Clipboard()->SetAsText("abc");
  EXPECT_NO_THROW(C.HandleKey(22));
  EXPECT_EQ(C.DisplayText(), "Error");
  EXPECT_EQ(C.Mode(), 2);
  C.HandleKey('c');
  EXPECT_EQ(C.DisplayText(), "0");
  Press(C, "42");
  C.HandleKey(3);
  EXPECT_EQ(Clipboard()->AsText(), "42");
}

// Typed into a calculator on a form: a separator after a pasted exponent leaves a display that is no
// number, and the calculation does not go on with 0 in its place.
TEST(CalculatorX, TypedSeparatorAfterAnExponentIsAnError) {
  win::ResetWindowManager();
  FormsUnit::Initialize();
  {
    TComponent Owner(nullptr);
    auto* Host = new TForm(&Owner);
    Host->SetBounds(100, 100, 300, 200);
    Host->Show();
    auto* C = new TCalculatorX(&Owner);
    C->SetParent(Host);
    win::PumpMessages();
    C->SetFocus();
    win::PumpMessages();
    ASSERT_EQ(GetFocus(), C->Handle());
    Clipboard()->SetAsText("1e20");
    win::InjectChar("7\x16");  // 7, then Ctrl+V
    win::PumpMessages();
    EXPECT_EQ(C->DisplayText(), "1E20");
    win::InjectChar(".");
    win::PumpMessages();
    EXPECT_EQ(C->DisplayText(), "Error");
    EXPECT_EQ(C->Mode(), 2);
    win::InjectChar("+1=");
    win::PumpMessages();
    EXPECT_EQ(C->DisplayText(), "Error");
    EXPECT_EQ(C->TextBox()->Caption(), "Error");
  }
  FormsUnit::Finalize();
  win::ResetWindowManager();
}

TEST(PopupCalculatorX, EnterClosesWhenEqualShowsOk) {
  TReceiver Owner;
  auto* P = new TPopupCalculatorX(&Owner);
  Press(*P, "0+5");
  EXPECT_TRUE(P->AcceptsEnter());
  P->HandleKey(13);
  EXPECT_EQ(Owner.Calls, (std::vector<bool>{true}));
  Press(*P, "C1+2");
  EXPECT_FALSE(P->AcceptsEnter());
  P->HandleKey(13);                           // calculates instead of closing
  EXPECT_EQ(P->DisplayText(), "3");
  EXPECT_EQ(Owner.Calls.size(), 1u);
  P->HandleKey('=');
  EXPECT_EQ(Owner.Calls.size(), 2u);
  P->Perform(CM_CLOSEPOPUPX);
  EXPECT_EQ(Owner.Calls, (std::vector<bool>{true, true, false}));
}

TEST(PopupCalculatorX, ValueInAndOut) {
  TPopupCalculatorX P(nullptr);
  Press(P, "5/0=");
  P.SetValue(Variant(2.5));
  EXPECT_EQ(P.Mode(), 0);
  EXPECT_EQ(P.DisplayText(), "2.5");
  Variant V;
  P.GetValue(V);
  EXPECT_DOUBLE_EQ(V.AsDouble(), 2.5);
  Press(P, "/0=");
  P.GetValue(V);
  ASSERT_TRUE(V.IsError());
  EXPECT_EQ(V.ErrorCode(), -1);
  EXPECT_TRUE(P.GetFlat());
  P.SetFlat(false);
  EXPECT_FALSE(P.GetFlat());
}

}  // namespace
