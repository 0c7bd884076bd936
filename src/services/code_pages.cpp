// Conversions between Windows-1250 and the DOS code pages: 852 for printers,
// the Kamenický page of old reports.

#include <array>
#include <cstddef>

#include "services/cp1250.h"
#include "services/picture.h"

namespace kj {
namespace {

using ByteMap = std::array<char, 256>;

ByteMap IdentityMap() {
    ByteMap map;
    for (int c = 0; c < 256; ++c) map[static_cast<std::size_t>(c)] = static_cast<char>(c);
    return map;
}

std::string Translate(std::string_view text, const ByteMap& map) {
    std::string r(text);
    for (char& c : r) c = map[static_cast<unsigned char>(c)];
    return r;
}

// Code page 852, bytes 128..255, written as the Windows-1250 characters they
// show; "?" stands for the box-drawing and block characters Windows-1250 lacks.
// The last row starts with the soft hyphen (240) and ends with the no-break
// space (255).
const std::string& Cp852High() {
    static const std::string page =
        "ÇüéâäůćçłëŐőîŹÄĆ"
        "ÉĹĺôöĽľŚśÖÜŤťŁ×č"
        "áíóúĄąŽžĘę¬źČş«»"
        "?????ÁÂĚŞ????Żż?"
        "??????Ăă???????¤"
        "đĐĎËďŇÍÎě????ŢŮ?"
        "ÓßÔŃńňŠšŔÚŕŰýÝţ´"
        "\u00AD˝˛ˇ˘§÷¸°¨˙űŘř?\u00A0"_cz;
    return page;
}

ByteMap MakePrinterMap() {
    ByteMap map;
    for (int c = 0; c < 128; ++c) map[static_cast<std::size_t>(c)] = static_cast<char>(c);
    for (int c = 128; c < 256; ++c) map[static_cast<std::size_t>(c)] = ' ';
    const std::string& page = Cp852High();
    for (std::size_t i = 0; i < page.size(); ++i) {
        auto win = static_cast<unsigned char>(page[i]);
        if (win >= 128) map[win] = static_cast<char>(128 + i);
    }
    // The printers show the no-break space at 170 and the middle dot at 250;
    // the signs otherwise found there (¬, ˙) and the currency sign are blanked.
    map[static_cast<unsigned char>("\u00A0"_cz[0])] = static_cast<char>(170);
    map[static_cast<unsigned char>("·"_cz[0])] = static_cast<char>(250);
    for (char c : "¬˙¤"_cz) map[static_cast<unsigned char>(c)] = ' ';
    return map;
}

// The Kamenický codes of the Czech letters and the Windows-1250 letters they
// stand for, pairwise.
constexpr std::array<unsigned char, 33> kKamenickyCodes = {
    128, 130, 131, 133, 134, 135, 136, 137, 139, 143, 144, 145, 146, 148, 149, 150, 151,
    152, 153, 154, 155, 157, 158, 159, 160, 161, 162, 163, 164, 165, 166, 168, 169};

const std::string& KamenickyLetters() {
    static const std::string letters = "ČéďĎŤčěĚÍÁÉžŽöÓůÚýÖÜŠÝŘťáíóúňŇŮšř"_cz;
    return letters;
}

ByteMap MakeDosToWinMap() {
    ByteMap map = IdentityMap();
    const std::string& letters = KamenickyLetters();
    for (std::size_t i = 0; i < kKamenickyCodes.size(); ++i) map[kKamenickyCodes[i]] = letters[i];
    // Line drawing becomes plain characters.
    for (int c : {179, 182, 185, 186, 195, 197, 199, 206}) map[static_cast<std::size_t>(c)] = '|';
    for (int c : {187, 188, 192, 193, 194, 196, 200, 201, 202, 205, 207, 209, 216})
        map[static_cast<std::size_t>(c)] = '-';
    for (int c : {191, 218}) map[static_cast<std::size_t>(c)] = ' ';
    return map;
}

// The exact reverse of the letters of DosToWin, so that every Czech letter of
// the page survives a round trip.
ByteMap MakeWinToDosMap() {
    ByteMap map = IdentityMap();
    const std::string& letters = KamenickyLetters();
    for (std::size_t i = 0; i < kKamenickyCodes.size(); ++i)
        map[static_cast<unsigned char>(letters[i])] = static_cast<char>(kKamenickyCodes[i]);
    return map;
}

}  // namespace

std::string MapHighChars(std::string_view text) {
    static const ByteMap map = MakePrinterMap();
    return Translate(text, map);
}

std::string DosToWin(std::string_view text) {
    static const ByteMap map = MakeDosToWinMap();
    return Translate(text, map);
}

std::string WinToDos(std::string_view text) {
    static const ByteMap map = MakeWinToDosMap();
    return Translate(text, map);
}

}  // namespace kj
