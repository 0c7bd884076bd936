// The administrator's tool kj_admin run as a process on an installation made
// with the program's own services. Needs KJ_BUILD_DIR (set by ctest).

#include "kj_test.h"

#include <sstream>

#include "logbook/logbook_reports.h"
#include "services/lock_table.h"
#include "services/protocol.h"
#include "station_procs.h"
#include "trip_fixture.h"

namespace kj {
namespace {

using namespace procs;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

struct AdminTool : ::testing::Test {
    void SetUp() override { KJ_REQUIRE_PROGRAMS("kj_admin"); }

    RunResult Admin(std::vector<std::string> args, bool names = true) {
        std::vector<std::string> all = {Program("kj_admin")};
        if (names) all.insert(all.end(), {"--names", inst.Prog().string()});
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(all);
    }
    std::string Data() const { return inst.Data().string(); }

    // FOT.tab in the data directory with these entries (then free ones).
    void WriteLocks(const std::vector<locktab::Entry>& entries) {
        locktab::Table t;
        t.fill(locktab::FreeEntry());
        for (std::size_t i = 0; i < entries.size(); ++i) t[i] = entries[i];
        WriteHost(inst.Data() / "FOT.tab", locktab::EncodeTable(t));
    }

    Installation inst{2};  // stations 1 and 2 have working directories
};

TEST_F(AdminTool, ListsAndRemovesTheLocksOfOneStation) {
    WriteLocks({{"KJ_AUTA.DTA ", "02  ", "R"},
                {"KJ_AUTA.DTA ", "01  ", "R"},
                locktab::FreeEntry(),
                {"ABC123.DTA  ", "02  ", "W"},
                {"KJCILE.DTA  ", "04  ", "W"}});
    RunResult r = Admin({"locks", Data()});
    ASSERT_EQ(r.code, 0) << r.output;
    const std::vector<std::string> expected = {
        "Tabulka sdílení " + (inst.Data() / "FOT.tab").string() + " (1980 bajtů)",
        " pol.  soubor        stanice  režim  uživatel",
        "    1  KJ_AUTA.DTA   02       R      Eva Malá",
        "    2  KJ_AUTA.DTA   01       R      Jan Novák",
        "    4  ABC123.DTA    02       W      Eva Malá",
        "    5  KJCILE.DTA    04       W      Jana Horká",
        "Obsazeno položek: 4 z 99"};
    EXPECT_EQ(Lines(r.output), expected);

    // Station 2 crashed: its entries go, everything else stays in place.
    r = Admin({"unlock", Data(), "2"});
    ASSERT_EQ(r.code, 0) << r.output;
    EXPECT_NE(r.output.find("    1  KJ_AUTA.DTA   02       R      Eva Malá\n"), std::string::npos);
    EXPECT_NE(r.output.find("    4  ABC123.DTA    02       W      Eva Malá\n"), std::string::npos);
    EXPECT_NE(r.output.find("Odstraněno zámků: 2\n"), std::string::npos) << r.output;
    const std::string bytes = ReadText(inst.Data() / "FOT.tab");
    ASSERT_EQ(bytes.size(), locktab::kTableSize);
    locktab::Table t = locktab::DecodeTable(bytes);
    EXPECT_TRUE(t[0].IsFree());
    EXPECT_EQ(t[1].station, "01  ");
    EXPECT_TRUE(t[3].IsFree());
    EXPECT_EQ(t[4].station, "04  ");
    EXPECT_EQ(t[0].name, std::string(12, ' '));  // a free entry as the stations write it
    EXPECT_EQ(t[0].mode, " ");

    // Nothing left of station 02: the table is not touched.
    r = Admin({"unlock", Data(), "02"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.output.find("Stanice 02 nemá v"), std::string::npos) << r.output;
    EXPECT_EQ(ReadText(inst.Data() / "FOT.tab"), bytes);

    // Without a names table the stations are shown by number only.
    r = Admin({"locks", Data()}, false);
    EXPECT_NE(r.output.find("    2  KJ_AUTA.DTA   01       R      \n"), std::string::npos)
        << r.output;
    EXPECT_FALSE(fs::exists(inst.Data() / "JMENA.tab"));  // looked for, not made

    for (const char* bad : {"abc", "100", "-1", "001"}) {
        r = Admin({"unlock", Data(), bad});
        EXPECT_EQ(r.code, 2) << bad;
    }
    EXPECT_EQ(ReadText(inst.Data() / "FOT.tab"), bytes);
}

TEST_F(AdminTool, OldShortAndMissingTables) {
    // A 23-entry table of the older form.
    locktab::Table t;
    t.fill(locktab::FreeEntry());
    t[22] = {"KJSTRA.DTA  ", "03  ", "W"};
    WriteHost(inst.Data() / "FOT.tab", locktab::EncodeTable(t).substr(0, 460));
    RunResult r = Admin({"locks", Data()});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.output.find("(460 bajtů)\nStarší nebo zkrácená tabulka"), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("   23  KJSTRA.DTA    03       W      Petr Dvořák\n"),
              std::string::npos)
        << r.output;
    r = Admin({"unlock", Data(), "3"});
    EXPECT_EQ(r.code, 0) << r.output;
    EXPECT_EQ(ReadText(inst.Data() / "FOT.tab").size(), locktab::kTableSize);  // grown
}

TEST_F(AdminTool, WaitsWhileAStationHoldsTheTable) {
    WriteLocks({{"KJ_AUTA.DTA ", "01  ", "W"}});
    HostFileSystem host(Data(), Data());
    std::unique_ptr<File> held;
    ASSERT_EQ(host.Open("FOT.tab", Access::ReadWrite, Disposition::OpenExisting, Share::Exclusive,
                        &held),
              io::kOk);
    Proc p;
    ASSERT_TRUE(p.Start({Program("kj_admin"), "unlock", Data(), "1"}));
    EXPECT_EQ(p.Wait(150), -1);  // still waiting for the table
    EXPECT_EQ(ReadText(inst.Data() / "FOT.tab").substr(1, 11), "KJ_AUTA.DTA");
    ASSERT_EQ(held->Close(), io::kOk);
    EXPECT_EQ(p.ExitCode(), 0) << p.output();
    EXPECT_TRUE(locktab::DecodeTable(ReadText(inst.Data() / "FOT.tab"))[0].IsFree());
}

TEST_F(AdminTool, PrintsTheProtocolInUtf8) {
    rectest::Station st(inst.root(), "02");
    Common& c = st.c;
    c.dataDirCache = "C:\\DATA\\";
    c.set.computer = "PC07";
    const std::vector<std::string> events = {"OpenI kj_auta.dta", "Close kj_auta.dta",
                                             "         - Zrušení 1AB2345"_cz,
                                             "* KONEC Knihy jízd, n=  3"_cz};
    for (const auto& e : events) WriteProtocol(c, e);
    ASSERT_EQ(st.ui.Count("beep"), 0);

    RunResult r = Admin({"protocol", Data()}, false);
    ASSERT_EQ(r.code, 0) << r.output;
    std::vector<std::string> lines = Lines(r.output);
    ASSERT_EQ(lines.size(), 5u) << r.output;
    const std::string stamp = lines[0].substr(0, lines[0].find(" Prázdný protokol"));
    EXPECT_EQ(lines[0], stamp + " Prázdný protokol");
    EXPECT_NE(stamp.find(" PC07 02"), std::string::npos) << stamp;
    for (std::size_t i = 0; i < events.size(); ++i)
        EXPECT_EQ(lines[i + 1], stamp + Cp1250ToUtf8(events[i])) << i;

    r = Admin({"protocol", "--last", "2", Data()}, false);
    EXPECT_EQ(Lines(r.output), (std::vector<std::string>{lines[3], lines[4]}));

    // A torn last record is left out and reported.
    std::ofstream(inst.Data() / "PROTOKOL.PRT", std::ios::binary | std::ios::app) << "0123456789";
    r = Admin({"protocol", "--last", "1", Data()}, false);
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.output.find(lines[4] + "\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("neúplný poslední záznam protokolu (10 bajtů) vynechán"),
              std::string::npos)
        << r.output;

    fs::remove(inst.Data() / "PROTOKOL.PRT");
    r = Admin({"protocol", Data()}, false);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.output.find("PROTOKOL.PRT neexistuje"), std::string::npos) << r.output;
}

TEST_F(AdminTool, ShowsTheUserTable) {
    std::string words(200, '\0');
    codec::PutU16(&words[2 * 1], 99);
    codec::PutU16(&words[2 * 3], 1234);
    WriteHost(inst.Data() / "UZIVATEL.tab", words);
    const RunResult r = Admin({"users", Data()});
    ASSERT_EQ(r.code, 0) << r.output;
    const std::vector<std::string> expected = {
        "Tabulka uživatelů " + (inst.Data() / "UZIVATEL.tab").string() + " (200 bajtů)",
        "Slovo 0: 0 (hlavní program hlídá moduly)",
        " stanice  hodnota  uživatel",
        "      01     0099  Jan Novák",
        "      03     1234  Petr Dvořák",
        "Stanic s hodnotou: 2"};
    EXPECT_EQ(Lines(r.output), expected);
}

using triptest::Join, triptest::Trip;

std::string Car(const std::string& spz, const std::string& kind) {
    return triptest::ListRecord(auta::kColumns, auta::kLength,
                                {spz, "Jan Novák", "Dlouhá 5, Zlín", "", "", "", "", "", "6.5", "",
                                 kind});
}
std::string Deleted(std::string r) { return r.replace(kDeletedOffset, 1, 1, kDeletedMark); }

// A file written into the data directory ("@"), a command, its exit code and
// its output (of a dump the records).
TEST_F(AdminTool, DumpsTablesAsCsvAndNamesTheBreaksOfTheOdometerChain) {
    struct Case {
        std::string file, bytes, command;
        int code;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"kj_auta.dta", Join({Car("1ab 23", "SOUKROMÉ"), Deleted(Car("", "")), Car("5Z9", "")}),
         "dump", 0,
         {"1,,1ab 23,Jan Novák,\"Dlouhá 5, Zlín\",,,,,,6.5,,SOUKROMÉ",
          "2,ano,.,Jan Novák,\"Dlouhá 5, Zlín\",,,,,,6.5,,",
          "3,,5Z9,Jan Novák,\"Dlouhá 5, Zlín\",,,,,,6.5,,"}},
        // A logbook by another name: reals as stored, quotes doubled, a torn end told.
        {"1ab23.DTA",
         Trip("0101O6", "B", 4.2, 104.2, 7.3, 4.2, 1.5, "\"A\"", 0.25, " p") + "12345", "dump", 1,
         {"1,,0101O6,B,\"\"\"A\"\"\",4.2,0.25,104.2,4.2,1.5,7.3,0,0,\" p\",,",
          "kj_admin: @/1ab23.DTA: délka není násobkem délky věty 261 bajtů (kniha jízd), neúplná "
          "poslední věta (5 bajtů) vynechána"}},
        {"torn.dta",
         Join({Trip("010124", "", 0, 10000), Trip("020124", "Brno", 50, 10050),
               Deleted(Trip("", "", 0, 0)), Trip("030124", "Zlín", 30, 10100),
               Trip("040124", "Zlín", 20, 10120), Trip("030124", "Brno", 10, 10130, 8),
               Trip("050124", "Brno", 15, 0), Trip("060124", "Brno", 20, 10165.05)}) + "1234567",
         "chain", 1,
         {"Kniha jízd @/torn.dta: 8 vět", "  věta 3: zrušená, zmizí při příštím seřazení knihy",
          "  věta 4, 03.01.24: stav tachometru 10100 nenavazuje, čekáno 10080 (předchozí 10050 + "
          "30 km), rozdíl +20",
          "  věta 6, 03.01.24 08.00: datum a hodina odjezdu před předchozí jízdou (věta 5, "
          "04.01.24 00.00)",
          "  věta 7, 05.01.24: bez stavu tachometru, čekáno 10145 (předchozí 10130 + 15 km)",
          "  věta 8, 06.01.24: stav tachometru 10165.05 nenavazuje, čekáno 10165 (předchozí 10145 "
          "+ 20 km), rozdíl +0.05",
          "  konec souboru: neúplná věta (7 bajtů)", "  Řetěz začíná větou 1 se stavem 10000.",
          "Zlomů: 6"}},
        // The books of the car list, whatever the case of their names.
        {"", "", "chain", 1,
         {"Vozidlo 1ab 23, kniha @/1ab23.DTA: 1 vět", "  konec souboru: neúplná věta (5 bajtů)",
          "  Řetěz začíná větou 1 se stavem 104.20.",
          "Vozidlo 5Z9, kniha @/5Z9.dta: neexistuje, vozidlo nemá jízdy",
          "Knih: 2, zlomů celkem: 1"}},
    };
    for (const Case& k : cases) {
        if (!k.file.empty()) WriteHost(inst.Data() / k.file, k.bytes);
        RunResult r = Admin({k.command, Data() + "/" + k.file}, false);
        EXPECT_EQ(r.code, k.code) << r.output;
        std::string want;
        for (const std::string& line : k.lines) want += line + "\n";
        for (std::size_t i; (i = want.find('@')) != std::string::npos;) want.replace(i, 1, Data());
        if (k.command == "dump") r.output.erase(0, r.output.find('\n') + 1);  // the titles
        EXPECT_EQ(r.output, want);
    }
}

