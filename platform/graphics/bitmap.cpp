// TGraphic and TBitmap: pixels in a DIB section of the Win32 level, BMP files through our own codec.
#include <algorithm>
#include <cstring>

#include "platform/classes/filer.h"
#include "platform/graphics/codecs.h"
#include "platform/graphics/graphics_internal.h"
#include "platform/graphics/replacefile.h"
#include "platform/win/surface.h"

// ---------------------------------------------------------------------------------------------------
// TGraphic

void TGraphic::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  Changed(this);
}

void TGraphic::Changed(TObject*) {
  FModified = true;
  if (OnChange) OnChange(this);
}

// A picture held by a published property is stored as its file bytes ("Data"), an empty one not at all.
void TGraphic::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Data", [this](TStream* S) { LoadFromStream(S); }, [this](TStream* S) { SaveToStream(S); }, !Empty());
}

void TGraphic::LoadFromFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  try {
    LoadFromStream(&stream);
  } catch (EInvalidGraphic& e) {
    e.SetMessage(e.Message() + " in file \"" + FileName + "\"");
    throw;
  }
}

// The picture is encoded in memory first and then replaces the file in one step, so a failure while
// encoding or writing never leaves a truncated file where a good one was.
void TGraphic::SaveToFile(const std::string& FileName) {
  TMemoryStream stream;
  SaveToStream(&stream);
  const auto* bytes = static_cast<const std::uint8_t*>(stream.Memory());
  if (const int err = PictureFiles::ReplaceFile(FileName, {bytes, std::size_t(stream.Size())}))
    throw EFCreateError(Format("Cannot create file \"%s\". %s", FileName, std::strerror(err)));
}

// ---------------------------------------------------------------------------------------------------
// TBitmap

namespace {

// The canvas of a bitmap: a memory DC with the bitmap selected, made on first use.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* ABitmap) : FBitmap(ABitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }
  // Lets go of the DC (before the bitmap's handle changes).
  void FreeContext() {
    HDC dc = HandleAllocated() ? Handle() : nullptr;
    if (!dc) return;
    DeselectHandles();
    SetHandle(nullptr);
    FState.Exclude(csHandleValid);
    DeleteDC(dc);
  }

 protected:
  void CreateHandle() override {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return;
    if (HBITMAP bm = FBitmap->Handle()) SelectObject(dc, bm);
    SetHandle(dc);
  }

 private:
  TBitmap* FBitmap;
};

bool Stores24(TPixelFormat f) { return f == pf24bit; }

// A new handle of the storage the format needs, filled white.
HBITMAP MakeStorage(int w, int h, TPixelFormat f) {
  if (w <= 0 || h <= 0) return nullptr;
  if (f == pfDevice) {
    // A device bitmap has no alpha; opaque pixels also draw fastest.
    QImage img(w, h, QImage::Format_RGB32);
    if (img.isNull()) throw EOutOfMemory("Out of memory");
    img.fill(0xFFFFFFFFu);
    return win::CreateBitmapFromImage(std::move(img));
  }
  BITMAPINFO bmi;
  bmi.bmiHeader.biWidth = w;
  bmi.bmiHeader.biHeight = -h;  // top-down: row 0 first
  bmi.bmiHeader.biBitCount = Stores24(f) ? 24 : 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP hbm = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!hbm) throw EOutOfMemory("Out of memory");
  if (QImage* img = win::BitmapImage(hbm)) img->fill(img->format() == QImage::Format_BGR888 ? QColor(Qt::white) : QColor(0xFF, 0xFF, 0xFF, 0xFF));
  return hbm;
}

