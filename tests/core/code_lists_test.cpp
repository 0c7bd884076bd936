#include "kj_test.h"

#include "editor_scripts.h"
#include "logbook/car_list.h"
#include "logbook/destinations.h"
#include "logbook/meal_rates.h"
#include "logbook/places.h"
#include "logbook/purposes.h"
#include "logbook/trip_record.h"
#include "services/locks.h"
#include "services/table_writeback.h"
#include "shell/main_menu.h"

namespace kj {
namespace {

using namespace rectest;
using key::Mod;


// A station of the code lists: data in <root>/DATA.
struct Station : rectest::Station {
    explicit Station(const fs::path& root, const std::string& number = "03")
        : rectest::Station(root, number) {
        UseDataDir();
    }
    std::string File(const std::string& name) const { return ReadHost(Data(name)); }
};

struct TempStation : OwnDir, Station {
    TempStation() : Station(dir.path()) {}
};

// A session that types `typed` into field 1 and presses F2: whether the
// editor accepted, and the field it stands on and its text afterwards.
struct Refusal {
    bool accepted = true;
    int field = 0;
    std::string text;
};
Script TypeFirst(const std::string& typed, Refusal* seen) {
    return [typed, seen](RecordEditor& e) {
        e.FormShow();
        e.SetText(1, typed);
        e.KeyDown(key::kF2);
        *seen = {e.accepted(), e.Current(), e.Text(1)};
        if (!e.accepted()) e.KeyDown(key::kEscape);
    };
}

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int v : b) s.push_back(static_cast<char>(v));
    return s;
}

// A text column as stored: the length byte of the full width and the text
// padded with blanks to it.
std::string ShortText(const std::string& t, std::size_t capacity) {
    std::string s(1, static_cast<char>(capacity));
    s += t;
    s.resize(capacity + 1, ' ');
    return s;
}

TEST(CodeLists, LayoutsFollowFromTheColumns) {
    for (const std::string& error : {CheckCarLayout(), CheckPurposeLayout(), CheckPlaceLayout(),
                                     CheckMealRateLayout(), CheckTripLayout()})
        EXPECT_EQ(error, "");
    // A wrong declared length is caught by the start-up check.
    EXPECT_NE(RecordLengthMismatch("kjmista.dta", DeclareColumns(mista::kColumns), 48), "");
}

TEST(CodeLists, CarRecordBytesRegistrationAndDuplicates) {
    TempStation s;
    Scripted<TfKJ_auta> b(s.c);
    ASSERT_EQ(b.Otevri(), 0);
    EXPECT_EQ(b.caption(), " Seznam vozidel ");

    // The registration field holds 7 characters: typed in lower case with
    // a blank it is stored upper-cased with the blank.
    b.scripts.push_back(Fill({{1, "1ab 234"}, {2, "Jan Novák"_cz}, {9, "6.5"},
                              {10, "Motorová nafta"_cz}, {11, "SLUŽEBNÍ"_cz}}));
    b.Key(key::kF4);
    ASSERT_EQ(b.count(), 1);
    const std::string rec = s.File("kj_auta.dta");
    ASSERT_EQ(rec.size(), 231u);
    EXPECT_EQ(rec.substr(0, 8), ShortText("1AB 234", 7));
    EXPECT_EQ(rec.substr(8, 21), ShortText("Jan Novák"_cz, 20));
    EXPECT_EQ(rec.substr(29, 41), ShortText("", 40));
    // 6.5 = 1.625 * 2^2: exponent 131, fraction 0.625 * 2^39 -> byte 5 0x50.
    EXPECT_EQ(rec.substr(200, 6), Bytes({0x83, 0, 0, 0, 0, 0x50}));
    EXPECT_EQ(rec.substr(206, 16), ShortText("Motorová nafta"_cz, 15));
    EXPECT_EQ(rec.substr(222, 9), ShortText("SLUŽEBNÍ"_cz, 8));

    // Another car, then editing car 1 keeping its registration passes.
    Edit(b, Fill({{1, "2b3 456"}}), key::kF4);
    ASSERT_EQ(b.count(), 2);
    b.JdiNa(1, 0);
    Edit(b, Fill({{2, "Jana Nováková"_cz}}), key::kSpace);
    EXPECT_EQ(StripRight(codec::GetText(s.File("kj_auta.dta").data(), auta::kDrzitel)),
              "Jana Nováková"_cz);
    EXPECT_EQ(s.ui.Count("beep"), 0);

    // Registrations that name an existing logbook file (typed differently),
    // or ".dta", are refused: the cursor stays in the field, a clash empties
    // it, nothing is added; editing car 2 to car 1's registration neither.
    const std::string taken = "Toto vozidlo je již v seznamu."_cz;
    const struct {
        const char* typed;
        std::string message;
        int key;
    } refused[] = {{"1Ab 234", taken, key::kF4},  {"1AB234", taken, key::kF4},
                   {"1 a b 2 3 4", taken, key::kF4}, {"", "Vyplňte SPZ vozidla."_cz, key::kF4},
                   {"   ", "Vyplňte SPZ vozidla."_cz, key::kF4}, {"1ab 234", taken, key::kSpace}};
    b.JdiNa(2, 0);
    for (const auto& r : refused) {
        SCOPED_TRACE(r.typed);
        Refusal seen;
        Edit(b, TypeFirst(r.typed, &seen), r.key);
        EXPECT_EQ(s.ui.Last("beep"), r.message);
        EXPECT_FALSE(seen.accepted);
        EXPECT_EQ(seen.field, 1);
        if (r.message == taken) {
            EXPECT_EQ(seen.text, "");
        }
        EXPECT_EQ(b.count(), 2);
    }
    EXPECT_EQ(StripRight(codec::GetText(s.File("kj_auta.dta").data() + 231, auta::kSpz)), "2B3 456");
    b.Zavri();
}

