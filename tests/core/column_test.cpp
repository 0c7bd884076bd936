// Columns: masks, editing rules, stored forms; repeat templates and the
// record checksum.

#include "kj_test.h"

#include <array>

#include "screens/column.h"
#include "screens/record_checksum.h"
#include "screens/record_templates.h"

namespace kj {
namespace {

SloupecPopis Column(std::string_view mask, int width, std::string_view title = "T") {
    SloupecPopis s;
    DefinujSloupec(s, title, 2, "", 0, 0, std::string(static_cast<std::size_t>(width), ' '), mask,
                   1);
    return s;
}

// The stored form of `value` in a column of this mask and width.
std::string Stored(std::string_view mask, int width, std::string_view value) {
    SloupecPopis s = Column(mask, width);
    s.value = std::string(value);
    return ZapisPole(s);
}

std::string Shown(std::string_view mask, int width, const std::string& stored) {
    return CtiPole(Column(mask, width), stored.data());
}

std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += static_cast<char>(b);
    return s;
}

struct Edit {
    std::string mask;
    int width;
    std::string typed, result;
};

TEST(Column, EditingRuleByType) {
    const Edit cases[] = {
        {"X", 10, "  ab c  ", "ab c"}, {"Y", 5, "ab  ", "   ab"}, {"P", 4, "12", "0012"},
        {"L", 4, "12", "1200"}, {"L", 4, " 1 2", "1020"}, {" ", 3, "abcdef", "abc"}, {" ", 3, "a", "a  "},
        {"###.##R", 6, "1,5", "  1.50"}, {"@@@@@W", 5, "12", "00012"},
        {"###W", 3, "abc", "   "},  // unreadable: 0, shown blank
        {"######.##-R", 10, "-12,5", "    12.50-"}, {"d", 8, "1.2.24", "01.02.24"},
        {"D", 8, "31.4.24", "        "}, {"T", 8, "7.5", "07:05:00"}, {"T", 8, "", "00:00:00"},
        {"q", 10, "1.2.24", "01.02.2024"}, {"Q", 10, "01022024", "01.02.2024"},
        {"q", 10, "1,2,1999", "01.02.1999"}, {"q", 10, "29.2.2023", std::string(10, ' ')},
        {"K", 6, "+ěš"_cz, "+ěš"_cz},
    };
    for (const Edit& k : cases)
        EXPECT_EQ(UpravPole(Column(k.mask, k.width), k.typed, PenInput::Off), k.result) << k.mask << k.typed;
    // The reading pen's characters become digits only when the pen was on.
    EXPECT_EQ(UpravPole(Column("K", 6), "+ěš"_cz, PenInput::On), "123");
}

TEST(Column, TimeAndLongDateCompletion) {
    // A trailing blank is dropped, an inner one counts as 0.
    const std::pair<const char*, const char*> times[] = {
        {"7", "070000"}, {"1230", "123000"}, {"73015", "073015"}, {" 7:3 ", "070300"},
        {" 7:3 :00", "073000"}, {"123:4:5:6", "230405"}};
    for (auto [typed, time] : times) EXPECT_EQ(CompleteTime(typed), time) << typed;
    const std::pair<const char*, const char*> dates[] = {
        {"O1.O2.2O24", "01022024"}, {"1.2.", "01022000"}, {"010224", "01022024"},
        {"00000000", "        "}, {"ab", "        "}};
    for (auto [typed, date] : dates) EXPECT_EQ(CompleteLongDate(typed), date) << typed;
}

TEST(Column, StoredFormsAreByteExactAndReadBack) {
    // Text and code columns: a length byte equal to the width, then exactly
    // width characters. Dates: 9 year first, 10 as typed; times; long
    // dates; numbers in their binary forms. Each stored form reads back.
    const struct {
        std::string mask;
        int width;
        std::string typed, stored, shown;
    } cases[] = {
        {"X", 10, "ab", "\x0A" "ab        ", "ab        "}, {"Y", 5, "ab", "\x05   ab", "   ab"},
        {"P", 4, "12", "\x04" "0012", "0012"}, {"##Z", 3, "ab", "\x03" "ab ", "ab "},
        {"D", 8, "010224", "\x06" "240201", "01.02.24"}, {"d", 8, "01.02.24", "\x06" "010224", "01.02.24"},
        {"d", 8, "31.02.24", "\x06" + std::string(6, ' '), "        "},
        {"T", 8, "7:30", "\x06" "073000", "07:30:00"}, {"Q", 10, "1.2.2024", "\x08" "20240201", "01.02.2024"},
        {"q", 10, "01.02.2024", "\x08" "01022024", "01.02.2024"},
        {"###.##R", 6, "1,5", Bytes({0x81, 0, 0, 0, 0, 0x40}), "  1.50"},
        {"@@@@@W", 5, "00300", Bytes({0x2C, 0x01}), "00300"}, {"###B", 3, "200", Bytes({0xC8}), "200"},
        {"#########I", 9, "-2", Bytes({0xFE, 0xFF, 0xFF, 0xFF}), "       -2"},
        {"##.##D", 5, "1.5", Bytes({0, 0, 0, 0, 0, 0, 0xF8, 0x3F}), " 1.50"},
        {"######C", 6, "2,6", Bytes({3, 0, 0, 0, 0, 0, 0, 0}), "     3"},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(Stored(k.mask, k.width, k.typed), k.stored) << k.mask << " " << k.typed;
        EXPECT_EQ(Shown(k.mask, k.width, k.stored), k.shown) << k.mask << " " << k.typed;
    }
    EXPECT_EQ(Stored("X", 0, "ab"), std::string(1, '\0'));
    EXPECT_EQ(Stored("###.##R", 6, ""), std::string(6, '\0'));
    // A damaged length byte never reads past the field; odd stored bytes.
    const std::array<std::string, 4> odd[] = {{"X", "2", "\x09" "abcdef", "ab"},
                                               {"d", "8", "\x06" "0102O4", "01.02.04"},
                                               {"@@@@@W", "5", Bytes({0xFF, 0xFF}), "65535"},  // unsigned
                                               {"q", "10", "\x08        ", std::string(10, ' ')}};
    for (const auto& k : odd) EXPECT_EQ(Shown(k[0], std::stoi(k[1]), k[2]), k[3]) << k[0] << k[2];
    for (const char* mask : {"d", "T"}) EXPECT_EQ(Shown(mask, 8, std::string(7, '\0')), "        ");
}

TEST(Column, RecordLengthMismatchIsNamed) {
    Sloupce table = {Column("d", 8), Column("X", 6), Column("###W", 3)};
    EXPECT_EQ(RecordLengthMismatch("kjucel.dta", table, 16), "");
    EXPECT_EQ(RecordLengthMismatch("kjucel.dta", table, 19, 3), "");
    EXPECT_EQ(RecordLengthMismatch("kjucel.dta", table, 17),
              "Chybná délka věty tabulky kjucel.dta: 17, sloupce dávají 16"_cz);
}

// ---- repeat templates and checksums ----

using Station = rectest::TempStation;

Sloupce Trip() {
    return {Column("d", 8, "Datum"), Column("X", 10, "Místo"_cz), Column("####.#R", 6, "Km")};
}

TEST(RecordTemplates, FileNameKeysAndStoredLines) {
    Station s;
    Sloupce cols = Trip();
    cols[0].value = "01.02.24";
    cols[1].value = "Brno";
    cols[2].value = "  12.5";
    StoreTemplate(s.c, "par\\Auta.F12", cols);
    EXPECT_EQ(ReadHost(s.work / "par" / "Auta.F12"),
              "  1 : 01.02.24\r\n  2 : Brno\r\n  3 :   12.5\r\n");

    // Ctrl+F12 then F4 and Shift+F12: the editable fields take the stored
    // values; a read-only and a hidden field keep theirs.
    Sloupce fresh = Trip();
    fresh[0].value = "05.03.24";
    RestoreTemplate(s.c, "par\\Auta.F12", fresh, {0, 1});
    EXPECT_EQ(fresh[0].value, "05.03.24");
    EXPECT_EQ(fresh[1].value, "Brno");
    EXPECT_EQ(fresh[2].value, "  12.5");  // missing from the states: editable
    fresh[2].value = "x";
    RestoreTemplate(s.c, "par\\Auta.F12", fresh, {1, 1, -1});
    EXPECT_EQ(fresh[0].value, "01.02.24");
    EXPECT_EQ(fresh[2].value, "x");

    // A blank value removes its line and comes back empty.
    cols[1].value = "          ";
    StoreTemplate(s.c, "par\\Auta.F12", cols);
    RestoreTemplate(s.c, "par\\Auta.F12", fresh, {});
    EXPECT_EQ(fresh[1].value, "");
}

TEST(RecordChecksum, SumAndStampDetectChanges) {
    const unsigned char rec[4] = {0xFF, 0x01, 0x80, 0x00};
    EXPECT_EQ(RecordChecksum(rec, 4), 0x180u);
    EXPECT_EQ(RecordChecksum(rec, 0), 0u);

    Station s;
    std::string record = "ABCDEF";
    const RecordStamp stamp = RecordStamp::Of(record.data(), record.size());
    EXPECT_EQ(stamp.sum, RecordChecksum(record.data(), record.size()));
    EXPECT_TRUE(ConfirmUnchanged(s.c, stamp, record.data(), record.size()));
    EXPECT_TRUE(s.ui.shown.empty());

    // Another station changed the record.
    std::string changed = "ABCDEG";
    EXPECT_FALSE(ConfirmUnchanged(s.c, stamp, changed.data(), changed.size()));
    EXPECT_EQ(s.ui.Texts("beep"),
              (std::vector<std::string>{"Vaše opravy neplatí, větu změnil jiný uživatel"_cz}));

    // Two letters swapped keep the sum but are still a change.
    std::string swapped = "BACDEF";
    EXPECT_EQ(RecordChecksum(swapped.data(), 6), stamp.sum);
    EXPECT_FALSE(stamp.Matches(swapped.data(), swapped.size()));
    EXPECT_FALSE(stamp.Matches(record.data(), 5));
}

}  // namespace
}  // namespace kj
