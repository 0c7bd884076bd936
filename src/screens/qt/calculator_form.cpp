#include "screens/qt/calculator_form.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "screens/font_map.h"
#include "screens/qt/rolling_list_form.h"
#include "services/cp1250.h"
#include "services/qt/qt_text.h"

namespace kj {

CalculatorForm::CalculatorForm(TfKalk& calculator, QWidget* parent)
    : QDialog(parent), k_(calculator) {
    setWindowTitle(ToQt(TfKalk::Caption()));
    QFont mono(ToQt(SharedFontMap().Installed("Courier New")));
    mono.setStyleHint(QFont::TypeWriter);
    auto* grid = new QGridLayout(this);
    eVysledek_ = new QLineEdit(this);
    eVysledek_->setReadOnly(true);
    eVysledek_->setFocusPolicy(Qt::NoFocus);
    eVysledek_->setAlignment(Qt::AlignRight);
    eVysledek_->setFont(mono);
    eOperand_ = new QLineEdit(this);
    eOperand_->setAlignment(Qt::AlignRight);
    eOperand_->setFont(mono);
    eOperand_->installEventFilter(this);
    mPaska_ = new QPlainTextEdit(this);
    mPaska_->setReadOnly(true);
    mPaska_->setFocusPolicy(Qt::NoFocus);
    mPaska_->setFont(mono);
    mPaska_->setMinimumSize(QFontMetrics(mono).horizontalAdvance(QString(22, QLatin1Char('0'))), 180);
    bNuluj_ = new QPushButton(QStringLiteral("C-nuluj"), this);
    bOk_ = new QPushButton(QStringLiteral("F2-OK"), this);
    for (QPushButton* b : {bNuluj_, bOk_}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(bNuluj_, &QPushButton::clicked, this, [this] {
        k_.ClearButton();
        Sync();
    });
    connect(bOk_, &QPushButton::clicked, this, [this] {
        k_.OkButton();
        Sync();
    });
    grid->addWidget(new QLabel(ToQt("Výsledek"_cz), this), 0, 0);
    grid->addWidget(eVysledek_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Operand"), this), 1, 0);
    grid->addWidget(eOperand_, 1, 1);
    grid->addWidget(mPaska_, 2, 0, 1, 2);
    grid->addWidget(bNuluj_, 3, 0);
    grid->addWidget(bOk_, 3, 1);
}

void CalculatorForm::Run() {
    if (k_.left() > 0 || k_.top() > 0) move(k_.left(), k_.top());
    Sync();
    eOperand_->setFocus();
    exec();
}

void CalculatorForm::Sync() {
    const TfKalk::Requests r = k_.TakeRequests();
    eVysledek_->setText(ToQt(k_.result()));
    eOperand_->setText(ToQt(k_.operand()));
    QString tape;
    for (const std::string& line : k_.tape()) tape += ToQt(line) + QLatin1Char('\n');
    mPaska_->setPlainText(tape);
    mPaska_->moveCursor(QTextCursor::End);
    if (r.focusOperand) eOperand_->setFocus();
    if (r.close) Finish();
}

void CalculatorForm::Finish() {
    finishing_ = true;
    k_.FormClose(x(), y());
    done(k_.accepted() ? QDialog::Accepted : QDialog::Rejected);
    finishing_ = false;
}

void CalculatorForm::Key(QKeyEvent* e) {
    const int vk = VirtualKeyOf(*e);
    const bool keypad = e->modifiers() & Qt::KeypadModifier;
    // Keypad operators type their characters; the function keys and Enter
    // and Esc go to the calculator as keys.
    if (vk == key::kReturn || vk == key::kEscape || (vk >= key::kF1 && vk <= key::kF12)) {
        k_.KeyDown(vk, ModifiersOf(*e));
    } else if (e->key() == Qt::Key_Backspace) {
        k_.KeyChar('\b');
    } else {
        const QString text = e->text();
        if (text.size() == 1) {
            const char ch = FromQt(text)[0];
            if (keypad && e->key() == Qt::Key_Comma) k_.KeyChar('.');
            else k_.KeyChar(ch);
        }
    }
    Sync();
}

bool CalculatorForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == eOperand_ && e->type() == QEvent::KeyPress) {
        Key(static_cast<QKeyEvent*>(e));
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void CalculatorForm::keyPressEvent(QKeyEvent* e) { Key(e); }

void CalculatorForm::closeEvent(QCloseEvent* e) {
    if (!finishing_) k_.FormClose(x(), y());
    e->accept();
}

}  // namespace kj
