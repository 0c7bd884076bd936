#pragma once
// TfKalk on the screen: the result ("Výsledek"), the operand ("Operand"),
// the paper tape and the buttons "C-nuluj" and "F2-OK". Every key of the
// operand box goes to the calculator; the form shows its state again.

#include <QDialog>

#include "screens/calculator.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kj {

class CalculatorForm final : public QDialog {
    Q_OBJECT
public:
    explicit CalculatorForm(TfKalk& calculator, QWidget* parent = nullptr);

    // Shows the form modally until the calculator closes it.
    void Run();
    void Sync();

    QLineEdit* eVysledek() const { return eVysledek_; }
    QLineEdit* eOperand() const { return eOperand_; }
    QPlainTextEdit* mPaska() const { return mPaska_; }
    QPushButton* bNuluj() const { return bNuluj_; }
    QPushButton* bOk() const { return bOk_; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void Key(QKeyEvent* e);
    void Finish();

    TfKalk& k_;
    QLineEdit* eVysledek_ = nullptr;
    QLineEdit* eOperand_ = nullptr;
    QPlainTextEdit* mPaska_ = nullptr;
    QPushButton* bNuluj_ = nullptr;
    QPushButton* bOk_ = nullptr;
    bool finishing_ = false;
};

}  // namespace kj
