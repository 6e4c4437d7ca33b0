// The desktop's clipboard as the clipboard service's backend (platform/win/clipboard.h).
//
// Formats travel as MIME types: CF_TEXT and CF_UNICODETEXT as text/plain in UTF-8, the formats
// registered as "Csv" and "Rich Text Format" as text/csv and text/rtf, every other registered
// format under a private type "application/x-tressora-clip.<name>" (the name percent-encoded) and the
// other predefined ids under "application/x-tressora-cf<id>". Text formats lose their terminating
// zero on the way out and get it back on the way in, so other programs see plain text. A bitmap goes
// as the clipboard's image, and an image another program copied comes back as a bitmap.
#pragma once

#include <string>

#include "platform/win/clipboard.h"

class QMimeData;

namespace host {

class QtClipboard : public win::ClipboardBackend {
 public:
  void Publish(const std::map<UINT, std::string>& Blocks, HBITMAP Bitmap) override;
  std::vector<UINT> Formats() override;
  bool Read(UINT Format, std::string& Bytes) override;
  bool StillPublished() override;
  HBITMAP ReadBitmap() override;

  // The MIME type a format travels under, and back (0 for a type the program does not take).
  static std::string MimeTypeOf(UINT Format);
  static UINT FormatOfMimeType(const std::string& Type);
  // The clipboard's contents for a set of blocks (the caller owns it), and the blocks of contents.
  static QMimeData* MakeMimeData(const std::map<UINT, std::string>& Blocks);
  static std::map<UINT, std::string> BlocksOf(const QMimeData* Data);

 private:
  const QMimeData* FPublished = nullptr;  // compared only, never used: Qt owns and frees it
};

}  // namespace host
