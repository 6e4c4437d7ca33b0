// Edges and frame controls, mapping modes, wide and XOR pens, clip regions and the text layout flags
// of DrawTextEx, checked pixel by pixel (fonts only through where ink lands, never whole images).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fixture.h"
#include "surface.h"
#include "platform/win/windows.h"

namespace {

COLORREF Sys(int i) { return GetSysColor(i); }

// ---- DrawEdge ------------------------------------------------------------------------------------

struct EdgeCase {
  UINT edge;
  UINT extra;  // BF_SOFT, BF_FLAT, BF_MONO
  int rings;
  int outerTl, outerBr, innerTl, innerBr;  // -1: no such ring
};

TEST(DrawEdge, EveryRingCombinationDrawsItsColoursAndAdjusts) {
  const EdgeCase cases[] = {
      {BDR_RAISEDOUTER, 0, 1, COLOR_3DLIGHT, COLOR_3DDKSHADOW, -1, -1},
      {BDR_SUNKENOUTER, 0, 1, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, -1, -1},
      // A lone inner ring is drawn where the outer one would be.
      {BDR_RAISEDINNER, 0, 1, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, -1, -1},
      {BDR_SUNKENINNER, 0, 1, COLOR_3DDKSHADOW, COLOR_3DLIGHT, -1, -1},
      {EDGE_RAISED, 0, 2, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW},
      {EDGE_SUNKEN, 0, 2, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT},
      {EDGE_ETCHED, 0, 2, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW},
      {EDGE_BUMP, 0, 2, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_3DDKSHADOW, COLOR_3DLIGHT},
      // Soft edges swap the light (raised) or dark (sunken) top-left colours of the two rings.
      {EDGE_RAISED, BF_SOFT, 2, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT, COLOR_BTNSHADOW},
      {EDGE_SUNKEN, BF_SOFT, 2, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, COLOR_3DLIGHT},
      {EDGE_SUNKEN, BF_FLAT, 2, COLOR_BTNSHADOW, COLOR_BTNSHADOW, COLOR_BTNFACE, COLOR_BTNFACE},
      {EDGE_RAISED, BF_MONO, 2, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME, COLOR_WINDOW, COLOR_WINDOW},
      // Both bits of one ring cancel it; nothing at all is drawn for both rings cancelled.
      {BDR_OUTER | BDR_RAISEDINNER, 0, 1, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, -1, -1},
      {BDR_OUTER | BDR_INNER, 0, 0, -1, -1, -1, -1},
  };
  for (const EdgeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "edge " << c.edge << " flags " << c.extra);
    Surface s(20, 20);
    RECT r{2, 2, 14, 14};
    ASSERT_TRUE(DrawEdge(s.dc, &r, c.edge, BF_RECT | BF_ADJUST | c.extra));
    EXPECT_EQ(r.left, 2 + c.rings);
    EXPECT_EQ(r.bottom, 14 - c.rings);
    EXPECT_EQ(s.At(1, 8), kRed) << "nothing outside";
    EXPECT_EQ(s.At(2, 8), c.outerTl < 0 ? kRed : Sys(c.outerTl)) << "left side";
    EXPECT_EQ(s.At(8, 2), c.outerTl < 0 ? kRed : Sys(c.outerTl)) << "top side";
    EXPECT_EQ(s.At(13, 8), c.outerBr < 0 ? kRed : Sys(c.outerBr)) << "right side";
    EXPECT_EQ(s.At(8, 13), c.outerBr < 0 ? kRed : Sys(c.outerBr)) << "bottom side";
    EXPECT_EQ(s.At(3, 8), c.innerTl < 0 ? kRed : Sys(c.innerTl));
    EXPECT_EQ(s.At(12, 8), c.innerBr < 0 ? kRed : Sys(c.innerBr));
    EXPECT_EQ(s.At(8, 8), kRed) << "no middle without BF_MIDDLE";
  }
}

