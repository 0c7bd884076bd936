// Builds the demo installation from demo/template: a drive root holding the
// station's working directory (work\), the data directory (data\) and the
// program directory (prog\). Text files of the template are UTF-8 in the
// repository and are written as Windows-1250 with CR LF; the job table and
// the parameter files are written with the program's own services.
//
// An installation that is already there is kept as it is, with what the
// user entered in it; --reset removes its three directories and makes it
// anew. The pictures of the travel order forms ("prog\KJ\kj1.bmp",
// "KJ2.bmp") are drawn by kj_form_pictures beside this program whenever
// they are missing, also in a kept installation.
//
//   kj_demo [--reset] TEMPLATE_DIR TARGET_ROOT

#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "logbook/car_list.h"
#include "logbook/destinations.h"
#include "logbook/meal_rates.h"
#include "logbook/places.h"
#include "logbook/purposes.h"
#include "logbook/logbook_sort.h"
#include "logbook/trip_generator.h"
#include "logbook/trip_record.h"
#include "logbook/trip_rules.h"
#include "logbook/working_calendar.h"
#include "services/dates.h"
#include "services/picture.h"
#include "services/picture_services.h"
#include "services/record_file.h"
#include "services/common.h"
#include "services/cp1250.h"
#include "services/file_system.h"
#include "services/params.h"
#include "services/scripted_dialogs.h"
#include "shell/installation.h"

namespace fs = std::filesystem;

extern char** environ;

