#pragma once
// Small helpers shared by the dialog forms: the key a Qt event stands for,
// the dialog fonts, pixel rectangles and window colours.

#include <QColor>
#include <QFont>
#include <QKeyEvent>
#include <QRect>
#include <QWidget>

#include "screens/dialog_layout.h"
#include "screens/font_map.h"

namespace kj {

// The dialog key of a key press (DialogKey::Other for anything else).
inline DialogKey DialogKeyOf(const QKeyEvent& e) {
    const bool ctrl = e.modifiers() & Qt::ControlModifier;
    const bool alt = e.modifiers() & Qt::AltModifier;
    if (alt) return DialogKey::Other;
    switch (e.key()) {
        case Qt::Key_Escape:
            return DialogKey::Escape;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return DialogKey::Enter;
        case Qt::Key_Tab:
            return ctrl ? DialogKey::Other : DialogKey::Tab;
        case Qt::Key_Backtab:
            return DialogKey::BackTab;
        case Qt::Key_Up:
            return DialogKey::Up;
        case Qt::Key_Down:
            return DialogKey::Down;
        case Qt::Key_F1:
            return ctrl ? DialogKey::CtrlF1 : DialogKey::F1;
        case Qt::Key_F2:
            return ctrl ? DialogKey::Other : DialogKey::F2;
        case Qt::Key_F4:
            return ctrl ? DialogKey::Other : DialogKey::F4;
        case Qt::Key_F9:
            return ctrl ? DialogKey::Other : DialogKey::F9;
        case Qt::Key_F10:
            return ctrl ? DialogKey::Other : DialogKey::F10;
        default:
            return DialogKey::Other;
    }
}

// "MS Sans Serif", the font of the dialogs.
inline QFont DialogFont(int pointSize = 8, bool bold = false) {
    QFont f(QString::fromStdString(SharedFontMap().Installed("MS Sans Serif")));
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

// "Fixedsys": a fixed-pitch font 15 pixels high.
inline QFont FixedFont() {
    QFont f(QString::fromStdString(SharedFontMap().Installed("Fixedsys")));
    f.setPixelSize(13);
    return f;
}

inline QRect ToRect(const PixelRect& r) {
    return QRect(r.left, r.top, r.width, r.height);
}

inline void SetWindowColour(QWidget& w, const QColor& colour) {
    QPalette pal = w.palette();
    pal.setColor(QPalette::Window, colour);
    w.setPalette(pal);
    w.setAutoFillBackground(true);
}

}  // namespace kj
