#pragma once
// Qt side of the picture services: the core's RgbImage to and from QImage,
// the capture of a form for SaveFormImage/ScreenShot, and PrintBitmap on a
// printer's QPainter.

#include <QImage>
#include <QRect>

#include "services/jpeg_codec.h"
#include "services/picture_services.h"

class QPainter;
class QScrollArea;
class QWidget;

namespace kj {

RgbImage FromQImage(const QImage& image);
QImage ToQImage(const RgbImage& image);

// The visible client area of a widget as the core's picture.
RgbImage GrabClient(QWidget& widget);

// PrintBitmap: the picture stretched into `rect` of the canvas by copying
// source pixels (StretchImage), drawn 1:1. False when there is nothing to
// draw or the canvas is not active.
bool PrintBitmap(QPainter& canvas, const QRect& rect, const RgbImage& picture);

// A top-level form for ScreenShot. `scroll` is the scroll area that holds
// the form's controls (null when the form does not scroll); the controls
// are the children of its widget, else of the form.
class WidgetCaptureWindow final : public CaptureWindow {
public:
    explicit WidgetCaptureWindow(QWidget& form, QScrollArea* scroll = nullptr)
        : form_(form), scroll_(scroll) {}

    int Height() const override;
    void SetHeight(int pixels) override;
    void MoveToTop() override;
    int ClientHeight() const override;
    int ControlsBottom() const override;
    int ScrollTo(int y) override;
    bool CaptureClient(RgbImage* out) override;

private:
    QWidget& form_;
    QScrollArea* scroll_;
};

}  // namespace kj
