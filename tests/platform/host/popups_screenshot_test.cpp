// Pictures for a person to look at: a form with scroll bars and a month calendar, an open pop-up
// menu and a hint, all in the desktop's style. Pixel checks make sure the parts were drawn.
#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

#include "platform/controls/controls.h"
#include "platform/controls/hints.h"
#include "platform/controls/menus.h"
#include "platform/controls/monthcal.h"
#include "platform/controls/scrollbars.h"
#include "platform/controls/stdctrls.h"
#include "platform/controls/themes.h"
#include "platform/host/theme.h"
#include "platform/win/clock.h"
#include "platform/win/scrollbars.h"
#include "platform/win/testing.h"
#include "tests/platform/host/screenshot_fixture.h"

namespace {

// A list-like panel with the window's own vertical and horizontal bars.
class TScrolledPanel : public TCustomControl {
  DECLARE_CLASS(TScrolledPanel, TCustomControl)
  explicit TScrolledPanel(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_VSCROLL | WS_HSCROLL;
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  }
  void Paint() override {
    HDC dc = Canvas()->Handle();
    FillSolidRect(dc, RECT{0, 0, ClientWidth(), ClientHeight()}, ColorRef(clWindow));
    for (int i = 0; i < 8; ++i) {
      RECT r{4, 4 + i * 18, ClientWidth(), 22 + i * 18};
      DrawControlText(dc, "Row " + std::to_string(i + 1), r, DT_LEFT | DT_SINGLELINE, Font(), true);
    }
  }
};

class PopupsScreenshotTest : public ScreenshotTest {
 protected:
  void TearDown() override {
    Hints::Finalize();
    ScreenshotTest::TearDown();
  }
};

TEST_F(PopupsScreenshotTest, FormWithScrollBarsCalendarMenuAndHint) {
  auto* form = new TShotWindow(owner.get());
  form->SetBounds(50, 50, 480, 300);
  auto* panel = new TScrolledPanel(owner.get());
  panel->SetBounds(12, 12, 180, 150);
  panel->SetParent(form);
  auto* hbar = new TScrollBar(owner.get());
  hbar->SetBounds(12, 180, 180, 17);
  hbar->SetParent(form);
  auto* vbar = new TScrollBar(owner.get());
  vbar->SetKind(sbVertical);
  vbar->SetBounds(200, 12, 17, 185);
  vbar->SetParent(form);
  auto* cal = new TMonthCalendar(owner.get());
  cal->SetLeft(232);
  cal->SetTop(12);
  cal->SetParent(form);
  cal->SetAutoSize(true);
  cal->SetToday(EncodeDate(2026, 12, 10));
  cal->SetDate(EncodeDate(2026, 12, 17));
  auto* button = new TButton(owner.get());
  button->SetBounds(12, 220, 120, 28);
  button->SetCaption("Hover me");
  button->SetHint("Starts the import|Reads the rows from the file");
  button->SetShowHint(true);
  button->SetParent(form);
  form->HandleNeeded();
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = 99;
  si.nPage = 20;
  si.nPos = 30;
  SetScrollInfo(panel->Handle(), SB_VERT, &si, TRUE);
  si.nPage = 50;
  si.nPos = 0;
  SetScrollInfo(panel->Handle(), SB_HORZ, &si, TRUE);
  hbar->SetPageSize(10);
  hbar->SetParams(40, 0, 100);
  vbar->SetParams(80, 0, 100);
  EnableScrollBar(vbar->Handle(), SB_CTL, ESB_DISABLE_RTDN);
  win::PumpMessages();
  // Hold the horizontal bar's right arrow down while the picture is taken.
  win::ScrollBarLook look;
  ASSERT_TRUE(win::GetScrollBarLook(hbar->Handle(), SB_CTL, look));
  TPoint arrow = hbar->ClientToScreen(TPoint((look.arrowDown.left + look.arrowDown.right) / 2, 8));
  win::InjectMouse(arrow.X, arrow.Y, WM_LBUTTONDOWN);
  win::PumpMessages();
  ASSERT_TRUE(win::SaveWindowPng(form->Handle(), win::ArtifactPath("popups_form.png")));
  win::InjectMouse(arrow.X, arrow.Y, WM_LBUTTONUP);
  win::PumpMessages();
  // The thumb of the panel's bar is drawn where the layout put it: not the track's colour.
  ASSERT_TRUE(win::GetScrollBarLook(panel->Handle(), SB_VERT, look));
  RECT wr, fr;
  GetWindowRect(panel->Handle(), &wr);
  GetWindowRect(form->Handle(), &fr);
  COLORREF track = win::GetWindowPixel(form->Handle(), wr.left - fr.left + (look.pageDown.left + look.pageDown.right) / 2,
                                       wr.top - fr.top + look.pageDown.bottom - 3);
  COLORREF thumb = win::GetWindowPixel(form->Handle(), wr.left - fr.left + (look.thumb.left + look.thumb.right) / 2,
                                       wr.top - fr.top + (look.thumb.top + look.thumb.bottom) / 2);
  EXPECT_NE(track, thumb);
  // The calendar's title row in the caption colour.
  EXPECT_EQ(win::GetWindowPixel(cal->Handle(), cal->ClientWidth() / 2, 3), GetSysColor(COLOR_ACTIVECAPTION)) << "the title row";

  // The hint of the button, after the pause.
  TPoint over = button->ClientToScreen(TPoint(30, 14));
  win::InjectMouse(over.X, over.Y, WM_MOUSEMOVE);
  win::PumpMessages();
  win::AdvanceAndPump(clock, Hints::HintPause());
  THintWindow* hint = Hints::ShownHintWindow();
  ASSERT_NE(hint, nullptr);
  ASSERT_TRUE(win::SaveWindowPng(hint->Handle(), win::ArtifactPath("popups_hint.png")));
  EXPECT_EQ(win::GetWindowPixel(hint->Handle(), 1, 1), GetSysColor(COLOR_INFOBK));

  // A pop-up menu with a checked item, a line, shortcuts and a disabled item, the second row lit.
  auto* menu = new TPopupMenu(owner.get());
  const char* captions[] = {"&Copy", "Select &all", "-", "&Filter row", "Delete records"};
  for (const char* c : captions) {
    auto* item = new TMenuItem(nullptr);
    item->SetCaption(c);
    menu->Items()->Add(item);
  }
  menu->Items()->Items(0)->SetShortCut(ShortCut('C', TShiftState{ssCtrl}));
  menu->Items()->Items(1)->SetShortCut(ShortCut('A', TShiftState{ssCtrl}));
  menu->Items()->Items(3)->SetChecked(true);
  menu->Items()->Items(4)->SetEnabled(false);
  auto* exportItem = new TMenuItem(nullptr);
  exportItem->SetCaption("&Export");
  for (const char* c : {"Text...", "CSV...", "RTF..."}) {
    auto* item = new TMenuItem(nullptr);
    item->SetCaption(c);
    exportItem->Add(item);
  }
  menu->Items()->Add(exportItem);
  menu->ShowAt(300, 200);
  menu->MenuWindow()->Select(1);
  win::PumpMessages();
  ASSERT_TRUE(win::SaveWindowPng(menu->MenuWindow()->Handle(), win::ArtifactPath("popups_menu.png")));
  TRect row = menu->MenuWindow()->RowRect(1);
  EXPECT_EQ(win::GetWindowPixel(menu->MenuWindow()->Handle(), row.Left + 2, row.Top + 2), GetSysColor(COLOR_HIGHLIGHT));
  // The children of the last item beside it, their first row lit.
  menu->MenuWindow()->OpenSubMenu(5, true);
  win::PumpMessages();
  TPopupMenuWindow* sub = menu->MenuWindow()->SubMenu();
  ASSERT_NE(sub, nullptr);
  ASSERT_TRUE(win::SaveWindowPng(sub->Handle(), win::ArtifactPath("popups_submenu.png")));
  EXPECT_EQ(sub->Selected(), 0);
  menu->CloseMenu();
}

}  // namespace
