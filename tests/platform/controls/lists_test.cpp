// The list box driven through the message queue: keys, characters, mouse, scroll messages and owner
// drawing through the parent.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/controls/lists.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"

namespace {

class TListTestHost : public TCustomControl {
  DECLARE_CLASS(TListTestHost, TCustomControl)
  explicit TListTestHost(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
};

// A list that brings no scroll bar of its own, as a drop-down list with its own scroll bar does.
class TBareList : public TListBox {
  DECLARE_CLASS(TBareList, TListBox)
  explicit TBareList(TComponent* AOwner) : TListBox(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TListBox::CreateParams(Params);
    Params.Style &= ~static_cast<DWORD>(WS_VSCROLL);
  }
};

class ListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    owner = std::make_unique<TComponent>(nullptr);
    host = new TListTestHost(owner.get());
    host->SetBounds(100, 100, 400, 300);
    host->HandleNeeded();
    list = new TListBox(owner.get());
    list->SetBounds(10, 10, 150, 4 * 16 + 4);
    list->SetStyle(lbOwnerDrawFixed);  // fixed 16-pixel items: four fit
    list->SetParent(host);
    for (const char* s : {"apple", "Banana", "cherry", "date", "elder", "fig", "grape", "kiwi"}) list->Items()->Add(s);
    list->OnClick = [this](TObject*) { clicks.push_back(list->ItemIndex()); };
    win::PumpMessages();
  }
  void TearDown() override {
    owner.reset();
    win::ResetWindowManager();
    clock.Uninstall();
  }
  static void Key(UINT Vk) {
    win::InjectKey(WM_KEYDOWN, Vk);
    win::InjectKey(WM_KEYUP, Vk);
    win::PumpMessages();
  }
  TPoint ItemPoint(int Index) {
    RECT r{};
    SendMessage(list->Handle(), LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
    return list->ClientToScreen(TPoint(r.left + 5, r.top + 5));
  }

  win::FakeClock clock;
  std::unique_ptr<TComponent> owner;
  TListTestHost* host = nullptr;
  TListBox* list = nullptr;
  std::vector<int> clicks;
};

TEST_F(ListsTest, KeysAndMouseSelectAndNotifyOnlyForTheUser) {
  HWND h = list->Handle();
  EXPECT_EQ(list->VisibleCount(), 4);
  list->SetItemIndex(2);  // by code: no notification
  EXPECT_TRUE(clicks.empty());
  EXPECT_EQ(SendMessage(h, LB_GETCURSEL, 0, 0), 2);
  TPoint p = ItemPoint(1);
  win::Click(p.X, p.Y);
  EXPECT_TRUE(list->Focused());
  EXPECT_EQ(list->ItemIndex(), 1);
  win::Click(p.X, p.Y);  // the same item again: no change, no notification
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_DOWN);  // item 4 is below the visible four: the list scrolls
  EXPECT_EQ(list->ItemIndex(), 4);
  EXPECT_EQ(list->TopIndex(), 1);
  Key(VK_END);
  EXPECT_EQ(list->TopIndex(), 4);
  Key(VK_PRIOR);  // a page less one
  EXPECT_EQ(list->ItemIndex(), 4);
  Key(VK_HOME);
  EXPECT_EQ(list->TopIndex(), 0);
  // A character selects the next item starting with it, case-insensitively, wrapping.
  win::InjectChar("b");
  win::PumpMessages();
  EXPECT_EQ(list->ItemIndex(), 1);
  win::InjectChar("a");
  win::PumpMessages();
  EXPECT_EQ(list->ItemIndex(), 0);
  EXPECT_EQ(clicks, (std::vector<int>{1, 2, 3, 4, 7, 4, 0, 1, 0}));
  // Type-ahead works for Chinese items too.
  list->Items()->Add("长发");
  win::InjectChar("长");
  win::PumpMessages();
  EXPECT_EQ(list->ItemIndex(), 8);
  // A click below the last item changes nothing.
  list->Items()->Clear();
  list->Items()->Add("only");
  clicks.clear();
  TPoint below = list->ClientToScreen(TPoint(5, 50));
  win::Click(below.X, below.Y);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_TRUE(clicks.empty());
}

