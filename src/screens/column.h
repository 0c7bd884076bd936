#pragma once
// Columns of a table and the mask language.
//
// A table is an ordered list of column descriptors, each filled by one
// DefinujSloupec call. Everything else follows from that list: the layout of
// the fixed-length record (the columns' stored forms one after another from
// byte 0), the text shown for a stored value, and how a typed text is
// normalised when its field is left.
//
// Mask letters (first character of the mask) and their type codes:
//   "X" 0 text left   "Y" 1 text right   "L" 2 code left, blanks as "0"
//   "P" 3 code right, blanks as "0"      " " 4 text cut to the width
//   "D" 9 date stored year first         "d" 10 date stored as typed
//   "T"/"t" 13 time   "Q" 15 long date stored year first   "q" 16 long date
//   "K" 17 reading-pen text   "x" 20, "y" 21, "l" 22, "p" 23, "m" 24 as
//   their capitals (the lower-case letters are separate codes only).
// A mask beginning with "#" or "@" is a number picture whose last character
// names the stored number and is cut off: "B" 5 (1 byte), "I" 6 and "L" 7
// (4 bytes), "R" 8 (6-byte real), "W" 11 (2 bytes), "D" 12 (double), "C" 14
// (64-bit integer); any other last character leaves a text column (type 0)
// whose mask keeps only the picture ("##Z" -> "##"). A mask with an unknown
// first character is a text column keeping its mask.
//
// Stored sizes: text and code types width + 1 (a length byte and exactly
// width characters); dates and times 7 (length byte and 6 characters);
// long dates 9; numbers 1, 4, 4, 6, 2, 8, 8 bytes as above.
//
// Completion of partly typed times and long dates (types 13, 15, 16):
//   - time: ",", "-", "." and "/" act as ":". Trailing blanks are dropped,
//     every other blank counts as "0", other non-digits are dropped. With
//     separators each part is hours, minutes, seconds: one digit gets a
//     leading "0", a longer part keeps its last two digits, a missing part
//     is "00" ("7.5" -> 07:05:00). Without separators the digits are pairs
//     HHMMSS from the left, an odd count first getting a leading "0", and
//     missing pairs are "00" ("730" -> 07:30:00, "1230" -> 12:30:00). An
//     empty text gives 00:00:00; the time is not range-checked.
//   - long date: read like NormalizeDate (day, month, then up to four year
//     digits, "." "," "-" "/" between the parts, "O"/"l" for 0/1). A year
//     of at most two digits means 2000 + RR; a date that is then not a
//     valid DDMMRRRR (centuries 19 and 20 only) is empty: eight blanks
//     stored, ten blanks shown. Long dates are shown DD.MM.RRRR, also in
//     the edit box after normalising.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "screens/pen_code.h"

