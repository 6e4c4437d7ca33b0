// The clipboard: the Win32 clipboard functions over blocks of bytes kept by a replaceable backend.
#include "platform/win/clipboard.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace win {

void MemoryClipboard::Publish(const std::map<UINT, std::string>& Blocks_, HBITMAP Bitmap_) {
  Blocks = Blocks_;
  Bitmap = Bitmap_;
  OthersCopied = false;
  ++Publications;
}

void MemoryClipboard::Publish(std::map<UINT, std::string>&& Blocks_, HBITMAP Bitmap_) {
  Blocks = std::move(Blocks_);
  Bitmap = Bitmap_;
  OthersCopied = false;
  ++Publications;
}

std::vector<UINT> MemoryClipboard::Formats() {
  std::vector<UINT> f;
  for (auto& [id, bytes] : Blocks) f.push_back(id);
  if (Bitmap && !OthersCopied) f.push_back(CF_BITMAP);
  return f;
}

bool MemoryClipboard::Read(UINT Format, std::string& Bytes) {
  auto it = Blocks.find(Format);
  if (it == Blocks.end()) return false;
  Bytes = it->second;
  return true;
}

namespace {

struct ClipState {
  bool open = false;
  bool changed = false;                 // set or emptied since it was opened
  std::map<UINT, std::string> pending;  // the contents being built while changed
  std::map<UINT, HANDLE> handedOut;     // blocks given out by GetClipboardData
  HBITMAP bitmap = nullptr;             // CF_BITMAP stays inside the program
  std::map<std::string, UINT> ids;
  std::map<UINT, std::string> names;
  UINT nextFormat = 0xC000;
  MemoryClipboard builtin;
  ClipboardBackend* backend = nullptr;
};

ClipState& Clip() {
  static ClipState c;
  return c;
}

ClipboardBackend& Backend() {
  ClipState& c = Clip();
  return c.backend ? *c.backend : c.builtin;
}

// The program's bitmap while it is still what the clipboard holds.
HBITMAP CurrentBitmap() {
  ClipState& c = Clip();
  if (c.bitmap && !(c.open && c.changed) && !Backend().StillPublished()) {
    DeleteObject(c.bitmap);
    c.bitmap = nullptr;
  }
  return c.bitmap;
}

void FreeHandedOut() {
  for (auto& [f, h] : Clip().handedOut) GlobalFree(h);
  Clip().handedOut.clear();
}

// The formats as the program sees them now: what this opening built, else the backend's.
std::vector<UINT> CurrentFormats() {
  ClipState& c = Clip();
  if (c.open && c.changed) {
    std::vector<UINT> f;
    for (auto& [id, bytes] : c.pending) f.push_back(id);
    return f;
  }
  return Backend().Formats();
}

bool RawBlock(UINT Format, std::string& Bytes) {
  ClipState& c = Clip();
  if (c.open && c.changed) {
    auto it = c.pending.find(Format);
    if (it == c.pending.end()) return false;
    Bytes = it->second;
    return true;
  }
  return Backend().Read(Format, Bytes);
}

std::string TextToUnicode(const std::string& Text) {
  QString q = QString::fromUtf8(Text.data(), static_cast<qsizetype>(strnlen(Text.data(), Text.size())));
  std::string bytes(reinterpret_cast<const char*>(q.utf16()), static_cast<size_t>(q.size()) * 2);
  bytes.append(2, '\0');
  return bytes;
}

std::string UnicodeToText(const std::string& Bytes) {
  std::u16string u(Bytes.size() / 2, 0);
  std::memcpy(u.data(), Bytes.data(), u.size() * 2);
  size_t end = u.find(char16_t{0});
  if (end != std::u16string::npos) u.resize(end);
  std::string t = QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size())).toStdString();
  t.push_back('\0');
  return t;
}

// Starts changing the contents: what is there stays unless EmptyClipboard throws it away.
void BeginChange() {
  ClipState& c = Clip();
  if (c.changed) return;
  CurrentBitmap();  // a picture of ours that others replaced goes
  c.pending.clear();
  for (UINT f : Backend().Formats()) {
    std::string bytes;
    if (Backend().Read(f, bytes)) c.pending[f] = bytes;
  }
  c.changed = true;
}

}  // namespace

void InstallClipboardBackend(ClipboardBackend* Backend_) {
  ClipState& c = Clip();
  c.backend = Backend_;
  FreeHandedOut();
  if (c.bitmap) DeleteObject(c.bitmap);
  c.bitmap = nullptr;
  c.changed = false;
  c.pending.clear();
}

ClipboardBackend& CurrentClipboardBackend() { return Backend(); }

