#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "services/common.h"
#include "services/file_system.h"
#include "services/io_codes.h"
#include "services/scripted_dialogs.h"
#include "services/table_writeback.h"
#include "sort_fault_fs.h"
#include "test_dir.h"

namespace kj {
namespace {

namespace fs = std::filesystem;

std::string ReadHost(const fs::path& p) {
    std::ifstream in(p, std::ios::binary | std::ios::ate);
    std::string s(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    in.read(s.data(), static_cast<std::streamsize>(s.size()));
    return s;
}

void WriteHost(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Records of `len` bytes that begin with a unique 17-character key (date
// RRMMDD, hour "@@.@@", record number "@@@@@@") in random order.
std::vector<std::string> TripRecords(std::size_t n, std::size_t len, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::string> v;
    for (std::size_t i = 0; i < n; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "%02u%02u%02u%02u.%02u%06zu", unsigned(rng() % 30), unsigned(rng() % 12 + 1),
                      unsigned(rng() % 28 + 1), unsigned(rng() % 24), unsigned(rng() % 60), i + 1);
        std::string r(len, static_cast<char>('a' + i % 26));
        std::memcpy(r.data(), key, std::min<std::size_t>(17, len));
        r[len - 1] = static_cast<char>('a' + rng() % 26);
        v.push_back(r);
    }
    return v;
}

std::string Join(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& r : v) s += r;
    return s;
}

std::vector<std::string> ByKey(std::vector<std::string> v) {
    std::sort(v.begin(), v.end(),
              [](const std::string& a, const std::string& b) { return a.compare(0, 17, b, 0, 17) < 0; });
    return v;
}

bool KeyLess(const char* a, const char* b) { return std::memcmp(a, b, 17) < 0; }

struct Station {
    TestDir dir;
    HostFileSystem fs{dir.str(), dir.str()};
    ScriptedDialogs ui;
    Common c{fs, ui};
    fs::path Host(const char* name) const { return dir.path() / name; }
};

TEST(TableWriteBack, SortsTheTableAndDropsUnfedRecords) {
    Station st;
    constexpr std::int32_t kLen = 40;
    auto recs = TripRecords(30, kLen, 1);
    for (std::size_t i = 0; i < recs.size(); i += 3) recs[i][17] = '.';  // deleted
    WriteHost(st.Host("kjcile.dta"), Join(recs) + "tail");                 // plus an incomplete record
    WriteHost(st.Host("kjcile.dta.new"), "left over by a crash");
    auto keep = [](const char* r) { return r[17] != '.'; };
    // Through the work file (R = 4) and in memory.
    for (std::int32_t r : {4, 0}) {
        if (r == 0) WriteHost(st.Host("kjcile.dta"), Join(recs));
        ASSERT_EQ(SortTableFile(st.c, "kjcile.dta", kLen, KeyLess, keep, SortLimits{r}), 0);
        std::vector<std::string> kept;
        for (const auto& rec : recs)
            if (keep(rec.data())) kept.push_back(rec);
        EXPECT_EQ(ReadHost(st.Host("kjcile.dta")), Join(ByKey(kept)));
        std::vector<DirEntry> files;
        st.fs.List("*", &files);
        ASSERT_EQ(files.size(), 1u);  // no ".new", no work file
        EXPECT_EQ(files[0].name, "kjcile.dta");
    }
    // Empty and one-record tables stay as they are.
    WriteHost(st.Host("empty.dta"), "");
    EXPECT_EQ(SortTableFile(st.c, "EMPTY.DTA", kLen, KeyLess), 0);
    EXPECT_EQ(ReadHost(st.Host("empty.dta")), "");
    WriteHost(st.Host("one.dta"), recs[1]);
    EXPECT_EQ(SortTableFile(st.c, "one.dta", kLen, KeyLess), 0);
    EXPECT_EQ(ReadHost(st.Host("one.dta")), recs[1]);
    // A missing table is not created.
    EXPECT_EQ(SortTableFile(st.c, "none.dta", kLen, KeyLess), io::kFileNotFound);
    EXPECT_FALSE(fs::exists(st.Host("none.dta")));
}

TEST(TableWriteBack, FailuresLeaveTheTableUntouched) {
    Station st;
    SortFaultFs faulty(st.fs);
    Common c(faulty, st.ui);
    faulty.affects = [](std::string_view p) { return p.ends_with(".new"); };
    constexpr std::int32_t kLen = 20;
    auto recs = TripRecords(2000, kLen, 2);
    const std::string old = Join(recs);
    WriteHost(st.Host("kjucel.dta"), old);
    auto onlyTable = [&] {
        std::vector<DirEntry> files;
        st.fs.List("*", &files);
        return files.size() == 1 && files[0].name == "kjucel.dta";
    };

    faulty.writeBudget = 1000;  // the disk fills up while the new file is written
    EXPECT_EQ(SortTableFile(c, "kjucel.dta", kLen, KeyLess), io::kDiskWriteError);
    EXPECT_EQ(ReadHost(st.Host("kjucel.dta")), old);
    EXPECT_TRUE(onlyTable());
    faulty.writeBudget = -1;

    faulty.replaceCode = io::kAccessDenied;  // the new file cannot take the table's place
    EXPECT_EQ(SortTableFile(c, "kjucel.dta", kLen, KeyLess), io::kAccessDenied);
    EXPECT_EQ(ReadHost(st.Host("kjucel.dta")), old);
    EXPECT_TRUE(onlyTable());
    faulty.replaceCode = 0;

    faulty.openCode = io::kAccessDenied;  // the new file cannot be created
    EXPECT_EQ(SortTableFile(c, "kjucel.dta", kLen, KeyLess), io::kAccessDenied);
    EXPECT_EQ(ReadHost(st.Host("kjucel.dta")), old);
    faulty.openCode = 0;

    EXPECT_EQ(SortTableFile(c, "kjucel.dta", kLen, KeyLess), 0);
    EXPECT_EQ(ReadHost(st.Host("kjucel.dta")), Join(ByKey(recs)));
    EXPECT_TRUE(onlyTable());
}

// A child process sorts a table of 16 MB and is killed at different
// moments, before, while and after it writes the new file. Every time the
// table must be the complete old or the complete new content.
TEST(TableWriteBack, SurvivesAKillAtAnyMoment) {
    Station st;
    constexpr std::int32_t kLen = 2000;  // few records, quickly sorted, many bytes
    auto recs = TripRecords(8'000, kLen, 3);
    const std::string old = Join(recs);
    const std::string sorted = Join(ByKey(recs));
    const fs::path table = st.Host("kj_jizdy.dta");
    const fs::path newFile = st.Host("kj_jizdy.dta.new");
    const auto full = static_cast<std::uintmax_t>(old.size());

    auto sizeOf = [](const fs::path& p) -> std::uintmax_t {
        std::error_code ec;
        auto n = fs::file_size(p, ec);
        return ec ? 0 : n;
    };
    auto newSize = [&] { return sizeOf(newFile); };

    struct Moment {
        int sleepMs;                // kill after this many milliseconds ...
        std::uintmax_t atNewBytes;  // ... or once the new file has this many bytes
        bool kill;
    };
    const std::vector<Moment> moments = {
        {0, 0, true},     {30, 0, true},        {-1, 1, true},
        {-1, full / 2, true}, {-1, full, true}, {-1, 0, false},
    };
    int oldSeen = 0, newSeen = 0, killedMidWrite = 0;
    for (const Moment& m : moments) {
        WriteHost(table, old);
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // Writes of 1 MB take 5 ms or more, so that the parent, however
            // busy the machine, finds the new file half written.
            HostFileSystem childFs(st.dir.str(), st.dir.str());
            SortFaultFs slow(childFs);
            slow.affects = [](std::string_view) { return true; };
            slow.writeDelayMs = 5;
            ScriptedDialogs ui;
            Common c(slow, ui);
            ::_exit(SortTableFile(c, "kj_jizdy.dta", kLen, KeyLess) == 0 ? 0 : 1);
        }
        int status = 0;
        bool exited = false;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        if (m.sleepMs >= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(m.sleepMs));
        } else if (m.kill) {
            // Also stop as soon as the table itself changes size: a write-back
            // that rewrote the table in place would be caught in the middle.
            while (!exited && newSize() < m.atNewBytes && sizeOf(table) == full &&
                   std::chrono::steady_clock::now() < deadline) {
                exited = ::waitpid(pid, &status, WNOHANG) == pid;
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
        }
        if (!m.kill) {
            exited = ::waitpid(pid, &status, 0) == pid;
            EXPECT_TRUE(exited && WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        if (!exited) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        }
        std::uintmax_t partial = newSize();
        if (partial > 0 && partial < full) ++killedMidWrite;

        std::string now = ReadHost(table);
        bool isOld = now == old, isNew = now == sorted;
        EXPECT_TRUE(isOld || isNew) << "moment " << m.sleepMs << "/" << m.atNewBytes << ": table of "
                                    << now.size() << " bytes is neither";
        oldSeen += isOld;
        newSeen += isNew;
        // A leftover new file is never taken for the table.
        std::vector<DirEntry> tables;
        st.fs.List("*.DTA", &tables);
        ASSERT_EQ(tables.size(), 1u);
        EXPECT_EQ(tables[0].name, "kj_jizdy.dta");
    }
    EXPECT_GE(oldSeen, 1);
    EXPECT_GE(newSeen, 1);
    EXPECT_GE(killedMidWrite, 1);  // the dangerous window was hit at least once

    // After all that a write-back in this process finishes the job.
    WriteHost(table, old);
    EXPECT_EQ(SortTableFile(st.c, "kj_jizdy.dta", kLen, KeyLess), 0);
    EXPECT_EQ(ReadHost(table), sorted);
    EXPECT_FALSE(fs::exists(newFile));
}

}  // namespace
}  // namespace kj
