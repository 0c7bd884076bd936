#pragma once
// Windows-1250 texts. Every text inside the core is a std::string of
// Windows-1250 bytes. Czech literals in the source are UTF-8 and become
// Windows-1250 at compile time through the _cz literal; conversion to and
// from UTF-8 happens only at the edges (file names on disk, Qt, terminals).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kj {

// Unicode code points of the bytes 0x80..0xFF of Windows-1250 (0 = unassigned).
inline constexpr std::array<char16_t, 128> kCp1250High = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021, 0x0000, 0x2030, 0x0160,
    0x2039, 0x015A, 0x0164, 0x017D, 0x0179, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0,
    0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6,
    0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1,
    0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A,
    0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2,
    0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED,
    0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, 0x0159,
    0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};

// Windows-1250 byte of a code point, or -1 when the page has no such character.
constexpr int Cp1250FromUnicode(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    for (int i = 0; i < 128; ++i)
        if (kCp1250High[static_cast<std::size_t>(i)] != 0 &&
            kCp1250High[static_cast<std::size_t>(i)] == cp)
            return 0x80 + i;
    return -1;
}

constexpr char32_t UnicodeFromCp1250(unsigned char c) {
    return c < 0x80 ? c : kCp1250High[c - 0x80u];
}

// A UTF-8 literal converted to Windows-1250 while compiling. A character the
// code page lacks is a compile error.
template <std::size_t N>
struct CzLiteral {
    char bytes[N]{};
    std::size_t size = 0;
    consteval CzLiteral(const char (&utf8)[N]) {
        std::size_t i = 0;
        while (i + 1 < N) {
            auto b = static_cast<unsigned char>(utf8[i]);
            char32_t cp = 0;
            std::size_t extra = 0;
            if (b < 0x80) { cp = b; }
            else if ((b & 0xE0) == 0xC0) { cp = b & 0x1F; extra = 1; }
            else if ((b & 0xF0) == 0xE0) { cp = b & 0x0F; extra = 2; }
            else { throw "unsupported UTF-8 sequence in a Czech literal"; }
            for (std::size_t k = 1; k <= extra; ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
            i += extra + 1;
            int c = Cp1250FromUnicode(cp);
            if (c < 0) throw "character missing from Windows-1250";
            bytes[size++] = static_cast<char>(c);
        }
    }
};

template <CzLiteral L>
std::string operator""_cz() {
    return std::string(L.bytes, L.size);
}

// Runtime conversions at the edges. Unmappable characters become '?'.
std::string Utf8ToCp1250(std::string_view utf8);
std::string Cp1250ToUtf8(std::string_view text);

}  // namespace kj
