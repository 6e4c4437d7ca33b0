// The styled theme painter: standard controls drawn by the application's QStyle on the offscreen
// platform, compared with the plain painter, and a picture of a small dialog for a person to look at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/comctrls.h"
#include "platform/controls/controls.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/stdctrls.h"
#include "platform/controls/themes.h"
#include "platform/host/theme_painter.h"
#include "platform/win/clock.h"
#include "platform/win/surface.h"
#include "platform/win/testing.h"

namespace {

// A plain top-level window to put the controls on.
class TDialogWindow : public TCustomControl {
  DECLARE_CLASS(TDialogWindow, TCustomControl)
  explicit TDialogWindow(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    Params.WndParent = nullptr;
  }
  void Paint() override { FillSolidRect(Canvas()->Handle(), RECT{0, 0, Width(), Height()}, ColorRef(Color())); }
};

// Every element in every state, drawn through whichever painter is installed.
class TStateGallery : public TCustomControl {
  DECLARE_CLASS(TStateGallery, TCustomControl)
  explicit TStateGallery(TComponent* AOwner) : TCustomControl(AOwner) {}

  static constexpr int kLabelWidth = 92, kCellWidth = 88, kRowHeight = 34, kHeader = 20;
  static std::vector<std::pair<std::string, TElementState>> Columns() {
    auto state = [](auto set) {
      TElementState s;
      set(s);
      return s;
    };
    return {{"normal", TElementState{}},
            {"hot", state([](TElementState& s) { s.Hot = true; })},
            {"pressed", state([](TElementState& s) { s.Hot = s.Pressed = true; })},
            {"checked", state([](TElementState& s) { s.Checked = true; })},
            {"focused", state([](TElementState& s) { s.Focused = true; })},
            {"default", state([](TElementState& s) { s.Default = true; })},
            {"disabled", state([](TElementState& s) { s.Enabled = false; })},
            {"dis. checked", state([](TElementState& s) { s.Enabled = false, s.Checked = true; })}};
  }
  static const std::vector<std::string>& Rows() {
    static const std::vector<std::string> rows{"Button",    "Tool button", "Flat tool", "Check box",
                                               "Radio",     "Combo box",   "Track bar"};
    return rows;
  }

 protected:
  void Paint() override {
    HDC dc = Canvas()->Handle();
    FillSolidRect(dc, RECT{0, 0, Width(), Height()}, ColorRef(Color()));
    auto columns = Columns();
    for (size_t c = 0; c < columns.size(); ++c) {
      int x = kLabelWidth + static_cast<int>(c) * kCellWidth;
      DrawControlText(dc, columns[c].first, RECT{x, 0, x + kCellWidth - 4, kHeader},
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE, Font(), true);
    }
    for (size_t r = 0; r < Rows().size(); ++r) {
      int y = kHeader + static_cast<int>(r) * kRowHeight;
      DrawControlText(dc, Rows()[r], RECT{6, y, kLabelWidth, y + kRowHeight}, DT_VCENTER | DT_SINGLELINE, Font(), true);
      for (size_t c = 0; c < columns.size(); ++c) {
        int x = kLabelWidth + static_cast<int>(c) * kCellWidth;
        Cell(dc, static_cast<int>(r), RECT{x + 4, y + 5, x + kCellWidth - 8, y + kRowHeight - 4}, columns[c].second);
      }
    }
  }

