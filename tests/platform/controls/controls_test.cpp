// The control model driven through the message queue as a user would: input injected at screen
// points, the queue pumped, the clock a fake one.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/controls/buttons.h"
#include "platform/controls/comctrls.h"
#include "platform/controls/controls.h"
#include "platform/controls/edits.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/imglist.h"
#include "platform/controls/stdctrls.h"
#include "platform/graphics/pictures.h"
#include "platform/win/clock.h"
#include "platform/win/testing.h"
#include "tests/platform/controls/host_fixture.h"

namespace {

class ControlsTest : public ControlHostTest {
 protected:
  ControlsTest() : ControlHostTest(400, 300) {}
  void SetUp() override {
    ControlHostTest::SetUp();
    win::PumpMessages();
  }
  // Screen point of a client point of a control.
  static TPoint At(TControl* C, int X, int Y) { return C->ClientToScreen(TPoint(X, Y)); }
  static void Move(TPoint P) {
    win::InjectMouse(P.X, P.Y, WM_MOUSEMOVE);
    win::PumpMessages();
  }
  static void ClickAt(TPoint P) { win::Click(P.X, P.Y); }
};

// ---------------------------------------------------------------------------------------------------

TEST_F(ControlsTest, AlignmentFollowsTheClassLibraryOrderAndConstraints) {
  // Created deliberately out of order: position along the edge decides, then creation order.
  auto* top2 = MakeControl<TPanel>(owner.get(), host, 0, 50, 10, 30);
  auto* top1 = MakeControl<TPanel>(owner.get(), host, 0, 0, 10, 40);
  auto* client = MakeControl<TPanel>(owner.get(), host, 0, 0, 10, 10);
  auto* left = MakeControl<TPanel>(owner.get(), host, 0, 0, 50, 10);
  auto* right = MakeControl<TPanel>(owner.get(), host, 0, 0, 60, 10);
  auto* bottom = MakeControl<TPanel>(owner.get(), host, 0, 0, 10, 20);
  top1->Constraints()->SetMaxHeight(25);  // asks for 40, gets 25
  right->Constraints()->SetMinWidth(70);  // asks for 60, gets 70
  client->Constraints()->SetMaxWidth(100);
  top2->SetAlign(alTop);
  top1->SetAlign(alTop);
  client->SetAlign(alClient);
  left->SetAlign(alLeft);
  right->SetAlign(alRight);
  bottom->SetAlign(alBottom);

  struct Case {
    const char* name;
    TControl* c;
    TRect expected;
  };
  const Case cases[] = {
      {"top1", top1, TRect(0, 0, 400, 25)},        {"top2", top2, TRect(0, 25, 400, 55)},
      {"bottom", bottom, TRect(0, 280, 400, 300)}, {"left", left, TRect(0, 55, 50, 280)},
      {"right", right, TRect(330, 55, 400, 280)},  {"client", client, TRect(50, 55, 150, 280)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.c->BoundsRect(), c.expected) << c.name;

  // The layout follows the parent's size; an anchored child keeps its distance to the right edge.
  auto* anchored = MakeControl<TButton>(owner.get(), host, 300, 5, 50, 20);
  anchored->SetAnchors(TAnchors{akTop, akRight});
  host->SetBounds(100, 100, 500, 400);
  EXPECT_EQ(bottom->BoundsRect(), TRect(0, 380, 500, 400));
  EXPECT_EQ(right->BoundsRect(), TRect(430, 55, 500, 380));
  EXPECT_EQ(client->BoundsRect(), TRect(50, 55, 150, 380));
  EXPECT_EQ(anchored->Left(), 400);
  // The windows of windowed children moved too.
  RECT wr;
  GetWindowRect(bottom->Handle(), &wr);
  EXPECT_EQ(wr.top, 100 + 380);
  EXPECT_EQ(wr.right - wr.left, 500);
}

TEST_F(ControlsTest, PanelBordersShrinkTheAlignedArea) {
  auto* panel = MakeControl<TPanel>(owner.get(), host, 10, 10, 200, 100);
  panel->SetBevelOuter(bvRaised);
  panel->SetBevelInner(bvLowered);
  panel->SetBorderWidth(3);
  auto* inner = MakeControl<TPanel>(owner.get(), panel, 0, 0, 10, 10);
  inner->SetAlign(alClient);
  EXPECT_EQ(inner->BoundsRect(), TRect(5, 5, 195, 95));
}

// ---------------------------------------------------------------------------------------------------

TEST_F(ControlsTest, MouseEnterAndLeaveReachAGraphicControl) {
  auto* panel = MakeControl<TPanel>(owner.get(), host, 20, 20, 200, 200);
  auto* image = MakeControl<TImage>(owner.get(), panel, 10, 10, 50, 50);
  std::vector<std::string> events;
  image->SetMessageHandler(CM_MOUSEENTER, [&](TMessage& M) {
    events.push_back("enter");
    image->Dispatch(M);
  });
  image->SetMessageHandler(CM_MOUSELEAVE, [&](TMessage& M) {
    events.push_back("leave");
    image->Dispatch(M);
  });
  Move(At(panel, 150, 150));  // on the panel, not the image
  EXPECT_TRUE(events.empty());
  Move(At(image, 5, 5));
  Move(At(image, 20, 20));  // moving inside reports nothing new
  EXPECT_EQ(events, (std::vector<std::string>{"enter"}));
  Move(At(panel, 150, 150));
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "leave"}));
  // Straight out of every window of the program.
  Move(At(image, 5, 5));
  Move(TPoint(5, 5));
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "leave", "enter", "leave"}));
  EXPECT_EQ(GetMouseControl(), nullptr);

  // A child window entered from its parent stays entered when the parent hears that the mouse left it.
  int panelLeaves = 0;
  panel->SetMessageHandler(CM_MOUSELEAVE, [&](TMessage& M) {
    if (M.LParam == reinterpret_cast<LPARAM>(panel)) ++panelLeaves;
    panel->Dispatch(M);
  });
  Move(At(host, 300, 250));
  Move(At(panel, 150, 150));
  Move(At(panel, 151, 150));
  EXPECT_EQ(GetMouseControl(), panel);
  EXPECT_EQ(panelLeaves, 0);
}

