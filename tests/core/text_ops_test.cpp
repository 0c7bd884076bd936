#include <gtest/gtest.h>
#include <iconv.h>

#include "services/cp1250.h"
#include "services/picture.h"

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

    EXPECT_EQ(PadStr("12", "P", "0", 4), "0012");
    EXPECT_EQ(PadStr("abcdef", "P", " ", 4), "cdef");
    EXPECT_EQ(PadStr(" ab", "L", ".", 4), "ab..");
    EXPECT_EQ(PadStr("  12  ", "p", "0", 6), "00  12");  // only trailing blanks go
    EXPECT_EQ(PadStr("ab", "P", "xy", 5), "yxyab");
    EXPECT_EQ(PadStr("ab", "L", "xy", 5), "abxyx");
    EXPECT_EQ(PadStr("ab", "L", "", 4), "ab  ");
    EXPECT_EQ(PadStr("ab", "X", " ", 4), "");
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

}  // namespace
}  // namespace kj
