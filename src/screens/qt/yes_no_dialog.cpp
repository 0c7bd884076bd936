#include "screens/qt/yes_no_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "screens/qt/dialog_widgets.h"
#include "services/qt/qt_text.h"

namespace kj {

YesNoDialog::YesNoDialog(QWidget* parent) : QDialog(parent) {
    // Modal already when shown, so the focus can be placed before exec().
    setWindowModality(Qt::ApplicationModal);
    setFont(DialogFont());
    SetWindowColour(*this, QColor(255, 200, 200));
    question_ = new QLabel(this);
    question_->setAlignment(Qt::AlignCenter);
    yes_ = new QPushButton("Ano", this);
    no_ = new QPushButton("Ne", this);
    for (QPushButton* b : {yes_, no_}) {
        b->setAutoDefault(false);
        b->installEventFilter(this);
    }
    connect(yes_, &QPushButton::clicked, this, [this] { Answer(true); });
    connect(no_, &QPushButton::clicked, this, [this] { Answer(false); });
}

void YesNoDialog::Arrange(const YesNoLayout& layout, const QString& question) {
    setWindowTitle(question);
    question_->setText(question);
    question_->setGeometry(ToRect(layout.question));
    yes_->setGeometry(ToRect(layout.yes));
    no_->setGeometry(ToRect(layout.no));
    setFixedSize(layout.width, layout.height);
}

bool YesNoDialog::Ask(bool yesFirst) {
    answer_ = false;
    QPushButton* first = yesFirst ? yes_ : no_;
    show();
    first->setFocus();
    Restyle(first);
    exec();
    return answer_;
}

void YesNoDialog::Answer(bool yes) {
    answer_ = yes;
    done(yes ? Accepted : Rejected);
}

void YesNoDialog::Restyle(QWidget* focused) {
    for (QPushButton* b : {yes_, no_}) b->setFont(DialogFont(b == focused ? 10 : 8, b == focused));
}

bool YesNoDialog::Key(QKeyEvent* e) {
    QByteArray typed = e->text().toLatin1();
    switch (YesNoKey(DialogKeyOf(*e), typed.size() == 1 ? typed[0] : '\0', focusWidget() == yes_)) {
        case YesNoAction::Yes:
            Answer(true);
            return true;
        case YesNoAction::No:
            Answer(false);
            return true;
        case YesNoAction::Guide:
            if (onGuide) onGuide();
            return true;
        case YesNoAction::None:
            return false;
    }
    return false;
}

bool YesNoDialog::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && Key(static_cast<QKeyEvent*>(e))) return true;
    if (e->type() == QEvent::FocusIn) Restyle(static_cast<QWidget*>(watched));
    return QDialog::eventFilter(watched, e);
}

bool YesNoDialog::focusNextPrevChild(bool next) {
    // Tab moves the focus even while the window is not the active one (no
    // focus event arrives then): restyle here too.
    bool moved = QDialog::focusNextPrevChild(next);
    Restyle(focusWidget());
    return moved;
}

void YesNoDialog::keyPressEvent(QKeyEvent* e) {
    if (!Key(e)) QDialog::keyPressEvent(e);
}

}  // namespace kj
