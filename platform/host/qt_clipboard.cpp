// The clipboard backend over the desktop's clipboard (QClipboard and QMimeData).
#include "platform/host/qt_clipboard.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QString>
#include <QStringList>

#include <cstring>
#include <set>

#include "platform/win/surface.h"

namespace host {

namespace {

const char* const kPrivatePrefix = "application/x-tressora-clip.";
const char* const kIdPrefix = "application/x-tressora-cf";

UINT CsvFormat() { return RegisterClipboardFormat("Csv"); }
UINT RtfFormat() { return RegisterClipboardFormat("Rich Text Format"); }

bool IsZeroEnded(UINT Format) { return Format == CsvFormat() || Format == RtfFormat(); }

}  // namespace

std::string QtClipboard::MimeTypeOf(UINT Format) {
  if (Format == CF_TEXT || Format == CF_UNICODETEXT) return "text/plain";
  if (Format == CsvFormat()) return "text/csv";
  if (Format == RtfFormat()) return "text/rtf";
  std::string name = win::ClipboardFormatName(Format);
  if (name.empty()) return kIdPrefix + std::to_string(Format);
  QByteArray enc = QByteArray::fromStdString(name).toPercentEncoding();
  return kPrivatePrefix + enc.toStdString();
}

UINT QtClipboard::FormatOfMimeType(const std::string& Type) {
  if (Type == "text/plain") return CF_TEXT;
  if (Type == "text/csv") return CsvFormat();
  if (Type == "text/rtf") return RtfFormat();
  if (Type.rfind(kPrivatePrefix, 0) == 0) {
    std::string name = QByteArray::fromPercentEncoding(QByteArray::fromStdString(Type.substr(std::strlen(kPrivatePrefix)))).toStdString();
    return RegisterClipboardFormat(name.c_str());
  }
  if (Type.rfind(kIdPrefix, 0) == 0) {
    try {
      return static_cast<UINT>(std::stoul(Type.substr(std::strlen(kIdPrefix))));
    } catch (...) {
      return 0;
    }
  }
  return 0;
}

QMimeData* QtClipboard::MakeMimeData(const std::map<UINT, std::string>& Blocks) {
  auto* data = new QMimeData;
  for (const auto& [format, bytes] : Blocks) {
    if (format == CF_TEXT) {
      data->setText(QString::fromUtf8(bytes.c_str()));
    } else if (format == CF_UNICODETEXT) {
      if (Blocks.count(CF_TEXT)) continue;  // the same text; CF_TEXT carries it
      std::u16string u(bytes.size() / 2, 0);
      std::memcpy(u.data(), bytes.data(), u.size() * 2);
      data->setText(QString::fromUtf16(u.c_str()));
    } else {
      // One copy of the block into the desktop's data (a large block is not copied twice on the way).
      size_t size = bytes.size();
      if (IsZeroEnded(format))
        while (size > 0 && bytes[size - 1] == '\0') --size;
      data->setData(QString::fromStdString(MimeTypeOf(format)), QByteArray(bytes.data(), static_cast<qsizetype>(size)));
    }
  }
  return data;
}

std::map<UINT, std::string> QtClipboard::BlocksOf(const QMimeData* Data) {
  std::map<UINT, std::string> blocks;
  if (!Data) return blocks;
  if (Data->hasText()) {
    std::string t = Data->text().toStdString();
    t.push_back('\0');
    blocks[CF_TEXT] = t;
  }
  for (const QString& type : Data->formats()) {
    UINT f = FormatOfMimeType(type.toStdString());
    if (!f || f == CF_TEXT) continue;
    QByteArray b = Data->data(type);
    std::string bytes(b.constData(), static_cast<size_t>(b.size()));
    if (IsZeroEnded(f)) bytes.push_back('\0');
    blocks[f] = bytes;
  }
  return blocks;
}

void QtClipboard::Publish(const std::map<UINT, std::string>& Blocks, HBITMAP Bitmap) {
  QClipboard* c = QGuiApplication::clipboard();
  if (!c) return;
  QMimeData* data = MakeMimeData(Blocks);
  if (Bitmap)
    if (const QImage* image = win::BitmapImage(Bitmap)) data->setImageData(image->copy());
  c->setMimeData(data);
  FPublished = data;
}

bool QtClipboard::StillPublished() {
  QClipboard* c = QGuiApplication::clipboard();
  return c && FPublished && c->mimeData() == FPublished;
}

HBITMAP QtClipboard::ReadBitmap() {
  QClipboard* c = QGuiApplication::clipboard();
  const QMimeData* data = c ? c->mimeData() : nullptr;
  if (!data || !data->hasImage()) return nullptr;
  QImage image = qvariant_cast<QImage>(data->imageData());
  if (image.isNull()) return nullptr;
  return win::CreateBitmapFromImage(image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32));
}

// The formats are listed and read one at a time from the desktop's data: asking whether a format is
// there (as every action update does) does not convert every block the clipboard holds.
std::vector<UINT> QtClipboard::Formats() {
  std::vector<UINT> f;
  QClipboard* c = QGuiApplication::clipboard();
  if (!c) return f;
  const QMimeData* data = c->mimeData();
  if (!data) return f;
  std::set<UINT> ids;
  if (data->hasText()) ids.insert(CF_TEXT);
  for (const QString& type : data->formats()) {
    const UINT id = FormatOfMimeType(type.toStdString());
    if (id && id != CF_TEXT) ids.insert(id);
  }
  f.assign(ids.begin(), ids.end());
  if (data->hasImage()) f.push_back(CF_BITMAP);
  return f;
}

bool QtClipboard::Read(UINT Format, std::string& Bytes) {
  QClipboard* c = QGuiApplication::clipboard();
  const QMimeData* data = c ? c->mimeData() : nullptr;
  if (!data || !Format) return false;
  if (Format == CF_TEXT) {
    if (!data->hasText()) return false;
    Bytes = data->text().toStdString();
    Bytes.push_back('\0');
    return true;
  }
  QString found;
  for (const QString& type : data->formats())
    if (FormatOfMimeType(type.toStdString()) == Format) found = type;  // the last one, as the blocks had it
  if (found.isEmpty()) return false;
  const QByteArray b = data->data(found);
  Bytes.assign(b.constData(), static_cast<size_t>(b.size()));
  if (IsZeroEnded(Format)) Bytes.push_back('\0');
  return true;
}

}  // namespace host
