// The logbook's two reports: whole print and side files against expected
// files written by hand (tests/golden), then the rules that need cases of
// their own: the period dialog, the evaluation, the odometer check, what
// must not reach a report, the listing's groups and its work file.

#include "kj_test.h"

#include <algorithm>
#include <sstream>

#include "logbook/logbook_reports.h"
#include "logbook/trip_logbook.h"
#include "logbook/trip_record.h"
#include "print_station.h"
#include "shell/main_menu.h"

namespace kj {
namespace {

using Texts = std::vector<std::string>;

const fs::path kGolden = fs::path(__FILE__).parent_path().parent_path() / "golden";

Texts Split(const std::string& text, char separator) {
    Texts out;
    std::istringstream in(text);
    for (std::string field; std::getline(in, field, separator);) out.push_back(field);
    return out;
}

// A record stored through its columns as the record editor stores it
// (texts padded to their width, dates normalised). Values are UTF-8.
template <std::size_t N>
std::string Stored(const std::array<ColumnDecl, N>& decls, int length, const Texts& utf8) {
    Sloupce cols = DeclareColumns(decls);
    for (std::size_t i = 0; i < cols.size() && i < utf8.size(); ++i)
        cols[i].value = Utf8ToCp1250(utf8[i]);
    std::string rec(static_cast<std::size_t>(length), '\0');
    SlozVetu(cols, rec.data());
    return rec;
}

// date, place, purpose, business km, private km, odometer, column 7,
// column 8, departure, arrival, meal allowance, note 1, note 2.
std::string Trip(const Texts& t) { return Stored(jizdy::kColumns, jizdy::kLength, t); }

std::string Deleted() {
    std::string rec = Trip({});
    rec[kDeletedOffset] = kDeletedMark;
    return rec;
}

VetaAuta Car(const Texts& t) {
    VetaAuta car;
    const std::string rec = Stored(auta::kColumns, auta::kLength, t);
    std::copy(rec.begin(), rec.end(), car.bytes.begin());
    return car;
}

VetaAuta CarOf(const std::string& spz, const std::string& kind, const std::string& use = "8") {
    return Car({spz, "Ing. Petr Dvořák", "", "Dvořák a syn s.r.o.", "", "", "", "", use, "Nafta", kind});
}

struct LogbookReportsTest : ::testing::Test {
    TestDir dir;
    printtest::Station s{dir.path()};
    ObdobiJizd period;

