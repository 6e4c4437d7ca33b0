// The Qt host: real windows for top-level windows, input into the queue, the queue inside Qt's loop.
#include "platform/host/qt_host.h"
#include "platform/host/startup_probe.h"

#include <QAbstractEventDispatcher>

#include <algorithm>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>

#include "platform/win/surface.h"
#include "platform/win/windows.h"

namespace host {

namespace {

QRect WindowRectOf(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

WPARAM KeysOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
  WPARAM k = 0;
  if (buttons & Qt::LeftButton) k |= MK_LBUTTON;
  if (buttons & Qt::RightButton) k |= MK_RBUTTON;
  if (buttons & Qt::MiddleButton) k |= MK_MBUTTON;
  if (mods & Qt::ShiftModifier) k |= MK_SHIFT;
  if (mods & Qt::ControlModifier) k |= MK_CONTROL;
  return k;
}

}  // namespace

// ---- key mapping -----------------------------------------------------------------------------------

UINT VirtualKeyOf(int key, Qt::KeyboardModifiers mods) {
  bool keypad = mods & Qt::KeypadModifier;
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return keypad ? VK_NUMPAD0 + static_cast<UINT>(key - Qt::Key_0) : static_cast<UINT>(key);
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<UINT>(key);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + static_cast<UINT>(key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_Print: return VK_SNAPSHOT;
    case Qt::Key_Clear: return VK_CLEAR;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_NumLock: return VK_NUMLOCK;
    case Qt::Key_ScrollLock: return VK_SCROLL;
    case Qt::Key_Meta: return VK_LWIN;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Asterisk: return keypad ? VK_MULTIPLY : '8';
    case Qt::Key_Plus: return keypad ? VK_ADD : VK_OEM_PLUS;
    case Qt::Key_Minus: return keypad ? VK_SUBTRACT : VK_OEM_MINUS;
    case Qt::Key_Period: return keypad ? VK_DECIMAL : VK_OEM_PERIOD;
    case Qt::Key_Slash: return keypad ? VK_DIVIDE : VK_OEM_2;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_Equal: return VK_OEM_PLUS;
    case Qt::Key_Comma:
    case Qt::Key_Less: return VK_OEM_COMMA;
    case Qt::Key_Underscore: return VK_OEM_MINUS;
    case Qt::Key_Greater: return VK_OEM_PERIOD;
    case Qt::Key_Question: return VK_OEM_2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return VK_OEM_3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return VK_OEM_4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return VK_OEM_5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return VK_OEM_6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return VK_OEM_7;
    // Shifted digits arrive as their symbols.
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
  }
  return 0;
}

QStringList QtFilters(const std::string& filter) {
  QStringList parts = QString::fromStdString(filter).split(u'|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
    for (QString& p : patterns) {
      p = p.trimmed();
      if (p == QStringLiteral("*.*")) p = QStringLiteral("*");
    }
    QString name = parts[i].trimmed();
    // A name that already shows its patterns keeps them once.
    int paren = static_cast<int>(name.indexOf(u'('));
    if (paren > 0) name = name.left(paren).trimmed();
    out << QStringLiteral("%1 (%2)").arg(name, patterns.join(u' '));
  }
  return out;
}

// ---- the real window -------------------------------------------------------------------------------

HostWindow::HostWindow(QtHost& host, HWND hwnd) : host_(&host), hwnd_(hwnd) {
  DWORD style = static_cast<DWORD>(GetWindowLong(hwnd, GWL_STYLE));
  DWORD ex = static_cast<DWORD>(GetWindowLong(hwnd, GWL_EXSTYLE));
  Qt::WindowFlags flags = Qt::Window;
  if (style & WS_POPUP) {
    // Drop-downs, hints and other tool pop-ups float above everything and never take the focus
    // from the window that opened them; other pop-ups are frameless ordinary windows.
    passive_ = (ex & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST)) != 0;
    flags = passive_ ? (Qt::ToolTip | Qt::WindowDoesNotAcceptFocus) : Qt::Window;
    flags |= Qt::FramelessWindowHint;
  }
  if (ex & WS_EX_TOPMOST) flags |= Qt::WindowStaysOnTopHint;
  if (ex & WS_EX_NOACTIVATE) flags |= Qt::WindowDoesNotAcceptFocus;
  if (ex & WS_EX_TRANSPARENT) flags |= Qt::WindowTransparentForInput;
  setWindowFlags(flags);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setAttribute(Qt::WA_InputMethodEnabled);
  setAttribute(Qt::WA_ShowWithoutActivating, (ex & WS_EX_NOACTIVATE) != 0);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  char title[512];
  GetWindowText(hwnd, title, sizeof title);
  setWindowTitle(QString::fromUtf8(title));
  ApplyGeometry();
}

