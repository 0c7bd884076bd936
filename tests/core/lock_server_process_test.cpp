// The lock server program itself, run as a child process on 127.0.0.1 with a
// port of its own choosing, spoken to over TCP. Needs KJ_BUILD_DIR (set by
// ctest) to find the program; skipped without it.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "services/cp1250.h"
#include "test_dir.h"

extern char** environ;

namespace kj {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const std::string kDir = "C:\\VELTOR\\DATA\\";
const std::string kAuta = "KJ_AUTA.DTA ";
const std::string kCile = "KJCILE.DTA  ";

std::string Msg(std::string_view command, std::string_view name, std::string_view mode,
                std::string_view station) {
    return std::string(command) + "<" + kDir + ">" + std::string(name) + "#" + std::string(mode) +
           "$" + std::string(station);
}
std::string LockW(std::string_view st, std::string_view name = kAuta) {
    return Msg("Zamkni", name, "W", st);
}
std::string LockR(std::string_view st, std::string_view name = kAuta) {
    return Msg("Zamkni", name, "", st);
}
std::string Unlock(std::string_view st, std::string_view name = kAuta) {
    return Msg("Odemkni", name, "p", st);
}
std::string IfFree(std::string_view st, std::string_view name = kAuta) {
    return Msg("IfVolny", name, "p", st);
}
const std::string kKeepAlive = "Client<Vata>#$";

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The server as a child process.
class ServerProcess {
  public:
    ~ServerProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    static std::string Binary() {
        const char* dir = std::getenv("KJ_BUILD_DIR");
        return dir ? std::string(dir) + "/kj_lockserver" : std::string();
    }

    // `quiet` throws the program's output away.
    pid_t Spawn(std::vector<std::string> args, bool quiet = false) {
        std::string bin = Binary();
        args.insert(args.begin(), bin);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        // Standard output and error go to a file, never to the test's own pipes.
        std::string out = quiet ? std::string("/dev/null") : (dir_.path() / "server.out").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = -1;
        int rc = ::posix_spawn(&pid, bin.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) return -1;
        pid_ = pid;
        return pid;
    }

    // Starts on 127.0.0.1 with a free port; the port is read from the log.
    bool Start(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--listen", "127.0.0.1", "--port",
                                         "0",        "--log",     LogPath()};
        args.insert(args.end(), extra.begin(), extra.end());
        if (Spawn(args) < 0) return false;
        const std::string mark = "naslouchá na 127.0.0.1:";
        auto until = Clock::now() + milliseconds(5000);
        while (Clock::now() < until) {
            std::string log = ReadFile(LogPath());
            std::size_t at = log.find(mark);
            if (at != std::string::npos && log.find(',', at) != std::string::npos) {
                port_ = std::atoi(log.c_str() + at + mark.size());
                return port_ > 0;
            }
            if (!Running()) return false;
            std::this_thread::sleep_for(milliseconds(5));
        }
        return false;
    }

    bool Running() {
        if (pid_ <= 0) return false;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            exitStatus_ = status;
            return false;
        }
        return true;
    }

    // Waits (bounded) for the process to end; its wait status, -1 on timeout.
    int Wait(int ms = 5000) {
        auto until = Clock::now() + milliseconds(ms);
        while (Clock::now() < until) {
            if (!Running()) return exitStatus_;
            std::this_thread::sleep_for(milliseconds(5));
        }
        return -1;
    }

    int Stop() {
        if (pid_ > 0) ::kill(pid_, SIGTERM);
        return Wait();
    }

    std::string LogPath() const { return (dir_.path() / "server.log").string(); }
    std::string Log() const { return ReadFile(LogPath()); }
    const TestDir& dir() const { return dir_; }
    int port() const { return port_; }

  private:
    TestDir dir_;
    pid_t pid_ = -1;
    int port_ = 0;
    int exitStatus_ = -1;
};

