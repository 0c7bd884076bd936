// The print file writer, print fonts, and reports sent to a printer port.

#include "kj_test.h"

#include "print/port_printer.h"
#include "print/print_fonts.h"
#include "print/print_output.h"
#include "print/print_viewer.h"
#include "print/print_writer.h"
#include "print_station.h"
#include "services/protocol.h"

namespace kj {
namespace {

using printtest::PrintFile;
using printtest::Station;

class PrintWriterTest : public ::testing::Test {
protected:
    TestDir dir;
    Station s{dir.path()};
};

TEST_F(PrintWriterTest, LinesArePaddedOrCutToTheWidthAndTheSideFileKeepsItsOwnLines) {
    OpenPrintFile(s.c, "kniha", 10);
    WritePrintLine(s.c, "abc");
    WritePrintLine(s.c, "0123456789ABCDEF");
    WritePrintLine(s.c, "\fStrana 2 "_cz);
    WritePrintLine(s.c, "");
    WriteCsvLine(s.c, "Datum;Km;Účel"_cz);
    WriteCsvLine(s.c, "01.02.26;12,5;jízda"_cz);
    EXPECT_EQ(PrintOutputOf(s.c).writer().lineCount(), 4);
    EXPECT_EQ(PrintOutputOf(s.c).writer().pageCount(), 1);
    ClosePrintFile(s.c);

    EXPECT_EQ(ReadHost(s.Work("kniha.TXT")),
              "abc       \r\n0123456789\r\n\fStrana 2 \r\n          \r\n"_cz);
    // "XLS\" did not exist: it is made on first use.
    EXPECT_EQ(ReadHost(s.Work("XLS/kniha.CSV")), "Datum;Km;Účel\r\n01.02.26;12,5;jízda\r\n"_cz);
    EXPECT_TRUE(s.ui.shown.empty());
}

TEST_F(PrintWriterTest, StarNameWritesNoSideFileAndMakesItsDirectories) {
    OpenPrintFile(s.c, "*sestavy\\2026\\leden", 5);
    WritePrintLine(s.c, "x");
    WriteCsvLine(s.c, "a;b");
    ClosePrintFile(s.c);
    EXPECT_EQ(ReadHost(s.Work("sestavy/2026/leden.TXT")), "x    \r\n");
    EXPECT_FALSE(fs::exists(s.Work("XLS")));
    // Without "*" the side file takes the base name after the last "\".
    OpenPrintFile(s.c, "sestavy\\unor", 5);
    WriteCsvLine(s.c, "c;d");
    WritePrintLine(s.c, "y");
    ClosePrintFile(s.c);
    EXPECT_EQ(ReadHost(s.Work("XLS/unor.CSV")), "c;d\r\n");
}

TEST_F(PrintWriterTest, ReportThatWroteNothingLeavesNoFileBehind) {
    WriteHost(s.Work("prazdna.txz"), "old");
    OpenPrintFile(s.c, "prazdna", 80);
    ClosePrintFile(s.c);
    EXPECT_FALSE(fs::exists(s.Work("prazdna.TXT")));
    EXPECT_FALSE(fs::exists(s.Work("prazdna.txz")));
    EXPECT_FALSE(fs::exists(s.Work("XLS/prazdna.CSV")));
    // Lines without side lines: the empty side file goes, the report stays.
    OpenPrintFile(s.c, "jen", 3);
    WritePrintLine(s.c, "a");
    ClosePrintFile(s.c);
    EXPECT_TRUE(fs::exists(s.Work("jen.TXT")));
    EXPECT_FALSE(fs::exists(s.Work("XLS/jen.CSV")));
}

TEST_F(PrintWriterTest, PersonalDataSwitchScramblesEachPaddedLine) {
    s.c.set.personalData = true;
    OpenPrintFile(s.c, "gdpr", 8);
    WritePrintLine(s.c, "Novák"_cz);
    ClosePrintFile(s.c);
    const std::string bytes = ReadHost(s.Work("gdpr.TXT"));
    ASSERT_EQ(bytes.size(), 10u);
    EXPECT_EQ(bytes.substr(0, 8), Scramble("Novák   "_cz, SystemKey()));
    EXPECT_EQ(bytes.substr(8), "\r\n");
}

TEST_F(PrintWriterTest, TextFileThatCannotBeCreatedIsReportedAndLaterWritesGoNowhere) {
    s.fs.Plan("chyba.TXT").openCode = io::kAccessDenied;
    OpenPrintFile(s.c, "chyba", 10);
    WritePrintLine(s.c, "ztraceno");
    ClosePrintFile(s.c);
    ASSERT_EQ(s.ui.Count("beep"), 1);
    EXPECT_EQ(s.ui.Last("beep"), "Err  5 chyba.TXT");
    EXPECT_FALSE(fs::exists(s.Work("chyba.TXT")));
    EXPECT_FALSE(fs::exists(s.Work("XLS/chyba.CSV")));
}

TEST_F(PrintWriterTest, SideDirectoryThatCannotBeMadeLeavesTheReportWithoutSideFile) {
    // "XLS" is a file: the directory can never be made. The writer must not
    // try for ever.
    WriteHost(s.Work("XLS"), "not a directory");
    OpenPrintFile(s.c, "bez", 4);
    WriteCsvLine(s.c, "a;b");
    WritePrintLine(s.c, "ok");
    ClosePrintFile(s.c);
    EXPECT_EQ(ReadHost(s.Work("bez.TXT")), "ok  \r\n");
    EXPECT_EQ(ReadHost(s.Work("XLS")), "not a directory");
}

TEST_F(PrintWriterTest, ShowPrintFileRefusesFilesUnderThreeBytes) {
    int shown = 0;
    PrintOutputOf(s.c).showViewer = [&](TfPozri& v) {
        ++shown;
        v.KeyDown(key::kEscape, key::Mod::None);
    };
    for (const std::string bytes : {"", "a", "ab"}) {
        WriteHost(s.Work("mala.txt"), bytes);
        EXPECT_FALSE(ShowPrintFile(s.c, "mala")) << bytes.size();
        EXPECT_EQ(s.ui.Last("beep"), "Prázdná tisková sestava"_cz);
    }
    EXPECT_EQ(s.ui.Count("beep"), 3);
    EXPECT_EQ(shown, 0);
    WriteHost(s.Work("mala.txt"), "abc");
    EXPECT_FALSE(ShowPrintFile(s.c, "mala"));  // left with Esc
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(PrintOutputOf(s.c).cancelled());
    EXPECT_FALSE(PrintOutputOf(s.c).viewer().loaded());
}

TEST_F(PrintWriterTest, DirectPrintSendsTheReportToThePortWithoutShowingIt) {
    const fs::path capture = dir.path() / "lpt2.out";
    SetReg(s.c, "par\\sys.par", "LPT2", capture.string());
    WriteHost(s.Work("master.job"), std::string(3600, '\0'));
    SetJob(s.c, "LPT", "2");
    WriteHost(s.Work("prime.txt"), PrintFile({"Prvni", "Druhy"}, 6));
    PrintOutput& out = PrintOutputOf(s.c);
    out.directPrint = true;
    int shown = 0;
    out.showViewer = [&](TfPozri&) { ++shown; };
    EXPECT_TRUE(ShowPrintFile(s.c, "prime"));
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(ReadHost(capture), "Prvni\r\nDruhy\r\n");
    // Without a port: the desktop printer, with no dialog to answer.
    SetJob(s.c, "LPT", "");
    printtest::RecordingCanvas canvas;
    int finished = 0;
    std::vector<PrintTarget> targets;
    out.prepareViewer = [&](TfPozri& v) {
        v.openPrintJob = [&](PrintTarget target, const std::string&) {
            targets.push_back(target);
            return std::make_unique<printtest::RecordingJob>(canvas, &finished);
        };
    };
    EXPECT_TRUE(ShowPrintFile(s.c, "prime"));
    EXPECT_EQ(targets, std::vector<PrintTarget>{PrintTarget::Direct});
    EXPECT_EQ(canvas.Texts(), (std::vector<std::string>{"Prvni", "Druhy"}));
    EXPECT_EQ(shown, 0);
}

// ---- print fonts ----

using printtest::Station;

class PrintFontsTest : public ::testing::Test {
protected:
    TestDir dir;
    Station s{dir.path()};
};

TEST_F(PrintFontsTest, HeightAndWidthAreScaledFrom300DotsToThePrinter) {
    WriteHost(s.Work("norm.fnt"),
              "Height : 42\r\nWidth : 25\r\nWeight : 700\r\nItalic : 1\r\nCharset : 238\r\n"
              "FaceName : Courier New\r\n");
    struct Case {
        int dpiX, dpiY, height, width;
    };
    for (const Case& c : {Case{600, 600, 84, 50}, Case{300, 300, 42, 25}, Case{360, 180, 25, 30},
                          Case{203, 203, 28, 16}}) {
        const PrintFont f = CreatePrintFont(s.c, "norm", c.dpiX, c.dpiY);
        EXPECT_EQ(f.height, c.height) << c.dpiY;
        EXPECT_EQ(f.width, c.width) << c.dpiX;
        EXPECT_EQ(f.weight, 700);
        EXPECT_EQ(f.italic, 1);
        EXPECT_EQ(f.charset, 238);
        EXPECT_EQ(f.faceName, "Courier New");
    }
}

TEST_F(PrintFontsTest, FontComesFromTheProgramDirectoryWhenMissingOrEmptyHere) {
    WriteHost(s.Prog("2/cond.fnt"), "Height : 30\r\nFaceName : Arial Narrow\r\n");
    EXPECT_EQ(ReadPrintFont(s.c, "cond").faceName, "Arial Narrow");
    WriteHost(s.Work("cond.fnt"), "");
    EXPECT_EQ(ReadPrintFont(s.c, "cond").height, 30);
    WriteHost(s.Work("cond.fnt"), "Height : 31\r\n");
    EXPECT_EQ(ReadPrintFont(s.c, "cond").height, 31);
    // Neither here nor there: every field 0, the printer's default font.
    EXPECT_EQ(ReadPrintFont(s.c, "12zn"), PrintFont());
    // A face name edited by hand beyond the field is cut to it.
    WriteHost(s.Work("12zn.fnt"), "FaceName : " + std::string(40, 'F') + "\r\n");
    EXPECT_EQ(ReadPrintFont(s.c, "12zn").faceName, std::string(31, 'F'));
}

TEST_F(PrintFontsTest, FirstStartCopiesTheThreeFilesAndShowsTheNormalFont) {
    WriteHost(s.Prog("2/norm.fnt"), "Height : 42\r\nWidth : 25\r\nFaceName : Courier New\r\n");
    WriteHost(s.Prog("2/12zn.fnt"), "Height : 36\r\nWidth : 20\r\nFaceName : Courier New\r\n");
    WriteHost(s.Prog("2/cond.fnt"), "Height : 30\r\nWidth : 15\r\nFaceName : Courier New\r\n");
    FontyTisky form(s.c);
    form.Activate();
    for (const char* name : {"norm.fnt", "12zn.fnt", "cond.fnt"})
        EXPECT_EQ(ReadHost(s.Work(name)), ReadHost(s.Prog(std::string("2/") + name))) << name;
    EXPECT_EQ(form.selected(), 1);
    EXPECT_EQ(FontyTisky::Lines()[0], " 80 zn/řádek"_cz);
    EXPECT_EQ(form.height(), "42");
    EXPECT_EQ(form.width(), "25");
    EXPECT_EQ(form.face(), "Courier New");
    // A second start keeps the user's files.
    SetReg(s.c, "norm.fnt", "Height", "50");
    FontyTisky again(s.c);
    again.Activate();
    EXPECT_EQ(again.height(), "50");
}

TEST_F(PrintFontsTest, ValuesGoToTheFontTheyCameFromAndEmptyFieldsKeepTheStoredOnes) {
    WriteHost(s.Work("norm.fnt"), "Height : 42\r\nWidth : 25\r\nFaceName : Courier New\r\n");
    WriteHost(s.Work("12zn.fnt"), "Height : 36\r\nWidth : 20\r\nFaceName : Courier New\r\n");
    WriteHost(s.Work("cond.fnt"), "Height : 30\r\nWidth : 15\r\nFaceName : Courier New\r\n");
    FontyTisky form(s.c);
    form.Activate();
    form.Select(2);
    EXPECT_EQ(form.height(), "36");
    form.width().clear();
    form.height() = " 40.0";
    form.LeaveHeight();
    EXPECT_EQ(form.height(), "40");
    form.Select(3);  // the cleared width stays 20 in "12zn"
    EXPECT_EQ(GetReg(s.c, "12zn.fnt", "Width"), "20");
    EXPECT_EQ(GetReg(s.c, "12zn.fnt", "Height"), "40");
    EXPECT_EQ(form.width(), "15");
    // A height of three digits is kept whole.
    form.height() = "120";
    form.LeaveHeight();
    EXPECT_EQ(GetReg(s.c, "cond.fnt", "Height"), "120");
    // A face name longer than the field is refused.
    EXPECT_FALSE(form.ChooseFace(std::string(32, 'X')));
    EXPECT_EQ(s.ui.Count("beep"), 1);
    EXPECT_EQ(form.face(), "Courier New");
    EXPECT_TRUE(form.ChooseFace(std::string(31, 'Y')));
    form.Close();
    EXPECT_EQ(GetReg(s.c, "cond.fnt", "FaceName"), std::string(31, 'Y'));
    EXPECT_EQ(GetReg(s.c, "norm.fnt", "FaceName"), "Courier New");
}

// ---- printer ports ----

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
