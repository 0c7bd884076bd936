// The help: how its lines are rendered and its topics found, the help print
// in the viewer; and the help texts and guides shipped in the demo
// installation's program directory (UTF-8 in the repository, Windows-1250
// once installed): they convert without loss, fit the 80-column help print,
// and every help topic and guide the screens ask for is found where the
// program looks for it.

#include "kj_test.h"

#include <algorithm>
#include <sstream>

#include "print/help_text.h"
#include "print/print_output.h"
#include "screens/dialog_layout.h"
#include "services/record_file.h"
#include "print_station.h"

namespace kj {
namespace {

using printtest::Station;

TEST(HelpText, LineRules) {
    struct Case {
        std::string line, shown;
    };
    const Case cases[] = {
        {"$Knihy jízd"_cz, "Knihy jízd"_cz},
        {"@", ""},
        {"@ cokoli", ""},
        {"Stiskněte [enter] nebo [esc]."_cz, "Stiskněte ENTER nebo ESC."_cz},
        {"$[f1] nápověda"_cz, "F1 nápověda"_cz},
        {"[žár šéfů]"_cz, "ŽÁR ŠÉFů"_cz},  // "ů" has no capital here
        {"otevřená [závorka"_cz, "otevřená [závorka"_cz},
        {"a ] b", "a ] b"},
        {"obyčejný řádek"_cz, "obyčejný řádek"_cz},
    };
    for (const Case& c : cases) EXPECT_EQ(RenderHelpLine(c.line), c.shown) << c.line;
}

TEST(HelpText, TopicMatchesTheBeginningOfAHeadingWithoutCaseAndDiacritics) {
    struct Case {
        std::string heading, topic;
        bool match;
    };
    const Case cases[] = {
        {"$Knihy jízd"_cz, "knihy", true},
        {"$Knihy jízd"_cz, "KNIHY JÍZD"_cz, true},
        {"$KNIHY JIZD - seznam", "knihy jízd"_cz, true},
        {"$Tabulka cílů"_cz, "Tabulka cilu", true},
        {"$Cestovní příkaz a vyúčtování prac.cest"_cz, "Cestovní příkaz a vyúčtování prac.cest"_cz, true},
        {"$Knihy", "knihy jízd"_cz, false},
        {"Knihy jízd"_cz, "knihy", false},  // no "$": not a heading
        {"$ Knihy", "knihy", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HeadingMatches(c.heading, HelpTopicKey(c.topic)), c.match) << c.heading << "/" << c.topic;
}

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteHost(s.Prog("kj/kj.hlp"),
                  "$Úvod\r\nProgram vede [knihy jízd].\r\n@\r\n$Knihy jízd\r\nSeznam vozidel.\r\n"
                  "$Knihy jízd podruhé\r\n"_cz);
    }
    TestDir dir;
    Station s{dir.path()};
};

TEST_F(HelpTest, HelpIsRenderedIntoThePrintFileAndTheViewerStartsAtTheTopic) {
    EXPECT_EQ(RenderHelp(s.c, "\\kj\\kj", "KNIHY JIZD"), 4);
    EXPECT_EQ(ReadHost(s.Work("help.TXT")),
              printtest::PrintFile({"Úvod"_cz, "Program vede KNIHY JÍZD."_cz, "", "Knihy jízd"_cz,
                                    "Seznam vozidel.", "Knihy jízd podruhé"_cz},
                                   80));
    EXPECT_EQ(GetReg(s.c, "par\\okna2.par", "fPozri Index"), "     4");
    // A topic that matches nothing opens the help at its first line.
    EXPECT_EQ(RenderHelp(s.c, "\\kj\\kj", "Generátor"_cz), 0);
    EXPECT_EQ(GetReg(s.c, "par\\okna2.par", "fPozri Index"), "     1");
}

TEST_F(HelpTest, ShowHelpOpensTheViewerAtTheHeadingAndAMissingFileShowsNothing) {
    std::vector<std::string> seen;
    PrintOutputOf(s.c).showViewer = [&](TfPozri& v) {
        seen.push_back(StripRight(v.Line(v.current())));
        v.KeyDown(key::kEscape, key::Mod::None);
    };
    ShowHelp(s.c, "\\kj\\kj", "knihy");
    EXPECT_EQ(seen, std::vector<std::string>{"Knihy jízd"_cz});
    ShowHelp(s.c, "\\kj\\chybi", "knihy");
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_TRUE(s.ui.shown.empty());
}

// ---- the shipped texts ----

const fs::path kTemplate = fs::path(__FILE__).parent_path().parent_path().parent_path() / "demo" /
                           "template";

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
    return lines;
}

