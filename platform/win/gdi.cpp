// GDI objects, device contexts and their state, regions and clipping; the surface access of surface.h.
#include <QFontInfo>
#include <QGuiApplication>
#include <QFontMetrics>

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/win/internal.h"
#include "platform/win/surface.h"

namespace win::detail {

namespace {
std::unordered_map<std::uintptr_t, std::unique_ptr<GdiObject>>& Objects() {
  static std::unordered_map<std::uintptr_t, std::unique_ptr<GdiObject>> objects;
  return objects;
}
std::unordered_map<std::uintptr_t, std::unique_ptr<DC>>& DCs() {
  static std::unordered_map<std::uintptr_t, std::unique_ptr<DC>> dcs;
  return dcs;
}
const QRect kEverything(-1000000, -1000000, 2000000, 2000000);
}  // namespace

GdiObject* Gdi(HGDIOBJ h) {
  if (!h) return nullptr;
  auto& m = Objects();
  auto it = m.find(reinterpret_cast<std::uintptr_t>(h));
  return it == m.end() ? nullptr : it->second.get();
}

HGDIOBJ AddGdi(std::unique_ptr<GdiObject> obj) {
  auto v = NewHandleValue();
  Objects()[v] = std::move(obj);
  return reinterpret_cast<HGDIOBJ>(v);
}

static bool InUse(HGDIOBJ h) {
  for (auto& [k, dc] : DCs()) {
    auto uses = [h](const DCState& s) { return s.pen == h || s.brush == h || s.font == h || s.bitmap == h; };
    if (uses(dc->s)) return true;
    for (auto& s : dc->saved)
      if (uses(s)) return true;
  }
  return false;
}

void ReleaseSelected(HGDIOBJ obj) {
  GdiObject* o = Gdi(obj);
  if (o && o->deletePending && !InUse(obj)) Objects().erase(reinterpret_cast<std::uintptr_t>(obj));
}

DC* D(HDC hdc) {
  if (!hdc) return nullptr;
  auto& m = DCs();
  auto it = m.find(reinterpret_cast<std::uintptr_t>(hdc));
  return it == m.end() ? nullptr : it->second.get();
}

static HGDIOBJ Stock(int index);

HDC NewDC(DCKind kind, HWND hwnd, bool windowDC) {
  auto dc = std::make_unique<DC>();
  auto v = NewHandleValue();
  dc->handle = reinterpret_cast<HDC>(v);
  dc->kind = kind;
  dc->hwnd = hwnd;
  dc->windowDC = windowDC;
  dc->s.pen = static_cast<HPEN>(Stock(BLACK_PEN));
  dc->s.brush = static_cast<HBRUSH>(Stock(WHITE_BRUSH));
  dc->s.font = static_cast<HFONT>(Stock(SYSTEM_FONT));
  HDC h = dc->handle;
  DCs()[v] = std::move(dc);
  return h;
}

void FreeDC(HDC hdc) {
  DC* dc = D(hdc);
  if (!dc) return;
  std::vector<HGDIOBJ> used{dc->s.pen, dc->s.brush, dc->s.font, dc->s.bitmap};
  for (auto& s : dc->saved) used.insert(used.end(), {s.pen, s.brush, s.font, s.bitmap});
  DCs().erase(reinterpret_cast<std::uintptr_t>(hdc));
  for (HGDIOBJ o : used) ReleaseSelected(o);
}

bool ResolveTarget(DC* dc, Target& t) {
  t = Target{};
  t.dc = dc;
  if (!dc) return false;
  if (dc->kind == DCKind::Memory) {
    auto* bmp = GdiAs<BitmapObj>(dc->s.bitmap, GdiKind::Bitmap);
    if (!bmp || bmp->image.isNull()) return false;
    t.image = &bmp->image;
    t.origin = QPoint(0, 0);
    t.clip = QRegion(bmp->image.rect());
  } else if (dc->kind == DCKind::Window) {
    Window* w = W(dc->hwnd);
    if (!w) return false;
    Window* top = TopLevelOf(w);
    QImage* buffer = BackBuffer(top);
    if (!buffer) return false;
    t.top = top;
    t.image = buffer;
    t.origin = dc->windowDC ? WindowOriginInBuffer(w) : ClientOriginInBuffer(w);
    if (dc->visGen != S().geometryGen) {
      dc->visCache = VisibleRegion(w, !dc->windowDC);
      dc->visGen = S().geometryGen;
    }
    t.clip = dc->visCache;
    if (dc->hasPaintRegion) t.clip &= dc->paintRegion.translated(t.origin);
  } else {
    return false;
  }
  if (dc->s.hasClip) t.clip &= dc->s.clip.translated(t.origin);
  return !t.clip.isEmpty();
}

// ---- fonts ---------------------------------------------------------------------------------------

// Fonts need a Qt application. Headless programs and tests that never made one get an offscreen one.
void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "tressora";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
}

QFont MakeQFont(const LOGFONT& lf) {
  EnsureGuiApplication();
  QFont f;
  QString face = QString::fromUtf8(lf.lfFaceName, static_cast<qsizetype>(strnlen(lf.lfFaceName, LF_FACESIZE)));
  QStringList families;
  if (!face.isEmpty()) families << face;
  families << QStringLiteral("WenQuanYi Micro Hei") << QStringLiteral("DejaVu Sans");
  f.setFamilies(families);
  f.setWeight(lf.lfWeight == 0 ? QFont::Normal : static_cast<QFont::Weight>(std::clamp<int>(lf.lfWeight, 100, 900)));
  f.setItalic(lf.lfItalic != 0);
  f.setUnderline(lf.lfUnderline != 0);
  f.setStrikeOut(lf.lfStrikeOut != 0);
  f.setHintingPreference(QFont::PreferFullHinting);
  if (lf.lfQuality == NONANTIALIASED_QUALITY) f.setStyleStrategy(QFont::NoAntialias);
  // A height or width from a stream can be anything: beyond what a screen could show it is clamped, so
  // that negating it and the products below stay in range.
  constexpr int kMaxFontPixels = 16384;
  int h = std::clamp<int>(lf.lfHeight, -kMaxFontPixels, kMaxFontPixels);
  if (h == 0) h = -12;
  if (h < 0) {
    f.setPixelSize(-h);
  } else {
    // A positive height is the cell height (ascent + descent): scale the em size to fit it.
    f.setPixelSize(h);
    QFontMetrics fm(f);
    int cell = fm.ascent() + fm.descent();
    if (cell > 0 && cell != h) f.setPixelSize(std::max(1, h * h / cell));
  }
  if (lf.lfWidth > 0) {
    QFontMetrics fm(f);
    int avg = fm.averageCharWidth();
    if (avg > 0) f.setStretch(std::clamp(std::min<int>(lf.lfWidth, kMaxFontPixels) * 100 / avg, 1, 4000));
  }
  return f;
}

bool IsScaled(const DCState& s) {
  return s.mapMode != MM_TEXT && s.windowExt != s.viewportExt;
}

QTransform LogicalToDevice(const DCState& s) {
  if (!IsScaled(s)) {
    QPoint o = LogicalOffset(s);
    return QTransform::fromTranslate(o.x(), o.y());
  }
  double sx = double(s.viewportExt.width()) / s.windowExt.width();
  double sy = double(s.viewportExt.height()) / s.windowExt.height();
  // device = (logical - window origin) * scale + viewport origin
  return QTransform(sx, 0, 0, sy, s.viewportOrg.x() - s.windowOrg.x() * sx, s.viewportOrg.y() - s.windowOrg.y() * sy);
}

