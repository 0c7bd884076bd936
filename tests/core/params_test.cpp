#include "kj_test.h"

namespace kj {
namespace {

using namespace rectest;

TEST(SetReg, InPlaceRewritingByTheBytes) {
    TempStation s;
    const std::string file = "par\\okna.par";
    const fs::path host = s.work / "par" / "okna.par";
    auto bytes = [&] { return ReadHost(host); };

    // Neither directory nor file: both are made, the line written at 0.
    SetReg(s.c, file, "Left", "100");
    EXPECT_EQ(bytes(), "Left : 100\r\n");
    // A new key is appended.
    SetReg(s.c, file, "Top", "20");
    EXPECT_EQ(bytes(), "Left : 100\r\nTop : 20\r\n");
    // Same length: only that line is rewritten.
    SetReg(s.c, file, "Left", "200");
    EXPECT_EQ(bytes(), "Left : 200\r\nTop : 20\r\n");
    // Longer: the old line is blanked, the new one appended.
    SetReg(s.c, file, "Top", "2000");
    EXPECT_EQ(bytes(), "Left : 200\r\n        \r\nTop : 2000\r\n");
    // Shorter: the old line is blanked, the blank line of exactly the new
    // length after it takes the new one.
    SetReg(s.c, file, "Left", "1");
    EXPECT_EQ(bytes(), "          \r\nLeft : 1\r\nTop : 2000\r\n");
    // A new key takes the first blank line of its length.
    SetReg(s.c, file, "New", "abcd");
    EXPECT_EQ(bytes(), "New : abcd\r\nLeft : 1\r\nTop : 2000\r\n");
    // Removal (empty or blank value) leaves a blank line of the old length.
    SetReg(s.c, file, "Left", "   ");
    EXPECT_EQ(bytes(), "New : abcd\r\n        \r\nTop : 2000\r\n");
    EXPECT_EQ(GetReg(s.c, file, "Left"), "");
    SetReg(s.c, file, "Absent", "");  // nothing to remove: nothing written
    EXPECT_EQ(bytes(), "New : abcd\r\n        \r\nTop : 2000\r\n");
    // Compaction drops the blank lines.
    SetReg(s.c, file, "", "");
    EXPECT_EQ(bytes(), "New : abcd\r\nTop : 2000\r\n");
    EXPECT_FALSE(fs::exists(s.work / "par" / "okna.par~"));

    // ":" in a key is stored as "~" and found again; values keep theirs;
    // keys may hold blanks and Czech letters.
    SetReg(s.c, file, "C:\\cesta", "x:y");
    SetReg(s.c, file, "Výběr OknoLeft"_cz, "12");
    EXPECT_EQ(bytes(), "New : abcd\r\nTop : 2000\r\nC~\\cesta : x:y\r\n"
                       "Výběr OknoLeft : 12\r\n"_cz);
    EXPECT_EQ(GetReg(s.c, file, "C:\\cesta"), "x:y");
    EXPECT_EQ(GetReg(s.c, file, "Výběr OknoLeft"_cz), "12");
    EXPECT_EQ(GetReg(s.c, file, "Výběr"_cz), "");  // keys compare whole
    EXPECT_EQ(GetReg(s.c, file, "top"), "");        // and with their case
    EXPECT_TRUE(s.ui.shown.empty());
}

TEST(SetReg, OddFilesLimitsAndUnsafeValues) {
    TempStation s;

    // LF line ends: every write lands on its own line.
    WriteHost(s.work / "lf.par", "A : 1\nB : 2\n");
    SetReg(s.c, "lf.par", "A", "9");
    SetReg(s.c, "lf.par", "B", "22");
    EXPECT_EQ(ReadHost(s.work / "lf.par"), "A : 9\n     \nB : 22\r\n");
    // A last line without its line end gets one before the appended line.
    WriteHost(s.work / "open.par", "A : 1");
    SetReg(s.c, "open.par", "B", "2");
    EXPECT_EQ(ReadHost(s.work / "open.par"), "A : 1\r\nB : 2\r\n");

    // Line breaks inside a value would make a second line: they are blanks.
    SetReg(s.c, "x.par", "K", "a\r\nZ : b");
    EXPECT_EQ(ReadHost(s.work / "x.par"), "K : a  Z : b\r\n");
    EXPECT_EQ(GetReg(s.c, "x.par", "Z"), "");
    // A lone CR inside a line reads as that blank too.
    WriteHost(s.work / "cr.par", "W : 5\r2\r\n");
    EXPECT_EQ(GetReg(s.c, "cr.par", "W"), "5 2");
    // A line holds at most 255 characters; a value reads back as at most 250.
    SetReg(s.c, "long.par", "K", std::string(300, 'v'));
    EXPECT_EQ(ReadHost(s.work / "long.par"), "K : " + std::string(251, 'v') + "\r\n");
    EXPECT_EQ(GetReg(s.c, "long.par", "K"), std::string(250, 'v'));

    // 10,000 lines: nothing is appended, and a value that would have to move
    // keeps its old line instead of being lost; a same-length one is written.
    std::string full;
    for (int i = 0; i < 10000; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "k%05d : v\r\n", i);
        full += line;
    }
    WriteHost(s.work / "full.par", full + "late : 1\r\n");
    EXPECT_EQ(GetReg(s.c, "full.par", "late"), "1");  // reading sees every line
    SetReg(s.c, "full.par", "new", "x");
    SetReg(s.c, "full.par", "k00001", "longer");
    SetReg(s.c, "full.par", "k00002", "w");
    std::string expected = full + "late : 1\r\n";
    expected[2 * 12 + 9] = 'w';
    EXPECT_EQ(ReadHost(s.work / "full.par"), expected);
    EXPECT_EQ(GetReg(s.c, "full.par", "k00001"), "v");
    // Compaction keeps the lines past the limit too.
    WriteHost(s.work / "full.par", full + "   \r\nlate : 1\r\n");
    SetReg(s.c, "full.par", "", "");
    EXPECT_EQ(ReadHost(s.work / "full.par"), full + "late : 1\r\n");
    EXPECT_TRUE(s.ui.shown.empty());
}

TEST(SetReg, AKeyOnSeveralLinesReadsWhatWasStored) {
    TestDir dir;
    Station s(dir.path());
    // Two stations adding a key at once leave it on two lines; GetReg reads
    // the first. Once that one moves or goes, the later one must not
    // surface in its place.
    const std::string twice = "K : 1\r\nX : 2\r\nK : 3\r\n";
    struct Case {
        std::string value, file, read;
    };
    const Case cases[] = {
        {"22", "     \r\nX : 2\r\n     \r\nK : 22\r\n", "22"},
        {"", "     \r\nX : 2\r\n     \r\n", ""},
        {"9", "K : 9\r\nX : 2\r\nK : 3\r\n", "9"},  // in place: the copy stays unread
    };
    for (const Case& k : cases) {
        WriteHost(s.work / "dup.par", twice);
        SetReg(s.c, "dup.par", "K", k.value);
        EXPECT_EQ(ReadHost(s.work / "dup.par"), k.file) << k.value;
        EXPECT_EQ(GetReg(s.c, "dup.par", "K"), k.read);
        EXPECT_EQ(GetReg(s.c, "dup.par", "X"), "2");
    }
}

TEST(ParamFiles, FailuresAreShownWithTheirTexts) {
    TempStation s;
    EXPECT_EQ(GetReg(s.c, "none.par", "A"), "");
    EXPECT_EQ(GetReg(s.c, "nodir\\none.par", "A"), "");
    EXPECT_TRUE(s.ui.shown.empty());

    // A file in use: a note at each attempt, until the open succeeds.
    WriteHost(s.work / "p.par", "A : 1\r\n");
    s.fs.Plan("p.par").openCodes = {32, 32};
    EXPECT_EQ(GetReg(s.c, "p.par", "A"), "1");
    EXPECT_EQ(s.ui.Texts("note"), (std::vector<std::string>{"Uz: 03 GetReg: p.par A err     32",
                                                            "Uz: 03 GetReg: p.par A err     32"}));
    // A read error is shown; what was read is still searched.
    s.ui.shown.clear();
    s.fs.Plan("p.par").readCode = 30;
    EXPECT_EQ(GetReg(s.c, "p.par", "A"), "");
    EXPECT_EQ(s.ui.Texts("beep"), std::vector<std::string>{"Uz: 03 Getreg: p.par A err     30"});
    s.fs.Plan("p.par").readCode = 0;

    // SetReg: the read open retried; then the write open, the write and the
    // close each with their own text, ending the operation.
    s.ui.shown.clear();
    s.fs.Plan("p.par").openCodes = {5};
    SetReg(s.c, "p.par", "A", "2");
    EXPECT_EQ(s.ui.Texts("note"), std::vector<std::string>{"Uz: 03 SetReg: p.par A err 5"});
    EXPECT_EQ(ReadHost(s.work / "p.par"), "A : 2\r\n");
    s.fs.Plan("p.par").openCodes = {0, 5};
    SetReg(s.c, "p.par", "A", "3");
    s.fs.Plan("p.par").writeCode = 101;
    SetReg(s.c, "p.par", "A", "4");
    s.fs.Plan("p.par").writeCode = 0;
    s.fs.Plan("p.par").closeCode = 6;
    SetReg(s.c, "p.par", "A", "5");
    EXPECT_EQ(s.ui.Texts("beep"),
              (std::vector<std::string>{"Uz: 03 Setreg vlož: p.par A err 5"_cz,
                                        "Uz: 03 Setreg pis: p.par A err 101",
                                        "Uz: 03 Setreg close: p.par A err 6"}));
    EXPECT_EQ(ReadHost(s.work / "p.par"), "A : 5\r\n");
}

}  // namespace
}  // namespace kj
