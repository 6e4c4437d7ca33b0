#include "platform/printers/printers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/printers/printer_setup.h"
#include "platform/win/surface.h"
#include "platform/win/testing.h"

namespace {

namespace fs = std::filesystem;

// Page objects of a PDF file: "/Type /Page" but not "/Type /Pages".
int PdfPageCount(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string data = ss.str();
  int count = 0;
  for (size_t at = data.find("/Type /Page"); at != std::string::npos; at = data.find("/Type /Page", at + 1))
    if (at + 11 >= data.size() || data[at + 11] != 's') ++count;
  return count;
}

bool HaveTool(const char* name) { return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0; }

class PrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A QPrinter made by the test itself needs the application object the printer would make.
    win::EnsureGuiApplication();
    dir_ = fs::temp_directory_path() / ("tressora_printers_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    old_ = SetPrinter(std::make_unique<TPrinter>());
  }
  void TearDown() override {
    SetPrinter(std::move(old_));
    fs::remove_all(dir_);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
  std::unique_ptr<TPrinter> old_;
};

TEST_F(PrinterTest, PagesOfADocumentReachThePdfFile) {
  struct Case { int extraPages; int expected; };
  for (const Case c : {Case{0, 1}, Case{1, 2}, Case{3, 4}}) {
    const std::string file = Path("doc" + std::to_string(c.expected) + ".pdf");
    Printer()->SetOutputFileName(file);
    Printer()->SetTitle("Page test");
    Printer()->BeginDoc();
    EXPECT_TRUE(Printer()->Printing());
    EXPECT_EQ(Printer()->PageNumber(), 1);
    Printer()->Canvas()->Brush()->SetColor(clRed);
    Printer()->Canvas()->FillRect(Rect(0, 0, 100, 100));
    for (int i = 0; i < c.extraPages; ++i) Printer()->NewPage();
    EXPECT_EQ(Printer()->PageNumber(), c.expected);
    Printer()->EndDoc();
    EXPECT_FALSE(Printer()->Printing());
    EXPECT_EQ(PdfPageCount(file), c.expected) << file;
  }
}

TEST_F(PrinterTest, PageIsThePrintableAreaAtThreeHundredDpi) {
  Printer()->SetOutputFileName(Path("size.pdf"));
  EXPECT_EQ(Printer()->XDPI(), 300);
  // Any paper the system defaults to is between A5 and A3 wide.
  EXPECT_GT(Printer()->PageWidth(), 1400);
  EXPECT_LT(Printer()->PageWidth(), 3600);
  EXPECT_GT(Printer()->PageHeight(), Printer()->PageWidth());
  Printer()->SetOrientation(poLandscape);
  EXPECT_GT(Printer()->PageWidth(), Printer()->PageHeight());
  Printer()->BeginDoc();
  TCanvas* canvas = Printer()->Canvas();
  // A fresh page is white wherever it is looked at.
  EXPECT_EQ(canvas->Pixels(0, 0), clWhite);
  EXPECT_EQ(canvas->Pixels(Printer()->PageWidth() - 1, Printer()->PageHeight() - 1), clWhite);
  Printer()->EndDoc();
}

// The page's pixels land unscaled at the printable area's upper-left corner.
TEST_F(PrinterTest, PixelsArePrintedOneForOneAtTheOrigin) {
  if (!HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  const std::string file = Path("pixels.pdf");
  Printer()->SetOutputFileName(file);
  Printer()->BeginDoc();
  TCanvas* canvas = Printer()->Canvas();
  canvas->Brush()->SetColor(clBlue);
  canvas->FillRect(Rect(0, 0, 40, 30));  // device pixels
  const int w = Printer()->PageWidth(), h = Printer()->PageHeight();
  Printer()->EndDoc();
  // Render back at the page's own resolution, without the margins: the rendering is the page image.
  const std::string out = Path("render");
  const std::string cmd = "pdftoppm -r 300 -singlefile -aa no -aaVector no '" + file + "' '" + out + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::ifstream in(out + ".ppm", std::ios::binary);
  std::string magic;
  int pw = 0, ph = 0, maxv = 0;
  in >> magic >> pw >> ph >> maxv;
  in.get();
  ASSERT_EQ(magic, "P6");
  std::string pixels((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(pixels.size(), size_t(pw) * ph * 3);
  // Find the blue block: its size must be 40 x 30 exactly (no scaling), and the margins put it where
  // the printable area begins.
  auto blue = [&](int x, int y) {
    const auto* p = reinterpret_cast<const unsigned char*>(&pixels[(size_t(y) * pw + x) * 3]);
    return p[0] < 60 && p[1] < 60 && p[2] > 200;
  };
  int left = -1, top = -1;
  for (int y = 0; y < ph && top < 0; ++y)
    for (int x = 0; x < pw; ++x)
      if (blue(x, y)) { left = x; top = y; break; }
  ASSERT_GE(left, 0);
  int right = left, bottom = top;
  while (right < pw && blue(right, top)) ++right;
  while (bottom < ph && blue(left, bottom)) ++bottom;
  EXPECT_EQ(right - left, 40);
  EXPECT_EQ(bottom - top, 30);
  // The paper is the printable area plus the margins.
  EXPECT_GE(pw, w);
  EXPECT_GE(ph, h);
  EXPECT_LE(left, pw - w);
  EXPECT_LE(top, ph - h);
}

TEST_F(PrinterTest, MisuseRaisesAndAbortLeavesNoFile) {
  EXPECT_THROW(Printer()->EndDoc(), EPrinter);
  EXPECT_THROW(Printer()->NewPage(), EPrinter);
  const std::string file = Path("aborted.pdf");
  Printer()->SetOutputFileName(file);
  Printer()->BeginDoc();
  EXPECT_THROW(Printer()->BeginDoc(), EPrinter);
  EXPECT_THROW(Printer()->SetOutputFileName(Path("other.pdf")), EPrinter);
  Printer()->Abort();
  EXPECT_FALSE(Printer()->Printing());
  EXPECT_TRUE(Printer()->Aborted());
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(PrinterTest, UnwritableOutputFileIsNamedInTheError) {
  const std::string file = Path("no/such/folder/out.pdf");
  Printer()->SetOutputFileName(file);
  try {
    Printer()->BeginDoc();
    FAIL() << "BeginDoc printed to a file that cannot be made";
  } catch (const EPrinter& e) {
    EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
  }
  EXPECT_FALSE(Printer()->Printing());
}

TEST_F(PrinterTest, OutputFileNameRoundTrips) {
  Printer()->SetOutputFileName(Path("a.pdf"));
  EXPECT_EQ(Printer()->OutputFileName(), Path("a.pdf"));
  Printer()->SetCopies(0);
  EXPECT_EQ(Printer()->Copies(), 1);
}

// The host's print dialog works on a QPrinter; its choices reach the program's printer and come back.
TEST_F(PrinterTest, PrintDialogSettingsReachThePrinter) {
  const std::string file = Path("chosen.pdf");
  {
    QPrinter chosen(QPrinter::HighResolution);
    chosen.setOutputFormat(QPrinter::PdfFormat);
    chosen.setOutputFileName(QString::fromStdString(file));
    chosen.setPageOrientation(QPageLayout::Landscape);
    chosen.setCopyCount(2);
    printers::SetPrinterSetup(chosen);
  }
  EXPECT_EQ(Printer()->OutputFileName(), file);
  EXPECT_EQ(Printer()->Orientation(), poLandscape);
  EXPECT_EQ(Printer()->Copies(), 2);
  EXPECT_EQ(Printer()->XDPI(), 300);  // the page resolution is the printer object's own
  QPrinter back;
  printers::GetPrinterSetup(back);
  EXPECT_EQ(back.outputFileName().toStdString(), file);
  EXPECT_EQ(back.pageLayout().orientation(), QPageLayout::Landscape);
  EXPECT_EQ(back.copyCount(), 2);
  Printer()->BeginDoc();
  Printer()->EndDoc();
  EXPECT_EQ(PdfPageCount(file), 1);
}

}  // namespace
