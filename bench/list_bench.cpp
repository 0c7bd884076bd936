// Timing of the rolling list: one key and the redraw it causes, at 1,000
// and at 1,000,000 rows, and a text search through 100,000 rows.
//
//   list_bench [rounds]
//
// The redraw is the list's refill of its visible rows through TextRadku.
// Two row sources are timed:
//   - synthetic rows formatted from the row number;
//   - a record file of fixed-length records (registration, car type, date,
//     kilometres), each visible row read from the file and decoded by its
//     columns, as a browser does (the search also with a block cache).
// Each key of the mix (PgDn, End, Home, Up, Down, a typed row number, a
// click on the scroll bar's track) is timed on its own; the figures are
// the mean and the worst key per row count, and the ratio of the means.
// The search looks for a text held only by the row before the current one
// (the search wraps through every row), and for a text no row holds (both
// passes over every row).

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "screens/column.h"
#include "screens/rolling_list.h"
#include "screens/table_browser.h"
#include "services/common.h"
#include "services/cp1250.h"
#include "services/file_system.h"
#include "services/locks.h"
#include "services/picture.h"
#include "services/record_file.h"
#include "services/scripted_dialogs.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

const char* const kTypes[] = {"Skoda Octavia", "Ford Transit", "Tatra 815", "Zetor 7211",
                              "Renault Master"};

kj::Sloupce CarColumns() {
    kj::Sloupce cols(4);
    kj::DefinujSloupec(cols[0], "SPZ", 1, "", 0, 0, std::string(8, ' '), "X", 1);
    kj::DefinujSloupec(cols[1], "Typ vozidla", 1, "", 0, 0, std::string(20, ' '), "X", 2);
    kj::DefinujSloupec(cols[2], "Datum", 1, "", 0, 0, std::string(6, ' '), "d", 3);
    kj::DefinujSloupec(cols[3], "Km", 1, "", 0, 0, std::string(8, ' '), "#####.#R", 4);
    return cols;
}

std::string Registration(int row) { return "1A" + kj::FormatPic("@@@@@@", row); }

// Rows made from their number.
class SyntheticList final : public kj::RollingList {
public:
    explicit SyntheticList(kj::Common& c) : RollingList(c, "fBench") { SetColumns(CarColumns()); }
    std::string needle;
    int needleRow = 0;
    void CtiVetuProZobrazeni(int row) override { row_ = row; }

protected:
    void FormatujRadek() override {
        Text(1) = Registration(row_);
        Text(2) = row_ == needleRow ? needle : kTypes[row_ % 5];
        Text(3) = kj::FormatPic("@@", 1 + row_ % 28) + "." + kj::FormatPic("@@", 1 + row_ % 12) +
                  ".24";
        Text(4) = kj::FormatPic("#####.#", (row_ * 37 % 100000) / 10.0);
    }

private:
    int row_ = 0;
};

// Rows read from a record file and decoded by their columns; with a block
// cache, 256 records are read at a time.
class FileList final : public kj::RollingList {
public:
    FileList(kj::Common& c, kj::RecFile& f, bool cached = false)
        : RollingList(c, "fBenchFile"), f_(f), cached_(cached) {
        SetColumns(CarColumns());
        record_.resize(static_cast<std::size_t>(f.recLen));
    }
    void CtiVetuProZobrazeni(int row) override {
        const int n = FyzickeCislo(row);
        if (cached_) {
            ReadCached(n);
            return;
        }
        kj::SeekRec(f_, n);
        if (kj::ReadRec(f_, record_.data()) != 0) std::memset(record_.data(), 0, record_.size());
    }

protected:
    void FormatujRadek() override {
        for (int k = 1; k <= ColumnCount(); ++k) {
            const kj::SloupecPopis& s = columns()[static_cast<std::size_t>(k - 1)];
            Text(k) = kj::CtiPole(s, record_.data() + kj::ColumnOffset(columns(), k));
        }
    }

private:
    static constexpr int kBlock = 256;

