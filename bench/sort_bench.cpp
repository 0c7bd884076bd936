// Timing of the sort engine against GNU sort.
//
//   sort_bench [records] [reps]
//
// Writes `records` (default 1,000,000) random trip records of 265 bytes that
// begin with the logbook's 17-character key (date RRMMDD, hour "@@.@@",
// record number "@@@@@@") as a record file, and the same records as text
// lines. Then times, side by side:
//   - SortTableFile over the record file (more than fits in memory, so the
//     work file is used; the result replaces the table);
//   - LC_ALL=C sort -S 32M over the text file into an output file;
// and prints both times and their ratio, plus the in-memory sort of 250,000
// records. With reps > 1 each time is the best of that many runs.

#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "services/common.h"
#include "services/file_system.h"
#include "services/scripted_dialogs.h"
#include "services/sort_file.h"
#include "services/table_writeback.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kKey = 17;

double Since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

// CPU seconds (user + system) of this process, and of its waited-for children.
double CpuSelf() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}
double CpuChildren() {
    rusage ru{};
    ::getrusage(RUSAGE_CHILDREN, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

bool KeyLess(const char* a, const char* b) { return std::memcmp(a, b, kKey) < 0; }

// n records of len bytes, key first, printable payload (no line breaks).
std::string MakeRecords(std::size_t n, std::size_t len, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::string all(n * len, ' ');
    for (std::size_t i = 0; i < n; ++i) {
        char* r = all.data() + i * len;
        std::uint64_t x = rng();
        char key[32];
        std::snprintf(key, sizeof key, "%02u%02u%02u%02u.%02u%06zu", unsigned(x % 30),
                      unsigned(x / 30 % 12 + 1), unsigned(x / 360 % 28 + 1), unsigned(x / 10080 % 24),
                      unsigned(x / 241920 % 60), (i + 1) % 1000000);
        std::memcpy(r, key, kKey);
        for (std::size_t k = kKey; k < len; k += 8) {
            std::uint64_t y = rng();
            for (std::size_t b = 0; b < 8 && k + b < len; ++b, y >>= 8)
                r[k + b] = static_cast<char>('A' + (y & 0xFF) % 58);
        }
    }
    return all;
}

void WriteFile(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary | std::ios::ate);
    std::string s(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    in.read(s.data(), static_cast<std::streamsize>(s.size()));
    return s;
}

// Feeds records from memory and keeps the sorted keys' order for a check.
class MemoryTable final : public kj::SortTable {
public:
    MemoryTable(const std::string& recs, std::size_t len) : recs_(recs), len_(len) {}
    std::size_t outCount = 0;
    bool ordered = true;
    int Feed(kj::SortEngine& s) override {
        for (std::size_t off = 0; off < recs_.size(); off += len_) s.SortPut(recs_.data() + off);
        return 0;
    }
    bool Less(const char* a, const char* b) override { return KeyLess(a, b); }
    int Output(kj::SortEngine& s) override {
        std::string prev, rec(len_, '\0');
        while (!s.SortEnd()) {
            if (int rc = s.SortGet(rec.data())) return rc;
            if (outCount++ > 0 && KeyLess(rec.data(), prev.data())) ordered = false;
            prev.swap(rec);
            rec.resize(len_);
        }
        return 0;
    }

private:
    const std::string& recs_;
    std::size_t len_;
};

double TimeInMemory(kj::Common& c, std::size_t n, std::size_t len, kj::SortLimits limits, int reps,
                    double* cpu) {
    std::string recs = MakeRecords(n, len, 11);
    double best = 1e9;
    *cpu = 1e9;
    for (int r = 0; r < reps; ++r) {
        kj::SortEngine e(c, limits);
        MemoryTable t(recs, len);
        auto t0 = Clock::now();
        double c0 = CpuSelf();
        int rc = e.SortFile(static_cast<std::int32_t>(len), t);
        double s = Since(t0);
        *cpu = std::min(*cpu, CpuSelf() - c0);
        if (rc != 0 || !t.ordered || t.outCount != n || !e.WorkFileName().empty()) {
            std::fprintf(stderr, "in-memory sort failed: code %d, %zu records, work file '%s'\n", rc,
                         t.outCount, e.WorkFileName().c_str());
            std::exit(1);
        }
        best = std::min(best, s);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t n = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
    const int reps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    constexpr std::size_t kLen = 265;

    std::string tmpl = (std::filesystem::temp_directory_path() / "kjsortbench-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path dir = tmpl;
    kj::HostFileSystem fs(dir.string(), dir.string());
    kj::StderrDialogs ui;
    kj::Common c(fs, ui);

    std::printf("%zu records of %zu bytes, key of %zu characters, %d run(s) each\n", n, kLen, kKey, reps);
    const std::string recs = MakeRecords(n, kLen, 1);
    std::string lines;
    lines.reserve(n * (kLen + 1));
    for (std::size_t i = 0; i < n; ++i) {
        lines.append(recs, i * kLen, kLen);
        lines.push_back('\n');
    }
    WriteFile(dir / "lines.txt", lines);
    lines.clear();
    lines.shrink_to_fit();

    // The engine over a record file, through the work file.
    double ours = 1e9, oursCpu = 1e9;
    int runs = 0;
    for (int r = 0; r < reps; ++r) {
        WriteFile(dir / "kj_jizdy.dta", recs);
        auto t0 = Clock::now();
        double c0 = CpuSelf();
        int rc = kj::SortTableFile(c, "kj_jizdy.dta", static_cast<std::int32_t>(kLen), KeyLess);
        ours = std::min(ours, Since(t0));
        oursCpu = std::min(oursCpu, CpuSelf() - c0);
        if (rc != 0) {
            std::fprintf(stderr, "SortTableFile failed with code %d\n", rc);
            return 1;
        }
    }
    {
        kj::SortEngine probe(c);
        std::string empty;
        MemoryTable t(empty, kLen);
        probe.SortFile(static_cast<std::int32_t>(kLen), t);
        runs = static_cast<int>((n + static_cast<std::size_t>(probe.RunCapacity()) - 1) /
                                static_cast<std::size_t>(probe.RunCapacity()));
        std::printf("run capacity R = %d records, %d runs on disk\n", probe.RunCapacity(), runs);
    }
    const std::string sortedTable = ReadFile(dir / "kj_jizdy.dta");

    // GNU sort over the same records as text lines.
    auto gnu = [&](const char* extra, double* cpu) {
        std::string cmd = "cd '" + dir.string() + "' && LC_ALL=C sort -S 32M " + extra + " -T . lines.txt -o sorted.txt";
        double best = 1e9;
        *cpu = 1e9;
        for (int r = 0; r < reps; ++r) {
            auto t0 = Clock::now();
            double c0 = CpuChildren();
            int rc = std::system(cmd.c_str());
            best = std::min(best, Since(t0));
            *cpu = std::min(*cpu, CpuChildren() - c0);
            if (rc != 0) {
                std::fprintf(stderr, "'%s' failed\n", cmd.c_str());
                std::exit(1);
            }
        }
        return best;
    };
    double theirsCpu = 0;
    double theirs = gnu("", &theirsCpu);

    // Both must give the same order (the keys are unique).
    const std::string sortedLines = ReadFile(dir / "sorted.txt");
    bool same = sortedTable.size() == n * kLen && sortedLines.size() == n * (kLen + 1);
    for (std::size_t i = 0; same && i < n; ++i)
        same = std::memcmp(sortedTable.data() + i * kLen, sortedLines.data() + i * (kLen + 1), kLen) == 0;
    std::printf("results identical: %s\n", same ? "yes" : "NO");

    std::printf("                                  wall        cpu\n");
    std::printf("SortTableFile (work file):     %8.3f s  %8.3f s\n", ours, oursCpu);
    std::printf("LC_ALL=C sort -S 32M:          %8.3f s  %8.3f s\n", theirs, theirsCpu);
    std::printf("ratio engine / GNU sort:       %8.3f    %8.3f\n", ours / theirs, oursCpu / theirsCpu);
    double singleCpu = 0;
    double single = gnu("--parallel=1", &singleCpu);
    std::printf("(GNU sort --parallel=1:        %8.3f s  %8.3f s, ratio %.3f)\n", single, singleCpu,
                ours / single);

    std::filesystem::remove_all(dir);

    // In memory: 250,000 records is the largest run, reached with L <= 128.
    double cpu128 = 0, cpu265 = 0;
    double mem128 = TimeInMemory(c, 250'000, 128, {}, reps, &cpu128);
    std::printf("in memory, 250,000 x 128 bytes: %7.3f s  %8.3f s\n", mem128, cpu128);
    double mem265 = TimeInMemory(c, 250'000, kLen, kj::SortLimits{250'000}, reps, &cpu265);
    std::printf("in memory, 250,000 x 265 bytes: %7.3f s  %8.3f s (run capacity raised to 250,000)\n", mem265,
                cpu265);
    return same ? 0 : 1;
}
