// Creates a company's installation of Knihy jízd: the data directory with
// empty code lists, the program directory from the installed template, and
// the first station's working directory; adds further stations; points a
// user's menu entry at a station. See shell/installation.h for the layout.
//
//   kj_setup [OPTIONS] ROOT              a new installation
//   kj_setup --add [OPTIONS] ROOT        one more station
//   kj_setup --link NN ROOT              only this user's station file
//   kj_setup --make-template SOURCE DIR  the template (when building)
//
// Messages are UTF-8 on stderr; exit code 0 when done, 1 when refused or
// failed, 2 on wrong use.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "services/cp1250.h"
#include "services/scripted_dialogs.h"
#include "shell/installation.h"

namespace fs = std::filesystem;
using namespace kj::setup;

namespace {

constexpr char kUsage[] =
    "Použití:\n"
    "  kj_setup [VOLBY] KOŘEN          vytvoří novou instalaci s první stanicí\n"
    "  kj_setup --add [VOLBY] KOŘEN    přidá další stanici k instalaci v KOŘENI\n"
    "  kj_setup --link NN KOŘEN        jen nasměruje spouštění z nabídky tohoto\n"
    "                                  uživatele na stanici NN instalace v KOŘENI\n"
    "  kj_setup --make-template ZDROJ CÍL\n"
    "                                  šablonu programového adresáře z textů\n"
    "                                  v UTF-8 (při sestavování balíčku)\n"
    "\n"
    "Instalace v KOŘENI: data/ (datový adresář), prog/ (programový adresář),\n"
    "stanice01/, stanice02/ ... (pracovní adresáře stanic). Existující\n"
    "instalaci ani stanici kj_setup nikdy nepřepíše.\n"
    "\n"
    "Volby:\n"
    "  --station NN      číslo stanice 1 až 99 (výchozí 01, u --add první volné)\n"
    "  --computer NÁZEV  název počítače, POCITAC (nejvýš 8 znaků; výchozí PC a\n"
    "                    číslo stanice)\n"
    "  --user JMÉNO      jméno uživatele stanice do JMENA.tab (nejvýš 24 znaků)\n"
    "  --server ADRESA   server zámků \"počítač\" nebo \"počítač:port\" (nejvýš\n"
    "                    16 znaků; jen u nové instalace); bez něj se zamyká\n"
    "                    tabulkou FOT.tab\n"
    "  --group SKUPINA   instalaci sdílejí uživatelé skupiny: adresáře 2770,\n"
    "                    soubory 0660, program pak pracuje s umask 0007\n"
    "  --template ADR    šablona instalace (výchozí ../share/knihy-jizd/template\n"
    "                    vedle programu kj_setup)\n"
    "  --no-link         nezapisovat soubor stanice ~/.config/knihy-jizd/stanice\n"
    "  --help            tato nápověda\n"
    "\n"
    "Soubor stanice (~/.config/knihy-jizd/stanice) říká, ve kterém pracovním\n"
    "adresáři program spustí položka \"Knihy jízd\" v nabídce (knihy_jizd\n"
    "--station). kj_setup ho zapíše, jen když ještě neexistuje; jinou stanici\n"
    "nastaví kj_setup --link.\n";

int Usage(const char* problem) {
    if (problem) std::fprintf(stderr, "kj_setup: %s\n\n", problem);
    std::fputs(kUsage, stderr);
    return 2;
}

int Fail(const std::string& cp1250) {
    std::fprintf(stderr, "kj_setup: %s\n", kj::Cp1250ToUtf8(cp1250).c_str());
    return 1;
}

// The installed template beside this program: "template" in the build
// directory, "../share/knihy-jizd/template" once installed.
fs::path DefaultTemplate() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec).parent_path();
    for (const fs::path& p : {exe / "template", exe.parent_path() / "share" / "knihy-jizd" / "template"})
        if (fs::is_directory(p / "prog", ec)) return p;
    return exe.parent_path() / "share" / "knihy-jizd" / "template";
}

int StationNumber(const char* text) {
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    return *text && *end == '\0' && n >= 1 && n <= 99 ? static_cast<int>(n) : -1;
}