 private:
  void Cell(HDC dc, int Row, const RECT& R, const TElementState& S) {
    TThemePainter& tp = ThemePainter();
    RECT content = R;
    switch (Row) {
      case 0:
        tp.PushButton(dc, R, S, &content);
        DrawControlText(dc, "确定 OK", content, DT_CENTER | DT_VCENTER | DT_SINGLELINE, Font(), S.Enabled);
        break;
      case 1:
      case 2: {
        TElementState s = S;
        s.Flat = Row == 2;
        tp.ToolButton(dc, R, s, &content);
        DrawControlText(dc, "打印", content, DT_CENTER | DT_VCENTER | DT_SINGLELINE, Font(), S.Enabled);
        break;
      }
      case 3:
      case 4: {
        int top = (R.top + R.bottom) / 2 - 6;
        RECT box{R.left, top, R.left + 13, top + 13};
        if (Row == 3)
          tp.CheckBox(dc, box, S);
        else
          tp.RadioButton(dc, box, S);
        RECT text{box.right + 4, R.top, R.right, R.bottom};
        DrawControlText(dc, "女士", text, DT_VCENTER | DT_SINGLELINE, Font(), S.Enabled);
        if (S.Focused) {
          SIZE ts = MeasureControlText("女士", Font());
          int ty = (R.top + R.bottom - ts.cy) / 2 - 1;
          tp.FocusRect(dc, RECT{text.left - 1, ty, text.left + ts.cx + 2, ty + ts.cy + 2});
        }
        break;
      }
      case 5: {
        TElementState s = S;
        tp.ComboBox(dc, R, 17, s, &content);
        bool highlight = s.Focused && !s.Pressed;
        if (highlight) FillSolidRect(dc, content, GetSysColor(COLOR_HIGHLIGHT));
        RECT tr = content;
        tr.left += 2;
        TFont f;
        f.Assign(Font());
        if (highlight) f.SetColor(clHighlightText);
        DrawControlText(dc, "长发", tr, DT_VCENTER | DT_SINGLELINE, &f, S.Enabled);
        if (highlight) tp.FocusRect(dc, content);
        break;
      }
      case 6: {
        int cy = (R.top + R.bottom) / 2;
        tp.TrackBarChannel(dc, RECT{R.left, cy - 2, R.right, cy + 2}, S);
        int cx = (R.left + R.right) / 2;
        tp.TrackBarThumb(dc, RECT{cx - 5, R.top, cx + 6, R.bottom}, S);
        break;
      }
    }
  }
};

template <typename T>
T* Make(TComponent* Owner, TWinControl* Parent, int L, int T_, int W, int H, const std::string& Caption = "") {
  T* c = new T(Owner);
  c->SetBounds(L, T_, W, H);
  if (!Caption.empty()) c->SetCaption(Caption);
  c->SetParent(Parent);
  return c;
}

// The dialog's controls, each with the rectangle it covers in the window.
struct Dialog {
  TDialogWindow* window = nullptr;
  TToolBar* toolBar = nullptr;
  std::vector<TToolButton*> tools;
  TButton* ok = nullptr;
  TButton* cancel = nullptr;
  TButton* help = nullptr;
  TCheckBox* grid = nullptr;
  TRadioButton* women = nullptr;
  TComboBox* combo = nullptr;
  TTrackBar* track = nullptr;
  TEdit* edit = nullptr;
  TGroupBox* group = nullptr;
  TPanel* panel = nullptr;
  TStateGallery* gallery = nullptr;
};

QImage Snapshot(TWinControl* Window) {
  win::PumpMessages();
  QImage* back = win::WindowBackBuffer(Window->Handle());
  return back ? back->copy() : QImage();
}

QRect WindowRect(TControl* Window, TControl* C) {
  TPoint a = C->ClientToScreen(TPoint(0, 0)), b = Window->ClientToScreen(TPoint(0, 0));
  return QRect(a.X - b.X, a.Y - b.Y, C->Width(), C->Height());
}

int DifferingPixels(const QImage& A, const QImage& B, const QRect& Area) {
  int n = 0;
  QRect r = Area & A.rect() & B.rect();
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += A.pixel(x, y) != B.pixel(x, y);
  return n;
}

class ThemeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "theme_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) app_ = std::make_unique<QApplication>(argc, argv);
  }
  static void TearDownTestSuite() {
    QCoreApplication::processEvents();
    app_.reset();
  }
  void SetUp() override {
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    win::ResetWindowManager();
    clock.Install();
    SetThemePainter(nullptr);
    owner = std::make_unique<TComponent>(nullptr);
  }
  void TearDown() override {
    host::UninstallThemePainter();
    owner.reset();
    win::ResetWindowManager();
    clock.Uninstall();
  }

  Dialog BuildDialog() {
    Dialog d;
    d.window = new TDialogWindow(owner.get());
    d.window->SetBounds(40, 40, 820, 428);
    d.window->HandleNeeded();
    TWinControl* w = d.window;

    d.toolBar = new TToolBar(owner.get());
    d.toolBar->SetParent(w);
    d.toolBar->SetFlat(true);
    d.toolBar->SetShowCaptions(true);
    d.toolBar->SetButtonWidth(52);
    d.toolBar->SetButtonHeight(24);
    d.toolBar->SetHeight(30);
    const char* captions[] = {"新建", "打开", "保存", "", "打印", "关于"};
    for (const char* caption : captions) {
      auto* b = new TToolButton(owner.get());
      if (*caption == 0) b->SetStyle(tbsSeparator);
      b->SetCaption(caption);
      b->SetParent(d.toolBar);
      d.tools.push_back(b);
    }
    d.tools[1]->SetStyle(tbsCheck);
    d.tools[1]->SetDown(true);
    d.tools[2]->SetEnabled(false);

    d.group = Make<TGroupBox>(owner.get(), w, 12, 40, 200, 104, "显示 Options");
    d.grid = Make<TCheckBox>(owner.get(), d.group, 12, 22, 170, 20, "Show grid 网格");
    d.grid->SetChecked(true);
    Make<TCheckBox>(owner.get(), d.group, 12, 46, 170, 20, "Mirror 镜像");
    auto* locked = Make<TCheckBox>(owner.get(), d.group, 12, 70, 170, 20, "Locked 锁定");
    locked->SetChecked(true);
    locked->SetEnabled(false);

    d.panel = Make<TPanel>(owner.get(), w, 224, 40, 180, 104);
    d.panel->SetBevelOuter(bvLowered);
    d.women = Make<TRadioButton>(owner.get(), d.panel, 10, 10, 150, 20, "女士 Women");
    d.women->SetChecked(true);
    Make<TRadioButton>(owner.get(), d.panel, 10, 36, 150, 20, "男士 Men");
    auto* off = Make<TRadioButton>(owner.get(), d.panel, 10, 62, 150, 20, "Disabled");
    off->SetEnabled(false);

    d.combo = Make<TComboBox>(owner.get(), w, 420, 44, 180, 23);
    d.combo->Items()->Add("长发 Long hair");
    d.combo->Items()->Add("短发 Short hair");
    d.combo->SetItemIndex(0);
    d.edit = Make<TEdit>(owner.get(), w, 420, 76, 180, 23, "");
    d.edit->SetText("Hello 你好");
    d.track = Make<TTrackBar>(owner.get(), w, 420, 106, 180, 36);
    d.track->SetMax(10);
    d.track->SetPosition(4);

    d.ok = Make<TButton>(owner.get(), w, 620, 44, 80, 25, "确定 OK");
    d.ok->SetDefault(true);
    d.cancel = Make<TButton>(owner.get(), w, 620, 78, 80, 25, "取消 Cancel");
    d.help = Make<TButton>(owner.get(), w, 620, 112, 80, 25, "帮助 Help");
    d.help->SetEnabled(false);

    d.gallery = Make<TStateGallery>(owner.get(), w, 12, 156,
                                    TStateGallery::kLabelWidth + 8 * TStateGallery::kCellWidth,
                                    TStateGallery::kHeader + 7 * TStateGallery::kRowHeight + 4);
    win::PumpMessages();
    return d;
  }

  // Holds the left button down on a control: it shows pressed (and takes the focus).
  static void Press(TControl* C) {
    TPoint p = C->ClientToScreen(TPoint(C->Width() / 2, C->Height() / 2));
    win::InjectMouse(p.X, p.Y, WM_MOUSEMOVE);
    win::InjectMouse(p.X, p.Y, WM_LBUTTONDOWN, MK_LBUTTON);
    win::PumpMessages();
  }

  static void RepaintAll(TWinControl* Window) {
    RedrawWindow(Window->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    win::PumpMessages();
  }

  static std::unique_ptr<QApplication> app_;
  win::FakeClock clock;
  std::unique_ptr<TComponent> owner;
};

