// The sort engine against GNU sort on tables too large for memory.
//
//   sort_bench [--sizes 1000000,4000000] [--shapes random,presorted,equal]
//              [--reps 5] [--dir DIRECTORY] [--only ours|gnu]
//
// For every size and shape the same 265-byte trip records are written twice:
// as a record file and as text lines. Their first 17 characters are the
// logbook's key (date RRMMDD, hour "@@.@@", record number "@@@@@@"), the next
// ten the record's place in the input, the rest printable filler. Shapes:
//   random     keys drawn at random;
//   presorted  keys ascending in input order;
//   equal      100 distinct keys, each record drawing one.
// Each repetition times both sides, one after the other, the order swapped
// every time:
//   ours  SortTableFile over the table: feed, runs on the work file, merge,
//         crash-safe write-back (the new file synced to the disk, renamed);
//   gnu   LC_ALL=C sort -S 32M -s -k1.1,1.17 -T . lines -o sorted (the same
//         key; ties keep their input order; the output file does not exist
//         beforehand).
// Both sides use the machine's cores: GNU sort sorts with one thread per
// core (up to 8) by default, the engine sorts a large run with two threads
// and writes runs and the table behind its work.
// Before each side its last output goes (the table is restored from its
// copy) and everything is synced, so neither side pays for the other's writes. The report gives the
// medians of wall and CPU time (user + system) and the ratio of the medians,
// plus the load average around each shape: the machine may be shared.
//
// The first repetition checks the results: the table must hold GNU sort's
// records in GNU sort's order, except that every group of equal keys comes
// out reversed (the engine's fixed order of equal keys).

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "services/common.h"
#include "services/file_system.h"
#include "services/scripted_dialogs.h"
#include "services/sort_file.h"
#include "services/table_writeback.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr std::size_t kLen = 265;
constexpr std::size_t kKey = 17;
constexpr std::size_t kSeq = 10;  // input place after the key
constexpr int kEqualKeys = 100;

double Since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