// A first field beginning with "." would read as the deletion mark and
// vanish at the close sort: every list refuses it and keeps the cursor.
template <class List>
void ExpectLeadingDotRefused(Station& s) {
    Scripted<List> b(s.c);
    SCOPED_TRACE(b.setup().fileName);
    ASSERT_EQ(b.Otevri(), 0);
    for (const std::string& typed : {std::string("...nekde"), std::string("ne.kde")}) {
        const int beeps = s.ui.Count("beep");
        bool kept = false;
        b.scripts.push_back([&](RecordEditor& e) {
            e.FormShow();
            e.SetText(1, typed);
            e.KeyDown(key::kDown);
            kept = !e.accepted() && e.Current() == 1;
            if (!e.accepted()) e.KeyDown(kept ? key::kEscape : key::kF2);
        });
        b.Key(key::kF4);
        const bool dot = typed[0] == '.';
        EXPECT_EQ(s.ui.Count("beep"), beeps + (dot ? 1 : 0)) << typed;
        EXPECT_EQ(kept, dot) << typed;
    }
    ASSERT_EQ(b.count(), 1);
    EXPECT_EQ(s.ui.Last("beep"), "Text nesmí začínat tečkou, tečka označuje zrušený záznam."_cz);
    b.Zavri();
    EXPECT_EQ(ReadHost(s.Data(b.setup().fileName)).size(), static_cast<std::size_t>(b.recordLength()));
}

TEST(CodeLists, LeadingDotInTheFirstFieldIsRefusedInEveryList) {
    TempStation s;
    ExpectLeadingDotRefused<TfKJ_auta>(s);
    ExpectLeadingDotRefused<TfKJUcel>(s);
    ExpectLeadingDotRefused<TfKJlMista>(s);
    ExpectLeadingDotRefused<TfKJCile>(s);
}

// Shift+F4 after F8 on another row edits the current row's own record, not
// the deletion mark F8 left in the buffer.
TEST(CodeLists, ShiftF4AfterADeletionKeepsTheCurrentRecord) {
    TempStation s;
    Scripted<TfKJlMista> b(s.c);
    ASSERT_EQ(b.Otevri(), 0);
    for (const char* place : {"Brno", "Olomouc", "Zlín"}) {
        Edit(b, Fill({{1, Utf8ToCp1250(place)}, {2, "10"}}), key::kF4);
    }
    b.JdiNa(1, 0);
    s.ui.yesNo.push_back(true);
    b.Key(key::kF8);
    b.JdiNa(3, 0);
    Edit(b, Fill({{2, "98"}}), key::kF4, Mod::Shift);
    b.Zavri();
    const std::string f = s.File("kjmista.dta");
    ASSERT_EQ(f.size(), 2u * 47);
    EXPECT_EQ(StripRight(codec::GetText(f.data(), mista::kMisto)), "Olomouc");
    EXPECT_EQ(StripRight(codec::GetText(f.data() + 47, mista::kMisto)), "Zlín"_cz);
    EXPECT_EQ(codec::GetReal(f.data() + 47, mista::kKm), 98.0);
}

