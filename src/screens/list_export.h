#pragma once
// Exports of a table browser: Ctrl+E writes a ";"-separated text file for
// spreadsheets and word processors, Ctrl+D a dBASE III file.
//
// The browser stays the owner of its file, marks and record buffer: it
// says which rows to export (ExportRows), gives a reader that returns the
// record of a row as its CtiVetu leaves it, and clears its marks in the
// afterLastRecord hook (or after the call). Each record is split into the
// column values with RozlozVetu on a copy of the column list, so the
// browser's own values are untouched.
//
// Text file "XLS\" + data file name without directory and extension,
// upper-cased, + ".CSV" (working directory), Windows-1250, lines ending
// CR LF:
//   line 1  every column's title + ";"
//   line 2  every column's number "@@" + ";"
//   then    per record, every column's display text + ";": numbers (types
//           5-8, 11, 12, 14) with their first "." as ","; short dates (9,
//           10) without points (DDMMRR); text, code and date types (0-4, 9,
//           10, 15-17, 20-24) in double quotes, a quote inside doubled.
// No rows: nothing is written and nothing shown.
//
// dBASE III file "\VELTOR3W\" + data file name up to its first ".",
// upper-cased, + ".DBF" (current drive): 32-byte header, one 32-byte field
// descriptor per column, 0x0D, records (a blank deletion flag and the
// fields), 0x1A; the header is written first with 0 records and rewritten
// with the final count at the end. Choices:
//   - header date bytes: the export day (c.now) as year - 1900, month, day;
//     byte 29 (language driver) 0xC8, Windows-1250, so readers decode the
//     Czech letters; the other reserved bytes are 0;
//   - field names: the title upper-cased (UpperCz, letters with diacritics
//     kept), everything before its first letter dropped, every character
//     other than a letter or digit made "_" (a run of them one "_"), cut
//     to 10, "_" at the end dropped; an empty name becomes "SLOUPEC" + the
//     column number "@@"; a name already taken ends in "_" + the column
//     number "@@" instead (">Místo ", "DD.MM.RR" -> "MÍSTO", "DD_MM_RR");
//   - "C": text and code types 0-4, 17 and the lower-case types 20-24, the
//     column width (1..254), the value padded with blanks or cut; time
//     (type 13) is "C" of 8 holding HH:MM:SS;
//   - "N": number types, the column width (1..19), decimals = the digit
//     places ("#", "@") after the picture's decimal point (at most width
//     - 2); the value read from the display text, right-aligned with "."
//     as the point, a value too wide for the field written as "*"s;
//   - "D": date types 9, 10, 15, 16, 8 characters RRRRMMDD; a stored
//     two-digit year is 2000 + RR, as everywhere in the system; an empty
//     or impossible date is 8 blanks.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "screens/column.h"
#include "services/common.h"

namespace kj {

// What an export needs of the browser.
struct ExportSource {
    // The table's data file name as the browser was given it ("kj_auta.dta").
    std::string fileName;
    const Sloupce* columns = nullptr;
    // Rows to export, in order (see ExportRows).
    std::vector<std::int32_t> rows;
    // The record of a row (1-based), as the browser's CtiVetu leaves the
    // record buffer; a record shorter than the columns need is zero-filled.
    // An empty text (a failed read) repeats the previous record, as the
    // browser's buffer, which a failed read leaves as it was, would.
    std::function<std::string(std::int32_t row)> readRecord;
    // Optional: called after the last record, before the file is closed
    // and the final message is shown; the browser clears its marks here.
    std::function<void()> afterLastRecord;
};

struct ExportResult {
    int code = 0;              // first DOS code met (0 = success)
    std::string path;          // file written, "" when nothing was written
    std::int32_t records = 0;  // records written
};

// Rows 1..count that are marked when markedCount > 0, otherwise every row.
// `isMarked` is asked by row (the browser maps a row to its stored record).
std::vector<std::int32_t> ExportRows(std::int32_t count, std::int32_t markedCount,
                                     const std::function<bool(std::int32_t row)>& isMarked);

// "XLS\" + name + "CSV" and "\VELTOR3W\" + name + ".DBF" for a data file.
std::string ExcelExportPath(std::string_view dataFile);
std::string DbfExportPath(std::string_view dataFile);

// One record line of the text file (without the line end) from the
// columns' current values.
std::string ExcelRecordLine(const Sloupce& columns);

// Ctrl+E. Busy notice "Vytvoření souboru " + path + " pro EXCEL,WORD", at
// the end "Soubor " + path + " pro EXCEL,WORD je vytvořen" with a beep. A
// failure to create or write is shown as "Chyba" + code + " při zápisu " +
// path and returned; the marks hook then does not run.
ExportResult WriteExcelExport(Common& c, const ExportSource& source);

// A dBASE field as the export declares it.
struct DbfField {
    std::string name;  // at most 10 characters
    char type = 'C';   // 'C', 'N' or 'D'
    int length = 0;
    int decimals = 0;
};
std::vector<DbfField> DbfFields(const Sloupce& columns);
// The field bytes (exactly field.length) of a column's current value.
std::string DbfValue(const SloupecPopis& column, const DbfField& field);

// Ctrl+D. Busy notice "Vytvoření souboru " + path + " do DBF", at the end
// "Soubor " + path + " je vytvořen"; failures as for the text file. With
// no rows the file holds the header and the field descriptors only.
ExportResult WriteDbfExport(Common& c, const ExportSource& source);

}  // namespace kj