void HostWindow::ApplyGeometry() {
  if (!host_) return;
  QRect r = WindowRectOf(hwnd_);
  ++host_->syncing_;
  setGeometry(r);
  --host_->syncing_;
}

void HostWindow::GeometryFromQt() {
  if (!host_ || host_->Syncing() || !isVisible()) return;
  QRect g = geometry();
  win::NotifyTopLevelGeometry(hwnd_, RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
}

void HostWindow::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  QImage* buffer = host_ ? win::WindowBackBuffer(hwnd_) : nullptr;
  if (!buffer) return;
  p.setCompositionMode(QPainter::CompositionMode_Source);
  for (const QRect& r : e->region()) p.drawImage(r, *buffer, r);
  if (programPainted_ && StartupProbeArmed()) {
    p.end();
    StartupProbeFirstPaint();
  }
}

void HostWindow::Mouse(QMouseEvent* e, UINT message) {
  if (!host_) return;
  QPoint g = e->globalPosition().toPoint();
  win::QueueMouseInput(g.x(), g.y(), message, KeysOf(e->buttons(), e->modifiers()));
}

static UINT ButtonMessage(Qt::MouseButton b, UINT left, UINT right, UINT middle) {
  if (b == Qt::RightButton) return right;
  if (b == Qt::MiddleButton) return middle;
  return left;
}

void HostWindow::mousePressEvent(QMouseEvent* e) {
  Mouse(e, ButtonMessage(e->button(), WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN));
}
void HostWindow::mouseReleaseEvent(QMouseEvent* e) {
  Mouse(e, ButtonMessage(e->button(), WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP));
}
void HostWindow::mouseDoubleClickEvent(QMouseEvent* e) {
  Mouse(e, ButtonMessage(e->button(), WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK));
}
void HostWindow::mouseMoveEvent(QMouseEvent* e) { Mouse(e, WM_MOUSEMOVE); }

void HostWindow::wheelEvent(QWheelEvent* e) {
  if (!host_) return;
  QPoint g = e->globalPosition().toPoint();
  QPoint d = e->angleDelta();
  WPARAM keys = KeysOf(e->buttons(), e->modifiers());
  if (d.y() != 0) win::QueueMouseInput(g.x(), g.y(), WM_MOUSEWHEEL, keys, d.y());
  if (d.x() != 0) win::QueueMouseInput(g.x(), g.y(), WM_MOUSEHWHEEL, keys, d.x());
}

void HostWindow::Key(QKeyEvent* e, bool down) {
  if (!host_) return;
  if (!down && e->isAutoRepeat()) return;  // repeats are key-downs only
  UINT vk = VirtualKeyOf(e->key(), e->modifiers());
  bool alt = e->modifiers() & Qt::AltModifier;
  UINT message = down ? (alt || vk == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt || vk == VK_F10 ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM data = down ? (e->isAutoRepeat() ? 0x40000001 : 1) : static_cast<LPARAM>(static_cast<std::int32_t>(0xC0000001u));
  data |= static_cast<LPARAM>((e->nativeScanCode() & 0xFF) << 16);
  std::string text;
  QString t = e->text();
  if (down && !t.isEmpty() && t[0].unicode() >= 0x20 && t[0].unicode() != 0x7F) text = t.toStdString();
  if (vk == 0) {
    // A key with no virtual-key code still types its text.
    if (down && !text.empty()) win::QueueCharInput(text);
    return;
  }
  win::QueueKeyInputWithText(message, vk, data, text);
}

void HostWindow::keyPressEvent(QKeyEvent* e) { Key(e, true); }
void HostWindow::keyReleaseEvent(QKeyEvent* e) { Key(e, false); }

void HostWindow::inputMethodEvent(QInputMethodEvent* e) {
  if (host_) {
    const bool commit = !e->commitString().isEmpty();
    const bool preedit = !e->preeditString().isEmpty();
    // The window learns that text is being composed before the text arrives, and when it is over.
    if (!composing_ && (commit || preedit)) {
      win::QueueImeComposition(true);
      composing_ = true;
    }
    if (commit) win::QueueCharInput(e->commitString().toStdString(), true);
    if (composing_ && !preedit) {
      win::QueueImeComposition(false);
      composing_ = false;
    }
  }
  e->accept();
}

QVariant HostWindow::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImEnabled) return host_ && win::ImeEnabledFor(GetFocus());
  if (query == Qt::ImCursorRectangle) {
    POINT p{};
    GetCaretPos(&p);
    HWND focus = GetFocus();
    if (focus) ClientToScreen(focus, &p);
    QPoint local = mapFromGlobal(QPoint(p.x, p.y));
    return QRect(local, QSize(1, 16));
  }
  return QWidget::inputMethodQuery(query);
}

