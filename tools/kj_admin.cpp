// The administrator's tool of an installation: looks into the shared files
// of a data directory through the same services and layouts as the program,
// removes the lock entries that a crashed station left behind, dumps any
// table, checks the odometer chains of the logbooks, runs the logbook
// reports without a screen and tells what is known of the stations and the
// lock server.
//
//   kj_admin [--names DIR] locks DIR
//   kj_admin [--names DIR] unlock DIR STATION
//   kj_admin protocol [--last N] DIR
//   kj_admin [--names DIR] users DIR
//   kj_admin dump [--layout NAME] [--sep C] FILE
//   kj_admin chain FILE|DIR
//   kj_admin report [--root DIR] [--from DDMMRR] [--to DDMMRR] [--notes|--no-notes]
//                   [--tolerance P] [--price C] [--pdf FILE] WORKDIR SPZ 1|2
//   kj_admin [--names DIR] server DIR|ADDRESS
//   kj_admin [--names DIR] stations DIR
//
// DIR is a host directory (the data directory, or any directory holding
// locked files); --names names the program directory with "JMENA.tab" (user
// names of the stations), by default DIR itself. Output is UTF-8; exit code
// 0 on success, 1 when a file cannot be read or written (or a server cannot
// be reached), 2 on wrong use.
//
// The shared tables are opened exclusively, as the stations open them, so
// that a table is never read or written half-way through a station's change;
// a station holds them only for a moment, so the tool waits a few seconds at
// most. Record files are read shared and without locks, so that looking
// never makes a station wait. Nothing is created: a missing table is
// reported, not made. Only "report" acts as a station (the one whose working
// directory it is given) and takes that station's locks.

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "logbook/car_list.h"
#include "logbook/destinations.h"
#include "logbook/logbook_reports.h"
#include "logbook/meal_rates.h"
#include "logbook/places.h"
#include "logbook/purposes.h"
#include "logbook/trip_record.h"
#include "screens/column.h"
#include "services/common.h"
#include "services/cp1250.h"
#include "services/dates.h"
#include "services/dialog_rules.h"
#include "services/field_codec.h"
#include "services/file_system.h"
#include "services/io_codes.h"
#include "services/lock_client.h"
#include "services/lock_socket.h"
#include "services/lock_table.h"
#include "services/locks.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/record_file.h"
#include "services/scripted_dialogs.h"

namespace {

using namespace kj;
namespace stdfs = std::filesystem;

constexpr int kExclusiveTries = 250;  // x 20 ms: 5 s
constexpr std::size_t kProtocolRecord = 80;
constexpr std::size_t kUserWords = 100;
constexpr int kServerWaitMs = 3000;   // connecting to the lock server, and its reply

struct Args {
    std::string namesDir;
    long last = -1;
    std::map<std::string, std::string, std::less<>> options;  // the other options
    std::vector<std::string> rest;  // command and its operands