    void Book(const std::string& spz, const Texts& trips) {
        std::string bytes;
        for (const std::string& t : trips) bytes += t;
        WriteHost(s.Work(spz + ".dta"), bytes);
    }
    void Answer(const Texts& values, bool accept = true) { s.ui.fields.push_back({accept, values}); }
    ReportOutcome Kniha(const std::string& spz, const std::string& kind, const std::string& use = "8") {
        return KnihaJizdSVyhodnocenim(s.c, CarOf(spz, kind, use), spz + ".dta", period);
    }
    ReportOutcome Opis(const std::string& spz, const std::string& kind) {
        return OpisSMezisoucty(s.c, CarOf(spz, kind), spz + ".dta", period);
    }
    // The lines of a print file, UTF-8, without their trailing blanks.
    Texts Lines(const std::string& file) {
        Texts out = Split(Cp1250ToUtf8(ReadHost(s.Work(file))), '\n');
        for (std::string& line : out) line = StripRight(line.substr(0, line.size() - 1));
        return out;
    }
};

// ---- whole reports against the expected files ----

TEST_F(LogbookReportsTest, EachCarKindPrintsBothReportsAsWrittenByHand) {
    struct Case {
        std::string kind;
        Texts period;                 // answers of the period dialog; empty: the offered dates
        int mode;                     // the print-mode choice (0: Esc)
        Texts evaluation;             // answers of the evaluation; empty: the offered texts
        std::string kjpn, kjpnAfter;  // the tolerance in the job table before and after
        int bookLines, listingLines;  // lines per page
    };
    const std::vector<Case> cases = {
        {"sou", {"020324", "080324"}, 1, {}, "", "", 16, 7},
        {"slu", {"040324", "080324"}, 2, {}, "", "20", 16, 64},
        {"str", {}, 0, {"15", "32,50"}, "15", "15", 16, 64},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.kind);
        // The book: the car on its first line, then the trips ("-" deleted).
        const Texts lines = Split(ReadHost(kGolden / (k.kind + ".book")), '\n');
        const VetaAuta car = Car(Split(lines[0], '|'));
        const std::string spz = car.Spz();
        Texts trips;
        for (auto l = lines.begin() + 1; l != lines.end(); ++l)
            trips.push_back(*l == "-" ? Deleted() : Trip(Split(*l, '|')));
        Book(spz, trips);
        SetJob(s.c, "KJPN", k.kjpn);
        auto expect = [&](const std::string& file, const std::string& golden) {
            EXPECT_EQ(ReadHost(s.Work(file)), ReadHost(kGolden / (k.kind + golden))) << file;
        };

        Answer(k.period);
        if (k.mode) s.ui.choices.push_back(k.mode);
        if (k.kind != "sou") Answer(k.evaluation);
        s.c.set.linesPerPage = k.bookLines;
        EXPECT_EQ(KnihaJizdSVyhodnocenim(s.c, car, spz + ".dta", period), ReportOutcome::Shown);
        expect(spz + ".TXT", "_kniha.txt");
        expect("XLS/" + spz + ".CSV", "_kniha.csv");
        EXPECT_EQ(StripLeft(GetJob(s.c, "KJPN")), k.kjpnAfter);

        Answer(k.period);
        s.c.set.linesPerPage = k.listingLines;
        EXPECT_EQ(OpisSMezisoucty(s.c, car, spz + ".dta", period), ReportOutcome::Shown);
        expect("CESTAKY.TXT", "_opis.txt");
        expect("XLS/CESTAKY.CSV", "_opis.csv");
    }
    EXPECT_EQ(s.ui.Count("beep"), 0) << Cp1250ToUtf8(s.ui.Last("beep"));
}

// ---- the period dialog ----

TEST_F(LogbookReportsTest, PeriodOffersTheBooksDatesRepeatsOnABadDateAndEscWritesNothing) {
    // The first trip came from the generator, with "O" in its year.
    Book("1A23456", {Deleted(), Trip({"150105", "A", "", "10", "", "10"}).replace(1, 6, "1501O5"),
                     Trip({"200125", "B", "", "5", "", "15"}), Deleted()});
    Answer({"320125", "200125"});
    Answer({"150125", "311325"});
    Answer({}, false);
    EXPECT_EQ(Kniha("1A23456", "SOUKROME"), ReportOutcome::Cancelled);
    ASSERT_EQ(s.ui.shown.size(), 5u);
    EXPECT_EQ(s.ui.shown[0].text, " Období "_cz);
    EXPECT_EQ(s.ui.shown[0].items,
              (Texts{"Od data (DDMMRR): ", "150105", "Do data (DDMMRR): ", "200125"}));
    // The dialog comes back with what was typed.
    EXPECT_EQ(s.ui.shown[2].items[1], "320125");
    EXPECT_EQ(s.ui.shown[4].items[3], "311325");
    EXPECT_EQ(s.ui.Texts("beep"), (Texts{"Chybně zadán parametr \"Od data\""_cz,
                                         "Chybně zadán parametr \"Do data\""_cz}));
    EXPECT_FALSE(fs::exists(s.Work("1A23456.TXT")));
}

// ---- the evaluation of a company car or machine ----

TEST_F(LogbookReportsTest, EvaluationComparesTheFuelBoughtWithTheAllowanceAndItsTolerance) {
    const std::string share = "Podíl soukromých cest z celkových 1000.00 km =";
    const std::string lead = std::string(32, ' ') + "Rozdíl mezi skutečností a vyhodnocením :    ";
    const std::string over = " POZOR NADSPOTŘEBA !";
    const std::string reached = std::string(23, ' ') + over;
    struct Case {
        std::string name;
        Texts in;           // consumption, business km, private km, CZK, litres, tolerance, price
        std::string share;  // the line after the totals; "" when there is none
        std::string czk, litres;  // the last two lines after their lead; "" = not looked at
    };
    const std::vector<Case> cases = {
        {"overspent", Split("8|1000||3000|100|20|30", '|'), share,
         "      120.00           " + over + " (v Kč)",
         "                  4.00 " + over + " (v litrech)"},
        // The allowance's last bits fall below what was bought: the figures
        // print 0.00 as blanks, and so the verdict reads them.
        {"at the limit as printed", Split("5.3|1000||1908|63.6|20|30", '|'), share,
         reached + " (v Kč)", reached + " (v litrech)"},
        // A negative consumption allows nothing instead of negative litres.
        {"negative consumption", Split("-8|1000||100|2|20|50", '|'), share,
         "      100.00           " + over + " (v Kč)",
         "                  2.00 " + over + " (v litrech)"},
        // Only a correction in the period: no share of a negative total.
        {"negative total", Split("8|-50|10|||20|30", '|'), "", "", ""},
    };
    int n = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const std::string spz = "2B0000" + std::to_string(++n);
        Book(spz, {Trip({"010125", "cesta", "", k.in[1], k.in[2], "0"}),
                   Trip({"020125", "tankování", "", "", "", "0", k.in[3], k.in[4]})});
        Answer({});
        Answer({k.in[5], k.in[6]});
        ASSERT_EQ(Kniha(spz, "SLUZEBNI", k.in[0]), ReportOutcome::Shown);
        const Texts lines = Lines(spz + ".TXT");
        auto at = std::find_if(lines.begin(), lines.end(),
                               [](const std::string& l) { return l.starts_with("Součet"); });
        ASSERT_EQ(lines.end() - at, k.share.empty() ? 9 : 10);
        EXPECT_EQ(at[1], k.share);
        if (k.czk.empty()) continue;
        EXPECT_EQ(lines.end()[-2], lead + k.czk);
        EXPECT_EQ(lines.end()[-1], lead + k.litres);
    }
}