// kj_admin as station 1, the reports in this process as station 2, same answers: same files.
TEST_F(AdminTool, RunsTheReportsAsTheProgramWithTheSameAnswers) {
    const std::string car = Car("5Z1 234", "SLUŽEBNÍ");
    WriteHost(inst.Data() / "kj_auta.dta", Join({Car("1AB 234", "SOUKROMÉ"), car}));
    WriteHost(inst.Data() / "5Z1234.dta",
              Join({Trip("010124", "", 0, 5), Trip("020124", "Brno", 9, 14, 6, 30, 9, "a", 0, "AB"),
                    Trip("030224", "Zlín", 64, 78, 8, 4.2, 1.5, "b", 0, "ab")}));
    for (const int which : {1, 2}) {
        RunResult r = Admin({"report", "--root", inst.root().string(), "--from", "020124",
                             "--no-notes", "--tolerance", "25", "--price", "31,5",
                             inst.Station(1).string(), "5z1234", std::to_string(which)}, false);
        ASSERT_EQ(r.code, 0) << r.output;
        HostFileSystem host(inst.Station(2).string(), inst.root().string());
        ScriptedDialogs ui;
        ui.fields = {{true, {"020124"}}, {true, {"25", "31,5"}}};
        ui.choices = {2};
        Common c(host, ui);
        InitCommon(c);
        VetaAuta veta;
        std::copy_n(car.data(), auta::kLength, veta.bytes.begin());
        ObdobiJizd period;
        ASSERT_EQ(which == 1 ? KnihaJizdSVyhodnocenim(c, veta, "5Z1234.dta", period)
                               : OpisSMezisoucty(c, veta, "5Z1234.dta", period),
                  ReportOutcome::Shown);
        const std::string print = which == 1 ? "5Z1234" : "CESTAKY";
        for (const std::string& file : {print + ".TXT", "XLS/" + print + ".CSV"})
            EXPECT_EQ(ReadText(inst.Station(1) / file), ReadText(inst.Station(2) / file)) << file;
        for (const locktab::Entry& e : locktab::DecodeTable(ReadText(inst.Data() / "FOT.tab")))
            EXPECT_TRUE(e.IsFree()) << e.name << e.station;  // every lock given back
    }
}

