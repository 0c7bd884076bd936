// Filling the sheets from the trips marked in the logbook: the journey of
// the travel order (two rows a day, seven days), the settlement rows (one
// per leg, 22 rows), the car's defaults, the question before loaded rows
// are replaced, and the recalculation of the amounts.

#include "kj_test.h"
#include "services/dates.h"
#include "travel_station.h"

namespace kj {
namespace {

using namespace traveltest;

// A row as its cells joined by "|" (UTF-8, trailing blanks dropped).
std::string Joined(const std::vector<std::string>& cells) {
    std::string out;
    for (std::size_t i = 0; i < cells.size(); ++i) out += (i ? "|" : "") + U(StripRight(cells[i]));
    return out;
}

std::vector<std::string> JourneyRows(const JourneyColumns& j) {
    std::vector<std::string> out;
    for (std::size_t r = 0; r < kJourneyRows; ++r) out.push_back(Joined({j.p[r], j.m[r], j.u[r], j.k[r]}));
    return out;
}

TEST(TravelFill, JourneyTakesTwoRowsADay) {
    ScriptedDialogs ui;
    const struct {
        const char* name;
        std::vector<TripValues> trips;
        std::vector<std::string> rows;  // rows 1.., the rest must be empty
    } cases[] = {
        {"one day, two trips",
         {{"020326", "Praha-*Brno", "jednání", 210, 7.00, 10.00},
          {"020326", "Brno-Praha", "návrat", 210, 15.00, 18.30}},
         {"Praha|Brno|jednání,návrat|Praha", "02.03.26  07.00|||02.03.26  18.30"}},
        {"a day without a second place is dropped, private trips are skipped",
         {{"020326", "Zlín", "pošta", 5, 8.00, 8.30},
          {"030326", "Zlín - Kroměříž - *Přerov", "porada", 0, 6.00, 7.00},
          {"040326", "Zlín - *Kroměříž, *Přerov : Zlín", "porada", 104, 6.00, 15.45}},
         {"Zlín|Kroměříž,Přerov|porada|Zlín", "04.03.26  06.00|||04.03.26  15.45"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> want = c.rows;
        want.resize(kJourneyRows, "|||");
        EXPECT_EQ(JourneyRows(DeriveJourney(ui, Trips(c.trips))), want);
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
        EXPECT_EQ(ui.Texts("beep"),
                  std::vector<std::string>(days - 7, "Načítání dat končí zápisem 080426Zlín-Olomouc"_cz));
    }
}

TEST(TravelFill, OrderDefaultsGoOnlyIntoEmptyFields) {
    TestDir dir;
    Station st(dir.path());
    WriteHost(st.root / "DATA" / "WZ.cpr", "ejm : Jana Malá\r\ned6 : X\r\n"_cz);
    const char* fields[] = {"ejm", "eadr", "edruh", "espz", "espot", "ed5", "ed6", "ephm3", "ephm5"};
    // A company car: ed5 is marked though the file marks the private box.
    const struct {
        const char* kind;
        const char* fuel;
        const char* file;
        const char* texts;
    } cases[] = {{"SLUŽEBNÍ", "3", "C:\\DATA\\WZ.cpr",
                  "Jana Malá|Květná 12, 760 01 Zlín|Škoda Octavia|5Z12345|  5.80|X|X|X|"},
                 {"SOUKROMÉ", "5", "C:\\DATA\\JINY.cpr",
                  "Ing. Petr Dvořák|Květná 12, 760 01 Zlín|Škoda Octavia|5Z12345|  5.80||X||X"}};
    for (const auto& c : cases) {
        Sheets s(st.c, Car(c.kind, c.fuel));
        s.fileName = c.file;
        s.order.FillOrderSheet({});
        std::vector<std::string> got;
        for (const char* f : fields) got.push_back(s.order.texts()[f]);
        EXPECT_EQ(Joined(got), c.texts);
    }
    EXPECT_EQ(st.ui.Count("yesno"), 0);
}

// Rows loaded from the file are replaced by the marked trips only after
// "Přepsat seznam cest ?" is answered yes; any row field counts as loaded.
TEST(TravelFill, LoadedRowsAreReplacedOnlyWhenTheUserSaysSo) {
    const std::vector<VetaJizdy> marked =
        Trips({{"020326", "Praha-*Brno", "jednání", 210, 7.00, 9.30, 0, 4.20, 1.50}});
    const struct {
        bool settlement;
        const char* file;  // UTF-8
        std::optional<bool> answer;  // nullopt: no question
        const char* field;
        const char* want;
    } cases[] = {
        {false, "ecislo : 1\r\n", std::nullopt, "ep2", "02.03.26  07.00"},
        {false, "em1 : Ostrava\r\nep1 : Zlín\r\n", false, "ep1", "Zlín"},
        {false, "em1 : Ostrava\r\nep1 : Zlín\r\n", true, "ep1", "Praha"},
        {false, "ep1 : Zlín\r\nek2 : 03.03.26\r\n", false, "ep1", "Zlín"},  // no "*" place
        {true, "dat : 31.03.26\r\nf1 : 50\r\n", std::nullopt, "su1", " 1247.00"},  // f1 kept
        {true, "o1 : Zlín\r\np1 : Hulín\r\n", false, "p1", "Hulín"},
        {true, "o1 : Zlín\r\np1 : Hulín\r\n", true, "p1", "*Brno"},
        {true, "p1 : Hulín\r\nph1 : 10.00\r\n", false, "p1", "Hulín"},  // arrivals only
        {true, "o1 : Zlín\r\ng1 : 80\r\nsu1 : 80.00\r\n", false, "csu", "    80.00"},  // totals of kept rows
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TestDir dir;
        Station st(dir.path());
        WriteHost(st.root / "DATA" / "WZ.cpr", Utf8ToCp1250(c.file));
        if (c.answer) st.ui.yesNo = {*c.answer};
        Sheets s(st.c, Car("SOUKROMÉ"));
        if (c.settlement)
            s.settlement.FillSettlementSheet(marked);
        else
            s.order.FillOrderSheet(marked);
        EXPECT_EQ(st.ui.Texts("yesno"), std::vector<std::string>(c.answer ? 1 : 0, "Přepsat seznam cest ?"_cz));
        const SheetTexts& t = c.settlement ? s.settlement.texts() : s.order.texts();
        EXPECT_EQ(U(t[c.field]), c.want);
        if (c.settlement) { EXPECT_EQ(t["dat"], c.answer ? WorkDate(st.c.now()) : "31.03.26"); }
    }
}

std::string SettlementRow(const SheetTexts& t, int n) {
    std::vector<std::string> cells;
    for (const char* col : {"dat", "o", "p", "oh", "ph", "a", "b", "c", "d", "ep", "ek", "g", "su"})
        cells.push_back(t.Row(col, n));
    return Joined(cells);
}

TEST(TravelFill, SettlementRowsPerLeg) {
    // dat|o|p|oh|ph|a|b|c|d|ep|ek|g|su
    const struct {
        const char* name;
        const char* kind;
        std::vector<TripValues> trips;
        std::vector<std::string> rows;
        const char* total;
    } cases[] = {
        {"private car, two places", "SOUKROMÉ",
         {{"020326", "Praha-Brno", "", 210, 7.00, 9.30, 0, 4.20, 1.50}},
         {"02.03.|Praha|Brno|07.00|09.30|AUV| 210| 4.20| 1.500|07.00|09.30|| 1197.00"},
         "  1197.00"},
        {"company car: no rates", "SLUŽEBNÍ",
         {{"020326", "Praha-Brno", "", 210, 7.00, 9.30, 155, 4.20, 1.50}},
         {"02.03.|Praha|Brno|07.00|09.30|AUS| 210|||07.00|09.30| 155.0|  155.00"},
         "   155.00"},
        {"three places: km and meal on the last leg", "STROJ",
         {{"020326", "Praha-Brno-Olomouc", "", 300, 6.00, 19.00, 236}},
         {"02.03.|Praha|Brno|06.00||||||06.00|||",
          "02.03.|Brno|Olomouc||19.00|| 300||||19.00| 236.0|  236.00"},
         "   236.00"},
        {"two single places a day: the day starts on the first and ends on the last", "SLUŽEBNÍ",
         {{"030326", "Holešov", "", 36, 7.30, 0}, {"030326", "Vsetín", "", 64, 0, 16.15}},
         {"03.03.|Holešov||07.30||AUS|  36|||07.30|||", "03.03.||Vsetín||16.15|AUS|  64||||16.15||"},
         "         "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        Station st(dir.path());
        Sheets s(st.c, Car(c.kind));
        s.settlement.SettlementRows(Trips(c.trips));
        for (std::size_t n = 0; n <= c.rows.size(); ++n)
            EXPECT_EQ(SettlementRow(s.settlement.texts(), static_cast<int>(n) + 1),
                      n < c.rows.size() ? c.rows[n] : "||||||||||||");
        EXPECT_EQ(s.settlement.texts()["csu"], c.total);
        EXPECT_EQ(st.ui.Count("beep"), 0);
    }
}

TEST(TravelFill, SettlementStopsWhenTheFormIsFull) {
    // 21 and 22 one-leg trips; 19 legs of one route and 6 of the next.
    const std::vector<TripValues> leg(22, {"050326", "Zlín-Vizovice", "", 16, 8, 9, 0, 5, 1});
    const struct {
        std::vector<TripValues> trips;
        const char* row22;  // o22|p22
        int messages;
    } cases[] = {{{leg.begin(), leg.end() - 1}, "|", 0},
                 {leg, "Zlín|Vizovice", 1},
                 {{{"050326", "a-b-c-d-e-f-g-h-i-j-k-l-m-n-o-p-q-r-s-t", "", 300, 6, 20},
                   {"060326", "A-B-C-D-E-F", "", 100, 6, 20}},
                  "C|D", 1}};
    for (const auto& c : cases) {
        TestDir dir;
        Station st(dir.path());
        Sheets s(st.c, Car("SOUKROMÉ"));
        s.settlement.SettlementRows(Trips(c.trips));
        EXPECT_EQ(Joined({s.settlement.texts()["o22"], s.settlement.texts()["p22"]}), c.row22);
        EXPECT_EQ(st.ui.Texts("beep"), std::vector<std::string>(static_cast<std::size_t>(c.messages),
                                                                "Formulář je plný. Další zápisy nezpracuji."_cz));
    }
}

TEST(TravelFill, RecalculationSumsRowsAsShown) {
    TestDir dir;
    Station st(dir.path());
    Sheets s(st.c, Car("SOUKROMÉ"));
    SheetTexts& t = s.settlement.texts();
    // Row 1: (4.40 + 1.555) * 101 = 601.455 -> 601.46 as shown; row 2: 0.005
    // -> 0.01 as shown; row 22: 109000.00 needs a sixth digit.
    for (auto [field, text] : {std::pair{"b1", " 101"}, {"c1", " 4.40"}, {"d1", "1.555"}, {"b2", "1"}, {"c2", "0.005"},
                               {"f3", "120"}, {"g3", "236,5"}, {"h3", "800"}, {"i3", "Kč 45.10"}, {"f22", "19000"},
                               {"i22", "90000"}, {"zi", "200000"}})
        t[field] = Utf8ToCp1250(text);
    s.settlement.Recalculate();
    std::string sums;
    for (const char* f : {"su1", "su2", "su3", "su4", "su22", "cf", "cg", "ci", "csu", "vsu"}) sums += t[f] + "|";
    EXPECT_EQ(sums, "  601.46|    0.01| 1201.60|        |109000.00|19120.00|  236.50|90045.10|110803.07|-89196.93|");
    for (const char* f : {"b7", "c7", "d7", "f7", "g7", "h7", "i7", "zi", "b22"})
        EXPECT_TRUE(Tfvpc::RecalculatesOnLeave(f)) << f;
    for (const char* f : {"a7", "ep7", "dat", "dat7", "b23", "b", "su7", "f7x"})
        EXPECT_FALSE(Tfvpc::RecalculatesOnLeave(f)) << f;
}

}  // namespace
}  // namespace kj
