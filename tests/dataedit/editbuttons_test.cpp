// Edit button painting, the measures and the face cache, and the auto-repeat of a held button.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "dataedit/ToolCtrlsX.h"
#include "platform/controls/controls.h"
#include "platform/controls/themes.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"

namespace {

TEST(ToolCtrlsX, FlatButtonWidthFromFontHeight) {
  const struct { int Font, ScrollBar, Width; } Cases[] = {
      {16, 17, 11}, {15, 17, 9}, {12, 17, 7}, {30, 17, 17}, {30, 16, 16}, {3, 17, 1},
  };
  for (auto C : Cases) EXPECT_EQ(FlatButtonWidthFor(C.Font, C.ScrollBar), C.Width) << C.Font;
}

TEST(ToolCtrlsX, UnitStartUpMeasures) {
  ToolCtrlsXUnit::Initialize();
  EXPECT_GT(FlatButtonWidth, 0);
  EXPECT_EQ(FlatButtonWidth % 2, 1);
  EXPECT_LE(FlatButtonWidth, GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_GT(CheckBoxWidth, 0);
  EXPECT_GT(CheckBoxHeight, 0);
  ASSERT_NE(EditButtonBitmapCache, nullptr);
  ToolCtrlsXUnit::Finalize();
  EXPECT_EQ(EditButtonBitmapCache, nullptr);
}

TEST(ToolCtrlsX, AlignCheckBoxRectTable) {
  CheckBoxWidth = CheckBoxHeight = 13;
  const struct {
    RECT Cell;
    TCheckHorzAlignX H;
    TCheckVertAlignX V;
    RECT Expected;
  } Cases[] = {
      {{0, 0, 20, 20}, chaCenterX, cvaCenterX, {3, 3, 16, 16}},
      {{0, 0, 21, 21}, chaCenterX, cvaCenterX, {4, 4, 17, 17}},
      {{10, 10, 30, 30}, chaRightX, cvaBottomX, {17, 17, 30, 30}},
      {{10, 10, 30, 30}, chaLeftX, cvaTopX, {10, 10, 23, 23}},
      {{0, 0, 10, 20}, chaCenterX, cvaCenterX, {0, 3, 10, 16}},   // narrower cell: glyph at the left
      {{0, 0, 20, 8}, chaRightX, cvaBottomX, {7, 0, 20, 8}},
  };
  for (auto& C : Cases) {
    RECT R = AlignCheckBoxRect(C.Cell, C.H, C.V);
    EXPECT_EQ(R.left, C.Expected.left);
    EXPECT_EQ(R.top, C.Expected.top);
    EXPECT_EQ(R.right, C.Expected.right);
    EXPECT_EQ(R.bottom, C.Expected.bottom);
  }
}

// Paints into a memory bitmap and reads pixels back.
class Surface {
 public:
  Surface(int W, int H) {
    HDC Screen = GetDC(nullptr);
    DC = CreateCompatibleDC(Screen);
    Bmp = CreateCompatibleBitmap(Screen, W, H);
    ReleaseDC(nullptr, Screen);
    Old = SelectObject(DC, Bmp);
    FillSolidRect(DC, RECT{0, 0, W, H}, RGB(255, 0, 255));
  }
  ~Surface() {
    SelectObject(DC, Old);
    DeleteObject(Bmp);
    DeleteDC(DC);
  }
  HDC DC;
  HBITMAP Bmp;
  HGDIOBJ Old;
};

class EditButtonPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    ToolCtrlsXUnit::Initialize();
    EditButtonThemesActive = true;
    UseButtonsBitmapCache = true;
  }
  void TearDown() override {
    ToolCtrlsXUnit::Finalize();
    EditButtonThemesActive = true;
    UseButtonsBitmapCache = true;
  }
};

TEST_F(EditButtonPaint, UpDownOddHeightFillsMiddleLineWithParentColour) {
  const COLORREF Parent = RGB(1, 2, 3);
  for (bool Themed : {true, false}) {
    for (bool Cached : {true, false}) {
      EditButtonThemesActive = Themed;
      UseButtonsBitmapCache = Cached;
      Surface S(16, 21);
      DrawEditButton(S.DC, RECT{0, 0, 16, 21}, Parent, 0, true, false, false, 0, bkUpDownX);
      for (int x = 0; x < 16; ++x) EXPECT_EQ(GetPixel(S.DC, x, 10), Parent) << x;
      // The halves are painted faces, not the parent's colour or the background.
      EXPECT_NE(GetPixel(S.DC, 8, 5), Parent);
      EXPECT_NE(GetPixel(S.DC, 8, 15), RGB(255, 0, 255));
    }
  }
}