// The demo installation as the program sees it: working directory work\,
// program directory \prog\ named by prog.adr.
struct Installed {
    HostFileSystem files{(kTemplate / "work").string(), kTemplate.string()};
    ScriptedDialogs ui;
    Common c{files, ui};

    // The Windows-1250 text of an installed file ("" when missing).
    std::string Text(const std::string& path) { return Utf8ToCp1250(ReadHost(files.HostPath(path))); }
};

TEST(HelpTexts, EveryShippedTextIsWindows1250AndFitsTheHelpPrint) {
    int checked = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kTemplate / "prog")) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".hlp" && ext != ".hhh" && ext != ".nav") continue;
        SCOPED_TRACE(entry.path().string());
        ++checked;
        const std::vector<std::string> utf8 = Lines(ReadHost(entry.path()));
        ASSERT_FALSE(utf8.empty());
        const std::size_t width = Utf8ToCp1250(utf8.front()).size();
        for (const std::string& source : utf8) {
            const std::string line = Utf8ToCp1250(source);
            EXPECT_EQ(Cp1250ToUtf8(line), source) << "characters missing from Windows-1250";
            EXPECT_LE(line.size(), 78u) << source;
            // A bracket left open would upper-case the rest of the line.
            std::size_t open = 0;
            for (char ch : line) {
                if (ch == '[') ++open;
                if (ch == ']' && open > 0) --open;
            }
            EXPECT_EQ(open, 0u) << source;
            // The guide window hides lines beginning with "&".
            if (ext == ".nav") {
                EXPECT_FALSE(line.starts_with("&")) << source;
            }
            // The viewer shows its own help as a print file: records of the
            // first line's width.
            if (ext == ".hhh") {
                EXPECT_EQ(line.size(), width) << source;
            }
        }
    }
    EXPECT_GE(checked, 10);
}

TEST(HelpTexts, EveryTopicTheScreensAskForHasAHeading) {
    Installed demo;
    struct Case {
        const char* file;
        const char* topic;
    };
    const Case cases[] = {
        {"\\kj\\kj", "KNIHY JÍZD"},
        {"\\kj\\kj", "knihy jízd"},
        {"\\kj\\kj", "Cestovní příkaz a vyúčtování prac.cest"},
        {"\\kj\\kj", "Tabulka cílů"},
        {"\\kj\\kj_ovl", "Funkční klávesy v rolovacím"},
        {"\\kj\\kj_ovl", "Funkční klávesy v aktualizačním"},
        {"\\2\\spool", "Tisky"},
        {"\\2\\spool", "Seznam"},
        {"2\\kalk", "Kalkulačka"},
        {"kj", "knihy jízd"},  // the generated trips' own file
    };
    for (const Case& k : cases) {
        const std::string topic = Utf8ToCp1250(k.topic);
        SCOPED_TRACE(std::string(k.file) + " / " + k.topic);
        const std::vector<std::string> lines =
            Lines(demo.Text(ProgPath(demo.c, std::string(k.file) + ".hlp")));
        ASSERT_FALSE(lines.empty());
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
            return HeadingMatches(l, HelpTopicKey(topic));
        }));
    }
    // The viewer's F1 shows its help file as it stands.
    EXPECT_FALSE(demo.Text(ProgPath(demo.c, "\\2\\spool.hhh")).empty());
}

TEST(HelpTexts, GuidesAreNamedAfterTheWindowsThatShowThem) {
    Installed demo;
    // Titles as the demo station ("POCITAC" PC01, no user name) shows them.
    const char* titles[] = {
        "KJ",
        " Seznam vozidel PC01",
        " Místo                                    Účel PC01",
        " Hod.  Stravné PC01",
        "Kniha jízd pro vozidlo SPZ: 5Z12345PC01",
        "Zrušit záznam?",  // a question's guide
    };
    const std::string directory = ProgPath(demo.c, "\\NAVODY\\");
    for (const char* title : titles) {
        SCOPED_TRACE(title);
        EXPECT_FALSE(demo.Text(GuideFileName(directory, Utf8ToCp1250(title))).empty());
    }
}

}  // namespace
}  // namespace kj
