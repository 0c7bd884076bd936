#include "kj_test.h"

#include "services/record_file.h"

namespace kj {
namespace {

using namespace rectest;

// Texts of the event records of PROTOKOL.PRT (80-byte records, a short text
// of capacity 79, the event after the 26-character stamp).
std::vector<std::string> ProtocolEvents(const fs::path& file) {
    std::string all = ReadHost(file);
    std::vector<std::string> out;
    for (std::size_t at = 80; at + 80 <= all.size(); at += 80)
        out.push_back(codec::GetShortText(all.data() + at, 79).substr(26));
    return out;
}

TEST(RecordPaths, DataPathRules) {
    {
        TempStation s;
        // Without "data.adr" data files stay in the current directory; "="
        // names a complete path, also behind a leading "\"; redirection
        // joins the first line of "^name" to the name as written.
        WriteHost(s.Work("^kjcile.dta"), "D:\\cile\\\r\nignored\r\n");
        WriteHost(s.Work("^kjmista.dta"), "D:\\mista\n");
        const std::pair<const char*, const char*> cases[] = {
            {"kj_auta.dta", "kj_auta.dta"},        {"\\kj_auta.dta", "kj_auta.dta"},
            {"=D:\\jinde\\x.dta", "D:\\jinde\\x.dta"}, {"\\=x.dta", "x.dta"},
            {"kjcile.dta", "D:\\cile\\kjcile.dta"}, {"\\kjcile.dta", "D:\\cile\\kjcile.dta"},
            {"kjmista.dta", "D:\\mistakjmista.dta"}};
        for (auto [name, path] : cases) EXPECT_EQ(DataPath(s.c, name), path) << name;
    }
    {
        TempStation s;
        WriteHost(s.Work("data.adr"), "C:\\data\r\n");
        EXPECT_EQ(DataPath(s.c, "kj.dta"), "C:\\data\\kj.dta");
        EXPECT_EQ(DataPath(s.c, ""), "C:\\data\\");
        // Read once: a later change of "data.adr" is not seen in this run.
        WriteHost(s.Work("data.adr"), "C:\\jinam\\\r\n");
        EXPECT_EQ(DataPath(s.c, "kj.dta"), "C:\\data\\kj.dta");
    }
    {
        // A long directory stays whole, on the first call and every later one.
        TempStation s;
        const std::string longDir = "C:\\" + std::string(70, 'd') + "\\";
        WriteHost(s.Work("data.adr"), longDir);
        EXPECT_EQ(DataPath(s.c, "kj.dta"), longDir + "kj.dta");
        EXPECT_EQ(DataPath(s.c, "kj.dta"), longDir + "kj.dta");
    }
    {
        // A path file in use is named in a message and counts as empty.
        TempStation s;
        WriteHost(s.Work("data.adr"), "C:\\data\\");
        s.fs.Plan("data.adr").openCode = io::kSharingViolation;
        EXPECT_EQ(DataPath(s.c, "kj.dta"), "kj.dta");
        EXPECT_EQ(s.ui.Texts("beep"), std::vector<std::string>{"Err   32 data.adr"});
    }
}

// The handle as "mode cur/count".
std::string State(const RecFile& f) {
    return std::string(1, f.mode) + " " + std::to_string(f.cur) + "/" + std::to_string(f.count);
}

TEST(RecordFile, EveryModeOnDisk) {
    TempStation s;
    const fs::path file = s.work / "kj.dta";
    RecFile f;

    // "O" creates; three records of 4 bytes follow each other without gaps.
    ASSERT_EQ(OpenRecFile(s.c, f, "kj.dta", "o", 4), 0);
    for (const char* r : {"aaaa", "bbbb", "cccc"}) ASSERT_EQ(WriteRec(f, r), 0);
    EXPECT_EQ(CloseRecFile(s.c, f), 0);
    EXPECT_EQ(State(f), "O 4/3");
    EXPECT_EQ(ReadHost(file), "aaaabbbbcccc");

    // "I" counts the records, reads at any position, stops at the end
    // (the buffer zeroed) and reports the file's records, not cur - 1.
    char buf[5] = {};
    ASSERT_EQ(OpenRecFile(s.c, f, "kj.dta", "I", 4), 0);
    EXPECT_EQ(State(f), "I 1/3");
    SeekRec(f, 2);
    ASSERT_EQ(ReadRec(f, buf), 0);
    EXPECT_STREQ(buf, "bbbb");
    ASSERT_EQ(ReadRec(f, buf), 0);
    EXPECT_EQ(ReadRec(f, buf), io::kReadPastEnd);
    EXPECT_EQ(std::string(buf, 4), std::string(4, '\0'));
    EXPECT_EQ(CloseRecFile(s.c, f), 0);
    EXPECT_EQ(State(f), "I 4/3");

    // Any other letter reads and writes in place.
    ASSERT_EQ(OpenRecFile(s.c, f, "kj.dta", "U", 4), 0);
    SeekRec(f, 2);
    ASSERT_EQ(WriteRec(f, "BBBB"), 0);
    CloseRecFile(s.c, f);
    EXPECT_EQ(State(f), "U 3/2");
    EXPECT_EQ(ReadHost(file), "aaaaBBBBcccc");

    // "A" after 10 records writes record 11; the close counts the last one.
    std::string ten;
    for (char ch = '0'; ch <= '9'; ++ch) ten += std::string(4, ch);
    WriteHost(file, ten);
    ASSERT_EQ(OpenRecFile(s.c, f, "kj.dta", "A", 4), 0);
    EXPECT_EQ(State(f), "A 11/10");
    ASSERT_EQ(WriteRec(f, "kkkk"), 0);
    ASSERT_EQ(WriteRec(f, "llll"), 0);
    CloseRecFile(s.c, f);
    EXPECT_EQ(State(f), "A 13/12");
    EXPECT_EQ(ReadHost(file), ten + "kkkkllll");

    // Missing files are created empty: "I" stays "I", "A" becomes "O".
    ASSERT_EQ(OpenRecFile(s.c, f, "nove.dta", "I", 4), 0);
    EXPECT_TRUE(fs::exists(s.work / "nove.dta"));
    CloseRecFile(s.c, f);
    EXPECT_EQ(State(f), "I 1/0");
    ASSERT_EQ(OpenRecFile(s.c, f, "pridej.dta", "A", 4), 0);
    EXPECT_EQ(State(f), "O 1/0");
    ASSERT_EQ(WriteRec(f, "zzzz"), 0);
    CloseRecFile(s.c, f);
    EXPECT_EQ(ReadHost(s.work / "pridej.dta"), "zzzz");

    // The protocol names mode, name (25) and count (6) at each open and close.
    auto events = ProtocolEvents(s.work / "PROTOKOL.PRT");
    ASSERT_EQ(events.size(), 12u);
    // "kj.dta" takes 6 of the 25 characters, the count 1 or 2 of its 6.
    EXPECT_EQ(events[0], "OpenO kj.dta" + std::string(19 + 5, ' ') + "0");
    EXPECT_EQ(events[1], "Close kj.dta" + std::string(19 + 5, ' ') + "3");
    EXPECT_EQ(events[6], "OpenA kj.dta" + std::string(19 + 4, ' ') + "10");
    EXPECT_TRUE(s.ui.shown.empty());
}

// A failed open gives back only the lock it took: Zamkni may have taken
// nothing (a missing directory, an entry that did not reach the register),
// and releasing anyway repeats the message or frees another entry of the
// same station for the same file.
TEST(RecordFile, OpenFailuresAreShownAndReleaseOnlyTheLockTheyTook) {
    TempStation s;
    WriteHost(s.work / "data.adr", "C:\\data\\");
    fs::create_directories(s.root / "data");
    const fs::path fot = s.root / "data" / "FOT.tab";
    auto entries = [&] {
        std::string t = ReadHost(fot);
        int n = 0;
        for (std::size_t at = 0; (at = t.find("KJ_AUTA.DTA", at)) != std::string::npos; ++at) ++n;
        return n;
    };
    RecFile f;

    // An open file holds its write lock in the register of its directory.
    ASSERT_EQ(OpenRecFile(s.c, f, "kj_auta.dta", "", 4), 0);
    EXPECT_EQ(entries(), 1);
    CloseRecFile(s.c, f);
    EXPECT_EQ(entries(), 0);

    // Access denied: the message right-aligns the code in 3 characters; the
    // handle stays unopened and the lock does not outlive the attempt.
    s.fs.Plan("C:\\data\\kj_auta.dta").openCode = io::kAccessDenied;
    EXPECT_EQ(OpenRecFile(s.c, f, "kj_auta.dta", "U", 4), io::kAccessDenied);
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(s.ui.Last("beep"), "Chyba   5 při otevírání C:\\data\\kj_auta.dta"_cz);
    ASSERT_EQ(entries(), 0);  // else the next opens would wait for it for ever
    s.fs.Plan("C:\\data\\kj_auta.dta").openCode = 0;
    EXPECT_EQ(CloseRecFile(s.c, f), io::kFileNotOpen);
    EXPECT_EQ(ReadRec(f, nullptr), io::kFileNotOpen);

    // A record length of 0 is refused instead of dividing by it.
    EXPECT_EQ(OpenRecFile(s.c, f, "kj.dta", "I", 0), io::kInvalidParameter);
    EXPECT_EQ(s.ui.Last("beep"), "Chyba  87 při otevírání C:\\data\\kj.dta"_cz);

    // Only the successful open and its close reached the protocol.
    auto events = ProtocolEvents(s.root / "data" / "PROTOKOL.PRT");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].substr(0, 5), "Open ");
    EXPECT_EQ(events[1].substr(0, 6), "Close ");

