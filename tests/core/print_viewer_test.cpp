#include "kj_test.h"

#include "print/print_output.h"
#include "print/print_viewer.h"
#include "print_station.h"
#include "services/protocol.h"

namespace kj {
namespace {

using printtest::PrintFile;
using printtest::RecordingCanvas;
using printtest::RecordingJob;
using printtest::Station;

class ViewerTest : public ::testing::Test {
protected:
    // Plants the file and opens it in the viewer.
    void Open(const std::string& name, const std::string& bytes) {
        WriteHost(s.Work(name), bytes);
        ASSERT_TRUE(v.LoadPrintFile(name)) << s.ui.Last("beep");
    }
    std::string Shown(int gridRow) const {
        return StripRight(v.gridRows().at(static_cast<std::size_t>(gridRow - 1)).cells.at(0));
    }
    void Key(int vk, key::Mod mods = key::Mod::None) { v.KeyDown(vk, mods); }
    void PrintOnRecorder() {
        v.openPrintJob = [this](PrintTarget, const std::string& printer) {
            defaultPrinter = printer;
            return std::make_unique<RecordingJob>(canvas, &finished);
        };
    }
    void FontFile(const std::string& name, const std::string& face, int height) {
        WriteHost(s.Work(name + ".fnt"),
                  "Height : " + std::to_string(height) + "\r\nFaceName : " + face + "\r\n");
    }

    TestDir dir;
    Station s{dir.path()};
    TfPozri v{s.c};
    RecordingCanvas canvas;
    int finished = 0;
    std::string defaultPrinter;
};

// ---- width, display ----

TEST(PrintWidth, FirstTwoLinesOfOneLengthGiveTheWidth) {
    struct Case {
        std::vector<std::size_t> lengths;
        int width;
    };
    const Case cases[] = {
        {{132, 132, 132}, 132}, {{80, 80}, 80}, {{1, 1, 1}, 1}, {{490, 490}, 490},
        {{80, 100, 90, 70}, 491},  // no k fits both line ends
        {{495, 495}, 491},         // wider than a print line can be
    };
    for (const Case& c : cases) {
        std::string head;
        for (std::size_t n : c.lengths) head += std::string(n, 'x') + "\r\n";
        EXPECT_EQ(DetectLineWidth(head, static_cast<std::int64_t>(head.size())), c.width)
            << c.lengths.front();
    }
    // A report of a single line has the width of that line, when it ends
    // the file.
    EXPECT_EQ(DetectLineWidth("jen jeden\r\n", 11), 9);
    EXPECT_EQ(DetectLineWidth("jen jeden\r\nx", 12), 491);
}

// The width found decides how the file is cut into lines: one line, lines
// of 132 characters with an incomplete tail, and mixed first lines read as
// 491-character records.
TEST_F(ViewerTest, ReportIsCutIntoLinesOfTheWidthFound) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 40; ++i) lines.push_back("Radek " + std::to_string(i) + std::string(120, '-'));
    const std::pair<std::string, int> cases[] = {
        {"Celkem 12 km\r\n", 12},
        {std::string(80, 'a') + "\r\n" + std::string(100, 'b') + "\r\n" + std::string(2000, 'c'), 491},
        {PrintFile(lines, 132) + "tail", 132}};
    for (const auto& [bytes, width] : cases) {
        Open("siroka.txt", bytes);
        EXPECT_EQ(v.lineWidth(), width);
        EXPECT_EQ(v.count(), static_cast<int>(bytes.size()) / (width + 2));
    }
    EXPECT_EQ(Shown(1), lines[0]);
    EXPECT_EQ(Shown(2), lines[1]);
    EXPECT_EQ(v.caption().rfind(" Soubor: " + s.c.fs.CurrentDir() + "siroka.txt", 0), 0u) << v.caption();
}

TEST_F(ViewerTest, ControlBytesAreShownVisibleAndLongLinesScrollToTheirEnd) {
    Open("ridici.txt", PrintFile({"\fA\x0E" "B\x0F" "C\x12" "D", "obycejny;radek"}, 16));
    EXPECT_EQ(Shown(1), "@A#B~C^D");
    EXPECT_EQ(Shown(2), "obycejny;radek");
    // The stored line keeps its bytes.
    EXPECT_EQ(v.Line(1), std::string("\fA\x0E" "B\x0F" "C\x12" "D        "));
    // Lines longer than a column can be scrolled to their end.
    std::string line(300, '.');
    line[259] = 'Z';
    Open("dlouha.txt", PrintFile({line, line}, 300));
    ASSERT_EQ(v.lineWidth(), 300);
    for (int i = 0; i < 13; ++i) Key(key::kRight, key::Mod::Ctrl);  // offset 261
    Key(key::kLeft);                                                  // offset 260
    EXPECT_EQ(v.horizontalOffset(), 260);
    EXPECT_EQ(Shown(1).substr(0, 1), "Z");
    EXPECT_EQ(Shown(1).size(), 41u);
}

