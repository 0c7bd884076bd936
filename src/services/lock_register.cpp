// File locks between stations: the register "FOT.tab" in the directory of
// the locked file, or the lock server when a link to it is set.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "services/cp1250.h"
#include "services/field_codec.h"
#include "services/io_codes.h"
#include "services/lock_client.h"
#include "services/lock_table.h"
#include "services/locks.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj {

// ---- layouts ----

namespace locktab {

Entry FreeEntry() {
    return Entry{std::string(kNameCap, ' '), std::string(kStationCap, ' '), " "};
}

Table DecodeTable(std::string_view bytes) {
    Table t;
    for (std::size_t i = 0; i < kEntries; ++i) {
        std::size_t at = i * kEntrySize;
        if (at + kEntrySize > bytes.size()) {
            t[i] = FreeEntry();
            continue;
        }
        const char* p = bytes.data() + at;
        t[i].name = codec::GetText(p, kName);
        t[i].station = codec::GetText(p, kStation);
        t[i].mode = codec::GetText(p, kMode);
    }
    return t;
}

std::string EncodeTable(const Table& table) {
    std::string out(kTableSize, '\0');
    for (std::size_t i = 0; i < kEntries; ++i) {
        char* p = out.data() + i * kEntrySize;
        codec::PutText(p, kName, table[i].name);
        codec::PutText(p, kStation, table[i].station);
        codec::PutText(p, kMode, table[i].mode);
    }
    return out;
}

}  // namespace locktab

// ---- lock server ----

std::string LockMessage(std::string_view command, std::string_view a2, std::string_view a3,
                        std::string_view a4, std::string_view a5) {
    std::string m;
    m.reserve(command.size() + a2.size() + a3.size() + a4.size() + a5.size() + 4);
    m.append(command).append("<").append(a2).append(">").append(a3);
    m.append("#").append(a4).append("$").append(a5);
    return m;
}

std::string LockRequest(Common& c, std::string_view command, std::string_view a2,
                        std::string_view a3, std::string_view a4, std::string_view a5) {
    c.lock.lastReply = c.lock.server->Request(LockMessage(command, a2, a3, a4, a5));
    return c.lock.lastReply;
}

namespace {

using locktab::Entry;
using locktab::Table;

constexpr int kWaitNoteMs = 1000;
constexpr int kServerNoteEvery = 51;  // unsuccessful replies in a row
constexpr int kServerNoteMs = 2000;

// A note of a wait loop. The note clears the stop-waiting switch when it
// appears; the user sets it from the note.
void WaitNote(Common& c, const std::string& text, int ms) {
    c.lock.stopWaiting = false;
    if (c.ui.ShowNote(text, ms) == NoteResult::StopWaiting) c.lock.stopWaiting = true;
}

// An I/O code in a message.
std::string CodeText(int code) {
    return FormatPic("#####", code);
}

// What a lock is about: directory (upper-cased, final "\"), name (12
// characters) and station (2 digits and two blanks).
struct Target {
    std::string dir;
    std::string name;
    std::string station;
};

// Nothing when locking does not apply: switched off, no directory, or a
// file of the current directory.
std::optional<Target> Prepare(const Common& c, std::string_view path) {
    if (c.lock.lockingOff) return std::nullopt;
    std::string up = UpperCz(path);
    auto slash = up.rfind('\\');
    if (slash == std::string::npos) return std::nullopt;
    Target t;
    t.dir = up.substr(0, slash + 1);
    if (t.dir == c.set.currentDir) return std::nullopt;
    t.name = up.substr(slash + 1, locktab::kNameCap);
    t.name.resize(locktab::kNameCap, ' ');
    t.station = c.set.station.substr(0, 2);
    t.station.resize(2, ' ');
    t.station += "  ";
    return t;
}

// Server variant of Zamkni and Odemkni: ask until the reply begins with
// "OK", telling the user after every run of failures.
void AskServerUntilOk(Common& c, std::string_view command, const Target& t, std::string_view a4) {
    int failures = 0;
    for (;;) {
        std::string reply = LockRequest(c, command, t.dir, t.name, a4, t.station);
        if (reply.starts_with("OK")) return;
        if (++failures == kServerNoteEvery) {
            WaitNote(c, "Soubor je stále obsazený "_cz + reply, kServerNoteMs);
            failures = 0;
        }
    }
}

// The register of one directory, held open exclusively from Open to Close
// so that the changes of two stations never interleave.
class Register {
  public:
    Register(Common& c, const std::string& dir) : c_(c), dir_(dir) {}