double Seconds(const timeval& tv) { return double(tv.tv_sec) + double(tv.tv_usec) / 1e6; }
double CpuOf(int who) {
    rusage ru{};
    ::getrusage(who, &ru);
    return Seconds(ru.ru_utime) + Seconds(ru.ru_stime);
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

bool KeyLess(const char* a, const char* b) { return std::memcmp(a, b, kKey) < 0; }

void Fail(const std::string& what) {
    std::fprintf(stderr, "sort_bench: %s\n", what.c_str());
    std::exit(1);
}

// Record i of a shape; `rng` advances for the random parts.
void MakeRecord(const std::string& shape, std::size_t i, std::mt19937_64& rng, char* r) {
    char key[40];
    if (shape == "presorted") {
        const std::size_t day = i / 1440, minute = i % 1440;
        std::snprintf(key, sizeof key, "%02zu%02zu%02zu%02zu.%02zu%06zu", day / 336 % 100, day / 28 % 12 + 1,
                      day % 28 + 1, minute / 60, minute % 60, i % 1000000);
    } else if (shape == "equal") {
        const unsigned k = static_cast<unsigned>(rng() % kEqualKeys);
        std::snprintf(key, sizeof key, "%02u%02u%02u08.00000001", 20 + k / 50, k / 4 % 12 + 1, k % 28 + 1);
    } else {
        const std::uint64_t x = rng();
        std::snprintf(key, sizeof key, "%02u%02u%02u%02u.%02u%06u", unsigned(x % 30), unsigned(x / 30 % 12 + 1),
                      unsigned(x / 360 % 28 + 1), unsigned(x / 10080 % 24), unsigned(x / 241920 % 60),
                      unsigned(x / 14515200 % 1000000));
    }
    std::memcpy(r, key, kKey);
    char seq[16];
    std::snprintf(seq, sizeof seq, "%010zu", i);
    std::memcpy(r + kKey, seq, kSeq);
    for (std::size_t k = kKey + kSeq; k < kLen; k += 8) {
        std::uint64_t y = rng();
        for (std::size_t b = 0; b < 8 && k + b < kLen; ++b, y >>= 8)
            r[k + b] = static_cast<char>('A' + (y & 0xFF) % 58);
    }
}

// Writes the table's copy and the text lines, in chunks.
void WriteInputs(const fs::path& dir, const std::string& shape, std::size_t n) {
    std::ofstream table(dir / "source.dta", std::ios::binary | std::ios::trunc);
    std::ofstream lines(dir / "lines.txt", std::ios::binary | std::ios::trunc);
    std::mt19937_64 rng(n * 7 + shape.size());
    constexpr std::size_t kChunk = 16384;
    std::string recs(kChunk * kLen, '\0'), text;
    for (std::size_t at = 0; at < n; at += kChunk) {
        const std::size_t k = std::min(kChunk, n - at);
        text.clear();
        for (std::size_t j = 0; j < k; ++j) {
            char* r = recs.data() + j * kLen;
            MakeRecord(shape, at + j, rng, r);
            text.append(r, kLen);
            text.push_back('\n');
        }
        table.write(recs.data(), static_cast<std::streamsize>(k * kLen));
        lines.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    if (!table || !lines) Fail("cannot write the input files in " + dir.string());
}

// The table back as it was before a sort: an in-kernel copy of the source
// put in place of the last sorted table. That table goes only now, as GNU
// sort's last output goes right before its run: on a virtual machine pages
// just freed are cheaper to write into than those the host took back.
void RestoreTable(const fs::path& dir) {
    const fs::path src = dir / "source.dta", dst = dir / "kj_jizdy.tmp";
    fs::remove(dst);
    int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
    int out = ::open(dst.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (in < 0 || out < 0) Fail("cannot copy the table");
    struct stat st{};
    ::fstat(in, &st);
    off_t left = st.st_size;
    while (left > 0) {
        ssize_t k = ::copy_file_range(in, nullptr, out, nullptr, static_cast<std::size_t>(left), 0);
        if (k <= 0) Fail("cannot copy the table");
        left -= k;
    }
    ::close(in);
    ::close(out);
    fs::rename(dst, dir / "kj_jizdy.dta");
}

struct Timing {
    double wall = 0, cpu = 0;
};

Timing RunOurs(kj::Common& c, const fs::path& dir) {
    RestoreTable(dir);
    ::sync();
    const double c0 = CpuOf(RUSAGE_SELF);
    const auto t0 = Clock::now();
    int rc = kj::SortTableFile(c, "kj_jizdy.dta", static_cast<std::int32_t>(kLen), KeyLess);
    Timing t{Since(t0), CpuOf(RUSAGE_SELF) - c0};
    if (rc != 0) Fail("SortTableFile failed with code " + std::to_string(rc));
    return t;
}

Timing RunGnu(const fs::path& dir) {
    fs::remove(dir / "sorted.txt");
    ::sync();
    const std::string t = "-T" + dir.string(), in = (dir / "lines.txt").string(),
                      out = "-o" + (dir / "sorted.txt").string();
    const char* argv[] = {"sort", "-S", "32M", "-s", "-k1.1,1.17", t.c_str(), in.c_str(), out.c_str(), nullptr};
    std::vector<std::string> envs = {"LC_ALL=C"};
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "LC_", 3) != 0 && std::strncmp(*e, "LANG", 4) != 0) envs.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : envs) envp.push_back(e.data());
    envp.push_back(nullptr);
    const double c0 = CpuOf(RUSAGE_CHILDREN);
    const auto t0 = Clock::now();
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "sort", nullptr, nullptr, const_cast<char**>(argv), envp.data()) != 0)
        Fail("cannot start sort");
    int status = 0;
    ::waitpid(pid, &status, 0);
    Timing r{Since(t0), CpuOf(RUSAGE_CHILDREN) - c0};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Fail("GNU sort failed");
    return r;
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary | std::ios::ate);
    std::string s(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    in.read(s.data(), static_cast<std::streamsize>(s.size()));
    return s;
}

