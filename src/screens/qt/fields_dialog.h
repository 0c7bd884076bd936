#pragma once
// TfDotazy: the form of labelled input fields. Builds its labels and fields
// from a FieldsLayout for one call, walks them by the core rules and hands
// the keys it does not handle itself (help, guide, calculator, file dialog)
// to the caller through onAction.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "screens/dialog_layout.h"

class QLabel;
class QLineEdit;

namespace kj {

class FieldsDialog final : public QDialog {
    Q_OBJECT
public:
    explicit FieldsDialog(QWidget* parent = nullptr);

    void Build(const FieldsLayout& layout, const QString& title);
    // Shows the form modally; true when the user accepted.
    bool Run();
    // The text of every line in pair order (a line without a field gives its
    // initial text).
    std::vector<std::string> Texts() const;
    // Destroys the labels and fields of the call.
    void Clear();

    // Current field (1-based, 0 = none) and its edit box.
    int current() const { return current_; }
    QLineEdit* field(int k) const;
    QLabel* label(int k) const;
    const FieldsLayout& layout() const { return layout_; }

    // Help, Guide, Calculator and FileDialog with the current field number.
    std::function<void(FieldsAction, int)> onAction;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool Key(QKeyEvent* e);
    void Enter(int k);

    FieldsLayout layout_;
    QLabel* title_ = nullptr;
    std::vector<QLabel*> labels_;
    std::vector<QLineEdit*> fields_;
    int current_ = 0;
    bool accepted_ = false;
};

}  // namespace kj
