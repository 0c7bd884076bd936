// Stations (kj_station) on the lock server (kj_lockserver) when the way
// between them is not kind: the server killed and started again in the
// middle of a session, and a network that hands every reply over one byte
// at a time. Needs KJ_BUILD_DIR (set by ctest).

#include "kj_test.h"

#include <memory>

#include "loopback.h"
#include "station_procs.h"

namespace kj {
namespace {

using namespace procs;

// A proxy on 127.0.0.1 in front of the lock server: requests pass as they
// come, every reply goes back one byte per segment, `gapMs` apart. One
// thread accepts, two more carry each connection's two directions.
class SplittingProxy {
public:
    SplittingProxy(int upstreamPort, int gapMs) {
        listener_ = ListenLoopback(&port_);
        acceptor_ = std::thread([this, upstreamPort, gapMs] {
            for (int client; (client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
                const int server = ConnectLoopback(upstreamPort), one = 1;
                ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                fds_.insert(fds_.end(), {client, server});
                pipes_.emplace_back(Pass, client, server, 0);
                pipes_.emplace_back(Pass, server, client, gapMs);
            }
        });
    }
    ~SplittingProxy() {
        ::shutdown(listener_, SHUT_RDWR);  // ends the accept
        acceptor_.join();
        for (int fd : fds_) ::shutdown(fd, SHUT_RDWR);
        for (std::thread& t : pipes_) t.join();
        for (int fd : fds_) ::close(fd);
        ::close(listener_);
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    static void Pass(int from, int to, int gapMs) {
        char buf[4096];
        for (ssize_t n; (n = ::recv(from, buf, sizeof buf, 0)) > 0;) {
            const ssize_t step = gapMs > 0 ? 1 : n;
            for (ssize_t at = 0; at < n; at += step) {
                (void)::send(to, buf + at, static_cast<std::size_t>(step), MSG_NOSIGNAL);
                std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
            }
        }
        ::shutdown(to, SHUT_WR);
    }

    int listener_ = -1;
    int port_ = 0;
    std::thread acceptor_;
    std::vector<int> fds_;            // the acceptor's until it is joined
    std::vector<std::thread> pipes_;  // likewise
};

std::unique_ptr<Proc> StartStation(const Installation& inst, int n) {
    auto p = std::make_unique<Proc>();
    EXPECT_TRUE(inst.StartStation(*p, n, {"--note-ms", "10", "--max-messages", "1000"}))
        << p->output();
    return p;
}

// A file name as the locks pad it, to 12 characters.
std::string Name12(std::string name) {
    name.resize(12, ' ');
    return name;
}

// The server dies and comes back on its port: each station takes its locks
// again on its next request; one that another station took in between is
// reported, the rest are back.
TEST(LockReconnect, LocksAreTakenAgainAfterTheServerRestarted) {
    KJ_REQUIRE_PROGRAMS("kj_station", "kj_lockserver");
    Installation inst(2);
    LockServerProc server(inst.root());
    ASSERT_TRUE(server.Start(inst.Prog().string())) << server.Log() << server.proc().output();
    const int port = server.port();
    inst.SetServer(server.address());
    auto one = StartStation(inst, 1), two = StartStation(inst, 2);
    ASSERT_TRUE(one->Ask("lock A.DTA W", "LOCKED A.DTA")) << one->output();
    ASSERT_TRUE(one->Ask("lock B.DTA R", "LOCKED B.DTA")) << one->output();
    ASSERT_TRUE(one->Ask("lock B.DTA R", "LOCKED B.DTA")) << one->output();
    ASSERT_TRUE(one->Ask("unlock B.DTA", "UNLOCKED B.DTA")) << one->output();

    server.proc().Kill();
    ASSERT_TRUE(server.Start(inst.Prog().string(), port)) << server.Log();
    // The keep-alive finds the connection dead and makes a new one.
    ASSERT_TRUE(one->Ask("keepalive", "ALIVE OK")) << one->output();
    EXPECT_NE(one->output().find("BEEP Err 104"), std::string::npos) << one->output();
    ASSERT_TRUE(two->Ask("free A.DTA", "HELD W 01   JAN NOVÁK")) << two->output();
    ASSERT_TRUE(two->Ask("lock B.DTA W",
                    "NOTE Soubor je stále obsazený Soubor " + Name12("B.DTA") +
                        " R užívá 01   Jan Novák"))
        << two->output();
    ASSERT_TRUE(one->Ask("unlock B.DTA", "UNLOCKED B.DTA")) << one->output();
    ASSERT_TRUE(two->WaitFor("LOCKED B.DTA")) << two->output();
    ASSERT_TRUE(two->Ask("unlock B.DTA", "UNLOCKED B.DTA")) << two->output();

    // Again, but station 2 is quicker to the file station 1 held.
    server.proc().Kill();
    ASSERT_TRUE(server.Start(inst.Prog().string(), port)) << server.Log();
    ASSERT_TRUE(one->Ask("lock C.DTA R", "LOCKED C.DTA")) << one->output();  // takes A again first
    server.proc().Kill();
    ASSERT_TRUE(server.Start(inst.Prog().string(), port)) << server.Log();
    ASSERT_TRUE(two->Ask("lock A.DTA W", "LOCKED A.DTA")) << two->output();
    ASSERT_TRUE(one->Ask("keepalive", "ALIVE OK")) << one->output();
    EXPECT_NE(one->output().find("BEEP Po novém spojení se serverem VELTOR se nepodařilo znovu "
                                 "zamknout soubor C:\\DATA\\A.DTA (W): Soubor " +
                                 Name12("A.DTA") + " W užívá 02   Eva Malá\n"),
              std::string::npos)
        << one->output();
    // What could be had back is held: station 1's read lock of C.
    ASSERT_TRUE(two->Ask("free C.DTA", "HELD R 01   JAN NOVÁK")) << two->output();
    ASSERT_TRUE(one->Ask("free A.DTA", "HELD W 02   EVA MALÁ")) << one->output();
    for (auto* p : {one.get(), two.get()}) EXPECT_EQ(p->Quit(), 0) << p->output();
}

// Every reply reaches the stations one byte per segment: each is read whole,
// so no request is sent twice and no lock is granted twice.
TEST(LockReconnect, RepliesSplitByteByByteAreReadWhole) {
    KJ_REQUIRE_PROGRAMS("kj_station", "kj_lockserver");
    Installation inst(2);
    LockServerProc server(inst.root());
    ASSERT_TRUE(server.Start(inst.Prog().string())) << server.Log() << server.proc().output();
    SplittingProxy proxy(server.port(), 3);
    inst.SetServer(proxy.address());
    auto one = StartStation(inst, 1), two = StartStation(inst, 2);
    constexpr int kLocks = 5;
    for (int i = 0; i < kLocks; ++i)
        ASSERT_TRUE(one->Ask("lock X.DTA R", "LOCKED X.DTA")) << one->output();
    // A refusal arrives whole, and so does the holder's name.
    ASSERT_TRUE(two->Ask("free X.DTA", "HELD R 01   JAN NOVÁK\n")) << two->output();
    for (int i = 0; i < kLocks; ++i)
        ASSERT_TRUE(one->Ask("unlock X.DTA", "UNLOCKED X.DTA")) << one->output();
    ASSERT_TRUE(two->Ask("free X.DTA", "FREE")) << two->output();
    ASSERT_TRUE(two->Ask("lock X.DTA W", "LOCKED X.DTA")) << two->output();
    // Each lock granted once.
    const std::string log = server.Log();
    const std::string grant = "stanice 01: zámek R C:\\DATA\\X.DTA přidělen";
    int grants = 0;
    for (std::size_t at = 0; (at = log.find(grant, at)) != std::string::npos; at += grant.size())
        ++grants;
    EXPECT_EQ(grants, kLocks) << log;
    for (auto* p : {one.get(), two.get()}) {
        EXPECT_EQ(p->output().find("BEEP"), std::string::npos) << p->output();
        EXPECT_EQ(p->Quit(), 0) << p->output();
    }
}

}  // namespace
}  // namespace kj
