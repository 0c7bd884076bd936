#pragma once
// Prints a picture of a form on the printer the user picks in the printer
// dialog, scaled to the page with its proportions kept.

class QWidget;

namespace kj {

// Returns false when the user cancelled the printer dialog.
bool PrintFormWithDialog(QWidget& form);

}  // namespace kj
