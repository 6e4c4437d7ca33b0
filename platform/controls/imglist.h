#pragma once
// A list of equally sized pictures with per-pixel alpha, drawn by index (tool bars, buttons, grid
// cells). Each image keeps its pixels premultiplied; what is transparent in it is its mask. Drawing
// follows the common controls' image list: over the background colour or transparent, as the mask
// only, or blended with a colour (25 % focused, 50 % selected). Objects that show the images register
// a TChangeLink and hear of every change.

#include <memory>
#include <string>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/graphics/graphics.h"

// Drawing flags of DrawEx (as the common controls number them) and its two colour values: no colour,
// and the default colour (the list's own background; the highlight colour for blending).
constexpr UINT ILD_NORMAL = 0x0000;
constexpr UINT ILD_TRANSPARENT = 0x0001;
constexpr UINT ILD_BLEND25 = 0x0002;
constexpr UINT ILD_FOCUS = 0x0002;
constexpr UINT ILD_BLEND50 = 0x0004;
constexpr UINT ILD_SELECTED = 0x0004;
constexpr UINT ILD_BLEND = 0x0004;
constexpr UINT ILD_MASK = 0x0010;
constexpr COLORREF CLR_NONE = 0xFFFFFFFF;
constexpr COLORREF CLR_DEFAULT = 0xFF000000;

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TCustomImageList;

// Tells its owner when an image list changes. Registered with the list (RegisterChanges); the list
// forgets it when it is destroyed, and it unregisters itself when it goes first.
class TChangeLink : public TObject {
  DECLARE_CLASS(TChangeLink, TObject)
  TChangeLink() = default;
  ~TChangeLink() override;
  TCustomImageList* Sender() const { return FSender; }
  void SetSender(TCustomImageList* Value) { FSender = Value; }
  virtual void Change();
  TNotifyEvent OnChange;

 private:
  TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
  DECLARE_CLASS(TCustomImageList, TComponent)
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Changing the size empties the list.
  void SetWidth(int Value);
  void SetHeight(int Value);
  int Count() const { return static_cast<int>(FImages.size()); }

  // Adds the picture (a bitmap as wide as several images adds them all). A 32-bit bitmap with alpha
  // keeps its alpha; otherwise white pixels of Mask (when given) are transparent. Returns the index of
  // the first image added. A picture of another height is scaled to the list's height.
  int Add(TBitmap* Image, TBitmap* Mask = nullptr);
  // Adds a picture whose pixels of TransparentColor become transparent.
  int AddMasked(TBitmap* Image, TColor TransparentColor);
  // Adds a picture file (PNG with alpha, or any registered format). EFOpenError / EInvalidGraphic.
  int AddFromFile(const std::string& FileName);
  void Delete(int Index);
  void Clear();

  // Draws image Index at (X, Y) in the list's drawing style and image type; a disabled image is
  // drawn in faded grey.
  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
  void Draw(HDC DC, int X, int Y, int Index, bool Enabled = true);
  void Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle Style, TImageType Type, bool Enabled = true);
  // The common controls' draw call: Bk is the background under transparent pixels (CLR_NONE:
  // transparent; CLR_DEFAULT: the list's BkColor), Fg the blend colour (CLR_NONE: no blending;
  // CLR_DEFAULT: the highlight colour), Style the ILD_ flags. Returns false for a bad index.
  bool DrawEx(HDC DC, int X, int Y, int Index, COLORREF Bk, COLORREF Fg, UINT Style, bool Enabled = true);

  // Background drawn under transparent pixels in dsNormal (clNone: transparent).
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor Value);
  // Colour mixed into dsFocus (25 %) and dsSelected (50 %) images (clDefault: the highlight colour).
  TColor BlendColor() const { return FBlendColor; }
  void SetBlendColor(TColor Value);
  TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle Value);
  TImageType ImageType() const { return FImageType; }
  void SetImageType(TImageType Value);

  // Change notification for the controls that show the images.
  void RegisterChanges(TChangeLink* Link);
  void UnRegisterChanges(TChangeLink* Link);
  // The image's pixels as 0xAARRGGBB (not premultiplied), for tests and tools.
  uint32_t Pixel(int Index, int X, int Y) const;

  TNotifyEvent OnChange;

 private:
  // Premultiplied blue, green, red, alpha, top row first.
  struct TEntry {
    std::vector<uint8_t> Pixels;
  };
  int AddPixels(const std::vector<uint32_t>& Argb, int W, int H);
 protected:
  virtual void Changed();

 private:
  int FWidth = 16;
  int FHeight = 16;
  std::vector<TEntry> FImages;
  TColor FBkColor = clNone;
  TColor FBlendColor = clNone;
  TDrawingStyle FDrawingStyle = dsNormal;
  TImageType FImageType = itImage;
  std::vector<TChangeLink*> FLinks;
};

class TImageList : public TCustomImageList {
  DECLARE_CLASS(TImageList, TCustomImageList)
  explicit TImageList(TComponent* AOwner) : TCustomImageList(AOwner) {}
};