TEST_F(ControlsTest, ClickOnGraphicControlRunsOnClickOnceAndTheMouseEvents) {
  auto* image = MakeControl<TImage>(owner.get(), host, 30, 30, 40, 40);
  image->SetTag(7);
  int clicks = 0;
  std::vector<TPoint> downs;
  image->OnClick = [&](TObject* S) {
    ++clicks;
    EXPECT_EQ(static_cast<TControl*>(S)->Tag(), 7);
  };
  image->OnMouseDown = [&](TObject*, TMouseButton B, TShiftState, int X, int Y) {
    if (B == mbLeft) downs.push_back(TPoint(X, Y));
  };
  ClickAt(At(image, 3, 4));
  EXPECT_EQ(clicks, 1);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0], TPoint(3, 4));
  // Pressed inside, released outside: no click.
  TPoint in = At(image, 5, 5), out = At(host, 300, 250);
  win::InjectMouse(in.X, in.Y, WM_LBUTTONDOWN);
  win::PumpMessages();
  win::InjectMouse(out.X, out.Y, WM_MOUSEMOVE, MK_LBUTTON);
  win::InjectMouse(out.X, out.Y, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(clicks, 1);
}

// ---------------------------------------------------------------------------------------------------

TEST_F(ControlsTest, ComboBoxPicksFromItsListAndReportsOnlyUserChanges) {
  auto* combo = MakeControl<TComboBox>(owner.get(), host, 20, 20, 150, 21);
  combo->SetStyle(csDropDownList);
  combo->Items()->Add("女士");
  combo->Items()->Add("男士");
  combo->Items()->Add("儿童");
  int changes = 0;
  combo->OnChange = [&](TObject*) { ++changes; };
  combo->SetItemIndex(0);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(combo->Text(), "女士");

  ClickAt(At(combo, 75, 10));
  ASSERT_TRUE(combo->DroppedDown());
  HWND list = combo->ListHandle();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(GetWindowLong(list, GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));
  RECT lr;
  GetWindowRect(list, &lr);
  TPoint below = At(combo, 0, combo->Height());
  EXPECT_EQ(lr.left, below.X);
  EXPECT_EQ(lr.top, below.Y);
  int h = combo->ItemHeight();
  int y = lr.top + 1 + 2 * h + h / 2;
  win::InjectMouse(lr.left + 20, y, WM_MOUSEMOVE);
  win::PumpMessages();
  ClickAt(TPoint(lr.left + 20, y));
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_EQ(combo->Text(), "儿童");
  EXPECT_EQ(changes, 1);

  // Keys and the wheel change the selection too; Escape closes the list without a choice.
  EXPECT_TRUE(combo->Focused());
  Key(VK_UP);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(changes, 2);
  TPoint p = At(combo, 10, 10);
  win::InjectMouse(p.X, p.Y, WM_MOUSEWHEEL, 0, -WHEEL_DELTA);
  win::PumpMessages();
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_EQ(changes, 3);
  Key(VK_DOWN);  // already the last item
  EXPECT_EQ(changes, 3);
  ClickAt(At(combo, 75, 10));
  ASSERT_TRUE(combo->DroppedDown());
  Key(VK_UP);
  Key(VK_ESCAPE);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 2);
  // A click outside the list closes it without a choice.
  ClickAt(At(combo, 75, 10));
  ASSERT_TRUE(combo->DroppedDown());
  ClickAt(At(host, 390, 290));
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(changes, 3);
  combo->SetItemIndex(0);
  EXPECT_EQ(changes, 3);
  // Return takes the highlighted item; losing the focus closes the list.
  ClickAt(At(combo, 75, 10));
  Key(VK_DOWN);
  Key(VK_RETURN);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(changes, 4);
  auto* other = MakeControl<TEdit>(owner.get(), host, 20, 100, 100, 21);
  ClickAt(At(combo, 75, 10));
  ASSERT_TRUE(combo->DroppedDown());
  other->SetFocus();
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(changes, 4);
}

