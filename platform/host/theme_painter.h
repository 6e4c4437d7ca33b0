// The standard controls' parts drawn by the desktop's own widget style instead of the plain GDI look.
#pragma once

#include <QPointer>
#include <QRect>
#include <QStyle>

#include "platform/controls/themes.h"
#include "platform/host/theme.h"
#include "platform/win/scrollbars.h"

namespace host {

// Paints every element with a QStyle straight into the image behind the DC (its origin and clip
// honoured). The style is the application's own when the platform gives one with a real look, else a
// "Fusion" style made for the purpose. Without a QApplication, or for a DC that draws nowhere, the
// plain painter does the work, so the rectangles handed back are always filled in.
class QStyleThemePainter : public TThemePainter {
 public:
  QStyleThemePainter() = default;
  ~QStyleThemePainter() override;
  QStyleThemePainter(const QStyleThemePainter&) = delete;
  QStyleThemePainter& operator=(const QStyleThemePainter&) = delete;

  void PushButton(HDC DC, const RECT& R, const TElementState& S, RECT* Content) override;
  void ToolButton(HDC DC, const RECT& R, const TElementState& S, RECT* Content) override;
  void CheckBox(HDC DC, const RECT& R, const TElementState& S) override;
  void RadioButton(HDC DC, const RECT& R, const TElementState& S) override;
  void ComboBox(HDC DC, const RECT& R, int ButtonWidth, const TElementState& S, RECT* TextRect) override;
  void ComboButton(HDC DC, const RECT& R, const TElementState& S, RECT* Content) override;
  void SpinButton(HDC DC, const RECT& R, bool Up, const TElementState& S, RECT* Content) override;
  void TrackBarChannel(HDC DC, const RECT& R, const TElementState& S) override;
  void TrackBarThumb(HDC DC, const RECT& R, const TElementState& S) override;
  void TrackBarTick(HDC DC, int X, int Y, int Length) override;
  void Frame(HDC DC, const RECT& R, TFrameKind Kind) override;
  void FocusRect(HDC DC, const RECT& R) override;

  // A scroll bar, part by part in the rectangles the Win32 level laid out (so what shows is what the
  // mouse hits). Installed as the scroll-bar painter of the Win32 level with this painter.
  void ScrollBar(HDC DC, const win::ScrollBarLook& Look);

  // The style that paints, or nullptr when there is no QApplication.
  QStyle* Style();

 private:
  // A button face with an arrow primitive centred on it (the combo and spin buttons).
  void ArrowButton(HDC DC, const RECT& R, QStyle::PrimitiveElement Arrow, const TElementState& S, RECT* Content);
  // How far below its top the style draws a group box frame (room it keeps for a caption).
  int GroupBoxCaptionRoom(QStyle* Style);

  // The last track bar channel drawn: its thumb, drawn next, fills it up to itself.
  struct ChannelMemo {
    HDC dc = nullptr;
    QRect rect;
  };
  ChannelMemo channel_;
  QStyle* captionRoomStyle_ = nullptr;
  int captionRoom_ = 0;
  // Made on first use and owned by the application, so it goes with it.
  QPointer<QStyle> own_;
};

}  // namespace host
