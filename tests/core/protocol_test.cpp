#include "kj_test.h"

#include <ctime>
#include <fstream>

#include "services/protocol.h"

namespace kj {
namespace {

// 5 March 2024, 9:07:03 local time.
std::time_t FixedClock() {
    std::tm tm{};
    tm.tm_year = 2024 - 1900, tm.tm_mon = 2, tm.tm_mday = 5;
    tm.tm_hour = 9, tm.tm_min = 7, tm.tm_sec = 3, tm.tm_isdst = -1;
    return std::mktime(&tm);
}

// An 80-byte protocol record as it lies on disk.
std::string Rec(const std::string& text) {
    std::string r(80, '\0');
    r[0] = static_cast<char>(text.size());
    r.replace(1, text.size(), text);
    return r;
}

// Station 07 on computer PC01 with its data directory.
struct Station : rectest::TempStation {
    Station() : TempStation("07") {
        UseDataDir();
        c.set.stationIndex = 7;
        c.set.computer = "PC01";
        c.now = FixedClock;
    }
};

TEST(Protocol, FirstEventCreatesTheEmptyRecordAndTextsAreCut) {
    Station s;
    const fs::path prt = s.Data() / "PROTOKOL.PRT";
    const std::string stamp = "05.03.24  9:07:03 PC01 07 ";

    WriteProtocol(s.c, "OpenI kj_auta.dta                     3");
    EXPECT_EQ(ReadHost(prt), Rec(stamp + " Prázdný protokol"_cz) +
                                 Rec(stamp + "OpenI kj_auta.dta                     3"));

    // 26 characters of stamp leave room for 53 of text.
    const std::string longText = "* KONEC Knihy jízd, n="_cz + std::string(60, 'x');
    WriteProtocol(s.c, longText);
    std::string all = ReadHost(prt);
    ASSERT_EQ(all.size(), 240u);
    EXPECT_EQ(all.substr(160), Rec((stamp + longText).substr(0, 79)));
    EXPECT_TRUE(s.ui.shown.empty());
}

TEST(Protocol, ComputerNumberFromJobTableAndStationNotSet) {
    Station s;
    s.c.set.computer.clear();
    s.c.set.station = "  ";
    SetJobIn(s.c, "", "POCITAC", "PC7");

    WriteProtocol(s.c, "x");
    std::string all = ReadHost(s.Data() / "PROTOKOL.PRT");
    ASSERT_EQ(all.size(), 160u);
    EXPECT_EQ(all.substr(80), Rec("05.03.24  9:07:03 PC7     x"));
    EXPECT_EQ(s.c.set.computer, "PC7");
}

TEST(Protocol, FailuresAreShownAndTheCallerGoesOn) {
    Station s;
    s.fs.Plan("C:\\DATA\\PROTOKOL.PRT").writeCode = 101;
    WriteProtocol(s.c, "x");
    s.c.dataDirCache = "C:\\NENI\\";
    WriteProtocol(s.c, "x");
    EXPECT_EQ(s.ui.Texts("beep"),
              (std::vector<std::string>{"Uz: 07 pis protokol: - err 101",
                                        "Uz: 07 otvira protokol: - err      3"}));
}

void SetWord(const fs::path& table, int index, unsigned value) {
    std::string bytes = ReadHost(table);
    bytes[static_cast<std::size_t>(2 * index)] = static_cast<char>(value & 0xFF);
    bytes[static_cast<std::size_t>(2 * index + 1)] = static_cast<char>(value >> 8);
    WriteHost(table, bytes);
}

TEST(UserTable, CreatedWhenMissingAndWatchedForChanges) {
    Station s;
    const fs::path table = s.Data() / "UZIVATEL.tab";

    EXPECT_EQ(UserSlotWord(s.c), "0099");
    std::string expected(200, '\0');
    expected[14] = 99;
    EXPECT_EQ(ReadHost(table), expected);

    SetWord(table, 7, 0x1234);
    EXPECT_EQ(UserSlotWord(s.c), "4660");
    EXPECT_TRUE(UserFlag(s.c, 7));
    EXPECT_FALSE(UserFlag(s.c, 8));
    EXPECT_FALSE(UserFlag(s.c, 100));

    // The first look remembers the value; a change means the user was let go.
    EXPECT_FALSE(MasterLeft(s.c));
    EXPECT_FALSE(MasterLeft(s.c));
    SetWord(table, 7, 77);
    EXPECT_TRUE(MasterLeft(s.c));
    // While word 0 is set the master program watches nobody.
    SetWord(table, 0, 1);
    EXPECT_FALSE(MasterLeft(s.c));
}

TEST(UserTable, OpenRetriedWhileHeldAndUnreadableTableIsNoChange) {
    Station s;
    Common& c = s.c;
    c.set.stationIndex = 3;
    FaultPlan& plan = s.fs.Plan("C:\\DATA\\UZIVATEL.tab");
    plan.openCodes = {32, 32, 32, 32};  // another station holds the table
    EXPECT_EQ(UserSlotWord(c), "0099");
    EXPECT_EQ(plan.opens, 6);  // 4 refused, 1 finds no file, 1 creates it
    EXPECT_FALSE(MasterLeft(c));

    // Without its directory the table cannot be had: no hang, and the
    // watchdog is not told that the master program left.
    c.dataDirCache = "C:\\NENI\\";
    EXPECT_EQ(UserSlotWord(c), "0000");
    EXPECT_FALSE(MasterLeft(c));
    EXPECT_FALSE(UserFlag(c, 3));
}

TEST(Drawer, SupleBytesOrBellToTheConfiguredPort) {
    Station s;
    const fs::path port = s.root / "port2";
    WriteHost(port, "");
    WriteHost(s.work / "par" / "sys.par", "LPT2 : " + port.string() + "\r\n");

    s.c.set.printerPort = 2;
    EXPECT_EQ(OpenDrawer(s.c), io::kOk);
    EXPECT_EQ(ReadHost(port), "\x07");

    WriteHost(s.work / "suple.txt", std::string("\x1bp\x00\x19\xfa", 5));
    EXPECT_EQ(OpenDrawer(s.c), io::kOk);
    EXPECT_EQ(ReadHost(port), std::string("\x1bp\x00\x19\xfa", 5));

    // Other port numbers do nothing; a missing device is reported.
    WriteHost(port, "");
    s.c.set.printerPort = 5;
    EXPECT_EQ(OpenDrawer(s.c), io::kOk);
    EXPECT_EQ(ReadHost(port), "");
    fs::remove(port);
    s.c.set.printerPort = 2;
    EXPECT_EQ(OpenDrawer(s.c), io::kFileNotFound);
    EXPECT_EQ(s.ui.Texts("beep"), std::vector<std::string>{"Chyba 2 při otevírání LPT2"_cz});
}

}  // namespace
}  // namespace kj
