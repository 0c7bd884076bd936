// kj_demo run as a process: the demo installation is made once and kept
// with what the user entered; --reset makes it anew. Needs KJ_BUILD_DIR.

#include "kj_test.h"

#include "logbook/trip_record.h"
#include "services/dates.h"
#include "station_procs.h"

namespace kj {
namespace {

using namespace procs;

TEST(DemoTool, KeepsTheInstallationUnlessReset) {
    if (!std::getenv("KJ_BUILD_DIR")) GTEST_SKIP() << "KJ_BUILD_DIR is not set";
    TestDir dir;
    const fs::path tmpl = dir.path() / "template";
    const fs::path root = dir.path() / "demo";
    fs::create_directories(tmpl / "work");
    std::ofstream(tmpl / "work" / "data.adr") << "\\data\\\n";
    fs::create_directories(root);
    std::ofstream(root / "mine.txt") << "x";  // not the installation's: never removed

    const struct {
        bool reset;
        bool userDataKept;
    } runs[] = {{false, false}, {false, true}, {true, false}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.reset ? "--reset" : "again");
        std::vector<std::string> args = {Program("kj_demo")};
        if (run.reset) args.push_back("--reset");
        args.insert(args.end(), {tmpl.string(), root.string()});
        const RunResult r = RunProgram(args);
        EXPECT_EQ(r.code, 0) << r.output;
        ASSERT_EQ(fs::file_size(root / "data" / "kj_auta.dta"), 3u * 231 + (run.userDataKept ? 231 : 0));
        EXPECT_EQ(ReadText(root / "work" / "data.adr"), "\\data\\\r\n");
        EXPECT_TRUE(fs::exists(root / "mine.txt"));
        // What the user does in the demo: a fourth car.
        std::ofstream(root / "data" / "kj_auta.dta", std::ios::app | std::ios::binary)
            << std::string(231, ' ');
    }
    EXPECT_EQ(RunProgram({Program("kj_demo"), "--jinak", tmpl.string(), root.string()}).code, 2);

    // The pictures of the travel order forms, drawn when the Qt tools are
    // built: bitmaps of the sizes the sheets expect, also into a kept
    // installation that lacks them.
    if (!fs::exists(Program("kj_form_pictures"))) return;
    fs::remove(root / "prog" / "KJ" / "KJ2.bmp");
    EXPECT_EQ(RunProgram({Program("kj_demo"), tmpl.string(), root.string()}).code, 0);
    for (const auto& [name, width] : {std::pair{"kj1.bmp", 787}, std::pair{"KJ2.bmp", 853}}) {
        const std::string bmp = ReadText(root / "prog" / "KJ" / name);
        ASSERT_GT(bmp.size(), 54u) << name;
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(static_cast<unsigned char>(bmp[18]) | static_cast<unsigned char>(bmp[19]) << 8, width);
        EXPECT_EQ(static_cast<unsigned char>(bmp[22]) | static_cast<unsigned char>(bmp[23]) << 8, 1123);
    }
}

// Each demo car gets a year's logbook made by the generator and sorted by
// the logbook's own sort: in date order, the odometer chain unbroken from
// the setting record, a few hundred trips, meal allowances on long trips
// and fuel purchases for the company car.
TEST(DemoTool, LogbooksOfTheYearAreSortedWithTheirOdometerChain) {
    if (!std::getenv("KJ_BUILD_DIR")) GTEST_SKIP() << "KJ_BUILD_DIR is not set";
    TestDir dir;
    const fs::path tmpl = dir.path() / "template";
    fs::create_directories(tmpl / "work");
    std::ofstream(tmpl / "work" / "data.adr") << "\\data\\\n";
    const RunResult r = RunProgram({Program("kj_demo"), tmpl.string(), (dir.path() / "demo").string()});
    ASSERT_EQ(r.code, 0) << r.output;
    for (const char* car : {"5Z12345", "5Z78812", "ZLT0417"}) {
        SCOPED_TRACE(car);
        const std::string book = ReadText(dir.path() / "demo" / "data" / (std::string(car) + ".dta"));
        ASSERT_EQ(book.size() % jizdy::kLength, 0u);
        const std::size_t n = book.size() / jizdy::kLength;
        EXPECT_GE(n, 150u);
        double meals = 0, fuel = 0;
        std::string lastKey;
        double reading = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const VetaJizdy t = VetaJizdy::From(book.data() + i * jizdy::kLength);
            const std::string key = DateSortKey(t.Datum());
            ASSERT_LE(lastKey, key) << "record " << i + 1;
            ASSERT_EQ(key.substr(0, 2), "26");
            if (i == 0) EXPECT_EQ(t.KmSluzebni(), 0);
            else EXPECT_EQ(t.StavTachometru(), reading + t.KmSluzebni()) << "record " << i + 1;
            reading = t.StavTachometru();
            lastKey = key;
            meals += t.Stravne();
            if (t.KmSluzebni() == 0 && i > 0) fuel += t.SazbaPhm();
        }
        if (std::string(car) == "5Z12345") {
            EXPECT_GT(meals, 0);
            EXPECT_GT(fuel, 500);  // litres bought over the year
        }
    }
}

}  // namespace
}  // namespace kj
