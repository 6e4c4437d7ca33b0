// System colours and metrics, cursors and icons, rectangles, message boxes, the shell open call,
// module emulation and global memory (the clipboard is in clipboard.cpp).
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

#include "platform/win/dialogs.h"
#include "platform/win/host.h"
#include "platform/win/internal.h"
#include "platform/win/resources.h"
#include "platform/win/surface.h"

namespace win::detail {

// The classic light palette.
COLORREF SysColor(int index) {
  static const COLORREF colors[31] = {
      RGB(212, 208, 200),  // scroll bar
      RGB(58, 110, 165),   // desktop
      RGB(10, 36, 106),    // active caption
      RGB(128, 128, 128),  // inactive caption
      RGB(212, 208, 200),  // menu
      RGB(255, 255, 255),  // window
      RGB(0, 0, 0),        // window frame
      RGB(0, 0, 0),        // menu text
      RGB(0, 0, 0),        // window text
      RGB(255, 255, 255),  // caption text
      RGB(212, 208, 200),  // active border
      RGB(212, 208, 200),  // inactive border
      RGB(128, 128, 128),  // app workspace
      RGB(10, 36, 106),    // highlight
      RGB(255, 255, 255),  // highlight text
      RGB(212, 208, 200),  // button face
      RGB(128, 128, 128),  // button shadow
      RGB(128, 128, 128),  // grey text
      RGB(0, 0, 0),        // button text
      RGB(212, 208, 200),  // inactive caption text
      RGB(255, 255, 255),  // button highlight
      RGB(64, 64, 64),     // 3D dark shadow
      RGB(212, 208, 200),  // 3D light
      RGB(0, 0, 0),        // info text
      RGB(255, 255, 225),  // info background
      RGB(181, 181, 181),  // (unused index 25)
      RGB(0, 0, 128),      // hot light
      RGB(166, 202, 240),  // gradient active caption
      RGB(192, 192, 192),  // gradient inactive caption
      RGB(10, 36, 106),    // menu highlight
      RGB(212, 208, 200),  // menu bar
  };
  if (index < 0 || index > 30) return 0;
  return colors[index];
}

}  // namespace win::detail

using namespace win::detail;

DWORD GetSysColor(int index) { return SysColor(index); }
HBRUSH GetSysColorBrush(int index) { return SysColorBrushInternal(index); }

int GetSystemMetrics(int index) {
  RECT screen = win::CurrentHost() ? win::CurrentHost()->ScreenRect() : RECT{0, 0, 1280, 1024};
  RECT work = win::CurrentHost() ? win::CurrentHost()->WorkArea() : RECT{0, 0, 1280, 984};
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN: return screen.right - screen.left;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN: return screen.bottom - screen.top;
    case SM_XVIRTUALSCREEN: return screen.left;
    case SM_YVIRTUALSCREEN: return screen.top;
    case SM_CXFULLSCREEN:
    case SM_CXMAXIMIZED: return work.right - work.left;
    case SM_CYFULLSCREEN:
    case SM_CYMAXIMIZED: return work.bottom - work.top;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return 16;
    case SM_CYCAPTION: return 19;
    case SM_CYSMCAPTION: return 15;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    case SM_CYMENU: return 19;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXMINTRACK: return 112;
    case SM_CYMINTRACK: return 27;
    case SM_CXSIZE:
    case SM_CYSIZE: return 18;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG: return 4;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK: return 13;
    case SM_CMONITORS: return win::CurrentHost() ? std::max<int>(1, static_cast<int>(win::CurrentHost()->Monitors().size())) : 1;
    case SM_MOUSEPRESENT:
    case SM_MOUSEWHEELPRESENT:
    case SM_DBCSENABLED:
    case SM_IMMENABLED: return 1;
    case SM_CMOUSEBUTTONS: return 3;
    case SM_SWAPBUTTON: return 0;
  }
  return 0;
}

BOOL SystemParametersInfo(UINT action, UINT, LPVOID data, UINT) {
  switch (action) {
    case SPI_GETWORKAREA:
      if (!data) return FALSE;
      *static_cast<RECT*>(data) = win::CurrentHost() ? win::CurrentHost()->WorkArea() : RECT{0, 0, 1280, 984};
      return TRUE;
    case SPI_GETWHEELSCROLLLINES:
      if (!data) return FALSE;
      *static_cast<UINT*>(data) = 3;
      return TRUE;
  }
  return FALSE;
}

