#pragma once
// TfErr: the red timed note shown inside wait loops. It closes itself after
// the given time; a left click stops the timer and lets the caller ask
// whether to stop waiting.

#include <QDialog>
#include <QTimer>
#include <functional>

#include "screens/dialog_layout.h"

class QLabel;

namespace kj {

class WaitNote final : public QDialog {
    Q_OBJECT
public:
    explicit WaitNote(QWidget* parent = nullptr);

    // Shows the note modally for `ms` milliseconds; true when a click
    // answered yes to the stop-waiting question.
    bool Run(const NoteLayout& layout, const QString& text, int ms);

    // The click's question; true = stop waiting.
    std::function<bool()> onClick;

    QLabel* textLabel() const { return text_; }
    const QTimer& timer() const { return timer_; }

protected:
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    QLabel* text_ = nullptr;
    QTimer timer_;
    bool stop_ = false;
};

}  // namespace kj
