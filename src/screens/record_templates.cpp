// Repeat templates (".F12" files) of the table browser.

#include "screens/record_templates.h"

#include "services/cp1250.h"
#include "services/params.h"
#include "services/picture.h"

namespace kj {

std::string TemplateFile(std::string_view windowName) {
    return "par\\" + std::string(windowName.substr(0, 8)) + ".F12";
}

std::string TemplateKey(int field) { return FormatPic("###", field); }

void StoreTemplate(Common& c, std::string_view file, const Sloupce& columns) {
    for (std::size_t k = 0; k < columns.size(); ++k)
        SetReg(c, file, TemplateKey(static_cast<int>(k + 1)), columns[k].value);
}

void RestoreTemplate(Common& c, std::string_view file, Sloupce& columns,
                     const EditorStates& states) {
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const int state = k < states.size() ? states[k] : 1;
        if (state < 1) continue;
        columns[k].value = GetReg(c, file, TemplateKey(static_cast<int>(k + 1)));
    }
}

void StoreTemplateFromRecord(Common& c, std::string_view file, Sloupce& columns,
                             const void* record) {
    RozlozVetu(columns, record);
    StoreTemplate(c, file, columns);
}

bool ApplyTemplateToRecord(Common& c, std::string_view file, Sloupce& columns,
                           const EditorStates& states, void* record) {
    if (!c.ui.AskYesNo(10, 10, "Skutečně přepsat tento řádek"_cz)) return false;
    RozlozVetu(columns, record);
    RestoreTemplate(c, file, columns, states);
    SlozVetu(columns, record);
    return true;
}

}  // namespace kj