QPoint ToDevice(const DCState& s, QPoint p) {
  if (!IsScaled(s)) return p + LogicalOffset(s);
  QPointF d = LogicalToDevice(s).map(QPointF(p));
  return QPoint(static_cast<int>(std::lround(d.x())), static_cast<int>(std::lround(d.y())));
}

QPoint ToLogical(const DCState& s, QPoint p) {
  if (!IsScaled(s)) return p - LogicalOffset(s);
  QPointF l = LogicalToDevice(s).inverted().map(QPointF(p));
  return QPoint(static_cast<int>(std::lround(l.x())), static_cast<int>(std::lround(l.y())));
}

QRect ToDeviceRect(const DCState& s, const QRect& r) {
  if (!IsScaled(s)) return r.translated(LogicalOffset(s));
  QPoint a = ToDevice(s, r.topLeft()), b = ToDevice(s, QPoint(r.left() + r.width(), r.top() + r.height()));
  return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())), QSize(std::abs(b.x() - a.x()), std::abs(b.y() - a.y())));
}

HFONT DefaultGuiFont() { return static_cast<HFONT>(Stock(DEFAULT_GUI_FONT)); }

// ---- stock objects ------------------------------------------------------------------------------

static HGDIOBJ MakeStockPen(int style, COLORREF c) {
  auto p = std::make_unique<PenObj>();
  p->style = style;
  p->color = c;
  p->stock = true;
  return AddGdi(std::move(p));
}
static HGDIOBJ MakeStockBrush(UINT style, COLORREF c) {
  auto b = std::make_unique<BrushObj>();
  b->style = style;
  b->color = c;
  b->stock = true;
  return AddGdi(std::move(b));
}
static HGDIOBJ MakeStockFont(int height, const char* face, int weight) {
  auto f = std::make_unique<FontObj>();
  f->lf.lfHeight = height;
  f->lf.lfWeight = weight;
  std::strncpy(f->lf.lfFaceName, face, LF_FACESIZE - 1);
  f->font = MakeQFont(f->lf);
  f->stock = true;
  return AddGdi(std::move(f));
}

static HGDIOBJ Stock(int index) {
  static std::vector<HGDIOBJ> stock;
  if (stock.empty()) {
    stock.resize(20, nullptr);
    stock[WHITE_BRUSH] = MakeStockBrush(BS_SOLID, RGB(255, 255, 255));
    stock[LTGRAY_BRUSH] = MakeStockBrush(BS_SOLID, RGB(192, 192, 192));
    stock[GRAY_BRUSH] = MakeStockBrush(BS_SOLID, RGB(128, 128, 128));
    stock[DKGRAY_BRUSH] = MakeStockBrush(BS_SOLID, RGB(64, 64, 64));
    stock[BLACK_BRUSH] = MakeStockBrush(BS_SOLID, RGB(0, 0, 0));
    stock[NULL_BRUSH] = MakeStockBrush(BS_NULL, 0);
    stock[WHITE_PEN] = MakeStockPen(PS_SOLID, RGB(255, 255, 255));
    stock[BLACK_PEN] = MakeStockPen(PS_SOLID, RGB(0, 0, 0));
    stock[NULL_PEN] = MakeStockPen(PS_NULL, 0);
    stock[OEM_FIXED_FONT] = MakeStockFont(-13, "DejaVu Sans Mono", FW_NORMAL);
    stock[ANSI_FIXED_FONT] = MakeStockFont(-13, "DejaVu Sans Mono", FW_NORMAL);
    stock[ANSI_VAR_FONT] = MakeStockFont(-12, "DejaVu Sans", FW_NORMAL);
    stock[SYSTEM_FONT] = MakeStockFont(-12, "WenQuanYi Micro Hei", FW_NORMAL);
    stock[DEVICE_DEFAULT_FONT] = MakeStockFont(-12, "WenQuanYi Micro Hei", FW_NORMAL);
    stock[DEFAULT_PALETTE] = AddGdi(std::make_unique<PaletteObj>());
    Gdi(stock[DEFAULT_PALETTE])->stock = true;
    stock[SYSTEM_FIXED_FONT] = MakeStockFont(-13, "DejaVu Sans Mono", FW_NORMAL);
    stock[DEFAULT_GUI_FONT] = MakeStockFont(-12, "WenQuanYi Micro Hei", FW_NORMAL);
    auto b = std::make_unique<BrushObj>();
    b->dcBrush = true;
    b->stock = true;
    stock[DC_BRUSH] = AddGdi(std::move(b));
    auto p = std::make_unique<PenObj>();
    p->dcPen = true;
    p->stock = true;
    stock[DC_PEN] = AddGdi(std::move(p));
  }
  if (index < 0 || index >= static_cast<int>(stock.size())) return nullptr;
  return stock[static_cast<std::size_t>(index)];
}

HBRUSH SysColorBrushInternal(int index) {
  static std::map<int, HGDIOBJ> brushes;
  if (index < 0 || index > 30) return nullptr;
  auto it = brushes.find(index);
  if (it != brushes.end()) return static_cast<HBRUSH>(it->second);
  auto b = std::make_unique<BrushObj>();
  b->color = SysColor(index);
  b->sysColor = index;
  b->stock = true;
  HGDIOBJ h = AddGdi(std::move(b));
  brushes[index] = h;
  return static_cast<HBRUSH>(h);
}

}  // namespace win::detail

using namespace win::detail;

// ---- object creation ----------------------------------------------------------------------------

HPEN CreatePen(int style, int width, COLORREF color) {
  auto p = std::make_unique<PenObj>();
  p->fullStyle = static_cast<DWORD>(style);
  p->style = style & PS_STYLE_MASK;
  p->width = std::max(0, width);
  p->color = color & 0xFFFFFF;
  return static_cast<HPEN>(AddGdi(std::move(p)));
}

