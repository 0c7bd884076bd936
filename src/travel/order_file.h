#pragma once
// The travel order file (".cpr") of the run and how it is named. The file
// is a parameter file (GetReg/SetReg) holding the keys of both sheets.

#include <string>
#include <string_view>

#include "services/common.h"

namespace kj {

// Full path of the current travel order file; "" = none chosen (the sheets
// then use DefaultOrderFile). Lives for the whole run: the logbook's
// "Cestovní příkaz", the launcher and both sheets share it.
std::string& OrderFileName();

// The file used while OrderFileName is empty: "\veltor3w\w" + registration,
// the whole cut to 18 characters, + ".cpr".
std::string DefaultOrderFile(std::string_view registration);

// "Zapis": the name the user chose, with its file name cut before its first
// "." and ".cpr" appended ("cesta.old.txt" -> "cesta.cpr"). Dots in the
// directories of the path are left alone.
std::string CprNameOfChosen(std::string_view chosen);

// The directory where the launcher's file dialogs start.
inline constexpr const char* kOrderDirectory = "\\veltor3w";

}  // namespace kj
