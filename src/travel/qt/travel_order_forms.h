#pragma once
// The travel order on the screen: the launcher TForm5 ("CESTOVNÍ PŘÍKAZ",
// menu "1.list", "2.list", "Nacti", "Zapis", "Help") and the two sheets,
// made once for the run and shown and hidden as the user works.
//
// Entry points for the rest of the program:
//   OpenFromMenu()              the main menu's "Cestovní příkaz": the file
//                               name is cleared, the launcher opens and the
//                               caller goes on;
//   OpenFromLogbook(file, trips) the logbook's "Cestovní příkaz" (Ctrl+C): the
//                               file the logbook names for its car, both sheets
//                               filled from the trips marked with Insert (in
//                               logbook order); returns when the launcher
//                               is closed.
// Prints go to the printer chosen with "Nastavení tiskárny" (one for both
// sheets; Qt's printer dialog also prints into a PDF file).

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "logbook/car_list.h"
#include "print/print_viewer.h"
#include "services/common.h"
#include "travel/order_sheet.h"
#include "travel/settlement_sheet.h"
#include "travel/order_file.h"
#include "travel/travel_order.h"

class QMenuBar;
class QPrinter;
class QPushButton;

namespace kj {

class SheetForm;

class LauncherForm final : public QWidget {
    Q_OBJECT
public:
    LauncherForm(TForm5& launcher, QWidget* parent);

    QMenuBar* menu() const { return menu_; }
    // Runs the menu item with this caption ("1.list" ... "Help").
    void Choose(const std::string& item);

    std::function<void()> closing;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    TForm5& launcher_;
    QMenuBar* menu_ = nullptr;
    QPushButton* start_ = nullptr;
};

class TravelOrderForms {
public:
    // `orderFile` and `car` (normally OrderFileName() and AktualniVozidlo())
    // outlive the forms. The windows are top-level windows of their own.
    explicit TravelOrderForms(Common& c, std::string& orderFile = OrderFileName(),
                              const VetaAuta& car = AktualniVozidlo());
    ~TravelOrderForms();
    TravelOrderForms(const TravelOrderForms&) = delete;
    TravelOrderForms& operator=(const TravelOrderForms&) = delete;

    void OpenFromMenu();
    void OpenFromLogbook(const std::string& orderFile, std::vector<VetaJizdy> marked);

    // Where a print goes; by default the printer of "Nastavení tiskárny"
    // (asking for a file when that is a PDF file without a name). Null:
    // nothing printed.
    std::function<std::unique_ptr<PrintJob>()> openPrintJob;

    TForm5& launcher() { return launcher_; }
    Tfcestprik& order() { return order_; }
    Tfvpc& settlement() { return settlement_; }
    LauncherForm& launcherForm() { return *launcherForm_; }
    SheetForm& orderForm() { return *orderForm_; }
    SheetForm& settlementForm() { return *settlementForm_; }

private:
    void Wire(SheetForm& form, SheetForm& other, bool settlement);
    void Print(const SheetTexts& texts, bool withPicture);
    std::unique_ptr<PrintJob> DefaultPrintJob();
    void PrinterSetup(QWidget* parent);
    std::string ChooseFile(const FileChoice& choice, bool save);
    void Show(Sheet sheet);

    Common& c_;
    std::string& orderFile_;
    const VetaAuta& car_;
    Tfcestprik order_;
    Tfvpc settlement_;
    TForm5 launcher_;
    std::unique_ptr<QPrinter> printer_;
    LauncherForm* launcherForm_ = nullptr;
    SheetForm* orderForm_ = nullptr;
    SheetForm* settlementForm_ = nullptr;
    SheetForm* topSheet_ = nullptr;  // the sheet shown last, to take the keyboard
};

}  // namespace kj
