#include "platform/graphics/clipbrd.h"

#include <cstring>
#include <memory>

#include "platform/graphics/graphics.h"
#include "platform/win/clipboard.h"
#include "platform/rtl/sysutils.h"

TClipboard::~TClipboard() {
  if (FOpenCount > 0) ::CloseClipboard();
}

void TClipboard::Open() {
  if (FOpenCount == 0) {
    if (!::OpenClipboard(nullptr)) throw Exception("Cannot open clipboard");
    FEmptied = false;
  }
  ++FOpenCount;
}

void TClipboard::Close() {
  if (FOpenCount == 0) return;
  if (--FOpenCount == 0) ::CloseClipboard();
}

void TClipboard::Clear() {
  Open();
  ::EmptyClipboard();
  FEmptied = true;
  Close();
}

bool TClipboard::HasFormat(UINT Format) const { return ::IsClipboardFormatAvailable(Format) != FALSE; }

void TClipboard::SetAsHandle(UINT Format, HANDLE Value) {
  Open();
  // Setting a value replaces what others put there, as a copy to the clipboard does.
  if (!FEmptied) {
    ::EmptyClipboard();
    FEmptied = true;
  }
  if (!::SetClipboardData(Format, Value)) {
    Close();
    throw Exception("Cannot write to the clipboard");
  }
  Close();
}

HANDLE TClipboard::GetAsHandle(UINT Format) {
  Open();
  HANDLE h = ::GetClipboardData(Format);
  Close();
  return h;
}

void TClipboard::SetBuffer(UINT Format, const void* Buffer, size_t Size) {
  HGLOBAL g = ::GlobalAlloc(GMEM_MOVEABLE, Size);
  if (!g) throw EOutOfMemory("Out of memory");
  if (Size) std::memcpy(::GlobalLock(g), Buffer, Size);
  ::GlobalUnlock(g);
  try {
    SetAsHandle(Format, g);
  } catch (...) {
    ::GlobalFree(g);
    throw;
  }
}

void TClipboard::SetBytes(UINT Format, std::string&& Bytes) {
  Open();
  if (!FEmptied) {
    ::EmptyClipboard();
    FEmptied = true;
  }
  const bool Done = win::SetClipboardBlock(Format, std::move(Bytes));
  Close();
  if (!Done) throw Exception("Cannot write to the clipboard");
}

bool TClipboard::GetBuffer(UINT Format, std::string& Bytes) {
  Open();
  bool found = false;
  if (HGLOBAL g = static_cast<HGLOBAL>(::GetClipboardData(Format))) {
    if (const char* p = static_cast<const char*>(::GlobalLock(g))) {
      Bytes.assign(p, ::GlobalSize(g));
      found = true;
    }
    ::GlobalUnlock(g);
  }
  Close();
  return found;
}

std::string TClipboard::AsText() {
  Open();
  std::string text;
  if (HGLOBAL g = static_cast<HGLOBAL>(::GetClipboardData(CF_TEXT))) {
    // The text ends at its zero, or at the end of the block when another program left none.
    if (const char* p = static_cast<const char*>(::GlobalLock(g))) text.assign(p, strnlen(p, ::GlobalSize(g)));
    ::GlobalUnlock(g);
  }
  Close();
  return text;
}

void TClipboard::SetAsText(const std::string& Value) {
  HGLOBAL g = ::GlobalAlloc(GMEM_MOVEABLE, Value.size() + 1);
  if (!g) throw EOutOfMemory("Out of memory");
  std::memcpy(::GlobalLock(g), Value.c_str(), Value.size() + 1);
  ::GlobalUnlock(g);
  SetAsHandle(CF_TEXT, g);
}

void TClipboard::Assign(TPersistent* Source) {
  TBitmap* bitmap = dynamic_cast<TBitmap*>(Source);
  if (auto* picture = dynamic_cast<TPicture*>(Source)) bitmap = picture->Bitmap();
  if (!bitmap) {
    TPersistent::Assign(Source);
    return;
  }
  TBitmap copy;
  copy.Assign(bitmap);
  HBITMAP h = copy.ReleaseHandle();
  try {
    SetAsHandle(CF_BITMAP, h);
  } catch (...) {
    ::DeleteObject(h);
    throw;
  }
}

void TClipboard::AssignTo(TPersistent* Dest) {
  TBitmap* bitmap = dynamic_cast<TBitmap*>(Dest);
  if (auto* picture = dynamic_cast<TPicture*>(Dest)) bitmap = picture->Bitmap();
  if (!bitmap) {
    TPersistent::AssignTo(Dest);
    return;
  }
  HBITMAP h = static_cast<HBITMAP>(GetAsHandle(CF_BITMAP));
  if (!h) throw EInvalidGraphic("The clipboard holds no picture");
  // The clipboard keeps its handle: copy its pixels through a bitmap that borrows nothing.
  BITMAP info{};
  ::GetObject(h, sizeof info, &info);
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(info.bmWidth, info.bmHeight);
  HDC src = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(src, h);
  ::BitBlt(bitmap->Canvas()->Handle(), 0, 0, info.bmWidth, info.bmHeight, src, 0, 0, SRCCOPY);
  ::SelectObject(src, old);
  ::DeleteDC(src);
}

TClipboard* Clipboard() {
  static std::unique_ptr<TClipboard> clipboard = std::make_unique<TClipboard>();
  return clipboard.get();
}
