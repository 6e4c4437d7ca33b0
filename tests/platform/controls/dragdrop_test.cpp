// Drag and drop between controls of one window through injected mouse and key input: a drag that
// waits for its threshold, a press on a dmAutomatic control that drags at once, the target found under
// the mouse (a graphic control on its window too), the cursor that says whether it accepts, the drop,
// and Esc ending a drag without a target.

#include <gtest/gtest.h>

#include <vector>

#include "platform/controls/dragdrop.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/stdctrls.h"
#include "tests/platform/controls/host_fixture.h"

namespace {

struct TDrop {
  TObject* Source;
  int X, Y;
};
struct TEnd {
  TObject* Target;
  int X, Y;
};

// A panel to drag from, a label that takes the panel and a panel that takes nothing.
class DragDropTest : public ControlHostTest {
 protected:
  DragDropTest() : ControlHostTest(400, 200) {}
  void SetUp() override {
    ControlHostTest::SetUp();
    source = new TPanel(owner.get());
    source->SetBounds(10, 10, 100, 100);
    source->SetParent(host);
    source->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { ++presses; };
    source->OnClick = [this](TObject*) { ++clicks; };
    source->OnEndDrag = [this](TObject*, TObject* Target, int X, int Y) { ends.push_back({Target, X, Y}); };
    target = new TLabel(owner.get());
    target->SetAutoSize(false);
    target->SetBounds(200, 10, 100, 40);
    target->SetParent(host);
    target->OnDragOver = [this](TObject*, TObject* Source, int, int, TDragState State, bool& Accept) {
      states.push_back(State);
      Accept = Source == source;
    };
    target->OnDragDrop = [this](TObject*, TObject* Source, int X, int Y) { drops.push_back({Source, X, Y}); };
    refuser = new TPanel(owner.get());
    refuser->SetBounds(200, 100, 100, 60);
    refuser->SetParent(host);
    refuser->OnDragOver = [](TObject*, TObject*, int, int, TDragState, bool& Accept) { Accept = false; };
    win::PumpMessages();
  }
  static void MouseAt(TControl* C, int X, int Y, UINT Msg, WPARAM Keys = 0) {
    TPoint p = C->ClientToScreen(TPoint(X, Y));
    win::InjectMouse(p.X, p.Y, Msg, Keys);
    win::PumpMessages();
  }
  static HCURSOR Cursor(TCursor C) { return GetCursorHandle(C); }

  TPanel* source = nullptr;
  TLabel* target = nullptr;
  TPanel* refuser = nullptr;
  int presses = 0, clicks = 0;
  std::vector<TDragState> states;
  std::vector<TDrop> drops;
  std::vector<TEnd> ends;
};

TEST_F(DragDropTest, ADragThatIsNotImmediateWaitsForTheThresholdThenDrops) {
  source->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { source->BeginDrag(false, 5); };
  MouseAt(source, 50, 50, WM_LBUTTONDOWN, MK_LBUTTON);
  EXPECT_TRUE(source->Dragging());
  MouseAt(source, 54, 46, WM_MOUSEMOVE, MK_LBUTTON);  // 4 pixels each way: under the threshold
  EXPECT_NE(::GetCursor(), Cursor(crNoDrop));
  EXPECT_NE(::GetCursor(), Cursor(crDrag));
  MouseAt(source, 55, 50, WM_MOUSEMOVE, MK_LBUTTON);  // 5 pixels: the drag is on
  EXPECT_EQ(::GetCursor(), Cursor(crNoDrop));          // the source takes nothing itself
  EXPECT_TRUE(states.empty());
  MouseAt(target, 50, 20, WM_MOUSEMOVE, MK_LBUTTON);
  EXPECT_EQ(::GetCursor(), Cursor(crDrag));
  MouseAt(target, 60, 25, WM_MOUSEMOVE, MK_LBUTTON);
  EXPECT_EQ(states, (std::vector<TDragState>{dsDragEnter, dsDragMove}));
  MouseAt(target, 60, 25, WM_LBUTTONUP);
  ASSERT_EQ(drops.size(), 1u);
  EXPECT_EQ(drops[0].Source, source);
  EXPECT_EQ(drops[0].X, 60);
  EXPECT_EQ(drops[0].Y, 25);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].Target, target);
  EXPECT_EQ(ends[0].X, 60);
  EXPECT_EQ(ends[0].Y, 25);
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(clicks, 0);
}

