#pragma once
// The lock server without sockets: it cuts requests out of each
// connection's byte stream, keeps the table of granted locks and writes the
// replies and the administrator's log lines. tools/kj_lockserver.cpp puts it
// behind a TCP listener.
//
// A request is one Windows-1250 text with no terminator and no length prefix:
//   command "<" directory ">" name "#" mode "$" station
// The lock commands "Zamkni", "Odemkni" and "IfVolny" carry a name of exactly
// 12 characters and a station of exactly 4, so a request is complete as soon
// as the 4 station characters after the "$" have arrived; the keep-alive
// "Client<...>...#...$" carries no station and is complete at its "$".
// Everything before the "<" must be (a prefix of) one of these commands, so
// stray bytes are recognised at once.
//
// The status request "Stav<>#$" is the administrator's (kj_admin); stations
// never send it. Like the keep-alive it is complete at its "$", and it
// changes nothing. Its reply is one line of fields separated by TAB (byte
// 9, which no request may hold):
//   "OK", the number of the other connections, the number of locks,
//   then for each other connection   "S", its peer, the locks it holds,
//   and for each lock                "Z", directory, name (12), mode
//                                    ("R"/"W"), station (4), peer,
// connections in the order they came, locks by directory and name, each
// file's in the order granted. Readers skip records they do not know.
//
// Every reply ends with CR LF (kLockReplyEnd), so that a station reads it
// whole however the network splits it; clients that take whatever has
// arrived still see a reply that begins with "OK" when it grants.
//
// Granting follows the lock register: a write lock only when the file has no
// other entry at all (the station's own read lock included), a read lock only
// when the file has no write lock; read locks are counted, one entry each.
// Every lock belongs to the connection that took it and is released when that
// connection ends. One connection holds at most Options::maxLocksPerConnection
// locks, so a runaway station cannot fill the table for everyone else.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "services/lock_client.h"

namespace kj {

enum class LockCommand { Lock, Unlock, IfFree, KeepAlive, Status };

struct LockServerRequest {
    LockCommand command = LockCommand::KeepAlive;
    std::string directory;  // as sent: upper-cased, final "\"
    std::string name;       // 12 characters, blank-padded
    std::string mode;       // "W" (any non-empty text) write, "" read; "p" for the others
    std::string station;    // 2 digits and two blanks
};

enum class ParseStatus { Incomplete, Complete, Malformed };

struct ParsedRequest {
    ParseStatus status = ParseStatus::Incomplete;
    std::size_t length = 0;     // bytes taken by a complete request
    LockServerRequest request;  // when complete
    std::string error;          // why it is malformed (Windows-1250)
};

// Structural limits of a request, independent of the configured message size.
inline constexpr std::size_t kLockNameLength = 12;
inline constexpr std::size_t kLockStationLength = 4;
inline constexpr std::size_t kMaxLockDirectory = 260;
inline constexpr std::size_t kMaxLockMode = 8;

// Looks at the start of `buffer`.
ParsedRequest ParseLockServerRequest(std::string_view buffer);

// The 100 user names of "JMENA.tab" (records of 25 bytes: a length byte and
// up to 24 characters); missing records give empty names.
std::vector<std::string> ParseUserNames(std::string_view table);

using ConnectionId = std::uint64_t;

class LockServer {
  public:
    struct Options {
        std::size_t maxMessage = 1024;            // longest request accepted, bytes
        std::size_t maxLocks = 10000;             // entries of all files together
        std::size_t maxLocksPerConnection = 256;  // entries one connection may hold
    };
    // One log line for the administrator, Windows-1250, no line end; control
    // characters of the requests are already replaced.
    using LogSink = std::function<void(std::string_view line)>;
    // User name of station 0..99, "" when not known.
    using NameLookup = std::function<std::string(int station)>;

    struct FileLocks {
        int readers = 0;
        bool writer = false;
    };

    explicit LockServer(Options options, LogSink log = {}, NameLookup names = {});

    void Connect(ConnectionId id, std::string_view peer);
    // Bytes received on a connection; returns the replies to send, in order
    // (one per complete or malformed request, each ending with kLockReplyEnd;
    // none while a request is incomplete). Unknown connections are connected
    // first.
    std::string Receive(ConnectionId id, std::string_view bytes);
    // Ends a connection and releases every lock taken through it; returns
    // how many were released.
    std::size_t Disconnect(ConnectionId id);
    // Releases everything (the server stops); returns how many.
    std::size_t ReleaseAll();

    // One complete request; its reply (without the line end).
    std::string Handle(ConnectionId id, const LockServerRequest& request);

    // A line of the log about a connection (its peer in front).
    void Log(ConnectionId id, std::string_view text) const;

    std::size_t LockCount() const { return lockCount_; }
    FileLocks LocksOf(std::string_view directory, std::string_view name) const;
    std::size_t ConnectionCount() const { return connections_.size(); }
    // Bytes of an incomplete request waiting on a connection.
    std::size_t Pending(ConnectionId id) const;

  private:
    using FileKey = std::pair<std::string, std::string>;  // directory, name
    struct Entry {
        std::string station;
        char mode = 'R';
        ConnectionId owner = 0;
    };
    struct Connection {
        std::string peer;
        std::string input;
        std::map<FileKey, int> held;  // entries per file taken through this connection
        std::size_t heldTotal = 0;    // all of them
        std::string waitingFor;       // the refused request last logged
        std::uint64_t refusals = 0;   // refusals of that request since
        int errorsLogged = 0;
    };

    std::string Lock(ConnectionId id, Connection& conn, const LockServerRequest& r);
    std::string Unlock(ConnectionId id, Connection& conn, const LockServerRequest& r);
    std::string IfFree(const LockServerRequest& r) const;
    std::string Status(ConnectionId asking) const;
    std::string Malformed(ConnectionId id, Connection& conn, std::string_view why);
    std::string Holder(const Entry& e) const;
    void Log(const Connection& conn, std::string_view text) const;
    Connection& Conn(ConnectionId id);

    Options options_;
    LogSink log_;
    NameLookup names_;
    std::map<FileKey, std::vector<Entry>> files_;  // entries in the order granted
    std::unordered_map<ConnectionId, Connection> connections_;
    std::size_t lockCount_ = 0;
};

}  // namespace kj
