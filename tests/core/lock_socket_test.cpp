// The TCP link to the lock server against a lock server of the test's own on
// 127.0.0.1: exact wire bytes, the bounded wait for a reply, dead
// connections, connecting at start-up and the keep-alive.

#include "kj_test.h"

#include <thread>

#include "loopback.h"
#include "services/lock_client.h"
#include "services/lock_socket.h"
#include "services/locks.h"

namespace kj {
namespace {

using FakeServer = FakeLockServer;

// Station 03 working in C:\WORK\, locking through `address`.
struct Station : rectest::TempStation {
    explicit Station(const std::string& address, TcpLockServerLink::Options o = Fast()) : link(c, o) {
        c.set.stationIndex = 3;
        c.set.lockServer = address;
    }
    static TcpLockServerLink::Options Fast() {
        TcpLockServerLink::Options o;
        o.connectWaitMs = 2000, o.replyWaitMs = 2000, o.replyQuietMs = 40, o.noteMs = 0;
        return o;
    }
    TcpLockServerLink link;
};

const std::string kWaitNote = "Server VELTOR neodpovídá, čekám na odpověď"_cz;
const std::string kUnreachableNote = "Server VELTOR není dostupný, zkouším se připojit znovu"_cz;

TEST(LockSocket, SendsExactlyTheWireBytesAndTakesTheReplies) {
    int busyRefusals = 0;
    FakeServer server([&](int, const LockServerRequest& r) {
        Action a;
        if (r.command == LockCommand::KeepAlive) a.reply = "OK vata";
        if (r.command == LockCommand::IfFree) a.reply = r.name == "KJCILE.DTA  " ? "OK" : "W 01   NOVÁK"_cz;
        if (r.command == LockCommand::Lock && r.name == "BUSY.DTA    " && busyRefusals < 52) {
            ++busyRefusals;
            a.reply = "obsazeno";
        }
        return a;
    });
    Station s(server.address());
    ASSERT_EQ(ConnectLockServer(s.c, s.link), 0);
    EXPECT_EQ(s.c.lock.server, &s.link);
    EXPECT_TRUE(s.link.keepAliveRunning());

    std::string expected;
    auto sent = [&](const std::string& m) { expected += m; };
    // A read lock of station 03 on a file whose name has 11 characters.
    EXPECT_TRUE(Zamkni(s.c, "c:\\data\\kj_auta.dta", ""));
    sent("Zamkni<C:\\DATA\\>KJ_AUTA.DTA #$03  ");
    // A write lock; Czech letters upper-cased as UpperCz does it ("ť" stays),
    // Windows-1250 on the wire.
    EXPECT_TRUE(Zamkni(s.c, "C:\\Data\\Žluťoučký\\kniha.dta"_cz, "W"));
    sent("Zamkni<C:\\DATA\\ŽLUťOUČKÝ\\>KNIHA.DTA   #W$03  "_cz);
    Odemkni(s.c, "C:\\DATA\\KJ_AUTA.DTA");
    sent("Odemkni<C:\\DATA\\>KJ_AUTA.DTA #p$03  ");
    EXPECT_EQ(IfVolny(s.c, "C:\\DATA\\KJ_AUTA.DTA"), "W 01   NOVÁK"_cz);
    sent("IfVolny<C:\\DATA\\>KJ_AUTA.DTA #p$03  ");
    EXPECT_EQ(IfVolny(s.c, "C:\\DATA\\KJCILE.DTA"), "");
    sent("IfVolny<C:\\DATA\\>KJCILE.DTA  #p$03  ");
    s.link.KeepAliveTick();
    sent("Client<Vata>#$");
    EXPECT_EQ(s.c.lock.lastReply, "OK vata");

    // Refused: asked again at once, with a note after 51 refusals in a row.
    EXPECT_TRUE(Zamkni(s.c, "C:\\DATA\\BUSY.DTA", "W"));
    for (int i = 0; i < 53; ++i) sent("Zamkni<C:\\DATA\\>BUSY.DTA    #W$03  ");
    EXPECT_EQ(s.ui.Texts("note"), std::vector<std::string>{"Soubor je stále obsazený obsazeno"_cz});
    EXPECT_EQ(s.ui.shown.back().ms, 2000);

    // A second activation keeps the connection.
    EXPECT_EQ(ConnectLockServer(s.c, s.link), 0);
    s.link.KeepAliveTick();
    sent("Client<Vata>#$");
    EXPECT_EQ(server.Raw(1), expected);  // no terminator, no length, nothing else
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(s.ui.Count("beep"), 0);
}

TEST(LockSocket, AnExpiredWaitTellsTheUserAndWaitsAgainWithoutSendingTwice) {
    int served = 0;
    FakeServer server([&](int, const LockServerRequest&) {
        ++served;
        return served == 1 ? Action{"OK 1", 180} : Action{"OK " + std::to_string(served)};
    });
    TcpLockServerLink::Options o = Station::Fast();
    o.replyWaitMs = 50;
    Station s(server.address(), o);
    std::vector<bool> timer;
    s.link.onKeepAliveTimer = [&](bool running) { timer.push_back(running); };
    ASSERT_EQ(ConnectLockServer(s.c, s.link), 0);
    EXPECT_EQ(timer, std::vector<bool>{true});
    std::vector<bool> runningDuringNotes;
    s.ui.onNote = [&](const ScriptedDialogs::Shown&) {
        runningDuringNotes.push_back(s.link.keepAliveRunning());
    };

    EXPECT_EQ(LockRequest(s.c, "IfVolny", "C:\\DATA\\", "KJ_AUTA.DTA ", "p", "03  "), "OK 1");
    const int notes = s.ui.Count("note");
    EXPECT_GE(notes, 1);
    EXPECT_LE(notes, 4);
    for (const auto& t : s.ui.Texts("note")) EXPECT_EQ(t, kWaitNote);
    // The keep-alive timer is stopped for the request, also while the notes
    // run, and started again after the reply.
    EXPECT_EQ(runningDuringNotes, std::vector<bool>(static_cast<std::size_t>(notes), false));
    EXPECT_EQ(timer, (std::vector<bool>{true, false, true}));
    EXPECT_TRUE(s.link.keepAliveRunning());

    // Sent once; the next reply belongs to the next request.
    EXPECT_EQ(LockRequest(s.c, "IfVolny", "C:\\DATA\\", "KJ_AUTA.DTA ", "p", "03  "), "OK 2");
    EXPECT_EQ(s.c.lock.lastReply, "OK 2");
    EXPECT_EQ(server.Requests(1), 2);
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(s.ui.Count("beep"), 0);

    // Closed: the timer stops for good, and the station no longer asks.
    s.link.Close();
    EXPECT_FALSE(s.link.keepAliveRunning());
    EXPECT_EQ(s.c.lock.server, nullptr);
    s.link.KeepAliveTick();
    EXPECT_EQ(server.Requests(1), 2);
}

TEST(LockSocket, ADeadConnectionIsReportedAndTheRequestGoesOnANewOne) {
    FakeServer server([&](int conn, const LockServerRequest& r) {
        Action a;
        a.reply = "OK " + std::to_string(conn);
        if (conn == 1) a.silent = true;                                      // hangs
        if (conn == 2 && r.command == LockCommand::Unlock) a.close = true;  // drops
        if (conn == 3 && r.command == LockCommand::IfFree) a.close = true;
        return a;
    });
    TcpLockServerLink::Options o = Station::Fast();
    o.replyWaitMs = 150;  // long enough for every prompt reply even on a busy machine
    Station s(server.address(), o);
    ASSERT_EQ(ConnectLockServer(s.c, s.link), 0);

    // The user gives up waiting at the second note: the connection is
    // dropped ("Err 110") and the request sent once on a new one.
    s.ui.notes = {NoteResult::Expired, NoteResult::StopWaiting};
    EXPECT_TRUE(Zamkni(s.c, "C:\\DATA\\KJ_AUTA.DTA", "W"));
    EXPECT_EQ(s.ui.Texts("note"), (std::vector<std::string>{kWaitNote, kWaitNote}));
    EXPECT_EQ(s.ui.Texts("beep"), std::vector<std::string>{"Err 110"});
    EXPECT_EQ(s.c.lock.lastReply, "OK 2");
    EXPECT_EQ(server.Requests(1), 1);
    EXPECT_EQ(server.Requests(2), 1);

    // The server closes the connection instead of replying: "Err 104". On
    // the new connection the lock taken on the last one is taken again first.
    Odemkni(s.c, "C:\\DATA\\KJ_AUTA.DTA");
    EXPECT_EQ(s.ui.Texts("beep"), (std::vector<std::string>{"Err 110", "Err 104"}));
    EXPECT_EQ(s.c.lock.lastReply, "OK 3");
    EXPECT_EQ(server.Raw(3),
              "Zamkni<C:\\DATA\\>KJ_AUTA.DTA #W$03  Odemkni<C:\\DATA\\>KJ_AUTA.DTA #p$03  ");
    EXPECT_EQ(s.link.heldLocks(), 0u);
    EXPECT_TRUE(s.link.keepAliveRunning());

    // The server is gone: reported once, then every attempt ends with a
    // note and a reply that never passes for "OK" or "free".
    ASSERT_TRUE(server.StopListening());
    s.ui.shown.clear();
    std::string held = IfVolny(s.c, "C:\\DATA\\KJ_AUTA.DTA");
    EXPECT_EQ(held, "Err 111");
    EXPECT_EQ(IfVolny(s.c, "C:\\DATA\\KJ_AUTA.DTA"), "Err 111");
    EXPECT_EQ(s.ui.Texts("beep"), std::vector<std::string>{"Err 104"});
    EXPECT_EQ(s.ui.Texts("note"), (std::vector<std::string>{kUnreachableNote, kUnreachableNote}));
    EXPECT_FALSE(s.link.connected());
    EXPECT_EQ(server.connections(), 3);
}

// A reply ends at its line end, however long the pause inside it; a server
// that does not end its replies has them ended by a pause.
TEST(LockSocket, RepliesEndAtTheirLineEnd) {
    FakeServer server([&](int, const LockServerRequest& r) {
        Action a;
        if (r.command == LockCommand::KeepAlive) a.reply = "OK\r\n";
        if (r.command == LockCommand::Lock)
            a = Action{"Soubor KJ_AUTA.DTA  W užívá 01\r\n"_cz, 0, false, false, 150};
        if (r.command == LockCommand::IfFree) a = Action{"OK", 0, false, false, 150};
        return a;
    });
    TcpLockServerLink::Options o = Station::Fast();
    o.replyWaitMs = 1000;
    Station s(server.address(), o);
    ASSERT_EQ(ConnectLockServer(s.c, s.link), 0);
    // Before the server has ended a reply, a pause ends it: "O" of "OK".
    EXPECT_EQ(LockRequest(s.c, "IfVolny", "C:\\DATA\\", "KJ_AUTA.DTA ", "p", "03  "), "O");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    s.link.KeepAliveTick();
    EXPECT_EQ(s.c.lock.lastReply, "OK");  // the late "K" was dropped as stale
    // Once it has, the rest of a reply is waited for past any pause.
    EXPECT_EQ(LockRequest(s.c, "Zamkni", "C:\\DATA\\", "KJ_AUTA.DTA ", "W", "03  "),
              "Soubor KJ_AUTA.DTA  W užívá 01"_cz);
    EXPECT_EQ(s.ui.shown.size(), 0u);
    EXPECT_EQ(server.Requests(1), 3);
}

TEST(LockSocket, ConnectingAtStartUp) {
    // No address configured: nothing to connect, the register is used.
    {
        Station s("");
        EXPECT_EQ(ConnectLockServer(s.c, s.link), 0);
        EXPECT_EQ(s.c.lock.server, nullptr);
        EXPECT_FALSE(s.link.connected());
        EXPECT_EQ(s.ui.shown.size(), 0u);
    }
    // Nobody listens, or the address is no address: 99 with the message.
    for (const std::string& address :
         {"127.0.0.1:" + std::to_string(ClosedPort()), std::string("127.0.0.1:99999"),
          std::string(":5050")}) {
        Station s(address);
        EXPECT_EQ(ConnectLockServer(s.c, s.link), 99) << address;
        EXPECT_EQ(s.ui.Texts("beep"),
                  std::vector<std::string>{"Server VELTOR není spuštěn, obraťte se na správce sítě."_cz});
        EXPECT_EQ(s.c.lock.server, nullptr);
        EXPECT_FALSE(s.link.keepAliveRunning());
    }
}

TEST(LockSocket, Addresses) {
    const struct {
        const char *text, *parsed;
    } good[] = {{"server1", "server1:5050"},
                {" 10.0.0.7:6000  ", "10.0.0.7:6000"},
                {"[::1]:7000", "::1:7000"},
                {"fe80::1", "fe80::1:5050"}};
    std::string host;
    int port = 0;
    for (const auto& g : good) {
        EXPECT_TRUE(ParseLockServerAddress(g.text, &host, &port)) << g.text;
        EXPECT_EQ(host + ":" + std::to_string(port), g.parsed);
    }
    for (const char* bad : {"", "   ", "host:", "host:0", "host:65536", "host:50x", ":5050", "[::1"})
        EXPECT_FALSE(ParseLockServerAddress(bad, &host, &port)) << bad;
}

}  // namespace
}  // namespace kj
