// The logbook's two reports: whole print and side files against expected
// files written by hand (tests/golden), then the rules that need a case of
// their own: the period dialog, the evaluation, the odometer check, the
// listing's groups and its work file, and the trip sort.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "logbook/logbook_reports.h"
#include "logbook/trip_sort.h"
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

// A record stored through its columns, as the record editor stores it
// (texts padded to their width, dates normalised). Values are UTF-8.
template <std::size_t N>
std::string Stored(const std::array<ColumnDecl, N>& decls, int length, const Texts& utf8) {
    Sloupce cols = DeclareColumns(decls);
    for (std::size_t i = 0; i < cols.size(); ++i)
        cols[i].value = i < utf8.size() ? Utf8ToCp1250(utf8[i]) : std::string();
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

const Texts kCompany = {"Dvořák a syn s.r.o.", "Průmyslová 1020, 763 02 Zlín"};

VetaAuta CarOfKind(const std::string& spz, const std::string& kind) {
    return Car({spz, "Ing. Petr Dvořák", "Květná 12, 760 01 Zlín", kCompany[0], kCompany[1], "1498",
                "Škoda Octavia", "CZA123456", "8.00", "Nafta", kind});
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
    void Period(const std::string& from, const std::string& to) {
        s.ui.fields.push_back({true, {from, to}});
    }
    std::string Print(const std::string& name) { return Cp1250ToUtf8(ReadHost(s.Work(name + ".TXT"))); }
    std::string Csv(const std::string& name) { return Cp1250ToUtf8(ReadHost(s.Work("XLS/" + name + ".CSV"))); }
};

// ---- whole reports against the expected files ----

struct GoldenCase {
    std::string name;   // file prefix in tests/golden
    VetaAuta car;
    Texts trips;
    Texts period;       // answers of the period dialog; empty: the offered dates
    int mode;           // the print-mode choice (0: Esc)
    Texts evaluation;   // answers of the evaluation; empty: the offered texts
    std::string kjpn;   // the tolerance in the job table before the report
    std::string kjpnAfter;
    int bookLines, listingLines;
};

std::vector<GoldenCase> GoldenCases() {
    return {
        {"sou",
         Car({"5Z12345", "Ing. Petr Dvořák", "Květná 12, 760 01 Zlín", kCompany[0], kCompany[1], "1498",
              "Škoda Octavia", "CZA123456", "6.40", "Natural 95", "SOUKROME"}),
         {Trip({"010324", "Počáteční stav", "", "", "", "15000"}),
          Trip({"040324", "Zlín-Otrokovice-Zlín", "Jednání se zákazníkem", "24", "", "15024", "4.20", "1.50",
                "7.30", "10.15", "", "AB12 zakázka", "faktura 17"}),
          Deleted(),
          Trip({"050324", "Zlín-Brno-Zlín", "Servis u dodavatele", "196.5", "12.5", "15233", "4.20", "1.50",
                "6.00", "14.45", "140", "ab služba"}),
          Trip({"070324", "Zlín-Vizovice", "Nákup materiálu", "17", "", "15250", "4.20", "1.50", "13.00",
                "13.40", "", "CD"}),
          Trip({"120324", "Zlín-Praha-Zlín", "Veletrh", "600", "", "15850", "4.20", "1.50", "5.00", "21.00",
                "220", "AB"})},
         {"020324", "080324"}, 1, {}, "", "", 16, 7},
        {"slu",
         Car({"5Z67890", "Jana Malá", "Nábřeží 5, 760 01 Zlín", kCompany[0], kCompany[1], "1968", "VW Passat",
              "DFG778899", "8", "Nafta", "SLUZEBNI"}),
         {Trip({"010324", "Počáteční stav", "", "", "", "42000"}),
          Trip({"040324", "Zlín-Olomouc-Zlín", "Porada", "180", "", "42180", "", "", "6.30", "12.00", "",
                "PR porada"}),
          Trip({"050324", "Čerpací stanice Zlín", "Tankování", "", "", "42180", "1500", "40", "", "", "", "",
                "účtenka 55"}),
          Trip({"060324", "Zlín-Ostrava-Zlín", "Montáž", "320", "20", "42520", "", "", "5.00", "18.30", "166",
                "MO", "zákazník Vítkovice"}),
          Trip({"080324", "Zlín-Kroměříž", "Soukromá jízda", "", "45", "42565", "", "", "16.00", "17.00"})},
         {"040324", "080324"}, 2, {}, "", "    20", 16, 64},
        {"str",
         Car({"5Z00777", "Karel Novotný", "Polní 8, 763 61 Napajedla", kCompany[0], kCompany[1], "3.5 t",
              "Zetor Proxima 100", "Z1234-567", "12.5", "Nafta", "STROJ"}),
         {Trip({"010324", "Počáteční stav", "", "", "", "1200"}),
          Trip({"040324", "Areál Zlín", "Úklid sněhu", "3.5", "", "1203.5", "", "", "", "", "", "ZI zima"}),
          Trip({"040324", "Areál Otrokovice", "Úklid sněhu", "2", "", "1205.5", "", "", "", "", "", "zi"}),
          Trip({"050324", "Sklad Zlín", "Nakládka palet", "4", "1", "1210.5", "", "", "", "", "", "NA"})},
         {}, 0, {"15", "32,50"}, "15", "    15", 16, 64},
    };
}

TEST_F(LogbookReportsTest, EachCarKindPrintsBothReportsAsWrittenByHand) {
    for (const GoldenCase& g : GoldenCases()) {
        SCOPED_TRACE(g.name);
        TestDir caseDir;
        printtest::Station st{caseDir.path()};
        const std::string book = g.car.SouborKnihy();
        std::string bytes;
        for (const std::string& t : g.trips) bytes += t;
        WriteHost(st.Work(book), bytes);
        SetJob(st.c, "KJPN", g.kjpn);
        ObdobiJizd obdobi;

        st.ui.fields.push_back({true, g.period});
        if (g.mode) st.ui.choices.push_back(g.mode);
        if (g.car.Druh() != "SOU") st.ui.fields.push_back({true, g.evaluation});
        st.c.set.linesPerPage = g.bookLines;
        EXPECT_EQ(KnihaJizdSVyhodnocenim(st.c, g.car, book, obdobi), ReportOutcome::Shown);
        const std::string name = book.substr(0, book.size() - 4);
        EXPECT_EQ(ReadHost(st.Work(name + ".TXT")), ReadHost(kGolden / (g.name + "_kniha.txt")));
        EXPECT_EQ(ReadHost(st.Work("XLS/" + name + ".CSV")), ReadHost(kGolden / (g.name + "_kniha.csv")));
        EXPECT_EQ(GetJob(st.c, "KJPN"), StripRight(g.kjpnAfter));

        st.ui.fields.push_back({true, g.period});
        st.c.set.linesPerPage = g.listingLines;
        EXPECT_EQ(OpisSMezisoucty(st.c, g.car, book, obdobi), ReportOutcome::Shown);
        EXPECT_EQ(ReadHost(st.Work("CESTAKY.TXT")), ReadHost(kGolden / (g.name + "_opis.txt")));
        EXPECT_EQ(ReadHost(st.Work("XLS/CESTAKY.CSV")), ReadHost(kGolden / (g.name + "_opis.csv")));
        EXPECT_EQ(st.ui.Count("beep"), 0) << Cp1250ToUtf8(st.ui.Last("beep"));
    }
}

// ---- the period dialog ----

TEST_F(LogbookReportsTest, PeriodOffersTheBooksDatesRepeatsOnABadDateAndEscWritesNothing) {
    const VetaAuta car = CarOfKind("1A23456", "SOUKROME");
    Book("1A23456.dta", {Deleted(), Trip({"150125", "A", "", "10", "", "10"}),
                         Trip({"200125", "B", "", "5", "", "15"}), Deleted()});
    s.ui.fields.push_back({true, {"320125", "200125"}});
    s.ui.fields.push_back({true, {"150125", "311325"}});
    s.ui.fields.push_back({false, {}});
    EXPECT_EQ(KnihaJizdSVyhodnocenim(s.c, car, "1A23456.dta", period), ReportOutcome::Cancelled);

    const auto asked = s.ui.Texts("fields");
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], " Období "_cz);
    EXPECT_EQ(s.ui.shown[0].items, (Texts{"Od data (DDMMRR): ", "150125", "Do data (DDMMRR): ", "200125"}));
    // The dialog comes back with what was typed.
    ASSERT_EQ(s.ui.shown.size(), 5u);
    EXPECT_EQ(s.ui.shown[2].items[1], "320125");
    EXPECT_EQ(s.ui.shown[4].items[3], "311325");
    EXPECT_EQ(s.ui.Texts("beep"), (Texts{"Chybně zadán parametr \"Od data\""_cz, "Chybně zadán parametr \"Do data\""_cz}));
    EXPECT_FALSE(fs::exists(s.Work("1A23456.TXT")));
    EXPECT_EQ(s.ui.Count("choose"), 0);

    // Accepted dates are kept as RRMMDD for the next dialog and the generator.
    Period("1.1.25", "");
    Period("010125", "");
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
    const std::string limitReached = lead + std::string(23, ' ') + " POZOR NADSPOTŘEBA !";
    const std::vector<Case> cases = {
        {"overspent", "8", "1000", "", "3000", "100", {"20", "30"},
         "Podíl soukromých cest z celkových 1000.00 km =",
         {"VYHODNOCENÍ povolené spotřeby PHM při prům.ceně       30.00 Kč za litr :         2400.00     80.00",
          "                  20 % povolené nadspotřeby dle zákona o dani z příjmu :          480.00     16.00",
          std::string(76, ' ') + "------------  ----------", std::string(76, ' ') + "     2880.00     96.00", "",
          lead + "      120.00            POZOR NADSPOTŘEBA ! (v Kč)",
          lead + "                  4.00  POZOR NADSPOTŘEBA ! (v litrech)"}},
        {"exactly at the limit", "8", "750", "250", "2160", "72", {"20", "30"},
         "Podíl soukromých cest z celkových 1000.00 km =  25.00 %",
         {"", "", "", "", "", limitReached + " (v Kč)", limitReached + " (v litrech)"}},
        // The allowance's last bits fall below what was bought: the figures
        // print 0.00 as blanks, and so the verdict reads them.
        {"at the limit as printed", "5.3", "1000", "", "1908", "63.6", {"20", "30"}, "Podíl soukromých cest z celkových 1000.00 km =",
         {"", "", "", "", "", limitReached + " (v Kč)", limitReached + " (v litrech)"}},
        // A negative consumption allows nothing instead of negative litres.
        {"negative consumption", "-8", "1000", "", "100", "2", {"20", "50"},
         "Podíl soukromých cest z celkových 1000.00 km =",
         {"", "", "", "", "", lead + "      100.00            POZOR NADSPOTŘEBA ! (v Kč)",
          lead + "                  2.00  POZOR NADSPOTŘEBA ! (v litrech)"}},
        // Only a correction in the period: no share of a negative total.
        {"negative total", "8", "-50", "10", "", "", {"20", "30"}, "", {"", "", "", "", "", "", ""}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TestDir caseDir;
        printtest::Station st{caseDir.path()};
        VetaAuta car = Car({"2B00001", "", "", "", "", "", "", "", k.consumption, "Nafta", "SLUZEBNI"});
        WriteHost(st.Work("2B00001.dta"), Trip({"010125", "cesta", "", k.businessKm, k.privateKm, "0"}) +
                                              Trip({"020125", "tankování", "", "", "", "0", k.czk, k.litres}));
        st.ui.fields.push_back({true, {}});
        st.ui.fields.push_back({true, k.answers});
        ObdobiJizd obdobi;
        ASSERT_EQ(KnihaJizdSVyhodnocenim(st.c, car, "2B00001.dta", obdobi), ReportOutcome::Shown);
        std::vector<std::string> lines;
        const std::string text = Cp1250ToUtf8(ReadHost(st.Work("2B00001.TXT")));
        for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
            lines.push_back(Cp1250ToUtf8(StripRight(Utf8ToCp1250(text.substr(at, end - at)))));
        auto at = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Součet", 0) == 0; });
        ASSERT_NE(at, lines.end());
        ++at;
        if (!k.share.empty()) {
            EXPECT_EQ(*at++, k.share);
        }
        EXPECT_EQ(*at++, "");
        ASSERT_EQ(lines.end() - at, 7);
        for (const std::string& expected : k.evaluation) {
            if (!expected.empty()) {
                EXPECT_EQ(*at, StripRight(expected));
            }
            ++at;
        }
    }
}