    void ReadCached(int n) {
        const std::size_t len = record_.size();
        const int block = (n - 1) / kBlock;
        if (block != block_) {
            block_ = block;
            blockData_.assign(kBlock * len, '\0');
            std::size_t got = 0;
            if (f_.file->Seek(static_cast<std::uint64_t>(block) * kBlock * len) == 0)
                (void)f_.file->Read(blockData_.data(), blockData_.size(), &got);
        }
        const std::size_t at = static_cast<std::size_t>((n - 1) % kBlock) * len;
        std::memcpy(record_.data(), blockData_.data() + at, len);
    }

    kj::RecFile& f_;
    bool cached_;
    std::vector<char> record_;
    int block_ = -1;
    std::vector<char> blockData_;
};

// A record file of n cars.
void WriteCars(kj::Common& c, const std::string& name, int n) {
    kj::Sloupce cols = CarColumns();
    const int len = kj::RecordLength(cols);
    std::unique_ptr<kj::File> out;
    if (c.fs.Open(kj::DataPath(c, name), kj::Access::Write, kj::Disposition::CreateAlways,
                  kj::Share::Shared, &out) != 0) {
        std::fprintf(stderr, "cannot create %s\n", name.c_str());
        std::exit(1);
    }
    std::string chunk;
    std::string rec(static_cast<std::size_t>(len), '\0');
    for (int row = 1; row <= n; ++row) {
        cols[0].value = Registration(row);
        cols[1].value = kTypes[row % 5];
        cols[2].value =
            kj::FormatPic("@@", 1 + row % 28) + kj::FormatPic("@@", 1 + row % 12) + "24";
        cols[3].value = kj::FormatPic("#####.#", (row * 37 % 100000) / 10.0);
        kj::SlozVetu(cols, rec.data());
        chunk += rec;
        if (chunk.size() > (1u << 20) || row == n) {
            if (out->Write(chunk.data(), chunk.size()) != 0) {
                std::fprintf(stderr, "cannot write %s\n", name.c_str());
                std::exit(1);
            }
            chunk.clear();
        }
    }
    (void)out->Close();
}

struct KeyTimes {
    double mean = 0;
    double worst = 0;
    int keys = 0;
};