    // Opens and reads the table, waiting while another station holds it.
    // False when the attempt ends without the table: the directory is
    // missing, or the user stopped the wait. A table that cannot be created
    // or read is reported with `readError` and used as far as it was read.
    bool Open(const std::string& readError) {
        for (;;) {
            int rc = c_.fs.Open(dir_ + "FOT.tab", Access::ReadWrite, Disposition::OpenOrCreate,
                                Share::Exclusive, &file_);
            if (rc == io::kOk) break;
            if (rc == io::kPathNotFound) {
                c_.ui.BeepMessage("ERR 3 - neexistuje složka "_cz + dir_);
                return false;
            }
            WaitNote(c_, "Je blokován přístup k tabulce sdílení souborů, čekám na uvolnění"_cz,
                     kWaitNoteMs);
            if (c_.lock.stopWaiting) return false;
        }
        table.fill(locktab::FreeEntry());
        std::int64_t size = 0;
        int rc = file_->Size(&size);
        if (rc == io::kOk && size == 0) rc = Write();  // a new table: all entries free
        std::string bytes(locktab::kTableSize, '\0');
        std::size_t got = 0;
        if (rc == io::kOk) rc = file_->Seek(0);
        if (rc == io::kOk) rc = file_->Read(bytes.data(), bytes.size(), &got);
        table = locktab::DecodeTable(std::string_view(bytes.data(), got));
        if (rc != io::kOk) c_.ui.BeepMessage(readError + CodeText(rc));
        return true;
    }

    // The whole table at offset 0, always in its full size.
    int Write() {
        std::string bytes = locktab::EncodeTable(table);
        int rc = file_->Seek(0);
        if (rc == io::kOk) rc = file_->Write(bytes.data(), bytes.size());
        return rc;
    }

    void Close(const std::string& closeError) {
        int rc = file_->Close();
        file_.reset();
        if (rc != io::kOk) c_.ui.BeepMessage(closeError + CodeText(rc));
    }

    Table table;

  private:
    Common& c_;
    std::string dir_;
    std::unique_ptr<File> file_;
};

}  // namespace

bool Zamkni(Common& c, std::string_view path, std::string_view mode) {
    auto t = Prepare(c, path);
    if (!t) return true;
    const bool write = !mode.empty();
    if (c.lock.server != nullptr) {
        AskServerUntilOk(c, "Zamkni", *t, write ? "W" : "");
        return true;
    }
    Register reg(c, t->dir);
    for (;;) {
        if (!reg.Open("err cti v zamkni FOT ")) return false;
        // A write lock needs the file alone; a read lock only no writer.
        auto holder = std::find_if(reg.table.begin(), reg.table.end(), [&](const Entry& e) {
            return e.name == t->name && (write || e.mode == "W");
        });
        if (holder != reg.table.end()) {
            Entry h = *holder;
            reg.Close(write ? "zamkni W poprve " : "Zamkni R ");
            std::string user = UserName(c, h.station);
            if (h.station == t->station) {
                // Left over from this station's earlier run: only a restart helps.
                c.ui.BeepMessage("Přístup k souboru "_cz + h.name + " " + h.mode +
                                 " je blokován "_cz + h.station + " " + user);
                c.ui.BeepMessage(
                    "Dejte \"Ctrl Alt Del\", ukončete VELTOR a znovu ji nastartujte"_cz);
            } else {
                WaitNote(
                    c, "Soubor "_cz + h.name + " " + h.mode + " užívá "_cz + h.station + " " + user,
                    kWaitNoteMs);
            }
            continue;
        }
        auto slot = std::find_if(reg.table.begin(), reg.table.end(),
                                 [](const Entry& e) { return e.IsFree(); });
        if (slot == reg.table.end()) {
            reg.Close(write ? "Zamkni W " : "zamkni R ");
            WaitNote(c, "Tabulka sdílení souborů je plná, čekám na uvolnění"_cz, kWaitNoteMs);
            continue;
        }
        *slot = Entry{t->name, t->station, write ? "W" : "R"};
        const int rc = reg.Write();
        if (rc != io::kOk) {
            if (write)
                WaitNote(c, "chyba " + std::to_string(rc), kWaitNoteMs);
            else
                c.ui.BeepMessage("err pis(1) FOT " + std::to_string(rc));
        }
        reg.Close("zamkni end ");
        // An entry that did not reach the register protects nothing.
        return rc == io::kOk;
    }
}

