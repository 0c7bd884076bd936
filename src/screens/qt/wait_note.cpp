#include "screens/qt/wait_note.h"

#include <QLabel>
#include <QMouseEvent>

#include "screens/qt/dialog_widgets.h"
#include "services/qt/qt_text.h"

namespace kj {

WaitNote::WaitNote(QWidget* parent) : QDialog(parent) {
    setFont(DialogFont(9, true));
    SetWindowColour(*this, QColor(255, 0, 0));
    setWindowTitle(ToQt(NoteCaption()));
    text_ = new QLabel(this);
    text_->setAlignment(Qt::AlignCenter);
    text_->setWordWrap(true);
    QPalette pal = text_->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    text_->setPalette(pal);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &QDialog::reject);
}

bool WaitNote::Run(const NoteLayout& layout, const QString& text, int ms) {
    stop_ = false;
    text_->setText(text);
    text_->setGeometry(ToRect(layout.text));
    setFixedSize(layout.width, layout.height);
    timer_.start(ms);
    exec();
    timer_.stop();
    return stop_;
}

bool WaitNote::event(QEvent* e) {
    // Every activation starts with the switch cleared.
    if (e->type() == QEvent::WindowActivate) stop_ = false;
    return QDialog::event(e);
}

void WaitNote::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !timer_.isActive()) return;
    timer_.stop();
    bool stop = onClick && onClick();
    stop_ = stop;
    reject();
}

}  // namespace kj