HPEN CreatePenIndirect(const LOGPEN* lp) {
  if (!lp) return nullptr;
  return CreatePen(static_cast<int>(lp->lopnStyle), lp->lopnWidth.x, lp->lopnColor);
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles) {
  // A cosmetic pen is always one pixel wide; a geometric one keeps its width, end caps and joins
  // (kept in the full style and read when lines are drawn).
  if (!(style & PS_GEOMETRIC) && width != 1) return nullptr;
  bool user = (style & PS_STYLE_MASK) == PS_USERSTYLE;
  // A user style needs 1 to 16 lengths, not all zero; other styles take none.
  if (user && (styleCount == 0 || styleCount > 16 || !styles)) return nullptr;
  if (!user && (styleCount != 0 || styles)) return nullptr;
  std::vector<int> lengths;
  for (DWORD i = 0; user && i < styleCount; ++i) lengths.push_back(static_cast<int>(std::min<DWORD>(styles[i], 1u << 16)));
  if (user && std::all_of(lengths.begin(), lengths.end(), [](int v) { return v == 0; })) return nullptr;
  if (brush && brush->lbStyle == BS_NULL) style = (style & ~static_cast<DWORD>(PS_STYLE_MASK)) | PS_NULL;
  HPEN pen = CreatePen(static_cast<int>(style), static_cast<int>(width), brush ? brush->lbColor : 0);
  if (auto* p = GdiAs<PenObj>(pen, GdiKind::Pen)) p->userStyle = std::move(lengths);
  return pen;
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto b = std::make_unique<BrushObj>();
  b->color = color & 0xFFFFFF;
  return static_cast<HBRUSH>(AddGdi(std::move(b)));
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  auto b = std::make_unique<BrushObj>();
  b->style = BS_HATCHED;
  b->hatch = std::clamp(hatch, 0, HS_DIAGCROSS);
  b->color = color & 0xFFFFFF;
  return static_cast<HBRUSH>(AddGdi(std::move(b)));
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  auto* bmp = GdiAs<BitmapObj>(bitmap, GdiKind::Bitmap);
  if (!bmp) return nullptr;
  auto b = std::make_unique<BrushObj>();
  b->style = BS_PATTERN;
  b->pattern = bmp->image.convertToFormat(QImage::Format_RGB32);
  return static_cast<HBRUSH>(AddGdi(std::move(b)));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  switch (lb->lbStyle) {
    case BS_NULL: {
      auto b = std::make_unique<BrushObj>();
      b->style = BS_NULL;
      return static_cast<HBRUSH>(AddGdi(std::move(b)));
    }
    case BS_HATCHED: return CreateHatchBrush(static_cast<int>(lb->lbHatch), lb->lbColor);
    case BS_PATTERN: return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
    default: return CreateSolidBrush(lb->lbColor);
  }
}

HFONT CreateFontIndirect(const LOGFONT* lf) {
  if (!lf) return nullptr;
  auto f = std::make_unique<FontObj>();
  f->lf = *lf;
  f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
  f->font = MakeQFont(f->lf);
  return static_cast<HFONT>(AddGdi(std::move(f)));
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, LPCSTR face) {
  LOGFONT lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic != 0);
  lf.lfUnderline = static_cast<BYTE>(underline != 0);
  lf.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (face) std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirect(&lf);
}

HGDIOBJ GetStockObject(int index) { return Stock(index); }

static void ReplaceSelected(HGDIOBJ& slot, HGDIOBJ obj, HGDIOBJ& old) {
  old = slot;
  slot = obj;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  DC* dc = D(hdc);
  GdiObject* o = Gdi(obj);
  if (!dc || !o || o->deletePending) return nullptr;
  HGDIOBJ old = nullptr;
  switch (o->kind) {
    case GdiKind::Pen: {
      HGDIOBJ s = dc->s.pen;
      ReplaceSelected(s, obj, old);
      dc->s.pen = static_cast<HPEN>(s);
      break;
    }
    case GdiKind::Brush: {
      HGDIOBJ s = dc->s.brush;
      ReplaceSelected(s, obj, old);
      dc->s.brush = static_cast<HBRUSH>(s);
      break;
    }
    case GdiKind::Font: {
      HGDIOBJ s = dc->s.font;
      ReplaceSelected(s, obj, old);
      dc->s.font = static_cast<HFONT>(s);
      break;
    }
    case GdiKind::Bitmap: {
      if (dc->kind != DCKind::Memory) return nullptr;
      HGDIOBJ s = dc->s.bitmap;
      ReplaceSelected(s, obj, old);
      dc->s.bitmap = static_cast<HBITMAP>(s);
      break;
    }
    case GdiKind::Region: {
      int r = SelectClipRgn(hdc, static_cast<HRGN>(obj));
      return reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(r));
    }
    case GdiKind::Palette: return obj;
  }
  if (old) ReleaseSelected(old);
  return old;
}

BOOL DeleteObject(HGDIOBJ obj) {
  GdiObject* o = Gdi(obj);
  if (!o) return FALSE;
  if (o->stock) return TRUE;
  if (InUse(obj)) {
    // Selected objects stay alive until their DC lets go of them.
    o->deletePending = true;
    return TRUE;
  }
  Objects().erase(reinterpret_cast<std::uintptr_t>(obj));
  return TRUE;
}

int GetObject(HGDIOBJ obj, int size, LPVOID out) {
  GdiObject* o = Gdi(obj);
  if (!o) return 0;
  switch (o->kind) {
    case GdiKind::Pen: {
      auto* p = static_cast<PenObj*>(o);
      LOGPEN lp;
      lp.lopnStyle = static_cast<UINT>(p->style);
      lp.lopnWidth.x = p->width;
      lp.lopnColor = p->color;
      if (!out) return sizeof lp;
      std::memcpy(out, &lp, std::min<std::size_t>(sizeof lp, static_cast<std::size_t>(std::max(size, 0))));
      return std::min<int>(sizeof lp, size);
    }
    case GdiKind::Brush: {
      auto* b = static_cast<BrushObj*>(o);
      LOGBRUSH lb;
      lb.lbStyle = b->style;
      lb.lbColor = b->color;
      lb.lbHatch = static_cast<ULONG_PTR>(b->hatch);
      if (!out) return sizeof lb;
      std::memcpy(out, &lb, std::min<std::size_t>(sizeof lb, static_cast<std::size_t>(std::max(size, 0))));
      return std::min<int>(sizeof lb, size);
    }
    case GdiKind::Font: {
      auto* f = static_cast<FontObj*>(o);
      if (!out) return sizeof(LOGFONT);
      std::memcpy(out, &f->lf, std::min<std::size_t>(sizeof(LOGFONT), static_cast<std::size_t>(std::max(size, 0))));
      return std::min<int>(sizeof(LOGFONT), size);
    }
    case GdiKind::Bitmap: {
      auto* b = static_cast<BitmapObj*>(o);
      DIBSECTION ds;
      ds.dsBm.bmType = 0;
      ds.dsBm.bmWidth = b->image.width();
      ds.dsBm.bmHeight = b->image.height();
      ds.dsBm.bmWidthBytes = static_cast<LONG>(b->image.bytesPerLine());
      ds.dsBm.bmPlanes = 1;
      ds.dsBm.bmBitsPixel = static_cast<WORD>(b->bitsPixel);
      ds.dsBm.bmBits = b->dib ? b->image.bits() : nullptr;
      ds.dsBmih.biWidth = b->image.width();
      ds.dsBmih.biHeight = b->dibHeight;
      ds.dsBmih.biBitCount = static_cast<WORD>(b->bitsPixel);
      ds.dsBmih.biSizeImage = static_cast<DWORD>(b->image.sizeInBytes());
      if (!out) return sizeof(BITMAP);
      if (size >= static_cast<int>(sizeof(DIBSECTION)) && b->dib) {
        std::memcpy(out, &ds, sizeof ds);
        return sizeof ds;
      }
      if (size < static_cast<int>(sizeof(BITMAP))) return 0;
      std::memcpy(out, &ds.dsBm, sizeof(BITMAP));
      return sizeof(BITMAP);
    }
    case GdiKind::Region:
    case GdiKind::Palette: return 0;
  }
  return 0;
}

