// The print spool: what it lists and how (names, sizes, titles of
// "listw.tab"), its five sorts with the date direction, F8 deleting under
// the report's write lock, "Sprav délku vět", and its opening from a list
// and from the main menu.

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <functional>

#include "logbook/places.h"
#include "print/print_output.h"
#include "print/print_spool.h"
#include "print_station.h"
#include "screens/key_codes.h"
#include "services/cp1250.h"
#include "services/locks.h"
#include "services/picture.h"
#include "shell/main_menu.h"
#include "test_dir.h"

namespace kj {
namespace {

namespace fs = std::filesystem;
using key::Mod;
using printtest::Station;

// Local noon of a day, so that no time zone moves the date.
std::time_t Noon(int year, int month, int day) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = 12;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

struct SpoolTest : ::testing::Test {
    // A report of `bytes` bytes in a host directory under the root.
    void Report(const fs::path& at, const std::string& bytes, std::time_t when = 0) {
        WriteHost(at, bytes);
        if (when != 0)
            fs::last_write_time(at, std::chrono::file_clock::from_sys(
                                        std::chrono::system_clock::from_time_t(when)));
    }
    // The listed names in order, without their blanks.
    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        for (const SpoolEntry& e : spool.entries()) out.push_back(StripRight(e.name));
        return out;
    }
    int RowOf(const std::string& name, const std::string& directory = "") const {
        const auto& t = spool.entries();
        for (std::size_t i = 0; i < t.size(); ++i)
            if (StripRight(t[i].name) == name && (directory.empty() || t[i].directory == directory))
                return static_cast<int>(i) + 1;
        return 0;
    }
    // The viewer records the reports shown and is left with Esc.
    void RecordViewer() {
        PrintOutputOf(s.c).showViewer = [this](TfPozri& v) {
            viewed.push_back(v.printPath());
            v.KeyDown(key::kEscape, Mod::None);
        };
    }

    TestDir dir;
    Station s{dir.path()};
    TfSpool spool{s.c};
    std::vector<std::string> viewed;
};

TEST(SpoolRules, TitleLinesMatchByPatternAndTakeTheirColumns) {
    struct Case {
        const char* line;
        const char* name;
        bool matches;
        const char* title;  // trailing blanks removed
    };
    const Case cases[] = {
        {"CESTAKY  Opis jízd", "CESTAKY", true, "Opis jízd"},
        {"ZAK*****         |Zakázky", "ZAK12", true, "Zakázky"},
        {"ZAK*****         |Zakázky", "ZAKAZKY_2024", true, "Zakázky"},
        {"ZAK*****         |Zakázky", "ZA", false, ""},
        // Without "|" in column 18 the title starts in column 10.
        {"ZAK*****ignored  xZakázky", "ZAK1", true, "gnored  xZakázky"},
        // A pattern shorter than 8 characters never matches.
        {"ZAK", "ZAK", false, ""},
        // The entry name is compared upper-cased ("ARl" reads "ARL").
        {"FARL1    Farmy", "FARl1", true, "Farmy"},
        // A "*" in the name matches any pattern character.
        {"ABCDEFGH Vše", "A*", false, ""},
        {"A*CDEFGH Vše", "ABCDEFGH", true, "Vše"},
        // Blanks of a short name are compared like any character.
        {"AB       Krátké", "AB", true, "Krátké"},
        {"ABC      Krátké", "AB", false, ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.line) + " / " + k.name);
        std::string title = "unchanged";
        const std::string name = Utf8ToCp1250(std::string(k.name) + std::string(30, ' ')).substr(0, 30);
        EXPECT_EQ(SpoolTitleRule(Utf8ToCp1250(k.line), name, &title), k.matches);
        if (k.matches) {
            EXPECT_EQ(title.size(), 45u);
            EXPECT_EQ(StripRight(title), Utf8ToCp1250(k.title));
        }
    }
}