// ---------------------------------------------------------------------------------------------------

TEST_F(ControlsTest, TimerFiresByTheFakeClock) {
  auto* timer = new TTimer(owner.get());
  timer->SetEnabled(false);
  timer->SetInterval(100);
  int ticks = 0;
  timer->OnTimer = [&](TObject*) { ++ticks; };
  win::AdvanceAndPump(clock, 500);
  EXPECT_EQ(ticks, 0);
  timer->SetEnabled(true);
  win::AdvanceAndPump(clock, 350);
  EXPECT_EQ(ticks, 3);
  // A handler may stop its own timer (the fades do).
  timer->OnTimer = [&](TObject*) {
    if (++ticks == 5) timer->SetEnabled(false);
  };
  win::AdvanceAndPump(clock, 1000);
  EXPECT_EQ(ticks, 5);
  timer->SetInterval(4000);
  timer->SetEnabled(true);
  win::AdvanceAndPump(clock, 3999);
  EXPECT_EQ(ticks, 5);
  win::AdvanceAndPump(clock, 1);
  EXPECT_EQ(ticks, 6);
}

// ---------------------------------------------------------------------------------------------------

TEST_F(ControlsTest, SpeedButtonsOfAGroupKeepOneDown) {
  auto* panel = MakeControl<TPanel>(owner.get(), host, 0, 0, 300, 40);
  std::vector<TSpeedButton*> group;
  int clicks = 0;
  for (int i = 0; i < 3; ++i) {
    auto* b = MakeControl<TSpeedButton>(owner.get(), panel, 10 + i * 60, 5, 55, 25);
    b->SetGroupIndex(1);
    b->OnClick = [&](TObject*) { ++clicks; };
    group.push_back(b);
  }
  // Same group index in another parent: a group of its own.
  auto* other = MakeControl<TSpeedButton>(owner.get(), host, 10, 100, 55, 25);
  other->SetGroupIndex(1);
  other->SetDown(true);
  // A plain button never stays down.
  auto* plain = MakeControl<TSpeedButton>(owner.get(), host, 100, 100, 55, 25);

  auto downs = [&] {
    std::string s;
    for (auto* b : group) s += b->Down() ? '1' : '0';
    return s;
  };
  ClickAt(At(group[1], 10, 10));
  EXPECT_EQ(downs(), "010");
  ClickAt(At(group[2], 10, 10));
  EXPECT_EQ(downs(), "001");
  ClickAt(At(group[2], 10, 10));  // the last one down stays down
  EXPECT_EQ(downs(), "001");
  EXPECT_EQ(clicks, 3);
  EXPECT_TRUE(other->Down());
  group[0]->SetDown(true);  // by code, as the slide show's loop toggle does
  EXPECT_EQ(downs(), "100");
  group[0]->SetAllowAllUp(true);
  ClickAt(At(group[0], 10, 10));
  EXPECT_EQ(downs(), "000");
  ClickAt(At(plain, 10, 10));
  EXPECT_FALSE(plain->Down());
}

