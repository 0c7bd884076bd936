#pragma once
// TfTabule: a modal box of fixed text lines; Esc closes it.

#include <QDialog>
#include <vector>

#include "screens/dialog_layout.h"

class QLabel;

namespace kj {

class HelpBox final : public QDialog {
    Q_OBJECT
public:
    explicit HelpBox(QWidget* parent = nullptr);

    void Build(const HelpLayout& layout);
    void Run();
    // Destroys the labels of the call.
    void Clear();

    const std::vector<QLabel*>& labels() const { return labels_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    std::vector<QLabel*> labels_;
};

}  // namespace kj