// One station's connection.
class Station {
  public:
    explicit Station(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) Close();
        int one = 1;
        if (fd_ >= 0) setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    ~Station() { Close(); }
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    bool ok() const { return fd_ >= 0; }

    bool Send(std::string_view bytes) {
        while (!bytes.empty()) {
            ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    // What arrives once the first byte came within `ms`, read until it ends
    // with a line end, which is taken off; "" when nothing came, the text
    // and "<no line end>" when the line end never came.
    std::string Reply(int ms = 2000) {
        std::string got;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) return got;
        auto until = Clock::now() + milliseconds(2000);
        while (!got.ends_with("\r\n") && Clock::now() < until) {
            if (!Drain(&got)) break;
            if (!got.ends_with("\r\n")) ::poll(&p, 1, 20);
        }
        if (got.empty()) return got;  // the server closed
        if (!got.ends_with("\r\n")) return got + "<no line end>";
        got.resize(got.size() - 2);
        return got;
    }

    std::string Request(std::string_view message) {
        if (!Send(message)) return "<send failed>";
        return Reply();
    }

    // Reads what is there without waiting; false once the server closed.
    bool Drain(std::string* got = nullptr) {
        char buf[4096];
        for (int i = 0; i < 1000; ++i) {
            ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
            if (n > 0) {
                if (got) got->append(buf, static_cast<std::size_t>(n));
                continue;
            }
            return !(n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK));
        }
        return true;
    }

    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    // Ends the connection with a reset, as a crashed station's machine would.
    void Abort() {
        linger l{1, 0};
        setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        Close();
    }

  private:
    int fd_ = -1;
};

// Repeats a request, as the client does, until it is granted (bounded).
bool GrantedWithin(Station& s, const std::string& message, int ms = 3000) {
    auto until = Clock::now() + milliseconds(ms);
    while (Clock::now() < until) {
        if (s.Request(message).starts_with("OK")) return true;
        std::this_thread::sleep_for(milliseconds(2));
    }
    return false;
}

// True once the server's log holds `text` (it writes just after replying).
bool LogShows(const ServerProcess& server, const std::string& text) {
    auto until = Clock::now() + milliseconds(3000);
    while (server.Log().find(text) == std::string::npos) {
        if (Clock::now() >= until) return false;
        std::this_thread::sleep_for(milliseconds(10));
    }
    return true;
}

#define REQUIRE_SERVER(server, ...)                                              \
    if (!std::getenv("KJ_BUILD_DIR")) GTEST_SKIP() << "KJ_BUILD_DIR is not set"; \
    ASSERT_TRUE(std::filesystem::exists(ServerProcess::Binary()));               \
    ASSERT_TRUE(server.Start(__VA_ARGS__)) << server.Log()

