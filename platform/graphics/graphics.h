#pragma once
// The class library's graphics: colours, points and rectangles, fonts, pens and brushes, the canvas over
// a device context, bitmaps over DIB sections, and pictures with their file-format registry.
// No Qt type appears here; the pixels live behind the Win32 level's handles.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/classes/typinfo.h"
#include "platform/rtl/sysutils.h"
#include "platform/win/windows.h"

class TCanvas;
class TBitmap;
class TGraphic;
class TPicture;

// ---------------------------------------------------------------------------------------------------
// Points and rectangles

struct TPoint {
  int X = 0;
  int Y = 0;
  constexpr TPoint() = default;
  constexpr TPoint(int AX, int AY) : X(AX), Y(AY) {}
  constexpr TPoint(const POINT& P) : X(P.x), Y(P.y) {}
  constexpr operator POINT() const { return POINT{X, Y}; }
  constexpr bool operator==(const TPoint&) const = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  constexpr TRect() = default;
  constexpr TRect(int ALeft, int ATop, int ARight, int ABottom)
      : Left(ALeft), Top(ATop), Right(ARight), Bottom(ABottom) {}
  constexpr TRect(const TPoint& TopLeft, const TPoint& BottomRight)
      : Left(TopLeft.X), Top(TopLeft.Y), Right(BottomRight.X), Bottom(BottomRight.Y) {}
  constexpr TRect(const RECT& R) : Left(R.left), Top(R.top), Right(R.right), Bottom(R.bottom) {}
  constexpr operator RECT() const { return RECT{Left, Top, Right, Bottom}; }
  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  constexpr TPoint TopLeft() const { return {Left, Top}; }
  constexpr TPoint BottomRight() const { return {Right, Bottom}; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr bool Contains(const TPoint& P) const { return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom; }
  constexpr bool operator==(const TRect&) const = default;
};

constexpr TPoint Point(int X, int Y) { return {X, Y}; }
constexpr TRect Rect(int Left, int Top, int Right, int Bottom) { return {Left, Top, Right, Bottom}; }
constexpr TRect Bounds(int Left, int Top, int Width, int Height) { return {Left, Top, Left + Width, Top + Height}; }

// ---------------------------------------------------------------------------------------------------
// Colours: $00BBGGRR; negative values name system colours (clSystemColor | COLOR_xxx, so clInfoBk is
// $FF000018). Streams of older versions stored them as $80000000 | COLOR_xxx; the reader turns those
// into this form, and ColorToRGB resolves any negative value by its low byte.

using TColor = int32_t;

constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);
constexpr TColor SysColor(int Index) { return clSystemColor | Index; }

constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SysColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SysColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SysColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SysColor(COLOR_MENU);
constexpr TColor clWindow = SysColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SysColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SysColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SysColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SysColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SysColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SysColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SysColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SysColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SysColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SysColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SysColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SysColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SysColor(COLOR_INFOBK);
constexpr TColor clHotLight = SysColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = SysColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = SysColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = SysColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = SysColor(COLOR_MENUBAR);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// System colours become their current RGB value (GetSysColor); other values pass unchanged.
int32_t ColorToRGB(TColor Color);
// "clRed", "clBtnFace"... for named colours, "$00BBGGRR" otherwise.
std::string ColorToString(TColor Color);
// Accepts the names above and numbers ("$FF", "255"); EConvertError otherwise.
TColor StringToColor(const std::string& S);
bool IdentToColor(const std::string& Ident, int32_t& Color);
bool ColorToIdent(int32_t Color, std::string& Ident);

// ---------------------------------------------------------------------------------------------------
// Graphics objects (font, pen, brush): settings with a change event and a lazily made GDI handle.

class TGraphicsObject : public TPersistent {
  DECLARE_CLASS(TGraphicsObject, TPersistent)
  ~TGraphicsObject() override;
  TNotifyEvent OnChange;
  // True once a handle was made and not yet replaced.
  bool HandleAllocated() const { return FHandle != nullptr && !FStale; }