std::unique_ptr<QApplication> ThemeTest::app_;

TEST_F(ThemeTest, ControlsPaintDifferentlyFromThePlainPainterAndBackAgain) {
  Dialog d = BuildDialog();
  Press(d.cancel);
  const QImage plain = Snapshot(d.window);
  ASSERT_FALSE(plain.isNull());

  host::InstallThemePainter();
  ASSERT_NE(dynamic_cast<host::QStyleThemePainter*>(&ThemePainter()), nullptr);
  RepaintAll(d.window);
  const QImage styled = Snapshot(d.window);
  EXPECT_TRUE(styled.save(QString::fromStdString(win::ArtifactPath("theme_dialog.png"))));

  struct Case {
    const char* name;
    TControl* control;
  };
  const Case cases[] = {{"default button", d.ok},   {"pressed button", d.cancel}, {"disabled button", d.help},
                        {"check box", d.grid},      {"radio button", d.women},    {"combo box", d.combo},
                        {"track bar", d.track},     {"down tool button", d.tools[1]},
                        {"edit", d.edit},           {"group box", d.group},       {"panel", d.panel}};
  for (const Case& c : cases) {
    EXPECT_GT(DifferingPixels(plain, styled, WindowRect(d.window, c.control)), 8) << c.name;
  }

  // Taking the painter away brings the plain look back exactly.
  host::UninstallThemePainter();
  EXPECT_EQ(dynamic_cast<host::QStyleThemePainter*>(&ThemePainter()), nullptr);
  RepaintAll(d.window);
  EXPECT_EQ(DifferingPixels(plain, Snapshot(d.window), plain.rect()), 0);
  win::InjectMouse(0, 0, WM_LBUTTONUP);
}