TEST_F(EditButtonPaint, CachedAndUncachedFacesAgree) {
  for (bool Themed : {true, false})
    for (int Kind : {0, 1, 2, 3, 4, 5})
      for (bool Flat : {false, true})
        for (int Down : {0, 1}) {
          // The faces of another look must not be taken from the cache.
          if (EditButtonThemesActive != Themed) ResetButtonsBitmapCache();
          EditButtonThemesActive = Themed;
          Surface A(17, 19), B(17, 19);
          UseButtonsBitmapCache = true;
          DrawEditButton(A.DC, RECT{0, 0, 17, 19}, RGB(9, 9, 9), 1, true, false, Flat, Down, Kind);
          UseButtonsBitmapCache = false;
          DrawEditButton(B.DC, RECT{0, 0, 17, 19}, RGB(9, 9, 9), 1, true, false, Flat, Down, Kind);
          int Diff = 0;
          for (int y = 0; y < 19; ++y)
            for (int x = 0; x < 17; ++x) Diff += GetPixel(A.DC, x, y) != GetPixel(B.DC, x, y);
          EXPECT_EQ(Diff, 0) << "themed " << Themed << " kind " << Kind << " flat " << Flat << " down " << Down;
        }
}

TEST_F(EditButtonPaint, EqualButtonsShareOneCacheEntry) {
  Surface S(60, 20);
  ResetButtonsBitmapCache();
  DrawEditButton(S.DC, RECT{0, 0, 15, 20}, 0, 0, true, false, false, 0, bkDropDownX);
  DrawEditButton(S.DC, RECT{20, 0, 35, 20}, 0, 0, true, false, false, 0, bkDropDownX);
  EXPECT_EQ(EditButtonBitmapCache->Count(), 1);
  DrawEditButton(S.DC, RECT{40, 0, 55, 20}, 0, 0, true, false, false, 1, bkDropDownX);
  EXPECT_EQ(EditButtonBitmapCache->Count(), 2);
  DrawEditButton(S.DC, RECT{0, 0, 15, 20}, 0, 0, true, false, false, 0, bkUpDownX);  // two halves
  EXPECT_EQ(EditButtonBitmapCache->Count(), 4);
  // New system colours: the cache is emptied and faces are painted again from scratch.
  const COLORREF Before = GetPixel(S.DC, 3, 3);
  ResetButtonsBitmapCache();
  EXPECT_EQ(EditButtonBitmapCache->Count(), 0);
  DrawEditButton(S.DC, RECT{0, 0, 15, 20}, 0, 0, true, false, false, 0, bkDropDownX);
  EXPECT_EQ(EditButtonBitmapCache->Count(), 1);
  EXPECT_EQ(GetPixel(S.DC, 3, 3), Before);
}

TEST_F(EditButtonPaint, FlatClassicButtonIsFramedInParentColour) {
  EditButtonThemesActive = false;
  const COLORREF Parent = RGB(0, 200, 0);
  Surface S(15, 20);
  DrawEditButton(S.DC, RECT{0, 0, 15, 20}, Parent, 0, true, false, true, 0, bkEllipsisX);
  EXPECT_EQ(GetPixel(S.DC, 0, 0), Parent);
  EXPECT_EQ(GetPixel(S.DC, 14, 19), Parent);
  EXPECT_EQ(GetPixel(S.DC, 7, 1), GetSysColor(COLOR_BTNFACE));
}

TEST_F(EditButtonPaint, CheckBoxIsMadeSquare) {
  EditButtonThemesActive = false;
  Surface S(30, 14);
  DrawEditButton(S.DC, RECT{0, 0, 30, 14}, RGB(0, 0, 0), 1, true, false, false, 0, bkCheckBoxX);
  // 30 x 14 loses 16 columns, 8 from each end: columns 0..7 and 22..29 keep the background.
  EXPECT_EQ(GetPixel(S.DC, 7, 7), RGB(255, 0, 255));
  EXPECT_EQ(GetPixel(S.DC, 22, 7), RGB(255, 0, 255));
  EXPECT_NE(GetPixel(S.DC, 8, 7), RGB(255, 0, 255));
  EXPECT_NE(GetPixel(S.DC, 21, 7), RGB(255, 0, 255));
}

// ---------------------------------------------------------------------------------------------------
// The auto-repeat of a held button, on the fake clock.

