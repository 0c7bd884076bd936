#pragma once
// Programs of the build run as child processes for tests: stations
// (kj_station), the lock server (kj_lockserver) and the administrator's tool
// (kj_admin), and an installation for them on disk: a data directory, a
// program directory with user names, and one working directory per station.
// Everything talks only to 127.0.0.1; every wait is bounded.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "services/common.h"
#include "services/cp1250.h"
#include "services/file_system.h"
#include "services/params.h"
#include "services/scripted_dialogs.h"
#include "test_dir.h"

extern char** environ;

// Skips a test when KJ_BUILD_DIR (set by ctest) is not set; fails it when
// one of the named programs of the build is missing.
#define KJ_REQUIRE_PROGRAMS(...)                                                    \
    if (!std::getenv("KJ_BUILD_DIR")) GTEST_SKIP() << "KJ_BUILD_DIR is not set"; \
    for (const char* prog : {__VA_ARGS__})                                       \
    ASSERT_TRUE(std::filesystem::exists(kj::procs::Program(prog))) << prog

namespace kj::procs {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A program of the build directory; "" when KJ_BUILD_DIR is not set.
inline std::string Program(const std::string& name) {
    const char* dir = std::getenv("KJ_BUILD_DIR");
    return dir ? std::string(dir) + "/" + name : std::string();
}

inline std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A child process with its standard input and output (error joined) on pipes.
class Proc {
public:
    Proc() = default;
    ~Proc() { Kill(); }
    Proc(const Proc&) = delete;
    Proc& operator=(const Proc&) = delete;

    // `env`: "NAME=value" entries added to this process's environment.
    bool Start(std::vector<std::string> args, std::vector<std::string> env = {}) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0) return false;
        if (::pipe2(out, O_CLOEXEC) != 0) {
            ::close(in[0]);
            ::close(in[1]);
            return false;
        }
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (char** e = environ; *e != nullptr; ++e) envp.push_back(*e);
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, out[1], 2);
        int rc = ::posix_spawn(&pid_, args[0].c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        in_ = in[1];
        out_ = out[0];
        if (rc != 0) {
            pid_ = -1;
            return false;
        }
        return true;
    }

    void Send(const std::string& line) {
        std::string l = line + "\n";
        if (in_ >= 0 && ::write(in_, l.data(), l.size()) != static_cast<ssize_t>(l.size())) {
            // The process has gone; its output tells why.
        }
    }
    // Sends a command and waits for the text that answers it.
    bool Ask(const std::string& command, const std::string& answer, int ms = 5000) {
        Send(command);
        return WaitFor(answer, ms);
    }
    // Tells a station to end; its exit code.
    int Quit() {
        Send("quit");
        return ExitCode();
    }
    void CloseInput() {
        if (in_ >= 0) ::close(in_);
        in_ = -1;
    }

    // Reads what has arrived, waiting at most `ms` for the first bytes.
    void Pump(int ms) {
        if (out_ < 0) return;
        pollfd p{out_, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) return;
        char buf[8192];
        for (int i = 0; i < 64; ++i) {
            ssize_t n = ::read(out_, buf, sizeof buf);
            if (n <= 0) {
                if (n == 0) {
                    ::close(out_);
                    out_ = -1;
                }
                return;
            }
            output_.append(buf, static_cast<std::size_t>(n));
            if (::poll(&p, 1, 0) <= 0) return;
        }
    }

    // Waits until `text` appears in the output after what earlier waits
    // consumed; the output up to its end is then consumed.
    bool WaitFor(const std::string& text, int ms = 5000) {
        auto until = Clock::now() + milliseconds(ms);
        for (;;) {
            std::size_t at = output_.find(text, seen_);
            if (at != std::string::npos) {
                seen_ = at + text.size();
                return true;
            }
            auto left = std::chrono::duration_cast<milliseconds>(until - Clock::now()).count();
            if (left <= 0 || (out_ < 0 && !Running())) return false;
            Pump(static_cast<int>(std::min<long long>(left, 50)));
        }
    }

    // Output not consumed yet (after reading what has arrived).
    std::string Unseen() {
        Pump(0);
        return output_.substr(seen_);
    }
    const std::string& output() const { return output_; }

    bool Running() {
        if (pid_ <= 0) return false;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            status_ = status;
            return false;
        }
        return true;
    }

    // The wait status once the process has ended within `ms`; -1 otherwise.
    int Wait(int ms = 5000) {
        auto until = Clock::now() + milliseconds(ms);
        while (Running()) {
            if (Clock::now() >= until) return -1;
            Pump(10);
        }
        Pump(0);
        return status_;
    }

    // The exit code once ended normally within `ms`; -1 otherwise.
    int ExitCode(int ms = 5000) {
        int st = Wait(ms);
        return st >= 0 && WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }

    void Signal(int sig) {
        if (pid_ > 0) ::kill(pid_, sig);
    }

    void Kill() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        CloseInput();
        if (out_ >= 0) ::close(out_);
        out_ = -1;
    }