void HostWindow::closeEvent(QCloseEvent* e) {
  // The program decides: WM_CLOSE may destroy the window or refuse.
  e->ignore();
  if (host_) win::QueueCloseRequest(hwnd_);
}

void HostWindow::moveEvent(QMoveEvent*) { GeometryFromQt(); }
void HostWindow::resizeEvent(QResizeEvent*) { GeometryFromQt(); }

void HostWindow::changeEvent(QEvent* e) {
  if (host_ && !passive_ && e->type() == QEvent::ActivationChange && !host_->Syncing()) {
    if (isActiveWindow()) {
      ++host_->syncing_;
      win::NotifyTopLevelActivated(hwnd_, true);
      --host_->syncing_;
    } else {
      // Lost to another program only when no window of ours took over; decided once Qt settled.
      QPointer<HostWindow> self(this);
      QTimer::singleShot(0, this, [self] {
        if (!self || !self->host_ || QApplication::activeWindow()) return;
        win::NotifyTopLevelActivated(self->hwnd_, false);
      });
    }
  }
  QWidget::changeEvent(e);
}

// ---- the host ---------------------------------------------------------------------------------------

QtHost::QtHost() = default;

QtHost::~QtHost() { Uninstall(); }

void QtHost::Install() { win::InstallHost(this); }

void QtHost::Uninstall() {
  if (win::CurrentHost() == this) win::InstallHost(nullptr);
  windows_.clear();
  for (auto& w : retired_)
    if (w) delete w.data();  // not inside its own handlers here: deleting now is safe
  retired_.clear();
}

HostWindow* QtHost::WidgetOf(HWND h) const {
  auto it = windows_.find(h);
  return it == windows_.end() ? nullptr : it->second.get();
}

void QtHost::TopLevelCreated(HWND h) {
  if (!windows_.count(h)) windows_[h] = std::make_unique<HostWindow>(*this, h);
}

void QtHost::TopLevelShown(HWND h) {
  TopLevelCreated(h);
  HostWindow* w = WidgetOf(h);
  HWND owner = GetWindow(h, GW_OWNER);
  if (HostWindow* o = WidgetOf(owner)) {
    w->winId();
    o->winId();
    if (w->windowHandle() && o->windowHandle()) w->windowHandle()->setTransientParent(o->windowHandle());
  }
  ++syncing_;
  w->ApplyGeometry();
  w->show();
  --syncing_;
  w->update();
}

void QtHost::TopLevelHidden(HWND h) {
  if (HostWindow* w = WidgetOf(h)) {
    ++syncing_;
    w->hide();
    --syncing_;
  }
}

// A shaped window (a size grip's triangle, a rounded pop-up) shows and takes the mouse only there.
void QtHost::TopLevelShapeChanged(HWND h, bool shaped, const std::vector<RECT>& rects) {
  HostWindow* w = WidgetOf(h);
  if (!w) return;
  if (!shaped) {
    w->clearMask();
    return;
  }
  QRegion mask;
  for (const RECT& r : rects) mask += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
  w->setMask(mask);
}

void QtHost::TopLevelMoved(HWND h, const RECT&) {
  if (HostWindow* w = WidgetOf(h)) w->ApplyGeometry();
}

void QtHost::TopLevelResized(HWND h, const RECT&) {
  if (HostWindow* w = WidgetOf(h)) {
    w->ApplyGeometry();
    w->update();
  }
}

void QtHost::TopLevelDestroyed(HWND h) {
  auto it = windows_.find(h);
  if (it == windows_.end()) return;
  // The widget may be inside one of its own event handlers further up the stack: let Qt delete it.
  HostWindow* w = it->second.release();
  windows_.erase(it);
  w->Retire();
  w->hide();
  w->deleteLater();
  retired_.erase(std::remove_if(retired_.begin(), retired_.end(), [](const QPointer<HostWindow>& p) { return p.isNull(); }),
                 retired_.end());
  retired_.push_back(w);
}

void QtHost::CaptionChanged(HWND h, const std::string& caption) {
  if (HostWindow* w = WidgetOf(h)) w->setWindowTitle(QString::fromStdString(caption));
}

void QtHost::TopLevelActivated(HWND h) {
  if (Syncing()) return;
  if (HostWindow* w = WidgetOf(h)) {
    if (!w->isVisible() || w->Passive()) return;
    ++syncing_;
    w->raise();
    w->activateWindow();
    --syncing_;
  }
}

