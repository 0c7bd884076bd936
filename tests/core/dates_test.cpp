#include "kj_test.h"

#include <ctime>

#include "services/dates.h"

namespace kj {
namespace {

const std::string kNoDate(6, ' ');
const std::string kNoLongDate(8, ' ');

TEST(DatesNormalize, LooseFormsAndRejects) {
    for (const char* typed : {"1.2.23", "01/02/2023", "1-2-2023", "010223", "01.022023",
                              " 1, 2, 23 ", "O1.O2.23", ".1.2.23"})
        EXPECT_EQ(NormalizeDate(typed), "010223") << typed;
    EXPECT_EQ(NormalizeDate("l5.l2.24"), "151224");
    EXPECT_EQ(NormalizeDate("15.6.1999"), "150699");
    EXPECT_EQ(NormalizeDate("1.2."), "010200");
    EXPECT_EQ(NormalizeDate("29.2.24"), "290224");
    // ".12.02.23" fails: the month is read from the third character of the
    // whole text.
    for (const char* typed :
         {"  ", "29.2.23", "31.4.24", "1.13.24", "000000", "1.2.x3", ".12.02.23"})
        EXPECT_EQ(NormalizeDate(typed), kNoDate) << typed;
}

TEST(DatesCheck, DatesAndTimes) {
    for (const char* ok : {"", "000000", "00000000", "290200", "29022000", "29021900", "01 02 24"})
        EXPECT_FALSE(DateInvalid(ok)) << ok;
    for (const char* bad : {"29021999", "01011800", "01012100", "310424", "000124", "011324",
                            "0102x4", "0102202", "+10224"})
        EXPECT_TRUE(DateInvalid(bad)) << bad;

    for (const char* ok : {"246060", "      ", "        ", "12:30:45"})
        EXPECT_FALSE(TimeInvalid(ok)) << ok;
    for (const char* bad : {"250000", "006100", "000061", "12:61:00", "1230", "12a000"})
        EXPECT_TRUE(TimeInvalid(bad)) << bad;
}

TEST(DatesDayNumbers, KnownDaysAndInverse) {
    EXPECT_EQ(DayNumber("01011901"), 367);
    EXPECT_EQ(DayNumber("010100"), 36526);
    EXPECT_EQ(DayNumber("0101O5"), DayNumber("010105"));  // the generator's letter O
    EXPECT_EQ(DayNumber("000000"), 0);
    EXPECT_EQ(DateOfDay(36526), "010100");
    EXPECT_EQ(DateOfDay(366), "31121900");  // 1900 is a leap year here
    EXPECT_EQ(DateOfDay(DayNumber("010324") - 1), "290224");
    EXPECT_EQ(DateOfDay(DayNumber("01032100") - 1), "29022100");
    EXPECT_EQ(DateOfDay(0), kNoDate);

    // Two-digit years cover 2000..2099 only.
    const int first2100 = DayNumber("01012100");
    for (int n = 1; n < 75000; ++n) {
        std::string date = DateOfDay(n);
        ASSERT_EQ(DayNumber(date), n) << date;
        ASSERT_EQ(date.size(), n < 36526 || n >= first2100 ? 8u : 6u) << n;
    }
}

TEST(DatesForms, ConversionsAndReorderings) {
    EXPECT_EQ(Date6To8("3112O9"), "31122009");
    EXPECT_EQ(Date6To8("000000"), kNoLongDate);
    EXPECT_EQ(DisplayDate("l502O4"), "15.02.04");
    EXPECT_EQ(DisplayDate("0l02O4"), "0l.02.04");  // only the first and fifth place
    EXPECT_EQ(DisplayDate("      "), kNoLongDate);

    std::tm day{};
    day.tm_year = 2024 - 1900;
    day.tm_mon = 2;
    day.tm_mday = 5;
    day.tm_hour = 12;
    day.tm_isdst = -1;
    EXPECT_EQ(WorkDate(std::mktime(&day)), "05.03.24");

    EXPECT_EQ(Date8To6("01022023"), "010223");
    EXPECT_EQ(Date8To6("010223"), "010223");
    EXPECT_LT(DateSortKey("311222"), DateSortKey("010123"));
    EXPECT_EQ(LongDateSortKey("01022023"), "20230201");
    EXPECT_EQ(SortKeyToDotted("20230201"), "01.02.2023");
    EXPECT_EQ(UndotDate("01.02."), "0102");
    EXPECT_EQ(TimeToShort("12:34:56"), "123456");
    EXPECT_EQ(ShowTime("123456"), "12:34:56");
    EXPECT_EQ(DateSortKey("12"), "12");  // short texts are safe
}

}  // namespace
}  // namespace kj