// Draws one element into a fresh bitmap and returns its pixels.
using Element = std::function<void(TThemePainter&, HDC, const TElementState&)>;
QImage DrawElement(TThemePainter& Painter, const Element& Draw, const TElementState& S) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 90, 40);
  HGDIOBJ old = SelectObject(dc, bmp);
  FillSolidRect(dc, RECT{0, 0, 90, 40}, GetSysColor(COLOR_BTNFACE));
  Draw(Painter, dc, S);
  QImage result = win::BitmapImage(bmp)->copy();
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  return result;
}

const RECT kCell{4, 6, 84, 32};
RECT content;
const std::vector<std::pair<std::string, Element>>& Elements() {
  static const std::vector<std::pair<std::string, Element>> elements{
      {"push button", [](TThemePainter& p, HDC dc, const TElementState& s) { p.PushButton(dc, kCell, s, &content); }},
      {"tool button",
       [](TThemePainter& p, HDC dc, const TElementState& s) {
         TElementState f = s;
         f.Flat = true;
         p.ToolButton(dc, kCell, f, &content);
       }},
      {"check box", [](TThemePainter& p, HDC dc, const TElementState& s) { p.CheckBox(dc, RECT{4, 6, 17, 19}, s); }},
      {"radio", [](TThemePainter& p, HDC dc, const TElementState& s) { p.RadioButton(dc, RECT{4, 6, 17, 19}, s); }},
      {"combo box", [](TThemePainter& p, HDC dc, const TElementState& s) { p.ComboBox(dc, kCell, 17, s, &content); }},
      {"track bar thumb",
       [](TThemePainter& p, HDC dc, const TElementState& s) { p.TrackBarThumb(dc, RECT{10, 6, 21, 32}, s); }},
  };
  return elements;
}

const Element& ElementNamed(const std::string& Name) {
  for (auto& e : Elements()) {
    if (e.first == Name) return e.second;
  }
  throw std::out_of_range(Name);
}

