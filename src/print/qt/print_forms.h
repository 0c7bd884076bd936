#pragma once
// Connects the station's print output to the Qt forms: the viewer is shown
// as a PrintViewerForm, prints go through the printer dialog or to a PDF
// file, lines are edited in the line editor, Ctrl+F2 opens "Vyber novou
// sestavu", the pop-up menu reaches the printer set-up, the system
// parameters, the print fonts and the calculator, which is itself shown as
// a CalculatorForm whose tape prints through the viewer. The print spool is
// shown as a table browser form.

#include <string>

class QString;
class QWidget;

namespace kj {

class Common;

// A file the user chose in a dialog as a path of the station's file system:
// relative to the working directory when it lies there, drive-rooted when
// it lies under the drive root; "" when the station cannot reach it.
std::string StationPath(Common& c, const QString& chosen);

// `parent` parents the forms (may be null).
void InstallPrintForms(Common& c, QWidget* parent);

}  // namespace kj
