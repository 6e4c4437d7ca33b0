// TPicture with the picture-format registry, the library-decoded pictures and the units' start-up.
#include <algorithm>

#include "platform/graphics/codecs.h"
#include "platform/graphics/graphics_internal.h"
#include "platform/graphics/replacefile.h"

namespace {

std::vector<TFileFormat>& Registry() {
  static std::vector<TFileFormat> formats;
  return formats;
}

std::string WithoutDot(const std::string& Ext) { return !Ext.empty() && Ext[0] == '.' ? Ext.substr(1) : Ext; }

}  // namespace

// ---------------------------------------------------------------------------------------------------
// TPicture

TPicture::~TPicture() = default;

void TPicture::RegisterFileFormat(const std::string& AExtension, const std::string& ADescription,
                                  TClass AGraphicClass, TGraphicFactory AFactory) {
  std::string ext = WithoutDot(AExtension);
  auto& formats = Registry();
  std::erase_if(formats, [&](const TFileFormat& f) { return SameText(f.Extension, ext); });
  formats.push_back({ext, ADescription, AGraphicClass, std::move(AFactory)});
}

void TPicture::UnregisterGraphicClass(TClass AClass) {
  std::erase_if(Registry(), [&](const TFileFormat& f) { return f.GraphicClass == AClass; });
}

std::vector<TFileFormat> TPicture::FileFormats() { return Registry(); }

const TFileFormat* TPicture::FindFileFormat(const std::string& Extension) {
  std::string ext = WithoutDot(Extension);
  for (const auto& f : Registry())
    if (SameText(f.Extension, ext)) return &f;
  return nullptr;
}

std::string GraphicFilter(TClass GraphicClass) {
  std::string all, each;
  for (const auto& f : Registry()) {
    if (GraphicClass && !TObject::ClassInheritsFrom(f.GraphicClass, GraphicClass)) continue;
    std::string mask = "*." + LowerCase(f.Extension);
    all += (all.empty() ? "" : ";") + mask;
    each += "|" + f.Description + " (" + mask + ")|" + mask;
  }
  return "All (" + all + ")|" + all + each;
}

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

void TPicture::Take(std::unique_ptr<TGraphic> G) {
  FGraphic = std::move(G);
  if (FGraphic) FGraphic->OnChange = [this](TObject* Sender) { Changed(Sender); };
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (!Value) {
    Take(nullptr);
    return;
  }
  if (Value == FGraphic.get()) return;
  std::unique_ptr<TGraphic> copy;
  for (const auto& f : Registry())
    if (f.GraphicClass == Value->ClassType()) {
      copy = f.Factory();
      break;
    }
  if (!copy && dynamic_cast<TBitmap*>(Value)) copy = std::make_unique<TBitmap>();
  if (!copy && GetClass(Value->ClassName())) {
    // Graphic classes outside the file-format registry are made through the class registry.
    std::unique_ptr<TObject> made = CreateObject(Value->ClassName());
    if (dynamic_cast<TGraphic*>(made.get())) copy.reset(static_cast<TGraphic*>(made.release()));
  }
  if (!copy) throw EInvalidGraphic("Unsupported graphic class " + Value->ClassName());
  copy->Assign(Value);
  Take(std::move(copy));
}

TBitmap* TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(FGraphic.get())) Take(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) {
    SetGraphic(nullptr);
  } else if (auto* p = dynamic_cast<TPicture*>(Source)) {
    SetGraphic(p->Graphic());
  } else if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(g);
  } else {
    TPersistent::Assign(Source);
  }
}

void TPicture::LoadFromFile(const std::string& FileName) {
  std::string ext = ExtractFileExt(FileName);
  const TFileFormat* format = FindFileFormat(ext);
  if (!format) throw EInvalidGraphic("Unknown picture file extension (." + WithoutDot(ext) + ")");
  std::unique_ptr<TGraphic> g = format->Factory();
  g->LoadFromFile(FileName);
  Take(std::move(g));
}

void TPicture::SaveToFile(const std::string& FileName) {
  if (!FGraphic) throw EInvalidGraphicOperation("Cannot save an empty picture");
  FGraphic->SaveToFile(FileName);
}

// ---------------------------------------------------------------------------------------------------
// Library-decoded pictures

TRasterGraphic::TRasterGraphic() : FImpl(std::make_unique<TImpl>()) {}
TRasterGraphic::~TRasterGraphic() = default;

int TRasterGraphic::Width() const { return FImpl->image.width(); }
int TRasterGraphic::Height() const { return FImpl->image.height(); }
bool TRasterGraphic::Empty() const { return FImpl->image.isNull(); }

void TRasterGraphic::SetWidth(int Value) {
  if (Value == Width() || Value < 0) return;
  FImpl->image = Value == 0 ? QImage() : FImpl->image.copy(0, 0, Value, std::max(1, Height()));
  Changed(this);
}

void TRasterGraphic::SetHeight(int Value) {
  if (Value == Height() || Value < 0) return;
  FImpl->image = Value == 0 ? QImage() : FImpl->image.copy(0, 0, std::max(1, Width()), Value);
  Changed(this);
}