namespace kj {

enum class FieldType : std::uint8_t {
    Text = 0,                // "X"
    TextRight = 1,           // "Y"
    CodeLeft = 2,            // "L"
    CodeRight = 3,           // "P"
    TextFixed = 4,           // " "
    Byte = 5,                // "#..B"
    Integer = 6,             // "#..I"
    LongInt = 7,             // "#..L"
    Real = 8,                // "#..R"
    DateYearFirst = 9,       // "D"
    Date = 10,               // "d"
    Word = 11,               // "#..W"
    Double = 12,             // "#..D"
    Time = 13,               // "T", "t"
    Comp = 14,               // "#..C"
    LongDateYearFirst = 15,  // "Q"
    LongDate = 16,           // "q"
    PenText = 17,            // "K"
    TextAlt = 20,            // "x"
    TextRightAlt = 21,       // "y"
    CodeLeftAlt = 22,        // "l"
    CodeRightAlt = 23,       // "p"
    TextFixedAlt = 24,       // "m"
};

constexpr int TypeCode(FieldType t) { return static_cast<int>(t); }

// Text and code types: stored as a length byte and width characters.
constexpr bool IsTextType(FieldType t) {
    switch (t) {
        case FieldType::Text: case FieldType::TextRight: case FieldType::CodeLeft:
        case FieldType::CodeRight: case FieldType::TextFixed: case FieldType::PenText:
        case FieldType::TextAlt: case FieldType::TextRightAlt: case FieldType::CodeLeftAlt:
        case FieldType::CodeRightAlt: case FieldType::TextFixedAlt:
            return true;
        default:
            return false;
    }
}

// Numbers shown through a picture (types 5-8, 11, 12, 14).
constexpr bool IsNumberType(FieldType t) {
    switch (t) {
        case FieldType::Byte: case FieldType::Integer: case FieldType::LongInt:
        case FieldType::Real: case FieldType::Word: case FieldType::Double: case FieldType::Comp:
            return true;
        default:
            return false;
    }
}

// Short dates and the time: their boxes and grid columns are wider.
constexpr bool IsShortDateOrTime(FieldType t) {
    return t == FieldType::DateYearFirst || t == FieldType::Date || t == FieldType::Time;
}

struct ParsedMask {
    FieldType type = FieldType::Text;
    std::string_view picture;  // what is left of the mask after the type letter
};

constexpr ParsedMask ParseMask(std::string_view mask) {
    if (mask.empty()) return {FieldType::Text, mask};
    const char first = mask.front();
    if (first == '#' || first == '@') {
        const std::string_view pic = mask.substr(0, mask.size() - 1);
        switch (mask.back()) {
            case 'B': return {FieldType::Byte, pic};
            case 'I': return {FieldType::Integer, pic};
            case 'L': return {FieldType::LongInt, pic};
            case 'R': return {FieldType::Real, pic};
            case 'W': return {FieldType::Word, pic};
            case 'D': return {FieldType::Double, pic};
            case 'C': return {FieldType::Comp, pic};
            default: return {FieldType::Text, pic};
        }
    }
    const std::string_view rest = mask.substr(1);
    switch (first) {
        case 'X': return {FieldType::Text, rest};
        case 'Y': return {FieldType::TextRight, rest};
        case 'L': return {FieldType::CodeLeft, rest};
        case 'P': return {FieldType::CodeRight, rest};
        case ' ': return {FieldType::TextFixed, rest};
        case 'D': return {FieldType::DateYearFirst, rest};
        case 'd': return {FieldType::Date, rest};
        case 'T': case 't': return {FieldType::Time, rest};
        case 'Q': return {FieldType::LongDateYearFirst, rest};
        case 'q': return {FieldType::LongDate, rest};
        case 'K': return {FieldType::PenText, rest};
        case 'x': return {FieldType::TextAlt, rest};
        case 'y': return {FieldType::TextRightAlt, rest};
        case 'l': return {FieldType::CodeLeftAlt, rest};
        case 'p': return {FieldType::CodeRightAlt, rest};
        case 'm': return {FieldType::TextFixedAlt, rest};
        default: return {FieldType::Text, mask};
    }
}

inline constexpr int kMaxFieldWidth = 255;

// Bytes a field of this type and width takes in a record.
constexpr int StoredSize(FieldType type, int width) {
    if (IsTextType(type)) {
        if (width < 0) width = 0;
        if (width > kMaxFieldWidth) width = kMaxFieldWidth;
        return width + 1;
    }
    switch (type) {
        case FieldType::Byte: return 1;
        case FieldType::Integer: case FieldType::LongInt: return 4;
        case FieldType::Word: return 2;
        case FieldType::Real: return 6;
        case FieldType::Double: case FieldType::Comp: return 8;
        case FieldType::DateYearFirst: case FieldType::Date: case FieldType::Time: return 7;
        case FieldType::LongDateYearFirst: case FieldType::LongDate: return 9;
        default: return width + 1;
    }
}

// Stored size of a column declared with this mask and an initial value of
// `width` characters; usable in static_assert of a table's record length.
constexpr int StoredSizeOfMask(std::string_view mask, int width) {
    return StoredSize(ParseMask(mask).type, width);
}

// Width of the editor's edit box in cells and of a grid column in
// characters.
constexpr int EditBoxCells(FieldType type, int width) {
    return width + 2 + (IsShortDateOrTime(type) ? 2 : 0);
}
constexpr int GridColumnChars(FieldType type, int width) {
    return width + 1 + (IsShortDateOrTime(type) ? 1 : 0);
}

// What the per-type conversions need to know of a field.
struct FieldFormat {
    FieldType type = FieldType::Text;
    int width = 0;
    std::string_view picture;
};

// The editing rule: a typed text normalised by the field's type.
std::string NormalizeFieldText(const FieldFormat& f, std::string_view text, PenInput pen);
// The stored form of a value: exactly StoredSize bytes.
std::string EncodeField(const FieldFormat& f, std::string_view value);
// The display text of a stored value (reads StoredSize bytes at `stored`).
std::string DecodeField(const FieldFormat& f, const void* stored);

// Time completion to HHMMSS and long-date completion to DDMMRRRR (eight
// blanks when empty or impossible); see the header comment.
std::string CompleteTime(std::string_view text);
std::string CompleteLongDate(std::string_view text);
// DDMMRRRR as DD.MM.RRRR; ten blanks for an empty date.
std::string ShowLongDate(std::string_view date);

// Column descriptor. Columns are numbered from 1: column k of a table is
// element k - 1 of its vector.
struct SloupecPopis {
    std::string title;          // at most 50 characters, shown as given
    int editorColumn = 0;       // cell column of the editor label
    int editorRow = 0;          // cell row of the editor label
    FieldType type = FieldType::Text;
    std::string mask;           // the picture left after the type letter, at most 30
    std::string hint;           // at most 100 characters
    int width = 0;              // characters of the field
    std::string value;          // current text, at most 255
    std::string repeatValue;    // value of the last record written (F12)
    std::string previousValue;  // value before the current edit
    int hintColumn = 0;         // 0 = no hint label
    int hintRow = 0;

    FieldFormat format() const { return {type, width, mask}; }
};

using Sloupce = std::vector<SloupecPopis>;

// Fills one descriptor. The width is the length of the initial value, which
// is also the value and the repeat value.
void DefinujSloupec(SloupecPopis& s, std::string_view title, int editorColumn,
                    std::string_view hint, int hintRow, int hintColumn,
                    std::string_view initialValue, std::string_view mask, int editorRow);

std::string UpravPole(const SloupecPopis& s, std::string_view text, PenInput pen = PenInput::Off);
std::string ZapisPole(const SloupecPopis& s);
std::string CtiPole(const SloupecPopis& s, const void* stored);
// The columns' stored forms from byte 0 of `record`, which must hold
// RecordLength(columns) bytes.
void SlozVetu(const Sloupce& columns, void* record);
// The inverse: every column's value from its stored form in `record`.
void RozlozVetu(Sloupce& columns, const void* record);

// Sum of the columns' stored sizes.
int RecordLength(const Sloupce& columns);
// Byte offset of column k (1-based) in the record.
int ColumnOffset(const Sloupce& columns, int column);
// A table checks its declared record length once at start-up: "" when it
// equals the columns' stored sizes plus the bytes the table keeps after
// its last column, else the message to show.
std::string RecordLengthMismatch(std::string_view table, const Sloupce& columns,
                                 int recordLength, int trailingBytes = 0);

}  // namespace kj
