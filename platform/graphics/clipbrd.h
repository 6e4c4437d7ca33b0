#pragma once
// The clipboard as the class library offers it: text, bitmaps and blocks of bytes under any format
// through the Win32-level clipboard (platform/win/clipboard.h: the desktop's in the real program, a
// memory backend headless).

#include <string>

#include "platform/classes/classes.h"
#include "platform/win/windows.h"

class TClipboard : public TPersistent {
  DECLARE_CLASS(TClipboard, TPersistent)
  TClipboard() = default;
  ~TClipboard() override;

  // Nested opens are counted; the clipboard is closed with the last Close.
  void Open();
  void Close();
  void Clear();
  bool HasFormat(UINT Format) const;
  std::string AsText();
  void SetAsText(const std::string& Value);
  // Takes ownership of a bitmap handle (CF_BITMAP) or a global memory handle.
  void SetAsHandle(UINT Format, HANDLE Value);
  HANDLE GetAsHandle(UINT Format);
  // A block of bytes under a format; like every set, the first one after opening empties the clipboard.
  void SetBuffer(UINT Format, const void* Buffer, size_t Size);
  // The same for bytes the clipboard may take over whole (no copy of a large block).
  void SetBytes(UINT Format, std::string&& Bytes);
  // The block of a format; false when there is none, or one that is empty or too short for its format.
  bool GetBuffer(UINT Format, std::string& Bytes);

  // A bitmap or a picture's bitmap goes onto the clipboard as CF_BITMAP (a copy).
  void Assign(TPersistent* Source) override;

 protected:
  // The clipboard's bitmap into a TBitmap or a TPicture.
  void AssignTo(TPersistent* Dest) override;

 private:
  int FOpenCount = 0;
  bool FEmptied = false;
};

// The program's one clipboard object.
TClipboard* Clipboard();
