// Time of one Zamkni + Odemkni cycle (a write lock taken and released) with
// the register "FOT.tab" and with the lock server on 127.0.0.1.
//
//   lock_bench [cycles] [--server PATH]
//
// cycles: timed cycles of each kind (default 5,000, after 200 untimed ones).
// --server: the kj_lockserver program (default: next to this program). The
// register lies in a fresh temporary data directory, so the figures show
// the local disk's cost, not that of a network share. Prints the median
// together with the 10th and 90th percentiles, in microseconds.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "services/common.h"
#include "services/file_system.h"
#include "services/lock_socket.h"
#include "services/locks.h"
#include "services/scripted_dialogs.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct Figures {
    double p10 = 0, median = 0, p90 = 0;
};

// Microseconds of `cycles` timed runs of `cycle`, after `warmup` untimed ones.
Figures Time(int warmup, int cycles, const std::function<void()>& cycle) {
    for (int i = 0; i < warmup; ++i) cycle();
    std::vector<double> us;
    us.reserve(static_cast<std::size_t>(cycles));
    for (int i = 0; i < cycles; ++i) {
        auto t0 = Clock::now();
        cycle();
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    std::sort(us.begin(), us.end());
    auto at = [&](double q) { return us[static_cast<std::size_t>(q * (us.size() - 1))]; };
    return Figures{at(0.1), at(0.5), at(0.9)};
}

void Print(const char* what, const Figures& f) {
    std::printf("%-34s median %9.1f us   (p10 %9.1f, p90 %9.1f)\n", what, f.median, f.p10, f.p90);
}

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Starts the lock server on 127.0.0.1 with a free port; its port, or 0.
int StartServer(const std::string& program, const fs::path& log, pid_t* pid) {
    std::vector<std::string> args = {program, "--listen", "127.0.0.1", "--port", "0",
                                     "--log", log.string()};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (::posix_spawn(pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return 0;
    const std::string mark = "naslouchá na 127.0.0.1:";
    for (int i = 0; i < 500; ++i) {
        std::string text = ReadText(log);
        std::size_t at = text.find(mark);
        if (at != std::string::npos && text.find(',', at) != std::string::npos)
            return std::atoi(text.c_str() + at + mark.size());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int cycles = 5000;
    std::string server;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--server") == 0 && i + 1 < argc)
            server = argv[++i];
        else
            cycles = std::max(1, std::atoi(argv[i]));
    }
    if (server.empty()) server = (fs::path(argv[0]).parent_path() / "kj_lockserver").string();

    char tmpl[] = "/tmp/kj-lockbench-XXXXXX";
    if (::mkdtemp(tmpl) == nullptr) return 1;
    const fs::path root = tmpl;
    fs::create_directories(root / "DATA");
    fs::create_directories(root / "ST01");
    fs::create_directories(root / "PROG");

    kj::HostFileSystem files((root / "ST01").string(), root.string());
    kj::ScriptedDialogs ui;
    kj::Common c(files, ui);
    c.set.station = "01";
    c.set.stationIndex = 1;
    c.set.currentDir = "C:\\ST01\\";
    c.progDirCache = "C:\\PROG\\";
    const std::string path = "C:\\DATA\\KJ_AUTA.DTA";
    auto cycle = [&] {
        kj::Zamkni(c, path, "W");
        kj::Odemkni(c, path);
    };

    std::printf("Zamkni + Odemkni (write lock), %d cycles each\n", cycles);
    Print("register FOT.tab (local disk)", Time(200, cycles, cycle));

    pid_t pid = -1;
    int port = StartServer(server, root / "lockserver.log", &pid);
    int rc = 0;
    if (port == 0) {
        std::fprintf(stderr, "lock_bench: the lock server %s did not start\n", server.c_str());
        rc = 1;
    } else {
        kj::TcpLockServerLink link(c);
        c.set.lockServer = "127.0.0.1:" + std::to_string(port);
        if (kj::ConnectLockServer(c, link) != 0) {
            rc = 1;
        } else {
            Print("lock server on 127.0.0.1", Time(200, cycles, cycle));
            link.Close();
        }
    }
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
    if (ui.Count("beep") + ui.Count("note") > 0) {
        std::fprintf(stderr, "lock_bench: %d messages during the runs, e.g. %s\n",
                     ui.Count("beep") + ui.Count("note"), ui.shown.front().text.c_str());
        rc = 1;
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    return rc;
}
