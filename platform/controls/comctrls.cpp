#include "platform/controls/comctrls.h"

#include <algorithm>

#include "platform/controls/stdctrls.h"
#include "platform/controls/themes.h"

// ---------------------------------------------------------------------------------------------------
// TToolButton

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle = TControlStyle{csCaptureMouse, csSetCaption, csOpaque};
  FWidth = 23;
  FHeight = 22;
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(FParent); }

void TToolButton::SetParent(TWinControl* AParent) {
  TGraphicControl::SetParent(AParent);
  if (TToolBar* bar = ToolBar()) bar->LayoutButtons();
}

void TToolButton::SetStyle(TToolButtonStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  if (TToolBar* bar = ToolBar()) bar->LayoutButtons();
  Invalidate();
}

void TToolButton::SetImageIndex(int Value) {
  if (Value == FImageIndex) return;
  FImageIndex = Value;
  Invalidate();
}

void TToolButton::SetAutoSize(bool Value) {
  if (Value == FAutoSizeButton) return;
  FAutoSizeButton = Value;
  if (TToolBar* bar = ToolBar()) bar->LayoutButtons();
}

void TToolButton::SetDown(bool Value) {
  if (Value == FDown) return;
  FDown = Value;
  Invalidate();
}

void TToolButton::TextChanged() {
  TGraphicControl::TextChanged();
  if (TToolBar* bar = ToolBar(); bar && FAutoSizeButton) bar->LayoutButtons();
}

int TToolButton::ButtonWidthInBar() const {
  TToolBar* bar = ToolBar();
  if (FStyle == tbsSeparator || FStyle == tbsDivider) return FSeparatorWidth;
  if (!bar) return FWidth;
  if (FAutoSizeButton) {
    int w = 0;
    if (bar->ShowCaptions()) w = MeasureControlText(FText, FFont.get()).cx + 14;
    if (bar->Images()) w = std::max(w, bar->Images()->Width() + 7);
    return std::max(w, 23);
  }
  return bar->ButtonWidth();
}

void TToolButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && FEnabled && FStyle != tbsSeparator && FStyle != tbsDivider) {
    FPressing = true;
    FInside = true;
    Invalidate();
  }
}

void TToolButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (FPressing) {
    bool inside = X >= 0 && Y >= 0 && X < FWidth && Y < FHeight;
    if (inside != FInside) {
      FInside = inside;
      Invalidate();
    }
  }
}

void TToolButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft || !FPressing) return;
  FPressing = false;
  FInside = false;
  Invalidate();
  if (X >= 0 && Y >= 0 && X < FWidth && Y < FHeight) {
    if (FStyle == tbsCheck) SetDown(!FDown);
    Click();
  }
}

void TToolButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_MOUSEENTER && Message.LParam == reinterpret_cast<LPARAM>(this)) {
    FHot = true;
    Invalidate();
  } else if (Message.Msg == CM_MOUSELEAVE && Message.LParam == reinterpret_cast<LPARAM>(this)) {
    FHot = false;
    Invalidate();
  }
  TGraphicControl::Dispatch(Message);
}

void TToolButton::Paint() {
  HDC dc = FCanvas->Handle();
  RECT r{0, 0, FWidth, FHeight};
  TToolBar* bar = ToolBar();
  FillSolidRect(dc, r, ColorRef(FParent ? FParent->Color() : FColor));
  if (FStyle == tbsSeparator || FStyle == tbsDivider) {
    if (!bar || bar->Flat() || FStyle == tbsDivider) {
      int x = FWidth / 2 - 1;
      DrawVLine(dc, x, 2, FHeight - 2, GetSysColor(COLOR_BTNSHADOW));
      DrawVLine(dc, x + 1, 2, FHeight - 2, GetSysColor(COLOR_BTNHIGHLIGHT));
    }
    return;
  }
  TElementState s;
  s.Enabled = FEnabled;
  s.Hot = FHot;
  s.Pressed = FPressing && FInside;
  s.Checked = FDown;
  s.Flat = bar ? bar->Flat() : true;
  RECT content = r;
  ThemePainter().ToolButton(dc, r, s, &content);
  TImageList* images = bar ? bar->Images() : nullptr;
  bool captions = bar ? bar->ShowCaptions() : true;
  bool hasImage = images && FImageIndex >= 0 && FImageIndex < images->Count();
  int cw = content.right - content.left, ch = content.bottom - content.top;
  if (captions) {
    SIZE ts = MeasureControlText(FText, FFont.get());
    int ih = hasImage ? images->Height() : 0;
    int gap = hasImage && !FText.empty() ? 2 : 0;
    int total = ih + gap + ts.cy;
    int y0 = content.top + std::max(0, (ch - total) / 2);
    if (hasImage) images->Draw(dc, content.left + (cw - images->Width()) / 2, y0, FImageIndex, FEnabled);
    RECT tr{content.left, y0 + ih + gap, content.right, y0 + ih + gap + ts.cy};
    DrawControlText(dc, FText, tr, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX, FFont.get(), FEnabled);
  } else if (hasImage) {
    images->Draw(dc, content.left + (cw - images->Width()) / 2, content.top + (ch - images->Height()) / 2, FImageIndex,
                 FEnabled);
  }
}

