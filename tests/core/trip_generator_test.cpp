#include "kj_test.h"
#include "logbook/trip_generator.h"
#include "logbook/trip_logbook.h"
#include "logbook/working_calendar.h"
#include "services/record_file.h"
#include "trip_fixture.h"

namespace kj {
namespace {

using namespace triptest;
using key::Mod;

const std::string kBook = "5Z12345.dta";

std::string Destination(const std::string& place, const std::string& km) {
    return ListRecord(cile::kColumns, cile::kLength, {place, "porada", km, ""});
}

// Trips per date, in the order the dates first appear.
std::vector<std::pair<std::string, int>> Days(const std::vector<std::string>& trips) {
    std::vector<std::pair<std::string, int>> days;
    for (const std::string& t : trips) {
        const std::string date = codec::GetText(t.data(), jizdy::kDatum);
        if (days.empty() || days.back().first != date) days.push_back({date, 0});
        ++days.back().second;
    }
    return days;
}

TEST(TripGenerator, WalkOverTheWorkingDaysWithDrawsOfTheSeed) {
    TestDir dir;
    Station s(dir.path());
    const TfKalendar calendar(s.c);  // a fresh table: weekends and holidays
    std::string sablona(jizdy::kLength, '\0');
    codec::PutReal(sablona.data(), jizdy::kStavTachometru, 1000);
    codec::PutReal(sablona.data(), jizdy::kZakladniSazba, 4.2);

    // Mon 2 - Fri 6 March 2026 (N = 5, S = 20), one 30-km destination: every
    // trip opens the next working day; four trips, 120 km, the last on the
    // fourth working day after the from-date.
    ZadaniGeneratoru z{"020326", "060326", 100, 0, {Destination("Kroměříž", "30")}, sablona};
    z.pracovnichDnu = calendar.svatky(z.od, z.do_).pracovni;
    ASSERT_EQ(z.pracovnichDnu, 5);
    VysledekGeneratoru v = GenerujJizdy(calendar, z, 7);
    EXPECT_EQ(v.km, 120);
    EXPECT_FALSE(v.dnyDosly);
    EXPECT_EQ(Days(v.jizdy), (std::vector<std::pair<std::string, int>>{
                                 {"030326", 1}, {"040326", 1}, {"050326", 1}, {"060326", 1}}));
    // The chain goes on from the template; its rates travel along.
    ASSERT_EQ(v.jizdy.size(), 4u);
    const VetaJizdy last = VetaJizdy::From(v.jizdy.back().data());
    EXPECT_EQ(last.StavTachometru(), 1120);
    EXPECT_EQ(last.KmSluzebni(), 30);
    EXPECT_EQ(last.ZakladniSazba(), codec::GetReal(sablona.data(), jizdy::kZakladniSazba));
    EXPECT_EQ(StripRight(last.Misto()), "Kroměříž"_cz);

    // Mon 2 - Fri 13 March (N = 10, S = 10), destinations of 3 km: three
    // trips a day, the fourth opens the next; 34 trips, G = 102. None is
    // dated after the to-date: the days run out, the rest stays on the
    // last one and the run says so.
    z.do_ = "130326";
    z.pracovnichDnu = calendar.svatky(z.od, z.do_).pracovni;
    ASSERT_EQ(z.pracovnichDnu, 10);
    z.cile = {Destination("Otrokovice", "3"), Destination("Zlín", "3")};
    v = GenerujJizdy(calendar, z, 12345);
    EXPECT_EQ(v.jizdy.size(), 34u);
    EXPECT_EQ(v.km, 102);
    const auto days = Days(v.jizdy);
    ASSERT_EQ(days.size(), 10u);
    for (std::size_t d = 0; d + 1 < days.size(); ++d) EXPECT_EQ(days[d].second, 3) << days[d].first;
    EXPECT_EQ(days.front().first, "020326");
    EXPECT_EQ(days.back(), (std::pair<std::string, int>{"130326", 7}));
    EXPECT_TRUE(v.dnyDosly);
    EXPECT_EQ(v.posledniDen, "130326");

    // A from-date in 2005: the year written with the letter O.
    z = {"030105", "070105", 20, 5, {Destination("Vizovice", "4")}, sablona};
    v = GenerujJizdy(calendar, z, 1);
    ASSERT_FALSE(v.jizdy.empty());
    EXPECT_EQ(codec::GetText(v.jizdy.front().data(), jizdy::kDatum), "0301O5");

    // Destinations without km can never bring the total on: they are not
    // drawn, and with nothing else marked nothing is generated.
    z.cile = {Destination("Nikam", "0")};
    EXPECT_TRUE(GenerujJizdy(calendar, z, 1).jizdy.empty());
    z.cile = {Destination("Nikam", "0"), Destination("Vsetín", "32")};
    v = GenerujJizdy(calendar, z, 1);
    EXPECT_EQ(v.jizdy.size(), 1u);
    EXPECT_EQ(v.km, 32);

    // The random draws depend on the seed only.
    NahodnaCisla r(99);
    for (int i = 0; i < 1000; ++i) ASSERT_LT(r.Random(7), 7u);
    z = {"020326", "270326", 500, 20, {}, std::string(jizdy::kLength, '\0')};
    for (const char* km : {"16", "28", "40", "52"}) z.cile.push_back(Destination("Místo", km));
    const auto a = GenerujJizdy(calendar, z, 4242), b = GenerujJizdy(calendar, z, 4242),
               other = GenerujJizdy(calendar, z, 4243);
    EXPECT_EQ(a.jizdy, b.jizdy);
    EXPECT_NE(a.jizdy, other.jizdy);
}

// A logbook with a generator run scripted through its dialogs.
struct GeneratorRun {
    GeneratorRun() {
        SetCar("5Z12345", "SOUKROMÉ");
        WriteCodeLists(s);
        s.Put("kjcile.dta", Join({Destination("Brno", "196"), Destination("Kroměříž", "30"),
                                  Destination("Vsetín", "64")}));
        s.Put(kBook, Join({Trip("010326", "", 0, 5000, 0, 4.2, 1.5)}));
        b.seedGeneratoru = [] { return 77u; };
        b.kalendar = &calendar;
        EXPECT_EQ(b.Otevri(kBook), 0);
    }
    std::string file() const { return s.File(kBook); }