// The key mix, `rounds` times; every key timed on its own.
KeyTimes TimeKeys(kj::RollingList& list, int rounds) {
    using kj::key::Mod;
    std::int64_t now = 0;
    list.clock = [&now] { return now += 100; };  // typed digits count as slow
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
        // A typed row number: each digit is one key.
        const std::string digits = std::to_string(1 + (r * 7919) % count);
        for (char d : digits) {
            timed([&] {
                list.KeyDown(kj::key::k0 + (d - '0'), Mod::None);
                list.KeyPress(d);
            });
        }
        timed([&] { list.KeyDown(kj::key::kDown, Mod::None); });  // clears the typed number
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

void Open(kj::RollingList& list, int count) {
    list.OtevriSeznam(2, 2, 95, 25, 0, 0, "Bench", "", 1, count);
    list.TakeRequests();
}

void Report(const char* what, const KeyTimes& small, const KeyTimes& large) {
    const double ratio = large.mean / small.mean;
    std::printf("%-24s %9.4f ms (worst %7.3f)   %9.4f ms (worst %7.3f)   %+6.1f %%\n", what,
                small.mean, small.worst, large.mean, large.worst, (ratio - 1.0) * 100.0);
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
    using kj::operator""_cz;
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    std::string tmpl = (std::filesystem::temp_directory_path() / "kjlistbench-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path dir = tmpl;
    std::ofstream(dir / "data.adr") << "\r\n";
    kj::HostFileSystem fs(dir.string(), dir.string());
    kj::ScriptedDialogs ui;
    kj::Common c(fs, ui);

    std::printf("One key and the redraw of the visible rows (mean per key, %d rounds of the mix)\n",
                rounds);
    std::printf("%-24s %30s   %30s   %s\n", "", "1,000 rows", "1,000,000 rows", "difference");

    SyntheticList synthetic(c);
    Open(synthetic, 1000);
    const KeyTimes s1 = TimeKeys(synthetic, rounds);
    Open(synthetic, 1000000);
    const KeyTimes s2 = TimeKeys(synthetic, rounds);
    Report("synthetic rows", s1, s2);

    WriteCars(c, "small.dta", 1000);
    WriteCars(c, "large.dta", 1000000);
    const int len = kj::RecordLength(CarColumns());
    kj::RecFile small, large;
    if (kj::OpenRecFile(c, small, "small.dta", "I", len) != 0 ||
        kj::OpenRecFile(c, large, "large.dta", "I", len) != 0) {
        std::fprintf(stderr, "cannot open the record files\n");
        return 1;
    }
    small.count = static_cast<std::int32_t>(kj::FileSizeOf(c, small.path) / len);
    large.count = static_cast<std::int32_t>(kj::FileSizeOf(c, large.path) / len);
    FileList smallList(c, small);
    FileList largeList(c, large);
    Open(smallList, small.count);
    Open(largeList, large.count);
    const KeyTimes f1 = TimeKeys(smallList, rounds);
    const KeyTimes f2 = TimeKeys(largeList, rounds);
    Report("record file", f1, f2);
    std::printf("%-24s %d rows shown, %d keys timed per row count\n", "", largeList.visible(),
                f2.keys);

    std::printf("\nText search through 100,000 rows\n");
    int found = 0;
    synthetic.needle = "Hledany vuz";
    Open(synthetic, 100000);
    synthetic.needleRow = 100000;
    synthetic.JdiNa(1, 0);
    double ms = TimeSearch(synthetic, "hledaný vůz"_cz, &found);
    std::printf("%-24s %9.1f ms, found row %d\n", "synthetic, last row", ms, found);
    synthetic.JdiNa(1, 0);
    ms = TimeSearch(synthetic, "nikde.neni", &found);
    std::printf("%-24s %9.1f ms, both passes, row %d stays\n", "synthetic, no match", ms, found);

    kj::RecFile hundred;
    WriteCars(c, "hundred.dta", 100000);
    kj::OpenRecFile(c, hundred, "hundred.dta", "I", len);
    hundred.count = static_cast<std::int32_t>(kj::FileSizeOf(c, hundred.path) / len);
    FileList hundredList(c, hundred);
    Open(hundredList, hundred.count);
    hundredList.JdiNa(2, 0);
    ms = TimeSearch(hundredList, "1A000001", &found);
    std::printf("%-24s %9.1f ms, found row %d\n", "record file, wrapped", ms, found);
    hundredList.JdiNa(1, 0);
    ms = TimeSearch(hundredList, "nikde.neni", &found);
    std::printf("%-24s %9.1f ms, both passes, row %d stays\n", "record file, no match", ms, found);
    FileList cachedList(c, hundred, true);
    Open(cachedList, hundred.count);
    cachedList.JdiNa(2, 0);
    ms = TimeSearch(cachedList, "1A000001", &found);
    std::printf("%-24s %9.1f ms, found row %d\n", "block cache, wrapped", ms, found);
    cachedList.JdiNa(1, 0);
    ms = TimeSearch(cachedList, "nikde.neni", &found);
    std::printf("%-24s %9.1f ms, both passes, row %d stays\n", "block cache, no match", ms, found);

    // The table browser itself over the same file: its search reads ahead.
    kj::TfSoub browser(c, "fBenchSoub");
    browser.SetColumns(CarColumns());
    if (browser.OtevriTabulku("hundred.dta", "Auta", -1, 4, len, 1, kj::CellBox{2, 2, 60, 20},
                              kj::CellBox{1, 1, 80, 25}, "", "", "") == 0) {
        browser.JdiNa(2, 0);
        ms = TimeSearch(browser, "1A000001", &found);
        std::printf("%-24s %9.1f ms, found row %d\n", "table browser, wrapped", ms, found);
        browser.JdiNa(1, 0);
        ms = TimeSearch(browser, "nikde.neni", &found);
        std::printf("%-24s %9.1f ms, both passes, row %d stays\n", "table browser, no match",
                    ms, found);
        kj::Odemkni(c, browser.dataPath());
        browser.Uvolni();
    }

    kj::CloseRecFile(c, small);
    kj::CloseRecFile(c, large);
    kj::CloseRecFile(c, hundred);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