 protected:
  // Settings changed: the handle is remade on next use (the old one is freed then, after the owning
  // canvas has deselected it in its change handler).
  virtual void Changed();
  HGDIOBJ CachedHandle(const std::function<HGDIOBJ()>& Make);
  void SetOwnedHandle(HGDIOBJ Handle, bool Owned);

 private:
  void FreeHandle();
  HGDIOBJ FHandle = nullptr;
  bool FOwned = true;
  bool FStale = false;
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;
using TFontName = std::string;

class TFont : public TGraphicsObject {
  DECLARE_PUBLISHED_CLASS(TFont, TGraphicsObject)
  // What a form resource stores of a font; Size is Height in other units, so only Height is written.
  static void DeclarePublished(TPublished<TFont>& P) {
    P.Color("Color", &TFont::Color, &TFont::SetColor);
    P.Integer("Height", &TFont::Height, &TFont::SetHeight);
    P.String("Name", &TFont::Name, &TFont::SetName);
    P.Integer("Size", &TFont::Size, &TFont::SetSize).Stored(false);
    P.Set("Style", &TFont::Style, &TFont::SetStyle, {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
  }
  TFont();
  void Assign(TPersistent* Source) override;

  HFONT Handle();
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  // Height < 0 is the character (em) height in pixels, > 0 the cell height; Size is in points at
  // PixelsPerInch (96): Size = -Height * 72 / 96.
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  int Size() const;
  void SetSize(int Value);
  const TFontName& Name() const { return FName; }
  void SetName(const TFontName& Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset Value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }

 private:
  TColor FColor = clWindowText;
  int FHeight = -12;
  TFontName FName = "宋体";
  TFontStyles FStyle;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
  int FPixelsPerInch = 96;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
  pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
// The ROP2 code of a pen mode.
int PenModeToRop2(TPenMode Mode);

class TPen : public TGraphicsObject {
  DECLARE_CLASS(TPen, TGraphicsObject)
  TPen() = default;
  void Assign(TPersistent* Source) override;

  HPEN Handle();
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode Value);

 private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
  DECLARE_CLASS(TBrush, TGraphicsObject)
  TBrush() = default;
  void Assign(TPersistent* Source) override;

  HBRUSH Handle();
  TColor Color() const { return FColor; }
  // Setting a colour on a clear brush makes it solid.
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  // A pattern bitmap, borrowed (the brush never frees it); nullptr for none.
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* Value);

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  TBitmap* FBitmap = nullptr;
};

// ---------------------------------------------------------------------------------------------------
// TCanvas

enum TCanvasStates { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = TSet<TCanvasStates>;
using TCopyMode = DWORD;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

enum TFillStyle { fsSurface, fsBorder };

class TCanvas : public TPersistent {
  DECLARE_CLASS(TCanvas, TPersistent)
  TCanvas();
  ~TCanvas() override;  // deselects its objects; the DC itself belongs to whoever set it

  // The device context; a canvas without one asks CreateHandle (EInvalidOperation "Canvas does not
  // allow drawing" when it still has none).
  HDC Handle();
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* Value) { FPen->Assign(Value); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
  // ExtTextOut options that TextOut and TextRect add (ETO_RTLREADING for a control reading right to
  // left; a control's canvas takes them from the control when it paints).
  UINT TextFlags() const { return FTextFlags; }
  void SetTextFlags(UINT Value) { FTextFlags = Value; }
  TPoint PenPos();
  void SetPenPos(const TPoint& Value) { MoveTo(Value.X, Value.Y); }
  TRect ClipRect();

  TColor Pixels(int X, int Y);
  void SetPixels(int X, int Y, TColor Value);

  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
  void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void Chord(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void Polygon(const TPoint* Points, int Count);
  void Polygon(const std::vector<TPoint>& Points) { Polygon(Points.data(), static_cast<int>(Points.size())); }
  void Polyline(const TPoint* Points, int Count);
  void Polyline(const std::vector<TPoint>& Points) { Polyline(Points.data(), static_cast<int>(Points.size())); }
  void FillRect(const TRect& R);
  void FrameRect(const TRect& R);
  void DrawFocusRect(const TRect& R);
  void FloodFill(int X, int Y, TColor Color, TFillStyle FillStyle);

  // Text at (X, Y) (upper-left corner of the text cell); the pen position moves to its end.
  void TextOut(int X, int Y, const std::string& Text);
  // Text at (X, Y) clipped to R; the rectangle is filled first unless the brush is clear.
  void TextRect(const TRect& R, int X, int Y, const std::string& Text);
  SIZE TextExtent(const std::string& Text);
  int TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
  int TextHeight(const std::string& Text) { return TextExtent(Text).cy; }

  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const TRect& R, TGraphic* Graphic);
  // Copies Source's rectangle from another canvas, stretching it to Dest, with CopyMode.
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);

