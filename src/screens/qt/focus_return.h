#pragma once
// Gives the keyboard back to the window below when a window closes.
//
// With a window manager the desktop activates the window below a closed
// dialog; on a bare X server (and for a program started without one)
// nobody does, and the keys typed next go nowhere. FocusReturn, installed
// once on the application, remembers the order in which the program's
// windows were shown or activated and, when one is hidden, activates the
// window that is now on top: the open modal window, else the one used last.
// On an X display it also keeps the keys typed ahead of such a change of
// window (TypeAhead) and sends them on, one by one, to the window that gets
// the keyboard.

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>

#include "screens/type_ahead.h"

namespace kj {

class FocusReturn final : public QObject, public QAbstractNativeEventFilter {
public:
    explicit FocusReturn(QObject* parent = nullptr);
    // Installs one FocusReturn on the running application (once).
    static void Install();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

private:
    using RawKey = std::array<std::uint8_t, 32>;  // an X key event as it came
    void Return();
    bool MayTakeKeys(std::uint32_t window) const;
    void SendNext();

    TypeAhead<RawKey> typeAhead_;
    unsigned long sent_ = 0;    // keys sent on so far
    std::uint32_t xFocus_ = 0;  // the X window that has the keyboard, 0 none of ours

    QList<QPointer<QWidget>> order_;
    bool pending_ = false;
};

}  // namespace kj
