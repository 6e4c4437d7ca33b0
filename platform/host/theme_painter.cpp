#include "platform/host/theme_painter.h"

#include <QApplication>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <qdrawutil.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>

#include "platform/win/surface.h"

namespace host {

namespace {

// The face fonts lack the Chinese glyphs of the program's texts.
const char* const kCjkFallback = "WenQuanYi Micro Hei";

QColor Sys(int Index) { return win::ToQColor(GetSysColor(Index)); }

QRect ToQRect(const RECT& R) { return QRect(R.left, R.top, R.right - R.left, R.bottom - R.top); }
RECT ToRECT(const QRect& R) { return RECT{R.x(), R.y(), R.x() + R.width(), R.y() + R.height()}; }

// The style's colours derived from the system colours, so the parts sit well on the faces the
// controls fill themselves.
QPalette MakeSystemPalette() {
  QPalette pal(Sys(COLOR_BTNFACE), Sys(COLOR_BTNFACE));
  const QPalette::ColorGroup groups[] = {QPalette::Active, QPalette::Inactive};
  for (QPalette::ColorGroup g : groups) {
    pal.setColor(g, QPalette::Base, Sys(COLOR_WINDOW));
    pal.setColor(g, QPalette::Text, Sys(COLOR_WINDOWTEXT));
    pal.setColor(g, QPalette::WindowText, Sys(COLOR_WINDOWTEXT));
    pal.setColor(g, QPalette::ButtonText, Sys(COLOR_BTNTEXT));
    pal.setColor(g, QPalette::Highlight, Sys(COLOR_HIGHLIGHT));
    pal.setColor(g, QPalette::HighlightedText, Sys(COLOR_HIGHLIGHTTEXT));
  }
  pal.setColor(QPalette::Disabled, QPalette::Base, Sys(COLOR_BTNFACE));
  pal.setColor(QPalette::Disabled, QPalette::Text, Sys(COLOR_GRAYTEXT));
  pal.setColor(QPalette::Disabled, QPalette::WindowText, Sys(COLOR_GRAYTEXT));
  pal.setColor(QPalette::Disabled, QPalette::ButtonText, Sys(COLOR_GRAYTEXT));
  pal.setColor(QPalette::Disabled, QPalette::Highlight, Sys(COLOR_BTNSHADOW));
  return pal;
}

// Kept while the system colours stay the same: the style caches its pixmaps per palette, and a
// fresh palette for every part would defeat that.
QPalette SystemPalette(bool Enabled) {
  static const int kIndexes[] = {COLOR_BTNFACE,   COLOR_WINDOW,        COLOR_WINDOWTEXT, COLOR_BTNTEXT,
                                 COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_GRAYTEXT,   COLOR_BTNSHADOW};
  static COLORREF seen[std::size(kIndexes)] = {};
  static QPalette palette;
  static bool made = false;
  bool same = made;
  for (size_t i = 0; i < std::size(kIndexes); ++i) {
    COLORREF c = GetSysColor(kIndexes[i]);
    same = same && seen[i] == c;
    seen[i] = c;
  }
  if (!same) {
    palette = MakeSystemPalette();
    made = true;
  }
  QPalette pal = palette;
  pal.setCurrentColorGroup(Enabled ? QPalette::Active : QPalette::Disabled);
  return pal;
}

// Fills the parts every option shares.
void InitOption(QStyleOption& O, const QRect& R, const TElementState& S) {
  O.rect = R;
  O.palette = SystemPalette(S.Enabled);
  O.direction = Qt::LeftToRight;
  O.state = QStyle::State_Active | QStyle::State_Window;
  if (S.Enabled) O.state |= QStyle::State_Enabled;
  if (S.Hot && S.Enabled) O.state |= QStyle::State_MouseOver;
  if (S.Focused && S.Enabled) O.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
}

TElementState Plain() { return TElementState{}; }

// States the style shows no change for on its own: the mouse over a box or a thumb lights its outline
// (as keyboard focus does), a thumb held down gets a darker face.
void MarkHot(QStyleOption& O, const TElementState& S) {
  if (S.Hot && S.Enabled) O.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
}

// A QPainter on the image behind a DC: clipped as the DC is, device point (0, 0) at the DC's origin
// plus its viewport and window offsets, in the DC's font. Marks what it covered as changed when done.
class SurfacePainter {
 public:
  SurfacePainter(HDC DC, const QRect& Bounds) : dc_(DC) {
    win::DCSurface s;
    if (!win::GetDCSurface(DC, s) || !s.image || s.image->isNull()) return;
    POINT vp{0, 0}, wo{0, 0};
    GetViewportOrgEx(DC, &vp);
    GetWindowOrgEx(DC, &wo);
    QPoint offset = s.origin + QPoint(vp.x - wo.x, vp.y - wo.y);
    // A pixel of slack: anti-aliased outlines may touch the row or column just outside.
    dirty_ = Bounds.adjusted(-1, -1, 1, 1).translated(offset) & s.clip.boundingRect();
    if (dirty_.isEmpty()) return;
    QImage* target = s.image;
    if (target->format() == QImage::Format_ARGB32) {
      // As GDI does: the pixels stay opaque whatever alpha the bitmap held.
      view_ = QImage(target->bits(), target->width(), target->height(), target->bytesPerLine(),
                     QImage::Format_RGB32);
      target = &view_;
    }
    painter_.emplace();
    if (!painter_->begin(target)) {
      painter_.reset();
      return;
    }
    painter_->setClipRegion(s.clip);
    painter_->translate(offset);
    QFont font = win::DCFont(DC);
    QStringList families = font.families();
    if (families.isEmpty()) families << font.family();
    if (!families.contains(kCjkFallback)) families << kCjkFallback;
    font.setFamilies(families);
    painter_->setFont(font);
  }
  ~SurfacePainter() {
    if (!painter_) return;
    painter_->end();
    win::MarkDCDirty(dc_, dirty_);
  }
  SurfacePainter(const SurfacePainter&) = delete;
  SurfacePainter& operator=(const SurfacePainter&) = delete;

