#include "print/qt/print_fonts_form.h"

#include <QComboBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

#include "screens/font_map.h"
#include "services/cp1250.h"
#include "services/qt/qt_text.h"

namespace kj {

PrintFontsForm::PrintFontsForm(Common& c, QWidget* parent) : QDialog(parent), fonts_(c) {
    setWindowTitle(ToQt(FontyTisky::Caption()));
    auto* form = new QFormLayout(this);
    cbPocet_ = new QComboBox(this);
    eVyska_ = new QLineEdit(this);
    eSirka_ = new QLineEdit(this);
    eNazev_ = new QLineEdit(this);
    eNazev_->setReadOnly(true);
    eNazev_->installEventFilter(this);
    form->addRow(ToQt("Počet znaků na řádek"_cz), cbPocet_);
    form->addRow(ToQt("Výška fontu"_cz), eVyska_);
    form->addRow(ToQt("Šířka fontu"_cz), eSirka_);
    form->addRow(ToQt("Název fontu"_cz), eNazev_);
    for (const std::string& line : FontyTisky::Lines()) cbPocet_->addItem(ToQt(line));
    connect(cbPocet_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (showing_) return;
        Take();
        fonts_.Select(index + 1);
        Show();
    });
    connect(eVyska_, &QLineEdit::editingFinished, this, [this] {
        Take();
        fonts_.LeaveHeight();
        Show();
    });
    connect(eSirka_, &QLineEdit::editingFinished, this, [this] {
        Take();
        fonts_.LeaveWidth();
        Show();
    });
}

void PrintFontsForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    fonts_.Activate();
    Show();
}

void PrintFontsForm::Show() {
    showing_ = true;
    cbPocet_->setCurrentIndex(fonts_.selected() - 1);
    eVyska_->setText(ToQt(fonts_.height()));
    eSirka_->setText(ToQt(fonts_.width()));
    eNazev_->setText(ToQt(fonts_.face()));
    showing_ = false;
}

void PrintFontsForm::Take() {
    fonts_.height() = FromQt(eVyska_->text());
    fonts_.width() = FromQt(eSirka_->text());
}

void PrintFontsForm::FaceChosen(const QString& family) {
    if (fonts_.ChooseFace(FromQt(family))) eNazev_->setText(family);
}

void PrintFontsForm::ChooseFace() {
    bool ok = false;
    const QFont start(ToQt(SharedFontMap().Installed(fonts_.face())));
    const QFont chosen = QFontDialog::getFont(&ok, start, this);
    if (ok) FaceChosen(chosen.family());
}

bool PrintFontsForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == eNazev_) {
        if (e->type() == QEvent::MouseButtonPress) {
            ChooseFace();
            return true;
        }
        if (e->type() == QEvent::KeyPress) {
            const int k = static_cast<QKeyEvent*>(e)->key();
            if (k == Qt::Key_Return || k == Qt::Key_Enter) {
                ChooseFace();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, e);
}

void PrintFontsForm::done(int result) {
    Take();
    fonts_.Close();
    QDialog::done(result);
}

}  // namespace kj
