#include "travel/qt/travel_order_forms.h"

#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "print/qt/print_forms.h"
#include "print/qt/qt_print_canvas.h"
#include "services/cp1250.h"
#include "services/qt/qt_text.h"
#include "travel/order_file.h"
#include "travel/qt/sheet_form.h"
#include "travel/sheet_print.h"

namespace kj {

LauncherForm::LauncherForm(TForm5& launcher, QWidget* parent)
    : QWidget(parent, Qt::Window), launcher_(launcher) {
    setWindowTitle(ToQt(TForm5::Caption()));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    menu_ = new QMenuBar(this);
    for (const std::string& item : TForm5::MenuItems()) {
        QAction* a = menu_->addAction(QString::fromStdString(item));
        if (item == "Help") a->setShortcut(QKeySequence(Qt::Key_F1));
        connect(a, &QAction::triggered, this, [this, item] { Choose(item); });
    }
    column->setMenuBar(menu_);
    // The hidden START button runs the start-up when the window opens.
    start_ = new QPushButton(QStringLiteral("START"), this);
    start_->hide();
    // A launcher closed before START came round opens no sheets.
    connect(start_, &QPushButton::clicked, this, [this] {
        if (isVisible()) launcher_.Start();
    });
    column->addStretch();
    resize(360, 40);
}

void LauncherForm::Choose(const std::string& item) {
    if (item == "1.list") launcher_.List1();
    if (item == "2.list") launcher_.List2();
    if (item == "Nacti") launcher_.Nacti();
    if (item == "Zapis") launcher_.Zapis();
    if (item == "Help") launcher_.Help();
}

void LauncherForm::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    QTimer::singleShot(0, start_, &QPushButton::click);
}

void LauncherForm::closeEvent(QCloseEvent* e) {
    if (closing) closing();
    QWidget::closeEvent(e);
}

void LauncherForm::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

TravelOrderForms::TravelOrderForms(Common& c, std::string& orderFile, const VetaAuta& car)
    : c_(c), orderFile_(orderFile), car_(car), order_(c, orderFile, car), settlement_(c, orderFile, car),
      launcher_(c, order_, settlement_, orderFile) {
    launcherForm_ = new LauncherForm(launcher_, nullptr);
    orderForm_ = new SheetForm(c, order_.texts(), order_.printWithPicture, launcherForm_);
    settlementForm_ = new SheetForm(c, settlement_.texts(), settlement_.printWithPicture, launcherForm_);
    Wire(*orderForm_, *settlementForm_, false);
    Wire(*settlementForm_, *orderForm_, true);
    launcher_.showSheet = [this](Sheet s) { Show(s); };
    launcher_.reloadPictures = [this] {
        (void)orderForm_->LoadPicture();
        (void)settlementForm_->LoadPicture();
    };
    launcher_.chooseOpen = [this](const FileChoice& f) { return ChooseFile(f, false); };
    launcher_.chooseSave = [this](const FileChoice& f) { return ChooseFile(f, true); };
    launcherForm_->closing = [this] {
        // Closing the launcher closes both sheets, and so saves them.
        orderForm_->close();
        settlementForm_->close();
        launcher_.Close();
    };
}

TravelOrderForms::~TravelOrderForms() { delete launcherForm_; }

void TravelOrderForms::Wire(SheetForm& form, SheetForm& other, bool settlement) {
    form.swap = [this, &other] { Show(&other == orderForm_ ? Sheet::Order : Sheet::Settlement); };
    form.edited = [this, settlement] {
        if (settlement)
            settlement_.MarkChanged();
        else
            order_.MarkChanged();
    };
    form.closing = [this, settlement] {
        if (settlement)
            settlement_.CloseSettlementSheet();
        else
            order_.CloseOrderSheet();
    };
    form.keep = [this, settlement] {
        if (settlement)
            settlement_.SaveSettlementSheet();
        else
            order_.SaveOrderSheet();
    };
    if (settlement) {
        form.left = [this](const std::string& field) {
            if (!Tfvpc::RecalculatesOnLeave(field)) return;
            settlement_.Recalculate();
            settlementForm_->ShowLabels();
        };
        form.beforePrint = [this] { settlement_.Recalculate(); };
    }
    form.print = [this, settlement] {
        if (settlement)
            Print(settlement_.texts(), settlement_.printWithPicture);
        else
            Print(order_.texts(), order_.printWithPicture);
    };
    form.printerSetup = [this, &form] { PrinterSetup(&form); };
    form.calibrate = [this] { (void)CalibrateSheet(c_); };
}