    // The directory is missing: said once by the lock, once by the open.
    s.ui.shown.clear();
    EXPECT_EQ(OpenRecFile(s.c, f, "=C:\\chybi\\kj_auta.dta", "I", 4), io::kPathNotFound);
    EXPECT_EQ(s.ui.Texts("beep"),
              (std::vector<std::string>{"ERR 3 - neexistuje složka C:\\CHYBI\\"_cz,
                                        "Chyba   3 při otevírání C:\\chybi\\kj_auta.dta"_cz}));

    // The station reads the file through one handle; a second handle's read
    // lock does not reach the register and its open fails: the first
    // handle's entry stays.
    s.ui.shown.clear();
    RecFile first, second;
    ASSERT_EQ(OpenRecFile(s.c, first, "kj_auta.dta", "I", 4), 0);
    ASSERT_EQ(entries(), 1);
    s.fs.Plan("C:\\DATA\\FOT.tab").writeCodes = {io::kDiskWriteError};
    s.fs.Plan("C:\\data\\kj_auta.dta").openCodes = {io::kAccessDenied};
    EXPECT_EQ(OpenRecFile(s.c, second, "kj_auta.dta", "I", 4), io::kAccessDenied);
    EXPECT_EQ(s.ui.Texts("beep"),
              (std::vector<std::string>{"err pis(1) FOT 101",
                                        "Chyba   5 při otevírání C:\\data\\kj_auta.dta"_cz}));
    EXPECT_EQ(entries(), 1);
    EXPECT_EQ(CloseRecFile(s.c, first), 0);
    EXPECT_EQ(entries(), 0);
}

