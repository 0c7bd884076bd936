#pragma once
// TfBlik: the busy notice. Shown without blocking the caller, with a bar
// that runs 1..10 every 300 ms until the caller sets a progress or closes
// it; any key closes it.

#include <QTimer>
#include <QWidget>
#include <functional>

#include "screens/dialog_layout.h"

class QLabel;
class QProgressBar;

namespace kj {

class BusyNotice final : public QWidget {
    Q_OBJECT
public:
    explicit BusyNotice(QWidget* parent = nullptr);

    // Lays out and shows the notice at `where`, painted at once.
    void Start(const BusyLayout& layout, const QString& text, QPoint where);
    void SetProgress(int max, int position);
    // Hides the bar, stops the animation and closes the notice if shown.
    void Finish();

    QProgressBar* bar() const { return bar_; }
    QLabel* textLabel() const { return text_; }
    const QTimer& timer() const { return timer_; }
    // The running bar's next step (the 300 ms tick).
    void Tick();

    // Called when the notice closes, with its position.
    std::function<void(QPoint)> onClosed;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void PaintNow();

    QLabel* text_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QTimer timer_;
};

}  // namespace kj
