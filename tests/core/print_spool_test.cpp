// The print spool: what it lists (names, sizes, titles of "listw.tab"),
// its sorts with the date direction, F8 under the report's write lock, and
// "Sprav délku vět". How the lists and their editors reach the station's
// screens: F1 and Alt+F1 its help, Ctrl+F2 its spool, Ctrl+F9 its
// calculator, and the connected help hook opening the viewer at the topic.

#include "kj_test.h"

#include <chrono>
#include <memory>

#include "logbook/car_list.h"
#include "logbook/destinations.h"
#include "logbook/places.h"
#include "print/print_output.h"
#include "print/print_spool.h"
#include "print_station.h"
#include "screens/calculator.h"
#include "services/locks.h"
#include "shell/main_menu.h"

namespace kj {
namespace {

using Names = std::vector<std::string>;
using Asked = std::pair<std::string, std::string>;  // help file, topic
constexpr int kAltF1 = key::kF1 + key::kAltOffset;

// A station whose help and spool hooks record what reaches them.
struct SpoolTest : ::testing::Test {
    SpoolTest() {
        s.c.showHelp = [this](std::string_view f, std::string_view t) { asked.emplace_back(f, t); };
        s.c.showPrintSpool = [this] { ++spools; };
    }
    // A report dated at local noon of a day (no time zone moves the date).
    void Report(const fs::path& at, const std::string& bytes, int y = 0, int m = 1, int d = 1) {
        WriteHost(at, bytes);
        std::tm t{};
        t.tm_year = y - 1900, t.tm_mon = m - 1, t.tm_mday = d, t.tm_hour = 12, t.tm_isdst = -1;
        if (y > 0)
            fs::last_write_time(at, std::chrono::file_clock::from_sys(
                                        std::chrono::system_clock::from_time_t(std::mktime(&t))));
    }
    Names Listed() const {
        Names out;
        for (const SpoolEntry& e : spool.entries()) out.push_back(StripRight(e.name));
        return out;
    }
    const SpoolEntry& Current() const { return spool.entries().at(spool.current() - 1u); }
    void GoTo(const std::string& name, const std::string& directory = "") {
        for (std::size_t i = 0; i < spool.entries().size(); ++i)
            if (StripRight(spool.entries()[i].name) == name &&
                (directory.empty() || spool.entries()[i].directory == directory))
                spool.JdiNa(static_cast<int>(i) + 1, 0);
    }
    void Key(int vk) { spool.KeyDown(vk, key::Mod::None); }

