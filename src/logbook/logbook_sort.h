#pragma once
// The sort of a logbook file, in its two uses:
//   - the book sort (after close and from the logbook's menu): the trips in
//     date order, written back over the book, with the odometer chain
//     recomputed, zeroed or kept;
//   - the listing sort of the reports: the trips of a period grouped by the
//     first two characters of note 1, written to a work file
//     ("kj_jizdy.srt") with their odometers 0.
//
// Both feed SortFile records of 265 bytes: the 261-byte trip followed by its
// record number in the book before the sort (32-bit little-endian, from 1).
// Records carrying the deletion mark are left out, so they are gone for
// good after a sort. Keys are compared byte by byte as texts:
//   book:    date as RRMMDD + departure hour "@@.@@" + record number "@@@@@@"
//   listing: the listing's group (SkupinaOpisu) + the book's key
// so equal dates order by departure hour and then by their former place.
// A date written by the generator with the letter "O" sorts as it stands
// (after every date written with digits).
//
// The output goes to a new file that replaces the target in one rename
// (TableWriteBack): a program that dies during the sort leaves the book as
// it was, or sorted, never half written. On any failure the target is
// unchanged.

#include <cstdint>
#include <string>
#include <string_view>

#include "services/common.h"
#include "services/sort_file.h"

namespace kj {

namespace trideni {
inline constexpr int kDelkaVety = 265;      // trip + former record number
inline constexpr int kCisloVety = 261;      // offset of the record number
}  // namespace trideni

// The answer to the odometer question (its item numbers; Esc counts as
// "NEpřepočítat").
enum class StavTachometru {
    Prepocitat = 1,    // the running sum from the first record with a reading
    Neprepocitat = 2,  // readings kept as they are
    Vynulovat = 3,     // every reading 0
};

// Sorts the book at `path` (a DataPath result) in place. With Prepocitat
// the running odometer R starts at 0; at every record, in key order,
// R := km + own reading while R is 0, else R := R + business + private km,
// and the record's reading becomes R. The caller holds the book's write
// lock. Returns 0 or the code of SortEngine::SortFile.
int SetridKnihu(Common& c, std::string_view path, StavTachometru tachometr, SortLimits limits = {});

// The listing sort: the trips of the book at `path` whose date, as RRMMDD,
// lies from `odRRMMDD` to `doRRMMDD` inclusive (compared as texts), in the
// listing's key order, written with their readings 0 to `vystup` (for the
// reports DataPath("kj_jizdy.srt")), which is created anew. Returns 0 or
// the sort's code; on failure `vystup` is left as it was.
int SetridOpis(Common& c, std::string_view path, std::string_view odRRMMDD,
               std::string_view doRRMMDD, std::string_view vystup, SortLimits limits = {});

// The listing's group of a trip: the first two characters of note 1,
// upper-cased, blanks standing in for missing ones. Every key then has its
// date in the same columns: a trip without a note cannot fall among trips
// whose note begins with the digits of a year, nor a short note split a
// group.
std::string SkupinaOpisu(std::string_view poznamka1);

}  // namespace kj
