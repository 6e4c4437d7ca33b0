#include "platform/printers/printers.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <cstdlib>

#include "platform/printers/printer_setup.h"
#include "platform/win/surface.h"

namespace {

// The print engines of this system rasterise into PDF and would report 1200 dots per inch; a page
// image at that size costs over 400 MB. 300 dpi is what photo printers are driven at in practice.
constexpr int kPageResolution = 300;

// Printing needs a Qt application (print support plug-ins, fonts). Headless programs and tests that
// never made one get an offscreen one.
void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "tressora";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
}

std::unique_ptr<TPrinter> GPrinter;

}  // namespace

struct TPrinter::TImpl {
  std::unique_ptr<QPrinter> Device;
  QPainter Painter;

  QPrinter& Printer() {
    if (!Device) {
      EnsureGuiApplication();
      // The print device must not outlive the Qt application it was made under.
      static bool registered = false;
      if (!registered) {
        qAddPostRoutine([] { GPrinter.reset(); });
        registered = true;
      }
      Device = std::make_unique<QPrinter>(QPrinter::HighResolution);
      Device->setResolution(kPageResolution);
      Device->setFullPage(false);
    }
    return *Device;
  }
};

TPrinter::TPrinter() : FImpl(std::make_unique<TImpl>()), FPage(std::make_unique<TBitmap>()) {}

TPrinter::~TPrinter() {
  if (FPrinting) Abort();
}

void TPrinter::CheckNotPrinting() {
  if (FPrinting) throw EPrinter("Printing in progress");
}

int TPrinter::PageWidth() { return FImpl->Printer().width(); }
int TPrinter::PageHeight() { return FImpl->Printer().height(); }
int TPrinter::XDPI() { return FImpl->Printer().logicalDpiX(); }
int TPrinter::YDPI() { return FImpl->Printer().logicalDpiY(); }

std::string TPrinter::OutputFileName() const {
  return FImpl->Device ? FImpl->Device->outputFileName().toStdString() : std::string();
}

void TPrinter::SetOutputFileName(const std::string& Value) {
  CheckNotPrinting();
  QPrinter& p = FImpl->Printer();
  if (Value.empty()) {
    p.setOutputFileName(QString());
    p.setOutputFormat(QPrinter::NativeFormat);
  } else {
    // PDF whatever the name's extension, so that a file is what the caller gets.
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(QString::fromStdString(Value));
  }
  p.setResolution(kPageResolution);
}

std::string TPrinter::PrinterName() const {
  return FImpl->Device ? FImpl->Device->printerName().toStdString() : std::string();
}

void TPrinter::SetPrinterName(const std::string& Value) {
  CheckNotPrinting();
  QPrinter& p = FImpl->Printer();
  if (p.printerName().toStdString() == Value) return;
  p.setPrinterName(QString::fromStdString(Value));
  p.setResolution(kPageResolution);
}

int TPrinter::Copies() const { return FImpl->Device ? FImpl->Device->copyCount() : 1; }

void TPrinter::SetCopies(int Value) {
  CheckNotPrinting();
  FImpl->Printer().setCopyCount(Value < 1 ? 1 : Value);
}

TPrinterOrientation TPrinter::Orientation() const {
  return FImpl->Device && FImpl->Device->pageLayout().orientation() == QPageLayout::Landscape ? poLandscape
                                                                                              : poPortrait;
}

