// The logbook's two reports: whole print and side files against expected
// files written by hand (tests/golden), then the rules that need cases of
// their own: the period dialog, the evaluation, the odometer check, what
// must not reach a report, the listing's groups and work file, the sort.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "logbook/logbook_reports.h"
#include "logbook/trip_sort.h"
#include "print/print_output.h"
#include "print_station.h"
#include "services/cp1250.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/record_file.h"
#include "test_dir.h"

namespace kj {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

const fs::path kGolden = fs::path(__FILE__).parent_path().parent_path() / "golden";

// A record stored through its columns as the record editor stores it
// (texts padded to their width, dates normalised). Values are UTF-8.
template <std::size_t N>
std::string Stored(const std::array<ColumnDecl, N>& decls, int length, const Texts& utf8) {
    Sloupce cols = DeclareColumns(decls);
    for (std::size_t i = 0; i < cols.size() && i < utf8.size(); ++i) cols[i].value = Utf8ToCp1250(utf8[i]);
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

VetaAuta CarOfKind(const std::string& spz, const std::string& kind, const std::string& consumption = "8") {
    return Car({spz, "Ing. Petr Dvořák", "", "Dvořák a syn s.r.o.", "", "", "", "", consumption, "Nafta", kind});
}

class LogbookReportsTest : public ::testing::Test {
protected:
    TestDir dir;
    printtest::Station s{dir.path()};
    ObdobiJizd period;

    void Book(const std::string& file, const Texts& trips) {
        std::string bytes;
        for (const std::string& t : trips) bytes += t;
        WriteHost(s.Work(file), bytes);
    }
    void Answer(const Texts& values, bool accept = true) { s.ui.fields.push_back({accept, values}); }
    // The lines of a print file, UTF-8, without their trailing blanks.
    Texts Lines(const std::string& file) {
        std::istringstream in(Cp1250ToUtf8(ReadHost(s.Work(file))));
        Texts out;
        for (std::string line; std::getline(in, line);) out.push_back(StripRight(line.substr(0, line.size() - 1)));
        return out;
    }
};

// ---- whole reports against the expected files ----

// A book of tests/golden: the car, then the trips ("-" a deleted one).
std::pair<VetaAuta, std::string> ReadBook(const fs::path& path) {
    auto fields = [](const std::string& line) {
        Texts out(1);
        for (char ch : line) {
            if (ch == '|')
                out.emplace_back();
            else
                out.back().push_back(ch);
        }
        return out;
    };
    std::istringstream in(ReadHost(path));
    std::string line, bytes;
    std::getline(in, line);
    const VetaAuta car = Car(fields(line));
    while (std::getline(in, line)) bytes += line == "-" ? Deleted() : Trip(fields(line));
    return {car, bytes};
}

TEST_F(LogbookReportsTest, EachCarKindPrintsBothReportsAsWrittenByHand) {
    struct Case {
        std::string kind;
        Texts period;      // answers of the period dialog; empty: the offered dates
        int mode;          // the print-mode choice (0: Esc)
        Texts evaluation;  // answers of the evaluation; empty: the offered texts
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
        TestDir caseDir;
        printtest::Station st{caseDir.path()};
        const auto [car, bytes] = ReadBook(kGolden / (k.kind + ".book"));
        const std::string book = car.SouborKnihy(), name = book.substr(0, book.size() - 4);
        WriteHost(st.Work(book), bytes);
        SetJob(st.c, "KJPN", k.kjpn);
        ObdobiJizd obdobi;
        auto expect = [&](const std::string& file, const std::string& golden) {
            EXPECT_EQ(ReadHost(st.Work(file)), ReadHost(kGolden / (k.kind + golden))) << file;
        };

        st.ui.fields.push_back({true, k.period});
        if (k.mode) st.ui.choices.push_back(k.mode);
        if (k.kind != "sou") st.ui.fields.push_back({true, k.evaluation});
        st.c.set.linesPerPage = k.bookLines;
        EXPECT_EQ(KnihaJizdSVyhodnocenim(st.c, car, book, obdobi), ReportOutcome::Shown);
        expect(name + ".TXT", "_kniha.txt");
        expect("XLS/" + name + ".CSV", "_kniha.csv");
        EXPECT_EQ(StripLeft(GetJob(st.c, "KJPN")), k.kjpnAfter);

        st.ui.fields.push_back({true, k.period});
        st.c.set.linesPerPage = k.listingLines;
        EXPECT_EQ(OpisSMezisoucty(st.c, car, book, obdobi), ReportOutcome::Shown);
        expect("CESTAKY.TXT", "_opis.txt");
        expect("XLS/CESTAKY.CSV", "_opis.csv");
        EXPECT_EQ(st.ui.Count("beep"), 0) << Cp1250ToUtf8(st.ui.Last("beep"));
    }
}

// ---- the period dialog ----

TEST_F(LogbookReportsTest, PeriodOffersTheBooksDatesRepeatsOnABadDateAndEscWritesNothing) {
    const VetaAuta car = CarOfKind("1A23456", "SOUKROME");
    // The first trip came from the generator, with "O" in its year.
    Book("1A23456.dta", {Deleted(), Trip({"150105", "A", "", "10", "", "10"}).replace(1, 6, "1501O5"),
                         Trip({"200125", "B", "", "5", "", "15"}), Deleted()});
    Answer({"320125", "200125"});
    Answer({"150125", "311325"});
    Answer({}, false);
    EXPECT_EQ(KnihaJizdSVyhodnocenim(s.c, car, "1A23456.dta", period), ReportOutcome::Cancelled);
    ASSERT_EQ(s.ui.shown.size(), 5u);
    EXPECT_EQ(s.ui.shown[0].text, " Období "_cz);
    EXPECT_EQ(s.ui.shown[0].items, (Texts{"Od data (DDMMRR): ", "150105", "Do data (DDMMRR): ", "200125"}));
    // The dialog comes back with what was typed.
    EXPECT_EQ(s.ui.shown[2].items[1], "320125");
    EXPECT_EQ(s.ui.shown[4].items[3], "311325");
    EXPECT_EQ(s.ui.Texts("beep"), (Texts{"Chybně zadán parametr \"Od data\""_cz, "Chybně zadán parametr \"Do data\""_cz}));
    EXPECT_FALSE(fs::exists(s.Work("1A23456.TXT")));

    // Accepted dates are kept as RRMMDD for the next dialog and the generator.
    Answer({"1.1.25", ""});
    Answer({"010125", ""});
    EXPECT_EQ(OpisSMezisoucty(s.c, car, "1A23456.dta", period), ReportOutcome::Shown);
    EXPECT_EQ(period.odData, "250101");
    EXPECT_EQ(period.doData, "      ");
}

// ---- the evaluation of a company car or machine ----

TEST_F(LogbookReportsTest, EvaluationComparesTheFuelBoughtWithTheAllowanceAndItsTolerance) {
    struct Case {
        std::string name, consumption, businessKm, privateKm, czk, litres;
        Texts answers;      // tolerance, price
        std::string share;  // the line after the totals; "" when there is none
        Texts evaluation;   // the seven lines after the empty one; "" = not looked at
    };
    const std::string lead = "                                Rozdíl mezi skutečností a vyhodnocením :    ";
    const std::string reached = lead + std::string(23, ' ') + " POZOR NADSPOTŘEBA !";
    const std::string share = "Podíl soukromých cest z celkových 1000.00 km =";
    const std::vector<Case> cases = {
        {"overspent", "8", "1000", "", "3000", "100", {"20", "30"}, share,
         {"VYHODNOCENÍ povolené spotřeby PHM při prům.ceně       30.00 Kč za litr :         2400.00     80.00",
          "                  20 % povolené nadspotřeby dle zákona o dani z příjmu :          480.00     16.00",
          std::string(76, ' ') + "------------  ----------", std::string(76, ' ') + "     2880.00     96.00", "",
          lead + "      120.00            POZOR NADSPOTŘEBA ! (v Kč)",
          lead + "                  4.00  POZOR NADSPOTŘEBA ! (v litrech)"}},
        {"exactly at the limit", "8", "750", "250", "2160", "72", {"20", "30"}, share + "  25.00 %",
         {"", "", "", "", "", reached + " (v Kč)", reached + " (v litrech)"}},
        // The allowance's last bits fall below what was bought: the figures
        // print 0.00 as blanks, and so the verdict reads them.
        {"at the limit as printed", "5.3", "1000", "", "1908", "63.6", {"20", "30"}, share,
         {"", "", "", "", "", reached + " (v Kč)", reached + " (v litrech)"}},
        // A negative consumption allows nothing instead of negative litres.
        {"negative consumption", "-8", "1000", "", "100", "2", {"20", "50"}, share,
         {"", "", "", "", "", lead + "      100.00            POZOR NADSPOTŘEBA ! (v Kč)",
          lead + "                  2.00  POZOR NADSPOTŘEBA ! (v litrech)"}},
        // Only a correction in the period: no share of a negative total.
        {"negative total", "8", "-50", "10", "", "", {"20", "30"}, "", Texts(7)},
    };
    int n = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const std::string spz = "2B0000" + std::to_string(++n);
        Book(spz + ".dta", {Trip({"010125", "cesta", "", k.businessKm, k.privateKm, "0"}),
                            Trip({"020125", "tankování", "", "", "", "0", k.czk, k.litres})});
        Answer({});
        Answer(k.answers);
        ASSERT_EQ(KnihaJizdSVyhodnocenim(s.c, CarOfKind(spz, "SLUZEBNI", k.consumption), spz + ".dta", period),
                  ReportOutcome::Shown);
        const Texts lines = Lines(spz + ".TXT");
        auto at = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("Součet"); });
        ASSERT_NE(at, lines.end());
        if (!k.share.empty()) {
            EXPECT_EQ(*++at, k.share);
        }
        EXPECT_EQ(*++at, "");
        ASSERT_EQ(lines.end() - at, 8);
        for (const std::string& expected : k.evaluation) {
            if (++at; !expected.empty()) {
                EXPECT_EQ(*at, StripRight(expected));
            }
        }
    }
}

