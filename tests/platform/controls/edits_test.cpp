// The edit and the mask edit driven through the message queue: keys, characters, mouse, focus and
// the caret's blink timer on the fake clock; the mask engine through a table of typed cases.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/controls/edits.h"
#include "platform/controls/masks.h"
#include "platform/graphics/clipbrd.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"
#include "tests/platform/controls/host_fixture.h"

namespace {

// An edit whose window is made right-aligned (as a descendant asks in CreateParams).
class TRightEdit : public TEdit {
  DECLARE_CLASS(TRightEdit, TEdit)
  explicit TRightEdit(TComponent* AOwner) : TEdit(AOwner) {}
  bool Right = true;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TEdit::CreateParams(Params);
    if (Right) Params.Style |= ES_RIGHT;
  }
};

// A multi-line edit, wrapping unless Wrap is off.
class TMemoEdit : public TEdit {
  DECLARE_CLASS(TMemoEdit, TEdit)
  explicit TMemoEdit(TComponent* AOwner) : TEdit(AOwner) {}
  bool Wrap = true;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TEdit::CreateParams(Params);
    Params.Style |= ES_MULTILINE;
    if (Wrap) Params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  }
};

// A top-level window that plays a form: it hears the dialog keys its controls leave.
class TKeyForm : public TTestHost {
  DECLARE_CLASS(TKeyForm, TTestHost)
  explicit TKeyForm(TComponent* AOwner) : TTestHost(AOwner) { Fill = clWhite; }
  bool IsForm() const override { return true; }
  bool DialogKey(TWinControl*, WORD Key, TShiftState) override {
    Keys.push_back(Key);
    return true;
  }
  std::vector<WORD> Keys;
};

class EditsTest : public ControlHostTest {
 protected:
  EditsTest() : ControlHostTest(400, 200, clWhite) {}
  void SetUp() override {
    ControlHostTest::SetUp();
    win::PumpMessages();
  }
  template <typename T>
  T* Make(int L, int T_, int W = 200, int H = 21) {
    T* c = new T(owner.get());
    c->SetBounds(L, T_, W, H);
    c->SetParent(host);
    return c;
  }
  static void KeyWith(UINT Modifier, UINT Vk) {
    win::InjectKey(WM_KEYDOWN, Modifier);
    Key(Vk);
    win::InjectKey(WM_KEYUP, Modifier);
    win::PumpMessages();
  }
  static void Type(const std::string& S) {
    win::InjectChar(S);
    win::PumpMessages();
  }
  static void Focus(TWinControl* C) {
    C->SetFocus();
    win::PumpMessages();
  }
};

// ---------------------------------------------------------------------------------------------------
// The mask engine

TEST(EditMaskFormat, ReadsFieldsEscapesAndUnknownCharacters) {
  TEditMaskFormat a("!\\(999\\)000-0000;0;*");
  EXPECT_TRUE(a.RightAligned());
  EXPECT_FALSE(a.SaveLiterals());
  EXPECT_EQ(a.BlankChar(), U'*');
  EXPECT_EQ(a.Count(), 13);
  EXPECT_EQ(Utf32ToUtf8(a.BlankEditText()), "(***)***-****");

  // Defaults: literals kept, '_' as blank. An escaped ';' is part of the mask.
  TEditMaskFormat b("00\\;00");
  EXPECT_TRUE(b.SaveLiterals());
  EXPECT_EQ(Utf32ToUtf8(b.BlankEditText()), "__;__");

  // An escape at the very end and unknown characters are literals; nothing is read past the end.
  TEditMaskFormat c("0X0\\");
  EXPECT_EQ(Utf32ToUtf8(c.BlankEditText()), "_X_\\");
  EXPECT_TRUE(c.IsLiteral(3));

  // The separators follow the locale settings.
  const char dateSep = FormatSettings.DateSeparator;
  FormatSettings.DateSeparator = '.';
  EXPECT_EQ(Utf32ToUtf8(TEditMaskFormat("00/00").BlankEditText()), "__.__");
  FormatSettings.DateSeparator = dateSep;

  // A ';' with nothing behind it keeps the defaults.
  TEditMaskFormat d("00;");
  EXPECT_TRUE(d.SaveLiterals());
  EXPECT_EQ(d.BlankChar(), U'_');
  EXPECT_TRUE(TEditMaskFormat("").Empty());
}