    bool Has(std::string_view name) const { return options.find(name) != options.end(); }
    std::string Get(std::string_view name) const {
        auto it = options.find(name);
        return it == options.end() ? std::string() : it->second;
    }
};

void Out(const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fputc('\n', stdout);
}

void Err(const std::string& utf8) {
    std::fflush(stdout);  // what was written so far comes first, also into one pipe
    std::string line = "kj_admin: " + utf8 + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

std::string U(std::string_view cp1250) {
    return Cp1250ToUtf8(cp1250);
}

std::string Pad(std::string s, std::size_t width) {
    // Width in characters of the UTF-8 text.
    std::size_t chars = 0;
    for (unsigned char ch : s)
        if ((ch & 0xC0) != 0x80) ++chars;
    if (chars < width) s.append(width - chars, ' ');
    return s;
}

std::string PadLeft(const std::string& s, std::size_t width) {
    return s.size() < width ? std::string(width - s.size(), ' ') + s : s;
}

std::string TrimRight(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

// The absolute form of a host directory (unchanged when it does not exist:
// the opens then report it).
std::string Absolute(const std::string& dir) {
    char resolved[4096];
    return ::realpath(dir.c_str(), resolved) != nullptr ? std::string(resolved) : dir;
}

// One directory of the installation seen through the program's services:
// relative names resolve in DIR, "\JMENA.tab" in the names directory.
struct Place {
    Place(const std::string& dir, const std::string& namesDir)
        : fs(Absolute(dir), Absolute(namesDir.empty() ? dir : namesDir)), c(fs, ui) {
        c.progDirCache = "\\";
    }
    HostFileSystem fs;
    StderrDialogs ui;
    Common c;

    std::string Host(std::string_view name) const { return fs.HostPath(name); }

    // The user name of a station; "" without a names table (it is not made).
    std::string User(const std::string& station) {
        DirEntry e;
        if (fs.Stat(ProgPath(c, "JMENA.tab"), &e) != io::kOk) return "";
        return TrimRight(U(UserName(c, station)));
    }

    // Opens a shared table exclusively, waiting a few seconds at most while
    // a station holds it. The DOS code of the last attempt.
    int OpenExclusive(std::string_view name, Access access, std::unique_ptr<File>* f) {
        int rc = io::kOk;
        for (int i = 0; i < kExclusiveTries; ++i) {
            rc = fs.Open(name, access, Disposition::OpenExisting, Share::Exclusive, f);
            if (rc != io::kSharingViolation) return rc;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return rc;
    }
};

std::string OpenError(const Place& p, std::string_view name, int rc) {
    if (rc == io::kFileNotFound || rc == io::kPathNotFound)
        return p.Host(name) + " neexistuje";
    if (rc == io::kSharingViolation)
        return p.Host(name) + " drží stále jiná stanice, zkuste to znovu";
    return p.Host(name) + ": chyba " + std::to_string(rc);
}

// The whole file; false with the message written.
bool ReadAll(const Place& p, std::string_view name, File& f, std::string* bytes) {
    std::int64_t size = 0;
    int rc = f.Size(&size);
    if (rc == io::kOk) {
        bytes->assign(static_cast<std::size_t>(size), '\0');
        std::size_t got = 0;
        rc = f.Read(bytes->data(), bytes->size(), &got);
        bytes->resize(got);
    }
    if (rc != io::kOk) Err(p.Host(name) + ": chyba čtení " + std::to_string(rc));
    return rc == io::kOk;
}

// A file of the place read whole, shared; the DOS code (messages are the
// caller's).
int ReadShared(Place& p, std::string_view name, std::string* bytes) {
    std::unique_ptr<File> f;
    int rc = p.fs.Open(name, Access::Read, Disposition::OpenExisting, Share::Shared, &f);
    if (rc != io::kOk) return rc;
    std::int64_t size = 0;
    rc = f->Size(&size);
    if (rc == io::kOk) {
        bytes->assign(static_cast<std::size_t>(size), '\0');
        std::size_t got = 0;
        rc = f->Read(bytes->data(), bytes->size(), &got);
        bytes->resize(got);
    }
    const int closed = f->Close();
    return rc != io::kOk ? rc : closed;
}

// Calls `each` with every whole record of `len` bytes of an open file and
// its number (from 1), reading in large blocks; `tail` receives the bytes of
// an incomplete last record. The DOS code.
int ForEachRecord(File& f, std::size_t len, const std::function<void(const char*, long)>& each,
                  std::size_t* tail) {
    std::int64_t size = 0;
    int rc = f.Size(&size);
    if (rc != io::kOk) return rc;
    const std::uint64_t records = static_cast<std::uint64_t>(size) / len;
    *tail = static_cast<std::size_t>(static_cast<std::uint64_t>(size) % len);
    const std::size_t perBlock = std::max<std::size_t>(1, (1 << 20) / len);
    std::string block(perBlock * len, '\0');
    long number = 0;
    for (std::uint64_t at = 0; at < records;) {
        const std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(records - at, perBlock));
        std::size_t got = 0;
        rc = f.Read(block.data(), k * len, &got);
        if (rc == io::kOk && got != k * len) rc = io::kReadPastEnd;
        if (rc != io::kOk) return rc;
        for (std::size_t i = 0; i < k; ++i) each(block.data() + i * len, ++number);
        at += k;
    }
    return io::kOk;
}

// A host file path split into the place of its directory and its name in
// the program's code page.
struct HostFile {
    std::string dir;
    std::string name;  // Windows-1250
};

HostFile SplitHostFile(const std::string& path) {
    const stdfs::path p(path);
    std::string dir = p.parent_path().string();
    return {dir.empty() ? "." : dir, Utf8ToCp1250(p.filename().string())};
}

// "1", "01" -> "01"; "" when not a station number 0..99.
std::string StationNumber(std::string_view text) {
    int n = -1;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n < 0 || n > 99 ||
        text.size() > 2)
        return "";
    return FormatPic("@@", n);
}

// The number of a station field ("03  "), -1 when it holds none.
int StationOf(std::string_view station) {
    if (station.size() < 2 || station[0] < '0' || station[0] > '9' || station[1] < '0' ||
        station[1] > '9')
        return -1;
    return (station[0] - '0') * 10 + (station[1] - '0');
}

// A number as the tool shows it: whole numbers without decimals, others
// with two.
std::string Num(double v) {
    const long long h = std::llround(v * 100);
    char b[64];
    if (h % 100 == 0)
        std::snprintf(b, sizeof b, "%lld", h / 100);
    else
        std::snprintf(b, sizeof b, "%.2f", static_cast<double>(h) / 100);
    return b;
}

// ---- the job table, read without changing it ----

// The value of `key` in a job table's bytes, trailing blanks removed; ""
// when absent.
std::string JobValue(std::string_view table, std::string_view key) {
    for (std::size_t off = 0; off + jobtable::kEntrySize <= table.size(); off += jobtable::kEntrySize) {
        const char* e = table.data() + off;
        if (codec::GetText(e, jobtable::kKey) == key)
            return StripRight(codec::GetText(e, jobtable::kValue));
    }
    return {};
}

// The lock-server address of a data directory: "SERVER1" + "SERVER2" of its
// "master.job", as the stations join them.
std::string ServerAddressOf(Place& p) {
    std::string table;
    if (ReadShared(p, "master.job", &table) != io::kOk) return {};
    return (JobValue(table, "SERVER1") + JobValue(table, "SERVER2")).substr(0, 16);
}
void PrintEntries(Place& p, const std::vector<std::pair<std::size_t, locktab::Entry>>& entries) {
    Out(" pol.  soubor        stanice  režim  uživatel");
    for (const auto& [index, e] : entries) {
        char num[16];
        std::snprintf(num, sizeof num, "%5zu", index + 1);
        Out(std::string(num) + "  " + Pad(U(TrimRight(e.name)), 12) + "  " +
            Pad(U(TrimRight(e.station)), 7) + "  " + Pad(U(e.mode), 5) + "  " +
            p.User(e.station));
    }
}

int Locks(const Args& a) {
    if (a.rest.size() != 2) return 2;
    Place p(a.rest[1], a.namesDir);
    std::unique_ptr<File> f;
    int rc = p.OpenExclusive("FOT.tab", Access::Read, &f);
    if (rc == io::kFileNotFound) {
        Out("V adresáři " + a.rest[1] + " není tabulka sdílení FOT.tab: žádné zámky.");
        return 0;
    }
    if (rc != io::kOk) {
        Err(OpenError(p, "FOT.tab", rc));
        return 1;
    }
    std::string bytes;
    bool ok = ReadAll(p, "FOT.tab", *f, &bytes);
    (void)f->Close();
    if (!ok) return 1;
    locktab::Table table = locktab::DecodeTable(bytes);
    std::vector<std::pair<std::size_t, locktab::Entry>> used;
    for (std::size_t i = 0; i < table.size(); ++i)
        if (!table[i].IsFree()) used.emplace_back(i, table[i]);
    Out("Tabulka sdílení " + p.Host("FOT.tab") + " (" + std::to_string(bytes.size()) +
        " bajtů)");
    if (bytes.size() < locktab::kTableSize)
        Out("Starší nebo zkrácená tabulka: chybějící položky se berou jako volné.");
    if (used.empty()) {
        Out("Žádné zámky.");
        return 0;
    }
    PrintEntries(p, used);
    Out("Obsazeno položek: " + std::to_string(used.size()) + " z " +
        std::to_string(locktab::kEntries));
    return 0;
}

int Unlock(const Args& a) {
    if (a.rest.size() != 3) return 2;
    const std::string station = StationNumber(a.rest[2]);
    if (station.empty()) {
        Err("číslo stanice musí být 0 až 99: " + a.rest[2]);
        return 2;
    }
    Place p(a.rest[1], a.namesDir);
    std::unique_ptr<File> f;
    int rc = p.OpenExclusive("FOT.tab", Access::ReadWrite, &f);
    if (rc != io::kOk) {
        Err(OpenError(p, "FOT.tab", rc));
        return 1;
    }
    std::string bytes;
    if (!ReadAll(p, "FOT.tab", *f, &bytes)) {
        (void)f->Close();
        return 1;
    }
    locktab::Table table = locktab::DecodeTable(bytes);
    std::vector<std::pair<std::size_t, locktab::Entry>> removed;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].IsFree() || table[i].station.substr(0, 2) != station) continue;
        removed.emplace_back(i, table[i]);
        table[i] = locktab::FreeEntry();
    }
    if (!removed.empty()) {
        // The whole table, in its full size, as the stations write it.
        const std::string out = locktab::EncodeTable(table);
        rc = f->Seek(0);
        if (rc == io::kOk) rc = f->Write(out.data(), out.size());
    }
    int closed = f->Close();
    if (rc == io::kOk) rc = closed;
    if (rc != io::kOk) {
        Err(p.Host("FOT.tab") + ": chyba zápisu " + std::to_string(rc) +
            ", zámky stanice zůstávají");
        return 1;
    }
    if (removed.empty()) {
        Out("Stanice " + station + " nemá v " + p.Host("FOT.tab") + " žádné zámky.");
        return 0;
    }
    Out("Odstraněné zámky stanice " + station + " z " + p.Host("FOT.tab") + ":");
    PrintEntries(p, removed);
    Out("Odstraněno zámků: " + std::to_string(removed.size()));
    return 0;
}

int Protocol(const Args& a) {
    if (a.rest.size() != 2) return 2;
    Place p(a.rest[1], "");
    const std::string name = "PROTOKOL.PRT";
    std::unique_ptr<File> f;
    int rc = p.fs.Open(name, Access::Read, Disposition::OpenExisting, Share::Shared, &f);
    if (rc != io::kOk) {
        Err(OpenError(p, name, rc));
        return 1;
    }
    std::int64_t size = 0;
    rc = f->Size(&size);
    const std::uint64_t records =
        rc == io::kOk ? static_cast<std::uint64_t>(size) / kProtocolRecord : 0;
    std::uint64_t first = 0;
    if (a.last >= 0 && static_cast<std::uint64_t>(a.last) < records)
        first = records - static_cast<std::uint64_t>(a.last);
    if (rc == io::kOk) rc = f->Seek(first * kProtocolRecord);
    // Block by block, so that a protocol of years is no burden.
    std::string block(kProtocolRecord * 512, '\0');
    for (std::uint64_t at = first; rc == io::kOk && at < records;) {
        std::size_t want = static_cast<std::size_t>(
            std::min<std::uint64_t>(records - at, 512) * kProtocolRecord);
        std::size_t got = 0;
        rc = f->Read(block.data(), want, &got);
        if (rc == io::kOk && got < want) rc = io::kReadPastEnd;
        for (std::size_t off = 0; off + kProtocolRecord <= got; off += kProtocolRecord)
            Out(U(TrimRight(codec::GetShortText(block.data() + off, kProtocolRecord - 1))));
        at += got / kProtocolRecord;
    }
    (void)f->Close();
    if (rc != io::kOk) {
        Err(p.Host(name) + ": chyba čtení " + std::to_string(rc));
        return 1;
    }
    if (size % static_cast<std::int64_t>(kProtocolRecord) != 0)
        Err("neúplný poslední záznam protokolu (" +
            std::to_string(size % static_cast<std::int64_t>(kProtocolRecord)) +
            " bajtů) vynechán");
    return 0;
}

