#include "kj_test.h"

#include "print/print_output.h"
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

}  // namespace
}  // namespace kj
