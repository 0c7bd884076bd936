// Code page, the host file system, the field encodings of the records.

#include "kj_test.h"

#include <array>
#include <cmath>
#include <fstream>
#include <limits>
#include <tuple>

namespace kj {
namespace {

TEST(Cp1250, LiteralsAndRoundTrip) {
    std::string s = "Žluťoučký kůň"_cz;
    EXPECT_EQ(s, "\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2");
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

    // Drive-rooted paths resolve under the root, never under "/".
    const std::pair<const char*, const char*> paths[] = {
        {"par\\Okna2.par", "work/par/okna2.par"}, {"PAR\\OKNA2.PAR", "work/par/okna2.par"},
        {"KJSTRA.DTA", "work/kjstra.dta"},         {"\\work\\KJSTRA.dta", "work/kjstra.dta"},
        {"C:\\Work\\kjstra.DTA", "work/kjstra.dta"}, {"\\..\\..\\etc\\passwd", "etc/passwd"}};
    for (auto [path, host] : paths) EXPECT_EQ(fs.HostPath(path), (dir.path() / host).string()) << path;
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
    std::string seen;
    for (const DirEntry& e : list) seen += e.name + (e.directory ? "/ " : " " + std::to_string(e.size) + " ");
    EXPECT_EQ(seen, "one.DTA 5 sub.dta/ two.dta 1 ");
    ASSERT_EQ(fs.List("d\\sort????.wrk", &list), io::kOk);
    EXPECT_EQ(list.size(), 1u);
    for (auto [mask, name, matches] : {std::tuple{"*.*", "readme", true}, {"readme.*", "README", true},
                                       {"?.dta", "ab.dta", false}, {"k*.d?a", "KJSTRA.DTA", true}})
        EXPECT_EQ(MaskMatches(mask, name), matches) << mask << " " << name;
    EXPECT_EQ(fs.List("nodir\\*.*", &list), io::kPathNotFound);
}

// ---- field encodings ----

using Bytes6 = std::array<unsigned char, 6>;

Bytes6 Encode(double v) {
    Bytes6 b;
    b.fill(0xEE);
    codec::PutReal48(b.data(), v);
    return b;
}

// Expected bytes worked out by hand from the format: byte 0 = exponent + 129,
// bytes 1..5 = the 39 fraction bits after the leading 1, least significant
// byte first, bit 7 of byte 5 = sign.
TEST(Real48, KnownValuesBothWays) {
    struct Case {
        double value;
        Bytes6 bytes;
    };
    const Case cases[] = {
        // 0: exponent byte 0, everything else 0.
        {0.0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        // 1.5 = 1.1b * 2^0: e = 129 = 0x81, fraction bit 38 -> byte 5 bit 6.
        {1.5, {0x81, 0x00, 0x00, 0x00, 0x00, 0x40}},
        // 0.1 = 1.6 * 2^-4: e = 125 = 0x7D; 0.6 * 2^39 = 0x4C_CCCC_CCCC.CC..
        // rounds up to 0x4C_CCCC_CCCD; sign sets bit 7 of byte 5 (0x4C -> 0xCC).
        {-0.1, {0x7D, 0xCD, 0xCC, 0xCC, 0xCC, 0xCC}},
        // 12500 = 0x30D4 = 1.1000011010100b * 2^13: e = 142 = 0x8E;
        // fraction 0x10D4 << 26 = 0x43_5000_0000.
        {12500.0, {0x8E, 0x00, 0x00, 0x00, 0x50, 0x43}},
        // 1234.5 = 10011010010.1b = 1.00110100101b * 2^10: e = 139 = 0x8B;
        // fraction 0x1A5 << 28 = 0x1A_5000_0000.
        {1234.5, {0x8B, 0x00, 0x00, 0x00, 0x50, 0x1A}},
        // 1e9 = 0x3B9ACA00, 2^29 * 1.x: e = 158 = 0x9E;
        // fraction (0x3B9ACA00 - 2^29) << 10 = 0x6E_6B28_0000.
        {1e9, {0x9E, 0x00, 0x00, 0x28, 0x6B, 0x6E}},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(Encode(k.value), k.bytes) << k.value;
        if (k.value != -0.1) {
            EXPECT_EQ(codec::GetReal48(k.bytes.data()), k.value) << k.value;
        }
    }
    // -0.1 decodes to the nearest 40-bit value, within half a unit of 2^-44.
    Bytes6 tenth = {0x7D, 0xCD, 0xCC, 0xCC, 0xCC, 0xCC};
    EXPECT_NEAR(codec::GetReal48(tenth.data()), -0.1, std::ldexp(1.0, -44));
    EXPECT_NE(codec::GetReal48(tenth.data()), -0.1);
}

TEST(Real48, RoundingCarryAndLimits) {
    // Just below 2: the fraction rounds up to 2^39 and carries into the
    // exponent -> exactly 2.0 = e 130, fraction 0.
    EXPECT_EQ(Encode(std::nextafter(2.0, 0.0)), (Bytes6{0x82, 0, 0, 0, 0, 0}));
    // Half a unit of the last fraction bit above 1: a tie, to even (down);
    // one and a half units: up to 2 units.
    EXPECT_EQ(Encode(1.0 + std::ldexp(1.0, -40)), (Bytes6{0x81, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Encode(1.0 + 3 * std::ldexp(1.0, -40)), (Bytes6{0x81, 0x02, 0, 0, 0, 0}));
    // Zero in every form, and NaN, are stored as 0.
    EXPECT_EQ(Encode(-0.0), (Bytes6{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Encode(std::numeric_limits<double>::quiet_NaN()), (Bytes6{0, 0, 0, 0, 0, 0}));
    // Overflow keeps the sign and gives the largest value, never a wrapped exponent.
    const Bytes6 maxPos = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
    const Bytes6 maxNeg = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(Encode(1e300), maxPos);
    EXPECT_EQ(Encode(-std::numeric_limits<double>::infinity()), maxNeg);
    EXPECT_EQ(codec::GetReal48(maxPos.data()), std::ldexp(2.0 - std::ldexp(1.0, -39), 126));
    // Underflow: below 2^-129 to 0, from there up to the smallest value 2^-128.
    EXPECT_EQ(Encode(1e-50), (Bytes6{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Encode(std::ldexp(-1.0, -129)), (Bytes6{0x01, 0, 0, 0, 0, 0x80}));
    EXPECT_EQ(Encode(std::ldexp(1.0, -128)), (Bytes6{0x01, 0, 0, 0, 0, 0}));
    // Exponent 0 means 0 whatever the fraction bytes hold.
    const Bytes6 junk = {0x00, 0x12, 0x34, 0x56, 0x78, 0x9A};
    EXPECT_EQ(codec::GetReal48(junk.data()), 0.0);
}

TEST(ShortText, CutZeroFillAndDamagedLength) {
    std::array<unsigned char, 7> f;
    f.fill(0xEE);
    codec::PutShortText(f.data(), 5, "Brno");
    EXPECT_EQ(f, (std::array<unsigned char, 7>{4, 'B', 'r', 'n', 'o', 0, 0xEE}));
    EXPECT_EQ(codec::GetShortText(f.data(), 5), "Brno");

    codec::PutShortText(f.data(), 5, "Říčany"_cz);  // 6 characters, capacity 5
    EXPECT_EQ(f, (std::array<unsigned char, 7>{5, 0xD8, 0xED, 0xE8, 'a', 'n', 0xEE}));

    codec::PutShortText(f.data(), 5, "");
    EXPECT_EQ(f, (std::array<unsigned char, 7>{0, 0, 0, 0, 0, 0, 0xEE}));

    // A length byte beyond the capacity never reads past the field.
    const unsigned char damaged[] = {200, 'a', 'b', 'c', 'X'};
    EXPECT_EQ(codec::GetShortText(damaged, 3), "abc");
}

TEST(FieldLayout, TilingAndTypedAccess) {
    constexpr std::array<codec::FieldSpec, 3> ok = {{{"spz", 0, 11}, {"km", 11, 6}, {"n", 17, 2}}};
    constexpr std::array<codec::FieldSpec, 2> gap = {{{"a", 0, 4}, {"b", 5, 3}}};
    constexpr std::array<codec::FieldSpec, 2> overlap = {{{"a", 0, 4}, {"b", 3, 5}}};
    static_assert(codec::TilesRecord(ok, 19));
    static_assert(!codec::TilesRecord(ok, 20));  // short of the record length
    static_assert(!codec::TilesRecord(gap, 8));
    static_assert(!codec::TilesRecord(overlap, 8));
    static_assert(codec::FieldNamed(ok, "km").offset == 11);

    std::array<unsigned char, 19> rec{};
    codec::PutText(rec.data(), codec::FieldNamed(ok, "spz"), "1AB 2345");
    codec::PutReal(rec.data(), codec::FieldNamed(ok, "km"), 1234.5);
    EXPECT_EQ(std::tuple(rec[0], rec[11], rec[16]), std::tuple(8, 0x8B, 0x1A));
    EXPECT_EQ(codec::GetText(rec.data(), codec::FieldNamed(ok, "spz")), "1AB 2345");
    EXPECT_EQ(codec::GetReal(rec.data(), codec::FieldNamed(ok, "km")), 1234.5);
    codec::PutI16(rec.data() + codec::FieldNamed(ok, "n").offset, -2);
    EXPECT_EQ(std::pair(rec[17], rec[18]), (std::pair<unsigned char, unsigned char>(0xFE, 0xFF)));
    codec::PutI32(rec.data(), -123456789);  // 0xF8A432EB, low byte first
    EXPECT_EQ(codec::GetU32(rec.data()), 0xF8A432EBu);
    EXPECT_EQ(rec[0], 0xEB);
}

}  // namespace
}  // namespace kj