// ---- F4 ----

// Reports of `pages` pages of 8 lines; every page after the first begins
// with a form feed and names its number on line `markerLine` of the page.
std::vector<std::string> Pages(int pages, int markerLine, const std::string& marker = "List :") {
    std::vector<std::string> lines;
    for (int p = 1; p <= pages; ++p) {
        for (int l = 1; l <= 8; ++l) {
            std::string line = l == 1 ? std::string(p == 1 ? "" : "\f") + "Kniha jizd" : "jizda";
            if (l == markerLine) line = "Vozidlo 1AB2345   " + marker + FormatPic("####", p);
            lines.push_back(line);
        }
    }
    return lines;
}

TEST_F(ViewerTest, F4FindsThePageByTheMarkerInTheFirstFourLinesOfAPageOnly) {
    Open("strany.txt", PrintFile(Pages(20, 3), 40));
    ASSERT_EQ(v.Line(3 + 6 * 8).substr(18, 10), "List :   7");
    s.ui.fields.push_back({true, {"7"}});
    Key(key::kF4);
    EXPECT_EQ(v.current(), 6 * 8 + 1);
    EXPECT_EQ(v.top(), 6 * 8);  // the page starts at the top of the list
    // From there on, a page before it is found after wrapping to line 1.
    s.ui.fields.push_back({true, {"2"}});
    Key(key::kF4);
    EXPECT_EQ(v.current(), 9);
    s.ui.fields.push_back({true, {"1"}});
    Key(key::kF4);
    EXPECT_EQ(v.current(), 1);
    EXPECT_EQ(s.ui.Count("note"), 0);
    // A marker past the fourth line of a page is not looked at.
    Open("pata.txt", PrintFile(Pages(9, 5), 40));
    v.JdiNa(20, 0);
    s.ui.fields.push_back({true, {"7"}});
    Key(key::kF4);
    EXPECT_EQ(v.current(), 20);
    EXPECT_EQ(s.ui.Last("note"), "List 7 nenalezen");
}

TEST(PrintPageNumber, MarkersAreTriedInTheirOrder) {
    struct Case {
        std::vector<std::string> lines;
        int page;
    };
    const Case cases[] = {
        {{"\fHlava", "List :  12"}, 12}, {{"\fList:   3"}, 3}, {{"\fL :   4", "List :   9"}, 4},
        {{"\fList :   9", "L:   5"}, 5},  // "L:" is tried before "List :"
        {{"\fStrana 3"}, -1}, {{"\fList : 1x"}, 0},  // the last: not a whole number
    };
    for (const Case& c : cases)
        EXPECT_EQ(PageNumberIn(c.lines.data(), static_cast<int>(c.lines.size())), c.page)
            << c.lines.back();
}

// ---- printing ----

TEST_F(ViewerTest, F10WithThreeMarkedLinesPrintsExactlyThoseThree) {
    Open("znacky.txt", PrintFile({"L1", "L2", "L3", "L4", "L5", "L6"}, 8));
    PrintOnRecorder();
    v.JdiNa(2, 0);
    Key(key::kInsert);  // marks 2, goes to 3
    Key(key::kDown);
    Key(key::kInsert);  // 4
    Key(key::kInsert);  // 5
    ASSERT_EQ(v.markedCount(), 3);
    v.TakeRequests();
    Key(key::kF10);
    EXPECT_EQ(canvas.Texts(), (std::vector<std::string>{"L2", "L4", "L5"}));
    EXPECT_EQ(finished, 1);
    // F10 prints and nothing more: the viewer's menu is its own, not the
    // list's pop-up menu that F10 opens in other lists.
    EXPECT_FALSE(v.TakeRequests().popupMenu);
    EXPECT_EQ(s.ui.Texts("busy"), std::vector<std::string>{"Probíhá tisk"_cz});
    // Without marks: from the current line to the last.
    v.ZrusOznaceni();
    v.JdiNa(5, 0);
    canvas.calls.clear();
    Key(key::kF10);
    EXPECT_EQ(canvas.Texts(), (std::vector<std::string>{"L5", "L6"}));
}

