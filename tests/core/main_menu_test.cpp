#include "kj_test.h"

#include <fstream>

#include "shell/main_menu.h"

namespace kj {
namespace {

// Station 07 of an installation.
struct Station : rectest::TempStation {
    Station() { Install({{"UZIVATEL", "07"}}); }
};

void SetUserWord(const fs::path& table, int index, unsigned value) {
    std::string bytes = ReadHost(table);
    bytes.resize(200, '\0');
    bytes[static_cast<std::size_t>(2 * index)] = static_cast<char>(value & 0xFF);
    bytes[static_cast<std::size_t>(2 * index + 1)] = static_cast<char>(value >> 8);
    WriteHost(table, bytes);
}

TEST(MainMenu, ActivationSetsCaptionColourAndEmptiesWindowFile) {
    Station s;
    WriteHost(s.Prog("KJ/par/okna2.par"), "x : 1\r\n");
    WriteHost(s.Work("par/sys.par"), "Pozadi0 : 12632256\r\n");
    MainMenu menu(s.c);
    ASSERT_TRUE(menu.Activate());
    EXPECT_EQ(menu.caption(), "VELTOR 07");
    EXPECT_EQ(menu.colour(), 12632256);
    EXPECT_TRUE(menu.timerEnabled());
    EXPECT_FALSE(fs::exists(s.Prog("KJ/par/okna2.par")));
    // Without "Pozadi0" the colour is 0; the window file is deleted again.
    WriteHost(s.Work("par/sys.par"), "");
    WriteHost(s.Prog("KJ/par/OKNA2.PAR"), "x : 1\r\n");
    ASSERT_TRUE(menu.Activate());
    EXPECT_EQ(menu.colour(), 0);
    EXPECT_FALSE(fs::exists(s.Prog("KJ/par/OKNA2.PAR")));
}

TEST(MainMenu, LockServerUnreachableEndsProgramAndStopsWatchdog) {
    Station s;
    s.c.set.lockServer = "127.0.0.1";
    MainMenu menu(s.c);
    int calls = 0;
    menu.connectLockServer = [&] { ++calls; return 99; };
    EXPECT_FALSE(menu.Activate());
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(menu.timerEnabled());
    menu.connectLockServer = [] { return 0; };
    EXPECT_TRUE(menu.Activate());
    EXPECT_FALSE(menu.timerEnabled());
}

TEST(MainMenu, WatchdogClosesOnlyAfterThreeConsecutiveReleases) {
    Station s;
    fs::path table = s.Data() / "UZIVATEL.tab";
    SetUserWord(table, 7, 500);
    MainMenu menu(s.c);
    EXPECT_FALSE(menu.WatchdogTick());  // remembers 500
    SetUserWord(table, 7, 501);         // the master program let go
    EXPECT_FALSE(menu.WatchdogTick());
    EXPECT_FALSE(menu.WatchdogTick());
    SetUserWord(table, 7, 500);         // a negative check resets the count
    EXPECT_FALSE(menu.WatchdogTick());
    SetUserWord(table, 7, 502);
    EXPECT_FALSE(menu.WatchdogTick());
    EXPECT_FALSE(menu.WatchdogTick());
    EXPECT_EQ(s.ui.Count("beep"), 0);
    EXPECT_TRUE(menu.WatchdogTick());
    EXPECT_EQ(s.ui.Last("beep"), "Program \"Knihy jízd\" byl opuštěn programem VELTOR"_cz);
    // Word 0 set: the master program watches nobody.
    SetUserWord(table, 0, 1);
    s.c.abandonCounter = 0;
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(menu.WatchdogTick());
}

TEST(MainMenu, CloseWritesEndLineWithCarCount) {
    Station s;
    WriteHost(s.Data() / "kj_auta.dta", std::string(3 * 231, ' '));
    MainMenu menu(s.c);
    menu.Close();
    std::string prot = ReadHost(s.Data() / "PROTOKOL.PRT");
    ASSERT_EQ(prot.size(), 160u);
    std::string text = "* KONEC Knihy jízd, n=  3"_cz;
    std::string last = prot.substr(80);
    auto len = static_cast<unsigned char>(last[0]);
    std::string stored = last.substr(1, len);
    EXPECT_EQ(stored.substr(stored.size() - text.size()), text);
    EXPECT_EQ(LogbookFileName("1ab 23 45"), "1AB2345.dta");
    EXPECT_EQ(LogbookFileName(" čb 1"_cz), "ČB1.dta"_cz);
}

}  // namespace
}  // namespace kj
