// A company's installation: the template made from the repository's texts,
// a new installation and its stations as the program then finds them, what
// kj_setup refuses, and the station file of the menu entry.

#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "host_files.h"
#include "services/common.h"
#include "services/cp1250.h"
#include "services/file_system.h"
#include "services/locks.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/record_file.h"
#include "services/scripted_dialogs.h"
#include "shell/installation.h"
#include "station_procs.h"
#include "test_dir.h"

namespace kj {
namespace {

namespace fs = std::filesystem;
using namespace setup;

const fs::path kSourceProg = fs::path(__FILE__).parent_path().parent_path().parent_path() / "demo" /
                             "template" / "prog";

// A template made from the repository's program directory, and a root for
// the installation beside it.
struct Fixture {
    TestDir dir;
    fs::path tmpl = dir.path() / "template";
    fs::path root = dir.path() / "firma";
    ScriptedDialogs ui;
    Installation inst{root, tmpl, "", ""};

    Fixture() { EXPECT_EQ(MakeTemplate(kSourceProg, tmpl), ""); }
};

// A station of the installation as the program starts it.
struct Started {
    HostFileSystem files;
    ScriptedDialogs ui;
    Common c{files, ui};
    Started(const fs::path& root, int number) : files(StationDir(root, number).string(), root.string()) {
        InitCommon(c);
    }
};

TEST(Installation, TemplateHoldsTheProgramDirectoryAsInstalled) {
    for (const auto& [utf8, installed] : {std::pair<std::string, std::string>{"a\nb", "a\r\nb"},
                                          {"a\r\nb\n", "a\r\nb\r\n"},
                                          {"Účel jízd\n", "\xDA\xE8\x65l j\xEDzd\r\n"}})
        EXPECT_EQ(InstalledText(utf8), installed);

    Fixture f;
    const std::string carGuide = "Kniha jízd pro vozidlo";
    int copied = 0, left = 0;
    for (const auto& e : fs::recursive_directory_iterator(kSourceProg)) {
        if (!e.is_regular_file()) continue;
        const fs::path installed = f.tmpl / "prog" / fs::relative(e.path(), kSourceProg);
        SCOPED_TRACE(installed.string());
        if (e.path().filename().string().starts_with(carGuide)) {
            EXPECT_FALSE(fs::exists(installed));
            ++left;
        } else {
            EXPECT_EQ(ReadHost(installed), InstalledText(ReadHost(e.path())));
            ++copied;
        }
    }
    EXPECT_GE(copied, 15);
    EXPECT_EQ(left, 3);  // the demo cars' logbook guides
    std::string names;  // 100 blank user names of 24 characters
    for (int i = 0; i < 100; ++i) names += '\x18' + std::string(24, ' ');
    EXPECT_EQ(ReadHost(f.tmpl / "prog" / "JMENA.tab"), names);
    EXPECT_TRUE(fs::is_empty(f.tmpl / "data"));
    // A template is never made over an existing one.
    WriteHost(f.tmpl / "prog" / "listw.tab", "mine");
    EXPECT_NE(MakeTemplate(kSourceProg, f.tmpl), "");
    EXPECT_EQ(ReadHost(f.tmpl / "prog" / "listw.tab"), "mine");
}

// A new installation shared by the user's own group, its first station
// and a second one as the program starts them.
TEST(Installation, NewInstallationStartsAsItsStations) {
    const ::group* own = ::getgrgid(::getgid());
    ASSERT_NE(own, nullptr);
    Fixture f;
    f.inst.lockServer = "server.lan:5051";
    f.inst.group = own->gr_name;
    const Station first{3, "KANC", Utf8ToCp1250("Jana Nováková")};
    ASSERT_EQ(CreateInstallation(f.inst, first, f.ui), "");

    for (const char* list : {"kj_auta.dta", "kjmista.dta", "kjucel.dta", "kjcile.dta", "kjstra.dta"})
        EXPECT_EQ(fs::file_size(f.root / "data" / list), 0u) << list;
    EXPECT_EQ(ReadHost(f.root / "stanice03" / "data.adr"), "\\data\\\r\n");
    EXPECT_EQ(ReadHost(f.root / "stanice03" / "prog.adr"), "\\prog\\\r\n");
    EXPECT_EQ(ReadHost(f.root / "prog" / "kj" / "kj.hlp"), ReadHost(f.tmpl / "prog" / "kj" / "kj.hlp"));

    ASSERT_EQ(AddStation(f.inst, {2, "", Utf8ToCp1250("Petr Dvořák")}, f.ui), "");
    // Every directory and file kj_setup made is the group's, for every
    // account of it (the program then works with umask 0007).
    for (const auto& e : fs::recursive_directory_iterator(f.root)) {
        struct stat st {};
        ASSERT_EQ(::stat(e.path().c_str(), &st), 0);
        EXPECT_EQ(st.st_gid, own->gr_gid) << e.path();
        EXPECT_EQ(st.st_mode & 07777, e.is_directory() ? 02770u : 0660u) << e.path();
    }

    Started s(f.root, 3);
    EXPECT_EQ(s.c.set.station, "03");
    EXPECT_EQ(s.c.set.computer, "KANC");
    EXPECT_EQ(s.c.set.lockServer, "server.lan:5051");  // the data directory's SERVER1 + SERVER2
    EXPECT_EQ(s.c.set.linesPerPage, 64);
    EXPECT_FALSE(s.c.lock.lockingOff);
    EXPECT_EQ(s.files.HostPath(DataPath(s.c, "kj_auta.dta")), (f.root / "data" / "kj_auta.dta").string());
    EXPECT_EQ(s.files.HostPath(ProgPath(s.c, "\\2\\EPSON.dst")), (f.root / "prog" / "2" / "EPSON.dst").string());
    EXPECT_EQ(GetJob(s.c, "TISKARNA"), "EPSON");
    EXPECT_EQ(GetReg(s.c, "par\\sys.par", "Pozadi0"), "12632256");
    EXPECT_EQ(StripRight(UserName(s.c, "03")), Utf8ToCp1250("Jana Nováková"));
    EXPECT_EQ(StripRight(UserName(s.c, "04")), "");

    Started second(f.root, 2);
    EXPECT_EQ(second.c.set.computer, "PC02");
    EXPECT_EQ(StripRight(UserName(second.c, "02")), Utf8ToCp1250("Petr Dvořák"));
    EXPECT_EQ(DataPath(s.c, "x"), DataPath(second.c, "x"));  // one data directory, one lock name
}

TEST(Installation, RefusesWhatExistsOrIsWrongAndMakesNothing) {
    struct Case {
        const char* existing;  // planted under the root before
        Station station;
        std::string lockServer, group;
    } cases[] = {
        {"data", {}, "", ""},
        {"PROG", {}, "", ""},  // names compare without case, as the program finds them
        {"stanice01", {}, "", ""},
        {nullptr, {0, "", ""}, "", ""},
        {nullptr, {1, "POCITAC12", ""}, "", ""},
        {nullptr, {1, "", std::string(25, 'x')}, "", ""},
        {nullptr, {}, "192.168.100.10:5050", ""},  // SERVER1 + SERVER2 hold 16
        {nullptr, {}, "", "kj-no-such-group"},
    };
    for (const Case& k : cases) {
        Fixture f;
        SCOPED_TRACE(k.existing ? k.existing : "input");
        if (k.existing) WriteHost(f.root / k.existing / "mine", "kept");
        f.inst.lockServer = k.lockServer;
        f.inst.group = k.group;
        EXPECT_NE(CreateInstallation(f.inst, k.station, f.ui), "");
        if (k.existing) {
            EXPECT_EQ(ReadHost(f.root / k.existing / "mine"), "kept");
            EXPECT_EQ(std::distance(fs::directory_iterator(f.root), {}), 1);
        } else {
            EXPECT_FALSE(fs::exists(f.root));
        }
    }

    // A failure half way (the template's data directory is a file) takes
    // back what was made, so that kj_setup can be run again.
    Fixture f;
    fs::remove(f.tmpl / "data");
    WriteHost(f.tmpl / "data", "");
    WriteHost(f.root / "mine", "kept");
    EXPECT_NE(CreateInstallation(f.inst, {}, f.ui), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(f.root), {}), 1);

