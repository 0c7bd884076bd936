#pragma once
// The TCP connection to the lock server (the socket of TfClient): one
// blocking connection, one request and one reply at a time, on the
// user-interface thread.
//
// Address: the configured lock-server address is "host" (port 5050) or
// "host:port" ("[v6-address]:port" for IPv6 literals); blanks around it are
// ignored.
//
// Replies: the project's lock server ends every reply with CR LF
// (kLockReplyEnd), so a reply split over several TCP segments is read until
// its end, however the bytes arrive; the line end is not part of the reply.
// A server that does not end its replies (a reply without CR LF is seen
// before any with it) gets the reply ended by a pause of
// Options::replyQuietMs after the last byte.
//
// Waits, all bounded:
//   - opening the connection: at most Options::connectWaitMs (5 s);
//   - the reply: each wait at most Options::replyWaitMs (3 s). When it
//     expires the user gets the note "Server VELTOR neodpovídá, čekám na
//     odpověď" and the wait is repeated on the same connection. The request
//     is not sent there a second time: the server answers every request, so
//     a second copy would be granted twice (read locks are counted) and its
//     extra reply would be taken for the answer to the next request.
//     Clicking the note gives the connection up (code 110, see below).
//   - a dead connection (sending or receiving fails, the server closes it,
//     or the user gave up waiting): the message "Err " + code (the system's
//     error number; 104 when the server closed the connection), or the
//     server's own parting text when it sent one, the socket is closed, and
//     the request is sent once more on a new connection. The server has
//     dropped everything of the old connection with it, so the request is
//     never granted twice. When no new connection can be had, the note
//     "Server VELTOR není dostupný, zkouším se připojit znovu" is shown and
//     the request ends with the reply "Err " + code. That reply never begins
//     with "OK": Zamkni and Odemkni ask again (each attempt paced by the
//     note), IfVolny reports the file as held.
//
// Locks across connections: the link keeps the locks granted to the station
// (each "Zamkni" answered "OK", until its "Odemkni" is answered "OK"). The
// server releases the locks of a connection that ends, so on every new
// connection after a dead one the link first takes them all again, in the
// order they were granted, and only then sends the waiting request. A lock
// that another station took in between cannot be had back: the user is told
// which file with the server's reply, and the lock is forgotten.
//
// Keep-alive: the timer of TfClient (kKeepAliveMs) calls KeepAliveTick. The
// timer runs while the link is connected and idle; every request stops it
// first and starts it again after the reply, so a tick never lands inside
// a request (the notes of a long wait run the event loop). The Qt timer
// follows keepAliveRunning() through onKeepAliveTimer.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "services/common.h"
#include "services/lock_client.h"

namespace kj {

inline constexpr int kLockServerPort = 5050;
inline constexpr int kKeepAliveMs = 10000;

// "host" or "host:port"; false for an empty host or a port outside 1..65535.
bool ParseLockServerAddress(std::string_view address, std::string* host, int* port);

class TcpLockServerLink final : public LockServerLink {
public:
    struct Options {
        int connectWaitMs = 5000;
        int replyWaitMs = 3000;
        int replyQuietMs = 500;  // ends a reply of a server that does not end its replies
        int noteMs = 1000;       // duration of the wait notes
    };

    explicit TcpLockServerLink(Common& c) : TcpLockServerLink(c, Options{}) {}
    TcpLockServerLink(Common& c, Options options);
    ~TcpLockServerLink() override;
    TcpLockServerLink(const TcpLockServerLink&) = delete;
    TcpLockServerLink& operator=(const TcpLockServerLink&) = delete;

    // Opens the connection to `address`; 0 or the system's error number.
    // An open connection is closed first.
    int Open(std::string_view address);
    // Closes the connection and stops the keep-alive; the station then no
    // longer asks this link (c.lock.server is cleared when it is this), and
    // the locks it held are gone with the connection.
    void Close();
    bool connected() const { return fd_ >= 0; }

    // One request (see the waits above); the reply without its line end. A
    // request made while another one is under way (only a nested event loop
    // could) is refused with "Err 16".
    std::string Request(const std::string& message) override;

    // Timer1 of TfClient: "Client<Vata>#$", its reply kept as the last
    // reply. Nothing while this link is not the station's lock server or a
    // request is under way.
    void KeepAliveTick();
    bool keepAliveRunning() const { return keepAliveRunning_; }
    std::function<void(bool running)> onKeepAliveTimer;

    // Locks the station holds through this link, as "Zamkni" requests.
    std::size_t heldLocks() const { return held_.size(); }

private:
    friend int ConnectLockServer(Common& c, TcpLockServerLink& link);

    // A lock granted to the station: the request that took it, and the file
    // and mode for the user.
    struct Held {
        std::string message;
        std::string directory, name, station;
        char mode = 'R';
    };

    std::string Exchange(const std::string& message);
    int Restore();
    void Track(const std::string& message, const std::string& reply);
    int SendAndReceive(const std::string& message, std::string* reply);
    int DropStaleBytes();
    int ReadSome(std::string* got, bool* eof);
    void Shut();
    void SetKeepAlive(bool running);
    NoteResult Note(const std::string& text);

    Common& c_;
    Options options_;
    std::string address_;
    int fd_ = -1;
    bool framed_ = false;   // the server has ended a reply with kLockReplyEnd
    std::string farewell_;  // text the server sent before it closed the connection
    std::vector<Held> held_;
    bool busy_ = false;
    bool keepAliveWanted_ = false;
    bool keepAliveRunning_ = false;
};

// Connects the station to its lock server when an address is configured
// (c.set.lockServer) and makes `link` the station's lock server. 0 when
// connected (or when no address is configured, or already connected); 99
// after the message "Server VELTOR není spuštěn, obraťte se na správce
// sítě." when the server cannot be reached.
int ConnectLockServer(Common& c, TcpLockServerLink& link);

}  // namespace kj