TEST(CodeLists, CarKindAndFuelChoices) {
    TempStation s;
    Scripted<TfKJ_auta> b(s.c);
    ASSERT_EQ(b.Otevri(), 0);

    // "sluzebni" passes as it stands, no choice.
    Edit(b, Fill({{1, "A1"}, {11, "sluzebni"}}), key::kF4);
    EXPECT_EQ(s.ui.Count("choose"), 0);
    EXPECT_EQ(codec::GetText(s.File("kj_auta.dta").data(), auta::kDruh), "sluzebni");

    // Another word opens the choice; its answer is stored.
    s.ui.choices.push_back(2);
    Edit(b, Fill({{1, "A2"}, {11, "auto"}}), key::kF4);
    ASSERT_EQ(s.ui.Count("choose"), 1);
    EXPECT_EQ(s.ui.Last("choose"), "Soukr./Služ./Stroj"_cz);
    EXPECT_EQ(s.ui.shown.back().items,
              (std::vector<std::string>{"Soukromé"_cz, "Služební"_cz, "Prac.stroj,traktor"}));
    EXPECT_EQ(codec::GetText(s.File("kj_auta.dta").data() + 231, auta::kDruh), "SLUŽEBNÍ"_cz);

    // Esc in the choice leaves the word.
    Edit(b, Fill({{1, "A3"}, {11, "auto"}}), key::kF4);
    EXPECT_EQ(codec::GetText(s.File("kj_auta.dta").data() + 462, auta::kDruh), "auto    ");

    // Enter in the fuel field and in the kind field opens their choices.
    s.ui.choices = {4, 3};
    b.scripts.push_back([](RecordEditor& e) {
        e.FormShow();
        e.SetText(1, "A4");
        for (int f = 1; f < auta::kFieldPalivo; ++f) e.KeyDown(key::kDown);
        e.KeyDown(key::kReturn);  // fuel choice, then on to the kind
        e.KeyDown(key::kReturn);  // kind choice, then past the last field: accepted
    });
    b.Key(key::kF4);
    ASSERT_EQ(b.count(), 4);
    const std::string rec = s.File("kj_auta.dta").substr(3 * 231, 231);
    EXPECT_EQ(s.ui.Texts("choose").at(2), "Druh pohonné hmoty"_cz);
    EXPECT_EQ(s.ui.shown[s.ui.shown.size() - 1].items.at(2), "Prac.stroje,traktory");
    EXPECT_EQ(rec.substr(206, 16), ShortText("Motorová nafta"_cz, 15));
    EXPECT_EQ(rec.substr(222, 9), ShortText("STROJ   ", 8));
    b.Zavri();
}

TEST(CodeLists, DeletingACarProtocolsItKeepsItsLogbookAndTheCloseSortDropsIt) {
    TempStation s;
    Scripted<TfKJ_auta> b(s.c);
    ASSERT_EQ(b.Otevri(), 0);
    for (const char* spz : {"9Z9 999", "1AB 234", "5C5 555"}) Edit(b, Fill({{1, spz}}), key::kF4);
    ASSERT_EQ(b.count(), 3);
    WriteHost(s.Data("1AB234.dta"), std::string(261, 'L'));
    const std::string protocolBefore = s.File("PROTOKOL.PRT");

    b.JdiNa(2, 0);
    s.ui.yesNo.push_back(true);
    b.Key(key::kF8);
    EXPECT_EQ(s.ui.Last("yesno"), "Zrušit záznam?"_cz);
    const std::string protocol = s.File("PROTOKOL.PRT");
    ASSERT_GT(protocol.size(), protocolBefore.size());
    const std::string added = protocol.substr(protocolBefore.size());
    const std::size_t at = added.find("         - Zrušení 1AB 234"_cz);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(added.find("Zrušení"_cz, at + 12), std::string::npos);  // one line only
    // The record is the blank record with "." at offset 1 until the sort.
    std::string mark = b.blankRecord();
    mark[1] = '.';
    EXPECT_EQ(s.File("kj_auta.dta").substr(231, 231), mark);
    EXPECT_EQ(codec::GetText(b.blankRecord().data(), auta::kSpz), "       ");
    EXPECT_EQ(s.File("1AB234.dta"), std::string(261, 'L'));

    b.Zavri();
    EXPECT_EQ(b.lastSortResult(), 0);
    const std::string sorted = s.File("kj_auta.dta");
    ASSERT_EQ(sorted.size(), 2u * 231);
    EXPECT_EQ(codec::GetText(sorted.data(), auta::kSpz) + codec::GetText(sorted.data() + 231, auta::kSpz),
              "5C5 5559Z9 999");
    EXPECT_EQ(s.ui.Count("beep"), 0);
    EXPECT_EQ(s.File("1AB234.dta"), std::string(261, 'L'));
}

