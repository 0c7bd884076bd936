#include "shell/installation.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "screens/dialog_layout.h"
#include "services/common.h"
#include "services/cp1250.h"
#include "services/field_codec.h"
#include "services/file_system.h"
#include "services/io_codes.h"
#include "services/lock_table.h"
#include "services/locks.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj::setup {
namespace {

// The code lists of a company, made empty so that they exist with the
// installation's modes from the start.
constexpr const char* kCodeLists[] = {"kj_auta.dta", "kjmista.dta", "kjucel.dta", "kjcile.dta",
                                      "kjstra.dta"};
constexpr const char* kInstallationDirs[] = {"data", "prog"};

// A host path in a message.
std::string Shown(const fs::path& p) { return Utf8ToCp1250(p.string()); }

bool WriteBytes(const fs::path& to, std::string_view bytes) {
    std::ofstream o(to, std::ios::binary | std::ios::trunc);
    o.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    o.close();
    return static_cast<bool>(o);
}

// The name of `dir`'s entry that equals `name` without regard to case, or
// "" when there is none.
std::string EntryNamed(const fs::path& dir, std::string_view name) {
    std::error_code ec;
    const std::string want = FoldName(name);
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (FoldName(Utf8ToCp1250(e.path().filename().string())) == want)
            return e.path().filename().string();
    return {};
}

std::string StationName(int number) { return "stanice" + FormatPic("@@", number); }

std::string Computer(const Station& s) {
    return s.computer.empty() ? "PC" + FormatPic("@@", s.number) : s.computer;
}

std::string CheckStation(const Station& s) {
    if (s.number < 1 || s.number > 99) return "Číslo stanice musí být 1 až 99"_cz;
    if (Computer(s).size() > jobtable::kTextMax || Computer(s).find(' ') != std::string::npos)
        return "Název počítače má nejvýš 8 znaků bez mezer"_cz;
    if (s.user.size() > locktab::kUserNameCap) return "Jméno uživatele má nejvýš 24 znaků"_cz;
    return {};
}

// The group's directories 2770, its files 0660, all owned by the group.
std::string ShareWithGroup(const fs::path& top, gid_t gid) {
    std::vector<fs::path> paths = {top};
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(top, ec)) paths.push_back(e.path());
    if (ec) return "Nelze projít "_cz + Shown(top);
    for (const fs::path& p : paths) {
        const bool dir = fs::is_directory(p, ec);
        if (::chown(p.c_str(), static_cast<uid_t>(-1), gid) != 0 ||
            ::chmod(p.c_str(), dir ? 02770 : 0660) != 0)
            return "Nelze předat skupině: "_cz + Shown(p);
    }
    return {};
}

// The window guides of the template are named for its station
// (kTemplateComputer, no user); a station of another name or with a user
// gets copies under the titles its windows show, unless it has them.
void CopyStationGuides(Common& c, const fs::path& progDir) {
    const std::string navody = EntryNamed(progDir, "NAVODY");
    if (navody.empty()) return;
    const fs::path dir = progDir / navody;
    std::string suffix = GetJob(c, "POCITAC");
    const std::string user = StripRight(UserName(c, c.set.station));
    if (!user.empty()) suffix += " Uživatel:"_cz + user;
    suffix = GuideTitle(suffix) + ".nav";
    const std::string templ = std::string(kTemplateComputer) + ".nav";
    if (suffix == templ) return;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        const std::string name = Utf8ToCp1250(e.path().filename().string());
        if (!name.ends_with(templ)) continue;
        const fs::path copy = dir / Cp1250ToUtf8(name.substr(0, name.size() - templ.size()) + suffix);
        if (!fs::exists(copy, ec)) fs::copy_file(e.path(), copy, ec);
    }
}

