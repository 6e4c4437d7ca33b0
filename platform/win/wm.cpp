// Window manager: classes, window records, the tree, geometry, visibility, focus, capture, activation.
#include <QRegion>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/win/host.h"
#include "platform/win/internal.h"

namespace win::detail {

std::uintptr_t NewHandleValue() {
  static std::uintptr_t next = 0x10000;
  next += 4;
  return next;
}

State& S() {
  static State state;
  return state;
}

Window* W(HWND hwnd) {
  if (!hwnd) return nullptr;
  auto& m = S().windows;
  auto it = m.find(reinterpret_cast<std::uintptr_t>(hwnd));
  return it == m.end() ? nullptr : it->second.get();
}

Window* TopLevelOf(Window* w) {
  while (w && w->parent) w = w->parent;
  return w;
}

bool IsVisibleChain(const Window* w) {
  for (; w; w = w->parent)
    if (!(w->style & WS_VISIBLE)) return false;
  return true;
}

bool IsEnabledChain(const Window* w) {
  for (; w; w = w->parent)
    if (w->style & WS_DISABLED) return false;
  return true;
}

bool IsDescendant(const Window* ancestor, const Window* w) {
  for (; w; w = w->parent)
    if (w == ancestor) return true;
  return false;
}

QPoint WindowOriginInBuffer(const Window* w) {
  if (!w->parent) return QPoint(0, 0);
  return ClientOriginInBuffer(w->parent) + w->rect.topLeft();
}

QPoint ClientOriginInBuffer(const Window* w) { return WindowOriginInBuffer(w) + w->client.topLeft(); }

QPoint ClientOriginOnScreen(const Window* w) {
  const Window* top = w;
  while (top->parent) top = top->parent;
  return top->rect.topLeft() + ClientOriginInBuffer(w);
}

QRect ClientRectLocal(const Window* w) { return QRect(0, 0, w->client.width(), w->client.height()); }

void GeometryChanged() { ++S().geometryGen; }

QRegion VisibleRegion(const Window* w, bool clientOnly) {
  if (!IsVisibleChain(w)) return {};
  QPoint wo = WindowOriginInBuffer(w);
  QRegion r = clientOnly ? QRegion(QRect(wo + w->client.topLeft(), w->client.size()))
                         : QRegion(QRect(wo, w->rect.size()));
  // Ancestors clip to their client areas; siblings above each level are cut out. Shaped windows
  // (SetWindowRgn) clip to their shapes and cover only them.
  const Window* e = w;
  while (e) {
    const Window* p = e->parent;
    if (e->hasRegion) r &= e->region.translated(WindowOriginInBuffer(e));
    if (!p) {
      r &= QRect(QPoint(0, 0), e->rect.size());
      break;
    }
    QPoint po = ClientOriginInBuffer(p);
    r &= QRect(po, p->client.size());
    for (const Window* sib : p->children) {
      if (sib == e) break;
      if (sib->style & WS_VISIBLE) r -= WindowShape(sib).translated(po);
    }
    e = p;
  }
  if (w->style & WS_CLIPCHILDREN) {
    QPoint co = wo + w->client.topLeft();
    for (const Window* c : w->children)
      if (c->style & WS_VISIBLE) r -= WindowShape(c).translated(co);
  }
  return r;
}

void MarkDirty(Window* top, const QRect& rect) {
  if (!top || rect.isEmpty()) return;
  QRect& d = S().dirty[top->handle];
  d = d.united(rect);
}

void FlushDirty() {
  auto& st = S();
  if (st.dirty.empty()) return;
  auto dirty = std::move(st.dirty);
  st.dirty.clear();
  Host* host = CurrentHost();
  if (!host) return;
  for (auto& [h, r] : dirty) {
    Window* w = W(h);
    if (!w) continue;
    RECT rc{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    host->Repainted(h, rc);
  }
}

static void SortTopLevels() {
  auto& t = S().topLevels;
  std::stable_sort(t.begin(), t.end(), [](Window* a, Window* b) {
    return (a->exStyle & WS_EX_TOPMOST) && !(b->exStyle & WS_EX_TOPMOST);
  });
}

static std::vector<Window*>& SiblingList(Window* w) { return w->parent ? w->parent->children : S().topLevels; }

static void PlaceInZOrder(Window* w, HWND after) {
  auto& list = SiblingList(w);
  list.erase(std::remove(list.begin(), list.end(), w), list.end());
  if (after == HWND_BOTTOM) {
    list.push_back(w);
  } else if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST || !W(after)) {
    if (!w->parent && after == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
    if (!w->parent && after == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
    list.insert(list.begin(), w);
  } else {
    Window* a = W(after);
    auto it = std::find(list.begin(), list.end(), a);
    if (it == list.end())
      list.insert(list.begin(), w);
    else
      list.insert(it + 1, w);
  }
  if (!w->parent) SortTopLevels();
  GeometryChanged();
}

// ---- invalidation ------------------------------------------------------------------------------

void InvalidateRegion(Window* w, const QRegion& region, bool erase, ChildMode mode) {
  if (!w || !IsVisibleChain(w)) return;
  QRegion r = region & ClientRectLocal(w);
  if (!r.isEmpty()) {
    w->update |= r;
    if (erase) w->erase = true;
  }
  bool children = mode == ChildMode::All || (mode == ChildMode::Default && !(w->style & WS_CLIPCHILDREN));
  if (!children) return;
  for (Window* c : w->children) {
    if (!(c->style & WS_VISIBLE)) continue;
    QRegion cr = region & c->rect;
    if (cr.isEmpty()) continue;
    cr.translate(-c->rect.topLeft() - c->client.topLeft());
    if (c->client.size() != c->rect.size()) c->ncDirty = true;
    InvalidateRegion(c, cr, erase, mode == ChildMode::All ? ChildMode::All : ChildMode::Default);
  }
}

void InvalidateWholeWindow(Window* w) {
  if (!w) return;
  w->ncDirty = true;
  InvalidateRegion(w, QRegion(ClientRectLocal(w)), true, ChildMode::All);
}

void InvalidateParentArea(Window* w) {
  if (!w || !w->parent) return;
  InvalidateRegion(w->parent, QRegion(w->rect), true, ChildMode::All);
}

}  // namespace win::detail

using namespace win::detail;

// ---- classes -------------------------------------------------------------------------------------

static std::string Lower(const char* s) {
  std::string r = s ? s : "";
  for (auto& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

ATOM RegisterClass(const WNDCLASS* wc) {
  if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
  std::string key = Lower(wc->lpszClassName);
  auto& classes = S().classes;
  if (classes.count(key)) return 0;
  auto c = std::make_shared<WindowClass>();
  c->wc = *wc;
  c->name = wc->lpszClassName;
  if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) c->menuName = wc->lpszMenuName;
  c->wc.lpszClassName = nullptr;
  c->wc.lpszMenuName = nullptr;
  classes[key] = c;
  static ATOM atom = 0xC000;
  return ++atom;
}

BOOL UnregisterClass(LPCSTR className, HINSTANCE) { return S().classes.erase(Lower(className)) ? TRUE : FALSE; }

BOOL GetClassInfo(HINSTANCE, LPCSTR className, WNDCLASS* wc) {
  auto it = S().classes.find(Lower(className));
  if (it == S().classes.end()) return FALSE;
  if (wc) {
    *wc = it->second->wc;
    wc->lpszClassName = it->second->name.c_str();
  }
  return TRUE;
}

int GetClassName(HWND hwnd, LPSTR buffer, int size) {
  Window* w = W(hwnd);
  if (!w || !buffer || size <= 0) return 0;
  int n = std::min<int>(size - 1, static_cast<int>(w->cls->name.size()));
  std::memcpy(buffer, w->cls->name.data(), n);
  buffer[n] = 0;
  return n;
}

ULONG_PTR GetClassLongPtr(HWND hwnd, int index) {
  Window* w = W(hwnd);
  if (!w) return 0;
  switch (index) {
    case GCL_STYLE: return w->cls->wc.style;
    case GCLP_HCURSOR: return reinterpret_cast<ULONG_PTR>(w->cls->wc.hCursor);
    case GCLP_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(w->cls->wc.hbrBackground);
  }
  return 0;
}

ULONG_PTR SetClassLongPtr(HWND hwnd, int index, LONG_PTR value) {
  Window* w = W(hwnd);
  if (!w) return 0;
  ULONG_PTR old = GetClassLongPtr(hwnd, index);
  switch (index) {
    case GCL_STYLE: w->cls->wc.style = static_cast<UINT>(value); break;
    case GCLP_HCURSOR: w->cls->wc.hCursor = reinterpret_cast<HCURSOR>(value); break;
    case GCLP_HBRBACKGROUND: w->cls->wc.hbrBackground = reinterpret_cast<HBRUSH>(value); break;
  }
  return old;
}

// ---- creation and destruction --------------------------------------------------------------------

static void RecalcClient(Window* w) {
  NCCALCSIZE_PARAMS p;
  p.rgrc[0] = RECT{w->rect.left(), w->rect.top(), w->rect.left() + w->rect.width(),
                   w->rect.top() + w->rect.height()};
  SendMessage(w->handle, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&p.rgrc[0]));
  if (!W(w->handle)) return;
  RECT c = p.rgrc[0];
  int l = std::clamp<int>(c.left - w->rect.left(), 0, w->rect.width());
  int t = std::clamp<int>(c.top - w->rect.top(), 0, w->rect.height());
  int r = std::clamp<int>(c.right - w->rect.left(), l, w->rect.width());
  int b = std::clamp<int>(c.bottom - w->rect.top(), t, w->rect.height());
  w->client = QRect(l, t, r - l, b - t);
  GeometryChanged();
}

static void EnsureBuffer(Window* w) {
  if (w->parent) return;
  QSize sz = w->rect.size().expandedTo(QSize(1, 1));
  if (w->bufferImage ? w->bufferImage->size() == sz : w->bufferWanted && w->bufferSize == sz) return;
  // A fresh buffer of the new size, filled when it is first used (BackBuffer).
  w->bufferImage.reset();
  w->bufferWanted = true;
  w->bufferSize = sz;
  const COLORREF face = SysColor(COLOR_BTNFACE);
  w->bufferFill = QColor(GetRValue(face), GetGValue(face), GetBValue(face)).rgba();
}

QImage* win::detail::BackBuffer(Window* top) {
  if (!top || top->parent) return nullptr;
  if (!top->bufferImage && top->bufferWanted) {
    auto img = std::make_unique<QImage>(top->bufferSize, QImage::Format_RGB32);
    img->fill(QColor::fromRgba(top->bufferFill));
    top->bufferImage = std::move(img);
  }
  return top->bufferImage.get();
}

// Window positions and sizes live in the window system's 16-bit coordinate range. What a caller asks
// beyond it (a form stream with a Left near the integer limit or a Width of millions) is brought into
// that range, instead of overflowing the window's rectangle or sizing a back buffer by it.
static int ClampPosition(int v) { return std::clamp(v, -32768, 32767); }
static int ClampExtent(int v) { return std::clamp(v, 0, 32767); }

HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  auto& st = S();
  RegisterSystemClasses();
  auto it = st.classes.find(Lower(className));
  if (it == st.classes.end()) return nullptr;
  Window* parentW = W(parent);
  if ((style & WS_CHILD) && !parentW) return nullptr;

  auto rec = std::make_unique<Window>();
  Window* w = rec.get();
  w->handle = reinterpret_cast<HWND>(NewHandleValue());
  w->cls = it->second;
  w->proc = w->cls->wc.lpfnWndProc;
  w->style = style & ~WS_VISIBLE;
  w->exStyle = exStyle;
  w->instance = instance;
  w->extra.assign(std::max(0, w->cls->wc.cbWndExtra), 0);
  if (style & WS_CHILD) {
    w->parent = parentW;
    w->id = reinterpret_cast<LONG_PTR>(menu);
  } else {
    w->owner = parentW ? H(TopLevelOf(parentW)) : nullptr;
    if (!(style & WS_POPUP)) w->style |= WS_CLIPSIBLINGS | WS_CAPTION;
  }
  if (x == CW_USEDEFAULT) x = y = 100;
  if (width == CW_USEDEFAULT) width = 640, height = 480;
  x = ClampPosition(x), y = ClampPosition(y);
  width = ClampExtent(width), height = ClampExtent(height);
  w->rect = QRect(x, y, width, height);
  w->client = QRect(QPoint(0, 0), w->rect.size());
  HWND h = w->handle;
  st.windows[reinterpret_cast<std::uintptr_t>(h)] = std::move(rec);
  if (w->parent)
    w->parent->children.insert(w->parent->children.begin(), w);
  else
    st.topLevels.insert(st.topLevels.begin(), w);
  if (!w->parent) SortTopLevels();
  GeometryChanged();

  CREATESTRUCT cs;
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = parent;
  cs.cx = width;
  cs.cy = height;
  cs.x = x;
  cs.y = y;
  cs.style = static_cast<LONG>(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;
  if (!SendMessage(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    DestroyWindow(h);
    return nullptr;
  }
  if (!W(h)) return nullptr;
  RecalcClient(w);
  if (!W(h)) return nullptr;
  EnsureBuffer(w);
  if (!w->parent)
    if (auto* host = win::CurrentHost()) host->TopLevelCreated(h);
  if (SendMessage(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(h);
    return nullptr;
  }
  if (!W(h)) return nullptr;
  w->created = true;
  SendMessage(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->client.width(), w->client.height()));
  if (!W(h)) return nullptr;
  QPoint co = w->rect.topLeft() + w->client.topLeft();
  SendMessage(h, WM_MOVE, 0, MAKELPARAM(co.x(), co.y()));
  if (!W(h)) return nullptr;
  if (style & WS_VISIBLE) {
    if (w->parent)
      ShowWindow(h, SW_SHOWNA);
    else
      ShowWindow(h, SW_SHOW);
  }
  return W(h) ? h : nullptr;
}

static void DestroyTree(Window* w) {
  // WM_DESTROY goes to the parent before its children; WM_NCDESTROY after them.
  HWND h = w->handle;
  SendMessage(h, WM_DESTROY, 0, 0);
  if (!W(h)) return;
  auto children = w->children;
  for (Window* c : children) {
    if (W(c->handle) && !c->destroying) {
      c->destroying = true;
      DestroyTree(c);
    }
  }
  SendMessage(h, WM_NCDESTROY, 0, 0);
}

static void ForgetWindow(Window* w) {
  auto& st = S();
  HWND h = w->handle;
  if (st.focus == h) st.focus = nullptr;
  if (st.capture == h) st.capture = nullptr;
  if (st.active == h) st.active = nullptr;
  if (st.mouseTracked == h) st.mouseTracked = nullptr;
  if (st.hoverTracked == h) st.hoverTracked = nullptr;
  if (st.lastMouseWindow == h) st.lastMouseWindow = nullptr;
  if (st.drag.hwnd == h) st.drag = DragState{};
  if (st.scrollTrack.hwnd == h) st.scrollTrack = ScrollTrack{};
  CaretForget(h);
  ImeForget(h);
  KillWindowTimers(h);
  RemoveWindowMessages(h);
  st.dirty.erase(h);
  for (Window* c : std::vector<Window*>(w->children)) ForgetWindow(c);
  auto& list = SiblingList(w);
  list.erase(std::remove(list.begin(), list.end(), w), list.end());
  st.windows.erase(reinterpret_cast<std::uintptr_t>(h));
}

BOOL DestroyWindow(HWND hwnd) {
  Window* w = W(hwnd);
  if (!w) return FALSE;
  auto& st = S();
  // Owned top-level windows go first.
  if (!w->parent) {
    std::vector<HWND> owned;
    for (Window* t : st.topLevels)
      if (t->owner == hwnd) owned.push_back(t->handle);
    for (HWND o : owned) DestroyWindow(o);
    w = W(hwnd);
    if (!w) return TRUE;
  }
  if (w->destroying) return TRUE;  // already on its way out
  w->destroying = true;
  bool wasVisible = IsVisibleChain(w);
  if (wasVisible) {
    if (w->parent) {
      InvalidateParentArea(w);
    }
    w->style &= ~WS_VISIBLE;
    GeometryChanged();
  }
  HWND focus = st.focus;
  if (focus && IsDescendant(w, W(focus))) {
    // The focus window is going away: it loses the focus first.
    st.focus = nullptr;
    SendMessage(focus, WM_KILLFOCUS, 0, 0);
  }
  if (st.capture && IsDescendant(w, W(st.capture))) ReleaseCapture();
  bool wasTop = !w->parent;
  bool wasActive = st.active == hwnd;
  HWND owner = w->owner;
  if (wasTop)
    if (auto* host = win::CurrentHost()) host->TopLevelHidden(hwnd);
  DestroyTree(w);
  w = W(hwnd);
  if (w) ForgetWindow(w);
  GeometryChanged();
  if (wasTop) {
    if (auto* host = win::CurrentHost()) host->TopLevelDestroyed(hwnd);
    if (wasActive) {
      st.active = nullptr;
      HWND next = nullptr;
      if (W(owner) && IsVisibleChain(W(owner))) next = owner;
      for (Window* t : st.topLevels)
        if (!next && (t->style & WS_VISIBLE) && !(t->style & WS_DISABLED)) next = t->handle;
      if (next) SetActiveWindow(next);
    }
  }
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return W(hwnd) ? TRUE : FALSE; }

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

// ---- tree ---------------------------------------------------------------------------------------

HWND GetParent(HWND hwnd) {
  Window* w = W(hwnd);
  if (!w) return nullptr;
  return w->parent ? w->parent->handle : w->owner;
}

HWND SetParent(HWND child, HWND newParent) {
  Window* w = W(child);
  Window* p = W(newParent);
  if (!w || w == p || (p && IsDescendant(w, p))) return nullptr;
  HWND old = GetParent(child);
  bool vis = IsVisibleChain(w);
  if (vis) InvalidateParentArea(w);
  auto& list = SiblingList(w);
  list.erase(std::remove(list.begin(), list.end(), w), list.end());
  if (!w->parent) {
    if (auto* host = win::CurrentHost()) host->TopLevelDestroyed(child);
  }
  if (p) {
    w->parent = p;
    w->owner = nullptr;
    w->style = (w->style & ~WS_POPUP) | WS_CHILD;
    w->bufferImage.reset();
    w->bufferWanted = false;
    p->children.insert(p->children.begin(), w);
  } else {
    w->parent = nullptr;
    w->style &= ~WS_CHILD;
    S().topLevels.insert(S().topLevels.begin(), w);
    EnsureBuffer(w);
    if (auto* host = win::CurrentHost()) host->TopLevelCreated(child);
  }
  GeometryChanged();
  if (IsVisibleChain(w)) InvalidateWholeWindow(w);
  return old;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  Window* w = W(hwnd);
  if (!w) return nullptr;
  switch (flags) {
    case GA_PARENT: return w->parent ? w->parent->handle : GetDesktopWindow();
    case GA_ROOT: return TopLevelOf(w)->handle;
    case GA_ROOTOWNER: {
      Window* t = TopLevelOf(w);
      while (t && W(t->owner)) t = W(t->owner);
      return H(t);
    }
  }
  return nullptr;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  Window* w = W(hwnd);
  if (!w) return nullptr;
  if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front()->handle;
  if (cmd == GW_OWNER) return w->parent ? nullptr : w->owner;
  auto& list = SiblingList(w);
  auto it = std::find(list.begin(), list.end(), w);
  switch (cmd) {
    case GW_HWNDFIRST: return list.front()->handle;
    case GW_HWNDLAST: return list.back()->handle;
    case GW_HWNDNEXT: return (it + 1) != list.end() ? (*(it + 1))->handle : nullptr;
    case GW_HWNDPREV: return it != list.begin() ? (*(it - 1))->handle : nullptr;
  }
  return nullptr;
}

HWND GetTopWindow(HWND hwnd) {
  if (!hwnd) return S().topLevels.empty() ? nullptr : S().topLevels.front()->handle;
  return GetWindow(hwnd, GW_CHILD);
}

HWND GetNextWindow(HWND hwnd, UINT cmd) { return GetWindow(hwnd, cmd); }

BOOL IsChild(HWND parent, HWND hwnd) {
  Window* p = W(parent);
  Window* w = W(hwnd);
  if (!p || !w || p == w) return FALSE;
  return IsDescendant(p, w) ? TRUE : FALSE;
}

static bool EnumChildrenRec(Window* w, WNDENUMPROC proc, LPARAM lParam) {
  std::vector<HWND> kids;
  for (Window* c : w->children) kids.push_back(c->handle);
  for (HWND k : kids) {
    Window* c = W(k);
    if (!c) continue;
    if (!proc(k, lParam)) return false;
    if ((c = W(k)) && !EnumChildrenRec(c, proc, lParam)) return false;
  }
  return true;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
  Window* w = W(parent);
  if (!w || !proc) return FALSE;
  EnumChildrenRec(w, proc, lParam);
  return TRUE;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
  if (!proc) return FALSE;
  std::vector<HWND> tops;
  for (Window* t : S().topLevels) tops.push_back(t->handle);
  for (HWND t : tops)
    if (W(t) && !proc(t, lParam)) break;
  return TRUE;
}

HWND GetDesktopWindow() { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x10)); }

HWND GetDlgItem(HWND parent, int id) {
  Window* w = W(parent);
  if (!w) return nullptr;
  for (Window* c : w->children)
    if (c->id == id) return c->handle;
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  Window* w = W(hwnd);
  return w && w->parent ? static_cast<int>(w->id) : 0;
}

// ---- long values, properties, text ------------------------------------------------------------------

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
  Window* w = W(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWL_STYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(static_cast<LONG>(w->exStyle));
    case GWLP_ID: return w->id;
    case GWLP_USERDATA: return w->userData;
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(GetParent(hwnd));
  }
  if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
    LONG_PTR v;
    std::memcpy(&v, w->extra.data() + index, sizeof v);
    return v;
  }
  return 0;
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
  Window* w = W(hwnd);
  if (!w) return 0;
  LONG_PTR old = GetWindowLongPtr(hwnd, index);
  switch (index) {
    case GWL_STYLE: {
      DWORD ns = static_cast<DWORD>(value);
      DWORD visible = w->style & WS_VISIBLE;
      w->style = (ns & ~WS_VISIBLE) | visible;  // visibility changes through ShowWindow only
      if (ns & WS_VISIBLE && !visible) ShowWindow(hwnd, SW_SHOWNA);
      if (!(ns & WS_VISIBLE) && visible) ShowWindow(hwnd, SW_HIDE);
      GeometryChanged();
      return old;
    }
    case GWL_EXSTYLE: w->exStyle = static_cast<DWORD>(value); GeometryChanged(); return old;
    case GWLP_ID: w->id = value; return old;
    case GWLP_USERDATA: w->userData = value; return old;
    case GWLP_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); return old;
    case GWLP_HWNDPARENT:
      if (!w->parent) w->owner = reinterpret_cast<HWND>(value);
      return old;
  }
  if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= w->extra.size())
    std::memcpy(w->extra.data() + index, &value, sizeof value);
  return old;
}

