#pragma once
// Pictures for numbers and the small text operations used everywhere.
// All texts are Windows-1250 bytes.
//
// Picture characters: "#" digit place shown blank when no digit reaches it,
// "@" digit place shown "0", the first "." or "," the decimal point (kept as
// written), the last "-" the sign place; any other character is copied.

#include <cstdint>
#include <string>
#include <string_view>

namespace kj {

// A fixed-point amount counting ten-thousandths.
using Money = std::int64_t;
inline constexpr Money kMoneyUnit = 10000;

std::string FormatPic(std::string_view picture, double value);
// FormatPic without the zero rules (an all-blank zero, the " 0.00-" rule).
std::string FormatPicZero(std::string_view picture, double value);
// FormatPic for amounts, with the zero threshold 0.001.
std::string FormatMoneyPic(std::string_view picture, Money amount);
// The amount rounded to two decimals through "############.##-".
Money RoundMoney(Money amount);
// Plain fixed-point text, right-aligned in at least `width`, at most 40 chars.
std::string RealToStr(int width, int decimals, double value);

std::int32_t StrToIntLoose(std::string_view text);
double StrToFloatLoose(std::string_view text);

std::string UpperCz(std::string_view text);
std::string StripDiacritics(std::string_view text);
std::string StrOfChar(int n, char c);
std::string Spaces(int n);
std::string StripRight(std::string_view text);
std::string StripLeft(std::string_view text);
std::string RemoveSpaces(std::string_view text);
// how "L"/"l": left-aligned, "P"/"p": right-aligned; fill is one character.
std::string PadStr(std::string_view text, std::string_view how, std::string_view fill, int width);

// Windows-1250 to code page 852 for printers.
std::string MapHighChars(std::string_view text);
// Kamenický DOS page <-> Windows-1250.
std::string DosToWin(std::string_view text);
std::string WinToDos(std::string_view text);

}  // namespace kj