// ---- the odometer check ----

TEST_F(LogbookReportsTest, OdometerCheckNamesOnlyARealDifference) {
    // Trips (date, km, odometer), the period's end, the difference named.
    const std::vector<Texts> cases = {
        {"010225 0 5000|020225 100 5100|030225 50 5145", "030225", "5.00"},
        {"010225 0 5000|020225 100 5100|030225 5 1", "020225", ""},  // ends before a wrong trip
        // Tenths add up with a stray last bit; the odometer moved by as much.
        {"010225 0.1 10000.1|020225 0.2 10000.3|030225 0.4 10000.7", "030225", ""},
    };
    for (const Texts& k : cases) {
        SCOPED_TRACE(k[0]);
        Texts trips;
        for (const std::string& trip : Split(k[0], '|')) {
            const Texts t = Split(trip, ' ');
            trips.push_back(Trip({t[0], "x", "", t[1], "", t[2]}));
        }
        Book("3C00001", trips);
        Answer({"010225", k[1]});
        s.ui.shown.clear();
        Kniha("3C00001", "SOUKROME");
        const std::string message =
            "Nesouhlasí součet ujetých km s rozdílem stavů tachometru na začátku a konci o "_cz +
            k[2] +
            " km. Doporučení - sestavu,která se nyní vysvítí netisknout, přetřídit knihu jízd "
            "s přepočítáním stavu tachometru a vytvořit sestavu znovu."_cz;
        EXPECT_EQ(s.ui.Texts("beep"), k[2].empty() ? Texts{} : Texts{message});
    }
}

// ---- what must not reach a report ----

TEST_F(LogbookReportsTest, DeletedTripsStayOutAndASemicolonCannotSplitASideFileCell) {
    Book("4D00001", {Deleted(), Trip({"010325", "Brno;Praha", "schůze; porada", "10", "", "10", "",
                                      "", "", "", "", "N1;x", "N2;y"})});
    Answer({"", "311225"});  // an empty from-date reaches the deletion mark's date
    s.ui.choices.push_back(1);
    ASSERT_EQ(Kniha("4D00001", "SOUKROME"), ReportOutcome::Shown);
    Texts trips;
    for (const std::string& line : Lines("4D00001.TXT"))
        if (line.starts_with("0") || line.starts_with(".")) trips.push_back(line.substr(0, 17));
    EXPECT_EQ(trips, Texts{"010325 Brno;Praha"});
    const Texts csv = Lines("XLS/4D00001.CSV");
    ASSERT_EQ(csv.size(), 2u);
    EXPECT_EQ(std::count(csv[1].begin(), csv[1].end(), ';'), 13) << csv[1];
    EXPECT_TRUE(csv[1].starts_with("010325;Brno,Praha")) << csv[1];
}