TEST(RecordFile, FailedTransfersAreReturnedAndKeepCur) {
    TempStation s;
    WriteHost(s.work / "kj.dta", "aaaabbbbcccc");
    RecFile f;

    // A cut file: record 2 is found only in part.
    s.fs.Plan("kj.dta").readLimit = 6;
    ASSERT_EQ(OpenRecFile(s.c, f, "kj.dta", "I", 4), 0);
    char buf[4];
    ASSERT_EQ(ReadRec(f, buf), 0);
    EXPECT_EQ(ReadRec(f, buf), io::kReadPastEnd);
    EXPECT_EQ(std::string(buf, 4), std::string("bb\0\0", 4));
    EXPECT_EQ(f.cur, 2);
    // A failing device.
    s.fs.Plan("kj.dta").readLimit = -1;
    s.fs.Plan("kj.dta").readCode = 30;
    EXPECT_EQ(ReadRec(f, buf), 30);
    EXPECT_EQ(f.cur, 2);
    CloseRecFile(s.c, f);
    s.fs.Plan("kj.dta").readCode = 0;

    // Disk full in the middle of record 2: the error comes back, cur stays,
    // and the close counts only the record that was written.
    s.fs.Plan("kj.dta").writeCode = io::kDiskWriteError;
    s.fs.Plan("kj.dta").writeFrom = 6;
    ASSERT_EQ(OpenRecFile(s.c, f, "kj.dta", "O", 4), 0);
    ASSERT_EQ(WriteRec(f, "xxxx"), 0);
    EXPECT_EQ(WriteRec(f, "yyyy"), io::kDiskWriteError);
    EXPECT_EQ(f.cur, 2);
    CloseRecFile(s.c, f);
    EXPECT_EQ(f.count, 1);
    EXPECT_EQ(ReadHost(s.work / "kj.dta"), "xxxxyy");

    // Positions before record 1 are refused.
    s.fs.Plan("kj.dta").writeCode = 0;
    ASSERT_EQ(OpenRecFile(s.c, f, "kj.dta", "U", 4), 0);
    SeekRec(f, 0);
    EXPECT_EQ(WriteRec(f, "zzzz"), io::kInvalidParameter);
    CloseRecFile(s.c, f);
}