namespace {

std::vector<win::Host::Monitor> MonitorList() {
  std::vector<win::Host::Monitor> list;
  if (win::CurrentHost()) list = win::CurrentHost()->Monitors();
  if (list.empty()) list.push_back(win::Host::Monitor{RECT{0, 0, 1280, 1024}, RECT{0, 0, 1280, 984}});
  return list;
}

// Monitor handles are small fixed values: the index in the host's list, primary first.
HMONITOR MonitorHandle(std::size_t index) {
  return reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(0x20 + 0x10 * index));
}

long long Overlap(const RECT& a, const RECT& b) {
  long long w = std::min(a.right, b.right) - std::max(a.left, b.left);
  long long h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

// Squared distance from a rectangle to a monitor (0 when they touch or overlap).
long long Distance(const RECT& r, const RECT& m) {
  long long dx = std::max<long long>({0, m.left - r.right + 1, r.left - m.right + 1});
  long long dy = std::max<long long>({0, m.top - r.bottom + 1, r.top - m.bottom + 1});
  return dx * dx + dy * dy;
}

// The monitor that holds the most of the rectangle; when none holds any of it, by `flags`: the
// nearest one, the primary one, or none.
HMONITOR MonitorForRect(const RECT& r, DWORD flags) {
  auto list = MonitorList();
  std::size_t best = 0;
  long long most = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    long long o = Overlap(r, list[i].rect);
    if (o > most) most = o, best = i;
  }
  if (most > 0) return MonitorHandle(best);
  if (flags == MONITOR_DEFAULTTONULL) return nullptr;
  if (flags == MONITOR_DEFAULTTOPRIMARY) return MonitorHandle(0);
  long long nearest = -1;
  for (std::size_t i = 0; i < list.size(); ++i) {
    long long d = Distance(r, list[i].rect);
    if (nearest < 0 || d < nearest) nearest = d, best = i;
  }
  return MonitorHandle(best);
}

}  // namespace

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
  RECT r;
  if (!hwnd || !GetWindowRect(hwnd, &r)) return flags == MONITOR_DEFAULTTONULL ? nullptr : MonitorHandle(0);
  // An empty window still lies somewhere: give it a pixel.
  if (r.right <= r.left) r.right = r.left + 1;
  if (r.bottom <= r.top) r.bottom = r.top + 1;
  return MonitorForRect(r, flags);
}
HMONITOR MonitorFromPoint(POINT pt, DWORD flags) { return MonitorForRect(RECT{pt.x, pt.y, pt.x + 1, pt.y + 1}, flags); }
HMONITOR MonitorFromRect(const RECT* rect, DWORD flags) {
  if (!rect) return flags == MONITOR_DEFAULTTONULL ? nullptr : MonitorHandle(0);
  RECT r = *rect;
  if (r.right <= r.left) r.right = r.left + 1;
  if (r.bottom <= r.top) r.bottom = r.top + 1;
  return MonitorForRect(r, flags);
}
BOOL GetMonitorInfo(HMONITOR m, MONITORINFO* info) {
  if (!info) return FALSE;
  auto list = MonitorList();
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (MonitorHandle(i) != m) continue;
    info->rcMonitor = list[i].rect;
    info->rcWork = list[i].work;
    info->dwFlags = i == 0 ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
  }
  return FALSE;
}

// ---- cursors and icons -------------------------------------------------------------------------------

