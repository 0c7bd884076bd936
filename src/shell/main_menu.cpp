#include "shell/main_menu.h"

#include "services/cp1250.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/protocol.h"
#include "services/record_file.h"

namespace kj {
namespace {
constexpr int kCarRecordLength = 231;
}

bool MainMenu::Activate() {
    if (!c_.set.lockServer.empty()) {
        timerEnabled_ = false;  // the watchdog never runs beside a lock server
        int rc = connectLockServer ? connectLockServer() : 99;
        if (rc != 0) return false;
    }
    caption_ = ("VELTOR " + c_.set.station).substr(0, 9);
    colour_ = StrToIntLoose(GetReg(c_, "par\\sys.par", "Pozadi0"));
    EraseFiles(c_, ProgPath(c_, "\\KJ\\par\\okna2.par"));
    return true;
}

bool MainMenu::WatchdogTick() {
    timerEnabled_ = false;
    if (MasterLeft(c_)) {
        if (c_.abandonCounter < 2) {
            ++c_.abandonCounter;
            timerEnabled_ = true;
            return false;
        }
        c_.ui.BeepMessage("Program \"Knihy jízd\" byl opuštěn programem VELTOR"_cz);
        return true;
    }
    c_.abandonCounter = 0;
    timerEnabled_ = true;
    return false;
}

int MainMenu::CarCount() const {
    std::int32_t size = FileSizeOf(c_, DataPath(c_, "kj_auta.dta"));
    return size > 0 ? size / kCarRecordLength : 0;
}

void MainMenu::Close() {
    WriteProtocol(c_, "* KONEC Knihy jízd, n="_cz + FormatPic("###", CarCount()));
}

std::string LogbookFileName(const std::string& registration) {
    return UpperCz(RemoveSpaces(registration)) + ".dta";
}

}  // namespace kj
