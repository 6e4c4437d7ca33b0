#pragma once
// Picture codecs shared by the class-library pictures and the GDI+-like imaging layer (platform-internal:
// Qt types allowed). Decoders work on a whole file held in memory, never throw and never read past the
// bytes they are given; a bad picture gives an empty result with a reason in `error`.
#include <QImage>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace PictureCodecs {

enum class PictureKind { Unknown, Bmp, Png, Jpeg, Gif };

// Recognises a picture by its first bytes.
PictureKind SniffPicture(std::span<const std::uint8_t> data);

// Guards against absurd header sizes: at most 64 Mpixel and 32767 pixels on a side.
constexpr std::int64_t MaxPixels = std::int64_t(1) << 26;
constexpr std::int64_t MaxSide = 32767;
bool SizeAcceptable(std::int64_t width, std::int64_t height);

struct DecodeResult {
  // Mono / Indexed8 (palette BMPs), BGR888 (24-bit BMP), RGB32 (opaque; from JPEG files with every
  // alpha byte 0xFF, so that the pixels may be taken as ARGB32 as they are) or ARGB32 (with alpha,
  // not premultiplied). Null when decoding failed.
  QImage image;
  int bitsPerPixel = 0;   // as stored in the file
  bool hasAlpha = false;  // some pixel may be less than opaque
  std::string error;      // why decoding failed
  bool ok() const { return !image.isNull(); }
};

DecodeResult DecodeBmp(std::span<const std::uint8_t> data);
DecodeResult DecodePng(std::span<const std::uint8_t> data);
DecodeResult DecodeJpeg(std::span<const std::uint8_t> data);
DecodeResult DecodeGif(std::span<const std::uint8_t> data);  // first frame, transparency as alpha 0
// Picks the decoder by content.
DecodeResult DecodeAny(std::span<const std::uint8_t> data);

// Encoders return false when the picture cannot be written (null picture, library failure).
// BMP: 1, 4, 8, 24 or 32 bits per pixel, BI_RGB, bottom-up; 32 bits keeps alpha in the fourth byte.
bool EncodeBmp(const QImage& image, int bitsPerPixel, std::vector<std::uint8_t>& out);
bool EncodePng(const QImage& image, std::vector<std::uint8_t>& out);  // keeps alpha when present
bool EncodeJpeg(const QImage& image, int quality, std::vector<std::uint8_t>& out);

// Whole-file helpers; false when the file cannot be opened, read or written completely. Writing goes
// through a temporary file and a rename (replacefile.h): a failed write leaves the old file as it was,
// and errno then holds the reason.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out);
bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> data);

// True when any pixel of the picture is less than fully opaque.
bool ImageHasTranslucency(const QImage& image);

}  // namespace PictureCodecs