  void Lock() { ++FLockCount; }
  void Unlock() { --FLockCount; }
  bool TryLock() {
    if (FLockCount) return false;
    Lock();
    return true;
  }
  int LockCount() const { return FLockCount; }
  // Deselects the font, pen and brush so that they are selected again on the next drawing.
  void Refresh();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

  // Makes sure the handle and the named objects are selected into it.
  void RequiredState(TCanvasState ReqState);

 protected:
  virtual void CreateHandle() {}
  virtual void Changing();
  virtual void Changed();
  // Drops the handle (deselecting the objects); the DC is not freed here.
  void DeselectHandles();
  TCanvasState FState;

 private:
  void FontChanged();
  void PenChanged();
  void BrushChanged();
  HDC FHandle = nullptr;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  TCopyMode FCopyMode = cmSrcCopy;
  UINT FTextFlags = 0;
  int FLockCount = 0;
};

// ---------------------------------------------------------------------------------------------------
// TGraphic: an abstract picture that can be drawn on a canvas and stored in files and streams.

class TGraphic : public TPersistent {
  DECLARE_CLASS(TGraphic, TPersistent)
  TGraphic() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int Value) = 0;
  virtual void SetHeight(int Value) = 0;
  virtual bool Empty() const = 0;
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }

  // EFOpenError for a missing file; EInvalidGraphic naming the file for a picture that cannot be read.
  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName);
  // Reads from the stream's position to its end. EInvalidGraphic for a picture that cannot be read.
  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  // Draws the picture stretched into Rect of the canvas.
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;

  TNotifyEvent OnChange;

 protected:
  void DefineProperties(TFiler* Filer) override;
  virtual void Changed(TObject* Sender);
  bool FTransparent = false;
  bool FModified = false;
};

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

// ---------------------------------------------------------------------------------------------------
// TBitmap: a device-independent bitmap over a DIB section of the Win32 level.

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TBitmapHandleType { bmDIB, bmDDB };
enum TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TGraphic {
  DECLARE_CLASS(TBitmap, TGraphic)
  TBitmap();
  ~TBitmap() override;
  void Assign(TPersistent* Source) override;

  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  void SetWidth(int Value) override { SetSize(Value, FHeight); }
  void SetHeight(int Value) override { SetSize(FWidth, Value); }
  // Keeps the pixels that still fit; new pixels are white.
  void SetSize(int AWidth, int AHeight);
  bool Empty() const override { return FWidth == 0 || FHeight == 0; }