TEST_F(ViewerTest, PrintSwitchesFontsInTheMiddleOfALineAndFollowsTheStream) {
    FontFile("norm", "Normal", 42);
    FontFile("12zn", "Elite", 36);
    FontFile("cond", "Condensed", 30);
    Open("fonty.txt", PrintFile({"ab\x0F" "cd\x12" "ef", "x\ty", "\fnova", "k\x07l\x10m   "}, 12));
    PrintOnRecorder();
    Key(key::kF10);
    const std::vector<printtest::Drawn>& d = canvas.calls;
    // Fonts at the printer's 600 dpi: twice the stored 300-dpi heights.
    ASSERT_GE(d.size(), 4u);
    EXPECT_EQ(d[0].op, "font");
    EXPECT_EQ(d[0].height, 84);
    std::vector<std::string> seen;
    for (const printtest::Drawn& x : d)
        seen.push_back(x.op == "text" ? x.text + "@" + std::to_string(x.x) + "," + std::to_string(x.y)
                                      : x.op + ":" + x.text);
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "font:Normal", "ab@0,0", "font:Condensed", "cd@20,0", "font:Normal",
                        "ef@40,0",
                        // the line was ended in "norm": 84 dots lower; the tab
                        // goes to 8 characters of 10 dots
                        "x@0,84", "y@80,84",
                        // 168 + 84 > 200: the line starts page 2; its form feed
                        // does not eject another sheet
                        "page:", "nova@0,0",
                        // bytes 7 and 16 are dropped, trailing blanks too
                        "klm@0,84"}));
}

TEST_F(ViewerTest, PrintTakesDensityTopMarginDiacriticsSemicolonsAndCopiesFromTheSettings) {
    FontFile("norm", "Normal", 20);
    FontFile("cond", "Condensed", 20);
    WriteHost(s.Work("master.job"), std::string(3600, '\0'));
    SetJob(s.c, "TOPLIST", "2");
    SetJob(s.c, "DIAKTISK", " N ");
    SetReg(s.c, kRegistryFile, "Hustota", " 3");
    SetReg(s.c, kRegistryFile, "OpakovatTisk", "  2");
    SetReg(s.c, kSysPar, "stredniky", "Ano");
    SetReg(s.c, kSysPar, "TiskDefault", "HP LaserJet");
    Open("nastaveni.txt", PrintFile({"Žluťoučký;kůň"_cz}, 20));
    PrintOnRecorder();
    Key(key::kF10);
    EXPECT_EQ(defaultPrinter, "HP LaserJet");
    std::vector<std::string> seen;
    for (const printtest::Drawn& x : canvas.calls)
        seen.push_back(x.op == "text" ? x.text + "@" + std::to_string(x.y) : x.op + ":" + x.text);
    // Two empty lines of the 40-dot "cond" (20 at 300 dpi) above the text.
    EXPECT_EQ(seen, (std::vector<std::string>{"font:Condensed", "Zlutoucky kun@80", "page:",
                                              "font:Condensed", "Zlutoucky kun@80"}));
}

// A report wider than the stored density's line starts in the font that
// holds it; a narrower one keeps the user's density.
TEST_F(ViewerTest, WideReportRaisesTheStartDensityNarrowKeepsTheStoredOne) {
    FontFile("norm", "Normal", 20);
    FontFile("12zn", "Twelve", 20);
    FontFile("cond", "Condensed", 20);
    const struct { const char* stored; int width; const char* font; } cases[] = {
        {" 1", 132, "Condensed"}, {"", 90, "Twelve"}, {" 2", 80, "Twelve"},
        {"", 80, "Normal"},       {" 3", 40, "Condensed"}};
    PrintOnRecorder();
    for (const auto& k : cases) {
        SetReg(s.c, kRegistryFile, "Hustota", k.stored);
        Open("siroka.txt", PrintFile({"x"}, k.width));
        canvas.calls.clear();
        Key(key::kF10);
        ASSERT_FALSE(canvas.calls.empty());
        EXPECT_EQ(canvas.calls[0].text, k.font) << k.width << k.stored;
    }
}

