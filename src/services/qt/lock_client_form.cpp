#include "services/qt/lock_client_form.h"

namespace kj {

LockClientForm::LockClientForm(Common& c, QObject* parent)
    : QObject(parent), c_(c), clientSocket1_(c) {
    timer1_.setInterval(kKeepAliveMs);
    connect(&timer1_, &QTimer::timeout, this, &LockClientForm::Timer1Timer);
    // The timer follows the link: stopped during every request, running
    // while the link is connected and idle.
    clientSocket1_.onKeepAliveTimer = [this](bool running) {
        if (running)
            timer1_.start();
        else
            timer1_.stop();
    };
}

LockClientForm::~LockClientForm() {
    clientSocket1_.onKeepAliveTimer = nullptr;
    clientSocket1_.Close();
}

int LockClientForm::ConnectLockServer() {
    return kj::ConnectLockServer(c_, clientSocket1_);
}

void LockClientForm::Close() {
    clientSocket1_.Close();
}

void LockClientForm::Timer1Timer() {
    clientSocket1_.KeepAliveTick();
}

}  // namespace kj
