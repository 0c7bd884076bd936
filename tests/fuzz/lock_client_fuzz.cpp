// Replies of a lock server as a station's connection reads them. The input
// is what the server sends: one piece (cut at "\x1e") for each request it
// receives, a piece beginning "\x1f" closing the connection after it; then
// it grants everything. The station's locks, checks, releases and
// keep-alive all end, no reply it takes holds a line end, and once every
// lock is released the connection holds none.

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

#include "fuzz_station.h"
#include "loopback.h"
#include "services/lock_socket.h"
#include "services/locks.h"

using namespace kj;

namespace {

class PieceServer {
public:
    PieceServer() {
        int port = 0;
        listener_ = ListenLoopback(&port);
        FUZZ_CHECK(port != 0);
        address_ = "127.0.0.1:" + std::to_string(port);
        std::thread([this] { Serve(); }).detach();
    }
    const std::string& address() const { return address_; }
    void Load(const std::vector<std::string>& pieces) {
        std::lock_guard<std::mutex> hold(mutex_);
        pieces_.assign(pieces.begin(), pieces.end());
    }

private:
    void Serve() {
        for (;;) {
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            char buf[4096];
            for (bool open = true; open && ::recv(fd, buf, sizeof buf, 0) > 0;) {
                std::string piece = "OK\r\n";
                {
                    std::lock_guard<std::mutex> hold(mutex_);
                    if (!pieces_.empty()) piece = pieces_.front(), pieces_.pop_front();
                }
                open = piece.empty() || piece[0] != '\x1f';
                (void)::send(fd, piece.data(), piece.size(), MSG_NOSIGNAL);
            }
            ::close(fd);
        }
    }

    int listener_ = -1;
    std::string address_;
    std::mutex mutex_;
    std::deque<std::string> pieces_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static PieceServer server;
    auto& s = fuzz::FreshStation();
    server.Load(fuzz::Parts(fuzz::Bytes(data, size), "\x1e", 12));
    s.c.lock.lockingOff = false;
    s.c.set.lockServer = server.address();
    s.ui.notes.assign(100, NoteResult::StopWaiting);  // each wait for a reply is given up
    TcpLockServerLink::Options options;
    options.replyWaitMs = 5;
    options.replyQuietMs = 2;
    options.noteMs = 0;
    TcpLockServerLink link(s.c, options);
    FUZZ_CHECK(ConnectLockServer(s.c, link) == 0);

    const char path[] = "C:\\DATA\\KJ_AUTA.DTA";
    FUZZ_CHECK(Zamkni(s.c, path, "W"));
    (void)IfVolny(s.c, path);
    FUZZ_CHECK(s.c.lock.lastReply.find(kLockReplyEnd) == std::string::npos);
    link.KeepAliveTick();
    Odemkni(s.c, path);
    FUZZ_CHECK(Zamkni(s.c, path, ""));
    Odemkni(s.c, path);
    FUZZ_CHECK(link.heldLocks() == 0);
    return 0;
}
