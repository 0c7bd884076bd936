#include "kj_test.h"

#include "print/help_text.h"
#include "print/print_output.h"
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

}  // namespace
}  // namespace kj
