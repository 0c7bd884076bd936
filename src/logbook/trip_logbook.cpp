#include "logbook/trip_logbook.h"

#include <cstring>

#include "logbook/car_list.h"
#include "logbook/trip_generator.h"
#include "services/cp1250.h"
#include "services/locks.h"
#include "services/params.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj {

namespace {

using namespace jizdy;

// Text padded with blanks to `width`.
std::string Pad(std::string text, std::size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

// The heading lines share their beginning up to the business km.
std::string Hlavicka(std::string_view rest) {
    return " Datum  Místo"_cz + Spaces(36) + "Účel"_cz + Spaces(38) + "Km služ.  "_cz +
           Utf8ToCp1250(rest);
}

CellBox EditorKnihy() { return {4, 8, 92, 26, kColourBlack, RgbColour(0, 208, 208)}; }
CellBox SeznamKnihy() { return {1, 2, 126, 30, kColourBlack, RgbColour(208, 253, 253)}; }

}  // namespace

SloupceKnihy SloupceKnihyJizd(std::string_view druh) {
    SloupceKnihy k;
    k.sloupce = DeclareColumns(kColumns);
    k.stavy.assign(kColumns.size(), 1);
    k.stavy[kFieldIdentifikace - 1] = -1;
    k.titulky = {"Datum  ",     Pad("Místo"_cz, 41), Pad("Účel"_cz, 41), "Km služ."_cz,
                 "Km soukr.",   "Tachometr ",        "Z.saz",           "S.PHM",
                 "H.zač"_cz,    "H.kon",             "Strav",           "Poznámka 1 "_cz,
                 "Poznámka 2 "_cz, ""};
    if (druh == kDruhSluzebni) {
        k.sloupce[kFieldZakladniSazba - 1].title = "Nákup PHM v Kč     "_cz;
        k.sloupce[kFieldSazbaPhm - 1].title = "Nákup PHM v lit.   "_cz;
        k.titulky[kFieldZakladniSazba - 1] = "PHM Kč "_cz;
        k.titulky[kFieldSazbaPhm - 1] = "PHM l ";
        k.hlavicka = Hlavicka("Km soukr. Tachometr   PHM Kč    PHM lit  Čas o. Čas p.Stravné Poznámka  ");
    } else if (druh == kDruhStroj) {
        k.sloupce[kFieldKmSluzebni - 1].title = ">Hodiny práce      "_cz;
        k.titulky[kFieldKmSluzebni - 1] = "Hod.prá."_cz;
        for (int f : {kFieldKmSoukrome, kFieldZakladniSazba, kFieldSazbaPhm, kFieldCasOdjezdu,
                      kFieldCasPrijezdu, kFieldStravne}) {
            k.titulky[static_cast<std::size_t>(f - 1)].clear();
            k.stavy[static_cast<std::size_t>(f - 1)] = -1;
        }
        k.hlavicka = Hlavicka("H. soukr. Tachometr   PHM Kč    PHM lit  Čas o. Čas p.Stravné Poznámka  ");
    } else {
        k.hlavicka = Hlavicka("Km soukr. Tachometr  Zákl.saz Sazba PHM H.zač H.kon Stravné Poznámka  ");
    }
    return k;
}

TfKJ_jizdy::TfKJ_jizdy(Common& c) : TripBrowser(c, "fKJ_jizdy") {
    using namespace kniha_menu;
    // Space edits and F3 searches; their items are shown greyed.
    SetPopupItem(kOprava, "Oprava záznamu  &MEZERA"_cz, false);
    SetPopupItem(kNovy, "&Nový záznam"_cz);
    SetPopupItem(kZrus, "&Zruš záznam"_cz);
    SetPopupItem(kHledej, "&Hledej", false);
    SetPopupItem(kGenerator, "&Generátor jízd"_cz, true, key::Ctrl('G'));
    SetPopupItem(kSerazeni, "&Seřazení zápisů v knize jízd"_cz, true, key::Ctrl('S'));
    SetPopupItem(kVyhodnoceni, "&Kniha jízd s vyhodnocením"_cz, true, key::Ctrl('V'));
    SetPopupItem(kOpis, "&Opis s mezisoučty"_cz, true, key::Ctrl('O'));
    SetPopupItem(kCestovniPrikaz, "&Cestovní příkaz"_cz, true, key::Ctrl('C'));
    SetPopupItem(kSazby, "Prepočítej sazby od tohoto místa"_cz);
}

TfKJ_jizdy::~TfKJ_jizdy() = default;

int TfKJ_jizdy::Otevri(std::string_view fileName) {
    NastavDruh(AktualniVozidlo().Druh());
    const std::string file(fileName);
    registrace_ = file.size() > 4 ? file.substr(0, file.size() - 4) : std::string();
    SloupceKnihy k = SloupceKnihyJizd(druh());
    SetColumns(std::move(k.sloupce));
    SetListTitles(std::move(k.titulky));
    hlavicka_ = std::move(k.hlavicka);
    PrevezmiSablonu();
    lastSort_ = 0;
    const int rc = OtevriTabulku(file, "Kniha jízd pro vozidlo SPZ: "_cz + registrace_, -1,
                                 ColumnCount(), kLength, 1, EditorKnihy(), SeznamKnihy(),
                                 " F1,Ctrl+F1=help F12=opakuj  F5(v Místo)=zpět  F2=zápis na disk  Esc=ven "_cz,
                                 " Údaje o jízdě "_cz,
                                 " F1,Ctrl+F1=help Enter=Výběr F4=přidej Mezera=oprav F8=zruš "
                                 "Insert=označ pro cest.příkaz F10=menu Esc=konec"_cz);
    for (std::size_t i = 0; i < k.stavy.size(); ++i) SetEditorState(static_cast<int>(i) + 1, k.stavy[i]);
    SetChangeCounter(registrace_);
    NactiStravne();
    return rc;
}

void TfKJ_jizdy::Zavri() {
    if (!isOpen() && dataPath().empty()) return;
    lastSort_ = 0;
    if (modified() || PripojenoOdTrideni() >= 1) TridKnihu();
    Uvolni();
    Odemkni(c_, dataPath());
}

std::string TfKJ_jizdy::Zamek() const { return DataPath(c_, registrace_); }

int TfKJ_jizdy::PripojenoOdTrideni() {
    return StrToIntLoose(GetJobIn(c_, DataPath(c_, ""), registrace_));
}

void TfKJ_jizdy::PridejPripojene(int n) {
    const std::string dir = DataPath(c_, "");
    SetJobIn(c_, dir, registrace_, FormatPic("#####", PripojenoOdTrideni() + n));
}

bool TfKJ_jizdy::PosledniPlatna(std::string& into) {
    for (int row = count(); row >= 1; --row) {
        CtiVetuProZobrazeni(row);
        if (displayRecord().size() < static_cast<std::size_t>(kLength)) return false;
        if (IsDeletedRecord(displayRecord().data())) continue;
        into.assign(displayRecord().data(), kLength);
        return true;
    }
    return false;
}

// ---- list operations ----

void TfKJ_jizdy::Oprav() {
    Obnov();
    if (count() < 1) return;
    opravuje_ = true;
    TfSoub::Oprav();
    opravuje_ = false;
}

void TfKJ_jizdy::CtiVetu(int row) {
    TripBrowser::CtiVetu(row);
    precteno_ = record();
}

void TfKJ_jizdy::ZapisVetu(int row) {
    if (opravuje_ && precteno_.size() >= static_cast<std::size_t>(kLength)) {
        int offset = 0;
        for (std::size_t k = 0; k < columns().size(); ++k) {
            const SloupecPopis& col = columns()[k];
            const int size = StoredSize(col.type, col.width);
            if (static_cast<int>(k) + 1 != kFieldDatum &&
                EncodeField(col.format(), col.value) == EncodeField(col.format(), col.previousValue))
                std::memcpy(Veta() + offset, precteno_.data() + offset, static_cast<std::size_t>(size));
            offset += size;
        }
    }
    TripBrowser::ZapisVetu(row);
}

void TfKJ_jizdy::NavazNaPosledni() {
    std::string last;
    if (PosledniPlatna(last)) {
        codec::PutReal(sablona().data(), kStavTachometru, codec::GetReal(last.data(), kStavTachometru));
        if (druh() != kDruhSluzebni && druh() != kDruhStroj) {
            codec::PutReal(sablona().data(), kZakladniSazba, codec::GetReal(last.data(), kZakladniSazba));
            codec::PutReal(sablona().data(), kSazbaPhm, codec::GetReal(last.data(), kSazbaPhm));
        }
    }
}

void TfKJ_jizdy::Novy() {
    const std::string lock = Zamek();
    Zamkni(c_, lock, "W");
    Obnov();
    // A deleted record keeps no reading of its own: the last live one counts.
    NavazNaPosledni();
    std::memcpy(Veta(), sablona().data(), kLength);
    TfSoub::Novy();
    Prekresli();
    Odemkni(c_, lock);
}

void TfKJ_jizdy::Zrus(int row) {
    if (current() < 1 || current() > count()) return;
    if (!c_.ui.AskYesNo(0, 0, "Zrušit záznam?"_cz)) return;
    if (!ReadRecord(current())) return;
    std::memcpy(Veta(), sablona().data(), kLength);
    Veta()[kDeletedOffset] = kDeletedMark;
    TfSoub::Zrus(row);
}

void TfKJ_jizdy::PolozkaMenu(int item) {
    using namespace kniha_menu;
    switch (item) {
        case kNovy: Novy(); break;
        case kZrus: Zrus(current()); break;
        case kGenerator: Generator(); break;
        case kSerazeni: SeradZapisy(); break;
        case kVyhodnoceni: KnihaSVyhodnocenim(); break;
        case kOpis: OpisSMezisoucty(); break;
        case kCestovniPrikaz: CestovniPrikaz(); break;
        case kSazby: PrepocitejSazby(); break;
        default: break;
    }
}

// ---- the book sort ----

void TfKJ_jizdy::TridKnihu() {
    const std::string path = dataPath();
    // Our own read lock goes first, so that IfVolny sees only the others.
    Odemkni(c_, path);
    if (!IfVolny(c_, path).empty()) {
        Zamkni(c_, path, "");
        lastSort_ = -1;
        return;
    }
    Zamkni(c_, path, "W");
    const F1Handler help = [this](int, std::string&) {
        c_.ui.HelpBox(3, 7, " Nastavení poč.stavu tachometru "_cz,
                      {" Počáteční hodnotu tachometru si nastavte "_cz,
                       " v samostatném zápise s datumem nižším než je datum"_cz,
                       " první jízdy. Tento zápis by měl obsahovat pouze"_cz,
                       " datum a stav tachometru. Ostatní údaje ponechte"_cz, " nevyplněné."_cz});
    };
    const int answer = c_.ui.ChooseItem(
        30, 10, help,
        {"         Přepočítat   "_cz, "         NEpřepočítat   "_cz, "         Vynulovat   "},
        " STAV TACHOMETRU (F1=help)");
    const StavTachometru mode = answer == 1   ? StavTachometru::Prepocitat
                                : answer == 3 ? StavTachometru::Vynulovat
                                              : StavTachometru::Neprepocitat;
    c_.ui.ShowBusy("Moment, třídím"_cz);
    lastSort_ = SetridKnihu(c_, path, mode);
    c_.ui.CloseBusy();
    Odemkni(c_, path);
    Zamkni(c_, path, "");
    if (lastSort_ != 0) {
        c_.ui.BeepMessage("Chyba pri sortu");
    } else {
        SetJobIn(c_, DataPath(c_, ""), registrace_, "");
        SetModified(false);
    }
    // The sorted book is a new file: read it from now on.
    Obnov();
}

void TfKJ_jizdy::SeradZapisy() {
    TridKnihu();
    Prekresli();
}

// ---- rates ----

void TfKJ_jizdy::PrepocitejSazby() {
    const int row = current();
    if (row < 1 || row >= count() || !ReadRecord(row)) return;
    const double base = codec::GetReal(Veta(), kZakladniSazba);
    const double fuel = codec::GetReal(Veta(), kSazbaPhm);
    if (!c_.ui.AskYesNo(10, 10, "Sazby od tohoto místa budou: Základní "_cz +
                                    FormatPic("###.##", base) + " Poh.hm. " +
                                    FormatPic("###.##", fuel)))
        return;
    for (int r = row + 1; r <= count(); ++r) {
        if (!ReadRecord(r)) break;
        codec::PutReal(Veta(), kZakladniSazba, base);
        codec::PutReal(Veta(), kSazbaPhm, fuel);
        ZapisVetu(r);
    }
    SetModified(true);
    Prekresli();
}

// ---- reports and the travel order ----

void TfKJ_jizdy::KnihaSVyhodnocenim() {
    if (knihaSVyhodnocenim)
        knihaSVyhodnocenim(*this);
    else
        c_.ui.BeepMessage("Kniha jízd s vyhodnocením: sestava se připravuje."_cz);
}

void TfKJ_jizdy::OpisSMezisoucty() {
    if (opisSMezisoucty)
        opisSMezisoucty(*this);
    else
        c_.ui.BeepMessage("Opis s mezisoučty: sestava se připravuje."_cz);
}

std::string TfKJ_jizdy::SouborCestovnihoPrikazu() {
    return DataPath(c_, ("W" + registrace_).substr(0, 8) + ".cpr");
}

std::vector<VetaJizdy> TfKJ_jizdy::OznaceneJizdy() {
    std::vector<VetaJizdy> trips;
    for (int row = 1; row <= count(); ++row) {
        if (!JeOznacen(FyzickeCislo(row))) continue;
        CtiVetuProZobrazeni(row);
        if (displayRecord().size() >= static_cast<std::size_t>(kLength))
            trips.push_back(VetaJizdy::From(displayRecord().data()));
    }
    return trips;
}

void TfKJ_jizdy::CestovniPrikaz() {
    orderFileName = SouborCestovnihoPrikazu();
    if (cestovniPrikaz)
        cestovniPrikaz(*this, orderFileName);
    else
        c_.ui.BeepMessage("Cestovní příkaz: funkce se připravuje."_cz);
}

TfKJ_jgener& TfKJ_jizdy::Generovane() {
    if (!generovane_) generovane_ = std::make_unique<TfKJ_jgener>(c_, *this);
    return *generovane_;
}

}  // namespace kj
