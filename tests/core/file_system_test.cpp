#include "kj_test.h"

#include <fstream>

namespace kj {
namespace {

TEST(Cp1250, LiteralsAndRoundTrip) {
    std::string s = "Žluťoučký kůň"_cz;
    ASSERT_EQ(s.size(), 13u);
    EXPECT_EQ(static_cast<unsigned char>(s[0]), 0x8E);   // Ž
    EXPECT_EQ(static_cast<unsigned char>(s[3]), 0x9D);   // ť
    EXPECT_EQ(static_cast<unsigned char>(s[11]), 0xF9);  // ů
    EXPECT_EQ(Cp1250ToUtf8(s), "Žluťoučký kůň");
    EXPECT_EQ(Utf8ToCp1250("Žluťoučký kůň"), s);
    EXPECT_EQ(Utf8ToCp1250("a€b"), "a\x80" "b");
    EXPECT_EQ(Utf8ToCp1250("ж"), "?");          // not in the page
    EXPECT_EQ(Utf8ToCp1250("x\xC5"), "x?");     // cut-off sequence
    for (int c = 0; c < 256; ++c) {
        if (c >= 0x80 && kCp1250High[static_cast<std::size_t>(c - 0x80)] == 0) continue;
        std::string one(1, static_cast<char>(c));
        EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(one)), one) << c;
    }
}

TEST(HostFileSystem, ResolvesCaseInsensitivelyAndCreatesAsSpelled) {
    TestDir dir;
    std::filesystem::create_directories(dir.path() / "work" / "par");
    std::ofstream(dir.path() / "work" / "par" / "okna2.par") << "x";
    std::ofstream(dir.path() / "work" / "kjstra.dta") << "y";
    HostFileSystem fs((dir.path() / "work").string(), dir.path().string());

    EXPECT_EQ(fs.HostPath("par\\Okna2.par"), (dir.path() / "work/par/okna2.par").string());
    EXPECT_EQ(fs.HostPath("PAR\\OKNA2.PAR"), (dir.path() / "work/par/okna2.par").string());
    EXPECT_EQ(fs.HostPath("KJSTRA.DTA"), (dir.path() / "work/kjstra.dta").string());
    // Drive-rooted paths resolve under the root, never under "/".
    EXPECT_EQ(fs.HostPath("\\work\\KJSTRA.dta"), (dir.path() / "work/kjstra.dta").string());
    EXPECT_EQ(fs.HostPath("C:\\Work\\kjstra.DTA"), (dir.path() / "work/kjstra.dta").string());
    EXPECT_EQ(fs.HostPath("\\..\\..\\etc\\passwd"), (dir.path() / "etc/passwd").string());
    // New components keep their spelling, Czech names are UTF-8 on disk.
    std::unique_ptr<File> f;
    ASSERT_EQ(fs.Open("Nový\\Účty.DTA"_cz, Access::Write, Disposition::CreateAlways,
                      Share::Shared, &f), io::kPathNotFound);
    ASSERT_EQ(fs.MakeDir("Nový"_cz), io::kOk);
    ASSERT_EQ(fs.Open("NOVÝ\\Účty.DTA"_cz, Access::Write, Disposition::CreateAlways,
                      Share::Shared, &f), io::kOk);
    ASSERT_EQ(f->Write("abc", 3), io::kOk);
    ASSERT_EQ(f->Close(), io::kOk);
    EXPECT_EQ(ReadHost(dir.path() / "work" / "Nový" / "Účty.DTA"), "abc");
    // "účty.dta" finds the same file through the Czech letters' case.
    DirEntry e;
    ASSERT_EQ(fs.Stat("nový\\účty.dta"_cz, &e), io::kOk);
    EXPECT_EQ(e.size, 3);
    EXPECT_EQ(e.name, "Účty.DTA"_cz);
    EXPECT_EQ(fs.CurrentDir(), "C:\\work\\");
}

TEST(HostFileSystem, DosCodesAndExclusiveOpen) {
    TestDir dir;
    HostFileSystem fs(dir.path().string(), dir.path().string());
    std::unique_ptr<File> f, g;
    EXPECT_EQ(fs.Open("missing.dta", Access::Read, Disposition::OpenExisting, Share::Shared, &f),
              io::kFileNotFound);
    EXPECT_EQ(fs.Open("nodir\\missing.dta", Access::Read, Disposition::OpenExisting,
                      Share::Shared, &f), io::kPathNotFound);
    EXPECT_EQ(fs.Remove("missing.dta"), io::kFileNotFound);
    ASSERT_EQ(fs.Open("FOT.tab", Access::ReadWrite, Disposition::OpenOrCreate, Share::Exclusive,
                      &f), io::kOk);
    // A second exclusive opener, in this process or another station, gets 32.
    EXPECT_EQ(fs.Open("fot.TAB", Access::ReadWrite, Disposition::OpenOrCreate, Share::Exclusive,
                      &g), io::kSharingViolation);
    // Shared opens are never refused.
    EXPECT_EQ(fs.Open("fot.tab", Access::Read, Disposition::OpenExisting, Share::Shared, &g),
              io::kOk);
    g.reset();
    ASSERT_EQ(f->Close(), io::kOk);
    EXPECT_EQ(f->Close(), io::kFileNotOpen);
    EXPECT_EQ(fs.Open("FOT.tab", Access::ReadWrite, Disposition::OpenExisting, Share::Exclusive,
                      &g), io::kOk);
    // Rename refuses an existing target; ReplaceFile overwrites.
    std::ofstream(dir.path() / "a.dta") << "A";
    std::ofstream(dir.path() / "b.dta") << "B";
    EXPECT_EQ(fs.Rename("a.dta", "B.DTA"), io::kAccessDenied);
    EXPECT_EQ(fs.ReplaceFile("A.DTA", "b.dta"), io::kOk);
    EXPECT_EQ(ReadHost(dir.path() / "b.dta"), "A");
    EXPECT_EQ(io::DosCodeFromErrno(EACCES), io::kAccessDenied);
    EXPECT_EQ(io::DosCodeFromErrno(EWOULDBLOCK), io::kSharingViolation);
}

TEST(HostFileSystem, ListsWithMasks) {
    TestDir dir;
    HostFileSystem fs(dir.path().string(), dir.path().string());
    std::filesystem::create_directories(dir.path() / "d" / "sub.dta");
    std::ofstream(dir.path() / "d" / "one.DTA") << "12345";
    std::ofstream(dir.path() / "d" / "two.dta") << "1";
    std::ofstream(dir.path() / "d" / "SORT0001.WRK") << "";
    std::ofstream(dir.path() / "d" / "readme") << "";
    std::vector<DirEntry> list;
    ASSERT_EQ(fs.List("D\\*.dta", &list), io::kOk);
    std::sort(list.begin(), list.end(), [](auto& a, auto& b) { return a.name < b.name; });
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name, "one.DTA");
    EXPECT_EQ(list[0].size, 5);
    EXPECT_TRUE(list[1].directory);
    EXPECT_EQ(list[2].name, "two.dta");
    ASSERT_EQ(fs.List("d\\sort????.wrk", &list), io::kOk);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_TRUE(MaskMatches("*.*", "readme"));
    EXPECT_TRUE(MaskMatches("readme.*", "README"));
    EXPECT_FALSE(MaskMatches("?.dta", "ab.dta"));
    EXPECT_TRUE(MaskMatches("k*.d?a", "KJSTRA.DTA"));
    EXPECT_EQ(fs.List("nodir\\*.*", &list), io::kPathNotFound);
}

}  // namespace
}  // namespace kj
