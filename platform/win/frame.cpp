// The classic 3D look drawn with plain GDI calls: DrawEdge's rings of light and shadow, the frame
// controls built on them (scroll arrows, the combo box arrow, check and radio boxes, push buttons) and
// the system's check-box bitmap that measures the check-box glyph.
//
// Every part is drawn through FillRect on whole pixels, so it follows the DC's mapping and clipping
// and is exact at any size.
#include <algorithm>
#include <vector>

#include "platform/win/internal.h"

namespace {

void Fill(HDC hdc, int l, int t, int r, int b, COLORREF c) {
  if (r <= l || b <= t) return;
  RECT f{l, t, r, b};
  HBRUSH br = CreateSolidBrush(c);
  FillRect(hdc, &f, br);
  DeleteObject(br);
}

void Pixel(HDC hdc, int x, int y, COLORREF c) { Fill(hdc, x, y, x + 1, y + 1, c); }

// One ring of an edge: colours of the top-left and bottom-right sides (system colour indexes).
struct Ring {
  int tl = -1;
  int br = -1;
};

// The ring for the two bits of one ring (1 raised, 2 sunken; both or neither: no ring).
Ring RingFor(UINT bits, bool outer, UINT flags) {
  if (bits != 1 && bits != 2) return {};
  if (flags & BF_MONO) return outer ? Ring{COLOR_WINDOWFRAME, COLOR_WINDOWFRAME} : Ring{COLOR_WINDOW, COLOR_WINDOW};
  if (flags & BF_FLAT) return outer ? Ring{COLOR_BTNSHADOW, COLOR_BTNSHADOW} : Ring{COLOR_BTNFACE, COLOR_BTNFACE};
  bool soft = (flags & BF_SOFT) != 0;
  bool raised = bits == 1;
  if (outer)
    return raised ? Ring{soft ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT, COLOR_3DDKSHADOW}
                  : Ring{soft ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
  return raised ? Ring{soft ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW}
                : Ring{soft ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW, COLOR_3DLIGHT};
}

// Pixels of a line from a to b, both ends included.
void DiagonalLine(HDC hdc, POINT a, POINT b, COLORREF c) {
  int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
  int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    Pixel(hdc, a.x, a.y, c);
    if (a.x == b.x && a.y == b.y) break;
    int e2 = 2 * err;
    if (e2 >= dy) err += dy, a.x += sx;
    if (e2 <= dx) err += dx, a.y += sy;
  }
}

// A diagonal edge: the line from the corner opposite the end corner to the end corner (BF_TOP or
// BF_BOTTOM with BF_LEFT or BF_RIGHT name the end), one line per ring, each inner ring one pixel
// further toward the rectangle's lower right. A line rising to the right takes the top-left
// colour, one falling to the right the bottom-right colour.
BOOL DrawDiagonal(HDC hdc, RECT* rc, const std::vector<Ring>& rings, UINT flags) {
  RECT r = *rc;
  if (r.right - r.left <= 0 || r.bottom - r.top <= 0) return TRUE;
  bool endTop = (flags & BF_TOP) != 0, endRight = (flags & BF_RIGHT) != 0;
  POINT end{endRight ? r.right - 1 : r.left, endTop ? r.top : r.bottom - 1};
  POINT start{endRight ? r.left : r.right - 1, endTop ? r.bottom - 1 : r.top};
  bool rising = (start.x < end.x) == (start.y > end.y);
  int k = 0;
  for (const Ring& ring : rings) {
    COLORREF c = GetSysColor(rising ? ring.tl : ring.br);
    DiagonalLine(hdc, POINT{start.x + k, start.y}, POINT{end.x + k, end.y}, c);
    ++k;
  }
  if (flags & BF_ADJUST) {
    // The rectangle left beside the lines shrinks by the rings drawn, on the sides they run along.
    int n = static_cast<int>(rings.size());
    if (endRight) rc->right -= n; else rc->left += n;
    if (endTop) rc->top += n; else rc->bottom -= n;
  }
  return TRUE;
}

// A filled triangle pointing in a direction, its base 2a-1 pixels and its height a, centred in r.
enum class Dir { Up, Down, Left, Right };

void Arrow(HDC hdc, const RECT& r, Dir d, int dx, int dy, COLORREF c) {
  int w = r.right - r.left, h = r.bottom - r.top;
  int s = std::min(w, h);
  int a = std::max(1, (s - 4) / 3);
  int base = 2 * a - 1;
  bool vertical = d == Dir::Up || d == Dir::Down;
  int bw = vertical ? base : a, bh = vertical ? a : base;
  int x0 = r.left + (w - bw) / 2 + dx, y0 = r.top + (h - bh) / 2 + dy;
  for (int i = 0; i < a; ++i) {
    switch (d) {
      case Dir::Down: Fill(hdc, x0 + i, y0 + i, x0 + base - i, y0 + i + 1, c); break;
      case Dir::Up: Fill(hdc, x0 + i, y0 + a - 1 - i, x0 + base - i, y0 + a - i, c); break;
      case Dir::Right: Fill(hdc, x0 + i, y0 + i, x0 + i + 1, y0 + base - i, c); break;
      case Dir::Left: Fill(hdc, x0 + a - 1 - i, y0 + i, x0 + a - i, y0 + base - i, c); break;
    }
  }
}

// The glyph of a part: enabled in the button-text colour; disabled embossed (highlight one pixel to
// the lower right, then shadow).
template <class DrawGlyph>
void Glyph(UINT state, DrawGlyph draw) {
  int shift = (state & DFCS_PUSHED) ? 1 : 0;
  if (state & DFCS_INACTIVE) {
    draw(shift + 1, shift + 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    draw(shift, shift, GetSysColor(COLOR_BTNSHADOW));
  } else {
    draw(shift, shift, GetSysColor(COLOR_BTNTEXT));
  }
}

// The frame of a button-like part; returns the inside.
RECT ButtonFrame(HDC hdc, const RECT& rc, UINT state, bool pushed) {
  RECT r = rc;
  if (state & DFCS_MONO)
    DrawEdge(hdc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_MONO | BF_ADJUST);
  else if (state & DFCS_FLAT)
    DrawEdge(hdc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_FLAT | BF_ADJUST);
  else if (pushed)
    DrawEdge(hdc, &r, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_FLAT | BF_ADJUST);
  else
    DrawEdge(hdc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
  return r;
}

void ScrollPart(HDC hdc, const RECT& rc, UINT state) {
  UINT kind = state & 0xFF;
  if (kind == DFCS_SCROLLSIZEGRIP) {
    // Diagonal grooves toward the lower right: highlight, shadow, shadow, face, repeated.
    if (!(state & DFCS_TRANSPARENT)) Fill(hdc, rc.left, rc.top, rc.right, rc.bottom, GetSysColor(COLOR_BTNFACE));
    int s = std::min(rc.right - rc.left, rc.bottom - rc.top);
    const int colours[4] = {COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW, COLOR_BTNSHADOW, COLOR_BTNFACE};
    for (int i = 1; i < s; ++i) {
      COLORREF c = GetSysColor(colours[(i - 1) % 4]);
      DiagonalLine(hdc, POINT{rc.right - i, rc.bottom - 1}, POINT{rc.right - 1, rc.bottom - i}, c);
    }
    return;
  }
  RECT in = ButtonFrame(hdc, rc, state, (state & DFCS_PUSHED) != 0);
  Dir d = Dir::Down;
  switch (kind) {
    case DFCS_SCROLLUP: d = Dir::Up; break;
    case DFCS_SCROLLLEFT: d = Dir::Left; break;
    case DFCS_SCROLLRIGHT: d = Dir::Right; break;
    default: d = Dir::Down; break;  // DFCS_SCROLLDOWN and the combo box arrow
  }
  // The arrow is sized by the whole part and centred in it, as the frame is the same on every side.
  (void)in;
  Glyph(state, [&](int dx, int dy, COLORREF c) { Arrow(hdc, rc, d, dx, dy, c); });
}

// The check mark: seven columns, three pixels tall each, falling then rising, scaled by k.
const char* const kCheckMark[7] = {
    "......X", ".....XX", "X...XXX", "XX.XXX.", "XXXXX..", ".XXX...", "..X....",
};

void CheckMark(HDC hdc, int x, int y, int k, COLORREF c) {
  for (int row = 0; row < 7; ++row)
    for (int col = 0; col < 7; ++col)
      if (kCheckMark[row][col] == 'X') Fill(hdc, x + col * k, y + row * k, x + (col + 1) * k, y + (row + 1) * k, c);
}

void ButtonPart(HDC hdc, const RECT& rc, UINT state) {
  UINT kind = state & 0xFF;
  bool checked = (state & DFCS_CHECKED) != 0;
  if (kind == DFCS_BUTTONPUSH) {
    RECT in = ButtonFrame(hdc, rc, state, (state & (DFCS_PUSHED | DFCS_CHECKED)) != 0);
    if (checked && !(state & DFCS_PUSHED)) {
      // A push button that stays down: a dither of highlight and face.
      for (int y = in.top; y < in.bottom; ++y)
        for (int x = in.left + ((y + in.left) & 1); x < in.right; x += 2) Pixel(hdc, x, y, GetSysColor(COLOR_BTNHIGHLIGHT));
    }
    return;
  }
  // Check and radio boxes are square: the largest square at the left, centred vertically.
  int s = std::min(rc.right - rc.left, rc.bottom - rc.top);
  if (s <= 0) return;
  RECT box{rc.left, rc.top + (rc.bottom - rc.top - s) / 2, 0, 0};
  box.right = box.left + s;
  box.bottom = box.top + s;
  bool grayed = kind == DFCS_BUTTON3STATE && checked;
  bool faceMiddle = (state & (DFCS_PUSHED | DFCS_INACTIVE)) != 0 || grayed;
  COLORREF middle = GetSysColor(faceMiddle ? COLOR_BTNFACE : COLOR_WINDOW);
  COLORREF mark = GetSysColor((state & DFCS_INACTIVE) || grayed ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT);
  if (kind == DFCS_BUTTONRADIO) {
    HBRUSH b = CreateSolidBrush(middle);
    HPEN p = CreatePen(PS_SOLID, 1, GetSysColor((state & DFCS_MONO) ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW));
    HGDIOBJ ob = SelectObject(hdc, b), op = SelectObject(hdc, p);
    Ellipse(hdc, box.left, box.top, box.right, box.bottom);
    SelectObject(hdc, ob);
    SelectObject(hdc, op);
    DeleteObject(b);
    DeleteObject(p);
    if (checked) {
      int d = std::max(2, s / 3);
      int x = box.left + (s - d) / 2, y = box.top + (s - d) / 2;
      Fill(hdc, x, y, x + d, y + d, mark);
    }
    return;
  }
  RECT in = box;
  UINT edgeFlags = BF_RECT | BF_ADJUST;
  if (state & DFCS_MONO)
    DrawEdge(hdc, &in, BDR_SUNKENOUTER, edgeFlags | BF_MONO);
  else if (state & DFCS_FLAT)
    DrawEdge(hdc, &in, BDR_SUNKENOUTER, edgeFlags | BF_FLAT);
  else
    DrawEdge(hdc, &in, EDGE_SUNKEN, edgeFlags);
  Fill(hdc, in.left, in.top, in.right, in.bottom, middle);
  if (checked) {
    int n = std::min(in.right - in.left, in.bottom - in.top);
    int k = std::max(1, (n - 2) / 7);
    int m = 7 * k;
    if (n >= m) CheckMark(hdc, in.left + (n - m) / 2, in.top + (n - m) / 2, k, mark);
  }
}

}  // namespace

BOOL DrawEdge(HDC hdc, RECT* rc, UINT edge, UINT flags) {
  if (!win::detail::D(hdc) || !rc) return FALSE;
  std::vector<Ring> rings;
  Ring outer = RingFor(edge & BDR_OUTER, true, flags);
  Ring inner = RingFor((edge & BDR_INNER) >> 2, false, flags);
  if (outer.tl >= 0) rings.push_back(outer);
  if (inner.tl >= 0) rings.push_back(inner);
  if (flags & BF_DIAGONAL) return DrawDiagonal(hdc, rc, rings, flags);
  RECT r = *rc;
  for (const Ring& ring : rings) {
    if (r.right - r.left <= 0 || r.bottom - r.top <= 0) break;
    COLORREF tl = GetSysColor(ring.tl), br = GetSysColor(ring.br);
    // The top-left colour owns the top row and the left column except the corners that the
    // bottom-right colour ends in (top right and bottom left).
    if (flags & BF_TOP) Fill(hdc, r.left, r.top, r.right - ((flags & BF_RIGHT) ? 1 : 0), r.top + 1, tl);
    if (flags & BF_LEFT) Fill(hdc, r.left, r.top, r.left + 1, r.bottom - ((flags & BF_BOTTOM) ? 1 : 0), tl);
    if (flags & BF_BOTTOM) Fill(hdc, r.left, r.bottom - 1, r.right, r.bottom, br);
    if (flags & BF_RIGHT) Fill(hdc, r.right - 1, r.top, r.right, r.bottom, br);
    if (flags & BF_LEFT) ++r.left;
    if (flags & BF_TOP) ++r.top;
    if (flags & BF_RIGHT) --r.right;
    if (flags & BF_BOTTOM) --r.bottom;
  }
  if (flags & BF_MIDDLE) Fill(hdc, r.left, r.top, r.right, r.bottom, GetSysColor((flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
  if (flags & BF_ADJUST) *rc = r;
  return TRUE;
}

BOOL DrawFrameControl(HDC hdc, RECT* rc, UINT type, UINT state) {
  if (!win::detail::D(hdc) || !rc) return FALSE;
  if (type == DFC_SCROLL)
    ScrollPart(hdc, *rc, state);
  else if (type == DFC_BUTTON)
    ButtonPart(hdc, *rc, state);
  else
    return FALSE;
  if (state & DFCS_ADJUSTRECT) {
    int b = (state & (DFCS_FLAT | DFCS_MONO)) ? 1 : 2;
    InflateRect(rc, -b, -b);
  }
  return TRUE;
}

HBITMAP LoadBitmap(HINSTANCE instance, LPCSTR name) {
  if (instance || !IS_INTRESOURCE(name)) return nullptr;
  int id = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
  if (id != OBM_CHECKBOXES) return nullptr;
  // Four columns (clear, checked, pushed, pushed and checked) of three rows (check box, radio
  // button, three-state box) of 13 x 13 glyphs.
  constexpr int kGlyph = 13;
  HBITMAP bmp = CreateCompatibleBitmap(nullptr, 4 * kGlyph, 3 * kGlyph);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  const UINT kinds[3] = {DFCS_BUTTONCHECK, DFCS_BUTTONRADIO, DFCS_BUTTON3STATE};
  const UINT states[4] = {0, DFCS_CHECKED, DFCS_PUSHED, DFCS_PUSHED | DFCS_CHECKED};
  RECT all{0, 0, 4 * kGlyph, 3 * kGlyph};
  FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 4; ++col) {
      RECT g{col * kGlyph, row * kGlyph, (col + 1) * kGlyph, (row + 1) * kGlyph};
      DrawFrameControl(dc, &g, DFC_BUTTON, kinds[row] | states[col]);
    }
  SelectObject(dc, old);
  DeleteDC(dc);
  return bmp;
}
