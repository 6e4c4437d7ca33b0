// The button parts edits and grid cells draw (combo drop-down, spin halves, push, tool and check
// box) in normal, hot, pressed and disabled states through the plain and the styled painters, with
// their content rectangles; and a sheet of every DrawEdge and DrawFrameControl case for a person to
// look at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/themes.h"
#include "platform/host/theme_painter.h"
#include "platform/win/surface.h"
#include "platform/win/testing.h"
#include "platform/win/windows.h"

namespace {

constexpr COLORREF kMarker = RGB(255, 0, 255);

// A memory DC on a bitmap filled with the marker colour.
struct Bitmap {
  Bitmap(int w, int h, COLORREF fill = kMarker) : w(w), h(h) {
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateCompatibleBitmap(nullptr, w, h);
    old = SelectObject(dc, bmp);
    RECT r{0, 0, w, h};
    HBRUSH b = CreateSolidBrush(fill);
    FillRect(dc, &r, b);
    DeleteObject(b);
  }
  ~Bitmap() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  QImage Image() const { return win::BitmapImage(bmp)->copy(); }
  int w, h;
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
};

struct State {
  const char* name;
  TElementState s;
};

std::vector<State> States() {
  TElementState normal, hot, pressed, disabled;
  hot.Hot = true;
  pressed.Hot = pressed.Pressed = true;
  disabled.Enabled = false;
  return {{"normal", normal}, {"hot", hot}, {"pressed", pressed}, {"disabled", disabled}};
}

struct Part {
  const char* name;
  std::function<void(TThemePainter&, HDC, const RECT&, const TElementState&, RECT*)> draw;
  bool fills;  // covers its whole rectangle
};

std::vector<Part> Parts() {
  auto check = [](bool checked, bool mixed) {
    return [=](TThemePainter& p, HDC dc, const RECT& r, const TElementState& s, RECT* c) {
      TElementState t = s;
      t.Checked = checked;
      t.Mixed = mixed;
      RECT box{r.left + (r.right - r.left - 13) / 2, r.top + (r.bottom - r.top - 13) / 2, 0, 0};
      box.right = box.left + 13;
      box.bottom = box.top + 13;
      p.CheckBox(dc, box, t);
      if (c) *c = box;
    };
  };
  return {
      {"combo", [](TThemePainter& p, HDC dc, const RECT& r, const TElementState& s, RECT* c) { p.ComboButton(dc, r, s, c); }, true},
      {"spin up", [](TThemePainter& p, HDC dc, const RECT& r, const TElementState& s, RECT* c) { p.SpinButton(dc, r, true, s, c); }, true},
      {"spin down", [](TThemePainter& p, HDC dc, const RECT& r, const TElementState& s, RECT* c) { p.SpinButton(dc, r, false, s, c); }, true},
      {"push", [](TThemePainter& p, HDC dc, const RECT& r, const TElementState& s, RECT* c) { p.PushButton(dc, r, s, c); }, false},
      {"tool", [](TThemePainter& p, HDC dc, const RECT& r, const TElementState& s, RECT* c) { p.ToolButton(dc, r, s, c); }, false},
      {"check off", check(false, false), false},
      {"check on", check(true, false), false},
      {"check mixed", check(false, true), false},
  };
}

int Differing(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

// Row (relative to the dark pixels' box, in percent) where the most dark pixels lie inside R.
int WidestDarkRow(const QImage& img, const RECT& r) {
  int top = -1, bottom = -1, best = -1, bestCount = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    int n = 0;
    for (int x = r.left; x < r.right; ++x) n += qGray(img.pixel(x, y)) < 90;
    if (n == 0) continue;
    if (top < 0) top = y;
    bottom = y;
    if (n > bestCount) bestCount = n, best = y;
  }
  if (top < 0 || bottom == top) return -1;
  return (best - top) * 100 / (bottom - top);
}

class PartsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "parts_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) app_ = std::make_unique<QApplication>(argc, argv);
  }
  static void TearDownTestSuite() {
    QCoreApplication::processEvents();
    app_.reset();
  }
  void SetUp() override { ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr); }
  void TearDown() override { host::UninstallThemePainter(); }

  static std::unique_ptr<QApplication> app_;
};
std::unique_ptr<QApplication> PartsTest::app_;

