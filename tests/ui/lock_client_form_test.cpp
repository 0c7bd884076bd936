// TfClient: its keep-alive timer follows the connection, and the main menu
// closes it when it closes. What a failed connection tells the user is the
// core's (lock_socket_test).

#include "kj_test.h"

#include "core/loopback.h"
#include "qt_app.h"
#include "services/lock_client.h"
#include "services/qt/lock_client_form.h"
#include "shell/qt/main_menu_form.h"

namespace kj {
namespace {

TEST(LockClientForm, KeepAliveTimerFollowsTheConnectionAndTheMenuClosesIt) {
    UiStation s;
    s.c.set.station = "03";
    // Every reply of the lock server ends with its line end.
    FakeLockServer server([](int, const LockServerRequest&) { return Action{"OK\r\n"}; });
    s.c.set.lockServer = server.address();

    LockClientForm client(s.c);
    EXPECT_FALSE(client.timer1().isActive());
    client.Timer1Timer();  // not connected: nothing is sent
    EXPECT_EQ(s.c.lock.lastReply, "");

    ASSERT_EQ(client.ConnectLockServer(), 0);
    EXPECT_EQ(s.c.lock.server, &client.clientSocket1());
    EXPECT_TRUE(client.timer1().isActive());
    client.Timer1Timer();
    EXPECT_EQ(s.c.lock.lastReply, "OK");
    EXPECT_TRUE(client.timer1().isActive());  // started again after the reply

    MainMenuForm menu(s.c);
    menu.menu().connectLockServer = [&client] { return client.ConnectLockServer(); };
    menu.closeLockClient = [&client] { client.Close(); };
    menu.show();
    menu.close();
    EXPECT_FALSE(client.timer1().isActive());
    EXPECT_EQ(s.c.lock.server, nullptr);
    EXPECT_FALSE(client.clientSocket1().connected());
}

}  // namespace
}  // namespace kj
