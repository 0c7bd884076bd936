#include "shell/end_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace kj {
namespace {

int g_pipe[2] = {-1, -1};
struct sigaction g_oldTerm {};
struct sigaction g_oldHup {};

extern "C" void OnEndSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already says that a signal came.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

EndSignals::EndSignals() {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    struct sigaction sa {};
    sa.sa_handler = OnEndSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &sa, &g_oldTerm);
    ::sigaction(SIGHUP, &sa, &g_oldHup);
}

EndSignals::~EndSignals() {
    if (g_pipe[0] < 0) return;
    ::sigaction(SIGTERM, &g_oldTerm, nullptr);
    ::sigaction(SIGHUP, &g_oldHup, nullptr);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

int EndSignals::fd() const { return g_pipe[0]; }

bool EndSignals::Take() {
    if (g_pipe[0] < 0) return false;
    bool any = false;
    char buffer[64];
    while (::read(g_pipe[0], buffer, sizeof buffer) > 0) any = true;
    return any;
}

}  // namespace kj