TEST_F(PartsTest, EveryPartShowsItsStatesAndHandsBackItsContent) {
  TThemePainter plain;
  host::QStyleThemePainter styled;
  ASSERT_NE(styled.Style(), nullptr);
  const RECT r{0, 0, 22, 20};
  for (TThemePainter* painter : {&plain, static_cast<TThemePainter*>(&styled)}) {
    const char* which = painter == &plain ? "plain" : "styled";
    for (const Part& part : Parts()) {
      std::vector<QImage> images;
      for (const State& st : States()) {
        SCOPED_TRACE(std::string(which) + " " + part.name + " " + st.name);
        Bitmap b(22, 20);
        RECT content{-1, -1, -1, -1};
        part.draw(*painter, b.dc, r, st.s, &content);
        images.push_back(b.Image());
        EXPECT_GE(content.left, r.left);
        EXPECT_GE(content.top, r.top);
        EXPECT_LE(content.right, r.right);
        EXPECT_LE(content.bottom, r.bottom);
        EXPECT_GT(content.right - content.left, 4);
        EXPECT_GT(content.bottom - content.top, 4);
        if (part.fills) {
          int left = 0;
          for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 22; ++x) left += b.Image().pixel(x, y) == qRgb(255, 0, 255);
          EXPECT_EQ(left, 0) << "fills its rectangle";
        }
      }
      SCOPED_TRACE(std::string(which) + " " + part.name);
      EXPECT_GT(Differing(images[0], images[2]), 3) << "pressed differs from normal";
      EXPECT_GT(Differing(images[0], images[3]), 3) << "disabled differs from normal";
      // The classic frame controls have no hot look; the styled buttons light up.
      if (painter == &styled && part.fills) {
        EXPECT_GT(Differing(images[0], images[1]), 3) << "hot differs from normal";
      }
    }
  }

  // The arrows point their way: the widest row of an up arrow lies at its bottom, of a down arrow at
  // its top.
  for (TThemePainter* painter : {&plain, static_cast<TThemePainter*>(&styled)}) {
    Bitmap up(22, 20), down(22, 20), combo(22, 20);
    RECT cu, cd, cc;
    painter->SpinButton(up.dc, r, true, TElementState{}, &cu);
    painter->SpinButton(down.dc, r, false, TElementState{}, &cd);
    painter->ComboButton(combo.dc, r, TElementState{}, &cc);
    EXPECT_GT(WidestDarkRow(up.Image(), cu), 50);
    EXPECT_LT(WidestDarkRow(down.Image(), cd), 50);
    EXPECT_GE(WidestDarkRow(combo.Image(), cc), 0);
    EXPECT_LT(WidestDarkRow(combo.Image(), cc), 50) << "the drop-down arrow points down";
  }

  // The plain combo and spin parts are the classic frame controls; the content is inside the frame.
  Bitmap a(22, 20), c(22, 20);
  RECT content;
  plain.ComboButton(a.dc, r, TElementState{}, &content);
  RECT fr = r;
  DrawFrameControl(c.dc, &fr, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
  EXPECT_EQ(Differing(a.Image(), c.Image()), 0);
  EXPECT_EQ(content.left, 2);
  EXPECT_EQ(content.bottom, 18);
  TElementState flat;
  flat.Flat = true;
  plain.ComboButton(a.dc, r, flat, &content);
  EXPECT_EQ(content.left, 1) << "a flat frame is one pixel";

  // Three states of a check box look three ways.
  for (TThemePainter* painter : {&plain, static_cast<TThemePainter*>(&styled)}) {
    std::vector<QImage> looks;
    for (int k = 0; k < 3; ++k) {
      Bitmap b(13, 13);
      TElementState s;
      s.Checked = k == 1;
      s.Mixed = k == 2;
      painter->CheckBox(b.dc, RECT{0, 0, 13, 13}, s);
      looks.push_back(b.Image());
    }
    EXPECT_GT(Differing(looks[0], looks[1]), 5);
    EXPECT_GT(Differing(looks[0], looks[2]), 5);
    EXPECT_GT(Differing(looks[1], looks[2]), 5);
  }
}