    TestDir dir;
    Station s{dir.path()};
    TfKalendar calendar{s.c};
    Scripted<TfKJ_jizdy> b{s.c};
};

TEST(TripGenerator, PeriodAndKmDialogs) {
    GeneratorRun r;
    // Bad dates repeat the dialog with their message; F1 is the calendar.
    r.calendar.ukaz = [](TfKalendar& k) {
        k.NastavRok(2026);
        k.NastavMesic(3);
        k.NastavDen(9);
        k.Vyber();
    };
    std::vector<std::vector<std::string>> asked;
    r.s.ui.onFields = [&](const ScriptedDialogs::Shown&, const F1Handler& f1, std::vector<std::string>& texts) {
        asked.push_back(texts);
        if (asked.size() == 3) f1(2, texts[1]);
    };
    r.s.ui.fields = {{true, {"310226", "130326"}},
                     {true, {"020326", "1.13.26"}},
                     {true, {"020326"}},  // the to-date comes from the calendar
                     {false, {}}};
    r.b.Key('G', Mod::Ctrl);
    EXPECT_EQ(r.s.ui.Texts("beep"), (std::vector<std::string>{"Chybně zadán parametr \"Od data\""_cz,
                                                              "Chybně zadán parametr \"Do data\""_cz}));
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0], (std::vector<std::string>{"010326", "010326"}));  // the book's first and last dates
    EXPECT_EQ(r.s.ui.shown[0].text, " Období (F1-vysviť kalendář)"_cz);
    EXPECT_EQ(r.s.ui.shown.back().items,
              (std::vector<std::string>{" Kolik KM požadujete vygenerovat "_cz, Spaces(13)}));
    EXPECT_EQ(r.b.obdobiOd, "020326");
    EXPECT_EQ(r.b.obdobiDo, "090326");
    EXPECT_TRUE(r.b.picked.empty());  // the km question was left with Esc

    // A weekend: no working day, nothing more is asked.
    r.s.ui.shown.clear();
    r.s.ui.onFields = nullptr;
    r.s.ui.fields = {{true, {"070326", "080326"}}};
    r.b.Key('G', Mod::Ctrl);
    EXPECT_EQ(r.s.ui.Texts("beep"),
              (std::vector<std::string>{"Uvedený interval neobsahuje žádný pracovní den"_cz}));
    EXPECT_EQ(r.s.ui.Count("fields"), 1);
    // No km: the run ends quietly before the destinations.
    r.s.ui.fields = {{true, {"020326", "060326"}}, {true, {"0"}}};
    r.b.Key('G', Mod::Ctrl);
    EXPECT_EQ(r.s.ui.Count("fields"), 3);
    EXPECT_TRUE(r.b.picked.empty());
    EXPECT_EQ(r.s.ui.Count("yesno"), 0);
}

