// Files that the processes of an installation share besides the data:
// the sort work files of a station's working directory and the job table
// "master.job" of the data directory. kj_station processes, killed with
// SIGKILL where a crash is the point. Needs KJ_BUILD_DIR (set by ctest).

#include "kj_test.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <regex>
#include <set>

#include "station_procs.h"

namespace kj {
namespace {

using namespace procs;

// The sort work files in a directory.
std::set<std::string> WorkFiles(const fs::path& dir) {
    static const std::regex name("SORT[0-9]{4}\\.WRK");
    std::set<std::string> found;
    for (const auto& e : fs::directory_iterator(dir))
        if (std::regex_match(e.path().filename().string(), name))
            found.insert(e.path().filename().string());
    return found;
}

// A sort killed in its disk merge leaves its work file behind; the next
// sort of the station, and its next start, remove every such file that no
// sort holds, and never the file of a sort at work.
TEST(SortWorkFiles, KilledSortsLeaveNoFilesForLater) {
    KJ_REQUIRE_PROGRAMS("kj_station", "kj_lockserver");
    Installation inst(1);
    // The stations are killed while they hold the table's write lock; the
    // lock server frees it with the connection.
    LockServerProc server(inst.root());
    ASSERT_TRUE(server.Start(""));
    inst.SetServer(server.address());

    // 401 records in runs of 50: nine runs on disk, so the sort merges them there.
    constexpr int kLen = 32, kRun = 50, kRecords = 8 * kRun + 1;
    std::mt19937 rng(11);
    std::vector<std::string> recs;
    for (int i = 0; i < kRecords; ++i) {
        std::string r(kLen, ' ');
        for (char& ch : r) ch = static_cast<char>('A' + rng() % 26);
        recs.push_back(r);
    }
    std::string unsorted;
    for (const auto& r : recs) unsorted += r;
    std::sort(recs.begin(), recs.end());
    std::string sorted;
    for (const auto& r : recs) sorted += r;
    const fs::path table = inst.Data() / "TABULKA.DTA";
    std::ofstream(table, std::ios::binary) << unsorted;
    std::ofstream(inst.Data() / "MALA.DTA", std::ios::binary) << sorted.substr(0, 10 * kLen);
    const fs::path work = inst.Station(1);
    const std::string sortCommand =
        "sort TABULKA.DTA " + std::to_string(kLen) + " " + std::to_string(kRun) + " pause";

    // Killed in the merge again and again: each start finds the file of the
    // run before gone.
    for (int round = 0; round < 4; ++round) {
        Proc p;
        ASSERT_TRUE(inst.StartStation(p, 1)) << p.output();
        EXPECT_EQ(WorkFiles(work).size(), 0u) << "round " << round;
        ASSERT_TRUE(p.Ask(sortCommand, "MERGING SORT")) << p.output();
        p.Kill();
        EXPECT_EQ(WorkFiles(work).size(), 1u) << "round " << round;
        EXPECT_EQ(ReadText(table), unsorted);
    }

    // Stations running side by side in the working directory: one is
    // killed in its merge, the next sort removes its file but keeps the
    // file of a sort that is still merging.
    Proc a, b, c;
    ASSERT_TRUE(inst.StartStation(a, 1) && inst.StartStation(b, 1) && inst.StartStation(c, 1));
    ASSERT_TRUE(WorkFiles(work).empty());
    ASSERT_TRUE(b.Ask(sortCommand, "MERGING SORT")) << b.output();
    const std::set<std::string> killed = WorkFiles(work);
    ASSERT_EQ(killed.size(), 1u);
    b.Kill();
    ASSERT_TRUE(c.Ask(sortCommand, "MERGING SORT")) << c.output();
    std::set<std::string> merging = WorkFiles(work);
    ASSERT_EQ(merging.size(), 1u) << "the killed sort's file is still there";
    EXPECT_NE(*merging.begin(), *killed.begin());
    ASSERT_TRUE(a.Ask("sort MALA.DTA " + std::to_string(kLen) + " 0", "SORTED MALA.DTA 0")) << a.output();
    EXPECT_EQ(WorkFiles(work), merging);  // held: kept
    ASSERT_TRUE(c.Ask("go", "SORTED TABULKA.DTA 0")) << c.output();
    EXPECT_EQ(ReadText(table), sorted);
    EXPECT_TRUE(WorkFiles(work).empty());
    for (Proc* p : {&a, &c}) EXPECT_EQ(p->Quit(), 0) << p->output();
}

// Stations counting up different keys of the shared job table at once:
// no station's change may undo another's.
TEST(JobTableStations, ChangesOfDifferentKeysAreNeverLost) {
    KJ_REQUIRE_PROGRAMS("kj_station", "kj_lockserver");
    constexpr int kStations = 4, kCount = 5000;
    Installation inst(kStations);
    std::ofstream(inst.Data() / "master.job", std::ios::binary) << std::string(3600, '\0');
    std::vector<std::unique_ptr<Proc>> st;
    for (int n = 1; n <= kStations; ++n) {
        st.push_back(std::make_unique<Proc>());
        ASSERT_TRUE(inst.StartStation(*st.back(), n)) << st.back()->output();
    }
    for (int n = 1; n <= kStations; ++n)
        st[n - 1]->Send("jobcount POCET" + std::to_string(n) + " " + std::to_string(kCount));
    for (int n = 1; n <= kStations; ++n)
        EXPECT_TRUE(st[n - 1]->WaitFor("COUNTED POCET" + std::to_string(n) + " ", 30000))
            << st[n - 1]->output();

    // Each key as its station left it, read from the bytes on disk.
    const std::string job = ReadText(inst.Data() / "master.job");
    ASSERT_EQ(job.size(), 3600u);
    for (int n = 1; n <= kStations; ++n) {
        const std::string key = "POCET" + std::to_string(n);
        std::string value = "missing";
        for (std::size_t at = 0; at + 18 <= job.size(); at += 18)
            if (job.compare(at + 1, key.size(), key) == 0 &&
                job[at] == static_cast<char>(key.size()))
                value = job.substr(at + 10, static_cast<unsigned char>(job[at + 9]));
        EXPECT_EQ(value, std::to_string(kCount)) << key;
    }
    for (auto& p : st) {
        EXPECT_EQ(p->Quit(), 0) << p->output();
        EXPECT_EQ(p->output().find("BEEP"), std::string::npos) << p->output();
    }
}

}  // namespace
}  // namespace kj