// ---------------------------------------------------------------------------------------------------

TEST_F(ControlsTest, TrackBarFollowsDragAndKeys) {
  auto* bar = MakeControl<TTrackBar>(owner.get(), host, 20, 20, 111, 30);
  bar->SetTickStyle(tsNone);
  bar->SetMin(-200);
  bar->SetMax(200);
  std::vector<int> seen;
  bar->OnChange = [&](TObject*) { seen.push_back(bar->Position()); };
  bar->SetPosition(0);  // unchanged: nothing reported
  EXPECT_TRUE(seen.empty());

  TRect thumb = bar->ThumbRect();
  TPoint grab = At(bar, (thumb.Left + thumb.Right) / 2, (thumb.Top + thumb.Bottom) / 2);
  win::InjectMouse(grab.X, grab.Y, WM_LBUTTONDOWN);
  win::PumpMessages();
  // Far beyond the right end: the thumb stops at Max.
  win::InjectMouse(grab.X + 500, grab.Y, WM_MOUSEMOVE, MK_LBUTTON);
  win::PumpMessages();
  EXPECT_EQ(bar->Position(), 200);
  win::InjectMouse(grab.X + 500, grab.Y, WM_LBUTTONUP);
  win::PumpMessages();
  EXPECT_EQ(seen.back(), 200);
  ASSERT_TRUE(bar->Focused());

  bar->SetLineSize(1);
  bar->SetPageSize(20);
  Key(VK_LEFT);
  EXPECT_EQ(bar->Position(), 199);
  Key(VK_PRIOR);
  EXPECT_EQ(bar->Position(), 179);
  Key(VK_HOME);
  EXPECT_EQ(bar->Position(), -200);
  Key(VK_UP);  // already at Min: nothing
  EXPECT_EQ(bar->Position(), -200);
  size_t before = seen.size();
  bar->SetPosition(10);  // by code: reported, as the colour window's reset relies on
  EXPECT_EQ(seen.size(), before + 1);
  // A click on the channel right of the thumb moves by a page.
  TRect ch = bar->ChannelRect();
  ClickAt(At(bar, ch.Right - 2, (ch.Top + ch.Bottom) / 2));
  EXPECT_EQ(bar->Position(), 30);
}

// ---------------------------------------------------------------------------------------------------

