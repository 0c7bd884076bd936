#pragma once
// The period of the logbook's reports: two dates that the logbook browser
// keeps for the whole run (its obdobiOd and obdobiDo, shared with the trip
// generator). After a report's period dialog both hold RRMMDD
// (DateSortKey); a trip lies in the period when RRMMDD of its stored date
// lies between them, compared as texts, both ends included. The stored text
// counts as it stands: a generator's date with the letter "O" in the year
// sorts after every date written with digits.

#include <string>
#include <string_view>

namespace kj {

struct ObdobiJizd {
    std::string odData;  // RRMMDD
    std::string doData;  // RRMMDD

    // True when the stored trip date (DDMMRR) lies in the period. A date
    // shorter than six characters is taken with blanks.
    bool Obsahuje(std::string_view datum) const;
};

}  // namespace kj
