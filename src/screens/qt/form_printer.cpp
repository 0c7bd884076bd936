#include "screens/qt/form_printer.h"

#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

namespace kj {

bool PrintPictureWithDialog(const QPixmap& picture, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    QPainter painter(&printer);
    QRect page = painter.viewport();
    QSize size = picture.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(picture.rect());
    painter.drawPixmap(0, 0, picture);
    return true;
}

bool PrintFormWithDialog(QWidget& form) { return PrintPictureWithDialog(form.grab(), &form); }

}  // namespace kj
