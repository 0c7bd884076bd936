#pragma once
// On-disk layouts of the lock register "FOT.tab" and of the user names
// "JMENA.tab". Both are made of short texts: a length byte followed by the
// characters, capacity n taking n + 1 bytes; bytes past the length are
// written as zeros.
//
// FOT.tab, one per directory that holds locked files, no header:
//   99 entries of 20 bytes (1,980 bytes)
//   offset  0  name     capacity 12   file name, upper-cased, blank-padded
//   offset 13  station  capacity 4    2-digit station and two blanks
//   offset 18  mode     capacity 1    "R", "W", or " " in a free entry
// A free entry holds 12 blanks, 4 blanks and one blank. The older table of
// 23 entries (460 bytes) is read as far as it goes, the rest taken as free;
// every write stores the full 1,980 bytes.
//
// JMENA.tab, in the program directory: 100 records of 25 bytes, record n
// (from 0) the user name of station n, capacity 24.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "services/field_codec.h"

namespace kj::locktab {

// One entry of FOT.tab.
inline constexpr std::array<codec::FieldSpec, 3> kEntryFields = {{
    {"name", 0, 13},     // capacity 12
    {"station", 13, 5},  // capacity 4
    {"mode", 18, 2},     // capacity 1
}};
inline constexpr const codec::FieldSpec& kName = codec::FieldNamed(kEntryFields, "name");
inline constexpr const codec::FieldSpec& kStation = codec::FieldNamed(kEntryFields, "station");
inline constexpr const codec::FieldSpec& kMode = codec::FieldNamed(kEntryFields, "mode");
inline constexpr std::size_t kNameCap = kName.size - 1;
inline constexpr std::size_t kStationCap = kStation.size - 1;
inline constexpr std::size_t kEntrySize = 20;
inline constexpr std::size_t kEntries = 99;
inline constexpr std::size_t kTableSize = kEntries * kEntrySize;  // 1,980
inline constexpr std::size_t kOldEntries = 23;                    // 460 bytes
static_assert(codec::TilesRecord(kEntryFields, kEntrySize));

// One record of JMENA.tab.
inline constexpr std::size_t kUserNameCap = 24;
inline constexpr std::size_t kUserNameRecord = kUserNameCap + 1;  // 25
inline constexpr std::size_t kUserNameRecords = 100;

struct Entry {
    std::string name;     // 12 characters
    std::string station;  // 4 characters
    std::string mode;     // "R", "W" or " "
    // An entry is free when its name begins with a blank. An empty name
    // (a zeroed entry) matches no file either and counts as free too.
    bool IsFree() const { return name.empty() || name[0] == ' '; }
};

using Table = std::array<Entry, kEntries>;

Entry FreeEntry();
// Entries not wholly present in `bytes` are free.
Table DecodeTable(std::string_view bytes);
// Always kTableSize bytes.
std::string EncodeTable(const Table& table);

}  // namespace kj::locktab
