#pragma once
// GDI+-like imaging for the application: bitmaps read from files or made from GDI bitmaps, per-pixel
// ARGB access, graphics on a device context with a world transform, image drawing into rectangles and
// three-point parallelograms with a 5x5 colour matrix, paths with hit tests, pens, solid brushes, fonts
// and anti-aliased text. The flat functions keep their usual names; every one returns a GpStatus and
// never throws. No Qt type appears here.
//
// Everything lives in namespace Gdiplus; calls made with Gdiplus objects find the functions by
// argument-dependent lookup, or code writes `using namespace Gdiplus;`.
//
// Failure model: a bitmap made from a missing or unreadable file is still a bitmap object (the call
// returns the failure status and the object keeps it); its width and height read 0 and drawing it draws
// nothing. Passing a null object where one is required gives InvalidParameter and changes nothing.
#include <cstdint>

#include "platform/win/windows.h"

namespace Gdiplus {

using REAL = float;
using ARGB = std::uint32_t;  // 0xAARRGGBB, not premultiplied
using PixelFormat = int;

enum GpStatus {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
};
using Status = GpStatus;

enum GpUnit {
  UnitWorld = 0,
  UnitDisplay = 1,
  UnitPixel = 2,
  UnitPoint = 3,
  UnitInch = 4,
  UnitDocument = 5,
  UnitMillimeter = 6,
};

enum SmoothingMode {
  SmoothingModeInvalid = -1,
  SmoothingModeDefault = 0,
  SmoothingModeHighSpeed = 1,
  SmoothingModeHighQuality = 2,
  SmoothingModeNone = 3,
  SmoothingModeAntiAlias = 4,
  SmoothingModeAntiAlias8x8 = 5,
};

enum TextRenderingHint {
  TextRenderingHintSystemDefault = 0,
  TextRenderingHintSingleBitPerPixelGridFit = 1,
  TextRenderingHintSingleBitPerPixel = 2,
  TextRenderingHintAntiAliasGridFit = 3,
  TextRenderingHintAntiAlias = 4,
  TextRenderingHintClearTypeGridFit = 5,
};

enum FillMode { FillModeAlternate = 0, FillModeWinding = 1 };

enum MatrixOrder { MatrixOrderPrepend = 0, MatrixOrderAppend = 1 };

enum ColorAdjustType {
  ColorAdjustTypeDefault = 0,
  ColorAdjustTypeBitmap = 1,
  ColorAdjustTypeBrush = 2,
  ColorAdjustTypePen = 3,
  ColorAdjustTypeText = 4,
  ColorAdjustTypeCount = 5,
  ColorAdjustTypeAny = 6,
};

enum ColorMatrixFlags { ColorMatrixFlagsDefault = 0, ColorMatrixFlagsSkipGrays = 1, ColorMatrixFlagsAltGray = 2 };

enum FontStyle {
  FontStyleRegular = 0,
  FontStyleBold = 1,
  FontStyleItalic = 2,
  FontStyleBoldItalic = 3,
  FontStyleUnderline = 4,
  FontStyleStrikeout = 8,
};

// Pixel formats: index | bits per pixel << 8 | flags, with the usual values.
constexpr PixelFormat PixelFormatIndexed = 0x00010000;
constexpr PixelFormat PixelFormatGDI = 0x00020000;
constexpr PixelFormat PixelFormatAlpha = 0x00040000;
constexpr PixelFormat PixelFormatPAlpha = 0x00080000;
constexpr PixelFormat PixelFormatCanonical = 0x00200000;
constexpr PixelFormat PixelFormatDontCare = 0;
constexpr PixelFormat PixelFormat24bppRGB = 8 | (24 << 8) | PixelFormatGDI;
constexpr PixelFormat PixelFormat32bppRGB = 9 | (32 << 8) | PixelFormatGDI;
constexpr PixelFormat PixelFormat32bppARGB = 10 | (32 << 8) | PixelFormatAlpha | PixelFormatGDI | PixelFormatCanonical;
constexpr PixelFormat PixelFormat32bppPARGB = 11 | (32 << 8) | PixelFormatAlpha | PixelFormatPAlpha | PixelFormatGDI;

struct GpPointF {
  REAL X = 0;
  REAL Y = 0;
};
struct GpPoint {
  INT X = 0;
  INT Y = 0;
};
struct GpRectF {
  REAL X = 0;
  REAL Y = 0;
  REAL Width = 0;
  REAL Height = 0;
};
struct GpRect {
  INT X = 0;
  INT Y = 0;
  INT Width = 0;
  INT Height = 0;
};
// No short aliases (PointF, Rect...): code that uses both namespaces would find them ambiguous with the
// class library's Rect() and Point().

// Row-vector convention: [r g b a 1] x m, channels scaled to 0..1; m[3][3] scales alpha and row 4
// translates.
struct ColorMatrix {
  REAL m[5][5] = {};
};

struct GpGuid {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::uint8_t Data4[8] = {};
  bool operator==(const GpGuid&) const = default;
};
using CLSID = GpGuid;

// One entry of the encoder list. Strings are UTF-16 and live as long as the program.
struct ImageCodecInfo {
  CLSID Clsid;
  GpGuid FormatID;
  const char16_t* CodecName = nullptr;
  const char16_t* DllName = nullptr;
  const char16_t* FormatDescription = nullptr;
  const char16_t* FilenameExtension = nullptr;
  const char16_t* MimeType = nullptr;
  DWORD Flags = 0;
  DWORD Version = 0;
  DWORD SigCount = 0;
  DWORD SigSize = 0;
  const BYTE* SigPattern = nullptr;
  const BYTE* SigMask = nullptr;
};

// Encoder parameters are accepted for the signature's sake; none is interpreted.
struct EncoderParameters {
  UINT Count = 0;
};

struct GdiplusStartupInput {
  UINT GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};
struct GdiplusStartupOutput {
  void* NotificationHook = nullptr;
  void* NotificationUnhook = nullptr;
};

using DrawImageAbort = BOOL (*)(void* data);

enum ImageLockMode { ImageLockModeRead = 1, ImageLockModeWrite = 2, ImageLockModeUserInputBuf = 4 };

// What GdipBitmapLockBits hands out: rows of 0xAARRGGBB pixels (not premultiplied), Stride bytes apart.
struct BitmapData {
  UINT Width = 0;
  UINT Height = 0;
  INT Stride = 0;
  Gdiplus::PixelFormat PixelFormat = 0;
  void* Scan0 = nullptr;
  ULONG_PTR Reserved = 0;
};

// Opaque objects. Images and brushes form small hierarchies so that a bitmap passes where an image is
// asked for and a solid fill where a brush is.
class GpImage {
 public:
  virtual ~GpImage() = default;
  GpImage(const GpImage&) = delete;
  GpImage& operator=(const GpImage&) = delete;