uint32_t TRasterGraphic::Pixel(int X, int Y) const {
  const QImage& img = FImpl->image;
  if (X < 0 || Y < 0 || X >= img.width() || Y >= img.height()) return 0;
  return reinterpret_cast<const QRgb*>(img.constScanLine(Y))[X];
}

bool TRasterGraphic::HasAlpha() const { return PictureCodecs::ImageHasTranslucency(FImpl->image); }

void TRasterGraphic::LoadFromStream(TStream* Stream) {
  Decode(GraphicsInternal::ReadRest(Stream));
  Changed(this);
}

void TRasterGraphic::Draw(TCanvas* ACanvas, const TRect& Rect) {
  GraphicsInternal::DrawImageOnCanvas(ACanvas, Rect, FImpl->image, FImpl->image.hasAlphaChannel());
}

void TRasterGraphic::Assign(TPersistent* Source) {
  if (auto* r = dynamic_cast<TRasterGraphic*>(Source)) {
    FImpl->image = r->FImpl->image;
    Changed(this);
  } else if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    QImage* px = GraphicsInternal::BitmapPixels(b);
    FImpl->image = px ? px->convertToFormat(b->PixelFormat() == pf32bit ? QImage::Format_ARGB32 : QImage::Format_RGB32)
                      : QImage();
    Changed(this);
  } else {
    TGraphic::Assign(Source);
  }
}

void TRasterGraphic::AssignTo(TPersistent* Dest) {
  if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
    if (Empty()) {
      b->SetHandle(nullptr);
      return;
    }
    GraphicsInternal::SetBitmapPixels(b, FImpl->image, FImpl->image.hasAlphaChannel() ? pf32bit : pf24bit);
    return;
  }
  TGraphic::AssignTo(Dest);
}

void TPngImage::Decode(const std::vector<uint8_t>& Bytes) {
  PictureCodecs::DecodeResult r = PictureCodecs::DecodePng(Bytes);
  if (!r.ok()) throw EInvalidGraphic("PNG image is not valid (" + r.error + ")");
  FImpl->image = r.hasAlpha ? r.image.convertToFormat(QImage::Format_ARGB32) : r.image.convertToFormat(QImage::Format_RGB32);
}

void TPngImage::SaveToStream(TStream* Stream) {
  std::vector<uint8_t> bytes;
  if (Empty() || !PictureCodecs::EncodePng(FImpl->image, bytes)) throw EInvalidGraphicOperation("Cannot write the PNG image");
  Stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TJPEGImage::Decode(const std::vector<uint8_t>& Bytes) {
  PictureCodecs::DecodeResult r = PictureCodecs::DecodeJpeg(Bytes);
  if (!r.ok()) throw EInvalidGraphic("JPEG image is not valid (" + r.error + ")");
  FImpl->image = r.image.convertToFormat(QImage::Format_RGB32);
}

void TJPEGImage::SaveToStream(TStream* Stream) {
  std::vector<uint8_t> bytes;
  if (Empty() || !PictureCodecs::EncodeJpeg(FImpl->image, FQuality, bytes))
    throw EInvalidGraphicOperation("Cannot write the JPEG image");
  Stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TGIFImage::Decode(const std::vector<uint8_t>& Bytes) {
  PictureCodecs::DecodeResult r = PictureCodecs::DecodeGif(Bytes);
  if (!r.ok()) throw EInvalidGraphic("GIF image is not valid (" + r.error + ")");
  FImpl->image = r.hasAlpha ? r.image.convertToFormat(QImage::Format_ARGB32) : r.image.convertToFormat(QImage::Format_RGB32);
  FTransparent = r.hasAlpha;
}

void TGIFImage::SaveToStream(TStream*) { throw ENotSupportedException("Writing GIF images is not supported"); }

// ---------------------------------------------------------------------------------------------------
// Unit start-up

namespace GraphicsUnit {
void Initialize() {
  // Saves go through the replace-file helper; a file-size limit must fail the save, not end the program
  // with the work that was not saved yet.
  PictureFiles::IgnoreFileSizeSignal();
  TPicture::RegisterFileFormat<TBitmap>("bmp", "Bitmaps");
}
void Finalize() { TPicture::UnregisterGraphicClass(TBitmap::StaticClass()); }
}  // namespace GraphicsUnit

namespace PngImageUnit {
void Initialize() { TPicture::RegisterFileFormat<TPngImage>("PNG", "Portable Network Graphics"); }
void Finalize() { TPicture::UnregisterGraphicClass(TPngImage::StaticClass()); }
}  // namespace PngImageUnit

namespace JpegUnit {
void Initialize() {
  TPicture::RegisterFileFormat<TJPEGImage>("jpg", "JPEG Image File");
  TPicture::RegisterFileFormat<TJPEGImage>("jpeg", "JPEG Image File");
}
void Finalize() { TPicture::UnregisterGraphicClass(TJPEGImage::StaticClass()); }
}  // namespace JpegUnit

namespace GifImageUnit {
void Initialize() { TPicture::RegisterFileFormat<TGIFImage>("gif", "GIF Image"); }
void Finalize() { TPicture::UnregisterGraphicClass(TGIFImage::StaticClass()); }
}  // namespace GifImageUnit
