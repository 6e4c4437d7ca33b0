// The desktop clipboard backend: formats as MIME types, through the offscreen platform's clipboard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include <memory>

#include "platform/host/qt_clipboard.h"
#include "platform/win/surface.h"
#include "platform/win/windows.h"

namespace {

class QtClipboardTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "clipboard_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) app_ = std::make_unique<QApplication>(argc, argv);
  }
  static void TearDownTestSuite() {
    QCoreApplication::processEvents();
    app_.reset();
  }
  void SetUp() override { win::InstallClipboardBackend(&backend); }
  void TearDown() override { win::InstallClipboardBackend(nullptr); }
  static std::unique_ptr<QApplication> app_;
  host::QtClipboard backend;
};
std::unique_ptr<QApplication> QtClipboardTest::app_;

HGLOBAL Block(const std::string& Bytes) {
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, Bytes.size());
  if (!Bytes.empty()) std::memcpy(GlobalLock(g), Bytes.data(), Bytes.size());
  GlobalUnlock(g);
  return g;
}

TEST_F(QtClipboardTest, FormatsTravelAsMimeTypes) {
  UINT csv = RegisterClipboardFormat("Csv"), rtf = RegisterClipboardFormat("Rich Text Format");
  UINT grid = RegisterClipboardFormat("VCLDBIF"), spaced = RegisterClipboardFormat("My Grid/2");
  EXPECT_EQ(host::QtClipboard::MimeTypeOf(CF_TEXT), "text/plain");
  EXPECT_EQ(host::QtClipboard::MimeTypeOf(csv), "text/csv");
  EXPECT_EQ(host::QtClipboard::MimeTypeOf(rtf), "text/rtf");
  EXPECT_EQ(host::QtClipboard::MimeTypeOf(grid), "application/x-tressora-clip.VCLDBIF");
  EXPECT_EQ(host::QtClipboard::FormatOfMimeType(host::QtClipboard::MimeTypeOf(spaced)), spaced);
  EXPECT_EQ(host::QtClipboard::FormatOfMimeType("text/html"), 0u);

  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_TEXT, Block(std::string("网格\t1\0", 9)));
  SetClipboardData(csv, Block(std::string("a,b\0", 4)));
  SetClipboardData(rtf, Block(std::string("{\\rtf1}\0", 8)));
  SetClipboardData(grid, Block(std::string("\x01\x00\x02", 3)));
  CloseClipboard();

  // Other programs see plain text and the typed formats without the zero bytes.
  const QMimeData* md = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(md, nullptr);
  EXPECT_EQ(md->text().toStdString(), "网格\t1");
  EXPECT_EQ(md->data("text/csv").toStdString(), "a,b");
  EXPECT_EQ(md->data("text/rtf").toStdString(), "{\\rtf1}");
  EXPECT_EQ(md->data("application/x-tressora-clip.VCLDBIF").size(), 3);

  // Coming back, each format has its bytes again (text with its zero).
  ASSERT_TRUE(OpenClipboard(nullptr));
  auto read = [](UINT f) {
    HANDLE h = GetClipboardData(f);
    return h ? std::string(static_cast<const char*>(GlobalLock(h)), GlobalSize(h)) : std::string("<absent>");
  };
  EXPECT_EQ(read(CF_TEXT), std::string("网格\t1\0", 9));
  EXPECT_EQ(read(csv), std::string("a,b\0", 4));
  EXPECT_EQ(read(grid), std::string("\x01\x00\x02", 3));
  EXPECT_EQ(read(CF_UNICODETEXT).size(), 2u * 5);
  CloseClipboard();

  // Text copied by another program.
  QGuiApplication::clipboard()->setText("from elsewhere");
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_FALSE(IsClipboardFormatAvailable(grid));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(read(CF_TEXT), std::string("from elsewhere\0", 15));
  CloseClipboard();
}

TEST_F(QtClipboardTest, PicturesTravelBothWays) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 5, 4);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT all{0, 0, 5, 4};
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  FillRect(dc, &all, blue);
  DeleteObject(blue);
  SetPixel(dc, 3, 2, RGB(255, 0, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  SetClipboardData(CF_BITMAP, bmp);
  CloseClipboard();
  QImage shown = QGuiApplication::clipboard()->image();
  ASSERT_EQ(shown.size(), QSize(5, 4));
  EXPECT_EQ(shown.pixelColor(3, 2), QColor(255, 0, 0));
  EXPECT_EQ(shown.pixelColor(0, 0), QColor(0, 0, 255));

  // A picture copied by another program replaces ours and reads as a bitmap.
  QImage other(2, 3, QImage::Format_RGB32);
  other.fill(QColor(0, 200, 0));
  QGuiApplication::clipboard()->setImage(other);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
  ASSERT_TRUE(OpenClipboard(nullptr));
  auto h = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  ASSERT_NE(h, nullptr);
  EXPECT_NE(h, bmp);
  const QImage* back = win::BitmapImage(h);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->size(), QSize(2, 3));
  EXPECT_EQ(back->pixelColor(1, 1), QColor(0, 200, 0));
  CloseClipboard();
}

}  // namespace