  explicit operator bool() const { return painter_.has_value(); }
  QPainter* get() { return &*painter_; }

 private:
  HDC dc_;
  QRect dirty_;
  QImage view_;
  std::optional<QPainter> painter_;
};

std::unique_ptr<QStyleThemePainter> gInstalled;

}  // namespace

QStyleThemePainter::~QStyleThemePainter() {
  if (own_) delete own_.data();
}

QStyle* QStyleThemePainter::Style() {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (!app) return nullptr;
  QStyle* current = QApplication::style();
  // The plain "Windows" style is what Qt falls back on when the platform has nothing better.
  if (current && current->name().compare("windows", Qt::CaseInsensitive) != 0) return current;
  if (!own_) {
    own_ = QStyleFactory::create("Fusion");
    if (own_) own_->setParent(app);
  }
  return own_ ? own_.data() : current;
}

void QStyleThemePainter::PushButton(HDC DC, const RECT& R, const TElementState& S, RECT* Content) {
  QStyle* style = Style();
  if (!style) return TThemePainter::PushButton(DC, R, S, Content);
  QStyleOptionButton o;
  InitOption(o, ToQRect(R), S);
  o.state |= S.Pressed ? QStyle::State_Sunken : QStyle::State_Raised;
  if (S.Default) o.features |= QStyleOptionButton::DefaultButton | QStyleOptionButton::AutoDefaultButton;
  if (Content) {
    QRect c = style->subElementRect(QStyle::SE_PushButtonContents, &o, nullptr);
    if (S.Pressed)
      c.translate(style->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &o, nullptr),
                  style->pixelMetric(QStyle::PM_ButtonShiftVertical, &o, nullptr));
    *Content = ToRECT(c);
  }
  SurfacePainter p(DC, o.rect);
  if (!p) return;
  style->drawControl(QStyle::CE_PushButtonBevel, &o, p.get(), nullptr);
}