// GNU sort's stable order with every group of equal keys reversed must be
// the table's order, record for record.
bool SameOrder(const fs::path& dir, std::size_t n) {
    const std::string table = ReadAll(dir / "kj_jizdy.dta");
    const std::string lines = ReadAll(dir / "sorted.txt");
    if (table.size() != n * kLen || lines.size() != n * (kLen + 1)) return false;
    auto line = [&](std::size_t i) { return lines.data() + i * (kLen + 1); };
    for (std::size_t g = 0; g < n;) {
        std::size_t e = g + 1;
        while (e < n && std::memcmp(line(e), line(g), kKey) == 0) ++e;
        for (std::size_t i = g; i < e; ++i)
            if (std::memcmp(table.data() + i * kLen, line(g + e - 1 - i), kLen) != 0) return false;
        g = e;
    }
    return true;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

std::vector<std::string> Split(const std::string& s) {
    std::vector<std::string> out;
    std::stringstream in(s);
    for (std::string part; std::getline(in, part, ',');)
        if (!part.empty()) out.push_back(part);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes = {1'000'000, 4'000'000};
    std::vector<std::string> shapes = {"random", "presorted", "equal"};
    int reps = 5;
    std::string only, base = fs::temp_directory_path().string();
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string opt = argv[i], val = argv[i + 1];
        if (opt == "--sizes") {
            sizes.clear();
            for (const auto& s : Split(val)) sizes.push_back(std::stoull(s));
        } else if (opt == "--shapes") {
            shapes = Split(val);
        } else if (opt == "--reps") {
            reps = std::max(1, std::stoi(val));
        } else if (opt == "--dir") {
            base = val;
        } else if (opt == "--only") {
            only = val;
        } else {
            Fail("unknown option " + opt);
        }
    }

    std::string tmpl = (fs::path(base) / "kjsortbench-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) Fail("cannot create a directory under " + base);
    const fs::path dir = tmpl;
    kj::HostFileSystem files(dir.string(), dir.string());
    kj::StderrDialogs ui;
    kj::Common c(files, ui);

    std::printf("%zu-byte records, key of %zu characters, %d repetitions, sides alternating; %ld cores\n", kLen,
                kKey, reps, ::sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("%-10s %-10s %9s %9s %9s %9s %7s %7s  %s\n", "records", "shape", "ours s", "gnu s", "ours cpu",
                "gnu cpu", "ratio", "cpu", "load before / after");
    std::fflush(stdout);
    bool allSame = true;
    for (std::size_t n : sizes) {
        for (const std::string& shape : shapes) {
            WriteInputs(dir, shape, n);
            const std::string loadBefore = LoadAverage();
            std::vector<double> oursWall, oursCpu, gnuWall, gnuCpu;
            for (int r = 0; r < reps; ++r) {
                for (int side = 0; side < 2; ++side) {
                    const bool ours = (side == 0) == (r % 2 == 0);
                    if (ours && only != "gnu") {
                        Timing t = RunOurs(c, dir);
                        oursWall.push_back(t.wall);
                        oursCpu.push_back(t.cpu);
                    } else if (!ours && only != "ours") {
                        Timing t = RunGnu(dir);
                        gnuWall.push_back(t.wall);
                        gnuCpu.push_back(t.cpu);
                    }
                }
                if (r == 0 && only.empty() && !SameOrder(dir, n)) {
                    std::printf("%zu %s: the table's order differs from GNU sort's\n", n, shape.c_str());
                    allSame = false;
                }
            }
            auto med = [](const std::vector<double>& v) { return v.empty() ? 0.0 : Median(v); };
            const double ow = med(oursWall), gw = med(gnuWall), oc = med(oursCpu), gc = med(gnuCpu);
            std::printf("%-10zu %-10s %9.3f %9.3f %9.3f %9.3f %7.3f %7.3f  %s / %s\n", n, shape.c_str(), ow, gw, oc,
                        gc, gw > 0 ? ow / gw : 0.0, gc > 0 ? oc / gc : 0.0, loadBefore.c_str(),
                        LoadAverage().c_str());
            std::fflush(stdout);
            for (const char* f : {"source.dta", "lines.txt", "kj_jizdy.dta", "sorted.txt"}) fs::remove(dir / f);
        }
    }
    fs::remove_all(dir);
    std::printf("results in the engine's order: %s\n", only.empty() ? (allSame ? "yes" : "NO") : "not checked");
    return allSame ? 0 : 1;
}
