#include "logbook/trip_generator.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>

#include "logbook/destinations.h"
#include "logbook/trip_logbook.h"
#include "logbook/working_calendar.h"
#include "services/cp1250.h"
#include "services/dates.h"
#include "services/io_codes.h"
#include "services/locks.h"
#include "services/picture.h"
#include "services/record_file.h"

namespace kj {

namespace {

using namespace jizdy;

constexpr const char* kVybraneCile = "cile_vyb.wrk";
constexpr const char* kGenerovane = "kj_j_g.wrk";
// The lock a generator run holds over both work files.
constexpr const char* kBehGeneratoru = "kj_j_g";

bool Blank(std::string_view text) { return RemoveSpaces(text).empty(); }

// The destinations browser in the generator's block-marking mode.
class CileGeneratoru final : public TfKJCile {
public:
    using TfKJCile::TfKJCile;
    void RezimBloku() {
        SetHelpText(" ^Z,^K=začátek,konec bloku  Insert=označ  F4=přidej  Mezera=oprav  F8=zruš  "
                    "Esc=konec"_cz);
    }
};

// The marked destinations that can be drawn, in the order of the file:
// not deleted, with km above 0.
std::vector<std::string> OznaceneCile(TfKJCile& cile) {
    std::map<int, std::string> byNumber;
    for (int row = 1; row <= cile.count(); ++row) {
        const int n = cile.FyzickeCislo(row);
        if (!cile.JeOznacen(n)) continue;
        cile.CtiVetuProZobrazeni(row);
        const std::string& rec = cile.displayRecord();
        if (rec.size() < static_cast<std::size_t>(cile::kLength) || IsDeletedRecord(rec.data()))
            continue;
        if (codec::GetReal(rec.data(), cile::kKm) <= 0) continue;
        byNumber[n] = rec.substr(0, cile::kLength);
    }
    std::vector<std::string> out;
    for (auto& [n, rec] : byNumber) out.push_back(std::move(rec));
    return out;
}

// Writes whole records to a work file created anew (under its write lock,
// which OpenRecFile takes). Returns the DOS code (already shown on open).
int ZapisPracovniSoubor(Common& c, const char* name, int length,
                        const std::vector<std::string>& records) {
    RecFile f;
    int rc = OpenRecFile(c, f, name, "O", length);
    if (rc != io::kOk) return rc;
    for (const std::string& rec : records) {
        rc = WriteRec(f, rec.data());
        if (rc != io::kOk) break;
    }
    const int closed = CloseRecFile(c, f);
    if (rc == io::kOk) rc = closed;
    if (rc != io::kOk)
        c.ui.BeepMessage("Chyba" + FormatPic("####", rc) + " při zápisu "_cz + DataPath(c, name));
    return rc;
}

// Appends the trips of `source` that are not deleted after the last whole
// record of `target` (a torn record at its end is written over, as the
// browser's own appending does). The caller holds the target's write lock.
int PripojJizdy(Common& c, const std::string& source, const std::string& target, int* appended) {
    *appended = 0;
    std::unique_ptr<File> in;
    int rc = c.fs.Open(source, Access::Read, Disposition::OpenExisting, Share::Shared, &in);
    if (rc == io::kFileNotFound) return io::kOk;
    if (rc != io::kOk) return rc;
    std::string trips;
    char block[64 * kLength];
    for (;;) {
        std::size_t got = 0;
        rc = in->Read(block, sizeof block, &got);
        if (rc != io::kOk || got == 0) break;
        trips.append(block, got);
    }
    (void)in->Close();
    if (rc != io::kOk) return rc;
    std::string kept;
    for (std::size_t at = 0; at + kLength <= trips.size(); at += kLength) {
        if (IsDeletedRecord(trips.data() + at)) continue;
        kept.append(trips, at, kLength);
        ++*appended;
    }
    if (kept.empty()) return io::kOk;
    std::unique_ptr<File> out;
    rc = c.fs.Open(target, Access::ReadWrite, Disposition::OpenOrCreate, Share::Shared, &out);
    if (rc != io::kOk) return rc;
    std::int64_t size = 0;
    rc = out->Size(&size);
    if (rc == io::kOk) rc = out->Seek(static_cast<std::uint64_t>(size / kLength) * kLength);
    if (rc == io::kOk) rc = out->Write(kept.data(), kept.size());
    const int closed = out->Close();
    if (rc != io::kOk) *appended = 0;
    return rc != io::kOk ? rc : closed;
}

}  // namespace

// ---- random numbers and the walk ----

std::uint32_t NahodnaCisla::Random(std::uint32_t m) {
    state_ = state_ * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(state_) * m) >> 32);
}

