// Files that are rewritten whole and put in place of the old one: a sorted
// table and a compacted parameter file. Unfed (deleted) records are dropped;
// a failure or a kill at any moment leaves the old table whole; the
// replacement keeps the old file's access for the other accounts of a shared
// directory, and reaches the disk in an order that a power loss cannot turn
// into an empty file.

#include "kj_test.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include "services/table_writeback.h"

namespace kj {
namespace {

using namespace rectest;

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

// The names of the files in the station's working directory that match.
std::vector<std::string> WorkFiles(Station& st, const char* mask = "*") {
    std::vector<DirEntry> files;
    st.fs.List(mask, &files);
    std::vector<std::string> names;
    for (const DirEntry& f : files) names.push_back(f.name);
    return names;
}

TEST(TableWriteBack, SortsTheTableAndDropsUnfedRecords) {
    TempStation st;
    constexpr std::int32_t kLen = 40;
    auto recs = TripRecords(30, kLen, 1);
    for (std::size_t i = 0; i < recs.size(); i += 3) recs[i][17] = '.';  // deleted
    WriteHost(st.Work("kjcile.dta"), Join(recs) + "tail");                 // plus an incomplete record
    WriteHost(st.Work("kjcile.dta.new"), "left over by a crash");
    auto keep = [](const char* r) { return r[17] != '.'; };
    // Through the work file (R = 4) and in memory.
    for (std::int32_t r : {4, 0}) {
        if (r == 0) WriteHost(st.Work("kjcile.dta"), Join(recs));
        ASSERT_EQ(SortTableFile(st.c, "kjcile.dta", kLen, KeyLess, keep, SortLimits{r}), 0);
        std::vector<std::string> kept;
        for (const auto& rec : recs)
            if (keep(rec.data())) kept.push_back(rec);
        EXPECT_EQ(ReadHost(st.Work("kjcile.dta")), Join(ByKey(kept)));
        EXPECT_EQ(WorkFiles(st), std::vector<std::string>{"kjcile.dta"});  // no ".new", no work file
    }
    // The record limit counts the records kept, not those read: 20 of 30
    // stay; one more than the limit allows fails and changes nothing.
    for (std::int64_t limit : {19, 20}) {
        WriteHost(st.Work("kjcile.dta"), Join(recs));
        EXPECT_EQ(SortTableFile(st.c, "kjcile.dta", kLen, KeyLess, keep, SortLimits{4, limit}),
                  limit < 20 ? kSortTooMany : 0);
        EXPECT_EQ(ReadHost(st.Work("kjcile.dta")) == Join(recs), limit < 20);
    }
    // Empty and one-record tables stay as they are.
    WriteHost(st.Work("empty.dta"), "");
    EXPECT_EQ(SortTableFile(st.c, "EMPTY.DTA", kLen, KeyLess), 0);
    EXPECT_EQ(ReadHost(st.Work("empty.dta")), "");
    WriteHost(st.Work("one.dta"), recs[1]);
    EXPECT_EQ(SortTableFile(st.c, "one.dta", kLen, KeyLess), 0);
    EXPECT_EQ(ReadHost(st.Work("one.dta")), recs[1]);
    // A missing table is not created.
    EXPECT_EQ(SortTableFile(st.c, "none.dta", kLen, KeyLess), io::kFileNotFound);
    EXPECT_FALSE(fs::exists(st.Work("none.dta")));
}

TEST(TableWriteBack, FailuresLeaveTheTableUntouched) {
    TempStation st;
    constexpr std::int32_t kLen = 20;
    auto recs = TripRecords(2000, kLen, 2);
    const std::string old = Join(recs);
    WriteHost(st.Work("kjucel.dta"), old);
    FaultPlan& newFile = st.fs.Plan("kjucel.dta.new");
    struct Fault {
        int FaultPlan::*field;
        int code;
    };
    // The disk fills up while the new file is written; the new file cannot
    // take the table's place; it cannot be created at all.
    newFile.writeFrom = 1000;
    for (Fault f : {Fault{&FaultPlan::writeCode, io::kDiskWriteError},
                    Fault{&FaultPlan::replaceCode, io::kAccessDenied},
                    Fault{&FaultPlan::openCode, io::kAccessDenied}}) {
        newFile.*f.field = f.code;
        EXPECT_EQ(SortTableFile(st.c, "kjucel.dta", kLen, KeyLess), f.code);
        EXPECT_EQ(ReadHost(st.Work("kjucel.dta")), old);
        EXPECT_EQ(WorkFiles(st), std::vector<std::string>{"kjucel.dta"});
        newFile.*f.field = 0;
    }
    EXPECT_EQ(SortTableFile(st.c, "kjucel.dta", kLen, KeyLess), 0);
    EXPECT_EQ(ReadHost(st.Work("kjucel.dta")), Join(ByKey(recs)));
    EXPECT_EQ(WorkFiles(st), std::vector<std::string>{"kjucel.dta"});
}

// The blocks of a write-back go out in order on the second thread; the first
// failed one stops the rest and is reported by the next Start and by Wait.
TEST(WriteBehind, KeepsTheOrderAndStopsAtTheFirstError) {
    WriteBehind behind;
    std::vector<int> done;  // only the jobs touch it until Wait returns
    for (int i = 0; i < 40; ++i) {
        const int rc = behind.Start([&done, i] {
            done.push_back(i);
            return i == 30 ? io::kDiskWriteError : io::kOk;
        });
        EXPECT_EQ(rc, i <= 30 ? io::kOk : io::kDiskWriteError) << i;
    }
    EXPECT_EQ(behind.Wait(), io::kDiskWriteError);
    std::vector<int> want(31);
    for (int i = 0; i <= 30; ++i) want[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(done, want);
}

// A child process sorts a table of 16 MB and is killed at different
// moments, before, while and after it writes the new file. Every time the
// table must be the complete old or the complete new content.
TEST(TableWriteBack, SurvivesAKillAtAnyMoment) {
    TempStation st;
    constexpr std::int32_t kLen = 2000;  // few records, quickly sorted, many bytes
    auto recs = TripRecords(8'000, kLen, 3);
    const std::string old = Join(recs);
    const std::string sorted = Join(ByKey(recs));
    const fs::path table = st.Work("kj_jizdy.dta");
    const fs::path newFile = st.Work("kj_jizdy.dta.new");
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
            st.fs.PlanMatching([](std::string_view) { return true; }).writeDelayMs = 5;
            ::_exit(SortTableFile(st.c, "kj_jizdy.dta", kLen, KeyLess) == 0 ? 0 : 1);
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
        EXPECT_EQ(WorkFiles(st, "*.DTA"), std::vector<std::string>{"kj_jizdy.dta"});
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

bool KeyLess4(const char* a, const char* b) { return std::memcmp(a, b, 4) < 0; }

// One way of rewriting a file: its path, the new file beside it, what it
// holds before and after, and the run (0 when it reported no failure).
struct Rewrite {
    const char* what;
    std::string path;     // as the system spells it, relative to the station's directory
    std::string newPath;  // the file written beside it
    std::string before;
    std::string after;
    std::function<int(Station&)> run;
};

std::vector<Rewrite> Rewrites() {
    return {
        {"sorted table", "kjucel.dta", "kjucel.dta.new", "ccccxxxxaaaayyyybbbbzzzz",
         "aaaayyyybbbbzzzzccccxxxx",
         [](Station& s) { return SortTableFile(s.c, "kjucel.dta", 8, KeyLess4); }},
        {"compacted parameter file", "par\\okna2.par", "par\\okna2.par~",
         "A : 1\r\n     \r\nB : 2\r\n", "A : 1\r\nB : 2\r\n",
         [](Station& s) {
             const std::size_t beeps = s.ui.shown.size();
             SetReg(s.c, "par\\okna2.par", "", "");
             return s.ui.shown.size() == beeps ? 0 : 1;
         }},
    };
}

fs::path HostOf(const Station& s, std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return s.work / path;
}

struct stat StatOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st;
}

TEST(FileReplacement, KeepsTheModeOwnerAndGroupOfTheReplacedFile) {
    // A mode the umask would never give a new file, and (where the process
    // may give files away) an owner and a group other than its own.
    const bool privileged = ::geteuid() == 0;
    gid_t otherGroup = privileged ? 4321 : ::getegid();
    if (!privileged) {
        std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
        ::getgroups(static_cast<int>(groups.size()), groups.data());
        for (gid_t g : groups)
            if (g != ::getegid()) otherGroup = g;
    }
    const uid_t owner = privileged ? 4322 : ::geteuid();
    ::umask(022);
    for (const Rewrite& r : Rewrites()) {
        TempStation s;
        const fs::path host = HostOf(s, r.path);
        WriteHost(host, r.before);
        for (mode_t mode : {mode_t{0666}, mode_t{0640}}) {
            ASSERT_EQ(::chmod(host.c_str(), mode), 0);
            ASSERT_EQ(::chown(host.c_str(), owner, otherGroup), 0);
            const ino_t inode = StatOf(host).st_ino;
            WriteHost(host, r.before);
            ASSERT_EQ(r.run(s), 0) << r.what;
            EXPECT_EQ(ReadHost(host), r.after) << r.what;
            const struct stat now = StatOf(host);
            EXPECT_NE(now.st_ino, inode) << r.what << ": the file was not replaced";
            EXPECT_EQ(now.st_mode & 07777, mode) << r.what;
            EXPECT_EQ(now.st_gid, otherGroup) << r.what;
            EXPECT_EQ(now.st_uid, owner) << r.what;
        }
    }
}

TEST(FileReplacement, NewFileReachesTheDiskBeforeItReplacesTheOld) {
    for (const Rewrite& r : Rewrites()) {
        TempStation s;
        const fs::path host = HostOf(s, r.path);
        WriteHost(host, r.before);
        ASSERT_EQ(r.run(s), 0) << r.what;
        EXPECT_EQ(ReadHost(host), r.after);
        // The new file's bytes, then the rename, then the directory entry.
        EXPECT_EQ(s.fs.durability, (std::vector<std::string>{
                                       "sync " + r.newPath, "close " + r.newPath,
                                       "replace " + r.newPath + " " + r.path, "syncdir " + r.path}))
            << r.what;

        // A new file that cannot be synced never replaces the old one.
        WriteHost(host, r.before);
        s.fs.Plan(r.newPath).syncCode = io::kDiskWriteError;
        EXPECT_NE(r.run(s), 0) << r.what;
        EXPECT_EQ(ReadHost(host), r.before) << r.what;
        EXPECT_FALSE(fs::exists(HostOf(s, r.newPath))) << r.what;
        s.fs.Plan(r.newPath).syncCode = 0;

        // A directory that cannot be synced is reported, not passed over.
        s.fs.Plan(r.path).dirSyncCode = io::kDiskWriteError;
        EXPECT_NE(r.run(s), 0) << r.what;
        EXPECT_EQ(ReadHost(host), r.after) << r.what;
        EXPECT_FALSE(fs::exists(HostOf(s, r.newPath))) << r.what;
    }
}

}  // namespace
}  // namespace kj