TEST(EditMaskFormat, FormatMaskTextPlacesValues) {
  EXPECT_EQ(FormatMaskText("!\\(999\\)000-0000;0;_", "5551234567"), "(555)123-4567");
  EXPECT_EQ(FormatMaskText("!\\(999\\)000-0000;1;_", "(555)123-4567"), "(555)123-4567");
  // '!' puts a short value at the right end; without it the value starts at the left.
  EXPECT_EQ(FormatMaskText("!999;0;_", "7"), "  7");
  EXPECT_EQ(FormatMaskText("999;0;_", "7"), "7  ");
  // Characters that do not fit their position leave it blank; the rest is dropped.
  EXPECT_EQ(FormatMaskText("00-00;0;_", "1x34567"), "1 -34");
  EXPECT_EQ(FormatMaskText(">LLL;0;_", "abc"), "ABC");
  EXPECT_EQ(FormatMaskText("", "free text"), "free text");
}

TEST(EditMaskFormat, AnyMaskAndValueKeepTheEditTextToTheMask) {
  // Masks and values made of the syntax's own characters, escapes at every place included.
  const std::u32string alphabet = U"Ll Aa Cc 09#:/<>!\\;_x1年-";
  unsigned seed = 12345;
  auto next = [&](size_t n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<size_t>((seed >> 16) % n);
  };
  for (int round = 0; round < 2000; ++round) {
    std::u32string mask, value;
    for (size_t k = next(12); k > 0; --k) mask.push_back(alphabet[next(alphabet.size())]);
    for (size_t k = next(16); k > 0; --k) value.push_back(alphabet[next(alphabet.size())]);
    const std::string m8 = Utf32ToUtf8(mask);
    TEditMaskFormat f(m8);
    const size_t n = static_cast<size_t>(f.Count());
    std::u32string edit = f.EditTextFor(value);
    ASSERT_EQ(edit.size(), n) << m8;
    EXPECT_EQ(f.EditTextFor(value, true).size(), n) << m8;
    for (size_t i = 0; i < n; ++i) {
      char32_t out;
      if (f.IsLiteral(static_cast<int>(i))) {
        EXPECT_EQ(edit[i], f.Position(static_cast<int>(i)).Literal) << m8;
      } else if (edit[i] != f.BlankChar()) {
        EXPECT_TRUE(f.Accepts(static_cast<int>(i), edit[i], out)) << m8;
      }
    }
    // With saved literals, Text read back gives the same edit text.
    if (f.SaveLiterals()) {
      EXPECT_EQ(f.EditTextFor(f.TextOf(edit)), edit) << m8 << " / " << Utf32ToUtf8(value);
    }
    int missing = f.FirstMissing(edit);
    EXPECT_TRUE(missing == -1 || (missing >= 0 && static_cast<size_t>(missing) < n));
    EXPECT_LE(f.NextInput(static_cast<int>(n) + 3), static_cast<int>(n));
    EXPECT_GE(f.PrevInput(-2), -1);
    (void)FormatMaskText(m8, Utf32ToUtf8(value));
  }
}

struct MaskCase {
  const char* mask;
  const char* typed;
  const char* editText;
  const char* text;
  bool valid;
  int refused;  // characters that did not fit
};

