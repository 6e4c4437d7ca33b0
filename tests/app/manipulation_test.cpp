// Mouse and step-button manipulation of the main window checked against where the pictures must end:
// rotation by every handle in every mirror state, the hair's edge handles (with the centre reflected
// when the mouse crosses the opposite edge), the portrait's fixed opposite corner, the step buttons'
// follow-ups, the fade and the men's hair cells.
#include <cmath>

#include "app/UfrmMain.h"

#include "platform/rtl/sysutils.h"
#include "tests/app/app_fixture.h"

namespace {

class ManipulationTest : public AppFixture {
 protected:
  TImage* Scene() { return frmMain->imgMain; }
  int H() { return Scene()->Height(); }
  // Where a picture-space point lands after the trip through whole client pixels.
  GpPointF Landed(GpPointF P) { return {Single(std::lround(P.X)), Single(H() - PixelY(P.Y))}; }
  void DragScene(GpPointF From, GpPointF To) {
    Drag(Scene(), int(std::lround(From.X)), PixelY(From.Y), int(std::lround(To.X)), PixelY(To.Y));
  }
  void LoadPortrait() { ASSERT_TRUE(frmMain->LoadModel(ExePath + "Models/1.png")); }
  void LoadHair() {
    ASSERT_TRUE(frmMain->LoadHair(WomenHairList->Strings(0)));
    win::AdvanceAndPump(clock, 600);
  }
  struct Box {
    Single minX, maxX, minY, maxY;
  };
  static Box BoxOf(const TPlacedImage& P) {
    const GpPointF* c = P.Corners;
    return {MinOfSingles({c[0].X, c[1].X, c[2].X, c[3].X}), MaxOfSingles({c[0].X, c[1].X, c[2].X, c[3].X}),
            MinOfSingles({c[0].Y, c[1].Y, c[2].Y, c[3].Y}), MaxOfSingles({c[0].Y, c[1].Y, c[2].Y, c[3].Y})};
  }
  static double AngleBetween(double a, double b) { return std::remainder(a - b, 2 * M_PI); }
};

// Grabbing the zone just outside handle h and moving the mouse anywhere turns the picture so that the
// handle lies on the ray from the centre to the mouse, whatever the mirroring.
TEST_F(ManipulationTest, RotatingByAnyHandleInAnyMirrorStatePutsTheHandleOnTheMouseRay) {
  LoadPortrait();
  LoadHair();
  for (int mirror = 0; mirror < 4; ++mirror)
    for (int h = 0; h < 8; ++h) {
      SCOPED_TRACE(Format("handle %d, MirrorH %d, MirrorV %d", h, mirror & 1, mirror >> 1));
      Click(frmMain->btnBackPosition);
      ASSERT_EQ(SelectedKind, 2);
      HairPicture.MirrorH = Byte(mirror & 1);
      HairPicture.MirrorV = Byte(mirror >> 1);
      UpdatePlacement(HairPicture);
      const GpPointF c{HairPicture.CenterX, HairPicture.CenterY};
      const GpPointF hp = Handles[h];
      const Single len = PointDistance(c, hp);
      const GpPointF press{hp.X + 6 * (hp.X - c.X) / len, hp.Y + 6 * (hp.Y - c.Y) / len};
      const double turn = 0.4 + 0.7 * h + 0.25 * mirror;
      const GpPointF to{Single(c.X + 160 * std::cos(turn)), Single(c.Y + 160 * std::sin(turn))};
      DragScene(press, to);
      ASSERT_EQ(DragMode, 3);
      ASSERT_EQ(DragHandle, h);
      const GpPointF mouse = Landed(to);
      const double want = AngleOfVector(c.X, c.Y, mouse.X, mouse.Y);
      const double got = AngleOfVector(c.X, c.Y, Handles[h].X, Handles[h].Y);
      EXPECT_NEAR(AngleBetween(got, want), 0, 0.005);
      EXPECT_EQ(HairPicture.MirrorH, Byte(mirror & 1));
      EXPECT_EQ(HairPicture.MirrorV, Byte(mirror >> 1));
    }
}

// An edge handle moves its edge to the mouse while the opposite edge stays; past the opposite edge the
// hair mirrors and the centre is reflected to the mouse's side of it.
TEST_F(ManipulationTest, AHairEdgeHandleMovesItsEdgeToTheMouseAndTheOppositeEdgeStays) {
  LoadPortrait();
  LoadHair();
  for (int h = 4; h < 8; ++h)
    for (bool across : {false, true}) {
      SCOPED_TRACE(Format("handle %d%s", h, across ? " across the opposite edge" : ""));
      Click(frmMain->btnBackPosition);
      const Box b = BoxOf(HairPicture);
      const GpPointF hp = Handles[h];
      const bool horizontal = h == 5 || h == 6;
      // The opposite edge's coordinate, and where the grabbed edge goes.
      Single opposite = 0, target = 0;
      switch (h) {
        case 4: opposite = b.minY, target = across ? b.minY - 40 : b.maxY + 30; break;  // top edge
        case 5: opposite = b.maxX, target = across ? b.maxX + 40 : b.minX - 30; break;  // left edge
        case 6: opposite = b.minX, target = across ? b.minX - 40 : b.maxX + 30; break;  // right edge
        default: opposite = b.maxY, target = across ? b.maxY + 40 : b.minY - 30; break;  // bottom edge
      }
      const GpPointF to = horizontal ? GpPointF{target, hp.Y} : GpPointF{hp.X, target};
      DragScene(hp, to);
      ASSERT_EQ(DragMode, 2);
      const GpPointF mouse = Landed(to);
      const Box a = BoxOf(HairPicture);
      const Single lo = horizontal ? a.minX : a.minY, hi = horizontal ? a.maxX : a.maxY;
      const Single m = horizontal ? mouse.X : mouse.Y;
      EXPECT_NEAR(lo, std::min(opposite, m), 0.01);
      EXPECT_NEAR(hi, std::max(opposite, m), 0.01);
      // The other direction keeps its size and place.
      EXPECT_NEAR(horizontal ? a.minY : a.minX, horizontal ? b.minY : b.minX, 0.01);
      EXPECT_NEAR(horizontal ? a.maxY : a.maxX, horizontal ? b.maxY : b.maxX, 0.01);
      EXPECT_EQ(horizontal ? HairPicture.MirrorH : HairPicture.MirrorV, Byte(across));
      EXPECT_EQ(horizontal ? HairPicture.MirrorV : HairPicture.MirrorH, 0);
    }
}

// Resizing the portrait by any handle keeps the corner opposite it (anchor 1) where it was and the
// portrait's proportions.
TEST_F(ManipulationTest, ResizingThePortraitKeepsTheOppositeCornerInPlace) {
  LoadPortrait();
  const Single aspect = ModelPicture.Aspect;
  for (int h = 0; h < 8; ++h) {
    SCOPED_TRACE(Format("handle %d", h));
    Click(frmMain->btnBackPosition);
    ASSERT_EQ(SelectedKind, 1);
    const GpPointF c{ModelPicture.CenterX, ModelPicture.CenterY};
    const GpPointF fixed = Handles[HandleAnchor1[h]];
    const GpPointF hp = Handles[h];
    const Single len = PointDistance(c, hp);
    DragScene(hp, {hp.X + 25 * (hp.X - c.X) / len, hp.Y + 25 * (hp.Y - c.Y) / len});
    ASSERT_EQ(DragMode, 2);
    EXPECT_NEAR(Handles[HandleAnchor1[h]].X, fixed.X, 0.02);
    EXPECT_NEAR(Handles[HandleAnchor1[h]].Y, fixed.Y, 0.02);
    EXPECT_NEAR(ModelPicture.HalfWidth / ModelPicture.HalfHeight, aspect, 1e-4);
    EXPECT_GT(PointDistance(fixed, Handles[h]), PointDistance(fixed, hp));  // it grew
  }
}

// The step buttons on the portrait: width and height follow each other by the aspect, also when the
// narrowing itself is refused, and a half size of exactly 5 may still shrink.
TEST_F(ManipulationTest, PortraitStepButtonsKeepTheProportionsAndStopBelowFive) {
  LoadPortrait();
  TPlacedImage& P = ModelPicture;
  const Single a = P.Aspect;
  struct Case {
    TButton* button;
    Single halfWidth, halfHeight;  // before
    Single wantWidth, wantHeight;  // after
  };
  const Case cases[] = {
      {frmMain->btnWiden, 50, 1, 51, 51 / a},
      {frmMain->btnLengthen, 1, 50, 51 * a, 51},
      {frmMain->btnNarror, 5, 1, 4, 4 / a},          // exactly 5: still narrowed
      {frmMain->btnNarror, 4.5f, 1, 4.5f, 4.5f / a},  // below 5: kept, the height still follows
      {frmMain->btnShorten, 1, 5, 4 * a, 4},
      {frmMain->btnShorten, 1, 4.5f, 4.5f * a, 4.5f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button->Caption() + Format(" from %g x %g", c.halfWidth, c.halfHeight));
    P.HalfWidth = c.halfWidth;
    P.HalfHeight = c.halfHeight;
    Click(c.button);
    EXPECT_FLOAT_EQ(P.HalfWidth, c.wantWidth);
    EXPECT_FLOAT_EQ(P.HalfHeight, c.wantHeight);
    EXPECT_FLOAT_EQ(P.Aspect, a);
  }
  // On the hair the sizes are free and the diagonal angle follows the new size.
  LoadHair();
  HairPicture.HalfWidth = 60;
  HairPicture.HalfHeight = 30;
  Click(frmMain->btnWiden);
  EXPECT_FLOAT_EQ(HairPicture.HalfHeight, 30);
  EXPECT_FLOAT_EQ(HairPicture.DiagAngle, AngleOfVector(0, 0, 61, 30));
  HairPicture.HalfHeight = 5;
  Click(frmMain->btnShorten);
  EXPECT_FLOAT_EQ(HairPicture.HalfHeight, 4);
  EXPECT_FLOAT_EQ(HairPicture.DiagAngle, AngleOfVector(0, 0, 61, 4));
}

namespace {

GpBitmap* BitmapFromFile(const std::string& Name) {
  GpBitmap* b = nullptr;
  GdipCreateBitmapFromFile(Utf8ToUtf16(Name).c_str(), &b);
  return b;
}

ARGB PixelOf(GpBitmap* B, int X, int Y) {
  ARGB c = 0;
  GdipBitmapGetPixel(B, X, Y, &c);
  return c;
}

}  // namespace

// While the hair fades in, each frame draws it at the fade's alpha over what lies below: a pixel where
// the hair is opaque is the mix of the hair's colour and the portrait's in that proportion.
TEST_F(ManipulationTest, TheFadeDrawsTheHairAtItsAlpha) {
  LoadPortrait();
  // An opaque, flat spot of the hair: its 5 x 5 neighbourhood has one colour at full alpha.
  GpBitmap* hair = BitmapFromFile(WomenHairList->Strings(0));
  ASSERT_NE(hair, nullptr);
  UINT w = 0, h = 0;
  BitmapSize(hair, w, h);
  int bx = -1, by = -1;
  for (int y = int(h) / 3; y < int(h) - 3 && bx < 0; ++y)
    for (int x = int(w) / 3; x < int(w) - 3 && bx < 0; ++x) {
      bool flat = true;
      for (int dy = -2; dy <= 2 && flat; ++dy)
        for (int dx = -2; dx <= 2 && flat; ++dx) flat = PixelOf(hair, x + dx, y + dy) == PixelOf(hair, x, y);
      if (flat && PixelOf(hair, x, y) >> 24 == 255) bx = x, by = y;
    }
  ASSERT_GE(bx, 0) << "no opaque flat spot in the hair picture";
  const ARGB hairColour = PixelOf(hair, bx, by);
  GdipDisposeImage(hair);
  // The hair's home placement puts bitmap pixel (bx, by) at this client pixel.
  const Single left = Single(Scene()->Width()) / 2 - 16 - Single(w) / 2;
  const Single top = Single(H()) - (Single(H()) / 2 + 14 + Single(h) / 2);
  const int sx = int(std::lround(left + Single(bx))), sy = int(std::lround(top + Single(by)));
  auto scene = [&] { return win::GetWindowPixel(frmMain->Panel4->Handle(), sx, sy); };
  const COLORREF under = scene();

  ASSERT_TRUE(frmMain->LoadHair(WomenHairList->Strings(0)));
  ASSERT_NE(HairFadeAlpha, -1);
  for (int tick = 1; tick <= 5; ++tick) {
    win::AdvanceAndPump(clock, 100);
    const COLORREF shown = scene();
    const double a = tick < 5 ? HairFadeAlpha : 1.0;
    SCOPED_TRACE(Format("tick %d, alpha %g", tick, a));
    if (tick < 5) {
      ASSERT_NEAR(HairFadeAlpha, 0.0001 + 0.2 * tick, 1e-5);
    }
    const int hairRgb[3] = {int((hairColour >> 16) & 0xFF), int((hairColour >> 8) & 0xFF), int(hairColour & 0xFF)};
    const int underRgb[3] = {GetRValue(under), GetGValue(under), GetBValue(under)};
    const int shownRgb[3] = {GetRValue(shown), GetGValue(shown), GetBValue(shown)};
    for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(shownRgb[ch], a * hairRgb[ch] + (1 - a) * underRgb[ch], 3) << "channel " << ch;
  }
  EXPECT_EQ(HairFadeAlpha, -1);
}

// A men's cell lays the men's style of that cell over the portrait, not the women's of the same place.
TEST_F(ManipulationTest, AMensHairCellLoadsTheMensStyle) {
  LoadPortrait();
  frmMain->cboHairGender->SetItemIndex(1);
  frmMain->cboHairGenderChange(frmMain->cboHairGender);
  ASSERT_GT(MenHairList->Count(), 1);
  Click(HairCells[1]);
  ASSERT_NE(HairPicture.Bitmap, nullptr);
  GpBitmap* men = BitmapFromFile(MenHairList->Strings(1));
  GpBitmap* women = BitmapFromFile(WomenHairList->Strings(1));
  UINT w = 0, h = 0, mw = 0, mh = 0, ww = 0, wh = 0;
  BitmapSize(HairPicture.Bitmap, w, h);
  BitmapSize(men, mw, mh);
  BitmapSize(women, ww, wh);
  EXPECT_EQ(w, mw);
  EXPECT_EQ(h, mh);
  int same = 0, differs = 0;
  for (UINT y = 0; y < h; y += 7)
    for (UINT x = 0; x < w; x += 7) {
      same += PixelOf(HairPicture.Bitmap, int(x), int(y)) == PixelOf(men, int(x), int(y));
      differs += x < ww && y < wh && PixelOf(women, int(x), int(y)) != PixelOf(men, int(x), int(y));
    }
  EXPECT_EQ(same, int(((w + 6) / 7) * ((h + 6) / 7)));
  EXPECT_GT(differs, 0) << "the two styles must differ for the test to tell them apart";
  EXPECT_EQ(SelectedKind, 2);
  GdipDisposeImage(men);
  GdipDisposeImage(women);
}

}  // namespace