TEST_F(AdminTool, AsksTheLockServerAndListsTheStations) {
    KJ_REQUIRE_PROGRAMS("kj_station", "kj_lockserver");
    LockServerProc server(inst.root());
    ASSERT_TRUE(server.Start(inst.Prog().string()));
    inst.SetServer(server.address());
    Proc station;
    ASSERT_TRUE(inst.StartStation(station, 1));
    ASSERT_TRUE(station.Ask("lock KJCILE.DTA W", "LOCKED KJCILE.DTA")) << station.output();
    RunResult r = Admin({"server", Data()});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.output.find(" běží: spojení stanic 1, zámků 1\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("KJCILE.DTA" + std::string(24, ' ') + "W      01       Jan Novák"),
              std::string::npos);
    r = Admin({"stations", Data()});
    EXPECT_NE(r.output.find("      01  Jan Novák                 "), std::string::npos) << r.output;
    r = Admin({"server", "127.0.0.1:1"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.output, "Server zámků 127.0.0.1:1 neodpovídá: spojení odmítnuto, server neběží\n");
}

TEST_F(AdminTool, RefusesWrongUse) {
    for (std::vector<std::string> args : {std::vector<std::string>{}, {"locks"}, {"nic", Data()},
                                          {"protocol", "--last", "x", Data()},
                                          {"locks", "--last", "2", Data()},
                                          {"unlock", Data()}, {"--bogus", "locks", Data()},
                                          {"dump", "--layout", "x", "a"}, {"report", "a", "b", "3"},
                                          {"report", "--from", "320124", "a", "b", "1"}}) {
        RunResult r = Admin(args, false);
        EXPECT_EQ(r.code, 2) << testing::PrintToString(args);
        EXPECT_NE(r.output.find("použití: kj_admin"), std::string::npos) << r.output;
    }
}

}  // namespace
}  // namespace kj