 protected:
  GpImage() = default;
};
class GpBitmap : public GpImage {
 protected:
  GpBitmap() = default;
};
class GpBrush {
 public:
  virtual ~GpBrush() = default;
  GpBrush(const GpBrush&) = delete;
  GpBrush& operator=(const GpBrush&) = delete;

 protected:
  GpBrush() = default;
};
class GpSolidFill : public GpBrush {
 protected:
  GpSolidFill() = default;
};
struct GpGraphics;
struct GpMatrix;
struct GpPath;
struct GpPen;
struct GpImageAttributes;
struct GpFontFamily;
struct GpFont;
struct GpFontCollection;
struct GpStringFormat;

// Start and end. Version 1 only; the token is handed back to GdiplusShutdown.
GpStatus GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);

// Bitmaps. File names are UTF-16 and are turned into UTF-8 paths; the format is recognised by content
// (PNG, JPEG, BMP, GIF).
GpStatus GdipCreateBitmapFromFile(const char16_t* filename, GpBitmap** bitmap);
// Our own addition: builds now the copy that drawing the bitmap at `scale` of its size will need
// (the premultiplied pixels, or below half size the reduced ones), so that a thread which owns the
// bitmap can pay for them instead of the first paint. Drawing gives the same pixels either way.
GpStatus GdipPrepareBitmapForDrawing(GpBitmap* bitmap, REAL scale);
// A copy of a GDI bitmap's pixels; the result is opaque (the GDI alpha byte is not trusted). The
// palette is not needed: palette bitmaps carry their colours.
GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP hbm, HPALETTE hpal, GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0,
                                   GpBitmap** bitmap);
