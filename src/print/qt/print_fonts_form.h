#pragma once
// TfFontyTisky on the screen: the choice of the three print fonts and the
// height, width and face name of the chosen one. A click on the face name
// (or Enter in it) opens the font dialog. It renders FontyTisky and
// forwards; Esc closes it.

#include <QDialog>

#include "print/print_fonts.h"

class QComboBox;
class QLineEdit;

namespace kj {

class PrintFontsForm final : public QDialog {
    Q_OBJECT
public:
    explicit PrintFontsForm(Common& c, QWidget* parent = nullptr);

    FontyTisky& fonts() { return fonts_; }
    QComboBox* cbPocet() const { return cbPocet_; }
    QLineEdit* eVyska() const { return eVyska_; }
    QLineEdit* eSirka() const { return eSirka_; }
    QLineEdit* eNazev() const { return eNazev_; }
    // The font dialog's choice, as a click on the name would give it.
    void FaceChosen(const QString& family);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void done(int result) override;

private:
    void Show();
    void Take();
    void ChooseFace();

    FontyTisky fonts_;
    QComboBox* cbPocet_ = nullptr;
    QLineEdit* eVyska_ = nullptr;
    QLineEdit* eSirka_ = nullptr;
    QLineEdit* eNazev_ = nullptr;
    bool showing_ = false;
};

}  // namespace kj