void TPrinter::SetOrientation(TPrinterOrientation Value) {
  CheckNotPrinting();
  FImpl->Printer().setPageOrientation(Value == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

// A blank page of the printable area's size.
void TPrinter::PreparePage() {
  const int w = PageWidth(), h = PageHeight();
  if (FPage->PixelFormat() != pf24bit) FPage->SetPixelFormat(pf24bit);
  if (FPage->Width() != w || FPage->Height() != h) FPage->SetSize(w, h);
  if (QImage* image = win::BitmapImage(FPage->Handle())) image->fill(Qt::white);
}

TCanvas* TPrinter::Canvas() {
  if (FPage->Empty()) PreparePage();
  return FPage->Canvas();
}

void TPrinter::BeginDoc() {
  CheckNotPrinting();
  QPrinter& p = FImpl->Printer();
  p.setDocName(QString::fromStdString(FTitle));
  p.setResolution(kPageResolution);
  if (p.outputFormat() == QPrinter::PdfFormat && p.outputFileName().isEmpty())
    throw EPrinter("No printer is available");
  if (!FImpl->Painter.begin(&p)) {
    const std::string target = p.outputFileName().isEmpty() ? p.printerName().toStdString()
                                                            : p.outputFileName().toStdString();
    throw EPrinter(Format("Cannot print to \"%s\"", target));
  }
  // Pixels go to the device as they are: no smoothing, no lossy compression.
  FImpl->Painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  FImpl->Painter.setRenderHint(QPainter::LosslessImageRendering, true);
  FPrinting = true;
  FAborted = false;
  FPageNumber = 1;
  PreparePage();
}

void TPrinter::SendPage() {
  // Drawing through the canvas may have left a DC selected; the pixels live in the bitmap's image.
  if (const QImage* image = win::BitmapImage(FPage->Handle())) FImpl->Painter.drawImage(QPoint(0, 0), *image);
}

void TPrinter::NewPage() {
  if (!FPrinting) throw EPrinter("Printer is not currently printing");
  SendPage();
  FImpl->Device->newPage();
  ++FPageNumber;
  PreparePage();
}

void TPrinter::EndDoc() {
  if (!FPrinting) throw EPrinter("Printer is not currently printing");
  SendPage();
  FPrinting = false;
  FPageNumber = 0;
  if (!FImpl->Painter.end()) throw EPrinter("The document could not be completed");
}

void TPrinter::Abort() {
  if (!FPrinting) return;
  QPrinter& p = *FImpl->Device;
  p.abort();
  FImpl->Painter.end();
  if (p.outputFormat() == QPrinter::PdfFormat && !p.outputFileName().isEmpty()) QFile::remove(p.outputFileName());
  FPrinting = false;
  FAborted = true;
  FPageNumber = 0;
}

TPrinter* Printer() {
  if (!GPrinter) GPrinter = std::make_unique<TPrinter>();
  return GPrinter.get();
}

std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> NewPrinter) {
  std::swap(GPrinter, NewPrinter);
  return NewPrinter;
}

namespace PrintersUnit {
void Initialize() {}
void Finalize() { GPrinter.reset(); }
}  // namespace PrintersUnit

namespace printers {

namespace {
void CopySetup(const QPrinter& from, QPrinter& to) {
  if (from.outputFormat() == QPrinter::PdfFormat) {
    to.setOutputFormat(QPrinter::PdfFormat);
  } else {
    to.setOutputFormat(QPrinter::NativeFormat);
    to.setPrinterName(from.printerName());
  }
  to.setOutputFileName(from.outputFileName());
  to.setPageLayout(from.pageLayout());
  to.setCopyCount(from.copyCount());
  to.setCollateCopies(from.collateCopies());
  to.setColorMode(from.colorMode());
  to.setDuplex(from.duplex());
  to.setPageOrder(from.pageOrder());
  to.setFromTo(from.fromPage(), from.toPage());
  to.setPrintRange(from.printRange());
}

QPrinter& DeviceOf(TPrinter* printer) { return printer->Impl()->Printer(); }
}  // namespace

void GetPrinterSetup(QPrinter& printer) {
  TPrinter* p = Printer();
  printer.setResolution(kPageResolution);
  CopySetup(DeviceOf(p), printer);
}

void SetPrinterSetup(const QPrinter& printer) {
  TPrinter* p = Printer();
  if (p->Printing()) return;
  QPrinter& device = DeviceOf(p);
  CopySetup(printer, device);
  device.setResolution(kPageResolution);
}

}  // namespace printers
