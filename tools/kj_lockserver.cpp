// The lock server: stations configured with a lock-server address keep their
// file locks here instead of in the "FOT.tab" register. One thread, one
// poll() loop over non-blocking sockets, so a slow or silent station never
// holds up another; the granting itself lives in services/lock_server_core.
//
//   kj_lockserver [--listen ADDR] [--port N] [--log FILE] [--max-message BYTES]
//                 [--names DIR] [--max-locks N] [--max-locks-per-client N]
//                 [--max-clients N] [--request-timeout-ms N]
//
// Every reply ends with CR LF. A connection whose request stays incomplete
// for --request-timeout-ms is told so and closed (its locks go with it); a
// connection beyond --max-clients is accepted, told that the server is full
// and closed, with a line in the log, rather than left waiting unanswered.
//
// SIGTERM or SIGINT stops it (all locks released, exit code 0); SIGHUP
// reopens the log file and reads the user names again.

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "services/cp1250.h"
#include "services/lock_server_core.h"

namespace {

constexpr std::size_t kReadChunk = 4096;
constexpr int kReadsPerTurn = 16;           // per connection and poll turn, for fairness
constexpr std::size_t kMaxBacklog = 65536;  // unsent replies before a station is dropped

struct Config {
    std::string listen = "127.0.0.1";
    unsigned port = 5050;
    std::string logPath;  // empty = standard output
    std::size_t maxMessage = 1024;
    std::size_t maxLocks = 10000;
    std::size_t maxLocksPerClient = 256;
    std::size_t maxClients = 1000;
    std::size_t requestTimeoutMs = 5000;
    std::string namesDir;
};

using Clock = std::chrono::steady_clock;

volatile sig_atomic_t gStop = 0;
volatile sig_atomic_t gReload = 0;
int gWakeWrite = -1;

void OnSignal(int sig) {
    int saved = errno;
    if (sig == SIGHUP)
        gReload = 1;
    else
        gStop = 1;
    char b = 0;
    if (::write(gWakeWrite, &b, 1) < 0) { /* the pipe is full: a wake-up is pending anyway */
    }
    errno = saved;
}

// The administrator's log: UTF-8 lines with a time stamp, flushed at once.
class AdminLog {
  public:
    explicit AdminLog(std::string path) : path_(std::move(path)) {}
    ~AdminLog() { Close(); }

    bool Open() {
        if (path_.empty()) {
            file_ = stdout;
            return true;
        }
        file_ = std::fopen(path_.c_str(), "a");
        return file_ != nullptr;
    }
    void Reopen() {
        Close();
        if (!Open()) file_ = stderr;  // keep logging somewhere
    }
    void Write(std::string_view cp1250Line) { WriteUtf8(kj::Cp1250ToUtf8(cp1250Line)); }
    void WriteUtf8(std::string_view text) {
        if (!file_) return;
        std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", &tm);
        std::string line = stamp + std::string(text) + "\n";
        std::fwrite(line.data(), 1, line.size(), file_);
        std::fflush(file_);
    }

  private:
    void Close() {
        if (file_ && file_ != stdout && file_ != stderr) std::fclose(file_);
        file_ = nullptr;
    }
    std::string path_;
    std::FILE* file_ = nullptr;
};

// "JMENA.tab" in `dir`, its name matched without regard to case.
std::vector<std::string> LoadUserNames(const std::string& dir, std::string* status) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::string upper;
        for (char ch : name) upper.push_back(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
        if (upper != "JMENA.TAB") continue;
        std::ifstream in(it->path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        *status = it->path().string();
        return kj::ParseUserNames(bytes);
    }
    *status = "v " + dir + " není JMENA.tab, stanice se uvádějí jen číslem";
    return {};
}

bool ParseNumber(std::string_view text, std::size_t min, std::size_t max, std::size_t* out) {
    std::size_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < min || v > max) return false;
    *out = v;
    return true;
}

