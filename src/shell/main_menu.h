#pragma once
// The main menu's behaviour without its widgets: what happens when the menu
// is activated, at every watchdog tick and when it closes. TForm1 (Qt) only
// renders this state and forwards its events here.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "services/common.h"

namespace kj {

class TfSoub;
class TfKJ_auta;
class TfKJCile;
class TfKJ_jizdy;
class TfKalendar;

// Shows a list modally until it closes (the view runs its form).
using ShowList = std::function<void(TfSoub&)>;

// The buttons of the main menu that have a help topic.
enum class MenuButton { KnihyJizd, Cestprik, TabCilu, Tisky, Help };

class MainMenu {
public:
    explicit MainMenu(Common& c);
    ~MainMenu();

    // FormActivate. Returns false when the program must end (the lock
    // server could not be reached); caption and colour are then unchanged.
    bool Activate();
    // Timer1Timer. Returns true when the master program has let go of this
    // user three ticks in a row: the message has been shown and the menu
    // must close.
    bool WatchdogTick();
    // FormClose: the "* KONEC" protocol line.
    void Close();

    // bKnihy_jizdClick: the car list over "kj_auta.dta" until it is left
    // with Esc; Enter makes the chosen car AktualniVozidlo, closes the list
    // (with its sort) and opens that car's logbook, shown the same way; its
    // closing step (the sort after changes) runs when it is left, and the
    // car list comes back. A deleted car cannot be chosen.
    void RunCarListLoop(const ShowList& show);
    // bTab_ciluClick: the destinations over "kjcile.dta"; its pick lists
    // are shown the same way.
    void RunDestinations(const ShowList& show);
    // bTiskyClick: the print spool until it is left with Esc; a report
    // chosen with Enter is shown in the viewer and the spool comes back.
    void RunPrintSpool();
    // F1 or a right click on a button, and bhelpClick: the button's topic
    // (Common::showHelp).
    void ButtonHelp(MenuButton button);

    // Opens the chosen car's logbook (its file name) instead of the loop's
    // own (tests).
    std::function<void(const std::string&)> openLogbook;
    TfKJ_auta& carList();
    TfKJCile& destinations();
    // The trip logbook and the working-day calendar, made once.
    TfKJ_jizdy& kniha();
    TfKalendar& kalendar();

    // Number of cars for the closing protocol line.
    int CarCount() const;


    const std::string& caption() const { return caption_; }
    int colour() const { return colour_; }
    bool timerEnabled() const { return timerEnabled_; }

    // Connects the lock-server client; 0 when connected. Set by the lock
    // client when a server address is configured.
    std::function<int()> connectLockServer;

private:
    Common& c_;
    std::string caption_;
    int colour_ = 0;
    bool timerEnabled_ = true;
    std::unique_ptr<TfKJ_auta> auta_;
    std::unique_ptr<TfKJCile> cile_;
    std::unique_ptr<TfKalendar> kalendar_;
    std::unique_ptr<TfKJ_jizdy> kniha_;
};

// The logbook file of a car: its registration without blanks, upper-cased,
// with ".dta".
std::string LogbookFileName(const std::string& registration);

// Fills the station's hooks that the lists, editors and dialogs below the
// shell call: F1 help (ShowHelp) and Ctrl+F2 the print spool.
void ConnectStationScreens(Common& c);

}  // namespace kj