// ---- the other lists and their closing sort ----

std::string MealRate(double hours, double amount) {
    std::string r(12, '\0');
    codec::PutReal(r.data(), strav::kHodin, hours);
    codec::PutReal(r.data(), strav::kCastka, amount);
    return r;
}

TEST(CodeLists, MealRatesSortedOnCloseAndTheCounterResetAfterAFailedSort) {
    TempStation s;
    Scripted<TfKJStrav> b(s.c);
    ASSERT_EQ(b.Otevri(), 0);
    EXPECT_EQ(b.caption(), " Hod.  Stravné "_cz);
    Edit(b, Fill({{1, "12"}, {2, "100"}}), key::kF4);
    Edit(b, Fill({{1, "5"}, {2, "66"}}), key::kF4);
    // 12 = 1.5 * 2^3, 100 = 1.5625 * 2^6, 5 = 1.25 * 2^2, 66 = 1.03125 * 2^6.
    const std::string before = Bytes({0x84, 0, 0, 0, 0, 0x40, 0x87, 0, 0, 0, 0, 0x48,
                                      0x83, 0, 0, 0, 0, 0x20, 0x87, 0, 0, 0, 0, 0x04});
    EXPECT_EQ(s.File("kjstra.dta"), before);
    EXPECT_EQ(StrToIntLoose(GetJobIn(s.c, "C:\\DATA\\", "KJSTRA")), 2);
    std::string picked;
    b.KlicVety(1, picked);
    EXPECT_EQ(picked, " 100.00");

    // A failed sort keeps the file and the counter, and says so.
    FaultPlan& sorted = s.fs.Plan(TableWriteBack::NewPathFor(b.dataPath()));
    sorted.openCode = 5;
    b.Zavri();
    EXPECT_NE(b.lastSortResult(), 0);
    EXPECT_EQ(s.ui.Last("beep"), "Chyba pri sortu");
    EXPECT_EQ(s.File("kjstra.dta"), before);
    EXPECT_EQ(StrToIntLoose(GetJobIn(s.c, "C:\\DATA\\", "KJSTRA")), 2);
    // The next close sorts and resets the counter.
    sorted.openCode = 0;
    ASSERT_EQ(b.Otevri(), 0);
    b.Zavri();
    EXPECT_EQ(b.lastSortResult(), 0);
    EXPECT_EQ(s.File("kjstra.dta"), MealRate(5, 66) + MealRate(12, 100));
    EXPECT_EQ(GetJobIn(s.c, "C:\\DATA\\", "KJSTRA"), "");
}

TEST(CodeLists, NoSortWhileAnotherStationHasTheFile) {
    TempStation s;
    Station other(s.dir.path(), "07");
    Scripted<TfKJlMista> b(s.c);
    ASSERT_EQ(b.Otevri(), 0);
    Edit(b, Fill({{1, "Zlín"_cz}, {2, "98"}}), key::kF4);
    Edit(b, Fill({{1, "Brno"}, {2, "12.5"}}), key::kF4);
    ASSERT_TRUE(Zamkni(other.c, b.dataPath(), ""));
    const std::string before = s.File("kjmista.dta");
    b.Zavri();
    EXPECT_EQ(b.lastSortResult(), -1);
    EXPECT_EQ(s.File("kjmista.dta"), before);
    EXPECT_EQ(StrToIntLoose(GetJobIn(s.c, "C:\\DATA\\", "KJMISTA")), 2);
    Odemkni(other.c, b.dataPath());

}