TEST_F(EditsTest, TypedKeysMakeEditTextTextAndValidation) {
  const char dateSep = FormatSettings.DateSeparator, timeSep = FormatSettings.TimeSeparator;
  FormatSettings.DateSeparator = '-';
  FormatSettings.TimeSeparator = ':';
  const MaskCase cases[] = {
      {"!\\(999\\)000-0000;1;_", "5551234567", "(555)123-4567", "(555)123-4567", true, 0},
      {"!\\(999\\)000-0000;0;_", "5551234567", "(555)123-4567", "5551234567", true, 0},
      {"000;1;_", "12", "12_", "12 ", false, 0},
      {"000;0;_", "12", "12_", "12", false, 0},
      {">LL<ll;0;_", "abCD", "ABcd", "ABcd", true, 0},
      {"LL0;1;_", "a1b2", "ab2", "ab2", true, 1},
      {"99:99;1;*", "1234", "12:34", "12:34", true, 0},
      {"99:99;1;*", "1:34", "1*:34", "1 :34", true, 0},  // a typed literal jumps to the next field
      {"0000/00/00;0;_", "20261210", "2026-12-10", "20261210", true, 0},
      {"0000年00月;1;_", "202612", "2026年12月", "2026年12月", true, 0},
      {"\\A00;1;_", "A12", "A12", "A12", true, 1},  // the caret starts behind the literal
      {"0X0;1;_", "12", "1X2", "1X2", true, 0},
      {"00\\", "123", "12\\", "12\\", true, 1},
      {"c9#;1;_", "x5+", "x5+", "x5+", true, 0},
      {"#9;1;_", "a-", "-_", "- ", true, 1},
      {"aa;0;_", "x", "x_", "x", true, 0},
      {"CCC;1;.", "a b", "a b", "a b", false, 0},  // a space leaves a required position missing
      {"AAA;1;_", "1!b2", "1b2", "1b2", true, 1},
      {"LL;1;_", "好a", "好a", "好a", true, 0},
  };
  for (const MaskCase& c : cases) {
    auto* edit = Make<TMaskEdit>(10, 10);
    edit->SetEditMask(c.mask);
    Focus(edit);
    edit->SetSelStart(edit->MaskFormat().NextInput(0));
    // A refused character changes neither the edit text nor the caret.
    int refused = 0;
    std::u32string typed = Utf8ToUtf32(c.typed);
    for (char32_t ch : typed) {
      std::string before = edit->EditText();
      int caret = edit->CaretIndex();
      Type(Utf32ToUtf8(std::u32string(1, ch)));
      if (edit->EditText() == before && edit->CaretIndex() == caret) ++refused;
    }
    EXPECT_EQ(edit->EditText(), c.editText) << c.mask << " / " << c.typed;
    EXPECT_EQ(edit->Text(), c.text) << c.mask << " / " << c.typed;
    EXPECT_EQ(refused, c.refused) << c.mask << " / " << c.typed;
    bool valid = true;
    try {
      edit->ValidateEdit();
    } catch (const EDBEditError&) {
      valid = false;
    }
    EXPECT_EQ(valid, c.valid) << c.mask << " / " << c.typed;
    delete edit;
  }
  FormatSettings.DateSeparator = dateSep;
  FormatSettings.TimeSeparator = timeSep;
}

// A character beyond 16 bits arrives as two WM_CHAR halves; the edit and the mask edit each take it
// as one character.
TEST_F(EditsTest, TypedCharactersBeyondSixteenBitsArriveWhole) {
  auto* edit = Make<TEdit>(10, 10);
  Focus(edit);
  Type("a\U0001F600b\U00020BB7");
  EXPECT_EQ(edit->Text(), "a\U0001F600b\U00020BB7");
  auto* masked = Make<TMaskEdit>(10, 40);
  masked->SetEditMask("cccc;1;_");
  Focus(masked);
  masked->SetSelStart(0);
  Type("\U0001F600x\U00020BB7");
  EXPECT_EQ(masked->EditText(), "\U0001F600x\U00020BB7_");
}

TEST_F(EditsTest, MaskEditCaretSkipsLiteralsAndKeysBlankPositions) {
  auto* edit = Make<TMaskEdit>(10, 10);
  edit->SetEditMask("00-00-00;1;_");
  edit->SetText("12-34-56");
  Focus(edit);
  EXPECT_EQ(edit->SelLength(), 8);  // AutoSelect on entry by keyboard
  Key(VK_HOME);
  EXPECT_EQ(edit->CaretIndex(), 0);
  Key(VK_RIGHT);
  Key(VK_RIGHT);  // past "2": the literal '-' is skipped
  EXPECT_EQ(edit->CaretIndex(), 3);
  Key(VK_LEFT);
  EXPECT_EQ(edit->CaretIndex(), 1);
  Key(VK_RIGHT);
  Key(VK_BACK);  // blanks the "2" before the caret; the literal stays
  EXPECT_EQ(edit->EditText(), "1_-34-56");
  EXPECT_EQ(edit->CaretIndex(), 1);
  Key(VK_HOME);
  Key(VK_DELETE);  // blanks at the caret without closing up
  EXPECT_EQ(edit->EditText(), "__-34-56");
  EXPECT_EQ(edit->CaretIndex(), 0);
  Type("9");
  EXPECT_EQ(edit->EditText(), "9_-34-56");
  // Typing over a selection blanks it first.
  edit->SetSelStart(3);
  edit->SetSelLength(5);
  Type("7");
  EXPECT_EQ(edit->EditText(), "9_-7_-__");
  EXPECT_EQ(edit->Text(), "9 -7 -  ");
  EXPECT_TRUE(edit->Modified());
  // A click on a literal puts the caret on the next input position.
  int x = static_cast<int>(LOWORD(static_cast<DWORD>(SendMessage(edit->Handle(), EM_POSFROMCHAR, 2, 0))));
  TPoint at = edit->ClientToScreen(TPoint(x + 1, 8));
  win::Click(at.X, at.Y);
  EXPECT_EQ(edit->CaretIndex(), 3);
  // Placing the caret on a literal moves it on to the next input position, or behind the last one.
  edit->MoveCaretTo(5);
  EXPECT_EQ(edit->CaretIndex(), 6);
  edit->MoveCaretTo(99);
  EXPECT_EQ(edit->CaretIndex(), 8);
  // Escape returns to the text the edit had when it took the focus.
  Key(VK_ESCAPE);
  EXPECT_EQ(edit->EditText(), "12-34-56");
  EXPECT_FALSE(edit->Modified());
}