int Users(const Args& a) {
    if (a.rest.size() != 2) return 2;
    Place p(a.rest[1], a.namesDir);
    const std::string name = "UZIVATEL.tab";
    std::unique_ptr<File> f;
    int rc = p.OpenExclusive(name, Access::Read, &f);
    if (rc != io::kOk) {
        Err(OpenError(p, name, rc));
        return 1;
    }
    std::string bytes;
    bool ok = ReadAll(p, name, *f, &bytes);
    (void)f->Close();
    if (!ok) return 1;
    Out("Tabulka uživatelů " + p.Host(name) + " (" + std::to_string(bytes.size()) + " bajtů)");
    if (bytes.size() < 2 * kUserWords)
        Out("Tabulka je kratší než 200 bajtů: chybějící slova se berou jako 0.");
    bytes.resize(2 * kUserWords, '\0');
    auto word = [&](std::size_t n) { return codec::GetU16(bytes.data() + 2 * n); };
    Out("Slovo 0: " + std::to_string(word(0)) +
        (word(0) != 0 ? " (hlavní program moduly nehlídá)" : " (hlavní program hlídá moduly)"));
    int listed = 0;
    for (std::size_t n = 1; n < kUserWords; ++n) {
        if (word(n) == 0) continue;
        if (listed++ == 0) Out(" stanice  hodnota  uživatel");
        const std::string station = FormatPic("@@", static_cast<int>(n));
        Out("      " + station + "     " + FormatPic("@@@@", word(n)) + "  " +
            p.User(station + "  "));
    }
    Out(listed == 0 ? "Žádná stanice nemá nastavenou hodnotu."
                    : "Stanic s hodnotou: " + std::to_string(listed));
    return 0;
}


// ---- dump: any table as UTF-8 CSV ----

// One column of a dumped table: its title, where its stored form lies and
// how it is read.
struct DumpColumn {
    std::string title;  // UTF-8
    std::size_t offset;
    std::size_t size;
    FieldType type;
};

struct TableLayout {
    std::string_view key;       // the name --layout takes
    std::string_view what;      // for the messages
    std::size_t record;
    std::vector<DumpColumn> columns;
    std::string_view numberTitle = "věta";
    long firstNumber = 1;       // the number of the first record
    bool deletionMark = false;  // "." at offset 1 marks a deleted record
    // Free entries of a table of fixed slots, which are left out.
    std::function<bool(const char*)> unused;
};

// The columns of a list as the program declares them: the editor titles
// without the ">" that marks a lookup field.
template <std::size_t N>
std::vector<DumpColumn> Declared(const std::array<ColumnDecl, N>& decls) {
    std::vector<DumpColumn> out;
    for (const ColumnDecl& d : decls) {
        std::string title(d.title);
        if (!title.empty() && title.front() == '>') title.erase(0, 1);
        out.push_back({TrimRight(title), d.field.offset, d.field.size, ParseMask(d.mask).type});
    }
    return out;
}

DumpColumn TextField(std::string title, const codec::FieldSpec& f) {
    return {std::move(title), f.offset, f.size, FieldType::Text};
}

bool BlankText(const char* record, const codec::FieldSpec& f) {
    return StripRight(codec::GetText(record, f)).empty();
}

const std::vector<TableLayout>& Layouts() {
    static const codec::FieldSpec kUserName{"name", 0, locktab::kUserNameRecord};
    static const codec::FieldSpec kProtocolText{"text", 0, kProtocolRecord};
    static const std::vector<TableLayout> layouts = {
        {"vozidla", "seznam vozidel", auta::kLength, Declared(auta::kColumns), "věta", 1, true, {}},
        {"ucely", "účely jízd", ucel::kLength, Declared(ucel::kColumns), "věta", 1, true, {}},
        {"mista", "místa", mista::kLength, Declared(mista::kColumns), "věta", 1, true, {}},
        {"stravne", "sazby stravného", strav::kLength, Declared(strav::kColumns), "věta", 1, true,
         {}},
        {"cile", "cíle", cile::kLength, Declared(cile::kColumns), "věta", 1, true, {}},
        {"jizdy", "kniha jízd", jizdy::kLength, Declared(jizdy::kColumns), "věta", 1, true, {}},
        {"job", "tabulka master.job", jobtable::kEntrySize,
         {TextField("klíč", jobtable::kKey), TextField("hodnota", jobtable::kValue)},
         "položka", 1, false,
         [](const char* r) { return codec::GetText(r, jobtable::kKey).empty(); }},
        {"zamky", "tabulka sdílení FOT.tab", locktab::kEntrySize,
         {TextField("soubor", locktab::kName), TextField("stanice", locktab::kStation),
          TextField("režim", locktab::kMode)},
         "položka", 1, false, [](const char* r) { return BlankText(r, locktab::kName); }},
        {"jmena", "jména uživatelů JMENA.tab", locktab::kUserNameRecord,
         {TextField("uživatel", kUserName)}, "stanice", 0, false,
         [](const char* r) { return BlankText(r, kUserName); }},
        {"uzivatele", "tabulka uživatelů UZIVATEL.tab", 2, {{"hodnota", 0, 2, FieldType::Word}},
         "stanice", 0, false, [](const char* r) { return codec::GetU16(r) == 0; }},
        {"protokol", "protokol událostí", kProtocolRecord, {TextField("záznam", kProtocolText)},
         "věta", 1, false, {}},
    };
    return layouts;
}

const TableLayout* LayoutNamed(std::string_view key) {
    for (const TableLayout& l : Layouts())
        if (l.key == key) return &l;
    return nullptr;
}

std::string Lower(std::string_view text) {
    std::string s(text);
    for (char& ch : s)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return s;
}

// The layout of a file by its name; null with `why` set when the name
// tells none. Every ".dta" that is not one of the lists, the calendar or a
// parameter file is a car's logbook.
const TableLayout* LayoutOfFile(std::string_view name, std::string* why) {
    static const std::map<std::string, std::string_view, std::less<>> byName = {
        {"kj_auta.dta", "vozidla"},  {"kjucel.dta", "ucely"},     {"kjmista.dta", "mista"},
        {"kjstra.dta", "stravne"},   {"kjcile.dta", "cile"},      {"cile_vyb.wrk", "cile"},
        {"kj_j_g.wrk", "jizdy"},     {"kj_jizdy.srt", "jizdy"},   {"master.job", "job"},
        {"fot.tab", "zamky"},        {"jmena.tab", "jmena"},      {"uzivatel.tab", "uzivatele"},
        {"protokol.prt", "protokol"},
    };
    const std::string lower = Lower(name);
    if (auto it = byName.find(lower); it != byName.end()) return LayoutNamed(it->second);
    if (lower == "ucparam.dta" || lower == "kjpar.dta" || lower == "registry.dta") {
        *why = "je soubor parametrů (řádky klíč : hodnota), ne tabulka vět";
        return nullptr;
    }
    if (lower == "kalendar.dta") {
        *why = "je kalendář pracovních dnů (bit na den), ne tabulka vět";
        return nullptr;
    }
    if (lower.size() > 4 && lower.ends_with(".dta")) return LayoutNamed("jizdy");
    *why = "podle jména nelze určit skladbu vět; zadejte ji volbou --layout";
    return nullptr;
}

