// The keys by which the code lists, the destinations and their editors
// reach the station's screens: F1 and Alt+F1 its help (file and topic),
// Ctrl+F2 its print spool, Ctrl+F9 its calculator; and the station's help
// hook rendering the help file at the topic.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "host_files.h"
#include "logbook/car_list.h"
#include "logbook/destinations.h"
#include "logbook/meal_rates.h"
#include "logbook/places.h"
#include "logbook/purposes.h"
#include "print/print_output.h"
#include "print/print_spool.h"
#include "print_station.h"
#include "screens/calculator.h"
#include "screens/key_codes.h"
#include "services/cp1250.h"
#include "services/picture.h"
#include "shell/main_menu.h"
#include "test_dir.h"

namespace kj {
namespace {

namespace fs = std::filesystem;
using key::Mod;
using printtest::Station;

constexpr int kAltF1 = key::kF1 + key::kAltOffset;

struct Asked {
    std::string file, topic;
    bool operator==(const Asked&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Asked& a) {
    return os << Cp1250ToUtf8(a.file) << " / " << Cp1250ToUtf8(a.topic);
}

// A station whose help and spool hooks record what reaches them.
struct Recording : ::testing::Test {
    Recording() {
        s.c.showHelp = [this](std::string_view file, std::string_view topic) {
            asked.push_back({std::string(file), std::string(topic)});
        };
        s.c.showPrintSpool = [this] { ++spools; };
    }
    TestDir dir;
    Station s{dir.path()};
    std::vector<Asked> asked;
    int spools = 0;
};

const Asked kKnihy{"\\kj\\kj", "knihy jízd"_cz};
const Asked kCile{"\\kj\\kj", "Tabulka cílů"_cz};
const Asked kListKeys{"\\kj\\kj_ovl", "Funkční klávesy v rolovacím"_cz};
const Asked kEditorKeys{"\\kj\\kj_ovl", "Funkční klávesy v aktualizačním"_cz};

TEST_F(Recording, F1AndAltF1OfEveryListAndItsEditorAskForTheirTopic) {
    struct Case {
        const char* list;
        std::function<std::unique_ptr<TfKJSeznam>(Common&)> make;
        int key;
        bool inEditor;
        std::vector<Asked> expected;
    };
    auto cars = [](Common& c) { return std::make_unique<TfKJ_auta>(c); };
    auto places = [](Common& c) { return std::make_unique<TfKJlMista>(c); };
    auto purposes = [](Common& c) { return std::make_unique<TfKJUcel>(c); };
    auto rates = [](Common& c) { return std::make_unique<TfKJStrav>(c); };
    auto destinations = [](Common& c) { return std::make_unique<TfKJCile>(c); };
    const Case cases[] = {
        {"cars", cars, key::kF1, false, {kKnihy}},
        {"cars", cars, kAltF1, false, {kListKeys}},
        {"cars", cars, key::kF1, true, {kKnihy}},
        {"cars", cars, kAltF1, true, {kEditorKeys}},
        {"places", places, key::kF1, false, {kKnihy}},
        {"places", places, key::kF1, true, {kKnihy}},
        // Alt+F1 of the other lists switches to the first sort index.
        {"places", places, kAltF1, false, {}},
        {"places", places, kAltF1, true, {}},
        {"purposes", purposes, key::kF1, false, {kKnihy}},
        {"purposes", purposes, key::kF1, true, {kKnihy}},
        {"meal rates", rates, key::kF1, false, {kKnihy}},
        {"meal rates", rates, key::kF1, true, {kKnihy}},
        {"destinations", destinations, key::kF1, false, {kCile}},
        {"destinations", destinations, key::kF1, true, {kCile}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.list) + (k.key == kAltF1 ? " Alt+F1" : " F1") +
                     (k.inEditor ? " in the editor" : ""));
        asked.clear();
        std::unique_ptr<TfKJSeznam> list = k.make(s.c);
        list->showEditor = [&k](RecordEditor& e) {
            e.FormShow();
            e.KeyDown(k.key);
            e.KeyDown(key::kEscape);
        };
        ASSERT_EQ(list->Otevri(), 0);
        if (k.inEditor)
            list->KeyDown(key::kF4, Mod::None);
        else if (k.key == kAltF1)
            list->KeyDown(key::kF1, Mod::Alt);
        else
            list->KeyDown(key::kF1, Mod::None);
        list->Zavri();
        EXPECT_EQ(asked, k.expected);
    }
    // The spool's own help.
    asked.clear();
    TfSpool spool(s.c);
    spool.Otevri();
    spool.KeyDown(key::kF1, Mod::None);
    spool.Zavri();
    EXPECT_EQ(asked, (std::vector<Asked>{{"\\2\\spool", "Seznam"}}));
}

TEST_F(Recording, CtrlF2AndCtrlF9OfAListAndItsEditor) {
    // The calculator adds 2 to what it starts from and is taken over.
    std::vector<std::string> started;
    KalkulackaOf(s.c).show = [&](TfKalk& k) {
        started.push_back(RemoveSpaces(k.result()));
        k.KeyChar('2');
        k.KeyChar('+');
        k.KeyDown(key::kReturn);
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
    places.KeyDown(key::kF2, Mod::Ctrl);
    EXPECT_EQ(spools, 1);
    places.KeyDown(key::kF4, Mod::None);
    EXPECT_EQ(spools, 2);
    places.KeyDown(key::kF9, Mod::Ctrl);
    places.Zavri();
    // A list has no field: its calculator starts empty.
    EXPECT_EQ(started, (std::vector<std::string>{"12.50", ""}));
    EXPECT_NE(ReadHost(s.Work("kjmista.dta")).find("Brno"), std::string::npos);
}

// The station's help hook renders the help file and opens the viewer at
// the heading of the topic.
TEST(StationHelp, AltF1InTheCarEditorOpensTheViewerAtTheEditorKeys) {
    TestDir dir;
    Station s(dir.path());
    const fs::path shipped = fs::path(__FILE__).parent_path().parent_path().parent_path() / "demo" /
                             "template" / "prog" / "kj" / "kj_ovl.hlp";
    WriteHost(s.Prog("kj/kj_ovl.hlp"), Utf8ToCp1250(ReadHost(shipped)));
    ConnectStationScreens(s.c);
    std::string path, line;
    PrintOutputOf(s.c).showViewer = [&](TfPozri& v) {
        path = v.printPath();
        line = v.Line(v.current());
        v.KeyDown(key::kEscape, Mod::None);
    };
    TfKJ_auta cars(s.c);
    cars.showEditor = [](RecordEditor& e) {
        e.FormShow();
        e.KeyDown(kAltF1);
        e.KeyDown(key::kEscape);
    };
    ASSERT_EQ(cars.Otevri(), 0);
    cars.KeyDown(key::kF4, Mod::None);
    cars.Zavri();
    EXPECT_EQ(path, "help.TXT");
    EXPECT_EQ(StripRight(line), "FUNKČNÍ KLÁVESY V AKTUALIZAČNÍM OKNĚ"_cz);
}

}  // namespace
}  // namespace kj
