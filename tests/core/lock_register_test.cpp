#include "kj_test.h"

#include <deque>
#include <fstream>
#include <memory>

#include "services/lock_client.h"
#include "services/locks.h"

namespace kj {
namespace {

// One FOT.tab entry as it lies on disk.
std::string Entry(const std::string& name12, const std::string& station4, const std::string& mode) {
    EXPECT_EQ(name12.size(), 12u);
    EXPECT_EQ(station4.size(), 4u);
    return std::string(1, '\x0c') + name12 + '\x04' + station4 + '\x01' + mode;
}

const std::string kFree = Entry("            ", "    ", " ");

// A full 99-entry table: the given entries, then free ones.
std::string Table(std::vector<std::string> entries) {
    std::string t;
    for (const auto& e : entries) t += e;
    while (t.size() < 1980) t += kFree;
    return t;
}

std::string NumberedName(int i) {  // "SOUBOR01.DTA".."SOUBOR99.DTA", 12 characters
    char buf[16];
    std::snprintf(buf, sizeof buf, "SOUBOR%02d.DTA", i);
    return buf;
}

// Zamkni tells its caller true when the lock is registered (or locking does
// not apply), false when the attempt ended without a lock.

// Station `number` in the shared working directory, program directory \PROG\.
struct Station : rectest::Station {
    Station(const fs::path& root, int number) : rectest::Station(root, "0" + std::to_string(number)) {
        c.set.stationIndex = number;
        c.progDirCache = "C:\\PROG\\";
    }
};

struct LockRegister : ::testing::Test {
    LockRegister() {
        fs::create_directories(dir.path() / "data");
        // JMENA.tab: user names of stations 1 to 3.
        std::string names;
        const std::string users[] = {"", "Jan Novák"_cz, "Eva Malá"_cz, "Petr Dvořák"_cz};
        for (const auto& u : users) {
            std::string rec(25, '\0');
            rec[0] = static_cast<char>(u.size());
            rec.replace(1, u.size(), u);
            names += rec;
        }
        WriteHost(dir.path() / "prog" / "JMENA.tab", names);
    }
    std::string Fot() const { return ReadHost(dir.path() / "data" / "FOT.tab"); }

