// Draws the pictures of the blank travel order forms, "kj1.bmp" (the
// travel order) and "KJ2.bmp" (the expense settlement), into a directory:
// the program directory's "KJ\" of an installation.
//
//   kj_form_pictures DIRECTORY

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "travel/qt/form_picture_painter.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Použití: kj_form_pictures ADRESÁŘ\n");
        return 2;
    }
    // Painting needs no display.
    if (!std::getenv("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString problem = kj::WriteFormPictures(QString::fromLocal8Bit(argv[1]));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "kj_form_pictures: %s\n", problem.toUtf8().constData());
        return 1;
    }
    return 0;
}