DWORD GetObjectType(HGDIOBJ obj) {
  if (D(static_cast<HDC>(obj))) return D(static_cast<HDC>(obj))->kind == DCKind::Memory ? OBJ_MEMDC : OBJ_DC;
  GdiObject* o = Gdi(obj);
  if (!o) return 0;
  switch (o->kind) {
    case GdiKind::Pen: return OBJ_PEN;
    case GdiKind::Brush: return OBJ_BRUSH;
    case GdiKind::Font: return OBJ_FONT;
    case GdiKind::Bitmap: return OBJ_BITMAP;
    case GdiKind::Region: return OBJ_REGION;
    case GdiKind::Palette: return OBJ_PAL;
  }
  return 0;
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  DC* dc = D(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN: return dc->s.pen;
    case OBJ_BRUSH: return dc->s.brush;
    case OBJ_FONT: return dc->s.font;
    case OBJ_BITMAP: return dc->s.bitmap;
    case OBJ_PAL: return Stock(DEFAULT_PALETTE);
  }
  return nullptr;
}

BOOL UnrealizeObject(HGDIOBJ obj) { return Gdi(obj) ? TRUE : FALSE; }

// ---- bitmaps -------------------------------------------------------------------------------------

static HBITMAP AddBitmap(QImage img, bool dib, LONG dibHeight, int bits) {
  auto b = std::make_unique<BitmapObj>();
  b->image = std::move(img);
  b->dib = dib;
  b->dibHeight = dibHeight;
  b->bitsPixel = bits;
  return static_cast<HBITMAP>(AddGdi(std::move(b)));
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
  if (width < 0 || height < 0 || static_cast<long long>(width) * height > (1LL << 28)) return nullptr;
  QImage img(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
  if (img.isNull()) return nullptr;
  img.fill(Qt::black);
  if (width == 0 || height == 0) img = QImage(1, 1, QImage::Format_RGB32), img.fill(Qt::black);
  return AddBitmap(std::move(img), false, height, 32);
}

HBITMAP CreateBitmap(int width, int height, UINT, UINT bitCount, const void* bits) {
  if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > (1LL << 28)) return nullptr;
  QImage img(width, height, QImage::Format_RGB32);
  if (img.isNull()) return nullptr;
  img.fill(Qt::black);
  if (bits && (bitCount == 32 || bitCount == 24)) {
    // Device-dependent bitmaps: rows padded to 16 bits, top-down.
    int bpp = static_cast<int>(bitCount) / 8;
    int stride = ((width * bpp) + 1) & ~1;
    auto* src = static_cast<const std::uint8_t*>(bits);
    for (int y = 0; y < height; ++y) {
      auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
      const std::uint8_t* s = src + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
      for (int x = 0; x < width; ++x) dst[x] = qRgb(s[x * bpp + 2], s[x * bpp + 1], s[x * bpp]);
    }
  } else if (bits && bitCount == 1) {
    int stride = ((width + 15) / 16) * 2;
    auto* src = static_cast<const std::uint8_t*>(bits);
    for (int y = 0; y < height; ++y) {
      auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
      for (int x = 0; x < width; ++x) {
        bool on = src[static_cast<std::size_t>(y) * static_cast<std::size_t>(stride) + static_cast<std::size_t>(x / 8)] &
                  (0x80 >> (x % 8));
        dst[x] = on ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
      }
    }
  }
  HBITMAP h = AddBitmap(std::move(img), false, height, static_cast<int>(bitCount == 24 ? 24 : 32));
  if (bitCount == 1) GdiAs<BitmapObj>(h, GdiKind::Bitmap)->mono = true;
  return h;
}

// ---- pixel blocks of DIB sections ---------------------------------------------------------------------
//
// The pixels start on a page, as the system's own sections do: row loops that work whole cache lines then
// never split one when the rows do not. The allocator maps such large blocks afresh and returns them to
// the system when they are freed, so every new bitmap would fault in each of its pages again (a filter
// that makes a work bitmap per call paid more for that than for its pixels). Freed blocks are kept for
// the next sections instead, within fixed bounds: at most kKeptBlocks blocks and kKeptBytes bytes in all,
// the oldest given back first. A request takes the smallest kept block that holds it and is at most
// twice its size; blocks below kSmallBlock go straight to the allocator, which keeps those itself.
namespace {

constexpr std::size_t kPage = 4096;
#if defined(__SANITIZE_ADDRESS__)
// The address checker sees a kept block as live memory: it keeps none, so pixels used after their bitmap
// was freed are still reported.
constexpr std::size_t kSmallBlock = std::size_t(-1);
#else
constexpr std::size_t kSmallBlock = 64 * 1024;
#endif
constexpr std::size_t kKeptBlocks = 8;
constexpr std::size_t kKeptBytes = std::size_t(256) << 20;

struct PixelBlock {
  void* memory;       // what the allocator or the mapping gave
  std::size_t bytes;  // its size (whole pages)
  bool guarded;       // mapped with an inaccessible page after it (tests)
};

struct KeptBlocks {
  std::mutex lock;
  std::vector<PixelBlock> blocks;  // oldest first
  std::size_t bytes = 0;
};

// Never destroyed: images freed during the program's exit still give their blocks back.
KeptBlocks& Kept() {
  static KeptBlocks* kept = new KeptBlocks;
  return *kept;
}

std::atomic<bool> guardEnds{false};

// A block of at least `bytes` (a multiple of 4); `pixels` is where the picture starts in it.
PixelBlock* TakePixelBlock(std::size_t bytes, void*& pixels) {
  const std::size_t pages = (bytes + kPage - 1) / kPage * kPage;
  if (guardEnds.load(std::memory_order_relaxed)) {
    void* m = mmap(nullptr, pages + kPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) return nullptr;
    if (mprotect(static_cast<char*>(m) + pages, kPage, PROT_NONE) != 0) {
      munmap(m, pages + kPage);
      return nullptr;
    }
    pixels = static_cast<char*>(m) + (pages - bytes);  // the last row ends where the closed page starts
    return new PixelBlock{m, pages + kPage, true};
  }
  if (pages >= kSmallBlock) {
    KeptBlocks& kept = Kept();
    std::lock_guard<std::mutex> hold(kept.lock);
    auto best = kept.blocks.end();
    for (auto it = kept.blocks.begin(); it != kept.blocks.end(); ++it)
      if (it->bytes >= pages && it->bytes <= 2 * pages && (best == kept.blocks.end() || it->bytes < best->bytes))
        best = it;
    if (best != kept.blocks.end()) {
      auto* b = new PixelBlock(*best);
      kept.bytes -= best->bytes;
      kept.blocks.erase(best);
      pixels = b->memory;
      return b;
    }
  }
  void* m = std::aligned_alloc(kPage, pages);
  if (!m) return nullptr;
  pixels = m;
  return new PixelBlock{m, pages, false};
}

void GivePixelBlockBack(void* info) {
  auto* b = static_cast<PixelBlock*>(info);
  if (b->guarded) {
    munmap(b->memory, b->bytes);
  } else if (b->bytes < kSmallBlock || b->bytes > kKeptBytes) {
    std::free(b->memory);
  } else {
    std::vector<void*> release;
    {
      KeptBlocks& kept = Kept();
      std::lock_guard<std::mutex> hold(kept.lock);
      kept.blocks.push_back(*b);
      kept.bytes += b->bytes;
      while (kept.blocks.size() > kKeptBlocks || kept.bytes > kKeptBytes) {
        release.push_back(kept.blocks.front().memory);
        kept.bytes -= kept.blocks.front().bytes;
        kept.blocks.erase(kept.blocks.begin());
      }
    }
    for (void* m : release) std::free(m);
  }
  delete b;
}

}  // namespace

