#include "print/print_spool.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "print/print_output.h"
#include "services/cp1250.h"
#include "services/dates.h"
#include "services/file_system.h"
#include "services/io_codes.h"
#include "services/locks.h"
#include "services/picture.h"
#include "services/picture_services.h"
#include "services/record_file.h"
#include "services/sort_file.h"

namespace kj {
namespace {

constexpr int kPatternLength = 8;
constexpr std::size_t kTitleAt = 9;       // column 10
constexpr std::size_t kBarAt = 17;        // column 18
constexpr std::size_t kBarTitleAt = 18;   // column 19
constexpr std::size_t kTitleSource = 50;  // columns 10-59 or 19-68
constexpr std::size_t kSortKeyLength = 50;
constexpr int kSortRecord = static_cast<int>(kSortKeyLength) + 5;  // key and "#####"
constexpr std::size_t kCopyBlock = 1 << 20;
constexpr int kModes = 5;
constexpr int kMenuRepair = 7;
constexpr char kDeletedName[] = "########";
constexpr char kWorkExtension[] = ".tx$";

// Text padded with blanks and cut to the width, leading blanks kept.
std::string Fit(std::string_view text, std::size_t width) {
    std::string out(text.substr(0, std::min(text.size(), width)));
    out.resize(width, ' ');
    return out;
}

std::string_view Part(std::string_view text, std::size_t from, std::size_t length) {
    if (from >= text.size()) return {};
    return text.substr(from, length);
}

std::string DateOf(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    return FormatPic("@@", local.tm_mday) + FormatPic("@@", local.tm_mon + 1) +
           FormatPic("@@", (local.tm_year + 1900) % 100);
}

// The lines of a text, without their line ends.
std::vector<std::string> TextLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// Unsigned byte order of two sort records.
bool KeyLess(const char* a, const char* b) {
    return std::memcmp(a, b, static_cast<std::size_t>(kSortRecord)) < 0;
}

}  // namespace

// ---- the rules of names and titles ----

std::string SpoolName(std::string_view fileName) {
    const std::string_view base = fileName.substr(0, fileName.size() >= 4 ? fileName.size() - 4 : 0);
    std::string name = UpperCz(Fit(base, kSpoolNameWidth));
    if (const std::size_t at = name.find("ARL"); at != std::string::npos) name[at + 2] = 'l';
    return name;
}

bool SpoolTitleRule(std::string_view line, std::string_view name, std::string* title) {
    const std::string_view pattern = line.substr(0, std::min<std::size_t>(line.size(), kPatternLength));
    const std::string head = UpperCz(name.substr(0, std::min<std::size_t>(name.size(), kPatternLength)));
    if (pattern.size() != head.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (pattern[i] != '*' && head[i] != '*' && pattern[i] != head[i]) return false;
    const bool bar = line.size() > kBarAt && line[kBarAt] == '|';
    *title = Fit(Part(line, bar ? kBarTitleAt : kTitleAt, kTitleSource), kSpoolTitleWidth);
    return true;
}

// ---- the screen ----

TfSpool::TfSpool(Common& c, ScreenMetrics& metrics) : TfSoub(c, "fSpool", metrics) {
    options.enterEdits = true;
    Sloupce cols(5);
    // The name column also carries the row number in front (" ### ").
    DefinujSloupec(cols[0], "Soubor", 1, "", 0, 0, std::string(kSpoolNameWidth + 5, ' '), "X", 1);
    DefinujSloupec(cols[1], " Velikost ", 1, "", 0, 0, std::string(9, ' '), "#########I", 2);
    DefinujSloupec(cols[2], "DD.MM.RR  ", 1, "", 0, 0, std::string(6, ' '), "d", 3);
    DefinujSloupec(cols[3], "Název sestavy"_cz, 1, "", 0, 0, std::string(kSpoolTitleWidth, ' '),
                   "X", 4);
    DefinujSloupec(cols[4], "Kde leží"_cz, 1, "", 0, 0, std::string(kSpoolDirWidth, ' '), "X", 5);
    SetColumns(std::move(cols));
    SetPopupItem(1, "Dle souboru", false);
    SetPopupItem(2, "Dle velikosti");
    SetPopupItem(3, "Dle data");
    SetPopupItem(4, "Dle názvu"_cz);
    SetPopupItem(5, "Dle umístění"_cz);
    SetPopupItem(6, "-", false);
    SetPopupItem(kMenuRepair, "Sprav délku vět"_cz);
}

std::string TfSpool::Caption() { return "Seznam tiskových sestav"_cz; }

std::string TfSpool::Footer() { return " Enter,Mezera-Rožni  F8-Zruš "_cz; }

void TfSpool::Otevri() {
    Napln();
    editAllowed = addAllowed = false;
    deleteAllowed = true;
    const int count = static_cast<int>(table_.size());
    OtevriSeznam(2, 2, 126, 30, RgbColour(208, 253, 253), kColourBlack, Caption(), Footer(), 1,
                 count);
}

bool TfSpool::Ukaz() {
    if (!show) return false;
    showing_ = true;
    show(*this);
    showing_ = false;
    return true;
}

void TfSpool::Zavri() {
    Uvolni();
    table_.clear();
    table_.shrink_to_fit();
}

std::string TfSpool::ReportPath(int row) const {
    if (row < 1 || row > static_cast<int>(table_.size())) return {};
    const SpoolEntry& e = table_[static_cast<std::size_t>(row - 1)];
    return e.where + e.file;
}

// ---- filling ----

void TfSpool::Napln() {
    table_.clear();
    std::string list;
    if (FileSizeOf(c_, kSpoolDirList) >= 3 && ReadFileBytes(c_, kSpoolDirList, &list) == io::kOk) {
        for (std::string dir : TextLines(list)) {
            dir = StripRight(StripLeft(dir));
            if (dir.empty()) continue;
            if (dir.back() != '\\') dir.push_back('\\');
            ScanDirectory(dir, dir);
        }
    } else {
        ScanDirectory("", c_.fs.CurrentDir());
    }
    ApplyTitles();
    std::stable_sort(table_.begin(), table_.end(), [](const SpoolEntry& a, const SpoolEntry& b) {
        return std::lexicographical_compare(
            a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
            [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
    });
}

void TfSpool::ScanDirectory(const std::string& where, const std::string& shown) {
    std::vector<DirEntry> files;
    if (c_.fs.List(where + "*.txt", &files) != io::kOk) return;
    for (const DirEntry& f : files) {
        if (f.directory || f.size <= 0) continue;
        SpoolEntry e;
        e.name = SpoolName(f.name);
        e.file = f.name.substr(0, f.name.size() >= 4 ? f.name.size() - 4 : 0);
        e.where = where;
        e.directory = shown;
        e.size = static_cast<int>(f.size / 1000 + 1);
        e.date = DateOf(f.modified);
        e.title = std::string(kSpoolTitleWidth, ' ');
        if (static_cast<int>(table_.size()) < kSpoolMaxEntries)
            table_.push_back(std::move(e));
        else
            table_.back() = std::move(e);
    }
}

void TfSpool::ApplyTitles() {
    std::string text;
    if (ReadFileBytes(c_, ProgPath(c_, kSpoolTitles), &text) != io::kOk) return;
    const std::vector<std::string> rules = TextLines(text);
    for (SpoolEntry& e : table_) {
        std::string title;
        for (const std::string& rule : rules)
            if (SpoolTitleRule(rule, e.name, &title)) e.title = title;
    }
}

void TfSpool::Restat(SpoolEntry& e) {
    DirEntry f;
    if (c_.fs.Stat(e.where + e.file + ".txt", &f) != io::kOk) return;
    e.size = static_cast<int>(f.size / 1000 + 1);
    e.date = DateOf(f.modified);
}

// ---- record access over the table ----

void TfSpool::CtiVetu(int row) {
    if (row >= 1 && row <= static_cast<int>(table_.size()))
        veta_ = table_[static_cast<std::size_t>(row - 1)];
}

void TfSpool::CtiVetuProZobrazeni(int row) {
    if (row < 1 || row > static_cast<int>(table_.size())) return;
    zobrazena_ = table_[static_cast<std::size_t>(row - 1)];
    zobrazenyRadek_ = row;
}

void TfSpool::ZapisVetu(int row) {
    if (row >= 1 && row <= static_cast<int>(table_.size()))
        table_[static_cast<std::size_t>(row - 1)] = veta_;
}

void TfSpool::FormatujRadek() {
    const SpoolEntry& e = zobrazena_;
    Text(1) = FormatPic(" ### ", zobrazenyRadek_) + Fit(e.name, kSpoolNameWidth);
    Text(2) = FormatPic("#########", e.size);
    Text(3) = DisplayDate(e.date);
    Text(4) = Fit(e.title, kSpoolTitleWidth);
    Text(5) = Fit(e.directory, kSpoolDirWidth);
}

// ---- keys ----

void TfSpool::KlF1() { UkazNapovedu("\\2\\spool", "Seznam"); }

void TfSpool::Oprav() {
    const int row = current();
    if (row < 1 || row > count()) return;
    CtiVetu(row);
    if (veta_.Deleted()) return;
    ShowPrintFile(c_, veta_.where + veta_.file);
    // The viewer may have changed the report (lines inserted or deleted).
    Restat(veta_);
    ZapisVetu(row);
    Prekresli();
}

void TfSpool::Zrus(int /*row*/) {
    const int row = current();
    if (row < 1 || row > count()) return;
    CtiVetu(row);
    if (veta_.Deleted()) return;
    const std::string base = veta_.where + veta_.file;
    const std::string report = base + ".txt";
    // A report another station has open is deleted once it is let go; a
    // wait the user broke off deletes nothing.
    if (!Zamkni(c_, report, "W")) return;
    EraseFiles(c_, report);
    EraseFiles(c_, base + ".txz");
    Odemkni(c_, report);
    veta_.name = Fit(kDeletedName, kSpoolNameWidth);
    ZapisVetu(row);
    Prekresli();
}

void TfSpool::KlikMysi() { SetPopupItem(1, "Dle souboru", true); }

void TfSpool::PolozkaMenu(int item) {
    if (item >= 1 && item <= kModes) Setrid(item);
    else if (item == kMenuRepair) SpravDelkuVet();
}

// ---- sorting ----

std::string TfSpool::SortKey(const SpoolEntry& e, int mode) const {
    switch (mode) {
        case 1: return e.name;
        case 2: return FormatPic("##########", e.size);
        case 3: return DateSortKey(e.date);
        case 4: return e.title;
        default: return e.directory;
    }
}

void TfSpool::Setrid(int mode) {
    const int n = static_cast<int>(table_.size());
    if (mode < 1 || mode > kModes || n < 2) return;
    const int kept = current();
    if (mode == 3) dateDescending_ = !dateDescending_;
    const bool descending = mode == 3 && dateDescending_;
    // The entries stay here; the sort orders their keys, each ending with
    // the entry's position, so equal keys keep their order.
    std::vector<int> order;
    order.reserve(table_.size());
    auto feed = [&](SortEngine& sort) -> int {
        for (int i = 0; i < n; ++i) {
            const std::string key = Fit(SortKey(table_[static_cast<std::size_t>(i)], mode),
                                        kSortKeyLength) +
                                    FormatPic("#####", i + 1);
            sort.SortPut(key.data());
        }
        return io::kOk;
    };
    auto less = [descending](const char* a, const char* b) {
        return descending ? KeyLess(b, a) : KeyLess(a, b);
    };
    auto output = [&](SortEngine& sort) -> int {
        while (!sort.SortEnd()) {
            const char* record = nullptr;
            if (const int rc = sort.SortGetPtr(&record); rc != io::kOk) return rc;
            if (record == nullptr) break;
            order.push_back(StrToIntLoose(std::string_view(record + kSortKeyLength, 5)));
        }
        return io::kOk;
    };
    const int rc = SortFile(c_, kSortRecord, feed, less, output);
    if (rc != io::kOk || static_cast<int>(order.size()) != n) {
        c_.ui.BeepMessage("Chyba pri sortu");
        return;
    }
    std::vector<SpoolEntry> sorted;
    sorted.reserve(table_.size());
    int row = 1;
    for (int i = 0; i < n; ++i) {
        const int from = order[static_cast<std::size_t>(i)];
        if (from < 1 || from > n) {
            c_.ui.BeepMessage("Chyba pri sortu");
            return;
        }
        if (from == kept) row = i + 1;
        sorted.push_back(std::move(table_[static_cast<std::size_t>(from - 1)]));
    }
    table_ = std::move(sorted);
    JdiNa(row, 0);
}

// ---- "Sprav délku vět" ----

bool TfSpool::SpravDelkuVet() {
    const int row = current();
    if (row < 1 || row > count()) return false;
    CtiVetu(row);
    if (veta_.Deleted()) return false;
    const std::string report = veta_.where + veta_.file + ".txt";
    // The work file lies beside the report, so that it replaces the report
    // in one rename. It is named after the report, which this station holds
    // locked, and is no ".txt": it can be no other report, nor another
    // station's work file.
    const std::string work = veta_.where + veta_.file + kWorkExtension;
    if (!Zamkni(c_, report, "W")) return false;

    std::unique_ptr<File> in;
    std::unique_ptr<File> out;
    int rc = c_.fs.Open(report, Access::Read, Disposition::OpenExisting, Share::Shared, &in);
    if (rc == io::kOk)
        rc = c_.fs.Open(work, Access::Write, Disposition::CreateAlways, Share::Shared, &out);
    std::string pending;  // the line being read
    std::string buffer;   // finished lines waiting to be written
    auto line = [&](std::string_view text) {
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        buffer += Fit(text, kSpoolLineWidth);
        buffer += "\r\n";
        if (buffer.size() >= kCopyBlock && rc == io::kOk) {
            rc = out->Write(buffer.data(), buffer.size());
            buffer.clear();
        }
    };
    std::string block(kCopyBlock, '\0');
    while (rc == io::kOk) {
        std::size_t got = 0;
        rc = in->Read(block.data(), block.size(), &got);
        if (rc != io::kOk || got == 0) break;
        std::string_view data(block.data(), got);
        for (std::size_t at; (at = data.find('\n')) != std::string_view::npos;) {
            pending.append(data.substr(0, at));
            line(pending);
            pending.clear();
            data.remove_prefix(at + 1);
        }
        pending.append(data);
    }
    if (rc == io::kOk && !pending.empty()) line(pending);
    if (rc == io::kOk && !buffer.empty()) rc = out->Write(buffer.data(), buffer.size());
    if (in) (void)in->Close();
    if (rc == io::kOk) {
        // Synced, then renamed over the report and the directory synced: a
        // crash leaves either the old report or the whole new one.
        rc = CommitNewFile(c_.fs, out, work, report);
    } else if (out) {
        (void)out->Close();
    }
    if (rc != io::kOk) {
        // A work file that did not take the report's place goes.
        DirEntry left;
        if (c_.fs.Stat(work, &left) == io::kOk) (void)c_.fs.Remove(work);
        Odemkni(c_, report);
        c_.ui.BeepMessage("Chyba " + std::to_string(rc) + " při úpravě délky vět sestavy "_cz + report);
        return false;
    }
    Odemkni(c_, report);
    Restat(veta_);
    ZapisVetu(row);
    Prekresli();
    return true;
}

// ---- the station's spool ----

TfSpool& PrintSpoolOf(Common& c) {
    if (!c.printSpool) c.printSpool = std::make_shared<TfSpool>(c);
    return *c.printSpool;
}

void ShowPrintSpool(Common& c) {
    TfSpool& spool = PrintSpoolOf(c);
    if (spool.showing()) return;
    spool.Otevri();
    spool.Ukaz();
    spool.Zavri();
}

}  // namespace kj