// A 32-bit DIB section with the picture laid over `background` (0: premultiplied alpha kept).
GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* hbmReturn, ARGB background);
// The rectangle must lie inside the bitmap; format 0 keeps the source format.
GpStatus GdipCloneBitmapAreaI(INT x, INT y, INT width, INT height, PixelFormat format, GpBitmap* src,
                              GpBitmap** dst);
GpStatus GdipCloneImage(GpImage* image, GpImage** clone);
GpStatus GdipGetImageWidth(GpImage* image, UINT* width);
GpStatus GdipGetImageHeight(GpImage* image, UINT* height);
GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format);
GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, INT x, INT y, ARGB* color);
GpStatus GdipBitmapSetPixel(GpBitmap* bitmap, INT x, INT y, ARGB color);
// Direct access to a rectangle of pixels (null rect: the whole bitmap) in PixelFormat32bppARGB, the
// only format offered. Unlock after writing so that drawing sees the new pixels. One lock at a time.
GpStatus GdipBitmapLockBits(GpBitmap* bitmap, const GpRect* rect, UINT flags, PixelFormat format,
                            BitmapData* lockedData);
GpStatus GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* lockedData);
// Writes with the encoder named by its class identifier; a file that cannot be written gives
// Win32Error, an empty image InvalidParameter.
GpStatus GdipSaveImageToFile(GpImage* image, const char16_t* filename, const CLSID* clsidEncoder,
                             const EncoderParameters* params);
// The encoder list: BMP ("image/bmp"), JPEG ("image/jpeg"), PNG ("image/png"). `size` is the byte
// count of the array the caller passes to GdipGetImageEncoders.
GpStatus GdipGetImageEncodersSize(UINT* numEncoders, UINT* size);
GpStatus GdipGetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders);
GpStatus GdipDisposeImage(GpImage* image);

// Graphics on what a device context draws into (window back buffer or selected bitmap), honouring the
// DC's origins and clip.
GpStatus GdipCreateFromHDC(HDC hdc, GpGraphics** graphics);
// Graphics drawing straight into a bitmap's pixels.
GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics);
GpStatus GdipDeleteGraphics(GpGraphics* graphics);
GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color);
GpStatus GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode);
GpStatus GdipGetSmoothingMode(GpGraphics* graphics, SmoothingMode* mode);
GpStatus GdipSetTextRenderingHint(GpGraphics* graphics, TextRenderingHint hint);
GpStatus GdipSetWorldTransform(GpGraphics* graphics, GpMatrix* matrix);
GpStatus GdipGetWorldTransform(GpGraphics* graphics, GpMatrix* matrix);
GpStatus GdipResetWorldTransform(GpGraphics* graphics);
GpStatus GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height);
GpStatus GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipDrawImageI(GpGraphics* graphics, GpImage* image, INT x, INT y);
// Points: upper-left, upper-right and lower-left corners of the destination parallelogram.
GpStatus GdipDrawImagePoints(GpGraphics* graphics, GpImage* image, const GpPointF* points, INT count);
// The source rectangle is in pixels (srcUnit UnitPixel); attributes may be null.
GpStatus GdipDrawImagePointsRect(GpGraphics* graphics, GpImage* image, const GpPointF* points, INT count,
                                 REAL srcx, REAL srcy, REAL srcwidth, REAL srcheight, GpUnit srcUnit,
                                 const GpImageAttributes* attributes, DrawImageAbort callback,
                                 void* callbackData);
GpStatus GdipDrawImageRectRectI(GpGraphics* graphics, GpImage* image, INT dstx, INT dsty, INT dstwidth,
                                INT dstheight, INT srcx, INT srcy, INT srcwidth, INT srcheight, GpUnit srcUnit,
                                const GpImageAttributes* attributes, DrawImageAbort callback,
                                void* callbackData);
GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty, REAL dstwidth,
                               REAL dstheight, REAL srcx, REAL srcy, REAL srcwidth, REAL srcheight,
                               GpUnit srcUnit, const GpImageAttributes* attributes, DrawImageAbort callback,
                               void* callbackData);
GpStatus GdipDrawLine(GpGraphics* graphics, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2);
GpStatus GdipDrawLineI(GpGraphics* graphics, GpPen* pen, INT x1, INT y1, INT x2, INT y2);
GpStatus GdipDrawRectangle(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path);
GpStatus GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path);
// Length -1: up to the terminating zero. A layout rectangle of zero size places the text's upper-left
// corner at its origin without wrapping or clipping. No string format is needed (null).
GpStatus GdipDrawString(GpGraphics* graphics, const char16_t* string, INT length, const GpFont* font,
                        const GpRectF* layoutRect, const GpStringFormat* format, const GpBrush* brush);

// Matrices: m11 m12 m21 m22 dx dy, points as row vectors.
GpStatus GdipCreateMatrix(GpMatrix** matrix);
GpStatus GdipCreateMatrix2(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy, GpMatrix** matrix);
GpStatus GdipSetMatrixElements(GpMatrix* matrix, REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy);
GpStatus GdipGetMatrixElements(const GpMatrix* matrix, REAL* elements);  // 6 values
GpStatus GdipTranslateMatrix(GpMatrix* matrix, REAL offsetX, REAL offsetY, MatrixOrder order);
GpStatus GdipScaleMatrix(GpMatrix* matrix, REAL scaleX, REAL scaleY, MatrixOrder order);
GpStatus GdipRotateMatrix(GpMatrix* matrix, REAL angle, MatrixOrder order);  // degrees
GpStatus GdipTransformMatrixPoints(GpMatrix* matrix, GpPointF* points, INT count);
GpStatus GdipDeleteMatrix(GpMatrix* matrix);

// Paths.
GpStatus GdipCreatePath(FillMode fillMode, GpPath** path);
GpStatus GdipResetPath(GpPath* path);  // empties it and restores the alternate fill mode
GpStatus GdipAddPathPolygon(GpPath* path, const GpPointF* points, INT count);  // count >= 3
GpStatus GdipAddPathEllipse(GpPath* path, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipAddPathRectangle(GpPath* path, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2);
GpStatus GdipGetPointCount(GpPath* path, INT* count);
// Whether the point lies inside the filled path by its fill mode (alternate: odd-even rule). The
// graphics object may be null.
GpStatus GdipIsVisiblePathPoint(GpPath* path, REAL x, REAL y, GpGraphics* graphics, BOOL* result);
GpStatus GdipDeletePath(GpPath* path);

// Pens and brushes.
GpStatus GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen);
GpStatus GdipDeletePen(GpPen* pen);
GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush);
GpStatus GdipDeleteBrush(GpBrush* brush);

// Image attributes.
GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes);
GpStatus GdipSetImageAttributesColorMatrix(GpImageAttributes* attributes, ColorAdjustType type, BOOL enableFlag,
                                           const ColorMatrix* colorMatrix, const ColorMatrix* grayMatrix,
                                           ColorMatrixFlags flags);
GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes);

// Fonts. Any family name is accepted; glyphs it lacks (CJK) come from the fallback fonts.
GpStatus GdipCreateFontFamilyFromName(const char16_t* name, GpFontCollection* collection,
                                      GpFontFamily** family);
GpStatus GdipDeleteFontFamily(GpFontFamily* family);
// Style: FontStyle bits; unit UnitPoint (1/72 inch at 96 pixels per inch), UnitPixel or UnitWorld.
GpStatus GdipCreateFont(const GpFontFamily* family, REAL emSize, INT style, GpUnit unit, GpFont** font);
GpStatus GdipDeleteFont(GpFont* font);

// 0xAARRGGBB from its four channels.
inline constexpr ARGB MakeARGB(BYTE a, BYTE r, BYTE g, BYTE b) {
  return (ARGB(a) << 24) | (ARGB(r) << 16) | (ARGB(g) << 8) | ARGB(b);
}

}  // namespace Gdiplus