void TravelOrderForms::Show(Sheet sheet) {
    SheetForm& form = sheet == Sheet::Order ? *orderForm_ : *settlementForm_;
    if (!form.isVisible()) {
        // The sheets open under the launcher, which stays in sight.
        const QRect l = launcherForm_->frameGeometry();
        form.move(l.left(), l.bottom() + 8);
    }
    form.ShowTexts();
    form.show();
    form.raise();
    // The keyboard goes to the sheet asked for last, once the window system
    // has shown them all: the start-up shows both sheets, and a sheet
    // activated at once lost the keyboard to the other one mapped after it,
    // so the user typed into the sheet out of sight.
    topSheet_ = &form;
    QTimer::singleShot(0, launcherForm_, [this] {
        if (topSheet_ == nullptr || !topSheet_->isVisible()) return;
        topSheet_->raise();
        topSheet_->activateWindow();
    });
}

void TravelOrderForms::OpenFromMenu() {
    if (launcherForm_->isVisible()) {
        launcherForm_->raise();
        launcherForm_->activateWindow();
        return;
    }
    launcher_.OpenWithoutTrips();
    launcherForm_->show();
}

void TravelOrderForms::OpenFromLogbook(const std::string& orderFile, std::vector<VetaJizdy> marked) {
    // A launcher left open from the main menu is closed first (its sheets
    // are saved), so that this one runs on the car's own file.
    if (launcherForm_->isVisible()) launcherForm_->close();
    launcher_.OpenWithTrips(orderFile,
                            [marked = std::move(marked)] { return marked; });
    launcherForm_->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    QObject::connect(launcherForm_, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [this, &loop] {
        if (!launcherForm_->isVisible()) loop.quit();
    });
    launcherForm_->show();
    watch.start(50);
    loop.exec();
    launcherForm_->setWindowModality(Qt::NonModal);
}

std::unique_ptr<PrintJob> TravelOrderForms::DefaultPrintJob() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (printer_->outputFormat() == QPrinter::PdfFormat && printer_->outputFileName().isEmpty()) {
        const QString file = QFileDialog::getSaveFileName(
            launcherForm_, QStringLiteral("Tisk do PDF"),
            QString::fromStdString(c_.fs.HostPath("cestovni_prikaz.pdf")), QStringLiteral("PDF (*.pdf)"));
        if (file.isEmpty()) return nullptr;
        return StartPdfJob(file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) ? file : file + QStringLiteral(".pdf"));
    }
    auto copy = std::make_unique<QPrinter>(QPrinter::HighResolution);
    copy->setPrinterName(printer_->printerName());
    copy->setOutputFormat(printer_->outputFormat());
    copy->setOutputFileName(printer_->outputFileName());
    copy->setPageLayout(printer_->pageLayout());
    copy->setCopyCount(printer_->copyCount());
    return StartPrintJob(std::move(copy));
}

void TravelOrderForms::Print(const SheetTexts& texts, bool withPicture) {
    std::unique_ptr<PrintJob> job = openPrintJob ? openPrintJob() : DefaultPrintJob();
    if (!job) {
        if (!openPrintJob) c_.ui.BeepMessage("Tisk se nepodařil: tiskárna není připravena"_cz);
        return;
    }
    c_.ui.ShowBusy("Probíhá tisk"_cz);
    const int rc = PrintSheet(c_, *job, texts, withPicture);
    c_.ui.CloseBusy();
    if (rc != 0) c_.ui.BeepMessage("Tisk se nepodařil, chyba "_cz + std::to_string(rc));
}

void TravelOrderForms::PrinterSetup(QWidget* parent) {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer_.get(), parent);
    dialog.setWindowTitle(ToQt("Nastavení tiskárny"_cz));
    dialog.exec();
}

std::string TravelOrderForms::ChooseFile(const FileChoice& choice, bool save) {
    const QString dir = QString::fromStdString(c_.fs.HostPath(choice.directory));
    QDir().mkpath(dir);
    QString filters = ToQt("Cestovní příkazy (*.cpr)"_cz);
    if (choice.filter.find("*.*") != std::string::npos) filters += ToQt(";;Všechny soubory (*)"_cz);
    const QString chosen =
        save ? QFileDialog::getSaveFileName(launcherForm_, ToQt(choice.title.empty() ? "Zapis" : choice.title),
                                            choice.fileName.empty() ? dir : QDir(dir).filePath(ToQt(choice.fileName)),
                                            filters)
             : QFileDialog::getOpenFileName(launcherForm_, ToQt(choice.title), dir, filters);
    if (chosen.isEmpty()) return {};
    const std::string path = StationPath(c_, chosen);
    if (path.empty()) c_.ui.BeepMessage("Soubor leží mimo adresáře programu: "_cz + FromQt(chosen));
    return path;
}

}  // namespace kj