TEST(LockServerProcess, GrantsRefusesReleasesAndStopsCleanly) {
    ServerProcess server;
    // User names from a program directory whose table is spelled in another case.
    TestDir prog;
    std::string names(100 * 25, ' ');
    for (int n = 0; n < 100; ++n) names[static_cast<std::size_t>(n * 25)] = 24;
    std::string novak = "Novák"_cz;
    names[1 * 25] = static_cast<char>(novak.size());
    names.replace(1 * 25 + 1, novak.size(), novak);
    std::ofstream(prog.path() / "jmena.TAB", std::ios::binary) << names;
    REQUIRE_SERVER(server, {"--names", prog.str()});

    Station a(server.port()), b(server.port());
    ASSERT_TRUE(a.ok() && b.ok());
    EXPECT_EQ(a.Request(LockW("01  ")), "OK");
    EXPECT_EQ(b.Request(LockR("02  ")), "Soubor "_cz + kAuta + " W užívá 01   Novák"_cz);
    EXPECT_EQ(b.Request(IfFree("02  ")), "W 01   NOVÁK"_cz);
    EXPECT_EQ(a.Request(LockR("01  ")),
              "Přístup k souboru "_cz + kAuta + " W je blokován 01   Novák"_cz);
    EXPECT_EQ(b.Request(kKeepAlive), "OK");
    EXPECT_EQ(a.Request(Unlock("01  ")), "OK");
    EXPECT_EQ(b.Request(LockR("02  ")), "OK");
    EXPECT_EQ(a.Request(LockR("01  ")), "OK");
    EXPECT_EQ(b.Request(IfFree("02  ")), "R 01   NOVÁK"_cz);
    EXPECT_EQ(b.Request("nesmysl"), "CHYBA požadavku: neznámý příkaz"_cz);
    EXPECT_EQ(b.Request(IfFree("03  ")), "R 02  ");  // first holder, whose name is blank

    EXPECT_EQ(server.Stop(), 0);     // SIGTERM: exit code 0
    std::string log = server.Log();  // UTF-8 for the administrator
    EXPECT_NE(log.find("stanice 01: zámek W C:\\VELTOR\\DATA\\KJ_AUTA.DTA přidělen"),
              std::string::npos);
    EXPECT_NE(log.find("stanice 02: zámek R C:\\VELTOR\\DATA\\KJ_AUTA.DTA odmítnut, soubor drží "
                       "stanice 01   Novák (W), čeká se"),
              std::string::npos);
    EXPECT_NE(log.find("chybný požadavek: neznámý příkaz"), std::string::npos);
    EXPECT_NE(log.find("server zámků ukončen, uvolněno zámků: 2"), std::string::npos);
}

TEST(LockServerProcess, DroppedConnectionReleasesItsLocks) {
    ServerProcess server;
    REQUIRE_SERVER(server);
    Station other(server.port());
    {
        Station a(server.port()), c(server.port());
        EXPECT_EQ(a.Request(LockR("01  ")), "OK");
        EXPECT_EQ(a.Request(LockR("01  ")), "OK");
        EXPECT_EQ(c.Request(LockW("03  ", kCile)), "OK");
        EXPECT_NE(other.Request(LockW("02  ")), "OK");
        EXPECT_NE(other.Request(LockW("02  ", kCile)), "OK");
        a.Close();  // orderly close
        c.Abort();  // reset
    }
    EXPECT_TRUE(GrantedWithin(other, LockW("02  ")));
    EXPECT_TRUE(GrantedWithin(other, LockW("02  ", kCile)));
    std::string log = server.Log();
    EXPECT_NE(log.find("spojení ukončeno, uvolněno zámků: 2"), std::string::npos);
    EXPECT_NE(log.find("spojení ukončeno, uvolněno zámků: 1"), std::string::npos);
}

TEST(LockServerProcess, ServesManyStationsAtOnceAndWaitsForSplitRequests) {
    ServerProcess server;
    REQUIRE_SERVER(server);
    // A station stuck in the middle of a request holds no one up.
    Station slow(server.port());
    const std::string slowMsg = LockR("90  ", kCile);
    ASSERT_TRUE(slow.Send(slowMsg.substr(0, 20)));

    constexpr int kStations = 24;
    std::vector<std::unique_ptr<Station>> st;
    auto no = [](int i) { return (i < 10 ? "0" : "") + std::to_string(i) + "  "; };
    for (int i = 0; i < kStations; ++i) st.push_back(std::make_unique<Station>(server.port()));
    for (int i = 0; i < kStations; ++i) ASSERT_TRUE(st[i]->Send(LockR(no(i))));  // all in flight
    for (int i = 0; i < kStations; ++i) EXPECT_EQ(st[i]->Reply(), "OK") << i;

    Station writer(server.port());
    for (int i = 0; i < kStations; ++i) {
        EXPECT_NE(writer.Request(LockW("99  ")), "OK") << i;
        EXPECT_EQ(st[i]->Request(Unlock(no(i))), "OK");
    }
    EXPECT_EQ(writer.Request(LockW("99  ")), "OK");

    // The slow station's request, sent in pieces over separate segments,
    // gets its one reply only when its last byte is in.
    for (std::size_t i = 20; i + 1 < slowMsg.size(); ++i) {
        ASSERT_TRUE(slow.Send(slowMsg.substr(i, 1)));
        std::this_thread::sleep_for(milliseconds(1));
    }
    EXPECT_EQ(slow.Reply(50), "");
    ASSERT_TRUE(slow.Send(slowMsg.substr(slowMsg.size() - 1)));
    EXPECT_EQ(slow.Reply(), "OK");
    EXPECT_EQ(slow.Reply(50), "");  // exactly one reply
    EXPECT_NE(writer.Request(LockW("99  ", kCile)), "OK");
}

