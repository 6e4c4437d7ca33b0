#pragma once
// The printer object: a document of pages drawn on a canvas at the printer's resolution, sent to the
// chosen printer (or written as a PDF file) when the document ends. No Qt type appears here.
//
// Each page is a 24-bit bitmap of PageWidth x PageHeight device pixels whose (0, 0) is the upper-left
// corner of the printable area; the canvas draws into it. At NewPage and EndDoc the page is copied pixel
// for pixel to the print device.

#include <memory>
#include <string>

#include "platform/classes/classes.h"
#include "platform/graphics/graphics.h"
#include "platform/rtl/sysutils.h"

RTL_DECLARE_EXCEPTION(EPrinter, Exception)

enum TPrinterOrientation { poPortrait, poLandscape };

class TPrinter : public TObject {
  DECLARE_CLASS(TPrinter, TObject)
  TPrinter();
  ~TPrinter() override;
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // Opens the print device and starts page 1 (EPrinter "Printing in progress" while printing; EPrinter
  // naming the printer or file when the device cannot be opened).
  void BeginDoc();
  // Sends the last page and closes the device (EPrinter "Printer is not currently printing" otherwise).
  void EndDoc();
  // Drops the document: nothing more is sent and a partly written output file is removed.
  void Abort();
  // Sends the current page and starts a blank one.
  void NewPage();

  // The canvas of the current page. Outside a document it draws on a blank page of the same size that
  // is never sent.
  TCanvas* Canvas();
  // The printable area in device pixels.
  int PageWidth();
  int PageHeight();
  // Device pixels per inch.
  int XDPI();
  int YDPI();
  int PageNumber() const { return FPageNumber; }
  bool Printing() const { return FPrinting; }
  bool Aborted() const { return FAborted; }

  // The document's name in the print queue.
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }
  // When set, documents are written to this file as PDF through the same path instead of going to a
  // printer; empty returns to the chosen printer. Not while printing.
  std::string OutputFileName() const;
  void SetOutputFileName(const std::string& Value);
  // The chosen printer ("" for the system's default). Not while printing.
  std::string PrinterName() const;
  void SetPrinterName(const std::string& Value);
  int Copies() const;
  void SetCopies(int Value);
  TPrinterOrientation Orientation() const;
  void SetOrientation(TPrinterOrientation Value);

  struct TImpl;
  // For the platform's own print set-up (printer_setup.h).
  TImpl* Impl() const { return FImpl.get(); }

 private:
  void CheckNotPrinting();
  void PreparePage();
  void SendPage();
  std::unique_ptr<TImpl> FImpl;
  std::unique_ptr<TBitmap> FPage;
  std::string FTitle;
  int FPageNumber = 0;
  bool FPrinting = false;
  bool FAborted = false;
};

// The program's printer, made on first use; freed by PrintersUnit::Finalize.
TPrinter* Printer();
// Replaces the program's printer (the previous one is returned to the caller, who owns it).
std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> NewPrinter);

namespace PrintersUnit {
void Initialize();
void Finalize();
}  // namespace PrintersUnit