// The semicolon switch toggled twice leaves the entry empty; the printer
// is stored only when one was chosen; F2 and F5 store density and copies.
TEST_F(ViewerTest, MenuAndKeysStoreTheSettings) {
    Open("stredniky.txt", PrintFile({"a;b"}, 3));
    v.MenuChosen(7);
    EXPECT_EQ(GetReg(s.c, kSysPar, "stredniky"), "Ano");
    EXPECT_EQ(Shown(1), "a b");
    v.MenuChosen(7);
    EXPECT_EQ(GetReg(s.c, kSysPar, "stredniky"), "");
    EXPECT_EQ(ReadHost(s.Work("par/sys.par")).find("Ano"), std::string::npos);
    EXPECT_EQ(Shown(1), "a;b");

    std::vector<std::string> answers = {"", "Kancelar HP"}, offered;
    v.printerSetup = [&](const std::string& current) {
        offered.push_back(current);
        const std::string a = answers.back();
        answers.pop_back();
        return a;
    };
    v.MenuChosen(2);
    v.MenuChosen(2);  // cancelled: the choice stays
    EXPECT_EQ(offered, (std::vector<std::string>{"", "Kancelar HP"}));
    EXPECT_EQ(GetReg(s.c, kSysPar, "TiskDefault"), "Kancelar HP");

    s.ui.choices.push_back(3);
    Key(key::kF2);
    EXPECT_EQ(s.ui.Last("choose"), "Počet znaků na řádku"_cz);
    EXPECT_EQ(GetReg(s.c, kRegistryFile, "Hustota"), " 3");
    s.ui.fields.push_back({true, {"2"}});
    Key(key::kF5);
    EXPECT_EQ(GetReg(s.c, kRegistryFile, "OpakovatTisk"), "  2");
    EXPECT_EQ(v.RepeatCount(), 2);
}

// ---- changing the report ----

TEST_F(ViewerTest, InsertAndDeleteRewriteTheReportThroughTheWorkFile) {
    Open("zmeny.txt", PrintFile({"aaaa", "bbbb", "cccc"}, 4) + "zb");
    v.JdiNa(2, 0);
    Key(key::kF7);
    EXPECT_EQ(ReadHost(s.Work("zmeny.txt")), "aaaa\r\n    \r\nbbbb\r\ncccc\r\nzb");
    EXPECT_EQ(v.count(), 4);
    EXPECT_EQ(v.current(), 2);
    v.editLine = [](std::string& text, const std::string&) {
        text = "nový text"_cz;
        return true;
    };
    Key(key::kF7, key::Mod::Ctrl);
    EXPECT_EQ(ReadHost(s.Work("zmeny.txt")), "aaaa\r\nnový\r\n    \r\nbbbb\r\ncccc\r\nzb"_cz);
    // F8 deletes the current line and every marked one.
    v.JdiNa(1, 0);
    Key(key::kInsert);  // marks 1, goes to 2
    v.JdiNa(4, 0);
    Key(key::kF8);
    EXPECT_EQ(ReadHost(s.Work("zmeny.txt")), "nový\r\n    \r\ncccc\r\nzb"_cz);
    EXPECT_EQ(v.count(), 3);
    EXPECT_EQ(v.markedCount(), 0);
    EXPECT_FALSE(fs::exists(s.Work("tisk.wrk")));
    // F8 needs two lines.
    Open("jedna.txt", PrintFile({"jen"}, 3));
    Key(key::kF8);
    EXPECT_EQ(ReadHost(s.Work("jedna.txt")), "jen\r\n");
}

TEST_F(ViewerTest, FailedWorkFileLeavesTheReportAsItWas) {
    const std::string before = PrintFile({"aaaa", "bbbb", "cccc"}, 4);
    Open("cela.txt", before);
    s.fs.Plan("tisk.wrk").writeCode = io::kDiskWriteError;
    Key(key::kF7);
    EXPECT_EQ(ReadHost(s.Work("cela.txt")), before);
    EXPECT_FALSE(fs::exists(s.Work("tisk.wrk")));
    EXPECT_NE(s.ui.Last("beep").find("při přepisu sestavy"_cz), std::string::npos);
    EXPECT_EQ(v.count(), 3);
}

TEST_F(ViewerTest, SpaceEditsTheLineInPlaceAndAltF9CopiesLinesIntoDoklad) {
    Open("edit.txt", PrintFile({"prvni", "druhy", "treti"}, 6));
    v.JdiNa(2, 0);
    s.ui.fields.push_back({true, {"DRUHY RADEK"}});
    Key(key::kSpace);
    EXPECT_EQ(ReadHost(s.Work("edit.txt")), PrintFile({"prvni", "DRUHY", "treti"}, 6));
    EXPECT_EQ(Shown(2), "DRUHY");
    // Two lines asked for from line 2; five would pass the last line.
    s.ui.fields.push_back({true, {"5"}});
    Key(key::kF9, key::Mod::Alt);
    EXPECT_EQ(ReadHost(s.Work("doklad.txt")), PrintFile({"DRUHY", "treti"}, 6));
}