// A stored text for the CSV: blanks and zeros at its end dropped, control
// characters shown as U+FFFD.
std::string CsvText(std::string_view cp1250) {
    std::string s = TrimRight(std::string(cp1250));
    std::string out;
    for (char ch : s) {
        if (static_cast<unsigned char>(ch) < 0x20)
            out += "\xEF\xBF\xBD";
        else
            out += U(std::string_view(&ch, 1));
    }
    return out;
}

// A 6-byte real with the fewest decimals that store back as the same
// value, so a dump hides nothing and shows 4.2 as 4.2.
std::string RealText(const char* stored) {
    const double v = codec::GetReal48(stored);
    char buf[128];
    for (int decimals = 0; decimals <= 45; ++decimals) {
        std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
        char back[codec::kReal48Size];
        codec::PutReal48(back, std::strtod(buf, nullptr));
        if (codec::GetReal48(back) == v) return buf;
    }
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

std::string FieldValue(const char* record, const DumpColumn& col) {
    const char* p = record + col.offset;
    switch (col.type) {
        case FieldType::Real:
            return RealText(p);
        case FieldType::Word:
            return std::to_string(codec::GetU16(p));
        default:  // texts, codes, dates and times: short texts as stored
            return CsvText(codec::GetShortText(p, col.size - 1));
    }
}

// RFC 4180: a field holding the separator, a quote or a line end is
// quoted, and so is one beginning or ending with a blank, which a
// spreadsheet would otherwise drop.
std::string CsvField(const std::string& value, char sep) {
    const bool quote = value.find_first_of(std::string{sep, '"', '\r', '\n'}) != std::string::npos ||
                       (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!quote) return value;
    std::string out = "\"";
    for (char ch : value) {
        if (ch == '"') out += '"';
        out += ch;
    }
    return out + "\"";
}

std::string CsvLine(const std::vector<std::string>& fields, char sep) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += sep;
        line += CsvField(fields[i], sep);
    }
    return line;
}

int Dump(const Args& a) {
    if (a.rest.size() != 2) return 2;
    char sep = ',';
    if (a.Has("--sep")) {
        const std::string s = a.Get("--sep");
        if (s == "tab" || s == "\\t") {
            sep = '\t';
        } else if (s.size() == 1 && s[0] != '"' && s[0] != '\r' && s[0] != '\n') {
            sep = s[0];
        } else {
            Err("--sep potřebuje jeden znak (nebo tab): " + s);
            return 2;
        }
    }
    const HostFile file = SplitHostFile(a.rest[1]);
    const TableLayout* layout = nullptr;
    if (a.Has("--layout")) {
        layout = LayoutNamed(a.Get("--layout"));
        if (!layout) {
            std::string known;
            for (const TableLayout& l : Layouts()) known += (known.empty() ? "" : ", ") + std::string(l.key);
            Err("neznámá skladba " + a.Get("--layout") + "; známé jsou: " + known);
            return 2;
        }
    } else {
        std::string why;
        layout = LayoutOfFile(U(file.name), &why);
        if (!layout) {
            Err(a.rest[1] + " " + why);
            return 2;
        }
    }
    Place p(file.dir, "");
    std::unique_ptr<File> f;
    int rc = p.fs.Open(file.name, Access::Read, Disposition::OpenExisting, Share::Shared, &f);
    if (rc != io::kOk) {
        Err(OpenError(p, file.name, rc));
        return 1;
    }
    std::vector<std::string> header = {std::string(layout->numberTitle)};
    if (layout->deletionMark) header.push_back("zrušená");
    for (const DumpColumn& col : layout->columns) header.push_back(col.title);
    Out(CsvLine(header, sep));
    std::size_t tail = 0;
    rc = ForEachRecord(*f, layout->record, [&](const char* rec, long number) {
        if (layout->unused && layout->unused(rec)) return;
        std::vector<std::string> fields = {std::to_string(number - 1 + layout->firstNumber)};
        if (layout->deletionMark) fields.push_back(IsDeletedRecord(rec) ? "ano" : "");
        for (const DumpColumn& col : layout->columns) fields.push_back(FieldValue(rec, col));
        Out(CsvLine(fields, sep));
    }, &tail);
    (void)f->Close();
    if (rc != io::kOk) {
        Err(p.Host(file.name) + ": chyba čtení " + std::to_string(rc));
        return 1;
    }
    if (tail != 0) {
        // Either not this layout, or the end of the file was torn.
        Err(p.Host(file.name) + ": délka není násobkem délky věty " +
            std::to_string(layout->record) + " bajtů (" + std::string(layout->what) +
            "), neúplná poslední věta (" + std::to_string(tail) + " bajtů) vynechána");
        return 1;
    }
    return 0;
}

// ---- chain: the odometer chain of a logbook ----

// The stored date as DD.MM.RR, the letters of a generated date kept.
std::string StoredDate(const std::string& date) {
    if (date.size() != 6) return "\"" + U(date) + "\"";
    return U(date.substr(0, 2) + "." + date.substr(2, 2) + "." + date.substr(4, 2));
}