    TestDir dir;
    Station s1{dir.path(), 1};
    Station s2{dir.path(), 2};
    Station s3{dir.path(), 3};
    const std::string path = "C:\\data\\kj_auta.dta";
    const std::string name = "KJ_AUTA.DTA ";
};

TEST_F(LockRegister, ReadLocksCoexistAndWriteWaitsUntilBothAreReleased) {
    EXPECT_TRUE(Zamkni(s1.c, path, ""));
    EXPECT_TRUE(Zamkni(s2.c, path, ""));
    EXPECT_EQ(Fot(), Table({Entry(name, "01  ", "R"), Entry(name, "02  ", "R")}));
    EXPECT_TRUE(s2.ui.shown.empty());

    // Station 3 waits for station 1, then for station 2. Asking to stop
    // does not end this wait; only the blocked-table wait listens to that.
    s3.ui.notes = {NoteResult::StopWaiting, NoteResult::StopWaiting};
    s3.ui.onNote = [&](const ScriptedDialogs::Shown&) {
        Odemkni(s3.ui.Count("note") == 1 ? s1.c : s2.c, path);
    };
    EXPECT_TRUE(Zamkni(s3.c, path, "W"));
    ASSERT_EQ(s3.ui.Count("note"), 2);
    EXPECT_EQ(s3.ui.Texts("note"),
              (std::vector<std::string>{"Soubor KJ_AUTA.DTA  R užívá 01   Jan Novák"_cz,
                                        "Soubor KJ_AUTA.DTA  R užívá 02   Eva Malá"_cz}));
    EXPECT_EQ(s3.ui.shown[0].ms, 1000);
    EXPECT_EQ(Fot(), Table({Entry(name, "03  ", "W")}));
}

TEST_F(LockRegister, OwnReadLockBlocksOwnWriteWithRestartMessages) {
    // Read locks are counted: two entries, one release frees the first.
    Zamkni(s1.c, path, "");
    Zamkni(s1.c, path, "");
    Odemkni(s1.c, path);
    EXPECT_EQ(Fot(), Table({kFree, Entry(name, "01  ", "R")}));
    // Releasing a file this station does not hold changes nothing.
    Odemkni(s2.c, path);
    EXPECT_EQ(Fot(), Table({kFree, Entry(name, "01  ", "R")}));

    s1.ui.onBeep = [&](const ScriptedDialogs::Shown&) {
        if (s1.ui.Count("beep") == 2) Odemkni(s1.c, path);
    };
    Zamkni(s1.c, path, "W");
    EXPECT_EQ(s1.ui.Texts("beep"),
              (std::vector<std::string>{
                  "Přístup k souboru KJ_AUTA.DTA  R je blokován 01   Jan Novák"_cz,
                  "Dejte \"Ctrl Alt Del\", ukončete VELTOR a znovu ji nastartujte"_cz}));
    EXPECT_EQ(s1.ui.Count("note"), 0);
    EXPECT_EQ(Fot(), Table({Entry(name, "01  ", "W")}));
}

TEST_F(LockRegister, FullTableWaitsUntilAnEntryIsFreed) {
    std::vector<std::string> entries;
    for (int i = 1; i <= 99; ++i) entries.push_back(Entry(NumberedName(i), "02  ", "R"));
    const std::string full = Table(entries);
    WriteHost(dir.path() / "data" / "FOT.tab", full);

    s1.ui.onNote = [&](const ScriptedDialogs::Shown&) {
        if (s1.ui.Count("note") == 3) Odemkni(s2.c, "C:\\data\\SOUBOR42.DTA");
    };
    Zamkni(s1.c, path, "W");
    EXPECT_EQ(s1.ui.Texts("note"),
              std::vector<std::string>(3, "Tabulka sdílení souborů je plná, čekám na uvolnění"_cz));
    std::string expected = full;
    expected.replace(41 * 20, 20, Entry(name, "01  ", "W"));
    EXPECT_EQ(Fot(), expected);
}

TEST_F(LockRegister, OldShortTableAndZeroedEntries) {
    // The 23-entry table: read as far as it goes, grown at the first write.
    std::vector<std::string> entries;
    for (int i = 1; i <= 23; ++i) entries.push_back(Entry(NumberedName(i), "02  ", "R"));
    std::string old;
    for (const auto& e : entries) old += e;
    ASSERT_EQ(old.size(), 460u);
    WriteHost(dir.path() / "data" / "FOT.tab", old);

    EXPECT_EQ(IfVolny(s1.c, "C:\\data\\soubor05.dta"), "R 02   EVA MALÁ"_cz);
    EXPECT_EQ(IfVolny(s1.c, path), "");
    EXPECT_EQ(IfVolny(s2.c, "C:\\data\\soubor05.dta"), "");  // its own lock
    EXPECT_EQ(Fot(), old);
    Zamkni(s1.c, path, "");
    entries.push_back(Entry(name, "01  ", "R"));
    EXPECT_EQ(Fot(), Table(entries));

    // Zeroed entries name no file: they are taken as free, not as a full table.
    WriteHost(dir.path() / "data" / "FOT.tab", std::string(1980, '\0'));
    Zamkni(s2.c, path, "W");
    EXPECT_EQ(s2.ui.Count("note"), 0);
    EXPECT_EQ(Fot().substr(0, 40), Entry(name, "02  ", "W") + std::string(20, '\0'));
}

TEST_F(LockRegister, BlockedTableWaitsUntilReleasedOrStopped) {
    std::unique_ptr<File> held;
    ASSERT_EQ(s2.host.Open("C:\\data\\FOT.tab", Access::ReadWrite, Disposition::OpenOrCreate,
                            Share::Exclusive, &held),
              io::kOk);
    const std::string blocked =
        "Je blokován přístup k tabulce sdílení souborů, čekám na uvolnění"_cz;

    // The user stops the wait at the second note: no lock is taken.
    s1.ui.notes = {NoteResult::Expired, NoteResult::StopWaiting};
    EXPECT_FALSE(Zamkni(s1.c, path, ""));
    EXPECT_EQ(s1.ui.Texts("note"), std::vector<std::string>(2, blocked));
    EXPECT_TRUE(s1.c.lock.stopWaiting);
    EXPECT_EQ(Fot(), "");

    // The next wait starts afresh (each note clears the switch) and ends
    // when the other station lets the table go.
    s1.ui.shown.clear();
    s1.ui.onNote = [&](const ScriptedDialogs::Shown&) {
        if (s1.ui.Count("note") == 2) held->Close();
    };
    EXPECT_TRUE(Zamkni(s1.c, path, ""));
    EXPECT_EQ(s1.ui.Count("note"), 2);
    EXPECT_FALSE(s1.c.lock.stopWaiting);
    EXPECT_EQ(Fot(), Table({Entry(name, "01  ", "R")}));
}

TEST_F(LockRegister, RegisterFaultsAreShownAndWorkGoesOn) {
    Common& c = s1.c;
    FaultPlan& plan = s1.fs.Plan("C:\\DATA\\FOT.tab");

    // Writes fail: creating the table is a read failure, the lock itself a
    // write failure (a message box for a read lock, a note for a write lock).
    plan.writeCode = 101;
    EXPECT_FALSE(Zamkni(c, path, ""));
    EXPECT_FALSE(Zamkni(c, path, "W"));
    EXPECT_EQ(s1.ui.Texts("beep"),
              (std::vector<std::string>{"err cti v zamkni FOT   101", "err pis(1) FOT 101",
                                        "err cti v zamkni FOT   101"}));
    EXPECT_EQ(s1.ui.Texts("note"), std::vector<std::string>{"chyba 101"});

    // Failed closes name the step.
    s1.ui.shown.clear();
    plan.writeCode = 0;
    plan.closeCode = 6;
    EXPECT_TRUE(Zamkni(c, path, ""));
    Zamkni(s2.c, path, "");
    EXPECT_EQ(IfVolny(c, path), "R 02   EVA MALÁ"_cz);
    Odemkni(c, path);
    EXPECT_EQ(s1.ui.Texts("beep"),
              (std::vector<std::string>{"zamkni end     6", "If volny     6", "odemkni     6"}));
    EXPECT_EQ(Fot(), Table({kFree, Entry(name, "02  ", "R")}));
}

TEST_F(LockRegister, FilesThatAreNotLocked) {
    // A missing directory: the message, no lock, no wait.
    EXPECT_FALSE(Zamkni(s1.c, "C:\\neni\\kj_auta.dta", "W"));
    EXPECT_EQ(s1.ui.Texts("beep"),
              std::vector<std::string>{"ERR 3 - neexistuje složka C:\\NENI\\"_cz});
    EXPECT_EQ(s1.ui.Count("note"), 0);
    // Files of the current directory, names without a directory, and
    // everything while locking is off: nothing to register, and no failure.
    EXPECT_TRUE(Zamkni(s1.c, "c:\\work\\kj_auta.dta", "W"));
    EXPECT_TRUE(Zamkni(s1.c, "kj_auta.dta", "W"));
    s1.c.lock.lockingOff = true;
    EXPECT_TRUE(Zamkni(s1.c, path, "W"));
    EXPECT_FALSE(fs::exists(dir.path() / "work" / "FOT.tab"));
    EXPECT_FALSE(fs::exists(dir.path() / "data" / "FOT.tab"));
    EXPECT_FALSE(fs::exists(dir.path() / "FOT.tab"));
    // A register that does not exist yet is made with every entry free.
    EXPECT_EQ(IfVolny(s2.c, path), "");
    EXPECT_EQ(Fot(), Table({}));
}

TEST_F(LockRegister, UserNamesFromJmenaTab) {
    EXPECT_EQ(UserName(s1.c, "02  "), "Eva Malá"_cz);
    EXPECT_EQ(UserName(s1.c, "50  "), std::string(24, ' '));  // past the end of the file
    // A missing table is created with 100 blank names.
    fs::remove(dir.path() / "prog" / "JMENA.tab");
    EXPECT_EQ(UserName(s1.c, "02  "), std::string(24, ' '));
    std::string all;
    for (int i = 0; i < 100; ++i) all += '\x18' + std::string(24, ' ');
    EXPECT_EQ(ReadHost(dir.path() / "prog" / "JMENA.tab"), all);
}

// A lock server that answers from a queue ("OK" when empty).
struct FakeServer final : LockServerLink {
    std::vector<std::string> sent;
    std::deque<std::string> replies;
    std::string Request(const std::string& message) override {
        sent.push_back(message);
        if (replies.empty()) return "OK";
        std::string r = replies.front();
        replies.pop_front();
        return r;
    }
};

TEST_F(LockRegister, ServerVariantRetriesReleasesAndLeavesTheRegisterAlone) {
    FakeServer server;
    s3.c.lock.server = &server;
    // A release is repeated until "OK".
    server.replies = {"chyba", "OK"};
    Odemkni(s3.c, path);
    EXPECT_EQ(server.sent, std::vector<std::string>(2, "Odemkni<C:\\DATA\\>KJ_AUTA.DTA #p$03  "));

    // IfVolny asks once and passes a refusal on unchanged.
    server.sent.clear();
    server.replies = {"OK volno", "W 01 Jan"};
    EXPECT_EQ(IfVolny(s3.c, path), "");
    EXPECT_EQ(IfVolny(s3.c, path), "W 01 Jan");
    EXPECT_EQ(s3.c.lock.lastReply, "W 01 Jan");
    EXPECT_EQ(server.sent, std::vector<std::string>(2, "IfVolny<C:\\DATA\\>KJ_AUTA.DTA #p$03  "));
    EXPECT_FALSE(fs::exists(dir.path() / "data" / "FOT.tab"));
}

}  // namespace
}  // namespace kj
