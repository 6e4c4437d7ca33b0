#pragma once
// Pictures decoded by the libraries: PNG (with alpha), JPEG and GIF (first frame, transparency). They
// register with the picture-format registry from their units' start-up functions.

#include <memory>

#include "platform/graphics/graphics.h"

// A decoded picture held as 32-bit ARGB; drawn with its alpha blended over the canvas.
class TRasterGraphic : public TGraphic {
  DECLARE_CLASS(TRasterGraphic, TGraphic)
  TRasterGraphic();
  ~TRasterGraphic() override;
  // From another raster picture or a bitmap (pixels copied).
  void Assign(TPersistent* Source) override;

  int Width() const override;
  int Height() const override;
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  bool Empty() const override;
  void LoadFromStream(TStream* Stream) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

  // 0xAARRGGBB of a pixel (not premultiplied); 0 outside the picture.
  uint32_t Pixel(int X, int Y) const;
  // Whether some pixel is less than opaque.
  bool HasAlpha() const;

  struct TImpl;
  TImpl& Impl() const { return *FImpl; }

 protected:
  // Decodes the whole file's bytes; EInvalidGraphic with the reason when they are not a valid picture.
  virtual void Decode(const std::vector<uint8_t>& Bytes) = 0;
  // Copies the pixels into a bitmap (pf32bit when the picture has alpha, pf24bit otherwise).
  void AssignTo(TPersistent* Dest) override;
  std::unique_ptr<TImpl> FImpl;
};

class TPngImage : public TRasterGraphic {
  DECLARE_CLASS(TPngImage, TRasterGraphic)
  TPngImage() = default;
  void SaveToStream(TStream* Stream) override;

 protected:
  void Decode(const std::vector<uint8_t>& Bytes) override;
};

class TJPEGImage : public TRasterGraphic {
  DECLARE_CLASS(TJPEGImage, TRasterGraphic)
  TJPEGImage() = default;
  void SaveToStream(TStream* Stream) override;
  int CompressionQuality() const { return FQuality; }
  void SetCompressionQuality(int Value) { FQuality = Value < 1 ? 1 : Value > 100 ? 100 : Value; }

 protected:
  void Decode(const std::vector<uint8_t>& Bytes) override;

 private:
  int FQuality = 90;
};

class TGIFImage : public TRasterGraphic {
  DECLARE_CLASS(TGIFImage, TRasterGraphic)
  TGIFImage() = default;
  // Writing GIF files is not offered: ENotSupportedException.
  void SaveToStream(TStream* Stream) override;

 protected:
  void Decode(const std::vector<uint8_t>& Bytes) override;
};

// Registers "PNG" as "Portable Network Graphics".
namespace PngImageUnit {
void Initialize();
void Finalize();
}  // namespace PngImageUnit

// Registers "jpg" and "jpeg" as "JPEG Image File".
namespace JpegUnit {
void Initialize();
void Finalize();
}  // namespace JpegUnit

// Registers "gif" as "GIF Image".
namespace GifImageUnit {
void Initialize();
void Finalize();
}  // namespace GifImageUnit
