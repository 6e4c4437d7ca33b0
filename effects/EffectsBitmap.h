// The effects bitmap: a 32-bit top-down bitmap in a DIB section with its own memory device context,
// per-pixel alpha and colour-key transparency, conversions to and from the class library's bitmaps and
// pictures, and drawing or stretching into device contexts and into other effects bitmaps.
//
// Pixels are 32-bit words: blue bits 0..7, green 8..15, red 16..23, alpha 24..31. The key colour is
// $7F007F on the low 24 bits.
//
// The pixel and drawing routines are called through two tables filled at unit start-up, so the faster
// blend ("MMX" variant, same arithmetic as the historical MMX code) replaces the plain one without tests
// inside the loops.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/classes/classes.h"
#include "platform/graphics/graphics.h"
#include "platform/win/windows.h"

class TEffectsBitmap;

constexpr std::uint32_t EffectsKeyColour = 0x7F007F;

// ---------------------------------------------------------------------------------------------------------
// Pixel routines. Counts below 1 do nothing. Rectangles of FillRectPixels and SetAlphaRect are inclusive at
// both ends, rows Stride pixels apart; the caller keeps them inside the buffer.

struct TPixelRoutines {
  std::uint32_t (*BlendPixel)(std::uint32_t Source, std::uint32_t Dest) = nullptr;
  void (*BlendRow)(const std::uint32_t* Source, std::uint32_t* Dest, int Count) = nullptr;
  void (*KeyRow)(const std::uint32_t* Source, std::uint32_t* Dest, int Count) = nullptr;
  void (*CopyRow)(const std::uint32_t* Source, std::uint32_t* Dest, int Count) = nullptr;
  void (*FillRow)(std::uint32_t* Row, int Count, std::uint32_t Value) = nullptr;
  void (*FillRectPixels)(std::uint32_t* Buffer, int Stride, std::uint32_t Value, int Bottom, int Right, int Top,
                         int Left) = nullptr;
  void (*SetAlphaRow)(std::uint32_t* Row, int Count, std::uint8_t Alpha) = nullptr;
  void (*SetAlphaRect)(std::uint32_t* Buffer, int Stride, std::uint8_t Alpha, int Bottom, int Right, int Top,
                       int Left) = nullptr;
  // Pixels whose low 24 bits equal Colour's get alpha 0.
  void (*ClearAlphaByColour)(std::uint32_t* Row, int Count, std::uint32_t Colour) = nullptr;
};
extern TPixelRoutines PixelRoutines;

// The two blend variants, also reachable directly (tests, benchmarks).
// Plain: alpha 255 gives the source, 0 the destination; otherwise each colour channel is
// (s * a + d * (255 - a)) shr 8 and alpha is 255.
std::uint32_t PlainBlendPixel(std::uint32_t Source, std::uint32_t Dest);
void PlainBlendRow(const std::uint32_t* Source, std::uint32_t* Dest, int Count);
// MMX: every byte, alpha included, is (s * a + d * (256 - a)) shr 8, with no special case in the pixel
// routine; the row routine leaves alpha 0 and copies alpha 255.
std::uint32_t MMXBlendPixel(std::uint32_t Source, std::uint32_t Dest);
void MMXBlendRow(const std::uint32_t* Source, std::uint32_t* Dest, int Count);
// The widest vectors, in bits, the row routines may use where the processor has them (512, 256 or 128;
// tests lower it to reach each path).
extern int EffectsWidestVectors;
void KeyRow(const std::uint32_t* Source, std::uint32_t* Dest, int Count);
void CopyRow(const std::uint32_t* Source, std::uint32_t* Dest, int Count);

// Fills the pixel table; the MMX blend variants are taken when HasMMX answers True.
void InitPixelRoutines();

// ---------------------------------------------------------------------------------------------------------
// Drawing routines.

// (DC, destination rectangle, bitmap, source rectangle).
using TDrawToDCProc = void (*)(HDC DC, const TRect& Dest, TEffectsBitmap* Bitmap, const TRect& Source);
// (destination bitmap, destination rectangle D, clip rectangle K, source rectangle S, source bitmap).
using TStretchRectProc = void (*)(TEffectsBitmap* Dest, const TRect& D, const TRect& K, const TRect& S,
                                  TEffectsBitmap* Source);
// (destination bitmap, clipped destination rectangle, source's upper-left point, source bitmap).
using TCopyRectProc = void (*)(TEffectsBitmap* Dest, const TRect& K, const TPoint& SourcePoint,
                               TEffectsBitmap* Source);
// Into a bottom-up buffer of BufferHeight rows of BufferWidth pixels:
// (buffer, D, K, S, source bitmap, buffer height, buffer width).
using TStretchToDIBProc = void (*)(std::uint32_t* Buffer, const TRect& D, const TRect& K, const TRect& S,
                                   TEffectsBitmap* Source, int BufferHeight, int BufferWidth);
// (buffer, clipped destination rectangle, source point, source bitmap, buffer height, buffer width).
using TCopyToDIBProc = void (*)(std::uint32_t* Buffer, const TRect& K, const TPoint& SourcePoint,
                                TEffectsBitmap* Source, int BufferHeight, int BufferWidth);

enum TDrawKind { dkCopy, dkKey, dkBlend };

struct TDrawRoutines {
  TDrawToDCProc ToDC[3] = {};
  TStretchRectProc StretchRect[3] = {};
  TCopyRectProc CopyRect[3] = {};
  TStretchToDIBProc StretchToDIB[3] = {};
  TCopyToDIBProc CopyToDIB[3] = {};
};
extern TDrawRoutines DrawRoutines;

