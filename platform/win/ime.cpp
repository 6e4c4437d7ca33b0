// Keyboard layouts and input-method contexts: one layout; per-window contexts that can be removed and
// given back.
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/win/host.h"
#include "platform/win/internal.h"

using namespace win::detail;

namespace {

HKL Layout(unsigned id) { return reinterpret_cast<HKL>(static_cast<std::uintptr_t>(id)); }
const HKL kChinese = Layout(0x08040804u);
HKL g_current = kChinese;

struct Context {
  bool open = true;
  DWORD conversion = IME_CMODE_NATIVE;
  DWORD sentence = IME_SMODE_NONE;
  COMPOSITIONFORM form;
};

// One context per window; a window listed here with nullptr has had its context taken away.
std::map<HWND, HIMC>& Associations() {
  static std::map<HWND, HIMC> a;
  return a;
}
// The context each window was given first: its own, which IACE_DEFAULT gives back.
std::map<HWND, HIMC>& OwnContexts() {
  static std::map<HWND, HIMC> o;
  return o;
}
std::map<HIMC, Context>& Contexts() {
  static std::map<HIMC, Context> c;
  return c;
}

HIMC DefaultContext(HWND hwnd) {
  auto& a = Associations();
  auto it = a.find(hwnd);
  if (it != a.end()) return it->second;
  HIMC c = reinterpret_cast<HIMC>(NewHandleValue());
  Contexts()[c];
  a[hwnd] = c;
  OwnContexts()[hwnd] = c;
  return c;
}

Context* ContextOf(HIMC c) {
  auto it = Contexts().find(c);
  return it == Contexts().end() ? nullptr : &it->second;
}

}  // namespace

namespace win::detail {
void ImeForget(HWND hwnd) {
  Associations().erase(hwnd);
  auto& own = OwnContexts();
  auto it = own.find(hwnd);
  if (it == own.end()) return;
  HIMC c = it->second;
  own.erase(it);
  // The window's own context goes with it unless another window uses it now.
  for (auto& [h, other] : Associations())
    if (other == c) return;
  Contexts().erase(c);
}
}  // namespace win::detail

namespace win {
bool ImeEnabledFor(HWND hwnd) {
  if (!W(hwnd)) return false;
  auto& a = Associations();
  auto it = a.find(hwnd);
  if (it == a.end()) return true;
  Context* c = ContextOf(it->second);
  return c && c->open;
}
}  // namespace win

HKL GetKeyboardLayout(DWORD) { return g_current; }

int GetKeyboardLayoutList(int count, HKL* list) {
  if (count <= 0 || !list) return 1;
  list[0] = kChinese;
  return 1;
}

HKL ActivateKeyboardLayout(HKL layout, UINT) {
  if (layout != kChinese) return nullptr;  // the only layout there is
  HKL old = g_current;
  g_current = layout;
  return old;
}

HKL LoadKeyboardLayout(LPCSTR id, UINT flags) {
  if (!id) return nullptr;
  unsigned long v = std::strtoul(id, nullptr, 16);
  HKL h = Layout(static_cast<unsigned>((v << 16) | v));
  if (h != kChinese) return nullptr;
  if (flags & KLF_ACTIVATE) g_current = h;
  return h;
}

BOOL GetKeyboardLayoutName(LPSTR name) {
  if (!name) return FALSE;
  std::snprintf(name, 9, "%08X", static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(g_current) & 0xFFFF));
  return TRUE;
}

BOOL ImmIsIME(HKL layout) { return layout == kChinese ? TRUE : FALSE; }

UINT ImmGetDescription(HKL layout, LPSTR buffer, UINT size) {
  if (layout != kChinese) return 0;
  const char* text = "中文输入法";
  UINT n = static_cast<UINT>(std::strlen(text));
  if (!buffer || size == 0) return n;
  UINT m = std::min(n, size - 1);
  std::memcpy(buffer, text, m);
  buffer[m] = 0;
  return m;
}

HIMC ImmGetContext(HWND hwnd) { return W(hwnd) ? DefaultContext(hwnd) : nullptr; }
BOOL ImmReleaseContext(HWND, HIMC) { return TRUE; }

HIMC ImmAssociateContext(HWND hwnd, HIMC context) {
  if (!W(hwnd)) return nullptr;
  HIMC old = DefaultContext(hwnd);
  if (context && !ContextOf(context)) return nullptr;
  Associations()[hwnd] = context;
  return old;
}

BOOL ImmAssociateContextEx(HWND hwnd, HIMC context, DWORD flags) {
  if (!W(hwnd)) return FALSE;
  if (!(flags & IACE_DEFAULT)) {
    if (context && !ContextOf(context)) return FALSE;
    ImmAssociateContext(hwnd, context);
    return TRUE;
  }
  // The window's own context, kept while another (or none) was associated; made when it had none.
  auto& own = OwnContexts();
  auto it = own.find(hwnd);
  if (it == own.end() || !ContextOf(it->second)) {
    Associations().erase(hwnd);
    own.erase(hwnd);
    DefaultContext(hwnd);
    return TRUE;
  }
  Associations()[hwnd] = it->second;
  return TRUE;
}

BOOL ImmGetOpenStatus(HIMC c) {
  Context* x = ContextOf(c);
  return x && x->open ? TRUE : FALSE;
}
BOOL ImmSetOpenStatus(HIMC c, BOOL open) {
  Context* x = ContextOf(c);
  if (!x) return FALSE;
  x->open = open != FALSE;
  return TRUE;
}
BOOL ImmGetConversionStatus(HIMC c, DWORD* conversion, DWORD* sentence) {
  Context* x = ContextOf(c);
  if (!x) return FALSE;
  if (conversion) *conversion = x->conversion;
  if (sentence) *sentence = x->sentence;
  return TRUE;
}
BOOL ImmSetConversionStatus(HIMC c, DWORD conversion, DWORD sentence) {
  Context* x = ContextOf(c);
  if (!x) return FALSE;
  x->conversion = conversion;
  x->sentence = sentence;
  return TRUE;
}
BOOL ImmSetCompositionWindow(HIMC c, const COMPOSITIONFORM* form) {
  Context* x = ContextOf(c);
  if (!x || !form) return FALSE;
  x->form = *form;
  return TRUE;
}
BOOL ImmGetCompositionWindow(HIMC c, COMPOSITIONFORM* form) {
  Context* x = ContextOf(c);
  if (!x || !form) return FALSE;
  *form = x->form;
  return TRUE;
}
BOOL ImmSetCompositionFont(HIMC c, const LOGFONT* font) { return ContextOf(c) && font ? TRUE : FALSE; }