// A file in use is waited for (a 100 ms note at each attempt); a missing
// file or directory gives its code negated.
TEST(FileUtils, FileSizeOfWaitsForABusyFile) {
    TempStation s;
    WriteHost(s.work / "five.dta", "12345");
    s.fs.Plan("five.dta").openCodes = {32, 32};
    EXPECT_EQ(FileSizeOf(s.c, "five.dta"), 5);
    EXPECT_EQ(s.ui.Texts("note"), (std::vector<std::string>(2, "Err   32 five.dta")));
    EXPECT_EQ(FileSizeOf(s.c, "missing.dta") + FileSizeOf(s.c, "nodir\\missing.dta"), -5);
}

TEST(FileUtils, RenameOver) {
    TempStation s;
    WriteHost(s.work / "new.wrk", "new");
    WriteHost(s.work / "kj.dta", "old");

    EXPECT_EQ(RenameOver(s.c, "new.?rk", "kj.dta"), 0);
    EXPECT_EQ(ReadHost(s.work / "kj.dta"), "old");

    // The target is deleted, retried while it is not free.
    s.fs.Plan("kj.dta").removeCodes = {32, 32};
    EXPECT_EQ(RenameOver(s.c, "new.wrk", "kj.dta"), 0);
    EXPECT_EQ(ReadHost(s.work / "kj.dta"), "new");
    EXPECT_FALSE(fs::exists(s.work / "new.wrk"));
    EXPECT_EQ(s.ui.Texts("note"), (std::vector<std::string>{
                                      "Soubor kj.dta není volný - err   32"_cz,
                                      "Soubor kj.dta není volný - err   32"_cz}));
    EXPECT_EQ(s.ui.shown[0].ms, 1000);

    // Ten failures are waited for, the eleventh gives up with its code.
    s.ui.shown.clear();
    WriteHost(s.work / "new.wrk", "newer");
    s.fs.Plan("kj.dta").removeCode = io::kAccessDenied;
    EXPECT_EQ(RenameOver(s.c, "new.wrk", "kj.dta"), io::kAccessDenied);
    EXPECT_EQ(s.ui.Count("note"), 10);
    EXPECT_EQ(s.ui.Texts("beep"), std::vector<std::string>{"Soubor kj.dta nelze zrušit    5"_cz});
    EXPECT_EQ(ReadHost(s.work / "kj.dta"), "new");
    s.fs.Plan("kj.dta").removeCode = 0;

    // A missing source leaves the target alone.
    s.ui.shown.clear();
    EXPECT_EQ(RenameOver(s.c, "gone.wrk", "kj.dta"), io::kFileNotFound);
    EXPECT_EQ(ReadHost(s.work / "kj.dta"), "new");
    EXPECT_EQ(s.ui.Texts("beep"),
              std::vector<std::string>{"Err.     2 při přejmenování na souboru kj.dta"_cz});

    // One file under two spellings is not deleted as its own target.
    EXPECT_EQ(RenameOver(s.c, "KJ.DTA", "kj.dta"), 0);
    EXPECT_EQ(ReadHost(s.work / "kj.dta"), "new");

    // An absent target: a plain rename.
    EXPECT_EQ(RenameOver(s.c, "new.wrk", "jiny.dta"), 0);
    EXPECT_EQ(ReadHost(s.work / "jiny.dta"), "newer");
}

TEST(FileUtils, EraseFiles) {
    TempStation s;
    for (const char* n : {"a.wrk", "b.wrk", "c.dta", ".h.wrk"}) WriteHost(s.work / "sub" / n, n);
    fs::create_directories(s.work / "sub" / "d.wrk");
    s.fs.Plan("sub\\a.wrk").removeCodes = {32, 32};
    // A file another station erased meanwhile ends the wait at once.
    s.fs.Plan("sub\\b.wrk").removeCode = io::kFileNotFound;

    EraseFiles(s.c, "sub\\*.wrk");
    EXPECT_FALSE(fs::exists(s.work / "sub" / "a.wrk"));
    EXPECT_TRUE(fs::exists(s.work / "sub" / "c.dta"));
    EXPECT_TRUE(fs::exists(s.work / "sub" / ".h.wrk"));
    EXPECT_TRUE(fs::is_directory(s.work / "sub" / "d.wrk"));
    EXPECT_EQ(s.ui.Texts("note"),
              (std::vector<std::string>{"Soubor sub\\a.wrk není volný při errasse - err   32"_cz,
                                        "Soubor sub\\a.wrk není volný při errasse - err   32"_cz}));
    EXPECT_EQ(s.fs.Plan("sub\\b.wrk").removes, 1);
}

