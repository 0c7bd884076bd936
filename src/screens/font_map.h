#pragma once
// Windows font names, as the parameter files and the screens name them, to
// the fonts installed on this machine. Only rendering goes through the
// map: a font name the user chose is stored and shown exactly as chosen,
// and a name the map does not know is used as it stands.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kj {

class FontMap {
public:
    // "MS Sans Serif" -> "DejaVu Sans"; "Fixedsys", "Courier New", "Courier"
    // -> "DejaVu Sans Mono"; "MS Sherif" -> "DejaVu Serif".
    FontMap();

    // The installed font for a name, compared case-insensitively and
    // without surrounding blanks; an unknown name is returned unchanged.
    std::string Installed(std::string_view windowsName) const;
    // Adds or replaces one entry.
    void Set(std::string_view windowsName, std::string_view installed);

private:
    std::vector<std::pair<std::string, std::string>> entries_;  // folded name, installed
};

// The map of the running program.
FontMap& SharedFontMap();

}  // namespace kj