void QtHost::Repainted(HWND h, const RECT& r) {
  if (HostWindow* w = WidgetOf(h)) {
    w->NoteProgramPainted();
    w->update(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
  }
}

void QtHost::CursorChanged(HCURSOR c) {
  QCursor cursor(Qt::ArrowCursor);
  win::CursorData data;
  if (c && win::GetCursorData(c, data)) {
    if (data.image) {
      cursor = QCursor(QPixmap::fromImage(*data.image), data.hotSpot.x(), data.hotSpot.y());
    } else {
      switch (data.standardId) {
        case IDC_IBEAM: cursor = QCursor(Qt::IBeamCursor); break;
        case IDC_WAIT: cursor = QCursor(Qt::WaitCursor); break;
        case IDC_CROSS: cursor = QCursor(Qt::CrossCursor); break;
        case IDC_UPARROW: cursor = QCursor(Qt::UpArrowCursor); break;
        case IDC_SIZENWSE: cursor = QCursor(Qt::SizeFDiagCursor); break;
        case IDC_SIZENESW: cursor = QCursor(Qt::SizeBDiagCursor); break;
        case IDC_SIZEWE: cursor = QCursor(Qt::SizeHorCursor); break;
        case IDC_SIZENS: cursor = QCursor(Qt::SizeVerCursor); break;
        case IDC_SIZE:
        case IDC_SIZEALL: cursor = QCursor(Qt::SizeAllCursor); break;
        case IDC_NO: cursor = QCursor(Qt::ForbiddenCursor); break;
        case IDC_HAND: cursor = QCursor(Qt::PointingHandCursor); break;
        case IDC_APPSTARTING: cursor = QCursor(Qt::BusyCursor); break;
        case IDC_HELP: cursor = QCursor(Qt::WhatsThisCursor); break;
        default: break;
      }
    }
  } else if (!c) {
    cursor = QCursor(Qt::BlankCursor);
  }
  for (auto& [h, w] : windows_) w->setCursor(cursor);
}

void QtHost::FollowFocus() {
  HWND f = GetFocus();
  // A control switches its input method off or on while it keeps the focus, too.
  bool ime = f && win::ImeEnabledFor(f);
  if (f == lastFocus_ && ime == lastImeEnabled_) return;
  lastFocus_ = f;
  lastImeEnabled_ = ime;
  if (QGuiApplication::focusObject()) QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImCursorRectangle);
}

void QtHost::PollEvents() {
  FollowFocus();
  if (pumping_) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtHost::WaitForEvents(int timeoutMs) {
  FollowFocus();
  if (pumping_) return;
  if (timeoutMs == 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  // A single-shot timer wakes the dispatcher when the next timer of the queue is due.
  QTimer wake;
  wake.setSingleShot(true);
  if (timeoutMs > 0) wake.start(timeoutMs);
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
}

void QtHost::PumpNested() {
  if (pumping_) return;
  pumping_ = true;
  MSG m;
  for (int i = 0; i < 1000 && PeekMessage(&m, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    TranslateMessage(&m);
    DispatchMessage(&m);
  }
  pumping_ = false;
}

bool QtHost::OpenDocument(const std::string& target) {
  QString t = QString::fromStdString(target);
  QUrl url = QFileInfo::exists(t) ? QUrl::fromLocalFile(QFileInfo(t).absoluteFilePath()) : QUrl::fromUserInput(t);
  return QDesktopServices::openUrl(url);
}

RECT QtHost::ScreenRect() {
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return win::Host::ScreenRect();
  QRect g = s->geometry();
  return RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

RECT QtHost::WorkArea() {
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return win::Host::WorkArea();
  QRect g = s->availableGeometry();
  return RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

std::vector<win::Host::Monitor> QtHost::Monitors() {
  auto rect = [](const QRect& g) { return RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()}; };
  std::vector<Monitor> out;
  QScreen* primary = QGuiApplication::primaryScreen();
  if (primary) out.push_back(Monitor{rect(primary->geometry()), rect(primary->availableGeometry())});
  for (QScreen* s : QGuiApplication::screens())
    if (s != primary) out.push_back(Monitor{rect(s->geometry()), rect(s->availableGeometry())});
  if (out.empty()) return win::Host::Monitors();
  return out;
}

bool QtHost::QueryModifierKeys(unsigned& down) {
  // Asked of the window system, not taken from the last event Qt saw: the keys may have been let go
  // while a window of another program or a dialog had the keyboard.
  Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
  down = (m & Qt::ShiftModifier ? win::kModifierShift : 0u) | (m & Qt::ControlModifier ? win::kModifierControl : 0u) |
         (m & Qt::AltModifier ? win::kModifierAlt : 0u);
  return true;
}

}  // namespace host
