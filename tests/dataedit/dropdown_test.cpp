// Drop-down placement against the work area and the size grip's geometry.
#include <gtest/gtest.h>

#include "dataedit/ToolCtrlsX.h"

namespace {

const RECT Work{0, 0, 1000, 700};

TEST(DropDownPlacement, Table) {
  const struct {
    RECT Owner;
    int W, H;
    TDropDownAlign Align;
    int X, Y, Width, Height, Vert, Horz;
  } Cases[] = {
      {{100, 100, 300, 120}, 200, 150, daLeft, 100, 120, 200, 150, 3, 1},
      {{100, 100, 300, 120}, 150, 150, daRight, 150, 120, 150, 150, 3, 0},
      {{100, 100, 300, 120}, 300, 150, daCenter, 50, 120, 300, 150, 3, 1},
      {{100, 600, 300, 620}, 200, 150, daLeft, 100, 450, 200, 150, 2, 1},       // near the bottom: above
      {{100, 400, 300, 420}, 200, 500, daLeft, 100, 0, 200, 400, 2, 1},         // more room above
      {{100, 200, 300, 220}, 200, 600, daLeft, 100, 220, 200, 480, 3, 1},       // more room below
      {{900, 100, 980, 120}, 200, 150, daLeft, 800, 120, 200, 150, 3, 0},       // pushed back from the right
      {{-50, 100, 30, 120}, 200, 150, daRight, 0, 120, 200, 150, 3, 1},         // pushed in from the left
      {{0, 100, 80, 120}, 1200, 150, daLeft, 0, 120, 1000, 150, 3, 1},          // wider than the work area
  };
  for (auto& C : Cases) {
    TDropDownPlacement P = PlaceDropDown(C.Owner, Work, C.W, C.H, C.Align, 1);
    EXPECT_EQ(P.Pos.x, C.X);
    EXPECT_EQ(P.Pos.y, C.Y);
    EXPECT_EQ(P.Width, C.Width);
    EXPECT_EQ(P.Height, C.Height);
    EXPECT_EQ(P.VertSide, C.Vert);
    EXPECT_EQ(P.HorzSide, C.Horz);
  }
}

TEST(DropDownPlacement, KeepsAtLeastOneRow) {
  // An owner flush with the work area's bottom and top leaves no room: placement would give 0.
  TDropDownPlacement P = PlaceDropDown(RECT{100, 0, 300, 700}, Work, 200, 150, daLeft, 16);
  EXPECT_EQ(P.Height, 16);
  // An owner below the work area would even give a negative height.
  P = PlaceDropDown(RECT{100, 710, 300, 730}, Work, 200, 150, daLeft, 0);
  EXPECT_GE(P.Height, 1);
}

TEST(SizeGrip, CornerFollowsTheSide) {
  const struct { int Corner, Side, Expected; } Cases[] = {
      {2, 2, 1}, {3, 2, 0}, {1, 2, 1}, {1, 3, 2}, {0, 3, 3}, {2, 3, 2},
      {1, 0, 0}, {2, 0, 3}, {0, 1, 1}, {3, 1, 2}, {2, 1, 2}, {2, 7, 2},
  };
  for (auto C : Cases) EXPECT_EQ(GripCornerForSide(C.Corner, C.Side), C.Expected) << C.Corner << "/" << C.Side;
}

TEST(SizeGrip, TriangleByCorner) {
  auto T = GripTriangle(2, 17, 17);
  ASSERT_EQ(T.size(), 3u);
  EXPECT_EQ(T[0].x, 0);
  EXPECT_EQ(T[0].y, 17);
  EXPECT_EQ(T[2].x, 17);
  EXPECT_EQ(T[2].y, 0);
  T = GripTriangle(0, 17, 17);
  EXPECT_EQ(T[0].x, 16);
  EXPECT_EQ(T[2].y, 16);
}

TEST(SizeGrip, DragStaysInsideWorkAreaAndAboveMinimum) {
  TGripDragStart S;
  S.Mouse = {890, 290};
  S.Bounds = {700, 100, 900, 300};   // 200 x 200 with a 2-pixel frame
  S.ClientWidth = 196;
  S.ClientHeight = 196;
  // Bottom-right: growing follows the mouse but stops at the work area.
  RECT B = GripDragBounds(2, S, POINT{990, 340}, Work, 17, 17);
  EXPECT_EQ(B.right, 1000);
  EXPECT_EQ(B.bottom, 350);
  B = GripDragBounds(2, S, POINT{1200, 340}, Work, 17, 17);
  EXPECT_EQ(B.right, 1000);
  // Dragging far inwards keeps the grip's own size (plus the frame), never a negative size.
  B = GripDragBounds(2, S, POINT{100, 0}, Work, 17, 17);
  EXPECT_EQ(B.right - B.left, 21);
  EXPECT_EQ(B.bottom - B.top, 21);
  // Top-left: the right and bottom edges stay; the left edge stops at the work area.
  B = GripDragBounds(0, S, POINT{-500, 250}, Work, 17, 17);
  EXPECT_EQ(B.left, 0);
  EXPECT_EQ(B.right, 900);
  EXPECT_EQ(B.top, 60);
  EXPECT_EQ(B.bottom, 300);
  B = GripDragBounds(0, S, POINT{1500, 1500}, Work, 17, 17);
  EXPECT_EQ(B.right - B.left, 21);
  EXPECT_EQ(B.bottom - B.top, 21);
}

}  // namespace