void Usage() {
    std::fputs(
        "použití: kj_lockserver [--listen ADRESA] [--port N] [--log SOUBOR]\n"
        "                       [--max-message BAJTY] [--names ADRESÁŘ]\n"
        "                       [--max-locks N] [--max-locks-per-client N]\n"
        "                       [--max-clients N] [--request-timeout-ms N]\n"
        "  --listen       adresa, na které server naslouchá (127.0.0.1)\n"
        "  --port         port TCP (5050; 0 = libovolný volný)\n"
        "  --log          soubor záznamu (jinak standardní výstup)\n"
        "  --max-message  nejdelší přijatý požadavek v bajtech (1024, nejméně 64)\n"
        "  --names        programový adresář se souborem JMENA.tab (jména uživatelů)\n"
        "  --max-locks    nejvýše zámků všech stanic dohromady (10000)\n"
        "  --max-locks-per-client\n"
        "                 nejvýše zámků jednoho spojení (256)\n"
        "  --max-clients  nejvýše současných spojení (1000); další jsou odmítnuta\n"
        "  --request-timeout-ms\n"
        "                 spojení s požadavkem nedokončeným tak dlouho se ukončí (5000)\n",
        stderr);
}

bool ParseArgs(int argc, char** argv, Config* c) {
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        if (a == "--help" || a == "-h") return false;
        if (i + 1 >= argc) {
            std::fprintf(stderr, "kj_lockserver: chybí hodnota volby %s\n", argv[i]);
            return false;
        }
        std::string_view v = argv[++i];
        std::size_t n = 0;
        bool ok = true;
        if (a == "--listen")
            c->listen = std::string(v);
        else if (a == "--log")
            c->logPath = std::string(v);
        else if (a == "--names")
            c->namesDir = std::string(v);
        else if (a == "--port") {
            ok = ParseNumber(v, 0, 65535, &n);
            c->port = static_cast<unsigned>(n);
        } else if (a == "--max-message") {
            ok = ParseNumber(v, 64, 1 << 20, &n);
            c->maxMessage = n;
        } else if (a == "--max-locks") {
            ok = ParseNumber(v, 1, 10000000, &n);
            c->maxLocks = n;
        } else if (a == "--max-locks-per-client") {
            ok = ParseNumber(v, 1, 10000000, &n);
            c->maxLocksPerClient = n;
        } else if (a == "--max-clients") {
            ok = ParseNumber(v, 1, 100000, &n);
            c->maxClients = n;
        } else if (a == "--request-timeout-ms") {
            ok = ParseNumber(v, 100, 3600000, &n);
            c->requestTimeoutMs = n;
        } else {
            std::fprintf(stderr, "kj_lockserver: neznámá volba %s\n", argv[i - 1]);
            return false;
        }
        if (!ok) {
            std::fprintf(stderr, "kj_lockserver: chybná hodnota volby %s: %s\n", argv[i - 1],
                         argv[i]);
            return false;
        }
    }
    return true;
}

std::string AddressText(const sockaddr* sa, socklen_t len) {
    char host[NI_MAXHOST], serv[NI_MAXSERV];
    if (getnameinfo(sa, len, host, sizeof host, serv, sizeof serv,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return "?";
    if (sa->sa_family == AF_INET6) return "[" + std::string(host) + "]:" + serv;
    return std::string(host) + ":" + serv;
}

// Binds and listens; returns the socket or -1 with `error` set.
int OpenListener(const Config& c, std::string* where, std::string* error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    std::string port = std::to_string(c.port);
    int rc = getaddrinfo(c.listen.c_str(), port.c_str(), &hints, &found);
    if (rc != 0) {
        *error = c.listen + ": " + gai_strerror(rc);
        return -1;
    }
    int fd = -1;
    for (addrinfo* ai = found; ai; ai = ai->ai_next) {
        fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                      ai->ai_protocol);
        if (fd < 0) {
            *error = std::strerror(errno);
            continue;
        }
        int one = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(fd, ai->ai_addr, ai->ai_addrlen) == 0 && ::listen(fd, 128) == 0) break;
        *error = c.listen + ":" + port + ": " + std::strerror(errno);
        ::close(fd);
        fd = -1;
    }
    freeaddrinfo(found);
    if (fd >= 0) {
        sockaddr_storage ss{};
        socklen_t len = sizeof ss;
        getsockname(fd, reinterpret_cast<sockaddr*>(&ss), &len);
        *where = AddressText(reinterpret_cast<sockaddr*>(&ss), len);
    }
    return fd;
}

void TuneClient(int fd) {
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    // A station whose machine vanishes without closing is noticed within
    // about two minutes, and its locks are released.
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
    int idle = 60, interval = 10, count = 6;
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
}

struct Client {
    int fd = -1;
    kj::ConnectionId id = 0;
    std::string peer;
    std::string out;
    bool done = false;
    bool pending = false;            // an incomplete request is waiting
    Clock::time_point pendingSince;  // when its first byte came
};