TEST_F(LogbookReportsTest, AnUnreadableBookIsNamedAndNoReportIsShown) {
    Book("7G00001", {Trip({"010125", "x", "", "1", "", "1"})});
    s.fs.Plan("C:\\WORK\\7G00001.dta").readCode = 30;
    for (const bool listing : {false, true}) {
        Answer({"010125", "311225"});
        EXPECT_EQ(listing ? Opis("7G00001", "SOUKROME") : Kniha("7G00001", "SOUKROME"),
                  ReportOutcome::Failed);
        EXPECT_EQ(s.ui.Last("beep"),
                  listing ? "Chyba pri sortu" : "Chyba  30 při čtení C:\\WORK\\7G00001.dta"_cz);
    }
}

// ---- the listing ----

TEST_F(LogbookReportsTest, ListingGroupsByTheUpperCasedNoteOfEveryLength) {
    // Books from older installations keep texts as typed, not padded: a
    // trip without a note and one whose note begins with digits of a year
    // must not interleave. A company car's columns 7 and 8 are fuel, not
    // rates, and earn no money.
    auto noNote = [](const Texts& t) {
        std::string rec = Trip(t);
        codec::PutText(rec.data(), jizdy::kPoznamka1, "");
        return rec;
    };
    Book("5E00001", {noNote({"020126", "a", "", "10", "", "110", "900", "20", "8.00"}),
                     Trip({"010126", "b", "", "20", "", "130", "", "", "7.00", "", "", "25 x"}),
                     Deleted(), noNote({"030126", "c", "", "30", "", "160", "", "", "7.00"}),
                     Trip({"311225", "d", "", "40", "", "200", "", "", "7.00", "", "", "ab"}),
                     noNote({"020126", "e", "", "50", "", "250", "", "", "6.00"})});
    Answer({"010126", "311226"});
    ASSERT_EQ(Opis("5E00001", "SLUZEBNI"), ReportOutcome::Shown);

    // The side file has the trips in the order of "kj_jizdy.srt": without a
    // note by date and hour, then "25"; "d" lies before the period.
    std::string order;
    for (const std::string& line : Lines("XLS/CESTAKY.CSV")) order += line.substr(12, 1);
    EXPECT_EQ(order, "eacb");

    Texts subtotals;
    for (const std::string& line : Lines("CESTAKY.TXT"))
        if (line.find("celkem km") != std::string::npos) subtotals.push_back(StripLeft(line));
    EXPECT_EQ(subtotals, (Texts{"celkem km :     90   Kč:", "celkem km :     20   Kč:",
                                "celkem km :    110   Kč:"}));
}

// ---- from the logbook's menu ----

TEST_F(LogbookReportsTest, TheLogbooksMenuRunsBothReportsOverTheCurrentCarsBook) {
    Book("8H00001", {Trip({"010125", "x", "", "1", "", "1"})});
    const VetaAuta saved = AktualniVozidlo();
    AktualniVozidlo() = CarOf("8H00001", "SOUKROME");
    MainMenu menu(s.c);
    Answer({"010125", "311225"});
    menu.kniha().KnihaSVyhodnocenim();
    EXPECT_TRUE(fs::exists(s.Work("8H00001.TXT")));
    // The browser keeps the period, as RRMMDD, for the next report.
    EXPECT_EQ(menu.kniha().obdobiOd + menu.kniha().obdobiDo, "250101251231");
    Answer({});
    menu.kniha().OpisSMezisoucty();
    EXPECT_EQ(Lines("XLS/CESTAKY.CSV"), Texts{"  ;01.01.25;x" + std::string(39, ' ') + ";" +
                                              std::string(40, ' ') + ";    1"});
    AktualniVozidlo() = saved;
}

}  // namespace
}  // namespace kj