TEST(LockServerProcess, SurvivesRandomAndOversizedMessages) {
    ServerProcess server;
    REQUIRE_SERVER(server, {"--max-message", "256"});
    std::mt19937 rng(7);
    const std::vector<std::string> good = {LockW("01  "),  LockR("02  "), Unlock("02  "),
                                           IfFree("03  "), kKeepAlive,    LockR("04  ", kCile)};
    constexpr int kConns = 6;
    std::vector<std::unique_ptr<Station>> conns;
    for (int i = 0; i < kConns; ++i) conns.push_back(std::make_unique<Station>(server.port()));

    auto until = Clock::now() + milliseconds(4000);
    std::size_t replies = 0;
    for (int round = 0; round < 400 && Clock::now() < until; ++round) {
        Station& s = *conns[rng() % kConns];
        std::string chunk;
        switch (rng() % 5) {
            case 0:
                for (unsigned n = 1 + rng() % 300; n > 0; --n)
                    chunk.push_back(static_cast<char>(rng()));
                break;
            case 1:  // oversized: a directory that never ends, or a flood of bytes
                chunk = rng() % 2 ? "Zamkni<C:\\" + std::string(20000 + rng() % 50000, 'A')
                                  : std::string(100000, static_cast<char>(rng()));
                break;
            case 2: {
                chunk = good[rng() % good.size()];
                chunk[rng() % chunk.size()] = static_cast<char>(rng());
                break;
            }
            case 3:
                chunk = good[rng() % good.size()];
                chunk.resize(rng() % chunk.size());
                break;
            default:
                chunk = good[rng() % good.size()];
                break;
        }
        if (!s.Send(chunk)) continue;
        std::string got;
        s.Drain(&got);
        replies += got.size();
    }
    for (auto& c : conns) replies += c->Reply(300).size();  // answers still on the way
    EXPECT_GT(replies, 0u) << server.Log();
    EXPECT_TRUE(server.Running());

    // Fresh stations are served correctly, and every fuzzing connection's
    // locks go when it closes.
    Station probe(server.port()), second(server.port());
    EXPECT_EQ(probe.Request(kKeepAlive), "OK");
    conns.clear();
    EXPECT_TRUE(GrantedWithin(probe, LockW("07  ")));
    EXPECT_TRUE(GrantedWithin(probe, LockW("07  ", kCile)));
    EXPECT_EQ(second.Request(LockR("08  ")), "Soubor "_cz + kAuta + " W užívá 07  "_cz);
    Station third(server.port());
    EXPECT_EQ(third.Request("Zamkni<" + std::string(300, 'X')).substr(0, 5), "CHYBA");
    EXPECT_EQ(probe.Request(Unlock("07  ")), "OK");
    EXPECT_EQ(second.Request(LockR("08  ")), "OK");
    EXPECT_EQ(server.Stop(), 0);
}

