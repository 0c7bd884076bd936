#pragma once
// Gives the keyboard back to the window below when a window closes.
//
// With a window manager the desktop activates the window below a closed
// dialog; on a bare X server (and for a program started without one)
// nobody does, and the keys typed next go nowhere. FocusReturn, installed
// once on the application, remembers the order in which the program's
// windows were shown or activated and, when one is hidden, activates the
// window that is now on top: the open modal window, else the one used last.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace kj {

class FocusReturn final : public QObject {
public:
    explicit FocusReturn(QObject* parent = nullptr);
    // Installs one FocusReturn on the running application (once).
    static void Install();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Return();

    QList<QPointer<QWidget>> order_;
    bool pending_ = false;
};

}  // namespace kj
