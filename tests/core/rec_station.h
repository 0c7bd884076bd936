#pragma once
// The station of the tests: it works in <root>/work, drive-rooted paths land
// under <root>, every file access goes through a FaultFs, and every message
// is recorded by ScriptedDialogs. The data directory is <root>/DATA and the
// program directory <root>/PROG once a test asks for them:
//   UseDataDir()  - the data directory known already (as after start-up);
//   Install(job)  - "data.adr", "prog.adr" and the job table's entries
//                   written, then InitCommon run as at start-up.
// TempStation brings its own temporary root.

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "fault_fs.h"
#include "host_files.h"
#include "services/common.h"
#include "services/params.h"
#include "services/scripted_dialogs.h"
#include "test_dir.h"

namespace kj::rectest {

namespace fs = std::filesystem;

using kj::ReadHost;
using kj::WriteHost;

inline fs::path MadeDir(const fs::path& p) {
    fs::create_directories(p);
    return p;
}

struct Station {
    explicit Station(const fs::path& root, const std::string& station = "03")
        : root(root), work(MadeDir(root / "work")), host(work.string(), root.string()), fs(host),
          c(fs, ui) {
        c.set.station = station;
        c.set.currentDir = "C:\\WORK\\";
        c.now = [] { return std::time_t{1709629623}; };
    }

    fs::path Work(const std::string& name = {}) const { return work / name; }
    fs::path Data(const std::string& name = {}) const { return root / "DATA" / name; }
    fs::path Prog(const std::string& name = {}) const { return root / "PROG" / name; }

    void UseDataDir() {
        MadeDir(Data());
        c.dataDirCache = "C:\\DATA\\";
    }
    void Install(const std::vector<std::pair<std::string, std::string>>& job = {}) {
        WriteHost(Work("data.adr"), "C:\\DATA\\\r\n");
        WriteHost(Work("prog.adr"), "C:\\PROG\\\r\n");
        MadeDir(Data());
        MadeDir(Prog());
        for (const auto& [key, value] : job) SetJobIn(c, "", key, value);
        InitCommon(c);
    }

    fs::path root, work;
    HostFileSystem host;
    FaultFs fs;
    ScriptedDialogs ui;
    Common c;
};

struct OwnDir {
    TestDir dir;
};

struct TempStation : OwnDir, Station {
    explicit TempStation(const std::string& station = "03") : Station(dir.path(), station) {}
};

}  // namespace kj::rectest
