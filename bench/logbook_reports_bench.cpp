// Timing of the logbook's reports over large books.
//
//   logbook_reports_bench [rounds] [trips] [directory]
//
// For a private car ("SOU") and a company car ("SLU"), books of 1,000,
// 10,000 and `trips` (100,000 by default) trips are written as the record
// editor stores them: dates in order from 2020, 16 trips a day (2 in books
// of up to 1,000 trips), note
// groups from a list of 20, every tenth trip of the company car a fuel
// purchase. Then, `rounds` times each (7 by default), with the median and
// the worst reported:
//   - the logbook with evaluation over the whole book: the period dialog
//     (which reads the book for its dates), every trip with its notes line
//     and its side-file line, totals, evaluation, and the print file handed
//     to the viewer, which opens it as the user would see it;
//   - the listing with subtotals over the whole book: the sort into
//     "kj_jizdy.srt", read back, grouped and printed;
//   - the listing sort alone (SetridOpis over the whole book into a file of
//     its own).
// The books stay in the page cache, as the book of a logbook just browsed.
// With a directory given, the largest company-car book and its two reports
// are left there (data in it, print files in it, side files in XLS\).

#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "logbook/car_list.h"
#include "logbook/logbook_reports.h"
#include "logbook/logbook_sort.h"
#include "logbook/trip_record.h"
#include "print/print_output.h"
#include "services/common.h"
#include "services/cp1250.h"
#include "services/dates.h"
#include "services/file_system.h"
#include "services/picture.h"
#include "services/record_file.h"
#include "services/scripted_dialogs.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Processor time of this process (user and system), in ms: the machine is
// shared, so the wall-clock figure alone says little.
double CpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

