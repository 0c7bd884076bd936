#include "shell/qt/station_forms.h"

#include "print/qt/print_forms.h"
#include "screens/calculator.h"
#include "screens/qt/qt_dialogs.h"
#include "shell/main_menu.h"

namespace kj {

void InstallStationForms(Common& c, QtDialogs& ui, QWidget* parent) {
    InstallPrintForms(c, parent);
    ConnectStationScreens(c);
    ui.calculator = [&c](double value) { return Calculate(c, value); };
}

}  // namespace kj
