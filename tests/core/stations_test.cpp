// Several stations for real: kj_station processes, each with its own
// working directory and station number, on one data directory, locking
// through the register "FOT.tab" or through the lock server (kj_lockserver
// on 127.0.0.1). Needs KJ_BUILD_DIR (set by ctest) to find the programs.

#include "kj_test.h"

#include <csignal>
#include <map>
#include <memory>

#include "station_procs.h"

namespace kj {
namespace {

using namespace procs;

const std::string kFile = "SDILENY.DTA";  // 11 characters: padded to 12 in messages

std::string Name12(const std::string& name) {
    std::string n = name;
    n.resize(12, ' ');
    return n;
}

// The holder as the waits name it: name, mode, station and user.
std::string Holder(const std::string& mode, int station) {
    return Name12(kFile) + " " + mode + " užívá " + Installation::Two(station) + "   " +
           Installation::User(station);
}

// Checks the file written by "append" of stations 1..stations, count records
// each: whole records only, each exactly once, each station's in order.
void CheckAppended(const std::string& bytes, int stations, int count) {
    constexpr std::size_t kRec = 20;
    ASSERT_EQ(bytes.size(), kRec * static_cast<std::size_t>(stations * count))
        << "records lost or added";
    std::map<int, int> last;  // in order and each once: 1, 2, ... count
    for (std::size_t at = 0; at < bytes.size(); at += kRec) {
        const std::string rec = bytes.substr(at, kRec);
        ASSERT_EQ(rec.substr(0, 9), rec.substr(10, 9)) << "torn record at " << at << ": " << rec;
        ASSERT_EQ(rec.substr(2, 1) + rec[9] + rec[19], ":|\n") << rec;
        const int st = std::stoi(rec.substr(0, 2));
        ASSERT_EQ(std::stoi(rec.substr(3, 6)), last[st] + 1) << "station " << st << " at " << at;
        last[st]++;
    }
    for (int st = 1; st <= stations; ++st) EXPECT_EQ(last[st], count) << "station " << st;
}

struct Stations : ::testing::TestWithParam<bool> {
    bool server() const { return GetParam(); }

    // The installation of n stations; with the lock server when the
    // parameter says so.
    void Setup(int n) {
        inst = std::make_unique<Installation>(n);
        if (server()) {
            lockServer = std::make_unique<LockServerProc>(inst->root());
            ASSERT_TRUE(lockServer->Start(inst->Prog().string()));
            inst->SetServer(lockServer->address());
        }
    }

    // Station n started and ready; the mode of locking is checked.
    std::unique_ptr<Proc> Start(int n, std::vector<std::string> options = {"--note-ms", "10"}) {
        auto p = std::make_unique<Proc>();
        EXPECT_TRUE(inst->StartStation(*p, n, options)) << p->output();
        EXPECT_NE(p->output().find(server() ? " server 127.0.0.1:" : " register"),
                  std::string::npos)
            << p->output();
        return p;
    }

    RunResult Admin(std::vector<std::string> args) {
        args.insert(args.begin(), {Program("kj_admin"), "--names", inst->Prog().string()});
        return RunProgram(args);
    }