// ---- the odometer check ----

TEST_F(LogbookReportsTest, OdometerCheckNamesOnlyARealDifference) {
    struct Case {
        std::string name;
        std::vector<Texts> trips;  // date, km, odometer
        std::string to;
        std::string difference;  // as named in the message; "" for no message
    };
    const std::vector<Case> cases = {
        {"readings agree", {{"010225", "0", "5000"}, {"020225", "100", "5100"}, {"030225", "50", "5150"}}, "030225", ""},
        {"five km missing", {{"010225", "0", "5000"}, {"020225", "100", "5100"}, {"030225", "50", "5145"}}, "030225", "5.00"},
        {"period ends before a wrong trip", {{"010225", "0", "5000"}, {"020225", "100", "5100"}, {"030225", "5", "1"}}, "020225", ""},
        // Tenths add up with a stray last bit; the odometer moved by as much.
        {"tenths", {{"010225", "0.1", "10000.1"}, {"020225", "0.2", "10000.3"}, {"030225", "0.4", "10000.7"}}, "030225", ""},
    };
    int n = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const std::string spz = "3C0000" + std::to_string(++n);
        Texts trips;
        for (const Texts& t : k.trips) trips.push_back(Trip({t[0], "x", "", t[1], "", t[2]}));
        Book(spz + ".dta", trips);
        Answer({"010225", k.to});
        s.ui.shown.clear();
        KnihaJizdSVyhodnocenim(s.c, CarOfKind(spz, "SOUKROME"), spz + ".dta", period);
        EXPECT_EQ(s.ui.Texts("beep"),
                  k.difference.empty()
                      ? Texts{}
                      : Texts{"Nesouhlasí součet ujetých km s rozdílem stavů tachometru na začátku a konci o "_cz +
                              k.difference +
                              " km. Doporučení - sestavu,která se nyní vysvítí netisknout, přetřídit knihu jízd s přepočítáním stavu tachometru a vytvořit sestavu znovu."_cz});
    }
}