std::string ClipboardFormatName(UINT Format) {
  auto& names = Clip().names;
  auto it = names.find(Format);
  return it == names.end() ? std::string() : it->second;
}

bool SetClipboardBlock(UINT Format, std::string&& Bytes) {
  ClipState& c = Clip();
  if (!c.open || Format == CF_BITMAP) return false;
  BeginChange();
  c.pending[Format] = std::move(Bytes);
  return true;
}

bool ReadClipboardBlock(UINT Format, std::string& Bytes) {
  std::string raw;
  bool found = RawBlock(Format, raw);
  if (!found && Format == CF_UNICODETEXT && RawBlock(CF_TEXT, raw) && !raw.empty()) {
    raw = TextToUnicode(raw);
    found = true;
  } else if (!found && Format == CF_TEXT && RawBlock(CF_UNICODETEXT, raw) && raw.size() >= 2) {
    raw = UnicodeToText(raw);
    found = true;
  }
  if (!found || raw.empty()) return false;
  if (Format == CF_UNICODETEXT) {
    // A UTF-16 text is made of whole units: a stray last byte is no character.
    if (raw.size() < 2) return false;
    raw.resize(raw.size() & ~std::size_t{1});
  }
  Bytes = std::move(raw);
  return true;
}

}  // namespace win

using win::Clip;

BOOL OpenClipboard(HWND) {
  auto& c = Clip();
  if (c.open) return FALSE;
  win::FreeHandedOut();
  c.open = true;
  c.changed = false;
  c.pending.clear();
  return TRUE;
}

BOOL CloseClipboard() {
  auto& c = Clip();
  if (!c.open) return FALSE;
  c.open = false;
  if (c.changed) win::Backend().Publish(std::move(c.pending), c.bitmap);
  c.changed = false;
  c.pending.clear();
  return TRUE;
}

BOOL EmptyClipboard() {
  auto& c = Clip();
  if (!c.open) return FALSE;
  win::FreeHandedOut();
  if (c.bitmap) DeleteObject(c.bitmap);
  c.bitmap = nullptr;
  c.pending.clear();
  c.changed = true;
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  auto& c = Clip();
  if (!c.open || !data) return nullptr;
  if (format == CF_BITMAP) {
    win::BeginChange();
    if (c.bitmap && c.bitmap != data) DeleteObject(c.bitmap);
    c.bitmap = static_cast<HBITMAP>(data);
    return data;
  }
  auto g = static_cast<HGLOBAL>(data);
  const std::size_t size = GlobalSize(g);
  const char* p = static_cast<const char*>(GlobalLock(g));
  if (!GlobalUnlock(g) || (!p && size)) return nullptr;  // not a global block
  win::BeginChange();
  c.pending[format] = size ? std::string(p, size) : std::string();
  // The clipboard owns the block now; its bytes are kept, the block is not needed any more.
  GlobalFree(g);
  return data;
}

HANDLE GetClipboardData(UINT format) {
  auto& c = Clip();
  if (!c.open) return nullptr;
  if (format == CF_BITMAP) {
    // The program's own picture, else one another program copied (kept until the clipboard empties).
    if (!win::CurrentBitmap() && !c.changed) c.bitmap = win::Backend().ReadBitmap();
    return c.bitmap;
  }
  std::string bytes;
  if (!win::ReadClipboardBlock(format, bytes)) return nullptr;
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!g) return nullptr;
  std::memcpy(GlobalLock(g), bytes.data(), bytes.size());
  GlobalUnlock(g);
  auto it = c.handedOut.find(format);
  if (it != c.handedOut.end()) GlobalFree(it->second);
  c.handedOut[format] = g;
  return g;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  auto& c = Clip();
  std::vector<UINT> f = win::CurrentFormats();
  if (format == CF_BITMAP) {
    if (win::CurrentBitmap()) return TRUE;
    if (c.open && c.changed) return FALSE;
    return std::find(f.begin(), f.end(), CF_BITMAP) != f.end() ? TRUE : FALSE;
  }
  auto has = [&](UINT id) { return std::find(f.begin(), f.end(), id) != f.end(); };
  if (has(format)) return TRUE;
  if (format == CF_TEXT || format == CF_UNICODETEXT) return (has(CF_TEXT) || has(CF_UNICODETEXT)) ? TRUE : FALSE;
  return FALSE;
}

UINT RegisterClipboardFormat(LPCSTR name) {
  if (!name || !*name) return 0;
  auto& c = Clip();
  auto it = c.ids.find(name);
  if (it != c.ids.end()) return it->second;
  UINT id = c.nextFormat++;
  c.ids[name] = id;
  c.names[id] = name;
  return id;
}
