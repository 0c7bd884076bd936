#include "services/dates.h"

#include <array>
#include <cstdio>

#include "services/picture.h"

namespace kj {
namespace {

const std::string kEmptyDate(6, ' ');
const std::string kEmptyLongDate(8, ' ');

// Characters from the 1-based position `pos`, as many of `count` as the text
// has.
std::string_view Copy(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos > text.size()) return {};
    return text.substr(pos - 1, count);
}

bool IsEmptyDate(std::string_view date) {
    return date.find_first_not_of(' ') == std::string_view::npos || date == "000000";
}

// Value of two digit characters, -1 unless both are digits.
int TwoDigits(std::string_view text, std::size_t pos) {
    if (pos + 1 > text.size()) return -1;
    char a = text[pos - 1], b = text[pos];
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    return (a - '0') * 10 + (b - '0');
}

// A number from date characters, reading a letter "O" as 0 and "l" as 1
// as the trip generator and typists write them.
int DateNumber(std::string_view text) {
    std::string repaired(text);
    for (char& c : repaired) {
        if (c == 'O' || c == 'o') c = '0';
        if (c == 'l' || c == 'L') c = '1';
    }
    return StrToIntLoose(repaired);
}

bool IsLeap(int year) {
    return year % 4 == 0;
}

int MonthLength(int month, int year) {
    static constexpr std::array<int, 12> kLengths = {31, 28, 31, 30, 31, 30,
                                                     31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeap(year)) return 29;
    return kLengths[static_cast<std::size_t>(month - 1)];
}

void DropLeadingPoint(std::string& t) {
    if (!t.empty() && t[0] == '.') t.erase(0, 1);
}

// "1." -> "01"
void WidenSingleDigit(std::string& part) {
    if (part.size() >= 2 && part[1] == '.') part = std::string("0") + part[0];
}

}  // namespace

std::string NormalizeDate(std::string_view text) {
    std::string s = RemoveSpaces(text);
    if (s.empty()) return kEmptyDate;
    for (char& c : s) {
        if (c == ',' || c == '-' || c == '/') c = '.';
        if (c == 'O' || c == 'o') c = '0';
        if (c == 'L' || c == 'l') c = '1';
    }

    std::string t = s.substr(0, 10);
    DropLeadingPoint(t);
    std::string day = t.substr(0, 2);
    t = Copy(s, 3, 8);  // counted in s, not in t
    WidenSingleDigit(day);

    DropLeadingPoint(t);
    std::string month = t.substr(0, 2);
    t = std::string(Copy(t, 3, 6));
    WidenSingleDigit(month);

    DropLeadingPoint(t);
    std::string year = t.substr(0, 4);
    while (year.size() < 2) year.insert(0, 1, '0');
    if (year.size() > 2) year = std::string(Copy(year, 3, 2));
    while (year.size() < 2) year.insert(0, 1, '0');

    std::string r = FormatPic("@@@@@@", StrToIntLoose(day + month + year));
    if (r == "000000" || DateInvalid(r)) return kEmptyDate;
    return r;
}

bool DateInvalid(std::string_view text) {
    std::string s = RemoveSpaces(text);
    if (s.empty() || s == "000000" || s == "00000000") return false;
    if (s.size() != 6 && s.size() != 8) return true;

    int month = TwoDigits(s, 3);
    if (month < 1 || month > 12) return true;
    int year = TwoDigits(s, s.size() - 1);  // last two digits decide leap years
    if (year < 0) return true;
    int day = TwoDigits(s, 1);
    if (day < 1 || day > MonthLength(month, year)) return true;
    if (s.size() == 8 && s.compare(4, 2, "19") != 0 && s.compare(4, 2, "20") != 0) return true;
    return false;
}

bool TimeInvalid(std::string_view text) {
    std::string t(text);
    if (t.size() == 8) t = t.substr(0, 2) + t.substr(3, 2) + t.substr(6, 2);
    if (t == "      " || t == "000000") return false;
    if (t.size() != 6) return true;
    int minutes = TwoDigits(t, 3), hours = TwoDigits(t, 1), seconds = TwoDigits(t, 5);
    return minutes < 0 || minutes > 60 || hours < 0 || hours > 24 || seconds < 0 || seconds > 60;
}

