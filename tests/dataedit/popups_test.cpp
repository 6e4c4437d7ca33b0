// The pick list with its grip, the calendar pop-up, and pictures of the button faces and pop-ups.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dataedit/CalculatorX.h"
#include "dataedit/MRUListX.h"
#include "platform/controls/scrollbars.h"
#include "dataedit/PopupsX.h"
#include "dataedit/ToolCtrlsX.h"
#include "platform/controls/controls.h"
#include "platform/controls/themes.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"

namespace {

class TFacesHost : public TCustomControl {
  DECLARE_CLASS(TFacesHost, TCustomControl)
  explicit TFacesHost(TComponent* AOwner) : TCustomControl(AOwner) { FColor = clBtnFace; }
  std::function<void(HDC)> PaintBody;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
  void Paint() override {
    RECT r{0, 0, Width(), Height()};
    FillRect(Canvas()->Handle(), &r, GetSysColorBrush(COLOR_WINDOW));
    if (PaintBody) PaintBody(Canvas()->Handle());
  }
};

class TReceiver : public TComponent, public ICloseUpReceiverX {
 public:
  TReceiver() : TComponent(nullptr) {}
  void CloseUp(bool Accept) override { Calls.push_back(Accept); }
  std::vector<bool> Calls;
};

class PopupsX : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    ToolCtrlsXUnit::Initialize();
    owner = std::make_unique<TReceiver>();
  }
  void TearDown() override {
    owner.reset();
    win::ResetWindowManager();
    ToolCtrlsXUnit::Finalize();
    EditButtonThemesActive = true;
    clock.Uninstall();
  }
  TFacesHost* MakeHost(int L, int T, int W, int H) {
    auto* h = new TFacesHost(owner.get());
    h->SetBounds(L, T, W, H);
    h->HandleNeeded();
    win::PumpMessages();
    return h;
  }
  win::FakeClock clock;
  std::unique_ptr<TReceiver> owner;
};

TEST_F(PopupsX, EditButtonFacesInEveryStyleAndState) {
  // Rows: themed, flat themed, classic, flat classic. Columns: each kind in normal, hot, pressed,
  // lower half pressed (up-down) and disabled; check boxes unchecked, checked and grayed.
  auto* host = MakeHost(0, 0, 6 * 5 * 22 + 20, 4 * 30 + 10);
  host->PaintBody = [](HDC DC) {
    for (int row = 0; row < 4; ++row) {
      EditButtonThemesActive = row < 2;
      ResetButtonsBitmapCache();
      const bool Flat = row % 2 == 1;
      int x = 5;
      for (int kind = 0; kind < 6; ++kind) {
        for (int state = 0; state < 5; ++state) {
          RECT R{x, 5 + row * 30, x + 17, 5 + row * 30 + 21};
          const bool Active = state == 1;
          const int Down = state == 2 ? 1 : state == 3 ? 2 : 0;
          const bool Enabled = state != 4;
          const int Check = kind == bkCheckBoxX ? state % 3 : 0;
          DrawEditButton(DC, R, GetSysColor(COLOR_WINDOW), Check, Enabled, Active, Flat, Down, kind);
          x += 22;
        }
        x += 0;
      }
    }
    EditButtonThemesActive = true;
    ResetButtonsBitmapCache();
  };
  host->Invalidate();
  ASSERT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("dataedit_edit_buttons.png")));
}

