// One station of an installation as a process: it starts like the program
// (working directory with "master.job", "data.adr", "prog.adr"; start-up
// settings; the lock server when one is configured) and then takes and
// releases locks on command. Tests run several of these on one data
// directory; an administrator can use it to try the locks of an
// installation by hand.
//
//   kj_station [--root DIR] [--note-ms N] [--quiet] [--max-messages N]
//              [--deadline-ms N] WORKDIR
//
//   WORKDIR          the station's working directory
//   --root DIR       host directory under which paths with a drive (C:\...)
//                    lie; WORKDIR by default
//   --note-ms N      timed notes last at most N ms (their own time otherwise)
//   --quiet          notes are counted, not printed
//   --max-messages N the station gives up (exit code 3) after N messages
//   --deadline-ms N  the station ends itself (SIGALRM) after N ms; 60,000
//
// Commands on standard input, one per line; results on standard output in
// UTF-8, one line each:
//   lock NAME [W|R]    Zamkni on the data file NAME    -> LOCKED NAME | NOLOCK NAME
//   unlock NAME        Odemkni                         -> UNLOCKED NAME
//   free NAME          IfVolny                         -> FREE | HELD text
//   append NAME COUNT  COUNT times: write lock, append one record, unlock
//                      -> APPENDED COUNT notes N nolock K
//   sort NAME LEN RUNS [pause]
//                      sorts the data file NAME of LEN-byte records by their
//                      bytes under its write lock, with runs of RUNS records
//                      in memory (0: the engine's own); with "pause" it
//                      prints "MERGING workfile" when the disk merge begins
//                      and waits there for a line on standard input
//                      -> SORTED NAME code
//   jobcount KEY COUNT COUNT times: the number under KEY in the data
//                      directory's "master.job" plus one -> COUNTED KEY value
//   keepalive          the lock server's keep-alive, as the timer sends it
//                      -> ALIVE reply
//   trip SPZ DATE KM [HOLDMS]
//                      the logbook SPZ.dta of a private car: F4, the date and
//                      the business km typed, the editor held open HOLDMS ms
//                      (after printing EDITING), F2, then the logbook closed
//                      (its sort asks the odometer question, answered Esc)
//                      -> TRIP SPZ count N odometer R
//   quit
// Messages of the core appear as "BEEP text" and "NOTE text". Start-up ends
// with "READY station register" or "READY station server address"; an
// unreachable lock server ends the station with exit code 99.
//
// A record of "append" is 20 bytes, "SS:NNNNNN|SS:NNNNNN\n" (station and
// sequence number twice), written in two halves at the end of the file as
// it was found under the lock: without the lock, stations would overwrite
// each other's records or interleave halves, and the check finds that.

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "logbook/car_list.h"
#include "logbook/trip_logbook.h"
#include "screens/key_codes.h"
#include "services/common.h"
#include "services/cp1250.h"
#include "services/dialogs.h"
#include "services/file_system.h"
#include "services/io_codes.h"
#include "services/lock_socket.h"
#include "services/locks.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/record_file.h"
#include "services/sort_file.h"
#include "services/table_writeback.h"