void DrawOpaqueToDC(HDC DC, const TRect& Dest, TEffectsBitmap* Bitmap, const TRect& Source);
void DrawAlphaToDC(HDC DC, const TRect& Dest, TEffectsBitmap* Bitmap, const TRect& Source);
void DrawKeyToDC(HDC DC, const TRect& Dest, TEffectsBitmap* Bitmap, const TRect& Source);
void DrawKeyTransparentBlt(HDC DC, const TRect& Dest, TEffectsBitmap* Bitmap, const TRect& Source);

// Bits per pixel times planes of the screen; True colour means more than 23.
int ScreenColourDepth();
bool IsTrueColourScreen();

// For the bitmap selected into DC, when it is a DIB section: its bits, width, height and bit count;
// otherwise nullptr and zeros.
struct TDCBitmapInfo {
  void* Bits = nullptr;
  int Width = 0;
  int Height = 0;
  int BitCount = 0;
};
TDCBitmapInfo GetDCBitmapInfo(HDC DC);

// Fills the drawing tables. The key entry for device contexts is DrawKeyTransparentBlt only when the probe
// unit has already announced TransparentBlt and the screen is true colour; otherwise DrawKeyToDC.
void InitDrawRoutines();

// ---------------------------------------------------------------------------------------------------------
// Win32 calls that SetSize makes, replaceable so tests can make each one fail.

struct TEffectsSystemCalls {
  std::function<HBITMAP(const BITMAPINFO*, void**)> CreateDIBSection;
  std::function<HDC()> CreateCompatibleDC;
  std::function<HGDIOBJ(HDC, HGDIOBJ)> SelectObject;
};
void SetEffectsSystemCalls(TEffectsSystemCalls Calls);  // empty members use the real functions

// ---------------------------------------------------------------------------------------------------------

class TEffectsBitmap : public TPersistent {
  DECLARE_CLASS(TEffectsBitmap, TPersistent)
  TEffectsBitmap();
  ~TEffectsBitmap() override;

  void Assign(TPersistent* Source) override;

  // Sizes by the absolute values; 0 in either, or the present size, changes nothing. On failure the
  // bitmap is empty (no DIB section, no DC, no pixels, size 0 x 0) and Exception is raised.
  void SetSize(int Width, int Height);
  bool IsEmpty() const { return FDibHandle == nullptr; }
  void CheckAlpha();
  void SetAlpha(std::uint8_t A);
  // Address of row Y or of pixel (X, Y); nullptr outside the bitmap or when it is empty.
  std::uint32_t* ScanLine(int Y) const;
  std::uint32_t* PixelAddress(int X, int Y) const;
  // Writes inside the bitmap only.
  void SetPixel(int X, int Y, std::uint32_t Value);

  void Draw(HDC DC, int X, int Y);
  void DrawRect(HDC DC, int X, int Y, const TRect& Source);
  void StretchDraw(HDC DC, const TRect& Dest, const TRect& Source);
  void Draw(TCanvas* Canvas, int X, int Y);
  // Source of this bitmap scaled into Dest of Target, clipped to Dest (and to Target).
  void DrawTo(TEffectsBitmap* Target, const TRect& Dest, const TRect& Source);
  void DrawGraphic(TGraphic* Graphic, const TRect& Rect);
  // Puts a copy on the clipboard as a 32-bit bitmap, drawn as AssignTo does.
  void CopyToClipboard();

  // Fields.
  std::uint32_t* Pixels() const { return FPixels; }
  int PixelWidth() const { return FPixelWidth; }
  int PixelHeight() const { return FPixelHeight; }
  const std::string& BitmapName() const { return FBitmapName; }
  void SetBitmapName(const std::string& Value) { FBitmapName = Value; }
  const BITMAPINFOHEADER& Header() const { return FHeader; }
  HBITMAP DibHandle() const { return FDibHandle; }
  HDC MemoryDC() const { return FMemoryDC; }
  // The canvas over MemoryDC, made on first use; nullptr until then.
  TCanvas* DrawCanvas() const { return FDrawCanvas.get(); }
  TCanvas* Canvas();
  bool HasAlpha() const { return FHasAlpha; }
  void SetHasAlpha(bool Value) { FHasAlpha = Value; }
  bool KeyTransparent() const { return FKeyTransparent; }
  void SetKeyTransparent(bool Value) { FKeyTransparent = Value; }

  // The registry of bitmaps that own a DIB section.
  static void RegisterBitmap(TEffectsBitmap* Bitmap);
  static void UnregisterBitmap(TEffectsBitmap* Bitmap);
  static TEffectsBitmap* FindBitmapByDC(HDC DC);
  static int RegisteredCount();

  // Whether Source lies inside this bitmap (and is not empty).
  bool ContainsRect(const TRect& Source) const;

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  void Release();
  void FillBitmap(TBitmap* Bitmap);
  TDrawKind Kind() const { return FHasAlpha ? dkBlend : (FKeyTransparent ? dkKey : dkCopy); }

  std::uint32_t* FPixels = nullptr;
  int FPixelWidth = 0;
  int FPixelHeight = 0;
  std::string FBitmapName;
  BITMAPINFOHEADER FHeader;
  HBITMAP FDibHandle = nullptr;
  HDC FMemoryDC = nullptr;
  HGDIOBJ FOldBitmap = nullptr;
  std::unique_ptr<TCanvas> FDrawCanvas;
  bool FHasAlpha = false;
  bool FKeyTransparent = false;
};

// Unit start-up: fills both routine tables; the finalisation frees the registry.
namespace EffectsBitmapUnit {
void Initialize();
void Finalize();
}  // namespace EffectsBitmapUnit