// Walks one logbook in file order and prints its breaks:
//   - a record marked deleted (it leaves the book at the next sort);
//   - a date the program cannot read;
//   - a record that sorts before the one above it (date as RRMMDD, then
//     departure hour: the key of the book sort);
//   - a reading that is not the previous reading plus the record's business
//     and private km (compared in hundredths). The chain starts at the
//     first record with a reading other than 0; records before it are not
//     checked. After a break the chain goes on from the record's own
//     reading, so one wrong reading shows as two breaks (it and the record
//     after it) and a real jump of the odometer as one; a reading of 0 is
//     no reading at all, and the chain goes on from the one expected.
// Returns the DOS code of reading; `breaks` counts what was printed, `torn`
// tells that the file ends in an incomplete record.
int CheckBook(Place& p, std::string_view name, const std::string& title, long* breaks,
              bool* torn) {
    std::unique_ptr<File> f;
    int rc = p.fs.Open(name, Access::Read, Disposition::OpenExisting, Share::Shared, &f);
    if (rc != io::kOk) return rc;
    std::vector<std::string> lines;
    auto report = [&](long number, const std::string& text) {
        lines.push_back("  věta " + std::to_string(number) + text);
        ++*breaks;
    };
    bool started = false;
    double reading = 0;
    long startNumber = 0;
    double startReading = 0;
    std::string prevKey, prevShown;
    long prevNumber = 0;
    long count = 0;
    std::size_t tail = 0;
    rc = ForEachRecord(*f, jizdy::kLength, [&](const char* rec, long number) {
        count = number;
        const VetaJizdy t = VetaJizdy::From(rec);
        if (t.Zruseny()) {
            report(number, ": zrušená, zmizí při příštím seřazení knihy");
            return;
        }
        const std::string date = t.Datum();
        const std::string hour = FormatPic("@@.@@", t.CasOdjezdu());
        const std::string shown = ", " + StoredDate(date);
        // A generated trip's date holds an "O" for the year's 0 ("0105O5"),
        // a typed one may hold an "l" for a 1; the program reads both as
        // the digits, and so does the chain.
        std::string digits = date;
        for (std::size_t pos : {0u, 4u}) {
            if (pos < digits.size() && digits[pos] == 'O') digits[pos] = '0';
            if (pos < digits.size() && digits[pos] == 'l') digits[pos] = '1';
        }
        if (DateInvalid(digits)) report(number, shown + ": chybné datum");
        const std::string key = DateSortKey(date) + hour;
        if (prevNumber > 0 && key < prevKey)
            report(number, shown + " " + hour + ": datum a hodina odjezdu před předchozí jízdou (věta " +
                               std::to_string(prevNumber) + prevShown + ")");
        prevKey = key;
        prevShown = shown + " " + hour;
        prevNumber = number;

        const double km = t.KmSluzebni() + t.KmSoukrome();
        const double own = t.StavTachometru();
        if (!started) {
            if (own == 0) return;
            started = true;
            reading = own;
            startNumber = number;
            startReading = own;
            return;
        }
        const double expected = reading + km;
        if (std::llround(own * 100) == std::llround(expected * 100)) {
            reading = own;
            return;
        }
        const std::string why = "čekáno " + Num(expected) + " (předchozí " + Num(reading) +
                                " + " + Num(km) + " km)";
        if (own == 0) {
            report(number, shown + ": bez stavu tachometru, " + why);
            reading = expected;
            return;
        }
        const double diff = own - expected;
        report(number, shown + ": stav tachometru " + Num(own) + " nenavazuje, " + why +
                           ", rozdíl " + (diff > 0 ? "+" : "") + Num(diff));
        reading = own;
    }, &tail);
    (void)f->Close();
    if (rc != io::kOk) return rc;
    Out(title + ": " + std::to_string(count) + " vět");
    for (const std::string& l : lines) Out(l);
    if (tail != 0) {
        Out("  konec souboru: neúplná věta (" + std::to_string(tail) + " bajtů)");
        ++*breaks;
    }
    Out(started ? "  Řetěz začíná větou " + std::to_string(startNumber) + " se stavem " +
                      Num(startReading) + "."
                : "  Žádná věta nemá stav tachometru, řetěz nezačíná.");
    *torn = tail != 0;
    return io::kOk;
}

int Chain(const Args& a) {
    if (a.rest.size() != 2) return 2;
    const std::string& target = a.rest[1];
    long breaks = 0;
    int result = 0;
    if (!stdfs::is_directory(target)) {
        const HostFile file = SplitHostFile(target);
        Place p(file.dir, "");
        bool torn = false;
        const int rc = CheckBook(p, file.name, "Kniha jízd " + p.Host(file.name), &breaks, &torn);
        if (rc != io::kOk) {
            Err(OpenError(p, file.name, rc));
            return 1;
        }
        Out(breaks == 0 ? "Bez zlomů." : "Zlomů: " + std::to_string(breaks));
        return torn ? 1 : 0;
    }
    // Every car of the data directory's car list.
    Place p(target, "");
    std::string cars;
    int rc = ReadShared(p, "kj_auta.dta", &cars);
    if (rc != io::kOk) {
        Err(OpenError(p, "kj_auta.dta", rc));
        return 1;
    }
    int books = 0;
    for (std::size_t off = 0; off + auta::kLength <= cars.size(); off += auta::kLength) {
        VetaAuta car;
        std::copy_n(cars.data() + off, auta::kLength, car.bytes.begin());
        if (IsDeletedRecord(car.bytes.data()) || KlicKnihy(car.Spz()).empty()) continue;
        const std::string book = car.SouborKnihy();
        const std::string title = "Vozidlo " + U(StripRight(car.Spz())) + ", kniha " + p.Host(book);
        ++books;
        bool torn = false;
        rc = CheckBook(p, book, title, &breaks, &torn);
        if (rc == io::kFileNotFound) {
            Out(title + ": neexistuje, vozidlo nemá jízdy");
        } else if (rc != io::kOk) {
            Err(OpenError(p, book, rc));
            result = 1;
        }
        if (torn) result = 1;
    }
    if (cars.size() % auta::kLength != 0) {
        Err(p.Host("kj_auta.dta") + ": neúplná poslední věta seznamu vozidel vynechána");
        result = 1;
    }
    Out("Knih: " + std::to_string(books) +
        (breaks == 0 ? ", bez zlomů." : ", zlomů celkem: " + std::to_string(breaks)));
    return result;
}

// ---- report: a logbook report without a screen ----

// The dialogs of the reports answered from the command line: the period
// (an empty date keeps the one offered, the book's first or last trip),
// the way of printing and the evaluation's tolerance and fuel price (empty:
// the values offered). Messages and notes go to stderr; any other question
// is answered Esc, and so is the period when it is asked a second time (the
// report refused a date).
class ArgumentDialogs final : public ScreenlessDialogs {
public:
    std::string from, to;  // Windows-1250
    int mode = 1;
    std::string tolerance, price;

    void BeepMessage(const std::string& text) override { Err(U(text)); }
    NoteResult ShowNote(const std::string& text, int ms) override {
        Err(U(text));
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return NoteResult::Expired;
    }
    bool AskYesNo(int, int, const std::string& question) override {
        Unanswered(question);
        return false;
    }
    bool AskFields(int, int, const F1Handler&, const std::vector<std::string>& items,
                   const std::string& title) override {
        BeginFields(state_);
        std::vector<std::string> texts;
        for (std::size_t i = 1; i < items.size(); i += 2) texts.push_back(items[i]);
        if (title == " Období "_cz && texts.size() == 2 && !periodAsked_) {
            periodAsked_ = true;
            if (!from.empty()) texts[0] = from;
            if (!to.empty()) texts[1] = to;
        } else if (!items.empty() && items[0].starts_with("Povolené % nadspotřeby"_cz) &&
                   texts.size() == 2) {
            if (!tolerance.empty()) texts[0] = tolerance;
            if (!price.empty()) texts[1] = price;
        } else {
            Unanswered(title.empty() && !items.empty() ? items[0] : title);
            return false;
        }
        FinishFields(state_, texts, true);
        return true;
    }
    int ChooseItem(int, int, const F1Handler&, const std::vector<std::string>& items,
                   const std::string& title) override {
        const int chosen = title == " Způsob tisku "_cz ? mode : 0;
        if (chosen == 0) Unanswered(title);
        FinishChoice(state_, items, chosen);
        return chosen;
    }

private:
    void Unanswered(const std::string& question) {
        Err("otázka bez odpovědi z příkazové řádky, odpověď Esc: " + U(StripRight(question)));
    }
    bool periodAsked_ = false;
};

// A number the dialogs of the report would take: digits with at most one
// decimal point or comma.
bool PlainNumber(std::string_view text) {
    int points = 0, digits = 0;
    for (char ch : text) {
        if (ch >= '0' && ch <= '9')
            ++digits;
        else if (ch == '.' || ch == ',')
            ++points;
        else
            return false;
    }
    return digits > 0 && points <= 1;
}

// The car of the data directory's car list whose registration names the
// same logbook as `spz`; 0, 1 when the list cannot be read, 2 when no car
// of the list has it.
int FindCar(Common& c, const std::string& spz, VetaAuta* out) {
    const std::string path = DataPath(c, "kj_auta.dta");
    Zamkni(c, path, "");
    std::unique_ptr<File> f;
    int rc = c.fs.Open(path, Access::Read, Disposition::OpenExisting, Share::Shared, &f);
    bool found = false;
    if (rc == io::kOk) {
        std::size_t tail = 0;
        rc = ForEachRecord(*f, auta::kLength, [&](const char* rec, long) {
            if (found || IsDeletedRecord(rec)) return;
            if (KlicKnihy(codec::GetText(rec, auta::kSpz)) != KlicKnihy(spz)) return;
            std::copy_n(rec, auta::kLength, out->bytes.begin());
            found = true;
        }, &tail);
        (void)f->Close();
    }
    Odemkni(c, path);
    if (rc != io::kOk) {
        Err(c.fs.HostPath(path) + (rc == io::kFileNotFound ? " neexistuje" : ": chyba čtení " + std::to_string(rc)));
        return 1;
    }
    if (!found) {
        Err("vozidlo " + U(spz) + " není v seznamu vozidel " + c.fs.HostPath(path));
        return 2;
    }
    return 0;
}

