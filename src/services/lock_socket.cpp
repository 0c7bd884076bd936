// The TCP connection to the lock server. See lock_socket.h for the waits and
// what happens when a connection dies.

#include "services/lock_socket.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <string>

#include "services/cp1250.h"
#include "services/lock_server_core.h"

namespace kj {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\0'))
        s.remove_suffix(1);
    return s;
}

bool ParsePort(std::string_view text, int* port) {
    int v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < 1 || v > 65535) return false;
    *port = v;
    return true;
}

// The longest parting text of a server that is shown to the user.
constexpr std::size_t kMaxFarewell = 200;

std::string ErrText(int code) {
    return "Err " + std::to_string(code);
}

// Waits for a non-blocking connect; 0 or the error number.
int FinishConnect(int fd, int waitMs) {
    pollfd p{fd, POLLOUT, 0};
    for (;;) {
        int r = ::poll(&p, 1, waitMs);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return errno;
        if (r == 0) return ETIMEDOUT;
        break;
    }
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return errno;
    return err;
}

}  // namespace

bool ParseLockServerAddress(std::string_view address, std::string* host, int* port) {
    std::string_view a = Trim(address);
    *port = kLockServerPort;
    if (!a.empty() && a.front() == '[') {
        auto close = a.find(']');
        if (close == std::string_view::npos) return false;
        *host = std::string(a.substr(1, close - 1));
        std::string_view rest = a.substr(close + 1);
        if (!rest.empty() && (rest.front() != ':' || !ParsePort(rest.substr(1), port)))
            return false;
        return !host->empty();
    }
    auto colon = a.find(':');
    if (colon != std::string_view::npos && a.find(':', colon + 1) == std::string_view::npos) {
        *host = std::string(a.substr(0, colon));
        if (!ParsePort(a.substr(colon + 1), port)) return false;
    } else {
        *host = std::string(a);  // a name, an IPv4 address or a bare IPv6 address
    }
    return !host->empty();
}

TcpLockServerLink::TcpLockServerLink(Common& c, Options options) : c_(c), options_(options) {}

TcpLockServerLink::~TcpLockServerLink() {
    if (c_.lock.server == this) c_.lock.server = nullptr;
    Shut();
}

int TcpLockServerLink::Open(std::string_view address) {
    Shut();
    if (address != address_) framed_ = false;  // another server: its replies are not known yet
    address_ = std::string(address);
    std::string host;
    int port = 0;
    if (!ParseLockServerAddress(address, &host, &port)) return EINVAL;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0) return EHOSTUNREACH;
    int code = EHOSTUNREACH;
    for (addrinfo* ai = found; ai != nullptr; ai = ai->ai_next) {
        // Non-blocking only while connecting, so that an unreachable host
        // costs at most connectWaitMs.
        int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                          ai->ai_protocol);
        if (fd < 0) {
            code = errno;
            continue;
        }
        code = ::connect(fd, ai->ai_addr, ai->ai_addrlen) == 0 ? 0 : errno;
        if (code == EINPROGRESS) code = FinishConnect(fd, options_.connectWaitMs);
        if (code == 0) {
            int flags = ::fcntl(fd, F_GETFL);
            if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) code = errno;
        }
        if (code != 0) {
            ::close(fd);
            continue;
        }
        // A request is one small message that waits for its reply: send it at once.
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        fd_ = fd;
        break;
    }
    ::freeaddrinfo(found);
    return code;
}

void TcpLockServerLink::Close() {
    keepAliveWanted_ = false;
    SetKeepAlive(false);
    if (c_.lock.server == this) c_.lock.server = nullptr;
    Shut();
    held_.clear();
}

void TcpLockServerLink::Shut() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void TcpLockServerLink::SetKeepAlive(bool running) {
    if (keepAliveRunning_ == running) return;
    keepAliveRunning_ = running;
    if (onKeepAliveTimer) onKeepAliveTimer(running);
}

NoteResult TcpLockServerLink::Note(const std::string& text) {
    return c_.ui.ShowNote(text, options_.noteMs);
}

std::string TcpLockServerLink::Request(const std::string& message) {
    // Only a note of this request's own wait could call in here (through the
    // event loop); the socket belongs to the request under way.
    if (busy_) return ErrText(EBUSY);
    busy_ = true;
    SetKeepAlive(false);
    std::string reply = Exchange(message);
    Track(message, reply);
    busy_ = false;
    if (keepAliveWanted_) SetKeepAlive(true);
    return reply;
}

std::string TcpLockServerLink::Exchange(const std::string& message) {
    int code = ENOTCONN;
    // The second round runs only on a new connection after the first one died.
    for (int round = 0; round < 2; ++round) {
        code = 0;
        if (fd_ < 0) {
            code = Open(address_);
            if (code != 0) {
                Note("Server VELTOR není dostupný, zkouším se připojit znovu"_cz);
                return ErrText(code);
            }
            code = Restore();
        }
        std::string reply;
        if (code == 0) code = SendAndReceive(message, &reply);
        if (code == 0) return reply;
        Shut();
        c_.ui.BeepMessage(farewell_.empty() ? ErrText(code) : farewell_);
        farewell_.clear();
    }
    return ErrText(code);
}