TEST(DrawEdge, SidesCornersMiddleAndDiagonals) {
  Surface s(20, 20);
  RECT r{0, 0, 10, 10};
  DrawEdge(s.dc, &r, BDR_RAISEDINNER, BF_RECT);
  // The bottom-right colour owns the top-right and bottom-left corners.
  EXPECT_EQ(s.At(0, 0), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(s.At(9, 0), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(s.At(0, 9), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(r.left, 0) << "without BF_ADJUST the rectangle stays";

  // Single sides only touch their own row or column; the adjusted rectangle shrinks on those sides.
  const struct {
    UINT side;
    POINT painted, untouched;
    RECT adjusted;
  } sides[] = {
      {BF_TOP, {5, 0}, {0, 5}, {0, 1, 10, 10}},
      {BF_LEFT, {0, 5}, {5, 0}, {1, 0, 10, 10}},
      {BF_RIGHT, {9, 5}, {5, 9}, {0, 0, 9, 10}},
      {BF_BOTTOM, {5, 9}, {9, 5}, {0, 0, 10, 9}},
  };
  for (const auto& c : sides) {
    Surface t(12, 12);
    RECT a{0, 0, 10, 10};
    DrawEdge(t.dc, &a, BDR_SUNKENOUTER, c.side | BF_ADJUST);
    EXPECT_NE(t.At(c.painted.x, c.painted.y), kRed) << c.side;
    EXPECT_EQ(t.At(c.untouched.x, c.untouched.y), kRed) << c.side;
    EXPECT_EQ(a.left, c.adjusted.left);
    EXPECT_EQ(a.top, c.adjusted.top);
    EXPECT_EQ(a.right, c.adjusted.right);
    EXPECT_EQ(a.bottom, c.adjusted.bottom);
  }

  Surface m(12, 12);
  RECT mid{0, 0, 10, 10};
  DrawEdge(m.dc, &mid, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
  EXPECT_EQ(m.At(5, 5), Sys(COLOR_BTNFACE));
  EXPECT_EQ(m.At(10, 5), kRed);
  DrawEdge(m.dc, &mid, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_MONO);
  EXPECT_EQ(m.At(5, 5), Sys(COLOR_WINDOW)) << "a mono middle is the window colour";

  // A diagonal runs between two opposite corners and leaves the others alone.
  Surface d(12, 12);
  RECT dr{0, 0, 10, 10};
  DrawEdge(d.dc, &dr, BDR_SUNKENOUTER, BF_DIAGONAL_ENDTOPRIGHT);
  EXPECT_EQ(d.At(0, 9), Sys(COLOR_BTNSHADOW)) << "rises to the right: top-left colour";
  EXPECT_EQ(d.At(9, 0), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(d.At(5, 4), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(d.At(0, 0), kRed);
  EXPECT_EQ(d.At(9, 9), kRed);
  Surface e(12, 12);
  RECT er{0, 0, 10, 10};
  DrawEdge(e.dc, &er, BDR_SUNKENOUTER, BF_DIAGONAL_ENDBOTTOMRIGHT);
  EXPECT_EQ(e.At(0, 0), Sys(COLOR_BTNHIGHLIGHT)) << "falls to the right: bottom-right colour";
  EXPECT_EQ(e.At(9, 9), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(e.At(9, 0), kRed);
}

// ---- DrawFrameControl -----------------------------------------------------------------------------

// Rows of a 16 x 16 part that hold glyph pixels of colour c, with the leftmost and rightmost column.
struct Span {
  int row, left, right;
};
std::vector<Span> Spans(const Surface& s, COLORREF c, int w = 16, int h = 16) {
  std::vector<Span> v;
  for (int y = 2; y < h - 2; ++y) {
    int l = -1, r = -1;
    for (int x = 2; x < w - 2; ++x)
      if (s.At(x, y) == c) {
        if (l < 0) l = x;
        r = x;
      }
    if (l >= 0) v.push_back({y, l, r});
  }
  return v;
}

TEST(DrawFrameControl, ScrollArrowsPointTheirWayAndShowTheirState) {
  Surface down(16, 16), up(16, 16), combo(16, 16);
  RECT r{0, 0, 16, 16};
  DrawFrameControl(down.dc, &r, DFC_SCROLL, DFCS_SCROLLDOWN);
  DrawFrameControl(up.dc, &r, DFC_SCROLL, DFCS_SCROLLUP);
  DrawFrameControl(combo.dc, &r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
  auto d = Spans(down, Sys(COLOR_BTNTEXT));
  ASSERT_EQ(d.size(), 4u) << "a 16-pixel part has a 7 x 4 arrow";
  EXPECT_EQ(d.front().right - d.front().left, 6);
  EXPECT_EQ(d.back().right - d.back().left, 0) << "the down arrow ends in its point";
  EXPECT_EQ(d.front().left + 3, d.back().left) << "centred";
  auto u = Spans(up, Sys(COLOR_BTNTEXT));
  ASSERT_EQ(u.size(), 4u);
  EXPECT_EQ(u.front().right, u.front().left) << "the up arrow starts with its point";
  EXPECT_EQ(combo.All(), down.All()) << "the combo box arrow is the down arrow";
  // The raised frame: light outside, dark shadow at the bottom right, face in the middle.
  EXPECT_EQ(down.At(0, 8), Sys(COLOR_3DLIGHT));
  EXPECT_EQ(down.At(15, 8), Sys(COLOR_3DDKSHADOW));
  EXPECT_EQ(down.At(3, 3), Sys(COLOR_BTNFACE));

  Surface pushed(16, 16);
  DrawFrameControl(pushed.dc, &r, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_PUSHED);
  auto p = Spans(pushed, Sys(COLOR_BTNTEXT));
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(p.front().row, d.front().row + 1) << "a pushed arrow moves one pixel down";
  EXPECT_EQ(p.front().left, d.front().left + 1) << "and one right";
  EXPECT_EQ(pushed.At(0, 8), Sys(COLOR_BTNSHADOW)) << "a pushed part has a flat shadow frame";
  EXPECT_EQ(pushed.At(15, 8), Sys(COLOR_BTNSHADOW));

  Surface inactive(16, 16);
  DrawFrameControl(inactive.dc, &r, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_INACTIVE);
  EXPECT_TRUE(Spans(inactive, Sys(COLOR_BTNTEXT)).empty());
  auto shadow = Spans(inactive, Sys(COLOR_BTNSHADOW));
  ASSERT_FALSE(shadow.empty());
  EXPECT_EQ(inactive.At(d.back().left + 1, d.back().row + 1), Sys(COLOR_BTNHIGHLIGHT)) << "embossed";

  Surface flat(16, 16);
  RECT fr = r;
  DrawFrameControl(flat.dc, &fr, DFC_SCROLL, DFCS_SCROLLUP | DFCS_FLAT | DFCS_ADJUSTRECT);
  EXPECT_EQ(flat.At(0, 8), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(flat.At(15, 8), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(flat.At(1, 8), Sys(COLOR_BTNFACE));
  EXPECT_EQ(fr.left, 1) << "a flat frame is one pixel";
  RECT ar = r;
  DrawFrameControl(flat.dc, &ar, DFC_SCROLL, DFCS_SCROLLUP | DFCS_ADJUSTRECT);
  EXPECT_EQ(ar.left, 2);
  EXPECT_EQ(ar.bottom, 14);

  // Left and right arrows are the same glyph turned.
  Surface left(16, 16), right(16, 16);
  DrawFrameControl(left.dc, &r, DFC_SCROLL, DFCS_SCROLLLEFT);
  DrawFrameControl(right.dc, &r, DFC_SCROLL, DFCS_SCROLLRIGHT);
  RECT li = left.Ink(Sys(COLOR_BTNFACE)), ri = right.Ink(Sys(COLOR_BTNFACE));
  EXPECT_EQ(li.left, ri.left);
  EXPECT_EQ(left.Count(Sys(COLOR_BTNTEXT)), 16);
  EXPECT_EQ(right.Count(Sys(COLOR_BTNTEXT)), 16);
  EXPECT_NE(left.All(), right.All());
}

TEST(DrawFrameControl, CheckBoxesShowCheckedGrayedPushedAndInactive) {
  RECT r{0, 0, 13, 13};
  const struct {
    UINT state;
    int middle;  // system colour of the box's inside
    int mark;    // -1: no mark
  } cases[] = {
      {DFCS_BUTTONCHECK, COLOR_WINDOW, -1},
      {DFCS_BUTTONCHECK | DFCS_CHECKED, COLOR_WINDOW, COLOR_WINDOWTEXT},
      {DFCS_BUTTON3STATE | DFCS_CHECKED, COLOR_BTNFACE, COLOR_BTNSHADOW},
      {DFCS_BUTTON3STATE, COLOR_WINDOW, -1},
      {DFCS_BUTTONCHECK | DFCS_PUSHED, COLOR_BTNFACE, -1},
      {DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE, COLOR_BTNFACE, COLOR_BTNSHADOW},
      {DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_FLAT, COLOR_WINDOW, COLOR_WINDOWTEXT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.state);
    Surface s(13, 13);
    DrawFrameControl(s.dc, &r, DFC_BUTTON, c.state);
    EXPECT_EQ(s.At(3, 3), Sys(c.middle)) << "inside, clear of the mark";
    // The mark's middle column is three pixels tall, inside the 9 x 9 box of a 13-pixel check box.
    int markPixels = c.mark < 0 ? 0 : s.Count(Sys(c.mark));
    if (c.mark < 0) {
      EXPECT_EQ(s.At(6, 7), Sys(c.middle));
    } else {
      EXPECT_EQ(s.At(6, 7), Sys(c.mark));
      EXPECT_GE(markPixels, 21);
    }
    if (c.state & DFCS_FLAT) {
      EXPECT_EQ(s.At(0, 6), Sys(COLOR_BTNSHADOW));
      EXPECT_EQ(s.At(1, 1), Sys(c.middle)) << "one-pixel frame";
    } else {
      EXPECT_EQ(s.At(0, 6), Sys(COLOR_BTNSHADOW)) << "sunken";
      EXPECT_EQ(s.At(1, 6), Sys(COLOR_3DDKSHADOW));
      EXPECT_EQ(s.At(12, 6), Sys(COLOR_BTNHIGHLIGHT));
    }
  }
  // A wide rectangle gets a square box at its left.
  Surface wide(30, 13);
  RECT wr{0, 0, 30, 13};
  DrawFrameControl(wide.dc, &wr, DFC_BUTTON, DFCS_BUTTONCHECK);
  EXPECT_EQ(wide.At(20, 6), kRed);

  // The system's check-box bitmap measures 13 x 13 glyphs, four across and three down.
  HBITMAP boxes = LoadBitmap(nullptr, MAKEINTRESOURCE(OBM_CHECKBOXES));
  ASSERT_NE(boxes, nullptr);
  BITMAP bm;
  GetObject(boxes, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth / 4, 13);
  EXPECT_EQ(bm.bmHeight / 3, 13);
  DeleteObject(boxes);
  EXPECT_EQ(LoadBitmap(nullptr, MAKEINTRESOURCE(1)), nullptr);
}

TEST(DrawFrameControl, PushButtonsRaiseSinkAndStayDown) {
  RECT r{0, 0, 20, 12};
  Surface up(20, 12), down(20, 12), checked(20, 12);
  DrawFrameControl(up.dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
  DrawFrameControl(down.dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
  DrawFrameControl(checked.dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_CHECKED);
  EXPECT_EQ(up.At(1, 5), Sys(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(up.At(18, 5), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(down.At(0, 5), Sys(COLOR_BTNSHADOW));
  EXPECT_EQ(down.At(10, 5), Sys(COLOR_BTNFACE));
  EXPECT_GT(checked.Count(Sys(COLOR_BTNHIGHLIGHT)), 40) << "a dithered middle";
  EXPECT_EQ(DrawFrameControl(up.dc, &r, 99, 0), FALSE);
}

// ---- mapping modes -----------------------------------------------------------------------------------

TEST(MapMode, AnisotropicMirrorAndScaleMapPointsRectanglesLinesAndClips) {
  Surface s(20, 20, kWhite);
  // Mirrored as a right-to-left grid does it: x runs from the right edge to the left.
  EXPECT_EQ(SetMapMode(s.dc, MM_ANISOTROPIC), MM_TEXT);
  SetWindowOrgEx(s.dc, 20, 0, nullptr);
  SetWindowExtEx(s.dc, -20, 20, nullptr);
  SetViewportExtEx(s.dc, 20, 20, nullptr);
  POINT pts[2] = {{0, 0}, {5, 7}};
  LPtoDP(s.dc, pts, 2);
  EXPECT_EQ(pts[0].x, 20);
  EXPECT_EQ(pts[1].x, 15);
  EXPECT_EQ(pts[1].y, 7);
  DPtoLP(s.dc, pts, 2);
  EXPECT_EQ(pts[1].x, 5);
  EXPECT_EQ(pts[0].x, 0);
  SIZE ext;
  GetWindowExtEx(s.dc, &ext);
  EXPECT_EQ(ext.cx, -20);

  RECT r{0, 0, 4, 4};
  FillRect(s.dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  // GetPixel takes logical coordinates too: logical 1..4 are device 19..16 (logical 0 is device
  // 20, just outside).
  EXPECT_EQ(s.At(1, 0), kBlack);
  EXPECT_EQ(s.At(4, 3), kBlack);
  EXPECT_EQ(s.At(5, 0), kWhite);
  EXPECT_EQ(s.At(0, 0), CLR_INVALID);
  EXPECT_EQ(RectVisible(s.dc, &r), TRUE);
  RECT outside{30, 0, 40, 5};
  EXPECT_EQ(RectVisible(s.dc, &outside), FALSE) << "logical 30..40 lies left of the bitmap";

  // A clip rectangle goes through the mapping as well: logical 10..20 are device 0..10.
  IntersectClipRect(s.dc, 10, 0, 20, 20);
  RECT all{0, 0, 20, 20};
  FillRect(s.dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  EXPECT_EQ(s.At(12, 5), RGB(128, 128, 128));
  EXPECT_EQ(s.At(5, 5), CLR_INVALID) << "outside the clip";
  RECT clipBox;
  GetClipBox(s.dc, &clipBox);
  EXPECT_EQ(clipBox.left, 10);
  EXPECT_EQ(clipBox.right, 20);
  SelectClipRgn(s.dc, nullptr);
  EXPECT_EQ(s.At(5, 5), kWhite) << "clipped away";

  // One-pixel lines are stepped in device pixels: logical 0..9 land on device 20..11.
  s.Fill(kWhite);
  SetMapMode(s.dc, MM_TEXT);
  SetWindowOrgEx(s.dc, 0, 0, nullptr);
  SetMapMode(s.dc, MM_ANISOTROPIC);
  SetWindowOrgEx(s.dc, 20, 0, nullptr);
  SetWindowExtEx(s.dc, -20, 20, nullptr);
  SetViewportExtEx(s.dc, 20, 20, nullptr);
  MoveToEx(s.dc, 1, 5, nullptr);
  LineTo(s.dc, 11, 5);
  SetMapMode(s.dc, MM_TEXT);
  SetWindowOrgEx(s.dc, 0, 0, nullptr);
  EXPECT_EQ(s.At(19, 5), kBlack);
  EXPECT_EQ(s.At(10, 5), kBlack);
  EXPECT_EQ(s.At(9, 5), kWhite) << "the end point stays out";

  // Scaling by two: a logical pixel is two device pixels square.
  Surface z(20, 20, kWhite);
  SetMapMode(z.dc, MM_ANISOTROPIC);
  SetWindowExtEx(z.dc, 1, 1, nullptr);
  SetViewportExtEx(z.dc, 2, 2, nullptr);
  RECT one{1, 1, 3, 2};
  FillRect(z.dc, &one, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetMapMode(z.dc, MM_TEXT);
  EXPECT_EQ(z.Ink(kWhite).left, 2);
  EXPECT_EQ(z.Ink(kWhite).right, 6);
  EXPECT_EQ(z.Ink(kWhite).top, 2);
  EXPECT_EQ(z.Ink(kWhite).bottom, 4);
}

TEST(MapMode, FixedModesIgnoreExtentsAndIsotropicKeepsUnitsSquare) {
  Surface s(10, 10);
  SIZE old;
  EXPECT_TRUE(SetWindowExtEx(s.dc, 5, 5, &old));
  POINT p{3, 4};
  LPtoDP(s.dc, &p, 1);
  EXPECT_EQ(p.x, 3) << "MM_TEXT takes no extents";
  SetMapMode(s.dc, MM_ISOTROPIC);
  SetWindowExtEx(s.dc, 100, 100, nullptr);
  SetViewportExtEx(s.dc, 200, -50, nullptr);
  SIZE vp;
  GetViewportExtEx(s.dc, &vp);
  EXPECT_EQ(vp.cx, 50) << "cut back to the other axis's scale";
  EXPECT_EQ(vp.cy, -50) << "its sign kept";
  EXPECT_FALSE(SetWindowExtEx(s.dc, 0, 10, nullptr)) << "a zero extent is refused";
  EXPECT_EQ(SetMapMode(s.dc, 99), 0);
}

// ---- pens -----------------------------------------------------------------------------------------

TEST(Pens, PolyPolylineDrawsSeparateLinesWithOneCall) {
  Surface s(20, 10, kWhite);
  POINT pts[] = {{0, 2}, {5, 2}, {10, 2}, {12, 7}, {19, 7}};
  DWORD counts[] = {3, 2};
  SelectObject(s.dc, GetStockObject(BLACK_PEN));
  ASSERT_TRUE(PolyPolyline(s.dc, pts, counts, 2));
  EXPECT_EQ(s.At(0, 2), kBlack);
  EXPECT_EQ(s.At(9, 2), kBlack);
  EXPECT_EQ(s.At(10, 2), kWhite) << "each polyline leaves its last point";
  EXPECT_EQ(s.At(12, 7), kBlack);
  EXPECT_EQ(s.At(11, 5), kWhite) << "the second line does not join the first";
  DWORD bad[] = {3, 1};
  EXPECT_FALSE(PolyPolyline(s.dc, pts, bad, 2));
}

TEST(Pens, GeometricPensHaveFlatOrSquareCapsAndMiterJoins) {
  LOGBRUSH lb{BS_SOLID, kBlack, 0};
  HPEN flat = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER, 6, &lb, 0, nullptr);
  HPEN square = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE | PS_JOIN_BEVEL, 6, &lb, 0, nullptr);
  HPEN round = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND, 8, &lb, 0, nullptr);
  HPEN miter = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER, 8, &lb, 0, nullptr);
  ASSERT_TRUE(flat && square && round && miter);
  EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_SOLID, 3, &lb, 0, nullptr), nullptr) << "cosmetic pens are one pixel";

  auto line = [&](HPEN pen) {
    auto s = std::make_unique<Surface>(40, 20, kWhite);
    SelectObject(s->dc, pen);
    MoveToEx(s->dc, 10, 10, nullptr);
    LineTo(s->dc, 30, 10);
    SelectObject(s->dc, GetStockObject(BLACK_PEN));
    return s;
  };
  auto f = line(flat), q = line(square);
  EXPECT_EQ(f->At(20, 8), kBlack);
  EXPECT_EQ(f->At(20, 12), kBlack);
  EXPECT_EQ(f->At(20, 14), kWhite) << "six pixels thick";
  EXPECT_EQ(f->At(8, 10), kWhite) << "a flat cap ends at the end point";
  EXPECT_EQ(f->At(32, 10), kWhite);
  EXPECT_EQ(q->At(8, 10), kBlack) << "a square cap reaches half the width beyond it";
  EXPECT_EQ(q->At(32, 10), kBlack);

  auto corner = [&](HPEN pen) {
    auto s = std::make_unique<Surface>(40, 40, kWhite);
    SelectObject(s->dc, pen);
    POINT pts[] = {{5, 10}, {25, 10}, {25, 30}};
    Polyline(s->dc, pts, 3);
    SelectObject(s->dc, GetStockObject(BLACK_PEN));
    return s;
  };
  auto m = corner(miter), r = corner(round);
  EXPECT_EQ(m->At(28, 7), kBlack) << "a mitred join fills its outer corner";
  EXPECT_EQ(r->At(28, 7), kWhite) << "a round one cuts it off";
  for (HPEN p : {flat, square, round, miter}) DeleteObject(p);
}

TEST(Pens, UserStylesDashAsGiven) {
  LOGBRUSH lb{BS_SOLID, kBlack, 0};
  const DWORD dashes[] = {2, 3};
  HPEN pen = ExtCreatePen(PS_COSMETIC | PS_USERSTYLE, 1, &lb, 2, dashes);
  ASSERT_NE(pen, nullptr);
  Surface s(20, 3, kWhite);
  SelectObject(s.dc, pen);
  MoveToEx(s.dc, 0, 1, nullptr);
  LineTo(s.dc, 20, 1);
  std::string seen;
  for (int x = 0; x < 10; ++x) seen += s.At(x, 1) == kBlack ? 'X' : '.';
  EXPECT_EQ(seen, "XX...XX...");
  const DWORD one[] = {1};
  HPEN alt = ExtCreatePen(PS_COSMETIC | PS_USERSTYLE, 1, &lb, 1, one);
  ASSERT_NE(alt, nullptr);
  SelectObject(s.dc, alt);
  MoveToEx(s.dc, 0, 2, nullptr);
  LineTo(s.dc, 20, 2);
  seen.clear();
  for (int x = 0; x < 6; ++x) seen += s.At(x, 2) == kBlack ? 'X' : '.';
  EXPECT_EQ(seen, "X.X.X.") << "an odd count repeats with dashes and gaps swapped";
  SelectObject(s.dc, GetStockObject(BLACK_PEN));
  const DWORD zeros[] = {0, 0};
  EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_USERSTYLE, 1, &lb, 2, zeros), nullptr);
  EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_USERSTYLE, 1, &lb, 0, nullptr), nullptr);
  EXPECT_EQ(ExtCreatePen(PS_COSMETIC | PS_SOLID, 1, &lb, 2, dashes), nullptr) << "lengths only with a user style";
  DeleteObject(pen);
  DeleteObject(alt);
}

TEST(Pens, DottedXorSizingLineTwiceLeavesNoTrace) {
  for (int mode : {TRANSPARENT, OPAQUE}) {
    Surface s(30, 30);
    HBRUSH stripes = CreateHatchBrush(HS_DIAGCROSS, kBlue);
    RECT all{0, 0, 30, 30};
    FillRect(s.dc, &all, stripes);
    DeleteObject(stripes);
    auto before = s.All();
    HPEN dotted = CreatePen(PS_DOT, 1, kWhite);
    HGDIOBJ old = SelectObject(s.dc, dotted);
    SetROP2(s.dc, R2_XORPEN);
    SetBkMode(s.dc, mode);
    for (int pass = 0; pass < 2; ++pass) {
      MoveToEx(s.dc, 12, 0, nullptr);
      LineTo(s.dc, 12, 30);
      if (pass == 0) {
        EXPECT_NE(s.All(), before) << "the line shows";
      }
    }
    EXPECT_EQ(s.All(), before) << "mode " << mode;
    SelectObject(s.dc, old);
    DeleteObject(dotted);
  }
}

// ---- clip regions, visibility, colours ---------------------------------------------------------------

TEST(Clip, PolygonRegionsFillByWindingOrAlternate) {
  // A five-pointed star drawn in one stroke: its centre is inside twice.
  POINT star[] = {{20, 2}, {31, 36}, {2, 14}, {38, 14}, {9, 36}};
  for (int mode : {WINDING, ALTERNATE}) {
    Surface s(40, 40, kWhite);
    HRGN rgn = CreatePolygonRgn(star, 5, mode);
    SelectClipRgn(s.dc, rgn);
    DeleteObject(rgn);
    RECT all{0, 0, 40, 40};
    FillRect(s.dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectClipRgn(s.dc, nullptr);
    EXPECT_EQ(s.At(20, 6), kBlack) << "a point of the star";
    EXPECT_EQ(s.At(2, 30), kWhite) << "outside";
    EXPECT_EQ(s.At(20, 20), mode == WINDING ? kBlack : kWhite) << "the centre";
    RECT centre{18, 18, 22, 22};
    HRGN again = CreatePolygonRgn(star, 5, mode);
    SelectClipRgn(s.dc, again);
    DeleteObject(again);
    EXPECT_EQ(RectVisible(s.dc, &centre), mode == WINDING ? TRUE : FALSE);
    RECT empty{20, 6, 20, 6};
    EXPECT_EQ(RectVisible(s.dc, &empty), FALSE) << "an empty rectangle shows nothing";
  }
}

TEST(Clip, NearestColourIsExactOnTrueColourAndBlackOrWhiteOnMonochrome) {
  Surface s(4, 4);
  EXPECT_EQ(GetNearestColor(s.dc, RGB(12, 34, 56)), RGB(12, 34, 56));
  HDC mono = CreateCompatibleDC(nullptr);
  HBITMAP bits = CreateBitmap(8, 8, 1, 1, nullptr);
  HGDIOBJ old = SelectObject(mono, bits);
  EXPECT_EQ(GetNearestColor(mono, RGB(200, 200, 200)), kWhite);
  EXPECT_EQ(GetNearestColor(mono, RGB(40, 60, 20)), kBlack);
  SelectObject(mono, old);
  DeleteObject(bits);
  DeleteDC(mono);
}

TEST_F(WinTest, ScrollWindowExMovesOnlyInsideItsClipRectangle) {
  HWND top = Top(0, 0, 120, 120);
  HWND pane = Child(top, 0, 0, 100, 100);
  rec().hooks[{pane, WM_PAINT}] = [](HWND h, UINT, WPARAM, LPARAM) -> LRESULT {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    for (int row = 0; row < 10; ++row) {
      RECT r{0, row * 10, 100, row * 10 + 10};
      HBRUSH b = CreateSolidBrush(RGB(row * 20, 0, 0));
      FillRect(dc, &r, b);
      DeleteObject(b);
    }
    EndPaint(h, &ps);
    return 0;
  };
  win::PumpMessages();
  // The grid's way: rows scroll, the footer (rows 8 and 9) stays.
  RECT scroll{0, 0, 100, 100}, clip{0, 0, 100, 80};
  RECT update;
  ValidateRect(pane, nullptr);
  ScrollWindowEx(pane, 0, -20, &scroll, &clip, nullptr, &update, 0);
  HDC dc = GetDC(pane);
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(40, 0, 0)) << "row 2 moved to the top";
  EXPECT_EQ(GetPixel(dc, 5, 85), RGB(160, 0, 0)) << "the footer row did not move";
  EXPECT_EQ(GetPixel(dc, 5, 95), RGB(180, 0, 0));
  ReleaseDC(pane, dc);
  EXPECT_EQ(update.top, 60) << "the uncovered strip ends at the clip";
  EXPECT_EQ(update.bottom, 80);
}

// ---- text -----------------------------------------------------------------------------------------

TEST(Text, MetricsFollowTheRequestedHeights) {
  Surface s(10, 10);
  for (int h : {12, 20, 31}) {
    HFONT em = CreateFont(-h, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
    HFONT cell = CreateFont(h, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
    TEXTMETRIC a, b;
    HGDIOBJ old = SelectObject(s.dc, em);
    GetTextMetrics(s.dc, &a);
    SelectObject(s.dc, cell);
    GetTextMetrics(s.dc, &b);
    SelectObject(s.dc, old);
    EXPECT_EQ(a.tmHeight - a.tmInternalLeading, h) << "a negative height is the em height";
    EXPECT_NEAR(b.tmHeight, h, 1) << "a positive height is the cell height";
    EXPECT_EQ(a.tmHeight, a.tmAscent + a.tmDescent);
    EXPECT_GE(a.tmExternalLeading, 0);
    EXPECT_GT(a.tmAveCharWidth, h / 4);
    EXPECT_LT(a.tmAveCharWidth, h);
    EXPECT_EQ(a.tmOverhang, 0) << "outline fonts report no overhang";
    DeleteObject(em);
    DeleteObject(cell);
  }
}

TEST(Text, DrawTextExMarginsTabsAndReadingOrder) {
  Surface s(200, 40, kWhite);
  HFONT font = CreateFont(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
  SelectObject(s.dc, font);
  SetBkMode(s.dc, TRANSPARENT);
  TEXTMETRIC tm;
  GetTextMetrics(s.dc, &tm);
  SIZE ab;
  GetTextExtentPoint32(s.dc, "ab", 2, &ab);

  // Margins: the measured rectangle holds them; drawing keeps the left one clear.
  DRAWTEXTPARAMS dtp;
  dtp.iLeftMargin = 10;
  dtp.iRightMargin = 7;
  RECT calc{0, 0, 200, 40};
  DrawTextEx(s.dc, const_cast<char*>("ab"), -1, &calc, DT_CALCRECT | DT_SINGLELINE, &dtp);
  EXPECT_EQ(calc.right, ab.cx + 17);
  RECT box{0, 0, 200, 40};
  DrawTextEx(s.dc, const_cast<char*>("ab"), -1, &box, DT_SINGLELINE, &dtp);
  RECT ink = s.Ink(kWhite);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 10 + ab.cx + 1);
  s.Fill(kWhite);
  DrawTextEx(s.dc, const_cast<char*>("ab"), -1, &box, DT_SINGLELINE | DT_RIGHT, &dtp);
  EXPECT_LE(s.Ink(kWhite).right, 200 - 7) << "right-aligned text ends at the right margin";
  EXPECT_EQ(dtp.uiLengthDrawn, 2u);

  // Tabs expand to stops of eight average widths, or of the count given with DT_TABSTOP.
  SIZE b;
  GetTextExtentPoint32(s.dc, "b", 1, &b);
  RECT t1{0, 0, 400, 40}, t2{0, 0, 400, 40}, t3{0, 0, 400, 40};
  DrawText(s.dc, "a\tb", -1, &t1, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
  EXPECT_EQ(t1.right, 8 * tm.tmAveCharWidth + b.cx);
  // DT_TABSTOP takes bits 8-15 for the count, so it cannot measure (DT_CALCRECT is one of them).
  s.Fill(kWhite);
  DrawText(s.dc, "\tb", -1, &t2, DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | (3 << 8));
  EXPECT_GE(s.Ink(kWhite).left, 3 * tm.tmAveCharWidth);
  EXPECT_LT(s.Ink(kWhite).left, 4 * tm.tmAveCharWidth);
  DRAWTEXTPARAMS four;
  four.iTabLength = 4;
  DrawTextEx(s.dc, const_cast<char*>("a\tb"), -1, &t3, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS, &four);
  EXPECT_EQ(t3.right, 4 * tm.tmAveCharWidth + b.cx);
  s.Fill(kWhite);
  RECT tabbed{0, 0, 200, 40};
  DrawText(s.dc, "\tb", -1, &tabbed, DT_SINGLELINE | DT_EXPANDTABS);
  EXPECT_GE(s.Ink(kWhite).left, 8 * tm.tmAveCharWidth) << "the run after a tab starts at the stop";

  // Right-to-left reading puts neutral trailing punctuation on the left.
  Surface rtl(200, 30, kWhite), ltr(200, 30, kWhite);
  for (Surface* x : {&rtl, &ltr}) {
    SelectObject(x->dc, font);
    SetBkMode(x->dc, TRANSPARENT);
  }
  RECT line{0, 0, 200, 30};
  DrawText(rtl.dc, "abc!", -1, &line, DT_SINGLELINE | DT_NOPREFIX | DT_RTLREADING);
  DrawText(ltr.dc, "!abc", -1, &line, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(rtl.Ink(kWhite).left, ltr.Ink(kWhite).left);
  EXPECT_EQ(rtl.Ink(kWhite).right, ltr.Ink(kWhite).right);
  // The first column with ink is the exclamation mark's stroke in both.
  EXPECT_EQ(rtl.At(ltr.Ink(kWhite).left, 10) == kWhite, ltr.At(ltr.Ink(kWhite).left, 10) == kWhite);

  // DT_NOPREFIX keeps the ampersand; without it, it becomes an underline.
  RECT np{0, 0, 200, 40}, pf{0, 0, 200, 40};
  DrawText(s.dc, "a&b", -1, &np, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  DrawText(s.dc, "a&b", -1, &pf, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_GT(np.right, pf.right);
  for (Surface* x : {&s, &rtl, &ltr}) SelectObject(x->dc, GetStockObject(DEFAULT_GUI_FONT));
  DeleteObject(font);
}

TEST(Text, EllipsisAndWordBreakStayInsideTheRectangle) {
  Surface s(120, 80, kWhite);
  SetBkMode(s.dc, TRANSPARENT);
  RECT box{10, 10, 70, 30};
  DrawText(s.dc, "A sentence much longer than the box", -1, &box, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  RECT ink = s.Ink(kWhite);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 70);
  RECT calc{0, 0, 60, 0};
  int h = DrawText(s.dc, "one two three four five", -1, &calc, DT_CALCRECT | DT_WORDBREAK);
  TEXTMETRIC tm;
  GetTextMetrics(s.dc, &tm);
  EXPECT_GE(h, 2 * tm.tmHeight) << "broken into several lines";
  EXPECT_LE(calc.right, 60);
}

TEST(Text, AWordTooLongForTheLineStandsAloneUnlessEditControlBreaksIt) {
  Surface s(10, 10);
  SIZE word;
  GetTextExtentPoint32(s.dc, "Extraordinarily", 15, &word);
  TEXTMETRIC tm;
  GetTextMetrics(s.dc, &tm);
  RECT calc{0, 0, 40, 0};
  int h = DrawText(s.dc, "an Extraordinarily big cat", -1, &calc, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(calc.right, word.cx) << "the measured rectangle grows to the long word";
  EXPECT_GE(h, 3 * tm.tmHeight) << "an / Extraordinarily / big cat";
  RECT edit{0, 0, 40, 0};
  DrawText(s.dc, "an Extraordinarily big cat", -1, &edit, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
  EXPECT_LE(edit.right, 40) << "an edit control cuts the word instead";
  RECT cjk{0, 0, 40, 0};
  DrawText(s.dc, "很长很长很长很长的中文", -1, &cjk, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_LE(cjk.right, 40) << "text without spaces breaks between its characters";
}

TEST(MapMode, AFocusRectangleInAMirroredDeviceContextFramesTheMappedRectangle) {
  Surface plain(20, 10, kWhite), mirrored(20, 10, kWhite);
  RECT device{12, 2, 18, 8};
  DrawFocusRect(plain.dc, &device);
  SetMapMode(mirrored.dc, MM_ANISOTROPIC);
  SetWindowOrgEx(mirrored.dc, 20, 0, nullptr);
  SetWindowExtEx(mirrored.dc, -20, 10, nullptr);
  SetViewportExtEx(mirrored.dc, 20, 10, nullptr);
  RECT logical{2, 2, 8, 8};  // device 12..18
  DrawFocusRect(mirrored.dc, &logical);
  SetMapMode(mirrored.dc, MM_TEXT);
  SetWindowOrgEx(mirrored.dc, 0, 0, nullptr);
  EXPECT_EQ(mirrored.All(), plain.All());
  EXPECT_NE(plain.Count(kBlack), 0);
}

TEST(MapMode, IconsArePlacedThroughTheMapping) {
  Surface pic(4, 4, kBlue);
  ICONINFO ii;
  ii.hbmColor = pic.bmp;
  HICON icon = CreateIconIndirect(&ii);
  ASSERT_NE(icon, nullptr);
  Surface s(20, 10, kWhite);
  SetViewportOrgEx(s.dc, 3, 1, nullptr);
  DrawIconEx(s.dc, 2, 2, icon, 0, 0, 0, nullptr, DI_NORMAL);
  SetViewportOrgEx(s.dc, 0, 0, nullptr);
  EXPECT_EQ(s.Ink(kWhite).left, 5);
  EXPECT_EQ(s.Ink(kWhite).top, 3);
  // Mirrored: the icon ends where its logical corner lands, and keeps its own orientation.
  s.Fill(kWhite);
  SetMapMode(s.dc, MM_ANISOTROPIC);
  SetWindowOrgEx(s.dc, 20, 0, nullptr);
  SetWindowExtEx(s.dc, -20, 10, nullptr);
  SetViewportExtEx(s.dc, 20, 10, nullptr);
  DrawIconEx(s.dc, 2, 2, icon, 0, 0, 0, nullptr, DI_NORMAL);
  SetMapMode(s.dc, MM_TEXT);
  SetWindowOrgEx(s.dc, 0, 0, nullptr);
  EXPECT_EQ(s.Ink(kWhite).left, 14);
  EXPECT_EQ(s.Ink(kWhite).right, 18);
  DestroyIcon(icon);
}

TEST(MapMode, BlitsIntoAMirroredDeviceContextTurnThePictureRound) {
  Surface src(10, 4, kRed);
  RECT right{5, 0, 10, 4};
  FillRect(src.dc, &right, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  Surface dst(10, 4, kWhite);
  SetMapMode(dst.dc, MM_ANISOTROPIC);
  SetWindowOrgEx(dst.dc, 10, 0, nullptr);
  SetWindowExtEx(dst.dc, -10, 4, nullptr);
  SetViewportExtEx(dst.dc, 10, 4, nullptr);
  BitBlt(dst.dc, 0, 0, 10, 4, src.dc, 0, 0, SRCCOPY);
  SetMapMode(dst.dc, MM_TEXT);
  SetWindowOrgEx(dst.dc, 0, 0, nullptr);
  EXPECT_EQ(dst.At(1, 1), kBlack) << "the source's right half lands on the left";
  EXPECT_EQ(dst.At(8, 1), kRed);
}

TEST(Text, RotatedTextRunsDownOrUpAndClipsToItsRectangle) {
  LOGFONT lf;
  lf.lfHeight = -14;
  lf.lfEscapement = lf.lfOrientation = 2700;  // downwards
  std::strcpy(lf.lfFaceName, "DejaVu Sans");
  HFONT down = CreateFontIndirect(&lf);
  Surface s(60, 90, kWhite);
  SelectObject(s.dc, down);
  SetBkMode(s.dc, TRANSPARENT);
  TextOut(s.dc, 30, 10, "HHHH", 4);
  RECT ink = s.Ink(kWhite);
  EXPECT_GE(ink.top, 10) << "a run turned clockwise goes down the page from its reference point";
  EXPECT_LE(ink.right, 31);
  EXPECT_GT(ink.bottom - ink.top, 2 * (ink.right - ink.left));
  LOGFONT back;
  GetObject(down, sizeof back, &back);
  EXPECT_EQ(back.lfEscapement, 2700);
  EXPECT_EQ(back.lfOrientation, 2700);
  SIZE ext;
  GetTextExtentPoint32(s.dc, "HHHH", 4, &ext);
  EXPECT_GT(ext.cx, ext.cy) << "extents are measured along the baseline";

  // Upwards and clipped to a strip, as a grid writes a vertical title.
  lf.lfEscapement = lf.lfOrientation = 900;
  HFONT up = CreateFontIndirect(&lf);
  SelectObject(s.dc, up);
  s.Fill(kWhite);
  RECT strip{10, 30, 40, 60};
  ExtTextOut(s.dc, 15, 80, ETO_CLIPPED, &strip, "HHHHHHHHHH", 10, nullptr);
  ink = s.Ink(kWhite);
  EXPECT_GE(ink.top, 30);
  EXPECT_LE(ink.bottom, 60);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 40);
  EXPECT_GT(ink.bottom - ink.top, 20) << "it fills the strip's height";
  SelectObject(s.dc, GetStockObject(DEFAULT_GUI_FONT));
  DeleteObject(down);
  DeleteObject(up);
}

TEST(Text, OutlineMetricsGiveTheItalicSlope) {
  Surface s(10, 10);
  HFONT upright = CreateFont(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS, 0, 0, 0, "DejaVu Sans");
  HFONT italic = CreateFont(-16, 0, 0, 0, FW_NORMAL, 1, 0, 0, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS, 0, 0, 0, "DejaVu Sans");
  OUTLINETEXTMETRIC a, b;
  SelectObject(s.dc, upright);
  EXPECT_EQ(GetOutlineTextMetrics(s.dc, 0, nullptr), sizeof(OUTLINETEXTMETRIC));
  ASSERT_EQ(GetOutlineTextMetrics(s.dc, sizeof a, &a), sizeof a);
  SelectObject(s.dc, italic);
  ASSERT_EQ(GetOutlineTextMetrics(s.dc, sizeof b, &b), sizeof b);
  SelectObject(s.dc, GetStockObject(DEFAULT_GUI_FONT));
  EXPECT_EQ(a.otmsCharSlopeRun, 0);
  EXPECT_EQ(a.otmItalicAngle, 0);
  EXPECT_GT(b.otmsCharSlopeRise, 0);
  EXPECT_GT(b.otmsCharSlopeRun * 10, b.otmsCharSlopeRise) << "slanted by more than a tenth";
  EXPECT_LT(b.otmsCharSlopeRun * 2, b.otmsCharSlopeRise);
  EXPECT_LT(b.otmItalicAngle, -50);
  EXPECT_GT(b.otmEMSquare, 0u);
  EXPECT_TRUE(a.otmTextMetrics.tmPitchAndFamily & TMPF_TRUETYPE);
  EXPECT_TRUE(a.otmTextMetrics.tmPitchAndFamily & TMPF_FIXED_PITCH) << "set for a variable pitch";
  EXPECT_EQ(b.otmTextMetrics.tmItalic, 1);
  DeleteObject(upright);
  DeleteObject(italic);
}

TEST(Text, ExtTextOutClipsToItsRectangleAndFillsItWhenOpaque) {
  Surface s(100, 40, kWhite);
  SetBkColor(s.dc, kBlue);
  RECT clip{10, 5, 30, 25};
  ExtTextOut(s.dc, 5, 5, ETO_CLIPPED, &clip, "WWWWWWWW", 8, nullptr);
  RECT ink = s.Ink(kWhite);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 30);
  EXPECT_GE(ink.top, 5);
  EXPECT_LE(ink.bottom, 25);
  s.Fill(kWhite);
  ExtTextOut(s.dc, 12, 8, ETO_OPAQUE | ETO_CLIPPED, &clip, "", 0, nullptr);
  EXPECT_EQ(s.At(10, 5), kBlue);
  EXPECT_EQ(s.At(29, 24), kBlue);
  EXPECT_EQ(s.At(30, 24), kWhite);
}

}  // namespace
