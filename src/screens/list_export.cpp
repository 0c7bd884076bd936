// Exports of a table browser: the ";"-separated text file and the dBASE III
// file.

#include "screens/list_export.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <set>

#include "services/cp1250.h"
#include "services/dates.h"
#include "services/field_codec.h"
#include "services/io_codes.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj {
namespace {

constexpr std::size_t kFlushBytes = 64 * 1024;
constexpr int kProgressStep = 100;

// The last component of a path ("C:\data\kj_auta.dta" -> "kj_auta.dta").
std::string_view BaseName(std::string_view path) {
    const auto pos = path.find_last_of("\\:");
    return pos == std::string_view::npos ? path : path.substr(pos + 1);
}

// Output file written in large pieces; the first failure is kept and
// every later call does nothing.
class Output {
public:
    Output(Common& c, const std::string& path) {
        ForceDirs(c, path);
        code_ = c.fs.Open(path, Access::Write, Disposition::CreateAlways, Share::Shared, &file_);
    }
    ~Output() {
        if (file_) (void)file_->Close();
    }
    int code() const { return code_; }

    void Put(std::string_view bytes) {
        if (code_ != io::kOk) return;
        buffer_.append(bytes);
        if (buffer_.size() >= kFlushBytes) Flush();
    }
    void Flush() {
        if (code_ != io::kOk || buffer_.empty()) return;
        code_ = file_->Write(buffer_.data(), buffer_.size());
        buffer_.clear();
    }
    // Writes `bytes` at `offset` after flushing what is pending.
    void PutAt(std::uint64_t offset, std::string_view bytes) {
        Flush();
        if (code_ != io::kOk) return;
        code_ = file_->Seek(offset);
        if (code_ == io::kOk) code_ = file_->Write(bytes.data(), bytes.size());
    }
    int Close() {
        Flush();
        if (file_) {
            const int rc = file_->Close();
            file_.reset();
            if (code_ == io::kOk) code_ = rc;
        }
        return code_;
    }

private:
    std::unique_ptr<File> file_;
    std::string buffer_;
    int code_ = io::kOk;
};

bool IsQuotedType(FieldType t) {
    return IsTextType(t) || t == FieldType::DateYearFirst || t == FieldType::Date ||
           t == FieldType::LongDateYearFirst || t == FieldType::LongDate;
}

// The record of a row split into a working copy of the columns.
void LoadRow(const ExportSource& source, Sloupce& work, std::int32_t row, std::string& record) {
    const std::size_t need = static_cast<std::size_t>(RecordLength(work));
    std::string got = source.readRecord ? source.readRecord(row) : std::string();
    // A failed read leaves the record as it was: the previous one is kept.
    if (!got.empty() || record.empty()) record = std::move(got);
    if (record.size() < need) record.resize(need, '\0');
    RozlozVetu(work, record.data());
}

void ReportFailure(Common& c, const std::string& path, int code) {
    c.ui.CloseBusy();
    c.ui.BeepMessage("Chyba" + FormatPic("######", code) + " při zápisu "_cz + path);
}

// ---- dBASE ----

bool IsNameLetter(unsigned char ch) {
    if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z')) return true;
    if (ch >= 0xC0) return ch != 0xD7 && ch != 0xF7;
    switch (ch) {
        case 0x8A: case 0x8C: case 0x8D: case 0x8E: case 0x8F: case 0x9A: case 0x9C:
        case 0x9D: case 0x9E: case 0x9F: case 0xA3: case 0xA5: case 0xAA: case 0xAF:
        case 0xB3: case 0xB9: case 0xBA: case 0xBC: case 0xBE: case 0xBF:
            return true;
        default:
            return false;
    }
}

bool IsDigitChar(unsigned char ch) { return ch >= '0' && ch <= '9'; }

std::string FieldName(std::string_view title) {
    const std::string upper = UpperCz(title);
    std::string name;
    bool started = false;
    for (char ch : upper) {
        const auto u = static_cast<unsigned char>(ch);
        if (!started) {
            if (!IsNameLetter(u)) continue;
            started = true;
        }
        if (IsNameLetter(u) || IsDigitChar(u)) {
            name.push_back(ch);
        } else if (name.back() != '_') {
            name.push_back('_');
        }
    }
    if (name.size() > 10) name.resize(10);
    while (!name.empty() && name.back() == '_') name.pop_back();
    return name;
}

// Digit places after the picture's decimal point.
int PictureDecimals(std::string_view picture) {
    const auto point = picture.find_first_of(".,");
    if (point == std::string_view::npos) return 0;
    int n = 0;
    for (char ch : picture.substr(point + 1))
        if (ch == '#' || ch == '@') ++n;
    return n;
}

std::string Padded(std::string_view text, int length) {
    std::string out(text.substr(0, static_cast<std::size_t>(length)));
    out.resize(static_cast<std::size_t>(length), ' ');
    return out;
}

// RRRRMMDD of a shown date (DD.MM.RR or DD.MM.RRRR); 8 blanks when empty
// or impossible.
std::string DbfDate(FieldType type, std::string_view shown) {
    const std::string blank(8, ' ');
    std::string digits;
    if (type == FieldType::DateYearFirst || type == FieldType::Date) {
        const std::string ddmmrr = NormalizeDate(UndotDate(shown));
        if (RemoveSpaces(ddmmrr).empty() || DateInvalid(ddmmrr)) return blank;
        digits = Date6To8(ddmmrr);
    } else {
        if (shown.size() < 10) return blank;
        digits = std::string(shown.substr(0, 2)) + std::string(shown.substr(3, 2)) +
                 std::string(shown.substr(6, 4));
        if (RemoveSpaces(digits).size() != 8 || DateInvalid(digits)) return blank;
    }
    if (digits.size() != 8) return blank;
    return LongDateSortKey(digits);
}

std::string DbfHeader(std::time_t now, std::uint32_t records, const std::vector<DbfField>& fields) {
    std::string h(32, '\0');
    auto* p = reinterpret_cast<unsigned char*>(h.data());
    std::tm tm{};
    localtime_r(&now, &tm);
    p[0] = 0x03;
    p[1] = static_cast<unsigned char>(tm.tm_year & 0xFF);
    p[2] = static_cast<unsigned char>(tm.tm_mon + 1);
    p[3] = static_cast<unsigned char>(tm.tm_mday);
    codec::PutU32(p + 4, records);
    codec::PutU16(p + 8, static_cast<std::uint16_t>(32 + 32 * fields.size() + 1));
    int recordLength = 1;
    for (const DbfField& f : fields) recordLength += f.length;
    codec::PutU16(p + 10, static_cast<std::uint16_t>(recordLength));
    p[29] = 0xC8;  // language driver: Windows-1250
    return h;
}

std::string DbfDescriptor(const DbfField& f) {
    std::string d(32, '\0');
    d.replace(0, f.name.size(), f.name);
    d[11] = f.type;
    d[16] = static_cast<char>(f.length);
    d[17] = static_cast<char>(f.decimals);
    return d;
}

}  // namespace