TEST(CodeLists, PurposesSortedWithoutDiacriticsAndPickedByKey) {
    TempStation s;
    Scripted<TfKJUcel> b(s.c);
    ASSERT_EQ(b.Otevri(), 0);
    for (const std::string& u : {"Školení"_cz, "porada"_cz, "Čerpání PHM"_cz, "cesta k zákazníkovi"_cz}) {
        Edit(b, Fill({{1, u}}), key::kF4);
    }
    b.Zavri();
    const std::string f = s.File("kjucel.dta");
    ASSERT_EQ(f.size(), 4u * 41);
    std::vector<std::string> order;
    for (int i = 0; i < 4; ++i)
        order.push_back(StripRight(codec::GetText(f.data() + 41 * i, ucel::kUcel)));
    // Without diacritics: CERPANI, CESTA, PORADA, SKOLENI.
    EXPECT_EQ(order, (std::vector<std::string>{"Čerpání PHM"_cz, "cesta k zákazníkovi"_cz,
                                               "porada", "Školení"_cz}));
    ASSERT_EQ(b.Otevri(), 0);
    std::string picked;
    b.KlicVety(4, picked);
    EXPECT_EQ(StripRight(picked), "Školení"_cz);
    b.JdiNa(3, 0);
    b.Key(key::kReturn);
    ASSERT_TRUE(b.CtiVybranou());
    EXPECT_EQ(StripRight(codec::GetText(b.Veta(), ucel::kUcel)), "porada");
    b.Zavri();
}

TEST(CodeLists, MainMenuCarListLoop) {
    TempStation s;
    {
        Scripted<TfKJ_auta> b(s.c);
        ASSERT_EQ(b.Otevri(), 0);
        for (const char* spz : {"8B8 888", "2A2 222"}) Edit(b, Fill({{1, spz}}), key::kF4);
        b.Zavri();
    }
    MainMenu menu(s.c);
    std::vector<std::string> logbooks;
    menu.openLogbook = [&](const std::string& f) { logbooks.push_back(f); };
    int shows = 0;
    // Enter on row 2, then Esc: one logbook opened, the loop ended.
    menu.RunCarListLoop([&](TfSoub& list) {
        ++shows;
        EXPECT_EQ(list.count(), 2);
        if (shows == 1) {
            list.JdiNa(2, 0);
            list.KeyDown(key::kReturn, Mod::None);
        } else {
            list.KeyDown(key::kEscape, Mod::None);
        }
    });
    EXPECT_EQ(shows, 2);
    EXPECT_EQ(logbooks, (std::vector<std::string>{"8B8888.dta"}));
    EXPECT_EQ(StripRight(AktualniVozidlo().Spz()), "8B8 888");
    EXPECT_FALSE(menu.carList().isOpen());

    // A car deleted but not yet dropped by a sort cannot be chosen: the
    // list stays open and no logbook ("..dta") is opened.
    logbooks.clear();
    shows = 0;
    menu.RunCarListLoop([&](TfSoub& list) {
        ++shows;
        list.JdiNa(1, 0);
        s.ui.yesNo.push_back(true);
        list.KeyDown(key::kF8, Mod::None);
        list.TakeRequests();
        list.KeyDown(key::kReturn, Mod::None);
        EXPECT_FALSE(list.TakeRequests().close);
        EXPECT_EQ(s.ui.Last("beep"), "Zrušené vozidlo nelze vybrat."_cz);
        list.KeyDown(key::kEscape, Mod::None);
    });
    EXPECT_EQ(shows, 1);
    EXPECT_TRUE(logbooks.empty());
}

// ---- destinations ----

std::string Place(const std::string& name, double km) {
    Sloupce cols = DeclareColumns(mista::kColumns);
    cols[0].value = name;
    cols[1].value = FormatPic("######.##-", km);
    std::string r(mista::kLength, '\0');
    SlozVetu(cols, r.data());
    return r;
}

// The destinations; the pick lists opened from the editor play the queued keys.
struct Cile : Scripted<TfKJCile> {
    explicit Cile(Common& c) : Scripted<TfKJCile>(c) {
        showPickList = [this](TfSoub& list) {
            ++picks;
            if (pickKeys.empty()) return;
            for (int k : pickKeys.front()) list.KeyDown(k, Mod::None);
            pickKeys.pop_front();
        };
    }
    std::deque<std::vector<int>> pickKeys;
    int picks = 0;
};

// Types a destination without the pick lists: place, purpose, km, F2.
Script Typed(const std::string& place, const std::string& purpose, const std::string& km) {
    return Fill({{1, place}, {2, purpose}, {3, km}});
}

