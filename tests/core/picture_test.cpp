#include "kj_test.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace kj {
namespace {

TEST(PictureFormat, FillsDigitPlacesAndDropsHighDigits) {
    EXPECT_EQ(FormatPic("@@", 5), "05");
    EXPECT_EQ(FormatPic("###", 12), " 12");
    EXPECT_EQ(FormatPic("### ###.##-", 1234.5), "  1 234.50 ");
    EXPECT_EQ(FormatPic("######,##", 1234.5), "  1234,50");
    EXPECT_EQ(FormatPic("###.##", 0.5), "  0.50");  // the integer zero is a digit
    EXPECT_EQ(FormatPic("###", 12345), "345");
    EXPECT_EQ(FormatPic("@@@", 999.5), "000");  // rounds to 1000
    EXPECT_EQ(FormatPic("#####", 123456789012345678.0), "45680");
    // Huge values show the lowest digits of their exact binary value.
    for (double huge : {1e22, 1e300, std::numeric_limits<double>::max()}) {
        char exact[400];
        int len = std::snprintf(exact, sizeof exact, "%.2f", huge);
        EXPECT_EQ(FormatPic("####.##", huge), std::string(exact + len - 7, 7));
    }
}

TEST(PictureFormat, SignRules) {
    EXPECT_EQ(FormatPic("### ###.##-", -1234.5), "  1 234.50-");
    EXPECT_EQ(FormatPic("#####", -12), "  -12");
    EXPECT_EQ(FormatPic("@@@@", -12), "0012");  // no room for the sign
    EXPECT_EQ(FormatPic("###.## Kč"_cz, -1.5), " -1.50 Kč"_cz);
    EXPECT_EQ(FormatPic("Kč ###"_cz, -5), "Kč   5"_cz);  // a literal leads: no sign
    // Only the last "-" is the sign place; an earlier one is a literal.
    EXPECT_EQ(FormatPic("##-##-", -5), "  - 5-");
    EXPECT_EQ(FormatPic("##-##-", 5), "  - 5 ");
    EXPECT_EQ(FormatPic("-###", -5), "-  5");
}

TEST(PictureFormat, ZeroRules) {
    EXPECT_EQ(FormatPic("###", 0), "   ");
    EXPECT_EQ(FormatPic("@@@@", 0), "0000");
    EXPECT_EQ(FormatPic("##.##", 0.0000009), "     ");
    EXPECT_EQ(FormatPic("#.######", 0.000001), "0.000001");
    EXPECT_EQ(FormatPic("##.@@", -0.0000001), "-0.00");  // a final "@": no zero rule
    EXPECT_EQ(FormatPicZero("#####.##", 0), "    0.00");
    // A negative amount rounding to zero vanishes where the picture has a blank
    // before it and the sign after.
    EXPECT_EQ(FormatPic("###.##-", -0.004), "       ");
    EXPECT_EQ(FormatPic("###.##-", -0.005), "  0.01-");
    EXPECT_EQ(FormatPic("#.##-", -0.001), "0.00-");
    EXPECT_EQ(FormatPicZero("###.##-", -0.001), "  0.00-");
    EXPECT_EQ(FormatPic("####.##", -0.001), "  -0.00");
}

TEST(PictureFormat, RoundsToNearestTiesAwayFromZero) {
    EXPECT_EQ(FormatPic("#.##", 0.125), "0.13");
    EXPECT_EQ(FormatPic("###", -2.5), " -3");
    EXPECT_EQ(FormatPic("#.##", 2.675), "2.68");  // rounded as written, not as 2.67499..
    EXPECT_EQ(FormatPic("#.##", 1.0049999), "1.00");
    EXPECT_EQ(FormatPic("##.##", 9.995), "10.00");
    EXPECT_EQ(FormatPic("#.#", 0.94999999999), "0.9");
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
    EXPECT_EQ(FormatMoneyPic("#####.##", 12345678), " 1234.57");
    EXPECT_EQ(FormatMoneyPic("#.##", 1250), "0.13");       // exact tie
    EXPECT_EQ(FormatMoneyPic("#####.##", 9), "        ");  // under 0.001
    EXPECT_EQ(FormatMoneyPic("#####.##", 10), "    0.00");
    EXPECT_EQ(FormatMoneyPic("###.##-", -49), "       ");
    EXPECT_EQ(FormatMoneyPic("#.######", 12345), "1.234500");
    EXPECT_EQ(FormatMoneyPic("@@@@@@@@@@@@@@@.@@@@-", std::numeric_limits<Money>::min()),
              "922337203685477.5808-");

    EXPECT_EQ(RoundMoney(12345), 12300);
    EXPECT_EQ(RoundMoney(-12350), -12400);
    EXPECT_EQ(RoundMoney(-49), 0);
    EXPECT_EQ(RoundMoney(9950), 10000);
    // Amounts beyond twelve integer places keep their high digits.
    EXPECT_EQ(RoundMoney(10000000000000000 + 51), 10000000000000100);
    EXPECT_EQ(RoundMoney(std::numeric_limits<Money>::min()), -9223372036854775800);
}

TEST(PictureRealToStr, FixedPointRightAligned) {
    EXPECT_EQ(RealToStr(8, 2, 3.14159), "    3.14");
    EXPECT_EQ(RealToStr(0, 0, -2.5), "-3");
    EXPECT_EQ(RealToStr(1, 1, 99.96), "100.0");
    EXPECT_EQ(RealToStr(6, 3, -0.0004), "-0.000");
    EXPECT_EQ(RealToStr(60, 0, 7), std::string(39, ' ') + "7");
    EXPECT_EQ(RealToStr(0, 2, 1e40), std::string(40, '*'));  // does not fit 40 characters
}

TEST(PictureLooseReaders, IntegersAndFloats) {
    EXPECT_EQ(StrToIntLoose(""), 0);
    EXPECT_EQ(StrToIntLoose("Kč 15"_cz), 0);
    EXPECT_EQ(StrToIntLoose("x-15"), 0);  // a later sign does not undo the letter
    EXPECT_EQ(StrToIntLoose("+5-"), -5);
    EXPECT_EQ(StrToIntLoose("-5+"), 5);
    EXPECT_EQ(StrToIntLoose("1 234"), 1);
    EXPECT_EQ(StrToIntLoose(" 12,50"), 12);
    EXPECT_EQ(StrToIntLoose("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(StrToIntLoose("2147483648"), 0);  // out of range reads as nothing

    EXPECT_EQ(StrToFloatLoose("1 234,50 Kč"_cz), 1234.5);
    EXPECT_EQ(StrToFloatLoose("12-"), -12);
    EXPECT_EQ(StrToFloatLoose("+3"), 3);
    EXPECT_EQ(StrToFloatLoose("1.2.3"), 1.2);
    EXPECT_EQ(StrToFloatLoose("0.1"), 0.1);
    EXPECT_EQ(StrToFloatLoose("."), 0);
    EXPECT_FALSE(std::signbit(StrToFloatLoose("-0")));
}

}  // namespace
}  // namespace kj
