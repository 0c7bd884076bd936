// Knihy jízd: start-up. Reads the station's settings from its working
// directory, then shows the main menu until it closes.

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "logbook/car_list.h"
#include "logbook/destinations.h"
#include "logbook/meal_rates.h"
#include "logbook/places.h"
#include "logbook/purposes.h"
#include "logbook/trip_record.h"
#include "print/print_output.h"
#include "print/print_viewer.h"
#include "print/qt/qt_print_canvas.h"
#include "screens/qt/qt_dialogs.h"
#include "services/common.h"
#include "services/cp1250.h"
#include "services/file_system.h"
#include "services/params.h"
#include "services/scripted_dialogs.h"
#include "services/qt/lock_client_form.h"
#include "shell/qt/main_menu_form.h"
#include "shell/installation.h"
#include "shell/qt/station_forms.h"

namespace {

void Usage() {
    std::fprintf(stderr,
                 "Použití: knihy_jizd [--station] [--root ADRESÁŘ] [--grab SOUBOR.png] [--view SESTAVA]\n"
                 "                    [--pdf SESTAVA SOUBOR.pdf]\n"
                 "  --station  začne v pracovním adresáři stanice podle souboru\n"
                 "          ~/.config/knihy-jizd/stanice (zapisuje ho kj_setup);\n"
                 "          jinak začne v aktuálním adresáři\n"
                 "  --root  adresář, pod kterým leží cesty s diskem (\\X, C:\\X);\n"
                 "          jinak KJ_ROOT, jinak pracovní adresář\n"
                 "  --grab  uloží obrázek hlavní nabídky a skončí\n"
                 "  --view  ukáže tiskovou sestavu (cesta od pracovního adresáře)\n"
                 "          v prohlížeči tisků a skončí\n"
                 "  --pdf   vytiskne tiskovou sestavu do souboru PDF, jako to dělá\n"
                 "          prohlížeč tisků, bez okna a bez obrazovky, a skončí\n");
}

bool HaveDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform) return true;
    const char* x = std::getenv("DISPLAY");
    const char* w = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (w && *w);
}

// A print file (a path from the working directory, UTF-8) printed into a PDF
// file through the viewer's own print (density, top lines, print fonts),
// without a window; messages go to stderr. 0 when the PDF was written.
int PrintToPdf(kj::Common& c, const std::string& report, const std::string& pdf) {
    std::string path = kj::Utf8ToCp1250(report);
    for (char& ch : path)
        if (ch == '/') ch = '\\';
    kj::TfPozri viewer(c);
    bool started = false;
    viewer.openPrintJob = [&](kj::PrintTarget, const std::string&) {
        auto job = kj::StartPdfJob(QString::fromStdString(pdf));
        started = job != nullptr;
        return job;
    };
    if (!viewer.LoadPrintFile(path)) return 1;
    viewer.PrintOnPrinter(kj::PrintTarget::Pdf);
    viewer.Release();
    if (!started) {
        std::fprintf(stderr, "knihy_jizd: soubor %s nelze vytvořit\n", pdf.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string root;
    std::string grab;
    std::string view;
    std::string pdfReport, pdfFile;
    bool station = false, rootGiven = false;
    if (const char* env = std::getenv("KJ_ROOT")) root = env;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--root") == 0 && i + 1 < argc) {
            root = argv[++i];
            rootGiven = true;
        } else if (std::strcmp(argv[i], "--grab") == 0 && i + 1 < argc) {
            grab = argv[++i];
        } else if (std::strcmp(argv[i], "--station") == 0) {
            station = true;
        } else if (std::strcmp(argv[i], "--view") == 0 && i + 1 < argc) {
            view = argv[++i];
        } else if (std::strcmp(argv[i], "--pdf") == 0 && i + 2 < argc) {
            pdfReport = argv[++i];
            pdfFile = argv[++i];
        } else {
            Usage();
            return 2;
        }
    }
    // Printing into a PDF needs no screen.
    if (!pdfFile.empty() && !HaveDisplay()) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!HaveDisplay()) {
        std::fprintf(stderr,
                     "Knihy jízd: není k dispozici grafická obrazovka (DISPLAY není nastaveno).\n"
                     "Spusťte program v grafickém sezení, nebo bez obrazovky takto:\n"
                     "  xvfb-run -a knihy_jizd\n");
        return 1;
    }
    // Started from the menu: the station's working directory and drive root
    // from the user's station file; what is missing is told once the
    // dialogs can show it.
    std::string stationProblem;
    if (station) {
        const kj::setup::StationStart s = kj::setup::FindStation(
            kj::setup::StationLinkPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
        stationProblem = s.problem;
        if (stationProblem.empty() && ::chdir(s.link.workDir.c_str()) != 0)
            stationProblem = kj::Utf8ToCp1250("Nelze přejít do pracovního adresáře stanice ") +
                             kj::Utf8ToCp1250(s.link.workDir.string());
        if (stationProblem.empty()) {
            if (!rootGiven) root = s.link.root.string();
            if (s.link.umask >= 0) ::umask(static_cast<mode_t>(s.link.umask));
        }
    }
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd) == nullptr) return 1;
    if (root.empty()) root = cwd;
    char resolved[4096];
    if (::realpath(root.c_str(), resolved) != nullptr) root = resolved;

    QApplication app(argc, argv);
    kj::HostFileSystem fs(cwd, root);
    if (!pdfFile.empty()) {
        kj::StderrDialogs messages;
        kj::Common c(fs, messages);
        kj::InitCommon(c);
        return PrintToPdf(c, pdfReport, pdfFile);
    }
    kj::QtDialogs ui(fs);
    kj::Common c(fs, ui);
    ui.SetCommon(&c);
    c.workAreaSize = [] {
        QRect r = QGuiApplication::primaryScreen()->availableGeometry();
        return std::pair{r.width(), r.height()};
    };
    if (!stationProblem.empty()) {
        ui.BeepMessage(stationProblem);
        return 1;
    }
    kj::InitCommon(c);
    // The print viewer, its printing, the calculator and the print spool on
    // their forms; F1 help and Ctrl+F2 in every list and editor; F9 in the
    // field and choice dialogs opens the calculator.
    kj::InstallStationForms(c, ui, nullptr);
    if (!view.empty()) {
        std::string path = kj::Utf8ToCp1250(view);
        for (char& ch : path)
            if (ch == '/') ch = '\\';
        kj::ViewPrintFile(c, path);
        return 0;
    }
    // The record layouts of the lists against their columns, once.
    for (const std::string& problem :
         {kj::CheckCarLayout(), kj::CheckPurposeLayout(), kj::CheckPlaceLayout(),
          kj::CheckMealRateLayout(), kj::CheckDestinationLayout(), kj::CheckTripLayout()}) {
        if (problem.empty()) continue;
        ui.BeepMessage(problem);
        return 1;
    }

    // TfClient: the lock-server connection, opened by the main menu's
    // activation when a server address is configured.
    kj::LockClientForm client(c);
    kj::MainMenuForm menu(c);
    menu.menu().connectLockServer = [&client] { return client.ConnectLockServer(); };
    menu.closeLockClient = [&client] { client.Close(); };
    menu.EndOnSignals();
    menu.show();
    menu.activateWindow();  // also without a window manager (a bare X server)
    if (!grab.empty()) {
        QTimer::singleShot(300, [&] {
            menu.grab().save(QString::fromStdString(grab));
            menu.close();
        });
    }
    return app.exec();
}