TEST_F(ViewerTest, RecodingConvertsEveryLineInPlaceBothWays) {
    const std::string win = PrintFile({"Čeština řádek"_cz, "žluť"_cz}, 16);
    Open("kody.txt", win);
    v.MenuChosen(9);  // to DOS
    const std::string dos = ReadHost(s.Work("kody.txt"));
    EXPECT_EQ(dos.size(), win.size());
    EXPECT_EQ(dos, PrintFile({WinToDos("Čeština řádek"_cz), WinToDos("žluť"_cz)}, 16));
    v.MenuChosen(8);  // back to Windows
    EXPECT_EQ(ReadHost(s.Work("kody.txt")), win);
    EXPECT_EQ(Shown(1), "Čeština řádek"_cz);
}

TEST_F(ViewerTest, ScrambledReportIsShownSearchedAndPrintedInClear) {
    s.c.set.personalData = true;
    OpenPrintFile(s.c, "osobni", 40);
    for (const std::string& line : Pages(3, 2)) WritePrintLine(s.c, line);
    ClosePrintFile(s.c);
    ASSERT_TRUE(v.LoadPrintFile("osobni.TXT"));
    EXPECT_EQ(Shown(2), "Vozidlo 1AB2345   List :   1");
    s.ui.fields.push_back({true, {"3"}});
    Key(key::kF4);
    EXPECT_EQ(v.current(), 17);
    // An edited line is stored scrambled again.
    v.WriteLine(18, "Novák"_cz);
    EXPECT_EQ(v.Line(18).substr(0, 5), "Novák"_cz);
    const std::string bytes = ReadHost(s.Work("osobni.TXT"));
    EXPECT_EQ(bytes.substr(17 * 42, 40), Scramble(std::string("Novák"_cz) + std::string(35, ' '), SystemKey()));
    PrintOnRecorder();
    Key(key::kF10);
    EXPECT_EQ(canvas.Texts().front(), "Kniha jizd");
}

// ---- the help view, the loop of ShowPrintFile ----

TEST_F(ViewerTest, F1ShowsTheViewersHelpAndEscReturnsToTheReport) {
    WriteHost(s.Prog("2/spool.hlp"), "$Tisky\r\nSeznam sestav.\r\n$Prohlížeč tiskových sestav\r\n"
                                     "[f4] najde list\r\n"_cz);
    WriteHost(s.Work("zprava.txt"), PrintFile({"r1", "r2", "r3", "r4"}, 2));
    PrintOutput& out = PrintOutputOf(s.c);
    std::vector<std::string> seen;
    out.showViewer = [&](TfPozri& shown) {
        seen.push_back(shown.printPath() + (shown.helpView() ? " help " : " ") +
                       std::to_string(shown.current()));
        if (seen.size() == 1) {
            shown.JdiNa(2, 0);  // another line than the help's topic
            shown.KeyDown(key::kF1, key::Mod::None);
            seen.push_back(shown.printPath() + " " + std::to_string(shown.current()) + " " +
                           StripRight(shown.Line(shown.current())));
        }
        shown.KeyDown(seen.size() < 4 ? key::kEscape : key::kReturn, key::Mod::None);
    };
    EXPECT_FALSE(ShowPrintFile(s.c, "zprava"));
    EXPECT_EQ(seen, (std::vector<std::string>{"zprava.txt 1",
                                              "helpv.TXT 3 Prohlížeč tiskových sestav"_cz,
                                              "zprava.txt 2"}));
    EXPECT_TRUE(out.cancelled());
}

TEST_F(ViewerTest, EnterEndsTheViewerAsDoneAndAViewerInsideAViewerGetsItsOwn) {
    WriteHost(s.Work("vnejsi.txt"), PrintFile({"venku"}, 5));
    WriteHost(s.Work("vnitrni.txt"), PrintFile({"uvnitr"}, 6));
    PrintOutput& out = PrintOutputOf(s.c);
    std::vector<std::string> seen;
    out.showViewer = [&](TfPozri& shown) {
        seen.push_back(StripRight(shown.Line(1)));
        if (seen.size() == 1) {
            EXPECT_FALSE(ShowPrintFile(s.c, "vnitrni"));
            EXPECT_EQ(&shown, &out.viewer());
            seen.push_back(StripRight(shown.Line(1)));  // still the outer report
        }
        shown.KeyDown(seen.size() == 3 ? key::kReturn : key::kEscape, key::Mod::None);
    };
    EXPECT_TRUE(ShowPrintFile(s.c, "vnejsi"));
    EXPECT_EQ(seen, (std::vector<std::string>{"venku", "uvnitr", "venku"}));
}

}  // namespace
}  // namespace kj
