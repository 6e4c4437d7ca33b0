#include "app/PlacedImage.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

// A placed record with its own outline path and a 200 x 100 bitmap centred at (300, 200).
class PlacedImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GdipCreatePath(FillModeAlternate, &HandlesPath);
    GdipCreatePath(FillModeAlternate, &HairPicture.Outline);
    GdipCreateBitmapFromScan0(200, 100, 0, PixelFormat32bppARGB, nullptr, &HairPicture.Bitmap);
    HairPicture.CenterX = 300;
    HairPicture.CenterY = 200;
    ResetPlacement(HairPicture);
    UpdatePlacement(HairPicture);
  }
  void TearDown() override {
    GdipDisposeImage(HairPicture.Bitmap);
    HairPicture.Bitmap = nullptr;
    GdipDeletePath(HairPicture.Outline);
    HairPicture.Outline = nullptr;
    GdipDeletePath(HandlesPath);
    HandlesPath = nullptr;
  }
  TPlacedImage& P = HairPicture;
};

void ExpectPoint(const GpPointF& p, float x, float y) {
  EXPECT_NEAR(p.X, x, 1e-3);
  EXPECT_NEAR(p.Y, y, 1e-3);
}

TEST_F(PlacedImageTest, CornersHandlesAndDiagonalOfAnUnrotatedPicture) {
  ExpectPoint(P.Corners[0], 200, 250);
  ExpectPoint(P.Corners[1], 400, 250);
  ExpectPoint(P.Corners[2], 200, 150);
  ExpectPoint(P.Corners[3], 400, 150);
  const float handles[8][2] = {{200, 250}, {400, 250}, {200, 150}, {400, 150},
                               {300, 250}, {200, 200}, {400, 200}, {300, 150}};
  for (int h = 0; h < 8; ++h) ExpectPoint(Handles[h], handles[h][0], handles[h][1]);
  EXPECT_NEAR(P.DiagAngle, std::atan(0.5), 1e-6);
  EXPECT_FLOAT_EQ(P.Aspect, 2.0f);
}

TEST_F(PlacedImageTest, MirrorFlagsPermuteSlotsButKeepTheOutline) {
  struct Case { Byte h, v; float slot0[2], slot1[2], slot2[2], slot3[2]; };
  const Case cases[] = {
      {1, 0, {400, 250}, {200, 250}, {400, 150}, {200, 150}},
      {0, 1, {200, 150}, {400, 150}, {200, 250}, {400, 250}},
      {1, 1, {400, 150}, {200, 150}, {400, 250}, {200, 250}},
  };
  for (const Case& c : cases) {
    P.MirrorH = c.h;
    P.MirrorV = c.v;
    UpdatePlacement(P);
    ExpectPoint(P.Corners[0], c.slot0[0], c.slot0[1]);
    ExpectPoint(P.Corners[1], c.slot1[0], c.slot1[1]);
    ExpectPoint(P.Corners[2], c.slot2[0], c.slot2[1]);
    ExpectPoint(P.Corners[3], c.slot3[0], c.slot3[1]);
    EXPECT_TRUE(PointInPath(P.Outline, {210, 240}));
    EXPECT_FALSE(PointInPath(P.Outline, {190, 240}));
  }
}

TEST_F(PlacedImageTest, RotationByAQuarterTurnMovesTheUpperLeftCorner) {
  P.Angle = float(M_PI / 2);
  UpdateSinCos(P);
  UpdatePlacement(P);
  // (-100, +50) turned counter-clockwise by 90 degrees is (-50, -100).
  ExpectPoint(P.Corners[0], 250, 100);
  ExpectPoint(P.Corners[3], 350, 300);
}

