#include "kj_test.h"

#include <algorithm>

#include "loopback.h"
#include "services/lock_server_core.h"

namespace kj {
namespace {

using namespace lockmsg;

// The replies without their line ends, after checking that every reply had
// one: "OK\r\nOK\r\n" gives "OKOK".
std::string Bare(const std::string& replies) {
    std::string out;
    std::size_t at = 0;
    while (at < replies.size()) {
        std::size_t end = replies.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "a reply without its line end: " << replies;
        if (end == std::string::npos) end = replies.size();
        out += replies.substr(at, end - at);
        at = end + 2;
    }
    return out;
}

// The refusals, as the server words them.
std::string UsedBy(const std::string& mode, const std::string& holder, const std::string& name = kAuta) {
    return "Soubor "_cz + name + " " + mode + " užívá "_cz + holder;
}
std::string Blocked(const std::string& mode, const std::string& holder) {
    return "Přístup k souboru "_cz + kAuta + " " + mode + " je blokován "_cz + holder;
}

// One request on a connection and the reply it must get.
struct Say {
    ConnectionId conn;
    std::string request, reply;
};

class LockServerTest : public ::testing::Test {
  protected:
    LockServer server{LockServer::Options{}, [this](std::string_view l) { log.emplace_back(l); }};
    std::vector<std::string> log;

