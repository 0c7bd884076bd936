#pragma once
// The rules a trip follows while it is typed, without any screen: the
// meal-allowance table and its lookup, the trip date, the route reversal,
// the odometer chain and the car kinds. The logbook (TfKJ_jizdy) and the
// generated-trips browser (TfKJ_jgener) apply them through TripBrowser.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/common.h"

namespace kj {

// Car kinds: the first three letters, upper-cased, of the car's kind.
inline constexpr std::string_view kDruhSoukrome = "SOU";  // private car used on business
inline constexpr std::string_view kDruhSluzebni = "SLU";  // company car
inline constexpr std::string_view kDruhStroj = "STR";     // working machine, tractor

// ---- meal allowance ----

struct SazbaStravneho {
    double hodin = 0;   // the trip must last longer than this
    double castka = 0;  // CZK
};
using TabulkaStravneho = std::vector<SazbaStravneho>;

// Every record of "kjstra.dta" in file order, read under the shared lock.
// The table is not cut at 30 entries: a longer file is held whole. A file
// of fewer than 2 bytes is created empty and gives an empty table.
TabulkaStravneho NactiTabulkuStravneho(Common& c);

// The meal allowance of a trip from `odjezd` to `prijezd` (hours written
// HH.MM, subtracted as plain numbers): scanning the table from its last
// entry down, the amount of the first entry whose threshold is strictly
// below the duration, formatted "#####.##"; eight blanks when there is
// none. The duration counts in hundredths, as the hours are typed, so
// 12.30 - 7.30 is 5 exactly and earns no more than 7.00 - 12.00 does.
std::string StravneZaCestu(const TabulkaStravneho& tabulka, double odjezd, double prijezd);

// ---- dates ----

// The trip date typed into the date field: nothing (blanks) or "000000"
// means today's working date; anything else is read by NormalizeDate.
// Gives DDMMRR, or nothing when the text is no valid date.
std::optional<std::string> DatumJizdy(std::string_view typed, std::time_t now);

// A date as the generator writes it: a 0 as the first digit of the year
// becomes the letter "O" ("010505" -> "0105O5").
std::string DatumGeneratoru(std::string ddmmrr);

// ---- places ----

// The width of the place field.
inline constexpr int kSirkaMista = 40;

// The way back of a route: split at ",", "-" and ":" (every separator ends
// a segment, the last one met joins the result), the segments from the last
// to the first without their trailing blanks, blank ones left out, padded
// to 40 characters. "Praha-Brno-Olomouc" gives "Olomouc-Brno-Praha",
// "Praha, Brno" gives " Brno,Praha" (a segment keeps its leading blank).
// Every segment of the 40 characters is reversed, however many there are.
std::string ObratTrasu(std::string_view trasa);

}  // namespace kj
