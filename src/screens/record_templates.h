#pragma once
// Repeat templates of a table browser: the field values of one record kept
// in "par\" + the first 8 characters of the window name + ".F12", one line
// per field, key = the field number "###" (Ctrl+F12 stores, Shift+F12 puts
// the values back).
//
// A value is stored as a parameter value (up to 250 characters are read
// back); a blank value is not stored (its key is removed), and reads back
// as an empty text, which the field's normalisation pads again.

#include <string>
#include <string_view>
#include <vector>

#include "screens/column.h"
#include "services/common.h"

namespace kj {

// "par\" + first 8 characters of the window name + ".F12".
std::string TemplateFile(std::string_view windowName);
// The key of field k (1-based): k formatted "###".
std::string TemplateKey(int field);

// Editor states of the columns, as the browser keeps them: -1 hidden, 0
// read-only, 1 editable. A column missing from the vector is editable.
using EditorStates = std::vector<int>;

// UlozVzor (editor, after the edit boxes were taken into the values) and
// the storing part of UlozOpakovani: every field's value stored.
void StoreTemplate(Common& c, std::string_view file, const Sloupce& columns);
// VlozVzor: every editable field (state 1 or more) takes its stored value;
// the others keep theirs. The browser then refills the edit boxes.
void RestoreTemplate(Common& c, std::string_view file, Sloupce& columns,
                     const EditorStates& states);

// UlozOpakovani (list Ctrl+F12) after CtiVetu of the current row: the record
// split into the values (RozlozVetu) and every value stored.
void StoreTemplateFromRecord(Common& c, std::string_view file, Sloupce& columns,
                             const void* record);
// VlozOpakovani (list Shift+F12) after CtiVetu of the current row: asks
// "Skutečně přepsat tento řádek" (column 10, row 10); on yes the record is
// split (RozlozVetu), the editable fields take the stored values and the
// record is built again (SlozVetu) in place. True when the browser is to
// write it back (ZapisVetu of the current row).
bool ApplyTemplateToRecord(Common& c, std::string_view file, Sloupce& columns,
                           const EditorStates& states, void* record);

}  // namespace kj
