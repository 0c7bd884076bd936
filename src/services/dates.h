#pragma once
// Dates: stored DDMMRR (year 2000 + RR, empty = 6 blanks or "000000"), long
// DDMMRRRR, shown DD.MM.RR; times stored HHMMSS, shown HH:MM:SS.

#include <ctime>
#include <string>
#include <string_view>

namespace kj {

std::string NormalizeDate(std::string_view text);
bool DateInvalid(std::string_view text);
bool TimeInvalid(std::string_view text);
int DayNumber(std::string_view date);
std::string DateOfDay(int n);
std::string Date6To8(std::string_view date);
std::string DisplayDate(std::string_view date);
// Today (from `now`) as DD.MM.RR.
std::string WorkDate(std::time_t now);

std::string Date8To6(std::string_view date);
std::string DateSortKey(std::string_view date);
std::string LongDateSortKey(std::string_view date);
std::string SortKeyToDotted(std::string_view key);
std::string UndotDate(std::string_view date);
std::string TimeToShort(std::string_view time);
std::string ShowTime(std::string_view time);

}  // namespace kj