namespace {
struct IconRec {
  int standardId = 0;
  QImage image;
  QPoint hotSpot;
  bool shared = false;
};
std::map<std::uintptr_t, IconRec>& Icons() {
  static std::map<std::uintptr_t, IconRec> icons;
  return icons;
}
HICON AddIcon(IconRec r) {
  auto v = NewHandleValue();
  Icons()[v] = std::move(r);
  return reinterpret_cast<HICON>(v);
}
IconRec* IconOf(HICON h) {
  auto it = Icons().find(reinterpret_cast<std::uintptr_t>(h));
  return it == Icons().end() ? nullptr : &it->second;
}
HICON StandardCursor(int id) {
  static std::map<int, HICON> cursors;
  auto it = cursors.find(id);
  if (it != cursors.end()) return it->second;
  IconRec r;
  r.standardId = id;
  r.shared = true;
  HICON h = AddIcon(r);
  cursors[id] = h;
  return h;
}
HICON LoadIconFile(const char* path, bool cursor) {
  if (!path) return nullptr;
  QImageReader reader(QString::fromUtf8(path));
  reader.setDecideFormatFromContent(true);
  QImage img = reader.read();
  if (img.isNull()) return nullptr;
  IconRec r;
  r.image = img.convertToFormat(QImage::Format_ARGB32);
  // An icon's hot spot is its centre, also when it serves as a cursor; only .cur files name their own.
  r.hotSpot = QPoint(r.image.width() / 2, r.image.height() / 2);
  if (cursor) {
    // .cur files keep their hot spot in the directory entry (bytes 10..13 of the file).
    FILE* f = std::fopen(path, "rb");
    if (f) {
      unsigned char hdr[14] = {};
      if (std::fread(hdr, 1, sizeof hdr, f) == sizeof hdr && hdr[2] == 2)
        r.hotSpot = QPoint(hdr[10] | (hdr[11] << 8), hdr[12] | (hdr[13] << 8));
      std::fclose(f);
    }
  }
  return AddIcon(std::move(r));
}
}  // namespace

namespace win {
bool GetCursorData(HCURSOR cursor, CursorData& data) {
  IconRec* r = IconOf(cursor);
  if (!r) return false;
  data.standardId = r->standardId;
  data.image = r->image.isNull() ? nullptr : &r->image;
  data.hotSpot = r->hotSpot;
  return true;
}
}  // namespace win

HCURSOR LoadCursor(HINSTANCE instance, int id) {
  if (!instance || (id >= IDC_ARROW && id <= IDC_HELP)) return StandardCursor(id);
  return nullptr;
}

namespace {

struct NamedCursor {
  QImage image;
  QPoint hotSpot;
  HICON handle = nullptr;  // made on first load, shared like a resource cursor
};

std::map<std::string, NamedCursor>& NamedCursors() {
  static std::map<std::string, NamedCursor> cursors;
  return cursors;
}

// The class library's own cursors, drawn once: black shapes with a white outline on 32 x 32.
QImage DrawCursor(const std::function<void(QPainter&)>& shape) {
  QImage img(32, 32, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  shape(p);
  p.setPen(QPen(Qt::black, 1));
  shape(p);
  return img;
}

void Arrowhead(QPainter& p, QPoint tip, QPoint dir) {
  QPoint side(-dir.y(), dir.x());
  p.drawPolygon(QPolygon({tip, tip - dir * 4 + side * 4, tip - dir * 4 - side * 4}));
}

void AddBuiltInCursors() {
  static bool done = false;
  if (done) return;
  done = true;
  auto add = [](const char* name, QImage img, QPoint hot) { NamedCursors()[name] = NamedCursor{std::move(img), hot, nullptr}; };
  add("HSPLIT", DrawCursor([](QPainter& p) {
        p.drawLine(14, 6, 14, 25);
        p.drawLine(17, 6, 17, 25);
        p.drawLine(5, 15, 26, 15);
        Arrowhead(p, QPoint(4, 15), QPoint(-1, 0));
        Arrowhead(p, QPoint(27, 15), QPoint(1, 0));
      }), QPoint(15, 15));
  add("VSPLIT", DrawCursor([](QPainter& p) {
        p.drawLine(6, 14, 25, 14);
        p.drawLine(6, 17, 25, 17);
        p.drawLine(15, 5, 15, 26);
        Arrowhead(p, QPoint(15, 4), QPoint(0, -1));
        Arrowhead(p, QPoint(15, 27), QPoint(0, 1));
      }), QPoint(15, 15));
  auto arrow = [](QPainter& p) { p.drawPolygon(QPolygon({{0, 0}, {0, 15}, {4, 11}, {7, 17}, {9, 16}, {6, 10}, {11, 10}})); };
  add("DRAG", DrawCursor([&](QPainter& p) {
        arrow(p);
        p.drawRect(8, 18, 10, 8);
      }), QPoint(0, 0));
  add("MULTIDRAG", DrawCursor([&](QPainter& p) {
        arrow(p);
        p.drawRect(10, 20, 10, 8);
        p.drawRect(7, 17, 10, 8);
      }), QPoint(0, 0));
  add("NODROP", DrawCursor([](QPainter& p) {
        p.drawEllipse(QRect(4, 4, 22, 22));
        p.drawLine(8, 8, 22, 22);
      }), QPoint(15, 15));
  add("SQLWAIT", DrawCursor([&](QPainter& p) {
        arrow(p);
        p.drawEllipse(QRect(14, 16, 12, 5));
        p.drawLine(14, 19, 14, 27);
        p.drawLine(26, 19, 26, 27);
        p.drawArc(QRect(14, 23, 12, 6), 180 * 16, 180 * 16);
      }), QPoint(0, 0));
}

std::string Upper(const std::string& s) {
  std::string u = s;
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return u;
}

}  // namespace

namespace win {

bool RegisterCursorResource(const std::string& name, int w, int h, const std::vector<std::uint32_t>& argb, int hotX,
                            int hotY) {
  if (name.empty() || w <= 0 || h <= 0 || argb.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h))
    return false;
  AddBuiltInCursors();
  QImage img(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y) std::memcpy(img.scanLine(y), argb.data() + static_cast<std::size_t>(y) * w, static_cast<std::size_t>(w) * 4);
  NamedCursors()[Upper(name)] = NamedCursor{std::move(img), QPoint(hotX, hotY), nullptr};
  return true;
}

bool HasCursorResource(const std::string& name) {
  AddBuiltInCursors();
  return NamedCursors().count(Upper(name)) != 0;
}

}  // namespace win

HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name) {
  if (IS_INTRESOURCE(name)) return LoadCursor(instance, static_cast<int>(reinterpret_cast<std::uintptr_t>(name)));
  // Named cursors are the program's own resources; the system has none by name.
  if (!instance || !name) return nullptr;
  AddBuiltInCursors();
  auto it = NamedCursors().find(Upper(name));
  if (it == NamedCursors().end()) return nullptr;
  NamedCursor& c = it->second;
  if (!c.handle) {
    IconRec r;
    r.image = c.image;
    r.hotSpot = c.hotSpot;
    r.shared = true;
    c.handle = AddIcon(std::move(r));
  }
  return c.handle;
}

HCURSOR LoadCursorFromFile(LPCSTR fileName) { return LoadIconFile(fileName, true); }

HICON LoadIcon(HINSTANCE, int id) { return StandardCursor(-id); }

HANDLE LoadImage(HINSTANCE instance, LPCSTR name, UINT type, int, int, UINT flags) {
  if ((flags & LR_LOADFROMFILE) && name && !IS_INTRESOURCE(name)) {
    if (type == IMAGE_BITMAP) {
      QImage img(QString::fromUtf8(name));
      if (img.isNull()) return nullptr;
      return win::CreateBitmapFromImage(img.convertToFormat(QImage::Format_RGB32));
    }
    return LoadIconFile(name, type == IMAGE_CURSOR);
  }
  if (type == IMAGE_CURSOR) return LoadCursor(instance, name);
  return nullptr;
}

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info) return nullptr;
  QImage* color = win::BitmapImage(info->hbmColor);
  if (!color) return nullptr;
  IconRec r;
  r.image = color->convertToFormat(QImage::Format_ARGB32);
  if (QImage* mask = win::BitmapImage(info->hbmMask)) {
    // Mask bits set (white) mean transparent.
    for (int y = 0; y < r.image.height() && y < mask->height(); ++y)
      for (int x = 0; x < r.image.width() && x < mask->width(); ++x)
        if (qGray(mask->pixel(x, y)) > 127) r.image.setPixel(x, y, 0);
  }
  r.hotSpot = QPoint(static_cast<int>(info->xHotspot), static_cast<int>(info->yHotspot));
  return AddIcon(std::move(r));
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
  IconRec* r = IconOf(icon);
  if (!r || !info) return FALSE;
  info->fIcon = TRUE;
  info->xHotspot = static_cast<DWORD>(r->hotSpot.x());
  info->yHotspot = static_cast<DWORD>(r->hotSpot.y());
  info->hbmColor = r->image.isNull() ? nullptr : win::CreateBitmapFromImage(r->image);
  info->hbmMask = nullptr;
  return TRUE;
}

BOOL DestroyCursor(HCURSOR c) {
  IconRec* r = IconOf(c);
  if (!r) return FALSE;
  if (!r->shared) {
    if (S().cursor == c) SetCursor(nullptr);
    Icons().erase(reinterpret_cast<std::uintptr_t>(c));
  }
  return TRUE;
}