TEST(FileUtils, AppendAndCopy) {
    TempStation s;
    WriteHost(s.work / "empty", "");
    WriteHost(s.work / "abc", "abc");
    WriteHost(s.work / "t1", "xy");
    std::string big;
    for (int i = 0; i < 25000; ++i) big.push_back(static_cast<char>('a' + i % 26));
    WriteHost(s.work / "big", big);

    EXPECT_EQ(AppendFileTo(s.c, "empty", "t1"), 0);
    EXPECT_EQ(ReadHost(s.work / "t1"), "xy");
    EXPECT_EQ(AppendFileTo(s.c, "abc", "t1"), 0);
    EXPECT_EQ(ReadHost(s.work / "t1"), "xyabc");
    EXPECT_EQ(AppendFileTo(s.c, "big", "t2"), 0);  // created, three blocks
    EXPECT_EQ(ReadHost(s.work / "t2"), big);
    EXPECT_EQ(AppendFileTo(s.c, "abc", "abc"), 0);  // onto itself: ends, doubled
    EXPECT_EQ(ReadHost(s.work / "abc"), "abcabc");
    // A target that exists but cannot be sized is not recreated empty.
    s.fs.Plan("t1").openCodes = {io::kAccessDenied};
    EXPECT_EQ(AppendFileTo(s.c, "big", "t1"), io::kAccessDenied);
    EXPECT_EQ(ReadHost(s.work / "t1"), "xyabc");

    // Copy: over a longer target, cut to the source, with its time stamp.
    WriteHost(s.work / "t3", "0123456789");
    const std::time_t twoDaysAgo = std::time(nullptr) - 48 * 3600;
    ASSERT_EQ(s.host.SetModified("big", twoDaysAgo), 0);
    EXPECT_EQ(CopyFileTo(s.c, "abc", "t3"), 0);
    EXPECT_EQ(ReadHost(s.work / "t3"), "abcabc");
    EXPECT_EQ(CopyFileTo(s.c, "big", "t3"), 0);
    EXPECT_EQ(ReadHost(s.work / "t3"), big);
    DirEntry stamp;
    ASSERT_EQ(s.host.Stat("t3", &stamp), 0);
    EXPECT_EQ(stamp.modified, twoDaysAgo);
    // An empty source empties the target; a missing one leaves it.
    EXPECT_EQ(CopyFileTo(s.c, "missing", "t3"), 0);
    EXPECT_EQ(ReadHost(s.work / "t3"), big);
    EXPECT_EQ(CopyFileTo(s.c, "empty", "t3"), 0);
    EXPECT_EQ(ReadHost(s.work / "t3"), "");
    // A target in missing directories: they are made.
    EXPECT_EQ(CopyFileTo(s.c, "abc", "XLS\\a\\kopie.txt"), 0);
    EXPECT_EQ(ReadHost(s.work / "XLS" / "a" / "kopie.txt"), "abcabc");
}

// After an append the source's attributes are cleared (a read-only source
// becomes writable); a source with nothing to append is left alone.
TEST(FileUtils, AppendClearsTheSourcesAttributes) {
    struct Case {
        const char* source;
        std::string bytes;
        std::string target;  // afterwards
        bool cleared;
    };
    const std::vector<Case> cases = {
        {"abc.txt", "abc", "xyabc", true},
        {"empty.txt", "", "xy", false},
    };
    for (const Case& k : cases) {
        TempStation s;
        WriteHost(s.work / k.source, k.bytes);
        WriteHost(s.work / "t.txt", "xy");
        fs::permissions(s.work / k.source, fs::perms::owner_read | fs::perms::group_read);
        DirEntry e;
        ASSERT_EQ(s.host.Stat(k.source, &e), 0);
        ASSERT_TRUE(e.readOnly);
        EXPECT_EQ(AppendFileTo(s.c, k.source, "t.txt"), 0) << k.source;
        EXPECT_EQ(ReadHost(s.work / "t.txt"), k.target) << k.source;
        ASSERT_EQ(s.host.Stat(k.source, &e), 0);
        EXPECT_EQ(e.readOnly, !k.cleared) << k.source;
        EXPECT_EQ(ReadHost(s.work / k.source), k.bytes) << k.source;
    }
}

}  // namespace
}  // namespace kj
