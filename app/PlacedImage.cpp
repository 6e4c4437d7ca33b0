#include "app/PlacedImage.h"

#include <cmath>

TPlacedImage ModelPicture;
TPlacedImage HairPicture;

GpPointF Handles[8];
GpPath* HandlesPath = nullptr;

Integer DragHandle = -1;
GpPointF DragAnchor1, DragAnchor2, DragThird;
Single DragStartAngle = 0;
Byte DragStartMirrorH = 0, DragStartMirrorV = 0;
bool DragStartSide1 = false, DragStartSide2 = false;
Single DragEdgeCos = 0, DragEdgeSin = 0;

const int HandleAnchor1[8] = {3, 2, 1, 0, 2, 1, 0, 0};
const int HandleAnchor2[8] = {2, 0, 3, 2, 3, 3, 2, 1};
const int HandleThird[4] = {1, 3, 0, 1};
const bool PortraitSetsWidth[8] = {false, true, true, true, false, true, true, false};
const bool HairCornerSetsWidth[4] = {false, true, true, true};
const TMirrorFlag ToggleOnSide1[4] = {mfMirrorV, mfMirrorH, mfMirrorH, mfMirrorH};
const TMirrorFlag ToggleOnSide2[4] = {mfMirrorH, mfMirrorV, mfMirrorV, mfMirrorV};
const int CornerSigns[4][4] = {{-1, -1, 1, -1}, {1, -1, 1, 1}, {-1, 1, -1, -1}, {1, 1, -1, 1}};
// Index: corner + 8 * MirrorH + 4 * MirrorV.
const int SlotPermutation[16] = {0, 1, 2, 3, 2, 3, 0, 1, 1, 0, 3, 2, 3, 2, 1, 0};
// Index: handle + 16 * MirrorH + 8 * MirrorV.
const int RotationCase[32] = {0, 1, 2, 3, 4, 5, 6, 7, 2, 3, 0, 1, 7, 5, 6, 4,
                              1, 0, 3, 2, 4, 6, 5, 7, 3, 2, 1, 0, 7, 6, 5, 4};

Single PointDistance(const GpPointF& A, const GpPointF& B) {
  const Single dx = A.X - B.X, dy = A.Y - B.Y;
  return std::sqrt(dx * dx + dy * dy);
}

Single AngleOfVector(Single X1, Single Y1, Single X2, Single Y2) {
  const double dx = double(X2) - X1, dy = double(Y2) - Y1;
  if (std::fabs(dx) <= 1E-16) {
    if (std::fabs(dy) <= 1E-16) return 0;
    return Y2 > Y1 ? M_PI / 2 : 3 * M_PI / 2;
  }
  const double a = std::atan(dy / dx);
  if (X2 < X1) return Single(a + M_PI);
  if (a < 0) return Single(a + 2 * M_PI);
  return Single(a);
}

Single DistanceToLine(const GpPointF& P, const GpPointF& L1, const GpPointF& L2) {
  if (std::fabs(L2.X - L1.X) <= 1E-16) return std::fabs(P.X - L2.X);
  const Single m = (L2.Y - L1.Y) / (L2.X - L1.X);
  return std::fabs(P.Y - L2.Y - (P.X - L2.X) * m) / std::sqrt(m * m + 1);
}

bool SideOfLine(const GpPointF& P, const GpPointF& L1, const GpPointF& L2) {
  return (L1.X - L2.X) * (P.Y - L2.Y) - (L1.Y - L2.Y) * (P.X - L2.X) >= 0;
}

Single MinOfSingles(std::initializer_list<Single> Values) {
  Single r = *Values.begin();
  for (Single v : Values)
    if (v < r) r = v;
  return r;
}

Single MaxOfSingles(std::initializer_list<Single> Values) {
  Single r = *Values.begin();
  for (Single v : Values)
    if (v > r) r = v;
  return r;
}

void UpdateSinCos(TPlacedImage& P) {
  P.SinAngle = std::sin(P.Angle);
  P.CosAngle = std::cos(P.Angle);
}

void UpdateDiagonalAngle(TPlacedImage& P) { P.DiagAngle = AngleOfVector(0, 0, P.HalfWidth, P.HalfHeight); }

