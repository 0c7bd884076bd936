#include "screens/font_map.h"

#include "services/picture.h"

namespace kj {

namespace {

std::string Fold(std::string_view name) {
    std::string s = UpperCz(StripLeft(StripRight(name)));
    return s;
}

}  // namespace

FontMap::FontMap() {
    Set("MS Sans Serif", "DejaVu Sans");
    Set("Fixedsys", "DejaVu Sans Mono");
    Set("Courier New", "DejaVu Sans Mono");
    Set("Courier", "DejaVu Sans Mono");
    Set("MS Sherif", "DejaVu Serif");
}

std::string FontMap::Installed(std::string_view windowsName) const {
    const std::string key = Fold(windowsName);
    for (const auto& [name, installed] : entries_)
        if (name == key) return installed;
    return std::string(windowsName);
}

void FontMap::Set(std::string_view windowsName, std::string_view installed) {
    const std::string key = Fold(windowsName);
    for (auto& [name, target] : entries_) {
        if (name == key) {
            target = std::string(installed);
            return;
        }
    }
    entries_.emplace_back(key, std::string(installed));
}

FontMap& SharedFontMap() {
    static FontMap map;
    return map;
}

}  // namespace kj