std::uint32_t SeedZCasu() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return static_cast<std::uint32_t>(((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 100 +
                                      ms / 10);
}

VysledekGeneratoru GenerujJizdy(const TfKalendar& kalendar, const ZadaniGeneratoru& z,
                                std::uint32_t seed) {
    VysledekGeneratoru out;
    std::vector<const std::string*> cile;
    for (const std::string& rec : z.cile)
        if (rec.size() >= static_cast<std::size_t>(cile::kLength) && codec::GetReal(rec.data(), cile::kKm) > 0)
            cile.push_back(&rec);
    if (cile.empty() || z.pracovnichDnu < 1 || z.km <= 0) return out;

    const double share = z.km / z.pracovnichDnu;
    const std::optional<int> lastDay = kalendar::DayOfDate(z.do_);
    std::string sablona = z.sablona;
    sablona.resize(kLength, '\0');
    double odometer = codec::GetReal(sablona.data(), kStavTachometru);
    double placed = 0;  // km on the current day
    std::string day = z.od;
    NahodnaCisla random(seed);
    const auto m = static_cast<std::uint32_t>(cile.size());
    do {
        const char* dest = cile[random.Random(m)]->data();
        const double km = codec::GetReal(dest, cile::kKm);
        if (placed + km > share) {
            placed = 0;
            const std::string next = kalendar.pracovni(day, 1);
            const std::optional<int> nextDay = kalendar::DayOfDate(next);
            if (lastDay && nextDay && *nextDay > *lastDay) {
                out.dnyDosly = true;
                out.posledniDen = day;
            } else {
                day = next;
            }
        }
        std::string trip = sablona;
        codec::PutText(trip.data(), kMisto, codec::GetText(dest, cile::kMisto));
        codec::PutText(trip.data(), kUcel, codec::GetText(dest, cile::kUcel));
        codec::PutReal(trip.data(), kKmSluzebni, km);
        odometer += km;
        codec::PutReal(trip.data(), kStavTachometru, odometer);
        codec::PutText(trip.data(), kDatum, DatumGeneratoru(day));
        out.jizdy.push_back(std::move(trip));
        placed += km;
        out.km += km;
    } while (out.km <= z.km);
    return out;
}

// ---- the run ----

void TfKJ_jizdy::Generator() {
    // 1-2. The period, by default the book's first and last dates.
    Obnov();
    const std::string today = NormalizeDate(WorkDate(c_.now()));
    auto dateOf = [&](int row) {
        CtiVetuProZobrazeni(row);
        const std::string date = codec::GetText(displayRecord().data(), kDatum);
        return Blank(date) || IsDeletedRecord(displayRecord().data()) ? today : date;
    };
    std::string od = count() >= 1 ? dateOf(1) : today;
    std::string do_ = count() >= 1 ? dateOf(count()) : today;
    const F1Handler calendar = [this](int, std::string& text) {
        if (!kalendar) return;
        const std::string chosen = kalendar->DejDatum(text);
        if (!chosen.empty()) text = NormalizeDate(chosen);
    };
    // A date is taken as NormalizeDate reads it ("1.2.26" too); a text that
    // is no date is refused.
    auto check = [](std::string& text) {
        const std::string date = NormalizeDate(text);
        if (!Blank(text) && (Blank(date) || DateInvalid(date))) return false;
        text = date;
        return true;
    };
    for (;;) {
        if (!c_.ui.AskFields(25, 20, calendar,
                             {"Od data (DDMMRR): ", od, "Do data (DDMMRR): ", do_},
                             " Období (F1-vysviť kalendář)"_cz))
            return;
        od = c_.ui.state().results[1];
        do_ = c_.ui.state().results[2];
        if (!check(od)) {
            c_.ui.BeepMessage("Chybně zadán parametr \"Od data\""_cz);
            continue;
        }
        if (!check(do_)) {
            c_.ui.BeepMessage("Chybně zadán parametr \"Do data\""_cz);
            continue;
        }
        break;
    }
    obdobiOd = od;
    obdobiDo = do_;

    // 3. The working days.
    ZadaniGeneratoru z;
    z.od = od;
    z.do_ = do_;
    z.pracovnichDnu = kalendar ? kalendar->svatky(od, do_).pracovni : 0;
    if (z.pracovnichDnu < 1) {
        c_.ui.BeepMessage("Uvedený interval neobsahuje žádný pracovní den"_cz);
        return;
    }

    // 4-5. The km.
    std::string answer = Spaces(13);
    if (!AskOneField(c_.ui, 25, 20, " Kolik KM požadujete vygenerovat "_cz, answer)) return;
    z.km = StrToFloatLoose(answer);
    if (z.km <= 0) return;
    vygenerovaneKm = 0;

    // 6. The destinations to draw from.
    CileGeneratoru cile(c_);
    cile.showPickList = showPickList;
    cile.Otevri();
    cile.RezimBloku();
    if (showPickList) showPickList(cile);

    // 7. The chain goes on from the book's last trip.
    Obnov();
    NavazNaPosledni();
    z.sablona = sablona();

    // The two work files are the same for every station of the data
    // directory. From writing them to appending the trips to this book, no
    // other station's run may write them anew (it would have this book take
    // its trips); a second run waits here until this one is over.
    const std::string runLock = DataPath(c_, kBehGeneratoru);
    Zamkni(c_, runLock, "W");
    struct Uvolneni {
        Common& c;
        const std::string& lock;
        ~Uvolneni() { Odemkni(c, lock); }
    } uvolneni{c_, runLock};

    // 8. "cile_vyb.wrk".
    z.cile = OznaceneCile(cile);
    const int rcCile = ZapisPracovniSoubor(c_, kVybraneCile, cile::kLength, z.cile);
    cile.Zavri();
    if (rcCile != io::kOk) return;

    // 9-11. "kj_j_g.wrk".
    const VysledekGeneratoru v =
        GenerujJizdy(*kalendar, z, seedGeneratoru ? seedGeneratoru() : SeedZCasu());
    vygenerovaneKm = v.km;
    if (ZapisPracovniSoubor(c_, kGenerovane, kLength, v.jizdy) != io::kOk) return;
    if (v.dnyDosly)
        c_.ui.BeepMessage("Pracovní dny zadaného období nestačily. Vygenerováno "_cz +
                          StripLeft(FormatPic("#######", v.km)) + " km, jízdy navíc jsou ke dni "_cz +
                          DisplayDate(v.posledniDen) + ".");

    // 12. The trips shown for correction.
    TfKJ_jgener& generated = Generovane();
    generated.Otevri();
    if (showGenerated) showGenerated(generated);
    generated.Zavri();

    // 13. Appended to the book under its write lock.
    if (!c_.ui.AskYesNo(20, 10, "Přidat ke knize jízd"_cz)) return;
    const std::string path = dataPath();
    Odemkni(c_, path);
    Zamkni(c_, path, "W");
    int appended = 0;
    const int rc = PripojJizdy(c_, DataPath(c_, kGenerovane), path, &appended);
    Odemkni(c_, path);
    Zamkni(c_, path, "");
    if (rc != io::kOk)
        c_.ui.BeepMessage("Chyba" + FormatPic("####", rc) + " při zápisu "_cz + path);
    SetModified(true);
    if (appended > 0) PridejPripojene(appended);
    Obnov();
    JdiNa(count(), 2);
}

// ---- the generated trips ----

TfKJ_jgener::TfKJ_jgener(Common& c, TfKJ_jizdy& kniha) : TripBrowser(c, "fKJ_jgener"), kniha_(kniha) {
    SetPopupItem(2, "&Nový záznam"_cz);
    SetPopupItem(3, "&Zruš záznam"_cz);
}

int TfKJ_jgener::Otevri() {
    NastavDruh(kniha_.druh());
    Sloupce cols = DeclareColumns(jgener::kColumns);
    if (druh() == kDruhSluzebni) {
        cols[kFieldZakladniSazba - 1].title = "Nákup PHM v Kč  "_cz;
        cols[kFieldSazbaPhm - 1].title = "Nákup PHM v lit."_cz;
    }
    SetColumns(std::move(cols));
    PrevezmiSablonu();
    showPickList = kniha_.showPickList;
    kalendar = kniha_.kalendar;
    const std::string heading =
        druh() == kDruhSluzebni
            ? " Datum  Místo"_cz + Spaces(36) + "Účel"_cz + Spaces(38) +
                  "Km služ.  Km soukr. Tachometr   PHM Kč    PHM lit  H.zač  H.kon Stravné Poznámka  "_cz
            : " Datum  Místo"_cz + Spaces(36) + "Účel"_cz + Spaces(38) +
                  "Km služ.  Km soukr. Tachometr  Zákl.saz Sazba PHM H.zač H.kon Stravné Poznámka  "_cz;
    const int rc = OtevriTabulku(kGenerovane, heading, -1, ColumnCount(), kLength, 1,
                                 {4, 8, 92, 24, kColourBlack, RgbColour(0, 208, 208)},
                                 {1, 2, 126, 28, kColourBlack, RgbColour(208, 253, 253)},
                                 " F2=zápis na disk  Esc=ven "_cz, " Údaje o jízdách "_cz,
                                 " F4=přidej Mezera=oprav F8=zruš F10=menu Esc=konec"_cz);
    NactiStravne();
    UkazPopisek();
    return rc;
}

void TfKJ_jgener::Zavri() {
    if (!isOpen() && dataPath().empty()) return;
    Uvolni();
    Odemkni(c_, dataPath());
}

void TfKJ_jgener::UkazPopisek() {
    popisek_ = "Vygenerované km : "_cz + FormatPic("#######", kniha_.vygenerovaneKm);
}

void TfKJ_jgener::PoNaplneni() {
    UkazPopisek();
    const Rect& counter = layout().counter;
    polohaPopisku_ = {counter.left + counter.width + metrics_.cellWidth, counter.top,
                      static_cast<int>(popisek_.size() + 2) * metrics_.cellWidth, counter.height};
}

void TfKJ_jgener::Prohod(char* record) {
    char* view = record + jgener::kIdentView;
    char* stored = record + kIdentifikace.offset;
    for (std::size_t i = 0; i < kIdentifikace.size; ++i) std::swap(view[i], stored[i]);
}

void TfKJ_jgener::CtiVetu(int row) {
    TfSoub::CtiVetu(row);
    if (record().size() >= static_cast<std::size_t>(kLength)) Prohod(Veta());
}

void TfKJ_jgener::ZapisVetu(int row) {
    Prohod(Veta());
    TfSoub::ZapisVetu(row);
    Prohod(Veta());
}

void TfKJ_jgener::FormatujRadek() {
    TfSoub::FormatujRadek();
    // The display buffer holds the record as stored: the identification
    // column shows the trip's own identification.
    if (displayRecord().size() >= static_cast<std::size_t>(kLength) && ColumnCount() >= 13)
        Text(13) = CtiPole(columns()[12], displayRecord().data() + kIdentifikace.offset);
}

void TfKJ_jgener::Novy() {
    // The trip goes on from the last generated one.
    Obnov();
    for (int row = count(); row >= 1; --row) {
        CtiVetuProZobrazeni(row);
        const char* rec = displayRecord().data();
        if (IsDeletedRecord(rec)) continue;
        codec::PutReal(sablona().data(), kStavTachometru, codec::GetReal(rec, kStavTachometru));
        if (druh() != kDruhSluzebni && druh() != kDruhStroj) {
            codec::PutReal(sablona().data(), kZakladniSazba, codec::GetReal(rec, kZakladniSazba));
            codec::PutReal(sablona().data(), kSazbaPhm, codec::GetReal(rec, kSazbaPhm));
        }
        break;
    }
    std::memcpy(Veta(), sablona().data(), kLength);
    TfSoub::Novy();
    Prekresli();
}

void TfKJ_jgener::Prijmi() {
    TfSoub::Prijmi();
    const RecordEditor* e = editor();
    if (!e) return;
    kniha_.vygenerovaneKm += StrToFloatLoose(e->Text(kFieldKmSluzebni)) +
                             StrToFloatLoose(e->Text(kFieldKmSoukrome)) -
                             codec::GetReal(Veta(), kKmSluzebni) - codec::GetReal(Veta(), kKmSoukrome);
    UkazPopisek();
}

void TfKJ_jgener::Zrus(int row) {
    if (current() < 1 || current() > count()) return;
    if (!c_.ui.AskYesNo(0, 0, "Zrušit záznam?"_cz)) return;
    if (!ReadRecord(current())) return;
    kniha_.vygenerovaneKm -= codec::GetReal(Veta(), kKmSluzebni) + codec::GetReal(Veta(), kKmSoukrome);
    UkazPopisek();
    std::memcpy(Veta(), sablona().data(), kLength);
    Veta()[kDeletedOffset] = kDeletedMark;
    TfSoub::Zrus(row);
}

void TfKJ_jgener::PolozkaMenu(int item) {
    if (item == 2) Novy();
    else if (item == 3) Zrus(current());
}

}  // namespace kj