// Tells a connection beyond the limit why it is not served, and closes it.
// The reply goes out at once; nothing the station sends is read.
void Refuse(int fd, const std::string& cp1250Reply) {
    std::string reply = cp1250Reply + std::string(kj::kLockReplyEnd);
    (void)::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
}

// Sends what the socket takes now; false when the connection failed.
bool Flush(Client& cl) {
    while (!cl.out.empty()) {
        ssize_t n = ::send(cl.fd, cl.out.data(), cl.out.size(), MSG_NOSIGNAL);
        if (n > 0) {
            cl.out.erase(0, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kj;
    Config cfg;
    if (!ParseArgs(argc, argv, &cfg)) {
        Usage();
        return 2;
    }

    AdminLog log(cfg.logPath);
    if (!log.Open()) {
        std::fprintf(stderr, "kj_lockserver: nelze otevřít záznam %s: %s\n", cfg.logPath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    auto note = [&](std::string_view utf8) { log.WriteUtf8(utf8); };

    std::vector<std::string> userNames;
    auto loadNames = [&] {
        if (cfg.namesDir.empty()) return;
        std::string status;
        userNames = LoadUserNames(cfg.namesDir, &status);
        note("jména uživatelů: " + status);
    };
    loadNames();

    int wake[2];
    if (::pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        std::perror("kj_lockserver: pipe");
        return 1;
    }
    gWakeWrite = wake[1];
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::string where, error;
    int listener = OpenListener(cfg, &where, &error);
    if (listener < 0) {
        note("nelze naslouchat: " + error);
        std::fprintf(stderr, "kj_lockserver: nelze naslouchat: %s\n", error.c_str());
        return 1;
    }

    LockServer server(
        LockServer::Options{cfg.maxMessage, cfg.maxLocks, cfg.maxLocksPerClient},
        [&](std::string_view line) { log.Write(line); },
        [&](int station) {
            return station >= 0 && static_cast<std::size_t>(station) < userNames.size()
                       ? userNames[static_cast<std::size_t>(station)]
                       : std::string();
        });
    note("server zámků naslouchá na " + where + ", požadavek nejvýše " +
         std::to_string(cfg.maxMessage) + " bajtů, nejvýše " + std::to_string(cfg.maxLocks) +
         " zámků (" + std::to_string(cfg.maxLocksPerClient) + " na spojení) a " +
         std::to_string(cfg.maxClients) + " spojení, nedokončený požadavek nejvýše " +
         std::to_string(cfg.requestTimeoutMs) + " ms");
    const auto requestTimeout = std::chrono::milliseconds(cfg.requestTimeoutMs);
    // Refused connections are logged at most once a second, with a count.
    Clock::time_point lastRefusalLog{};
    std::size_t refusalsNotLogged = 0;

    std::vector<Client> clients;
    std::vector<pollfd> fds;
    kj::ConnectionId nextId = 1;
    auto acceptPausedUntil = Clock::time_point{};

    while (!gStop) {
        auto now = Clock::now();
        // A full server still accepts, to refuse the station with a reply.
        bool accepting = now >= acceptPausedUntil;
        int timeout = accepting ? -1 : 200;
        for (const Client& cl : clients) {
            if (!cl.pending) continue;
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(cl.pendingSince +
                                                                              requestTimeout - now)
                            .count();
            int ms = static_cast<int>(std::max<long long>(left, 0) + 1);
            if (timeout < 0 || ms < timeout) timeout = ms;
        }
        fds.clear();
        fds.push_back({wake[0], POLLIN, 0});
        fds.push_back({accepting ? listener : -1, POLLIN, 0});
        for (const Client& cl : clients)
            fds.push_back({cl.fd, static_cast<short>(POLLIN | (cl.out.empty() ? 0 : POLLOUT)), 0});
        int ready = ::poll(fds.data(), fds.size(), timeout);
        if (ready < 0 && errno != EINTR) {
            note(std::string("poll selhal: ") + std::strerror(errno));
            break;
        }
        if (ready < 0) continue;

        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(wake[0], drain, sizeof drain) > 0) {
            }
        }
        if (gReload) {
            gReload = 0;
            log.Reopen();
            note("záznam znovu otevřen");
            loadNames();
        }
        if (gStop) break;

        // Connections already open are served first; their poll results
        // stand at the same index as in `clients`.
        now = Clock::now();
        for (std::size_t i = 0; i < clients.size(); ++i) {
            Client& cl = clients[i];
            short ev = fds[i + 2].revents;
            bool eof = false, failed = false;
            if (ev & (POLLIN | POLLHUP | POLLERR)) {
                const std::size_t answered = cl.out.size();
                char buf[kReadChunk];
                for (int turn = 0; turn < kReadsPerTurn; ++turn) {
                    ssize_t n = ::recv(cl.fd, buf, sizeof buf, 0);
                    if (n > 0) {
                        cl.out += server.Receive(
                            cl.id, std::string_view(buf, static_cast<std::size_t>(n)));
                        if (static_cast<std::size_t>(n) < sizeof buf) break;
                        continue;
                    }
                    if (n == 0) {
                        eof = true;
                        break;
                    }
                    if (errno == EINTR) continue;
                    if (errno != EAGAIN && errno != EWOULDBLOCK) failed = true;
                    break;
                }
                // The wait for a request starts with its first byte; a
                // connection that got answers meanwhile is making progress.
                const bool pendingNow = server.Pending(cl.id) > 0;
                if (pendingNow && (!cl.pending || cl.out.size() > answered)) cl.pendingSince = now;
                cl.pending = pendingNow;
            }
            // A request left half sent holds a connection for nothing: a
            // station sends each request whole.
            if (!eof && !failed && cl.pending && now - cl.pendingSince >= requestTimeout) {
                server.Log(cl.id, "požadavek nedokončen do "_cz +
                                      std::to_string(cfg.requestTimeoutMs) +
                                      " ms, spojení se ukončuje"_cz);
                cl.out += "CHYBA požadavku: nedokončen do "_cz +
                          std::to_string(cfg.requestTimeoutMs) + " ms" +
                          std::string(kj::kLockReplyEnd);
                (void)Flush(cl);
                cl.done = true;
                continue;
            }
            if (ev == 0) continue;
            if (!Flush(cl)) failed = true;
            if (!failed && cl.out.size() > kMaxBacklog) {
                note("[" + cl.peer + "] stanice nečte odpovědi, spojení se ukončuje");
                failed = true;
            }
            if (eof || failed) cl.done = true;
        }
        for (std::size_t i = 0; i < clients.size();) {
            if (!clients[i].done) {
                ++i;
                continue;
            }
            server.Disconnect(clients[i].id);
            ::close(clients[i].fd);
            clients[i] = std::move(clients.back());
            clients.pop_back();
        }

        if (accepting && (fds[1].revents & POLLIN)) {
            for (int taken = 0; taken < 64; ++taken) {
                sockaddr_storage ss{};
                socklen_t len = sizeof ss;
                int fd = ::accept4(listener, reinterpret_cast<sockaddr*>(&ss), &len,
                                   SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (fd < 0) {
                    if (errno == EINTR || errno == ECONNABORTED) continue;
                    if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                        note(std::string("nelze přijmout spojení: ") + std::strerror(errno));
                        acceptPausedUntil = Clock::now() + std::chrono::seconds(1);
                    }
                    break;
                }
                std::string peer = AddressText(reinterpret_cast<sockaddr*>(&ss), len);
                if (clients.size() >= cfg.maxClients) {
                    Refuse(fd, "Server zámků je plně obsazen ("_cz +
                                   std::to_string(cfg.maxClients) +
                                   " spojení), zkuste to později"_cz);
                    auto at = Clock::now();
                    if (at - lastRefusalLog >= std::chrono::seconds(1)) {
                        std::string more = refusalsNotLogged == 0
                                               ? std::string()
                                               : ", od minulého záznamu odmítnuto dalších " +
                                                     std::to_string(refusalsNotLogged);
                        note("[" + peer + "] spojení odmítnuto, server má všech " +
                             std::to_string(cfg.maxClients) + " spojení" + more);
                        lastRefusalLog = at;
                        refusalsNotLogged = 0;
                    } else {
                        ++refusalsNotLogged;
                    }
                    continue;
                }
                TuneClient(fd);
                Client cl;
                cl.fd = fd;
                cl.id = nextId++;
                cl.peer = std::move(peer);
                server.Connect(cl.id, cl.peer);
                clients.push_back(std::move(cl));
            }
        }
    }

    note("server zámků se ukončuje");
    for (Client& cl : clients) ::close(cl.fd);
    std::size_t released = server.ReleaseAll();
    ::close(listener);
    note("server zámků ukončen, uvolněno zámků: " + std::to_string(released));
    return 0;
}