namespace {

// One record from its column texts (UTF-8 here), stored through the
// list's own columns.
template <std::size_t N>
std::string Record(const std::array<kj::ColumnDecl, N>& decls, int length,
                   const std::vector<std::string>& utf8) {
    kj::Sloupce cols = kj::DeclareColumns(decls);
    for (std::size_t i = 0; i < cols.size(); ++i)
        cols[i].value = i < utf8.size() ? kj::Utf8ToCp1250(utf8[i]) : std::string();
    std::string rec(static_cast<std::size_t>(length), '\0');
    kj::SlozVetu(cols, rec.data());
    return rec;
}

bool WriteFile(const fs::path& to, const std::string& bytes) {
    std::ofstream o(to, std::ios::binary | std::ios::trunc);
    o << bytes;
    return static_cast<bool>(o);
}

// A small company's code lists: three cars (one of each kind), places
// around Zlín with their one-way km, trip purposes, destinations and the
// meal-allowance rates in force in 2026. Each list is written in the order
// its closing sort keeps.
bool WriteDemoData(const fs::path& data) {
    std::string cars;
    cars += Record(kj::auta::kColumns, kj::auta::kLength,
                   {"5Z12345", "Ing. Petr Dvořák", "Květná 12, 760 01 Zlín",
                    "Dvořák a syn s.r.o.", "Průmyslová 1020, 763 02 Zlín", "1498",
                    "Škoda Octavia Combi", "DFG 123456", "5.8", "Motorová nafta",
                    "SLUŽEBNÍ"});
    cars += Record(kj::auta::kColumns, kj::auta::kLength,
                   {"5Z78812", "Petr Dvořák", "Květná 12, 760 01 Zlín",
                    "Dvořák a syn s.r.o.", "Průmyslová 1020, 763 02 Zlín", "999",
                    "Škoda Fabia", "CHY 778812", "5.2", "B.Natural 95", "SOUKROMÉ"});
    cars += Record(kj::auta::kColumns, kj::auta::kLength,
                   {"ZLT0417", "Dvořák a syn s.r.o.", "Průmyslová 1020, 763 02 Zlín",
                    "Dvořák a syn s.r.o.", "Průmyslová 1020, 763 02 Zlín", "4,5 t",
                    "Zetor Proxima 100", "ZT 4170031", "11.5", "Motorová nafta", "STROJ"});

    struct Place { const char* name; const char* km; };
    const std::vector<Place> places = {
        {"Brno", "98"}, {"Hodonín", "72"}, {"Holešov", "18"}, {"Kroměříž", "30"},
        {"Olomouc", "80"}, {"Otrokovice", "10"}, {"Praha", "300"}, {"Přerov", "52"},
        {"Uherské Hradiště", "28"}, {"Valašské Meziříčí", "40"}, {"Vizovice", "16"},
        {"Vsetín", "32"}};
    std::string placeFile;
    for (const Place& p : places)
        placeFile += Record(kj::mista::kColumns, kj::mista::kLength, {p.name, p.km});

    const std::vector<std::string> purposes = {
        "cesta k zákazníkovi", "jednání s dodavatelem", "nákup materiálu", "porada",
        "servis vozidla", "školení", "úřad, banka", "zakázka na stavbě"};
    std::string purposeFile;
    for (const std::string& u : purposes)
        purposeFile += Record(kj::ucel::kColumns, kj::ucel::kLength, {u});

    struct Dest { const char* place; const char* purpose; const char* km; };
    const std::vector<Dest> dests = {
        {"Brno", "jednání s dodavatelem", "196"}, {"Brno", "školení", "196"},
        {"Hodonín", "cesta k zákazníkovi", "144"}, {"Holešov", "nákup materiálu", "36"},
        {"Holešov", "zakázka na stavbě", "36"}, {"Kroměříž", "cesta k zákazníkovi", "60"},
        {"Kroměříž", "úřad, banka", "60"}, {"Olomouc", "jednání s dodavatelem", "160"},
        {"Olomouc", "porada", "160"}, {"Otrokovice", "nákup materiálu", "20"},
        {"Otrokovice", "servis vozidla", "20"}, {"Praha", "jednání s dodavatelem", "600"},
        {"Přerov", "cesta k zákazníkovi", "104"}, {"Uherské Hradiště", "zakázka na stavbě", "56"},
        {"Uherské Hradiště", "úřad, banka", "56"}, {"Valašské Meziříčí", "cesta k zákazníkovi", "80"},
        {"Vizovice", "zakázka na stavbě", "32"}, {"Vsetín", "porada", "64"},
        {"Zlín - Otrokovice - Zlín", "nákup materiálu", "22"}, {"Zlín, město", "úřad, banka", "8"}};
    std::string destFile;
    for (const Dest& d : dests)
        destFile += Record(kj::cile::kColumns, kj::cile::kLength, {d.place, d.purpose, d.km, ""});

    std::string rates;
    for (auto [hours, amount] : {std::pair{"5", "155"}, {"12", "236"}, {"18", "370"}})
        rates += Record(kj::strav::kColumns, kj::strav::kLength, {hours, amount});

    return WriteFile(data / "kj_auta.dta", cars) && WriteFile(data / "kjmista.dta", placeFile) &&
           WriteFile(data / "kjucel.dta", purposeFile) && WriteFile(data / "kjcile.dta", destFile) &&
           WriteFile(data / "kjstra.dta", rates);
}

// The titles of the demo cars' logbook reports (named after the car) in the
// print spool: "listw.tab" lines of a name pattern, "|" in column 18 and
// the title.
bool AddReportTitles(const fs::path& prog) {
    std::ofstream o(prog / "listw.tab", std::ios::binary | std::ios::app);
    for (const char* pattern : {"5Z******", "ZLT*****"})
        o << kj::setup::InstalledText(std::string(pattern) + "         |Kniha jízd s vyhodnocením\n");
    return static_cast<bool>(o);
}

// ---- the demo logbooks ----

// Hours written HH.MM from minutes since midnight.
double Hours(int minutes) { return minutes / 60 + (minutes % 60) / 100.0; }

struct DemoCar {
    const char* spz;
    const char* kind;         // as the car list stores it (UTF-8)
    double km;                // the requested total of the year so far, scaled below
    double odometer;          // reading on 1 January
    double baseRate, fuelRate;
    std::uint32_t seed;
};

// A destination record from its texts (UTF-8) and km.
std::string DemoDestination(const char* place, const char* purpose, const char* km) {
    return Record(kj::cile::kColumns, kj::cile::kLength, {place, purpose, km, ""});
}

// Departure and arrival of each trip (the day's first at 7.00, the next
// half an hour after the last came back; 70 km/h, one or two hours at the
// place) and the meal allowance of its length by the logbook's own rule;
// a machine's jobs start at 6.30 and take their hours. Note 1 groups the
// trips for the listing: "ZK" contract work, "RE" overheads.
void AddHoursAndNotes(std::vector<std::string>& trips, const kj::TabulkaStravneho& rates,
                      bool machine) {
    std::string day;
    int clock = 0;
    for (std::string& t : trips) {
        const std::string date = kj::codec::GetText(t.data(), kj::jizdy::kDatum);
        if (date != day) {
            day = date;
            clock = machine ? 6 * 60 + 30 : 7 * 60;
        }
        const double km = kj::codec::GetReal(t.data(), kj::jizdy::kKmSluzebni);
        const int minutes = machine ? static_cast<int>(km * 60)
                                    : static_cast<int>(km * 60 / 70) + (km > 100 ? 120 : 60);
        clock = std::min(clock, 21 * 60);
        const int back = std::min(clock + minutes, 23 * 60 + 30);
        kj::codec::PutReal(t.data(), kj::jizdy::kCasOdjezdu, Hours(clock));
        kj::codec::PutReal(t.data(), kj::jizdy::kCasPrijezdu, Hours(back));
        if (!machine)
            kj::codec::PutReal(t.data(), kj::jizdy::kStravne,
                               kj::StrToFloatLoose(kj::StravneZaCestu(rates, Hours(clock), Hours(back))));
        const std::string purpose = kj::codec::GetText(t.data(), kj::jizdy::kUcel);
        const bool contract = purpose.find("zak") != std::string::npos ||
                              purpose.find("zem") != std::string::npos ||
                              purpose.find("orba") != std::string::npos;
        kj::codec::PutText(t.data(), kj::jizdy::kPoznamka1,
                           contract ? kj::Utf8ToCp1250("ZK zakázka 2026/0") + std::to_string(1 + clock % 7)
                                    : kj::Utf8ToCp1250("RE režie"));
        clock = back + 30;
    }
}

// A company car tanks whenever some 650 km were driven since the last time:
// a record of its own after that trip (no km; CZK and litres in the rate
// columns, 5.8 l/100 km of diesel at 34.90 CZK).
std::vector<std::string> WithFuel(const std::vector<std::string>& trips) {
    std::vector<std::string> out;
    double since = 0;
    for (const std::string& t : trips) {
        out.push_back(t);
        since += kj::codec::GetReal(t.data(), kj::jizdy::kKmSluzebni);
        if (since < 650) continue;
        const double litres = std::round(since * 5.8) / 100.0;
        std::string fuel(kj::jizdy::kLength, '\0');
        kj::VetaJizdy v = kj::VetaJizdy::From(fuel.data());
        v.SetText(kj::jizdy::kDatum, kj::codec::GetText(t.data(), kj::jizdy::kDatum));
        v.SetText(kj::jizdy::kMisto, kj::Utf8ToCp1250("Zlín, čerpací stanice"));
        v.SetText(kj::jizdy::kUcel, kj::Utf8ToCp1250("nákup PHM"));
        v.SetReal(kj::jizdy::kZakladniSazba, std::round(litres * 3490) / 100.0);
        v.SetReal(kj::jizdy::kSazbaPhm, litres);
        v.SetReal(kj::jizdy::kCasOdjezdu, kj::codec::GetReal(t.data(), kj::jizdy::kCasPrijezdu));
        v.SetText(kj::jizdy::kPoznamka1, kj::Utf8ToCp1250("RE tankování"));
        out.emplace_back(v.bytes.data(), v.bytes.size());
        since = 0;
    }
    return out;
}

// Each demo car's logbook over 2026 up to today (at least January): an
// odometer-setting record on 1 January, then the trips the generator makes
// from the destinations (a machine's from its jobs), month by month as a
// user would, with hours, meal allowances and, for the company car, fuel
// purchases; finally the logbook's own sort with the odometer chain
// recomputed.
bool WriteDemoLogbooks(kj::Common& c) {
    const kj::TfKalendar calendar(c);
    const kj::TabulkaStravneho rates = kj::NactiTabulkuStravneho(c);
    std::string today = kj::NormalizeDate(kj::WorkDate(c.now()));
    const std::string key = kj::DateSortKey(today);
    if (key < "260131") today = "310126";
    if (key > "261231") today = "311226";
    const int lastMonth = kj::StrToIntLoose(today.substr(2, 2));

    std::vector<std::string> roads;
    for (const auto& entry : {std::array<const char*, 3>{"Brno", "jednání s dodavatelem", "196"},
                              {"Hodonín", "cesta k zákazníkovi", "144"},
                              {"Holešov", "zakázka na stavbě", "36"},
                              {"Kroměříž", "cesta k zákazníkovi", "60"},
                              {"Olomouc", "porada", "160"},
                              {"Otrokovice", "nákup materiálu", "20"},
                              {"Praha", "jednání s dodavatelem", "600"},
                              {"Uherské Hradiště", "zakázka na stavbě", "56"},
                              {"Vizovice", "zakázka na stavbě", "32"},
                              {"Zlín - Otrokovice - Zlín", "nákup materiálu", "22"},
                              {"Zlín, město", "úřad, banka", "8"}})
        roads.push_back(DemoDestination(entry[0], entry[1], entry[2]));
    // The private car goes to the nearer places only.
    std::vector<std::string> near;
    for (const std::string& d : roads)
        if (kj::codec::GetReal(d.data(), kj::cile::kKm) < 100) near.push_back(d);
    std::vector<std::string> jobs;
    for (const auto& entry : {std::array<const char*, 3>{"Zlín, Průmyslová", "zemní práce", "6"},
                              {"Vizovice, stavba", "zemní práce", "8"},
                              {"Lípa, pole", "orba", "7"},
                              {"Zlín, areál firmy", "údržba areálu", "3"},
                              {"Otrokovice, sklad", "převoz materiálu", "4"}})
        jobs.push_back(DemoDestination(entry[0], entry[1], entry[2]));

    // Km (a machine: hours) asked of the generator per month.
    const DemoCar cars[] = {{"5Z12345", "SLUŽEBNÍ", 2600, 48210, 0, 0, 2026},
                            {"5Z78812", "SOUKROMÉ", 560, 91540, 5.80, 2.00, 1999},
                            {"ZLT0417", "STROJ", 95, 2317, 0, 0, 417}};
    for (const DemoCar& car : cars) {
        const bool machine = std::string(car.kind) == "STROJ";
        std::string setting(kj::jizdy::kLength, '\0');
        kj::VetaJizdy start = kj::VetaJizdy::From(setting.data());
        start.SetText(kj::jizdy::kDatum, "010126");
        start.SetReal(kj::jizdy::kStavTachometru, car.odometer);
        start.SetReal(kj::jizdy::kZakladniSazba, car.baseRate);
        start.SetReal(kj::jizdy::kSazbaPhm, car.fuelRate);
        start.SetText(kj::jizdy::kPoznamka1, kj::Utf8ToCp1250("počáteční stav tachometru"));
        setting.assign(start.bytes.data(), start.bytes.size());

        kj::ZadaniGeneratoru z;
        z.km = car.km;
        z.cile = machine ? jobs : car.baseRate > 0 ? near : roads;
        z.sablona = setting;
        kj::codec::PutText(z.sablona.data(), kj::jizdy::kPoznamka1, "");
        std::vector<std::string> trips;
        for (int month = 1; month <= lastMonth; ++month) {
            const std::string mm = kj::FormatPic("@@", month);
            z.od = (month == 1 ? "02" : "01") + mm + "26";
            z.do_ = month == lastMonth ? today
                                       : kj::FormatPic("@@", kj::kalendar::MonthLength(month, 2026)) + mm + "26";
            z.pracovnichDnu = calendar.svatky(z.od, z.do_).pracovni;
            if (z.pracovnichDnu < 1) continue;
            // The current month only as far as today.
            const double km = month == lastMonth ? car.km * z.pracovnichDnu / 21.0 : car.km;
            kj::ZadaniGeneratoru part = z;
            part.km = km;
            const kj::VysledekGeneratoru v = kj::GenerujJizdy(calendar, part, car.seed + month);
            if (v.jizdy.empty()) continue;
            trips.insert(trips.end(), v.jizdy.begin(), v.jizdy.end());
            kj::codec::PutReal(z.sablona.data(), kj::jizdy::kStavTachometru,
                               kj::codec::GetReal(v.jizdy.back().data(), kj::jizdy::kStavTachometru));
        }
        AddHoursAndNotes(trips, rates, machine);
        std::vector<std::string> book = {setting};
        for (const std::string& t : car.kind == std::string("SLUŽEBNÍ") ? WithFuel(trips) : trips)
            book.push_back(t);

        const std::string path = kj::DataPath(c, std::string(car.spz) + ".dta");
        std::string bytes;
        for (const std::string& t : book) bytes += t;
        if (kj::WriteFileBytes(c, path, bytes) != 0) return false;
        if (kj::SetridKnihu(c, path, kj::StavTachometru::Prepocitat) != 0) return false;
        std::printf("Kniha jízd %s: %zu záznamů do %s\n", car.spz, book.size(),
                    kj::DisplayDate(today).c_str());
    }
    return true;
}

// Runs kj_form_pictures (built beside this program) for the program
// directory's KJ\ when a picture is missing there. A build without the Qt
// tools leaves the pictures out and says so.
bool InstallFormPictures(const fs::path& root) {
    // The help texts' "kj" is the same directory on the file system the
    // installation imitates.
    fs::path dir = root / "prog" / "KJ";
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(root / "prog", ec))
        if (entry.is_directory() && kj::FoldName(entry.path().filename().string()) == "KJ")
            dir = entry.path();
    if (fs::exists(dir / "kj1.bmp", ec) && fs::exists(dir / "KJ2.bmp", ec)) return true;
    const fs::path tool = fs::read_symlink("/proc/self/exe", ec).parent_path() / "kj_form_pictures";
    if (ec || !fs::exists(tool, ec)) {
        std::printf("Obrázky formulářů cestovního příkazu chybí (kj_form_pictures není sestaven)\n");
        return true;
    }
    std::string toolPath = tool.string(), dirPath = dir.string();
    char* args[] = {toolPath.data(), dirPath.data(), nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, toolPath.c_str(), nullptr, nullptr, args, environ) != 0) return false;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