TEST_F(EditsTest, PasteIntoAMaskInsertsWhatFits) {
  auto* edit = Make<TMaskEdit>(10, 10);
  edit->SetEditMask("000-LL;1;_");
  Focus(edit);
  Clipboard()->SetAsText("12-3ab");  // the '3' does not fit the letters
  edit->SetSelStart(0);
  edit->PasteFromClipboard();
  EXPECT_EQ(edit->EditText(), "12_-__");
  Clipboard()->SetAsText("12345XY");
  edit->SetSelStart(0);
  KeyWith(VK_CONTROL, 'V');
  EXPECT_EQ(edit->EditText(), "123-__");  // '4' is no letter: the paste stops there
  Clipboard()->SetAsText("123-xy!!");
  edit->SelectAll();
  KeyWith(VK_SHIFT, VK_INSERT);
  EXPECT_EQ(edit->EditText(), "123-xy");
  // Cut copies the selected edit text and blanks it.
  edit->SetSelStart(4);
  edit->SetSelLength(2);
  KeyWith(VK_CONTROL, 'X');
  EXPECT_EQ(Clipboard()->AsText(), "xy");
  EXPECT_EQ(edit->EditText(), "123-__");
}

TEST_F(EditsTest, LeavingAnIncompleteMaskRaisesAndKeepsTheFocus) {
  auto* edit = Make<TMaskEdit>(10, 10);
  auto* other = Make<TEdit>(10, 40);
  edit->SetEditMask("0000;1;_");
  std::vector<std::string> errors;
  SetApplicationExceptionHandler([&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const EDBEditError& x) {
      errors.push_back(x.Message());
    } catch (...) {
      errors.push_back("other");
    }
  });
  int exits = 0;
  edit->OnExit = [&](TObject*) { ++exits; };
  Focus(edit);
  // Untouched: leaving is allowed.
  Focus(other);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(exits, 1);
  Focus(edit);
  Key(VK_HOME);
  Type("12");
  Focus(other);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "Invalid input value. Use the Escape key to abandon changes.");
  EXPECT_EQ(exits, 1);
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(edit->CaretIndex(), 2);  // on the first missing position
  Type("34");
  Focus(other);
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_EQ(exits, 2);
  EXPECT_EQ(edit->Text(), "1234");
  SetApplicationExceptionHandler(nullptr);
}

// ---------------------------------------------------------------------------------------------------
// The edit