class THost : public TCustomControl {
  DECLARE_CLASS(THost, TCustomControl)
  explicit THost(TComponent* AOwner) : TCustomControl(AOwner) { FColor = clBtnFace; }

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
  void Paint() override {
    RECT r{0, 0, Width(), Height()};
    FillRect(Canvas()->Handle(), &r, GetSysColorBrush(COLOR_BTNFACE));
  }
};

class EditButtonControl : public ::testing::Test {
 protected:
  void SetUp() override {
    win::ResetWindowManager();
    clock.Install();
    ToolCtrlsXUnit::Initialize();
    owner = std::make_unique<TComponent>(nullptr);
    host = new THost(owner.get());
    host->SetBounds(100, 100, 200, 100);
    host->HandleNeeded();
    win::PumpMessages();
  }
  void TearDown() override {
    owner.reset();
    win::ResetWindowManager();
    ToolCtrlsXUnit::Finalize();
    clock.Uninstall();
  }
  TEditButtonControlX* MakeButton(TEditButtonStyleX Style) {
    auto* B = new TEditButtonControlX(owner.get());
    B->SetBounds(10, 10, 16, 21);
    B->SetParent(host);
    B->SetStyle(Style);
    win::PumpMessages();
    return B;
  }
  void Press(TControl* C, int X, int Y) {
    TPoint P = C->ClientToScreen(TPoint(X, Y));
    win::InjectMouse(P.X, P.Y, WM_LBUTTONDOWN, MK_LBUTTON);
    win::PumpMessages();
  }
  void Release(TControl* C, int X, int Y) {
    TPoint P = C->ClientToScreen(TPoint(X, Y));
    win::InjectMouse(P.X, P.Y, WM_LBUTTONUP);
    win::PumpMessages();
  }
  win::FakeClock clock;
  std::unique_ptr<TComponent> owner;
  THost* host = nullptr;
};

TEST_F(EditButtonControl, HeldUpDownRepeatsAfter400ThenEvery100) {
  auto* B = MakeButton(ebsUpDownX);
  std::vector<bool> Tops;
  B->OnDown = [&](TObject*, bool Top, bool&, bool&) { Tops.push_back(Top); };
  Press(B, 8, 3);
  EXPECT_EQ(Tops.size(), 1u);
  EXPECT_EQ(B->PressedPart(), 1);
  win::AdvanceAndPump(clock, 399);
  EXPECT_EQ(Tops.size(), 1u);
  win::AdvanceAndPump(clock, 1);
  EXPECT_EQ(Tops.size(), 2u);
  win::AdvanceAndPump(clock, 300);
  EXPECT_EQ(Tops.size(), 5u);
  for (bool T : Tops) EXPECT_TRUE(T);
  Release(B, 8, 3);
  win::AdvanceAndPump(clock, 500);
  EXPECT_EQ(Tops.size(), 5u);
  EXPECT_EQ(B->PressedPart(), 0);
  // The lower half reports TopButton false.
  Press(B, 8, 18);
  EXPECT_EQ(B->PressedPart(), 2);
  EXPECT_FALSE(Tops.back());
  Release(B, 8, 18);
}

TEST_F(EditButtonControl, HandlerEndsRepeatByClearingAutoRepeat) {
  auto* B = MakeButton(ebsUpDownX);
  int Calls = 0;
  B->OnDown = [&](TObject*, bool, bool& AutoRepeat, bool&) {
    if (++Calls == 3) AutoRepeat = false;
  };
  Press(B, 8, 3);
  win::AdvanceAndPump(clock, 2000);
  EXPECT_EQ(Calls, 3);
  Release(B, 8, 3);
}

TEST_F(EditButtonControl, OtherStylesRepeatOnlyWhileAsked) {
  auto* B = MakeButton(ebsEllipsisX);
  int Calls = 0;
  B->OnDown = [&](TObject*, bool, bool& AutoRepeat, bool&) {
    ++Calls;
    AutoRepeat = Calls < 4;
  };
  Press(B, 8, 10);
  win::AdvanceAndPump(clock, 2000);
  EXPECT_EQ(Calls, 4);
  Release(B, 8, 10);
  int Clicks = 0;
  B->OnClick = [&](TObject*) { ++Clicks; };
  B->OnDown = nullptr;
  Press(B, 8, 10);
  win::AdvanceAndPump(clock, 1000);
  Release(B, 8, 10);
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(B->RepeatTimer()->Enabled(), false);
}