TEST(Geometry, AngleOfVector) {
  struct Case { float x1, y1, x2, y2; double expected; };
  const Case cases[] = {
      {5, 5, 5, 5, 0},
      {0, 0, 0, -3, 3 * M_PI / 2},
      {0, 0, 0, 3, M_PI / 2},
      {0, 0, 1, 0, 0},
      {0, 0, -1, 0, M_PI},
      {0, 0, 1, -1, 7 * M_PI / 4},
      {0, 0, -1, -1, 5 * M_PI / 4},
      {0, 0, -1, 1, 3 * M_PI / 4},
  };
  for (const Case& c : cases) {
    const float a = AngleOfVector(c.x1, c.y1, c.x2, c.y2);
    EXPECT_NEAR(a, c.expected, 1e-5) << c.x2 << "," << c.y2;
    EXPECT_GE(a, 0.0f);
  }
}

TEST(Geometry, DistanceSideAndExtremes) {
  EXPECT_FLOAT_EQ(DistanceToLine({3, 7}, {0, 0}, {0, 10}), 3);           // vertical line
  EXPECT_NEAR(DistanceToLine({0, 2}, {0, 0}, {2, 2}), std::sqrt(2.0), 1e-5);  // slope 1
  EXPECT_EQ(SideOfLine({0, 5}, {0, 0}, {10, 0}), SideOfLine({3, 1}, {0, 0}, {10, 0}));
  EXPECT_NE(SideOfLine({0, 5}, {0, 0}, {10, 0}), SideOfLine({3, -1}, {0, 0}, {10, 0}));
  EXPECT_FLOAT_EQ(MinOfSingles({3, -1, 2, -1}), -1);
  EXPECT_FLOAT_EQ(MaxOfSingles({3, -1, 7, 2}), 7);
  EXPECT_FLOAT_EQ(PointDistance({0, 0}, {3, 4}), 5);
}

TEST_F(PlacedImageTest, HandleAndRotateZoneReach) {
  // Handle 3 is at (400, 150); the picture lies up and to the left of it.
  struct Case { GpPointF p; int handle, rotate; };
  const Case cases[] = {
      {{404, 150}, 3, 3},   // 4 away: a handle hit (and outside the outline)
      {{403, 150}, 3, 3},
      {{406, 150}, -1, 3},  // 6 away outside the outline: rotate zone
      {{408, 150}, -1, 3},  // exactly 8 away
      {{409, 150}, -1, -1},
      {{394, 156}, -1, -1}, // within 8 but inside the outline: no rotation
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HitHandle(c.p), c.handle) << c.p.X << "," << c.p.Y;
    EXPECT_EQ(HitRotateZone(c.p, P.Outline), c.rotate) << c.p.X << "," << c.p.Y;
  }
}

TEST_F(PlacedImageTest, LowerHandleIndexWinsOnATinyPicture) {
  P.HalfWidth = 1;
  P.HalfHeight = 1;
  UpdatePlacement(P);
  EXPECT_EQ(HitHandle({300, 200}), 0);
}

TEST_F(PlacedImageTest, BeginResizeOfAHairCornerCapturesBothSides) {
  DragHandle = 3;
  BeginResize(P);
  ExpectPoint(DragAnchor1, 200, 250);  // opposite corner
  ExpectPoint(DragAnchor2, 200, 150);
  ExpectPoint(DragThird, 400, 250);
  EXPECT_EQ(DragStartSide1, SideOfLine({400, 150}, DragAnchor1, DragAnchor2));
  DragHandle = 6;  // right edge: opposite edge is the left one
  BeginResize(P);
  ExpectPoint(DragThird, 200, 200);
  EXPECT_NEAR(DragEdgeCos, 0, 1e-6);
  EXPECT_NEAR(DragEdgeSin, -1, 1e-6);
}

TEST(Geometry, ResetOfAnEmptyPictureStaysFinite) {
  TPlacedImage p;
  ResetPlacement(p);
  EXPECT_EQ(p.HalfWidth, 0);
  EXPECT_TRUE(std::isfinite(p.Aspect));
}

}  // namespace