// ---- what must not reach a report ----

TEST_F(LogbookReportsTest, DeletedTripsStayOutAndASemicolonCannotSplitASideFileCell) {
    Book("4D00001.dta", {Deleted(), Trip({"010325", "Brno;Praha", "schůze; porada", "10", "", "10", "", "", "", "", "",
                                          "N1;x", "N2;y"})});
    Answer({"", "311225"});  // an empty from-date reaches the deletion mark's date
    s.ui.choices.push_back(1);
    ASSERT_EQ(KnihaJizdSVyhodnocenim(s.c, CarOfKind("4D00001", "SOUKROME"), "4D00001.dta", period),
              ReportOutcome::Shown);
    const Texts print = Lines("4D00001.TXT");
    EXPECT_EQ(std::count_if(print.begin(), print.end(), [](const std::string& l) { return l.starts_with("0"); }), 1);
    EXPECT_TRUE(std::none_of(print.begin(), print.end(), [](const std::string& l) { return l.starts_with("."); }));
    const Texts csv = Lines("XLS/4D00001.CSV");
    ASSERT_EQ(csv.size(), 2u);
    EXPECT_EQ(std::count(csv[1].begin(), csv[1].end(), ';'), 13) << csv[1];
    EXPECT_TRUE(csv[1].starts_with("010325;Brno,Praha")) << csv[1];
    EXPECT_EQ(s.ui.Count("beep"), 0);
}