// The working directory of a station in an existing installation, with its
// settings; its user's name goes into "JMENA.tab".
std::string MakeStation(const Installation& inst, const Station& s, Dialogs& ui) {
    const fs::path dir = StationDir(inst.root, s.number);
    std::error_code ec;
    if (!fs::create_directory(dir, ec) || ec)
        return "Nelze vytvořit adresář "_cz + Shown(dir);
    if (!WriteBytes(dir / "data.adr", InstalledText("\\data\\\n")) ||
        !WriteBytes(dir / "prog.adr", InstalledText("\\prog\\\n")))
        return "Nelze zapsat data.adr a prog.adr do "_cz + Shown(dir);

    HostFileSystem files(dir.string(), inst.root.string());
    Common c(files, ui);
    WriteStationSettings(c, s.number, Computer(s));
    if (GetJobIn(c, "", "UZIVATEL") != FormatPic("@@", s.number))
        return "Nelze zapsat "_cz + Shown(dir / "master.job");
    c.set.station = FormatPic("@@", s.number);
    if (!s.user.empty()) {
        (void)UserName(c, c.set.station);  // makes a missing table
        std::string rec(locktab::kUserNameRecord, '\0');
        codec::PutShortText(rec.data(), locktab::kUserNameCap, s.user);
        std::unique_ptr<File> f;
        const std::string names = ProgPath(c, "JMENA.tab");
        const bool written =
            files.Open(names, Access::ReadWrite, Disposition::OpenExisting, Share::Shared, &f) ==
                io::kOk &&
            f->Seek(static_cast<std::uint64_t>(s.number) * locktab::kUserNameRecord) == io::kOk &&
            f->Write(rec.data(), rec.size()) == io::kOk;
        const bool closed = f && f->Close() == io::kOk;
        if (!written || !closed) return "Nelze zapsat jméno uživatele do "_cz + names;
    }
    CopyStationGuides(c, inst.root / EntryNamed(inst.root, "prog"));
    return {};
}

std::string FindGroup(const std::string& group, gid_t* gid) {
    if (const ::group* g = ::getgrnam(group.c_str())) {
        *gid = g->gr_gid;
        return {};
    }
    return "Skupina "_cz + Utf8ToCp1250(group) + " neexistuje"_cz;
}

// Removes the directories a failed creation made.
void RemoveMade(const std::vector<fs::path>& made) {
    std::error_code ec;
    for (const fs::path& p : made) fs::remove_all(p, ec);
}

}  // namespace

std::string InstalledText(std::string_view utf8) {
    const std::string text = Utf8ToCp1250(utf8);
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (char ch : text) {
        if (ch == '\r') continue;
        if (ch == '\n') out += "\r\n";
        else out.push_back(ch);
    }
    return out;
}

bool CopyTextFile(const fs::path& from, const fs::path& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return false;
    const std::string utf8((std::istreambuf_iterator<char>(in)), {});
    if (in.bad()) return false;
    std::error_code ec;
    fs::create_directories(to.parent_path(), ec);
    return WriteBytes(to, InstalledText(utf8));
}

std::string MakeTemplate(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    if (fs::exists(target, ec)) return "Šablona "_cz + Shown(target) + " už existuje"_cz;
    if (!fs::is_directory(source, ec)) return "Chybí adresář "_cz + Shown(source);
    const std::string carGuide = GuideTitle("Kniha jízd pro vozidlo SPZ: "_cz);
    const fs::path prog = target / "prog";
    for (const auto& e : fs::recursive_directory_iterator(source, ec)) {
        if (!e.is_regular_file()) continue;
        const fs::path rel = fs::relative(e.path(), source);
        if (Utf8ToCp1250(rel.filename().string()).starts_with(carGuide)) continue;
        if (!CopyTextFile(e.path(), prog / rel)) return "Nelze zapsat "_cz + Shown(prog / rel);
    }
    if (ec) return "Nelze projít "_cz + Shown(source);
    std::string names;
    std::string rec(locktab::kUserNameRecord, '\0');
    codec::PutShortText(rec.data(), locktab::kUserNameCap, std::string(locktab::kUserNameCap, ' '));
    for (std::size_t i = 0; i < locktab::kUserNameRecords; ++i) names += rec;
    fs::create_directories(prog, ec);
    fs::create_directories(target / "data", ec);
    if (ec || !WriteBytes(prog / "JMENA.tab", names)) return "Nelze zapsat "_cz + Shown(prog);
    return {};
}

