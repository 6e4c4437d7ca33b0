#pragma once
// A list of equally sized pictures with per-pixel alpha, drawn by index (tool bars, buttons).

#include <memory>
#include <string>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/graphics/graphics.h"

class TImageList : public TComponent {
  DECLARE_CLASS(TImageList, TComponent)
  explicit TImageList(TComponent* AOwner);
  ~TImageList() override;

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

  // Draws image Index at (X, Y); a disabled image is drawn in faded grey.
  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
  void Draw(HDC DC, int X, int Y, int Index, bool Enabled = true);
  // The image's pixels as 0xAARRGGBB (not premultiplied), for tests and tools.
  uint32_t Pixel(int Index, int X, int Y) const;

  TNotifyEvent OnChange;

 private:
  // Premultiplied blue, green, red, alpha, top row first.
  struct TEntry {
    std::vector<uint8_t> Pixels;
  };
  int AddPixels(const std::vector<uint32_t>& Argb, int W, int H);
  void Changed();
  int FWidth = 16;
  int FHeight = 16;
  std::vector<TEntry> FImages;
};
