// The lock server program itself, run as a child process on 127.0.0.1 with a
// port of its own choosing, spoken to over TCP. Needs KJ_BUILD_DIR (set by
// ctest) to find the program; skipped without it.

#include "kj_test.h"

#include <cerrno>
#include <memory>
#include <random>

#include "loopback.h"
#include "station_procs.h"

namespace kj {
namespace {

using namespace procs;

using namespace lockmsg;

// One station's connection.
class Station {
public:
    explicit Station(int port) : fd_(ConnectLoopback(port)) {}
    ~Station() { Close(); }
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

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
        return got.substr(0, got.size() - 2);
    }

    std::string Request(std::string_view message) {
        return Send(message) ? Reply() : "<send failed>";
    }

    // Reads what is there without waiting; false once the server closed.
    bool Drain(std::string* got = nullptr) {
        char buf[4096];
        for (int i = 0; i < 1000; ++i) {
            ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
            if (n <= 0) return !(n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK));
            if (got) got->append(buf, static_cast<std::size_t>(n));
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
    for (auto until = Clock::now() + milliseconds(ms); Clock::now() < until;) {
        if (s.Request(message).starts_with("OK")) return true;
        std::this_thread::sleep_for(milliseconds(2));
    }
    return false;
}

// True once the server's log holds `text` (it writes just after replying).
bool LogShows(const LockServerProc& server, const std::string& text) {
    for (auto until = Clock::now() + milliseconds(3000); Clock::now() < until;) {
        if (server.Log().find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(milliseconds(10));
    }
    return false;
}

// The server on a scratch directory, started with `options`.
struct Server {
    explicit Server(std::vector<std::string> options = {}, const std::string& names = "") {
        ok = proc.Start(names, 0, std::move(options));
    }
    TestDir dir;
    LockServerProc proc{dir.path()};
    bool ok = false;
    int port() const { return proc.port(); }
};

#define START_SERVER(server, ...)         \
    KJ_REQUIRE_PROGRAMS("kj_lockserver"); \
    Server server{__VA_ARGS__};           \
    ASSERT_TRUE(server.ok) << server.proc.Log()

TEST(LockServerProcess, GrantsRefusesReleasesAndStopsCleanly) {
    // User names from a program directory whose table is spelled in another case.
    Installation inst(0);
    fs::rename(inst.Prog() / "JMENA.tab", inst.Prog() / "jmena.TAB");
    START_SERVER(server, {}, inst.Prog().string());
    Station a(server.port()), b(server.port());
    const std::string novak = "01   Jan Novák"_cz;
    EXPECT_EQ(a.Request(LockW("01  ")), "OK");
    EXPECT_EQ(b.Request(LockR("02  ")), "Soubor "_cz + kAuta + " W užívá "_cz + novak);
    EXPECT_EQ(b.Request(IfFree("02  ")), "W 01   JAN NOVÁK"_cz);
    EXPECT_EQ(a.Request(Unlock("01  ")), "OK");
    EXPECT_EQ(b.Request(LockR("02  ")), "OK");
    EXPECT_EQ(a.Request(LockR("01  ")), "OK");
    EXPECT_EQ(b.Request(IfFree("02  ")), "R 01   JAN NOVÁK"_cz);
    EXPECT_EQ(b.Request("nesmysl"), "CHYBA požadavku: neznámý příkaz"_cz);
    EXPECT_EQ(b.Request(IfFree("03  ")), "R 02   EVA MALÁ"_cz);  // the first holder

    EXPECT_EQ(server.proc.Stop(), 0);  // SIGTERM: exit code 0
    const std::string log = server.proc.Log();  // UTF-8 for the administrator
    for (const char* line :
         {"stanice 01: zámek W C:\\VELTOR\\DATA\\KJ_AUTA.DTA přidělen",
          "stanice 02: zámek R C:\\VELTOR\\DATA\\KJ_AUTA.DTA odmítnut, soubor drží stanice 01   "
          "Jan Novák (W), čeká se",
          "chybný požadavek: neznámý příkaz", "server zámků ukončen, uvolněno zámků: 2"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

TEST(LockServerProcess, DroppedConnectionReleasesItsLocks) {
    START_SERVER(server);
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
    EXPECT_TRUE(LogShows(server.proc, "spojení ukončeno, uvolněno zámků: 2"));
    EXPECT_TRUE(LogShows(server.proc, "spojení ukončeno, uvolněno zámků: 1"));
}

TEST(LockServerProcess, ServesManyStationsAtOnceAndWaitsForSplitRequests) {
    START_SERVER(server);
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

    // The slow station's request gets its one reply when its last byte is in.
    EXPECT_EQ(slow.Reply(50), "");
    ASSERT_TRUE(slow.Send(slowMsg.substr(20)));
    EXPECT_EQ(slow.Reply(), "OK");
    EXPECT_EQ(slow.Reply(50), "");  // exactly one reply
    EXPECT_NE(writer.Request(LockW("99  ", kCile)), "OK");
}

TEST(LockServerProcess, SurvivesRandomAndOversizedMessages) {
    START_SERVER(server, {"--max-message", "256"});
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
        // A good request, random bytes, or oversized: a directory that never
        // ends or a flood (broken and cut requests are the core fuzz test's).
        std::string chunk = good[rng() % good.size()];
        if (rng() % 3 == 0) {
            chunk = rng() % 2 ? "Zamkni<C:\\" + std::string(20000 + rng() % 50000, 'A')
                              : std::string(100000, static_cast<char>(rng()));
        } else if (rng() % 2 == 0) {
            chunk.clear();
            for (unsigned n = 1 + rng() % 300; n > 0; --n) chunk.push_back(static_cast<char>(rng()));
        }
        if (!s.Send(chunk)) continue;
        std::string got;
        s.Drain(&got);
        replies += got.size();
    }
    for (auto& c : conns) replies += c->Reply(300).size();  // answers still on the way
    EXPECT_GT(replies, 0u) << server.proc.Log();
    EXPECT_TRUE(server.proc.proc().Running());

    // Fresh stations are served correctly, and every fuzzing connection's
    // locks go when it closes.
    Station probe(server.port()), second(server.port());
    EXPECT_EQ(probe.Request(kKeepAlive), "OK");
    conns.clear();
    EXPECT_TRUE(GrantedWithin(probe, LockW("07  ")));
    EXPECT_TRUE(GrantedWithin(probe, LockW("07  ", kCile)));
    EXPECT_EQ(second.Request(LockR("08  ")), "Soubor "_cz + kAuta + " W užívá 07  "_cz);
    EXPECT_EQ(probe.Request(Unlock("07  ")), "OK");
    EXPECT_EQ(second.Request(LockR("08  ")), "OK");
    EXPECT_EQ(server.proc.Stop(), 0);
}

// Half requests that never end, a full server and one connection taking
// lock after lock: the other stations always get an answer and a lock.
TEST(LockServerProcess, AbusiveConnectionsCannotShutStationsOut) {
    START_SERVER(server, {"--max-clients", "3", "--request-timeout-ms", "600", "--max-locks", "10",
                          "--max-locks-per-client", "5"});
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
    EXPECT_TRUE(LogShows(server.proc, "spojení odmítnuto, server má všech 3 spojení"));

    // The half requests are given up after 600 ms, their connections closed.
    for (auto& h : half) {
        EXPECT_EQ(h->Reply(3000), "CHYBA požadavku: nedokončen do 600 ms"_cz);
        EXPECT_EQ(h->Reply(1000), "");
        EXPECT_FALSE(h->Drain());
    }
    EXPECT_TRUE(LogShows(server.proc, "požadavek nedokončen do 600 ms, spojení se ukončuje"));

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
    EXPECT_EQ(server.proc.Stop(), 0);
}

// The systemd unit as shipped: the address its command line listens on,
// given to the built server, is the loopback address and nothing wider.
TEST(LockServerProcess, ShippedUnitListensOnLoopbackOnly) {
    KJ_REQUIRE_PROGRAMS("kj_lockserver");
    const std::string unit = ReadText(fs::path(__FILE__).parent_path() / ".." / ".." / "tools" /
                                      "kj-lockserver.service");
    const std::size_t listen = unit.find("--listen ", unit.find("\nExecStart="));
    ASSERT_NE(listen, std::string::npos) << unit;
    const std::size_t from = listen + 9;
    Server server({"--listen", unit.substr(from, unit.find_first_of(" \\\n", from) - from)});
    ASSERT_TRUE(server.ok) << server.proc.Log();
    EXPECT_NE(server.proc.Log().find("naslouchá na 127.0.0.1:"), std::string::npos);
    EXPECT_EQ(server.proc.Stop(), 0);
}

TEST(LockServerProcess, RejectsBadOptions) {
    KJ_REQUIRE_PROGRAMS("kj_lockserver");
    for (std::vector<std::string> args : {std::vector<std::string>{"--port", "abc"},
                                          {"--port", "70000"},
                                          {"--max-message", "10"},
                                          {"--bogus", "1"},
                                          {"--port"}}) {
        args.insert(args.begin(), Program("kj_lockserver"));
        EXPECT_EQ(RunProgram(args).code, 2) << args[1];
    }
}

}  // namespace
}  // namespace kj
