// Platform-internal: how the host hands the settings chosen in its native print dialog to the program's
// printer, and reads them back to start the dialog from them. Names Qt types; not for the program.
#pragma once

#include <QPrinter>

namespace printers {

// Copies the current settings of Printer() into `printer` (printer name, output file, page layout,
// copies, collation, colour mode, duplex, page range, resolution).
void GetPrinterSetup(QPrinter& printer);
// Takes the settings of `printer` (as left by the print dialog) into Printer(). Ignored while printing.
void SetPrinterSetup(const QPrinter& printer);

}  // namespace printers
