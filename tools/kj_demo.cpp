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

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "logbook/car_list.h"
#include "logbook/destinations.h"
#include "logbook/meal_rates.h"
#include "logbook/places.h"
#include "logbook/purposes.h"
#include "services/common.h"
#include "services/cp1250.h"
#include "services/file_system.h"
#include "services/params.h"
#include "services/scripted_dialogs.h"

namespace fs = std::filesystem;

extern char** environ;

namespace {

// Copies a UTF-8 text file as Windows-1250 with CR LF line ends. The file's
// name is converted too (names on disk are UTF-8 of the Windows-1250 name,
// which for the template's names is the same text).
bool CopyText(const fs::path& from, const fs::path& to) {
    std::ifstream in(from, std::ios::binary);
    std::string utf8((std::istreambuf_iterator<char>(in)), {});
    std::string text = kj::Utf8ToCp1250(utf8);
    std::string out;
    for (char ch : text) {
        if (ch == '\r') continue;
        if (ch == '\n') out += "\r\n";
        else out.push_back(ch);
    }
    fs::create_directories(to.parent_path());
    std::ofstream o(to, std::ios::binary | std::ios::trunc);
    o << out;
    return static_cast<bool>(o);
}

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
        if (!CopyText(entry.path(), root / rel)) {
            std::fprintf(stderr, "kj_demo: nelze zapsat %s\n", (root / rel).c_str());
            return 1;
        }
    }
    fs::create_directories(root / "data");
    fs::create_directories(root / "prog");
    if (!WriteDemoData(root / "data")) {
        std::fprintf(stderr, "kj_demo: nelze zapsat ukázková data do %s\n", (root / "data").c_str());
        return 1;
    }

    kj::HostFileSystem files((root / "work").string(), root.string());
    kj::StderrDialogs ui;
    kj::Common c(files, ui);
    // The station's job table: station 01, home currency and print settings.
    kj::SetJobIn(c, "", "UZIVATEL", "01");
    kj::SetJobIn(c, "", "MENA", "CZK");
    kj::SetJobIn(c, "", "DAN1", "21");
    kj::SetJobIn(c, "", "DAN2", "12");
    kj::SetJobIn(c, "", "LIMRAD", "64");
    kj::SetJobIn(c, "", "POCITAC", "PC01");
    // The main menu's background: silver.
    kj::SetReg(c, "par\\sys.par", "Pozadi0", "12632256");
    if (!InstallFormPictures(root)) {
        std::fprintf(stderr, "kj_demo: nelze nakreslit obrázky formulářů\n");
        return 1;
    }
    std::printf("Ukázková data připravena v %s\n", root.c_str());
    return 0;
}