void QStyleThemePainter::ToolButton(HDC DC, const RECT& R, const TElementState& S, RECT* Content) {
  QStyle* style = Style();
  if (!style) return TThemePainter::ToolButton(DC, R, S, Content);
  QStyleOptionToolButton o;
  InitOption(o, ToQRect(R), S);
  o.state &= ~(QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange);
  o.subControls = QStyle::SC_ToolButton;
  o.toolButtonStyle = Qt::ToolButtonTextOnly;
  bool down = S.Pressed || S.Checked;
  if (S.Pressed) o.state |= QStyle::State_Sunken;
  if (S.Checked) o.state |= QStyle::State_On;
  // A flat button shows its panel only while the mouse is over it or it is down.
  if (S.Flat) o.state |= QStyle::State_AutoRaise;
  if (!S.Flat || (S.Hot && S.Enabled)) o.state |= QStyle::State_Raised;
  if (Content) {
    QRect c = o.rect.adjusted(2, 2, -2, -2);
    if (down)
      c.translate(style->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &o, nullptr),
                  style->pixelMetric(QStyle::PM_ButtonShiftVertical, &o, nullptr));
    *Content = ToRECT(c);
  }
  if (!(o.state & (QStyle::State_Sunken | QStyle::State_On | QStyle::State_Raised))) return;
  SurfacePainter p(DC, o.rect);
  if (!p) return;
  style->drawPrimitive(QStyle::PE_PanelButtonTool, &o, p.get(), nullptr);
}

void QStyleThemePainter::CheckBox(HDC DC, const RECT& R, const TElementState& S) {
  QStyle* style = Style();
  if (!style) return TThemePainter::CheckBox(DC, R, S);
  QStyleOptionButton o;
  InitOption(o, ToQRect(R), S);
  // The control draws the focus around its caption.
  o.state &= ~(QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange);
  o.state |= S.Mixed ? QStyle::State_NoChange : S.Checked ? QStyle::State_On : QStyle::State_Off;
  if (S.Pressed) o.state |= QStyle::State_Sunken;
  MarkHot(o, S);
  SurfacePainter p(DC, o.rect);
  if (!p) return;
  p.get()->setRenderHint(QPainter::Antialiasing, true);
  style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &o, p.get(), nullptr);
}

void QStyleThemePainter::RadioButton(HDC DC, const RECT& R, const TElementState& S) {
  QStyle* style = Style();
  if (!style) return TThemePainter::RadioButton(DC, R, S);
  QStyleOptionButton o;
  InitOption(o, ToQRect(R), S);
  o.state &= ~(QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange);
  o.state |= S.Checked ? QStyle::State_On : QStyle::State_Off;
  if (S.Pressed) o.state |= QStyle::State_Sunken;
  MarkHot(o, S);
  SurfacePainter p(DC, o.rect);
  if (!p) return;
  p.get()->setRenderHint(QPainter::Antialiasing, true);
  style->drawPrimitive(QStyle::PE_IndicatorRadioButton, &o, p.get(), nullptr);
}

void QStyleThemePainter::ComboBox(HDC DC, const RECT& R, int ButtonWidth, const TElementState& S, RECT* TextRect) {
  QStyle* style = Style();
  if (!style) return TThemePainter::ComboBox(DC, R, ButtonWidth, S, TextRect);
  QStyleOptionComboBox o;
  InitOption(o, ToQRect(R), S);
  // The control marks the focus itself (highlighted text and focus rectangle).
  o.state &= ~QStyle::State_KeyboardFocusChange;
  o.editable = false;
  o.frame = true;
  o.subControls = QStyle::SC_ComboBoxFrame | QStyle::SC_ComboBoxArrow | QStyle::SC_ComboBoxEditField;
  if (S.Pressed) {
    o.state |= QStyle::State_Sunken | QStyle::State_On;
    o.activeSubControls = QStyle::SC_ComboBoxArrow;
  }
  if (TextRect) {
    QRect t = style->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, nullptr);
    t &= o.rect.adjusted(2, 2, -2, -2);
    *TextRect = ToRECT(t);
  }
  SurfacePainter p(DC, o.rect);
  if (!p) return;
  style->drawComplexControl(QStyle::CC_ComboBox, &o, p.get(), nullptr);
}

