// The grid under the real host (Qt on the offscreen platform): keys come in as Qt key events and the
// confirmation box is the host's native message box.

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include <memory>

#include "platform/host/qt_host.h"
#include "tests/datagrid/nav_fixture.h"

namespace {

class HostKeysGridTest : public NavGridTest {
 protected:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "datagrid_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) App() = std::make_unique<QApplication>(argc, argv);
    // Real windows need widgets: not when an earlier test of this process made a bare GUI application.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) GTEST_SKIP() << "no widget application";
    qtHost = std::make_unique<host::QtHost>();
    qtHost->Install();
    NavGridTest::SetUp();
    nativeDialogs = std::make_unique<host::QtDialogs>(*qtHost);
    win::SetDialogService(nativeDialogs.get());
  }
  void TearDown() override {
    if (!qtHost) return;
    win::SetDialogService(nullptr);
    NavGridTest::TearDown();
    qtHost.reset();
    QCoreApplication::processEvents();
  }
  static void TearDownTestSuite() {
    // The application goes before static destruction begins.
    QCoreApplication::processEvents();
    App().reset();
  }
  static std::unique_ptr<QApplication>& App() {
    static std::unique_ptr<QApplication> app;
    return app;
  }
  // A key as the real window gets it from Qt.
  void QtKey(QEvent::Type Type, int Key, Qt::KeyboardModifiers Mods) {
    QKeyEvent e(Type, Key, Mods);
    QApplication::sendEvent(qtHost->WidgetOf(host->Handle()), &e);
  }

  std::unique_ptr<host::QtHost> qtHost;
  std::unique_ptr<host::QtDialogs> nativeDialogs;
};

}  // namespace

// Ctrl+Delete asks in a native box; Ctrl is let go while the box has the keyboard and the box is
// confirmed with Return. Down then moves one record, as a Down without Ctrl does.
TEST_F(HostKeysGridTest, ModifierLetGoInANativeBoxIsUpAfterwards) {
  Make(40);
  ds->MoveBy(2);
  ASSERT_EQ(CurrentID(), 3);
  ASSERT_NE(qtHost->WidgetOf(host->Handle()), nullptr);
  int boxes = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    ++boxes;
    // The keys let go and the confirming Return all reach the box, not the program's window.
    QKeyEvent del(QEvent::KeyRelease, Qt::Key_Delete, Qt::ControlModifier);
    QApplication::sendEvent(box, &del);
    QKeyEvent ctrl(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
    QApplication::sendEvent(box, &ctrl);
    QKeyEvent ret(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(box, &ret);
  });
  poll.start(5);
  QtKey(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
  QtKey(QEvent::KeyPress, Qt::Key_Delete, Qt::ControlModifier);
  win::PumpMessages();
  poll.stop();
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(ds->RecordCount(), 39) << "confirmed: the record is deleted";
  ASSERT_EQ(CurrentID(), 4);
  // The program knows that Ctrl is up as soon as the box is over.
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);
  EXPECT_GE(GetAsyncKeyState(VK_CONTROL), 0);
  // The window system gives the window back its activation (the offscreen platform leaves that to the
  // program) and the grid its focus, as a form does with its active control.
  win::NotifyTopLevelActivated(host->Handle(), true);
  grid->SetFocus();
  win::PumpMessages();
  QtKey(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QtKey(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
  win::PumpMessages();
  EXPECT_EQ(CurrentID(), 5);
}
