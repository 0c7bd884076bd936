#pragma once
// The page printer on Qt: PrintCanvas drawn with QPainter on a QPrinter,
// which is either a desktop printer (CUPS) or a PDF file. One job is one
// QPrinter and one QPainter from the first page to Finish.
//
// A print font becomes a QFont: the face name through the font map
// ("Courier New" -> an installed monospaced face), the height as the pixel
// size in printer dots, the width through the font's stretch, weights from
// 600 on as bold, italic, underline and strike-out. A font of height 0 is
// the default: a monospaced face of 10 points. Escapement and the byte
// fields of the logical font have no Qt counterpart and are left aside.

#include <QString>
#include <memory>
#include <string>

#include "print/print_viewer.h"

class QPrinter;
class QWidget;

namespace kj {

// A job on a printer the caller has set up (output format, file, printer).
std::unique_ptr<PrintJob> StartPrintJob(std::unique_ptr<QPrinter> printer);
// A job writing a PDF file, without any dialog.
std::unique_ptr<PrintJob> StartPdfJob(const QString& fileName);

// The viewer's print: the printer dialog (it also offers printing to a PDF
// file), preselecting `defaultPrinter`, or the file dialog "Tisk do PDF";
// the direct print goes to `defaultPrinter` (or the system's default)
// without a dialog. Null when the user cancelled.
std::unique_ptr<PrintJob> OpenPrintJob(PrintTarget target, const std::string& defaultPrinter,
                                       const QString& suggestedPdf, QWidget* parent);
// "Nastavení tiskárny": the printer chosen in the set-up dialog ("" when
// cancelled), Windows-1250.
std::string ChoosePrinter(const std::string& current, QWidget* parent);

}  // namespace kj
