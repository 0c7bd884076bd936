#pragma once
// TfDotaz: the yes/no question. Renders one question laid out by
// LayoutYesNo and forwards its keys to YesNoKey; the caller (QtDialogs)
// places it and remembers the answer.

#include <QDialog>
#include <functional>

#include "screens/dialog_layout.h"

class QLabel;
class QPushButton;

namespace kj {

class YesNoDialog final : public QDialog {
    Q_OBJECT
public:
    explicit YesNoDialog(QWidget* parent = nullptr);

    void Arrange(const YesNoLayout& layout, const QString& question);
    // Shows the question modally, starting on "Ano" when `yesFirst`, and
    // gives the answer (no unless the user said yes).
    bool Ask(bool yesFirst);

    // Ctrl+F1: the guide for this question.
    std::function<void()> onGuide;

    QPushButton* yesButton() const { return yes_; }
    QPushButton* noButton() const { return no_; }
    QLabel* questionLabel() const { return question_; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    bool Key(QKeyEvent* e);
    void Answer(bool yes);
    // The button with the focus bold at size 10, the other regular at size 8.
    void Restyle(QWidget* focused);

    QLabel* question_ = nullptr;
    QPushButton* yes_ = nullptr;
    QPushButton* no_ = nullptr;
    bool answer_ = false;
};

}  // namespace kj