void QStyleThemePainter::ArrowButton(HDC DC, const RECT& R, QStyle::PrimitiveElement Arrow, const TElementState& S,
                                     RECT* Content) {
  QStyle* style = Style();
  QStyleOptionButton o;
  InitOption(o, ToQRect(R), S);
  o.state &= ~(QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange);
  o.state |= S.Pressed ? QStyle::State_Sunken : QStyle::State_Raised;
  if (S.Flat && !S.Hot && !S.Pressed) o.features |= QStyleOptionButton::Flat;
  // The style shows no hover on a bevel of its own: a hot button gets a lighter face.
  if (S.Hot && S.Enabled && !S.Pressed) o.palette.setColor(QPalette::Button, o.palette.color(QPalette::Button).lighter(108));
  // Small buttons: the face keeps a one-pixel frame, the arrow takes the rest.
  QRect c = o.rect.adjusted(1, 1, -1, -1);
  if (S.Pressed)
    c.translate(style->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &o, nullptr),
                style->pixelMetric(QStyle::PM_ButtonShiftVertical, &o, nullptr));
  if (Content) *Content = ToRECT(c);
  SurfacePainter p(DC, o.rect);
  if (!p) return;
  p.get()->fillRect(o.rect, Sys(COLOR_BTNFACE));
  style->drawControl(QStyle::CE_PushButtonBevel, &o, p.get(), nullptr);
  QStyleOption a;
  InitOption(a, c, S);
  a.state &= ~(QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange | QStyle::State_MouseOver);
  // The arrow keeps its own proportions however tall the button is.
  int side = std::min(c.width(), c.height());
  int arrow = std::max(5, std::min(side, c.width() * 3 / 4));
  a.rect = QRect(c.center().x() - arrow / 2 + 1, c.center().y() - arrow / 2 + 1, arrow, arrow) & c;
  style->drawPrimitive(Arrow, &a, p.get(), nullptr);
}

void QStyleThemePainter::ComboButton(HDC DC, const RECT& R, const TElementState& S, RECT* Content) {
  if (!Style()) return TThemePainter::ComboButton(DC, R, S, Content);
  ArrowButton(DC, R, QStyle::PE_IndicatorArrowDown, S, Content);
}

void QStyleThemePainter::SpinButton(HDC DC, const RECT& R, bool Up, const TElementState& S, RECT* Content) {
  if (!Style()) return TThemePainter::SpinButton(DC, R, Up, S, Content);
  ArrowButton(DC, R, Up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, S, Content);
}

namespace {

// A horizontal slider option for a groove at the left of the painter's origin, `Width` wide and
// `Height` high, with the handle's left edge `HandleLeft` pixels in.
QStyleOptionSlider SliderOption(QStyle* Style, int Width, int Height, int HandleLeft, const TElementState& S) {
  QStyleOptionSlider o;
  TElementState s = S;
  s.Focused = false;
  InitOption(o, QRect(0, 0, Width, Height), s);
  o.state |= QStyle::State_Horizontal;
  o.orientation = Qt::Horizontal;
  o.tickPosition = QSlider::NoTicks;
  int length = Style->pixelMetric(QStyle::PM_SliderLength, &o, nullptr);
  // One unit per pixel the handle can travel.
  o.minimum = 0;
  o.maximum = std::max(0, Width - length);
  o.sliderPosition = o.sliderValue = std::clamp(HandleLeft, 0, o.maximum);
  return o;
}

}  // namespace

void QStyleThemePainter::TrackBarChannel(HDC DC, const RECT& R, const TElementState& S) {
  QStyle* style = Style();
  if (!style) return TThemePainter::TrackBarChannel(DC, R, S);
  QRect channel = ToQRect(R);
  // The thumb comes next and fills the channel up to itself; until then the channel is empty.
  channel_ = ChannelMemo{DC, channel};
  QStyleOptionSlider o = SliderOption(style, channel.width(), 0, 0, S);
  // The style centres its groove in the option: give it room around the channel's middle.
  int thickness = std::max(style->pixelMetric(QStyle::PM_SliderThickness, &o, nullptr), channel.height());
  o.rect.setHeight(thickness);
  o.subControls = QStyle::SC_SliderGroove;
  QPoint at(channel.left(), channel.center().y() - thickness / 2);
  SurfacePainter p(DC, o.rect.translated(at));
  if (!p) return;
  p.get()->translate(at);
  style->drawComplexControl(QStyle::CC_Slider, &o, p.get(), nullptr);
}