TEST_F(LogbookReportsTest, AnUnreadableBookIsReportedAndNothingIsShown) {
    int viewed = 0;
    PrintOutputOf(s.c).showViewer = [&](TfPozri& v) {
        ++viewed;
        v.KeyDown(key::kEscape, key::Mod::None);
    };
    Book("7G00001.dta", {Trip({"010125", "x", "", "1", "", "1"})});
    for (const bool listing : {false, true}) {
        SCOPED_TRACE(listing);
        s.fs.Plan("C:\\WORK\\7G00001.dta").readCode = 30;
        Answer({"010125", "311225"});
        const VetaAuta car = CarOfKind("7G00001", "SOUKROME");
        EXPECT_EQ(listing ? OpisSMezisoucty(s.c, car, "7G00001.dta", period)
                          : KnihaJizdSVyhodnocenim(s.c, car, "7G00001.dta", period),
                  ReportOutcome::Failed);
        EXPECT_EQ(s.ui.Last("beep"), listing ? "Chyba pri sortu" : "Chyba  30 při čtení C:\\WORK\\7G00001.dta"_cz);
        s.fs.Plan("C:\\WORK\\7G00001.dta").readCode = 0;
    }
    EXPECT_EQ(viewed, 0);
    Answer({"010125", "311225"});
    EXPECT_EQ(OpisSMezisoucty(s.c, CarOfKind("7G00001", "SOUKROME"), "7G00001.dta", period), ReportOutcome::Shown);
    EXPECT_EQ(viewed, 1);
}

// ---- the listing ----

TEST_F(LogbookReportsTest, ListingGroupsByTheUpperCasedNoteAndWritesItsWorkFile) {
    // Books from older installations keep texts as typed, not padded: a
    // trip without a note and one whose note begins with digits of a year
    // must not interleave. A company car's columns 7 and 8 are fuel, not
    // rates, and earn no money.
    auto noNote = [](std::string rec) {
        codec::PutText(rec.data(), jizdy::kPoznamka1, "");
        return rec;
    };
    Book("5E00001.dta", {noNote(Trip({"020126", "a", "", "10", "", "110", "900", "20", "8.00"})),
                         Trip({"010126", "b", "", "20", "", "130", "", "", "7.00", "", "", "25 x"}), Deleted(),
                         noNote(Trip({"030126", "c", "", "30", "", "160", "", "", "7.00"})),
                         Trip({"311225", "d", "", "40", "", "200", "", "", "7.00", "", "", "ab"}),
                         noNote(Trip({"020126", "e", "", "50", "", "250", "", "", "6.00"}))});
    Answer({"010126", "311226"});
    ASSERT_EQ(OpisSMezisoucty(s.c, CarOfKind("5E00001", "SLUZEBNI"), "5E00001.dta", period), ReportOutcome::Shown);

    RecFile srt;
    ASSERT_EQ(OpenRecFile(s.c, srt, "kj_jizdy.srt", "I", jizdy::kLength), 0);
    std::string order;
    for (VetaJizdy t; ReadRec(srt, t.bytes.data()) == 0;) {
        order += StripRight(t.Misto());
        EXPECT_EQ(t.StavTachometru(), 0);
    }
    (void)CloseRecFile(s.c, srt);
    // Without a note by date and hour, then "25"; "d" lies before the period.
    EXPECT_EQ(order, "eacb");

    Texts subtotals;
    for (const std::string& line : Lines("CESTAKY.TXT"))
        if (line.find("celkem km") != std::string::npos) subtotals.push_back(StripLeft(line));
    EXPECT_EQ(subtotals, (Texts{"celkem km :     90   Kč:", "celkem km :     20   Kč:", "celkem km :    110   Kč:"}));
}

// ---- the trip sort ----

TEST_F(LogbookReportsTest, TripSortOrdersByDateHourAndPlaceInTheBookAlsoThroughTheWorkFile) {
    // The generator's "O" in the year sorts after every date with digits.
    Book("6F.dta", {Trip({"020125", "3", "", "", "", "", "", "", "9.00"}), Trip({"010105", "6"}).replace(1, 6, "0101O5"),
                    Trip({"020125", "1", "", "", "", "", "", "", "7.30"}), Deleted(),
                    Trip({"020125", "2", "", "", "", "", "", "", "7.30"}), Trip({"311224", "0"}), Trip({"", "4"}),
                    Trip({"150125", "5"})});
    for (std::int32_t runCapacity : {0, 2}) {
        SCOPED_TRACE(runCapacity);
        TripSort spec;
        spec.path = DataPath(s.c, "6F.dta");
        spec.limits.runCapacity = runCapacity;
        std::string order;
        std::vector<std::int32_t> numbers;
        ASSERT_EQ(SortTrips(s.c, spec, [&](VetaJizdy& t, std::int32_t number) {
                      order += StripRight(t.Misto());
                      numbers.push_back(number);
                      return 0;
                  }),
                  0);
        EXPECT_EQ(order, "4012356");
        EXPECT_EQ(numbers, (std::vector<std::int32_t>{7, 6, 3, 5, 1, 8, 2}));
    }
}

}  // namespace
}  // namespace kj
