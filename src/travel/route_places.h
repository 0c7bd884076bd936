#pragma once
// What both sheets take from the logbook's trips: the places of a route and
// the car's kind as the sheets spell it.

#include <string>
#include <string_view>
#include <vector>

#include "logbook/car_list.h"

namespace kj {

inline constexpr std::size_t kPlaceMax = 40;

// The places of a route: every ",", "-" or ":" ends a place (the separator
// is dropped), the text after the last separator is a place when it is not
// empty. Blanks around a place are dropped ("Zlín - Brno" gives "Zlín" and
// "Brno"); a place keeps at most 40 characters. The list has no bound, so
// the last place of a long day is never lost.
std::vector<std::string> RoutePlaces(std::string_view route);

// The car kind of the sheets: the first 4 characters of the car's
// "Soukr/služ/stroj" without diacritics, upper case ("SOUK", "SLUZ").
std::string SheetCarKind(const VetaAuta& car);

// Cuts a text to at most n characters.
std::string Cut(std::string_view text, std::size_t n);

}  // namespace kj