TEST(Destinations, LayoutAndPickFromThePlaces) {
    EXPECT_EQ(CheckDestinationLayout(), "");
    EXPECT_EQ(ColumnOffset(DeclareColumns(cile::kColumns), 3), 82);
    EXPECT_EQ(ColumnOffset(DeclareColumns(cile::kColumns), 4), 88);

    TempStation s;
    WriteHost(s.Data("kjmista.dta"), Place("Brno", 12.5) + Place("Olomouc", 80));
    Cile b(s.c);
    ASSERT_EQ(b.Otevri(), 0);
    EXPECT_EQ(b.caption(), " Místo                                    Účel "_cz);

    // Enter in the place field: the places list, Down and Enter picks
    // Olomouc with its km; Enter in the purpose field, Esc there keeps the
    // typed purpose.
    b.pickKeys = {{key::kDown, key::kReturn}, {key::kEscape}};
    b.scripts.push_back([](RecordEditor& e) {
        e.FormShow();
        e.KeyDown(key::kReturn);
        EXPECT_EQ(e.Current(), 2);
        EXPECT_EQ(StripRight(e.Text(1)), "Olomouc");
        EXPECT_EQ(e.Text(3), "    80.00");
        e.SetText(2, "servis");
        e.KeyDown(key::kReturn);
        EXPECT_EQ(e.Text(2), "servis");
        e.KeyDown(key::kDown);
        e.SetText(4, "010326");
        e.KeyDown(key::kF2);
    });
    b.Key(key::kF4);
    EXPECT_EQ(b.picks, 2);
    ASSERT_EQ(b.count(), 1);
    const std::string rec = s.File("kjcile.dta");
    ASSERT_EQ(rec.size(), 95u);
    // Texts of 40 from offsets 0 and 41; 80 = 1.25 * 2^6; the date as typed.
    EXPECT_EQ(rec.substr(0, 9) + rec.substr(41, 8) + rec.substr(82),
              "\x28" "Olomouc " "\x28" "servis " + std::string("\x87\0\0\0\0\x20", 6) + "\x06" "010326");
    // The places list was closed with its sort: Brno, Olomouc stay.
    EXPECT_EQ(s.File("kjmista.dta"), Place("Brno", 12.5) + Place("Olomouc", 80));
    std::string key;
    b.KlicVety(1, key);
    EXPECT_EQ(StripRight(key), "Olomouc");
    b.Zavri();
}

TEST(Destinations, SamePlaceStandsTogetherAfterTheSortAndSearchFindsAPurpose) {
    TempStation s;
    Cile b(s.c);
    ASSERT_EQ(b.Otevri(), 0);
    b.scripts.push_back(Typed("Zlín"_cz, "porada vedení"_cz, "98"));
    b.scripts.push_back(Typed("Brno", "nákup materiálu"_cz, "12"));
    b.scripts.push_back(Typed("Zlín"_cz, "servis stroje", "98"));
    b.scripts.push_back(Typed("Olomouc", "jednání"_cz, "80"));
    for (int i = 0; i < 4; ++i) b.Key(key::kF4);
    ASSERT_EQ(b.count(), 4);
    EXPECT_EQ(StrToIntLoose(GetJobIn(s.c, "C:\\DATA\\", "KJCILE")), 4);
    b.Zavri();
    EXPECT_EQ(GetJobIn(s.c, "C:\\DATA\\", "KJCILE"), "");
    const std::string f = s.File("kjcile.dta");
    ASSERT_EQ(f.size(), 4u * 95);
    std::vector<std::string> places, purposes;
    for (int i = 0; i < 4; ++i) {
        places.push_back(StripRight(codec::GetText(f.data() + 95 * i, cile::kMisto)));
        purposes.push_back(StripRight(codec::GetText(f.data() + 95 * i, cile::kUcel)));
    }
    EXPECT_EQ(places, (std::vector<std::string>{"Brno", "Olomouc", "Zlín"_cz, "Zlín"_cz}));
    EXPECT_TRUE((purposes[2] == "porada vedení"_cz && purposes[3] == "servis stroje") ||
                (purposes[3] == "porada vedení"_cz && purposes[2] == "servis stroje"));

    // The list is ordered by place; a purpose word finds its row.
    ASSERT_EQ(b.Otevri(), 0);
    b.JdiNa(1, 0);
    b.Key(key::kF3);
    b.SearchKeyDown(key::kF3, Mod::None, "jednani");
    EXPECT_EQ(b.current(), 2);
    b.Key(key::kF3);
    b.SearchKeyDown(key::kF3, Mod::None, "servis");
    EXPECT_EQ(StripRight(codec::GetText(f.data() + 95 * (b.current() - 1), cile::kUcel)),
              "servis stroje");
    b.Zavri();
}

}  // namespace
}  // namespace kj
