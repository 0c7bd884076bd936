// Qt side of the picture services.

#include "services/qt/picture_capture.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <cstring>

namespace kj {

RgbImage FromQImage(const QImage& image) {
    if (image.isNull()) return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    RgbImage out(rgb.width(), rgb.height());
    const std::size_t rowBytes = static_cast<std::size_t>(out.width) * 3;
    for (int y = 0; y < out.height; ++y)
        std::memcpy(out.Pixel(0, y), rgb.constScanLine(y), rowBytes);
    return out;
}

QImage ToQImage(const RgbImage& image) {
    if (image.empty()) return {};
    QImage out(image.width, image.height, QImage::Format_RGB888);
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
    for (int y = 0; y < image.height; ++y) std::memcpy(out.scanLine(y), image.Pixel(0, y), rowBytes);
    return out;
}

RgbImage GrabClient(QWidget& widget) {
    return FromQImage(widget.grab(widget.rect()).toImage());
}

bool PrintBitmap(QPainter& canvas, const QRect& rect, const RgbImage& picture) {
    if (!canvas.isActive() || rect.width() <= 0 || rect.height() <= 0) return false;
    const RgbImage stretched = StretchImage(picture, rect.width(), rect.height());
    if (stretched.empty()) return false;
    canvas.drawImage(rect.topLeft(), ToQImage(stretched));
    return true;
}

int WidgetCaptureWindow::Height() const { return form_.frameGeometry().height(); }

void WidgetCaptureWindow::SetHeight(int pixels) {
    const int frame = form_.frameGeometry().height() - form_.height();
    form_.resize(form_.width(), std::max(1, pixels - frame));
    QApplication::processEvents();
}

void WidgetCaptureWindow::MoveToTop() {
    form_.move(form_.x(), 0);
    QApplication::processEvents();
}

int WidgetCaptureWindow::ClientHeight() const {
    return scroll_ ? scroll_->viewport()->height() : form_.height();
}

int WidgetCaptureWindow::ControlsBottom() const {
    QWidget* holder = scroll_ && scroll_->widget() ? scroll_->widget() : &form_;
    int bottom = 0;
    for (QWidget* child : holder->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isHidden()) continue;
        bottom = std::max(bottom, child->geometry().bottom() + 1);
    }
    return bottom;
}

int WidgetCaptureWindow::ScrollTo(int y) {
    if (!scroll_) return 0;
    QScrollBar* bar = scroll_->verticalScrollBar();
    bar->setValue(y);
    QApplication::processEvents();
    return bar->value();
}

bool WidgetCaptureWindow::CaptureClient(RgbImage* out) {
    *out = GrabClient(form_);
    return !out->empty();
}

}  // namespace kj
