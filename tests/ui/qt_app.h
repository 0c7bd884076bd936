#pragma once
// One QApplication for all widget tests (offscreen platform).

#include <QApplication>

namespace kj {

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace kj
