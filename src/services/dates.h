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
// Days from 1 January 1900 = 1, every fourth year a leap year (1900 and 2100
// too). The empty date is day 0. DateOfDay gives DDMMRR for 2000..2099,
// DDMMRRRR for other years and the empty date for n <= 0.
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