namespace win {
void GuardPixelEnds(bool On) { guardEnds.store(On, std::memory_order_relaxed); }
}  // namespace win

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* bmi, UINT, void** bits, HANDLE, DWORD) {
  if (bits) *bits = nullptr;
  if (!bmi) return nullptr;
  const auto& h = bmi->bmiHeader;
  int w = h.biWidth;
  int ht = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  if (w <= 0 || ht <= 0 || static_cast<long long>(w) * ht > (1LL << 28)) return nullptr;
  QImage::Format fmt;
  if (h.biBitCount == 24)
    fmt = QImage::Format_BGR888;
  else if (h.biBitCount == 32)
    fmt = QImage::Format_ARGB32;
  else
    return nullptr;
  const qsizetype stride = ((static_cast<qsizetype>(w) * h.biBitCount + 31) / 32) * 4;
  const std::size_t bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(ht);
  void* pixels = nullptr;
  PixelBlock* block = TakePixelBlock(bytes, pixels);
  if (!block) return nullptr;
  QImage img(static_cast<uchar*>(pixels), w, ht, stride, fmt, GivePixelBlockBack, block);
  if (img.isNull()) {
    GivePixelBlockBack(block);
    return nullptr;
  }
  img.fill(0);
  HBITMAP hb = AddBitmap(std::move(img), true, h.biHeight, h.biBitCount);
  if (bits) *bits = GdiAs<BitmapObj>(hb, GdiKind::Bitmap)->image.bits();
  return hb;
}

// Copies rows between a bitmap and a caller's DIB buffer in the caller's row order and format.
static bool DibLayout(const BITMAPINFO* bmi, int& w, int& h, bool& bottomUp, int& bpp, int& stride) {
  if (!bmi) return false;
  const auto& hd = bmi->bmiHeader;
  w = hd.biWidth;
  h = hd.biHeight < 0 ? -hd.biHeight : hd.biHeight;
  bottomUp = hd.biHeight > 0;
  bpp = hd.biBitCount;
  if (w <= 0 || h <= 0 || (bpp != 24 && bpp != 32)) return false;
  stride = ((w * bpp + 31) / 32) * 4;
  return true;
}

int GetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* bmi, UINT) {
  auto* b = GdiAs<BitmapObj>(bitmap, GdiKind::Bitmap);
  if (!b || !bmi) return 0;
  if (!bits) {
    auto& hd = bmi->bmiHeader;
    hd.biWidth = b->image.width();
    hd.biHeight = b->image.height();
    hd.biPlanes = 1;
    if (hd.biBitCount == 0) hd.biBitCount = static_cast<WORD>(b->bitsPixel);
    hd.biCompression = BI_RGB;
    hd.biSizeImage = static_cast<DWORD>(((hd.biWidth * hd.biBitCount + 31) / 32) * 4 * hd.biHeight);
    return b->image.height();
  }
  int w, h, bpp, stride;
  bool bottomUp;
  if (!DibLayout(bmi, w, h, bottomUp, bpp, stride)) return 0;
  QImage src = b->image.format() == QImage::Format_ARGB32
                   ? QImage(b->image.constBits(), b->image.width(), b->image.height(), b->image.bytesPerLine(), QImage::Format_ARGB32)
                   : b->image.convertToFormat(QImage::Format_RGB32);
  if (bpp == 24) src = b->image.convertToFormat(QImage::Format_BGR888);
  auto* out = static_cast<std::uint8_t*>(bits);
  int copied = 0;
  int rowBytes = std::min<int>(stride, static_cast<int>(src.bytesPerLine()));
  if (w != src.width()) rowBytes = std::min(rowBytes, src.width() * bpp / 8);
  for (UINT i = 0; i < lines; ++i) {
    int dibRow = static_cast<int>(start + i);
    if (dibRow >= h) break;
    int imgRow = bottomUp ? src.height() - 1 - dibRow : dibRow;
    if (imgRow < 0 || imgRow >= src.height()) continue;
    std::memcpy(out + static_cast<std::size_t>(i) * static_cast<std::size_t>(stride), src.constScanLine(imgRow),
                static_cast<std::size_t>(rowBytes));
    ++copied;
  }
  return copied;
}

int SetDIBits(HDC, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* bmi, UINT) {
  auto* b = GdiAs<BitmapObj>(bitmap, GdiKind::Bitmap);
  int w, h, bpp, stride;
  bool bottomUp;
  if (!b || !bits || !DibLayout(bmi, w, h, bottomUp, bpp, stride)) return 0;
  QImage::Format fmt = bpp == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32;
  const auto* in = static_cast<const std::uint8_t*>(bits);
  int copied = 0;
  for (UINT i = 0; i < lines; ++i) {
    int dibRow = static_cast<int>(start + i);
    if (dibRow >= h) break;
    int imgRow = bottomUp ? h - 1 - dibRow : dibRow;
    if (imgRow >= b->image.height()) continue;
    QImage row(in + static_cast<std::size_t>(i) * static_cast<std::size_t>(stride), w, 1, stride, fmt);
    QImage conv = row.convertToFormat(b->image.format());
    int n = std::min<int>(static_cast<int>(conv.bytesPerLine()), static_cast<int>(b->image.bytesPerLine()));
    n = std::min(n, std::min(w, b->image.width()) * b->image.depth() / 8);
    std::memcpy(b->image.scanLine(imgRow), conv.constScanLine(0), static_cast<std::size_t>(n));
    ++copied;
  }
  return copied;
}

LONG GetBitmapBits(HBITMAP bitmap, LONG bytes, void* bits) {
  auto* b = GdiAs<BitmapObj>(bitmap, GdiKind::Bitmap);
  if (!b || !bits || bytes <= 0) return 0;
  LONG n = std::min<LONG>(bytes, static_cast<LONG>(b->image.sizeInBytes()));
  std::memcpy(bits, b->image.constBits(), static_cast<std::size_t>(n));
  return n;
}

BOOL GetBitmapDimensionEx(HBITMAP bitmap, SIZE* size) {
  auto* b = GdiAs<BitmapObj>(bitmap, GdiKind::Bitmap);
  if (!b || !size) return FALSE;
  *size = SIZE{0, 0};
  return TRUE;
}

// ---- regions -------------------------------------------------------------------------------------

static HRGN AddRegion(QRegion r) {
  auto o = std::make_unique<RegionObj>();
  o->region = std::move(r);
  return static_cast<HRGN>(AddGdi(std::move(o)));
}

static QRect RectOf(int l, int t, int r, int b) {
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  return QRect(l, t, r - l, b - t);
}