    void Play(const std::vector<Say>& talk) {
        for (const Say& s : talk)
            EXPECT_EQ(Bare(server.Receive(s.conn, s.request)), s.reply) << s.conn << ": " << s.request;
    }
    // The locks of a file: "R<count>", "W" or "-".
    std::string Held(const std::string& name = kAuta, const std::string& dir = kDir) const {
        const LockServer::FileLocks l = server.LocksOf(dir, name);
        return l.writer ? "W" : l.readers > 0 ? "R" + std::to_string(l.readers) : "-";
    }
    int LogCount(std::string_view cp1250) const {
        int n = 0;
        for (const auto& l : log) n += l.find(cp1250) != std::string::npos;
        return n;
    }
    bool LogHas(std::string_view cp1250) const { return LogCount(cp1250) > 0; }
};

// ---- Reading requests out of the stream ----

TEST(LockServerParse, FixedWidthFieldsMayHoldTheSeparatorsAndCzechLetters) {
    // A hidden share and a file name with "#" and "$": the name and the
    // station are cut by their width, not at the next separator; Czech
    // letters in Windows-1250 pass unchanged.
    for (auto [dir, name] : {std::pair<std::string, std::string>{"\\\\SERVER\\DATA$\\KNIHY#2\\",
                                                                 "A#B$C.DTA   "},
                             {"C:\\ÚČTY\\"_cz, "ŘÍJEN.DTA   "_cz}}) {
        auto p = ParseLockServerRequest(Msg("Zamkni", dir, name, "W", "07  "));
        ASSERT_EQ(p.status, ParseStatus::Complete) << dir;
        EXPECT_EQ(p.request.directory + "|" + p.request.name + "|" + p.request.mode + "|" +
                      p.request.station,
                  dir + "|" + name + "|W|07  ");
    }
}

TEST(LockServerParse, RecognisesMalformedInputEarly) {
    auto bad = [](std::string_view text) {
        return ParseLockServerRequest(text).status == ParseStatus::Malformed;
    };
    EXPECT_TRUE(bad("X"));                                   // no command begins so
    EXPECT_TRUE(bad("Zamknix"));                             // longer than any command
    EXPECT_TRUE(bad("Zamkn<C:\\>"));                         // unknown command
    EXPECT_TRUE(bad("zamkni<C:\\>"));                        // commands are case-sensitive
    EXPECT_TRUE(bad("Zamkni<C:\\\n"));                       // control character in the directory
    EXPECT_TRUE(bad("Zamkni<" + std::string(261, 'A')));     // directory too long, no ">" yet
    EXPECT_TRUE(bad("Zamkni<>KJ_AUTA.DTA #W$03  "));         // no directory
    EXPECT_TRUE(bad("Zamkni<C:\\>            #W$03  "));     // blank name
    EXPECT_TRUE(bad("Zamkni<C:\\>KJ_AUTA.DTA#W$03  x"));     // name of 11 characters
    EXPECT_TRUE(bad("Zamkni<C:\\>KJ_AUTA.\tTA #W$03  "));    // control character in the name
    EXPECT_TRUE(bad("Zamkni<C:\\>KJ_AUTA.DTA #WWWWWWWWW"));  // mode too long, no "$" yet
    EXPECT_TRUE(bad(std::string("Zamkni<C:\\>KJ_AUTA.DTA #W$0\0", 28)));  // control in station
    EXPECT_TRUE(bad("Client<Vata>#" + std::string(9, 'x')));
    // Prefixes of a good request are not malformed.
    EXPECT_FALSE(bad("Zam"));
    EXPECT_FALSE(bad("IfVolny<C:\\DATA"));
    EXPECT_FALSE(bad("Zamkni<C:\\>KJ_AUTA.DTA #W$0"));
}

TEST(LockServerParse, UserNamesTable) {
    std::string table(100 * 25, ' ');
    for (int n = 0; n < 100; ++n) table[static_cast<std::size_t>(n * 25)] = 24;
    std::string novak = "Novák Jan"_cz;
    table[3 * 25] = static_cast<char>(novak.size());
    table.replace(3 * 25 + 1, novak.size(), novak);
    table[4 * 25] = static_cast<char>(200);  // length beyond the capacity is cut to 24
    auto names = ParseUserNames(table);
    ASSERT_EQ(names.size(), 100u);
    EXPECT_EQ(names[3], novak);
    EXPECT_EQ(names[0], std::string(24, ' '));
    EXPECT_EQ(names[4].size(), 24u);
    // A short table: the records it lacks are empty.
    names = ParseUserNames(table.substr(0, 2 * 25 + 10));
    EXPECT_EQ(names[1], std::string(24, ' '));
    EXPECT_EQ(names[2] + names[99], "");
}

// ---- Granting ----

TEST_F(LockServerTest, ReadLocksCoexistAndKeepAWriterWaitingUntilTheLastIsGone) {
    Play({{1, LockR("01  "), "OK"}, {2, LockR("02  "), "OK"}});
    EXPECT_EQ(Held(), "R2");
    Play({{3, LockW("03  "), UsedBy("R", "01  ")}, {1, Unlock("01  "), "OK"},
          {3, LockW("03  "), UsedBy("R", "02  ")}, {2, Unlock("02  "), "OK"},
          {3, LockW("03  "), "OK"}});
    EXPECT_EQ(Held(), "W");
    EXPECT_EQ(server.LockCount(), 1u);
}

TEST_F(LockServerTest, WriteLockKeepsEveryoneOutTheOwnStationIncluded) {
    Play({{1, LockW("01  "), "OK"}, {2, LockR("02  "), UsedBy("W", "01  ")},
          {2, LockW("02  "), UsedBy("W", "01  ")}, {1, LockR("01  "), Blocked("W", "01  ")},
          {1, LockW("01  "), Blocked("W", "01  ")}});
    EXPECT_EQ(server.LockCount(), 1u);
    // The own read lock blocks the own write lock, not more readers.
    Play({{1, Unlock("01  "), "OK"}, {1, LockR("01  "), "OK"}, {1, LockW("01  "), Blocked("R", "01  ")},
          {1, LockR("01  "), "OK"}});
    EXPECT_EQ(Held(), "R2");
}

TEST_F(LockServerTest, ReadLocksAreCountedOneReleasePerLock) {
    for (int i = 0; i < 3; ++i) Play({{1, LockR("01  "), "OK"}});
    EXPECT_EQ(Held(), "R3");
    Play({{1, Unlock("01  "), "OK"}, {1, Unlock("01  "), "OK"}});
    EXPECT_EQ(Held(), "R1");
    EXPECT_NE(Bare(server.Receive(2, LockW("02  "))), "OK");
    // A release with nothing left is granted and changes nothing.
    Play({{1, Unlock("01  "), "OK"}, {2, LockW("02  "), "OK"}, {1, Unlock("01  "), "OK"}});
    EXPECT_EQ(Held(), "W");
    EXPECT_EQ(LogCount("Odemkni "_cz + kDir + "KJ_AUTA.DTA: žádný zámek k uvolnění"_cz), 1);
}

TEST_F(LockServerTest, LockIdentityIsDirectoryAndNameAndOnlyTheHoldersConnectionReleases) {
    Play({{1, LockW("01  "), "OK"}, {2, LockW("02  ", kCile), "OK"},
          {2, LockW("02  ", kAuta, "D:\\JINA\\"), "OK"}, {2, LockW("02  ", "KJ_AUTA.DTB "), "OK"}});
    EXPECT_EQ(server.LockCount(), 4u);
    // Releasing one file leaves the others.
    Play({{2, Unlock("02  ", kCile), "OK"}});
    EXPECT_EQ(Held() + Held(kCile) + Held(kAuta, "D:\\JINA\\"), "W-W");
    // Another station cannot release it, nor another connection with the
    // same number, nor the holder's connection naming a different station.
    Play({{2, Unlock("02  "), "OK"}, {3, Unlock("01  "), "OK"}, {1, Unlock("05  "), "OK"}});
    EXPECT_EQ(Held(), "W");
    Play({{1, Unlock("01  "), "OK"}});
    EXPECT_EQ(Held(), "-");
}

TEST_F(LockServerTest, DisconnectReleasesExactlyThatConnectionsLocks) {
    server.Connect(1, "10.0.0.1:4000");
    server.Connect(2, "10.0.0.2:4000");
    Play({{1, LockR("01  "), "OK"}, {1, LockR("01  "), "OK"}, {1, LockW("01  ", kCile), "OK"},
          {2, LockR("01  "), "OK"},  // the same station on a second connection
          {2, LockR("02  ", "X.DTA       "), "OK"}});
    EXPECT_EQ(server.LockCount(), 5u);
    EXPECT_EQ(server.Disconnect(1), 3u);
    EXPECT_EQ(server.LockCount(), 2u);
    EXPECT_EQ(Held() + Held(kCile), "R1-");
    Play({{3, LockW("03  ", kCile), "OK"}});
    EXPECT_EQ(server.Disconnect(1), 0u);  // already gone
    EXPECT_EQ(server.ConnectionCount(), 2u);
    EXPECT_EQ(LogCount("[10.0.0.1:4000] stanice 01: zámek W "_cz + kDir +
                       "KJCILE.DTA uvolněn, spojení skončilo"_cz),
              1);
    EXPECT_EQ(LogCount("[10.0.0.1:4000] spojení ukončeno, uvolněno zámků: 3"_cz), 1);
    EXPECT_EQ(server.ReleaseAll(), 3u);
    EXPECT_EQ(server.LockCount() + server.ConnectionCount(), 0u);
}

TEST_F(LockServerTest, IfVolnyNamesTheFirstOtherStationAndTakesNothing) {
    Play({{1, IfFree("01  "), "OK"}, {1, LockR("01  "), "OK"},
          {1, IfFree("01  "), "OK"},  // own entries do not count
          {2, IfFree("02  "), "R 01  "}, {2, LockR("02  "), "OK"}, {1, IfFree("01  "), "R 02  "},
          {3, IfFree("03  "), "R 01  "}, {3, kKeepAlive, "OK"}});
    EXPECT_EQ(server.LockCount(), 2u);
}

TEST_F(LockServerTest, StatusListsTheOtherConnectionsAndTheirLocksAndChangesNothing) {
    const std::string status = "Stav<>#$";
    for (std::size_t n = 0; n < status.size(); ++n)
        EXPECT_EQ(ParseLockServerRequest(status.substr(0, n)).status, ParseStatus::Incomplete) << n;
    server.Connect(1, "10.0.0.1:4001");
    server.Connect(2, "10.0.0.2:4002");
    server.Connect(9, "10.0.0.9:4009");  // the asking administrator
    EXPECT_EQ(Bare(server.Receive(2, LockR("02  "))), "OK");
    EXPECT_EQ(Bare(server.Receive(1, LockR("01  "))), "OK");
    EXPECT_EQ(Bare(server.Receive(1, LockW("01  ", kCile))), "OK");
    const std::string before = server.Receive(9, status);
    ASSERT_EQ(before.find("\r\n"), before.size() - 2) << "one line: " << before;
    EXPECT_EQ(Bare(before),
              "OK\t2\t3"
              "\tS\t10.0.0.1:4001\t2\tS\t10.0.0.2:4002\t1"
              "\tZ\t" + kDir + "\t" + kCile + "\tW\t01  \t10.0.0.1:4001"
              "\tZ\t" + kDir + "\t" + kAuta + "\tR\t02  \t10.0.0.2:4002"
              "\tZ\t" + kDir + "\t" + kAuta + "\tR\t01  \t10.0.0.1:4001");
    // Nothing was taken or given back by asking.
    EXPECT_EQ(server.LockCount(), 3u);
    EXPECT_EQ(Bare(server.Receive(2, LockW("02  ", kCile))), "Soubor "_cz + kCile + " W užívá 01  "_cz);
    server.Disconnect(1);
    EXPECT_EQ(Bare(server.Receive(9, status + status)),
              "OK\t1\t1\tS\t10.0.0.2:4002\t1\tZ\t" + kDir + "\t" + kAuta + "\tR\t02  \t10.0.0.2:4002" +
                  "OK\t1\t1\tS\t10.0.0.2:4002\t1\tZ\t" + kDir + "\t" + kAuta + "\tR\t02  \t10.0.0.2:4002");
    EXPECT_TRUE(LogHas("[10.0.0.9:4009] dotaz na stav serveru"_cz));
}

TEST(LockServerNames, HolderCarriesTheUserNameWhenKnown) {
    std::string novak = "Novák Jan"_cz + std::string(15, ' ');
    LockServer server(LockServer::Options{}, {}, [&](int st) {
        return st == 1 ? novak : st == 2 ? std::string(24, ' ') : std::string();
    });
    const std::vector<Say> talk = {
        {1, LockW("01  "), "OK"},
        {2, LockR("02  "), UsedBy("W", "01   "_cz + novak)},
        {1, LockR("01  "), Blocked("W", "01   "_cz + novak)},
        {2, IfFree("02  "), "W 01   NOVÁK JAN"_cz + std::string(15, ' ')},
        {2, LockW("02  ", kCile), "OK"},
        {1, IfFree("01  ", kCile), "W 02  "},  // a blank name gives the station alone
    };
    for (const Say& s : talk) EXPECT_EQ(Bare(server.Receive(s.conn, s.request)), s.reply);
    // A line end inside a name cannot end the reply early.
    novak = "Jan\r\nNovák"_cz;
    EXPECT_EQ(server.Receive(2, IfFree("02  ")), "W 01   JAN??NOVÁK\r\n"_cz);
}

TEST(LockServerLimits, FullTableRefusesUntilAnEntryIsFreed) {
    LockServer server(LockServer::Options{1024, 2});
    EXPECT_EQ(Bare(server.Receive(1, LockR("01  "))), "OK");
    EXPECT_EQ(Bare(server.Receive(1, LockR("01  ", kCile))), "OK");
    EXPECT_EQ(Bare(server.Receive(2, LockR("02  "))), "Tabulka sdílení souborů je plná"_cz);
    EXPECT_EQ(server.LockCount(), 2u);
    EXPECT_EQ(Bare(server.Receive(1, Unlock("01  ", kCile))), "OK");
    EXPECT_EQ(Bare(server.Receive(2, LockR("02  "))), "OK");
}

// ---- The byte stream of one connection ----

TEST_F(LockServerTest, RequestSplitAnywhereGetsExactlyOneReply) {
    const std::string m = LockR("04  ");
    for (std::size_t cut = 1; cut < m.size(); ++cut) {
        ConnectionId id = 100 + cut;
        EXPECT_EQ(Bare(server.Receive(id, m.substr(0, cut))), "") << cut;
        EXPECT_EQ(server.Pending(id), cut);
        EXPECT_EQ(Bare(server.Receive(id, m.substr(cut))), "OK") << cut;
        EXPECT_EQ(server.Pending(id), 0u);
    }
    EXPECT_EQ(server.LocksOf(kDir, kAuta).readers, static_cast<int>(m.size() - 1));
    // Byte by byte.
    std::string replies;
    for (char ch : LockW("05  ", kCile)) replies += Bare(server.Receive(7, std::string(1, ch)));
    EXPECT_EQ(replies, "OK");
    EXPECT_TRUE(server.LocksOf(kDir, kCile).writer);
}

TEST_F(LockServerTest, RequestsArrivingTogetherAreAnsweredInOrder) {
    // Each reply ends with its line end, so the station can tell them apart.
    std::string replies = server.Receive(1, LockW("01  ") + LockR("01  ") + kKeepAlive +
                                                Unlock("01  ") + LockR("01  ").substr(0, 9));
    EXPECT_EQ(replies,
              "OK\r\n"
              "Přístup k souboru "_cz +
                  kAuta + " W je blokován 01  \r\n"_cz + "OK\r\n" + "OK\r\n");
    EXPECT_EQ(server.Pending(1), 9u);
    EXPECT_EQ(Bare(server.Receive(1, LockR("01  ").substr(9))), "OK");
    EXPECT_EQ(server.LocksOf(kDir, kAuta).readers, 1);
}

TEST_F(LockServerTest, MalformedInputGetsAnErrorAndIsDropped) {
    server.Connect(1, "peer");
    std::string reply = Bare(server.Receive(1, "GET / HTTP/1.0\r\n\r\n" + LockW("01  ")));
    EXPECT_EQ(reply, "CHYBA požadavku: neznámý příkaz"_cz);
    EXPECT_EQ(server.LockCount(), 0u);  // the request behind the garbage went with it
    EXPECT_EQ(server.Pending(1), 0u);
    // The connection goes on normally.
    EXPECT_EQ(Bare(server.Receive(1, LockW("01  "))), "OK");
    // A complete request before the garbage is still served.
    reply = Bare(server.Receive(1, Unlock("01  ") + "Zamkni<C:\\>KJ_AUTA.DTA#W$01  "));
    EXPECT_EQ(reply,
              "OK"
              "CHYBA požadavku: jméno souboru nemá 12 znaků"_cz);
    EXPECT_EQ(server.LockCount(), 0u);
    EXPECT_TRUE(LogHas("[peer] chybný požadavek: neznámý příkaz"_cz));
    // The log of one connection's errors is bounded.
    for (int i = 0; i < 50; ++i) EXPECT_NE(Bare(server.Receive(1, "?")).substr(0, 2), "OK");
    EXPECT_EQ(LogCount("chybný požadavek"_cz), 5);
    EXPECT_EQ(LogCount("se nezapisují"_cz), 1);
}

TEST(LockServerLimits, OversizedRequestIsRefusedAndTheBufferStaysBounded) {
    LockServer server(LockServer::Options{64, 100});
    std::string longDir = "C:\\" + std::string(120, 'A') + "\\";
    std::string reply = Bare(server.Receive(1, LockW("01  ", kAuta, longDir)));
    EXPECT_EQ(reply, "CHYBA požadavku: požadavek je delší než 64 bajtů"_cz);
    EXPECT_EQ(server.LockCount(), 0u);
    // Fed in small pieces the buffer never grows past the limit.
    std::string big = "Zamkni<C:\\" + std::string(5000, 'B');
    std::string replies;
    for (std::size_t i = 0; i < big.size(); i += 10) {
        replies += Bare(server.Receive(2, big.substr(i, 10)));
        ASSERT_LE(server.Pending(2), 64u);
    }
    EXPECT_NE(replies.find("delší než 64"_cz), std::string::npos);
    EXPECT_EQ(replies.find("OK"), std::string::npos);
    // A request of exactly the limit still passes.
    std::string dir(64 - LockW("01  ", kAuta, "").size(), 'D');
    ASSERT_EQ(LockW("01  ", kAuta, dir).size(), 64u);
    EXPECT_EQ(Bare(server.Receive(3, LockW("01  ", kAuta, dir))), "OK");
    EXPECT_EQ(Bare(server.Receive(3, LockW("01  ", kAuta, dir + "E"))).substr(0, 5), "CHYBA");
}

// ---- The administrator's log ----

TEST_F(LockServerTest, LogTellsGrantsReleasesAndWaitsOnce) {
    server.Connect(1, "192.168.1.5:50001");
    server.Connect(2, "192.168.1.6:50002");
    Bare(server.Receive(1, LockW("01  ")));
    for (int i = 0; i < 100; ++i) Bare(server.Receive(2, LockR("02  ")));
    Bare(server.Receive(1, Unlock("01  ")));
    Bare(server.Receive(2, LockR("02  ")));
    Bare(server.Receive(2, kKeepAlive));
    Bare(server.Receive(2, IfFree("02  ")));
    EXPECT_TRUE(LogHas("[192.168.1.5:50001] spojení navázáno"_cz));
    EXPECT_TRUE(LogHas(
        "[192.168.1.5:50001] stanice 01: zámek W C:\\VELTOR\\DATA\\KJ_AUTA.DTA přidělen"_cz));
    EXPECT_EQ(LogCount("odmítnut, soubor drží stanice 01 (W), čeká se"_cz), 1);
    EXPECT_TRUE(
        LogHas("[192.168.1.5:50001] stanice 01: zámek W C:\\VELTOR\\DATA\\KJ_AUTA.DTA uvolněn"_cz));
    EXPECT_TRUE(
        LogHas("[192.168.1.6:50002] stanice 02: zámek R C:\\VELTOR\\DATA\\KJ_AUTA.DTA přidělen "
               "(čtecích zámků souboru: 1), předtím odmítnut 100x"_cz));
    EXPECT_EQ(log.size(), 6u);  // keep-alive and IfVolny are not logged
    // A peer text with a line break cannot forge a log line.
    server.Connect(3, "x\ny");
    EXPECT_EQ(log.back(), "[x?y] spojení navázáno"_cz);
}

}  // namespace
}  // namespace kj