// The program beside this tool, else the one on the PATH.
std::string ProgramPath() {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        self[n] = '\0';
        const stdfs::path beside = stdfs::path(self).parent_path() / "knihy_jizd";
        if (::access(beside.c_str(), X_OK) == 0) return beside.string();
    }
    return "knihy_jizd";
}

// The print file `report` (a name in the working directory) printed into a
// PDF file by the program's own print path ("knihy_jizd --pdf"), which
// needs Qt; this tool does not. True when the PDF was written.
bool PrintPdf(const std::string& work, const std::string& root, const std::string& report,
              const std::string& pdf) {
    const std::string program = ProgramPath();
    std::vector<std::string> args = {program, "--root", root, "--pdf", report, pdf};
    std::vector<char*> argv;
    for (std::string& s : args) argv.push_back(s.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid < 0) {
        Err("nelze spustit " + program + ": " + std::strerror(errno));
        return false;
    }
    if (pid == 0) {
        // Its output belongs to the messages of this tool.
        ::dup2(2, 1);
        if (::chdir(work.c_str()) == 0) ::execvp(argv[0], argv.data());
        std::fprintf(stderr, "kj_admin: nelze spustit %s: %s\n", argv[0], std::strerror(errno));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        Err("tisk do PDF se nepodařil (" + program + ")");
        return false;
    }
    return true;
}

int Report(const Args& a) {
    if (a.rest.size() != 4) return 2;
    const std::string& which = a.rest[3];
    if (which != "1" && which != "2") {
        Err("sestava je 1 (kniha jízd s vyhodnocením) nebo 2 (opis s mezisoučty): " + which);
        return 2;
    }
    ArgumentDialogs ui;
    for (const char* option : {"--from", "--to"}) {
        if (!a.Has(option)) continue;
        const std::string date = Utf8ToCp1250(a.Get(option));
        if (RemoveSpaces(date).empty() || DateInvalid(date)) {
            Err(std::string(option) + " potřebuje datum DDMMRR: " + a.Get(option));
            return 2;
        }
        (std::string_view(option) == "--from" ? ui.from : ui.to) = date;
    }
    if (a.Has("--notes") && a.Has("--no-notes")) {
        Err("--notes a --no-notes se vylučují");
        return 2;
    }
    ui.mode = a.Has("--no-notes") ? 2 : 1;
    for (const char* option : {"--tolerance", "--price"}) {
        if (!a.Has(option)) continue;
        if (!PlainNumber(a.Get(option))) {
            Err(std::string(option) + " potřebuje číslo: " + a.Get(option));
            return 2;
        }
        (std::string_view(option) == "--tolerance" ? ui.tolerance : ui.price) = a.Get(option);
    }
    const std::string work = Absolute(a.rest[1]);
    if (!stdfs::is_directory(work)) {
        Err("pracovní adresář " + a.rest[1] + " neexistuje");
        return 2;
    }
    const std::string root = Absolute(a.Has("--root") ? a.Get("--root") : work);
    std::string pdf = a.Get("--pdf");
    if (!pdf.empty()) pdf = stdfs::absolute(pdf).string();

    HostFileSystem fs(work, root);
    Common c(fs, ui);
    InitCommon(c);
    if (!c.set.loaded) {
        Err("v " + work + " chybí master.job: není to pracovní adresář stanice");
        return 2;
    }
    TcpLockServerLink link(c);
    if (ConnectLockServer(c, link) != 0) return 1;
    VetaAuta car;
    if (int rc = FindCar(c, Utf8ToCp1250(a.rest[2]), &car); rc != 0) return rc;

    ObdobiJizd period;
    const std::string book = car.SouborKnihy();
    const ReportOutcome outcome = which == "1"
                                      ? KnihaJizdSVyhodnocenim(c, car, book, period)
                                      : OpisSMezisoucty(c, car, book, period);
    if (outcome != ReportOutcome::Shown) return 1;
    // The print files as the reports name them.
    const std::string name = which == "1" ? book.substr(0, book.size() - 4) : "CESTAKY";
    const std::string txt = fs.HostPath(name + ".TXT");
    if (!stdfs::exists(txt)) {
        Err("sestava " + txt + " nevznikla");
        return 1;
    }
    Out("Tisková sestava: " + txt);
    const std::string csv = fs.HostPath("XLS\\" + name + ".CSV");
    if (stdfs::exists(csv)) Out("Tabulka: " + csv);
    if (!pdf.empty()) {
        if (!PrintPdf(work, root, U(name) + ".TXT", pdf)) return 1;
        Out("PDF: " + pdf);
    }
    return 0;
}

// ---- the lock server: connect and ask ----

// A system error of the network in words.
std::string NetError(int err) {
    switch (err) {
        case ECONNREFUSED: return "spojení odmítnuto, server neběží";
        case ETIMEDOUT: return "neodpověděl do " + std::to_string(kServerWaitMs) + " ms";
        case EHOSTUNREACH:
        case ENETUNREACH: return "počítač není dostupný";
        case ECONNRESET:
        case EPIPE: return "server ukončil spojení";
        default: return "chyba " + std::to_string(err) + " (" + std::strerror(err) + ")";
    }
}

// A connection to the lock server with bounded waits (the stations' client
// waits without end, which suits a station but not a tool).
class ServerConnection {
public:
    ~ServerConnection() {
        if (fd_ >= 0) ::close(fd_);
    }

    // "" when connected, else why not.
    std::string Open(const std::string& address) {
        std::string host;
        int port = 0;
        if (!ParseLockServerAddress(address, &host, &port)) return "chybná adresa " + U(address);
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        const std::string service = std::to_string(port);
        if (int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0)
            return U(host) + ": " + ::gai_strerror(rc);
        std::string why = "nelze se připojit";
        for (addrinfo* ai = found; ai && fd_ < 0; ai = ai->ai_next) {
            const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                    ai->ai_protocol);
            if (fd < 0) continue;
            int err = ::connect(fd, ai->ai_addr, ai->ai_addrlen) == 0 ? 0 : errno;
            if (err == EINPROGRESS) {
                pollfd p{fd, POLLOUT, 0};
                const int ready = ::poll(&p, 1, kServerWaitMs);
                socklen_t len = sizeof err;
                if (ready == 0)
                    err = ETIMEDOUT;
                else if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
                    err = errno;
            }
            if (err == 0) {
                fd_ = fd;
            } else {
                why = NetError(err);
                ::close(fd);
            }
        }
        ::freeaddrinfo(found);
        return fd_ >= 0 ? "" : why;
    }

    // Sends one request and reads its reply up to the CR LF; false with
    // `error` set when the server does not answer in time or closes.
    bool Ask(const std::string& message, std::string* reply, std::string* error) {
        std::size_t sent = 0;
        while (sent < message.size()) {
            const ssize_t n = ::send(fd_, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
            if (n < 0 && errno == EAGAIN) {
                pollfd p{fd_, POLLOUT, 0};
                if (::poll(&p, 1, kServerWaitMs) != 1) return Fail(error, "server nepřijímá požadavek");
                continue;
            }
            if (n <= 0) return Fail(error, NetError(errno));
            sent += static_cast<std::size_t>(n);
        }
        std::string got;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kServerWaitMs);
        for (;;) {
            const std::size_t end = got.find(kLockReplyEnd);
            if (end != std::string::npos) {
                *reply = got.substr(0, end);
                return true;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now()).count();
            pollfd p{fd_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) != 1)
                return Fail(error, "server neodpověděl do " + std::to_string(kServerWaitMs) + " ms");
            char buf[65536];
            const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            if (n == 0) return Fail(error, "server ukončil spojení");
            if (n < 0 && errno != EAGAIN && errno != EINTR) return Fail(error, NetError(errno));
            if (n > 0) got.append(buf, static_cast<std::size_t>(n));
        }
    }

