#include <gtest/gtest.h>

#include "fault_fs.h"
#include "logbook/logbook_sort.h"
#include "logbook/trip_logbook.h"
#include "logbook/trip_rules.h"
#include "logbook/working_calendar.h"
#include "services/locks.h"
#include "services/params.h"
#include "services/record_file.h"
#include "shell/main_menu.h"
#include "test_dir.h"
#include "trip_fixture.h"

namespace kj {
namespace {

using namespace triptest;
using key::Mod;

const std::string kBook = "5Z12345.dta";

// A private car's logbook over the given trips, the code lists beside it.
struct Book {
    explicit Book(const std::string& kind = "SOUKROMÉ", const std::vector<std::string>& trips = {}) {
        SetCar("5Z12345", kind);
        WriteCodeLists(s);
        if (!trips.empty()) s.Put(kBook, Join(trips));
        EXPECT_EQ(b.Otevri(kBook), 0);
    }
    std::string file() const { return s.File(kBook); }
    double Reading(int n) const { return TripAt(file(), n).StavTachometru(); }
    std::string path() { return DataPath(s.c, kBook); }

    TestDir dir;
    Station s{dir.path()};
    Scripted<TfKJ_jizdy> b{s.c};
};

std::string Strip(const std::string& t) { return StripLeft(StripRight(t)); }

TEST(TripLogbook, OdometerFollowsTheAddAndEditRules) {
    Book k;
    EXPECT_EQ(k.b.caption().substr(0, 35), "Kniha jízd pro vozidlo SPZ: 5Z12345"_cz);
    // An empty book starts at 0; the reading typed into the odometer field
    // stands (the odometer-setting record can be made only so).
    double startShown = -1;
    k.b.scripts.push_back([&](RecordEditor& e) {
        e.FormShow();
        for (int f = 1; f < jizdy::kFieldStavTachometru; ++f) e.KeyDown(key::kDown);
        startShown = StrToFloatLoose(e.Text(jizdy::kFieldStavTachometru));
        e.SetText(jizdy::kFieldStavTachometru, "12500");
        e.KeyDown(key::kDown);
        e.SetText(jizdy::kFieldZakladniSazba, "4.20");
        e.KeyDown(key::kDown);
        e.SetText(jizdy::kFieldSazbaPhm, "1.50");
        e.KeyDown(key::kF2);
    });
    k.b.Key(key::kF4);
    EXPECT_EQ(startShown, 0);
    ASSERT_EQ(Trips(k.file()), 1);
    EXPECT_EQ(k.Reading(1), 12500);
    EXPECT_EQ(TripAt(k.file(), 1).Datum(), "050324");  // blank date: today's working date

    // 12,500 + 120 shows 12,620 on leaving field 4; a private car's new trip
    // carries the last trip's rates.
    std::string shown, rate;
    k.b.scripts.push_back([&](RecordEditor& e) {
        e.FormShow();
        for (int f = 1; f < jizdy::kFieldKmSluzebni; ++f) e.KeyDown(key::kDown);
        e.SetText(jizdy::kFieldKmSluzebni, "120");
        e.KeyDown(key::kDown);
        shown = Strip(e.Text(jizdy::kFieldStavTachometru));
        rate = Strip(e.Text(jizdy::kFieldZakladniSazba));
        e.KeyDown(key::kF2);
    });
    k.b.Key(key::kF4);
    EXPECT_EQ(shown, "12620");
    EXPECT_EQ(rate, "4.20");
    EXPECT_EQ(k.Reading(2), 12620);

    // Editing: the stored reading less the stored km plus the km typed.
    const struct {
        int row;
        const char* km;
        const char* expected;
    } edits[] = {{2, "100", "12600"}, {1, "10", "12510"}};
    for (const auto& edit : edits) {
        SCOPED_TRACE(edit.expected);
        k.b.JdiNa(edit.row, 0);
        k.b.scripts.push_back([&](RecordEditor& e) {
            e.FormShow();
            for (int f = 1; f < jizdy::kFieldKmSluzebni; ++f) e.KeyDown(key::kDown);
            e.SetText(jizdy::kFieldKmSluzebni, edit.km);
            e.KeyDown(key::kDown);
            shown = Strip(e.Text(jizdy::kFieldStavTachometru));
            e.KeyDown(key::kF2);
        });
        k.b.Key(key::kSpace);
        EXPECT_EQ(shown, edit.expected);
        EXPECT_EQ(k.Reading(edit.row), StrToFloatLoose(edit.expected));
    }
}

TEST(TripLogbook, CarKindsDecideTitlesHiddenFieldsRatesAndTheOdometer) {
    const std::string last = Trip("010324", "Brno", 98, 5000, 8.0, 1200, 30);
    {
        // A company car's columns 7 and 8 are fuel bought: a new trip starts
        // without them.
        Book k("SLUŽEBNÍ", {last});
        EXPECT_EQ(k.b.columns()[jizdy::kFieldZakladniSazba - 1].title, "Nákup PHM v Kč     "_cz);
        EXPECT_EQ(k.b.titles()[jizdy::kFieldSazbaPhm - 1], "PHM l ");
        EXPECT_NE(k.b.hlavickaSeznamu().find("PHM Kč    PHM lit  Čas o. Čas p."_cz), std::string::npos);
        std::string fuel = "x";
        k.b.scripts.push_back([&](RecordEditor& e) {
            fuel = Strip(e.Text(jizdy::kFieldZakladniSazba));
            e.KeyDown(key::kEscape);
        });
        k.b.Key(key::kF4);
        EXPECT_EQ(fuel, "");
    }
    {
        // A machine: hours of work, the hour meter typed by hand (leaving the
        // hours does not add them), fields 5 and 7-11 hidden.
        Book k("STROJ", {last});
        EXPECT_EQ(k.b.titles()[jizdy::kFieldKmSluzebni - 1], "Hod.prá."_cz);
        std::vector<int> hidden;
        std::string meter;
        k.b.scripts.push_back([&](RecordEditor& e) {
            for (int f = 1; f <= e.FieldCount(); ++f)
                if (e.Hidden(f)) hidden.push_back(f);
            e.FormShow();
            for (int f = 1; f < jizdy::kFieldKmSluzebni; ++f) e.KeyDown(key::kDown);
            e.SetText(jizdy::kFieldKmSluzebni, "7");
            e.KeyDown(key::kDown);
            EXPECT_EQ(e.Current(), jizdy::kFieldStavTachometru);
            meter = Strip(e.Text(jizdy::kFieldStavTachometru));
            e.KeyDown(key::kEscape);
        });
        k.b.Key(key::kF4);
        EXPECT_EQ(hidden, (std::vector<int>{5, 7, 8, 9, 10, 11, 14}));
        EXPECT_EQ(meter, "5000");
    }
}

TEST(TripLogbook, MealAllowanceBandsWhileAddingOnly) {
    const TabulkaStravneho table = {{5, 66}, {12, 100}, {18, 156}};
    const struct {
        double from, to;
        const char* expected;
    } bands[] = {
        {7.00, 13.30, "   66.00"}, {7.00, 12.00, "        "},  // exactly 5 h: blank
        {7.30, 12.30, "        "},                             // 5 h written with minutes
        {6.00, 18.10, "  100.00"}, {5.00, 23.30, "  156.00"}, {13.00, 7.00, "        "},
    };
    for (const auto& band : bands)
        EXPECT_EQ(StravneZaCestu(table, band.from, band.to), band.expected) << band.from << "-" << band.to;

    // The editor: the allowance follows the hours while adding; an edit of
    // the hours leaves the stored allowance alone.
    Book k;
    std::string meal;
    k.b.scripts.push_back([&](RecordEditor& e) {
        e.FormShow();
        for (int f = 1; f < jizdy::kFieldCasOdjezdu; ++f) e.KeyDown(key::kDown);
        e.SetText(jizdy::kFieldCasOdjezdu, "7.00");
        e.KeyDown(key::kDown);
        e.SetText(jizdy::kFieldCasPrijezdu, "13.30");
        e.KeyDown(key::kDown);
        meal = e.Text(jizdy::kFieldStravne);
        e.KeyDown(key::kF2);
    });
    k.b.Key(key::kF4);
    EXPECT_EQ(meal, "   66.00");
    EXPECT_EQ(TripAt(k.file(), 1).Stravne(), 66);
    k.b.scripts.push_back([&](RecordEditor& e) {
        e.FormShow();
        for (int f = 1; f < jizdy::kFieldCasPrijezdu; ++f) e.KeyDown(key::kDown);
        e.SetText(jizdy::kFieldCasPrijezdu, "23.30");
        e.KeyDown(key::kDown);
        meal = Strip(e.Text(jizdy::kFieldStravne));
        e.KeyDown(key::kF2);
    });
    k.b.Key(key::kSpace);
    EXPECT_EQ(meal, "66.00");
    EXPECT_EQ(TripAt(k.file(), 1).Stravne(), 66);
    EXPECT_NEAR(TripAt(k.file(), 1).CasPrijezdu(), 23.30, 1e-9);
}

TEST(TripLogbook, DateFieldRules) {
    Book k;
    const struct {
        const char* typed;
        const char* stored;  // "" = refused
    } dates[] = {{"", "050324"},      {"000000", "050324"}, {"1.2.26", "010226"},
                 {"290224", "290224"}, {"310226", ""},      {"abc", ""}};
    for (const auto& d : dates) {
        SCOPED_TRACE(d.typed);
        const int beeps = k.s.ui.Count("beep");
        int field = 0;
        std::string left = "x";
        k.b.scripts.push_back([&](RecordEditor& e) {
            e.FormShow();
            e.SetText(1, d.typed);
            e.KeyDown(key::kDown);
            field = e.Current();
            left = e.Text(1);
            e.KeyDown(field == 1 ? key::kEscape : key::kF2);
        });
        const int before = Trips(k.file());
        k.b.Key(key::kF4);
        if (*d.stored) {
            EXPECT_EQ(field, 2);
            ASSERT_EQ(Trips(k.file()), before + 1);
            EXPECT_EQ(TripAt(k.file(), before + 1).Datum(), d.stored);
        } else {
            EXPECT_EQ(k.s.ui.Count("beep"), beeps + 1);
            EXPECT_EQ(k.s.ui.Last("beep"), "Chybné datum"_cz);
            EXPECT_EQ(field, 1);
            EXPECT_EQ(left, "");
        }
    }
    // A generated trip's "O" in the year is stored as the digit once edited.
    k.s.Put(kBook, Trip("0105O5", "Brno", 98, 100));
    k.b.Obnov();
    k.b.JdiNa(1, 0);
    k.b.scripts.push_back(Fill({}, key::kF2));
    k.b.Key(key::kSpace);
    EXPECT_EQ(TripAt(k.file(), 1).Datum(), "010505");
}

TEST(TripLogbook, LookupsFillTheFieldsOnEnterOrF1) {
    Book k("SOUKROMÉ", {Trip("010324", "Brno", 98, 1000)});
    TfKalendar calendar(k.s.c);
    calendar.ukaz = [](TfKalendar& cal) {
        cal.NastavDen(12);
        cal.Vyber();
    };
    k.b.kalendar = &calendar;
    struct Seen {
        std::string date, place, purpose, km, reading, meal;
        int field = 0;
    } seen;
    auto look = [&](RecordEditor& e) {
        seen = {e.Text(1), Strip(e.Text(2)), Strip(e.Text(3)), Strip(e.Text(4)), Strip(e.Text(6)),
                Strip(e.Text(11)), e.Current()};
    };
    // Enter in the date field: the calendar, starting at the box's date.
    k.b.scripts.push_back([&](RecordEditor& e) {
        e.FormShow();
        e.SetText(1, "3.3.24");
        e.KeyDown(key::kReturn);
        look(e);
        e.KeyDown(key::kEscape);
    });
    k.b.Key(key::kF4);
    EXPECT_EQ(seen.date, "12.03.24");
    EXPECT_EQ(seen.field, 2);

    // Place (row 2, 30 km), purpose (row 1), destination (row 2: place,
    // purpose, 25 km, then field 7), meal rate (row 3), each with Enter or F1.
    const struct {
        int field;
        int key;
        int row;
        std::string file, place, purpose, km, reading, meal;
        int next;
    } picks[] = {
        {2, key::kReturn, 2, "kjmista.dta", "Kroměříž"_cz, "", "30", "1030", "", 3},
        {3, key::kF1, 1, "kjucel.dta", "", "nákup materiálu"_cz, "", "1000", "", 3},
        {4, key::kReturn, 2, "kjcile.dta", "Olomouc-Přerov"_cz, "servis", "25", "1025", "", 7},
        {4, key::kF1, 2, "kjcile.dta", "Olomouc-Přerov"_cz, "servis", "25", "1025", "", 7},
        {11, key::kReturn, 3, "kjstra.dta", "", "", "", "1000", "156.00", 12},
    };
    for (const auto& p : picks) {
        SCOPED_TRACE(p.file + " " + std::to_string(p.key));
        k.b.pick = PickRow(p.row);
        k.b.picked.clear();
        k.b.scripts.push_back([&](RecordEditor& e) {
            e.FormShow();
            while (e.Current() < p.field) e.KeyDown(key::kDown);
            e.KeyDown(p.key);
            look(e);
            e.KeyDown(key::kEscape);
        });
        k.b.Key(key::kF4);
        EXPECT_EQ(k.b.picked, (std::vector<std::string>{p.file}));
        EXPECT_EQ(seen.place, p.place);
        EXPECT_EQ(seen.purpose, p.purpose);
        EXPECT_EQ(seen.km, p.km);
        EXPECT_EQ(seen.reading, p.reading);
        EXPECT_EQ(seen.meal, p.meal);
        EXPECT_EQ(seen.field, p.key == key::kF1 && p.field != 4 ? p.field : p.next);
    }
    // A list left with Esc changes nothing.
    k.b.pick = [](TfSoub& list) { list.KeyDown(key::kEscape, Mod::None); };
    k.b.scripts.push_back([&](RecordEditor& e) {
        e.FormShow();
        e.KeyDown(key::kDown);
        e.SetText(2, "Zlín"_cz);
        e.KeyDown(key::kReturn);
        look(e);
        e.KeyDown(key::kEscape);
    });
    k.b.Key(key::kF4);
    EXPECT_EQ(seen.place, "Zlín"_cz);
    EXPECT_EQ(seen.km, "");
}

TEST(TripLogbook, RouteReversal) {
    const struct {
        const char* route;
        const char* back;
    } routes[] = {{"Praha-Brno-Olomouc", "Olomouc-Brno-Praha"},
                  {"Praha, Brno", " Brno,Praha"},
                  {"Zlín", "Zlín"},
                  {"A-B:C,", "C,B,A"},  // the last separator joins; a blank segment is left out
                  {"1-2-3-4-5-6-7-8-9-10-11-12", "12-11-10-9-8-7-6-5-4-3-2-1"}};
    for (const auto& r : routes) {
        const std::string back = ObratTrasu(Utf8ToCp1250(r.route));
        EXPECT_EQ(back.size(), 40u);
        EXPECT_EQ(StripRight(back), Utf8ToCp1250(r.back)) << r.route;
    }
    // F5 in the place field: an empty box reverses the stored place, then
    // the cursor is in the purpose field.
    Book k("SOUKROMÉ", {Trip("010324", "Zlín-Vsetín", 64, 1000)});
    std::string place;
    int field = 0;
    k.b.scripts.push_back([&](RecordEditor& e) {
        e.FormShow();
        e.KeyDown(key::kDown);
        e.SetText(2, "");
        e.KeyDown(key::kF5);
        place = StripRight(e.Text(2));
        field = e.Current();
        e.KeyDown(key::kF2);
    });
    k.b.Key(key::kSpace);
    EXPECT_EQ(place, "Vsetín-Zlín"_cz);
    EXPECT_EQ(field, 3);
    EXPECT_EQ(StripRight(TripAt(k.file(), 1).Misto()), "Vsetín-Zlín"_cz);
}

TEST(TripLogbook, DeletionMarkStaysUntilTheSortDropsIt) {
    Book k("SOUKROMÉ", {Trip("010124", "", 0, 10000),
                        Trip("020124", "Brno", 50, 0, 10.00),
                        Trip("030124", "Zlín", 7, 0, 9.00),
                        Trip("020124", "Vsetín", 30, 0, 8.00)});
    // F8 answered No changes nothing; Yes leaves the template with "." at
    // offset 1.
    const std::string before = k.file();
    k.b.JdiNa(3, 0);
    k.s.ui.yesNo = {false};
    k.b.Key(key::kF8);
    EXPECT_EQ(k.file(), before);
    k.s.ui.yesNo = {true};
    k.b.Key(key::kF8);
    EXPECT_EQ(k.s.ui.Last("yesno"), "Zrušit záznam?"_cz);
    ASSERT_EQ(Trips(k.file()), 4);
    std::string marked = k.b.sablona();
    marked[1] = '.';
    EXPECT_EQ(k.file().substr(2 * jizdy::kLength, jizdy::kLength), marked);

    // Ctrl+S with "Přepočítat": the 30-km trip (earlier hour) first at
    // 10,030, then 10,080; the deleted record is gone.
    std::vector<std::string> helpLines;
    k.s.ui.onChoose = [&](const ScriptedDialogs::Shown& q, const F1Handler& f1) {
        EXPECT_EQ(q.text, " STAV TACHOMETRU (F1=help)");
        EXPECT_EQ(q.items, (std::vector<std::string>{"         Přepočítat   "_cz,
                                                     "         NEpřepočítat   "_cz,
                                                     "         Vynulovat   "}));
        std::string unused;
        f1(1, unused);
        helpLines = k.s.ui.shown.back().items;
    };
    k.s.ui.choices = {1};
    k.b.Key('S', Mod::Ctrl);
    EXPECT_EQ(k.s.ui.Last("help"), " Nastavení poč.stavu tachometru "_cz);
    EXPECT_EQ(helpLines.front(), " Počáteční hodnotu tachometru si nastavte "_cz);
    const std::string sorted = k.file();
    ASSERT_EQ(Trips(sorted), 3);
    EXPECT_EQ(StripRight(TripAt(sorted, 2).Misto()), "Vsetín"_cz);
    EXPECT_EQ(TripAt(sorted, 1).StavTachometru(), 10000);
    EXPECT_EQ(TripAt(sorted, 2).StavTachometru(), 10030);
    EXPECT_EQ(TripAt(sorted, 3).StavTachometru(), 10080);
    EXPECT_EQ(k.b.count(), 3);
    EXPECT_EQ(k.b.lastSortResult(), 0);
}

TEST(TripLogbook, BookSortModesKeepEveryOtherByte) {
    TestDir dir;
    Station s(dir.path());
    // Equal dates order by departure hour, then by their former place; a
    // generator's "O" year sorts after every date written with digits.
    std::vector<std::string> book = {
        Trip("150324", "C", 5, 700, 12.00), Trip("0105O5", "D", 1, 0),
        Trip("150324", "A", 5, 500, 7.30),  Trip("150324", "B", 5, 600, 7.30),
        Trip("010124", "S", 0, 100),
    };
    book[2][jizdy::kIdentifikace.offset + 1] = 'X';  // bytes no column shows travel along
    book[2][jizdy::kMisto.offset + 30] = '\x7f';
    const std::vector<int> order = {5, 3, 4, 1, 2};
    const struct {
        StavTachometru mode;
        std::vector<double> readings;
    } modes[] = {{StavTachometru::Neprepocitat, {100, 500, 600, 700, 0}},
                 {StavTachometru::Vynulovat, {0, 0, 0, 0, 0}},
                 {StavTachometru::Prepocitat, {100, 105, 110, 115, 116}}};
    for (const auto& m : modes) {
        SCOPED_TRACE(static_cast<int>(m.mode));
        s.Put(kBook, Join(book));
        ASSERT_EQ(SetridKnihu(s.c, DataPath(s.c, kBook), m.mode), 0);
        const std::string out = s.File(kBook);
        ASSERT_EQ(Trips(out), 5);
        for (int i = 0; i < 5; ++i) {
            std::string expected = book[static_cast<std::size_t>(order[static_cast<std::size_t>(i)] - 1)];
            codec::PutReal(expected.data(), jizdy::kStavTachometru, m.readings[static_cast<std::size_t>(i)]);
            EXPECT_EQ(out.substr(static_cast<std::size_t>(i) * jizdy::kLength, jizdy::kLength), expected)
                << "record " << i + 1;
        }
    }
    // The listing: the period's trips by note 1's first two letters (case
    // folded), readings 0, the book itself untouched.
    s.Put(kBook, Join({Trip("150324", "X", 1, 9, 0, 0, 0, "u", 0, "cd"),
                       Trip("100324", "Y", 2, 9, 0, 0, 0, "u", 0, "AB1"),
                       Trip("010224", "Z", 3, 9, 0, 0, 0, "u", 0, "AB"),
                       Trip("200324", "W", 4, 9, 0, 0, 0, "u", 0, "ab")}));
    const std::string bookBefore = s.File(kBook);
    ASSERT_EQ(SetridOpis(s.c, DataPath(s.c, kBook), "240301", "240331", DataPath(s.c, "kj_jizdy.srt")), 0);
    const std::string listing = s.File("kj_jizdy.srt");
    ASSERT_EQ(Trips(listing), 3);
    EXPECT_EQ(TripAt(listing, 1).Misto() + TripAt(listing, 2).Misto() + TripAt(listing, 3).Misto(), "YWX");
    EXPECT_EQ(TripAt(listing, 1).StavTachometru(), 0);
    EXPECT_EQ(s.File(kBook), bookBefore);
}

TEST(TripLogbook, FailedSortLeavesTheBookWhole) {
    Book k("SOUKROMÉ", {Trip("020124", "B", 5, 0), Trip("010124", "A", 5, 0)});
    const std::string before = k.file();
    // The new file fails half way: the book is left as it was, the user told.
    k.s.fs.Plan(DataPath(k.s.c, kBook) + ".new").writeCode = io::kDiskWriteError;
    k.s.fs.Plan(DataPath(k.s.c, kBook) + ".new").writeFrom = 100;
    k.s.ui.choices = {1};
    k.b.Key('S', Mod::Ctrl);
    EXPECT_EQ(k.s.ui.Last("beep"), "Chyba pri sortu");
    EXPECT_EQ(k.file(), before);
    EXPECT_NE(k.b.lastSortResult(), 0);
}

TEST(TripLogbook, CloseSortsAfterChangesWhenNoOtherStationHasTheBook) {
    Book k("SOUKROMÉ", {Trip("020124", "B", 5, 0), Trip("010124", "A", 5, 0)});
    // Nothing changed: no question, no sort.
    k.b.Zavri();
    EXPECT_EQ(k.s.ui.Count("choose"), 0);
    EXPECT_EQ(TripAt(k.file(), 1).Misto(), "B");

    // Another station has the book open: the sort is skipped silently.
    Station other(k.dir.path(), "04");
    ASSERT_TRUE(Zamkni(other.c, DataPath(other.c, kBook), ""));
    ASSERT_EQ(k.b.Otevri(kBook), 0);
    k.b.scripts.push_back(Fill({{1, "030124"}}));
    k.b.Key(key::kF4);
    EXPECT_EQ(StrToIntLoose(GetJobIn(k.s.c, "C:\\DATA\\", "5Z12345")), 1);
    k.b.Zavri();
    EXPECT_EQ(k.b.lastSortResult(), -1);
    EXPECT_EQ(k.s.ui.Count("choose"), 0);
    EXPECT_EQ(TripAt(k.file(), 1).Misto(), "B");
    Odemkni(other.c, DataPath(other.c, kBook));

    // Free again: the appended record still counts, the sort runs on close
    // and holds the book's write lock while it rewrites the file, so a
    // station opening the book waits for the sorted one.
    ASSERT_EQ(k.b.Otevri(kBook), 0);
    std::string seenByOther;
    k.s.ui.onChoose = [&](const ScriptedDialogs::Shown&, const F1Handler&) {
        seenByOther = IfVolny(other.c, DataPath(other.c, kBook));
    };
    k.s.ui.choices = {2};
    k.b.Zavri();
    EXPECT_EQ(seenByOther.substr(0, 1), "W");
    EXPECT_EQ(k.b.lastSortResult(), 0);
    EXPECT_EQ(TripAt(k.file(), 1).Misto(), "A");
    EXPECT_EQ(GetJobIn(k.s.c, "C:\\DATA\\", "5Z12345"), "");
    EXPECT_EQ(IfVolny(other.c, DataPath(other.c, kBook)), "");  // every lock released
}

TEST(TripLogbook, RateRecalculationFromTheCurrentRow) {
    Book k("SOUKROMÉ", {Trip("010124", "A", 5, 0, 0, 4.2, 1.5), Trip("020124", "B", 5, 0, 0, 3, 1),
                        Trip("030124", "C", 5, 0, 0, 3, 1)});
    const std::string before = k.file();
    // The last row: nothing is asked or written.
    k.b.JdiNa(3, 0);
    k.b.PopupChosen(kniha_menu::kSazby);
    EXPECT_EQ(k.s.ui.Count("yesno"), 0);
    EXPECT_EQ(k.file(), before);
    k.b.JdiNa(1, 0);
    k.s.ui.yesNo = {true};
    k.b.PopupChosen(kniha_menu::kSazby);
    EXPECT_EQ(k.s.ui.Last("yesno"), "Sazby od tohoto místa budou: Základní   4.20 Poh.hm.   1.50"_cz);
    for (int n = 2; n <= 3; ++n) {
        EXPECT_NEAR(TripAt(k.file(), n).ZakladniSazba(), 4.2, 1e-9);
        EXPECT_EQ(TripAt(k.file(), n).SazbaPhm(), 1.5);
    }
    EXPECT_EQ(k.file().substr(0, jizdy::kLength), before.substr(0, jizdy::kLength));
}

TEST(TripLogbook, EditingChangesOnlyWhatTheUserChanged) {
    // A record written elsewhere: zeros past its texts, a reading and a rate
    // finer than their masks, an identification no editor field shows.
    std::string rec = Trip("010324", "Brno", 98, 12345.375, 8.15, 4.125, 1.5);
    rec[jizdy::kIdentifikace.offset] = 1;
    rec[jizdy::kIdentifikace.offset + 1] = 'K';
    Book k("SOUKROMÉ", {rec});
    k.b.Obnov();
    k.b.scripts.push_back([&](RecordEditor& e) {
        e.FormShow();
        while (e.Current() != jizdy::kFieldPoznamka1) e.KeyDown(key::kDown);
        e.SetText(jizdy::kFieldPoznamka1, "servis");
        e.KeyDown(key::kF2);
    });
    k.b.Key(key::kSpace);
    const std::string after = k.file();
    std::string expected = rec;
    codec::PutText(expected.data(), jizdy::kPoznamka1, "servis");
    const std::size_t from = jizdy::kPoznamka1.offset;
    EXPECT_EQ(after.substr(0, from), expected.substr(0, from));
    EXPECT_EQ(StripRight(TripAt(after, 1).Poznamka1()), "servis");
    EXPECT_EQ(after.substr(jizdy::kPoznamka2.offset), expected.substr(jizdy::kPoznamka2.offset));
}

TEST(TripLogbook, NewTripAfterDeletingTheLastGoesOnFromTheLastLiveOne) {
    Book k("SOUKROMÉ", {Trip("010124", "A", 5, 1005), Trip("020124", "B", 7, 1012)});
    k.b.JdiNa(2, 0);
    k.s.ui.yesNo = {true};
    k.b.Key(key::kF8);
    std::string start;
    k.b.scripts.push_back([&](RecordEditor& e) {
        start = Strip(e.Text(jizdy::kFieldStavTachometru));
        e.KeyDown(key::kEscape);
    });
    k.b.Key(key::kF4);
    EXPECT_EQ(start, "1005");
}

TEST(TripLogbook, MenuShortcutsMarksAndTheHooksOfReportsAndTravelOrder) {
    Book k("SOUKROMÉ", {Trip("010124", "A", 5, 0), Trip("020124", "B", 5, 0),
                        Trip("030124", "C", 5, 0)});
    // Not yet filled: the user is told what is being prepared.
    const struct {
        char letter;
        std::string message;
    } keys[] = {{'V', "Kniha jízd s vyhodnocením: sestava se připravuje."_cz},
                {'O', "Opis s mezisoučty: sestava se připravuje."_cz},
                {'C', "Cestovní příkaz: funkce se připravuje."_cz}};
    for (const auto& kk : keys) {
        k.b.Key(kk.letter, Mod::Ctrl);
        EXPECT_EQ(k.s.ui.Last("beep"), kk.message);
    }
    // Insert marks trips for the travel order; Ctrl+C names its file.
    k.b.JdiNa(3, 0);
    k.b.Key(key::kInsert);
    k.b.JdiNa(1, 0);
    k.b.Key(key::kInsert);
    std::vector<std::string> order;
    std::string file;
    k.b.cestovniPrikaz = [&](TfKJ_jizdy& b, const std::string& f) {
        file = f;
        for (const VetaJizdy& t : b.OznaceneJizdy()) order.push_back(t.Misto());
    };
    int reports = 0;
    k.b.knihaSVyhodnocenim = [&](TfKJ_jizdy&) { reports += 1; };
    k.b.opisSMezisoucty = [&](TfKJ_jizdy&) { reports += 10; };
    const int beeps = k.s.ui.Count("beep");
    k.b.Key('C', Mod::Ctrl);
    k.b.Key('V', Mod::Ctrl);
    k.b.Key('O', Mod::Ctrl);
    EXPECT_EQ(k.s.ui.Count("beep"), beeps);
    EXPECT_EQ(file, "C:\\DATA\\W5Z12345.cpr");
    EXPECT_EQ(k.b.orderFileName, file);
    EXPECT_EQ(order, (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(reports, 11);
}

TEST(TripLogbook, MainMenuOpensTheChosenCarsBookAndSortsItOnClose) {
    TestDir dir;
    Station s(dir.path());
    WriteCodeLists(s);
    VetaAuta car;
    car.SetText(auta::kSpz, "5Z12345");
    car.SetText(auta::kDruh, "SOUKROMÉ"_cz);
    s.Put("kj_auta.dta", std::string(car.bytes.data(), car.bytes.size()));
    s.Put(kBook, Join({Trip("020124", "B", 5, 0), Trip("010124", "", 0, 10000)}));
    MainMenu menu(s.c);
    std::vector<std::string> shown;
    s.ui.choices = {1};
    menu.RunCarListLoop([&](TfSoub& list) {
        shown.push_back(list.caption().substr(0, 16));
        if (shown.size() == 1) {
            list.KeyDown(key::kReturn, Mod::None);
        } else if (shown.size() == 2) {
            // The book: a trip typed in, so that it is sorted on close.
            list.showEditor = Fill({{1, "030124"}, {4, "20"}});
            list.KeyDown(key::kF4, Mod::None);
            list.KeyDown(key::kEscape, Mod::None);
        } else {
            list.KeyDown(key::kEscape, Mod::None);
        }
    });
    EXPECT_EQ(shown, (std::vector<std::string>{" Seznam vozidel ", "Kniha jízd pro v"_cz,
                                               " Seznam vozidel "}));
    const std::string book = s.File(kBook);
    ASSERT_EQ(Trips(book), 3);
    EXPECT_EQ(TripAt(book, 1).StavTachometru(), 10000);
    EXPECT_EQ(TripAt(book, 2).StavTachometru(), 10005);
    EXPECT_EQ(TripAt(book, 3).StavTachometru(), 10025);
    EXPECT_FALSE(menu.kniha().isOpen());
}

}  // namespace
}  // namespace kj
