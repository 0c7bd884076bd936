#pragma once
// One QApplication for all widget tests (offscreen platform), and a way to
// act on a window that opens inside another one's event loop.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>

namespace kj {

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs `act` on the open pop-up menu or modal window of type W once there
// is one (it may open from inside another window's event loop); fails the
// test when none appears within three seconds.
template <class W>
void WhenOpen(std::function<void(W&)> act, int tries = 300) {
    QTimer::singleShot(tries == 300 ? 0 : 10, [act, tries] {
        QWidget* top = QApplication::activePopupWidget();
        if (!top) top = QApplication::activeModalWidget();
        if (auto* w = qobject_cast<W*>(top); w && w->isVisible()) {
            act(*w);
        } else if (tries > 0) {
            WhenOpen<W>(act, tries - 1);
        } else {
            ADD_FAILURE() << "no window appeared";
        }
    });
}

}  // namespace kj