private:
    static bool Fail(std::string* error, const std::string& why) {
        *error = why;
        return false;
    }
    int fd_ = -1;
};

// What the lock server says of itself (the status request "Stav<>#$", see
// lock_server_core.h). Texts are Windows-1250.
struct ServerStatus {
    bool running = false;   // connected and answered
    bool detailed = false;  // it knows the status request
    std::string error;      // why not running (UTF-8)
    long connections = 0;   // of the stations (the tool's own not counted)
    long locks = 0;
    struct Peer {
        std::string peer;
        long locks = 0;
    };
    struct Lock {
        std::string directory, name, mode, station, peer;
    };
    std::vector<Peer> peers;
    std::vector<Lock> held;
};

std::vector<std::string> SplitTabs(const std::string& text) {
    std::vector<std::string> out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t tab = text.find('\t', from);
        out.push_back(text.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
        if (tab == std::string::npos) return out;
        from = tab + 1;
    }
}

long ToLong(const std::string& text) {
    long v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

ServerStatus AskServerStatus(const std::string& address) {
    ServerStatus s;
    ServerConnection conn;
    s.error = conn.Open(address);
    if (!s.error.empty()) return s;
    std::string reply;
    if (!conn.Ask(LockMessage("Stav", "", "", "", ""), &reply, &s.error)) return s;
    s.running = true;
    const std::vector<std::string> f = SplitTabs(reply);
    if (f[0] != "OK" || f.size() < 3) {
        // A server without the status request (the suite's own) still
        // answers the keep-alive.
        std::string alive;
        if (!conn.Ask(LockMessage("Client", "Vata", "", "", ""), &alive, &s.error))
            s.running = false;
        return s;
    }
    s.detailed = true;
    s.connections = ToLong(f[1]);
    s.locks = ToLong(f[2]);
    for (std::size_t i = 3; i < f.size();) {
        if (f[i] == "S" && i + 2 < f.size()) {
            s.peers.push_back({f[i + 1], ToLong(f[i + 2])});
            i += 3;
        } else if (f[i] == "Z" && i + 5 < f.size()) {
            s.held.push_back({f[i + 1], f[i + 2], f[i + 3], f[i + 4], f[i + 5]});
            i += 6;
        } else {
            break;  // a newer server's record: the rest is not ours to read
        }
    }
    return s;
}

void PrintServerStatus(Place& p, const std::string& address, const ServerStatus& s) {
    if (!s.running) {
        Out("Server zámků " + U(address) + " neodpovídá: " + s.error);
        return;
    }
    if (!s.detailed) {
        Out("Server zámků " + U(address) + " běží, o svém stavu nic neříká.");
        return;
    }
    Out("Server zámků " + U(address) + " běží: spojení stanic " + std::to_string(s.connections) +
        ", zámků " + std::to_string(s.locks));
    if (!s.peers.empty()) {
        Out(" spojení                                   zámků");
        for (const auto& peer : s.peers)
            Out(" " + Pad(U(peer.peer), 40) + PadLeft(std::to_string(peer.locks), 6));
    }
    if (!s.held.empty()) {
        Out(" soubor                                    režim  stanice  uživatel                  spojení");
        for (const auto& l : s.held)
            Out(" " + Pad(U(l.directory + TrimRight(l.name)), 40) + "  " + Pad(U(l.mode), 5) + "  " +
                Pad(U(TrimRight(l.station)), 7) + "  " + Pad(p.User(l.station), 24) + "  " + U(l.peer));
    }
}

int Server(const Args& a) {
    if (a.rest.size() != 2) return 2;
    const std::string& target = a.rest[1];
    const bool isDir = stdfs::is_directory(target);
    Place p(isDir ? target : ".", a.namesDir.empty() && !isDir ? "." : a.namesDir);
    std::string address = Utf8ToCp1250(target);
    if (isDir) {
        address = ServerAddressOf(p);
        if (address.empty()) {
            Out("V " + p.Host("master.job") +
                " není nastaven server zámků (SERVER1, SERVER2): stanice zamykají v FOT.tab.");
            return 0;
        }
    }
    const ServerStatus s = AskServerStatus(address);
    PrintServerStatus(p, address, s);
    return s.running ? 0 : 1;
}

// ---- stations: what the data directory tells of them ----

struct StationInfo {
    std::string user;        // UTF-8
    long word = -1;          // its word of UZIVATEL.tab; -1 not known
    long locks = 0;
    std::string computer;    // of its last protocol record
    std::string lastEvent;   // the record itself, UTF-8
};

int Stations(const Args& a) {
    if (a.rest.size() != 2) return 2;
    Place p(a.rest[1], a.namesDir);
    if (!stdfs::is_directory(p.fs.hostCwd())) {
        Err("datový adresář " + a.rest[1] + " neexistuje");
        return 1;
    }
    std::map<int, StationInfo> st;
    Out("Datový adresář " + p.fs.hostCwd());

    // User names.
    std::string names;
    if (ReadShared(p, ProgPath(p.c, "JMENA.tab"), &names) == io::kOk) {
        for (std::size_t n = 1; n < locktab::kUserNameRecords; ++n) {
            if ((n + 1) * locktab::kUserNameRecord > names.size()) break;
            const std::string user = TrimRight(U(codec::GetShortText(
                names.data() + n * locktab::kUserNameRecord, locktab::kUserNameCap)));
            if (!user.empty()) st[static_cast<int>(n)].user = user;
        }
    } else {
        Out("Jména uživatelů: " + p.Host(ProgPath(p.c, "JMENA.tab")) + " neexistuje.");
    }

    // The user table of the master program.
    std::unique_ptr<File> f;
    int rc = p.OpenExclusive("UZIVATEL.tab", Access::Read, &f);
    if (rc == io::kOk) {
        std::string words;
        const bool ok = ReadAll(p, "UZIVATEL.tab", *f, &words);
        (void)f->Close();
        if (!ok) return 1;
        words.resize(2 * kUserWords, '\0');
        const unsigned word0 = codec::GetU16(words.data());
        Out("Tabulka uživatelů UZIVATEL.tab: slovo 0 = " + std::to_string(word0) +
            (word0 != 0 ? " (hlavní program moduly nehlídá)" : " (hlavní program hlídá moduly)"));
        for (std::size_t n = 1; n < kUserWords; ++n)
            if (const unsigned w = codec::GetU16(words.data() + 2 * n); w != 0)
                st[static_cast<int>(n)].word = w;
    } else {
        Out("Tabulka uživatelů UZIVATEL.tab: " + OpenError(p, "UZIVATEL.tab", rc) + ".");
    }

    // Locks: the lock server when the installation has one, else FOT.tab.
    const std::string address = ServerAddressOf(p);
    bool locksKnown = true;
    if (!address.empty()) {
        const ServerStatus s = AskServerStatus(address);
        PrintServerStatus(p, address, s);
        locksKnown = s.detailed;
        for (const auto& l : s.held)
            if (const int n = StationOf(l.station); n >= 0) ++st[n].locks;
    } else {
        rc = p.OpenExclusive("FOT.tab", Access::Read, &f);
        if (rc == io::kOk) {
            std::string bytes;
            const bool ok = ReadAll(p, "FOT.tab", *f, &bytes);
            (void)f->Close();
            if (!ok) return 1;
            long used = 0;
            for (const locktab::Entry& e : locktab::DecodeTable(bytes)) {
                if (e.IsFree()) continue;
                ++used;
                if (const int n = StationOf(e.station); n >= 0) ++st[n].locks;
            }
            Out("Server zámků není nastaven; tabulka sdílení FOT.tab: zámků " + std::to_string(used) +
                ".");
        } else if (rc == io::kFileNotFound) {
            Out("Server zámků není nastaven; tabulka sdílení FOT.tab neexistuje: žádné zámky.");
        } else {
            Out("Server zámků není nastaven; tabulka sdílení: " + OpenError(p, "FOT.tab", rc) + ".");
            locksKnown = false;
        }
    }

    // The protocol: the last record of every station, with its computer.
    // Stamp: date (8), time (8), computer (4), station (2), each followed by
    // a blank.
    rc = p.fs.Open("PROTOKOL.PRT", Access::Read, Disposition::OpenExisting, Share::Shared, &f);
    if (rc == io::kOk) {
        std::size_t tail = 0;
        rc = ForEachRecord(*f, kProtocolRecord, [&](const char* rec, long) {
            const std::string text = codec::GetShortText(rec, kProtocolRecord - 1);
            if (text.size() < 26) return;
            const int n = StationOf(std::string_view(text).substr(22, 2));
            if (n < 0) return;
            st[n].computer = StripRight(text.substr(18, 4));
            st[n].lastEvent = U(TrimRight(text));
        }, &tail);
        (void)f->Close();
        if (rc != io::kOk) {
            Err(p.Host("PROTOKOL.PRT") + ": chyba čtení " + std::to_string(rc));
            return 1;
        }
    } else {
        Out("Protokol PROTOKOL.PRT: " + OpenError(p, "PROTOKOL.PRT", rc) + ".");
    }

    st.erase(0);  // station 00 does not exist: a station without a number becomes 01
    if (st.empty()) {
        Out("O žádné stanici nic nevíme.");
        return 0;
    }
    Out(" stanice  uživatel                  počítač  UZIVATEL  zámky  poslední záznam protokolu");
    for (const auto& [n, s] : st)
        Out("      " + FormatPic("@@", n) + "  " + Pad(s.user, 24) + "  " + Pad(U(s.computer), 7) +
            "  " + PadLeft(s.word < 0 ? "" : FormatPic("@@@@", static_cast<double>(s.word)), 8) +
            "  " + PadLeft(locksKnown ? std::to_string(s.locks) : "?", 5) + "  " + s.lastEvent);
    Out("Stanic: " + std::to_string(st.size()));
    return 0;
}

void Usage() {
    std::fputs(
        "použití: kj_admin [VOLBY] PŘÍKAZ ...\n"
        "  locks ADRESÁŘ                 zámky v tabulce sdílení FOT.tab adresáře\n"
        "  unlock ADRESÁŘ STANICE        odstraní zámky stanice z FOT.tab (jen když\n"
        "                                stanice neběží, např. po havárii)\n"
        "  protocol [--last N] ADRESÁŘ   protokol událostí PROTOKOL.PRT (posledních N)\n"
        "  users ADRESÁŘ                 tabulka uživatelů UZIVATEL.tab\n"
        "  dump [--layout SKLADBA] [--sep ZNAK] SOUBOR\n"
        "                                tabulka jako CSV v UTF-8; skladba podle jména\n"
        "                                souboru (vozidla, ucely, mista, stravne, cile,\n"
        "                                jizdy, job, zamky, jmena, uzivatele, protokol)\n"
        "  chain SOUBOR|ADRESÁŘ          řetěz stavů tachometru knihy jízd (adresář:\n"
        "                                knihy všech vozidel seznamu kj_auta.dta)\n"
        "  report [--root ADRESÁŘ] [--from DDMMRR] [--to DDMMRR] [--notes|--no-notes]\n"
        "         [--tolerance P] [--price C] [--pdf SOUBOR.pdf] PRACOVNÍ_ADRESÁŘ SPZ 1|2\n"
        "                                sestava 1 (kniha jízd s vyhodnocením) nebo 2\n"
        "                                (opis s mezisoučty) bez obrazovky, jako stanice\n"
        "                                pracovního adresáře\n"
        "  server ADRESÁŘ|ADRESA         stav serveru zámků (adresář: jeho master.job)\n"
        "  stations ADRESÁŘ              stanice instalace podle datového adresáře\n"
        "  --names ADRESÁŘ               programový adresář s JMENA.tab (jména\n"
        "                                uživatelů stanic); jinak se hledá v ADRESÁŘ\n",
        stderr);
}

struct Command {
    std::string_view name;
    std::function<int(const Args&)> run;
};

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"locks", Locks},   {"unlock", Unlock}, {"protocol", Protocol}, {"users", Users},
        {"dump", Dump},     {"chain", Chain},   {"report", Report},     {"server", Server},
        {"stations", Stations},
    };
    return commands;
}