    std::unique_ptr<Installation> inst;
    std::unique_ptr<LockServerProc> lockServer;
};

TEST_P(Stations, AppendLoopsKeepEveryRecordOnceAndWhole) {
    KJ_REQUIRE_PROGRAMS("kj_station", "kj_lockserver", "kj_admin");
    constexpr int kStations = 3;
    const int count = 400;
    Setup(kStations);
    std::vector<std::unique_ptr<Proc>> st;
    for (int n = 1; n <= kStations; ++n) st.push_back(Start(n, {"--note-ms", "1", "--quiet"}));
    for (auto& p : st) p->Send("append " + kFile + " " + std::to_string(count));
    for (int n = 1; n <= kStations; ++n) {
        Proc& p = *st[static_cast<std::size_t>(n - 1)];
        ASSERT_TRUE(p.WaitFor("APPENDED " + std::to_string(count) + " notes ", 20000))
            << "station " << n << ": " << p.output();
        EXPECT_TRUE(p.WaitFor("nolock 0\n", 100)) << p.output();
        EXPECT_EQ(p.output().find("BEEP"), std::string::npos) << p.output();
    }
    CheckAppended(ReadText(inst->Data() / kFile), kStations, count);

    // Nothing stays locked.
    st[0]->Send("free " + kFile);
    EXPECT_TRUE(st[0]->WaitFor("FREE\n")) << st[0]->output();
    for (auto& p : st) EXPECT_EQ(p->Quit(), 0) << p->output();
    if (!server()) {
        RunResult locks = Admin({"locks", inst->Data().string()});
        EXPECT_EQ(locks.code, 0);
        EXPECT_NE(locks.output.find("Žádné zámky."), std::string::npos) << locks.output;
    }
}

TEST_P(Stations, ReadLocksCoexistAndAWriteLockWaitsForBoth) {
    KJ_REQUIRE_PROGRAMS("kj_station", "kj_lockserver", "kj_admin");
    Setup(3);
    auto a = Start(1), b = Start(2), w = Start(3);
    ASSERT_TRUE(a->Ask("lock " + kFile + " R", "LOCKED " + kFile)) << a->output();
    ASSERT_TRUE(b->Ask("lock " + kFile + " R", "LOCKED " + kFile)) << b->output();
    EXPECT_TRUE(w->Ask("free " + kFile, "HELD R 01   JAN NOVÁK\n")) << w->output();

    // The writer waits, naming the first reader ...
    ASSERT_TRUE(w->Ask("lock " + kFile + " W", Holder("R", 1))) << w->output();
    ASSERT_TRUE(a->Ask("unlock " + kFile, "UNLOCKED " + kFile));
    // ... then the second one, still without the lock ...
    ASSERT_TRUE(w->WaitFor(Holder("R", 2))) << w->output();
    EXPECT_EQ(w->output().find("LOCKED"), std::string::npos) << w->output();
    ASSERT_TRUE(b->Ask("unlock " + kFile, "UNLOCKED " + kFile));
    // ... and has it once both are gone.
    ASSERT_TRUE(w->WaitFor("LOCKED " + kFile)) << w->output();
    EXPECT_TRUE(b->Ask("free " + kFile, "HELD W 03   PETR DVOŘÁK\n")) << b->output();
    // Now readers wait for the writer.
    ASSERT_TRUE(a->Ask("lock " + kFile + " R", Holder("W", 3))) << a->output();
    w->Send("unlock " + kFile);
    ASSERT_TRUE(a->WaitFor("LOCKED " + kFile)) << a->output();
}

TEST_P(Stations, KilledStationsLock) {
    KJ_REQUIRE_PROGRAMS("kj_station", "kj_lockserver", "kj_admin");
    Setup(2);
    auto a = Start(1), b = Start(2);
    ASSERT_TRUE(a->Ask("lock " + kFile + " W", "LOCKED " + kFile));
    ASSERT_TRUE(b->Ask("lock " + kFile + " W", Holder("W", 1))) << b->output();
    a->Signal(SIGKILL);
    ASSERT_NE(a->Wait(), -1);

    if (server()) {
        // The server frees the lock with the connection of the dead station.
        ASSERT_TRUE(b->WaitFor("LOCKED " + kFile)) << b->output();
        EXPECT_NE(lockServer->Log().find("spojení ukončeno, uvolněno zámků: 1"),
                  std::string::npos)
            << lockServer->Log();
        return;
    }

    // The register keeps the entry: the other station still waits, naming
    // the holder ...
    ASSERT_TRUE(b->WaitFor(Holder("W", 1))) << b->output();
    EXPECT_EQ(b->Unseen().find("LOCKED"), std::string::npos);
    // ... the restarted station meets its own entry and is told to restart ...
    auto again = Start(1, {"--note-ms", "5", "--max-messages", "2"});
    again->Send("lock " + kFile + " R");
    EXPECT_EQ(again->ExitCode(), 3) << again->output();
    EXPECT_NE(again->output().find("BEEP Přístup k souboru " + Name12(kFile) +
                                   " W je blokován 01   Jan Novák\n"),
              std::string::npos)
        << again->output();
    EXPECT_NE(again->output().find("BEEP Dejte \"Ctrl Alt Del\""), std::string::npos);

    // ... until the administrator sees and removes it.
    RunResult locks = Admin({"locks", inst->Data().string()});
    EXPECT_EQ(locks.code, 0) << locks.output;
    EXPECT_NE(locks.output.find("SDILENY.DTA   01       W      Jan Novák"), std::string::npos)
        << locks.output;
    EXPECT_EQ(b->Unseen().find("LOCKED"), std::string::npos);
    RunResult unlock = Admin({"unlock", inst->Data().string(), "1"});
    EXPECT_EQ(unlock.code, 0) << unlock.output;
    EXPECT_NE(unlock.output.find("Odstraněno zámků: 1"), std::string::npos) << unlock.output;
    ASSERT_TRUE(b->WaitFor("LOCKED " + kFile)) << b->output();
    RunResult after = Admin({"locks", inst->Data().string()});
    EXPECT_NE(after.output.find("SDILENY.DTA   02       W      Eva Malá"), std::string::npos)
        << after.output;
    EXPECT_NE(after.output.find("Obsazeno položek: 1 z 99"), std::string::npos) << after.output;
}

INSTANTIATE_TEST_SUITE_P(Locking, Stations, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Server" : "Register"; });

}  // namespace
}  // namespace kj
