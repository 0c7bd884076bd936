#pragma once
// Detection of a record changed by another station while it was being
// edited (Oprav): the record is taken before the editor opens and compared
// with the record read again when the editor is accepted.
//
// The browser's check is the checksum S1/S2, the sum of the record's bytes
// as unsigned values. A sum misses changes that cancel out (two bytes
// swapped, one raised and another lowered by as much), and the edit of the
// other station would then be overwritten silently; RecordStamp therefore
// keeps the record's bytes as well and compares them too.

#include <cstddef>
#include <cstdint>
#include <string>

#include "services/common.h"

namespace kj {

// The sum of all bytes of the record as unsigned values.
std::uint32_t RecordChecksum(const void* record, std::size_t length);

// The record as it was when the edit began.
struct RecordStamp {
    std::uint32_t sum = 0;
    std::string bytes;

    static RecordStamp Of(const void* record, std::size_t length);
    // True when `record` is byte for byte the stamped one.
    bool Matches(const void* record, std::size_t length) const;
};

// Oprav step 5 after the second read: true when the record is unchanged;
// otherwise "Vaše opravy neplatí, větu změnil jiný uživatel" is shown and
// the edit must not be written.
bool ConfirmUnchanged(Common& c, const RecordStamp& before, const void* record,
                      std::size_t length);

}  // namespace kj
