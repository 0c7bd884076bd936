#pragma once
// Connects one station to its Qt forms: the print output (viewer, printing,
// calculator, print spool), the station's help and spool hooks that every
// list and editor calls, and the calculator of F9 in the field and choice
// dialogs.

class QWidget;

namespace kj {

class Common;
class QtDialogs;

// `parent` parents the forms (may be null).
void InstallStationForms(Common& c, QtDialogs& ui, QWidget* parent);

}  // namespace kj
