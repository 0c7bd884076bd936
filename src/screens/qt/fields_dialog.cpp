#include "screens/qt/fields_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "screens/qt/dialog_widgets.h"
#include "services/qt/qt_text.h"

namespace kj {

FieldsDialog::FieldsDialog(QWidget* parent) : QDialog(parent) {
    // Modal already when shown, so the focus can be placed before exec().
    setWindowModality(Qt::ApplicationModal);
    // The form is laid out at 6 pixels a character: the narrow face of the
    // dialog font keeps labels and texts inside their places.
    QFont narrow = DialogFont();
    narrow.setStretch(QFont::SemiCondensed);
    setFont(narrow);
    SetWindowColour(*this, QColor(255, 239, 239));
    title_ = new QLabel(this);
}

void FieldsDialog::Build(const FieldsLayout& layout, const QString& title) {
    Clear();
    layout_ = layout;
    setWindowTitle(title);
    // The title is repeated above the fields, where no field ever lies.
    title_->setText(title);
    title_->setGeometry(6, 6, layout.width - 12,
                        layout.lines.empty() ? 18 : layout.lines[0].fieldRect.top - 8);
    title_->setVisible(!title.isEmpty());
    QWidget* previous = nullptr;
    for (const FieldsLine& line : layout.lines) {
        QLabel* label = nullptr;
        QLineEdit* edit = nullptr;
        if (line.hasLabel) {
            label = new QLabel(ToQt(line.label), this);
            label->setGeometry(ToRect(line.labelRect));
            label->show();
            edit = new QLineEdit(ToQt(line.initial), this);
            edit->setGeometry(ToRect(line.fieldRect));
            edit->setEnabled(line.enabled);
            edit->setVisible(line.enabled);
            edit->installEventFilter(this);
            if (previous) setTabOrder(previous, edit);
            if (line.enabled) previous = edit;
        }
        labels_.push_back(label);
        fields_.push_back(edit);
    }
    setFixedSize(layout.width, layout.height);
}

bool FieldsDialog::Run() {
    accepted_ = false;
    current_ = 0;
    show();
    Enter(FirstField(layout_));
    exec();
    return accepted_;
}

std::vector<std::string> FieldsDialog::Texts() const {
    std::vector<std::string> texts;
    for (std::size_t k = 0; k < layout_.lines.size(); ++k)
        texts.push_back(fields_[k] && layout_.lines[k].enabled ? FromQt(fields_[k]->text())
                                                               : layout_.lines[k].initial);
    return texts;
}

void FieldsDialog::Clear() {
    for (QLabel* l : labels_) delete l;
    for (QLineEdit* e : fields_) delete e;
    labels_.clear();
    fields_.clear();
    layout_ = FieldsLayout{};
    current_ = 0;
}

QLineEdit* FieldsDialog::field(int k) const {
    return k >= 1 && k <= static_cast<int>(fields_.size())
               ? fields_[static_cast<std::size_t>(k - 1)]
               : nullptr;
}

QLabel* FieldsDialog::label(int k) const {
    return k >= 1 && k <= static_cast<int>(labels_.size())
               ? labels_[static_cast<std::size_t>(k - 1)]
               : nullptr;
}

void FieldsDialog::Enter(int k) {
    if (QLineEdit* left = field(current_); left && k != current_) left->deselect();
    current_ = k;
    if (QLineEdit* e = field(k)) {
        e->setFocus();
        e->selectAll();
    }
}

bool FieldsDialog::Key(QKeyEvent* e) {
    FieldsAction action = FieldsKey(DialogKeyOf(*e));
    switch (action) {
        case FieldsAction::None:
            return false;
        case FieldsAction::Accept:
            accepted_ = true;
            accept();
            return true;
        case FieldsAction::Leave:
            reject();
            return true;
        case FieldsAction::Next:
            Enter(NextField(layout_, current_));
            return true;
        case FieldsAction::Previous:
            Enter(PreviousField(layout_, current_));
            return true;
        case FieldsAction::Calculator:
        case FieldsAction::FileDialog:
        case FieldsAction::Guide:
        case FieldsAction::Help:
            if (onAction) onAction(action, current_);
            return true;
    }
    return false;
}

bool FieldsDialog::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && Key(static_cast<QKeyEvent*>(e))) return true;
    if (e->type() == QEvent::FocusIn) {
        // A click into a field makes it the current one.
        for (std::size_t k = 0; k < fields_.size(); ++k)
            if (fields_[k] == watched) current_ = static_cast<int>(k) + 1;
    }
    return QDialog::eventFilter(watched, e);
}

void FieldsDialog::keyPressEvent(QKeyEvent* e) {
    if (!Key(e)) QDialog::keyPressEvent(e);
}

}  // namespace kj