// Pressing and releasing on the thumb without a move keeps the position, whatever the bar's size and
// range; a drag then moves it monotonically with the pointer and back to where it started.
TEST_F(ControlsTest, TrackBarClickOnThumbKeepsPositionAndDragIsMonotonic) {
  struct Case {
    int Width, Min, Max, Position;
  };
  const Case cases[] = {
      {111, -200, 200, 0},   {111, -200, 200, 37},  {111, -200, 200, -199}, {111, 0, 150, 1},
      {111, -100, 100, 0},   {111, 10, 60, 33},     {150, 0, 10, 3},        {111, -180, 180, 0},
      {111, 1, 500, 499},    {80, -1000, 1000, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Width << " px, " << c.Min << ".." << c.Max << " at " << c.Position);
    auto* bar = MakeControl<TTrackBar>(owner.get(), host, 20, 20, c.Width, 30);
    bar->SetTickStyle(tsNone);
    bar->SetMax(c.Max);
    bar->SetMin(c.Min);
    bar->SetPosition(c.Position);
    ASSERT_EQ(bar->Position(), c.Position);
    int changes = 0;
    bar->OnChange = [&](TObject*) { ++changes; };
    const TRect thumb = bar->ThumbRect();
    const int cy = (thumb.Top + thumb.Bottom) / 2;
    for (int x : {(thumb.Left + thumb.Right) / 2, thumb.Left, thumb.Right - 1}) {
      const TPoint p = At(bar, x, cy);
      win::InjectMouse(p.X, p.Y, WM_LBUTTONDOWN);
      win::PumpMessages();
      win::InjectMouse(p.X, p.Y, WM_LBUTTONUP);
      win::PumpMessages();
      EXPECT_EQ(bar->Position(), c.Position) << "click at " << x;
    }
    EXPECT_EQ(changes, 0);

    // A drag across the whole bar and back: never backwards, ends at the limits, and the pointer back
    // at the grab point gives the starting position again.
    const TPoint grab = At(bar, (thumb.Left + thumb.Right) / 2, cy);
    win::InjectMouse(grab.X, grab.Y, WM_LBUTTONDOWN);
    win::PumpMessages();
    int last = c.Min;
    for (int x = -c.Width; x <= c.Width; ++x) {
      win::InjectMouse(grab.X + x, grab.Y, WM_MOUSEMOVE, MK_LBUTTON);
      win::PumpMessages();
      ASSERT_GE(bar->Position(), last) << "moved by " << x;
      last = bar->Position();
      if (x == -c.Width) {
        EXPECT_EQ(bar->Position(), c.Min);
      }
      if (x == 0) {
        EXPECT_EQ(bar->Position(), c.Position);
      }
    }
    EXPECT_EQ(last, c.Max);
    win::InjectMouse(grab.X, grab.Y, WM_MOUSEMOVE, MK_LBUTTON);
    win::PumpMessages();
    win::InjectMouse(grab.X, grab.Y, WM_LBUTTONUP);
    win::PumpMessages();
    EXPECT_EQ(bar->Position(), c.Position);
    delete bar;
  }
}

// With no more positions than pixels, every position sits on its own pixel: grabbing the thumb and
// moving it by whole pixels steps through the positions one by one.
TEST_F(ControlsTest, TrackBarWithFewPositionsHasAPixelForEach) {
  auto* bar = MakeControl<TTrackBar>(owner.get(), host, 20, 20, 111, 30);
  bar->SetTickStyle(tsNone);
  bar->SetMin(-40);
  bar->SetMax(40);
  bar->SetPosition(-40);
  std::vector<int> seen;
  bar->OnChange = [&](TObject*) { seen.push_back(bar->Position()); };
  const TRect thumb = bar->ThumbRect();
  const TPoint grab = At(bar, (thumb.Left + thumb.Right) / 2, (thumb.Top + thumb.Bottom) / 2);
  win::InjectMouse(grab.X, grab.Y, WM_LBUTTONDOWN);
  win::PumpMessages();
  for (int x = 1; x <= 111; ++x) {
    win::InjectMouse(grab.X + x, grab.Y, WM_MOUSEMOVE, MK_LBUTTON);
    win::PumpMessages();
  }
  win::InjectMouse(grab.X + 111, grab.Y, WM_LBUTTONUP);
  win::PumpMessages();
  ASSERT_EQ(seen.size(), 80u);
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], -39 + int(i));
}

// A host that notes whether its own painting could reach a given rectangle.
class TProbeHost : public TCustomControl {
  DECLARE_CLASS(TProbeHost, TCustomControl)
  explicit TProbeHost(TComponent* AOwner) : TCustomControl(AOwner) {}
  RECT Probe{0, 0, 0, 0};
  int Paints = 0;
  bool ProbeVisible = false;

