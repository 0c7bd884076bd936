#pragma once
// Sorting a table browser by one of its columns without touching the data
// file: the order is kept in an index file next to it.
//
// Each record gives one 59-byte entry of the work file "pracovni.wrk"
// (current directory): a short string of capacity 50 holding the sort key,
// then the record number twice (32-bit little-endian). The key is the
// column's date as year-month-day for short dates (types 9, 10), the long
// date year first for types 15 and 16, otherwise the Czech collation key of
// the column's text; in every case followed by the record number "#####",
// so equal values keep the stored order. The work file is sorted by the
// key and only the 8 bytes of record numbers of each entry are written to
// the index file: entry n names the stored record shown in row n.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "screens/column.h"
#include "services/common.h"

namespace kj {

inline constexpr int kSortKeyMax = 50;
inline constexpr int kSortEntrySize = 59;  // 1 + 50 + 4 + 4
inline constexpr int kIndexEntrySize = 8;
inline constexpr int kIndexSlots = 4;
inline constexpr const char* kSortWorkFile = "pracovni.wrk";

// Index file `slot` (1..4) of a data file: its full path with the last
// character replaced by the slot digit ("...\KJMISTA.DTA" -> "...\KJMISTA.DT1").
std::string IndexFilePath(std::string_view dataPath, int slot);

// The key of one record (column value as RozlozVetu left it), at most 50
// characters.
std::string ColumnSortKey(const SloupecPopis& column, std::int32_t record);

// The first column (1-based) whose title without trailing blanks equals
// `title` without trailing blanks; 0 when none.
int ColumnByTitle(const Sloupce& columns, std::string_view title);

// Reads stored record n (1-based) into `record`; a DOS code on failure.
using RecordReader = std::function<int(std::int32_t n, std::string& record)>;

// Builds "pracovni.wrk" for records 1..count split into a copy of
// `columns`, sorts it by column `column` and writes the index file `slot`.
// Returns 0 or the first DOS / sort code; on failure the index file is
// left as it was.
int BuildColumnIndex(Common& c, std::string_view dataPath, const Sloupce& columns, int column,
                     std::int32_t count, const RecordReader& read, int slot = 1);

// The entries of an index file (first record number of each); an absent
// file gives none. Returns the DOS code of a failed read (0 otherwise).
int ReadIndexFile(Common& c, std::string_view path, std::vector<std::int32_t>* entries);
// Appends one entry holding `record` twice.
int AppendIndexEntry(Common& c, std::string_view path, std::int32_t record);

}  // namespace kj