BOOL DestroyIcon(HICON icon) { return DestroyCursor(icon); }

BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH, UINT) {
  IconRec* r = IconOf(icon);
  if (!r || r->image.isNull()) return FALSE;
  win::DCSurface s;
  if (!win::GetDCSurface(hdc, s)) return TRUE;
  DC* dc = D(hdc);
  QPainter p(s.image);
  p.setClipRegion(s.clip);
  // The icon's corner goes through the DC's mapping; the icon itself keeps its pixel size.
  QPoint at = s.origin + ToDevice(dc->s, QPoint(x, y));
  QSize size(cx > 0 ? cx : r->image.width(), cy > 0 ? cy : r->image.height());
  if (IsScaled(dc->s) && dc->s.viewportExt.width() * dc->s.windowExt.width() < 0) at.rx() -= size.width();
  p.drawImage(QRect(at, size), r->image);
  p.end();
  win::MarkDCDirty(hdc, QRect(at, size));
  return TRUE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) { return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL); }

// ---- rectangles -------------------------------------------------------------------------------------

BOOL SetRect(RECT* r, int l, int t, int rr, int b) {
  if (!r) return FALSE;
  *r = RECT{l, t, rr, b};
  return TRUE;
}
BOOL SetRectEmpty(RECT* r) { return SetRect(r, 0, 0, 0, 0); }
BOOL CopyRect(RECT* d, const RECT* s) {
  if (!d || !s) return FALSE;
  *d = *s;
  return TRUE;
}
BOOL InflateRect(RECT* r, int dx, int dy) {
  if (!r) return FALSE;
  r->left -= dx, r->top -= dy, r->right += dx, r->bottom += dy;
  return TRUE;
}
BOOL OffsetRect(RECT* r, int dx, int dy) {
  if (!r) return FALSE;
  r->left += dx, r->right += dx, r->top += dy, r->bottom += dy;
  return TRUE;
}
BOOL IsRectEmpty(const RECT* r) { return !r || r->right <= r->left || r->bottom <= r->top ? TRUE : FALSE; }
BOOL IntersectRect(RECT* d, const RECT* a, const RECT* b) {
  if (!d || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right), std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    *d = RECT{};
    return FALSE;
  }
  *d = r;
  return TRUE;
}
BOOL UnionRect(RECT* d, const RECT* a, const RECT* b) {
  if (!d || !a || !b) return FALSE;
  if (IsRectEmpty(a)) {
    *d = *b;
  } else if (IsRectEmpty(b)) {
    *d = *a;
  } else {
    *d = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
  }
  return IsRectEmpty(d) ? FALSE : TRUE;
}
BOOL SubtractRect(RECT* d, const RECT* a, const RECT* b) {
  if (!d || !a || !b) return FALSE;
  RECT r = *a;
  RECT i;
  if (IntersectRect(&i, a, b)) {
    // Only a full-width or full-height cut leaves a rectangle.
    if (i.left == a->left && i.right == a->right) {
      if (i.top == a->top) r.top = i.bottom;
      else if (i.bottom == a->bottom) r.bottom = i.top;
    } else if (i.top == a->top && i.bottom == a->bottom) {
      if (i.left == a->left) r.left = i.right;
      else if (i.right == a->right) r.right = i.left;
    }
  }
  *d = r;
  return IsRectEmpty(d) ? FALSE : TRUE;
}
BOOL PtInRect(const RECT* r, POINT pt) {
  return r && pt.x >= r->left && pt.x < r->right && pt.y >= r->top && pt.y < r->bottom ? TRUE : FALSE;
}
BOOL EqualRect(const RECT* a, const RECT* b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom ? TRUE : FALSE;
}

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  long long p = static_cast<long long>(number) * numerator;
  long long d = denominator;
  if (d < 0) p = -p, d = -d;
  // Rounds half away from zero, as the system call does.
  long long q = p >= 0 ? (p + d / 2) / d : -((-p + d / 2) / d);
  if (q > 0x7FFFFFFF || q < -0x7FFFFFFFLL - 1) return -1;
  return static_cast<int>(q);
}

// ---- message box and shell ---------------------------------------------------------------------------

int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return win::Dialogs().MessageBox(owner, text ? text : "", caption ? caption : "Error", type);
}

namespace {
std::vector<std::string>& Opened() {
  static std::vector<std::string> v;
  return v;
}
}  // namespace