void BitmapSize(GpBitmap* Bitmap, UINT& Width, UINT& Height) {
  Width = Height = 0;
  if (!Bitmap) return;
  GdipGetImageWidth(Bitmap, &Width);
  GdipGetImageHeight(Bitmap, &Height);
}

void ResetPlacement(TPlacedImage& P) {
  UINT w, h;
  BitmapSize(P.Bitmap, w, h);
  P.HalfWidth = Single(w) / 2;
  P.HalfHeight = Single(h) / 2;
  // An empty picture has no proportions; keep 1 so that later resizes never produce NaN.
  P.Aspect = P.HalfHeight != 0 ? P.HalfWidth / P.HalfHeight : 1;
  P.Angle = 0;
  P.CosAngle = 1;
  P.SinAngle = 0;
  P.MirrorH = 0;
  P.MirrorV = 0;
  UpdateDiagonalAngle(P);
}

void ComputeHandles(const GpPointF (&Corners)[4]) {
  for (int i = 0; i < 4; ++i) Handles[i] = Corners[i];
  auto mid = [&](int a, int b) { return GpPointF{(Corners[a].X + Corners[b].X) / 2, (Corners[a].Y + Corners[b].Y) / 2}; };
  Handles[4] = mid(0, 1);
  Handles[5] = mid(0, 2);
  Handles[6] = mid(1, 3);
  Handles[7] = mid(2, 3);
}

void UpdatePlacement(TPlacedImage& P) {
  for (int i = 0; i < 4; ++i) {
    const int* s = CornerSigns[i];
    GpPointF pt;
    pt.X = s[0] * P.HalfWidth * P.CosAngle + P.CenterX + s[1] * P.HalfHeight * P.SinAngle;
    pt.Y = s[2] * P.HalfHeight * P.CosAngle + P.CenterY + s[3] * P.HalfWidth * P.SinAngle;
    P.Corners[SlotPermutation[i + 8 * P.MirrorH + 4 * P.MirrorV]] = pt;
  }
  if (P.Outline) {
    GdipResetPath(P.Outline);
    const GpPointF poly[4] = {P.Corners[0], P.Corners[1], P.Corners[3], P.Corners[2]};
    GdipAddPathPolygon(P.Outline, poly, 4);
  }
  ComputeHandles(P.Corners);
  if (HandlesPath) {
    GdipResetPath(HandlesPath);
    for (const GpPointF& h : Handles) GdipAddPathEllipse(HandlesPath, h.X - 4, h.Y - 4, 8, 8);
  }
}

bool PointInPath(GpPath* Path, const GpPointF& p) {
  BOOL inside = FALSE;
  if (!Path) return false;
  GdipIsVisiblePathPoint(Path, p.X, p.Y, nullptr, &inside);
  return inside != FALSE;
}

int HitHandle(const GpPointF& p) {
  for (int h = 0; h < 8; ++h)
    if (PointDistance(Handles[h], p) <= 4) return h;
  return -1;
}

int HitRotateZone(const GpPointF& p, GpPath* Outline) {
  for (int h = 0; h < 8; ++h)
    if (PointDistance(Handles[h], p) <= 8 && !PointInPath(Outline, p)) return h;
  return -1;
}

void BeginResize(TPlacedImage& P) {
  const int h = DragHandle;
  if (h < 0 || h > 7) return;
  DragAnchor1 = Handles[HandleAnchor1[h]];
  DragAnchor2 = Handles[HandleAnchor2[h]];
  DragStartSide1 = SideOfLine(Handles[h], DragAnchor1, DragAnchor2);
  DragStartAngle = P.Angle;
  if (&P != &HairPicture) return;
  DragStartMirrorH = P.MirrorH;
  DragStartMirrorV = P.MirrorV;
  if (h > 3) {
    DragThird = GpPointF{(DragAnchor1.X + DragAnchor2.X) / 2, (DragAnchor1.Y + DragAnchor2.Y) / 2};
    const Single theta = AngleOfVector(DragAnchor1.X, DragAnchor1.Y, DragAnchor2.X, DragAnchor2.Y);
    DragEdgeCos = std::cos(theta);
    DragEdgeSin = std::sin(theta);
  } else {
    DragThird = Handles[HandleThird[h]];
    DragStartSide2 = SideOfLine(Handles[h], DragAnchor1, DragThird);
  }
}
