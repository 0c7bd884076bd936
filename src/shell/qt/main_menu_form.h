#pragma once
// TForm1: the main menu window. Renders MainMenu's state and forwards its
// events; the buttons of screens built later stay inert until then.

#include <QTimer>
#include <QWidget>
#include <functional>

#include "services/common.h"
#include "shell/main_menu.h"

class QLabel;
class QPushButton;

namespace kj {

class MainMenuForm final : public QWidget {
    Q_OBJECT
public:
    explicit MainMenuForm(Common& c, QWidget* parent = nullptr);

    MainMenu& menu() { return menu_; }
    // FormActivate, also callable by tests.
    void FormActivate();
    void Timer1Timer();

    // Closes the lock-server client; called last when the form closes.
    std::function<void()> closeLockClient;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    // Key preview: the form sees every key before the focused button.
    bool FormKeyDown(QKeyEvent* e);
    void ApplyColour();
    // Runs a list's form modally (the car list, the destinations and their
    // pick lists).
    ShowList ShowModal();

    Common& c_;
    MainMenu menu_;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QPushButton* bKnihy_jizd_ = nullptr;
    QPushButton* bcestprik_ = nullptr;
    QPushButton* bTab_cilu_ = nullptr;
    QPushButton* bTisky_ = nullptr;

public:
    QPushButton* bKnihy_jizd() const { return bKnihy_jizd_; }
    QPushButton* bTab_cilu() const { return bTab_cilu_; }

private:
    QPushButton* bhelp_ = nullptr;
    QPushButton* bpruvodce_ = nullptr;
    QTimer timer1_;
    bool closing_ = false;
};

}  // namespace kj