private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    int status_ = -1;
    std::string output_;
    std::size_t seen_ = 0;
};

// Runs a program to its end (at most `ms`); its output and exit code.
struct RunResult {
    int code = -1;
    std::string output;
};
inline RunResult RunProgram(std::vector<std::string> args, int ms = 10000) {
    Proc p;
    RunResult r;
    if (!p.Start(std::move(args))) return r;
    p.CloseInput();
    r.code = p.ExitCode(ms);
    r.output = p.output();
    return r;
}

// The lock server on 127.0.0.1 with a port of its own choosing.
class LockServerProc {
public:
    explicit LockServerProc(const fs::path& logDir) : log_(logDir / "lockserver.log") {}

    // On `port`; 0 lets the server choose a free one.
    bool Start(const std::string& namesDir, int port = 0, std::vector<std::string> options = {}) {
        std::vector<std::string> args = {
            Program("kj_lockserver"), "--listen", "127.0.0.1",  "--port",
            std::to_string(port),     "--log",    log_.string()};
        args.insert(args.end(), options.begin(), options.end());
        const std::size_t logged = ReadText(log_).size();  // a restart appends to the log
        if (!namesDir.empty()) {
            args.push_back("--names");
            args.push_back(namesDir);
        }
        if (!proc_.Start(args)) return false;
        const std::string mark = "naslouchá na 127.0.0.1:";
        auto until = Clock::now() + milliseconds(5000);
        while (Clock::now() < until && proc_.Running()) {
            std::string log = ReadText(log_);
            std::size_t at = log.find(mark, logged);
            if (at != std::string::npos && log.find(',', at) != std::string::npos) {
                port_ = std::atoi(log.c_str() + at + mark.size());
                return port_ > 0;
            }
            proc_.Pump(5);
        }
        return false;
    }
    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string Log() const { return ReadText(log_); }
    Proc& proc() { return proc_; }
    // SIGTERM; the exit code once the server has ended (-1 if it did not).
    int Stop() {
        proc_.Signal(SIGTERM);
        return proc_.ExitCode();
    }

private:
    fs::path log_;
    Proc proc_;
    int port_ = 0;
};

// An installation on disk: root/DATA (data), root/PROG (program directory,
// JMENA.tab with the names below), root/STnn (working directory of station
// nn: master.job with "UZIVATEL", data.adr, prog.adr). Drive paths "C:\..."
// of the stations lie under root.
class Installation {
public:
    static inline const char* kUsers[] = {"", "Jan Novák", "Eva Malá", "Petr Dvořák",
                                          "Jana Horká"};

    explicit Installation(int stations) : host_(root_.str(), root_.str()), c_(host_, ui_) {
        fs::create_directories(Data());
        fs::create_directories(Prog());
        std::string names;
        for (int n = 0; n < 100; ++n) {
            std::string user = n < 5 ? Utf8ToCp1250(kUsers[n]) : std::string();
            std::string rec(25, '\0');
            rec[0] = static_cast<char>(user.size());
            rec.replace(1, user.size(), user);
            names += rec;
        }
        std::ofstream(Prog() / "JMENA.tab", std::ios::binary) << names;
        for (int n = 1; n <= stations; ++n) {
            fs::create_directories(Station(n));
            std::ofstream(Station(n) / "data.adr", std::ios::binary) << "C:\\DATA\\\r\n";
            std::ofstream(Station(n) / "prog.adr", std::ios::binary) << "C:\\PROG\\\r\n";
            SetJobIn(c_, "C:\\" + StationName(n) + "\\", "UZIVATEL", Two(n));
        }
    }

    // The lock-server address in the data directory's "master.job", split
    // over "SERVER1" and "SERVER2" (8 characters each).
    void SetServer(const std::string& address) {
        SetJobIn(c_, "C:\\DATA\\", "SERVER1", address.substr(0, 8));
        SetJobIn(c_, "C:\\DATA\\", "SERVER2", address.size() > 8 ? address.substr(8, 8) : "");
    }

    static std::string Two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }
    static std::string StationName(int n) { return "ST" + Two(n); }
    static std::string User(int n) { return kUsers[n]; }

    fs::path root() const { return root_.path(); }
    fs::path Data() const { return root_.path() / "DATA"; }
    fs::path Prog() const { return root_.path() / "PROG"; }
    fs::path Station(int n) const { return root_.path() / StationName(n); }

    // kj_station for station n, reading commands from the test.
    bool StartStation(Proc& p, int n, std::vector<std::string> options = {}) const {
        std::vector<std::string> args = {Program("kj_station"), "--root", root_.str(),
                                         "--deadline-ms", "20000"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(Station(n).string());
        return p.Start(args) && p.WaitFor("READY " + Two(n));
    }

private:
    TestDir root_;
    HostFileSystem host_;
    ScriptedDialogs ui_;
    Common c_;
};

}  // namespace kj::procs
