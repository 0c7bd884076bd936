#include "kj_test.h"

#include "print/port_printer.h"
#include "print/print_viewer.h"
#include "print_station.h"

namespace kj {
namespace {

using printtest::PrintFile;
using printtest::Station;

TEST(PrinterCodes, Sequences) {
    struct Case {
        std::string text;
        bool ok;
        std::string bytes;
    };
    const Case cases[] = {
        {"#27,\"@\"", true, "\x1B@"},
        {"$1B $40", true, "\x1B@"},
        {"$1b,$0f", true, "\x1B\x0F"},
        {"{reset} #13 #10", true, "\r\n"},
        {"#27\"(s16.6H\"", true, "\x1B(s16.6H"},
        {"\"a b\",#0", true, std::string("a b\0", 4)},
        {"", true, ""},
        {"#256", false, ""},
        {"$1G", false, ""},
        {"#12x", false, ""},
        {"\"open", false, ""},
        {"{open", false, ""},
        {"ESC", false, ""},
    };
    for (const Case& c : cases) {
        std::string bytes, error;
        EXPECT_EQ(ParsePrinterCodes(c.text, &bytes, &error), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(bytes, c.bytes) << c.text;
        }
    }
}

TEST(PrinterCodes, DefinitionFile) {
    PrinterDefinition def;
    EXPECT_EQ(ParsePrinterDefinition("{Epson LX}\r\nINIT #27,\"@\"\r\n\r\nCOND $0F\r\nKODY KAM\n"
                                     "PAGE #12 #13\r\n",
                                     &def),
              "");
    EXPECT_EQ(def.init, "\x1B@");
    EXPECT_EQ(def.cond, "\x0F");
    EXPECT_EQ(def.norm, "");
    EXPECT_EQ(def.lineEnd, "\r\n");
    EXPECT_EQ(def.pageEnd, "\f\r");
    EXPECT_EQ(def.codePage, PrinterDefinition::CodePage::Kamenicky);
    EXPECT_EQ(ParsePrinterDefinition("INIT #27\r\nTISK #1\r\n", &def),
              "Chybný řádek 2 v definici tiskárny: TISK #1"_cz);
    EXPECT_NE(ParsePrinterDefinition("NORM #27,#300\r\n", &def), "");
    EXPECT_NE(ParsePrinterDefinition("KODY 437\r\n", &def), "");
}

class PortTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteHost(s.Work("master.job"), std::string(3600, '\0'));
        SetReg(s.c, "par\\sys.par", "LPT1", (dir.path() / "lpt1.out").string());
        SetReg(s.c, "par\\sys.par", "LPT3", (dir.path() / "lpt3.out").string());
    }
    std::string Port(int n) { return ReadHost(dir.path() / ("lpt" + std::to_string(n) + ".out")); }

    TestDir dir;
    Station s{dir.path()};
    TfPozri v{s.c};
};

TEST_F(PortTest, PortNumberComesFromTheJobEntry) {
    for (const auto& [value, port] : std::vector<std::pair<std::string, int>>{
             {"", 1}, {"0", 1}, {"1", 1}, {"3", 3}, {"4", 4}}) {
        SetJob(s.c, "LPT", value);
        EXPECT_EQ(PrintPortNumber(s.c), port) << value;
    }
}

TEST_F(PortTest, F9SendsTheReportWithThePrintersCodes) {
    WriteHost(s.Prog("2/EPSON.dst"),
              "INIT #27,\"@\"\r\nNORM #18\r\nELIT #27,\"M\"\r\nCOND $0F\r\nLINE #13,#10\r\n"
              "PAGE #12\r\nKODY 1250\r\n");
    SetJob(s.c, "LPT", "3");
    SetJob(s.c, "TISKARNA", "EPSON");
    SetJob(s.c, "TOPLIST", "1");
    SetJob(s.c, "DIAKTISK", "n");
    SetReg(s.c, kRegistryFile, "Hustota", " 2");
    WriteHost(s.Work("port.txt"), PrintFile({"Řádek"_cz + "\x0F" "uzky", "\fStrana 2", "a\x07" "b"}, 16));
    ASSERT_TRUE(v.LoadPrintFile("port.txt"));
    v.KeyDown(key::kF9, key::Mod::None);
    EXPECT_EQ(Port(3), "\x1B@" "\r\n" "\x1BM" "Radek\x0Fuzky\r\n" "\fStrana 2\r\n" "ab\r\n");
    EXPECT_EQ(s.ui.Count("beep"), 0);
    // Alt+F5 a line feed, Ctrl+F5 a form feed, to the same port.
    v.KeyDown(key::kF5, key::Mod::Alt);
    v.KeyDown(key::kF5, key::Mod::Ctrl);
    EXPECT_EQ(Port(3).substr(Port(3).size() - 2), "\n\f");
}

TEST_F(PortTest, WithoutADefinitionTheTextGoesInCodePage852) {
    WriteHost(s.Work("prosty.txt"), PrintFile({"žluť"_cz}, 4));
    ASSERT_TRUE(v.LoadPrintFile("prosty.txt"));
    v.KeyDown(key::kF9, key::Mod::None);
    EXPECT_EQ(Port(1), MapHighChars("žluť"_cz) + "\r\n");
    // A printer type whose definition is nowhere is reported; nothing is sent.
    SetJob(s.c, "TISKARNA", "NEZNAMA");
    v.KeyDown(key::kF9, key::Mod::None);
    EXPECT_EQ(Port(1), MapHighChars("žluť"_cz) + "\r\n");
    EXPECT_NE(s.ui.Last("beep").find("Chybí definice tiskárny"_cz), std::string::npos);
}

TEST_F(PortTest, PortThatCannotBeOpenedIsReported) {
    SetReg(s.c, "par\\sys.par", "LPT1", (dir.path() / "nowhere" / "lpt").string());
    WriteHost(s.Work("x.txt"), PrintFile({"x"}, 1));
    ASSERT_TRUE(v.LoadPrintFile("x.txt"));
    v.KeyDown(key::kF9, key::Mod::None);
    EXPECT_NE(s.ui.Last("beep").find("při otevírání LPT1"_cz), std::string::npos);
}

}  // namespace
}  // namespace kj
