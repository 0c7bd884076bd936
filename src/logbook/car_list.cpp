#include "logbook/car_list.h"

#include <array>
#include <cstring>

#include "services/cp1250.h"
#include "services/locks.h"
#include "services/picture.h"
#include "services/protocol.h"

namespace kj {

namespace {

constexpr int kChoiceColumn = 10;
constexpr int kChoiceRow = 10;
constexpr std::size_t kProtocolLineMax = 26;

CodeListSetup CarSetup() {
    CodeListSetup s;
    s.windowName = "fKJ_auta";
    s.fileName = "kj_auta.dta";
    s.heading = " Seznam vozidel ";
    s.listHelp = " F1,Ctrl+F1,Alt+F1=help, Enter=Výběr F4=přidej Mezera=oprav F8=zruš Esc=konec"_cz;
    s.editorTitle = " Údaje o vozidle "_cz;
    s.editorHelp = " F1,Ctrl+F1,Alt+F1=help F12=opakuj F2=zápis na disk  Esc=ven "_cz;
    s.lockName = "AUTA";
    s.editor = {4, 11, 93, 24, kColourBlack, RgbColour(0, 208, 208)};
    s.list = {2, 2, 95, 25, kColourBlack, RgbColour(208, 253, 253)};
    return s;
}

// The kinds as the kind field stores them.
std::string Soukrome() { return "SOUKROMÉ"_cz; }
std::string Sluzebni() { return "SLUŽEBNÍ"_cz; }
std::string Stroj() { return "STROJ   "; }

// A kind choice's answer as the stored text; "" after Esc.
std::string KindOfChoice(int chosen) {
    switch (chosen) {
        case 1: return Soukrome();
        case 2: return Sluzebni();
        case 3: return Stroj();
        default: return {};
    }
}

}  // namespace

std::string VetaAuta::Druh() const { return UpperCz(Text(auta::kDruh).substr(0, 3)); }

std::string KlicKnihy(std::string_view registration) {
    return UpperCz(RemoveSpaces(registration));
}

std::string VetaAuta::SouborKnihy() const { return KlicKnihy(Spz()) + ".dta"; }

VetaAuta& AktualniVozidlo() {
    static VetaAuta current;
    return current;
}

std::string CheckCarLayout() {
    return RecordLengthMismatch("kj_auta.dta", DeclareColumns(auta::kColumns), auta::kLength);
}

TfKJ_auta::TfKJ_auta(Common& c)
    : TfKJSeznam(c, CarSetup(), DeclareColumns(auta::kColumns), auta::kLength) {}

bool TfKJ_auta::VyberVozidlo() {
    if (!CtiVybranou() || !ProcNelzeVybrat(Veta()).empty()) return false;
    std::memcpy(AktualniVozidlo().bytes.data(), Veta(), auta::kLength);
    return true;
}

std::string TfKJ_auta::ProcNelzeVybrat(const char* record) const {
    if (IsDeletedRecord(record)) return "Zrušené vozidlo nelze vybrat."_cz;
    if (KlicKnihy(codec::GetText(record, auta::kSpz)).empty()) return "Vozidlo bez SPZ nelze vybrat.";
    return {};
}

bool TfKJ_auta::LzeVybrat(int row) {
    if (row < 1 || row > count()) return true;
    CtiVetuProZobrazeni(row);
    const std::string why = ProcNelzeVybrat(displayRecord().data());
    if (why.empty()) return true;
    c_.ui.BeepMessage(why);
    return false;
}

std::string TfKJ_auta::KlicZVety(const char* record) { return codec::GetText(record, auta::kSpz); }

std::string TfKJ_auta::HledaciKlic(const char* record) {
    return FoldedKey(codec::GetText(record, auta::kSpz));
}

bool TfKJ_auta::Mensi(const char* a, const char* b) {
    return codec::GetText(a, auta::kSpz) < codec::GetText(b, auta::kSpz);
}

void TfKJ_auta::Novy() {
    SetModified(true);
    TfKJSeznam::Novy();
}

void TfKJ_auta::Zrus(int row) {
    if (current() < 1 || current() > count()) return;
    if (!c_.ui.AskYesNo(0, 0, "Zrušit záznam?"_cz)) return;
    CtiVetu(current());
    std::string line = "         - Zrušení "_cz + codec::GetText(Veta(), auta::kSpz);
    WriteProtocol(c_, line.substr(0, std::min(line.size(), kProtocolLineMax)));
    SetModified(true);
    TfSoub::Zrus(row);
}

bool TfKJ_auta::DuplicitniSpz(const std::string& spz) {
    // Two registrations that differ only in blanks or case would share one
    // logbook file.
    const std::string wanted = KlicKnihy(spz);
    if (wanted.empty()) return false;
    // The car being edited is not compared with itself: keeping its own
    // registration is no duplicate.
    const int own = existingRecord() ? current() : 0;
    for (int row = 1; row <= count(); ++row) {
        if (row == own) continue;
        CtiVetuProZobrazeni(row);
        const char* rec = displayRecord().data();
        if (IsDeletedRecord(rec)) continue;
        if (KlicKnihy(codec::GetText(rec, auta::kSpz)) == wanted) return true;
    }
    return false;
}

void TfKJ_auta::ZkontrolujDruh(std::string& text) {
    const std::string folded = PadStr(FoldedKey(StripRight(text)), "L", " ", 8);
    if (folded == "SOUKROME" || folded == "SLUZEBNI" || folded == "STROJ   ") return;
    const std::string chosen = KindOfChoice(c_.ui.ChooseItem(
        kChoiceColumn, kChoiceRow, {}, {"Soukromé"_cz, "Služební"_cz, "Prac.stroj,traktor"},
        "Soukr./Služ./Stroj"_cz));
    if (!chosen.empty()) text = chosen;
}

void TfKJ_auta::OpustPole(int field, std::string& text) {
    TfSoub::OpustPole(field, text);
    if (field == auta::kFieldSpz) {
        if (OdmitniZnackuZruseni(field, text)) return;
        text = UpperCz(text);
        if (KlicKnihy(text).empty()) {
            // A blank registration would name the logbook ".dta".
            c_.ui.BeepMessage("Vyplňte SPZ vozidla."_cz);
            if (editor()) editor()->MoveTo(auta::kFieldSpz);
        } else if (DuplicitniSpz(text)) {
            c_.ui.BeepMessage("Toto vozidlo je již v seznamu."_cz);
            text.clear();
            if (editor()) editor()->MoveTo(auta::kFieldSpz);
        }
    } else if (field == auta::kFieldDruh) {
        ZkontrolujDruh(text);
    }
}

void TfKJ_auta::VyberPaliva(int field) {
    // An array, not a vector: clang 14 crashes on a Czech literal inside a
    // vector's initializer list.
    static const std::array<std::string, 5> stored = {"B.Natural 95", "B.Super plus 98",
                                                      "B.Natural 91", "Motorová nafta"_cz,
                                                      "Bionafta"};
    const int chosen = c_.ui.ChooseItem(
        kChoiceColumn, kChoiceRow, {},
        {"B.Natural 95", "B.Super plus 98", "B.Natural 91", "Motorová nafta "_cz, "Bionafta"},
        "Druh pohonné hmoty"_cz);
    if (chosen >= 1 && chosen <= static_cast<int>(stored.size()))
        editor()->SetText(field, stored[static_cast<std::size_t>(chosen - 1)]);
}

void TfKJ_auta::VyberDruhu(int field) {
    const std::string chosen = KindOfChoice(c_.ui.ChooseItem(
        kChoiceColumn, kChoiceRow, {}, {"Soukromé"_cz, "Služební"_cz, "Prac.stroje,traktory"},
        "Soukr./Služ./Stroj"_cz));
    if (!chosen.empty()) editor()->SetText(field, chosen);
}

void TfKJ_auta::PoEnteruPole(int field) {
    if (!editor()) return;
    if (field == auta::kFieldPalivo) VyberPaliva(field);
    else if (field == auta::kFieldDruh) VyberDruhu(field);
}

void TfKJ_auta::NapovedaEditoru() {
    const int field = currentField();
    if (field == auta::kFieldPalivo) VyberPaliva(field);
    else if (field == auta::kFieldDruh) VyberDruhu(field);
    else TfKJSeznam::NapovedaEditoru();
}

void TfKJ_auta::Setrid1() { UkazNapovedu("\\kj\\kj_ovl", "Funkční klávesy v rolovacím"_cz); }

void TfKJ_auta::EdAltF1() { UkazNapovedu("\\kj\\kj_ovl", "Funkční klávesy v aktualizačním"_cz); }

void TfKJ_auta::ZavriTabulku() {
    const std::string path = dataPath();
    Obnov();
    Odemkni(c_, path);
    // A file another station has open keeps its order: its record numbers
    // are in use there.
    const bool free = IfVolny(c_, path).empty();
    lastSort_ = free ? 0 : -1;
    if (free && modified() && count() > 1) {
        Zamkni(c_, path, "W");
        lastSort_ = SetridSoubor();
        if (lastSort_ != 0) c_.ui.BeepMessage("Chyba pri sortu");
        Obnov();
    }
    Uvolni();
    Odemkni(c_, path);
}

}  // namespace kj
