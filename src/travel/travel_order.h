#pragma once
// TForm5 without its window: the launcher of the travel order ("CESTOVNÍ
// PŘÍKAZ") that switches between the two sheets, loads a travel order
// file or gives the current one a new name. It owns nothing: the sheets
// and OrderFileName are the caller's and outlive it.
//
// How it is opened:
//   - from the main menu: OrderFileName cleared, no trips (OpenWithoutTrips);
//   - from the logbook's "Cestovní příkaz" (Ctrl+C): OrderFileName set to
//     the file the logbook names for its car and the trips marked with
//     Insert as the source
//     (OpenWithTrips); START then fills both sheets from them.
// The file dialogs and the windows are the Qt side's, reached through the
// hooks below.

#include <functional>
#include <string>
#include <vector>

#include "logbook/trip_record.h"
#include "services/common.h"
#include "travel/order_sheet.h"
#include "travel/settlement_sheet.h"

namespace kj {

enum class Sheet { Order, Settlement };

// The trips marked for the travel order, in logbook order, read when a
// sheet is filled.
using MarkedTrips = std::function<std::vector<VetaJizdy>()>;

// What a file dialog is asked to show. Paths are the system's
// (Windows-1250, "\" separators).
struct FileChoice {
    std::string title;
    std::string filter;     // "*.cpr", "*.cpr||*.*"
    std::string directory;  // where it starts
    std::string fileName;   // preselected name ("" = none)
};

class TForm5 {
public:
    TForm5(Common& c, Tfcestprik& order, Tfvpc& settlement, std::string& orderFile);

    static std::string Caption();                 // "CESTOVNÍ PŘÍKAZ"
    static std::vector<std::string> MenuItems();  // "1.list" ... "Help"

    // Prepares an opening: the name the sheets use and where their trips
    // come from. The window then runs Start.
    void OpenWithoutTrips();
    void OpenWithTrips(std::string fileName, MarkedTrips trips);

    // Menu items.
    void List1();  // "1.list": the travel order
    void List2();  // "2.list": the settlement
    void Nacti();  // load a travel order file
    void Zapis();  // give the travel order a new file name
    void Help();   // "Help", F1
    // The hidden START button, pressed when the window opens.
    void Start();
    // FormClose: both sheets close (and save what they hold).
    void Close();

    // Hooks of the windows.
    std::function<void(Sheet)> showSheet;   // shows a sheet in front
    std::function<void()> reloadPictures;   // both form pictures again
    // A file dialog; returns the chosen path, "" when cancelled.
    std::function<std::string(const FileChoice&)> chooseOpen;
    std::function<std::string(const FileChoice&)> chooseSave;

    const std::string& orderFile() const { return orderFile_; }

private:
    void Fill();

    Common& c_;
    Tfcestprik& order_;
    Tfvpc& settlement_;
    std::string& orderFile_;
    MarkedTrips trips_;
    // The open dialog's filter, last directory and file: the save dialog
    // starts there.
    std::string openFilter_ = "*.cpr";
    std::string dialogDirectory_;
    std::string dialogFile_;
};

}  // namespace kj