int DayNumber(std::string_view date) {
    std::string wide = date.size() == 6 ? Date6To8(date) : std::string(date);
    int day = DateNumber(Copy(wide, 1, 2));
    int month = DateNumber(Copy(wide, 3, 2));
    int year = DateNumber(Copy(wide, 5, 4));
    int y = year - 1900;

    int n = day;
    for (int m = 1; m < month && m <= 12; ++m) n += MonthLength(m, year);
    if (y > 0) n += 365 * y + (y - 1) / 4 + 1;
    return n;
}

// Day 0 and earlier is no date at all: the empty date. Years from 2100 on do
// not fit the two-digit form and come back as DDMMRRRR, like those before 2000.
std::string DateOfDay(int n) {
    if (n <= 0) return kEmptyDate;
    constexpr int kFourYears = 366 + 3 * 365;
    int y = 0;
    if (n > kFourYears) {  // whole four-year cycles first
        int cycles = (n - 1) / kFourYears;
        n -= cycles * kFourYears;
        y += 4 * cycles;
    }
    while (n > (y % 4 == 0 ? 366 : 365)) {
        n -= y % 4 == 0 ? 366 : 365;
        ++y;
    }
    int year = 1900 + y;
    int month = 1;
    while (month < 12 && n > MonthLength(month, year)) {
        n -= MonthLength(month, year);
        ++month;
    }

    char text[32];
    if (year >= 2000 && year <= 2099)
        std::snprintf(text, sizeof text, "%02d%02d%02d", n, month, year - 2000);
    else
        std::snprintf(text, sizeof text, "%02d%02d%04d", n, month, year);
    return text;
}

// "000000" is empty like six blanks.
std::string Date6To8(std::string_view date) {
    if (IsEmptyDate(date)) return kEmptyLongDate;
    if (date.size() != 6) return std::string(date);
    std::string r =
        std::string(date.substr(0, 4)) + FormatPic("####", 2000 + DateNumber(date.substr(4, 2)));
    return r == "    2000" ? kEmptyLongDate : r;
}

std::string DisplayDate(std::string_view date) {
    std::string s(date);
    if (s.size() == 6) {
        for (std::size_t pos : {0, 4}) {
            if (s[pos] == 'l') s[pos] = '1';
            if (s[pos] == 'O') s[pos] = '0';
        }
    }
    if (s.empty() || s == "000000" || s == kEmptyDate) return kEmptyLongDate;
    std::string r(Copy(s, 1, 2));
    r += '.';
    r += Copy(s, 3, 2);
    r += '.';
    r += Copy(s, 5, 2);
    return r;
}

std::string WorkDate(std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900);
    return DisplayDate(NormalizeDate(text));
}

std::string Date8To6(std::string_view date) {
    if (date.size() != 8) return std::string(date);
    std::string r(date.substr(0, 4));
    r += date.substr(6, 2);
    return r;
}

std::string DateSortKey(std::string_view date) {
    std::string r(Copy(date, 5, 2));
    r += Copy(date, 3, 2);
    r += Copy(date, 1, 2);
    return r;
}

std::string LongDateSortKey(std::string_view date) {
    std::string r(Copy(date, 5, 4));
    r += Copy(date, 3, 2);
    r += Copy(date, 1, 2);
    return r;
}

std::string SortKeyToDotted(std::string_view key) {
    std::string r(Copy(key, 7, 2));
    r += '.';
    r += Copy(key, 5, 2);
    r += '.';
    r += Copy(key, 1, 4);
    return r;
}

std::string UndotDate(std::string_view date) {
    std::string r(Copy(date, 1, 2));
    r += Copy(date, 4, 2);
    r += Copy(date, 7, 2);
    return r;
}

std::string TimeToShort(std::string_view time) {
    std::string r(Copy(time, 1, 2));
    r += Copy(time, 4, 2);
    r += Copy(time, 7, 2);
    return r;
}

std::string ShowTime(std::string_view time) {
    std::string r(Copy(time, 1, 2));
    r += ':';
    r += Copy(time, 3, 2);
    r += ':';
    r += Copy(time, 5, 2);
    return r;
}

}  // namespace kj
