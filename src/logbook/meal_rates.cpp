#include "logbook/meal_rates.h"

#include "services/cp1250.h"
#include "services/picture.h"

namespace kj {

namespace {
CodeListSetup MealRateSetup() {
    CodeListSetup s;
    s.windowName = "fKJStrav";
    s.fileName = "kjstra.dta";
    s.heading = " Hod.  Stravné "_cz;
    s.listHelp = " Enter=Výběr  F4=přidej  Mezera=oprav  F8=zruš  Esc=konec"_cz;
    s.editorTitle = "  ";
    s.editorHelp = " F12=opakuj  F2=zápis na disk  Esc=ven "_cz;
    s.lockName = "kjstrav";
    s.counterKey = "KJSTRA";
    s.editor = {10, 12, 50, 16, kColourBlack, RgbColour(0, 208, 208)};
    s.list = {8, 3, 60, 20, kColourBlack, RgbColour(208, 253, 253)};
    return s;
}
}  // namespace

std::string CheckMealRateLayout() {
    return RecordLengthMismatch("kjstra.dta", DeclareColumns(strav::kColumns), strav::kLength);
}

TfKJStrav::TfKJStrav(Common& c)
    : TfKJSeznam(c, MealRateSetup(), DeclareColumns(strav::kColumns), strav::kLength) {}

std::string TfKJStrav::KlicZVety(const char* record) {
    return FormatPic(strav::kCastkaPicture, codec::GetReal(record, strav::kCastka));
}

std::string TfKJStrav::HledaciKlic(const char* record) {
    return FormatPic("##.##", codec::GetReal(record, strav::kHodin)) + " " + KlicZVety(record);
}

bool TfKJStrav::Mensi(const char* a, const char* b) {
    return codec::GetReal(a, strav::kHodin) < codec::GetReal(b, strav::kHodin);
}

}  // namespace kj