// Copies pixels between storages, converting the format.
void CopyInto(QImage& target, const QImage& source, int w, int h) {
  if (source.format() == target.format()) {
    const int bytes = w * (target.depth() / 8);
    for (int y = 0; y < h; ++y) std::memcpy(target.scanLine(y), source.constScanLine(y), size_t(bytes));
    return;
  }
  QImage converted = source.copy(0, 0, w, h).convertToFormat(target.format());
  if (target.format() == QImage::Format_ARGB32 && !source.hasAlphaChannel()) {
    // Opaque sources become opaque 32-bit pixels.
    for (int y = 0; y < h; ++y) {
      auto* row = reinterpret_cast<QRgb*>(converted.scanLine(y));
      for (int x = 0; x < w; ++x) row[x] |= 0xFF000000u;
    }
  }
  const int bytes = w * (target.depth() / 8);
  for (int y = 0; y < h; ++y) std::memcpy(target.scanLine(y), converted.constScanLine(y), size_t(bytes));
}

// Reduces 32-bit pixels to what a smaller format can hold.
QImage Quantize(const QImage& img, TPixelFormat f, const std::vector<uint32_t>& table) {
  QImage out;
  QList<QRgb> colours(table.begin(), table.end());
  switch (f) {
    case pf1bit:
      out = colours.size() == 2 ? img.convertToFormat(QImage::Format_Mono, colours, Qt::ThresholdDither)
                                : img.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
      break;
    case pf4bit:
    case pf8bit:
      out = !colours.isEmpty() ? img.convertToFormat(QImage::Format_Indexed8, colours, Qt::ThresholdDither)
                               : img.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
      break;
    case pf15bit: out = img.convertToFormat(QImage::Format_RGB555); break;
    case pf16bit: out = img.convertToFormat(QImage::Format_RGB16); break;
    default: return img;
  }
  return out;
}

}  // namespace

struct TBitmap::TImpl {
  static TBitmapCanvas* CanvasOf(TBitmap* b) { return static_cast<TBitmapCanvas*>(b->FCanvas.get()); }
};

namespace GraphicsInternal {

QImage* BitmapPixels(TBitmap* Bitmap) {
  HBITMAP h = Bitmap ? Bitmap->Handle() : nullptr;
  return h ? win::BitmapImage(h) : nullptr;
}

void SetBitmapPixels(TBitmap* Bitmap, const QImage& Image, TPixelFormat Format) {
  Bitmap->SetHandle(nullptr);
  Bitmap->SetPixelFormat(Format);
  Bitmap->SetSize(Image.width(), Image.height());
  if (QImage* px = BitmapPixels(Bitmap)) CopyInto(*px, Image, Image.width(), Image.height());
}

}  // namespace GraphicsInternal

TBitmap::TBitmap() {
  FCanvas = std::make_unique<TBitmapCanvas>(this);
  FCanvas->OnChange = [this](TObject*) { Changed(this); };
}

TBitmap::~TBitmap() {
  if (FCanvas) TImpl::CanvasOf(this)->FreeContext();
  if (FHandle) DeleteObject(FHandle);
}

void TBitmap::ReplaceHandle(HBITMAP NewHandle) {
  TImpl::CanvasOf(this)->FreeContext();
  if (FHandle && FHandle != NewHandle) DeleteObject(FHandle);
  FHandle = NewHandle;
}

