// Timing of the trip logbook over large books: opening, one key and the
// redraw it causes, the text search, and the book sort with "Přepočítat"
// against GNU sort on the same records.
//
//   logbook_bench [rounds] [reps]
//
// Books of 10,000 and 100,000 trips of 261 bytes (dates over a year,
// departure hours, places, purposes, km), in three shapes:
//   random    - trips in no order;
//   appended  - a sorted book with a tenth of its trips (a generator run)
//               appended in no order at its end;
//   sorted    - already in date order.
// Keys: the mix of list_bench (PgDn, End, Up, Home, Down, a typed row
// number, the scroll bar), each timed on its own through TfKJ_jizdy, mean
// and worst per key.
// Sort: SetridKnihu with Přepočítat over the book (reading, keys, sort,
// the odometer chain, the crash-safe write-back) against
// "LC_ALL=C sort -S 32M" over the same records as text lines, each line
// the trip's 17-character key followed by the trip (line ends inside a
// record replaced, so every line is one trip). The two sides alternate,
// `reps` times each; the figures are medians. GNU sort is timed with its
// default threads and with --parallel=1.

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "logbook/car_list.h"
#include "logbook/logbook_sort.h"
#include "logbook/trip_logbook.h"
#include "logbook/trip_record.h"
#include "services/common.h"
#include "services/cp1250.h"
#include "services/dates.h"
#include "services/file_system.h"
#include "services/locks.h"
#include "services/picture.h"
#include "services/scripted_dialogs.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

const char* const kPlaces[] = {"Brno", "Hodonín", "Holešov", "Kroměříž", "Olomouc",
                               "Otrokovice", "Praha", "Přerov", "Uherské Hradiště", "Vsetín"};
const char* const kPurposes[] = {"jednání s dodavatelem", "cesta k zákazníkovi", "porada",
                                 "zakázka na stavbě", "nákup materiálu"};

// n trips, day by day over 2026 (several a day), then shaped.
std::vector<std::string> MakeTrips(int n, const std::string& shape, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::string> trips;
    trips.reserve(static_cast<std::size_t>(n));
    const int perDay = std::max(1, n / 360);
    for (int i = 0; i < n; ++i) {
        const int day = std::min(359, i / perDay);
        kj::VetaJizdy v;
        v.SetText(kj::jizdy::kDatum, kj::FormatPic("@@", 1 + day % 30) + kj::FormatPic("@@", 1 + day / 30) + "26");
        v.SetText(kj::jizdy::kMisto, kj::Utf8ToCp1250(kPlaces[rng() % 10]));
        v.SetText(kj::jizdy::kUcel, kj::Utf8ToCp1250(kPurposes[rng() % 5]));
        v.SetReal(kj::jizdy::kKmSluzebni, 5 + rng() % 300);
        v.SetReal(kj::jizdy::kStavTachometru, i == 0 ? 10000 : 0);
        v.SetReal(kj::jizdy::kZakladniSazba, 5.8);
        v.SetReal(kj::jizdy::kCasOdjezdu, 6 + (i % perDay) + (rng() % 60) / 100.0);
        v.SetText(kj::jizdy::kPoznamka1, "RE " + std::to_string(i));
        trips.emplace_back(v.bytes.data(), v.bytes.size());
    }
    if (shape == "random") {
        std::shuffle(trips.begin() + 1, trips.end(), rng);
    } else if (shape == "appended") {
        const auto tail = trips.end() - n / 10;
        std::vector<std::string> late(tail, trips.end());
        trips.erase(tail, trips.end());
        std::shuffle(late.begin(), late.end(), rng);
        for (std::size_t k = 0; k < late.size(); ++k) {
            const int day = static_cast<int>(rng() % 360);
            kj::codec::PutText(late[k].data(), kj::jizdy::kDatum,
                               kj::FormatPic("@@", 1 + day % 30) + kj::FormatPic("@@", 1 + day / 30) + "26");
        }
        trips.insert(trips.end(), late.begin(), late.end());
    }
    return trips;
}

