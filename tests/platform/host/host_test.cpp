// The Qt host on the offscreen platform: real widgets for top-level windows, input into the queue.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QAbstractButton>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

#include <memory>
#include <vector>

#include "platform/host/qt_host.h"
#include "platform/host/translations.h"
#include "platform/win/testing.h"
#include "platform/win/windows.h"

namespace {

struct Seen {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> g_seen;
COLORREF g_fill = RGB(10, 200, 30);

LRESULT CALLBACK_Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  g_seen.push_back({m, w, l});
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT r;
    GetClientRect(h, &r);
    HBRUSH b = CreateSolidBrush(g_fill);
    FillRect(dc, &r, b);
    DeleteObject(b);
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProc(h, m, w, l);
}

int Count(UINT m) {
  int n = 0;
  for (auto& s : g_seen) n += s.msg == m;
  return n;
}

class HostTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "host_test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) app_ = std::make_unique<QApplication>(argc, argv);
    WNDCLASS wc;
    wc.lpfnWndProc = CALLBACK_Proc;
    wc.lpszClassName = "HostTestWindow";
    wc.style = CS_DBLCLKS;
    RegisterClass(&wc);
  }
  static void TearDownTestSuite() {
    // The application goes before static destruction begins.
    QCoreApplication::processEvents();
    app_.reset();
  }
  void SetUp() override {
    win::ResetWindowManager();
    host_ = std::make_unique<host::QtHost>();
    host_->Install();
    g_seen.clear();
  }
  void TearDown() override {
    win::ResetWindowManager();
    host_.reset();
    QCoreApplication::processEvents();
  }
  HWND MakeTop(DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE) {
    return CreateWindowEx(0, "HostTestWindow", "Host test", style, 40, 50, 200, 120, nullptr, nullptr, nullptr, nullptr);
  }
  static std::unique_ptr<QApplication> app_;
  std::unique_ptr<host::QtHost> host_;
};
std::unique_ptr<QApplication> HostTest::app_;

TEST_F(HostTest, VisibleTopLevelGetsAWidgetShowingItsBackBuffer) {
  HWND h = MakeTop();
  win::PumpMessages();
  host::HostWindow* w = host_->WidgetOf(h);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->geometry(), QRect(40, 50, 200, 120));
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Host test"));
  QImage shot = w->grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(100, 60)), QColor(10, 200, 30));
  SetWindowText(h, "新标题");
  EXPECT_EQ(w->windowTitle(), QStringLiteral("新标题"));
  SetWindowPos(h, nullptr, 60, 70, 150, 90, SWP_NOZORDER);
  EXPECT_EQ(w->geometry(), QRect(60, 70, 150, 90));
  ShowWindow(h, SW_HIDE);
  EXPECT_FALSE(w->isVisible());
  DestroyWindow(h);
  EXPECT_EQ(host_->WidgetOf(h), nullptr);
  // Pop-ups are frameless; tool pop-ups (drop-downs) never take the focus.
  HWND popup = MakeTop(WS_POPUP | WS_VISIBLE);
  ASSERT_NE(host_->WidgetOf(popup), nullptr);
  EXPECT_TRUE(host_->WidgetOf(popup)->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_FALSE(host_->WidgetOf(popup)->Passive());
  HWND drop = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "HostTestWindow", "", WS_POPUP, 10, 10, 50, 80, popup, nullptr,
                             nullptr, nullptr);
  ShowWindow(drop, SW_SHOWNA);
  ASSERT_NE(host_->WidgetOf(drop), nullptr);
  EXPECT_TRUE(host_->WidgetOf(drop)->Passive());
  EXPECT_TRUE(host_->WidgetOf(drop)->windowFlags() & Qt::WindowDoesNotAcceptFocus);
  EXPECT_EQ(GetActiveWindow(), popup);
}

