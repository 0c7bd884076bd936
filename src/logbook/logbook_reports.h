#pragma once
// The two printed reports of a car's logbook, started from its menu:
//
//   KnihaJizdSVyhodnocenim ("Kniha jízd s vyhodnocením", Ctrl+V): the trips
//     of a period in book order, two lines a trip (three with the notes),
//     a page header every (lines per page - 2) lines, totals and the
//     evaluation: for a private car used on business ("SOU") the travel
//     costs, for a company car or a machine the fuel allowed by the car's
//     average consumption and the tolerance "KJPN" of the job table against
//     the fuel bought. Print file: the logbook's name without ".dta", 132
//     wide; the side file holds a ";" line for every trip.
//
//   OpisSMezisoucty ("Opis s mezisoučty", Ctrl+O): the trips of a period
//     sorted into "kj_jizdy.srt" (data directory) by the first two
//     characters of note 1, upper-cased, then date, hour and book order;
//     one line a trip, a subtotal of km (machine hours) and money for each
//     group and the grand total. Print file "CESTAKY", 130 wide.
//
// Both ask for the period first; Esc there ends the report before anything
// is written. They read the logbook file themselves under a read lock and
// need nothing of the logbook browser: the caller names the file, passes
// the current car and keeps the period between calls. Every question and
// message goes through the station's dialogs; the finished print file is
// shown in the viewer.

#include <string>
#include <string_view>

#include "logbook/car_list.h"
#include "logbook/report_period.h"
#include "services/common.h"

namespace kj {

enum class ReportOutcome {
    Shown,      // written and handed to the viewer
    Cancelled,  // Esc in the period dialog: nothing written
    Failed,     // the logbook or the listing file could not be read or
                // written; the user was told and nothing is shown
};

// `logbookFile` is the logbook as DataPath resolves it (the car's
// SouborKnihy(), or a literal path).
ReportOutcome KnihaJizdSVyhodnocenim(Common& c, const VetaAuta& car, std::string_view logbookFile,
                                     ObdobiJizd& period);
ReportOutcome OpisSMezisoucty(Common& c, const VetaAuta& car, std::string_view logbookFile,
                              ObdobiJizd& period);

}  // namespace kj