void WriteFile(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The book sort's key of a trip at its place n (from 1).
std::string Key(const std::string& trip, int n) {
    return kj::DateSortKey(kj::codec::GetText(trip.data(), kj::jizdy::kDatum)) +
           kj::FormatPic("@@.@@", kj::codec::GetReal(trip.data(), kj::jizdy::kCasOdjezdu)) +
           kj::FormatPic("@@@@@@", n);
}

struct KeyTimes {
    double mean = 0;
    double worst = 0;
    int keys = 0;
};

KeyTimes TimeKeys(kj::RollingList& list, int rounds) {
    using kj::key::Mod;
    std::int64_t now = 0;
    list.clock = [&now] { return now += 100; };
    const int count = list.count();
    std::vector<double> times;
    auto timed = [&](auto&& action) {
        const auto t0 = Clock::now();
        action();
        times.push_back(MsSince(t0));
    };
    for (int r = 0; r < rounds; ++r) {
        timed([&] { list.KeyDown(kj::key::kNext, Mod::None); });
        timed([&] { list.KeyDown(kj::key::kEnd, Mod::None); });
        timed([&] { list.KeyDown(kj::key::kUp, Mod::None); });
        timed([&] { list.KeyDown(kj::key::kHome, Mod::None); });
        timed([&] { list.KeyDown(kj::key::kDown, Mod::None); });
        const std::string digits = std::to_string(1 + (r * 7919) % count);
        for (char d : digits)
            timed([&] {
                list.KeyDown(kj::key::k0 + (d - '0'), Mod::None);
                list.KeyPress(d);
            });
        timed([&] { list.KeyDown(kj::key::kDown, Mod::None); });
        timed([&] { list.ScrollBarChange(list.current() + list.visible()); });
        timed([&] { list.ScrollBarChange(1 + (r * 104729) % count); });
    }
    KeyTimes k;
    for (double t : times) {
        k.mean += t;
        k.worst = std::max(k.worst, t);
    }
    k.keys = static_cast<int>(times.size());
    k.mean /= std::max(1, k.keys);
    return k;
}

double TimeSearch(kj::RollingList& list, const std::string& text, int* found) {
    using kj::key::Mod;
    list.KeyDown(kj::key::kF3, Mod::None);
    const auto t0 = Clock::now();
    list.SearchKeyDown(kj::key::kF3, Mod::None, text);
    const double ms = MsSince(t0);
    *found = list.current();
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    const int reps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::string tmpl = (fs::temp_directory_path() / "kjlogbench-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path dir = tmpl;
    std::ofstream(dir / "data.adr") << "\r\n";
    kj::HostFileSystem files(dir.string(), dir.string());
    kj::ScriptedDialogs ui;
    kj::Common c(files, ui);
    kj::VetaAuta car;
    car.SetText(kj::auta::kSpz, "5Z12345");
    car.SetText(kj::auta::kDruh, "SOUKROME");
    kj::AktualniVozidlo() = car;
    bool allSame = true;

    // ---- the browser: open, keys, search ----
    std::printf("The logbook of 100,000 trips in TfKJ_jizdy (%d rounds of the key mix)\n", rounds);
    {
        const std::vector<std::string> trips = MakeTrips(100000, "sorted", 7);
        std::string bytes;
        for (const std::string& t : trips) bytes += t;
        WriteFile(dir / "5Z12345.dta", bytes);
        kj::TfKJ_jizdy book(c);
        auto t0 = Clock::now();
        if (book.Otevri("5Z12345.dta") != 0) return 1;
        std::printf("%-28s %9.2f ms (%d trips)\n", "open", MsSince(t0), book.count());
        const KeyTimes k = TimeKeys(book, rounds);
        std::printf("%-28s %9.3f ms mean, %7.3f ms worst over %d keys, %d rows shown\n",
                    "one key + redraw", k.mean, k.worst, k.keys, book.visible());
        int found = 0;
        book.JdiNa(2, 0);
        double ms = TimeSearch(book, "RE 0", &found);
        std::printf("%-28s %9.1f ms, found row %d\n", "search, wraps to row 1", ms, found);
        book.JdiNa(1, 0);
        ms = TimeSearch(book, "nikde.neni", &found);
        std::printf("%-28s %9.1f ms, both passes, row %d stays\n", "search, no match", ms, found);
        t0 = Clock::now();
        book.Zavri();
        std::printf("%-28s %9.2f ms (nothing changed: no sort)\n", "close", MsSince(t0));
    }

    // ---- the book sort against GNU sort ----
    std::printf("\nBook sort with Přepočítat against GNU sort on the same records (median of %d each, alternating)\n",
                reps);
    std::printf("%-22s %10s %10s %10s %8s %8s\n", "", "SetridKnihu", "sort", "sort -p1", "ratio", "ratio p1");
    for (int n : {10000, 100000}) {
        for (const char* shape : {"random", "appended", "sorted"}) {
            const std::vector<std::string> trips = MakeTrips(n, shape, 11);
            std::string book, lines;
            for (std::size_t i = 0; i < trips.size(); ++i) {
                book += trips[i];
                std::string rec = trips[i];
                std::replace(rec.begin(), rec.end(), '\n', '\v');
                lines += Key(trips[i], static_cast<int>(i) + 1) + rec + "\n";
            }
            WriteFile(dir / "lines.txt", lines);
            std::vector<double> ours, theirs, single;
            auto gnu = [&](const char* extra) {
                const std::string cmd = "cd '" + dir.string() + "' && LC_ALL=C sort -S 32M " + extra +
                                        " -T . lines.txt -o sorted.txt";
                const auto t0 = Clock::now();
                if (std::system(cmd.c_str()) != 0) std::exit(1);
                return MsSince(t0);
            };
            for (int r = 0; r < reps; ++r) {
                WriteFile(dir / "5Z12345.dta", book);
                const auto t0 = Clock::now();
                if (kj::SetridKnihu(c, "5Z12345.dta", kj::StavTachometru::Prepocitat) != 0) return 1;
                ours.push_back(MsSince(t0));
                theirs.push_back(gnu(""));
                single.push_back(gnu("--parallel=1"));
            }
            // Both give the trips in one order (the keys are unique).
            const std::string sorted = ReadFile(dir / "5Z12345.dta");
            const std::string sortedLines = ReadFile(dir / "sorted.txt");
            bool same = sorted.size() == book.size();
            const std::size_t line = 17 + kj::jizdy::kLength + 1;
            for (int i = 0; same && i < n; ++i) {
                std::string a = sorted.substr(static_cast<std::size_t>(i) * kj::jizdy::kLength, kj::jizdy::kLength);
                std::string b = sortedLines.substr(static_cast<std::size_t>(i) * line + 17, kj::jizdy::kLength);
                std::replace(a.begin(), a.end(), '\n', '\v');
                // The odometer is the one field the book sort rewrites.
                same = a.compare(0, kj::jizdy::kStavTachometru.offset, b, 0, kj::jizdy::kStavTachometru.offset) == 0 &&
                       a.compare(kj::jizdy::kZakladniSazba.offset, std::string::npos, b,
                                 kj::jizdy::kZakladniSazba.offset) == 0;
            }
            allSame = allSame && same;
            const double o = Median(ours), t = Median(theirs), s = Median(single);
            std::printf("%7d %-14s %8.1f ms %7.1f ms %7.1f ms %8.2f %8.2f%s\n", n, shape, o, t, s, o / t,
                        o / s, same ? "" : "  ORDER DIFFERS");
        }
    }
    fs::remove_all(dir);
    return allSame ? 0 : 1;
}
