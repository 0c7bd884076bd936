// The help texts and guides shipped in the demo installation's program
// directory (UTF-8 in the repository, Windows-1250 once installed): they
// convert without loss, fit the 80-column help print, and every help topic
// and guide the screens ask for is found where the program looks for it.

#include "kj_test.h"

#include "screens/dialog_layout.h"
#include "services/record_file.h"

namespace kj {
namespace {

const fs::path kTemplate = fs::path(__FILE__).parent_path().parent_path().parent_path() / "demo" /
                           "template";

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The topic rule of the help: the first "$" heading that begins with the
// topic, both without diacritics and upper-cased. Returns its line (1-based)
// or 0.
int TopicLine(const std::vector<std::string>& lines, const std::string& topic) {
    const std::string key = UpperCz(StripDiacritics(topic));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty() || lines[i][0] != '$') continue;
        if (UpperCz(StripDiacritics(lines[i].substr(1))).starts_with(key))
            return static_cast<int>(i) + 1;
    }
    return 0;
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
        const std::string text = demo.Text(ProgPath(demo.c, std::string(k.file) + ".hlp"));
        ASSERT_FALSE(text.empty());
        EXPECT_GT(TopicLine(Lines(text), topic), 0);
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
