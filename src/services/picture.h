#pragma once
// Pictures for numbers and the small text operations used everywhere.
// All texts are Windows-1250 bytes.
//
// Picture characters: "#" digit place shown blank when no digit reaches it,
// "@" digit place shown "0", the first "." or "," the decimal point (kept as
// written), the last "-" the sign place; any other character is copied.
//
// Numbers are rounded to the picture's decimals as the shortest decimal text
// that reads back as the same double (so 2.675 counts as 2.675), an exact tie
// away from zero: 0.125 -> "0.13", -2.5 -> "-3". Digits that do not fit are
// dropped from the left.

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
// The amount rounded to two decimals, a half away from zero (what
// "############.##-" and reading back gives, without losing digits above 10^12).
Money RoundMoney(Money amount);
// Plain fixed-point text, right-aligned in at least `width`, at most 40 chars;
// a number that needs more (or is not finite) gives 40 "*".
std::string RealToStr(int width, int decimals, double value);

// Typed text to an integer; a letter anywhere or a value outside 32 bits
// reads as 0.
std::int32_t StrToIntLoose(std::string_view text);
// Typed text to a number; only digits, points, commas and "-" count.
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
// Kamenický DOS page <-> Windows-1250; WinToDos is the exact reverse of the
// Czech letters DosToWin knows.
std::string DosToWin(std::string_view text);
std::string WinToDos(std::string_view text);

}  // namespace kj