TEST_F(SpoolTest, ListsReportsWithNamesSizesAndTheLastMatchingTitle) {
    Report(s.Work("farl1.txt"), "x");
    Report(s.Work("Kniha.TXT"), std::string(1000, 'k'));
    Report(s.Work("farm.txt"), std::string(999, 'f'));
    Report(s.Work("prazdna.txt"), "");
    Report(s.Work("zak12.txt"), "z");
    Report(s.Work("jine.dat"), "d");
    fs::create_directories(s.Work("slozka.txt"));
    WriteHost(s.Prog("listw.tab"),
              Utf8ToCp1250("ZAK12    Stará zakázka\r\n"
                           "ZAK*****         |Zakázky od sloupce 19\r\n"
                           "KNIHA*** Kniha jízd\r\n"
                           "NIC***** Nic\r\n"));
    spool.Otevri();
    // Byte order of the names: "FARM" before "FARl1" ("l" is above "M").
    EXPECT_EQ(Names(), (std::vector<std::string>{"FARM", "FARl1", "KNIHA", "ZAK12"}));
    const auto& t = spool.entries();
    EXPECT_EQ(t[0].size, 1);  // 999 bytes
    EXPECT_EQ(t[1].size, 1);  // 1 byte
    EXPECT_EQ(t[2].size, 2);  // 1000 bytes
    EXPECT_EQ(t[1].name.size(), 30u);
    EXPECT_EQ(StripRight(t[3].title), "Zakázky od sloupce 19"_cz);
    EXPECT_EQ(StripRight(t[2].title), "Kniha jízd"_cz);
    EXPECT_EQ(StripRight(t[0].title), "");
    EXPECT_EQ(t[0].directory, "C:\\work\\");
    EXPECT_EQ(spool.count(), 4);
    // The list shows the row number in front of the name, the size, the
    // date, the title and the directory.
    ASSERT_GE(spool.gridRows().size(), 3u);
    const std::vector<std::string>& row = spool.gridRows()[2].cells;
    EXPECT_EQ(row[0], "   3 KNIHA" + std::string(25, ' '));
    EXPECT_EQ(row[1], "        2");
    EXPECT_EQ(StripRight(row[3]), "Kniha jízd"_cz);
    spool.Zavri();
    EXPECT_TRUE(spool.entries().empty());
}

