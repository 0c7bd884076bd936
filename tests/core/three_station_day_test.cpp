// A day at three stations on one data directory, locking through the lock
// server and through "FOT.tab": trips added to one car from all three and to
// other cars, a trip deleted, the generator on two cars at once, places and
// purposes added, changed and deleted, close sorts, the logbook report;
// station 3 killed (SIGKILL) with a trip in its editor and started again.
// The stations are this binary run again as ThreeStationDay.Station; work
// items come on standard input and are answered "DONE item". The same items
// then run in this process at one station, station after station. Both end
// with the evening: every book sorted with the odometer recomputed, the
// lists closed, the report of every book. Compared with that run:
//   - every book byte for byte: each trip has its own date and hour (a
//     generator run's trips, all at hour 0, are one piece), so the sort
//     orders them alike whoever wrote them, and the chain is recomputed;
//   - the report's print and side files byte for byte;
//   - places and purposes as the set of records not deleted: a close sort
//     is skipped while another station has the list open, so the order and
//     deletion marks left in the file depend on who closed last;
//   - the names of the files in the data directory ("FOT.tab" aside).
// Besides: every tag once in its book, the chain record by record, no
// station saw an error, no lock left in "FOT.tab". Needs KJ_BUILD_DIR.

#include "kj_test.h"

#include <csignal>
#include <iostream>
#include <set>
#include <sstream>

#include "logbook/logbook_reports.h"
#include "logbook/trip_logbook.h"
#include "logbook/working_calendar.h"
#include "services/dialog_rules.h"
#include "services/lock_socket.h"
#include "station_procs.h"
#include "trip_fixture.h"

namespace kj {
namespace {

using namespace procs;
using triptest::ListRecord;
using triptest::Join;
constexpr std::time_t kToday = 1767612600;  // 5 January 2026

void Say(const std::string& utf8) { std::cout << utf8 << std::endl; }

// A station's user: answers by the question, notes once per text, waits
// for a line on standard input where the day asks it to.
class DayDialogs final : public ScreenlessDialogs {
public:
    std::deque<std::vector<std::string>> fields;
    bool waitBeforeAppend = false;
    std::function<void(const std::string&)> say = Say;

