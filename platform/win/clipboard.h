// The clipboard service: blocks of bytes under format ids, kept by a replaceable backend.
//
// Format ids are the system's: CF_TEXT (text, zero-terminated; UTF-8 here), CF_UNICODETEXT (UTF-16,
// zero-terminated) and ids from 0xC000 up handed out by RegisterClipboardFormat for a name. The Win32
// functions (OpenClipboard, EmptyClipboard, SetClipboardData, GetClipboardData...) work through this
// service: a block given to SetClipboardData is copied out of its global memory, and GetClipboardData
// hands out a global block the clipboard owns until it is closed or emptied. Everything set between
// OpenClipboard and CloseClipboard reaches the backend at once on CloseClipboard, so the formats of
// one copy always stand together for other programs.
//
// CF_TEXT and CF_UNICODETEXT stand in for each other: either one reads as both. A block that is empty,
// or shorter than its format needs (a UTF-16 text needs one whole unit), reads as absent although its
// format is listed. A bitmap (CF_BITMAP) is a handle, not a block: the clipboard owns the one set on it
// and hands it to the backend with the blocks; a picture another program copied is read back through
// the backend as a new bitmap the clipboard owns. The program's own bitmap is dropped once the
// backend says others have copied since.
//
// The backend is what other programs see: the host installs one over the desktop's clipboard
// (platform/host/qt_clipboard.h); headless, and in tests, a MemoryClipboard keeps the blocks.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/win/windows.h"

namespace win {

class ClipboardBackend {
 public:
  virtual ~ClipboardBackend() = default;
  // Replaces the whole contents with these blocks and picture (borrowed; nullptr: none).
  virtual void Publish(const std::map<UINT, std::string>& Blocks, HBITMAP Bitmap) = 0;
  // The same with blocks the backend may keep without copying them (a large copy is not doubled).
  virtual void Publish(std::map<UINT, std::string>&& Blocks, HBITMAP Bitmap) {
    Publish(static_cast<const std::map<UINT, std::string>&>(Blocks), Bitmap);
  }
  // The formats present now (CF_BITMAP for a picture).
  virtual std::vector<UINT> Formats() = 0;
  // The bytes of one format; false when it is absent.
  virtual bool Read(UINT Format, std::string& Bytes) = 0;
  // Whether the contents are still the ones published last (nobody copied since).
  virtual bool StillPublished() { return true; }
  // A new bitmap of the picture there (the caller owns it), or nullptr.
  virtual HBITMAP ReadBitmap() { return nullptr; }
};

// Keeps the blocks in memory. Tests look at Blocks and Publications, or fill Blocks (and set
// OthersCopied) to play another program that copied something.
class MemoryClipboard : public ClipboardBackend {
 public:
  void Publish(const std::map<UINT, std::string>& Blocks, HBITMAP Bitmap) override;
  void Publish(std::map<UINT, std::string>&& Blocks, HBITMAP Bitmap) override;
  std::vector<UINT> Formats() override;
  bool Read(UINT Format, std::string& Bytes) override;
  bool StillPublished() override { return !OthersCopied; }
  std::map<UINT, std::string> Blocks;
  HBITMAP Bitmap = nullptr;  // the last published picture (borrowed from the clipboard)
  int Publications = 0;
  bool OthersCopied = false;  // set by a test playing another program
};

// Borrowed; nullptr returns to the built-in memory clipboard. Forgets what the clipboard holds inside
// the program (bitmaps, blocks handed out).
void InstallClipboardBackend(ClipboardBackend* Backend);
ClipboardBackend& CurrentClipboardBackend();

// The name a format was registered under ("" for the predefined formats and unknown ids).
std::string ClipboardFormatName(UINT Format);

// SetClipboardData for a block the caller hands over whole (the clipboard must be open): the bytes are
// kept as they are, without a global block and without a copy. False when the clipboard is not open.
bool SetClipboardBlock(UINT Format, std::string&& Bytes);

// A block as the program reads it, with the stand-in rules of the header comment; false when absent.
// Works whether the clipboard is open or not.
bool ReadClipboardBlock(UINT Format, std::string& Bytes);

}  // namespace win