// The options and the commands that take them ("" = every command).
struct OptionSpec {
    std::string_view name;
    bool value;
    std::string_view commands;
};

constexpr OptionSpec kOptions[] = {
    {"--names", true, ""},         {"--last", true, "protocol"},  {"--layout", true, "dump"},
    {"--sep", true, "dump"},       {"--root", true, "report"},    {"--from", true, "report"},
    {"--to", true, "report"},      {"--notes", false, "report"},  {"--no-notes", false, "report"},
    {"--tolerance", true, "report"}, {"--price", true, "report"}, {"--pdf", true, "report"},
};

bool TakesOption(const OptionSpec& o, std::string_view command) {
    if (o.commands.empty()) return true;
    std::string_view list = o.commands;
    while (!list.empty()) {
        const std::size_t blank = list.find(' ');
        if (list.substr(0, blank) == command) return true;
        if (blank == std::string_view::npos) break;
        list.remove_prefix(blank + 1);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Args a;
    std::vector<const OptionSpec*> given;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        }
        const OptionSpec* known = nullptr;
        for (const OptionSpec& o : kOptions)
            if (o.name == arg) known = &o;
        if (known && known->value && i + 1 >= argc) known = nullptr;
        if (!known && arg.starts_with("--")) {
            Err("neznámá volba " + std::string(arg));
            Usage();
            return 2;
        }
        if (!known) {
            a.rest.emplace_back(arg);
            continue;
        }
        given.push_back(known);
        const std::string value = known->value ? argv[++i] : "";
        if (arg == "--names") {
            a.namesDir = value;
        } else if (arg == "--last") {
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), a.last);
            if (ec != std::errc() || end != value.data() + value.size() || a.last < 0) {
                Err("--last potřebuje nezáporné číslo: " + value);
                Usage();
                return 2;
            }
        } else {
            a.options[std::string(arg)] = value;
        }
    }
    if (a.rest.empty()) {
        Usage();
        return 2;
    }
    for (const OptionSpec* o : given) {
        if (TakesOption(*o, a.rest[0])) continue;
        Err(std::string(o->name) + " patří jen k příkazu " + std::string(o->commands));
        Usage();
        return 2;
    }
    for (const Command& cmd : Commands()) {
        if (cmd.name != a.rest[0]) continue;
        int rc = cmd.run(a);
        if (rc == 2) Usage();
        return rc;
    }
    Err("neznámý příkaz " + a.rest[0]);
    Usage();
    return 2;
}