TEST_F(PopupsX, PickListOpensAboveNearTheBottomAndMovesItsGrip) {
  MONITORINFO Info;
  RECT Probe{0, 0, 10, 10};
  GetMonitorInfo(MonitorFromRect(&Probe, MONITOR_DEFAULTTONEAREST), &Info);
  auto* host = MakeHost(100, Info.rcWork.bottom - 60, 200, 22);
  auto* list = new TPopupListboxX(owner.get());
  for (const char* s : {"apple", "apricot", "avocado", "banana", "blueberry", "cherry", "date", "fig"})
    list->Items()->Add(s);
  list->SetWidth(200);
  list->SetVisibleRows(5);
  EXPECT_EQ(list->RowsShown(), 5);
  EXPECT_EQ(list->Height(), 5 * list->ItemHeight() + list->BorderHeight());
  // A height between rows snaps to whole rows.
  list->SetHeight(5 * list->ItemHeight() + list->BorderHeight() + 7);
  EXPECT_EQ(list->RowsShown(), 5);
  EXPECT_EQ(list->SizeGrip()->Corner(), 2);
  POINT Pos;
  PositionDropDownWindow(host, list, daLeft, Pos, list->ItemHeight());
  list->SetBounds(Pos.x, Pos.y, list->Width(), list->Height());
  EXPECT_EQ(Pos.y + list->Height(), host->Top());     // above the owner
  EXPECT_EQ(list->SizeGrip()->Corner(), 1);            // bottom right moved to top right
  list->SetItemIndex(2);
  ShowWindow(list->Handle(), SW_SHOWNOACTIVATE);
  win::PumpMessages();
  EXPECT_EQ(list->SizeGrip()->Left(), list->ClientWidth() - list->SizeGrip()->Width());
  EXPECT_EQ(list->SizeGrip()->Top(), 0);
  ASSERT_TRUE(win::SaveWindowPng(list->Handle(), win::ArtifactPath("dataedit_popup_list.png")));
}

TEST_F(PopupsX, PickListIncrementalSearchRestartsAfterTwoSeconds) {
  auto* list = new TPopupListboxX(owner.get());
  for (const char* s : {"apple", "Abacus", "avocado", "banana", "blueberry"}) list->Items()->Add(s);
  list->SetBounds(10, 10, 150, 100);
  auto Type = [&](const char* s) {
    for (const char* p = s; *p; ++p) {
      WideChar k = static_cast<WideChar>(*p);
      list->Perform(WM_CHAR, k, 0);
    }
  };
  Type("ab");
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(list->SearchText(), "ab");
  clock.Advance(1500);
  Type("a");
  EXPECT_EQ(list->SearchText(), "aba");
  clock.Advance(2001);
  Type("b");
  EXPECT_EQ(list->SearchText(), "b");
  EXPECT_EQ(list->ItemIndex(), 3);
  list->Perform(WM_CHAR, 27, 0);
  EXPECT_EQ(list->SearchText(), "");
}

TEST_F(PopupsX, PickListKeepsAtLeastOneRowAndTheGripSize) {
  auto* list = new TPopupListboxX(owner.get());
  list->SetBounds(10, 10, 0, 0);
  EXPECT_GE(list->Width(), GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(list->RowsShown(), 1);
  EXPECT_GE(list->Height(), list->ItemHeight());
}

TEST_F(PopupsX, CalendarClosesThroughItsOwner) {
  auto* cal = new TPopupMonthCalendarX(owner.get());
  cal->SetDate(EncodeDate(2026, 12, 10));
  cal->SetBounds(200, 200, 10, 10);
  cal->HandleNeeded();
  ShowWindow(cal->Handle(), SW_SHOWNOACTIVATE);
  win::PumpMessages();
  EXPECT_GT(cal->Width(), 100);
  ASSERT_TRUE(win::SaveWindowPng(cal->Handle(), win::ArtifactPath("dataedit_calendar_popup.png")));
  cal->Perform(WM_KEYDOWN, VK_RETURN, 0);
  cal->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
  cal->Perform(CM_CLOSEPOPUPX, 0, 0);
  EXPECT_EQ(owner->Calls, (std::vector<bool>{true, false, false}));
  const TDateTime Before = cal->Date();
  cal->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_DOUBLE_EQ(cal->Date(), Before + 1);
}

TEST_F(PopupsX, CalculatorPicture) {
  auto* host = MakeHost(300, 300, 184, 127);
  auto* calc = new TCalculatorX(owner.get());
  calc->SetParent(host);
  win::PumpMessages();
  // Clicking the keys: 1 2 + 3 0 shows "=" on the equal key, which then gives 42.
  auto ClickKey = [&](int Tag) {
    TSpeedButtonX* B = calc->Key(Tag);
    ASSERT_NE(B, nullptr);
    TPoint P = B->ClientToScreen(TPoint(B->Width() / 2, B->Height() / 2));
    win::Click(P.X, P.Y);
  };
  for (int Tag : {13, 14, 22, 15, 19}) ClickKey(Tag);
  EXPECT_EQ(calc->DisplayText(), "30");
  EXPECT_EQ(calc->Key(23)->Caption(), "=");
  ASSERT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("dataedit_calculator_pending.png")));
  ClickKey(23);
  EXPECT_EQ(calc->DisplayText(), "42");
  EXPECT_EQ(calc->Key(23)->Caption(), "Ok");
  win::PumpMessages();
  ASSERT_TRUE(win::SaveWindowPng(host->Handle(), win::ArtifactPath("dataedit_calculator.png")));
}

}  // namespace