TEST_F(ThemeTest, EachStateChangesTheLook) {
  host::QStyleThemePainter painter;
  TElementState normal;
  TElementState hot;
  hot.Hot = true;
  TElementState pressed;
  pressed.Hot = pressed.Pressed = true;
  TElementState checked;
  checked.Checked = true;
  TElementState focused;
  focused.Focused = true;
  TElementState disabled;
  disabled.Enabled = false;
  TElementState byDefault;
  byDefault.Default = true;
  struct Case {
    const char* element;
    const char* state;
    TElementState s;
  };
  const Case cases[] = {
      {"push button", "pressed", pressed},   {"push button", "focused", focused},
      {"push button", "disabled", disabled}, {"push button", "default", byDefault},
      {"push button", "hot", hot},           {"tool button", "hot", hot},
      {"tool button", "pressed", pressed},   {"tool button", "checked", checked},
      {"check box", "checked", checked},     {"check box", "pressed", pressed},
      {"check box", "disabled", disabled},   {"check box", "hot", hot},
      {"radio", "checked", checked},         {"radio", "disabled", disabled},
      {"radio", "hot", hot},                 {"combo box", "pressed", pressed},
      {"combo box", "disabled", disabled},   {"combo box", "hot", hot},
      {"track bar thumb", "pressed", pressed}, {"track bar thumb", "hot", hot},
  };
  for (const Case& c : cases) {
    const Element& draw = ElementNamed(c.element);
    QImage base = DrawElement(painter, draw, normal);
    QImage changed = DrawElement(painter, draw, c.s);
    EXPECT_GT(DifferingPixels(base, changed, base.rect()), 2) << c.element << " " << c.state;
  }
  // A disabled check box that is checked still shows its mark.
  TElementState disabledChecked = disabled;
  disabledChecked.Checked = true;
  EXPECT_GT(DifferingPixels(DrawElement(painter, ElementNamed("check box"), disabled),
                            DrawElement(painter, ElementNamed("check box"), disabledChecked), QRect(0, 0, 90, 40)),
            2);
}

TEST_F(ThemeTest, CaptionRectanglesLeaveRoomForTheText) {
  host::QStyleThemePainter painter;
  TFont font;
  const int line = MeasureControlText("确定 Ag", &font).cy;
  ASSERT_GT(line, 8);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 200, 60);
  HGDIOBJ old = SelectObject(dc, bmp);
  struct Size {
    int w, h;
  };
  // The sizes the controls come in: buttons, tool bar buttons, combo boxes.
  const Size sizes[] = {{75, 25}, {52, 24}, {23, 22}, {121, 21}, {180, 23}};
  for (const Size& s : sizes) {
    const RECT r{10, 10, 10 + s.w, 10 + s.h};
    for (bool down : {false, true}) {
      TElementState st;
      st.Pressed = down;
      RECT content{};
      painter.PushButton(dc, r, st, &content);
      EXPECT_GE(content.left, r.left);
      EXPECT_LE(content.right, r.right);
      EXPECT_GE(content.top, r.top);
      EXPECT_LE(content.bottom, r.bottom);
      EXPECT_GE(content.bottom - content.top, line) << "button " << s.w << "x" << s.h;
      painter.ToolButton(dc, r, st, &content);
      EXPECT_GE(content.bottom - content.top, line - 2) << "tool button " << s.w << "x" << s.h;
      if (s.w < 100) continue;
      painter.ComboBox(dc, r, 17, st, &content);
      EXPECT_GE(content.left, r.left + 1);
      EXPECT_GE(content.top, r.top + 1);
      EXPECT_LE(content.bottom, r.bottom - 1);
      EXPECT_LE(content.right, r.right - 14) << "the arrow keeps its room";
      EXPECT_GE(content.bottom - content.top, line) << "combo " << s.w << "x" << s.h;
    }
  }
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

