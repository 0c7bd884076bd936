#include "logbook/trip_browser.h"

#include <cstring>

#include "logbook/destinations.h"
#include "logbook/meal_rates.h"
#include "logbook/places.h"
#include "logbook/purposes.h"
#include "logbook/working_calendar.h"
#include "services/cp1250.h"
#include "services/picture.h"

namespace kj {

namespace {
using namespace jizdy;
}  // namespace

TripBrowser::TripBrowser(Common& c, std::string windowName) : TfSoub(c, std::move(windowName)) {}

TripBrowser::~TripBrowser() = default;

TfKJlMista& TripBrowser::Mista() {
    if (!mista_) mista_ = std::make_unique<TfKJlMista>(c_);
    return *mista_;
}
TfKJUcel& TripBrowser::Ucely() {
    if (!ucely_) ucely_ = std::make_unique<TfKJUcel>(c_);
    return *ucely_;
}
TfKJCile& TripBrowser::Cile() {
    if (!cile_) cile_ = std::make_unique<TfKJCile>(c_);
    cile_->showPickList = showPickList;
    return *cile_;
}
TfKJStrav& TripBrowser::Strava() {
    if (!strava_) strava_ = std::make_unique<TfKJStrav>(c_);
    return *strava_;
}

void TripBrowser::PrevezmiSablonu() {
    Sloupce empty = columns();
    for (SloupecPopis& col : empty) col.value.clear();
    prazdna_.assign(static_cast<std::size_t>(std::max(kLength, RecordLength(empty))), '\0');
    SlozVetu(empty, prazdna_.data());
    prazdna_.resize(kLength);
    sablona_ = prazdna_;
}

void TripBrowser::NactiStravne() { stravne_ = NactiTabulkuStravneho(c_); }

void TripBrowser::Pomoc(const std::string& file, const std::string& topic) {
    if (c_.showHelp) c_.showHelp(file, topic);
}

void TripBrowser::KlicHledani(int row, std::string& text) {
    TextRadku(row, text);
    text = UpperCz(StripDiacritics(text));
}

// ---- leaving a field ----

double TripBrowser::Km(int field, int leaving, const std::string& text) {
    RecordEditor* e = editor();
    if (field == leaving) return StrToFloatLoose(text);
    return e ? StrToFloatLoose(e->Text(field)) : 0.0;
}

void TripBrowser::PrepocitejTachometr(int leaving, std::string& text) {
    RecordEditor* e = editor();
    if (!e) return;
    const double km = Km(kFieldKmSluzebni, leaving, text) + Km(kFieldKmSoukrome, leaving, text);
    double reading = 0;
    if (existingRecord()) {
        const char* stored = Veta();
        reading = codec::GetReal(stored, kStavTachometru) - codec::GetReal(stored, kKmSluzebni) -
                  codec::GetReal(stored, kKmSoukrome) + km;
    } else {
        reading = codec::GetReal(sablona_.data(), kStavTachometru) + km;
    }
    const std::string shown =
        FormatPic(columns()[kFieldStavTachometru - 1].mask, reading);
    if (leaving == kFieldStavTachometru)
        text = shown;
    else
        e->SetText(kFieldStavTachometru, shown);
}

void TripBrowser::DatumPriOpusteni(std::string& text, const std::string& typed) {
    const std::optional<std::string> date = DatumJizdy(typed, c_.now());
    if (date) {
        text = editor() ? editor()->NormalizeText(kFieldDatum, *date) : *date;
        return;
    }
    c_.ui.BeepMessage("Chybné datum"_cz);
    text.clear();
    if (editor()) editor()->MoveTo(kFieldDatum);
}

void TripBrowser::StravnePriOpusteni(int leaving, const std::string& text) {
    RecordEditor* e = editor();
    if (!e || existingRecord()) return;
    const double departure =
        StrToFloatLoose(leaving == kFieldCasOdjezdu ? text : e->Text(kFieldCasOdjezdu));
    const double arrival =
        StrToFloatLoose(leaving == kFieldCasPrijezdu ? text : e->Text(kFieldCasPrijezdu));
    e->SetText(kFieldStravne, StravneZaCestu(stravne_, departure, arrival));
}

void TripBrowser::OpustPole(int field, std::string& text) {
    const std::string typed = text;
    TfSoub::OpustPole(field, text);
    switch (field) {
        case kFieldDatum:
            DatumPriOpusteni(text, typed);
            break;
        case kFieldKmSluzebni:
        case kFieldKmSoukrome:
            if (TachometrPriOpusteni()) PrepocitejTachometr(field, text);
            break;
        case kFieldCasOdjezdu:
        case kFieldCasPrijezdu:
            StravnePriOpusteni(field, text);
            break;
        default:
            break;
    }
}

// ---- lookups ----

bool TripBrowser::Vyber(TfKJSeznam& list) {
    list.Otevri();
    if (showPickList) showPickList(list);
    return list.key() == key::kReturn && list.CtiVybranou() && !IsDeletedRecord(list.Veta());
}

void TripBrowser::VyberDatum() {
    if (!kalendar) return;
    const std::string chosen = kalendar->DejDatum(editor()->Text(kFieldDatum));
    if (!chosen.empty()) editor()->SetText(kFieldDatum, chosen);
}

void TripBrowser::VyberMisto() {
    TfKJlMista& list = Mista();
    if (Vyber(list)) {
        const char* rec = list.Veta();
        editor()->SetText(kFieldMisto, codec::GetText(rec, mista::kMisto));
        editor()->SetText(kFieldKmSluzebni, FormatPic(columns()[kFieldKmSluzebni - 1].mask,
                                                     codec::GetReal(rec, mista::kKm)));
        std::string unused;
        PrepocitejTachometr(0, unused);
    }
    list.Zavri();
}

void TripBrowser::VyberUcel() {
    TfKJUcel& list = Ucely();
    if (Vyber(list)) editor()->SetText(kFieldUcel, codec::GetText(list.Veta(), ucel::kUcel));
    list.Zavri();
}

void TripBrowser::VyberCil() {
    TfKJCile& list = Cile();
    if (Vyber(list)) {
        const char* rec = list.Veta();
        editor()->SetText(kFieldMisto, codec::GetText(rec, cile::kMisto));
        editor()->SetText(kFieldUcel, codec::GetText(rec, cile::kUcel));
        editor()->SetText(kFieldKmSluzebni, FormatPic(columns()[kFieldKmSluzebni - 1].mask,
                                                     codec::GetReal(rec, cile::kKm)));
        std::string unused;
        PrepocitejTachometr(0, unused);
        // On to the rates (for a machine, whose rates are hidden, to the
        // next field it shows).
        int next = kFieldZakladniSazba;
        while (editor()->ValidField(next) && !editor()->Editable(next)) ++next;
        if (editor()->ValidField(next)) editor()->MoveTo(next);
    }
    list.Zavri();
}

void TripBrowser::VyberStravne() {
    TfKJStrav& list = Strava();
    if (Vyber(list)) {
        const std::string picture(ParseMask(strav::kColumns[1].mask).picture);
        editor()->SetText(kFieldStravne,
                          FormatPic(picture, codec::GetReal(list.Veta(), strav::kCastka)));
    }
    list.Zavri();
}

void TripBrowser::PoEnteruPole(int field) {
    if (!editor()) return;
    switch (field) {
        case kFieldDatum: VyberDatum(); break;
        case kFieldMisto: VyberMisto(); break;
        case kFieldUcel: VyberUcel(); break;
        case kFieldKmSluzebni: VyberCil(); break;
        case kFieldStravne: VyberStravne(); break;
        default: break;
    }
}

void TripBrowser::NapovedaEditoru() {
    RecordEditor* e = editor();
    const int field = currentField();
    const bool lookup = field == kFieldDatum || field == kFieldMisto || field == kFieldUcel ||
                        field == kFieldKmSluzebni || field == kFieldStravne;
    if (!e || !lookup) {
        Napoveda();
        return;
    }
    PoEnteruPole(field);
    // The field is then left as with Enter (a picked date is checked), the
    // cursor staying in it unless the lookup sent it on.
    if (editor() && editor()->Current() == field) {
        std::string text = editor()->Text(field);
        OpustPole(field, text);
        editor()->SetText(field, text);
    }
}

void TripBrowser::EdF5() {
    RecordEditor* e = editor();
    if (!e || e->Current() != kFieldMisto) return;
    std::string source = e->Text(kFieldMisto);
    if (StripRight(source).empty()) source = columns()[kFieldMisto - 1].value;
    e->SetText(kFieldMisto, ObratTrasu(source));
    e->MoveTo(kFieldUcel);
}

}  // namespace kj
