#pragma once
// Reading a logbook in file order and sorting its trips. Both the book's own
// sort (date and hour order, written back over the book) and the listing of
// the reports ("kj_jizdy.srt", grouped by the note) go through SortTrips.
//
// The sort record is 265 bytes: the 261-byte trip followed by its record
// number in the logbook before the sort (32-bit little-endian, from 1). The
// key, compared byte by byte:
//   prefix + date RRMMDD (the stored text, so a generator's "O" sorts after
//   the digits) + departure hour "@@.@@" + record number "@@@@@@".
// Equal dates thus order by hour and then by their place in the book. A
// trip marked deleted ("." at offset 1) never enters the sort.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "logbook/trip_record.h"
#include "services/common.h"
#include "services/sort_file.h"

namespace kj {

namespace tripsort {
inline constexpr int kNumberOffset = jizdy::kLength;
inline constexpr int kRecordLength = jizdy::kLength + 4;
}  // namespace tripsort

// Calls `each` with every complete record of the logbook at `path` (a path
// of the station's file system) and its record number, in file order, reading
// in large blocks. A non-zero result of `each` stops the walk and is
// returned; otherwise the I/O code of opening or reading (0 = all read).
// The caller holds whatever lock the use needs.
int ForEachTrip(Common& c, std::string_view path,
                const std::function<int(const char* record, std::int32_t number)>& each);

// The sort key of a trip that had `number` in the book.
std::string TripSortKey(const VetaJizdy& trip, std::int32_t number, std::string_view prefix);

struct TripSort {
    std::string path;  // the logbook, a path of the station's file system
    // Which trips take part besides the deleted ones being left out; all
    // when empty.
    std::function<bool(const VetaJizdy&)> keep;
    // The leading part of the key; none when empty. Give every trip a
    // prefix of the same length, or the date columns of two keys no longer
    // meet.
    std::function<std::string(const VetaJizdy&)> prefix;
    SortLimits limits;  // tests shrink them to reach the disk merge
};

// Sorts the trips and hands them to `take` in key order with their old
// record numbers; `take` may change the trip (the listing zeroes the
// odometer, the book recomputes it). A non-zero result of `take` ends the
// output and is returned. Otherwise the result is SortFile's: 0, or the
// code of a failed read, of the work file, or kSortTooMany. The logbook is
// only read; where the trips go is up to `take`.
int SortTrips(Common& c, const TripSort& sort,
              const std::function<int(VetaJizdy& trip, std::int32_t oldNumber)>& take);

}  // namespace kj