    void BeepMessage(const std::string& text) override { say("BEEP " + Cp1250ToUtf8(text)); }
    NoteResult ShowNote(const std::string& text, int) override {
        if (text != lastNote_) say("NOTE " + Cp1250ToUtf8(text));
        lastNote_ = text;
        std::this_thread::sleep_for(milliseconds(2));
        return NoteResult::Expired;
    }
    bool AskYesNo(int, int, const std::string& q) override {
        const bool append = q == "Přidat ke knize jízd"_cz;
        if (append && waitBeforeAppend) Hold("ASKING");
        if (append || q == "Zrušit záznam?"_cz) return true;
        say("ASK " + Cp1250ToUtf8(q));
        return false;
    }
    // Tells the test, then waits for its line.
    void Hold(const std::string& what) {
        say(what);
        std::string go;
        std::getline(std::cin, go);
    }
    bool AskFields(int, int, const F1Handler&, const std::vector<std::string>& items,
                   const std::string&) override {
        std::vector<std::string> texts;
        for (std::size_t k = 1; k < items.size(); k += 2) texts.push_back(items[k]);
        if (!fields.empty()) texts = fields.front(), fields.pop_front();
        BeginFields(state_);
        FinishFields(state_, texts, true);
        return true;
    }
    int ChooseItem(int, int, const F1Handler&, const std::vector<std::string>&,
                   const std::string& title) override {
        const bool known = title.find("STAV TACHOMETRU") != std::string::npos ||
                           title.find("Způsob tisku"_cz) != std::string::npos;
        if (!known) say("ASK " + Cp1250ToUtf8(title));
        return state_.chosenIndex = known ? 1 : 0;  // "Přepočítat", "s poznámkou"
    }
    std::string lastNote_;
};

VetaAuta Car(const std::string& spz) {
    VetaAuta car;
    car.SetText(auta::kSpz, spz);
    car.SetText(auta::kDruh, spz == "5B00002" ? "SLUZEBNI" : "SOUKROME");
    car.SetText(auta::kDrzitel, "Jan Novák"_cz);
    return car;
}

// The row of a list whose record has `text` in `field`; 0 when none.
int RowOf(TfSoub& list, const codec::FieldSpec& field, const std::string& text) {
    for (int row = 1; row <= list.count(); ++row) {
        list.CtiVetuProZobrazeni(row);
        if (StripRight(codec::GetText(list.displayRecord().data(), field)) == text) return row;
    }
    return 0;
}

// One editor session: the fields walked down with their texts typed, then
// `beforeF2` (the place to hold the editor open), then F2.
std::function<void(RecordEditor&)> Typing(std::map<int, std::string> texts,
                                          std::function<void()> beforeF2 = {}) {
    return [texts, beforeF2](RecordEditor& e) {
        e.FormShow();
        for (int guard = 0; guard < 20 && e.Current() < texts.rbegin()->first; ++guard) {
            if (texts.count(e.Current())) e.SetText(e.Current(), texts.at(e.Current()));
            e.KeyDown(key::kDown);
        }
        if (texts.count(e.Current())) e.SetText(e.Current(), texts.at(e.Current()));
        if (beforeF2) beforeF2();
        e.KeyDown(key::kF2);
    };
}

// One station's work items (UTF-8):
//   trip CAR DATE FROM-TO KM TAG [hold]   gen CAR FROM TO KM SEED DEST,DEST [wait]
//   deltrip CAR TAG   place NAME KM   placekm NAME KM   delplace NAME   purpose TEXT
//   report CAR   sort CAR   lists
void RunItem(Common& c, DayDialogs& ui, const std::string& line) {
    std::istringstream in(line);
    std::string what, a, b, d, e, f, g, h;
    in >> what >> a >> b >> d >> e >> f >> g >> h;
    auto fail = [&](const std::string& why) { ui.say("ERROR " + why + ": " + line); };
    const VetaAuta car = AktualniVozidlo() = Car(a);
    TfKJ_jizdy book(c);
    TfKalendar calendar(c);
    if (what == "trip" || what == "gen" || what == "deltrip" || what == "sort") {
        if (book.Otevri(car.SouborKnihy()) != io::kOk) return fail("book");
        const int before = book.count();
        if (what == "trip") {
            using namespace jizdy;
            book.showEditor = Typing({{kFieldDatum, b}, {kFieldMisto, "Brno"}, {kFieldUcel, "porada"},
                                      {kFieldKmSluzebni, e}, {kFieldCasOdjezdu, d.substr(0, d.find('-'))},
                                      {kFieldCasPrijezdu, d.substr(d.find('-') + 1)}, {kFieldPoznamka2, f}},
                                     [&] { if (g == "hold") ui.Hold("EDITING " + f); });
            book.KeyDown(key::kF4, key::Mod::None);
            if (book.count() <= before) fail("not added");
        } else if (what == "gen") {
            ui.fields = {{b, d}, {e}};
            ui.waitBeforeAppend = h == "wait";
            book.seedGeneratoru = [seed = std::stoul(f)] { return static_cast<std::uint32_t>(seed); };
            book.kalendar = &calendar;
            book.showPickList = [&](TfSoub& list) {
                std::istringstream names(g);
                for (std::string name; std::getline(names, name, ',');) {
                    list.JdiNa(RowOf(list, cile::kMisto, Utf8ToCp1250(name)), 0);
                    list.KeyDown(key::kInsert, key::Mod::None);
                }
                list.KeyDown(key::kEscape, key::Mod::None);
            };
            book.Generator();
            ui.waitBeforeAppend = false;
            if (book.count() <= before) fail("nothing generated");
        } else if (what == "deltrip") {
            const int row = RowOf(book, jizdy::kPoznamka2, b);
            if (row == 0) return fail("no trip");
            book.JdiNa(row, 0), book.KeyDown(key::kF8, key::Mod::None);
        } else {
            book.SeradZapisy();
            if (book.lastSortResult() != 0) fail("not sorted");
        }
        book.Zavri();
    } else if (what == "place" || what == "placekm" || what == "delplace" || what == "lists" ||
               what == "purpose") {
        TfKJlMista places(c);
        places.showEditor = Typing({{1, Utf8ToCp1250(a)}, {2, b}});
        TfKJUcel purposes(c);
        purposes.showEditor = Typing({{1, Utf8ToCp1250(line.substr(std::min<std::size_t>(line.size(), 8)))}});
        if (places.Otevri() != io::kOk || purposes.Otevri() != io::kOk) return fail("lists");
        const int row = RowOf(places, mista::kMisto, Utf8ToCp1250(a));
        if ((what == "placekm" || what == "delplace") && row == 0) return fail("no place");
        if (row > 0) places.JdiNa(row, 0);
        if (what != "lists" && what != "purpose")
            places.KeyDown(what == "place" ? key::kF4 : what == "placekm" ? key::kSpace : key::kF8, key::Mod::None);
        if (what == "purpose") purposes.KeyDown(key::kF4, key::Mod::None);
        places.Zavri();
        purposes.Zavri();
    } else if (what == "report") {
        ui.fields = {{"010126", "311226"}};
        ObdobiJizd period;
        if (KnihaJizdSVyhodnocenim(c, car, car.SouborKnihy(), period) != ReportOutcome::Shown)
            fail("report");
    } else {
        return fail("unknown");
    }
    ui.say("DONE " + line);
}

// A station of the day, started by the tests below as a child process.
TEST(ThreeStationDay, Station) {
    const char* work = std::getenv("KJ_DAY_WORK");
    if (!work) GTEST_SKIP() << "a station of the three-station day, started by its tests";
    ::alarm(120);  // never outlives a stuck day
    HostFileSystem fs(work, std::getenv("KJ_DAY_ROOT"));
    DayDialogs ui;
    Common c(fs, ui);
    c.now = [] { return kToday; };
    InitCommon(c);
    TcpLockServerLink link(c);
    ASSERT_EQ(ConnectLockServer(c, link), 0);
    Say("READY " + c.set.station);
    for (std::string line; std::getline(std::cin, line) && line != "quit";) RunItem(c, ui, line);
    link.Close();
}

// Station 1's, 2's and 3's day: the morning (all three at once; station 1's
// last item waits before it appends, station 3's is held in its editor),
// station 2's generator, the afternoon and the evening's last look.
const std::vector<std::string> kMorning[] = {
    {"trip 5A00001 050126 7.00-15.30 120 S1-1", "place Zlín 80", "trip 5B00002 050126 8.00-10.00 45 S1-2",
     "report 5A00001", "gen 5B00002 120126 230126 400 11 Brno,Olomouc,Vsetín"},
    {"trip 5A00001 050126 12.00-13.00 30 S2-1", "purpose kontrola vozu", "trip 5C00003 050126 6.00-19.00 210 S2-2",
     "place Hodonín 120", "trip 5A00001 080126 7.30-8.30 15 S2-3", "report 5C00003"},
    {"trip 5A00001 060126 14.00-16.00 40 S3-1", "place Jihlava 150", "trip 5C00003 070126 7.00-12.00 110 S3-2",
     "report 5B00002", "trip 5A00001 070126 7.00-12.30 95 S3-3"}};
const std::string kSecondGenerator = "gen 5C00003 190126 300126 300 23 Olomouc,Zlín";
const std::vector<std::string> kAfternoon[] = {
    {"trip 5A00001 060126 7.00-9.00 60 S1-3", "deltrip 5A00001 S1-1", "purpose servis vozu",
     "trip 5A00001 070126 13.00-20.00 88 S1-4"},
    {"delplace Kroměříž", "trip 5B00002 090126 6.00-18.00 260 S2-4", "trip 5A00001 090126 10.00-11.00 20 S2-5"},
    {"placekm Brno 196", "trip 5C00003 080126 8.00-9.00 12 S3-4", "report 5A00001"}};
const std::vector<std::string> kEvening = {"sort 5A00001", "sort 5B00002", "sort 5C00003", "lists",
                                           "report 5A00001", "report 5B00002", "report 5C00003"};
const char* kBooks[] = {"5A00001", "5B00002", "5C00003"};

// The data directory at the start of the day.
void Morning(const fs::path& data) {
    using triptest::Trip;
    WriteHost(data / "5A00001.dta", Trip("010126", "", 0, 10000, 0, 4.4, 2.1));
    WriteHost(data / "5B00002.dta", Trip("010126", "", 0, 20000));
    WriteHost(data / "5C00003.dta", Trip("010126", "", 0, 30000, 0, 5, 1.8));
    WriteHost(data / "kjcile.dta", Join({ListRecord(cile::kColumns, cile::kLength, {"Brno", "jednání", "196", ""}),
                                         ListRecord(cile::kColumns, cile::kLength, {"Olomouc", "servis", "25", ""}),
                                         ListRecord(cile::kColumns, cile::kLength, {"Vsetín", "porada", "64", ""}),
                                         ListRecord(cile::kColumns, cile::kLength, {"Zlín", "nákup", "38", ""})}));
    WriteHost(data / "kjmista.dta", Join({ListRecord(mista::kColumns, mista::kLength, {"Brno", "98"}),
                                          ListRecord(mista::kColumns, mista::kLength, {"Kroměříž", "30"})}));
    WriteHost(data / "kjucel.dta", ListRecord(ucel::kColumns, ucel::kLength, {"porada"}));
    WriteHost(data / "kjstra.dta", Join({ListRecord(strav::kColumns, strav::kLength, {"5", "66"}),
                                         ListRecord(strav::kColumns, strav::kLength, {"12", "100"})}));
}

// Waits (bounded) until a station's whole output passes `ready`.
bool Until(Proc& p, const std::function<bool(const std::string&)>& ready, int ms = 30000) {
    for (auto until = Clock::now() + milliseconds(ms); Clock::now() < until && p.Running(); p.Pump(20))
        if (ready(p.output())) return true;
    p.Pump(0);
    return ready(p.output());
}
bool Shows(Proc& p, const std::string& text, int ms = 30000) {
    return Until(p, [&](const std::string& out) { return out.find(text) != std::string::npos; }, ms);
}
std::string Book(const fs::path& data, const char* spz) { return ReadHost(data / (std::string(spz) + ".dta")); }
bool Did(Proc& p, const std::vector<std::string>& items) {
    return Until(p, [&](const std::string& out) {
        return std::all_of(items.begin(), items.end(),
                           [&](const std::string& i) { return out.find("DONE " + i + "\n") != std::string::npos; });
    });
}
// Lines a station should not have shown: errors, questions, messages other
// than the report's warning about a chain not recomputed yet.
std::string Complaints(const std::string& out) {
    std::istringstream in(out);
    std::string bad;
    for (std::string l; std::getline(in, l);)
        if (l.starts_with("ERROR") || l.starts_with("ASK ") ||
            (l.starts_with("BEEP") && l.find("Nesouhlasí součet") == std::string::npos))
            bad += l + "\n";
    return bad;
}

std::vector<std::string> Records(const std::string& bytes, std::size_t len) {
    std::vector<std::string> recs;
    for (std::size_t at = 0; at + len <= bytes.size(); at += len) recs.push_back(bytes.substr(at, len));
    return recs;
}
std::multiset<std::string> LiveRecords(const fs::path& file, std::size_t len) {
    std::multiset<std::string> live;
    for (const std::string& r : Records(ReadHost(file), len))
        if (!IsDeletedRecord(r.data())) live.insert(r);
    return live;
}

class ThreeStationDayTest : public ::testing::TestWithParam<bool> {};

TEST_P(ThreeStationDayTest, EndsAsOneStationDoingTheSameWork) {
    KJ_REQUIRE_PROGRAMS("kj_lockserver", "kj_admin");
    const bool server = GetParam();
    Installation day(3);
    Morning(day.Data());
    LockServerProc lockServer(day.root());
    if (server) {
        ASSERT_TRUE(lockServer.Start(day.Prog().string()));
        day.SetServer(lockServer.address());
    }
    std::unique_ptr<Proc> st[4];
    auto start = [&](int n) {
        st[n] = std::make_unique<Proc>();
        return st[n]->Start({fs::canonical("/proc/self/exe").string(), "--gtest_filter=ThreeStationDay.Station"},
                            {"KJ_DAY_WORK=" + day.Station(n).string(), "KJ_DAY_ROOT=" + day.root().string()}) &&
               Shows(*st[n], "READY " + Installation::Two(n), 10000);
    };
    auto send = [&](int n, const std::vector<std::string>& items) {
        for (const std::string& i : items) st[n]->Send(i);
    };
    for (int n = 1; n <= 3; ++n) ASSERT_TRUE(start(n)) << st[n]->output();

    // Morning: station 1's generator waits before appending to its book;
    // when the others are through, station 3's last trip is held in its editor.
    send(1, {kMorning[0].begin(), kMorning[0].end() - 1});
    st[1]->Send(kMorning[0].back() + " wait");
    send(2, kMorning[1]);
    send(3, {kMorning[2].begin(), kMorning[2].end() - 1});
    ASSERT_TRUE(Shows(*st[1], "ASKING")) << st[1]->output();
    ASSERT_TRUE(Did(*st[2], kMorning[1])) << st[2]->output();
    ASSERT_TRUE(Did(*st[3], {kMorning[2].begin(), kMorning[2].end() - 1})) << st[3]->output();
    st[3]->Send(kMorning[2].back() + " hold");
    ASSERT_TRUE(Shows(*st[3], "EDITING S3-3")) << st[3]->output();
    EXPECT_EQ(Complaints(st[3]->output()), "");
    // Killed while station 2 deletes a place and adds a trip to the car
    // whose book station 1 has open.
    send(2, {kAfternoon[1][0], kAfternoon[1][1]});
    st[3]->Kill();

    // Station 2's generator on another car, while station 1's has not
    // appended yet: it waits for station 1 or gets as far as its own question.
    st[2]->Send(kSecondGenerator + " wait");
    ASSERT_TRUE(Until(*st[2], [](const std::string& out) {
        return out.find("ASKING") != std::string::npos || out.find("NOTE Soubor KJ_J_G") != std::string::npos ||
               out.find("Soubor je stále obsazený Soubor KJ_J_G") != std::string::npos;
    })) << st[2]->output();
    st[1]->Send("go");
    ASSERT_TRUE(Did(*st[1], {kMorning[0].back() + " wait"})) << st[1]->output();
    ASSERT_TRUE(Shows(*st[2], "ASKING")) << st[2]->output();
    st[2]->Send("go");
    ASSERT_TRUE(Did(*st[2], {kSecondGenerator + " wait"})) << st[2]->output();

    // Afternoon. With the register, station 3's locks stay behind it until
    // the administrator removes them; station 1 waits for the car meanwhile.
    send(1, kAfternoon[0]);
    send(2, {kAfternoon[1][2]});
    if (!server) {
        ASSERT_TRUE(Shows(*st[1], "užívá 03")) << st[1]->output();
        const RunResult admin = RunProgram({Program("kj_admin"), "unlock", day.Data().string(), "03"});
        ASSERT_EQ(admin.code, 0) << admin.output;
    }
    ASSERT_TRUE(start(3)) << st[3]->output();
    send(3, {kMorning[2].back()});
    send(3, kAfternoon[2]);
    ASSERT_TRUE(Did(*st[3], {kMorning[2].back()})) << st[3]->output();
    for (int n = 1; n <= 3; ++n) ASSERT_TRUE(Did(*st[n], kAfternoon[n - 1])) << st[n]->output();
    for (int n : {2, 3}) EXPECT_EQ(st[n]->Quit(), 0);
    send(1, kEvening);
    ASSERT_TRUE(Did(*st[1], kEvening)) << st[1]->output();
    EXPECT_EQ(st[1]->Quit(), 0);
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(Complaints(st[n]->output()), "") << "station " << n;

    // The same work at one station.
    Installation one(1);
    Morning(one.Data());
    {
        HostFileSystem fs(one.Station(1).string(), one.root().string());
        DayDialogs ui;
        std::string said;
        ui.say = [&](const std::string& l) { said += l + "\n"; };
        Common c(fs, ui);
        c.now = [] { return kToday; };
        InitCommon(c);
        for (const auto* part : {kMorning, kAfternoon})
            for (int n = 0; n < 3; ++n)
                for (const std::string& item : part[n]) RunItem(c, ui, item);
        RunItem(c, ui, kSecondGenerator);
        for (const std::string& item : kEvening) RunItem(c, ui, item);
        ASSERT_EQ(Complaints(said), "");
    }

    for (const char* spz : kBooks) {
        SCOPED_TRACE(spz);
        const std::string book = Book(day.Data(), spz);
        EXPECT_EQ(book, Book(one.Data(), spz));
        for (const std::string& name : {std::string(spz) + ".TXT", "XLS/" + std::string(spz) + ".CSV"})
            EXPECT_EQ(ReadHost(day.Station(1) / name), ReadHost(one.Station(1) / name)) << name;
        double odometer = 0;
        std::map<std::string, int> tags;
        for (const std::string& r : Records(book, jizdy::kLength)) {
            const VetaJizdy t = VetaJizdy::From(r.data());
            EXPECT_TRUE(odometer == 0 || t.StavTachometru() == odometer + t.KmSluzebni() + t.KmSoukrome())
                << "chain broken at " << t.Datum();
            odometer = t.StavTachometru();
            ++tags[StripRight(t.Poznamka2())];
        }
        for (const auto& [tag, times] : tags) EXPECT_TRUE(tag.empty() || times == 1) << tag << " twice";
    }
    EXPECT_EQ(LiveRecords(day.Data() / "kjmista.dta", mista::kLength),
              LiveRecords(one.Data() / "kjmista.dta", mista::kLength));
    EXPECT_EQ(LiveRecords(day.Data() / "kjucel.dta", ucel::kLength),
              LiveRecords(one.Data() / "kjucel.dta", ucel::kLength));
    auto names = [](const fs::path& dir) {
        std::set<std::string> all;
        for (const auto& f : fs::directory_iterator(dir))
            if (f.path().filename() != "FOT.tab") all.insert(f.path().filename().string());
        return all;
    };
    EXPECT_EQ(names(day.Data()), names(one.Data()));
    for (const std::string& entry : Records(ReadHost(day.Data() / "FOT.tab"), 20))
        EXPECT_EQ(entry[1], ' ') << "lock left: " << entry;
}

INSTANTIATE_TEST_SUITE_P(Locks, ThreeStationDayTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "LockServer" : "Register"; });

}  // namespace
}  // namespace kj