 protected:
  void Paint() override {
    ++Paints;
    ProbeVisible = RectVisible(Canvas()->Handle(), &Probe) != FALSE;
    RECT r{0, 0, Width(), Height()};
    HBRUSH b = CreateSolidBrush(ColorRef(Color()));
    FillRect(Canvas()->Handle(), &r, b);
    DeleteObject(b);
  }
};

// An image whose bitmap covers it paints every pixel itself: repainting it does not paint the parent
// under it. One that leaves part of itself uncovered (smaller picture, transparent colour) is painted
// over the parent's background, which shows around it.
TEST_F(ControlsTest, ImageCoveringItselfWithABitmapIsOpaque) {
  struct Case {
    const char* name;
    int pictureW, pictureH;
    bool stretch, center, transparent;
    bool opaque;
  } cases[] = {
      {"same size", 60, 40, false, false, false, true},
      {"larger picture", 90, 70, false, false, false, true},
      {"larger picture centred", 90, 70, false, true, false, true},
      {"smaller picture stretched", 20, 10, true, false, false, true},
      {"smaller picture", 30, 20, false, false, false, false},
      {"transparent colour", 60, 40, false, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* parent = new TProbeHost(owner.get());
    parent->SetColor(clLime);
    parent->SetParent(host);
    parent->SetBounds(10, 10, 200, 150);
    auto* image = MakeControl<TImage>(owner.get(), parent, 20, 30, 60, 40);
    parent->Probe = RECT{25, 35, 75, 65};
    image->SetStretch(c.stretch);
    image->SetCenter(c.center);
    TBitmap* b = image->Picture()->Bitmap();
    b->SetPixelFormat(pf24bit);
    b->SetSize(c.pictureW, c.pictureH);
    b->Canvas()->Brush()->SetColor(clBlue);
    b->Canvas()->FillRect(TRect(0, 0, c.pictureW, c.pictureH));
    b->Canvas()->SetPixels(0, c.pictureH - 1, clRed);  // the transparent colour: lower-left pixel
    image->SetTransparent(c.transparent);
    win::PumpMessages();
    const int before = parent->Paints;
    image->Invalidate();
    win::PumpMessages();
    ASSERT_GT(parent->Paints, before);
    EXPECT_EQ(parent->ProbeVisible, !c.opaque);
    // The picture shows; where it does not reach, the parent's colour does.
    EXPECT_EQ(win::GetWindowPixel(parent->Handle(), 40, 45), RGB(0, 0, 255));
    if (!c.opaque && !c.transparent) {
      EXPECT_EQ(win::GetWindowPixel(parent->Handle(), 75, 65), RGB(0, 255, 0));
    }
    if (c.transparent) {
      EXPECT_EQ(win::GetWindowPixel(parent->Handle(), 20, 69), RGB(0, 255, 0));
    }
    delete parent;
  }
}

TEST_F(ControlsTest, EditTakesChineseTextAndEditingKeys) {
  auto* edit = MakeControl<TEdit>(owner.get(), host, 20, 20, 200, 21);
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  ClickAt(At(edit, 5, 5));
  ASSERT_TRUE(edit->Focused());
  win::InjectChar("你好 Tressora");
  win::PumpMessages();
  EXPECT_EQ(edit->Text(), "你好 Tressora");
  EXPECT_EQ(changes, 11);
  Key(VK_BACK);
  EXPECT_EQ(edit->Text(), "你好 Tressor");
  Key(VK_HOME);
  Key(VK_RIGHT);
  Key(VK_BACK);  // a whole character, never half of one
  EXPECT_EQ(edit->Text(), "好 Tressor");
  Key(VK_DELETE);
  EXPECT_EQ(edit->Text(), " Tressor");
  win::InjectImeText("发型");
  win::PumpMessages();
  EXPECT_EQ(edit->Text(), "发型 Tressor");
  EXPECT_EQ(edit->CaretPos(), 6);
  // A character beyond the basic plane arrives as two code units.
  win::InjectChar("😀");
  win::PumpMessages();
  EXPECT_EQ(edit->Text(), "发型😀 Tressor");
  edit->SetText("abc");  // by code: reported too
  EXPECT_EQ(changes, 18);
  // Shift with the arrows selects; typing replaces the selection.
  Key(VK_END);
  win::InjectKey(WM_KEYDOWN, VK_SHIFT);
  Key(VK_LEFT);
  Key(VK_LEFT);
  win::InjectKey(WM_KEYUP, VK_SHIFT);
  win::PumpMessages();
  EXPECT_EQ(edit->SelText(), "bc");
  win::InjectChar("型");
  win::PumpMessages();
  EXPECT_EQ(edit->Text(), "a型");
  EXPECT_EQ(edit->SelLength(), 0);
  edit->SetMaxLength(3);
  win::InjectChar("xyz");
  win::PumpMessages();
  EXPECT_EQ(edit->Text(), "a型x");
}

// ---------------------------------------------------------------------------------------------------

TEST_F(ControlsTest, RadioButtonsOfOneParentFormAGroup) {
  auto* a = MakeControl<TRadioButton>(owner.get(), host, 10, 10, 100, 17);
  auto* b = MakeControl<TRadioButton>(owner.get(), host, 10, 30, 100, 17);
  auto* box = MakeControl<TGroupBox>(owner.get(), host, 150, 10, 200, 100);
  auto* c = MakeControl<TRadioButton>(owner.get(), box, 10, 20, 100, 17);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  a->SetChecked(true);
  c->SetChecked(true);
  ClickAt(At(b, 5, 8));
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_TRUE(c->Checked());
  EXPECT_EQ(clicks, 1);
  ClickAt(At(b, 5, 8));  // already checked: no click event
  EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, ToolBarLaysButtonsOutLeftToRight) {
  auto* bar = new TToolBar(owner.get());
  bar->SetParent(host);
  bar->SetHeight(97);
  bar->SetButtonWidth(71);
  bar->SetButtonHeight(84);
  bar->SetShowCaptions(true);
  std::vector<TToolButton*> buttons;
  const TToolButtonStyle styles[] = {tbsButton, tbsButton, tbsSeparator, tbsButton};
  for (TToolButtonStyle s : styles) {
    auto* b = new TToolButton(owner.get());
    b->SetStyle(s);
    b->SetCaption(s == tbsButton ? "打印" : "");
    b->SetParent(bar);
    buttons.push_back(b);
  }
  EXPECT_EQ(bar->Align(), alTop);
  EXPECT_EQ(bar->Width(), 400);
  EXPECT_EQ(buttons[0]->BoundsRect(), Bounds(0, 2, 71, 84));
  EXPECT_EQ(buttons[1]->Left(), 71);
  EXPECT_EQ(buttons[2]->BoundsRect(), Bounds(142, 2, 8, 84));
  EXPECT_EQ(buttons[3]->Left(), 150);
  buttons[3]->SetCaption("about");
  buttons[3]->SetAutoSize(true);
  EXPECT_LT(buttons[3]->Width(), 71);
  EXPECT_GT(buttons[3]->Width(), 23);
  int clicked = -1;
  buttons[1]->OnClick = [&](TObject*) { clicked = 1; };
  ClickAt(At(buttons[1], 30, 40));
  EXPECT_EQ(clicked, 1);
}

TEST_F(ControlsTest, ChildrenFollowTheParentFontUntilTheyGetTheirOwn) {
  auto* panel = MakeControl<TPanel>(owner.get(), host, 0, 0, 200, 100);
  auto* follower = MakeControl<TLabel>(owner.get(), panel, 5, 5, 50, 17);
  auto* own = MakeControl<TLabel>(owner.get(), panel, 5, 30, 50, 17);
  own->Font()->SetName("Tahoma");
  EXPECT_FALSE(own->ParentFont());
  panel->Font()->SetHeight(-20);
  panel->Font()->SetColor(clRed);
  EXPECT_TRUE(follower->ParentFont());
  EXPECT_EQ(follower->Font()->Height(), -20);
  EXPECT_EQ(follower->Font()->Color(), clRed);
  EXPECT_EQ(own->Font()->Height(), -12);
  EXPECT_EQ(own->Font()->Name(), "Tahoma");
  // An auto-sized label grows with its font.
  follower->SetCaption("发型");
  int small = follower->Height();
  panel->Font()->SetHeight(-30);
  EXPECT_GT(follower->Height(), small);
}

TEST_F(ControlsTest, ImageListKeepsAlphaAndSplitsStrips) {
  TImageList list(nullptr);
  list.SetWidth(4);
  list.SetHeight(4);
  TBitmap strip;
  strip.SetPixelFormat(pf32bit);
  strip.SetSize(8, 4);
  for (int y = 0; y < 4; ++y) {
    auto* row = static_cast<uint8_t*>(strip.ScanLine(y));
    for (int x = 0; x < 8; ++x) {
      uint8_t* p = row + x * 4;
      p[0] = 0;
      p[1] = 0;
      p[2] = 255;
      p[3] = x < 4 ? 255 : 0;  // the second image is fully transparent
    }
  }
  EXPECT_EQ(list.Add(&strip), 0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Pixel(0, 1, 1), 0xFFFF0000u);
  EXPECT_EQ(list.Pixel(1, 1, 1), 0u);
  // Drawn over white: the opaque image is red, the transparent one leaves white.
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(10, 4);
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect(TRect(0, 0, 10, 4));
  list.Draw(target.Canvas(), 0, 0, 0);
  list.Draw(target.Canvas(), 5, 0, 1);
  EXPECT_EQ(target.Canvas()->Pixels(1, 1), clRed);
  EXPECT_EQ(target.Canvas()->Pixels(6, 1), clWhite);

  // A PNG file with alpha, as the tool bar's pictures come.
  PngImageUnit::Initialize();
  TPngImage png;
  png.Assign(&strip);
  std::string path = win::ArtifactPath("imagelist_strip.png");
  png.SaveToFile(path);
  EXPECT_EQ(list.AddFromFile(path), 2);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Pixel(2, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(list.Pixel(3, 0, 0) >> 24, 0u);
  EXPECT_THROW(list.AddFromFile("/nonexistent/picture.png"), Exception);
  PngImageUnit::Finalize();
}

}  // namespace

namespace {

// The focus moves only from window to window; OnEnter and OnExit follow which controls start and stop
// holding it.
TEST_F(ControlsTest, FocusMovingIntoAChildLeavesNoParentAndLeavingGoesUpToTheCommonParent) {
  auto* outer = MakeControl<TPanel>(owner.get(), host, 10, 10, 180, 100);
  auto* inner = MakeControl<TEdit>(owner.get(), outer, 10, 10, 100, 21);
  auto* other = MakeControl<TPanel>(owner.get(), host, 200, 10, 180, 100);
  auto* otherEdit = MakeControl<TEdit>(owner.get(), other, 10, 10, 100, 21);
  win::PumpMessages();
  std::vector<std::string> log;
  auto watch = [&](TWinControl* c, const std::string& name) {
    c->OnEnter = [&log, name](TObject*) { log.push_back("enter " + name); };
    c->OnExit = [&log, name](TObject*) { log.push_back("exit " + name); };
  };
  watch(outer, "outer");
  watch(inner, "inner");
  watch(other, "other");
  watch(otherEdit, "otherEdit");
  watch(host, "host");
  outer->SetFocus();
  win::PumpMessages();
  ASSERT_TRUE(outer->Focused());
  struct Step {
    TWinControl* To;
    std::vector<std::string> Log;
  };
  const std::vector<Step> steps = {
      {inner, {"enter inner"}},                                               // into a child: outer stays
      {outer, {"exit inner"}},                                                // back: outer was never left
      {otherEdit, {"exit outer", "enter other", "enter otherEdit"}},          // across: up to the host
      {inner, {"exit otherEdit", "exit other", "enter outer", "enter inner"}},  // and back down, outer first
      {other, {"exit inner", "exit outer", "enter other"}},
  };
  for (const Step& s : steps) {
    log.clear();
    s.To->SetFocus();
    win::PumpMessages();
    ASSERT_TRUE(s.To->Focused());
    EXPECT_EQ(log, s.Log);
  }
}

}  // namespace