TEST_F(HostTest, QtInputReachesTheWindowProcedure) {
  HWND h = MakeTop();
  win::PumpMessages();
  host::HostWindow* w = host_->WidgetOf(h);
  ASSERT_NE(w, nullptr);
  g_seen.clear();
  QPointF local(30, 20);
  QMouseEvent press(QEvent::MouseButtonPress, local, w->mapToGlobal(local), Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
  QApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, w->mapToGlobal(local), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &release);
  win::PumpMessages();
  bool found = false;
  for (auto& s : g_seen)
    if (s.msg == WM_LBUTTONDOWN) {
      found = true;
      EXPECT_EQ(GET_X_LPARAM(s.lParam), 30);
      EXPECT_EQ(GET_Y_LPARAM(s.lParam), 20);
      EXPECT_EQ(s.wParam, MK_LBUTTON | MK_SHIFT);
    }
  EXPECT_TRUE(found);
  EXPECT_EQ(Count(WM_LBUTTONUP), 1);

  SetFocus(h);
  g_seen.clear();
  QKeyEvent key(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"));
  QApplication::sendEvent(w, &key);
  QKeyEvent up(QEvent::KeyRelease, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"));
  QApplication::sendEvent(w, &up);
  QInputMethodEvent ime;
  ime.setCommitString(QStringLiteral("发型"));
  QApplication::sendEvent(w, &ime);
  win::PumpMessages();
  std::vector<WPARAM> chars;
  for (auto& s : g_seen)
    if (s.msg == WM_CHAR) chars.push_back(s.wParam);
  EXPECT_EQ(Count(WM_KEYDOWN), 1);
  EXPECT_EQ(Count(WM_KEYUP), 1);
  EXPECT_EQ(Count(WM_IME_CHAR), 2);
  EXPECT_EQ(chars, (std::vector<WPARAM>{'q', 0x53D1, 0x578B}));

  // The close button asks the program, which closes the window by default.
  w->close();
  win::PumpMessages();
  EXPECT_EQ(Count(WM_CLOSE), 1);
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(HostTest, GetMessageWaitsInQtsLoopUntilTheTimerIsDue) {
  HWND h = MakeTop();
  win::PumpMessages();
  SetTimer(h, 5, 30, nullptr);
  DWORD start = GetTickCount();
  MSG m;
  do {
    ASSERT_TRUE(GetMessage(&m, nullptr, 0, 0));
    DispatchMessage(&m);
  } while (m.message != WM_TIMER);
  EXPECT_GE(GetTickCount() - start, 25u);
  EXPECT_EQ(m.wParam, 5u);
  // A native nested loop (as a modal dialog runs) keeps our queue going through the pump.
  PostMessage(h, WM_USER + 9, 0, 0);
  QTimer::singleShot(0, [this] { host_->PumpNested(); });
  QCoreApplication::processEvents();
  EXPECT_EQ(Count(WM_USER + 9), 1);
}

TEST_F(HostTest, NativeMessageBoxAnswersAndTheQueueRunsMeanwhile) {
  HWND h = MakeTop();
  win::PumpMessages();
  host::QtDialogs dialogs(*host_);
  SetTimer(h, 1, 20, nullptr);
  g_seen.clear();
  // Press "No" once three timer messages arrived while the box is up (or after five seconds).
  QTimer poll;
  QElapsedTimer since;
  since.start();
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box && (Count(WM_TIMER) >= 3 || since.elapsed() > 5000)) box->button(QMessageBox::No)->click();
  });
  poll.start(5);
  int r = dialogs.MessageBox(h, "保存更改？", "提示", MB_YESNOCANCEL | MB_ICONQUESTION);
  poll.stop();
  EXPECT_EQ(r, IDNO);
  EXPECT_GE(Count(WM_TIMER), 3) << "timers kept firing while the native box was open";
  KillTimer(h, 1);
}

// Qt's own buttons and dialogs speak the program's language.
TEST_F(HostTest, QtTextsAreChineseOnceTheTranslationsAreInstalled) {
  ASSERT_TRUE(host::InstallQtTranslations());
  EXPECT_TRUE(host::InstallQtTranslations());  // a second call changes nothing
  QMessageBox box;
  box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
  EXPECT_EQ(box.button(QMessageBox::Yes)->text().left(1), QStringLiteral("是"));
  EXPECT_EQ(box.button(QMessageBox::No)->text().left(1), QStringLiteral("否"));
  EXPECT_NE(QCoreApplication::translate("QFileDialog", "File &name:"), QStringLiteral("File &name:"));
}

