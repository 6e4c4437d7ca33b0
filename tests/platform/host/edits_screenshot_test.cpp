// A picture for a person to look at: a mask edit with its caret and a selection, a plain edit that
// keeps its selection shown, and an owner-drawn list box, in the desktop theme.
#include <gtest/gtest.h>

#include <QApplication>

#include <memory>
#include <string>

#include "platform/controls/edits.h"
#include "platform/controls/lists.h"
#include "platform/controls/stdctrls.h"
#include "platform/controls/themes.h"
#include "platform/host/theme_painter.h"
#include "platform/win/clock.h"
#include "tests/platform/controls/make_control.h"
#include "platform/win/testing.h"
#include "tests/platform/host/screenshot_fixture.h"

namespace {

class TWrapEdit : public TEdit {
  DECLARE_CLASS(TWrapEdit, TEdit)
  explicit TWrapEdit(TComponent* AOwner) : TEdit(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TEdit::CreateParams(Params);
    Params.Style = (Params.Style | ES_MULTILINE) & ~static_cast<DWORD>(ES_AUTOHSCROLL);
  }
};

class EditsScreenshotTest : public ScreenshotTest {
 protected:
  template <typename T>
  T* Make(TWinControl* Parent, int L, int T_, int W, int H) {
    return MakeControl<T>(owner.get(), Parent, L, T_, W, H);
  }
};

TEST_F(EditsScreenshotTest, MaskEditAndOwnerDrawnListBox) {
  auto* window = new TShotWindow(owner.get());
  window->SetBounds(60, 60, 420, 230);
  window->HandleNeeded();

  auto* phoneLabel = Make<TLabel>(window, 16, 18, 120, 17);
  phoneLabel->SetCaption("电话 Phone:");
  auto* phone = Make<TMaskEdit>(window, 120, 14, 160, 23);
  phone->SetEditMask("!\\(999\\)000-0000;1;_");
  auto* nameLabel = Make<TLabel>(window, 16, 50, 120, 17);
  nameLabel->SetCaption("名字 Name:");
  auto* name = Make<TEdit>(window, 120, 46, 160, 23);
  name->SetText("发型 Tressora");
  name->SetHideSelection(false);
  name->SetSelStart(3);
  name->SetSelLength(8);

  auto* list = Make<TListBox>(window, 16, 84, 264, 4 * 22 + 4);
  list->SetStyle(lbOwnerDrawFixed);
  list->SetItemHeight(22);
  const std::pair<const char*, TColor> colours[] = {{"栗色 Chestnut", TColor(0x1E3C78)}, {"金色 Golden", TColor(0x2CB8E6)},
                                                    {"黑色 Black", TColor(0x202020)},    {"红色 Copper", TColor(0x2850C8)},
                                                    {"灰色 Silver", TColor(0xB4B4B4)}};
  for (auto& c : colours) list->Items()->Add(c.first);
  list->OnDrawItem = [&](TWinControl*, int Index, const TRect& Rect, TOwnerDrawState) {
    TCanvas* c = list->Canvas();
    c->FillRect(Rect);
    TColor text = c->Font()->Color();
    c->Brush()->SetColor(colours[Index].second);
    c->Pen()->SetColor(clGray);
    c->Rectangle(Rect.Left + 4, Rect.Top + 3, Rect.Left + 34, Rect.Bottom - 3);
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(text);
    c->TextOut(Rect.Left + 42, Rect.Top + 3, list->Items()->Strings(Index));
  };
  list->SetItemIndex(1);

  auto* ok = Make<TButton>(window, 300, 14, 100, 25);
  ok->SetCaption("确定 OK");
  auto* notes = Make<TWrapEdit>(window, 300, 46, 104, 134);
  notes->SetText("长发 long hair, 短发 short hair\r\nSecond paragraph");
  notes->SetHideSelection(false);
  SendMessage(notes->Handle(), EM_SETSEL, 20, 36);
  win::PumpMessages();

  // Type part of a number into the mask edit, then select two digits backwards.
  phone->SetFocus();
  win::PumpMessages();
  win::InjectChar("55512");
  win::PumpMessages();
  SendMessage(phone->Handle(), EM_SETSEL, 7, 5);
  win::PumpMessages();
  EXPECT_EQ(phone->EditText(), "(555)12_-____");
  EXPECT_EQ(phone->SelText(), "12");
  EXPECT_TRUE(phone->CaretShown());

  ASSERT_TRUE(win::SaveWindowPng(window->Handle(), win::ArtifactPath("edits_and_list.png")));

  // The caret stands at the start of the selection, inverting the highlight.
  POINT caret;
  GetCaretPos(&caret);
  EXPECT_EQ(caret.x, SendMessage(phone->Handle(), EM_POSFROMCHAR, 5, 0) & 0xFFFF);
  int y = caret.y + 4;
  COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(win::GetWindowPixel(phone->Handle(), caret.x + 2, y) == highlight ||
                win::GetWindowPixel(phone->Handle(), caret.x + 3, y) == highlight,
            true);
  EXPECT_NE(win::GetWindowPixel(phone->Handle(), caret.x, y), highlight);
  // The unfocused edit keeps its selection shown.
  int selX = static_cast<int>(SendMessage(name->Handle(), EM_POSFROMCHAR, 4, 0) & 0xFFFF);
  EXPECT_EQ(win::GetWindowPixel(name->Handle(), selX, 11), highlight);
  // The list's swatches and the highlighted selected item.
  RECT item{};
  SendMessage(list->Handle(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(win::GetWindowPixel(list->Handle(), item.left + 10, item.top + 10), ColorRef(TColor(0x2CB8E6)));
  EXPECT_EQ(win::GetWindowPixel(list->Handle(), item.left + 200, item.top + 2), highlight);
  SendMessage(list->Handle(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(win::GetWindowPixel(list->Handle(), item.left + 10, item.top + 10), ColorRef(TColor(0x1E3C78)));
  // The wrapped edit shows its text on several lines.
  EXPECT_EQ(SendMessage(notes->Handle(), EM_GETLINECOUNT, 0, 0), 3);
}

}  // namespace