struct Figures {
    std::vector<double> ms, cpu;
    double Cpu() {
        std::sort(cpu.begin(), cpu.end());
        return cpu.empty() ? 0 : cpu[cpu.size() / 2];
    }
    double Median() {
        std::sort(ms.begin(), ms.end());
        return ms.empty() ? 0 : ms[ms.size() / 2];
    }
    double Worst() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

void Report(const char* what, Figures& f) {
    std::printf("    %-25s median %7.1f ms  worst %7.1f ms  (processor median %7.1f ms)\n", what,
                f.Median(), f.Worst(), f.Cpu());
}

template <std::size_t N>
std::string Stored(const std::array<kj::ColumnDecl, N>& decls, int length,
                   const std::vector<std::string>& utf8) {
    kj::Sloupce cols = kj::DeclareColumns(decls);
    for (std::size_t i = 0; i < cols.size(); ++i)
        cols[i].value = i < utf8.size() ? kj::Utf8ToCp1250(utf8[i]) : std::string();
    std::string rec(static_cast<std::size_t>(length), '\0');
    kj::SlozVetu(cols, rec.data());
    return rec;
}

const char* const kPlaces[] = {"Zlín-Otrokovice-Zlín", "Zlín-Brno-Zlín",
                               "Zlín-Vizovice-Zlín",   "Zlín-Olomouc-Zlín",
                               "Zlín-Kroměříž-Zlín",   "Zlín-Uherské Hradiště-Zlín"};
const char* const kPurposes[] = {"Jednání se zákazníkem",
                                 "Servis u dodavatele",
                                 "Nákup materiálu",
                                 "Montáž u zákazníka",
                                 "Porada",
                                 "Školení"};
const int kKm[] = {24, 196, 34, 162, 70, 58};

// A book of `n` trips in date and hour order, starting on 1 January 2020.
std::string MakeBook(int n, bool company) {
    std::string book;
    book.reserve(static_cast<std::size_t>(n) * kj::jizdy::kLength);
    double odometer = 10000;
    int day = kj::DayNumber("01012020");
    const int perDay = n <= 1000 ? 2 : 16;
    for (int i = 0; i < n; ++i) {
        if (i % perDay == 0 && i > 0) ++day;
        const std::string date = kj::DateOfDay(day);
        const int k = i % 6;
        const bool fuel = company && i % 10 == 9;
        const double km = fuel ? 0 : kKm[k];
        odometer += km;
        const std::string note = std::string(1, static_cast<char>('A' + i % 20)) + "K zakázka " +
                                 std::to_string(1000 + i % 977);
        const double hour = 6 + (i % perDay) * (16 / perDay);
        book +=
            Stored(kj::jizdy::kColumns, kj::jizdy::kLength,
                   {date, fuel ? "Čerpací stanice Zlín" : kPlaces[k],
                    fuel ? "Tankování" : kPurposes[k], kj::RealToStr(0, 2, km),
                    i % 7 == 0 ? "5" : "", kj::RealToStr(0, 0, odometer + (i % 7 == 0 ? 5 : 0)),
                    fuel ? "1450.50" : (company ? "" : "5.60"),
                    fuel ? "38.6" : (company ? "" : "1.90"), kj::RealToStr(0, 2, hour),
                    kj::RealToStr(0, 2, hour + 0.45), i % 16 == 15 ? "166" : "", note, "faktura"});
        if (i % 7 == 0) odometer += 5;
    }
    return book;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const int largest = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100000;
    const std::string keep = argc > 3 ? argv[3] : "";

    char tmpl[] = "/tmp/kjreportbench-XXXXXX";
    if (!::mkdtemp(tmpl)) return 1;
    const std::filesystem::path dir = tmpl;
    kj::HostFileSystem fs(dir.string(), dir.string());
    kj::ScriptedDialogs ui;
    kj::Common c(fs, ui);
    c.set.station = "01";
    c.dataDirCache = "C:\\";
    c.lock.lockingOff = true;

    std::vector<int> sizes;
    for (int n : {1000, 10000})
        if (n < largest) sizes.push_back(n);
    sizes.push_back(largest);

    for (const bool company : {false, true}) {
        kj::VetaAuta car;
        const std::string rec =
            Stored(kj::auta::kColumns, kj::auta::kLength,
                   {"5Z12345", "Ing. Petr Dvořák", "Květná 12, 760 01 Zlín", "Dvořák a syn s.r.o.",
                    "Průmyslová 1020, 763 02 Zlín", "1498", "Škoda Octavia", "CZA123456", "6.40",
                    "Natural 95", company ? "SLUZEBNI" : "SOUKROME"});
        std::copy(rec.begin(), rec.end(), car.bytes.begin());
        for (int n : sizes) {
            const std::string book = MakeBook(n, company);
            std::ofstream(dir / "5Z12345.dta", std::ios::binary | std::ios::trunc) << book;
            std::printf("%s, %d trips (%.1f MB):\n", company ? "company car" : "private car", n,
                        book.size() / 1e6);
            Figures kniha, opis, sort;
            for (int r = 0; r < rounds; ++r) {
                kj::ObdobiJizd period;
                ui.choices.push_back(1);
                auto t0 = Clock::now();
                double cpu0 = CpuMs();
                if (kj::KnihaJizdSVyhodnocenim(c, car, "5Z12345.dta", period) !=
                    kj::ReportOutcome::Shown)
                    return 1;
                kniha.ms.push_back(MsSince(t0));
                kniha.cpu.push_back(CpuMs() - cpu0);

                t0 = Clock::now();
                cpu0 = CpuMs();
                if (kj::OpisSMezisoucty(c, car, "5Z12345.dta", period) != kj::ReportOutcome::Shown)
                    return 1;
                opis.ms.push_back(MsSince(t0));
                opis.cpu.push_back(CpuMs() - cpu0);

                t0 = Clock::now();
                cpu0 = CpuMs();
                const std::string path = kj::DataPath(c, "5Z12345.dta");
                if (kj::SetridOpis(c, path, "000101", "991231", kj::DataPath(c, "bench.srt")) != 0)
                    return 1;
                sort.ms.push_back(MsSince(t0));
                sort.cpu.push_back(CpuMs() - cpu0);
                if (std::filesystem::file_size(dir / "bench.srt") != book.size()) return 1;
            }
            if (ui.Count("beep") > 0) {
                std::fprintf(stderr, "message: %s\n", kj::Cp1250ToUtf8(ui.Last("beep")).c_str());
                return 1;
            }
            std::printf("    print files %.1f MB and %.1f MB, side files %.1f MB and %.1f MB\n",
                        std::filesystem::file_size(dir / "5Z12345.TXT") / 1e6,
                        std::filesystem::file_size(dir / "CESTAKY.TXT") / 1e6,
                        std::filesystem::file_size(dir / "XLS" / "5Z12345.CSV") / 1e6,
                        std::filesystem::file_size(dir / "XLS" / "CESTAKY.CSV") / 1e6);
            Report("logbook with evaluation", kniha);
            Report("listing with subtotals", opis);
            Report("listing sort alone", sort);
        }
    }
    if (!keep.empty()) {
        std::filesystem::create_directories(keep);
        std::filesystem::copy(dir, keep,
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
    }
    std::filesystem::remove_all(dir);
    return 0;
}
