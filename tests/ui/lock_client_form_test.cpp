// TfClient: its keep-alive timer follows the connection, and the main menu
// closes it when it closes.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "qt_app.h"
#include "services/cp1250.h"
#include "services/lock_client.h"
#include "services/qt/lock_client_form.h"
#include "services/scripted_dialogs.h"
#include "shell/qt/main_menu_form.h"
#include "test_dir.h"

namespace kj {
namespace {

// Accepts one connection on 127.0.0.1 and answers "OK" (with the line end
// that ends every reply of the lock server) to whatever comes,
// until the connection ends or the test is over.
class OkServer {
public:
    OkServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::listen(listener_, 4) == 0 &&
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~OkServer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string received() {
        std::lock_guard<std::mutex> g(mu_);
        return received_;
    }

private:
    void Serve() {
        int fd = -1;
        while (!stop_) {
            pollfd p{fd < 0 ? listener_ : fd, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0) continue;
            if (fd < 0) {
                fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                continue;
            }
            char buf[512];
            ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            {
                std::lock_guard<std::mutex> g(mu_);
                received_.append(buf, static_cast<std::size_t>(n));
            }
            (void)::send(fd, "OK\r\n", 4, MSG_NOSIGNAL);
        }
        if (fd >= 0) ::close(fd);
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mu_;
    std::string received_;
};

TEST(LockClientForm, KeepAliveTimerFollowsTheConnectionAndTheMenuClosesIt) {
    TestApp();
    TestDir dir;
    HostFileSystem files(dir.str(), dir.str());
    ScriptedDialogs ui;
    Common c(files, ui);
    c.set.station = "03";
    OkServer server;
    c.set.lockServer = server.address();

    LockClientForm client(c);
    EXPECT_EQ(client.timer1().interval(), 10000);
    EXPECT_FALSE(client.timer1().isActive());
    client.Timer1Timer();  // not connected: nothing is sent
    EXPECT_EQ(c.lock.lastReply, "");

    ASSERT_EQ(client.ConnectLockServer(), 0);
    EXPECT_EQ(c.lock.server, &client.clientSocket1());
    EXPECT_TRUE(client.timer1().isActive());
    client.Timer1Timer();
    EXPECT_EQ(c.lock.lastReply, "OK");
    EXPECT_EQ(server.received(), "Client<Vata>#$");
    EXPECT_TRUE(client.timer1().isActive());  // started again after the reply

    MainMenuForm menu(c);
    menu.menu().connectLockServer = [&client] { return client.ConnectLockServer(); };
    menu.closeLockClient = [&client] { client.Close(); };
    menu.show();
    menu.close();
    EXPECT_FALSE(client.timer1().isActive());
    EXPECT_EQ(c.lock.server, nullptr);
    EXPECT_FALSE(client.clientSocket1().connected());
}

TEST(LockClientForm, UnreachableServer) {
    TestApp();
    TestDir dir;
    HostFileSystem files(dir.str(), dir.str());
    ScriptedDialogs ui;
    Common c(files, ui);
    {
        OkServer gone;  // its port is free again once it is gone
        c.set.lockServer = gone.address();
    }
    LockClientForm client(c);
    EXPECT_EQ(client.ConnectLockServer(), 99);
    EXPECT_EQ(ui.Texts("beep"), std::vector<std::string>{
                                    "Server VELTOR není spuštěn, obraťte se na správce sítě."_cz});
    EXPECT_FALSE(client.timer1().isActive());
    EXPECT_EQ(c.lock.server, nullptr);
}

}  // namespace
}  // namespace kj