LONG GetWindowLong(HWND hwnd, int index) { return static_cast<LONG>(GetWindowLongPtr(hwnd, index)); }
LONG SetWindowLong(HWND hwnd, int index, LONG value) {
  if (index == GWL_STYLE || index == GWL_EXSTYLE)
    return static_cast<LONG>(SetWindowLongPtr(hwnd, index, static_cast<LONG_PTR>(static_cast<DWORD>(value))));
  return static_cast<LONG>(SetWindowLongPtr(hwnd, index, value));
}

BOOL SetProp(HWND hwnd, LPCSTR name, HANDLE data) {
  Window* w = W(hwnd);
  if (!w || !name) return FALSE;
  w->props[name] = data;
  return TRUE;
}
HANDLE GetProp(HWND hwnd, LPCSTR name) {
  Window* w = W(hwnd);
  if (!w || !name) return nullptr;
  auto it = w->props.find(name);
  return it == w->props.end() ? nullptr : it->second;
}
HANDLE RemoveProp(HWND hwnd, LPCSTR name) {
  Window* w = W(hwnd);
  if (!w || !name) return nullptr;
  auto it = w->props.find(name);
  if (it == w->props.end()) return nullptr;
  HANDLE h = it->second;
  w->props.erase(it);
  return h;
}

