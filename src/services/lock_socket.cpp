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

#include <cerrno>
#include <charconv>
#include <string>

#include "services/cp1250.h"

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
    busy_ = false;
    if (keepAliveWanted_) SetKeepAlive(true);
    return reply;
}

std::string TcpLockServerLink::Exchange(const std::string& message) {
    int code = ENOTCONN;
    // The second round runs only on a new connection after the first one died.
    for (int round = 0; round < 2; ++round) {
        if (fd_ < 0) {
            code = Open(address_);
            if (code != 0) {
                Note("Server VELTOR není dostupný, zkouším se připojit znovu"_cz);
                return ErrText(code);
            }
        }
        std::string reply;
        code = SendAndReceive(message, &reply);
        if (code == 0) return reply;
        Shut();
        c_.ui.BeepMessage(ErrText(code));
    }
    return ErrText(code);
}

// Nothing is expected between requests; bytes found now (a late or
// unsolicited text) would be taken for the next reply, so they are dropped.
int TcpLockServerLink::DropStaleBytes() {
    char buf[512];
    for (int i = 0; i < 64; ++i) {
        ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
        if (n > 0) continue;
        if (n == 0) return ECONNRESET;
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : errno;
    }
    return 0;
}

// All bytes there are now; at least one is known to be waiting.
int TcpLockServerLink::ReadAvailable(std::string* reply) {
    char buf[4096];
    for (;;) {
        ssize_t n = ::recv(fd_, buf, sizeof buf, reply->empty() ? 0 : MSG_DONTWAIT);
        if (n > 0) {
            reply->append(buf, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) return reply->empty() ? ECONNRESET : 0;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        return reply->empty() ? errno : 0;
    }
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
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        int r = ::poll(&p, 1, options_.replyWaitMs);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return errno;
        if (r > 0) return ReadAvailable(reply);
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