static int RegionKind(const QRegion& r) {
  if (r.isEmpty()) return NULLREGION;
  return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

HRGN CreateRectRgn(int l, int t, int r, int b) { return AddRegion(QRegion(RectOf(l, t, r, b))); }
HRGN CreateRectRgnIndirect(const RECT* r) { return r ? CreateRectRgn(r->left, r->top, r->right, r->bottom) : nullptr; }
HRGN CreateEllipticRgn(int l, int t, int r, int b) { return AddRegion(QRegion(RectOf(l, t, r, b), QRegion::Ellipse)); }
HRGN CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) {
  QRect rc = RectOf(l, t, r, b);
  QRegion reg(rc);
  // Corners cut by ellipses of the given size.
  int cw = std::min(w, rc.width()), ch = std::min(h, rc.height());
  if (cw > 1 && ch > 1) {
    QRegion corners;
    QRect tl(rc.left(), rc.top(), cw / 2, ch / 2), tr(rc.right() - cw / 2 + 1, rc.top(), cw / 2, ch / 2);
    QRect bl(rc.left(), rc.bottom() - ch / 2 + 1, cw / 2, ch / 2), br(rc.right() - cw / 2 + 1, rc.bottom() - ch / 2 + 1, cw / 2, ch / 2);
    reg -= QRegion(tl) - QRegion(QRect(rc.left(), rc.top(), cw, ch), QRegion::Ellipse);
    reg -= QRegion(tr) - QRegion(QRect(rc.right() - cw + 1, rc.top(), cw, ch), QRegion::Ellipse);
    reg -= QRegion(bl) - QRegion(QRect(rc.left(), rc.bottom() - ch + 1, cw, ch), QRegion::Ellipse);
    reg -= QRegion(br) - QRegion(QRect(rc.right() - cw + 1, rc.bottom() - ch + 1, cw, ch), QRegion::Ellipse);
  }
  return AddRegion(reg);
}
HRGN CreatePolygonRgn(const POINT* pts, int count, int fillMode) {
  QPolygon poly;
  for (int i = 0; pts && i < count; ++i) poly << QPoint(pts[i].x, pts[i].y);
  return AddRegion(QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill));
}

int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode) {
  auto* d = GdiAs<RegionObj>(dst, GdiKind::Region);
  auto* ra = GdiAs<RegionObj>(a, GdiKind::Region);
  auto* rb = GdiAs<RegionObj>(b, GdiKind::Region);
  if (!d || !ra || (mode != RGN_COPY && !rb)) return RGN_ERROR;
  QRegion r;
  switch (mode) {
    case RGN_AND: r = ra->region & rb->region; break;
    case RGN_OR: r = ra->region | rb->region; break;
    case RGN_XOR: r = ra->region ^ rb->region; break;
    case RGN_DIFF: r = ra->region - rb->region; break;
    case RGN_COPY: r = ra->region; break;
    default: return RGN_ERROR;
  }
  d->region = r;
  return RegionKind(r);
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  auto* r = GdiAs<RegionObj>(rgn, GdiKind::Region);
  if (!r) return RGN_ERROR;
  r->region.translate(dx, dy);
  return RegionKind(r->region);
}

BOOL SetRectRgn(HRGN rgn, int l, int t, int r, int b) {
  auto* o = GdiAs<RegionObj>(rgn, GdiKind::Region);
  if (!o) return FALSE;
  o->region = QRegion(RectOf(l, t, r, b));
  return TRUE;
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  auto* r = GdiAs<RegionObj>(rgn, GdiKind::Region);
  return r && r->region.contains(QPoint(x, y)) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN rgn, const RECT* rc) {
  auto* r = GdiAs<RegionObj>(rgn, GdiKind::Region);
  return r && rc && r->region.intersects(RectOf(rc->left, rc->top, rc->right, rc->bottom)) ? TRUE : FALSE;
}

int GetRgnBox(HRGN rgn, RECT* rc) {
  auto* r = GdiAs<RegionObj>(rgn, GdiKind::Region);
  if (!r || !rc) return RGN_ERROR;
  QRect b = r->region.boundingRect();
  *rc = b.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
  return RegionKind(r->region);
}

BOOL EqualRgn(HRGN a, HRGN b) {
  auto* ra = GdiAs<RegionObj>(a, GdiKind::Region);
  auto* rb = GdiAs<RegionObj>(b, GdiKind::Region);
  return ra && rb && ra->region == rb->region ? TRUE : FALSE;
}

// ---- DC state ------------------------------------------------------------------------------------

HDC CreateCompatibleDC(HDC) {
  HDC h = NewDC(DCKind::Memory, nullptr, false);
  static HBITMAP stockBitmap = nullptr;
  if (!stockBitmap) {
    stockBitmap = CreateCompatibleBitmap(nullptr, 1, 1);
    Gdi(stockBitmap)->stock = true;
  }
  D(h)->s.bitmap = stockBitmap;
  return h;
}

BOOL DeleteDC(HDC hdc) {
  DC* dc = D(hdc);
  if (!dc) return FALSE;
  FreeDC(hdc);
  FlushDirty();
  return TRUE;
}

int SaveDC(HDC hdc) {
  DC* dc = D(hdc);
  if (!dc) return 0;
  dc->saved.push_back(dc->s);
  return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int saved) {
  DC* dc = D(hdc);
  if (!dc || dc->saved.empty()) return FALSE;
  int n = static_cast<int>(dc->saved.size());
  int index = saved < 0 ? n + saved : saved - 1;
  if (index < 0 || index >= n) return FALSE;
  DCState old = dc->s;
  dc->s = dc->saved[static_cast<std::size_t>(index)];
  std::vector<DCState> dropped(dc->saved.begin() + index + 1, dc->saved.end());
  dc->saved.resize(static_cast<std::size_t>(index));
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(old.pen), static_cast<HGDIOBJ>(old.brush), static_cast<HGDIOBJ>(old.font),
                    static_cast<HGDIOBJ>(old.bitmap)})
    ReleaseSelected(o);
  for (auto& s : dropped)
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(s.pen), static_cast<HGDIOBJ>(s.brush), static_cast<HGDIOBJ>(s.font),
                      static_cast<HGDIOBJ>(s.bitmap)})
      ReleaseSelected(o);
  return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
  DC* dc = D(hdc);
  QSize size(1280, 1024);
  // Memory DCs report their bitmap's size; window and screen DCs the screen's.
  if (dc && dc->kind == DCKind::Memory) {
    if (auto* b = GdiAs<BitmapObj>(dc->s.bitmap, GdiKind::Bitmap)) size = b->image.size();
  } else {
    size = QSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  }
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case HORZRES: return size.width();
    case VERTRES: return size.height();
    case HORZSIZE: return size.width() * 254 / 960;
    case VERTSIZE: return size.height() * 254 / 960;
    case NUMCOLORS: return -1;
    case TECHNOLOGY: return DT_RASDISPLAY;
    case RASTERCAPS: return 0;
    case SIZEPALETTE: return 0;
    case PHYSICALWIDTH: return size.width();
    case PHYSICALHEIGHT: return size.height();
    case PHYSICALOFFSETX:
    case PHYSICALOFFSETY: return 0;
  }
  return 0;
}

BOOL GdiFlush() {
  FlushDirty();
  return TRUE;
}

#define DC_OR(ret) \
  DC* dc = D(hdc); \
  if (!dc) return ret

