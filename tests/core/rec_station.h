#pragma once
// A station for tests of record and parameter files: it works in
// <dir>/work, drive-rooted paths land under <dir>, every file access goes
// through a FaultFs, and every message is recorded by ScriptedDialogs.

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fault_fs.h"
#include "host_files.h"
#include "services/common.h"
#include "services/scripted_dialogs.h"

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
    fs::path root, work;
    HostFileSystem host;
    FaultFs fs;
    ScriptedDialogs ui;
    Common c;
};

}  // namespace kj::rectest
