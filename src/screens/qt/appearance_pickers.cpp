#include "screens/qt/appearance_pickers.h"

#include <QColorDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <cmath>
#include <cstdlib>

#include "screens/font_map.h"
#include "screens/screen_metrics.h"
#include "services/qt/qt_text.h"

namespace kj {

namespace {

constexpr int kDefaultPointSize = 8;

int StoredColour(const QColor& c) {
    return RgbColour(c.red(), c.green(), c.blue());
}

// The family's own name of a style ("Book", "Bold Oblique" ...). The font
// dialog selects a style by name and falls back to its first entry, which
// would turn a plain font italic when the family has no style "Normal".
// Of the styles of the right weight and slant the shortest name is the
// plain width ("Bold" rather than "Condensed Bold").
QString StyleName(const QString& family, bool bold, bool italic) {
    QString best;
    for (const QString& style : QFontDatabase::styles(family)) {
        const int weight = QFontDatabase::weight(family, style);
        const bool styleBold = weight >= QFont::DemiBold;
        if (styleBold != bold || QFontDatabase::italic(family, style) != italic) continue;
        if (!bold && weight != QFont::Normal) continue;
        if (best.isEmpty() || style.size() < best.size()) best = style;
    }
    return best;
}

}  // namespace

QFont WindowFont(std::string_view name, int pointSize, FontStyle style) {
    QFont f(ToQt(SharedFontMap().Installed(name)));
    // A negative size is a height in points as well.
    int points = std::abs(pointSize);
    if (points == 0) points = kDefaultPointSize;
    f.setPixelSize(std::max(6, static_cast<int>(std::lround(points * 96.0 / 72.0))));
    f.setBold(style == FontStyle::Bold || style == FontStyle::BoldItalic);
    f.setItalic(style == FontStyle::Italic || style == FontStyle::BoldItalic);
    return f;
}

FontStyle StyleOf(const QFont& font) {
    if (font.bold() && font.italic()) return FontStyle::BoldItalic;
    if (font.bold()) return FontStyle::Bold;
    if (font.italic()) return FontStyle::Italic;
    return FontStyle::Normal;
}

std::optional<int> QtAppearancePickers::PickColour(int current) {
    const QColor chosen = QColorDialog::getColor(ColourFromStored(current), parent_,
                                                 QString::fromUtf8("Barva pozadí"));
    if (!chosen.isValid()) return std::nullopt;
    return StoredColour(chosen);
}

std::optional<FontChoice> QtAppearancePickers::PickFont(const FontChoice& current) {
    QFont initial(ToQt(SharedFontMap().Installed(current.name)));
    initial.setPointSize(current.size != 0 ? std::abs(current.size) : kDefaultPointSize);
    initial.setBold(current.style == FontStyle::Bold || current.style == FontStyle::BoldItalic);
    initial.setItalic(current.style == FontStyle::Italic || current.style == FontStyle::BoldItalic);
    const QString style = StyleName(QFontInfo(initial).family(), initial.bold(), initial.italic());
    if (!style.isEmpty()) initial.setStyleName(style);
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent_, QString::fromUtf8("Písmo"));
    if (!ok) return std::nullopt;

    FontChoice choice = current;
    // The family the user picked is stored as picked; when it is the font
    // the stored name already maps to, the stored name stays.
    if (font.family() != initial.family()) choice.name = FromQt(font.family());
    if (font.pointSize() > 0)
        choice.size = font.pointSize();
    else if (font.pixelSize() > 0)
        choice.size = static_cast<int>(std::lround(font.pixelSize() * 72.0 / 96.0));
    choice.style = StyleOf(font);

    const QColor ink = QColorDialog::getColor(ColourFromStored(current.colour), parent_,
                                              QString::fromUtf8("Barva písma"));
    if (ink.isValid()) choice.colour = StoredColour(ink);
    return choice;
}

}  // namespace kj
