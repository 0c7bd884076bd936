#pragma once
// One QApplication for all widget tests (offscreen platform), and a way to
// act on a window that opens inside another one's event loop.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <string>

#include "core/rec_station.h"

namespace kj {

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A station in a temporary directory with its data directory; the
// application is made before any widget.
struct UiStation : rectest::TempStation {
    UiStation() {
        TestApp();
        UseDataDir();
    }
};

// Runs `act` on the open pop-up menu or modal window of type W other than
// `skip` once there is one (it may open from inside another window's event
// loop); fails the test when none appears within three seconds.
template <class W>
void WhenOpen(std::function<void(W&)> act, QWidget* skip = nullptr, int tries = 300) {
    QTimer::singleShot(tries == 300 ? 0 : 10, [act, skip, tries] {
        QWidget* top = QApplication::activePopupWidget();
        if (!top) top = QApplication::activeModalWidget();
        if (auto* w = qobject_cast<W*>(top); w && w != skip && w->isVisible()) {
            act(*w);
        } else if (tries > 0) {
            WhenOpen<W>(act, skip, tries - 1);
        } else {
            ADD_FAILURE() << "no window appeared";
        }
    });
}

// With KJ_SHOTS set to a directory, the widget is saved there as `name`.png.
inline void Shot(QWidget& w, const std::string& name) {
    if (const char* dir = std::getenv("KJ_SHOTS"); dir && *dir)
        w.grab().save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
}

// Every visible label, button and field of the window lies inside it and
// shows its text whole.
inline void ExpectWhole(QWidget& window) {
    int checked = 0;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window)) continue;
        int need = 0;
        QString text;
        if (auto* l = qobject_cast<QLabel*>(w)) {
            text = l->text();
            need = l->sizeHint().width();
        } else if (auto* r = qobject_cast<QRadioButton*>(w)) {
            text = r->text();
            need = r->sizeHint().width();
        } else if (auto* b = qobject_cast<QPushButton*>(w)) {
            text = b->text().remove('&');
            need = b->fontMetrics().horizontalAdvance(text);
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            text = e->text();
            need = e->fontMetrics().horizontalAdvance(text) + 6;
        } else {
            continue;
        }
        ++checked;
        EXPECT_TRUE(window.rect().contains(QRect(w->mapTo(&window, QPoint(0, 0)), w->size())))
            << "outside the window: " << text.toStdString();
        EXPECT_LE(need, w->width()) << "cut: " << text.toStdString();
    }
    EXPECT_GT(checked, 0);
}

}  // namespace kj
