// Glyph strips for the tests of buttons that show one image of a strip per state.
#pragma once

#include <initializer_list>

#include "platform/graphics/graphics.h"

// A strip of 12 x 12 images side by side, one per colour: a square of the colour Inset pixels inside a
// white ground (the strip's bottom-left pixel, so its transparent colour, unless Inset is 0).
inline void FillGlyphStrip(TBitmap* Strip, std::initializer_list<TColor> Colours, int Inset) {
  const int n = static_cast<int>(Colours.size());
  Strip->SetPixelFormat(pf24bit);
  Strip->SetSize(12 * n, 12);
  Strip->Canvas()->Brush()->SetColor(clWhite);
  Strip->Canvas()->FillRect(TRect(0, 0, 12 * n, 12));
  int i = 0;
  for (TColor c : Colours) {
    Strip->Canvas()->Brush()->SetColor(c);
    Strip->Canvas()->FillRect(TRect(12 * i + Inset, Inset, 12 * i + 12 - Inset, 12 - Inset));
    ++i;
  }
}