void TBitmap::SetSize(int AWidth, int AHeight) {
  AWidth = std::max(0, AWidth);
  AHeight = std::max(0, AHeight);
  if (AWidth == FWidth && AHeight == FHeight) return;
  HBITMAP fresh = MakeStorage(AWidth, AHeight, FPixelFormat);
  if (fresh && FHandle) {
    QImage* from = win::BitmapImage(FHandle);
    QImage* to = win::BitmapImage(fresh);
    if (from && to) CopyInto(*to, *from, std::min(AWidth, FWidth), std::min(AHeight, FHeight));
  }
  ReplaceHandle(fresh);
  FWidth = AWidth;  // with one side 0 the bitmap is empty but keeps the other side
  FHeight = AHeight;
  FHandleType = FPixelFormat == pfDevice ? bmDDB : bmDIB;
  Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == pfCustom) throw EInvalidGraphic("Invalid pixel format");
  if (Value == FPixelFormat) return;
  TPixelFormat old = FPixelFormat;
  FPixelFormat = Value;
  FHandleType = Value == pfDevice ? bmDDB : bmDIB;
  if (!FHandle) {
    Changed(this);
    return;
  }
  QImage* from = win::BitmapImage(FHandle);
  QImage source = from ? *from : QImage();
  if (old == pf32bit && Value != pf32bit) {
    // Leaving 32 bits drops the alpha byte.
    source = source.convertToFormat(QImage::Format_RGB32);
  }
  if (Value != pf1bit && Value != pf4bit && Value != pf8bit) FColorTable.clear();
  QImage reduced = Quantize(source, Value, FColorTable);
  HBITMAP fresh = MakeStorage(FWidth, FHeight, Value);
  if (QImage* to = win::BitmapImage(fresh)) CopyInto(*to, reduced, FWidth, FHeight);
  ReplaceHandle(fresh);
  Changed(this);
}

int TBitmap::ScanLineStride() const {
  QImage* img = FHandle ? win::BitmapImage(FHandle) : nullptr;
  return img ? int(img->bytesPerLine()) : 0;
}

void* TBitmap::ScanLine(int Row) {
  if (Row < 0 || Row >= FHeight || !FHandle) throw EInvalidGraphicOperation("Scan line index out of range");
  if (FPixelFormat == pfDevice) SetHandleType(bmDIB);
  if (FPixelFormat != pf24bit && FPixelFormat != pf32bit)
    throw EInvalidGraphicOperation("Scan lines are only addressable for 24- and 32-bit bitmaps");
  return win::BitmapImage(FHandle)->scanLine(Row);
}

TCanvas* TBitmap::Canvas() { return FCanvas.get(); }

HBITMAP TBitmap::Handle() { return FHandle; }

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == FHandle) return;
  ReplaceHandle(Value);
  FColorTable.clear();
  if (!Value) {
    FWidth = FHeight = 0;
    Changed(this);
    return;
  }
  QImage* img = win::BitmapImage(Value);
  FWidth = img ? img->width() : 0;
  FHeight = img ? img->height() : 0;
  BITMAP bm;
  GetObject(Value, sizeof bm, &bm);
  FHandleType = bm.bmBits ? bmDIB : bmDDB;
  if (img && img->format() == QImage::Format_BGR888)
    FPixelFormat = pf24bit;
  else
    FPixelFormat = FHandleType == bmDIB ? pf32bit : pfDevice;
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  TImpl::CanvasOf(this)->FreeContext();
  HBITMAP h = FHandle;
  FHandle = nullptr;
  FWidth = FHeight = 0;
  return h;
}

void TBitmap::SetHandleType(TBitmapHandleType Value) {
  if (Value == FHandleType) return;
  if (Value == bmDDB) {
    SetPixelFormat(pfDevice);
  } else if (FPixelFormat == pfDevice) {
    SetPixelFormat(pf32bit);
  }
  FHandleType = Value;
}

TColor TBitmap::TransparentColor() {
  if (FTransparentColor != clDefault && FTransparentMode == tmFixed) return FTransparentColor;
  if (Empty()) return clDefault;
  QImage* img = win::BitmapImage(FHandle);
  QRgb c = img ? img->pixel(0, FHeight - 1) : 0;
  return TColor(RGB(qRed(c), qGreen(c), qBlue(c)));
}

