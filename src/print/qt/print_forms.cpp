#include "print/qt/print_forms.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "print/print_output.h"
#include "print/print_spool.h"
#include "print/qt/print_fonts_form.h"
#include "print/qt/print_viewer_form.h"
#include "print/qt/qt_print_canvas.h"
#include "screens/calculator.h"
#include "screens/qt/calculator_form.h"
#include "screens/qt/sys_params_form.h"
#include "screens/qt/table_browser_form.h"
#include "services/cp1250.h"
#include "services/file_system.h"
#include "services/qt/qt_text.h"

namespace kj {

std::string StationPath(Common& c, const QString& chosen) {
    auto* host = dynamic_cast<HostFileSystem*>(&c.fs);
    const QString file = QFileInfo(chosen).absoluteFilePath();
    auto under = [&](const std::string& dir) -> QString {
        const QString d = QDir(QString::fromStdString(dir)).absolutePath() + QLatin1Char('/');
        return file.startsWith(d) ? file.mid(d.size()) : QString();
    };
    QString rel;
    std::string prefix;
    if (!host) {
        rel = file;
    } else if (!(rel = under(host->hostCwd())).isEmpty()) {
        prefix = "";
    } else if (!(rel = under(host->hostRoot())).isEmpty()) {
        prefix = "\\";
    } else {
        return {};
    }
    std::string path = prefix + Utf8ToCp1250(rel.toStdString());
    for (char& ch : path)
        if (ch == '/') ch = '\\';
    return path;
}

namespace {

QString SuggestedPdf(Common& c, const std::string& printPath) {
    QFileInfo report(QString::fromStdString(c.fs.HostPath(printPath)));
    return report.absolutePath() + QLatin1Char('/') + report.completeBaseName() +
           QStringLiteral(".pdf");
}

}  // namespace

void InstallPrintForms(Common& c, QWidget* parent) {
    PrintOutput& out = PrintOutputOf(c);
    out.showViewer = [parent](TfPozri& v) {
        PrintViewerForm form(v, parent);
        form.Ukaz();
    };
    out.prepareViewer = [&c, parent](TfPozri& v) {
        v.openPrintJob = [&c, &v, parent](PrintTarget target, const std::string& printer) {
            return OpenPrintJob(target, printer, SuggestedPdf(c, v.printPath()), parent);
        };
        v.editLine = [parent](std::string& text, const std::string& title) {
            return EditPrintLine(parent, title, text);
        };
        v.chooseReport = [&c, parent]() -> std::string {
            const QString file = QFileDialog::getOpenFileName(
                parent, ToQt("Vyber novou sestavu"_cz), QDir::currentPath(),
                QStringLiteral("*.txt *.TXT"));
            if (file.isEmpty()) return {};
            const std::string path = StationPath(c, file);
            if (path.empty())
                c.ui.BeepMessage("Sestava leží mimo adresáře programu: "_cz + FromQt(file));
            return path;
        };
        v.printerSetup = [parent](const std::string& current) { return ChoosePrinter(current, parent); };
        v.fontSettings = [&c, parent] {
            PrintFontsForm form(c, parent);
            form.exec();
        };
        v.calculator = [&c] { (void)Calculate(c, 0); };
        v.systemParameters = [&c, parent] {
            SysParamsForm form(c, parent);
            (void)form.Run();
        };
    };
    ConnectCalculator(c);
    KalkulackaOf(c).show = [parent](TfKalk& k) {
        CalculatorForm form(k, parent);
        form.Run();
    };
    PrintSpoolOf(c).show = [parent](TfSpool& spool) {
        TableBrowserForm form(spool, parent);
        form.Ukaz();
    };
}

}  // namespace kj