COLORREF SetTextColor(HDC hdc, COLORREF c) {
  DC_OR(CLR_INVALID);
  COLORREF o = dc->s.textColor;
  dc->s.textColor = c & 0xFFFFFF;
  return o;
}
COLORREF GetTextColor(HDC hdc) {
  DC_OR(CLR_INVALID);
  return dc->s.textColor;
}
COLORREF SetBkColor(HDC hdc, COLORREF c) {
  DC_OR(CLR_INVALID);
  COLORREF o = dc->s.bkColor;
  dc->s.bkColor = c & 0xFFFFFF;
  return o;
}
COLORREF GetBkColor(HDC hdc) {
  DC_OR(CLR_INVALID);
  return dc->s.bkColor;
}
int SetBkMode(HDC hdc, int mode) {
  DC_OR(0);
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  int o = dc->s.bkMode;
  dc->s.bkMode = mode;
  return o;
}
int GetBkMode(HDC hdc) {
  DC_OR(0);
  return dc->s.bkMode;
}
int SetROP2(HDC hdc, int rop2) {
  DC_OR(0);
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) return 0;
  int o = dc->s.rop2;
  dc->s.rop2 = rop2;
  return o;
}
int GetROP2(HDC hdc) {
  DC_OR(0);
  return dc->s.rop2;
}
UINT SetTextAlign(HDC hdc, UINT align) {
  DC_OR(0xFFFFFFFF);
  UINT o = dc->s.textAlign;
  dc->s.textAlign = align;
  return o;
}
UINT GetTextAlign(HDC hdc) {
  DC_OR(0xFFFFFFFF);
  return dc->s.textAlign;
}
int SetTextCharacterExtra(HDC hdc, int extra) {
  DC_OR(0x80000000);
  int o = dc->s.charExtra;
  dc->s.charExtra = extra;
  return o;
}
int SetStretchBltMode(HDC hdc, int mode) {
  DC_OR(0);
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  int o = dc->s.stretchMode;
  dc->s.stretchMode = mode;
  return o;
}
int GetStretchBltMode(HDC hdc) {
  DC_OR(0);
  return dc->s.stretchMode;
}
int SetPolyFillMode(HDC hdc, int mode) {
  DC_OR(0);
  int o = dc->s.polyFillMode;
  dc->s.polyFillMode = mode == WINDING ? WINDING : ALTERNATE;
  return o;
}
int GetPolyFillMode(HDC hdc) {
  DC_OR(0);
  return dc->s.polyFillMode;
}
int SetMapMode(HDC hdc, int mode) {
  DC_OR(0);
  if (mode != MM_TEXT && mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC) return 0;
  int o = dc->s.mapMode;
  dc->s.mapMode = mode;
  // Fixed modes keep 1:1 extents; the extents of the two free modes start as 1:1 as well.
  dc->s.windowExt = QSize(1, 1);
  dc->s.viewportExt = QSize(1, 1);
  return o;
}
int GetMapMode(HDC hdc) {
  DC_OR(0);
  return dc->s.mapMode;
}
COLORREF SetDCBrushColor(HDC hdc, COLORREF c) {
  DC_OR(CLR_INVALID);
  COLORREF o = dc->s.dcBrushColor;
  dc->s.dcBrushColor = c & 0xFFFFFF;
  return o;
}
COLORREF SetDCPenColor(HDC hdc, COLORREF c) {
  DC_OR(CLR_INVALID);
  COLORREF o = dc->s.dcPenColor;
  dc->s.dcPenColor = c & 0xFFFFFF;
  return o;
}
BOOL SetBrushOrgEx(HDC hdc, int x, int y, POINT* old) {
  DC_OR(FALSE);
  if (old) *old = POINT{dc->s.brushOrg.x(), dc->s.brushOrg.y()};
  dc->s.brushOrg = QPoint(x, y);
  return TRUE;
}
BOOL GetBrushOrgEx(HDC hdc, POINT* pt) {
  DC_OR(FALSE);
  if (pt) *pt = POINT{dc->s.brushOrg.x(), dc->s.brushOrg.y()};
  return TRUE;
}
BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* old) {
  DC_OR(FALSE);
  if (old) *old = POINT{dc->s.viewportOrg.x(), dc->s.viewportOrg.y()};
  dc->s.viewportOrg = QPoint(x, y);
  return TRUE;
}
BOOL GetViewportOrgEx(HDC hdc, POINT* pt) {
  DC_OR(FALSE);
  if (pt) *pt = POINT{dc->s.viewportOrg.x(), dc->s.viewportOrg.y()};
  return TRUE;
}
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, POINT* old) {
  DC_OR(FALSE);
  if (old) *old = POINT{dc->s.viewportOrg.x(), dc->s.viewportOrg.y()};
  dc->s.viewportOrg += QPoint(dx, dy);
  return TRUE;
}
BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* old) {
  DC_OR(FALSE);
  if (old) *old = POINT{dc->s.windowOrg.x(), dc->s.windowOrg.y()};
  dc->s.windowOrg = QPoint(x, y);
  return TRUE;
}
BOOL GetWindowOrgEx(HDC hdc, POINT* pt) {
  DC_OR(FALSE);
  if (pt) *pt = POINT{dc->s.windowOrg.x(), dc->s.windowOrg.y()};
  return TRUE;
}
BOOL OffsetWindowOrgEx(HDC hdc, int dx, int dy, POINT* old) {
  DC_OR(FALSE);
  if (old) *old = POINT{dc->s.windowOrg.x(), dc->s.windowOrg.y()};
  dc->s.windowOrg += QPoint(dx, dy);
  return TRUE;
}
// Isotropic mapping keeps one unit as many pixels across as down: the viewport extent of the axis
// that would stretch more is cut back to the other's scale (its sign kept).
static void FitIsotropic(DCState& s) {
  if (s.mapMode != MM_ISOTROPIC || s.windowExt.width() == 0 || s.windowExt.height() == 0) return;
  double sx = std::abs(double(s.viewportExt.width()) / s.windowExt.width());
  double sy = std::abs(double(s.viewportExt.height()) / s.windowExt.height());
  if (sx > sy) {
    int w = static_cast<int>(std::lround(sy * std::abs(s.windowExt.width())));
    s.viewportExt.setWidth(s.viewportExt.width() < 0 ? -w : w);
  } else if (sy > sx) {
    int h = static_cast<int>(std::lround(sx * std::abs(s.windowExt.height())));
    s.viewportExt.setHeight(s.viewportExt.height() < 0 ? -h : h);
  }
}
BOOL SetViewportExtEx(HDC hdc, int x, int y, SIZE* old) {
  DC_OR(FALSE);
  if (old) *old = SIZE{dc->s.viewportExt.width(), dc->s.viewportExt.height()};
  // Only the free modes take extents; a zero extent would make the mapping singular.
  if (dc->s.mapMode != MM_ISOTROPIC && dc->s.mapMode != MM_ANISOTROPIC) return TRUE;
  if (x == 0 || y == 0) return FALSE;
  dc->s.viewportExt = QSize(x, y);
  FitIsotropic(dc->s);
  return TRUE;
}
BOOL SetWindowExtEx(HDC hdc, int x, int y, SIZE* old) {
  DC_OR(FALSE);
  if (old) *old = SIZE{dc->s.windowExt.width(), dc->s.windowExt.height()};
  if (dc->s.mapMode != MM_ISOTROPIC && dc->s.mapMode != MM_ANISOTROPIC) return TRUE;
  if (x == 0 || y == 0) return FALSE;
  dc->s.windowExt = QSize(x, y);
  FitIsotropic(dc->s);
  return TRUE;
}
BOOL GetViewportExtEx(HDC hdc, SIZE* size) {
  DC_OR(FALSE);
  if (size) *size = SIZE{dc->s.viewportExt.width(), dc->s.viewportExt.height()};
  return TRUE;
}
BOOL GetWindowExtEx(HDC hdc, SIZE* size) {
  DC_OR(FALSE);
  if (size) *size = SIZE{dc->s.windowExt.width(), dc->s.windowExt.height()};
  return TRUE;
}
BOOL LPtoDP(HDC hdc, POINT* pts, int count) {
  DC_OR(FALSE);
  for (int i = 0; pts && i < count; ++i) {
    QPoint d = ToDevice(dc->s, QPoint(pts[i].x, pts[i].y));
    pts[i] = POINT{d.x(), d.y()};
  }
  return TRUE;
}
BOOL DPtoLP(HDC hdc, POINT* pts, int count) {
  DC_OR(FALSE);
  for (int i = 0; pts && i < count; ++i) {
    QPoint l = ToLogical(dc->s, QPoint(pts[i].x, pts[i].y));
    pts[i] = POINT{l.x(), l.y()};
  }
  return TRUE;
}