TEST_F(SpoolTest, FiveSortsKeepTheCursorAndFlipTheDateDirection) {
    // Two spool directories; sizes, dates and titles all differ in order.
    WriteHost(s.Work(kSpoolDirList), "C:\\B\\\r\nC:\\A\r\n");
    Report(dir.path() / "B" / "ALFA.txt", std::string(3500, 'a'), Noon(2024, 3, 5));
    Report(dir.path() / "A" / "BETA.txt", std::string(10, 'b'), Noon(2023, 12, 31));
    Report(dir.path() / "B" / "GAMA.txt", std::string(1999, 'g'), Noon(2024, 1, 2));
    Report(dir.path() / "A" / "DELTA.txt", std::string(1000, 'd'), Noon(2022, 6, 1));
    WriteHost(s.Prog("listw.tab"), "ALFA     Zzz\r\nBETA     Aaa\r\nGAMA     Mmm\r\nDELTA    Bbb\r\n");
    spool.Otevri();
    ASSERT_EQ(Names(), (std::vector<std::string>{"ALFA", "BETA", "DELTA", "GAMA"}));
    EXPECT_EQ(spool.entries()[3].date, "020124");
    EXPECT_EQ(spool.entries()[1].directory, "C:\\A\\");
    spool.JdiNa(RowOf("GAMA"), 0);

    using Order = std::vector<std::string>;
    const std::function<void()> ctrlRightClick = [&] {
        spool.MouseDown(ListMouse::Right, true, 1, 1);
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        Order order;
    };
    const Step steps[] = {
        {"Dle velikosti", [&] { spool.PopupChosen(2); }, {"BETA", "DELTA", "GAMA", "ALFA"}},
        {"Dle data", [&] { spool.PopupChosen(3); }, {"DELTA", "BETA", "GAMA", "ALFA"}},
        {"Dle data again", [&] { spool.PopupChosen(3); }, {"ALFA", "GAMA", "BETA", "DELTA"}},
        {"Dle názvu", [&] { spool.PopupChosen(4); }, {"BETA", "DELTA", "GAMA", "ALFA"}},
        // Equal directories keep the order they had (by title).
        {"Dle umístění", [&] { spool.PopupChosen(5); }, {"BETA", "DELTA", "GAMA", "ALFA"}},
        {"date title click", [&] { spool.MouseDown(ListMouse::Left, false, 0, 3); },
         {"DELTA", "BETA", "GAMA", "ALFA"}},
        // "Dle souboru" starts disabled; a Ctrl + right click enables it.
        {"Dle souboru disabled", [&] { spool.PopupChosen(1); }, {"DELTA", "BETA", "GAMA", "ALFA"}},
        {"Dle souboru", [&] { ctrlRightClick(); spool.PopupChosen(1); },
         {"ALFA", "BETA", "DELTA", "GAMA"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(Names(), step.order);
        EXPECT_EQ(StripRight(spool.entries()[static_cast<std::size_t>(spool.current() - 1)].name),
                  "GAMA");
        // The row numbers in front follow the new order.
        EXPECT_EQ(spool.gridRows()[0].cells[0].substr(0, 5), "   1 ");
    }
    // The direction lives on when the spool is opened again.
    spool.Zavri();
    spool.Otevri();
    spool.PopupChosen(3);
    EXPECT_EQ(Names(), (Order{"ALFA", "GAMA", "BETA", "DELTA"}));
}

TEST_F(SpoolTest, F8DeletesTheReportWhereItLiesUnderItsWriteLock) {
    Station other{dir.path()};
    s.c.lock.lockingOff = false;
    other.c.lock.lockingOff = false;
    other.c.set.station = "07";
    WriteHost(s.Work(kSpoolDirList), "C:\\A\\\r\nC:\\B\\\r\n");
    Report(dir.path() / "A" / "KNIHA.txt", "jedna");
    Report(dir.path() / "B" / "KNIHA.txt", "dva");
    Report(dir.path() / "B" / "KNIHA.txz", "dva z");
    Report(dir.path() / "B" / "POSLEDNI.txt", "tri");
    RecordViewer();
    spool.Otevri();
    const int row = RowOf("KNIHA", "C:\\B\\");
    ASSERT_GT(row, 0);
    spool.JdiNa(row, 0);

    // Another station views the report: F8 waits until it lets go.
    ASSERT_TRUE(Zamkni(other.c, "C:\\B\\KNIHA.txt", ""));
    int waits = 0;
    s.ui.onNote = [&](const ScriptedDialogs::Shown&) {
        ++waits;
        EXPECT_TRUE(fs::exists(dir.path() / "B" / "KNIHA.txt"));
        Odemkni(other.c, "C:\\B\\KNIHA.txt");
    };
    spool.KeyDown(key::kF8, Mod::None);
    EXPECT_GE(waits, 1);
    EXPECT_FALSE(fs::exists(dir.path() / "B" / "KNIHA.txt"));
    EXPECT_FALSE(fs::exists(dir.path() / "B" / "KNIHA.txz"));
    EXPECT_EQ(ReadHost(dir.path() / "A" / "KNIHA.txt"), "jedna");
    EXPECT_TRUE(fs::exists(dir.path() / "B" / "POSLEDNI.txt"));
    // The lock is given back.
    EXPECT_EQ(IfVolny(other.c, "C:\\B\\KNIHA.txt"), "");
    // The row stays, marked deleted; F8 and Enter on it do nothing.
    const SpoolEntry& gone = spool.entries()[static_cast<std::size_t>(row - 1)];
    EXPECT_EQ(gone.name, "########" + std::string(22, ' '));
    spool.KeyDown(key::kF8, Mod::None);
    spool.KeyDown(key::kReturn, Mod::None);
    EXPECT_TRUE(viewed.empty());
    EXPECT_TRUE(fs::exists(dir.path() / "A" / "KNIHA.txt"));

    // Enter on the other KNIHA shows it from its own directory.
    spool.JdiNa(RowOf("KNIHA", "C:\\A\\"), 0);
    spool.KeyDown(key::kReturn, Mod::None);
    EXPECT_EQ(viewed, std::vector<std::string>{"C:\\A\\KNIHA.txt"});
}

// A report's name longer than the name column, in a directory longer than
// the directory column, is viewed and deleted under its own name.
TEST_F(SpoolTest, LongNamesAndDirectoriesReachTheirFile) {
    const std::string deep = "C:\\archiv\\sestavy_knihy_jizd_vozidel\\rok_2024\\mesicni\\";
    ASSERT_GT(deep.size(), 50u);
    WriteHost(s.Work(kSpoolDirList), deep + "\r\n");
    const fs::path file =
        dir.path() / "archiv" / "sestavy_knihy_jizd_vozidel" / "rok_2024" / "mesicni" /
        "vyuctovani_pracovnich_cest_za_rok_2024.txt";
    Report(file, "obsah\r\n");
    RecordViewer();
    spool.Otevri();
    ASSERT_EQ(Names(), std::vector<std::string>{"VYUCTOVANI_PRACOVNICH_CEST_ZA_"});
    EXPECT_EQ(spool.gridRows()[0].cells[4], deep.substr(0, 50));
    spool.KeyDown(key::kSpace, Mod::None);
    EXPECT_EQ(viewed, std::vector<std::string>{deep + "vyuctovani_pracovnich_cest_za_rok_2024.txt"});
    EXPECT_EQ(s.ui.Count("beep"), 0) << s.ui.Last("beep");
    spool.KeyDown(key::kF8, Mod::None);
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(SpoolTest, RepairSetsEveryLineTo140CharactersInOneReplacement) {
    const std::string longLine(150, 'x');
    const std::string report = "ab\r\n   odsazeno\r\n" + longLine + "\r\n\x0C" + "List 2\nkonec";
    auto expected = [&] {
        std::string out;
        for (std::string line : {std::string("ab"), std::string("   odsazeno"), longLine,
                                 std::string("\x0C") + "List 2", std::string("konec")}) {
            line.resize(140, ' ');
            out += line + "\r\n";
        }
        return out;
    };
    struct Case {
        const char* file;
        const char* work;
        bool failingWrite;
    };
    // Another report beside it is left alone, also one named "xxx".
    const std::string other = "jiná sestava\r\n"_cz;
    for (const Case& k : {Case{"sestava.txt", "sestava.tx$", false}, Case{"xxx.txt", "xxx.tx$", false},
                          Case{"sestava.txt", "sestava.tx$", true}}) {
        SCOPED_TRACE(std::string(k.file) + (k.failingWrite ? " failing" : ""));
        Report(s.Work(k.file), report);
        const std::string neighbour = std::string(k.file) == "xxx.txt" ? "yyy.txt" : "xxx.txt";
        Report(s.Work(neighbour), other);
        if (k.failingWrite) {
            s.fs.Plan(k.work).writeCode = 101;
            s.fs.Plan(k.work).writeFrom = 300;
        }
        spool.Otevri();
        spool.JdiNa(RowOf(StripRight(SpoolName(k.file))), 0);
        spool.PopupChosen(7);
        if (k.failingWrite) {
            // The report is left as it was; the work file is gone.
            EXPECT_EQ(ReadHost(s.Work(k.file)), report);
            EXPECT_NE(s.ui.Last("beep").find("101"), std::string::npos);
        } else {
            EXPECT_EQ(ReadHost(s.Work(k.file)), expected());
            EXPECT_EQ(spool.entries()[static_cast<std::size_t>(spool.current() - 1)].size,
                      5 * 142 / 1000 + 1);
        }
        EXPECT_FALSE(fs::exists(s.Work(k.work)));
        EXPECT_EQ(ReadHost(s.Work(neighbour)), other);
        spool.Zavri();
        fs::remove(s.Work(k.file));
        fs::remove(s.Work(neighbour));
        s.fs.Plan(k.work) = FaultPlan{};
    }
}

// Ctrl+F2 in a list opens the station's spool (once: not again from inside
// it); Enter shows a report in the viewer; the table is released after.
TEST_F(SpoolTest, CtrlF2InAListAndTheMainMenuLoopShowTheSpool) {
    ConnectStationScreens(s.c);
    Report(s.Work("KNIHA.txt"), "kniha\r\n");
    Report(s.Work("PARAGON.txt"), "paragon\r\n");
    RecordViewer();
    TfSpool& station = PrintSpoolOf(s.c);
    std::vector<std::vector<std::string>> shown;
    station.show = [&](TfSpool& sp) {
        std::vector<std::string> names;
        for (const SpoolEntry& e : sp.entries()) names.push_back(StripRight(e.name));
        shown.push_back(names);
        sp.KeyDown(key::kF2, Mod::Ctrl);
        sp.JdiNa(2, 0);
        sp.KeyDown(key::kReturn, Mod::None);
        sp.KeyDown(key::kEscape, Mod::None);
    };
    TfKJlMista places(s.c);
    ASSERT_EQ(places.Otevri(), 0);
    places.KeyDown(key::kF2, Mod::Ctrl);
    places.Zavri();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], (std::vector<std::string>{"KNIHA", "PARAGON"}));
    EXPECT_EQ(viewed, std::vector<std::string>{"PARAGON.txt"});
    EXPECT_TRUE(station.entries().empty());

    // The main menu's "Tisky" runs the same spool until Esc.
    MainMenu menu(s.c);
    menu.RunPrintSpool();
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_EQ(viewed.size(), 2u);
    EXPECT_TRUE(station.entries().empty());
}

}  // namespace
}  // namespace kj
