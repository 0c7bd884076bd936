#pragma once
// TCP on 127.0.0.1 for tests: a listener on a port of the system's choosing,
// a client connection, a port where nobody listens, and a lock server of the
// test's own (FakeLockServer) that answers as a script says.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "services/lock_server_core.h"

namespace kj {

inline sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// A listening socket on 127.0.0.1; its port in *port (0 when it failed).
inline int ListenLoopback(int* port, bool listen = true) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = Loopback(0);
    socklen_t len = sizeof a;
    *port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        (!listen || ::listen(fd, 16) == 0) &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        *port = ntohs(a.sin_port);
    return fd;
}

// A connection to 127.0.0.1:port without Nagle's delay; -1 when refused.
inline int ConnectLoopback(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = Loopback(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

// A port on 127.0.0.1 where nobody listens (it was free a moment ago).
inline int ClosedPort() {
    int port = 0;
    ::close(ListenLoopback(&port, false));
    return port;
}

// Requests of the lock protocol as a station sends them.
namespace lockmsg {
inline const std::string kDir = "C:\\VELTOR\\DATA\\";
inline const std::string kAuta = "KJ_AUTA.DTA ";
inline const std::string kCile = "KJCILE.DTA  ";
inline const std::string kKeepAlive = "Client<Vata>#$";
inline std::string Msg(std::string_view command, std::string_view dir, std::string_view name,
                       std::string_view mode, std::string_view station) {
    return std::string(command) + "<" + std::string(dir) + ">" + std::string(name) + "#" +
           std::string(mode) + "$" + std::string(station);
}
inline std::string LockW(std::string_view st, std::string_view name = kAuta, std::string_view dir = kDir) {
    return Msg("Zamkni", dir, name, "W", st);
}
inline std::string LockR(std::string_view st, std::string_view name = kAuta, std::string_view dir = kDir) {
    return Msg("Zamkni", dir, name, "", st);
}
inline std::string Unlock(std::string_view st, std::string_view name = kAuta) {
    return Msg("Odemkni", kDir, name, "p", st);
}
inline std::string IfFree(std::string_view st, std::string_view name = kAuta) {
    return Msg("IfVolny", kDir, name, "p", st);
}
}  // namespace lockmsg

// What the fake server does with one request.
struct Action {
    std::string reply = "OK";
    int delayMs = 0;      // before replying
    bool close = false;   // close the connection instead of replying
    bool silent = false;  // never reply
    int splitMs = 0;      // the first byte, then this pause, then the rest
};

// One thread serving every connection, cutting requests out of the byte
// stream with the server's parser and answering as the script says.
// Connections are numbered from 1.
class FakeLockServer {
public:
    using Script = std::function<Action(int conn, const LockServerRequest& r)>;

    explicit FakeLockServer(Script script) : script_(std::move(script)) {
        listener_ = ListenLoopback(&port_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeLockServer() {
        stop_ = true;
        thread_.join();
        for (auto& [fd, conn] : conns_) ::close(fd);
        if (listener_ >= 0) ::close(listener_);
    }

    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    // No new connections from now on; nobody listens on the port once this
    // returns true.
    bool StopListening() {
        stopListening_ = true;
        for (int i = 0; i < 1000 && !listenerClosed_; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return listenerClosed_;
    }
    int connections() {
        std::lock_guard<std::mutex> g(mu_);
        return static_cast<int>(raw_.size());
    }
    // Everything received on connection n.
    std::string Raw(int n) {
        std::lock_guard<std::mutex> g(mu_);
        return n >= 1 && n <= static_cast<int>(raw_.size()) ? raw_[n - 1] : std::string();
    }
    // Complete requests received on connection n.
    int Requests(int n) {
        std::lock_guard<std::mutex> g(mu_);
        return n >= 1 && n <= static_cast<int>(requests_.size()) ? requests_[n - 1] : 0;
    }

private:
    struct Conn {
        int number = 0;
        std::string buffer;
    };

    void Serve() {
        while (!stop_) {
            if (stopListening_ && listener_ >= 0) {
                ::close(listener_);
                listener_ = -1;
                listenerClosed_ = true;
            }
            std::vector<pollfd> fds{{listener_, POLLIN, 0}};
            for (auto& [fd, conn] : conns_) fds.push_back({fd, POLLIN, 0});
            if (::poll(fds.data(), fds.size(), 10) <= 0) continue;
            if (listener_ >= 0 && (fds[0].revents & POLLIN)) {
                int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                if (fd >= 0) {
                    std::lock_guard<std::mutex> g(mu_);
                    raw_.emplace_back();
                    requests_.push_back(0);
                    conns_[fd] = Conn{static_cast<int>(raw_.size()), ""};
                }
            }
            for (std::size_t i = 1; i < fds.size(); ++i)
                if (fds[i].revents != 0) Read(fds[i].fd);
        }
    }

    void Read(int fd) {
        Conn& conn = conns_[fd];
        char buf[4096];
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return Drop(fd);
        {
            std::lock_guard<std::mutex> g(mu_);
            raw_[conn.number - 1].append(buf, static_cast<std::size_t>(n));
        }
        conn.buffer.append(buf, static_cast<std::size_t>(n));
        for (int guard = 0; guard < 100; ++guard) {
            ParsedRequest p = ParseLockServerRequest(conn.buffer);
            if (p.status == ParseStatus::Incomplete) return;
            if (p.status == ParseStatus::Malformed) {
                conn.buffer.clear();
                (void)::send(fd, "CHYBA", 5, MSG_NOSIGNAL);
                return;
            }
            conn.buffer.erase(0, p.length);
            {
                std::lock_guard<std::mutex> g(mu_);
                ++requests_[conn.number - 1];
            }
            Action a = script_(conn.number, p.request);
            if (a.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(a.delayMs));
            if (a.close) return Drop(fd);
            if (a.silent) continue;
            std::size_t first = a.splitMs > 0 ? 1 : a.reply.size();
            (void)::send(fd, a.reply.data(), first, MSG_NOSIGNAL);
            if (first < a.reply.size()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(a.splitMs));
                (void)::send(fd, a.reply.data() + first, a.reply.size() - first, MSG_NOSIGNAL);
            }
        }
    }

    void Drop(int fd) {
        ::close(fd);
        conns_.erase(fd);
    }

    Script script_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> stopListening_{false};
    std::atomic<bool> listenerClosed_{false};
    std::thread thread_;
    std::map<int, Conn> conns_;  // server thread only
    std::mutex mu_;
    std::vector<std::string> raw_;
    std::vector<int> requests_;
};

}  // namespace kj