    // Stations: only in an installation, never over an existing one.
    Fixture g;
    EXPECT_NE(AddStation(g.inst, {2, "", ""}, g.ui), "");
    ASSERT_EQ(CreateInstallation(g.inst, {}, g.ui), "");
    WriteHost(g.root / "stanice01" / "par" / "sys.par", "mine");
    EXPECT_NE(AddStation(g.inst, {1, "", ""}, g.ui), "");
    EXPECT_EQ(ReadHost(g.root / "stanice01" / "par" / "sys.par"), "mine");
}

TEST(StationLink, TheMenuEntryFindsTheStationItNames) {
    TestDir dir;
    const fs::path file = dir.path() / "cfg" / "knihy-jizd" / "stanice";
    struct Case {
        const char* text;
        const char* workDir;  // nullptr = no station
        const char* root;
        int umask;
    } cases[] = {
        {"# made by kj_setup\r\nworkdir=/a/b\r\n", "/a/b", "/a", -1},
        {"workdir=/a\nroot=/r\numask=u+w\n", "/a", "/r", -1},
        {"root=/r\numask=0007\n", nullptr, nullptr, -1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        WriteHost(file, k.text);
        const std::optional<StationLink> link = ReadStationLink(file);
        ASSERT_EQ(link.has_value(), k.workDir != nullptr);
        if (!link) continue;
        EXPECT_EQ(link->workDir, k.workDir);
        EXPECT_EQ(link->root, k.root);
        EXPECT_EQ(link->umask, k.umask);
    }
    // What the start tells: no station file, a station that is not there,
    // and nothing once the station exists with the link kj_setup wrote.
    EXPECT_NE(FindStation(dir.path() / "none").problem.find("kj_setup"), std::string::npos);
    const StationLink written{dir.path() / "firma" / "stanice01", dir.path() / "firma", 07};
    ASSERT_TRUE(WriteStationLink(file, written));
    EXPECT_NE(FindStation(file).problem, "");
    WriteHost(written.workDir / "master.job", std::string(3600, '\0'));
    const StationStart start = FindStation(file);
    EXPECT_EQ(start.problem, "");
    EXPECT_EQ(start.link.workDir, written.workDir);
    EXPECT_EQ(start.link.root, written.root);
    EXPECT_EQ(start.link.umask, 07);
}

// kj_setup as the administrator runs it: exit codes, what it refuses, and
// the station file it writes only when the user has none.
TEST(SetupTool, CreatesAddsAndLinksStations) {
    using procs::Program;
    using procs::RunProgram;
    if (!std::getenv("KJ_BUILD_DIR") || !fs::exists(Program("template")))
        GTEST_SKIP() << "KJ_BUILD_DIR with the installation template is needed";
    TestDir dir;
    const std::string root = (dir.path() / "firma").string();
    const fs::path link = dir.path() / "cfg" / "knihy-jizd" / "stanice";
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = oldConfig ? oldConfig : "";
    ::setenv("XDG_CONFIG_HOME", (dir.path() / "cfg").c_str(), 1);

    struct Step {
        std::vector<std::string> args;
        int code;
        const char* linkedStation;  // the station file's working directory afterwards
    } steps[] = {
        {{"--help"}, 0, nullptr},
        {{"--station", "0", root}, 2, nullptr},
        {{root, "extra"}, 2, nullptr},
        {{"--user", "Jana", root}, 0, "stanice01"},
        {{root}, 1, "stanice01"},
        {{"--add", root}, 0, "stanice01"},  // a user's station file is kept
        {{"--link", "02", root}, 0, "stanice02"},
        {{"--link", "05", root}, 1, "stanice02"},
    };
    for (const Step& s : steps) {
        std::vector<std::string> args = {Program("kj_setup")};
        args.insert(args.end(), s.args.begin(), s.args.end());
        const procs::RunResult r = RunProgram(args);
        SCOPED_TRACE(r.output);
        EXPECT_EQ(r.code, s.code);
        if (s.linkedStation) {
            const std::optional<StationLink> l = ReadStationLink(link);
            ASSERT_TRUE(l);
            EXPECT_EQ(l->workDir, fs::path(root) / s.linkedStation);
            EXPECT_EQ(l->root, fs::path(root));
        } else {
            EXPECT_FALSE(fs::exists(link));
        }
    }
    EXPECT_TRUE(fs::exists(fs::path(root) / "stanice02" / "master.job"));
    if (oldConfig) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace kj
