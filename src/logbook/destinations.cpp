#include "logbook/destinations.h"

#include "services/cp1250.h"
#include "services/picture.h"

namespace kj {

namespace {
constexpr int kMenuOprava = 1;
constexpr int kMenuNovy = 2;
constexpr int kMenuZrus = 3;
constexpr int kMenuHledej = 4;

CodeListSetup DestinationSetup() {
    CodeListSetup s;
    s.windowName = "fKJCile";
    s.fileName = "kjcile.dta";
    s.heading = " Místo                                    Účel "_cz;
    s.listHelp = " Enter=Výběr  F4=přidej  Mezera=oprav  F8=zruš  Esc=konec"_cz;
    s.editorTitle = " Místo "_cz;
    s.editorHelp = " F12=opakuj  F2=zápis na disk  Esc=ven "_cz;
    s.lockName = "kjcilex";
    s.counterKey = "KJCILE";
    s.helpTopic = "Tabulka cílů"_cz;
    s.editor = {4, 12, 70, 18, kColourBlack, RgbColour(0, 208, 208)};
    s.list = {2, 2, 100, 25, kColourBlack, RgbColour(208, 253, 253)};
    return s;
}
}  // namespace

std::string CheckDestinationLayout() {
    return RecordLengthMismatch("kjcile.dta", DeclareColumns(cile::kColumns), cile::kLength);
}

TfKJCile::TfKJCile(Common& c)
    : TfKJSeznam(c, DestinationSetup(), DeclareColumns(cile::kColumns), cile::kLength),
      mista_(c),
      ucely_(c) {
    // Space edits and F3 searches; their items are shown greyed.
    SetPopupItem(kMenuOprava, "Úprava záznamu  &MEZERA"_cz, false);
    SetPopupItem(kMenuNovy, "&Nový záznam"_cz);
    SetPopupItem(kMenuZrus, "&Zruš záznam"_cz);
    SetPopupItem(kMenuHledej, "&Hledej", false);
}

void TfKJCile::PolozkaMenu(int item) {
    if (item == kMenuNovy) Novy();
    else if (item == kMenuZrus) Zrus(current());
}

std::string TfKJCile::KlicZVety(const char* record) { return codec::GetText(record, cile::kMisto); }

std::string TfKJCile::HledaciKlic(const char* record) {
    return FoldedKey(codec::GetText(record, cile::kMisto)) +
           FoldedKey(codec::GetText(record, cile::kUcel));
}

bool TfKJCile::Mensi(const char* a, const char* b) {
    return FoldedKey(codec::GetText(a, cile::kMisto)) < FoldedKey(codec::GetText(b, cile::kMisto));
}

void TfKJCile::OpustPole(int field, std::string& text) { TfKJSeznam::OpustPole(field, text); }

bool TfKJCile::Vyber(TfKJSeznam& list) {
    list.Otevri();
    if (showPickList) showPickList(list);
    return list.key() == key::kReturn && list.CtiVybranou();
}

void TfKJCile::PoEnteruPole(int field) {
    if (!editor()) return;
    if (field == cile::kFieldMisto) {
        if (Vyber(mista_)) {
            const char* rec = mista_.Veta();
            editor()->SetText(cile::kFieldMisto, codec::GetText(rec, mista::kMisto));
            const SloupecPopis& km = columns()[cile::kFieldKm - 1];
            editor()->SetText(cile::kFieldKm, FormatPic(km.mask, codec::GetReal(rec, mista::kKm)));
        }
        mista_.Zavri();
    } else if (field == cile::kFieldUcel) {
        if (Vyber(ucely_)) editor()->SetText(cile::kFieldUcel, codec::GetText(ucely_.Veta(), ucel::kUcel));
        ucely_.Zavri();
    }
}

}  // namespace kj
