#pragma once
// Parameter files (lines key + " : " + value) and the job table "master.job".

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "services/common.h"
#include "services/field_codec.h"

namespace kj {

// ---- text parameter files ----

// Lines of key + " : " + value ending CR LF. A ":" in a key is stored as "~".
// Line breaks inside a key or value would split the line; they are stored
// as blanks. A stored line is at most kRegLineMax characters (the value is
// cut), a value read at most kRegValueMax.
inline constexpr std::size_t kRegLineMax = 255;
inline constexpr std::size_t kRegValueMax = 250;
// At most this many lines are handled by SetReg; a file that holds them all
// receives no new line.
inline constexpr std::size_t kRegMaxLines = 10000;

// The value of `key`; "" when the file or the key is absent.
std::string GetReg(Common& c, std::string_view file, std::string_view key);
// Stores, replaces or (empty or blank value) removes a key, rewriting the
// file in place: a same-length line is overwritten, a changed length blanks
// the old line and takes a blank line of exactly the new length (else the
// line is appended). When the file is full the old line is kept rather than
// blanked. Empty key: compaction (blank lines removed, written through a
// temporary file so a failure never leaves half a file).
void SetReg(Common& c, std::string_view file, std::string_view key, std::string_view value);

// ---- job table ----

namespace jobtable {
inline constexpr std::size_t kEntrySize = 18;
inline constexpr std::size_t kEntries = 200;
inline constexpr std::size_t kSize = kEntries * kEntrySize;  // 3,600 bytes
inline constexpr std::size_t kOldEntries = 101;
inline constexpr std::size_t kOldSize = kOldEntries * kEntrySize;  // 1,818 bytes
inline constexpr std::size_t kTextMax = 8;  // key and value capacity
inline constexpr std::array<codec::FieldSpec, 2> kEntryFields = {{
    {"key", 0, 9},    // text of capacity 8; empty = free entry
    {"value", 9, 9},  // text of capacity 8
}};
inline constexpr const codec::FieldSpec& kKey = codec::FieldNamed(kEntryFields, "key");
inline constexpr const codec::FieldSpec& kValue = codec::FieldNamed(kEntryFields, "value");
static_assert(codec::TilesRecord(kEntryFields, kEntrySize));

// The 3,600 bytes of the table in file `path`: a 1,818-byte file is widened
// on disk first (zeros appended, the old entries untouched); a shorter file
// reads as far as it goes; a file that cannot be opened reads as zeros.
std::string ReadFile(Common& c, std::string_view path);
// "master.job" when that file is at least 2 bytes long, else the data
// directory's.
std::string Location(Common& c);
}  // namespace jobtable

// Value of `key` (trailing blanks removed), "" when absent. The key compares
// unchanged: a key longer than 8 characters is never found.
std::string GetJob(Common& c, std::string_view key);
// Stores the value (cut to 8) or, when it is empty or blank, frees the
// entry. A key that GetJob could never find (empty, longer than 8) is
// refused, as each call would take another entry. A table that exists but
// cannot be opened is reported and left alone.
void SetJob(Common& c, std::string_view key, std::string_view value);
// The same on directory + "master.job" (directory "" or ending "\"); the key
// is cut to 8. GetJobIn gives "" for a file shorter than 2 bytes.
std::string GetJobIn(Common& c, std::string_view directory, std::string_view key);
void SetJobIn(Common& c, std::string_view directory, std::string_view key, std::string_view value);

// ---- start-up ----

// Customer switches: "ZAK1" of the job table (without diacritics, upper
// case) is compared by prefix with the installation's list of up to 14
// prefixes, each naming one of the flags 1..12. The list is configuration:
// keys "ZakPrefix1" .. "ZakPrefix14" of "par\sys.par", each value a prefix
// of 3 to 8 letters, a blank and the flag number ("VELTOR 3").
inline constexpr int kCustomerPrefixes = 14;
inline constexpr int kCustomerFlags = 12;
// The customer flag that switches the reading pen on with End in the
// rolling list.
inline constexpr int kPenOnEndFlag = 1;

// Reads the start-up settings into c.set (and the lock state into c.lock).
// Without a "master.job" of at least 2 bytes in the current directory
// nothing is read.
void InitCommon(Common& c);

}  // namespace kj
