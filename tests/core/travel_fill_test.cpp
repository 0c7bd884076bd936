// Filling the sheets from the trips marked in the logbook: the journey of
// the travel order (two rows a day, seven days), the settlement rows (one
// per leg, 22 rows), the car's defaults, the question before loaded rows
// are replaced, and the recalculation of the amounts.

#include <gtest/gtest.h>

#include "services/dates.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/cp1250.h"
#include "test_dir.h"
#include "travel_station.h"

namespace kj {
namespace {

using namespace traveltest;

struct Row {
    std::string p, m, u, k;
};

std::vector<Row> Journey(const JourneyColumns& j, int rows) {
    std::vector<Row> out;
    for (std::size_t r = 0; r < static_cast<std::size_t>(rows); ++r)
        out.push_back({U(j.p[r]), U(j.m[r]), U(j.u[r]), U(j.k[r])});
    return out;
}

void ExpectRows(const std::vector<Row>& got, const std::vector<Row>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t r = 0; r < want.size(); ++r) {
        SCOPED_TRACE("row " + std::to_string(r + 1));
        EXPECT_EQ(got[r].p, want[r].p);
        EXPECT_EQ(got[r].m, want[r].m);
        EXPECT_EQ(got[r].u, want[r].u);
        EXPECT_EQ(got[r].k, want[r].k);
    }
}

TEST(TravelFill, JourneyTakesTwoRowsADay) {
    ScriptedDialogs ui;
    const struct {
        const char* name;
        std::vector<TripValues> trips;
        std::vector<Row> rows;  // rows 1.., the rest must be empty
    } cases[] = {
        {"one day, two trips",
         {{"020326", "Praha-*Brno", "jednání", 210, 7.00, 10.00},
          {"020326", "Brno-Praha", "návrat", 210, 15.00, 18.30}},
         {{"Praha", "Brno", "jednání,návrat", "Praha"}, {"02.03.26  07.00", "", "", "02.03.26  18.30"}}},
        {"a day without a second place is dropped, private trips are skipped",
         {{"020326", "Zlín", "pošta", 5, 8.00, 8.30},
          {"030326", "Zlín - Kroměříž - *Přerov", "porada", 0, 6.00, 7.00},
          {"040326", "Zlín - *Kroměříž, *Přerov : Zlín", "porada", 104, 6.00, 15.45}},
         {{"Zlín", "Kroměříž,Přerov", "porada", "Zlín"}, {"04.03.26  06.00", "", "", "04.03.26  15.45"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const JourneyColumns j = DeriveJourney(ui, Trips(c.trips));
        std::vector<Row> want = c.rows;
        want.resize(kJourneyRows);
        ExpectRows(Journey(j, kJourneyRows), want);
    }
    EXPECT_EQ(ui.Count("beep"), 0);
}

TEST(TravelFill, AnEighthDayEndsTheJourneyWithAMessage) {
    for (int days : {7, 8}) {
        SCOPED_TRACE(days);
        ScriptedDialogs ui;
        std::vector<TripValues> trips;
        for (int d = 1; d <= days; ++d) {
            const std::string date = (d < 10 ? "0" : "") + std::to_string(d) + "0426";
            trips.push_back({date, "Zlín-Olomouc", "porada", 80, 7.00, 9.00});
            trips.push_back({date, "Olomouc-Zlín", "návrat", 80, 14.00, 16.00});
        }
        const JourneyColumns j = DeriveJourney(ui, Trips(trips));
        for (int r = 0; r < kJourneyRows; r += 2) {
            EXPECT_EQ(j.p[static_cast<std::size_t>(r)], "Zlín"_cz);
            EXPECT_EQ(j.k[static_cast<std::size_t>(r + 1)].substr(0, 8),
                      "0" + std::to_string(r / 2 + 1) + ".04.26");
        }
        if (days == 8) {
            EXPECT_EQ(ui.Texts("beep"), std::vector<std::string>{"Načítání dat končí zápisem 080426Zlín-Olomouc"_cz});
        } else {
            EXPECT_EQ(ui.Count("beep"), 0);
        }
    }
}

TEST(TravelFill, OrderDefaultsGoOnlyIntoEmptyFields) {
    TestDir dir;
    Station st(dir.path());
    WriteHost(st.root / "DATA" / "WZ.cpr", "ejm : Jana Malá\r\ned6 : X\r\n"_cz);
    Sheets s(st.c, Car("SLUŽEBNÍ", "3"));
    s.order.FillOrderSheet({});
    const SheetTexts& t = s.order.texts();
    EXPECT_EQ(U(t["ejm"]), "Jana Malá");
    EXPECT_EQ(U(t["eadr"]), "Květná 12, 760 01 Zlín");
    EXPECT_EQ(U(t["edruh"]), "Škoda Octavia");
    EXPECT_EQ(t["espz"], "5Z12345");
    EXPECT_EQ(t["espot"], "  5.80");
    EXPECT_EQ(t["ed5"], "X");  // a company car, though the private box is marked
    EXPECT_EQ(t["ed6"], "X");
    EXPECT_EQ(t["ephm3"], "X");
    EXPECT_EQ(t["ephm5"], "");
    EXPECT_EQ(st.ui.Count("yesno"), 0);

    Sheets own(st.c, Car("SOUKROMÉ", "5"));
    own.fileName = "C:\\DATA\\JINY.cpr";
    own.order.FillOrderSheet({});
    EXPECT_EQ(own.order.texts()["ed5"], "");
    EXPECT_EQ(own.order.texts()["ed6"], "X");
    EXPECT_EQ(own.order.texts()["ephm5"], "X");
    EXPECT_EQ(own.order.texts()["ephm3"], "");
}

TEST(TravelFill, LoadedJourneyIsReplacedOnlyWhenTheUserSaysSo) {
    const std::vector<VetaJizdy> marked =
        Trips({{"020326", "Praha-*Brno", "jednání", 210, 7.00, 10.00}});
    const struct {
        const char* name;
        const char* file;
        std::optional<bool> answer;  // nullopt: no question
        const char* ep1;
    } cases[] = {
        {"empty journey: taken over", "ecislo : 1\r\n", std::nullopt, "Praha"},
        {"places of business, no", "em1 : Ostrava\r\nep1 : Zlín\r\n", false, "Zlín"},
        {"places of business, yes", "em1 : Ostrava\r\nep1 : Zlín\r\n", true, "Praha"},
        // A journey without any "*" place is the user's all the same.
        {"start places only, no", "ep1 : Zlín\r\nek2 : 03.03.26\r\n", false, "Zlín"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        Station st(dir.path());
        WriteHost(st.root / "DATA" / "WZ.cpr", c.file);
        if (c.answer) st.ui.yesNo = {*c.answer};
        Sheets s(st.c, Car("SOUKROMÉ"));
        s.order.FillOrderSheet(marked);
        EXPECT_EQ(st.ui.Texts("yesno"),
                  c.answer ? std::vector<std::string>{"Přepsat seznam cest ?"_cz} : std::vector<std::string>{});
        EXPECT_EQ(s.order.texts()["ep1"], c.ep1);
        if (c.answer == false) {
            EXPECT_EQ(s.order.texts()["eu1"], "");
            EXPECT_EQ(s.order.texts()["ep2"], "");
        } else {
            EXPECT_EQ(s.order.texts()["ep2"], "02.03.26  07.00");
        }
    }
}

struct SRow {
    std::string dat, o, p, oh, ph, a, b, c, d, ep, ek, g, su;
};

SRow RowOf(const SheetTexts& t, int n) {
    auto v = [&](const char* col) { return U(t.Row(col, n)); };
    return {v("dat"), v("o"),  v("p"),  v("oh"), v("ph"), v("a"), v("b"),
            v("c"),   v("d"),  v("ep"), v("ek"), v("g"),  v("su")};
}

void ExpectRow(const SRow& got, const SRow& want) {
    EXPECT_EQ(got.dat, want.dat);
    EXPECT_EQ(got.o, want.o);
    EXPECT_EQ(got.p, want.p);
    EXPECT_EQ(got.oh, want.oh);
    EXPECT_EQ(got.ph, want.ph);
    EXPECT_EQ(got.a, want.a);
    EXPECT_EQ(got.b, want.b);
    EXPECT_EQ(got.c, want.c);
    EXPECT_EQ(got.d, want.d);
    EXPECT_EQ(got.ep, want.ep);
    EXPECT_EQ(got.ek, want.ek);
    EXPECT_EQ(StripRight(got.g), want.g);
    EXPECT_EQ(StripRight(got.su), want.su);
}

TEST(TravelFill, SettlementRowsPerLeg) {
    const struct {
        const char* name;
        const char* kind;
        std::vector<TripValues> trips;
        std::vector<SRow> rows;
        const char* total;
    } cases[] = {
        {"private car, two places",
         "SOUKROMÉ",
         {{"020326", "Praha-Brno", "", 210, 7.00, 9.30, 0, 4.20, 1.50}},
         {{"02.03.", "Praha", "Brno", "07.00", "09.30", "AUV", " 210", " 4.20", " 1.500", "07.00", "09.30", "", " 1197.00"}},
         "  1197.00"},
        {"company car: no rates",
         "SLUŽEBNÍ",
         {{"020326", "Praha-Brno", "", 210, 7.00, 9.30, 155, 4.20, 1.50}},
         {{"02.03.", "Praha", "Brno", "07.00", "09.30", "AUS", " 210", "", "", "07.00", "09.30", " 155.0", "  155.00"}},
         "   155.00"},
        {"three places: km and meal on the last leg",
         "STROJ",
         {{"020326", "Praha-Brno-Olomouc", "", 300, 6.00, 19.00, 236}},
         {{"02.03.", "Praha", "Brno", "06.00", "", "", "", "", "", "06.00", "", "", ""},
          {"02.03.", "Brno", "Olomouc", "", "19.00", "", " 300", "", "", "", "19.00", " 236.0", "  236.00"}},
         "   236.00"},
        {"two single places a day: the day starts on the first and ends on the last",
         "SLUŽEBNÍ",
         {{"030326", "Holešov", "", 36, 7.30, 0}, {"030326", "Vsetín", "", 64, 0, 16.15}},
         {{"03.03.", "Holešov", "", "07.30", "", "AUS", "  36", "", "", "07.30", "", "", ""},
          {"03.03.", "", "Vsetín", "", "16.15", "AUS", "  64", "", "", "", "16.15", "", ""}},
         "         "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        Station st(dir.path());
        Sheets s(st.c, Car(c.kind));
        s.settlement.SettlementRows(Trips(c.trips));
        for (std::size_t n = 0; n < c.rows.size(); ++n) {
            SCOPED_TRACE("row " + std::to_string(n + 1));
            ExpectRow(RowOf(s.settlement.texts(), static_cast<int>(n) + 1), c.rows[n]);
        }
        EXPECT_EQ(RowOf(s.settlement.texts(), static_cast<int>(c.rows.size()) + 1).dat, "");
        EXPECT_EQ(s.settlement.texts()["csu"], c.total);
        EXPECT_EQ(st.ui.Count("beep"), 0);
    }
}

TEST(TravelFill, SettlementStopsWhenTheFormIsFull) {
    for (int legs : {21, 22, 30}) {
        SCOPED_TRACE(legs);
        TestDir dir;
        Station st(dir.path());
        Sheets s(st.c, Car("SOUKROMÉ"));
        std::vector<TripValues> trips;
        for (int k = 0; k < legs; ++k) trips.push_back({"050326", "Zlín-Vizovice", "", 16, 8, 9, 0, 5, 1});
        s.settlement.SettlementRows(Trips(trips));
        EXPECT_EQ(s.settlement.texts()["o22"], legs >= 22 ? "Zlín"_cz : "");
        EXPECT_EQ(st.ui.Texts("beep"),
                  legs >= 22 ? std::vector<std::string>{"Formulář je plný. Další zápisy nezpracuji."_cz}
                             : std::vector<std::string>{});
        // Every row is paid (5 + 1) * 16 = 96.
        EXPECT_EQ(s.settlement.texts()["csu"], FormatPic("######.##", 96.0 * std::min(legs, 22)));
    }
    // The legs of a route are cut at row 22 as well.
    TestDir dir;
    Station st(dir.path());
    Sheets s(st.c, Car("SOUKROMÉ"));
    s.settlement.SettlementRows(Trips({{"050326", "a-b-c-d-e-f-g-h-i-j-k-l-m-n-o-p-q-r-s-t", "", 300, 6, 20},
                                       {"060326", "A-B-C-D-E-F", "", 100, 6, 20}}));
    EXPECT_EQ(s.settlement.texts()["p19"], "t");
    EXPECT_EQ(s.settlement.texts()["b19"], " 300");
    EXPECT_EQ(s.settlement.texts()["o22"], "C");
    EXPECT_EQ(s.settlement.texts()["p22"], "D");
    EXPECT_EQ(st.ui.Count("beep"), 1);
}

TEST(TravelFill, RecalculationSumsRowsAsShown) {
    TestDir dir;
    Station st(dir.path());
    Sheets s(st.c, Car("SOUKROMÉ"));
    SheetTexts& t = s.settlement.texts();
    t["b1"] = " 101";
    t["c1"] = " 4.40";
    t["d1"] = "1.555";  // (4.40 + 1.555) * 101 = 601.455 -> 601.46 as shown
    t["b2"] = "1";
    t["c2"] = "0.005";  // 0.005 -> 0.01 as shown
    t["f3"] = "120";
    t["g3"] = "236,5";
    t["h3"] = "800";
    t["i3"] = "Kč 45.10"_cz;
    t["f22"] = "19000";
    t["i22"] = "90000";  // 109000.00 needs a sixth digit
    t["zi"] = "200000";
    s.settlement.Recalculate();
    EXPECT_EQ(t["su1"], "  601.46");
    EXPECT_EQ(t["su2"], "    0.01");
    EXPECT_EQ(t["su3"], " 1201.60");
    EXPECT_EQ(t["su4"], "        ");
    EXPECT_EQ(t["su22"], "109000.00");
    EXPECT_EQ(t["cf"], "19120.00");
    EXPECT_EQ(t["cg"], "  236.50");
    EXPECT_EQ(t["ci"], "90045.10");
    EXPECT_EQ(t["csu"], "110803.07");
    EXPECT_EQ(t["vsu"], "-89196.93");
    for (const char* f : {"b7", "c7", "d7", "f7", "g7", "h7", "i7", "zi", "b22"})
        EXPECT_TRUE(Tfvpc::RecalculatesOnLeave(f)) << f;
    for (const char* f : {"a7", "ep7", "dat", "dat7", "b23", "b", "su7", "f7x"})
        EXPECT_FALSE(Tfvpc::RecalculatesOnLeave(f)) << f;
}

TEST(TravelFill, SettlementFillKeepsLoadedRowsUnlessTheUserSaysSo) {
    const std::vector<VetaJizdy> marked = Trips({{"020326", "Praha-Brno", "", 210, 7.00, 9.30, 0, 4.20, 1.50}});
    const struct {
        const char* name;
        std::string file;  // UTF-8
        std::optional<bool> answer;
        const char* p1;
    } cases[] = {
        {"nothing loaded", "dat : 31.03.26\r\nf1 : 50\r\n", std::nullopt, "Brno"},
        {"loaded rows, no", "o1 : Zlín\r\np1 : Hulín\r\n", false, "Hulín"},
        {"loaded rows, yes", "o1 : Zlín\r\np1 : Hulín\r\n", true, "Brno"},
        // Only arrival places (trips with no departure): still the user's rows.
        {"arrival places only, no", "p1 : Hulín\r\nph1 : 10.00\r\n", false, "Hulín"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        Station st(dir.path());
        WriteHost(st.root / "DATA" / "WZ.cpr", Utf8ToCp1250(c.file));
        if (c.answer) st.ui.yesNo = {*c.answer};
        Sheets s(st.c, Car("SOUKROMÉ"));
        s.settlement.FillSettlementSheet(marked);
        EXPECT_EQ(st.ui.Count("yesno"), c.answer ? 1 : 0);
        EXPECT_EQ(U(s.settlement.texts()["p1"]), c.p1);
        EXPECT_EQ(s.settlement.texts()["dat"], c.answer ? WorkDate(st.c.now()) : "31.03.26");
    }
    // Typed amounts stay when the rows are taken over without a question.
    TestDir dir;
    Station st(dir.path());
    WriteHost(st.root / "DATA" / "WZ.cpr", "f1 : 50\r\n");
    Sheets s(st.c, Car("SOUKROMÉ"));
    s.settlement.FillSettlementSheet(marked);
    EXPECT_EQ(s.settlement.texts()["su1"], " 1247.00");
}

}  // namespace
}  // namespace kj
