#include "screens/column.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "services/cp1250.h"
#include "services/dates.h"
#include "services/field_codec.h"
#include "services/picture.h"

namespace kj {

namespace {

constexpr std::size_t kTitleMax = 50;
constexpr std::size_t kMaskMax = 30;
constexpr std::size_t kHintMax = 100;
constexpr std::size_t kValueMax = 255;

std::string Cut(std::string_view text, std::size_t n) { return std::string(text.substr(0, n)); }

std::string PadEnd(std::string text, int width) {
    if (static_cast<int>(text.size()) < width) text.append(static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

std::string PadFront(std::string text, int width) {
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

std::string BlanksToZeros(std::string text) {
    std::replace(text.begin(), text.end(), ' ', '0');
    return text;
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

int ClampWidth(int width) { return std::clamp(width, 0, kMaxFieldWidth); }

// A text or code value brought to the width the way its type aligns it; a
// longer value keeps the characters at its aligned side.
std::string AlignToWidth(FieldType type, std::string_view value, int width) {
    std::string t;
    switch (type) {
        case FieldType::TextRight: case FieldType::TextRightAlt:
            t = PadFront(StripRight(value), width);
            return t.substr(t.size() - static_cast<std::size_t>(width));
        case FieldType::CodeLeft: case FieldType::CodeLeftAlt:
            return BlanksToZeros(PadEnd(StripLeft(value), width).substr(0, static_cast<std::size_t>(width)));
        case FieldType::CodeRight: case FieldType::CodeRightAlt:
            t = BlanksToZeros(PadFront(StripRight(value), width));
            return t.substr(t.size() - static_cast<std::size_t>(width));
        default:
            return PadEnd(std::string(value), width).substr(0, static_cast<std::size_t>(width));
    }
}

void PutU64(unsigned char* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}

std::uint64_t GetU64(const unsigned char* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

std::int64_t RoundToInt64(double v) {
    if (!std::isfinite(v)) return 0;
    constexpr double kLimit = 9.2e18;
    if (v >= kLimit) return static_cast<std::int64_t>(kLimit);
    if (v <= -kLimit) return -static_cast<std::int64_t>(kLimit);
    return std::llround(v);
}

// Two-digit part of a time typed with separators.
std::string TimePart(std::string part) {
    std::string digits;
    for (char ch : part) {
        if (ch == ' ') digits += '0';
        else if (ch >= '0' && ch <= '9') digits += ch;
    }
    if (digits.empty()) return "00";
    if (digits.size() == 1) return "0" + digits;
    return digits.substr(digits.size() - 2);
}

}  // namespace

// ---- per-type conversions ----

std::string CompleteTime(std::string_view text) {
    std::string s = StripRight(text);
    bool separated = false;
    for (char& ch : s) {
        if (ch == ',' || ch == '-' || ch == '.' || ch == '/' || ch == ':') {
            ch = ':';
            separated = true;
        }
    }
    if (separated) {
        std::string parts[3];
        std::size_t k = 0;
        for (char ch : s) {
            if (ch == ':') {
                if (++k == 3) break;
            } else {
                parts[k] += ch;
            }
        }
        return TimePart(parts[0]) + TimePart(parts[1]) + TimePart(parts[2]);
    }
    std::string digits;
    for (char ch : s) {
        if (ch == ' ') digits += '0';
        else if (ch >= '0' && ch <= '9') digits += ch;
    }
    if (digits.size() % 2 == 1) digits.insert(0, "0");
    digits.resize(std::max<std::size_t>(digits.size(), 6), '0');
    return digits.substr(0, 6);
}

std::string CompleteLongDate(std::string_view text) {
    const std::string empty(8, ' ');
    std::string s;
    for (char ch : text) {
        switch (ch) {
            case ' ': continue;
            case ',': case '-': case '/': case '.': s += '.'; break;
            case 'O': case 'o': s += '0'; break;
            case 'L': case 'l': s += '1'; break;
            default: s += ch;
        }
    }
    if (s.empty()) return empty;
    std::string_view rest = s;
    auto dropDot = [&] {
        if (!rest.empty() && rest.front() == '.') rest.remove_prefix(1);
    };
    // Day and month: two characters, or one followed by its separator.
    auto pair = [&] {
        std::string p(rest.substr(0, 2));
        rest.remove_prefix(p.size());
        if (p.size() == 2 && p[1] == '.') p = std::string("0") + p[0];
        return p;
    };
    dropDot();
    const std::string day = pair();
    dropDot();
    const std::string month = pair();
    dropDot();
    std::string year(rest.substr(0, 4));
    if (year.size() <= 2) year = "20" + std::string(2 - year.size(), '0') + year;
    const std::string r = day + month + year;
    if (r.size() != 8 || !AllDigits(r) || r == "00000000" || DateInvalid(r)) return empty;
    return r;
}

std::string ShowLongDate(std::string_view date) {
    if (IsBlank(date) || date == "00000000") return std::string(10, ' ');
    return SortKeyToDotted(LongDateSortKey(date));
}

std::string NormalizeFieldText(const FieldFormat& f, std::string_view text, PenInput pen) {
    std::string t(text);
    if (pen == PenInput::On) t = PrevedKod(t);
    if (IsNumberType(f.type) || f.type == FieldType::LongDateYearFirst ||
        f.type == FieldType::LongDate)
        std::replace(t.begin(), t.end(), ',', '.');
    const int width = ClampWidth(f.width);
    switch (f.type) {
        case FieldType::Text: case FieldType::PenText: case FieldType::TextAlt:
            return StripRight(StripLeft(t));
        case FieldType::TextRight: case FieldType::TextRightAlt:
            return PadFront(StripRight(t), width);
        case FieldType::CodeLeft: case FieldType::CodeLeftAlt:
            return BlanksToZeros(PadEnd(StripLeft(t), width));
        case FieldType::CodeRight: case FieldType::CodeRightAlt:
            return BlanksToZeros(PadFront(StripRight(t), width));
        case FieldType::TextFixed: case FieldType::TextFixedAlt:
            return PadEnd(t, width).substr(0, static_cast<std::size_t>(width));
        case FieldType::DateYearFirst: case FieldType::Date:
            return DisplayDate(NormalizeDate(t));
        case FieldType::Time:
            return ShowTime(CompleteTime(t));
        case FieldType::LongDateYearFirst: case FieldType::LongDate:
            return ShowLongDate(CompleteLongDate(t));
        default:
            if (IsNumberType(f.type)) return FormatPic(f.picture, StrToFloatLoose(t));
            return t;
    }
}

std::string EncodeField(const FieldFormat& f, std::string_view value) {
    const int size = StoredSize(f.type, f.width);
    std::string out(static_cast<std::size_t>(size), '\0');
    auto* p = reinterpret_cast<unsigned char*>(out.data());
    auto shortText = [&](std::size_t capacity, std::string_view text) {
        codec::PutShortText(p, capacity, text);
    };
    if (IsTextType(f.type)) {
        const int width = ClampWidth(f.width);
        p[0] = static_cast<unsigned char>(width);
        const std::string aligned = AlignToWidth(f.type, value, width);
        std::memcpy(p + 1, aligned.data(), aligned.size());
        return out;
    }
    switch (f.type) {
        case FieldType::Byte:
            p[0] = static_cast<unsigned char>(StrToIntLoose(value) & 0xFF);
            break;
        case FieldType::Integer: case FieldType::LongInt:
            codec::PutI32(p, StrToIntLoose(value));
            break;
        case FieldType::Word:
            codec::PutU16(p, static_cast<std::uint16_t>(StrToIntLoose(value) & 0xFFFF));
            break;
        case FieldType::Real:
            codec::PutReal48(p, StrToFloatLoose(value));
            break;
        case FieldType::Double:
            PutU64(p, std::bit_cast<std::uint64_t>(StrToFloatLoose(value)));
            break;
        case FieldType::Comp:
            PutU64(p, static_cast<std::uint64_t>(RoundToInt64(StrToFloatLoose(value))));
            break;
        case FieldType::DateYearFirst:
            shortText(6, DateSortKey(NormalizeDate(value)));
            break;
        case FieldType::Date:
            shortText(6, NormalizeDate(value));
            break;
        case FieldType::Time:
            shortText(6, CompleteTime(value));
            break;
        case FieldType::LongDateYearFirst:
            shortText(8, LongDateSortKey(CompleteLongDate(value)));
            break;
        case FieldType::LongDate:
            shortText(8, CompleteLongDate(value));
            break;
        default:
            break;
    }
    return out;
}

std::string DecodeField(const FieldFormat& f, const void* stored) {
    const auto* p = static_cast<const unsigned char*>(stored);
    if (IsTextType(f.type)) {
        const int width = ClampWidth(f.width);
        return width == 0 ? std::string() : codec::GetShortText(p, static_cast<std::size_t>(width));
    }
    switch (f.type) {
        case FieldType::Byte:
            return FormatPic(f.picture, p[0]);
        case FieldType::Integer: case FieldType::LongInt:
            return FormatPic(f.picture, codec::GetI32(p));
        case FieldType::Word:
            return FormatPic(f.picture, codec::GetU16(p));
        case FieldType::Real:
            return FormatPic(f.picture, codec::GetReal48(p));
        case FieldType::Double:
            return FormatPic(f.picture, std::bit_cast<double>(GetU64(p)));
        case FieldType::Comp:
            return FormatPic(f.picture,
                             static_cast<double>(static_cast<std::int64_t>(GetU64(p))));
        case FieldType::DateYearFirst:
            return DisplayDate(DateSortKey(codec::GetShortText(p, 6)));
        case FieldType::Date:
            return DisplayDate(codec::GetShortText(p, 6));
        case FieldType::Time: {
            const std::string t = codec::GetShortText(p, 6);
            return IsBlank(t) ? std::string(8, ' ') : ShowTime(t);
        }
        case FieldType::LongDateYearFirst: {
            const std::string key = codec::GetShortText(p, 8);
            return IsBlank(key) || key == "00000000" ? std::string(10, ' ')
                                                     : SortKeyToDotted(key);
        }
        case FieldType::LongDate:
            return ShowLongDate(codec::GetShortText(p, 8));
        default:
            return {};
    }
}

// ---- columns ----

void DefinujSloupec(SloupecPopis& s, std::string_view title, int editorColumn,
                    std::string_view hint, int hintRow, int hintColumn,
                    std::string_view initialValue, std::string_view mask, int editorRow) {
    s.title = Cut(title, kTitleMax);
    s.editorColumn = editorColumn;
    s.editorRow = editorRow;
    s.hint = Cut(hint, kHintMax);
    s.hintRow = hintRow;
    s.hintColumn = hintColumn;
    s.value = Cut(initialValue, kValueMax);
    s.repeatValue = s.value;
    s.previousValue.clear();
    s.width = static_cast<int>(s.value.size());
    const ParsedMask parsed = ParseMask(mask);
    s.type = parsed.type;
    s.mask = Cut(parsed.picture, kMaskMax);
}

std::string UpravPole(const SloupecPopis& s, std::string_view text, PenInput pen) {
    return NormalizeFieldText(s.format(), text, pen);
}

std::string ZapisPole(const SloupecPopis& s) { return EncodeField(s.format(), s.value); }

std::string CtiPole(const SloupecPopis& s, const void* stored) {
    return DecodeField(s.format(), stored);
}

void SlozVetu(const Sloupce& columns, void* record) {
    auto* p = static_cast<unsigned char*>(record);
    for (const SloupecPopis& s : columns) {
        const std::string bytes = ZapisPole(s);
        std::memcpy(p, bytes.data(), bytes.size());
        p += bytes.size();
    }
}

void RozlozVetu(Sloupce& columns, const void* record) {
    const auto* p = static_cast<const unsigned char*>(record);
    for (SloupecPopis& s : columns) {
        s.value = Cut(CtiPole(s, p), kValueMax);
        p += StoredSize(s.type, s.width);
    }
}

int RecordLength(const Sloupce& columns) {
    int n = 0;
    for (const SloupecPopis& s : columns) n += StoredSize(s.type, s.width);
    return n;
}

int ColumnOffset(const Sloupce& columns, int column) {
    int n = 0;
    for (int k = 1; k < column && k <= static_cast<int>(columns.size()); ++k)
        n += StoredSize(columns[static_cast<std::size_t>(k - 1)].type,
                        columns[static_cast<std::size_t>(k - 1)].width);
    return n;
}

std::string RecordLengthMismatch(std::string_view table, const Sloupce& columns,
                                 int recordLength, int trailingBytes) {
    const int expected = RecordLength(columns) + trailingBytes;
    if (expected == recordLength) return {};
    return "Chybná délka věty tabulky "_cz + std::string(table) + ": " +
           std::to_string(recordLength) + ", sloupce dávají "_cz + std::to_string(expected);
}

}  // namespace kj