fs::path StationDir(const fs::path& root, int number) { return root / StationName(number); }

void WriteStationSettings(Common& c, int number, std::string_view computer) {
    SetJobIn(c, "", "UZIVATEL", FormatPic("@@", number));
    SetJobIn(c, "", "POCITAC", computer);
    SetJobIn(c, "", "MENA", "CZK");
    SetJobIn(c, "", "DAN1", "21");
    SetJobIn(c, "", "DAN2", "12");
    SetJobIn(c, "", "LIMRAD", "64");
    SetJobIn(c, "", "TISKARNA", "EPSON");
    SetJobIn(c, "", "LPT", "1");
    SetReg(c, "par\\sys.par", "Pozadi0", "12632256");
}

std::string CreateInstallation(const Installation& inst, const Station& first, Dialogs& ui) {
    std::error_code ec;
    if (std::string bad = CheckStation(first); !bad.empty()) return bad;
    if (inst.lockServer.size() > 2 * jobtable::kTextMax)
        return "Adresa serveru zámků má nejvýš 16 znaků"_cz;
    gid_t gid = 0;
    if (!inst.group.empty())
        if (std::string bad = FindGroup(inst.group, &gid); !bad.empty()) return bad;
    if (!fs::is_regular_file(inst.templateDir / "prog" / "JMENA.tab", ec))
        return "Šablona instalace "_cz + Shown(inst.templateDir) + " není úplná (chybí prog/JMENA.tab)"_cz;
    if (fs::exists(inst.root, ec) && !fs::is_directory(inst.root, ec))
        return Shown(inst.root) + " není adresář"_cz;
    for (const std::string& dir : {std::string("data"), std::string("prog"), StationName(first.number)})
        if (std::string found = EntryNamed(inst.root, dir); !found.empty())
            return "V adresáři "_cz + Shown(inst.root) + " už instalace je ("_cz +
                   Utf8ToCp1250(found) + "); kj_setup ji nepřepíše"_cz;

    const bool rootMade = !fs::exists(inst.root, ec);
    fs::create_directories(inst.root, ec);
    if (ec) return "Nelze vytvořit adresář "_cz + Shown(inst.root);
    std::vector<fs::path> made;
    auto fail = [&made](std::string problem) {
        RemoveMade(made);
        return problem;
    };
    for (const char* dir : kInstallationDirs) {
        made.push_back(inst.root / dir);
        fs::copy(inst.templateDir / dir, inst.root / dir, fs::copy_options::recursive, ec);
        if (ec) return fail("Nelze zkopírovat šablonu do "_cz + Shown(inst.root / dir));
    }
    for (const char* list : kCodeLists)
        if (!WriteBytes(inst.root / "data" / list, ""))
            return fail("Nelze zapsat "_cz + Shown(inst.root / "data" / list));
    if (!inst.lockServer.empty()) {
        HostFileSystem files(inst.root.string(), inst.root.string());
        Common c(files, ui);
        const std::string& a = inst.lockServer;
        SetJobIn(c, "\\data\\", "SERVER1", a.substr(0, jobtable::kTextMax));
        if (a.size() > jobtable::kTextMax) SetJobIn(c, "\\data\\", "SERVER2", a.substr(jobtable::kTextMax));
        if (GetJobIn(c, "\\data\\", "SERVER1") + GetJobIn(c, "\\data\\", "SERVER2") != a)
            return fail("Nelze zapsat "_cz + Shown(inst.root / "data" / "master.job"));
    }
    made.push_back(StationDir(inst.root, first.number));
    if (std::string bad = MakeStation(inst, first, ui); !bad.empty()) return fail(bad);
    if (!inst.group.empty()) {
        for (const fs::path& top : made)
            if (std::string bad = ShareWithGroup(top, gid); !bad.empty()) return fail(bad);
        // A root made here is the group's too; one that was there is left
        // as its owner made it.
        if (rootMade && (::chown(inst.root.c_str(), static_cast<uid_t>(-1), gid) != 0 ||
                         ::chmod(inst.root.c_str(), 02770) != 0))
            return fail("Nelze předat skupině: "_cz + Shown(inst.root));
    }
    return {};
}