// The server dropped the station's locks with the connection that died; they
// are taken again, in the order they were granted, before anything else goes
// over the new one.
int TcpLockServerLink::Restore() {
    for (auto it = held_.begin(); it != held_.end();) {
        std::string reply;
        if (int code = SendAndReceive(it->message, &reply); code != 0) return code;
        if (reply.starts_with("OK")) {
            ++it;
            continue;
        }
        const std::size_t end = it->name.find_last_not_of(' ');
        c_.ui.BeepMessage(
            "Po novém spojení se serverem VELTOR se nepodařilo znovu zamknout soubor "_cz +
            it->directory + it->name.substr(0, end + 1) + " (" + it->mode + "): " + reply);
        it = held_.erase(it);
    }
    return 0;
}

// Keeps the list of granted locks: a "Zamkni" answered "OK" adds its lock,
// an "Odemkni" answered "OK" removes the first lock of that file and station,
// as the server does.
void TcpLockServerLink::Track(const std::string& message, const std::string& reply) {
    if (!reply.starts_with("OK")) return;
    ParsedRequest p = ParseLockServerRequest(message);
    if (p.status != ParseStatus::Complete || p.length != message.size()) return;
    const LockServerRequest& r = p.request;
    if (r.command == LockCommand::Lock) {
        held_.push_back(Held{message, r.directory, r.name, r.station, r.mode.empty() ? 'R' : 'W'});
    } else if (r.command == LockCommand::Unlock) {
        auto it = std::find_if(held_.begin(), held_.end(), [&](const Held& h) {
            return h.directory == r.directory && h.name == r.name && h.station == r.station;
        });
        if (it != held_.end()) held_.erase(it);
    }
}

// Nothing is expected between requests; bytes found now (a late or
// unsolicited text) would be taken for the next reply, so they are dropped.
// A server that closes the connection may have said why: that text is kept
// for the message.
int TcpLockServerLink::DropStaleBytes() {
    std::string stale;
    bool eof = false;
    int code = ReadSome(&stale, &eof);
    if (code == 0 && eof) {
        std::string_view text = stale;
        if (text.ends_with(kLockReplyEnd)) text.remove_suffix(kLockReplyEnd.size());
        farewell_ = std::string(text.substr(0, kMaxFarewell));
        return ECONNRESET;
    }
    return code;
}

// Whatever has arrived, without waiting; *eof when the server has closed.
int TcpLockServerLink::ReadSome(std::string* got, bool* eof) {
    char buf[4096];
    for (int i = 0; i < 64; ++i) {
        ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
        if (n > 0) {
            got->append(buf, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) {
            *eof = true;
            return 0;
        }
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : errno;
    }
    return 0;
}

int TcpLockServerLink::SendAndReceive(const std::string& message, std::string* reply) {
    if (int code = DropStaleBytes(); code != 0) return code;
    std::size_t sent = 0;
    while (sent < message.size()) {
        ssize_t n = ::send(fd_, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EPIPE;
        sent += static_cast<std::size_t>(n);
    }
    std::string got;
    bool eof = false;
    for (;;) {
        if (auto end = got.find(kLockReplyEnd); end != std::string::npos) {
            // Anything after the line end belongs to no request: dropped.
            framed_ = true;
            *reply = got.substr(0, end);
            return 0;
        }
        // A server known to end its replies is waited for until it has; from
        // another one a pause ends what has come.
        const bool unframedPart = !got.empty() && !framed_;
        if (eof) {
            if (!unframedPart) return ECONNRESET;
            *reply = std::move(got);
            return 0;
        }
        pollfd p{fd_, POLLIN, 0};
        int r = ::poll(&p, 1, unframedPart ? options_.replyQuietMs : options_.replyWaitMs);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return errno;
        if (r > 0) {
            if (int code = ReadSome(&got, &eof); code != 0) return code;
            continue;
        }
        if (unframedPart) {
            *reply = std::move(got);
            return 0;
        }
        if (Note("Server VELTOR neodpovídá, čekám na odpověď"_cz) == NoteResult::StopWaiting)
            return ETIMEDOUT;
    }
}

void TcpLockServerLink::KeepAliveTick() {
    if (busy_ || c_.lock.server != this || c_.set.lockServer.empty()) return;
    LockRequest(c_, "Client", "Vata", "", "", "");
}

int ConnectLockServer(Common& c, TcpLockServerLink& link) {
    if (c.set.lockServer.empty()) return 0;
    if (link.connected() && c.lock.server == &link) return 0;
    if (link.Open(c.set.lockServer) != 0) {
        c.ui.BeepMessage("Server VELTOR není spuštěn, obraťte se na správce sítě."_cz);
        return 99;
    }
    c.lock.server = &link;
    link.keepAliveWanted_ = true;
    link.SetKeepAlive(true);
    return 0;
}

}  // namespace kj
