#include "services/qt/qt_text.h"

#include <QApplication>
#include <QPalette>

#include "services/cp1250.h"

namespace kj {

QString ToQt(std::string_view cp1250) { return QString::fromStdString(Cp1250ToUtf8(cp1250)); }

std::string FromQt(const QString& text) { return Utf8ToCp1250(text.toStdString()); }

QColor ColourFromStored(int value) {
    auto v = static_cast<unsigned>(value);
    if ((v & 0xFF000000u) != 0) return QApplication::palette().color(QPalette::Window);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>((v >> 16) & 0xFF));
}

}  // namespace kj