  // pf24bit rows are blue-green-red, pf32bit blue-green-red-alpha. Other formats keep their pixels in
  // 32 bits and convert when saved; their scan lines are not addressable (EInvalidGraphicOperation).
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat Value);
  // Pointer to the first byte of a row (row 0 on top) of the DIB pixels; rows are 4-byte aligned.
  // EInvalidGraphicOperation ("Scan line index out of range") for a row outside the bitmap.
  void* ScanLine(int Row);
  // Bytes from one row to the next.
  int ScanLineStride() const;

  TCanvas* Canvas();
  // The DIB section (nullptr while empty). The bitmap keeps owning it.
  HBITMAP Handle();
  // Takes ownership of a bitmap handle (nullptr empties the bitmap); size and format follow it.
  void SetHandle(HBITMAP Value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Gives the handle away: the caller owns it and the bitmap is empty.
  HBITMAP ReleaseHandle();
  TBitmapHandleType HandleType() const { return FHandleType; }
  void SetHandleType(TBitmapHandleType Value);
  // Palette bitmaps carry their colours with the pixels; no palette handle is made.
  HPALETTE Palette() const { return nullptr; }
  // Colour treated as transparent when drawn with Transparent set; clDefault takes the bottom-left pixel.
  TColor TransparentColor();
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode Value) { FTransparentMode = Value; }
  bool Monochrome() const { return FPixelFormat == pf1bit; }

  // BMP files: 1, 4, 8, 16, 24 and 32 bits, plain or run-length encoded, bottom-up or top-down.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  // Frees the pixels (the bitmap becomes empty).
  void FreeImage() { SetHandle(nullptr); }

  struct TImpl;

 private:
  void ReplaceHandle(HBITMAP NewHandle);
  HBITMAP FHandle = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FPixelFormat = pfDevice;
  TBitmapHandleType FHandleType = bmDDB;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
  std::unique_ptr<TCanvas> FCanvas;
  std::vector<uint32_t> FColorTable;  // palette of a palette file, kept for saving
  friend struct TImpl;
};

// ---------------------------------------------------------------------------------------------------
// TPicture and the file-format registry

struct TFileFormat {
  std::string Extension;    // without the dot, as registered ("PNG", "jpg")
  std::string Description;  // "Portable Network Graphics"
  TClass GraphicClass = nullptr;
  TGraphicFactory Factory;
};

class TPicture : public TPersistent {
  DECLARE_CLASS(TPicture, TPersistent)
  TPicture() = default;
  ~TPicture() override;
  void Assign(TPersistent* Source) override;

  // The picture's graphic (nullptr when empty). The picture owns it.
  TGraphic* Graphic() const { return FGraphic.get(); }
  // Stores a copy of Value (same class, assigned); nullptr empties the picture.
  void SetGraphic(TGraphic* Value);
  // The graphic as a bitmap; a picture holding another kind (or nothing) is replaced by an empty bitmap.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }

  // The class is picked by the file's extension: EInvalidGraphic ("Unknown picture file extension
  // (.xyz)") for one no format registered; EFOpenError for a missing file; EInvalidGraphic naming the
  // file when its content cannot be read. On failure the picture keeps what it held.
  void LoadFromFile(const std::string& FileName);
  // EInvalidGraphicOperation when empty; EFCreateError when the file cannot be made.
  void SaveToFile(const std::string& FileName);

  TNotifyEvent OnChange;

  // The registry. A later registration of the same extension replaces the earlier one; extensions
  // compare ignoring case.
  static void RegisterFileFormat(const std::string& AExtension, const std::string& ADescription,
                                 TClass AGraphicClass, TGraphicFactory AFactory);
  template <typename T>
  static void RegisterFileFormat(const std::string& AExtension, const std::string& ADescription) {
    RegisterFileFormat(AExtension, ADescription, T::StaticClass(), [] { return std::make_unique<T>(); });
  }
  // Removes every extension registered for the class.
  static void UnregisterGraphicClass(TClass AClass);
  static std::vector<TFileFormat> FileFormats();
  // The format registered for an extension (with or without its dot), or nullptr.
  static const TFileFormat* FindFileFormat(const std::string& Extension);

 protected:
  virtual void Changed(TObject* Sender);

 private:
  void Take(std::unique_ptr<TGraphic> G);
  std::unique_ptr<TGraphic> FGraphic;
};

// An open-dialog filter listing every registered format: "All (*.bmp;*.png)|*.bmp;*.png|Bitmaps
// (*.bmp)|*.bmp|...".
std::string GraphicFilter(TClass GraphicClass = nullptr);

// Start-up of this unit: registers the BMP format ("bmp", "Bitmaps").
namespace GraphicsUnit {
void Initialize();
void Finalize();
}  // namespace GraphicsUnit