void TBitmap::SetTransparentColor(TColor Value) {
  if (Value == FTransparentColor) return;
  FTransparentColor = Value;
  FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::Assign(TPersistent* Source) {
  if (!Source) {
    SetHandle(nullptr);
    return;
  }
  if (auto* pic = dynamic_cast<TPicture*>(Source)) {
    if (!pic->Graphic()) {
      SetHandle(nullptr);
      return;
    }
    Assign(pic->Graphic());
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    if (b == this) return;
    QImage* px = b->FHandle ? win::BitmapImage(b->FHandle) : nullptr;
    ReplaceHandle(nullptr);
    FWidth = FHeight = 0;
    FPixelFormat = b->FPixelFormat;
    FHandleType = b->FHandleType;
    FColorTable = b->FColorTable;
    FTransparent = b->FTransparent;
    FTransparentColor = b->FTransparentColor;
    FTransparentMode = b->FTransparentMode;
    if (px) {
      HBITMAP fresh = MakeStorage(b->FWidth, b->FHeight, FPixelFormat);
      if (QImage* to = win::BitmapImage(fresh)) CopyInto(*to, *px, b->FWidth, b->FHeight);
      FHandle = fresh;
    }
    FWidth = b->FWidth;
    FHeight = b->FHeight;
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

void TBitmap::LoadFromStream(TStream* Stream) {
  std::vector<uint8_t> bytes = GraphicsInternal::ReadRest(Stream);
  PictureCodecs::DecodeResult r = PictureCodecs::DecodeBmp(bytes);
  if (!r.ok()) throw EInvalidGraphic("Bitmap image is not valid (" + r.error + ")");
  TPixelFormat f = pf32bit;
  switch (r.bitsPerPixel) {
    case 1: f = pf1bit; break;
    case 4: f = pf4bit; break;
    case 8: f = pf8bit; break;
    case 16: f = pf16bit; break;
    case 24: f = pf24bit; break;
    default: f = pf32bit;
  }
  std::vector<uint32_t> table;
  if (r.image.format() == QImage::Format_Indexed8 || r.image.format() == QImage::Format_Mono)
    for (QRgb c : r.image.colorTable()) table.push_back(c);
  // A 32-bit file without alpha still loads as pf32bit with opaque pixels.
  QImage pixels = r.image.format() == QImage::Format_RGB32 ? r.image.convertToFormat(QImage::Format_ARGB32) : r.image;
  ReplaceHandle(nullptr);
  FPixelFormat = f;
  FWidth = FHeight = 0;
  HBITMAP fresh = MakeStorage(pixels.width(), pixels.height(), f);
  if (QImage* to = win::BitmapImage(fresh)) CopyInto(*to, pixels, pixels.width(), pixels.height());
  FHandle = fresh;
  FWidth = pixels.width();
  FHeight = pixels.height();
  FHandleType = bmDIB;
  FColorTable = std::move(table);
  Changed(this);
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (Empty()) throw EInvalidGraphicOperation("Cannot save an empty bitmap");
  QImage* px = win::BitmapImage(FHandle);
  if (!px) throw EInvalidGraphicOperation("Bitmap has no pixels");
  int bpp = 24;
  QImage image = *px;
  switch (FPixelFormat) {
    case pf1bit: bpp = 1; break;
    case pf4bit: bpp = 4; break;
    case pf8bit: bpp = 8; break;
    case pf32bit: bpp = 32; break;
    default: bpp = 24;
  }
  if (bpp <= 8) image = Quantize(image, FPixelFormat, FColorTable);
  std::vector<uint8_t> bytes;
  if (!PictureCodecs::EncodeBmp(image, bpp, bytes)) throw EInvalidGraphicOperation("Cannot write the bitmap");
  Stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& R) {
  if (!ACanvas || Empty()) return;
  HDC dst = ACanvas->Handle();
  HDC src = Canvas()->Handle();
  if (FTransparent) {
    TColor key = TransparentColor();
    TransparentBlt(dst, R.Left, R.Top, R.Width(), R.Height(), src, 0, 0, FWidth, FHeight,
                   static_cast<UINT>(ColorToRGB(key)));
  } else {
    StretchBlt(dst, R.Left, R.Top, R.Width(), R.Height(), src, 0, 0, FWidth, FHeight, ACanvas->CopyMode());
  }
}
