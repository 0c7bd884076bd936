#pragma once
// TfClient: the lock-server client of the station, its connection
// (ClientSocket1) and the keep-alive timer Timer1 of 10,000 ms. It lives for
// the whole run; the main menu connects it at activation and closes it when
// the menu closes.

#include <QObject>
#include <QTimer>

#include "services/common.h"
#include "services/lock_socket.h"

namespace kj {

class LockClientForm final : public QObject {
    Q_OBJECT
public:
    explicit LockClientForm(Common& c, QObject* parent = nullptr);
    ~LockClientForm() override;

    // ConnectLockServer: 0 when connected or when no server is configured,
    // 99 when the server cannot be reached (the user has been told).
    int ConnectLockServer();
    // Closes the connection; the keep-alive stops.
    void Close();

    TcpLockServerLink& clientSocket1() { return clientSocket1_; }
    const QTimer& timer1() const { return timer1_; }
    void Timer1Timer();

private:
    Common& c_;
    QTimer timer1_;
    TcpLockServerLink clientSocket1_;
};

}  // namespace kj
