#include "logbook/places.h"

#include "services/cp1250.h"

namespace kj {

namespace {
CodeListSetup PlaceSetup() {
    CodeListSetup s;
    s.windowName = "fKJlMista";
    s.fileName = "kjmista.dta";
    s.heading = " Seznam míst "_cz;
    s.listHelp = " Enter=Výběr  F4=přidej  Mezera=oprav  F8=zruš  Esc=konec"_cz;
    s.editorTitle = " Místo "_cz;
    s.editorHelp = " F12=opakuj  F2=zápis na disk  Esc=ven "_cz;
    s.lockName = "kjmista";
    s.counterKey = "KJMISTA";
    s.editor = {6, 12, 64, 17, kColourBlack, RgbColour(0, 208, 208)};
    s.list = {4, 3, 64, 24, kColourBlack, RgbColour(208, 253, 253)};
    return s;
}
}  // namespace

std::string CheckPlaceLayout() {
    return RecordLengthMismatch("kjmista.dta", DeclareColumns(mista::kColumns), mista::kLength);
}

TfKJlMista::TfKJlMista(Common& c)
    : TfKJSeznam(c, PlaceSetup(), DeclareColumns(mista::kColumns), mista::kLength) {}

std::string TfKJlMista::KlicZVety(const char* record) {
    return codec::GetText(record, mista::kMisto);
}

std::string TfKJlMista::HledaciKlic(const char* record) {
    return FoldedKey(codec::GetText(record, mista::kMisto));
}

bool TfKJlMista::Mensi(const char* a, const char* b) { return HledaciKlic(a) < HledaciKlic(b); }

}  // namespace kj
