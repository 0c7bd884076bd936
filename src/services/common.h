#pragma once
// The station: everything one running program holds for the whole run.
// Services take a Common& instead of reaching for globals, so a test can run
// two stations side by side in one process (two Common objects over one data
// directory, each with its own working directory and station number).

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "services/dialogs.h"
#include "services/file_system.h"

namespace kj {

class LockServerLink;  // the lock-server connection (lock_client.h)
class PrintOutput;     // the print writer and viewer (print/print_output.h)
class TfKalk;          // the calculator (screens/calculator.h)
class TfSpool;         // the print spool (print/print_spool.h)

// Start-up settings read once by InitCommon. Texts are Windows-1250.
struct Settings {
    bool loaded = false;              // master.job was found at start-up
    std::string station = "  ";       // 2 digits, "  " before InitCommon
    int stationIndex = 0;             // 0..99
    std::string lockServer;           // "SERVER1" + "SERVER2"; empty = lock register
    std::string computer;             // "POCITAC", 4 characters
    std::string accYear, accPeriod;   // "UcRok", "UcObd"
    double euroRate = 0;              // "KursEU"
    std::string euroCurrency;         // "MenaEU"
    std::string homeCurrency = "CZK"; // "MENA", 3 characters
    double tax[4] = {0, 0, 0, 0};     // "DAN1".."DAN3" (index 1..3)
    std::string taxText[4];           // each rate with "##"
    double taxCoef[4] = {0, 0, 0, 0}; // rate / (100 + rate), rounded to 12 decimals
    int tableWidth = 0;               // "TAB"
    int linesPerPage = 64;            // "LIMRAD"
    int printerPort = 0;              // "OB_PORT"
    bool formFeed = false;            // "FMA343"
    bool newSheet = false;            // "NovyList"
    bool pricePrint = false;          // "CencTisk" in par\okna2.par
    int printResX = 300, printResY = 300;
    int printCharMode = 0;            // 0..5 from "MONPAR" and "DIAKTISK"
    bool personalData = false;        // "GDPR" in the data directory
    std::string userSlot;             // this station's user-table word, "@@@@"
    std::string currentDir;           // upper-cased, final "\"
    std::string dataDir;              // DataPath(""), upper-cased
    bool customerFlag[13] = {};       // customer switches from "ZAK1" (1..12)
};

// Process-wide lock state.
struct LockState {
    bool lockingOff = false;   // data directory equals the current directory
    bool stopWaiting = false;  // set from the timed note: stop waiting for the register
    std::string lastReply;     // last reply of the lock server
    LockServerLink* server = nullptr;
};

class Common {
public:
    Common(FileSystem& fs, Dialogs& ui) : fs(fs), ui(ui) { ui.AttachStation(this); }
    ~Common() {
        if (ui.station() == this) ui.AttachStation(nullptr);
    }
    Common(const Common&) = delete;
    Common& operator=(const Common&) = delete;

    FileSystem& fs;
    Dialogs& ui;
    Settings set;
    LockState lock;

    // Directory caches of DataPath/ProgPath; "*" = not yet known.
    std::string dataDirCache = "*";
    std::string progDirCache = "*";

    // The job table as read during InitCommon (later reads go to the file).
    bool initializing = false;
    std::string jobTableCache;

    // Watchdog of the master program.
    int abandonCounter = 0;
    bool slotRemembered = false;
    std::string rememberedSlot;

    // The station's one print writer with its viewer, its calculator and
    // its print spool. Each is made on first use by its own module
    // (PrintOutputOf, KalkulackaOf, PrintSpoolOf) and lives as long as the
    // station.
    std::shared_ptr<PrintOutput> printOutput;
    std::shared_ptr<TfKalk> calculator;
    std::shared_ptr<TfSpool> printSpool;

    // Screens of the upper layers that the lists, editors and dialogs below
    // them open: F1 help (helpFile, topic; ShowHelp) and Ctrl+F2 the print
    // spool. The program fills them at start-up; while empty the keys do
    // nothing.
    std::function<void(std::string_view helpFile, std::string_view topic)> showHelp;
    std::function<void()> showPrintSpool;

    // Clock for protocol stamps and dates; tests set a fixed one.
    std::function<std::time_t()> now = [] { return std::time(nullptr); };

    // Desktop area outside the task bar, in pixels (WorkAreaSize); the Qt
    // side puts the real screen here.
    std::function<std::pair<int, int>()> workAreaSize = [] { return std::pair{1024, 768}; };
};

}  // namespace kj
