// Columns: masks, editing rules, stored forms; repeat templates and the
// record checksum.

#include "kj_test.h"

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

TEST(Column, MaskGivesTypeAndPicture) {
    struct Case {
        const char* mask;
        int type;
        const char* picture;
    };
    const Case cases[] = {
        {"X", 0, ""},          {"Y", 1, ""},          {"L", 2, ""},
        {"P", 3, ""},          {" ", 4, ""},          {"D", 9, ""},
        {"d", 10, ""},         {"T", 13, ""},         {"t", 13, ""},
        {"Q", 15, ""},         {"q", 16, ""},         {"K", 17, ""},
        {"x", 20, ""},         {"y", 21, ""},         {"l", 22, ""},
        {"p", 23, ""},         {"m", 24, ""},         {"###B", 5, "###"},
        {"#########I", 6, "#########"}, {"####L", 7, "####"}, {"######.##-R", 8, "######.##-"},
        {"@@@@@W", 11, "@@@@@"}, {"##.##D", 12, "##.##"}, {"#####C", 14, "#####"},
        {"##Z", 0, "##"},      {"Z##", 0, "Z##"},
    };
    for (const Case& k : cases) {
        SloupecPopis s = Column(k.mask, 4);
        EXPECT_EQ(TypeCode(s.type), k.type) << k.mask;
        EXPECT_EQ(s.mask, k.picture) << k.mask;
    }

    // The title is kept as given, the width and both values come from the
    // initial value.
    SloupecPopis purpose;
    DefinujSloupec(purpose, "Účel "_cz, 2, "", 0, 0, std::string(40, ' '), "X", 1);
    EXPECT_EQ(purpose.title, "Účel "_cz);
    EXPECT_EQ(purpose.width, 40);
    EXPECT_EQ(purpose.value, std::string(40, ' '));
    EXPECT_EQ(purpose.repeatValue, std::string(40, ' '));
    EXPECT_EQ(RecordLength({purpose}), 41);
    EXPECT_EQ(ZapisPole(purpose).size(), 41u);
}

TEST(Column, EditingRuleByType) {
    auto upr = [](std::string_view mask, int width, std::string_view text,
                  PenInput pen = PenInput::Off) { return UpravPole(Column(mask, width), text, pen); };
    EXPECT_EQ(upr("X", 10, "  ab c  "), "ab c");
    EXPECT_EQ(upr("Y", 5, "ab  "), "   ab");
    EXPECT_EQ(upr("P", 4, "12"), "0012");
    EXPECT_EQ(upr("L", 4, "12"), "1200");
    EXPECT_EQ(upr("L", 4, " 1 2"), "1020");
    EXPECT_EQ(upr(" ", 3, "abcdef"), "abc");
    EXPECT_EQ(upr(" ", 3, "a"), "a  ");
    EXPECT_EQ(upr("###.##R", 6, "1,5"), "  1.50");
    EXPECT_EQ(upr("@@@@@W", 5, "12"), "00012");
    EXPECT_EQ(upr("###W", 3, "abc"), "   ");  // unreadable: 0, shown blank
    EXPECT_EQ(upr("######.##-R", 10, "-12,5"), "    12.50-");
    EXPECT_EQ(upr("d", 8, "1.2.24"), "01.02.24");
    EXPECT_EQ(upr("D", 8, "31.4.24"), "        ");
    EXPECT_EQ(upr("T", 8, "7.5"), "07:05:00");
    EXPECT_EQ(upr("T", 8, ""), "00:00:00");
    EXPECT_EQ(upr("q", 10, "1.2.24"), "01.02.2024");
    EXPECT_EQ(upr("Q", 10, "01022024"), "01.02.2024");
    EXPECT_EQ(upr("q", 10, "1,2,1999"), "01.02.1999");
    EXPECT_EQ(upr("q", 10, "29.2.2023"), std::string(10, ' '));
    // The reading pen's characters become digits only when the pen was on.
    EXPECT_EQ(upr("K", 6, "+ěš"_cz, PenInput::On), "123");
    EXPECT_EQ(upr("K", 6, "+ěš"_cz), "+ěš"_cz);
}

TEST(Column, TimeAndLongDateCompletion) {
    EXPECT_EQ(CompleteTime("7"), "070000");
    EXPECT_EQ(CompleteTime("1230"), "123000");
    EXPECT_EQ(CompleteTime("73015"), "073015");
    EXPECT_EQ(CompleteTime(" 7:3 "), "070300");     // trailing blank dropped
    EXPECT_EQ(CompleteTime(" 7:3 :00"), "073000");  // inner blank counts as 0
    EXPECT_EQ(CompleteTime("123:4:5:6"), "230405");
    EXPECT_EQ(CompleteLongDate("O1.O2.2O24"), "01022024");
    EXPECT_EQ(CompleteLongDate("1.2."), "01022000");
    EXPECT_EQ(CompleteLongDate("010224"), "01022024");
    EXPECT_EQ(CompleteLongDate("00000000"), std::string(8, ' '));
    EXPECT_EQ(CompleteLongDate("ab"), std::string(8, ' '));
}