namespace {

TEST_F(PopupsX, MRUListBoxShowsItsScrollBarOnlyWhenItemsDoNotFit) {
  auto* box = new TMRUListboxX(owner.get());
  for (int i = 0; i < 7; ++i) box->Items()->Add("entry " + std::to_string(i));
  box->SetWidth(160);
  box->SetVisibleRows(5);
  box->UpdateScrollBar();
  TScrollBar* sb = box->ScrollBar();
  EXPECT_TRUE(sb->Visible());
  EXPECT_EQ(sb->Min(), 0);
  EXPECT_EQ(sb->Max(), 6);
  EXPECT_EQ(sb->PageSize(), 5);
  EXPECT_FALSE(box->SizeGrip()->Triangular());  // closes the scroll bar's column
  EXPECT_EQ(sb->Left() + sb->Width(), box->ClientWidth());
  EXPECT_EQ(sb->Top() + sb->Height(), box->ClientHeight() - box->SizeGrip()->Height());
  box->SetBounds(300, 300, box->Width(), box->Height());
  ShowWindow(box->Handle(), SW_SHOWNOACTIVATE);
  win::PumpMessages();
  ASSERT_TRUE(win::SaveWindowPng(box->Handle(), win::ArtifactPath("dataedit_mru_list.png")));
  // The drop-down opened above: the grip goes to the top right and the bar below it.
  box->Perform(WM_DROPDOWNSIDE, 2, 0);
  EXPECT_EQ(box->SizeGrip()->Corner(), 1);
  EXPECT_EQ(sb->Top(), box->SizeGrip()->Height());
  while (box->Items()->Count() > 5) box->Items()->Delete(0);
  box->UpdateScrollBar();
  EXPECT_FALSE(sb->Visible());
  EXPECT_TRUE(box->SizeGrip()->Triangular());
}

}  // namespace

