#pragma once
// TfVyber: the choice among radio items. Builds its items from a
// ChoiceLayout for one call, moves by the core rules (disabled items are
// never stopped on) and hands help, guide, calculator and printing to the
// caller through onAction.

#include <QDialog>
#include <functional>
#include <vector>

#include "screens/dialog_layout.h"

class QLabel;
class QPushButton;
class QRadioButton;

namespace kj {

class ChoiceDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ChoiceDialog(QWidget* parent = nullptr);

    void Build(const ChoiceLayout& layout, const QString& title);
    // Shows the choice modally starting on item `first` (0 = none selected);
    // gives the chosen item, 1 when none is selected, 0 for Esc.
    int Run(int first);
    void Clear();

    int current() const { return current_; }
    QRadioButton* item(int i) const;
    QPushButton* okButton() const { return ok_; }

    // Help, Guide, Calculator and Print with the current item number.
    std::function<void(ChoiceAction, int)> onAction;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool Key(QKeyEvent* e);
    void Select(int i);
    void Accept();

    ChoiceLayout layout_;
    QLabel* title_ = nullptr;
    QPushButton* ok_ = nullptr;
    std::vector<QRadioButton*> items_;
    int current_ = 0;
    int result_ = 0;
};

}  // namespace kj
