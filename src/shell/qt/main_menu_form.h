#pragma once
// TForm1: the main menu window. Renders MainMenu's state and forwards its
// events; the buttons of screens not built yet tell the user so.

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "services/common.h"
#include "shell/end_signals.h"
#include "shell/main_menu.h"

class QLabel;
class QPushButton;
class QSocketNotifier;

namespace kj {

class CalendarForm;
class TravelOrderForms;

class MainMenuForm final : public QWidget {
    Q_OBJECT
public:
    explicit MainMenuForm(Common& c, QWidget* parent = nullptr);
    ~MainMenuForm() override;

    MainMenu& menu() { return menu_; }
    // FormActivate, also callable by tests.
    void FormActivate();
    void Timer1Timer();

    // Closes the lock-server client; called last when the form closes.
    std::function<void()> closeLockClient;

    // SIGTERM and SIGHUP end the program from now on, as EndRun.
    void EndOnSignals();
    // Ends the program as Esc does: every open window is left as with Esc
    // (a list closes and releases its file, the travel order saves its
    // sheets), then, once the button's loop that opened them has finished,
    // this form closes.
    void EndRun();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    // Key preview: the form sees every key before the focused button.
    bool FormKeyDown(QObject* watched, QKeyEvent* e);
    // F1 or a right click on a button: its help topic.
    void ButtonHelp(QObject* button);
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
    QPushButton* bcestprik() const { return bcestprik_; }
    QPushButton* bTab_cilu() const { return bTab_cilu_; }
    QPushButton* bTisky() const { return bTisky_; }
    QPushButton* bhelp() const { return bhelp_; }
    QPushButton* bpruvodce() const { return bpruvodce_; }

private:
    QPushButton* bhelp_ = nullptr;
    QPushButton* bpruvodce_ = nullptr;
    // The calendar's form, a window of its own (not one of the menu's).
    std::unique_ptr<CalendarForm> calendar_;
    std::unique_ptr<TravelOrderForms> travel_;
    QTimer timer1_;
    bool closing_ = false;
    std::unique_ptr<EndSignals> endSignals_;
    QSocketNotifier* endNotifier_ = nullptr;
    int endRounds_ = 0;
    int running_ = 0;  // a button's loop still runs (lists open one after another)
};

}  // namespace kj