void QStyleThemePainter::TrackBarThumb(HDC DC, const RECT& R, const TElementState& S) {
  QStyle* style = Style();
  if (!style) return TThemePainter::TrackBarThumb(DC, R, S);
  QRect thumb = ToQRect(R);
  // The handle keeps the style's own size, centred on the thumb.
  QStyleOptionSlider probe = SliderOption(style, 1000, 0, 0, S);
  int length = style->pixelMetric(QStyle::PM_SliderLength, &probe, nullptr);
  int thickness = std::max(style->pixelMetric(QStyle::PM_SliderThickness, &probe, nullptr), thumb.height());
  QRect bounds = thumb;
  if (channel_.dc == DC) {
    // The channel again, now filled up to the thumb.
    const QRect& channel = channel_.rect;
    int handleLeft = thumb.center().x() - length / 2 - channel.left();
    QStyleOptionSlider o = SliderOption(style, channel.width(), thickness, handleLeft, S);
    o.subControls = QStyle::SC_SliderGroove;
    QPoint at(channel.left(), channel.center().y() - thickness / 2);
    SurfacePainter p(DC, o.rect.translated(at));
    if (p) {
      p.get()->translate(at);
      style->drawComplexControl(QStyle::CC_Slider, &o, p.get(), nullptr);
    }
    channel_ = ChannelMemo{};
  }
  QStyleOptionSlider o = SliderOption(style, length, thickness, 0, S);
  o.subControls = QStyle::SC_SliderHandle;
  MarkHot(o, S);
  if (S.Pressed) {
    o.activeSubControls = QStyle::SC_SliderHandle;
    o.state |= QStyle::State_Sunken | QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
    o.palette.setColor(QPalette::Button, o.palette.color(QPalette::Button).darker(115));
  }
  QRect handle = style->subControlRect(QStyle::CC_Slider, &o, QStyle::SC_SliderHandle, nullptr);
  QPoint at = thumb.center() - handle.center();
  SurfacePainter p(DC, o.rect.translated(at).united(bounds));
  if (!p) return;
  p.get()->translate(at);
  style->drawComplexControl(QStyle::CC_Slider, &o, p.get(), nullptr);
}

void QStyleThemePainter::TrackBarTick(HDC DC, int X, int Y, int Length) {
  QStyle* style = Style();
  if (!style) return TThemePainter::TrackBarTick(DC, X, Y, Length);
  if (Length <= 0) return;
  SurfacePainter p(DC, QRect(X, Y, 1, Length));
  if (!p) return;
  QColor c = Sys(COLOR_BTNTEXT);
  c.setAlpha(150);
  p.get()->fillRect(QRect(X, Y, 1, Length), c);
}

void QStyleThemePainter::Frame(HDC DC, const RECT& R, TFrameKind Kind) {
  QStyle* style = Style();
  if (!style) return TThemePainter::Frame(DC, R, Kind);
  QRect r = ToQRect(R);
  if (r.width() <= 0 || r.height() <= 0) return;
  SurfacePainter p(DC, r);
  if (!p) return;
  QStyleOptionFrame o;
  TElementState s = Plain();
  InitOption(o, r, s);
  o.lineWidth = 1;
  o.midLineWidth = 0;
  QPalette pal = o.palette;
  switch (Kind) {
    case TFrameKind::Field:
      o.state |= QStyle::State_Sunken;
      style->drawPrimitive(QStyle::PE_FrameLineEdit, &o, p.get(), nullptr);
      break;
    case TFrameKind::Etched:
      // The style leaves room for a caption above its frame; the control has placed its own.
      o.rect.setTop(r.top() - GroupBoxCaptionRoom(style));
      // The frame only: the style's shaded inside would stand apart from the faces of the controls
      // in the box, which fill their own backgrounds.
      p.get()->setClipRegion(QRegion(r).subtracted(QRegion(r.adjusted(3, 3, -3, -3))), Qt::IntersectClip);
      style->drawPrimitive(QStyle::PE_FrameGroupBox, &o, p.get(), nullptr);
      break;
    case TFrameKind::Sunken:
      o.state |= QStyle::State_Sunken;
      o.lineWidth = 2;
      style->drawPrimitive(QStyle::PE_Frame, &o, p.get(), nullptr);
      break;
    case TFrameKind::Raised:
      qDrawShadePanel(p.get(), r, pal, false, 2);
      break;
    case TFrameKind::Bump:
      qDrawShadeRect(p.get(), r, pal, false, 1, 0);
      break;
    case TFrameKind::SunkenOuter:
      qDrawShadePanel(p.get(), r, pal, true, 1);
      break;
    case TFrameKind::RaisedInner:
      qDrawShadePanel(p.get(), r, pal, false, 1);
      break;
  }
}