// ---------------------------------------------------------------------------------------------------
// TToolBar

TToolBar::TToolBar(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
  FWidth = 150;
  FHeight = 29;
  FAlign = alTop;
  FAnchors = TAnchors{akLeft, akTop, akRight};
}

TToolBar::~TToolBar() {
  if (FImages) FImages->RemoveFreeNotification(this);
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) {
    FImages = nullptr;
    Invalidate();
  }
}

void TToolBar::SetButtonWidth(int Value) {
  if (Value == FButtonWidth) return;
  FButtonWidth = Value;
  LayoutButtons();
}

void TToolBar::SetButtonHeight(int Value) {
  if (Value == FButtonHeight) return;
  FButtonHeight = Value;
  LayoutButtons();
}

void TToolBar::SetImages(TImageList* Value) {
  if (Value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages) FImages->FreeNotification(this);
  LayoutButtons();
  Invalidate();
}

void TToolBar::SetShowCaptions(bool Value) {
  if (Value == FShowCaptions) return;
  FShowCaptions = Value;
  LayoutButtons();
  Invalidate();
}

void TToolBar::SetFlat(bool Value) {
  if (Value == FFlat) return;
  FFlat = Value;
  Invalidate();
}

void TToolBar::SetIndent(int Value) {
  if (Value == FIndent) return;
  FIndent = Value;
  LayoutButtons();
}

int TToolBar::ButtonCount() const {
  int n = 0;
  for (TControl* c : FControls)
    if (dynamic_cast<TToolButton*>(c)) ++n;
  return n;
}

TToolButton* TToolBar::Buttons(int Index) const {
  int n = 0;
  for (TControl* c : FControls)
    if (auto* b = dynamic_cast<TToolButton*>(c)) {
      if (n == Index) return b;
      ++n;
    }
  return nullptr;
}

void TToolBar::LayoutButtons() {
  if (FLayingOut) return;
  FLayingOut = true;
  int x = FIndent;
  const int top = 2;
  for (TControl* c : FControls) {
    auto* b = dynamic_cast<TToolButton*>(c);
    if (!b || !b->Visible()) continue;
    int w = b->ButtonWidthInBar();
    b->SetBounds(x, top, w, FButtonHeight);
    x += w;
  }
  FLayingOut = false;
}

void TToolBar::AlignControls(TControl* AControl, TRect& Rect) {
  TCustomControl::AlignControls(AControl, Rect);
  LayoutButtons();
}