std::vector<std::int32_t> ExportRows(std::int32_t count, std::int32_t markedCount,
                                     const std::function<bool(std::int32_t row)>& isMarked) {
    std::vector<std::int32_t> rows;
    for (std::int32_t row = 1; row <= count; ++row)
        if (markedCount <= 0 || (isMarked && isMarked(row))) rows.push_back(row);
    return rows;
}

std::string ExcelExportPath(std::string_view dataFile) {
    std::string_view base = BaseName(dataFile);
    base = base.substr(0, base.size() >= 3 ? base.size() - 3 : 0);
    return "XLS\\" + UpperCz(base) + "CSV";
}

std::string DbfExportPath(std::string_view dataFile) {
    std::string_view base = BaseName(dataFile);
    base = base.substr(0, base.find('.'));
    return "\\VELTOR3W\\" + UpperCz(base) + ".DBF";
}

std::string ExcelRecordLine(const Sloupce& columns) {
    std::string line;
    for (const SloupecPopis& s : columns) {
        std::string text = s.value;
        if (IsNumberType(s.type)) {
            if (auto point = text.find('.'); point != std::string::npos) text[point] = ',';
        } else if (s.type == FieldType::DateYearFirst || s.type == FieldType::Date) {
            text = UndotDate(text);
        }
        if (IsQuotedType(s.type)) {
            std::string quoted = "\"";
            for (char ch : text) {
                if (ch == '"') quoted.push_back('"');
                quoted.push_back(ch);
            }
            text = quoted + "\"";
        }
        line += text;
        line += ';';
    }
    return line;
}