namespace win {
const std::vector<std::string>& OpenedDocuments() { return Opened(); }
void ClearOpenedDocuments() { Opened().clear(); }
}  // namespace win

HINSTANCE ShellExecute(HWND, LPCSTR, LPCSTR file, LPCSTR parameters, LPCSTR, int) {
  if (!file || !*file) return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(2));
  std::string target = file;
  if (parameters && *parameters) target += std::string(" ") + parameters;
  Opened().push_back(target);
  if (auto* host = win::CurrentHost()) {
    if (!host->OpenDocument(file)) return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(2));
  }
  return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(42));
}

// ---- modules ------------------------------------------------------------------------------------------

namespace {
std::string LowerName(const char* s) {
  std::string r = s ? s : "";
  for (auto& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (r.size() < 4 || r.substr(r.size() - 4) != ".dll") r += ".dll";
  return r;
}
HMODULE ModuleHandle(int n) { return reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x400000 + n * 0x10000)); }
BOOL GetMonitorInfoEntry(HMONITOR m, MONITORINFO* i) { return GetMonitorInfo(m, i); }
}  // namespace

HMODULE GetModuleHandle(LPCSTR name) {
  if (!name) return ModuleHandle(0);
  std::string n = LowerName(name);
  if (n == "user32.dll") return ModuleHandle(1);
  if (n == "gdi32.dll") return ModuleHandle(2);
  if (n == "kernel32.dll") return ModuleHandle(4);
  return nullptr;
}

HMODULE LoadLibrary(LPCSTR name) {
  std::string n = LowerName(name);
  if (n == "msimg32.dll") return ModuleHandle(3);
  return GetModuleHandle(name);
}

BOOL FreeLibrary(HMODULE m) { return m ? TRUE : FALSE; }

FARPROC GetProcAddress(HMODULE m, LPCSTR name) {
  if (!name || IS_INTRESOURCE(name)) return nullptr;
  std::string n = name;
  if (m == ModuleHandle(1)) {
    if (n == "MonitorFromWindow") return reinterpret_cast<FARPROC>(&MonitorFromWindow);
    if (n == "GetMonitorInfoA" || n == "GetMonitorInfo") return reinterpret_cast<FARPROC>(&GetMonitorInfoEntry);
    return nullptr;  // no layered windows or scroll-bar info here
  }
  if (m == ModuleHandle(2)) {
    if (n == "SetDCBrushColor") return reinterpret_cast<FARPROC>(&SetDCBrushColor);
    if (n == "SetDCPenColor") return reinterpret_cast<FARPROC>(&SetDCPenColor);
    return nullptr;
  }
  if (m == ModuleHandle(3)) {
    if (n == "AlphaBlend") return reinterpret_cast<FARPROC>(&AlphaBlend);
    if (n == "TransparentBlt") return reinterpret_cast<FARPROC>(&TransparentBlt);
    return nullptr;
  }
  return nullptr;
}

DWORD GetVersion() { return 0x0A280105; }  // 5.1, build 2600, NT family

// ---- global memory -------------------------------------------------------------------------------------

namespace {
struct Block {
  std::vector<char> data;
};
std::map<std::uintptr_t, Block>& Blocks() {
  static std::map<std::uintptr_t, Block> b;
  return b;
}
Block* BlockOf(HGLOBAL h) {
  auto it = Blocks().find(reinterpret_cast<std::uintptr_t>(h));
  return it == Blocks().end() ? nullptr : &it->second;
}
}  // namespace

HGLOBAL GlobalAlloc(UINT, std::size_t bytes) {
  if (bytes > (std::size_t{1} << 31)) return nullptr;
  auto v = NewHandleValue();
  Blocks()[v].data.assign(bytes, 0);
  return reinterpret_cast<HGLOBAL>(v);
}
LPVOID GlobalLock(HGLOBAL h) {
  Block* b = BlockOf(h);
  return b ? b->data.data() : nullptr;
}
BOOL GlobalUnlock(HGLOBAL h) { return BlockOf(h) ? TRUE : FALSE; }
std::size_t GlobalSize(HGLOBAL h) {
  Block* b = BlockOf(h);
  return b ? b->data.size() : 0;
}
HGLOBAL GlobalFree(HGLOBAL h) {
  if (!BlockOf(h)) return h;
  Blocks().erase(reinterpret_cast<std::uintptr_t>(h));
  return nullptr;
}

