// Czech upper case, removal of diacritics, filling and trimming of texts.

#include <array>

#include "services/cp1250.h"
#include "services/picture.h"

namespace kj {
namespace {

using ByteMap = std::array<char, 256>;

// A byte map that leaves every character alone except those of `from`, which
// become the character at the same position of `to`.
ByteMap MakeByteMap(const std::string& from, const std::string& to) {
    ByteMap map;
    for (int c = 0; c < 256; ++c) map[static_cast<std::size_t>(c)] = static_cast<char>(c);
    for (std::size_t i = 0; i < from.size() && i < to.size(); ++i)
        map[static_cast<unsigned char>(from[i])] = to[i];
    return map;
}

std::string Translate(std::string_view text, const ByteMap& map) {
    std::string r(text);
    for (char& c : r) c = map[static_cast<unsigned char>(c)];
    return r;
}

}  // namespace

// Only these letters are raised; "ů", "ď", "ť", "ň" and foreign letters stay
// as they are.
std::string UpperCz(std::string_view text) {
    static const ByteMap map = MakeByteMap("abcdefghijklmnopqrstuvwxyzáéíúýóěřščž"_cz,
                                           "ABCDEFGHIJKLMNOPQRSTUVWXYZÁÉÍÚÝÓĚŘŠČŽ"_cz);
    return Translate(text, map);
}

std::string StripDiacritics(std::string_view text) {
    static const ByteMap map = MakeByteMap("ŠšŤťŽžÁáĹĺČčÉéĚěÍíĎďŇňÓóÖöŘřŮůÚúÜüÝý"_cz,
                                           "SsTtZzAaLlCcEeEeIiDdNnOoOoRrUuUuUuYy");
    return Translate(text, map);
}

std::string StrOfChar(int n, char c) {
    if (n <= 0) return {};
    return std::string(static_cast<std::size_t>(n > 255 ? 255 : n), c);
}

std::string Spaces(int n) {
    return StrOfChar(n, ' ');
}

std::string StripRight(std::string_view text) {
    std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string StripLeft(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string RemoveSpaces(std::string_view text) {
    std::string r;
    r.reserve(text.size());
    for (char c : text)
        if (c != ' ') r.push_back(c);
    return r;
}

// An empty fill pads with blanks.
std::string PadStr(std::string_view text, std::string_view how, std::string_view fill, int width) {
    bool left = how == "L" || how == "l";
    bool right = how == "P" || how == "p";
    if ((!left && !right) || width <= 0) return {};
    if (fill.empty()) fill = " ";
    auto w = static_cast<std::size_t>(width);

    if (left) {
        std::string r = StripLeft(text);
        while (r.size() < w) r += fill;
        r.resize(w);
        return r;
    }
    std::string stripped = StripRight(text);
    std::string r;
    while (r.size() + stripped.size() < w) r += fill;
    r += stripped;
    return r.substr(r.size() - w);
}

}  // namespace kj