TEST_F(EditsTest, SelectionMessagesIncludingBackwardRanges) {
  auto* edit = Make<TEdit>(10, 10);
  edit->SetText("发型 hair");
  HWND h = edit->Handle();
  Focus(edit);
  SendMessage(h, EM_SETSEL, 0x7FFFFFFF, 0);  // all, backwards: the caret at the start
  EXPECT_EQ(edit->SelStart(), 0);
  EXPECT_EQ(edit->SelLength(), 7);
  EXPECT_EQ(edit->CaretIndex(), 0);
  DWORD a = 99, b = 99;
  SendMessage(h, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  EXPECT_EQ(a, 0u);
  EXPECT_EQ(b, 7u);
  // Shift+Right moves the active (left) end.
  KeyWith(VK_SHIFT, VK_RIGHT);
  EXPECT_EQ(edit->SelText(), "型 hair");
  SendMessage(h, EM_SETSEL, 2, 5);
  EXPECT_EQ(edit->SelText(), " ha");
  EXPECT_EQ(edit->CaretPos(), 9);  // bytes: two Chinese characters and " ha"
  SendMessage(h, EM_SETSEL, static_cast<WPARAM>(-1), 0);  // removes the selection, caret stays
  EXPECT_EQ(edit->SelLength(), 0);
  EXPECT_EQ(edit->CaretIndex(), 5);
  SendMessage(h, EM_SETSEL, 0, static_cast<LPARAM>(-1));
  EXPECT_EQ(edit->SelText(), "发型 hair");
  SendMessage(h, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("new"));
  EXPECT_EQ(edit->Text(), "new");
  EXPECT_TRUE(edit->Modified());
  EXPECT_TRUE(SendMessage(h, EM_CANUNDO, 0, 0));
  SendMessage(h, EM_UNDO, 0, 0);
  EXPECT_EQ(edit->Text(), "发型 hair");
  SendMessage(h, WM_UNDO, 0, 0);  // undoing the undo
  EXPECT_EQ(edit->Text(), "new");
  // Text set by code clears Modified and the undo step.
  edit->SetText("plain");
  EXPECT_FALSE(edit->Modified());
  EXPECT_FALSE(SendMessage(h, EM_CANUNDO, 0, 0));
  char buf[16];
  GetWindowText(h, buf, sizeof buf);
  EXPECT_STREQ(buf, "plain");
}

TEST_F(EditsTest, ChangesNotifyTheParentAndRunOnChange) {
  auto* edit = Make<TEdit>(10, 10);
  std::vector<std::pair<WORD, HWND>> commands;
  host->SetMessageHandler(WM_COMMAND, [&](TMessage& m) {
    commands.emplace_back(HIWORD(static_cast<DWORD>(m.WParam)), reinterpret_cast<HWND>(m.LParam));
    host->Dispatch(m);
  });
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  Focus(edit);
  Type("ab");
  Key(VK_LEFT);  // moving the caret changes nothing
  KeyWith(VK_SHIFT, VK_HOME);
  Type("x");
  EXPECT_EQ(edit->Text(), "xb");
  ASSERT_EQ(commands.size(), 3u);
  for (auto& c : commands) {
    EXPECT_EQ(c.first, EN_CHANGE);
    EXPECT_EQ(c.second, edit->Handle());
  }
  EXPECT_EQ(changes, 3);
  edit->SetText("xb");  // unchanged: no notification
  EXPECT_EQ(changes, 3);
}

TEST_F(EditsTest, ClipboardKeysAndMaxLength) {
  auto* edit = Make<TEdit>(10, 10);
  Focus(edit);
  Type("Tressora");
  KeyWith(VK_SHIFT, VK_HOME);
  KeyWith(VK_CONTROL, 'C');
  EXPECT_EQ(Clipboard()->AsText(), "Tressora");
  Key(VK_END);
  KeyWith(VK_SHIFT, VK_LEFT);
  KeyWith(VK_SHIFT, VK_DELETE);  // cut
  EXPECT_EQ(edit->Text(), "Tressor");
  EXPECT_EQ(Clipboard()->AsText(), "a");
  KeyWith(VK_SHIFT, VK_INSERT);  // paste
  EXPECT_EQ(edit->Text(), "Tressora");
  KeyWith(VK_CONTROL, 'A');
  KeyWith(VK_CONTROL, VK_INSERT);  // copy
  KeyWith(VK_CONTROL, 'X');
  EXPECT_EQ(edit->Text(), "");
  // Pasting more than MaxLength inserts what fits; a one-line edit takes the first line only.
  edit->SetMaxLength(5);
  Type("ab");
  Key(VK_LEFT);
  Clipboard()->SetAsText("1234\r\nnext");
  KeyWith(VK_CONTROL, 'V');
  EXPECT_EQ(edit->Text(), "a123b");
  int maxText = 0;
  host->SetMessageHandler(WM_COMMAND, [&](TMessage& m) {
    if (HIWORD(static_cast<DWORD>(m.WParam)) == EN_MAXTEXT) ++maxText;
    host->Dispatch(m);
  });
  Type("z");  // full: refused
  EXPECT_EQ(edit->Text(), "a123b");
  EXPECT_EQ(maxText, 1);
  KeyWith(VK_CONTROL, 'Z');
  EXPECT_EQ(edit->Text(), "ab");
  // WM_CLEAR deletes the selection without touching the clipboard.
  edit->SelectAll();
  SendMessage(edit->Handle(), WM_CLEAR, 0, 0);
  EXPECT_EQ(edit->Text(), "");
  EXPECT_EQ(Clipboard()->AsText(), "1234\r\nnext");
}

TEST_F(EditsTest, ReadOnlyPasswordAndCharCase) {
  auto* edit = Make<TEdit>(10, 10);
  edit->SetText("secret");
  Focus(edit);
  SendMessage(edit->Handle(), EM_SETREADONLY, TRUE, 0);
  EXPECT_FALSE(edit->ReadOnly());  // the property stays; the window refuses changes
  EXPECT_TRUE(edit->WindowReadOnly());
  EXPECT_TRUE(GetWindowLong(edit->Handle(), GWL_STYLE) & ES_READONLY);
  Type("x");
  Key(VK_BACK);
  Key(VK_DELETE);
  KeyWith(VK_CONTROL, 'X');
  EXPECT_EQ(edit->Text(), "secret");
  KeyWith(VK_CONTROL, 'A');
  KeyWith(VK_CONTROL, 'C');  // copying still works
  EXPECT_EQ(Clipboard()->AsText(), "secret");
  // The property makes the window read-only again when the window is made anew.
  edit->SetReadOnly(true);
  SendMessage(edit->Handle(), EM_SETREADONLY, FALSE, 0);
  edit->RecreateWnd();
  EXPECT_TRUE(edit->WindowReadOnly());
  edit->SetReadOnly(false);
  Focus(edit);
  // A password is never copied out.
  edit->SetPasswordChar(U'*');
  Clipboard()->SetAsText("kept");
  KeyWith(VK_CONTROL, 'A');
  KeyWith(VK_CONTROL, 'C');
  EXPECT_EQ(Clipboard()->AsText(), "kept");
  EXPECT_EQ(SendMessage(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  edit->SetPasswordChar(0);
  edit->SetCharCase(ecUpperCase);
  EXPECT_EQ(edit->Text(), "SECRET");
  Key(VK_END);
  Type("ok");
  EXPECT_EQ(edit->Text(), "SECRETOK");
}

TEST_F(EditsTest, CaretBlinksOnTheClockAndFollowsTheText) {
  auto* edit = Make<TEdit>(10, 10);
  Focus(edit);
  Type("ab ");
  POINT p;
  GetCaretPos(&p);
  EXPECT_EQ(p.x, SendMessage(edit->Handle(), EM_POSFROMCHAR, 3, 0) & 0xFFFF);
  int y = p.y + 3;
  COLORREF field = win::GetWindowPixel(edit->Handle(), p.x + 3, y);
  EXPECT_TRUE(edit->CaretShown());
  EXPECT_NE(win::GetWindowPixel(edit->Handle(), p.x, y), field);  // the caret inverts the field
  win::AdvanceAndPump(clock, 530);
  EXPECT_FALSE(edit->CaretShown());
  EXPECT_EQ(win::GetWindowPixel(edit->Handle(), p.x, y), field);
  win::AdvanceAndPump(clock, 530);
  EXPECT_TRUE(edit->CaretShown());
  win::AdvanceAndPump(clock, 530);
  Type("c");  // typing shows the caret again at once
  EXPECT_TRUE(edit->CaretShown());
  POINT q;
  GetCaretPos(&q);
  EXPECT_GT(q.x, p.x);
  // Without the focus there is no caret and no blinking.
  auto* other = Make<TEdit>(10, 40);
  Focus(other);
  EXPECT_FALSE(edit->CaretShown());
}

TEST_F(EditsTest, MouseClicksDragsAndDoubleClicks) {
  auto* edit = Make<TEdit>(10, 10);
  edit->SetText("one two three");
  win::PumpMessages();
  auto xOf = [&](int i) { return static_cast<int>(SendMessage(edit->Handle(), EM_POSFROMCHAR, static_cast<WPARAM>(i), 0) & 0xFFFF); };
  TPoint at = edit->ClientToScreen(TPoint(xOf(4), 10));
  win::Click(at.X, at.Y);
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(edit->SelLength(), 0);  // a click places the caret, AutoSelect does not apply
  EXPECT_EQ(edit->CaretIndex(), 4);
  EXPECT_EQ(LOWORD(static_cast<DWORD>(SendMessage(edit->Handle(), EM_CHARFROMPOS, 0, MAKELPARAM(xOf(7), 5)))), 7);
  // Dragging to the left selects backwards.
  TPoint from = edit->ClientToScreen(TPoint(xOf(7), 10)), to = edit->ClientToScreen(TPoint(xOf(1), 10));
  win::InjectMouse(from.X, from.Y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::InjectMouse(to.X, to.Y, WM_MOUSEMOVE, MK_LBUTTON);
  win::InjectMouse(to.X, to.Y, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(edit->SelText(), "ne two");
  EXPECT_EQ(edit->CaretIndex(), 1);
  clock.Advance(1000);
  TPoint w = edit->ClientToScreen(TPoint(xOf(10), 10));
  win::InjectMouse(w.X, w.Y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::InjectMouse(w.X, w.Y, WM_LBUTTONUP);
  win::InjectMouse(w.X, w.Y, WM_LBUTTONDBLCLK, MK_LBUTTON);
  win::InjectMouse(w.X, w.Y, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(edit->SelText(), "three");
}

TEST_F(EditsTest, FormattingRectangleMarginsAndStylesOnRecreation) {
  auto* edit = Make<TRightEdit>(10, 10, 200, 21);
  edit->SetText("ab");
  HWND h = edit->Handle();
  int right = static_cast<int>(SendMessage(h, EM_POSFROMCHAR, 2, 0) & 0xFFFF);
  EXPECT_EQ(right, 200 - 4 - 1);  // at the right edge of the client area inside the edge, margin 1
  RECT r{};
  SendMessage(h, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 196);
  EXPECT_EQ(edit->ClientRect(), TRect(0, 0, 196, 17));
  RECT set{20, 2, 150, 19};
  SendMessage(h, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&set));
  SendMessage(h, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(4, 6));
  EXPECT_EQ(SendMessage(h, EM_GETMARGINS, 0, 0), MAKELRESULT(4, 6));
  SendMessage(h, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.right, 150);
  EXPECT_EQ(SendMessage(h, EM_POSFROMCHAR, 2, 0) & 0xFFFF, 150 - 6);
  // A style changed on the window takes effect when the window is made again.
  edit->Right = false;
  SetWindowLong(h, GWL_STYLE, GetWindowLong(h, GWL_STYLE) & ~static_cast<LONG>(ES_RIGHT));
  EXPECT_EQ(SendMessage(h, EM_POSFROMCHAR, 2, 0) & 0xFFFF, 150 - 6);
  edit->RecreateWnd();
  h = edit->Handle();
  EXPECT_EQ(SendMessage(h, EM_POSFROMCHAR, 0, 0) & 0xFFFF, 1);
  EXPECT_EQ(edit->Text(), "ab");
}

TEST_F(EditsTest, LongTextScrollsWithTheCaret) {
  auto* edit = Make<TEdit>(10, 10, 60, 21);
  Focus(edit);
  Type("a fairly long line of text");
  EXPECT_GT(edit->ScrollOffset(), 0);
  POINT p;
  GetCaretPos(&p);
  EXPECT_LE(p.x, 60 - 4 - 1);
  Key(VK_HOME);
  EXPECT_EQ(edit->ScrollOffset(), 0);
  KeyWith(VK_CONTROL, VK_RIGHT);
  EXPECT_EQ(edit->CaretIndex(), 2);  // behind "a "
  SendMessage(edit->Handle(), EM_SETSEL, 26, 26);
  SendMessage(edit->Handle(), EM_SCROLLCARET, 0, 0);
  EXPECT_GT(edit->ScrollOffset(), 0);
}

TEST_F(EditsTest, MultiLineEditsWrapBreakAndMoveByLines) {
  auto* memo = Make<TMemoEdit>(10, 10, 90, 4 + 2 * 16);
  HWND h = memo->Handle();
  Focus(memo);
  EXPECT_EQ(memo->SelLength(), 0);  // no AutoSelect in a multi-line edit
  Type("one two three four five");
  int lines = static_cast<int>(SendMessage(h, EM_GETLINECOUNT, 0, 0));
  EXPECT_GE(lines, 2);
  // Every wrapped line after the first starts behind a blank.
  for (int l = 1; l < lines; ++l) {
    LRESULT start = SendMessage(h, EM_LINEINDEX, static_cast<WPARAM>(l), 0);
    ASSERT_GT(start, 0);
    EXPECT_EQ(memo->Text()[static_cast<size_t>(start) - 1], ' ') << l;
  }
  EXPECT_EQ(SendMessage(h, EM_LINEINDEX, static_cast<WPARAM>(lines), 0), -1);
  // Return breaks the line; Backspace takes the whole break back.
  Key(VK_END);
  KeyWith(VK_CONTROL, VK_END);
  Key(VK_RETURN);
  Type("x");
  EXPECT_EQ(memo->Text(), "one two three four five\r\nx");
  EXPECT_EQ(SendMessage(h, EM_GETLINECOUNT, 0, 0), lines + 1);
  EXPECT_EQ(SendMessage(h, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0), lines);
  EXPECT_GT(SendMessage(h, EM_GETFIRSTVISIBLELINE, 0, 0), 0);  // two lines fit: it scrolled
  Key(VK_LEFT);
  Key(VK_LEFT);  // over the break in one step
  EXPECT_EQ(memo->CaretIndex(), 23);
  Key(VK_RIGHT);
  Key(VK_BACK);
  EXPECT_EQ(memo->Text(), "one two three four fivex");
  // Up and Down keep the column; Home and End stay on the line.
  KeyWith(VK_CONTROL, VK_HOME);
  EXPECT_EQ(SendMessage(h, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  Key(VK_DOWN);
  EXPECT_EQ(SendMessage(h, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0), 1);
  EXPECT_EQ(static_cast<LRESULT>(memo->CaretIndex()), SendMessage(h, EM_LINEINDEX, 1, 0));
  Key(VK_END);
  int end1 = memo->CaretIndex();
  EXPECT_EQ(end1, SendMessage(h, EM_LINEINDEX, 1, 0) + SendMessage(h, EM_LINELENGTH, static_cast<WPARAM>(end1) - 1, 0));
  Key(VK_UP);
  EXPECT_EQ(SendMessage(h, EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0), 0);
  // A click on the second line puts the caret there.
  auto yOf = [&](LRESULT i) { return static_cast<int>(HIWORD(static_cast<DWORD>(SendMessage(h, EM_POSFROMCHAR, static_cast<WPARAM>(i), 0)))); };
  const int lineHeight = yOf(SendMessage(h, EM_LINEINDEX, 1, 0)) - yOf(0);
  ASSERT_GT(lineHeight, 8);
  TPoint p = memo->ClientToScreen(TPoint(3, lineHeight + lineHeight / 2));
  win::Click(p.X, p.Y);
  EXPECT_EQ(static_cast<LRESULT>(memo->CaretIndex()), SendMessage(h, EM_LINEINDEX, 1, 0));
  LRESULT hit = SendMessage(h, EM_CHARFROMPOS, 0, MAKELPARAM(3, static_cast<DWORD>(lineHeight + 2)));
  EXPECT_EQ(HIWORD(static_cast<DWORD>(hit)), 1);

  // With ES_AUTOHSCROLL the lines do not wrap: one line, scrolled sideways.
  memo->Wrap = false;
  memo->RecreateWnd();
  h = memo->Handle();
  EXPECT_EQ(SendMessage(h, EM_GETLINECOUNT, 0, 0), 1);
  Focus(memo);
  KeyWith(VK_CONTROL, VK_END);
  EXPECT_GT(memo->ScrollOffset(), 0);
}

TEST_F(EditsTest, DialogKeysFollowTheEditsDialogCode) {
  auto* form = new TKeyForm(owner.get());
  form->SetBounds(100, 320, 300, 200);
  form->HandleNeeded();
  auto* line = new TEdit(owner.get());
  line->SetBounds(10, 10, 150, 21);
  line->SetParent(form);
  auto* memo = new TMemoEdit(owner.get());
  memo->SetBounds(10, 40, 150, 80);
  memo->SetParent(form);
  win::PumpMessages();
  Focus(line);
  Type("a");
  Key(VK_RETURN);
  Key(VK_TAB);
  Key(VK_LEFT);  // arrows stay with the edit
  EXPECT_EQ(form->Keys, (std::vector<WORD>{VK_RETURN, VK_TAB}));
  EXPECT_EQ(line->Text(), "a");
  EXPECT_EQ(line->CaretIndex(), 0);
  form->Keys.clear();
  Focus(memo);
  Type("a");
  Key(VK_RETURN);
  Key(VK_TAB);
  Key(VK_ESCAPE);
  EXPECT_EQ(form->Keys, (std::vector<WORD>{VK_ESCAPE}));
  EXPECT_EQ(memo->Text(), "a\r\n\t");
}

TEST_F(EditsTest, AutoSizeMakesTheHeightFollowTheFont) {
  auto* edit = Make<TEdit>(10, 10, 100, 40);
  EXPECT_FALSE(edit->AutoSize());
  EXPECT_EQ(edit->Height(), 40);
  edit->SetAutoSize(true);
  const int small = edit->Height();
  EXPECT_LT(small, 40);
  edit->Font()->SetSize(edit->Font()->Size() * 2);
  EXPECT_GT(edit->Height(), small + 6);
  // The line sits 2 pixels below the top of the client area inside the edge.
  EXPECT_EQ(HIWORD(static_cast<DWORD>(SendMessage(edit->Handle(), EM_POSFROMCHAR, 0, 0))), 2);
  const int framed = edit->Height();
  edit->SetBorderStyle(0);
  EXPECT_EQ(edit->Height(), framed - 6);
  EXPECT_EQ(edit->ClientHeight(), edit->Height());
}

}  // namespace
