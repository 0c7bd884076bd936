#include "screens/qt/busy_notice.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>

#include "screens/qt/dialog_widgets.h"

namespace kj {

BusyNotice::BusyNotice(QWidget* parent) : QWidget(parent, Qt::Dialog) {
    setFont(DialogFont());
    text_ = new QLabel(this);
    text_->setAlignment(Qt::AlignCenter);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    timer_.setInterval(300);
    connect(&timer_, &QTimer::timeout, this, &BusyNotice::Tick);
}

void BusyNotice::Start(const BusyLayout& layout, const QString& text, QPoint where) {
    setWindowTitle(text);
    text_->setText(text);
    text_->setGeometry(ToRect(layout.text));
    bar_->setGeometry(ToRect(layout.bar));
    bar_->setRange(1, 10);
    bar_->setValue(1);
    bar_->show();
    setFixedSize(layout.width, layout.height);
    move(where);
    show();
    timer_.start();
    PaintNow();
}

void BusyNotice::Tick() {
    if (!isVisible()) return;
    bar_->setValue(NextBusyStep(bar_->value()));
}

void BusyNotice::SetProgress(int max, int position) {
    bar_->setRange(1, max < 1 ? 1 : max);
    bar_->setValue(position);
    bar_->show();
    PaintNow();
}

void BusyNotice::Finish() {
    bar_->hide();
    timer_.stop();
    if (!isVisible()) return;
    QPoint where = pos();
    hide();
    if (onClosed) onClosed(where);
}

void BusyNotice::PaintNow() {
    // The caller keeps working without returning to the event loop: the
    // notice must be drawn now.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

void BusyNotice::keyPressEvent(QKeyEvent*) {
    Finish();
}

}  // namespace kj
