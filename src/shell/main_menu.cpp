#include "shell/main_menu.h"

#include "logbook/car_list.h"
#include "logbook/destinations.h"
#include "logbook/logbook_reports.h"
#include "logbook/trip_generator.h"
#include "logbook/trip_logbook.h"
#include "logbook/working_calendar.h"
#include "print/help_text.h"
#include "print/print_output.h"
#include "print/print_spool.h"
#include "screens/key_codes.h"
#include "services/cp1250.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/protocol.h"
#include "services/record_file.h"

namespace kj {
namespace {
constexpr int kCarRecordLength = 231;
}

MainMenu::MainMenu(Common& c) : c_(c) {}
MainMenu::~MainMenu() = default;

TfKJ_auta& MainMenu::carList() {
    if (!auta_) auta_ = std::make_unique<TfKJ_auta>(c_);
    return *auta_;
}

TfKJCile& MainMenu::destinations() {
    if (!cile_) cile_ = std::make_unique<TfKJCile>(c_);
    return *cile_;
}

TfKalendar& MainMenu::kalendar() {
    if (!kalendar_) kalendar_ = std::make_unique<TfKalendar>(c_);
    return *kalendar_;
}

TfKJ_jizdy& MainMenu::kniha() {
    if (!kniha_) {
        kniha_ = std::make_unique<TfKJ_jizdy>(c_);
        kniha_->kalendar = &kalendar();
        // Ctrl+V and Ctrl+O: the reports over the current car's book, with
        // the period the browser keeps between them.
        using Report = ReportOutcome (*)(Common&, const VetaAuta&, std::string_view, ObdobiJizd&);
        auto report = [this](Report run) {
            return [this, run](TfKJ_jizdy& book) {
                ObdobiJizd period{book.obdobiOd, book.obdobiDo};
                (void)run(c_, AktualniVozidlo(), AktualniVozidlo().SouborKnihy(), period);
                book.obdobiOd = period.odData;
                book.obdobiDo = period.doData;
            };
        };
        kniha_->knihaSVyhodnocenim = report(&KnihaJizdSVyhodnocenim);
        kniha_->opisSMezisoucty = report(&OpisSMezisoucty);
    }
    return *kniha_;
}

void MainMenu::RunCarListLoop(const ShowList& show) {
    TfKJ_auta& list = carList();
    for (;;) {
        list.Otevri("kj_auta.dta");
        if (show) show(list);
        if (list.key() != key::kReturn || !list.VyberVozidlo()) {
            list.Zavri();
            return;
        }
        const std::string logbook = AktualniVozidlo().SouborKnihy();
        list.Zavri();
        if (openLogbook) {
            openLogbook(logbook);
            continue;
        }
        TfKJ_jizdy& book = kniha();
        book.Otevri(logbook);
        if (show) show(book);
        book.Zavri();
    }
}

void MainMenu::RunDestinations(const ShowList& show) {
    TfKJCile& list = destinations();
    list.showPickList = show;
    list.Otevri("kjcile.dta");
    if (show) show(list);
    list.Zavri();
}

void MainMenu::RunPrintSpool() {
    TfSpool& spool = PrintSpoolOf(c_);
    if (spool.showing()) return;
    spool.Otevri();
    while (spool.Ukaz() && spool.key() == key::kReturn && spool.current() >= 1) {
        // The report where it lies, also in a directory of "_sestavy.kde".
        ShowPrintFile(c_, spool.ReportPath(spool.current()));
    }
    spool.Zavri();
}

void MainMenu::ButtonHelp(MenuButton button) {
    if (!c_.showHelp) return;
    switch (button) {
        case MenuButton::KnihyJizd: c_.showHelp("\\kj\\kj", "KNIHY JÍZD"_cz); break;
        case MenuButton::Cestprik:
            c_.showHelp("\\kj\\kj", "Cestovní příkaz a vyúčtování prac.cest"_cz);
            break;
        case MenuButton::TabCilu: c_.showHelp("\\kj\\kj", "Tabulka cílů"_cz); break;
        case MenuButton::Tisky: c_.showHelp("\\2\\spool", "Tisky"); break;
        case MenuButton::Help: c_.showHelp("\\kj\\kj", "knihy jízd"_cz); break;
    }
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
    return KlicKnihy(registration) + ".dta";
}

void ConnectStationScreens(Common& c) {
    c.showHelp = [&c](std::string_view helpFile, std::string_view topic) {
        ShowHelp(c, helpFile, topic);
    };
    c.showPrintSpool = [&c] { ShowPrintSpool(c); };
}

}  // namespace kj