int QStyleThemePainter::GroupBoxCaptionRoom(QStyle* Style) {
  if (captionRoomStyle_ == Style) return captionRoom_;
  // Found by drawing the frame once on a transparent image: the first row it touches.
  QImage probe(48, 96, QImage::Format_ARGB32_Premultiplied);
  probe.fill(Qt::transparent);
  {
    QPainter p(&probe);
    QStyleOptionFrame o;
    InitOption(o, probe.rect(), Plain());
    Style->drawPrimitive(QStyle::PE_FrameGroupBox, &o, &p, nullptr);
  }
  int room = 0;
  while (room < probe.height() - 8 && [&] {
    for (int x = 0; x < probe.width(); ++x)
      if (qAlpha(probe.pixel(x, room)) != 0) return false;
    return true;
  }())
    ++room;
  captionRoomStyle_ = Style;
  captionRoom_ = room;
  return room;
}

void QStyleThemePainter::FocusRect(HDC DC, const RECT& R) {
  QStyle* style = Style();
  if (!style) return TThemePainter::FocusRect(DC, R);
  QStyleOptionFocusRect o;
  TElementState s;
  s.Focused = true;
  InitOption(o, ToQRect(R), s);
  o.backgroundColor = Sys(COLOR_BTNFACE);
  SurfacePainter p(DC, o.rect);
  if (!p) return;
  style->drawPrimitive(QStyle::PE_FrameFocusRect, &o, p.get(), nullptr);
}

void QStyleThemePainter::ScrollBar(HDC DC, const win::ScrollBarLook& L) {
  QStyle* style = Style();
  if (!style) return win::PaintScrollBarPlain(DC, L);
  QRect bar = ToQRect(L.bar);
  {
    SurfacePainter p(DC, bar);
    if (!p) return;
    QPainter* qp = p.get();
    // The parts in the rectangles the Win32 level laid out (so what shows is what the mouse hits),
    // from the style's own primitives: a shaded track, button panels with arrows, a button thumb.
    QPalette pal = SystemPalette(L.enabled);
    QColor track = pal.color(QPalette::Button).darker(L.enabled ? 108 : 102);
    qp->fillRect(bar, track);
    auto page = [&](const RECT& r, int code) {
      if (L.pressed == code) qp->fillRect(ToQRect(r), pal.color(QPalette::Dark));
    };
    page(L.pageUp, SB_PAGEUP);
    page(L.pageDown, SB_PAGEDOWN);
    auto button = [&](const RECT& r, bool pressed, bool enabled, QStyle::PrimitiveElement arrow) {
      QRect q = ToQRect(r);
      if (q.isEmpty()) return;
      QStyleOptionButton o;
      TElementState s;
      s.Enabled = enabled;
      InitOption(o, q, s);
      o.state |= pressed ? QStyle::State_Sunken : QStyle::State_Raised;
      style->drawPrimitive(QStyle::PE_PanelButtonCommand, &o, qp, nullptr);
      if (arrow == QStyle::PE_CustomBase) return;
      QStyleOption a;
      InitOption(a, q.adjusted(q.width() / 4, q.height() / 4, -q.width() / 4, -q.height() / 4), s);
      if (pressed) a.rect.translate(1, 1);
      style->drawPrimitive(arrow, &a, qp, nullptr);
    };
    button(L.arrowUp, L.pressed == SB_LINEUP, L.upEnabled, L.vertical ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowLeft);
    button(L.arrowDown, L.pressed == SB_LINEDOWN, L.downEnabled,
           L.vertical ? QStyle::PE_IndicatorArrowDown : QStyle::PE_IndicatorArrowRight);
    button(L.thumb, L.pressed == SB_THUMBTRACK, L.enabled, QStyle::PE_CustomBase);
  }
}

void InstallThemePainter() {
  if (!gInstalled) gInstalled = std::make_unique<QStyleThemePainter>();
  SetThemePainter(gInstalled.get());
  win::SetScrollBarPainter([](HDC DC, const win::ScrollBarLook& Look) {
    if (gInstalled)
      gInstalled->ScrollBar(DC, Look);
    else
      win::PaintScrollBarPlain(DC, Look);
  });
}

void UninstallThemePainter() {
  win::SetScrollBarPainter(nullptr);
  if (gInstalled && &ThemePainter() == gInstalled.get()) SetThemePainter(nullptr);
  gInstalled.reset();
}

}  // namespace host