TEST_F(DragDropTest, APressOnAnAutomaticControlDragsAtOnceAndARefusingTargetGetsNothing) {
  source->SetDragMode(dmAutomatic);
  MouseAt(source, 50, 50, WM_LBUTTONDOWN, MK_LBUTTON);
  EXPECT_TRUE(source->Dragging());
  EXPECT_EQ(presses, 0);  // the press became the drag
  EXPECT_EQ(::GetCursor(), Cursor(crNoDrop));
  MouseAt(target, 10, 10, WM_MOUSEMOVE, MK_LBUTTON);
  EXPECT_EQ(::GetCursor(), Cursor(crDrag));
  MouseAt(refuser, 10, 10, WM_MOUSEMOVE, MK_LBUTTON);
  EXPECT_EQ(::GetCursor(), Cursor(crNoDrop));
  EXPECT_EQ(states, (std::vector<TDragState>{dsDragEnter, dsDragLeave}));
  MouseAt(refuser, 10, 10, WM_LBUTTONUP);
  EXPECT_TRUE(drops.empty());
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].Target, nullptr);
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(clicks, 0);
}

TEST_F(DragDropTest, EscEndsTheDragWithoutATargetAndTheTargetIsLeft) {
  source->SetDragMode(dmAutomatic);
  MouseAt(source, 50, 50, WM_LBUTTONDOWN, MK_LBUTTON);
  MouseAt(target, 10, 10, WM_MOUSEMOVE, MK_LBUTTON);
  ASSERT_EQ(::GetCursor(), Cursor(crDrag));
  win::InjectKey(WM_KEYDOWN, VK_ESCAPE);
  win::PumpMessages();
  EXPECT_EQ(states, (std::vector<TDragState>{dsDragEnter, dsDragLeave}));
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].Target, nullptr);
  EXPECT_FALSE(DragInProgress());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(::GetCursor(), Cursor(crArrow));  // the cursor of the window under the mouse again
  MouseAt(target, 10, 10, WM_LBUTTONUP);
  EXPECT_TRUE(drops.empty());
}

// A drag object of the program's own, handed in by OnStartDrag: targets see it as the source, and the
// cursor is crDrag over a target that accepts it and crNoDrop elsewhere.
TEST_F(DragDropTest, AProgramsOwnDragObjectShowsTheDragCursorWhereItIsAccepted) {
  struct TNoteDrag : TDragObject {
    TObject* FinishedOn = nullptr;
    int Finishes = 0;
    void Finished(TObject* Target, int, int, bool) override {
      FinishedOn = Target;
      ++Finishes;
    }
  } note;
  source->OnStartDrag = [&](TObject*, TDragObject*& Object) { Object = &note; };
  target->OnDragOver = [&](TObject*, TObject* Source, int, int, TDragState, bool& Accept) { Accept = Source == &note; };
  source->SetDragMode(dmAutomatic);
  MouseAt(source, 50, 50, WM_LBUTTONDOWN, MK_LBUTTON);
  ASSERT_TRUE(source->Dragging());
  EXPECT_EQ(::GetCursor(), Cursor(crNoDrop));
  MouseAt(target, 10, 10, WM_MOUSEMOVE, MK_LBUTTON);
  EXPECT_EQ(::GetCursor(), Cursor(crDrag));
  MouseAt(refuser, 10, 10, WM_MOUSEMOVE, MK_LBUTTON);
  EXPECT_EQ(::GetCursor(), Cursor(crNoDrop));
  MouseAt(target, 20, 20, WM_MOUSEMOVE, MK_LBUTTON);
  EXPECT_EQ(::GetCursor(), Cursor(crDrag));
  MouseAt(target, 20, 20, WM_LBUTTONUP);
  ASSERT_EQ(drops.size(), 1u);
  EXPECT_EQ(drops[0].Source, &note);
  EXPECT_EQ(note.Finishes, 1);
  EXPECT_EQ(note.FinishedOn, target);
}

}  // namespace