TEST(TripGenerator, MarkedDestinationsGeneratedTripsAndAppending) {
    GeneratorRun r;
    r.s.ui.fields = {{true, {"020326", "060326"}}, {true, {"100"}}};
    // The destinations in block mode: Kroměříž (30 km) marked with Insert,
    // a block Ctrl+Z..Ctrl+K over Vsetín marked and unmarked with Insert.
    std::string help;
    r.b.pick = [&](TfSoub& list) {
        help = list.helpText();
        list.JdiNa(2, 0);
        list.KeyDown(key::kInsert, Mod::None);
        list.JdiNa(3, 0);
        list.KeyDown('Z', Mod::Ctrl);
        list.KeyDown('K', Mod::Ctrl);
        list.JdiNa(3, 0);
        list.KeyDown(key::kInsert, Mod::None);
        list.KeyDown(key::kEscape, Mod::None);
    };
    // The generated trips: deleting the 30-km first lowers the total by 30;
    // the second edited to 40 km (+10) with an identification.
    std::vector<std::string> labels;
    r.b.showGenerated = [&](TfKJ_jgener& g) {
        labels.push_back(g.popisek());
        r.s.ui.yesNo = {true, true};  // the deletion, then "Přidat ke knize jízd"
        g.KeyDown(key::kF8, Mod::None);
        labels.push_back(g.popisek());
        g.JdiNa(2, 0);
        g.showEditor = Fill({{4, "40"}, {13, "Z"}});
        g.KeyDown(key::kSpace, Mod::None);
        labels.push_back(g.popisek());
    };
    // A book written elsewhere with a torn record at its end: the trips are
    // appended after its last whole record.
    r.s.Put(kBook, r.file() + "xyz");
    r.b.Obnov();
    r.b.Key('G', Mod::Ctrl);
    EXPECT_EQ(help, " ^Z,^K=začátek,konec bloku  Insert=označ  F4=přidej  Mezera=oprav  F8=zruš  Esc=konec"_cz);
    const std::string marked = r.s.File("cile_vyb.wrk");
    ASSERT_EQ(marked.size(), static_cast<std::size_t>(cile::kLength));
    EXPECT_EQ(StripRight(codec::GetText(marked.data(), cile::kMisto)), "Kroměříž"_cz);
    EXPECT_EQ(labels, (std::vector<std::string>{"Vygenerované km :     120"_cz, "Vygenerované km :      90"_cz,
                                                "Vygenerované km :     100"_cz}));
    EXPECT_EQ(r.s.ui.Last("yesno"), "Přidat ke knize jízd"_cz);
    // The deleted trip is not appended; the edited one has its km and its
    // identification where the trip record keeps it.
    const std::string book = r.file();
    ASSERT_EQ(book.size(), 4u * jizdy::kLength);
    const VetaJizdy edited = TripAt(book, 2);  // the odometer: 5,060 + 40 - 30
    EXPECT_EQ(edited.Datum() + "|" + edited.Identifikace() + "|" + StripRight(edited.Poznamka1()), "040326|Z|");
    EXPECT_EQ(std::pair(edited.KmSluzebni(), edited.StavTachometru()), std::pair(40.0, 5070.0));
    EXPECT_EQ(TripAt(book, 4).ZakladniSazba(), TripAt(book, 1).ZakladniSazba());
    EXPECT_EQ(GetJobIn(r.s.c, "C:\\DATA\\", "5Z12345"), "    3");
    EXPECT_EQ(r.b.current(), 4);
    // Closing sorts (the question comes), recomputes and clears the counter.
    r.s.ui.choices = {1};
    r.b.Zavri();
    EXPECT_EQ(r.s.ui.Last("choose"), " STAV TACHOMETRU (F1=help)");
    EXPECT_EQ(GetJobIn(r.s.c, "C:\\DATA\\", "5Z12345"), "");
    EXPECT_EQ(TripAt(r.file(), 4).StavTachometru(), 5100);
}

}  // namespace
}  // namespace kj