TEST(HostFilters, WindowsFilterStringsBecomeQtFilters) {
  EXPECT_EQ(host::QtFilters("Pictures|*.bmp;*.png|All files (*.*)|*.*"),
            (QStringList{QStringLiteral("Pictures (*.bmp *.png)"), QStringLiteral("All files (*)")}));
  EXPECT_TRUE(host::QtFilters("").isEmpty());
  EXPECT_EQ(host::VirtualKeyOf(Qt::Key_Exclam, Qt::ShiftModifier), static_cast<UINT>('1'));
  EXPECT_EQ(host::VirtualKeyOf(Qt::Key_5, Qt::KeypadModifier), VK_NUMPAD5);
  EXPECT_EQ(host::VirtualKeyOf(Qt::Key_F5, Qt::NoModifier), VK_F5);
}

}  // namespace

namespace {

// A shaped top-level window masks its real window; the mask goes with the shape.
TEST_F(HostTest, WindowRegionBecomesTheRealWindowsMask) {
  HWND drop = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "HostTestWindow", "", WS_POPUP, 10, 10, 40, 40, nullptr,
                             nullptr, nullptr, nullptr);
  ShowWindow(drop, SW_SHOWNA);
  host::HostWindow* w = host_->WidgetOf(drop);
  ASSERT_NE(w, nullptr);
  POINT tri[3] = {{0, 40}, {40, 40}, {40, 0}};
  SetWindowRgn(drop, CreatePolygonRgn(tri, 3, WINDING), TRUE);
  EXPECT_FALSE(w->mask().isEmpty());
  EXPECT_TRUE(w->mask().contains(QPoint(38, 38)));
  EXPECT_FALSE(w->mask().contains(QPoint(2, 2)));
  SetWindowRgn(drop, nullptr, TRUE);
  EXPECT_TRUE(w->mask().isEmpty());
}

// A message dialog with buttons a message box lacks: the pressed button's answer comes back.
TEST_F(HostTest, NativeMessageDialogOffersTheAskedButtons) {
  HWND h = MakeTop();
  win::PumpMessages();
  host::QtDialogs dialogs(*host_);
  QStringList seen;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    for (QAbstractButton* b : box->buttons()) seen << b->text();
    for (QAbstractButton* b : box->buttons())
      if (b->text() == QStringLiteral("&All")) b->click();
  });
  poll.start(5);
  int r = dialogs.MessageDialog(h, "插入值过程中出错", "Error", MB_ICONERROR, {IDYES, IDNO, win::kDialogResultAll}, IDYES,
                                IDNO);
  poll.stop();
  EXPECT_EQ(r, win::kDialogResultAll);
  EXPECT_EQ(seen.size(), 3) << "Yes, No and All, nothing else";
  EXPECT_TRUE(seen.contains(QStringLiteral("&All")));
}

}  // namespace

namespace {

// Keys let go while another program's window or a native dialog had the keyboard never reach the
// program; when the keyboard comes back the modifier state is the host's.
TEST_F(HostTest, ModifiersAreTakenFromTheHostWhenTheKeyboardComesBack) {
  HWND h = MakeTop();
  win::PumpMessages();
  SetFocus(h);
  host::HostWindow* w = host_->WidgetOf(h);
  ASSERT_NE(w, nullptr);
  auto pressCtrl = [&] {
    QKeyEvent ctrl(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
    QApplication::sendEvent(w, &ctrl);
    win::PumpMessages();
    ASSERT_LT(GetKeyState(VK_CONTROL), 0);
    ASSERT_LT(GetAsyncKeyState(VK_CONTROL), 0);
  };
  // Another program takes the activation and gives it back.
  pressCtrl();
  win::NotifyTopLevelActivated(h, false);
  win::NotifyTopLevelActivated(h, true);
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);
  EXPECT_GE(GetAsyncKeyState(VK_CONTROL), 0);
  // A native message box, confirmed.
  pressCtrl();
  host::QtDialogs dialogs(*host_);
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->button(QMessageBox::Ok)->click();
  });
  poll.start(5);
  EXPECT_EQ(dialogs.MessageBox(h, "删除记录？", "确认", MB_OKCANCEL), IDOK);
  poll.stop();
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);
  EXPECT_GE(GetAsyncKeyState(VK_CONTROL), 0);
}

}  // namespace
