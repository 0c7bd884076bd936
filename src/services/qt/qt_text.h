#pragma once
// The boundary between Windows-1250 core texts and Qt's Unicode strings.

#include <QColor>
#include <QString>
#include <string>
#include <string_view>

namespace kj {

QString ToQt(std::string_view cp1250);
std::string FromQt(const QString& text);
// A colour as the parameter files store it: 0x00BBGGRR; system colours
// (high byte 0x80 or 0xFF) fall back to the palette's window colour.
QColor ColourFromStored(int value);

}  // namespace kj
