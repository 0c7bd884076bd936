#include "kj_test.h"

#include <deque>
#include <sstream>

namespace kj {
namespace {

using namespace rectest;

// One 18-byte entry as it lies on disk: key and value, each a length byte
// and 8 characters, zero-filled.
std::string Entry(const std::string& key, const std::string& value) {
    std::string e(18, '\0');
    e[0] = static_cast<char>(key.size());
    e.replace(1, key.size(), key);
    e[9] = static_cast<char>(value.size());
    e.replace(10, value.size(), value);
    return e;
}

std::string Table(const std::vector<std::string>& entries, std::size_t size = 3600) {
    std::string t;
    for (const auto& e : entries) t += e;
    t.resize(size, '\0');
    return t;
}

TEST(JobTable, EntriesByTheBytes) {
    TempStation s;
    const fs::path job = s.work / "master.job";

    // No table anywhere: the first SetJob creates it (here: in the current
    // directory, as there is no data directory).
    SetJob(s.c, "MENA", "EUR");
    SetJob(s.c, "DAN1", "21      ");
    EXPECT_EQ(ReadHost(job), Table({Entry("MENA", "EUR"), Entry("DAN1", "21")}));
    // Values are cut to 8; an all-blank value frees the entry.
    SetJob(s.c, "MENA", "CZK-LONGER");
    EXPECT_EQ(GetJob(s.c, "MENA"), "CZK-LONG");
    SetJob(s.c, "MENA", "   ");
    EXPECT_EQ(ReadHost(job), Table({Entry("", ""), Entry("DAN1", "21")}));
    EXPECT_EQ(GetJob(s.c, "MENA"), "");
    // The first free entry takes a new key.
    SetJob(s.c, "ZAK1", "Firma");
    EXPECT_EQ(ReadHost(job), Table({Entry("ZAK1", "Firma"), Entry("DAN1", "21")}));
    // Keys compare exactly; a stored value loses its trailing blanks on reading.
    WriteHost(job, Table({Entry("TAB", "80  "), Entry("SERVER12", "x")}));
    EXPECT_EQ(GetJob(s.c, "TAB"), "80");
    EXPECT_EQ(GetJob(s.c, "tab"), "");
    EXPECT_EQ(GetJob(s.c, ""), "");
    // A key longer than 8: GetJob never finds it and SetJob does not store
    // it (it would take a new entry at every call); GetJobIn and SetJobIn
    // cut it to 8.
    EXPECT_EQ(GetJob(s.c, "SERVER123"), "");
    EXPECT_EQ(GetJobIn(s.c, "", "SERVER123"), "x");
    SetJob(s.c, "LONGKEY12", "1");
    SetJobIn(s.c, "", "LONGKEY12", "2");
    EXPECT_EQ(ReadHost(job),
              Table({Entry("TAB", "80  "), Entry("SERVER12", "x"), Entry("LONGKEY1", "2")}));

    // A full table takes nothing more.
    std::vector<std::string> all;
    for (int i = 0; i < 200; ++i) all.push_back(Entry("K" + std::to_string(i), "v"));
    WriteHost(job, Table(all));
    SetJob(s.c, "NEW", "1");
    EXPECT_EQ(ReadHost(job), Table(all));
    SetJob(s.c, "K199", "w");
    EXPECT_EQ(GetJob(s.c, "K199"), "w");
    EXPECT_TRUE(s.ui.shown.empty());
}

TEST(JobTable, LocationWideningAndFailures) {
    TempStation s;
    WriteHost(s.work / "data.adr", "C:\\data\\");
    const fs::path dataJob = s.root / "data" / "master.job";

    // A current-directory table shorter than 2 bytes does not count: the
    // data directory's is used.
    WriteHost(s.work / "master.job", "x");
    WriteHost(dataJob, Table({Entry("MENA", "EUR")}));
    EXPECT_EQ(GetJob(s.c, "MENA"), "EUR");
    SetJob(s.c, "TAB", "132");
    EXPECT_EQ(ReadHost(dataJob), Table({Entry("MENA", "EUR"), Entry("TAB", "132")}));
    EXPECT_EQ(ReadHost(s.work / "master.job"), "x");
    EXPECT_EQ(GetJobIn(s.c, "", "MENA"), "");  // "x" is shorter than 2 bytes
    EXPECT_EQ(GetJobIn(s.c, "C:\\data\\", "MENA"), "EUR");

    // The older 1,818-byte form: widened to 3,600 by the first read, its 101
    // entries untouched; the next new key lands in entry 102.
    std::vector<std::string> old;
    for (int i = 0; i < 101; ++i) old.push_back(Entry("K" + std::to_string(i), std::to_string(i)));
    const std::string oldTable = Table(old, 1818);
    WriteHost(dataJob, oldTable);
    EXPECT_EQ(GetJob(s.c, "K100"), "100");
    EXPECT_EQ(ReadHost(dataJob), oldTable + std::string(1782, '\0'));
    SetJob(s.c, "NEW", "n");
    old.push_back(Entry("NEW", "n"));
    EXPECT_EQ(ReadHost(dataJob), Table(old));

    // A table another station is changing: waited for, quietly at first,
    // then with a note at each attempt.
    s.fs.Plan("C:\\data\\master.job").openCodes = std::deque<int>(210, io::kSharingViolation);
    SetJob(s.c, "NEW", "m");
    old.back() = Entry("NEW", "m");
    EXPECT_EQ(ReadHost(dataJob), Table(old));
    const std::vector<std::string> notes = s.ui.Texts("note");
    ASSERT_GE(notes.size(), 1u);
    EXPECT_LT(notes.size(), 20u);
    EXPECT_EQ(notes.front(), "Uz: 03 Soub: Master.job err 32");
    s.ui.shown.clear();

    // A table that exists but cannot be opened is reported and kept, not
    // replaced by a table holding one entry; the wait for it ends.
    s.fs.Plan("C:\\data\\master.job").openCode = io::kSharingViolation;
    SetJob(s.c, "TAB", "80");
    EXPECT_EQ(s.ui.Texts("beep"), std::vector<std::string>{"Uz: 03 Soub: Master.job err 32"});
    s.fs.Plan("C:\\data\\master.job").openCode = 0;
    EXPECT_EQ(ReadHost(dataJob), Table(old));
    // SetJobIn creates a missing table.
    SetJobIn(s.c, "C:\\jinde\\", "GDPR", "A");
    EXPECT_EQ(ReadHost(s.root / "jinde" / "master.job"), "");  // directory missing: nothing
    fs::create_directories(s.root / "jinde");
    SetJobIn(s.c, "C:\\jinde\\", "GDPR", "A");
    EXPECT_EQ(ReadHost(s.root / "jinde" / "master.job"), Table({Entry("GDPR", "A")}));
}

// The settings InitCommon reads, as one text.
std::string Describe(const Common& c) {
    const Settings& t = c.set;
    std::ostringstream o;
    o << "station " << t.station << "/" << t.stationIndex << " server '" << t.lockServer << "' pc '"
      << t.computer << "' " << t.homeCurrency << " tax " << t.tax[1] << "/" << t.tax[2] << "/"
      << t.tax[3] << " year '" << t.accYear << "' period '" << t.accPeriod << "' euro "
      << t.euroRate << " " << t.euroCurrency << " tab " << t.tableWidth << " lines "
      << t.linesPerPage << " port " << t.printerPort << " flags " << t.formFeed << t.newSheet
      << t.pricePrint << t.personalData << " mode " << t.printCharMode << " res " << t.printResX
      << "x" << t.printResY << " dirs " << t.currentDir << " " << t.dataDir << " customer ";
    for (int i = 1; i <= 5; ++i) o << t.customerFlag[i];
    o << " unlocked " << c.lock.lockingOff;
    return o.str();
}

TEST(InitCommon, DefaultsAndTheStationRule) {
    TestDir dir;
    {
        // Without "master.job" in the current directory nothing is read.
        Station s(dir.path() / "a", "  ");
        InitCommon(s.c);
        EXPECT_FALSE(s.c.set.loaded);
        EXPECT_EQ(s.c.set.station, "  ");
        EXPECT_FALSE(fs::exists(s.work / "master.job"));
    }
    {
        // "UZIVATEL" missing: it is set to "01"; every other setting takes
        // its default.
        Station s(dir.path() / "b", "  ");
        WriteHost(s.work / "master.job", Table({Entry("POCITAC", "PC")}));
        InitCommon(s.c);
        const Settings& t = s.c.set;
        EXPECT_TRUE(t.loaded);
        EXPECT_EQ(ReadHost(s.work / "master.job"),
                  Table({Entry("POCITAC", "PC"), Entry("UZIVATEL", "01")}));
        EXPECT_EQ(Describe(s.c),
                  "station 01/1 server '' pc 'PC' CZK tax 0/0/0 year '' period '' euro 0  tab 0 "
                  "lines 64 port 0 flags 0000 mode 0 res 300x300 dirs C:\\WORK\\  customer 00000 "
                  "unlocked 0");
        EXPECT_EQ(t.taxCoef[3], 0);
        EXPECT_EQ(t.userSlot, "0099");  // the user table was made with our word 99
        EXPECT_FALSE(s.c.initializing);
    }
    {
        // "00" becomes "01" too. A table that refuses the change still gives
        // station 01 instead of asking forever.
        Station s(dir.path() / "c", "  ");
        WriteHost(s.work / "master.job", Table({Entry("UZIVATEL", "00")}));
        s.fs.Plan("master.job").writeCode = io::kAccessDenied;
        InitCommon(s.c);
        EXPECT_EQ(s.c.set.station, "01");
        EXPECT_EQ(ReadHost(s.work / "master.job"), Table({Entry("UZIVATEL", "00")}));
    }
}

TEST(InitCommon, EverySettingFromItsSource) {
    TempStation s("  ");
    WriteHost(s.work / "data.adr", "C:\\data\\");
    WriteHost(s.work / "master.job",
              Table({Entry("UZIVATEL", "07xx"), Entry("DAN1", "21"), Entry("DAN2", "12"),
                     Entry("MENA", "EU"), Entry("TAB", "132"), Entry("LIMRAD", "50"),
                     Entry("OB_PORT", "2"), Entry("FMA343", "a"), Entry("NovyList", "A"),
                     Entry("MONPAR", " K L"), Entry("POCITAC", "PC12345"),
                     Entry("ZAK1", "Šroubárn"_cz)}));
    WriteHost(s.root / "data" / "master.job",
              Table({Entry("SERVER1", "192.168."), Entry("SERVER2", "1.10"), Entry("GDPR", "A")}));
    WriteHost(s.work / "UCPARAM.DTA",
              "UcRok : 2 4\r\nUcObd : 03\r\nKursEU : 25.5\r\nMenaEU : EURO\r\n");
    WriteHost(s.work / "par" / "okna2.par", "CencTisk : A\r\n");
    WriteHost(s.work / "par" / "sys.par",
              "ZakPrefix1 : šroub 1\r\nZakPrefix2 : XYZ 5\r\nZakPrefix3 : S 2\r\n"
              "ZakPrefix4 : SROUBARX 4\r\n"_cz);

    FaultPlan& jobFile = s.fs.Plan("master.job");
    InitCommon(s.c);
    // Mode 2: the 2nd "K" and the 4th "L" of MONPAR. Customer prefixes
    // compare without diacritics and in upper case; too short ones are
    // ignored; a prefix that differs does not match.
    EXPECT_EQ(Describe(s.c),
              "station 07/7 server '192.168.1.10' pc 'PC12' EU  tax 21/12/0 year '24' period '03' "
              "euro 25.5 EUR tab 132 lines 50 port 2 flags 1111 mode 2 res 300x300 dirs "
              "C:\\WORK\\ C:\\DATA\\ customer 10000 unlocked 0");
    EXPECT_DOUBLE_EQ(s.c.set.taxCoef[1], 0.173553719008);  // 21 / 121 to 12 places
    EXPECT_DOUBLE_EQ(s.c.set.taxCoef[2], 0.107142857143);  // 12 / 112
    // The job table was read once for all the settings.
    EXPECT_GE(jobFile.opens, 1);
    EXPECT_LE(jobFile.opens, 4);
    // After start-up every GetJob reads the file again.
    WriteHost(s.work / "master.job", Table({Entry("TAB", "80")}));
    EXPECT_EQ(GetJob(s.c, "TAB"), "80");
}

TEST(InitCommon, LockingExceptionAndCharacterModes) {
    struct Case {
        std::string dataAdr, monpar, diaktisk;
        bool lockingOff;
        int mode;
    };
    const Case cases[] = {
        {"\\work\\", "abcd", "", true, 0},    // no drive: compared without "C:"
        {"C:\\work\\", "x xL", "", true, 1},  // same directory
        {"C:\\work\\sub\\", "xLxK", "", false, 3},
        {"D:\\work\\", "x xK", "", false, 4},
        {"", "xKxL", " N ", false, 5},        // "DIAKTISK" N wins
        {"", "xkxl", "NN", false, 2},
    };
    for (const Case& k : cases) {
        TempStation s("  ");
        if (!k.dataAdr.empty()) WriteHost(s.work / "data.adr", k.dataAdr);
        std::vector<std::string> entries = {Entry("UZIVATEL", "02"), Entry("MONPAR", k.monpar)};
        if (!k.diaktisk.empty()) entries.push_back(Entry("DIAKTISK", k.diaktisk));
        WriteHost(s.work / "master.job", Table(entries));
        InitCommon(s.c);
        EXPECT_EQ(s.c.lock.lockingOff, k.lockingOff) << k.dataAdr;
        EXPECT_EQ(s.c.set.printCharMode, k.mode) << k.monpar;
    }
}

}  // namespace
}  // namespace kj