namespace {

using namespace kj;

void PrintLine(const std::string& utf8) {
    std::string line = utf8;
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::replace(line.begin(), line.end(), '\r', ' ');
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

// Messages as lines on standard output; questions answer "no".
class StationDialogs final : public ScreenlessDialogs {
public:
    int noteMs = -1;  // cap of a note's time; -1 = its own time
    bool quiet = false;
    long maxMessages = std::numeric_limits<long>::max();
    long notes = 0;
    long messages = 0;

    void BeepMessage(const std::string& text) override {
        PrintLine("BEEP " + Cp1250ToUtf8(text));
        Count();
    }
    NoteResult ShowNote(const std::string& text, int ms) override {
        ++notes;
        if (!quiet) PrintLine("NOTE " + Cp1250ToUtf8(text));
        Count();
        int wait = noteMs >= 0 ? std::min(ms, noteMs) : ms;
        if (wait > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        return NoteResult::Expired;
    }
    bool AskYesNo(int, int, const std::string& question) override {
        PrintLine("ASK " + Cp1250ToUtf8(question));
        Count();
        return false;
    }
    bool AskFields(int, int, const F1Handler&, const std::vector<std::string>&,
                   const std::string& title) override {
        PrintLine("ASK " + Cp1250ToUtf8(title));
        Count();
        return false;
    }
    int ChooseItem(int, int, const F1Handler&, const std::vector<std::string>&,
                   const std::string& title) override {
        PrintLine("ASK " + Cp1250ToUtf8(title));
        Count();
        return 0;
    }

private:
    // A wait that never ends (a station blocked by its own lock) is cut
    // short here, so that no station outlives what its caller allows.
    void Count() {
        if (++messages >= maxMessages) {
            PrintLine("GAVE-UP after " + std::to_string(messages) + " messages");
            std::_Exit(3);
        }
    }
};

bool ParseLong(std::string_view text, long* out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
    return ec == std::errc() && end == text.data() + text.size();
}

// "SS:NNNNNN|SS:NNNNNN\n"
std::string AppendRecord(const std::string& station, long seq) {
    char half[16];
    std::snprintf(half, sizeof half, "%.2s:%06ld", station.c_str(), seq % 1000000);
    return std::string(half) + "|" + half + "\n";
}

// Appends one record at the end of the file as found now.
int AppendOnce(Common& c, const std::string& path, const std::string& record) {
    std::unique_ptr<File> f;
    int rc = c.fs.Open(path, Access::ReadWrite, Disposition::OpenOrCreate, Share::Shared, &f);
    if (rc != io::kOk) return rc;
    std::int64_t size = 0;
    rc = f->Size(&size);
    if (rc == io::kOk) rc = f->Seek(static_cast<std::uint64_t>(size));
    const std::size_t half = record.size() / 2;
    if (rc == io::kOk) rc = f->Write(record.data(), half);
    sched_yield();  // widen the window that only the lock closes
    if (rc == io::kOk) rc = f->Write(record.data() + half, record.size() - half);
    int closed = f->Close();
    return rc != io::kOk ? rc : closed;
}

// A data file sorted through the engine, written back as the tables do.
class StationSort final : public SortTable {
public:
    StationSort(Common& c, SortEngine& engine, std::string path, std::int32_t len, bool pause)
        : c_(c), engine_(engine), path_(std::move(path)), len_(len), pause_(pause) {}

    int Feed(SortEngine& sort) override {
        std::unique_ptr<File> in;
        int rc = c_.fs.Open(path_, Access::Read, Disposition::OpenExisting, Share::Shared, &in);
        if (rc != io::kOk) return rc;
        std::vector<char> rec(static_cast<std::size_t>(len_));
        for (;;) {
            std::size_t got = 0;
            rc = in->Read(rec.data(), rec.size(), &got);
            if (rc != io::kOk || got < rec.size()) break;
            sort.SortPut(rec.data());
        }
        (void)in->Close();
        return rc;
    }
    bool Less(const char* a, const char* b) override {
        if (pause_ && engine_.MergePasses() > 0) {
            pause_ = false;
            PrintLine("MERGING " + Cp1250ToUtf8(engine_.WorkFileName()));
            std::string go;
            std::getline(std::cin, go);
        }
        return std::memcmp(a, b, static_cast<std::size_t>(len_)) < 0;
    }
    int Output(SortEngine& sort) override { return WriteBackSorted(c_, sort, path_, len_); }

private:
    Common& c_;
    SortEngine& engine_;
    std::string path_;
    std::int32_t len_;
    bool pause_;
};
// One trip added through the logbook as a user adds it; the result line.
std::string AddTrip(Common& c, const std::string& spz, const std::string& date,
                    const std::string& km, int holdMs) {
    VetaAuta car;
    car.SetText(auta::kSpz, spz);
    car.SetText(auta::kDruh, "SOUKROME");
    AktualniVozidlo() = car;
    TfKJ_jizdy book(c);
    book.showEditor = [&](RecordEditor& e) {
        PrintLine("EDITING " + spz);
        e.FormShow();
        e.SetText(jizdy::kFieldDatum, date);
        while (e.Current() < jizdy::kFieldKmSluzebni) e.KeyDown(key::kDown);
        e.SetText(jizdy::kFieldKmSluzebni, km);
        e.KeyDown(key::kDown);
        if (holdMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
        e.KeyDown(key::kF2);
    };
    if (book.Otevri(car.SouborKnihy()) != io::kOk) return "ERROR open " + spz;
    book.KeyDown(key::kF4, key::Mod::None);
    const int n = book.count();
    std::string odometer = "?";
    if (n >= 1) {
        book.CtiVetu(n);
        odometer = StripLeft(FormatPic("##########", codec::GetReal(book.Veta(), jizdy::kStavTachometru)));
    }
    book.Zavri();
    return "TRIP " + spz + " count " + std::to_string(n) + " odometer " + odometer;
}

void Usage() {
    std::fputs(
        "použití: kj_station [--root ADRESÁŘ] [--note-ms N] [--quiet] [--max-messages N]\n"
        "                    [--deadline-ms N] PRACOVNÍ_ADRESÁŘ\n"
        "příkazy na standardním vstupu: lock JMÉNO [W|R], unlock JMÉNO, free JMÉNO,\n"
        "                               append JMÉNO POČET, sort JMÉNO DÉLKA BĚHY [pause],\n"
        "                               jobcount KLÍČ POČET, keepalive, trip SPZ DATUM KM [MS],\n"
        "                               quit\n",
        stderr);
}

}  // namespace

int main(int argc, char** argv) {
    std::string work, root;
    StationDialogs ui;
    long deadlineMs = 60000;
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        long v = 0;
        auto value = [&](long* out) {
            return i + 1 < argc && ParseLong(argv[++i], out) && *out >= 0;
        };
        if (a == "--root" && i + 1 < argc) {
            root = argv[++i];
        } else if (a == "--note-ms" && value(&v)) {
            ui.noteMs = static_cast<int>(std::min<long>(v, 60000));
        } else if (a == "--quiet") {
            ui.quiet = true;
        } else if (a == "--max-messages" && value(&v) && v > 0) {
            ui.maxMessages = v;
        } else if (a == "--deadline-ms" && value(&v) && v > 0) {
            deadlineMs = v;
        } else if (!a.starts_with("--") && work.empty()) {
            work = std::string(a);
        } else {
            Usage();
            return 2;
        }
    }
    if (work.empty()) {
        Usage();
        return 2;
    }
    char resolved[4096];
    if (::realpath(work.c_str(), resolved) == nullptr) {
        std::fprintf(stderr, "kj_station: adresář %s neexistuje\n", work.c_str());
        return 2;
    }
    work = resolved;
    if (root.empty()) root = work;
    if (::realpath(root.c_str(), resolved) != nullptr) root = resolved;
    // The default action of SIGALRM ends the process: a bounded lifetime.
    ::alarm(static_cast<unsigned>((deadlineMs + 999) / 1000));

    HostFileSystem fs(work, root);
    Common c(fs, ui);
    InitCommon(c);
    if (!c.set.loaded) {
        std::fprintf(stderr, "kj_station: v %s chybí master.job\n", work.c_str());
        return 2;
    }
    TcpLockServerLink link(c);
    if (ConnectLockServer(c, link) != 0) return 99;
    PrintLine("READY " + c.set.station +
              (c.lock.server ? " server " + Cp1250ToUtf8(c.set.lockServer) : " register"));

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string cmd, name, arg;
        in >> cmd >> name >> arg;
        if (cmd == "quit") break;
        const std::string path = name.empty() ? std::string() : DataPath(c, Utf8ToCp1250(name));
        if (cmd == "lock" && !name.empty()) {
            bool ok = Zamkni(c, path, arg == "R" || arg == "r" ? "" : "W");
            PrintLine((ok ? "LOCKED " : "NOLOCK ") + name);
        } else if (cmd == "unlock" && !name.empty()) {
            Odemkni(c, path);
            PrintLine("UNLOCKED " + name);
        } else if (cmd == "free" && !name.empty()) {
            std::string held = IfVolny(c, path);
            PrintLine(held.empty() ? "FREE" : "HELD " + Cp1250ToUtf8(held));
        } else if (cmd == "append" && !name.empty()) {
            long count = 0, nolock = 0;
            if (!ParseLong(arg, &count) || count < 0) {
                PrintLine("ERROR bad count");
                continue;
            }
            const long notesBefore = ui.notes;
            for (long i = 1; i <= count; ++i) {
                if (!Zamkni(c, path, "W")) ++nolock;
                int rc = AppendOnce(c, path, AppendRecord(c.set.station, i));
                Odemkni(c, path);
                if (rc != io::kOk) {
                    PrintLine("ERROR write " + std::to_string(rc));
                    return 1;
                }
            }
            PrintLine("APPENDED " + std::to_string(count) + " notes " +
                      std::to_string(ui.notes - notesBefore) + " nolock " +
                      std::to_string(nolock));
        } else if (cmd == "sort" && !name.empty()) {
            long len = 0, runs = 0;
            std::string runsText, pause;
            in >> runsText >> pause;
            if (!ParseLong(arg, &len) || len < 2 || !ParseLong(runsText, &runs) || runs < 0) {
                PrintLine("ERROR bad sort");
                continue;
            }
            SortLimits limits;
            limits.runCapacity = static_cast<std::int32_t>(runs);
            SortEngine engine(c, limits);
            StationSort table(c, engine, path, static_cast<std::int32_t>(len), pause == "pause");
            Zamkni(c, path, "W");
            int rc = engine.SortFile(static_cast<std::int32_t>(len), table);
            Odemkni(c, path);
            PrintLine("SORTED " + name + " " + std::to_string(rc));
        } else if (cmd == "jobcount" && !name.empty()) {
            long count = 0;
            if (!ParseLong(arg, &count) || count < 0) {
                PrintLine("ERROR bad count");
                continue;
            }
            const std::string dataDir = DataPath(c, "");
            const std::string key = Utf8ToCp1250(name);
            for (long i = 0; i < count; ++i) {
                const int now = StrToIntLoose(GetJobIn(c, dataDir, key));
                SetJobIn(c, dataDir, key, std::to_string(now + 1));
            }
            PrintLine("COUNTED " + name + " " + Cp1250ToUtf8(GetJobIn(c, dataDir, key)));
        } else if (cmd == "keepalive") {
            link.KeepAliveTick();
            PrintLine("ALIVE " + Cp1250ToUtf8(c.lock.lastReply));
        } else if (cmd == "trip" && !name.empty()) {
            std::string km, hold;
            in >> km >> hold;
            PrintLine(AddTrip(c, name, arg, km, hold.empty() ? 0 : std::atoi(hold.c_str())));
        } else if (!cmd.empty()) {
            PrintLine("ERROR unknown command " + cmd);
        }
    }
    link.Close();
    return 0;
}