// ---- the sheet ------------------------------------------------------------------------------------

void Label(HDC dc, int x, int y, int w, int h, const std::string& text, UINT align = DT_LEFT) {
  RECT r{x, y, x + w, y + h};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  DrawText(dc, text.c_str(), -1, &r, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

TEST_F(PartsTest, SheetOfEdgesFrameControlsAndThemedParts) {
  const int cell = 50, rowH = 26, labelW = 118;
  struct EdgeFlags {
    const char* name;
    UINT flags;
  };
  const EdgeFlags edgeFlags[] = {
      {"RECT", BF_RECT},           {"SOFT", BF_RECT | BF_SOFT}, {"FLAT", BF_RECT | BF_FLAT},
      {"MONO", BF_RECT | BF_MONO}, {"MIDDLE", BF_RECT | BF_MIDDLE}, {"TOP", BF_TOP},
      {"LEFT", BF_LEFT},           {"RIGHT", BF_RIGHT},         {"BOTTOM", BF_BOTTOM},
      {"TOPLEFT", BF_TOPLEFT},     {"BOTRIGHT", BF_BOTTOMRIGHT}, {"D/TR", BF_DIAGONAL_ENDTOPRIGHT},
      {"D/TL", BF_DIAGONAL_ENDTOPLEFT}, {"D/BL", BF_DIAGONAL_ENDBOTTOMLEFT}, {"D/BR", BF_DIAGONAL_ENDBOTTOMRIGHT},
  };
  const int nFlags = static_cast<int>(std::size(edgeFlags));
  struct FrameCase {
    const char* name;
    UINT type, kind;
  };
  const FrameCase frames[] = {
      {"scroll up", DFC_SCROLL, DFCS_SCROLLUP},       {"scroll down", DFC_SCROLL, DFCS_SCROLLDOWN},
      {"scroll left", DFC_SCROLL, DFCS_SCROLLLEFT},   {"scroll right", DFC_SCROLL, DFCS_SCROLLRIGHT},
      {"combo arrow", DFC_SCROLL, DFCS_SCROLLCOMBOBOX}, {"size grip", DFC_SCROLL, DFCS_SCROLLSIZEGRIP},
      {"check", DFC_BUTTON, DFCS_BUTTONCHECK},        {"three-state", DFC_BUTTON, DFCS_BUTTON3STATE},
      {"radio", DFC_BUTTON, DFCS_BUTTONRADIO},        {"push", DFC_BUTTON, DFCS_BUTTONPUSH},
  };
  struct FrameState {
    const char* name;
    UINT state;
  };
  const FrameState frameStates[] = {
      {"normal", 0}, {"checked", DFCS_CHECKED}, {"pushed", DFCS_PUSHED}, {"chk+push", DFCS_CHECKED | DFCS_PUSHED},
      {"flat", DFCS_FLAT}, {"chk+flat", DFCS_CHECKED | DFCS_FLAT}, {"inactive", DFCS_INACTIVE},
      {"chk+inact", DFCS_CHECKED | DFCS_INACTIVE}, {"mono", DFCS_MONO}, {"push+flat", DFCS_PUSHED | DFCS_FLAT},
  };
  const int nFrameStates = static_cast<int>(std::size(frameStates));
  auto parts = Parts();
  auto states = States();

  int width = labelW + std::max(nFlags, nFrameStates + 1) * cell + 20;
  int edgesTop = 24, edgesH = 20 + 16 * rowH;
  int framesTop = edgesTop + edgesH + 28, framesH = 20 + static_cast<int>(std::size(frames)) * rowH;
  int themeTop = framesTop + framesH + 28, themeH = 20 + 2 * static_cast<int>(parts.size()) * rowH;
  int height = themeTop + themeH + 10;
  Bitmap sheet(width, height, GetSysColor(COLOR_BTNFACE));
  HDC dc = sheet.dc;

  // Every DrawEdge: the sixteen combinations of the four BDR_ bits against the BF_ flag sets.
  Label(dc, 4, 2, width, 20, "DrawEdge: BDR_ bits (rows: raised outer 1, sunken outer 2, raised inner 4, sunken inner 8) x BF_ flags");
  for (int f = 0; f < nFlags; ++f) Label(dc, labelW + f * cell, edgesTop, cell, 18, edgeFlags[f].name, DT_CENTER);
  for (UINT edge = 0; edge < 16; ++edge) {
    int y = edgesTop + 20 + static_cast<int>(edge) * rowH;
    Label(dc, 4, y, labelW, rowH - 4, "edge " + std::to_string(edge));
    for (int f = 0; f < nFlags; ++f) {
      RECT back{labelW + f * cell, y, labelW + f * cell + cell - 6, y + rowH - 6};
      HBRUSH paper = CreateSolidBrush(RGB(250, 236, 180));
      FillRect(dc, &back, paper);
      DeleteObject(paper);
      RECT r = back;
      DrawEdge(dc, &r, edge, edgeFlags[f].flags);
    }
  }

  // Every DrawFrameControl part against its states.
  Label(dc, 4, framesTop - 22, width, 20, "DrawFrameControl: parts x states (checked means three-state grayed for the three-state box)");
  for (int s = 0; s < nFrameStates; ++s) Label(dc, labelW + s * cell, framesTop, cell, 18, frameStates[s].name, DT_CENTER);
  for (size_t k = 0; k < std::size(frames); ++k) {
    int y = framesTop + 20 + static_cast<int>(k) * rowH;
    Label(dc, 4, y, labelW, rowH - 4, frames[k].name);
    for (int s = 0; s < nFrameStates; ++s) {
      bool button = frames[k].type == DFC_BUTTON && frames[k].kind != DFCS_BUTTONPUSH;
      RECT r{labelW + s * cell, y, labelW + s * cell + (button ? 13 : cell - 8), y + (button ? 13 : rowH - 6)};
      DrawFrameControl(dc, &r, frames[k].type, frames[k].kind | frameStates[s].state);
    }
  }

  // The themed parts, plain and styled, in each state.
  Label(dc, 4, themeTop - 22, width, 20, "Theme parts: plain painter rows, then the styled painter (columns: normal, hot, pressed, disabled)");
  for (size_t s = 0; s < states.size(); ++s)
    Label(dc, labelW + static_cast<int>(s) * (cell + 10), themeTop, cell + 10, 18, states[s].name, DT_CENTER);
  TThemePainter plain;
  host::QStyleThemePainter styled;
  int row = 0;
  for (TThemePainter* painter : {&plain, static_cast<TThemePainter*>(&styled)}) {
    for (const Part& part : parts) {
      int y = themeTop + 20 + row * rowH;
      Label(dc, 4, y, labelW, rowH - 4, std::string(painter == &plain ? "plain " : "styled ") + part.name);
      for (size_t s = 0; s < states.size(); ++s) {
        RECT r{labelW + static_cast<int>(s) * (cell + 10), y, labelW + static_cast<int>(s) * (cell + 10) + 22, y + 20};
        RECT content;
        part.draw(*painter, dc, r, states[s].s, &content);
      }
      ++row;
    }
  }
  QImage img = sheet.Image();
  // Every one of the 240 edge cells but the empty ones (edge 0, and both bits of both rings) shows
  // something on its pale yellow paper, which no system colour matches.
  int drawnCells = 0;
  for (UINT edge = 0; edge < 16; ++edge)
    for (int f = 0; f < nFlags; ++f) {
      int x0 = labelW + f * cell, y0 = edgesTop + 20 + static_cast<int>(edge) * rowH;
      bool any = false;
      for (int y = y0; y < y0 + rowH - 6 && !any; ++y)
        for (int x = x0; x < x0 + cell - 6 && !any; ++x) any = img.pixel(x, y) != qRgb(250, 236, 180);
      drawnCells += any;
    }
  // Empty rows: edge 0, 3 (both outer bits), 12 (both inner bits), 15 (all bits); their BF_MIDDLE
  // cells still fill the middle.
  EXPECT_EQ(drawnCells, 12 * nFlags + 4);
  EXPECT_TRUE(img.save(QString::fromStdString(win::ArtifactPath("drawing_sheet.png"))));
}

}  // namespace
