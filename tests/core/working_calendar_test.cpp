#include "kj_test.h"

#include <array>
#include <ostream>

#include "logbook/working_calendar.h"
#include "services/dates.h"

namespace kj {

void PrintTo(const TfKalendar::Pocty& p, std::ostream* os) {
    *os << "{weekday holidays " << p.vsedniSvatky << ", working " << p.pracovni
        << ", non-working " << p.nepracovni << "}";
}

namespace {

using namespace key;

// A station of the installation in `root`, or of one of its own.
struct Station : rectest::OwnDir, rectest::Station {
    explicit Station(const std::string& number = "03", const fs::path& root = {})
        : rectest::Station(root.empty() ? dir.path() : root, number) {
        UseDataDir();
    }
    fs::path File() const { return Data("KALENDAR.DTA"); }
};

int Day(const char* ddmmyyyy) { return DayNumber(ddmmyyyy); }

// A calendar file of `size` bytes of `fill` with the given days marked.
std::string FileWith(std::size_t size, unsigned char fill, std::vector<const char*> marked = {}) {
    std::string bytes(size, static_cast<char>(fill));
    for (const char* d : marked) {
        const int i = Day(d) - kalendar::BaseDay();
        bytes[static_cast<std::size_t>(i / 8)] |= static_cast<char>(1 << (i % 8));
    }
    return bytes;
}

// One showing of the form from `start`, playing the keys.
std::string Pick(TfKalendar& k, const char* start, std::vector<int> keys) {
    k.ukaz = [keys](TfKalendar& form) {
        for (int vk : keys) {
            ASSERT_FALSE(form.closed());
            form.KeyDown(vk);
        }
    };
    return k.DejDatum(start);
}

// One showing that toggles the days (day, month, year) with F5 and leaves.
void Toggle(TfKalendar& k, std::vector<std::array<int, 3>> days) {
    k.ukaz = [days](TfKalendar& form) {
        for (auto [d, m, y] : days) {
            form.NastavRok(y);
            form.NastavMesic(m);
            form.NastavDen(d);
            form.KeyDown(kF5);
        }
        form.KeyDown(kEscape);
    };
    k.DejDatum();
}

TEST(WorkingCalendar, CountsOfAFreshInstallation) {
    Station s;
    TfKalendar k(s.c);
    struct Case {
        const char *what, *from, *to;
        TfKalendar::Pocty expected;  // weekday holidays, working, non-working
    } const cases[] = {
        {"1 May 2021 on a Saturday", "010521", "070521", {0, 5, 2}},
        {"8 May 2024 on a Wednesday", "060524", "120524", {1, 4, 3}},
        {"Christmas 2024", "241224", "261224", {3, 0, 3}},
        {"Easter 2025", "140425", "210425", {2, 4, 4}},
        {"to-date before from-date", "070521", "010521", {0, 0, 0}},
        {"empty or invalid date", "      ", "320521", {0, 0, 0}},
        // Easter Monday before the stored table, Good Friday not yet a
        // holiday; the "O" year and the long form.
        {"Easter 2005", "2503O5", "28032005", {1, 1, 3}},
        {"Easter 2037", "030437", "060437", {2, 0, 4}},
        {"28 September 2038", "270938", "290938", {1, 2, 1}},
        // The last week of the table has its weekend; after 22 October 2038
        // every day is working, as before 2 January 1995.
        {"end of the table", "111038", "241038", {0, 12, 2}},
        {"before the table", "25121994", "01011995", {0, 8, 0}},
    };
    for (const Case& t : cases) EXPECT_EQ(k.svatky(t.from, t.to), t.expected) << t.what;
    EXPECT_TRUE(s.ui.shown.empty());
    EXPECT_FALSE(fs::exists(s.File()));  // building the table writes nothing

    // Bounds of the table: the last bit is the last day.
    const int last = kalendar::BaseDay() + kalendar::kDays - 1;
    EXPECT_EQ(DateOfDay(last), "221038");
    EXPECT_FALSE(k.set_bit(last + 1));
    EXPECT_FALSE(k.set_bit(kalendar::BaseDay() - 1));
    EXPECT_TRUE(k.set_bit(last));
    EXPECT_EQ(k.bytes()[kalendar::kBytes - 1] & 0x80, 0x80);
}

TEST(WorkingCalendar, EasterFollowsTheChurchCalendar) {
    // Easter Sundays of the real calendar, with the rule's two exceptions
    // (18 April 1954 and 2049, 19 April 1981).
    const std::pair<int, const char*> sundays[] = {
        {1954, "18041954"}, {1981, "19041981"}, {1995, "16041995"}, {2008, "23032008"},
        {2025, "20042025"}, {2037, "05042037"}, {2038, "25042038"}, {2049, "18042049"}};
    for (auto [year, sunday] : sundays) EXPECT_EQ(kalendar::EasterSunday(year), Day(sunday)) << year;

    // The stored movable holidays are the rule's Mondays and, from 2016,
    // its Fridays.
    std::vector<std::string> computed;
    for (int year = 2011; year <= 2019; ++year) {
        const int monday = kalendar::EasterSunday(year) + 1;
        if (year >= 2016) computed.push_back(DateOfDay(monday - 3));
        computed.push_back(DateOfDay(monday));
    }
    EXPECT_EQ(computed, kalendar::MovableHolidays());
}

TEST(WorkingCalendar, WorkingDayWalk) {
    Station s;
    TfKalendar k(s.c);
    struct Case {
        const char* what;
        const char* from;
        int n;
        const char* expected;
    } const cases[] = {
        {"Thursday + 1", "150525", 1, "160525"},
        {"Saturday + 1: the Monday", "170525", 1, "190525"},
        {"Thursday + 3", "150525", 3, "200525"},
        {"over 1 May", "300425", 1, "020525"},
        {"over Christmas", "231224", 1, "271224"},
        {"Thursday - 1", "150525", -1, "140525"},
        {"Sunday - 1: from the Monday back", "180525", -1, "160525"},
        {"0 from a Saturday", "170525", 0, "190525"},
        {"long form stays long", "15052025", 1, "16052025"},
        {"the O year", "1505O5", 1, "160505"},
        {"empty date", "      ", 1, "      "},
    };
    for (const Case& t : cases) EXPECT_EQ(k.pracovni(t.from, t.n), t.expected) << t.what;

    // 1200 marked days: the walk gives up after 1000 steps and steps on to
    // the first working day after the run, in both directions.
    const int first = Day("01012030"), last = first + 1199;
    for (int d = first; d <= last; ++d) k.set_bit(d);
    k.del_bit(first - 1);
    k.del_bit(last + 1);
    EXPECT_EQ(k.pracovni(DateOfDay(first - 1), 2), DateOfDay(last + 1));
    EXPECT_EQ(k.pracovni(DateOfDay(last + 1), -2), DateOfDay(first - 1));
}

TEST(WorkingCalendar, StoredFileOfEverySize) {
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<const char*> marked, working;
        int beeps;
    } const cases[] = {
        {"one byte: as missing", std::string(1, '\xff'),
         {"06011996", "16102038", "28102025", "21042025"}, {"07032000", "05032024"}, 0},
        {"2000 bytes: as they are, fixed holidays not again",
         FileWith(2000, 0, {"07032000", "01012016"}), {"07032000", "21042025", "18042025"},
         {"06011996", "28102025"}, 0},
        {"2000 bytes without 1 January 2016", FileWith(2000, 0), {"28102025", "01012030"},
         {"06011996"}, 0},
        {"1000 bytes: 8000 days, weekends after them", FileWith(1000, 0xff),
         {"07032000", "26112016", "03122016"}, {"05032024", "28102025", "01012026"}, 0},
        {"1500 bytes: not loaded, told, weekends kept", FileWith(1500, 0xff),
         {"06011996", "28102025"}, {"07032000"}, 1},
    };
    for (const Case& t : cases) {
        Station s;
        WriteHost(s.File(), t.bytes);
        TfKalendar k(s.c);
        for (const char* d : t.marked) EXPECT_TRUE(k.if_bit(Day(d))) << t.what << ": " << d;
        for (const char* d : t.working) EXPECT_FALSE(k.if_bit(Day(d))) << t.what << ": " << d;
        EXPECT_EQ(s.ui.Count("beep"), t.beeps) << t.what;
        EXPECT_EQ(ReadHost(s.File()), t.bytes) << t.what;  // not written back unasked
    }
}

TEST(WorkingCalendar, ToggledDaysSurviveARestart) {
    Station s;
    {
        TfKalendar k(s.c);
        EXPECT_EQ(Pick(k, "050324", {kEscape}), "");
        EXPECT_FALSE(fs::exists(s.File()));  // nothing toggled, nothing written
        Toggle(k, {{2, 1, 2026}, {28, 10, 2030}});
        EXPECT_TRUE(k.if_bit(Day("02012026")));
        EXPECT_FALSE(k.if_bit(Day("28102030")));
        EXPECT_EQ(ReadHost(s.File()), std::string(k.bytes().begin(), k.bytes().end()));
        EXPECT_FALSE(fs::exists(s.Data("KALENDAR.DTA.new")));
    }
    TfKalendar again(s.c);
    EXPECT_TRUE(again.if_bit(Day("02012026")));
    // The user's working 28 October stays working: fixed holidays are not
    // added again once 1 January 2016 is marked.
    EXPECT_FALSE(again.if_bit(Day("28102030")));
    EXPECT_TRUE(s.ui.shown.empty());
}

TEST(WorkingCalendar, FailedWriteKeepsTheToggleForTheNextClose) {
    Station s;
    WriteHost(s.File(), FileWith(2000, 0, {"01012016"}));
    const std::string before = ReadHost(s.File());
    FaultPlan& table = s.fs.Plan("C:\\DATA\\KALENDAR.DTA");
    table.readCode = 5;  // unreadable: told, built as a fresh table
    EXPECT_TRUE(TfKalendar(s.c).if_bit(Day("06011996")));
    EXPECT_NE(s.ui.Last("beep").find(" při čtení "_cz), std::string::npos);
    table.readCode = 0;
    TfKalendar k(s.c);
    FaultPlan& plan = s.fs.Plan("C:\\DATA\\KALENDAR.DTA.new");
    plan.writeCode = 101;
    Toggle(k, {{2, 1, 2026}});
    EXPECT_NE(s.ui.Last("beep").find(" při zápisu "_cz), std::string::npos);
    EXPECT_EQ(ReadHost(s.File()), before);

    plan.writeCode = 0;
    EXPECT_EQ(Pick(k, "", {kReturn}), "05.03.24");  // today; nothing toggled this time
    EXPECT_FALSE(k.zmeneno());
    EXPECT_TRUE(TfKalendar(s.c).if_bit(Day("02012026")));
}

TEST(WorkingCalendar, TwoStationsKeepEachOthersToggles) {
    Station a("01"), b("02", a.root);
    TfKalendar ka(a.c), kb(b.c);
    Toggle(ka, {{2, 1, 2026}});
    Toggle(kb, {{5, 1, 2026}, {3, 1, 2026}, {3, 1, 2026}});  // 3 January toggled back
    TfKalendar later(a.c);
    EXPECT_TRUE(later.if_bit(Day("02012026")));
    EXPECT_TRUE(later.if_bit(Day("05012026")));
    EXPECT_TRUE(later.if_bit(Day("03012026")));  // a Saturday, as it was
    Toggle(ka, {{2, 1, 2026}});
    TfKalendar last(b.c);
    EXPECT_FALSE(last.if_bit(Day("02012026")));
    EXPECT_TRUE(last.if_bit(Day("05012026")));
}

TEST(WorkingCalendarForm, KeysMoveChooseAndLeave) {
    Station s;
    TfKalendar k(s.c);
    struct Case {
        const char* what;
        const char* start;
        std::vector<int> keys;
        const char* chosen;
    } const cases[] = {
        {"Right over the month end", "310125", {kRight, kReturn}, "01.02.25"},
        {"Left into a leap February", "010324", {kLeft, kReturn}, "29.02.24"},
        {"Left over the year end", "010125", {kLeft, kReturn}, "31.12.24"},
        {"Right stops at the last year", "311238", {kRight, kReturn}, "31.12.38"},
        {"Up and Down by a week", "100525", {kUp, kDown, kDown, kReturn}, "17.05.25"},
        {"Down past the month end stays", "280525", {kDown, kReturn}, "28.05.25"},
        {"PgDn keeps the day in the month", "310124", {kNext, kReturn}, "29.02.24"},
        {"PgUp over the year end", "150125", {kPrior, kReturn}, "15.12.24"},
        {"Esc chooses nothing", "150525", {kRight, kEscape}, ""},
        {"no start date: today", "", {kReturn}, "05.03.24"},
        {"dotted start date", "7.5.25", {kReturn}, "07.05.25"},
    };
    for (const Case& t : cases) EXPECT_EQ(Pick(k, t.start, t.keys), t.chosen) << t.what;
    EXPECT_EQ(k.DejDen("150525"), "čtvrtek"_cz);
    EXPECT_EQ(k.DejDen("18.5.25"), "neděle"_cz);
    EXPECT_EQ(k.DejDen("310225"), "");
    k.ukaz = nullptr;  // without a view nothing is chosen
    EXPECT_EQ(k.DejDatum("150525"), "");
    EXPECT_FALSE(k.zmeneno());
}

TEST(WorkingCalendarForm, HelpAndDaysOutsideTheTable) {
    Station s;
    TfKalendar k(s.c);
    // Without a help hook F1 opens a help box; F5 on a day outside the table
    // tells the user and changes nothing.
    EXPECT_EQ(Pick(k, "01011995", {kF1, kF5, kEscape}), "");
    EXPECT_EQ(s.ui.Texts("help"), std::vector<std::string>{"Kalendář"_cz});
    EXPECT_EQ(s.ui.Count("beep"), 1);
    EXPECT_FALSE(k.zmeneno());
    EXPECT_FALSE(fs::exists(s.File()));
}

}  // namespace
}  // namespace kj
