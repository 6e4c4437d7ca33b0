// A memory DC over a w x h bitmap filled with one colour, read back pixel by pixel: the drawing,
// GDI and text tests check where ink lands through it.
#pragma once

#include <algorithm>
#include <vector>

#include "platform/win/windows.h"

constexpr COLORREF kRed = RGB(255, 0, 0), kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255), kBlue = RGB(0, 0, 255);

class Surface {
 public:
  Surface(int w, int h, COLORREF fill = kRed) : w_(w), h_(h) {
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateCompatibleBitmap(nullptr, w, h);
    old = SelectObject(dc, bmp);
    Fill(fill);
  }
  ~Surface() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  void Fill(COLORREF c) {
    RECT r{0, 0, w_, h_};
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  std::vector<COLORREF> All() const {
    std::vector<COLORREF> v;
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) v.push_back(At(x, y));
    return v;
  }
  // Columns and rows holding a pixel other than `bg`; empty when none.
  RECT Ink(COLORREF bg) const {
    RECT r{w_, h_, -1, -1};
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x)
        if (At(x, y) != bg) r = RECT{std::min<LONG>(r.left, x), std::min<LONG>(r.top, y), std::max<LONG>(r.right, x + 1), std::max<LONG>(r.bottom, y + 1)};
    return r.right < 0 ? RECT{} : r;
  }
  int Count(COLORREF c) const {
    int n = 0;
    for (COLORREF p : All()) n += p == c;
    return n;
  }
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
  int w_, h_;
};
