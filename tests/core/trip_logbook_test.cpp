#include "kj_test.h"
#include "logbook/logbook_sort.h"
#include "logbook/trip_logbook.h"
#include "logbook/trip_rules.h"
#include "services/locks.h"
#include "services/record_file.h"
#include "shell/main_menu.h"
#include "trip_fixture.h"

namespace kj {
namespace {

using namespace triptest;
using key::Mod;
using namespace jizdy;

const std::string kBook = "5Z12345.dta";

// A car's logbook over the given trips, the code lists beside it.
struct Book {
    explicit Book(const std::string& kind = "SOUKROMÉ", const std::vector<std::string>& trips = {}) {
        SetCar("5Z12345", kind);
        WriteCodeLists(s);
        if (!trips.empty()) s.Put(kBook, Join(trips));
        EXPECT_EQ(b.Otevri(kBook), 0);
    }
    std::string file() const { return s.File(kBook); }
    VetaJizdy At(int n) const { return TripAt(file(), n); }

    TestDir dir;
    Station s{dir.path()};
    Scripted<TfKJ_jizdy> b{s.c};
};

TEST(TripLogbook, OdometerFollowsTheAddAndEditRules) {
    Book k;
    EXPECT_EQ(k.b.caption().substr(0, 35), "Kniha jízd pro vozidlo SPZ: 5Z12345"_cz);
    // An empty book starts at 0; a reading typed into the odometer field
    // stands (the odometer-setting record can be made only so).
    std::string start, shown, rate;
    k.b.scripts.push_back([&](RecordEditor& e) {
        WalkTo(e, kFieldStavTachometru);
        start = Shown(e, kFieldStavTachometru);
        Type(e, kFieldStavTachometru, "12500");
        Type(e, kFieldZakladniSazba, "4.20");
        e.SetText(kFieldSazbaPhm, "1.50");
        e.KeyDown(key::kF2);
    });
    k.b.Key(key::kF4);
    EXPECT_EQ(start, "");
    ASSERT_EQ(Trips(k.file()), 1);
    EXPECT_EQ(k.At(1).StavTachometru(), 12500);
    EXPECT_EQ(k.At(1).Datum(), "050324");  // a blank date: today's working date

    // 12,500 + 120 shows 12,620 on leaving field 4; a private car's new
    // trip carries the last trip's rates. Editing: the stored reading less
    // the stored km plus the km typed.
    const struct {
        int key, row;
        const char* km;
        const char* expected;
    } steps[] = {{key::kF4, 0, "120", "12620"}, {key::kSpace, 2, "100", "12600"},
                 {key::kSpace, 1, "10", "12510"}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.expected);
        if (step.row) k.b.JdiNa(step.row, 0);
        k.b.scripts.push_back([&](RecordEditor& e) {
            WalkTo(e, kFieldKmSluzebni);
            Type(e, kFieldKmSluzebni, step.km);
            shown = Shown(e, kFieldStavTachometru);
            rate = Shown(e, kFieldZakladniSazba);
            e.KeyDown(key::kF2);
        });
        k.b.Key(step.key);
        EXPECT_EQ(shown, step.expected);
        EXPECT_EQ(rate, "4.20");
        EXPECT_EQ(k.At(step.row ? step.row : 2).StavTachometru(), StrToFloatLoose(step.expected));
    }
}

TEST(TripLogbook, CarKindsDecideTitlesHiddenFieldsRatesAndTheOdometer) {
    const std::string last = Trip("010324", "Brno", 98, 5000, 8.0, 1200, 30);
    // A company car's columns 7 and 8 are fuel bought: a new trip starts
    // without them.
    Book company("SLUŽEBNÍ", {last});
    EXPECT_EQ(company.b.columns()[kFieldZakladniSazba - 1].title, "Nákup PHM v Kč     "_cz);
    EXPECT_EQ(company.b.titles()[kFieldSazbaPhm - 1], "PHM l ");
    EXPECT_NE(company.b.hlavickaSeznamu().find("PHM Kč    PHM lit  Čas o. Čas p."_cz), std::string::npos);
    std::string fuel = "x";
    company.b.scripts.push_back([&](RecordEditor& e) { fuel = Shown(e, kFieldZakladniSazba); });
    company.b.Key(key::kF4);
    EXPECT_EQ(fuel, "");

    // A machine: hours of work, the hour meter typed by hand (leaving the
    // hours does not add them), fields 5 and 7-11 hidden.
    Book machine("STROJ", {last});
    EXPECT_EQ(machine.b.titles()[kFieldKmSluzebni - 1], "Hod.prá."_cz);
    std::vector<int> hidden;
    std::string meter;
    machine.b.scripts.push_back([&](RecordEditor& e) {
        for (int f = 1; f <= e.FieldCount(); ++f)
            if (e.Hidden(f)) hidden.push_back(f);
        WalkTo(e, kFieldKmSluzebni);
        Type(e, kFieldKmSluzebni, "7");
        EXPECT_EQ(e.Current(), kFieldStavTachometru);
        meter = Shown(e, kFieldStavTachometru);
    });
    machine.b.Key(key::kF4);
    EXPECT_EQ(hidden, (std::vector<int>{5, 7, 8, 9, 10, 11, 14}));
    EXPECT_EQ(meter, "5000");
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
    for (const char* arrival : {"13.30", "23.30"}) {
        k.b.scripts.push_back([&](RecordEditor& e) {
            WalkTo(e, kFieldCasOdjezdu);
            Type(e, kFieldCasOdjezdu, "7.00");
            Type(e, kFieldCasPrijezdu, arrival);
            meal = Shown(e, kFieldStravne);
            e.KeyDown(key::kF2);
        });
        k.b.Key(k.b.count() == 0 ? key::kF4 : key::kSpace);
        EXPECT_EQ(meal, "66.00");
        EXPECT_EQ(k.At(1).Stravne(), 66);
    }
    EXPECT_NEAR(k.At(1).CasPrijezdu(), 23.30, 1e-9);

    // A rates file longer than 30 entries is held whole: the 40th band counts.
    std::string rates;
    for (int h = 1; h <= 40; ++h)
        rates += ListRecord(strav::kColumns, strav::kLength, {std::to_string(h / 2.0), std::to_string(10 * h)});
    k.s.Put("kjstra.dta", rates);
    const TabulkaStravneho loaded = NactiTabulkuStravneho(k.s.c);
    ASSERT_EQ(loaded.size(), 40u);
    EXPECT_EQ(StravneZaCestu(loaded, 0, 20.30), "  400.00");
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
        int field = 0;
        std::string left = "x";
        k.b.scripts.push_back([&](RecordEditor& e) {
            WalkTo(e, 1);
            Type(e, 1, d.typed);
            field = e.Current();
            left = e.Text(1);
            e.KeyDown(field == 1 ? key::kEscape : key::kF2);
        });
        const int before = Trips(k.file());
        const int beeps = k.s.ui.Count("beep");
        k.b.Key(key::kF4);
        if (*d.stored) {
            ASSERT_EQ(Trips(k.file()), before + 1);
            EXPECT_EQ(k.At(before + 1).Datum(), d.stored);
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
    k.b.scripts.push_back(Fill({}));
    k.b.Key(key::kSpace);
    EXPECT_EQ(k.At(1).Datum(), "010505");
}

TEST(TripLogbook, LookupsFillTheFields) {
    Book k("SOUKROMÉ", {Trip("010324", "Brno", 98, 1000)});
    // Place (row 2, 30 km), destination (row 2: place, purpose, 25 km, then
    // on to field 7), meal rate (row 3); the odometer follows the km.
    const struct {
        int field, row;
        std::string file, place, purpose, km, reading, meal;
        int next;
    } picks[] = {
        {2, 2, "kjmista.dta", "Kroměříž"_cz, "", "30", "1030", "", 3},
        {4, 2, "kjcile.dta", "Olomouc-Přerov"_cz, "servis", "25", "1025", "", 7},
        {11, 3, "kjstra.dta", "", "", "", "1000", "156.00", 12},
    };
    std::vector<std::string> seen;
    for (const auto& p : picks) {
        SCOPED_TRACE(p.file);
        k.b.pick = PickRow(p.row);
        k.b.picked.clear();
        k.b.scripts.push_back([&](RecordEditor& e) {
            WalkTo(e, p.field);
            e.KeyDown(key::kReturn);
            seen = {Shown(e, 2), Shown(e, 3), Shown(e, 4), Shown(e, 6), Shown(e, 11),
                    std::to_string(e.Current())};
            e.KeyDown(key::kEscape);
        });
        k.b.Key(key::kF4);
        EXPECT_EQ(k.b.picked, (std::vector<std::string>{p.file}));
        EXPECT_EQ(seen, (std::vector<std::string>{p.place, p.purpose, p.km, p.reading, p.meal,
                                                  std::to_string(p.next)}));
    }
    // A list left with Esc changes nothing.
    k.b.pick = [](TfSoub& list) { list.KeyDown(key::kEscape, Mod::None); };
    k.b.scripts.push_back([&](RecordEditor& e) {
        WalkTo(e, kFieldMisto);
        e.SetText(kFieldMisto, "Zlín"_cz);
        e.KeyDown(key::kReturn);
        seen = {Shown(e, 2), Shown(e, 4)};
        e.KeyDown(key::kEscape);
    });
    k.b.Key(key::kF4);
    EXPECT_EQ(seen, (std::vector<std::string>{"Zlín"_cz, ""}));
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
    int field = 0;
    k.b.scripts.push_back([&](RecordEditor& e) {
        WalkTo(e, kFieldMisto);
        e.SetText(kFieldMisto, "");
        e.KeyDown(key::kF5);
        field = e.Current();
        e.KeyDown(key::kF2);
    });
    k.b.Key(key::kSpace);
    EXPECT_EQ(field, kFieldUcel);
    EXPECT_EQ(StripRight(k.At(1).Misto()), "Vsetín-Zlín"_cz);
}

TEST(TripLogbook, DeletionMarkStaysUntilTheSortDropsIt) {
    Book k("SOUKROMÉ", {Trip("010124", "", 0, 10000), Trip("020124", "Brno", 50, 0, 10.00),
                        Trip("030124", "Zlín", 7, 0, 9.00), Trip("020124", "Vsetín", 30, 0, 8.00)});
    // F8 answered No changes nothing; Yes leaves the template with "." at
    // offset 1.
    const std::string before = k.file();
    k.b.JdiNa(3, 0);
    k.s.ui.yesNo = {false, true};
    k.b.Key(key::kF8);
    EXPECT_EQ(k.file(), before);
    k.b.Key(key::kF8);
    EXPECT_EQ(k.s.ui.Last("yesno"), "Zrušit záznam?"_cz);
    std::string marked = k.b.sablona();
    marked[1] = '.';
    EXPECT_EQ(k.file().substr(2 * kLength, kLength), marked);

    // Ctrl+S with "Přepočítat" (its F1 is the help box): the 30-km trip
    // (earlier hour) first at 10,030, then 10,080; the deleted one is gone.
    std::vector<std::string> items;
    k.s.ui.onChoose = [&](const ScriptedDialogs::Shown& q, const F1Handler& f1) {
        EXPECT_EQ(q.text, " STAV TACHOMETRU (F1=help)");
        items = q.items;
        std::string unused;
        f1(1, unused);
    };
    k.s.ui.choices = {1};
    k.b.Key('S', Mod::Ctrl);
    EXPECT_EQ(items, (std::vector<std::string>{"         Přepočítat   "_cz, "         NEpřepočítat   "_cz,
                                               "         Vynulovat   "}));
    EXPECT_EQ(k.s.ui.Last("help"), " Nastavení poč.stavu tachometru "_cz);
    ASSERT_EQ(Trips(k.file()), 3);
    EXPECT_EQ(StripRight(k.At(2).Misto()), "Vsetín"_cz);
    EXPECT_EQ((std::vector<double>{k.At(1).StavTachometru(), k.At(2).StavTachometru(), k.At(3).StavTachometru()}),
              (std::vector<double>{10000, 10030, 10080}));
    EXPECT_EQ(k.b.count(), 3);
}

TEST(TripLogbook, BookSortModesKeepEveryOtherByte) {
    TestDir dir;
    Station s(dir.path());
    // Equal dates order by departure hour, then by their former place; a
    // generator's "O" year sorts after every date written with digits.
    std::vector<std::string> book = {Trip("150324", "C", 5, 700, 12.00), Trip("0105O5", "D", 1, 0),
                                     Trip("150324", "A", 5, 500, 7.30), Trip("150324", "B", 5, 600, 7.30),
                                     Trip("010124", "S", 0, 100)};
    book[2][kIdentifikace.offset + 1] = 'X';  // bytes no column shows travel along
    book[2][kMisto.offset + 30] = '\x7f';
    const int order[] = {5, 3, 4, 1, 2};
    const struct {
        StavTachometru mode;
        double readings[5];
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
            std::string expected = book[static_cast<std::size_t>(order[i] - 1)];
            codec::PutReal(expected.data(), kStavTachometru, m.readings[i]);
            EXPECT_EQ(out.substr(static_cast<std::size_t>(i) * kLength, kLength), expected) << i + 1;
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
    FaultPlan& plan = k.s.fs.Plan(DataPath(k.s.c, kBook) + ".new");
    plan.writeCode = io::kDiskWriteError;
    plan.writeFrom = 100;
    k.s.ui.choices = {1};
    k.b.Key('S', Mod::Ctrl);
    EXPECT_EQ(k.s.ui.Last("beep"), "Chyba pri sortu");
    EXPECT_EQ(k.file(), before);
}

TEST(TripLogbook, CloseSortsAfterChangesWhenNoOtherStationHasTheBook) {
    Book k("SOUKROMÉ", {Trip("020124", "B", 5, 0), Trip("010124", "A", 5, 0)});
    // Nothing changed: no question, no sort.
    k.b.Zavri();
    EXPECT_EQ(k.s.ui.Count("choose"), 0);

    // Another station has the book open: the sort is skipped silently.
    Station other(k.dir.path(), "04");
    const std::string path = DataPath(other.c, kBook);
    ASSERT_TRUE(Zamkni(other.c, path, ""));
    ASSERT_EQ(k.b.Otevri(kBook), 0);
    k.b.scripts.push_back(Fill({{1, "030124"}}));
    k.b.Key(key::kF4);
    EXPECT_EQ(GetJobIn(k.s.c, "C:\\DATA\\", "5Z12345"), "    1");
    k.b.Zavri();
    EXPECT_EQ(k.b.lastSortResult(), -1);
    EXPECT_EQ(k.s.ui.Count("choose"), 0);
    EXPECT_EQ(k.At(1).Misto(), "B");
    Odemkni(other.c, path);

    // Free again: the appended record still counts, the sort runs on close
    // and holds the book's write lock while it rewrites the file, so a
    // station opening the book waits for the sorted one.
    ASSERT_EQ(k.b.Otevri(kBook), 0);
    std::string seenByOther;
    k.s.ui.onChoose = [&](const ScriptedDialogs::Shown&, const F1Handler&) {
        seenByOther = IfVolny(other.c, path);
    };
    k.s.ui.choices = {2};
    k.b.Zavri();
    EXPECT_EQ(seenByOther.substr(0, 1), "W");
    EXPECT_EQ(k.At(1).Misto(), "A");
    EXPECT_EQ(GetJobIn(k.s.c, "C:\\DATA\\", "5Z12345"), "");
    EXPECT_EQ(IfVolny(other.c, path), "");  // every lock released
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
        EXPECT_EQ(k.file().substr((n - 1) * kLength + kZakladniSazba.offset, 12),
                  before.substr(kZakladniSazba.offset, 12));
    }
}

TEST(TripLogbook, EditingChangesOnlyWhatTheUserChanged) {
    // A record written elsewhere: zeros past its texts, a reading and a rate
    // finer than their masks, an identification no editor field shows.
    std::string rec = Trip("010324", "Brno", 98, 12345.375, 8.15, 4.125, 1.5);
    rec[kIdentifikace.offset] = 1;
    rec[kIdentifikace.offset + 1] = 'K';
    Book k("SOUKROMÉ", {rec});
    k.b.scripts.push_back([&](RecordEditor& e) {
        WalkTo(e, kFieldPoznamka1);
        e.SetText(kFieldPoznamka1, "servis");
        e.KeyDown(key::kF2);
    });
    k.b.Key(key::kSpace);
    const std::string after = k.file();
    EXPECT_EQ(after.substr(0, kPoznamka1.offset), rec.substr(0, kPoznamka1.offset));
    EXPECT_EQ(StripRight(k.At(1).Poznamka1()), "servis");
    EXPECT_EQ(after.substr(kPoznamka2.offset), rec.substr(kPoznamka2.offset));
}

TEST(TripLogbook, NewTripAfterDeletingTheLastGoesOnFromTheLastLiveOne) {
    Book k("SOUKROMÉ", {Trip("010124", "A", 5, 1005), Trip("020124", "B", 7, 1012)});
    k.b.JdiNa(2, 0);
    k.s.ui.yesNo = {true};
    k.b.Key(key::kF8);
    std::string start;
    k.b.scripts.push_back([&](RecordEditor& e) { start = Shown(e, kFieldStavTachometru); });
    k.b.Key(key::kF4);
    EXPECT_EQ(start, "1005");
}

TEST(TripLogbook, InsertMarksAndTheMenuReachesReportsAndTravelOrder) {
    Book k("SOUKROMÉ", {Trip("010124", "A", 5, 0), Trip("020124", "B", 5, 0), Trip("030124", "C", 5, 0)});
    // Insert marks trips for the travel order; Ctrl+C names its file.
    for (int row : {3, 1}) {
        k.b.JdiNa(row, 0);
        k.b.Key(key::kInsert);
    }
    std::string calls, file;
    k.b.cestovniPrikaz = [&](TfKJ_jizdy& b, const std::string& f) {
        file = f;
        for (const VetaJizdy& t : b.OznaceneJizdy()) calls += t.Misto();
    };
    k.b.knihaSVyhodnocenim = [&](TfKJ_jizdy&) { calls += "V"; };
    k.b.opisSMezisoucty = [&](TfKJ_jizdy&) { calls += "O"; };
    for (char letter : {'C', 'V', 'O'}) k.b.Key(letter, Mod::Ctrl);
    EXPECT_EQ(calls, "ACVO");
    EXPECT_EQ(file, "C:\\DATA\\W5Z12345.cpr");
    EXPECT_EQ(k.b.orderFileName, file);
}

TEST(TripLogbook, MainMenuOpensTheChosenCarsBookAndSortsItOnClose) {
    Book k("SOUKROMÉ", {Trip("020124", "B", 5, 0), Trip("010124", "", 0, 10000)});
    k.b.Zavri();
    k.s.Put("kj_auta.dta", std::string(AktualniVozidlo().bytes.data(), auta::kLength));
    MainMenu menu(k.s.c);
    std::vector<std::string> shown;
    k.s.ui.choices = {1};
    menu.RunCarListLoop([&](TfSoub& list) {
        shown.push_back(list.caption().substr(0, 16));
        if (shown.size() == 2) {  // the book: a trip typed in, sorted on close
            list.showEditor = Fill({{1, "030124"}, {4, "20"}});
            list.KeyDown(key::kF4, Mod::None);
        }
        list.KeyDown(shown.size() == 1 ? key::kReturn : key::kEscape, Mod::None);
    });
    EXPECT_EQ(shown, (std::vector<std::string>{" Seznam vozidel ", "Kniha jízd pro v"_cz, " Seznam vozidel "}));
    EXPECT_EQ((std::vector<double>{k.At(1).StavTachometru(), k.At(2).StavTachometru(), k.At(3).StavTachometru()}),
              (std::vector<double>{10000, 10005, 10025}));
    EXPECT_FALSE(menu.kniha().isOpen());
}

}  // namespace
}  // namespace kj