// ---- the odometer check ----

TEST_F(LogbookReportsTest, OdometerCheckNamesOnlyARealDifference) {
    struct Case {
        std::string name;
        Texts book;  // "date km odometer" per trip
        std::string to;
        std::string message;  // the difference named, "" for none
    };
    const std::vector<Case> cases = {
        {"readings agree", {"010225 0 5000", "020225 100 5100", "030225 50 5150"}, "030225", ""},
        {"five km missing", {"010225 0 5000", "020225 100 5100", "030225 50 5145"}, "030225", "5.00"},
        {"period ends before a wrong trip", {"010225 0 5000", "020225 100 5100", "030225 50 9999"}, "020225", ""},
        // Tenths add up with a stray last bit; the odometer moved by as much.
        {"tenths", {"010225 0.1 10000.1", "020225 0.2 10000.3", "030225 0.4 10000.7"}, "030225", ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TestDir caseDir;
        printtest::Station st{caseDir.path()};
        std::string bytes;
        for (const std::string& t : k.book) {
            const auto a = t.find(' '), b = t.rfind(' ');
            bytes += Trip({t.substr(0, a), "x", "", t.substr(a + 1, b - a - 1), "", t.substr(b + 1)});
        }
        WriteHost(st.Work("3C00001.dta"), bytes);
        st.ui.fields.push_back({true, {"010225", k.to}});
        ObdobiJizd obdobi;
        KnihaJizdSVyhodnocenim(st.c, CarOfKind("3C00001", "SOUKROME"), "3C00001.dta", obdobi);
        if (k.message.empty()) {
            EXPECT_EQ(st.ui.Count("beep"), 0) << Cp1250ToUtf8(st.ui.Last("beep"));
        } else {
            EXPECT_EQ(st.ui.Last("beep"),
                      "Nesouhlasí součet ujetých km s rozdílem stavů tachometru na začátku a konci o "_cz + k.message +
                          " km. Doporučení - sestavu,která se nyní vysvítí netisknout, přetřídit knihu jízd s přepočítáním stavu tachometru a vytvořit sestavu znovu."_cz);
        }
    }
}

// ---- what must not reach the report ----

TEST_F(LogbookReportsTest, DeletedTripsStayOutAndASemicolonCannotSplitASideFileCell) {
    const VetaAuta car = CarOfKind("4D00001", "SOUKROME");
    Book("4D00001.dta", {Deleted(), Trip({"010325", "Brno;Praha", "schůze; porada", "10", "", "10", "", "", "", "",
                                          "", "N1;x", "N2;y"})});
    Period("", "311225");  // an empty from-date reaches the deletion mark's date
    s.ui.choices.push_back(1);
    ASSERT_EQ(KnihaJizdSVyhodnocenim(s.c, car, "4D00001.dta", period), ReportOutcome::Shown);
    const std::string print = Print("4D00001");
    EXPECT_EQ(print.find("\r\n."), std::string::npos);
    EXPECT_NE(print.find("010325 Brno;Praha"), std::string::npos);
    const std::string csv = Csv("4D00001");
    const std::string row = csv.substr(csv.find("\r\n") + 2);
    EXPECT_EQ(std::count(row.begin(), row.end(), ';'), 13) << row;
    EXPECT_EQ(row.rfind("010325;Brno,Praha", 0), 0u);
    EXPECT_EQ(s.ui.Count("beep"), 0);
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
    const VetaAuta car = CarOfKind("5E00001", "SLUZEBNI");
    Book("5E00001.dta", {noNote(Trip({"020126", "a", "", "10", "", "110", "900", "20", "8.00"})),
                         Trip({"010126", "b", "", "20", "", "130", "", "", "7.00", "", "", "25 x"}),
                         Deleted(),
                         noNote(Trip({"030126", "c", "", "30", "", "160", "", "", "7.00"})),
                         Trip({"311225", "d", "", "40", "", "200", "", "", "7.00", "", "", "ab"}),
                         noNote(Trip({"020126", "e", "", "50", "", "250", "", "", "6.00"}))});
    Period("010126", "311226");
    ASSERT_EQ(OpisSMezisoucty(s.c, car, "5E00001.dta", period), ReportOutcome::Shown);

    RecFile srt;
    ASSERT_EQ(OpenRecFile(s.c, srt, "kj_jizdy.srt", "I", jizdy::kLength), 0);
    Texts order;
    for (int n = 1; n <= srt.count; ++n) {
        VetaJizdy t;
        ASSERT_EQ(ReadRec(srt, t.bytes.data()), 0);
        order.push_back(StripRight(t.Misto()));
        EXPECT_EQ(t.StavTachometru(), 0);
    }
    (void)CloseRecFile(s.c, srt);
    // Without a note by date and hour, then "25"; "d" lies before the period.
    EXPECT_EQ(order, (Texts{"e", "a", "c", "b"}));

    std::string subtotals;
    const std::string print = ReadHost(s.Work("CESTAKY.TXT"));
    for (std::size_t at = print.find("celkem km"); at != std::string::npos; at = print.find("celkem km", at + 1))
        subtotals += StripRight(print.substr(at, 35)) + "|";
    EXPECT_EQ(subtotals, "celkem km :     90   Kč:|celkem km :     20   Kč:|celkem km :    110   Kč:|"_cz);
}

// ---- the trip sort ----

TEST_F(LogbookReportsTest, TripSortOrdersByDateHourAndPlaceInTheBookAlsoThroughTheWorkFile) {
    // The generator's "O" in the year sorts after every date with digits.
    Book("6F.dta", {Trip({"020125", "3", "", "", "", "", "", "", "9.00"}),
                    Trip({"010105", "6"}).replace(1, 6, "0101O5"),
                    Trip({"020125", "1", "", "", "", "", "", "", "7.30"}),
                    Deleted(),
                    Trip({"020125", "2", "", "", "", "", "", "", "7.30"}),
                    Trip({"311224", "0"}),
                    Trip({"", "4"}),
                    Trip({"150125", "5"})});
    for (std::int32_t runCapacity : {0, 2}) {
        SCOPED_TRACE(runCapacity);
        TripSort spec;
        spec.path = DataPath(s.c, "6F.dta");
        spec.limits.runCapacity = runCapacity;
        std::string order;
        std::vector<std::int32_t> numbers;
        ASSERT_EQ(SortTrips(s.c, spec, [&](VetaJizdy& t, std::int32_t n) {
                      order += StripRight(t.Misto());
                      numbers.push_back(n);
                      return 0;
                  }),
                  0);
        EXPECT_EQ(order, "4012356");
        EXPECT_EQ(numbers, (std::vector<std::int32_t>{7, 6, 3, 5, 1, 8, 2}));
    }
}

}  // namespace
}  // namespace kj