COLORREF GetNearestColor(HDC hdc, COLORREF color) {
  DC_OR(CLR_INVALID);
  color &= 0xFFFFFF;
  // Monochrome bitmaps hold black and white only; every other surface here holds true colour.
  if (dc->kind == DCKind::Memory) {
    auto* bmp = GdiAs<BitmapObj>(dc->s.bitmap, GdiKind::Bitmap);
    if (bmp && bmp->mono) {
      int luma = (GetRValue(color) * 30 + GetGValue(color) * 59 + GetBValue(color) * 11) / 100;
      return luma >= 128 ? RGB(255, 255, 255) : RGB(0, 0, 0);
    }
  }
  return color;
}

// ---- clipping ------------------------------------------------------------------------------------

int SelectClipRgn(HDC hdc, HRGN rgn) { return ExtSelectClipRgn(hdc, rgn, RGN_COPY); }

int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode) {
  DC_OR(RGN_ERROR);
  auto* r = GdiAs<RegionObj>(rgn, GdiKind::Region);
  if (!r) {
    if (mode != RGN_COPY) return RGN_ERROR;
    dc->s.hasClip = false;
    dc->s.clip = QRegion();
    return SIMPLEREGION;
  }
  QRegion cur = dc->s.hasClip ? dc->s.clip : QRegion(kEverything);
  switch (mode) {
    case RGN_AND: cur &= r->region; break;
    case RGN_OR: cur |= r->region; break;
    case RGN_XOR: cur ^= r->region; break;
    case RGN_DIFF: cur -= r->region; break;
    default: cur = r->region; break;
  }
  dc->s.clip = cur;
  dc->s.hasClip = true;
  return RegionKind(cur);
}

int IntersectClipRect(HDC hdc, int l, int t, int r, int b) {
  DC_OR(RGN_ERROR);
  QRect rc = ToDeviceRect(dc->s, RectOf(l, t, r, b));
  dc->s.clip = dc->s.hasClip ? (dc->s.clip & rc) : QRegion(rc);
  dc->s.hasClip = true;
  return RegionKind(dc->s.clip);
}

int ExcludeClipRect(HDC hdc, int l, int t, int r, int b) {
  DC_OR(RGN_ERROR);
  QRect rc = ToDeviceRect(dc->s, RectOf(l, t, r, b));
  dc->s.clip = (dc->s.hasClip ? dc->s.clip : QRegion(kEverything)) - rc;
  dc->s.hasClip = true;
  return RegionKind(dc->s.clip);
}

int OffsetClipRgn(HDC hdc, int dx, int dy) {
  DC_OR(RGN_ERROR);
  if (!dc->s.hasClip) return SIMPLEREGION;
  dc->s.clip.translate(dx, dy);
  return RegionKind(dc->s.clip);
}

static QRegion DeviceVisible(DC* dc) {
  Target t;
  if (ResolveTarget(dc, t)) return t.clip.translated(-t.origin);
  if (dc->kind == DCKind::Screen)
    return QRegion(QRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN))) &
           (dc->s.hasClip ? dc->s.clip : QRegion(kEverything));
  return {};
}

int GetClipBox(HDC hdc, RECT* rc) {
  DC_OR(RGN_ERROR);
  QRegion v = DeviceVisible(dc);
  QRect d = v.boundingRect();
  QPoint a = ToLogical(dc->s, d.topLeft()), z = ToLogical(dc->s, d.bottomRight() + QPoint(1, 1));
  QRect b = RectOf(a.x(), a.y(), z.x(), z.y());
  if (rc) *rc = v.isEmpty() ? RECT{} : RECT{b.left(), b.top(), b.left() + b.width(), b.top() + b.height()};
  return RegionKind(v);
}

int GetClipRgn(HDC hdc, HRGN rgn) {
  DC_OR(-1);
  auto* r = GdiAs<RegionObj>(rgn, GdiKind::Region);
  if (!r) return -1;
  if (!dc->s.hasClip) return 0;
  r->region = dc->s.clip;
  return 1;
}

BOOL PtVisible(HDC hdc, int x, int y) {
  DC_OR(FALSE);
  return DeviceVisible(dc).contains(ToDevice(dc->s, QPoint(x, y))) ? TRUE : FALSE;
}

BOOL RectVisible(HDC hdc, const RECT* rc) {
  DC_OR(FALSE);
  if (!rc) return FALSE;
  // An empty rectangle shows nothing, wherever it lies.
  QRect d = ToDeviceRect(dc->s, RectOf(rc->left, rc->top, rc->right, rc->bottom));
  if (d.isEmpty()) return FALSE;
  return DeviceVisible(dc).intersects(d) ? TRUE : FALSE;
}

// ---- surface access --------------------------------------------------------------------------------

namespace win {

QImage* BitmapImage(HBITMAP bitmap) {
  auto* b = GdiAs<BitmapObj>(bitmap, GdiKind::Bitmap);
  return b ? &b->image : nullptr;
}

HBITMAP CreateBitmapFromImage(QImage image) {
  if (image.isNull()) return nullptr;
  QImage::Format f = image.format();
  if (f != QImage::Format_ARGB32 && f != QImage::Format_RGB32 && f != QImage::Format_BGR888)
    image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  bool dib = image.format() != QImage::Format_RGB32;
  int bits = image.format() == QImage::Format_BGR888 ? 24 : 32;
  int h = image.height();
  return AddBitmap(std::move(image), dib, -h, bits);
}

bool GetDCSurface(HDC hdc, DCSurface& surface) {
  Target t;
  if (!ResolveTarget(D(hdc), t)) return false;
  surface.image = t.image;
  surface.origin = t.origin;
  surface.clip = t.clip;
  return true;
}

void MarkDCDirty(HDC hdc, const QRect& imageRect) {
  DC* dc = D(hdc);
  if (!dc || dc->kind != DCKind::Window) return;
  Window* w = W(dc->hwnd);
  if (!w) return;
  MarkDirty(TopLevelOf(w), imageRect);
}

QFont FontFromHandle(HFONT font) {
  auto* f = GdiAs<FontObj>(font, GdiKind::Font);
  if (!f) f = GdiAs<FontObj>(DefaultGuiFont(), GdiKind::Font);
  return f->font;
}

QFont DCFont(HDC hdc) {
  DC* dc = D(hdc);
  return FontFromHandle(dc ? dc->s.font : nullptr);
}

void EnsureGuiApplication() { detail::EnsureGuiApplication(); }

QImage* WindowBackBuffer(HWND topLevel) {
  Window* w = W(topLevel);
  return w ? BackBuffer(w) : nullptr;
}

}  // namespace win
