#include "screens/qt/choice_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "screens/qt/dialog_widgets.h"
#include "services/qt/qt_text.h"

namespace kj {

ChoiceDialog::ChoiceDialog(QWidget* parent) : QDialog(parent) {
    // Modal already when shown, so the focus can be placed before exec().
    setWindowModality(Qt::ApplicationModal);
    setFont(DialogFont());
    SetWindowColour(*this, QColor(255, 239, 239));
    title_ = new QLabel(this);
    ok_ = new QPushButton("F2-OK", this);
    ok_->setAutoDefault(false);
    ok_->installEventFilter(this);
    connect(ok_, &QPushButton::clicked, this, &ChoiceDialog::Accept);
}

void ChoiceDialog::Build(const ChoiceLayout& layout, const QString& title) {
    Clear();
    layout_ = layout;
    setWindowTitle(title);
    // The title is repeated above the items, in the free row before them.
    title_->setText(title);
    title_->setGeometry(8, 4, layout.width - 16,
                        layout.items.empty() ? 18 : layout.items[0].rect.top - 6);
    title_->setVisible(!title.isEmpty());
    // Items in black; a disabled item keeps the grey of its kind.
    QPalette black = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        black.setColor(group, QPalette::WindowText, Qt::black);
        black.setColor(group, QPalette::ButtonText, Qt::black);
    }
    for (const ChoiceLine& line : layout.items) {
        auto* b = new QRadioButton(ToQt(line.shown), this);
        b->setGeometry(ToRect(line.rect));
        b->setPalette(black);
        b->setEnabled(line.enabled);
        b->installEventFilter(this);
        b->show();
        items_.push_back(b);
    }
    ok_->setGeometry(ToRect(layout.okButton));
    setFixedSize(layout.width, layout.height);
}

int ChoiceDialog::Run(int first) {
    result_ = 0;
    current_ = 0;
    for (QRadioButton* b : items_) {
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    }
    show();
    Select(first);
    if (first == 0) ok_->setFocus();
    exec();
    return result_;
}

void ChoiceDialog::Clear() {
    for (QRadioButton* b : items_) delete b;
    items_.clear();
    layout_ = ChoiceLayout{};
    current_ = 0;
}

QRadioButton* ChoiceDialog::item(int i) const {
    return i >= 1 && i <= static_cast<int>(items_.size()) ? items_[static_cast<std::size_t>(i - 1)]
                                                          : nullptr;
}

void ChoiceDialog::Select(int i) {
    if (QRadioButton* b = item(i)) {
        current_ = i;
        b->setChecked(true);
        b->setFocus();
    }
}

void ChoiceDialog::Accept() {
    int selected = 0;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->isChecked()) selected = static_cast<int>(i) + 1;
    result_ = AcceptedChoice(selected, items_.size());
    accept();
}

bool ChoiceDialog::Key(QKeyEvent* e) {
    ChoiceAction action = ChoiceKey(DialogKeyOf(*e));
    switch (action) {
        case ChoiceAction::None:
            return false;
        case ChoiceAction::Accept:
            Accept();
            return true;
        case ChoiceAction::Leave:
            result_ = 0;
            reject();
            return true;
        case ChoiceAction::Next:
            Select(NextChoice(layout_, current_));
            return true;
        case ChoiceAction::Previous:
            Select(PreviousChoice(layout_, current_));
            return true;
        case ChoiceAction::Calculator:
        case ChoiceAction::Print:
        case ChoiceAction::Guide:
        case ChoiceAction::Help:
            if (onAction) onAction(action, current_);
            return true;
    }
    return false;
}

bool ChoiceDialog::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && Key(static_cast<QKeyEvent*>(e))) return true;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i] != watched) continue;
        if (e->type() == QEvent::FocusIn) {
            current_ = static_cast<int>(i) + 1;
        } else if (e->type() == QEvent::MouseButtonDblClick) {
            Select(static_cast<int>(i) + 1);
            Accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void ChoiceDialog::keyPressEvent(QKeyEvent* e) {
    if (!Key(e)) QDialog::keyPressEvent(e);
}

}  // namespace kj
