#pragma once
// Prints a picture of a form on the printer the user picks in the printer
// dialog, scaled to the page with its proportions kept.

class QPixmap;
class QWidget;

namespace kj {

// Both return false when the user cancelled the printer dialog.
bool PrintPictureWithDialog(const QPixmap& picture, QWidget* parent);
bool PrintFormWithDialog(QWidget& form);

}  // namespace kj