TEST_F(EditButtonControl, SlidingToTheOtherHalfReleasesWithoutClick) {
  auto* B = MakeButton(ebsUpDownX);
  int Clicks = 0, Downs = 0;
  B->OnClick = [&](TObject*) { ++Clicks; };
  B->OnDown = [&](TObject*, bool, bool&, bool&) { ++Downs; };
  Press(B, 8, 3);
  TPoint P = B->ClientToScreen(TPoint(8, 18));
  win::InjectMouse(P.X, P.Y, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  EXPECT_EQ(B->PressedPart(), 0);
  win::AdvanceAndPump(clock, 1000);
  EXPECT_EQ(Downs, 1);
  Release(B, 8, 18);
  EXPECT_EQ(Clicks, 0);
}

TEST_F(EditButtonControl, StayDown) {
  auto* B = MakeButton(ebsDropDownX);
  B->SetStayDown(true);
  EXPECT_TRUE(B->Down());
  EXPECT_EQ(B->GroupIndex(), 1);
  B->SetStayDown(false);
  EXPECT_FALSE(B->Down());
  EXPECT_EQ(B->GroupIndex(), 0);
}

}  // namespace

namespace {

TEST(EditButtonX, SettersReportChangesAndClampGlyphCount) {
  TEditButtonsX Buttons(nullptr, TEditButtonX::StaticClass(), MakeItemFactory<TEditButtonX>());
  std::vector<TCollectionItem*> Changes;
  Buttons.OnInternalChange = [&](TCollectionItem* Item) { Changes.push_back(Item); };
  TEditButtonX* B = Buttons.Add();
  Changes.clear();
  EXPECT_FALSE(B->Visible());
  EXPECT_EQ(B->ShortCut(), 0);
  B->SetNumGlyphs(7);
  EXPECT_EQ(B->NumGlyphs(), 4);
  B->SetNumGlyphs(0);
  EXPECT_EQ(B->NumGlyphs(), 1);
  B->SetStyle(ebsUpDownX);
  B->SetStyle(ebsUpDownX);  // the same value reports nothing
  EXPECT_EQ(Changes.size(), 3u);
  // An edit's own hook takes the report in place of the collection.
  int Hooked = 0;
  B->OnInternalChange = [&](TObject*) { ++Hooked; };
  B->SetWidth(20);
  EXPECT_EQ(Hooked, 1);
  EXPECT_EQ(Changes.size(), 3u);
  TEditButtonsX Visible(nullptr, TVisibleEditButtonX::StaticClass(), MakeItemFactory<TVisibleEditButtonX>());
  TEditButtonX* V = Visible.Add();
  EXPECT_TRUE(V->Visible());
  EXPECT_EQ(V->ShortCut(), 32808);
  V->Assign(B);
  EXPECT_EQ(V->Style(), ebsUpDownX);
  EXPECT_EQ(V->Width(), 20);
  EXPECT_FALSE(V->Visible());
  std::unique_ptr<TEditButtonX> Own(TEditButtonX::CreateForControl(nullptr));
  EXPECT_EQ(Own->Collection(), nullptr);
}

}  // namespace

TEST_F(EditButtonControl, FlatClassicGlyphButtonGetsEdgeOrParentFrame) {
  EditButtonThemesActive = false;
  const COLORREF ParentColor = RGB(0, 200, 0);
  host->SetColor(static_cast<TColor>(ParentColor));
  auto* B = MakeButton(ebsGlyphX);
  B->SetFlat(true);
  auto Pixel = [&](int X, int Y) { return win::GetWindowPixel(host->Handle(), 10 + X, 10 + Y); };
  struct Case {
    bool Active, Down;
    COLORREF TopLeft, BottomRight;
  };
  const Case Cases[] = {
      {false, false, ParentColor, ParentColor},
      {true, false, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW)},
      {true, true, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT)},
  };
  for (const Case& C : Cases) {
    B->SetActive(C.Active);
    B->SetStayDown(C.Down);
    B->Invalidate();
    EXPECT_EQ(Pixel(0, 0), C.TopLeft) << C.Active << C.Down;
    EXPECT_EQ(Pixel(15, 20), C.BottomRight) << C.Active << C.Down;
  }
  B->SetStayDown(false);
  // Not flat: the speed button paints up to the edge.
  B->SetActive(false);
  B->SetFlat(false);
  B->Invalidate();
  EXPECT_NE(Pixel(0, 0), ParentColor);
  EditButtonThemesActive = true;
}