    TestDir dir;
    printtest::Station s{dir.path()};
    TfSpool spool{s.c};
    std::vector<Asked> asked;
    int spools = 0;
};

TEST_F(SpoolTest, ListsReportsWithNamesSizesAndTheLastMatchingTitle) {
    for (auto [name, size] : {std::pair{"farl1.txt", 1}, {"Kniha.TXT", 1000}, {"farm.txt", 999},
                              {"prazdna.txt", 0}, {"zak12.txt", 1}, {"jine.dat", 1}})
        Report(s.Work(name), std::string(static_cast<std::size_t>(size), 'x'));
    fs::create_directories(s.Work("slozka.txt"));
    // Later lines win; "|" in column 18 moves the title to column 19; the
    // name is compared upper-cased; a pattern shorter than 8 never matches.
    WriteHost(s.Prog("listw.tab"), Utf8ToCp1250("ZAK12    Stará\r\nZAK*****         |Zakázky\r\n"
                                                "KNIHA*** Kniha jízd\r\nFARL1    Farmy\r\n"
                                                "FARM     Statek\r\nFARM\r\n"));
    spool.Otevri();
    ASSERT_EQ(Listed(), (Names{"FARM", "FARl1", "KNIHA", "ZAK12"}));  // byte order
    const auto& t = spool.entries();
    EXPECT_EQ((std::vector<int>{t[0].size, t[1].size, t[2].size}), (std::vector<int>{1, 1, 2}));
    EXPECT_EQ((Names{StripRight(t[0].title), StripRight(t[1].title), StripRight(t[3].title)}),
              (Names{"Statek", "Farmy", "Zakázky"_cz}));
    EXPECT_EQ(t[0].directory, "C:\\work\\");
    const Names& row = spool.gridRows().at(2).cells;
    EXPECT_EQ((Names{row[0], row[1], StripRight(row[3])}),
              (Names{"   3 KNIHA" + std::string(25, ' '), "        2", "Kniha jízd"_cz}));
    Key(key::kF1);
    EXPECT_EQ(asked, (std::vector<Asked>{{"\\2\\spool", "Seznam"}}));
    spool.Zavri();
    EXPECT_TRUE(spool.entries().empty());
}

TEST_F(SpoolTest, SortsKeepTheCursorAndEachDateSortReversesTheLast) {
    WriteHost(s.Work(kSpoolDirList), "C:\\B\\\r\nC:\\A\r\n");
    Report(dir.path() / "B" / "ALFA.txt", std::string(3500, 'a'), 2024, 3, 5);
    Report(dir.path() / "A" / "BETA.txt", std::string(10, 'b'), 2023, 12, 31);
    Report(dir.path() / "B" / "GAMA.txt", std::string(1999, 'g'), 2024, 1, 2);
    Report(dir.path() / "A" / "DELTA.txt", std::string(1000, 'd'), 2022, 6, 1);
    WriteHost(s.Prog("listw.tab"), "ALFA     Zzz\r\nBETA     Aaa\r\nGAMA     Mmm\r\nDELTA    Bbb\r\n");
    spool.Otevri();
    GoTo("GAMA");
    const Names byDate{"DELTA", "BETA", "GAMA", "ALFA"}, byTitle{"BETA", "DELTA", "GAMA", "ALFA"};
    const std::pair<std::function<void()>, Names> steps[] = {
        {[&] { spool.PopupChosen(2); }, {"BETA", "DELTA", "GAMA", "ALFA"}},  // size
        {[&] { spool.PopupChosen(3); }, byDate},
        {[&] { spool.PopupChosen(3); }, {"ALFA", "GAMA", "BETA", "DELTA"}},
        {[&] { spool.PopupChosen(4); }, byTitle},
        {[&] { spool.PopupChosen(5); }, byTitle},  // equal directories keep their order
        {[&] { spool.MouseDown(ListMouse::Left, false, 0, 3); }, byDate},  // the date title
        {[&] { spool.PopupChosen(1); }, byDate},  // "Dle souboru" starts disabled
        {[&] { spool.MouseDown(ListMouse::Right, true, 1, 1), spool.PopupChosen(1); },
         {"ALFA", "BETA", "DELTA", "GAMA"}},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        steps[i].first();
        EXPECT_EQ(Listed(), steps[i].second);
        EXPECT_EQ(StripRight(Current().name), "GAMA");
    }
    spool.Zavri();  // the direction lives on
    spool.Otevri();
    spool.PopupChosen(3);
    EXPECT_EQ(Listed(), (Names{"ALFA", "GAMA", "BETA", "DELTA"}));
}

// The second directory is longer than its column, the name longer than the
// name column: the report is still viewed and deleted where it lies.
TEST_F(SpoolTest, F8DeletesTheReportWhereItLiesUnderItsWriteLock) {
    printtest::Station other{dir.path()};
    other.c.set.station = "07";
    s.c.lock.lockingOff = other.c.lock.lockingOff = false;
    const std::string deep = "C:\\archiv\\sestavy_knihy_jizd_vozidel\\rok_2024\\mesicni\\";
    const std::string name = "vyuctovani_pracovnich_cest_za_rok_2024", report = deep + name + ".txt";
    const fs::path b = dir.path() / "archiv" / "sestavy_knihy_jizd_vozidel" / "rok_2024" / "mesicni";
    WriteHost(s.Work(kSpoolDirList), "C:\\A\\\r\n" + deep + "\r\n");
    Report(dir.path() / "A" / (name + ".txt"), "jedna");
    Report(b / (name + ".txt"), "dva");
    Report(b / (name + ".txz"), "dva z");
    Names viewed;
    PrintOutputOf(s.c).showViewer = [&](TfPozri& v) {
        viewed.push_back(v.printPath());
        v.KeyDown(key::kEscape, key::Mod::None);
    };
    spool.Otevri();
    GoTo("VYUCTOVANI_PRACOVNICH_CEST_ZA_", deep);
    EXPECT_EQ(spool.gridRows().at(spool.current() - 1u).cells[4], deep.substr(0, 50));
    Key(key::kSpace);
    EXPECT_EQ(viewed, Names{report});
    // Another station views the report: F8 waits until it lets go.
    ASSERT_TRUE(Zamkni(other.c, report, ""));
    int waits = 0;
    s.ui.onNote = [&](const ScriptedDialogs::Shown&) {
        EXPECT_TRUE(fs::exists(b / (name + ".txt")));
        if (++waits == 2) Odemkni(other.c, report);
    };
    Key(key::kF8);
    EXPECT_EQ(waits, 2);
    EXPECT_FALSE(fs::exists(b / (name + ".txt")) || fs::exists(b / (name + ".txz")));
    EXPECT_EQ(IfVolny(other.c, report), "");
    EXPECT_EQ(Current().name, "########" + std::string(22, ' '));
    Key(key::kF8);  // nothing more happens on the deleted row
    Key(key::kReturn);
    EXPECT_EQ(viewed.size(), 1u);
    EXPECT_EQ(ReadHost(dir.path() / "A" / (name + ".txt")), "jedna");
}

TEST_F(SpoolTest, RepairSetsEveryLineTo140CharactersInOneReplacement) {
    const Names lines{"ab", "   odsazeno", std::string(150, 'x'), "\x0CList 2", "konec"};
    const std::string report = "ab\r\n   odsazeno\r\n" + lines[2] + "\r\n\x0CList 2\nkonec";
    std::string repaired;
    for (const std::string& line : lines) repaired += (line + std::string(140, ' ')).substr(0, 140) + "\r\n";
    // Another report beside it, also one named "xxx", is left alone.
    for (const std::string file : {"sestava", "xxx", "failing"}) {
        SCOPED_TRACE(file);
        const std::string neighbour = file == "xxx" ? "yyy.txt" : "xxx.txt";
        Report(s.Work(file + ".txt"), report);
        Report(s.Work(neighbour), "jiná\r\n");
        s.fs.Plan(file + ".tx$").writeCode = file == "failing" ? 101 : 0;
        s.fs.Plan(file + ".tx$").writeFrom = 300;
        spool.Otevri();
        GoTo(StripRight(SpoolName(file + ".txt")));
        spool.PopupChosen(7);
        EXPECT_EQ(ReadHost(s.Work(file + ".txt")), file == "failing" ? report : repaired);
        EXPECT_EQ(s.ui.Count("beep"), file == "failing" ? 1 : 0);
        EXPECT_FALSE(fs::exists(s.Work(file + ".tx$")));
        EXPECT_EQ(ReadHost(s.Work(neighbour)), "jiná\r\n");
        spool.Zavri();
        fs::remove(s.Work(neighbour));
    }
}

// ---- the keys that reach the station's screens ----

TEST_F(SpoolTest, F1AndAltF1OfTheListsAndTheirEditorsAskForTheirTopic) {
    const Asked knihy{"\\kj\\kj", "knihy jízd"_cz};
    using Make = std::function<std::unique_ptr<TfKJSeznam>(Common&)>;
    const Make cars = [](Common& c) { return std::make_unique<TfKJ_auta>(c); };
    const Make places = [](Common& c) { return std::make_unique<TfKJlMista>(c); };
    const struct {
        Make make;
        int key;
        bool inEditor;
        std::vector<Asked> expected;
    } cases[] = {
        {cars, key::kF1, false, {knihy}},
        {cars, kAltF1, false, {{"\\kj\\kj_ovl", "Funkční klávesy v rolovacím"_cz}}},
        {cars, kAltF1, true, {{"\\kj\\kj_ovl", "Funkční klávesy v aktualizačním"_cz}}},
        {places, key::kF1, true, {knihy}},
        {places, kAltF1, false, {}},  // the first sort index of the other lists
        {[](Common& c) { return std::make_unique<TfKJCile>(c); }, key::kF1, true,
         {{"\\kj\\kj", "Tabulka cílů"_cz}}},
    };
    for (const auto& k : cases) {
        std::unique_ptr<TfKJSeznam> list = k.make(s.c);
        SCOPED_TRACE(list->windowName() + (k.inEditor ? " editor " : " list ") + std::to_string(k.key));
        asked.clear();
        list->showEditor = [&k](RecordEditor& e) {
            e.FormShow();
            e.KeyDown(k.key);
            e.KeyDown(key::kEscape);
        };
        ASSERT_EQ(list->Otevri(), 0);
        if (k.inEditor) list->KeyDown(key::kF4, key::Mod::None);
        else list->KeyDown(key::kF1, k.key == kAltF1 ? key::Mod::Alt : key::Mod::None);
        list->Zavri();
        EXPECT_EQ(asked, k.expected);
    }
}

TEST_F(SpoolTest, CtrlF2AndCtrlF9OfAListAndItsEditor) {
    Names started;  // the calculator adds 2 to its start and is taken over
    KalkulackaOf(s.c).show = [&](TfKalk& k) {
        started.push_back(RemoveSpaces(k.result()));
        k.KeyChar('2'), k.KeyChar('+'), k.KeyDown(key::kReturn);
    };
    TfKJlMista places(s.c);
    places.showEditor = [](RecordEditor& e) {
        e.FormShow();
        e.SetText(1, "Brno");
        e.KeyDown(key::kF2 + key::kCtrlOffset);
        e.KeyDown(key::kDown);
        e.SetText(2, "12.5");
        e.KeyDown(key::kF9 + key::kCtrlOffset);
        EXPECT_EQ(e.Text(2), "14.50");
        e.KeyDown(key::kF2);
    };
    ASSERT_EQ(places.Otevri(), 0);
    places.KeyDown(key::kF2, key::Mod::Ctrl);
    places.KeyDown(key::kF4, key::Mod::None);
    places.KeyDown(key::kF9, key::Mod::Ctrl);
    places.Zavri();
    EXPECT_EQ(spools, 2);
    EXPECT_EQ(started, (Names{"12.50", ""}));  // a list has no field: it starts empty
    EXPECT_NE(ReadHost(s.Work("kjmista.dta")).find("Brno"), std::string::npos);
}

TEST_F(SpoolTest, ConnectedHelpOpensTheViewerAtTheTopic) {
    WriteHost(s.Prog("kj/kj_ovl.hlp"), "$FUNKCNI KLAVESY\r\nx\r\n$Funkční klávesy v rolovacím seznamu\r\n"_cz);
    ConnectStationScreens(s.c);
    std::string path, line;
    PrintOutputOf(s.c).showViewer = [&](TfPozri& v) {
        path = v.printPath(), line = v.Line(v.current());
        v.KeyDown(key::kEscape, key::Mod::None);
    };
    TfKJ_auta cars(s.c);
    ASSERT_EQ(cars.Otevri(), 0);
    cars.KeyDown(key::kF1, key::Mod::Alt);
    cars.Zavri();
    EXPECT_EQ(path, "help.TXT");
    EXPECT_EQ(StripRight(line), "Funkční klávesy v rolovacím seznamu"_cz);
}

}  // namespace
}  // namespace kj