// Half requests that never end, a full server and one connection taking
// lock after lock: the other stations always get an answer and a lock.
TEST(LockServerProcess, AbusiveConnectionsCannotShutStationsOut) {
    ServerProcess server;
    REQUIRE_SERVER(server, {"--max-clients", "3", "--request-timeout-ms", "600", "--max-locks",
                            "10", "--max-locks-per-client", "5"});
    std::vector<std::unique_ptr<Station>> half;
    for (int i = 0; i < 3; ++i) {
        half.push_back(std::make_unique<Station>(server.port()));
        ASSERT_TRUE(half.back()->Send(LockR("0" + std::to_string(i) + "  ").substr(0, 12)));
    }
    std::this_thread::sleep_for(milliseconds(100));  // all three taken in

    // Full: a station is told so at once and the connection closed.
    auto connected = Clock::now();
    Station refused(server.port());
    EXPECT_EQ(refused.Reply(1000),
              "Server zámků je plně obsazen (3 spojení), zkuste to později"_cz);
    EXPECT_LT(Clock::now() - connected, milliseconds(500));
    EXPECT_EQ(refused.Reply(1000), "");
    EXPECT_FALSE(refused.Drain());
    EXPECT_TRUE(LogShows(server, "spojení odmítnuto, server má všech 3 spojení")) << server.Log();

    // The half requests are given up after 600 ms, their connections closed.
    for (auto& h : half) {
        EXPECT_EQ(h->Reply(3000), "CHYBA požadavku: nedokončen do 600 ms"_cz);
        EXPECT_EQ(h->Reply(1000), "");
        EXPECT_FALSE(h->Drain());
    }
    EXPECT_TRUE(LogShows(server, "požadavek nedokončen do 600 ms, spojení se ukončuje"))
        << server.Log();

    // One connection gets 5 of the 10 locks; the next station still gets its own.
    Station greedy(server.port()), other(server.port());
    int granted = 0;
    std::string last;
    for (int i = 0; i < 10; ++i) {
        last = greedy.Request(LockR("07  ", "SOUBOR" + std::to_string(i) + ".DTA "));
        granted += last == "OK";
    }
    EXPECT_EQ(granted, 5);
    EXPECT_EQ(last, "Stanice drží příliš mnoho zámků (5)"_cz);
    EXPECT_EQ(other.Request(LockW("08  ")), "OK");
    EXPECT_EQ(server.Stop(), 0);
}

// The systemd unit as shipped: the address its command line listens on,
// given to the built server, is the loopback address and nothing wider.
TEST(LockServerProcess, ShippedUnitListensOnLoopbackOnly) {
    if (!std::getenv("KJ_BUILD_DIR")) GTEST_SKIP() << "KJ_BUILD_DIR is not set";
    const std::string unit = ReadFile(std::filesystem::path(__FILE__).parent_path() / ".." / ".." /
                                      "tools" / "kj-lockserver.service");
    const std::size_t exec = unit.find("\nExecStart=");
    const std::size_t listen = unit.find("--listen ", exec);
    ASSERT_NE(listen, std::string::npos) << unit;
    std::string address =
        unit.substr(listen + 9, unit.find_first_of(" \\\n", listen + 9) - listen - 9);
    ServerProcess server;
    ASSERT_TRUE(server.Start({"--listen", address})) << server.Log();
    EXPECT_NE(server.Log().find("naslouchá na 127.0.0.1:"), std::string::npos) << server.Log();
    EXPECT_EQ(server.Stop(), 0);
}

TEST(LockServerProcess, RejectsBadOptions) {
    if (!std::getenv("KJ_BUILD_DIR")) GTEST_SKIP() << "KJ_BUILD_DIR is not set";
    for (std::vector<std::string> args : {std::vector<std::string>{"--port", "abc"},
                                          {"--port", "70000"},
                                          {"--max-message", "10"},
                                          {"--bogus", "1"},
                                          {"--port"}}) {
        ServerProcess server;
        ASSERT_GT(server.Spawn(args, true), 0);
        int status = server.Wait();
        ASSERT_TRUE(WIFEXITED(status)) << args[0];
        EXPECT_EQ(WEXITSTATUS(status), 2) << args[0];
    }
}

}  // namespace
}  // namespace kj