// The DC's origin and clip hold for every element, on every kind of bitmap, and pixels stay opaque.
TEST_F(ThemeTest, DrawsOnlyInsideTheClipAtTheOrigin) {
  host::QStyleThemePainter painter;
  const COLORREF magenta = RGB(255, 0, 255);
  const int depths[] = {0, 24, 32};  // 0: a compatible bitmap
  for (int depth : depths) {
    for (auto& [name, draw] : Elements()) {
      HDC dc = CreateCompatibleDC(nullptr);
      HBITMAP bmp = nullptr;
      if (depth == 0) {
        bmp = CreateCompatibleBitmap(dc, 120, 60);
      } else {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = 120;
        bi.bmiHeader.biHeight = -60;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = static_cast<WORD>(depth);
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
      }
      ASSERT_NE(bmp, nullptr);
      HGDIOBJ old = SelectObject(dc, bmp);
      FillSolidRect(dc, RECT{0, 0, 120, 60}, magenta);
      // Device clip: x 20..60, y 10..40; logical (0, 0) lies at device (20, 10).
      HRGN clip = CreateRectRgn(20, 10, 60, 40);
      SelectClipRgn(dc, clip);
      DeleteObject(clip);
      SetViewportOrgEx(dc, 20, 10, nullptr);
      // kCell is at logical (4, 6): the element starts at device (24, 16) and runs past the clip.
      TElementState s;
      s.Checked = true;
      draw(painter, dc, s);
      const QImage img = *win::BitmapImage(bmp);
      int inside = 0, outside = 0;
      for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 120; ++x) {
          QRgb px = img.pixel(x, y);
          bool changed = (px & 0xFFFFFF) != 0xFF00FF;
          bool in = x >= 20 && x < 60 && y >= 10 && y < 40;
          (in ? inside : outside) += changed;
          if (depth == 32) {
            EXPECT_EQ(qAlpha(px), 255) << name << " at " << x << "," << y;
          }
        }
      }
      EXPECT_GT(inside, 10) << name << " depth " << depth;
      EXPECT_EQ(outside, 0) << name << " depth " << depth;
      // Nothing left of or above where the element starts, even inside the clip.
      for (int y = 10; y < 40; ++y) EXPECT_EQ(img.pixel(21, y) & 0xFFFFFF, 0xFF00FFu) << name;
      SelectObject(dc, old);
      DeleteObject(bmp);
      DeleteDC(dc);
    }
  }
}

}  // namespace

namespace {

// Frames sit on the edge of their rectangle (a group box's too, though the style keeps room for a
// caption above its own) and leave the inside to the control.
TEST_F(ThemeTest, FramesHugTheirRectangleAndLeaveTheInside) {
  host::QStyleThemePainter painter;
  const TFrameKind kinds[] = {TFrameKind::Sunken,      TFrameKind::Raised,      TFrameKind::Etched, TFrameKind::Bump,
                              TFrameKind::SunkenOuter, TFrameKind::RaisedInner, TFrameKind::Field};
  const COLORREF magenta = RGB(255, 0, 255);
  const RECT r{10, 10, 110, 60};
  for (TFrameKind kind : kinds) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 120, 70);
    HGDIOBJ old = SelectObject(dc, bmp);
    FillSolidRect(dc, RECT{0, 0, 120, 70}, magenta);
    painter.Frame(dc, r, kind);
    const QImage img = *win::BitmapImage(bmp);
    auto changed = [&](int x, int y) { return (img.pixel(x, y) & 0xFFFFFF) != 0xFF00FF; };
    int top = 0, bottom = 0, left = 0, right = 0, outside = 0, inside = 0;
    for (int y = 0; y < 70; ++y) {
      for (int x = 0; x < 120; ++x) {
        bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
        if (!in) outside += changed(x, y);
        if (x >= r.left + 4 && x < r.right - 4 && y >= r.top + 4 && y < r.bottom - 4) inside += changed(x, y);
      }
    }
    for (int x = 30; x < 90; ++x) {
      top += changed(x, r.top) || changed(x, r.top + 1);
      bottom += changed(x, r.bottom - 1) || changed(x, r.bottom - 2);
    }
    for (int y = 25; y < 45; ++y) {
      left += changed(r.left, y) || changed(r.left + 1, y);
      right += changed(r.right - 1, y) || changed(r.right - 2, y);
    }
    const int k = static_cast<int>(kind);
    EXPECT_EQ(top, 60) << "kind " << k;
    EXPECT_EQ(bottom, 60) << "kind " << k;
    EXPECT_EQ(left, 20) << "kind " << k;
    EXPECT_EQ(right, 20) << "kind " << k;
    EXPECT_EQ(outside, 0) << "kind " << k;
    EXPECT_EQ(inside, 0) << "kind " << k;
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
}

}  // namespace
