// Files that are rewritten whole and put in place of the old one: a sorted
// table and a compacted parameter file. The replacement keeps the old file's
// access for the other accounts of a shared directory, and reaches the disk
// in an order that a power loss cannot turn into an empty file.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "rec_station.h"
#include "services/io_codes.h"
#include "services/params.h"
#include "services/table_writeback.h"
#include "test_dir.h"

namespace kj {
namespace {

using namespace rectest;

bool KeyLess(const char* a, const char* b) {
    return std::memcmp(a, b, 4) < 0;
}

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
         [](Station& s) { return SortTableFile(s.c, "kjucel.dta", 8, KeyLess); }},
        {"compacted parameter file", "par\\okna2.par", "par\\okna2.par~",
         "A : 1\r\n     \r\nB : 2\r\n", "A : 1\r\nB : 2\r\n",
         [](Station& s) {
             const std::size_t beeps = s.ui.shown.size();
             SetReg(s.c, "par\\okna2.par", "", "");
             return s.ui.shown.size() == beeps ? 0 : 1;
         }},
    };
}

fs::path HostOf(const Station& s, const std::string& path) {
    std::string p = path;
    for (char& ch : p)
        if (ch == '\\') ch = '/';
    return s.work / p;
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
        TestDir dir;
        Station s(dir.path());
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
        TestDir dir;
        Station s(dir.path());
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
