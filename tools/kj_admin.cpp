// The administrator's tool of an installation: looks into the shared files
// of a data directory through the same services and layouts as the program,
// and removes the lock entries that a crashed station left behind.
//
//   kj_admin [--names DIR] locks DIR
//   kj_admin [--names DIR] unlock DIR STATION
//   kj_admin protocol [--last N] DIR
//   kj_admin [--names DIR] users DIR
//
// DIR is a host directory (the data directory, or any directory holding
// locked files); --names names the program directory with "JMENA.tab" (user
// names of the stations), by default DIR itself. Output is UTF-8; exit code
// 0 on success, 1 when a file cannot be read or written, 2 on wrong use.
//
// The shared tables are opened exclusively, as the stations open them, so
// that a table is never read or written half-way through a station's change;
// a station holds them only for a moment, so the tool waits a few seconds at
// most. Nothing is created: a missing table is reported, not made.

#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "services/common.h"
#include "services/cp1250.h"
#include "services/field_codec.h"
#include "services/file_system.h"
#include "services/io_codes.h"
#include "services/lock_table.h"
#include "services/locks.h"
#include "services/picture.h"
#include "services/record_file.h"
#include "services/scripted_dialogs.h"

namespace {

using namespace kj;

constexpr int kExclusiveTries = 250;  // x 20 ms: 5 s
constexpr std::size_t kProtocolRecord = 80;
constexpr std::size_t kUserWords = 100;

struct Args {
    std::string namesDir;
    long last = -1;
    std::vector<std::string> rest;  // command and its operands
};

void Out(const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fputc('\n', stdout);
}

void Err(const std::string& utf8) {
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

// "1", "01" -> "01"; "" when not a station number 0..99.
std::string StationNumber(std::string_view text) {
    int n = -1;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n < 0 || n > 99 ||
        text.size() > 2)
        return "";
    return FormatPic("@@", n);
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

void Usage() {
    std::fputs(
        "použití: kj_admin [--names ADRESÁŘ] PŘÍKAZ ...\n"
        "  locks ADRESÁŘ                 zámky v tabulce sdílení FOT.tab adresáře\n"
        "  unlock ADRESÁŘ STANICE        odstraní zámky stanice z FOT.tab (jen když\n"
        "                                stanice neběží, např. po havárii)\n"
        "  protocol [--last N] ADRESÁŘ   protokol událostí PROTOKOL.PRT (posledních N)\n"
        "  users ADRESÁŘ                 tabulka uživatelů UZIVATEL.tab\n"
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
        {"locks", Locks},
        {"unlock", Unlock},
        {"protocol", Protocol},
        {"users", Users},
    };
    return commands;
}

}  // namespace

int main(int argc, char** argv) {
    Args a;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        }
        if (arg == "--names" && i + 1 < argc) {
            a.namesDir = argv[++i];
        } else if (arg == "--last" && i + 1 < argc) {
            std::string_view v = argv[++i];
            auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), a.last);
            if (ec != std::errc() || end != v.data() + v.size() || a.last < 0) {
                Err("--last potřebuje nezáporné číslo: " + std::string(v));
                Usage();
                return 2;
            }
        } else if (arg.starts_with("--")) {
            Err("neznámá volba " + std::string(arg));
            Usage();
            return 2;
        } else {
            a.rest.emplace_back(arg);
        }
    }
    if (a.rest.empty()) {
        Usage();
        return 2;
    }
    if (a.last >= 0 && a.rest[0] != "protocol") {
        Err("--last patří jen k příkazu protocol");
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