ExportResult WriteExcelExport(Common& c, const ExportSource& source) {
    ExportResult result;
    if (source.rows.empty() || !source.columns) return result;
    const std::string path = ExcelExportPath(source.fileName);
    c.ui.ShowBusy("Vytvoření souboru "_cz + path + " pro EXCEL,WORD");

    Output out(c, path);
    Sloupce work = *source.columns;
    std::string titles, numbers;
    for (std::size_t k = 0; k < work.size(); ++k) {
        titles += work[k].title + ";";
        numbers += FormatPic("@@", static_cast<double>(k + 1)) + ";";
    }
    out.Put(titles + "\r\n" + numbers + "\r\n");
    std::string record;
    const int total = static_cast<int>(source.rows.size());
    for (int i = 0; i < total && out.code() == io::kOk; ++i) {
        LoadRow(source, work, source.rows[static_cast<std::size_t>(i)], record);
        out.Put(ExcelRecordLine(work) + "\r\n");
        ++result.records;
        if ((i + 1) % kProgressStep == 0) c.ui.SetBusyProgress(total, i + 1);
    }
    out.Flush();
    if (out.code() == io::kOk && source.afterLastRecord) source.afterLastRecord();
    result.code = out.Close();
    if (result.code != io::kOk) {
        ReportFailure(c, path, result.code);
        return result;
    }
    result.path = path;
    c.ui.CloseBusy();
    c.ui.BeepMessage("Soubor " + path + " pro EXCEL,WORD je vytvořen"_cz);
    return result;
}

std::vector<DbfField> DbfFields(const Sloupce& columns) {
    std::vector<DbfField> fields;
    std::set<std::string> taken;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const SloupecPopis& s = columns[k];
        const std::string number = FormatPic("@@", static_cast<double>(k + 1));
        DbfField f;
        f.name = FieldName(s.title);
        if (f.name.empty()) f.name = "SLOUPEC" + number;
        if (taken.count(f.name)) {
            f.name = f.name.substr(0, 7);
            f.name += "_" + number;
        }
        taken.insert(f.name);
        if (IsNumberType(s.type)) {
            f.type = 'N';
            f.length = std::clamp(s.width, 1, 19);
            f.decimals = std::min(PictureDecimals(s.mask), std::max(f.length - 2, 0));
        } else if (s.type == FieldType::DateYearFirst || s.type == FieldType::Date ||
                   s.type == FieldType::LongDateYearFirst || s.type == FieldType::LongDate) {
            f.type = 'D';
            f.length = 8;
        } else if (s.type == FieldType::Time) {
            f.type = 'C';
            f.length = 8;
        } else {
            f.type = 'C';
            f.length = std::clamp(s.width, 1, 254);
        }
        fields.push_back(f);
    }
    return fields;
}

std::string DbfValue(const SloupecPopis& column, const DbfField& field) {
    switch (field.type) {
        case 'N': {
            double v = StrToFloatLoose(column.value);
            const double scale = std::pow(10.0, field.decimals);
            if (std::round(v * scale) == 0) v = 0;  // no "-0.00"
            char buf[64];
            std::snprintf(buf, sizeof buf, "%*.*f", field.length, field.decimals, v);
            std::string text(buf);
            if (static_cast<int>(text.size()) > field.length)
                return std::string(static_cast<std::size_t>(field.length), '*');
            return text;
        }
        case 'D':
            return DbfDate(column.type, column.value);
        default:
            return Padded(column.value, field.length);
    }
}

ExportResult WriteDbfExport(Common& c, const ExportSource& source) {
    ExportResult result;
    if (!source.columns) return result;
    const std::string path = DbfExportPath(source.fileName);
    c.ui.ShowBusy("Vytvoření souboru "_cz + path + " do DBF");

    Sloupce work = *source.columns;
    const std::vector<DbfField> fields = DbfFields(work);
    const std::time_t now = c.now();
    Output out(c, path);
    out.Put(DbfHeader(now, 0, fields));
    for (const DbfField& f : fields) out.Put(DbfDescriptor(f));
    out.Put("\x0D");
    std::string record;
    const int total = static_cast<int>(source.rows.size());
    for (int i = 0; i < total && out.code() == io::kOk; ++i) {
        LoadRow(source, work, source.rows[static_cast<std::size_t>(i)], record);
        std::string line = " ";
        for (std::size_t k = 0; k < work.size(); ++k) line += DbfValue(work[k], fields[k]);
        out.Put(line);
        ++result.records;
        if ((i + 1) % kProgressStep == 0) c.ui.SetBusyProgress(total, i + 1);
    }
    out.Put("\x1A");
    out.PutAt(0, DbfHeader(now, static_cast<std::uint32_t>(result.records), fields));
    if (out.code() == io::kOk && source.afterLastRecord) source.afterLastRecord();
    result.code = out.Close();
    if (result.code != io::kOk) {
        ReportFailure(c, path, result.code);
        return result;
    }
    result.path = path;
    c.ui.CloseBusy();
    c.ui.BeepMessage("Soubor " + path + " je vytvořen"_cz);
    return result;
}

}  // namespace kj