BOOL SetWindowText(HWND hwnd, LPCSTR text) {
  if (!W(hwnd)) return FALSE;
  return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}
int GetWindowText(HWND hwnd, LPSTR buffer, int size) {
  if (!W(hwnd) || !buffer || size <= 0) return 0;
  return static_cast<int>(SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}
int GetWindowTextLength(HWND hwnd) {
  if (!W(hwnd)) return 0;
  return static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

// ---- visibility and state ------------------------------------------------------------------------

BOOL ShowWindow(HWND hwnd, int cmd) {
  Window* w = W(hwnd);
  if (!w) return FALSE;
  bool was = (w->style & WS_VISIBLE) != 0;
  bool show = cmd != SW_HIDE;
  const bool wasNormal = !(w->style & (WS_MAXIMIZE | WS_MINIMIZE));
  if (cmd == SW_MAXIMIZE && !w->parent) {
    RECT wa = win::CurrentHost() ? win::CurrentHost()->WorkArea() : RECT{0, 0, 1280, 984};
    if (wasNormal) {
      w->normalRect = w->rect;
      w->hasNormal = true;
    }
    w->style |= WS_MAXIMIZE;
    SetWindowPos(hwnd, nullptr, wa.left, wa.top, wa.right - wa.left, wa.bottom - wa.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  } else if (cmd == SW_RESTORE || cmd == SW_SHOWNORMAL) {
    w->style &= ~(WS_MAXIMIZE | WS_MINIMIZE);
    // A maximised or minimised top-level window comes back to the bounds it had.
    if (!wasNormal && !w->parent && w->hasNormal) {
      w->hasNormal = false;
      const QRect n = w->normalRect;
      SetWindowPos(hwnd, nullptr, n.x(), n.y(), n.width(), n.height(), SWP_NOZORDER | SWP_NOACTIVATE);
      if (!(w = W(hwnd))) return FALSE;
    }
  } else if (cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED || cmd == SW_SHOWMINNOACTIVE) {
    if (wasNormal && !w->parent) {
      w->normalRect = w->rect;
      w->hasNormal = true;
    }
    w->style |= WS_MINIMIZE;
  }
  if (!W(hwnd)) return FALSE;
  if (show != was) {
    SendMessage(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (!(w = W(hwnd))) return was;
    if (show) {
      w->style |= WS_VISIBLE;
      GeometryChanged();
      InvalidateWholeWindow(w);
      if (!w->parent)
        if (auto* host = win::CurrentHost()) host->TopLevelShown(hwnd);
    } else {
      InvalidateParentArea(w);
      w->style &= ~WS_VISIBLE;
      GeometryChanged();
      if (!w->parent) {
        if (auto* host = win::CurrentHost()) host->TopLevelHidden(hwnd);
        if (S().active == hwnd) {
          HWND next = W(w->owner) && IsVisibleChain(W(w->owner)) ? w->owner : nullptr;
          if (next)
            SetActiveWindow(next);
          else {
            SendMessage(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
            S().active = nullptr;
          }
        }
      }
      if (S().focus && IsDescendant(w, W(S().focus)) && w->parent) {
        // Hidden controls keep no keyboard focus: it goes to the parent.
        SetFocus(w->parent->handle);
      }
    }
  }
  if (show && !w->parent && cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE && cmd != SW_SHOWMINNOACTIVE &&
      !(w->exStyle & WS_EX_NOACTIVATE))
    SetActiveWindow(hwnd);
  return was ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
  Window* w = W(hwnd);
  return w && IsVisibleChain(w) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  Window* w = W(hwnd);
  if (!w) return FALSE;
  bool wasDisabled = (w->style & WS_DISABLED) != 0;
  if (enable && wasDisabled) {
    w->style &= ~WS_DISABLED;
    SendMessage(hwnd, WM_ENABLE, TRUE, 0);
  } else if (!enable && !wasDisabled) {
    SendMessage(hwnd, WM_CANCELMODE, 0, 0);
    if (!(w = W(hwnd))) return FALSE;
    w->style |= WS_DISABLED;
    if (S().capture && IsDescendant(w, W(S().capture))) ReleaseCapture();
    SendMessage(hwnd, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Window* w = W(hwnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}
BOOL IsIconic(HWND hwnd) {
  Window* w = W(hwnd);
  return w && (w->style & WS_MINIMIZE) ? TRUE : FALSE;
}
BOOL IsZoomed(HWND hwnd) {
  Window* w = W(hwnd);
  return w && (w->style & WS_MAXIMIZE) ? TRUE : FALSE;
}

// ---- position -------------------------------------------------------------------------------------

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Window* w = W(hwnd);
  if (!w) return FALSE;
  WINDOWPOS wp;
  wp.hwnd = hwnd;
  wp.hwndInsertAfter = insertAfter;
  wp.x = (flags & SWP_NOMOVE) ? w->rect.x() : x;
  wp.y = (flags & SWP_NOMOVE) ? w->rect.y() : y;
  wp.cx = (flags & SWP_NOSIZE) ? w->rect.width() : std::max(0, cx);
  wp.cy = (flags & SWP_NOSIZE) ? w->rect.height() : std::max(0, cy);
  wp.flags = flags;
  if (!(flags & SWP_NOSENDCHANGING)) {
    SendMessage(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    if (!(w = W(hwnd))) return FALSE;
  }
  QRect oldRect = w->rect;
  QRect oldClient = w->client;
  wp.x = ClampPosition(wp.x), wp.y = ClampPosition(wp.y);
  wp.cx = ClampExtent(wp.cx), wp.cy = ClampExtent(wp.cy);
  QRect newRect(wp.x, wp.y, wp.cx, wp.cy);
  bool moved = newRect.topLeft() != oldRect.topLeft();
  bool sized = newRect.size() != oldRect.size();
  bool visible = IsVisibleChain(w);
  bool redraw = !(wp.flags & SWP_NOREDRAW);
  if ((moved || sized) && visible && redraw) InvalidateParentArea(w);
  w->rect = newRect;
  if (sized || (wp.flags & SWP_FRAMECHANGED)) RecalcClient(w);
  if (!(w = W(hwnd))) return FALSE;
  if (!(wp.flags & SWP_NOZORDER)) PlaceInZOrder(w, wp.hwndInsertAfter);
  GeometryChanged();
  if (!w->parent) EnsureBuffer(w);
  if ((moved || sized || (wp.flags & SWP_FRAMECHANGED) || !(wp.flags & SWP_NOZORDER)) && visible && redraw) {
    InvalidateWholeWindow(w);
  }
  if (sized && w->cls && (w->cls->wc.style & (CS_HREDRAW | CS_VREDRAW))) InvalidateWholeWindow(w);
  if (wp.flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (wp.flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (wp.flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  if (!(w = W(hwnd))) return FALSE;
  if (!w->parent) {
    if (auto* host = win::CurrentHost()) {
      RECT r{w->rect.left(), w->rect.top(), w->rect.left() + w->rect.width(), w->rect.top() + w->rect.height()};
      if (moved) host->TopLevelMoved(hwnd, r);
      if (sized) host->TopLevelResized(hwnd, r);
    }
  }
  if (moved || sized || (wp.flags & SWP_FRAMECHANGED) || w->client != oldClient) {
    WINDOWPOS done = wp;
    done.x = w->rect.x();
    done.y = w->rect.y();
    done.cx = w->rect.width();
    done.cy = w->rect.height();
    if (!moved) done.flags |= SWP_NOMOVE;
    if (!sized && w->client.size() == oldClient.size()) done.flags |= SWP_NOSIZE;
    SendMessage(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&done));
  }
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement) {
  Window* w = W(hwnd);
  if (!w || !placement) return FALSE;
  placement->flags = 0;
  placement->showCmd = (w->style & WS_MAXIMIZE)   ? SW_SHOWMAXIMIZED
                       : (w->style & WS_MINIMIZE) ? SW_SHOWMINIMIZED
                                                  : SW_SHOWNORMAL;
  placement->ptMinPosition = POINT{-1, -1};
  placement->ptMaxPosition = POINT{-1, -1};
  if (placement->showCmd != SW_SHOWNORMAL && w->hasNormal) {
    const QRect n = w->normalRect;
    placement->rcNormalPosition = RECT{n.x(), n.y(), n.x() + n.width(), n.y() + n.height()};
  } else {
    GetWindowRect(hwnd, &placement->rcNormalPosition);
  }
  return TRUE;
}

BOOL SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT* placement) {
  Window* w = W(hwnd);
  if (!w || !placement) return FALSE;
  const RECT& r = placement->rcNormalPosition;
  if (w->style & (WS_MAXIMIZE | WS_MINIMIZE)) {
    w->normalRect = QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    w->hasNormal = true;
  } else {
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!W(hwnd)) return FALSE;
  }
  const UINT now = (w->style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : (w->style & WS_MINIMIZE) ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
  if (placement->showCmd != 0 && placement->showCmd != now)
    ShowWindow(hwnd, placement->showCmd == SW_SHOWNORMAL ? SW_RESTORE : static_cast<int>(placement->showCmd));
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  Window* w = W(hwnd);
  if (!w || !rect) return FALSE;
  QPoint o = w->parent ? ClientOriginOnScreen(w->parent) + w->rect.topLeft() : w->rect.topLeft();
  *rect = RECT{o.x(), o.y(), o.x() + w->rect.width(), o.y() + w->rect.height()};
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  Window* w = W(hwnd);
  if (!w || !rect) return FALSE;
  *rect = RECT{0, 0, w->client.width(), w->client.height()};
  return TRUE;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL, DWORD exStyle) {
  if (!rect) return FALSE;
  // Top-level frames are drawn by the host; only child-style borders take room.
  if (style & WS_CHILD || style & WS_POPUP) {
    int b = (exStyle & WS_EX_CLIENTEDGE) ? 2 : 0;
    if (style & WS_BORDER) b += 1;
    InflateRect(rect, b, b);
  }
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* pt) {
  Window* w = W(hwnd);
  if (!w || !pt) return FALSE;
  QPoint o = ClientOriginOnScreen(w);
  pt->x += o.x();
  pt->y += o.y();
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* pt) {
  Window* w = W(hwnd);
  if (!w || !pt) return FALSE;
  QPoint o = ClientOriginOnScreen(w);
  pt->x -= o.x();
  pt->y -= o.y();
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  QPoint a = W(from) ? ClientOriginOnScreen(W(from)) : QPoint();
  QPoint b = W(to) ? ClientOriginOnScreen(W(to)) : QPoint();
  QPoint d = a - b;
  for (UINT i = 0; i < count; ++i) {
    points[i].x += d.x();
    points[i].y += d.y();
  }
  return static_cast<int>(MAKELONG(static_cast<WORD>(d.x()), static_cast<WORD>(d.y())));
}

namespace win::detail {
// Deepest visible window under a screen point; `enabledOnly` stops at disabled children.
Window* HitWindow(QPoint screen, bool enabledOnly) {
  for (Window* t : S().topLevels) {
    if (!(t->style & WS_VISIBLE)) continue;
    if (t->exStyle & WS_EX_TRANSPARENT) continue;  // click-through (hints): the window below has it
    if (!WindowShape(t).contains(screen)) continue;
    Window* w = t;
    for (;;) {
      QPoint local = screen - ClientOriginOnScreen(w);
      if (!ClientRectLocal(w).contains(local)) break;
      Window* next = nullptr;
      for (Window* c : w->children) {
        if (!(c->style & WS_VISIBLE)) continue;
        if (enabledOnly && (c->style & WS_DISABLED)) continue;
        if (c->exStyle & WS_EX_TRANSPARENT) continue;
        if (c->rect.contains(local) && (!c->hasRegion || WindowShape(c).contains(local))) {
          next = c;
          break;
        }
      }
      if (!next) break;
      w = next;
    }
    return w;
  }
  return nullptr;
}
}  // namespace win::detail

HWND WindowFromPoint(POINT pt) { return H(HitWindow(QPoint(pt.x, pt.y), true)); }

HWND ChildWindowFromPointEx(HWND parent, POINT pt, UINT flags) {
  Window* w = W(parent);
  if (!w) return nullptr;
  QPoint p(pt.x, pt.y);
  if (!ClientRectLocal(w).contains(p)) return nullptr;
  for (Window* c : w->children) {
    if ((flags & CWP_SKIPINVISIBLE) && !(c->style & WS_VISIBLE)) continue;
    if ((flags & CWP_SKIPDISABLED) && (c->style & WS_DISABLED)) continue;
    if ((flags & CWP_SKIPTRANSPARENT) && (c->exStyle & WS_EX_TRANSPARENT)) continue;
    if (c->rect.contains(p)) return c->handle;
  }
  return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT pt) { return ChildWindowFromPointEx(parent, pt, CWP_ALL); }

// ---- focus, capture, activation ---------------------------------------------------------------------

HWND SetFocus(HWND hwnd) {
  auto& st = S();
  Window* w = W(hwnd);
  if (hwnd && !w) return nullptr;
  HWND old = st.focus;
  if (hwnd == old) return old;
  if (w) {
    HWND top = H(TopLevelOf(w));
    if (st.active != top) SetActiveWindow(top);
    if (!W(hwnd)) return nullptr;
    if (st.focus == hwnd) return old;
  }
  old = st.focus;
  if (old && W(old)) {
    st.focus = nullptr;
    struct Leaving {
      HWND outer;
      ~Leaving() { S().focusLeaving = outer; }
    } leaving{st.focusLeaving};
    st.focusLeaving = old;
    SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    // A window that refuses to let the focus go takes it back while it is told to lose it (or gives it
    // elsewhere): that choice stands, and the window asked for never gets the focus.
    if (st.focus) return old;
  }
  if (hwnd && !W(hwnd)) return old;
  // Focused while another window is being told it loses the focus: that window is the one left.
  HWND from = old ? old : st.focusLeaving;
  st.focus = hwnd;
  if (hwnd) SendMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(from), 0);
  return old;
}

HWND GetFocus() { return S().focus; }

HWND SetCapture(HWND hwnd) {
  auto& st = S();
  if (!W(hwnd)) return st.capture;
  HWND old = st.capture;
  if (old == hwnd) return old;
  st.capture = hwnd;
  if (old && W(old)) SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  if (auto* host = win::CurrentHost()) host->CaptureChanged(hwnd);
  return old;
}

BOOL ReleaseCapture() {
  auto& st = S();
  HWND old = st.capture;
  if (!old) return TRUE;
  st.capture = nullptr;
  if (W(old)) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
  if (auto* host = win::CurrentHost()) host->CaptureChanged(nullptr);
  return TRUE;
}

HWND GetCapture() { return S().capture; }

// WM_ACTIVATEAPP to every top-level window when the program as a whole gains or loses activation.
static void ActivateApp(bool active) {
  std::vector<HWND> tops;
  for (Window* t : S().topLevels) tops.push_back(t->handle);
  for (HWND t : tops)
    if (W(t)) SendMessage(t, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
}

static HWND ActivateInternal(HWND hwnd, WORD how) {
  auto& st = S();
  Window* w = W(hwnd);
  if (hwnd && !w) return st.active;
  if (w) w = TopLevelOf(w), hwnd = w->handle;
  HWND old = st.active;
  if (old == hwnd) return old;
  if (!old && hwnd) ActivateApp(true);
  if (old && W(old)) {
    SendMessage(old, WM_NCACTIVATE, FALSE, 0);
    SendMessage(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
  }
  st.active = hwnd;
  if (st.focus && W(st.focus) && TopLevelOf(W(st.focus))->handle != hwnd) {
    HWND f = st.focus;
    st.focus = nullptr;
    SendMessage(f, WM_KILLFOCUS, 0, 0);
  }
  if (hwnd && W(hwnd)) {
    PlaceInZOrder(W(hwnd), HWND_TOP);
    SendMessage(hwnd, WM_NCACTIVATE, TRUE, 0);
    SendMessage(hwnd, WM_ACTIVATE, MAKEWPARAM(how, 0), reinterpret_cast<LPARAM>(old));
    if (auto* host = win::CurrentHost()) host->TopLevelActivated(hwnd);
  }
  if (old && !hwnd) ActivateApp(false);
  return old;
}

namespace win::detail {
HWND ActivateFromClick(HWND top) { return ActivateInternal(top, WA_CLICKACTIVE); }
HWND DeactivateProgram() { return ActivateInternal(nullptr, WA_INACTIVE); }
}  // namespace win::detail

HWND SetActiveWindow(HWND hwnd) { return ActivateInternal(hwnd, WA_ACTIVE); }
HWND GetActiveWindow() { return S().active; }
BOOL SetForegroundWindow(HWND hwnd) {
  if (!W(hwnd)) return FALSE;
  SetActiveWindow(hwnd);
  return TRUE;
}
HWND GetForegroundWindow() { return S().active; }
