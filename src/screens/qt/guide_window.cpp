#include "screens/qt/guide_window.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "screens/font_map.h"
#include "screens/qt/dialog_widgets.h"
#include "services/qt/qt_text.h"

namespace kj {

GuideWindow::GuideWindow(QWidget* parent) : QDialog(parent) {
    // Modal already when shown, so the focus can be placed before exec().
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    text_ = new QPlainTextEdit(this);
    QFont mono(QString::fromStdString(SharedFontMap().Installed("Courier New")));
    mono.setPointSize(10);
    text_->setFont(mono);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->installEventFilter(this);
    layout->addWidget(text_);
    resize(640, 420);
}

void GuideWindow::Show(const QString& caption, const std::vector<std::string>& lines) {
    setWindowTitle(caption);
    QStringList shown;
    for (const auto& line : lines) shown << ToQt(line);
    text_->setPlainText(shown.join('\n'));
    text_->setReadOnly(true);
    edited_ = false;
    show();
    text_->setFocus();
    exec();
}

std::vector<std::string> GuideWindow::Lines() const {
    std::vector<std::string> out;
    if (text_->toPlainText().isEmpty()) return out;
    for (const QString& line : text_->toPlainText().split('\n')) out.push_back(FromQt(line));
    return out;
}

bool GuideWindow::Key(QKeyEvent* e) {
    switch (GuideKey(DialogKeyOf(*e))) {
        case GuideAction::Edit:
            text_->setReadOnly(false);
            edited_ = true;
            return true;
        case GuideAction::Close:
            reject();
            return true;
        case GuideAction::None:
            return false;
    }
    return false;
}

bool GuideWindow::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && Key(static_cast<QKeyEvent*>(e))) return true;
    return QDialog::eventFilter(watched, e);
}

void GuideWindow::keyPressEvent(QKeyEvent* e) {
    if (!Key(e)) QDialog::keyPressEvent(e);
}

}  // namespace kj
