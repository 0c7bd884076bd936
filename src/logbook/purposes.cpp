#include "logbook/purposes.h"

#include "services/cp1250.h"

namespace kj {

namespace {
CodeListSetup PurposeSetup() {
    CodeListSetup s;
    s.windowName = "fKJUcel";
    s.fileName = "kjucel.dta";
    s.heading = " Seznam účelů jízd "_cz;
    s.listHelp = " Enter=Výběr  F4=přidej  Mezera=oprav  F8=zruš  Esc=konec"_cz;
    s.editorTitle = " Účel jízdy "_cz;
    s.editorHelp = " F2=zápis na disk  Esc=ven "_cz;
    // Adding a purpose takes the lock "kjcile", as the destinations' list of
    // purposes always has.
    s.lockName = "kjcile";
    s.counterKey = "KJUCEL";
    s.editor = {6, 12, 60, 16, kColourBlack, RgbColour(0, 208, 208)};
    s.list = {4, 3, 60, 24, kColourBlack, RgbColour(208, 253, 253)};
    return s;
}
}  // namespace

std::string CheckPurposeLayout() {
    return RecordLengthMismatch("kjucel.dta", DeclareColumns(ucel::kColumns), ucel::kLength);
}

TfKJUcel::TfKJUcel(Common& c)
    : TfKJSeznam(c, PurposeSetup(), DeclareColumns(ucel::kColumns), ucel::kLength) {}

std::string TfKJUcel::KlicZVety(const char* record) { return codec::GetText(record, ucel::kUcel); }

std::string TfKJUcel::HledaciKlic(const char* record) {
    return FoldedKey(codec::GetText(record, ucel::kUcel));
}

bool TfKJUcel::Mensi(const char* a, const char* b) {
    return HledaciKlic(a) < HledaciKlic(b);
}

}  // namespace kj