TEST(Column, StoredFormsAreByteExactAndReadBack) {
    // Text and code columns: a length byte equal to the width, then exactly
    // width characters.
    EXPECT_EQ(Stored("X", 10, "ab"), "\x0A" "ab        ");
    EXPECT_EQ(Shown("X", 10, "\x0A" "ab        "), "ab        ");
    EXPECT_EQ(Stored("Y", 5, "ab"), "\x05   ab");
    EXPECT_EQ(Stored("P", 4, "12"), "\x04" "0012");
    EXPECT_EQ(Stored("##Z", 3, "ab"), "\x03" "ab ");
    EXPECT_EQ(Stored("X", 0, "ab"), std::string(1, '\0'));
    // A damaged length byte never reads past the field.
    EXPECT_EQ(Shown("X", 2, "\x09" "abcdef"), "ab");

    // Dates: 9 year first, 10 as typed; times; long dates.
    EXPECT_EQ(Stored("D", 8, "010224"), "\x06" "240201");
    EXPECT_EQ(Shown("D", 8, "\x06" "240201"), "01.02.24");
    EXPECT_EQ(Stored("d", 8, "01.02.24"), "\x06" "010224");
    EXPECT_EQ(Shown("d", 8, "\x06" "0102O4"), "01.02.04");
    EXPECT_EQ(Stored("d", 8, "31.02.24"), "\x06" + std::string(6, ' '));
    EXPECT_EQ(Shown("d", 8, std::string(7, '\0')), "        ");
    EXPECT_EQ(Stored("T", 8, "7:30"), "\x06" "073000");
    EXPECT_EQ(Shown("T", 8, "\x06" "073000"), "07:30:00");
    EXPECT_EQ(Shown("T", 8, std::string(7, '\0')), "        ");
    EXPECT_EQ(Stored("Q", 10, "1.2.2024"), "\x08" "20240201");
    EXPECT_EQ(Shown("Q", 10, "\x08" "20240201"), "01.02.2024");
    EXPECT_EQ(Stored("q", 10, "01.02.2024"), "\x08" "01022024");
    EXPECT_EQ(Shown("q", 10, "\x08" "01022024"), "01.02.2024");
    EXPECT_EQ(Shown("q", 10, "\x08        "), std::string(10, ' '));

    // Numbers.
    const std::string real = Bytes({0x81, 0, 0, 0, 0, 0x40});  // 1.5
    EXPECT_EQ(Stored("###.##R", 6, "1,5"), real);
    EXPECT_EQ(Shown("###.##R", 6, real), "  1.50");
    EXPECT_EQ(Stored("###.##R", 6, ""), std::string(6, '\0'));
    EXPECT_EQ(Stored("@@@@@W", 5, "00300"), Bytes({0x2C, 0x01}));
    EXPECT_EQ(Shown("@@@@@W", 5, Bytes({0x2C, 0x01})), "00300");
    EXPECT_EQ(Shown("@@@@@W", 5, Bytes({0xFF, 0xFF})), "65535");  // unsigned
    EXPECT_EQ(Stored("###B", 3, "200"), Bytes({0xC8}));
    EXPECT_EQ(Shown("###B", 3, Bytes({0xC8})), "200");
    EXPECT_EQ(Stored("#########I", 9, "-2"), Bytes({0xFE, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Shown("#########I", 9, Bytes({0xFE, 0xFF, 0xFF, 0xFF})), "       -2");
    EXPECT_EQ(Stored("##.##D", 5, "1.5"), Bytes({0, 0, 0, 0, 0, 0, 0xF8, 0x3F}));
    EXPECT_EQ(Shown("##.##D", 5, Bytes({0, 0, 0, 0, 0, 0, 0xF8, 0x3F})), " 1.50");
    EXPECT_EQ(Stored("######C", 6, "2,6"), Bytes({3, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Shown("######C", 6, Bytes({3, 0, 0, 0, 0, 0, 0, 0})), "     3");
}

TEST(Column, RecordOfColumnsRoundTripsAndChecksItsLength) {
    Sloupce table(5);
    DefinujSloupec(table[0], "Datum", 2, "", 0, 0, std::string(8, ' '), "d", 1);
    DefinujSloupec(table[1], "Místo"_cz, 2, "", 0, 0, std::string(6, ' '), "X", 2);
    DefinujSloupec(table[2], "Km", 2, "", 0, 0, std::string(6, ' '), "######.##R", 3);
    DefinujSloupec(table[3], "Počet"_cz, 2, "", 0, 0, std::string(3, ' '), "###W", 4);
    DefinujSloupec(table[4], "Kód"_cz, 2, "", 0, 0, std::string(4, ' '), "P", 5);
    EXPECT_EQ(RecordLength(table), 7 + 7 + 6 + 2 + 5);
    EXPECT_EQ(ColumnOffset(table, 1), 0);
    EXPECT_EQ(ColumnOffset(table, 3), 14);
    EXPECT_EQ(ColumnOffset(table, 5), 22);
    static_assert(StoredSizeOfMask("d", 8) + StoredSizeOfMask("X", 6) +
                      StoredSizeOfMask("######.##R", 6) + StoredSizeOfMask("###W", 3) +
                      StoredSizeOfMask("P", 4) == 27);

    table[0].value = "1.2.24";
    table[1].value = "Brno";
    table[2].value = "12,5";
    table[3].value = "7";
    table[4].value = "42";
    std::string record(27, '\x55');
    SlozVetu(table, record.data());
    const std::string expected = std::string("\x06" "010224") + "\x06" "Brno  " +
                                 Bytes({0x84, 0, 0, 0, 0, 0x48}) + Bytes({7, 0}) + "\x04" "0042";
    EXPECT_EQ(record, expected);

    for (SloupecPopis& s : table) s.value.clear();
    RozlozVetu(table, record.data());
    EXPECT_EQ(table[0].value, "01.02.24");
    EXPECT_EQ(table[1].value, "Brno  ");
    EXPECT_EQ(table[2].value, "    12.50");
    EXPECT_EQ(table[3].value, "  7");
    EXPECT_EQ(table[4].value, "0042");
    // Stored again unchanged.
    std::string again(27, '\0');
    SlozVetu(table, again.data());
    EXPECT_EQ(again, record);

    EXPECT_EQ(RecordLengthMismatch("kjucel.dta", table, 27), "");
    EXPECT_EQ(RecordLengthMismatch("kjucel.dta", table, 30, 3), "");
    EXPECT_EQ(RecordLengthMismatch("kjucel.dta", table, 28),
              "Chybná délka věty tabulky kjucel.dta: 28, sloupce dávají 27"_cz);
}

// ---- repeat templates and checksums ----

using Station = rectest::TempStation;


Sloupce Trip() {
    return {Column("d", 8, "Datum"), Column("X", 10, "Místo"_cz), Column("####.#R", 6, "Km")};
}

TEST(RecordTemplates, FileNameKeysAndStoredLines) {
    EXPECT_EQ(TemplateFile("fKJ_jizdy_dlouhe"), "par\\fKJ_jizd.F12");
    EXPECT_EQ(TemplateFile("Auta"), "par\\Auta.F12");
    EXPECT_EQ(TemplateKey(1), "  1");
    EXPECT_EQ(TemplateKey(12), " 12");

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

TEST(RecordTemplates, ListRepeatRewritesTheRecordOnlyOnYes) {
    Station s;
    Sloupce cols = Trip();
    const std::string file = TemplateFile("Jizdy");

    // Ctrl+F12 in the list: the current record's values are stored.
    cols[0].value = "010224";
    cols[1].value = "Praha";
    cols[2].value = "100";
    std::string source(static_cast<std::size_t>(RecordLength(cols)), '\0');
    SlozVetu(cols, source.data());
    Sloupce work = Trip();
    StoreTemplateFromRecord(s.c, file, work, source.data());
    EXPECT_EQ(ReadHost(s.work / "par" / "Jizdy.F12"),
              "  1 : 01.02.24\r\n  2 : Praha     \r\n  3 :  100.0\r\n");

    cols[0].value = "150324";
    cols[1].value = "Brno";
    cols[2].value = "7";
    std::string target(source.size(), '\0');
    SlozVetu(cols, target.data());
    const std::string before = target;

    // No: the record stays as it was.
    EXPECT_FALSE(ApplyTemplateToRecord(s.c, file, work, {1, 1, 1}, target.data()));
    EXPECT_EQ(target, before);
    EXPECT_EQ(s.ui.Last("yesno"), "Skutečně přepsat tento řádek"_cz);

    // Yes: the editable fields take the stored values, the date is read-only.
    s.ui.yesNo.push_back(true);
    EXPECT_TRUE(ApplyTemplateToRecord(s.c, file, work, {0, 1, 1}, target.data()));
    Sloupce check = Trip();
    RozlozVetu(check, target.data());
    EXPECT_EQ(check[0].value, "15.03.24");
    EXPECT_EQ(check[1].value, "Praha     ");
    EXPECT_EQ(check[2].value, " 100.0");
    EXPECT_EQ(target.substr(0, 7), before.substr(0, 7));
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
