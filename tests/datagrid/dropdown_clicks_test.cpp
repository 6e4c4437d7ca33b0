// The cell editor's drop-downs under a real press and release: a click on a drop-down window never
// activates it, so the grid's window stays active, the focus stays in the editor and the click's pick
// is taken. And keys that close a drop-down are taken whole through the program's loop.
#include <gtest/gtest.h>

#include <string>

#include "dataedit/CalculatorX.h"
#include "dataedit/PopupsX.h"
#include "platform/controls/buttons.h"
#include "platform/forms/forms.h"
#include "tests/datagrid/inplace_fixture.h"

namespace {

class DropDownClicksTest : public InplaceTest {
 protected:
  void SetUp() override {
    FormsUnit::Initialize();
    InplaceTest::SetUp();
    ASSERT_EQ(GetActiveWindow(), host->Handle());
  }
  void TearDown() override {
    InplaceTest::TearDown();
    FormsUnit::Finalize();
  }
  // A key through the program's own loop, which makes characters of the keys no control took.
  static void LoopKey(UINT Vk, bool Alt = false) {
    if (Alt) win::InjectKey(WM_KEYDOWN, VK_MENU);
    win::InjectKey(Alt ? WM_SYSKEYDOWN : WM_KEYDOWN, Vk);
    win::InjectKey(Alt ? WM_SYSKEYUP : WM_KEYUP, Vk);
    if (Alt) win::InjectKey(WM_KEYUP, VK_MENU);
    Application->ProcessMessages();
  }
  // Press and release of the left button at a client point of a window, as the user makes them.
  static void PressAndRelease(TControl* C, TPoint At) {
    const TPoint P = C->ClientToScreen(At);
    win::InjectMouse(P.X, P.Y, WM_MOUSEMOVE);
    win::PumpMessages();
    win::InjectMouse(P.X, P.Y, WM_LBUTTONDOWN, MK_LBUTTON);
    win::PumpMessages();
    win::InjectMouse(P.X, P.Y, WM_LBUTTONUP);
    win::PumpMessages();
  }
  // The client point in the middle of the calendar's cell for Day.
  static TPoint DayPoint(TPopupMonthCalendarX* Cal, TDateTime Day) {
    long SumX = 0, SumY = 0, N = 0;
    for (int Y = 0; Y < Cal->ClientHeight(); Y += 2)
      for (int X = 0; X < Cal->ClientWidth(); X += 2) {
        TDateTime D = 0;
        if (Cal->HitTest(X, Y, &D) == MCHT_CALENDARDATE && D == Day) SumX += X, SumY += Y, ++N;
      }
    if (N == 0) {
      ADD_FAILURE() << "no cell for the day";
      return TPoint(0, 0);
    }
    return TPoint(static_cast<int>(SumX / N), static_cast<int>(SumY / N));
  }
  // The calculator key with this caption.
  static TControl* CalculatorKey(TWinControl* Calc, const std::string& Caption) {
    for (int I = 0; I < Calc->ControlCount(); ++I) {
      TControl* C = Calc->Controls(I);
      if (auto* B = dynamic_cast<TSpeedButton*>(C); B && B->Caption() == Caption) return C;
      if (auto* W = dynamic_cast<TWinControl*>(C))
        if (TControl* Found = CalculatorKey(W, Caption)) return Found;
    }
    return nullptr;
  }
  void ExpectEditorKeepsFocus(TDBGridInplaceEdit* E) {
    EXPECT_EQ(GetActiveWindow(), host->Handle()) << "the drop-down did not take the activation";
    EXPECT_EQ(GetFocus(), E->Handle()) << "the focus stays in the cell editor";
  }
};

TEST_F(DropDownClicksTest, ADayClickedInTheCalendarIsTaken) {
  TDBGridInplaceEdit* E = OpenEditor("Born");
  ASSERT_NE(E, nullptr);
  AltDown();
  ASSERT_TRUE(E->ListShown());
  TPopupMonthCalendarX* Cal = E->CalendarControl();
  PressAndRelease(Cal, DayPoint(Cal, EncodeDate(2000, 1, 20)));
  EXPECT_FALSE(E->ListShown());
  EXPECT_FALSE(IsWindowVisible(Cal->Handle()));
  EXPECT_EQ(E->Text(), DateToStr(EncodeDate(2000, 1, 20)));
  ExpectEditorKeepsFocus(E);
  people->Post();
  EXPECT_EQ(people->FieldByName("Born")->AsDateTime(), EncodeDate(2000, 1, 20));
}

TEST_F(DropDownClicksTest, AnItemClickedInThePickListIsTaken) {
  Col("Name")->PickList()->Add("Zoe");
  Col("Name")->PickList()->Add("Yan");
  TDBGridInplaceEdit* E = OpenEditor("Name");
  ASSERT_NE(E, nullptr);
  AltDown();
  ASSERT_TRUE(E->ListShown());
  TPopupListboxX* L = E->PickListControl();
  ASSERT_NE(L, nullptr);
  PressAndRelease(L, TPoint(10, L->ItemHeight() + L->ItemHeight() / 2));
  EXPECT_FALSE(E->ListShown());
  EXPECT_EQ(E->Text(), "Yan");
  ExpectEditorKeepsFocus(E);
}

TEST_F(DropDownClicksTest, ARowClickedInTheLookupListIsTaken) {
  TDBGridInplaceEdit* E = OpenEditor("KindName");
  ASSERT_NE(E, nullptr);
  AltDown();
  ASSERT_TRUE(E->ListShown());
  TPopupDataGridX* L = E->LookupList();
  const TRect R = L->CellRect(L->DataToRawColumn(0), L->TitleOffset() + 2);
  ASSERT_FALSE(R.IsEmpty());
  PressAndRelease(L, TPoint(R.Left + 5, (R.Top + R.Bottom) / 2));
  EXPECT_FALSE(E->ListShown());
  EXPECT_EQ(E->Text(), "Senior");
  ExpectEditorKeepsFocus(E);
}

TEST_F(DropDownClicksTest, KeysClickedOnTheCalculatorReachIt) {
  Col("Amount")->SetButtonStyle(cbsDropDown);
  TDBGridInplaceEdit* E = OpenEditor("Amount");
  ASSERT_NE(E, nullptr);
  AltDown();
  ASSERT_TRUE(E->ListShown());
  TPopupCalculatorX* Calc = E->CalculatorControl();
  for (const char* Caption : {"4", "+/-"}) {
    TControl* K = CalculatorKey(Calc, Caption);
    ASSERT_NE(K, nullptr) << Caption;
    PressAndRelease(K, TPoint(K->Width() / 2, K->Height() / 2));
    ASSERT_TRUE(E->ListShown()) << Caption;
    ExpectEditorKeepsFocus(E);
  }
  Variant V;
  Calc->GetValue(V);
  EXPECT_DOUBLE_EQ(V.AsDouble(), -4.0);
}

TEST_F(DropDownClicksTest, AnEntryClickedInTheMruListIsTaken) {
  TMRUListX* Mru = Col("Name")->MRUList();
  TStringList Remembered;
  for (const char* S : {"Pam", "Pat", "Rex"}) Remembered.Add(S);
  Mru->SetItems(&Remembered);
  Mru->SetActive(true);
  TDBGridInplaceEdit* E = OpenEditor("Name");
  ASSERT_NE(E, nullptr);
  E->SelectAll();
  win::InjectChar("Pa");
  win::PumpMessages();
  ASSERT_TRUE(Mru->DroppedDown);
  TMRUListboxX* L = E->MRUListControl();
  const int Row = L->Items()->IndexOf("Pat");
  ASSERT_GE(Row, 0);
  PressAndRelease(L, TPoint(10, (Row - L->TopIndex()) * L->ItemHeight() + L->ItemHeight() / 2));
  EXPECT_FALSE(Mru->DroppedDown);
  EXPECT_EQ(E->Text(), "Pat");
  ExpectEditorKeepsFocus(E);
}

// Esc that closes a drop-down of the cell editor keeps what was typed in the cell and leaves the editor
// shown; the Esc after it is the grid's again.
TEST_F(DropDownClicksTest, EscThatClosesADropDownKeepsTheTypedText) {
  Col("Name")->PickList()->Add("Zoe");
  Col("Amount")->SetButtonStyle(cbsDropDown);
  struct Case {
    const char* field;
    const char* typed;
  };
  for (const Case& C : {Case{"Name", "Pa"}, Case{"Amount", "7"}}) {
    SCOPED_TRACE(C.field);
    TDBGridInplaceEdit* E = OpenEditor(C.field);
    ASSERT_NE(E, nullptr);
    E->SelectAll();
    win::InjectChar(C.typed);
    Application->ProcessMessages();
    ASSERT_EQ(E->Text(), C.typed);
    LoopKey(VK_DOWN, true);
    ASSERT_TRUE(E->ListShown());
    LoopKey(VK_ESCAPE);
    EXPECT_FALSE(E->ListShown());
    EXPECT_EQ(E->Text(), C.typed) << "no Esc character reached the cell after the drop-down closed";
    EXPECT_TRUE(grid->EditorMode());
    LoopKey(VK_ESCAPE);
    EXPECT_NE(E->Text(), C.typed) << "with the drop-down closed Esc throws the typing away";
    people->Cancel();
  }
}

TEST_F(DropDownClicksTest, ReturnOnThePickListSelectsThePickedText) {
  Col("Name")->PickList()->Add("Zoe");
  Col("Name")->PickList()->Add("Yan");
  TDBGridInplaceEdit* E = OpenEditor("Name");
  ASSERT_NE(E, nullptr);
  LoopKey(VK_DOWN, true);
  ASSERT_TRUE(E->ListShown());
  LoopKey(VK_DOWN);
  LoopKey(VK_DOWN);
  LoopKey(VK_RETURN);
  EXPECT_FALSE(E->ListShown());
  EXPECT_EQ(E->Text(), "Yan");
  EXPECT_EQ(E->SelStart(), 0);
  EXPECT_EQ(E->SelLength(), 3);
  EXPECT_TRUE(grid->EditorMode());
}

}  // namespace