// Writes the user's station file unless it exists (or --no-link).
void Link(const Installation& inst, int number, bool force) {
    const fs::path file = StationLinkPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    std::error_code ec;
    if (file.empty()) return;
    if (!force && fs::exists(file, ec)) {
        std::printf("Soubor stanice %s už existuje, ponechán; na novou stanici ho nastaví\n"
                    "  kj_setup --link %02d %s\n",
                    file.c_str(), number, inst.root.c_str());
        return;
    }
    StationLink link;
    link.workDir = StationDir(inst.root, number);
    link.root = inst.root;
    struct stat st {};
    if (::stat(link.workDir.c_str(), &st) == 0 && (st.st_mode & S_ISGID)) link.umask = 07;
    if (WriteStationLink(file, link))
        std::printf("Knihy jízd z nabídky startují ve stanici %s (soubor %s)\n",
                    link.workDir.c_str(), file.c_str());
    else
        std::fprintf(stderr, "kj_setup: nelze zapsat soubor stanice %s\n", file.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    enum class Mode { Create, Add, Link, Template } mode = Mode::Create;
    Installation inst;
    Station station;
    bool stationGiven = false, noLink = false;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--add") {
            mode = Mode::Add;
        } else if (a == "--link" && hasValue) {
            mode = Mode::Link;
            station.number = StationNumber(argv[++i]);
            stationGiven = true;
        } else if (a == "--make-template") {
            mode = Mode::Template;
        } else if (a == "--station" && hasValue) {
            station.number = StationNumber(argv[++i]);
            stationGiven = true;
        } else if (a == "--computer" && hasValue) {
            station.computer = kj::Utf8ToCp1250(argv[++i]);
        } else if (a == "--user" && hasValue) {
            station.user = kj::Utf8ToCp1250(argv[++i]);
        } else if (a == "--server" && hasValue) {
            inst.lockServer = kj::Utf8ToCp1250(argv[++i]);
        } else if (a == "--group" && hasValue) {
            inst.group = argv[++i];
        } else if (a == "--template" && hasValue) {
            inst.templateDir = argv[++i];
        } else if (a == "--no-link") {
            noLink = true;
        } else if (a.starts_with("-")) {
            return Usage(("neznámá volba nebo chybí její hodnota: " + a).c_str());
        } else {
            args.push_back(a);
        }
    }
    if (mode == Mode::Template) {
        if (args.size() != 2) return Usage("--make-template chce ZDROJ a CÍL");
        const std::string bad = MakeTemplate(args[0], args[1]);
        return bad.empty() ? 0 : Fail(bad);
    }
    if (args.size() != 1) return Usage("chybí KOŘEN instalace");
    if (station.number < 0) return Usage("číslo stanice musí být 1 až 99");
    std::error_code ec;
    inst.root = fs::weakly_canonical(fs::absolute(args[0]), ec);
    if (ec) inst.root = fs::absolute(args[0]);
    if (inst.templateDir.empty()) inst.templateDir = DefaultTemplate();
    kj::StderrDialogs ui;

    switch (mode) {
        case Mode::Link: {
            if (!fs::is_regular_file(StationDir(inst.root, station.number) / "master.job", ec))
                return Fail(kj::Utf8ToCp1250("Stanice " + StationDir(inst.root, station.number).string() +
                                             " neexistuje"));
            Link(inst, station.number, true);
            return 0;
        }
        case Mode::Add: {
            if (!stationGiven) {
                station.number = 2;
                while (station.number < 99 && fs::exists(StationDir(inst.root, station.number), ec))
                    ++station.number;
            }
            if (!inst.lockServer.empty() || !inst.group.empty())
                return Usage("--server a --group platí jen pro novou instalaci");
            if (std::string bad = AddStation(inst, station, ui); !bad.empty()) return Fail(bad);
            std::printf("Stanice %02d vytvořena: %s\n", station.number,
                        StationDir(inst.root, station.number).c_str());
            break;
        }
        default: {
            if (std::string bad = CreateInstallation(inst, station, ui); !bad.empty()) return Fail(bad);
            std::printf("Instalace vytvořena v %s\n"
                        "  datový adresář     %s\n"
                        "  programový adresář %s\n"
                        "  stanice %02d         %s\n",
                        inst.root.c_str(), (inst.root / "data").c_str(), (inst.root / "prog").c_str(),
                        station.number, StationDir(inst.root, station.number).c_str());
            break;
        }
    }
    if (!noLink) Link(inst, station.number, false);
    return 0;
}