std::string AddStation(const Installation& inst, const Station& s, Dialogs& ui) {
    if (std::string bad = CheckStation(s); !bad.empty()) return bad;
    for (const char* dir : kInstallationDirs)
        if (EntryNamed(inst.root, dir).empty())
            return "V adresáři "_cz + Shown(inst.root) + " není instalace (chybí "_cz + dir + ")";
    if (std::string found = EntryNamed(inst.root, StationName(s.number)); !found.empty())
        return "Stanice "_cz + FormatPic("@@", s.number) + " už existuje ("_cz +
               Shown(inst.root / found) + "); kj_setup ji nepřepíše"_cz;
    std::string bad = MakeStation(inst, s, ui);
    const fs::path dir = StationDir(inst.root, s.number);
    struct stat data {};
    const fs::path dataDir = inst.root / EntryNamed(inst.root, "data");
    if (bad.empty() && ::stat(dataDir.c_str(), &data) == 0 && (data.st_mode & S_ISGID))
        bad = ShareWithGroup(dir, data.st_gid);
    if (!bad.empty()) RemoveMade({dir});
    return bad;
}

// ---- the desktop start ----

fs::path StationLinkPath(const char* xdgConfigHome, const char* home) {
    if (xdgConfigHome && *xdgConfigHome == '/') return fs::path(xdgConfigHome) / "knihy-jizd" / "stanice";
    if (home && *home) return fs::path(home) / ".config" / "knihy-jizd" / "stanice";
    return {};
}

std::optional<StationLink> ReadStationLink(const fs::path& file) {
    std::ifstream in(file);
    if (!in) return std::nullopt;
    StationLink link;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "workdir") {
            link.workDir = value;
        } else if (key == "root") {
            link.root = value;
        } else if (key == "umask" && !value.empty() &&
                   value.find_first_not_of("01234567") == std::string::npos && value.size() <= 4) {
            link.umask = std::stoi(value, nullptr, 8);
        }
    }
    if (link.workDir.empty()) return std::nullopt;
    if (link.root.empty()) link.root = link.workDir.parent_path();
    return link;
}

bool WriteStationLink(const fs::path& file, const StationLink& link) {
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    std::string text =
        "# Knihy jízd: pracovní adresář stanice, ve kterém program startuje z nabídky\n"
        "workdir=" + link.workDir.string() + "\nroot=" + link.root.string() + "\n";
    if (link.umask >= 0) {
        char mask[16];
        std::snprintf(mask, sizeof mask, "%04o", static_cast<unsigned>(link.umask & 0777));
        text += std::string("umask=") + mask + "\n";
    }
    return WriteBytes(file, text);
}

StationStart FindStation(const fs::path& linkFile) {
    StationStart s;
    if (linkFile.empty()) {
        s.problem = "Není nastaven domovský adresář (HOME), nelze najít pracovní adresář stanice."_cz;
        return s;
    }
    const std::optional<StationLink> link = ReadStationLink(linkFile);
    if (!link) {
        s.problem = "Pro tohoto uživatele není nastavena žádná stanice Knih jízd (chybí soubor "_cz +
                    Shown(linkFile) +
                    ").\n\nNovou instalaci vytvoří příkaz kj_setup, jeho volby vypíše\n    kj_setup --help"_cz;
        return s;
    }
    s.link = *link;
    std::error_code ec;
    if (!fs::is_regular_file(link->workDir / "master.job", ec))
        s.problem = "Pracovní adresář stanice "_cz + Shown(link->workDir) + " ze souboru "_cz +
                    Shown(linkFile) + " neexistuje nebo v něm chybí master.job."_cz;
    return s;
}

}  // namespace kj::setup
