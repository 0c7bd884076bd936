// Text operations and code pages, Czech collation, scrambling, pictures.

#include "kj_test.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <iconv.h>
#include <limits>
#include <tuple>

#include "services/collate.h"
#include "services/protocol.h"

namespace kj {
namespace {

std::string Byte(int c) {
    return std::string(1, static_cast<char>(c));
}

TEST(TextOpsCase, UpperCzAndStripDiacritics) {
    EXPECT_EQ(UpperCz("příliš žluťoučký kůň úpěl ďábelské ódy, 12x"_cz),
              "PŘÍLIŠ ŽLUťOUČKÝ Kůň ÚPĚL ďÁBELSKÉ ÓDY, 12X"_cz);
    EXPECT_EQ(UpperCz("äöüßłĺľŕ"_cz), "äöüßłĺľŕ"_cz);
    EXPECT_EQ(StripDiacritics("ŠšŤťŽžÁáĹĺČčÉéĚěÍíĎďŇňÓóÖöŘřŮůÚúÜüÝý"_cz),
              "SsTtZzAaLlCcEeEeIiDdNnOoOoRrUuUuUuYy");
    EXPECT_EQ(StripDiacritics("ĽľŔŕÄäŁłß"_cz), "ĽľŔŕÄäŁłß"_cz);
    // The list search folds a row once: folding again must change nothing.
    std::string all;
    for (int c = 1; c < 256; ++c) all += Byte(c);
    const std::string once = UpperCz(StripDiacritics(all));
    EXPECT_EQ(UpperCz(StripDiacritics(once)), once);
}

TEST(TextOpsFill, RepeatStripAndPad) {
    EXPECT_EQ(StrOfChar(3, 'x'), "xxx");
    EXPECT_EQ(StrOfChar(300, '-'), std::string(255, '-'));
    EXPECT_EQ(StrOfChar(-4, 'x'), "");
    EXPECT_EQ(StripRight("  a b \t  "), "  a b \t");
    EXPECT_EQ(StripLeft("  a b  "), "a b  ");
    EXPECT_EQ(RemoveSpaces(" 1 2 3 "), "123");

    // Text, side, filling, width, result; "p" strips only trailing blanks.
    const std::array<const char*, 5> pads[] = {
        {"12", "P", "0", "4", "0012"},  {"abcdef", "P", " ", "4", "cdef"}, {" ab", "L", ".", "4", "ab.."},
        {"  12  ", "p", "0", "6", "00  12"}, {"ab", "P", "xy", "5", "yxyab"}, {"ab", "L", "xy", "5", "abxyx"},
        {"ab", "L", "", "4", "ab  "},   {"ab", "X", " ", "4", ""}};
    for (const auto& k : pads) EXPECT_EQ(PadStr(k[0], k[1], k[2], std::stoi(k[3])), k[4]) << k[0] << k[1];
}

// Every byte glibc converts to code page 852 must land where it says, except
// the few the printers use differently.
TEST(TextOpsCodePages, MapHighCharsAgreesWithCodePage852) {
    iconv_t cd = iconv_open("CP852", "CP1250");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    const std::string special = "\u00A0·¬˙¤"_cz;
    int shared = 0;
    for (int c = 128; c < 256; ++c) {
        std::string mapped = MapHighChars(Byte(c));
        ASSERT_EQ(mapped.size(), 1u);
        if (special.find(static_cast<char>(c)) != std::string::npos) continue;
        char in = static_cast<char>(c), out = 0;
        char* inp = &in;
        char* outp = &out;
        std::size_t inLeft = 1, outLeft = 1;
        bool known = iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (known) {
            ++shared;
            EXPECT_EQ(mapped, std::string(1, out)) << "byte " << c;
        } else {
            EXPECT_EQ(mapped, " ") << "byte " << c;
        }
    }
    iconv_close(cd);
    EXPECT_GT(shared, 90);

    EXPECT_EQ(MapHighChars("\u00A0"_cz), Byte(170));
    EXPECT_EQ(MapHighChars("·"_cz), Byte(250));
    const std::string blanked = "¬˙¤€„“”–—…•™©®±µ¶¦"_cz;
    EXPECT_EQ(MapHighChars(blanked), std::string(blanked.size(), ' '));
    std::string ascii;
    for (int c = 0; c < 128; ++c) ascii += Byte(c);
    EXPECT_EQ(MapHighChars(ascii), ascii);
    EXPECT_EQ(MapHighChars("Kůň"_cz), "K\x85\xE5");
}

TEST(TextOpsCodePages, KamenickyBothWays) {
    const std::string dos =
        "\x80\x82\x83\x85\x86\x87\x88\x89\x8B\x8F\x90\x91\x92\x94\x95\x96\x97"
        "\x98\x99\x9A\x9B\x9D\x9E\x9F\xA0\xA1\xA2\xA3\xA4\xA5\xA6\xA8\xA9";
    const std::string win = "ČéďĎŤčěĚÍÁÉžŽöÓůÚýÖÜŠÝŘťáíóúňŇŮšř"_cz;
    EXPECT_EQ(DosToWin(dos), win);
    EXPECT_EQ(WinToDos(win), dos);
    EXPECT_EQ(DosToWin("\xB3\xB6\xB9\xBA\xC3\xC5\xC7\xCE"), "||||||||");
    EXPECT_EQ(DosToWin("\xBB\xBC\xC0\xC1\xC2\xC4\xC8\xC9\xCA\xCD\xCF\xD1\xD8"), "-------------");
    EXPECT_EQ(DosToWin("\xBF\xDA"), "  ");
    EXPECT_EQ(DosToWin("abc \x81\x84\xB0\xD9"), "abc \x81\x84\xB0\xD9");
    EXPECT_EQ(WinToDos("abc ä€Ľ"_cz), "abc ä€Ľ"_cz);
}

// ---- Czech collation ----

int W(unsigned char c) { return CzechWeights()[c]; }

TEST(Collate, CzechOrder) {
    auto sorted = [](std::vector<std::string> v) {
        std::sort(v.begin(), v.end(),
                  [](const std::string& a, const std::string& b) { return CollateKey(a) < CollateKey(b); });
        return v;
    };
    // "ch" after every "h", before "i"; the three spellings in their order.
    std::vector<std::string> want = {"Hrad", "hůl"_cz, "hýbat"_cz, "CHATA", "Chata", "chata", "chůze"_cz,
                                     "Ihla", "ihned"};
    EXPECT_EQ(sorted({"ihned", "chata", "Ihla", "CHATA", "hýbat"_cz, "Chata", "Hrad", "chůze"_cz, "hůl"_cz}),
              want);
    // "Č" after every plain "C" or "c"; accented letters next to their base.
    want = {"Cyril", "cyklus", "Čáp"_cz, "čáp"_cz, "Dům"_cz, "Ďas"_cz, "ďábel"_cz, "Emil", "Řád"_cz, "Šimon"_cz,
            "Žena"_cz, "žena"_cz};
    EXPECT_EQ(sorted({"žena"_cz, "Ďas"_cz, "Čáp"_cz, "Emil", "cyklus", "Řád"_cz, "Žena"_cz, "Dům"_cz,
                      "čáp"_cz, "Cyril", "ďábel"_cz, "Šimon"_cz}),
              want);
    // Digits and blanks before letters, "[" and unlisted letters after "ž".
    EXPECT_LT(CollateKey("9"), CollateKey("A"));
    EXPECT_LT(CollateKey("A B"), CollateKey("AB"));
    EXPECT_LT(CollateKey("žž"_cz), CollateKey("["));
    EXPECT_LT(CollateKey("žž"_cz), CollateKey("ł"_cz));

    // Only the first "ch" joins; a second one is "c" then "h".
    EXPECT_EQ(CollateKey("chochol").size(), 6u);
    EXPECT_LT(CollateKey("chochol"), CollateKey("chohol"));    // c < h
    EXPECT_LT(CollateKey("chlach"), CollateKey("chlad"));     // c < d
    // Each spelling joins once on its own; "cH" never joins.
    EXPECT_EQ(CollateKey("CHChch").size(), 3u);
    EXPECT_EQ(CollateKey("cH"), std::string({static_cast<char>(W('c')), static_cast<char>(W('H'))}));
    EXPECT_LT(CollateKey("cH"), CollateKey("ch"));
    EXPECT_EQ(CollateKey(""), "");
}

// ---- scrambling ----

TEST(Scramble, KeyCyclesAndRotationsRunOneToSeven) {
    // Zero bytes show the key byte of each position rotated right by 1..7:
    // key bytes 1,2,4,1,2,4,1,2,4,1 and rotations 1..7,1,2,3.
    EXPECT_EQ(Scramble(std::string(10, '\0'), "\x01\x02\x04"),
              "\x80\x80\x80\x10\x10\x10\x02\x01\x01\x20");
    // XOR first, then the rotation: 0xFF ^ 0x0F = 0xF0, rotated by 1.
    EXPECT_EQ(Scramble("\xff", "\x0f"), "\x78");
    EXPECT_EQ(Unscramble("\x78", "\x0f"), "\xff");
    // No key: the text stays.
    EXPECT_EQ(Scramble("Jan", "") + Unscramble("Jan", ""), "JanJan");
}

TEST(Scramble, FileInBlocksOf250) {
    rectest::TempStation s;
    Common& c = s.c;

    std::string data;
    for (int i = 0; i < 600; ++i) data += static_cast<char>(i * 7 + 3);
    WriteHost(s.work / "a.jpg", data);
    ASSERT_EQ(ScrambleFile(c, "a.jpg"), io::kOk);
    const std::string& k = SystemKey();
    std::string scrambled = ReadHost(s.work / "a.jpg");
    EXPECT_EQ(scrambled, Scramble(data.substr(0, 250), k) + Scramble(data.substr(250, 250), k) +
                             Scramble(data.substr(500), k));
    EXPECT_NE(scrambled, Scramble(data, k));  // each block starts the key afresh
    ASSERT_EQ(UnscrambleFile(c, "a.jpg"), io::kOk);
    EXPECT_EQ(ReadHost(s.work / "a.jpg"), data);

    // One byte is left alone; a missing file is reported.
    WriteHost(s.work / "b.jpg", "x");
    EXPECT_EQ(ScrambleFile(c, "b.jpg"), io::kOk);
    EXPECT_EQ(ReadHost(s.work / "b.jpg"), "x");
    EXPECT_EQ(ScrambleFile(c, "c.jpg"), io::kFileNotFound);
}

// ---- pictures ----

struct Pic {
    std::string picture;
    double value;
    std::string text;
};

// Digit places, signs, zeros and rounding, each row as the picture shows it.
TEST(PictureFormat, DigitsSignsZerosAndRounding) {
    const Pic cases[] = {
        {"@@", 5, "05"}, {"###", 12, " 12"}, {"### ###.##-", 1234.5, "  1 234.50 "},
        {"######,##", 1234.5, "  1234,50"}, {"###.##", 0.5, "  0.50"},  // integer zero is a digit
        {"###", 12345, "345"}, {"@@@", 999.5, "000"},  // high digits drop, also after rounding
        {"#####", 123456789012345678.0, "45680"},
        // The sign: in the last "-" or before the digits; none without room
        // or behind a leading literal.
        {"### ###.##-", -1234.5, "  1 234.50-"}, {"#####", -12, "  -12"}, {"@@@@", -12, "0012"},
        {"###.## Kč"_cz, -1.5, " -1.50 Kč"_cz}, {"Kč ###"_cz, -5, "Kč   5"_cz},
        {"##-##-", -5, "  - 5-"}, {"##-##-", 5, "  - 5 "}, {"-###", -5, "-  5"},
        // Zeros: blank unless "@" ends the picture.
        {"###", 0, "   "}, {"@@@@", 0, "0000"}, {"##.##", 0.0000009, "     "},
        {"#.######", 0.000001, "0.000001"}, {"##.@@", -0.0000001, "-0.00"},
        // A negative amount rounding to zero vanishes with a blank before it
        // and the sign after.
        {"###.##-", -0.004, "       "}, {"###.##-", -0.005, "  0.01-"}, {"#.##-", -0.001, "0.00-"},
        {"####.##", -0.001, "  -0.00"},
        // Nearest, ties away from zero, as the decimal is written.
        {"#.##", 0.125, "0.13"}, {"###", -2.5, " -3"}, {"#.##", 2.675, "2.68"},
        {"#.##", 1.0049999, "1.00"}, {"##.##", 9.995, "10.00"}, {"#.#", 0.94999999999, "0.9"},
    };
    for (const Pic& k : cases) EXPECT_EQ(FormatPic(k.picture, k.value), k.text) << k.picture << " " << k.value;
    EXPECT_EQ(FormatPicZero("#####.##", 0), "    0.00");
    EXPECT_EQ(FormatPicZero("###.##-", -0.001), "  0.00-");
    // Huge values show the lowest digits of their exact binary value.
    for (double huge : {1e22, 1e300, std::numeric_limits<double>::max()}) {
        char exact[400];
        int len = std::snprintf(exact, sizeof exact, "%.2f", huge);
        EXPECT_EQ(FormatPic("####.##", huge), std::string(exact + len - 7, 7));
    }
}

TEST(PictureFormat, LongPicturesAndOddValues) {
    std::string r = FormatPic(std::string(80, '#'), -1e15);
    EXPECT_EQ(r, std::string(63, ' ') + "-1000000000000000");
    r = FormatPic(std::string(40, '@') + "." + std::string(39, '@'), 1.5);
    EXPECT_EQ(r, std::string(39, '0') + "1.5" + std::string(38, '0'));
    EXPECT_EQ(FormatPicZero("#.####", 5e-324), "0.0000");
    EXPECT_EQ(FormatPic("###", std::nan("")), "   ");
    EXPECT_EQ(FormatPic("@@", std::numeric_limits<double>::infinity()), "00");
}

TEST(PictureFormat, MoneyAmounts) {
    // An exact tie rounds up; under 0.001 is blank.
    for (auto [picture, amount, text] :
         {std::tuple{"#####.##", 12345678, " 1234.57"}, {"#.##", 1250, "0.13"}, {"#####.##", 9, "        "},
          {"#####.##", 10, "    0.00"}, {"###.##-", -49, "       "}, {"#.######", 12345, "1.234500"}})
        EXPECT_EQ(FormatMoneyPic(picture, amount), text) << amount;
    EXPECT_EQ(FormatMoneyPic("@@@@@@@@@@@@@@@.@@@@-", std::numeric_limits<Money>::min()),
              "922337203685477.5808-");

    // Amounts beyond twelve integer places keep their high digits.
    const std::pair<Money, Money> rounded[] = {
        {12345, 12300}, {-12350, -12400}, {-49, 0}, {9950, 10000},
        {10000000000000000 + 51, 10000000000000100},
        {std::numeric_limits<Money>::min(), -9223372036854775800}};
    for (auto [amount, to] : rounded) EXPECT_EQ(RoundMoney(amount), to) << amount;
}

TEST(PictureRealToStr, FixedPointRightAligned) {
    for (auto [width, decimals, value, text] : {std::tuple{8, 2, 3.14159, "    3.14"}, {0, 0, -2.5, "-3"},
                                                {1, 1, 99.96, "100.0"}, {6, 3, -0.0004, "-0.000"}})
        EXPECT_EQ(RealToStr(width, decimals, value), text) << value;
    EXPECT_EQ(RealToStr(60, 0, 7), std::string(39, ' ') + "7");
    EXPECT_EQ(RealToStr(0, 2, 1e40), std::string(40, '*'));  // does not fit 40 characters
}

TEST(PictureLooseReaders, IntegersAndFloats) {
    // A later sign does not undo a letter; out of range reads as nothing.
    const std::pair<std::string, int> ints[] = {
        {"", 0}, {"Kč 15"_cz, 0}, {"x-15", 0}, {"+5-", -5}, {"-5+", 5}, {"1 234", 1}, {" 12,50", 12},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()}, {"2147483648", 0}};
    for (const auto& [text, value] : ints) EXPECT_EQ(StrToIntLoose(text), value) << text;
    const std::pair<std::string, double> reals[] = {{"1 234,50 Kč"_cz, 1234.5}, {"12-", -12}, {"+3", 3},
                                                    {"1.2.3", 1.2}, {"0.1", 0.1}, {".", 0}};
    for (const auto& [text, value] : reals) EXPECT_EQ(StrToFloatLoose(text), value) << text;
    EXPECT_FALSE(std::signbit(StrToFloatLoose("-0")));
}

}  // namespace
}  // namespace kj
