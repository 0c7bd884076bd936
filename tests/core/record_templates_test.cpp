#include "kj_test.h"

#include "screens/column.h"
#include "screens/record_checksum.h"
#include "screens/record_templates.h"

namespace kj {
namespace {

using Station = rectest::TempStation;

SloupecPopis Column(std::string_view title, std::string_view mask, int width) {
    SloupecPopis s;
    DefinujSloupec(s, title, 2, "", 0, 0, std::string(static_cast<std::size_t>(width), ' '), mask, 1);
    return s;
}

Sloupce Trip() {
    return {Column("Datum", "d", 8), Column("Místo"_cz, "X", 10), Column("Km", "####.#R", 6)};
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