void Odemkni(Common& c, std::string_view path) {
    auto t = Prepare(c, path);
    if (!t) return;
    if (c.lock.server != nullptr) {
        AskServerUntilOk(c, "Odemkni", *t, "p");
        return;
    }
    Register reg(c, t->dir);
    if (!reg.Open("err cti FOT ")) return;
    auto own = std::find_if(reg.table.begin(), reg.table.end(), [&](const Entry& e) {
        return e.name == t->name && e.station == t->station;
    });
    if (own != reg.table.end()) {
        *own = locktab::FreeEntry();
        if (int rc = reg.Write(); rc != io::kOk) c.ui.BeepMessage("chyba " + std::to_string(rc));
    }
    reg.Close("odemkni ");
}

std::string IfVolny(Common& c, std::string_view path) {
    auto t = Prepare(c, path);
    if (!t) return {};
    if (c.lock.server != nullptr) {
        std::string reply = LockRequest(c, "IfVolny", t->dir, t->name, "p", t->station);
        return reply.starts_with("OK") ? std::string() : reply;
    }
    Register reg(c, t->dir);
    if (!reg.Open("err cti FOT 5 ")) return {};
    auto other = std::find_if(reg.table.begin(), reg.table.end(), [&](const Entry& e) {
        return e.name == t->name && e.station.substr(0, 2) != t->station.substr(0, 2);
    });
    std::optional<Entry> holder;
    if (other != reg.table.end()) holder = *other;
    reg.Close("If volny ");
    if (!holder) return {};
    return UpperCz(holder->mode + " " + holder->station + " " + UserName(c, holder->station));
}

std::string UserName(Common& c, std::string_view station) {
    using locktab::kUserNameCap;
    using locktab::kUserNameRecord;
    using locktab::kUserNameRecords;
    const std::string blanks(kUserNameCap, ' ');
    const std::string path = ProgPath(c, "JMENA.tab");
    std::unique_ptr<File> f;
    int rc = c.fs.Open(path, Access::Read, Disposition::OpenExisting, Share::Shared, &f);
    if (rc == io::kFileNotFound) {
        // A missing table is made with every name blank.
        if (c.fs.Open(path, Access::ReadWrite, Disposition::OpenOrCreate, Share::Shared, &f) ==
            io::kOk) {
            std::int64_t size = -1;
            if (f->Size(&size) == io::kOk && size == 0) {
                std::string rec(kUserNameRecord, '\0');
                codec::PutShortText(rec.data(), kUserNameCap, blanks);
                std::string all;
                for (std::size_t i = 0; i < kUserNameRecords; ++i) all += rec;
                (void)f->Write(all.data(), all.size());
            }
            (void)f->Close();
        }
        return blanks;
    }
    if (rc != io::kOk) return blanks;
    const int n = StrToIntLoose(station.substr(0, 2));
    std::string text = blanks;
    char rec[kUserNameRecord];
    std::size_t got = 0;
    if (n >= 0 && n < static_cast<int>(kUserNameRecords) &&
        f->Seek(static_cast<std::uint64_t>(n) * kUserNameRecord) == io::kOk &&
        f->Read(rec, sizeof rec, &got) == io::kOk && got == sizeof rec)
        text = codec::GetShortText(rec, kUserNameCap);
    (void)f->Close();
    return text;
}

}  // namespace kj