TEST_F(ListsTest, DraggingAndDoubleClicking) {
  int dbl = 0;
  list->OnDblClick = [&](TObject*) { ++dbl; };
  TPoint a = ItemPoint(0), c = ItemPoint(2);
  win::InjectMouse(a.X, a.Y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::InjectMouse(c.X, c.Y, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();  // moves in one go would be merged into the last one
  TPoint under = list->ClientToScreen(TPoint(5, 80));  // below the client area: one more item
  win::InjectMouse(under.X, under.Y, WM_MOUSEMOVE, MK_LBUTTON);
  win::InjectMouse(under.X, under.Y, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(list->ItemIndex(), 3);
  EXPECT_EQ(clicks, (std::vector<int>{0, 2, 3}));
  clock.Advance(2000);
  TPoint b = ItemPoint(1);
  win::InjectMouse(b.X, b.Y, WM_LBUTTONDOWN, MK_LBUTTON);
  win::InjectMouse(b.X, b.Y, WM_LBUTTONUP);
  win::InjectMouse(b.X, b.Y, WM_LBUTTONDBLCLK, MK_LBUTTON);
  win::InjectMouse(b.X, b.Y, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(dbl, 1);
  EXPECT_EQ(list->ItemIndex(), 1);
}

TEST_F(ListsTest, ScrollMessagesAndItemRectangles) {
  HWND h = list->Handle();
  struct Step {
    int code, pos, top;
  };
  const Step steps[] = {{SB_LINEDOWN, 0, 1}, {SB_PAGEDOWN, 0, 4}, {SB_LINEDOWN, 0, 4}, {SB_LINEUP, 0, 3},
                        {SB_TOP, 0, 0},      {SB_BOTTOM, 0, 4},   {SB_PAGEUP, 0, 1},   {SB_THUMBTRACK, 2, 2},
                        {SB_THUMBPOSITION, 9, 4}, {SB_ENDSCROLL, 0, 4}};
  for (const Step& s : steps) {
    SendMessage(h, WM_VSCROLL, MAKEWPARAM(static_cast<DWORD>(s.code), static_cast<DWORD>(s.pos)), 0);
    EXPECT_EQ(SendMessage(h, LB_GETTOPINDEX, 0, 0), s.top) << s.code;
  }
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(h, SB_VERT, &si);
  EXPECT_EQ(si.nMax, 7);
  EXPECT_EQ(si.nPage, 4u);
  EXPECT_EQ(si.nPos, 4);
  RECT r{};
  EXPECT_EQ(SendMessage(h, LB_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&r)), 1);
  EXPECT_EQ(r.top, 16);
  EXPECT_EQ(r.bottom, 32);
  EXPECT_EQ(SendMessage(h, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r)), 1);
  EXPECT_EQ(r.top, -48);  // scrolled away above
  EXPECT_EQ(SendMessage(h, LB_GETITEMRECT, 8, reinterpret_cast<LPARAM>(&r)), LB_ERR);
  // LB_SELECTSTRING searches after the start item, wraps, ignores case and brings the item into view.
  EXPECT_EQ(SendMessage(h, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("BAN")), 1);
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(list->TopIndex(), 1);
  EXPECT_EQ(SendMessage(h, LB_SELECTSTRING, 6, reinterpret_cast<LPARAM>("a")), 0);
  // 65535, the 16-bit -1 the drop-down lists send, also searches from the first item.
  EXPECT_EQ(SendMessage(h, LB_SELECTSTRING, 65535, reinterpret_cast<LPARAM>("ch")), 2);
  EXPECT_EQ(SendMessage(h, LB_SELECTSTRING, 65535, reinterpret_cast<LPARAM>("a")), 0);
  EXPECT_EQ(SendMessage(h, LB_SELECTSTRING, 0, reinterpret_cast<LPARAM>("zz")), LB_ERR);
  EXPECT_EQ(list->ItemIndex(), 0);
  EXPECT_TRUE(clicks.empty());
  char buf[32];
  EXPECT_EQ(SendMessage(h, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(buf)), 6);
  EXPECT_STREQ(buf, "cherry");
  // Sorted keeps the order and the selected item.
  list->Items()->Add("Avocado");
  list->SetItemIndex(list->Items()->IndexOf("fig"));
  list->SetSorted(true);
  EXPECT_EQ(list->Items()->Strings(1), "Avocado");
  EXPECT_EQ(list->Items()->Strings(list->ItemIndex()), "fig");
  EXPECT_EQ(SendMessage(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("banana split")), 3);
  TObject tag;
  EXPECT_EQ(SendMessage(h, LB_SETITEMDATA, 3, reinterpret_cast<LPARAM>(&tag)), 0);
  EXPECT_EQ(list->Items()->Objects(3), &tag);
  EXPECT_EQ(SendMessage(h, LB_GETITEMDATA, 3, 0), reinterpret_cast<LRESULT>(&tag));
  EXPECT_EQ(SendMessage(h, LB_GETITEMDATA, 99, 0), LB_ERR);
}

TEST_F(ListsTest, OwnerDrawGoesThroughTheParentAndPaintsItems) {
  std::vector<UINT> drawItems;
  host->SetMessageHandler(WM_DRAWITEM, [&](TMessage& m) {
    drawItems.push_back(reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam)->itemID);
    host->Dispatch(m);
  });
  struct Drawn {
    int index;
    TRect rect;
    bool selected, focused;
  };
  std::vector<Drawn> drawn;
  list->OnDrawItem = [&](TWinControl*, int Index, const TRect& Rect, TOwnerDrawState State) {
    drawn.push_back({Index, Rect, State.Contains(odSelected), State.Contains(odFocused)});
    TCanvas* c = list->Canvas();
    c->FillRect(Rect);
    c->Brush()->SetColor(Index % 2 ? clRed : clBlue);
    c->FillRect(TRect(Rect.Left + 2, Rect.Top + 2, Rect.Left + 12, Rect.Bottom - 2));
  };
  list->SetItemIndex(1);
  list->SetFocus();
  list->Invalidate();
  win::PumpMessages();
  EXPECT_EQ(drawItems, (std::vector<UINT>{0, 1, 2, 3}));
  ASSERT_EQ(drawn.size(), 4u);
  EXPECT_EQ(drawn[1].rect, TRect(0, 16, 150 - 4 - GetSystemMetrics(SM_CXVSCROLL), 32));
  EXPECT_EQ(list->ClientWidth(), drawn[1].rect.Right);
  EXPECT_TRUE(drawn[1].selected && drawn[1].focused);
  EXPECT_FALSE(drawn[0].selected || drawn[0].focused);
  EXPECT_EQ(win::GetWindowPixel(list->Handle(), 6, 8), RGB(0, 0, 255));
  EXPECT_EQ(win::GetWindowPixel(list->Handle(), 6, 24), RGB(255, 0, 0));
  // The canvas brush of a selected item is the highlight colour.
  EXPECT_EQ(win::GetWindowPixel(list->Handle(), 40, 24), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(win::GetWindowPixel(list->Handle(), 40, 8), GetSysColor(COLOR_WINDOW));
}

TEST_F(ListsTest, WheelFocusLookAndListsWithoutAScrollBar) {
  HWND h = list->Handle();
  TPoint c = list->ClientToScreen(TPoint(20, 20));
  SendMessage(h, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<DWORD>(-WHEEL_DELTA) & 0xFFFF), MAKELPARAM(c.X, c.Y));
  EXPECT_EQ(list->TopIndex(), 3);
  bool take = true;
  list->OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool& Handled) { Handled = take; };
  SendMessage(h, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(c.X, c.Y));
  EXPECT_EQ(list->TopIndex(), 3);  // the event took it
  take = false;
  SendMessage(h, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(c.X, c.Y));
  EXPECT_EQ(list->TopIndex(), 0);

  auto* bare = new TBareList(owner.get());
  bare->SetBounds(200, 10, 150, 40);
  bare->SetParent(host);
  for (int i = 0; i < 20; ++i) bare->Items()->Add("item " + std::to_string(i));
  win::PumpMessages();
  EXPECT_FALSE(GetWindowLong(bare->Handle(), GWL_STYLE) & WS_VSCROLL);
  std::vector<bool> focusedLook;
  bare->OnDrawItem = [&](TWinControl*, int, const TRect&, TOwnerDrawState State) {
    focusedLook.push_back(State.Contains(odFocused));
  };
  bare->SetStyle(lbOwnerDrawFixed);
  bare->SetItemIndex(0);
  TMessage m{WM_SETFOCUS, 0, 0, 0};
  bare->DefaultHandler(m);  // the look of the focus without taking it
  win::PumpMessages();
  EXPECT_FALSE(bare->Focused());
  ASSERT_FALSE(focusedLook.empty());
  EXPECT_TRUE(focusedLook.front());
  EXPECT_FALSE(GetWindowLong(bare->Handle(), GWL_STYLE) & WS_VSCROLL);
}

TEST_F(ListsTest, AStandardListWritesItsItems) {
  auto* plain = new TListBox(owner.get());
  plain->SetBounds(200, 10, 150, 100);
  plain->SetParent(host);
  plain->Items()->Add("WWWW");
  plain->Items()->Add("");
  win::PumpMessages();
  const int h = plain->ItemHeight();
  auto darkIn = [&](int top) {
    for (int y = top; y < top + h; ++y)
      for (int x = 0; x < 40; ++x) {
        COLORREF p = win::GetWindowPixel(plain->Handle(), x, y);
        if (GetRValue(p) < 100 && GetGValue(p) < 100 && GetBValue(p) < 100) return true;
      }
    return false;
  };
  EXPECT_TRUE(darkIn(0));
  EXPECT_FALSE(darkIn(h));  // the empty item
  EXPECT_FALSE(darkIn(2 * h));  // below the items
}

}  // namespace
