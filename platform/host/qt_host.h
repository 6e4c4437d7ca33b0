// The Qt host: each visible top-level window of the window manager shown as a real QWidget that
// paints its back buffer and feeds mouse, keyboard and input-method input into the message queue.
// The only Qt Widgets code of the platform.
#pragma once

#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/dialogs.h"
#include "platform/win/host.h"

class QTimer;

namespace host {

class QtHost;

// The real window of one top-level window.
class HostWindow : public QWidget {
 public:
  HostWindow(QtHost& host, HWND hwnd);
  HWND Handle() const { return hwnd_; }
  void ApplyGeometry();
  // The window is gone: the widget ignores everything until Qt deletes it.
  void Retire() { host_ = nullptr; }
  // A pop-up that never takes activation from the window that opened it.
  bool Passive() const { return passive_; }
  // The program drew into the window's back buffer; the next paint shows its drawing.
  void NoteProgramPainted() { programPainted_ = true; }

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void closeEvent(QCloseEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void changeEvent(QEvent* e) override;
  bool focusNextPrevChild(bool) override { return false; }  // Tab belongs to the program

 private:
  void Mouse(QMouseEvent* e, UINT message);
  void Key(QKeyEvent* e, bool down);
  void GeometryFromQt();
  QtHost* host_;
  HWND hwnd_;
  bool passive_ = false;
  bool programPainted_ = false;  // the program drew into the back buffer (for the start-up probe)
  bool composing_ = false;  // an input method is composing text (WM_IME_STARTCOMPOSITION was queued)
};

class QtHost : public win::Host {
 public:
  QtHost();
  ~QtHost() override;
  QtHost(const QtHost&) = delete;
  QtHost& operator=(const QtHost&) = delete;

  void Install();
  void Uninstall();

  // The real window of a top-level window, or nullptr (tests look at it).
  HostWindow* WidgetOf(HWND topLevel) const;
  bool Syncing() const { return syncing_ > 0; }

  void TopLevelCreated(HWND) override;
  void TopLevelShown(HWND) override;
  void TopLevelHidden(HWND) override;
  void TopLevelMoved(HWND, const RECT&) override;
  void TopLevelResized(HWND, const RECT&) override;
  void TopLevelDestroyed(HWND) override;
  void CaptionChanged(HWND, const std::string&) override;
  void TopLevelActivated(HWND) override;
  void Repainted(HWND, const RECT&) override;
  void CursorChanged(HCURSOR) override;
  void TopLevelShapeChanged(HWND, bool shaped, const std::vector<RECT>& rects) override;
  void PollEvents() override;
  void WaitForEvents(int timeoutMs) override;
  bool OpenDocument(const std::string& target) override;
  RECT ScreenRect() override;
  RECT WorkArea() override;
  std::vector<Monitor> Monitors() override;
  bool QueryModifierKeys(unsigned& down) override;

  // Keeps the queue running from a nested Qt event loop (a native modal dialog): dispatches what is
  // pending. Re-entrant calls do nothing.
  void PumpNested();

 private:
  friend class HostWindow;
  std::map<HWND, std::unique_ptr<HostWindow>> windows_;
  std::vector<QPointer<HostWindow>> retired_;  // waiting for deleteLater
  // Tells Qt's input method when the focus window (and so whether it takes input-method text) changed.
  void FollowFocus();
  int syncing_ = 0;
  bool pumping_ = false;
  HWND lastFocus_ = nullptr;
  bool lastImeEnabled_ = false;  // whether the focus window took input-method text when last told
};

// Native dialogs. While one is open, a timer keeps the program's queue running.
class QtDialogs : public win::DialogService {
 public:
  explicit QtDialogs(QtHost& host) : host_(host) {}
  int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) override;
  int MessageDialog(HWND owner, const std::string& text, const std::string& caption, UINT iconFlags,
                    const std::vector<int>& buttons, int defaultResult, int cancelResult) override;
  bool OpenFile(HWND owner, win::FileDialogOptions& options, std::string& fileName) override;
  bool SaveFile(HWND owner, win::FileDialogOptions& options, std::string& fileName) override;
  bool SelectFolder(HWND owner, const std::string& caption, const std::string& initialDir, std::string& folder) override;
  bool ChooseFont(HWND owner, win::FontChoice& font) override;
  bool Print(HWND owner, win::PrintOptions& options) override;

 private:
  QWidget* OwnerWidget(HWND owner) const;
  QtHost& host_;
};

// "Pictures|*.bmp;*.png|All|*.*" -> {"Pictures (*.bmp *.png)", "All (*)"}.
QStringList QtFilters(const std::string& filter);
// The virtual-key code of a Qt key (0 when there is none).
UINT VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);

}  // namespace host