// The directories of an installation under its drive root.
constexpr const char* kInstallationDirs[] = {"work", "data", "prog"};

bool HasInstallation(const fs::path& root) {
    std::error_code ec;
    for (const char* dir : kInstallationDirs)
        if (fs::exists(root / dir, ec)) return true;
    return false;
}

int main(int argc, char** argv) {
    const bool reset = argc == 4 && std::string(argv[1]) == "--reset";
    if (argc != 3 && !reset) {
        std::fprintf(stderr, "Použití: kj_demo [--reset] ŠABLONA CÍLOVÝ_KOŘEN\n");
        return 2;
    }
    fs::path tmpl = argv[reset ? 2 : 1];
    fs::path root = argv[reset ? 3 : 2];
    std::error_code ec;
    if (HasInstallation(root)) {
        if (!reset) {
            std::printf("Ukázková data v %s ponechána (znovu je vytvoří --reset)\n", root.c_str());
            if (!InstallFormPictures(root)) {
                std::fprintf(stderr, "kj_demo: nelze nakreslit obrázky formulářů\n");
                return 1;
            }
            return 0;
        }
        // Only the installation's own directories go; anything else the
        // root holds stays.
        for (const char* dir : kInstallationDirs) {
            fs::remove_all(root / dir, ec);
            if (ec) {
                std::fprintf(stderr, "kj_demo: nelze smazat %s\n", (root / dir).c_str());
                return 1;
            }
        }
    }
    fs::create_directories(root, ec);
    for (const auto& entry : fs::recursive_directory_iterator(tmpl)) {
        if (!entry.is_regular_file()) continue;
        fs::path rel = fs::relative(entry.path(), tmpl);
        if (!kj::setup::CopyTextFile(entry.path(), root / rel)) {
            std::fprintf(stderr, "kj_demo: nelze zapsat %s\n", (root / rel).c_str());
            return 1;
        }
    }
    fs::create_directories(root / "data");
    fs::create_directories(root / "prog");
    if (!WriteDemoData(root / "data") || !AddReportTitles(root / "prog")) {
        std::fprintf(stderr, "kj_demo: nelze zapsat ukázková data do %s\n", (root / "data").c_str());
        return 1;
    }

    kj::HostFileSystem files((root / "work").string(), root.string());
    kj::StderrDialogs ui;
    kj::Common c(files, ui);
    // The station's job table and parameters as every new station has them.
    kj::setup::WriteStationSettings(c, 1, kj::setup::kTemplateComputer);
    kj::InitCommon(c);
    if (!WriteDemoLogbooks(c)) {
        std::fprintf(stderr, "kj_demo: nelze zapsat knihy jízd do %s\n", (root / "data").c_str());
        return 1;
    }
    if (!InstallFormPictures(root)) {
        std::fprintf(stderr, "kj_demo: nelze nakreslit obrázky formulářů\n");
        return 1;
    }
    std::printf("Ukázková data připravena v %s\n", root.c_str());
    return 0;
}
