#pragma once
// The two pictures of the main window (portrait and hair) placed in y-up picture space: centre, half
// sizes, rotation and mirror flags, with the corners, outline and eight grab handles derived from them.

#include "platform/gdiplus/gdiplus.h"

// The program draws through the GDI+-like flat functions everywhere.
using namespace Gdiplus;
#include "platform/rtl/system.h"

struct TPlacedImage {
  GpBitmap* Bitmap = nullptr;  // owned; nil while the picture is absent
  // 0 upper-left, 1 upper-right, 2 lower-left, 3 lower-right of the picture as drawn; slots 0..2 are
  // the destination parallelogram.
  GpPointF Corners[4] = {};
  Single CenterX = 0, CenterY = 0;
  Single HalfWidth = 0, HalfHeight = 0;
  Single Aspect = 1;  // HalfWidth / HalfHeight at the last reset
  Single Angle = 0;   // radians, counter-clockwise
  Single SinAngle = 0, CosAngle = 1;
  GpPath* Outline = nullptr;  // polygon through slots 0, 1, 3, 2
  Single DiagAngle = 0;
  Byte MirrorH = 0, MirrorV = 0;
};

// The two records; their outlines are created by the main unit's start-up.
extern TPlacedImage ModelPicture;
extern TPlacedImage HairPicture;

// Handle state shared by both records: filled by whichever record UpdatePlacement saw last.
extern GpPointF Handles[8];
extern GpPath* HandlesPath;

// Resize drag context, captured by BeginResize.
extern Integer DragHandle;
extern GpPointF DragAnchor1, DragAnchor2, DragThird;
extern Single DragStartAngle;
extern Byte DragStartMirrorH, DragStartMirrorV;
extern bool DragStartSide1, DragStartSide2;
extern Single DragEdgeCos, DragEdgeSin;

// Geometry tables by handle index.
extern const int HandleAnchor1[8];
extern const int HandleAnchor2[8];
extern const int HandleThird[4];
// True where a portrait resize by this handle measures the half width (else the half height).
extern const bool PortraitSetsWidth[8];
// True where a hair corner resize sets the half width from the first distance.
extern const bool HairCornerSetsWidth[4];
enum TMirrorFlag : int { mfNone = -1, mfMirrorH = 0, mfMirrorV = 1 };
extern const TMirrorFlag ToggleOnSide1[4];
extern const TMirrorFlag ToggleOnSide2[4];
extern const int CornerSigns[4][4];
extern const int SlotPermutation[16];
extern const int RotationCase[32];

Single PointDistance(const GpPointF& A, const GpPointF& B);
Single AngleOfVector(Single X1, Single Y1, Single X2, Single Y2);
Single DistanceToLine(const GpPointF& P, const GpPointF& L1, const GpPointF& L2);
bool SideOfLine(const GpPointF& P, const GpPointF& L1, const GpPointF& L2);
Single MinOfSingles(std::initializer_list<Single> Values);
Single MaxOfSingles(std::initializer_list<Single> Values);

void UpdateSinCos(TPlacedImage& P);
void UpdateDiagonalAngle(TPlacedImage& P);
void ResetPlacement(TPlacedImage& P);
void UpdatePlacement(TPlacedImage& P);
void ComputeHandles(const GpPointF (&Corners)[4]);
int HitHandle(const GpPointF& p);
int HitRotateZone(const GpPointF& p, GpPath* Outline);
void BeginResize(TPlacedImage& P);
bool PointInPath(GpPath* Path, const GpPointF& p);

// Bitmap size in pixels; 0 x 0 for an absent or unreadable picture.
void BitmapSize(GpBitmap* Bitmap, UINT& Width, UINT& Height);