void TToolBar::Paint() {
  HDC dc = FCanvas->Handle();
  RECT r{0, 0, FWidth, FHeight};
  FillSolidRect(dc, r, ColorRef(FColor));
  // The etched line that separates the bar from what is above it.
  DrawHLine(dc, 0, FWidth, 0, GetSysColor(COLOR_BTNSHADOW));
  DrawHLine(dc, 0, FWidth, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
}

// ---------------------------------------------------------------------------------------------------
// TTrackBar

namespace {
constexpr int kThumbWidth = 11;
constexpr int kMargin = 8;
}  // namespace

TTrackBar::TTrackBar(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 150;
  FHeight = 45;
  FTabStop = true;
}

void TTrackBar::SetMin(int Value) {
  if (Value == FMin) return;
  FMin = Value;
  if (FMax < FMin) FMax = FMin;
  Invalidate();
  if (FPosition < FMin) SetPosition(FMin);
}

void TTrackBar::SetMax(int Value) {
  if (Value == FMax) return;
  FMax = Value;
  if (FMin > FMax) FMin = FMax;
  Invalidate();
  if (FPosition > FMax) SetPosition(FMax);
}

void TTrackBar::SetPosition(int Value) {
  Value = std::clamp(Value, FMin, FMax);
  if (Value == FPosition) return;
  FPosition = Value;
  Invalidate();
  Changed();
}

void TTrackBar::SetFrequency(int Value) {
  if (Value == FFrequency) return;
  FFrequency = Value;
  Invalidate();
}

void TTrackBar::SetTickStyle(TTickStyle Value) {
  if (Value == FTickStyle) return;
  FTickStyle = Value;
  Invalidate();
}

void TTrackBar::SetTickMarks(TTickMark Value) {
  if (Value == FTickMarks) return;
  FTickMarks = Value;
  Invalidate();
}

void TTrackBar::Changed() {
  if (OnChange) OnChange(this);
}

// Nearest pixel, so that a bar with no more positions than pixels maps every position back to itself.
int TTrackBar::XFromPosition(int Pos) const {
  int span = std::max(1, FWidth - 2 * kMargin);
  if (FMax == FMin) return kMargin;
  return kMargin + static_cast<int>(Round(static_cast<double>(Pos - FMin) * span / (static_cast<double>(FMax) - FMin)));
}

int TTrackBar::PositionFromX(int X) const {
  int span = std::max(1, FWidth - 2 * kMargin);
  if (FMax == FMin) return FMin;
  double v = FMin + static_cast<double>(X - kMargin) * (static_cast<double>(FMax) - FMin) / span;
  return std::clamp(static_cast<int>(Round(v)), FMin, FMax);
}

// The position for the pointer at X while dragging. With more positions than pixels a pixel cannot
// name every position, so the pointer back where the thumb was grabbed gives the position it had then:
// pressing and releasing the thumb without a move changes nothing, and elsewhere the position only
// grows with X.
int TTrackBar::DragPosition(int X) const {
  if (X == FDragStartX) return FDragStartPosition;
  return PositionFromX(X - FDragOffset);
}

TRect TTrackBar::ThumbRect() const {
  int h = FTickStyle == tsNone ? std::min(FHeight - 4, 20) : std::min(FHeight - 12, 20);
  if (h < 8) h = std::max(4, FHeight - 2);
  int top = FTickStyle == tsNone ? (FHeight - h) / 2 : std::max(2, (FHeight - h - 8) / 2);
  int cx = XFromPosition(FPosition);
  return TRect(cx - kThumbWidth / 2, top, cx - kThumbWidth / 2 + kThumbWidth, top + h);
}

TRect TTrackBar::ChannelRect() const {
  TRect t = ThumbRect();
  int cy = (t.Top + t.Bottom) / 2;
  return TRect(kMargin - 4, cy - 2, FWidth - kMargin + 4, cy + 2);
}

void TTrackBar::EraseBackground(HDC /*DC*/) {}

void TTrackBar::PaintWindow(HDC DC) {
  RECT r{0, 0, FWidth, FHeight};
  FillSolidRect(DC, r, ColorRef(FColor));
  TElementState s;
  s.Enabled = FEnabled;
  s.Pressed = FDragging;
  s.Focused = Focused();
  ThemePainter().TrackBarChannel(DC, ChannelRect(), s);
  TRect t = ThumbRect();
  if (FTickStyle == tsAuto && FFrequency > 0 && FMax > FMin) {
    long long count = (static_cast<long long>(FMax) - FMin) / FFrequency;
    if (count <= FWidth) {
      for (long long k = 0; k <= count; ++k) {
        int pos = static_cast<int>(FMin + k * FFrequency);
        bool end = pos == FMin || pos == FMax;
        ThemePainter().TrackBarTick(DC, XFromPosition(pos), t.Bottom + 2, end ? 4 : 3);
      }
    }
    ThemePainter().TrackBarTick(DC, XFromPosition(FMax), t.Bottom + 2, 4);
  }
  ThemePainter().TrackBarThumb(DC, t, s);
  if (s.Focused) ThemePainter().FocusRect(DC, r);
}

bool TTrackBar::WantsKey(WORD Key, TShiftState /*Shift*/) {
  return Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN;
}

void TTrackBar::KeyDown(WORD& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  switch (Key) {
    case VK_LEFT: case VK_UP: SetPosition(FPosition - FLineSize); break;
    case VK_RIGHT: case VK_DOWN: SetPosition(FPosition + FLineSize); break;
    case VK_PRIOR: SetPosition(FPosition - FPageSize); break;
    case VK_NEXT: SetPosition(FPosition + FPageSize); break;
    case VK_HOME: SetPosition(FMin); break;
    case VK_END: SetPosition(FMax); break;
    default: return;
  }
  Key = 0;
}

void TTrackBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && FEnabled) {
    if (CanFocus() && !Focused()) ::SetFocus(Handle());
    TRect t = ThumbRect();
    if (X >= t.Left && X < t.Right && Y >= t.Top && Y < t.Bottom) {
      FDragging = true;
      FDragOffset = X - XFromPosition(FPosition);
      FDragStartX = X;
      FDragStartPosition = FPosition;
      Invalidate();
    } else if (X < XFromPosition(FPosition)) {
      SetPosition(FPosition - FPageSize);
    } else {
      SetPosition(FPosition + FPageSize);
    }
  }
  TWinControl::MouseDown(Button, Shift, X, Y);
}

void TTrackBar::MouseMove(TShiftState Shift, int X, int Y) {
  if (FDragging) SetPosition(DragPosition(X));
  TWinControl::MouseMove(Shift, X, Y);
}

void TTrackBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && FDragging) {
    SetPosition(DragPosition(X));
    FDragging = false;
    Invalidate();
  }
  TWinControl::MouseUp(Button, Shift, X, Y);
}

bool TTrackBar::DoMouseWheel(TShiftState Shift, int WheelDelta, const TPoint& MousePos) {
  if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  SetPosition(FPosition + (WheelDelta > 0 ? -FLineSize : FLineSize));
  return true;
}