namespace {

TEST_F(PopupsX, WheelAndEscape) {
  auto* list = new TPopupListboxX(owner.get());
  for (int i = 0; i < 20; ++i) list->Items()->Add("row " + std::to_string(i));
  list->SetWidth(120);
  list->SetVisibleRows(5);
  list->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(list->TopIndex(), 1);
  list->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(list->TopIndex(), 0);

  auto* calc = new TPopupCalculatorX(owner.get());
  calc->HandleKey('5');
  calc->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(calc->DisplayText(), "6");
  calc->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  calc->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(calc->DisplayText(), "4");
  EXPECT_EQ(calc->Perform(WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);
  calc->Perform(WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(owner->Calls, (std::vector<bool>{false}));
}

TEST(ToolCtrlsXDoubleClick, TimeAndDistance) {
  const unsigned T = GetDoubleClickTime();
  const int DX = GetSystemMetrics(SM_CXDOUBLECLK), DY = GetSystemMetrics(SM_CYDOUBLECLK);
  EXPECT_TRUE(IsDoubleClickAt(POINT{10, 10}, POINT{10, 10}, T));
  EXPECT_FALSE(IsDoubleClickAt(POINT{10, 10}, POINT{10, 10}, T + 1));
  EXPECT_TRUE(IsDoubleClickAt(POINT{10, 10}, POINT{10 + DX, 10 - DY}, 0));
  EXPECT_FALSE(IsDoubleClickAt(POINT{10, 10}, POINT{10 + DX + 1, 10}, 0));
  EXPECT_FALSE(IsDoubleClickAt(POINT{10, 10}, POINT{10, 10 + DY + 1}, 0));
}

}  // namespace

namespace {

// An image list of W x H images, one solid colour each.
std::unique_ptr<TImageList> SolidImages(int W, int H, std::initializer_list<COLORREF> Colors) {
  auto L = std::make_unique<TImageList>(nullptr);
  L->SetWidth(W);
  L->SetHeight(H);
  for (COLORREF C : Colors) {
    TBitmap Bmp;
    Bmp.SetSize(W, H);
    RECT R{0, 0, W, H};
    FillSolidRect(Bmp.Canvas()->Handle(), R, C);
    L->Add(&Bmp);
  }
  return L;
}

}  // namespace

TEST_F(PopupsX, PickListHasRaised3DFrameOfTwoPixels) {
  auto* list = new TPopupListboxX(owner.get());
  for (const char* s : {"one", "two", "three"}) list->Items()->Add(s);
  EXPECT_TRUE(list->Ctl3D());
  EXPECT_EQ(list->PopupBorderWidth(), 2);
  EXPECT_EQ(list->BorderHeight(), 4);
  list->SetBounds(50, 50, 120, 10);
  list->SetVisibleRows(3);
  EXPECT_EQ(list->Height(), 3 * list->ItemHeight() + 4);
  ShowWindow(list->Handle(), SW_SHOWNOACTIVATE);
  win::PumpMessages();
  RECT CR;
  GetClientRect(list->Handle(), &CR);
  EXPECT_EQ(CR.right, list->Width() - 4);
  EXPECT_EQ(CR.bottom, 3 * list->ItemHeight());
  EXPECT_EQ(list->ClientWidth(), CR.right);
  EXPECT_EQ(list->ClientHeight(), CR.bottom);
  // Raised outer edge, then raised inner edge.
  HDC DC = GetWindowDC(list->Handle());
  const int W = list->Width(), H = list->Height();
  EXPECT_EQ(GetPixel(DC, 0, 0), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(GetPixel(DC, 1, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(GetPixel(DC, W - 1, H - 1), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(GetPixel(DC, W - 2, H - 2), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(GetPixel(DC, W / 2, H - 1), GetSysColor(COLOR_3DDKSHADOW));
  ReleaseDC(list->Handle(), DC);
  // The grip sits in the client corner, inside the frame.
  TSizeGripX* G = list->SizeGrip();
  RECT LR, GR;
  GetWindowRect(list->Handle(), &LR);
  GetWindowRect(G->Handle(), &GR);
  EXPECT_EQ(GR.right, LR.right - 2);
  EXPECT_EQ(GR.bottom, LR.bottom - 2);
  // Without 3-D: a one-pixel line and no border width.
  list->SetCtl3D(false);
  ShowWindow(list->Handle(), SW_SHOWNOACTIVATE);
  win::PumpMessages();
  EXPECT_EQ(list->BorderHeight(), 2);
  EXPECT_EQ(list->Height(), 3 * list->ItemHeight() + 2);
  GetClientRect(list->Handle(), &CR);
  EXPECT_EQ(CR.right, list->Width() - 2);
  EXPECT_EQ(CR.bottom, 3 * list->ItemHeight());
  DC = GetWindowDC(list->Handle());
  EXPECT_EQ(GetPixel(DC, 0, 0), GetSysColor(COLOR_WINDOWFRAME));
  ReleaseDC(list->Handle(), DC);
  GetWindowRect(list->Handle(), &LR);
  GetWindowRect(list->SizeGrip()->Handle(), &GR);
  EXPECT_EQ(GR.right, LR.right - 1);
  EXPECT_EQ(GR.bottom, LR.bottom - 1);
}

TEST_F(PopupsX, CalendarPopupHasRaised3DFrame) {
  auto* cal = new TPopupMonthCalendarX(owner.get());
  cal->SetLeft(40);
  cal->SetTop(40);
  cal->HandleNeeded();
  ShowWindow(cal->Handle(), SW_SHOWNOACTIVATE);
  win::PumpMessages();
  const TRect M = cal->MinReqRect();
  EXPECT_EQ(cal->Width(), M.Width() + 4);
  EXPECT_EQ(cal->Height(), M.Height() + 4);
  RECT CR;
  GetClientRect(cal->Handle(), &CR);
  EXPECT_EQ(CR.right, M.Width());
  EXPECT_EQ(CR.bottom, M.Height());
  EXPECT_EQ(cal->ClientWidth(), M.Width());
  HDC DC = GetWindowDC(cal->Handle());
  EXPECT_EQ(GetPixel(DC, 0, 0), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(GetPixel(DC, 1, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(GetPixel(DC, cal->Width() - 1, cal->Height() - 1), GetSysColor(COLOR_3DDKSHADOW));
  ReleaseDC(cal->Handle(), DC);
  ASSERT_TRUE(win::SaveWindowPng(cal->Handle(), win::ArtifactPath("dataedit_popup_calendar_frame.png")));
}

TEST_F(PopupsX, DrawImageCenteredCentresAndClips) {
  const COLORREF Red = RGB(255, 0, 0), Blue = RGB(0, 0, 255);
  auto Small = SolidImages(8, 8, {Red});
  auto Large = SolidImages(16, 16, {Blue});
  auto* host = MakeHost(0, 0, 100, 40);
  host->PaintBody = [&](HDC DC) {
    DrawImageCentered(DC, RECT{10, 10, 30, 22}, Small.get(), false, 0);
    DrawImageCentered(DC, RECT{40, 10, 50, 18}, Large.get(), false, 0);
    DrawImageCentered(DC, RECT{60, 10, 70, 20}, Small.get(), true, 0);
    DrawImageCentered(DC, RECT{80, 10, 90, 20}, Small.get(), false, 5);  // no such image: nothing
  };
  host->Invalidate();
  auto Px = [&](int X, int Y) { return win::GetWindowPixel(host->Handle(), X, Y); };
  const COLORREF Back = GetSysColor(COLOR_WINDOW);
  // 8 x 8 in 20 x 12: at (16, 12).
  EXPECT_EQ(Px(16, 12), Red);
  EXPECT_EQ(Px(23, 19), Red);
  EXPECT_EQ(Px(15, 12), Back);
  EXPECT_EQ(Px(16, 11), Back);
  EXPECT_EQ(Px(24, 19), Back);
  // 16 x 16 in 10 x 8: clipped to the rectangle.
  EXPECT_EQ(Px(40, 10), Blue);
  EXPECT_EQ(Px(49, 17), Blue);
  EXPECT_EQ(Px(39, 10), Back);
  EXPECT_EQ(Px(40, 9), Back);
  EXPECT_EQ(Px(50, 17), Back);
  EXPECT_EQ(Px(49, 18), Back);
  // Selected: blended with the highlight colour, neither the image nor the background.
  const COLORREF Sel = Px(61, 11);
  EXPECT_NE(Sel, Red);
  EXPECT_NE(Sel, Back);
  EXPECT_EQ(Px(84, 14), Back);
}

TEST_F(PopupsX, PickListDrawsImagesBesideItems) {
  const COLORREF Red = RGB(255, 0, 0), Green = RGB(0, 160, 0);
  auto Images = SolidImages(8, 8, {Red, Green});
  auto* list = new TPopupListboxX(owner.get());
  for (const char* s : {"red", "green", "none"}) list->Items()->Add(s);
  list->SetBounds(60, 60, 120, 10);
  list->SetVisibleRows(3);
  list->AssignImageList(Images.get());
  EXPECT_EQ(list->ImageList(), Images.get());
  list->SetItemIndex(2);
  ShowWindow(list->Handle(), SW_SHOWNOACTIVATE);
  win::PumpMessages();
  const int IH = list->ItemHeight();
  auto Px = [&](int X, int Y) { return win::GetWindowPixel(list->Handle(), X, Y); };
  // Image area 12 wide; the 8 x 8 image centred in it at x 2.
  const int Y0 = (IH - 8) / 2;
  EXPECT_EQ(Px(2, Y0), Red);
  EXPECT_EQ(Px(9, Y0 + 7), Red);
  EXPECT_EQ(Px(2, IH + Y0), Green);
  EXPECT_EQ(Px(1, Y0), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(Px(10, Y0), GetSysColor(COLOR_WINDOW));
  // Item 2 has no image; its text area is highlighted as the selected row.
  EXPECT_EQ(Px(2, 2 * IH + Y0), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(Px(list->ClientWidth() - 30, 2 * IH + 1), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(Px(list->ClientWidth() - 30, IH + 1), GetSysColor(COLOR_WINDOW));
  ASSERT_TRUE(win::SaveWindowPng(list->Handle(), win::ArtifactPath("dataedit_popup_list_images.png")));
  // Letting go of the list brings back plain rows.
  list->AssignImageList(nullptr);
  win::PumpMessages();
  EXPECT_NE(Px(2, Y0), Red);
}

TEST_F(PopupsX, SizeGripGoesBackToItsCornerAfterAMoveItDidNotMake) {
  auto* list = new TPopupListboxX(owner.get());
  list->SetBounds(300, 300, 120, 80);
  list->HandleNeeded();
  ShowWindow(list->Handle(), SW_SHOWNOACTIVATE);
  win::PumpMessages();
  TSizeGripX* grip = list->SizeGrip();
  const RECT CR = [&] {
    RECT R;
    GetClientRect(list->Handle(), &R);
    return R;
  }();
  auto GripAt = [&] {
    RECT R;
    GetWindowRect(grip->Handle(), &R);
    POINT P{R.left, R.top};
    ScreenToClient(list->Handle(), &P);
    return P;
  };
  const POINT Corner{CR.right - grip->Width(), CR.bottom - grip->Height()};
  ASSERT_EQ(GripAt().x, Corner.x);
  ASSERT_EQ(GripAt().y, Corner.y);
  SetWindowPos(grip->Handle(), nullptr, 3, 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  win::PumpMessages();
  EXPECT_EQ(GripAt().x, Corner.x);
  EXPECT_EQ(GripAt().y, Corner.y);
  EXPECT_EQ(grip->Left(), Corner.x);
  EXPECT_EQ(grip->Top(), Corner.y);
  MoveWindow(grip->Handle(), 0, 0, grip->Width(), grip->Height(), TRUE);
  win::PumpMessages();
  EXPECT_EQ(GripAt().x, Corner.x);
  EXPECT_EQ(GripAt().y, Corner.y);
  // Its own moves stand: opening above puts it in the top right corner.
  list->Perform(WM_DROPDOWNSIDE, 2, 0);
  EXPECT_EQ(GripAt().x, Corner.x);
  EXPECT_EQ(GripAt().y, 0);
}
